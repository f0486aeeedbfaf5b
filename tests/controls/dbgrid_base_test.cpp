// The data grid base over a real table: the key table with the dataset's
// state and position after each key, the fresh-insert rules, Tab stepping,
// the delete question, the three-position scroll bar, widths and moves
// written back to the fields, and the record window restored after drawing.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include "GridFixture.h"
#include "controls/Qmdbigrd.h"
#include "ui/Dialogs.h"
#include "ui/StdCtrls.h"

namespace {

// Reaches the grid's drawing and scroll-bar hooks as the window would.
class ProbeGrid : public TQmCustomDBGrid {
public:
    using TQmCustomDBGrid::DrawCell;
    using TQmCustomDBGrid::TQmCustomDBGrid;
    void scrollBar(TScrollCode Code, int Pos) { Scroll(sbVertical, Code, Pos); }
};

class DBGridBaseTest : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        makePeople(30);
        table = openTable("people.dbf");
        grid = new ProbeGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(8, 8, 420, 200);
        grid->SetDataSource(sourceOf(table));
        other = new TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(440, 8, 100, 21);
        table->Open();
        show();
        grid->SetFocus();
    }

    std::string name() { return table->Eof() && table->State() == dsInsert ? "<new>" : table->FieldByName("NAME")->AsString(); }

    TQmTable* table = nullptr;
    ProbeGrid* grid = nullptr;
    TEdit* other = nullptr;
};

TEST_F(DBGridBaseTest, TheRecordWindowIsAsLongAsTheRowsThatFit) {
    int visible = grid->VisibleRowCount();
    EXPECT_GT(visible, 5);
    EXPECT_EQ(grid->DataLink()->BufferCount(), visible);
    EXPECT_EQ(grid->RowCount(), visible + 1);
    EXPECT_EQ(grid->ColCount(), 4);
    EXPECT_EQ(grid->ColWidths(0), 11) << "the indicator column";
    EXPECT_EQ(grid->Col(), 1) << "column 0 is never current";
    grid->SetHeight(120);
    EXPECT_EQ(grid->DataLink()->BufferCount(), grid->VisibleRowCount());
    EXPECT_LT(grid->VisibleRowCount(), visible);
}

TEST_F(DBGridBaseTest, KeysMoveTheDatasetAsTheKeyTableSays) {
    int page = grid->VisibleRowCount();
    char paged[8];
    std::snprintf(paged, sizeof paged, "N%02d", 1 + page);
    struct Case {
        Word key;
        TShiftState shift;
        std::string name;
        TDataSetState state;
        int column;
    };
    const std::vector<Case> cases = {
        {VK_DOWN, {}, "N02", dsBrowse, 0},
        {VK_UP, {}, "N01", dsBrowse, 0},
        {VK_NEXT, {}, paged, dsBrowse, 0},
        {VK_PRIOR, {}, "N01", dsBrowse, 0},
        {VK_RIGHT, {}, "N01", dsBrowse, 1},
        {VK_END, {}, "N01", dsBrowse, 2},
        {VK_HOME, {}, "N01", dsBrowse, 0},
        {VK_END, {ssCtrl}, "N30", dsBrowse, 0},
        {VK_DOWN, {}, "<new>", dsInsert, 0},  // appends at the end
        {VK_DOWN, {}, "<new>", dsInsert, 0},  // an untouched append stays
        {VK_UP, {}, "N30", dsBrowse, 0},      // and Up cancels it
        {VK_HOME, {ssCtrl}, "N01", dsBrowse, 0},
        {VK_INSERT, {}, "", dsInsert, 0},
        {VK_ESCAPE, {}, "N01", dsBrowse, 0},  // Reset of an unchanged insert cancels
        {VK_TAB, {}, "N01", dsBrowse, 1},
        {VK_TAB, {ssShift}, "N01", dsBrowse, 0},
    };
    for (const Case& c : cases) {
        grid->SendKey(c.key, c.shift);
        EXPECT_EQ(table->State(), c.state) << "key " << c.key;
        if (c.state != dsInsert || c.name != "") EXPECT_EQ(name(), c.name) << "key " << c.key;
        EXPECT_EQ(grid->SelectedIndex(), c.column) << "key " << c.key;
        EXPECT_EQ(grid->Row(), grid->DataLink()->ActiveRecord() + 1) << "the current row follows the record";
    }
    EXPECT_EQ(table->RecordCount(), 30) << "nothing appended for good";
}

