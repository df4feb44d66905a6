#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include <QTimer>

#include "gui/panels/CPanel.h"
#include "gui/views/HelpTip.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikEbInfo.h"

class QEvent;
class QGroupBox;
class QListWidget;
class QRadioButton;
class QResizeEvent;
class TabSupChipType;

// The "Capturing device" tab: the attached capture devices whose chip the loaded protocol
// supports, and for the Dalvor unit's two chips the unit's serial interface (the USART choice).
class CSetupPnl : public CPanel {
public:
    static constexpr int kDialogId = 139;
    static constexpr int kDeviceListId = 1003;
    static constexpr int kUsartGroupId = 1105;
    static constexpr int kUsart1Id = 1107;
    static constexpr int kUsart0Id = 1108;
    // Room under the list for the USART group.
    static constexpr int kBottomRoom = 45;
    static constexpr int kDefaultPollMs = 2000;

    static const char* const kListTip;
    static const char* const kTableMessage;

    explicit CSetupPnl(QWidget* parent);
    ~CSetupPnl() override;

    // The protocol folder; SupChipType.plt is read from here.
    void SetPluginFolder(const std::string& folder);
    const std::string& PluginFolder() const { return pluginFolder_; }
    // Asked before every refresh: true while a capture runs or board firmware loads.
    void SetRefreshBlocked(std::function<bool()> blocked);
    // Told the device type (chip name such as "QZ6F1C") on every selection.
    void SetDeviceSelectedHandler(std::function<void(const std::string& deviceType)> handler);

    void RefreshDeviceList();
    void EnableDeviceList(bool on);

    // The device record behind the selected entry; null when no entry is selected.
    const DravikEbInfo* SelectedDevice() const;
    std::string GetDeviceType() const { return deviceType_; }
    int UsartChoice() const { return usartChoice_; } // 0 "USART0", 1 "USART1"
    QListWidget* DeviceList() const { return deviceList_; }

    void OnSelChangeDeviceList();
    void OnUsart0Clicked();
    void OnUsart1Clicked();

    // Linux tells no device changes: the list is refreshed on a timer instead.
    void StartDevicePoll(int periodMs = kDefaultPollMs);

    HelpTip& Tips() { return helpTip_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Escape is the panel's own: the list never passes it on.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool LoadSupportedChips();
    bool Supported(const DravikEbInfo& info) const;
    bool SameDevicesAsListed(int count) const;
    void RebuildList(int count);
    void SelectEntry();
    void ShowUsartChoice(bool shown);
    void LayoutControls();

    std::string pluginFolder_;
    std::array<DravikEbInfo, DravikEb::kMaxBoards> records_{};
    // The devices the list was built from, in enumeration order.
    std::array<DravikEbInfo, DravikEb::kMaxBoards> listed_{};
    QGroupBox* usartGroup_;
    QRadioButton* usart1Button_;
    QRadioButton* usart0Button_;
    QListWidget* deviceList_;
    HelpTip helpTip_;
    std::unique_ptr<TabSupChipType> supportedChips_;
    std::string deviceType_;
    std::string entryText_;
    int usartChoice_ = 1;
    int deviceCount_ = 0;
    // Records filled by the last enumeration.
    int recordCount_ = 0;
    // Whether the list was built with the supported chips at hand.
    bool listedWithTable_ = false;
    // Another protocol folder was set since the list was built.
    bool listStale_ = false;
    // The unreadable table was reported and has not been read since.
    bool tableFailureShown_ = false;
    // A refresh or a selection is under way; a refresh asked for meanwhile (the poll, while a
    // message box or the main window's handler runs its own loop) is skipped.
    bool updating_ = false;
    std::function<bool()> refreshBlocked_;
    std::function<void(const std::string&)> deviceSelected_;
    QTimer pollTimer_;
};
