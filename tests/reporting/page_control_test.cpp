// Runs and pages of the base report: the run order of the events, page
// selection, aborting, page-event lists, the destination filter, the status
// text and what AssignTo copies.
#include <gtest/gtest.h>

#include "RecordingReport.h"
#include "base/SysUtils.h"
#include "ui/StdCtrls.h"

namespace {

using Events = std::vector<std::string>;

TEST(ReportRun, ExecuteWithoutHandlersGivesOneEmptyPage) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Execute();
    EXPECT_EQ(report.Events, (Events{"BeforePrint", "NewPage 1", "PrintHeader", "PrintFooter", "AfterPrint"}));
    EXPECT_EQ(report.CurrentPage(), 1);
    EXPECT_FALSE(report.Printing());
}

TEST(ReportRun, PrintPageLoopRunsUntilTheHandlerSaysNoMore) {
    TestDevice device;
    TRecordingReport report(&device);
    std::vector<int> pages;
    report.OnPrintPage = [&](TObject*, int& page) {
        pages.push_back(page);
        return page < 3;
    };
    report.Execute();
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(report.Events, (Events{"BeforePrint", "NewPage 1", "PrintHeader", "PrintFooter", "NewPage 2",
                                     "PrintHeader", "PrintFooter", "NewPage 3", "PrintHeader", "PrintFooter",
                                     "AfterPrint"}));
}

TEST(ReportRun, PageSelectionsChooseThePagesThatPrint) {
    struct Case {
        std::string selection;
        int first, last;
        std::vector<int> selected;  // of pages 1..10
    };
    const Case cases[] = {
        {"1-3,5", 1, 9999, {1, 2, 3, 5}},
        {"-2", 1, 9999, {1, 2}},
        {"4-", 1, 9999, {4, 5, 6, 7, 8, 9, 10}},
        {"odd", 1, 9999, {1, 3, 5, 7, 9}},
        {"E", 1, 9999, {2, 4, 6, 8, 10}},
        {"all", 1, 9999, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"R", 1, 9999, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},  // an order, no page item: every page
        {"R,7", 1, 9999, {7}},
        {" 2 , 9 ", 1, 9999, {2, 9}},
        {"x,3,y-z", 1, 9999, {3}},  // items that are not numbers are ignored
        {"", 2, 3, {2, 3}},
        {"8-9", 2, 3, {8, 9}},      // a selection overrides the range
    };
    TestDevice device;
    TRecordingReport report(&device);
    for (const Case& c : cases) {
        report.SetPageSelection(c.selection);
        report.SetFirstPage(c.first);
        report.SetLastPage(c.last);
        std::vector<int> selected;
        for (int page = 1; page <= 10; ++page)
            if (report.PageSelected(page)) selected.push_back(page);
        EXPECT_EQ(selected, c.selected) << "'" << c.selection << "'";
    }
}

TEST(ReportRun, UnselectedPagesCountButPrintNothing) {
    TestDevice device;
    TRecordingReport report(&device);
    report.SetFirstPage(2);
    report.SetLastPage(3);
    report.OnPrintPage = [](TObject* sender, int& page) {
        static_cast<TBaseReport*>(sender)->PrintLeft("page " + std::to_string(page), 1);
        return page < 4;
    };
    report.Execute();
    std::vector<std::string> printed;
    for (const Drawn& d : report.Output) printed.push_back(d.Text);
    EXPECT_EQ(printed, (std::vector<std::string>{"page 2", "page 3"}));
    EXPECT_EQ(report.CurrentPage(), 4);
}

TEST(ReportRun, AbortPageTakesThePageNumberBackOnce) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        r.NewPage();
        r.AbortPage();
        r.AbortPage();
        EXPECT_EQ(r.CurrentPage(), 1);
        r.PrintLeft("dropped", 1);
        r.NewPage();
        EXPECT_EQ(r.CurrentPage(), 2);
        r.PrintLeft("kept", 1);
    });
    ASSERT_EQ(report.Output.size(), 1u);
    EXPECT_EQ(report.Output[0].Text, "kept");
}

TEST(ReportRun, AbortEndsTheBodySilentlyAndTheRunFinishes) {
    TestDevice device;
    TRecordingReport report(&device);
    bool after = false;
    EXPECT_THROW(report.Run([&](TRecordingReport& r) {
        r.Abort();
        r.PrintLn("never");
        after = true;
    }),
                 EAbort);
    EXPECT_FALSE(after);
    EXPECT_FALSE(report.Printing());
    EXPECT_EQ(report.Events.back(), "AfterPrint");
    EXPECT_TRUE(report.Output.empty());
}

TEST(ReportRun, SettingsTheDeviceFixesRefuseChangesDuringARun) {
    TestDevice device;
    TRecordingReport report(&device);
    report.Run([](TRecordingReport& r) {
        try {
            r.SetCopies(2);
            ADD_FAILURE() << "no error";
        } catch (const EDazedeVedodev& e) {
            EXPECT_EQ(e.Message(), "Invalid method call.  DazedeVedodev already printing.");
        }
    });
    report.SetCopies(2);
    EXPECT_EQ(report.Copies(), 2);
}

