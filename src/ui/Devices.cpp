#include "ui/Devices.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <deque>
#include <map>
#include <utility>

#include "ui/Text1252.h"

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

QColor qcolor(TColor c) { return tColorToQColor(c); }

// Fractional pixel-centre coordinate of pixel p.
double centre(int p) { return p + 0.5; }

}  // namespace

// ---------------------------------------------------------------- fonts

std::string mapFaceName(const std::string& face) {
    static const struct {
        const char* windows;
        const char* here;
    } kFaces[] = {
        {"ARIAL", "Liberation Sans"},
        {"TIMES NEW ROMAN", "Liberation Serif"},
        {"COURIER NEW", "Liberation Mono"},
        // The old screen faces of dialogs and controls.
        {"MS SANS SERIF", "Liberation Sans"},
        {"MS SERIF", "Liberation Serif"},
        {"SYSTEM", "Liberation Sans"},
        {"SMALL FONTS", "Liberation Sans"},
        {"COURIER", "Liberation Mono"},
        // The OCR face of the claim form facsimile: any fixed pitch keeps its columns.
        {"OCR B MT", "Liberation Mono"},
        {"", "Liberation Sans"},
    };
    std::string key = upper(face);
    for (const auto& f : kFaces)
        if (key == f.windows) return f.here;
    return face;
}

TDeviceFont::TDeviceFont(const TLogFont& logFont) : logFont_(logFont) {
    QFont f(QString::fromStdString(mapFaceName(logFont.FaceName)));
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferNoHinting);
    int weight = logFont.Weight <= 0 ? FW_NORMAL : std::clamp(logFont.Weight, 1, 1000);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(logFont.Italic);
    f.setUnderline(logFont.Underline);
    f.setStrikeOut(logFont.StrikeOut);
    if ((logFont.PitchAndFamily & 3) == FIXED_PITCH) {
        f.setFixedPitch(true);
        f.setStyleHint(QFont::TypeWriter);
    }

    // Windows reads a positive height as the cell (ascent + descent) and a
    // negative one as the character height; Qt's pixel size is the latter.
    int cell = logFont.Height == 0 ? 16 : logFont.Height;
    int em = -cell;
    if (cell > 0) {
        QFont probe(f);
        probe.setPixelSize(1000);
        QFontMetricsF pm(probe);
        double ratio = (pm.ascent() + pm.descent()) / 1000.0;
        em = std::max(1, static_cast<int>(std::lround(cell / (ratio > 0 ? ratio : 1.0))));
    }
    f.setPixelSize(std::max(1, em));
    if (logFont.Width > 0) {
        double natural = QFontMetricsF(f).averageCharWidth();
        if (natural > 0)
            f.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * logFont.Width / natural)), 1, 4000));
    }
    font_ = std::make_unique<QFont>(f);
    rasterFont_ = std::make_unique<QFont>(f);
    rasterFont_->setStyleStrategy(QFont::NoAntialias);

    QFontMetricsF fm(*font_);
    metrics_.Ascent = static_cast<int>(std::lround(fm.ascent()));
    metrics_.Descent = static_cast<int>(std::lround(fm.descent()));
    metrics_.Height = metrics_.Ascent + metrics_.Descent;
    metrics_.InternalLeading = std::max(0, metrics_.Height - f.pixelSize());
    metrics_.ExternalLeading = std::max(0, static_cast<int>(std::lround(fm.leading())));
    metrics_.AveCharWidth = static_cast<int>(std::lround(fm.averageCharWidth()));
    metrics_.MaxCharWidth = static_cast<int>(std::lround(fm.maxWidth()));
    metrics_.Weight = weight;
    metrics_.Italic = logFont.Italic;
    metrics_.Underlined = logFont.Underline;
    metrics_.StruckOut = logFont.StrikeOut;
    bool fixed = QFontInfo(f).fixedPitch();
    metrics_.PitchAndFamily = static_cast<std::uint8_t>(TMPF_TRUETYPE | TMPF_VECTOR | (fixed ? 0 : TMPF_FIXED_PITCH));
    metrics_.CharSet = ANSI_CHARSET;
    for (int c = 0; c < 256; ++c) {
        advances_[c] = fm.horizontalAdvance(charToQChar(static_cast<unsigned char>(c)));
        charWidths_[c] = static_cast<int>(std::lround(advances_[c]));
    }
}

TDeviceFont::~TDeviceFont() = default;

std::string TDeviceFont::FaceName() const { return QFontInfo(*font_).family().toStdString(); }

int TDeviceFont::TextWidth(const std::string& text) const {
    double w = 0;
    for (char c : text) w += advances_[static_cast<unsigned char>(c)];
    return static_cast<int>(std::lround(w));
}

const QFont& TDeviceFont::qtFont(bool raster) const { return raster ? *rasterFont_ : *font_; }

namespace {

std::string fontKey(const TLogFont& lf) {
    return std::to_string(lf.Height) + "," + std::to_string(lf.Width) + "," + std::to_string(lf.Escapement) + "," +
           std::to_string(lf.Weight) + "," + std::to_string(lf.Italic) + std::to_string(lf.Underline) +
           std::to_string(lf.StrikeOut) + "," + std::to_string(lf.CharSet) + "," +
           std::to_string(lf.PitchAndFamily) + "," + upper(lf.FaceName);
}

}  // namespace

