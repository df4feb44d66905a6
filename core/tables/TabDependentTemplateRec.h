#pragma once

// The filter template that depends on a field short name (FilterDepTemplate.plt).
struct TAB_DEPENDENT_TEMPLATE_REC {
    char SHORTNAME[4];
    char DEPENDENT_TEMPLATE[61];
};
