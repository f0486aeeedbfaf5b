// Report sections and the event-driven shells, run on the stream writer:
// the clamping setters and the edges a section gives, the exact event order
// of a report with a forced page break, groups on their own pages without
// a trailing blank page, masters reprinted above a detail that breaks the
// page, engine resolution and the after-events of a handler that raises.
#include <gtest/gtest.h>

#include <map>

#include "RecordedStream.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSDevice.h"
#include "reporting/RSShell.h"
#include "reporting/RSSystem.h"
#include "support/PageImages.h"
#include "support/TempDir.h"

namespace {

// Logs each event as "<prefix><name> p<page>" and then does what `then`
// holds for that name.
class EventLog {
public:
    std::vector<std::string> names;
    std::map<std::string, std::function<void(TBaseReport&, bool&)>> then;

    void attachBody(TDetailShell& s, const std::string& prefix = "") {
        s.OnBodyBefore = event(prefix + "BodyBefore");
        s.OnBodyHeader = event(prefix + "BodyHeader");
        s.OnRowBefore = validEvent(prefix + "RowBefore");
        s.OnRowPrint = validEvent(prefix + "RowPrint");
        s.OnRowAfter = validEvent(prefix + "RowAfter");
        s.OnBodyFooter = event(prefix + "BodyFooter");
        s.OnBodyAfter = event(prefix + "BodyAfter");
    }
    void attachGroups(TMasterShell& s, const std::string& prefix = "") {
        attachBody(s, prefix);
        s.OnGroupBeforeFirst = event(prefix + "GroupBeforeFirst");
        s.OnGroupBefore = validEvent(prefix + "GroupBefore");
        s.OnGroupHeader = event(prefix + "GroupHeader");
        s.OnDetailBefore = event(prefix + "DetailBefore");
        s.OnDetailAfter = event(prefix + "DetailAfter");
        s.OnGroupFooter = event(prefix + "GroupFooter");
        s.OnGroupAfter = validEvent(prefix + "GroupAfter");
        s.OnGroupAfterLast = event(prefix + "GroupAfterLast");
    }
    void attachAll(TReportShell& s, const std::string& prefix = "") {
        attachGroups(s, prefix);
        s.OnReportBefore = event(prefix + "ReportBefore");
        s.OnReportHeader = event(prefix + "ReportHeader");
        s.OnPageBefore = event(prefix + "PageBefore");
        s.OnPageHeader = event(prefix + "PageHeader");
        s.OnPageFooter = event(prefix + "PageFooter");
        s.OnPageAfter = event(prefix + "PageAfter");
        s.OnReportFooter = event(prefix + "ReportFooter");
        s.OnReportAfter = event(prefix + "ReportAfter");
    }
    // Groups 1..count, ended by OnGroupAfter.
    void groups(int count, const std::string& prefix = "") {
        then[prefix + "GroupAfter"] = [this, count](TBaseReport&, bool& valid) { valid = ++group < count; };
    }
    int group = 0;

private:
    void note(const std::string& name, TBaseReport& r, bool& valid) {
        names.push_back(name + " p" + std::to_string(r.CurrentPage()));
        if (auto it = then.find(name); it != then.end()) it->second(r, valid);
    }
    TReportEvent event(const std::string& name) {
        return [this, name](TBaseReport* r, TDetailShell*) {
            bool valid = true;
            note(name, *r, valid);
        };
    }
    TReportValidEvent validEvent(const std::string& name) {
        return [this, name](TBaseReport* r, TDetailShell*, bool& valid) { note(name, *r, valid); };
    }
};

std::vector<std::string> without(const std::vector<std::string>& names, const std::string& prefix) {
    std::vector<std::string> kept;
    for (const std::string& n : names)
        if (n.rfind(prefix, 0) != 0) kept.push_back(n);
    return kept;
}

}  // namespace

// ---------------------------------------------------------------- sections

