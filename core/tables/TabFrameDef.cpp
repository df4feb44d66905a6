#include "core/tables/TabFrameDef.h"

TabFrameDef::TabFrameDef(const std::string& folder)
    : PelagorTableRows(folder, "FrameDef.plt")
{
    AddColumn("FRAME_TYPE", kMnemonic, 20);
    AddColumn("COLOR", kMnemonic, 20);
    AddColumn("FORMAT", kMnemonic, 20);
    SetColumnTarget(0, &row_.FRAME_TYPE);
    SetColumnTarget(1, &row_.COLOR);
    SetColumnTarget(2, &row_.FORMAT);
}

int TabFrameDef::Read()
{
    return ReadRows("");
}
