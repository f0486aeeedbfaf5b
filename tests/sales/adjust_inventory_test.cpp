// The stock adjustment and the label queue it appends to: the new quantity,
// the queue line's columns, counts that queue nothing, the refusals that
// store nothing, and a queue that cannot be written.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ItemFixture.h"
#include "sales/AdjustInvDlg.h"
#include "ui/DBCtrls.h"
#include "ui/StdCtrls.h"

namespace {

std::string queueText() {
    std::ifstream in(SkuLabelQueue::Path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string FrameLine = "FRAME     $89.95    Frame item                    Tortoise    52-18   "
                              "Acme Optical                  Lens Supply Co                ";

class AdjustTest : public ItemTest {
protected:
    void addRows() override {
        CompanyFixture::AppendRows(company.DataDirectory(), "Item.dbf",
                                   {{{"ID", "BLANKQTY"}, {"ITEMTYPE", "Frame"}, {"CTRLITEM", "T"}}});
    }
    // A dialog on the current item, filled as the item dialog fills it.
    TAdjustInvDlg* adjust(const std::string& Add, const std::string& Deduct, const std::string& Labels) {
        auto* dialog = new TAdjustInvDlg(owner.get());
        const std::string onHand = field("QTYONHAND");
        dialog->ItemNoEdit->SetText(field("ID"));
        dialog->CurrentQOHEdit->SetText(onHand);
        dialog->NewQOHEdit->SetText(onHand);
        dialog->AddEdit->SetText(Add);
        dialog->DeductEdit->SetText(Deduct);
        dialog->LabelQtyEdit->SetText(Labels);
        return dialog;
    }
    void setSell(const std::string& Sell) {
        items()->Edit();
        items()->FieldByName("SELL")->SetAsString(Sell);
        items()->Post();
    }
};

TEST_F(AdjustTest, FivePlusThreeMinusOneStoresSevenAndQueuesTwoEqualLines) {
    ASSERT_EQ(FrameLine.size(), 130u);
    goItem("FRAME");
    TAdjustInvDlg* dialog = adjust("3", "1", "2");
    dialog->TotalQOH();
    EXPECT_EQ(dialog->NewQOHEdit->Text(), "7");
    dialog->OKBitBtnClick(dialog->OKBitBtn);
    EXPECT_EQ(dialog->ModalResult(), mrOk);
    EXPECT_EQ(stored("FRAME", "QTYONHAND"), "7");
    EXPECT_EQ(queueText(), FrameLine + "\r\n" + FrameLine + "\r\n");

    // A second adjustment appends to the same queue.
    Application->ProcessMessages();
    goItem("FRAME");
    adjust("0", "2", " 1 ")->OKBitBtnClick(nullptr);
    EXPECT_EQ(stored("FRAME", "QTYONHAND"), "5");
    EXPECT_EQ(SkuLabelQueue::readLines(), std::vector<std::string>(3, FrameLine));
}

TEST_F(AdjustTest, TheAdjustButtonOpensTheDialogOnTheItem) {
    goItem("FRAME");
    TItemInfoDlg* item = openDialog();
    TDialogScript script;
    script.Answer([](TForm& Form) {
        auto& dialog = dynamic_cast<TAdjustInvDlg&>(Form);
        EXPECT_EQ(dialog.Caption(), "Adjust Inventory");
        EXPECT_EQ(dialog.ItemNoEdit->Text(), "FRAME");
        EXPECT_EQ(dialog.CurrentQOHEdit->Text(), "5");
        EXPECT_EQ(dialog.NewQOHEdit->Text(), "5");
        EXPECT_EQ(dialog.AddEdit->Text(), "0");
        EXPECT_EQ(dialog.LabelQtyEdit->Text(), "0");
        dialog.AddEdit->SetText("10");
        dialog.OKBitBtn->Click();
    });
    item->AdjustInvBtn->Click();
    EXPECT_EQ(stored("FRAME", "QTYONHAND"), "15");
    EXPECT_EQ(item->OnHandDBEdit->Text(), "15");
    EXPECT_FALSE(SkuLabelQueue::Exists()) << "no labels asked for";
    EXPECT_TRUE(item->Visible()) << "the item dialog stays open";
}

TEST_F(AdjustTest, TheLabelLineKeepsEveryColumnInPlace) {
    struct Case {
        const char* what;
        SkuLabelQueue::TLabelItem item;
        std::string line;
    };
    const Case cases[] = {
        {"thousands and a short description",
         {"A56-78", 2500.5, "Frame", "Red", "M", "Maker", "Seller"},
         "A56-78    $2,500.50 Frame                         Red         M       "
         "Maker                         Seller                        "},
        {"the widest price, empty texts",
         {"X", 99999.99, "", "", "", "", ""},
         "X         $99,999.99" + std::string(110, ' ')},
        {"a price below a dollar", {"1", 0.5, "", "", "", "", ""}, "1         $0.50     " + std::string(110, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string line = SkuLabelQueue::labelLine(c.item);
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(line.size(), 130u);
        EXPECT_EQ(SkuLabelQueue::ColumnText(line, SkuLabelQueue::SizeColumn).substr(0, c.item.Size.size()),
                  c.item.Size);
    }
    EXPECT_FALSE(SkuLabelQueue::priceFits(100000.00));
    EXPECT_EQ(SkuLabelQueue::priceText(100000.00), "$100,000.00");
}

TEST_F(AdjustTest, ALabelCountThatIsNoPositiveWholeNumberQueuesNothing) {
    goItem("FRAME");
    int expected = 5;
    for (const char* count : {"", "0", "-2", "1.5", "two", "   "}) {
        SCOPED_TRACE(count);
        TDialogScript script;
        adjust("1", "0", count)->OKBitBtnClick(nullptr);
        ++expected;
        EXPECT_EQ(stored("FRAME", "QTYONHAND"), std::to_string(expected)) << "the quantity is still stored";
        EXPECT_FALSE(SkuLabelQueue::Exists());
        EXPECT_TRUE(script.Shown().empty()) << "silently";
        Application->ProcessMessages();
    }
}

TEST_F(AdjustTest, WhatTheFieldsCannotHoldIsRefusedBeforeAnythingIsStored) {
    struct Case {
        const char* what;
        const char* sell;
        const char* add;
        const char* labels;
        const char* message;
    };
    const Case cases[] = {
        {"a price over 99,999.99 with labels", "100000.00", "1", "1", "$100,000.00"},
        {"a quantity beyond N(6,0)", "89.95", "999999", "0", "999999"},
        {"a quantity below N(6,0)", "89.95", "-100005", "0", "-100000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        goItem("FRAME");
        setSell(c.sell);
        TAdjustInvDlg* dialog = adjust(c.add, "0", c.labels);
        TDialogScript script;
        script.Answer(mrOk);
        dialog->OKBitBtnClick(nullptr);
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_NE(script.Shown()[0].Text.find(c.message), std::string::npos) << script.Shown()[0].Text;
        EXPECT_EQ(dialog->ModalResult(), mrNone) << "the dialog stays open";
        EXPECT_EQ(stored("FRAME", "QTYONHAND"), "5");
        EXPECT_FALSE(SkuLabelQueue::Exists());
        dialog->Close();
        Application->ProcessMessages();
    }
    // Without labels the price does not matter.
    goItem("FRAME");
    adjust("1", "0", "0")->OKBitBtnClick(nullptr);
    EXPECT_EQ(stored("FRAME", "QTYONHAND"), "6");
}

TEST_F(AdjustTest, OneRunsWorthOfLabelsAtMostCountingThoseAlreadyQueued) {
    struct Case {
        const char* labels;
        int queuedAfter;
        const char* message;  // "" when the labels are queued
    };
    const Case cases[] = {
        {"10001", 0, "At most 10,000 labels are printed in one run; 10,001 were asked for. Nothing was stored."},
        {"999999999", 0, "999,999,999 were asked for"},
        {"99999999999", 0, "99,999,999,999 were asked for"},
        {"9999", 9999, ""},
        {"2", 9999,
         "At most 10,000 labels are printed in one run, and 9,999 are already waiting to be printed: 2 more cannot be "
         "queued. Nothing was stored."},
        {"1", 10000, ""},
    };
    goItem("FRAME");
    int onHand = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.labels);
        TAdjustInvDlg* dialog = adjust("1", "0", c.labels);
        TDialogScript script;
        script.Answer(mrOk);
        dialog->OKBitBtnClick(nullptr);
        if (*c.message) {
            ASSERT_EQ(script.Shown().size(), 1u);
            EXPECT_NE(script.Shown()[0].Text.find(c.message), std::string::npos) << script.Shown()[0].Text;
            EXPECT_EQ(dialog->ModalResult(), mrNone) << "the dialog stays open";
            dialog->Close();
        } else {
            EXPECT_TRUE(script.Shown().empty());
            ++onHand;
        }
        EXPECT_EQ(stored("FRAME", "QTYONHAND"), std::to_string(onHand)) << "stored only with the labels";
        EXPECT_EQ(SkuLabelQueue::QueuedCount(), c.queuedAfter);
        Application->ProcessMessages();
    }
}

TEST_F(AdjustTest, QuantitiesThatAreNoNumbersAreRefusedByTheConversionError) {
    goItem("FRAME");
    TAdjustInvDlg* dialog = adjust("3", "1", "1");
    dialog->TotalQOH();
    dialog->AddEdit->SetText("3x");
    EXPECT_THROW(dialog->TotalQOH(), EConvertError);
    EXPECT_EQ(dialog->NewQOHEdit->Text(), "7") << "the new quantity keeps its value";
    TDialogScript script;
    script.Answer(mrOk);
    dialog->OKBitBtnClick(nullptr);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "'3x' is not a valid floating point value.");
    EXPECT_EQ(stored("FRAME", "QTYONHAND"), "5");
    EXPECT_FALSE(SkuLabelQueue::Exists());
}

TEST_F(AdjustTest, AQueueThatCannotBeWrittenLeavesTheQuantityAsItWas) {
    // A folder where the queue file should be: opening it for writing fails.
    std::filesystem::create_directories(SkuLabelQueue::Path());
    goItem("FRAME");
    TAdjustInvDlg* dialog = adjust("2", "0", "3");
    TDialogScript script;
    script.Answer(mrOk);
    dialog->OKBitBtnClick(nullptr);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_NE(script.Shown()[0].Text.find("SkuLabel.dat could not be created"), std::string::npos)
        << script.Shown()[0].Text;
    EXPECT_NE(script.Shown()[0].Text.find("The stock adjustment was not saved."), std::string::npos);
    EXPECT_EQ(stored("FRAME", "QTYONHAND"), "5") << "the quantity lands with its labels or not at all";
    EXPECT_NE(dialog->ModalResult(), mrOk) << "the dialog stays for another try";
    std::filesystem::remove(SkuLabelQueue::Path());
    dialog->OKBitBtnClick(nullptr);
    EXPECT_EQ(stored("FRAME", "QTYONHAND"), "7");
    EXPECT_EQ(SkuLabelQueue::readLines().size(), 3u);
    SkuLabelQueue::Reset();

    // A missing scratch folder is made.
    std::filesystem::remove_all(std::filesystem::path(SkuLabelQueue::Path()).parent_path());
    Application->ProcessMessages();
    goItem("FRAME");
    adjust("0", "0", "1")->OKBitBtnClick(nullptr);
    EXPECT_EQ(SkuLabelQueue::readLines().size(), 1u);
}

TEST_F(AdjustTest, AnItemWithoutAQuantityStartsFromNought) {
    goItem("BLANKQTY");
    ASSERT_EQ(field("QTYONHAND"), "");
    auto* dialog = new TAdjustInvDlg(owner.get());
    EXPECT_EQ(field("QTYONHAND"), "0");
    EXPECT_EQ(stored("BLANKQTY", "QTYONHAND"), "0");
    EXPECT_EQ(items()->State(), dsEdit);
    dialog->Close();
}

TEST_F(AdjustTest, EnteringAQuantitySelectsItsWholeText) {
    goItem("FRAME");
    TAdjustInvDlg* dialog = adjust("12", "3", "4");
    dialog->Show();
    for (TEdit* edit : {dialog->AddEdit, dialog->DeductEdit, dialog->LabelQtyEdit}) {
        edit->SetAutoSelect(false);  // the dialog's own handler does it
        edit->SetSelLength(0);
        edit->SetFocus();
        Application->ProcessMessages();
        EXPECT_EQ(edit->SelLength(), static_cast<int>(edit->Text().size())) << edit->Text();
    }
    dialog->Close();
}

TEST_F(AdjustTest, TheDialogIsPainted) {
    goItem("FRAME");
    TAdjustInvDlg* dialog = adjust("3", "1", "2");
    dialog->TotalQOH();
    picture(dialog, "adjust-inventory");
    dialog->Close();
}

}  // namespace
