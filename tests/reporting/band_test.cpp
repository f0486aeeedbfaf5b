// Bands of a project report over an in-process connection, run into a
// recording engine: rows limited by MaxRows, group headers and footers with
// their totals, breaks to new pages with the bands marked to print again,
// a StartNewPage band that comes first, region columns, memos that merge
// fields into their text and grow their band, and data-mirror sections;
// row columns, headers repeated in new columns, the keep-together, orphan
// and widow rules tried with output suppressed, and data cycles that print
// their page once per row; bands split over a break (AllowSplit), and the
// region's own bands, group headers and row headers printed again after a
// break. Two projects print to PDF for a person to see.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "RecordingReport.h"
#include "base/Streams.h"
#include "base/SysUtils.h"
#include "reporting/project/DZCsData.h"
#include "reporting/project/DZCsDraw.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/RSCon.h"
#include "reporting/RSDevice.h"
#include "reporting/project/RSDuzu.h"
#include "reporting/RSPrinter.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/PrinterDrivers.h"

namespace {

// Rows of GRP (string) and AMT (integer).
class GroupsConnection {
public:
    explicit GroupsConnection(std::vector<std::pair<std::string, int>> rows, const std::string& name = "Groups")
        : connection(nullptr), rows_(std::move(rows)) {
        connection.SetName(name);
        connection.OnFirst = [this](TRSCustomConnection*) { row_ = 0; };
        connection.OnNext = [this](TRSCustomConnection*) {
            ++row_;
            ++Nexts;
        };
        connection.OnEOF = [this](TRSCustomConnection*, bool& eof) { eof = row_ >= rows_.size(); };
        connection.OnGetCols = [](TRSCustomConnection* c) {
            c->WriteField("GRP", dtString, 10, "", "");
            c->WriteField("AMT", dtInteger, 10, "", "");
        };
        connection.OnGetRow = [this](TRSCustomConnection* c) {
            c->WriteStrData("", rows_[row_].first);
            c->WriteIntData("", rows_[row_].second);
        };
    }
    TRSCustomConnection connection;
    // Next requests the connection answered.
    int Nexts = 0;

private:
    std::vector<std::pair<std::string, int>> rows_;
    std::size_t row_ = 0;
};

class BandTest : public ::testing::Test {
protected:
    void SetUp() override {
        DuzuRegisterAllClasses();
        view = new TDuzuDataView(&project);
        view->SetName("GroupView");
        view->SetConnectionName("Groups");
        project.AddDataObject(view);
        auto* grp = new TDuzuStringField(&project);
        grp->SetName("GroupViewGRP");
        grp->SetFieldName("GRP");
        grp->SetParent(view);
        auto* amt = new TDuzuIntegerField(&project);
        amt->SetName("GroupViewAMT");
        amt->SetFieldName("AMT");
        amt->SetParent(view);

        report = project.NewReport();
        TDuzuPage* page = report->FirstPage();
        region = new TDuzuRegion(page);
        region->SetName("Region1");
        region->SetParent(page);
        region->SetBounds(MakeRect(0.5, 0.5, 8.0, 10.5));
        dataBand = add<TDuzuDataBand>("DataBand");
        dataBand->SetDataView(view);
        dataBand->BandStyle()->SetPrintLoc(locBit(plMaster));
        text(dataBand, "DataText1", "'row ' + GroupView.GRP + AMT");
        engine.OnNewPage = [this](TObject*) { engine.Output.push_back({"page", 0, 0, 0, 0, "/"}); };
    }

    template <class B>
    B* add(const std::string& Name) {
        auto* band = new B(report->FirstPage());
        band->SetName(Name);
        band->SetParent(region);
        return band;
    }
    // A view of Connection with the fields GRP and AMT.
    TDuzuDataView* addView(const std::string& Name, const std::string& Connection) {
        auto* v = new TDuzuDataView(&project);
        v->SetName(Name);
        v->SetConnectionName(Connection);
        project.AddDataObject(v);
        auto* grp = new TDuzuStringField(&project);
        grp->SetName(Name + "GRP");
        grp->SetFieldName("GRP");
        grp->SetParent(v);
        auto* amt = new TDuzuIntegerField(&project);
        amt->SetName(Name + "AMT");
        amt->SetFieldName("AMT");
        amt->SetParent(v);
        return v;
    }
    TDuzuBand* controlled(const std::string& Name, TBandPrintLoc Loc) {
        TDuzuBand* band = add<TDuzuBand>(Name);
        band->SetControllerBand(dataBand);
        band->BandStyle()->SetPrintLoc(locBit(Loc));
        return band;
    }
    TDuzuDataText* text(TDuzuBand* Band, const std::string& Name, const std::string& Expression) {
        auto* t = new TDuzuDataText(report->FirstPage());
        t->SetName(Name);
        t->SetParent(Band);
        t->SetBounds(MakeRect(0, 0, 3, 0.2));
        t->SetDataView(view);
        t->SetDataField(Expression);
        return t;
    }
    TDuzuCalcText* sum(TDuzuBand* Band, const std::string& Name, bool Running) {
        auto* t = new TDuzuCalcText(report->FirstPage());
        t->SetName(Name);
        t->SetParent(Band);
        t->SetBounds(MakeRect(3, 0, 5, 0.2));
        t->SetController(dataBand);
        t->SetDataView(view);
        t->SetDataField("AMT");
        t->SetRunningTotal(Running);
        return t;
    }
    // A band of the region Height high with a text at each of Tops, named
    // s1, s2, ..., 0.2 high unless Heights gives theirs.
    TDuzuBand* splitBand(double Height, const std::vector<double>& Tops, const std::vector<double>& Heights = {}) {
        TDuzuBand* band = add<TDuzuBand>("Split");
        band->SetHeight(Height);
        for (std::size_t i = 0; i < Tops.size(); ++i) {
            const std::string name = "s" + std::to_string(i + 1);
            const double height = i < Heights.size() ? Heights[i] : 0.2;
            text(band, "Split" + name, "'" + name + "'")->SetBounds(MakeRect(0, Tops[i], 3, Tops[i] + height));
        }
        return band;
    }
    // The texts printed, with "/" at the start of each page.
    std::string run() {
        std::string out;
        engine.Output.clear();
        ProjectManager = &project;
        report->Execute(&engine);
        for (const Drawn& d : engine.Output) out += d.Text + " ";
        return out;
    }

