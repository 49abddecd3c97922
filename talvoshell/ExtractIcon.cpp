#include "talvoshell/ExtractIcon.h"

#include <cstring>
#include <dlfcn.h>

namespace talvoshell {

using platform::shell::GIL_OPENICON;
using platform::shell::GIL_PERINSTANCE;

namespace {

/// A function of this library, to find the library's file by.
void libraryAnchor() {}

} // namespace

HRESULT CTalvoExtractIcon::GetIconLocation(UINT uFlags, char* pszIconFile, UINT cchMax, int* piIndex, UINT* pwFlags)
{
    if (!piIndex || !pwFlags) {
        return E_POINTER;
    }
    if (pszIconFile && cchMax > 0) {
        Dl_info info{};
        const char* file =
            dladdr(reinterpret_cast<void*>(&libraryAnchor), &info) && info.dli_fname ? info.dli_fname : "";
        std::strncpy(pszIconFile, file, cchMax - 1);
        pszIconFile[cchMax - 1] = 0;
    }
    *piIndex = (uFlags & GIL_OPENICON) != 0 && m_open > 0 ? m_open : m_closed;
    *pwFlags |= GIL_PERINSTANCE;
    return S_OK;
}

} // namespace talvoshell
