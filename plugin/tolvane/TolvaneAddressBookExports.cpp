#include "plugin/frame/PluginExports.h"
#include "plugin/frame/PluginSettings.h"
#include "plugin/tolvane/TolvaneAddressBook.h"

PLUGIN_EXPORT int GetPendingRec(ADDR_BOOK_REC* rec)
{
    return TheTolvaneAddressBook().GetPendingRec(rec);
}

PLUGIN_EXPORT int GetNodeAdrB(int index, ADDR_BOOK_REC* rec)
{
    return TheTolvaneAddressBook().GetNodeAdrB(index, rec);
}

PLUGIN_EXPORT int SetNodeAdrB(ADDR_BOOK_REC* rec)
{
    return TheTolvaneAddressBook().SetNodeAdrB(rec);
}

PLUGIN_EXPORT int RemoveAllNodesAddrBook()
{
    return TheTolvaneAddressBook().RemoveAllNodesAddrBook();
}

PLUGIN_EXPORT int RemoveNodeAdrB(int index)
{
    return TheTolvaneAddressBook().RemoveNodeAdrB(index);
}

PLUGIN_EXPORT int MoveNodeDownAdrB(int index)
{
    return TheTolvaneAddressBook().MoveNodeDownAdrB(index);
}

PLUGIN_EXPORT int MoveNodeUpAdrB(int index)
{
    return TheTolvaneAddressBook().MoveNodeUpAdrB(index);
}
