#include "ui/Controls.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEvent>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <map>

#include "base/FlagScope.h"
#include "ui/Application.h"
#include "ui/Devices.h"
#include "ui/Forms.h"
#include "ui/GuardedCall.h"
#include "ui/KeyMapping.h"
#include "ui/Menus.h"
#include "ui/ScrollBar.h"
#include "ui/Text1252.h"

namespace {

// The form's own key handlers, reached for its key preview.
TWinControl* previewOf(TForm* form) { return form; }

// Set while a key event we made ourselves travels to a widget and its
// parents; the event filters leave it alone.
bool deliveringKey = false;

Qt::CursorShape cursorShape(TCursor c) {
    switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

QFont qtFontOf(const TFont& font) {
    TLogFont lf;
    lf.Height = font.Height();
    lf.Weight = font.Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.Italic = font.Style().Contains(fsItalic);
    lf.Underline = font.Style().Contains(fsUnderline);
    lf.StrikeOut = font.Style().Contains(fsStrikeOut);
    lf.FaceName = font.Name();
    lf.PitchAndFamily = font.Pitch() == fpFixed ? FIXED_PITCH
                        : font.Pitch() == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    return CreateFontIndirect(lf)->qtFont(false);
}

}  // namespace

bool keyIsDown(Word vk) {
    auto mods = QGuiApplication::queryKeyboardModifiers();
    switch (vk) {
    case VK_SHIFT: return mods & Qt::ShiftModifier;
    case VK_CONTROL: return mods & Qt::ControlModifier;
    case VK_MENU: return mods & Qt::AltModifier;
    case VK_LBUTTON: return QGuiApplication::mouseButtons() & Qt::LeftButton;
    case VK_RBUTTON: return QGuiApplication::mouseButtons() & Qt::RightButton;
    case VK_MBUTTON: return QGuiApplication::mouseButtons() & Qt::MiddleButton;
    default: return false;
    }
}

std::string GetShortHint(const std::string& Hint) {
    auto bar = Hint.find('|');
    return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
    auto bar = Hint.find('|');
    return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}

// ---------------------------------------------------------------- the event bridge

// Watches the control's widgets and routes their events to the control.
class TControl::Bridge : public QObject {
public:
    explicit Bridge(TControl* control) : control_(control) {}
    void detach() { control_ = nullptr; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!control_ || !watched->isWidgetType()) return false;
        TControl* control = control_;
        return guardedCall(control, [&] { return control->handleEvent(static_cast<QWidget*>(watched), event); });
    }

private:
    TControl* control_;
};

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner, QWidget* widget)
    : TComponent(AOwner), widget_(widget), bridge_(std::make_unique<Bridge>(this)) {
    widget_->setProperty("qmControl", QVariant::fromValue<void*>(this));
    widget_->installEventFilter(bridge_.get());
    widget_->setMouseTracking(true);
    QObject::connect(widget_, &QObject::destroyed, bridge_.get(), [this] { widget_ = nullptr; });
    font_.OnChange = [this](TGraphicsObject*) { fontChanged(); };
}

TControl::~TControl() {
    bridge_->detach();
    if (MouseCapture()) SetMouseCapture(false);
    if (parent_) parent_->removeControl(this);
    parent_ = nullptr;
    if (widget_) {
        QWidget* w = widget_;
        widget_ = nullptr;
        // No signal of a widget being freed reaches a control half gone.
        w->blockSignals(true);
        delete w;
    }
}

void TControl::detachEvents() { bridge_->detach(); }

void TControl::addEventSource(QWidget* source) {
    source->installEventFilter(bridge_.get());
    source->setMouseTracking(true);
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == parent_) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->removeControl(this);
    parent_ = nullptr;
    if (AParent) {
        parent_ = AParent;
        AParent->insertControl(this);
        if (parentFont_) parentFontChanged();
        if (parentColor_) parentColorChanged();
    } else if (widget_) {
        widget_->hide();
        widget_->setParent(nullptr);
    }
}

int TControl::Left() const { return widget_ ? widget_->x() : 0; }
int TControl::Top() const { return widget_ ? widget_->y() : 0; }
int TControl::Width() const { return widget_ ? widget_->width() : 0; }
int TControl::Height() const { return widget_ ? widget_->height() : 0; }
void TControl::SetLeft(int Value) { SetBounds(Value, Top(), Width(), Height()); }
void TControl::SetTop(int Value) { SetBounds(Left(), Value, Width(), Height()); }
void TControl::SetWidth(int Value) { SetBounds(Left(), Top(), Value, Height()); }
void TControl::SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (!widget_) return;
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    bool resized = AWidth != Width() || AHeight != Height();
    if (widget_->isWindow()) {
        widget_->move(ALeft, ATop);
        widget_->resize(AWidth, AHeight);
    } else {
        widget_->setGeometry(ALeft, ATop, AWidth, AHeight);
    }
    if (resized)
        if (auto* self = dynamic_cast<TWinControl*>(this)) self->Realign();
    if (parent_) parent_->childBoundsChanged(this);
}

