#include "core/tables/TabSupChipType.h"

TabSupChipType::TabSupChipType(const std::string& folder)
    : PelagorTableRows(folder, "SupChipType.plt")
{
    AddColumn("CHIPTYPE", kString, 20);
    SetColumnTarget(0, row_.CHIPTYPE, sizeof row_.CHIPTYPE);
}

int TabSupChipType::Read()
{
    return ReadRows("");
}
