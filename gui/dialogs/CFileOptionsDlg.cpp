#include "gui/dialogs/CFileOptionsDlg.h"

#include <cctype>
#include <optional>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/host/CPelagorSettings.h"
#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/dialogs/TypedValue.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/TextFormat.h"

namespace {

constexpr int kWidthUnits = 300;
constexpr int kDeviceNameLimit = 31;
constexpr const char* kUnknownBlockSize = "Unknown";

QLabel* Text(const QString& text, int id, QWidget* parent)
{
    QLabel* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    if (id != 0)
        SetControlId(label, id);
    return label;
}

std::optional<long long> ReadBlockSize(const std::string& text)
{
    return platform::ParseWholeNumber(text, CFileOptionsDlg::kSmallestBlockSize, CFileOptionsDlg::kLargestBlockSize);
}

} // namespace

CFileOptionsDlg::CFileOptionsDlg(QWidget* parent)
    : CModalDlg(parent)
{
    setWindowTitle(QStringLiteral("Dialog"));

    CPelagorSettings settings;
    settings.Load();
    layout_ = settings.dataVer == kOldLayout ? kOldLayout : kNewLayout;
    storedBlockSize_ = settings.blockSize;

    const int margin = DialogUnitsToPixelsX(7);
    const int indent = DialogUnitsToPixelsX(12);

    // Device type.
    QGroupBox* deviceGroup = new QGroupBox(QStringLiteral("Device type"), this);
    deviceCombo_ = new QComboBox(deviceGroup);
    SetControlId(deviceCombo_, kDeviceTypeId);
    deviceCombo_->setEditable(true);
    deviceCombo_->setInsertPolicy(QComboBox::NoInsert);
    deviceCombo_->setCompleter(nullptr); // the text is what the user typed, not a guess
    deviceCombo_->lineEdit()->setMaxLength(kDeviceNameLimit);
    deviceCombo_->setMaxVisibleItems(static_cast<int>(kDeviceTypes.size()));
    for (const char* name : kDeviceTypes)
        deviceCombo_->addItem(QString::fromLatin1(name));
    deviceCombo_->setFixedWidth(DialogUnitsToPixelsX(90));
    connect(deviceCombo_, &QComboBox::activated, this, [this](int index) { OnSelChangeDevice(index); });
    QVBoxLayout* deviceLayout = new QVBoxLayout(deviceGroup);
    deviceLayout->setSpacing(DialogUnitsToPixelsY(4));
    deviceLayout->addWidget(deviceCombo_);
    deviceLayout->addWidget(
        Text(QStringLiteral("If no device is selected in the \"Capturing device\" panel, the RF Device type is "
                            "unknown and must be selected in order to parse the data correctly. It is also "
                            "possible to override the device selected from the \"Capturing device\" panel."),
             kDeviceTextId, deviceGroup));

    // File format.
    formatSwitch_ = new QCheckBox(QStringLiteral("File Format"), this);
    SetControlId(formatSwitch_, kFormatSwitchId);
    connect(formatSwitch_, &QCheckBox::clicked, this, [this] { OnFormatSwitch(); });

    QGroupBox* formatGroup = new QGroupBox(this);
    oldLayoutButton_ = new QRadioButton(QStringLiteral("Before version 2.17.0"), formatGroup);
    SetControlId(oldLayoutButton_, kOldLayoutId);
    newLayoutButton_ = new QRadioButton(QStringLiteral("Version 2.17.0 or newer"), formatGroup);
    SetControlId(newLayoutButton_, kNewLayoutId);
    layoutGroup_ = new QButtonGroup(this);
    layoutGroup_->addButton(oldLayoutButton_, kOldLayout);
    layoutGroup_->addButton(newLayoutButton_, kNewLayout);
    connect(oldLayoutButton_, &QRadioButton::clicked, this, [this] { OnOldLayout(); });
    connect(newLayoutButton_, &QRadioButton::clicked, this, [this] { OnNewLayout(); });

    formatTexts_ = {
        Text(QStringLiteral("The file format is depending on the version of the Pelagor used to save the data."),
             kFormatTextId, formatGroup),
        Text(QStringLiteral("Info[1]:Pkt.nbr[4]:Timestamp[8]:Length[1]:Payload[n]:FCS[2]"), kOldLayoutTextId,
             formatGroup),
        Text(QStringLiteral("Info[1]:Pkt.nbr[4]:Timestamp[8]:Length[2]:Payload[n]:FCS[2]"), kNewLayoutTextId,
             formatGroup),
        Text(QStringLiteral("The payload might include yet another length byte depending on wether the packet is "
                            "sent with variable length or fixed lenght configuration."),
             kPayloadTextId, formatGroup),
        Text(QStringLiteral("Block size:"), kBlockSizeLabelId, formatGroup),
        Text(QStringLiteral("Bytes"), kBlockSizeUnitId, formatGroup),
        Text(QStringLiteral("(The data is organized in blocks and if the block size of the file is different from "
                            "the default value, it can be overridden with a value given in the field above.)"),
             kBlockSizeTextId, formatGroup),
    };
    formatTexts_[4]->setWordWrap(false);
    formatTexts_[5]->setWordWrap(false);

    blockSizeEdit_ = new QLineEdit(formatGroup);
    SetControlId(blockSizeEdit_, kBlockSizeId);
    blockSizeEdit_->setFixedWidth(DialogUnitsToPixelsX(50));
    connect(blockSizeEdit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { blockSizeText_ = Latin1Text(text); });

    auto indented = [indent](QWidget* widget) {
        QHBoxLayout* row = new QHBoxLayout;
        row->addSpacing(indent);
        row->addWidget(widget, 1);
        return row;
    };
    QHBoxLayout* blockRow = new QHBoxLayout;
    blockRow->setSpacing(DialogUnitsToPixelsX(4));
    blockRow->addWidget(formatTexts_[4]);
    blockRow->addWidget(blockSizeEdit_);
    blockRow->addWidget(formatTexts_[5]);
    blockRow->addStretch(1);

    QVBoxLayout* formatLayout = new QVBoxLayout(formatGroup);
    formatLayout->setSpacing(DialogUnitsToPixelsY(3));
    formatLayout->addWidget(formatTexts_[0]);
    formatLayout->addSpacing(DialogUnitsToPixelsY(2));
    formatLayout->addWidget(oldLayoutButton_);
    formatLayout->addLayout(indented(formatTexts_[1]));
    formatLayout->addWidget(newLayoutButton_);
    formatLayout->addLayout(indented(formatTexts_[2]));
    formatLayout->addSpacing(DialogUnitsToPixelsY(2));
    formatLayout->addWidget(formatTexts_[3]);
    formatLayout->addSpacing(DialogUnitsToPixelsY(4));
    formatLayout->addLayout(blockRow);
    formatLayout->addWidget(formatTexts_[6]);

    QHBoxLayout* buttons = new QHBoxLayout;
    buttons->setSpacing(DialogUnitsToPixelsX(6));
    buttons->addStretch(1);
    buttons->addWidget(MakeOkButton());
    buttons->addWidget(MakeCancelButton());

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(DialogUnitsToPixelsY(4));
    layout->addWidget(deviceGroup);
    layout->addSpacing(DialogUnitsToPixelsY(2));
    layout->addWidget(formatSwitch_);
    layout->addWidget(formatGroup);
    layout->addSpacing(DialogUnitsToPixelsY(2));
    layout->addLayout(buttons);

    const int width = DialogUnitsToPixelsX(kWidthUnits);
    setFixedSize(width, layout->totalHeightForWidth(width));
}

