#pragma once
// Controls of the visual class library over Qt widgets: TControl,
// TWinControl, TCustomControl and TGraphicControl with the class library's
// coordinates, alignment, focus, keyboard and mouse model, plus the caret,
// window scroll bars and the clipboard.
//
// Each control owns one Qt widget; its children are placed in the widget's
// client area. The program sees only these classes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/Classes.h"
#include "base/Exceptions.h"
#include "ui/ControlState.h"
#include "ui/Graphics.h"

class QWidget;
class QEvent;
class TWinControl;
class TForm;
class TPopupMenu;

QM_DECLARE_EXCEPTION(EInvalidOperation, Exception)

using Word = std::uint16_t;

// ---------------------------------------------------------------- keyboard

constexpr Word VK_LBUTTON = 0x01;
constexpr Word VK_RBUTTON = 0x02;
constexpr Word VK_CANCEL = 0x03;
constexpr Word VK_MBUTTON = 0x04;
constexpr Word VK_BACK = 0x08;
constexpr Word VK_TAB = 0x09;
constexpr Word VK_CLEAR = 0x0C;
constexpr Word VK_RETURN = 0x0D;
constexpr Word VK_SHIFT = 0x10;
constexpr Word VK_CONTROL = 0x11;
constexpr Word VK_MENU = 0x12;
constexpr Word VK_PAUSE = 0x13;
constexpr Word VK_CAPITAL = 0x14;
constexpr Word VK_ESCAPE = 0x1B;
constexpr Word VK_SPACE = 0x20;
constexpr Word VK_PRIOR = 0x21;
constexpr Word VK_NEXT = 0x22;
constexpr Word VK_END = 0x23;
constexpr Word VK_HOME = 0x24;
constexpr Word VK_LEFT = 0x25;
constexpr Word VK_UP = 0x26;
constexpr Word VK_RIGHT = 0x27;
constexpr Word VK_DOWN = 0x28;
constexpr Word VK_SELECT = 0x29;
constexpr Word VK_PRINT = 0x2A;
constexpr Word VK_EXECUTE = 0x2B;
constexpr Word VK_SNAPSHOT = 0x2C;
constexpr Word VK_INSERT = 0x2D;
constexpr Word VK_DELETE = 0x2E;
constexpr Word VK_HELP = 0x2F;
// '0'..'9' and 'A'..'Z' are their own codes.
constexpr Word VK_LWIN = 0x5B;
constexpr Word VK_RWIN = 0x5C;
constexpr Word VK_APPS = 0x5D;
constexpr Word VK_NUMPAD0 = 0x60;
constexpr Word VK_NUMPAD1 = 0x61;
constexpr Word VK_NUMPAD2 = 0x62;
constexpr Word VK_NUMPAD3 = 0x63;
constexpr Word VK_NUMPAD4 = 0x64;
constexpr Word VK_NUMPAD5 = 0x65;
constexpr Word VK_NUMPAD6 = 0x66;
constexpr Word VK_NUMPAD7 = 0x67;
constexpr Word VK_NUMPAD8 = 0x68;
constexpr Word VK_NUMPAD9 = 0x69;
constexpr Word VK_MULTIPLY = 0x6A;
constexpr Word VK_ADD = 0x6B;
constexpr Word VK_SEPARATOR = 0x6C;
constexpr Word VK_SUBTRACT = 0x6D;
constexpr Word VK_DECIMAL = 0x6E;
constexpr Word VK_DIVIDE = 0x6F;
constexpr Word VK_F1 = 0x70;
constexpr Word VK_F2 = 0x71;
constexpr Word VK_F3 = 0x72;
constexpr Word VK_F4 = 0x73;
constexpr Word VK_F5 = 0x74;
constexpr Word VK_F6 = 0x75;
constexpr Word VK_F7 = 0x76;
constexpr Word VK_F8 = 0x77;
constexpr Word VK_F9 = 0x78;
constexpr Word VK_F10 = 0x79;
constexpr Word VK_F11 = 0x7A;
constexpr Word VK_F12 = 0x7B;
constexpr Word VK_NUMLOCK = 0x90;
constexpr Word VK_SCROLL = 0x91;
constexpr Word VK_OEM_1 = 0xBA;       // ;:
constexpr Word VK_OEM_PLUS = 0xBB;    // =+
constexpr Word VK_OEM_COMMA = 0xBC;   // ,<
constexpr Word VK_OEM_MINUS = 0xBD;   // -_
constexpr Word VK_OEM_PERIOD = 0xBE;  // .>
constexpr Word VK_OEM_2 = 0xBF;       // /?
constexpr Word VK_OEM_3 = 0xC0;       // `~
constexpr Word VK_OEM_4 = 0xDB;       // [{
constexpr Word VK_OEM_5 = 0xDC;       // \|
constexpr Word VK_OEM_6 = 0xDD;       // ]}
constexpr Word VK_OEM_7 = 0xDE;       // '"

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

