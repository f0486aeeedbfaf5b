// Recall labels, postcards and listing over the recalls of a range, and the
// postcard settings kept in Company.ini: which recalls print (the Thru date
// included, cleared recalls and the sentinel never), the missing patient's
// blank label, the postcard's message by reason, four cards to a landscape
// sheet with the address 2.7 in from each card's left, the listing's rows
// and heading from the committed dates, and the shared tables put back.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "MailingRun.h"
#include "app/MultiLineSetting.h"
#include "support/CompanyFixture.h"
#include "app/Settings.h"
#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "controls/KingDlg.h"
#include "controls/KingPop.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "reporting/RSDevice.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSSetFrm.h"
#include "reporting/RSSystem.h"
#include "reports/PostcardSettings.h"
#include "reports/PrintRecallLabels.h"
#include "reports/TransactionByDate.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

namespace {

using Lines = std::vector<std::string>;

const std::vector<ReportStop> ListingColumns = {{0.4, 0.5, true}, {1.0, 1.4}, {2.5, 0.9},
                                                {3.5, 1.9},       {5.5, 1.3}, {6.9, 1.3}};

constexpr const char* SpectaclesText = "Time for new glasses?";
constexpr const char* ContactText = "Your lenses are due.";
constexpr const char* OtherText = "Please call us for your exam.";

class RecallOutputTest : public MailingTest {
protected:
    void TearDown() override {
        if (dialog) dialog->Close();
        MailingTest::TearDown();
    }
    TPrintRecallLabelsDlg* open(int Output, const std::string& From = MailingFixture::RangeFrom,
                                const std::string& Thru = MailingFixture::RangeThru) {
        dialog = CreateForm<TPrintRecallLabelsDlg>(nullptr);
        dialog->PrintRadioGroup->SetItemIndex(Output);
        dialog->FromKingDateDialog->SetText(From);
        dialog->ThruKingDateDialog->SetText(Thru);
        return dialog;
    }
    Rows listing(const ReportPages& Pages) { return Cells(Pages, ListingColumns, 1.7, 11); }
    // Postcards through the settings dialog (Settings acts on it), the setup
    // window and the preview.
    ReportPages postcards(const std::function<void(TPostcardSettingsForm&)>& Settings) {
        std::vector<std::string> captured;
        TDialogScript script;
        script.Answer([&](TForm& f) {
            auto& settings = dynamic_cast<TPostcardSettingsForm&>(f);
            settings.SpectaclesNote->SetText(SpectaclesText);
            settings.ContactLensNote->SetText(ContactText);
            settings.OtherNote->SetText(OtherText);
            Settings(settings);
            settings.OKBtn->Click();
        });
        script.Answer([](TForm& f) {
            auto& setup = dynamic_cast<TRSSetupForm&>(f);
            setup.PreviewRB->SetChecked(true);
            setup.OKBB->Click();
        });
        script.Answer([&](TForm& f) {
            auto& preview = dynamic_cast<TRSPreviewForm&>(f);
            captured.push_back(PreviewStreamBytes(preview));
            preview.SBDone->Click();
        });
        dialog->PrintBtn->Click();
        EXPECT_EQ(script.Unanswered(), 0u);
        return captured.size() == 1 ? DecodeReportStream(captured.front()) : ReportPages{};
    }
    TPrintRecallLabelsDlg* dialog = nullptr;
};

// ---------------------------------------------------------------- labels

TEST_F(RecallOutputTest, LabelsOfTheRangeWithTheMissingPatientBlank) {
    open(TPrintRecallLabelsDlg::LabelsIndex);
    const ReportPages pages = CaptureReport([this] { dialog->PrintBtn->Click(); });
    ASSERT_EQ(pages.PageCount, 1);
    const std::map<LabelPlace, Lines> expected = {
        {{1, 1, 1}, {"Carter", "12 Elm St", "Springfield, IL  62701"}},
        {{1, 1, 2}, {"Evans", "9 Oak Ave", "Dover  19901"}},
        // 1, 1, 3: the recall whose patient is missing
        {{1, 2, 1}, {"Dixon", "Salem, OR  97301"}}};
    EXPECT_EQ(LabelTexts(pages), expected);
}

TEST_F(RecallOutputTest, SharedTablesArePutBack) {
    // The recall table closed before the run stays closed.
    module->RecallTable->Close();
    TTable& patients = *module->PatientTable;
    patients.SetIndexName("RecName");
    module->Xbase1->SetScope("D", "E");
    patients.Last();
    const std::string shown = patients.FieldByName("NAME")->AsString();
    open(TPrintRecallLabelsDlg::LabelsIndex);
    CaptureReport([this] { dialog->PrintBtn->Click(); });
    EXPECT_FALSE(module->RecallTable->Active());
    EXPECT_EQ(patients.IndexName(), "RecName");
    EXPECT_EQ(patients.FieldByName("NAME")->AsString(), shown);
    std::string low, high;
    module->Xbase1->GetScope(XB_SCOPE_LOW, low);
    module->Xbase1->GetScope(XB_SCOPE_HIGH, high);
    EXPECT_EQ(low + "-" + high, "D-E");

    // An open recall table keeps its order and scope.
    TTable& recalls = *module->RecallTable;
    recalls.Open();
    recalls.CheckBrowseMode();
    recalls.SetIndexName("PatientID");
    module->RecallXbase->SetScope("        11", "        11");
    recalls.First();
    dialog->PrintRadioGroup->SetItemIndex(TPrintRecallLabelsDlg::ListingIndex);
    CaptureReport([this] { dialog->PrintBtn->Click(); });
    EXPECT_TRUE(recalls.Active());
    EXPECT_EQ(recalls.IndexName(), "PatientID");
    EXPECT_EQ(recalls.FieldByName("NAME")->AsString(), "DIXON");
    module->RecallXbase->GetScope(XB_SCOPE_LOW, low);
    EXPECT_EQ(low, "        11");
    EXPECT_EQ(module->RecallXbase->Filter(), "");
}

// ---------------------------------------------------------------- listing

TEST_F(RecallOutputTest, ListingRowsWithPhonesUnderTheRangeHeading) {
    open(TPrintRecallLabelsDlg::ListingIndex);
    const ReportPages pages = CaptureReport([this] { dialog->PrintBtn->Click(); });
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_NE(pages.Find("Patient Recall"), nullptr);
    EXPECT_NE(pages.Find("Page 1"), nullptr);
    EXPECT_NE(pages.Find("April 1, 2024 thru April 30, 2024"), nullptr);
    const Rows expected = {{"10", "CARTER", "04/01/2024", "Spectacles Exam", "555-0101", "555-0102"},
                           {"12", "EVANS", "04/10/2024", "Eye Exam", "", ""},
                           {"99", "GHOST", "04/20/2024", "Eye Exam", "", ""},
                           {"11", "DIXON", "04/30/2024", "Contact Lens Exam", "555-0111", ""}};
    EXPECT_EQ(listing(pages), expected);
}

TEST_F(RecallOutputTest, ThroughTheSentinelsYearOnlyRecallsWithAPatientPrint) {
    open(TPrintRecallLabelsDlg::ListingIndex, "01/01/2024", "12/31/2999");
    const Rows rows = listing(CaptureReport([this] { dialog->PrintBtn->Click(); }));
    Lines ids;
    for (const auto& row : rows) ids.push_back(row[0]);
    EXPECT_EQ(ids, (Lines{"10", "12", "99", "11", "13"}));
}

TEST_F(RecallOutputTest, TypedDatesAreTakenWhenCommitted) {
    open(TPrintRecallLabelsDlg::ListingIndex, "4/10/24", "4/30/2024");
    // Enter commits a box: rewritten, and its calendar follows.
    char enter = VK_RETURN;
    dialog->FromKingDateDialog->OnKeyPress(dialog->FromKingDateDialog, enter);
    EXPECT_EQ(enter, 0);
    EXPECT_EQ(dialog->FromKingDateDialog->Text(), "04/10/2024");
    EXPECT_EQ(dialog->FromKingPopup->PopupDate(), EncodeDate(2024, 4, 10));
    // Thru is committed by Print; heading and selection agree.
    const ReportPages pages = CaptureReport([this] { dialog->PrintBtn->Click(); });
    EXPECT_EQ(dialog->ThruKingDateDialog->Text(), "04/30/2024");
    EXPECT_NE(pages.Find("April 10, 2024 thru April 30, 2024"), nullptr);
    const Rows rows = listing(pages);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.front()[1], "EVANS");
}

