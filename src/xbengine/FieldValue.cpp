#include "xbengine/FieldValue.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "xbengine/DateText.h"

namespace xb {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

bool IsBlank(std::string_view s) { return Trim(s).empty(); }

}  // namespace

bool IsMemoField(const FieldInfo& field) {
    char t = field.type;
    return t == 'M' || t == 'G' || t == 'P' || (t == 'B' && field.width == 10);
}

uint32_t MemoBlock(const FieldInfo& field, const char* bytes) {
    if (field.width == 4) {  // other programs keep the block number in binary
        uint32_t block;
        std::memcpy(&block, bytes, 4);
        return block;
    }
    uint64_t block = 0;
    bool digits = false;
    for (int i = 0; i < field.width; ++i) {
        if (bytes[i] == ' ' || bytes[i] == '\0') {
            if (digits)
                break;
            continue;
        }
        if (bytes[i] < '0' || bytes[i] > '9')
            return 0;
        digits = true;
        block = block * 10 + static_cast<uint64_t>(bytes[i] - '0');
        if (block > 0xFFFFFFFFu)
            return 0;
    }
    return static_cast<uint32_t>(block);
}

bool IsTrueLetter(char c) { return c == 'T' || c == 't' || c == 'Y' || c == 'y'; }

std::string PadField(std::string_view text, int width) {
    std::string out(text.substr(0, static_cast<size_t>(width)));
    out.resize(static_cast<size_t>(width), ' ');
    return out;
}

bool FormatNumber(double value, int width, int decimals, std::string* out) {
    if (!std::isfinite(value) || width < 1)
        return false;
    char text[400];
    for (int d = decimals; d >= 0; --d) {
        int n = std::snprintf(text, sizeof text, "%*.*f", width, d, value);
        if (n > 0 && n <= width) {
            *out = text;
            return true;
        }
    }
    return false;
}

bool ParseNumber(std::string_view text, double* value) {
    std::string s(Trim(text));
    if (s.empty())
        return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str())
        return false;
    *value = v;
    return true;
}

std::string FieldValueText(const FieldInfo& field, const char* bytes) {
    std::string_view raw(bytes, static_cast<size_t>(field.width));
    switch (field.type) {
    case 'C': {
        std::string_view s = raw;
        while (!s.empty() && s.back() == ' ')
            s.remove_suffix(1);
        return std::string(s);
    }
    case 'N':
    case 'F':
    case 'M':
    case 'G':
    case 'P':
        if (field.width == 4 && field.type != 'N' && field.type != 'F') {
            uint32_t v;
            std::memcpy(&v, bytes, 4);
            return v ? std::to_string(v) : std::string();
        }
        return std::string(Trim(raw));
    case 'D': return IsBlank(raw) ? std::string() : std::string(raw);
    case 'L': return IsTrueLetter(raw[0]) ? "T" : IsBlank(raw) || raw[0] == '?' ? "" : "F";
    case 'I':
        if (field.width == 4) {
            int32_t v;
            std::memcpy(&v, bytes, 4);
            return std::to_string(v);
        }
        break;
    case 'B':
        if (field.width == 8) {
            double v;
            std::memcpy(&v, bytes, 8);
            char text[64];
            std::snprintf(text, sizeof text, "%.*f", field.decimals, v);
            return text;
        }
        return std::string(Trim(raw));
    }
    return std::string(raw);
}

bool FieldBytesFromText(const FieldInfo& field, std::string_view text, std::string* bytes) {
    switch (field.type) {
    case 'C': *bytes = PadField(text, field.width); return true;
    case 'N':
    case 'F': {
        if (IsBlank(text)) {
            *bytes = std::string(field.width, ' ');
            return true;
        }
        double v;
        return ParseNumber(text, &v) && FormatNumber(v, field.width, field.decimals, bytes);
    }
    case 'D': {
        std::string_view t = Trim(text);
        if (t.empty()) {
            *bytes = std::string(BlankDate);
            return true;
        }
        if (t.size() != 8 || DateToJulian(t) == 0)
            return false;
        *bytes = std::string(t);
        return true;
    }
    case 'L': {
        std::string_view t = Trim(text);
        if (!t.empty() && t.front() == '.')
            t.remove_prefix(1);
        *bytes = t.empty() ? " " : IsTrueLetter(t[0]) ? "T" : "F";
        return true;
    }
    case 'I':
        if (field.width == 4) {
            double v;
            if (!ParseNumber(text, &v) || v < INT32_MIN || v > INT32_MAX)
                return false;
            int32_t i = static_cast<int32_t>(std::llround(v));
            bytes->assign(reinterpret_cast<const char*>(&i), 4);
            return true;
        }
        return false;
    case 'B':
        if (field.width == 8) {
            double v = 0;
            if (!IsBlank(text) && !ParseNumber(text, &v))
                return false;
            bytes->assign(reinterpret_cast<const char*>(&v), 8);
            return true;
        }
        return false;
    }
    return false;
}

}  // namespace xb
