// The lookup dialog behind the payment-number combo, run through the dialog
// script over a real payments table: picking with the search edit and
// Enter, Cancel and Escape, OK on an empty table, the key routing, the
// layout within MaxWidth and MaxHeight, and its picture.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>

#include "LookupFixture.h"
#include "controls/Qmdbdlg.h"
#include "ui/DialogResponder.h"
#include "base/SysUtils.h"
#include "ui/SystemMetrics.h"

namespace {

class LookupDialogTest : public LookupFixture {
protected:
    // Payments 1001..1005 and a form whose PYREF record takes one of them.
    void openPayments(bool empty = false) {
        ASSERT_EQ(CreateTable(dir.file("payments.dbf"), {{"PYMTNO", "C", 6, 0},
                                                        {"NAME", "C", 20, 0},
                                                        {"PAIDWITH", "C", 8, 0},
                                                        {"AMOUNT", "N", 10, 2}}),
                  "");
        if (!empty) {
            ASSERT_EQ(FillTable(dir.file("payments.dbf"), {{"1001", "Adams, Ann", "Cash", "40.00"},
                                                          {"1002", "Brown, Bob", "Check", "125.50"},
                                                          {"1003", "Clark, Cy", "Visa", "80.00"},
                                                          {"1004", "Adams, Ann", "Cash", "12.00"},
                                                          {"1005", "Evans, Eve", "Check", "300.00"}}),
                      "");
        }
        ASSERT_EQ(TagTable(dir.file("payments.dbf"), {{"PYMTNO", "PYMTNO"}, {"NAME", "NAME"}}), "");
        ASSERT_EQ(CreateTable(dir.file("pyref.dbf"), {{"PYMTNO", "C", 6, 0}}), "");
        ASSERT_EQ(FillTable(dir.file("pyref.dbf"), {{""}}), "");
        payments = openTable("payments.dbf");
        payments->SetIndexName("PYMTNO");
        payments->Open();
        ref = openTable("pyref.dbf");
        ref->Open();
        combo = new TQmDBLookupComboDlg(form.get());
        combo->SetName("PymtCombo");
        combo->SetParent(form.get());
        combo->SetBounds(20, 20, 120, 25);
        combo->SetStyle(csDropDownList);
        combo->SetLookupTable(payments);
        combo->SetLookupField("PYMTNO");
        for (const char* line : {"PYMTNO\t6\tPayment #", "NAME\t20\tName", "PAIDWITH\t8\tPaid with", "AMOUNT\t10\tAmount"})
            combo->Selected()->Add(line);
        combo->SetDataSource(sourceOf(ref));
        combo->SetDataField("PYMTNO");
        combo->SetGridOptions({dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                               dgAlwaysShowSelection, dgConfirmDelete});
        combo->OnCloseUp = [this](TObject*, TQmTable*, TDataSet*, bool ok) { closedWith.push_back(ok); };
        show();
        combo->SetFocus();
    }

    // Opens the dialog and acts on it as the user would.
    void pick(const std::function<void(TQmLookupDlg&)>& act) {
        TDialogScript script;
        script.Answer([&](TForm& form) { act(dynamic_cast<TQmLookupDlg&>(form)); });
        combo->SendKey(VK_DOWN, {ssAlt});
        EXPECT_EQ(script.Unanswered(), 0u) << "the dialog was shown";
    }

    std::string stored() { return ref->FieldByName("PYMTNO")->AsString(); }
    std::string payment() { return payments->FieldByName("PYMTNO")->AsString(); }

