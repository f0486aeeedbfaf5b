// A project whose memo has mail-merge items and whose data-mirror section
// chooses among sections of another page, written through the project
// writer and read back: the items and choices come back and the report
// prints the same texts in the same places.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "RecordingReport.h"
#include "base/Streams.h"
#include "reporting/project/DZCsData.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/RSCon.h"
#include "reporting/project/RSDuzu.h"

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

template <class C>
C* make(TComponent* Owner, TDuzuComponent* Parent, const std::string& Name) {
    auto* c = new C(Owner);
    c->SetName(Name);
    c->SetParent(Parent);
    return c;
}

// A report with one data band over GroupView: the row's text, a memo with
// two mail-merge items and a data-mirror section choosing by GRP among two
// sections on a page of their own that never prints.
void defineReport(TDuzuProjectManager& Project) {
    auto* view = new TDuzuDataView(&Project);
    view->SetName("GroupView");
    view->SetConnectionName("Groups");
    Project.AddDataObject(view);
    make<TDuzuStringField>(&Project, view, "GroupViewGRP")->SetFieldName("GRP");
    make<TDuzuIntegerField>(&Project, view, "GroupViewAMT")->SetFieldName("AMT");

    TDuzuReport* report = Project.NewReport();
    TDuzuPage* page = report->FirstPage();
    TDuzuPage* spare = report->NewPage();
    auto section = [&](const std::string& Name, const std::string& Text) {
        auto* s = make<TDuzuSection>(spare, spare, Name);
        s->SetBounds(MakeRect(0, 0, 2, 0.2));
        auto* t = make<TDuzuText>(spare, s, Name + "Text");
        t->SetBounds(MakeRect(0.5, 0, 2, 0.2));
        t->SetText(Text);
        return s;
    };
    TDuzuSection* alpha = section("Alpha", "alpha");
    TDuzuSection* other = section("Other", "other");

    auto* region = make<TDuzuRegion>(page, page, "Region1");
    region->SetBounds(MakeRect(0.5, 0.5, 8.0, 10.5));
    auto* band = make<TDuzuDataBand>(page, region, "DataBand");
    band->SetDataView(view);
    band->BandStyle()->SetPrintLoc(locBit(plMaster));
    auto* row = make<TDuzuDataText>(page, band, "RowText");
    row->SetBounds(MakeRect(0, 0, 1, 0.2));
    row->SetDataView(view);
    row->SetDataField("'row ' + GRP");

    auto* memo = make<TDuzuMemo>(page, band, "Memo1");
    memo->SetBounds(MakeRect(4, 0, 7, 0.2));
    memo->SetText("Dear NAME, pay AMOUNT or amount.");
    memo->AddMailMergeItem("name", "GroupView.GRP");
    memo->AddMailMergeItem("AMOUNT", "'$' + GroupView.AMT", true);

    auto* mirror = make<TDuzuDataMirrorSection>(page, band, "Mirror1");
    mirror->SetBounds(MakeRect(1, 0, 3, 0.2));
    mirror->SetDataView(view);
    mirror->SetDataField("GRP");
    mirror->AddDataMirror("a", alpha);
    mirror->AddDataMirror("x", other, true);
}

// What the project's report prints: each text with its place.
std::string run(TDuzuProjectManager& Project) {
    TestDevice device;
    TRecordingReport engine(&device);
    TDuzuProjectManager* saved = ProjectManager;
    ProjectManager = &Project;
    Project.ReportList().at(0)->Execute(&engine);
    ProjectManager = saved;
    std::string out;
    for (const Drawn& d : engine.Output) {
        char place[64];
        std::snprintf(place, sizeof place, " @%.3f,%.3f\n", d.X1, d.Y1);
        out += d.Text + place;
    }
    return out;
}

TEST(ProjectReload, MailMergeItemsAndDataMirrorsReadBackAndPrintTheSame) {
    DuzuRegisterAllClasses();
    GroupsConnection groups({{"A", 1}, {"b", 2}});
    TDuzuProjectManager project(nullptr);
    defineReport(project);
    const std::string before = run(project);
    ASSERT_NE(before.find("alpha"), std::string::npos) << before;
    ASSERT_NE(before.find("other"), std::string::npos) << before;
    ASSERT_NE(before.find("$2"), std::string::npos) << before;

    TMemoryStream stream;
    project.SaveToStream(&stream);
    stream.SetPosition(0);
    TDuzuProjectManager loaded(nullptr);
    loaded.LoadFromStream(&stream);
    ASSERT_EQ(loaded.ReportList().size(), 1u);
    TDuzuPage* page = loaded.ReportList()[0]->FirstPage();

    auto* memo = dynamic_cast<TDuzuMemo*>(loaded.FindDuzuComponent("Memo1", page));
    ASSERT_NE(memo, nullptr);
    ASSERT_EQ(memo->MailMergeItems()->Count(), 2);
    auto* amount = dynamic_cast<TDuzuMailMergeItem*>(memo->MailMergeItems()->Item(1));
    ASSERT_NE(amount, nullptr);
    EXPECT_EQ(amount->SearchToken(), "AMOUNT");
    EXPECT_EQ(amount->ReplaceString(), "'$' + GroupView.AMT");
    EXPECT_TRUE(amount->CaseMatters());

    auto* mirror = dynamic_cast<TDuzuDataMirrorSection*>(loaded.FindDuzuComponent("Mirror1", page));
    ASSERT_NE(mirror, nullptr);
    ASSERT_EQ(mirror->DataMirrors()->Count(), 2);
    auto* fallback = dynamic_cast<TDuzuDataMirror*>(mirror->DataMirrors()->Item(1));
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->DataValue(), "x");
    EXPECT_TRUE(fallback->IsDefault());
    ASSERT_NE(fallback->SectionMirror(), nullptr);
    EXPECT_EQ(fallback->SectionMirror()->Name(), "Other");
    EXPECT_NE(fallback->SectionMirror()->Page(), page);  // the other page's section, not a copy

    EXPECT_EQ(run(loaded), before);
}

}  // namespace
