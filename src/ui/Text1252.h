#pragma once
// Conversion between the program's text (Windows-1252 bytes) and Qt's
// strings. Nothing else in the program converts code pages.
#include <cstdint>
#include <string>

class QChar;
class QString;

// Each byte becomes its Windows-1252 character; the five bytes 1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their value as a code point,
// so every byte string survives the round trip.
QString ToQString(const std::string& text);
// Characters outside Windows-1252 become '?'.
std::string fromQString(const QString& text);
QChar charToQChar(unsigned char c);
// '?' when the character has no Windows-1252 byte.
char qCharToChar(QChar c);
// The Windows-1252 byte of a Unicode code point, or -1 when 1252 has none.
// The five undefined bytes answer for their own code points, as above.
int codePointTo1252(uint32_t codePoint);
