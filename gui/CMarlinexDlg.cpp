#include "gui/CMarlinexDlg.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWidgetAction>

#include "core/device/Pelagor.h"
#include "core/host/CPelagorSettings.h"
#include "core/store/DataFileCheck.h"
#include "core/store/ReadFileThread.h"
#include "core/tables/PelagorTable.h"
#include "gui/CTrueColorToolBar.h"
#include "gui/CommandIds.h"
#include "gui/ControlId.h"
#include "gui/FileDialog.h"
#include "gui/MessageBeep.h"
#include "gui/ModalDialog.h"
#include "gui/OpenUrl.h"
#include "gui/ProcessWindows.h"
#include "gui/ProgramIcons.h"
#include "gui/dialogs/CAboutDlg.h"
#include "gui/dialogs/CBufferSizeDlg.h"
#include "gui/dialogs/CClockMultiplierDlg.h"
#include "gui/dialogs/CContactDlg.h"
#include "gui/dialogs/CFileOptionsDlg.h"
#include "gui/dialogs/CPacketBroadcastDlg.h"
#include "gui/dialogs/CRevisiondlg.h"
#include "gui/panels/CAddressBookPnl.h"
#include "gui/panels/CDisplayFilterPnl.h"
#include "gui/panels/CPacketDetailsPnl.h"
#include "gui/panels/CRadioConfStandardPnl.h"
#include "gui/panels/CRadioSettingsPnl.h"
#include "gui/panels/CSelectFieldPnl.h"
#include "gui/panels/CSetupPnl.h"
#include "gui/panels/CTimeLinePnl.h"
#include "gui/views/CPacketListCtrl.h"
#include "gui/views/CPacketTimeLineCtrl.h"
#include "gui/views/CStatusBarCtrl.h"
#include "gui/views/CTabCtrl.h"
#include "platform/GuiCallScope.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFolder.h"
#include "platform/TextFormat.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikRevision.h"

namespace {

constexpr const char* kCaption = "Korvath General Pelagor";
constexpr const char* kTitleStart = "Korvath Lumetra Pelagor ";
constexpr const char* kNotLoaded = " * Protocol plug-in not loaded.";
constexpr const char* kDirectoryFailed =
    "Not able to restore current directory.\r\nThis can cause failiure on closing of the Pelagor.";
constexpr const char* kDataFileFilter = "Pelagor Data files (*.pld)|*.pld|All files (*.*)|*.*||";
constexpr const char* kSaveFirst = "Would you like to save the current data before proceeding?";
constexpr const char* kFileFormatCaption = "About the Pelagor Data (PLD) File Format";
constexpr const char* kFileFormatText =
    "The Pelagor data files are formatted as follows (the number of bytes used is shown in [brackets]):\n"
    "For each packet:\n"
    "[1] Packet Information.\n"
    "[4] Packet Number.\n"
    "[8] Time stamp (microseconds).\n"
    "[2] Packet Length.\n"
    "[%d] The payload, ending with the FCS.\n"
    "The packet length will include 2 bytes for FCS depending on \"bit 0\" in the Packet Information byte.\n"
    "If the bit is set, the packet length include the FCS bytes.\n"
    "The FCS is replaced by the RSSI value, a CRC OK bit and the correlation value, as described in the data "
    "sheet for the applicable Chip.\n"
    "If the length indicate that the packet is smaller than the maximum amount of payload bytes, the rest should "
    "be ignored.\n"
    "\n"
    "Please note that all numbers use the little-endian format, meaning, for instance, that the number 0x12345678 "
    "is stored as {0x78,0x56,0x34,0x12} in the PLD-file.\n"
    "\n"
    "Packet Information:\n"
    "Bit 0: Packet length including FCS\n"
    "Bit 1: Correlation used.\n"
    "Bit 2: Incomplete packet.\n"
    "Bit 4: Generic sniffer is used.\n"
    "The other bits are unused.\n";
constexpr const char* kManualInProgramFolder = "../../../Documentation/Lumetra Pelagor User Manual.pdf";
constexpr int kTabAreaHeight = 225;
constexpr int kMargin = 8;
constexpr int kPanelInset = 12;

// The resource size of the window; a stored placement replaces it.
constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 720;

constexpr const char* kTabCaptions[] = {"Capturing device", "Radio Configuration", "Select fields",
                                        "Packet details", "Address book", "Display filter", "Time line"};

void ShowWarning(const std::string& text)
{
    platform::ShowMessageBox(text, platform::MessageIcon::Exclamation);
}

// Where a path's last separator (a backslash or '/') stands; npos when it has none.
size_t LastSeparator(const std::string& path)
{
    return path.find_last_of("\\/");
}

} // namespace

CMarlinexDlg::CMarlinexDlg(QWidget* parent, const std::string& programFolder, const EngineFactory& engineFactory)
    : QMainWindow(parent), programFolder_(programFolder.empty() ? GetProgramDirectory() : programFolder)
{
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(ProgramIcon());
    resize(kDefaultWidth, kDefaultHeight);
    engine_ = engineFactory ? engineFactory(Handle(), programFolder_) : new Pelagor(Handle(), programFolder_);
    refreshTimer_.setInterval(kRefreshPeriodMs);
    refreshTimer_.setObjectName(QString::number(kRefreshTimerId));
    connect(&refreshTimer_, &QTimer::timeout, this, &CMarlinexDlg::OnTimer);
}

CMarlinexDlg::~CMarlinexDlg()
{
    {
        platform::GuiCallScope waiting;
        if (capturing_) {
            engine_->Stop();
            capturing_ = false;
        }
        // The store's threads use the filter and the time line: they end before any panel goes.
        store_.DeleteFileReader();
        store_.FilterOff();
        store_.SetNodeSink(nullptr);
        store_.SetAddressBookWindow(0);
        refreshTimer_.stop();
        delete protocolVersionCombo_;
        protocolVersionCombo_ = nullptr;
        delete engine_;
        engine_ = nullptr;
    }
    if (Pelagor::GetPacketManager() == &store_)
        Pelagor::SetPacketManager(nullptr);
    PelagorTable::SetPluginHandler(nullptr);
    ClearProcessWindows(Handle());
    delete statusBar_;
    delete toolBar_;
    delete panelTabs_;
    delete hiddenTabs_;
    delete displayFilterPnl_;
    delete timeLinePnl_;
    delete addressBookPnl_;
    delete packetDetailsPnl_;
    delete selectFieldPnl_;
    delete radioConfStandardPnl_;
    delete radioSettingsPnl_;
    delete setupPnl_;
    delete packetList_;
    delete client_;
}

