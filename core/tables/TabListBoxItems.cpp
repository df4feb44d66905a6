#include "core/tables/TabListBoxItems.h"

TabListBoxItems::TabListBoxItems(const std::string& folder, const std::string& version)
    : PelagorTableRows(folder, "FsListBoxItems.plt"), version_(version)
{
    AddColumn("GROUPINDEX", kMnemonic, 20);
    AddColumn("FIELDINDEX", kMnemonic, 20);
    SetColumnTarget(0, &row_.GROUPINDEX);
    SetColumnTarget(1, &row_.FIELDINDEX);
}

int TabListBoxItems::Read()
{
    return ReadRows(version_);
}
