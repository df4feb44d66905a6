#include "gui/panels/CDisplayFilterPnl.h"

#include <algorithm>
#include <cstring>

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>

#include "core/host/FilterCompiler.h"
#include "core/host/PacketFilter.h"
#include "core/store/PacketManager.h"
#include "core/tables/TabFieldDef.h"
#include "core/tables/TabFilterDepTemplate.h"
#include "gui/ControlId.h"
#include "gui/FileDialog.h"
#include "gui/PelagorFonts.h"
#include "gui/panels/SortedInsertRow.h"
#include "gui/views/CPacketListCtrl.h"
#include "platform/GuiCallScope.h"
#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

namespace {

// The layout, in pixels: three rows of controls on the left, the database to the right of a
// separator line. Everything fits the 160 pixels of height the tab area leaves a panel.
constexpr int kMargin = 4;
constexpr int kRowHeight = 21;
constexpr int kButtonHeight = 22;
constexpr int kRowPitch = 26;
constexpr int kGap = 4;
constexpr int kLabelGap = 3;
constexpr int kButtonWidth = 75;
constexpr int kFilterButtonWidth = 92;
constexpr int kFieldNameBoxWidth = 180;
constexpr int kDatabaseWidth = 270;
constexpr int kDatabaseButtonWidth = 64;
constexpr int kSeparatorGap = 6;
constexpr int kDatabaseButtonPitch = 25;
// Texts the boxes and edits can take: a name of the database and a row added by hand.
constexpr int kMaxNameChars = static_cast<int>(FilterDatabase::kMaxNameLength);

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Bytes(const QString& text)
{
    return text.toLatin1().toStdString();
}

// A fixed-width text of a table record, up to its zero and never past its array.
template <size_t N>
std::string RecordText(const char (&text)[N])
{
    return std::string(text, strnlen(text, N));
}

platform::MessageAnswer Ask(const std::string& text, const char* caption, platform::MessageButtons buttons)
{
    platform::MessageBoxRequest request;
    request.text = text;
    request.caption = caption;
    request.icon = platform::MessageIcon::Question;
    request.buttons = buttons;
    return platform::ShowMessageBox(request);
}

} // namespace

