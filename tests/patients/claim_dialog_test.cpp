// The claim dialog over a real claim company: its six service rows, the
// totals kept from the rows, one dialog at a time, its eight pages, the
// diagnosis window, the signer, the lists it opens, the services grid's CPT
// lookup and text that does not convert.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <QImage>

#include "EBillSupport.h"
#include "app/FormOpener.h"
#include "app/LookupListMembers.h"
#include "base/SysUtils.h"
#include "controls/DBKing.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "patients/ClaimDialog.h"
#include "patients/DiagnosisDlg.h"
#include "support/TempDir.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Graphics.h"
#include "ui/StdCtrls.h"
#include "ui/OffscreenRender.h"
#include "xbase/Xbase.h"

namespace {

class ClaimDialogTest : public ebill_test::ClaimCompany {
protected:
    void SetUp() override {
        ClaimCompany::SetUp();
        registerClaimForms();
        holder = std::make_unique<TComponent>(nullptr);
    }
    void TearDown() override {
        holder.reset();
        Application->ProcessMessages();
        ClaimCompany::TearDown();
    }
    TInsuranceClaimDlg* openDialog() {
        claim()->First();
        return dynamic_cast<TInsuranceClaimDlg*>(
            OpenForm(holder.get(), {.ClassName = "TInsuranceClaimDlg", .Caption = "Info", .Style = osShow}));
    }
    int rowCount() {
        int n = 0;
        for (rows()->First(); !rows()->Eof(); rows()->Next())
            ++n;
        return n;
    }
    double money(const char* Field) { return claim()->FieldByName(Field)->AsFloat(); }

    std::unique_ptr<TComponent> holder;
};

TEST_F(ClaimDialogTest, OpeningGivesSixRowsAndTotalsFromThem) {
    open(2);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->Caption(), "Health Insurance Claim Form");
    EXPECT_EQ(rowCount(), 6);
    for (rows()->First(); !rows()->Eof(); rows()->Next())
        EXPECT_EQ(Trim(rows()->FieldByName("ID")->AsString()), "12");
    // 12.50 - 5.00 over the rows; the stored total and balance were stale.
    EXPECT_DOUBLE_EQ(money("TOTAL"), 7.50);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 7.50);
    dlg->Close();
    Application->ProcessMessages();
    // The rows' restriction is lifted and the appended rows are stored.
    EXPECT_TRUE(module->InsDetailXbase->SetScope("", ""));
    std::vector<std::string> ids;
    for (rows()->First(); !rows()->Eof(); rows()->Next())
        ids.push_back(Trim(rows()->FieldByName("ID")->AsString()));
    EXPECT_EQ(ids, std::vector<std::string>(6, "12"));
}

TEST_F(ClaimDialogTest, ChargeAndPaidEditsMoveTotalAndBalance) {
    open(6);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    rows()->First();
    rows()->Next();
    rows()->Next();  // an empty row
    rows()->FieldByName("CHARGE")->SetText("10.00");
    EXPECT_DOUBLE_EQ(money("TOTAL"), 17.50);
    rows()->FieldByName("CHARGE")->SetText("25.00");
    EXPECT_DOUBLE_EQ(money("TOTAL"), 32.50);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 32.50);
    claim()->FieldByName("PAID")->SetAsString("2.50");
    dlg->DBEdit46Change(dlg->DBEdit46);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 30.00);
    rows()->FieldByName("CHARGE")->SetText("20.00");
    EXPECT_DOUBLE_EQ(money("TOTAL"), 27.50);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 25.00);
    dlg->Close();
    Application->ProcessMessages();
    // No running total outlives the dialog.
    EXPECT_FALSE(module->CalcCharges);
}

TEST_F(ClaimDialogTest, OneDialogAtATime) {
    open(6);
    TInsuranceClaimDlg* first = openDialog();
    TInsuranceClaimDlg* second = openDialog();
    EXPECT_EQ(first, second);
    first->Close();
    Application->ProcessMessages();
}

TEST_F(ClaimDialogTest, BoxesEnabledByOthers) {
    open(6);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    // The fixture: no auto accident, no other plan, no outside lab.
    EXPECT_FALSE(dlg->CondStateDBEdit->Enabled());
    EXPECT_FALSE(dlg->OtherInsuredGroupBox->Enabled());
    EXPECT_FALSE(dlg->OutsideLabChargesDBEdit->Enabled());
    claim()->FieldByName("OTHER_INS")->SetAsString("True");
    dlg->OtherPlanGroupBoxActive();
    EXPECT_TRUE(dlg->OtherInsuredGroupBox->Enabled());
    claim()->FieldByName("OUTSIDELAB")->SetAsString("True");
    dlg->OutsideLabDBRadioGroupChange(nullptr);
    EXPECT_TRUE(dlg->OutsideLabChargesDBEdit->Enabled());
    dlg->Close();
    Application->ProcessMessages();
}

