// The report runner with its setup, status and preview windows, answered
// from a script: the road from setup to preview or printer, the stream's
// temporary file, copies the PDF printer cannot make, Cancel, the default
// destination, the file destination, page ranges typed when printing from
// the preview, and the owner form kept from closing during a run.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>

#include "os/Paths.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSFiler.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSPreview.h"
#include "reporting/RSSetFrm.h"
#include "reporting/RSStaFrm.h"
#include "reporting/RSSystem.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

std::vector<std::string> streamFiles() { return os::ListFiles(os::TempFolder(), "RS*"); }

void twoPages(TObject* Sender) {
    auto* r = dynamic_cast<TBaseReport*>(Sender);
    ASSERT_NE(r, nullptr);
    r->SetFont("Arial", 14);
    r->PrintXY(1, 1, "Page one");
    r->NewPage();
    r->PrintXY(1, 1, "Page two");
}

TRSSetupForm& setupOf(TForm& f) { return dynamic_cast<TRSSetupForm&>(f); }
TRSPreviewForm& previewOf(TForm& f) { return dynamic_cast<TRSPreviewForm&>(f); }

TRSStatusForm* statusWindow() {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (auto* status = dynamic_cast<TRSStatusForm*>(Screen->Forms(i))) return status;
    return nullptr;
}

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
        streamsBefore_ = streamFiles().size();
    }
    void TearDown() override { EXPECT_EQ(streamFiles().size(), streamsBefore_) << "a stream file was left behind"; }
    TempDir dir_;

private:
    std::size_t streamsBefore_ = 0;
};

}  // namespace

TEST_F(RunnerTest, TheDefaultRunPreviewsFromMemoryAndTheHandlerDrawsOnTheRunningReport) {
    TReportSystem runner(nullptr);
    std::vector<TObject*> senders;
    TBaseReport* running = nullptr;
    runner.OnPrint = [&](TObject* Sender) {
        senders.push_back(Sender);
        running = runner.BaseReport();
        twoPages(Sender);
    };
    std::string firstLabel, nextLabel, statusText;
    TDialogScript script;
    script.Answer([](TForm& f) {
        TRSSetupForm& setup = setupOf(f);
        EXPECT_TRUE(setup.PreviewRB->Checked());
        EXPECT_FALSE(setup.CollateCK->Checked());
        EXPECT_FALSE(setup.DuplexCK->Checked());
        EXPECT_EQ(setup.CopiesED->Text(), "1");
        EXPECT_EQ(setup.PrinterLabel->Caption(), "PDF on FILE:");
        setup.OKBB->Click();
    });
    script.Answer([&](TForm& f) {
        TRSPreviewForm& preview = previewOf(f);
        firstLabel = preview.PageLabel->Caption();
        preview.SBNextPage->Click();
        nextLabel = preview.PageLabel->Caption();
        preview.SBDone->Click();
    });
    runner.Execute();
    EXPECT_FALSE(runner.Aborted());
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], running);
    EXPECT_NE(senders[0], &runner);
    EXPECT_EQ(runner.BaseReport(), nullptr);
    EXPECT_EQ(firstLabel, "Page 1 of 2");
    EXPECT_EQ(nextLabel, "Page 2 of 2");
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Caption, "Report Setup");
    EXPECT_EQ(script.Shown()[1].Caption, "Report Preview");
    EXPECT_EQ(statusWindow(), nullptr);
    EXPECT_EQ(runner.SystemFiler()->Stream(), nullptr);
}

