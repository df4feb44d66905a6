#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include <QAbstractScrollArea>
#include <QFont>

#include "core/store/NodeSink.h"
#include "gui/views/FrameDefRec.h"
#include "gui/views/NodeName.h"
#include "plugin/frame/ParsedData.h"
#include "gui/views/ScrollStep.h"

class CPacketListCtrl;
class PacketManager;
class QPainter;

// The time line of packets against their nodes. The store tells it of new nodes on its
// reader or file thread.
class CPacketTimeLineCtrl : public QAbstractScrollArea, public NodeSink {
public:
    static constexpr int kNameWidth = 120;
    static constexpr int kColumnPitch = 5;
    static constexpr int kMarkWidth = 4;
    static constexpr int kMarkHeight = 7;
    static constexpr int kRowHeight = 13;
    static constexpr int kFirstNodeTop = 26;
    // How many classes a frame table may name: more would only be a broken table.
    static constexpr int kFrameTypeLimit = 65536;
    static constexpr uint32_t kErrorColour = 0xF947F9;
    static constexpr uint32_t kListMarkerColour = 0xE0E0E0;
    static constexpr uint32_t kNone = 0xFFFFFFFF;

    explicit CPacketTimeLineCtrl(QWidget* parent);
    ~CPacketTimeLineCtrl() override;

    void SetPacketList(CPacketListCtrl* list) { list_ = list; }
    void SetPacketManager(PacketManager* store) { store_ = store; }
    int LoadFrameDefinitions(const char* pluginFolder);
    void SetAutoScroll(bool on);
    void RemoveAllNodes();
    void RemoveNode(uint32_t address);
    void SetNodeName(uint32_t address, const char* name);
    // Rows for the packet's source and destination node (0xFFFFFFFF: none); any thread.
    void AddNodes(uint32_t source, uint32_t destination) override;
    void UpdateScrollBars();
    void ScrollTo(int packet);
    void RefreshNewPackets();
    // Invalidates the columns the last paint did not reach, up to area's right and bottom
    // (nullptr: the whole view); force also while auto-scrolling.
    void RefreshNewPackets(const QRect* area, bool force);
    // The packets the view shows: the first one's position and how many columns fit.
    int FirstVisiblePacket() const { return firstPacket_; }
    int VisiblePacketColumns() const { return visibleColumns_; }

    bool AutoScroll() const { return autoScroll_; }
    bool ShowSource() const { return showSource_; }
    int VerticalPosition() const { return verticalPosition_; }
    int VisibleRows() const { return visibleRows_; }
    int PaintedUpTo() const { return paintedUpTo_; }
    bool FrameTableLoaded() const { return frameTableLoaded_; }
    int FrameClassCount() const { return static_cast<int>(frameDefs_.size()); }
    const FRAME_DEF& FrameClass(int index) const { return frameDefs_.at(static_cast<size_t>(index)); }
    int NodeCount() const;
    // A copy of row index, taken under the node mutex.
    NODE_NAME NodeAt(int index) const;
    // Repaints the worker threads asked for, and the paints done, since construction.
    int QueuedRepaints() const { return queuedRepaints_.load(); }
    int PaintCount() const { return paintCount_; }
    // What the paints' copy of the rows holds room for: it grows, it is not made anew.
    size_t PaintBufferCapacity() const { return paintNodes_.capacity(); }
    const void* PaintBuffer() const { return paintNodes_.data(); }

    // How a scroll bar moves: a line, a page, or to a position.
    using Scroll = ScrollStep;
    void HorizontalScroll(Scroll action, int position);
    void VerticalScroll(Scroll action, int position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Index of the row with address, or where it would be inserted; under the node mutex.
    size_t LowerBound(uint32_t address) const;
    bool InsertNode(uint32_t address);
    // A repaint that any thread may ask for: one is queued however many ask before it runs.
    void RequestRepaint();
    void OnQueuedRepaint();
    void OnHorizontalAction(int action);
    void OnVerticalAction(int action);
    int RowCount() const;
    void EnsureFieldBuffer();
    void DrawMark(QPainter& painter, int x, int top, int32_t frameClass);

    int visibleColumns_ = 0;
    int horizontalPosition_ = 0;
    int verticalPosition_ = 0;
    int visibleRows_ = 0;
    int topNode_ = 0;
    int firstPacket_ = 0;
    int dragStartPacket_ = 0;
    int paintedUpTo_ = 0;
    bool showSource_ = true;
    bool autoScroll_ = false;
    CPacketListCtrl* list_ = nullptr;
    PacketManager* store_ = nullptr;
    QFont font_;
    int dragStartX_ = 0;
    std::vector<NODE_NAME> nodes_;
    std::vector<FRAME_DEF> frameDefs_;
    mutable std::mutex nodeMutex_;
    bool frameTableLoaded_ = false;

    bool capturing_ = false;
    PARSED_DATA packet_{};
    std::vector<char> fieldBuffer_;
    // The rows a paint draws from, copied under the mutex: the store may show a box (and so
    // run a nested loop) while the paint asks it for packets.
    std::vector<NODE_NAME> paintNodes_;
    std::atomic<bool> repaintQueued_{false};
    std::atomic<int> queuedRepaints_{0};
    int paintCount_ = 0;
};
