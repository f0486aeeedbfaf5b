// Canvas, fonts, colours, bitmaps and the device context, drawn on real
// images and checked pixel by pixel.
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QString>

#include <fstream>

#include "support/TempDir.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"
#include "ui/Text1252.h"

// Readable failure messages.
inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}
void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << "," << p.Y << ")"; }

namespace {

// Smallest rectangle (exclusive right/bottom) holding every pixel that is not white.
TRect inkBounds(const QImage& image) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return {left, top, right + 1, bottom + 1};
}

int countPixels(const QImage& image, TColor color) {
    QRgb want = tColorToQColor(color).rgb() & 0xFFFFFF;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == want) ++n;
    return n;
}

}  // namespace

// ---------------------------------------------------------------- text and colours

TEST(Text1252, BytesAndCharactersMapBothWays) {
    struct Case {
        unsigned char byte;
        char16_t unicode;
    } cases[] = {
        {'A', u'A'}, {0x80, u'\u20AC'}, {0x92, u'\u2019'}, {0x9F, u'\u0178'},
        {0xA0, u'\u00A0'}, {0xE9, u'\u00E9'}, {0xFF, u'\u00FF'},
        {0x81, u'\u0081'},  // undefined in 1252: kept as is
    };
    for (const Case& c : cases) {
        std::string bytes(1, static_cast<char>(c.byte));
        EXPECT_EQ(ToQString(bytes), QString(QChar(c.unicode))) << int(c.byte);
        EXPECT_EQ(fromQString(QString(QChar(c.unicode))), bytes) << int(c.byte);
    }
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(fromQString(ToQString(all)), all);
    EXPECT_EQ(fromQString(QString::fromUtf8("a\u4E2Db\U0001F600c")), "a?b?c");
}

TEST(Colors, PlainColoursPassAndSystemColoursFollowThePalette) {
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), 0x030201);
    EXPECT_EQ(GetBValue(clNavy), 0x80);
    EXPECT_EQ(ColorToRGB(clNone), clBlack);
    EXPECT_LT(clBtnFace, 0);
    EXPECT_EQ(ColorToRGB(clWindow), qColorToTColor(QGuiApplication::palette().color(QPalette::Base)));
    EXPECT_EQ(ColorToRGB(clHighlight), qColorToTColor(QGuiApplication::palette().color(QPalette::Highlight)));
    EXPECT_EQ(tColorToQColor(clTeal), QColor(0, 0x80, 0x80));
}

// ---------------------------------------------------------------- graphics objects

TEST(Font, SizeAndHeightConvertAtTheResolution) {
    struct Case {
        int ppi, size, height;
    } cases[] = {{96, 8, -11}, {96, 10, -13}, {300, 10, -42}, {600, 12, -100}, {120, 9, -15}};
    for (const Case& c : cases) {
        TFont f;
        f.SetPixelsPerInch(c.ppi);
        f.SetSize(c.size);
        EXPECT_EQ(f.Height(), c.height) << c.ppi << " " << c.size;
        EXPECT_EQ(f.Size(), c.size);
    }
    TFont f;
    EXPECT_EQ(f.Size(), 8);  // the class library's default font
    TFont printerFont;
    printerFont.SetPixelsPerInch(600);
    printerFont.Assign(f);  // across resolutions the point size is kept
    EXPECT_EQ(printerFont.Height(), -67);
    f.SetHeight(16);  // a cell height reads as a negative size
    EXPECT_EQ(f.Size(), -12);
}

TEST(Font, ChangeEventsFireOncePerRealChange) {
    TFont f;
    int changes = 0;
    f.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &f);
        ++changes;
    };
    f.SetName("Arial");
    f.SetName("Arial");
    f.SetStyle({fsBold, fsItalic});
    f.SetStyle({fsBold, fsItalic});
    f.SetColor(clRed);
    EXPECT_EQ(changes, 3);
    TFont other;
    other.Assign(f);
    EXPECT_TRUE(other == f);
    EXPECT_TRUE(other.Style().Contains(fsItalic));
    EXPECT_EQ(changes, 3);  // assigning from f does not touch f
}

