// The published data grid: a list grid with its column lines, an entry grid
// over receipt lines with check boxes, a combo over its cell, a two-line
// title and memo cells, the discard question, the memo dialog run through
// the dialog script, the pictures of both grids, and the window showing what
// the grid draws after moves that change its scroll bar and after ones that
// do not.
#include <gtest/gtest.h>

#include <QBackingStore>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QWidget>

#include <functional>

#include "GridFixture.h"
#include "controls/Qmdbcomb.h"
#include "controls/Qmdbgrid.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/Dialogs.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

class QmDBGridTest : public GridFixture {
protected:
    TQmDBGrid* placeGrid(const std::string& name, int left, int top, int width, int height) {
        auto* grid = new TQmDBGrid(form.get());
        grid->SetName(name);
        grid->SetParent(form.get());
        grid->SetBounds(left, top, width, height);
        return grid;
    }

    // The receipt form's entry grid.
    void openLines() {
        makeLines();
        lines = openTable("lines.dbf");
        lines->ControlType()->Add("TAXABLE;CheckBox;Y;N");
        lines->ControlType()->Add("KIND;Combo;KindCombo");
        lines->ControlType()->Add("AMOUNT;Combo");       // no control named: ignored
        lines->ControlType()->Add("DESC;LookupCombo;");  // kept, no such control
        combo = new TQmDBComboBox(form.get());
        combo->SetName("KindCombo");
        combo->SetParent(form.get());
        combo->Items()->Add("Goods");
        combo->Items()->Add("Service");
        grid = placeGrid("LinesGrid", 8, 8, 540, 160);
        grid->SetTitleLines(2);
        for (const char* line : {"DESC\t14\tItem~Description", "TAXABLE\t3\tTax", "KIND\t9\tKind",
                                 "AMOUNT\t9\tAmount", "NOTES\t14\tNotes"})
            grid->Selected()->Add(line);
        grid->SetDataSource(sourceOf(lines));
        lines->Open();
        show();
        grid->SetFocus();
    }

    std::string text(const char* field) { return lines->FieldByName(field)->AsString(); }

