#include "gui/panels/CAddressBookPnl.h"

#include <algorithm>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "core/host/PluginHandler.h"
#include "core/tables/AddressBook.h"
#include "gui/ControlId.h"
#include "gui/PelagorFonts.h"
#include "gui/panels/NodeRowSink.h"
#include "gui/panels/TimeLineNodeRows.h"
#include "gui/views/CListCtrlEx.h"
#include "platform/MessageBox.h"
#include "platform/WindowMessages.h"

namespace {

constexpr int kMargin = 5;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 4;
constexpr int kEntryTop = 5;
constexpr int kEntryHeight = 22;
constexpr int kListTop = 32;
constexpr int kListGap = 10;
constexpr int kButtonsWidth = 2 * kButtonWidth + kButtonGap;
constexpr uint32_t kNoNode = 0xFFFFFFFF;

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The index of the first item that begins with text, without regard to case; -1 for none.
int FindPrefixItem(const QComboBox* box, const QString& text)
{
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(text, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

} // namespace

CAddressBookPnl::CAddressBookPnl(QWidget* parent) : CPanel(parent, 147)
{
    auto button = [this](int id, const char* text) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        SetControlId(b, id);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    autoRegisterBox_ = new QCheckBox(QStringLiteral("Auto-register"), this);
    SetControlId(autoRegisterBox_, kAutoRegisterId);
    removeAllButton_ = button(kRemoveAllId, "all");
    removeButton_ = button(kRemoveId, "Remove");
    addButton_ = button(kAddId, "Add");
    moveUpButton_ = button(kMoveUpId, "Move UP");
    moveDownButton_ = button(kMoveDownId, "Move DOWN");
    connect(autoRegisterBox_, &QCheckBox::clicked, this, [this] { OnAutoRegister(); });
    connect(removeAllButton_, &QPushButton::clicked, this, [this] { OnRemoveAll(); });
    connect(removeButton_, &QPushButton::clicked, this, [this] { OnRemove(); });
    connect(addButton_, &QPushButton::clicked, this, [this] { OnAdd(); });
    connect(moveUpButton_, &QPushButton::clicked, this, [this] { OnMoveUp(); });
    connect(moveDownButton_, &QPushButton::clicked, this, [this] { OnMoveDown(); });
    LayoutControls();
}

CAddressBookPnl::~CAddressBookPnl()
{
    ClearControls();
}

void CAddressBookPnl::SetTimeLine(CPacketTimeLineCtrl* timeLine)
{
    timeLine_ = timeLine;
    timeLineRows_.reset(timeLine != nullptr ? new TimeLineNodeRows(timeLine) : nullptr);
}

NodeRowSink* CAddressBookPnl::Sink() const
{
    return sink_ != nullptr ? sink_ : timeLineRows_.get();
}

uint32_t CAddressBookPnl::NodeValue(int row) const
{
    return row >= 0 && row < RowCount() ? rows_[static_cast<size_t>(row)].value : kNoNode;
}

QWidget* CAddressBookPnl::EntryControl(int column) const
{
    return column >= 0 && column < static_cast<int>(entries_.size()) ? entries_[static_cast<size_t>(column)]
                                                                       : nullptr;
}

// ---------------------------------------------------------------- controls

void CAddressBookPnl::CreateEntryControls(AddressBook* layout, bool autoRegister)
{
    ClearControls();
    layout_ = layout;
    autoRegister_ = autoRegister;
    if (layout == nullptr || layout->GetColumnCount() == 0)
        return;

    entryFont_ = PelagorFont("Arial", 8.5);
    list_ = new CListCtrlEx(this);
    SetControlId(list_, kNodeListId);
    list_->setFrameShape(QFrame::StyledPanel);
    list_->setFrameShadow(QFrame::Sunken);
    list_->installEventFilter(this);
    connect(list_, &CListCtrlEx::doubleClicked, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            CopyToEntryControls();
        else if (button == Qt::RightButton)
            OnRemove();
    });

    const std::vector<TAB_ADDR_BOOK_REC>& columns = layout->Columns();
    for (size_t i = 0; i < columns.size(); ++i) {
        const TAB_ADDR_BOOK_REC& column = columns[i];
        QWidget* control = nullptr;
        if (column.CTRL_TYPE == kCtrlCombobox) {
            auto* box = new QComboBox(this);
            box->setMaxVisibleItems(8);
            box->setPlaceholderText(QString::fromLatin1(column.CTRL_LABEL));
            control = box;
        } else {
            auto* edit = new QLineEdit(this);
            edit->setMaxLength(std::max(static_cast<int>(column.MAX_CHAR) - 1, 0));
            edit->setPlaceholderText(QString::fromLatin1(column.CTRL_LABEL));
            control = edit;
        }
        SetControlId(control, kFirstEntryId + static_cast<int>(i));
        control->setFont(entryFont_);
        control->setFocusPolicy(Qt::StrongFocus);
        control->show();
        entries_.push_back(control);
        controlTypes_.push_back(column.CTRL_TYPE == kCtrlCombobox ? kCtrlCombobox : kCtrlEdit);
        rightEdges_.push_back(0);
        list_->InsertColumn(column.ITEM_NAME, column.COLUMN_WIDTH, static_cast<int>(i));
    }
    entries_.front()->installEventFilter(this);

    if (autoRegister) {
        autoRegisterBox_->setEnabled(true);
        autoRegisterBox_->setChecked(true);
        if (host_ != nullptr)
            host_->SetAddrBookAutoRegister(1);
    } else {
        autoRegisterBox_->setChecked(false);
        autoRegisterBox_->setEnabled(false);
    }
    list_->setEnabled(true);
    list_->show();
    LayoutControls();
}

void CAddressBookPnl::ClearControls()
{
    for (QWidget* control : entries_)
        delete control;
    entries_.clear();
    controlTypes_.clear();
    rightEdges_.clear();
    rows_.clear();
    delete list_;
    list_ = nullptr;
    entryFont_ = QFont();
}

void CAddressBookPnl::resizeEvent(QResizeEvent* event)
{
    CPanel::resizeEvent(event);
    LayoutControls();
}

void CAddressBookPnl::LayoutControls()
{
    const int w = width();
    const int h = height();
    // Two columns of buttons at the right edge: Add beside the entry row, Remove and "all",
    // the two moves, then the check box across both.
    const int left = std::max(w - kMargin - kButtonsWidth, 0);
    const int second = left + kButtonWidth + kButtonGap;
    const int row = kButtonHeight + kButtonGap;
    addButton_->setGeometry(left, kEntryTop, kButtonWidth, kButtonHeight);
    removeButton_->setGeometry(left, kEntryTop + row, kButtonWidth, kButtonHeight);
    removeAllButton_->setGeometry(second, kEntryTop + row, kButtonWidth, kButtonHeight);
    moveUpButton_->setGeometry(left, kEntryTop + 2 * row, kButtonWidth, kButtonHeight);
    moveDownButton_->setGeometry(second, kEntryTop + 2 * row, kButtonWidth, kButtonHeight);
    autoRegisterBox_->setGeometry(left, kEntryTop + 3 * row, kButtonsWidth, kButtonHeight);

    if (list_ == nullptr || layout_ == nullptr)
        return;
    const int listRight = std::max(left - kListGap, 0);
    list_->setGeometry(0, kListTop, listRight, std::max(h - kListTop, 0));

    const std::vector<TAB_ADDR_BOOK_REC>& columns = layout_->Columns();
    int x = 0;
    for (size_t i = 0; i < entries_.size() && i < columns.size(); ++i) {
        int right = columns[i].COLUMN_WIDTH == 1 ? w - kButtonWidth - 20 : x + columns[i].COLUMN_WIDTH;
        right = std::min(right, listRight);
        if (i + 1 == entries_.size())
            right = listRight;
        right = std::max(right, x);
        rightEdges_[i] = right;
        entries_[i]->setGeometry(x, kEntryTop, right - x, kEntryHeight);
        x = right;
    }
}

// ---------------------------------------------------------------- rows

int CAddressBookPnl::FindRow(uint32_t value) const
{
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].value == value)
            return static_cast<int>(i);
    }
    return -1;
}

