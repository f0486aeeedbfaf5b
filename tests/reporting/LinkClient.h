#pragma once
// A client of the report data link for tests: sends a request to a
// connection through the data system and reads the reply as the link lays
// it out (column descriptions, row records).
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "reporting/project/DuzuDataSystem.h"

struct LinkColumn {
    std::map<std::string, std::string> Tags;  // "N", "T", "W", "L", "D"
};

struct LinkValue {
    bool Null = false;
    std::string Raw;                     // the bytes from the value's offset to the buffer's end
    std::optional<std::string> Display;  // a separate display text
};

struct LinkRow {
    bool End = true;
    std::vector<LinkValue> Values;  // one per listed column
};

class LinkClient {
public:
    explicit LinkClient(TRSCustomConnection* Connection) : connection_(Connection) {}

    // Kinds without a reply, or with one the test reads itself.
    void send(std::int32_t Kind);
    std::vector<LinkColumn> columns();
    // Kinds 1, 2 and 5.
    LinkRow row(std::int32_t Kind);
    bool eof();
    // Filter items (column, operator, text value, type, raw value), then the end.
    struct FilterItem {
        std::string Column, Operator, Text;
        TRSDataType Type;
        std::string Raw;
    };
    void filter(const std::vector<FilterItem>& Items);

    // The link buffer the reply was read from (0 main, 1 or 2 alternate).
    int replyBuffer() const { return replyBuffer_; }

private:
    void execute();
    TRSCustomConnection* connection_;
    int replyBuffer_ = 0;
    std::size_t listed_ = 0;
};

// Values of the link's raw forms.
std::string RawInt32(std::int32_t Value);
std::int32_t Int32Of(const std::string& Raw);
// A string or blob value: its int32 count and that many bytes.
std::string CountedString(const std::string& Raw);
