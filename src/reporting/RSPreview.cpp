#include "reporting/RSPreview.h"

#include <algorithm>
#include <cmath>

#include "base/SysUtils.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/HourGlass.h"
#include "ui/SystemMetrics.h"

namespace {

const char* const ScrollBoxMessage = "ScrollBox must be assigned for FilePreview component";
const char* const MonochromeRefused1 = "Monochrome not allowed while shadows are in effect.";
const char* const MonochromeRefused2 = "Change ShadowDepth to 0 first";
const char* const ShadowRefused1 = "Shadows not allowed while monochrome in effect.";
const char* const ShadowRefused2 = "Change Monochrome to false first";

constexpr double MinimumZoom = 10;
constexpr double MaximumZoom = 200;
constexpr int RulerSpace = 20;
constexpr TColor RulerColor = RGB(255, 255, 128);
constexpr TColor RulerCornerColor = RGB(192, 192, 192);
constexpr double InchesPerMillimetre = 0.0393701;
constexpr int RulerLabelPoints = 7;

// Tick lengths of the rulers, in pixels: an inch has 8 ticks, a
// centimetre 10.
int inchTickLength(int Tick) {
    if (Tick % 8 == 0) return 18;
    if (Tick % 8 == 4) return 15;
    if (Tick % 2 == 0) return 10;
    return 5;
}

int centimetreTickLength(int Tick) {
    if (Tick % 10 == 0) return 18;
    if (Tick % 10 == 5) return 15;
    return 5;
}

bool horizontalRuler(TRulerType Type) {
    return Type == TRulerType::rtHorizCm || Type == TRulerType::rtBothCm || Type == TRulerType::rtHorizIn ||
           Type == TRulerType::rtBothIn;
}

bool verticalRuler(TRulerType Type) {
    return Type == TRulerType::rtVertCm || Type == TRulerType::rtBothCm || Type == TRulerType::rtVertIn ||
           Type == TRulerType::rtBothIn;
}

bool inchRuler(TRulerType Type) {
    return Type == TRulerType::rtHorizIn || Type == TRulerType::rtVertIn || Type == TRulerType::rtBothIn;
}

}  // namespace

TFilePreview::TFilePreview(TComponent* AOwner) : TFilePrinter(AOwner) {
    // The page image is owned by the scroll box's form, which is going.
    scrollBox_.OnClear = [this] { image_ = nullptr; };
}

TFilePreview::~TFilePreview() {
    if (Running()) {
        try {
            Finish();
        } catch (const Exception&) {
        }
    }
    scrollBox_.set(nullptr);
}

void TFilePreview::SetScrollBox(TScrollBox* Value) {
    if (scrollBox_ != Value) scrollBox_.set(Value);
}

void TFilePreview::Notification(TComponent* AComponent, TOperation Operation) {
    TFilePrinter::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == image_) image_ = nullptr;
}

// ---------------------------------------------------------------- properties

void TFilePreview::SetZoomFactor(double Value) {
    double zoom = Value;
    if (Value <= -1.9) zoom = ZoomPageWidthFactor();
    else if (Value < 0) zoom = ZoomPageFactor();
    zoom = std::clamp(zoom, MinimumZoom, MaximumZoom);
    TFilePrinter::SetZoomFactor(zoom);
    DoZoomChange();
}

void TFilePreview::SetMonochrome(bool Value) {
    if (Value && shadowDepth_ > 0) {
        ShowMessage(throughMessageHook(MonochromeRefused1) + "\r" + throughMessageHook(MonochromeRefused2));
        return;
    }
    monochrome_ = Value;
}

void TFilePreview::SetShadowDepth(int Value) {
    if (Value > 0 && monochrome_) {
        ShowMessage(throughMessageHook(ShadowRefused1) + "\r" + throughMessageHook(ShadowRefused2));
        return;
    }
    shadowDepth_ = std::max(Value, 0);
}

void TFilePreview::DoZoomChange() {
    if (OnZoomChange) OnZoomChange(this);
    else if (Running()) RedrawPage();
}

void TFilePreview::DoPageChange() {
    if (OnPageChange) OnPageChange(this);
}

TCanvas* TFilePreview::GetCanvas() {
    if (!pageBitmap_) pageBitmap_ = std::make_unique<TBitmap>(1, 1);
    return pageBitmap_->Canvas();
}

