#include "core/tables/TabSelGroupItems.h"

TabSelGroupItems::TabSelGroupItems(const std::string& folder, const std::string& version)
    : PelagorTableRows(folder, "FsSelGroupItems.plt"), version_(version)
{
    AddColumn("SG_INDEX", kMnemonic, 20);
    AddColumn("FIELDINDEX", kMnemonic, 20);
    SetColumnTarget(0, &row_.SG_INDEX);
    SetColumnTarget(1, &row_.FIELDINDEX);
}

int TabSelGroupItems::Read()
{
    return ReadRows(version_);
}
