// The inventory labels form on the PDF printer: Print follows the queue,
// labels begin at the slot the label dialog gives and stop after the last
// queued line, printing twice prints the same labels, the listing pages,
// and the queue is never changed by printing.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "patients/LabelRowCol.h"
#include "reporting/RSDevice.h"
#include "reporting/RSSystem.h"
#include "sales/PrintSkuLabelsForm.h"
#include "sales/SkuLabelQueue.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/Mask.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

constexpr int Dpi = 50;

std::string queueText() {
    std::ifstream in(SkuLabelQueue::Path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void queue(int Count) {
    for (int n = 1; n <= Count; ++n)
        SkuLabelQueue::Append(SkuLabelQueue::labelLine({"A56-7" + std::to_string(n), 10.0 * n, "Frame", "Black",
                                                        "5" + std::to_string(n), "Acme", "Supply"}),
                              1);
}

// Slot (1-based, 4 across) of the Avery 5267 sheet in pixels at Dpi.
TRect slotArea(int Slot) {
    const int row = (Slot - 1) / 4, column = (Slot - 1) % 4;
    const double left = 0.281 + column * 2.063, top = 0.5 + row * 0.5;
    return {static_cast<int>(left * Dpi) + 1, static_cast<int>(top * Dpi) + 1,
            static_cast<int>((left + 1.75) * Dpi) - 1, static_cast<int>((top + 0.5) * Dpi) - 1};
}

// The slots of the page that carry ink.
std::vector<int> inkedSlots(const QImage& Page) {
    std::vector<int> inked;
    for (int slot = 1; slot <= 80; ++slot)
        if (!InkBounds(Page, slotArea(slot)).IsEmpty())
            inked.push_back(slot);
    return inked;
}

class SkuLabelsFormTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
        SkuLabelQueue::Reset();
        form = std::make_unique<TPrintSkuLabelsForm>(nullptr);
    }
    void TearDown() override {
        form.reset();
        SkuLabelQueue::Reset();
    }
    // A new form, as the menu opens it now.
    void reopen() { form = std::make_unique<TPrintSkuLabelsForm>(nullptr); }
    // Prints to File on the PDF printer, the label dialog answered with Row
    // and Column when labels are chosen.
    void print(const std::string& File, const std::string& Row = "1 ", const std::string& Column = "1 ") {
        form->ReportSystem1->SetSystemSetups({});
        form->ReportSystem1->SetDefaultDest(rdFile);
        form->ReportSystem1->SetOutputFileName(File);
        TDialogScript script;
        if (form->PrintRadioGroup->ItemIndex() == 0)
            script.Answer([&](TForm& Form) {
                auto& dialog = dynamic_cast<TLabelRowColDlg&>(Form);
                dialog.RowEdit->SetText(Row);
                dialog.ColumnEdit->SetText(Column);
                dialog.OKBtn->Click();
            });
        form->PrintLabelsBtn->Click();
        EXPECT_EQ(script.Unanswered(), 0u);
    }
    void keep(const std::string& Pdf, int Page, const std::string& Name) {
        if (const char* folder = std::getenv("QM_KEEP_PICTURES"))
            RenderPdfPage(Pdf, Page, 100).save(QString::fromStdString(std::string(folder) + "/" + Name + ".png"));
    }

    std::unique_ptr<TPrintSkuLabelsForm> form;
    TempDir dir;
};

TEST_F(SkuLabelsFormTest, PrintFollowsTheQueue) {
    EXPECT_FALSE(form->PrintLabelsBtn->Enabled());
    queue(2);
    reopen();
    EXPECT_TRUE(form->PrintLabelsBtn->Enabled());
    EXPECT_EQ(form->PrintRadioGroup->ItemIndex(), 0);
    form->ResetLabelsBtn->Click();
    EXPECT_FALSE(SkuLabelQueue::Exists());
    EXPECT_FALSE(form->PrintLabelsBtn->Enabled());

    // Another window's "Reset Labels" after this one opened.
    queue(1);
    reopen();
    TPrintSkuLabelsForm other(nullptr);
    other.ResetLabelsBtn->Click();
    TDialogScript script;
    script.Answer(mrOk);
    form->PrintLabelsBtn->Click();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_NE(script.Shown()[0].Text.find("no labels to print"), std::string::npos);
    EXPECT_FALSE(form->PrintLabelsBtn->Enabled());
}

