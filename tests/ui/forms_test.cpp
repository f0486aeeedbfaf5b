// Forms as the program uses them: focus order, the keyboard model, modal
// results answered by a script, close actions, ownership, alignment, menus,
// hints, the application's loop and the picture of a form.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override { Application->Initialize(); }
};

// A small entry form: three edits and OK/Cancel buttons; events are logged.
struct SampleForm {
    TForm* form;
    TEdit* first;
    TEdit* second;
    TEdit* third;
    TButton* ok;
    TButton* cancel;
    std::vector<std::string> log;

    explicit SampleForm(TComponent* owner = nullptr) {
        form = new TForm(owner);
        form->SetCaption("Sample");
        form->SetBounds(10, 10, 300, 200);
        first = addEdit("First", 10);
        second = addEdit("Second", 40);
        third = addEdit("Third", 70);
        ok = new TButton(form);
        ok->SetParent(form);
        ok->SetCaption("&OK");
        ok->SetBounds(10, 120, 75, 25);
        ok->SetModalResult(mrOk);
        ok->SetDefault(true);
        cancel = new TButton(form);
        cancel->SetParent(form);
        cancel->SetCaption("Cancel");
        cancel->SetBounds(100, 120, 75, 25);
        cancel->SetModalResult(mrCancel);
        cancel->SetCancel(true);
    }

    TEdit* addEdit(const std::string& name, int top) {
        auto* edit = new TEdit(form);
        edit->SetName(name);
        edit->SetParent(form);
        edit->SetBounds(10, top, 120, 21);
        edit->OnEnter = [this, name](TObject*) { log.push_back("enter " + name); };
        edit->OnExit = [this, name](TObject*) { log.push_back("exit " + name); };
        return edit;
    }

    void show() {
        form->Show();
        Application->ProcessMessages();
    }
};

TEST_F(FormsTest, TabMovesFocusInTabOrderSkippingWhatCannotTakeIt) {
    SampleForm s;
    std::unique_ptr<TForm> owner(s.form);
    s.third->SetTabOrder(0);  // third, first, second, then the buttons
    s.cancel->SetTabStop(false);
    s.show();
    EXPECT_EQ(s.form->ActiveControl(), s.third);
    EXPECT_TRUE(s.third->Focused());

    s.third->SendKey(VK_TAB);
    EXPECT_EQ(s.form->ActiveControl(), s.first);
    s.first->SendKey(VK_TAB);
    EXPECT_EQ(s.form->ActiveControl(), s.second);
    s.first->SetFocus();
    s.second->SetEnabled(false);
    s.first->SendKey(VK_TAB);
    EXPECT_EQ(s.form->ActiveControl(), s.ok) << "disabled edit skipped";
    s.ok->SendKey(VK_TAB);
    EXPECT_EQ(s.form->ActiveControl(), s.third) << "cancel is no tab stop; wraps round";
    s.third->SendKey(VK_TAB, {ssShift});
    EXPECT_EQ(s.form->ActiveControl(), s.ok) << "shift+tab goes back";
    EXPECT_TRUE(s.ok->Focused());

    std::vector<std::string> expected = {"enter Third", "exit Third", "enter First", "exit First",
                                         "enter Second", "exit Second", "enter First", "exit First",
                                         "enter Third", "exit Third"};
    EXPECT_EQ(s.log, expected);
}

TEST_F(FormsTest, OnShowChoosesTheFocusAndOnExitSeesWhereItGoes) {
    SampleForm s;
    std::unique_ptr<TForm> owner(s.form);
    s.form->OnShow = [&](TObject*) { s.second->SetFocus(); };
    TWinControl* goingTo = nullptr;
    s.second->OnExit = [&](TObject*) { goingTo = s.form->ActiveControl(); };
    s.show();
    EXPECT_EQ(s.form->ActiveControl(), s.second);
    EXPECT_TRUE(s.second->Focused());
    EXPECT_EQ(s.log, std::vector<std::string>{"enter Second"}) << "entered once";
    s.cancel->SetFocus();
    EXPECT_EQ(goingTo, s.cancel);
}

TEST_F(FormsTest, SetFocusOnHiddenControlRaises) {
    SampleForm s;
    std::unique_ptr<TForm> owner(s.form);
    EXPECT_THROW(s.first->SetFocus(), EInvalidOperation) << "form not shown";
    s.show();
    s.second->SetVisible(false);
    EXPECT_THROW(s.second->SetFocus(), EInvalidOperation);
    EXPECT_FALSE(s.second->CanFocus());
}

