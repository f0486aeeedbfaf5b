// The standard controls as the forms use them: masked edits, case and
// length limits, memo lines, combo and list boxes, check and radio buttons,
// page changes, custom painting, scroll bars, mouse, caret, clipboard,
// timers and the tree view.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/Controls.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/Forms.h"
#include "ui/Mask.h"
#include "ui/Menus.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
    }
    void show() {
        form->Show();
        Application->ProcessMessages();
    }
    std::unique_ptr<TForm> form;
};

const char* const phoneMask = "!\\(999\\)000-0000 9999;1; ";
const char* const ssnMask = "000\\-00\\-0000;1;_";

TEST_F(ControlsTest, EditMasksFormatTextAndEditText) {
    struct Case {
        const char* mask;
        const char* text;
        const char* editText;
        const char* readBack;
    };
    const Case cases[] = {
        {phoneMask, "(800)555-1212 1234", "(800)555-1212 1234", "(800)555-1212 1234"},
        {phoneMask, "(   )555-1212", "(   )555-1212     ", "(   )555-1212     "},
        {phoneMask, "", "(   )   -         ", "(   )   -         "},
        {ssnMask, "123-45-6789", "123-45-6789", "123-45-6789"},
        {ssnMask, "12x-45-6789", "12_-45-6789", "12 -45-6789"},
        {ssnMask, "", "___-__-____", "   -  -    "},
        {"000;0;_", "42", "42_", "42 "},
        {">LL;0;_", "ny", "NY", "NY"},
    };
    for (const Case& c : cases) {
        auto* edit = place<TMaskEdit>(form.get(), 10, 10);
        edit->SetEditMask(c.mask);
        edit->SetText(c.text);
        EXPECT_EQ(edit->EditText(), c.editText) << c.mask << " / " << c.text;
        EXPECT_EQ(edit->Text(), c.readBack) << c.mask << " / " << c.text;
    }
}

// The one-pass text of a value an edit is given agrees with the edit text,
// its blanks as spaces, and with whether the widget shows that as given.
TEST(EditMask, ShownTextAgreesWithEditTextAndShownAsGiven) {
    const char* const masks[] = {phoneMask, ssnMask, "000;0;_", ">LL;0;_", "ccc;0; ", "<aa-99;1;*",
                                 "LL_LL;1;_", "##0;1; ", "CC-cc;1;-", "AA\\-00;1;\\"};
    const char* const values[] = {"", "(800)555-1212 1234", "(   )555-1212", "(80x)555-1212", "123-45-6789",
                                  "12x-45-6789", "42", "ny", "a b", "Ab-12", "AB CD", "-12", "ab--c", "**-**",
                                  "ab\\-12", "   ", "\t\x01z", "\xe9\xc9-00"};
    for (const char* mask : masks) {
        const TEditMask editMask(mask);
        for (const char* value : values) {
            std::string expected = editMask.editTextOf(value);
            for (char& c : expected)
                if (c == editMask.blank()) c = ' ';
            bool exact = !editMask.shownAsGiven(expected);
            EXPECT_EQ(editMask.shownTextOf(value, exact), expected) << mask << " / " << value;
            EXPECT_EQ(exact, editMask.shownAsGiven(expected)) << mask << " / " << value;
        }
    }
}

TEST_F(ControlsTest, MaskedEditTakesOnlyWhatTheMaskAllowsAndValidatesOnExit) {
    auto* ssn = place<TMaskEdit>(form.get(), 10, 10);
    ssn->SetEditMask(ssnMask);
    auto* other = place<TEdit>(form.get(), 10, 60);
    show();
    ssn->SetFocus();
    for (char c : std::string("12a3456")) ssn->SendChar(c);
    EXPECT_EQ(ssn->EditText(), "123-45-6___");
    {
        // Leaving with required digits missing: the error is shown and the
        // focus stays.
        TDialogScript script;
        script.Answer(mrOk);
        other->SetFocus();
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "Invalid input value.  Use escape key to abandon changes.");
        EXPECT_EQ(form->ActiveControl(), ssn);
        EXPECT_TRUE(ssn->Focused());
    }

    ssn->SendKey(VK_ESCAPE);  // abandons the changes
    EXPECT_EQ(ssn->EditText(), "___-__-____");
    EXPECT_NO_THROW(other->SetFocus()) << "unchanged text is not checked";

    ssn->SetFocus();
    for (char c : std::string("123456789")) ssn->SendChar(c);
    EXPECT_NO_THROW(other->SetFocus());
    EXPECT_EQ(ssn->Text(), "123-45-6789");
}