TEST_F(RunnerTest, ATemporaryStreamFileIsErasedHoweverTheRunEnds) {
    enum Ending { Previewed, Printed, CancelledInStatus, Failed };
    for (Ending ending : {Previewed, Printed, CancelledInStatus, Failed}) {
        const std::size_t streamsBefore = streamFiles().size();
        TReportSystem runner(nullptr);
        runner.SystemFiler()->SetStreamMode(smTempFile);
        runner.SetSystemSetups({});
        runner.SetDefaultDest(ending == Printed ? rdFile : rdPreview);
        runner.SetOutputFileName(ending == Printed ? dir_.file("printed.pdf") : "");
        if (ending == Printed) runner.SetSystemOptions({soUseFiler, soShowStatus});
        bool fileDuringPreview = false;
        runner.OnPrint = [&](TObject* Sender) {
            auto* r = dynamic_cast<TBaseReport*>(Sender);
            r->PrintXY(1, 1, "Page one");
            if (ending == Failed) throw Exception("The handler failed");
            if (ending == CancelledInStatus) {
                ASSERT_NE(statusWindow(), nullptr);
                statusWindow()->CancelButton->Click();
            }
            r->NewPage();
            r->PrintXY(1, 1, "Page two");
        };
        TDialogScript script;
        if (ending == Previewed)
            script.Answer([&](TForm& f) {
                fileDuringPreview = os::FileExists(runner.SystemFiler()->FileName());
                previewOf(f).SBDone->Click();
            });
        if (ending == Failed) {
            EXPECT_THROW(runner.Execute(), Exception);
        } else {
            runner.Execute();
        }
        EXPECT_EQ(runner.BaseReport(), nullptr) << ending;
        EXPECT_EQ(statusWindow(), nullptr) << ending;
        EXPECT_EQ(runner.Aborted(), ending == CancelledInStatus || ending == Failed) << ending;
        EXPECT_EQ(script.Unanswered(), 0u) << ending;
        if (ending == Previewed) {
            EXPECT_TRUE(fileDuringPreview);
        }
        if (ending == Printed) {
            EXPECT_EQ(PdfPageCount(dir_.file("printed.pdf")), 2);
        }
        EXPECT_EQ(streamFiles().size(), streamsBefore) << ending;
    }
}

TEST_F(RunnerTest, ThreeCopiesOnThePdfPrinterPlayTheStreamThreeTimes) {
    TReportSystem runner(nullptr);
    runner.SetSystemSetups({});
    runner.SetDefaultDest(rdFile);
    runner.SetOutputFileName(dir_.file("copies.pdf"));
    runner.SystemPrinter()->SetCopies(3);
    int runs = 0;
    runner.OnPrint = [&](TObject* Sender) {
        ++runs;
        twoPages(Sender);
    };
    runner.Execute();
    EXPECT_TRUE(runner.RepeatCopies());
    EXPECT_FALSE(runner.Aborted());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(PdfPageCount(dir_.file("copies.pdf")), 6);
}

TEST_F(RunnerTest, CancelInTheSetupWindowRunsNothing) {
    TReportSystem runner(nullptr);
    int calls = 0;
    runner.OnPrint = [&](TObject*) { ++calls; };
    runner.OnBeforePrint = [&](TObject*) { ++calls; };
    TDialogScript script;
    script.Answer(mrCancel);
    runner.Execute();
    EXPECT_TRUE(runner.Aborted());
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(script.Shown().size(), 1u);
}

TEST_F(RunnerTest, WithoutTheSetupWindowTheDefaultDestinationDecides) {
    for (TReportDest dest : {rdFile, rdPreview, rdPrinter}) {
        TReportSystem runner(nullptr);
        runner.SetSystemSetups({ssAllowCopies});
        runner.SetDefaultDest(dest);
        const std::string out = dir_.file("default-" + std::to_string(dest) + ".pdf");
        if (dest != rdPreview) runner.SetOutputFileName(out);
        runner.OnPrint = twoPages;
        TDialogScript script;
        if (dest == rdPreview) script.Answer([](TForm& f) { previewOf(f).SBDone->Click(); });
        runner.Execute();
        EXPECT_EQ(runner.ReportDest(), dest);
        EXPECT_EQ(script.Unanswered(), 0u);
        EXPECT_EQ(script.Shown().size(), dest == rdPreview ? 1u : 0u);
        if (dest != rdPreview) {
            EXPECT_EQ(PdfPageCount(out), 2) << dest;
        }
    }
}

