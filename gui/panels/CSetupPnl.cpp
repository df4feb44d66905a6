#include "gui/panels/CSetupPnl.h"

#include <algorithm>
#include <utility>

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSignalBlocker>

#include "core/tables/TabSupChipType.h"
#include "gui/ControlId.h"
#include "gui/PelagorFonts.h"
#include "gui/panels/SetupDeviceEntry.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kListLeft = 7;
constexpr int kListTop = 7;
constexpr int kGroupWidth = 270;
constexpr int kGroupHeight = 41;
constexpr int kGroupBottomGap = 2;
constexpr int kRadioLeft = 12;
constexpr int kRadioTop = 18;
constexpr int kRadioWidth = 80;
constexpr int kRadioHeight = 18;
constexpr int kRadioGap = 16;

// Sets a flag for the life of the object and puts back what was there.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = previous_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Latin1Bytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

} // namespace

const char* const CSetupPnl::kListTip = "Select one of the given devices.";
const char* const CSetupPnl::kTableMessage = "Not able to read table of supported device types.";

CSetupPnl::CSetupPnl(QWidget* parent)
    : CPanel(parent, kDialogId),
      usartGroup_(new QGroupBox(QStringLiteral("Sniffer communication interface"), this)),
      usart1Button_(new QRadioButton(QStringLiteral("USART1"), usartGroup_)),
      usart0Button_(new QRadioButton(QStringLiteral("USART0"), usartGroup_)),
      deviceList_(new QListWidget(this)),
      helpTip_(this)
{
    setFont(PelagorFont("MS Sans Serif", 8));
    SetControlId(usartGroup_, kUsartGroupId);
    SetControlId(usart1Button_, kUsart1Id);
    SetControlId(usart0Button_, kUsart0Id);
    SetControlId(deviceList_, kDeviceListId);

    deviceList_->setSelectionMode(QAbstractItemView::SingleSelection);
    deviceList_->setFrameShape(QFrame::StyledPanel);
    deviceList_->setFrameShadow(QFrame::Sunken);
    deviceList_->installEventFilter(this);
    usart0Button_->installEventFilter(this);
    usart1Button_->installEventFilter(this);

    connect(deviceList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            OnSelChangeDeviceList();
    });
    // A single-selection list box always keeps its entry: a Ctrl+click must not leave the
    // entry current but unselected, with the device still in use.
    connect(deviceList_, &QListWidget::itemSelectionChanged, this, [this] {
        QListWidgetItem* current = deviceList_->currentItem();
        if (current != nullptr && deviceList_->selectedItems().isEmpty()) {
            const QSignalBlocker blocker(deviceList_);
            current->setSelected(true);
        }
    });
    connect(usart0Button_, &QRadioButton::clicked, this, [this] { OnUsart0Clicked(); });
    connect(usart1Button_, &QRadioButton::clicked, this, [this] { OnUsart1Clicked(); });
    connect(&pollTimer_, &QTimer::timeout, this, [this] { RefreshDeviceList(); });

    helpTip_.Add(deviceList_, QString::fromLatin1(kListTip), 400);

    ShowUsartChoice(false);
    usart1Button_->setChecked(true);
    usartChoice_ = 1;
    LayoutControls();
}

CSetupPnl::~CSetupPnl()
{
    pollTimer_.stop();
}

void CSetupPnl::SetPluginFolder(const std::string& folder)
{
    if (folder == pluginFolder_)
        return;
    pluginFolder_ = folder;
    // Another protocol supports other chips: its table is read afresh and the list rebuilt.
    supportedChips_.reset();
    tableFailureShown_ = false;
    listStale_ = true;
}

void CSetupPnl::SetRefreshBlocked(std::function<bool()> blocked)
{
    refreshBlocked_ = std::move(blocked);
}

void CSetupPnl::SetDeviceSelectedHandler(std::function<void(const std::string& deviceType)> handler)
{
    deviceSelected_ = std::move(handler);
}

void CSetupPnl::EnableDeviceList(bool on)
{
    deviceList_->setEnabled(on);
}

void CSetupPnl::StartDevicePoll(int periodMs)
{
    pollTimer_.start(std::max(periodMs, 1));
}

// ---------------------------------------------------------------- refresh

void CSetupPnl::RefreshDeviceList()
{
    if (updating_ || (refreshBlocked_ && refreshBlocked_()))
        return;
    const FlagScope scope(updating_);

    if (supportedChips_ == nullptr)
        LoadSupportedChips();

    int count = DravikEb::kMaxBoards;
    DravikEb::EnumEbs(records_.data(), &count, 0xFFFF);
    count = std::clamp(count, 0, DravikEb::kMaxBoards);
    recordCount_ = count;

    // The entries point into the records by index: they stay only while each index still
    // names the device it was built from.
    const bool withTable = supportedChips_ != nullptr;
    if (!listStale_ && count == deviceCount_ && listedWithTable_ == withTable && SameDevicesAsListed(count))
        return;
    RebuildList(count);
}

bool CSetupPnl::LoadSupportedChips()
{
    auto table = std::make_unique<TabSupChipType>(pluginFolder_);
    if (table->Read() != 0) {
        supportedChips_ = std::move(table);
        tableFailureShown_ = false;
        return true;
    }
    // Retried at every refresh, but told once: the poll would otherwise show it every period.
    if (!tableFailureShown_) {
        tableFailureShown_ = true;
        platform::ShowMessageBox(kTableMessage, platform::MessageIcon::Exclamation);
    }
    return false;
}

