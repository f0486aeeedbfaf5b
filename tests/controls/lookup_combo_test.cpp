// The lookup combo on a form: dropping the list down, picking with keys and
// the mouse, typing with the timed search, Escape, the drop-down-list style,
// the dialog keys of the form, bad set-ups, and the list's picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "LookupFixture.h"
#include "controls/Qmdbgrid.h"
#include "controls/qmdblook.h"
#include "ui/DialogResponder.h"
#include "ui/Dialogs.h"

namespace {

class LookupComboTest : public LookupFixture {
protected:
    // The receipt's item combo: the code is written, category and
    // description come with it.
    void openSale(const std::vector<std::string>& line = {"", "", "", "1"}, int items = 5) {
        makeItems(items);
        makeSale(line);
        itemsTable = openTable("items.dbf");
        itemsTable->SetIndexName("CODE");
        sale = openTable("sale.dbf");
        saleSource = sourceOf(sale);
        itemsTable->Open();
        sale->Open();
        combo = new TQmDBLookupCombo(form.get());
        combo->SetName("ItemCombo");
        combo->SetParent(form.get());
        combo->SetBounds(20, 20, 150, 25);
        combo->SetLookupTable(itemsTable);
        combo->SetLookupField("CODE;CATEGORY;DESC");
        for (const char* line : {"CODE\t6\tCode", "CATEGORY\t10\tCategory", "DESC\t20\tDescription"})
            combo->Selected()->Add(line);
        combo->SetDataSource(saleSource);
        combo->SetDataField("CODE");
        other = new TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(20, 200, 100, 21);
        show();
        combo->SetFocus();
    }

    std::string sold(const char* field) { return sale->FieldByName(field)->AsString(); }
    std::string item() { return itemsTable->FieldByName("CODE")->AsString(); }

    void dropDown() {
        combo->SendKey(VK_DOWN, {ssAlt});
        ASSERT_TRUE(combo->DroppedDown());
    }

