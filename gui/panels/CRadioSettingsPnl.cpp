#include "gui/panels/CRadioSettingsPnl.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>

#include "chips/ChipCodes.h"
#include "chips/ChipSets.h"
#include "core/host/CPelagorSettings.h"
#include "core/tables/RegisterFileWriter.h"
#include "core/tables/TabDefRadioFile.h"
#include "core/tables/TabRadioSettings.h"
#include "gui/ControlId.h"
#include "gui/FileDialog.h"
#include "gui/MessageBeep.h"
#include "gui/PelagorFonts.h"
#include "gui/panels/RegisterFolder.h"
#include "gui/panels/RegisterTexts.h"
#include "gui/views/CListCtrlEx.h"
#include "gui/views/HelpTip.h"
#include "platform/MessageBox.h"
#include "platform/PathText.h"
#include "platform/TextFormat.h"

namespace {

constexpr char kInvalidFormat[] =
    "%s\n\nInvalid format in file with register settings.\nExample: \"FSCTRL1 |0xDF07|0x08\"";
constexpr char kInvalidChannel[] =
    "Invalid value. The channel number should be in the range 0 - 255, or in hex notation 0x00 - 0xFF.";
constexpr char kInvalidValue[] = "Invalid register value: %s\nA register holds one byte: 0x00 - 0xFF.";
constexpr char kDeviceChanged[] =
    "The selected RF device has changed, but the register settings are unchanged!\nAs a consequence you might not "
    "be able to capture packets as expected.";
constexpr char kChannelRegister[] = "CHANNR";
constexpr int kChannelEditLimit = 4;

// Layout, in pixels.
constexpr int kLeftColumn = 100;
constexpr int kGroupGap = 10;
constexpr int kNarrowLimit = 580;
constexpr int kWideGroup = 180;
constexpr int kGroupTitle = 18;
constexpr int kInner = 8;
constexpr int kButtonHeight = 23;
constexpr int kButtonWidth = 75;
constexpr int kEditHeight = 20;
constexpr int kLabelHeight = 14;
constexpr int kGap = 4;

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Bytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

// A name as a cell of the register list: the list cuts cells at TABs and draws a cell that
// starts with '%' as a bar, which names from a file must not trigger.
std::string CellText(const char* name)
{
    std::string cell(name);
    for (char& c : cell)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    if (!cell.empty() && cell[0] == '%')
        cell.insert(cell.begin(), ' ');
    return cell;
}

bool IsAbsolute(const std::string& path)
{
    return !path.empty() && platform::IsPathSeparator(path[0]);
}

} // namespace

