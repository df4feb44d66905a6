#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include <QEventLoop>
#include <QMainWindow>
#include <QTimer>

#include "core/device/CaptureStartParam.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "core/tables/AddressBook.h"
#include "core/tables/FieldInfo.h"
#include "gui/WindowMessageTarget.h"

class CAddressBookPnl;
class CDisplayFilterPnl;
class CPacketDetailsPnl;
class CPacketListCtrl;
class CPacketTimeLineCtrl;
class CRadioConfStandardPnl;
class CRadioSettingsPnl;
class CSelectFieldPnl;
class CSetupPnl;
class CStatusBarCtrl;
class CTabCtrl;
class CTimeLinePnl;
class CTrueColorToolBar;
class Pelagor;
class QComboBox;
class QMenu;

// The main window: owns every panel and every capture-core object of the run.
class CMarlinexDlg : public QMainWindow, public WindowMessageTarget {
    Q_OBJECT

public:
    static constexpr int kRefreshTimerId = 105;
    static constexpr int kRefreshPeriodMs = 250;
    static constexpr int kStatusParts = 6;

    // Makes the capture engine's callback object for this window; tests put a scripted one.
    using EngineFactory = std::function<Pelagor*(platform::WindowHandle window, const std::string& programFolder)>;

    // programFolder empty: the folder of the running program.
    explicit CMarlinexDlg(QWidget* parent = nullptr, const std::string& programFolder = {},
                          const EngineFactory& engineFactory = {});
    ~CMarlinexDlg() override;

    // Set by the application object before the window runs.
    void SetExtendedChannels(bool on) { extendedChannels_ = on; }
    void SetPluginPath(const std::string& path) { pluginPath_ = path; }
    void SetHardwareFilters(bool on) { hardwareFilters_ = on; }
    void SetDeviceName(const std::string& name) { deviceName_ = name; }
    void SetConfigurationFileName(const std::string& name) { configurationFileName_ = name; }

    // Builds and initialises the window once; DoModal does it when it has not been done.
    bool Create();
    // Shows the window and runs the program's event loop until the window has closed.
    int DoModal();

    static std::string GetProgramDirectory();
    int SetProtocolVersion(int index);
    void ShowPanel();
    void SaveSettings();
    void UpdateStatusBar(bool busy, int spinnerPosition);
    void UpdateBroadcastStatus();
    void ResetData();
    void OnStart();
    void OnPause();
    void OnCaptureStopped();
    void OnDeviceSelected(const std::string& deviceName);
    int GetChannel(uint8_t* channel, bool report = true);
    int TakeRadioSettingsChanged();
    bool IsInitiatorAddressUsed() const;
    void EnableControlsAfterCapture();
    void SetBusy(bool on);
    // WM_FILE_READ_DONE of the reader with this serial.
    void OnFileReadDone(uint64_t readerSerial);
    void ClearAutoScroll();
    void OnCommand(int id);

    // File menu.
    void OnOpenData();
    // 1 when the record layout of the file is known (layout 1: 2-byte length, 0: the older
    // 1-byte length), 0 when it is not or the file cannot be opened.
    int CheckDataFile(const char* path, int* layout);
    // True once the chosen file holds every packet; false when cancelled or not written.
    bool OnSaveData();
    // Settings menu.
    void OnCacheSize();
    void OnClockMultiplier();
    void OnPacketBroadcast();
    // Help menu and the system menu's About.
    void OnFileFormatHelp();
    void OnUserManual();
    void OnLibraryInfo();
    void OnRevisionHistory();
    void OnAbout();
    void OnContact();
    void OnSysCommand(int id);
    // The keys the window takes before its controls do; true when one is consumed.
    bool PreTranslateMessage(QEvent* event);

    // Where the user manual is looked for: beside the program tree's Tools folder.
    std::string ManualPath() const;

