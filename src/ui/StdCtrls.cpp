#include "ui/StdCtrls.h"

#include <QAbstractItemView>
#include <QBitmap>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolButton>
#include <QValidator>

#include <algorithm>

#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/Menus.h"
#include "ui/GuardedCall.h"
#include "ui/Text1252.h"

namespace {

// Converts whatever is typed or pasted to one case, as the edit styles of
// the platform do.
class CaseValidator : public QValidator {
public:
    CaseValidator(TEditCharCase mode, QObject* parent) : QValidator(parent), mode_(mode) {}
    State validate(QString& input, int&) const override {
        if (mode_ == ecUpperCase) input = input.toUpper();
        if (mode_ == ecLowerCase) input = input.toLower();
        return Acceptable;
    }

private:
    TEditCharCase mode_;
};

void applyCharCase(QLineEdit* edit, TEditCharCase mode) {
    if (!edit) return;
    delete edit->validator();
    edit->setValidator(mode == ecNormal ? nullptr : new CaseValidator(mode, edit));
    QString text = edit->text();
    if (mode == ecUpperCase && text != text.toUpper()) edit->setText(text.toUpper());
    if (mode == ecLowerCase && text != text.toLower()) edit->setText(text.toLower());
}

Qt::Alignment qtAlignment(TAlignment a) {
    return a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
}

// The glyph with the colour of its bottom-left pixel made transparent, as
// the class library draws button glyphs.
QIcon glyphIcon(TBitmap& glyph) {
    if (glyph.Empty()) return {};
    QImage image = glyph.toImage().convertToFormat(QImage::Format_ARGB32);
    QPixmap pixmap = QPixmap::fromImage(image);
    QColor transparent = image.pixelColor(0, image.height() - 1);
    pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
    return QIcon(pixmap);
}

// Sorted insertion position as the platform's sorted lists compare: without
// regard to case.
int sortedPosition(const TStrings& list, const std::string& s) {
    QString key = ToQString(s);
    int lo = 0, hi = list.Count();
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (QString::compare(ToQString(list.Strings(mid)), key, Qt::CaseInsensitive) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// The items of a list or combo box, held in its widget: an addition goes
// where the box's sorting puts it, and an index out of range raises.
template <class TOwner>
class TBoxStrings : public TStrings {
public:
    explicit TBoxStrings(TOwner* owner) : owner_(owner) {}

    int Add(const std::string& S) override {
        int index = owner_->Sorted() ? sortedPosition(*this, S) : Count();
        Insert(index, S);
        return index;
    }
    int AddObject(const std::string& S, TObject* AObject) override {
        int index = Add(S);
        PutObject(index, AObject);
        return index;
    }

protected:
    void check(int Index) const {
        if (Index < 0 || Index >= Count()) IndexError(Index);
    }
    TOwner* owner_;
};

// A radio button that a click checks but never unchecks.
class StickyRadioButton : public QRadioButton {
protected:
    void nextCheckState() override {
        if (!isChecked()) setChecked(true);
    }
};

}  // namespace

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* AOwner) : TControl(AOwner, NewWidget<QLabel>()) {
    label()->setTextFormat(Qt::PlainText);
    label()->setFocusPolicy(Qt::NoFocus);
    focusControl_.OnClear = [this] { label()->setBuddy(nullptr); };
    applyAlignment();
    adjustBounds();
}

QLabel* TLabel::label() const { return static_cast<QLabel*>(Handle()); }

void TLabel::RealSetText(const std::string& Value) {
    caption_ = Value;
    label()->setText(ToQString(shownText()));
    adjustBounds();
}

std::string TLabel::shownText() const {
    if (!showAccelChar_) {
        // With a buddy Qt reads "&" as a mnemonic; "&&" shows one "&".
        if (!focusControl_) return caption_;
        std::string doubled;
        for (char c : caption_) doubled += c == '&' ? std::string("&&") : std::string(1, c);
        return doubled;
    }
    // With a control to focus, Qt shows the "&" mnemonic itself.
    return focusControl_ ? caption_ : stripHotkey(caption_);
}

void TLabel::SetShowAccelChar(bool Value) {
    showAccelChar_ = Value;
    RealSetText(caption_);
}

void TLabel::adjustBounds() {
    if (!autoSize_) return;
    QSize hint = label()->sizeHint();
    int width = wordWrap_ ? Width() : hint.width();
    int height = wordWrap_ ? label()->heightForWidth(Width()) : hint.height();
    if (height < 0) height = hint.height();
    int left = Left();
    if (!wordWrap_ && alignment_ == taRightJustify) left = Left() + Width() - width;
    if (!wordWrap_ && alignment_ == taCenter) left = Left() + (Width() - width) / 2;
    SetBounds(left, Top(), width, height);
}

void TLabel::applyAlignment() {
    Qt::Alignment v = layout_ == tlCenter ? Qt::AlignVCenter : layout_ == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    label()->setAlignment(qtAlignment(alignment_) | v);
}

void TLabel::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    applyAlignment();
}

