// The custom grid on a shown form: geometry, the current cell with its
// SelectCell veto and Click, the in-place editor and its hooks, column sizing
// and moving by dragging in the title row, timed scrolling, and the colours
// a render shows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/Grids.h"
#include "ui/MessageBeep.h"
#include "ui/OffscreenRender.h"

namespace {

// A grid of texts "c,r" that records what the base asks of it.
class TextGrid : public TCustomGrid {
public:
    explicit TextGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    std::map<std::pair<int, int>, std::string> cells;
    std::vector<std::pair<int, int>> refused;  // cells SelectCell refuses
    std::vector<std::pair<int, int>> asked;    // every SelectCell call
    int clicks = 0;
    int topLeftChanges = 0;
    int widthChanges = 0;
    std::vector<std::pair<int, int>> moves;
    std::vector<TGridScrollDirections> timedScrolls;
    std::string acceptOnly;  // CanEditAcceptKey: only these characters ("" = all)
    bool modifiable = true;
    int limit = 0;

    using TCustomGrid::HideEditor;
    using TCustomGrid::ShowEditor;

    void Click() override {
        ++clicks;
        TCustomGrid::Click();
    }

protected:
    bool SelectCell(int ACol, int ARow) override {
        asked.emplace_back(ACol, ARow);
        for (auto& r : refused)
            if (r == std::make_pair(ACol, ARow)) return false;
        return TCustomGrid::SelectCell(ACol, ARow);
    }
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
        Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, text(ACol, ARow));
        TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
    }
    void TopLeftChanged() override {
        ++topLeftChanges;
        TCustomGrid::TopLeftChanged();
    }
    void ColWidthsChanged() override { ++widthChanges; }
    void ColumnMoved(int FromIndex, int ToIndex) override { moves.emplace_back(FromIndex, ToIndex); }
    void TimedScroll(TGridScrollDirections Direction) override {
        timedScrolls.push_back(Direction);
        TCustomGrid::TimedScroll(Direction);
    }
    std::string GetEditText(int ACol, int ARow) override { return text(ACol, ARow); }
    void SetEditText(int ACol, int ARow, const std::string& Value) override { cells[{ACol, ARow}] = Value; }
    int GetEditLimit() override { return limit; }
    bool CanEditAcceptKey(char Key) override {
        return acceptOnly.empty() || acceptOnly.find(Key) != std::string::npos;
    }
    bool CanEditModify() override { return modifiable; }

private:
    std::string text(int ACol, int ARow) {
        auto it = cells.find({ACol, ARow});
        return it != cells.end() ? it->second : std::to_string(ACol) + "," + std::to_string(ARow);
    }
};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        clearMessageBeeps();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        grid = new TextGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 300, 200);
        grid->SetScrollBars(ssNone);
        grid->SetColCount(5);
        grid->SetRowCount(5);
        grid->SetDefaultColWidth(50);
        grid->SetDefaultRowHeight(20);
    }
    void TearDown() override { form.reset(); }

    void show() {
        form->Show();
        grid->SetFocus();
        Application->ProcessMessages();
    }

    void mouse(QEvent::Type type, int x, int y, Qt::MouseButtons buttons = Qt::LeftButton) {
        QPointF p(x, y);
        QMouseEvent e(type, p, grid->Handle()->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(grid->Handle(), &e);
    }
    void drag(int x0, int y0, int x1, int y1) {
        mouse(QEvent::MouseButtonPress, x0, y0);
        mouse(QEvent::MouseMove, x1, y1);
        mouse(QEvent::MouseButtonRelease, x1, y1, Qt::NoButton);
    }

    std::unique_ptr<TForm> form;
    TextGrid* grid = nullptr;
};

TEST_F(GridTest, CellsLieSideBySideWithTheirGridLinesAndTheFixedOnesStayPut) {
    grid->SetColWidths(0, 30);
    grid->SetRowHeights(0, 25);
    EXPECT_EQ(grid->CellRect(0, 0), Rect(0, 0, 30, 25));
    EXPECT_EQ(grid->CellRect(1, 1), Rect(31, 26, 81, 46));
    EXPECT_EQ(grid->CellRect(2, 3), Rect(82, 68, 132, 88));
    struct Case {
        int x, y;
        TGridCoord cell;
    };
    for (const Case& c : std::vector<Case>{{0, 0, {0, 0}},
                                           {30, 25, {0, 0}},  // the lines belong to the cell before
                                           {31, 26, {1, 1}},
                                           {100, 50, {2, 2}},
                                           {250, 10, {-1, -1}},  // right of the last column
                                           {-1, 5, {-1, -1}}})
        EXPECT_EQ(grid->MouseCoord(c.x, c.y), c.cell) << c.x << "," << c.y;

    grid->SetColCount(10);
    grid->SetLeftCol(2);
    EXPECT_EQ(grid->CellRect(1, 1), TRect{}) << "scrolled off";
    EXPECT_EQ(grid->CellRect(2, 1), Rect(31, 26, 81, 46));
    EXPECT_EQ(grid->CellRect(0, 1), Rect(0, 26, 30, 46)) << "fixed columns stay";
    EXPECT_EQ(grid->MouseCoord(40, 30), (TGridCoord{2, 1}));
}

