#pragma once

#include <array>
#include <cstdint>

#include "gui/dialogs/CModalDlg.h"

class CIpAddressCtrl;
class QCheckBox;
class QLineEdit;
class QWidget;

// Settings > Packet broadcast: forwarding of captured packets as UDP datagrams on or off, and
// their destination on the loopback network. Edits four values only; the main window presets
// them and takes them back after IDOK.
class CPacketBroadcastDlg : public CModalDlg {
    Q_OBJECT

public:
    static constexpr int kPortId = 1032;
    static constexpr int kEnableId = 1118;
    static constexpr int kAddressId = 1119;
    static constexpr int kOnlyId = 1120;

    static constexpr int kDefaultPort = 5000;
    static constexpr uint32_t kDefaultAddress = 0x7F0000FF; // 127.0.0.255
    static constexpr int kLowestPort = 1;
    static constexpr int kHighestPort = 65535;

    explicit CPacketBroadcastDlg(QWidget* parent);
    ~CPacketBroadcastDlg() override;

    // A port or address the dialog cannot offer (a damaged setting) is taken as its default.
    void SetValues(bool enabled, bool only, uint32_t address, int port);
    bool GetEnabled() const { return enabled_; }
    bool GetOnly() const { return only_; }
    int GetPort() const { return port_; }
    uint32_t GetAddress() const { return address_; }

    // Whether the address control can hold address: 127.0.0.1 to 127.0.0.255.
    static bool IsAllowedAddress(uint32_t address);
    static bool IsAllowedPort(long long port) { return port >= kLowestPort && port <= kHighestPort; }

    // Takes the controls' values and closes with IDOK; refuses a port or address that does not
    // fit while forwarding is switched on.
    void OnOK() override;
    void OnBnClickedEnable();

protected:
    void OnInitDialog() override;

private:
    struct FieldRange {
        int low;
        int high;
    };
    // a, b, c, d of the address.
    static constexpr std::array<FieldRange, 4> kAddressRanges{{{127, 127}, {0, 0}, {0, 0}, {1, 255}}};

    void EnableDependents();

    QCheckBox* enableBox_ = nullptr;
    QCheckBox* onlyBox_ = nullptr;
    QLineEdit* portEdit_ = nullptr;
    CIpAddressCtrl* addressCtrl_ = nullptr;
    std::array<QWidget*, 3> dependents_{}; // follow the enable box

    bool enabled_ = false;
    bool only_ = false;
    int port_ = kDefaultPort;
    uint32_t address_ = kDefaultAddress;
};