bool CSetupPnl::Supported(const DravikEbInfo& info) const
{
    if (supportedChips_ == nullptr)
        return false;
    const std::string_view chip = setupdevice::FieldText(info.chipName);
    for (const TAB_SUP_CHIP_TYPE_REC& row : supportedChips_->Rows())
        if (setupdevice::FieldText(row.CHIPTYPE) == chip)
            return true;
    return false;
}

bool CSetupPnl::SameDevicesAsListed(int count) const
{
    for (int i = 0; i < count; ++i)
        if (!setupdevice::SameDevice(records_[static_cast<size_t>(i)], listed_[static_cast<size_t>(i)]))
            return false;
    return true;
}

void CSetupPnl::RebuildList(int count)
{
    {
        const QSignalBlocker blocker(deviceList_);
        deviceList_->clear();
    }
    deviceCount_ = count;
    std::copy_n(records_.begin(), count, listed_.begin());
    listedWithTable_ = supportedChips_ != nullptr;
    listStale_ = false;
    if (count == 0) {
        deviceType_.clear();
        return;
    }

    {
        const QSignalBlocker blocker(deviceList_);
        for (int i = 0; i < count; ++i) {
            const DravikEbInfo& info = records_[static_cast<size_t>(i)];
            if (!Supported(info) || !setupdevice::Listable(info))
                continue;
            const QString text = Latin1(setupdevice::EntryText(info));
            // Sorted as a sorted list box sorts, without regard to case; equal texts in the
            // order they came.
            int row = 0;
            while (row < deviceList_->count() &&
                   QString::compare(deviceList_->item(row)->text(), text, Qt::CaseInsensitive) <= 0)
                ++row;
            auto* item = new QListWidgetItem(text);
            item->setData(Qt::UserRole, i);
            deviceList_->insertItem(row, item);
        }
    }
    SelectEntry();
}

void CSetupPnl::SelectEntry()
{
    int row = -1;
    if (!entryText_.empty()) {
        const QString remembered = Latin1(entryText_);
        for (int i = 0; i < deviceList_->count() && row < 0; ++i)
            if (deviceList_->item(i)->text().startsWith(remembered, Qt::CaseInsensitive))
                row = i;
    }
    if (row < 0 && deviceList_->count() > 0) {
        row = 0;
        entryText_ = Latin1Bytes(deviceList_->item(0)->text());
    }
    if (row < 0) {
        deviceType_.clear();
        return;
    }
    {
        const QSignalBlocker blocker(deviceList_);
        deviceList_->setCurrentRow(row);
    }
    OnSelChangeDeviceList();
}

// ---------------------------------------------------------------- selection

const DravikEbInfo* CSetupPnl::SelectedDevice() const
{
    const QListWidgetItem* item = deviceList_->currentItem();
    if (item == nullptr || !item->isSelected())
        return nullptr;
    bool ok = false;
    const int index = item->data(Qt::UserRole).toInt(&ok);
    if (!ok || index < 0 || index >= recordCount_)
        return nullptr;
    return &records_[static_cast<size_t>(index)];
}

void CSetupPnl::OnSelChangeDeviceList()
{
    const QListWidgetItem* item = deviceList_->currentItem();
    if (item == nullptr)
        return;
    const FlagScope scope(updating_);
    entryText_ = Latin1Bytes(item->text());
    // The chip name closes the entry; a device text may hold the marker too.
    const size_t marker = entryText_.rfind("-- QZ");
    if (marker != std::string::npos && marker + 3 < entryText_.size())
        deviceType_ = entryText_.substr(marker + 3);

    if (deviceSelected_)
        deviceSelected_(deviceType_);

    const bool offered =
        (deviceType_ == "QZ6F1C" || deviceType_ == "QZ3A1E") && entryText_.find("Dalvor") != std::string::npos;
    ShowUsartChoice(offered);
    if (offered) {
        usart0Button_->setChecked(true);
        usart1Button_->setChecked(false);
        usartChoice_ = 0;
    } else {
        usart1Button_->setChecked(true);
        usart0Button_->setChecked(false);
        usartChoice_ = 1;
    }
}

void CSetupPnl::OnUsart0Clicked()
{
    if (!usart0Button_->isChecked())
        return;
    usart1Button_->setChecked(false);
    usartChoice_ = 0;
}

void CSetupPnl::OnUsart1Clicked()
{
    if (!usart1Button_->isChecked())
        return;
    usart0Button_->setChecked(false);
    usartChoice_ = 1;
}

void CSetupPnl::ShowUsartChoice(bool shown)
{
    usartGroup_->setVisible(shown);
    usart1Button_->setVisible(shown);
    usart0Button_->setVisible(shown);
}

// ---------------------------------------------------------------- layout and keys

void CSetupPnl::resizeEvent(QResizeEvent* event)
{
    CPanel::resizeEvent(event);
    LayoutControls();
}

void CSetupPnl::LayoutControls()
{
    const int w = width();
    const int h = height();
    deviceList_->setGeometry(kListLeft, kListTop, std::max(w - kListLeft, 0), std::max(h - kBottomRoom - kListTop, 0));
    usartGroup_->setGeometry(kListLeft, std::max(h - kGroupHeight - kGroupBottomGap, 0), kGroupWidth, kGroupHeight);
    usart1Button_->setGeometry(kRadioLeft, kRadioTop, kRadioWidth, kRadioHeight);
    usart0Button_->setGeometry(kRadioLeft + kRadioWidth + kRadioGap, kRadioTop, kRadioWidth, kRadioHeight);
}

bool CSetupPnl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    return CPanel::eventFilter(watched, event);
}