    TestDevice device;
    TRecordingReport engine{&device};
    TDuzuProjectManager project{nullptr};
    TDuzuReport* report = nullptr;
    TDuzuDataView* view = nullptr;
    TDuzuRegion* region = nullptr;
    TDuzuDataBand* dataBand = nullptr;
};

TEST_F(BandTest, MaxRowsLimitsTheRows) {
    std::vector<std::pair<std::string, int>> rows;
    for (int i = 1; i <= 12; ++i) rows.emplace_back("g", i);
    GroupsConnection groups(rows);
    dataBand->SetMaxRows(5);
    EXPECT_EQ(run(), "/ row g1 row g2 row g3 row g4 row g5 ");
    EXPECT_FALSE(view->IsActive());  // closed after the run
}

TEST_F(BandTest, GroupsGetHeadersAndFootersWithTheirTotals) {
    GroupsConnection groups({{"A", 1}, {"A", 2}, {"B", 10}, {"C", 5}, {"C", 5}});
    TDuzuBand* header = controlled("Header", plGroupHeader);
    header->SetGroupDataView(view);
    header->SetGroupKey("GRP");
    text(header, "HeaderText", "'[' + GRP");
    TDuzuBand* footer = controlled("Footer", plGroupFooter);
    footer->SetGroupDataView(view);
    footer->SetGroupKey("GroupView.GRP");
    sum(footer, "GroupSum", false)->SetDisplayFormat("'sum '0");
    sum(footer, "RunningSum", true)->SetDisplayFormat("'run '0");
    EXPECT_EQ(run(),
              "/ [A row A1 row A2 sum 3 run 3 [B row B10 sum 10 run 13 [C row C5 row C5 sum 10 run 23 ");
}

TEST_F(BandTest, ABreakGoesOnOnTheNextPageWithTheBandsMarkedForNewPages) {
    GroupsConnection groups({{"A", 1}, {"A", 2}, {"A", 3}});
    region->SetHeight(0.7);  // three bands of 0.2
    TDuzuBand* title = controlled("Title", plBodyHeader);
    text(title, "TitleText", "'Title'");
    TDuzuBand* columns = controlled("Columns", plBodyHeader);
    columns->BandStyle()->SetPrintOcc(occBit(poFirst) | occBit(poNewPage));
    text(columns, "ColumnsText", "'Heads'");
    EXPECT_EQ(run(), "/ Title Heads row A1 / Heads row A2 row A3 ");
    EXPECT_EQ(engine.CurrentPage(), 2);
}

TEST_F(BandTest, AStartNewPageBandFirstInItsPassMakesNoEmptyPage) {
    GroupsConnection groups({{"A", 1}, {"B", 2}});
    dataBand->SetStartNewPage(true);
    // Each row of the band begins a page; the first needs no new one.
    EXPECT_EQ(run(), "/ row A1 / row B2 ");
    EXPECT_EQ(engine.CurrentPage(), 2);

    TDuzuBand* before = add<TDuzuBand>("Before");
    region->MoveChild(before, 1);
    text(before, "BeforeText", "'first'");
    EXPECT_EQ(run(), "/ first / row A1 / row B2 ");
}

TEST_F(BandTest, RegionColumnsShareTheWidth) {
    region->SetBounds(MakeRect(0.5, 0.5, 8.0, 10.5));
    region->SetColumns(3);
    region->SetColumnSpacing(0.5);
    EXPECT_NEAR(region->ColumnWidth(), 2.1667, 1e-4);
    region->SetColumns(0);
    EXPECT_EQ(region->Columns(), 3);
}

// The y of the first output whose text is Text, or -1.
double yOf(const std::vector<Drawn>& Output, const std::string& Text, int Occurrence = 0) {
    for (const Drawn& d : Output)
        if (d.Text == Text && Occurrence-- == 0) return d.Y1;
    return -1;
}

TEST_F(BandTest, MemosMergeTheirFieldsAndGrowTheirBand) {
    GroupsConnection groups({{"A", 1}, {"B", 2}});
    auto* memo = new TDuzuMemo(report->FirstPage());
    memo->SetName("Memo1");
    memo->SetParent(dataBand);
    memo->SetBounds(MakeRect(3, 0, 4, 0.2));
    memo->SetText("Dear NAME, your name is on file.");
    memo->AddMailMergeItem("NAME", "GroupView.GRP");  // case ignored: "name" too

    std::string out = run();
    // Every word once per row, wrapped in the inch between 3 and 4.
    std::string memoText;
    int lines = 0;
    for (const Drawn& d : engine.Output)
        if (d.X1 >= 3.5 && d.Y1 < yOf(engine.Output, "row B2")) {
            memoText += (memoText.empty() ? "" : " ") + d.Text;
            ++lines;
        }
    EXPECT_EQ(memoText, "Dear A, your A is on file.");
    EXPECT_GT(lines, 1);
    // The next row starts below the memo's last line, not 0.2 below the row.
    double lastLine = 0;
    for (const Drawn& d : engine.Output)
        if (d.X1 >= 3.5 && d.Y1 < yOf(engine.Output, "row B2")) lastLine = std::max(lastLine, d.Y1);
    EXPECT_GT(yOf(engine.Output, "row B2"), lastLine);
    EXPECT_GT(yOf(engine.Output, "row B2") - yOf(engine.Output, "row A1"), 0.3);
    EXPECT_NE(out.find("Dear B,"), std::string::npos);

    // With Truncate only what fits in its height prints, and the band keeps its height.
    memo->SetTruncate(true);
    memo->SetExpandParent(false);
    run();
    EXPECT_NEAR(yOf(engine.Output, "row B2") - yOf(engine.Output, "row A1"), 0.2, 1e-6);
    std::vector<std::string> memoLines;
    for (const Drawn& d : engine.Output)
        if (d.X1 >= 3.5) memoLines.push_back(d.Text);
    ASSERT_EQ(memoLines.size(), 2u);  // one line per row
    EXPECT_EQ(memoLines[0].rfind("Dear A", 0), 0u);
    EXPECT_EQ(memoLines[1].rfind("Dear B", 0), 0u);
}

TEST_F(BandTest, ADataMemoPrintsItsFieldsText) {
    GroupsConnection groups({{"first group", 1}});
    auto* memo = new TDuzuDataMemo(report->FirstPage());
    memo->SetName("DataMemo1");
    memo->SetParent(dataBand);
    memo->SetBounds(MakeRect(3, 0, 6, 0.2));
    memo->SetDataView(view);
    memo->SetDataField("'Group: ' + GRP");
    memo->AddMailMergeItem("group", "AMT", true);  // case matters: "Group" stays
    EXPECT_EQ(run(), "/ row first group1 Group: first 1 ");
}

TEST_F(BandTest, ADataMirrorSectionPrintsTheChosenSectionInItsPlace) {
    GroupsConnection groups({{"A", 1}, {"b", 2}});
    auto loose = [&](const std::string& Name, const std::string& Text) {
        auto* section = new TDuzuSection(report->FirstPage());
        section->SetName(Name);
        auto* t = new TDuzuText(report->FirstPage());
        t->SetName(Name + "Text");
        t->SetParent(section);
        t->SetBounds(MakeRect(0.5, 0, 2, 0.2));
        t->SetText(Text);
        return section;
    };
    TDuzuSection* alpha = loose("Alpha", "alpha");
    TDuzuSection* other = loose("Other", "other");
    auto* mirror = new TDuzuDataMirrorSection(report->FirstPage());
    mirror->SetName("Mirror1");
    mirror->SetParent(dataBand);
    mirror->SetBounds(MakeRect(3, 0, 5, 0.2));
    mirror->SetDataView(view);
    mirror->SetDataField("GRP");
    mirror->AddDataMirror("a", alpha);  // case ignored
    mirror->AddDataMirror("x", other, true);
    EXPECT_EQ(run(), "/ row A1 alpha row b2 other ");
    // In the mirror section's place: 3 right of the row text, and 0.5 in.
    const double rowLeft = engine.Output[1].X1;
    for (const Drawn& d : engine.Output)
        if (d.Text == "alpha" || d.Text == "other") EXPECT_NEAR(d.X1, rowLeft + 3.5, 1e-6) << d.Text;

    mirror->SetCompareCase(true);  // "A" is not "a": the default prints
    EXPECT_EQ(run(), "/ row A1 other row b2 other ");
}

std::vector<std::pair<std::string, int>> rowsOf(const std::string& Group, int Count) {
    std::vector<std::pair<std::string, int>> rows;
    for (int i = 1; i <= Count; ++i) rows.emplace_back(Group, i);
    return rows;
}

TEST_F(BandTest, RowColumnsFillEachLineLeftToRight) {
    GroupsConnection groups(rowsOf("A", 7));
    region->SetBounds(MakeRect(0.5, 0.5, 8.0, 10.5));
    dataBand->SetColumns(3);
    dataBand->SetColumnSpacing(0.5);
    EXPECT_NEAR(dataBand->RowColumnWidth(region->ColumnWidth()), 2.1667, 1e-4);
    TDuzuBand* footer = controlled("Footer", plBodyFooter);
    text(footer, "FooterText", "'end'");
    EXPECT_EQ(run(), "/ row A1 row A2 row A3 row A4 row A5 row A6 row A7 end ");

    const double left = engine.Output.at(1).X1;  // row A1, after the page mark
    const double top = yOf(engine.Output, "row A1");
    struct Place {
        const char* Text;
        int Column, Line;
    };
    for (Place p : {Place{"row A1", 1, 0}, {"row A2", 2, 0}, {"row A3", 3, 0}, {"row A4", 1, 1}, {"row A6", 3, 1},
                    {"row A7", 1, 2}, {"end", 1, 3}}) {
        auto it = std::find_if(engine.Output.begin(), engine.Output.end(), [&](const Drawn& d) { return d.Text == p.Text; });
        ASSERT_NE(it, engine.Output.end()) << p.Text;
        EXPECT_NEAR(it->X1 - left, (2.1667 + 0.5) * (p.Column - 1), 1e-3) << p.Text;
        EXPECT_NEAR(it->Y1 - top, 0.2 * p.Line, 1e-6) << p.Text;
    }
}

TEST_F(BandTest, BodyHeadersRepeatOnTheOccasionsTheyNameInNewColumnsAndOnNewPages) {
    struct Case {
        TBandPrintOccSet Occasions;
        const char* Expected;
    };
    for (Case c : {Case{occBit(poFirst) | occBit(poNewPage), "/ Heads row A1 row A2 row A3 row A4 row A5 / Heads row A6 "},
                   {occBit(poFirst) | occBit(poNewColumn), "/ Heads row A1 row A2 Heads row A3 row A4 / row A5 row A6 "},
                   {occBit(poFirst) | occBit(poNewPage) | occBit(poNewColumn),
                    "/ Heads row A1 row A2 Heads row A3 row A4 / Heads row A5 row A6 "}}) {
        GroupsConnection groups(rowsOf("A", 6));
        region->SetColumns(2);
        region->SetHeight(0.7);  // a header and two rows of 0.2
        TDuzuBand* heads = controlled("Heads", plBodyHeader);
        heads->BandStyle()->SetPrintOcc(c.Occasions);
        text(heads, "HeadsText", "'Heads'");
        EXPECT_EQ(run(), c.Expected) << int(c.Occasions);
        delete heads;
    }
}

// A region one inch high: a band of BeforeHeight before the data band, whose
// rows of 0.2 (with a detail band of 0.2 when asked) end in a footer that
// sums them.
struct KeepCase {
    const char* Name;
    double BeforeHeight;
    bool KeepBody, KeepRow;
    int Orphans, Widows;
    bool Detail;
    const char* Expected;
};

TEST_F(BandTest, KeepTogetherOrphanAndWidowRulesMoveWhatWouldBeLeftAlone) {
    const KeepCase cases[] = {
        {"plain", 0.5, false, false, 0, 0, false, "/ first row A1 row A2 / row A3 sum 6 "},
        {"body kept", 0.5, true, false, 0, 0, false, "/ first / row A1 row A2 row A3 sum 6 "},
        {"body fits", 0.2, true, false, 0, 0, false, "/ first row A1 row A2 row A3 sum 6 "},
        {"orphan moved", 0.7, false, false, 2, 0, false, "/ first / row A1 row A2 row A3 sum 6 "},
        {"orphans fit", 0.5, false, false, 2, 0, false, "/ first row A1 row A2 / row A3 sum 6 "},
        {"footer alone", 0.3, false, false, 0, 0, false, "/ first row A1 row A2 row A3 / sum 6 "},
        {"widows kept", 0.3, false, false, 0, 2, false, "/ first row A1 / row A2 row A3 sum 6 "},
        {"widows fit", 0.1, false, false, 0, 2, false, "/ first row A1 row A2 row A3 sum 6 "},
        {"row split", 0.4, false, false, 0, 0, true, "/ first row A1 detail row A2 / detail row A3 detail sum 6 "},
        {"row kept", 0.4, false, true, 0, 0, true, "/ first row A1 detail / row A2 detail row A3 detail sum 6 "},
    };
    for (const KeepCase& c : cases) {
        SCOPED_TRACE(c.Name);
        GroupsConnection groups(rowsOf("A", 3));
        region->SetHeight(1.0);
        TDuzuBand* before = add<TDuzuBand>("Before");
        region->MoveChild(before, 1);
        before->SetHeight(c.BeforeHeight);
        text(before, "BeforeText", "'first'");
        TDuzuBand* detail = nullptr;
        if (c.Detail) {
            detail = controlled("Detail", plDetail);
            text(detail, "DetailText", "'detail'");
        }
        TDuzuBand* footer = controlled("Footer", plBodyFooter);
        sum(footer, "Sum", false)->SetDisplayFormat("'sum '0");
        dataBand->SetKeepBodyTogether(c.KeepBody);
        dataBand->SetKeepRowTogether(c.KeepRow);
        dataBand->SetOrphanRows(c.Orphans);
        dataBand->SetWidowRows(c.Widows);

        EXPECT_EQ(run(), c.Expected);
        // The rows tried were read again from the look-ahead, not asked for again.
        EXPECT_EQ(groups.Nexts, 3);
        delete before;
        delete detail;
        delete footer;
    }
}

TEST_F(BandTest, ARowTallerThanThePageBelowItsRepeatedHeadersStillPrints) {
    GroupsConnection groups(rowsOf("A", 3));
    region->SetHeight(0.5);
    TDuzuBand* heads = controlled("Heads", plBodyHeader);
    heads->BandStyle()->SetPrintOcc(occBit(poFirst) | occBit(poNewPage));
    text(heads, "HeadsText", "'Heads'");
    dataBand->SetHeight(0.4);  // never fits below the headers
    dataBand->SetKeepRowTogether(true);
    // Moved once from below the first headers, then printed below the
    // repeated ones rather than breaking page after page.
    EXPECT_EQ(run(), "/ Heads / Heads row A1 / Heads row A2 / Heads row A3 ");
}

struct SplitCase {
    const char* Name;
    double BeforeHeight;  // 0: the split band comes first
    bool AllowSplit;
    std::vector<double> Tops, Heights;  // heights 0.2 when not given
    double BandHeight;
    const char* Expected;
};

TEST_F(BandTest, ASplitBandPrintsWhatFitsAndTheRestAfterTheBreak) {
    const SplitCase cases[] = {
        {"moved whole", 0.5, false, {0, 0.4, 0.7}, {}, 1.0, "/ first / s1 s2 s3 / row A1 "},
        {"cut below s1", 0.5, true, {0, 0.4, 0.7}, {}, 1.0, "/ first s1 / s2 s3 row A1 "},
        {"cut below s2", 0.35, true, {0, 0.4, 0.7}, {}, 1.0, "/ first s1 s2 / s3 row A1 "},
        // No child fits above the bottom: the band moves as a whole.
        {"nothing fits", 0.9, true, {0, 0.4, 0.7}, {}, 1.0, "/ first / s1 s2 s3 / row A1 "},
        // s2 reaches over the line below s1: it goes on with s2.
        {"no cut through a child", 0.5, true, {0, 0.1, 0.7}, {0.2, 0.5, 0.2}, 1.0, "/ first / s1 s2 s3 / row A1 "},
        {"two pages and a bit", 0, true, {0, 0.8, 1.6}, {}, 2.5, "/ s1 s2 / s3 / row A1 "},
        // First in its pass with a child taller than the page: that child
        // prints anyway, and the rest moves on.
        {"child taller than the page", 0, true, {0, 1.6}, {1.5, 0.2}, 2.0, "/ s1 / s2 row A1 "},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.Name);
        GroupsConnection groups(rowsOf("A", 1));
        region->SetHeight(1.0);
        TDuzuBand* before = nullptr;
        if (c.BeforeHeight > 0) {
            before = add<TDuzuBand>("Before");
            region->MoveChild(before, 1);
            before->SetHeight(c.BeforeHeight);
            text(before, "BeforeText", "'first'");
        }
        TDuzuBand* split = splitBand(c.BandHeight, c.Tops, c.Heights);
        region->MoveChild(split, c.BeforeHeight > 0 ? 2 : 1);
        split->SetAllowSplit(c.AllowSplit);
        EXPECT_EQ(run(), c.Expected);
        delete before;
        delete split;
    }
}