TRect TControl::BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }
void TControl::SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
int TControl::ClientWidth() const { return Width(); }
int TControl::ClientHeight() const { return Height(); }
void TControl::SetClientWidth(int Value) { SetWidth(Width() - ClientWidth() + Value); }
void TControl::SetClientHeight(int Value) { SetHeight(Height() - ClientHeight() + Value); }

TPoint TControl::ClientToScreen(TPoint P) const {
    if (!widget_) return P;
    QPoint q = widget_->mapToGlobal(QPoint(P.X, P.Y));
    return {q.x(), q.y()};
}

TPoint TControl::ScreenToClient(TPoint P) const {
    if (!widget_) return P;
    QPoint q = widget_->mapFromGlobal(QPoint(P.X, P.Y));
    return {q.x(), q.y()};
}

void TControl::SetAlign(TAlign Value) {
    if (align_ == Value) return;
    align_ = Value;
    switch (Value) {
    case alTop: anchors_ = {akLeft, akTop, akRight}; break;
    case alBottom: anchors_ = {akLeft, akRight, akBottom}; break;
    case alLeft: anchors_ = {akLeft, akTop, akBottom}; break;
    case alRight: anchors_ = {akRight, akTop, akBottom}; break;
    case alClient: anchors_ = {akLeft, akTop, akRight, akBottom}; break;
    case alNone: break;
    }
    if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool Value) {
    visible_ = Value;
    if (widget_ && parent_) widget_->setVisible(Value);
    if (align_ != alNone && parent_) parent_->Realign();
}

bool TControl::Showing() const { return widget_ && widget_->isVisible(); }

void TControl::SetEnabled(bool Value) {
    enabled_ = Value;
    if (widget_) widget_->setEnabled(Value);
}

void TControl::SetColor(TColor Value) {
    color_ = Value;
    parentColor_ = false;
    applyColor();
    if (auto* self = dynamic_cast<TWinControl*>(this))
        for (TControl* c : self->controls_)
            if (c->parentColor_) c->parentColorChanged();
}

void TControl::SetParentColor(bool Value) {
    parentColor_ = Value;
    if (Value) parentColorChanged();
}

void TControl::parentColorChanged() {
    if (!parent_ || !parentColor_) return;
    // The parent's background shows through; nothing to push to the widget.
    color_ = parent_->Color();
    if (auto* self = dynamic_cast<TWinControl*>(this))
        for (TControl* c : self->controls_)
            if (c->parentColor_) c->parentColorChanged();
}

void TControl::applyColor() {
    if (!widget_) return;
    QPalette pal = widget_->palette();
    pal.setColor(widget_->backgroundRole(), tColorToQColor(color_));
    widget_->setPalette(pal);
    widget_->setAutoFillBackground(true);
    widget_->update();
}

void TControl::SetParentFont(bool Value) {
    parentFont_ = Value;
    if (Value) parentFontChanged();
}

void TControl::parentFontChanged() {
    if (!parent_ || !parentFont_) return;
    TFlagScope busy(settingParentFont_);
    font_.Assign(*parent_->Font());
}

void TControl::fontChanged() {
    bool fromParent = settingParentFont_;
    if (!settingParentFont_) parentFont_ = false;
    applyFont();
    if (auto* self = dynamic_cast<TWinControl*>(this))
        for (TControl* c : self->controls_)
            if (c->parentFont_) c->parentFontChanged();
    afterFontChange(fromParent);
}

void TControl::applyFont() {
    if (!widget_) return;
    widget_->setFont(qtFontOf(font_));
    QPalette pal = widget_->palette();
    QColor text = tColorToQColor(font_.Color());
    // Only the enabled groups: a disabled control keeps the greyed text that
    // tells the user it cannot be used.
    for (auto group : {QPalette::Active, QPalette::Inactive})
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            pal.setColor(group, role, text);
    widget_->setPalette(pal);
}

void TControl::SetHint(const std::string& Value) {
    hint_ = Value;
    applyToolTip();
}

void TControl::SetShowHint(bool Value) {
    showHint_ = Value;
    applyToolTip();
}

void TControl::applyToolTip() {
    if (widget_) widget_->setToolTip(showHint_ ? ToQString(GetShortHint(hint_)) : QString());
}

