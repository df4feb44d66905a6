#pragma once

#include <cstdint>
#include <string>

#include "gui/WindowMessageTarget.h"
#include "gui/panels/CPanel.h"

class CColorEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The "Radio Configuration" tab for devices without register files: the channel list and, for
// Bluetooth low energy, the initiator address and the keys. Receives the plug-in's new key
// texts as posted messages.
class CRadioConfStandardPnl : public CPanel, public WindowMessageTarget {
public:
    static constexpr int kChannelLabelId = 1113;
    static constexpr int kChannelListId = 1114;
    static constexpr int kInitiatorBoxId = 1116;
    static constexpr int kInitiatorEditId = 1032;
    static constexpr int kInitiatorHexId = 1117;
    static constexpr int kKeyLabelId = 1122;
    static constexpr int kKeyEditId = 1035;
    static constexpr int kKeyHintId = 1123;
    static constexpr int kPassKeyLabelId = 1124;
    static constexpr int kPassKeyEditId = 1036;
    static constexpr int kPassKeyHintId = 1125;

    // Loads the stored choices; the channel list stays empty until FillChannelList.
    explicit CRadioConfStandardPnl(QWidget* parent);

    void FillChannelList(bool bluetoothLowEnergy, bool extendedChannels);
    // The selected channel, or 0 with FALSE when none is selected; report says whether to tell
    // the user (a start does, the status bar's refresh must not).
    int GetChannel(uint8_t* channel, bool report = true);
    int GetInitiatorAddress(uint8_t address[6]);
    int GetBleLtk(uint8_t key[16]);
    int GetBlePassKey(uint32_t* passKey);
    bool IsBleMode() const { return bluetoothLowEnergy_; }
    // The "Connect to Initiator Address" box.
    bool InitiatorChecked() const;
    int TakeChannelChanged();
    void OnSelChangeChannel();
    void OnClickedInitiator();
    void EnableControls(bool on);
    void SaveSettings();

    void OnWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam, const std::string& text) override;

private:
    void ShowBleControls(bool on);
    void LayoutControls();

    QLabel* channelLabel_ = nullptr;
    QComboBox* channelList_ = nullptr;
    QCheckBox* initiatorBox_ = nullptr;
    QLineEdit* initiatorEdit_ = nullptr;
    QLabel* initiatorHex_ = nullptr;
    QLabel* keyLabel_ = nullptr;
    CColorEdit* keyEdit_ = nullptr;
    QLabel* keyHint_ = nullptr;
    QLabel* passKeyLabel_ = nullptr;
    CColorEdit* passKeyEdit_ = nullptr;
    QLabel* passKeyHint_ = nullptr;

    bool bluetoothLowEnergy_ = false;
    bool channelChanged_ = false;
    int channelListIndex_ = 0;
    int channelBleIndex_ = 0;
};
