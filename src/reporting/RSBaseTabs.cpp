// TBaseReport: tab stops with their boxes and shading, the tab stack, and
// the columns of the print section.
#include "reporting/RSBase.h"
#include "reporting/ReportRounding.h"

void TBaseReport::resetTabState() {
    currentTab_ = -1;
    tabPending_ = false;
    tabFresh_ = tabs_ != nullptr;
}

void TBaseReport::SetTab(double Pos, TPrintJustify Justify, double Width, double Margin, std::uint8_t BoxLines,
                         std::uint8_t Shade) {
    if (!tabs_) {
        tabs_ = std::make_shared<TTabList>();
        tabFresh_ = true;
    }
    TTab stop;
    if (Pos < 0) {
        stop.Pos = tabs_->empty() ? leftEdge_ : tabs_->back().Pos + tabs_->back().Width;
    } else {
        stop.Pos = unitsToInch(Pos);
    }
    stop.Justify = Justify;
    if (Width > 0) {
        stop.Width = unitsToInch(Width);
        stop.Margin = Margin * 0.01;
        stop.LeftLine = (BoxLines & BOXLINELEFT) != 0;
        stop.RightLine = (BoxLines & BOXLINERIGHT) != 0;
        stop.TopLine = (BoxLines & BOXLINETOP) != 0;
        stop.BottomLine = (BoxLines & BOXLINEBOTTOM) != 0;
        stop.Shade = Shade;
    }
    tabs_->push_back(stop);
}

void TBaseReport::releaseTabList() { tabs_.reset(); }

void TBaseReport::ClearTabs() {
    releaseTabList();
    resetTabState();
}

const TTab* TBaseReport::GetTab(int N) const {
    if (!tabs_) return nullptr;
    if (N == 0) return currentTab_ >= 0 ? &(*tabs_)[currentTab_] : nullptr;
    if (N < 0 || N > static_cast<int>(tabs_->size())) return nullptr;
    return &(*tabs_)[N - 1];
}

double TBaseReport::TabWidth(int N) const {
    const TTab* stop = GetTab(N);
    return stop ? inchToUnits(stop->Width - 2 * stop->Margin) : 0;
}

bool TBaseReport::PushTabs() {
    if (!tabs_) return false;
    tabStack_.push_back(tabs_);
    return true;
}

bool TBaseReport::PopTabs() {
    if (tabStack_.empty()) return false;
    tabs_ = tabStack_.back();
    tabStack_.pop_back();
    resetTabState();
    return true;
}

// Nothing in the program fills the saved places, so this leaves the report
// without tab stops.
bool TBaseReport::RestoreTabs(int N) {
    if (N < 1 || N > 10) return false;
    tabs_ = savedTabs_[N - 1];
    resetTabState();
    return true;
}

void TBaseReport::SetColumns(int Count, double Between) {
    columns_ = Count < 1 ? 1 : Count;
    columnWidth_ = (sectionRight_ - sectionLeft_ + unitsToInch(Between)) / columns_;
    columnBetween_ = unitsToInch(Between);
    SetColumnNum(1);
    DoNewColumn();
}

void TBaseReport::ClearColumns() {
    columnWidth_ = sectionRight_ - sectionLeft_;
    columnBetween_ = 0;
    columns_ = 1;
    SetColumnNum(1);
}

int TBaseReport::boxPenWidth(int Width) const {
    if (Width >= 0) return Width;
    int pixels = roundToInt(-static_cast<double>(Width) * xdpi_ * scaleX_ * zoomFactor_ * 0.000001);
    return pixels == 0 ? 1 : pixels;
}

void TBaseReport::drawBoxLine(bool Flag, int Width, const TPen& SavedPen, double X, double Y, double DX,
                              double DY) {
    TPen* pen = GetCanvas()->Pen();
    if (Flag && Width == NA) {
        pen->Assign(SavedPen);
    } else if (Width != 0 && Width != NA) {
        pen->SetColor(clBlack);
        pen->SetStyle(psSolid);
        pen->SetWidth(boxPenWidth(Width));
        pen->SetMode(pmCopy);
    } else {
        return;
    }
    MoveTo(inchToUnits(X), inchToUnits(Y));
    LineTo(inchToUnits(X + DX), inchToUnits(Y + DY));
    pen->Assign(SavedPen);
}

void TBaseReport::Tab(int LeftWidth, int RightWidth, int TopWidth, int BottomWidth, int ShadeOverride) {
    outputGuard();
    if (OutputSuppressed()) return;
    if (currentTab_ >= 0) {
        currentTab_ = currentTab_ + 1 < static_cast<int>(tabs_->size()) ? currentTab_ + 1 : -1;
    } else if (tabs_ && tabFresh_) {
        currentTab_ = tabs_->empty() ? -1 : 0;
        tabFresh_ = false;
    }
    if (currentTab_ < 0) {
        tabPending_ = false;
        return;
    }
    const double offset = (columnNum_ - 1) * columnWidth_;
    tabPending_ = true;
    const TTab stop = (*tabs_)[currentTab_];
    if (!(stop.Width > 0)) return;

    const double left = stop.Pos + offset;
    const double lineTop = unitsToInch(LineTop());
    const double lineBottom = unitsToInch(LineBottom());
    int shade = ShadeOverride != NA ? ShadeOverride : stop.Shade > 0 ? stop.Shade : tabShade_ > 0 ? tabShade_ : 0;
    TCanvas* canvas = GetCanvas();
    if (shade > 0) {
        TBrush savedBrush;
        savedBrush.Assign(*canvas->Brush());
        TPen savedPen;
        savedPen.Assign(*canvas->Pen());
        TDeviceContext* dc = canvas->Handle();
        const int savedMode = dc ? dc->BkMode() : TRANSPARENT;
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(ShadeColor(clBlack, static_cast<std::uint8_t>(shade > 255 ? 255 : shade)));
        canvas->Pen()->SetStyle(psClear);
        canvas->Pen()->SetWidth(1);
        if (dc) dc->SetBkMode(OPAQUE);
        TabRectangle(inchToUnits(left), inchToUnits(lineTop), inchToUnits(left + stop.Width), inchToUnits(lineBottom));
        if (dc) dc->SetBkMode(savedMode);
        canvas->Brush()->Assign(savedBrush);
        canvas->Pen()->Assign(savedPen);
    }
    TPen savedPen;
    savedPen.Assign(*canvas->Pen());
    drawBoxLine(stop.LeftLine, LeftWidth, savedPen, left, lineBottom, 0, -lineHeight_);
    drawBoxLine(stop.RightLine, RightWidth, savedPen, left + stop.Width, lineTop, 0, lineHeight_);
    drawBoxLine(stop.TopLine, TopWidth, savedPen, left, lineTop, stop.Width, 0);
    drawBoxLine(stop.BottomLine, BottomWidth, savedPen, left + stop.Width, lineBottom, -stop.Width, 0);
}
