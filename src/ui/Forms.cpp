#include "ui/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"
#include "ui/Text1252.h"

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QWidget>(nullptr, Qt::Window)) {
    client_ = new QWidget(Handle());
    addEventSource(client_);
    visible_ = false;
    SetColor(clBtnFace);
    SetParentColor(false);
    applyFont();
    Handle()->resize(320, 240);
    layoutClientArea();
    Handle()->setFocusPolicy(Qt::NoFocus);
    Screen->addForm(this);
}

TForm::~TForm() {
    Destroying();
    fireDestroy();
    activeControl_ = enteredControl_ = requestedControl_ = nullptr;
    if (menu_) menu_->detachFrom(this);
    lifeToken_.reset();
    Screen->removeForm(this);
    if (Application->mainForm_ == this) Application->mainForm_ = nullptr;
    menu_.set(nullptr);
}

void TForm::fireDestroy() {
    if (destroyFired_ || !created_) return;
    destroyFired_ = true;
    try {
        if (OnDestroy) OnDestroy(this);
    } catch (...) {
        Application->HandleException(this);
    }
}

void TForm::AfterConstruction() {
    if (created_) return;
    created_ = true;
    if (OnCreate) OnCreate(this);
}

QWidget* TForm::clientWidget() const { return client_; }

std::string TForm::RealGetText() const { return fromQString(Handle()->windowTitle()); }

void TForm::RealSetText(const std::string& Value) { Handle()->setWindowTitle(ToQString(Value)); }

int TForm::ClientWidth() const { return client_->width(); }
int TForm::ClientHeight() const { return client_->height(); }

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    // A fixed border keeps the user from resizing, not the program.
    if (borderStyle_ == bsSingle || borderStyle_ == bsDialog || borderStyle_ == bsToolWindow)
        Handle()->setFixedSize(std::max(AWidth, 0), std::max(AHeight, 0));
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    layoutClientArea();
}

void TForm::layoutClientArea() {
    int top = 0;
    if (menu_ && menu_->menuBar()) {
        QMenuBar* bar = menu_->menuBar();
        top = bar->sizeHint().height();
        bar->setGeometry(0, 0, Handle()->width(), top);
    }
    client_->setGeometry(0, top, Handle()->width(), std::max(Handle()->height() - top, 0));
    Realign();
}

void TForm::SetMenu(TMainMenu* Value) {
    if (menu_ == Value) return;
    if (menu_) menu_->detachFrom(this);
    menu_.set(Value);
    if (menu_) menu_->attachTo(this);
    layoutClientArea();
}

void TForm::SetFormStyle(TFormStyle Value) {
    formStyle_ = Value;
    applyWindowFlags();
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
    borderStyle_ = Value;
    applyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons Value) {
    borderIcons_ = Value;
    applyWindowFlags();
}

