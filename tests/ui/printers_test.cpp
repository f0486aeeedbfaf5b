// Printers and print jobs: the PDF printer's files are read back with the
// poppler tools and compared with the same page drawn on an image.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

#include <cmath>
#include <filesystem>

#include "base/DateTime.h"
#include "os/Paths.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/PrintOutput.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"
#include "ui/Printers.h"

inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}

namespace {

std::string run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return p.readAllStandardOutput().toStdString();
}

int pdfPrinterIndex(TPrinter& printer) { return printer.Printers()->Count() - 1; }

// The same page at any resolution: every position is given in inches.
void drawPage(TCanvas* c) {
    int dpi = c->Handle()->GetDeviceCaps(LOGPIXELSX);
    auto px = [dpi](double inches) { return static_cast<int>(std::lround(inches * dpi)); };
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetColor(clRed);
    c->Rectangle(px(1), px(1), px(3), px(2));
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(px(4.5), px(1.25), px(7.5), px(1.75)));
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetColor(clLime);
    c->Pen()->SetWidth(px(0.04));
    c->MoveTo(px(1), px(5));
    c->LineTo(px(7), px(5));
    c->Pen()->SetColor(clFuchsia);
    c->Pen()->SetWidth(px(0.02));
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(px(1), px(8), px(7.5), px(10));
    c->Font()->SetName("Arial");
    c->Font()->SetSize(24);
    c->Font()->SetColor(clBlack);
    c->SetTextAlign(TA_LEFT | TA_BASELINE);
    c->TextOut(px(1), px(7), "Quenmark Optical 2003");
}

// Bounding box of the pixels that `is` picks.
TRect boundsOf(const QImage& image, bool (*is)(int r, int g, int b)) {
    QImage img = image.convertToFormat(QImage::Format_RGB32);
    int left = img.width(), top = img.height(), right = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (!is(qRed(line[x]), qGreen(line[x]), qBlue(line[x]))) continue;
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? TRect{} : TRect{left, top, right + 1, bottom + 1};
}

bool red(int r, int g, int b) { return r > 160 && g < 100 && b < 100; }
bool blue(int r, int g, int b) { return b > 160 && r < 100 && g < 100; }
bool green(int r, int g, int b) { return g > 160 && r < 100 && b < 100; }
bool fuchsia(int r, int g, int b) { return r > 160 && b > 160 && g < 100; }
bool black(int r, int g, int b) { return r < 100 && g < 100 && b < 100; }

void expectWithinAPixel(const TRect& a, const TRect& b, const char* what) {
    EXPECT_FALSE(a.IsEmpty()) << what;
    EXPECT_LE(std::abs(a.Left - b.Left), 1) << what;
    EXPECT_LE(std::abs(a.Top - b.Top), 1) << what;
    EXPECT_LE(std::abs(a.Right - b.Right), 1) << what;
    EXPECT_LE(std::abs(a.Bottom - b.Bottom), 1) << what;
}

}  // namespace

TEST(PrinterList, ThePdfPrinterIsAlwaysThere) {
    const auto& printers = installedPrinters();
    ASSERT_FALSE(printers.empty());
    EXPECT_EQ(printers.back(), pdfPrinter());
    EXPECT_EQ(pdfPrinter()->DisplayName(), "PDF on FILE:");
    EXPECT_EQ(findPrinter("pdf"), pdfPrinter());
    EXPECT_EQ(findPrinter("no such printer"), nullptr);
    ASSERT_NE(defaultPrinter(), nullptr);

    TPrinter printer;
    EXPECT_EQ(printer.Printers()->Count(), static_cast<int>(printers.size()));
    EXPECT_EQ(printer.Printers()->Strings(pdfPrinterIndex(printer)), "PDF on FILE:");
    EXPECT_EQ(printer.Driver(), defaultPrinter());  // index -1 resolves to the default
    EXPECT_EQ(Printer(), Printer());
}

