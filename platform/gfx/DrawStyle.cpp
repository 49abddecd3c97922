#include "platform/gfx/DrawStyle.h"

namespace platform::gfx {

Font defaultGuiFont()
{
    return Font{u"MS Shell Dlg", /*height=*/-11, FW_NORMAL, /*italic=*/false, /*escapement=*/0};
}

} // namespace platform::gfx
