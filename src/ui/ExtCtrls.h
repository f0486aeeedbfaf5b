#pragma once
// Panels, bevels, shapes, images, paint boxes, radio groups, the gauge and
// the timer.
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/StdCtrls.h"

class QTimer;
class QRadioButton;

// ---------------------------------------------------------------- TPanel

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* AOwner);

    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut Value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int Value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);

protected:
    void Paint() override;
    void RealSetText(const std::string& Value) override;

private:
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
    TAlignment alignment_ = taCenter;
};

// Draws a 3-D frame inside Rect and shrinks it by Width.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

// ---------------------------------------------------------------- TBevel

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape Value);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle Value);

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// ---------------------------------------------------------------- TShape

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* AOwner);
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType Value);
    TPen* Pen() { return &pen_; }
    TBrush* Brush() { return &brush_; }

protected:
    void Paint() override;

private:
    TShapeType shape_ = stRectangle;
    TPen pen_;
    TBrush brush_;
};

// ---------------------------------------------------------------- TImage

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* AOwner);
    TPicture* Picture() { return &picture_; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool Value);
    bool Center() const { return center_; }
    void SetCenter(bool Value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool Value);

protected:
    void Paint() override;

private:
    void pictureChanged();
    TPicture picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool autoSize_ = false;
};

// ---------------------------------------------------------------- TPaintBox

class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent* AOwner);
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};

// ---------------------------------------------------------------- TRadioGroup

// A group box of radio buttons made from Items; choosing one, by the user
// or through ItemIndex, fires OnClick.
class TRadioGroup : public TGroupBox {
public:
    explicit TRadioGroup(TComponent* AOwner);
    ~TRadioGroup() override;

    TStrings* Items() { return &items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value);
    int Columns() const { return columns_; }
    void SetColumns(int Value);

protected:
    bool handleEvent(QWidget* source, QEvent* event) override;

private:
    void rebuildButtons();
    void arrangeButtons();
    TStringList items_;
    std::vector<QRadioButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};

// ---------------------------------------------------------------- TGauge

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

class TGauge : public TGraphicControl {
public:
    explicit TGauge(TComponent* AOwner);

    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind Value);
    int MinValue() const { return minValue_; }
    void SetMinValue(int Value);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int Value);
    int Progress() const { return progress_; }
    void SetProgress(int Value);
    void AddProgress(int Value) { SetProgress(progress_ + Value); }
    // 0..100.
    int PercentDone() const;
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor Value);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor Value);
    bool ShowText() const { return showText_; }
    void SetShowText(bool Value);

protected:
    void Paint() override;

private:
    TGaugeKind kind_ = gkHorizontalBar;
    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    TColor foreColor_ = clBlack;
    TColor backColor_ = clWhite;
    bool showText_ = true;
};

// ---------------------------------------------------------------- TTimer

// Fires OnTimer every Interval milliseconds on the main thread while enabled.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned Value);

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void update();
    std::unique_ptr<QTimer> timer_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
};
