#pragma once

#include "talvodesk/core/analysis/InfoSummary.h"
#include "talvodesk/core/analysis/PageElements.h"
#include "talvodesk/core/document/View.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

struct IShot;

namespace platform::time {
class Clock;
}

namespace talvodesk {

class CTalvoAppModule;
class COptions;

/// What the practice page calls in the program: its edits, its two tiles and its targets' selections. Every
/// member does nothing while no practice is open.
class IInfoView {
public:
    /// Stores the shooter name the page shows; hint 6 to the other views when it changed.
    virtual void UIShooterNameChange(std::u16string_view newVal) = 0;
    /// Stores the comments; hint 7 to the other views when they changed.
    virtual void UICommentChange(std::u16string_view newVal) = 0;
    /// Posts the frame's Start practice command.
    virtual void UIStartPractice() = 0;
    /// Posts the frame's Open command.
    virtual void UIOpen() = 0;
    /// Makes the shot (none for null) the current one.
    virtual void UISelectionChanged(IShot* shot) = 0;
    /// Makes the shot current and replays it; nothing for null.
    virtual void UIDblClickShot(IShot* shot) = 0;

protected:
    ~IInfoView() = default;
};

/// What the info view's rules ask of its window. The Qt view implements it; tests record it. Owner thread only.
class InfoViewHost {
public:
    virtual bool isPageVisible() = 0;
    /// Runs the frame command after the current call has returned.
    virtual void postCommand(std::uint16_t command) = 0;
    virtual void setWaitCursor(bool wait) = 0;
    /// Lays the page out again once its contents changed.
    virtual void layoutPage() = 0;
    /// Calls OnWake at or after the steady time `deadline` (an earlier request is replaced).
    virtual void wakeAt(std::chrono::milliseconds deadline) = 0;

protected:
    ~InfoViewHost() = default;
};

/// The "General info" view's behaviour without its widgets: the welcome or practice panel, the shooter's texts,
/// the practice summary beside the model's and the six targets, all through one registry of page elements.
/// Hidden, it remembers which parts to fill until it is shown. Owner thread only.
class InfoViewLogic final : public CView, public IInfoView {
public:
    enum class Field { ShooterName, Comments };
    /// An edit is reported this long after the key release.
    static constexpr std::chrono::milliseconds kEditReportDelay{100};

    InfoViewLogic(InfoViewHost& host, const CTalvoAppModule& module, const COptions& options,
                  const platform::time::Clock& clock);

    PageElements& page() { return m_page; }
    const PageElements& page() const { return m_page; }
    const InfoSummary& summary() const { return m_summary; }
    /// The twenty title texts as the page last loaded them (printing reads them).
    const std::array<std::u16string, 20>& titles() const { return m_titles; }

    /// The page's widgets are bound: titles are read, and a refresh that waited for the page runs.
    void PageLoaded();

    void OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload) override;
    /// Fills now when the page is visible, else remembers the parts. True.
    bool FillOrDefer(bool documentPart, bool modelPart);
    /// Runs the remembered fill once and forgets it. True.
    bool ApplyPendingUpdate();
    /// Recomputes the asked parts and writes the whole page. True.
    bool Fill(bool documentPart, bool modelPart);
    /// Writes the whole page from the summary as it stands: texts, rows, targets, layout.
    void WritePage();
    /// The options' breach colours on "Target1" and "Target2", redrawn.
    void ApplyBreachColors();
    void ShowIntroOrInfo();
    void ShowShooterName();
    void ShowComments();
    bool hasPendingUpdate() const { return m_pendingDocument || m_pendingModel; }

    /// A key went up in an entry field: its whole value is reported after kEditReportDelay.
    void OnKeyRelease(Field field);
    /// Reports the edits whose time has come.
    void OnWake();

    // IInfoView
    void UIShooterNameChange(std::u16string_view newVal) override;
    void UICommentChange(std::u16string_view newVal) override;
    void UIStartPractice() override;
    void UIOpen() override;
    void UISelectionChanged(IShot* shot) override;
    void UIDblClickShot(IShot* shot) override;

private:
    CTalvoData* document() const { return m_pDocument; }
    bool documentValid() const;
    void fillTargets();
    void showCurrentShot();
    void armWake();

    struct Report {
        std::chrono::milliseconds due;
        Field field;
    };

    InfoViewHost& m_host;
    const CTalvoAppModule& m_module;
    const COptions& m_options;
    const platform::time::Clock& m_clock;
    PageElements m_page;
    bool m_loaded = false;
    bool m_refreshOnLoad = false;
    bool m_pendingDocument = false;
    bool m_pendingModel = false;
    InfoSummary m_summary;
    std::array<std::u16string, 20> m_titles;
    std::deque<Report> m_reports;
};

} // namespace talvodesk
