#pragma once

#include <cstdint>
#include <string>

#include "gui/panels/CPanel.h"
#include "gui/views/HelpTip.h"

class CPacketListCtrl;
class PacketManager;
class QPlainTextEdit;
class QResizeEvent;

// The "Packet details" tab: the summary and the raw bytes of the packet selected in the
// packet list, as read-only text. Filled on demand, when a row is double-clicked.
class CPacketDetailsPnl : public CPanel {
public:
    static constexpr int kTextBoxId = 1020;

    explicit CPacketDetailsPnl(QWidget* parent);
    ~CPacketDetailsPnl() override;

    // Shows the packet selected in list. Leaves the text as it is when the store cannot
    // deliver that packet.
    void ShowPacketDetails(CPacketListCtrl* list, PacketManager* store);

    // Writes n bytes as upper-case hex pairs, one blank between items, in lines of equal item
    // counts (blanks pad the last one), "\n" between lines. Returns the items per line; 0 and
    // an empty text when there is nothing to write.
    static int FormatHexLines(std::string& out, const uint8_t* bytes, int n, int lines);

    // The text last shown, with its "\r\n" line ends.
    const std::string& DetailsText() const { return text_; }
    QPlainTextEdit* TextBox() const { return textBox_; }
    HelpTip& Tips() { return helpTip_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetDetailsText(std::string text);

    QPlainTextEdit* textBox_ = nullptr;
    std::string text_;
    HelpTip helpTip_{this};
};