// ---------------------------------------------------------------- zoom fits

double TFilePreview::pagePixelsWide() const { return XDPI() * FilePageWidth(); }

double TFilePreview::pagePixelsHigh() const { return YDPI() * FilePageHeight(); }

int TFilePreview::marginPixels(double Zoom) const {
    const int m = static_cast<int>(std::lround(pagePixelsWide() * marginPercent_ / 100.0));
    return marginMethod_ == mmScaled ? static_cast<int>(std::lround(m * Zoom / 100.0)) : m;
}

void TFilePreview::updateRulerSpace() {
    vRulerSpace_ = verticalRuler(rulerType_) ? RulerSpace : 0;
    hRulerSpace_ = horizontalRuler(rulerType_) ? RulerSpace : 0;
}

double TFilePreview::ZoomPageWidthFactor() {
    if (!scrollBox_) return ZoomFactor();
    measureScrollBox();
    updateRulerSpace();
    const double p = pagePixelsWide();
    const double h = scrollBox_->ClientHeight() - shadowDepth_ - hRulerSpace_;
    const double fixedMargin = std::lround(p * marginPercent_ / 100.0);
    auto fit = [&](double width) {
        if (marginMethod_ == mmScaled) return (width - borderWidth_) / (p * (1 + 0.02 * marginPercent_));
        return (width - borderWidth_ - 2 * fixedMargin) / p;
    };
    double w = scrollBox_->ClientWidth() - shadowDepth_ - vRulerSpace_;
    double z = fit(w);
    const double margin = marginMethod_ == mmScaled ? p * z * marginPercent_ / 100.0 : fixedMargin;
    // Too tall for the box: the vertical scroll bar takes its width too.
    if (pagePixelsHigh() * z + 2 * margin > h - borderHeight_) z = fit(w - scrollBarWidth_);
    return z * 100.0;
}

double TFilePreview::ZoomPageFactor() {
    if (!scrollBox_) return ZoomFactor();
    measureScrollBox();
    updateRulerSpace();
    const double p = pagePixelsWide();
    const double w = scrollBox_->ClientWidth() - shadowDepth_ - vRulerSpace_;
    const double h = scrollBox_->ClientHeight() - shadowDepth_ - hRulerSpace_;
    double zx, zy;
    if (marginMethod_ == mmScaled) {
        zx = (w - 4) / (p * (1 + 0.02 * marginPercent_));
        zy = (h - 4) / (pagePixelsHigh() + p * marginPercent_ * 0.02);
    } else {
        const double m = std::lround(p * marginPercent_ / 100.0);
        zx = (w - 4 - 2 * m) / p;
        zy = (h - 4 - 2 * m) / pagePixelsHigh();
    }
    return 100.0 * std::min(zx, zy);
}

void TFilePreview::ZoomIn() { SetZoomFactor(ZoomFactor() + zoomInc_); }

void TFilePreview::ZoomOut() { SetZoomFactor(ZoomFactor() - zoomInc_); }

// ---------------------------------------------------------------- the run

void TFilePreview::measureScrollBox() {
    scrollBarWidth_ = GetSystemMetrics(SM_CXVSCROLL);
    scrollBarHeight_ = GetSystemMetrics(SM_CYHSCROLL);
    borderWidth_ = std::max(0, scrollBox_->Width() - scrollBox_->ClientWidth());
    borderHeight_ = std::max(0, scrollBox_->Height() - scrollBox_->ClientHeight());
    // A scroll bar already shown is part of the difference, not of the border.
    if (scrollBox_->VertScrollBar()->Visible()) borderWidth_ = std::max(0, borderWidth_ - scrollBarWidth_);
    if (scrollBox_->HorzScrollBar()->Visible()) borderHeight_ = std::max(0, borderHeight_ - scrollBarHeight_);
}

void TFilePreview::Start() {
    if (Running()) return;
    if (!scrollBox_) RaiseReportError(throughMessageHook(ScrollBoxMessage));
    setStartDateTime(Now());
    DoZoomChange();
    measureScrollBox();
    pageBitmap_ = std::make_unique<TBitmap>(1, 1);
    if (image_) {
        TImage* old = image_;
        image_ = nullptr;
        delete old;
    }
    image_ = new TImage(scrollBox_->Owner());
    image_->FreeNotification(this);
    image_->SetParent(scrollBox_);
    image_->SetBounds(0, 0, 100, 100);
    setDeviceOffset(0, 0);
    setResolution(Screen->PixelsPerInch(), Screen->PixelsPerInch());
    if (!openInput()) return;
    try {
        readHeader();
        resetPageLinks();
        SetTotalPages(PageCount());
        setPrinting(true);
        setAborted(false);
        PlayPage(1);
    } catch (...) {
        setPrinting(false);
        closeInput();
        throw;
    }
}

