#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <QTimer>

#include "plugin/frame/ParsedData.h"
#include "gui/views/ScrollStep.h"

class CPacketTimeLineCtrl;
class FieldInfo;
class PacketManager;
class PluginHandler;
class QPainter;
struct TAB_FIELD_DEF_REC;

// The scrolling list of packets: one row a packet, each row a strip of coloured boxes, one box
// a field. It keeps no packets: each paint pulls the visible ones from the store.
class CPacketListCtrl : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kRowPitch = 53;
    static constexpr int kBoxHeight = 46;
    static constexpr int kIndentStep = 30;
    static constexpr int kHorizontalStep = 64;
    static constexpr int kAutoScrollTimerId = 106;
    static constexpr int kAutoScrollMs = 250;
    // How soon a row the store could not deliver yet is asked for again.
    static constexpr int kMissingRowPollMs = 40;
    static constexpr uint32_t kErrorColour = 0xF947F9;

    explicit CPacketListCtrl(QWidget* parent);
    ~CPacketListCtrl() override;

    void SetPacketManager(PacketManager* store) { store_ = store; }
    void SetPluginHandler(PluginHandler* host) { host_ = host; }
    void SetFieldInfo(FieldInfo* fields) { fields_ = fields; }
    void SetTimeLine(CPacketTimeLineCtrl* timeLine) { timeLine_ = timeLine; }

    int SetSmallFont(int small);
    void AllocFieldBuffer(uint16_t capacity);
    void UpdateScrollBars();
    void SelectPacket(int row);
    int GetSelectedPacket() const { return selectedRow_; }
    void StopAutoScroll();

    void SetAutoScroll(bool on) { autoScroll_ = on; }
    bool AutoScroll() const { return autoScroll_; }
    int TopRow() const { return topRow_; }
    int RowsPerPage() const { return rowsPerPage_; }
    int HorizontalPosition() const { return horizontalPosition_; }
    int Extent() const { return extent_; }
    // A paint left a visible row undrawn: its packet was not in the cache yet.
    bool RepaintNeeded() const { return repaintNeeded_; }
    int RowCount() const;
    // Time the painting has spent in the store's GetPacket, in nanoseconds, since construction.
    int64_t StoreTimeNs() const { return storeTimeNs_; }
    // The texts of the error boxes, by status; 0 has none.
    static const char* ErrorText(int32_t status);

    // How a scroll bar moves: a line, a page, or to a thumb position.
    using Scroll = ScrollStep;
    void VerticalScroll(Scroll action, int position);
    void HorizontalScroll(Scroll action, int position);
    // The auto-scroll step of its timer.
    void AutoScrollStep();

signals:
    // The user scrolled by hand: the owner releases its auto-scroll button.
    void autoScrollStopped();
    // A double-click on a row: the owner shows the packet's details.
    void packetDoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:

    bool DrawRow(QPainter& painter, int x, int y, int position, bool selected);
    int BoxWidth(int fieldId, const TAB_FIELD_DEF_REC& def, std::string_view text);
    void DrawFrame(QPainter& painter, int x, int y, int right, const QColor& fill, const QColor& row);
    void DrawFieldBox(QPainter& painter, int x, int y, int width, const TAB_FIELD_DEF_REC& def,
                      std::string_view text, const QColor& row, int infoFlags);
    int DrawErrorBox(QPainter& painter, int x, int y, int32_t code, int32_t dataLength, const QString* text,
                     const QColor& row, int minimumWidth);
    int TextWidth(const QFont& font, const QString& text) const;
    static int MonospaceWidth(int advance, std::string_view text);
    const QString& Latin1(std::string_view text);
    void OnScrollAction(int action);
    void OnHorizontalAction(int action);
    bool InRowsArea(const QPoint& point) const;
    void EnsureFieldBuffer();
    int HeaderWidth(int fieldId, const TAB_FIELD_DEF_REC& def);

    PacketManager* store_ = nullptr;
    PluginHandler* host_ = nullptr;
    FieldInfo* fields_ = nullptr;
    CPacketTimeLineCtrl* timeLine_ = nullptr;
    PARSED_DATA packet_{};
    std::vector<char> fieldBuffer_;
    bool repaintNeeded_ = false;
    bool autoScroll_ = false;
    QFont valueFont_;
    QFont subheadingFont_;
    QFont headingFont_;
    // The one glyph advance of each fixed-pitch font, taken when the fonts are made.
    int valueAdvance_ = 0;
    int subheadingAdvance_ = 0;
    int extent_ = 0;
    int horizontalPosition_ = 0;
    int rowsPerPage_ = 0;
    int topRow_ = 0;
    int selectedRow_ = 0;
    bool capturing_ = false;
    int64_t storeTimeNs_ = 0;

    // Header and subheader widths by field id, measured once for their texts and fonts.
    struct HeaderWidthEntry {
        bool valid = false;
        int width = 0;
        char header[41] = {};
        char subheader[101] = {};
    };
    std::vector<HeaderWidthEntry> headerWidths_;
    QString scratch_;
    QTimer autoScrollTimer_;
    QTimer missingRowTimer_;
};
