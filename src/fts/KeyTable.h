#pragma once
// The positions of the index: position n holds the n-th key added, whether
// it is deleted, and its text (kept for replacing and deleting, which must
// know the words to take away).
//
// Map pages listed in the header point to table pages of eight-byte entries
// (key page, offset in it, flags); key texts are packed into key pages, each
// as capacity, length and bytes, so a replacement of no greater length is
// written over the old text.
#include <cstdint>
#include <string>
#include <string_view>

#include "fts/PageFile.h"

namespace fts {

// Longest key the index takes.
constexpr size_t FtsMaxKeyLengthBytes = 1024;

class KeyTable {
public:
    explicit KeyTable(PageFile& file) : file_(file) {}

    // Appends a live key at the next position and returns that position.
    uint32_t Append(std::string_view key);
    std::string Key(uint32_t position);
    bool Live(uint32_t position);
    void SetLive(uint32_t position, bool live);
    void SetKey(uint32_t position, std::string_view key);

private:
    uint8_t* entry(uint32_t position, bool modify);
    void storeKey(std::string_view key, uint32_t& page, uint16_t& offset);

    PageFile& file_;
};

}  // namespace fts