// Whether the key is held down now, as GetKeyState's high bit tells.
bool keyIsDown(Word vk);

// ---------------------------------------------------------------- events

enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// ---------------------------------------------------------------- layout

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Forms use every value; controls only bsNone and bsSingle.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Cursors.
using TCursor = std::int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// The hint text before and after "|".
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);

// Makes sure a Qt application exists (the application object creates one
// when there is none), so that widgets can be made.
void EnsureQtApplication();

// A widget for a control, made once the Qt application exists.
template <class W, class... Args>
W* NewWidget(Args&&... args) {
    EnsureQtApplication();
    return new W(std::forward<Args>(args)...);
}

// ---------------------------------------------------------------- TControl

class TControl : public TComponent {
public:
    ~TControl() override;

    TControlState ControlState() const { return controlState_; }
    void SetControlState(TControlState Value) { controlState_ = Value; }

    // The Qt widget of this control (for the visual class library only).
    QWidget* Handle() const { return widget_; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int Value);
    void SetTop(int Value);
    void SetWidth(int Value);
    void SetHeight(int Value);
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const;
    void SetBoundsRect(const TRect& R);
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;
    void SetClientWidth(int Value);
    void SetClientHeight(int Value);
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
    TPoint ClientToScreen(TPoint P) const;
    TPoint ScreenToClient(TPoint P) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign Value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors Value) { anchors_ = Value; }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a shown window.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool Value);

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool Value);
    TFont* Font() { return &font_; }
    void SetFont(const TFont& Value) { font_.Assign(Value); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool Value);

    std::string Caption() const { return RealGetText(); }
    void SetCaption(const std::string& Value) { RealSetText(Value); }
    std::string Text() const { return RealGetText(); }
    void SetText(const std::string& Value) { RealSetText(Value); }

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& Value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool Value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* Value);

    void Invalidate();
    // Paints now what is invalid.
    void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    virtual void BringToFront();
    void SendToBack();

    bool MouseCapture() const;
    void SetMouseCapture(bool Value);

    // Fires OnClick (and the control's own click behaviour).
    virtual void Click();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnResize;

protected:
    // widget becomes this control's window; the control owns it.
    TControl(TComponent* AOwner, QWidget* widget);

    virtual std::string RealGetText() const { return text_; }
    virtual void RealSetText(const std::string& Value) { text_ = Value; }

    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Resize();
    // Whether a left press and release inside the control fires Click
    // (buttons take their click from the widget instead).
    virtual bool clicksOnMouseUp() const { return true; }
    // Paints the control through the canvas; only custom-painted controls
    // are asked.
    virtual bool paintsItself() const { return false; }
    virtual void paintWidget(QWidget* target);
    // Colour and font pushed onto the widget.
    virtual void applyColor();
    virtual void applyFont();
    // Mouse and key events of an inner Qt widget (a viewport, an embedded
    // line edit) are treated as the control's own.
    void addEventSource(QWidget* source);
    // Stops routing the widgets' events here (the first step of freeing).
    void detachEvents();

    // Routed here by the event bridge; true swallows the event.
    virtual bool handleEvent(QWidget* source, QEvent* event);

    // The control's font changed, after the widget took it; FromParent when
    // it was copied from the parent's (ParentFont).
    virtual void afterFontChange(bool FromParent) { (void)FromParent; }

    // Font and colour the control shows: its own, or its parent's.
    void parentFontChanged();
    void parentColorChanged();