TEST_F(ControlsTest, EditCaseAndLengthLimitsApplyToTypingAndCode) {
    auto* edit = place<TEdit>(form.get(), 10, 10);
    edit->SetCharCase(ecUpperCase);
    edit->SetMaxLength(5);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    show();
    edit->SetFocus();
    for (char c : std::string("smith, john")) edit->SendChar(c);
    EXPECT_EQ(edit->Text(), "SMITH");
    edit->SetText("jones");
    EXPECT_EQ(edit->Text(), "JONES");
    EXPECT_EQ(changes, 6) << "every change, by typing or by code";
    edit->SetReadOnly(true);
    edit->SendKey(VK_BACK);
    EXPECT_EQ(edit->Text(), "JONES");
}

// An edit whose window is hidden gets its text later; until then and after,
// everything read from it is what the widget shows once it has the text.
TEST_F(ControlsTest, TextGivenToAHiddenEditReadsShowsAndPaintsAsGivenAtOnce) {
    struct Case {
        const char* mask;
        const char* text;
    };
    const Case cases[] = {
        {"", "SMITH, JOHN"},
        {"", ""},
        {"", "tab\there"},
        {phoneMask, "(800)555-1212 1234"},
        {phoneMask, "(800)555-1212"},
        {phoneMask, "(   )555-1212"},
        {phoneMask, "(800)   -1212"},
        {phoneMask, ""},
        {phoneMask, "(80x)555-1212"},
        {ssnMask, "123-45-6789"},
        {ssnMask, "12x-45-6789"},
        {ssnMask, ""},
        {"000;0;_", "42"},
        {">LL;0;_", "ny"},
        {"ccc;0; ", "a b"},
    };
    place<TEdit>(form.get(), 10, 60);  // takes the focus, so the pictures show no caret
    for (const Case& c : cases) {
        TForm hidden(nullptr);
        auto* edit = place<TMaskEdit>(&hidden, 10, 10);
        edit->SetEditMask(c.mask);
        edit->SetMaxLength(8);
        int changes = 0;
        edit->OnChange = [&](TObject*) { ++changes; };
        edit->SetText(c.text);
        edit->SetText(c.text);
        const std::string text = edit->Text();
        const std::string editText = edit->EditText();
        EXPECT_EQ(changes, std::string(c.text).empty() ? 0 : 1) << c.mask << " / " << c.text;

        // The picture of the same text given to an edit that is shown.
        auto* shown = place<TMaskEdit>(form.get(), 10, 10);
        shown->SetEditMask(c.mask);
        shown->SetMaxLength(8);
        show();
        ASSERT_TRUE(shown->Showing());
        shown->SetText(c.text);
        const QImage expected = renderControl(shown);

        EXPECT_EQ(renderControl(edit), expected) << c.mask << " / " << c.text;
        EXPECT_EQ(changes, std::string(c.text).empty() ? 0 : 1) << "no second change when the widget takes the text";
        auto* widget = static_cast<QLineEdit*>(edit->Handle());
        EXPECT_EQ(widget->displayText(), static_cast<QLineEdit*>(shown->Handle())->displayText());
        EXPECT_EQ(widget->text(), static_cast<QLineEdit*>(shown->Handle())->text());
        EXPECT_EQ(edit->Text(), text) << c.mask << " / " << c.text;
        EXPECT_EQ(edit->EditText(), editText) << c.mask << " / " << c.text;
        EXPECT_EQ(edit->Text(), shown->Text()) << c.mask << " / " << c.text;
        EXPECT_EQ(edit->EditText(), shown->EditText()) << c.mask << " / " << c.text;
        delete shown;
    }
}

TEST_F(ControlsTest, CaretSelectionAndUndoOfAHiddenEditFollowItsLastText) {
    TForm hidden(nullptr);
    auto* edit = place<TEdit>(&hidden, 10, 10);
    edit->SetText("first");
    edit->SetSelStart(2);
    edit->SetSelLength(2);
    EXPECT_EQ(edit->SelText(), "rs");
    edit->SetText("second");
    EXPECT_EQ(edit->SelLength(), 0) << "a new text drops the selection";
    EXPECT_EQ(edit->SelStart(), 6) << "and puts the caret at its end";
    EXPECT_FALSE(edit->CanUndo());
    edit->SetText("third");
    edit->SelectAll();
    EXPECT_EQ(edit->SelText(), "third");
    EXPECT_FALSE(edit->Modified());
}

