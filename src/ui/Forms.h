#pragma once
// Forms: top-level windows with the class library's show, modal and close
// behaviour, focus bookkeeping (ActiveControl, OnEnter/OnExit) and key preview.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/Controls.h"

class QWidget;
class TMainMenu;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Fires OnCreate once. CreateForm calls it after construction; Show and
    // ShowModal call it for a form that was made with new.
    void AfterConstruction();

    void Show();
    void SetVisible(bool Value) override;
    // Shows the form modally and returns its ModalResult. Answered by the
    // dialog script when one is installed.
    int ShowModal();
    // Closes as the user would: a modal form gets ModalResult mrCancel;
    // otherwise OnCloseQuery, OnClose, then the close action.
    void Close();
    bool CloseQuery();
    // Frees the form once the events in hand are done.
    void Release();

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult Value) { modalResult_ = Value; }
    // Shown by ShowModal and not yet closed.
    bool Modal() const { return modal_; }
    // The active window of the application.
    bool Active() const;

    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle Value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons Value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition Value) { position_ = Value; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState Value);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool Value) { keyPreview_ = Value; }

    // The control that has (or gets, when the form is shown) the focus.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);

    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* Value);

    void BringToFront() override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    // Once, before the form goes. A form freed by Release (caFree) hears it
    // whole; one freed with delete hears it from TForm's destructor, when a
    // derived class's own members are gone already.
    TNotifyEvent OnDestroy;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    QWidget* clientWidget() const override;
    bool wantsKey(Word Key, TShiftState Shift) const override;
    bool handleEvent(QWidget* source, QEvent* event) override;
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;

    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();

private:
    friend class TWinControl;
    friend class TMainMenu;
    void controlFocused(TWinControl* Control);
    void focusControl(TWinControl* Control);
    void forgetControl(TWinControl* Control);
    // Tab, Enter on the default button, Escape on the cancel button.
    bool DialogKey(TWinControl* Control, Word Key, TShiftState Shift);
    void closeModal();
    void layoutClientArea();
    void applyWindowFlags();
    void placeOnFirstShow();
    void focusFirstControl();
    void awaitActivation();
    void fireDestroy();

    QWidget* client_;
    TComponentRef<TMainMenu> menu_{this, [this] {
        if (!ComponentState().Contains(csDestroying)) layoutClientArea();
    }};
    TWinControl* activeControl_ = nullptr;   // has or gets the focus
    TWinControl* enteredControl_ = nullptr;  // heard OnEnter last
    TWinControl* requestedControl_ = nullptr;
    bool changingFocus_ = false;
    int focusRequests_ = 0;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    TCloseAction modalCloseAction_ = caHide;
    bool created_ = false;
    bool destroyFired_ = false;
    bool shownOnce_ = false;
    bool active_ = false;
    TFormStyle formStyle_ = fsNormal;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    bool keyPreview_ = false;
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);
    friend class TTaskWindowsDisabled;
};

// ---------------------------------------------------------------- TScrollBox

class QScrollArea;
class QScrollBar;

// One scroll bar of a scroll box: Range is the extent of the children.
class TControlScrollBar {
public:
    int Position() const;
    void SetPosition(int Value);
    int Range() const;
    // The step of one arrow click.
    int Increment() const;
    bool Visible() const;

private:
    friend class TScrollBox;
    explicit TControlScrollBar(QScrollBar* bar) : bar_(bar) {}
    QScrollBar* bar_;
};

// A window whose children may extend past its edges; scroll bars appear
// when they do.
class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent* AOwner);
    ~TScrollBox() override;

    TControlScrollBar* HorzScrollBar() { return horz_.get(); }
    TControlScrollBar* VertScrollBar() { return vert_.get(); }
    int ClientWidth() const override;
    int ClientHeight() const override;
    // Scrolls so that the control is in view.
    void ScrollInView(TControl* AControl);

protected:
    QWidget* clientWidget() const override;
    void childBoundsChanged(TControl* Child) override;
    void AlignControls(TRect& R) override;
    bool handleEvent(QWidget* source, QEvent* event) override;

private:
    QScrollArea* area() const;
    void updateRange();
    QWidget* inner_;
    std::unique_ptr<TControlScrollBar> horz_;
    std::unique_ptr<TControlScrollBar> vert_;
};

// For its lifetime, the forms shown when it was made take no input and
// their close boxes do nothing (as windows under a modal one); forms shown
// later are not affected. A long run that processes events uses it, so the
// form that started the run cannot be closed under it.
class TTaskWindowsDisabled {
public:
    TTaskWindowsDisabled();
    ~TTaskWindowsDisabled();
    TTaskWindowsDisabled(const TTaskWindowsDisabled&) = delete;
    TTaskWindowsDisabled& operator=(const TTaskWindowsDisabled&) = delete;

private:
    std::vector<std::pair<TForm*, std::weak_ptr<int>>> disabled_;
};

// Creates a form of class T owned by AOwner and fires its OnCreate.
template <class T>
T* CreateForm(TComponent* AOwner) {
    T* form = new T(AOwner);
    form->AfterConstruction();
    return form;
}
