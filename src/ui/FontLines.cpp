#include "ui/FontLines.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

#include "ui/Devices.h"

int underlineOffset(const TDeviceFont& Font) {
    QFontMetricsF metrics(Font.qtFont(false));
    return std::max(1, static_cast<int>(std::lround(metrics.underlinePos())));
}
