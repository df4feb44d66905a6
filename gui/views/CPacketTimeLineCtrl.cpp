#include "gui/views/CPacketTimeLineCtrl.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>

#include "core/store/PacketManager.h"
#include "core/tables/TabFrameDef.h"
#include "gui/ColorRef.h"
#include "gui/PelagorFonts.h"
#include "gui/views/CPacketListCtrl.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

namespace {

// The light band colour of the node rows, from the button face colour.
QColor Tint(const QColor& face)
{
    auto channel = [](int c) { return 0xC0 + ((c & 0xFC) >> 2); };
    return QColor(channel(face.red()), channel(face.green()), channel(face.blue()));
}

} // namespace

CPacketTimeLineCtrl::CPacketTimeLineCtrl(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::StyledPanel);
    // Always there, so a range change never resizes the columns under a paint.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    font_ = PelagorFont("MS Sans Serif", 8);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, &CPacketTimeLineCtrl::OnHorizontalAction);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CPacketTimeLineCtrl::OnVerticalAction);
}

CPacketTimeLineCtrl::~CPacketTimeLineCtrl() = default;

// ---------------------------------------------------------------- frame classes

int CPacketTimeLineCtrl::LoadFrameDefinitions(const char* pluginFolder)
{
    TabFrameDef table(pluginFolder != nullptr ? pluginFolder : "");
    frameTableLoaded_ = table.Read() == 1;
    if (!frameTableLoaded_)
        platform::ShowMessageBox(platform::FormatText("Not able to read table %s", table.TableName().c_str()),
                                 platform::MessageIcon::Exclamation);
    // A new protocol's table replaces the classes of the one before.
    frameDefs_.clear();
    for (const TAB_FRAME_DEF_REC& row : table.Rows()) {
        // A negative or huge class is a broken line: it must not index or grow the table.
        if (row.FRAME_TYPE < 0 || row.FRAME_TYPE >= kFrameTypeLimit)
            continue;
        const FRAME_DEF def{static_cast<uint32_t>(row.COLOR) & 0xFFFFFF, row.FORMAT};
        const size_t index = static_cast<size_t>(row.FRAME_TYPE);
        if (index >= frameDefs_.size()) {
            frameDefs_.resize(index, FRAME_DEF{0, 0});
            frameDefs_.push_back(def);
        } else {
            frameDefs_.insert(frameDefs_.begin() + static_cast<std::ptrdiff_t>(index), def);
        }
    }
    viewport()->update();
    return frameTableLoaded_ ? 1 : 0;
}

// ---------------------------------------------------------------- node rows

size_t CPacketTimeLineCtrl::LowerBound(uint32_t address) const
{
    const auto at = std::lower_bound(nodes_.begin(), nodes_.end(), address,
                                     [](const NODE_NAME& row, uint32_t value) { return row.address < value; });
    return static_cast<size_t>(at - nodes_.begin());
}

bool CPacketTimeLineCtrl::InsertNode(uint32_t address)
{
    if (address == kNone)
        return false;
    const size_t at = LowerBound(address);
    if (at < nodes_.size() && nodes_[at].address == address)
        return false;
    NODE_NAME row{};
    std::snprintf(row.name, sizeof row.name, "Node 0x%8.8X", address);
    row.address = address;
    nodes_.insert(nodes_.begin() + static_cast<std::ptrdiff_t>(at), row);
    return true;
}

void CPacketTimeLineCtrl::AddNodes(uint32_t source, uint32_t destination)
{
    bool added = false;
    {
        std::lock_guard lock(nodeMutex_);
        added = InsertNode(source);
        added = InsertNode(destination) || added;
    }
    // The worker thread never touches the widget: the GUI thread repaints once for a burst.
    if (added)
        RequestRepaint();
}

void CPacketTimeLineCtrl::SetNodeName(uint32_t address, const char* name)
{
    bool found = false;
    {
        std::lock_guard lock(nodeMutex_);
        const size_t at = LowerBound(address);
        if (at < nodes_.size() && nodes_[at].address == address) {
            std::snprintf(nodes_[at].name, sizeof nodes_[at].name, "%s", name != nullptr ? name : "");
            found = true;
        }
    }
    if (found)
        RequestRepaint();
}

void CPacketTimeLineCtrl::RemoveAllNodes()
{
    std::lock_guard lock(nodeMutex_);
    nodes_.clear();
}

void CPacketTimeLineCtrl::RemoveNode(uint32_t address)
{
    std::lock_guard lock(nodeMutex_);
    const size_t at = LowerBound(address);
    if (at < nodes_.size() && nodes_[at].address == address)
        nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(at));
}

int CPacketTimeLineCtrl::NodeCount() const
{
    std::lock_guard lock(nodeMutex_);
    return static_cast<int>(nodes_.size());
}

