// The preferences dialog on a real company's Company.ini and the
// workstation's VO97.ini: what it shows, what OK writes and what it refuses.
#include <gtest/gtest.h>

#include <QImage>
#include <fstream>
#include <sstream>

#include "ModuleFixture.h"
#include "app/FormOpener.h"
#include "app/MultiLineSetting.h"
#include "app/Preference.h"
#include "app/Settings.h"
#include "os/Paths.h"
#include "ui/ComCtrls.h"
#include "ui/ExtCtrls.h"
#include "ui/Mask.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

std::string FileBytes(const std::string& Path) {
    std::ifstream in(os::MapPath(Path), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class PreferencesTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        os::DeleteFile(Vo97Ini::File().FileName());
        open();
        RegisterClass<TPreferencesDlg>();
    }
    void TearDown() override {
        delete dlg;
        ModuleTest::TearDown();
    }

    // Opened as the File menu does.
    TPreferencesDlg* show() {
        TForm* form = OpenForm(nullptr, {.ClassName = "TPreferencesDlg", .Caption = "Pre&ferences"});
        dlg = dynamic_cast<TPreferencesDlg*>(form);
        EXPECT_NE(dlg, nullptr);
        dlg->OnDestroy = [this](TObject*) { dlg = nullptr; };
        return dlg;
    }
    // OK, then the events that free the closed dialog.
    void ok() {
        dlg->OKBtn->Click();
        Application->ProcessMessages();
    }
    TSettingsFile companyIni() const { return CompanyIni::File(company.DataDirectory()); }

    TPreferencesDlg* dlg = nullptr;
};

TEST_F(PreferencesTest, AFreshCompanyShowsTheDefaultsOnEachPage) {
    show();
    EXPECT_EQ(dlg->Caption(), "Preferences");
    EXPECT_FALSE(dlg->Modal());
    EXPECT_EQ(dlg->SalesTaxRateEdit->Text(), "0.0");
    EXPECT_EQ(dlg->AltTaxRateEdit->Text(), "0.0");
    EXPECT_EQ(dlg->ReceiptCopiesEdit->Text(), "1");
    EXPECT_EQ(dlg->XOffsetEdit->Text(), "0.0");
    EXPECT_EQ(dlg->YOffsetEdit->Text(), "0.0");
    EXPECT_EQ(dlg->CashDrawerPortCombo->Text(), "No Cash Drawer");
    EXPECT_EQ(dlg->FedIdTypeGroup->ItemIndex(), -1);
    EXPECT_FALSE(dlg->PrntOffsetCheck->Checked());
    EXPECT_EQ(dlg->ReceiptMessageMemo->Hint(), "Enter default Receipt Message here.");
    EXPECT_EQ(dlg->BillPhoneEdit->EditMask(), "!\\(999\\)999-9999;1; ");

    const std::pair<TTabSheet*, const char*> pages[] = {{dlg->ReceiptSheet, "Receipt"},
                                                        {dlg->InsuranceSheet, "Insurance"},
                                                        {dlg->GeneralSheet, "General"}};
    for (int i = 0; i < 3; ++i) {
        auto [page, caption] = pages[i];
        SCOPED_TRACE(caption);
        EXPECT_EQ(dlg->PageControl1->Pages(i), page);
        EXPECT_EQ(page->Caption(), caption);
        dlg->PageControl1->SetActivePage(page);
        // Kept under the installation root, so QUENMARK_KEEP_ROOT keeps it for a look.
        const std::string file = os::InstallRoot() + "/preferences-" + caption + ".png";
        renderToPng(dlg, file);
        QImage image(QString::fromStdString(file));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(dlg->Width(), dlg->Height()));
    }
}