void TForm::applyWindowFlags() {
    bool shown = Handle()->isVisible();
    Qt::WindowFlags flags = borderStyle_ == bsDialog ? Qt::Dialog : Qt::Window;
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin) flags = Qt::Tool;
    flags |= Qt::CustomizeWindowHint;
    if (borderStyle_ == bsNone) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::WindowTitleHint;
        if (borderIcons_.Contains(biSystemMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (borderIcons_.Contains(biMinimize) && borderStyle_ != bsDialog) flags |= Qt::WindowMinimizeButtonHint;
        if (borderIcons_.Contains(biMaximize) && borderStyle_ != bsDialog && borderStyle_ != bsSingle)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    if (formStyle_ == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
    Handle()->setWindowFlags(flags);
    bool fixed = borderStyle_ == bsSingle || borderStyle_ == bsDialog || borderStyle_ == bsToolWindow;
    if (fixed)
        Handle()->setFixedSize(Handle()->size());
    else
        Handle()->setMinimumSize(0, 0), Handle()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (shown) Handle()->show();
}

TWindowState TForm::WindowState() const {
    if (Handle()->isVisible()) {
        if (Handle()->isMinimized()) return wsMinimized;
        if (Handle()->isMaximized()) return wsMaximized;
        return wsNormal;
    }
    return windowState_;
}

void TForm::SetWindowState(TWindowState Value) {
    windowState_ = Value;
    if (!Handle()->isVisible()) return;
    switch (Value) {
    case wsNormal: Handle()->showNormal(); break;
    case wsMinimized: Handle()->showMinimized(); break;
    case wsMaximized: Handle()->showMaximized(); break;
    }
}

bool TForm::Active() const { return Handle()->isActiveWindow(); }

void TForm::BringToFront() {
    if (WindowState() == wsMinimized) SetWindowState(wsNormal);
    // Windows without a window system cannot be raised (and say so).
    if (QGuiApplication::platformName() != "offscreen") Handle()->raise();
    Handle()->activateWindow();
}

void TForm::placeOnFirstShow() {
    if (shownOnce_) return;
    shownOnce_ = true;
    QRect area;
    switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
        if (QScreen* s = QGuiApplication::primaryScreen()) area = s->availableGeometry();
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TForm* other = position_ == poOwnerFormCenter ? dynamic_cast<TForm*>(Owner()) : Application->MainForm();
        if (!other || other == this) other = Application->MainForm();
        if (other && other != this && other->Visible())
            area = other->Handle()->frameGeometry();
        else if (QScreen* s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        break;
    }
    default: break;
    }
    if (!area.isNull())
        Handle()->move(area.x() + (area.width() - Width()) / 2, area.y() + (area.height() - Height()) / 2);
}

void TForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TForm::SetVisible(bool Value) {
    AfterConstruction();
    if (Value == Handle()->isVisible() && Value == visible_) return;
    if (Value) {
        placeOnFirstShow();
        // Visible already in OnShow, so that it can choose the focus.
        visible_ = true;
        DoShow();
        bool fixed = borderStyle_ == bsSingle || borderStyle_ == bsDialog || borderStyle_ == bsToolWindow;
        if (fixed) Handle()->setFixedSize(Handle()->size());
        switch (windowState_) {
        case wsNormal: Handle()->show(); break;
        case wsMinimized: Handle()->showMinimized(); break;
        case wsMaximized: Handle()->showMaximized(); break;
        }
        layoutClientArea();
        // The focus is chosen first: the window, once active, gives the
        // keyboard to the control it holds.
        focusFirstControl();
        awaitActivation();
    } else {
        visible_ = false;
        Handle()->hide();
        DoHide();
    }
}

// A window system maps a shown window and activates it some time later;
// without a window manager nothing activates it unless asked. Show waits for
// the activation, so that the focus it gives its first control is the
// keyboard's; OnActivate thus runs inside Show. Offscreen the activation is
// only queued: OnActivate runs at the next ProcessMessages. Only
// window-system events are taken meanwhile: no input, no timers.
namespace {
// Long enough for a loaded X server to map a window, short enough that a
// window which never becomes active (another program holds the focus) costs
// little.
constexpr int kActivationWaitMs = 500;
}  // namespace

void TForm::awaitActivation() {
    if (QGuiApplication::platformName() == "offscreen" || Handle()->isActiveWindow()) return;
    Handle()->activateWindow();
    QDeadlineTimer deadline(kActivationWaitMs);
    while (!Handle()->isActiveWindow() && Handle()->isVisible() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers, 10);
}

void TForm::focusFirstControl() {
    TWinControl* target = activeControl_;
    if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true, false);
    if (target && target->CanFocus()) {
        focusControl(target);
    } else {
        Handle()->activateWindow();
    }
}

void TForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = formStyle_ == fsMDIChild
                              ? (borderIcons_.Contains(biMinimize) ? caMinimize : caNone)
                              : caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application->MainForm() == this) {
        Hide();
        Application->Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        SetWindowState(wsMinimized);
    } else {
        Release();
    }
}

void TForm::Release() {
    if (Handle()->isVisible()) {
        visible_ = false;
        Handle()->hide();
    }
    std::weak_ptr<int> alive = lifeToken_;
    QTimer::singleShot(0, QCoreApplication::instance(), [this, alive] {
        if (alive.expired()) return;
        fireDestroy();
        delete this;
    });
}