TEST_F(FormsTest, ExitHandlerCanKeepTheFocus) {
    SampleForm s;
    std::unique_ptr<TForm> owner(s.form);
    s.show();
    s.first->SetFocus();
    bool refuse = true;
    s.first->OnExit = [&](TObject*) {
        s.log.push_back("exit First");
        if (refuse) s.first->SetFocus();
    };
    s.log.clear();
    s.second->SetFocus();
    EXPECT_EQ(s.form->ActiveControl(), s.first);
    EXPECT_TRUE(s.first->Focused());
    refuse = false;
    s.second->SetFocus();
    EXPECT_EQ(s.form->ActiveControl(), s.second);
    std::vector<std::string> expected = {"exit First", "exit First", "enter Second"};
    EXPECT_EQ(s.log, expected);
}

// What the control's and the form's key handlers do to typed characters.
TEST_F(FormsTest, KeyHandlersChangeOrSwallowTheKey) {
    struct Case {
        const char* name;
        bool preview;
        std::function<void(SampleForm&)> wire;
        std::string expected;
    };
    const Case cases[] = {
        {"untouched", false, [](SampleForm&) {}, "ab1"},
        {"control changes the character", false,
         [](SampleForm& s) {
             s.first->OnKeyPress = [](TObject*, char& k) { if (k == 'b') k = 'X'; };
         },
         "aX1"},
        {"control swallows the character", false,
         [](SampleForm& s) {
             s.first->OnKeyPress = [](TObject*, char& k) { if (k == '1') k = 0; };
         },
         "ab"},
        {"form without preview sees nothing", false,
         [](SampleForm& s) {
             s.form->OnKeyPress = [](TObject*, char& k) { k = 0; };
         },
         "ab1"},
        {"form preview swallows first", true,
         [](SampleForm& s) {
             s.form->OnKeyPress = [](TObject*, char& k) { if (k == 'a') k = 0; };
             s.first->OnKeyPress = [](TObject*, char& k) { if (k == 'a') k = 'Z'; };
         },
         "b1"},
        {"form preview changes, control sees the change", true,
         [](SampleForm& s) {
             s.form->OnKeyPress = [](TObject*, char& k) { if (k == 'a') k = 'q'; };
             s.first->OnKeyPress = [](TObject*, char& k) { if (k == 'q') k = 'Q'; };
         },
         "Qb1"},
        {"key down of 0 swallows only the key, the character still comes", false,
         [](SampleForm& s) {
             s.first->OnKeyDown = [](TObject*, Word& k, TShiftState) { if (k == 'B') k = 0; };
         },
         "ab1"},
    };
    for (const Case& c : cases) {
        SampleForm s;
        std::unique_ptr<TForm> owner(s.form);
        s.form->SetKeyPreview(c.preview);
        s.show();
        c.wire(s);
        s.first->SetFocus();
        for (char ch : std::string("ab1")) s.first->SendChar(ch);
        EXPECT_EQ(s.first->Text(), c.expected) << c.name;
    }
}

TEST_F(FormsTest, QtKeyEventsTakeTheSamePath) {
    SampleForm s;
    std::unique_ptr<TForm> owner(s.form);
    s.show();
    s.first->SetFocus();
    std::vector<Word> downs;
    s.first->OnKeyDown = [&](TObject*, Word& k, TShiftState shift) {
        downs.push_back(k);
        if (k == VK_F2 && shift.Contains(ssCtrl)) k = 0;
    };
    s.first->OnKeyPress = [](TObject*, char& k) { k = static_cast<char>(std::toupper(static_cast<unsigned char>(k))); };
    for (auto [key, text] : {std::pair{Qt::Key_A, "a"}, std::pair{Qt::Key_B, "b"}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(s.first->Handle(), &press);
    }
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::ControlModifier);
    QCoreApplication::sendEvent(s.first->Handle(), &f2);
    EXPECT_EQ(s.first->Text(), "AB");
    EXPECT_EQ(downs, (std::vector<Word>{'A', 'B', VK_F2}));
}