CDisplayFilterPnl::CDisplayFilterPnl(QWidget* parent) : CPanel(parent, 149)
{
    setFont(PelagorFont("MS Sans Serif", 8));

    fieldNameLabel_ = AddLabel(kFieldNameLabelId, "Field Name:");
    fieldNameBox_ = new QComboBox(this);
    SetControlId(fieldNameBox_, kFieldNameBoxId);
    fieldNameBox_->setEditable(false);
    fieldNameBox_->setMaxVisibleItems(16);
    connect(fieldNameBox_, &QComboBox::currentIndexChanged, this, [this] { ShowFieldTemplate(); });

    templateLabel_ = AddLabel(kTemplateLabelId, "Template:");
    templateEdit_ = new QLineEdit(this);
    SetControlId(templateEdit_, kTemplateEditId);
    templateEdit_->setReadOnly(true);
    firstButton_ = AddButton(kFirstId, "First", &CDisplayFilterPnl::OnFirst);
    andButton_ = AddButton(kAndId, "And", &CDisplayFilterPnl::OnAnd);

    conditionLabel_ = AddLabel(kConditionLabelId, "Filter condition");
    conditionEdit_ = new QLineEdit(this);
    SetControlId(conditionEdit_, kConditionEditId);
    connect(conditionEdit_, &QLineEdit::returnPressed, this, [this] { AddCondition(); });
    addRowButton_ = AddButton(kAddRowId, "Add", &CDisplayFilterPnl::AddCondition);
    removeRowButton_ = AddButton(kRemoveRowId, "Remove", &CDisplayFilterPnl::OnRemoveRow);
    allRowsButton_ = AddButton(kAllRowsId, "All", &CDisplayFilterPnl::OnRemoveAllRows);

    filterWindow_ = new QListWidget(this);
    SetControlId(filterWindow_, kFilterWindowId);
    filterWindow_->setSelectionMode(QAbstractItemView::SingleSelection);
    filterWindow_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(filterWindow_, &QListWidget::itemDoubleClicked, this, [this] { CopyRowToCondition(); });
    applyButton_ = AddButton(kApplyId, "Apply filter", &CDisplayFilterPnl::ApplyFilter);
    turnOffButton_ = AddButton(kTurnOffId, "Turn off filter", &CDisplayFilterPnl::TurnOffFilter);

    separator_ = new QFrame(this);
    SetControlId(separator_, kSeparatorId);
    separator_->setFrameShape(QFrame::VLine);
    separator_->setFrameShadow(QFrame::Sunken);

    managementLabel_ = AddLabel(kManagementLabelId, "Filter management:");
    filterNameEdit_ = new QLineEdit(this);
    SetControlId(filterNameEdit_, kFilterNameEditId);
    filterNameEdit_->setMaxLength(kMaxNameChars);
    connect(filterNameEdit_, &QLineEdit::returnPressed, this, [this] { AddFilterToDatabase(); });
    addFilterButton_ = AddButton(kAddFilterId, "Add", &CDisplayFilterPnl::AddFilterToDatabase);
    namesList_ = new QListWidget(this);
    SetControlId(namesList_, kNamesListId);
    namesList_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(namesList_, &QListWidget::itemDoubleClicked, this, [this] { InsertStoredFilter(); });
    deleteFilterButton_ = AddButton(kDeleteFilterId, "Remove", &CDisplayFilterPnl::DeleteFilter);
    openButton_ = AddButton(kOpenId, "Open", &CDisplayFilterPnl::OpenFilterFile);
    saveButton_ = AddButton(kSaveId, "Save", &CDisplayFilterPnl::SaveFilterFile);
    mergeButton_ = AddButton(kMergeId, "Merge", &CDisplayFilterPnl::MergeFilterFile);

    ShowFilterState(false);
    LayoutControls();

    helpTip_.Add(fieldNameBox_, QStringLiteral("List of all fields defined by the plug-in of current protocol.\r\n "
                                               "Click on required field. A template of how to specify a Filter for "
                                               "this field will be shown in the template window."));
    helpTip_.Add(templateEdit_, QStringLiteral("Filter template of selected Field Name."));
    helpTip_.Add(conditionEdit_, QStringLiteral("A Filter condition could be made up of one ore more conditions.\r\n "
                                                "Use \";\" to separate the conditions.\r\nThe filter check will be "
                                                "performed with an AND operator between these conditions."));
    helpTip_.Add(filterWindow_, QStringLiteral("The complete Filter consist of conditions in horizontal and vertical "
                                               "direction.\r\nThe conditions in horizontal direction will be checked "
                                               "with an AND operator.\r\nThe conditions in the vertical direction will "
                                               "be checked with an OR operator."));
    helpTip_.Add(firstButton_, QStringLiteral("Click this button to add current template as first condition."));
    helpTip_.Add(andButton_, QStringLiteral("Click this button to add current template to the condition."));
    helpTip_.Add(addRowButton_, QStringLiteral("Click this button to add current condition to the filter."));
    helpTip_.Add(removeRowButton_, QStringLiteral("Click this button to Remove one line in the filter window."));
    helpTip_.Add(applyButton_, QStringLiteral("Click this button to Apply current filter.\r\nPackets will be filtered "
                                              "out and only thouse that comply with the filter definition will be "
                                              "shown."));
    helpTip_.Add(turnOffButton_,
                 QStringLiteral("Click this button to Turn off current filter.\r\nAll packets will be shown."));
    helpTip_.Add(filterNameEdit_, QStringLiteral("In order to add a Filter to the filter database, a filter name "
                                                 "should be given here."));
    helpTip_.Add(namesList_,
                 QStringLiteral("Dobble click on one of the filter names to add this to the filter window."));
    helpTip_.Add(addFilterButton_, QStringLiteral("Click this button to add new filter in the filter data base.\r\n "
                                                  "The current filter definition will be copied and saved under the "
                                                  "name given to the left of this button."));
    helpTip_.Add(deleteFilterButton_,
                 QStringLiteral("Click this button to Remove selected filter from the filter database."));
    helpTip_.Add(openButton_, QStringLiteral("Click this button to Open text file with filter definitions.\r\n"
                                             "Existing filter database will be overwritten."));
    helpTip_.Add(saveButton_, QStringLiteral("Click this button to Save current filter database in text file."));
    helpTip_.Add(mergeButton_, QStringLiteral("Click this button to Open text file with filter definitions and merge "
                                              "these with existing filters."));
}