TEST(Brush, ColourOnAClearBrushMakesItSolid) {
    TBrush b;
    b.SetStyle(bsClear);
    b.SetColor(clRed);
    EXPECT_EQ(b.Style(), bsSolid);
}

// ---------------------------------------------------------------- fonts

TEST(Fonts, WindowsFacesMapToMetricCompatibleFaces) {
    struct Case {
        const char* face;
        const char* used;
    } cases[] = {{"Arial", "Liberation Sans"}, {"times new roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"}};
    for (const Case& c : cases) {
        TLogFont lf;
        lf.FaceName = c.face;
        lf.Height = -20;
        EXPECT_EQ(CreateFontIndirect(lf)->FaceName(), c.used) << c.face;
    }
}

TEST(Fonts, ArialExtentsArePinned) {
    // Arial 10 points at 300 dpi: the size a report prints its text in.
    TDeviceCaps caps;
    caps.LogPixelsX = caps.LogPixelsY = 300;
    caps.HorzRes = caps.VertRes = 100;
    TDeviceContext ic(caps);
    TCanvas canvas(&ic);
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetSize(10);
    ASSERT_EQ(canvas.Font()->Height(), -42);
    EXPECT_EQ(canvas.TextWidth("Quenmark Optical"), 338);
    EXPECT_EQ(canvas.TextWidth("0123456789"), 233);
    TTextMetric tm = ic.GetTextMetrics();
    EXPECT_EQ(tm.Ascent, 38);
    EXPECT_EQ(tm.Descent, 9);
    EXPECT_EQ(tm.Height, 47);
    EXPECT_EQ(tm.InternalLeading, 5);
    EXPECT_EQ(canvas.TextHeight("W"), 47);
    EXPECT_EQ(canvas.TextExtent(""), (TSize{0, 47}));
    canvas.Font()->SetStyle({fsBold});
    EXPECT_EQ(canvas.TextWidth("Quenmark Optical"), 362);
    // Courier New is fixed pitch: every character advances the same.
    canvas.Font()->SetName("Courier New");
    EXPECT_EQ(canvas.TextWidth("iiii"), canvas.TextWidth("WWWW"));
    EXPECT_EQ(canvas.TextWidth("Quenmark Optical"), 403);
}

TEST(Fonts, CellHeightAndCharacterHeightAgree) {
    // A positive height asks for the cell, a negative one for the character:
    // the cell of a character-height font gives the same font back.
    TLogFont byChar;
    byChar.FaceName = "Times New Roman";
    byChar.Height = -30;
    HFONT f1 = CreateFontIndirect(byChar);
    TLogFont byCell = byChar;
    byCell.Height = f1->Metrics().Height;
    HFONT f2 = CreateFontIndirect(byCell);
    EXPECT_EQ(f2->Metrics().Height, f1->Metrics().Height);
    EXPECT_EQ(f2->TextWidth("Spectacles"), f1->TextWidth("Spectacles"));
    // Width narrows the characters.
    TLogFont narrow = byChar;
    narrow.Width = f1->Metrics().AveCharWidth / 2;
    EXPECT_LT(CreateFontIndirect(narrow)->TextWidth("Spectacles"), f1->TextWidth("Spectacles") * 2 / 3);
}

// ---------------------------------------------------------------- shapes