TEST(ReportSection, SettersClampByTheMethodOfTheirEdge) {
    TReportSection s;
    EXPECT_EQ(s.LeftMethod(), dmMargin);
    EXPECT_EQ(s.TopMethod(), dmSpecial);
    EXPECT_EQ(s.HeightMethod(), hmLines);

    s.SetRight(-1);  // into the right margin
    EXPECT_EQ(s.Right(), -1);
    s.SetRightMethod(dmPage);
    EXPECT_EQ(s.Right(), 0);

    s.SetBottom(-2);
    EXPECT_EQ(s.Bottom(), -2);
    s.SetBottomMethod(dmSpecial);
    EXPECT_EQ(s.Bottom(), 0);

    s.SetTop(-0.5);  // above the current line
    EXPECT_EQ(s.Top(), -0.5);
    s.SetTopMethod(dmPage);
    EXPECT_EQ(s.Top(), 0);

    s.SetLeft(-0.25);
    EXPECT_EQ(s.Left(), -0.25);
    s.SetLeftMethod(dmSpecial);  // refused
    EXPECT_EQ(s.LeftMethod(), dmMargin);
    s.SetLeftMethod(dmPage);
    EXPECT_EQ(s.Left(), 0);

    s.SetMinHeight(-3);
    EXPECT_EQ(s.MinHeight(), 0);

    s.SetTabIndex(4);
    s.SetFontIndex(10);
    for (int refused : {11, -1}) {
        s.SetTabIndex(refused);
        s.SetFontIndex(refused);
    }
    EXPECT_EQ(s.TabIndex(), 4);
    EXPECT_EQ(s.FontIndex(), 10);
}

TEST(ReportSection, AssignCopiesEveryPropertyIntoASectionOnly) {
    TReportSection source;
    source.SetLeftMethod(dmPage);
    source.SetLeft(1);
    source.SetRight(-1);
    source.SetTopMethod(dmMargin);
    source.SetTop(2);
    source.SetBottomMethod(dmSpecial);
    source.SetBottom(3);
    source.SetMinHeight(4);
    source.SetHeightMethod(hmUnits);
    source.SetEnabled(false);
    source.SetTabIndex(5);
    source.SetFontIndex(6);
    source.NoBreak = true;

    TReportSection copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.LeftMethod(), dmPage);
    EXPECT_EQ(copy.Left(), 1);
    EXPECT_EQ(copy.Right(), -1);
    EXPECT_EQ(copy.TopMethod(), dmMargin);
    EXPECT_EQ(copy.Top(), 2);
    EXPECT_EQ(copy.BottomMethod(), dmSpecial);
    EXPECT_EQ(copy.Bottom(), 3);
    EXPECT_EQ(copy.MinHeight(), 4);
    EXPECT_EQ(copy.HeightMethod(), hmUnits);
    EXPECT_FALSE(copy.Enabled());
    EXPECT_EQ(copy.TabIndex(), 5);
    EXPECT_EQ(copy.FontIndex(), 6);
    EXPECT_TRUE(copy.NoBreak);

    TPersistent other;
    EXPECT_NO_THROW(other.Assign(&source));
}

TEST(ReportSection, EdgesAreMeasuredFromPageMarginOrCurrentLine) {
    struct Case {
        TDistMethod left, right, top, bottom;
        double expectLeft, expectRight, expectTop, expectBottom;
    };
    // Margins 0.5 / 0.75 / 1 / 1.25 on 8.5 x 11; distances 0.1 / 0.2 / 0.3
    // / 0.4; the current line's top at 3.
    const Case cases[] = {
        {dmPage, dmPage, dmPage, dmPage, 0.1, 8.3, 0.3, 10.6},
        {dmMargin, dmMargin, dmMargin, dmMargin, 0.6, 7.55, 1.3, 9.35},
        {dmMargin, dmSpecial, dmSpecial, dmSpecial, 0.6, 0.8, 3.3, 3.7},
    };
    for (const Case& c : cases) {
        RecordedRun run;
        run.filer.SetMarginLeft(0.5);
        run.filer.SetMarginRight(0.75);
        run.filer.SetMarginTop(1);
        run.filer.SetMarginBottom(1.25);
        TReportSection s;
        s.SetLeftMethod(c.left);
        s.SetRightMethod(c.right);
        s.SetTopMethod(c.top);
        s.SetBottomMethod(c.bottom);
        s.SetLeft(0.1);
        s.SetRight(0.2);
        s.SetTop(0.3);
        s.SetBottom(0.4);
        run.filer.OnPrint = [&](TObject*) {
            TReportFiler& r = run.filer;
            r.SetLineTop(3);
            EXPECT_FALSE(s.SetupSection(&r));
            EXPECT_NEAR(r.SectionLeft(), c.expectLeft, 1e-9);
            EXPECT_NEAR(r.SectionRight(), c.expectRight, 1e-9);
            EXPECT_NEAR(r.SectionTop(), c.expectTop, 1e-9);
            EXPECT_NEAR(r.SectionBottom(), c.expectBottom, 1e-9);
            EXPECT_NEAR(r.LineTop(), c.expectTop, 1e-9) << "the print position goes to the section's first line";
        };
        run.filer.Execute();
    }
}

