// A shop's first day through the real main window, as a front-desk person
// works it: keys typed into the windows' controls and buttons clicked, every
// dialog answered through the responder. At the end the books agree, every
// print lies in the print folder under its window's name, and each print
// reads as the day made it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <map>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "app/LookupList.h"
#include "app/NewCompany.h"
#include "app/Preference.h"
#include "app/Settings.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "controls/KingTool.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "patients/PatientInfo.h"
#include "patients/PatientRecall.h"
#include "patients/Schedule.h"
#include "reporting/RSDevice.h"
#include "reporting/RSSetFrm.h"
#include "reports/EndOfDayRpt.h"
#include "reports/PrintRecallLabels.h"
#include "reports/SalesByDay.h"
#include "sales/DepositForm.h"
#include "sales/ItemInfoDlg.h"
#include "sales/PaymentForm.h"
#include "sales/ReceiptForm.h"
#include "shell/LogoMain.h"
#include "shell/ProgramForms.h"
#include "support/BooksChecker.h"
#include "support/PageImages.h"
#include "support/ScopedEnv.h"
#include "support/ScopedRoot.h"
#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/Menus.h"
#include "ui/OffscreenRender.h"
#include "ui/PrintOutput.h"
#include "ui/PrinterDrivers.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace fs = std::filesystem;

namespace {

// Types Text into Control as a user does: focus, the old text selected, the
// characters one by one.
void type(TWinControl* Control, const std::string& Text) {
    Control->SetFocus();
    Control->SendKey(VK_HOME);
    Control->SendKey(VK_END, {ssShift});
    for (char c : Text)
        Control->SendChar(c);
}

// Types Text, then leaves the control with Tab.
void fill(TWinControl* Control, const std::string& Text) {
    type(Control, Text);
    Control->SendKey(VK_TAB);
}

// The data-aware edit bound to Column on Form.
TDBEdit* editOf(TForm* Form, const std::string& Column) {
    for (int i = 0; i < Form->ComponentCount(); ++i)
        if (auto* edit = dynamic_cast<TDBEdit*>(Form->Components(i)); edit && edit->DataField() == Column)
            return edit;
    ADD_FAILURE() << "no edit of " << Column;
    return nullptr;
}

TDialogAnswer withAct(std::function<void(TForm&)> Act) {
    TDialogAnswer answer;
    answer.Result = mrOk;
    answer.Act = std::move(Act);
    return answer;
}

// What the user answers to whatever the step does not script: the setup
// window of a report prints on the chosen printer, a message is read and
// closed, a question is answered Yes.
TDialogAnswer answerAsTheDayGoes(const TDialogRequest& Request) {
    if (auto* setup = dynamic_cast<TRSSetupForm*>(Request.Form))
        return withAct([setup](TForm&) {
            setup->PrinterRB->SetFocus();
            setup->PrinterRB->SendKey(VK_SPACE);
            setup->OKBB->Click();
        });
    TDialogAnswer answer;
    const auto& buttons = Request.Buttons;
    answer.Result = std::find(buttons.begin(), buttons.end(), "Yes") != buttons.end() ? mrYes : mrOk;
    return answer;
}

// True when a line of Text matches Pattern.
bool hasLine(const std::string& Text, const std::string& Pattern) {
    const std::regex line(Pattern);
    std::istringstream lines(Text);
    for (std::string each; std::getline(lines, each);)
        if (std::regex_search(each, line))
            return true;
    return false;
}

// The files of the print folder by name.
std::vector<std::string> printedFiles() {
    std::vector<std::string> names;
    if (fs::is_directory(printFolder()))
        for (const auto& entry : fs::directory_iterator(printFolder()))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ShopDayTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        registerProgramForms();
        setFixedNow(Today + EncodeTime(9, 0, 0, 0));
        // The shop has no system printer: the PDF printer is the one it prints on.
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
        main = CreateForm<TLogoAppForm>(nullptr);
    }
    void TearDown() override {
        TDialogScript quiet;
        quiet.AnswerRest(answerAsTheDayGoes);
        for (int i = main->ComponentCount() - 1; i >= 0; --i)
            if (auto* window = dynamic_cast<TForm*>(main->Components(i)))
                window->Close();
        Application->ProcessMessages();
        delete main;
        Application->ProcessMessages();
        xb_CloseAll();
        clearFixedNow();
    }

