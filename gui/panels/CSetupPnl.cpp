#include "gui/panels/CSetupPnl.h"

CSetupPnl::CSetupPnl(QWidget* parent) : CPanel(parent, 139) {}

void CSetupPnl::RefreshDeviceList() {}

void CSetupPnl::EnableDeviceList(bool) {}
