#include "core/tables/TabFilterDepTemplate.h"

TabFilterDepTemplate::TabFilterDepTemplate(const std::string& folder)
    : PelagorTableRows(folder, "FilterDepTemplate.plt")
{
    AddColumn("SHORTNAME", kString, 3);
    AddColumn("DEPENDENT_TEMPLATE", kString, 60);
    SetColumnTarget(0, row_.SHORTNAME, sizeof row_.SHORTNAME);
    SetColumnTarget(1, row_.DEPENDENT_TEMPLATE, sizeof row_.DEPENDENT_TEMPLATE);
}

int TabFilterDepTemplate::Read()
{
    return ReadRows("");
}