    void OnWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam, const std::string& text) override;

    // What the window holds, for the panels that follow and for tests.
    bool PluginLoaded() const { return pluginLoaded_; }
    bool Capturing() const { return capturing_; }
    bool Busy() const { return busy_; }
    bool FlushOnStart() const { return flushOnStart_; }
    bool RegisterPanelInUse() const { return registerPanelInUse_; }
    const CAPTURE_START_PARAM& StartParameters() const { return startParam_; }
    int ProtocolVersionIndex() const { return protocolVersionIndex_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& PluginPath() const { return pluginPath_; }
    const std::string& DeviceName() const { return deviceName_; }
    const std::string& ConfigurationFileName() const { return configurationFileName_; }
    bool ExtendedChannels() const { return extendedChannels_; }
    bool HardwareFilters() const { return hardwareFilters_; }
    double ClockMultiplier() const { return clockMultiplier_; }
    bool BroadcastOn() const { return broadcastOn_; }
    bool BroadcastOnly() const { return broadcastOnly_; }
    int UdpPort() const { return udpPort_; }
    uint32_t UdpAddress() const { return udpAddress_; }
    PluginHandler& Host() { return host_; }
    PacketManager& Store() { return store_; }
    FieldInfo& Fields() { return fields_; }
    AddressBook& AddressLayout() { return addressBook_; }
    Pelagor* Engine() { return engine_; }
    CTrueColorToolBar* ToolBar() { return toolBar_; }
    CStatusBarCtrl* StatusBar() { return statusBar_; }
    CTabCtrl* PanelTabs() { return panelTabs_; }
    CPacketListCtrl* PacketList() { return packetList_; }
    CTimeLinePnl* TimeLinePanel() { return timeLinePnl_; }
    CPacketTimeLineCtrl* TimeLine();
    CSetupPnl* DevicePanel() { return setupPnl_; }
    CRadioConfStandardPnl* StandardRadioPanel() { return radioConfStandardPnl_; }
    CRadioSettingsPnl* RegisterPanel() { return radioSettingsPnl_; }
    CSelectFieldPnl* FieldPanel() { return selectFieldPnl_; }
    CAddressBookPnl* AddressBookPanel() { return addressBookPnl_; }
    CDisplayFilterPnl* FilterPanel() { return displayFilterPnl_; }
    CPacketDetailsPnl* DetailsPanel() { return packetDetailsPnl_; }
    QComboBox* ProtocolVersionCombo() { return protocolVersionCombo_; }
    QTimer& RefreshTimer() { return refreshTimer_; }
    QWidget* Client() { return client_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool OnInitDialog();
    void LoadPlugin(const char* cacheSize, int versionIndex);
    void BuildMenu();
    void Layout();
    std::array<QWidget*, 8> Panels() const;
    void OnTimer();
    void OnProtocolVersionSelected(int index);
    // The controls of a running capture, or of none.
    void SetCapturing(bool on);
    // Makes the program folder current; reports when it cannot.
    void EnterProgramFolder();
    bool LoadFieldCatalogue(const std::string& versionName);
    // Empties the list selection, the address book and the time line after the store was emptied.
    void ClearViews();
    // The standard radio panel's keys go to the plug-in before packets are decoded.
    void HandKeysToPlugin();

    bool created_ = false;
    bool closed_ = false;
    QEventLoop loop_;

    // In the order of destruction, last first: the plug-in goes last.
    Pelagor* engine_ = nullptr;
    PluginHandler host_;
    CPacketListCtrl* packetList_ = nullptr;
    PacketManager store_;
    CSetupPnl* setupPnl_ = nullptr;
    CRadioSettingsPnl* radioSettingsPnl_ = nullptr;
    CRadioConfStandardPnl* radioConfStandardPnl_ = nullptr;
    CSelectFieldPnl* selectFieldPnl_ = nullptr;
    CPacketDetailsPnl* packetDetailsPnl_ = nullptr;
    CAddressBookPnl* addressBookPnl_ = nullptr;
    CTimeLinePnl* timeLinePnl_ = nullptr;
    CDisplayFilterPnl* displayFilterPnl_ = nullptr;
    std::string programFolder_;
    std::string pluginPath_;
    std::string deviceName_;
    std::string configurationFileName_;
    bool registerPanelInUse_ = false;
    bool extendedChannels_ = false;
    bool hardwareFilters_ = false;
    int spinnerPosition_ = 0;
    CTabCtrl* hiddenTabs_ = nullptr;
    CTabCtrl* panelTabs_ = nullptr;
    FieldInfo fields_;
    AddressBook addressBook_;
    int shownPacketCount_ = 0;
    CTrueColorToolBar* toolBar_ = nullptr;
    CStatusBarCtrl* statusBar_ = nullptr;
    bool flushOnStart_ = false;
    bool filterStateSeen_ = false;
    bool pluginLoaded_ = false;
    bool capturing_ = false;
    bool busy_ = false;
    bool waitCursor_ = false;
    bool radioStatusDirty_ = false;
    bool broadcastOn_ = false;
    bool broadcastOnly_ = false;
    int udpPort_ = 0;
    uint32_t udpAddress_ = 0;
    int protocolVersionIndex_ = 0;
    std::string protocolVersionName_;
    QMenu* menu_ = nullptr;
    QComboBox* protocolVersionCombo_ = nullptr;
    CAPTURE_START_PARAM startParam_{};
    // Kept alive for the engine while a start runs.
    std::string firmwareFile_;
    double clockMultiplier_ = 1.0;
    QWidget* client_ = nullptr;
    QTimer refreshTimer_;
};
