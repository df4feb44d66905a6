#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QFont>

#include "gui/WindowMessageTarget.h"
#include "gui/panels/AddrBookRow.h"
#include "gui/panels/CPanel.h"

class AddressBook;
class CListCtrlEx;
class CPacketTimeLineCtrl;
class NodeRowSink;
class PluginHandler;
class QCheckBox;
class QPushButton;
class QResizeEvent;
struct ADDR_BOOK_REC;

// The "Address book" tab: the plug-in's nodes. Told of the plug-in's notices by message.
// Rows are matched to notices by node value, never by the notice's index alone: during a
// capture the queued indexes may predate the user's own edits.
class CAddressBookPnl : public CPanel, public WindowMessageTarget {
public:
    static constexpr int kAutoRegisterId = 1027;
    static constexpr int kRemoveAllId = 1024;
    static constexpr int kRemoveId = 1023;
    static constexpr int kAddId = 1022;
    static constexpr int kMoveUpId = 1025;
    static constexpr int kMoveDownId = 1026;
    static constexpr int kNodeListId = 1021;
    static constexpr int kFirstEntryId = 3501;
    static constexpr int kCtrlEdit = 1;
    static constexpr int kCtrlCombobox = 2;

    explicit CAddressBookPnl(QWidget* parent);
    ~CAddressBookPnl() override;

    void SetPluginHandler(PluginHandler* host) { host_ = host; }
    void SetTimeLine(CPacketTimeLineCtrl* timeLine);
    // Where the rows are mirrored instead of the time line (not owned); null: the time line.
    void SetNodeRowSink(NodeRowSink* sink) { sink_ = sink; }
    void CreateEntryControls(AddressBook* layout, bool autoRegister);
    void ClearControls();
    void ClearAll();

    void OnWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam, const std::string& text) override;

    // The buttons and the node list's actions.
    void ReadPendingRecords();
    void OnAdd();
    void OnRemove();
    void OnRemoveAll();
    void OnMoveUp();
    void OnMoveDown();
    void OnAutoRegister();
    void CopyToEntryControls();

    CListCtrlEx* NodeList() const { return list_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // The node value of a row; 0xFFFFFFFF for a row outside the list.
    uint32_t NodeValue(int row) const;
    QWidget* EntryControl(int column) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NodeRowSink* Sink() const;
    bool Ready() const { return host_ != nullptr && layout_ != nullptr && list_ != nullptr; }
    // The row of a node value, or -1.
    int FindRow(uint32_t value) const;
    // The selected row when it is one of the list's, else -1.
    int SelectedRow() const;
    std::string RecordRowText();
    std::string RecordColumnText(int column);
    bool FirstColumnIsEdit() const;
    void RememberComboboxValues();
    void InsertNode(int position, uint32_t value, const std::string& text);
    void UpdateNode(int row, const std::string& text);
    void DeleteNode(int row);
    void ApplyNotice(const ADDR_BOOK_REC& rec);
    // Empties the notice queue after the book was cleared; nodes the plug-in registered since
    // the clear come back from the book.
    void DiscardPendingRecords();
    void MoveRow(int upper);
    void LayoutControls();

    PluginHandler* host_ = nullptr;
    AddressBook* layout_ = nullptr;
    CPacketTimeLineCtrl* timeLine_ = nullptr;
    QCheckBox* autoRegisterBox_ = nullptr;
    QPushButton* removeAllButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* moveUpButton_ = nullptr;
    QPushButton* moveDownButton_ = nullptr;
    CListCtrlEx* list_ = nullptr;
    std::vector<QWidget*> entries_;
    std::vector<int> controlTypes_;
    std::vector<int> rightEdges_;
    std::vector<ADDR_BOOK_ROW> rows_;
    QFont entryFont_;
    std::unique_ptr<NodeRowSink> timeLineRows_;
    NodeRowSink* sink_ = nullptr;
    bool autoRegister_ = false;
};