TEST_F(ControlsTest, MemoLinesAndText) {
    auto* memo = place<TMemo>(form.get(), 10, 10);
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Text(), "first\r\nsecond\r\n");
    memo->SetText("a\r\nb");
    EXPECT_EQ(memo->Lines()->Count(), 2) << "a last line without break counts";
    memo->Lines()->Insert(1, "between");
    memo->Lines()->SetStrings(0, "A");
    EXPECT_EQ(memo->Text(), "A\r\nbetween\r\nb\r\n");
    memo->Lines()->Delete(1);
    EXPECT_EQ(memo->Lines()->Strings(1), "b");
    EXPECT_THROW(memo->Lines()->Strings(5), EStringListError);
    memo->Lines()->Clear();
    EXPECT_EQ(memo->Lines()->Count(), 0);

    // Enter is the memo's own unless it does not want returns.
    show();
    memo->SetFocus();
    memo->SendChar('x');
    memo->SendKey(VK_RETURN);
    memo->SendChar('y');
    EXPECT_EQ(memo->Text(), "x\r\ny");
    memo->SetWantReturns(false);
    memo->SendKey(VK_RETURN);
    EXPECT_EQ(memo->Text(), "x\r\ny");
}

TEST_F(ControlsTest, EditAndMemoShareSelectionClipboardAndUndo) {
    struct Case {
        const char* what;
        TEditControl* (*make)(TForm*);
    } cases[] = {{"edit", [](TForm* f) -> TEditControl* { return place<TEdit>(f, 10, 10); }},
                 {"memo", [](TForm* f) -> TEditControl* { return place<TMemo>(f, 10, 40); }}};
    show();
    for (const Case& c : cases) {
        TEditControl* control = c.make(form.get());
        std::vector<std::string> changes;
        control->OnChange = [&](TObject*) { changes.push_back(control->Text()); };
        control->SetText("abcdef");
        control->SetSelStart(1);
        control->SetSelLength(3);
        EXPECT_EQ(control->SelStart(), 1) << c.what;
        EXPECT_EQ(control->SelText(), "bcd") << c.what;

        control->CutToClipboard();
        EXPECT_EQ(control->Text(), "aef") << c.what;
        EXPECT_EQ(Clipboard()->AsText(), "bcd") << c.what;
        control->SetSelStart(3);
        control->PasteFromClipboard();
        EXPECT_EQ(control->Text(), "aefbcd") << c.what;
        ASSERT_TRUE(control->CanUndo()) << c.what;
        control->Undo();
        EXPECT_EQ(control->Text(), "aef") << c.what;

        control->SetSelStart(0);
        control->SetSelLength(1);
        control->SetSelText("X");
        EXPECT_EQ(control->Text(), "Xef") << c.what;
        control->SelectAll();
        control->CopyToClipboard();
        EXPECT_EQ(Clipboard()->AsText(), "Xef") << c.what;
        control->ClearSelection();
        EXPECT_EQ(control->Text(), "") << c.what;
        EXPECT_EQ(changes.front(), "abcdef") << c.what;
        EXPECT_EQ(changes.back(), "") << c.what;

        control->SetReadOnly(true);
        EXPECT_TRUE(control->ReadOnly()) << c.what;
        control->SetFocus();
        control->SendChar('z');
        EXPECT_EQ(control->Text(), "") << c.what << ": read-only refuses typing";
    }
}

TEST_F(ControlsTest, ComboBoxItemsTextAndEvents) {
    auto* combo = place<TComboBox>(form.get(), 10, 10);
    combo->SetSorted(true);
    for (const char* s : {"Name", "account", "Date"}) combo->Items()->Add(s);
    EXPECT_EQ(combo->Items()->Strings(0), "account");
    EXPECT_EQ(combo->Items()->Strings(2), "Name");
    std::vector<std::string> events;
    combo->OnChange = [&](TObject*) { events.push_back("change " + combo->Text()); };
    combo->OnClick = [&](TObject*) { events.push_back("click"); };

    combo->SetItemIndex(1);
    EXPECT_EQ(combo->Text(), "Date");
    combo->SetText("Whatever");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_TRUE(events.empty()) << "changes by code fire nothing";

    show();
    combo->SetFocus();
    combo->SelectAll();
    combo->SendChar('Z');
    EXPECT_EQ(events, std::vector<std::string>{"change Z"});

    combo->SetStyle(csDropDownList);
    combo->SetText("name");
    EXPECT_EQ(combo->ItemIndex(), 2) << "a drop-down list picks the item";
    combo->SetText("missing");
    EXPECT_EQ(combo->ItemIndex(), -1);
    combo->SetItemIndex(0);
    events.clear();
    combo->SendKey(VK_DOWN);  // the user picks the next item
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "change Date"}));
}