CRadioSettingsPnl::CRadioSettingsPnl(QWidget* parent) : CPanel(parent, kDialogId)
{
    setFont(PelagorFont("MS Sans Serif", 8));
    auto label = [this](int id, const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        SetControlId(l, id);
        return l;
    };
    auto group = [this](int id, const char* text) {
        auto* g = new QGroupBox(QString::fromLatin1(text), this);
        SetControlId(g, id);
        return g;
    };
    auto button = [this](int id, const char* text) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        SetControlId(b, id);
        b->setAutoDefault(false);
        return b;
    };
    // The groups first, so that the controls lie above them.
    settingsGroup_ = group(kSettingsGroupId, "Register settings");
    fileGroup_ = group(kFileGroupId, "Select File");
    registersGroup_ = group(kRegistersGroupId, "Registers");
    updateGroup_ = group(kUpdateGroupId, "Register Update");

    channelLabel_ = label(kChannelLabelId, "Select Channel:");
    channelEdit_ = new QLineEdit(this);
    SetControlId(channelEdit_, kChannelEditId);

    fileList_ = new QListWidget(this);
    SetControlId(fileList_, kFileListId);
    fileList_->setSelectionMode(QAbstractItemView::SingleSelection);
    browseButton_ = button(kBrowseId, "Browse...");

    registerList_ = new CListCtrlEx(this);
    registerList_->setFrameShape(QFrame::StyledPanel);
    registerList_->setFrameShadow(QFrame::Sunken);
    registerList_->InsertColumn("Name", 90, 0);
    registerList_->InsertColumn("Value", 70, 1);
    writeButton_ = button(kWriteId, "Write to file");

    nameLabel_ = label(kNameLabelId, "Register:");
    nameEdit_ = new QLineEdit(this);
    SetControlId(nameEdit_, kNameEditId);
    nameEdit_->setReadOnly(true);
    valueLabel_ = label(kValueLabelId, "Value:");
    valueEdit_ = new QLineEdit(this);
    SetControlId(valueEdit_, kValueEditId);
    descriptionEdit_ = new QPlainTextEdit(this);
    SetControlId(descriptionEdit_, kDescriptionId);
    descriptionEdit_->setReadOnly(true);
    applyButton_ = button(kApplyId, "Apply");

    connect(browseButton_, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(writeButton_, &QPushButton::clicked, this, [this] { SaveRegisterFile(); });
    connect(applyButton_, &QPushButton::clicked, this, [this] { ApplyRegisterValue(); });
    connect(fileList_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { LoadRegisterFile(fileList_->row(item)); });
    connect(registerList_, &CListCtrlEx::doubleClicked, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton)
            SelectRegister();
    });
    fileList_->installEventFilter(this);
    registerList_->installEventFilter(this);

    tips_ = std::make_unique<HelpTip>(this);
    constexpr int kWidth = 400;
    tips_->Add(fileList_,
               QStringLiteral("List of all files with extension \".prs\" in current directory of register files.\r\n"
                              "Click on required file.\r\nThe registers will be shown in the column to the right."),
               kWidth);
    tips_->Add(browseButton_, QStringLiteral("Browse directories to find required register setting files."), kWidth);
    tips_->Add(registerList_,
               QStringLiteral("List of all registers for selected register settings.\r\n Click on register to do an "
                              "update and to see the descirption in the right column."),
               kWidth);
    tips_->Add(writeButton_, QStringLiteral("The register values can be saved to file."), kWidth);
    tips_->Add(nameEdit_, QStringLiteral("Name of current register that can be updated."), kWidth);
    tips_->Add(valueEdit_, QStringLiteral("Value of current register that can be updated."), kWidth);
    tips_->Add(descriptionEdit_, QStringLiteral("Description of current register."), kWidth);
    tips_->Add(applyButton_, QStringLiteral("Apply current register value."), kWidth);
    tips_->Add(registersGroup_,
               QStringLiteral("List of all registers for selected register settings.\r\nClick on register to select "
                              "register for update.\r\nUpdate register in column to the right."),
               kWidth);

    // The stored channel text goes through the channel check like a typed one.
    connect(channelEdit_, &QLineEdit::textChanged, this, [this] { ValidateChannel(); });
    channelEdit_->setMaxLength(kChannelEditLimit);
    CPelagorSettings settings;
    settings.Load();
    if (!settings.strChannel.View().empty())
        channelEdit_->setText(Latin1(settings.strChannel.str()));
    channelChanged_ = true;
    LayoutControls();
}

CRadioSettingsPnl::~CRadioSettingsPnl() = default;

// ---------------------------------------------------------------- start-up and device

