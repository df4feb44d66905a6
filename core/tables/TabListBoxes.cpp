#include "core/tables/TabListBoxes.h"

TabListBoxes::TabListBoxes(const std::string& folder)
    : PelagorTableRows(folder, "FsListBoxes.plt")
{
    AddColumn("INDEX", kMnemonic, 20);
    AddColumn("GROUP_NAME", kString, 25);
    AddColumn("COLOR", kMnemonic, 10);
    SetColumnTarget(0, &row_.INDEX);
    SetColumnTarget(1, row_.GROUP_NAME, sizeof row_.GROUP_NAME);
    SetColumnTarget(2, &row_.COLOR);
}

int TabListBoxes::Read()
{
    return ReadRows("");
}
