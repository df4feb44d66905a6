#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/host/FilterDatabase.h"
#include "core/host/FilterTemplates.h"
#include "gui/panels/CPanel.h"
#include "gui/views/HelpTip.h"

class CPacketListCtrl;
class PacketFilter;
class PacketManager;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QResizeEvent;
struct TAB_FIELD_DEF_REC;

// The "Display filter" tab: rows of conditions, composed from the field templates, compiled
// into the filter the store shows its packets through; and a database of named filters that
// goes to and from *.pft files.
//
// The panel owns the filter it hands to the store. The store's worker threads read it until
// FilterOff has returned, so every filter is switched off in the store before it is deleted:
// when it is turned off, replaced, the store changes, or the panel goes.
class CDisplayFilterPnl : public CPanel {
public:
    static constexpr int kFieldNameBoxId = 1034;
    static constexpr int kFieldNameLabelId = 1051;
    static constexpr int kTemplateEditId = 1035;
    static constexpr int kTemplateLabelId = 1050;
    static constexpr int kFirstId = 1042;
    static constexpr int kAndId = 1043;
    static constexpr int kConditionEditId = 1032;
    static constexpr int kConditionLabelId = 1052;
    static constexpr int kAddRowId = 1022;
    static constexpr int kRemoveRowId = 1023;
    static constexpr int kAllRowsId = 1041;
    static constexpr int kFilterWindowId = 1056;
    static constexpr int kApplyId = 1038;
    static constexpr int kTurnOffId = 1039;
    static constexpr int kSeparatorId = 1031;
    static constexpr int kManagementLabelId = 1049;
    static constexpr int kFilterNameEditId = 1053;
    static constexpr int kNamesListId = 1047;
    static constexpr int kAddFilterId = 1040;
    static constexpr int kDeleteFilterId = 1045;
    static constexpr int kOpenId = 1054;
    static constexpr int kSaveId = 1055;
    static constexpr int kMergeId = 1048;

    // What the buttons take of the texts they copy.
    static constexpr int kMaxTemplateTaken = 254;
    static constexpr int kMaxConditionTaken = 999;

    static constexpr const char* kFileFilter = "Pelagor Filter data base (*.pft)|*.pft|All files (*.*)|*.*||";
    static constexpr const char* kFileExtension = "pft";

    explicit CDisplayFilterPnl(QWidget* parent);
    ~CDisplayFilterPnl() override;

    void SetPacketList(CPacketListCtrl* list) { list_ = list; }
    // A filter held for the store set before is switched off there first.
    void SetPacketManager(PacketManager* store);
    void SetParsedLength(int parsedLength) { parsedLength_ = static_cast<uint16_t>(parsedLength); }
    // Adds the folder's fields (FieldDef.plt, FilterDepTemplate.plt) to the field-name box and
    // the templates. 1 when FieldDef.plt was read whole; 0 disables the box (rows read before a
    // failure are kept).
    int LoadFieldNames(const char* pluginFolder);
    // Builds the template of field and inserts it at index of the template list.
    void AddFieldTemplate(int index, const TAB_FIELD_DEF_REC& field, const char* dependentTemplate);

    // Handlers of the filter rows.
    void ShowFieldTemplate();
    void OnFirst();
    void OnAnd();
    void AddCondition();
    void OnRemoveRow();
    void OnRemoveAllRows();
    void CopyRowToCondition();
    void ApplyFilter();
    void TurnOffFilter();

    // Handlers of the filter database.
    void AddFilterToDatabase();
    void DeleteFilter();
    void InsertStoredFilter();
    void SaveFilterFile();
    void OpenFilterFile();
    void MergeFilterFile();

    // The filter handed to the store; null when none is held.
    const PacketFilter* Filter() const { return filter_.get(); }
    // The rows of the filter window, first to last.
    std::vector<std::string> Rows() const;
    // The template of the field-name box's entry index; "" outside the box.
    std::string TemplateOf(int index) const;
    int TemplateCount() const { return static_cast<int>(templateList_.size()); }
    const FilterDatabase& Database() const { return database_; }

    HelpTip& Tips() { return helpTip_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* AddButton(int id, const char* caption, void (CDisplayFilterPnl::*handler)());
    QLabel* AddLabel(int id, const char* caption);
    void AddRow(const std::string& text);
    // Switches a held filter off in the store, then deletes it.
    void ReleaseFilter();
    // The list's selection and scroll range were positions among the packets of the filter
    // that changed: start again from the top.
    void ResetPacketList();
    void ShowFilterState(bool installed);
    // Lists every stored name, sorted as a sorted list box sorts.
    void FillNamesList();
    // The name of the selected line of the names list; false when none is selected.
    bool SelectedName(std::string* name) const;
    void ReadFilterFile(bool merge);
    void LayoutControls();

    CPacketListCtrl* list_ = nullptr;
    PacketManager* store_ = nullptr;
    uint16_t parsedLength_ = 0;
    std::unique_ptr<PacketFilter> filter_;
    FilterTemplates templates_;
    std::vector<std::string> templateList_; // parallel to the field-name box
    FilterDatabase database_;

    QLabel* fieldNameLabel_ = nullptr;
    QComboBox* fieldNameBox_ = nullptr;
    QLabel* templateLabel_ = nullptr;
    QLineEdit* templateEdit_ = nullptr;
    QPushButton* firstButton_ = nullptr;
    QPushButton* andButton_ = nullptr;
    QLabel* conditionLabel_ = nullptr;
    QLineEdit* conditionEdit_ = nullptr;
    QPushButton* addRowButton_ = nullptr;
    QPushButton* removeRowButton_ = nullptr;
    QPushButton* allRowsButton_ = nullptr;
    QListWidget* filterWindow_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* turnOffButton_ = nullptr;
    QFrame* separator_ = nullptr;
    QLabel* managementLabel_ = nullptr;
    QLineEdit* filterNameEdit_ = nullptr;
    QListWidget* namesList_ = nullptr;
    QPushButton* addFilterButton_ = nullptr;
    QPushButton* deleteFilterButton_ = nullptr;
    QPushButton* openButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* mergeButton_ = nullptr;

    HelpTip helpTip_{this};
};
