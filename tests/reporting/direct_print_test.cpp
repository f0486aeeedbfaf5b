// The direct printer report: one two-page report drawn on page images and
// printed to the PDF printer gives the same pages; page selection, aborting,
// the event order and the cases without a printer or a writable file.
#include <gtest/gtest.h>

#include <filesystem>

#include "ImagePagesDevice.h"
#include "reporting/RSDevice.h"
#include "reporting/RSPrinter.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/Dialogs.h"

namespace {

constexpr int Dpi = 100;

// Two pages: text, a filled box, merged lines and a box table on the first;
// the second in landscape, with a box that only fits across a wide page.
// Pens are given in hundredths of an inch, so that they have one width on
// every device.
void printTwoPages(TDazedeVedodev& r) {
    r.SetFont("Arial", 14);
    r.PrintXY(1, 1, "Quenmark Optical");
    r.SetFont("Arial", 10);
    r.GotoXY(0, 1.5);
    r.PrintRight("Total 125.00", 7.5);
    r.SetPen(clBlack, psClear, 1, pmCopy);
    r.SetBrush(clBlack, bsSolid, nullptr);
    r.Rectangle(1, 2, 4, 3);
    r.SetPen(clBlack, psSolid, -2, pmCopy);
    r.MoveTo(1, 4);
    r.LineTo(4, 4);
    r.MoveTo(3, 4);
    r.LineTo(7, 4);
    r.SetPen(clBlack, psSolid, -1, pmCopy);
    r.SetLineTop(5);
    r.SetTab(1.0, pjLeft, 1.5, 5, BOXLINEALL, 0);
    r.SetTab(-1, pjRight, 1.0, 5, BOXLINEALL, 0);
    r.PrintTab("Frames");
    r.PrintTab("89.00");
    r.SetOrientation(TOrientation::poLandScape);
    r.NewPage();
    r.SetFont("Arial", 14);
    r.PrintXY(1, 1, "Page two");
    r.SetPen(clBlack, psClear, 1, pmCopy);
    r.Rectangle(8, 6, 10, 7);
}

std::vector<std::string> eventsOf(TDazedeVedodev& r) {
    auto events = std::make_shared<std::vector<std::string>>();
    auto note = [events](const std::string& name) { return [events, name](TObject*) { events->push_back(name); }; };
    r.OnBeforePrint = note("before");
    r.OnNewPage = note("new page");
    r.OnPrintHeader = note("header");
    r.OnPrintFooter = note("footer");
    r.OnAfterPrint = note("after");
    r.AddReportEvent(ReportEventPageBegin, {events.get(), "begin", [events](TBaseReport*) { events->push_back("begin"); }});
    r.AddReportEvent(ReportEventPageEnd, {events.get(), "end", [events](TBaseReport*) { events->push_back("end"); }});
    r.OnPrint = [events, &r](TObject*) {
        events->push_back("print");
        r.NewPage();
    };
    r.Execute();
    return *events;
}

}  // namespace

