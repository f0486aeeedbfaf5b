// The report stream: the bytes the writer records, and the player giving
// back the pages the report draws directly; page ranges, reverse order,
// orientation, named values, and streams that are damaged.
#include <gtest/gtest.h>

#include <QImage>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "ImagePagesDevice.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSFiler.h"
#include "reporting/RSPrinter.h"
#include "reporting/RSStreamCodes.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/Forms.h"
#include "ui/Graphics.h"

namespace {

constexpr int Dpi = 100;

using Body = std::function<void(TBaseReport&)>;

std::string le16(int v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string le32(std::int64_t v) { return le16(static_cast<int>(v & 0xFFFF)) + le16(static_cast<int>((v >> 16) & 0xFFFF)); }
std::string single(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return le32(bits);
}

std::string fileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Records the body into a memory stream measured on a page-image device.
std::string record(const Body& body, TAccuracyMethod accuracy = amAppearance) {
    ImagePagesDevice device(Dpi);
    TReportFiler filer(nullptr);
    filer.SetDevice(&device);
    filer.SetAccuracyMethod(accuracy);
    filer.OnPrint = [&](TObject*) { body(filer); };
    filer.Execute();
    TMemoryStream* memory = filer.MemoryStream();
    return std::string(memory->Memory(), static_cast<std::size_t>(memory->Size()));
}

// Plays recorded bytes onto a page-image device.
void play(const std::string& bytes, ImagePagesDevice& device, const std::function<void(TFilePrinter&)>& run = {}) {
    TStringStream input(bytes);
    TFilePrinter player(nullptr);
    player.SetDevice(&device);
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    if (run) run(player);
    else player.Execute();
}

// The bytes between two pass-through markers.
std::string between(const std::string& bytes, const std::string& from, const std::string& to) {
    const std::size_t a = bytes.find(from), b = bytes.find(to);
    if (a == std::string::npos || b == std::string::npos || b < a) return "<markers missing>";
    const std::size_t start = a + from.size();
    return bytes.substr(start, b - start - 2);  // without the next record's code and length
}

// A filled box whose left edge says which page it is on.
void pageMark(TBaseReport& r, int page) {
    r.SetPen(clBlack, psClear, 1, pmCopy);
    r.SetBrush(clBlack, bsSolid, nullptr);
    r.Rectangle(page, 1, page + 0.5, 1.5);
}

void numberedPages(TBaseReport& r, int pages) {
    for (int page = 1; page <= pages; ++page) {
        if (page > 1) r.NewPage();
        pageMark(r, page);
    }
}

int markPage(const QImage& page) { return InkBounds(page).Left / Dpi; }

}  // namespace

TEST(ReportStream, AMinimalRunIsTheHeaderAndOnePageOfState) {
    const std::string bytes = record([](TBaseReport&) {});
    const std::string title = "DazedeVedodev Report";
    std::string header = std::string("\x5A\xE1\x07", 3) + static_cast<char>(title.size()) + title;
    header += le16(1) + le16(1) + le16(9999);                      // count patched to 1, first, last
    header += single(8.5f) + single(11.0f) + std::string(16, '\0');  // page size, no wastes
    header += std::string(1, '\0') + le16(265) + std::string(2, '\0') + le16(1) + le16(1) + le16(0) + le16(0);
    header += std::string(1, '\0');  // no printer name
    ASSERT_GE(bytes.size(), header.size() + 21);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    const std::string pageStart = std::string(1, '\x50') + le32(0) + le32(0) + le16(1) + single(8.5f) + single(11.0f);
    EXPECT_EQ(bytes.substr(header.size(), pageStart.size()), pageStart);
    EXPECT_EQ(bytes.back(), '\x52');
}

TEST(ReportStream, StringLengthPrefixes) {
    const struct {
        std::size_t length;
        std::string prefix;
    } cases[] = {{0, std::string(1, '\0')}, {191, "\xBF"}, {192, "\xC0\xC0"}, {300, "\xC1\x2C"}, {16383, "\xFF\xFF"}};
    for (const auto& c : cases) {
        const std::string text(c.length, 'x');
        const std::string bytes = record([&](TBaseReport& r) { r.PrintData(text); });
        EXPECT_NE(bytes.find("\x1E" + c.prefix + text + "\x52"), std::string::npos) << c.length;
        ImagePagesDevice device(Dpi, true);
        play(bytes, device);
        std::string played;
        for (const std::string& piece : device.RawData) played += piece;
        EXPECT_EQ(played, text) << c.length;
    }
}

TEST(ReportStream, AGraphicRegisteredAndReusedIsStoredOnce) {
    TBitmap bitmap(8, 8);
    bitmap.Canvas()->Brush()->SetColor(clBlack);
    bitmap.Canvas()->FillRect({0, 0, 8, 8});
    const std::string image = bitmap.saveToBytes();
    const std::string bytes = record([&](TBaseReport& r) {
        r.PrintBitmapRect(1, 1, 2, 2, &bitmap);
        r.RegisterGraphic(3);
        r.ReuseGraphic(3);
        r.PrintBitmapRect(3, 1, 4, 2, &bitmap);
    });
    const std::size_t first = bytes.find(image);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(bytes.find(image, first + 1), std::string::npos);
    EXPECT_NE(bytes.find("\x11\x81" + le32(static_cast<std::int64_t>(first) - 4)), std::string::npos);

    ImagePagesDevice device(Dpi);
    play(bytes, device);
    ASSERT_EQ(device.PageCount(), 1);
    const std::vector<TRect> boxes = InkBoxes(device.Page(0));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(WithinPixels(boxes[1], {300, 100, 400, 200}, 1)) << RectText(boxes[1]);
}

TEST(ReportStream, AnIconIsTheSameBytesInEveryRunAndDrawsBack) {
    // Half of the icon is transparent: the page shows through it.
    QImage pixels(16, 16, QImage::Format_ARGB32);
    pixels.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) pixels.setPixel(x, y, qRgb(200, 0, 0));
    TIcon icon;
    icon.fromImage(pixels);
    const Body body = [&](TBaseReport& r) { r.StretchDraw(1, 1, 2, 2, &icon); };
    const std::string first = record(body);
    EXPECT_EQ(record(body), first);