TEST_F(ControlsTest, ListBoxItemsAndSelection) {
    auto* list = place<TListBox>(form.get(), 10, 10);
    list->SetSorted(true);
    for (const char* s : {"pear", "Apple", "fig"}) list->Items()->Add(s);
    EXPECT_EQ(list->Items()->Strings(0), "Apple");
    EXPECT_EQ(list->Items()->IndexOf("PEAR"), 2);
    int clicks = 0;
    list->OnClick = [&](TObject*) { ++clicks; };
    list->SetItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_TRUE(list->Selected(1));
    EXPECT_EQ(clicks, 0);
    show();
    list->SetFocus();
    list->SendKey(VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    EXPECT_THROW(list->Selected(7), EListError);
}

TEST_F(ControlsTest, CheckAndRadioButtonsFireOnClickWhenTheirStateChanges) {
    auto* check = place<TCheckBox>(form.get(), 10, 10);
    int checkClicks = 0;
    check->OnClick = [&](TObject*) { ++checkClicks; };
    check->SetChecked(true);
    check->SetChecked(true);
    EXPECT_EQ(checkClicks, 1) << "set by code: clicked once, not for the same state";
    static_cast<QAbstractButton*>(check->Handle())->click();  // the user
    EXPECT_FALSE(check->Checked());
    EXPECT_EQ(checkClicks, 2);

    auto* group = place<TRadioGroup>(form.get(), 10, 40);
    group->SetBounds(10, 40, 200, 100);
    for (const char* s : {"Yes", "No"}) group->Items()->Add(s);
    std::vector<int> chosen;
    group->OnClick = [&](TObject*) { chosen.push_back(group->ItemIndex()); };
    group->SetItemIndex(1);
    group->SetItemIndex(1);
    group->SetItemIndex(-1);
    group->SetItemIndex(7);
    EXPECT_EQ(group->ItemIndex(), 1) << "out of range clamps to the last item";
    EXPECT_EQ(chosen, (std::vector<int>{1, 1}));

    auto* a = place<TRadioButton>(form.get(), 250, 10);
    auto* b = place<TRadioButton>(form.get(), 250, 40);
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    b->SetChecked(false);
    EXPECT_FALSE(b->Checked());
}

TEST_F(ControlsTest, SpeedButtonsOfOneGroupStayDownOneAtATime) {
    auto* a = place<TSpeedButton>(form.get(), 10, 10);
    auto* b = place<TSpeedButton>(form.get(), 40, 10);
    for (auto* button : {a, b}) button->SetGroupIndex(1);
    auto press = [](TSpeedButton* button) { static_cast<QAbstractButton*>(button->Handle())->click(); };
    press(a);
    EXPECT_TRUE(a->Down());
    press(b);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    press(b);
    EXPECT_TRUE(b->Down()) << "without AllowAllUp the down button stays down";
    b->SetAllowAllUp(true);
    press(b);
    EXPECT_FALSE(b->Down());
}

TEST_F(ControlsTest, BitButtonKindsGiveCaptionResultAndRole) {
    auto* ok = place<TBitBtn>(form.get(), 10, 10);
    ok->SetKind(bkOK);
    EXPECT_EQ(ok->Caption(), "OK");
    EXPECT_EQ(ok->ModalResult(), mrOk);
    EXPECT_TRUE(ok->Default());
    auto* cancel = place<TBitBtn>(form.get(), 10, 10);
    cancel->SetKind(bkCancel);
    EXPECT_TRUE(cancel->Cancel());
    EXPECT_EQ(cancel->ModalResult(), mrCancel);
    auto* close = place<TBitBtn>(form.get(), 10, 10);
    close->SetKind(bkClose);
    show();
    close->Click();
    EXPECT_FALSE(form->Visible()) << "a close button closes its form";
}

TEST_F(ControlsTest, PageChangesByTheUserCanBeRefused) {
    auto* pages = place<TPageControl>(form.get(), 10, 10);
    std::vector<TTabSheet*> sheets;
    for (const char* caption : {"Patient Information", "Patient Insurance", "Insured"}) {
        auto* sheet = new TTabSheet(form.get());
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
        sheets.push_back(sheet);
    }
    auto* edit = new TEdit(form.get());
    edit->SetParent(sheets[1]);
    auto* first = new TEdit(form.get());
    first->SetParent(sheets[0]);
    show();
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_FALSE(edit->CanFocus()) << "on a page not shown";
    first->SetFocus();

    bool allow = false;
    std::vector<std::string> events;
    pages->OnChanging = [&](TObject*, bool& allowChange) {
        events.push_back("changing");
        allowChange = allow;
    };
    pages->OnChange = [&](TObject*) { events.push_back("change"); };
    first->OnExit = [&](TObject*) { events.push_back("exit"); };
    auto* tabs = static_cast<QTabWidget*>(pages->Handle());
    QTabBar* bar = tabs->tabBar();
    auto pressTab = [&](int index) {
        QPointF at = bar->tabRect(index).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &press);
    };
    pressTab(1);
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(first->Focused());
    EXPECT_EQ(events, std::vector<std::string>{"changing"}) << "a refused change leaves the focus where it was";
    bar->setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &right);
    EXPECT_EQ(tabs->currentIndex(), 0) << "the arrow keys are asked first too";
    tabs->setCurrentIndex(1);  // as the wheel over the tabs switches: asked after, put back
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_EQ(tabs->currentIndex(), 0);
    allow = true;
    pressTab(1);
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(edit->CanFocus());
    pages->SetActivePageIndex(2);  // by code: no events
    EXPECT_EQ(events, (std::vector<std::string>{"changing", "exit", "changing", "changing", "changing", "change"}));
    EXPECT_EQ(tabs->currentIndex(), 2);

    sheets[1]->SetPageIndex(0);
    EXPECT_EQ(pages->Pages(0), sheets[1]);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    delete sheets[2];
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_NE(pages->ActivePage(), nullptr);
}

