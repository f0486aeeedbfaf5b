#include "richtext/RtChars.h"

#include <array>

namespace {

std::array<unsigned char, 256> makeLowerTable() {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
    for (int c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<unsigned char>(c + 32);
    // Agrave..Thorn, except the multiplication sign.
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7) t[c] = static_cast<unsigned char>(c + 32);
    t[0x8A] = 0x9A;  // S caron
    t[0x8C] = 0x9C;  // OE
    t[0x8E] = 0x9E;  // Z caron
    t[0x9F] = 0xFF;  // Y diaeresis
    return t;
}

const std::array<unsigned char, 256> lowerTable = makeLowerTable();

}  // namespace

unsigned char RtLowerChar(unsigned char c) { return lowerTable[c]; }

bool RtSameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (RtLowerChar(static_cast<unsigned char>(a[i])) != RtLowerChar(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
