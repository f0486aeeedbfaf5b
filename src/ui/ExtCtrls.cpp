#include "ui/ExtCtrls.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "ui/Application.h"
#include "ui/GuardedCall.h"
#include "ui/Text1252.h"

namespace {

void bevelColors(TBevelCut cut, TColor& top, TColor& bottom) {
    top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
}
}  // namespace

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    Canvas->Pen()->SetWidth(1);
    --Rect.Bottom;
    --Rect.Right;
    while (Width-- > 0) {
        Canvas->Pen()->SetColor(TopColor);
        Canvas->Polyline({{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}});
        Canvas->Pen()->SetColor(BottomColor);
        Canvas->Polyline({{Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}});
        Rect = InflateRect(Rect, -1, -1);
    }
    ++Rect.Bottom;
    ++Rect.Right;
}

// ---------------------------------------------------------------- TPanel

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    Handle()->setFocusPolicy(Qt::NoFocus);
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TPanel::RealSetText(const std::string& Value) {
    TCustomControl::RealSetText(Value);
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut Value) {
    bevelInner_ = Value;
    Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut Value) {
    bevelOuter_ = Value;
    Invalidate();
}

void TPanel::SetBevelWidth(int Value) {
    bevelWidth_ = std::max(Value, 1);
    Invalidate();
}

void TPanel::SetBorderWidth(int Value) {
    borderWidth_ = std::max(Value, 0);
    Invalidate();
}

void TPanel::SetBorderStyle(TBorderStyle Value) {
    borderStyle_ = Value;
    Invalidate();
}

void TPanel::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    Invalidate();
}

void TPanel::Paint() {
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    TColor top, bottom;
    if (borderStyle_ == bsSingle) Frame3D(canvas, r, clWindowFrame, clWindowFrame, 1);
    if (bevelOuter_ != bvNone) {
        bevelColors(bevelOuter_, top, bottom);
        Frame3D(canvas, r, top, bottom, bevelWidth_);
    }
    Frame3D(canvas, r, Color(), Color(), borderWidth_);
    if (bevelInner_ != bvNone) {
        bevelColors(bevelInner_, top, bottom);
        Frame3D(canvas, r, top, bottom, bevelWidth_);
    }
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(r);
    std::string caption = Caption();
    if (caption.empty()) return;
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->Assign(*Font());
    int height = canvas->TextHeight("W");
    int width = canvas->TextWidth(caption);
    int y = (r.Top + r.Bottom - height) / 2;
    int x = alignment_ == taLeftJustify ? r.Left : alignment_ == taRightJustify ? r.Right - width
                                                                                 : (r.Left + r.Right - width) / 2;
    canvas->TextRect(r, x, y, caption);
}

// ---------------------------------------------------------------- TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape Value) {
    shape_ = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
    style_ = Value;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* c = Canvas();
    c->Pen()->SetWidth(1);
    TColor color1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    int w = Width(), h = Height();
    auto bevelRect = [&](TRect r, TColor first, TColor second) {
        c->Pen()->SetColor(first);
        c->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
        c->Pen()->SetColor(second);
        c->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left, r.Bottom}});
    };
    auto bevelLine = [&](TColor color, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(color);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (shape_) {
    case bsBox: bevelRect(Rect(0, 0, w - 1, h - 1), color1, color2); break;
    case bsFrame:
        bevelRect(Rect(1, 1, w - 1, h - 1), color2, color2);
        bevelRect(Rect(0, 0, w - 2, h - 2), color1, color1);
        break;
    case bsTopLine: bevelLine(color1, 0, 0, w, 0); bevelLine(color2, 0, 1, w, 1); break;
    case bsBottomLine: bevelLine(color1, 0, h - 2, w, h - 2); bevelLine(color2, 0, h - 1, w, h - 1); break;
    case bsLeftLine: bevelLine(color1, 0, 0, 0, h); bevelLine(color2, 1, 0, 1, h); break;
    case bsRightLine: bevelLine(color1, w - 2, 0, w - 2, h); bevelLine(color2, w - 1, 0, w - 1, h); break;
    case bsSpacer: break;
    }
}

// ---------------------------------------------------------------- TShape

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 65, 65);
    pen_.OnChange = [this](TGraphicsObject*) { Invalidate(); };
    brush_.OnChange = [this](TGraphicsObject*) { Invalidate(); };
}