void TLabel::SetLayout(TTextLayout Value) {
    layout_ = Value;
    applyAlignment();
}

void TLabel::SetAutoSize(bool Value) {
    autoSize_ = Value;
    adjustBounds();
}

void TLabel::SetWordWrap(bool Value) {
    wordWrap_ = Value;
    label()->setWordWrap(Value);
    adjustBounds();
}

void TLabel::SetTransparent(bool Value) {
    transparent_ = Value;
    applyColor();
}

void TLabel::applyColor() {
    if (transparent_) {
        label()->setAutoFillBackground(false);
        return;
    }
    TControl::applyColor();
}

void TLabel::SetFocusControl(TWinControl* Value) {
    focusControl_.set(Value);
    label()->setBuddy(Value ? Value->Handle() : nullptr);
    RealSetText(caption_);
}

// ---------------------------------------------------------------- TEditControl

namespace {
// Runs Call on the edit control's widget as what it is: a one-line edit or
// a memo's plain text edit.
template <class F>
decltype(auto) onTextWidget(QWidget* Widget, F Call) {
    if (auto* line = qobject_cast<QLineEdit*>(Widget)) return Call(line);
    return Call(static_cast<QPlainTextEdit*>(Widget));
}
}  // namespace

void TEditControl::SetReadOnly(bool Value) {
    readOnly_ = Value;
    onTextWidget(textWidget(), [Value](auto* w) { w->setReadOnly(Value); });
}

int TEditControl::SelStart() const {
    if (auto* e = qobject_cast<QLineEdit*>(textWidget()))
        return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    return static_cast<QPlainTextEdit*>(textWidget())->textCursor().selectionStart();
}

void TEditControl::SetSelStart(int Value) {
    QWidget* widget = textWidget();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return e->setCursorPosition(Value);
    auto* memo = static_cast<QPlainTextEdit*>(widget);
    QTextCursor c = memo->textCursor();
    c.setPosition(Value);
    memo->setTextCursor(c);
}