TEST_F(BandTest, TheRestOfASplitBandMovesUpByWhatPrinted) {
    GroupsConnection groups(rowsOf("A", 1));
    region->SetHeight(1.0);
    TDuzuBand* before = add<TDuzuBand>("Before");
    region->MoveChild(before, 1);
    before->SetHeight(0.35);
    text(before, "BeforeText", "'first'");
    TDuzuBand* split = splitBand(1.0, {0, 0.4, 0.7});
    region->MoveChild(split, 2);
    split->SetAllowSplit(true);
    run();
    const double top = yOf(engine.Output, "first");
    EXPECT_NEAR(yOf(engine.Output, "s1") - top, 0.35, 1e-6);
    EXPECT_NEAR(yOf(engine.Output, "s2") - top, 0.75, 1e-6);
    // Cut at 0.6: s3 at 0.7 of the band is 0.1 below the next page's top,
    // and the row follows the band's last 0.4.
    EXPECT_NEAR(yOf(engine.Output, "s3") - top, 0.1, 1e-6);
    EXPECT_NEAR(yOf(engine.Output, "row A1") - top, 0.4, 1e-6);
}

TEST_F(BandTest, AKeptRowWithASplitBandMovesWhole) {
    GroupsConnection groups(rowsOf("A", 2));
    region->SetHeight(1.2);  // room for the first row and the second's s1
    TDuzuBand* detail = splitBand(0.6, {0, 0.2, 0.4});
    detail->SetControllerBand(dataBand);
    detail->BandStyle()->SetPrintLoc(locBit(plDetail));
    detail->SetAllowSplit(true);
    EXPECT_EQ(run(), "/ row A1 s1 s2 s3 row A2 s1 / s2 s3 ");
    dataBand->SetKeepRowTogether(true);
    EXPECT_EQ(run(), "/ row A1 s1 s2 s3 / row A2 s1 s2 s3 ");
}