void TControl::SetCursor(TCursor Value) {
    cursor_ = Value;
    if (!widget_) return;
    if (Value == crDefault)
        widget_->unsetCursor();
    else
        widget_->setCursor(QCursor(cursorShape(Value)));
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
    popupMenu_.set(Value);
}

namespace {
// Marks the scroll bars a custom control keeps in its own window.
constexpr char kOwnScrollBar[] = "qmOwnScrollBar";

// What invalidating a control repaints: its window, less its own scroll
// bars. They repaint themselves when they change, and painting one costs as
// much as painting a whole screen of grid cells.
QRegion pictureRegion(const QWidget* widget) {
    QRegion region(widget->rect());
    for (QObject* child : widget->children()) {
        auto* bar = qobject_cast<QScrollBar*>(child);
        if (bar && bar->isVisible() && bar->property(kOwnScrollBar).toBool()) region -= bar->geometry();
    }
    return region;
}
}  // namespace

void TControl::Invalidate() {
    if (widget_) widget_->update(pictureRegion(widget_));
}

void TControl::Update() {
    if (widget_ && widget_->window()) QCoreApplication::sendPostedEvents(widget_->window(), QEvent::UpdateRequest);
}

void TControl::Repaint() {
    if (widget_) widget_->repaint(pictureRegion(widget_));
}

void TControl::BringToFront() {
    if (widget_) widget_->raise();
}

void TControl::SendToBack() {
    if (widget_) widget_->lower();
}

bool TControl::MouseCapture() const { return widget_ && QWidget::mouseGrabber() == widget_; }

void TControl::SetMouseCapture(bool Value) {
    if (!widget_) return;
    if (Value)
        widget_->grabMouse();
    else if (MouseCapture())
        widget_->releaseMouse();
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::paintWidget(QWidget*) {}

namespace {
std::string hintOf(const TControl* c) {
    for (; c; c = c->Parent())
        if (!c->Hint().empty()) return c->Hint();
    return {};
}
}  // namespace

bool TControl::handleEvent(QWidget* source, QEvent* event) {
    auto mousePos = [&](QMouseEvent* me) {
        QPoint p = me->position().toPoint();
        if (source != widget_ && widget_) p = source->mapTo(widget_, p);
        return p;
    };
    auto buttonOf = [](Qt::MouseButton b) {
        return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        QPoint p = mousePos(me);
        if (me->button() == Qt::LeftButton) leftPressed_ = true;
        MouseDown(buttonOf(me->button()), shiftOf(me->modifiers(), me->buttons()), p.x(), p.y());
        return false;
    }
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        QPoint p = mousePos(me);
        if (me->button() == Qt::LeftButton) {
            leftPressed_ = false;
            DblClick();
        }
        TShiftState shift = shiftOf(me->modifiers(), me->buttons());
        shift.Include(ssDouble);
        MouseDown(buttonOf(me->button()), shift, p.x(), p.y());
        return false;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        QPoint p = mousePos(me);
        MouseMove(shiftOf(me->modifiers(), me->buttons()), p.x(), p.y());
        return false;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        QPoint p = mousePos(me);
        bool click = me->button() == Qt::LeftButton && leftPressed_ && clicksOnMouseUp() && widget_ &&
                     widget_->rect().contains(p);
        if (me->button() == Qt::LeftButton) leftPressed_ = false;
        MouseUp(buttonOf(me->button()), shiftOf(me->modifiers(), me->buttons()), p.x(), p.y());
        if (click) Click();
        return false;
    }
    case QEvent::ContextMenu:
        if (popupMenu_ && popupMenu_->AutoPopup()) {
            auto* ce = static_cast<QContextMenuEvent*>(event);
            popupMenu_->SetPopupComponent(this);
            popupMenu_->Popup(ce->globalPos().x(), ce->globalPos().y());
            return true;
        }
        return false;
    case QEvent::Enter:
        if (source == widget_) Application->SetHint(GetLongHint(hintOf(this)));
        return false;
    case QEvent::Leave:
        if (source == widget_) Application->SetHint(GetLongHint(hintOf(parent_)));
        return false;
    case QEvent::Paint:
        if (paintsItself() && source == widget_) {
            paintWidget(source);
            return true;
        }
        return false;
    case QEvent::Resize:
        if (source == widget_) Resize();
        return false;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* AOwner, QWidget* widget) : TControl(AOwner, widget) {
    lastClientWidth_ = widget->width();
    lastClientHeight_ = widget->height();
}

TWinControl::~TWinControl() {
    bridge_->detach();
    if (TForm* form = GetParentForm(this)) form->forgetControl(this);
    // Children go with their parent, before its window does.
    while (!controls_.empty()) delete controls_.back();
}

QWidget* TWinControl::clientWidget() const { return Handle(); }