void TFilePreview::Finish() {
    setPrinting(false);
    releaseBrushBitmap();
    FreeFontCache();
    pageBitmap_.reset();
    closeInput();
}

void TFilePreview::NextPage() {
    if (Running() && CurrentPage() < PageCount()) PlayPage(std::min(CurrentPage() + pageInc_, PageCount()));
}

void TFilePreview::PrevPage() {
    if (Running() && CurrentPage() > 1) PlayPage(std::max(CurrentPage() - pageInc_, 1));
}

void TFilePreview::RedrawPage() {
    if (Running()) PlayPage(CurrentPage());
}

void TFilePreview::PlayPage(int PageNum) {
    if (!Running()) return;
    if (monochrome_) shadowDepth_ = 0;
    updateRulerSpace();
    setDeviceOffset(vRulerSpace_, hRulerSpace_);
    THourGlass hourGlass;
    const int page = std::clamp(PageNum, 1, std::max(PageCount(), 1));
    SeekPage(page);
    setCurrentPage(seekedPage());
    DoPageChange();
    int horizontalPosition = 0, verticalPosition = 0;
    if (scrollBox_) {
        horizontalPosition = scrollBox_->HorzScrollBar()->Position();
        verticalPosition = scrollBox_->VertScrollBar()->Position();
        scrollBox_->HorzScrollBar()->SetPosition(0);
        scrollBox_->VertScrollBar()->SetPosition(0);
    }

    const double zoom = ZoomFactor();
    const int margin = marginPixels(zoom);
    const int pageWidth = static_cast<int>(std::lround(pagePixelsWide() * zoom / 100.0));
    const int pageHeight = static_cast<int>(std::lround(pagePixelsHigh() * zoom / 100.0));
    const int width = pageWidth + shadowDepth_ + vRulerSpace_;
    const int height = pageHeight + shadowDepth_ + hRulerSpace_;

    // A painter cannot draw on a 1-bit image: the page is painted in colour
    // and made monochrome once it is finished.
    releaseBrushBitmap();
    FreeFontCache();
    pageBitmap_ = std::make_unique<TBitmap>(width, height);
    paintBackground(width, height);
    paintRulers(width, height);
    TCanvas* canvas = GetCanvas();
    canvas->Pen()->SetColor(clBlack);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetMode(pmCopy);
    canvas->Brush()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Rectangle(vRulerSpace_, hRulerSpace_, width - shadowDepth_, height - shadowDepth_);
    paintGrid(width - shadowDepth_, height - shadowDepth_);

    std::exception_ptr failure;
    HookFont();
    try {
        SetFontState(GetFontState());
        ResetPrintState();
        SetDirectLines(true);
        setPageSkipped(false);
        TFilePrinter::PlayPage(page);
    } catch (...) {
        failure = std::current_exception();
    }
    releaseBrushBitmap();
    FreeFontCache();
    UnhookFont();
    if (monochrome_) pageBitmap_->SetMonochrome(true);
    showBitmap(margin);
    if (scrollBox_) {
        scrollBox_->HorzScrollBar()->SetPosition(horizontalPosition);
        scrollBox_->VertScrollBar()->SetPosition(verticalPosition);
    }
    if (failure) std::rethrow_exception(failure);
}

// ---------------------------------------------------------------- painting

void TFilePreview::paintBackground(int Width, int Height) {
    if (shadowDepth_ <= 0) return;
    TCanvas* canvas = GetCanvas();
    const int d = shadowDepth_;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(scrollBox_ ? scrollBox_->Color() : clBtnFace);
    canvas->FillRect(Rect(Width - d, 0, Width, d));
    canvas->FillRect(Rect(0, Height - d, d, Height));
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(Rect(Width - d, d, Width, Height));
    canvas->FillRect(Rect(d, Height - d, Width, Height));
}

