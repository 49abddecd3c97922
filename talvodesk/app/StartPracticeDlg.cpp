#include "talvodesk/app/StartPracticeDlg.h"

#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/ResText.h"
#include "talvodesk/app/internal/DialogParts.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/practice/DeviceListing.h"
#include "talvodesk/core/program/ShellItems.h"

#include "interfaces/talvodata/Guids.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/text/Collation.h"
#include "platform/ui/QtText.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace talvodesk {

namespace {

using platform::com::ComPtr;
using namespace platform::shell;

constexpr std::u16string_view kRectValue = u"WindowRectStartPractice";
constexpr int kWidthUnits = 240;
constexpr int kHeightUnits = 188;
constexpr std::size_t kShellNameLength = 260;
constexpr std::uint32_t kTitleText = 36100;
constexpr std::uint32_t kPositionText = 36101;
constexpr std::uint32_t kIssfText = 36102;
constexpr std::uint32_t kMilitaryText = 36103;
constexpr std::uint32_t kOtherText = 36104;
constexpr std::uint32_t kNraText = 36105;
constexpr std::uint32_t kConnectedText = 36106;
constexpr std::uint32_t kShooterText = 36107;
constexpr std::uint32_t kStartText = 36108;
constexpr std::uint32_t kEventText = 36074;

/// The rules' own texts that the table has in every language; any other (a device's error) is shown as it is.
constexpr std::pair<std::u16string_view, std::uint32_t> kRuleTexts[] = {
    {u"Prone", 32824},
    {u"Standing", 32825},
    {u"Kneeling", 32826},
    {u"Sensor on the bottom", 36110},
    {u"Sensor on top", 36111},
    {u"Sensor on the left", 36112},
    {u"Sensor on the right", 36113},
    {u"Target at 5-12 meters", 36114},
    {kNoDeviceText, 36120},
    {kNoShooterText, 36121},
    {kNoEventText, 36122},
    {kNoCatalogText, 36123},
    {kNoConnectionText, 36124},
};

/// Where a text goes in a box sorted by the user's order.
int sortedRow(const QComboBox& box, std::u16string_view text)
{
    int row = 0;
    while (row < box.count() && platform::text::compareLocale(platform::ui::text16(box.itemText(row)), text) <= 0) {
        ++row;
    }
    return row;
}

/// The rules' entries of the box, as they were given before they were shown in the user's language.
std::vector<std::u16string> entriesOf(const QComboBox& box)
{
    std::vector<std::u16string> entries;
    for (int row = 0; row < box.count(); ++row) {
        entries.push_back(platform::ui::text16(box.itemData(row).toString()));
    }
    return entries;
}

QString shownText(const CTalvoAppModule& module, std::u16string_view text)
{
    const auto known = std::ranges::find(kRuleTexts, text, &std::pair<std::u16string_view, std::uint32_t>::first);
    return known != std::end(kRuleTexts) ? ResText(module, known->second) : platform::ui::qtext(text);
}

void fillAndSelectFirst(QComboBox& box, const std::vector<std::u16string>& entries, const CTalvoAppModule& module)
{
    box.clear();
    for (const std::u16string& text : entries) {
        box.addItem(shownText(module, text), platform::ui::qtext(text));
    }
    box.setCurrentIndex(0);
}

/// The items of a folder's subfolders.
std::vector<ItemIdPtr> subfolders(IShellFolder& folder)
{
    std::vector<ItemIdPtr> found;
    ComPtr<IEnumIDList> items;
    if (FAILED(folder.EnumObjects(nullptr, SHCONTF_FOLDERS, items.put()))) {
        return found;
    }
    LPITEMIDLIST next = nullptr;
    while (items->Next(1, &next, nullptr) == S_OK) {
        found.emplace_back(next);
    }
    return found;
}

/// The normal names of the shooter folders, one level below the event folders of the catalog's root.
std::vector<std::u16string> shooterFolderNames(IShellFolder& root)
{
    std::vector<std::u16string> names;
    for (const ItemIdPtr& event : subfolders(root)) {
        const LPCITEMIDLIST one[] = {event.get()};
        ULONG attributes = SFGAO_HASSUBFOLDER;
        ComPtr<IShellFolder> folder;
        if (FAILED(root.GetAttributesOf(1, one, &attributes)) || (attributes & SFGAO_HASSUBFOLDER) == 0 ||
            FAILED(root.BindToObject(event.get(), nullptr, IShellFolder::kIid, folder.putVoid()))) {
            continue;
        }
        for (const ItemIdPtr& shooter : subfolders(*folder)) {
            char16_t name[kShellNameLength] = {};
            if (GetItemDisplayName(*folder, shooter.get(), SHGDN_NORMAL, name, kShellNameLength)) {
                names.emplace_back(name);
            }
        }
    }
    return names;
}

} // namespace