// A custom control that paints a red square and follows its scroll bar.
class Swatch : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TScrollCode> codes;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(Rect(10, 10, 30, 30));
        Canvas()->Pen()->SetColor(clBlue);
        Canvas()->MoveTo(0, 40);
        Canvas()->LineTo(50, 40);
    }
    void Scroll(TScrollBarKind, TScrollCode Code, int Pos) override {
        codes.push_back(Code);
        if (Code == scLineDown) SetScrollPos(sbVertical, Pos);
    }
};

TEST_F(ControlsTest, CustomControlPaintsThroughItsCanvas) {
    auto* swatch = new Swatch(form.get());
    swatch->SetParent(form.get());
    swatch->SetBounds(0, 0, 60, 60);
    swatch->SetColor(clWhite);
    QImage image = renderControl(swatch);
    ASSERT_EQ(image.size(), QSize(60, 60));
    EXPECT_EQ(image.pixelColor(20, 20), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(25, 40), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(255, 255, 255)) << "background in Color";
}

TEST_F(ControlsTest, ScrollBarsReportAndTheControlDecides) {
    auto* swatch = new Swatch(form.get());
    swatch->SetParent(form.get());
    swatch->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(swatch->ClientWidth(), 100);
    swatch->SetScrollRange(sbVertical, 0, 10);
    swatch->ShowScrollBar(sbVertical, true);
    EXPECT_TRUE(swatch->ScrollBarVisible(sbVertical));
    EXPECT_LT(swatch->ClientWidth(), 100);
    QScrollBar* bar = nullptr;
    for (auto* b : swatch->Handle()->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Vertical) bar = b;
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(swatch->ScrollPos(sbVertical), 1) << "the control moved it";
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(swatch->ScrollPos(sbVertical), 1) << "page down ignored by the control: the bar stays";
    EXPECT_EQ(swatch->codes, (std::vector<TScrollCode>{scLineDown, scPageDown}));
}

TEST_F(ControlsTest, MouseEventsClicksAndDoubleClicks) {
    auto* panel = place<TPanel>(form.get(), 20, 20);
    std::vector<std::string> log;
    panel->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        log.push_back("down " + std::to_string(b) + (s.Contains(ssDouble) ? " double" : "") + " " +
                      std::to_string(x) + "," + std::to_string(y));
    };
    panel->OnMouseUp = [&](TObject*, TMouseButton, TShiftState s, int, int) {
        log.push_back(std::string("up") + (s.Contains(ssCtrl) ? " ctrl" : ""));
    };
    panel->OnClick = [&](TObject*) { log.push_back("click"); };
    panel->OnDblClick = [&](TObject*) { log.push_back("dblclick"); };
    auto send = [&](QEvent::Type type, Qt::MouseButton button, QPoint p, Qt::KeyboardModifiers mods = {}) {
        QMouseEvent e(type, QPointF(p), panel->Handle()->mapToGlobal(QPointF(p)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), mods);
        QCoreApplication::sendEvent(panel->Handle(), &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton, {5, 6});
    send(QEvent::MouseButtonRelease, Qt::LeftButton, {5, 6}, Qt::ControlModifier);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, {5, 6});
    send(QEvent::MouseButtonRelease, Qt::LeftButton, {5, 6});
    send(QEvent::MouseButtonPress, Qt::LeftButton, {5, 6});
    send(QEvent::MouseButtonRelease, Qt::LeftButton, {500, 6});  // released outside: no click
    send(QEvent::MouseButtonPress, Qt::RightButton, {1, 2});
    std::vector<std::string> expected = {"down 0 5,6", "up ctrl", "click", "dblclick", "down 0 double 5,6",
                                         "up", "down 0 5,6", "up", "down 1 1,2"};
    EXPECT_EQ(log, expected);
}

