#pragma once

#include "talvodesk/core/report/ReportPrintout.h"

class QWidget;

namespace talvodesk {

/// The report's target pictures, each drawn by the target control of a hidden window made for it under `parent`.
/// Main thread only.
class HiddenTargetPictures final : public TargetPictures {
public:
    explicit HiddenTargetPictures(QWidget* parent) : m_parent(parent) {}

    platform::com::ComPtr<IPicture> Draw(const TargetPicture& picture) override;

private:
    QWidget* m_parent;
};

} // namespace talvodesk
