#include "gui/views/CPacketListCtrl.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "core/store/PacketManager.h"
#include "core/tables/FieldInfo.h"
#include "gui/ColorRef.h"
#include "gui/PelagorFonts.h"
#include "gui/views/CPacketTimeLineCtrl.h"
#include "platform/TextFormat.h"
#include "plugin/frame/ParsedFieldRec.h"

namespace {

constexpr const char* kErrorTexts[] = {
    "",
    "Buffer Overflow!",
    "Parsed data too long!",
    "Communication error!",
    "Unknown Data type!",
    "USB read timeout!",
    "Incomplete packet received. Data is discarded.",
    "The sniffer encountered a communication syncronization error. Data is discarded.",
    "The sniffer encountered a communication syncronization error. Displaying data sucsessfully received:",
    "Invalid length!",
    "Unknown Error type!",
};

constexpr uint32_t kFrameColour = 0x606060;
constexpr uint32_t kShadowColour = 0x303030;
// What a text is measured in: as wide as a box may be, and one line high.
const QRect kMeasureRect(0, 0, 1599, 1);

QColor Darker(uint32_t fill)
{
    return ColorFromColorRef(((fill >> 2) & 0x3F3F3F) * 3);
}

} // namespace

CPacketListCtrl::CPacketListCtrl(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    // Always there, so a range change never resizes the rows under a paint.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CPacketListCtrl::OnScrollAction);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CPacketListCtrl::OnHorizontalAction);
    SetSmallFont(0);
    SelectPacket(1);
    autoScrollTimer_.setInterval(kAutoScrollMs);
    autoScrollTimer_.setObjectName(QString::number(kAutoScrollTimerId));
    connect(&autoScrollTimer_, &QTimer::timeout, this, &CPacketListCtrl::AutoScrollStep);
    autoScrollTimer_.start();
    missingRowTimer_.setSingleShot(true);
    missingRowTimer_.setInterval(kMissingRowPollMs);
    connect(&missingRowTimer_, &QTimer::timeout, this, [this] { viewport()->update(); });
}

CPacketListCtrl::~CPacketListCtrl() = default;

const char* CPacketListCtrl::ErrorText(int32_t status)
{
    if (status <= 0)
        return kErrorTexts[0];
    return kErrorTexts[std::min<int32_t>(status, 10)];
}

int CPacketListCtrl::SetSmallFont(int small)
{
    headingFont_ = PelagorFont("Arial Bold", small ? 7.5 : 8.5);
    subheadingFont_ = PelagorFont("Courier New", small ? 8 : 9);
    valueFont_ = PelagorFont("Courier New", small ? 8 : 9);
    valueAdvance_ = QFontMetrics(valueFont_).horizontalAdvance(QLatin1Char('0'));
    subheadingAdvance_ = QFontMetrics(subheadingFont_).horizontalAdvance(QLatin1Char('0'));
    headerWidths_.clear();
    return 1;
}

void CPacketListCtrl::AllocFieldBuffer(uint16_t capacity)
{
    fieldBuffer_.assign(capacity, 0);
    packet_.fieldBuffer = fieldBuffer_.data();
}

void CPacketListCtrl::EnsureFieldBuffer()
{
    // The store copies its whole parsed size: never into less.
    if (store_ != nullptr && fieldBuffer_.size() < store_->ParsedLength()) {
        fieldBuffer_.resize(store_->ParsedLength(), 0);
        packet_.fieldBuffer = fieldBuffer_.data();
    }
}

int CPacketListCtrl::RowCount() const
{
    return store_ != nullptr ? store_->GetPacketCount(1) : 0;
}

// ---------------------------------------------------------------- scrolling and selection

void CPacketListCtrl::UpdateScrollBars()
{
    const int n = RowCount();
    // A store that shrank (a filter) must not leave the view past its end.
    const int lastTop = std::max(0, n - rowsPerPage_);
    if (topRow_ > lastTop)
        topRow_ = lastTop;
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, lastTop);
    vertical->setPageStep(1);
    vertical->setValue(topRow_);

    if (n == 0)
        extent_ = 0;
    const int width = viewport()->width();
    const int horizontalMaximum = extent_ - width + kHorizontalStep;
    if (horizontalMaximum <= 0)
        horizontalPosition_ = 0;
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, horizontalMaximum));
    horizontal->setPageStep(kHorizontalStep);
    horizontal->setValue(horizontalPosition_);
    vertical->setEnabled(true);
    horizontal->setEnabled(true);
}

