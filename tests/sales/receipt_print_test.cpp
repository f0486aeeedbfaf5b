// The printed receipt, printed from the receipt window through the report
// engine to the PDF printer and read back with pdftotext and pdftoppm: the
// page breaks after ten lines, the totals with the payments applied, the
// letterhead and message from the settings, the copies, the file it makes in
// the print folder, and the same receipt on a real CUPS printer.
#include "ReceiptFormFixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include "app/MultiLineSetting.h"
#include "app/Settings.h"
#include "support/CupsServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/PrinterDrivers.h"

namespace {

class ReceiptPrintTest : public ReceiptFormTest {
protected:
    void SetUp() override {
        ReceiptFormTest::SetUp();
        delete form;
        form = nullptr;
        TSettingsFile ini = CompanyIni::File(company.DataDirectory());
        ini.Write(CompanyIni::ReceiptName, "Quenmark Optical");
        ini.Write(CompanyIni::ReceiptAddress1, "12 Main Street");
        ini.Write(CompanyIni::ReceiptCity, "Springfield");
        ini.Write(CompanyIni::ReceiptState, "IL");
        ini.Write(CompanyIni::ReceiptZip, "62701");
        ini.Write(CompanyIni::ReceiptPhone, "(217) 555-0100");
        MultiLineSetting::Write(ini, CompanyIni::ReceiptMessage, "Thank you for your visit.\r\nSee you next year.");
        openForm();
    }

    // A receipt for patient 7 with Lines lines: frames (taxed) and exams
    // (untaxed, quantity left blank) in turn.
    void receiptOf(int Lines) {
        choosePatient("7");
        for (int i = 0; i < Lines; ++i) {
            if (i > 0)
                newLine();
            if (i % 2 == 0)
                fillLine("FRAME1", "1");
            else
                fillLine("EXAM");
        }
    }
    std::string print() { return printReceipt(); }
    static std::string pageText(const std::string& File, int Page) {
        const std::string page = std::to_string(Page);
        return RunTool("pdftotext", {"-layout", "-f", page, "-l", page, File, "-"});
    }
    static bool has(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }
};

TEST_F(ReceiptPrintTest, ThreeLinesPrintOnePageWithLetterheadTotalsAndMessage) {
    EXPECT_EQ(form->ReceiptMessageMemo->Text(), "Thank you for your visit.\r\nSee you next year.");
    receiptOf(3);
    const std::string file = print();
    ASSERT_EQ(PdfPageCount(file), 1);
    const std::string text = pageText(file, 1);
    for (const char* part : {"Patient", "Pat Seven", "Quenmark Optical", "12 Main Street", "Springfield, IL 62701",
                             "(217) 555-0100", "Receipt", "Date", "Page 1", "Qty", "Item/Code", "Description",
                             "Fee/Price", "Amount", "FRAME1", "EXAM", "Eye exam", "$100.00", "$50.00", "Subtotal",
                             "$250.00", "Sales Tax", "$10.00", "Total", "$260.00", "Payments", "$0.00",
                             "Balance this Receipt", "Thank you for your visit.", "See you next year."})
        EXPECT_TRUE(has(text, part)) << part << "\n" << text;
    EXPECT_FALSE(has(text, "Continued on Page"));
    // A taxed line is marked "T"; the exam, left without a quantity, is sold,
    // stored and printed as one.
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (has(line, "FRAME1"))
            EXPECT_TRUE(line.back() == 'T' && Trim(line).front() == '1') << line;
        if (has(line, "EXAM"))
            EXPECT_TRUE(line.back() != 'T' && Trim(line).rfind("1 ", 0) == 0) << line;
    }
    EXPECT_FALSE(module->ReceiptChanged);
    EXPECT_EQ(broken(), std::vector<std::string>{}) << "printing saved the receipt first";
    KeepPicture(RenderPdfPage(file, 1, 100), "receipt-print-3-lines");
}

TEST_F(ReceiptPrintTest, TenLinesPerPageThenContinuedWithTheTotalsWhereTheLinesEnd) {
    struct Case {
        int lines;
        bool totalsAlone;
    };
    for (const Case c : {Case{10, true}, Case{12, false}}) {
        SCOPED_TRACE(c.lines);
        form->NewBitBtnClick(form);
        receiptOf(c.lines);
        const std::string file = print();
        ASSERT_EQ(PdfPageCount(file), 2);
        const std::string first = pageText(file, 1), second = pageText(file, 2);
        EXPECT_TRUE(has(first, "Page 1"));
        EXPECT_TRUE(has(first, "Continued on Page 2"));
        EXPECT_FALSE(has(first, "Subtotal"));
        EXPECT_TRUE(has(second, "Subtotal"));
        EXPECT_TRUE(has(second, "Balance this Receipt"));
        EXPECT_EQ(has(second, "Patient"), !c.totalsAlone);
        EXPECT_EQ(has(second, "Page 2"), !c.totalsAlone);
        EXPECT_EQ(has(second, "FRAME1"), !c.totalsAlone);
        KeepPicture(RenderPdfPage(file, 2, 100), "receipt-print-" + std::to_string(c.lines) + "-lines-page-2");
    }
}

