#include "talvodesk/core/frame/FramePlacement.h"

#include "platform/registry/Key.h"

namespace talvodesk {

FrameSettings LoadFrameSettings(const platform::registry::Key& root)
{
    FrameSettings settings;
    const auto flag = [&](std::u16string_view name, bool fallback) {
        const auto value = root.dword(name);
        return value ? *value != 0 : fallback;
    };
    settings.zoomed = flag(u"Zoomed", false);
    settings.windowRect = LoadWindowRect(root, u"WindowRect");
    settings.toolBar = flag(u"ToolBar", true);
    settings.statusBar = flag(u"StatusBar", true);
    if (const auto position = root.dword(u"SplitterPos")) {
        settings.splitterPos = *position;
    }
    return settings;
}

void SaveFrameSettings(const platform::registry::Key& root, const FrameSettings& settings, FrameClosing closing)
{
    if (!closing.shown) {
        return;
    }
    // A value that cannot be written keeps the one from before; there is no one left to tell.
    (void)root.setDword(u"Zoomed", settings.zoomed ? 1 : 0);
    if (!closing.fullScreen && settings.windowRect) {
        (void)SaveWindowRect(root, u"WindowRect", *settings.windowRect);
    }
    (void)root.setDword(u"ToolBar", settings.toolBar ? 1 : 0);
    (void)root.setDword(u"StatusBar", settings.statusBar ? 1 : 0);
    (void)root.setDword(u"SplitterPos", settings.splitterPos);
}

} // namespace talvodesk