TEST(Canvas, ShapesExcludeTheirRightAndBottomEdges) {
    enum Shape { Rect_, Fill, Frame, Ellipse_, Round };
    struct Case {
        const char* name;
        Shape shape;
        int penWidth;
        TPenStyle penStyle;
        TRect given;
        TRect painted;
    } cases[] = {
        {"one-pixel pen", Rect_, 1, psSolid, {2, 3, 10, 12}, {2, 3, 10, 12}},
        {"pen width 0", Rect_, 0, psSolid, {2, 3, 10, 12}, {2, 3, 10, 12}},
        {"given backwards", Rect_, 1, psSolid, {10, 12, 2, 3}, {2, 3, 10, 12}},
        {"clear pen fills one less", Rect_, 1, psClear, {2, 3, 10, 12}, {2, 3, 9, 11}},
        {"3-pixel pen centred on the edge", Rect_, 3, psSolid, {4, 4, 14, 14}, {3, 3, 15, 15}},
        {"inside frame", Rect_, 3, psInsideFrame, {4, 4, 14, 14}, {4, 4, 14, 14}},
        {"FillRect", Fill, 1, psSolid, {2, 3, 10, 12}, {2, 3, 10, 12}},
        {"FrameRect", Frame, 1, psSolid, {2, 3, 10, 12}, {2, 3, 10, 12}},
        {"Ellipse", Ellipse_, 1, psSolid, {2, 2, 14, 10}, {2, 2, 14, 10}},
        {"RoundRect", Round, 1, psSolid, {2, 2, 14, 10}, {2, 2, 14, 10}},
    };
    for (const Case& c : cases) {
        TImageDevice device(20, 20, 96);
        TCanvas canvas(&device);
        canvas.Pen()->SetWidth(c.penWidth);
        canvas.Pen()->SetStyle(c.penStyle);
        canvas.Brush()->SetColor(clRed);
        const TRect& r = c.given;
        switch (c.shape) {
        case Rect_: canvas.Rectangle(r); break;
        case Fill: canvas.FillRect(r); break;
        case Frame: canvas.FrameRect(r); break;
        case Ellipse_: canvas.Ellipse(r); break;
        case Round: canvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, 4, 4); break;
        }
        EXPECT_EQ(inkBounds(device.Image()), c.painted) << c.name;
    }
}

TEST(Canvas, RectangleOutlineInPenAndInsideInBrush) {
    TImageDevice device(12, 12, 96);
    TCanvas canvas(&device);
    canvas.Pen()->SetColor(clBlue);
    canvas.Brush()->SetColor(clYellow);
    canvas.Rectangle(1, 1, 11, 11);
    const QImage& img = device.Image();
    EXPECT_EQ(countPixels(img, clBlue), 36);    // a 10 x 10 frame
    EXPECT_EQ(countPixels(img, clYellow), 64);  // 8 x 8 inside
    canvas.Brush()->SetStyle(bsClear);
    canvas.Pen()->SetColor(clRed);
    canvas.Rectangle(1, 1, 11, 11);
    EXPECT_EQ(countPixels(device.Image(), clYellow), 64);  // a clear brush leaves the inside
}

TEST(Canvas, LinesLeaveOutTheirLastPixel) {
    struct Case {
        TPoint from, to;
        TRect painted;
    } cases[] = {
        {{2, 5}, {8, 5}, {2, 5, 8, 6}},
        {{8, 5}, {2, 5}, {3, 5, 9, 6}},
        {{4, 1}, {4, 9}, {4, 1, 5, 9}},
        {{1, 1}, {7, 7}, {1, 1, 7, 7}},
    };
    for (const Case& c : cases) {
        TImageDevice device(12, 12, 96);
        TCanvas canvas(&device);
        canvas.MoveTo(c.from.X, c.from.Y);
        canvas.LineTo(c.to.X, c.to.Y);
        EXPECT_EQ(inkBounds(device.Image()), c.painted) << c.to.X << "," << c.to.Y;
        EXPECT_EQ(canvas.PenPos(), c.to);
    }
}

TEST(Canvas, PolylineDrawsEverySegmentAndPolygonFills) {
    TImageDevice device(20, 20, 96);
    TCanvas canvas(&device);
    canvas.Polyline({{2, 2}, {10, 2}, {10, 10}});
    EXPECT_EQ(inkBounds(device.Image()), Rect(2, 2, 11, 10));
    EXPECT_EQ(canvas.PenPos(), Point(10, 10));

    TImageDevice shape(20, 20, 96);
    TCanvas c2(&shape);
    c2.Pen()->SetStyle(psClear);
    c2.Brush()->SetColor(clGreen);
    c2.Polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(countPixels(shape.Image(), clGreen), 100);
}