void TWinControl::insertControl(TControl* AControl) {
    controls_.push_back(AControl);
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) tabList_.push_back(win);
    insertChildWidget(AControl);
    if (AControl->align_ != alNone) Realign();
}

void TWinControl::removeControl(TControl* AControl) {
    std::erase(controls_, AControl);
    if (auto* win = dynamic_cast<TWinControl*>(AControl)) std::erase(tabList_, win);
    removeChildWidget(AControl);
    if (AControl->align_ != alNone) Realign();
}

void TWinControl::insertChildWidget(TControl* AControl) {
    QWidget* w = AControl->Handle();
    if (!w) return;
    QRect geometry = w->geometry();
    w->setParent(clientWidget());
    w->setGeometry(geometry);
    w->setVisible(AControl->Visible());
}

void TWinControl::removeChildWidget(TControl*) {}

int TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    if (!Parent()) return;
    auto& list = Parent()->tabList_;
    std::erase(list, this);
    if (Value < 0 || Value > static_cast<int>(list.size())) Value = static_cast<int>(list.size());
    list.insert(list.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value) {
    tabStop_ = Value;
    if (Handle() && Handle()->focusPolicy() != Qt::NoFocus)
        Handle()->setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TWinControl::CanFocus() const {
    TForm* form = GetParentForm(this);
    if (!form || !form->Visible() || !form->Enabled()) return false;
    for (const TControl* c = this; c && c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    QWidget* top = form->Handle();
    return Handle() && (Handle() == top || (Handle()->isVisibleTo(top) && Handle()->isEnabledTo(top)));
}

bool TWinControl::Focused() const { return Handle() && Handle()->hasFocus(); }

void TWinControl::SetFocus() {
    TForm* form = GetParentForm(this);
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (form && form != this) {
        form->focusControl(this);
    } else if (Handle()) {
        Handle()->activateWindow();
        Handle()->setFocus(Qt::OtherFocusReason);
    }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* c : tabList_) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int count = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), CurControl);
    int start = it == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
    int i = start;
    do {
        if (GoForward) {
            if (++i == count) i = 0;
        } else {
            if (i == 0) i = count;
            --i;
        }
        TWinControl* c = list[i];
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        next->SetFocus();
}

void TWinControl::Realign() {
    if (aligning_ || !Handle()) return;
    int w = ClientWidth(), h = ClientHeight();
    if (lastClientWidth_ >= 0 && (w != lastClientWidth_ || h != lastClientHeight_))
        anchorChildren(lastClientWidth_, lastClientHeight_);
    lastClientWidth_ = w;
    lastClientHeight_ = h;
    TRect r = ClientRect();
    TFlagScope busy(aligning_);
    AlignControls(r);
}

void TWinControl::anchorChildren(int oldWidth, int oldHeight) {
    int dx = ClientWidth() - oldWidth, dy = ClientHeight() - oldHeight;
    aligning_ = true;
    for (TControl* c : controls_) {
        if (c->Align() != alNone) continue;
        TAnchors a = c->Anchors();
        int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
        if (a.Contains(akRight)) {
            if (a.Contains(akLeft)) w += dx; else l += dx;
        } else if (!a.Contains(akLeft)) {
            l += dx / 2;
        }
        if (a.Contains(akBottom)) {
            if (a.Contains(akTop)) h += dy; else t += dy;
        } else if (!a.Contains(akTop)) {
            t += dy / 2;
        }
        if (l != c->Left() || t != c->Top() || w != c->Width() || h != c->Height()) c->SetBounds(l, t, w, h);
    }
    aligning_ = false;
}

void TWinControl::AlignControls(TRect& R) {
    auto aligned = [&](TAlign kind) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == kind && c->Visible()) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [kind](TControl* a, TControl* b) {
            switch (kind) {
            case alTop: return a->Top() < b->Top();
            case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        });
        return list;
    };
    for (TControl* c : aligned(alTop)) {
        c->SetBounds(R.Left, R.Top, R.Width(), c->Height());
        R.Top += c->Height();
    }
    for (TControl* c : aligned(alBottom)) {
        c->SetBounds(R.Left, R.Bottom - c->Height(), R.Width(), c->Height());
        R.Bottom -= c->Height();
    }
    for (TControl* c : aligned(alLeft)) {
        c->SetBounds(R.Left, R.Top, c->Width(), R.Height());
        R.Left += c->Width();
    }
    for (TControl* c : aligned(alRight)) {
        c->SetBounds(R.Right - c->Width(), R.Top, c->Width(), R.Height());
        R.Right -= c->Width();
    }
    for (TControl* c : aligned(alClient)) c->SetBounds(R.Left, R.Top, R.Width(), R.Height());
}

