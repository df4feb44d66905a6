#pragma once

// One decoded field (FieldDef.plt).
struct TAB_FIELD_DEF_REC {
    int INDEX; // field id, in the plug-in's numbering
    char NAME[26];
    int TYPE; // the field's kind
    char SHORTNAME[4]; // used by display filters
    int BACKGRCOLOUR;
    int TEXTCOLOUR;
    char HEADER[41];
    char SUBHEADER[101];
    int ADDTOPKTWIDTH; // BOOL
    int SHOW;          // BOOL
    int SHOWMODE;
};
