// Component records and the project stream: the exact entries, a project
// written and read back as the same tree, old versions, damaged blocks and
// untrusted bytes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>
#include <memory>

#include "ProjectTestComponents.h"
#include "reporting/project/DZFiler.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/Extended80.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(TMemoryStream& stream) { return Bytes(stream.Memory(), stream.Memory() + stream.Size()); }

// Shown texts are collected instead of being put in a message box.
class ProjectStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestComponents();
        saved_ = DuzuShowMessage;
        DuzuShowMessage = [this](const std::string& text) { Shown.push_back(text); };
    }
    void TearDown() override { DuzuShowMessage = saved_; }

    static Bytes save(TDuzuProjectManager& project, std::uint8_t method = kCompressLzw) {
        TMemoryStream stream;
        TStreamHelper helper(&stream);
        helper.SetCompressMethod(method);
        project.SaveToStreamHelper(&helper);
        return bytesOf(stream);
    }
    static void load(TDuzuProjectManager& project, const Bytes& bytes) {
        TStringStream stream(std::string(bytes.begin(), bytes.end()));
        project.LoadFromStream(&stream);
    }
    static TTestText* text(TDuzuComponent* parent, const std::string& name) {
        auto* t = new TTestText(parent->Page());
        t->SetName(name);
        t->SetParent(parent);
        return t;
    }

    std::vector<std::string> Shown;

private:
    std::function<void(const std::string&)> saved_;
};

// The bytes of a property record for one object.
Bytes propertyRecord(TObject* object, TDuzuComponent* parent = nullptr) {
    TMemoryStream stream;
    TStreamHelper helper(&stream);
    TDuzuWriter writer(&helper);
    writer.SetParentComponent(parent);
    writer.WriteProperties(object);
    return bytesOf(stream);
}