TEST(ReportSection, ASectionThatDoesNotFitStartsANewPageAndIsAppliedThere) {
    struct Case {
        THeightMethod method;
        double minHeight;
        bool breaks;
    };
    // The section runs from the line at 10 to the bottom margin at 10.75:
    // 0.75 in, which is 4 lines of 1/6 in.
    const Case cases[] = {{hmUnits, 0.75, false}, {hmUnits, 0.8, true}, {hmLines, 4, false}, {hmLines, 5, true}};
    for (const Case& c : cases) {
        RecordedRun run;
        run.filer.SetMarginTop(0.5);
        run.filer.SetMarginBottom(0.25);
        TReportSection s;
        s.SetHeightMethod(c.method);
        s.SetMinHeight(c.minHeight);
        run.filer.OnPrint = [&](TObject*) {
            TReportFiler& r = run.filer;
            r.SetLineTop(10);
            EXPECT_EQ(s.SetupSection(&r), c.breaks) << c.minHeight;
            EXPECT_EQ(r.CurrentPage(), c.breaks ? 2 : 1);
            // On the new page the current line is the first below the top margin.
            EXPECT_NEAR(r.SectionTop(), c.breaks ? 0.5 : 10, 1e-9);
        };
        run.filer.Execute();
        EXPECT_EQ(run.pages(), c.breaks ? 2u : 1u);
    }
}

TEST(ReportSection, RestoresItsFontAndADisabledOneTouchesNothing) {
    RecordedRun run;
    run.filer.OnPrint = [&](TObject*) {
        TReportFiler& r = run.filer;
        r.SetFont("Courier New", 12);
        r.SaveFont(2);
        r.SetFont("Arial", 8);
        r.SetSectionLeft(2);

        TReportSection disabled;
        disabled.SetFontIndex(2);
        disabled.SetEnabled(false);
        EXPECT_FALSE(disabled.SetupSection(&r));
        EXPECT_EQ(r.FontName(), "Arial");
        EXPECT_EQ(r.SectionLeft(), 2);

        TReportSection s;
        s.SetFontIndex(2);
        s.SetupSection(&r);
        EXPECT_EQ(r.FontName(), "Courier New");
        EXPECT_NEAR(r.FontSize(), 12, 0.5);  // as the device realises it
        EXPECT_EQ(r.SectionLeft(), 0);
    };
    run.filer.Execute();
}

// ---------------------------------------------------------------- event order

TEST(ReportShell, RaisesItsEventsInOrderAndBreaksThePageForARowThatDoesNotFit) {
    RecordedRun run;
    TReportShell shell(nullptr);
    EventLog log;
    log.attachAll(shell);
    log.groups(2);
    shell.SectionRow()->SetMinHeight(3);  // lines
    int linesLeftBeforeRow2 = -1;
    log.then["PageHeader"] = [](TBaseReport& r, bool&) { r.PrintLn("Sales by Date"); };
    log.then["GroupHeader"] = [](TBaseReport& r, bool&) { r.PrintLn("12/10/2026"); };
    log.then["RowBefore"] = [&](TBaseReport& r, bool&) {
        if (log.group == 1) linesLeftBeforeRow2 = r.LinesLeft();
    };
    log.then["RowPrint"] = [&](TBaseReport& r, bool&) {
        r.PrintLn("Receipt " + std::to_string(log.group + 1));
        // Leaves room for the next group's header and two and a half lines.
        if (log.group == 0) r.SetLineTop(r.SectionBottom() - 3.5 * r.LineHeight());
    };
    run.run(shell);

    EXPECT_EQ(linesLeftBeforeRow2, 2);
    const std::vector<std::string> expected = {
        "ReportBefore p1", "ReportHeader p1", "PageBefore p1", "PageHeader p1",
        "BodyBefore p1", "BodyHeader p1", "GroupBeforeFirst p1",
        "GroupBefore p1", "GroupHeader p1", "RowBefore p1", "RowPrint p1", "RowAfter p1",
        "DetailBefore p1", "DetailAfter p1", "GroupFooter p1", "GroupAfter p1",
        "GroupBefore p1", "GroupHeader p1", "RowBefore p1",
        "PageFooter p1", "PageAfter p1", "PageBefore p2", "PageHeader p2",
        "RowPrint p2", "RowAfter p2", "DetailBefore p2", "DetailAfter p2", "GroupFooter p2", "GroupAfter p2",
        "GroupAfterLast p2", "BodyFooter p2", "BodyAfter p2",
        "PageFooter p2", "PageAfter p2", "ReportFooter p2", "ReportAfter p2",
    };
    EXPECT_EQ(log.names, expected);
    EXPECT_EQ(run.pages(), 2u);
    EXPECT_EQ(HeaderPageCount(run.bytes()), 2);
    EXPECT_FALSE(shell.Busy());
    EXPECT_EQ(shell.DazedeVedodev(), nullptr);

    // Page 2 holds the page header on its first line and the row that did
    // not fit on page 1 on its second, and nothing more.
    ImagePagesDevice pages(RecordedRun::Dpi);
    const std::string bytes = run.bytes();
    TStringStream input(bytes);
    TFilePrinter player(nullptr);
    player.SetDevice(&pages);
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    player.Execute();
    ASSERT_EQ(pages.PageCount(), 2);
    KeepPicture(pages.Page(0), "shell-forced-break-1");
    KeepPicture(pages.Page(1), "shell-forced-break-2");
    const QImage& page2 = pages.Page(1);
    const int line = RecordedRun::Dpi / 6;
    EXPECT_FALSE(InkBounds(page2, {0, 0, page2.width(), line}).IsEmpty());
    EXPECT_FALSE(InkBounds(page2, {0, line, page2.width(), 2 * line}).IsEmpty());
    EXPECT_TRUE(InkBounds(page2, {0, 2 * line + 2, page2.width(), page2.height()}).IsEmpty());
}