TEST(PdfPrinter, PapersSettingsAndPageSizes) {
    const TPrinterDriver* pdf = pdfPrinter();
    TDevMode dm = pdf->DefaultDevMode();
    EXPECT_EQ(dm.PaperSize, DMPAPER_LETTER);
    EXPECT_FALSE(dm.Fields & DM_COPIES);  // one copy per file
    EXPECT_EQ(pdf->MaxCopies(), 1);

    struct Case {
        int paper, orientation, width, length;
        int horzRes, vertRes;
    } cases[] = {
        {DMPAPER_LETTER, DMORIENT_PORTRAIT, 0, 0, 5100, 6600},
        {DMPAPER_LETTER, DMORIENT_LANDSCAPE, 0, 0, 6600, 5100},
        {DMPAPER_A4, DMORIENT_PORTRAIT, 0, 0, 4961, 7016},
        {DMPAPER_USER, DMORIENT_PORTRAIT, 1016, 508, 2400, 1200},
    };
    for (const Case& c : cases) {
        TDevMode m = dm;
        m.PaperSize = c.paper;
        m.Orientation = c.orientation;
        m.PaperWidth = c.width;
        m.PaperLength = c.length;
        auto ic = pdf->CreateIC(&m);
        EXPECT_EQ(ic->GetDeviceCaps(HORZRES), c.horzRes) << c.paper;
        EXPECT_EQ(ic->GetDeviceCaps(VERTRES), c.vertRes) << c.paper;
        EXPECT_EQ(ic->GetDeviceCaps(PHYSICALWIDTH), c.horzRes);
        EXPECT_EQ(ic->GetDeviceCaps(PHYSICALOFFSETX), 0);
        EXPECT_EQ(ic->GetDeviceCaps(LOGPIXELSY), 600);
        TPoint size;
        EXPECT_EQ(ic->Escape(GETPHYSPAGESIZE, 0, &size), 1);
        EXPECT_EQ(size, (TPoint{c.horzRes, c.vertRes}));
    }
}

TEST(PdfPrinter, APageMatchesTheSamePageOnAnImage) {
    TempDir dir;
    TPrinter printer;
    printer.SetPrinterIndex(pdfPrinterIndex(printer));
    printer.SetTitle("Geometry");
    printer.SetOutputFile(dir.file("page.pdf"));
    printer.BeginDoc();
    drawPage(printer.Canvas());
    printer.EndDoc();
    ASSERT_EQ(printer.lastOutputFile(), dir.file("page.pdf"));
    run("pdftoppm", {"-r", "150", "-png", "-singlefile", QString::fromStdString(dir.file("page.pdf")),
                     QString::fromStdString(dir.file("page"))});
    QImage printed(QString::fromStdString(dir.file("page.png")));
    ASSERT_FALSE(printed.isNull());
    ASSERT_EQ(printed.size(), QSize(1275, 1650));

    TImageDevice device(1275, 1650, 150);
    TCanvas canvas(&device);
    drawPage(&canvas);
    const QImage& drawn = device.Image();

    expectWithinAPixel(boundsOf(printed, red), boundsOf(drawn, red), "filled rectangle");
    expectWithinAPixel(boundsOf(printed, blue), boundsOf(drawn, blue), "FillRect");
    expectWithinAPixel(boundsOf(printed, green), boundsOf(drawn, green), "wide line");
    expectWithinAPixel(boundsOf(printed, fuchsia), boundsOf(drawn, fuchsia), "frame");
    expectWithinAPixel(boundsOf(printed, black), boundsOf(drawn, black), "text");
    EXPECT_EQ(boundsOf(drawn, red), Rect(150, 150, 449, 299));  // clear pen: one pixel less
}

// Pens whose outlines a PDF page receives in a compact form of its own:
// dashed straight lines in every direction and pattern, and rectangle
// frames of thin, wide and inside-frame pens (beside a dashed frame and
// frames without an inside, which keep the general outline).
void drawOutlines(TDeviceContext& dc) {
    const TPenStyle styles[] = {psDash, psDot, psDashDot, psDashDotDot};
    int y = 40;
    for (TPenStyle style : styles) {
        dc.SelectPen(style, 1, clBlack);
        dc.MoveTo(30, y);
        dc.LineTo(1013, y);  // rightwards, ending inside a dash
        dc.MoveTo(1500, y + 20);
        dc.LineTo(1020, y + 20);  // leftwards
        y += 60;
    }
    int x = 1600;
    for (TPenStyle style : styles) {
        dc.SelectPen(style, 1, clBlack);
        dc.MoveTo(x, 30);
        dc.LineTo(x, 611);  // downwards
        dc.MoveTo(x + 30, 1150);
        dc.LineTo(x + 30, 640);  // upwards
        x += 80;
    }
    dc.SelectBrush(bsClear, clWhite);
    const struct {
        TPenStyle style;
        int width;
    } frames[] = {{psSolid, 1}, {psSolid, 7}, {psInsideFrame, 7}, {psDash, 1}, {psSolid, 1}};
    int left = 40;
    for (const auto& f : frames) {
        dc.SelectPen(f.style, f.width, clBlack);
        dc.Rectangle(left, 400, left + 211, 700);
        left += 260;
    }
    dc.SelectPen(psSolid, 1, clBlack);
    dc.Rectangle(40, 760, 41, 1000);  // one pixel wide: no inside
    dc.SelectPen(psSolid, 7, clBlack);
    dc.Rectangle(100, 760, 400, 767);  // the wide pen meets itself inside
}

