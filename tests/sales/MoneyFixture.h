#pragma once
// A data module on the money fixture company, with a receipt document on it,
// and the helpers of the money stories: filling receipt lines in the scratch
// tables as the receipt window does, and the books checker after each step.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/DataModule.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "sales/ReceiptDocument.h"
#include "support/BooksChecker.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

class MoneyTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        CompanyFixture::AddMoneyFixture(company.DataDirectory());
        openCompany();
    }
    void TearDown() override {
        closeCompany();
    }
    void openCompany() {
        module = std::make_unique<TDataModule1>(nullptr, nullptr);
        DataModule1 = module.get();
        module->ChangeDataDirectory(company.DataDirectory());
        receipt = std::make_unique<TReceiptDocument>(*module, *Cents::TaxRate::fromPercentText("5"));
    }
    void closeCompany() {
        receipt.reset();
        module.reset();
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
    }
    // Runs Body on the company's files while no module has them open.
    template <class Body>
    void withModuleClosed(Body body) {
        module->CloseFiles();
        closeCompany();
        body();
        openCompany();
    }

    struct Line {
        std::string code, qty, price;
        bool taxed;
        std::string labType = "";
    };
    // A new receipt for Patient with Lines, as the window fills temp1 and temp2.
    void newReceipt(const std::string& Patient, std::initializer_list<Line> Lines) {
        ASSERT_TRUE(receipt->CreateNewReceipt(EncodeDate(2026, 3, 2)));
        TTable* temp1 = module->Temp1Table;
        temp1->Edit();
        temp1->FieldByName("PatID")->SetAsString(Patient);
        temp1->FieldByName("Name")->SetAsString("Patient " + Patient);
        temp1->FieldByName("Terms")->SetAsString("30");
        temp1->Post();
        bool first = true;
        for (const Line& l : Lines) {
            if (!first)
                module->Temp2Table->Append();
            first = false;
            setLine(l);
        }
    }
    // Writes the current temp2 line.
    void setLine(const Line& l) {
        TTable* temp2 = module->Temp2Table;
        temp2->Edit();
        temp2->FieldByName("Code")->SetAsString(l.code);
        temp2->FieldByName("Qty")->SetAsString(l.qty);
        temp2->FieldByName("Price")->SetAsString(l.price);
        temp2->FieldByName("Tax")->SetAsBoolean(l.taxed);
        temp2->FieldByName("TYPE")->SetAsString(l.labType);
        temp2->Post();
    }
    // The line numbered n (1 first) of temp2 becomes the current one.
    void goLine(int n) {
        module->Temp2Table->First();
        for (int i = 1; i < n; ++i)
            module->Temp2Table->Next();
    }

    std::vector<std::string> broken() { return BooksChecker::Check(company.DataDirectory(), stockStart); }
    BooksChecker::TSnapshot snapshot() { return BooksChecker::Snapshot(company.DataDirectory()); }
    Currency figure(const std::string& Name) { return snapshot().Figures[Name]; }

    TestCompany company;
    std::unique_ptr<TDataModule1> module;
    std::unique_ptr<TReceiptDocument> receipt;
    BooksChecker::StockStart stockStart{{"LENS1", Currency(10)}};
};