    ImagePagesDevice device(Dpi);
    play(first, device);
    ASSERT_EQ(device.PageCount(), 1);
    const QImage& page = device.Page(0);
    EXPECT_EQ(page.pixel(120, 150), qRgb(200, 0, 0));
    EXPECT_EQ(page.pixel(180, 150), qRgb(255, 255, 255));
}

TEST(ReportStream, ASlotIsReusedOnlyForTheKindItHolds) {
    TBitmap bitmap(8, 8);
    TIcon icon;
    QImage pixels(8, 8, QImage::Format_ARGB32);
    pixels.fill(qRgb(0, 0, 200));
    icon.fromImage(pixels);
    try {
        record([&](TBaseReport& r) {
            r.PrintBitmapRect(1, 1, 2, 2, &bitmap);
            r.RegisterGraphic(1);
            r.ReuseGraphic(1);
            r.StretchDraw(3, 1, 4, 2, &icon);
        });
        ADD_FAILURE() << "an icon written as a reference to a bitmap";
    } catch (const EDazedeVedodev& e) {
        EXPECT_EQ(std::string(e.what()), "ReuseGraphic: the slot holds another kind of graphic.");
    }
    // A stream that holds such a reference is refused by the player.
    std::string bytes = record([&](TBaseReport& r) {
        r.PrintBitmapRect(1, 1, 2, 2, &bitmap);
        r.RegisterGraphic(1);
        r.ReuseGraphic(1);
        r.PrintBitmapRect(3, 1, 4, 2, &bitmap);
    });
    const std::size_t reference = bytes.find(std::string("\x11\x81"));
    ASSERT_NE(reference, std::string::npos);
    bytes[reference + 1] = static_cast<char>(GraphicReference + GraphicIcon);
    ImagePagesDevice device(Dpi);
    EXPECT_THROW(play(bytes, device), EDazedeVedodev);
}

