#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include <QFont>
#include <QRect>
#include <QString>

#include "gui/panels/CPanel.h"
#include "gui/views/HelpTip.h"

class CColorEdit;
class CPacketListCtrl;
class FieldInfo;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QResizeEvent;

// The "Select fields" tab: one list box per field group of the catalogue, the ready-made
// selections and the three display alternatives. Every choice goes straight into the
// catalogue, which the packet list reads when it paints.
class CSelectFieldPnl : public CPanel {
public:
    static constexpr int kSeparatorId = 1010;
    static constexpr int kTimeStampLabelId = 1011;
    static constexpr int kTimeStampBoxId = 1012;
    static constexpr int kPayloadLabelId = 1013;
    static constexpr int kPayloadBoxId = 1014;
    static constexpr int kFieldGroupLabelId = 1015;
    static constexpr int kFieldGroupBoxId = 1016;
    static constexpr int kLqiRssiBoxId = 1018;
    static constexpr int kLqiRssiLabelId = 1019;
    static constexpr int kFirstListBoxId = 3001;
    static constexpr int kLastListBoxId = 3256;
    static constexpr int kFirstSwatchId = 4001;
    static constexpr int kGroupLabelId = 0xFFFF;
    static constexpr int kMaxListBoxes = 255;

    explicit CSelectFieldPnl(QWidget* parent);
    ~CSelectFieldPnl() override;

    void SetPacketList(CPacketListCtrl* list) { list_ = list; }

    // Builds one list box per group of fields (not owned, kept) and restores the option boxes
    // from the registry. 0 when nothing was built.
    int BuildListBoxes(FieldInfo* fields);
    // Destroys the list boxes, swatches and group labels, and the list font.
    void ClearListBoxes();
    // Stores the option boxes whose alternative the catalogue has.
    void SaveSettings();
    int ListBoxCount() const { return static_cast<int>(listBoxes_.size()); }

    // Applies the selection of list box id (3001 + group) to the catalogue and repaints.
    void ApplyListBoxSelection(unsigned id);
    void SelectAllFields();
    void SelectNoFields();
    // Selects every list-box item that shows field.
    void SelectGroupField(unsigned field);

    void OnTimeStampFormat();
    void OnPayloadFormat();
    void OnLqiRssiFormat();
    void OnSelectedFields();

    // The field indexes of list box group's items, in item order.
    const std::vector<unsigned>& ListBoxFields(int group) const { return fieldIndexes_.at(static_cast<size_t>(group)); }

    HelpTip& Tips() { return helpTip_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // No tab navigation between the panel's controls.
    bool focusNextPrevChild(bool next) override;

private:
    QComboBox* AddOptionBox(int labelId, const char* caption, int boxId, std::initializer_list<const char*> items,
                            QLabel*& label);
    void DestroyListBoxes();
    void SetAllSelected(bool selected);
    void ApplyAllListBoxes();
    void RepaintPacketList();
    bool SelectItemsOf(int group, int position, unsigned field);
    void LayoutListBoxes();
    void PlaceGroupLabel(int group, const QRect& where);
    void LayoutBottomRow();

    FieldInfo* fields_ = nullptr;
    CPacketListCtrl* list_ = nullptr;

    std::vector<QListWidget*> listBoxes_;
    std::vector<CColorEdit*> swatches_;
    std::vector<QLabel*> groupLabels_;
    std::vector<QString> groupNames_;
    std::vector<std::vector<unsigned>> fieldIndexes_;
    std::unique_ptr<QFont> listFont_;

    QFrame* separator_ = nullptr;
    QLabel* timeStampLabel_ = nullptr;
    QComboBox* timeStampBox_ = nullptr;
    QLabel* payloadLabel_ = nullptr;
    QComboBox* payloadBox_ = nullptr;
    QLabel* fieldGroupLabel_ = nullptr;
    QComboBox* fieldGroupBox_ = nullptr;
    QLabel* lqiRssiLabel_ = nullptr;
    QComboBox* lqiRssiBox_ = nullptr;

    HelpTip helpTip_{this};
};