TEST_F(GridTest, VisibleRowCountComesFromTheClientSizeNotFromTheRows) {
    grid->SetRowCount(2);
    // 200 high: a fixed row of 21, then rows of 21 pixels: 8 fit.
    EXPECT_EQ(grid->VisibleRowCount(), 8);
    grid->SetRowCount(100);
    EXPECT_EQ(grid->VisibleRowCount(), 8);
    grid->SetHeight(105);
    EXPECT_EQ(grid->VisibleRowCount(), 4);
    EXPECT_EQ(grid->VisibleColCount(), 4);  // 300 wide: 51 fixed, then 4 of 51
}

TEST_F(GridTest, KeysMoveTheCurrentCellAndClickAfterEveryAttemptRefusedOrNot) {
    grid->SetRowCount(30);
    show();
    grid->refused = {{2, 2}};
    struct Case {
        Word key;
        TShiftState shift;
        TGridCoord after;
        int clicks;
    };
    const std::vector<Case> cases = {
        {VK_RIGHT, {}, {2, 1}, 1},
        {VK_DOWN, {}, {2, 1}, 2},  // (2,2) refused: stays, still clicks
        {VK_LEFT, {}, {1, 1}, 3},
        {VK_LEFT, {}, {1, 1}, 3},  // at the fixed column: no attempt
        {VK_END, {}, {4, 1}, 4},
        {VK_HOME, {}, {1, 1}, 5},
        {VK_NEXT, {}, {1, 9}, 6},
        {VK_HOME, {ssCtrl}, {1, 1}, 7},
        {VK_END, {ssCtrl}, {4, 29}, 8},
    };
    for (const Case& c : cases) {
        grid->SendKey(c.key, c.shift);
        EXPECT_EQ((TGridCoord{grid->Col(), grid->Row()}), c.after) << "key " << c.key;
        EXPECT_EQ(grid->clicks, c.clicks) << "key " << c.key;
    }
    EXPECT_GT(grid->TopRow(), 1) << "the last row was scrolled into view";
}

TEST_F(GridTest, TabStepsOverColumnsWithoutTabStopAndWraps) {
    grid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goTabs});
    show();
    grid->SetTabStops(2, false);
    grid->SendKey(VK_TAB);
    EXPECT_EQ(grid->Col(), 3);
    grid->SendKey(VK_TAB);
    grid->SendKey(VK_TAB);
    EXPECT_EQ((TGridCoord{grid->Col(), grid->Row()}), (TGridCoord{1, 2}));
    grid->SendKey(VK_TAB, {ssShift});
    EXPECT_EQ((TGridCoord{grid->Col(), grid->Row()}), (TGridCoord{4, 1}));
}

TEST_F(GridTest, AClickOnACellSelectsItAndClicksOnRelease) {
    show();
    mouse(QEvent::MouseButtonPress, 130, 50);
    EXPECT_EQ(grid->clicks, 0);
    mouse(QEvent::MouseButtonRelease, 130, 50, Qt::NoButton);
    EXPECT_EQ((TGridCoord{grid->Col(), grid->Row()}), (TGridCoord{2, 2}));
    EXPECT_EQ(grid->clicks, 1);
    grid->refused = {{3, 3}};
    mouse(QEvent::MouseButtonPress, 170, 70);
    mouse(QEvent::MouseButtonRelease, 170, 70, Qt::NoButton);
    EXPECT_EQ((TGridCoord{grid->Col(), grid->Row()}), (TGridCoord{2, 2})) << "refused";
    EXPECT_EQ(grid->clicks, 2);
}

TEST_F(GridTest, TheEditorOpensOverTheCurrentCellAndHandsItsTextBack) {
    grid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing});
    grid->limit = 6;
    show();
    grid->SendKey(VK_F2);
    ASSERT_TRUE(grid->EditorMode());
    TInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->BoundsRect(), grid->CellRect(1, 1));
    EXPECT_EQ(editor->Text(), "1,1");
    EXPECT_EQ(editor->MaxLength(), 6);

    grid->acceptOnly = "0123456789";
    editor->SelectAll();
    for (char c : std::string("4x2")) editor->SendChar(c);
    EXPECT_EQ(grid->cells[std::make_pair(1, 1)], "42") << "typing reaches SetEditText";
    EXPECT_EQ(messageBeepsHeard().size(), 1u) << "the refused key beeps";

    editor->SendKey(VK_DOWN);  // the editor hands moving keys to the grid
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(editor->Text(), "1,2");
    grid->modifiable = false;
    editor->SendChar('9');
    EXPECT_EQ(editor->Text(), "1,2") << "CanEditModify refused the change";

    grid->HideEditor();
    EXPECT_FALSE(editor->Visible());
    EXPECT_FALSE(grid->EditorMode());
}

