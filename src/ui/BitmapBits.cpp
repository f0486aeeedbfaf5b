#include "ui/BitmapBits.h"

#include <QImage>

#include "ui/Graphics.h"

namespace {

constexpr int fileHeaderSize = 14;
constexpr int infoHeaderSize = 40;

unsigned get16(const std::string& s, size_t at) {
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}

unsigned get32(const std::string& s, size_t at) { return get16(s, at) | (get16(s, at + 2) << 16); }

void put32(std::string& s, size_t at, unsigned v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The 16 colours of a 4-bit device.
constexpr QRgb standardColors[16] = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};

QRgb pixelAt(const unsigned char* row, int x, int bitsPixel) {
    switch (bitsPixel) {
    case 1: return (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFFFF : 0xFF000000;
    case 4: return standardColors[(x % 2 ? row[x / 2] : row[x / 2] >> 4) & 0x0F];
    case 8: return qRgb(row[x], row[x], row[x]);
    case 16: {
        unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        auto scale = [](unsigned five) { return static_cast<int>((five << 3) | (five >> 2)); };
        return qRgb(scale((v >> 10) & 31), scale((v >> 5) & 31), scale(v & 31));
    }
    case 24: return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: return qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    }
}

}  // namespace

void put16(std::string& s, unsigned v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& s, unsigned v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

bool loadDeviceBits(TBitmap& bitmap, const TDeviceBits& b) {
    if (b.Planes > 1 || b.Width <= 0 || b.Height <= 0) return false;
    if (b.BitsPixel != 1 && b.BitsPixel != 4 && b.BitsPixel != 8 && b.BitsPixel != 16 && b.BitsPixel != 24 &&
        b.BitsPixel != 32)
        return false;
    if (static_cast<long long>(b.Width) * b.Height > MaxBitmapPixels) return false;
    long long rowBits = static_cast<long long>(b.Width) * b.BitsPixel;
    long long minRow = (rowBits + 15) / 16 * 2;
    long long widthBytes = b.WidthBytes > 0 ? b.WidthBytes : minRow;
    if (widthBytes < (rowBits + 7) / 8) return false;
    if (widthBytes * b.Height > static_cast<long long>(b.Bits.size())) return false;
    QImage image(b.Width, b.Height, QImage::Format_RGB32);
    const auto* data = reinterpret_cast<const unsigned char*>(b.Bits.data());
    for (int y = 0; y < b.Height; ++y) {
        const unsigned char* row = data + widthBytes * y;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < b.Width; ++x) line[x] = pixelAt(row, x, b.BitsPixel);
    }
    bitmap.fromImage(image);
    return true;
}

TDeviceBits deviceBitsOf(const TBitmap& bitmap) {
    TDeviceBits b;
    b.Width = bitmap.Width();
    b.Height = bitmap.Height();
    b.BitsPixel = bitmap.Monochrome() ? 1 : 24;
    b.WidthBytes = (b.Width * b.BitsPixel + 15) / 16 * 2;
    if (bitmap.Empty()) return b;
    QImage image = bitmap.toImage().convertToFormat(QImage::Format_RGB32);
    b.Bits.assign(static_cast<size_t>(b.WidthBytes) * b.Height, '\0');
    for (int y = 0; y < b.Height; ++y) {
        char* row = b.Bits.data() + static_cast<size_t>(b.WidthBytes) * y;
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < b.Width; ++x) {
            QRgb c = line[x];
            if (b.BitsPixel == 1) {
                if (qGray(c) >= 128) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            } else {
                row[3 * x] = static_cast<char>(qBlue(c));
                row[3 * x + 1] = static_cast<char>(qGreen(c));
                row[3 * x + 2] = static_cast<char>(qRed(c));
            }
        }
    }
    return b;
}

bool loadPackedDib(TBitmap& bitmap, const std::string& dib) {
    if (dib.size() < static_cast<size_t>(infoHeaderSize)) return false;
    unsigned headerSize = get32(dib, 0);
    if (headerSize < static_cast<unsigned>(infoHeaderSize) || headerSize > dib.size()) return false;
    long long width = static_cast<int32_t>(get32(dib, 4));
    long long height = static_cast<int32_t>(get32(dib, 8));
    unsigned bitCount = get16(dib, 14);
    unsigned compression = get32(dib, 16);
    unsigned colorsUsed = get32(dib, 32);
    if (width <= 0 || height == 0 || width * (height < 0 ? -height : height) > MaxBitmapPixels) return false;
    if (bitCount == 0 || bitCount > 32) return false;
    unsigned long long colors = colorsUsed;
    if (colors == 0 && bitCount <= 8) colors = 1ULL << bitCount;
    if (colors > 256) return false;
    unsigned long long masks = (compression == 3 && headerSize == static_cast<unsigned>(infoHeaderSize)) ? 12 : 0;
    unsigned long long offset = fileHeaderSize + headerSize + masks + 4 * colors;
    if (offset > fileHeaderSize + dib.size()) return false;
    std::string file(fileHeaderSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    put32(file, 2, static_cast<unsigned>(fileHeaderSize + dib.size()));
    put32(file, 10, static_cast<unsigned>(offset));
    file += dib;
    if (compression == 0) {
        // Writers often leave the image size 0; the reader needs it.
        long long rows = height < 0 ? -height : height;
        unsigned long long imageSize = static_cast<unsigned long long>((width * bitCount + 31) / 32 * 4 * rows);
        put32(file, fileHeaderSize + 20, static_cast<unsigned>(imageSize));
        if (offset + imageSize > file.size()) return false;
    }
    try {
        bitmap.loadFromBytes(file);
    } catch (const EInvalidGraphic&) {
        return false;
    }
    return true;
}

std::string packedDibOf(const TBitmap& bitmap) {
    std::string file = bitmap.saveToBytes();
    if (file.size() <= static_cast<size_t>(fileHeaderSize)) return std::string();
    return file.substr(fileHeaderSize);
}