void TForm::closeModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone) modalResult_ = mrNone;
    modalCloseAction_ = action;
}

int TForm::ShowModal() {
    AfterConstruction();
    if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    TDialogRequest request;
    request.Kind = TDialogKind::ModalForm;
    request.Caption = Caption();
    request.Form = this;
    std::optional<TDialogAnswer> scripted = answerWithoutUser(request);

    modalResult_ = mrNone;
    modalCloseAction_ = caHide;
    modal_ = true;
    Handle()->setWindowModality(Qt::ApplicationModal);
    auto finish = [this] {
        modal_ = false;
        if (Handle()->isVisible() || visible_) {
            visible_ = false;
            Handle()->hide();
            DoHide();
        }
        Handle()->setWindowModality(Qt::NonModal);
    };
    try {
        Show();
        if (scripted) {
            Application->ProcessMessages();
            if (scripted->Act) scripted->Act(*this);
            if (modalResult_ == mrNone) modalResult_ = scripted->Result;
            if (modalResult_ != mrNone) closeModal();
            if (modalResult_ == mrNone)
                throw EUnscriptedDialog("The modal form \"" + Caption() + "\" was left open by its scripted answer");
        } else {
            QEventLoop loop;
            while (modalResult_ == mrNone) {
                loop.processEvents(QEventLoop::WaitForMoreEvents);
                Application->raisePendingFailure();
                if (Application->Terminated() && modalResult_ == mrNone) modalResult_ = mrCancel;
                if (modalResult_ != mrNone) closeModal();
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    int result = modalResult_;
    if (modalCloseAction_ == caFree) Release();
    return result;
}

void TForm::SetActiveControl(TWinControl* Control) {
    if (Control && GetParentForm(Control) != this)
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (Visible() && Control) {
        Control->SetFocus();
    } else {
        activeControl_ = Control;
    }
}

void TForm::FocusControl(TWinControl* Control) {
    if (Control) Control->SetFocus();
}

void TForm::focusControl(TWinControl* Control) {
    if (!Handle()->isActiveWindow()) Handle()->activateWindow();
    int before = focusRequests_;
    if (Control->Handle()) Control->Handle()->setFocus(Qt::OtherFocusReason);
    if (focusRequests_ != before) return;
    // An inactive window gets its focus event later; the form knows now. What
    // the old control's OnExit raises is shown, as it is when an active
    // window hears of the change through its focus event.
    try {
        controlFocused(Control);
    } catch (...) {
        Application->HandleException(this);
    }
}

// The focus moved to Control: the old control hears OnExit (with
// ActiveControl already the new one, so that it can tell where the focus
// goes), the new one OnEnter. A handler may move the focus again (an OnExit
// that keeps the focus on its control, for one); the latest request wins.
void TForm::controlFocused(TWinControl* Control) {
    if (Control == this) return;
    ++focusRequests_;
    requestedControl_ = Control;
    if (changingFocus_) return;
    changingFocus_ = true;
    try {
        while (requestedControl_ != enteredControl_) {
            TWinControl* target = requestedControl_;
            activeControl_ = target;
            if (TWinControl* old = enteredControl_) {
                old->DoExit();
                if (requestedControl_ != target) continue;
            }
            enteredControl_ = target;
            if (target) target->DoEnter();
        }
        activeControl_ = enteredControl_;
    } catch (...) {
        activeControl_ = enteredControl_;
        changingFocus_ = false;
        throw;
    }
    changingFocus_ = false;
}

void TForm::forgetControl(TWinControl* Control) {
    if (activeControl_ == Control) activeControl_ = nullptr;
    if (enteredControl_ == Control) enteredControl_ = nullptr;
    if (requestedControl_ == Control) requestedControl_ = enteredControl_;
}

bool TForm::wantsKey(Word, TShiftState) const { return true; }

bool TForm::DialogKey(TWinControl* Control, Word Key, TShiftState Shift) {
    if (Key == VK_TAB) {
        if (Shift.Contains(ssCtrl)) return false;
        SelectNext(Control, !Shift.Contains(ssShift), true);
        return true;
    }
    if (Key != VK_RETURN && Key != VK_ESCAPE) return false;
    if (Key == VK_RETURN)
        if (auto* focused = dynamic_cast<TButton*>(Control)) {
            focused->Click();
            return true;
        }
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    for (TWinControl* c : list) {
        auto* button = dynamic_cast<TButton*>(c);
        if (!button || !button->Visible() || !button->Enabled() || !button->Showing()) continue;
        if ((Key == VK_RETURN && button->Default()) || (Key == VK_ESCAPE && button->Cancel())) {
            button->Click();
            return true;
        }
    }
    return false;
}

bool TForm::handleEvent(QWidget* source, QEvent* event) {
    if (source == Handle()) {
        switch (event->type()) {
        case QEvent::Close:
            // The window's close box: the class library's Close decides. A
            // disabled window's close box does nothing.
            event->ignore();
            if (Enabled()) Close();
            return true;
        case QEvent::WindowActivate:
            if (!active_) {
                active_ = true;
                Screen->lastActive_ = this;
                Activate();
            }
            return false;
        case QEvent::WindowDeactivate:
            if (active_) {
                active_ = false;
                Deactivate();
            }
            return false;
        case QEvent::Resize:
            layoutClientArea();
            return TControl::handleEvent(source, event);
        default:
            break;
        }
    }
    return TWinControl::handleEvent(source, event);
}

// ---------------------------------------------------------------- TScrollBox

int TControlScrollBar::Position() const { return bar_->value(); }
void TControlScrollBar::SetPosition(int Value) { bar_->setValue(Value); }
int TControlScrollBar::Range() const { return bar_->maximum() + bar_->pageStep(); }
int TControlScrollBar::Increment() const { return bar_->singleStep(); }
bool TControlScrollBar::Visible() const { return bar_->isVisible(); }

TScrollBox::TScrollBox(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QScrollArea>()) {
    inner_ = new QWidget;
    area()->setWidget(inner_);
    area()->setWidgetResizable(false);
    addEventSource(area()->viewport());
    horz_.reset(new TControlScrollBar(area()->horizontalScrollBar()));
    vert_.reset(new TControlScrollBar(area()->verticalScrollBar()));
    area()->resize(185, 41);
    SetTabStop(false);
}

TScrollBox::~TScrollBox() { detachEvents(); }

QScrollArea* TScrollBox::area() const { return static_cast<QScrollArea*>(Handle()); }
QWidget* TScrollBox::clientWidget() const { return inner_; }
int TScrollBox::ClientWidth() const { return area()->viewport()->width(); }
int TScrollBox::ClientHeight() const { return area()->viewport()->height(); }

void TScrollBox::updateRange() {
    int width = ClientWidth(), height = ClientHeight();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() || c->Align() != alNone) continue;
        width = std::max(width, c->Left() + c->Width());
        height = std::max(height, c->Top() + c->Height());
    }
    if (inner_->size() != QSize(width, height)) inner_->resize(width, height);
}

void TScrollBox::childBoundsChanged(TControl* Child) {
    TWinControl::childBoundsChanged(Child);
    updateRange();
}

void TScrollBox::AlignControls(TRect& R) {
    TWinControl::AlignControls(R);
    updateRange();
}

bool TScrollBox::handleEvent(QWidget* source, QEvent* event) {
    if (source == area()->viewport() && event->type() == QEvent::Resize) Realign();
    return TWinControl::handleEvent(source, event);
}

void TScrollBox::ScrollInView(TControl* AControl) {
    if (AControl && AControl->Handle()) area()->ensureWidgetVisible(AControl->Handle());
}

// ---------------------------------------------------------------- TTaskWindowsDisabled

TTaskWindowsDisabled::TTaskWindowsDisabled() {
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TForm* form = Screen->Forms(i);
        if (!form->Visible() || !form->Enabled()) continue;
        form->SetEnabled(false);
        disabled_.emplace_back(form, form->lifeToken_);
    }
}

TTaskWindowsDisabled::~TTaskWindowsDisabled() {
    for (auto& [form, alive] : disabled_)
        if (!alive.expired()) form->SetEnabled(true);
}