int TEditControl::SelLength() const {
    QWidget* widget = textWidget();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return static_cast<int>(e->selectedText().size());
    QTextCursor c = static_cast<QPlainTextEdit*>(widget)->textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TEditControl::SetSelLength(int Value) {
    QWidget* widget = textWidget();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return e->setSelection(SelStart(), Value);
    auto* memo = static_cast<QPlainTextEdit*>(widget);
    QTextCursor c = memo->textCursor();
    int start = c.selectionStart();
    c.setPosition(start);
    c.setPosition(start + Value, QTextCursor::KeepAnchor);
    memo->setTextCursor(c);
}

std::string TEditControl::SelText() const {
    QWidget* widget = textWidget();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return fromQString(e->selectedText());
    QString text = static_cast<QPlainTextEdit*>(widget)->textCursor().selectedText();
    return fromQString(text.replace(QChar::ParagraphSeparator, '\n'));
}

void TEditControl::SetSelText(const std::string& Value) {
    QWidget* widget = textWidget();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return e->insert(ToQString(Value));
    static_cast<QPlainTextEdit*>(widget)->textCursor().insertText(ToQString(Value));
}

void TEditControl::SelectAll() { onTextWidget(textWidget(), [](auto* w) { w->selectAll(); }); }
void TEditControl::Clear() { onTextWidget(textWidget(), [](auto* w) { w->clear(); }); }
void TEditControl::CopyToClipboard() { onTextWidget(textWidget(), [](auto* w) { w->copy(); }); }
void TEditControl::CutToClipboard() { onTextWidget(textWidget(), [](auto* w) { w->cut(); }); }
void TEditControl::PasteFromClipboard() { onTextWidget(textWidget(), [](auto* w) { w->paste(); }); }
void TEditControl::Undo() { onTextWidget(textWidget(), [](auto* w) { w->undo(); }); }

void TEditControl::ClearSelection() {
    QWidget* widget = textWidget();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return e->del();
    static_cast<QPlainTextEdit*>(widget)->textCursor().removeSelectedText();
}

bool TEditControl::CanUndo() const {
    QWidget* widget = textWidget();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return e->isUndoAvailable();
    return static_cast<QPlainTextEdit*>(widget)->document()->isUndoAvailable();
}

void TEditControl::Change() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomEdit(AOwner, NewWidget<QLineEdit>()) {}

TCustomEdit::TCustomEdit(TComponent* AOwner, QLineEdit* widget) : TEditControl(AOwner, widget) {
    SetTabStop(true);
    SetColor(clWindow);
    widget->resize(121, 21);
    // A text handed over late was announced when it was set.
    QObject::connect(widget, &QLineEdit::textChanged, widget, [this] {
        if (!flushing_) guardedCall(this, [this] { Change(); });
    });
    QObject::connect(widget, &QLineEdit::textEdited, widget, [this] { SetModified(true); });
    applyMaxLength();
}

QLineEdit* TCustomEdit::lineEdit() const { return static_cast<QLineEdit*>(Handle()); }

QLineEdit* TCustomEdit::edit() const {
    flushText();
    return lineEdit();
}

QWidget* TCustomEdit::textWidget() const { return edit(); }

void TCustomEdit::flushText() const {
    if (!pendingText_) return;
    QString text = ToQString(*pendingText_);
    pendingText_.reset();
    flushing_ = true;
    lineEdit()->setText(text);
    flushing_ = false;
}

bool TCustomEdit::handleEvent(QWidget* source, QEvent* event) {
    flushText();
    return TWinControl::handleEvent(source, event);
}

void TCustomEdit::putText(std::string Value, bool Masked, bool Exact) {
    QLineEdit* widget = lineEdit();
    if (!Exact || widget->isVisible() || widget->validator() || widget->echoMode() != QLineEdit::Normal) {
        edit()->setText(ToQString(Value));
        return;
    }
    // One byte is one character of the widget's text.
    if (!Masked && Value.size() > static_cast<size_t>(widget->maxLength()))
        Value.resize(static_cast<size_t>(widget->maxLength()));
    // Whatever the text, the widget's setText also puts the caret at the end
    // and forgets selection and undo; that happens when the text is handed over.
    const bool changed = pendingText_ ? *pendingText_ != Value
                                      : fromQString(Masked ? widget->displayText() : widget->text()) != Value;
    pendingText_ = std::move(Value);
    pendingMasked_ = Masked;
    if (changed) guardedCall(this, [this] { Change(); });
}

const std::string* TCustomEdit::pendingText(bool Masked) const {
    return pendingText_ && pendingMasked_ == Masked ? &*pendingText_ : nullptr;
}

std::string TCustomEdit::RealGetText() const {
    if (const std::string* text = pendingText(false)) return *text;
    return fromQString(edit()->text());
}

void TCustomEdit::RealSetText(const std::string& Value) {
    if (charCase_ == ecNormal) {
        putText(Value, false, true);
        return;
    }
    QString text = ToQString(Value);
    if (charCase_ == ecUpperCase) text = text.toUpper();
    if (charCase_ == ecLowerCase) text = text.toLower();
    edit()->setText(text);
}

void TCustomEdit::applyMaxLength() { edit()->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767); }

void TCustomEdit::SetMaxLength(int Value) {
    maxLength_ = std::max(Value, 0);
    applyMaxLength();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
    charCase_ = Value;
    applyCharCase(edit(), Value);
}

void TCustomEdit::SetPasswordChar(char Value) {
    passwordChar_ = Value;
    edit()->setEchoMode(Value ? QLineEdit::Password : QLineEdit::Normal);
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
    borderStyle_ = Value;
    edit()->setFrame(Value != bsNone);
}

void TCustomEdit::setRightTextMargin(int Pixels) { edit()->setTextMargins(0, 0, Pixels, 0); }

void TCustomEdit::DoEnter() {
    if (autoSelect_) edit()->selectAll();
    TWinControl::DoEnter();
}

// ---------------------------------------------------------------- TMemo

// The memo's lines, kept in the window: the last line counts only when it
// is not empty, as the platform's edit control counts them.
class TMemo::MemoStrings : public TStrings {
public:
    explicit MemoStrings(TMemo* memo) : memo_(memo) {}

