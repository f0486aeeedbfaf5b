#include "reporting/project/DZCsDraw.h"

#include <cmath>
#include <mutex>

#include "base/SysUtils.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/RSBase.h"

namespace {
constexpr double kPointsPerInch = 72.0;
// Below this code the engine reads a width in ten-thousandths of an inch.
constexpr int kInchWidthBase = 10000;
}  // namespace

int DuzuPenWidth(double Width, TLineWidthType Type) {
    if (Type == wtPixels) return std::max(0, static_cast<int>(std::lround(Width)));
    long tenThousandths = std::lround(Width / kPointsPerInch * 10000.0);
    return -static_cast<int>(tenThousandths + kInchWidthBase);
}

void TDuzuGraphicBase::setPen(TBaseReport* Engine, TColor Color, TPenStyle Style, double Width,
                              TLineWidthType Type) const {
    if (Width == 0)
        Engine->SetPen(Color, psClear, 0, pmCopy);
    else
        Engine->SetPen(Color, Style, DuzuPenWidth(Width, Type), pmCopy);
}

TDuzuLine::TDuzuLine(TComponent* AOwner) : TDuzuGraphicBase(AOwner) {}

void TDuzuLine::PrintSelf(TBaseReport* Engine) {
    setPen(Engine, color_, lineStyle_, lineWidth_, lineWidthType_);
    double left = PageLeft(), top = PageTop(), right = PageRight(), bottom = PageBottom();
    if (nesw_) {
        Engine->MoveTo(left, bottom);
        Engine->LineTo(right, top);
    } else {
        Engine->MoveTo(left, top);
        Engine->LineTo(right, bottom);
    }
}

void TDuzuHLine::SetHeight(double Value) {
    (void)Value;
    TDuzuLine::SetHeight(0);
}

void TDuzuVLine::SetWidth(double Value) {
    (void)Value;
    TDuzuLine::SetWidth(0);
}

void TDuzuSurface::setPenAndBrush(TBaseReport* Engine) const {
    setPen(Engine, borderColor_, borderStyle_, borderWidth_, borderWidthType_);
    TBrushStyle style = fillStyle_ == fsNone ? bsClear : static_cast<TBrushStyle>(fillStyle_);
    Engine->SetBrush(fillColor_, style, nullptr);
}

void TDuzuRectangle::PrintSelf(TBaseReport* Engine) {
    setPenAndBrush(Engine);
    if (hRadius_ == 0 || vRadius_ == 0)
        Engine->Rectangle(PageLeft(), PageTop(), PageRight(), PageBottom());
    else
        Engine->RoundRect(PageLeft(), PageTop(), PageRight(), PageBottom(), 2 * hRadius_, 2 * vRadius_);
}

void TDuzuEllipse::PrintSelf(TBaseReport* Engine) {
    setPenAndBrush(Engine);
    Engine->Ellipse(PageLeft(), PageTop(), PageRight(), PageBottom());
}

namespace {

using namespace duzu_props;

const std::vector<std::string> kPenStyles = {"psSolid", "psDash", "psDot", "psDashDot",
                                             "psDashDotDot", "psClear", "psInsideFrame"};
const std::vector<std::string> kWidthTypes = {"wtPoints", "wtPixels"};

// A property that is always stored.
TDuzuPropInfo alwaysStored(TDuzuPropInfo Prop) {
    Prop.HasDefault = false;
    return Prop;
}

void registerDrawClasses() {
    RegisterDuzuClassInfo({"TDuzuGraphicBase", "TDuzuControl",
                           {integer<TDuzuGraphicBase>("Cursor", &TDuzuGraphicBase::Cursor,
                                                      &TDuzuGraphicBase::SetCursor, 0)},
                           {}});
    RegisterDuzuClassInfo(
        {"TDuzuLine", "TDuzuGraphicBase",
         {integer<TDuzuLine>("Color", &TDuzuLine::Color, &TDuzuLine::SetColor, 0),
          enumeration<TDuzuLine>("LineStyle", &TDuzuLine::LineStyle, &TDuzuLine::SetLineStyle, kPenStyles, psSolid),
          floating<TDuzuLine>("LineWidth", &TDuzuLine::LineWidth, &TDuzuLine::SetLineWidth),
          enumeration<TDuzuLine>("LineWidthType", &TDuzuLine::LineWidthType, &TDuzuLine::SetLineWidthType,
                                 kWidthTypes, wtPixels),
          alwaysStored(boolean<TDuzuLine>("NESW", &TDuzuLine::NESW, &TDuzuLine::SetNESW, false))},
         {}});
    RegisterDuzuClassInfo({"TDuzuHLine", "TDuzuLine", {}, {}});
    RegisterDuzuClassInfo({"TDuzuVLine", "TDuzuLine", {}, {}});
    RegisterDuzuClassInfo(
        {"TDuzuSurface", "TDuzuGraphicBase",
         {integer<TDuzuSurface>("BorderColor", &TDuzuSurface::BorderColor, &TDuzuSurface::SetBorderColor, 0),
          enumeration<TDuzuSurface>("BorderStyle", &TDuzuSurface::BorderStyle, &TDuzuSurface::SetBorderStyle,
                                    kPenStyles, psSolid),
          floating<TDuzuSurface>("BorderWidth", &TDuzuSurface::BorderWidth, &TDuzuSurface::SetBorderWidth),
          enumeration<TDuzuSurface>("BorderWidthType", &TDuzuSurface::BorderWidthType,
                                    &TDuzuSurface::SetBorderWidthType, kWidthTypes, wtPixels),
          integer<TDuzuSurface>("FillColor", &TDuzuSurface::FillColor, &TDuzuSurface::SetFillColor, 0xFFFFFF),
          alwaysStored(enumeration<TDuzuSurface>(
              "FillStyle", &TDuzuSurface::FillStyle, &TDuzuSurface::SetFillStyle,
              {"fsSolid", "fsClear", "fsHorizontal", "fsVertical", "fsFDiagonal", "fsBDiagonal", "fsCross",
               "fsDiagCross", "fsNone"},
              fsSolid))},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuRectangle", "TDuzuSurface",
         {floating<TDuzuRectangle>("HRadius", &TDuzuRectangle::HRadius, &TDuzuRectangle::SetHRadius),
          floating<TDuzuRectangle>("VRadius", &TDuzuRectangle::VRadius, &TDuzuRectangle::SetVRadius)},
         {}});
    RegisterDuzuClassInfo({"TDuzuSquare", "TDuzuRectangle", {}, {}});
    RegisterDuzuClassInfo({"TDuzuEllipse", "TDuzuSurface", {}, {}});
    RegisterDuzuClassInfo({"TDuzuCircle", "TDuzuEllipse", {}, {}});
    RegisterClasses<TDuzuLine, TDuzuHLine, TDuzuVLine, TDuzuRectangle, TDuzuSquare, TDuzuEllipse, TDuzuCircle>();
}

}  // namespace

void DuzuRegisterDrawClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterClasses();
        registerDrawClasses();
    });
}
