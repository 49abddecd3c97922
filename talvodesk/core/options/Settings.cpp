#include "talvodesk/core/options/Settings.h"

#include "talvodesk/core/options/internal/LittleEndian.h"

#include <string>

namespace talvodesk {

using platform::registry::Hive;
using platform::registry::Key;

namespace {

constexpr std::uint32_t kMinFCoefficient = 5;
constexpr std::uint32_t kMaxFCoefficient = 100;

/// The shooter's key with the event's below it; an empty name would make the path name a key above them.
std::optional<Key> fCoefficientKey(const Key& root, std::u16string_view eventShortName, std::u16string_view shooterName)
{
    if (eventShortName.empty() || shooterName.empty()) {
        return std::nullopt;
    }
    auto shooter = root.createSubkey(shooterName);
    if (!shooter) {
        return std::nullopt;
    }
    auto event = shooter->createSubkey(eventShortName);
    if (!event) {
        return std::nullopt;
    }
    return std::move(*event);
}

} // namespace

std::optional<Key> OpenSettingsRoot()
{
    auto software = Key::open(Hive::CurrentUser, u"software");
    if (!software) {
        return std::nullopt;
    }
    auto root = software->createSubkey(u"Talvo\\Talvo Professional");
    if (!root) {
        return std::nullopt;
    }
    return std::move(*root);
}

std::optional<Key> OpenSettingsSubkey(std::u16string_view name)
{
    const std::optional<Key> root = OpenSettingsRoot();
    if (!root) {
        return std::nullopt;
    }
    auto subkey = root->createSubkey(name);
    if (!subkey) {
        return std::nullopt;
    }
    return std::move(*subkey);
}

std::optional<std::uint32_t> LoadFCoefficient(const Key& root, std::u16string_view eventShortName,
                                              std::u16string_view shooterName)
{
    const std::optional<Key> key = fCoefficientKey(root, eventShortName, shooterName);
    if (!key) {
        return std::nullopt;
    }
    const auto value = key->dword(u"FCoefficient");
    if (!value || *value < kMinFCoefficient || *value > kMaxFCoefficient) {
        return std::nullopt;
    }
    return *value;
}

bool SaveFCoefficient(const Key& root, std::u16string_view eventShortName, std::u16string_view shooterName,
                      std::uint32_t value)
{
    const std::optional<Key> key = fCoefficientKey(root, eventShortName, shooterName);
    return key && key->setDword(u"FCoefficient", value);
}

std::optional<WindowRect> LoadWindowRect(const Key& root, std::u16string_view valueName)
{
    const auto value = root.value(valueName);
    if (!value || value->type != REG_BINARY || value->data.size() != 16) {
        return std::nullopt;
    }
    const std::uint8_t* bytes = value->data.data();
    const WindowRect rect{internal::readI32(bytes), internal::readI32(bytes + 4), internal::readI32(bytes + 8),
                          internal::readI32(bytes + 12)};
    if (rect.isEmpty()) {
        return std::nullopt;
    }
    return rect;
}

bool SaveWindowRect(const Key& root, std::u16string_view valueName, const WindowRect& rect)
{
    std::vector<std::uint8_t> bytes;
    for (const std::int32_t side : {rect.left, rect.top, rect.right, rect.bottom}) {
        internal::appendU32(bytes, static_cast<std::uint32_t>(side));
    }
    return static_cast<bool>(root.setValue(valueName, REG_BINARY, bytes));
}

} // namespace talvodesk