    void Clear() override { memo_->memo()->clear(); }
    void Delete(int Index) override {
        auto lines = all();
        if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
        lines.erase(lines.begin() + Index);
        setAll(lines);
    }
    void Insert(int Index, const std::string& S) override {
        auto lines = all();
        if (Index < 0 || Index > static_cast<int>(lines.size())) IndexError(Index);
        lines.insert(lines.begin() + Index, S);
        setAll(lines);
    }

protected:
    std::string Get(int Index) const override {
        auto lines = all();
        if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
        return lines[Index];
    }
    int GetCount() const override { return static_cast<int>(all().size()); }
    void Put(int Index, const std::string& S) override {
        auto lines = all();
        if (Index < 0 || Index >= static_cast<int>(lines.size())) IndexError(Index);
        lines[Index] = S;
        setAll(lines);
    }

private:
    std::vector<std::string> all() const {
        std::string text = fromQString(memo_->memo()->toPlainText());
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
            lines.push_back(text.substr(start, nl - start));
        if (start < text.size()) lines.push_back(text.substr(start));
        return lines;
    }
    void setAll(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        memo_->memo()->setPlainText(ToQString(text));
    }
    TMemo* memo_;
};

void TMemo::applyColor() {
    TWinControl::applyColor();
    QPalette pal = memo()->palette();
    pal.setColor(QPalette::Base, tColorToQColor(Color()));
    memo()->setPalette(pal);
}

TMemo::TMemo(TComponent* AOwner) : TEditControl(AOwner, NewWidget<QPlainTextEdit>()), lines_(std::make_unique<MemoStrings>(this)) {
    SetTabStop(true);
    SetColor(clWindow);
    memo()->resize(185, 89);
    memo()->setTabChangesFocus(false);
    addEventSource(memo()->viewport());
    SetScrollBars(ssNone);
    QObject::connect(memo(), &QPlainTextEdit::textChanged, memo(), [this] {
        if (limiting_) return;
        if (maxLength_ > 0) {
            QString text = memo()->toPlainText();
            if (text.size() > maxLength_) {
                limiting_ = true;
                memo()->setPlainText(text.left(maxLength_));
                memo()->moveCursor(QTextCursor::End);
                limiting_ = false;
            }
        }
        guardedCall(this, [this] { Change(); });
    });
}

TMemo::~TMemo() { memo()->blockSignals(true); }

TStrings* TMemo::Lines() { return lines_.get(); }

QPlainTextEdit* TMemo::memo() const { return static_cast<QPlainTextEdit*>(Handle()); }

void TMemo::SetLines(const TStrings& Value) { lines_->Assign(&Value); }