TEST_F(FormsTest, EnterPressesTheDefaultButtonAndEscapeTheCancelButton) {
    SampleForm s;
    std::unique_ptr<TForm> owner(s.form);
    s.show();
    std::vector<std::string> clicks;
    s.ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
    s.cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
    s.first->SetFocus();
    s.first->SendKey(VK_RETURN);
    EXPECT_EQ(s.form->ModalResult(), mrOk);
    s.first->SendKey(VK_ESCAPE);
    EXPECT_EQ(s.form->ModalResult(), mrCancel);
    s.cancel->SetFocus();
    s.cancel->SendKey(VK_RETURN);
    EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel", "cancel"})) << "focused button takes Enter";

    // Without a default button Enter reaches the edit's handlers.
    s.ok->SetDefault(false);
    std::vector<char> pressed;
    s.first->OnKeyPress = [&](TObject*, char& k) { pressed.push_back(k); };
    s.first->SetFocus();
    s.first->SendKey(VK_RETURN);
    EXPECT_EQ(pressed, std::vector<char>{'\r'});
}

TEST_F(FormsTest, ShowModalIsAnsweredByTheScript) {
    SampleForm s;
    std::unique_ptr<TForm> owner(s.form);
    std::vector<std::string> events;
    s.form->OnShow = [&](TObject*) { events.push_back("show"); };
    s.form->OnClose = [&](TObject*, TCloseAction& a) {
        events.push_back("close");
        EXPECT_EQ(a, caHide);
    };
    TDialogScript script;
    script.Answer([&](TForm& f) {
        EXPECT_TRUE(f.Visible());
        EXPECT_TRUE(f.Modal());
        s.first->SetFocus();
        for (char c : std::string("Smith")) s.first->SendChar(c);
        s.ok->Click();
    });
    script.Answer(mrCancel);

    EXPECT_EQ(s.form->ShowModal(), mrOk);
    EXPECT_EQ(s.first->Text(), "Smith");
    EXPECT_FALSE(s.form->Visible());
    EXPECT_FALSE(s.form->Modal());
    EXPECT_EQ(s.form->ShowModal(), mrCancel);
    EXPECT_EQ(events, (std::vector<std::string>{"show", "close", "show", "close"}));
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Kind, TDialogKind::ModalForm);
    EXPECT_EQ(script.Shown()[0].Caption, "Sample");
    EXPECT_EQ(script.Shown()[0].Form, s.form);
}

TEST_F(FormsTest, ModalFormLeftOpenOrUnansweredFailsInsteadOfBlocking) {
    SampleForm s;
    std::unique_ptr<TForm> owner(s.form);
    TDialogScript script;
    EXPECT_THROW(s.form->ShowModal(), EUnscriptedDialog) << "no answer scripted";
    EXPECT_FALSE(s.form->Modal());

    s.form->OnCloseQuery = [](TObject*, bool& canClose) { canClose = false; };
    script.Answer(mrOk);
    EXPECT_THROW(s.form->ShowModal(), EUnscriptedDialog) << "close refused: the form would stay open";
    EXPECT_FALSE(s.form->Visible());

    s.form->OnCloseQuery = nullptr;
    script.Answer([](TForm& f) { f.Close(); });
    EXPECT_EQ(s.form->ShowModal(), mrCancel) << "Close on a modal form cancels it";

    s.form->Show();
    EXPECT_THROW(s.form->ShowModal(), EInvalidOperation) << "a visible window cannot be made modal";
}

TEST_F(FormsTest, CloseActionsHideFreeMinimizeOrKeep) {
    struct Case {
        TCloseAction action;
        bool visibleAfter;
        bool freed;
    };
    const Case cases[] = {
        {caNone, true, false},
        {caHide, false, false},
        {caMinimize, true, false},
        {caFree, false, true},
    };
    for (const Case& c : cases) {
        auto* form = new TForm(nullptr);
        bool destroyed = false;
        form->OnDestroy = [&](TObject*) { destroyed = true; };
        form->OnClose = [&](TObject*, TCloseAction& a) { a = c.action; };
        form->Show();
        int forms = Screen->FormCount();
        form->Close();
        Application->ProcessMessages();
        EXPECT_EQ(destroyed, c.freed) << c.action;
        if (c.freed) {
            EXPECT_EQ(Screen->FormCount(), forms - 1);
            continue;
        }
        EXPECT_EQ(form->Visible(), c.visibleAfter) << c.action;
        if (c.action == caMinimize) {
            EXPECT_EQ(form->WindowState(), wsMinimized);
        }
        delete form;
        EXPECT_TRUE(destroyed);
    }
}