TEST_F(RecallOutputTest, ADateThatIsNoDateStopsThePrint) {
    open(TPrintRecallLabelsDlg::LabelsIndex, "2/30/2024", "4/30/2024");
    TDialogScript script;
    EXPECT_THROW(dialog->PrintBtn->Click(), EConvertError);
    EXPECT_TRUE(script.Shown().empty()) << "no report window";
    EXPECT_EQ(dialog->FromKingDateDialog->Text(), "2/30/2024");
    // Leaving the box shows the message and keeps the text.
    script.Answer(mrOk);
    dialog->FromKingDateDialog->OnExit(dialog->FromKingDateDialog);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(dialog->FromKingDateDialog->Text(), "2/30/2024");
}

TEST_F(RecallOutputTest, OpensOnThisMonth) {
    open(TPrintRecallLabelsDlg::LabelsIndex);
    auto* fresh = CreateForm<TPrintRecallLabelsDlg>(nullptr);
    EXPECT_EQ(fresh->DateRangeComboBox->Text(), "This Month");
    EXPECT_EQ(fresh->FromKingDateDialog->Text(), "03/01/2024");
    EXPECT_EQ(fresh->ThruKingDateDialog->Text(), "03/31/2024");
    EXPECT_EQ(fresh->ThruKingPopup->PopupDate(), EncodeDate(2024, 3, 31));
    EXPECT_EQ(fresh->PrintRadioGroup->ItemIndex(), 0);
    fresh->DateRangeComboBox->SetText("Last Year");
    fresh->DateRangeComboBoxChange(fresh->DateRangeComboBox);
    EXPECT_EQ(fresh->FromKingDateDialog->Text(), "01/01/2023");
    EXPECT_EQ(fresh->ThruKingDateDialog->Text(), "12/31/2023");
    renderToPng(fresh, ReportOutputFile("print_recalls_dialog.png"));
    renderToPng(fresh->PostcardSettings, ReportOutputFile("postcard_settings_dialog.png"));
    fresh->Close();
}

