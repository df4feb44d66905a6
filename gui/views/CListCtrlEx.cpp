#include "gui/views/CListCtrlEx.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>
#include <vector>

#include <QEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPalette>
#include <QPen>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>

#include "gui/ColorRef.h"
#include "gui/PelagorFonts.h"

namespace {

// Texts keep clear of the next column by this much.
constexpr int kCellGap = 2;

// The pixels a GDI rectangle covers: its right and bottom edge are left out.
QRect GdiRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// The percentage of a bar cell ("%" and a decimal number), at most 100. A minus sign counts
// as 0 instead of wrapping round to a huge value.
int BarValue(std::string_view cell)
{
    const std::string number(cell.substr(1));
    size_t i = 0;
    while (i < number.size() && std::isspace(static_cast<unsigned char>(number[i])))
        ++i;
    if (i < number.size() && number[i] == '-')
        return 0;
    const unsigned long value = std::strtoul(number.c_str(), nullptr, 10);
    return static_cast<int>(std::min(value, 100UL));
}

QColor SystemColor(const QPalette& palette, QPalette::ColorRole role)
{
    // System colours do not change with the window's state.
    return palette.color(QPalette::Active, role);
}

} // namespace

CListCtrlEx::CListCtrlEx(QWidget* parent)
    : QAbstractScrollArea(parent), font_(PelagorFont("MS Sans Serif", 8))
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &CListCtrlEx::OnVScroll);
    // Measured now rather than at the first paint, so that paging works before it.
    rowHeight_ = std::max(1, QFontMetrics(font_).height());
    enabled_ = isEnabled();
    // What creating the window does: on the empty list this leaves no row selected.
    SelectRow(1);
    UpdateScrollBars();
}

CListCtrlEx::~CListCtrlEx() = default;

void CListCtrlEx::InsertColumn(const std::string& name, int width, int position)
{
    position = std::clamp(position, 0, GetColumnCount());
    auto column = std::make_unique<COLUMN_INFO>();
    column->name = name;
    column->width = std::max(width, 0);
    columns_.insert(columns_.begin() + position, std::move(column));
    LayoutHeader();
    viewport()->update();
}

int CListCtrlEx::InsertRow(const std::string& text, int position)
{
    const int count = GetRowCount();
    if (position < 0 || position > count)
        position = count;
    auto row = std::make_unique<ROW_INFO>();
    row->text = text;
    rows_.insert(rows_.begin() + position, std::move(row));
    if (selectedRow_ >= position)
        ++selectedRow_;
    UpdateScrollBars();
    viewport()->update();
    return position;
}

int CListCtrlEx::DeleteRow(int row)
{
    if (row < 0 || row >= GetRowCount())
        return 0;
    rows_.erase(rows_.begin() + row);
    if (row < selectedRow_)
        --selectedRow_;
    if (rows_.empty())
        selectedRow_ = -1;
    UpdateScrollBars();
    viewport()->update();
    return 1;
}

int CListCtrlEx::MoveRowDown(int row)
{
    // Also refuses rows past the end, which have no next row to swap with.
    if (row < 0 || row >= GetRowCount() - 1)
        return 0;
    std::swap(rows_[static_cast<size_t>(row)], rows_[static_cast<size_t>(row) + 1]);
    viewport()->update();
    return 1;
}

void CListCtrlEx::SetCellText(int row, int column, const std::string& text)
{
    if (row < 0 || row >= GetRowCount())
        return;
    ROW_INFO& info = *rows_[static_cast<size_t>(row)];
    if (column < 0) {
        info.text = text;
        viewport()->update();
        return;
    }
    const int columns = GetColumnCount();
    if (column >= columns)
        return;

    // With a TAB in front and one per column behind, every column has its two bounding TABs.
    std::string extended = "\t" + info.text + std::string(static_cast<size_t>(columns), '\t');
    std::vector<size_t> tabs;
    for (size_t i = 0; i < extended.size() && tabs.size() < static_cast<size_t>(columns) + 1; ++i) {
        if (extended[i] == '\t')
            tabs.push_back(i);
    }
    const size_t begin = tabs[static_cast<size_t>(column)] + 1;
    const size_t length = tabs[static_cast<size_t>(column) + 1] - begin;
    if (extended.compare(begin, length, text) == 0)
        return;
    extended.replace(begin, length, text);
    extended.erase(0, 1);
    const size_t last = extended.find_last_not_of('\t');
    extended.erase(last == std::string::npos ? 0 : last + 1);
    info.text = extended;
    viewport()->update();
}