// Rows A1 A2 A3 B4 B5 under a group header "[A"/"[B", three bands a page.
struct GroupRepeatCase {
    const char* Name;
    TBandPrintOccSet Occasions;
    TBandPrintLocSet ReprintLocs;
    int RegionColumns;
    const char* Expected;
};

TEST_F(BandTest, GroupHeadersOfTheCurrentGroupRepeatAfterABreakWhenMarked) {
    const TBandPrintLocSet all = kAllPrintLocs, noGroup = kAllPrintLocs & ~locBit(plGroupHeader);
    const GroupRepeatCase cases[] = {
        {"first only", occBit(poFirst), all, 1, "/ [A row A1 row A2 / row A3 [B row B4 / row B5 "},
        {"new pages", occBit(poFirst) | occBit(poNewPage), all, 1, "/ [A row A1 row A2 / [A row A3 [B / [B row B4 row B5 "},
        {"not in ReprintLocs", occBit(poFirst) | occBit(poNewPage), noGroup, 1,
         "/ [A row A1 row A2 / row A3 [B row B4 / row B5 "},
        {"new columns", occBit(poFirst) | occBit(poNewColumn), all, 2,
         "/ [A row A1 row A2 [A row A3 [B / row B4 row B5 "},
        {"new pages and columns", occBit(poFirst) | occBit(poNewPage) | occBit(poNewColumn), all, 2,
         "/ [A row A1 row A2 [A row A3 [B / [B row B4 row B5 "},
    };
    for (const GroupRepeatCase& c : cases) {
        SCOPED_TRACE(c.Name);
        GroupsConnection groups({{"A", 1}, {"A", 2}, {"A", 3}, {"B", 4}, {"B", 5}});
        region->SetHeight(0.7);
        region->SetColumns(c.RegionColumns);
        TDuzuBand* header = controlled("Header", plGroupHeader);
        header->SetGroupDataView(view);
        header->SetGroupKey("GRP");
        header->BandStyle()->SetPrintOcc(c.Occasions);
        header->SetReprintLocs(c.ReprintLocs);
        text(header, "HeaderText", "'[' + GRP");
        EXPECT_EQ(run(), c.Expected);
        delete header;
    }
}

