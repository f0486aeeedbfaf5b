#include "ui/OffscreenRender.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "base/Exceptions.h"
#include "os/Paths.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Text1252.h"

QImage renderControl(TControl* Control) {
    Application->Initialize();
    QWidget* widget = Control ? Control->Handle() : nullptr;
    if (!widget) return {};
    QWidget* window = widget->window();
    bool wasHidden = !window->isVisible();
    if (wasHidden) {
        window->setAttribute(Qt::WA_DontShowOnScreen, true);
        window->show();
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QImage image = widget->grab().toImage();
    if (wasHidden) {
        window->hide();
        window->setAttribute(Qt::WA_DontShowOnScreen, false);
    }
    return image;
}

void renderToPng(TControl* Control, const std::string& FileName) {
    QImage image = renderControl(Control);
    std::string path = os::MapPath(FileName);
    if (image.isNull() || !image.save(ToQString(path), "PNG"))
        throw EFCreateError("Cannot create file " + FileName);
}
