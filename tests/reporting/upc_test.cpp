// UPC-A bar codes: digits and check digit, placement, and the printed
// symbol read back by a module reader of our own and by zbarimg.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <map>

#include "ImagePagesDevice.h"
#include "reporting/RSBars.h"
#include "reporting/RSDevice.h"
#include "reporting/RSPrinter.h"
#include "support/PageImages.h"
#include "support/TempDir.h"

namespace {

struct Bar {
    double x1, y1, x2, y2;
};

// The bars of a symbol, as handed to OnDrawBar.
std::vector<Bar> barsOf(TRSBarsUPC& upc) {
    std::vector<Bar> bars;
    upc.OnDrawBar = [&](double x1, double y1, double x2, double y2) { bars.push_back({x1, y1, x2, y2}); };
    upc.Print();
    return bars;
}

// Prints the symbol of "03600029145" at (1, 1) on a page of dpi.
QImage symbolPage(int dpi, bool readable, double fontSize = 10) {
    ImagePagesDevice pages(dpi);
    TDazedeVedodev report(nullptr);
    report.SetDevice(&pages);
    report.OnPrint = [&](TObject*) {
        report.SetFont("Arial", fontSize);
        TRSBarsUPC upc(&report);
        upc.SetXPosition(1);
        upc.YPos = 1;
        upc.SetPrintReadable(readable);
        upc.SetText("03600029145");
        upc.Print();
        EXPECT_DOUBLE_EQ(report.FontSize(), fontSize);
    };
    report.Execute();
    return pages.Page(0).copy();
}

// Decodes the module widths along row y: guards, L codes on the left, R
// codes on the right. Returns the digits, or why it could not.
std::string readModules(const QImage& image, int y, int pixelsPerModule) {
    std::vector<int> runs;
    bool ink = false;
    int length = 0;
    for (int x = 0; x < image.width(); ++x) {
        const bool here = IsInk(image.pixel(x, y));
        if (here == ink) {
            ++length;
            continue;
        }
        if (ink || !runs.empty()) runs.push_back(length);
        ink = here;
        length = 1;
    }
    if (ink) runs.push_back(length);
    if (runs.size() < 59) return "too few runs: " + std::to_string(runs.size());
    std::vector<int> modules;
    for (std::size_t i = 0; i < 59; ++i) {
        if (runs[i] % pixelsPerModule != 0) return "run " + std::to_string(i) + " is " + std::to_string(runs[i]) + " px";
        modules.push_back(runs[i] / pixelsPerModule);
    }
    const std::map<std::string, char> codes = {{"3211", '0'}, {"2221", '1'}, {"2122", '2'}, {"1411", '3'},
                                               {"1132", '4'}, {"1231", '5'}, {"1114", '6'}, {"1312", '7'},
                                               {"1213", '8'}, {"3112", '9'}};
    auto widths = [&](std::size_t from, std::size_t count) {
        std::string text;
        for (std::size_t i = from; i < from + count; ++i) text += static_cast<char>('0' + modules[i]);
        return text;
    };
    if (widths(0, 3) != "111" || widths(27, 5) != "11111" || widths(56, 3) != "111") return "guards " + widths(0, 59);
    std::string digits;
    for (std::size_t start : {3u, 7u, 11u, 15u, 19u, 23u, 32u, 36u, 40u, 44u, 48u, 52u}) {
        // Left digits start with a space, right digits with a bar: the runs
        // read the same widths either way.
        const auto code = codes.find(widths(start, 4));
        if (code == codes.end()) return "no digit for " + widths(start, 4);
        digits += code->second;
    }
    return digits;
}

}  // namespace

TEST(UpcBars, CheckDigits) {
    struct Case {
        const char* text;
        const char* check;
    };
    for (const Case& c : {Case{"03600029145", "2"}, Case{"00000000000", "0"}, Case{"00000000789", "4"},
                          Case{"12345678901", "2"}}) {
        TRSBarsUPC upc(nullptr);
        upc.SetText(c.text);
        EXPECT_EQ(upc.GetCheckDigit(), c.check) << c.text;
        EXPECT_EQ(upc.GetFullText(), std::string(c.text) + c.check);
    }
}

TEST(UpcBars, TextIsFilteredToElevenDigits) {
    struct Case {
        std::string value;
        const char* stored;
    };
    const Case cases[] = {
        {"7-89", "00000000789"},
        {"ABC", "00000000000"},
        {"123456789012345", "12345678901"},
        {std::string("\xff" "1\0" "2\n", 5), "00000000012"},
    };
    for (const Case& c : cases) {
        TRSBarsUPC upc(nullptr);
        upc.SetText(c.value);
        EXPECT_EQ(upc.Text(), c.stored);
    }
    TRSBarsUPC upc(nullptr);
    upc.SetUseChecksum(false);
    EXPECT_TRUE(upc.UseChecksum());
    EXPECT_DOUBLE_EQ(upc.GetWidth(), 0.95);
}