TEST_F(RunnerTest, TheSetupWindowChoosesAFileDestination) {
    {
        TReportSystem runner(nullptr);
        runner.OnPrint = twoPages;
        const std::string out = dir_.file("chosen.pdf");
        TDialogScript script;
        script.Answer([&](TForm& f) {
            TRSSetupForm& setup = setupOf(f);
            EXPECT_FALSE(setup.FileNameED->Enabled());
            EXPECT_FALSE(setup.RangeGB->Visible());
            setup.FileRB->SetChecked(true);
            EXPECT_TRUE(setup.FileNameED->Enabled());
            EXPECT_TRUE(setup.FileNameSB->Enabled());
            // A folder that does not exist is refused; the window stays open.
            setup.FileNameED->SetText(dir_.file("missing/chosen.pdf"));
            setup.OKBB->Click();
            EXPECT_EQ(setup.ModalResult(), mrNone);
            setup.FileNameED->SetText(out);
            setup.OKBB->Click();
            EXPECT_EQ(setup.ModalResult(), mrOk);
            TempDir pictures;
            renderToPng(&setup, pictures.file("setup.png"));
            KeepPicture(QImage(QString::fromStdString(pictures.file("setup.png"))), "runner-setup");
        });
        script.Answer(mrOk);  // the refused file's message
        runner.Execute();
        EXPECT_EQ(runner.ReportDest(), rdFile);
        EXPECT_EQ(runner.OutputFileName(), out);
        EXPECT_EQ(PdfPageCount(out), 2);
        ASSERT_EQ(script.Shown().size(), 2u);
        EXPECT_EQ(script.Shown()[1].Text, "The report cannot be written to the file \"" + dir_.file("missing/chosen.pdf") + "\".");
    }

    // The default destination rdFile selects the file button, which enables the name.
    TReportSystem second(nullptr);
    second.SetDefaultDest(rdFile);
    TDialogScript again;
    again.Answer([](TForm& f) {
        TRSSetupForm& setup = setupOf(f);
        EXPECT_TRUE(setup.FileRB->Checked());
        EXPECT_TRUE(setup.FileNameED->Enabled());
        setup.CancelBB->Click();
    });
    second.Execute();
    EXPECT_TRUE(second.Aborted());
}

TEST_F(RunnerTest, PrintingFromThePreviewTakesAPageRangeAndRepeatsCopies) {
    TReportSystem runner(nullptr);
    runner.OnPrint = twoPages;
    const std::string out = dir_.file("from-preview.pdf");
    bool keptOpen = false;
    std::string shownRange;
    TDialogScript script;
    script.Answer([](TForm& f) { setupOf(f).OKBB->Click(); });
    script.Answer([&](TForm& f) {
        TRSPreviewForm& preview = previewOf(f);
        preview.FilePrinter1->SetOutputFileName(out);
        preview.SBPrint->Click();
        preview.SBDone->Click();
    });
    script.Answer([&](TForm& f) {
        TRSSetupForm& setup = setupOf(f);
        EXPECT_TRUE(setup.RangeGB->Visible());
        EXPECT_FALSE(setup.DestGB->Visible());
        shownRange = setup.FromED->Text() + ".." + setup.ToED->Text() + " " + setup.SelectionED->Text();
        setup.PagesRB->SetChecked(true);
        setup.FromED->SetText("two");
        setup.OKBB->Click();
        keptOpen = setup.ModalResult() == mrNone;
        setup.FromED->SetText("2");
        setup.ToED->SetText("2");
        setup.CopiesED->SetText("2");
        setup.OKBB->Click();
    });
    script.Answer(mrOk);  // the refused range's message
    runner.Execute();
    EXPECT_TRUE(keptOpen);
    EXPECT_EQ(shownRange, "1..2 1-2");
    EXPECT_EQ(script.Unanswered(), 0u);
    EXPECT_EQ(script.Shown()[3].Text, "The page range must be whole numbers.");
    // Page 2 twice: the PDF printer makes no copies itself.
    ASSERT_EQ(PdfPageCount(out), 2);
    EXPECT_FALSE(InkBounds(RenderPdfPage(out, 2, 72)).IsEmpty());
}

TEST_F(RunnerTest, TheOwnerFormTakesNoInputWhileItsReportRuns) {
    TForm* owner = CreateForm<TForm>(nullptr);
    owner->SetCaption("Sales by Date");
    owner->Show();
    auto* runner = new TReportSystem(owner);
    runner->SetSystemSetups({});
    runner->SetDefaultDest(rdFile);
    runner->SetOutputFileName(dir_.file("owner.pdf"));
    bool enabledDuringRun = true, visibleAfterClose = false;
    runner->OnPrint = [&](TObject* Sender) {
        enabledDuringRun = owner->Enabled();
        QCloseEvent close;
        QCoreApplication::sendEvent(owner->Handle(), &close);
        visibleAfterClose = owner->Visible();
        twoPages(Sender);
    };
    runner->Execute();
    EXPECT_FALSE(enabledDuringRun);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_TRUE(owner->Enabled());
    delete owner;
}