void DropDownComboBox::showPopup()
{
    if (aboutToDropDown) {
        aboutToDropDown();
    }
    QComboBox::showPopup();
}

CStartPracticeDlg::CStartPracticeDlg(const Setup& setup, QWidget* parent)
    : QDialog(parent), m_device(&setup.device),
      m_eventName(setup.eventName.empty() ? LoadRememberedName(setup.settingsRoot, u"EventName") : setup.eventName),
      m_rememberedShooter(setup.shooterName.empty() ? LoadRememberedName(setup.settingsRoot, u"ShooterName")
                                                    : setup.shooterName),
      m_autoStart(!setup.eventName.empty() && !setup.shooterName.empty()), m_options(setup.options),
      m_settingsRoot(setup.settingsRoot), m_module(setup.module), m_bus(setup.bus), m_clock(setup.clock),
      m_filters(LoadEventFilters(setup.settingsRoot))
{
    const auto text = [this](std::uint32_t id) { return ResText(m_module, id); };
    setWindowTitle(text(kTitleText));
    setSizeGripEnabled(true);
    const auto named = [](QWidget* widget, const char* id) {
        widget->setObjectName(QString::fromLatin1(id));
        return widget;
    };
    m_devices = new QComboBox(this);
    m_deviceOption = new QComboBox(this);
    m_shooters = new DropDownComboBox(this);
    m_shooters->setEditable(true);
    m_shooters->setInsertPolicy(QComboBox::NoInsert);
    m_events = new QListWidget(this);
    m_events->setViewMode(QListView::ListMode);
    m_events->setSelectionMode(QAbstractItemView::SingleSelection);
    m_positionLabel = new QLabel(text(kPositionText), this);
    m_positions = new QComboBox(this);

    auto* filters = new QHBoxLayout;
    const std::pair<EventFilter, const char*> boxes[] = {{EventFilter::Issf, "1091"},
                                                         {EventFilter::Military, "1092"},
                                                         {EventFilter::Other, "1093"},
                                                         {EventFilter::Nra, "1097"}};
    const QString labels[] = {text(kIssfText), text(kMilitaryText), text(kOtherText), text(kNraText)};
    for (std::size_t index = 0; index < std::size(boxes); ++index) {
        auto* box = new QCheckBox(labels[index], this);
        named(box, boxes[index].second);
        const EventFilter filter = boxes[index].first;
        m_filterBoxes[filter] = box;
        connect(box, &QCheckBox::clicked, this, [this, filter](bool checked) { filterClicked(filter, checked); });
        filters->addWidget(box);
    }
    filters->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(text(kConnectedText), this), 0, 0);
    grid->addWidget(named(m_devices, "1002"), 0, 1);
    grid->addWidget(named(m_deviceOption, "1080"), 1, 1);
    grid->addWidget(new QLabel(text(kShooterText), this), 2, 0);
    grid->addWidget(named(m_shooters, "1006"), 2, 1);
    grid->addWidget(new QLabel(text(kEventText), this), 3, 0);
    grid->addLayout(filters, 3, 1);
    grid->addWidget(named(m_events, "1004"), 4, 0, 1, 2);
    grid->addWidget(named(m_positionLabel, "1007"), 5, 0);
    grid->addWidget(named(m_positions, "1008"), 5, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);
    QDialogButtonBox* buttons = makeOkCancel(*this, ModuleTexts(m_module));
    m_start = buttons->findChild<QPushButton*>(QStringLiteral("1"));
    m_start->setText(text(kStartText));
    grid->addWidget(buttons, 6, 0, 1, 2);

    connect(m_devices, &QComboBox::activated, this, [this] { refreshDeviceOption(); });
    connect(m_events, &QListWidget::itemSelectionChanged, this, [this] { refreshPositions(); });
    connect(m_events, &QListWidget::itemDoubleClicked, this, [this] { postStart(); });
    m_shooters->aboutToDropDown = [this] { readShooterNames(); };
}

