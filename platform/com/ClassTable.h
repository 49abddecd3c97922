#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_ALL = 0x17;

namespace platform::com {

enum class Instancing {
    PerCall,
    /// One object per process, made on first request and kept until the table is cleared; a failed
    /// creation is not remembered, so the next request tries again.
    Singleton,
};

/// Whether a stream may name the class of an object it holds (a named value, a face's picture), so that reading
/// it creates one. Only the document model's value classes may: a file must not make just any class.
enum class Streaming {
    Never,
    AsStoredValue,
};

/// Makes a new object and returns the asked interface with one reference.
using ClassCreator = std::function<HRESULT(REFIID riid, void** object)>;

struct ClassRegistration {
    CLSID classId{};
    std::string progId;                   // "TalvoData.Aiming.1"
    std::string versionIndependentProgId; // "TalvoData.Aiming"
    ClassCreator create;
    Instancing instancing = Instancing::PerCall;
    Streaming streaming = Streaming::Never;
};

/// The process-wide table of creatable classes, filled by each library's registerClasses().
/// Thread rule: any thread (locks internally; creators run outside the lock).
class ClassTable {
public:
    static ClassTable& instance();

    /// Replaces an earlier registration of the same class.
    void registerClass(ClassRegistration registration);
    /// Forgets every class and drops the singletons (tests, and the end of the process).
    void clear();

    /// REGDB_E_CLASSNOTREG for an unknown class.
    HRESULT createInstance(REFCLSID classId, REFIID riid, void** object);
    std::optional<CLSID> classIdFromProgId(std::string_view progId) const;
    bool isRegistered(REFCLSID classId) const;
    bool isStoredValueClass(REFCLSID classId) const;

private:
    struct Entry {
        ClassRegistration registration;
        ComPtr<IUnknown> singleton;
    };

    mutable std::mutex m_mutex;
    std::map<CLSID, Entry> m_entries;
    // Serialises first creation of singletons so only one is ever kept; recursive, as one may need another.
    std::recursive_mutex m_singletonCreation;
};

/// Creates an object of a class T that offers `T::create()` returning Result<ComPtr<T>> or ComPtr<T>.
template <typename T> ClassCreator creatorOf()
{
    return [](REFIID riid, void** object) -> HRESULT {
        auto created = T::create();
        if constexpr (requires { created.hasValue(); }) {
            if (!created) {
                return toHresult(created);
            }
            return created.value()->QueryInterface(riid, object);
        } else {
            return created->QueryInterface(riid, object);
        }
    };
}

} // namespace platform::com

/// The stand-in for the system call: the context is accepted and ignored (every class is in process).
HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID riid, void** object);
HRESULT CLSIDFromProgID(const OLECHAR* progId, CLSID* classId);
