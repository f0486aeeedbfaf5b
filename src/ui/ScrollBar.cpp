#include "ui/ScrollBar.h"

#include <QAbstractSlider>
#include <QScrollBar>

#include "ui/Application.h"

std::optional<TScrollCode> scrollCodeOfAction(int Action) {
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd: return scLineDown;
    case QAbstractSlider::SliderSingleStepSub: return scLineUp;
    case QAbstractSlider::SliderPageStepAdd: return scPageDown;
    case QAbstractSlider::SliderPageStepSub: return scPageUp;
    case QAbstractSlider::SliderToMinimum: return scTop;
    case QAbstractSlider::SliderToMaximum: return scBottom;
    case QAbstractSlider::SliderMove: return scTrack;
    default: return std::nullopt;
    }
}

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QScrollBar>(Qt::Horizontal)) {
    SetTabStop(true);
    bar()->resize(121, 16);
    bar()->setRange(0, 100);
    QObject::connect(bar(), &QAbstractSlider::actionTriggered, bar(), [this](int action) {
        if (updating_) return;
        std::optional<TScrollCode> code = scrollCodeOfAction(action);
        if (!code) return;
        int pos = bar()->sliderPosition();
        try {
            Scroll(*code, pos);
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