// Canvases select a font again after every change (a grid switches between its
// title and cell fonts for each cell); realised fonts are kept for reuse.
HFONT CreateFontIndirect(const TLogFont& logFont) {
    static std::map<std::string, HFONT> cache;
    std::string key = fontKey(logFont);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    if (cache.size() >= 256) cache.clear();
    HFONT font = std::make_shared<const TDeviceFont>(logFont);
    cache.emplace(key, font);
    return font;
}

namespace {

// The font a context uses before one is selected.
HFONT defaultFont() {
    static HFONT font = [] {
        TLogFont lf;
        lf.FaceName = "MS Sans Serif";
        lf.Height = -11;
        return CreateFontIndirect(lf);
    }();
    return font;
}

}  // namespace

// ---------------------------------------------------------------- device context

TDeviceContext::TDeviceContext(const TDeviceCaps& caps) : caps_(caps) {}

TDeviceContext::TDeviceContext(QPainter* painter, const TDeviceCaps& caps)
    : caps_(caps), painter_(painter) {}

TDeviceContext::TDeviceContext(QImage* image, const TDeviceCaps& caps) : caps_(caps), image_(image) {}

TDeviceContext::~TDeviceContext() { releasePainter(); }

int TDeviceContext::GetDeviceCaps(int index) const {
    switch (index) {
    case TECHNOLOGY: return caps_.Technology;
    case HORZSIZE: return static_cast<int>(std::lround(caps_.HorzRes * 25.4 / caps_.LogPixelsX));
    case VERTSIZE: return static_cast<int>(std::lround(caps_.VertRes * 25.4 / caps_.LogPixelsY));
    case HORZRES: return caps_.HorzRes;
    case VERTRES: return caps_.VertRes;
    case BITSPIXEL: return caps_.BitsPixel;
    case PLANES: return 1;
    case NUMCOLORS: return caps_.NumColors;
    case LOGPIXELSX: return caps_.LogPixelsX;
    case LOGPIXELSY: return caps_.LogPixelsY;
    case PHYSICALWIDTH: return caps_.PhysicalWidth;
    case PHYSICALHEIGHT: return caps_.PhysicalHeight;
    case PHYSICALOFFSETX: return caps_.PhysicalOffsetX;
    case PHYSICALOFFSETY: return caps_.PhysicalOffsetY;
    default: return 0;
    }
}

int TDeviceContext::Escape(int code, int query, TPoint* out) const {
    switch (code) {
    case QUERYESCSUPPORT:
        return query == QUERYESCSUPPORT || query == GETPHYSPAGESIZE || query == GETPRINTINGOFFSET ? 1 : 0;
    case GETPHYSPAGESIZE:
        if (out) *out = {caps_.PhysicalWidth, caps_.PhysicalHeight};
        return 1;
    case GETPRINTINGOFFSET:
        if (out) *out = {caps_.PhysicalOffsetX, caps_.PhysicalOffsetY};
        return 1;
    default: return 0;
    }
}

bool TDeviceContext::canDraw() const { return image_ != nullptr || (painter_ && painter_->isActive()); }

void TDeviceContext::releasePainter() {
    if (ownPainter_) {
        if (painter_ == ownPainter_.get()) painter_ = nullptr;
        ownPainter_.reset();
    }
}

void TDeviceContext::setPainter(QPainter* painter) { painter_ = painter; }

void TDeviceContext::setImage(QImage* image) {
    releasePainter();
    image_ = image;
}

QPainter* TDeviceContext::activePainter() {
    if (!painter_ && image_) {
        ownPainter_ = std::make_unique<QPainter>(image_);
        painter_ = ownPainter_.get();
    }
    if (!painter_ || !painter_->isActive()) return nullptr;
    QPainter* p = painter_;
    // Only what differs is set: every change costs vector output a state block.
    const QPainter::RenderHints hints = caps_.Raster ? QPainter::RenderHints()
                                                     : QPainter::Antialiasing | QPainter::TextAntialiasing;
    const QPainter::RenderHints kept =
        QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform;
    if ((p->renderHints() & kept) != hints) {
        p->setRenderHints(kept, false);
        if (hints) p->setRenderHints(hints, true);
    }
    if (p->compositionMode() != QPainter::CompositionMode_SourceOver)
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const Qt::BGMode mode = bkMode_ == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode;
    if (p->backgroundMode() != mode) p->setBackgroundMode(mode);
    const QColor background = qcolor(bkColor_);
    if (p->background().color() != background || p->background().style() != Qt::SolidPattern)
        p->setBackground(background);
    if (clipped_)
        p->setClipRect(QRect(clip_.Left, clip_.Top, clip_.Width(), clip_.Height()));
    else if (p->hasClipping())
        p->setClipping(false);
    return p;
}

HFONT TDeviceContext::SelectFont(HFONT font) {
    HFONT old = font_;
    font_ = std::move(font);
    return old;
}

void TDeviceContext::SelectPen(TPenStyle style, int width, TColor color) {
    penStyle_ = style;
    penWidth_ = std::max(1, width);
    penColor_ = color;
}

void TDeviceContext::SelectBrush(TBrushStyle style, TColor color, const QImage* pattern) {
    brushStyle_ = style;
    brushColor_ = color;
    if (pattern && !pattern->isNull())
        brushPattern_ = std::make_unique<QImage>(pattern->convertToFormat(QImage::Format_RGB32));
    else
        brushPattern_.reset();
}

TColor TDeviceContext::SetTextColor(TColor c) { return std::exchange(textColor_, c); }
TColor TDeviceContext::SetBkColor(TColor c) { return std::exchange(bkColor_, c); }
int TDeviceContext::SetBkMode(int mode) { return std::exchange(bkMode_, mode == TRANSPARENT ? TRANSPARENT : OPAQUE); }
unsigned TDeviceContext::SetTextAlign(unsigned flags) { return std::exchange(textAlign_, flags); }
TPenMode TDeviceContext::SetROP2(TPenMode mode) { return std::exchange(rop2_, mode); }

