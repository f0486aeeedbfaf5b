#pragma once
// One money document (a receipt, payment or deposit save or delete) is
// written inside one engine scope: its records are written and visible at
// once, and every file it touched is flushed to disk once when the scope
// ends, on every path out, an exception included.
#include <cstdint>

class TDocumentScope {
public:
    TDocumentScope();
    // Ends the scope; a failed flush is not raised from here (see end()).
    ~TDocumentScope();
    TDocumentScope(const TDocumentScope&) = delete;
    TDocumentScope& operator=(const TDocumentScope&) = delete;

    // Ends the scope now; raises EDBEngineError when a flush failed.
    void end();

    // Files flushed by the ends of document scopes since the program started.
    static uint64_t flushes();

private:
    bool open_ = true;
};