void TShape::SetShape(TShapeType Value) {
    shape_ = Value;
    Invalidate();
}

void TShape::Paint() {
    TCanvas* c = Canvas();
    c->SetPen(pen_);
    c->SetBrush(brush_);
    int x = pen_.Width() / 2, y = x;
    int w = Width() - pen_.Width() + 1, h = Height() - pen_.Width() + 1;
    if (pen_.Width() == 0) {
        --w;
        --h;
    }
    int s = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    switch (shape_) {
    case stRectangle: case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect: case stRoundSquare: c->RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse: case stCircle: c->Ellipse(x, y, x + w, y + h); break;
    }
}

// ---------------------------------------------------------------- TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this](TPicture*) { pictureChanged(); };
}

void TImage::pictureChanged() {
    if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0)
        SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::SetStretch(bool Value) {
    stretch_ = Value;
    Invalidate();
}

void TImage::SetCenter(bool Value) {
    center_ = Value;
    Invalidate();
}

void TImage::SetAutoSize(bool Value) {
    autoSize_ = Value;
    pictureChanged();
}

void TImage::Paint() {
    TGraphic* graphic = picture_.Graphic();
    if (!graphic || graphic->Empty()) return;
    if (stretch_) {
        Canvas()->StretchDraw(ClientRect(), graphic);
    } else if (center_) {
        Canvas()->Draw((Width() - graphic->Width()) / 2, (Height() - graphic->Height()) / 2, graphic);
    } else {
        Canvas()->Draw(0, 0, graphic);
    }
}

// ---------------------------------------------------------------- TPaintBox

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 105, 105); }

void TPaintBox::Paint() {
    if (OnPaint) OnPaint(this);
}

// ---------------------------------------------------------------- TRadioGroup

TRadioGroup::TRadioGroup(TComponent* AOwner) : TGroupBox(AOwner) {
    SetTabStop(true);
    items_.OnChange = [this](TObject*) { rebuildButtons(); };
}

TRadioGroup::~TRadioGroup() {
    items_.OnChange = nullptr;
    for (QRadioButton* b : buttons_) b->blockSignals(true);
}

void TRadioGroup::rebuildButtons() {
    updating_ = true;
    for (QRadioButton* b : buttons_) delete b;
    buttons_.clear();
    for (int i = 0; i < items_.Count(); ++i) {
        auto* button = new QRadioButton(ToQString(items_.Strings(i)), Handle());
        button->setFocusPolicy(Qt::StrongFocus);
        addEventSource(button);
        QObject::connect(button, &QRadioButton::toggled, button, [this, i](bool checked) {
            if (!checked || updating_) return;
            itemIndex_ = i;
            guardedCall(this, [this] { Click(); });
        });
        button->show();
        buttons_.push_back(button);
    }
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    if (itemIndex_ >= 0) buttons_[itemIndex_]->setChecked(true);
    Handle()->setFocusProxy(buttons_.empty() ? nullptr : buttons_[std::max(itemIndex_, 0)]);
    updating_ = false;
    arrangeButtons();
}

void TRadioGroup::arrangeButtons() {
    if (buttons_.empty()) return;
    int count = static_cast<int>(buttons_.size());
    int perColumn = (count + columns_ - 1) / columns_;
    int textHeight = QFontMetrics(Handle()->font()).height();
    int buttonWidth = (Width() - 10) / columns_;
    int space = Height() - textHeight - 5;
    int buttonHeight = std::max(space / perColumn, 1);
    int topMargin = textHeight + 1 + (space % perColumn) / 2;
    for (int i = 0; i < count; ++i)
        buttons_[i]->setGeometry((i / perColumn) * buttonWidth + 8, (i % perColumn) * buttonHeight + topMargin,
                                 buttonWidth, buttonHeight);
}

void TRadioGroup::SetItemIndex(int Value) {
    Value = std::clamp(Value, -1, items_.Count() - 1);
    if (Value == itemIndex_) return;
    updating_ = true;
    if (itemIndex_ >= 0) {
        QRadioButton* old = buttons_[itemIndex_];
        old->setAutoExclusive(false);
        old->setChecked(false);
        old->setAutoExclusive(true);
    }
    itemIndex_ = Value;
    if (Value >= 0) buttons_[Value]->setChecked(true);
    Handle()->setFocusProxy(buttons_.empty() ? nullptr : buttons_[std::max(itemIndex_, 0)]);
    updating_ = false;
    // As in the class library, choosing by code clicks too.
    if (Value >= 0) Click();
}

