#include "gui/panels/CDisplayFilterPnl.h"

CDisplayFilterPnl::CDisplayFilterPnl(QWidget* parent) : CPanel(parent, 149) {}

int CDisplayFilterPnl::LoadFieldNames(const char*)
{
    return 1;
}
