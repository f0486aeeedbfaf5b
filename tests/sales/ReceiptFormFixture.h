#pragma once
// The receipt window on the money fixture company: made and shown as the
// menu shows it, with the helpers that act as the user would (choose a
// patient from the list, fill a line in the grid's cells) and the window's
// pictures written for a person to look at.
#include <QImage>

#include <string>

#include "MoneyFixture.h"
#include "app/LookupList.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "xbase/Xbase.h"
#include "app/FormOpener.h"
#include "reporting/RSDevice.h"
#include "reporting/RSSetFrm.h"
#include "sales/ReceiptForm.h"
#include "support/CompanyFixture.h"
#include "support/PageImages.h"
#include "ui/DialogResponder.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

class ReceiptFormTest : public MoneyTest {
protected:
    void SetUp() override {
        MoneyTest::SetUp();
        // Patient 7 has exams 1, 2 and 7; patient 8 exam 3.
        withModuleClosed([&] {
            CompanyFixture::AppendRows(company.DataDirectory(), "Incident.dbf",
                                       {{{"ACCOUNT", "7"}, {"ID", "1"}},
                                        {{"ACCOUNT", "7"}, {"ID", "2"}},
                                        {{"ACCOUNT", "7"}, {"ID", "7"}},
                                        {{"ACCOUNT", "8"}, {"ID", "3"}}});
        });
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
        openForm();
    }
    void TearDown() override {
        delete form;
        form = nullptr;
        MoneyTest::TearDown();
    }
    // Prints with the Print button, the setup window answered with OK on
    // the PDF printer; the PDF written.
    std::string printReceipt() {
        TDialogScript script;
        script.Answer([](TForm& Setup) { dynamic_cast<TRSSetupForm&>(Setup).OKBB->Click(); });
        form->PrintBitBtn->Click();
        return GlobalReportDevice()->LastOutputFile();
    }
    void openForm() {
        form = new TReceiptForm(nullptr);
        form->Show();
        Application->ProcessMessages();
    }

    // The patient list answers with the patient whose ID is Patient.
    static std::function<void(TForm&)> pickPatient(const std::string& Patient) {
        return [Patient](TForm& Form) {
            auto& list = dynamic_cast<TLookupListForm&>(Form);
            TTable* patients = list.Table();
            for (patients->First(); !patients->Eof(); patients->Next())
                if (Trim(patients->FieldByName("ID")->AsString()) == Patient)
                    break;
            list.SelectButton->Click();
        };
    }
    void choosePatient(const std::string& Patient) {
        TDialogScript script;
        script.Answer(pickPatient(Patient));
        form->AccountBitBtnClick(form);
        ASSERT_EQ(script.Unanswered(), 0u);
    }
    // Fills the current line as the cells would: the code through the item
    // cell's rule, then quantity and price when given, then Enter.
    void fillLine(const std::string& Code, const std::string& Qty = "", const std::string& Price = "") {
        TTable* temp2 = module->Temp2Table;
        form->ItemQmDBLookupCombo->SetText(Code);
        form->ItemQmDBLookupComboExit(form);
        if (temp2->State() != dsEdit && temp2->State() != dsInsert)
            temp2->Edit();
        if (!Qty.empty())
            temp2->FieldByName("Qty")->SetAsString(Qty);
        if (!Price.empty())
            temp2->FieldByName("Price")->SetAsString(Price);
        form->CalcCost();
    }
    void newLine() {
        module->Temp2Table->Append();
    }
    std::string shown(TLabel* Label) { return Trim(Label->Caption()); }

    void keepPicture(const std::string& Name) {
        const QImage picture = renderControl(form);
        ASSERT_FALSE(picture.isNull());
        KeepPicture(picture, Name);
    }

    TReceiptForm* form = nullptr;
};