    void mouseAt(QEvent::Type type, TGridCoord cell) {
        TRect r = grid->CellRect(cell.X, cell.Y);
        QPointF p(r.Left + 3, r.Top + 3);
        QMouseEvent e(type, p, grid->Handle()->mapToGlobal(p), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(grid->Handle(), &e);
    }

    TQmTable* lines = nullptr;
    TQmDBComboBox* combo = nullptr;
    TQmDBGrid* grid = nullptr;
};

TEST_F(QmDBGridTest, TheColumnLinesPickOrderWidthsAndTitles) {
    openLines();
    ASSERT_EQ(grid->FieldCount(), 5);
    EXPECT_EQ(grid->Fields(0)->FieldName(), "DESC");
    EXPECT_EQ(grid->Fields(1)->DisplayLabel(), "Tax");
    auto height = [](TFont* font) {
        TBitmap measure(1, 1);
        measure.Canvas()->Font()->Assign(*font);
        return measure.Canvas()->TextHeight("W");
    };
    EXPECT_EQ(grid->RowHeights(0), 2 * height(grid->TitleFont()) + 4) << "two title lines";
    EXPECT_EQ(grid->DefaultRowHeight(), height(grid->Font()) + 5 + 1) << "room for the combo, and the row line";
    EXPECT_EQ(lines->FieldByName("KIND")->DisplayWidth(), 9);
    EXPECT_FALSE(lines->ControlsDisabled());
}

TEST_F(QmDBGridTest, SpaceAndDoubleClickToggleACheckBoxOfAnEditableGrid) {
    openLines();
    std::vector<std::string> order;
    grid->OnKeyUp = [&](TObject*, Word&, TShiftState) { order.push_back("keyup " + text("TAXABLE")); };
    grid->OnDblClick = [&](TObject*) { order.push_back("dblclick " + text("TAXABLE")); };
    grid->SetSelectedIndex(1);
    grid->SendKey(VK_SPACE);
    EXPECT_EQ(text("TAXABLE"), "N");
    EXPECT_EQ(lines->State(), dsEdit);
    EXPECT_EQ(grid->InplaceEditor(), nullptr) << "no in-place editor over a check box";
    mouseAt(QEvent::MouseButtonDblClick, {2, 1});
    EXPECT_EQ(text("TAXABLE"), "Y");
    EXPECT_EQ(order, (std::vector<std::string>{"keyup N", "dblclick N"}))
        << "Space toggles before OnKeyUp, OnDblClick runs before the toggle";
    lines->Post();
    grid->SetReadOnly(true);
    grid->SendKey(VK_SPACE);
    EXPECT_EQ(text("TAXABLE"), "Y") << "a read-only grid never toggles";
}

TEST_F(QmDBGridTest, TheComboIsPlacedOverTheCurrentCell) {
    openLines();
    grid->SetSelectedIndex(2);
    renderControl(form.get());
    ASSERT_EQ(grid->EmbeddedControl(), combo);
    EXPECT_TRUE(combo->Visible());
    EXPECT_EQ(combo->Parent(), grid);
    TRect cell = grid->CellRect(3, 1);
    EXPECT_EQ(combo->BoundsRect(), Bounds(cell.Left + 2, cell.Top + 1 + (grid->DefaultRowHeight() - combo->Height()) / 2,
                                          cell.Width(), cell.Height()));
    EXPECT_EQ(combo->Text(), "Goods");
    grid->SetSelectedIndex(3);
    EXPECT_FALSE(combo->Visible()) << "leaving the column hides it";
}

TEST_F(QmDBGridTest, CharactersTypedOnAComboCellGoToTheCombo) {
    openLines();
    combo->SetStyle(csDropDownList);
    grid->SetSelectedIndex(2);
    renderControl(form.get());  // places the combo
    ASSERT_EQ(grid->EmbeddedControl(), combo);
    grid->SendChar('S');
    Application->ProcessMessages();
    EXPECT_EQ(form->ActiveControl(), combo);
    EXPECT_EQ(combo->Text(), "Service");
    EXPECT_EQ(grid->InplaceEditor(), nullptr) << "never the in-place editor";

    grid->SetFocus();
    grid->SetSelectedIndex(1);
    grid->SendChar('N');
    Application->ProcessMessages();
    EXPECT_EQ(form->ActiveControl(), grid) << "a check box cell drops it";
    EXPECT_EQ(grid->InplaceEditor(), nullptr);
}

TEST_F(QmDBGridTest, ABottomOrRightAlignmentIsSetAsideWhileTheComboShows) {
    struct Case {
        TAlign grid, panel;
    } cases[] = {{alBottom, alNone}, {alRight, alBottom}, {alClient, alRight}, {alTop, alTop}};
    openLines();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 560, 200);
    grid->SetParent(panel);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "grid " << c.grid << ", panel " << c.panel);
        grid->SetAlign(c.grid);
        panel->SetAlign(c.panel);
        grid->SetFocus();
        grid->SetSelectedIndex(2);
        renderControl(form.get());
        ASSERT_EQ(grid->EmbeddedControl(), combo);
        auto whileShown = [](TAlign a) { return a == alBottom || a == alRight ? alNone : a; };
        EXPECT_EQ(grid->Align(), whileShown(c.grid));
        EXPECT_EQ(panel->Align(), whileShown(c.panel));
        grid->SetSelectedIndex(3);
        EXPECT_EQ(grid->EmbeddedControl(), nullptr);
        EXPECT_EQ(grid->Align(), c.grid) << "restored";
        EXPECT_EQ(panel->Align(), c.panel) << "restored";
    }
}

TEST_F(QmDBGridTest, AMemoCellShowsMemoOrTheMemosFirstLine) {
    openLines();
    struct Case {
        std::string memo, shown;
    } cases[] = {
        {"Metal frame\r\nblack", "Metal frame"},
        {"one\ntwo\rthree", "one"},
        {"one\rtwo\nthree", "one"},
        {"", ""},
        {std::string(300, 'x'), std::string(255, 'x')},
        {std::string(254, 'y') + "z\r\n", std::string(254, 'y') + "z"},
    };
    for (const Case& c : cases) {
        lines->Edit();
        lines->FieldByName("NOTES")->SetAsString(c.memo);
        lines->Post();
        grid->SetMemoAttributes({mGridShow});
        EXPECT_EQ(grid->cellText(5, 1), c.shown) << c.memo;
        grid->SetMemoAttributes({});
        EXPECT_EQ(grid->cellText(5, 1), "(Memo)") << c.memo;
    }
    grid->SetMemoAttributes({mGridShow});
    lines->Append();
    EXPECT_EQ(grid->cellText(5, grid->Row()), "") << "the record being inserted";
    lines->Cancel();
    while (!lines->IsEmpty()) lines->Delete();
    EXPECT_EQ(grid->cellText(5, 1), "") << "an empty table";
}