void CPacketListCtrl::VerticalScroll(Scroll action, int position)
{
    int value = topRow_;
    switch (action) {
    case Scroll::LineUp: value -= 1; break;
    case Scroll::LineDown: value += 1; break;
    case Scroll::PageUp: value -= rowsPerPage_; break;
    case Scroll::PageDown: value += rowsPerPage_; break;
    case Scroll::Thumb: value = position; break;
    case Scroll::None: break;
    }
    value = std::clamp(value, 0, std::max(0, RowCount() - rowsPerPage_));
    if (value != topRow_) {
        topRow_ = value;
        viewport()->update();
    }
    verticalScrollBar()->setValue(topRow_);
}

void CPacketListCtrl::HorizontalScroll(Scroll action, int position)
{
    const int width = viewport()->width();
    const int limit = std::max(0, extent_ - width + 1);
    int value = horizontalPosition_;
    switch (action) {
    case Scroll::LineUp: value -= kHorizontalStep; break;
    case Scroll::LineDown: value += kHorizontalStep; break;
    case Scroll::PageUp: value -= width / 2; break;
    case Scroll::PageDown: value += width / 2; break;
    case Scroll::Thumb:
        value = position < limit ? position / kHorizontalStep * kHorizontalStep : position;
        break;
    case Scroll::None: break;
    }
    value = std::clamp(value, 0, limit);
    if (value != horizontalPosition_) {
        horizontalPosition_ = value;
        viewport()->update();
    }
    horizontalScrollBar()->setValue(horizontalPosition_);
}

void CPacketListCtrl::OnScrollAction(int action)
{
    // Scrolling by hand stops following the newest packet.
    StopAutoScroll();
    QScrollBar* bar = verticalScrollBar();
    VerticalScroll(ScrollStepOf(action), bar->sliderPosition());
    bar->setSliderPosition(topRow_);
}

void CPacketListCtrl::OnHorizontalAction(int action)
{
    QScrollBar* bar = horizontalScrollBar();
    HorizontalScroll(ScrollStepOf(action), bar->sliderPosition());
    bar->setSliderPosition(horizontalPosition_);
}

void CPacketListCtrl::scrollContentsBy(int, int)
{
    // The rows are drawn from the list's own positions, not moved as pixels.
    viewport()->update();
}

void CPacketListCtrl::SelectPacket(int row)
{
    if (row == -1)
        selectedRow_ = 1;
    const int n = RowCount();
    if (row < 0 || n == 0)
        row = 0;
    else if (row >= n)
        row = n - 1;
    if (row == selectedRow_)
        return;
    int newTop = std::min(topRow_, row);
    if (rowsPerPage_ <= n) {
        newTop = std::max(newTop, row - rowsPerPage_ + 1);
        if (newTop + rowsPerPage_ > n)
            newTop = n - rowsPerPage_;
    }
    newTop = std::max(newTop, 0);
    viewport()->update();
    if (newTop != topRow_) {
        topRow_ = newTop;
        VerticalScroll(Scroll::Thumb, newTop);
    }
    selectedRow_ = row;
    if (timeLine_ != nullptr)
        timeLine_->viewport()->update();
}

void CPacketListCtrl::StopAutoScroll()
{
    autoScroll_ = false;
    if (timeLine_ != nullptr)
        timeLine_->SetAutoScroll(false);
    emit autoScrollStopped();
}

void CPacketListCtrl::AutoScrollStep()
{
    if (!autoScroll_)
        return;
    const int n = RowCount();
    if (n <= topRow_ + rowsPerPage_)
        return;
    VerticalScroll(Scroll::Thumb, n - rowsPerPage_);
    if (timeLine_ != nullptr && n > timeLine_->FirstVisiblePacket() + timeLine_->VisiblePacketColumns())
        // Moved the way its own thumb moves it: that keeps auto-scroll on.
        timeLine_->HorizontalScroll(CPacketTimeLineCtrl::Scroll::Thumb, n - timeLine_->VisiblePacketColumns());
}

// ---------------------------------------------------------------- input

void CPacketListCtrl::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    rowsPerPage_ = viewport()->height() / kRowPitch;
    UpdateScrollBars();
    viewport()->update();
}

void CPacketListCtrl::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange) {
        if (!isEnabled())
            capturing_ = false;
        viewport()->update();
    }
}

