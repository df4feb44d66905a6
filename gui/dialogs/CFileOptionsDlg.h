#pragma once

#include <array>
#include <string>

#include "gui/dialogs/CModalDlg.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// Asked when a data file cannot be read with what the program knows: the device whose chip
// the plug-in is told, the record layout and the block size. The choices persist in
// chipTypeIndex (at once), dataVer and blockSize (when the dialog goes, after OK or Cancel).
class CFileOptionsDlg : public CModalDlg {
    Q_OBJECT

public:
    static constexpr int kDeviceTypeId = 1001;
    static constexpr int kFormatSwitchId = 1002;
    static constexpr int kOldLayoutId = 1003;
    static constexpr int kNewLayoutId = 1004;
    static constexpr int kBlockSizeId = 1005;
    static constexpr int kDeviceTextId = 1006;
    // The texts of the format group, switched with it.
    static constexpr int kFormatTextId = 1007;
    static constexpr int kOldLayoutTextId = 1008;
    static constexpr int kNewLayoutTextId = 1009;
    static constexpr int kPayloadTextId = 1010;
    static constexpr int kBlockSizeLabelId = 1011;
    static constexpr int kBlockSizeUnitId = 1012;
    static constexpr int kBlockSizeTextId = 1013;

    // Layouts: 0 "Before version 2.17.0" (1-byte length), 1 "Version 2.17.0 or newer".
    static constexpr int kOldLayout = 0;
    static constexpr int kNewLayout = 1;
    // A record is at least the head the file reader reads (info byte, number, time stamp,
    // length and the first frame byte: 1 + 15 bytes) and at most what the store can keep.
    static constexpr int kSmallestBlockSize = 15;
    static constexpr int kLargestBlockSize = 65535;

    // The device choices, in their fixed order; 0 is "Unknown".
    static constexpr std::array<const char*, 15> kDeviceTypes{
        "Unknown", "QZ6F86", "QZ6F87", "QZ6F89", "QZ6E7A", "QZ6F48", "QZ6F1C", "QZ6F1D",
        "QZ6FB2",  "QZ6FB3", "QZ3A1E", "QZ3A1F", "QZ3A02", "QZ3A5C", "QZ3B90"};

    // Loads the stored layout; a stored value other than 0 or 1 is no choice (layout 1).
    explicit CFileOptionsDlg(QWidget* parent);
    // Saves dataVer := the layout and blockSize := the block size (0 when it is none).
    ~CFileOptionsDlg() override;

    // The plug-in description's protocol name, set before the dialog opens.
    void SetProtocolName(const std::string& name) { protocolName_ = name; }
    void SetDeviceType(const std::string& deviceType) { deviceType_ = deviceType; }
    // H: the plug-in's raw record length. The stored block size wins unless useH is set or it
    // is no block size.
    void SetBlockSize(int H, bool useH);
    // The layout the file check found, and whether the check succeeded.
    void SetFileInfo(int detectedLayout, bool layoutKnown);

    const std::string& GetDeviceType() const { return deviceType_; }
    // The block size chosen, or 0 when the text is none (the caller then uses H).
    int GetBlockSize() const;
    int GetLayout() const { return layout_; }
    const std::string& GetBlockSizeText() const { return blockSizeText_; }

    static bool IsBlockSize(long long size) { return size >= kSmallestBlockSize && size <= kLargestBlockSize; }

    // Takes the controls' values and closes with IDOK; refuses a block size no record can have
    // while the format controls are on.
    void OnOK() override;
    void OnOldLayout();
    void OnNewLayout();
    void OnSelChangeDevice(int index);
    void OnFormatSwitch();

protected:
    void OnInitDialog() override;

private:
    // "270", "150" or "Unknown" by the protocol name (upper-cased for the comparison).
    std::string ProtocolDefaultBlockSize();
    void SwitchFormatControls(bool on);
    void ShowBlockSize();

    QComboBox* deviceCombo_ = nullptr;
    QCheckBox* formatSwitch_ = nullptr;
    QRadioButton* oldLayoutButton_ = nullptr;
    QRadioButton* newLayoutButton_ = nullptr;
    QButtonGroup* layoutGroup_ = nullptr;
    QLineEdit* blockSizeEdit_ = nullptr;
    std::array<QLabel*, 7> formatTexts_{};

    std::string deviceType_;
    std::string blockSizeText_;
    std::string protocolName_;
    int defaultBlockSize_ = 0;
    int layout_ = kNewLayout;
    bool layoutKnown_ = false;
    int storedBlockSize_ = 0;
};