TEST_F(ClaimDialogTest, EightPagesRenderInOrder) {
    open(2);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    const char* names[] = {"Patient", "Insured", "Carrier", "Other Insured",
                           "Diagnosis", "Services", "Physician/Supplier", "Facility"};
    TempDir pictures;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(dlg->Pages[size_t(i)]->Caption(), names[i]);
        dlg->PageControl1->SetActivePage(dlg->Pages[size_t(i)]);
        const std::string file = pictures.file("claim_page" + std::to_string(i + 1) + ".png");
        renderToPng(dlg, file);
        if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
            renderToPng(dlg, std::string(keep) + "/claim_page" + std::to_string(i + 1) + ".png");
        EXPECT_GT(std::filesystem::file_size(file), 0u);
    }
    dlg->Close();
    Application->ProcessMessages();
}

TEST_F(ClaimDialogTest, RowsDeletedElsewhereAreAppendedAgain) {
    open(0);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(rowCount(), 6);
    EXPECT_DOUBLE_EQ(money("TOTAL"), 0);
    dlg->Close();
    Application->ProcessMessages();
}

// Lookup tables of the pages: diagnosis codes, personnel, procedure codes,
// one patient and one carrier.
class ClaimLookupTest : public ClaimDialogTest {
protected:
    void SetUp() override {
        ClaimDialogTest::SetUp();
        registerLookupLists();
        TBitmap signature;
        signature.SetSize(200, 60);
        signature.Canvas()->Brush()->SetColor(clBlack);
        signature.Canvas()->FillRect(Rect(10, 10, 190, 50));
        signature.SaveToFile(files.file("smith.bmp"));
        ebill_test::writeFile(files.file("junk.bmp"), "no picture here");
        const std::string dir = folder();
        CompanyFixture::AppendRows(dir, "DiagCode.dbf",
                                   {{{"ID", "367.1"}, {"DESC", "Myopia"}},
                                    {{"ID", "367.4"}, {"DESC", "Presbyopia"}},
                                    {{"ID", "365.11"}, {"DESC", "Open-angle glaucoma"}}});
        CompanyFixture::AppendRows(
            dir, "Personne.dbf",
            {{{"ID", "1"}, {"RECNAME", "SMITH JOHN"}, {"NAME", "John Smith OD"}, {"SIGFILE", files.file("smith.bmp")}},
             {{"ID", "2"}, {"RECNAME", "JONES AMY"}, {"NAME", "Amy Jones OD"}},
             {{"ID", "3"}, {"RECNAME", "BROWN BOB"}, {"NAME", "Bob Brown"}, {"SIGFILE", files.file("gone.bmp")}},
             {{"ID", "4"}, {"RECNAME", "GRAY ANN"}, {"NAME", "Ann Gray"},
              {"SIGFILE", files.file("junk.bmp")}}});
        CompanyFixture::AppendRows(dir, "CptCode.dbf",
                                   {{{"ID", "92004"}, {"CATEGORY", "Exam"}, {"DESC", "Comprehensive exam"}},
                                    {{"ID", "92015"}, {"CATEGORY", "Exam"}, {"DESC", "Refraction"}}});
        CompanyFixture::AppendRows(dir, "Patient.dbf",
                                   {{{"ID", "40"}, {"RECNAME", "BAKER ANN"}, {"HCFAPNAME", "BAKER, ANN M"},
                                     {"HCFAPCITY", "Lynn"}, {"SEX", "Female"}}});
        CompanyFixture::AppendRows(dir, "InsComp.dbf",
                                   {{{"ID", "1"}, {"NAME", "Blue Lake Mutual"}, {"ADDR", "1 Shore Drive"},
                                     {"CITY", "Madison"}, {"STATE", "WI"}, {"ZIP", "53703"}}});
    }
    // Sets claim fields and stores them, as another window would have.
    void store(std::initializer_list<std::pair<std::string, std::string>> Values) {
        claim()->First();
        claim()->Edit();
        for (const auto& [field, value] : Values)
            claim()->FieldByName(field)->SetAsString(value);
        claim()->Post();
    }
    std::string text(const char* Field) { return Trim(claim()->FieldByName(Field)->AsString()); }
    template <class T>
    T* shownForm(const std::string& ClassName) {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->ClassName() == ClassName && Screen->Forms(i)->Visible())
                return dynamic_cast<T*>(Screen->Forms(i));
        return nullptr;
    }

    TempDir files;
};

