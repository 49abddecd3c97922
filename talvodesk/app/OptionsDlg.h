#pragma once

#include "talvodesk/app/ChildColorPickerButton.h"
#include "talvodesk/core/options/TalvoOptionsTree.h"

#include <QDialog>

#include <cstdint>
#include <optional>

namespace platform::registry {
class Key;
}

namespace talvodesk {

class COptions;
class CTalvoOptionsTreeViewCtr;

/// The options dialog: one resizable tree of every option over a working copy of the options. Its rectangle is
/// kept in the settings value "WindowRectOptions". Owner thread only.
class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    /// `settingsRoot` may be null (the rectangle is then neither restored nor saved).
    COptionsDlg(COptions& options, const TextLookup& texts, const platform::registry::Key* settingsRoot,
                QWidget* parent, ColourChooser chooser = ChooseColourBelow);

    CTalvoOptionsTreeViewCtr* tree() const { return m_view; }
    const TalvoOptionsTree& model() const { return m_model; }

    /// OK first stores the open editors; either way the rectangle is saved.
    void done(int result) override;

private:
    TalvoOptionsTree m_model;
    CTalvoOptionsTreeViewCtr* m_view;
    const platform::registry::Key* m_settingsRoot;
};

/// The options command's dialog step: runs the dialog modally on a copy of `live` and, on OK, assigns the copy
/// back. The change flags of COptions::Assign on OK; nothing on Cancel, and `live` is then untouched.
std::optional<std::uint32_t> EditOptions(COptions& live, const TextLookup& texts,
                                         const platform::registry::Key* settingsRoot, QWidget* parent);

} // namespace talvodesk
