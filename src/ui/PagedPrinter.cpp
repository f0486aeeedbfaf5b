#include "ui/PagedPrinter.h"

#include <QPageSize>

QPageLayout pageLayoutFor(const TDevMode& dm) {
    QPageSize size;
    if (dm.PaperSize == DMPAPER_USER || (dm.PaperWidth > 0 && dm.PaperLength > 0)) {
        if (dm.PaperWidth > 0 && dm.PaperLength > 0)
            size = QPageSize(QSizeF(dm.PaperWidth / 10.0, dm.PaperLength / 10.0), QPageSize::Millimeter);
    } else {
        QPageSize::PageSizeId id = QPageSize::id(dm.PaperSize);
        if (id != QPageSize::Custom) size = QPageSize(id);
    }
    if (!size.isValid()) size = QPageSize(QPageSize::Letter);
    return QPageLayout(size, dm.Orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}
