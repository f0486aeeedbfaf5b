#pragma once
// Bitmap pixels in the two raw forms Windows hands around: device-dependent
// bits as CreateBitmap takes them (top-down rows of WidthBytes bytes, each
// padded to 16 bits) and the packed device-independent bitmap (info header,
// colour table, bottom-up rows) that a BMP file carries after its file
// header. Loading checks the geometry against the bytes given and refuses
// what does not fit, leaving the bitmap as it was; it never reads past them.
#include <string>

class TBitmap;

struct TDeviceBits {
    int Width = 0;
    int Height = 0;
    int Planes = 1;
    int BitsPixel = 0;
    int WidthBytes = 0;
    std::string Bits;
};

// Most pixels a decoded picture may have; larger ones are refused.
constexpr long long MaxBitmapPixels = 16LL * 1024 * 1024;

// One plane (0 counts as one) of 1, 4, 8, 16, 24 or 32 bits per pixel. 1 bit: 0 black, 1
// white; 4 bits: the 16 standard colours; 8 bits: grey levels; 16 bits: 5-5-5.
bool loadDeviceBits(TBitmap& bitmap, const TDeviceBits& bits);
// 24 bits per pixel, 1 for a monochrome bitmap.
TDeviceBits deviceBitsOf(const TBitmap& bitmap);

// Loads a packed device-independent bitmap.
bool loadPackedDib(TBitmap& bitmap, const std::string& dib);
// The bitmap as a packed device-independent bitmap (a BMP file without its
// 14-byte file header).
std::string packedDibOf(const TBitmap& bitmap);

// Little-endian words as the bitmap and icon formats store them, appended to s.
void put16(std::string& s, unsigned v);
void put32(std::string& s, unsigned v);
