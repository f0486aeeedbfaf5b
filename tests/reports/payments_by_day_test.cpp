// Payments By Day: the program project's "Pmt_Report" over the shared
// payment table narrowed to the range and to rows with a tender, and the
// payment table as the payment list left it once the run is over.
#include <gtest/gtest.h>

#include <memory>

#include "ReportRun.h"
#include "app/ProgramReportProject.h"
#include "app/StoredProject.h"
#include "reporting/RSDevice.h"
#include "reporting/project/RSDuzu.h"
#include "reporting/RSPrinter.h"
#include "reports/PaymentsByDay.h"
#include "support/PageImages.h"
#include "ui/DialogResponder.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

namespace {

// The main form's project, printing straight to a PDF file.
class PaymentsByDayTest : public ReportFormTest {
protected:
    void SetUp() override {
        ReportFormTest::SetUp();
        loadStoredProject(project);
        engine.SetDevice(&device);
        project.SetEngine(&engine);
        setProgramReportProject(&project);
    }
    void TearDown() override {
        setProgramReportProject(nullptr);
        ReportFormTest::TearDown();
    }
    std::string print(const std::string& From, const std::string& Thru, const std::string& Name) {
        const std::string pdf = ReportOutputFile(Name);
        engine.SetOutputFileName(pdf);
        auto* f = open<TPaymentsByDayReport>();
        f->FromKingDateDialog->SetText(From);
        f->ThruKingDateDialog->SetText(Thru);
        f->BitBtn1->Click();
        const QImage first = RenderPdfPage(pdf, 1, 100);
        std::string png = pdf;
        png.replace(png.size() - 4, 4, ".png");
        first.save(QString::fromStdString(png));
        return PdfText(pdf);
    }

    TRSDevice device{{pdfPrinter()}, "PDF"};
    TDazedeVedodev engine{nullptr};
    TDuzuProject project{nullptr};
};

}  // namespace

TEST_F(PaymentsByDayTest, ThePaymentsOfTheRangeWithTheirTotal) {
    const std::string text = print("03/15/2024", "03/15/2024", "payments_by_day.pdf");
    for (const char* expected : {"Payment On Account", "03/15/2024 thru 03/15/2024", "Adams, 1", "Baker, 2", "CASH",
                                 "CHECK", "Charge", "100.00", "74.00", "20.00", "$194.00"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

TEST_F(PaymentsByDayTest, AnEmptyRangePrintsNoPayment) {
    const std::string text = print("03/14/2024", "03/14/2024", "payments_by_day_empty.pdf");
    EXPECT_NE(text.find("Payment On Account"), std::string::npos) << text;
    EXPECT_EQ(text.find("CASH"), std::string::npos) << text;
}

TEST_F(PaymentsByDayTest, ThePaymentListKeepsItsOrderFilterAndRecord) {
    TTable& payments = *module->PaymentTable;
    TXbase& xbase = *module->PaymentXbase;
    const std::string index = payments.IndexName();
    xbase.SetFilter("amount > 50");
    payments.First();
    payments.Next();
    const int record = xbase.RecNo();
    print("03/15/2024", "03/15/2024", "payments_by_day_restore.pdf");
    EXPECT_EQ(payments.IndexName(), index);
    EXPECT_EQ(xbase.Filter(), "amount > 50");
    std::string low, high;
    xbase.GetScope(XB_SCOPE_LOW, low);
    xbase.GetScope(XB_SCOPE_HIGH, high);
    EXPECT_EQ(low + high, "");
    EXPECT_EQ(xbase.RecNo(), record);
    EXPECT_EQ(xbase.Count(), 2);  // payments 1 and 2 pass the list's own filter
}

TEST_F(PaymentsByDayTest, AFailedRunStillPutsThePaymentTableBack) {
    TTable& payments = *module->PaymentTable;
    TXbase& xbase = *module->PaymentXbase;
    const std::string index = payments.IndexName();
    xbase.SetFilter("amount > 50");
    payments.Last();
    const int record = xbase.RecNo();
    engine.SetOutputFileName(ReportOutputFile("no-such-folder/payments.pdf"));
    auto* f = open<TPaymentsByDayReport>();
    f->FromKingDateDialog->SetText("03/15/2024");
    f->ThruKingDateDialog->SetText("03/15/2024");
    bool failed = false;
    TDialogScript script;
    try {
        f->BitBtn1->Click();
    } catch (const std::exception&) {
        failed = true;
    }
    EXPECT_TRUE(failed || !script.Shown().empty()) << "the run should have failed";
    EXPECT_EQ(payments.IndexName(), index);
    EXPECT_EQ(xbase.Filter(), "amount > 50");
    EXPECT_EQ(xbase.RecNo(), record);
}
