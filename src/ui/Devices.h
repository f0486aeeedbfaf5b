#pragma once
// The device layer that stands in for Windows device contexts and fonts:
// device capabilities, realised fonts that measure text the same on every
// machine, and a device context that draws with GDI semantics onto a Qt paint
// device (an image, a widget's painter, a PDF file or a system printer).
// Printers and their jobs build on it in PrinterDrivers.h; the canvas of
// Graphics.h draws through it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/Colors.h"
#include "ui/DrawAttributes.h"
#include "ui/Geometry.h"

class QFont;
class QImage;
class QPainter;
class QPainterPath;

// ---------------------------------------------------------------- capabilities

// GetDeviceCaps indexes.
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;

constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;

struct TDeviceCaps {
    int Technology = DT_RASDISPLAY;
    int LogPixelsX = 96;
    int LogPixelsY = 96;
    int HorzRes = 0;          // printable width, pixels
    int VertRes = 0;          // printable height, pixels
    int PhysicalWidth = 0;    // whole paper, pixels
    int PhysicalHeight = 0;
    int PhysicalOffsetX = 0;  // unprintable left border, pixels
    int PhysicalOffsetY = 0;  // unprintable top border, pixels
    int NumColors = -1;       // 2 for a black-and-white device, -1 for true colour
    int BitsPixel = 24;
    // False for vector output (PDF): drawing is smooth there; true devices get
    // exact pixels.
    bool Raster = true;
};

// ---------------------------------------------------------------- fonts

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr std::uint8_t DEFAULT_PITCH = 0;
constexpr std::uint8_t FIXED_PITCH = 1;
constexpr std::uint8_t VARIABLE_PITCH = 2;
// TTextMetric::PitchAndFamily bits; note that TMPF_FIXED_PITCH set means variable pitch.
constexpr std::uint8_t TMPF_FIXED_PITCH = 1;
constexpr std::uint8_t TMPF_VECTOR = 2;
constexpr std::uint8_t TMPF_TRUETYPE = 4;

struct TLogFont {
    int Height = 0;       // negative: character height; positive: cell height; 0: default
    int Width = 0;        // average character width; 0: the face's own
    int Escapement = 0;   // tenths of a degree, anticlockwise
    int Orientation = 0;
    int Weight = FW_NORMAL;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::uint8_t CharSet = DEFAULT_CHARSET;
    std::uint8_t PitchAndFamily = DEFAULT_PITCH;  // low two bits: the pitch
    std::string FaceName;
    bool operator==(const TLogFont&) const = default;
};

struct TTextMetric {
    int Height = 0;  // Ascent + Descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
    int Weight = FW_NORMAL;
    bool Italic = false;
    bool Underlined = false;
    bool StruckOut = false;
    std::uint8_t PitchAndFamily = 0;
    std::uint8_t CharSet = ANSI_CHARSET;
};

// The face a font name is drawn with: "Arial", "Times New Roman" and
// "Courier New" (and the old screen faces) map to the metric-compatible
// Liberation faces, so text measures the same on every machine.
std::string mapFaceName(const std::string& face);

// A realised font (a font handle). Measures are in device pixels and do not
// depend on the device, since the height is given in pixels.
class TDeviceFont {
public:
    explicit TDeviceFont(const TLogFont& logFont);
    ~TDeviceFont();
    const TLogFont& LogFont() const { return logFont_; }
    // The face actually used.
    std::string FaceName() const;
    TTextMetric Metrics() const { return metrics_; }
    // Advance width of one character and of a text (no kerning, as on Windows).
    int CharWidth(unsigned char c) const { return charWidths_[c]; }
    int TextWidth(const std::string& text) const;
    // The Qt font; `raster` selects the non-antialiased variant.
    const QFont& qtFont(bool raster) const;

private:
    TLogFont logFont_;
    std::unique_ptr<QFont> font_;
    std::unique_ptr<QFont> rasterFont_;
    TTextMetric metrics_;
    int charWidths_[256] = {};
    double advances_[256] = {};
};

