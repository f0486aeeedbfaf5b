// Metafiles kept as bytes, raw bitmap bits, and code points to Windows-1252.
#include <gtest/gtest.h>

#include <QImage>
#include <string>

#include "base/Streams.h"
#include "ui/BitmapBits.h"
#include "ui/Graphics.h"
#include "ui/Metafile.h"
#include "ui/Text1252.h"

namespace {

void put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& s, unsigned v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// A packed DIB of 2x1 pixels, 24 bits: red, blue.
std::string twoPixelDib() {
    std::string s;
    put32(s, 40);
    put32(s, 2);
    put32(s, 1);
    put16(s, 1);
    put16(s, 24);
    for (int i = 0; i < 6; ++i) put32(s, 0);
    s += std::string("\x00\x00\xFF\xFF\x00\x00\x00\x00", 8);
    return s;
}

// A metafile with a placeable header; function 0x0F43 (StretchDIB) carries
// the bitmap, any other function carries nothing to draw.
std::string metafile(unsigned function, int width, int height) {
    std::string dib = twoPixelDib();
    std::string record;
    put32(record, static_cast<unsigned>((6 + 22 + dib.size()) / 2));
    put16(record, function);
    record += std::string(22, '\0');
    record += dib;
    std::string wmf;
    put16(wmf, 1);
    put16(wmf, 9);
    put16(wmf, 0x300);
    put32(wmf, 0);
    put16(wmf, 0);
    put32(wmf, 0);
    put16(wmf, 0);
    wmf += record;
    put32(wmf, 3);
    put16(wmf, 0);
    std::string bytes = std::string(TMetafile::PlaceableHeaderSize, '\0') + wmf;
    TMetafile::writePlaceableHeader(bytes, width, height);
    return bytes;
}

}  // namespace

TEST(Text1252, CodePointsFindTheirByte) {
    struct Case {
        uint32_t codePoint;
        int byte;
    } cases[] = {{'A', 'A'}, {0xE9, 0xE9}, {0x20AC, 0x80}, {0x2019, 0x92}, {0x2013, 0x96},
                 {0x81, 0x81}, {0x80, -1}, {0x4E2D, -1}, {0x1F600, -1}};
    for (const Case& c : cases) EXPECT_EQ(codePointTo1252(c.codePoint), c.byte) << c.codePoint;
}

TEST(BitmapBits, DeviceBitsRoundTripAndRefuseShortData) {
    TBitmap bitmap(3, 2);
    QImage image(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) image.setPixel(x, y, qRgb(40 * x, 100 * y, 7));
    bitmap.fromImage(image);
    TDeviceBits bits = deviceBitsOf(bitmap);
    EXPECT_EQ(bits.BitsPixel, 24);
    EXPECT_EQ(bits.WidthBytes, 10) << "rows padded to 16 bits";
    TBitmap back;
    ASSERT_TRUE(loadDeviceBits(back, bits));
    EXPECT_EQ(back.toImage(), bitmap.toImage());

    struct Case {
        const char* name;
        TDeviceBits bits;
    } refused[] = {
        {"too few bytes", {3, 2, 1, 24, 10, std::string(19, '\0')}},
        {"rows narrower than the pixels", {3, 2, 1, 24, 8, std::string(16, '\0')}},
        {"two planes", {3, 2, 2, 24, 10, std::string(20, '\0')}},
        {"odd bit count", {3, 2, 1, 7, 10, std::string(20, '\0')}},
        {"too many pixels", {100000, 100000, 1, 1, 12500, std::string(16, '\0')}},
    };
    for (const Case& c : refused) EXPECT_FALSE(loadDeviceBits(back, c.bits)) << c.name;
    EXPECT_EQ(back.toImage(), bitmap.toImage()) << "a refused load leaves the bitmap";

    TBitmap dib;
    ASSERT_TRUE(loadPackedDib(dib, packedDibOf(bitmap)));
    EXPECT_EQ(dib.toImage(), bitmap.toImage());
    EXPECT_FALSE(loadPackedDib(dib, twoPixelDib().substr(0, 45)));
}

TEST(Metafile, KeepsItsBytesAndDrawsItsBitmapOrAFrame) {
    struct Case {
        const char* name;
        unsigned function;
        bool bitmap;
    } cases[] = {{"StretchDIB", 0x0F43, true}, {"nothing to draw", 0x0626, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = metafile(c.function, 40, 20);
        TMetafile m;
        TStringStream in(bytes);
        m.LoadFromStream(&in);
        EXPECT_EQ(m.Width(), 40);
        EXPECT_EQ(m.Height(), 20);
        EXPECT_EQ(m.windowsMetafileBytes(), bytes.substr(TMetafile::PlaceableHeaderSize));
        TStringStream out;
        m.SaveToStream(&out);
        EXPECT_EQ(out.DataString(), bytes);
        EXPECT_EQ(m.recordBitmap() != nullptr, c.bitmap);

        TBitmap target(40, 20);
        target.Canvas()->Brush()->SetColor(clWhite);
        target.Canvas()->FillRect(Rect(0, 0, 40, 20));
        m.Draw(target.Canvas(), Rect(0, 0, 40, 20));
        QImage image = target.toImage();
        if (c.bitmap) {
            EXPECT_EQ(image.pixel(5, 10), qRgb(255, 0, 0));
            EXPECT_EQ(image.pixel(35, 10), qRgb(0, 0, 255));
        } else {
            EXPECT_EQ(image.pixel(0, 10), qRgb(128, 128, 128)) << "frame";
            EXPECT_EQ(image.pixel(20, 3), qRgb(255, 255, 255)) << "inside";
            EXPECT_EQ(image.pixel(20, 10), qRgb(128, 128, 128)) << "the cross";
        }
    }
}