TEST(Canvas, ArcChordAndPieCoverTheQuarterTheyName) {
    // The upper right quarter: from the radial through three o'clock
    // anticlockwise to the one through twelve o'clock.
    enum Kind { ArcKind, ChordKind, PieKind };
    int pixels[3] = {};
    for (Kind kind : {ArcKind, ChordKind, PieKind}) {
        TImageDevice device(30, 30, 96);
        TCanvas canvas(&device);
        canvas.Brush()->SetColor(clBlack);
        if (kind == ArcKind) canvas.Arc(0, 0, 20, 20, 20, 10, 10, 0);
        if (kind == ChordKind) canvas.Chord(0, 0, 20, 20, 20, 10, 10, 0);
        if (kind == PieKind) canvas.Pie(0, 0, 20, 20, 20, 10, 10, 0);
        TRect b = inkBounds(device.Image());
        EXPECT_GE(b.Left, 9) << kind;
        EXPECT_LE(b.Right, 20) << kind;
        EXPECT_GE(b.Top, 0) << kind;
        EXPECT_LE(b.Bottom, 11) << kind;
        pixels[kind] = countPixels(device.Image(), clBlack);
    }
    EXPECT_LT(pixels[ArcKind], pixels[ChordKind]);  // an arc is an outline only
    EXPECT_LT(pixels[ChordKind], pixels[PieKind]);  // the pie adds the triangle to the centre
    EXPECT_GT(pixels[PieKind], 60);                  // about a quarter of a circle of radius 10
}

TEST(Canvas, ClippingAndFocusRectangle) {
    TImageDevice device(20, 20, 96);
    TCanvas canvas(&device);
    canvas.Brush()->SetColor(clBlack);
    canvas.SetClipRect(Rect(5, 5, 10, 10));
    EXPECT_EQ(canvas.ClipRect(), Rect(5, 5, 10, 10));
    canvas.FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(inkBounds(device.Image()), Rect(5, 5, 10, 10));
    canvas.ResetClip();
    canvas.Brush()->SetColor(clWhite);
    canvas.FillRect(Rect(0, 0, 20, 20));

    QImage before = device.Image().copy();
    canvas.DrawFocusRect(Rect(2, 2, 12, 9));
    EXPECT_EQ(inkBounds(device.Image()), Rect(2, 2, 12, 9));
    EXPECT_LT(countPixels(device.Image(), clBlack), 2 * (10 + 7));  // dotted, not solid
    canvas.DrawFocusRect(Rect(2, 2, 12, 9));
    EXPECT_EQ(device.Image(), before);
}

TEST(Canvas, PixelsAndFloodFill) {
    TImageDevice device(10, 10, 96);
    TCanvas canvas(&device);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Rectangle(0, 0, 6, 6);
    canvas.SetPixels(8, 8, clLime);
    EXPECT_EQ(canvas.Pixels(8, 8), clLime);
    EXPECT_EQ(canvas.Pixels(20, 20), clNone);
    canvas.Brush()->SetColor(clBlue);
    canvas.FloodFill(2, 2, clBlack, fsBorder);
    EXPECT_EQ(countPixels(device.Image(), clBlue), 16);  // the 4 x 4 inside only
}

// ---------------------------------------------------------------- text

