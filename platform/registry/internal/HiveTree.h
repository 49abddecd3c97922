#pragma once

#include "platform/com/Result.h"
#include "platform/com/Types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The in-memory form of one hive: a tree of keys, each with its typed values. Names keep the case they were first
// written in and are looked up by their case folding.
namespace platform::registry::internal {

struct HiveValue {
    std::u16string name;
    /// The case folding of the name, kept to look values up without folding each one again.
    std::u16string folded;
    DWORD type = 0;
    std::vector<std::uint8_t> data;
};

struct HiveKey {
    std::u16string name;
    /// In the order first written.
    std::vector<HiveValue> values;
    /// By case-folded name.
    std::map<std::u16string, std::unique_ptr<HiveKey>> subkeys;

    const HiveValue* findValue(std::u16string_view name) const;
    HiveValue* findValue(std::u16string_view name);
    HiveKey* findSubkey(std::u16string_view name) const;
    /// The subkey, created when absent.
    HiveKey& subkey(std::u16string_view name);
    /// False when there is no such value.
    bool removeValue(std::u16string_view name);
    /// Removes a subkey with everything below it; false when there is no such subkey.
    bool removeSubkey(std::u16string_view name);
    /// Sets or replaces a value; false when it already held exactly this type and data.
    bool setValue(std::u16string_view name, DWORD type, std::vector<std::uint8_t> data);
};

/// Text that a line of the hive file carries exactly: no control character and no lone surrogate (which UTF-8
/// cannot hold).
bool isPlainText(std::u16string_view text);

/// The most keys a path may pass through below its hive: deeper trees only serve to exhaust the stack and time of
/// whoever reads or writes them.
inline constexpr std::size_t kMaxKeyDepth = 512;

/// The components of a backslash-separated key path; an empty path names the key itself.
/// E_INVALIDARG for an empty component, a name no key can have, or more than kMaxKeyDepth components.
Result<std::vector<std::u16string>> splitKeyPath(std::u16string_view path);
/// E_INVALIDARG for a value name that cannot be stored (overlong, or not plain text).
Status checkValueName(std::u16string_view name);

/// The key at `path` below `root`, or null.
const HiveKey* findKey(const HiveKey& root, const std::vector<std::u16string>& path);
HiveKey* findKey(HiveKey& root, const std::vector<std::u16string>& path);

} // namespace platform::registry::internal
