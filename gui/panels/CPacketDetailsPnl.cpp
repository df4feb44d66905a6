#include "gui/panels/CPacketDetailsPnl.h"

#include <algorithm>
#include <new>
#include <vector>

#include <QPalette>
#include <QPlainTextEdit>
#include <QResizeEvent>

#include "core/store/PacketManager.h"
#include "gui/ControlId.h"
#include "gui/DialogUnits.h"
#include "gui/PelagorFonts.h"
#include "gui/views/CPacketListCtrl.h"
#include "platform/TextFormat.h"
#include "plugin/frame/ParsedData.h"
#include "plugin/frame/RawPacketRec.h"

namespace {

// A length-byte protocol's frame starts after the record head and the length byte.
constexpr int kLengthByteFrameOffset = kRawPacketHeaderSize + 1;
// The two status bytes that some protocols count in the frame length.
constexpr int kStatusBytes = 2;

} // namespace

CPacketDetailsPnl::CPacketDetailsPnl(QWidget* parent) : CPanel(parent, 143)
{
    setFont(PelagorFont("MS Sans Serif", 8));
    textBox_ = new QPlainTextEdit(this);
    SetControlId(textBox_, kTextBoxId);
    textBox_->setReadOnly(true);
    textBox_->setFocusPolicy(Qt::StrongFocus);
    textBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textBox_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    textBox_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    textBox_->setGeometry(DialogUnitsRect(2, 1, 540, 139));

    // The 3-D light face colour as background, window text as ink, in every state.
    QPalette colours = textBox_->palette();
    const QColor background = palette().color(QPalette::Active, QPalette::Midlight);
    const QColor text = palette().color(QPalette::Active, QPalette::WindowText);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, background);
        colours.setColor(group, QPalette::Text, text);
    }
    textBox_->setPalette(colours);

    helpTip_.Add(textBox_, QStringLiteral("Double-click on the packet in the packet list above to diplay details."));
}

CPacketDetailsPnl::~CPacketDetailsPnl() = default;

void CPacketDetailsPnl::resizeEvent(QResizeEvent* event)
{
    CPanel::resizeEvent(event);
    if (textBox_ != nullptr)
        textBox_->setGeometry(rect());
}

int CPacketDetailsPnl::FormatHexLines(std::string& out, const uint8_t* bytes, int n, int lines)
{
    out.clear();
    if (n <= 0 || lines <= 0 || bytes == nullptr)
        return 0;
    const int perLine = static_cast<int>((static_cast<int64_t>(n) + lines - 1) / lines);
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out.reserve(static_cast<size_t>(perLine) * 3 * static_cast<size_t>(std::min(lines, n)));
    int i = 0;
    for (;;) {
        for (int k = 0; k < perLine; ++k, ++i) {
            if (k > 0)
                out += ' ';
            if (i < n) {
                out += kDigits[bytes[i] >> 4];
                out += kDigits[bytes[i] & 0x0F];
            } else {
                out += "  ";
            }
        }
        if (i >= n)
            break;
        out += '\n';
    }
    return perLine;
}

void CPacketDetailsPnl::ShowPacketDetails(CPacketListCtrl* list, PacketManager* store)
{
    if (list == nullptr || store == nullptr || store->RecordLength() == 0)
        return;
    std::vector<uint8_t> record;
    std::vector<char> fields;
    try {
        record.resize(store->RecordLength());
        fields.resize(std::max<size_t>(store->ParsedLength(), 1));
    } catch (const std::bad_alloc&) {
        return;
    }

    const int32_t n = list->GetSelectedPacket() + 1;
    if (store->GetParsedData(n, record.data()) == 0)
        return;
    PARSED_DATA parsed{};
    parsed.fieldBuffer = fields.data();
    if (store->GetPacket(n, 0, &parsed) == 0)
        return;

    if (parsed.status != 0) {
        SetDetailsText("No valid packet to display.");
        return;
    }

    const int offset = (parsed.infoFlags & INFO_GENERIC_LAYOUT) ? kRawPacketHeaderSize : kLengthByteFrameOffset;
    int length = parsed.frameLength;
    if (parsed.infoFlags & INFO_LENGTH_COUNTS_STATUS)
        length -= kStatusBytes;
    // The frame length is what the radio declared; dump only what the raw record holds.
    const int held = std::max(0, static_cast<int>(store->RawLength()) - offset);
    const int dumped = std::clamp(length, 0, held);
    std::string hex;
    FormatHexLines(hex, record.data() + offset, dumped, 1);

    std::string text = platform::FormatText("Packet index: %d", static_cast<int>(parsed.packetNumber));
    text += platform::FormatText("\r\nLength: %d", length);
    text += "\r\nRaw data (hex): ";
    text += hex;
    text += platform::FormatText("\r\nRSSI [dBm]: %d", parsed.rssi);
    if (parsed.infoFlags & INFO_CORRELATION_VALID)
        text += platform::FormatText("\r\nCorrelation value: %d", static_cast<int>(parsed.correlation));
    text += platform::FormatText("\r\nCRC OK: %d", parsed.crcOk);
    SetDetailsText(std::move(text));
}

void CPacketDetailsPnl::SetDetailsText(std::string text)
{
    text_ = std::move(text);
    // The box breaks lines at "\n" alone.
    QString shown = QString::fromLatin1(text_.data(), static_cast<qsizetype>(text_.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    textBox_->setPlainText(shown);
}
