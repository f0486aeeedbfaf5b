#pragma once
// guardedCall: runs a handler called from Qt's event dispatch. Exceptions may
// not cross Qt, so a failure goes to the application's exception handling
// and the call returns a default value.
#include "ui/Application.h"

template <class F>
auto guardedCall(TObject* sender, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        Application->HandleException(sender);
    }
    return decltype(f())();
}