TEST_F(PreferencesTest, TypedValuesAreStoredAsTypedAndShownAgain) {
    show();
    dlg->SalesTaxRateEdit->SetText("6.5");
    dlg->AltTaxRateEdit->SetText("4");
    dlg->ReceiptMessageMemo->SetText("Thank you!\r\nC:\\ is not a path");
    dlg->ReceiptCopiesEdit->SetText("2");
    dlg->ReceiptNameEdit->SetText("Bright Eyes Optical");
    dlg->ReceiptPhoneEdit->SetText("(555)123-4567");
    dlg->BillPinEdit->SetText("PIN-77");
    dlg->FedTaxIDEdit->SetText("12-3456789");
    dlg->FedIdTypeGroup->SetItemIndex(1);
    dlg->BankAccountNoEdit->SetText("000123");
    dlg->CashDrawerPortCombo->SetText("1");
    dlg->CashDrawerControlCodeEdit->SetText("27,112,0,25,250");
    dlg->PrntOffsetCheck->SetChecked(true);
    ok();
    EXPECT_EQ(dlg, nullptr) << "closing frees the dialog";

    TSettingsFile ini = companyIni();
    EXPECT_EQ(ini.Read(CompanyIni::SalesTaxRate), "6.5");
    EXPECT_DOUBLE_EQ(ini.ReadFloat(CompanyIni::SalesTaxRate), 6.5);
    EXPECT_EQ(ini.Read(CompanyIni::AltTaxRate), "4");
    EXPECT_EQ(ini.Read(CompanyIni::ReceiptMessage), "Thank you!\\nC:\\\\ is not a path");
    EXPECT_EQ(ini.Read(CompanyIni::ReceiptPhone), "(555)123-4567");
    EXPECT_EQ(ini.Read(CompanyIni::FedIdType), "EIN");
    EXPECT_EQ(ini.Read(CompanyIni::BankAccountNo), "000123");
    TSettingsFile workstation = Vo97Ini::File();
    EXPECT_EQ(workstation.Read(Vo97Ini::CashDrawerPort), "1");
    EXPECT_EQ(workstation.Read(Vo97Ini::CashDrawerControlCode), "27,112,0,25,250");
    EXPECT_TRUE(workstation.Read(Vo97Ini::PrntOffset));

    show();
    EXPECT_EQ(dlg->SalesTaxRateEdit->Text(), "6.5");
    EXPECT_EQ(dlg->ReceiptMessageMemo->Text(), "Thank you!\r\nC:\\ is not a path");
    EXPECT_EQ(dlg->ReceiptCopiesEdit->Text(), "2");
    EXPECT_EQ(dlg->ReceiptPhoneEdit->Text(), "(555)123-4567");
    EXPECT_EQ(dlg->BillPinEdit->Text(), "PIN-77");
    EXPECT_EQ(dlg->FedIdTypeGroup->ItemIndex(), 1);
    EXPECT_EQ(dlg->CashDrawerPortCombo->Text(), "1");
    EXPECT_TRUE(dlg->PrntOffsetCheck->Checked());

    // Unchecked is written too.
    dlg->PrntOffsetCheck->SetChecked(false);
    ok();
    EXPECT_FALSE(Vo97Ini::File().Read(Vo97Ini::PrntOffset));
}

TEST_F(PreferencesTest, WithNoTypeChosenTheStoredFederalIdTypeStays) {
    companyIni().Write(CompanyIni::FedIdType, "TIN");
    show();
    EXPECT_EQ(dlg->FedIdTypeGroup->ItemIndex(), -1);
    ok();
    EXPECT_EQ(companyIni().Read(CompanyIni::FedIdType), "TIN");

    companyIni().Write(CompanyIni::FedIdType, "SSN");
    show();
    EXPECT_EQ(dlg->FedIdTypeGroup->ItemIndex(), 0);
    ok();
    EXPECT_EQ(companyIni().Read(CompanyIni::FedIdType), "SSN");
}

TEST_F(PreferencesTest, BlankNumbersAreStoredBlankAndReadAsTheDefault) {
    show();
    dlg->SalesTaxRateEdit->SetText("");
    dlg->ReceiptCopiesEdit->SetText("");
    dlg->XOffsetEdit->SetText("");
    ok();
    TSettingsFile ini = companyIni();
    EXPECT_EQ(ini.Read(CompanyIni::SalesTaxRate), "");
    EXPECT_DOUBLE_EQ(ini.ReadFloat(CompanyIni::SalesTaxRate), 0.0);
    EXPECT_EQ(ini.ReadInteger(CompanyIni::ReceiptCopies), 1);
    EXPECT_DOUBLE_EQ(ini.ReadFloat(CompanyIni::HCFA1500XOffset), 0.0);
}

