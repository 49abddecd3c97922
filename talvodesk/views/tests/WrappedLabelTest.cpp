#include "talvodesk/views/WrappedLabel.h"

#include <QFont>
#include <QLabel>

#include <gtest/gtest.h>

#include <functional>

namespace talvodesk {
namespace {

// The remembered heights must follow whatever lays the text out anew, as a plain wrapped label does.
TEST(WrappedLabelTest, RemembersHeightsOnlyUntilTheTextOrItsLookChanges)
{
    const QString longText = QStringLiteral("<b>Shooter</b> with a name long enough to wrap over several lines here");
    WrappedLabel remembering(nullptr);
    QLabel plain;
    plain.setWordWrap(true);
    const struct {
        const char* what;
        std::function<void(QLabel&)> change;
    } steps[] = {
        {"first text", [&](QLabel& label) { label.setText(longText); }},
        {"shorter text", [](QLabel& label) { label.setText(QStringLiteral("Short")); }},
        {"longer again", [&](QLabel& label) { label.setText(longText + longText); }},
        {"larger font",
         [](QLabel& label) {
             QFont font = label.font();
             font.setPointSizeF(font.pointSizeF() * 2);
             label.setFont(font);
         }},
        {"style sheet", [](QLabel& label) { label.setStyleSheet(QStringLiteral("font-size: 7pt")); }},
    };
    for (const auto& step : steps) {
        step.change(remembering);
        step.change(plain);
        for (int round = 0; round < 2; ++round) { // the second round answers from what was remembered
            for (const int width : {40, 90, 200, 90, 600, 40}) {
                EXPECT_EQ(remembering.heightForWidth(width), plain.heightForWidth(width))
                    << step.what << ", width " << width;
            }
        }
    }
}

} // namespace
} // namespace talvodesk