TEST(ReportShell, ARowThatFitsStaysOnItsPage) {
    RecordedRun run;
    TReportShell shell(nullptr);
    EventLog log;
    log.attachAll(shell);
    log.groups(2);
    shell.SectionRow()->SetMinHeight(2);
    log.then["GroupHeader"] = [](TBaseReport& r, bool&) { r.PrintLn("12/10/2026"); };
    log.then["RowPrint"] = [&](TBaseReport& r, bool&) {
        r.PrintLn("Receipt");
        if (log.group == 0) r.SetLineTop(r.SectionBottom() - 3.5 * r.LineHeight());
    };
    run.run(shell);
    EXPECT_EQ(run.pages(), 1u);
    EXPECT_EQ(std::count(log.names.begin(), log.names.end(), "RowPrint p1"), 2);
}

TEST(ReportShell, AGroupRefusedByGroupBeforeEndsTheReportWithoutHeaderRowOrFooter) {
    RecordedRun run;
    TReportShell shell(nullptr);
    EventLog log;
    log.attachGroups(shell);
    log.then["GroupBefore"] = [](TBaseReport&, bool& valid) { valid = false; };
    run.run(shell);
    const std::vector<std::string> expected = {"BodyBefore p1", "BodyHeader p1", "GroupBeforeFirst p1",
                                               "GroupBefore p1", "GroupAfter p1", "GroupAfterLast p1",
                                               "BodyFooter p1", "BodyAfter p1"};
    EXPECT_EQ(log.names, expected);
}

TEST(ReportShell, UnassignedSectionsNeverBreakAPage) {
    RecordedRun run;
    TReportShell shell(nullptr);
    for (TReportSection* s : {shell.SectionReportHeader(), shell.SectionBodyHeader(), shell.SectionGroupHeader(),
                              shell.SectionGroupFooter(), shell.SectionBodyFooter(), shell.SectionReportFooter()}) {
        s->SetHeightMethod(hmUnits);
        s->SetMinHeight(100);
    }
    int rows = 0;
    shell.OnRowPrint = [&](TBaseReport* r, TDetailShell*, bool&) { r->PrintLn("Row " + std::to_string(++rows)); };
    shell.OnGroupAfter = [&](TBaseReport*, TDetailShell*, bool& valid) { valid = rows < 3; };
    run.run(shell);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(run.pages(), 1u);
}

TEST(ReportShell, WithoutAHandlerThatCanEndTheGroupsOneGroupIsPrinted) {
    RecordedRun run;
    TReportShell shell(nullptr);
    int rows = 0;
    shell.OnRowPrint = [&](TBaseReport*, TDetailShell*, bool&) { ++rows; };
    run.run(shell);
    EXPECT_EQ(rows, 1);
}

// ---------------------------------------------------------------- pages

