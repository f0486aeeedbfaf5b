#pragma once
// TSharedTablePlace: a table of the data module as a report run found it
// (open or closed, index, scope, filter, current record), put back when the
// keeper goes, also after an error or a cancelled run. A report that walks
// the shared patient or recall table holds one for the length of its run,
// so the windows that stand on those tables find them as they left them.
#include <string>

class TTable;
class TXbase;

class TSharedTablePlace {
public:
    TSharedTablePlace(TTable& Table, TXbase& Engine);
    ~TSharedTablePlace();
    TSharedTablePlace(const TSharedTablePlace&) = delete;
    TSharedTablePlace& operator=(const TSharedTablePlace&) = delete;

private:
    TTable& table_;
    TXbase& engine_;
    bool wasActive_ = false;
    std::string indexName_, low_, high_, filter_;
    bool atRecord_ = false;
    int recNo_ = 0;
};
