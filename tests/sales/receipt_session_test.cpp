// A session at the receipt window driven as a user drives it: buttons
// clicked, the patient and the stored receipt chosen from their lists, items
// typed into the grid's code cells, quantities typed and the tax box double
// clicked; the receipt saved, reopened, edited and printed, with the books
// checked after each save.
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "ReceiptFormFixture.h"


namespace {

class ReceiptSessionTest : public ReceiptFormTest {
protected:
    TQmDBGrid* grid() { return form->LineItemDBGrid; }
    // Types Code into the current line's code cell and leaves it with Tab.
    void typeCode(const std::string& Code) {
        grid()->SetSelectedIndex(1);
        renderControl(form);  // the cell's combo is placed as the grid paints
        grid()->SendChar(Code[0]);
        Application->ProcessMessages();
        for (size_t i = 1; i < Code.size(); ++i)
            form->ItemQmDBLookupCombo->SendChar(Code[i]);
        form->ItemQmDBLookupCombo->SendKey(VK_TAB);
        Application->ProcessMessages();
    }
    void typeInColumn(int Column, const std::string& Text) {
        grid()->SetSelectedIndex(Column);
        for (char c : Text)
            grid()->SendChar(c);
        grid()->SendChar('\r');
    }
    void doubleClickCell(int Column) {
        const TRect r = grid()->CellRect(Column + 1, grid()->Row());
        const QPointF p(r.Left + 3, r.Top + 3);
        QMouseEvent click(QEvent::MouseButtonDblClick, p, grid()->Handle()->mapToGlobal(p), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid()->Handle(), &click);
    }
    std::string field(const char* Name) { return Trim(module->Temp2Table->FieldByName(Name)->AsString()); }
};

TEST_F(ReceiptSessionTest, CreateSaveReopenEditAndPrint) {
    form->NewBitBtn->Click();
    {
        TDialogScript script;
        script.Answer(pickPatient("7"));
        form->AccountBitBtn->Click();
    }
    ASSERT_TRUE(grid()->Enabled());
    grid()->SetFocus();
    Application->ProcessMessages();

    typeCode("frame1");
    EXPECT_EQ(field("Code"), "FRAME1");
    EXPECT_EQ(field("Desc"), "Frame");
    typeInColumn(0, "2");
    EXPECT_EQ(Cents::read(module->Temp2Table->FieldByName("Cost")), Currency(200));

    grid()->SendKey(VK_DOWN);
    typeCode("EXAM");
    EXPECT_EQ(field("Desc"), "Eye exam");
    EXPECT_EQ(shown(form->TotalLabel), "$260.00");
    // The double click on the tax box taxes the exam too.
    grid()->SetSelectedIndex(5);
    doubleClickCell(5);
    EXPECT_TRUE(module->Temp2Table->FieldByName("Tax")->AsBoolean());
    EXPECT_EQ(shown(form->TaxLabel), "$12.50");
    EXPECT_EQ(shown(form->TotalLabel), "$262.50");
    keepPicture("receipt-session-two-lines");

    form->SaveBitBtn->Click();
    EXPECT_TRUE(form->NewReceiptFlag());
    EXPECT_EQ(figure("Patient 7"), Currency(262.5));
    EXPECT_EQ(broken(), std::vector<std::string>{});

    {
        TDialogScript script;
        script.Answer([](TForm& Form) {
            auto& list = dynamic_cast<TLookupListForm&>(Form);
            list.Table()->Last();
            list.SelectButton->Click();
        });
        form->OpenBitBtn->Click();
    }
    EXPECT_FALSE(form->NewReceiptFlag());
    EXPECT_TRUE(form->InsClaimBitBtn->Enabled());
    EXPECT_EQ(shown(form->TotalLabel), "$262.50");

    // Ctrl+C empties the quantity of the frame line; Enter prices it as one.
    grid()->SetFocus();
    module->Temp2Table->First();
    grid()->SetSelectedIndex(0);
    grid()->SendChar(3);
    grid()->SendChar('\r');
    EXPECT_EQ(Cents::read(module->Temp2Table->FieldByName("Cost")), Currency(100));
    EXPECT_EQ(shown(form->TotalLabel), "$157.50");

    const std::string file = printReceipt();
    ASSERT_EQ(PdfPageCount(file), 1);
    const std::string text = RunTool("pdftotext", {"-layout", file, "-"});
    EXPECT_NE(text.find("$157.50"), std::string::npos) << text;
    EXPECT_FALSE(module->ReceiptChanged);
    EXPECT_EQ(figure("Patient 7"), Currency(157.5));
    EXPECT_EQ(broken(), std::vector<std::string>{});
    KeepPicture(RenderPdfPage(file, 1, 100), "receipt-session-print");
}

}  // namespace
