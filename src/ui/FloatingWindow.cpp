#include "ui/FloatingWindow.h"

#include <QGuiApplication>
#include <QWidget>

namespace {
bool offscreen() { return QGuiApplication::platformName() == "offscreen"; }

// Windows without a screen have no stacking order to change.
void raise(QWidget* widget) {
    if (!offscreen()) widget->raise();
}

Qt::WindowFlags floatingFlags(bool topmost) {
    // The offscreen platform activates every window it shows except tool
    // tips, so there the list floats as one; anywhere else it is a tool
    // window that is never activated.
    Qt::WindowFlags flags = (offscreen() ? Qt::ToolTip : Qt::Tool) | Qt::FramelessWindowHint |
                            Qt::WindowDoesNotAcceptFocus;
    if (topmost) flags |= Qt::WindowStaysOnTopHint;
    return flags;
}
}  // namespace

void floatOverForm(TWinControl* Control, const TControl* Anchor) {
    QWidget* widget = Control->Handle();
    if (!widget || !Anchor->Handle()) return;
    QWidget* form = Anchor->Handle()->window();
    if (widget->parentWidget() == form && widget->isWindow()) return;
    bool topmost = widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    widget->hide();
    // The form is the transient parent: the list stays in front of it and
    // goes with it.
    widget->setParent(form, floatingFlags(topmost));
    widget->setAttribute(Qt::WA_ShowWithoutActivating);
    widget->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setProperty("qmFloating", true);
}

bool isFloating(const TControl* Control) {
    return Control->Handle() && Control->Handle()->property("qmFloating").toBool();
}

void setFloatingTopmost(TWinControl* Control, bool Topmost) {
    QWidget* widget = Control->Handle();
    if (!widget || !isFloating(Control)) return;
    if (widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == Topmost) {
        if (widget->isVisible()) raise(widget);
        return;
    }
    bool shown = widget->isVisible();
    widget->setWindowFlags(floatingFlags(Topmost));
    if (shown) widget->show();
    raise(widget);
}
