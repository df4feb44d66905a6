#include "gui/panels/CRadioConfStandardPnl.h"

#include <algorithm>
#include <iterator>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "core/host/CPelagorSettings.h"
#include "gui/ControlId.h"
#include "gui/PelagorFonts.h"
#include "gui/panels/StandardRadioTexts.h"
#include "gui/views/CColorEdit.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"
#include "platform/WindowMessages.h"

namespace {

constexpr int kFirstChannel = 11;
constexpr int kLastChannel = 26;
constexpr int kLastExtendedChannel = 28;
constexpr int kAdvertisingChannels[] = {37, 38, 39};
constexpr int kAdvertisingMhz[] = {2402, 2426, 2480};
constexpr const char* kDefaultPassKey = "731905";

// The key drawn after the plug-in reported it (COLORREF values).
constexpr uint32_t kUpdatedKeyBackground = 0xFFFFFF;
constexpr uint32_t kUpdatedKeyText = 0x00FF00;

// Pixels: one column of labels, one of fields, the hints right of their field.
constexpr int kLeft = 10;
constexpr int kTop = 10;
constexpr int kRowStep = 30;
constexpr int kRowHeight = 22;
constexpr int kLabelWidth = 175;
constexpr int kFieldLeft = kLeft + kLabelWidth + 5;
constexpr int kFieldWidth = 140;
constexpr int kKeyWidth = 290;
constexpr int kHintGap = 6;
constexpr int kHintWidth = 160;

std::string Latin1Text(const QLineEdit* edit)
{
    return edit->text().toLatin1().toStdString();
}

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CRadioConfStandardPnl::CRadioConfStandardPnl(QWidget* parent) : CPanel(parent, 186)
{
    setFont(PelagorFont("MS Sans Serif", 8));
    auto label = [this](int id, const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        SetControlId(l, id);
        return l;
    };
    auto colorEdit = [this](int id) {
        auto* e = new CColorEdit(this);
        SetControlId(e, id);
        return e;
    };
    channelLabel_ = label(kChannelLabelId, "IEEE 802.15.4 Channel:");
    // Not editable: a typed channel would have no item data to start with.
    channelList_ = new QComboBox(this);
    SetControlId(channelList_, kChannelListId);
    initiatorBox_ = new QCheckBox(QStringLiteral("Connect to Initiator Address"), this);
    SetControlId(initiatorBox_, kInitiatorBoxId);
    initiatorEdit_ = new QLineEdit(this);
    SetControlId(initiatorEdit_, kInitiatorEditId);
    initiatorHex_ = label(kInitiatorHexId, "(hex)");
    keyLabel_ = label(kKeyLabelId, "Long Term Key ");
    keyEdit_ = colorEdit(kKeyEditId);
    keyHint_ = label(kKeyHintId, "(hex (LSO to MSO))");
    passKeyLabel_ = label(kPassKeyLabelId, "Pass Key ");
    passKeyEdit_ = colorEdit(kPassKeyEditId);
    passKeyHint_ = label(kPassKeyHintId, "(Numeric 6 digits)");

    // User actions only, as the list's and the box's notifications are.
    connect(channelList_, &QComboBox::activated, this, [this] { OnSelChangeChannel(); });
    connect(initiatorBox_, &QCheckBox::clicked, this, [this] { OnClickedInitiator(); });

    CPelagorSettings settings;
    settings.Load();
    channelListIndex_ = std::max(settings.ChannelListIndex, 0);
    channelBleIndex_ = std::max(settings.ChannelBleIndex, 0);
    initiatorBox_->setChecked(settings.ConnectToInitiatorAddr);
    initiatorEdit_->setText(Latin1(settings.strInitiatorAddr.str()));
    keyEdit_->setText(Latin1(settings.strBleLtk.str()));
    OnClickedInitiator();

    // Until a plug-in says otherwise, the list is an IEEE 802.15.4 one.
    ShowBleControls(false);
    LayoutControls();
}

void CRadioConfStandardPnl::LayoutControls()
{
    const auto row = [](int i) { return kTop + i * kRowStep; };
    const auto place = [](QWidget* field, QLabel* hint, int top, int width) {
        field->setGeometry(kFieldLeft, top, width, kRowHeight);
        if (hint != nullptr)
            hint->setGeometry(kFieldLeft + width + kHintGap, top, kHintWidth, kRowHeight);
    };
    channelLabel_->setGeometry(kLeft, row(0), kLabelWidth, kRowHeight);
    place(channelList_, nullptr, row(0), kFieldWidth);
    initiatorBox_->setGeometry(kLeft, row(1), kLabelWidth, kRowHeight);
    place(initiatorEdit_, initiatorHex_, row(1), kFieldWidth);
    keyLabel_->setGeometry(kLeft, row(2), kLabelWidth, kRowHeight);
    place(keyEdit_, keyHint_, row(2), kKeyWidth);
    passKeyLabel_->setGeometry(kLeft, row(3), kLabelWidth, kRowHeight);
    place(passKeyEdit_, passKeyHint_, row(3), kFieldWidth);
}

void CRadioConfStandardPnl::ShowBleControls(bool on)
{
    for (QWidget* control : {static_cast<QWidget*>(initiatorBox_), static_cast<QWidget*>(initiatorEdit_),
                             static_cast<QWidget*>(initiatorHex_), static_cast<QWidget*>(keyLabel_),
                             static_cast<QWidget*>(keyEdit_), static_cast<QWidget*>(keyHint_),
                             static_cast<QWidget*>(passKeyLabel_), static_cast<QWidget*>(passKeyEdit_),
                             static_cast<QWidget*>(passKeyHint_)})
        control->setVisible(on);
}

void CRadioConfStandardPnl::FillChannelList(bool bluetoothLowEnergy, bool extendedChannels)
{
    bluetoothLowEnergy_ = bluetoothLowEnergy;
    channelChanged_ = true;
    channelList_->clear();
    int stored;
    if (bluetoothLowEnergy) {
        channelLabel_->setText(QStringLiteral("Advertising Channel:"));
        for (size_t i = 0; i < std::size(kAdvertisingChannels); ++i)
            channelList_->addItem(
                Latin1(platform::FormatText("%d (%d MHz)", kAdvertisingChannels[i], kAdvertisingMhz[i])),
                kAdvertisingChannels[i]);
        stored = channelBleIndex_;
    } else {
        channelLabel_->setText(QStringLiteral("IEEE 802.15.4 Channel:"));
        const int last = extendedChannels ? kLastExtendedChannel : kLastChannel;
        for (int channel = kFirstChannel; channel <= last; ++channel)
            channelList_->addItem(
                Latin1(platform::FormatText("0x%02X (%d MHz)", channel, 2405 + 5 * (channel - kFirstChannel))),
                channel);
        stored = channelListIndex_;
    }
    // A stored position beyond this list selects nothing.
    channelList_->setCurrentIndex(stored < channelList_->count() ? stored : -1);
    ShowBleControls(bluetoothLowEnergy);
    if (bluetoothLowEnergy)
        passKeyEdit_->setText(QString::fromLatin1(kDefaultPassKey));
}

int CRadioConfStandardPnl::GetChannel(uint8_t* channel, bool report)
{
    const int selected = channelList_->currentIndex();
    if (selected < 0) {
        *channel = 0;
        if (report)
            platform::ShowMessageBox(platform::FormatText("Invalid Channel number: 0x%02X", *channel),
                                     platform::MessageIcon::Exclamation);
        return 0;
    }
    *channel = static_cast<uint8_t>(channelList_->itemData(selected).toInt());
    return 1;
}

int CRadioConfStandardPnl::GetInitiatorAddress(uint8_t address[6])
{
    if (!initiatorBox_->isChecked())
        return 0;
    if (!standard_radio::ParseInitiatorAddress(Latin1Text(initiatorEdit_), address)) {
        platform::ShowMessageBox("Invalid format of initiator address. Should be given as 12 hex digits.\n"
                                 "Examples of correct format: 0x0123456789AB, 0x112233445566, 0xFFFFFFFFFFFF.",
                                 platform::MessageIcon::Exclamation);
        return 0;
    }
    return 1;
}

int CRadioConfStandardPnl::GetBleLtk(uint8_t key[16])
{
    // A refused text leaves zeros, which the caller hands to the plug-in all the same.
    if (!standard_radio::ParseLongTermKey(Latin1Text(keyEdit_), key)) {
        platform::ShowMessageBox("Invalid format of LTK. Should be given as 16 colon separated hex digits (LSO to "
                                 "MSO).\nExample of correct format: "
                                 "5e:a3:17:c8:09:f2:6d:b4:31:8e:d0:7a:e5:2c:94:6b",
                                 platform::MessageIcon::Exclamation);
        return 0;
    }
    return 1;
}

int CRadioConfStandardPnl::GetBlePassKey(uint32_t* passKey)
{
    if (!standard_radio::ParsePassKey(Latin1Text(passKeyEdit_), passKey)) {
        platform::ShowMessageBox("Invalid format of pass key. Should be given as 6 numeric digits",
                                 platform::MessageIcon::Exclamation);
        return 0;
    }
    return 1;
}

bool CRadioConfStandardPnl::InitiatorChecked() const
{
    return initiatorBox_->isChecked();
}

int CRadioConfStandardPnl::TakeChannelChanged()
{
    const bool changed = channelChanged_;
    channelChanged_ = false;
    return changed ? 1 : 0;
}

void CRadioConfStandardPnl::OnSelChangeChannel()
{
    channelChanged_ = true;
}

void CRadioConfStandardPnl::OnClickedInitiator()
{
    const bool on = initiatorBox_->isChecked();
    initiatorEdit_->setEnabled(on);
    initiatorHex_->setEnabled(on);
}

void CRadioConfStandardPnl::EnableControls(bool on)
{
    // All of them, whatever the box says: after a capture the address edit is enabled again.
    for (QWidget* control :
         {static_cast<QWidget*>(channelLabel_), static_cast<QWidget*>(channelList_),
          static_cast<QWidget*>(initiatorBox_), static_cast<QWidget*>(initiatorEdit_),
          static_cast<QWidget*>(initiatorHex_), static_cast<QWidget*>(keyLabel_), static_cast<QWidget*>(keyEdit_),
          static_cast<QWidget*>(keyHint_), static_cast<QWidget*>(passKeyLabel_),
          static_cast<QWidget*>(passKeyEdit_), static_cast<QWidget*>(passKeyHint_)})
        control->setEnabled(on);
}

void CRadioConfStandardPnl::SaveSettings()
{
    CPelagorSettings settings;
    settings.Load();
    const int selected = std::max(channelList_->currentIndex(), 0);
    if (bluetoothLowEnergy_) {
        settings.ChannelBleIndex = selected;
        settings.ConnectToInitiatorAddr = initiatorBox_->isChecked();
        settings.strInitiatorAddr = Latin1Text(initiatorEdit_);
        settings.strBleLtk = Latin1Text(keyEdit_);
    } else {
        settings.ChannelListIndex = selected;
    }
    settings.Save();
}

void CRadioConfStandardPnl::OnWindowMessage(uint32_t message, uint64_t, int64_t, const std::string& text)
{
    if (message != platform::WM_BLE_LTK_UPDATE)
        return;
    keyEdit_->setText(Latin1(text));
    keyEdit_->SetColors(kUpdatedKeyBackground, kUpdatedKeyText);
}