int CRadioSettingsPnl::LoadDefaultRegisterFiles(const std::string& pluginPath, const std::string& configFileName,
                                                const std::string& deviceType)
{
    configFileName_ = configFileName;
    configGiven_ = !configFileName.empty();
    pluginFolder_ = PluginFolderOf(pluginPath);
    if (pluginFolder_.empty())
        return 0;
    const std::string protocolFolder = IsAbsolute(pluginFolder_) ? pluginFolder_ : programFolder_ + pluginFolder_;

    CPelagorSettings settings;
    settings.Load();
    std::string start;
    if (!settings.PathRegisterFile.View().empty()) {
        start = settings.PathRegisterFile.str();
        registerChip_ = static_cast<uint16_t>(settings.ChipType & 0xFFFF);
    } else {
        start = programFolder_ + "config/" + deviceType;
    }
    if (configGiven_)
        start = configFileName;
    loadedPath_ = start;

    // The default files are read first: when the start folder holds no register files, the
    // shipped ones are listed and the device's own default is the one to load.
    TabDefRadioFile table(protocolFolder);
    const int read = table.Read();
    std::vector<REG_FILE> found;
    for (const TAB_DEF_RADIO_FILE_REC& row : table.Rows()) {
        const int code = ChipIdFromDeviceType(row.CHIP_TYPE);
        if (code <= 0 || code > 0xFFFF)
            continue; // a row that names no chip
        REG_FILE file{};
        file.chipCode = static_cast<uint16_t>(code);
        std::strncpy(file.fileName, row.FILE_NAME, sizeof file.fileName - 1);
        found.push_back(file);
    }

    usesShippedFiles_ = ListRegisterFiles(RegisterFolderOf(start)).empty();
    int position = 0;
    if (!usesShippedFiles_) {
        position = FillRegisterFileList(start);
    } else {
        FillRegisterFileList(protocolFolder);
        const size_t qz = deviceType.find("QZ");
        const int chip = qz == std::string::npos ? 0 : ChipIdFromDeviceType(deviceType.substr(qz + 2, 4).c_str());
        for (const REG_FILE& file : found) {
            if (file.chipCode == chip && ListedPosition(file.fileName) >= 0) {
                position = ListedPosition(file.fileName);
                break;
            }
        }
    }
    if (!listedFiles_.empty()) {
        SelectFile(position);
        LoadRegisterFile(position);
    }

    defaultFiles_.insert(defaultFiles_.end(), found.begin(), found.end());
    return read != 0 ? 1 : 0;
}

int CRadioSettingsPnl::SetRfDeviceType(const std::string& deviceType)
{
    const size_t qz = deviceType.find("QZ");
    const int code = qz == std::string::npos ? 0 : ChipIdFromDeviceType(deviceType.substr(qz + 2, 4).c_str());
    if (code <= 0 || code > 0xFFFF) {
        platform::ShowMessageBox(platform::FormatText("Invalid RF device type: %s", deviceType.c_str()),
                                 platform::MessageIcon::Exclamation);
        return 0;
    }
    deviceChip_ = static_cast<uint16_t>(code);
    deviceType_ = deviceType;
    CheckRfDevice();
    // These chips take their channel from the registers.
    channelEdit_->setEnabled(!TakesNoChannel(code));
    return 1;
}

void CRadioSettingsPnl::CheckRfDevice()
{
    if (!fileDeviceType_.empty() && !deviceType_.empty() && fileDeviceType_ != deviceType_)
        platform::ShowMessageBox(
            platform::FormatText("Warning: register settings are valid for %s exclusively", fileDeviceType_.c_str()),
            platform::MessageIcon::Information);
}

int CRadioSettingsPnl::GetRegisterSettings(uint16_t chipCode, const int** list, uint16_t* count)
{
    if (list != nullptr)
        *list = nullptr;
    if (count != nullptr)
        *count = 0;
    if (chipCode != registerChip_) {
        bool switched = false;
        const auto file = std::find_if(defaultFiles_.begin(), defaultFiles_.end(),
                                       [chipCode](const REG_FILE& f) { return f.chipCode == chipCode; });
        if (file != defaultFiles_.end()) {
            const int position = ListedPosition(file->fileName);
            if (position >= 0 && LoadRegisterFile(position) != 0) {
                SelectFile(position);
                switched = true;
            }
        }
        if (!switched)
            platform::ShowMessageBox(kDeviceChanged, platform::MessageIcon::Exclamation);
    }
    // Nothing to send: the capture would start with a radio nobody set up.
    if (!registers_.Loaded() || registers_.Count() == 0)
        return 0;
    if (list != nullptr)
        *list = registers_.List();
    if (count != nullptr)
        *count = registers_.Count();
    registerChip_ = chipCode;
    return 1;
}