int CAddressBookPnl::SelectedRow() const
{
    if (list_ == nullptr)
        return -1;
    const int s = list_->GetCurSel();
    return s >= 0 && s < RowCount() && s < list_->GetRowCount() ? s : -1;
}

bool CAddressBookPnl::FirstColumnIsEdit() const
{
    return !controlTypes_.empty() && controlTypes_.front() == kCtrlEdit;
}

std::string CAddressBookPnl::RecordColumnText(int column)
{
    const char* text = layout_->GetColumnText(static_cast<uint16_t>(column));
    return text != nullptr ? std::string(text) : std::string();
}

std::string CAddressBookPnl::RecordRowText()
{
    std::string text;
    for (size_t i = 0; i < entries_.size(); ++i) {
        text += RecordColumnText(static_cast<int>(i));
        text += '\t';
    }
    return text;
}

void CAddressBookPnl::RememberComboboxValues()
{
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (controlTypes_[i] != kCtrlCombobox)
            continue;
        const QString text = Latin1(RecordColumnText(static_cast<int>(i)));
        auto* box = static_cast<QComboBox*>(entries_[i]);
        if (!text.isEmpty() && FindPrefixItem(box, text) < 0)
            box->addItem(text);
    }
}

void CAddressBookPnl::InsertNode(int position, uint32_t value, const std::string& text)
{
    position = std::clamp(position, 0, RowCount());
    list_->InsertRow(text, position);
    rows_.insert(rows_.begin() + position, ADDR_BOOK_ROW{value, text});
    // A node the user added has no packet yet; its time-line row comes with the book's row.
    if (NodeRowSink* sink = Sink()) {
        sink->AddNodes(value, kNoNode);
        if (FirstColumnIsEdit())
            sink->SetNodeName(value, text.substr(0, text.find('\t')).c_str());
    }
}

