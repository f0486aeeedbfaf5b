// What a shelf label and the label listing print, on the PDF printer: the
// UPC digits of an item number, a label's bar code read back by zbarimg,
// and listing pages that break past 10.5 in.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>

#include "app/AppUtils.h"
#include "reporting/RSDevice.h"
#include "reporting/RSPrinter.h"
#include "sales/SkuLabelPrint.h"
#include "sales/SkuLabelQueue.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/PrinterDrivers.h"

namespace {

std::string queueLine(const std::string& Item, double Sell, const std::string& Size) {
    return SkuLabelQueue::labelLine({Item, Sell, "Round metal frame", "Gunmetal", Size, "Acme Optical", "Lens Supply"});
}

// Runs Body on a report printing to File on the PDF printer.
template <class Body>
void printPdf(const std::string& File, Body body) {
    TRSDevice device({pdfPrinter()}, "PDF");
    TDazedeVedodev report(nullptr);
    report.SetDevice(&device);
    report.SetOutputFileName(File);
    report.OnPrint = [&](TObject*) { body(report); };
    report.Execute();
}

void keep(const std::string& Pdf, int Page, int Dpi, const std::string& Name) {
    if (const char* folder = std::getenv("QM_KEEP_PICTURES"))
        RenderPdfPage(Pdf, Page, Dpi).save(QString::fromStdString(std::string(folder) + "/" + Name + ".png"));
}

TEST(SkuLabelPrint, TheUpcDigitsAreTheItemNumbersDigitsPaddedOrCutToEleven) {
    const std::pair<const char*, const char*> cases[] = {
        {"A56-78", "00000005678"},      {"", "00000000000"},          {"FRAME", "00000000000"},
        {"12345678901", "12345678901"}, {"1234567890123", "12345678901"}, {"\xe9" "7", "00000000007"},
    };
    for (const auto& [item, digits] : cases)
        EXPECT_EQ(SkuLabelPrint::upcDigits(item), digits) << item;
}

TEST(SkuLabelPrint, ALabelsBarCodeReadsBackAsTheItemNumbersUpc) {
    Application->Initialize();
    if (RunTool("zbarimg", {"--version"}).empty())
        GTEST_SKIP() << "zbarimg is not installed";
    TempDir dir;
    const std::string pdf = dir.file("label.pdf");
    // One label with its corner at (1 in, 1 in).
    printPdf(pdf, [](TBaseReport& report) {
        report.SetOriginX(1);
        report.SetOriginY(1);
        report.SetFont("Arial", 8);
        SkuLabelPrint::PrintLabel(&report, queueLine("A56-78", 2500.5, "52-18"));
    });
    keep(pdf, 1, 300, "sku-label");
    // The label's square inch and a half at 600 dpi, cropped by pdftoppm (a
    // whole page at 600 dpi is more than an image may hold).
    const std::string crop = dir.file("label");
    RunTool("pdftoppm", {"-r", "600", "-x", "600", "-y", "600", "-W", "1200", "-H", "400", "-png", "-singlefile",
                         pdf, crop});
    EXPECT_EQ(RunTool("zbarimg", {"-q", "-Supca.enable=1", crop + ".png"}), "UPC-A:000000056786\n");

    const QImage page = QImage(QString::fromStdString(crop + ".png"));
    ASSERT_FALSE(page.isNull());
    // The texts end at 1.64 in inside the label, right of the bars, which start at 0.17 in.
    const TRect text = InkBounds(page, {600, 0, 1200, 260});
    ASSERT_FALSE(text.IsEmpty());
    EXPECT_NEAR(text.Right, 1.64 * 600, 6);
    const TRect bars = InkBounds(page, {0, 90, 600, 200});
    EXPECT_NEAR(bars.Left, 0.17 * 600, 3);
}

TEST(SkuLabelPrint, TheListingBreaksItsPagesPastTenAndAHalfInches) {
    Application->Initialize();
    TempDir dir;
    const std::string pdf = dir.file("listing.pdf");
    std::vector<std::string> lines;
    for (int n = 1; n <= 90; ++n)
        lines.push_back(queueLine("ITEM" + std::to_string(n), n * 10.25, "S" + std::to_string(n)));
    lines.push_back("SHORT");
    lines.push_back("BYTES\xff\x80\x01 $1.00");
    std::vector<double> rowTops;
    int pages = 0;
    printPdf(pdf, [&](TBaseReport& report) {
        auto header = [&] {
            SkuLabelPrint::printListingHeader(&report, ++pages, EncodeDate(2026, 12, 10) + EncodeTime(14, 5, 0, 0));
            SkuLabelPrint::startListingBody(&report);
        };
        header();
        for (size_t i = 0; i < lines.size(); ++i) {
            rowTops.push_back(report.LineTop());
            SkuLabelPrint::printListingRow(&report, lines[i]);
            if (report.YPos() > SkuLabelPrint::ListingPageEnd && i + 1 < lines.size()) {
                report.NewPage();
                header();
            }
        }
    });
    keep(pdf, 1, 100, "sku-listing-1");
    keep(pdf, 2, 100, "sku-listing-2");
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(PdfPageCount(pdf), 2);
    EXPECT_NEAR(rowTops.front(), 1.75, 1e-9);
    for (double top : rowTops)
        EXPECT_LE(top, SkuLabelPrint::ListingPageEnd + 0.2);
}

}  // namespace