void TWinControl::childBoundsChanged(TControl* Child) {
    if (Child->Align() != alNone) Realign();
}

void TWinControl::ScrollBy(int DeltaX, int DeltaY) {
    for (TControl* c : controls_) c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
}

// Tab, Enter and Escape are the form's dialog keys unless a control wants them.
bool TWinControl::wantsKey(Word Key, TShiftState) const {
    return Key != VK_TAB && Key != VK_RETURN && Key != VK_ESCAPE;
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

bool TWinControl::deliverKey(QWidget* target, Word Key, TShiftState Shift, const std::string& text,
                             bool autoRepeat) {
    if (!target) return false;
    auto [qtKey, keypad] = vkToQtKey(Key);
    QKeyEvent copy(QEvent::KeyPress, qtKey, qtModifiers(Shift, keypad), ToQString(text), autoRepeat);
    bool was = deliveringKey;
    deliveringKey = true;
    QCoreApplication::sendEvent(target, &copy);
    deliveringKey = was;
    return true;
}

// The class library's key path: the form's dialog keys (Tab, Enter on a
// default button, Escape on a cancel button), then KeyDown with the form's
// preview, then KeyPress for the character; what the handlers leave (a key
// of 0 is swallowed) reaches the widget.
bool TWinControl::SendKey(Word Key, TShiftState Shift) {
    char ch = charOfKey(Key, Shift);
    std::string text = ch ? std::string(1, ch) : std::string();
    TForm* form = GetParentForm(this);
    QWidget* target = Handle();
    if (form && !wantsKey(Key, Shift) && !Shift.Contains(ssAlt) && form->DialogKey(this, Key, Shift))
        return false;
    Word key = Key;
    if (form && form != this && form->KeyPreview()) previewOf(form)->KeyDown(key, Shift);
    if (key != 0) KeyDown(key, Shift);
    char c = ch;
    if (ch) {
        if (form && form != this && form->KeyPreview()) previewOf(form)->KeyPress(c);
        if (c != 0) KeyPress(c);
    }
    if ((key == 0 && c == 0) || (ch && c == 0)) return false;
    std::string delivered = c ? std::string(1, c) : std::string();
    deliverKey(target, key, Shift, delivered, false);
    Word up = key ? key : Key;
    if (form && form != this && form->KeyPreview()) previewOf(form)->KeyUp(up, Shift);
    if (up != 0) KeyUp(up, Shift);
    if (up != 0 && target) {
        auto [qtKey, keypad] = vkToQtKey(up);
        QKeyEvent release(QEvent::KeyRelease, qtKey, qtModifiers(Shift, keypad), QString());
        bool was = deliveringKey;
        deliveringKey = true;
        QCoreApplication::sendEvent(target, &release);
        deliveringKey = was;
    }
    return true;
}

bool TWinControl::SendChar(char Key) {
    TShiftState shift;
    Word vk = keyOfChar(Key, shift);
    if (vk == 0) {
        // A character without a key of its own (an accented letter): only
        // KeyPress sees it.
        TForm* form = GetParentForm(this);
        char c = Key;
        if (form && form != this && form->KeyPreview()) previewOf(form)->KeyPress(c);
        if (c != 0) KeyPress(c);
        if (c == 0) return false;
        return deliverKey(Handle(), 0, {}, std::string(1, c), false);
    }
    return SendKey(vk, shift);
}

bool TWinControl::handleKeyPress(QWidget* source, QEvent* event) {
    auto* ke = static_cast<QKeyEvent*>(event);
    Word vk = qtKeyToVK(ke->key(), ke->modifiers());
    TShiftState shift = shiftOf(ke->modifiers());
    std::string text = fromQString(ke->text());
    TForm* form = GetParentForm(this);
    if (vk && form && !wantsKey(vk, shift) && !shift.Contains(ssAlt) && form->DialogKey(this, vk, shift))
        return true;
    Word key = vk;
    if (key) {
        if (form && form != this && form->KeyPreview()) previewOf(form)->KeyDown(key, shift);
        if (key != 0) KeyDown(key, shift);
    }
    bool hasChar = text.size() == 1;
    char c = 0;
    if (hasChar) {
        c = text[0];
        if (form && form != this && form->KeyPreview()) previewOf(form)->KeyPress(c);
        if (c != 0) KeyPress(c);
    }
    // A key that types a character acts through that character (as the
    // platform's edits act on the character message): swallowing the
    // character swallows the key.
    bool keyGone = vk == 0 || key == 0;
    bool textGone = hasChar ? c == 0 : text.empty();
    if ((keyGone && textGone) || (hasChar && c == 0)) return true;
    if (key == vk && (!hasChar || c == text[0])) {
        // Unchanged: the widget gets the original, without our filters.
        QKeyEvent copy(QEvent::KeyPress, ke->key(), ke->modifiers(), ke->text(), ke->isAutoRepeat());
        bool was = deliveringKey;
        deliveringKey = true;
        QCoreApplication::sendEvent(source, &copy);
        deliveringKey = was;
        return true;
    }
    deliverKey(source, key, shift, hasChar ? (c ? std::string(1, c) : std::string()) : text, ke->isAutoRepeat());
    return true;
}

bool TWinControl::handleKeyRelease(QEvent* event) {
    auto* ke = static_cast<QKeyEvent*>(event);
    Word key = qtKeyToVK(ke->key(), ke->modifiers());
    if (!key) return false;
    TShiftState shift = shiftOf(ke->modifiers());
    TForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) previewOf(form)->KeyUp(key, shift);
    if (key != 0) KeyUp(key, shift);
    return key == 0;
}