TEST(Canvas, TextAlignmentPlacesTheTextCell) {
    struct Case {
        unsigned align;
        const char* name;
    } cases[] = {
        {TA_LEFT | TA_TOP, "left top"},           {TA_CENTER | TA_TOP, "centre top"},
        {TA_RIGHT | TA_TOP, "right top"},         {TA_LEFT | TA_BASELINE, "left baseline"},
        {TA_RIGHT | TA_BOTTOM, "right bottom"},   {TA_CENTER | TA_BASELINE, "centre baseline"},
    };
    for (const Case& c : cases) {
        TImageDevice device(200, 100, 96);
        TCanvas canvas(&device);
        canvas.Font()->SetName("Arial");
        canvas.Font()->SetHeight(-20);
        canvas.Font()->SetColor(clBlack);
        canvas.Brush()->SetColor(clYellow);  // opaque background shows the cell
        canvas.SetTextAlign(c.align);
        canvas.TextOut(100, 50, "HxH");
        TSize extent = canvas.TextExtent("HxH");
        TTextMetric tm = device.GetTextMetrics();
        int left = 100, top = 50;
        if ((c.align & TA_CENTER) == TA_CENTER) left -= extent.cx / 2;
        else if (c.align & TA_RIGHT) left -= extent.cx;
        if ((c.align & TA_BASELINE) == TA_BASELINE) top -= tm.Ascent;
        else if (c.align & TA_BOTTOM) top -= tm.Height;
        EXPECT_EQ(inkBounds(device.Image()), Bounds(left, top, extent.cx, extent.cy)) << c.name;
        EXPECT_GT(countPixels(device.Image(), clBlack), 20) << c.name;
    }
}

TEST(Canvas, RotatedTextRunsUpwards) {
    TImageDevice device(200, 200, 96);
    TCanvas canvas(&device);
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-20);
    canvas.Font()->SetOrientation(900);
    canvas.Brush()->SetColor(clYellow);
    canvas.TextOut(100, 150, "Rotated");
    TSize extent = canvas.TextExtent("Rotated");
    // The cell turns about the reference point: its top edge lies along x = 100.
    EXPECT_EQ(inkBounds(device.Image()), Rect(100, 150 - extent.cx, 100 + extent.cy, 150));
}

TEST(Canvas, PenStylesAndHatchedBrushes) {
    struct Case {
        TPenStyle style;
        int minPixels, maxPixels;
    } cases[] = {{psSolid, 40, 40}, {psDot, 18, 22}, {psDash, 28, 36}, {psClear, 0, 0}};
    for (const Case& c : cases) {
        TImageDevice device(50, 5, 96);
        TCanvas canvas(&device);
        canvas.Pen()->SetStyle(c.style);
        canvas.MoveTo(0, 2);
        canvas.LineTo(40, 2);
        int n = countPixels(device.Image(), clBlack);
        EXPECT_GE(n, c.minPixels) << c.style;
        EXPECT_LE(n, c.maxPixels) << c.style;
    }
    TImageDevice device(20, 20, 96);
    TCanvas canvas(&device);
    canvas.Brush()->SetColor(clBlue);
    canvas.Brush()->SetStyle(bsCross);
    canvas.FillRect(Rect(0, 0, 20, 20));
    int lines = countPixels(device.Image(), clBlue);
    EXPECT_GT(lines, 40);
    EXPECT_EQ(lines + countPixels(device.Image(), clWhite), 400);  // a hatch leaves the background
}

TEST(Canvas, TransparentTextLeavesTheBackgroundAndMovesThePen) {
    TImageDevice device(200, 60, 96);
    TCanvas canvas(&device);
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-20);
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextOut(10, 10, "Lens");
    TRect ink = inkBounds(device.Image());
    TSize extent = canvas.TextExtent("Lens");
    EXPECT_GE(ink.Left, 10);
    EXPECT_LE(ink.Right, 10 + extent.cx + 1);
    EXPECT_GT(ink.Top, 10);  // the internal leading stays empty
    EXPECT_LE(ink.Bottom, 10 + extent.cy);
    EXPECT_EQ(canvas.PenPos(), Point(10 + extent.cx, 10));
}

TEST(Canvas, TextRectClipsAndFillsTheRectangle) {
    TImageDevice device(200, 60, 96);
    TCanvas canvas(&device);
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetHeight(-20);
    canvas.Brush()->SetColor(clAqua);
    canvas.TextRect(Rect(10, 10, 40, 30), 12, 5, "A long text that is cut");
    EXPECT_EQ(inkBounds(device.Image()), Rect(10, 10, 40, 30));
    EXPECT_EQ(countPixels(device.Image(), clBlack) > 0, true);
}