TEST_F(ControlsTest, CaretShowsOnlyWhenEveryHideIsUndone) {
    auto* swatch = new Swatch(form.get());
    swatch->SetParent(form.get());
    ASSERT_TRUE(CreateCaret(swatch, 1, 14));
    EXPECT_FALSE(caretVisible()) << "created hidden";
    ShowCaret(swatch);
    EXPECT_TRUE(caretVisible());
    HideCaret(swatch);
    HideCaret(swatch);
    ShowCaret(swatch);
    EXPECT_FALSE(caretVisible());
    ShowCaret(swatch);
    EXPECT_TRUE(caretVisible());
    SetCaretPos(12, 3);
    EXPECT_EQ(GetCaretPos(), Point(12, 3));
    auto* other = place<TEdit>(form.get(), 10, 10);
    EXPECT_FALSE(HideCaret(other)) << "the caret belongs to one window";
    DestroyCaret();
    EXPECT_FALSE(caretVisible());
}

TEST_F(ControlsTest, ClipboardHoldsTextAndNamedFormats) {
    TClipboardFormat rtf = RegisterClipboardFormat("Rich Text Format");
    EXPECT_EQ(RegisterClipboardFormat("rich text format"), rtf);
    EXPECT_NE(RegisterClipboardFormat("Quenmark Private"), rtf);

    Clipboard()->SetAsText("Caf\xE9");
    EXPECT_EQ(Clipboard()->AsText(), "Caf\xE9");
    EXPECT_FALSE(Clipboard()->HasFormat(rtf));

    Clipboard()->Open();
    Clipboard()->SetData(rtf, "{\\rtf1 Caf\\'e9}");
    Clipboard()->SetAsText("Caf\xE9");
    Clipboard()->Close();
    EXPECT_TRUE(Clipboard()->HasFormat(rtf));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard()->GetData(rtf), "{\\rtf1 Caf\\'e9}");

    Clipboard()->SetAsText("plain");  // outside Open: replaces everything
    EXPECT_FALSE(Clipboard()->HasFormat(rtf));
    Clipboard()->Clear();
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));
}

TEST_F(ControlsTest, TimerFiresWhileEnabled) {
    TTimer timer(nullptr);
    timer.SetInterval(1);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) {
        if (++ticks == 3) timer.SetEnabled(false);
    };
    for (int i = 0; i < 1000 && timer.Enabled(); ++i) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_EQ(ticks, 3);
}

TEST_F(ControlsTest, TreeViewNodesOrderSelectionAndSorting) {
    auto* tree = place<TTreeView>(form.get(), 10, 10);
    TTreeNodes* nodes = tree->Items();
    TTreeNode* patients = nodes->Add(nullptr, "Patients");
    TTreeNode* smith = nodes->AddChild(patients, "Smith");
    nodes->AddChild(patients, "Adams");
    TTreeNode* items = nodes->Add(patients, "Items");
    nodes->Insert(patients, "Accounts");
    EXPECT_EQ(nodes->Count(), 5);
    std::vector<std::string> order;
    for (int i = 0; i < nodes->Count(); ++i) order.push_back(nodes->Item(i)->Text());
    EXPECT_EQ(order, (std::vector<std::string>{"Accounts", "Patients", "Smith", "Adams", "Items"}));
    EXPECT_EQ(smith->Level(), 1);
    EXPECT_EQ(smith->AbsoluteIndex(), 2);
    EXPECT_EQ(items->GetPrevSibling(), patients);

    std::vector<std::string> changes;
    tree->OnChange = [&](TObject*, TTreeNode* n) { changes.push_back(n ? n->Text() : "none"); };
    tree->SetSelected(smith);
    EXPECT_TRUE(smith->Selected());
    tree->OnChanging = [](TObject*, TTreeNode* n, bool& allow) { allow = n->Text() != "Items"; };
    tree->SetSelected(items);
    EXPECT_EQ(tree->Selected(), smith) << "refused by OnChanging";
    tree->OnChanging = nullptr;

    tree->AlphaSort();
    EXPECT_EQ(patients->GetFirstChild()->Text(), "Adams");
    EXPECT_EQ(tree->Selected(), smith) << "sorting keeps the selection";
    patients->Delete();
    EXPECT_EQ(nodes->Count(), 2);
    EXPECT_NE(tree->Selected(), smith);
    EXPECT_EQ(changes.front(), "Smith");

    TImageList images(nullptr);
    TBitmap glyph(16, 16);
    glyph.Canvas()->Brush()->SetColor(clRed);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    EXPECT_EQ(images.AddMasked(&glyph, clWhite), 0);
    tree->SetImages(&images);
    items->SetImageIndex(0);
    EXPECT_EQ(images.Count(), 1);
}

