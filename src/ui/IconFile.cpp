#include "ui/IconFile.h"

#include <QImage>

#include "ui/BitmapBits.h"
#include "ui/Graphics.h"

namespace {

constexpr unsigned fileHeaderBytes = 6 + 16;  // the directory and its one entry
constexpr unsigned infoHeaderBytes = 40;
constexpr unsigned bitsPerPixel = 32;
constexpr unsigned largestSizeByte = 256;  // written as 0

}  // namespace

std::string iconFileBytes(const TIcon& Icon) {
    if (Icon.Empty()) return std::string();
    QImage argb = Icon.toImage().convertToFormat(QImage::Format_ARGB32);
    unsigned w = static_cast<unsigned>(argb.width()), h = static_cast<unsigned>(argb.height());
    unsigned maskRow = ((w + 31) / 32) * 4;
    unsigned imageBytes = infoHeaderBytes + w * h * 4 + maskRow * h;
    std::string s;
    s.reserve(fileHeaderBytes + imageBytes);
    put16(s, 0);
    put16(s, 1);  // an icon
    put16(s, 1);  // one image
    s += static_cast<char>(w >= largestSizeByte ? 0 : w);
    s += static_cast<char>(h >= largestSizeByte ? 0 : h);
    s += '\0';  // no palette
    s += '\0';
    put16(s, 1);  // planes
    put16(s, bitsPerPixel);
    put32(s, imageBytes);
    put32(s, fileHeaderBytes);
    put32(s, infoHeaderBytes);
    put32(s, w);
    put32(s, h * 2);  // the colour rows and the mask rows
    put16(s, 1);
    put16(s, bitsPerPixel);
    for (int i = 0; i < 6; ++i) put32(s, 0);  // no compression, sizes and palette left open
    // Bottom-up rows: blue, green, red, alpha.
    for (int y = static_cast<int>(h) - 1; y >= 0; --y)
        for (unsigned x = 0; x < w; ++x) {
            QRgb c = argb.pixel(static_cast<int>(x), y);
            s += static_cast<char>(qBlue(c));
            s += static_cast<char>(qGreen(c));
            s += static_cast<char>(qRed(c));
            s += static_cast<char>(qAlpha(c));
        }
    // The mask: a set bit is a transparent pixel.
    for (int y = static_cast<int>(h) - 1; y >= 0; --y) {
        std::string row(maskRow, '\0');
        for (unsigned x = 0; x < w; ++x)
            if (qAlpha(argb.pixel(static_cast<int>(x), y)) < 128) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
        s += row;
    }
    return s;
}