void CAddressBookPnl::UpdateNode(int row, const std::string& text)
{
    list_->SetCellText(row, -1, text);
    rows_[static_cast<size_t>(row)].text = text;
    NodeRowSink* sink = Sink();
    if (sink != nullptr && FirstColumnIsEdit())
        sink->SetNodeName(rows_[static_cast<size_t>(row)].value, text.substr(0, text.find('\t')).c_str());
}

void CAddressBookPnl::DeleteNode(int row)
{
    list_->DeleteRow(row);
    rows_.erase(rows_.begin() + row);
}

// ---------------------------------------------------------------- notices

void CAddressBookPnl::OnWindowMessage(uint32_t message, uint64_t, int64_t, const std::string&)
{
    if (message == platform::WM_ADDRBOOK_PENDING)
        ReadPendingRecords();
}

void CAddressBookPnl::ReadPendingRecords()
{
    if (!Ready())
        return;
    ADDR_BOOK_REC& rec = layout_->Record();
    while (host_->GetPendingRec(&rec) != 0)
        ApplyNotice(rec);
}

void CAddressBookPnl::ApplyNotice(const ADDR_BOOK_REC& rec)
{
    const int row = FindRow(rec.value);
    switch (rec.type) {
    case 1:
        RememberComboboxValues();
        if (row >= 0)
            UpdateNode(row, RecordRowText());
        else
            // New nodes are appended; an index from before the user's removals lies past the end.
            InsertNode(std::min<int>(rec.index, RowCount()), rec.value, RecordRowText());
        break;
    case 2:
        RememberComboboxValues();
        if (row >= 0)
            UpdateNode(row, RecordRowText());
        break;
    case 3:
        if (row < 0)
            break;
        if (FirstColumnIsEdit() && Sink() != nullptr)
            Sink()->RemoveNode(rec.value);
        DeleteNode(row);
        break;
    case 4:
        RememberComboboxValues();
        break;
    case 5: {
        const int target = row >= 0 ? row : (rec.index < RowCount() ? rec.index : -1);
        if (target >= 0) {
            const std::string text = RecordRowText();
            list_->SetCellText(target, -1, text);
            rows_[static_cast<size_t>(target)].text = text;
        }
        break;
    }
    default:
        break;
    }
}

