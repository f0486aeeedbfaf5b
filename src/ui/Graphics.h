#pragma once
// Pens, brushes, fonts, the canvas and the graphic objects of the visual
// class library (colours, geometry and drawing modes have headers of their own). The canvas draws through a device context (Devices.h)
// with the Windows semantics the program was written against: rectangles
// exclude their right and bottom edges, text is placed by the text alignment,
// and raster devices get exact pixels (no antialiasing).
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/Exceptions.h"
#include "ui/Colors.h"
#include "ui/DrawAttributes.h"
#include "ui/Geometry.h"

class QImage;
class TDeviceContext;
class TStream;

// ---------------------------------------------------------------- font styles

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

using TFontStyles = TSet<TFontStyle>;

enum TFontPitch { fpDefault, fpVariable, fpFixed };

// ---------------------------------------------------------------- graphics objects

class TGraphicsObject : public TPersistent {
public:
    // Called after every change of an attribute. A handler taking TObject*
    // fits as well.
    std::function<void(TGraphicsObject* Sender)> OnChange;

protected:
    void Changed();
    // Gives Field the new Value; a change fires Changed.
    template <class T>
    void change(T& Field, const T& Value) {
        if (Value == Field) return;
        Field = Value;
        Changed();
    }
};

class TFont : public TGraphicsObject {
public:
    TFont();
    void Assign(const TPersistent* Source) override;
    void Assign(const TFont& source);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& v);
    // Points at PixelsPerInch; stored as Height.
    int Size() const;
    void SetSize(int points);
    // Pixels; negative = character height, positive = cell height (with leading).
    int Height() const { return height_; }
    void SetHeight(int pixels);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch v);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset v);
    // Text angle in tenths of a degree, anticlockwise.
    int Orientation() const { return orientation_; }
    void SetOrientation(int tenthsOfDegree);
    // Resolution that Size is converted with (the canvas's device sets it).
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int v);

    bool operator==(const TFont& o) const;

private:
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TColor color_ = clWindowText;
    TFontStyles style_;
    TFontPitch pitch_ = fpDefault;
    TFontCharset charset_ = DEFAULT_CHARSET;
    int orientation_ = 0;
    int pixelsPerInch_ = 96;
};

class TPen : public TGraphicsObject {
public:
    void Assign(const TPersistent* Source) override;
    void Assign(const TPen& source);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    // Pixels; 0 and 1 both give one-pixel lines.
    int Width() const { return width_; }
    void SetWidth(int v);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle v);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode v);

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TBitmap;

class TBrush : public TGraphicsObject {
public:
    void Assign(const TPersistent* Source) override;
    void Assign(const TBrush& source);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle v);
    // A pattern bitmap; not owned. When set it replaces colour and style for fills.
    TBitmap* Bitmap() const { return bitmap_; }
    void SetBitmap(TBitmap* v);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    TBitmap* bitmap_ = nullptr;
};

// ---------------------------------------------------------------- canvas

class TGraphic;

class TCanvas : public TPersistent {
public:
    TCanvas();
    // A canvas over a device context it does not own.
    explicit TCanvas(TDeviceContext* dc);
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The device context drawn on; nullptr when none. Setting a new one keeps
    // the canvas's font, pen and brush, which are selected on the next use.
    TDeviceContext* Handle();
    void SetHandle(TDeviceContext* dc);
    bool HandleAllocated() const { return dc_ != nullptr; }

    TFont* Font() { return &font_; }
    void SetFont(const TFont& f) { font_.Assign(f); }
    TPen* Pen() { return &pen_; }
    void SetPen(const TPen& p) { pen_.Assign(p); }
    TBrush* Brush() { return &brush_; }
    void SetBrush(const TBrush& b) { brush_.Assign(b); }
    TCopyMode CopyMode() const { return copyMode_; }
    void SetCopyMode(TCopyMode v) { copyMode_ = v; }

    TPoint PenPos();
    void SetPenPos(TPoint p);
    // The device's clipping rectangle in canvas coordinates.
    TRect ClipRect();
    // Restricts drawing to r; ResetClip removes the restriction.
    void SetClipRect(const TRect& r);
    void ResetClip();

    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor c);

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    // The brush only, no pen.
    void FillRect(const TRect& r);
    // A one-pixel frame in the brush colour.
    void FrameRect(const TRect& r);
    // Dotted focus frame drawn by inversion; drawing it twice removes it.
    void DrawFocusRect(const TRect& r);
    void FloodFill(int x, int y, TColor color, TFillStyle style);

    // Text at (x, y) with the device's text alignment (SetTextAlign; default
    // left/top), on the brush colour when the brush is solid, else transparent;
    // the pen moves to the end of the text.
    void TextOut(int x, int y, const std::string& text);
    // Text at (x, y) clipped to r; r is filled with the brush unless bsClear.
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    TSize TextExtent(const std::string& text);
    // TA_* flags of the device context (held by the canvas while it has none).
    unsigned TextAlign();
    void SetTextAlign(unsigned flags);

    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    // Copies source's rectangle onto dest of this canvas with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
    // Copies source's rectangle, replacing the colour `color` with the brush.
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);

    // Re-selects font, pen and brush into the device on the next use.
    void Refresh();

    std::function<void(TCanvas* Sender)> OnChange;
    std::function<void(TCanvas* Sender)> OnChanging;