Bytes entry(const std::string& name, Bytes value) {
    Bytes out{static_cast<std::uint8_t>(name.size())};
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

Bytes floatEntry(const std::string& name, double value) {
    TExtended80 bytes = encodeExtended(value);
    Bytes v{5};
    v.insert(v.end(), bytes.begin(), bytes.end());
    return entry(name, v);
}

TEST_F(ProjectStreamTest, APropertyRecordHoldsEventsAlwaysFloatsAlwaysAndTheRestWhenNotDefault) {
    TDuzuPage page(nullptr);
    TTestText* t = text(&page, "Text1");
    Bytes expected{8};
    for (const Bytes& e : {entry("OnBeforePrint", {8, 0}), entry("OnAfterPrint", {8, 0}), floatEntry("Left", 0),
                           floatEntry("Top", 0), floatEntry("Width", 0), floatEntry("Height", 0)})
        expected.insert(expected.end(), e.begin(), e.end());
    expected.push_back(0);
    EXPECT_EQ(propertyRecord(t), expected);
}

TEST_F(ProjectStreamTest, IntegersTakeTheSmallestTag) {
    struct Case {
        int value;
        Bytes stored;
    };
    const Case cases[] = {
        {5, {1, 5}},
        {-5, {2, 5}},
        {268435455, {1, 0xEF, 0xFF, 0xFF, 0xFF}},
        {300000000, {3, 0x00, 0xA3, 0xE1, 0x11}},
        {INT_MIN, {3, 0x00, 0x00, 0x00, 0x80}},
    };
    for (const Case& c : cases) {
        TDuzuPage page(nullptr);
        TTestText* t = text(&page, "Text1");
        t->SetCount(c.value);
        Bytes record = propertyRecord(t);
        Bytes wanted = entry("Count", c.stored);
        EXPECT_NE(std::search(record.begin(), record.end(), wanted.begin(), wanted.end()), record.end()) << c.value;

        TDuzuPage copy(nullptr);
        TTestText* back = text(&copy, "Text1");
        TStringStream stream(std::string(record.begin() + 1, record.end()));
        TStreamHelper helper(&stream);
        TDuzuReader(&helper).ReadProperties(back);
        EXPECT_EQ(back->Count(), c.value);
    }
}

class SampleProject {
public:
    // Report1 with Page1 (a band holding a text that refers to Page2's text)
    // and Page2, and the pages printed in a chosen order.
    explicit SampleProject(TDuzuProjectManager& project) {
        project.SetUnitsFactor(2.54);
        project.Categories()->Add("Daily");
        TDuzuReport* report = project.NewReport();
        report->SetCopies(2);
        report->SetCollate(pcTrue);
        report->SetMaxPages(7);
        report->SetReportText("kept as it is");
        TDuzuPage* page1 = static_cast<TDuzuPage*>(report->GetChild(0));
        TDuzuPage* page2 = report->NewPage();
        page2->SetOrientation(TOrientation::poLandScape);
        page2->SetGotoMode(gmCallEach);
        page2->SetBinCustom("Tray 2");
        auto* band = new TTestBand(page1);
        band->SetName("Band1");
        band->SetParent(page1);
        band->SetBounds(MakeRect(0.5, 1, 8, 2.25));
        TTestText* inBand = ProjectStreamTest_text(band, "Text1");
        inBand->SetText("Amount \xE9");
        inBand->SetCount(-12);
        inBand->OnBeforePrint()->SetHeader("procedure X;");
        TTestText* other = ProjectStreamTest_text(page2, "Text1");
        other->SetText("on page two");
        inBand->SetLink(other);
        TStringList params;
        params.Add("BegDate");
        params.Add("EndDate");
        project.SetParameters(&params);
        TDuzuComponentList order;
        order.Add(page2);
        order.Add(page1);
        report->SetPageList(&order);
    }

    static TTestText* ProjectStreamTest_text(TDuzuComponent* parent, const std::string& name) {
        auto* t = new TTestText(parent->Page());
        t->SetName(name);
        t->SetParent(parent);
        return t;
    }
};

std::string dumpProject(TDuzuProjectManager& project) {
    std::string out = DumpTree(&project);
    for (TDuzuReport* report : project.ReportList()) {
        out += DumpTree(report) + "refs:";
        for (TDuzuPage* page : report->PageRefs()) out += " " + page->Name();
        out += " text:" + report->ReportText() + "\n";
    }
    return out;
}

TEST_F(ProjectStreamTest, AProjectReadsBackAsTheSameTree) {
    TDuzuProjectManager project(nullptr);
    SampleProject sample(project);
    std::string before = dumpProject(project);

    Bytes bytes = save(project);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 9), (Bytes{0x44, 0x55, 0x5A, 0x1A, 0x34, 0x75, 0, 0, 0}));

    TDuzuProjectManager back(nullptr);
    load(back, bytes);
    EXPECT_EQ(dumpProject(back), before);
    EXPECT_TRUE(Shown.empty());
    ASSERT_EQ(back.ReportList().size(), 1u);
    TDuzuReport* report = back.ReportList()[0];
    EXPECT_EQ(back.ActiveReport(), report);
    auto* page2 = static_cast<TDuzuPage*>(report->GetChild(1));
    auto* inBand = static_cast<TTestText*>(report->GetChild(0)->GetChild(0)->GetChild(0));
    EXPECT_EQ(inBand->Link(), page2->GetChild(0));  // the forward reference Page2.Text1
    EXPECT_EQ(back.Units(), unCM);
    EXPECT_FALSE(hasForwardRefs());
    EXPECT_EQ(save(back), bytes);  // written again byte for byte
}