TEST_F(DBGridBaseTest, TabPastTheLastColumnGoesToTheNextRowAndAppendsAtTheEnd) {
    grid->SetSelectedIndex(2);
    grid->SendKey(VK_TAB);
    EXPECT_EQ(name(), "N02");
    EXPECT_EQ(grid->SelectedIndex(), 0);
    table->Last();
    grid->SetSelectedIndex(2);
    grid->SendKey(VK_TAB);
    EXPECT_EQ(table->State(), dsInsert);
    grid->SendKey(VK_TAB, {ssShift});
    EXPECT_EQ(table->State(), dsBrowse) << "back from a fresh append cancels it";
    EXPECT_EQ(name(), "N30");
    EXPECT_EQ(grid->SelectedIndex(), 2);
    table->FieldByName("CITY")->SetReadOnly(true);
    grid->LayoutChanged();
    grid->SetSelectedIndex(0);
    grid->SendKey(VK_TAB);
    EXPECT_EQ(grid->SelectedIndex(), 2) << "a read-only column is no tab stop";
}

TEST_F(DBGridBaseTest, CtrlDeleteAsksAndCancelKeepsTheRecord) {
    TDialogScript script;
    script.Answer(mrCancel).Answer(mrOk);
    grid->SendKey(VK_DELETE, {ssCtrl});
    EXPECT_EQ(name(), "N01");
    grid->SendKey(VK_DELETE, {ssCtrl});
    EXPECT_EQ(name(), "N02");
    table->First();
    EXPECT_EQ(name(), "N02") << "N01 is gone";
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "Delete record?");
    EXPECT_EQ(script.Shown()[0].Buttons, (std::vector<std::string>{"OK", "Cancel"}));
    grid->SetReadOnly(true);
    grid->SendKey(VK_DELETE, {ssCtrl});  // no question: an unanswered one would raise
    EXPECT_EQ(name(), "N02");
}

TEST_F(DBGridBaseTest, TheScrollBarHasThreePositionsAndItsThumbPages) {
    EXPECT_EQ(grid->ScrollPos(sbVertical), 0);
    grid->SendKey(VK_DOWN);
    EXPECT_EQ(grid->ScrollPos(sbVertical), 2);
    table->Last();
    EXPECT_EQ(grid->ScrollPos(sbVertical), 4);
    table->First();
    struct Case {
        TScrollCode code;
        int pos;
        int moved;  // records from N01 after the action
    };
    int page = grid->VisibleRowCount();
    for (const Case& c : std::vector<Case>{{scPosition, 3, page},
                                           {scPosition, 2, page},
                                           {scPosition, 1, 0},
                                           {scLineDown, 0, 1},
                                           {scPageDown, 0, 1 + page},
                                           {scLineUp, 0, page},
                                           {scPosition, 4, 29},
                                           {scPosition, 0, 0},
                                           {scBottom, 0, 29},
                                           {scTop, 0, 0}}) {
        grid->scrollBar(c.code, c.pos);
        char expected[8];
        std::snprintf(expected, sizeof expected, "N%02d", 1 + c.moved);
        EXPECT_EQ(name(), expected) << "code " << c.code << " at " << c.pos;
    }
    grid->scrollBar(scBottom, 0);
    grid->scrollBar(scLineDown, 0);
    EXPECT_EQ(table->State(), dsBrowse) << "the bar's line down never appends";
}