void CPacketListCtrl::keyPressEvent(QKeyEvent* event)
{
    if (!isEnabled()) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_PageUp: SelectPacket(selectedRow_ - rowsPerPage_); break;
    case Qt::Key_PageDown: SelectPacket(selectedRow_ + rowsPerPage_); break;
    case Qt::Key_End: SelectPacket(RowCount() - 1); break;
    case Qt::Key_Home: SelectPacket(0); break;
    case Qt::Key_Up: SelectPacket(selectedRow_ - 1); break;
    case Qt::Key_Down: SelectPacket(selectedRow_ + 1); break;
    case Qt::Key_Left:
        HorizontalScroll(Scroll::Thumb, horizontalPosition_ - kHorizontalStep);
        break;
    case Qt::Key_Right:
        HorizontalScroll(Scroll::Thumb, horizontalPosition_ + kHorizontalStep);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CPacketListCtrl::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    SelectPacket(delta > 0 ? selectedRow_ - 1 : selectedRow_ + 1);
    event->accept();
}

bool CPacketListCtrl::InRowsArea(const QPoint& point) const
{
    const int bottom = kRowPitch * (RowCount() - topRow_) - 1;
    return point.x() >= 0 && point.x() < viewport()->width() && point.y() >= 0 && point.y() < bottom;
}

void CPacketListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    if (InRowsArea(at)) {
        capturing_ = true;
        SelectPacket((at.y() - 2) / kRowPitch + topRow_);
    }
    event->accept();
}

void CPacketListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (isEnabled() && capturing_)
        SelectPacket((event->position().toPoint().y() - 2) / kRowPitch + topRow_);
    event->accept();
}

void CPacketListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        capturing_ = false;
    event->accept();
}

void CPacketListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled() || !InRowsArea(event->position().toPoint()))
        return;
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        emit packetDoubleClicked();
}

// ---------------------------------------------------------------- painting

void CPacketListCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QColor window = palette().color(QPalette::Base);
    repaintNeeded_ = false;
    EnsureFieldBuffer();
    const int n = RowCount();
    const int width = viewport()->width();
    const int oldExtent = extent_;
    int bandTop = 0;
    for (int i = topRow_; i <= topRow_ + rowsPerPage_; ++i) {
        if (i >= n) {
            painter.fillRect(QRect(0, bandTop, width, viewport()->height() - bandTop), window);
            break;
        }
        const bool selected = i == selectedRow_;
        // After a miss the loader is busy with that row's block: asking for rows of other
        // blocks now would only make it start over.
        if (repaintNeeded_ || !DrawRow(painter, 3 - horizontalPosition_, bandTop + 3, i + 1, selected)) {
            // Not loaded yet: no pixels of another packet stay, and the row is asked for again.
            painter.fillRect(QRect(0, bandTop, width, kRowPitch),
                             selected ? palette().color(QPalette::Highlight) : window);
            repaintNeeded_ = true;
        }
        bandTop += kRowPitch;
    }
    if (extent_ != oldExtent)
        UpdateScrollBars();
    if (repaintNeeded_ && !missingRowTimer_.isActive())
        missingRowTimer_.start();
}

bool CPacketListCtrl::DrawRow(QPainter& painter, int x, int y, int position, bool selected)
{
    if (store_ == nullptr || packet_.fieldBuffer == nullptr)
        return false;
    const auto asked = std::chrono::steady_clock::now();
    const int got = store_->GetPacket(position, 0, &packet_);
    storeTimeNs_ += std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - asked).count();
    if (got == 0)
        return false;
    const QColor row = palette().color(selected ? QPalette::Highlight : QPalette::Base);
    const int width = viewport()->width();
    x += kIndentStep * packet_.indent;
    painter.fillRect(QRect(0, y, std::max(0, x), kBoxHeight + 1), row);
    painter.fillRect(QRect(0, y - 3, width, 3), row);
    painter.fillRect(QRect(0, y + kBoxHeight + 1, width, 3), row);

    if (packet_.status != 0) {
        const int boxWidth = DrawErrorBox(painter, x, y, packet_.status, packet_.bytesUsed, nullptr, row, width);
        extent_ = std::max(extent_, boxWidth + 6);
        x += boxWidth + 2;
    } else {
        const int defCount = fields_ != nullptr ? fields_->GetFieldDefCount() : 0;
        const int32_t bytes = std::clamp<int32_t>(packet_.bytesUsed, 0, static_cast<int32_t>(fieldBuffer_.size()));
        // The count also counts records that did not fit: the bytes the buffer holds decide.
        ParsedFieldCursor cursor(fieldBuffer_.data(), bytes);
        int sum = 6;
        bool stop = false;
        for (int i = 0; i < packet_.fieldCount; ++i) {
            const std::optional<ParsedField> field = cursor.Next();
            if (!field)
                break;
            if (field->fieldId < 0 || field->fieldId >= defCount) {
                const QString text = QString::fromLatin1(
                    platform::FormatText("Invalid Field Index: %d", field->fieldId).c_str());
                DrawErrorBox(painter, x, y, 10, packet_.bytesUsed, &text, row, width - x);
                // Drawn as far as it can ever be: asking again would change nothing.
                return true;
            }
            const TAB_FIELD_DEF_REC& def = fields_->GetFieldDef(field->fieldId);
            if (!def.SHOW)
                continue;
            const int boxWidth = BoxWidth(field->fieldId, def, field->text);
            if (def.ADDTOPKTWIDTH)
                sum += boxWidth + 2;
            if (!stop) {
                DrawFieldBox(painter, x, y, boxWidth, def, field->text, row, packet_.infoFlags & 0xFF);
                x += boxWidth + 2;
                if (x > width)
                    stop = true;
            }
        }
        extent_ = std::max(extent_, sum - 2);
    }
    if (x < width)
        painter.fillRect(QRect(x, y, width - x, kBoxHeight + 1), row);
    return true;
}

