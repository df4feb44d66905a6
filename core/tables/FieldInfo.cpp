#include "core/tables/FieldInfo.h"

#include "core/tables/TabFieldDef.h"
#include "core/tables/TabListBoxItems.h"
#include "core/tables/TabListBoxes.h"
#include "core/tables/TabSelGroup.h"
#include "core/tables/TabSelGroupItems.h"

namespace {

// The other member of a pair: 1 and 2, 3 and 4, 5 and 6.
int PartnerKind(int showMode)
{
    return showMode % 2 == 1 ? showMode + 1 : showMode - 1;
}

bool IsPairMember(int showMode)
{
    return showMode >= FieldInfo::kModeBytes && showMode <= FieldInfo::kModeRssi;
}

} // namespace

FieldInfo::FieldInfo() = default;

FieldInfo::~FieldInfo() = default;

int FieldInfo::Load(const std::string& folder, const std::string& version)
{
    fieldDefs_.clear();
    listBoxes_.clear();
    listBoxItems_.clear();
    listBoxesLoaded_ = false;
    selGroups_.clear();
    selGroupItems_.clear();
    listBoxCursor_ = selGroupCursor_ = searchCursor_ = 0;
    searchPosition_ = 0;
    // The pair flags are only ever set: they keep what earlier loads found.

    TabFieldDef fieldDef(folder);
    if (fieldDef.Read() == 0)
        return 0;
    for (const TAB_FIELD_DEF_REC& row : fieldDef.Rows())
        AddFieldDef(row.INDEX, row);

    TabListBoxes listBoxes(folder);
    if (listBoxes.Read() != 0) {
        listBoxes_ = listBoxes.Rows();
        TabListBoxItems listBoxItems(folder, version);
        if (listBoxItems.Read() != 0) {
            listBoxItems_ = listBoxItems.Rows();
            listBoxesLoaded_ = true;
        }
    }

    TabSelGroup selGroup(folder);
    if (selGroup.Read() != 0)
        selGroups_ = selGroup.Rows();
    TabSelGroupItems selGroupItems(folder, version);
    if (selGroupItems.Read() != 0)
        selGroupItems_ = selGroupItems.Rows();
    return 1;
}

int FieldInfo::AddFieldDef(int fieldId, const TAB_FIELD_DEF_REC& def)
{
    // A symbol may stand for any int: neither a negative position nor a huge array.
    if (fieldId < 0 || fieldId > kMaxFieldId)
        return 0;
    if (static_cast<size_t>(fieldId) >= fieldDefs_.size())
        fieldDefs_.resize(static_cast<size_t>(fieldId) + 1, TAB_FIELD_DEF_REC{});
    Def(fieldId) = def;
    NotePair(def.SHOWMODE);
    return 1;
}

void FieldInfo::NotePair(int showMode)
{
    if (showMode == kModeBytes || showMode == kModeText)
        payloadPair_ = true;
    else if (showMode == kModeMicroseconds || showMode == kModeMilliseconds)
        timeStampPair_ = true;
    else if (showMode == kModeLqi || showMode == kModeRssi)
        lqiRssiPair_ = true;
}

int FieldInfo::SetDisplayMode(int kind)
{
    if (fieldDefs_.empty())
        return 0;
    for (TAB_FIELD_DEF_REC& def : fieldDefs_) {
        if (!IsPairMember(def.SHOWMODE))
            continue;
        int on;
        if (def.SHOWMODE == kind)
            on = 1;
        else if (def.SHOWMODE == PartnerKind(kind) && IsPairMember(kind))
            on = 0;
        else
            continue;
        def.SHOW = on;
        def.ADDTOPKTWIDTH = on;
    }
    return 1;
}

int FieldInfo::ShowField(int fieldId)
{
    if (!IsField(fieldId))
        return 0;
    const int mode = Def(fieldId).SHOWMODE;
    if (!IsPairMember(mode)) {
        Def(fieldId).SHOW = 1;
        return 1;
    }
    bool selection = mode <= kModeText ? bytesFlag_ : mode <= kModeMilliseconds ? microsecondsFlag_ : lqiFlag_;
    SetPairVisibility(fieldId, PartnerKind(mode), selection);
    return 1;
}