class LongRecallListingTest : public RecallOutputTest {
protected:
    void addRows(const std::string& Dir) override {
        RecallOutputTest::addRows(Dir);
        std::vector<CompanyFixture::Row> rows;
        for (int day = 2; day <= 29; ++day)
            for (const char* id : {"10", "11"})
                rows.push_back({{"PATIENTID", id}, {"NAME", "MORE"}, {"DATE", "202404" + std::string(day < 10 ? "0" : "") +
                                                                         std::to_string(day)},
                                {"REASON", "Eye Exam"}});
        CompanyFixture::AppendRows(Dir, "Recall.dbf", rows);
    }
};

TEST_F(LongRecallListingTest, PagesBreakBelowTenAndAHalfInchesAndEachRunCountsFromOne) {
    open(TPrintRecallLabelsDlg::ListingIndex);
    for (int run = 0; run < 2; ++run) {
        const ReportPages pages = CaptureReport([this] { dialog->PrintBtn->Click(); });
        ASSERT_EQ(pages.PageCount, 2) << run;
        EXPECT_NE(pages.Find("Page 2"), nullptr);
        const ReportTextItem* first = pages.FindLast("Page 1");
        ASSERT_NE(first, nullptr) << "the page number starts again with each run";
        EXPECT_EQ(first->Page, 1);
        EXPECT_EQ(listing(pages).size(), 56u + 4u);
        for (const ReportTextItem& item : pages.Items)
            EXPECT_LT(item.Baseline, 10.5 + 0.3) << item.Text;
        const auto second = pages.On(2);
        EXPECT_TRUE(std::any_of(second.begin(), second.end(),
                                [](const ReportTextItem& item) { return item.Text == "Patient Recall"; }));
    }
}