TEST_F(GridTest, ATypedCharacterOpensTheEditorWithIt) {
    grid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing});
    show();
    grid->SendChar('7');
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(grid->cells[std::make_pair(1, 1)], "7");
}

TEST_F(GridTest, DraggingInTheTitleRowSizesAndMovesColumns) {
    grid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing, goColMoving});
    show();
    grid->widthChanges = 0;
    // Column 1's right border is at x 101.
    drag(101, 10, 121, 10);
    EXPECT_EQ(grid->ColWidths(1), 70);
    EXPECT_EQ(grid->widthChanges, 1);
    // Column 2 (x 122..172) dropped on column 3.
    drag(140, 10, 190, 10);
    ASSERT_EQ(grid->moves.size(), 1u);
    EXPECT_EQ(grid->moves[0], std::make_pair(2, 3));
    EXPECT_EQ(grid->ColWidths(1), 70) << "sizing stays with its column";
}

TEST_F(GridTest, SelectingWithTheMouseBelowTheRowsScrollsOnATimer) {
    grid->SetRowCount(40);
    show();
    mouse(QEvent::MouseButtonPress, 60, 30);
    mouse(QEvent::MouseMove, 60, 260);  // below the client area
    QElapsedTimer clock;
    clock.start();
    while (grid->timedScrolls.size() < 2 && clock.elapsed() < 2000) Application->ProcessMessages();
    mouse(QEvent::MouseButtonRelease, 60, 260, Qt::NoButton);
    ASSERT_GE(grid->timedScrolls.size(), 2u);
    EXPECT_TRUE(grid->timedScrolls[0].Contains(sdDown));
    EXPECT_GT(grid->TopRow(), 1);
    EXPECT_GT(grid->Row(), 9);
    size_t after = grid->timedScrolls.size();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_EQ(grid->timedScrolls.size(), after) << "the release stops the timer";
}

TEST_F(GridTest, ScrollingMovesTheTopLeftAndTellsIt) {
    grid->SetRowCount(40);
    grid->SetScrollBars(ssVertical);
    EXPECT_TRUE(grid->ScrollBarVisible(sbVertical));
    EXPECT_FALSE(grid->ScrollBarVisible(sbHorizontal));
    grid->SetTopRow(5);
    EXPECT_EQ(grid->topLeftChanges, 1);
    EXPECT_EQ(grid->ScrollPos(sbVertical), 4);
    grid->SetTopRow(1000);
    EXPECT_EQ(grid->TopRow(), 40 - grid->VisibleRowCount());
}

TEST_F(GridTest, FewerFixedColumnsKeepAGridAtItsStartAtItsStart) {
    grid->SetColCount(20);
    grid->SetFixedCols(0);
    EXPECT_EQ(grid->LeftCol(), 0) << "the first column shows";
    grid->SetFixedCols(2);
    grid->SetLeftCol(6);
    grid->SetFixedCols(1);
    EXPECT_EQ(grid->LeftCol(), 6) << "a scrolled grid stays where it was";
}

TEST_F(GridTest, BadSizesRaiseTheGridError) {
    EXPECT_THROW(grid->SetColCount(MaxGridColumns + 1), EInvalidGridOperation);
    EXPECT_NO_THROW(grid->SetColCount(MaxGridColumns));
    EXPECT_THROW(grid->SetFixedCols(-1), EInvalidGridOperation);
    EXPECT_THROW(grid->SetFixedRows(grid->RowCount()), EInvalidGridOperation);
    EXPECT_THROW(grid->ColWidths(MaxGridColumns), EInvalidGridOperation);
}

TEST_F(GridTest, ARenderShowsFixedCellsSelectionAndLineColoursPerArea) {
    grid->SetFixedLineColor(clRed);
    grid->SetLineColor(clBlue);
    grid->SetFixedColor(clYellow);
    grid->SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goDrawFocusSelected});
    show();
    QImage image = renderControl(grid);
    auto colour = [&](int x, int y) { return qColorToTColor(image.pixelColor(x, y)); };
    EXPECT_EQ(colour(45, 3), clYellow) << "fixed cell";
    EXPECT_EQ(colour(50, 10), clRed) << "line in the fixed column";
    EXPECT_EQ(colour(80, 20), clRed) << "line under the fixed row";
    EXPECT_EQ(colour(101, 35), clBlue) << "line between data cells";
    EXPECT_EQ(colour(150, 35), ColorToRGB(clWindow)) << "plain data cell";
    EXPECT_EQ(colour(90, 30), ColorToRGB(clHighlight)) << "the current cell, focused and drawn selected";
}

}  // namespace
