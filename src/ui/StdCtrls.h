#pragma once
// The standard controls: labels, edits, memos, buttons (with the bitmap and
// speed buttons), check boxes, radio buttons, combo boxes, list boxes and
// group boxes.
#include <memory>
#include <optional>
#include <string>

#include "ui/Controls.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QCheckBox;
class QRadioButton;
class QComboBox;
class QListWidget;
class QGroupBox;
class QLabel;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// ---------------------------------------------------------------- TLabel

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* AOwner);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout Value);
    // Resizes the label to its text (on by default).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    // "&" marks the mnemonic (on by default); off, the caption shows as it is.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool Value);
    // The control its "&" mnemonic focuses.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* Value);

protected:
    std::string RealGetText() const override { return caption_; }
    void RealSetText(const std::string& Value) override;
    void applyColor() override;

private:
    QLabel* label() const;
    void adjustBounds();
    std::string shownText() const;
    void applyAlignment();
    std::string caption_;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool transparent_ = true;
    bool showAccelChar_ = true;
    TComponentRef<TWinControl> focusControl_{this};
};

// ---------------------------------------------------------------- edits

// What an edit and a memo share, as the class library builds the memo on
// the edit: the read-only and modified flags, the selection, the clipboard,
// undo and the change event. The text widget is a one-line edit or a plain
// text edit.
class TEditControl : public TWinControl {
public:
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    bool Modified() const { return modified_; }
    void SetModified(bool Value) { modified_ = Value; }

    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    std::string SelText() const;
    void SetSelText(const std::string& Value);
    void SelectAll();
    void Clear();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo() const;
    void Undo();

    TNotifyEvent OnChange;

protected:
    using TWinControl::TWinControl;
    // The widget holding the text, up to date.
    virtual QWidget* textWidget() const { return Handle(); }
    virtual void Change();

private:
    bool readOnly_ = false;
    bool modified_ = false;
};

class TCustomEdit : public TEditControl {
public:
    explicit TCustomEdit(TComponent* AOwner);

    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase Value);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char Value);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool Value) { autoSelect_ = Value; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    // Keeps the text this many pixels clear of the right edge, for a button
    // that sits inside the edit there.
    void setRightTextMargin(int Pixels);

protected:
    TCustomEdit(TComponent* AOwner, QLineEdit* widget);
    // The widget, holding the current text: any text still waiting for it
    // is handed over first.
    QLineEdit* edit() const;
    QWidget* textWidget() const override;
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;
    void DoEnter() override;
    bool handleEvent(QWidget* source, QEvent* event) override;

    // Gives the widget Value as its own setText does, and Change runs when
    // the text differs. Masked: Value is the display text of an input mask.
    // Exact: the widget will hold Value as given (after the length limit).
    // Laying text out is the toolkit's dearest step and a hidden edit needs
    // none, so an exact text for a widget that cannot be seen waits for the
    // widget's next event (show, paint, a key) or the next use of edit().
    void putText(std::string Value, bool Masked, bool Exact);
    // The text waiting for the widget (the display text when Masked), or nullptr.
    const std::string* pendingText(bool Masked) const;

private:
    void flushText() const;
    QLineEdit* lineEdit() const;
    void applyMaxLength();
    mutable std::optional<std::string> pendingText_;
    bool pendingMasked_ = false;
    mutable bool flushing_ = false;
    int maxLength_ = 0;
    TEditCharCase charCase_ = ecNormal;
    char passwordChar_ = 0;
    bool autoSelect_ = true;
    TBorderStyle borderStyle_ = bsSingle;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

protected:
    using TCustomEdit::TCustomEdit;
};

class TMemo : public TEditControl {
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;

    // The lines of the memo, read from and written to the window.
    TStrings* Lines();
    void SetLines(const TStrings& Value);

    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle Value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool Value);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool Value) { wantReturns_ = Value; }
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool Value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value) { maxLength_ = Value; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);

protected:
    QPlainTextEdit* memo() const;
    // The text area takes the control's colour as well as its frame.
    void applyColor() override;
    // Lines joined with CR LF, as the class library's memo text.
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;
    bool wantsKey(Word Key, TShiftState Shift) const override;
    // Enter is no character of a memo that does not want returns.
    void KeyPress(char& Key) override;
    // The memo counts as modified by any change of its text.
    void Change() override;