// ---------------------------------------------------------------- channel

int CRadioSettingsPnl::GetChannel(uint8_t* channel) const
{
    if (channel != nullptr)
        *channel = channel_;
    return 1;
}

int CRadioSettingsPnl::TakeChannelChanged()
{
    const int changed = channelChanged_ ? 1 : 0;
    channelChanged_ = false;
    return changed;
}

void CRadioSettingsPnl::ValidateChannel()
{
    const std::string text = Bytes(channelEdit_->text());
    if (IsUnfinishedChannelText(text))
        return; // the channel stays until a number stands in the edit
    uint8_t channel = 0;
    if (!ReadChannelText(text, &channel)) {
        ShowChannel();
        platform::ShowMessageBox(kInvalidChannel, platform::MessageIcon::Exclamation);
        channelChanged_ = false;
        return;
    }
    channel_ = channel;
    channelChanged_ = true;
}

void CRadioSettingsPnl::ShowChannel()
{
    const QSignalBlocker quiet(channelEdit_);
    channelEdit_->setText(QString::number(channel_));
}

void CRadioSettingsPnl::SaveChannel()
{
    CPelagorSettings settings;
    settings.Load();
    settings.strChannel = Bytes(channelEdit_->text());
    settings.Save();
}

// ---------------------------------------------------------------- register files

int CRadioSettingsPnl::FillRegisterFileList(const std::string& path)
{
    const std::string folder = RegisterFolderOf(path);
    std::vector<std::string> names = ListRegisterFiles(folder);
    if (names.empty())
        return 0; // the list and its folder stay together
    registerFolder_ = folder;
    listedFiles_ = std::move(names);
    fileList_->clear();
    for (const std::string& name : listedFiles_)
        fileList_->addItem(QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size()))));
    const int position = ListedPosition(path);
    return position >= 0 ? position : 0;
}

int CRadioSettingsPnl::ListedPosition(const std::string& path) const
{
    const std::string wanted = platform::ToNativePath(path);
    for (size_t i = 0; i < listedFiles_.size(); ++i)
        if (JoinFolder(registerFolder_, listedFiles_[i] + ".prs") == wanted)
            return static_cast<int>(i);
    return -1;
}

int CRadioSettingsPnl::ListedPosition(const char* fileName) const
{
    for (size_t i = 0; i < listedFiles_.size(); ++i)
        if (listedFiles_[i] == fileName)
            return static_cast<int>(i);
    return -1;
}

void CRadioSettingsPnl::SelectFile(int position)
{
    if (position >= 0 && position < fileList_->count())
        fileList_->setCurrentRow(position);
}

int CRadioSettingsPnl::LoadRegisterFile(int position)
{
    if (listedFiles_.empty() || position < 0 || position >= static_cast<int>(listedFiles_.size()))
        return 0;
    const std::string file = listedFiles_[static_cast<size_t>(position)] + ".prs";
    const std::string path = JoinFolder(registerFolder_, file);
    const uint16_t chip = deviceChip_ != 0 ? deviceChip_ : registerChip_;

    TabRadioSettings table(registerFolder_, file);
    std::string failure;
    if (table.Read() == 0) {
        const char* reason = table.GetError();
        failure = reason != nullptr ? reason : "";
    } else {
        failure = RegisterSet::Check(table.Rows());
    }
    if (!failure.empty()) {
        platform::ShowMessageBox(platform::FormatText(kInvalidFormat, failure.c_str()),
                                 platform::MessageIcon::Exclamation);
        return 0; // the previous set, its chip and its path stay
    }

    registerChip_ = chip;
    StoreLoadedFile(path, chip);
    loadedPath_ = path;

    registers_.Assign(table.Rows());
    while (registerList_->GetRowCount() > 0)
        registerList_->DeleteRow(registerList_->GetRowCount() - 1);
    channel_ = 0;
    ApplyMandatoryRegisters();
    registers_.FillList();
    for (const TAB_RADIO_SETTINGS_REC& row : registers_.Rows()) {
        registerList_->InsertRow(CellText(row.REGNAME) + "\t" + platform::FormatText("0x%2.2X", row.REGVALUE));
        if (std::strcmp(row.REGNAME, kChannelRegister) == 0)
            channel_ = static_cast<uint8_t>(row.REGVALUE & 0xFF);
    }
    registerList_->SelectRow(0);
    registerList_->UpdateScrollBars();
    ShowChannel();
    nameEdit_->clear();
    valueEdit_->clear();
    descriptionEdit_->clear();
    currentRegister_ = -1;
    fileDeviceType_ = table.GetRfDevice();
    CheckRfDevice();
    channelChanged_ = true;
    return 1;
}