TEST_F(FormsTest, CloseQueryCanRefuse) {
    auto form = std::make_unique<TForm>(nullptr);
    int asked = 0;
    form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
    bool closed = false;
    form->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
    form->Show();
    form->Close();
    EXPECT_TRUE(form->Visible());
    EXPECT_FALSE(closed);
    form->Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(closed);
}

TEST_F(FormsTest, OwnerFreesOwnedFormsAndOnCreateRunsOnce) {
    auto owner = std::make_unique<TForm>(nullptr);
    int created = 0;
    bool childDestroyed = false;
    struct ChildForm : TForm {
        ChildForm(TComponent* o, int& created) : TForm(o) {
            OnCreate = [&created](TObject*) { ++created; };
        }
    };
    auto* child = new ChildForm(owner.get(), created);
    child->OnDestroy = [&](TObject*) { childDestroyed = true; };
    EXPECT_EQ(created, 0);
    child->Show();
    child->Hide();
    child->Show();
    EXPECT_EQ(created, 1);
    auto* made = CreateForm<TForm>(owner.get());
    EXPECT_EQ(made->Owner(), owner.get());
    EXPECT_EQ(owner->ComponentCount(), 2);
    owner.reset();
    EXPECT_TRUE(childDestroyed);
}

TEST_F(FormsTest, AlignedAndAnchoredChildrenFollowTheForm) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 400, 300);
    auto* top = new TPanel(form.get());
    top->SetParent(form.get());
    top->SetHeight(30);
    top->SetAlign(alTop);
    auto* status = new TStatusBar(form.get());
    status->SetParent(form.get());
    auto* left = new TPanel(form.get());
    left->SetParent(form.get());
    left->SetWidth(50);
    left->SetAlign(alLeft);
    auto* client = new TMemo(form.get());
    client->SetParent(form.get());
    client->SetAlign(alClient);
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(300, 250, 75, 25);
    button->SetAnchors({akRight, akBottom});

    int h = form->ClientHeight(), w = form->ClientWidth();
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, w, 30));
    EXPECT_EQ(status->BoundsRect(), Bounds(0, h - status->Height(), w, status->Height()));
    EXPECT_EQ(left->BoundsRect(), Bounds(0, 30, 50, h - 30 - status->Height()));
    EXPECT_EQ(client->BoundsRect(), Bounds(50, 30, w - 50, h - 30 - status->Height()));

    form->SetBounds(0, 0, 500, 350);
    int dw = form->ClientWidth() - w, dh = form->ClientHeight() - h;
    EXPECT_EQ(dw, 100);
    EXPECT_EQ(client->Width(), w - 50 + dw);
    EXPECT_EQ(status->Top(), form->ClientHeight() - status->Height());
    EXPECT_EQ(button->BoundsRect(), Bounds(300 + dw, 250 + dh, 75, 25));
}

TEST_F(FormsTest, MainMenuItemsClickCheckAndShowHints) {
    auto form = std::make_unique<TForm>(nullptr);
    auto* menu = new TMainMenu(form.get());
    EXPECT_EQ(form->Menu(), menu) << "a form's first main menu becomes its menu";
    auto* file = new TMenuItem(form.get());
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* open = new TMenuItem(form.get());
    open->SetCaption("&Open Company...");
    open->SetHint("Open a file");
    file->Add(open);
    auto* exitItem = new TMenuItem(form.get());
    exitItem->SetCaption("E&xit");
    exitItem->SetShortCut(TextToShortCut("Alt+X"));
    file->Add(exitItem);
    std::vector<std::string> clicks;
    open->OnClick = [&](TObject*) { clicks.push_back("open"); };
    exitItem->OnClick = [&](TObject*) { clicks.push_back("exit"); };

    EXPECT_EQ(menu->FindItem("Exit"), exitItem);
    EXPECT_EQ(menu->FindShortCut(ShortCut('X', {ssAlt})), exitItem);
    EXPECT_EQ(ShortCutToText(exitItem->ShortCut()), "Alt+X");

    exitItem->Action()->trigger();  // as the user choosing it
    exitItem->SetEnabled(false);
    exitItem->Click();
    open->Click();
    EXPECT_EQ(clicks, (std::vector<std::string>{"exit", "open"}));

    std::string hinted;
    Application->OnHint = [&](TObject*) { hinted = Application->Hint(); };
    open->Action()->hover();
    EXPECT_EQ(hinted, "Open a file");
    Application->OnHint = nullptr;

    ASSERT_NE(menu->menuBar(), nullptr);
    ASSERT_EQ(menu->menuBar()->actions().size(), 1);
    EXPECT_EQ(menu->menuBar()->actions()[0]->text(), "&File");
    EXPECT_EQ(file->SubMenu()->actions().size(), 2);
    EXPECT_LT(form->ClientHeight(), form->Height()) << "the menu bar is above the client area";
}

