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
#include <functional>
#include <string>
#include <utility>

#include "ui/Controls.h"

class TDataSource;

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
