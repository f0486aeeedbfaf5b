#include "ui/Text1252.h"

#include <QString>

namespace {

// Code points of the bytes 0x80..0x9F; the undefined ones map to themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QChar charToQChar(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F) return QChar(kHighControls[c - 0x80]);
    return QChar(static_cast<char16_t>(c));
}

char qCharToChar(QChar c) {
    char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == u) return static_cast<char>(0x80 + i);
    return '?';
}

int codePointTo1252(uint32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<int>(codePoint);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == codePoint) return 0x80 + i;
    return -1;
}

QString ToQString(const std::string& text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) result.append(charToQChar(static_cast<unsigned char>(c)));
    return result;
}

std::string fromQString(const QString& text) {
    std::string result;
    result.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        // A surrogate pair is one character outside 1252: one '?'.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
        result.push_back(qCharToChar(c));
    }
    return result;
}
