#include "LinkClient.h"

#include <cstring>
#include <stdexcept>

std::string RawInt32(std::int32_t Value) {
    std::string raw(4, '\0');
    std::memcpy(raw.data(), &Value, 4);
    return raw;
}

std::int32_t Int32Of(const std::string& Raw) {
    std::int32_t value = 0;
    std::memcpy(&value, Raw.data(), 4);
    return value;
}

void LinkClient::execute() {
    if (!DuzuDataSystem().ExecuteRequest(connection_)) throw std::runtime_error("request failed");
    replyBuffer_ = DuzuLinkBuffer().Current();
}

void LinkClient::send(std::int32_t Kind) {
    DuzuDataSystem().BeginRequest(Kind);
    execute();
}

std::vector<LinkColumn> LinkClient::columns() {
    send(kReqGetCols);
    TDuzuLinkBuffer& in = DuzuLinkBuffer();
    std::int32_t count = in.ReadInt32();
    std::vector<LinkColumn> result;
    for (std::int32_t i = 0; i < count; ++i) {
        LinkColumn column;
        for (std::string tag = in.ReadString(); !tag.empty(); tag = in.ReadString()) column.Tags[tag] = in.ReadString();
        result.push_back(column);
    }
    listed_ = result.size();
    return result;
}

LinkRow LinkClient::row(std::int32_t Kind) {
    send(Kind);
    TDuzuLinkBuffer& in = DuzuLinkBuffer();
    LinkRow result;
    result.End = in.ReadByte() != 0;
    if (result.End) return result;
    const auto& bytes = in.Bytes(in.Current());
    const char* table = reinterpret_cast<const char*>(bytes.data()) + kRowTableOffset;
    std::size_t tableSize = bytes.size() - kRowTableOffset;
    for (std::size_t i = 0; i < listed_; ++i) {
        std::int32_t valueAt = in.Int32At(kRowTableOffset + static_cast<std::int32_t>(i) * 8);
        std::int32_t textAt = in.Int32At(kRowTableOffset + static_cast<std::int32_t>(i) * 8 + 4);
        LinkValue value;
        value.Null = valueAt < 0;
        if (valueAt > 0) value.Raw = std::string(table + valueAt, tableSize - static_cast<std::size_t>(valueAt));
        if (textAt != 0) value.Display = CountedString(std::string(table + textAt, tableSize - static_cast<std::size_t>(textAt)));
        result.Values.push_back(value);
    }
    return result;
}

std::string CountedString(const std::string& Raw) {
    std::int32_t n = Int32Of(Raw);
    return Raw.substr(4, static_cast<std::size_t>(n));
}

bool LinkClient::eof() {
    send(kReqEof);
    return DuzuLinkBuffer().ReadByte() != 0;
}

void LinkClient::filter(const std::vector<FilterItem>& Items) {
    DuzuDataSystem().BeginRequest(kReqSetFilter);
    TDuzuLinkBuffer& out = DuzuLinkBuffer();
    for (const FilterItem& item : Items) {
        out.WriteString(item.Column);
        out.WriteString(item.Operator);
        out.WriteString(item.Text);
        out.WriteInt32(item.Type);
        out.WriteBytes(item.Raw.data(), static_cast<std::int32_t>(item.Raw.size()));
    }
    out.WriteString("");
    execute();
}