std::string CMarlinexDlg::GetProgramDirectory()
{
    return platform::ProgramFolder();
}

CPacketTimeLineCtrl* CMarlinexDlg::TimeLine()
{
    return timeLinePnl_ != nullptr ? timeLinePnl_->View() : nullptr;
}

bool CMarlinexDlg::Create()
{
    if (created_)
        return true;
    created_ = true;
    return OnInitDialog();
}

int CMarlinexDlg::DoModal()
{
    Create();
    show();
    if (!closed_)
        loop_.exec();
    return 1;
}

// ---------------------------------------------------------------- initialisation

bool CMarlinexDlg::OnInitDialog()
{
    // There is no system menu to add "&About Marlinex..." to; the Help menu has it.
    BuildMenu();

    toolBar_ = new CTrueColorToolBar(this);
    toolBar_->AddMainButtons();
    addToolBar(Qt::TopToolBarArea, toolBar_);
    connect(toolBar_, &CTrueColorToolBar::command, this, &CMarlinexDlg::OnCommand);
    // F5 and F6 are the buttons' own shortcuts: they act only while the button is enabled.
    toolBar_->Action(command::kStart)->setShortcut(QKeySequence(Qt::Key_F5));
    toolBar_->Action(command::kPause)->setShortcut(QKeySequence(Qt::Key_F6));
    toolBar_->SetEnabled(command::kStart, false);
    toolBar_->SetEnabled(command::kPause, false);
    toolBar_->SetEnabled(command::kFlushOnStart, false);
    if (hardwareFilters_) {
        toolBar_->SetHidden(command::kHardwareFcsFilter, false);
        toolBar_->SetHidden(command::kHardwareIncompleteFilter, false);
    }

    statusBar_ = new CStatusBarCtrl(this);
    SetControlId(statusBar_, 103);
    // Counts of eight digits stay whole.
    statusBar_->SetParts({150, 300, 420, 540, 660, -1},
                         {QStringLiteral(" Packet count: 99999999"), QStringLiteral(" Error count: 99999999"),
                          QStringLiteral(" Filtered packet count: 99999999"), QString(),
                          QStringLiteral(" Channel: 26 [0x1A]")});
    setStatusBar(statusBar_);

    client_ = new QWidget(this);
    setCentralWidget(client_);

    packetList_ = new CPacketListCtrl(client_);
    packetList_->setGeometry(0, 0, 1200, 500);
    packetList_->SetSmallFont(0);
    connect(packetList_, &CPacketListCtrl::autoScrollStopped, this, &CMarlinexDlg::ClearAutoScroll);
    // A double-click on a row shows that packet in the details tab.
    connect(packetList_, &CPacketListCtrl::packetDoubleClicked, this,
            [this] { packetDetailsPnl_->ShowPacketDetails(packetList_, &store_); });

    hiddenTabs_ = new CTabCtrl(client_, 1059);
    hiddenTabs_->hide();
    panelTabs_ = new CTabCtrl(client_, 1000);
    for (const char* caption : kTabCaptions)
        panelTabs_->InsertItem(panelTabs_->GetItemCount(), QString::fromLatin1(caption));
    connect(panelTabs_, &CTabCtrl::selectionChanged, this, [this] { ShowPanel(); });

    setupPnl_ = new CSetupPnl(client_);
    radioSettingsPnl_ = new CRadioSettingsPnl(client_);
    radioConfStandardPnl_ = new CRadioConfStandardPnl(client_);
    selectFieldPnl_ = new CSelectFieldPnl(client_);
    packetDetailsPnl_ = new CPacketDetailsPnl(client_);
    addressBookPnl_ = new CAddressBookPnl(client_);
    timeLinePnl_ = new CTimeLinePnl(client_);
    displayFilterPnl_ = new CDisplayFilterPnl(client_);
    for (QWidget* panel : Panels())
        panel->hide();

    CPacketTimeLineCtrl* timeLine = timeLinePnl_->View();
    timeLine->SetPacketList(packetList_);
    timeLine->SetPacketManager(&store_);
    packetList_->SetPacketManager(&store_);
    packetList_->SetPluginHandler(&host_);
    packetList_->SetFieldInfo(&fields_);
    packetList_->SetTimeLine(timeLine);
    store_.SetPluginHandler(&host_);
    // The tables name the plug-in's fields by the plug-in's own names.
    PelagorTable::SetPluginHandler(&host_);
    store_.SetNodeSink(timeLine);
    store_.SetAddressBookWindow(addressBookPnl_->Handle());
    Pelagor::SetPacketManager(&store_);
    addressBookPnl_->SetPluginHandler(&host_);
    addressBookPnl_->SetTimeLine(timeLine);
    selectFieldPnl_->SetPacketList(packetList_);
    setupPnl_->SetRefreshBlocked([this] { return store_.CaptureRunning() || busy_; });
    setupPnl_->SetDeviceSelectedHandler([this](const std::string& name) { OnDeviceSelected(name); });
    radioSettingsPnl_->SetProgramFolder(programFolder_);
    displayFilterPnl_->SetPacketList(packetList_);
    displayFilterPnl_->SetPacketManager(&store_);

    EnterProgramFolder();
    Layout();

    store_.CreateBufferFile(static_cast<int>(getpid()));

    CPelagorSettings settings;
    settings.Load();
    LoadPlugin(settings.PacketBufferSize.c_str(), settings.protVer);

    if (settings.bottom >= 1 && settings.bottom <= 2999)
        setGeometry(settings.left, settings.top, settings.right - settings.left, settings.bottom - settings.top);

    if (pluginLoaded_) {
        toolBar_->SetChecked(command::kTabs, settings.ShowTabs);
        Layout();
        ShowPanel();
        toolBar_->SetChecked(command::kFlushOnStart, settings.FlushBufferOnStart);
        flushOnStart_ = settings.FlushBufferOnStart;
        if (hardwareFilters_) {
            toolBar_->SetChecked(command::kHardwareFcsFilter, settings.HardwareFcsChecking);
            engine_->SetHardwareFcsFilter(settings.HardwareFcsChecking ? 1 : 0);
            toolBar_->SetChecked(command::kHardwareIncompleteFilter, settings.HardwareIncompleteChecking);
            engine_->SetHardwareIncompleteFilter(settings.HardwareIncompleteChecking ? 1 : 0);
        }
        // Read as the dialog reads it, in the "C" locale: a damaged value ("inf", "1.5x") is 1.
        clockMultiplier_ = CClockMultiplierDlg::ReadFactor(settings.ClockMultiplier.View()).value_or(1.0);
        store_.SetClockMultiplier(clockMultiplier_);
        setupPnl_->RefreshDeviceList();
        setupPnl_->StartDevicePoll();
        UpdateStatusBar(false, 0);
        refreshTimer_.start();
        SetProtocolVersion(protocolVersionIndex_);
    }

    broadcastOn_ = settings.bcEnabled != 0;
    broadcastOnly_ = settings.bcOnly != 0;
    udpPort_ = settings.bcPort;
    udpAddress_ = settings.bcAddress;
    UpdateBroadcastStatus();

    SetProcessWindows(Handle(), radioConfStandardPnl_->Handle());
    return true;
}