void CRadioSettingsPnl::StoreLoadedFile(const std::string& path, uint16_t chip)
{
    CPelagorSettings settings;
    settings.Load();
    // A path too long for the value would come back cut and name another file.
    settings.PathRegisterFile = path.size() < decltype(settings.PathRegisterFile)::kBufferSize ? path : std::string();
    settings.ChipType = chip;
    settings.Save();
}

void CRadioSettingsPnl::ApplyMandatoryRegisters()
{
    registers_.ApplyMandatoryRegisters(registerChip_);
}

void CRadioSettingsPnl::OnBrowse()
{
    std::vector<char> cwd(PATH_MAX + 1);
    if (getcwd(cwd.data(), cwd.size()) == nullptr) {
        platform::ShowMessageBox("Not able to retrieve current working directory.\r\nNot able to save file.",
                                 platform::MessageIcon::Exclamation);
        return;
    }
    const std::string path = GetOpenFileName(this, "Open", kFileFilter, registerFolder_);
    if (!path.empty()) {
        FillRegisterFileList(path);
        const int position = ListedPosition(path);
        if (position >= 0) {
            SelectFile(position);
            LoadRegisterFile(position); // which stores the path once the file has been read
        } else {
            MessageBeep(); // no register file of a listed folder
        }
    }
    if (chdir(cwd.data()) != 0)
        platform::ShowMessageBox(
            "Not able to restore current directory.\r\nThis can cause failiure on closing of the Pelagor.",
            platform::MessageIcon::Exclamation);
}

void CRadioSettingsPnl::SaveRegisterFile()
{
    const std::string path = GetSaveFileName(this, "Save As", kFileFilter, "prs", registerFolder_);
    if (path.empty())
        return;
    // The names the panel holds stay as they are: the padding is the file's alone.
    std::string error;
    if (RegisterFileWriter::Write(path, registers_.Rows(), &error) == 0)
        platform::ShowMessageBox(error, platform::MessageIcon::Exclamation);
}

// ---------------------------------------------------------------- one register

void CRadioSettingsPnl::SelectRegister()
{
    const int row = registerList_->GetCurSel();
    if (row < 0 || row >= registers_.RowCount())
        return;
    const TAB_RADIO_SETTINGS_REC& reg = registers_.Row(row);
    nameEdit_->setText(Latin1(reg.REGNAME));
    valueEdit_->setText(Latin1(platform::FormatText("0x%2.2X", reg.REGVALUE)));
    descriptionEdit_->setPlainText(Latin1(reg.REGDESCRIPTION));
    currentRegister_ = row;
}

