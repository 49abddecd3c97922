#pragma once

#include "platform/com/Stream.h"

#include <vector>

// Access and creation flags with the Windows values. Sharing flags are accepted and not enforced: a compound file is
// read into memory when opened and replaced as a whole when written, so other openers never see a half-written file.
inline constexpr DWORD STGM_READ = 0x00000000;
inline constexpr DWORD STGM_WRITE = 0x00000001;
inline constexpr DWORD STGM_READWRITE = 0x00000002;
inline constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
inline constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
inline constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
inline constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
inline constexpr DWORD STGM_DIRECT = 0x00000000;
inline constexpr DWORD STGM_FAILIFTHERE = 0x00000000;
inline constexpr DWORD STGM_CREATE = 0x00001000;

inline constexpr DWORD STGC_DEFAULT = 0;

/// A storage of a compound file: a folder of named streams and storages with a class identifier. Names have at
/// most 31 characters, hold none of "/", "\", ":" and "!", and compare without regard to case.
/// Common results: STG_E_INVALIDPOINTER for a null name or out-pointer, STG_E_INVALIDNAME for a name the format
/// cannot hold, STG_E_INVALIDFLAG for an unknown access value, STG_E_ACCESSDENIED for a change to a storage opened
/// for reading.
struct IStorage : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("0000000B-0000-0000-C000-000000000046");

    /// Creates a stream. An existing element of that name is replaced with STGM_CREATE and is
    /// STG_E_FILEALREADYEXISTS without it.
    virtual HRESULT CreateStream(const OLECHAR* name, DWORD mode, IStream** stream) = 0;
    /// STG_E_FILENOTFOUND when no stream has that name.
    virtual HRESULT OpenStream(const OLECHAR* name, DWORD mode, IStream** stream) = 0;
    /// As CreateStream, for a nested storage.
    virtual HRESULT CreateStorage(const OLECHAR* name, DWORD mode, IStorage** storage) = 0;
    /// STG_E_FILENOTFOUND when no storage has that name.
    virtual HRESULT OpenStorage(const OLECHAR* name, DWORD mode, IStorage** storage) = 0;
    /// On the root of a file, writes the whole file (see CompoundFile.h); elsewhere S_OK.
    virtual HRESULT Commit(DWORD flags) = 0;
    /// On the root of a file, abandons the changes made since the last Commit: the file keeps what it holds and
    /// the last release writes nothing. A save that fails part-way calls it so the old file stays whole. The open
    /// objects keep their content in memory. Elsewhere S_OK.
    virtual HRESULT Revert() = 0;
    /// The elements directly inside, in the format's name order (shorter names first).
    virtual HRESULT ListElements(std::vector<STATSTG>* elements) = 0;
    /// Removes a stream or a storage with everything in it. STG_E_FILENOTFOUND when nothing has that name.
    virtual HRESULT DestroyElement(const OLECHAR* name) = 0;
    virtual HRESULT SetClass(REFCLSID clsid) = 0;
    /// Name (the file path for the root of a file), type STGTY_STORAGE, mode and class identifier.
    virtual HRESULT Stat(STATSTG* statstg, DWORD flags) = 0;

protected:
    ~IStorage() = default;
};