TEST_F(ControlsTest, ProgressBarAndGauge) {
    auto* bar = place<TProgressBar>(form.get(), 10, 10);
    bar->SetMax(25);
    bar->SetStep(10);
    bar->StepIt();
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 20);
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 4) << "past the end it starts again";
    bar->SetPosition(99);
    EXPECT_EQ(bar->Position(), 25);

    auto* gauge = place<TGauge>(form.get(), 10, 10);
    gauge->SetMaxValue(200);
    gauge->AddProgress(50);
    EXPECT_EQ(gauge->PercentDone(), 25);
    gauge->AddProgress(500);
    EXPECT_EQ(gauge->Progress(), 200);
    gauge->SetMaxValue(gauge->MinValue());
    EXPECT_EQ(gauge->PercentDone(), 0) << "an empty range is no division by zero";
}

TEST_F(ControlsTest, ScrollBoxScrollsOverItsChildren) {
    auto* box = place<TScrollBox>(form.get(), 10, 10);
    box->SetBounds(0, 0, 200, 150);
    auto* far = new TEdit(form.get());
    far->SetParent(box);
    far->SetBounds(10, 600, 100, 21);
    show();
    EXPECT_GE(box->VertScrollBar()->Range(), 621);
    box->VertScrollBar()->SetPosition(box->VertScrollBar()->Position() + 242);
    EXPECT_EQ(box->VertScrollBar()->Position(), 242);
    EXPECT_EQ(far->Top(), 600) << "children keep their coordinates";
}

TEST_F(ControlsTest, GraphicControlsPaintTheirShapes) {
    form->SetColor(clWhite);
    auto* shape = place<TShape>(form.get(), 0, 0);
    shape->SetShape(stEllipse);
    shape->Brush()->SetColor(clRed);
    auto* bevel = place<TBevel>(form.get(), 100, 0);
    bevel->SetShape(bsBox);
    bevel->SetStyle(bsLowered);
    auto* image = place<TImage>(form.get(), 200, 0);
    image->Picture()->Bitmap()->SetSize(8, 8);
    image->Picture()->Bitmap()->Canvas()->Brush()->SetColor(clBlue);
    image->Picture()->Bitmap()->Canvas()->FillRect(Rect(0, 0, 8, 8));
    image->SetStretch(true);

    QImage shot = renderControl(form.get());
    QPoint origin(0, form->Height() - form->ClientHeight());  // the client area
    auto at = [&](int x, int y) { return shot.pixelColor(origin + QPoint(x, y)); };
    EXPECT_EQ(at(32, 32), QColor(255, 0, 0)) << "inside the ellipse";
    EXPECT_EQ(at(1, 1), QColor(255, 255, 255)) << "outside the ellipse the form shows";
    EXPECT_EQ(at(100, 10), tColorToQColor(clBtnShadow)) << "a lowered bevel's left edge";
    EXPECT_EQ(at(149, 10), tColorToQColor(clBtnHighlight)) << "and its right edge";
    EXPECT_EQ(at(250, 50), QColor(0, 0, 255)) << "the stretched picture";
}

TEST_F(ControlsTest, ADisabledButtonShowsGreyedText) {
    auto* enabled = place<TButton>(form.get(), 0, 0, 120, 30, "Receipt");
    auto* disabled = place<TButton>(form.get(), 0, 40, 120, 30, "Receipt");
    disabled->SetEnabled(false);

    QImage shot = renderControl(form.get());
    QPoint origin(0, form->Height() - form->ClientHeight());
    auto darkest = [&](TControl* button) {
        int least = 255;
        for (int x = button->Left() + 4; x < button->Left() + button->Width() - 4; ++x)
            for (int y = button->Top() + 6; y < button->Top() + button->Height() - 6; ++y)
                least = std::min(least, shot.pixelColor(origin + QPoint(x, y)).lightness());
        return least;
    };
    EXPECT_LT(darkest(enabled) + 40, darkest(disabled)) << "the disabled caption is drawn lighter";
}