TPoint TDeviceContext::MoveTo(int x, int y) { return std::exchange(position_, TPoint{x, y}); }

void TDeviceContext::SelectClipRect(const TRect* r) {
    clipped_ = r != nullptr;
    if (r) clip_ = *r;
}

void TDeviceContext::IntersectClipRect(const TRect& r) {
    clip_ = clipped_ ? IntersectRect(clip_, r) : r;
    clipped_ = true;
}

TRect TDeviceContext::ClipBox() const {
    TRect whole = image_ ? Rect(0, 0, image_->width(), image_->height()) : Rect(0, 0, caps_.HorzRes, caps_.VertRes);
    return clipped_ ? IntersectRect(whole, clip_) : whole;
}

// ---- pens, brushes and raster modes

bool TDeviceContext::penVisible() const { return penStyle_ != psClear && rop2_ != pmNop; }

void TDeviceContext::applyROP(QPainter* p) const {
    // Raster operations exist only where there are pixels to combine.
    if (!caps_.Raster) return;
    switch (rop2_) {
    case pmNot: p->setCompositionMode(QPainter::RasterOp_NotDestination); break;
    case pmNotCopy: p->setCompositionMode(QPainter::RasterOp_NotSource); break;
    case pmXor: p->setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    case pmNotXor: p->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
    case pmMask: p->setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
    case pmMerge: p->setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
    case pmNotMask: p->setCompositionMode(QPainter::RasterOp_NotSourceOrNotDestination); break;
    case pmNotMerge: p->setCompositionMode(QPainter::RasterOp_NotSourceAndNotDestination); break;
    case pmMaskPenNot: p->setCompositionMode(QPainter::RasterOp_SourceAndNotDestination); break;
    case pmMaskNotPen: p->setCompositionMode(QPainter::RasterOp_NotSourceAndDestination); break;
    case pmMergePenNot: p->setCompositionMode(QPainter::RasterOp_SourceOrNotDestination); break;
    case pmMergeNotPen: p->setCompositionMode(QPainter::RasterOp_NotSourceOrDestination); break;
    default: break;
    }
}

