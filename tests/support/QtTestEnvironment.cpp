// Tests that measure or paint through Qt link this in: a QApplication exists
// for the whole run. A test that creates the program's application object
// first keeps its own.
//
// On a real display (Xvfb) a window becomes active some time after it is
// shown, once the server has mapped it; offscreen it is active at once. So
// that a test which shows a form and moves the focus sees the same on both,
// every window shown waits here, for at most two seconds, until it is active.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QWidget>

namespace {

class ActivateOnShow : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        auto* window = qobject_cast<QWidget*>(watched);
        if (!window || !window->isWindow() || window->isActiveWindow()) return false;
        const Qt::WindowType type = window->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen) return false;
        window->activateWindow();
        QDeadlineTimer deadline(2000);
        while (!window->isActiveWindow() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return false;
    }
};

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "quenmark-tests";
            static char* argv[] = {name, nullptr};
            // Kept to the end of the process: fonts and printers cached in
            // statics must not outlive it.
            new QApplication(argc, argv);
        }
        if (QGuiApplication::platformName() != "offscreen")
            QCoreApplication::instance()->installEventFilter(new ActivateOnShow);
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

}  // namespace