const QString& CPacketListCtrl::Latin1(std::string_view text)
{
    // One buffer for every box: no allocation per paint once it is large enough.
    scratch_.resize(static_cast<qsizetype>(text.size()));
    QChar* out = scratch_.data();
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = QChar(static_cast<uchar>(text[i]));
    return scratch_;
}

int CPacketListCtrl::TextWidth(const QFont& font, const QString& text) const
{
    if (text.isEmpty())
        return 0;
    return QFontMetrics(font).boundingRect(kMeasureRect, Qt::AlignLeft | Qt::AlignTop, text).width();
}

int CPacketListCtrl::MonospaceWidth(int advance, std::string_view text)
{
    // Every glyph of the fixed-pitch font has one advance: the widest line decides.
    size_t widest = 0;
    size_t line = 0;
    for (const char c : text) {
        if (c == '\n') {
            widest = std::max(widest, line);
            line = 0;
        } else if (c != '\r') {
            ++line;
        }
    }
    widest = std::max(widest, line);
    return static_cast<int>(widest) * advance;
}

int CPacketListCtrl::HeaderWidth(int fieldId, const TAB_FIELD_DEF_REC& def)
{
    if (fieldId >= static_cast<int>(headerWidths_.size()))
        headerWidths_.resize(static_cast<size_t>(fieldId) + 1);
    HeaderWidthEntry& entry = headerWidths_[static_cast<size_t>(fieldId)];
    if (entry.valid && std::memcmp(entry.header, def.HEADER, sizeof entry.header) == 0 &&
        std::memcmp(entry.subheader, def.SUBHEADER, sizeof entry.subheader) == 0)
        return entry.width;
    std::memcpy(entry.header, def.HEADER, sizeof entry.header);
    std::memcpy(entry.subheader, def.SUBHEADER, sizeof entry.subheader);
    const std::string_view header(def.HEADER, strnlen(def.HEADER, sizeof def.HEADER));
    const std::string_view subheader(def.SUBHEADER, strnlen(def.SUBHEADER, sizeof def.SUBHEADER));
    int width = 0;
    if (!header.empty())
        width = TextWidth(headingFont_, Latin1(header)) + 10;
    if (!subheader.empty())
        width = std::max(width, MonospaceWidth(subheadingAdvance_, subheader) + 10);
    entry.width = width;
    entry.valid = true;
    return width;
}

int CPacketListCtrl::BoxWidth(int fieldId, const TAB_FIELD_DEF_REC& def, std::string_view text)
{
    int width = HeaderWidth(fieldId, def);
    if (!text.empty())
        width = std::max(width, MonospaceWidth(valueAdvance_, text) + 10);
    return width;
}

void CPacketListCtrl::DrawFrame(QPainter& painter, int x, int y, int right, const QColor& fill, const QColor& row)
{
    const int bottom = y + kBoxHeight;
    painter.fillRect(QRect(x, bottom, 1, 1), row);
    const QColor shadow = ColorFromColorRef(kShadowColour);
    painter.fillRect(QRect(x + 1, bottom, std::max(0, right - x - 1), 1), shadow);
    painter.fillRect(QRect(right, y + 1, 1, bottom - y), shadow);
    painter.fillRect(QRect(right, y, 1, 1), row);
    painter.fillRect(QRect(right + 1, y, 2, bottom - y + 1), row);
    // The frame leaves out the right column and the bottom line, which hold the shadow.
    painter.fillRect(QRect(x, y, std::max(0, right - x), bottom - y), fill);
    painter.setPen(ColorFromColorRef(kFrameColour));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(x, y, std::max(0, right - x - 1), bottom - y - 1));
}

