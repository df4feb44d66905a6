#include "core/tables/TabAddrBook.h"

TabAddrBook::TabAddrBook(const std::string& folder)
    : PelagorTableRows(folder, "AddrBook.plt")
{
    AddColumn("ITEM_NAME", kString, 30);
    AddColumn("MAX_CHAR", kUShort, 3);
    AddColumn("COLUMN_WIDTH", kUShort, 4);
    AddColumn("CTRL_TYPE", kMnemonic, 20);
    AddColumn("CTRL_LABEL", kString, 20);
    SetColumnTarget(0, row_.ITEM_NAME, sizeof row_.ITEM_NAME);
    SetColumnTarget(1, &row_.MAX_CHAR);
    SetColumnTarget(2, &row_.COLUMN_WIDTH);
    SetColumnTarget(3, &row_.CTRL_TYPE);
    SetColumnTarget(4, row_.CTRL_LABEL, sizeof row_.CTRL_LABEL);
}

int TabAddrBook::Read()
{
    return ReadRows("");
}