TEST(DirectPrint, TheSamePagesOnImagesAndOnThePdfPrinter) {
    ImagePagesDevice images(Dpi);
    {
        TDazedeVedodev report(nullptr);
        report.SetDevice(&images);
        report.OnPrint = [&](TObject*) { printTwoPages(report); };
        report.Execute();
    }
    ASSERT_EQ(images.PageCount(), 2);

    TempDir dir;
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string file = dir.file("two pages.pdf");
    {
        TDazedeVedodev report(nullptr);
        report.SetDevice(&device);
        report.SetTitle("Two pages");
        report.SetOutputFileName(file);
        report.OnPrint = [&](TObject*) { printTwoPages(report); };
        report.Execute();
    }
    EXPECT_EQ(device.LastOutputFile(), file);
    ASSERT_EQ(PdfPageCount(file), 2);
    EXPECT_EQ(PdfPageSize(file, 1), (TSize{612, 792}));
    EXPECT_EQ(PdfPageSize(file, 2), (TSize{792, 612}));
    // Shapes match within a pixel. Text is measured by each device at its
    // own resolution, so only the edge it is anchored at is compared.
    struct Region {
        int page;
        const char* what;
        TRect area;
        int tolerance;
        bool left, right;  // the edges compared; shapes compare all four
    };
    const Region regions[] = {
        {1, "left-aligned title", {0, 60, 850, 120}, 1, true, false},
        {1, "right-aligned total", {400, 120, 850, 170}, 2, false, true},
        {1, "filled box", {0, 180, 850, 320}, 1, true, true},
        {1, "merged line", {0, 380, 850, 420}, 1, true, true},
        {1, "box table", {0, 480, 850, 540}, 1, true, true},
        {2, "left-aligned title", {0, 60, 1100, 120}, 1, true, false},
        {2, "landscape box", {700, 500, 1100, 850}, 1, true, true},
    };
    QImage printed[2], drawn[2];
    for (int page = 1; page <= 2; ++page) {
        printed[page - 1] = RenderPdfPage(file, page, Dpi);
        drawn[page - 1] = images.Page(page - 1).copy();
        KeepPicture(printed[page - 1], "direct-pdf-page-" + std::to_string(page));
        KeepPicture(drawn[page - 1], "direct-image-page-" + std::to_string(page));
        ASSERT_EQ(printed[page - 1].size(), drawn[page - 1].size()) << "page " << page;
    }
    for (const Region& r : regions) {
        const TRect p = InkBounds(printed[r.page - 1], r.area), d = InkBounds(drawn[r.page - 1], r.area);
        ASSERT_FALSE(p.IsEmpty() || d.IsEmpty()) << r.what;
        const std::string both = std::string(r.what) + ": " + RectText(p) + " printed, " + RectText(d) + " drawn";
        if (r.left && r.right) {
            EXPECT_TRUE(WithinPixels(p, d, r.tolerance)) << both;
            continue;
        }
        EXPECT_NEAR(p.Top, d.Top, 2) << both;
        EXPECT_NEAR(p.Bottom, d.Bottom, 2) << both;
        if (r.left) {
            EXPECT_NEAR(p.Left, d.Left, r.tolerance) << both;
        }
        if (r.right) {
            EXPECT_NEAR(p.Right, d.Right, r.tolerance) << both;
        }
    }
    // The landscape box sits on the wide page at 8..10 in.
    EXPECT_TRUE(WithinPixels(InkBounds(printed[1], {700, 500, 1100, 850}), {800, 600, 1000, 700}, 1));
}

TEST(DirectPrint, SettingsOneReportChangesStayOnTheDeviceForTheNext) {
    TempDir dir;
    TRSDevice device({pdfPrinter()}, "PDF");
    for (const char* name : {"first.pdf", "second.pdf"}) {
        TDazedeVedodev report(nullptr);
        report.SetDevice(&device);
        report.SetOutputFileName(dir.file(name));
        report.OnPrint = [&](TObject*) {
            report.PrintXY(1, 1, name);
            if (std::string(name) == "first.pdf") report.SetOrientation(TOrientation::poLandScape);
        };
        report.Execute();
    }
    EXPECT_EQ(PdfPageSize(dir.file("first.pdf"), 1), (TSize{612, 792}));  // changed after its only page started
    EXPECT_EQ(PdfPageSize(dir.file("second.pdf"), 1), (TSize{792, 612}));
    EXPECT_EQ(device.Orientation(), TOrientation::poLandScape);
}

TEST(DirectPrint, AReportThatNamesNoFileDoesNotWriteTheFileOfTheOneBefore) {
    TempDir dir;
    TRSDevice device({pdfPrinter()}, "PDF");
    for (const char* text : {"to the file", "to the printer"}) {
        TDazedeVedodev report(nullptr);
        report.SetDevice(&device);
        if (std::string(text) == "to the file") report.SetOutputFileName(dir.file("chosen.pdf"));
        report.OnPrint = [&](TObject*) { report.PrintXY(1, 1, text); };
        report.Execute();
    }
    EXPECT_NE(device.LastOutputFile(), dir.file("chosen.pdf"));
    EXPECT_NE(device.LastOutputFile(), "");
    EXPECT_NE(RunTool("pdftotext", {dir.file("chosen.pdf"), "-"}).find("to the file"), std::string::npos);
}

