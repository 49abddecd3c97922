#include "talvodesk/app/FrameDialogs.h"

#include "talvodesk/app/AboutDialog.h"
#include "talvodesk/app/CalibrationDlg.h"
#include "talvodesk/app/CatalogDlg.h"
#include "talvodesk/app/CatalogFolder.h"
#include "talvodesk/app/OptionsDlg.h"
#include "talvodesk/app/PageSetupDlg.h"
#include "talvodesk/app/PrintTargetDlg.h"
#include "talvodesk/app/ResText.h"
#include "talvodesk/app/ShotsParametersDlg.h"
#include "talvodesk/app/StartPracticeDlg.h"
#include "talvodesk/app/WindowHelpers.h"
#include "talvodesk/core/frame/FrameCommands.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/program/ShellItems.h"

#include "platform/com/Bstr.h"
#include "platform/time/Clock.h"
#include "platform/usb/UsbTransport.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>

namespace talvodesk {

namespace {

constexpr std::uint32_t kPracticesFilter = 36137;

} // namespace

std::optional<std::filesystem::path> FrameDialogs::openPractice(QWidget* owner, const QString& caption,
                                                                const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(owner, caption, {}, filter);
    return path.isEmpty() ? std::nullopt : std::optional(std::filesystem::path(path.toStdString()));
}

std::optional<std::filesystem::path> FrameDialogs::openFromCatalog(QWidget* owner, const CatalogChoice& choice)
{
    platform::com::ComPtr<platform::shell::IShellFolder> root;
    platform::shell::ItemIdPtr rootList;
    if (!FindCatalogRoot(root, rootList)) {
        return openPractice(owner, choice.caption, ResText(ModuleOrEnglish(choice.module), kPracticesFilter));
    }
    CCatalogDlg dialog(owner, choice.module);
    dialog.SetCaption(choice.caption);
    dialog.SetEventNamer(CatalogEventNamer(ModuleOrEnglish(choice.module)));
    dialog.SetEventFilter(choice.eventFilter);
    dialog.SetStartFolder(choice.event, choice.shooter);
    dialog.SetSettingsRoot(choice.settingsRoot);
    if (dialog.DoModal() != 1 || dialog.Path().empty()) {
        return std::nullopt;
    }
    return std::filesystem::path(platform::com::utf16ToUtf8(dialog.Path()));
}

std::optional<std::filesystem::path> FrameDialogs::chooseFolder(QWidget* owner, const QString& title)
{
    // The program's working folder means nothing to the user; the home folder is where one starts looking.
    const QString path = QFileDialog::getExistingDirectory(owner, title, QDir::homePath());
    return path.isEmpty() ? std::nullopt : std::optional(std::filesystem::path(path.toStdString()));
}

void FrameDialogs::about(QWidget* owner, const CTalvoAppModule& module)
{
    AboutDialog dialog(module, owner);
    dialog.exec();
}

std::optional<std::uint32_t> FrameDialogs::editOptions(QWidget* owner, COptions& live, const TextLookup& texts,
                                                       const platform::registry::Key* settingsRoot)
{
    return EditOptions(live, texts, settingsRoot, owner);
}

std::optional<ShotsParameters> FrameDialogs::editShotsParameters(QWidget* owner, const ShotsParameters& values,
                                                                 std::int32_t eventCode, const CTalvoAppModule& module)
{
    CShotsParametersDlg dialog(module, values, eventCode, owner);
    return dialog.exec() == QDialog::Accepted ? std::optional(dialog.values()) : std::nullopt;
}

std::optional<StartPracticeChoice> FrameDialogs::startPractice(QWidget* owner, const StartPracticeRequest& request)
{
    if (!request.device) {
        return std::nullopt;
    }
    static const COptions s_defaultOptions;
    static platform::time::SystemClock s_clock;
    CStartPracticeDlg dialog({*request.device, request.eventName, request.shooterName,
                              request.options ? *request.options : s_defaultOptions, request.settingsRoot,
                              ModuleOrEnglish(request.module),
                              request.usb ? *request.usb : platform::usb::systemUsbTransport(), s_clock},
                             owner);
    if (dialog.DoModal() != 1) {
        return std::nullopt;
    }
    return StartPracticeChoice{dialog.chosenEvent(), dialog.shooterName(), dialog.position(), dialog.serialNumber()};
}

void FrameDialogs::calibrate(QWidget* owner, const CalibrationRequest& request)
{
    if (request.device == nullptr) {
        return;
    }
    CCalibrationDlg dialog(request, owner);
    (void)dialog.exec(); // The dialog's result means nothing to the practice.
}

void FrameDialogs::printTarget(QWidget* owner, const CTalvoAppModule& module)
{
    CPrintTargetDlg dialog(module, owner,
                           [this](QWidget* dialogOwner, QPrinter& printer, const QString& file, int pageCount,
                                  int& from,
                                  int& to) { return choosePrinter(dialogOwner, printer, file, pageCount, from, to); });
    (void)dialog.exec(); // printing happens inside the dialog
}

bool FrameDialogs::choosePrinter(QWidget* owner, QPrinter& printer, const QString& file, int pageCount, int& from,
                                 int& to)
{
    QPrintDialog dialog(&printer, owner);
    if (printer.outputFileName().isEmpty()) {
        // Left alone, the dialog offers the job's name, whose date has slashes, as a file in the working folder.
        if (auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("filename"))) {
            field->setText(file);
        }
    }
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(1, pageCount);
    dialog.setFromTo(1, pageCount);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    from = printer.fromPage() > 0 ? printer.fromPage() : 1;
    to = printer.toPage() > 0 ? printer.toPage() : pageCount;
    return true;
}

bool FrameDialogs::setUpPage(QWidget* owner, QPrinter& printer, PageMargins& margins, const CTalvoAppModule& module)
{
    PageSetupDlg dialog(module, printer, margins, owner);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    margins = dialog.apply(printer);
    return true;
}

void FrameDialogs::showHelpPage(const std::filesystem::path& page)
{
    const auto [program, arguments] = programAndArguments(OpenInBrowserArguments(page));
    (void)QProcess::startDetached(program, arguments); // no browser, no page
}

} // namespace talvodesk
