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

bool RtIsCharAlphaNumeric(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    switch (c) {
        case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
        case 0xAA: case 0xB2: case 0xB3: case 0xB5: case 0xB9: case 0xBA:
            return true;
        default:
            return c >= 0xC0 && c != 0xD7 && c != 0xF7;
    }
}