namespace {

QColor ropColor(TPenMode mode, TColor c) {
    if (mode == pmBlack) return Qt::black;
    if (mode == pmWhite) return Qt::white;
    return tColorToQColor(c);
}

// Windows' cosmetic dash patterns, in pixels (for one-pixel pens).
QList<qreal> dashPattern(TPenStyle style) {
    switch (style) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

}  // namespace

namespace {

// Shapes are filled without a pen. Only a change is passed on: vector output
// writes a state block for every brush it is handed, even an equal one.
void setFill(QPainter* p, const QBrush& brush) {
    if (p->pen().style() != Qt::NoPen) p->setPen(Qt::NoPen);
    if (p->brush() != brush) p->setBrush(brush);
}

// The closed axis-parallel rectangle a path consists of, if it is one.
bool isRectangle(const QPainterPath& path, QRectF& rect) {
    if (path.elementCount() != 5 || !path.elementAt(0).isMoveTo()) return false;
    for (int i = 1; i < 5; ++i) {
        const QPainterPath::Element& from = path.elementAt(i - 1);
        const QPainterPath::Element& to = path.elementAt(i);
        if (!to.isLineTo() || (from.x != to.x && from.y != to.y)) return false;
    }
    const QPainterPath::Element &first = path.elementAt(0), &last = path.elementAt(4);
    if (first.x != last.x || first.y != last.y) return false;
    rect = path.boundingRect();
    return true;
}

// The dashes of a one-pixel pen along a single horizontal or vertical
// segment, as the stroker makes them: the pattern starts with a dash at the
// segment's start and the last dash ends with the segment.
bool dashRects(const QPainterPath& path, const QList<qreal>& pattern, std::vector<QRectF>& dashes) {
    if (path.elementCount() != 2 || !path.elementAt(1).isLineTo() || pattern.isEmpty()) return false;
    const QPointF from = path.elementAt(0), to = path.elementAt(1);
    const bool horizontal = from.y() == to.y();
    if (!horizontal && from.x() != to.x()) return false;
    const double start = horizontal ? from.x() : from.y();
    const double end = horizontal ? to.x() : to.y();
    const double across = horizontal ? from.y() : from.x();
    const double length = std::abs(end - start), sign = end < start ? -1.0 : 1.0;
    double period = 0;
    for (qreal part : pattern) period += part;
    if (period <= 0) return false;
    double at = 0;
    for (int i = 0; at < length; i = (i + 1) % pattern.size()) {
        const double next = std::min(length, at + pattern[i]);
        if (i % 2 == 0 && next > at) {
            const double a = start + sign * at, b = start + sign * next;
            const double lo = std::min(a, b), extent = std::abs(b - a);
            dashes.push_back(horizontal ? QRectF(lo, across - 0.5, extent, 1) : QRectF(across - 0.5, lo, 1, extent));
        }
        at = next;
    }
    return true;
}

}  // namespace

void TDeviceContext::applyPen(QPainter* p) const { setFill(p, QBrush(ropColor(rop2_, penColor_))); }

void TDeviceContext::applyBrush(QPainter* p) const {
    if (brushPattern_) {
        setFill(p, QBrush(*brushPattern_));
        return;
    }
    Qt::BrushStyle style = Qt::SolidPattern;
    switch (brushStyle_) {
    case bsClear: style = Qt::NoBrush; break;
    case bsHorizontal: style = Qt::HorPattern; break;
    case bsVertical: style = Qt::VerPattern; break;
    case bsFDiagonal: style = Qt::BDiagPattern; break;  // Windows' forward diagonal rises to the right
    case bsBDiagonal: style = Qt::FDiagPattern; break;
    case bsCross: style = Qt::CrossPattern; break;
    case bsDiagCross: style = Qt::DiagCrossPattern; break;
    default: break;
    }
    setFill(p, QBrush(qcolor(brushColor_), style));
}

// Fills fillPath with the brush and then the outline of strokePath with the pen.
// Outlines are filled as shapes, so pixels follow the pixel-centre rule
// and match the vector output.
void TDeviceContext::strokeAndFill(QPainterPath& fillPath, QPainterPath& strokePath, bool fill) {
    QPainter* p = activePainter();
    if (!p) return;
    if (fill && brushStyle_ != bsClear) {
        applyBrush(p);
        applyROP(p);
        // A vector page writes a rectangle in one operation, a path in five.
        QRectF box;
        if (!caps_.Raster && isRectangle(fillPath, box))
            p->drawRect(box);
        else
            p->drawPath(fillPath);
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (!penVisible() || strokePath.isEmpty()) return;
    const bool dashed = penWidth_ <= 1 && penStyle_ != psSolid && penStyle_ != psInsideFrame;
    if (!caps_.Raster && strokeVector(p, strokePath, dashed)) return;
    QPainterPathStroker stroker;
    stroker.setWidth(penWidth_);
    stroker.setJoinStyle(Qt::MiterJoin);
    stroker.setCapStyle(Qt::FlatCap);
    if (dashed) stroker.setDashPattern(dashPattern(penStyle_));
    QPainterPath outline = stroker.createStroke(strokePath);
    outline.setFillRule(Qt::WindingFill);
    applyPen(p);
    applyROP(p);
    p->drawPath(outline);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// A vector page has no pixels to place, and every path operation is
// written out and compressed: a dashed straight line goes out as its dashes'
// rectangles, a rectangle's frame as its four sides. Both cover what the
// stroker's outline covers, and are filled as it is. Answers false
// for outlines it leaves to the stroker.
bool TDeviceContext::strokeVector(QPainter* p, const QPainterPath& strokePath, bool dashed) {
    if (dashed) {
        std::vector<QRectF> dashes;
        if (!dashRects(strokePath, dashPattern(penStyle_), dashes)) return false;
        applyPen(p);
        if (!dashes.empty()) p->drawRects(dashes.data(), static_cast<int>(dashes.size()));
        return true;
    }
    QRectF frame;
    if (!isRectangle(strokePath, frame)) return false;
    const double half = penWidth_ / 2.0;
    const QRectF inner = frame.adjusted(half, half, -half, -half);
    // A frame without an inside keeps the stroker's outline, mitre ends and all.
    if (inner.width() <= 0 || inner.height() <= 0) return false;
    const QRectF outer = frame.adjusted(-half, -half, half, half);
    const QRectF sides[] = {
        {outer.left(), outer.top(), outer.width(), inner.top() - outer.top()},
        {outer.left(), inner.bottom(), outer.width(), outer.bottom() - inner.bottom()},
        {outer.left(), inner.top(), inner.left() - outer.left(), inner.height()},
        {inner.right(), inner.top(), outer.right() - inner.right(), inner.height()},
    };
    applyPen(p);
    p->drawRects(sides, 4);
    return true;
}

// ---- lines and shapes

void TDeviceContext::LineTo(int x, int y) {
    TPoint from = position_;
    position_ = {x, y};
    QPainter* p = activePainter();
    if (!p || !penVisible() || (from.X == x && from.Y == y)) return;
    double dx = x - from.X, dy = y - from.Y;
    double len = std::hypot(dx, dy);
    QPainterPath path;
    if (penWidth_ <= 1) {
        // The segment between pixel centres, moved back half a pixel along its
        // direction, so that it covers the first pixel and not the last.
        double ux = dx / len * 0.5, uy = dy / len * 0.5;
        path.moveTo(centre(from.X) - ux, centre(from.Y) - uy);
        path.lineTo(centre(x) - ux, centre(y) - uy);
        QPainterPath empty;
        strokeAndFill(empty, path, false);
        return;
    }
    // Wide pens have round ends, as Windows' geometric pens.
    path.moveTo(centre(from.X), centre(from.Y));
    path.lineTo(centre(x), centre(y));
    QPainterPathStroker stroker;
    stroker.setWidth(penWidth_);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath outline = stroker.createStroke(path);
    applyPen(p);
    applyROP(p);
    p->drawPath(outline);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

namespace {

// The path through the centres of the outermost pixels of (x1, y1)-(x2, y2),
// moved inwards for an inside-frame pen so that the pen stays within.
QRectF outlineRect(int x1, int y1, int x2, int y2, int width, bool insideFrame) {
    QRectF r(centre(x1), centre(y1), (x2 - 1) - x1, (y2 - 1) - y1);
    if (insideFrame && width > 1) {
        double inset = (width - 1) / 2.0;
        r.adjust(inset, inset, -inset, -inset);
    }
    return r;
}

void normalise(int& x1, int& y1, int& x2, int& y2) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
}

}  // namespace

void TDeviceContext::Rectangle(int x1, int y1, int x2, int y2) {
    normalise(x1, y1, x2, y2);
    bool pen = penVisible();
    // Without a pen Windows fills one pixel less in each direction.
    int shrink = pen ? 0 : 1;
    QPainterPath fill;
    fill.addRect(QRectF(x1, y1, x2 - x1 - shrink, y2 - y1 - shrink));
    QPainterPath stroke;
    if (pen) stroke.addRect(outlineRect(x1, y1, x2, y2, penWidth_, penStyle_ == psInsideFrame));
    strokeAndFill(fill, stroke, true);
}

void TDeviceContext::Ellipse(int x1, int y1, int x2, int y2) {
    normalise(x1, y1, x2, y2);
    bool pen = penVisible();
    QRectF path = outlineRect(x1, y1, x2, y2, penWidth_, penStyle_ == psInsideFrame);
    QPainterPath fill;
    if (pen)
        fill.addEllipse(path);
    else
        fill.addEllipse(QRectF(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
    QPainterPath stroke;
    if (pen) stroke.addEllipse(path);
    strokeAndFill(fill, stroke, true);
}

void TDeviceContext::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
    normalise(x1, y1, x2, y2);
    bool pen = penVisible();
    QRectF path = outlineRect(x1, y1, x2, y2, penWidth_, penStyle_ == psInsideFrame);
    double rx = cornerWidth / 2.0, ry = cornerHeight / 2.0;
    QPainterPath fill;
    fill.addRoundedRect(pen ? path : QRectF(x1, y1, x2 - x1 - 1, y2 - y1 - 1), rx, ry);
    QPainterPath stroke;
    if (pen) stroke.addRoundedRect(path, rx, ry);
    strokeAndFill(fill, stroke, true);
}

namespace {

enum class ArcKind { Arc, Chord, Pie };

// Angles (degrees, anticlockwise from three o'clock) where the radials
// through (x3, y3) and (x4, y4) meet the ellipse; drawn anticlockwise.
void arcAngles(const QRectF& r, int x3, int y3, int x4, int y4, double& start, double& sweep) {
    double cx = r.center().x(), cy = r.center().y();
    double rx = std::max(r.width() / 2, 0.5), ry = std::max(r.height() / 2, 0.5);
    auto angle = [&](double x, double y) {
        return std::atan2(-(y + 0.5 - cy) / ry, (x + 0.5 - cx) / rx) * 180.0 / M_PI;
    };
    start = angle(x3, y3);
    double end = angle(x4, y4);
    sweep = end - start;
    while (sweep <= 0) sweep += 360;
}

// The arc, chord or pie of the ellipse in the box (x1, y1)-(x2, y2), from
// the radial through (x3, y3) to the one through (x4, y4).
QPainterPath arcPath(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4, int penWidth, bool insideFrame,
                     ArcKind kind) {
    normalise(x1, y1, x2, y2);
    QRectF r = outlineRect(x1, y1, x2, y2, penWidth, insideFrame);
    double start, sweep;
    arcAngles(r, x3, y3, x4, y4, start, sweep);
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(r.center());
        path.arcTo(r, start, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(r, start);
        path.arcTo(r, start, sweep);
        if (kind == ArcKind::Chord) path.closeSubpath();
    }
    return path;
}

}  // namespace

void TDeviceContext::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    QPainterPath fill;
    QPainterPath stroke = arcPath(x1, y1, x2, y2, x3, y3, x4, y4, penWidth_, false, ArcKind::Arc);
    strokeAndFill(fill, stroke, false);
}

void TDeviceContext::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    QPainterPath path =
        arcPath(x1, y1, x2, y2, x3, y3, x4, y4, penWidth_, penStyle_ == psInsideFrame, ArcKind::Chord);
    QPainterPath stroke = penVisible() ? path : QPainterPath();
    strokeAndFill(path, stroke, true);
}

void TDeviceContext::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    QPainterPath path =
        arcPath(x1, y1, x2, y2, x3, y3, x4, y4, penWidth_, penStyle_ == psInsideFrame, ArcKind::Pie);
    QPainterPath stroke = penVisible() ? path : QPainterPath();
    strokeAndFill(path, stroke, true);
}

void TDeviceContext::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    QPainterPath fill, stroke;
    fill.setFillRule(Qt::OddEvenFill);  // Windows' default ALTERNATE mode
    fill.moveTo(points[0].X, points[0].Y);
    stroke.moveTo(centre(points[0].X), centre(points[0].Y));
    for (size_t i = 1; i < points.size(); ++i) {
        fill.lineTo(points[i].X, points[i].Y);
        stroke.lineTo(centre(points[i].X), centre(points[i].Y));
    }
    fill.closeSubpath();
    stroke.closeSubpath();
    if (!penVisible()) stroke = QPainterPath();
    strokeAndFill(fill, stroke, true);
}