void TFilePreview::paintRulers(int Width, int Height) {
    if (vRulerSpace_ == 0 && hRulerSpace_ == 0) return;
    TCanvas* canvas = GetCanvas();
    const int right = Width - shadowDepth_;
    const int bottom = Height - shadowDepth_;
    canvas->Brush()->SetStyle(bsSolid);
    if (vRulerSpace_ > 0 && hRulerSpace_ > 0) {
        canvas->Brush()->SetColor(RulerCornerColor);
        canvas->FillRect(Rect(0, 0, vRulerSpace_, hRulerSpace_));
    }
    canvas->Pen()->SetColor(clBlack);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetMode(pmCopy);
    canvas->Brush()->SetColor(RulerColor);
    if (hRulerSpace_ > 0) canvas->Rectangle(vRulerSpace_, 0, right, hRulerSpace_);
    if (vRulerSpace_ > 0) canvas->Rectangle(0, hRulerSpace_, vRulerSpace_, bottom);

    canvas->Font()->SetName("Arial");
    canvas->Font()->SetSize(RulerLabelPoints);
    canvas->Font()->SetColor(clBlack);
    canvas->Font()->SetStyle({});
    canvas->Brush()->SetStyle(bsClear);
    if (hRulerSpace_ > 0) paintRuler(true, right - vRulerSpace_);
    if (vRulerSpace_ > 0) paintRuler(false, bottom - hRulerSpace_);
    canvas->Brush()->SetStyle(bsSolid);
}

void TFilePreview::paintRuler(bool Horizontal, int Length) {
    TCanvas* canvas = GetCanvas();
    const bool inches = inchRuler(rulerType_);
    const int ppi = Horizontal ? XDPI() : YDPI();
    const double step = inches ? ppi * ZoomFactor() / 100.0 / 8.0 : ppi * ZoomFactor() / 100.0 * InchesPerMillimetre;
    const int perLabel = inches ? 8 : 10;
    // Positions accumulate as floating values, each rounded on its own.
    double at = step;
    for (int tick = 1; std::lround(at) < Length; ++tick, at += step) {
        const int offset = static_cast<int>(std::lround(at));
        const int length = inches ? inchTickLength(tick) : centimetreTickLength(tick);
        if (Horizontal) {
            const int x = vRulerSpace_ + offset;
            canvas->MoveTo(x, hRulerSpace_ - 1);
            canvas->LineTo(x, hRulerSpace_ - 1 - length);
        } else {
            const int y = hRulerSpace_ + offset;
            canvas->MoveTo(vRulerSpace_ - 1, y);
            canvas->LineTo(vRulerSpace_ - 1 - length, y);
        }
        if (tick % perLabel != 0) continue;
        const std::string label = IntToStr(tick / perLabel).substr(0, 3);
        if (Horizontal) canvas->TextOut(vRulerSpace_ + offset - canvas->TextWidth(label) - 1, 0, label);
        else canvas->TextOut(2, hRulerSpace_ + offset - canvas->TextHeight(label) - 1, label);
    }
}

void TFilePreview::paintGrid(int PageRight, int PageBottom) {
    TCanvas* canvas = GetCanvas();
    canvas->Pen()->Assign(gridPen_);
    const double scale = ZoomFactor() / 100.0;
    if (gridHoriz_ > 0) {
        const double step = gridHoriz_ * YDPI() * scale;
        for (double y = hRulerSpace_ + step; std::lround(y) < PageBottom; y += step) {
            canvas->MoveTo(vRulerSpace_, static_cast<int>(std::lround(y)));
            canvas->LineTo(PageRight, static_cast<int>(std::lround(y)));
        }
    }
    if (gridVert_ > 0) {
        const double step = gridVert_ * XDPI() * scale;
        for (double x = vRulerSpace_ + step; std::lround(x) < PageRight; x += step) {
            canvas->MoveTo(static_cast<int>(std::lround(x)), hRulerSpace_);
            canvas->LineTo(static_cast<int>(std::lround(x)), PageBottom);
        }
    }
}

void TFilePreview::showBitmap(int Margin) {
    if (!image_) return;
    image_->Picture()->Bitmap()->Assign(*pageBitmap_);
    // The scroll box reaches as far as its children: the image runs a margin
    // past the page (drawn at its top left), so the page has a margin on
    // every side.
    image_->SetBounds(Margin, Margin, pageBitmap_->Width() + Margin, pageBitmap_->Height() + Margin);
}