// ---------------------------------------------------------------- postcards

TEST_F(RecallOutputTest, PostcardMessagesByReason) {
    open(TPrintRecallLabelsDlg::PostcardsIndex);
    const ReportPages pages = postcards([](TPostcardSettingsForm&) {});
    ASSERT_EQ(pages.PageCount, 1);
    EXPECT_EQ(dialog->ReportSystem1->SystemPreview()->ZoomFactor(), 40);
    // Cards in recall order: Carter, Evans, the missing patient (blank), Dixon.
    auto card = [&pages](int Index) {
        const double left = (Index % 2) * 5.5, top = (Index / 2) * 4.25;
        Lines texts;
        for (const ReportTextItem& item : pages.Items)
            if (item.Left >= left && item.Left < left + 5.5 && item.Baseline > top && item.Baseline < top + 4.25)
                texts.push_back(item.Text);
        return texts;
    };
    const Lines returnAddress = {"Clear View Optical", "100 Main St", "Suite 2", "Lakeside, MI 49116",
                                 "(269) 555-0100"};
    auto with = [&returnAddress](Lines Rest) {
        Lines all = returnAddress;
        all.insert(all.end(), Rest.begin(), Rest.end());
        return all;
    };
    EXPECT_EQ(card(0), with({SpectaclesText, "Carter", "12 Elm St", "Springfield, IL  62701"}));
    EXPECT_EQ(card(1), with({OtherText, "Reason for recall: Eye Exam", "Evans", "9 Oak Ave", "Dover  19901"}));
    EXPECT_TRUE(card(2).empty());
    EXPECT_EQ(card(3), with({ContactText, "Dixon", "Salem, OR  97301"}));

    // "Eye Exam": the other message, a blank line, the reason.
    const ReportTextItem* note = pages.Find(OtherText);
    const ReportTextItem* reason = pages.Find("Reason for recall: Eye Exam");
    ASSERT_TRUE(note && reason);
    EXPECT_NEAR(reason->Baseline - note->Baseline, 2 * 10.0 / 72 * 1.15, 0.08);
    // The message between 0.4 and 2.4 in on its card, from 1.6 in down.
    EXPECT_GE(note->Left, 5.5 + 0.4 - 0.01);
    EXPECT_LE(reason->Right, 5.5 + 2.4 + 0.01);
    EXPECT_GT(note->Baseline, 1.6);
    // The address in Arial 12 at 2.7 in from the card's left.
    const ReportTextItem* name = pages.Find("Evans");
    ASSERT_TRUE(name);
    EXPECT_NEAR(name->Left, 5.5 + 2.7, 0.01);
    EXPECT_EQ(name->Size, 12);
    EXPECT_TRUE(pages.Find("Clear View Optical")->Bold);
}

TEST_F(RecallOutputTest, WithoutMessagesTheCardsKeepTheirAddresses) {
    open(TPrintRecallLabelsDlg::PostcardsIndex);
    const ReportPages pages = postcards([](TPostcardSettingsForm& Settings) {
        Settings.PrintMessageCheckBox->SetChecked(false);
        EXPECT_FALSE(Settings.OtherNote->Enabled());
    });
    for (const char* message : {SpectaclesText, ContactText, OtherText, "Reason for recall: Eye Exam"})
        EXPECT_EQ(pages.Find(message), nullptr) << message;
    EXPECT_NE(pages.Find("Clear View Optical"), nullptr);
    EXPECT_NE(pages.Find("Evans"), nullptr);
}

