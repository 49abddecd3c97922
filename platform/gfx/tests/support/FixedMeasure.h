#pragma once

#include "platform/gfx/TextMeasure.h"

namespace platform::gfx::testing {

/// Every character 10 pixels wide, lines 20 pixels high (ascent 16), average character 5 (tab stops every 40).
class FixedMeasure final : public TextMeasure {
public:
    static constexpr LONG kCharWidth = 10;
    static constexpr LONG kLineHeight = 20;

    TextMetrics metrics(const Font&) const override
    {
        return {kLineHeight,           /*ascent=*/16,
                /*descent=*/4,         /*internalLeading=*/2,
                /*externalLeading=*/0,
                /*aveCharWidth=*/5,    /*maxCharWidth=*/kCharWidth};
    }
    LONG width(const Font&, std::u16string_view text) const override
    {
        return static_cast<LONG>(text.size()) * kCharWidth;
    }
};

} // namespace platform::gfx::testing