CDisplayFilterPnl::~CDisplayFilterPnl()
{
    ReleaseFilter();
}

QPushButton* CDisplayFilterPnl::AddButton(int id, const char* caption, void (CDisplayFilterPnl::*handler)())
{
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    SetControlId(button, id);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    return button;
}

QLabel* CDisplayFilterPnl::AddLabel(int id, const char* caption)
{
    auto* label = new QLabel(QString::fromLatin1(caption), this);
    SetControlId(label, id);
    return label;
}

void CDisplayFilterPnl::SetPacketManager(PacketManager* store)
{
    if (store == store_)
        return;
    // The filter is known to the store it was handed to, and only there can it be switched off.
    if (filter_) {
        ReleaseFilter();
        ShowFilterState(false);
        ResetPacketList();
    }
    store_ = store;
}

// ---------------------------------------------------------------- field names and templates

int CDisplayFilterPnl::LoadFieldNames(const char* pluginFolder)
{
    const std::string folder = pluginFolder != nullptr ? pluginFolder : "";
    TabFieldDef fields(folder);
    const int fieldsRead = fields.Read();
    if (fieldsRead == 0)
        fieldNameBox_->setEnabled(false);
    // A table that cannot be read gives no field a dependent template.
    TabFilterDepTemplate dependentTable(folder);
    const std::vector<TAB_DEPENDENT_TEMPLATE_REC> none;
    const std::vector<TAB_DEPENDENT_TEMPLATE_REC>& dependents = dependentTable.Read() != 0 ? dependentTable.Rows() : none;

    {
        // The template list takes each entry before the box shows it.
        const QSignalBlocker quiet(fieldNameBox_);
        for (const TAB_FIELD_DEF_REC& field : fields.Rows()) {
            const std::string shortName = RecordText(field.SHORTNAME);
            if (shortName.empty())
                continue;
            const QString name = Latin1(RecordText(field.NAME));
            const int index = SortedInsertRow(
                fieldNameBox_->count(), [this](int i) { return fieldNameBox_->itemText(i); }, name);
            const TAB_DEPENDENT_TEMPLATE_REC* dependent = nullptr;
            for (const TAB_DEPENDENT_TEMPLATE_REC& row : dependents) {
                if (RecordText(row.SHORTNAME) == shortName) {
                    dependent = &row;
                    break;
                }
            }
            const std::string dependentText = dependent != nullptr ? RecordText(dependent->DEPENDENT_TEMPLATE) : "";
            AddFieldTemplate(index, field, dependent != nullptr ? dependentText.c_str() : nullptr);
            fieldNameBox_->insertItem(index, name);
        }
        // Nothing is chosen until the user picks a field.
        fieldNameBox_->setCurrentIndex(-1);
    }
    ShowFieldTemplate();
    return fieldsRead != 0 ? 1 : 0;
}

void CDisplayFilterPnl::AddFieldTemplate(int index, const TAB_FIELD_DEF_REC& field, const char* dependentTemplate)
{
    std::string text = templates_.AddField(field, dependentTemplate);
    index = std::clamp(index, 0, static_cast<int>(templateList_.size()));
    templateList_.insert(templateList_.begin() + index, std::move(text));
}

