// The label shell: geometry setters and the stock table, where labels land
// on the sheet (skipped positions, a start position, column order), the
// label events' Valid protocol, and the outlines of the SKU and chart label
// sheets, which the recorded stream keeps for the preview: the preview
// window shows them, the PDF printed from the same stream does not, also
// when the sheet runs on a report runner.
#include <gtest/gtest.h>

#include <memory>

#include "ImagePagesDevice.h"
#include "RecordedStream.h"
#include "reporting/RSBars.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSLabel.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSPreview.h"
#include "reporting/RSSystem.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

namespace {

constexpr int Dpi = RecordedRun::Dpi;
// The preview window's resolution at 100 percent.
constexpr int ScreenDpi = 96;

// Where one label was printed: its sheet and position, the report's
// origin and print section there (inches).
struct Placed {
    int page, row, col;
    double originX, originY;
    double left, top, right, bottom;
};

// Prints `count` labels on `run` and notes where each went.
std::vector<Placed> placeLabels(TLabelShell& shell, int count, RecordedRun& run) {
    std::vector<Placed> placed;
    shell.OnLabelPrint = [&](TBaseReport* r, TLabelShell* s, bool&) {
        placed.push_back({r->CurrentPage(), s->LabelRow, s->LabelCol, r->OriginX(), r->OriginY(), r->SectionLeft(),
                          r->SectionTop(), r->SectionRight(), r->SectionBottom()});
        r->PrintXY(0.3, 0.5, "Label " + std::to_string(placed.size()));
    };
    shell.OnLabelAfter = [&](TBaseReport*, TLabelShell*, bool& valid) { valid = static_cast<int>(placed.size()) < count; };
    run.run(shell);
    return placed;
}

std::string where(const Placed& p) {
    return "page " + std::to_string(p.page) + " row " + std::to_string(p.row) + " col " + std::to_string(p.col);
}

// Plays a stream for the printer and notes, for every outline and every
// text the stream holds, whether the printer is to draw it.
class PrinterWatcher : public TFilePrinter {
public:
    using TFilePrinter::TFilePrinter;
    std::vector<bool> outlineDrawn, textDrawn;
    void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) override {
        outlineDrawn.push_back(!OutputSuppressed());
        TFilePrinter::RoundRect(X1, Y1, X2, Y2, X3, Y3);
    }
    void PrintRightInch(const std::string& Text, double X) override {
        textDrawn.push_back(!OutputSuppressed());
        TFilePrinter::PrintRightInch(Text, X);
    }
};

void playInto(TFilePrinter& player, const std::string& bytes, TReportDevice* device,
              const std::string& outputFile = {}) {
    TStringStream input(bytes);
    player.SetDevice(device);
    if (!outputFile.empty()) player.SetOutputFileName(outputFile);
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    player.Execute();
}

// The SKU label sheet of the inventory labels: 4 x 20 labels of 1.75 x 0.5
// in, border 0.2, outlines drawn.
void skuSheet(TLabelShell& shell) {
    shell.SetNumAcross(4);
    shell.SetNumDown(20);
    shell.SetLabelWidth(1.75);
    shell.SetLabelHeight(0.5);
    shell.SetSpacingLeft(0.281);
    shell.SetSpacingTop(0.5);
    shell.SetSpacingWidth(2.063);
    shell.SetSpacingHeight(0.5);
    shell.SetLabelBrand(lbAV5267);
    shell.SetBorder(0.2);
    shell.SetDrawExtents(true);
}

// Six shelf labels: item number, size and price right-aligned, and the
// item's UPC bar code.
void printSkuLabels(TLabelShell& shell) {
    static const char* const items[][3] = {{"1001", "52-18", "$89.00"},  {"1002", "54-20", "$129.00"},
                                            {"2040", "50-19", "$59.95"},  {"2041", "48-16", "$45.00"},
                                            {"3300", "O/S", "$12.50"},    {"3301", "O/S", "$7.25"}};
    auto next = std::make_shared<int>(0);
    shell.OnPageBefore = [](TBaseReport* r, TLabelShell*) { r->SetFont("Arial", 8); };
    shell.OnLabelPrint = [next](TBaseReport* r, TLabelShell*, bool&) {
        const auto& item = items[*next];
        const double lines[] = {0.17, 0.27, 0.37};
        for (int i = 0; i < 3; ++i) {
            r->GotoXY(0, lines[i]);
            r->PrintRight(item[i], 1.64);
        }
        TRSBarsUPC bars(r);
        bars.BarWidth = 0.0075;
        bars.BarHeight = 0.25;
        bars.SetXPosition(r->MarginLeft() + 0.17);
        bars.YPos = r->MarginTop() + 0.1;
        bars.SetText(item[0]);
        bars.Print();
    };
    shell.OnLabelAfter = [next](TBaseReport*, TLabelShell*, bool& valid) { valid = ++*next < 6; };
}

