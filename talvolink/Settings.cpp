#include "talvolink/Settings.h"

#include <array>
#include <cstring>

namespace talvolink {

namespace {

constexpr DWORD kErrorInvalidData = 13;

// The Windows error code inside an HRESULT of the Win32 facility.
DWORD systemErrorOf(HRESULT hr)
{
    return static_cast<DWORD>(hr) & 0xFFFF;
}

} // namespace

std::optional<platform::registry::Key> OpenSettingsKey()
{
    auto key =
        platform::registry::Key::create(platform::registry::Hive::CurrentUser, u"software\\Talvo\\Talvo Professional");
    if (!key) {
        return std::nullopt;
    }
    return std::move(key.value());
}

DWORD ReadSettingDword(const platform::registry::Key& key, std::u16string_view name, DWORD* value)
{
    std::array<std::uint8_t, sizeof(DWORD)> bytes{};
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bytes.size());
    const HRESULT hr = key.queryValue(name, &type, bytes.data(), &size);
    if (FAILED(hr)) {
        return systemErrorOf(hr);
    }
    if (type != REG_DWORD) {
        return kErrorInvalidData;
    }
    DWORD read = 0;
    std::memcpy(&read, bytes.data(), size); // Little-endian, as the hive stores it; a shorter value is zero-extended.
    *value = read;
    return 0;
}

} // namespace talvolink