    // The clock moves on between the day's steps.
    void later(int Minutes) { setFixedNow(Now() + Minutes / (24.0 * 60)); }

    // Runs a step as the user does it, the script answering its dialogs and
    // the day's answers the rest. The step shows the Expected messages and
    // no other, and raises nothing.
    void step(const std::string& What, TDialogScript& Script, const std::function<void()>& Act,
              const std::vector<std::string>& Expected = {}) {
        SCOPED_TRACE(What);
        Script.AnswerRest(answerAsTheDayGoes);
        try {
            Act();
        } catch (const std::exception& error) {
            ADD_FAILURE() << What << " raised: " << error.what();
        }
        Application->ProcessMessages();
        std::vector<std::string> messages;
        for (const TDialogRequest& shown : Script.Shown())
            if (shown.Kind == TDialogKind::MessageBox || shown.Kind == TDialogKind::MessageDlg ||
                shown.Kind == TDialogKind::ShowMessage)
                messages.push_back(shown.Text);
        EXPECT_EQ(messages, Expected);
        EXPECT_EQ(Script.Unanswered(), 0u);
    }
    void click(const char* Item) { main->MenuItem(Item)->Click(); }

    // The window of class T the main window owns (the last one made).
    template <class T>
    T* window() {
        for (int i = main->ComponentCount() - 1; i >= 0; --i)
            if (auto* found = dynamic_cast<T*>(main->Components(i)))
                return found;
        ADD_FAILURE() << "no such window open";
        return nullptr;
    }
    // A lookup list answered by typing the start of a name into its search
    // edit and choosing the patient found.
    static std::function<void(TForm&)> choosePatient(const std::string& Name) {
        return [Name](TForm& Form) {
            auto& list = dynamic_cast<TLookupListForm&>(Form);
            type(list.Edit1, Name);
            list.SelectButton->Click();
        };
    }
    std::string data() const { return DataModule1->DataDirectory; }
    void expectBooksAgree() const { EXPECT_EQ(BooksChecker::Check(data()), std::vector<std::string>{}); }
    void picture(TControl* Control, const std::string& Name) { KeepPicture(renderControl(Control), Name); }

    const TDateTime Today = EncodeDate(2026, 12, 11);
    ScopedRoot root;
    ScopedEnv prints{"QUENMARK_PRINT_DIR", root.path() + "/prints"};
    TLogoAppForm* main = nullptr;
};