TEST(ReportStream, StateRecordsAreWrittenOnlyForWhatChanged) {
    const std::string bytes = record([](TBaseReport& r) {
        r.PrintData("<1>");
        r.SetBold(true);
        r.PrintData("<2>");
        r.SetFontColor(clRed);
        r.PrintData("<3>");
        r.SetBrush(clRed, bsSolid, nullptr);
        r.SetBrush(clRed, bsSolid, nullptr);
        r.PrintData("<4>");
    });
    const std::string bold = between(bytes, "<1>", "<2>");
    ASSERT_GE(bold.size(), 3u);
    EXPECT_EQ(bold.substr(0, 3), std::string("\x37\x01\x36", 3));  // rcFontBold 1, then rcFontSize
    EXPECT_EQ(bold.size(), 3u + 8u);
    EXPECT_EQ(between(bytes, "<2>", "<3>"), "\x34" + le32(clRed));
        // The first brush sets colour and style; the same brush again writes nothing.
    EXPECT_EQ(between(bytes, "<3>", "<4>"), "\x29" + le32(clRed) + std::string("\x2A\x00", 2));
}

TEST(ReportStream, MemoryAndTemporaryFileGiveTheSameBytes) {
    const Body body = [](TBaseReport& r) {
        r.PrintXY(1, 1, "Quenmark Optical");
        r.NewPage();
        r.Rectangle(1, 1, 2, 2);
    };
    const std::string inMemory = record(body);
    ImagePagesDevice device(Dpi);
    TReportFiler filer(nullptr);
    filer.SetDevice(&device);
    filer.SetStreamMode(smTempFile);
    filer.OnPrint = [&](TObject*) { body(filer); };
    filer.Execute();
    const std::string name = filer.FileName();
    ASSERT_EQ(std::filesystem::path(name).filename().string().substr(0, 2), "RS");
    EXPECT_EQ(fileBytes(name), inMemory);
    std::filesystem::remove(name);
}

TEST(ReportStream, MemoryStreamIsSavedToItsFileName) {
    TempDir dir;
    ImagePagesDevice device(Dpi);
    TReportFiler filer(nullptr);
    filer.SetDevice(&device);
    filer.SetFileName(dir.file("saved.rs"));
    filer.OnPrint = [&](TObject*) { filer.PrintXY(1, 1, "saved"); };
    filer.Execute();
    TMemoryStream* memory = filer.MemoryStream();
    EXPECT_EQ(fileBytes(dir.file("saved.rs")), std::string(memory->Memory(), static_cast<std::size_t>(memory->Size())));
}

namespace {

class ChunkCountingStream : public TMemoryStream {
public:
    std::vector<std::int64_t> reads;
    int64_t Read(void* buffer, int64_t count) override {
        reads.push_back(count);
        return TMemoryStream::Read(buffer, count);
    }
};

}  // namespace

TEST(ReportStream, PassThroughDataIsCopiedInChunksOf4096) {
    ChunkCountingStream source;
    const std::string data(20000, 'd');
    source.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
    source.SetPosition(0);
    const std::string bytes = record([&](TBaseReport& r) { r.PrintDataStream(&source, 0); });
    EXPECT_EQ(source.reads, (std::vector<std::int64_t>{4096, 4096, 4096, 4096, 3616}));
    EXPECT_NE(bytes.find("\x1F" + le32(20000) + data + "\x52"), std::string::npos);
}