TEST(ReportRun, PageEventListsRunNewestFirst) {
    TestDevice device;
    TRecordingReport report(&device);
    std::vector<std::string> calls;
    int owner = 0;
    auto method = [&](const std::string& name) {
        return TReportEventMethod{&owner, name, [&calls, name](TBaseReport*) { calls.push_back(name); }};
    };
    report.AddReportEvent(ReportEventPageBegin, method("first"));
    report.AddReportEvent(ReportEventPageBegin, method("second"));
    report.AddReportEvent(ReportEventPageEnd, method("end"));
    report.AddReportEvent(ReportEventPageBegin, method("removed"));
    report.RemoveReportEvent(ReportEventPageBegin, method("removed"));
    report.Execute();
    EXPECT_EQ(calls, (std::vector<std::string>{"second", "first", "end"}));
}

TEST(ReportRun, DestinationFilterSuppressesOutputMeantForAnotherDevice) {
    struct Case {
        std::uint8_t destination;
        std::string filter;
        bool printed;
    };
    const Case cases[] = {
        {DestPrinter, "preview only", false}, {DestPrinter, "printer only", true}, {DestPrinter, "all", true},
        {DestPreview, "preview only", true},  {DestPreview, "printer only", false},
        {DestPrinter, "preview only, then all", true},
    };
    TestDevice device;
    for (const Case& c : cases) {
        TRecordingReport report(&device, c.destination);
        report.Run([&](TRecordingReport& r) {
            if (c.filter.rfind("preview only", 0) == 0) r.AllowPreviewOnly();
            if (c.filter == "printer only") r.AllowPrinterOnly();
            if (c.filter.find("all") != std::string::npos) r.AllowAll();
            r.PrintLeft("x", 1);
        });
        EXPECT_EQ(!report.Output.empty(), c.printed) << int(c.destination) << " " << c.filter;
    }
}

TEST(ReportStatus, StatusFormatCodes) {
    struct Case {
        std::string format;
        std::string text;
    };
    const Case cases[] = {
        {"Page %p of %l", "Page 3 of 9999"},
        {"%q", "<ERROR-%Q>"},
        {"100%", "100%"},
        {"%%p", "%p"},
        {"%0 / %1 / %5", "Receipts /  / "},
        {"%F-%L copy %c of %s", "1-9999 copy 2 of 4"},
        {"%D on %T (%R)", "Test Printer on LPT9: (TESTDRV)"},
        {"a%nb", "a\rb"},
    };
    TestDevice device;
    TRecordingReport report(&device);
    TStringList lines;
    lines.Add("Receipts");
    report.SetStatusText(&lines);
    report.SetCurrentCopy(2);
    report.SetTotalCopies(4);
    EXPECT_EQ(report.StatusFormat(), "Printing page %p");
    report.Run([&](TRecordingReport& r) {
        r.NewPage();
        r.NewPage();
        for (const Case& c : cases) {
            r.SetStatusFormat(c.format);
            EXPECT_EQ(r.StatusFormatText(), c.text) << c.format;
        }
    });

    TRecordingReport preview(&device, DestPreview);
    preview.SetStatusFormat("%D %R %T");
    EXPECT_EQ(preview.StatusFormatText(), "Preview Preview Screen");
}

TEST(ReportStatus, LabelShowsThePageBeingProduced) {
    TestDevice device;
    TRecordingReport report(&device);
    std::vector<std::string> shown;
    {
        TLabel label(nullptr);
        report.SetStatusLabel(&label);
        report.SetStatusFormat("Page %p of %l");
        report.SetLastPage(3);
        report.OnPrintPage = [&](TObject*, int& page) {
            shown.push_back(label.Caption());
            return page < 3;
        };
        report.Execute();
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Page 1 of 3", "Page 2 of 3", "Page 3 of 3"}));
    EXPECT_EQ(report.StatusLabel(), nullptr);  // the freed label let go of
}

TEST(ReportRun, AssignToCopiesSettingsAndEvents) {
    TestDevice device;
    TRecordingReport source(&device);
    source.SetFirstPage(2);
    source.SetLastPage(5);
    source.SetPageSelection("2-3");
    source.SetLinesPerInch(8);
    source.SetUnits(unMM);
    source.SetMarginLeft(10);
    source.SetMarginTop(20);
    source.SetTabShade(15);
    source.SetTitle("Receipt");
    source.SetCopies(3);
    source.SetOrientation(TOrientation::poLandScape);
    source.SetScaleX(90);
    TStringList data;
    data.Add("macro");
    source.SetMacroData(&data);
    bool printed = false;
    source.OnPrint = [&](TObject*) { printed = true; };
    source.OnEndOfSection = [](TObject*) {};

    TRecordingReport dest(&device);
    dest.Assign(&source);
    EXPECT_EQ(dest.FirstPage(), 2);
    EXPECT_EQ(dest.LastPage(), 5);
    EXPECT_EQ(dest.PageSelection(), "2-3");
    EXPECT_EQ(dest.LinesPerInch(), 8);
    EXPECT_EQ(dest.Units(), unMM);
    EXPECT_DOUBLE_EQ(dest.MarginLeft(), 10);
    EXPECT_DOUBLE_EQ(dest.SectionTop(), 20);
    EXPECT_EQ(dest.TabShade(), 15);
    EXPECT_EQ(dest.Title(), "Receipt");
    EXPECT_EQ(dest.Copies(), 3);
    EXPECT_EQ(dest.Orientation(), TOrientation::poLandScape);
    EXPECT_DOUBLE_EQ(dest.ScaleX(), 90);
    EXPECT_EQ(dest.MacroData()->Text(), data.Text());
    EXPECT_FALSE(dest.OnEndOfSection);
    dest.Execute();
    EXPECT_TRUE(printed);
}

}  // namespace