TEST(RunnerOptions, DefaultsAndClamps) {
    TReportSystem runner(nullptr);
    EXPECT_EQ(runner.TitleSetup(), "Report Setup");
    EXPECT_EQ(runner.TitleStatus(), "Report Status");
    EXPECT_EQ(runner.TitlePreview(), "Report Preview");
    EXPECT_EQ(runner.DefaultDest(), rdPreview);
    EXPECT_EQ(runner.SystemOptions(), (TSystemOptions{soShowStatus, soAllowPrintFromPreview, soPreviewModal}));
    EXPECT_TRUE(runner.SystemSetups().Contains(ssAllowPreviewSetup));
    EXPECT_EQ(runner.SystemPrinter()->Title(), "DazedeVedodev Report");
    EXPECT_EQ(runner.SystemPrinter()->StatusFormat(), "Printing page %p");
    EXPECT_EQ(runner.SystemFiler()->StatusFormat(), "Generating page %p");
    EXPECT_EQ(runner.SystemFiler()->StreamMode(), smMemory);
    EXPECT_EQ(runner.SystemPreview()->FormWidth(), 615);
    EXPECT_EQ(runner.SystemPreview()->FormHeight(), 450);

    TSystemPreview* preview = runner.SystemPreview();
    for (auto [given, kept] : {std::pair{5.0, 10.0}, {500.0, 200.0}, {75.0, 75.0}}) {
        preview->SetZoomFactor(given);
        EXPECT_DOUBLE_EQ(preview->ZoomFactor(), kept) << given;
    }
    TSystemPrinter* printer = runner.SystemPrinter();
    printer->SetUnitsFactor(25.4);
    EXPECT_EQ(printer->Units(), unMM);
    printer->SetUnitsFactor(0);
    EXPECT_DOUBLE_EQ(printer->UnitsFactor(), 25.4);
    printer->SetUnits(unPoint);
    EXPECT_DOUBLE_EQ(printer->UnitsFactor(), 72);
    for (auto [given, kept] : {std::pair{150, 100}, {-3, 0}, {40, 40}}) {
        printer->SetTabShade(given);
        EXPECT_EQ(printer->TabShade(), kept) << given;
    }
}

TEST_F(RunnerTest, AFileThatCannotBeWrittenFailsClearlyAndLeavesNoStreamFile) {
    for (bool throughStream : {false, true}) {
        const std::size_t streamsBefore = streamFiles().size();
        TReportSystem runner(nullptr);
        runner.SetSystemSetups({});
        runner.SetDefaultDest(rdFile);
        runner.SetOutputFileName(dir_.file("missing/out.pdf"));
        if (throughStream) {
            runner.SystemFiler()->SetStreamMode(smTempFile);
            runner.SetSystemOptions({soUseFiler, soShowStatus});
        }
        runner.OnPrint = twoPages;
        try {
            runner.Execute();
            ADD_FAILURE() << "the run went on without its file";
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find("missing/out.pdf"), std::string::npos) << e.what();
        }
        EXPECT_EQ(runner.BaseReport(), nullptr);
        EXPECT_EQ(statusWindow(), nullptr);
        EXPECT_EQ(streamFiles().size(), streamsBefore) << throughStream;
        EXPECT_FALSE(GlobalReportDevice()->Printing());
    }
}

namespace {

// Answers the status window's OK as soon as the runner waits for it.
class AcknowledgingRunner : public TReportSystem {
public:
    using TReportSystem::TReportSystem;
    std::string Caption, Button, Label;

protected:
    void statusWindow(TReportSystem* System, TOverrideMode Mode, TForm*& Form) override {
        if (Mode == OverrideWait && Form) {
            auto* status = static_cast<TRSStatusForm*>(Form);
            queueOnMainThread([this, status] {
                Caption = status->Caption();
                Button = status->CancelButton->Caption();
                Label = status->StatusLabel->Caption();
                TempDir pictures;
                renderToPng(status, pictures.file("status.png"));
                KeepPicture(QImage(QString::fromStdString(pictures.file("status.png"))), "runner-status");
                status->CancelButton->Click();
            });
        }
        TReportSystem::statusWindow(System, Mode, Form);
    }
};

}  // namespace

TEST_F(RunnerTest, WithWaitForOKTheStatusWindowWaitsForItsOKButton) {
    AcknowledgingRunner runner(nullptr);
    runner.SetSystemSetups({});
    runner.SetDefaultDest(rdFile);
    runner.SetOutputFileName(dir_.file("waited.pdf"));
    runner.SetSystemOptions({soShowStatus, soWaitForOK});
    runner.OnPrint = twoPages;
    runner.Execute();
    EXPECT_FALSE(runner.Aborted());
    EXPECT_EQ(runner.Caption, "Report Status");
    EXPECT_EQ(runner.Button, "OK");
    EXPECT_EQ(runner.Label, "Printing page 2");
    EXPECT_EQ(statusWindow(), nullptr);
    EXPECT_EQ(PdfPageCount(dir_.file("waited.pdf")), 2);
}

