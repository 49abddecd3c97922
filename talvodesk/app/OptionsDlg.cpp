#include "talvodesk/app/OptionsDlg.h"

#include "talvodesk/app/TalvoOptionsTreeViewCtr.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/core/options/Options.h"

#include "platform/ui/QtText.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace talvodesk {

namespace {

constexpr std::u16string_view kRectValue = u"WindowRectOptions";
// The dialog's size in dialog units.
constexpr int kWidthUnits = 276;
constexpr int kHeightUnits = 230;
constexpr std::uint32_t kTitleText = 36040;

} // namespace

COptionsDlg::COptionsDlg(COptions& options, const TextLookup& texts, const platform::registry::Key* settingsRoot,
                         QWidget* parent, ColourChooser chooser)
    : QDialog(parent), m_model(options, texts), m_settingsRoot(settingsRoot)
{
    setWindowTitle(platform::ui::qtext(texts(kTitleText)));
    setSizeGripEnabled(true);
    m_view = new CTalvoOptionsTreeViewCtr(m_model, std::move(chooser), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(makeOkCancel(*this, texts));

    setMinimumSize(TemplateMinimumSize(*this, kWidthUnits, kHeightUnits));
    resize(minimumSize());
    if (!RestoreWindowRect(*this, m_settingsRoot, kRectValue)) {
        CentreOnOwner(*this);
    }
}

void COptionsDlg::done(int result)
{
    if (result == QDialog::Accepted) {
        m_view->commitEditors();
    }
    StoreWindowRect(*this, m_settingsRoot, kRectValue);
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