void TDeviceContext::Polyline(const std::vector<TPoint>& points) {
    if (points.empty()) return;
    TPoint saved = position_;
    position_ = points[0];
    for (size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
    position_ = saved;  // Polyline leaves the current position alone
}

void TDeviceContext::FillRect(const TRect& r) {
    QPainter* p = activePainter();
    if (!p || r.IsEmpty() || brushStyle_ == bsClear) return;
    applyBrush(p);
    p->drawRect(QRectF(r.Left, r.Top, r.Width(), r.Height()));
}

void TDeviceContext::FrameRect(const TRect& r) {
    QPainter* p = activePainter();
    if (!p || r.IsEmpty()) return;
    QColor c = qcolor(brushColor_);
    p->fillRect(QRectF(r.Left, r.Top, r.Width(), 1), c);
    p->fillRect(QRectF(r.Left, r.Bottom - 1, r.Width(), 1), c);
    p->fillRect(QRectF(r.Left, r.Top, 1, r.Height()), c);
    p->fillRect(QRectF(r.Right - 1, r.Top, 1, r.Height()), c);
}

void TDeviceContext::InvertRect(const TRect& r) {
    QPainter* p = activePainter();
    if (!p || r.IsEmpty()) return;
    if (caps_.Raster) p->setCompositionMode(QPainter::RasterOp_NotDestination);
    p->fillRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), Qt::black);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TDeviceContext::DrawFocusRect(const TRect& r) {
    QPainter* p = activePainter();
    if (!p || r.IsEmpty()) return;
    // Every other pixel of the frame in a checker pattern, inverted, so that a
    // second call restores what was there.
    if (caps_.Raster) p->setCompositionMode(QPainter::RasterOp_NotDestination);
    auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0) p->fillRect(QRect(x, y, 1, 1), Qt::black);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