TEST_F(RunnerTest, AModelessPreviewIsWaitedForUntilItCloses) {
    TReportSystem runner(nullptr);
    runner.SetSystemSetups({});
    runner.SetSystemOptions({soShowStatus});
    runner.OnPrint = twoPages;
    TObject* setupSender = nullptr;
    TObject* showSender = nullptr;
    bool modal = true, senderIsPreview = false;
    runner.OnPreviewSetup = [&](TObject* Sender) {
        setupSender = Sender;
        senderIsPreview = dynamic_cast<TFilePreview*>(Sender) != nullptr;
    };
    runner.OnPreviewShow = [&](TObject* Sender) {
        showSender = Sender;
        auto* window = dynamic_cast<TRSPreviewForm*>(dynamic_cast<TComponent*>(Sender)->Owner());
        ASSERT_NE(window, nullptr);
        modal = window->Modal();
        queueOnMainThread([window] { window->SBDone->Click(); });
    };
    runner.Execute();
    EXPECT_FALSE(runner.Aborted());
    EXPECT_FALSE(modal);
    EXPECT_TRUE(senderIsPreview);
    EXPECT_EQ(showSender, setupSender);
}

TEST_F(RunnerTest, TheSetupWindowFromThePreviewRefusesASelectionThatIsNotPageNumbers) {
    TReportSystem runner(nullptr);
    TReportFiler filer(nullptr);
    filer.OnPrint = twoPages;
    filer.Execute();
    TFilePrinter player(nullptr);
    player.SetStreamMode(smUser);
    player.SetStream(filer.MemoryStream());
    struct Case {
        std::string typed;
        bool taken;
    } cases[] = {{"1-2,5", true}, {"R", true}, {"2-x", false}, {"first", false}};
    for (const Case& c : cases) {
        std::unique_ptr<TRSSetupForm> setup(CreateForm<TRSSetupForm>(nullptr));
        setup->ReportSystem = &runner;
        setup->FilePrinter = &player;
        setup->PreviewSetup = true;
        player.SetPageSelection("unchanged");
        TDialogScript script;
        script.Answer([&](TForm& f) {
            TRSSetupForm& s = setupOf(f);
            s.SelectionRB->SetChecked(true);
            EXPECT_TRUE(s.SelectionED->Enabled());
            EXPECT_FALSE(s.FromED->Visible());
            s.SelectionED->SetText(c.typed);
            if (c.typed == "R") {
                TempDir pictures;
                renderToPng(&s, pictures.file("range.png"));
                KeepPicture(QImage(QString::fromStdString(pictures.file("range.png"))), "runner-setup-range");
            }
            s.OKBB->Click();
            if (s.ModalResult() == mrNone) s.CancelBB->Click();
        });
        if (!c.taken) script.Answer(mrOk);
        const int result = setup->ShowModal();
        EXPECT_EQ(result, c.taken ? mrOk : mrCancel) << c.typed;
        EXPECT_EQ(player.PageSelection(), c.taken ? c.typed : "unchanged") << c.typed;
        EXPECT_EQ(script.Unanswered(), 0u) << c.typed;
    }
}