CFileOptionsDlg::~CFileOptionsDlg()
{
    // After OK and Cancel alike: the next file starts from what was shown last.
    CPelagorSettings settings;
    settings.Load();
    settings.dataVer = layout_;
    settings.blockSize = GetBlockSize();
    settings.Save();
}

std::string CFileOptionsDlg::ProtocolDefaultBlockSize()
{
    for (char& c : protocolName_)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (protocolName_ == "GENERIC" || protocolName_ == "BLUETOOTH LOW ENERGY" || protocolName_ == "FENNET")
        return "270";
    if (protocolName_ == "TOLVANE" || protocolName_ == "ZIGBEE" || protocolName_ == "IEEE 802.15.4 MAC AND ZIGBEE")
        return "150";
    return kUnknownBlockSize;
}

void CFileOptionsDlg::SetBlockSize(int H, bool useH)
{
    defaultBlockSize_ = H;
    // A stored size no record can have (damaged, or from before the check) is no choice.
    const bool stored = !useH && IsBlockSize(storedBlockSize_);
    blockSizeText_ = std::to_string(stored ? storedBlockSize_ : H);
}

void CFileOptionsDlg::SetFileInfo(int detectedLayout, bool layoutKnown)
{
    const bool valid = detectedLayout == kOldLayout || detectedLayout == kNewLayout;
    layout_ = valid ? detectedLayout : kNewLayout;
    blockSizeText_ = layout_ == kNewLayout ? std::to_string(defaultBlockSize_) : ProtocolDefaultBlockSize();
    // A layout that is neither is not known, whatever the check said.
    layoutKnown_ = layoutKnown && valid;
}

