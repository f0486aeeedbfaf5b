#include "xbengine/NsxKey.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace xb {

std::string nsxTagName(std::string_view name) {
    std::string result(name.substr(0, nsxMaxNameLength));
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return result;
}

NsxKeyCodec::NsxKeyCodec(char keyType, int keyLength, bool descending)
    : keyType_(keyType), keyBytes_(0), descending_(descending) {
    switch (keyType) {
    case 'C':
        if (keyLength < 1 || keyLength > nsxMaxKeyLength)
            throw NsxError("Index key length " + std::to_string(keyLength) + " is out of range");
        keyBytes_ = keyLength;
        break;
    case 'D':
    case 'N':
        if (keyLength < 0 || keyLength > nsxMaxKeyLength)
            throw NsxError("Index key length " + std::to_string(keyLength) + " is out of range");
        keyBytes_ = 8;  // "yyyymmdd", or a double in sortable form
        break;
    default:
        throw NsxError(std::string("Unknown index key type '") + keyType + "'");
    }
}

namespace {

constexpr double exactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The usual key or seek text, a plain decimal ("-123.45", "  12") with at
// most 15 digits and nothing but blanks after it, read without from_chars:
// digits and power of ten are exact doubles, so their one quotient is the
// correctly rounded value from_chars gives too. False for anything else.
bool parsePlainDecimal(std::string_view text, double* value) {
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p < end && *p == '-';
    p += negative;
    // Digits past nineteen wrap the sum, but more than fifteen are refused anyway.
    uint64_t digits = 0;
    const char* const wholeAt = p;
    for (; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p)
        digits = digits * 10 + uint64_t(*p - '0');
    size_t count = size_t(p - wholeAt);
    size_t scale = 0;
    if (p < end && *p == '.') {
        const char* const fractionAt = ++p;
        for (; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p)
            digits = digits * 10 + uint64_t(*p - '0');
        scale = size_t(p - fractionAt);
        count += scale;
    }
    if (count == 0 || count > 15) return false;
    for (; p < end; ++p)
        if (*p != ' ') return false;
    const double magnitude = scale == 0 ? double(digits) : double(digits) / exactPowersOfTen[scale];
    *value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

double NsxKeyCodec::parseNumber(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    text.remove_prefix(begin);
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    double value = 0;
    if (parsePlainDecimal(text, &value)) return value;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (ec != std::errc() || std::isnan(value)) return 0;
    return value;
}

namespace {

// Byte order of the result is numeric order: positive numbers get the sign
// bit set, negative ones are inverted whole.
void encodeNumber(double value, uint8_t* out) {
    if (value == 0 || std::isnan(value)) value = 0;  // one zero, no NaN
    uint64_t bits = std::bit_cast<uint64_t>(value);
    bits = (bits >> 63) ? ~bits : (bits | (uint64_t(1) << 63));
    for (int i = 7; i >= 0; --i) {
        out[i] = uint8_t(bits);
        bits >>= 8;
    }
}

double decodeNumber(const uint8_t* in) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | in[i];
    bits = (bits >> 63) ? (bits & ~(uint64_t(1) << 63)) : ~bits;
    return std::bit_cast<double>(bits);
}

void complement(uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes[i] = uint8_t(~bytes[i]);
}

}  // namespace

void NsxKeyCodec::encodeKey(std::string_view keyText, uint8_t* out) const {
    if (keyType_ == 'N') {
        encodeNumber(parseNumber(keyText), out);
    } else {
        size_t n = std::min(keyText.size(), size_t(keyBytes_));
        std::memcpy(out, keyText.data(), n);
        std::memset(out + n, ' ', keyBytes_ - n);
    }
    if (descending_) complement(out, keyBytes_);
}

size_t NsxKeyCodec::encodeSearch(std::string_view text, bool exact, uint8_t* out) const {
    if (keyType_ == 'N' || exact) {
        encodeKey(text, out);
        return keyBytes_;
    }
    const size_t n = std::min(text.size(), size_t(keyBytes_));
    std::memcpy(out, text.data(), n);
    if (descending_) complement(out, n);
    return n;
}

std::string NsxKeyCodec::decodeKey(const uint8_t* stored) const {
    uint8_t plain[nsxMaxKeyLength];
    std::memcpy(plain, stored, keyBytes_);
    if (descending_) complement(plain, keyBytes_);
    if (keyType_ != 'N') return std::string(reinterpret_cast<const char*>(plain), keyBytes_);
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, decodeNumber(plain));
    return ec == std::errc() ? std::string(text, end) : std::string("0");
}

NsxKeyList::NsxKeyList(const NsxTagInfo& info)
    : info_(info), codec_(info.keyType, info.keyLength, info.descending) {
    info_.name = nsxTagName(info.name);
    if (info.keyType == 'D') info_.keyLength = 8;
}

void NsxKeyList::add(std::string_view keyText, uint32_t recNo) {
    size_t at = bytes_.size();
    bytes_.resize(at + codec_.entryBytes());
    codec_.encodeKey(keyText, bytes_.data() + at);
    nsxPutRecNo(bytes_.data() + at + codec_.keyBytes(), recNo);
}

std::vector<uint8_t> NsxKeyList::sortedEntries() const {
    const size_t size = codec_.entryBytes();
    const size_t n = count();
    // Sorting (first 8 bytes, position) pairs keeps most comparisons off the
    // entry bytes themselves.
    struct Item {
        uint64_t head;
        uint32_t index;
    };
    std::vector<Item> items(n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* e = bytes_.data() + i * size;
        uint64_t head = 0;
        for (size_t b = 0; b < 8; ++b) head = (head << 8) | (b < size ? e[b] : 0);
        items[i] = {head, uint32_t(i)};
    }
    const uint8_t* base = bytes_.data();
    auto tail = size > 8 ? size - 8 : 0;
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.head != b.head) return a.head < b.head;
        return tail && std::memcmp(base + a.index * size + 8, base + b.index * size + 8, tail) < 0;
    });
    std::vector<uint8_t> sorted;
    sorted.reserve(n * size);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* e = base + items[i].index * size;
        if (!sorted.empty() && std::memcmp(sorted.data() + sorted.size() - size, e, size) == 0)
            continue;
        sorted.insert(sorted.end(), e, e + size);
    }
    return sorted;
}

}  // namespace xb