NODE_NAME CPacketTimeLineCtrl::NodeAt(int index) const
{
    std::lock_guard lock(nodeMutex_);
    return nodes_.at(static_cast<size_t>(index));
}

void CPacketTimeLineCtrl::RequestRepaint()
{
    if (repaintQueued_.exchange(true))
        return;
    ++queuedRepaints_;
    // Dropped with the widget when it is gone before the GUI thread gets to it.
    QMetaObject::invokeMethod(this, [this] { OnQueuedRepaint(); }, Qt::QueuedConnection);
}

void CPacketTimeLineCtrl::OnQueuedRepaint()
{
    // Cleared first: rows added from here on ask for a paint of their own.
    repaintQueued_.store(false);
    // New rows widen the vertical range.
    UpdateScrollBars();
    viewport()->update();
}

// ---------------------------------------------------------------- scrolling

int CPacketTimeLineCtrl::RowCount() const
{
    return store_ != nullptr ? store_->GetPacketCount(1) : 0;
}

void CPacketTimeLineCtrl::SetAutoScroll(bool on)
{
    const bool was = autoScroll_;
    autoScroll_ = on;
    // The list's StopAutoScroll calls back here: by then neither is on, and it ends.
    if (!on && list_ != nullptr && (was || list_->AutoScroll()))
        list_->StopAutoScroll();
    viewport()->update();
}

void CPacketTimeLineCtrl::UpdateScrollBars()
{
    visibleColumns_ = std::max(0, (viewport()->width() - kNameWidth) / kColumnPitch);
    visibleRows_ = std::max(0, viewport()->height() / kRowHeight - 2);

    const int nodes = NodeCount();
    if (nodes - visibleRows_ <= 0)
        verticalPosition_ = 0;
    const int verticalLimit = std::max(nodes - visibleRows_, 0);
    // Rows removed since: the first row shown stays a row.
    verticalPosition_ = std::min(verticalPosition_, verticalLimit);
    topNode_ = verticalPosition_;
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, verticalLimit);
    vertical->setPageStep(1);
    vertical->setValue(verticalPosition_);

    const int n = RowCount();
    const int horizontalLimit = n - visibleColumns_;
    if (horizontalLimit <= 0)
        horizontalPosition_ = 0;
    // A store that shrank (a filter) must not leave the view past its end, showing nothing.
    const int lastFirst = std::max(horizontalLimit, 0);
    if (firstPacket_ > lastFirst) {
        firstPacket_ = lastFirst;
        viewport()->update();
    }
    horizontalPosition_ = std::min(horizontalPosition_, lastFirst);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, lastFirst);
    horizontal->setPageStep(1);
    horizontal->setSingleStep(8);
    horizontal->setValue(horizontalPosition_);
    vertical->setEnabled(true);
    horizontal->setEnabled(true);
}

void CPacketTimeLineCtrl::HorizontalScroll(Scroll action, int position)
{
    int value = firstPacket_;
    switch (action) {
    case Scroll::LineUp: value = position == 0 ? 0 : value - 8; break;
    case Scroll::LineDown: value += 8; break;
    case Scroll::PageUp: value -= visibleColumns_; break;
    case Scroll::PageDown: value += visibleColumns_; break;
    case Scroll::Thumb: value = position; break;
    case Scroll::None: break;
    }
    value = std::clamp(value, 0, std::max(0, RowCount() - visibleColumns_));
    if (value != firstPacket_ || firstPacket_ + visibleColumns_ != paintedUpTo_) {
        firstPacket_ = value;
        viewport()->update();
    }
    horizontalPosition_ = value;
    horizontalScrollBar()->setValue(horizontalPosition_);
}

void CPacketTimeLineCtrl::VerticalScroll(Scroll action, int position)
{
    int value = verticalPosition_;
    switch (action) {
    case Scroll::LineUp: value -= 1; break;
    case Scroll::LineDown: value += 1; break;
    case Scroll::PageUp: value -= visibleRows_; break;
    case Scroll::PageDown: value += visibleRows_; break;
    case Scroll::Thumb: value = position; break;
    case Scroll::None: break;
    }
    value = std::clamp(value, 0, std::max(0, NodeCount() - visibleRows_));
    if (value != topNode_) {
        topNode_ = value;
        viewport()->update();
    }
    verticalPosition_ = value;
    verticalScrollBar()->setValue(verticalPosition_);
}

void CPacketTimeLineCtrl::OnHorizontalAction(int action)
{
    SetAutoScroll(false);
    QScrollBar* bar = horizontalScrollBar();
    // The left arrow comes with position 0: back to the first packet.
    const Scroll how = ScrollStepOf(action);
    HorizontalScroll(how, how == Scroll::LineUp ? 0 : bar->sliderPosition());
    bar->setSliderPosition(firstPacket_);
}