TEST_F(PreferencesTest, ANumberThatDoesNotConvertIsRefusedAndNothingIsWritten) {
    struct Case {
        TEdit* TPreferencesDlg::*Edit;
        const char* Text;
        const char* Message;
        TTabSheet* TPreferencesDlg::*Page;
    };
    const Case cases[] = {
        {&TPreferencesDlg::SalesTaxRateEdit, "abc", "'abc' is not a valid floating point value.",
         &TPreferencesDlg::ReceiptSheet},
        {&TPreferencesDlg::AltTaxRateEdit, "6,5", "'6,5' is not a valid floating point value.",
         &TPreferencesDlg::ReceiptSheet},
        {&TPreferencesDlg::ReceiptCopiesEdit, "x", "'x' is not a valid integer value.",
         &TPreferencesDlg::ReceiptSheet},
        {&TPreferencesDlg::ReceiptCopiesEdit, "1.5", "'1.5' is not a valid integer value.",
         &TPreferencesDlg::ReceiptSheet},
        {&TPreferencesDlg::YOffsetEdit, "one", "'one' is not a valid floating point value.",
         &TPreferencesDlg::InsuranceSheet},
    };
    const std::string companyBefore = FileBytes(companyIni().FileName());
    const std::string workstationBefore = FileBytes(Vo97Ini::File().FileName());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        show();
        dlg->PageControl1->SetActivePage(dlg->GeneralSheet);
        (dlg->*c.Edit)->SetText(c.Text);
        dlg->BankAccountNoEdit->SetText("999");
        dlg->PrntOffsetCheck->SetChecked(true);
        TDialogScript script;
        script.Answer(mrOk);
        ok();
        ASSERT_NE(dlg, nullptr) << "the dialog stays open";
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, c.Message);
        EXPECT_EQ(dlg->PageControl1->ActivePage(), dlg->*c.Page);
        EXPECT_EQ(dlg->ActiveControl(), dlg->*c.Edit);
        EXPECT_EQ(FileBytes(companyIni().FileName()), companyBefore);
        EXPECT_EQ(FileBytes(Vo97Ini::File().FileName()), workstationBefore);

        // Cancel writes nothing either.
        dlg->CancelBtn->Click();
        Application->ProcessMessages();
        EXPECT_EQ(dlg, nullptr);
        EXPECT_EQ(FileBytes(companyIni().FileName()), companyBefore);
        EXPECT_EQ(FileBytes(Vo97Ini::File().FileName()), workstationBefore);
    }
}

TEST_F(PreferencesTest, OverlongTextIsCutToTheFieldsLength) {
    show();
    const std::pair<TCustomEdit*, int> edits[] = {
        {dlg->SalesTaxRateEdit, 6}, {dlg->AltTaxRateEdit, 6}, {dlg->ReceiptNameEdit, 27},
        {dlg->ReceiptAddress2Edit, 27}, {dlg->ReceiptCityEdit, 13}, {dlg->ReceiptStateEdit, 2},
        {dlg->ReceiptZipEdit, 10}, {dlg->POSCodeEdit, 3}, {dlg->XOffsetEdit, 5},
        {dlg->YOffsetEdit, 5}, {dlg->BillAddrsEdit, 27}, {dlg->BillPinEdit, 12},
        {dlg->BillGrpEdit, 14}, {dlg->FedTaxIDEdit, 12}, {dlg->BankAccountNoEdit, 27},
    };
    const std::string pasted(300, '7');
    for (auto [edit, length] : edits) {
        edit->SetText(pasted);
        EXPECT_EQ(edit->Text().size(), static_cast<size_t>(length)) << edit->Name();
    }
    dlg->ReceiptMessageMemo->SetText(pasted);
    EXPECT_EQ(dlg->ReceiptMessageMemo->Text().size(), 250u);
}

TEST_F(PreferencesTest, AnUnwritableCompanyFileIsReportedAndTheDialogStays) {
    show();
    const std::string kept = DataModule1->DataDirectory;
    DataModule1->DataDirectory = kept + "/gone";
    TDialogScript script;
    script.Answer(mrOk);
    ok();
    DataModule1->DataDirectory = kept;
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text.rfind("Unable to write to ", 0), 0u) << script.Shown()[0].Text;
    EXPECT_NE(dlg, nullptr);
}

TEST_F(PreferencesTest, HelpOpensTheProgramsHelp) {
    show();
    TDialogScript script;
    script.Answer(mrOk);
    dlg->HelpBtn->Click();
    ASSERT_EQ(script.Shown().size(), 1u) << "no help file under the installation root";
    EXPECT_EQ(script.Shown()[0].Text, "Failed to execute QMHelp.html");
    EXPECT_NE(dlg, nullptr);
}

TEST(MultiLineSettingTest, LineBreaksAndBackslashesSurviveTheSettingsFile) {
    const std::pair<const char*, const char*> cases[] = {
        {"one line", "one line"},
        {"a\r\nb", "a\\nb"},
        {"a\\b", "a\\\\b"},
        {"\\n", "\\\\n"},
        {"", ""},
    };
    for (auto [text, stored] : cases) {
        EXPECT_EQ(MultiLineSetting::Encode(text), stored);
        EXPECT_EQ(MultiLineSetting::Decode(stored), text);
    }
    // A lone LF or CR is a line break too; a stored value without a
    // backslash, or with one before another character, reads unchanged.
    EXPECT_EQ(MultiLineSetting::Encode("a\nb\rc"), "a\\nb\\nc");
    EXPECT_EQ(MultiLineSetting::Decode("C:\\TEMP"), "C:\\TEMP");
}

}  // namespace