TColor TDeviceContext::GetPixel(int x, int y) const {
    if (!image_ || x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return clNone;
    return qColorToTColor(QColor::fromRgb(image_->pixel(x, y)));
}

void TDeviceContext::SetPixel(int x, int y, TColor c) {
    QPainter* p = activePainter();
    if (p) p->fillRect(QRect(x, y, 1, 1), qcolor(c));
}

void TDeviceContext::FloodFill(int x, int y, TColor color, TFillStyle style) {
    if (!image_ || x < 0 || y < 0 || x >= image_->width() || y >= image_->height()) return;
    releasePainter();
    QImage& img = *image_;
    QRgb target = qcolor(ColorToRGB(color)).rgb() | 0xFF000000u;
    QRgb fill = qcolor(ColorToRGB(brushColor_)).rgb() | 0xFF000000u;
    auto inside = [&](int px, int py) {
        QRgb c = img.pixel(px, py) | 0xFF000000u;
        return style == fsSurface ? c == target : c != target;
    };
    if (!inside(x, y) || (style == fsSurface && target == fill)) return;
    TRect box = ClipBox();
    std::vector<bool> seen(static_cast<size_t>(img.width()) * img.height(), false);
    std::deque<TPoint> queue{{x, y}};
    while (!queue.empty()) {
        TPoint pt = queue.front();
        queue.pop_front();
        if (!box.Contains(pt)) continue;
        size_t idx = static_cast<size_t>(pt.Y) * img.width() + pt.X;
        if (seen[idx] || !inside(pt.X, pt.Y)) continue;
        seen[idx] = true;
        img.setPixel(pt.X, pt.Y, fill);
        queue.push_back({pt.X + 1, pt.Y});
        queue.push_back({pt.X - 1, pt.Y});
        queue.push_back({pt.X, pt.Y + 1});
        queue.push_back({pt.X, pt.Y - 1});
    }
}

// ---- text

int TDeviceContext::textWidth(const std::string& text, const std::vector<int>& dx) const {
    if (!dx.empty()) {
        int w = 0;
        for (size_t i = 0; i < text.size() && i < dx.size(); ++i) w += dx[i];
        return w;
    }
    return (font_ ? font_ : defaultFont())->TextWidth(text);
}

void TDeviceContext::drawText(QPainter* p, double x, double baseline, const std::string& text,
                              const std::vector<int>& dx) {
    const TDeviceFont& f = *(font_ ? font_ : defaultFont());
    // As with brushes, only changes are passed on.
    const QFont& font = f.qtFont(caps_.Raster);
    if (p->font() != font) p->setFont(font);
    const QColor colour = qcolor(textColor_);
    const QPen& pen = p->pen();
    if (pen.style() != Qt::SolidLine || pen.color() != colour || pen.widthF() != 1 || pen.isCosmetic() ||
        pen.brush().style() != Qt::SolidPattern)
        p->setPen(colour);
    if (p->backgroundMode() != Qt::TransparentMode) p->setBackgroundMode(Qt::TransparentMode);
    if (dx.empty()) {
        p->drawText(QPointF(x, baseline), ToQString(text));
        return;
    }
    double pos = x;
    for (size_t i = 0; i < text.size(); ++i) {
        p->drawText(QPointF(pos, baseline), QString(charToQChar(static_cast<unsigned char>(text[i]))));
        pos += i < dx.size() ? dx[i] : f.CharWidth(static_cast<unsigned char>(text[i]));
    }
}

void TDeviceContext::TextOut(int x, int y, const std::string& text) { ExtTextOut(x, y, 0, nullptr, text); }

void TDeviceContext::ExtTextOut(int x, int y, unsigned options, const TRect* rect, const std::string& text,
                                const std::vector<int>& dx) {
    bool updateCP = (textAlign_ & TA_UPDATECP) != 0;
    if (updateCP) {
        x = position_.X;
        y = position_.Y;
    }
    const TDeviceFont& f = *(font_ ? font_ : defaultFont());
    TTextMetric tm = f.Metrics();
    // Measuring shapes the text again: only done when the width is used.
    const bool needWidth = (textAlign_ & TA_CENTER) != TA_LEFT || bkMode_ == OPAQUE || updateCP;
    int width = needWidth ? textWidth(text, dx) : 0;
    int left = 0;
    switch (textAlign_ & TA_CENTER) {
    case TA_RIGHT: left = -width; break;
    case TA_CENTER: left = -width / 2; break;
    default: break;
    }
    int baseline = 0;  // relative to y
    switch (textAlign_ & TA_BASELINE) {
    case TA_BASELINE: baseline = 0; break;
    case TA_BOTTOM: baseline = -tm.Descent; break;
    default: baseline = tm.Ascent; break;
    }
    double angle = f.LogFont().Escapement / 10.0;
    if (updateCP) {
        double rad = angle * M_PI / 180.0;
        int advance = (textAlign_ & TA_CENTER) == TA_LEFT ? width : 0;
        position_ = {x + static_cast<int>(std::lround(advance * std::cos(rad))),
                     y - static_cast<int>(std::lround(advance * std::sin(rad)))};
    }

    QPainter* p = activePainter();
    if (!p) return;
    const bool framed = rect && (options & (ETO_OPAQUE | ETO_CLIPPED));
    if (!framed && angle == 0) {
        // Plain text needs no saved state or transform: every drawing call
        // sets up the painter itself, and vector output stays small.
        if (text.empty()) return;
        if (bkMode_ == OPAQUE)
            p->fillRect(QRect(x + left, y + baseline - tm.Ascent, width, tm.Height), qcolor(bkColor_));
        drawText(p, x + left, y + baseline, text, dx);
        return;
    }
    p->save();
    if (rect && (options & ETO_OPAQUE))
        p->fillRect(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()), qcolor(bkColor_));
    if (rect && (options & ETO_CLIPPED))
        p->setClipRect(QRect(rect->Left, rect->Top, rect->Width(), rect->Height()), Qt::IntersectClip);
    if (!text.empty()) {
        p->translate(x, y);
        if (angle != 0) p->rotate(-angle);
        if (bkMode_ == OPAQUE) p->fillRect(QRect(left, baseline - tm.Ascent, width, tm.Height), qcolor(bkColor_));
        drawText(p, left, baseline, text, dx);
    }
    p->restore();
}