using HFONT = std::shared_ptr<const TDeviceFont>;
HFONT CreateFontIndirect(const TLogFont& logFont);

// ---------------------------------------------------------------- device context

// DrawText formats.
constexpr unsigned DT_TOP = 0;
constexpr unsigned DT_LEFT = 0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;

// Escape codes answered by Escape.
constexpr int GETPHYSPAGESIZE = 12;
constexpr int GETPRINTINGOFFSET = 13;
constexpr int QUERYESCSUPPORT = 8;
constexpr int PASSTHROUGH = 19;

// A drawing surface with the attributes of a Windows device context. Without
// a painter (an information context, or a printer between pages) drawing does
// nothing while measuring works.
class TDeviceContext {
public:
    // Measuring only, with the given capabilities.
    explicit TDeviceContext(const TDeviceCaps& caps);
    // Draws through an active painter owned by someone else (a widget's paint
    // event); the capabilities give its resolution and size.
    TDeviceContext(QPainter* painter, const TDeviceCaps& caps);
    // Draws on an image it does not own; the painter is opened on first use.
    TDeviceContext(QImage* image, const TDeviceCaps& caps);
    virtual ~TDeviceContext();
    TDeviceContext(const TDeviceContext&) = delete;
    TDeviceContext& operator=(const TDeviceContext&) = delete;

    const TDeviceCaps& caps() const { return caps_; }
    int GetDeviceCaps(int index) const;
    // Answers QUERYESCSUPPORT (for the codes it knows), GETPHYSPAGESIZE and
    // GETPRINTINGOFFSET (into *out); PASSTHROUGH is not supported: raw printer
    // data has no path to a Qt printer. Returns 0 when unsupported.
    int Escape(int code, int query = 0, TPoint* out = nullptr) const;
    bool canDraw() const;
    // Ends an own painter on an image, so that the image can be read or
    // replaced; the next drawing opens it again.
    void releasePainter();

    // Drawing attributes.
    HFONT SelectFont(HFONT font);  // returns the font it replaces
    HFONT Font() const { return font_; }
    void SelectPen(TPenStyle style, int width, TColor color);
    void SelectBrush(TBrushStyle style, TColor color, const QImage* pattern = nullptr);
    TColor TextColor() const { return textColor_; }
    TColor SetTextColor(TColor c);
    TColor BkColor() const { return bkColor_; }
    TColor SetBkColor(TColor c);
    int BkMode() const { return bkMode_; }
    int SetBkMode(int mode);
    unsigned TextAlign() const { return textAlign_; }
    unsigned SetTextAlign(unsigned flags);
    TPenMode ROP2() const { return rop2_; }
    TPenMode SetROP2(TPenMode mode);

    TPoint CurrentPosition() const { return position_; }
    TPoint MoveTo(int x, int y);

    // Clipping in device coordinates; nullptr removes it.
    void SelectClipRect(const TRect* r);
    void IntersectClipRect(const TRect& r);
    // The clip rectangle, or the whole surface when none is set.
    TRect ClipBox() const;

    // GDI drawing: lines leave out their last pixel, rectangles and ellipses
    // exclude their right and bottom edges, a clear pen makes filled shapes
    // one pixel smaller.
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Ellipse(int x1, int y1, int x2, int y2);
    void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    // The brush over r, no pen.
    void FillRect(const TRect& r);
    // One-pixel frame in the brush colour.
    void FrameRect(const TRect& r);
    void InvertRect(const TRect& r);
    void DrawFocusRect(const TRect& r);
    TColor GetPixel(int x, int y) const;   // clNone outside or on non-image devices
    void SetPixel(int x, int y, TColor c);
    // Fills the area around (x, y): fsSurface while pixels have `color`,
    // fsBorder up to pixels of `color`. Image devices only.
    void FloodFill(int x, int y, TColor color, TFillStyle style);