TEST_F(ControlsTest, GaugeTextStaysReadableOverItsFilledPart) {
    auto* gauge = place<TGauge>(form.get(), 0, 0, 200, 24);
    gauge->SetKind(gkHorizontalBar);
    gauge->SetForeColor(clBlack);
    gauge->SetBackColor(clWhite);
    gauge->SetProgress(90);

    QImage shot = renderControl(form.get());
    QPoint origin(0, form->Height() - form->ClientHeight());
    int light = 0;  // text pixels drawn in the back colour inside the black bar
    for (int x = 60; x < 140; ++x)
        for (int y = 4; y < 20; ++y)
            if (shot.pixelColor(origin + QPoint(x, y)).lightness() > 128)
                ++light;
    EXPECT_GT(light, 10) << "the percentage shows over the filled bar";
}

TEST_F(ControlsTest, LabelsShowAmpersandsAsTheyAreWhenAsked) {
    struct Case {
        bool showAccelChar;
        bool withBuddy;
        const char* shown;
    };
    auto* buddy = place<TEdit>(form.get(), 0, 60, 80, 21);
    for (const Case& c : std::vector<Case>{{true, false, "A  B"}, {false, false, "A & B"}, {false, true, "A && B"}}) {
        auto* label = place<TLabel>(form.get(), 0, 0, 100, 16);
        label->SetFocusControl(c.withBuddy ? buddy : nullptr);
        label->SetShowAccelChar(c.showAccelChar);
        label->SetCaption("A & B");
        EXPECT_EQ(label->Caption(), "A & B");
        EXPECT_EQ(static_cast<QLabel*>(label->Handle())->text().toStdString(), c.shown);
        delete label;
    }
}

TEST_F(ControlsTest, ReferencesToOtherComponentsEmptyWhenTheyAreFreed) {
    // The targets belong to another owner, so only free notification tells.
    TComponent dataModule(nullptr);
    auto* buddy = new TEdit(&dataModule);
    auto* popup = new TPopupMenu(&dataModule);
    auto* images = new TImageList(&dataModule);
    auto* menu = new TMainMenu(&dataModule);
    auto* file = new TMenuItem(&dataModule);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* label = place<TLabel>(form.get(), 0, 0, 100, 16);
    auto* pages = place<TPageControl>(form.get(), 0, 20, 200, 100);
    auto* tree = place<TTreeView>(form.get(), 0, 130, 200, 100);
    label->SetFocusControl(buddy);
    label->SetPopupMenu(popup);
    pages->SetImages(images);
    tree->SetImages(images);
    form->SetMenu(menu);
    show();
    const int clientWithMenu = form->ClientHeight();

    delete buddy;
    EXPECT_EQ(label->FocusControl(), nullptr);
    EXPECT_EQ(static_cast<QLabel*>(label->Handle())->buddy(), nullptr);
    delete popup;
    EXPECT_EQ(label->PopupMenu(), nullptr);
    delete images;
    EXPECT_EQ(pages->Images(), nullptr);
    EXPECT_EQ(tree->Images(), nullptr);
    delete menu;
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_GT(form->ClientHeight(), clientWithMenu) << "the menu bar's room goes to the client area";
}

// ---------------------------------------------------------------- form kit

TEST_F(ControlsTest, KitPlacesControlsForTheFormToFreeAndBindsHandlers) {
    auto* panel = place<TPanel>(form.get(), 10, 10, 200, 100);
    auto* button = place<TButton>(panel, 8, 8, 75, 25, "&Save");
    EXPECT_EQ(button->Owner(), form.get()) << "a control on a panel belongs to the panel's form";
    EXPECT_EQ(button->Parent(), panel);
    EXPECT_EQ(button->BoundsRect(), Bounds(8, 8, 75, 25));
    EXPECT_EQ(button->Caption(), "&Save");

    // Handlers that take their arguments by reference change them for the caller.
    struct Handlers {
        std::vector<std::string> calls;
        void click(TObject* Sender) { calls.push_back(static_cast<TButton*>(Sender)->Caption()); }
        void keyDown(TObject*, Word& Key, TShiftState) {
            calls.push_back("key");
            Key = 0;
        }
    } handlers;
    bindEvent(button->OnClick, &handlers, &Handlers::click);
    bindEvent(button->OnKeyDown, &handlers, &Handlers::keyDown);
    button->Click();
    Word key = VK_RETURN;
    button->OnKeyDown(button, key, {});
    EXPECT_EQ(handlers.calls, (std::vector<std::string>{"&Save", "key"}));
    EXPECT_EQ(key, 0);

    // Freeing the panel takes its controls along; the form forgets them.
    int owned = form->ComponentCount();
    delete panel;
    EXPECT_EQ(form->ComponentCount(), owned - 2);
}

}  // namespace