// A rectangle of a Letter page's picture given in inches from the paper's corner.
TRect inches(const QImage& page, double x1, double y1, double x2, double y2) {
    const double dpi = page.width() / 8.5;
    return {static_cast<int>(x1 * dpi), static_cast<int>(y1 * dpi), static_cast<int>(x2 * dpi),
            static_cast<int>(y2 * dpi)};
}

bool inkIn(const QImage& page, double x1, double y1, double x2, double y2) {
    return !InkBounds(page, inches(page, x1, y1, x2, y2)).IsEmpty();
}

// Page 1 of a recorded stream as the preview window shows it at 100 percent.
QImage previewPage(const std::string& bytes) {
    TStringStream input(bytes);
    auto* window = CreateForm<TRSPreviewForm>(nullptr);
    for (TFilePrinter* player : {static_cast<TFilePrinter*>(window->FilePreview1), window->FilePrinter1}) {
        player->SetStreamMode(smUser);
        player->SetStream(&input);
    }
    window->FilePreview1->SetZoomFactor(100);
    window->Show();
    QImage page = window->FilePreview1->PageBitmap()->toImage().convertToFormat(QImage::Format_RGB32);
    window->Close();
    delete window;
    return page;
}

}  // namespace

// ---------------------------------------------------------------- geometry

TEST(LabelShell, StartsAsThe30UpAddressStock) {
    TLabelShell shell(nullptr);
    EXPECT_EQ(shell.LabelBrand(), lbAV5160);
    EXPECT_EQ(shell.NumAcross(), 3);
    EXPECT_EQ(shell.NumDown(), 10);
    EXPECT_EQ(shell.LabelShape(), lsRoundRect);
    EXPECT_TRUE(shell.DrawPreviewOnly());
    EXPECT_FALSE(shell.DrawExtents());
    EXPECT_TRUE(shell.PrintByRow());
    EXPECT_EQ(shell.Border(), 0);
    // The brands keep their places: they are stored by ordinal.
    EXPECT_EQ(static_cast<int>(lbAV5366), 32);
    EXPECT_EQ(static_cast<int>(lbAV5845), 136);
    EXPECT_EQ(static_cast<int>(lbCustom), 137);
}

TEST(LabelShell, ChoosingAStockLoadsItsGeometryAndShape) {
    struct Case {
        TLabelBrand brand;
        TLabelStock geometry;
        TLabelShape shape;
    };
    const Case cases[] = {
        {lbAV5160, {3, 10, 2.625, 1, 2.75, 1, 0.188, 0.5}, lsRoundRect},
        {lbAV8930, {3, 10, 2.625, 1, 2.75, 1, 0.188, 0.5}, lsRoundRect},
        {lbAV5161, {2, 10, 4, 1, 4.188, 1, 0.156, 0.5}, lsRoundRect},
        {lbAV5267, {4, 20, 1.75, 0.5, 2.063, 0.5, 0.281, 0.5}, lsRoundRect},
        {lbAV5165, {1, 1, 8.5, 11, 8.5, 11, 0.0001, 0.0001}, lsRoundRect},
        {lbAV5294, {3, 4, 2.5, 2.5, 2.75, 2.5, 0.25, 0.5}, lsRound},
        {lbAV5199SPINE, {1, 15, 5.813, 0.667, 5.813, 0.667, 1.344, 0.5}, lsRoundRect},
        {lbAV5315, {2, 1, 5.5, 8.5, 5.5, 0.0001, 0.0001, 0.0001}, lsRoundRect},
        {lbAV5366, {2, 15, 3.438, 0.666, 4.0, 0.666, 0.531, 0.5}, lsRoundRect},  // the chart label
    };
    for (const Case& c : cases) {
        TLabelShell shell(nullptr);
        shell.SetLabelBrand(lbCustom);
        shell.SetLabelBrand(c.brand);
        const TLabelStock& g = c.geometry;
        EXPECT_EQ(shell.LabelBrand(), c.brand);
        EXPECT_EQ(shell.NumAcross(), g.Across) << c.brand;
        EXPECT_EQ(shell.NumDown(), g.Down) << c.brand;
        EXPECT_EQ(shell.LabelWidth(), g.Width) << c.brand;
        EXPECT_EQ(shell.LabelHeight(), g.Height) << c.brand;
        EXPECT_EQ(shell.SpacingWidth(), g.SpacingWidth) << c.brand;
        EXPECT_EQ(shell.SpacingHeight(), g.SpacingHeight) << c.brand;
        EXPECT_EQ(shell.SpacingLeft(), g.SpacingLeft) << c.brand;
        EXPECT_EQ(shell.SpacingTop(), g.SpacingTop) << c.brand;
        EXPECT_EQ(shell.LabelShape(), c.shape) << c.brand;
    }
}

