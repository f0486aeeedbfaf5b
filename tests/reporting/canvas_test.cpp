// The canvas report draws on a 100-dpi page image; each case is checked by
// the ink it leaves, in pixels.
#include <gtest/gtest.h>

#include <functional>

#include "ImagePagesDevice.h"
#include "base/Streams.h"
#include "reporting/RSPrinter.h"
#include "support/PageImages.h"

namespace {

constexpr int Dpi = 100;

// Runs body as the report's OnPrint on one page and returns the page.
QImage drawPage(const std::function<void(TBaseReport&)>& body, ImagePagesDevice* device = nullptr) {
    ImagePagesDevice own(Dpi);
    ImagePagesDevice& pages = device ? *device : own;
    TDazedeVedodev report(nullptr);
    report.SetDevice(&pages);
    report.OnPrint = [&](TObject*) {
        report.SetFont("Arial", 12);
        body(report);
    };
    report.Execute();
    return pages.PageCount() > 0 ? pages.Page(0).copy() : QImage();
}

}  // namespace

TEST(CanvasReport, InkOfTextAndShapes) {
    struct Case {
        const char* name;
        std::function<void(TBaseReport&)> draw;
        TRect expected;  // ink bounds; an edge of -1 is not checked
        int tolerance;
    };
    const Case cases[] = {
        {"right-aligned text ends at 3 in",
         [](TBaseReport& r) { r.GotoXY(0, 2); r.PrintRight("Total", 3); }, {-1, -1, 300, -1}, 1},
        // The bold "l" keeps a pixel more of its advance free than the plain one.
        {"coded bold right-aligned text ends at 3 in",
         [](TBaseReport& r) { r.GotoXY(0, 2); r.PrintRight("\x01" "B1\x04Total", 3); }, {-1, -1, 299, -1}, 1},
        {"a rectangle with a clear pen spans X1 to X2",
         [](TBaseReport& r) {
             r.SetPen(clBlack, psClear, 1, pmCopy);
             r.SetBrush(clBlack, bsSolid, nullptr);
             r.Rectangle(1, 1, 2, 1.5);
         },
         {100, 100, 201, 151}, 0},
        {"a rectangle given right to left and bottom to top is the same",
         [](TBaseReport& r) {
             r.SetPen(clBlack, psClear, 1, pmCopy);
             r.SetBrush(clBlack, bsSolid, nullptr);
             r.Rectangle(2, 1.5, 1, 1);
         },
         {100, 100, 201, 151}, 0},
        {"a 3-pixel pen in frame mode 0 stays inside X1..X2",
         [](TBaseReport& r) {
             r.SetPen(clBlack, psSolid, 3, pmCopy);
             r.SetBrush(clWhite, bsClear, nullptr);
             r.Rectangle(1, 1, 2, 1.5);
         },
         {100, 100, 201, 151}, 0},
        {"a 3-pixel pen in frame mode 2 lies outside X1..X2",
         [](TBaseReport& r) {
             r.SetFrameMode(2);
             r.SetPen(clBlack, psSolid, 3, pmCopy);
             r.SetBrush(clWhite, bsClear, nullptr);
             r.Rectangle(1, 1, 2, 1.5);
         },
         {97, 97, 204, 154}, 0},
        {"a tab rectangle reaches one pixel past X2",
         [](TBaseReport& r) {
             r.SetPen(clBlack, psClear, 1, pmCopy);
             r.SetBrush(clBlack, bsSolid, nullptr);
             r.TabRectangle(1, 1, 2, 1.5);
         },
         {100, 100, 200, 150}, 0},
        {"block text fills exactly its width",
         [](TBaseReport& r) { r.GotoXY(0, 2); r.PrintJustify("Quenmark optical shop", pjBlock, 1, 0, 4); },
         {-1, -1, 500, -1}, 1},
        {"a one-word block spreads its letters",
         [](TBaseReport& r) { r.GotoXY(0, 2); r.PrintJustify("LENS", pjBlock, 1, 0, 3); }, {-1, -1, 400, -1}, 1},
        {"text clipped to its rectangle",
         [](TBaseReport& r) {
             r.SetBrush(clWhite, bsClear, nullptr);
             r.TextRect(r.CreateRect(1, 1, 1.5, 1.3), 1, 1.2, "Clipped text that runs on");
         },
         {100, -1, 150, -1}, 1},
        {"an ellipse with a clear pen",
         [](TBaseReport& r) {
             r.SetPen(clBlack, psClear, 1, pmCopy);
             r.SetBrush(clBlack, bsSolid, nullptr);
             r.Ellipse(1, 1, 3, 2);
         },
         {100, 100, 301, 201}, 1},
    };
    for (const Case& c : cases) {
        const QImage page = drawPage(c.draw);
        ASSERT_FALSE(page.isNull()) << c.name;
        KeepPicture(page, std::string("canvas-") + c.name);
        const TRect ink = InkBounds(page);
        ASSERT_FALSE(ink.IsEmpty()) << c.name;
        auto check = [&](int expected, int actual, const char* edge) {
            if (expected >= 0) {
                EXPECT_NEAR(actual, expected, c.tolerance) << c.name << ": " << edge;
            }
        };
        check(c.expected.Left, ink.Left, "left");
        check(c.expected.Top, ink.Top, "top");
        check(c.expected.Right, ink.Right, "right");
        check(c.expected.Bottom, ink.Bottom, "bottom");
    }
}