void CMarlinexDlg::BuildMenu()
{
    struct Item {
        int menu;
        const char* text; // null: a separator
        int id;
    };
    static constexpr const char* kMenus[] = {"&File", "&Settings", "&Help"};
    static constexpr Item kItems[] = {
        {0, "Reset", command::kReset},
        {0, "Open data...", command::kOpenData},
        {0, "Save data...", command::kSaveData},
        {1, "Cache buffer size...", command::kCacheSize},
        {1, "Clock multiplier...", command::kClockMultiplier},
        {1, "Packet broadcast ...", command::kPacketBroadcast},
        {2, "About the PLD file format...", command::kFileFormatHelp},
        {2, "User Manual (PDF)", command::kUserManual},
        {2, nullptr, 0},
        {2, "Revision history...", command::kRevisionHistory},
        {2, "Dravik information ...", command::kLibraryInfo},
        {2, nullptr, 0},
        {2, "About...", command::kAbout},
        {2, "Contact Korvath...", command::kContact},
    };
    QMenuBar* bar = menuBar();
    SetControlId(bar, 129);
    QMenu* menus[3];
    for (int i = 0; i < 3; ++i)
        menus[i] = bar->addMenu(QString::fromLatin1(kMenus[i]));
    menu_ = menus[0];
    for (const Item& item : kItems) {
        if (item.text == nullptr) {
            menus[item.menu]->addSeparator();
            continue;
        }
        QAction* action = menus[item.menu]->addAction(QString::fromLatin1(item.text));
        SetControlId(action, item.id);
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
}

void CMarlinexDlg::EnterProgramFolder()
{
    if (chdir(programFolder_.c_str()) != 0)
        ShowWarning(kDirectoryFailed);
}

bool CMarlinexDlg::LoadFieldCatalogue(const std::string& versionName)
{
    std::string folder;
    if (const size_t cut = LastSeparator(pluginPath_); cut != std::string::npos)
        folder = pluginPath_.substr(0, cut);
    else
        folder = pluginPath_;
    // Read into a copy: a catalogue that cannot be read leaves the one in use as it is.
    FieldInfo next = fields_;
    if (next.Load(folder, versionName) == 0)
        return false;
    fields_ = next;
    return true;
}

void CMarlinexDlg::LoadPlugin(const char* cacheSize, int versionIndex)
{
    std::string title = kTitleStart;
    std::string folder = pluginPath_;
    if (const size_t cut = LastSeparator(pluginPath_); cut != std::string::npos)
        folder = pluginPath_.substr(0, cut);
    else
        ShowWarning(platform::FormatText("Not able to find plugin: %s", pluginPath_.c_str()));
    setupPnl_->SetPluginFolder(folder);

    if (host_.Load(pluginPath_.c_str(), deviceName_) == 0) {
        title += kNotLoaded;
        setWindowTitle(QString::fromLatin1(title.c_str()));
        ShowWarning("Failed to load protocol plug-in '" + pluginPath_ + "'.");
        return;
    }

    const uint16_t rawLength = host_.RawLength();
    const uint16_t parsedLength = host_.ParsedLength();
    int initialised;
    {
        platform::GuiCallScope waiting;
        initialised = store_.Init(rawLength, parsedLength);
    }
    if (initialised == 0) {
        // A store that refuses these lengths would refuse every packet.
        title += kNotLoaded;
        setWindowTitle(QString::fromLatin1(title.c_str()));
        ShowWarning(platform::FormatText(
            "The record lengths of protocol plug-in '%s' cannot be stored (raw %d, parsed %d bytes).",
            pluginPath_.c_str(), rawLength, parsedLength));
        return;
    }
    packetList_->AllocFieldBuffer(parsedLength);
    displayFilterPnl_->SetParsedLength(parsedLength);
    engine_->SetPacketLimits(rawLength, host_.HexPageSize());

    const std::vector<std::string>& versions = host_.ProtocolVersions();
    protocolVersionName_.clear();
    if (!versions.empty()) {
        protocolVersionCombo_ = new QComboBox(toolBar_);
        SetControlId(protocolVersionCombo_, command::kProtocolVersion);
        protocolVersionCombo_->setToolTip(QStringLiteral("Select required protocol version"));
        protocolVersionCombo_->setFixedWidth(150);
        for (const std::string& name : versions)
            protocolVersionCombo_->addItem(QString::fromLatin1(name.c_str()));
        auto* gap = new QWidget(toolBar_);
        gap->setFixedWidth(10);
        toolBar_->addWidget(gap);
        toolBar_->addWidget(protocolVersionCombo_);
        const int index = versionIndex < 0 || versionIndex >= static_cast<int>(versions.size()) ? 0 : versionIndex;
        protocolVersionCombo_->setCurrentIndex(index);
        protocolVersionIndex_ = index;
        protocolVersionName_ = versions[static_cast<size_t>(index)];
        connect(protocolVersionCombo_, &QComboBox::activated, this, &CMarlinexDlg::OnProtocolVersionSelected);
    }

    if (!LoadFieldCatalogue(protocolVersionName_)) {
        title += " Protocol plug-in not loaded.";
        setWindowTitle(QString::fromLatin1(title.c_str()));
        return;
    }
    selectFieldPnl_->BuildListBoxes(&fields_);
    if (addressBook_.Load(folder) != 0)
        addressBookPnl_->CreateEntryControls(&addressBook_, host_.HasAutoRegister());

    const std::string& protocol = host_.ProtocolName();
    if (protocol.empty()) {
        title += " Protocol unknown";
    } else {
        title += protocol;
        std::string upper = protocol;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        radioConfStandardPnl_->FillChannelList(upper.find("BLUETOOTH") != std::string::npos, extendedChannels_);
    }
    setWindowTitle(QString::fromLatin1(title.c_str()));

    // "%d": the number the text begins with; a text that begins with none keeps the default.
    int megabytes = 20;
    std::sscanf(cacheSize, "%d", &megabytes);
    if (megabytes <= 0) {
        ShowWarning("RAM Buffer = 0!!");
        return;
    }
    int allocated = 0;
    if (megabytes <= UINT16_MAX) {
        platform::GuiCallScope waiting;
        allocated = store_.SetCacheSize(static_cast<uint16_t>(megabytes));
    }
    if (allocated == 0) {
        ShowWarning("Not able to allocate RAM buffer");
        return;
    }

    toolBar_->SetEnabled(command::kStart, true);
    toolBar_->SetEnabled(command::kFlushOnStart, true);
    pluginLoaded_ = true;
    displayFilterPnl_->LoadFieldNames(folder.c_str());
    timeLinePnl_->LoadFrameDefinitions(folder.c_str());
}

int CMarlinexDlg::SetProtocolVersion(int index)
{
    if (protocolVersionCombo_ == nullptr)
        return 0;
    if (index < 0 || index >= protocolVersionCombo_->count()) {
        ShowWarning(platform::FormatText("Not able to set Protocol version. Invalid number: %d", index));
        return 0;
    }
    const int previousIndex = protocolVersionIndex_;
    if (host_.SetProtocolVersion(index) == 0) {
        ShowWarning("Not able to set Protocol version");
        return 0;
    }
    char saved[1024];
    if (getcwd(saved, sizeof saved) == nullptr) {
        // The plug-in already decodes the new version: back to the one the window shows.
        host_.SetProtocolVersion(previousIndex);
        ShowWarning("Not able to retrieve current working directory.\r\nNot able to set new protocol version.");
        return 0;
    }
    EnterProgramFolder();

    const std::string name = protocolVersionCombo_->itemText(index).toLatin1().toStdString();
    const std::string oldTitle = windowTitle().toLatin1().toStdString();
    std::string word = name;
    if (const size_t blank = name.find(' '); blank != std::string::npos && blank != 0)
        word = name.substr(0, blank);
    std::string title = oldTitle;
    if (const size_t at = title.find(word); at != std::string::npos)
        title = title.substr(0, at) + name;
    else
        title = name;

    int result = 0;
    if (LoadFieldCatalogue(name)) {
        setWindowTitle(QString::fromLatin1(title.c_str()));
        protocolVersionIndex_ = index;
        protocolVersionName_ = name;
        selectFieldPnl_->ClearListBoxes();
        selectFieldPnl_->BuildListBoxes(&fields_);
        result = 1;
    } else {
        // Keep what the window shows: the old version, its catalogue and its title.
        host_.SetProtocolVersion(previousIndex);
    }
    if (chdir(saved) != 0)
        ShowWarning(kDirectoryFailed);
    return result;
}

void CMarlinexDlg::OnProtocolVersionSelected(int index)
{
    if (SetProtocolVersion(index) == 0 && protocolVersionCombo_ != nullptr)
        protocolVersionCombo_->setCurrentIndex(protocolVersionIndex_);
}

// ---------------------------------------------------------------- layout

void CMarlinexDlg::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Layout();
}

