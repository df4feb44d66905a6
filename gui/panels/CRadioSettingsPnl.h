#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/panels/CPanel.h"
#include "gui/panels/RegFile.h"
#include "gui/panels/RegisterSet.h"

class CListCtrlEx;
class HelpTip;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QResizeEvent;

// The "Radio Configuration" tab for devices configured register by register: one register
// set loaded from a register file (*.prs), edited value by value, written back to a file and
// handed to the capture engine at start.
class CRadioSettingsPnl : public CPanel {
public:
    static constexpr int kDialogId = 176;
    static constexpr int kChannelLabelId = 1112;
    static constexpr int kChannelEditId = 1111;
    static constexpr int kSettingsGroupId = 1110;
    static constexpr int kFileGroupId = 1102;
    static constexpr int kRegistersGroupId = 1103;
    static constexpr int kUpdateGroupId = 1101;
    static constexpr int kFileListId = 1095;
    static constexpr int kBrowseId = 1040;
    static constexpr int kWriteId = 1041;
    static constexpr int kNameLabelId = 1099;
    static constexpr int kNameEditId = 1032;
    static constexpr int kValueLabelId = 1100;
    static constexpr int kValueEditId = 1035;
    static constexpr int kDescriptionId = 1104;
    static constexpr int kApplyId = 1038;

    static constexpr const char* kFileFilter = "Pelagor Radio setting files (*.prs)|*.prs|All files (*.*)|*.*||";

    explicit CRadioSettingsPnl(QWidget* parent);
    ~CRadioSettingsPnl() override;

    // The program folder, with its trailing '/'.
    void SetProgramFolder(const std::string& folder) { programFolder_ = folder; }
    // Fills the file list and loads the start file: the last file loaded, the /config file, or
    // the device type's folder of register files, and where that holds none the register
    // files shipped in the plug-in's folder. Then appends the plug-in folder's default files.
    // 0 for a plug-in path without a folder or an unreadable DefRadioFile.plt.
    int LoadDefaultRegisterFiles(const std::string& pluginPath, const std::string& configFileName,
                                 const std::string& deviceType);
    // 0 (after a message) for a device type without a chip code after "QZ".
    int SetRfDeviceType(const std::string& deviceType);
    // The register list for a start on chipCode: pairs {address, value}, count of ints; first
    // switches to the chip's default file when the set was prepared for another chip. 0 (no
    // list) when no register is loaded.
    int GetRegisterSettings(uint16_t chipCode, const int** list, uint16_t* count);
    int GetChannel(uint8_t* channel) const;
    int TakeChannelChanged();
    // The full path of the file loaded last, or the start file before the first load.
    const std::string& CurrentRegisterFile() const { return loadedPath_; }
    void SaveChannel();

    // The buttons, the lists and the channel edit.
    void OnBrowse();
    void SaveRegisterFile();
    void ApplyRegisterValue();
    void ValidateChannel();
    // Loads the file at position of the file list; 1 when it was read and is the set now.
    int LoadRegisterFile(int position);
    void SelectRegister();
    // Lists the *.prs files of path's folder; the position of path's own entry, else 0.
    // A folder without such files leaves the list and the register folder as they were.
    int FillRegisterFileList(const std::string& path);
    void ApplyMandatoryRegisters();
    void CheckRfDevice();

    const RegisterSet& Registers() const { return registers_; }
    uint16_t RegisterChip() const { return registerChip_; }
    uint16_t DeviceChip() const { return deviceChip_; }
    const std::string& RegisterFolder() const { return registerFolder_; }
    const std::string& PluginFolder() const { return pluginFolder_; }
    const std::string& FileDeviceType() const { return fileDeviceType_; }
    const std::vector<REG_FILE>& DefaultFiles() const { return defaultFiles_; }
    // The file names of the list, without ".prs", in list order.
    const std::vector<std::string>& ListedFiles() const { return listedFiles_; }
    // True when the last start file's folder held no register files and the plug-in folder's
    // shipped files were listed instead.
    bool UsesShippedFiles() const { return usesShippedFiles_; }
    CListCtrlEx* RegisterList() const { return registerList_; }
    HelpTip& Tips() const { return *tips_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The list position of the file at path, or -1.
    int ListedPosition(const std::string& path) const;
    int ListedPosition(const char* fileName) const;
    void SelectFile(int position);
    void ShowChannel();
    void StoreLoadedFile(const std::string& path, uint16_t chip);
    void LayoutControls();

    QLabel* channelLabel_ = nullptr;
    QLineEdit* channelEdit_ = nullptr;
    QGroupBox* settingsGroup_ = nullptr;
    QGroupBox* fileGroup_ = nullptr;
    QGroupBox* registersGroup_ = nullptr;
    QGroupBox* updateGroup_ = nullptr;
    QListWidget* fileList_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    CListCtrlEx* registerList_ = nullptr;
    QPushButton* writeButton_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QLabel* valueLabel_ = nullptr;
    QLineEdit* valueEdit_ = nullptr;
    QPlainTextEdit* descriptionEdit_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    std::unique_ptr<HelpTip> tips_;

    RegisterSet registers_;
    uint16_t registerChip_ = 0; // the chip the loaded set was prepared for
    uint16_t deviceChip_ = 0;   // the chip of the selected device type; 0 before one is set
    int currentRegister_ = -1;
    uint8_t channel_ = 0;
    std::string programFolder_;
    std::string pluginFolder_;
    std::string registerFolder_;
    std::string loadedPath_;
    std::string fileDeviceType_;
    std::string deviceType_;
    std::string configFileName_;
    bool configGiven_ = false;
    bool channelChanged_ = true;
    bool usesShippedFiles_ = false;
    std::vector<REG_FILE> defaultFiles_;
    std::vector<std::string> listedFiles_;
};
