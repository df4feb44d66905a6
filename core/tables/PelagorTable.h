#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/tables/MnemonicRec.h"

class PluginHandler;

// Reader of the protocol tables (*.plt): one record a line, fields separated by '|', each
// column of a fixed type. A table class declares its columns, binds each to a field of its
// current row record, opens the file and calls ReadLine once a line.
class PelagorTable {
public:
    // Column types.
    static constexpr int kString = 0;
    static constexpr int kUShort = 2;   // unsigned 16-bit decimal
    static constexpr int kHex = 3;      // "0x..." into 32 bits
    static constexpr int kMnemonic = 4; // a symbol of the mnemonic list, into an int
    static constexpr int kBool = 5;     // 1 when the text holds "TRUE", into an int

    // ReadLine results.
    static constexpr int kRowRead = 0;
    static constexpr int kLineRejected = 1;
    static constexpr int kCommentLine = 2;
    static constexpr int kDirectiveLine = 3;
    static constexpr int kEndOfFile = 4;

    static constexpr size_t kMinLineBuffer = 256; // the smallest buffer ReadLine takes
    static constexpr int kMaxLineChars = 254;     // a line's characters kept, line end included
    static constexpr size_t kErrorSize = 128;     // error text, terminator included

    // folder: the protocol folder, without a trailing separator ('/' or '\').
    // tableName: the file name, for example "FieldDef.plt"; also the TABLE key of its mnemonics.
    PelagorTable(const std::string& folder, const std::string& tableName);
    virtual ~PelagorTable();
    PelagorTable(const PelagorTable&) = delete;
    PelagorTable& operator=(const PelagorTable&) = delete;

    // The plug-in host whose GetFieldIndexTable names are added to every mnemonic list.
    // Process-wide: the main program sets it once the plug-in is loaded and clears it (nullptr)
    // before the host goes away. Not set: no plug-in names.
    static void SetPluginHandler(PluginHandler* host);
    static PluginHandler* GetPluginHandler();

    // Appends a column; type kMnemonic makes Open load the mnemonic list. Result 1.
    int AddColumn(const std::string& name, int type, int width);

    // Binds column index to a field of the row record. The target must fit the column's type:
    // a char array of size bytes for kString, uint16_t for kUShort, uint32_t for kHex, int for
    // kMnemonic and kBool. Result 1 bound, 0 (nothing bound) for a bad index or a target
    // that does not fit. An unbound column is read and dropped.
    int SetColumnTarget(int column, char* text, size_t size);
    int SetColumnTarget(int column, uint16_t* value);
    int SetColumnTarget(int column, uint32_t* value);
    int SetColumnTarget(int column, int* value);

    // Opens folder/tableName; with a non-empty suffix (a protocol version) folder/name_suffix.plt
    // first, the plain table as the fallback. 1 open; 0 with the reason in the error text when
    // no column is declared, the mnemonic list cannot be loaded or no file opens.
    int Open(const std::string& suffix = "");

    // Reads the next line into the bound targets: kRowRead, kLineRejected (the reason in
    // buffer), kCommentLine (also an empty line), kDirectiveLine (a "$!" line, copied with its
    // line end into buffer) or kEndOfFile. Every bound target is zeroed before a row is read,
    // so a field that the line does not define reads 0. size must be at least kMinLineBuffer.
    int ReadLine(char* buffer, size_t size);

    void Close();

    // The error text, once: the flag is cleared. nullptr when no error is pending.
    const char* GetError();

    // Fills the mnemonic list from folder/Mnemonic.plt, then the plug-in's names. 1 loaded.
    int LoadMnemonics();
    // Appends {"*", "*", name, position} for each name of the plug-in's GetFieldIndexTable.
    void AddPluginMnemonics();

    const std::string& TableName() const { return tableName_; }
    const std::string& Folder() const { return folder_; }
    // The path Open opened, or the last one it tried.
    const std::string& Path() const { return path_; }
    const std::vector<MNEMONIC_REC>& Mnemonics() const { return mnemonics_; }

    // Field readers. Each cuts the next field from cursor, reading at most limit characters,
    // and leaves cursor past the field and its '|'. cursor points into a NUL-terminated line.

    // Cuts a field into target (size bytes): at most limit characters, and at most size - 1,
    // the rest of target zero-filled. Returns the number of characters cut (before the
    // target's size is applied).
    static int GetToken(const char*& cursor, int limit, char* target, size_t size);
    // The token's decimal value when it lies in 0..65535; 0 (nothing stored) otherwise.
    static int GetUShortField(const char*& cursor, int limit, uint16_t* target);
    // 0 for an empty token or one without 'x'/'X'; else stores the value. limit is kept to 9.
    static int GetHexField(const char*& cursor, int limit, uint32_t* target);
    // 0 (nothing stored) for an empty token; else stores whether "TRUE" occurs in it.
    static int GetBoolField(const char*& cursor, int limit, int* target);
    // 0 for an empty token or a symbol that no entry for this table and column defines.
    int LookupMnemonic(const char*& cursor, int limit, const std::string& column, int* target) const;
    // True for a non-empty text of the digits '0' to '9' only.
    static bool IsDecimal(const char* text);

protected:
    // Lines of blanks only are skipped instead of read as rows of empty fields (register files).
    void SetSkipBlankLines(bool on) { skipBlankLines_ = on; }

    // The read of a table class: opens with suffix and reads to the end; takeRow is called
    // after every row read, takeDirective (when given) with every directive line. A rejected
    // line ends the read with "Error reading table %s.\nInvalid value on line %d\n%s",
    // shown in a message box, or kept as the error text when showRejection is false.
    // 1 when the whole file was read; 0 when the open failed (silently) or a line was rejected.
    int ReadTable(const std::string& suffix, bool showRejection, const std::function<void()>& takeRow,
                  const std::function<void(const char*)>& takeDirective = nullptr);

private:
    enum class TargetKind { None, Text, UShort, U32, Int };
    struct Column {
        std::string name;
        int type;
        int width;
        TargetKind kind = TargetKind::None;
        void* target = nullptr;
        size_t size = 0;
    };

    int Bind(int column, TargetKind kind, void* target, size_t size);
    void ClearTargets();
    int ReadField(const Column& column, const char*& cursor, char* buffer, size_t size);
    void SetError(const std::string& text);
    bool OpenFile(const std::string& path);

    std::string folder_;
    std::string tableName_;
    std::string path_;
    std::vector<Column> columns_;
    std::FILE* file_ = nullptr;
    bool hasMnemonics_ = false;
    bool skipBlankLines_ = false;
    std::vector<MNEMONIC_REC> mnemonics_;
    char error_[kErrorSize] = {};
    bool errorSet_ = false;
};