std::string CDisplayFilterPnl::TemplateOf(int index) const
{
    return index >= 0 && index < TemplateCount() ? templateList_[static_cast<size_t>(index)] : std::string();
}

void CDisplayFilterPnl::ShowFieldTemplate()
{
    // No field chosen (the box is empty, or not yet picked from): no template.
    templateEdit_->setText(Latin1(TemplateOf(fieldNameBox_->currentIndex())));
}

// ---------------------------------------------------------------- filter rows

void CDisplayFilterPnl::OnFirst()
{
    conditionEdit_->setText(templateEdit_->text().left(kMaxTemplateTaken));
}

void CDisplayFilterPnl::OnAnd()
{
    conditionEdit_->setText(conditionEdit_->text().left(kMaxConditionTaken) + QLatin1Char(';') +
                            templateEdit_->text().left(kMaxTemplateTaken));
}

void CDisplayFilterPnl::AddCondition()
{
    filterWindow_->addItem(conditionEdit_->text().left(kMaxConditionTaken));
}

void CDisplayFilterPnl::AddRow(const std::string& text)
{
    filterWindow_->addItem(Latin1(text));
}

void CDisplayFilterPnl::OnRemoveRow()
{
    const QList<QListWidgetItem*> selected = filterWindow_->selectedItems();
    for (QListWidgetItem* item : selected)
        delete item;
}

void CDisplayFilterPnl::OnRemoveAllRows()
{
    filterWindow_->clear();
}

void CDisplayFilterPnl::CopyRowToCondition()
{
    const QList<QListWidgetItem*> selected = filterWindow_->selectedItems();
    if (!selected.isEmpty())
        conditionEdit_->setText(selected.front()->text());
}

std::vector<std::string> CDisplayFilterPnl::Rows() const
{
    std::vector<std::string> rows;
    rows.reserve(static_cast<size_t>(filterWindow_->count()));
    for (int i = 0; i < filterWindow_->count(); ++i)
        rows.push_back(Bytes(filterWindow_->item(i)->text()));
    return rows;
}

// ---------------------------------------------------------------- applying

void CDisplayFilterPnl::ApplyFilter()
{
    // Compiled before anything changes: a refused window leaves the store as it was.
    auto filter = std::make_unique<PacketFilter>(parsedLength_);
    std::string message;
    if (!FilterCompiler::Compile(Rows(), templates_, *filter, &message)) {
        platform::ShowMessageBox(message);
        return;
    }
    ReleaseFilter();
    filter_ = std::move(filter);
    ShowFilterState(true);
    if (store_ != nullptr) {
        platform::GuiCallScope waiting;
        store_->SetFilter(filter_.get());
    }
    ResetPacketList();
}

void CDisplayFilterPnl::TurnOffFilter()
{
    if (!filter_)
        return;
    ReleaseFilter();
    ResetPacketList();
    ShowFilterState(false);
}

void CDisplayFilterPnl::ReleaseFilter()
{
    if (!filter_)
        return;
    if (store_ != nullptr) {
        platform::GuiCallScope waiting;
        store_->FilterOff();
    }
    filter_.reset();
}

void CDisplayFilterPnl::ResetPacketList()
{
    if (list_ == nullptr)
        return;
    list_->SelectPacket(-1);
    list_->UpdateScrollBars();
    list_->viewport()->update();
}

void CDisplayFilterPnl::ShowFilterState(bool installed)
{
    applyButton_->setEnabled(!installed);
    turnOffButton_->setEnabled(installed);
}

// ---------------------------------------------------------------- filter database

void CDisplayFilterPnl::FillNamesList()
{
    const QSignalBlocker quiet(namesList_);
    namesList_->clear();
    for (const std::string& name : database_.Names()) {
        const QString text = Latin1(name);
        const int row =
            SortedInsertRow(namesList_->count(), [this](int i) { return namesList_->item(i)->text(); }, text);
        namesList_->insertItem(row, text);
    }
}

bool CDisplayFilterPnl::SelectedName(std::string* name) const
{
    const QList<QListWidgetItem*> selected = namesList_->selectedItems();
    if (selected.isEmpty())
        return false;
    *name = Bytes(selected.front()->text());
    return true;
}

