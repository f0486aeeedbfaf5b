#pragma once
// repaintWith: the body of a control's plain look property setter. The field
// takes the value and the control repaints; setters that do more than that
// keep their own bodies.
#include <utility>

#include "ui/Controls.h"

template <class T, class V>
void repaintWith(TControl* Control, T& Field, V&& Value) {
    Field = std::forward<V>(Value);
    Control->Invalidate();
}