TEST_F(ClaimLookupTest, TheDiagnosisWindowIsOneWindowShowingTheCodes) {
    open(2);
    store({{"DIAG1", "367.1"}, {"DIAG2", "365.11"}, {"DIAG4", "999.9"}});
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->DiagnosisLabels[0]->Caption(), "Myopia");
    EXPECT_EQ(dlg->DiagnosisLabels[1]->Caption(), "Open-angle glaucoma");
    EXPECT_EQ(dlg->DiagnosisLabels[2]->Caption(), "") << "no code";
    EXPECT_EQ(dlg->DiagnosisLabels[3]->Caption(), "") << "a code the table lacks";

    dlg->Button1->Click();
    TDiagnosisDlg* window = dlg->DiagnosisDlg;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Caption(), "Diagnosis");
    EXPECT_TRUE(window->Visible());
    EXPECT_EQ(window->DiagnosisLabels[0]->Caption(), "Myopia");
    EXPECT_EQ(window->DiagnosisLabels[1]->Caption(), "Open-angle glaucoma");
    EXPECT_EQ(window->Diagnosis[0]->Text(), "367.1");
    EXPECT_FALSE(window->Diagnosis[0]->ReadOnly());
    EXPECT_TRUE(window->Diagnosis[3]->ReadOnly());
    if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
        renderToPng(window, std::string(keep) + "/diagnosis.png");

    // A code chosen in either window shows its description in both.
    claim()->FieldByName("DIAG3")->SetAsString("367.4");
    EXPECT_EQ(window->DiagnosisLabels[2]->Caption(), "Presbyopia");
    EXPECT_EQ(dlg->DiagnosisLabels[2]->Caption(), "Presbyopia");
    claim()->FieldByName("DIAG1")->SetAsString("");
    EXPECT_EQ(window->DiagnosisLabels[0]->Caption(), "");

    // Asked again, the open window comes forward; closed, the next is new.
    dlg->Button1->Click();
    EXPECT_EQ(dlg->DiagnosisDlg, window);
    window->Close();
    Application->ProcessMessages();
    EXPECT_EQ(dlg->DiagnosisDlg, nullptr);
    dlg->Button1->Click();
    ASSERT_NE(dlg->DiagnosisDlg, nullptr);
    EXPECT_EQ(dlg->DiagnosisDlg->DiagnosisLabels[2]->Caption(), "Presbyopia");
    // The window goes with the claim dialog.
    dlg->Close();
    Application->ProcessMessages();
    EXPECT_EQ(shownForm<TDiagnosisDlg>("TDiagnosisDlg"), nullptr);
}

TEST_F(ClaimLookupTest, ShowingAClaimKeepsItsSignerAndDate) {
    open(2);
    store({{"BILLSIGRN", "JONES AMY"}, {"BILLSIGNAM", "A. Jones"}, {"BILLSIGIMG", files.file("smith.bmp")}});
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    dlg->PageControl1->SetActivePage(dlg->Pages[6]);
    Application->ProcessMessages();
    EXPECT_EQ(dlg->qmDBLookupCombo2->Text(), "JONES AMY");
    EXPECT_EQ(text("BILLSIGNAM"), "A. Jones");
    EXPECT_EQ(claim()->FieldByName("BILLSIGDAT")->AsDateTime(), EncodeDate(2026, 1, 7));
    EXPECT_EQ(dlg->SignatureLabel->Caption(), "A. Jones");
    EXPECT_TRUE(dlg->SignatureImage->Visible());

    // A signer typed in is chosen when the box is left.
    dlg->Show();
    dlg->qmDBLookupCombo2->SetFocus();
    dlg->qmDBLookupCombo2->SetText("BROWN BOB");
    EXPECT_EQ(text("BILLSIGNAM"), "A. Jones") << "not while typing";
    dlg->OKBitBtn->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(text("BILLSIGRN"), "BROWN BOB");
    EXPECT_EQ(text("BILLSIGNAM"), "Bob Brown");
    EXPECT_EQ(claim()->FieldByName("BILLSIGDAT")->AsDateTime(), EncodeDate(2026, 3, 9));
    EXPECT_FALSE(dlg->SignatureImage->Visible());
    dlg->Close();
    Application->ProcessMessages();
}

