#pragma once
// The form-building kit: one line places a control on its parent, one line
// places a data-aware control bound to a field, one line connects a form's
// handler to a control's event. A form's constructor then reads as its
// layout, and its behaviour stays in its handlers:
//
//   NameEdit = placeBound<TDBEdit>(this, 96, 12, 160, 21, PatientSource, "NAME");
//   OKBtn = place<TButton>(this, 56, 130, 75, 25, "OK");
//   bindEvent(OKBtn->OnClick, this, &TPatientForm::OKBtnClick);
//
// A placed control is owned by the form its parent lies on (by the parent
// itself when that lies on no form), so the form frees it with everything
// else it owns; the parent only shows it. Bounds are left, top, width and
// height in pixels, as forms are laid out.
//
// FormLayout is the vocabulary of a record's pages: a caption with the
// control it names, and the data-aware edits, lists and boxes of one column
// each, all one row high, so a page's code reads as its list of columns.
// frameDialog gives a window the frame every dialog has; setEditable and
// TButtonColumn are the money windows' editable figures and button column.
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "ui/Colors.h"
#include "ui/Controls.h"

class TBitBtn;
class TDataSource;
class TDBCheckBox;
class TDBComboBox;
class TDBEdit;
class TForm;
class TLabel;

// The owner of a control placed on parent.
TComponent* placementOwner(TWinControl* parent);

// A new T at (left, top) in its own default size.
template <class T>
T* place(TWinControl* parent, int left, int top) {
    auto* control = new T(placementOwner(parent));
    control->SetParent(parent);
    control->SetLeft(left);
    control->SetTop(top);
    return control;
}

template <class T>
T* place(TWinControl* parent, int left, int top, int width, int height) {
    auto* control = new T(placementOwner(parent));
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// With a caption, for the controls that have one (labels, buttons, boxes).
template <class T>
    requires requires(T* control, const std::string& caption) { control->SetCaption(caption); }
T* place(TWinControl* parent, int left, int top, int width, int height, const std::string& caption) {
    T* control = place<T>(parent, left, top, width, height);
    control->SetCaption(caption);
    return control;
}

// A data-aware control showing the field named fieldName of source's dataset.
// REQUIRES: when source's dataset is open, it has that field (otherwise
// SetDataField raises the field-not-found error).
template <class T>
T* placeBound(TWinControl* parent, int left, int top, int width, int height, TDataSource* source,
              const std::string& fieldName) {
    T* control = place<T>(parent, left, top, width, height);
    control->SetDataSource(source);
    control->SetDataField(fieldName);
    return control;
}

// Makes event call object's member function handler with the event's
// arguments. The object must outlive the control, as a form outlives the
// controls it owns.
template <class... Args, class Object, class Handler>
void bindEvent(std::function<void(Args...)>& event, Object* object, Handler handler) {
    event = [object, handler](Args... args) { (object->*handler)(std::forward<Args>(args)...); };
}

// A fixed-size dialog in the middle of the screen, titled Caption.
void frameDialog(TForm* Form, const std::string& Caption);

// Editable on the window colour, or read-only on the scroll-bar colour.
template <class Control>
void setEditable(Control* C, bool Editable) {
    C->SetReadOnly(!Editable);
    C->SetColor(Editable ? clWindow : clScrollBar);
}

// Buttons 88 by 28 at Left on Panel, one every 40 pixels from the top down,
// each named as the form names it.
class TButtonColumn {
public:
    TButtonColumn(TWinControl* Panel, int Left) : panel_(Panel), left_(Left) {}
    // The next button.
    TBitBtn* operator()(const char* Name, const char* Caption);

private:
    TWinControl* panel_;
    int left_;
    int top_ = 12;
};

namespace FormLayout {

constexpr int RowHeight = 21;

// A caption at (Left, Top + 3) naming the control placed beside it.
TLabel* caption(TWinControl* Parent, int Left, int Top, const std::string& Text, TWinControl* Control = nullptr);
// An edit of Column; MaxLength 0 takes the column's width.
TDBEdit* edit(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
              int MaxLength = 0);
// The same, typed in capitals (state codes).
TDBEdit* upperEdit(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
                   int MaxLength = 0);
// A drop-down list allowing only Items.
TDBComboBox* list(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
                  std::initializer_list<const char*> Items);
// A check box storing Checked / Unchecked ("True"/"False" unless given).
TDBCheckBox* checkBox(TWinControl* Parent, int Left, int Top, int Width, const std::string& Caption,
                      TDataSource* Source, const std::string& Column, const std::string& Checked = "True",
                      const std::string& Unchecked = "False");
// A hint shown over the control.
void hint(TWinControl* Control, const std::string& Text);

}  // namespace FormLayout