TEST(DeviceContext, CharacterAdvancesAndTheCurrentPosition) {
    TImageDevice device(300, 60, 96);
    TLogFont lf;
    lf.FaceName = "Courier New";
    lf.Height = -20;
    device.SelectFont(CreateFontIndirect(lf));
    device.SetBkMode(OPAQUE);
    device.SetBkColor(clRed);
    device.SetTextColor(clRed);
    // Explicit advances decide where each character stands.
    device.ExtTextOut(10, 10, 0, nullptr, "abc", {30, 30, 30});
    EXPECT_EQ(inkBounds(device.Image()), Bounds(10, 10, 90, device.GetTextMetrics().Height));

    TImageDevice second(300, 60, 96);
    second.SelectFont(CreateFontIndirect(lf));
    second.SetTextAlign(TA_BASELINE | TA_UPDATECP);
    second.MoveTo(5, 40);
    second.TextOut(0, 0, "ab");
    second.TextOut(0, 0, "cd");
    int w = second.GetTextExtentPoint("abcd").cx;
    EXPECT_EQ(second.CurrentPosition(), Point(5 + w, 40));
    std::vector<int> widths = second.GetCharWidth('a', 'd');
    ASSERT_EQ(widths.size(), 4u);
    EXPECT_EQ(widths[0] * 4, w);
}

