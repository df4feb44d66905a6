#pragma once

#include <string>

#include "gui/WindowMessageTarget.h"
#include "gui/panels/CPanel.h"

class AddressBook;
class CPacketTimeLineCtrl;
class PluginHandler;

// The "Address book" tab: the plug-in's nodes. Told of the plug-in's notices by message.
class CAddressBookPnl : public CPanel, public WindowMessageTarget {
public:
    explicit CAddressBookPnl(QWidget* parent);

    void SetPluginHandler(PluginHandler* host) { host_ = host; }
    void SetTimeLine(CPacketTimeLineCtrl* timeLine) { timeLine_ = timeLine; }
    void CreateEntryControls(AddressBook* layout, bool autoRegister);
    void ClearAll();

    void OnWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam, const std::string& text) override;

private:
    PluginHandler* host_ = nullptr;
    CPacketTimeLineCtrl* timeLine_ = nullptr;
    AddressBook* layout_ = nullptr;
    bool autoRegister_ = false;
};
