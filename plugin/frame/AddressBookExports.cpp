#include "plugin/frame/NodeAddressBook.h"
#include "plugin/frame/PluginExports.h"
#include "plugin/frame/PluginSettings.h"

PLUGIN_EXPORT int GetPendingRec(ADDR_BOOK_REC* rec)
{
    return TheNodeAddressBook().GetPendingRec(rec);
}

PLUGIN_EXPORT int GetNodeAdrB(int index, ADDR_BOOK_REC* rec)
{
    return TheNodeAddressBook().GetNodeAdrB(index, rec);
}

PLUGIN_EXPORT int SetNodeAdrB(ADDR_BOOK_REC* rec)
{
    return TheNodeAddressBook().SetNodeAdrB(rec);
}

PLUGIN_EXPORT int RemoveAllNodesAddrBook()
{
    return TheNodeAddressBook().RemoveAllNodesAddrBook();
}

PLUGIN_EXPORT int RemoveNodeAdrB(int index)
{
    return TheNodeAddressBook().RemoveNodeAdrB(index);
}

PLUGIN_EXPORT int MoveNodeDownAdrB(int index)
{
    return TheNodeAddressBook().MoveNodeDownAdrB(index);
}

PLUGIN_EXPORT int MoveNodeUpAdrB(int index)
{
    return TheNodeAddressBook().MoveNodeUpAdrB(index);
}