bool TWinControl::handleEvent(QWidget* source, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (deliveringKey) return false;
        return handleKeyPress(source, event);
    case QEvent::KeyRelease:
        if (deliveringKey) return false;
        return handleKeyRelease(event);
    case QEvent::FocusIn:
        if (TForm* form = GetParentForm(this); form && form != this) form->controlFocused(this);
        return false;
    case QEvent::Resize:
        if (source == clientWidget() || source == Handle()) Realign();
        return TControl::handleEvent(source, event);
    default:
        return TControl::handleEvent(source, event);
    }
}

// ---------------------------------------------------------------- TCustomControl

namespace {
TDeviceCaps screenCaps(QWidget* w) {
    TDeviceCaps caps;
    caps.Technology = DT_RASDISPLAY;
    caps.LogPixelsX = caps.LogPixelsY = 96;
    caps.HorzRes = caps.PhysicalWidth = w->width();
    caps.VertRes = caps.PhysicalHeight = w->height();
    return caps;
}

void paintThroughCanvas(QWidget* target, TCanvas* canvas, TColor background, bool erase,
                        const std::function<void()>& paint) {
    QPainter painter(target);
    if (erase) painter.fillRect(target->rect(), tColorToQColor(background));
    TDeviceContext dc(&painter, screenCaps(target));
    canvas->SetHandle(&dc);
    try {
        paint();
    } catch (...) {
        canvas->SetHandle(nullptr);
        throw;
    }
    canvas->SetHandle(nullptr);
}
}  // namespace

class TCustomControl::ScrollBars {
public:
    ScrollBars(TCustomControl* owner) : owner_(owner) {
        for (int i = 0; i < 2; ++i) {
            bars_[i] = new QScrollBar(i == sbHorizontal ? Qt::Horizontal : Qt::Vertical, owner->Handle());
            bars_[i]->hide();
            bars_[i]->setFocusPolicy(Qt::NoFocus);
            bars_[i]->setProperty(kOwnScrollBar, true);
            auto kind = static_cast<TScrollBarKind>(i);
            QScrollBar* bar = bars_[i];
            QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [this, bar, kind](int action) {
                int wanted = bar->sliderPosition();
                std::optional<TScrollCode> code = scrollCodeOfAction(action);
                if (!code) return;
                // The window moves the thumb itself, as a Windows scroll bar
                // does not: put it back and let the control decide.
                if (*code != scTrack) bar->setSliderPosition(bar->value());
                guardedCall(owner_, [&] { owner_->Scroll(kind, *code, wanted); });
            });
            QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [this, bar, kind] {
                guardedCall(owner_, [&] {
                    owner_->Scroll(kind, scPosition, bar->sliderPosition());
                    owner_->Scroll(kind, scEndScroll, bar->value());
                });
            });
        }
    }
    QScrollBar* bar(TScrollBarKind kind) const { return bars_[kind]; }
    int extent(TScrollBarKind kind) const {
        QScrollBar* b = bars_[kind];
        if (!b->isVisibleTo(owner_->Handle())) return 0;
        return kind == sbVertical ? b->sizeHint().width() : b->sizeHint().height();
    }
    void place() {
        QWidget* w = owner_->Handle();
        int vw = extent(sbVertical), hh = extent(sbHorizontal);
        bars_[sbVertical]->setGeometry(w->width() - vw, 0, vw, w->height() - hh);
        bars_[sbHorizontal]->setGeometry(0, w->height() - hh, w->width() - vw, hh);
        bars_[sbVertical]->raise();
        bars_[sbHorizontal]->raise();
    }

private:
    TCustomControl* owner_;
    QScrollBar* bars_[2];
};

TCustomControl::TCustomControl(TComponent* AOwner) : TCustomControl(AOwner, NewWidget<QWidget>()) {}

