#include "gui/dialogs/RevisionHistory.h"

#include <QStringList>

namespace {

struct Revision {
    const char* version;
    // One line per change, each starting with its kind; continuation lines are indented by
    // twelve blanks so they line up with the text after the kind.
    const char* changes;
};

// Newest first.
constexpr Revision kRevisions[] = {
    {"2.7.0.4",
     "- BUG FIX : The time-line view lost its place when the packet list was cleared while\n"
     "            auto-scroll was on.\n"
     "- BUG FIX : A firmware update of a Trennic board could stop at 99% when the USB cable\n"
     "            was plugged in again during the final verify.\n"
     "- CHANGE  : The Fennet plug-in shows the frame counter of secured frames in decimal."},
    {"2.7.0.0",
     "- NEW     : Chips QZ6FB2, QZ6FB3 and QZ6FB6 supported on Kestrix boards.\n"
     "- ADD     : Packet broadcast: captured packets can be forwarded over UDP to other tools\n"
     "            on the network.\n"
     "- ADD     : The address book remembers every name ever given to a node address.\n"
     "- CHANGE  : New Dravik library: attached boards are found faster at start."},
    {"2.6.3.1",
     "- BUG FIX : Display filters with more than eight conditions were not kept in the data\n"
     "            file.\n"
     "- BUG FIX : The Tolvane plug-in decoded the pass key field in the wrong byte order."},
    {"2.6.3.0",
     "- ADD     : Small-font mode for the packet list.\n"
     "- ADD     : Tolvane plug-in: the long-term key and the pass key can be entered in the\n"
     "            security panel.\n"
     "- CHANGE  : A packet with an error is shown as one box with the error text."},
    {"2.6.0.0",
     "- NEW     : Tolvane protocol plug-in.\n"
     "- NEW     : Dalvor USB capture unit supported. The USART of a QZ3A1E or QZ6F1C on a\n"
     "            Dalvor is chosen in the setup panel.\n"
     "- BUG FIX : Halyard showed a wrong LQI for frames shorter than five bytes."},
    {"2.5.2.0",
     "- ADD     : Time-line view; the selected packet and the visible rows are marked.\n"
     "- ADD     : The Startup launcher finds the program folder by itself.\n"
     "- BUG FIX : Packets captured while a data file was being saved were lost."},
    {"2.5.0.0",
     "- NEW     : Trennic board supported, with board firmware update from the program.\n"
     "- NEW     : Chips QZ6F87 and QZ6F89 supported.\n"
     "- CHANGE  : Time stamps can be shown in microseconds or in milliseconds."},
    {"2.0.1.0",
     "- BUG FIX : The program stopped responding when a Kestrix board was unplugged during\n"
     "            a capture.\n"
     "- BUG FIX : Field colours were not restored from the settings."},
    {"2.0.0.0",
     "- NEW     : Protocol plug-ins: the Halyard and Fennet decoders are loaded from their\n"
     "            own folders, so a new protocol needs no new program.\n"
     "- NEW     : Field-selection panel: fields can be shown or hidden by group.\n"
     "- CHANGE  : Data files keep the protocol version they were captured with."},
    {"1.2.0.0",
     "- ADD     : Details panel with every field of the selected packet.\n"
     "- ADD     : Printable dump of the packet list.\n"
     "- BUG FIX : A buffer overflow on the board was reported as a communication error."},
    {"1.1.0.0",
     "- ADD     : Chips QZ3A5C and QZ6E7A supported.\n"
     "- ADD     : The radio channel can be changed without stopping the capture.\n"
     "- BUG FIX : Packets with an RSSI below -100 dBm showed a positive value."},
    {"1.0.0.0", "- FIRST RELEASE!"},
};

QString Header(const char* version)
{
    const QString title = QStringLiteral("<< Marlinex %1 >>").arg(QLatin1String(version));
    const int indent = (kRevisionHistoryColumns - static_cast<int>(title.size())) / 2;
    return QString(indent, QLatin1Char(' ')) + title;
}

} // namespace

QString RevisionHistoryText()
{
    QStringList lines;
    for (const Revision& revision : kRevisions) {
        if (!lines.isEmpty())
            lines << QString();
        lines << Header(revision.version) << QString();
        lines << QString::fromLatin1(revision.changes);
    }
    return lines.join(QLatin1Char('\n'));
}
