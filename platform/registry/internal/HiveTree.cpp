#include "platform/registry/internal/HiveTree.h"

#include "platform/text/CaseFolding.h"

#include <algorithm>
#include <utility>

namespace platform::registry::internal {
namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16'383;

} // namespace

bool isPlainText(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x20 || c == 0x7F || (c >= 0xDC00 && c <= 0xDFFF)) {
            return false;
        }
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

const HiveValue* HiveKey::findValue(std::u16string_view valueName) const
{
    const std::u16string folded = text::foldCase(valueName);
    const auto found =
        std::find_if(values.begin(), values.end(), [&](const HiveValue& value) { return value.folded == folded; });
    return found == values.end() ? nullptr : &*found;
}

HiveValue* HiveKey::findValue(std::u16string_view valueName)
{
    return const_cast<HiveValue*>(std::as_const(*this).findValue(valueName));
}

HiveKey* HiveKey::findSubkey(std::u16string_view keyName) const
{
    const auto found = subkeys.find(text::foldCase(keyName));
    return found == subkeys.end() ? nullptr : found->second.get();
}

HiveKey& HiveKey::subkey(std::u16string_view keyName)
{
    std::unique_ptr<HiveKey>& slot = subkeys[text::foldCase(keyName)];
    if (!slot) {
        slot = std::make_unique<HiveKey>();
        slot->name = keyName;
    }
    return *slot;
}

bool HiveKey::removeValue(std::u16string_view valueName)
{
    const HiveValue* found = findValue(valueName);
    if (!found) {
        return false;
    }
    values.erase(values.begin() + (found - values.data()));
    return true;
}

bool HiveKey::removeSubkey(std::u16string_view keyName)
{
    return subkeys.erase(text::foldCase(keyName)) > 0;
}

bool HiveKey::setValue(std::u16string_view valueName, DWORD type, std::vector<std::uint8_t> data)
{
    if (HiveValue* existing = findValue(valueName)) {
        if (existing->type == type && existing->data == data) {
            return false;
        }
        existing->type = type;
        existing->data = std::move(data);
        return true;
    }
    values.push_back(HiveValue{std::u16string(valueName), text::foldCase(valueName), type, std::move(data)});
    return true;
}

Result<std::vector<std::u16string>> splitKeyPath(std::u16string_view path)
{
    std::vector<std::u16string> components;
    if (path.empty()) {
        return components;
    }
    while (true) {
        const std::size_t separator = path.find(u'\\');
        const std::u16string_view component = path.substr(0, separator);
        if (component.empty() || component.size() > kMaxKeyNameLength || !isPlainText(component)) {
            return Error{E_INVALIDARG, "key path has an empty, overlong or unprintable name"};
        }
        if (components.size() == kMaxKeyDepth) {
            return Error{E_INVALIDARG, "key path nested deeper than " + std::to_string(kMaxKeyDepth) + " keys"};
        }
        components.emplace_back(component);
        if (separator == std::u16string_view::npos) {
            return components;
        }
        path.remove_prefix(separator + 1);
    }
}

Status checkValueName(std::u16string_view name)
{
    if (name.size() > kMaxValueNameLength || !isPlainText(name)) {
        return Error{E_INVALIDARG, "value name is overlong or unprintable"};
    }
    return {};
}

const HiveKey* findKey(const HiveKey& root, const std::vector<std::u16string>& path)
{
    const HiveKey* key = &root;
    for (const std::u16string& component : path) {
        key = key->findSubkey(component);
        if (!key) {
            return nullptr;
        }
    }
    return key;
}

HiveKey* findKey(HiveKey& root, const std::vector<std::u16string>& path)
{
    return const_cast<HiveKey*>(findKey(std::as_const(root), path));
}

} // namespace platform::registry::internal