void CMarlinexDlg::Layout()
{
    if (panelTabs_ == nullptr || isMinimized())
        return;
    const int clientWidth = client_->width();
    const int clientHeight = client_->height();
    // The client ends at the status bar.
    QRect tabArea;
    if (toolBar_->IsChecked(command::kTabs)) {
        const int bottom = clientHeight - kMargin;
        tabArea = QRect(kMargin, bottom - kTabAreaHeight, clientWidth - 2 * kMargin, kTabAreaHeight);
        panelTabs_->setGeometry(tabArea);
        panelTabs_->show();
    } else {
        panelTabs_->hide();
        tabArea = QRect(kMargin, clientHeight + kMargin, clientWidth - 2 * kMargin, 0);
    }
    packetList_->setGeometry(0, 0, clientWidth, std::max(0, tabArea.top() - 9));

    const QRect panelArea(tabArea.left() + kPanelInset, tabArea.top() + panelTabs_->ItemHeight() + kPanelInset,
                          std::max(0, tabArea.width() - 2 * kPanelInset),
                          std::max(0, tabArea.height() - panelTabs_->ItemHeight() - 2 * kPanelInset));
    for (QWidget* panel : Panels()) {
        panel->setGeometry(panelArea);
        panel->raise();
    }
    client_->update();
}