    TQmTable* payments = nullptr;
    TQmTable* ref = nullptr;
    TQmDBLookupComboDlg* combo = nullptr;
    std::vector<bool> closedWith;
};

TEST_F(LookupDialogTest, TypedTextAndEnterPickThePaymentEvenBeforeTheSearchRan) {
    openPayments();
    pick([&](TQmLookupDlg& dialog) {
        EXPECT_EQ(dialog.Caption(), "Lookup");
        EXPECT_EQ(dialog.qmDBGrid1->Height(), 209) << "MaxHeight";
        EXPECT_EQ(dialog.qmDBGrid1->Fields(0)->FieldName(), "PYMTNO");
        EXPECT_EQ(dialog.qmIncrementalSearch1->SearchField(), "PYMTNO");
        EXPECT_TRUE(dialog.qmKeyCombo1->Visible()) << "Search By";
        for (char c : {'1', '0', '0', '3'}) dialog.qmIncrementalSearch1->SendChar(c);
        EXPECT_TRUE(dialog.qmIncrementalSearch1->SearchPending());
        dialog.qmIncrementalSearch1->SendKey(VK_RETURN);
        EXPECT_EQ(dialog.ModalResult(), mrOk);
        renderToPng(&dialog, dir.file("dialog.png"));
        if (const char* keep = std::getenv("QM_KEEP_PICTURES")) renderToPng(&dialog, std::string(keep) + "/lookup_dialog.png");
    });
    EXPECT_EQ(stored(), "1003") << "the waiting search ran before the dialog closed";
    EXPECT_EQ(combo->Text(), "1003");
    EXPECT_EQ(closedWith, std::vector<bool>{true});
}

TEST_F(LookupDialogTest, CancelAndEscapeLeaveTheFieldAsItWas) {
    openPayments();
    using Act = std::function<void(TQmLookupDlg&)>;
    for (const Act& act : {Act([](TQmLookupDlg& d) { d.CancelBtn->Click(); }),
                           Act([](TQmLookupDlg& d) { d.qmIncrementalSearch1->SendKey(VK_ESCAPE); })}) {
        pick([&](TQmLookupDlg& dialog) {
            dialog.qmIncrementalSearch1->SendKey(VK_DOWN);
            act(dialog);
            EXPECT_EQ(dialog.ModalResult(), mrCancel);
        });
        EXPECT_EQ(stored(), "");
    }
    EXPECT_EQ(closedWith, (std::vector<bool>{false, false}));
}

TEST_F(LookupDialogTest, OKOnAnEmptyTableIsCancel) {
    openPayments(true);
    pick([](TQmLookupDlg& dialog) { dialog.OKBtn->Click(); });
    EXPECT_EQ(stored(), "");
    EXPECT_EQ(ref->State(), dsBrowse) << "no blank key written";
    EXPECT_EQ(closedWith, std::vector<bool>{false});
}

TEST_F(LookupDialogTest, KeysGoToTheGridAndTheOrderList) {
    openPayments();
    pick([&](TQmLookupDlg& dialog) {
        dialog.qmIncrementalSearch1->SendKey(VK_DOWN);
        dialog.qmIncrementalSearch1->SendKey(VK_DOWN);
        EXPECT_EQ(payment(), "1003") << "Down in the search edit moves the grid";
        dialog.qmKeyCombo1->SetFocus();
        dialog.qmKeyCombo1->SendKey(VK_DOWN);
        EXPECT_TRUE(dialog.qmKeyCombo1->DroppedDown()) << "Down opens the order list";
        EXPECT_FALSE(dialog.CloseQuery()) << "no closing while it is open";
        dialog.qmKeyCombo1->SendKey(VK_RETURN);
        EXPECT_FALSE(dialog.qmKeyCombo1->DroppedDown());
        EXPECT_EQ(dialog.ModalResult(), mrNone) << "Enter only closed the list";
        EXPECT_TRUE(dialog.qmIncrementalSearch1->Focused());
        dialog.qmIncrementalSearch1->SendKey(VK_RETURN);
    });
    EXPECT_EQ(stored(), "1003");
}

TEST_F(LookupDialogTest, ADoubleClickOnARowIsOK) {
    openPayments();
    pick([&](TQmLookupDlg& dialog) {
        TQmDBGrid* grid = dialog.qmDBGrid1;
        TRect row = grid->CellRect(1, 2);
        QPointF at(row.Left + 4, row.Top + 3);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
            QMouseEvent e(type, at, grid->Handle()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(grid->Handle(), &e);
        }
        EXPECT_EQ(dialog.ModalResult(), mrOk);
    });
    EXPECT_EQ(stored(), "1002");
}

TEST_F(LookupDialogTest, PickingAnotherOrderPutsItsFieldFirstAndSearchesIt) {
    openPayments();
    pick([&](TQmLookupDlg& dialog) {
        // Down opens the order list; the user picks NAME in it with Enter.
        dialog.qmKeyCombo1->SetFocus();
        dialog.qmKeyCombo1->SendKey(VK_DOWN);
        int at = dialog.qmKeyCombo1->Items()->IndexOf("NAME");
        ASSERT_GE(at, 0);
        auto* list = static_cast<QComboBox*>(dialog.qmKeyCombo1->Handle());
        list->view()->setCurrentIndex(list->model()->index(at, 0));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(list->view(), &enter);
        EXPECT_FALSE(dialog.qmKeyCombo1->DroppedDown());
        EXPECT_TRUE(SameText(payments->IndexName(), "NAME"));
        EXPECT_EQ(dialog.qmDBGrid1->Fields(0)->FieldName(), "NAME");
        EXPECT_EQ(dialog.qmIncrementalSearch1->SearchField(), "NAME");
        for (char c : {'E', 'v'}) dialog.qmIncrementalSearch1->SendChar(c);
        dialog.qmIncrementalSearch1->SendKey(VK_RETURN);
    });
    EXPECT_EQ(stored(), "1005");
}

TEST_F(LookupDialogTest, TheGridKeepsWithinTheMaximumSizeAndFillsTheMinimumWidth) {
    openPayments();
    struct Case {
        int maxWidth, maxHeight;
        const char* columns;
    };
    for (Case c : {Case{0, 0, "wide"}, Case{200, 150, "wide"}, Case{0, 209, "narrow"}}) {
        combo->SetMaxWidth(c.maxWidth);
        combo->SetMaxHeight(c.maxHeight);
        combo->Selected()->Clear();
        combo->Selected()->Add("PYMTNO\t6\tPayment #");
        if (std::string(c.columns) == "wide") {
            combo->Selected()->Add("NAME\t60\tName");
            combo->Selected()->Add("PAIDWITH\t40\tPaid with");
        }
        pick([&](TQmLookupDlg& dialog) {
            TQmDBGrid* grid = dialog.qmDBGrid1;
            int highest = c.maxHeight == 0 ? Screen->Height() - 200 : c.maxHeight;
            int widest = c.maxWidth == 0 ? Screen->Width() - 40 : c.maxWidth;
            int minWidth = dialog.OKBtn->Width() + dialog.CancelBtn->Width() + 18;
            EXPECT_EQ(grid->Height(), highest);
            EXPECT_LE(grid->Width(), std::max(widest, minWidth));
            EXPECT_GE(grid->Width(), minWidth);
            int columns = GetSystemMetrics(SM_CXHTHUMB) + 1;
            for (int i = 0; i < grid->ColCount(); ++i) columns += grid->ColWidths(i) + grid->GridLineWidth();
            if (std::string(c.columns) == "narrow") {
                EXPECT_GE(columns, minWidth) << "the last column widened to the buttons' width";
                EXPECT_FALSE(grid->ShowHorzScrollBar());
            } else {
                EXPECT_EQ(grid->ShowHorzScrollBar(), grid->Width() < columns);
            }
            EXPECT_GT(dialog.CancelBtn->Left(), dialog.OKBtn->Left());
            EXPECT_LE(dialog.CancelBtn->Left() + dialog.CancelBtn->Width(), dialog.ClientWidth());
            EXPECT_EQ(dialog.ClientHeight(), dialog.OKBtn->Top() + dialog.OKBtn->Height() + 9);
            dialog.CancelBtn->Click();
        });
    }
}

TEST_F(LookupDialogTest, TheComboPaintsItsOwnFaceAndThreeDotsOnItsButton) {
    openPayments();
    pick([](TQmLookupDlg& dialog) { dialog.qmIncrementalSearch1->SendKey(VK_RETURN); });
    auto* plain = new TQmDBLookupCombo(form.get());
    plain->SetParent(form.get());
    plain->SetBounds(20, 60, 120, 25);
    plain->SetLookupTable(payments);
    plain->SetLookupField("PYMTNO");
    combo->SetFocus();
    QImage picture = renderControl(form.get());
    if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
        picture.save(QString::fromStdString(std::string(keep) + "/lookup_faces.png"));
    auto colour = [&](TControl* control, int x, int y) {
        QPoint at = control->Handle()->mapTo(form->Handle(), QPoint(x, y));
        return qColorToTColor(picture.pixelColor(at));
    };
    EXPECT_EQ(combo->Text(), "1001");
    EXPECT_EQ(colour(combo, 6, combo->Height() - 6), ColorToRGB(clHighlight))
        << "a focused drop-down list paints its text highlighted";
    EXPECT_EQ(colour(plain, 6, plain->Height() - 6), ColorToRGB(clWindow)) << "a plain edit elsewhere";
    TQmComboButton* button = combo->Button();
    int ink = 0;
    for (int x = 0; x < button->Width(); ++x)
        ink += colour(button, x, button->Height() / 2) == clBlack;
    EXPECT_GE(ink, 3) << "three dots across the button's middle";
}

TEST_F(LookupDialogTest, UserButtonsStandBesideOKAndActOnTheTable) {
    openPayments();
    combo->SetUserButton1Caption("&New");
    std::vector<std::pair<TObject*, TTable*>> clicks;
    combo->OnUserButton1Click = [&](TObject* Sender, TTable* Table) { clicks.emplace_back(Sender, Table); };
    TQmLookupDlg* shown = nullptr;
    combo->OnInitDialog = [&](TQmLookupDlg* Dialog) { shown = Dialog; };
    pick([&](TQmLookupDlg& dialog) {
        EXPECT_EQ(shown, &dialog) << "OnInitDialog ran";
        EXPECT_TRUE(dialog.UserButtonPanel->Visible());
        EXPECT_FALSE(dialog.UserButton2->Visible());
        EXPECT_EQ(dialog.UserButtonPanel->Width(), dialog.UserButton1->Left() + dialog.UserButton1->Width() + 10);
        EXPECT_LT(dialog.UserButtonPanel->Left() + dialog.UserButtonPanel->Width(), dialog.OKBtn->Left());
        dialog.UserButton1->Click();
        EXPECT_EQ(clicks, (std::vector<std::pair<TObject*, TTable*>>{{&dialog, payments}}));
        dialog.CancelBtn->Click();
    });
}

}  // namespace
