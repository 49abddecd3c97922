#pragma once

#include "talvodesk/core/document/Dispersion.h"
#include "talvodesk/core/document/DocumentServices.h"
#include "talvodesk/core/document/View.h"

#include "interfaces/talvodata/IAimingCollection.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "interfaces/talvodata/ITalvoDocument.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"

#include <cstdint>
#include <functional>

struct IEventParams;

namespace platform::registry {
class Key;
}

namespace talvodesk {

class CTalvoAppModule;

/// Whether the event is shot in three positions: its "_three_positions" value is present and not empty.
bool EventHasThreePositions(IEventParams* event);

/// What the document wrapper reaches outside itself. Every pointer may be null: without a frame there is no
/// progress bar and no question (a modified practice is then kept unsaved), without a settings root the second
/// control interval keeps its default, without a module the position texts stay as stored.
struct TalvoDataServices {
    DocumentServices* frame = nullptr;
    const platform::registry::Key* settingsRoot = nullptr;
    const CTalvoAppModule* module = nullptr;
    /// The simulated dispersion's offsets; the program's one generator when empty.
    std::function<void(float& dx, float& dy, float dispersion)> dispersionOffset;
};

/// The main program's document: the current practice, an optional model practice shown for comparison, the views
/// and their update hints, six cached collections (dropped together whenever the set of shots or the
/// include-hidden switch changes, never refreshed in place) and the per-practice state that is not stored in the
/// file. Owner thread only (the user-interface thread); hints are delivered synchronously.
class CTalvoData {
public:
    explicit CTalvoData(TalvoDataServices services = {});
    ~CTalvoData();
    CTalvoData(const CTalvoData&) = delete;
    CTalvoData& operator=(const CTalvoData&) = delete;

    // Views.
    void AddView(CView* view) { m_views.AddView(view, this); }
    void RemoveView(CView* view) { m_views.RemoveView(view); }
    void UpdateAllViews(CView* sender, DocumentHint hint, const HintPayload& payload = {})
    {
        m_views.UpdateAllViews(sender, hint, payload);
    }

    /// A text of the program's language by its string-table number; English without a module.
    std::u16string_view LoadString(std::uint32_t id) const;

    // The practice as a whole.
    bool IsValid() const;
    bool IsModelValid() const;
    void Reset();
    void ReleaseCollections();
    bool NewPractice(IEventParams* event, BSTR shooterName, long position, BSTR deviceName, long fCoefficient);
    bool Open(BSTR path);
    /// Saves to the document's file, else under a new name in the catalog folder, which is made when it is
    /// missing; a failure is reported to the frame with its reason.
    bool Save();
    /// Save without the report: the automatic save, which is tried again later.
    bool TrySave();
    /// False tells the caller to cancel its action.
    bool SaveModified();
    bool IsModified() const { return m_bModified != 0; }
    void SetModified() { m_bModified = 1; }
    void ClearModified() { m_bModified = 0; }
    const platform::com::Bstr& ReadError() const { return m_bstrReadError; }
    /// Empties the document's file name, so the next Save makes a new file in the catalog.
    bool ClearFileName();
    bool GetFileName(platform::com::Bstr& name) const;
    /// The catalog folder new practices are saved in.
    bool GetCatalogPath(platform::com::Bstr& path) const;

    // The event and the shooter.
    bool GetEvent(platform::com::ComPtr<IEventParams>& event) const;
    bool GetEventShortName(platform::com::Bstr& name) const;
    bool GetEventName(platform::com::Bstr& name) const;
    bool GetEventDisplayName(std::u16string& name) const;
    /// 0 without a valid document, 2 the biathlon event, 4..11 the events with range commands, else 1.
    long GetEventCode() const;
    bool HasThreePositions() const;
    bool GetShooterName(platform::com::Bstr& name) const;
    bool GetModelShooterName(platform::com::Bstr& name) const;
    bool GetComments(platform::com::Bstr& text) const;
    /// Stores a changed shooter name (or "_comments" text), marks the practice modified and sends hint 6 (or 7) to
    /// all but `sender`. False when not valid or when the document refuses the value; true when it was unchanged.
    bool SetShooterName(std::u16string_view name, CView* sender);
    bool SetComments(std::u16string_view text, CView* sender);
    bool GetModelComments(platform::com::Bstr& text) const;
    bool GetPosition(platform::com::Bstr& text) const;
    bool GetModelPosition(platform::com::Bstr& text) const;
    bool GetPositionText(std::u16string& text) const;
    bool GetModelPositionText(std::u16string& text) const;
    long GetFileVersion() const;

    // Collections; the document's are cached.
    bool GetAimings(platform::com::ComPtr<IAimingCollection>& aimings);
    bool GetSightingAimings(platform::com::ComPtr<IAimingCollection>& aimings);
    bool GetMatchAimings(platform::com::ComPtr<IAimingCollection>& aimings);
    bool GetShots(platform::com::ComPtr<IShotCollection>& shots);
    bool GetSightingShots(platform::com::ComPtr<IShotCollection>& shots);
    bool GetMatchShots(platform::com::ComPtr<IShotCollection>& shots);
    bool GetModelAimings(platform::com::ComPtr<IAimingCollection>& aimings) const;
    bool GetModelShots(platform::com::ComPtr<IShotCollection>& shots) const;
    bool FindAiming(IShot* shot, platform::com::ComPtr<IAiming>& aiming);