TEST_F(DBGridBaseTest, DraggedWidthsAndMovedColumnsGoBackToTheFields) {
    TField* city = table->FieldByName("CITY");
    int digit = grid->ColWidths(2) - 4;  // "0" width x 15 for CITY
    digit /= city->DisplayWidth();
    grid->SetColWidths(2, 10 * digit + 4);
    EXPECT_EQ(city->DisplayWidth(), (10 * digit + 4 + digit / 2 - 3) / digit);

    // Drag the title of AMOUNT onto NAME.
    int y = grid->CellRect(1, 0).Top + 3;
    auto mouse = [&](QEvent::Type type, int x, Qt::MouseButtons buttons) {
        QPointF p(x, y);
        QMouseEvent e(type, p, grid->Handle()->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(grid->Handle(), &e);
    };
    mouse(QEvent::MouseButtonPress, grid->CellRect(3, 0).Left + 5, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, grid->CellRect(1, 0).Left + 5, Qt::NoButton);
    EXPECT_EQ(table->FieldByName("AMOUNT")->Index(), 0);
    EXPECT_EQ(grid->Fields(0)->FieldName(), "AMOUNT");
    EXPECT_EQ(grid->Fields(1)->FieldName(), "NAME");
}

TEST_F(DBGridBaseTest, LeavingTheGridCancelsAFreshInsertOnlyWithCancelOnExit) {
    table->Insert();
    other->SetFocus();
    EXPECT_EQ(table->State(), dsBrowse);
    grid->SetFocus();
    grid->SetOptions({dgEditing, dgTitles, dgIndicator, dgColLines, dgRowLines, dgTabs});
    table->Insert();
    other->SetFocus();
    EXPECT_EQ(table->State(), dsInsert);
    table->Cancel();
}

TEST_F(DBGridBaseTest, TypingInTheEditorPutsTheTextIntoTheField) {
    grid->SendKey(VK_F2);
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_EQ(grid->InplaceEditor()->Text(), "N01");
    EXPECT_EQ(grid->InplaceEditor()->MaxLength(), 20);
    grid->InplaceEditor()->SelectAll();
    for (char c : std::string("ZED")) grid->InplaceEditor()->SendChar(c);
    EXPECT_EQ(table->State(), dsEdit);
    grid->SendKey(VK_DOWN);
    EXPECT_EQ(table->State(), dsBrowse);
    table->First();
    EXPECT_EQ(name(), "ZED");
}

TEST_F(DBGridBaseTest, ARaisingCellDrawingLeavesTheRecordWindowAsItWas) {
    table->MoveBy(3);
    int active = grid->DataLink()->ActiveRecord();
    grid->OnDrawDataCell = [](TObject*, const TRect&, TField*, TGridDrawState) { throw Exception("drawing failed"); };
    TBitmap canvasOwner(10, 10);
    EXPECT_THROW(grid->DrawCell(1, 1, Rect(0, 0, 10, 10), {}), Exception);
    EXPECT_EQ(grid->DataLink()->ActiveRecord(), active);
    EXPECT_FALSE(table->ControlsDisabled());
    EXPECT_EQ(name(), "N04");
}

TEST_F(DBGridBaseTest, AFontChangeRelaysTheGridOutAndTheParentsFontBecomesTheTitleFont) {
    auto height = [](const TFont& font) {
        TBitmap measure(1, 1);
        measure.Canvas()->Font()->Assign(font);
        return measure.Canvas()->TextHeight("W");
    };
    int rowHeight = grid->DefaultRowHeight();
    int nameWidth = grid->ColWidths(1);
    form->Font()->SetSize(16);
    EXPECT_EQ(grid->Font()->Size(), 16);
    EXPECT_EQ(grid->TitleFont()->Size(), 16) << "the parent's font is the title font too";
    EXPECT_TRUE(grid->ParentFont());
    EXPECT_EQ(grid->RowHeights(0), height(*grid->TitleFont()) + 4);
    EXPECT_EQ(grid->DefaultRowHeight(), height(*grid->Font()) + 2 + 1);
    EXPECT_GT(grid->DefaultRowHeight(), rowHeight);
    EXPECT_GT(grid->ColWidths(1), nameWidth);
    EXPECT_EQ(grid->DataLink()->BufferCount(), grid->VisibleRowCount());

    grid->TitleFont()->SetStyle({fsBold});
    EXPECT_FALSE(grid->ParentFont()) << "a title font of the grid's own";
    form->Font()->SetSize(8);
    EXPECT_EQ(grid->TitleFont()->Size(), 16);
    grid->Font()->SetSize(8);
    EXPECT_EQ(grid->DefaultRowHeight(), height(*grid->Font()) + 2 + 1) << "the grid's own font";
    EXPECT_EQ(grid->TitleFont()->Size(), 16);
}

TEST_F(DBGridBaseTest, MoreThanTheMostColumnsRaisesTheGridError) {
    TQmGridDataLink* link = grid->DataLink();
    link->ClearMapping();
    for (int i = 0; i < MaxGridColumns; ++i) link->AddMapping("NAME");
    EXPECT_THROW(link->AddMapping("NAME"), EInvalidGridOperation);
    link->ClearMapping();
    EXPECT_THROW(link->AddMapping("NOSUCH"), Exception);
}

}  // namespace
