#pragma once

// One symbolic name of a protocol folder's tables: from Mnemonic.plt or from the plug-in's
// field-index names. "*" as table or column applies the symbol to every table or column.
struct MNEMONIC_REC {
    char table[255];  // table name such as "FieldDef.plt", or "*"
    char column[255]; // column name such as "INDEX", or "*"
    char name[30];    // the symbol, at most 29 characters
    int value;        // the integer the symbol stands for
};