protected:
    // Descendants bound to a window or bitmap create the device context here
    // when Handle is asked for and none is set.
    virtual void CreateHandle() {}

private:
    // Puts the font, pen and brush into the device when they changed.
    TDeviceContext* requireDC();
    void selectFont(TDeviceContext* dc);
    void selectPen(TDeviceContext* dc);
    void selectBrush(TDeviceContext* dc);
    void changing();
    void changed();

    TDeviceContext* dc_ = nullptr;
    TFont font_;
    TPen pen_;
    TBrush brush_;
    TCopyMode copyMode_ = cmSrcCopy;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    bool fontValid_ = false;
    bool penValid_ = false;
    bool brushValid_ = false;
};

// A frame over R crossed from corner to corner, in the canvas's pen and
// brush: what stands in for a graphic that is missing.
void drawCrossedFrame(TCanvas* Canvas, const TRect& R);

// ---------------------------------------------------------------- graphics

QM_DECLARE_EXCEPTION(EInvalidGraphic, Exception)

class TGraphic : public TPersistent {
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // Throws EInvalidGraphic (base Exception) when the file is unreadable.
    virtual void LoadFromFile(const std::string& fileName) = 0;
    virtual void SaveToFile(const std::string& fileName) const = 0;
    // Paints the graphic stretched into r of the canvas.
    virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
    // The pixels as a Qt image (for the device layer and the ui widgets).
    virtual QImage toImage() const = 0;

    std::function<void(TGraphic* Sender)> OnChange;

protected:
    virtual void Changed();
};

// A device-independent bitmap of 24-bit colour (or 1-bit when Monochrome)
// that can be drawn on through its own canvas.
class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    void Assign(const TPersistent* Source) override;
    void Assign(const TBitmap& source);

    int Width() const override;
    int Height() const override;
    void SetWidth(int v);
    void SetHeight(int v);
    void SetSize(int width, int height);
    bool Empty() const override;
    // Black and white only; drawn elsewhere, black takes the destination's text
    // colour and white its background colour.
    bool Monochrome() const { return monochrome_; }
    void SetMonochrome(bool v);

    TCanvas* Canvas();
    // Windows BMP files (1, 4, 8, 24 and 32 bits per pixel, uncompressed and RLE);
    // saved as 24-bit (1-bit when Monochrome).
    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) const override;
    void loadFromBytes(const std::string& bmpBytes);
    std::string saveToBytes() const;
    // From the stream's position to its end; written at the stream's position.
    void LoadFromStream(TStream* stream);
    void SaveToStream(TStream* stream) const;
    void Draw(TCanvas* canvas, const TRect& r) override;
    QImage toImage() const override;
    void fromImage(const QImage& image);

    // For the device layer: the pixel store.
    QImage& Image();

private:
    void Changed() override;
    // Ends drawing through the canvas so the pixels can be read or replaced.
    void releaseCanvas() const;
    void resize(int width, int height);

    // The same QImage object lives as long as the bitmap, so the canvas's
    // device context can keep pointing at it across resizes and loads.
    std::unique_ptr<QImage> image_;
    std::unique_ptr<TDeviceContext> dc_;
    std::unique_ptr<TCanvas> canvas_;
    bool monochrome_ = false;
};

class TIcon : public TGraphic {
public:
    TIcon();
    ~TIcon() override;
    int Width() const override;
    int Height() const override;
    bool Empty() const override;
    // .ico files (the largest image) and any image format Qt reads.
    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) const override;
    void Draw(TCanvas* canvas, const TRect& r) override;
    QImage toImage() const override;
    void fromImage(const QImage& image);

private:
    std::unique_ptr<QImage> image_;
};

// Holds one graphic of any kind, chosen by the file extension on loading.
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> g);
    // The held bitmap; replaces another kind of graphic with an empty bitmap.
    TBitmap* Bitmap();
    TIcon* Icon();
    int Width() const;
    int Height() const;
    // ".bmp" loads a TBitmap, ".ico" a TIcon; other Qt-readable images load
    // into a TBitmap. Unknown or unreadable files raise EInvalidGraphic.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    void Assign(const TPersistent* Source) override;
    void Assign(const TPicture& source);

    std::function<void(TPicture* Sender)> OnChange;

private:
    void changed();
    std::unique_ptr<TGraphic> graphic_;
};
