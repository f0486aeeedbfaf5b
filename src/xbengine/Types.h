#pragma once
// Types shared by the engine's table, expression and index code.
#include <cstdint>
#include <string>
#include <vector>

namespace xb {

// One field of a table as it lies in the record buffer. The buffer begins
// with the deletion byte (" " or "*"), so the first field has offset 1.
struct FieldInfo {
    std::string name;   // upper case as stored, up to 10 characters
    char type = 'C';    // C N D L M (and F I B G P when read)
    int width = 0;
    int decimals = 0;
    int offset = 0;     // 0-based byte offset in the record buffer
};

// Engine-wide settings that change how values read, compare and print.
struct Settings {
    bool exact = false;
    bool softSeek = false;
    bool deleted = false;       // hide deleted records
    bool century = false;
    int epoch = 1900;           // first year of a two-digit century window
    int dateFormat = 0;         // 0 American, 1 ANSI, 2 British, 3 French, 4 German, 5 Italian, 6 Spanish, 99 the system's
    int lockTimeoutMs = 1000;
    int memoBlockSize = 64;
    bool turboRead = false;
};

// What an expression or an index key reads: a table's field layout and one
// record buffer (deletion byte first) with its record number.
struct RecordView {
    const std::vector<FieldInfo>* fields = nullptr;
    const char* buffer = nullptr;
    uint32_t recNo = 0;
};

}  // namespace xb