TCustomControl::TCustomControl(TComponent* AOwner, QWidget* widget)
    : TWinControl(AOwner, widget), canvas_(std::make_unique<TCanvas>()) {
    widget->setFocusPolicy(Qt::ClickFocus);
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
    SetColor(clWindow);
    SetParentColor(false);
    scrollBars_ = std::make_unique<ScrollBars>(this);
}

TCustomControl::~TCustomControl() { detachEvents(); }

void TCustomControl::Paint() {}

void TCustomControl::Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) {
    if (OnScroll) OnScroll(this, Kind, Code, Pos);
}

void TCustomControl::paintWidget(QWidget* target) {
    Canvas()->Font()->Assign(*Font());
    Canvas()->Brush()->SetColor(Color());
    paintThroughCanvas(target, canvas_.get(), Color(), true, [this] { Paint(); });
}

bool TCustomControl::handleEvent(QWidget* source, QEvent* event) {
    if (event->type() == QEvent::Resize && source == Handle()) scrollBars_->place();
    return TWinControl::handleEvent(source, event);
}

void TCustomControl::SetScrollRange(TScrollBarKind Kind, int Min, int Max) {
    scrollBars_->bar(Kind)->setRange(Min, std::max(Min, Max));
}

void TCustomControl::SetScrollPos(TScrollBarKind Kind, int Pos) {
    QScrollBar* bar = scrollBars_->bar(Kind);
    QSignalBlocker block(bar);
    bar->setValue(Pos);
    bar->setSliderPosition(Pos);
}

int TCustomControl::ScrollPos(TScrollBarKind Kind) const { return scrollBars_->bar(Kind)->value(); }

void TCustomControl::SetScrollPage(TScrollBarKind Kind, int Page) {
    scrollBars_->bar(Kind)->setPageStep(std::max(1, Page));
}

void TCustomControl::ShowScrollBar(TScrollBarKind Kind, bool Show) {
    scrollBars_->bar(Kind)->setVisible(Show);
    scrollBars_->place();
    Invalidate();
}

bool TCustomControl::ScrollBarVisible(TScrollBarKind Kind) const { return scrollBars_->extent(Kind) > 0; }

int TCustomControl::ClientWidth() const { return Width() - scrollBars_->extent(sbVertical); }
int TCustomControl::ClientHeight() const { return Height() - scrollBars_->extent(sbHorizontal); }

// ---------------------------------------------------------------- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner, NewWidget<QWidget>()), canvas_(std::make_unique<TCanvas>()) {
    Handle()->setFocusPolicy(Qt::NoFocus);
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() {}

void TGraphicControl::paintWidget(QWidget* target) {
    Canvas()->Font()->Assign(*Font());
    paintThroughCanvas(target, canvas_.get(), Color(), false, [this] { Paint(); });
}

// ---------------------------------------------------------------- caret

namespace {
struct Caret {
    QPointer<QWidget> owner;
    QWidget* bar = nullptr;
    int hideCount = 1;
    TPoint pos;
    QTimer* blink = nullptr;
};
Caret caret;

void updateCaret() {
    if (!caret.bar) return;
    bool shown = caret.hideCount == 0;
    caret.bar->move(caret.pos.X, caret.pos.Y);
    caret.bar->setVisible(shown);
    if (shown) {
        caret.bar->raise();
        int flash = QApplication::cursorFlashTime();
        if (flash > 0) caret.blink->start(flash / 2);
    } else {
        caret.blink->stop();
    }
}
}  // namespace

bool CreateCaret(TWinControl* Control, int Width, int Height) {
    DestroyCaret();
    if (!Control || !Control->Handle()) return false;
    caret.owner = Control->Handle();
    caret.bar = new QWidget(Control->Handle());
    caret.bar->setAttribute(Qt::WA_TransparentForMouseEvents);
    caret.bar->setAutoFillBackground(true);
    QPalette pal = caret.bar->palette();
    pal.setColor(QPalette::Window, Qt::black);
    caret.bar->setPalette(pal);
    caret.bar->resize(std::max(Width, 1), std::max(Height, 1));
    caret.blink = new QTimer(caret.bar);
    QObject::connect(caret.blink, &QTimer::timeout, caret.bar, [] {
        if (caret.bar) caret.bar->setVisible(!caret.bar->isVisible());
    });
    caret.hideCount = 1;
    caret.pos = {};
    updateCaret();
    return true;
}

bool DestroyCaret() {
    if (!caret.bar) return false;
    if (caret.owner) delete caret.bar;
    caret.bar = nullptr;
    caret.blink = nullptr;
    caret.owner = nullptr;
    caret.hideCount = 1;
    return true;
}