TEST(UpcBars, PlacementByJustificationAndDirection) {
    struct Case {
        TPrintJustify justify;
        int rotation;
        double left, top, right, bottom;  // the extent of the bars
    };
    const Case cases[] = {
        {pjLeft, 0, 3, 1, 3.95, 1.5},       {pjRight, 0, 2.05, 1, 3, 1.5},   {pjCenter, 0, 2.525, 1, 3.475, 1.5},
        {pjLeft, 1, 3, 1, 3.5, 1.95},       {pjLeft, 2, 3, 1, 3.95, 1.5},    {pjRight, 3, 2.5, 1, 3, 1.95},
    };
    TDazedeVedodev report(nullptr);
    for (const Case& c : cases) {
        TRSBarsUPC upc(&report);
        upc.SetPrintReadable(false);
        upc.XPos = 3;
        upc.YPos = 1;
        upc.BarCodeJustify = c.justify;
        upc.BarCodeRotation = c.rotation;
        upc.SetText("03600029145");
        const std::vector<Bar> bars = barsOf(upc);
        ASSERT_EQ(bars.size(), 30u);
        double left = 99, top = 99, right = -99, bottom = -99;
        for (const Bar& b : bars) {
            left = std::min(left, b.x1);
            top = std::min(top, b.y1);
            right = std::max(right, b.x2);
            bottom = std::max(bottom, b.y2);
        }
        const std::string name = "justify " + std::to_string(c.justify) + " direction " + std::to_string(c.rotation);
        EXPECT_NEAR(left, c.left, 1e-9) << name;
        EXPECT_NEAR(top, c.top, 1e-9) << name;
        EXPECT_NEAR(right, c.right, 1e-9) << name;
        EXPECT_NEAR(bottom, c.bottom, 1e-9) << name;
    }
    // Turned half round, the symbol reads from the right: its first bar is there.
    TRSBarsUPC upc(&report);
    upc.SetPrintReadable(false);
    upc.XPos = 3;
    upc.BarCodeRotation = 2;
    upc.SetText("03600029145");
    EXPECT_NEAR(barsOf(upc).front().x2, 3.95, 1e-9);
}

TEST(UpcBars, WithoutAReportNothingIsDrawn) {
    TRSBarsUPC upc(nullptr);
    upc.SetText("03600029145");
    try {
        upc.Print();
        ADD_FAILURE() << "no error";
    } catch (const EDazedeVedodev& e) {
        EXPECT_STREQ(e.what(), "TBaseReport object not defined.  Printing Aborted.");
    }
}

TEST(UpcBars, OwnModuleReaderReadsTheSymbolAtFourPixelsPerModule) {
    for (bool readable : {false, true}) {
        const QImage page = symbolPage(400, readable);
        KeepPicture(page, readable ? "upc-400dpi-readable" : "upc-400dpi");
        EXPECT_EQ(readModules(page, 480, 4), "036000291452") << readable;
        // The symbol starts at 1 in and is 95 modules wide.
        const TRect bars = InkBounds(page, {0, 400, 1600, 500});
        EXPECT_EQ(bars.Left, 400);
        EXPECT_EQ(bars.Right, 400 + 95 * 4);
    }
}

TEST(UpcBars, TurnedSymbolsReadTheSameTurnedBack) {
    for (int rotation = 1; rotation <= 3; ++rotation) {
        ImagePagesDevice pages(400);
        TDazedeVedodev report(nullptr);
        report.SetDevice(&pages);
        report.OnPrint = [&](TObject*) {
            report.SetFont("Arial", 10);
            TRSBarsUPC upc(&report);
            upc.XPos = 3;
            upc.YPos = 3;
            upc.BarCodeRotation = rotation;
            upc.SetText("03600029145");
            upc.Print();
        };
        report.Execute();
        const QImage page = pages.Page(0).copy();
        KeepPicture(page, "upc-turned-" + std::to_string(rotation));
        const QImage back = page.transformed(QTransform().rotate(-90.0 * rotation));
        const TRect ink = InkBounds(back);
        EXPECT_EQ(ink.Right - ink.Left >= 95 * 4, true) << rotation;
        EXPECT_EQ(readModules(back, ink.Top + 40, 4), "036000291452") << rotation;
    }
}

TEST(UpcBars, ReadableLineFitsUnderTheSymbol) {
    const QImage page = symbolPage(400, true, 72);
    KeepPicture(page, "upc-400dpi-large-font");
    // 72 points shrink until ten digits fit 84 modules; the outer digits sit
    // two modules outside the bars.
    const TRect all = InkBounds(page, {0, 380, 3400, 800});
    EXPECT_GE(all.Left, 400 - 12 * 4);
    EXPECT_LE(all.Right, 780 + 12 * 4);
    EXPECT_LE(all.Bottom, 400 + 200 + 40);
    EXPECT_EQ(readModules(page, 480, 4), "036000291452");
}

TEST(UpcBars, ThePrintedSymbolReadsBackWithZbar) {
    TempDir dir;
    TRSDevice device({pdfPrinter()}, "PDF");
    TDazedeVedodev report(nullptr);
    report.SetDevice(&device);
    report.SetOutputFileName(dir.file("tag.pdf"));
    report.OnPrint = [&](TObject*) {
        report.SetFont("Arial", 10);
        TRSBarsUPC upc(&report);
        upc.SetXPosition(1);
        upc.YPos = 1;
        upc.SetText("03600029145");
        upc.Print();
    };
    report.Execute();
    const QImage page = RenderPdfPage(dir.file("tag.pdf"), 1, 300);
    ASSERT_FALSE(page.isNull());
    KeepPicture(page, "upc-pdf-300dpi");
    ASSERT_TRUE(page.save(QString::fromStdString(dir.file("tag.png"))));
    const std::string read = RunTool("zbarimg", {"-q", "-Supca.enable=1", dir.file("tag.png")});
    EXPECT_EQ(read, "UPC-A:036000291452\n");
    // The same bars on a 300-dpi page image, within a pixel (above the
    // readable line, whose glyphs each renderer draws its own way).
    std::string why;
    EXPECT_TRUE(SameInk(page.copy(0, 290, 2550, 130), symbolPage(300, true).copy(0, 290, 2550, 130), 1, &why)) << why;
}