namespace {

struct TextLine {
    std::string text;   // without prefix characters
    int prefixAt = -1;  // index of the underlined character
};

TextLine stripPrefix(const std::string& line, bool prefix) {
    TextLine out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (prefix && line[i] == '&' && i + 1 < line.size()) {
            ++i;
            if (line[i] != '&') out.prefixAt = static_cast<int>(out.text.size());
        }
        out.text.push_back(line[i]);
    }
    return out;
}

std::vector<std::string> splitLines(const std::string& text, bool single) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (single) continue;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    return lines;
}

}  // namespace

int TDeviceContext::DrawText(const std::string& text, TRect& rect, unsigned format) {
    const TDeviceFont& f = *(font_ ? font_ : defaultFont());
    int lineHeight = f.Metrics().Height;
    bool single = (format & DT_SINGLELINE) != 0;
    bool prefix = (format & DT_NOPREFIX) == 0;
    std::string source = text;
    if (format & DT_EXPANDTABS) {
        std::string expanded;
        for (char c : source) {
            if (c != '\t') expanded.push_back(c);
            else expanded.append(8 - expanded.size() % 8, ' ');
        }
        source = expanded;
    }

    std::vector<TextLine> lines;
    int widthLimit = rect.Width();
    for (const std::string& raw : splitLines(source, single)) {
        TextLine line = stripPrefix(raw, prefix);
        if (!(format & DT_WORDBREAK) || single || f.TextWidth(line.text) <= widthLimit) {
            lines.push_back(line);
            continue;
        }
        // Break at blanks; a word wider than the rectangle stands alone.
        std::string current;
        size_t pos = 0;
        const std::string& t = line.text;
        while (pos < t.size()) {
            size_t end = t.find(' ', pos);
            std::string word = t.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            std::string candidate = current.empty() ? word : current + " " + word;
            if (!current.empty() && f.TextWidth(candidate) > widthLimit) {
                lines.push_back({current, -1});
                current = word;
            } else {
                current = candidate;
            }
            if (end == std::string::npos) break;
            pos = end + 1;
        }
        lines.push_back({current, -1});
    }

    int widest = 0;
    for (const TextLine& l : lines) widest = std::max(widest, f.TextWidth(l.text));
    int height = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        rect.Right = rect.Left + std::max(widest, (format & DT_WORDBREAK) ? rect.Width() : 0);
        rect.Bottom = rect.Top + height;
        return height;
    }

    int top = rect.Top;
    if (single && (format & DT_VCENTER)) top = rect.Top + (rect.Height() - lineHeight) / 2;
    else if (single && (format & DT_BOTTOM)) top = rect.Bottom - lineHeight;
    unsigned savedAlign = SetTextAlign(TA_LEFT | TA_TOP);
    unsigned options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
    for (const TextLine& l : lines) {
        int w = f.TextWidth(l.text);
        int left = rect.Left;
        if (format & DT_CENTER) left = rect.Left + (rect.Width() - w) / 2;
        else if (format & DT_RIGHT) left = rect.Right - w;
        ExtTextOut(left, top, options, &rect, l.text);
        if (l.prefixAt >= 0) {
            QPainter* p = activePainter();
            if (p) {
                int x = left + f.TextWidth(l.text.substr(0, static_cast<size_t>(l.prefixAt)));
                int cw = f.CharWidth(static_cast<unsigned char>(l.text[static_cast<size_t>(l.prefixAt)]));
                p->fillRect(QRect(x, top + f.Metrics().Ascent + 1, cw, 1), qcolor(textColor_));
            }
        }
        top += lineHeight;
    }
    SetTextAlign(savedAlign);
    return height;
}

TSize TDeviceContext::GetTextExtentPoint(const std::string& text) const {
    const TDeviceFont& f = *(font_ ? font_ : defaultFont());
    return {f.TextWidth(text), f.Metrics().Height};
}

