#include "talvodesk/views/WrappedLabel.h"

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace talvodesk {
namespace {

// The remembered heights must follow whatever lays the text out anew, as a plain wrapped label does; the widths
// wider than one that held the text unwrapped are answered without measuring, once the label is polished.
TEST(WrappedLabelTest, RemembersHeightsOnlyUntilTheTextOrItsLookChanges)
{
    const QString longText = QStringLiteral("<b>Shooter</b> with a name long enough to wrap over several lines here");
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
    for (const bool polished : {false, true}) {
        WrappedLabel remembering(nullptr);
        QLabel plain;
        plain.setWordWrap(true);
        if (polished) {
            remembering.ensurePolished();
            plain.ensurePolished();
        }
        for (const auto& step : steps) {
            step.change(remembering);
            step.change(plain);
            for (int round = 0; round < 2; ++round) { // the second round answers from what was remembered
                for (const int width : {40, 90, 200, 90, 600, 40, 900, 620}) {
                    EXPECT_EQ(remembering.heightForWidth(width), plain.heightForWidth(width))
                        << (polished ? "polished, " : "") << step.what << ", width " << width;
                }
            }
        }
    }
}

// The text is laid out for the latest size before the label paints or takes a click, in either direction.
TEST(WrappedLabelTest, PaintsAndSelectsAtItsLatestSizeAsAPlainLabelDoes)
{
    for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        SCOPED_TRACE(direction == Qt::LeftToRight ? "left to right" : "right to left");
        WrappedLabel remembering(nullptr);
        QLabel plain;
        plain.setWordWrap(true);
        for (QLabel* label : {static_cast<QLabel*>(&remembering), &plain}) {
            label->setTextFormat(Qt::RichText);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->setLayoutDirection(direction);
            label->setText(QStringLiteral("<b>Stability</b> of aiming over the control interval before each shot"));
            label->resize(400, 40);
            label->show();
        }
        for (const QSize size : {QSize(120, 90), QSize(260, 60), QSize(90, 140)}) {
            SCOPED_TRACE(size.width());
            const QPoint word(size.width() / 3, size.height() / 2);
            for (QLabel* label : {static_cast<QLabel*>(&remembering), &plain}) {
                label->resize(size);
                (void)label->heightForWidth(size.width() + 40); // as a layout asks, between resize and use
                QTest::mouseDClick(label, Qt::LeftButton, {}, word);
            }
            EXPECT_FALSE(plain.selectedText().isEmpty());
            EXPECT_EQ(plain.selectedText(), remembering.selectedText());
            EXPECT_EQ(plain.grab().toImage(), remembering.grab().toImage());
        }
    }
}

} // namespace
} // namespace talvodesk
