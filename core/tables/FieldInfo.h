#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/tables/TabFieldDefRec.h"
#include "core/tables/TabListBoxItemRec.h"
#include "core/tables/TabListBoxRec.h"
#include "core/tables/TabSelGroupItemRec.h"
#include "core/tables/TabSelGroupRec.h"

// The catalogue of the loaded protocol's decoded fields: one definition per field id, the
// display state the user changes, and the groups of the field-selection lists.
// GUI thread only.
class FieldInfo {
public:
    // SHOWMODE values: members of the three pairs of display alternatives. The partner of a
    // field is the next field id, the odd mode first.
    static constexpr int kModePlain = 0;
    static constexpr int kModeBytes = 1;
    static constexpr int kModeText = 2;
    static constexpr int kModeMicroseconds = 3;
    static constexpr int kModeMilliseconds = 4;
    static constexpr int kModeLqi = 5;
    static constexpr int kModeRssi = 6;

    // The largest field id kept: the display operations count the definitions in 16 bits.
    static constexpr int kMaxFieldId = 0xFFFE;

    FieldInfo();
    virtual ~FieldInfo();

    // Reads FieldDef.plt (required) and the group tables (optional) of folder; the two item
    // tables with the protocol version as suffix. 0 when FieldDef.plt cannot be read.
    int Load(const std::string& folder, const std::string& version = "");

    // Stores def at fieldId, growing the catalogue with all-zero definitions. 0 (nothing
    // stored) for an id outside 0..kMaxFieldId.
    int AddFieldDef(int fieldId, const TAB_FIELD_DEF_REC& def);

    // Shows one member and hides the other of every pair of kind 1..6 (SHOW and
    // ADDTOPKTWIDTH). 0 when the catalogue is empty.
    int SetDisplayMode(int kind);
    // Shows a field; a pair member shows itself or its partner as the pair's selection says.
    int ShowField(int fieldId);
    // Hides a field, and for a pair member its partner too.
    int HideField(int fieldId);
    // selection set: shows fieldId and hides the next field when it is of partnerKind;
    // clear: the other way round. 1 when the next field is of partnerKind.
    int SetPairVisibility(int fieldId, int partnerKind, bool selection);

    int GetFieldDefCount() const { return static_cast<int>(fieldDefs_.size()); }
    // The definition of a field id below GetFieldDefCount.
    const TAB_FIELD_DEF_REC& GetFieldDef(int fieldId) const { return fieldDefs_[static_cast<size_t>(fieldId)]; }
    const std::vector<TAB_FIELD_DEF_REC>& FieldDefs() const { return fieldDefs_; }

    // Which pairs of display alternatives the catalogue holds.
    bool HasPayloadPair() const { return payloadPair_; }
    bool HasTimeStampPair() const { return timeStampPair_; }
    bool HasLqiRssiPair() const { return lqiRssiPair_; }

    // The pair selections, written by the field-selection panel: set means the odd kind
    // (bytes, microseconds, LQI) is the member shown.
    bool GetBytesFlag() const { return bytesFlag_; }
    void SetBytesFlag(bool on) { bytesFlag_ = on; }
    bool GetMicrosecondsFlag() const { return microsecondsFlag_; }
    void SetMicrosecondsFlag(bool on) { microsecondsFlag_ = on; }
    bool GetLqiFlag() const { return lqiFlag_; }
    void SetLqiFlag(bool on) { lqiFlag_ = on; }

    // True when both list-box tables were read at the last load.
    bool ListBoxesLoaded() const { return listBoxesLoaded_; }

    int GetListBoxCount() const { return static_cast<int>(listBoxes_.size()); }
    int GetSelGroupCount() const { return static_cast<int>(selGroups_.size()); }
    // Empty text (colour 0) for a position outside the groups.
    const char* GetListBoxName(int position) const;
    int GetListBoxColor(int position) const;
    const char* GetSelGroupName(int position) const;

    // The fields of list-box group g: the run of items that begins with the first item of g.
    // Each gives the field id and its NAME (empty for an id the catalogue does not define);
    // nullptr once the run has ended.
    const char* FindFirstListBoxField(int group, int& fieldId);
    const char* FindNextListBoxField(int group, int& fieldId);

    // The same over the selection items; every field found is also shown. 1 found, 0 none.
    int FindFirstSelGroupField(int group, int& fieldId);
    int FindNextSelGroupField(int group, int& fieldId);

    // Where a field stands in the list-box items: its group and its position in the group's
    // run. First starts at the first item, Next goes on after the last find. 1 found, 0 none.
    int FirstSelGroupItem(int fieldId, int& group, int& position);
    int NextSelGroupItem(int fieldId, int& group, int& position);

private:
    bool IsField(int fieldId) const { return fieldId >= 0 && static_cast<size_t>(fieldId) < fieldDefs_.size(); }
    TAB_FIELD_DEF_REC& Def(int fieldId) { return fieldDefs_[static_cast<size_t>(fieldId)]; }
    void NotePair(int showMode);
    const char* FieldName(int fieldId) const;
    const char* ListBoxFieldAt(int group, int& fieldId);
    int SelGroupFieldAt(int group, int& fieldId);

    std::vector<TAB_FIELD_DEF_REC> fieldDefs_;
    bool payloadPair_ = false;
    bool timeStampPair_ = false;
    bool lqiRssiPair_ = false;
    bool bytesFlag_ = false;
    bool microsecondsFlag_ = false;
    bool lqiFlag_ = false;

    std::vector<TAB_LIST_BOX_REC> listBoxes_;
    std::vector<TAB_LIST_BOX_ITEM_REC> listBoxItems_;
    bool listBoxesLoaded_ = false;
    std::vector<TAB_SEL_GROUP_REC> selGroups_;
    std::vector<TAB_SEL_GROUP_ITEM_REC> selGroupItems_;

    size_t listBoxCursor_ = 0;
    size_t selGroupCursor_ = 0;
    size_t searchCursor_ = 0;
    int searchPosition_ = 0; // position in its run of the item before searchCursor_
};