TEST(DirectPrint, FirstPageSelectsTheDevicePages) {
    struct Case {
        int pages, firstPage, lastPage;
        int printed;
    };
    const Case cases[] = {{2, 2, 9999, 1}, {3, 2, 9999, 2}, {3, 1, 2, 2}, {3, 2, 2, 1}};
    for (const Case& c : cases) {
        TempDir dir;
        TRSDevice device({pdfPrinter()}, "PDF");
        TDazedeVedodev report(nullptr);
        report.SetDevice(&device);
        report.SetOutputFileName(dir.file("pages.pdf"));
        report.SetFirstPage(c.firstPage);
        report.SetLastPage(c.lastPage);
        report.OnPrint = [&](TObject*) {
            for (int page = 1; page <= c.pages; ++page) {
                if (page > 1) report.NewPage();
                report.PrintXY(1, 1, "Page " + std::to_string(page));
            }
        };
        report.Execute();
        EXPECT_EQ(PdfPageCount(dir.file("pages.pdf")), c.printed) << c.pages << " pages from " << c.firstPage;
        const std::string text = RunTool("pdftotext", {dir.file("pages.pdf"), "-"});
        EXPECT_EQ(text.find("Page 1") != std::string::npos, c.firstPage == 1);
    }
}

TEST(DirectPrint, CancelAbortsTheJobAndLeavesNoFile) {
    TempDir dir;
    TRSDevice device({pdfPrinter()}, "PDF");
    TDazedeVedodev report(nullptr);
    report.SetDevice(&device);
    report.SetOutputFileName(dir.file("cancelled.pdf"));
    bool after = false;
    report.OnAfterPrint = [&](TObject*) { after = true; };
    report.OnPrint = [&](TObject*) {
        report.PrintXY(1, 1, "Page 1");
        report.NewPage();
        report.Abort();  // the status window's Cancel
        report.PrintXY(1, 1, "never printed");
    };
    EXPECT_THROW(report.Execute(), EAbort);
    EXPECT_FALSE(std::filesystem::exists(dir.file("cancelled.pdf")));
    EXPECT_FALSE(device.Printing());
    EXPECT_FALSE(report.Printing());
    EXPECT_TRUE(after);
}

TEST(DirectPrint, EventOrder) {
    ImagePagesDevice images(Dpi);
    TDazedeVedodev report(nullptr);
    report.SetDevice(&images);
    const std::vector<std::string> expected = {"before", "begin",  "new page", "header", "print", "footer",
                                               "end",    "begin",  "new page", "header", "footer", "end",
                                               "after"};
    EXPECT_EQ(eventsOf(report), expected);
    EXPECT_EQ(images.PageCount(), 2);
}

TEST(DirectPrint, WithoutPrintersTheRunStopsWithAMessage) {
    TDialogScript script;
    script.Answer(mrOk);
    TDazedeVedodev report(nullptr);
    report.SetDevice(noPrinterDevice());
    bool printed = false;
    report.OnPrint = [&](TObject*) { printed = true; };
    report.Execute();
    EXPECT_FALSE(printed);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "No printers are defined, aborting print job.");
}

TEST(DirectPrint, AnOutputFileThatCannotBeWrittenFailsTheStartAndLeavesNoJob) {
    TempDir dir;
    TRSDevice device({pdfPrinter()}, "PDF");
    TDazedeVedodev report(nullptr);
    report.SetDevice(&device);
    const std::string bad = dir.file("no such folder/out.pdf");
    report.SetOutputFileName(bad);
    bool printed = false;
    report.OnPrint = [&](TObject*) { printed = true; };
    try {
        report.Execute();
        ADD_FAILURE() << "no error";
    } catch (const EDazedeVedodev& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot print to the file \"" + bad + "\": it cannot be written.");
    }
    EXPECT_FALSE(printed);
    EXPECT_FALSE(device.Printing());
    EXPECT_FALSE(report.Printing());
    // The device prints again once the file can be written.
    report.SetOutputFileName(dir.file("out.pdf"));
    report.OnPrint = [&](TObject*) { report.PrintXY(1, 1, "Again"); };
    report.Execute();
    EXPECT_EQ(PdfPageCount(dir.file("out.pdf")), 1);
}
