// Data-aware controls on a real table: what they show of the current record,
// how typing and leaving write back, how read-only sources refuse edits,
// how the grid follows the dataset, and the picture of a form using them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QComboBox>
#include <QImage>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/DbTables.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/FormKit.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/OffscreenRender.h"
#include "xbase/EngineGlue.h"
#include "xbengine/XbEngine.h"

namespace {

struct Column {
    const char* name;
    const char* type;
    int width;
};

const std::vector<Column> kPatientColumns = {
    {"ID", "N", 6}, {"NAME", "C", 20}, {"SEX", "C", 6}, {"ACPTASSIGN", "C", 5}, {"OTHER_INS", "C", 5}, {"NOTES", "M", 10},
};

// ID, NAME, SEX, ACPTASSIGN, OTHER_INS
const std::vector<std::vector<std::string>> kPatients = {
    {"1", "SMITH, JOHN", "Male", "True", "False"},  {"2", "JONES, MARY", "Female", "False", "True"},
    {"3", "BROWN, ANN", "female", "TRUE", "Maybe"}, {"4", "GREEN, TOM", "Other", "Maybe", "False"},
    {"5", "WHITE, EVE", "Female", "True", "True"},  {"6", "BLACK, JIM", "Male", "False", "False"},
};

class DBCtrlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        registerEngineGlue();
        xb_CloseAll();
        xb_SetDeleted(XB_ON);
        xb_SetLockTimeout(50);
        makePatients();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 480, 320);
        table = new TTable(form.get());
        table->SetDatabaseName(dir.path());
        table->SetTableName("patient.dbf");
        table->SetTableType(ttSXNSX);
        source = new TDataSource(form.get());
        source->SetDataSet(table);
    }
    void TearDown() override {
        form.reset();
        Session()->Close();
        xb_SetDeleted(XB_OFF);
    }

    void makePatients() {
        std::string path = dir.file("patient.dbf");
        ASSERT_NE(xb_CreateNew(path.c_str(), "", XB_DRIVER_NSX, static_cast<int>(kPatientColumns.size())), 0);
        for (const Column& c : kPatientColumns) ASSERT_NE(xb_CreateField(c.name, c.type, c.width, 0), 0);
        ASSERT_NE(xb_CreateExec(), 0);
        xb_Close();
        ASSERT_NE(xb_Use(path.c_str(), "FILLING", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        for (const auto& row : kPatients) {
            ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
            for (size_t i = 0; i < row.size(); ++i)
                ASSERT_NE(xb_Replace(xb_FieldName(static_cast<int>(i + 1)), XB_REPLACE_TEXT, row[i].c_str()), 0);
        }
        xb_Close();
    }

    // What the file holds, read through an area of its own.
    std::string stored(int recNo, const char* field) {
        std::string path = dir.file("patient.dbf");
        EXPECT_NE(xb_Use(path.c_str(), "CHECK", XB_SHARED, XB_DRIVER_NSX), 0);
        xb_Go(recNo);
        std::string text = xb_GetTrimString(field);
        xb_Close();
        return text;
    }

    void type(TWinControl* control, const std::string& text) {
        for (char c : text) control->SendChar(c);
    }

    int id() { return table->FieldByName("ID")->AsInteger(); }

    TempDir dir;
    std::unique_ptr<TForm> form;
    TTable* table = nullptr;
    TDataSource* source = nullptr;
};

// ---------------------------------------------------------------- writing back

TEST_F(DBCtrlsTest, TypedTextIsWrittenOnLeavingAndPostedToTheTable) {
    auto* name = placeBound<TDBEdit>(form.get(), 10, 10, 150, 21, source, "NAME");
    auto* other = place<TEdit>(form.get(), 10, 40, 150, 21);
    form->Show();
    table->Open();
    EXPECT_EQ(name->Text(), "SMITH, JOHN");
    EXPECT_EQ(name->MaxLength(), 20) << "the column's width limits the input";

    name->SetFocus();
    name->SelectAll();
    name->SendChar('K');
    EXPECT_EQ(table->State(), dsEdit) << "typing starts the edit";
    type(name, "ING, LEAR");
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), "SMITH, JOHN") << "nothing written while typing";

    other->SetFocus();
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), "KING, LEAR") << "leaving writes the field";
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(stored(1, "NAME"), "SMITH, JOHN") << "the record is not posted yet";
    table->Next();
    EXPECT_EQ(stored(1, "NAME"), "KING, LEAR") << "moving on posts";
    EXPECT_EQ(name->Text(), "JONES, MARY") << "the edit follows the record";

    // Posting while the edit still has the focus takes its text along.
    name->SetFocus();
    name->SelectAll();
    type(name, "DOE, JANE");
    table->Post();
    EXPECT_EQ(stored(2, "NAME"), "DOE, JANE");
    EXPECT_EQ(table->State(), dsBrowse);

    // Escape drops what was typed.
    name->SendChar('X');
    name->SendKey(VK_ESCAPE);
    EXPECT_EQ(name->Text(), "DOE, JANE");
    other->SetFocus();
    table->Post();
    EXPECT_EQ(stored(2, "NAME"), "DOE, JANE");
}