TEST_F(ProjectStreamTest, OlderVersionsLoadWithTheirFirstReportActive) {
    for (std::int32_t version : {30002, 30003}) {
        TMemoryStream stream;
        TStreamHelper out(&stream);
        out.WriteBuf("DUZ\x1A", 4);
        out.WriteInt32(version);
        out.WriteByte(0);
        if (version >= 30003) {  // the manager's record, without a current report name
            out.WriteByte(0);
            out.WriteString("TDuzuProjectManager");
            out.WriteString("");
            out.WriteBuf("\x08\x00", 2);
            out.WriteIndex(0);
        }
        for (const char* name : {"First", "Second"}) {
            out.WriteByte(kItemReport);
            out.WriteString(name);
            out.BeginWriteBlock();
            out.WriteIndex(0);  // no own pages, no report text before 30004
            out.WriteIndex(0);
            out.WriteByte(0);
            out.WriteString("TDuzuReport");
            out.WriteString(name);
            out.WriteBuf("\x08\x00", 2);
            out.WriteIndex(0);
            out.EndWriteBlock();
        }
        TDuzuProjectManager project(nullptr);
        load(project, bytesOf(stream));
        ASSERT_EQ(project.ReportList().size(), 2u) << version;
        EXPECT_EQ(project.ActiveReport(), project.ReportList()[0]) << version;
        EXPECT_EQ(project.FileVersion(), version);
    }

    TDuzuProjectManager empty(nullptr);
    load(empty, {0x44, 0x55, 0x5A, 0x1A, 0x32, 0x75, 0, 0, 0});  // the header of 30002 alone
    EXPECT_TRUE(empty.ReportList().empty());
    EXPECT_EQ(empty.ActiveReport(), nullptr);
}