void TRadioGroup::SetColumns(int Value) {
    columns_ = std::clamp(Value, 1, 16);
    arrangeButtons();
}

bool TRadioGroup::handleEvent(QWidget* source, QEvent* event) {
    if (event->type() == QEvent::Resize && source == Handle()) arrangeButtons();
    return TGroupBox::handleEvent(source, event);
}

// ---------------------------------------------------------------- TGauge

TGauge::TGauge(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 100, 100); }

void TGauge::SetKind(TGaugeKind Value) {
    kind_ = Value;
    Invalidate();
}

void TGauge::SetMinValue(int Value) {
    minValue_ = Value;
    progress_ = std::max(progress_, Value);
    Invalidate();
}

void TGauge::SetMaxValue(int Value) {
    maxValue_ = Value;
    progress_ = std::min(progress_, Value);
    Invalidate();
}

void TGauge::SetProgress(int Value) {
    progress_ = std::clamp(Value, minValue_, std::max(minValue_, maxValue_));
    Invalidate();
}

int TGauge::PercentDone() const {
    int range = maxValue_ - minValue_;
    if (range <= 0) return 0;
    return static_cast<int>((static_cast<long long>(progress_ - minValue_) * 100) / range);
}

void TGauge::SetForeColor(TColor Value) {
    foreColor_ = Value;
    Invalidate();
}

void TGauge::SetBackColor(TColor Value) {
    backColor_ = Value;
    Invalidate();
}

void TGauge::SetShowText(bool Value) {
    showText_ = Value;
    Invalidate();
}

void TGauge::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(backColor_);
    c->Rectangle(r);
    r = InflateRect(r, -1, -1);
    int percent = PercentDone();
    c->Brush()->SetColor(foreColor_);
    TRect filled;  // the bar's filled part, where the text is drawn in the back colour
    switch (kind_) {
    case gkHorizontalBar:
        filled = Rect(r.Left, r.Top, r.Left + r.Width() * percent / 100, r.Bottom);
        c->FillRect(filled);
        break;
    case gkVerticalBar:
        filled = Rect(r.Left, r.Bottom - r.Height() * percent / 100, r.Right, r.Bottom);
        c->FillRect(filled);
        break;
    case gkPie:
    case gkNeedle:
        if (percent > 0) {
            double angle = 3.14159265358979 * 2 * percent / 100.0;
            int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
            c->Pie(r.Left, r.Top, r.Right, r.Bottom, cx + static_cast<int>(std::sin(angle) * r.Width()),
                   cy - static_cast<int>(std::cos(angle) * r.Height()), cx, r.Top);
        }
        break;
    case gkText: break;
    }
    if (!showText_) return;
    std::string text = std::to_string(percent) + "%";
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(*Font());
    int x = (r.Left + r.Right - c->TextWidth(text)) / 2, y = (r.Top + r.Bottom - c->TextHeight(text)) / 2;
    c->TextRect(r, x, y, text);
    // Over the filled part the text is drawn again in the back colour, so it
    // stays readable whatever the fore colour.
    if (filled.Right > filled.Left && filled.Bottom > filled.Top) {
        c->Font()->SetColor(backColor_);
        c->TextRect(filled, x, y, text);
    }
}

// ---------------------------------------------------------------- TTimer

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
    Application->Initialize();
    timer_ = std::make_unique<QTimer>();
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { guardedCall(this, [this] { Timer(); }); });
    update();
}

TTimer::~TTimer() { timer_->stop(); }

void TTimer::SetEnabled(bool Value) {
    enabled_ = Value;
    update();
}

void TTimer::SetInterval(unsigned Value) {
    interval_ = Value;
    update();
}

void TTimer::update() {
    if (enabled_ && interval_ > 0)
        timer_->start(static_cast<int>(interval_));
    else
        timer_->stop();
}

void TTimer::Timer() {
    if (OnTimer) OnTimer(this);
}