TEST(LabelShell, AStockWithoutGeometryResetsTheShapeAndKeepsTheSheet) {
    TLabelShell shell(nullptr);
    shell.SetLabelBrand(lbAV5294);
    shell.SetLabelBrand(lbAV5163);
    EXPECT_EQ(shell.LabelBrand(), lbAV5163);
    EXPECT_EQ(shell.LabelShape(), lsRoundRect);
    EXPECT_EQ(shell.NumAcross(), 3);
    EXPECT_EQ(shell.NumDown(), 4);
    EXPECT_EQ(shell.LabelWidth(), 2.5);
}

TEST(LabelShell, AnyGeometrySetterMakesTheStockCustomAndRefusesEmptyLabels) {
    TLabelShell shell(nullptr);
    shell.SetLabelBrand(lbAV5161);
    shell.SetNumAcross(5);
    EXPECT_EQ(shell.LabelBrand(), lbCustom);
    EXPECT_EQ(shell.NumAcross(), 5);
    EXPECT_EQ(shell.NumDown(), 10);
    EXPECT_EQ(shell.LabelWidth(), 4);

    shell.SetSpacingLeft(0);
    EXPECT_EQ(shell.SpacingLeft(), 0.0001);
    shell.SetSpacingTop(-0.25);  // a sheet fed higher: accepted
    EXPECT_EQ(shell.SpacingTop(), -0.25);

    for (double refused : {0.0, -1.0}) {
        shell.SetLabelWidth(refused);
        shell.SetLabelHeight(refused);
    }
    for (int refused : {0, -3}) {
        shell.SetNumAcross(refused);
        shell.SetNumDown(refused);
    }
    EXPECT_EQ(shell.LabelWidth(), 4);
    EXPECT_EQ(shell.LabelHeight(), 1);
    EXPECT_EQ(shell.NumAcross(), 5);
    EXPECT_EQ(shell.NumDown(), 10);

    TPen pen;
    pen.SetColor(clRed);
    pen.SetWidth(3);
    shell.SetDrawPen(&pen);
    pen.SetColor(clBlue);
    EXPECT_EQ(shell.DrawPen()->Color(), clRed);  // a copy
    EXPECT_EQ(shell.DrawPen()->Width(), 3);
}

// ---------------------------------------------------------------- positions

TEST(LabelShell, SkipCountLeavesPositionsBlankOnTheFirstSheetOnly) {
    TLabelShell shell(nullptr);  // 3 x 10
    shell.SetBorder(0.125);
    shell.SkipCount = 4;
    RecordedRun run;
    const std::vector<Placed> placed = placeLabels(shell, 28, run);
    ASSERT_EQ(placed.size(), 28u);
    const Placed& first = placed.front();
    EXPECT_EQ(where(first), "page 1 row 2 col 2");
    EXPECT_NEAR(first.originX, 2.75 + 0.188, 1e-9);
    EXPECT_NEAR(first.originY, 1 + 0.5, 1e-9);
    // The print section is the label less its border, from the origin.
    EXPECT_NEAR(first.left, 0.125, 1e-9);
    EXPECT_NEAR(first.top, 0.125, 1e-9);
    EXPECT_NEAR(first.right, 2.5, 1e-9);
    EXPECT_NEAR(first.bottom, 0.875, 1e-9);
    EXPECT_EQ(where(placed[25]), "page 1 row 10 col 3");
    EXPECT_EQ(where(placed[26]), "page 2 row 1 col 1");
    EXPECT_EQ(where(placed[27]), "page 2 row 1 col 2");
    EXPECT_EQ(shell.SkipCount, 0);
    EXPECT_EQ(run.pages(), 2u);
}