TEST_F(QmDBGridTest, AnAlwaysShownEditorComesBackWhenTheGridPaints) {
    openLines();
    TQmDBGridOptions options = grid->Options();
    options.Include(dgAlwaysShowEditor);
    grid->SetOptions(options);
    grid->SetSelectedIndex(1);
    EXPECT_FALSE(grid->EditorMode()) << "none over a check box";
    // A click on another row and column within the window.
    mouseAt(QEvent::MouseButtonPress, {1, 2});
    mouseAt(QEvent::MouseButtonRelease, {1, 2});
    EXPECT_EQ(text("DESC"), "Eye exam");
    EXPECT_FALSE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
    renderControl(form.get());
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    EXPECT_TRUE(grid->InplaceEditor()->Visible());
    EXPECT_EQ(grid->InplaceEditor()->Text(), "Eye exam");
    EXPECT_EQ(grid->InplaceEditor()->BoundsRect(), grid->CellRect(1, 2));
}

// A post from the grid's own key handler redraws the rows and hides the
// editor that has the focus: the focus goes back to the grid, not to the
// next control, and the grid hears neither Exit nor Enter.
TEST_F(QmDBGridTest, AnEditorHiddenByAPostLeavesTheFocusInTheGrid) {
    auto* next = new TEdit(form.get());
    next->SetParent(form.get());
    next->SetBounds(8, 180, 120, 21);
    openLines();
    grid->SetSelectedIndex(3);  // Amount
    int enters = 0, exits = 0;
    grid->OnEnter = [&](TObject*) { ++enters; };
    grid->OnExit = [&](TObject*) { ++exits; };
    grid->OnKeyDown = [&](TObject*, Word& Key, TShiftState) {
        if (Key == VK_RETURN) lines->Post();
    };
    grid->SendChar('9');
    ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Focused());
    grid->SendKey(VK_RETURN);
    EXPECT_EQ(enters, 0);
    EXPECT_EQ(exits, 0);
    EXPECT_FALSE(next->Focused());
    EXPECT_EQ(form->ActiveControl(), grid);
}

TEST_F(QmDBGridTest, EscapeOnAChangedRecordAsksAndNoEndsTheKey) {
    openLines();
    int keyDowns = 0;
    grid->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++keyDowns; };
    lines->Edit();
    lines->FieldByName("DESC")->SetAsString("Case");
    TDialogScript script;
    script.Answer(mrNo).Answer(mrYes);
    grid->SendKey(VK_ESCAPE);
    EXPECT_EQ(lines->State(), dsEdit);
    EXPECT_EQ(keyDowns, 0) << "No ends the key handling, OnKeyDown included";
    grid->SendKey(VK_ESCAPE);
    EXPECT_EQ(lines->State(), dsBrowse);
    EXPECT_EQ(text("DESC"), "Frames");
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "Discard changes to this record?");
}

TEST_F(QmDBGridTest, F2OnAMemoCellEditsTheMemoInTheDialog) {
    openLines();
    grid->SetSelectedIndex(4);
    TDialogScript script;
    script.Answer([](TForm& form) {
        auto& dialog = dynamic_cast<TMemoDialog&>(form);
        EXPECT_EQ(dialog.Caption(), "Notes");
        EXPECT_EQ(dialog.DBMemo->Text(), "Metal frame\r\nblack");
        EXPECT_TRUE(dialog.CancelBtn->Visible());
        dialog.DBMemo->SetFocus();
        dialog.DBMemo->SelectAll();
        for (char c : std::string("Titanium")) dialog.DBMemo->SendChar(c);
        dialog.DBMemo->SendKey(VK_TAB);  // stays in the text
        dialog.DBMemo->SendKey(VK_RETURN, {ssCtrl});
    });
    bool closed = false, cancelled = true;
    grid->OnMemoClose = [&](TQmDBGrid*, bool Cancel) {
        closed = true;
        cancelled = Cancel;
    };
    grid->SendKey(VK_F2);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(lines->State(), dsBrowse);
    EXPECT_EQ(text("NOTES"), "Titanium\t");
}