std::array<QWidget*, 8> CMarlinexDlg::Panels() const
{
    // In the order of the layout.
    return {setupPnl_,         radioSettingsPnl_, radioConfStandardPnl_, selectFieldPnl_,
            packetDetailsPnl_, addressBookPnl_,   timeLinePnl_,          displayFilterPnl_};
}

void CMarlinexDlg::ShowPanel()
{
    if (panelTabs_ == nullptr)
        return;
    const int selected = panelTabs_->GetCurSel();
    QWidget* shown = nullptr;
    switch (selected) {
    case 0: shown = setupPnl_; break;
    case 1: shown = registerPanelInUse_ ? static_cast<QWidget*>(radioSettingsPnl_) : radioConfStandardPnl_; break;
    case 2: shown = selectFieldPnl_; break;
    case 3: shown = packetDetailsPnl_; break;
    case 4: shown = addressBookPnl_; break;
    case 5: shown = displayFilterPnl_; break;
    case 6: shown = timeLinePnl_; break;
    default: break;
    }
    const bool tabsShown = toolBar_->IsChecked(command::kTabs);
    for (QWidget* panel : Panels())
        panel->setVisible(tabsShown && panel == shown);
}

// ---------------------------------------------------------------- settings and close

void CMarlinexDlg::SaveSettings()
{
    const QRect window = geometry();
    CPelagorSettings settings;
    settings.Load();
    settings.FlushBufferOnStart = toolBar_->IsChecked(command::kFlushOnStart);
    settings.ShowTabs = toolBar_->IsChecked(command::kTabs);
    settings.HardwareFcsChecking = toolBar_->IsChecked(command::kHardwareFcsFilter);
    settings.HardwareIncompleteChecking = toolBar_->IsChecked(command::kHardwareIncompleteFilter);
    if (protocolVersionCombo_ != nullptr)
        settings.protVer = protocolVersionCombo_->currentIndex();
    settings.bcEnabled = broadcastOn_ ? 1 : 0;
    settings.bcOnly = broadcastOnly_ ? 1 : 0;
    settings.bcPort = udpPort_;
    settings.bcAddress = udpAddress_;
    settings.top = window.top();
    settings.left = window.left();
    settings.bottom = window.top() + window.height();
    settings.right = window.left() + window.width();
    settings.Save();
}

void CMarlinexDlg::closeEvent(QCloseEvent* event)
{
    if (!closed_ && created_) {
        SaveSettings();
        selectFieldPnl_->SaveSettings();
        radioSettingsPnl_->SaveChannel();
        radioConfStandardPnl_->SaveSettings();
        platform::GuiCallScope waiting;
        store_.Stop(1);
    }
    closed_ = true;
    event->accept();
    loop_.quit();
}

void CMarlinexDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter does nothing: the window has no default button.
    if (PreTranslateMessage(event) || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool CMarlinexDlg::PreTranslateMessage(QEvent* event)
{
    // The accelerators F5 and F6 are the Start and Pause buttons' shortcuts, which reach them
    // before any control sees the key. Escape never closes the window; it comes here only when
    // no control had a use for it.
    return event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
}

// ---------------------------------------------------------------- commands and messages

void CMarlinexDlg::OnCommand(int id)
{
    switch (id) {
    case command::kAboutSystemMenu:
        OnSysCommand(id);
        break;
    case command::kAbout:
        OnAbout();
        break;
    case command::kContact:
        OnContact();
        break;
    case command::kRevisionHistory:
        OnRevisionHistory();
        break;
    case command::kUserManual:
        OnUserManual();
        break;
    case command::kLibraryInfo:
        OnLibraryInfo();
        break;
    case command::kFileFormatHelp:
        OnFileFormatHelp();
        break;
    case command::kOpenData:
        OnOpenData();
        break;
    case command::kSaveData:
        OnSaveData();
        break;
    case command::kCacheSize:
        OnCacheSize();
        break;
    case command::kClockMultiplier:
        OnClockMultiplier();
        break;
    case command::kPacketBroadcast:
        OnPacketBroadcast();
        break;
    case command::kReset:
        ResetData();
        break;
    case command::kStart:
        OnStart();
        break;
    case command::kPause:
        OnPause();
        break;
    case command::kTabs:
        Layout();
        ShowPanel();
        break;
    case command::kFlushOnStart:
        flushOnStart_ = toolBar_->IsChecked(command::kFlushOnStart);
        break;
    case command::kAutoScroll:
        packetList_->SetAutoScroll(toolBar_->IsChecked(command::kAutoScroll));
        timeLinePnl_->SetAutoScroll(toolBar_->IsChecked(command::kAutoScroll));
        break;
    case command::kSmallFont:
        packetList_->SetSmallFont(toolBar_->IsChecked(command::kSmallFont) ? 1 : 0);
        packetList_->viewport()->update();
        break;
    case command::kHardwareFcsFilter:
        if (hardwareFilters_)
            engine_->SetHardwareFcsFilter(toolBar_->IsChecked(command::kHardwareFcsFilter) ? 1 : 0);
        break;
    case command::kHardwareIncompleteFilter:
        if (hardwareFilters_)
            engine_->SetHardwareIncompleteFilter(toolBar_->IsChecked(command::kHardwareIncompleteFilter) ? 1 : 0);
        break;
    default:
        break;
    }
}

void CMarlinexDlg::OnWindowMessage(uint32_t message, uint64_t wParam, int64_t, const std::string&)
{
    switch (message) {
    case platform::WM_CAPTURE_STOPPED:
        OnCaptureStopped();
        break;
    case platform::WM_BUSY_STATE:
        SetBusy(wParam == 1);
        break;
    case platform::WM_FILE_READ_DONE:
        OnFileReadDone(wParam);
        break;
    default:
        break;
    }
}

void CMarlinexDlg::OnStart()
{
    int restarted;
    {
        platform::GuiCallScope waiting;
        // A data file may have sized the store for its records; the board delivers the plug-in's.
        restarted = store_.RestorePluginSizes() != 0 ? store_.Restart(flushOnStart_ ? 1 : 0) : 0;
    }
    if (restarted == 0) {
        MessageBeep();
        return;
    }
    if (flushOnStart_) {
        {
            platform::GuiCallScope waiting;
            store_.Reset();
        }
        ClearViews();
    }

    const DravikEbInfo* selected = setupPnl_->SelectedDevice();
    if (selected == nullptr) {
        store_.Stop(1);
        MessageBeep();
        return;
    }
    // A copy: a refresh during the start must not change the device under it.
    const DravikEbInfo device = *selected;
    if (host_.SetChipType(device.chipName) == 0) {
        store_.Stop(1);
        ShowWarning(platform::FormatText("The device type is not supported: %s", device.chipName));
        return;
    }

    HandKeysToPlugin();

    uint8_t channel = 0;
    GetChannel(&channel);
    startParam_.channel = channel;
    const bool initiator = IsInitiatorAddressUsed();
    if (initiator)
        radioConfStandardPnl_->GetInitiatorAddress(startParam_.initiatorAddress);
    startParam_.udpAddress = udpAddress_;
    startParam_.udpPort = udpPort_;
    firmwareFile_ = host_.GetFirmwareFile(device.chipCode, setupPnl_->UsartChoice());
    startParam_.firmwareFile = firmwareFile_.c_str();
    startParam_.usartChoice = setupPnl_->UsartChoice();
    startParam_.initiatorPresent = initiator ? 1 : 0;
    startParam_.broadcastOn = broadcastOn_ ? 1 : 0;
    startParam_.broadcastOnly = broadcastOnly_ ? 1 : 0;
    startParam_.notifyWindow = Handle();
    startParam_.registerList = nullptr;
    startParam_.registerCount = 0;
    if (registerPanelInUse_) {
        const int* list = nullptr;
        uint16_t count = 0;
        if (radioSettingsPnl_->GetRegisterSettings(device.chipCode, &list, &count) == 0) {
            store_.Stop(1);
            ShowWarning(platform::FormatText("Radio Registers not selected for %s\n", device.chipName));
            return;
        }
        startParam_.registerList = list;
        startParam_.registerCount = count;
    }

    int started;
    {
        platform::GuiCallScope waiting;
        started = engine_->Start(device, startParam_);
    }
    if (started == Pelagor::kStartRunning) {
        SetCapturing(true);
    } else {
        store_.Stop(1);
        MessageBeep();
    }
    UpdateStatusBar(false, 0);
}

void CMarlinexDlg::OnDeviceSelected(const std::string& deviceName)
{
    if (host_.HasRadioSettings(deviceName)) {
        if (!registerPanelInUse_) {
            registerPanelInUse_ = true;
            radioSettingsPnl_->LoadDefaultRegisterFiles(pluginPath_, configurationFileName_, deviceName);
        }
        radioSettingsPnl_->SetRfDeviceType(deviceName);
    } else {
        configurationFileName_.clear();
        registerPanelInUse_ = false;
    }
    deviceName_ = deviceName;
    radioStatusDirty_ = true;
    Layout();
    ShowPanel();
}

int CMarlinexDlg::GetChannel(uint8_t* channel, bool report)
{
    if (registerPanelInUse_)
        return radioSettingsPnl_->GetChannel(channel);
    return radioConfStandardPnl_->GetChannel(channel, report);
}

int CMarlinexDlg::TakeRadioSettingsChanged()
{
    return registerPanelInUse_ ? radioSettingsPnl_->TakeChannelChanged() : radioConfStandardPnl_->TakeChannelChanged();
}

bool CMarlinexDlg::IsInitiatorAddressUsed() const
{
    return radioConfStandardPnl_->IsBleMode() && radioConfStandardPnl_->InitiatorChecked();
}

void CMarlinexDlg::OnPause()
{
    int stopped;
    {
        platform::GuiCallScope waiting;
        store_.Stop(0);
        stopped = engine_->Stop();
    }
    if (stopped == 0) {
        store_.Stop(1);
        EnableControlsAfterCapture();
    } else {
        MessageBeep();
    }
}

void CMarlinexDlg::OnCaptureStopped()
{
    {
        platform::GuiCallScope waiting;
        if (capturing_)
            engine_->Stop();
        store_.Stop(1);
    }
    EnableControlsAfterCapture();
}

void CMarlinexDlg::EnableControlsAfterCapture()
{
    SetCapturing(false);
    UpdateStatusBar(false, 0);
}

void CMarlinexDlg::SetCapturing(bool on)
{
    toolBar_->SetEnabled(command::kStart, !on);
    toolBar_->SetEnabled(command::kPause, on);
    // The register panel stays enabled: its set is only read at the start.
    setupPnl_->EnableDeviceList(!on);
    radioConfStandardPnl_->EnableControls(!on);
    if (protocolVersionCombo_ != nullptr)
        protocolVersionCombo_->setEnabled(!on);
    for (const int id : {command::kReset, command::kOpenData, command::kSaveData, command::kCacheSize,
                         command::kClockMultiplier, command::kPacketBroadcast})
        if (QAction* action = FindControl<QAction>(menuBar(), id))
            action->setEnabled(!on);
    capturing_ = on;
}

void CMarlinexDlg::SetBusy(bool on)
{
    busy_ = on;
    waitCursor_ = on;
    if (on) {
        toolBar_->SetEnabled(command::kStart, false);
        toolBar_->SetEnabled(command::kPause, false);
        setCursor(Qt::WaitCursor);
    } else {
        toolBar_->SetEnabled(command::kStart, true);
        toolBar_->SetEnabled(command::kPause, false);
        unsetCursor();
        setupPnl_->RefreshDeviceList();
    }
}

void CMarlinexDlg::ResetData()
{
    if (store_.CaptureRunning()) {
        MessageBeep();
        return;
    }
    {
        platform::GuiCallScope waiting;
        store_.Reset();
    }
    ClearViews();
    packetList_->viewport()->update();
    UpdateStatusBar(false, 0);
    TimeLine()->viewport()->update();
}

void CMarlinexDlg::ClearViews()
{
    packetList_->SelectPacket(-1);
    packetList_->UpdateScrollBars();
    addressBookPnl_->ClearAll();
    CPacketTimeLineCtrl* timeLine = TimeLine();
    timeLine->RemoveAllNodes();
    timeLine->UpdateScrollBars();
    timeLine->ScrollTo(0);
    shownPacketCount_ = 0;
}

void CMarlinexDlg::HandKeysToPlugin()
{
    uint8_t key[16] = {};
    uint32_t passKey = 0;
    radioConfStandardPnl_->GetBleLtk(key);
    radioConfStandardPnl_->GetBlePassKey(&passKey);
    host_.SetBleKeys(key, 16, static_cast<int>(passKey));
    host_.SetBleLtkUpdateCb(OnBleLtkUpdate);
}

// ---------------------------------------------------------------- timer and status bar

void CMarlinexDlg::ClearAutoScroll()
{
    if (toolBar_ != nullptr)
        toolBar_->SetChecked(command::kAutoScroll, false);
}

void CMarlinexDlg::OnTimer()
{
    if (store_.FilterActive() != filterStateSeen_) {
        filterStateSeen_ = store_.FilterActive();
        packetList_->UpdateScrollBars();
        packetList_->SelectPacket(-1);
        shownPacketCount_ = 0;
    }
    const int count = store_.GetPacketCount(1);
    if (count != shownPacketCount_ || packetList_->RepaintNeeded()) {
        // Undrawn rows are drawn again whenever the list reports them: after a pause and during
        // a file read as much as while capturing.
        if ((capturing_ && shownPacketCount_ < 40) || packetList_->RepaintNeeded())
            packetList_->viewport()->update();
        shownPacketCount_ = count;
        packetList_->UpdateScrollBars();
        TimeLine()->UpdateScrollBars();
    }
    TimeLine()->RefreshNewPackets();
    if (busy_) {
        spinnerPosition_ = spinnerPosition_ >= 4 ? 1 : spinnerPosition_ + 1;
        UpdateStatusBar(true, spinnerPosition_);
    } else {
        UpdateStatusBar(false, 0);
    }
}

void CMarlinexDlg::UpdateStatusBar(bool busy, int spinnerPosition)
{
    if (statusBar_ == nullptr)
        return;
    static constexpr char kSpinner[] = {'|', '/', '-', '\\'};
    if (busy) {
        const char c = spinnerPosition >= 1 && spinnerPosition <= 4 ? kSpinner[spinnerPosition - 1] : '|';
        statusBar_->SetText(0, QString::fromLatin1(platform::FormatText("Loading firmware...%c", c).c_str()));
    } else {
        statusBar_->SetText(
            0, QString::fromLatin1(platform::FormatText(" Packet count: %d", store_.GetPacketCount(0)).c_str()));
    }
    statusBar_->SetText(1, QString::fromLatin1(platform::FormatText(" Error count: %d", store_.ErrorCount()).c_str()));
    if (store_.FilterActive()) {
        statusBar_->SetText(
            2, QString::fromLatin1(platform::FormatText(" Filtered packet count: %d", store_.GetPacketCount(1)).c_str()));
        statusBar_->SetIcon(2, FilterIcon());
    } else {
        statusBar_->SetText(2, QStringLiteral(" Filter off"));
        statusBar_->SetIcon(2, QIcon());
    }
    if (TakeRadioSettingsChanged() != 0 || radioStatusDirty_ || statusBar_->Text(3).isEmpty()) {
        radioStatusDirty_ = false;
        statusBar_->SetText(3, QString::fromLatin1((" RF device: " + deviceName_).c_str()));
        uint8_t channel = 0;
        GetChannel(&channel, false);
        statusBar_->SetText(4, QString::fromLatin1(platform::FormatText(" Channel: %d [0x%02X]", channel, channel).c_str()));
        if (registerPanelInUse_) {
            const std::string& path = radioSettingsPnl_->CurrentRegisterFile();
            const size_t cut = LastSeparator(path);
            const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
            configurationFileName_ = path;
            statusBar_->SetText(5, QString::fromLatin1((" Register settings: " + name).c_str()));
            statusBar_->SetTipText(5, QString::fromLatin1(path.c_str()));
        } else {
            statusBar_->SetText(5, QString());
            statusBar_->SetTipText(5, QString());
        }
    }
}

void CMarlinexDlg::UpdateBroadcastStatus()
{
    if (statusBar_ != nullptr)
        statusBar_->SetText(5, broadcastOn_ ? QStringLiteral(" Packet broadcast ON") : QStringLiteral(" Packet broadcast OFF"));
}

// ---------------------------------------------------------------- data files

void CMarlinexDlg::OnOpenData()
{
    if (store_.CaptureRunning() || !pluginLoaded_) {
        MessageBeep();
        return;
    }
    // Every stored packet counts, also those a filter hides; and only a save that went through
    // lets the store be emptied.
    if (store_.GetPacketCount(0) > 0) {
        platform::MessageBoxRequest question;
        question.text = kSaveFirst;
        question.caption = "Pelagor";
        question.icon = platform::MessageIcon::Question;
        question.buttons = platform::MessageButtons::YesNoCancel;
        const platform::MessageAnswer answer = platform::ShowMessageBox(question);
        if (answer == platform::MessageAnswer::Cancel)
            return;
        if (answer == platform::MessageAnswer::Yes && !OnSaveData())
            return;
    }
    const std::string path = GetOpenFileName(this, "Open", kDataFileFilter, std::string());
    if (path.empty())
        return;

    {
        platform::GuiCallScope waiting;
        store_.Reset();
        store_.RestorePluginSizes();
    }
    ClearViews();
    packetList_->viewport()->update();
    const uint16_t rawLength = store_.RawLength();

    int32_t blockSize = rawLength;
    int layout = CFileOptionsDlg::kNewLayout;
    const int layoutKnown = CheckDataFile(path.c_str(), &layout);
    bool cancelled = false;
    const std::string deviceType = setupPnl_->GetDeviceType();
    if (deviceType.empty() || layoutKnown == 0) {
        CFileOptionsDlg dialog(this);
        dialog.SetProtocolName(host_.ProtocolName());
        dialog.SetDeviceType(deviceType.empty() ? "Unknown" : deviceType);
        dialog.SetBlockSize(rawLength, false);
        dialog.SetFileInfo(layout, layoutKnown != 0);
        if (RunModalDialog(dialog) == CModalDlg::IDOK) {
            host_.SetChipType(dialog.GetDeviceType());
            blockSize = dialog.GetBlockSize();
            layout = dialog.GetLayout();
            if (blockSize < 5)
                blockSize = rawLength;
        } else {
            cancelled = true;
        }
    }
    HandKeysToPlugin();
    if (cancelled)
        return;

    {
        // The store sizes itself for the block size, or says why it cannot.
        platform::GuiCallScope waiting;
        store_.OpenFile(path, Handle(), layout != 0, host_.ProtocolName(), blockSize);
    }
    UpdateStatusBar(false, 0);
}

int CMarlinexDlg::CheckDataFile(const char* path, int* layout)
{
    return CheckDataFileLayout(path, store_.RawLength(), layout, host_.ProtocolName());
}

bool CMarlinexDlg::OnSaveData()
{
    char saved[1024];
    if (getcwd(saved, sizeof saved) == nullptr) {
        ShowWarning("Not able to retrieve current working directory.\r\nNot able to save file.");
        return false;
    }
    // Asks before it replaces a file: a capture written over is gone.
    const std::string path = GetSaveFileName(this, "Save As", kDataFileFilter, "pld", std::string(), true);
    bool written = false;
    if (!path.empty()) {
        platform::GuiCallScope waiting;
        written = store_.SaveToFile(path);
    }
    if (chdir(saved) != 0)
        ShowWarning(kDirectoryFailed);
    return written;
}

void CMarlinexDlg::OnFileReadDone(uint64_t readerSerial)
{
    // The end of an earlier reader leaves the one reading now alone.
    int deleted;
    {
        platform::GuiCallScope waiting;
        deleted = store_.DeleteFileReader(readerSerial);
    }
    if (deleted != 0)
        UpdateStatusBar(false, 0);
}

// ---------------------------------------------------------------- settings menu

void CMarlinexDlg::OnCacheSize()
{
    CBufferSizeDlg dialog(this);
    if (RunModalDialog(dialog) != CModalDlg::IDOK || dialog.Result() <= 0 || store_.ParsedLength() == 0)
        return;
    int allocated;
    {
        platform::GuiCallScope waiting;
        allocated = store_.SetCacheSize(static_cast<uint16_t>(dialog.Result()));
    }
    toolBar_->SetEnabled(command::kStart, allocated != 0);
    if (allocated != 0)
        toolBar_->SetEnabled(command::kFlushOnStart, true);
    ResetData();
}

void CMarlinexDlg::OnClockMultiplier()
{
    CClockMultiplierDlg dialog(this);
    if (RunModalDialog(dialog) != CModalDlg::IDOK)
        return;
    clockMultiplier_ = dialog.Result();
    store_.SetClockMultiplier(clockMultiplier_);
}

void CMarlinexDlg::OnPacketBroadcast()
{
    CPacketBroadcastDlg dialog(this);
    dialog.SetValues(broadcastOn_, broadcastOnly_, udpAddress_, udpPort_);
    if (RunModalDialog(dialog) != CModalDlg::IDOK)
        return;
    // The engine takes them at the next start, the settings on close.
    broadcastOn_ = dialog.GetEnabled();
    broadcastOnly_ = dialog.GetOnly();
    udpPort_ = dialog.GetPort();
    udpAddress_ = dialog.GetAddress();
    UpdateBroadcastStatus();
}

// ---------------------------------------------------------------- help menu

void CMarlinexDlg::OnFileFormatHelp()
{
    platform::MessageBoxRequest request;
    request.text = platform::FormatText(kFileFormatText, static_cast<int>(store_.RawLength()) - 14);
    request.caption = kFileFormatCaption;
    request.icon = platform::MessageIcon::None;
    platform::ShowMessageBox(request);
}

std::string CMarlinexDlg::ManualPath() const
{
    return std::filesystem::path(programFolder_ + kManualInProgramFolder).lexically_normal().string();
}

void CMarlinexDlg::OnUserManual()
{
    const std::string path = ManualPath();
    // Whoever opens it cannot tell why it failed; a file that is not there can be told.
    std::string reason;
    if (access(path.c_str(), R_OK) != 0)
        reason = std::strerror(errno);
    else if (!OpenUrl(QString::fromLocal8Bit(path.c_str())))
        reason = "No program to open the file was found.";
    else
        return;
    platform::MessageBoxRequest request;
    request.text = reason + "\n" + path;
    request.caption = "Pelagor";
    platform::ShowMessageBox(request);
}

void CMarlinexDlg::OnLibraryInfo()
{
    const DravikRevision revision = dravikGetRevision();
    platform::MessageBoxRequest request;
    request.text = platform::FormatText("Dravik version %d.%d.%d (Build ID %d)\n", revision.major, revision.minor,
                                        revision.patch, static_cast<int>(revision.buildId)) +
                   platform::FormatText("%s generated %s\nToolchain: %s\n", revision.sharedLibrary ? "DLL" : "LIB",
                                        revision.generated, revision.toolchain);
    request.caption = "Dravik version information";
    request.icon = platform::MessageIcon::None;
    platform::ShowMessageBox(request);
}

void CMarlinexDlg::OnRevisionHistory()
{
    CRevisiondlg dialog(this);
    RunModalDialog(dialog);
}

void CMarlinexDlg::OnAbout()
{
    CAboutDlg dialog(this);
    RunModalDialog(dialog);
}

void CMarlinexDlg::OnContact()
{
    CContactDlg dialog(this);
    RunModalDialog(dialog);
}

void CMarlinexDlg::OnSysCommand(int id)
{
    if (id >= 16 && id <= 31)
        OnAbout();
}