TEST_F(ClaimLookupTest, ChoosingASignerFillsTheSignature) {
    struct Case {
        const char* Signer;
        const char* Name;
        std::string File;
        bool Picture;
    };
    const Case cases[] = {
        {"SMITH JOHN", "John Smith OD", files.file("smith.bmp"), true},
        {"JONES AMY", "Amy Jones OD", "", false},                        // no file on record
        {"BROWN BOB", "Bob Brown", files.file("gone.bmp"), false},        // the file is gone
        {"GRAY ANN", "Ann Gray", files.file("junk.bmp"), false},  // no picture in it
    };
    open(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Signer);
        TInsuranceClaimDlg* dlg = openDialog();
        ASSERT_NE(dlg, nullptr);
        dlg->Show();
        dlg->PageControl1->SetActivePage(dlg->Pages[6]);
        Application->ProcessMessages();
        module->PersonnelTable->SetIndexName("ID");
        TQmDBLookupCombo* combo = dlg->qmDBLookupCombo2;
        combo->SetFocus();
        EXPECT_EQ(module->PersonnelTable->IndexName(), "RecName") << "the page's signer list goes by name";
        // Pick the signer's row in the drop-down list.
        combo->SendKey(VK_DOWN, {ssAlt});
        ASSERT_TRUE(combo->DroppedDown());
        for (int i = 0; i < 4 && Trim(module->PersonnelTable->FieldByName("RECNAME")->AsString()) != c.Signer; ++i)
            combo->SendKey(VK_DOWN);
        for (int i = 0; i < 4 && Trim(module->PersonnelTable->FieldByName("RECNAME")->AsString()) != c.Signer; ++i)
            combo->SendKey(VK_UP);
        combo->SendKey(VK_RETURN);
        EXPECT_EQ(text("BILLSIGRN"), c.Signer);
        EXPECT_EQ(text("BILLSIGNAM"), c.Name);
        EXPECT_EQ(text("BILLSIGIMG"), c.File);
        EXPECT_EQ(claim()->FieldByName("BILLSIGDAT")->AsDateTime(), EncodeDate(2026, 3, 9));
        EXPECT_EQ(dlg->SignatureLabel->Caption(), c.Name);
        EXPECT_EQ(dlg->SignatureImage->Visible(), c.Picture);
        if (c.Picture)
            if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
                renderToPng(dlg, std::string(keep) + "/claim_signer.png");
        dlg->Close();
        Application->ProcessMessages();
        EXPECT_EQ(text("BILLSIGNAM"), c.Name) << "stored";
    }
}

TEST_F(ClaimLookupTest, ThePatientAndCarrierListsCopyIntoTheOpenClaim) {
    open(2);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    dlg->BitBtn2->Click();
    auto* patients = shownForm<TLookupListForm>("TPatientLookupList4");
    ASSERT_NE(patients, nullptr) << "shown without waiting";
    EXPECT_EQ(patients->Caption(), "Patient Lookup");
    patients->SelectButtonClick(patients);
    Application->ProcessMessages();
    EXPECT_EQ(text("PAT_NAME"), "BAKER, ANN M");
    EXPECT_EQ(text("PAT_CITY"), "Lynn");

    dlg->BitBtn3->Click();
    auto* carriers = shownForm<TLookupListForm>("TInsCompLookupList1");
    ASSERT_NE(carriers, nullptr);
    EXPECT_EQ(carriers->Caption(), "Insurance Companies");
    carriers->SelectButtonClick(carriers);
    Application->ProcessMessages();
    EXPECT_EQ(text("CAR_NAME"), "Blue Lake Mutual");
    EXPECT_EQ(text("CAR_STATE"), "WI");
    dlg->Close();
    Application->ProcessMessages();
    // Stored with the claim.
    claim()->First();
    EXPECT_EQ(text("PAT_NAME"), "BAKER, ANN M");
    EXPECT_EQ(text("CAR_CITY"), "Madison");

    // A list still open when the dialog closes goes with it.
    dlg = openDialog();
    dlg->BitBtn3->Click();
    ASSERT_NE(shownForm<TLookupListForm>("TInsCompLookupList1"), nullptr);
    dlg->Close();
    Application->ProcessMessages();
    EXPECT_EQ(shownForm<TLookupListForm>("TInsCompLookupList1"), nullptr);
}

TEST_F(ClaimLookupTest, TheEBillMarkerFollowsTheEBilledDate) {
    open(2);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->EbilledLED->Brush()->Color(), clRed);
    claim()->FieldByName("EBILLED")->SetAsDateTime(EncodeDate(2026, 3, 2));
    EXPECT_EQ(dlg->EbilledLED->Brush()->Color(), clLime);
    claim()->FieldByName("EBILLED")->Clear();
    EXPECT_EQ(dlg->EbilledLED->Brush()->Color(), clRed);
    dlg->Close();
    Application->ProcessMessages();
}