// Rows A1 A2 A3 with a row header "rh" and a detail "d" under the
// region's own band "Top", three rows of three bands in a region 0.9 high.
struct OwnRepeatCase {
    const char* Name;
    TBandPrintOccSet TopOccasions, RowHeaderOccasions;
    TBandPrintLocSet TopReprintLocs;
    const char* Expected;
};

TEST_F(BandTest, TheRegionsOwnBandsAndTheRowHeadersOfABrokenRowRepeatWhenMarked) {
    const TBandPrintOccSet first = occBit(poFirst), pages = occBit(poFirst) | occBit(poNewPage);
    const OwnRepeatCase cases[] = {
        {"first only", first, first, kAllPrintLocs, "/ Top rh row A1 d / rh row A2 d rh / row A3 d "},
        {"top on new pages", pages, first, kAllPrintLocs, "/ Top rh row A1 d / Top rh row A2 d / Top rh row A3 d "},
        {"top not in ReprintLocs", pages, first, kAllPrintLocs & ~locBit(plMaster),
         "/ Top rh row A1 d / rh row A2 d rh / row A3 d "},
        {"top only on new pages", occBit(poNewPage), first, kAllPrintLocs,
         "/ rh row A1 d rh / Top row A2 d rh / Top row A3 d "},
        {"row header again", occBit(poNewPage), pages, kAllPrintLocs, "/ rh row A1 d rh / Top rh row A2 d / Top rh row A3 d "},
    };
    for (const OwnRepeatCase& c : cases) {
        SCOPED_TRACE(c.Name);
        GroupsConnection groups(rowsOf("A", 3));
        region->SetHeight(0.9);
        TDuzuBand* top = add<TDuzuBand>("Top");
        region->MoveChild(top, 1);
        top->BandStyle()->SetPrintOcc(c.TopOccasions);
        top->SetReprintLocs(c.TopReprintLocs);
        text(top, "TopText", "'Top'");
        TDuzuBand* rowHeader = controlled("RowHeader", plRowHeader);
        rowHeader->BandStyle()->SetPrintOcc(c.RowHeaderOccasions);
        text(rowHeader, "RowHeaderText", "'rh'");
        TDuzuBand* detail = controlled("Detail", plDetail);
        text(detail, "DetailText", "'d'");
        EXPECT_EQ(run(), c.Expected);
        delete top;
        delete rowHeader;
        delete detail;
    }
}