TEST_F(DBCtrlsTest, ChoiceControlsShowAndWriteTheirValues) {
    auto* check = placeBound<TDBCheckBox>(form.get(), 10, 10, 150, 21, source, "ACPTASSIGN");
    auto* sex = placeBound<TDBComboBox>(form.get(), 10, 40, 150, 21, source, "SEX");
    sex->SetStyle(csDropDownList);
    for (const char* item : {"Male", "Female"}) sex->Items()->Add(item);
    auto* radio = place<TDBRadioGroup>(form.get(), 200, 10, 200, 80);
    radio->Items()->Add("Yes");
    radio->Items()->Add("No");
    radio->Values()->Add("True");
    radio->Values()->Add("False");
    radio->SetDataSource(source);
    radio->SetDataField("OTHER_INS");
    std::vector<std::string> changes;
    radio->OnChange = [&](TObject*) { changes.push_back(radio->Value()); };
    auto* text = placeBound<TDBText>(form.get(), 10, 70, 150, 21, source, "NAME");
    form->Show();
    table->Open();

    // The value pair is read without regard to case; other texts gray the box
    // and leave the list and the group without a choice.
    struct Shown {
        TCheckBoxState check;
        int sex;
        int radio;
    } expected[] = {
        {cbChecked, 0, 1}, {cbUnchecked, 1, 0}, {cbChecked, 1, -1}, {cbGrayed, -1, 1}, {cbChecked, 1, 0},
    };
    for (const Shown& e : expected) {
        SCOPED_TRACE("record " + std::to_string(id()));
        EXPECT_EQ(check->State(), e.check);
        EXPECT_EQ(sex->ItemIndex(), e.sex);
        EXPECT_EQ(radio->ItemIndex(), e.radio);
        EXPECT_EQ(text->Caption(), table->FieldByName("NAME")->AsString());
        table->Next();
    }

    // Record 2: the user ticks the box, picks "Male" and answers "No".
    table->First();
    table->Next();
    changes.clear();
    static_cast<QCheckBox*>(check->Handle())->click();
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_TRUE(check->Checked()) << "the toggle survives the edit's re-read";
    auto* combo = static_cast<QComboBox*>(sex->Handle());
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    EXPECT_EQ(sex->Text(), "Male");
    auto buttons = radio->Handle()->findChildren<QRadioButton*>();
    ASSERT_EQ(buttons.size(), 2);
    buttons[1]->click();
    EXPECT_EQ(radio->Value(), "False");
    EXPECT_EQ(changes, (std::vector<std::string>{"False"}));
    table->Post();
    EXPECT_EQ(stored(2, "ACPTASSIGN"), "True");
    EXPECT_EQ(stored(2, "SEX"), "Male");
    EXPECT_EQ(stored(2, "OTHER_INS"), "False");

    // Unticking writes the other half of the pair.
    static_cast<QCheckBox*>(check->Handle())->click();
    table->Post();
    EXPECT_EQ(stored(2, "ACPTASSIGN"), "False");
}

TEST_F(DBCtrlsTest, MemoTextIsPostedAndReadBack) {
    auto* memo = place<TDBMemo>(form.get(), 10, 10, 200, 80);
    memo->SetDataSource(source);
    memo->SetDataField("NOTES");
    auto* other = place<TEdit>(form.get(), 10, 100, 150, 21);
    form->Show();
    table->Open();
    EXPECT_EQ(memo->Text(), "");
    memo->SetFocus();
    type(memo, "Allergic to\rpenicillin");
    other->SetFocus();
    table->Post();
    table->Close();
    table->Open();
    EXPECT_EQ(table->FieldByName("NOTES")->AsString(), "Allergic to\r\npenicillin");
    EXPECT_EQ(memo->Text(), "Allergic to\r\npenicillin");

    // Without AutoDisplay the memo shows the field's name until asked.
    memo->SetAutoDisplay(false);
    table->Next();
    table->Prior();
    EXPECT_EQ(memo->Text(), "(NOTES)");
    memo->SetFocus();
    memo->SendChar('x');
    EXPECT_EQ(table->State(), dsBrowse) << "keys only load the memo";
    memo->SendKey(VK_RETURN);
    EXPECT_EQ(memo->Text(), "Allergic to\r\npenicillin");
}

