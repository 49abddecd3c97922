#pragma once

#include "platform/com/ComObject.h"
#include "platform/shell/ShellInterfaces.h"

namespace talvoshell {

/// Names a catalog icon: this library's file and the icon's index (CatalogIcon).
class CTalvoExtractIcon : public platform::com::ComObject<platform::shell::IExtractIconA> {
public:
    CTalvoExtractIcon(int closed, int open) : m_closed(closed), m_open(open) {}

    /// The open icon with GIL_OPENICON when there is one, else the closed; always GIL_PERINSTANCE.
    HRESULT GetIconLocation(UINT uFlags, char* pszIconFile, UINT cchMax, int* piIndex, UINT* pwFlags) override;
    HRESULT Extract(const char*, UINT, void*, void*, UINT) override { return S_FALSE; }

private:
    int m_closed = -1;
    int m_open = -1;
};

} // namespace talvoshell