    TQmTable* itemsTable = nullptr;
    TQmTable* sale = nullptr;
    TQmDataSource* saleSource = nullptr;
    TQmDBLookupCombo* combo = nullptr;
    TEdit* other = nullptr;
};

TEST_F(LookupComboTest, AListOfThreeRecordsDropsDownThreeRowsHigh) {
    openSale({"", "", "", "1"}, 3);
    dropDown();
    TQmPopupGrid* list = combo->PopupGrid();
    EXPECT_EQ(list->Height(), list->DefaultRowHeight() * 3 + 5) << "rows lowered from 8 to the 3 records";
    EXPECT_EQ(list->DataLink()->RecordCount(), 3);
    EXPECT_TRUE(combo->Focused()) << "the focus stays in the combo";
    EXPECT_FALSE(list->Handle()->hasFocus());
    EXPECT_GE(list->Width(), combo->Width() - 4);
}

TEST_F(LookupComboTest, DownDownEnterWritesTheCodeAndCopiesTheLinkedFields) {
    openSale();
    std::vector<bool> closed;
    combo->OnCloseUp = [&](TObject*, TQmTable* lookup, TDataSet* fill, bool modified) {
        EXPECT_EQ(lookup, itemsTable);
        EXPECT_EQ(fill, sale);
        EXPECT_TRUE(sale->ControlsDisabled());
        closed.push_back(modified);
    };
    dropDown();
    EXPECT_EQ(item(), "AB1") << "no value: the list starts at the first item";
    combo->SendKey(VK_DOWN);
    combo->SendKey(VK_DOWN);
    EXPECT_EQ(combo->Text(), "AC1") << "the text follows the list";
    EXPECT_EQ(sold("CODE"), "") << "nothing written while the list is open";
    combo->SendKey(VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(sold("CODE"), "AC1");
    EXPECT_EQ(sold("CATEGORY"), "Lenses");
    EXPECT_EQ(sold("DESC"), "Single vision");
    EXPECT_EQ(closed, std::vector<bool>{true});
    EXPECT_FALSE(sale->ControlsDisabled());
    sale->Post();
    EXPECT_EQ(sold("CODE"), "AC1");
}

TEST_F(LookupComboTest, TypingMovesTheListOnceAfterTheDelayAndKeepsTheText) {
    openSale();
    dropDown();
    int moves = 0;
    itemsTable->AfterScroll = [&](TDataSet*) { ++moves; };
    combo->SendChar('A');
    combo->SendChar('C');
    EXPECT_TRUE(combo->SearchPending());
    EXPECT_EQ(item(), "AB1") << "no search before the delay";
    ASSERT_TRUE(runUntil([&] { return !combo->SearchPending(); }, 1000));
    EXPECT_EQ(moves, 1) << "one search for both keys";
    EXPECT_EQ(item(), "AC1");
    EXPECT_EQ(combo->Text(), "AC") << "the typed text stays";
    EXPECT_EQ(combo->LookupValue(), "AC1");
    combo->SendKey(VK_RETURN);
    EXPECT_EQ(sold("CODE"), "AC1");
    EXPECT_EQ(combo->Text(), "AC1");
}

TEST_F(LookupComboTest, ArrowAndFunctionKeysNeverSearch) {
    openSale();
    dropDown();
    for (Word key : {VK_LEFT, VK_RIGHT, VK_F5, VK_HOME}) {
        combo->SendKey(key);
        EXPECT_FALSE(combo->SearchPending()) << key;
    }
}

TEST_F(LookupComboTest, EscapeGivesTheStoredValueBack) {
    openSale({"AB2", "Frames", "Plastic frame", "1"});
    EXPECT_EQ(combo->Text(), "AB2");
    dropDown();
    EXPECT_EQ(item(), "AB2") << "the list opens on the field's item";
    combo->SendKey(VK_DOWN);
    EXPECT_EQ(combo->Text(), "AC1");
    combo->SendKey(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Text(), "AB2");
    EXPECT_EQ(sold("CODE"), "AB2");

    // Typed over while closed: Escape again.
    combo->SelectAll();
    combo->SendChar('Z');
    EXPECT_EQ(combo->Text(), "Z");
    combo->SendKey(VK_ESCAPE);
    EXPECT_EQ(combo->Text(), "AB2");
    other->SetFocus();
    EXPECT_EQ(sold("CODE"), "AB2") << "nothing typed reaches the field";
}

TEST_F(LookupComboTest, TypingIntoADropDownListChangesNothingAndAPressOnTheTextOpensIt) {
    openSale({"AB2", "Frames", "Plastic frame", "1"});
    combo->SetStyle(csDropDownList);
    combo->SendChar('C');
    EXPECT_EQ(combo->Text(), "AB2");
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_FALSE(combo->SearchPending());
    EXPECT_EQ(sale->State(), dsBrowse);

    QPointF at(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, combo->Handle()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(combo->Handle(), &press);
    EXPECT_TRUE(combo->DroppedDown()) << "a press on the text opens the list";
    // Dragged down two rows past AB2's and released there: that row is picked.
    TQmPopupGrid* list = combo->PopupGrid();
    renderControl(list);
    ASSERT_GE(list->ChosenRow(), 0);
    TRect row = list->CellRect(0, list->ChosenRow() + 2);
    QPoint over = list->Handle()->mapToGlobal(QPoint(row.Left + 5, row.Top + 3));
    QPointF local = combo->Handle()->mapFromGlobal(over);
    QMouseEvent move(QEvent::MouseMove, local, QPointF(over), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(combo->Handle(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local, QPointF(over), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(combo->Handle(), &release);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(sold("CODE"), "BX1");
    EXPECT_EQ(sold("DESC"), "Bifocal");
}

TEST_F(LookupComboTest, EscapeOnAnOpenListNeverReachesTheFormsCancelButton) {
    openSale();
    auto* cancel = new TButton(form.get());
    cancel->SetParent(form.get());
    cancel->SetBounds(200, 200, 75, 25);
    cancel->SetCancel(true);
    int cancelled = 0;
    cancel->OnClick = [&](TObject*) { ++cancelled; };
    dropDown();
    combo->SendKey(VK_ESCAPE);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(cancelled, 0);
    combo->SendKey(VK_ESCAPE);
    EXPECT_EQ(cancelled, 1) << "with the list closed Escape is the form's";
}

TEST_F(LookupComboTest, TabChoosesClosesAndMovesOn) {
    openSale();
    dropDown();
    combo->SendKey(VK_DOWN);
    combo->SendKey(VK_TAB);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(sold("CODE"), "AB2");
    EXPECT_TRUE(other->Focused());
}

TEST_F(LookupComboTest, AClickOnARowPicksItAndCloses) {
    openSale();
    dropDown();
    TQmPopupGrid* list = combo->PopupGrid();
    TRect row = list->CellRect(1, 4);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QPointF at(row.Left + 3, row.Top + 3);
        QMouseEvent e(type, at, list->Handle()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->Handle(), &e);
    }
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(sold("CODE"), "CZ9");
    EXPECT_EQ(sold("CATEGORY"), "Service");
    EXPECT_TRUE(combo->Focused());
}

TEST_F(LookupComboTest, BadSetUpsAreRefused) {
    openSale();
    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk);
    EXPECT_THROW(
        {
            try {
                combo->SetLookupField("NOPE");
            } catch (const Exception& e) {
                EXPECT_EQ(std::string(e.Message()), "Field 'NOPE' not found");
                throw;
            }
        },
        EInvalidOperation);
    combo->SetLookupField("CODE");
    auto* itemsSource = sourceOf(itemsTable);
    EXPECT_THROW(combo->SetDataSource(itemsSource), EInvalidOperation);
    itemsTable->Close();
    combo->DropDown();
    EXPECT_FALSE(combo->DroppedDown());
    combo->SetLookupTable(nullptr);
    combo->DropDown();
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "Lookup table is not active!");
    EXPECT_EQ(script.Shown()[1].Text, "No lookup table specified!");
    EXPECT_FALSE(combo->Button()->Down());
}

TEST_F(LookupComboTest, AComboTwentyPixelsWideOrLessNeverDropsDown) {
    openSale();
    combo->SetWidth(20);
    combo->SendKey(VK_DOWN, {ssAlt});
    EXPECT_FALSE(combo->DroppedDown());
}

TEST_F(LookupComboTest, AValueNoItemHasLeavesTheDisplayEmptyUnlessItIsTheKey) {
    openSale({"QQ7", "", "", "1"});
    EXPECT_EQ(combo->Text(), "QQ7") << "the code is both key and display";
    combo->Selected()->Clear();
    combo->Selected()->Add("DESC\t20\tDescription");
    combo->SetLookupField("CODE");
    sale->Edit();
    sale->FieldByName("CODE")->SetAsString("QQ8");
    EXPECT_EQ(combo->Text(), "") << "the description of no item";
    sale->FieldByName("CODE")->SetAsString("BX1");
    EXPECT_EQ(combo->Text(), "Bifocal");
}

TEST_F(LookupComboTest, FreedWhileOpenOrSearchingLeavesNoWindowOrTimer) {
    openSale();
    dropDown();
    combo->SendChar('B');
    ASSERT_TRUE(combo->SearchPending());
    QWidget* list = combo->PopupGrid()->Handle();
    QPointer<QWidget> watched(list);
    delete combo;
    combo = nullptr;
    EXPECT_TRUE(watched.isNull()) << "the floating list went with the combo";
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && w->windowFlags().testFlag(Qt::FramelessWindowHint));
    int moves = 0;
    itemsTable->AfterScroll = [&](TDataSet*) { ++moves; };
    runUntil([] { return false; }, 250);
    EXPECT_EQ(moves, 0) << "no search ran after the combo was freed";
}

TEST_F(LookupComboTest, TheListOpensBelowTheComboAndAboveItNearTheScreensBottom) {
    openSale();
    dropDown();
    TQmPopupGrid* list = combo->PopupGrid();
    TPoint origin = combo->ClientToScreen({0, 0});
    EXPECT_EQ(list->Top(), origin.Y + combo->Height() - 1) << "below";
    EXPECT_EQ(list->Left(), origin.X);
    combo->SendKey(VK_ESCAPE);

    form->SetTop(Screen->Height() - form->Height() + 10);
    combo->SetTop(form->ClientHeight() - 30);
    Application->ProcessMessages();
    dropDown();
    origin = combo->ClientToScreen({0, 0});
    EXPECT_EQ(list->Top(), origin.Y - list->Height() + 1) << "above, no room below";
}

TEST_F(LookupComboTest, PictureOfAnOpenListWithItsChosenRowHighlighted) {
    openSale({"AB2", "Frames", "Plastic frame", "1"});
    dropDown();
    TQmPopupGrid* list = combo->PopupGrid();
    QImage image = renderControl(list);
    auto colour = [&](int row) {
        TRect r = list->CellRect(0, row);
        return qColorToTColor(image.pixelColor(r.Left + 2, r.Bottom - 2));
    };
    ASSERT_EQ(item(), "AB2");
    ASSERT_EQ(list->ChosenRow(), list->Row()) << "the field's item is the chosen row";
    ASSERT_GE(list->RowCount(), 3);
    for (int row = 0; row < list->RowCount(); ++row)
        EXPECT_EQ(colour(row), ColorToRGB(row == list->Row() ? clHighlight : clWindow)) << row;
    QImage picture = screenPicture(form.get(), {list});
    picture.save(QString::fromStdString(dir.file("combo.png")));
    if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
        picture.save(QString::fromStdString(std::string(keep) + "/lookup_combo.png"));
}

// The receipt form's entry grid: the item column is a "LookupCombo" cell.
TEST_F(LookupComboTest, TheGridsLookupCellHostsTheComboAndPicksWithIt) {
    makeItems();
    makeSale({"AB2", "Frames", "Plastic frame", "1"});
    itemsTable = openTable("items.dbf");
    itemsTable->SetIndexName("CODE");
    sale = openTable("sale.dbf");
    sale->ControlType()->Add("CODE;LookupCombo;ItemCombo");
    saleSource = sourceOf(sale);
    itemsTable->Open();
    combo = new TQmDBLookupCombo(form.get());
    combo->SetName("ItemCombo");
    combo->SetParent(form.get());
    combo->SetLookupTable(itemsTable);
    combo->SetLookupField("CODE;CATEGORY;DESC");
    for (const char* line : {"CODE\t6\tCode", "CATEGORY\t10\tCategory", "DESC\t20\tDescription"})
        combo->Selected()->Add(line);
    auto* grid = new TQmDBGrid(form.get());
    grid->SetName("LinesGrid");
    grid->SetParent(form.get());
    grid->SetBounds(8, 40, 540, 150);
    for (const char* line : {"CODE\t8\tItem", "DESC\t20\tDescription", "QTY\t5\tQty"}) grid->Selected()->Add(line);
    grid->SetDataSource(saleSource);
    sale->Open();
    show();
    grid->SetFocus();
    renderControl(form.get());
    ASSERT_EQ(grid->EmbeddedControl(), combo);
    EXPECT_EQ(combo->Parent(), grid);
    EXPECT_EQ(combo->DataField(), "CODE");
    EXPECT_EQ(combo->Text(), "AB2");
    TRect cell = grid->CellRect(1, 1);
    EXPECT_EQ(combo->Left(), cell.Left + 2);

    grid->SendKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(combo->DroppedDown()) << "Alt+Down opens the cell's list";
    EXPECT_TRUE(combo->Focused());
    TQmPopupGrid* list = combo->PopupGrid();
    EXPECT_EQ(list->Top(), combo->ClientToScreen({0, 0}).Y + combo->Height() - 1);
    QImage picture = screenPicture(form.get(), {list});
    picture.save(QString::fromStdString(dir.file("cell.png")));
    if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
        picture.save(QString::fromStdString(std::string(keep) + "/lookup_cell.png"));

    combo->SendKey(VK_DOWN);
    combo->SendKey(VK_RETURN);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(sold("CODE"), "AC1");
    EXPECT_EQ(sold("DESC"), "Single vision");
    EXPECT_TRUE(combo->Focused()) << "Enter on the open list only closes it";

    combo->SendKey(VK_TAB);
    EXPECT_TRUE(grid->Focused()) << "Tab gives the grid the key back";
    EXPECT_EQ(grid->SelectedIndex(), 1);
    EXPECT_FALSE(combo->Visible()) << "hidden when its column is left";

    // A character typed on the cell goes to the combo.
    grid->SetSelectedIndex(0);
    renderControl(form.get());
    grid->SendChar('B');
    Application->ProcessMessages();
    EXPECT_TRUE(combo->Focused());
    EXPECT_EQ(combo->Text(), "B");
    combo->SendKey(VK_ESCAPE);
    EXPECT_EQ(combo->Text(), "AC1");
    combo->SendKey(VK_ESCAPE);
    EXPECT_TRUE(grid->Focused()) << "Escape on a closed combo returns to the grid";
}

}  // namespace
