#include "core/tables/TabSelGroup.h"

TabSelGroup::TabSelGroup(const std::string& folder)
    : PelagorTableRows(folder, "FsSelGroup.plt")
{
    AddColumn("SG_INDEX", kMnemonic, 20);
    AddColumn("SG_NAME", kString, 20);
    SetColumnTarget(0, &row_.SG_INDEX);
    SetColumnTarget(1, row_.SG_NAME, sizeof row_.SG_NAME);
}

int TabSelGroup::Read()
{
    return ReadRows("");
}