TEST(CanvasReport, CentredTextIsCentredAndThePrintPositionEndsAtTheTextsRightEnd) {
    double afterLeft = 0, afterCentre = 0, afterRight = 0, leftEnd = 0;
    const QImage page = drawPage([&](TBaseReport& r) {
        r.GotoXY(0, 1);
        r.PrintLeft("Frames", 1);
        afterLeft = r.XPos();
        leftEnd = 1 + r.TextWidth("Frames");
        r.GotoXY(0, 2);
        r.PrintCenter("Lenses and frames", 4.25);
        afterCentre = r.XPos();
        r.GotoXY(0, 3);
        r.PrintRight("Total", 6);
        afterRight = r.XPos();
    });
    EXPECT_NEAR(afterLeft, leftEnd, 1e-9);
    const TRect centred = InkBounds(page, {0, 160, 850, 210});
    EXPECT_NEAR((centred.Left + centred.Right) / 2.0, 425, 1);
    EXPECT_NEAR(afterCentre, 4.25 + (centred.Right - centred.Left) / 200.0, 0.02);
    EXPECT_DOUBLE_EQ(afterRight, 6);
}

TEST(CanvasReport, ThreeStopBoxTableInPixels) {
    const QImage page = drawPage([](TBaseReport& r) {
        r.SetFont("Arial", 10);
        r.SetLinesPerInch(4);
        r.SetMarginTop(1);
        r.Home();
        r.SetTab(1.0, pjLeft, 1.5, 5, BOXLINEALL, 10);
        r.SetTab(-1, pjCenter, 2.0, 5, BOXLINEALL, 10);
        r.SetTab(-1, pjRight, 1.0, 5, BOXLINEALL, 10);
        for (int row = 0; row < 2; ++row) {
            r.PrintTab("Item");
            r.PrintTab("Qty");
            r.PrintTab("9.99");
            r.NewLine();
        }
    });
    KeepPicture(page, "canvas-box-table");
    for (int x : {100, 250, 450, 550})
        for (int y : {105, 120, 130, 145}) EXPECT_TRUE(IsInk(page.pixel(x, y))) << "vertical line at " << x << "," << y;
    for (int y : {100, 125, 150})
        for (int x : {105, 240, 260, 440, 460, 545}) EXPECT_TRUE(IsInk(page.pixel(x, y))) << "horizontal line at " << x << "," << y;
    EXPECT_EQ(InkBounds(page), (TRect{100, 100, 551, 151}));
    EXPECT_EQ(qGray(page.pixel(240, 110)), 229) << "shaded box";
    for (const TRect& cell : {TRect{101, 101, 250, 124}, TRect{251, 126, 450, 149}, TRect{451, 101, 550, 124}})
        EXPECT_FALSE(InkBounds(page, cell).IsEmpty()) << "text in " << RectText(cell);
    EXPECT_NEAR(InkBounds(page, {451, 101, 550, 124}).Right, 545, 1) << "right-aligned in its margin";
}