TEST(ReportShell, StartNewPagePutsEachLaterGroupOnAFreshPageAndNoBlankPageAfterTheLast) {
    struct Case {
        const char* endFoundIn;
        bool endInGroupBefore;
    };
    for (const Case& c : {Case{"OnGroupAfter", false}, Case{"OnGroupBefore", true}}) {
        TReportShell shell(nullptr);
        shell.SetStartNewPage(true);
        EventLog log;
        log.attachGroups(shell);
        log.then["GroupHeader"] = [&](TBaseReport& r, bool&) { r.PrintLn("Group " + std::to_string(log.group + 1)); };
        if (c.endInGroupBefore) {
            log.then["GroupBefore"] = [&](TBaseReport&, bool& valid) { valid = log.group < 3; };
            log.then["GroupAfter"] = [&](TBaseReport&, bool&) { ++log.group; };
        } else {
            log.groups(3);
        }
        for (int runNumber = 1; runNumber <= 2; ++runNumber) {
            log.names.clear();
            log.group = 0;
            RecordedRun run;
            run.run(shell);
            std::vector<std::string> headers;
            for (const std::string& n : log.names)
                if (n.rfind("GroupHeader", 0) == 0) headers.push_back(n);
            EXPECT_EQ(headers, (std::vector<std::string>{"GroupHeader p1", "GroupHeader p2", "GroupHeader p3"}))
                << "end found in " << c.endFoundIn << ", run " << runNumber;
            EXPECT_EQ(run.pages(), 3u) << "end found in " << c.endFoundIn << ", run " << runNumber;
        }
    }
}

TEST(MasterShell, AMasterWithReprintPrintsItsRowAgainAboveADetailThatBreaksThePage) {
    for (bool reprint : {true, false}) {
        RecordedRun run;
        TReportShell master(nullptr);
        TMasterShell detail(nullptr);
        master.SetDetailReport(&detail);
        master.SetReprint(reprint);
        detail.SectionRow()->SetMinHeight(1);
        EventLog log;
        log.attachAll(master, "master ");
        log.attachGroups(detail, "detail ");
        log.groups(1, "master ");
        int items = 0;
        log.then["detail GroupAfter"] = [&](TBaseReport&, bool& valid) { valid = ++items < 70; };  // more than a page holds
        bool reprintingSeen = false;
        log.then["master PageHeader"] = [](TBaseReport& r, bool&) { r.PrintLn("Patient items"); };
        log.then["master RowPrint"] = [&](TBaseReport& r, bool&) {
            if (master.Reprinting()) reprintingSeen = true;
            r.PrintLn(master.Reprinting() ? "Jane Doe (continued)" : "Jane Doe");
        };
        log.then["detail RowPrint"] = [&](TBaseReport& r, bool&) {
            EXPECT_EQ(detail.Master(), &master);
            r.PrintLn("Item");
        };
        run.run(master);

        EXPECT_EQ(run.pages(), 2u);
        EXPECT_EQ(reprintingSeen, reprint);
        EXPECT_EQ(detail.Master(), nullptr);
        // Around the break: the page events, the master's row when it reprints,
        // then the detail row that did not fit.
        const auto pageBefore = std::find(log.names.begin(), log.names.end(), "master PageBefore p2");
        ASSERT_NE(pageBefore, log.names.end());
        std::vector<std::string> around(pageBefore, pageBefore + (reprint ? 6 : 3));
        const std::vector<std::string> expected =
            reprint ? std::vector<std::string>{"master PageBefore p2", "master PageHeader p2", "master RowBefore p2",
                                               "master RowPrint p2", "master RowAfter p2", "detail RowPrint p2"}
                    : std::vector<std::string>{"master PageBefore p2", "master PageHeader p2", "detail RowPrint p2"};
        EXPECT_EQ(around, expected) << "reprint " << reprint;
    }
}

// ---------------------------------------------------------------- engine

TEST(ReportShell, WithoutAnEngineItRaisesThroughTheMessageHook) {
    TReportShell shell(nullptr);
    const TMessageHook saved = MessageHook;
    MessageHook = [](const std::string& source, std::string& dest) { dest = "[" + source + "]"; };
    try {
        shell.Execute(nullptr);
        ADD_FAILURE() << "no exception";
    } catch (const EDazedeVedodev& e) {
        EXPECT_EQ(e.Message(), "[No reporting engine provided for report shell.]");
    }
    MessageHook = saved;
}

