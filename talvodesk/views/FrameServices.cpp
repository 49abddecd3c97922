#include "talvodesk/views/FrameServices.h"

namespace talvodesk {

namespace {

CMainFrameBase* s_frame = nullptr;

} // namespace

CMainFrameBase* FrameServices()
{
    return s_frame;
}

void SetFrameServices(CMainFrameBase* frame)
{
    s_frame = frame;
}

} // namespace talvodesk