void CPacketListCtrl::DrawFieldBox(QPainter& painter, int x, int y, int width, const TAB_FIELD_DEF_REC& def,
                                   std::string_view text, const QColor& row, int infoFlags)
{
    uint32_t fill = static_cast<uint32_t>(def.BACKGRCOLOUR) & 0xFFFFFF;
    uint32_t ink = static_cast<uint32_t>(def.TEXTCOLOUR) & 0xFFFFFF;
    if (infoFlags & INFO_INCOMPLETE)
        std::swap(fill, ink);
    const int right = x + static_cast<uint16_t>(width) - 1;
    const int bottom = y + kBoxHeight;
    DrawFrame(painter, x, y, right, ColorFromColorRef(fill), row);

    painter.setPen(ColorFromColorRef(ink));
    const std::string_view header(def.HEADER, strnlen(def.HEADER, sizeof def.HEADER));
    auto heading = [&](int top) {
        painter.setFont(headingFont_);
        painter.drawText(QRect(x, top, right - x, bottom - top), Qt::AlignHCenter | Qt::AlignTop, Latin1(header));
    };
    auto line = [&](int at) {
        painter.fillRect(QRect(x + 3, at, std::max(0, right - 3 - (x + 3)), 1), Darker(fill));
    };
    auto value = [&](int left, int top, int alignment) {
        painter.setPen(ColorFromColorRef(ink));
        painter.setFont(valueFont_);
        painter.drawText(QRect(left, top, right - left, bottom - top), alignment | Qt::AlignTop, Latin1(text));
    };
    switch (def.TYPE) {
    case 0:
        heading(y + 16);
        break;
    case 1:
        heading(y + 1);
        line(y + 15);
        value(x, y + 15, Qt::AlignHCenter);
        break;
    case 2:
        heading(y + 8);
        line(y + 30);
        value(x, y + 30, Qt::AlignHCenter);
        break;
    case 3: {
        heading(y + 1);
        line(y + 15);
        line(y + 30);
        const std::string_view subheader(def.SUBHEADER, strnlen(def.SUBHEADER, sizeof def.SUBHEADER));
        painter.setPen(ColorFromColorRef(ink));
        painter.setFont(subheadingFont_);
        painter.drawText(QRect(x + 3, y + 15, right - x - 3, bottom - y - 15), Qt::AlignLeft | Qt::AlignTop,
                         Latin1(subheader));
        value(x + 3, y + 30, Qt::AlignLeft);
        break;
    }
    case 4:
        heading(y + 1);
        line(y + 30);
        value(x, y + 30, Qt::AlignHCenter);
        break;
    default:
        break;
    }
}

int CPacketListCtrl::DrawErrorBox(QPainter& painter, int x, int y, int32_t code, int32_t dataLength,
                                  const QString* text, const QColor& row, int minimumWidth)
{
    const int32_t entry = std::clamp<int32_t>(code, 0, 10);
    QString message;
    if (entry == 2)
        message = QString::fromLatin1(
            platform::FormatText("%s\nData Length: %d", kErrorTexts[2], dataLength).c_str());
    else if (text != nullptr)
        message = *text;
    else
        message = QString::fromLatin1(kErrorTexts[entry]);
    const int width = std::max(minimumWidth, TextWidth(headingFont_, message));
    const int right = x + width;
    const int bottom = y + kBoxHeight;
    const QColor fill = entry == 0 ? QColor(Qt::black) : ColorFromColorRef(kErrorColour);
    const QColor ink = entry == 0 ? QColor(Qt::black) : QColor(Qt::white);
    DrawFrame(painter, x, y, right, fill, row);
    painter.setPen(ink);
    painter.setFont(headingFont_);
    painter.drawText(QRect(x, y + 1, right - x, bottom - y - 1), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("ERROR!!!"));
    painter.setFont(valueFont_);
    painter.drawText(QRect(x, y + 15, right - x, bottom - y - 15), Qt::AlignHCenter | Qt::AlignTop, message);
    return width;
}