std::string TMemo::RealGetText() const {
    std::string text = fromQString(memo()->toPlainText());
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void TMemo::RealSetText(const std::string& Value) {
    std::string text;
    for (size_t i = 0; i < Value.size(); ++i) {
        if (Value[i] == '\r') {
            text += '\n';
            if (i + 1 < Value.size() && Value[i + 1] == '\n') ++i;
        } else {
            text += Value[i];
        }
    }
    memo()->setPlainText(ToQString(text));
}

void TMemo::SetScrollBars(TScrollStyle Value) {
    scrollBars_ = Value;
    bool h = Value == ssHorizontal || Value == ssBoth;
    bool v = Value == ssVertical || Value == ssBoth;
    memo()->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    memo()->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::SetWordWrap(bool Value) {
    wordWrap_ = Value;
    memo()->setLineWrapMode(Value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetWantTabs(bool Value) { wantTabs_ = Value; }

void TMemo::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    QTextOption option = memo()->document()->defaultTextOption();
    option.setAlignment(qtAlignment(Value));
    memo()->document()->setDefaultTextOption(option);
}

void TMemo::KeyPress(char& Key) {
    TWinControl::KeyPress(Key);
    if (Key == '\r' && !wantReturns_) Key = 0;
}

bool TMemo::wantsKey(Word Key, TShiftState Shift) const {
    if (Key == VK_RETURN) return wantReturns_;
    if (Key == VK_TAB) return wantTabs_;
    return TWinControl::wantsKey(Key, Shift);
}

void TMemo::Change() {
    SetModified(true);
    TEditControl::Change();
}

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* AOwner) : TButton(AOwner, NewWidget<QPushButton>()) {}

TButton::TButton(TComponent* AOwner, QPushButton* widget) : TWinControl(AOwner, widget) {
    SetTabStop(true);
    widget->setAutoDefault(false);
    widget->resize(75, 25);
    QObject::connect(widget, &QPushButton::clicked, widget, [this] { guardedCall(this, [this] { Click(); }); });
}

QPushButton* TButton::button() const { return static_cast<QPushButton*>(Handle()); }

// The caption is also kept as given, so reading it back (a button that reads
// "Search" or "Next") does not convert the widget's text each time.
void TButton::RealSetText(const std::string& Value) {
    TWinControl::RealSetText(Value);
    button()->setText(ToQString(Value));
}

void TButton::SetDefault(bool Value) {
    default_ = Value;
    button()->setDefault(Value);
}

void TButton::Click() {
    if (TForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
    TWinControl::Click();
}

// ---------------------------------------------------------------- TBitBtn

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {
    glyph_.OnChange = [this](TGraphic*) { glyphChanged(); };
}

void TBitBtn::SetKind(TBitBtnKind Value) {
    struct KindInfo {
        const char* caption;
        int modalResult;
    };
    static const KindInfo kinds[] = {
        {"", mrNone},      {"OK", mrOk},         {"Cancel", mrCancel}, {"&Help", mrNone},
        {"&Yes", mrYes},   {"&No", mrNo},        {"&Close", mrNone},   {"Abort", mrAbort},
        {"&Retry", mrRetry}, {"&Ignore", mrIgnore}, {"&All", mrAll},
    };
    kind_ = Value;
    if (Value == bkCustom) return;
    SetDefault(Value == bkOK || Value == bkYes);
    SetCancel(Value == bkCancel || Value == bkNo);
    SetCaption(kinds[Value].caption);
    SetModalResult(kinds[Value].modalResult);
}

void TBitBtn::SetGlyph(const TBitmap& Value) {
    glyph_.Assign(Value);
    glyphChanged();
}

void TBitBtn::glyphChanged() { button()->setIcon(glyphIcon(glyph_)); }

void TBitBtn::Click() {
    if (kind_ == bkClose)
        if (TForm* form = GetParentForm(this)) {
            form->Close();
            return;
        }
    TButton::Click();
}

// ---------------------------------------------------------------- TSpeedButton

TSpeedButton::TSpeedButton(TComponent* AOwner) : TControl(AOwner, NewWidget<QToolButton>()) {
    button()->setFocusPolicy(Qt::NoFocus);
    button()->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button()->resize(23, 22);
    glyph_.OnChange = [this](TGraphic*) { glyphChanged(); };
    QObject::connect(button(), &QToolButton::clicked, button(), [this] {
        guardedCall(this, [this] {
            if (groupIndex_ != 0) {
                if (down_ && allowAllUp_)
                    SetDown(false);
                else
                    SetDown(true);
            }
            button()->setChecked(down_);
            Click();
        });
    });
}

QToolButton* TSpeedButton::button() const { return static_cast<QToolButton*>(Handle()); }

std::string TSpeedButton::RealGetText() const { return fromQString(button()->text()); }

void TSpeedButton::RealSetText(const std::string& Value) {
    button()->setText(ToQString(Value));
    button()->setToolButtonStyle(Value.empty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
}

void TSpeedButton::SetDown(bool Value) {
    if (groupIndex_ == 0) Value = false;
    if (Value == down_) return;
    if (down_ && !allowAllUp_ && !Value) {
        // The down button of a group without AllowAllUp stays down until
        // another of its group goes down.
        bool otherDown = false;
        if (Parent())
            for (int i = 0; i < Parent()->ControlCount(); ++i)
                if (auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i)); b && b != this && b->down_)
                    otherDown = true;
        if (!otherDown) return;
    }
    down_ = Value;
    button()->setCheckable(groupIndex_ != 0);
    button()->setChecked(Value);
    if (Value && Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
                b && b != this && b->groupIndex_ == groupIndex_ && b->down_) {
                b->down_ = false;
                b->button()->setChecked(false);
            }
}

void TSpeedButton::SetGroupIndex(int Value) {
    groupIndex_ = Value;
    button()->setCheckable(Value != 0);
    if (Value == 0) SetDown(false);
}

void TSpeedButton::SetFlat(bool Value) {
    flat_ = Value;
    button()->setAutoRaise(Value);
}

void TSpeedButton::SetGlyph(const TBitmap& Value) {
    glyph_.Assign(Value);
    glyphChanged();
}

void TSpeedButton::glyphChanged() {
    button()->setIcon(glyphIcon(glyph_));
    if (!glyph_.Empty()) button()->setIconSize(QSize(glyph_.Width(), glyph_.Height()));
}

void TSpeedButton::Click() { TControl::Click(); }

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QCheckBox>()) {
    SetTabStop(true);
    box()->resize(97, 17);
    QObject::connect(box(), &QCheckBox::stateChanged, box(), [this](int s) {
        if (updating_) return;
        state_ = s == Qt::Checked ? cbChecked : s == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
        guardedCall(this, [this] { Click(); });
    });
}

QCheckBox* TCheckBox::box() const { return static_cast<QCheckBox*>(Handle()); }

std::string TCheckBox::RealGetText() const { return fromQString(box()->text()); }
void TCheckBox::RealSetText(const std::string& Value) { box()->setText(ToQString(Value)); }

void TCheckBox::SetState(TCheckBoxState Value) {
    if (Value == state_) return;
    state_ = Value;
    updating_ = true;
    box()->setCheckState(Value == cbChecked ? Qt::Checked : Value == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
    updating_ = false;
    Click();
}

void TCheckBox::SetAllowGrayed(bool Value) {
    allowGrayed_ = Value;
    box()->setTristate(Value);
}

void TCheckBox::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    box()->setLayoutDirection(Value == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

// ---------------------------------------------------------------- TRadioButton

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner, NewWidget<StickyRadioButton>()) {
    SetTabStop(true);
    radio()->resize(113, 17);
    // Qt's own exclusivity reaches buttons in nested containers too; the
    // buttons of one parent exclude each other here instead.
    radio()->setAutoExclusive(false);
    QObject::connect(radio(), &QRadioButton::toggled, radio(), [this](bool checked) {
        if (!checked) return;
        uncheckSiblings();
        guardedCall(this, [this] { Click(); });
    });
}

QRadioButton* TRadioButton::radio() const { return static_cast<QRadioButton*>(Handle()); }

std::string TRadioButton::RealGetText() const { return fromQString(radio()->text()); }
void TRadioButton::RealSetText(const std::string& Value) { radio()->setText(ToQString(Value)); }

bool TRadioButton::Checked() const { return radio()->isChecked(); }

void TRadioButton::SetChecked(bool Value) { radio()->setChecked(Value); }

void TRadioButton::uncheckSiblings() {
    if (!Parent()) return;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* other = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); other && other != this)
            other->radio()->setChecked(false);
}

