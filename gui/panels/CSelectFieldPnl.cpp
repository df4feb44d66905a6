#include "gui/panels/CSelectFieldPnl.h"

#include <algorithm>
#include <array>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QResizeEvent>
#include <QSignalBlocker>

#include "core/host/CPelagorSettings.h"
#include "core/tables/FieldInfo.h"
#include "gui/ControlId.h"
#include "gui/PelagorFonts.h"
#include "gui/views/CColorEdit.h"
#include "gui/views/CPacketListCtrl.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

namespace {

// Space left of, between and below the group columns when laid out to the panel's size.
constexpr int kGroupGap = 10;
constexpr int kResizeMargin = 60;
constexpr int kSwatchSize = 17;
constexpr int kListTop = 28;
constexpr int kListBottomGap = 43;
// The separator line and the row of option boxes under it.
constexpr int kSeparatorAbove = 33;
constexpr int kSeparatorHeight = 2;
constexpr int kLabelToBox = 5;
constexpr int kPairGap = 20;
constexpr int kNarrowPairGap = 8;
constexpr int kRowLeft = 2;
constexpr int kSmallestBox = 48;

// The pixels a GDI rectangle covers: its right and bottom edge are left out.
QRect GdiRect(int left, int top, int right, int bottom)
{
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// A stored choice outside the box's items falls back to the first.
int StoredIndex(int stored, const QComboBox* box)
{
    return stored < 0 || stored >= box->count() ? 0 : stored;
}

} // namespace

CSelectFieldPnl::CSelectFieldPnl(QWidget* parent) : CPanel(parent, 141)
{
    setFont(PelagorFont("MS Sans Serif", 8));

    separator_ = new QFrame(this);
    SetControlId(separator_, kSeparatorId);
    separator_->setFrameShape(QFrame::HLine);
    separator_->setFrameShadow(QFrame::Sunken);

    timeStampBox_ = AddOptionBox(kTimeStampLabelId, "Time stamp:", kTimeStampBoxId, {"Microseconds", "Milliseconds"},
                                 timeStampLabel_);
    payloadBox_ = AddOptionBox(kPayloadLabelId, "Payload format:", kPayloadBoxId, {"Bytes", "Text"}, payloadLabel_);
    fieldGroupBox_ = AddOptionBox(kFieldGroupLabelId, "Selected Fields:", kFieldGroupBoxId, {}, fieldGroupLabel_);
    lqiRssiBox_ = AddOptionBox(kLqiRssiLabelId, "LQI/RSSI", kLqiRssiBoxId, {"Show LQI", "Show RSSI"}, lqiRssiLabel_);

    // activated: only the user's choices; the restore runs the handlers itself.
    connect(timeStampBox_, &QComboBox::activated, this, [this] { OnTimeStampFormat(); });
    connect(payloadBox_, &QComboBox::activated, this, [this] { OnPayloadFormat(); });
    connect(fieldGroupBox_, &QComboBox::activated, this, [this] { OnSelectedFields(); });
    connect(lqiRssiBox_, &QComboBox::activated, this, [this] { OnLqiRssiFormat(); });
    LayoutBottomRow();

    helpTip_.Add(timeStampBox_,
                 QStringLiteral("Selects whether to display the time stamp (delta and time) in micro- or milliseconds"));
    helpTip_.Add(payloadBox_, QStringLiteral("Data and beacon payload fields can be displayed in hexadecimal and "
                                             "plain-text format. When using plain-text mode, all non-printable "
                                             "characters (e.g. line feed) will be substituted by a star \"*\"."));
    helpTip_.Add(fieldGroupBox_,
                 QStringLiteral("Select group of fields to be displayed. The groups must be defined by the plug-in"));
    helpTip_.Add(lqiRssiBox_, QStringLiteral("Select which fields from the packet footer to be displayed. Use "
                                             "extended selection:\r\n- Hold down [Shift] to select a range of "
                                             "fields\r\n- Hold down [Ctrl] to toggle single fields\r\n- Drag "
                                             "over several fields (holding down the left mouse button) to select "
                                             "the range"));
}

CSelectFieldPnl::~CSelectFieldPnl()
{
    ClearListBoxes();
}

QComboBox* CSelectFieldPnl::AddOptionBox(int labelId, const char* caption, int boxId,
                                         std::initializer_list<const char*> items, QLabel*& label)
{
    label = new QLabel(QString::fromLatin1(caption), this);
    SetControlId(label, labelId);
    auto* box = new QComboBox(this);
    SetControlId(box, boxId);
    box->setEditable(false);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (const char* item : items)
        box->addItem(QString::fromLatin1(item));
    return box;
}

// ---------------------------------------------------------------- building

int CSelectFieldPnl::BuildListBoxes(FieldInfo* fields)
{
    fields_ = fields;
    if (fields_ == nullptr)
        return 0;
    if (!listFont_)
        listFont_ = std::make_unique<QFont>(PelagorFont("Arial", 8.5));
    const int n = fields_->GetListBoxCount();
    if (n < 1 || n > kMaxListBoxes)
        return 0;
    // A build without a clear in between must not stack a second set of the same ids.
    DestroyListBoxes();

    const QRect client = rect();
    const int w = std::max(1, std::min(120, (client.width() - kGroupGap * n - kGroupGap) / n));
    for (int i = 0; i < n; ++i) {
        const int x = client.left() + i * (w + kGroupGap);
        const int top = client.top();

        auto* swatch = new CColorEdit(this);
        SetControlId(swatch, kFirstSwatchId + i);
        swatch->setReadOnly(true);
        swatch->setFocusPolicy(Qt::NoFocus);
        swatch->SetColors(static_cast<uint32_t>(fields_->GetListBoxColor(i)), CColorEdit::kDefaultText);
        swatch->setEnabled(false);
        swatch->setGeometry(x, top + 5, 12, 12);
        swatch->show();
        swatches_.push_back(swatch);

        auto* label = new QLabel(this);
        SetControlId(label, kGroupLabelId);
        label->setFont(*listFont_);
        groupNames_.push_back(QString::fromLatin1(fields_->GetListBoxName(i)));
        groupLabels_.push_back(label);
        PlaceGroupLabel(i, GdiRect(x + 15, top + 5, x + w, top + 17));
        label->show();

        const int id = kFirstListBoxId + i;
        auto* box = new QListWidget(this);
        SetControlId(box, id);
        box->setSelectionMode(QAbstractItemView::ExtendedSelection);
        box->setFont(*listFont_);
        box->setFrameShadow(QFrame::Sunken);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setGeometry(GdiRect(x, top + 25, x + w, top + 145));
        std::vector<unsigned> indexes;
        int field = -1;
        for (const char* name = fields_->FindFirstListBoxField(i, field); name != nullptr;
             name = fields_->FindNextListBoxField(i, field)) {
            box->addItem(QString::fromLatin1(name));
            indexes.push_back(static_cast<unsigned>(field));
        }
        if (box->count() > 0) {
            // Selected now, applied by the restore below.
            QSignalBlocker quiet(box);
            box->selectAll();
        }
        connect(box, &QListWidget::itemSelectionChanged, this, [this, id] { ApplyListBoxSelection(id); });
        box->show();
        listBoxes_.push_back(box);
        fieldIndexes_.push_back(std::move(indexes));
    }
    // When the panel has its size already (a reload) no resize will follow.
    if (!client.isEmpty())
        LayoutListBoxes();

    CPelagorSettings settings;
    settings.Load();
    struct Option {
        QComboBox* box;
        bool present;
        int stored;
        void (CSelectFieldPnl::*handler)();
    };
    const std::array<Option, 3> options{{
        {timeStampBox_, fields_->HasTimeStampPair(), settings.SelectedTimeStampMode, &CSelectFieldPnl::OnTimeStampFormat},
        {payloadBox_, fields_->HasPayloadPair(), settings.SelectedPayLoadMode, &CSelectFieldPnl::OnPayloadFormat},
        {lqiRssiBox_, fields_->HasLqiRssiPair(), settings.SelectedLqiRssiMode, &CSelectFieldPnl::OnLqiRssiFormat},
    }};
    for (const Option& option : options) {
        option.box->setEnabled(option.present);
        if (!option.present)
            continue;
        option.box->setCurrentIndex(StoredIndex(option.stored, option.box));
        (this->*option.handler)();
    }

    fieldGroupBox_->clear();
    const int groups = fields_->GetSelGroupCount();
    if (groups < 1) {
        SelectAllFields();
        fieldGroupBox_->setEnabled(false);
    } else {
        fieldGroupBox_->setEnabled(true);
        fieldGroupBox_->addItem(QStringLiteral("All"));
        fieldGroupBox_->addItem(QStringLiteral("None"));
        for (int g = 0; g < groups; ++g)
            fieldGroupBox_->addItem(QString::fromLatin1(fields_->GetSelGroupName(g)));
        fieldGroupBox_->setCurrentIndex(StoredIndex(settings.SelectedFieldGroup, fieldGroupBox_));
        OnSelectedFields();
    }
    LayoutBottomRow();
    return 1;
}

void CSelectFieldPnl::ClearListBoxes()
{
    DestroyListBoxes();
    listFont_.reset();
}

void CSelectFieldPnl::DestroyListBoxes()
{
    for (QListWidget* box : listBoxes_)
        delete box;
    for (CColorEdit* swatch : swatches_)
        delete swatch;
    for (QLabel* label : groupLabels_)
        delete label;
    listBoxes_.clear();
    swatches_.clear();
    groupLabels_.clear();
    groupNames_.clear();
    fieldIndexes_.clear();
}

void CSelectFieldPnl::SaveSettings()
{
    CPelagorSettings settings;
    settings.Load(); // keeps the values this panel does not own
    if (fields_ == nullptr)
        return;
    if (fields_->HasLqiRssiPair())
        settings.SelectedLqiRssiMode = lqiRssiBox_->currentIndex();
    if (fields_->HasPayloadPair())
        settings.SelectedPayLoadMode = payloadBox_->currentIndex();
    if (fields_->HasTimeStampPair())
        settings.SelectedTimeStampMode = timeStampBox_->currentIndex();
    if (fields_->GetSelGroupCount() >= 1)
        settings.SelectedFieldGroup = fieldGroupBox_->currentIndex();
    settings.Save();
}

// ---------------------------------------------------------------- selections

void CSelectFieldPnl::ApplyListBoxSelection(unsigned id)
{
    if (fields_ == nullptr || id < static_cast<unsigned>(kFirstListBoxId) || id > static_cast<unsigned>(kLastListBoxId))
        return;
    const size_t group = id - static_cast<unsigned>(kFirstListBoxId);
    if (group >= listBoxes_.size())
        return;
    QListWidget* box = listBoxes_[group];
    const std::vector<unsigned>& indexes = fieldIndexes_[group];
    for (int k = 0; k < box->count() && static_cast<size_t>(k) < indexes.size(); ++k) {
        const int field = static_cast<int>(indexes[static_cast<size_t>(k)]);
        if (box->item(k)->isSelected())
            fields_->ShowField(field);
        else
            fields_->HideField(field);
    }
    RepaintPacketList();
}

void CSelectFieldPnl::ApplyAllListBoxes()
{
    for (size_t i = 0; i < listBoxes_.size(); ++i)
        ApplyListBoxSelection(static_cast<unsigned>(kFirstListBoxId + static_cast<int>(i)));
}

void CSelectFieldPnl::RepaintPacketList()
{
    if (list_ == nullptr)
        return;
    list_->viewport()->update();
    list_->UpdateScrollBars();
}

void CSelectFieldPnl::SetAllSelected(bool selected)
{
    for (size_t i = 0; i < listBoxes_.size(); ++i) {
        {
            // The panel applies the change itself, once per box.
            QSignalBlocker quiet(listBoxes_[i]);
            if (selected)
                listBoxes_[i]->selectAll();
            else
                listBoxes_[i]->clearSelection();
        }
        ApplyListBoxSelection(static_cast<unsigned>(kFirstListBoxId + static_cast<int>(i)));
    }
}

void CSelectFieldPnl::SelectAllFields()
{
    SetAllSelected(true);
}

void CSelectFieldPnl::SelectNoFields()
{
    SetAllSelected(false);
}

bool CSelectFieldPnl::SelectItemsOf(int group, int position, unsigned field)
{
    // The catalogue's group and position are only a hint: a group may be unknown here, and a
    // group whose items are split in the item table lists only its first run.
    if (group < 0 || static_cast<size_t>(group) >= listBoxes_.size())
        return false;
    QListWidget* box = listBoxes_[static_cast<size_t>(group)];
    const std::vector<unsigned>& indexes = fieldIndexes_[static_cast<size_t>(group)];
    QSignalBlocker quiet(box);
    if (position >= 0 && static_cast<size_t>(position) < indexes.size() &&
        indexes[static_cast<size_t>(position)] == field) {
        box->item(position)->setSelected(true);
        return true;
    }
    bool found = false;
    for (size_t k = 0; k < indexes.size(); ++k) {
        if (indexes[k] == field) {
            box->item(static_cast<int>(k))->setSelected(true);
            found = true;
        }
    }
    return found;
}

void CSelectFieldPnl::SelectGroupField(unsigned field)
{
    if (fields_ == nullptr)
        return;
    const int id = static_cast<int>(field);
    bool found = false;
    int group = 0;
    int position = 0;
    if (!listBoxes_.empty()) {
        for (int more = fields_->FirstSelGroupItem(id, group, position); more != 0;
             more = fields_->NextSelGroupItem(id, group, position))
            found = SelectItemsOf(group, position, field) || found;
    }
    if (!found)
        platform::ShowMessageBox(
            platform::FormatText("No List box item found for current selection: nFieldIndex = %d.", id));
}

// ---------------------------------------------------------------- option boxes

void CSelectFieldPnl::OnTimeStampFormat()
{
    if (fields_ == nullptr)
        return;
    switch (timeStampBox_->currentIndex()) {
    case 0:
        fields_->SetMicrosecondsFlag(true);
        fields_->SetDisplayMode(FieldInfo::kModeMicroseconds);
        break;
    case 1:
        fields_->SetMicrosecondsFlag(false);
        fields_->SetDisplayMode(FieldInfo::kModeMilliseconds);
        break;
    default:
        platform::ShowMessageBox("Unknown Time stamp format.");
        return;
    }
    // ShowField settles which member of each pair shows.
    ApplyAllListBoxes();
}

void CSelectFieldPnl::OnPayloadFormat()
{
    if (fields_ == nullptr)
        return;
    switch (payloadBox_->currentIndex()) {
    case 0:
        fields_->SetBytesFlag(true);
        fields_->SetDisplayMode(FieldInfo::kModeBytes);
        break;
    case 1:
        fields_->SetBytesFlag(false);
        fields_->SetDisplayMode(FieldInfo::kModeText);
        break;
    default:
        platform::ShowMessageBox("Unknown payload format.");
        return;
    }
    ApplyAllListBoxes();
}

void CSelectFieldPnl::OnLqiRssiFormat()
{
    if (fields_ == nullptr)
        return;
    switch (lqiRssiBox_->currentIndex()) {
    case 0:
        fields_->SetLqiFlag(true);
        fields_->SetDisplayMode(FieldInfo::kModeLqi);
        break;
    case 1:
        fields_->SetLqiFlag(false);
        fields_->SetDisplayMode(FieldInfo::kModeRssi);
        break;
    default:
        platform::ShowMessageBox("Unknown LQI or RSSI format.");
        return;
    }
    ApplyAllListBoxes();
}

void CSelectFieldPnl::OnSelectedFields()
{
    if (fields_ == nullptr)
        return;
    const int choice = fieldGroupBox_->currentIndex();
    if (choice < 0)
        return;
    if (choice == 0) {
        SelectAllFields();
        return;
    }
    if (choice == 1) {
        SelectNoFields();
        return;
    }
    const int group = choice - 2;
    SelectNoFields();
    int field = -1;
    if (fields_->FindFirstSelGroupField(group, field) == 0) {
        platform::ShowMessageBox("No Fields found for current selection.");
    } else {
        do
            SelectGroupField(static_cast<unsigned>(field));
        while (fields_->FindNextSelGroupField(group, field) != 0);
    }
    ApplyAllListBoxes();
}

// ---------------------------------------------------------------- layout and keys

bool CSelectFieldPnl::focusNextPrevChild(bool)
{
    return false;
}

void CSelectFieldPnl::resizeEvent(QResizeEvent* event)
{
    CPanel::resizeEvent(event);
    LayoutListBoxes();
    LayoutBottomRow();
}

void CSelectFieldPnl::LayoutListBoxes()
{
    const int n = static_cast<int>(listBoxes_.size());
    if (n == 0)
        return;
    const int width = this->width();
    const int height = this->height();
    // Many groups would push the last column past the right edge.
    int w = std::min((width - kResizeMargin) / n, (width - kGroupGap * (n - 1)) / n);
    w = std::max(w, 2);
    for (int i = 0; i < n; ++i) {
        const int x = i * (w + kGroupGap);
        swatches_[static_cast<size_t>(i)]->setGeometry(x, 0, kSwatchSize, kSwatchSize);
        PlaceGroupLabel(i, GdiRect(x + 21, 0, x + w - 1, 17));
        listBoxes_[static_cast<size_t>(i)]->setGeometry(GdiRect(x, kListTop, x + w - 1, height - kListBottomGap));
    }
}

void CSelectFieldPnl::PlaceGroupLabel(int group, const QRect& where)
{
    // A name wider than its column ends in an ellipsis rather than being cut off.
    QLabel* label = groupLabels_[static_cast<size_t>(group)];
    label->setGeometry(where);
    label->setText(label->fontMetrics().elidedText(groupNames_[static_cast<size_t>(group)], Qt::ElideRight,
                                                   std::max(where.width(), 0)));
}

void CSelectFieldPnl::LayoutBottomRow()
{
    const int width = this->width();
    const int height = this->height();
    const int separatorTop = height - kSeparatorAbove;
    separator_->setGeometry(0, separatorTop, width, kSeparatorHeight);

    struct Pair {
        QLabel* label;
        QComboBox* box;
        int labelWidth;
        int boxWidth;
    };
    std::array<Pair, 4> pairs{{{timeStampLabel_, timeStampBox_, 0, 0},
                               {payloadLabel_, payloadBox_, 0, 0},
                               {fieldGroupLabel_, fieldGroupBox_, 0, 0},
                               {lqiRssiLabel_, lqiRssiBox_, 0, 0}}};
    int labels = 0;
    int boxes = 0;
    for (Pair& pair : pairs) {
        pair.labelWidth =
            std::max(pair.label->sizeHint().width(), pair.label->fontMetrics().horizontalAdvance(pair.label->text()) + 2);
        pair.boxWidth = std::max(pair.box->sizeHint().width(), kSmallestBox + 20);
        labels += pair.labelWidth + kLabelToBox;
        boxes += pair.boxWidth;
    }
    // Too narrow for the natural widths: close the gaps, then narrow the boxes alike.
    const int available = width - 2 * kRowLeft;
    int gap = kPairGap;
    if (labels + boxes + 3 * gap > available)
        gap = std::max(kNarrowPairGap, (available - labels - boxes) / 3);
    const int room = available - labels - 3 * gap;
    if (boxes > room && boxes > 0) {
        for (Pair& pair : pairs)
            pair.boxWidth = std::max(kSmallestBox, pair.boxWidth * std::max(room, 0) / boxes);
    }

    const int rowTop = separatorTop + kSeparatorHeight;
    const int rowHeight = height - rowTop;
    int x = kRowLeft;
    for (const Pair& pair : pairs) {
        const int boxHeight = std::min(pair.box->sizeHint().height(), std::max(rowHeight - 4, 0));
        const int boxTop = rowTop + (rowHeight - boxHeight) / 2;
        pair.label->setGeometry(x, boxTop, pair.labelWidth, boxHeight);
        x += pair.labelWidth + kLabelToBox;
        pair.box->setGeometry(x, boxTop, pair.boxWidth, boxHeight);
        x += pair.boxWidth + gap;
    }
}
