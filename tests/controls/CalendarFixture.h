#pragma once
// A shown form for the calendar set, with the clock fixed, mouse clicks on
// a control's window, and pictures written beside the test run.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>

#include "base/DateTime.h"
#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/OffscreenRender.h"

class CalendarFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        setFixedNow(EncodeDate(2024, 3, 14) + EncodeTime(10, 30, 0, 0));
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 420, 260);
    }
    void TearDown() override {
        form.reset();
        clearFixedNow();
    }

    void show() {
        form->Show();
        Application->ProcessMessages();
    }

    static void mouse(TControl* control, QEvent::Type type, int x, int y) {
        QPointF p(x, y);
        Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, p, control->Handle()->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
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

    // Written into "pictures" under the test's working folder (the build's
    // tests folder) for a person to look at.
    static QImage picture(TControl* control, const std::string& name) {
        std::filesystem::create_directories("pictures");
        renderToPng(control, "pictures/" + name + ".png");
        return renderControl(control);
    }

    std::unique_ptr<TForm> form;
};
