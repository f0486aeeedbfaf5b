#pragma once
// Index tag descriptions and the byte form of their keys.
//
// Every tag stores its keys as fixed-length byte strings that compare with
// memcmp, followed by the record number in big-endian order, so one memcmp
// over a whole entry gives the tag's order with ties broken by record number.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Exceptions.h"

namespace xb {

// A damaged or unusable index file, or a call the file cannot serve.
QM_DECLARE_EXCEPTION(NsxError, Exception)

constexpr int nsxMaxNameLength = 10;
constexpr int nsxMaxKeyLength = 240;

// What a tag is: the engine computes key texts from keyExpression and
// condition; the index file only keeps them with the tag.
struct NsxTagInfo {
    std::string name;            // up to 10 characters, compared without regard to case
    std::string keyExpression;
    std::string condition;       // empty: every record has an entry
    bool unique = false;         // cursors may show only the first entry of each key
    bool descending = false;
    char keyType = 'C';          // 'C' byte-wise, 'N' as numbers, 'D' "yyyymmdd"
    int keyLength = 0;           // length of the key text (8 for dates)
};

// Tag names are upper case and cut to 10 characters ("OpenBalance" is "OPENBALANC").
std::string nsxTagName(std::string_view name);

// Turns key texts and search texts into stored bytes, and stored bytes back into text.
class NsxKeyCodec {
public:
    // Throws NsxError for an unknown key type or a length out of range.
    NsxKeyCodec(char keyType, int keyLength, bool descending);

    char keyType() const { return keyType_; }
    bool descending() const { return descending_; }
    // Bytes of the stored key, without the record number.
    int keyBytes() const { return keyBytes_; }
    int entryBytes() const { return keyBytes_ + 4; }

    // The stored key of an entry's key text: character and date texts are
    // cut or padded with blanks to the key length, numeric texts are read as
    // numbers ("12", "   12.50", "-3").
    void encodeKey(std::string_view keyText, uint8_t* out) const;
    // The bytes a seek compares: exact pads the text to the key length; a
    // shorter text otherwise compares as a prefix. Numeric seeks always
    // compare the whole number. Writes at most keyBytes() bytes to out and
    // returns how many to compare.
    size_t encodeSearch(std::string_view text, bool exact, uint8_t* out) const;
    // The key text of stored bytes; numeric keys come back as the shortest
    // text that reads back as the same number.
    std::string decodeKey(const uint8_t* stored) const;

    static double parseNumber(std::string_view text);

private:
    char keyType_;
    int keyBytes_;
    bool descending_;
};

// Record numbers in entries are big-endian so that entries compare with memcmp.
inline void nsxPutRecNo(uint8_t* p, uint32_t recNo) {
    p[0] = uint8_t(recNo >> 24);
    p[1] = uint8_t(recNo >> 16);
    p[2] = uint8_t(recNo >> 8);
    p[3] = uint8_t(recNo);
}
inline uint32_t nsxGetRecNo(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Unsorted entries for building a tag in one pass.
class NsxKeyList {
public:
    explicit NsxKeyList(const NsxTagInfo& info);

    void add(std::string_view keyText, uint32_t recNo);
    size_t count() const { return bytes_.size() / codec_.entryBytes(); }
    const NsxTagInfo& info() const { return info_; }
    const NsxKeyCodec& codec() const { return codec_; }
    // Entries in tag order, duplicates of (key, record) dropped, concatenated.
    std::vector<uint8_t> sortedEntries() const;

private:
    NsxTagInfo info_;
    NsxKeyCodec codec_;
    std::vector<uint8_t> bytes_;
};

}  // namespace xb
