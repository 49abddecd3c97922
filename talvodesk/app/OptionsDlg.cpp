#include "talvodesk/app/OptionsDlg.h"

#include "talvodesk/app/TalvoOptionsTreeViewCtr.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/core/Options.h"
#include "talvodesk/core/Settings.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include <algorithm>

namespace talvodesk {

namespace {

constexpr std::u16string_view kRectValue = u"WindowRectOptions";
// The dialog's size in dialog units: a quarter of the average character width, an eighth of the line height.
constexpr int kWidthUnits = 276;
constexpr int kHeightUnits = 230;

} // namespace

COptionsDlg::COptionsDlg(COptions& options, const TextLookup& texts, const platform::registry::Key* settingsRoot,
                         QWidget* parent, ColourChooser chooser)
    : QDialog(parent), m_model(options, texts), m_settingsRoot(settingsRoot)
{
    setWindowTitle(tr("Options"));
    setSizeGripEnabled(true);
    m_view = new CTalvoOptionsTreeViewCtr(m_model, std::move(chooser), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(makeOkCancel(*this));

    const QFontMetrics metrics = fontMetrics();
    setMinimumSize(kWidthUnits * metrics.averageCharWidth() / 4, kHeightUnits * metrics.height() / 8);
    resize(minimumSize());
    const auto rect = m_settingsRoot != nullptr ? LoadWindowRect(*m_settingsRoot, kRectValue) : std::nullopt;
    if (rect) {
        // A hand-edited rectangle may span more than an int holds.
        const auto extent = [](std::int32_t from, std::int32_t to) {
            return static_cast<int>(std::min<std::int64_t>(std::int64_t{to} - from, QWIDGETSIZE_MAX));
        };
        setGeometry(rect->left, rect->top, extent(rect->left, rect->right), extent(rect->top, rect->bottom));
    } else if (parent != nullptr) {
        move(parent->geometry().center() - QPoint(width() / 2, height() / 2));
    }
}

void COptionsDlg::done(int result)
{
    if (result == QDialog::Accepted) {
        m_view->commitEditors();
    }
    if (m_settingsRoot != nullptr) {
        const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
        // A failed write only loses the place for the next time.
        (void)SaveWindowRect(
            *m_settingsRoot, kRectValue,
            {normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()});
    }
    QDialog::done(result);
}

std::optional<std::uint32_t> EditOptions(COptions& live, const TextLookup& texts,
                                         const platform::registry::Key* settingsRoot, QWidget* parent)
{
    COptions copy = live;
    COptionsDlg dialog(copy, texts, settingsRoot, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return live.Assign(copy);
}

} // namespace talvodesk