TEST(LabelShell, TheSheetIsInInchesWhateverUnitsTheReportUses) {
    TLabelShell shell(nullptr);
    shell.SetBorder(0.125);
    RecordedRun run;
    run.filer.SetUnits(unMM);
    const std::vector<Placed> placed = placeLabels(shell, 2, run);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_NEAR(placed[1].originX, (2.75 + 0.188) * 25.4, 1e-9);
    EXPECT_NEAR(placed[1].originY, 0.5 * 25.4, 1e-9);
    EXPECT_NEAR(placed[1].left, 0.125 * 25.4, 1e-9);
    EXPECT_NEAR(placed[1].right, 2.5 * 25.4, 1e-9);
}

TEST(LabelShell, StartPositionAndColumnOrder) {
    struct Case {
        bool byRow;
        int startRow, startCol;
        std::vector<std::string> first;
    };
    const Case cases[] = {
        {true, 3, 2, {"page 1 row 3 col 2", "page 1 row 3 col 3", "page 1 row 4 col 1"}},
        {false, 0, 0, {"page 1 row 1 col 1", "page 1 row 2 col 1", "page 1 row 3 col 1"}},
        {false, 9, 3, {"page 1 row 9 col 3", "page 1 row 10 col 3", "page 2 row 1 col 1"}},
        {true, 12, 7, {"page 1 row 10 col 3", "page 2 row 1 col 1", "page 2 row 1 col 2"}},  // clamped to the sheet
    };
    for (const Case& c : cases) {
        TLabelShell shell(nullptr);
        shell.SetPrintByRow(c.byRow);
        shell.StartRow = c.startRow;
        shell.StartCol = c.startCol;
        RecordedRun run;
        const std::vector<Placed> placed = placeLabels(shell, 3, run);
        std::vector<std::string> got;
        for (const Placed& p : placed) got.push_back(where(p));
        EXPECT_EQ(got, c.first) << "by row " << c.byRow << " from " << c.startRow << "," << c.startCol;
    }
}

TEST(LabelShell, LabelBeforeMayRefuseARecordAndLabelAfterOfferTheNext) {
    const std::vector<std::string> records = {"Ann", "(moved away)", "Bob", "Cy"};
    std::size_t next = 0;
    std::vector<std::string> printed;
    std::vector<std::string> events;
    TLabelShell shell(nullptr);
    shell.OnReportBefore = [&](TBaseReport*, TLabelShell*) { events.push_back("ReportBefore"); };
    shell.OnPageBefore = [&](TBaseReport* r, TLabelShell*) { events.push_back("PageBefore p" + std::to_string(r->CurrentPage())); };
    shell.OnPageAfter = [&](TBaseReport* r, TLabelShell*) { events.push_back("PageAfter p" + std::to_string(r->CurrentPage())); };
    shell.OnReportAfter = [&](TBaseReport*, TLabelShell*) { events.push_back("ReportAfter"); };
    shell.OnLabelBefore = [&](TBaseReport*, TLabelShell*, bool& valid) { valid = records[next][0] != '('; };
    shell.OnLabelPrint = [&](TBaseReport*, TLabelShell* s, bool&) {
        printed.push_back(records[next] + " at " + std::to_string(s->LabelRow) + "," + std::to_string(s->LabelCol));
    };
    shell.OnLabelAfter = [&](TBaseReport*, TLabelShell*, bool& valid) { valid = ++next < records.size(); };
    RecordedRun run;
    run.run(shell);
    EXPECT_EQ(printed, (std::vector<std::string>{"Ann at 1,1", "Bob at 1,2", "Cy at 1,3"}));
    EXPECT_EQ(events, (std::vector<std::string>{"ReportBefore", "PageBefore p1", "PageAfter p1", "ReportAfter"}));
    EXPECT_EQ(run.pages(), 1u);
}