int CListCtrlEx::GetCurSel() const
{
    // Deleting the selected last row leaves the index past the end: no row is selected then.
    return selectedRow_ >= 0 && selectedRow_ < GetRowCount() ? selectedRow_ : -1;
}

int CListCtrlEx::SelectRow(int row)
{
    const int count = GetRowCount();
    row = std::max(row, 0);
    if (row >= count)
        row = count - 1;
    if (selectionLimit_ >= 0 && selectionLimit_ < row)
        row = selectionLimit_;
    if (row == selectedRow_)
        return row;

    int newFirst = std::min(firstRow_, row);
    if (rowsPerPage_ >= 0 && count >= rowsPerPage_) {
        // A window too low for one full row still shows the selected row in part.
        const int page = std::max(rowsPerPage_, 1);
        newFirst = std::max(newFirst, row - page + 1);
        if (newFirst + page > count)
            newFirst = count - page;
    }
    newFirst = std::max(newFirst, 0);

    if (newFirst == firstRow_) {
        InvalidateRow(selectedRow_);
        InvalidateRow(row);
    } else {
        viewport()->update(QRect(0, kHeaderHeight, viewport()->width(), viewport()->height()));
        firstRow_ = newFirst;
        scrollPosition_ = newFirst;
        verticalScrollBar()->setValue(newFirst);
    }
    selectedRow_ = row;
    return row;
}

void CListCtrlEx::UpdateScrollBars()
{
    MeasureRowsPerPage();
    // Deleted rows or a taller window must not leave the view past the end of the list.
    const int limit = ScrollLimit();
    if (firstRow_ > limit) {
        firstRow_ = limit;
        viewport()->update();
    }
    scrollPosition_ = firstRow_;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, limit);
    bar->setPageStep(std::max(rowsPerPage_, 1));
    bar->setValue(scrollPosition_);
    bar->setEnabled(true);
}

void CListCtrlEx::SetMarkedRow(int row)
{
    markedRow_ = row;
    viewport()->update();
}

void CListCtrlEx::SetMarkColor(uint32_t colorRef)
{
    markColor_ = colorRef;
    viewport()->update();
}

std::string CListCtrlEx::GetRowText(int row) const
{
    if (row < 0 || row >= GetRowCount())
        return std::string();
    return rows_[static_cast<size_t>(row)]->text;
}

bool CListCtrlEx::event(QEvent* event)
{
    // Keys come here before the focus widget's own handling, as pre-translation does; a
    // disabled list swallows them all.
    if (event->type() == QEvent::KeyPress && PreTranslateMessage(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

bool CListCtrlEx::PreTranslateMessage(const QKeyEvent* event)
{
    if (!enabled_)
        return true;
    switch (event->key()) {
    case Qt::Key_PageUp:
        SelectRow(selectedRow_ - rowsPerPage_);
        return true;
    case Qt::Key_PageDown:
        SelectRow(selectedRow_ + rowsPerPage_);
        return true;
    case Qt::Key_End:
        SelectRow(GetRowCount() - 1);
        return true;
    case Qt::Key_Home:
        SelectRow(0);
        return true;
    case Qt::Key_Up:
        SelectRow(selectedRow_ - 1);
        return true;
    case Qt::Key_Down:
        SelectRow(selectedRow_ + 1);
        return true;
    default:
        return false;
    }
}

void CListCtrlEx::keyPressEvent(QKeyEvent* event)
{
    // Not the scroll area's own keys: the owner handles the rest (Enter, Delete, Escape ...).
    event->ignore();
}

void CListCtrlEx::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(viewport());
    const QPalette& colors = palette();
    const QColor window = SystemColor(colors, enabled_ ? QPalette::Base : QPalette::Button);
    painter.setFont(font_);
    DrawHeader(painter);

    rowHeight_ = std::max(1, QFontMetrics(font_).height());
    MeasureRowsPerPage();
    const int count = GetRowCount();
    int top = kHeaderHeight;
    for (int row = firstRow_; row <= firstRow_ + rowsPerPage_ && row < count; ++row) {
        DrawRow(painter, row, top, window);
        top += rowHeight_;
    }
    const int bottom = viewport()->height();
    if (top < bottom)
        painter.fillRect(GdiRect(0, top, viewport()->width(), bottom), SystemColor(colors, QPalette::Base));
}

void CListCtrlEx::DrawHeader(QPainter& painter)
{
    const QFontMetrics metrics(font_);
    for (const auto& column : columns_) {
        const QRect& rect = column->rect;
        if (rect.width() <= 0)
            continue;
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = rect;
        // A plain raised button whatever the list's own state.
        option.state = QStyle::State_Enabled | QStyle::State_Raised;
        option.palette.setCurrentColorGroup(QPalette::Active);
        style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, this);
        painter.setPen(SystemColor(palette(), QPalette::ButtonText));
        const QRect textRect(rect.left() + 3, rect.top() + 1, rect.width() - 3 - kCellGap, rect.height() - 1);
        const QString name = QString::fromLatin1(column->name.data(), static_cast<qsizetype>(column->name.size()));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         metrics.elidedText(name, Qt::ElideRight, textRect.width()));
    }
}