    // Text with the text alignment, text colour, background mode and colour.
    void TextOut(int x, int y, const std::string& text);
    // ETO_OPAQUE fills rect with the background colour, ETO_CLIPPED clips to
    // it; dx gives each character's advance (may be empty).
    void ExtTextOut(int x, int y, unsigned options, const TRect* rect, const std::string& text,
                    const std::vector<int>& dx = {});
    // Formatted text in a rectangle: lines broken at line ends (and at blanks
    // with DT_WORDBREAK), aligned by the DT_ flags ("&x" underlines x unless
    // DT_NOPREFIX; vertical alignment needs DT_SINGLELINE). DT_CALCRECT only
    // measures, setting rect's Right and Bottom. Returns the text's height.
    int DrawText(const std::string& text, TRect& rect, unsigned format);
    TSize GetTextExtentPoint(const std::string& text) const;
    TTextMetric GetTextMetrics() const;
    // Advances of characters first..last.
    std::vector<int> GetCharWidth(int first, int last) const;

    // Copies src's rectangle stretched onto dest with a raster operation
    // (cmSrcCopy, cmSrcAnd, cmSrcPaint, cmSrcInvert, cmNotSrcCopy ...). From a
    // monochrome source, black takes this context's text colour and white its
    // background colour, as on Windows.
    void StretchBlt(const TRect& dest, const QImage& src, const TRect& srcRect, TCopyMode rop,
                    bool monochromeSource = false);
    // The pixels of a rectangle of an image device; an empty image otherwise.
    QImage copyImage(const TRect& r) const;
    // Moves the pixels of `scroll` by (dx, dy), within `clip` when given, on
    // an image device, and answers the band the move uncovered (to be
    // painted); an empty rectangle on other devices or when nothing moved.
    TRect ScrollDC(int dx, int dy, const TRect& scroll, const TRect* clip = nullptr);

    // For the owners of a drawing surface (bitmaps, printers).
    void setCaps(const TDeviceCaps& caps) { caps_ = caps; }

protected:
    // Set by printer contexts when a page opens and closes.
    void setPainter(QPainter* painter);
    void setImage(QImage* image);

private:
    QPainter* activePainter();
    void applyPen(QPainter* p) const;
    void applyBrush(QPainter* p) const;
    void applyROP(QPainter* p) const;
    bool penVisible() const;
    void strokeAndFill(QPainterPath& fillPath, QPainterPath& strokePath, bool fill);
    bool strokeVector(QPainter* p, const QPainterPath& strokePath, bool dashed);
    void drawText(QPainter* p, double x, double baseline, const std::string& text, const std::vector<int>& dx);
    int textWidth(const std::string& text, const std::vector<int>& dx) const;

    TDeviceCaps caps_;
    QPainter* painter_ = nullptr;        // current painter, own or external
    std::unique_ptr<QPainter> ownPainter_;
    QImage* image_ = nullptr;            // when drawing on an image

    HFONT font_;
    TPenStyle penStyle_ = psSolid;
    int penWidth_ = 1;
    TColor penColor_ = clBlack;
    TBrushStyle brushStyle_ = bsSolid;
    TColor brushColor_ = clWhite;
    std::unique_ptr<QImage> brushPattern_;
    TColor textColor_ = clBlack;
    TColor bkColor_ = clWhite;
    int bkMode_ = OPAQUE;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    TPenMode rop2_ = pmCopy;
    TPoint position_;
    bool clipped_ = false;
    TRect clip_;
};

// A white image with a resolution, for preview pages and tests.
class TImageDevice : public TDeviceContext {
public:
    // widthPixels x heightPixels at dpi; the whole image is printable.
    TImageDevice(int widthPixels, int heightPixels, int dpi);
    // An image laid out as a page of the given capabilities (physical size).
    explicit TImageDevice(const TDeviceCaps& caps);
    ~TImageDevice() override;
    const QImage& Image();
    bool SaveToFile(const std::string& fileName);

private:
    std::unique_ptr<QImage> pixels_;
};