TEST(LabelShell, LabelBeforeRefusingEverythingEndsAfterOneSheet) {
    TLabelShell shell(nullptr);
    int after = 0, printed = 0;
    shell.OnLabelBefore = [](TBaseReport*, TLabelShell*, bool& valid) { valid = false; };
    shell.OnLabelPrint = [&](TBaseReport*, TLabelShell*, bool&) { ++printed; };
    shell.OnLabelAfter = [&](TBaseReport*, TLabelShell*, bool&) { ++after; };
    RecordedRun run;
    run.run(shell);
    EXPECT_EQ(printed, 0);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(run.pages(), 1u);
}

TEST(LabelShell, AFullLastSheetStartsNoEmptySheetAndNoHandlerMeansOneSheet) {
    TLabelShell full(nullptr);
    RecordedRun fullRun;
    EXPECT_EQ(placeLabels(full, 60, fullRun).back().page, 2);
    EXPECT_EQ(fullRun.pages(), 2u);

    TLabelShell bare(nullptr);
    RecordedRun bareRun;
    bareRun.run(bare);
    EXPECT_EQ(bareRun.pages(), 1u);
}

TEST(LabelShell, RunsOnItsEngineAndRaisesWithoutOne) {
    TLabelShell shell(nullptr);
    EXPECT_THROW(shell.Execute(nullptr), EDazedeVedodev);
    RecordedRun run;
    shell.SetEngine(&run.filer);
    int printed = 0;
    shell.OnLabelPrint = [&](TBaseReport* r, TLabelShell*, bool& valid) {
        EXPECT_EQ(r, &run.filer);
        valid = ++printed < 2;
    };
    shell.Execute(nullptr);
    EXPECT_EQ(printed, 2);
    EXPECT_EQ(shell.DazedeVedodev(), nullptr);
    EXPECT_EQ(run.pages(), 1u);
}

// ---------------------------------------------------------------- outlines

TEST(LabelShell, SkuSheetOutlinesShowInThePreviewAndNotOnPaper) {
    for (bool previewOnly : {true, false}) {
        const std::string name = previewOnly ? "sku-labels" : "sku-labels-outlines-on-paper";
        TLabelShell shell(nullptr);
        skuSheet(shell);
        shell.SetDrawPreviewOnly(previewOnly);
        printSkuLabels(shell);
        RecordedRun run;
        run.run(shell);
        const std::string bytes = run.bytes();
        ASSERT_EQ(PageStartRecords(bytes).size(), 1u);

        // In the stream: all 80 outlines are kept from the printer, the
        // labels' texts are not.
        ImagePagesDevice watched(Dpi);
        PrinterWatcher watcher(nullptr);
        playInto(watcher, bytes, &watched);
        ASSERT_EQ(watcher.outlineDrawn.size(), 80u);
        EXPECT_EQ(std::count(watcher.outlineDrawn.begin(), watcher.outlineDrawn.end(), true), previewOnly ? 0 : 80);
        ASSERT_GE(watcher.textDrawn.size(), 18u);  // and the bar codes' digits
        EXPECT_EQ(std::count(watcher.textDrawn.begin(), watcher.textDrawn.end(), false), 0);

        TempDir dir;
        TRSDevice pdfDevice({pdfPrinter()}, "PDF");
        TFilePrinter printer(nullptr);
        playInto(printer, bytes, &pdfDevice, dir.file(name + ".pdf"));
        ASSERT_EQ(PdfPageCount(dir.file(name + ".pdf")), 1);
        const QImage paper = RenderPdfPage(dir.file(name + ".pdf"), 1, ScreenDpi);
        const QImage shown = previewPage(bytes);
        KeepPicture(shown, name + "-preview");
        KeepPicture(paper, name + "-pdf");
        ASSERT_EQ(paper.size(), shown.size());

        // The top edge of the first row's outlines, above every label's
        // text and bar code; and an outline of the last row, where no
        // label was printed.
        EXPECT_TRUE(inkIn(shown, 0.4, 0.47, 1.9, 0.53));
        EXPECT_TRUE(inkIn(shown, 6.6, 10.47, 8.1, 10.53));
        EXPECT_EQ(inkIn(paper, 0.4, 0.47, 1.9, 0.53), !previewOnly);
        EXPECT_EQ(inkIn(paper, 6.6, 10.47, 8.1, 10.53), !previewOnly);
        // Both show the first label's item number and its bar code, and the
        // sixth label (row 2, column 2) printed.
        for (const QImage* page : {&shown, &paper}) {
            EXPECT_TRUE(inkIn(*page, 1.5, 0.6, 1.93, 0.7));
            EXPECT_TRUE(inkIn(*page, 0.45, 0.6, 1.0, 0.85));
            EXPECT_TRUE(inkIn(*page, 2.55, 1.1, 4.0, 1.4));
            EXPECT_FALSE(inkIn(*page, 4.5, 1.1, 6.0, 1.4)) << "row 2, column 3 is left empty";
        }
    }
}

