#include "ui/ScrollBar.h"

#include <QAbstractSlider>
#include <QScrollBar>

#include "ui/Application.h"

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QScrollBar>(Qt::Horizontal)) {
    SetTabStop(true);
    bar()->resize(121, 16);
    bar()->setRange(0, 100);
    QObject::connect(bar(), &QAbstractSlider::actionTriggered, bar(), [this](int action) {
        if (updating_) return;
        TScrollCode code;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
        case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
        case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
        case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
        case QAbstractSlider::SliderToMinimum: code = scTop; break;
        case QAbstractSlider::SliderToMaximum: code = scBottom; break;
        case QAbstractSlider::SliderMove: code = scTrack; break;
        default: return;
        }
        int pos = bar()->sliderPosition();
        try {
            Scroll(code, pos);
        } catch (...) {
            Application->HandleException(this);
        }
    });
    QObject::connect(bar(), &QAbstractSlider::sliderReleased, bar(), [this] {
        try {
            Scroll(scPosition, bar()->sliderPosition());
        } catch (...) {
            Application->HandleException(this);
        }
    });
}

QScrollBar* TScrollBar::bar() const { return static_cast<QScrollBar*>(Handle()); }

void TScrollBar::SetKind(TScrollBarKind Value) {
    kind_ = Value;
    bar()->setOrientation(Value == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
}

int TScrollBar::Min() const { return bar()->minimum(); }
int TScrollBar::Max() const { return bar()->maximum(); }
int TScrollBar::Position() const { return bar()->value(); }
int TScrollBar::LargeChange() const { return bar()->pageStep(); }
void TScrollBar::SetLargeChange(int Value) { bar()->setPageStep(Value); }

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
    updating_ = true;
    bar()->setRange(AMin, std::max(AMin, AMax));
    updating_ = false;
    SetPosition(APosition);
}

void TScrollBar::SetPosition(int Value) {
    if (Value == bar()->value()) return;
    updating_ = true;
    bar()->setValue(Value);
    bar()->setSliderPosition(Value);
    updating_ = false;
    if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int ScrollPos) {
    if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
    SetPosition(ScrollPos);
}