private:
    class MemoStrings;
    std::unique_ptr<MemoStrings> lines_;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
    bool wantReturns_ = true;
    bool wantTabs_ = false;
    int maxLength_ = 0;
    TAlignment alignment_ = taLeftJustify;
    bool limiting_ = false;
};

// ---------------------------------------------------------------- buttons

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* AOwner);

    // Enter on the form presses the default button, Escape the cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool Value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool Value) { cancel_ = Value; }
    // Given to the form's ModalResult when pressed.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int Value) { modalResult_ = Value; }

    void Click() override;

protected:
    TButton(TComponent* AOwner, QPushButton* widget);
    QPushButton* button() const;
    void RealSetText(const std::string& Value) override;
    bool clicksOnMouseUp() const override { return false; }

private:
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

// A button with a glyph; a Kind other than bkCustom gives the button the
// caption, modal result and default/cancel role of that kind.
class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* AOwner);

    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind Value);
    TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const TBitmap& Value);

    void Click() override;

private:
    void glyphChanged();
    TBitBtnKind kind_ = bkCustom;
    TBitmap glyph_;
};

// A flat, non-focusable button; buttons with one GroupIndex stay down one
// at a time.
class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TComponent* AOwner);

    bool Down() const { return down_; }
    void SetDown(bool Value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool Value) { allowAllUp_ = Value; }
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    TBitmap* Glyph() { return &glyph_; }
    void SetGlyph(const TBitmap& Value);

    void Click() override;

protected:
    QToolButton* button() const;
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;
    bool clicksOnMouseUp() const override { return false; }

private:
    void glyphChanged();
    bool down_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool flat_ = false;
    TBitmap glyph_;
};

// ---------------------------------------------------------------- check and radio

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* AOwner);

    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return state_; }
    // A change of state, by the user or by code, fires OnClick.
    void SetState(TCheckBoxState Value);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);

protected:
    QCheckBox* box() const;
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;
    bool clicksOnMouseUp() const override { return false; }

private:
    TCheckBoxState state_ = cbUnchecked;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
    bool updating_ = false;
};

class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* AOwner);

    bool Checked() const;
    // Checking a button unchecks the others of its parent and fires OnClick.
    void SetChecked(bool Value);

protected:
    QRadioButton* radio() const;
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;
    bool clicksOnMouseUp() const override { return false; }

private:
    void uncheckSiblings();
};

// ---------------------------------------------------------------- lists

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* AOwner);
    ~TComboBox() override;

    TStrings* Items();
    void SetItems(const TStrings& Value);
    int ItemIndex() const;
    void SetItemIndex(int Value);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle Value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase Value);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int Value);
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    void SelectAll();
    void Clear();
    // A picture shown before the item's text (a colour swatch, a font's
    // mark), drawn as it is; an empty bitmap removes it.
    void SetItemImage(int Index, const TBitmap& Image);

    // The user typed in the edit part or chose an item (after OnClick).
    TNotifyEvent OnChange;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    QComboBox* combo() const;
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;
    bool clicksOnMouseUp() const override { return false; }
    virtual void Change();
    virtual void DropDown();

private:
    class ComboWidget;
    class ComboStrings;
    std::unique_ptr<ComboStrings> items_;
    TComboBoxStyle style_ = csDropDown;
    bool sorted_ = false;
    int maxLength_ = 0;
    TEditCharCase charCase_ = ecNormal;
    int dropDownCount_ = 8;
};

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* AOwner);
    ~TListBox() override;

    TStrings* Items();
    void SetItems(const TStrings& Value);
    int ItemIndex() const;
    void SetItemIndex(int Value);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool Value);
    bool Selected(int Index) const;
    void SetSelected(int Index, bool Value);
    int SelCount() const;
    int TopIndex() const;
    void SetTopIndex(int Value);
    void Clear();

protected:
    QListWidget* list() const;
    bool clicksOnMouseUp() const override { return false; }

private:
    class ListStrings;
    std::unique_ptr<ListStrings> items_;
    bool sorted_ = false;
    bool multiSelect_ = false;
    bool updating_ = false;
};

// ---------------------------------------------------------------- group box

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* AOwner);

protected:
    TGroupBox(TComponent* AOwner, QGroupBox* widget);
    QGroupBox* group() const;
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;
};
