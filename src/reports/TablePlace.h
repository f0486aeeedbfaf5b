#pragma once
// TTablePlace: where a table of the data module stood when a report began
// (its index, its engine scope and its current record, or its end), put back
// when the place goes out of scope, so a report leaves the shared tables as
// it found them also after Cancel or an error. A closed table is left alone.
#include <string>

class TTable;
class TXbase;

class TTablePlace {
public:
    TTablePlace(TTable* Table, TXbase* Engine);
    ~TTablePlace();
    TTablePlace(const TTablePlace&) = delete;
    TTablePlace& operator=(const TTablePlace&) = delete;

    // Puts the table back now; the destructor does it again.
    void restore();

private:
    TTable* table_;
    TXbase* engine_;
    bool active_ = false;
    std::string index_;
    std::string low_, high_;
    int recNo_ = -1;
    bool eof_ = false;
};