    // The current shot and the switches.
    bool GetCurrentShot(platform::com::ComPtr<IShot>& shot) const;
    bool GetCurrentAiming(platform::com::ComPtr<IAiming>& aiming);
    /// False when `shot` already is the current one (both none counts as the same); else hint 4 to all but sender.
    bool SetCurrentShot(IShot* shot, CView* sender = nullptr);
    bool ShowSightings() const { return m_bShowSightings; }
    void SetShowSightings(bool show, bool notify);
    bool IncludeHidden() const { return m_bIncludeHidden == VARIANT_TRUE; }
    bool SetIncludeHidden(bool include);
    bool HasOrderedShotTimes();
    bool HasOrderedModelShotTimes();
    bool HasTriggerData();
    /// When the first match aiming began; 0 without one.
    DATE FirstMatchEnterTime();

    // Replay state: 0 none, 1 paused, 2 playing.
    long GetReplayState();
    bool StartReplay();
    void PauseReplay();
    void ResumeReplay();
    bool StopReplay();

    // Shots and shot parameters.
    bool AddShot(IShot* shot, IAiming* aiming);
    bool AddMissedShot(bool match, platform::com::ComPtr<IShot>& shot);
    bool SetShotParameters(long fCoefficient, float controlInterval, long controlInterval2, float realBreachTime,
                           float dispersion, bool centreGroup);
    bool ApplyShotParameters(IShotCollection* shots);
    /// Step -3 first, -2 previous series, -1 previous, 1 next, 2 next series, 3 last. `out` is left as it was
    /// when the step goes nowhere; true when it holds a shot.
    bool NavigateShot(IShot* from, platform::com::ComPtr<IShot>& out, int step);
    bool SetPosition(BSTR position);
    bool ClearShots();
    long FCoefficient() const { return m_nFCoefficient; }
    float ControlInterval() const { return m_fControlInterval; }
    long ControlInterval2() const { return m_nControlInterval2; }
    float RealBreachTime() const { return m_fRealBreachTime; }
    float DispersionValue() const { return m_fDispersion; }
    bool CentreGroup() const { return m_bCentreGroup; }

    // Model document and frame document operations.
    bool OpenModel(BSTR path);
    bool CloseModel();
    bool SaveCopyToFolder(BSTR folder);
    bool SelectAimingFirstShot(IAiming* aiming, CView* sender);
    bool SetShotHidden(IShot* shot, bool hide);
    bool DeleteSightingShots();

    // Pulse.
    std::uint16_t GetPulse() const;
    bool SetPulse(std::uint16_t pulse);
    bool AddPulseSample(DATE time, std::int16_t pulse);
    long GetPulseCount() const;
    bool GetPulseSample(long index, DATE& time, long& pulse) const;

    ITalvoDocument* document() const { return m_spDocument.get(); }
    ITalvoDocument* model() const { return m_spModel.get(); }

private:
    class ProgressSink;

    bool LoadInto(platform::com::ComPtr<ITalvoDocument>& target, BSTR path);
    bool SaveWithProgress(const std::function<bool()>& save);
    /// The save itself; the reason of a failure, when there is one, in `reason`.
    bool SaveDocument(std::u16string& reason);
    void OnProgress(long done, long total);
    bool ShotsOrdered(IShotCollection* shots, long& cache);
    void ComputeRealBreach(IShot* shot);
    void NextDispersionOffset(IShot* shot);
    bool CentreShots(IShotCollection* shots);
    /// Steps -2 and 2 of the biathlon event: by aimings. Of other events: by series.
    long AimingStepTarget(IShotCollection* list, long n, IShot* from, long p, int step);
    long SeriesStepTarget(long p, int step);

    TalvoDataServices m_services;
    CDocumentViews m_views;

    std::uint32_t m_bModified = 0;
    platform::com::Bstr m_bstrReadError;
    platform::com::ComPtr<ITalvoDocument> m_spDocument;
    platform::com::ComPtr<ITalvoDocument> m_spModel;
    platform::com::ComPtr<IShot> m_spCurrentShot;
    bool m_bShowSightings = false;
    VARIANT_BOOL m_bIncludeHidden = VARIANT_FALSE;
    long m_nShotTimesOrdered = -1;
    long m_nModelShotTimesOrdered = -1;
    platform::com::ComPtr<IAimingCollection> m_spAimings;
    platform::com::ComPtr<IShotCollection> m_spShots;
    platform::com::ComPtr<IAimingCollection> m_spSightingAimings;
    platform::com::ComPtr<IAimingCollection> m_spMatchAimings;
    platform::com::ComPtr<IShotCollection> m_spSightingShots;
    platform::com::ComPtr<IShotCollection> m_spMatchShots;
    long m_nFCoefficient = 0;
    float m_fControlInterval = 1.0F;
    long m_nControlInterval2 = 2;
    float m_fRealBreachTime = 0;
    float m_fDispersion = 0;
    bool m_bCentreGroup = false;
    long m_nReplayState = 0;
    std::uint16_t m_nPulse = 0;
};

} // namespace talvodesk
