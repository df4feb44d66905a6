#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabDependentTemplateRec.h"

// The filter templates that depend on field short names: "FilterDepTemplate.plt".
class TabFilterDepTemplate : public PelagorTableRows<TAB_DEPENDENT_TEMPLATE_REC> {
public:
    explicit TabFilterDepTemplate(const std::string& folder);

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();
};