TEST(LabelShell, ChartLabelOutlinesLieOnTheFileFolderStock) {
    TLabelShell shell(nullptr);
    shell.SetLabelBrand(lbAV5366);
    shell.SetDrawExtents(true);
    shell.OnPageBefore = [](TBaseReport* r, TLabelShell*) { r->SetFont("Arial", 10); };
    shell.OnLabelPrint = [](TBaseReport* r, TLabelShell*, bool& valid) {
        r->PrintLn("DOE, JANE");
        r->PrintLn("#10452");
        valid = false;
    };
    RecordedRun run;
    run.run(shell);
    const QImage page = previewPage(run.bytes());
    KeepPicture(page, "chart-labels-preview");
    // Across the lower part of the first row: the two labels' side edges, at
    // 0.531 and 0.531 + 3.438, and 4.531 and 4.531 + 3.438 inches.
    const std::vector<TRect> edges = InkBoxes(page, inches(page, 0.1, 0.95, 8.4, 1.0));
    ASSERT_EQ(edges.size(), 4u);
    const double expected[] = {0.531, 3.969, 4.531, 7.969};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(edges[i].Left, expected[i] * ScreenDpi, 1.5) << "edge " << i;
    // The 15th row's bottom edge at 0.5 + 15 x 0.666 inches, and nothing below.
    EXPECT_TRUE(inkIn(page, 1, 10.47, 3, 10.51));
    EXPECT_FALSE(inkIn(page, 1, 10.53, 3, 10.9));
    // The label's text inside its border-less section, at its top-left.
    EXPECT_TRUE(inkIn(page, 0.56, 0.53, 2, 0.85));
}

// ---------------------------------------------------------------- the runner

TEST(LabelShell, RunsOnItsReportRunnerWithOutlinesInThePreviewOnly) {
    ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    for (TReportDest dest : {rdPreview, rdFile}) {
        const bool preview = dest == rdPreview;
        TempDir dir;
        TReportSystem runner(nullptr);
        runner.SetSystemSetups({});
        runner.SetDefaultDest(dest);
        if (!preview) runner.SetOutputFileName(dir.file("labels.pdf"));
        TLabelShell shell(nullptr);
        skuSheet(shell);
        printSkuLabels(shell);
        shell.SetEngine(&runner);
        int printed = 0;
        const TLabelValidEvent printOne = shell.OnLabelPrint;
        shell.OnLabelPrint = [&](TBaseReport* r, TLabelShell* s, bool& valid) {
            EXPECT_EQ(r, runner.BaseReport());
            ++printed;
            printOne(r, s, valid);
        };
        QImage page;
        TDialogScript script;
        script.Answer([&](TForm& f) {
            auto& window = dynamic_cast<TRSPreviewForm&>(f);
            window.FilePreview1->SetZoomFactor(100);
            page = window.FilePreview1->PageBitmap()->toImage().convertToFormat(QImage::Format_RGB32);
            window.SBDone->Click();
        });
        shell.Execute(nullptr);
        EXPECT_FALSE(runner.Aborted());
        EXPECT_EQ(printed, 6);
        EXPECT_FALSE(runner.OnPrint) << "the runner's own print handler is back";
        EXPECT_EQ(shell.DazedeVedodev(), nullptr);
        if (preview) {
            EXPECT_EQ(script.Shown().size(), 1u);
        } else {
            EXPECT_TRUE(script.Shown().empty());
            ASSERT_EQ(PdfPageCount(dir.file("labels.pdf")), 1);
            page = RenderPdfPage(dir.file("labels.pdf"), 1, ScreenDpi);
        }
        ASSERT_FALSE(page.isNull());
        KeepPicture(page, preview ? "runner-labels-preview" : "runner-labels-pdf");
        EXPECT_EQ(inkIn(page, 0.4, 0.47, 1.9, 0.53), preview) << "the first row's outlines";
        EXPECT_TRUE(inkIn(page, 1.5, 0.6, 1.93, 0.7)) << "the first label's item number";
    }
}