TEST_F(RunnerTest, WithoutPrintersTheSetupWindowOffersOnlyThePreview) {
    for (bool previewAllowed : {true, false}) {
        TReportSystem runner(nullptr);
        if (!previewAllowed) runner.SetSystemSetups({ssAllowSetup, ssAllowDestFile, ssAllowCopies});
        std::unique_ptr<TRSSetupForm> setup(CreateForm<TRSSetupForm>(nullptr));
        setup->ReportSystem = &runner;
        setup->PrinterDevice = noPrinterDevice();
        const std::string out = dir_.file("typed.pdf");
        TDialogScript script;
        script.Answer([&](TForm& f) {
            TRSSetupForm& s = setupOf(f);
            EXPECT_EQ(s.PrinterLabel->Caption(), "No printers installed!");
            EXPECT_FALSE(s.PrinterRB->Enabled());
            EXPECT_FALSE(s.FileRB->Enabled());
            EXPECT_EQ(s.PreviewRB->Enabled(), previewAllowed);
            EXPECT_EQ(s.PreviewRB->Checked(), previewAllowed);
            EXPECT_FALSE(s.FileRB->Checked());
            EXPECT_FALSE(s.PrinterRB->Checked());
            for (TControl* c : {static_cast<TControl*>(s.CollateCK), static_cast<TControl*>(s.CopiesED),
                                static_cast<TControl*>(s.CopiesLabel), static_cast<TControl*>(s.DuplexCK),
                                static_cast<TControl*>(s.SetupBB)})
                EXPECT_FALSE(c->Enabled()) << c->Name();
            s.FileNameED->SetText(out);
            TempDir pictures;
            renderToPng(&s, pictures.file("none.png"));
            KeepPicture(QImage(QString::fromStdString(pictures.file("none.png"))), "runner-setup-no-printers");
            s.OKBB->Click();
        });
        EXPECT_EQ(setup->ShowModal(), mrOk);
        EXPECT_EQ(runner.ReportDest(), previewAllowed ? rdPreview : rdFile);
        EXPECT_EQ(runner.OutputFileName(), previewAllowed ? "" : out);
    }
}

TEST_F(RunnerTest, DuplexTickedKeepsTheTwoSidedKindAndClearedMeansOneSide) {
    struct Case {
        int before;
        bool ticked;
        int after;
    } cases[] = {{0, true, 1}, {2, true, 2}, {1, true, 1}, {2, false, 0}, {0, false, 0}};
    for (const Case& c : cases) {
        TReportSystem runner(nullptr);
        runner.SystemPrinter()->SetDuplex(c.before);
        TDialogScript script;
        script.Answer([&](TForm& f) {
            TRSSetupForm& s = setupOf(f);
            EXPECT_FALSE(s.DuplexCK->Checked());
            s.DuplexCK->SetChecked(c.ticked);
            s.CopiesED->SetText("two");
            s.CancelBB->Click();
        });
        std::unique_ptr<TRSSetupForm> setup(CreateForm<TRSSetupForm>(nullptr));
        setup->ReportSystem = &runner;
        script.Answer([&](TForm& f) {
            TRSSetupForm& s = setupOf(f);
            s.DuplexCK->SetChecked(c.ticked);
            s.CopiesED->SetText("two");
            s.OKBB->Click();
        });
        std::unique_ptr<TRSSetupForm> cancelled(CreateForm<TRSSetupForm>(nullptr));
        cancelled->ReportSystem = &runner;
        cancelled->ShowModal();
        EXPECT_EQ(runner.SystemPrinter()->Duplex(), c.before) << "Cancel changes nothing";
        setup->ShowModal();
        EXPECT_EQ(runner.SystemPrinter()->Duplex(), c.after) << c.before << " " << c.ticked;
        EXPECT_EQ(runner.SystemPrinter()->Copies(), 1) << "copies that are no number are ignored";
    }
}

TEST_F(RunnerTest, WithNoGenerateAStoredStreamIsPrintedOrPreviewedWithoutTheHandler) {
    const std::string stream = dir_.file("stored.rs");
    {
        TReportFiler filer(nullptr);
        filer.SetStreamMode(smFile);
        filer.SetFileName(stream);
        filer.OnPrint = twoPages;
        filer.Execute();
    }
    for (TReportDest dest : {rdFile, rdPreview}) {
        TReportSystem runner(nullptr);
        runner.SetSystemSetups({});
        runner.SetSystemOptions({soNoGenerate, soUseFiler, soShowStatus, soPreviewModal});
        runner.SetDefaultDest(dest);
        runner.SystemFiler()->SetStreamMode(smFile);
        runner.SystemFiler()->SetFileName(stream);
        const std::string out = dir_.file("stored.pdf");
        runner.SetOutputFileName(out);
        int calls = 0;
        runner.OnPrint = [&](TObject*) { ++calls; };
        std::string label;
        TDialogScript script;
        if (dest == rdPreview)
            script.Answer([&](TForm& f) {
                label = previewOf(f).PageLabel->Caption();
                previewOf(f).SBDone->Click();
            });
        runner.Execute();
        EXPECT_EQ(calls, 0) << dest;
        EXPECT_FALSE(runner.Aborted()) << dest;
        if (dest == rdFile) {
            EXPECT_EQ(PdfPageCount(out), 2);
        } else {
            EXPECT_EQ(label, "Page 1 of 2");
        }
        EXPECT_TRUE(os::FileExists(stream)) << "a stream the run did not make is kept";
    }
}