int FieldInfo::SetPairVisibility(int fieldId, int partnerKind, bool selection)
{
    if (!IsField(fieldId))
        return 0;
    Def(fieldId).SHOW = selection ? 1 : 0;
    // The partner stands right after the field; the last field has none.
    if (!IsField(fieldId + 1) || Def(fieldId + 1).SHOWMODE != partnerKind)
        return 0;
    Def(fieldId + 1).SHOW = selection ? 0 : 1;
    return 1;
}

int FieldInfo::HideField(int fieldId)
{
    if (!IsField(fieldId))
        return 0;
    Def(fieldId).SHOW = 0;
    if (IsPairMember(Def(fieldId).SHOWMODE) && IsField(fieldId + 1))
        Def(fieldId + 1).SHOW = 0;
    return 1;
}

const char* FieldInfo::GetListBoxName(int position) const
{
    if (position < 0 || static_cast<size_t>(position) >= listBoxes_.size())
        return "";
    return listBoxes_[static_cast<size_t>(position)].GROUP_NAME;
}

int FieldInfo::GetListBoxColor(int position) const
{
    if (position < 0 || static_cast<size_t>(position) >= listBoxes_.size())
        return 0;
    return listBoxes_[static_cast<size_t>(position)].COLOR;
}

const char* FieldInfo::GetSelGroupName(int position) const
{
    if (position < 0 || static_cast<size_t>(position) >= selGroups_.size())
        return "";
    return selGroups_[static_cast<size_t>(position)].SG_NAME;
}

const char* FieldInfo::FieldName(int fieldId) const
{
    // An item may name a field that FieldDef.plt does not define.
    return IsField(fieldId) ? fieldDefs_[static_cast<size_t>(fieldId)].NAME : "";
}

const char* FieldInfo::ListBoxFieldAt(int group, int& fieldId)
{
    if (listBoxCursor_ >= listBoxItems_.size() || listBoxItems_[listBoxCursor_].GROUPINDEX != group)
        return nullptr;
    fieldId = listBoxItems_[listBoxCursor_].FIELDINDEX;
    return FieldName(fieldId);
}

const char* FieldInfo::FindFirstListBoxField(int group, int& fieldId)
{
    listBoxCursor_ = 0;
    while (listBoxCursor_ < listBoxItems_.size() && listBoxItems_[listBoxCursor_].GROUPINDEX != group)
        ++listBoxCursor_;
    return ListBoxFieldAt(group, fieldId);
}

const char* FieldInfo::FindNextListBoxField(int group, int& fieldId)
{
    if (listBoxCursor_ < listBoxItems_.size())
        ++listBoxCursor_;
    return ListBoxFieldAt(group, fieldId);
}

int FieldInfo::SelGroupFieldAt(int group, int& fieldId)
{
    if (selGroupCursor_ >= selGroupItems_.size() || selGroupItems_[selGroupCursor_].SG_INDEX != group)
        return 0;
    fieldId = selGroupItems_[selGroupCursor_].FIELDINDEX;
    ShowField(fieldId);
    return 1;
}

int FieldInfo::FindFirstSelGroupField(int group, int& fieldId)
{
    selGroupCursor_ = 0;
    while (selGroupCursor_ < selGroupItems_.size() && selGroupItems_[selGroupCursor_].SG_INDEX != group)
        ++selGroupCursor_;
    return SelGroupFieldAt(group, fieldId);
}

int FieldInfo::FindNextSelGroupField(int group, int& fieldId)
{
    if (selGroupCursor_ < selGroupItems_.size())
        ++selGroupCursor_;
    return SelGroupFieldAt(group, fieldId);
}

int FieldInfo::FirstSelGroupItem(int fieldId, int& group, int& position)
{
    searchCursor_ = 0;
    searchPosition_ = 0;
    return NextSelGroupItem(fieldId, group, position);
}

int FieldInfo::NextSelGroupItem(int fieldId, int& group, int& position)
{
    while (searchCursor_ < listBoxItems_.size()) {
        const size_t k = searchCursor_++;
        const bool runBegins = k == 0 || listBoxItems_[k].GROUPINDEX != listBoxItems_[k - 1].GROUPINDEX;
        searchPosition_ = runBegins ? 0 : searchPosition_ + 1;
        if (listBoxItems_[k].FIELDINDEX == fieldId) {
            group = listBoxItems_[k].GROUPINDEX;
            position = searchPosition_;
            return 1;
        }
    }
    return 0;
}