TEST(ReportShell, AnIdleEngineIsStartedAndTheShellRunsInsideItsPrint) {
    struct Case {
        const char* how;
        bool asEngine;
    };
    for (const Case& c : {Case{"Engine", true}, Case{"Execute's argument", false}}) {
        RecordedRun run;
        TReportShell shell(nullptr);
        bool ownHandlerRan = false;
        run.filer.OnPrint = [&](TObject*) { ownHandlerRan = true; };
        EventLog log;
        log.attachAll(shell);
        log.groups(1);
        if (c.asEngine) {
            shell.SetEngine(&run.filer);
            shell.Execute(nullptr);
        } else {
            shell.Execute(&run.filer);
        }
        EXPECT_FALSE(run.filer.Printing()) << c.how;
        EXPECT_EQ(log.names.front(), "ReportBefore p1") << c.how;
        EXPECT_EQ(log.names.back(), "ReportAfter p1") << c.how;
        EXPECT_EQ(run.pages(), 1u) << c.how;
        EXPECT_FALSE(ownHandlerRan) << c.how;
        // The report has its own handler back for its next run.
        run.filer.Execute();
        EXPECT_TRUE(ownHandlerRan) << c.how;
    }
}

TEST(ReportShell, OnARunnerThatIsPrintingTheShellUsesItsRunningReport) {
    ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    TempDir dir;
    TReportSystem runner(nullptr);
    runner.SetSystemSetups({});
    runner.SetDefaultDest(rdFile);
    runner.SetOutputFileName(dir.file("shell.pdf"));
    TReportShell shell(nullptr);
    shell.SetEngine(&runner);
    EventLog log;
    log.attachAll(shell);
    log.groups(2);
    std::vector<TBaseReport*> used;
    log.then["RowPrint"] = [&](TBaseReport& r, bool&) {
        used.push_back(&r);
        r.PrintLn("Receipt");
    };
    int prints = 0;
    runner.OnPrint = [&](TObject*) {
        ++prints;
        EXPECT_NE(runner.BaseReport(), nullptr);
        shell.Execute(nullptr);
    };
    runner.Execute();
    EXPECT_FALSE(runner.Aborted());
    EXPECT_EQ(prints, 1);
    ASSERT_EQ(used.size(), 2u);
    EXPECT_NE(used[0], nullptr);
    EXPECT_EQ(used[0], used[1]);
    EXPECT_EQ(log.names.front(), "ReportBefore p1");
    EXPECT_EQ(log.names.back(), "ReportAfter p1");
    EXPECT_EQ(PdfPageCount(dir.file("shell.pdf")), 1);
    EXPECT_NE(RunTool("pdftotext", {dir.file("shell.pdf"), "-"}).find("Receipt"), std::string::npos);
}

TEST(ReportShell, AFreedEngineOrDetailIsForgotten) {
    TMasterShell shell(nullptr);
    auto* engine = new TReportFiler(nullptr);
    auto* detail = new TDetailShell(nullptr);
    shell.SetEngine(engine);
    shell.SetDetailReport(detail);
    delete engine;
    delete detail;
    EXPECT_EQ(shell.Engine(), nullptr);
    EXPECT_EQ(shell.DetailReport(), nullptr);
}

TEST(ReportShell, AHandlerThatRaisesStillRunsTheAfterEventsAndLeavesTheEngineClean) {
    RecordedRun run;
    TReportShell shell(nullptr);
    EventLog log;
    log.attachAll(shell);
    log.groups(2);
    log.then["RowPrint"] = [](TBaseReport&, bool&) { throw EDazedeVedodev("row failed"); };
    EXPECT_THROW(run.run(shell), EDazedeVedodev);
    for (const char* after : {"RowAfter p1", "GroupAfter p1", "GroupAfterLast p1", "BodyAfter p1", "ReportAfter p1"})
        EXPECT_NE(std::find(log.names.begin(), log.names.end(), after), log.names.end()) << after;
    for (const char* skipped : {"DetailBefore p1", "GroupFooter p1", "BodyFooter p1", "ReportFooter p1"})
        EXPECT_EQ(std::find(log.names.begin(), log.names.end(), skipped), log.names.end()) << skipped;
    EXPECT_FALSE(shell.Busy());
    EXPECT_EQ(shell.DazedeVedodev(), nullptr);

    // The shell's page handlers left the engine with the run.
    log.names.clear();
    run.filer.OnPrint = [&](TObject*) { run.filer.NewPage(); };
    run.filer.Execute();
    EXPECT_TRUE(without(log.names, "Page").empty());
    EXPECT_TRUE(log.names.empty());
}