// ---------------------------------------------------------------- TComboBox

class TComboBox::ComboWidget : public QComboBox {
public:
    TComboBox* owner = nullptr;
    void showPopup() override {
        if (owner) guardedCall(owner, [this] { owner->DropDown(); });
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (owner && owner->OnCloseUp) guardedCall(owner, [this] { owner->OnCloseUp(owner); });
    }
};

class TComboBox::ComboStrings : public TBoxStrings<TComboBox> {
public:
    using TBoxStrings::TBoxStrings;

    // Empties the edit part too, as the platform's combo box does.
    void Clear() override { owner_->Clear(); }
    void Delete(int Index) override {
        check(Index);
        owner_->combo()->removeItem(Index);
    }
    void Insert(int Index, const std::string& S) override {
        if (Index < 0 || Index > Count()) IndexError(Index);
        QComboBox* c = owner_->combo();
        QString text = c->currentText();
        c->insertItem(Index, ToQString(S));
        if (c->isEditable()) c->setEditText(text);
    }

protected:
    std::string Get(int Index) const override {
        check(Index);
        return fromQString(owner_->combo()->itemText(Index));
    }
    int GetCount() const override { return owner_->combo()->count(); }
    void Put(int Index, const std::string& S) override {
        check(Index);
        owner_->combo()->setItemText(Index, ToQString(S));
    }
    TObject* GetObject(int Index) const override {
        check(Index);
        return reinterpret_cast<TObject*>(owner_->combo()->itemData(Index).value<qulonglong>());
    }
    void PutObject(int Index, TObject* AObject) override {
        check(Index);
        owner_->combo()->setItemData(Index, QVariant::fromValue<qulonglong>(reinterpret_cast<qulonglong>(AObject)));
    }
};

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner, NewWidget<ComboWidget>()), items_(std::make_unique<ComboStrings>(this)) {
    static_cast<ComboWidget*>(combo())->owner = this;
    SetTabStop(true);
    SetColor(clWindow);
    combo()->resize(145, 21);
    combo()->setInsertPolicy(QComboBox::NoInsert);
    SetStyle(csDropDown);
    QObject::connect(combo(), qOverload<int>(&QComboBox::activated), combo(), [this](int) {
        guardedCall(this, [this] {
            Click();
            Change();
        });
    });
}