// ---------------------------------------------------------------- refusing edits

TEST_F(DBCtrlsTest, ReadOnlySourcesRefuseEdits) {
    auto* name = placeBound<TDBEdit>(form.get(), 10, 10, 150, 21, source, "NAME");
    auto* check = placeBound<TDBCheckBox>(form.get(), 10, 40, 150, 21, source, "ACPTASSIGN");
    auto* sex = placeBound<TDBComboBox>(form.get(), 10, 70, 150, 21, source, "SEX");
    sex->SetStyle(csDropDownList);
    for (const char* item : {"Male", "Female"}) sex->Items()->Add(item);
    auto* other = place<TEdit>(form.get(), 10, 100, 150, 21);
    form->Show();

    // Some flags are set on the closed table, the fields' only while it is open.
    struct Case {
        const char* what;
        bool whileOpen;
        std::function<void(bool)> set;
    } cases[] = {
        {"read-only table", false, [&](bool on) { table->SetReadOnly(on); }},
        {"read-only controls", false,
         [&](bool on) {
             name->SetReadOnly(on);
             check->SetReadOnly(on);
             sex->SetReadOnly(on);
         }},
        {"data source without AutoEdit", false, [&](bool on) { source->SetAutoEdit(!on); }},
        {"read-only fields", true, [&](bool on) {
             for (const char* f : {"NAME", "ACPTASSIGN", "SEX"}) table->FieldByName(f)->SetReadOnly(on);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.whileOpen) c.set(true);
        table->Open();
        if (c.whileOpen) c.set(true);
        name->SetFocus();
        name->SelectAll();
        type(name, "XY");
        EXPECT_EQ(name->Text(), "SMITH, JOHN");
        static_cast<QCheckBox*>(check->Handle())->click();
        EXPECT_TRUE(check->Checked()) << "the toggle is undone";
        auto* combo = static_cast<QComboBox*>(sex->Handle());
        combo->setCurrentIndex(1);
        emit combo->activated(1);
        EXPECT_EQ(sex->Text(), "Male") << "the choice is undone";
        other->SetFocus();
        EXPECT_EQ(table->State(), dsBrowse);
        EXPECT_FALSE(table->Modified());
        if (c.whileOpen) c.set(false);
        table->Close();
        if (!c.whileOpen) c.set(false);
        EXPECT_EQ(stored(1, "NAME"), "SMITH, JOHN");
        EXPECT_EQ(stored(1, "ACPTASSIGN"), "True");
    }
}

TEST_F(DBCtrlsTest, AFailedWriteKeepsTheFocusOnTheEdit) {
    auto* name = placeBound<TDBEdit>(form.get(), 10, 10, 150, 21, source, "NAME");
    auto* other = place<TEdit>(form.get(), 10, 40, 150, 21);
    form->Show();
    table->Open();
    table->FieldByName("NAME")->OnValidate = [](TField*) { throw EDatabaseError("Name refused"); };
    name->SetFocus();
    type(name, "Z");  // at the caret, after the text
    {
        TDialogScript script;
        script.Answer(mrOk);
        other->SetFocus();
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "Name refused.");
    }
    EXPECT_EQ(form->ActiveControl(), name);
    table->FieldByName("NAME")->OnValidate = nullptr;
    other->SetFocus();
    EXPECT_EQ(form->ActiveControl(), other);
    table->Post();
    EXPECT_EQ(stored(1, "NAME"), "SMITH, JOHNZ");
}

// ---------------------------------------------------------------- the grid

class DBGridTest : public DBCtrlsTest {
protected:
    void SetUp() override {
        DBCtrlsTest::SetUp();
        grid = place<TDBGrid>(form.get(), 10, 10, 400, 100);
        grid->SetOptions({dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection,
                          dgConfirmDelete, dgCancelOnExit});
        grid->SetDataSource(source);
        // Room for three data rows.
        grid->SetHeight(grid->titleHeight() + 3 * grid->rowHeight());
        form->Show();
        table->Open();
    }