void CListCtrlEx::DrawRow(QPainter& painter, int row, int top, const QColor& window)
{
    const QPalette& colors = palette();
    const QColor mark = ColorFromColorRef(markColor_);
    const int width = viewport()->width();
    QColor fill = window;
    QColor text = SystemColor(colors, QPalette::Text);
    QColor bar = SystemColor(colors, QPalette::Highlight);
    if (row == selectedRow_) {
        fill = SystemColor(colors, QPalette::Highlight);
        text = row == markedRow_ ? mark : SystemColor(colors, QPalette::HighlightedText);
        bar = text;
    } else if (row == markedRow_) {
        fill = mark;
    }
    const QRect band(0, top, width, rowHeight_);
    painter.fillRect(band, fill);

    const QFontMetrics metrics(font_);
    const std::string& cells = rows_[static_cast<size_t>(row)]->text;
    const int columns = GetColumnCount();
    painter.setPen(text);
    int x = 0;
    size_t start = 0;
    for (int column = 0; column < columns; ++column) {
        size_t end = cells.find('\t', start);
        if (end == std::string::npos)
            end = cells.size();
        const std::string_view cell(cells.data() + start, end - start);
        const int columnWidth = columns_[static_cast<size_t>(column)]->width;
        if (!cell.empty() && cell[0] == '%') {
            const int filled = BarValue(cell) * columnWidth / 100;
            const QRect barRect = GdiRect(x + 1, top + 1, x + filled - 1, top + rowHeight_ - 1);
            if (barRect.isValid())
                painter.fillRect(barRect, bar);
        } else if (!cell.empty()) {
            // The last column has the rest of the row; texts are cut short rather than run
            // into the next column.
            const int right = column + 1 == columns ? width : x + columnWidth;
            const QRect textRect(x + 3, top, right - x - 3 - kCellGap, rowHeight_);
            if (textRect.width() > 0) {
                const QString shown = metrics.elidedText(
                    QString::fromLatin1(cell.data(), static_cast<qsizetype>(cell.size())), Qt::ElideRight,
                    textRect.width());
                painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
            }
        }
        x += columnWidth;
        if (end == cells.size())
            break;
        start = end + 1;
    }

    if (row == selectedRow_ && hasFocus()) {
        QPen pen(text);
        pen.setCosmetic(true);
        pen.setDashPattern({1.0, 1.0});
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(band.adjusted(0, 0, -1, -1));
    }
}

void CListCtrlEx::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    LayoutHeader();
    // The page follows the height at once, not only at the next row operation.
    UpdateScrollBars();
    viewport()->update();
}

void CListCtrlEx::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        enabled_ = isEnabled();
        // Disabling ends a drag, as it cancels a mouse capture.
        if (!enabled_)
            captured_ = false;
        viewport()->update();
    }
}