void CPacketTimeLineCtrl::OnVerticalAction(int action)
{
    QScrollBar* bar = verticalScrollBar();
    VerticalScroll(ScrollStepOf(action), bar->sliderPosition());
    bar->setSliderPosition(verticalPosition_);
}

void CPacketTimeLineCtrl::scrollContentsBy(int, int)
{
    // The columns are drawn from the view's own positions, not moved as pixels.
    viewport()->update();
}

void CPacketTimeLineCtrl::ScrollTo(int packet)
{
    SetAutoScroll(false);
    HorizontalScroll(Scroll::Thumb, packet);
}

void CPacketTimeLineCtrl::RefreshNewPackets()
{
    RefreshNewPackets(nullptr, false);
}

void CPacketTimeLineCtrl::RefreshNewPackets(const QRect* area, bool force)
{
    const int n = RowCount();
    if (n == 0)
        return;
    if (paintedUpTo_ != 0 && firstPacket_ < paintedUpTo_) {
        if (paintedUpTo_ == firstPacket_ + visibleColumns_)
            return;
        if (autoScroll_ && !force && n > visibleColumns_)
            return;
        // Every packet there is was drawn: no paint every tick of the timer for nothing.
        if (paintedUpTo_ >= n)
            return;
    }
    const int left = kNameWidth + kColumnPitch * std::max(0, paintedUpTo_ - firstPacket_);
    const QRect client = viewport()->rect();
    const int right = area != nullptr ? area->right() : client.right();
    const int bottom = area != nullptr ? area->bottom() : client.bottom();
    if (left <= right && bottom >= 16)
        viewport()->update(QRect(QPoint(left, 16), QPoint(right, bottom)));
}

// ---------------------------------------------------------------- input

void CPacketTimeLineCtrl::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    viewport()->update();
}

void CPacketTimeLineCtrl::mousePressEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    if (event->button() == Qt::LeftButton) {
        if (x > kNameWidth && list_ != nullptr) {
            list_->SelectPacket((x - kNameWidth) / kColumnPitch + firstPacket_);
            capturing_ = true;
        }
        SetAutoScroll(false);
    } else if (event->button() == Qt::RightButton && x > kNameWidth) {
        dragStartX_ = x;
        dragStartPacket_ = firstPacket_;
        capturing_ = true;
    }
    event->accept();
}

void CPacketTimeLineCtrl::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!capturing_)
        return;
    const int x = event->position().toPoint().x();
    if (event->buttons() == Qt::LeftButton) {
        if (list_ == nullptr)
            return;
        const int p = (x - kNameWidth) / kColumnPitch + firstPacket_;
        if (p != list_->GetSelectedPacket())
            list_->SelectPacket(p);
    } else if (event->buttons() == Qt::RightButton) {
        const int p = std::clamp(dragStartPacket_ - (x - dragStartX_) / kColumnPitch, 0, RowCount());
        HorizontalScroll(Scroll::Thumb, p);
    }
}

void CPacketTimeLineCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    // The capture stays while the other button is still down.
    if (!(event->buttons() & (Qt::LeftButton | Qt::RightButton)))
        capturing_ = false;
    event->accept();
}

void CPacketTimeLineCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && event->position().toPoint().x() < kNameWidth) {
        showSource_ = !showSource_;
        viewport()->update();
    }
}

// ---------------------------------------------------------------- painting

void CPacketTimeLineCtrl::EnsureFieldBuffer()
{
    // The store copies its whole parsed size: never into less.
    if (store_ != nullptr && fieldBuffer_.size() < store_->ParsedLength())
        fieldBuffer_.resize(store_->ParsedLength(), 0);
    packet_.fieldBuffer = fieldBuffer_.empty() ? nullptr : fieldBuffer_.data();
}

void CPacketTimeLineCtrl::DrawMark(QPainter& painter, int x, int top, int32_t frameClass)
{
    const QRect mark(x, top + 3, kMarkWidth, kMarkHeight);
    if (frameClass < 0 || frameClass >= static_cast<int32_t>(frameDefs_.size())) {
        painter.fillRect(mark, ColorFromColorRef(kErrorColour));
        return;
    }
    if (!frameTableLoaded_) {
        painter.fillRect(mark, Qt::black);
        return;
    }
    const FRAME_DEF& def = frameDefs_[static_cast<size_t>(frameClass)];
    const QColor colour = ColorFromColorRef(def.colour);
    switch (def.format) {
    case 0:
        painter.fillRect(mark, colour);
        break;
    case 1:
        painter.setPen(colour);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(mark.adjusted(0, 0, -1, -1));
        break;
    default: {
        // Corners inside the mark, so the triangle never reaches into the gap.
        const QPolygon triangle({QPoint(mark.left(), mark.bottom()), QPoint(mark.right(), mark.bottom()),
                                 QPoint(mark.left() + 2, mark.top())});
        painter.setPen(colour);
        painter.setBrush(Qt::white);
        painter.drawPolygon(triangle);
        break;
    }
    }
}

