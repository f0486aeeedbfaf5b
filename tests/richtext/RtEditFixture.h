#pragma once
// A shown form for the rich-text windows: the key model of the class
// library (SendKey, SendChar), mouse events sent to a control's window, the
// caret kept from blinking, and pictures written for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <memory>
#include <string>

#include "richtext/RtRich.h"
#include "support/PageImages.h"
#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/OffscreenRender.h"

class RtEditFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        QApplication::setCursorFlashTime(0);
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 520, 360);
        form->SetCaption("Narrative");
    }
    void TearDown() override { form.reset(); }

    void show() {
        form->Show();
        Application->ProcessMessages();
    }

    static void mouse(TControl* control, QEvent::Type type, int x, int y,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QPointF p(x, y);
        Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, p, control->Handle()->mapToGlobal(p), Qt::LeftButton, buttons, modifiers);
        QCoreApplication::sendEvent(control->Handle(), &e);
    }
    static void click(TControl* control, int x, int y) {
        mouse(control, QEvent::MouseButtonPress, x, y);
        mouse(control, QEvent::MouseButtonRelease, x, y);
    }
    static void doubleClick(TControl* control, int x, int y) {
        click(control, x, y);
        mouse(control, QEvent::MouseButtonDblClick, x, y);
        mouse(control, QEvent::MouseButtonRelease, x, y);
    }
    static void drag(TControl* control, int x0, int y0, int x1, int y1) {
        mouse(control, QEvent::MouseButtonPress, x0, y0);
        mouse(control, QEvent::MouseMove, x1, y1);
        mouse(control, QEvent::MouseButtonRelease, x1, y1);
    }

    static void type(TWinControl* control, const std::string& text) {
        for (char c : text) control->SendChar(c);
    }

    static QImage picture(TControl* control, const std::string& name) {
        QImage image = renderControl(control);
        KeepPicture(image, name);
        return image;
    }

    std::unique_ptr<TForm> form;
};