TEST(CanvasReport, LinesBitmapsAndImages) {
    TBitmap black(2, 2);
    black.Canvas()->Brush()->SetColor(clBlack);
    black.Canvas()->FillRect(Rect(0, 0, 2, 2));
    TBitmap empty;
    const QImage page = drawPage([&](TBaseReport& r) {
        r.SetPen(clBlack, psSolid, 1, pmCopy);
        r.MoveTo(1, 1);
        r.LineTo(2, 2);  // diagonal: drawn at once
        r.PrintBitmap(3, 1, 10, 5, &black);
        r.PrintBitmapRect(5, 1, 5.5, 1.25, &black);
        r.PrintBitmap(6, 1, 10, 10, &empty);
        TStringStream data("any bytes");
        r.PrintImageRect(7, 1, 8, 2, &data, "PNG");  // no decoder: nothing
    });
    KeepPicture(page, "canvas-lines-bitmaps");
    EXPECT_TRUE(WithinPixels(InkBounds(page, {0, 0, 250, 300}), {100, 100, 200, 200}, 1))
        << RectText(InkBounds(page, {0, 0, 250, 300}));
    EXPECT_EQ(InkBounds(page, {250, 0, 450, 300}), (TRect{300, 100, 320, 110}));
    EXPECT_EQ(InkBounds(page, {450, 0, 650, 300}), (TRect{500, 100, 550, 125}));
    EXPECT_TRUE(InkBounds(page, {650, 0, 850, 300}).IsEmpty());
}

TEST(CanvasReport, BitmapsAreCopiedOrAndedByTheImageMode) {
    TBitmap white(2, 2);
    white.Canvas()->Brush()->SetColor(clWhite);
    white.Canvas()->FillRect(Rect(0, 0, 2, 2));
    for (std::uint8_t mode : {0, 1}) {
        const QImage page = drawPage([&](TBaseReport& r) {
            r.SetPen(clBlack, psClear, 1, pmCopy);
            r.SetBrush(clBlack, bsSolid, nullptr);
            r.Rectangle(1, 1, 2, 2);
            r.SetImageMode(mode);
            r.PrintBitmapRect(1.25, 1.25, 1.75, 1.75, &white);
        });
        // Copied, the white bitmap clears the middle of the black square;
        // ANDed onto it, it leaves the square black.
        EXPECT_EQ(IsInk(page.pixel(150, 150)), mode == 1) << int(mode);
        EXPECT_TRUE(IsInk(page.pixel(110, 110))) << int(mode);
    }
}

TEST(CanvasReport, ImagesOfUnknownTypesGoThroughTheDecoder) {
    ImagePagesDevice pages(Dpi);
    TDazedeVedodev report(nullptr);
    report.SetDevice(&pages);
    std::string seenType;
    report.OnDecodeImage = [&](TObject*, TStream* stream, const std::string& type, TBitmap* bitmap) {
        seenType = type + ":" + std::to_string(stream->Size());
        bitmap->SetSize(4, 4);
        bitmap->Canvas()->Brush()->SetColor(clBlack);
        bitmap->Canvas()->FillRect(Rect(0, 0, 4, 4));
    };
    report.OnPrint = [&](TObject*) {
        TStringStream data("12345");
        report.PrintImageRect(1, 1, 2, 1.5, &data, "JPG");
    };
    report.Execute();
    EXPECT_EQ(seenType, "JPG:5");
    EXPECT_EQ(InkBounds(pages.Page(0)), (TRect{100, 100, 200, 150}));
}

TEST(CanvasReport, RawDataGoesInChunksToADeviceThatTakesIt) {
    struct Case {
        std::function<void(TBaseReport&)> send;
        std::vector<std::size_t> chunks;
    };
    const Case cases[] = {
        {[](TBaseReport& r) { r.PrintData(std::string(300, 'x')); }, {255, 45}},
        {[](TBaseReport& r) { r.PrintData(""); }, {}},
        {[](TBaseReport& r) {
             TStringStream data(std::string(8192, 'y'));
             r.PrintDataStream(&data, 8192);
         },
         {4096, 4096}},
        {[](TBaseReport& r) {
             TStringStream data(std::string(5000, 'z'));
             data.SetPosition(1000);
             r.PrintDataStream(&data, 0);
         },
         {4000}},
    };
    for (const Case& c : cases) {
        ImagePagesDevice pages(Dpi, true);
        drawPage(c.send, &pages);
        std::vector<std::size_t> sizes;
        for (const std::string& chunk : pages.RawData) sizes.push_back(chunk.size());
        EXPECT_EQ(sizes, c.chunks);
    }
    // A device without a raw path takes nothing and draws nothing.
    ImagePagesDevice noRaw(Dpi, false);
    const QImage page = drawPage([](TBaseReport& r) { r.PrintData("ESC sequence"); }, &noRaw);
    EXPECT_TRUE(noRaw.RawData.empty());
    EXPECT_TRUE(InkBounds(page).IsEmpty());
}