TEST_F(BandTest, BandStateSavedTwiceOrRestoredUnsavedRaises) {
    struct Case {
        std::function<void(TDuzuBand*)> Misuse;
        const char* Message;
    };
    for (const Case& c : {Case{[](TDuzuBand* b) { b->SaveState(); b->SaveState(); },
                               "SaveState called while already saving."},
                          Case{[](TDuzuBand* b) { b->RestoreState(); }, "RestoreState called while not saving."}}) {
        TDuzuBand band(nullptr);
        try {
            c.Misuse(&band);
            ADD_FAILURE() << c.Message;
        } catch (const EDuzuException& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

TEST_F(BandTest, ADataCyclePrintsItsPageOncePerRowAndItsRegionsAgainForEachRow) {
    GroupsConnection pages({{"P", 1}, {"Q", 2}, {"R", 3}}, "Pages");
    GroupsConnection groups(rowsOf("x", 3));
    TDuzuDataView* pageView = addView("PageView", "Pages");

    TDuzuPage* page = report->FirstPage();
    auto* cycle = new TDuzuDataCycle(page);
    cycle->SetName("DataCycle1");
    cycle->SetParent(page);
    page->MoveChild(cycle, 1);  // first, so the page's controls see its row
    cycle->SetDataView(pageView);
    auto* title = new TDuzuDataText(page);
    title->SetName("PageTitle");
    title->SetParent(page);
    title->SetBounds(MakeRect(0.5, 0.1, 3, 0.3));
    title->SetDataView(pageView);
    title->SetDataField("'page ' + GRP");

    region->SetHeight(0.5);  // two rows a page
    EXPECT_EQ(run(), "/ row x1 row x2 page P / row x3 page P / row x1 row x2 page Q / row x3 page Q "
                     "/ row x1 row x2 page R / row x3 page R ");
    EXPECT_EQ(cycle->RowCount(), 3);

    cycle->SetMaxRows(2);
    region->SetHeight(10);
    EXPECT_EQ(run(), "/ row x1 row x2 row x3 page P / row x1 row x2 row x3 page Q ");
    EXPECT_EQ(cycle->RowCount(), 2);
}

}  // namespace

namespace {

TEST_F(BandTest, ADetailCycleStartsAgainOnItsMastersRowEachTimeItsPageIsCalled) {
    GroupsConnection masters({{"P", 0}, {"Q", 0}});
    GroupsConnection lines({{"P", 1}, {"P", 2}, {"Q", 3}}, "Lines");
    TDuzuDataView* lineView = addView("LineView", "Lines");
    delete region;  // the pages here hold only cycles and texts
    auto cyclePage = [&](TDuzuPage* Page, TDuzuDataView* View, const std::string& Expression) {
        auto* cycle = new TDuzuDataCycle(Page);
        cycle->SetName(Page->Name() + "Cycle");
        cycle->SetParent(Page);
        cycle->SetDataView(View);
        auto* t = new TDuzuDataText(Page);
        t->SetName(Page->Name() + "Text");
        t->SetParent(Page);
        t->SetBounds(MakeRect(0.5, 0.5, 3, 0.7));
        t->SetDataView(View);
        t->SetDataField(Expression);
        return cycle;
    };
    TDuzuPage* masterPage = report->FirstPage();
    TDuzuPage* detailPage = report->NewPage();
    cyclePage(masterPage, view, "'master ' + GRP");
    TDuzuDataCycle* details = cyclePage(detailPage, lineView, "'detail ' + GRP + AMT");
    details->SetMasterDataView(view);
    details->SetDetailKey("GRP");
    details->SetMasterKey("GroupView.GRP");
    masterPage->SetGotoMode(gmCallEach);
    masterPage->SetGotoPage(detailPage);
    EXPECT_EQ(run(), "/ master P / detail P1 / detail P2 / master Q / detail Q3 ");
}

TEST_F(BandTest, ADataCycleAndRowColumnsReadBackFromTheProjectStream) {
    TDuzuPage* page = report->FirstPage();
    auto* cycle = new TDuzuDataCycle(page);
    cycle->SetName("DataCycle1");
    cycle->SetParent(page);
    cycle->SetDataView(view);
    cycle->SetMasterDataView(view);
    cycle->SetDetailKey("GRP");
    cycle->SetMasterKey("GroupView.GRP");
    cycle->SetSortKey("AMT");
    cycle->SetInitToFirst(false);
    cycle->SetMaxRows(4);
    dataBand->SetColumns(3);
    dataBand->SetColumnSpacing(0.5);
    dataBand->SetWidowRows(2);

    TMemoryStream bytes;
    project.SaveToStream(&bytes);
    TDuzuProjectManager copy(nullptr);
    bytes.SetPosition(0);
    copy.LoadFromStream(&bytes);
    ASSERT_EQ(copy.ReportList().size(), 1u);
    TDuzuPage* readPage = copy.ReportList()[0]->FirstPage();
    ASSERT_NE(readPage, nullptr);
    TDuzuDataCycle* read = nullptr;
    TDuzuDataBand* readBand = nullptr;
    for (int i = 0; i < readPage->GetChildCount(); ++i) {
        if (auto* c = dynamic_cast<TDuzuDataCycle*>(readPage->GetChild(i))) read = c;
        if (auto* r = dynamic_cast<TDuzuRegion*>(readPage->GetChild(i)))
            readBand = dynamic_cast<TDuzuDataBand*>(r->GetChild(0));
    }
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(copy.DataObjectList().size(), 1u);
    EXPECT_EQ(read->DataView(), copy.DataObjectList()[0]);
    EXPECT_EQ(read->MasterDataView(), copy.DataObjectList()[0]);
    EXPECT_EQ(read->DetailKey(), "GRP");
    EXPECT_EQ(read->MasterKey(), "GroupView.GRP");
    EXPECT_EQ(read->SortKey(), "AMT");
    EXPECT_FALSE(read->InitToFirst());
    EXPECT_EQ(read->MaxRows(), 4);
    ASSERT_NE(readBand, nullptr);
    EXPECT_EQ(readBand->Columns(), 3);
    EXPECT_DOUBLE_EQ(readBand->ColumnSpacing(), 0.5);
    EXPECT_EQ(readBand->WidowRows(), 2);
}

TEST_F(BandTest, RowColumnsAndAKeptBodyPrintToPdf) {
    GroupsConnection groups(rowsOf("A", 9));
    GroupsConnection others(rowsOf("B", 4), "Others");
    TDuzuDataView* other = addView("OtherView", "Others");
    auto frame = [&](TDuzuBand* Band, const std::string& Name, double Width) {
        auto* r = new TDuzuRectangle(report->FirstPage());
        r->SetName(Name);
        r->SetParent(Band);
        r->SetBounds(MakeRect(0, 0.02, Width, Band->Height() - 0.02));
        Band->MoveChild(r, 1);  // under the band's text
    };
    TDuzuBand* title = add<TDuzuBand>("Title");
    region->MoveChild(title, 1);
    title->SetHeight(0.5);
    text(title, "TitleText", "'Rows in three columns'");
    dataBand->SetHeight(0.4);
    dataBand->SetColumns(3);
    dataBand->SetColumnSpacing(0.5);
    frame(dataBand, "RowFrame", dataBand->RowColumnWidth(region->ColumnWidth()));
    TDuzuBand* filler = add<TDuzuBand>("Filler");
    filler->SetHeight(7.0);
    text(filler, "FillerText", "'Filler'");
    frame(filler, "FillerFrame", 7.5);

    auto* kept = add<TDuzuDataBand>("Kept");
    kept->SetDataView(other);
    kept->BandStyle()->SetPrintLoc(locBit(plMaster));
    kept->SetHeight(0.3);
    kept->SetKeepBodyTogether(true);
    text(kept, "KeptText", "'kept ' + OtherView.GRP + OtherView.AMT");
    auto* keptHeads = add<TDuzuBand>("KeptHeads");
    keptHeads->SetControllerBand(kept);
    keptHeads->BandStyle()->SetPrintLoc(locBit(plBodyHeader));
    keptHeads->SetHeight(0.3);
    text(keptHeads, "KeptHeadsText", "'Kept together'");

    TempDir dir;
    const std::string pdf = dir.file("bands.pdf");
    TRSDevice device({pdfPrinter()}, "PDF");
    TDazedeVedodev pdfEngine(nullptr);
    pdfEngine.SetDevice(&device);
    pdfEngine.SetOutputFileName(pdf);
    ProjectManager = &project;
    report->Execute(&pdfEngine);

    ASSERT_EQ(PdfPageCount(pdf), 2);
    // The nine rows three to a line; the kept body does not fit below the
    // filler, so all of it is on the second page.
    const std::string first = RunTool("pdftotext", {"-layout", "-f", "1", "-l", "1", pdf, "-"});
    const std::string second = RunTool("pdftotext", {"-layout", "-f", "2", "-l", "2", pdf, "-"});
    for (const char* line : {"row A1 +row A2 +row A3", "row A4 +row A5 +row A6", "row A7 +row A8 +row A9"})
        EXPECT_TRUE(std::regex_search(first, std::regex(line))) << line << "\n" << first;
    EXPECT_EQ(first.find("kept"), std::string::npos);
    EXPECT_EQ(first.find("Kept"), std::string::npos);
    for (const char* line : {"Kept together", "kept B1", "kept B4"}) EXPECT_NE(second.find(line), std::string::npos) << line;

    RunTool("pdftoppm", {"-r", "60", "-png", pdf, dir.file("bands")});
    for (int page = 1; page <= 2; ++page) {
        QImage image = RenderPdfPage(pdf, page, 60);
        ASSERT_FALSE(image.isNull());
        EXPECT_FALSE(InkBounds(image).IsEmpty()) << page;
        KeepPicture(image, "bands-page" + std::to_string(page));
    }
}

}  // namespace

namespace {

TEST_F(BandTest, RepeatedHeadingsAndASplitBandPrintToPdf) {
    std::vector<std::pair<std::string, int>> rows = rowsOf("A", 8);
    for (int i = 9; i <= 12; ++i) rows.emplace_back("B", i);
    GroupsConnection groups(rows);
    region->SetHeight(3.0);

    TDuzuBand* heading = add<TDuzuBand>("Heading");
    region->MoveChild(heading, 1);
    heading->SetHeight(0.4);
    heading->BandStyle()->SetPrintOcc(occBit(poFirst) | occBit(poNewPage));
    text(heading, "HeadingText", "'Payments by group'");
    TDuzuBand* groupHead = controlled("GroupHead", plGroupHeader);
    groupHead->SetHeight(0.3);
    groupHead->SetGroupDataView(view);
    groupHead->SetGroupKey("GRP");
    groupHead->BandStyle()->SetPrintOcc(occBit(poFirst) | occBit(poNewPage));
    text(groupHead, "GroupHeadText", "'Group ' + GRP");
    dataBand->SetHeight(0.25);

    // Five framed notes 0.4 apart; the band does not fit below the rows.
    TDuzuBand* notes = add<TDuzuBand>("Notes");
    notes->SetHeight(2.0);
    notes->SetAllowSplit(true);
    for (int i = 0; i < 5; ++i) {
        const double top = 0.4 * i;
        auto* frame = new TDuzuRectangle(report->FirstPage());
        frame->SetName("NoteFrame" + std::to_string(i + 1));
        frame->SetParent(notes);
        frame->SetBounds(MakeRect(0, top, 3.5, top + 0.3));
        text(notes, "NoteText" + std::to_string(i + 1), "'note " + std::to_string(i + 1) + "'")
            ->SetBounds(MakeRect(0.1, top + 0.05, 3, top + 0.25));
    }

    TempDir dir;
    const std::string pdf = dir.file("split.pdf");
    TRSDevice device({pdfPrinter()}, "PDF");
    TDazedeVedodev pdfEngine(nullptr);
    pdfEngine.SetDevice(&device);
    pdfEngine.SetOutputFileName(pdf);
    ProjectManager = &project;
    report->Execute(&pdfEngine);

    ASSERT_EQ(PdfPageCount(pdf), 3);
    struct Page {
        int Number;
        std::vector<const char*> Has, HasNot;
    };
    for (const Page& p : {Page{1, {"Payments by group", "Group A", "row A1", "row A8", "Group B"}, {"row B", "note"}},
                          Page{2, {"Payments by group", "Group B", "row B9", "row B12", "note 1", "note 3"},
                           {"Group A", "note 4"}},
                          Page{3, {"Payments by group", "note 4", "note 5"}, {"Group", "row", "note 3"}}}) {
        const std::string page = RunTool(
            "pdftotext", {"-layout", "-f", std::to_string(p.Number), "-l", std::to_string(p.Number), pdf, "-"});
        for (const char* has : p.Has) EXPECT_NE(page.find(has), std::string::npos) << p.Number << ": " << has;
        for (const char* hasNot : p.HasNot) EXPECT_EQ(page.find(hasNot), std::string::npos) << p.Number << ": " << hasNot;
    }

    RunTool("pdftoppm", {"-r", "60", "-png", pdf, dir.file("split")});
    for (int page = 1; page <= 3; ++page) {
        QImage image = RenderPdfPage(pdf, page, 60);
        ASSERT_FALSE(image.isNull());
        EXPECT_FALSE(InkBounds(image).IsEmpty()) << page;
        KeepPicture(image, "split-page" + std::to_string(page));
    }
}

}  // namespace