CStartPracticeDlg::~CStartPracticeDlg() = default;

int CStartPracticeDlg::DoModal()
{
    OnInitDialog();
    return exec() == QDialog::Accepted ? 1 : 2;
}

void CStartPracticeDlg::OnInitDialog()
{
    {
        WaitCursor wait;
        m_deviceOption->hide();
        for (const auto& [filter, box] : m_filterBoxes) {
            box->setChecked(m_filters.isOn(filter));
        }
        if (!m_rememberedShooter.empty()) {
            m_shooters->setEditText(platform::ui::qtext(m_rememberedShooter));
        }
        if (FAILED(CoCreateInstance(talvodata::CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid,
                                    m_manager.putVoid()))) {
            QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
            return;
        }
    }
    AutoStart autoStart{m_autoStart, fillEvents(EventCondition::Any), !m_rememberedShooter.empty()};
    fillAndSelectFirst(*m_deviceOption,
                       *DeviceOptionEntries(DeviceKind::SerialPort, {}, m_options.firingPoint, &m_module), m_module);
    refreshPositions();
    // A device that has not been configured yet still names an event.
    (void)m_device->put_EventShortName(1, platform::com::Bstr("AP10").get());

    setMinimumSize(TemplateMinimumSize(*this, kWidthUnits, kHeightUnits));
    resize(minimumSize());
    CentreOnOwner(*this);
    (void)RestoreWindowRect(*this, m_settingsRoot, kRectValue);
    if (autoStart.showsBeforeProbing()) {
        // Probing the devices takes a while: let the user see the dialog meanwhile.
        setWindowModality(Qt::ApplicationModal);
        show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

    DeviceList list;
    {
        WaitCursor wait;
        list = ListDevices({m_options.enableRS232 != 0 ? m_device.get() : nullptr, m_bus, m_clock});
    }
    for (const std::string& error : list.imageSensorErrors) {
        (void)ShowMessageBox(m_module, this, QString::fromStdString(error), {}, MB_OK);
    }
    m_paths = std::move(list.paths);
    for (const DeviceListEntry& entry : list.entries) {
        m_devices->insertItem(sortedRow(*m_devices, entry.text), platform::ui::qtext(entry.text),
                              QVariant::fromValue(static_cast<qlonglong>(entry.id)));
    }
    if (m_devices->count() == 0) {
        ShowError(m_module, this, shownText(m_module, kNoDeviceText));
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    } else {
        m_devices->setCurrentIndex(0);
        refreshDeviceOption();
        if (selectedKind() == DeviceKind::ImageSensor) {
            // The image sensor narrows the list, so the user confirms the event.
            fillEvents(EventCondition::ImageSensor);
            autoStart.eventFound = false;
        }
    }
    m_eventName.clear();
    if (autoStart.startsBySelf(selectedEvent() != nullptr, m_devices->count() > 0)) {
        postStart();
    }
}

std::optional<SelectedDevice> CStartPracticeDlg::selectedDevice() const
{
    if (m_devices->currentIndex() < 0) {
        return std::nullopt;
    }
    const long id = static_cast<long>(m_devices->currentData().toLongLong());
    const auto path = m_paths.find(id);
    return SelectedDevice{id, path != m_paths.end() ? path->second : std::string()};
}

DeviceKind CStartPracticeDlg::selectedKind() const
{
    const auto selected = selectedDevice();
    if (!IsUsbDeviceSelected(selected)) {
        return DeviceKind::SerialPort;
    }
    if (IsWirelessSelected(m_bus, selected)) {
        return DeviceKind::WirelessTarget;
    }
    return IsImageSensorSelected(m_bus, selected) ? DeviceKind::ImageSensor : DeviceKind::OpticalSensor;
}

EventCondition CStartPracticeDlg::eventCondition() const
{
    return selectedKind() == DeviceKind::ImageSensor ? EventCondition::ImageSensor : EventCondition::Any;
}

bool CStartPracticeDlg::fillEvents(EventCondition condition)
{
    m_events->clear();
    m_rows = ListEvents(*m_manager, m_filters, condition, m_eventName, m_module);
    bool found = false;
    for (const ListedEvent& row : m_rows) {
        auto* item = new QListWidgetItem(platform::ui::qtext(row.text), m_events);
        if (row.selected && !found) {
            m_events->setCurrentItem(item);
            found = true;
        }
    }
    refreshPositions();
    return found;
}

IEventParams* CStartPracticeDlg::selectedEvent() const
{
    for (int row = 0; row < m_events->count(); ++row) {
        if (m_events->item(row)->isSelected()) {
            return m_rows[static_cast<std::size_t>(row)].event.get();
        }
    }
    return nullptr;
}

void CStartPracticeDlg::refreshPositions()
{
    m_positions->clear();
    const std::vector<std::u16string> positions = InitialPositions(selectedEvent());
    for (const std::u16string& text : positions) {
        m_positions->addItem(shownText(m_module, text));
    }
    m_positions->setCurrentIndex(positions.empty() ? -1 : kStandingPosition);
    m_positionLabel->setVisible(!positions.empty());
    m_positions->setVisible(!positions.empty());
}

void CStartPracticeDlg::refreshDeviceOption()
{
    const DeviceKind kind = selectedKind();
    m_deviceOption->setVisible(ShowsDeviceOption(kind));
    const auto entries = DeviceOptionEntries(kind, entriesOf(*m_deviceOption), m_options.firingPoint, &m_module);
    if (entries) {
        fillAndSelectFirst(*m_deviceOption, *entries, m_module);
    }
}

void CStartPracticeDlg::filterClicked(EventFilter box, bool checked)
{
    m_filters = ClickEventFilter(m_filters, box, checked, m_settingsRoot);
    m_filterBoxes[EventFilter::Issf]->setChecked(m_filters.isOn(EventFilter::Issf));
    fillEvents(eventCondition());
}

void CStartPracticeDlg::readShooterNames()
{
    if (!m_shooterListPending) {
        return;
    }
    WaitCursor wait;
    ComPtr<IShellFolder> root;
    ItemIdPtr rootList;
    if (!FindCatalogRoot(root, rootList)) {
        (void)ShowMessageBox(m_module, this, shownText(m_module, kNoCatalogText), {}, MB_OK);
        return;
    }
    const QString typed = m_shooters->currentText();
    for (const std::u16string& name : shooterFolderNames(*root)) {
        if (m_shooters->findText(platform::ui::qtext(name), Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
            m_shooters->insertItem(sortedRow(*m_shooters, name), platform::ui::qtext(name));
        }
    }
    m_shooters->setEditText(typed);
    m_shooterListPending = false;
}

void CStartPracticeDlg::postStart()
{
    QMetaObject::invokeMethod(m_start, &QPushButton::click, Qt::QueuedConnection);
}

void CStartPracticeDlg::accept()
{
    m_chosen.reset();
    const auto device = selectedDevice();
    StartForm form;
    form.deviceId = device ? device->id : -1;
    form.devicePath = device ? device->path : std::string();
    form.deviceKind = selectedKind();
    form.shooterName = platform::ui::text16(m_shooters->currentText());
    form.event = ComPtr<IEventParams>(selectedEvent());
    form.positionSelection = m_positions->currentIndex();
    form.optionSelection = m_deviceOption->currentIndex();
    const auto read = ReadStartForm(form, m_options, m_settingsRoot);
    if (const auto* missing = std::get_if<std::u16string_view>(&read)) {
        if (*missing == kNoShooterText) {
            ShowError(m_module, this, shownText(m_module, *missing));
        } else {
            (void)ShowMessageBox(m_module, this, shownText(m_module, *missing), {}, MB_OK);
        }
        return;
    }
    const auto& settings = std::get<DeviceSettings>(read);
    m_chosen = settings.event;
    ConfigureDevice(*m_device, settings);
    Connection connection;
    {
        WaitCursor wait;
        connection = ConnectDevice(*m_device);
    }
    if (!connection.connected) {
        ShowError(m_module, this, shownText(m_module, connection.failure));
        return;
    }
    m_shooter = settings.shooterName;
    m_position = settings.position;
    m_serialNumber = connection.serialNumber;
    QDialog::accept();
}

void CStartPracticeDlg::done(int result)
{
    StoreWindowRect(*this, m_settingsRoot, kRectValue);
    QDialog::done(result);
}

} // namespace talvodesk
