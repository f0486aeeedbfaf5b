#pragma once
// TScrollBar: the class library's stand-alone scroll bar. The user's actions
// arrive in OnScroll with the scroll code and the position the bar would
// take; the handler may change the position before the bar takes it.
#include <functional>
#include <optional>

#include "ui/Controls.h"

class QScrollBar;

// The scroll code a slider action of the window (a QAbstractSlider::SliderAction)
// stands for; none for an action that has none.
std::optional<TScrollCode> scrollCodeOfAction(int Action);

using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
public:
    explicit TScrollBar(TComponent* AOwner);

    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind Value);
    int Min() const;
    int Max() const;
    void SetParams(int APosition, int AMin, int AMax);
    int Position() const;
    void SetPosition(int Value);
    int LargeChange() const;
    void SetLargeChange(int Value);

    TScrollEvent OnScroll;
    TNotifyEvent OnChange;

    // Runs the scroll event and takes the position it leaves (the user's action).
    void Scroll(TScrollCode ScrollCode, int ScrollPos);

protected:
    QScrollBar* bar() const;

private:
    TScrollBarKind kind_ = sbHorizontal;
    bool updating_ = false;
};