TComboBox::~TComboBox() {
    static_cast<ComboWidget*>(combo())->owner = nullptr;
}

TStrings* TComboBox::Items() { return items_.get(); }

QComboBox* TComboBox::combo() const { return static_cast<QComboBox*>(Handle()); }

void TComboBox::SetItems(const TStrings& Value) { items_->Assign(&Value); }

void TComboBox::SetItemImage(int Index, const TBitmap& Image) {
    if (Index < 0 || Index >= combo()->count()) return;
    if (Image.Empty()) {
        combo()->setItemIcon(Index, QIcon());
        return;
    }
    combo()->setIconSize(QSize(Image.Width(), Image.Height()));
    combo()->setItemIcon(Index, QIcon(QPixmap::fromImage(Image.toImage())));
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
    style_ = Value;
    bool editable = Value != csDropDownList;
    combo()->setEditable(editable);
    if (QLineEdit* edit = combo()->lineEdit()) {
        combo()->setCompleter(nullptr);
        edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
        applyCharCase(edit, charCase_);
        addEventSource(edit);
        if (!edit->property("qmWired").toBool()) {
            edit->setProperty("qmWired", true);
            QObject::connect(edit, &QLineEdit::textEdited, combo(), [this] { guardedCall(this, [this] { Change(); }); });
        }
    }
}

int TComboBox::ItemIndex() const { return combo()->currentIndex(); }

void TComboBox::SetItemIndex(int Value) {
    QSignalBlocker block(combo());
    combo()->setCurrentIndex(Value);
    if (Value < 0 && combo()->isEditable()) combo()->setEditText(QString());
}

void TComboBox::SetSorted(bool Value) {
    sorted_ = Value;
    if (!Value) return;
    std::vector<std::string> items;
    for (int i = 0; i < items_->Count(); ++i) items.push_back(items_->Strings(i));
    std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
        return QString::compare(ToQString(a), ToQString(b), Qt::CaseInsensitive) < 0;
    });
    items_->Clear();
    for (auto& s : items) items_->Add(s);
}