TTextMetric TDeviceContext::GetTextMetrics() const { return (font_ ? font_ : defaultFont())->Metrics(); }

std::vector<int> TDeviceContext::GetCharWidth(int first, int last) const {
    const TDeviceFont& f = *(font_ ? font_ : defaultFont());
    std::vector<int> widths;
    for (int c = std::max(0, first); c <= std::min(255, last); ++c) widths.push_back(f.CharWidth(static_cast<unsigned char>(c)));
    return widths;
}

// ---- images

void TDeviceContext::StretchBlt(const TRect& dest, const QImage& src, const TRect& srcRect, TCopyMode rop,
                                bool monochromeSource) {
    QPainter* p = activePainter();
    if (!p || dest.IsEmpty()) return;
    QRectF target(dest.Left, dest.Top, dest.Width(), dest.Height());
    QRectF source(srcRect.Left, srcRect.Top, srcRect.Width(), srcRect.Height());
    if (rop == cmBlackness || rop == cmWhiteness) {
        p->fillRect(target, rop == cmBlackness ? Qt::black : Qt::white);
        return;
    }
    if (rop == cmDstInvert) {
        InvertRect(dest);
        return;
    }
    QImage image = src.convertToFormat(QImage::Format_RGB32);
    if (monochromeSource) {
        QRgb fore = qcolor(textColor_).rgb(), back = qcolor(bkColor_).rgb();
        for (int yy = 0; yy < image.height(); ++yy) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(yy));
            for (int xx = 0; xx < image.width(); ++xx) line[xx] = qGray(line[xx]) >= 128 ? back : fore;
        }
    }
    if (rop == cmNotSrcCopy) image.invertPixels();
    if (caps_.Raster) {
        switch (rop) {
        case cmSrcAnd: p->setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
        case cmSrcPaint: p->setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
        case cmSrcInvert: p->setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
        default: break;
        }
    } else if (rop == cmSrcAnd) {
        // A vector page cannot AND pixels; white is the neutral colour of AND,
        // so it becomes transparent.
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int yy = 0; yy < image.height(); ++yy) {
            QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(yy));
            for (int xx = 0; xx < image.width(); ++xx)
                if ((line[xx] & 0xFFFFFFu) == 0xFFFFFFu) line[xx] = 0;
        }
    }
    p->drawImage(target, image, source);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QImage TDeviceContext::copyImage(const TRect& r) const {
    if (image_) return image_->copy(QRect(r.Left, r.Top, r.Width(), r.Height()));
    return QImage();
}

TRect TDeviceContext::ScrollDC(int dx, int dy, const TRect& scroll, const TRect* clip) {
    if (!image_ || (dx == 0 && dy == 0)) return {};
    QRect area = QRect(scroll.Left, scroll.Top, scroll.Width(), scroll.Height()) & image_->rect();
    if (clip) area &= QRect(clip->Left, clip->Top, clip->Width(), clip->Height());
    if (area.isEmpty()) return {};
    releasePainter();
    QImage moved = image_->copy(area);
    {
        QPainter p(image_);
        p.setClipRect(area);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(area.left() + dx, area.top() + dy, moved);
    }
    TRect a{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    TRect exposed = a;
    if (std::abs(dx) >= a.Width() || std::abs(dy) >= a.Height()) return a;
    if (dy > 0) exposed.Bottom = a.Top + dy;
    else if (dy < 0) exposed.Top = a.Bottom + dy;
    if (dx > 0) exposed.Right = a.Left + dx;
    else if (dx < 0) exposed.Left = a.Right + dx;
    // Moving both ways uncovers an L; its bounds are the whole area.
    return dx && dy ? a : exposed;
}

// ---------------------------------------------------------------- image device

namespace {

TDeviceCaps imageCaps(int w, int h, int dpi) {
    TDeviceCaps caps;
    caps.Technology = DT_RASDISPLAY;
    caps.LogPixelsX = caps.LogPixelsY = dpi;
    caps.HorzRes = caps.PhysicalWidth = w;
    caps.VertRes = caps.PhysicalHeight = h;
    return caps;
}

std::unique_ptr<QImage> whiteImage(int w, int h, int dpiX, int dpiY) {
    auto img = std::make_unique<QImage>(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    img->fill(Qt::white);
    img->setDotsPerMeterX(static_cast<int>(std::lround(dpiX / 0.0254)));
    img->setDotsPerMeterY(static_cast<int>(std::lround(dpiY / 0.0254)));
    return img;
}

}  // namespace

TImageDevice::TImageDevice(int widthPixels, int heightPixels, int dpi)
    : TImageDevice(imageCaps(widthPixels, heightPixels, dpi)) {}

// The image is the printable area; the capabilities keep the paper's size and
// offsets, so a page measures as on the printer it previews.
TImageDevice::TImageDevice(const TDeviceCaps& caps)
    : TDeviceContext(static_cast<QImage*>(nullptr), caps),
      pixels_(whiteImage(caps.HorzRes, caps.VertRes, caps.LogPixelsX, caps.LogPixelsY)) {
    TDeviceCaps raster = caps;
    raster.Raster = true;
    setCaps(raster);
    setImage(pixels_.get());
}

TImageDevice::~TImageDevice() { releasePainter(); }

const QImage& TImageDevice::Image() {
    releasePainter();
    return *pixels_;
}

bool TImageDevice::SaveToFile(const std::string& fileName) {
    releasePainter();
    return pixels_->save(QString::fromStdString(fileName));
}