TEST_F(QmDBGridTest, LeavingAChangedMemoAsksAndNoKeepsTheText) {
    openLines();
    grid->SetSelectedIndex(4);
    TDialogScript script;
    script.Answer([&](TForm& form) {
              auto& dialog = dynamic_cast<TMemoDialog&>(form);
              dialog.DBMemo->SetFocus();
              dialog.DBMemo->SelectAll();
              dialog.DBMemo->SendChar('!');
              bool canClose = true;
              dialog.FormCloseQuery(&dialog, canClose);
              EXPECT_FALSE(canClose);
              EXPECT_EQ(dialog.DBMemo->Text(), "!");
              dialog.SetModalResult(mrCancel);
          })
        .Answer(mrNo)    // the question inside the action
        .Answer(mrYes);  // the question of the close
    grid->SendKey(VK_F2);
    ASSERT_EQ(script.Shown().size(), 3u);
    EXPECT_EQ(script.Shown()[1].Text, "Changes have been made!  Are you sure you wish to cancel?");
    EXPECT_EQ(lines->State(), dsBrowse) << "Yes cancelled the record's edit";
    EXPECT_EQ(text("NOTES"), "Metal frame\r\nblack");
}

TEST_F(QmDBGridTest, AFailingPostKeepsTheMemoDialogOpenWithItsText) {
    openLines();
    grid->SetSelectedIndex(4);
    lines->BeforePost = [](TDataSet*) { throw Exception("Record locked by another user."); };
    TDialogScript script;
    script.Answer([&](TForm& form) {
        auto& dialog = dynamic_cast<TMemoDialog&>(form);
        dialog.DBMemo->SetFocus();
        dialog.DBMemo->SelectAll();
        dialog.DBMemo->SendChar('!');
        EXPECT_THROW(dialog.OKBtn->Click(), Exception);
        EXPECT_EQ(dialog.ModalResult(), mrNone) << "the dialog stays open";
        EXPECT_EQ(dialog.DBMemo->Text(), "!");
        lines->BeforePost = nullptr;
        dialog.OKBtn->Click();
    });
    grid->SendKey(VK_F2);
    EXPECT_EQ(script.Shown().size(), 1u) << "no question about throwing the text away";
    EXPECT_EQ(text("NOTES"), "!");
}

TEST_F(QmDBGridTest, AViewOnlyMemoShowsOnlyTheCentredOKButton) {
    openLines();
    grid->SetReadOnly(true);
    grid->SetSelectedIndex(4);
    TDialogScript script;
    script.Answer([](TForm& form) {
        auto& dialog = dynamic_cast<TMemoDialog&>(form);
        EXPECT_FALSE(dialog.CancelBtn->Visible());
        EXPECT_TRUE(dialog.DBMemo->ReadOnly());
        int centre = dialog.DBMemo->Left() + dialog.DBMemo->Width() / 2;
        EXPECT_EQ(dialog.OKBtn->Left() + dialog.OKBtn->Width() / 2, centre);
        EXPECT_EQ(dialog.Width(), 561);
        EXPECT_EQ(dialog.Height(), 396);
        dialog.OKBtn->Click();
    });
    mouseAt(QEvent::MouseButtonDblClick, {5, 1});  // F2 opens nothing on a read-only grid
    EXPECT_EQ(script.Unanswered(), 0u);
}

TEST_F(QmDBGridTest, BadColumnLinesAndFixedColsAreRefused) {
    makePeople(3);
    TQmTable* table = openTable("people.dbf");
    TQmDBGrid* list = placeGrid("PeopleGrid", 8, 8, 300, 120);
    list->Selected()->Add("NAME\twide\tName");
    list->SetDataSource(sourceOf(table));
    EXPECT_THROW(table->Open(), EConvertError);
    EXPECT_FALSE(table->ControlsDisabled());
    TDialogScript script;
    script.Answer(mrOk);
    list->SetFixedCols(-1);
    EXPECT_EQ(list->FixedCols(), 0);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Invalid value for FixedCols");
}