private:
    friend class TWinControl;
    friend class TForm;
    class Bridge;
    void applyToolTip();
    void fontChanged();

    QWidget* widget_;
    std::unique_ptr<Bridge> bridge_;
    TWinControl* parent_ = nullptr;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = true;
    TFont font_;
    bool parentFont_ = true;
    bool settingParentFont_ = false;
    std::string text_;
    std::string hint_;
    bool showHint_ = false;
    TCursor cursor_ = crDefault;
    TComponentRef<TPopupMenu> popupMenu_{this};
    bool leftPressed_ = false;
    TControlState controlState_;
};

// ---------------------------------------------------------------- TWinControl

class TWinControl : public TControl {
public:
    ~TWinControl() override;

    // Child controls (those whose Parent is this control), in insertion order.
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int Index) const { return controls_.at(Index); }

    // Position in the parent's tab order; -1 without parent.
    int TabOrder() const;
    void SetTabOrder(int Value);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool Value);

    // Visible and enabled here and in every parent, inside a shown form.
    virtual bool CanFocus() const;
    bool Focused() const;
    // Raises EInvalidOperation "Cannot focus a disabled or invisible window".
    virtual void SetFocus();
    // The focusable children of this control in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& List) const;
    // The next (or previous) control after CurControl inside this one that
    // can take the focus; with CheckTabStop only tab stops count.
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    // Lays out the aligned children again.
    void Realign();
    // Scrolls the children by the given offset.
    void ScrollBy(int DeltaX, int DeltaY);

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

    // The keyboard model, also used by tests to type into a control: runs the
    // form's key preview and the control's handlers, then lets the widget act
    // on what is left. Returns false when the key was swallowed.
    bool SendKey(Word Key, TShiftState Shift = {});
    bool SendChar(char Key);

protected:
    TWinControl(TComponent* AOwner, QWidget* widget);

    // The widget children are placed in.
    virtual QWidget* clientWidget() const;
    // Puts a child's widget into this control (a tab sheet goes into its
    // page control's tabs, for instance).
    virtual void insertChildWidget(TControl* AControl);
    virtual void removeChildWidget(TControl* AControl);
    // Keys the control handles itself instead of the form's dialog keys.
    virtual bool wantsKey(Word Key, TShiftState Shift) const;

    virtual void DoEnter();
    virtual void DoExit();
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    // Places aligned children in the client rectangle.
    virtual void AlignControls(TRect& R);
    // A child moved or changed size.
    virtual void childBoundsChanged(TControl* Child);

    bool handleEvent(QWidget* source, QEvent* event) override;

private:
    friend class TControl;
    friend class TForm;
    void insertControl(TControl* AControl);
    void removeControl(TControl* AControl);
    void anchorChildren(int oldWidth, int oldHeight);
    bool handleKeyPress(QWidget* source, QEvent* event);
    bool handleKeyRelease(QEvent* event);
    bool deliverKey(QWidget* target, Word Key, TShiftState Shift, const std::string& text,
                    bool autoRepeat);

    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    bool tabStop_ = false;
    bool aligning_ = false;
    int lastClientWidth_ = -1;
    int lastClientHeight_ = -1;
    bool forwardingKey_ = false;
};