void CPacketTimeLineCtrl::paintEvent(QPaintEvent*)
{
    ++paintCount_;
    QPainter painter(viewport());
    const int width = viewport()->width();
    const int height = viewport()->height();
    const QColor face = palette().color(QPalette::Button);

    painter.fillRect(QRect(0, 0, width, kRowHeight), Qt::white);
    painter.fillRect(QRect(0, kRowHeight, width, kRowHeight), face);
    const QColor tint = Tint(face);
    bool light = false;
    for (int y = kFirstNodeTop; y < height; y += 2 * kRowHeight) {
        painter.fillRect(QRect(0, y, width, 2 * kRowHeight), light ? tint : QColor(Qt::white));
        light = !light;
    }

    painter.setFont(font_);
    painter.setPen(Qt::black);
    const int textFlags = Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    painter.drawText(QRect(3, 0, kNameWidth - 3, kRowHeight), Qt::AlignLeft | textFlags,
                     showSource_ ? QStringLiteral("SOURCE") : QStringLiteral("DESTINATION"));
    const QRect heading(kNameWidth, 0, std::max(0, width - kNameWidth), kRowHeight);
    painter.drawText(heading, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QStringLiteral("<- %1").arg(firstPacket_ + 1));
    painter.drawText(heading, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                     QStringLiteral("%1 ->").arg(firstPacket_ + visibleColumns_));

    // The rows are copied, not held: fetching packets below may show a box whose loop paints.
    {
        std::lock_guard lock(nodeMutex_);
        paintNodes_.assign(nodes_.begin(), nodes_.end());
    }
    const int firstRow = verticalPosition_;
    painter.drawText(QRect(3, kRowHeight, kNameWidth - 3, kRowHeight), Qt::AlignLeft | textFlags,
                     QStringLiteral("Unregistered/broadcast"));
    for (int j = firstRow; j < static_cast<int>(paintNodes_.size()); ++j) {
        const int top = kFirstNodeTop + kRowHeight * (j - firstRow);
        if (top >= height)
            break;
        painter.drawText(QRect(3, top, kNameWidth - 3, kRowHeight), Qt::AlignLeft | textFlags,
                         QString::fromLatin1(paintNodes_[static_cast<size_t>(j)].name));
    }

    if (!autoScroll_ && list_ != nullptr) {
        const int listTop = list_->TopRow();
        const int selected = list_->GetSelectedPacket();
        const int listEnd = listTop + list_->RowsPerPage();
        const QColor grey = ColorFromColorRef(kListMarkerColour);
        const int markerHeight = std::max(0, height - kRowHeight);
        if (listTop >= firstPacket_)
            painter.fillRect(QRect(kNameWidth - 1 + kColumnPitch * (listTop - firstPacket_), kRowHeight, 1,
                                   markerHeight), grey);
        if (selected >= firstPacket_)
            painter.fillRect(QRect(kNameWidth + kColumnPitch * (selected - firstPacket_), kRowHeight, kMarkWidth,
                                   markerHeight), palette().color(QPalette::Highlight));
        if (listEnd >= firstPacket_)
            painter.fillRect(QRect(kNameWidth - 1 + kColumnPitch * (listEnd - firstPacket_), kRowHeight, 1,
                                   markerHeight), grey);
    }

    EnsureFieldBuffer();
    const int n = RowCount();
    int i = firstPacket_;
    if (store_ != nullptr && packet_.fieldBuffer != nullptr) {
        for (int x = kNameWidth; i < n && x < width; ++i, x += kColumnPitch) {
            if (store_->GetPacket(i + 1, 0, &packet_) == 0)
                break;
            if (packet_.status != 0) {
                painter.fillRect(QRect(x, kRowHeight + 3, kMarkWidth, kMarkHeight), ColorFromColorRef(kErrorColour));
                continue;
            }
            const uint32_t address = static_cast<uint32_t>(showSource_ ? packet_.srcNodeId : packet_.dstNodeId);
            int top = kRowHeight;
            const auto found = std::lower_bound(paintNodes_.begin(), paintNodes_.end(), address,
                                                [](const NODE_NAME& row, uint32_t value) { return row.address < value; });
            if (found != paintNodes_.end() && found->address == address) {
                const int j = static_cast<int>(found - paintNodes_.begin());
                // Scrolled out above the first row shown, or below the last.
                if (j < firstRow)
                    continue;
                top = kFirstNodeTop + kRowHeight * (j - firstRow);
                if (top >= height)
                    continue;
            }
            DrawMark(painter, x, top, packet_.frameClass);
        }
    }
    paintedUpTo_ = i > 0 ? std::min(i, n) : 0;
}
