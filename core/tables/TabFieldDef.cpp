#include "core/tables/TabFieldDef.h"

TabFieldDef::TabFieldDef(const std::string& folder)
    : PelagorTableRows(folder, "FieldDef.plt")
{
    AddColumn("INDEX", kMnemonic, 20);
    AddColumn("NAME", kString, 25);
    AddColumn("TYPE", kMnemonic, 10);
    AddColumn("SHORTNAME", kString, 3);
    AddColumn("BACKGRCOLOUR", kMnemonic, 10);
    AddColumn("TEXTCOLOUR", kMnemonic, 10);
    AddColumn("HEADER", kString, 40);
    AddColumn("SUBHEADER", kString, 100);
    AddColumn("ADDTOPKTWIDTH", kBool, 5);
    AddColumn("SHOW", kBool, 5);
    AddColumn("SHOWMODE", kMnemonic, 15);
    SetColumnTarget(0, &row_.INDEX);
    SetColumnTarget(1, row_.NAME, sizeof row_.NAME);
    SetColumnTarget(2, &row_.TYPE);
    SetColumnTarget(3, row_.SHORTNAME, sizeof row_.SHORTNAME);
    SetColumnTarget(4, &row_.BACKGRCOLOUR);
    SetColumnTarget(5, &row_.TEXTCOLOUR);
    SetColumnTarget(6, row_.HEADER, sizeof row_.HEADER);
    SetColumnTarget(7, row_.SUBHEADER, sizeof row_.SUBHEADER);
    SetColumnTarget(8, &row_.ADDTOPKTWIDTH);
    SetColumnTarget(9, &row_.SHOW);
    SetColumnTarget(10, &row_.SHOWMODE);
}

int TabFieldDef::Read()
{
    return ReadRows("");
}
