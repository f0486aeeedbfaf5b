#include "ui/SystemMetrics.h"

#include <QApplication>
#include <QStyle>

#include "ui/Controls.h"

int GetSystemMetrics(int Index) {
    EnsureQtApplication();
    QStyle* style = QApplication::style();
    int bar = style ? style->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
    switch (Index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CXHTHUMB: return bar;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    default: return 0;
    }
}
