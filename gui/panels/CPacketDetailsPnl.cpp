#include "gui/panels/CPacketDetailsPnl.h"

CPacketDetailsPnl::CPacketDetailsPnl(QWidget* parent) : CPanel(parent, 143) {}