bool SetCaretPos(int X, int Y) {
    caret.pos = {X, Y};
    if (!caret.owner) caret.bar = nullptr;
    updateCaret();
    return caret.bar != nullptr;
}

TPoint GetCaretPos() { return caret.pos; }

bool ShowCaret(TWinControl* Control) {
    if (!caret.bar || !caret.owner || (Control && Control->Handle() != caret.owner)) return false;
    if (caret.hideCount > 0) --caret.hideCount;
    updateCaret();
    return true;
}

bool HideCaret(TWinControl* Control) {
    if (!caret.bar || !caret.owner || (Control && Control->Handle() != caret.owner)) return false;
    ++caret.hideCount;
    updateCaret();
    return true;
}

bool caretVisible() { return caret.bar && caret.owner && caret.hideCount == 0; }

// ---------------------------------------------------------------- clipboard

namespace {
std::vector<std::string>& clipboardFormatNames() {
    static std::vector<std::string> names;
    return names;
}
constexpr TClipboardFormat firstRegisteredFormat = 0xC000;

QString mimeTypeOf(TClipboardFormat format) {
    if (format == CF_TEXT) return "text/plain";
    auto& names = clipboardFormatNames();
    unsigned index = format - firstRegisteredFormat;
    if (format < firstRegisteredFormat || index >= names.size())
        return "application/x-windows-clipboard-format;id=" + QString::number(format);
    const std::string& name = names[index];
    if (name == "Rich Text Format") return "text/rtf";
    return "application/x-windows-clipboard-format;name=\"" + ToQString(name) + "\"";
}
}  // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& Name) {
    auto& names = clipboardFormatNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (QString::compare(ToQString(names[i]), ToQString(Name), Qt::CaseInsensitive) == 0)
            return firstRegisteredFormat + static_cast<unsigned>(i);
    names.push_back(Name);
    return firstRegisteredFormat + static_cast<unsigned>(names.size() - 1);
}

void TClipboard::Open() {
    if (openCount_++ == 0) {
        emptied_ = false;
        pending_.clear();
        pendingPicture_.reset();
    }
}

void TClipboard::Close() {
    if (openCount_ == 0) return;
    if (--openCount_ == 0 && emptied_) publish();
}

void TClipboard::adding() {
    if (!emptied_) {
        pending_.clear();
        pendingPicture_.reset();
        emptied_ = true;
    }
}

void TClipboard::publish() {
    auto* data = new QMimeData;
    for (auto& [format, bytes] : pending_) {
        if (format == CF_TEXT)
            data->setText(ToQString(bytes));
        else
            data->setData(mimeTypeOf(format), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    if (pendingPicture_) data->setImageData(*pendingPicture_);
    QGuiApplication::clipboard()->setMimeData(data);
}

void TClipboard::Clear() {
    Open();
    adding();
    Close();
}

bool TClipboard::HasFormat(TClipboardFormat Format) const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return false;
    if (Format == CF_TEXT) return data->hasText();
    if (Format == CF_BITMAP) return data->hasImage();
    QString mime = mimeTypeOf(Format);
    return !mime.isEmpty() && data->hasFormat(mime);
}

std::string TClipboard::AsText() const { return GetData(CF_TEXT); }

void TClipboard::SetAsText(const std::string& Value) { SetData(CF_TEXT, Value); }

std::string TClipboard::GetData(TClipboardFormat Format) const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return {};
    if (Format == CF_TEXT) return fromQString(data->text());
    QString mime = mimeTypeOf(Format);
    if (mime.isEmpty()) return {};
    QByteArray bytes = data->data(mime);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void TClipboard::SetData(TClipboardFormat Format, const std::string& Data) {
    Open();
    adding();
    std::erase_if(pending_, [Format](auto& p) { return p.first == Format; });
    pending_.emplace_back(Format, Data);
    Close();
}

bool TClipboard::HasPicture() const { return HasFormat(CF_BITMAP); }

void TClipboard::GetPicture(TBitmap& Bitmap) const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QImage image = data && data->hasImage() ? qvariant_cast<QImage>(data->imageData()) : QImage();
    Bitmap.fromImage(image);
}

void TClipboard::SetPicture(const TBitmap& Bitmap) {
    Open();
    adding();
    pendingPicture_ = std::make_shared<QImage>(Bitmap.toImage());
    Close();
}

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}

// ---------------------------------------------------------------- helpers

TForm* GetParentForm(const TControl* Control) {
    const TControl* c = Control;
    while (c && c->Parent()) c = c->Parent();
    return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

TControl* FindControl(const QWidget* Widget) {
    if (!Widget) return nullptr;
    return static_cast<TControl*>(Widget->property("qmControl").value<void*>());
}
