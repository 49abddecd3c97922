#pragma once

#include "platform/registry/RegistryTypes.h"

#include "platform/com/Result.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

/// The two hives, each one file: HKEY_CURRENT_USER is $XDG_CONFIG_HOME/talvo/user.reg (or $HOME/.config/talvo/),
/// HKEY_LOCAL_MACHINE is machine.reg beside it unless TALVO_MACHINE_REGISTRY names another file. As on Windows, a
/// new hive already holds the key "Software".
enum class Hive { CurrentUser, LocalMachine };

/// The file that holds `hive`; E_FAIL when neither XDG_CONFIG_HOME nor HOME gives a folder.
Result<std::filesystem::path> hiveFile(Hive hive);

struct Value {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};

struct NamedValue {
    std::u16string name;
    Value value;
};

/// An open registry key (HKEY): a hive and a backslash-separated path below it ("software\Talvo"). Key and value
/// names compare without regard to case and keep the case they were first written in; the empty value name is the
/// key's unnamed value. A Key holds no file open and is cheap to copy; every call reads the hive afresh, and every
/// change is written through before the call returns, so other processes see it at once.
///
/// Errors: kErrorFileNotFound for a missing key or value, kErrorKeyDeleted when the key itself has gone since it
/// was opened, kErrorBadHive for a damaged hive file (which is then never overwritten), E_INVALIDARG for a name no
/// key or value can have (an empty path component, a control character, over 255 characters for a key), and the
/// platform::fs write errors when the hive cannot be replaced. Any thread.
class Key {
public:
    /// RegOpenKeyEx: the key must exist. An empty path opens the hive's root.
    static Result<Key> open(Hive hive, std::u16string_view path);
    /// RegCreateKeyEx: opens the key, creating it and any missing keys on its path.
    static Result<Key> create(Hive hive, std::u16string_view path);
    Result<Key> openSubkey(std::u16string_view path) const;
    Result<Key> createSubkey(std::u16string_view path) const;

    Hive hive() const { return m_hive; }
    /// The path as it was asked for, components joined by backslashes.
    std::u16string path() const;

    /// RegQueryValueEx: `type`, `data` and `size` may each be null, but `data` needs `size`. With `data` null,
    /// reports the size in bytes; when *size is too small, fails with kErrorMoreData and sets *size to the size
    /// needed, leaving `data` untouched. E_INVALIDARG for data without size.
    HRESULT queryValue(std::u16string_view name, DWORD* type, std::uint8_t* data, DWORD* size) const;
    Result<Value> value(std::u16string_view name) const;
    /// A REG_DWORD of 4 bytes; kErrorUnsupportedType for another type or size.
    Result<DWORD> dword(std::u16string_view name) const;
    /// A REG_SZ up to its first zero character; kErrorUnsupportedType for another type.
    Result<std::u16string> string(std::u16string_view name) const;

    /// RegSetValueEx: creates or replaces the value with exactly this type and these bytes.
    Status setValue(std::u16string_view name, DWORD type, std::span<const std::uint8_t> data) const;
    Status setDword(std::u16string_view name, DWORD value) const;
    /// Stored as REG_SZ with its terminating zero, as Windows stores text.
    Status setString(std::u16string_view name, std::u16string_view text) const;
    /// Sets several values in one change of the hive: all of them or, on any error, none.
    Status setValues(std::span<const NamedValue> values) const;

    /// RegDeleteValue.
    Status deleteValue(std::u16string_view name) const;
    /// RegDeleteTree on a subkey: removes it with all its subkeys and values. E_INVALIDARG for an empty path.
    Status deleteSubkey(std::u16string_view path) const;

    /// RegEnumKeyEx: the names of the subkeys, ordered by their case folding.
    Result<std::vector<std::u16string>> subkeyNames() const;
    /// RegEnumValue: the values in the order they were first written.
    Result<std::vector<NamedValue>> values() const;

private:
    Key(Hive hive, std::vector<std::u16string> components) : m_hive(hive), m_components(std::move(components)) {}

    /// Changes this key under the hive's lock; kErrorKeyDeleted when it no longer exists.
    template <typename Change> Status update(Change change) const;

    Hive m_hive;
    std::vector<std::u16string> m_components;
};

} // namespace platform::registry