TEST_F(ShopDayTest, AFrontDeskDayFromANewCompanyToTheRebuiltBooks) {
    // First start: no company yet; the window's first activation asks. The
    // user declines the question and the open dialog, then makes the
    // company from the File menu.
    {
        TDialogScript script;
        script.Answer(mrNo).Answer(mrCancel);
        main->Show();
        Application->ProcessMessages();
        ASSERT_EQ(script.Shown().size(), 2u);
        EXPECT_EQ(script.Shown()[1].Caption, "Select Company");
    }
    {
        TDialogScript script;
        script.Answer(withAct([](TForm& Dialog) {
            auto& company = dynamic_cast<TNewCompanyDlg&>(Dialog);
            type(company.CompanyFilenameEdit, "Harbor");
            company.OKBtn->Click();
        }));
        script.Answer(mrOk, root.path() + "/Company/Harbor.ini");
        step("File, New Company", script, [&] { click("FileNewItem"); });
        ASSERT_EQ(data(), root.path() + "/Data/Harbor");
        ASSERT_TRUE(main->MenuItem("ActivitiesMenu")->Enabled());
    }

    // Preferences: the shop's name and address on the receipt, tax 7.25 %.
    {
        TDialogScript script;
        step("Preferences", script, [&] {
            click("Preferences1");
            auto* prefs = window<TPreferencesDlg>();
            fill(prefs->ReceiptNameEdit, "Harbor Optical");
            fill(prefs->ReceiptAddress1Edit, "12 Wharf Street");
            fill(prefs->ReceiptCityEdit, "Salem");
            fill(prefs->ReceiptStateEdit, "MA");
            fill(prefs->ReceiptZipEdit, "01970");
            fill(prefs->SalesTaxRateEdit, "7.25");
            picture(prefs, "shop-day-preferences");
            prefs->OKBtn->Click();
        });
        const TSettingsFile ini = CompanyIni::File(data());
        EXPECT_EQ(ini.Read(CompanyIni::SalesTaxRate), "7.25");
    }

    // Two patients from the patient list's New button.
    const std::pair<const char*, const char*> patients[] = {{"SMITH, JOHN", "John Smith"},
                                                            {"JONES, MARY", "Mary Jones"}};
    {
        TDialogScript script;
        step("two patients", script, [&] {
            click("PatientsMenuItem");
            auto* list = window<TLookupListForm>();
            for (const auto& [indexedAs, name] : patients) {
                list->NewButton->Click();
                auto* patient = window<TPatientInfoDlg>();
                fill(patient->RecordNameDBEdit, indexedAs);
                fill(editOf(patient, "NAME"), name);
                fill(editOf(patient, "ADDR"), "4 Derby Lane");
                fill(editOf(patient, "CITY"), "Salem");
                fill(patient->StateDBEdit, "ma");
                fill(editOf(patient, "ZIP"), "01970");
                patient->OKbtn->Click();
                Application->ProcessMessages();
            }
            list->Close();
        });
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Patient.dbf", "RECNAME", "SMITH, JOHN"), 1);
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Patient.dbf", "STATE", "MA"), 2);
    }

    // An exam with its spectacle Rx for John Smith, and his recall a year ahead.
    {
        TDialogScript script;
        script.Answer(withAct([](TForm& Recalls) {
            auto& list = dynamic_cast<TPatientRecallDlg&>(Recalls);
            list.NewBtn->Click();
            list.Close();
        }));
        script.Answer(withAct([](TForm& Dialog) {
            auto& date = dynamic_cast<TRecallDateDlg&>(Dialog);
            date.KingNavigator1->Buttons(nbNextYear)->Click();
            type(date.ReasonComboBox, "Eye Exam");
            date.OKbtn->Click();
        }));
        step("exam, Rx and recall", script, [&] {
            click("PatientsMenuItem");
            auto* list = window<TLookupListForm>();
            type(list->Edit1, "SMITH");
            list->EditButton->Click();
            auto* patient = window<TPatientInfoDlg>();
            ASSERT_EQ(patient->Caption(), "SMITH, JOHN");
            // A new patient comes with a first exam: the day's exam is filled into it.
            patient->PageControl1->SetActivePage(patient->IncidentTabSheet);
            EXPECT_EQ(patient->IncidentDBLookupCombo->Text(), "1");
            fill(editOf(patient, "COMPLAINT"), "Blurred distance vision");
            fill(editOf(patient, "SR_SPHERE"), "-1.25");
            fill(editOf(patient, "SR_CYL"), "-0.50");
            fill(editOf(patient, "SR_AXIS"), "90");
            fill(editOf(patient, "SL_SPHERE"), "-1.00");
            picture(patient, "shop-day-exam");
            patient->RecallBtn->Click();
            patient->OKbtn->Click();
            Application->ProcessMessages();
            list->Close();
        });
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Incident.dbf", "SR_SPHERE", "-1.25"), 1);
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Incident.dbf", "COMPLAINT", "Blurred distance vision"), 1);
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Recall.dbf", "REASON", "Eye Exam"), 1);
    }

    // An appointment for Mary Jones at half past ten.
    {
        TDialogScript script;
        script.Answer(withAct([](TForm& Dialog) {
            auto& item = dynamic_cast<TScheduleItemDlg&>(Dialog);
            fill(item.TimeDBEdit, "10:30A");
            item.ClientDBLookupCombo->SetFocus();
            item.ClientDBLookupCombo->SendKey(VK_DOWN, {ssAlt});
            for (char c : std::string("JONES"))
                item.ClientDBLookupCombo->SendChar(c);
            item.ClientDBLookupCombo->SendKey(VK_RETURN);
            fill(item.NoteDBEdit, "Contact lens fitting");
            item.BitBtn1->Click();
        }));
        step("appointment", script, [&] {
            click("Schedules1");
            auto* schedule = window<TScheduleDlg>();
            schedule->NewBitBtn->Click();
            picture(schedule, "shop-day-schedule");
            schedule->Close();
        });
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Schedule.dbf", "CLIENT", "JONES, MARY"), 1);
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Schedule.dbf", "NOTE", "Contact lens fitting"), 1);
    }

    // An item: a taxed frame at 129.00.
    {
        TDialogScript script;
        step("item", script, [&] {
            click("Items1");
            auto* list = window<TLookupListForm>();
            list->NewButton->Click();
            list->EditButton->Click();
            auto* item = window<TItemInfoDlg>();
            fill(item->ItemDBEdit, "FR200");
            item->ItemTypeDBComboBox->SetFocus();
            item->ItemTypeDBComboBox->SendKey(VK_DOWN);
            item->ItemTypeDBComboBox->SendKey(VK_DOWN);
            item->ItemTypeDBComboBox->SendKey(VK_DOWN);
            EXPECT_EQ(item->ItemTypeDBComboBox->Text(), "Frame");
            fill(item->DescriptionDBEdit, "Round metal frame");
            item->SalesTaxDBCheckBox->SetFocus();
            item->SalesTaxDBCheckBox->SendKey(VK_SPACE);
            fill(item->SellDBEdit, "129.00");
            picture(item, "shop-day-item");
            item->BitBtn1->Click();
            Application->ProcessMessages();
            list->Close();
        });
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Item.dbf", "ID", "FR200"), 1);
    }

    // The receipt: the frame with Qty left blank, and two more of it; printed.
    later(60);
    {
        TDialogScript script;
        script.Answer(choosePatient("SMITH"));
        step("receipt", script, [&] {
            click("CreateReceipt1");
            auto* receipt = window<TReceiptForm>();
            receipt->NewBitBtn->Click();
            receipt->AccountBitBtn->Click();
            TQmDBGrid* grid = receipt->LineItemDBGrid;
            auto typeCode = [&](const std::string& Code) {
                grid->SetSelectedIndex(1);
                renderControl(receipt);  // the code cell's combo is placed as the grid paints
                grid->SendChar(Code[0]);
                Application->ProcessMessages();
                for (size_t i = 1; i < Code.size(); ++i)
                    receipt->ItemQmDBLookupCombo->SendChar(Code[i]);
                receipt->ItemQmDBLookupCombo->SendKey(VK_TAB);
                Application->ProcessMessages();
            };
            grid->SetFocus();
            typeCode("FR200");
            grid->SendKey(VK_DOWN);
            typeCode("FR200");
            grid->SetSelectedIndex(0);
            grid->SendChar('2');
            grid->SendChar('\r');
            EXPECT_EQ(Trim(receipt->TotalLabel->Caption()), "$415.06");
            picture(receipt, "shop-day-receipt");
            receipt->PrintBitBtn->Click();
        });
        EXPECT_EQ(BooksChecker::CountWhere(data(), "SalesDtl.dbf", "QTY", "1.00"), 1) << "the blank Qty stored as 1";
        EXPECT_EQ(main->StatusBar1->SimpleText().rfind("Printed to " + printFolder(), 0), 0u)
            << main->StatusBar1->SimpleText();
        expectBooksAgree();
    }

    // Cash from the receipt's Payment button.
    later(5);
    {
        TDialogScript script;
        script.Answer(withAct([](TForm& Window) {
            auto& payment = dynamic_cast<TPaymentForm&>(Window);
            payment.PaidWithDBCombo->SetFocus();
            payment.PaidWithDBCombo->SendKey(VK_DOWN);  // Cash
            fill(payment.TenderedDBEdit, "100.00");
            payment.PaymentDBGrid->SetFocus();
            for (char c : std::string("100"))
                payment.PaymentDBGrid->SendChar(c);
            payment.PaymentDBGrid->SendKey(VK_RETURN);
            EXPECT_EQ(payment.TotalDistributionEdit->Text(), "$100.00") << "the amount typed under APPLY";
            payment.SaveBtn->Click();
            EXPECT_EQ(payment.Caption(), "Payment/Refund 1");
            payment.Close();
        }));
        step("cash payment", script, [&] { window<TReceiptForm>()->PaymentBitBtn->Click(); });
        expectBooksAgree();
    }
    // A check from the Payments button.
    later(5);
    {
        TDialogScript script;
        script.Answer(withAct([](TForm& Window) {
            auto& payment = dynamic_cast<TPaymentForm&>(Window);
            payment.AccountBitBtn->Click();
            payment.PaidWithDBCombo->SetFocus();
            payment.PaidWithDBCombo->SendKey(VK_DOWN);
            payment.PaidWithDBCombo->SendKey(VK_DOWN);  // Check
            fill(payment.CheckNoDBEdit, "1042");
            fill(payment.TenderedDBEdit, "150.00");
            payment.PaymentDBGrid->SetFocus();
            for (char c : std::string("150"))
                payment.PaymentDBGrid->SendChar(c);
            payment.PaymentDBGrid->SendKey(VK_RETURN);
            KeepPicture(renderControl(&payment), "shop-day-check-payment");
            payment.SaveBtn->Click();
            payment.Close();
        }));
        script.Answer(choosePatient("SMITH"));
        step("check payment", script, [&] {
            window<TReceiptForm>()->Close();
            Application->ProcessMessages();
            main->PaymentSpeedButton->Click();
        });
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Pymt.dbf", "PAIDWITH", "Check"), 1);
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Pymt.dbf", "PAIDWITH", "Cash"), 1);
        expectBooksAgree();
    }

    // The deposit of both.
    later(60);
    {
        TDialogScript script;
        step("deposit", script, [&] {
            click("MakeDeposits1");
            auto* deposit = window<TDepositForm>();
            deposit->DepositDBGrid->SetFocus();
            deposit->DepositDBGrid->SendKey(VK_SPACE);
            deposit->DepositDBGrid->SendKey(VK_DOWN);
            deposit->DepositDBGrid->SendKey(VK_SPACE);
            EXPECT_EQ(deposit->TotalLabel->Caption(), "250.00");
            deposit->SaveBtn->Click();
            picture(deposit, "shop-day-deposit");
            deposit->Close();
        });
        EXPECT_EQ(BooksChecker::CountWhere(data(), "Deposit.dbf", "TOTAL", "250.00"), 1);
        expectBooksAgree();
    }

    // End of Day: the day's figures, printed.
    later(30);
    {
        TDialogScript script;
        step("End of Day", script, [&] {
            click("DailyReconciliation1");
            auto* endOfDay = window<TEndOfDayReportDlg>();
            picture(endOfDay, "shop-day-end-of-day");
            endOfDay->PrintBtn->Click();
            endOfDay->BitBtn1->Click();
        });
    }

    // Monthly statements and Sales by Date.
    later(5);
    {
        TDialogScript script;
        step("monthly statements", script, [&] { click("MonthlyStatements1"); });
    }
    later(5);
    {
        TDialogScript script;
        step("Sales by Date", script, [&] {
            click("byDateReceipt1");
            auto* sales = window<TSalesByDayReport>();
            sales->BitBtn1->Click();
            sales->Close();
        });
    }

    // The labels of the recalls due a year from today.
    later(5);
    {
        TDialogScript script;
        script.Answer(withAct([&](TForm& Dialog) {
            auto& labels = dynamic_cast<TPrintRecallLabelsDlg&>(Dialog);
            fill(labels.FromKingDateDialog, DateToStr(Today + 365));
            fill(labels.ThruKingDateDialog, DateToStr(Today + 365));
            labels.PrintBtn->Click();
            labels.Close();
        }));
        step("recall labels", script, [&] { click("RecallLables1"); });
    }

    // Utilities, Rebuild Account Balances: the books come out as they were.
    const BooksChecker::TSnapshot before = BooksChecker::Snapshot(data());
    {
        TDialogScript script;
        step("Rebuild Account Balances", script, [&] { click("RebuildAccountBalances"); },
             {"Rebuild Account Balances Completed. Time: 0:00:00"});
    }
    EXPECT_EQ(BooksChecker::Differences(before, BooksChecker::Snapshot(data())), std::vector<std::string>{});
    expectBooksAgree();

    // Every print under its own name, each reading as the day made it.
    struct Print {
        const char* file;
        std::vector<const char*> lines;  // patterns, each matching one line of the page
    };
    const Print prints[] = {
        {"Receipt 1 2026-12-11 10-00-00.pdf",
         {"Harbor Optical", "12 Wharf Street", "Salem, MA 01970", "^John Smith$",
          "^ *1 +FR200 +Round metal frame +\\$129\\.00 +\\$129\\.00 T$",
          "^ *2 +FR200 +Round metal frame +\\$129\\.00 +\\$258\\.00 T$", "Sales Tax +\\$28\\.06$",
          "Total +\\$415\\.06$"}},
        {"End of Day Report 2026-12-11 11-40-00.pdf",
         {"For December 11, 2026", "Today's Sales +387\\.00", "Payments Received +100\\.00 +150\\.00 +0\\.00 +250\\.00",
          "Deposits +100\\.00 +150\\.00 +0\\.00 +250\\.00", "Discrepancy +0\\.00 +0\\.00 +0\\.00 +0\\.00"}},
        {"Statement 2026-12-11 11-45-00.pdf",
         {"Harbor Optical", "Receipt 1 +415\\.06 +415\\.06$", "Payment 1 +-100\\.00 +315\\.06$",
          "Payment 2 +-150\\.00 +165\\.06$", "^ +165\\.06( +0\\.00){4} +165\\.06$"}},
        {"Sales by Day_Receipt 2026-12-11 11-50-00.pdf",
         {"December 11, 2026 thru December 11, 2026", "12/11/26 +1 +John Smith +387\\.00$", "Net Sales +387\\.00$"}},
        {"Print Recalls 2026-12-11 11-55-00.pdf", {"^John Smith$", "^4 Derby Lane$", "^Salem, MA 01970$"}},
    };
    std::vector<std::string> expected;
    for (const Print& print : prints)
        expected.push_back(print.file);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(printedFiles(), expected);
    for (const Print& print : prints) {
        SCOPED_TRACE(print.file);
        const std::string pdf = printFolder() + "/" + print.file;
        const std::string text = RunTool("pdftotext", {"-layout", pdf, "-"});
        for (const char* pattern : print.lines)
            EXPECT_TRUE(hasLine(text, pattern)) << pattern << "\n" << text;
        EXPECT_FALSE(hasLine(text, "Mary Jones")) << "she bought nothing and has no recall";
        if (PdfPageCount(pdf) > 0)
            KeepPicture(RenderPdfPage(pdf, 1, 100), "shop-day-" + fs::path(print.file).stem().string());
    }
}

}  // namespace