    // The IDs in the grid's rows, as drawn.
    std::vector<std::string> rows() {
        std::vector<std::string> ids;
        for (int r = 0; r < grid->rowCount(); ++r) ids.push_back(grid->cellText(r, 0));
        return ids;
    }

    QScrollBar* scrollBar() {
        for (QScrollBar* bar : grid->Handle()->findChildren<QScrollBar*>())
            if (bar->orientation() == Qt::Vertical) return bar;
        return nullptr;
    }

    TDBGrid* grid = nullptr;
};

TEST_F(DBGridTest, ColumnsComeFromTheVisibleFields) {
    ASSERT_EQ(grid->FieldCount(), static_cast<int>(kPatientColumns.size()));
    for (int i = 0; i < grid->FieldCount(); ++i) EXPECT_EQ(grid->Fields(i)->FieldName(), kPatientColumns[i].name);
    EXPECT_GT(grid->columnWidth(1), grid->columnWidth(0)) << "NAME is wider than ID";
    table->FieldByName("SEX")->SetVisible(false);
    table->FieldByName("NAME")->SetDisplayLabel("Patient");
    ASSERT_EQ(grid->FieldCount(), static_cast<int>(kPatientColumns.size()) - 1);
    EXPECT_EQ(grid->Fields(2)->FieldName(), "ACPTASSIGN");
    EXPECT_EQ(grid->cellText(0, 1), "SMITH, JOHN");
}

TEST_F(DBGridTest, RowsFollowTheDatasetsScrolling) {
    EXPECT_EQ(grid->VisibleRowCount(), 3);
    struct Case {
        const char* what;
        std::function<void()> move;
        std::vector<std::string> rows;
        int activeRow;
    } cases[] = {
        {"open", [] {}, {"1", "2", "3"}, 0},
        {"within the window", [&] { table->MoveBy(2); }, {"1", "2", "3"}, 2},
        {"past it", [&] { table->Next(); }, {"2", "3", "4"}, 2},
        {"last", [&] { table->Last(); }, {"4", "5", "6"}, 2},
        {"back inside", [&] { table->MoveBy(-2); }, {"4", "5", "6"}, 0},
        {"key up", [&] { grid->SendKey(VK_UP); }, {"3", "4", "5"}, 0},
        {"page down", [&] { grid->SendKey(VK_NEXT); }, {"4", "5", "6"}, 2},
        {"home with rows selected", [&] { grid->SendKey(VK_HOME); }, {"1", "2", "3"}, 0},
        {"key down", [&] { grid->SendKey(VK_DOWN); }, {"1", "2", "3"}, 1},
        {"scroll bar to the bottom", [&] { scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum); },
         {"4", "5", "6"}, 2},
        {"scroll bar line up", [&] { scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub); },
         {"4", "5", "6"}, 1},
    };
    for (const Case& c : cases) {
        c.move();
        EXPECT_EQ(rows(), c.rows) << c.what;
        EXPECT_EQ(grid->activeRow(), c.activeRow) << c.what;
        EXPECT_EQ(rows()[static_cast<size_t>(grid->activeRow())], std::to_string(id())) << c.what;
    }

    // A click on a row makes its record current.
    QPoint third(grid->indicatorWidth() + 5, grid->titleHeight() + 2 * grid->rowHeight() + 3);
    QMouseEvent press(QEvent::MouseButtonPress, third, grid->Handle()->mapToGlobal(third), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    table->First();
    QCoreApplication::sendEvent(grid->Handle(), &press);
    EXPECT_EQ(id(), 3);
}

TEST_F(DBGridTest, EditsElsewhereShowInTheRow) {
    table->Next();
    table->Edit();
    table->FieldByName("NAME")->SetAsString("CHANGED");
    EXPECT_EQ(grid->cellText(1, 1), "CHANGED");
    table->Cancel();
    EXPECT_EQ(grid->cellText(1, 1), "JONES, MARY");
}