TEST_F(QmDBGridTest, PicturesOfAListGridAndAnEntryGrid) {
    openLines();
    grid->SetSelectedIndex(2);
    renderControl(form.get());  // places the combo
    QImage entry = renderControl(grid);
    auto colour = [](const QImage& image, int x, int y) { return qColorToTColor(image.pixelColor(x, y)); };
    TRect title = grid->CellRect(1, 0);
    EXPECT_EQ(colour(entry, title.Right - 3, title.Bottom - 3), ColorToRGB(clBtnFace)) << "title colour";
    auto indicatorInk = [&](int row) {
        TRect r = grid->CellRect(0, row);
        int ink = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) ink += colour(entry, x, y) == clBlack;
        return ink;
    };
    EXPECT_GT(indicatorInk(1), 0) << "the indicator on the current row";
    EXPECT_EQ(indicatorInk(2), 0);
    EXPECT_EQ(indicatorInk(3), 0);
    auto boxInk = [&](int row) {
        TRect r = grid->CellRect(2, row);
        int x0 = (r.Left + r.Right - 10) / 2, y0 = (r.Top + r.Bottom - 10) / 2;
        int ink = 0;
        for (int y = y0 + 1; y < y0 + 9; ++y)
            for (int x = x0 + 1; x < x0 + 9; ++x) ink += colour(entry, x, y) == clBlack;
        return ink;
    };
    EXPECT_GT(boxInk(1), 4) << "Y: checked";
    EXPECT_EQ(boxInk(2), 0) << "N: unchecked";

    makePeople(12);
    TQmTable* people = openTable("people.dbf");
    TQmDBGrid* list = placeGrid("PeopleGrid", 8, 180, 540, 120);
    list->SetOptions({dgEditing, dgTitles, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                      dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit});
    list->SetTitleAlignment(taCenter);
    for (const char* line : {"NAME\t20\tNAME", "CITY\t12\tCity", "AMOUNT\t10\tAmount"}) list->Selected()->Add(line);
    list->SetDataSource(sourceOf(people));
    people->Open();
    people->MoveBy(2);
    renderToPng(form.get(), dir.file("grids.png"));
    QImage listImage = renderControl(list);
    TRect third = list->CellRect(1, 3);
    EXPECT_EQ(colour(listImage, third.Right - 3, third.Top + 3), ColorToRGB(clHighlight)) << "the selected row";
    if (const char* keep = std::getenv("QM_KEEP_PICTURES")) renderToPng(form.get(), std::string(keep) + "/grids.png");
}

TEST_F(QmDBGridTest, TheWindowShowsWhatTheGridDrawsAfterEveryMove) {
    makePeople(40);
    TQmTable* people = openTable("people.dbf");
    TQmDBGrid* list = placeGrid("PeopleGrid", 8, 8, 360, 140);
    list->SetDataSource(sourceOf(people));
    people->Open();
    show();
    QWidget* widget = list->Handle();
    QWidget* window = widget->window();
    QRect onWindow(widget->mapTo(window, QPoint(0, 0)), widget->size());
    struct Move {
        const char* name;
        std::function<void()> go;
        bool repaint;  // the grid repaints itself at once, or on the event loop
    };
    const Move moves[] = {
        {"page down", [&] { people->MoveBy(list->VisibleRowCount()); }, true},
        {"last", [&] { people->Last(); }, true},
        {"prior", [&] { people->Prior(); }, false},
        {"first", [&] { people->First(); }, false},
        {"into the middle", [&] { people->MoveBy(20); }, true},
        {"one down", [&] { people->Next(); }, false},
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(move.name);
        move.go();
        if (move.repaint) list->Repaint();
        Application->ProcessMessages();
        QPaintDevice* device = window->backingStore() ? window->backingStore()->paintDevice() : nullptr;
        ASSERT_TRUE(device && device->devType() == QInternal::Image) << "the window keeps its picture in an image";
        QImage shown = static_cast<QImage*>(device)->copy(onWindow).convertToFormat(QImage::Format_RGB32);
        QImage drawn = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), drawn.size());
        int differing = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x) differing += shown.pixel(x, y) != drawn.pixel(x, y);
        EXPECT_EQ(differing, 0);
    }
}

}  // namespace
