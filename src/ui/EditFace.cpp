#include "ui/EditFace.h"

#include <QLineEdit>
#include <QPainter>
#include <QWidget>

#include "ui/Devices.h"

void setEditMargins(TCustomEdit* Edit, int Left, int Top, int Right, int Bottom) {
    if (auto* edit = qobject_cast<QLineEdit*>(Edit->Handle())) edit->setTextMargins(Left, Top, Right, Bottom);
}

void PaintThroughCanvas(QWidget* Target, TCanvas* Canvas, const std::function<void()>& Paint) {
    QPainter painter(Target);
    TDeviceCaps caps;
    caps.Technology = DT_RASDISPLAY;
    caps.LogPixelsX = caps.LogPixelsY = 96;
    caps.HorzRes = caps.PhysicalWidth = Target->width();
    caps.VertRes = caps.PhysicalHeight = Target->height();
    TDeviceContext dc(&painter, caps);
    Canvas->SetHandle(&dc);
    try {
        Paint();
    } catch (...) {
        Canvas->SetHandle(nullptr);
        throw;
    }
    Canvas->SetHandle(nullptr);
}
