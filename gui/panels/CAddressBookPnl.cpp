#include "gui/panels/CAddressBookPnl.h"

CAddressBookPnl::CAddressBookPnl(QWidget* parent) : CPanel(parent, 147) {}

void CAddressBookPnl::CreateEntryControls(AddressBook* layout, bool autoRegister)
{
    layout_ = layout;
    autoRegister_ = autoRegister;
}

void CAddressBookPnl::ClearAll() {}

void CAddressBookPnl::OnWindowMessage(uint32_t, uint64_t, int64_t, const std::string&) {}