TEST(ReportStream, GraphicSlotsAndCopyRectRefuseWhatTheyCannotDo) {
    const struct {
        std::function<void(TBaseReport&)> call;
        std::string message;
    } cases[] = {
        {[](TBaseReport& r) { r.RegisterGraphic(0); }, "RegisterGraphic: Index must be between 1 and 10"},
        {[](TBaseReport& r) { r.ReuseGraphic(11); }, "ReuseGraphic: Index must be between 1 and 10"},
        {[](TBaseReport& r) { r.UnregisterGraphic(-1); }, "UnregisterGraphic: Index must be between 1 and 10"},
        {[](TBaseReport& r) { r.CopyRect(0, 0, 1, 1, nullptr, 0, 0, 1, 1); }, "CopyRect() not supported in file mode."},
    };
    for (const auto& c : cases) {
        try {
            record(c.call);
            ADD_FAILURE() << c.message;
        } catch (const EDazedeVedodev& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST(ReportStream, AFailedStartWritesNothingAndRunsNoBody) {
    TempDir dir;
    TDialogScript script;
    script.Answer(mrOk);
    ImagePagesDevice device(Dpi);
    TReportFiler filer(nullptr);
    filer.SetDevice(&device);
    filer.SetStreamMode(smFile);
    filer.SetFileName(dir.file("no such folder/out.rs"));
    bool printed = false;
    filer.OnPrint = [&](TObject*) { printed = true; };
    filer.Execute();
    EXPECT_FALSE(printed);
    EXPECT_FALSE(filer.Printing());
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Error initializing stream \"" + dir.file("no such folder/out.rs") + "\"");
}

namespace {

// Three pages of what reports draw: fonts, tabs with boxes and shading,
// merged lines, coded text, a bitmap.
void threePages(TBaseReport& r, TBitmap& logo) {
    for (int page = 1; page <= 3; ++page) {
        if (page > 1) r.NewPage();
        r.SetFont("Arial", 16);
        r.SetBold(true);
        r.PrintXY(1, 1, "Quenmark Optical");
        r.SetBold(false);
        r.SetFont("Arial", 10);
        r.PrintXY(1, 1.4, "Daily \x01" "B1\x04" "receipts\x01" "B0\x04 page " + std::to_string(page));
        r.PrintBitmapRect(6.5, 0.8, 7.5, 1.3, &logo);
        r.SetPen(clBlack, psSolid, -2, pmCopy);
        r.MoveTo(1, 2);
        r.LineTo(4, 2);
        r.MoveTo(3, 2);
        r.LineTo(7.5, 2);
        r.SetPen(clBlack, psSolid, -1, pmCopy);
        r.ClearTabs();
        r.SetTab(1.0, pjLeft, 2.0, 5, BOXLINEALL, 20);
        r.SetTab(-1, pjRight, 1.0, 5, BOXLINEALL, 0);
        r.SetLineTop(2.5);
        for (int line = 0; line < 5; ++line) {
            r.PrintTab("Frames " + std::to_string(line));
            r.PrintTab(std::to_string(89 + line) + ".00");
            r.NewLine();
        }
        r.SetBrush(clBlack, bsSolid, nullptr);
        r.SetPen(clBlack, psClear, 1, pmCopy);
        r.Rectangle(page, 5, page + 0.5, 5.5);
        r.SetBrush(clBlack, bsClear, nullptr);
    }
}

}  // namespace

TEST(ReportStream, PlayedPagesMatchTheDirectlyDrawnPages) {
    TBitmap logo(40, 20);
    logo.Canvas()->Brush()->SetColor(clWhite);
    logo.Canvas()->FillRect({0, 0, 40, 20});
    logo.Canvas()->Brush()->SetColor(clBlack);
    logo.Canvas()->FillRect({0, 0, 20, 10});
    logo.Canvas()->FillRect({20, 10, 40, 20});

    ImagePagesDevice direct(Dpi);
    {
        TDazedeVedodev report(nullptr);
        report.SetDevice(&direct);
        report.OnPrint = [&](TObject*) { threePages(report, logo); };
        report.Execute();
    }
    ImagePagesDevice played(Dpi);
    play(record([&](TBaseReport& r) { threePages(r, logo); }), played);
    ASSERT_EQ(direct.PageCount(), 3);
    ASSERT_EQ(played.PageCount(), 3);
    for (int page = 0; page < 3; ++page) {
        KeepPicture(direct.Page(page), "stream-direct-" + std::to_string(page + 1));
        KeepPicture(played.Page(page), "stream-played-" + std::to_string(page + 1));
        std::string why;
        EXPECT_TRUE(SameInk(direct.Page(page), played.Page(page), 1, &why)) << "page " << page + 1 << ": " << why;
    }
}

TEST(ReportStream, PageRangesAndReverseOrder) {
    const struct {
        int pages, first, last;
        std::string selection;
        std::vector<int> printed;
    } cases[] = {
        {5, 2, 3, "", {2, 3}},
        {5, 0, 9, "", {1, 2, 3, 4, 5}},
        {3, 0, 0, "R", {3, 2, 1}},
        {5, 0, 0, "2,4", {2, 4}},
    };
    for (const auto& c : cases) {
        const std::string bytes = record([&](TBaseReport& r) { numberedPages(r, c.pages); });
        ImagePagesDevice device(Dpi);
        play(bytes, device, [&](TFilePrinter& player) {
            player.SetPageSelection(c.selection);
            player.ExecuteCustom(c.first, c.last, 0);
        });
        std::vector<int> printed;
        for (int i = 0; i < device.PageCount(); ++i) printed.push_back(markPage(device.Page(i)));
        EXPECT_EQ(printed, c.printed) << c.first << ".." << c.last << " " << c.selection;
    }
}

TEST(ReportStream, AnOrientationChangeInsidePage1AppliesFromPage2) {
    const std::string bytes = record([](TBaseReport& r) {
        r.PrintXY(1, 1, "Portrait");
        r.SetOrientation(TOrientation::poLandScape);
        r.NewPage();
        r.PrintXY(1, 1, "Landscape");
    });
    TempDir dir;
    TRSDevice device({pdfPrinter()}, "PDF");
    TStringStream input(bytes);
    TFilePrinter player(nullptr);
    player.SetDevice(&device);
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    player.SetOutputFileName(dir.file("turned.pdf"));
    player.Execute();
    ASSERT_EQ(PdfPageCount(dir.file("turned.pdf")), 2);
    EXPECT_EQ(PdfPageSize(dir.file("turned.pdf"), 1), (TSize{612, 792}));
    EXPECT_EQ(PdfPageSize(dir.file("turned.pdf"), 2), (TSize{792, 612}));
    KeepPicture(RenderPdfPage(dir.file("turned.pdf"), 2, Dpi), "stream-landscape");
}

TEST(ReportStream, NamedValuesArePatchedAndAnUnresolvedOneIsEmpty) {
    const std::string bytes = record([](TBaseReport& r) {
        r.PrintXY(1, 1, "Total " + r.NamedValueToken("Total"));
        r.PrintXY(1, 2, "Never " + r.NamedValueToken("Never"));
        r.NewPage();
        r.SetNamedValue("Total", "125.00");
    });
    ImagePagesDevice device(Dpi);
    std::string total = "?", never = "?";
    play(bytes, device, [&](TFilePrinter& player) {
        player.ExecuteCustom(1, 1, 0);
        total = player.NamedValue("TOTAL");
        never = player.NamedValue("Never");
    });
    EXPECT_EQ(total, "125.00");
    EXPECT_EQ(never, "");
}

TEST(ReportStream, AnAbortedPageLeavesAConsistentChain) {
    const std::string bytes = record([](TBaseReport& r) {
        numberedPages(r, 2);
        r.AbortPage();
        r.NewPage();
        pageMark(r, 3);
    });
    ImagePagesDevice device(Dpi);
    play(bytes, device);
    ASSERT_EQ(device.PageCount(), 2);
    EXPECT_EQ(markPage(device.Page(0)), 1);
    EXPECT_EQ(markPage(device.Page(1)), 3);
}

TEST(ReportStream, DamagedStreamsAreRefusedWithAMessage) {
    const std::string good = record([](TBaseReport& r) { numberedPages(r, 2); });
    const std::size_t page1 = good.find(std::string(1, '\x50') + le32(0));
    ASSERT_NE(page1, std::string::npos);
    const std::string unexpected = "Unexpected code found in report file.";
    auto with = [&](std::size_t at, const std::string& bytes) {
        std::string damaged = good;
        damaged.replace(at, bytes.size(), bytes);
        return damaged;
    };
    const struct {
        const char* what;
        std::string bytes;
        std::string message;
    } cases[] = {
        {"header code", with(0, "A"), "Unexpected header code found in report file."},
        {"empty stream", "", "Unexpected header code found in report file."},
        {"cut short", good.substr(0, good.size() - 20), unexpected},
        {"next link to itself", with(page1 + 5, le32(static_cast<std::int64_t>(page1))), unexpected},
        {"next link past the end", with(page1 + 5, le32(1 << 30)), unexpected},
        {"record code 4", good.substr(0, good.size() - 1) + "\x04", unexpected},
        {"page count beyond the chain", with(good.find("Report") + 6, le16(7)), unexpected},
    };
    for (const auto& c : cases) {
        ImagePagesDevice device(Dpi);
        try {
            play(c.bytes, device);
            ADD_FAILURE() << c.what;
        } catch (const EDazedeVedodev& e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.what;
        }
        EXPECT_FALSE(device.Printing()) << c.what;
    }
}

TEST(ReportStream, AGraphicOfAnotherKindIsRefused) {
    TBitmap bitmap(4, 4);
    std::string bytes = record([&](TBaseReport& r) { r.Draw(1, 1, &bitmap); });
    const std::size_t draw = bytes.find(std::string("\x05\x01", 2));
    ASSERT_NE(draw, std::string::npos);
    bytes[draw + 1] = '\x04';
    ImagePagesDevice device(Dpi);
    EXPECT_THROW(play(bytes, device), EDazedeVedodev);
}

TEST(ReportStream, OlderHeadersAreRead) {
    // A version-2009 stream has no title and one-byte string lengths, even
    // for lengths of 192 and more.
    std::string y = "\x59" + le16(1) + le16(1) + le16(1) + single(8.5f) + single(11.0f) + std::string(16, '\0');
    y += std::string(1, '\0') + le16(265) + std::string(2, '\0') + le16(1) + le16(1) + le16(0) + le16(0) +
         std::string(1, '\0');
    const std::string text(200, 'y');
    const std::size_t page = y.size();
    y += "\x50" + le32(0) + le32(0) + le16(1) + single(8.5f) + single(11.0f);
    y += "\x1E" + std::string(1, static_cast<char>(200)) + text + "\x52";
    ASSERT_EQ(y[page], '\x50');
    ImagePagesDevice device(Dpi, true);
    int version = 0;
    play(y, device, [&](TFilePrinter& player) {
        player.Execute();
        version = player.StreamVersion();
    });
    EXPECT_EQ(version, 2009);
    ASSERT_EQ(device.PageCount(), 1);
    std::string played;
    for (const std::string& piece : device.RawData) played += piece;
    EXPECT_EQ(played, text);
}

TEST(ReportStream, WithoutPrintersTheFilerMeasuresOnItsFormAndThePlayerStops) {
    {
        TReportFiler orphan(nullptr);
        orphan.SetDevice(noPrinterDevice());
        try {
            orphan.Execute();
            ADD_FAILURE() << "an owner that is no form was taken";
        } catch (const EDazedeVedodev& e) {
            EXPECT_EQ(std::string(e.what()), "TReportFiler.Owner must be a TForm if no printers are defined.");
        }
    }
    TForm form(nullptr);
    TReportFiler filer(&form);
    filer.SetDevice(noPrinterDevice());
    filer.OnPrint = [&](TObject*) { filer.PrintXY(1, 1, "Preview only"); };
    filer.Execute();
    const std::string bytes(filer.MemoryStream()->Memory(), static_cast<std::size_t>(filer.MemoryStream()->Size()));
    EXPECT_NE(bytes.find("Preview only"), std::string::npos);

    TDialogScript script;
    script.Answer(mrOk);
    TStringStream input(bytes);
    TFilePrinter player(nullptr);
    player.SetDevice(noPrinterDevice());
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    player.Execute();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "No printers are defined, aborting print job.");
}

TEST(ReportStream, WithoutPrintersTheRecordingNamesThePreviewAsItsDevice) {
    TForm form(nullptr);
    TReportFiler filer(&form);
    filer.SetDevice(noPrinterDevice());
    std::string names;
    filer.OnPrint = [&](TObject*) { names = filer.DeviceName() + "|" + filer.DriverName() + "|" + filer.Port(); };
    filer.Execute();
    EXPECT_EQ(names, "Preview Only|Preview Only|Preview");
}

TEST(ReportStream, A32768thPageIsRefused) {
    ImagePagesDevice device(Dpi);
    TReportFiler filer(nullptr);
    filer.SetDevice(&device);
    filer.SetLastPage(40000);
    int pages = 1;
    filer.OnPrint = [&](TObject*) {
        for (; pages < 40000; ++pages) filer.NewPage();
    };
    try {
        filer.Execute();
        ADD_FAILURE() << "a stream of more than 32,767 pages was written";
    } catch (const EDazedeVedodev& e) {
        EXPECT_EQ(std::string(e.what()), "A report stream holds at most 32,767 pages.");
    }
    EXPECT_EQ(pages, 32767);
    EXPECT_FALSE(filer.Printing());
}

TEST(ReportStream, AFontWiderThanWhereItWasRecordedIsFittedToTheRecordedWidth) {
    const std::string bytes = record([&](TBaseReport& r) {
        r.SetFont("Arial", 24);
        r.PrintXY(1, 1, "WIDE WORDS");
    });
    // The font-size record: code, height (about a third of an inch), then the
    // sample width measured when recording.
    auto singleAt = [&](std::size_t offset) {
        float value;
        std::memcpy(&value, bytes.data() + offset, 4);
        return value;
    };
    std::size_t at = std::string::npos;
    for (std::size_t i = 0; i + 9 <= bytes.size() && at == std::string::npos; ++i)
        if (static_cast<std::uint8_t>(bytes[i]) == rcFontSize && singleAt(i + 1) > 0.3f && singleAt(i + 1) < 0.37f)
            at = i;
    ASSERT_NE(at, std::string::npos);
    const std::size_t sampleAt = at + 5;
    const float sample = singleAt(sampleAt);
    ASSERT_GT(sample, 0.0f);

    // As recorded the text plays at its size; a printer whose font is wider
    // (here: a sample recorded at 60 %) gets a lower font until it fits.
    std::string narrowed = bytes;
    const std::string smaller = single(sample * 0.6f);
    narrowed.replace(sampleAt, 4, smaller);
    ImagePagesDevice asRecorded(Dpi), fitted(Dpi);
    play(bytes, asRecorded);
    play(narrowed, fitted);
    ASSERT_EQ(asRecorded.PageCount(), 1);
    ASSERT_EQ(fitted.PageCount(), 1);
    const auto full = InkBounds(asRecorded.Page(0));
    const auto fit = InkBounds(fitted.Page(0));
    const int fullWidth = full.Right - full.Left, fitWidth = fit.Right - fit.Left;
    KeepPicture(fitted.Page(0), "stream-fitted-font");
    EXPECT_LE(fitWidth, fullWidth * 0.6 + 3) << fullWidth;
    EXPECT_GE(fitWidth, fullWidth * 0.5) << fullWidth << ": lowered in small steps, not more than needed";
    EXPECT_LT(fit.Bottom - fit.Top, full.Bottom - full.Top);
}
