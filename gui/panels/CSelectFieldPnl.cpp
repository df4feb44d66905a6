#include "gui/panels/CSelectFieldPnl.h"

#include "core/tables/FieldInfo.h"

CSelectFieldPnl::CSelectFieldPnl(QWidget* parent) : CPanel(parent, 141) {}

void CSelectFieldPnl::BuildListBoxes(FieldInfo* fields)
{
    fields_ = fields;
    ++listBoxes_;
}

void CSelectFieldPnl::ClearListBoxes()
{
    listBoxes_ = 0;
}

void CSelectFieldPnl::SaveSettings() {}
