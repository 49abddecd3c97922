#pragma once

#include "talvolink/serial/TalvoPavane.h"

namespace talvolink {

/// The Pavane with a signal light (model 302), switched by command 22.
/// Thread rule: as CTalvoPavane.
class CTalvoPavanei : public CTalvoPavane {
public:
    using CTalvoPavane::CTalvoPavane;

    bool SemaphoreAvailable() override;
    bool PutSemaphore(enumSemaphoreMode mode) override;
};

} // namespace talvolink
