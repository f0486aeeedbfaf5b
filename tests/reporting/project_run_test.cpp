// Running a project report into the engine: the page loop with its go-to
// modes and limits, the engine's handlers and settings around the run.
#include <gtest/gtest.h>

#include "ProjectTestComponents.h"
#include "RecordingReport.h"
#include "reporting/DZProj.h"
#include "reporting/DuzuDataSystem.h"

namespace {

class ProjectRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestComponents();
        saved_ = DuzuShowMessage;
        DuzuShowMessage = [this](const std::string& text) { Shown.push_back(text); };
        report = project.NewReport();
        page1 = static_cast<TDuzuPage*>(report->GetChild(0));
        page2 = report->NewPage();
        text1 = place(page1, "one");
        text2 = place(page2, "two");
    }
    void TearDown() override { DuzuShowMessage = saved_; }

    TTestText* place(TDuzuPage* page, const std::string& caption) {
        auto* t = new TTestText(page);
        t->SetName("Text1");
        t->SetParent(page);
        t->SetText(caption);
        return t;
    }

    // The texts printed, in order.
    std::string run() {
        report->Execute(&engine);
        std::string out;
        for (const Drawn& d : engine.Output) out += d.Text + " ";
        return out;
    }

    TestDevice device;
    TRecordingReport engine{&device};
    TDuzuProjectManager project{nullptr};
    TDuzuReport* report = nullptr;
    TDuzuPage *page1 = nullptr, *page2 = nullptr;
    TTestText *text1 = nullptr, *text2 = nullptr;
    std::vector<std::string> Shown;

private:
    std::function<void(const std::string&)> saved_;
};

TEST_F(ProjectRunTest, PagesComeFromThePageListOrTheFirstPageAndItsGoTos) {
    EXPECT_EQ(run(), "one ");
    engine.Output.clear();
    page1->SetGotoPage(page2);
    EXPECT_EQ(run(), "one two ");
    EXPECT_EQ(engine.CurrentPage(), 2);

    engine.Output.clear();
    page1->SetGotoPage(nullptr);
    TDuzuComponentList order;
    order.Add(page2);
    order.Add(page1);
    report->SetPageList(&order);
    EXPECT_EQ(run(), "two one ");
}

TEST_F(ProjectRunTest, GoToModesChooseTheNextPage) {
    struct Case {
        TGotoMode mode;
        bool done;
        int maxPages;
        const char* printed;
    };
    const Case cases[] = {
        {gmGotoDone, true, 0, "one two "},
        {gmGotoDone, false, 3, "one one one "},
        {gmGotoNotDone, true, 0, "one "},
        {gmGotoNotDone, false, 0, "one two "},
        {gmCallEach, true, 0, "one two "},
        {gmCallEach, false, 5, "one two one two one "},  // page 1 is called back each time
    };
    for (const Case& c : cases) {
        engine.Output.clear();
        page1->SetGotoMode(c.mode);
        page1->SetGotoPage(page2);
        text1->NeverDone = !c.done;
        report->SetMaxPages(c.maxPages);
        EXPECT_EQ(run(), c.printed) << c.mode << " " << c.done;
    }
}

TEST_F(ProjectRunTest, MaxPagesStopsAPageThatIsNeverDone) {
    text1->NeverDone = true;
    report->SetMaxPages(3);
    run();
    EXPECT_EQ(text1->Prints, 3);
    EXPECT_EQ(engine.CurrentPage(), 3);
    EXPECT_TRUE(Shown.empty());
}

TEST_F(ProjectRunTest, APageNeverDoneWithoutALimitStopsWithAMessage) {
    text1->NeverDone = true;
    run();
    EXPECT_EQ(text1->Prints, kRunawayPageLimit);
    ASSERT_EQ(Shown.size(), 1u);
    EXPECT_NE(Shown[0].find("9999"), std::string::npos);
}

TEST_F(ProjectRunTest, TheEngineIsGivenBackAsItWas) {
    engine.SetUnitsFactor(2.54);
    int printHandlerRuns = 0;
    engine.OnPrint = [&](TObject*) { ++printHandlerRuns; };
    report->SetCopies(2);
    run();
    EXPECT_EQ(engine.UnitsFactor(), 2.54);
    EXPECT_EQ(PrintEngine, nullptr);
    EXPECT_FALSE(project.Printing());
    EXPECT_EQ(DuzuDataSystem().ControlCount(), 0);
    engine.Execute();
    EXPECT_EQ(printHandlerRuns, 1);

    // Into an engine that is printing already: the pages go straight in.
    engine.Output.clear();
    engine.Run([&](TRecordingReport& running) { report->Execute(&running); });
    EXPECT_EQ(engine.Output.size(), 1u);
}

TEST_F(ProjectRunTest, GainControlNestsAndRefusesAnUnderflow) {
    TDuzuDataSystem& data = DuzuDataSystem();
    ASSERT_TRUE(data.GainControl());
    ASSERT_TRUE(data.GainControl());
    EXPECT_EQ(data.ControlCount(), 2);
    data.ReleaseControl();
    data.ReleaseControl();
    EXPECT_EQ(data.ControlCount(), 0);
    try {
        data.ReleaseControl();
        FAIL() << "no underflow";
    } catch (const EDuzuException& e) {
        EXPECT_EQ(e.Message(), "Control count underflow on ReleaseControl");
    }
    EXPECT_EQ(data.ControlCount(), 0);
    EXPECT_TRUE(data.GainControl());  // the link is free again
    data.ReleaseControl();
}

}  // namespace