TEST_F(RecallOutputTest, PostcardsPrintFourToALandscapeSheet) {
    open(TPrintRecallLabelsDlg::PostcardsIndex, "01/01/2024", "12/31/2024");
    const std::string pdf = ReportOutputFile("recall_postcards.pdf");
    EXPECT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    {
        TDialogScript script;
        script.Answer([](TForm& f) {
            auto& settings = dynamic_cast<TPostcardSettingsForm&>(f);
            settings.SpectaclesNote->SetText(SpectaclesText);
            settings.ContactLensNote->SetText(ContactText);
            settings.OtherNote->SetText(std::string(OtherText) + " We are open six days a week.");
            settings.OKBtn->Click();
        });
        script.Answer([&](TForm& f) {
            auto& setup = dynamic_cast<TRSSetupForm&>(f);
            setup.FileRB->SetChecked(true);
            setup.FileNameED->SetText(pdf);
            setup.OKBB->Click();
        });
        dialog->PrintBtn->Click();
        ASSERT_EQ(script.Unanswered(), 0u);
    }
    // Five recalls: four cards, then one on a second sheet.
    ASSERT_EQ(PdfPageCount(pdf), 2);
    const TSize size = PdfPageSize(pdf, 1);
    EXPECT_EQ(size.cx, 792);
    EXPECT_EQ(size.cy, 612);
    const QImage page = RenderPdfPage(pdf, 1, 100);
    KeepPicture(page, "recall_postcards");
    for (int index = 0; index < 4; ++index) {
        const int left = (index % 2) * 550, top = (index / 2) * 425;
        const TRect quadrant{left, top, left + 550, top + 425};
        const TRect ink = InkBounds(page, quadrant);
        if (index == 2) {
            EXPECT_TRUE(ink.IsEmpty()) << "the missing patient's card is blank";
            continue;
        }
        ASSERT_FALSE(ink.IsEmpty()) << index;
        EXPECT_GT(ink.Left, left + 2) << index;
        EXPECT_GT(ink.Top, top + 2) << index;
        // The address: below 2.75 in on the card, from 2.7 in.
        const TRect address = InkBounds(page, {left + 260, top + 260, left + 550, top + 425});
        EXPECT_NEAR(address.Left, left + 270, 3) << index;
    }

    // A report printed after the postcards comes out portrait.
    auto* transactions = CreateForm<TTransactionByDateReport>(nullptr);
    const std::string after = ReportOutputFile("after_postcards.pdf");
    PrintReportToPdf([transactions] { transactions->OKBtn->Click(); }, after);
    transactions->Close();
    EXPECT_EQ(PdfPageSize(after, 1).cx, 612);
    EXPECT_EQ(PdfPageSize(after, 1).cy, 792);
}

TEST_F(RecallOutputTest, LabelsAndListingPrinted) {
    for (int output : {TPrintRecallLabelsDlg::LabelsIndex, TPrintRecallLabelsDlg::ListingIndex}) {
        open(output);
        const std::string pdf =
            ReportOutputFile(output == TPrintRecallLabelsDlg::LabelsIndex ? "recall_labels.pdf" : "recall_listing.pdf");
        PrintReportToPdf([this] { dialog->PrintBtn->Click(); }, pdf);
        EXPECT_EQ(PdfPageSize(pdf, 1).cy, 792);
        const bool labels = output == TPrintRecallLabelsDlg::LabelsIndex;
        EXPECT_NE(PdfText(pdf).find(labels ? "Salem, OR" : "555-0111"), std::string::npos);
        dialog->Close();
        dialog = nullptr;
    }
}

// ---------------------------------------------------------------- settings

