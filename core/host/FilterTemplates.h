#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/tables/TabFieldDefRec.h"

// The display filter's field templates and the two tables its conditions are resolved
// through: short name -> field id, and (short name, parameter name) -> parameter position.
class FilterTemplates {
public:
    // FieldDef.plt TYPE of a field whose SUBHEADER names its parameters.
    static constexpr int kTypeWithParameters = 3;
    // The width of a short name (TAB_FIELD_DEF_REC::SHORTNAME without its zero).
    static constexpr size_t kMaxShortName = 3;

    // Builds the template of one FieldDef.plt row (with its dependent template, or null) and
    // enters the field's short name and, for TYPE 3, its parameters into the tables.
    std::string AddField(const TAB_FIELD_DEF_REC& field, const char* dependentTemplate);
    bool FindShortName(const std::string& shortName, uint32_t* fieldId) const;
    bool FindParameter(const std::string& shortName, const std::string& parameter, uint16_t* position) const;
    void Clear();

private:
    std::unordered_map<std::string, uint32_t> shortNames_;
    // Keyed by the pair, not by a joined text: "A_" + "B" and "A" + "_B" are different parameters.
    std::map<std::pair<std::string, std::string>, uint16_t> parameters_;
};