TEST_F(FormsTest, RadioMenuItemsExcludeEachOther) {
    auto menu = std::make_unique<TPopupMenu>(nullptr);
    std::vector<TMenuItem*> items;
    for (int i = 0; i < 3; ++i) {
        auto* item = new TMenuItem(menu.get());
        item->SetCaption("Item " + std::to_string(i));
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
        menu->Items()->Add(item);
        items.push_back(item);
    }
    items[0]->SetChecked(true);
    items[2]->SetChecked(true);
    EXPECT_FALSE(items[0]->Checked());
    EXPECT_TRUE(items[2]->Checked());
}

TEST_F(FormsTest, RightClickOpensTheControlsPopupMenu) {
    auto form = std::make_unique<TForm>(nullptr);
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    auto* popup = new TPopupMenu(form.get());
    auto* item = new TMenuItem(form.get());
    item->SetCaption("Patient &Exam");
    popup->Items()->Add(item);
    button->SetPopupMenu(popup);
    int opened = 0;
    popup->OnPopup = [&](TObject*) { ++opened; };
    form->Show();
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(2, 2), button->Handle()->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(button->Handle(), &e);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(popup->PopupComponent(), button);
    popup->SetAutoPopup(false);
    QCoreApplication::sendEvent(button->Handle(), &e);
    EXPECT_EQ(opened, 1);
    delete button;
    EXPECT_EQ(popup->PopupComponent(), nullptr) << "a freed control is forgotten";
}

TEST_F(FormsTest, MouseOverAControlRoutesItsLongHintToTheApplication) {
    auto form = std::make_unique<TForm>(nullptr);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetHint("Search|Incremental Search Field");
    auto* edit = new TEdit(form.get());
    edit->SetParent(panel);
    std::vector<std::string> hints;
    Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint()); };
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QCoreApplication::sendEvent(edit->Handle(), &enter);  // no hint of its own: the parent's
    edit->SetHint("Change Sort Order");
    QCoreApplication::sendEvent(edit->Handle(), &enter);
    QCoreApplication::sendEvent(edit->Handle(), &leave);
    Application->OnHint = nullptr;
    Application->SetHint("");
    EXPECT_EQ(hints, (std::vector<std::string>{"Incremental Search Field", "Change Sort Order",
                                               "Incremental Search Field"}));
    EXPECT_EQ(GetShortHint(panel->Hint()), "Search");
}

TEST_F(FormsTest, ScreenCursorAndForms) {
    Screen->SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    int before = Screen->FormCount();
    auto form = std::make_unique<TForm>(nullptr);
    EXPECT_EQ(Screen->FormCount(), before + 1);
    EXPECT_EQ(Screen->Forms(before), form.get());
    form->Show();
    Application->ProcessMessages();
    EXPECT_EQ(Screen->ActiveForm(), form.get());
    form.reset();
    EXPECT_EQ(Screen->FormCount(), before);
}

TEST_F(FormsTest, RunEndsWhenTheMainFormClosesAndFreesTheForms) {
    ASSERT_EQ(Application->MainForm(), nullptr);
    TForm* main = nullptr;
    Application->CreateForm(main);
    TForm* other = nullptr;
    Application->CreateForm(other);
    EXPECT_EQ(Application->MainForm(), main);
    bool otherFreed = false;
    other->OnDestroy = [&](TObject*) { otherFreed = true; };
    queueOnMainThread([main] { main->Close(); });
    Application->Run();
    EXPECT_TRUE(otherFreed);
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_EQ(Application->ComponentCount(), 0);
}