TEST_F(RecallOutputTest, SettingsAreReadAndEveryCloseWritesThemAll) {
    const TSettingsFile file = CompanyIni::File(module->DataDirectory);
    {
        auto* settings = CreateForm<TPostcardSettingsForm>(nullptr);
        EXPECT_TRUE(settings->PrintReturnAddressCheckBox->Checked());
        EXPECT_TRUE(settings->PrintMessageCheckBox->Checked());
        EXPECT_TRUE(settings->PrintOtherReasonCheckBox->Checked());
        EXPECT_TRUE(settings->SpectaclesNote->Enabled());
        EXPECT_EQ(settings->OtherNote->MaxLength(), 250);
        settings->PrintMessageCheckBox->SetChecked(false);
        EXPECT_FALSE(settings->SpectaclesNote->Enabled());
        EXPECT_FALSE(settings->ContactLensNote->Enabled());
        settings->PrintOtherReasonCheckBox->SetChecked(false);
        EXPECT_FALSE(settings->OtherNote->Enabled());
        settings->PrintMessageCheckBox->SetChecked(true);
        EXPECT_TRUE(settings->OtherNote->Enabled());
        settings->PrintReturnAddressCheckBox->SetChecked(false);
        settings->SpectaclesNote->SetText(std::string(250, 'x'));
        settings->ContactLensNote->SetText("Line one\r\nLine two with a \\ backslash\r\n\r\nLast");
        settings->Close();
        delete settings;
    }
    EXPECT_FALSE(file.Read(CompanyIni::PrintReturnAddress));
    EXPECT_TRUE(file.Read(CompanyIni::PrintMessage));
    EXPECT_FALSE(file.Read(CompanyIni::PrintOtherReason));
    EXPECT_EQ(file.Read(CompanyIni::ContactLensNote), "Line one\\nLine two with a \\\\ backslash\\n\\nLast");
    EXPECT_TRUE(file.Read(CompanyIni::OtherNote).empty());

    auto* again = CreateForm<TPostcardSettingsForm>(nullptr);
    EXPECT_FALSE(again->PrintReturnAddressCheckBox->Checked());
    EXPECT_FALSE(again->PrintOtherReasonCheckBox->Checked());
    EXPECT_EQ(again->SpectaclesNote->Text(), std::string(250, 'x'));
    EXPECT_EQ(again->ContactLensNote->Text(), "Line one\r\nLine two with a \\ backslash\r\n\r\nLast");
    delete again;
}

TEST_F(RecallOutputTest, ClosingTheRecallDialogClosesItsSettingsWhichWriteThemselves) {
    open(TPrintRecallLabelsDlg::LabelsIndex);
    dialog->PostcardSettings->PrintReturnAddressCheckBox->SetChecked(false);
    dialog->PostcardSettings->OtherNote->SetText("Call us.\r\nWe miss you.");
    dialog->Close();
    dialog = nullptr;
    Application->ProcessMessages();
    const TSettingsFile file = CompanyIni::File(module->DataDirectory);
    EXPECT_FALSE(file.Read(CompanyIni::PrintReturnAddress));
    EXPECT_EQ(MultiLineSetting::Read(file, CompanyIni::OtherNote), "Call us.\r\nWe miss you.");
}

TEST_F(RecallOutputTest, ASettingsFileThatCannotBeWrittenShowsItsMessageAndTheDialogCloses) {
    open(TPrintRecallLabelsDlg::LabelsIndex);
    TPostcardSettingsForm* settings = dialog->PostcardSettings;
    settings->Show();
    // A folder where the file should be: nothing can replace it.
    const std::string ini = CompanyIni::File(module->DataDirectory).FileName();
    const std::string kept = ini + ".kept";
    ASSERT_EQ(std::rename(ini.c_str(), kept.c_str()), 0);
    os::ForceDirectories(ini);
    TDialogScript script;
    script.Answer(mrOk);
    settings->OKBtn->Click();
    EXPECT_FALSE(settings->Visible());
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_NE(script.Shown()[0].Text.find("Unable to write"), std::string::npos) << script.Shown()[0].Text;
    std::filesystem::remove(ini);
    std::rename(kept.c_str(), ini.c_str());
}

}  // namespace