// ---------------------------------------------------------------- scroll bars

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode {
    scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll
};

// ---------------------------------------------------------------- custom controls

// A window control that paints itself through Canvas in Paint.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;

    // The paint canvas; drawn on during Paint.
    TCanvas* Canvas() { return canvas_.get(); }

    // The window's own scroll bars. They do not move by themselves: a user
    // action is reported to OnScroll / Scroll, which sets the position.
    void SetScrollRange(TScrollBarKind Kind, int Min, int Max);
    void SetScrollPos(TScrollBarKind Kind, int Pos);
    int ScrollPos(TScrollBarKind Kind) const;
    // Thumb size (one page of the scrolled content).
    void SetScrollPage(TScrollBarKind Kind, int Page);
    void ShowScrollBar(TScrollBarKind Kind, bool Show);
    bool ScrollBarVisible(TScrollBarKind Kind) const;

    int ClientWidth() const override;
    int ClientHeight() const override;

    std::function<void(TObject* Sender, TScrollBarKind Kind, TScrollCode Code, int Pos)> OnScroll;

protected:
    TCustomControl(TComponent* AOwner, QWidget* widget);
    virtual void Paint();
    virtual void Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos);
    bool paintsItself() const override { return true; }
    void paintWidget(QWidget* target) override;
    bool handleEvent(QWidget* source, QEvent* event) override;

private:
    class ScrollBars;
    std::unique_ptr<TCanvas> canvas_;
    std::unique_ptr<ScrollBars> scrollBars_;
};

// A control without a window of its own focus, painted through Canvas.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() { return canvas_.get(); }

protected:
    virtual void Paint();
    bool paintsItself() const override { return true; }
    void paintWidget(QWidget* target) override;

private:
    std::unique_ptr<TCanvas> canvas_;
};

// ---------------------------------------------------------------- caret

// The one caret of the program, as the platform's caret functions: a
// blinking bar in a window control.
bool CreateCaret(TWinControl* Control, int Width, int Height);
bool DestroyCaret();
bool SetCaretPos(int X, int Y);
TPoint GetCaretPos();
bool ShowCaret(TWinControl* Control);
bool HideCaret(TWinControl* Control);
// Whether the caret is shown now (tests and painting look at it).
bool caretVisible();

// ---------------------------------------------------------------- clipboard

using TClipboardFormat = unsigned;
constexpr TClipboardFormat CF_TEXT = 1;
constexpr TClipboardFormat CF_BITMAP = 2;
constexpr TClipboardFormat CF_METAFILEPICT = 3;

// A named format ("Rich Text Format"); the same name gives the same number.
TClipboardFormat RegisterClipboardFormat(const std::string& Name);

class TClipboard {
public:
    // Between Open and Close the formats put on the clipboard add up; the
    // first one put clears what was there.
    void Open();
    void Close();
    void Clear();
    bool HasFormat(TClipboardFormat Format) const;
    std::string AsText() const;
    void SetAsText(const std::string& Value);
    // Raw bytes of a format; empty when absent.
    std::string GetData(TClipboardFormat Format) const;
    void SetData(TClipboardFormat Format, const std::string& Data);
    // A picture (an image on this platform's clipboard: CF_BITMAP).
    bool HasPicture() const;
    // Leaves Bitmap empty when the clipboard holds no picture.
    void GetPicture(TBitmap& Bitmap) const;
    void SetPicture(const TBitmap& Bitmap);

private:
    void adding();
    void publish();
    int openCount_ = 0;
    bool emptied_ = false;
    std::vector<std::pair<TClipboardFormat, std::string>> pending_;
    std::shared_ptr<QImage> pendingPicture_;
};

TClipboard* Clipboard();

// ---------------------------------------------------------------- helpers

// The form a control sits on, or nullptr.
TForm* GetParentForm(const TControl* Control);
// The control whose widget this is, or nullptr.
TControl* FindControl(const QWidget* Widget);