TEST(PdfPrinter, DashedLinesAndFramesMatchTheImagePixelForPixel) {
    TempDir dir;
    TDevMode dm = pdfPrinter()->DefaultDevMode();
    dm.PaperSize = DMPAPER_USER;
    dm.PaperWidth = 1016;  // 4 x 2 inches: 2400 x 1200 pixels
    dm.PaperLength = 508;
    auto pdf = pdfPrinter()->CreateDC(&dm);
    ASSERT_GT(pdf->StartDoc({"Outlines", dir.file("outlines.pdf")}), 0);
    ASSERT_EQ(pdf->StartPage(), 1);
    drawOutlines(*pdf);
    pdf->EndPage();
    pdf->EndDoc();
    run("pdftoppm", {"-r", "600", "-gray", "-png", "-singlefile", QString::fromStdString(dir.file("outlines.pdf")),
                     QString::fromStdString(dir.file("outlines"))});
    QImage printed = QImage(QString::fromStdString(dir.file("outlines.png"))).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(printed.size(), QSize(2400, 1200));

    TImageDevice device(pdfPrinter()->CapsFor(&dm));
    drawOutlines(device);
    const QImage drawn = device.Image().convertToFormat(QImage::Format_Grayscale8);
    ASSERT_EQ(drawn.size(), printed.size());
    // Ink against paper; the PDF's smoothed edges may be grey where the
    // image is either.
    int differing = 0;
    std::string first;
    for (int y = 0; y < drawn.height(); ++y) {
        const uchar* a = printed.constScanLine(y);
        const uchar* b = drawn.constScanLine(y);
        for (int x = 0; x < drawn.width(); ++x)
            if (std::abs(a[x] - b[x]) > 192 && differing++ == 0)
                first = std::to_string(x) + "," + std::to_string(y);
    }
    EXPECT_EQ(differing, 0) << "first at " << first;
}

TEST(PdfPrinter, TwoPageJobWithALandscapeSecondPage) {
    TempDir dir;
    TPrinter printer;
    printer.SetPrinterIndex(pdfPrinterIndex(printer));
    printer.SetOutputFile(dir.file("two.pdf"));
    printer.BeginDoc();
    EXPECT_EQ(printer.PageNumber(), 1);
    EXPECT_EQ(printer.PageWidth(), 5100);
    printer.Canvas()->TextOut(100, 100, "Page one");
    printer.SetOrientation(poLandscape);
    printer.NewPage();
    EXPECT_EQ(printer.PageNumber(), 2);
    EXPECT_EQ(printer.PageWidth(), 6600);
    EXPECT_EQ(printer.PageHeight(), 5100);
    printer.Canvas()->TextOut(100, 100, "Page two");
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());

    QString info = QString::fromStdString(
        run("pdfinfo", {"-f", "1", "-l", "2", QString::fromStdString(dir.file("two.pdf"))}));
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+2\\b"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page\\s+1 size:\\s+612 x 792 pts"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page\\s+2 size:\\s+792 x 612 pts"))) << info.toStdString();
    std::string text = run("pdftotext", {QString::fromStdString(dir.file("two.pdf")), "-"});
    EXPECT_NE(text.find("Page one"), std::string::npos);
    EXPECT_NE(text.find("Page two"), std::string::npos);
}