TEST_F(FormsTest, OtherThreadsHandCallsToTheMainThread) {
    std::thread::id ranOn;
    std::atomic<bool> sent{false};
    std::thread worker([&] {
        sent = sendToMainThread([&] { ranOn = std::this_thread::get_id(); }, -1);
    });
    while (!sent) Application->ProcessMessages();
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // Nobody serves the queue: the sender gives up after its time-out, and
    // the call still runs later, safely.
    bool late = false;
    bool inTime = true;
    std::thread impatient([&] { inTime = sendToMainThread([&] { late = true; }, 20); });
    impatient.join();
    EXPECT_FALSE(inTime);
    Application->ProcessMessages();
    EXPECT_TRUE(late);
}

TEST_F(FormsTest, OffscreenPictureShowsMenuEditsAndPages) {
    TForm form(nullptr);
    form.SetCaption("Patient");
    form.SetBounds(0, 0, 320, 220);
    auto* menu = new TMainMenu(&form);
    for (const char* caption : {"&File", "&Lists", "&Help"}) {
        auto* item = new TMenuItem(&form);
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    auto* pages = new TPageControl(&form);
    pages->SetParent(&form);
    pages->SetBounds(10, 10, 300, 150);
    auto* sheet = new TTabSheet(&form);
    sheet->SetCaption("Patient Information");
    sheet->SetPageControl(pages);
    auto* other = new TTabSheet(&form);
    other->SetCaption("Insured");
    other->SetPageControl(pages);
    auto* name = new TEdit(&form);
    name->SetParent(sheet);
    name->SetBounds(10, 10, 150, 21);
    name->SetText("SMITH, JOHN");
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(10, 170, 150, 21);

    TempDir dir;
    std::string file = dir.file("form.png");
    renderToPng(&form, file);
    QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(form.Width(), form.Height()));
    const QColor face = tColorToQColor(clBtnFace);
    int menuHeight = form.Height() - form.ClientHeight();
    ASSERT_GT(menuHeight, 0);

    auto differs = [&](QRect r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (image.pixelColor(x, y) != face) return true;
        return false;
    };
    auto windowColoured = [&](QPoint p) { return image.pixelColor(p).lightness() > 240; };
    EXPECT_TRUE(differs(QRect(0, 0, 60, menuHeight))) << "menu captions drawn";
    QPoint editInside(edit->Left() + 140, menuHeight + edit->Top() + 10);
    EXPECT_TRUE(windowColoured(editInside)) << "the edit's white field";
    EXPECT_FALSE(windowColoured(QPoint(200, menuHeight + 180))) << "the form around it";
    QPoint nameTopLeft = name->Handle()->mapTo(form.Handle(), QPoint(0, 0));
    EXPECT_TRUE(differs(QRect(nameTopLeft + QPoint(3, 4), QSize(60, 12)))) << "the text on the first page";
    EXPECT_TRUE(differs(QRect(pages->Left() + 5, menuHeight + pages->Top() + 2, 100, 16))) << "tabs drawn";
}

TEST_F(FormsTest, BordersStyleAndPlacement) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsSingle);
    form->SetBorderIcons({biSystemMenu, biMinimize});
    form->SetFormStyle(fsStayOnTop);
    form->SetPosition(poScreenCenter);
    form->SetBounds(0, 0, 200, 100);
    EXPECT_EQ(form->Width(), 200) << "a fixed border does not stop the program resizing";
    form->Show();
    Application->ProcessMessages();
    EXPECT_EQ(form->Handle()->minimumSize(), form->Handle()->maximumSize()) << "the user cannot resize";
    EXPECT_TRUE(form->Handle()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(form->Handle()->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form->Handle()->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->Left() + form->Width() / 2, Screen->Width() / 2);
    form->SetWindowState(wsMaximized);
    EXPECT_EQ(form->WindowState(), wsMaximized);
}

TEST_F(FormsTest, ModalFormClosingWithCaFreeIsFreedAfterShowModalReturns) {
    auto* form = new TForm(nullptr);
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) { destroyed = true; };
    form->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
    TDialogScript script;
    script.Answer(mrYes);
    EXPECT_EQ(form->ShowModal(), mrYes);
    EXPECT_FALSE(destroyed) << "still there for the caller to read";
    Application->ProcessMessages();
    EXPECT_TRUE(destroyed);
}

}  // namespace