TEST_F(ClaimLookupTest, CancelDropsTheClaimsEditsButKeepsTotalsOfTheRows) {
    open(2);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(dlg->CancelBitBtn->Visible());
    claim()->FieldByName("PAT_NAME")->SetAsString("Changed, Name");
    rows()->First();
    rows()->FieldByName("CHARGE")->SetText("20.00");
    rows()->Post();
    dlg->CancelBitBtnClick(dlg->CancelBitBtn);
    Application->ProcessMessages();
    claim()->First();
    EXPECT_EQ(text("PAT_NAME"), "Doe, Jane Q");
    // 20.00 - 5.00 over the stored rows.
    EXPECT_DOUBLE_EQ(money("TOTAL"), 15.00);
    EXPECT_DOUBLE_EQ(money("BALANCE"), 15.00);
}

TEST_F(ClaimLookupTest, TheServicesGridLooksUpCptCodes) {
    open(2);
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    dlg->Show();
    dlg->PageControl1->SetActivePage(dlg->Pages[5]);
    Application->ProcessMessages();
    TQmDBGrid* grid = dlg->qmDBGrid1;
    grid->SetFocus();
    rows()->First();
    grid->SetSelectedIndex(4);
    ASSERT_EQ(grid->GetSelectedField()->FieldName(), "CPTCODE");
    renderControl(dlg);  // places the combo over the cell
    EXPECT_EQ(grid->EmbeddedControl(), dlg->CPTCodeDBLookupCombo);
    TQmDBLookupCombo* combo = dlg->CPTCodeDBLookupCombo;
    EXPECT_EQ(combo->Text(), "92004");
    combo->SendKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(combo->DroppedDown());
    combo->SendKey(VK_DOWN);
    combo->SendKey(VK_RETURN);
    EXPECT_EQ(Trim(rows()->FieldByName("CPTCODE")->AsString()), "92015");
    // The charges and units as the grid shows them: blank for nothing.
    EXPECT_EQ(grid->cellText(8, 1), "12.50");
    rows()->Next();
    rows()->Next();
    EXPECT_EQ(rows()->FieldByName("CHARGE")->DisplayText(), "");
    if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
        renderToPng(dlg, std::string(keep) + "/claim_services_cpt.png");
    dlg->Close();
    Application->ProcessMessages();
    EXPECT_EQ(rows()->FieldByName("CPTCODE")->AsString().substr(0, 5), "92015");
}

TEST_F(ClaimLookupTest, TextThatDoesNotConvertIsRefusedAndTheFieldKept) {
    struct Case {
        const char* Column;
        const char* Text;
        int Page;
    };
    const Case cases[] = {{"PAID", "1.2.3", 5}, {"PAT_BIRTH", "13/45/1975", 0}, {"OUTLABCHGS", "ten", 7}};
    open(2);
    store({{"OUTSIDELAB", "True"}});
    TInsuranceClaimDlg* dlg = openDialog();
    ASSERT_NE(dlg, nullptr);
    dlg->Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Column);
        const std::string before = claim()->FieldByName(c.Column)->AsString();
        dlg->PageControl1->SetActivePage(dlg->Pages[size_t(c.Page)]);
        Application->ProcessMessages();
        TCustomEdit* box = nullptr;
        for (int i = 0; i < dlg->ComponentCount() && !box; ++i) {
            auto* edit = dynamic_cast<TDBEdit*>(dlg->Components(i));
            auto* date = dynamic_cast<TDBKingDlg*>(dlg->Components(i));
            if (edit && edit->DataField() == c.Column)
                box = edit;
            else if (date && date->DataField() == c.Column)
                box = date;
        }
        ASSERT_NE(box, nullptr);
        box->SetFocus();
        box->SetText(c.Text);
        TDialogScript script;
        script.Answer(mrOk);
        std::string refusal;
        try {
            dlg->OKBitBtn->SetFocus();
            Application->ProcessMessages();
        } catch (const Exception& e) {
            refusal = e.what();
        }
        if (refusal.empty() && !script.Shown().empty())
            refusal = script.Shown()[0].Text;
        EXPECT_NE(refusal.find("is not a valid"), std::string::npos) << refusal;
        EXPECT_EQ(claim()->FieldByName(c.Column)->AsString(), before);
        EXPECT_EQ(box->Text(), c.Text) << "the text stays to be corrected";
        box->SetText(claim()->FieldByName(c.Column)->Text());
        dlg->OKBitBtn->SetFocus();
        Application->ProcessMessages();
    }
    claim()->Cancel();
    dlg->Close();
    Application->ProcessMessages();
}

}  // namespace