TEST_F(SkuLabelsFormTest, LabelsStartAtTheChosenSlotAndStopAfterTheLastLine) {
    queue(10);
    reopen();
    const std::string before = queueText();
    print(dir.file("labels.pdf"), "2 ", "3 ");
    EXPECT_EQ(form->StartSlot(), 7);
    ASSERT_EQ(PdfPageCount(dir.file("labels.pdf")), 1);
    const QImage page = RenderPdfPage(dir.file("labels.pdf"), 1, Dpi);
    keep(dir.file("labels.pdf"), 1, "sku-labels");
    EXPECT_EQ(inkedSlots(page), (std::vector<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(queueText(), before) << "printing never changes the queue";

    // Again, from the first slot: the same ten labels.
    print(dir.file("again.pdf"));
    EXPECT_EQ(inkedSlots(RenderPdfPage(dir.file("again.pdf"), 1, Dpi)),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    print(dir.file("third.pdf"));
    std::string why;
    EXPECT_TRUE(SameInk(RenderPdfPage(dir.file("again.pdf"), 1, 100), RenderPdfPage(dir.file("third.pdf"), 1, 100), 0,
                        &why))
        << why;
    EXPECT_EQ(queueText(), before);
}

TEST_F(SkuLabelsFormTest, TheStartDialogDeclinedOrOffTheSheetPrintsNothing) {
    queue(3);
    reopen();
    form->ReportSystem1->SetSystemSetups({});
    form->ReportSystem1->SetDefaultDest(rdFile);
    form->ReportSystem1->SetOutputFileName(dir.file("declined.pdf"));
    struct Case {
        const char* row;
        const char* column;
    };
    // Closed without OK, and starts beyond a sheet of 20 rows of 4, each
    // refused before the dialog is closed.
    for (const Case& c : {Case{nullptr, nullptr}, Case{"99", "1 "}, Case{"21", "1 "}, Case{"1 ", "5 "}}) {
        TDialogScript script;
        if (c.row) {
            script.Answer([&](TForm& Form) {
                auto& dialog = dynamic_cast<TLabelRowColDlg&>(Form);
                dialog.RowEdit->SetText(c.row);
                dialog.ColumnEdit->SetText(c.column);
                dialog.OKBtn->Click();
                EXPECT_EQ(dialog.ModalResult(), mrNone) << "the dialog stays open";
                dialog.Close();
            });
            script.Answer(mrOk);
        } else {
            script.Answer(mrCancel);
        }
        form->PrintLabelsBtn->Click();
        EXPECT_EQ(script.Unanswered(), 0u);
        if (c.row) {
            ASSERT_EQ(script.Shown().size(), 2u);
            EXPECT_EQ(script.Shown()[1].Text,
                      "The sheet has 20 rows of 4 labels: start at a row from 1 to 20 and a column from 1 to 4.");
        }
        EXPECT_FALSE(std::filesystem::exists(dir.file("declined.pdf"))) << (c.row ? c.row : "closed");
    }
}

TEST_F(SkuLabelsFormTest, MoreLabelsThanASheetGoOnTheNextSheet) {
    queue(83);
    reopen();
    print(dir.file("sheets.pdf"));
    ASSERT_EQ(PdfPageCount(dir.file("sheets.pdf")), 2);
    EXPECT_EQ(inkedSlots(RenderPdfPage(dir.file("sheets.pdf"), 2, Dpi)), (std::vector<int>{1, 2, 3}));
}

TEST_F(SkuLabelsFormTest, TheListingPrintsEveryLineAndKeepsTheQueue) {
    queue(3);
    std::ofstream(SkuLabelQueue::Path(), std::ios::app | std::ios::binary) << "SHORT LINE\r\n\xe9\xff\x80 bytes\r\n";
    reopen();
    const std::string before = queueText();
    form->PrintRadioGroup->SetItemIndex(1);
    print(dir.file("listing.pdf"));
    keep(dir.file("listing.pdf"), 1, "sku-listing-form");
    ASSERT_EQ(PdfPageCount(dir.file("listing.pdf")), 1);
    // Five rows under the headings, from 1.75 in.
    const QImage page = RenderPdfPage(dir.file("listing.pdf"), 1, 100);
    const std::vector<TRect> rows = InkBoxes(page, {40, 170, 140, 300});
    EXPECT_FALSE(rows.empty());
    EXPECT_EQ(queueText(), before);
}

TEST_F(SkuLabelsFormTest, TheFormIsPainted) {
    queue(1);
    reopen();
    const char* keepFolder = std::getenv("QM_KEEP_PICTURES");
    renderToPng(form.get(), (keepFolder ? std::string(keepFolder) : dir.path()) + "/sku-labels-form.png");
}

}  // namespace
