#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractScrollArea>
#include <QFont>

#include "gui/views/ColumnInfo.h"
#include "gui/views/RowInfo.h"

class QEvent;
class QFocusEvent;
class QKeyEvent;
class QMouseEvent;
class QPainter;
class QPaintEvent;
class QResizeEvent;

// A list drawn by itself: a header of push-button columns over rows of TAB-separated cells.
// A cell starting with '%' shows as a percentage bar. One row is selected, one may be marked
// in the mark colour; the owner drives it row by row and column by column.
// Positions are those of the viewport: the header takes its top kHeaderHeight pixels.
class CListCtrlEx : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kHeaderHeight = 16;
    // COLORREF (0x00BBGGRR): light grey.
    static constexpr uint32_t kDefaultMarkColor = 0xC0C0C0;

    explicit CListCtrlEx(QWidget* parent);
    ~CListCtrlEx() override;

    // position is clamped to 0 .. column count.
    void InsertColumn(const std::string& name, int width, int position);
    // position below 0 or past the end appends. Returns the new row's index.
    int InsertRow(const std::string& text, int position = -1);
    // 0 for a row outside the list.
    int DeleteRow(int row);
    // Swaps row with the next one; 0 when there is no next one. The selection stays put.
    int MoveRowDown(int row);
    // column < 0 replaces the whole row; otherwise one cell of a column that exists.
    void SetCellText(int row, int column, const std::string& text);
    // -1 when no row is selected.
    int GetCurSel() const;
    // Selects row (clamped to the list and the selection limit) and scrolls it into view.
    // Returns the row selected now.
    int SelectRow(int row);
    void UpdateScrollBars();

    // No row after limit can be selected; -1 lifts the limit.
    void SetSelectionLimit(int limit) { selectionLimit_ = limit; }
    int GetSelectionLimit() const { return selectionLimit_; }
    // The row drawn in the mark colour; -1 for none.
    void SetMarkedRow(int row);
    int GetMarkedRow() const { return markedRow_; }
    void SetMarkColor(uint32_t colorRef);
    uint32_t GetMarkColor() const { return markColor_; }

    int GetColumnCount() const { return static_cast<int>(columns_.size()); }
    // A column below GetColumnCount.
    const COLUMN_INFO& GetColumn(int column) const { return *columns_[static_cast<size_t>(column)]; }
    int GetRowCount() const { return static_cast<int>(rows_.size()); }
    // Empty for a row outside the list.
    std::string GetRowText(int row) const;
    int GetFirstRow() const { return firstRow_; }
    int GetRowsPerPage() const { return rowsPerPage_; }
    int GetRowHeight() const { return rowHeight_; }
    const QFont& GetListFont() const { return font_; }

signals:
    // A left or right double-click on a row of an enabled list; the owner reacts to it.
    void doubleClicked(Qt::MouseButton button);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The view scrolls itself from the bar's actions.
    void scrollContentsBy(int dx, int dy) override;

private slots:
    void OnVScroll(int action);

private:
    // True when the key was handled (or swallowed).
    bool PreTranslateMessage(const QKeyEvent* event);
    void LayoutHeader();
    void DrawHeader(QPainter& painter);
    void DrawRow(QPainter& painter, int row, int top, const QColor& window);
    int RowTop(int row) const;
    QRect RowBand(int row) const;
    void InvalidateRow(int row);
    bool InRowsArea(int y) const;
    int RowAt(int y) const;
    // The largest first row the scroll bar offers.
    int ScrollLimit() const;
    void MeasureRowsPerPage();

    QFont font_;
    std::vector<std::unique_ptr<COLUMN_INFO>> columns_;
    std::vector<std::unique_ptr<ROW_INFO>> rows_;
    uint32_t markColor_ = kDefaultMarkColor;
    int rowHeight_ = 13;
    int selectedRow_ = 0;
    int selectionLimit_ = -1;
    int markedRow_ = -1;
    int firstRow_ = 0;
    int rowsPerPage_ = 42;
    int scrollPosition_ = 0;
    bool enabled_ = true;
    bool captured_ = false;
};