void CRadioSettingsPnl::ApplyRegisterValue()
{
    if (nameEdit_->text().isEmpty() || valueEdit_->text().isEmpty())
        return;
    if (currentRegister_ < 0 || currentRegister_ >= registers_.RowCount())
        return;
    const std::string text = Bytes(valueEdit_->text());
    uint32_t value = 0;
    if (!ReadRegisterValueText(text, &value)) {
        platform::ShowMessageBox(platform::FormatText(kInvalidValue, text.c_str()), platform::MessageIcon::Exclamation);
        return;
    }
    registers_.SetValue(currentRegister_, value);
    const std::string name = registers_.Row(currentRegister_).REGNAME;
    if (name.find(kChannelRegister) != std::string::npos)
        channelEdit_->setText(QString::number(value)); // through the channel check
    registerList_->SetCellText(currentRegister_, -1, CellText(name.c_str()) + "\t" + text);
}

// ---------------------------------------------------------------- keys and layout

bool CRadioSettingsPnl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // Enter on a list does what a double-click does.
            if (watched == fileList_) {
                LoadRegisterFile(fileList_->currentRow());
                return true;
            }
            if (watched == registerList_) {
                SelectRegister();
                return true;
            }
        }
    }
    return CPanel::eventFilter(watched, event);
}

void CRadioSettingsPnl::resizeEvent(QResizeEvent* event)
{
    CPanel::resizeEvent(event);
    LayoutControls();
}

void CRadioSettingsPnl::LayoutControls()
{
    const int h = height();
    channelLabel_->setGeometry(10, 20, 80, kLabelHeight);
    channelEdit_->setGeometry(10, 20 + kLabelHeight + 2, 80, kEditHeight);

    const int w = std::max(width() - kLeftColumn, 0);
    settingsGroup_->setGeometry(kLeftColumn, 0, w, h);
    const int groupWidth = w > kNarrowLimit ? kWideGroup : std::max((w - 4 * kGroupGap) / 3, 0);
    const int top = kGroupTitle;
    const int groupHeight = std::max(h - top - kInner, 0);
    const int bottom = top + groupHeight;
    QGroupBox* groups[] = {fileGroup_, registersGroup_, updateGroup_};
    for (int i = 0; i < 3; ++i)
        groups[i]->setGeometry(kLeftColumn + kGroupGap + i * (groupWidth + kGroupGap), top, groupWidth, groupHeight);

    const int innerWidth = std::max(groupWidth - 2 * kInner, 0);
    const int listTop = top + kGroupTitle;
    const int buttonTop = bottom - kInner - kButtonHeight;
    const int listHeight = std::max(buttonTop - kGap - listTop, 0);
    const int buttonWidth = std::min(kButtonWidth, innerWidth);

    const int fileX = fileGroup_->x() + kInner;
    fileList_->setGeometry(fileX, listTop, innerWidth, listHeight);
    browseButton_->setGeometry(fileX, buttonTop, buttonWidth, kButtonHeight);

    const int registersX = registersGroup_->x() + kInner;
    registerList_->setGeometry(registersX, listTop, innerWidth, listHeight);
    writeButton_->setGeometry(registersX, buttonTop, std::min(innerWidth, buttonWidth + 10), kButtonHeight);

    const int updateX = updateGroup_->x() + kInner;
    const int nameWidth = innerWidth * 2 / 3;
    const int valueX = updateX + nameWidth + kGap;
    const int valueWidth = std::max(innerWidth - nameWidth - kGap, 0);
    nameLabel_->setGeometry(updateX, listTop, nameWidth, kLabelHeight);
    valueLabel_->setGeometry(valueX, listTop, valueWidth, kLabelHeight);
    const int editTop = listTop + kLabelHeight + 2;
    nameEdit_->setGeometry(updateX, editTop, nameWidth, kEditHeight);
    valueEdit_->setGeometry(valueX, editTop, valueWidth, kEditHeight);
    const int descriptionTop = editTop + kEditHeight + kGap;
    descriptionEdit_->setGeometry(updateX, descriptionTop, innerWidth, std::max(buttonTop - kGap - descriptionTop, 0));
    applyButton_->setGeometry(updateX, buttonTop, innerWidth, kButtonHeight);
}