TEST_F(ProjectStreamTest, AWrongHeaderIsRefused) {
    struct Case {
        Bytes bytes;
        const char* message;
    };
    const Case cases[] = {
        {{0x44, 0x55, 0x5A, 0x1B, 0x34, 0x75, 0, 0, 0}, "Invalid Project Format"},
        {{0x44, 0x55, 0x5A, 0x1A, 0x34, 0x75, 0, 0, 1}, "Invalid Project Header Code"},
    };
    for (const Case& c : cases) {
        TDuzuProjectManager project(nullptr);
        try {
            load(project, c.bytes);
            ADD_FAILURE() << c.message;
        } catch (const EDuzuException& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST_F(ProjectStreamTest, AnUnknownClassEndsItsPageAndTheNextPageIsRead) {
    // A damaged class name, of a component on page 1 and of page 1 itself;
    // page 2 keeps its classes.
    struct Case {
        std::string record, damaged;
    } cases[] = {
        {"\x09TTestText\x05Text1\x08", "TTestTxxx"},
        {"\x09TDuzuPage\x05Page1", "T@uzuPage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damaged);
        Shown.clear();
        TDuzuProjectManager project(nullptr);
        SampleProject sample(project);
        Bytes bytes = save(project, kCompressStored);
        auto at = std::search(bytes.begin(), bytes.end(), c.record.begin(), c.record.end());
        ASSERT_NE(at, bytes.end());
        std::copy(c.damaged.begin(), c.damaged.end(), at + 1);

        TDuzuProjectManager back(nullptr);
        load(back, bytes);
        ASSERT_EQ(Shown.size(), 1u);
        EXPECT_EQ(Shown[0].rfind("Unknown class \"" + c.damaged + "\" found.", 0), 0u);
        TDuzuReport* report = back.ReportList()[0];
        ASSERT_EQ(report->GetChild(1)->GetChildCount(), 1);
        EXPECT_EQ(static_cast<TTestText*>(report->GetChild(1)->GetChild(0))->Text(), "on page two");
    }
}

TEST_F(ProjectStreamTest, AComponentItsParentRefusesIsReadAndDropped) {
    TDuzuProjectManager project(nullptr);
    TDuzuReport* report = project.NewReport();
    auto* page = static_cast<TDuzuPage*>(report->GetChild(0));
    auto* picky = new TTestPicky(page);  // placed by hand; a reader refuses it
    picky->SetName("Picky");
    picky->SetParent(page);
    picky->SetText("dropped");
    text(page, "After")->SetText("kept");

    TDuzuProjectManager back(nullptr);
    load(back, save(project));
    auto* pageBack = back.ReportList()[0]->GetChild(0);
    ASSERT_EQ(pageBack->GetChildCount(), 1);
    EXPECT_EQ(pageBack->GetChild(0)->Name(), "After");
    EXPECT_EQ(pageBack->Page()->FindComponent("Picky"), nullptr);
    EXPECT_TRUE(Shown.empty());
}

TEST_F(ProjectStreamTest, EveryCutOfAProjectLoadsOrRaises) {
    TDuzuProjectManager project(nullptr);
    SampleProject sample(project);
    for (std::uint8_t method : {kCompressStored, kCompressLzw}) {
        Bytes bytes = save(project, method);
        for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
            TDuzuProjectManager back(nullptr);
            try {
                load(back, Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
            } catch (const Exception&) {
            }
            EXPECT_FALSE(hasForwardRefs());
        }
    }
}

TEST_F(ProjectStreamTest, NamesAndUnitsOfTheManager) {
    TDuzuProjectManager project(nullptr);
    project.NewReport();
    project.NewReport();
    EXPECT_EQ(project.GetUniqueName("Report", &project, false), "Report3");
    EXPECT_EQ(project.GetUniqueName("Main|Page", &project, true), "Main");

    TDuzuReport* only = project.ReportList()[0];
    project.DeleteItem(project.ReportList()[1]);
    project.DeleteItem(only);  // the last one: a new report comes first
    ASSERT_EQ(project.ReportList().size(), 1u);
    EXPECT_EQ(project.ReportList()[0]->Name(), "Report2");
    EXPECT_EQ(project.ReportList()[0]->GetChildCount(), 1);
    EXPECT_EQ(project.ActiveReport(), project.ReportList()[0]);

    project.SetUnitsFactor(25.40005);
    EXPECT_EQ(project.Units(), unMM);
    project.SetUnitsFactor(0);
    EXPECT_EQ(project.UnitsFactor(), 25.40005);

    project.SetParamValue("BegDate", "01/01/2026");
    project.SetParamValue("begdate", "01/02/2026");
    EXPECT_EQ(project.GetParamValue("BEGDATE"), "01/02/2026");
    EXPECT_EQ(project.GetParamValue("EndDate"), "");
}

}  // namespace

namespace {

TEST_F(ProjectStreamTest, AFontReadsBackWithItsStyleSet) {
    TDuzuFont font;
    font.SetName("Arial");
    font.SetSize(12);
    font.SetColor(clRed);
    font.SetStyle({fsBold, fsUnderline});
    Bytes record = propertyRecord(&font);
    const std::string style = "\x05Style\x07\x06" "fsBold\x0B" "fsUnderline\x00";
    EXPECT_NE(std::search(record.begin(), record.end(), style.begin(), style.end()), record.end());

    TDuzuFont back;
    TStringStream stream(std::string(record.begin() + 1, record.end()));
    TStreamHelper helper(&stream);
    TDuzuReader(&helper).ReadProperties(&back);
    EXPECT_EQ(back.Name(), "Arial");
    EXPECT_EQ(back.Size(), 12);
    EXPECT_EQ(back.Color(), clRed);
    EXPECT_TRUE(back.Style() == (TFontStyles{fsBold, fsUnderline}));
}

TEST_F(ProjectStreamTest, LoadReadsTheFileOrMakesANewProject) {
    TempDir dir;
    TDuzuProjectManager project(nullptr);
    project.SetFileName(dir.file("Missing.rav"));
    project.Load();
    EXPECT_EQ(project.FileName(), "Project1.rav");
    ASSERT_EQ(project.ReportList().size(), 1u);
    EXPECT_EQ(project.ReportList()[0]->Name(), "Report1");

    SampleProject sample(project);
    Bytes bytes = save(project);
    std::string path = dir.file("QM.duz");
    {
        TFileStream file(path, fmCreate);
        file.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    }
    ::chmod(path.c_str(), 0444);
    TDuzuProjectManager back(nullptr);
    back.SetFileName(path);
    back.Load();
    EXPECT_TRUE(back.FileLoaded());
    EXPECT_EQ(back.ReportList().size(), 2u);
    back.SetModified(true);
    EXPECT_TRUE(back.Modified());
    EXPECT_EQ(Shown, (std::vector<std::string>{
                         "The report project file you are modifying is marked read only.  You will be prompted for "
                         "another file name when saving."}));
    back.SetModified(true);  // once per change of state
    EXPECT_EQ(Shown.size(), 1u);
}

}  // namespace