void CListCtrlEx::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (enabled_)
        InvalidateRow(selectedRow_);
}

void CListCtrlEx::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    if (enabled_)
        InvalidateRow(selectedRow_);
}

void CListCtrlEx::mousePressEvent(QMouseEvent* event)
{
    const Qt::MouseButton button = event->button();
    if (button != Qt::LeftButton && button != Qt::RightButton) {
        event->ignore();
        return;
    }
    if (!enabled_)
        return;
    setFocus(Qt::MouseFocusReason);
    const int y = event->position().toPoint().y();
    if (InRowsArea(y)) {
        captured_ = true;
        SelectRow(RowAt(y));
    }
}

void CListCtrlEx::mouseMoveEvent(QMouseEvent* event)
{
    if (enabled_ && captured_)
        SelectRow(RowAt(event->position().toPoint().y()));
}

void CListCtrlEx::mouseReleaseEvent(QMouseEvent* event)
{
    const Qt::MouseButton button = event->button();
    if (button != Qt::LeftButton && button != Qt::RightButton) {
        event->ignore();
        return;
    }
    if (enabled_ && captured_)
        captured_ = false;
}

void CListCtrlEx::mouseDoubleClickEvent(QMouseEvent* event)
{
    const Qt::MouseButton button = event->button();
    if (button != Qt::LeftButton && button != Qt::RightButton) {
        event->ignore();
        return;
    }
    // The second click of a double-click neither selects nor captures.
    if (enabled_ && InRowsArea(event->position().toPoint().y()))
        emit doubleClicked(button);
}

void CListCtrlEx::scrollContentsBy(int /*dx*/, int /*dy*/)
{
}

void CListCtrlEx::OnVScroll(int action)
{
    QScrollBar* bar = verticalScrollBar();
    const int page = std::max(rowsPerPage_, 1);
    int position = firstRow_;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        position = firstRow_ - 1;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        position = firstRow_ + 1;
        break;
    case QAbstractSlider::SliderPageStepSub:
        position = firstRow_ - page;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        position = firstRow_ + page;
        break;
    case QAbstractSlider::SliderMove:
        position = bar->sliderPosition();
        break;
    case QAbstractSlider::SliderToMinimum:
        position = 0;
        break;
    case QAbstractSlider::SliderToMaximum:
        position = bar->maximum();
        break;
    default:
        break;
    }
    position = std::clamp(position, 0, std::max(bar->maximum(), 0));
    if (position != firstRow_) {
        firstRow_ = position;
        viewport()->update();
    }
    scrollPosition_ = position;
    // Within the action the slider takes this as its value.
    bar->setSliderPosition(position);
}

void CListCtrlEx::LayoutHeader()
{
    const int clientRight = viewport()->width();
    int left = 0;
    for (size_t i = 0; i < columns_.size(); ++i) {
        COLUMN_INFO& column = *columns_[i];
        const int right = i + 1 == columns_.size() ? clientRight : left + column.width;
        column.rect = GdiRect(left, 0, right, kHeaderHeight);
        left += column.width;
    }
}

int CListCtrlEx::RowTop(int row) const
{
    return kHeaderHeight + rowHeight_ * (row - firstRow_);
}

QRect CListCtrlEx::RowBand(int row) const
{
    return QRect(0, RowTop(row), viewport()->width(), rowHeight_);
}

void CListCtrlEx::InvalidateRow(int row)
{
    if (row >= 0)
        viewport()->update(RowBand(row));
}

bool CListCtrlEx::InRowsArea(int y) const
{
    return y >= kHeaderHeight && y <= kHeaderHeight - 1 + rowHeight_ * (GetRowCount() - firstRow_);
}

int CListCtrlEx::RowAt(int y) const
{
    // Division truncates towards zero: a point a little above the rows maps to the first row.
    return (y - kHeaderHeight) / rowHeight_ + firstRow_;
}

int CListCtrlEx::ScrollLimit() const
{
    return std::max(0, GetRowCount() - std::max(rowsPerPage_, 1));
}

void CListCtrlEx::MeasureRowsPerPage()
{
    rowsPerPage_ = (viewport()->height() - kHeaderHeight) / rowHeight_;
}