void CAddressBookPnl::DiscardPendingRecords()
{
    ADDR_BOOK_REC& rec = layout_->Record();
    std::vector<ADDR_BOOK_ROW> discarded;
    while (host_->GetPendingRec(&rec) != 0) {
        if (rec.type == 1 || rec.type == 2)
            discarded.push_back(ADDR_BOOK_ROW{rec.value, RecordRowText()});
    }
    // A frame decoded between the clear and the drain left its node in the book and its notice
    // among the discarded ones: take the latest notice that shows that node.
    for (int i = 0; host_->GetNodeAdrB(i, &rec) != 0; ++i) {
        const std::string text = RecordRowText();
        for (auto it = discarded.rbegin(); it != discarded.rend(); ++it) {
            if (it->text == text && FindRow(it->value) < 0) {
                InsertNode(RowCount(), it->value, text);
                break;
            }
        }
    }
}

void CAddressBookPnl::ClearAll()
{
    if (list_ != nullptr) {
        while (list_->GetRowCount() > 0)
            list_->DeleteRow(list_->GetRowCount() - 1);
    }
    rows_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (controlTypes_[i] == kCtrlCombobox)
            static_cast<QComboBox*>(entries_[i])->clear();
        else
            static_cast<QLineEdit*>(entries_[i])->clear();
    }
    if (host_ == nullptr)
        return;
    host_->RemoveAllNodesAddrBook();
    // What was queued before the clear speaks of nodes that are gone.
    if (Ready())
        DiscardPendingRecords();
}

// ---------------------------------------------------------------- buttons

void CAddressBookPnl::OnAdd()
{
    if (!Ready())
        return;
    const std::vector<TAB_ADDR_BOOK_REC>& columns = layout_->Columns();
    std::vector<std::pair<int, std::string>> texts;
    for (size_t i = 0; i < entries_.size() && i < columns.size(); ++i) {
        if (controlTypes_[i] == kCtrlCombobox) {
            auto* box = static_cast<QComboBox*>(entries_[i]);
            if (box->currentIndex() >= 0)
                texts.emplace_back(static_cast<int>(i), box->currentText().toLatin1().toStdString());
            continue;
        }
        std::string text = static_cast<QLineEdit*>(entries_[i])->text().toLatin1().toStdString();
        const size_t limit = columns[i].MAX_CHAR > 0 ? columns[i].MAX_CHAR - 1u : 0u;
        if (text.size() > limit)
            text.resize(limit);
        if (text.empty())
            return;
        texts.emplace_back(static_cast<int>(i), std::move(text));
    }
    for (const auto& [column, text] : texts)
        layout_->SetColumnText(static_cast<uint16_t>(column), text.c_str());
    if (host_->SetNodeAdrB(&layout_->Record()) != 0)
        ReadPendingRecords();
}

void CAddressBookPnl::OnRemove()
{
    if (!Ready())
        return;
    int s = SelectedRow();
    if (s < 0)
        return;
    // Bring the rows up to the book first, so that the index is the plug-in's index.
    const uint32_t value = rows_[static_cast<size_t>(s)].value;
    ReadPendingRecords();
    s = FindRow(value);
    if (s < 0)
        return;
    host_->RemoveNodeAdrB(s);
    if (NodeRowSink* sink = Sink())
        sink->RemoveNode(value);
    DeleteNode(s);
    if (RowCount() > 0)
        list_->SelectRow(std::min(s, RowCount() - 1));
}

void CAddressBookPnl::OnRemoveAll()
{
    platform::MessageBoxRequest request;
    request.text = "This will delete the entire address book. Do you want to proceed?";
    request.caption = "Pelagor";
    request.icon = platform::MessageIcon::Question;
    request.buttons = platform::MessageButtons::OkCancel;
    if (platform::ShowMessageBox(request) != platform::MessageAnswer::Ok)
        return;
    ClearAll();
    if (NodeRowSink* sink = Sink())
        sink->RemoveAllNodes();
}