TEST_F(ReceiptPrintTest, PaymentsAppliedAndCopiesFromTheSettings) {
    receiptOf(3);
    ASSERT_TRUE(form->SaveReceipt());
    const std::string number = form->Document().ReceiptNumber();
    withModuleClosed([&] {
        CompanyFixture::AppendRows(company.DataDirectory(), "PymtDtl.dbf",
                                   {{{"PAYMENTID", "1"}, {"RECEIPT", number}, {"PAYMENT", "60.00"}}});
        CompanyIni::File(company.DataDirectory()).Write(CompanyIni::ReceiptCopies, "3");
    });
    delete form;
    openForm();
    ASSERT_TRUE(form->OpenReceipt(number));
    const std::string file = print();
    ASSERT_EQ(PdfPageCount(file), 3) << "three copies";
    for (int page = 1; page <= 3; ++page) {
        const std::string text = pageText(file, page);
        EXPECT_TRUE(has(text, "$60.00")) << text;
        EXPECT_TRUE(has(text, "$200.00")) << "balance 260.00 - 60.00\n" << text;
    }
}

TEST_F(ReceiptPrintTest, CancelInTheSetupWindowPrintsNothingAfterTheSave) {
    receiptOf(3);
    const std::string before = GlobalReportDevice()->LastOutputFile();
    TDialogScript script;
    script.Answer([](TForm& Setup) { dynamic_cast<TRSSetupForm&>(Setup).CancelBB->Click(); });
    form->PrintBitBtn->Click();
    EXPECT_EQ(GlobalReportDevice()->LastOutputFile(), before) << "nothing printed";
    EXPECT_FALSE(form->NewReceiptFlag()) << "the receipt was saved first";
    EXPECT_EQ(figure("Patient 7"), Currency(260));
    EXPECT_FALSE(module->ReceiptChanged);
    EXPECT_EQ(broken(), std::vector<std::string>{});
}

TEST_F(ReceiptPrintTest, ThePrintIsANewFileInThePrintFolderNamedForTheReceipt) {
    TempDir prints;
    ScopedEnv folder("QUENMARK_PRINT_DIR", prints.path());
    receiptOf(1);
    setFixedNow(EncodeDate(2026, 12, 11) + EncodeTime(14, 30, 5, 0));
    const std::string first = print();
    const std::string again = print();
    clearFixedNow();
    const std::string name = prints.path() + "/Receipt " + form->Document().ReceiptNumber() + " 2026-12-11 14-30-05";
    EXPECT_EQ(first, name + ".pdf");
    EXPECT_EQ(again, name + " (2).pdf");
    for (const std::string& file : {first, again})
        EXPECT_TRUE(has(pageText(file, 1), "FRAME1")) << file;
}

// Run by the next test in a process of its own, whose printer list comes
// from the private CUPS server that test started.
TEST_F(ReceiptPrintTest, OnTheSystemsDefaultPrinter) {
    const char* queue = std::getenv("QM_CUPS_QUEUE");
    if (!queue)
        GTEST_SKIP() << "runs inside ReceiptOnCups.APrintedReceiptComesOutOfACupsPdfQueue";
    const std::vector<const TPrinterDriver*>& printers = installedPrinters();
    ASSERT_EQ(printers.size(), 3u) << "two queues and the PDF printer";
    EXPECT_EQ(printers.front()->Device(), queue) << "the system's default printer leads the list";
    EXPECT_EQ(printers.back(), pdfPrinter());
    ASSERT_TRUE(GlobalReportDevice()->SelectPrinter(queue, true));
    receiptOf(3);
    EXPECT_EQ(print(), "") << "a printer, not a file";
}

TEST(ReceiptOnCups, APrintedReceiptComesOutOfACupsPdfQueue) {
    CupsServer cups;
    const std::string queue = "quenmark" + std::to_string(::getpid());
    if (cups.SkipReason().empty() && cups.AddPdfQueue(queue + "b", false))
        cups.AddPdfQueue(queue, true);
    if (!cups.SkipReason().empty())
        GTEST_SKIP() << "No CUPS to print on: " << cups.SkipReason();

    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("CUPS_SERVER", cups.Socket().c_str(), 1);
        ::setenv("QM_CUPS_QUEUE", queue.c_str(), 1);
        ::execl("/proc/self/exe", "test_sales", "--gtest_filter=ReceiptPrintTest.OnTheSystemsDefaultPrinter",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the printing process failed";

    const std::string pdf = cups.WaitForPdf(queue, 60);
    ASSERT_FALSE(pdf.empty()) << "cups-pdf wrote nothing";
    // cups-pdf names its file from the spooler's document name.
    EXPECT_NE(pdf.find("DazedeVedodev"), std::string::npos) << pdf;
    const std::string text = RunTool("pdftotext", {"-layout", pdf, "-"});
    for (const char* part : {"Quenmark Optical", "Pat Seven", "FRAME1", "Eye exam", "$260.00", "See you next year."})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    KeepPicture(RenderPdfPage(pdf, 1, 100), "receipt-print-cups");
}

}  // namespace