void CDisplayFilterPnl::AddFilterToDatabase()
{
    const std::string name = Bytes(filterNameEdit_->text());
    const std::string nameRefused = FilterDatabase::CheckName(name);
    if (!nameRefused.empty()) {
        platform::ShowMessageBox(nameRefused);
        filterNameEdit_->setFocus();
        return;
    }
    if (database_.Contains(name) &&
        Ask("Filter already exist. Overwrite?", "Filter Warning", platform::MessageButtons::OkCancel) !=
            platform::MessageAnswer::Ok)
        return;
    const std::vector<std::string> rows = Rows();
    const std::string rowsRefused = FilterDatabase::CheckRows(rows);
    if (!rowsRefused.empty()) {
        platform::ShowMessageBox(rowsRefused);
        filterWindow_->setFocus();
        return;
    }
    database_.Store(name, rows);
    FillNamesList();
    filterNameEdit_->clear();
}

void CDisplayFilterPnl::DeleteFilter()
{
    std::string name;
    if (!SelectedName(&name)) {
        platform::ShowMessageBox("No filter selected.");
        return;
    }
    if (!database_.Contains(name))
        return;
    if (Ask(platform::FormatText("Are you sure you want to delete filter: %s?", name.c_str()), "",
            platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes)
        return;
    database_.Remove(name);
    FillNamesList();
}

void CDisplayFilterPnl::InsertStoredFilter()
{
    std::string name;
    if (!SelectedName(&name)) {
        platform::ShowMessageBox("Not able to make selection.");
        return;
    }
    const std::optional<std::vector<std::string>> rows = database_.Rows(name);
    if (!rows) {
        platform::ShowMessageBox("Not able to retrive filter from DB.");
        return;
    }
    // A filter stored without text still gives the window one (empty) row.
    if (rows->empty()) {
        AddRow("");
        return;
    }
    for (const std::string& row : *rows)
        AddRow(row);
}

void CDisplayFilterPnl::SaveFilterFile()
{
    if (database_.Size() == 0)
        return;
    const std::string path = GetSaveFileName(this, "Save As", kFileFilter, kFileExtension, "");
    if (path.empty())
        return;
    std::string message;
    if (!database_.Save(path, &message))
        platform::ShowMessageBox(message);
}

void CDisplayFilterPnl::OpenFilterFile()
{
    ReadFilterFile(false);
}

void CDisplayFilterPnl::MergeFilterFile()
{
    ReadFilterFile(true);
}

void CDisplayFilterPnl::ReadFilterFile(bool merge)
{
    const std::string path = GetOpenFileName(this, "Open", kFileFilter, "");
    if (path.empty())
        return;
    std::vector<std::string> names;
    std::string message;
    const bool read = database_.Read(path, merge, &names, &message);
    // The list shows what the database holds, once per name, also after a read cut short.
    if (read)
        FillNamesList();
    if (!message.empty())
        platform::ShowMessageBox(message);
}

// ---------------------------------------------------------------- layout

void CDisplayFilterPnl::resizeEvent(QResizeEvent* event)
{
    CPanel::resizeEvent(event);
    LayoutControls();
}

void CDisplayFilterPnl::LayoutControls()
{
    const int w = width();
    const int h = height();
    const int row1 = kMargin;
    const int row2 = row1 + kRowPitch;
    const int row3 = row2 + kRowPitch;
    const int labelTop = 3; // centres a label's text on an edit of the row
    const auto textWidth = [](const QLabel* label) {
        return label->fontMetrics().horizontalAdvance(label->text()) + 4;
    };
    // The field box and the condition edit start at one edge, after the wider of their labels.
    const int fieldNameLabelWidth = std::max(textWidth(fieldNameLabel_), textWidth(conditionLabel_));
    const int templateLabelWidth = textWidth(templateLabel_);
    const int conditionLabelWidth = fieldNameLabelWidth;

    // The database to the right, behind the separator line.
    const int databaseLeft = std::max(w - kMargin - kDatabaseWidth, 0);
    const int separatorX = databaseLeft - kSeparatorGap - 2;
    const int right = std::max(separatorX - kSeparatorGap, 0);
    separator_->setGeometry(separatorX, kMargin, 2, std::max(h - 2 * kMargin, 0));

    // Row 1: field name and its template, with First and And.
    int x = kMargin;
    fieldNameLabel_->setGeometry(x, row1 + labelTop, fieldNameLabelWidth, kRowHeight - labelTop);
    x += fieldNameLabelWidth + kLabelGap;
    fieldNameBox_->setGeometry(x, row1, kFieldNameBoxWidth, kRowHeight);
    x += kFieldNameBoxWidth + 2 * kGap;
    templateLabel_->setGeometry(x, row1 + labelTop, templateLabelWidth, kRowHeight - labelTop);
    x += templateLabelWidth + kLabelGap;
    const int andLeft = std::max(right - kButtonWidth, 0);
    const int firstLeft = std::max(andLeft - kGap - kButtonWidth, 0);
    templateEdit_->setGeometry(x, row1, std::max(firstLeft - kGap - x, 0), kRowHeight);
    firstButton_->setGeometry(firstLeft, row1, kButtonWidth, kButtonHeight);
    andButton_->setGeometry(andLeft, row1, kButtonWidth, kButtonHeight);

    // Row 2: the condition with Add, Remove and All.
    x = kMargin;
    conditionLabel_->setGeometry(x, row2 + labelTop, conditionLabelWidth, kRowHeight - labelTop);
    x += conditionLabelWidth + kLabelGap;
    const int allLeft = andLeft;
    const int removeLeft = firstLeft;
    const int addLeft = std::max(removeLeft - kGap - kButtonWidth, 0);
    conditionEdit_->setGeometry(x, row2, std::max(addLeft - kGap - x, 0), kRowHeight);
    addRowButton_->setGeometry(addLeft, row2, kButtonWidth, kButtonHeight);
    removeRowButton_->setGeometry(removeLeft, row2, kButtonWidth, kButtonHeight);
    allRowsButton_->setGeometry(allLeft, row2, kButtonWidth, kButtonHeight);

    // Row 3 to the bottom: the filter window, Apply and Turn off beside it.
    const int filterButtonsLeft = std::max(right - kFilterButtonWidth, 0);
    filterWindow_->setGeometry(kMargin, row3, std::max(filterButtonsLeft - kGap - kMargin, 0),
                               std::max(h - kMargin - row3, 0));
    applyButton_->setGeometry(filterButtonsLeft, row3, kFilterButtonWidth, kButtonHeight);
    turnOffButton_->setGeometry(filterButtonsLeft, row3 + kDatabaseButtonPitch, kFilterButtonWidth, kButtonHeight);

    // The database: its title, the name edit with Add, the names with their buttons.
    const int databaseRight = w - kMargin;
    const int buttonsLeft = std::max(databaseRight - kDatabaseButtonWidth, databaseLeft);
    const int listWidth = std::max(buttonsLeft - kGap - databaseLeft, 0);
    managementLabel_->setGeometry(databaseLeft, row1 + labelTop, kDatabaseWidth, kRowHeight - labelTop);
    filterNameEdit_->setGeometry(databaseLeft, row2, listWidth, kRowHeight);
    addFilterButton_->setGeometry(buttonsLeft, row2, kDatabaseButtonWidth, kButtonHeight);
    namesList_->setGeometry(databaseLeft, row3, listWidth, std::max(h - kMargin - row3, 0));
    QPushButton* const column[] = {deleteFilterButton_, openButton_, saveButton_, mergeButton_};
    int y = row3;
    for (QPushButton* button : column) {
        button->setGeometry(buttonsLeft, y, kDatabaseButtonWidth, kButtonHeight);
        y += kDatabaseButtonPitch;
    }
}