int CFileOptionsDlg::GetBlockSize() const
{
    return static_cast<int>(ReadBlockSize(blockSizeText_).value_or(0));
}

void CFileOptionsDlg::OnInitDialog()
{
    CPelagorSettings settings;
    settings.Load();
    const int index = settings.chipTypeIndex;
    if (index >= 0 && index < deviceCombo_->count()) {
        deviceCombo_->setCurrentIndex(index);
        deviceType_ = Latin1Text(deviceCombo_->itemText(index));
    } else {
        // No choice stored (or one past the list): the preset device, listed or not.
        const int found = deviceCombo_->findText(QString::fromLatin1(deviceType_.c_str()), Qt::MatchFixedString);
        deviceCombo_->setCurrentIndex(found);
        if (found < 0)
            deviceCombo_->setEditText(QString::fromLatin1(deviceType_.c_str()));
    }

    if (layout_ == kOldLayout)
        blockSizeText_ = ProtocolDefaultBlockSize();
    (layout_ == kOldLayout ? oldLayoutButton_ : newLayoutButton_)->setChecked(true);
    ShowBlockSize();
    SwitchFormatControls(!layoutKnown_);
}

void CFileOptionsDlg::ShowBlockSize()
{
    blockSizeEdit_->setText(QString::fromLatin1(blockSizeText_.c_str()));
}

void CFileOptionsDlg::SwitchFormatControls(bool on)
{
    formatSwitch_->setChecked(on);
    blockSizeEdit_->setEnabled(on);
    oldLayoutButton_->setEnabled(on);
    newLayoutButton_->setEnabled(on);
    for (QLabel* text : formatTexts_)
        text->setEnabled(on);
}

void CFileOptionsDlg::OnOldLayout()
{
    layout_ = kOldLayout;
    blockSizeText_ = ProtocolDefaultBlockSize();
    ShowBlockSize();
}

void CFileOptionsDlg::OnNewLayout()
{
    layout_ = kNewLayout;
    blockSizeText_ = std::to_string(defaultBlockSize_);
    ShowBlockSize();
}

void CFileOptionsDlg::OnSelChangeDevice(int index)
{
    if (index < 0)
        return;
    deviceType_ = Latin1Text(deviceCombo_->itemText(index));
    CPelagorSettings settings;
    settings.Load();
    settings.chipTypeIndex = index;
    settings.Save();
}

void CFileOptionsDlg::OnFormatSwitch()
{
    SwitchFormatControls(formatSwitch_->isChecked());
}

void CFileOptionsDlg::OnOK()
{
    const std::string text = Latin1Text(blockSizeEdit_->text());
    // "Unknown" (and nothing) leave the size to the caller, which reads with H; a number
    // must be one a record can have, never one cut to fit.
    const bool blank = text.find_first_not_of(" \t") == std::string::npos;
    if (blockSizeEdit_->isEnabled() && !ReadBlockSize(text) && !blank && text != kUnknownBlockSize) {
        platform::ShowMessageBox(
            platform::FormatText("Invalid block size: %s.\r\nThe block size should be in the range %d : %d",
                                 text.c_str(), kSmallestBlockSize, kLargestBlockSize),
            platform::MessageIcon::Exclamation);
        blockSizeEdit_->setFocus(Qt::OtherFocusReason);
        blockSizeEdit_->selectAll();
        return;
    }
    deviceType_ = Latin1Text(deviceCombo_->currentText());
    blockSizeText_ = text;
    layout_ = layoutGroup_->checkedId() == kOldLayout ? kOldLayout : kNewLayout;
    done(IDOK);
}
