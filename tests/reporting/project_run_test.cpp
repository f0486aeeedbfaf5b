// Running a project report into the engine: the page loop with its go-to
// modes and limits, the engine's handlers and settings around the run; the
// run on the caller's report runner, on a runner already running, and on a
// runner of the report's own that previews.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>

#include "ProjectTestComponents.h"
#include "RecordingReport.h"
#include "os/Paths.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DuzuDataSystem.h"
#include "reporting/RSDevice.h"
#include "reporting/project/RSDuzu.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSPreview.h"
#include "reporting/RSSetFrm.h"
#include "reporting/RSSystem.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

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

TEST_F(ProjectRunTest, TheResolutionBecomesTheJobsPrintQuality) {
    // The PDF printer keeps the quality for the job though it prints the same.
    TRSDevice pdf({pdfPrinter()}, "PDF");
    TRecordingReport onPdf(&pdf);
    struct Case {
        TDuzuPrinterResolution Resolution;
        int Quality;
    } cases[] = {{prDraft, DMRES_DRAFT}, {prLow, DMRES_LOW}, {prMedium, DMRES_MEDIUM},
                 {prHigh, DMRES_HIGH},   {prDefault, DMRES_HIGH}};  // the default leaves the last
    for (const Case& c : cases) {
        report->SetResolution(c.Resolution);
        report->PrinterSetup(&onPdf);
        report->RestoreEngine();
        EXPECT_EQ(onPdf.PrintQuality(), c.Quality) << c.Resolution;
        EXPECT_EQ(pdf.DevMode()->PrintQuality, c.Quality) << c.Resolution;
    }
    EXPECT_NE(pdf.DevMode()->Fields & DM_PRINTQUALITY, 0u);
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

// ---- running on a report runner: the caller's, or one of the report's own

namespace {

std::string pdfText(const std::string& File) {
    std::string text;
    if (FILE* pipe = ::popen(("pdftotext -layout '" + File + "' -").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        ::pclose(pipe);
    }
    return text;
}

std::size_t streamFileCount() { return os::ListFiles(os::TempFolder(), "RS*").size(); }

class ProjectOnRunnerTest : public ProjectRunTest {
protected:
    void SetUp() override {
        ProjectRunTest::SetUp();
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
        streamsBefore_ = streamFileCount();
    }
    void TearDown() override {
        EXPECT_EQ(streamFileCount(), streamsBefore_) << "a stream file was left behind";
        EXPECT_EQ(DuzuDataSystem().ControlCount(), 0);
        EXPECT_FALSE(project.Printing());
        EXPECT_EQ(PrintEngine, nullptr);
        ProjectRunTest::TearDown();
    }
    // A runner that prints to a file without asking.
    void toFile(TReportSystem& Runner, const std::string& File) {
        Runner.SetSystemSetups({});
        Runner.SetDefaultDest(rdFile);
        Runner.SetOutputFileName(File);
    }
    TempDir dir_;

private:
    std::size_t streamsBefore_ = 0;
};

}  // namespace

TEST_F(ProjectOnRunnerTest, TheCallersRunnerPrintsThePagesInInchesAndGetsItsHandlersAndUnitsBack) {
    TReportSystem runner(nullptr);
    toFile(runner, dir_.file("runner.pdf"));
    runner.SystemPrinter()->SetUnits(unMM);
    int ownHandlerRuns = 0;
    runner.OnPrint = [&](TObject*) { ++ownHandlerRuns; };
    text1->SetLeft(1.0);
    page1->SetGotoPage(page2);
    report->Execute(&runner);
    EXPECT_FALSE(runner.Aborted());
    EXPECT_EQ(ownHandlerRuns, 0);
    EXPECT_EQ(PdfPageCount(dir_.file("runner.pdf")), 2);
    const std::string text = pdfText(dir_.file("runner.pdf"));
    EXPECT_NE(text.find("one"), std::string::npos) << text;
    EXPECT_NE(text.find("two"), std::string::npos) << text;
    EXPECT_EQ(runner.SystemPrinter()->Units(), unMM);
    EXPECT_DOUBLE_EQ(runner.SystemPrinter()->UnitsFactor(), 25.4);
    EXPECT_EQ(runner.BaseReport(), nullptr);

    // The runner's own handler is back.
    toFile(runner, dir_.file("own.pdf"));
    runner.Execute();
    EXPECT_EQ(ownHandlerRuns, 1);
}

TEST_F(ProjectOnRunnerTest, ARunnerRunningAReportAlreadyTakesThePagesIntoThatReport) {
    TReportSystem runner(nullptr);
    toFile(runner, dir_.file("nested.pdf"));
    runner.OnPrint = [&](TObject* Sender) {
        auto* running = dynamic_cast<TBaseReport*>(Sender);
        ASSERT_NE(running, nullptr);
        running->PrintXY(1, 1, "heading");
        report->Execute(&runner);
        EXPECT_EQ(PrintEngine, nullptr);
    };
    runner.Execute();
    EXPECT_EQ(PdfPageCount(dir_.file("nested.pdf")), 1);
    const std::string text = pdfText(dir_.file("nested.pdf"));
    EXPECT_NE(text.find("heading"), std::string::npos) << text;
    EXPECT_NE(text.find("one"), std::string::npos) << text;
}

TEST_F(ProjectOnRunnerTest, WithoutAnEngineTheReportPreviewsOnARunnerOfItsOwn) {
    page1->SetGotoPage(page2);
    report->SetAlwaysGenerate(true);
    std::string pageLabel;
    int shadow = -1;
    double margin = -1;
    std::size_t streamsDuringRun = 0;
    TDialogScript script;
    script.Answer([](TForm& f) {
        auto& setup = dynamic_cast<TRSSetupForm&>(f);
        EXPECT_TRUE(setup.PreviewRB->Checked());
        setup.OKBB->Click();
    });
    script.Answer([&](TForm& f) {
        auto& preview = dynamic_cast<TRSPreviewForm&>(f);
        pageLabel = preview.PageLabel->Caption();
        shadow = preview.FilePreview1->ShadowDepth();
        margin = preview.FilePreview1->MarginPercent();
        streamsDuringRun = streamFileCount();
        TempDir pictures;
        renderToPng(&preview, pictures.file("preview.png"));
        KeepPicture(QImage(QString::fromStdString(pictures.file("preview.png"))), "project-own-runner-preview");
        preview.SBDone->Click();
    });
    report->Execute(nullptr);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Caption, "Report Setup");
    EXPECT_EQ(script.Shown()[1].Caption, "Report Preview");
    EXPECT_EQ(pageLabel, "Page 1 of 2");
    EXPECT_EQ(shadow, 5);
    EXPECT_DOUBLE_EQ(margin, 2.5);
    // The stream went to a temporary file, erased when the preview closed.
    EXPECT_GT(streamsDuringRun, 0u);
    EXPECT_EQ(text1->Prints, 1);
    EXPECT_EQ(text2->Prints, 1);
}

TEST_F(ProjectOnRunnerTest, AComponentThatIsNoRunnerOrEngineIsRefusedBeforeAnythingRuns) {
    TDuzuProject notAnEngine(nullptr);
    EXPECT_THROW(report->Execute(&notAnEngine), std::exception);
    EXPECT_EQ(text1->Prints, 0);
}
