#pragma once

#include "talvolink/serial/TalvoPavane.h"

namespace talvolink {

/// The Pavane S (model 303), whose signal light takes command 21; the base of model 306.
/// Thread rule: as CTalvoPavane.
class CTalvoPavane_s : public CTalvoPavane {
public:
    using CTalvoPavane::CTalvoPavane;

    bool SemaphoreAvailable() override;
    bool PutSemaphore(enumSemaphoreMode mode) override;
};

} // namespace talvolink
