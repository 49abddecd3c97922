#include "platform/registry/Key.h"

#include "platform/com/LittleEndian.h"
#include "platform/registry/internal/HiveFile.h"

#include <cstring>
#include <limits>
#include <utility>

namespace platform::registry {
namespace {

using internal::HiveKey;

Error keyDeleted()
{
    return Error{kErrorKeyDeleted, "the key has been deleted"};
}

Result<std::vector<std::u16string>> joinedPath(const std::vector<std::u16string>& base, std::u16string_view path)
{
    Result<std::vector<std::u16string>> components = internal::splitKeyPath(path);
    if (!components) {
        return components.error();
    }
    if (base.size() + components->size() > internal::kMaxKeyDepth) {
        return Error{E_INVALIDARG, "key path nested deeper than " + std::to_string(internal::kMaxKeyDepth) + " keys"};
    }
    std::vector<std::u16string> joined = base;
    joined.insert(joined.end(), components->begin(), components->end());
    return joined;
}

/// Reads the hive and hands the key at `path` (null when absent) to `use`.
template <typename Use> auto withKey(Hive hive, const std::vector<std::u16string>& path, Use use)
{
    using Returned = decltype(use(static_cast<const HiveKey*>(nullptr)));
    const Result<internal::HiveFile> file = internal::locateHive(hive);
    if (!file) {
        return Returned(file.error());
    }
    Result<std::unique_ptr<HiveKey>> root = internal::readHive(*file);
    if (!root) {
        return Returned(root.error());
    }
    return use(internal::findKey(std::as_const(**root), path));
}

Status checkValue(std::u16string_view name, std::size_t size)
{
    if (Status valid = internal::checkValueName(name); !valid) {
        return valid;
    }
    if (size > std::numeric_limits<DWORD>::max()) {
        return Error{E_INVALIDARG, "value data over 4 GiB"};
    }
    return {};
}

Status changeHive(Hive hive, const std::function<Result<bool>(HiveKey& root)>& change)
{
    const Result<internal::HiveFile> file = internal::locateHive(hive);
    if (!file) {
        return file.error();
    }
    return internal::updateHive(*file, change);
}

} // namespace

Result<std::filesystem::path> hiveFile(Hive hive)
{
    Result<internal::HiveFile> file = internal::locateHive(hive);
    if (!file) {
        return file.error();
    }
    return std::move(file->path);
}

Result<Key> Key::open(Hive hive, std::u16string_view path)
{
    return Key(hive, {}).openSubkey(path);
}

Result<Key> Key::create(Hive hive, std::u16string_view path)
{
    return Key(hive, {}).createSubkey(path);
}

Result<Key> Key::openSubkey(std::u16string_view path) const
{
    Result<std::vector<std::u16string>> components = joinedPath(m_components, path);
    if (!components) {
        return components.error();
    }
    return withKey(m_hive, *components, [&](const HiveKey* key) -> Result<Key> {
        if (!key) {
            return Error{kErrorFileNotFound, "no such key"};
        }
        return Key(m_hive, std::move(*components));
    });
}

Result<Key> Key::createSubkey(std::u16string_view path) const
{
    Result<std::vector<std::u16string>> components = joinedPath(m_components, path);
    if (!components) {
        return components.error();
    }
    // Most calls find the key in place, and a read needs no lock.
    const Result<bool> exists =
        withKey(m_hive, *components, [](const HiveKey* key) -> Result<bool> { return key != nullptr; });
    if (!exists) {
        return exists.error();
    }
    if (!*exists) {
        const std::size_t own = m_components.size();
        const Status created = changeHive(m_hive, [&](HiveKey& root) -> Result<bool> {
            HiveKey* key = internal::findKey(root, m_components);
            if (!key) {
                return keyDeleted();
            }
            bool changed = false;
            for (std::size_t i = own; i < components->size(); ++i) {
                const std::u16string& name = (*components)[i];
                changed = changed || !key->findSubkey(name);
                key = &key->subkey(name);
            }
            return changed;
        });
        if (!created) {
            return created.error();
        }
    }
    return Key(m_hive, std::move(*components));
}

std::u16string Key::path() const
{
    std::u16string joined;
    for (const std::u16string& component : m_components) {
        if (!joined.empty()) {
            joined += u'\\';
        }
        joined += component;
    }
    return joined;
}

Result<Value> Key::value(std::u16string_view name) const
{
    return withKey(m_hive, m_components, [&](const HiveKey* key) -> Result<Value> {
        if (!key) {
            return keyDeleted();
        }
        const internal::HiveValue* value = key->findValue(name);
        if (!value) {
            return Error{kErrorFileNotFound, "no such value"};
        }
        return Value{value->type, value->data};
    });
}

HRESULT Key::queryValue(std::u16string_view name, DWORD* type, std::uint8_t* data, DWORD* size) const
{
    if (data && !size) {
        return E_INVALIDARG;
    }
    const Result<Value> found = value(name);
    if (!found) {
        return found.error().code;
    }
    if (type) {
        *type = found->type;
    }
    if (!size) {
        return S_OK;
    }
    const auto needed = static_cast<DWORD>(found->data.size());
    const DWORD available = *size;
    *size = needed;
    if (!data) {
        return S_OK;
    }
    if (available < needed) {
        return kErrorMoreData;
    }
    if (needed > 0) {
        std::memcpy(data, found->data.data(), needed);
    }
    return S_OK;
}

Result<DWORD> Key::dword(std::u16string_view name) const
{
    const Result<Value> found = value(name);
    if (!found) {
        return found.error();
    }
    if (found->type != REG_DWORD || found->data.size() != 4) {
        return Error{kErrorUnsupportedType, "value is not a REG_DWORD of 4 bytes"};
    }
    return com::loadLittleEndian<DWORD>(found->data.data());
}

Result<std::u16string> Key::string(std::u16string_view name) const
{
    const Result<Value> found = value(name);
    if (!found) {
        return found.error();
    }
    if (found->type != REG_SZ) {
        return Error{kErrorUnsupportedType, "value is not a REG_SZ"};
    }
    std::u16string text(found->data.size() / 2, u'\0');
    std::memcpy(text.data(), found->data.data(), text.size() * 2);
    return text.substr(0, text.find(u'\0'));
}

template <typename Change> Status Key::update(Change change) const
{
    return changeHive(m_hive, [&](HiveKey& root) -> Result<bool> {
        HiveKey* key = internal::findKey(root, m_components);
        if (!key) {
            return keyDeleted();
        }
        return change(*key);
    });
}

Status Key::setValue(std::u16string_view name, DWORD type, std::span<const std::uint8_t> data) const
{
    if (Status valid = checkValue(name, data.size()); !valid) {
        return valid;
    }
    return update([&](HiveKey& key) -> Result<bool> {
        return key.setValue(name, type, std::vector<std::uint8_t>(data.begin(), data.end()));
    });
}

Status Key::setValues(std::span<const NamedValue> values) const
{
    for (const NamedValue& value : values) {
        if (Status valid = checkValue(value.name, value.value.data.size()); !valid) {
            return valid;
        }
    }
    return update([&](HiveKey& key) -> Result<bool> {
        bool changed = false;
        for (const NamedValue& value : values) {
            changed = key.setValue(value.name, value.value.type, value.value.data) || changed;
        }
        return changed;
    });
}

Status Key::setDword(std::u16string_view name, DWORD value) const
{
    std::uint8_t bytes[4] = {};
    com::storeLittleEndian(bytes, value);
    return setValue(name, REG_DWORD, bytes);
}

Status Key::setString(std::u16string_view name, std::u16string_view text) const
{
    std::vector<std::uint8_t> bytes((text.size() + 1) * 2, 0);
    std::memcpy(bytes.data(), text.data(), text.size() * 2);
    return setValue(name, REG_SZ, bytes);
}

Status Key::deleteValue(std::u16string_view name) const
{
    return update([&](HiveKey& key) -> Result<bool> {
        if (!key.removeValue(name)) {
            return Error{kErrorFileNotFound, "no such value"};
        }
        return true;
    });
}

Status Key::deleteSubkey(std::u16string_view path) const
{
    Result<std::vector<std::u16string>> components = internal::splitKeyPath(path);
    if (!components) {
        return components.error();
    }
    if (components->empty()) {
        return Error{E_INVALIDARG, "no subkey named to delete"};
    }
    const std::u16string last = components->back();
    components->pop_back();
    return update([&](HiveKey& key) -> Result<bool> {
        HiveKey* parent = internal::findKey(key, *components);
        if (!parent || !parent->removeSubkey(last)) {
            return Error{kErrorFileNotFound, "no such key"};
        }
        return true;
    });
}

Result<std::vector<std::u16string>> Key::subkeyNames() const
{
    return withKey(m_hive, m_components, [](const HiveKey* key) -> Result<std::vector<std::u16string>> {
        if (!key) {
            return keyDeleted();
        }
        std::vector<std::u16string> names;
        for (const auto& [folded, subkey] : key->subkeys) {
            names.push_back(subkey->name);
        }
        return names;
    });
}

Result<std::vector<NamedValue>> Key::values() const
{
    return withKey(m_hive, m_components, [](const HiveKey* key) -> Result<std::vector<NamedValue>> {
        if (!key) {
            return keyDeleted();
        }
        std::vector<NamedValue> values;
        for (const internal::HiveValue& value : key->values) {
            values.push_back(NamedValue{value.name, Value{value.type, value.data}});
        }
        return values;
    });
}

} // namespace platform::registry