TEST(Printer, JobRulesAndErrors) {
    TempDir dir;
    TPrinter printer;
    printer.SetPrinterIndex(pdfPrinterIndex(printer));
    try {
        printer.NewPage();
        ADD_FAILURE() << "NewPage outside a job";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), "Printer is not currently printing");
    }
    try {
        printer.SetPrinterIndex(printer.Printers()->Count());
        ADD_FAILURE() << "index beyond the list";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), "Printer index out of range");
    }
    // The PDF printer makes one copy; more are ignored.
    printer.SetCopies(3);
    EXPECT_EQ(printer.Copies(), 1);
    // Orientation outside a job changes what the canvas measures.
    EXPECT_LT(printer.PageWidth(), printer.PageHeight());
    printer.SetOrientation(poLandscape);
    EXPECT_GT(printer.PageWidth(), printer.PageHeight());
    EXPECT_EQ(printer.Canvas()->Font()->PixelsPerInch(), 600);

    printer.SetOutputFile(dir.file("aborted.pdf"));
    printer.BeginDoc();
    try {
        printer.BeginDoc();
        ADD_FAILURE() << "BeginDoc twice";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), "Printing in progress");
    }
    EXPECT_THROW(printer.SetPrinterIndex(-1), EPrinter);
    printer.Canvas()->TextOut(10, 10, "never printed");
    printer.Abort();
    EXPECT_FALSE(printer.Printing());
    EXPECT_FALSE(std::filesystem::exists(dir.file("aborted.pdf")));
    EXPECT_EQ(printer.lastOutputFile(), "");
}

TEST(PdfPrinter, EachPrintIsANewFileInThePrintFolderNamedFromItsWindowAndAnnounced) {
    TempDir dir;
    const std::string folder = dir.file("prints");
    ScopedEnv printDir("QUENMARK_PRINT_DIR", folder);
    setFixedNow(EncodeDate(2026, 12, 11) + EncodeTime(14, 30, 5, 0));
    std::vector<std::string> announced;
    setPrintedHook([&](const std::string& File) { announced.push_back(File); });
    struct Case {
        TDocInfo doc;
        std::string written;
    };
    const std::string title = "DazedeVedodev Report";
    const Case cases[] = {
        {{title, "", "Receipt 12"}, folder + "/Receipt 12 2026-12-11 14-30-05.pdf"},
        // The same window in the same second: never overwritten.
        {{title, "", "Receipt 12"}, folder + "/Receipt 12 2026-12-11 14-30-05 (2).pdf"},
        {{title, "", "Receipt 12"}, folder + "/Receipt 12 2026-12-11 14-30-05 (3).pdf"},
        {{title, "", "Daily: Report/1"}, folder + "/Daily_ Report_1 2026-12-11 14-30-05.pdf"},
        // No window: the document's name.
        {{title, "", ""}, folder + "/DazedeVedodev Report 2026-12-11 14-30-05.pdf"},
        // A file named for the job: a bare name in the print folder, a path as given.
        {{title, "deposit.pdf", "Deposit 5"}, folder + "/deposit.pdf"},
        {{title, dir.file("kept.pdf"), "Deposit 5"}, dir.file("kept.pdf")},
    };
    std::vector<std::string> written;
    for (const Case& c : cases) {
        auto dc = pdfPrinter()->CreateDC(nullptr);
        ASSERT_GT(dc->StartDoc(c.doc), 0) << c.written;
        dc->StartPage();
        dc->EndPage();
        dc->EndDoc();
        EXPECT_EQ(dc->OutputFile(), c.written);
        EXPECT_GT(std::filesystem::file_size(c.written), 0u) << c.written;
        written.push_back(c.written);
    }
    EXPECT_EQ(announced, written);

    // A job without a page leaves no file and no word.
    auto empty = pdfPrinter()->CreateDC(nullptr);
    ASSERT_GT(empty->StartDoc({title, "", "Empty"}), 0);
    empty->EndDoc();
    EXPECT_EQ(empty->OutputFile(), "");
    EXPECT_FALSE(std::filesystem::exists(folder + "/Empty 2026-12-11 14-30-05.pdf"));
    EXPECT_EQ(announced.size(), written.size());
    setPrintedHook(nullptr);
    clearFixedNow();
}

TEST(PrinterContext, InformationAndDeviceContextsMeasureAlike) {
    const TPrinterDriver* pdf = pdfPrinter();
    auto ic = pdf->CreateIC(nullptr);
    auto dc = pdf->CreateDC(nullptr);
    TLogFont lf;
    lf.FaceName = "Arial";
    lf.Height = -50;
    ic->SelectFont(CreateFontIndirect(lf));
    dc->SelectFont(CreateFontIndirect(lf));
    EXPECT_EQ(ic->GetTextExtentPoint("Frames and lenses"), dc->GetTextExtentPoint("Frames and lenses"));
    // Pages only between StartDoc and EndDoc; drawing outside a page is ignored.
    EXPECT_EQ(dc->StartPage(), 0);
    EXPECT_FALSE(dc->canDraw());
}
