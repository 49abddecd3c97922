#pragma once

#include "platform/com/Types.h"
#include "platform/com/Unknown.h"

#include <string>

struct ISequentialStream : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("0C733A30-2A1C-11CE-ADE5-00AA0044773D");

    /// Reads up to `cb` bytes. A short read at the end of the data is S_OK with the count in *pcbRead.
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

protected:
    ~ISequentialStream() = default;
};

enum STREAM_SEEK : DWORD { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };
enum STGTY : DWORD { STGTY_STORAGE = 1, STGTY_STREAM = 2, STGTY_LOCKBYTES = 3, STGTY_PROPERTY = 4 };
enum STATFLAG : DWORD { STATFLAG_DEFAULT = 0, STATFLAG_NONAME = 1 };

/// What Stat reports of a stream or storage.
struct STATSTG {
    std::u16string name;
    DWORD type = STGTY_STREAM;
    ULONGLONG size = 0;
    DWORD mode = 0;
    CLSID clsid{};
};

struct IStream : ISequentialStream {
    using Base = ISequentialStream;
    static constexpr IID kIid = platform::com::makeGuid("0000000C-0000-0000-C000-000000000046");

    /// Moves the seek pointer; a resulting position below 0 is STG_E_INVALIDFUNCTION and moves nothing.
    virtual HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) = 0;
    virtual HRESULT SetSize(ULONGLONG newSize) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Stat(STATSTG* statstg, DWORD flags) = 0;
    virtual HRESULT Clone(IStream** stream) = 0;

protected:
    ~IStream() = default;
};
