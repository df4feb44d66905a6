#include "gui/dialogs/CPacketBroadcastDlg.h"

#include <optional>
#include <string>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/dialogs/CIpAddressCtrl.h"
#include "gui/dialogs/TypedValue.h"
#include "platform/NumberText.h"

namespace {

constexpr int kPortTextLimit = 31;

template <typename T>
T* Place(T* widget, int x, int y, int width, int height)
{
    widget->setGeometry(DialogUnitsRect(x, y, width, height));
    return widget;
}

} // namespace

CPacketBroadcastDlg::CPacketBroadcastDlg(QWidget* parent)
    : CModalDlg(parent)
{
    setWindowTitle(QStringLiteral("Packet broadcast"));
    setFixedSize(DialogUnitsRect(0, 0, 277, 153).size());

    // The group box first: what follows is drawn over it.
    Place(new QGroupBox(QStringLiteral("Broadcast"), this), 7, 17, 263, 99);
    Place(new QLabel(QStringLiteral("Address"), this), 40, 38, 65, 8);
    addressCtrl_ = Place(new CIpAddressCtrl(this), 40, 55, 111, 15);
    SetControlId(addressCtrl_, kAddressId);
    Place(new QLabel(QStringLiteral("Port"), this), 188, 36, 27, 8);
    portEdit_ = Place(new QLineEdit(this), 187, 55, 40, 14);
    SetControlId(portEdit_, kPortId);
    portEdit_->setMaxLength(kPortTextLimit);
    enableBox_ = Place(new QCheckBox(QStringLiteral("Broadcast enable"), this), 23, 92, 97, 10);
    SetControlId(enableBox_, kEnableId);
    connect(enableBox_, &QCheckBox::clicked, this, [this] { OnBnClickedEnable(); });
    onlyBox_ = Place(new QCheckBox(QStringLiteral("Broadcast only"), this), 173, 92, 81, 12);
    SetControlId(onlyBox_, kOnlyId);
    Place(MakeOkButton(), 61, 131, 50, 14);
    Place(MakeCancelButton(), 165, 131, 50, 14);

    dependents_ = {onlyBox_, portEdit_, addressCtrl_};
    setTabOrder(addressCtrl_->Field(3), portEdit_);
    setTabOrder(portEdit_, enableBox_);
    setTabOrder(enableBox_, onlyBox_);
}

CPacketBroadcastDlg::~CPacketBroadcastDlg() = default;

bool CPacketBroadcastDlg::IsAllowedAddress(uint32_t address)
{
    for (size_t i = 0; i < kAddressRanges.size(); ++i) {
        const int value = static_cast<int>((address >> (8 * (kAddressRanges.size() - 1 - i))) & 0xFF);
        if (value < kAddressRanges[i].low || value > kAddressRanges[i].high)
            return false;
    }
    return true;
}

void CPacketBroadcastDlg::SetValues(bool enabled, bool only, uint32_t address, int port)
{
    enabled_ = enabled;
    only_ = only;
    address_ = IsAllowedAddress(address) ? address : kDefaultAddress;
    port_ = IsAllowedPort(port) ? port : kDefaultPort;
}

void CPacketBroadcastDlg::OnInitDialog()
{
    enableBox_->setChecked(enabled_);
    onlyBox_->setChecked(only_);
    portEdit_->setText(QString::number(port_));
    addressCtrl_->SetAddress(address_);
    for (size_t i = 0; i < kAddressRanges.size(); ++i)
        addressCtrl_->SetRange(static_cast<int>(i), kAddressRanges[i].low, kAddressRanges[i].high);
    addressCtrl_->SetFieldFocus(3);
    EnableDependents();
}

void CPacketBroadcastDlg::OnBnClickedEnable()
{
    EnableDependents();
}

void CPacketBroadcastDlg::EnableDependents()
{
    const bool on = enableBox_->isChecked();
    if (!on)
        onlyBox_->setChecked(false);
    for (QWidget* control : dependents_)
        control->setEnabled(on);
}

void CPacketBroadcastDlg::OnOK()
{
    const bool enabled = enableBox_->isChecked();
    // With forwarding off the address and port cannot be edited: what does not fit there
    // keeps the value before, without a refusal the user could not act on.
    uint32_t address = address_;
    uint32_t typed = 0;
    if (addressCtrl_->GetAddress(typed) == CIpAddressCtrl::kFields) {
        const int wrong = addressCtrl_->FieldOutOfRange();
        if (wrong < 0) {
            address = typed;
        } else if (enabled) {
            ShowRangeRefusal(Latin1Text(addressCtrl_->Field(wrong)->text()), addressCtrl_->RangeLow(wrong),
                             addressCtrl_->RangeHigh(wrong));
            addressCtrl_->SetFieldFocus(wrong);
            return;
        }
    }

    // A text without a number keeps the port; a number must be a port, not be cut to one.
    int port = port_;
    const std::string portText = Latin1Text(portEdit_->text());
    if (StartsWithNumber(portText)) {
        if (const std::optional<long long> value = platform::ParseWholeNumber(portText, kLowestPort, kHighestPort)) {
            port = static_cast<int>(*value);
        } else if (enabled) {
            ShowRangeRefusal(portText, kLowestPort, kHighestPort);
            portEdit_->setFocus(Qt::OtherFocusReason);
            portEdit_->selectAll();
            return;
        }
    }

    enabled_ = enabled;
    only_ = onlyBox_->isChecked();
    address_ = address;
    port_ = port;
    done(IDOK);
}
