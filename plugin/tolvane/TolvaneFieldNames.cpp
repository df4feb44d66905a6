#include "plugin/tolvane/TolvaneField.h"

#define TOLVANE_FIELD_NAME(name) #name,
const char* const kTolvaneFieldNames[kTolvaneFieldCount + 1] = {TOLVANE_FIELDS(TOLVANE_FIELD_NAME) nullptr};
#undef TOLVANE_FIELD_NAME
