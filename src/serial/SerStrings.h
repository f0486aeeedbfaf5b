#pragma once
// The serial library's texts: the string table of ids 11000 to 13934 that
// its error codes point at (serLoadStr), and TSerStringResource, which reads
// texts from an embedded RCDATA-style resource of records {Id: u16
// little-endian; Text: zero-terminated bytes} through a small cache.
#include <cstddef>
#include <string>

#include "base/Classes.h"
#include "base/Exceptions.h"

// The text of a string-table id, "" when the table has none.
std::string serLoadStr(int Id);

QM_DECLARE_EXCEPTION(EApStringResourceError, Exception)

// The bytes of an embedded resource by name ("SERSTRES_STRINGS"); false when
// there is none.
bool findSerResource(const std::string& Name, const unsigned char*& Data, size_t& Size);
// Links a further resource into the program's set (kept to the end of the
// process).
void addSerResource(const std::string& Name, std::string Bytes);

class TSerStringResource : public TObject {
public:
    // Opens the named resource when a name is given; raises
    // EApStringResourceError "String resource not found: %s" when it is missing.
    explicit TSerStringResource(const std::string& ResourceName);
    ~TSerStringResource() override;

    // The text of Id: from the cache, or found in the resource and cached
    // (the cache drops its oldest texts when it holds 50, down to 44). An
    // id the resource lacks gives "", or raises "String not found: %d" when
    // ReportError is set.
    std::string GetString(int Id);

    bool ReportError() const { return reportError_; }
    void SetReportError(bool Value) { reportError_ = Value; }
    int cachedCount() const { return cache_.Count(); }

private:
    static constexpr int kCacheLimit = 50;

    int cacheLimit_ = kCacheLimit;
    bool reportError_ = false;
    TStringList cache_;
    const unsigned char* resource_ = nullptr;
    const unsigned char* locked_ = nullptr;
    size_t resourceSize_ = 0;
};