void CAddressBookPnl::OnMoveUp()
{
    const int s = SelectedRow();
    if (s >= 0)
        MoveRow(s - 1);
}

void CAddressBookPnl::OnMoveDown()
{
    const int s = SelectedRow();
    if (s >= 0)
        MoveRow(s);
}

// Swaps rows upper and upper + 1; the selected row is one of them.
void CAddressBookPnl::MoveRow(int upper)
{
    if (!Ready())
        return;
    const int s = SelectedRow();
    if (s < 0)
        return;
    const bool down = upper == s;
    const uint32_t value = rows_[static_cast<size_t>(s)].value;
    ReadPendingRecords();
    const int now = FindRow(value);
    if (now < 0)
        return;
    upper = down ? now : now - 1;
    if (upper < 0 || list_->MoveRowDown(upper) == 0)
        return;
    std::swap(rows_[static_cast<size_t>(upper)], rows_[static_cast<size_t>(upper) + 1]);
    if (down) {
        host_->MoveNodeDownAdrB(now);
        list_->SelectRow(now + 1);
    } else {
        host_->MoveNodeUpAdrB(now);
        list_->SelectRow(now - 1);
    }
    if (NodeRowSink* sink = Sink())
        sink->Refresh();
}

void CAddressBookPnl::OnAutoRegister()
{
    if (host_ != nullptr)
        host_->SetAddrBookAutoRegister(autoRegisterBox_->isChecked() ? 1 : 0);
}

void CAddressBookPnl::CopyToEntryControls()
{
    if (!Ready())
        return;
    int r = SelectedRow();
    if (r < 0)
        return;
    const uint32_t value = rows_[static_cast<size_t>(r)].value;
    ReadPendingRecords();
    r = FindRow(value);
    if (r < 0)
        return;
    if (host_->GetNodeAdrB(r, &layout_->Record()) == 0) {
        platform::ShowMessageBox("Not able to find record in Address book!", platform::MessageIcon::Exclamation);
        return;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        const QString text = Latin1(RecordColumnText(static_cast<int>(i)));
        if (controlTypes_[i] == kCtrlCombobox) {
            auto* box = static_cast<QComboBox*>(entries_[i]);
            if (text.isEmpty()) {
                box->setCurrentIndex(-1);
                continue;
            }
            int item = FindPrefixItem(box, text);
            if (item < 0) {
                box->addItem(text);
                item = FindPrefixItem(box, text);
            }
            if (item < 0) {
                platform::ShowMessageBox("Not able to Copy to ComboBox!", platform::MessageIcon::Exclamation);
                continue;
            }
            box->setCurrentIndex(item);
        } else {
            static_cast<QLineEdit*>(entries_[i])->setText(text);
        }
    }
    if (controlTypes_.front() == kCtrlCombobox) {
        entries_.front()->setFocus();
    } else {
        auto* edit = static_cast<QLineEdit*>(entries_.front());
        edit->setFocus();
        edit->selectAll();
    }
}

// ---------------------------------------------------------------- keys

bool CAddressBookPnl::eventFilter(QObject* watched, QEvent* event)
{
    if (host_ == nullptr || !host_->AddressBookSupported() || entries_.empty())
        return CPanel::eventFilter(watched, event);
    QWidget* first = entries_.front();
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == list_) {
            if (key == Qt::Key_Escape) {
                first->setFocus();
                return true;
            }
            if (enter) {
                CopyToEntryControls();
                return true;
            }
            if (key == Qt::Key_Delete) {
                OnRemove();
                return true;
            }
        } else if (watched == first && enter) {
            OnAdd();
            list_->setFocus();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == first &&
               controlTypes_.front() == kCtrlEdit) {
        static_cast<QLineEdit*>(first)->selectAll();
        return true;
    }
    return CPanel::eventFilter(watched, event);
}
