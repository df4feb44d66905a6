#include "core/tables/TabDefRadioFile.h"

TabDefRadioFile::TabDefRadioFile(const std::string& folder, const std::string& tableName)
    : PelagorTableRows(folder, tableName)
{
    AddColumn("CHIP_TYPE", kString, 21);
    AddColumn("FILE_NAME", kString, 21);
    SetColumnTarget(0, row_.CHIP_TYPE, sizeof row_.CHIP_TYPE);
    SetColumnTarget(1, row_.FILE_NAME, sizeof row_.FILE_NAME);
}

int TabDefRadioFile::Read()
{
    return ReadRows("");
}