void TComboBox::SetMaxLength(int Value) {
    maxLength_ = std::max(Value, 0);
    if (QLineEdit* edit = combo()->lineEdit()) edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TComboBox::SetCharCase(TEditCharCase Value) {
    charCase_ = Value;
    applyCharCase(combo()->lineEdit(), Value);
}

void TComboBox::SetDropDownCount(int Value) {
    dropDownCount_ = Value;
    combo()->setMaxVisibleItems(std::max(Value, 1));
}

bool TComboBox::DroppedDown() const { return combo()->view() && combo()->view()->isVisible(); }

void TComboBox::SetDroppedDown(bool Value) {
    if (Value)
        combo()->showPopup();
    else
        combo()->hidePopup();
}

int TComboBox::SelStart() const {
    QLineEdit* e = combo()->lineEdit();
    return !e ? 0 : e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

void TComboBox::SetSelStart(int Value) {
    if (QLineEdit* e = combo()->lineEdit()) e->setCursorPosition(Value);
}

int TComboBox::SelLength() const {
    QLineEdit* e = combo()->lineEdit();
    return e ? static_cast<int>(e->selectedText().size()) : 0;
}

void TComboBox::SetSelLength(int Value) {
    if (QLineEdit* e = combo()->lineEdit()) e->setSelection(SelStart(), Value);
}

void TComboBox::SelectAll() {
    if (QLineEdit* e = combo()->lineEdit()) e->selectAll();
}

void TComboBox::Clear() {
    combo()->clear();
    if (combo()->isEditable()) combo()->setEditText(QString());
}

std::string TComboBox::RealGetText() const { return fromQString(combo()->currentText()); }

void TComboBox::RealSetText(const std::string& Value) {
    QSignalBlocker block(combo());
    if (combo()->isEditable()) {
        QString text = ToQString(Value);
        if (charCase_ == ecUpperCase) text = text.toUpper();
        if (charCase_ == ecLowerCase) text = text.toLower();
        int index = combo()->findText(text, Qt::MatchFixedString);
        if (index >= 0 && combo()->itemText(index) == text)
            combo()->setCurrentIndex(index);
        else
            combo()->setCurrentIndex(-1);
        combo()->setEditText(text);
    } else {
        combo()->setCurrentIndex(combo()->findText(ToQString(Value), Qt::MatchFixedString));
    }
}

void TComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TComboBox::DropDown() {
    if (OnDropDown) OnDropDown(this);
}

// ---------------------------------------------------------------- TListBox

class TListBox::ListStrings : public TBoxStrings<TListBox> {
public:
    using TBoxStrings::TBoxStrings;

    void Clear() override { owner_->list()->clear(); }
    void Delete(int Index) override {
        check(Index);
        delete owner_->list()->takeItem(Index);
    }
    void Insert(int Index, const std::string& S) override {
        if (Index < 0 || Index > Count()) IndexError(Index);
        owner_->list()->insertItem(Index, ToQString(S));
    }

protected:
    std::string Get(int Index) const override {
        check(Index);
        return fromQString(owner_->list()->item(Index)->text());
    }
    int GetCount() const override { return owner_->list()->count(); }
    void Put(int Index, const std::string& S) override {
        check(Index);
        owner_->list()->item(Index)->setText(ToQString(S));
    }
    TObject* GetObject(int Index) const override {
        check(Index);
        return reinterpret_cast<TObject*>(owner_->list()->item(Index)->data(Qt::UserRole).value<qulonglong>());
    }
    void PutObject(int Index, TObject* AObject) override {
        check(Index);
        owner_->list()->item(Index)->setData(Qt::UserRole,
                                             QVariant::fromValue<qulonglong>(reinterpret_cast<qulonglong>(AObject)));
    }
};

TListBox::TListBox(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QListWidget>()), items_(std::make_unique<ListStrings>(this)) {
    SetTabStop(true);
    SetColor(clWindow);
    list()->resize(121, 97);
    addEventSource(list()->viewport());
    QObject::connect(list(), &QListWidget::itemSelectionChanged, list(), [this] {
        if (!updating_) guardedCall(this, [this] { Click(); });
    });
}

TListBox::~TListBox() { list()->blockSignals(true); }

TStrings* TListBox::Items() { return items_.get(); }

QListWidget* TListBox::list() const { return static_cast<QListWidget*>(Handle()); }

void TListBox::SetItems(const TStrings& Value) { items_->Assign(&Value); }

int TListBox::ItemIndex() const { return list()->currentRow(); }

void TListBox::SetItemIndex(int Value) {
    updating_ = true;
    if (Value < 0) {
        list()->clearSelection();
        list()->setCurrentRow(-1);
    } else {
        list()->setCurrentRow(Value);
    }
    updating_ = false;
}

void TListBox::SetSorted(bool Value) {
    sorted_ = Value;
    if (!Value) return;
    updating_ = true;
    list()->sortItems();
    updating_ = false;
}

void TListBox::SetMultiSelect(bool Value) {
    multiSelect_ = Value;
    list()->setSelectionMode(Value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int Index) const {
    QListWidgetItem* item = list()->item(Index);
    if (!item) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return item->isSelected();
}

void TListBox::SetSelected(int Index, bool Value) {
    QListWidgetItem* item = list()->item(Index);
    if (!item) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    updating_ = true;
    item->setSelected(Value);
    updating_ = false;
}

int TListBox::SelCount() const {
    return multiSelect_ ? static_cast<int>(list()->selectedItems().size()) : -1;
}

int TListBox::TopIndex() const { return list()->indexAt(QPoint(1, 1)).row(); }

void TListBox::SetTopIndex(int Value) {
    if (QListWidgetItem* item = list()->item(Value)) list()->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void TListBox::Clear() { items_->Clear(); }

// ---------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* AOwner) : TGroupBox(AOwner, NewWidget<QGroupBox>()) {}

TGroupBox::TGroupBox(TComponent* AOwner, QGroupBox* widget) : TWinControl(AOwner, widget) {
    widget->resize(185, 105);
}

QGroupBox* TGroupBox::group() const { return static_cast<QGroupBox*>(Handle()); }

std::string TGroupBox::RealGetText() const { return fromQString(group()->title()); }
void TGroupBox::RealSetText(const std::string& Value) { group()->setTitle(ToQString(Value)); }
