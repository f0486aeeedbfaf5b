#pragma once
// The drawing components of report projects: lines (held horizontal or
// vertical, or across their box in either diagonal), rectangles with
// optional rounded corners, squares, ellipses and circles. Each draws with
// the running engine's pen and brush when its page or band prints. A pen
// width of 0 is a clear pen; point widths reach the engine in inches.
#include "reporting/project/DZClass.h"
#include "ui/DrawAttributes.h"

enum TLineWidthType { wtPoints, wtPixels };
enum TDuzuFillStyle {
    fsSolid, fsClear, fsHorizontal, fsVertical, fsFDiagonal, fsBDiagonal, fsCross, fsDiagCross, fsNone
};

// The engine's pen width code for a width of that type (see TBaseReport::SetPen).
int DuzuPenWidth(double Width, TLineWidthType Type);

class TDuzuGraphicBase : public TDuzuControl {
public:
    using TDuzuControl::TDuzuControl;
    int Cursor() const { return cursor_; }
    void SetCursor(int Value) { cursor_ = Value; }

protected:
    void setPen(TBaseReport* Engine, TColor Color, TPenStyle Style, double Width, TLineWidthType Type) const;

private:
    int cursor_ = 0;
};

class TDuzuLine : public TDuzuGraphicBase {
public:
    explicit TDuzuLine(TComponent* AOwner);
    TColor Color() const { return color_; }
    void SetColor(TColor Value) { color_ = Value; }
    TPenStyle LineStyle() const { return lineStyle_; }
    void SetLineStyle(TPenStyle Value) { lineStyle_ = Value; }
    double LineWidth() const { return lineWidth_; }
    void SetLineWidth(double Value) { lineWidth_ = Value; }
    TLineWidthType LineWidthType() const { return lineWidthType_; }
    void SetLineWidthType(TLineWidthType Value) { lineWidthType_ = Value; }
    bool NESW() const { return nesw_; }
    void SetNESW(bool Value) { nesw_ = Value; }

    void PrintSelf(TBaseReport* Engine) override;

private:
    TColor color_ = 0;
    TPenStyle lineStyle_ = psSolid;
    double lineWidth_ = 1;
    TLineWidthType lineWidthType_ = wtPixels;
    bool nesw_ = false;
};

// A line that keeps its height 0.
class TDuzuHLine : public TDuzuLine {
public:
    using TDuzuLine::TDuzuLine;
    void SetHeight(double Value) override;
};

// A line that keeps its width 0.
class TDuzuVLine : public TDuzuLine {
public:
    using TDuzuLine::TDuzuLine;
    void SetWidth(double Value) override;
};

class TDuzuSurface : public TDuzuGraphicBase {
public:
    using TDuzuGraphicBase::TDuzuGraphicBase;
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor Value) { borderColor_ = Value; }
    TPenStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TPenStyle Value) { borderStyle_ = Value; }
    double BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(double Value) { borderWidth_ = Value; }
    TLineWidthType BorderWidthType() const { return borderWidthType_; }
    void SetBorderWidthType(TLineWidthType Value) { borderWidthType_ = Value; }
    TColor FillColor() const { return fillColor_; }
    void SetFillColor(TColor Value) { fillColor_ = Value; }
    TDuzuFillStyle FillStyle() const { return fillStyle_; }
    void SetFillStyle(TDuzuFillStyle Value) { fillStyle_ = Value; }

protected:
    void setPenAndBrush(TBaseReport* Engine) const;

private:
    TColor borderColor_ = 0;
    TPenStyle borderStyle_ = psSolid;
    double borderWidth_ = 1;
    TLineWidthType borderWidthType_ = wtPixels;
    TColor fillColor_ = 0xFFFFFF;
    TDuzuFillStyle fillStyle_ = fsSolid;
};

class TDuzuRectangle : public TDuzuSurface {
public:
    using TDuzuSurface::TDuzuSurface;
    double HRadius() const { return hRadius_; }
    void SetHRadius(double Value) { hRadius_ = Value; }
    double VRadius() const { return vRadius_; }
    void SetVRadius(double Value) { vRadius_ = Value; }
    // Rounded corners only when both radii are set.
    void PrintSelf(TBaseReport* Engine) override;

private:
    double hRadius_ = 0, vRadius_ = 0;
};

// A Shape whose width and height stay equal: setting one sets both.
template <class Shape>
class TDuzuEqualSides : public Shape {
public:
    using Shape::Shape;
    void SetWidth(double Value) override {
        Shape::SetWidth(Value);
        Shape::SetHeight(Value);
    }
    void SetHeight(double Value) override {
        Shape::SetHeight(Value);
        Shape::SetWidth(Value);
    }
};

class TDuzuSquare : public TDuzuEqualSides<TDuzuRectangle> {
public:
    using TDuzuEqualSides::TDuzuEqualSides;
};

class TDuzuEllipse : public TDuzuSurface {
public:
    using TDuzuSurface::TDuzuSurface;
    void PrintSelf(TBaseReport* Engine) override;
};

class TDuzuCircle : public TDuzuEqualSides<TDuzuEllipse> {
public:
    using TDuzuEqualSides::TDuzuEqualSides;
};

void DuzuRegisterDrawClasses();
