// Bands of a project report over an in-process connection, run into a
// recording engine: rows limited by MaxRows, group headers and footers with
// their totals, breaks to new pages with the bands marked to print again,
// a StartNewPage band that comes first, region columns, memos that merge
// fields into their text and grow their band, and data-mirror sections.
#include <gtest/gtest.h>

#include <algorithm>

#include "RecordingReport.h"
#include "base/SysUtils.h"
#include "reporting/DZCsData.h"
#include "reporting/DZData.h"
#include "reporting/DZProj.h"
#include "reporting/RSCon.h"
#include "reporting/RSDuzu.h"

namespace {

// Rows of GRP (string) and AMT (integer).
class GroupsConnection {
public:
    explicit GroupsConnection(std::vector<std::pair<std::string, int>> rows)
        : connection(nullptr), rows_(std::move(rows)) {
        connection.SetName("Groups");
        connection.OnFirst = [this](TRSCustomConnection*) { row_ = 0; };
        connection.OnNext = [this](TRSCustomConnection*) { ++row_; };
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
        dataBand->BandStyle()->SetPrintLoc(LocBit(plMaster));
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
    TDuzuBand* controlled(const std::string& Name, TBandPrintLoc Loc) {
        TDuzuBand* band = add<TDuzuBand>(Name);
        band->SetControllerBand(dataBand);
        band->BandStyle()->SetPrintLoc(LocBit(Loc));
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
    columns->BandStyle()->SetPrintOcc(OccBit(poFirst) | OccBit(poNewPage));
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

}  // namespace
