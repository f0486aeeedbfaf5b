#pragma once
// Pictures of what an X server shows: a control's window grabbed from the
// screen, after its repaints reached the server. Only the screen counts here:
// a control that drew into its own image but asked for no repaint shows
// nothing new.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <functional>
#include <string>

#include "support/PageImages.h"
#include "ui/Controls.h"

// Tests that need a real display skip without one, saying why.
#define SKIP_WITHOUT_X_SERVER()                                                                            \
    if (QGuiApplication::platformName() != "xcb")                                                          \
        GTEST_SKIP() << "needs an X server (the test is registered to run under xvfb-run when installed), " \
                     << "platform is " << QGuiApplication::platformName().toStdString()

// Lets the window system deliver pending paints: events are processed for a while.
inline void SettleScreen(int Milliseconds = 300) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < Milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

// The control's window as the X server shows it now.
inline QImage GrabFromScreen(TControl* Control, const std::string& PictureName) {
    SettleScreen();
    QWidget* w = Control->Handle();
    QPoint origin = w->mapToGlobal(QPoint(0, 0));
    QImage shot = QGuiApplication::primaryScreen()
                      ->grabWindow(0, origin.x(), origin.y(), w->width(), w->height())
                      .toImage()
                      .convertToFormat(QImage::Format_RGB32);
    KeepPicture(shot, PictureName);
    return shot;
}

// Pixels of the picture, within a rectangle, that pass a test.
inline int PixelsWhere(const QImage& Image, const QRect& Area, const std::function<bool(QRgb)>& Test) {
    int n = 0;
    QRect r = Area.intersected(Image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Test(Image.pixel(x, y))) ++n;
    return n;
}
