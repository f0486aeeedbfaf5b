// The printed deposit record, from the deposit window's Print button to the
// PDF printer: read back as text (pdftotext -layout) and as a picture of the
// page (kept for a look in QM_TEST_PICTURES).
#include "DepositFixture.h"

#include "app/Settings.h"
#include "reporting/RSDevice.h"
#include "reporting/RSSystem.h"
#include "sales/DepositForm.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/DBCtrls.h"

namespace {

class DepositRecordTest : public DepositTest {
protected:
    void SetUp() override {
        DepositTest::SetUp();
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
        TSettingsFile settings = CompanyIni::File(company.DataDirectory());
        settings.Write(CompanyIni::BankAccountNo, "0042-7781");
        settings.Write(CompanyIni::ReceiptName, "Clearview Optical");
        settings.Write(CompanyIni::ReceiptAddress1, "12 Main Street");
        settings.Write(CompanyIni::ReceiptAddress2, "");
        settings.Write(CompanyIni::ReceiptCity, "Springfield");
        settings.Write(CompanyIni::ReceiptState, "IL");
        settings.Write(CompanyIni::ReceiptZip, "62701");
        settings.Write(CompanyIni::ReceiptPhone, "(217) 555-0100");
    }
    void TearDown() override {
        windowDocument = nullptr;
        form.reset();
        DepositTest::TearDown();
    }
    // The window's deposit saved with the items of Payments ticked.
    void saveDeposit(const std::vector<std::string>& Payments) {
        form = std::make_unique<TDepositForm>(nullptr);
        windowDocument = &form->Document();
        for (const std::string& p : Payments)
            tick(p);
        ASSERT_TRUE(form->Document().SaveDeposit());
        form->OpenDeposit();
    }
    // Print pressed, the record going to a PDF file; its text, laid out.
    std::string print(const std::string& Name) {
        const std::string pdf = dir.file(Name + ".pdf");
        form->ReportSystem1->SetSystemSetups({});
        form->ReportSystem1->SetDefaultDest(rdFile);
        form->ReportSystem1->SetOutputFileName(pdf);
        form->PrintBtn->Click();
        EXPECT_EQ(PdfPageCount(pdf), 1);
        const QImage page = RenderPdfPage(pdf, 1, 100);
        EXPECT_FALSE(page.isNull());
        KeepPicture(page, Name);
        return RunTool("pdftotext", {"-layout", pdf, "-"});
    }
    static bool has(const std::string& Text, const std::string& Part) {
        return Text.find(Part) != std::string::npos;
    }
    // The words of the line that holds Label, blanks collapsed.
    static std::string lineOf(const std::string& Text, const std::string& Label) {
        const size_t at = Text.find(Label);
        if (at == std::string::npos)
            return "";
        const size_t start = Text.rfind('\n', at) + 1;
        const std::string line = Text.substr(start, Text.find('\n', at) - start);
        std::string words;
        for (char c : line)
            if (c != ' ' || (!words.empty() && words.back() != ' '))
                words += c;
        while (!words.empty() && words.back() == ' ')
            words.pop_back();
        return words;
    }

    TempDir dir;
    std::unique_ptr<TDepositForm> form;
};

TEST_F(DepositRecordTest, ACashOnlyDepositListsNoLinesAndTotalsCurrencyAndCoins) {
    const std::string cash = paidReceipt("7", "1234.50", "Cash");
    form = std::make_unique<TDepositForm>(nullptr);
    windowDocument = &form->Document();
    tick(cash);
    typeCoins("4.50");
    ASSERT_TRUE(form->Document().SaveDeposit());
    form->OpenDeposit();
    const std::string id = form->Document().SelectedDepositID();
    const std::string text = print("deposit-record-cash");

    EXPECT_TRUE(has(text, "Deposit Record")) << text;
    EXPECT_TRUE(has(text, "Acct: 0042-7781"));
    EXPECT_TRUE(has(text, FormatDateTime("m/d/yyyy", Date())));
    EXPECT_TRUE(has(text, "Clearview Optical"));
    EXPECT_TRUE(has(text, "Springfield, IL 62701"));
    EXPECT_EQ(lineOf(text, "Currency"), "Currency 1,230.00");
    EXPECT_EQ(lineOf(text, "Coins"), "Coins 4.50");
    EXPECT_EQ(lineOf(text, "Total Checks"), "Total Checks 0.00");
    EXPECT_EQ(lineOf(text, "Total Deposit"), "Total Deposit 1,234.50");
    EXPECT_FALSE(has(text, "Pat 7")) << "cash is never listed";
    EXPECT_NE(id, "");
}

TEST_F(DepositRecordTest, ChecksAreListedUnderTheCashAndAddedToTheTotal) {
    const std::string cash = paidReceipt("7", "60.00", "Cash");
    const std::string check = paidReceipt("7", "40.00", "Check", "1042");
    const std::string other = paidReceipt("8", "125.25", "Check", "88");
    saveDeposit({cash, check, other});
    const std::string text = print("deposit-record-checks");
    EXPECT_EQ(lineOf(text, "1042"), "Pat 7 1042 40.00") << text;
    EXPECT_EQ(lineOf(text, "88 "), "Pat 8 88 125.25");
    EXPECT_EQ(lineOf(text, "Total Checks"), "Total Checks 165.25");
    EXPECT_EQ(lineOf(text, "Total Deposit"), "Total Deposit 225.25");
}

TEST_F(DepositRecordTest, AChargesDepositPrintsItsBatchAndNoCurrencyOrCoins) {
    const std::string card = paidReceipt("7", "25.00", "Charge", "AP77");
    const std::string second = paidReceipt("8", "75.00", "Charge", "AP78");
    form = std::make_unique<TDepositForm>(nullptr);
    windowDocument = &form->Document();
    form->TypeDepositRadioGroup->SetItemIndex(TDepositDocument::Charges);
    module->Temp5Table->Edit();
    module->Temp5Table->FieldByName("BatchNo")->SetAsString("B-311");
    module->Temp5Table->Post();
    tick(card);
    tick(second);
    ASSERT_TRUE(form->Document().SaveDeposit());
    form->OpenDeposit();
    const std::string text = print("deposit-record-charges");
    EXPECT_TRUE(has(text, "Batch# B-311")) << text;
    EXPECT_FALSE(has(text, "Currency"));
    EXPECT_FALSE(has(text, "Coins"));
    EXPECT_EQ(lineOf(text, "AP77"), "Pat 7 AP77 25.00");
    EXPECT_EQ(lineOf(text, "Total Charges"), "Total Charges 100.00");
    EXPECT_EQ(lineOf(text, "Total Deposit"), "Total Deposit 100.00");
}

}  // namespace