TEST(DeviceContext, DrawTextAlignsWrapsAndMeasures) {
    TLogFont lf;
    lf.FaceName = "Arial";
    lf.Height = -16;
    HFONT font = CreateFontIndirect(lf);
    int w = font->TextWidth("OK");
    int h = font->Metrics().Height;
    struct Case {
        unsigned format;
        TRect painted;
    } cases[] = {
        {DT_LEFT | DT_TOP, Bounds(10, 10, w, h)},
        {DT_CENTER | DT_VCENTER | DT_SINGLELINE, Bounds(10 + (100 - w) / 2, 10 + (40 - h) / 2, w, h)},
        {DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, Bounds(110 - w, 50 - h, w, h)},
    };
    for (const Case& c : cases) {
        TImageDevice device(200, 100, 96);
        device.SelectFont(font);
        device.SetBkColor(clRed);  // opaque cells show where each line went
        TRect r = Rect(10, 10, 110, 50);
        EXPECT_EQ(device.DrawText("OK", r, c.format), h);
        EXPECT_EQ(inkBounds(device.Image()), c.painted) << c.format;
    }

    TImageDevice device(200, 100, 96);
    device.SelectFont(font);
    TRect r = Rect(0, 0, font->TextWidth("frames and"), 0);
    EXPECT_EQ(device.DrawText("frames and lenses\nand cases", r, DT_WORDBREAK | DT_CALCRECT), 3 * h);
    EXPECT_EQ(r.Bottom, 3 * h);
    EXPECT_EQ(inkBounds(device.Image()), TRect{});  // measuring draws nothing
    TRect one = Rect(0, 0, 10, 10);
    device.DrawText("&Save && exit", one, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(one.Right, font->TextWidth("Save & exit"));
}

TEST(DeviceContext, DrawsThroughAPainterItDoesNotOwn) {
    // As a window's paint event hands its painter over.
    QImage surface(20, 20, QImage::Format_RGB32);
    surface.fill(Qt::white);
    {
        QPainter painter(&surface);
        TDeviceCaps caps;
        caps.HorzRes = caps.VertRes = 20;
        TDeviceContext dc(&painter, caps);
        TCanvas canvas(&dc);
        canvas.Brush()->SetColor(clRed);
        canvas.Rectangle(2, 2, 8, 8);
        canvas.SetHandle(nullptr);
        EXPECT_TRUE(painter.isActive());  // still the owner's
    }
    EXPECT_EQ(inkBounds(surface), Rect(2, 2, 8, 8));
}

TEST(DeviceContext, InformationContextMeasuresAndDrawsNothing) {
    TDeviceCaps caps;
    caps.LogPixelsX = caps.LogPixelsY = 600;
    caps.HorzRes = 5100;
    caps.VertRes = 6600;
    TDeviceContext ic(caps);
    EXPECT_FALSE(ic.canDraw());
    EXPECT_EQ(ic.GetDeviceCaps(LOGPIXELSY), 600);
    EXPECT_EQ(ic.GetDeviceCaps(HORZSIZE), 216);
    ic.Rectangle(0, 0, 10, 10);  // harmless
    EXPECT_GT(ic.GetTextExtentPoint("x").cx, 0);
}

// ---------------------------------------------------------------- bitmaps

TEST(Bitmap, SavesAndLoadsWindowsBmp) {
    TempDir dir;
    TBitmap bmp(7, 5);  // rows need padding at 24 bits
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(Rect(0, 0, 7, 5));
    bmp.Canvas()->SetPixels(0, 0, clRed);
    bmp.Canvas()->SetPixels(6, 4, RGB(1, 2, 3));
    bmp.SaveToFile(dir.file("pic.bmp"));

    std::ifstream in(dir.file("pic.bmp"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);     // bits per pixel
    EXPECT_EQ(bytes.size(), 54u + 5 * 24);                    // 7 * 3 = 21 bytes padded to 24

    TBitmap loaded;
    loaded.LoadFromFile(dir.file("pic.bmp"));
    EXPECT_EQ(loaded.Width(), 7);
    EXPECT_EQ(loaded.Height(), 5);
    EXPECT_EQ(loaded.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(loaded.Canvas()->Pixels(6, 4), RGB(1, 2, 3));
    EXPECT_EQ(loaded.Canvas()->Pixels(3, 3), clWhite);

    TBitmap mono(9, 2);
    mono.Canvas()->Brush()->SetColor(clBlack);
    mono.Canvas()->FillRect(Rect(0, 0, 3, 2));
    mono.SetMonochrome(true);
    std::string monoBytes = mono.saveToBytes();
    EXPECT_EQ(static_cast<unsigned char>(monoBytes[28]), 1);
    TBitmap back;
    back.loadFromBytes(monoBytes);
    EXPECT_EQ(back.Canvas()->Pixels(2, 1), clBlack);
    EXPECT_EQ(back.Canvas()->Pixels(3, 1), clWhite);
}

TEST(Bitmap, BadFilesRaise) {
    TempDir dir;
    TBitmap bmp;
    EXPECT_THROW(bmp.LoadFromFile(dir.file("missing.bmp")), EFOpenError);
    EXPECT_THROW(bmp.loadFromBytes("BM not really a bitmap"), EInvalidGraphic);
    EXPECT_THROW(bmp.loadFromBytes("GIF89a"), EInvalidGraphic);
    EXPECT_TRUE(bmp.Empty());
}

TEST(Bitmap, DrawStretchDrawAndCopyRect) {
    TBitmap bmp(4, 3);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 4, 3));

    TImageDevice device(40, 40, 96);
    TCanvas canvas(&device);
    canvas.Draw(5, 6, &bmp);
    EXPECT_EQ(inkBounds(device.Image()), Bounds(5, 6, 4, 3));
    canvas.StretchDraw(Rect(20, 20, 28, 26), &bmp);
    EXPECT_EQ(countPixels(device.Image(), clRed), 12 + 48);

    TBitmap copy(40, 40);
    copy.Canvas()->CopyRect(Rect(0, 0, 10, 10), &canvas, Rect(0, 0, 10, 10));
    EXPECT_EQ(copy.Canvas()->Pixels(5, 6), clRed);
    EXPECT_EQ(copy.Canvas()->Pixels(4, 6), clWhite);

    // AND copy keeps what is under white.
    TBitmap mask(4, 3);
    mask.Canvas()->Brush()->SetColor(clWhite);
    mask.Canvas()->FillRect(Rect(0, 0, 4, 3));
    mask.Canvas()->SetPixels(0, 0, clBlack);
    canvas.SetCopyMode(cmSrcAnd);
    canvas.Draw(5, 6, &mask);
    EXPECT_EQ(canvas.Pixels(5, 6), clBlack);
    EXPECT_EQ(canvas.Pixels(6, 6), clRed);
}

TEST(Bitmap, MonochromeTakesTheDestinationColours) {
    TBitmap mask(6, 2);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect(Rect(0, 0, 3, 2));
    mask.SetMonochrome(true);
    TImageDevice device(10, 10, 96);
    TCanvas canvas(&device);
    canvas.Font()->SetColor(clBlue);
    canvas.Brush()->SetColor(clYellow);
    canvas.FillRect(Rect(9, 9, 10, 10));  // selects font and brush into the device
    canvas.CopyRect(Rect(0, 0, 6, 2), mask.Canvas(), Rect(0, 0, 6, 2));
    EXPECT_EQ(canvas.Pixels(1, 1), clBlue);
    EXPECT_EQ(canvas.Pixels(4, 1), clYellow);
}

TEST(Bitmap, ResizingKeepsPixelsAndTheCanvasWorks) {
    TBitmap bmp;
    TCanvas* c = bmp.Canvas();
    c->Rectangle(0, 0, 5, 5);  // nothing to draw on yet: no effect, no crash
    bmp.SetSize(5, 5);
    c->SetPixels(1, 1, clBlue);
    bmp.SetWidth(10);
    EXPECT_EQ(c->Pixels(1, 1), clBlue);
    c->SetPixels(8, 1, clBlue);
    EXPECT_EQ(bmp.toImage().pixel(8, 1) & 0xFFFFFF, 0x0000FFu);
}

TEST(Picture, LoadsByExtension) {
    TempDir dir;
    TBitmap bmp(3, 3);
    bmp.SaveToFile(dir.file("a.BMP"));
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    ASSERT_TRUE(icon.save(QString::fromStdString(dir.file("b.ico")), "ICO"));

    TPicture pic;
    int changes = 0;
    pic.OnChange = [&](TPicture*) { ++changes; };
    pic.LoadFromFile(dir.file("a.BMP"));
    EXPECT_NE(dynamic_cast<TBitmap*>(pic.Graphic()), nullptr);
    EXPECT_EQ(pic.Width(), 3);
    pic.LoadFromFile(dir.file("b.ico"));
    EXPECT_NE(dynamic_cast<TIcon*>(pic.Graphic()), nullptr);
    EXPECT_EQ(pic.Height(), 16);
    EXPECT_EQ(changes, 2);
    std::ofstream(dir.file("c.txt")) << "text";
    EXPECT_THROW(pic.LoadFromFile(dir.file("c.txt")), EInvalidGraphic);
}

TEST(ScrollDC, MovesPixelsWithinTheClipAndAnswersTheUncoveredBand) {
    struct Case {
        int dx, dy;
        TPoint markAfter;
        TRect exposed;
    } cases[] = {
        {0, -5, {10, 5}, {0, 25, 40, 30}},
        {0, 5, {10, 15}, {0, 0, 40, 5}},
        {-4, 0, {6, 10}, {36, 0, 40, 30}},
        {0, -40, {10, 10}, {0, 0, 40, 30}},
    };
    for (const Case& c : cases) {
        TImageDevice device(60, 40, 96);
        device.SetPixel(10, 10, clRed);
        device.SetPixel(50, 10, clBlue);  // outside the scrolled area: stays
        TRect area{0, 0, 40, 30};
        TRect exposed = device.ScrollDC(c.dx, c.dy, area);
        EXPECT_TRUE(exposed == c.exposed) << c.dx << "," << c.dy;
        if (std::abs(c.dy) < area.Height())
            EXPECT_EQ(device.GetPixel(c.markAfter.X, c.markAfter.Y), clRed) << c.dx << "," << c.dy;
        EXPECT_EQ(device.GetPixel(50, 10), clBlue);
    }
}