TEST_F(DBGridTest, CtrlDeleteAsksFirstAndReadOnlyGridsKeepTheRecord) {
    table->Next();
    {
        TDialogScript script;
        script.Answer(mrCancel).Answer(mrOk);
        grid->SendKey(VK_DELETE, {ssCtrl});
        EXPECT_EQ(id(), 2) << "cancelled";
        grid->SendKey(VK_DELETE, {ssCtrl});
        ASSERT_EQ(script.Shown().size(), 2u);
        EXPECT_EQ(script.Shown()[0].Text, "Delete record?");
    }
    EXPECT_EQ(id(), 3);
    EXPECT_EQ(rows(), (std::vector<std::string>{"1", "3", "4"}));

    grid->SetReadOnly(true);
    TDialogScript none;
    grid->SendKey(VK_DELETE, {ssCtrl});
    EXPECT_TRUE(none.Shown().empty());
    EXPECT_EQ(id(), 3);
}

TEST_F(DBGridTest, LeavingCancelsAnUntouchedInsert) {
    auto* other = place<TEdit>(form.get(), 10, 200, 150, 21);
    grid->SetFocus();
    table->Insert();
    other->SetFocus();
    EXPECT_EQ(table->State(), dsBrowse);
    grid->SetFocus();
    table->Insert();
    table->FieldByName("ID")->SetAsInteger(7);
    other->SetFocus();
    EXPECT_EQ(table->State(), dsInsert) << "a filled-in record stays";
    table->Cancel();
}

TEST_F(DBGridTest, APictureShowsTitlesTheIndicatorAndTheSelectedRow) {
    table->Next();
    QImage image = renderControl(grid);
    auto colour = [&](int x, int y) { return qColorToTColor(image.pixelColor(x, y)); };
    int left = grid->indicatorWidth();
    auto rowTop = [&](int row) { return grid->titleHeight() + row * grid->rowHeight(); };
    EXPECT_EQ(colour(left + grid->columnWidth(0) - 4, grid->titleHeight() - 4), ColorToRGB(clBtnFace)) << "titles";
    auto indicatorInk = [&](int row) {
        int ink = 0;
        for (int y = rowTop(row) + 1; y < rowTop(row + 1) - 1; ++y)
            for (int x = 1; x < grid->indicatorWidth() - 1; ++x) ink += colour(x, y) == clBlack;
        return ink;
    };
    EXPECT_EQ(indicatorInk(0), 0);
    EXPECT_GT(indicatorInk(1), 0) << "the indicator on the current record's row";
    EXPECT_EQ(indicatorInk(2), 0);
    for (int row : {0, 1, 2}) {
        TColor wanted = ColorToRGB(row == 1 ? clHighlight : clWindow);
        EXPECT_EQ(colour(left + grid->columnWidth(0) + grid->columnWidth(1) - 5, rowTop(row) + 3), wanted) << "row " << row;
    }
    if (const char* keep = std::getenv("QM_KEEP_PICTURES")) renderToPng(form.get(), std::string(keep) + "/dbgrid.png");
}

// ---------------------------------------------------------------- picture

TEST_F(DBCtrlsTest, OffscreenPictureShowsTheFieldInADataAwareEdit) {
    form->SetCaption("Patient");
    form->SetBounds(0, 0, 360, 240);
    auto* menu = new TMainMenu(form.get());
    for (const char* caption : {"&File", "&Lists", "&Help"}) {
        auto* item = new TMenuItem(form.get());
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    auto* pages = place<TPageControl>(form.get(), 10, 10, 330, 150);
    auto* sheet = new TTabSheet(form.get());
    sheet->SetCaption("Patient Information");
    sheet->SetPageControl(pages);
    auto* insured = new TTabSheet(form.get());
    insured->SetCaption("Insured");
    insured->SetPageControl(pages);
    auto* name = new TDBEdit(form.get());
    name->SetParent(sheet);
    name->SetBounds(10, 10, 200, 21);
    name->SetDataSource(source);
    name->SetDataField("NAME");
    auto* plain = place<TEdit>(form.get(), 10, 175, 150, 21);
    plain->SetText("plain edit");
    table->Open();

    std::string file = dir.file("form.png");
    renderToPng(form.get(), file);
    QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    QPoint origin = name->Handle()->mapTo(form->Handle(), QPoint(0, 0));
    // The text sits at the left of the edit; its right end stays blank.
    auto darkPixels = [&](QRect r) {
        int dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (image.pixelColor(x, y).lightness() < 128) ++dark;
        return dark;
    };
    EXPECT_GT(darkPixels(QRect(origin + QPoint(4, 5), QSize(90, 12))), 20) << "the field's text is drawn";
    EXPECT_EQ(darkPixels(QRect(origin + QPoint(150, 5), QSize(40, 12))), 0) << "past the text the edit is blank";
}

}  // namespace
