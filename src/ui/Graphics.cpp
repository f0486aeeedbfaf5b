#include "ui/Graphics.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "base/Streams.h"
#include "os/Paths.h"
#include "ui/BitmapBits.h"
#include "ui/Devices.h"
#include "ui/IconFile.h"

// ---------------------------------------------------------------- graphics objects

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

namespace {

// Windows' MulDiv: a * b / c rounded half away from zero.
int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    double v = static_cast<double>(a) * b / c;
    return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

// Source through Self's own typed Assign when it is of Self's class, else as
// the class library's persistent object assigns (or refuses) it.
template <class T>
void assignAs(T* Self, const TPersistent* Source) {
    if (auto* same = dynamic_cast<const T*>(Source))
        Self->Assign(*same);
    else
        Self->TPersistent::Assign(Source);
}

}  // namespace

TFont::TFont() = default;

void TFont::Assign(const TPersistent* Source) { assignAs(this, Source); }

void TFont::Assign(const TFont& s) {
    if (&s == this) return;
    name_ = s.name_;
    height_ = s.height_;
    color_ = s.color_;
    style_ = s.style_;
    pitch_ = s.pitch_;
    charset_ = s.charset_;
    orientation_ = s.orientation_;
    // A font assigned across resolutions keeps its (whole) point size.
    if (s.pixelsPerInch_ != pixelsPerInch_) height_ = -mulDiv(s.Size(), pixelsPerInch_, 72);
    Changed();
}

void TFont::SetName(const std::string& v) {
    if (!v.empty()) change(name_, v);
}

int TFont::Size() const { return -mulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int points) { SetHeight(-mulDiv(points, pixelsPerInch_, 72)); }

void TFont::SetHeight(int pixels) { change(height_, pixels); }

void TFont::SetColor(TColor v) { change(color_, v); }

void TFont::SetStyle(TFontStyles v) { change(style_, v); }

void TFont::SetPitch(TFontPitch v) { change(pitch_, v); }

void TFont::SetCharset(TFontCharset v) { change(charset_, v); }

void TFont::SetOrientation(int tenthsOfDegree) { change(orientation_, tenthsOfDegree); }

void TFont::SetPixelsPerInch(int v) {
    if (v > 0) pixelsPerInch_ = v;
}

bool TFont::operator==(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
           pitch_ == o.pitch_ && charset_ == o.charset_ && orientation_ == o.orientation_;
}

void TPen::Assign(const TPersistent* Source) { assignAs(this, Source); }

void TPen::Assign(const TPen& s) {
    if (&s == this) return;
    color_ = s.color_;
    width_ = s.width_;
    style_ = s.style_;
    mode_ = s.mode_;
    Changed();
}

void TPen::SetColor(TColor v) { change(color_, v); }

void TPen::SetWidth(int v) {
    if (v >= 0) change(width_, v);
}

void TPen::SetStyle(TPenStyle v) { change(style_, v); }

void TPen::SetMode(TPenMode v) { change(mode_, v); }

void TBrush::Assign(const TPersistent* Source) { assignAs(this, Source); }

void TBrush::Assign(const TBrush& s) {
    if (&s == this) return;
    color_ = s.color_;
    style_ = s.style_;
    bitmap_ = s.bitmap_;
    Changed();
}

void TBrush::SetColor(TColor v) {
    if (v == color_ && style_ != bsClear) return;
    color_ = v;
    // Giving a clear brush a colour makes it solid, as the class library does.
    if (style_ == bsClear) style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle v) { change(style_, v); }

void TBrush::SetBitmap(TBitmap* v) {
    bitmap_ = v;
    Changed();
}

// ---------------------------------------------------------------- canvas

void drawCrossedFrame(TCanvas* Canvas, const TRect& R) {
    Canvas->Rectangle(R);
    Canvas->MoveTo(R.Left, R.Top);
    Canvas->LineTo(R.Right - 1, R.Bottom - 1);
    Canvas->MoveTo(R.Right - 1, R.Top);
    Canvas->LineTo(R.Left, R.Bottom - 1);
}

TCanvas::TCanvas() {
    font_.OnChange = [this](TGraphicsObject*) { fontValid_ = false; };
    pen_.OnChange = [this](TGraphicsObject*) { penValid_ = false; };
    brush_.OnChange = [this](TGraphicsObject*) { brushValid_ = false; };
}

TCanvas::TCanvas(TDeviceContext* dc) : TCanvas() { SetHandle(dc); }

TCanvas::~TCanvas() = default;

TDeviceContext* TCanvas::Handle() {
    if (!dc_) CreateHandle();
    return dc_;
}

void TCanvas::SetHandle(TDeviceContext* dc) {
    if (dc == dc_) return;
    dc_ = dc;
    fontValid_ = penValid_ = brushValid_ = false;
    if (dc_) {
        font_.SetPixelsPerInch(dc_->GetDeviceCaps(LOGPIXELSY));
        if (textAlign_ != (TA_LEFT | TA_TOP)) dc_->SetTextAlign(textAlign_);
    }
}

void TCanvas::Refresh() { fontValid_ = penValid_ = brushValid_ = false; }

namespace {

TLogFont logFontOf(const TFont& f) {
    TLogFont lf;
    lf.FaceName = f.Name();
    lf.Height = f.Height();
    lf.Weight = f.Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.Italic = f.Style().Contains(fsItalic);
    lf.Underline = f.Style().Contains(fsUnderline);
    lf.StrikeOut = f.Style().Contains(fsStrikeOut);
    lf.Escapement = lf.Orientation = f.Orientation();
    lf.CharSet = f.Charset();
    lf.PitchAndFamily = f.Pitch() == fpFixed ? FIXED_PITCH : f.Pitch() == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    return lf;
}

}  // namespace

void TCanvas::selectFont(TDeviceContext* dc) {
    // Grids assign their fonts afresh for every cell: a font the device
    // already holds is not realised again.
    TLogFont logFont = logFontOf(font_);
    if (!dc->Font() || !(dc->Font()->LogFont() == logFont)) dc->SelectFont(CreateFontIndirect(logFont));
    dc->SetTextColor(ColorToRGB(font_.Color()));
    fontValid_ = true;
}

void TCanvas::selectPen(TDeviceContext* dc) {
    dc->SelectPen(pen_.Style(), pen_.Width(), ColorToRGB(pen_.Color()));
    dc->SetROP2(pen_.Mode());
    penValid_ = true;
}

void TCanvas::selectBrush(TDeviceContext* dc) {
    const QImage* pattern = nullptr;
    if (brush_.Bitmap() && !brush_.Bitmap()->Empty()) pattern = &brush_.Bitmap()->Image();
    dc->SelectBrush(brush_.Style(), ColorToRGB(brush_.Color()), pattern);
    // Text and hatches get an opaque background only with a solid brush.
    if (brush_.Style() == bsSolid) {
        dc->SetBkColor(ColorToRGB(brush_.Color()));
        dc->SetBkMode(OPAQUE);
    } else {
        dc->SetBkMode(TRANSPARENT);
    }
    brushValid_ = true;
}

TDeviceContext* TCanvas::requireDC() {
    TDeviceContext* dc = Handle();
    if (!dc) return nullptr;
    if (!fontValid_) selectFont(dc);
    if (!penValid_) selectPen(dc);
    if (!brushValid_) selectBrush(dc);
    return dc;
}

void TCanvas::changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::changed() {
    if (OnChange) OnChange(this);
}

TPoint TCanvas::PenPos() {
    TDeviceContext* dc = Handle();
    return dc ? dc->CurrentPosition() : TPoint{};
}

void TCanvas::SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }

TRect TCanvas::ClipRect() {
    TDeviceContext* dc = Handle();
    return dc ? dc->ClipBox() : TRect{};
}

void TCanvas::SetClipRect(const TRect& r) {
    if (TDeviceContext* dc = Handle()) dc->SelectClipRect(&r);
}

void TCanvas::ResetClip() {
    if (TDeviceContext* dc = Handle()) dc->SelectClipRect(nullptr);
}

TColor TCanvas::Pixels(int x, int y) {
    TDeviceContext* dc = Handle();
    return dc ? dc->GetPixel(x, y) : clNone;
}

void TCanvas::SetPixels(int x, int y, TColor c) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->SetPixel(x, y, ColorToRGB(c));
    changed();
}

void TCanvas::MoveTo(int x, int y) {
    if (TDeviceContext* dc = Handle()) dc->MoveTo(x, y);
}

void TCanvas::LineTo(int x, int y) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->LineTo(x, y);
    changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->Rectangle(x1, y1, x2, y2);
    changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->Ellipse(x1, y1, x2, y2);
    changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->RoundRect(x1, y1, x2, y2, x3, y3);
    changed();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->Arc(x1, y1, x2, y2, x3, y3, x4, y4);
    changed();
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->Chord(x1, y1, x2, y2, x3, y3, x4, y4);
    changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->Pie(x1, y1, x2, y2, x3, y3, x4, y4);
    changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->Polygon(points);
    changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    changing();
    if (TDeviceContext* dc = requireDC()) {
        dc->Polyline(points);
        // The class library leaves the pen at the last point.
        if (!points.empty()) dc->MoveTo(points.back().X, points.back().Y);
    }
    changed();
}

void TCanvas::FillRect(const TRect& r) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->FillRect(r);
    changed();
}

void TCanvas::FrameRect(const TRect& r) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->FrameRect(r);
    changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->DrawFocusRect(r);
    changed();
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
    changing();
    if (TDeviceContext* dc = requireDC()) dc->FloodFill(x, y, color, style);
    changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    changing();
    if (TDeviceContext* dc = requireDC()) {
        dc->TextOut(x, y, text);
        dc->MoveTo(x + dc->GetTextExtentPoint(text).cx, y);
    }
    changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
    changing();
    if (TDeviceContext* dc = requireDC()) {
        unsigned options = ETO_CLIPPED | (brush_.Style() != bsClear ? ETO_OPAQUE : 0);
        dc->ExtTextOut(x, y, options, &r, text);
    }
    changed();
}

TSize TCanvas::TextExtent(const std::string& text) {
    if (TDeviceContext* dc = requireDC()) return dc->GetTextExtentPoint(text);
    // Measuring needs no device: fonts are sized in pixels.
    HFONT font = CreateFontIndirect(logFontOf(font_));
    return {font->TextWidth(text), font->Metrics().Height};
}

int TCanvas::TextWidth(const std::string& text) { return TextExtent(text).cx; }

int TCanvas::TextHeight(const std::string& text) { return TextExtent(text).cy; }

unsigned TCanvas::TextAlign() {
    TDeviceContext* dc = Handle();
    return dc ? dc->TextAlign() : textAlign_;
}

void TCanvas::SetTextAlign(unsigned flags) {
    textAlign_ = flags;
    if (TDeviceContext* dc = Handle()) dc->SetTextAlign(flags);
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    changing();
    graphic->Draw(this, Rect(x, y, x + graphic->Width(), y + graphic->Height()));
    changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    changing();
    graphic->Draw(this, r);
    changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
    if (!canvas || !canvas->Handle()) return;
    QImage pixels = canvas->Handle()->copyImage(source);
    if (pixels.isNull()) return;
    bool monochrome = canvas->Handle()->GetDeviceCaps(BITSPIXEL) == 1;
    changing();
    if (TDeviceContext* dc = requireDC())
        dc->StretchBlt(dest, pixels, Rect(0, 0, pixels.width(), pixels.height()), copyMode_, monochrome);
    changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
    if (!bitmap || bitmap->Empty()) return;
    QImage pixels = bitmap->Image().copy(source.Left, source.Top, source.Width(), source.Height());
    QRgb from = tColorToQColor(color).rgb();
    QRgb to = tColorToQColor(brush_.Color()).rgb();
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            if ((pixels.pixel(x, y) | 0xFF000000u) == (from | 0xFF000000u)) pixels.setPixel(x, y, to);
    changing();
    if (TDeviceContext* dc = requireDC()) dc->StretchBlt(dest, pixels, Rect(0, 0, pixels.width(), pixels.height()), cmSrcCopy);
    changed();
}

// ---------------------------------------------------------------- graphics

void TGraphic::Changed() {
    if (OnChange) OnChange(this);
}

namespace {

std::string readFile(const std::string& fileName) {
    std::ifstream in(os::MapPath(fileName), std::ios::binary);
    if (!in) throw EFOpenError("Cannot open file \"" + fileName + "\". No such file or directory");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& fileName, const std::string& bytes) {
    std::ofstream out(os::MapPath(fileName), std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError("Cannot create file \"" + fileName + "\". Permission denied");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw EWriteError("Stream write error");
}

// A bottom-up Windows BMP, 24 bits per pixel or 1 bit with a black/white palette.
std::string encodeBmp(const QImage& image, bool monochrome) {
    int w = image.width(), h = image.height();
    int bits = monochrome ? 1 : 24;
    unsigned rowBytes = static_cast<unsigned>(((w * bits + 31) / 32) * 4);
    unsigned paletteBytes = monochrome ? 8 : 0;
    unsigned offset = 14 + 40 + paletteBytes;
    unsigned imageBytes = rowBytes * static_cast<unsigned>(h);
    std::string s;
    s.reserve(offset + imageBytes);
    s += "BM";
    put32(s, offset + imageBytes);
    put32(s, 0);
    put32(s, offset);
    put32(s, 40);
    put32(s, static_cast<unsigned>(w));
    put32(s, static_cast<unsigned>(h));
    put16(s, 1);
    put16(s, static_cast<unsigned>(bits));
    put32(s, 0);  // BI_RGB
    put32(s, imageBytes);
    unsigned ppm = static_cast<unsigned>(image.dotsPerMeterX() > 0 ? image.dotsPerMeterX() : 3780);
    put32(s, ppm);
    put32(s, static_cast<unsigned>(image.dotsPerMeterY() > 0 ? image.dotsPerMeterY() : 3780));
    put32(s, monochrome ? 2 : 0);
    put32(s, 0);
    if (monochrome) {
        put32(s, 0x000000);
        put32(s, 0xFFFFFF);
    }
    for (int y = h - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < w; ++x) {
            QRgb c = image.pixel(x, y);
            if (monochrome) {
                if (qGray(c) >= 128) row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            } else {
                row[static_cast<size_t>(x) * 3] = static_cast<char>(qBlue(c));
                row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(qGreen(c));
                row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(qRed(c));
            }
        }
        s += row;
    }
    return s;
}

QImage blackAndWhite(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) line[x] = qGray(line[x]) >= 128 ? 0xFFFFFFFFu : 0xFF000000u;
    }
    return out;
}

TDeviceCaps bitmapCaps(const QImage& image, bool monochrome) {
    TDeviceCaps caps;
    caps.HorzRes = caps.PhysicalWidth = image.isNull() ? 0 : image.width();
    caps.VertRes = caps.PhysicalHeight = image.isNull() ? 0 : image.height();
    caps.BitsPixel = monochrome ? 1 : 24;
    caps.NumColors = monochrome ? 2 : -1;
    return caps;
}

}  // namespace

TBitmap::TBitmap() : image_(std::make_unique<QImage>()) {}

TBitmap::TBitmap(int width, int height) : TBitmap() { resize(width, height); }

TBitmap::~TBitmap() {
    canvas_.reset();
    dc_.reset();
}

void TBitmap::releaseCanvas() const {
    if (dc_) dc_->releasePainter();
}

void TBitmap::Changed() {
    if (dc_) dc_->setCaps(bitmapCaps(*image_, monochrome_));
    TGraphic::Changed();
}

void TBitmap::resize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height()) return;
    releaseCanvas();
    if (width == 0 || height == 0) {
        *image_ = QImage();
    } else {
        QImage grown(width, height, QImage::Format_RGB32);
        grown.fill(Qt::white);
        for (int y = 0; y < std::min(height, image_->height()); ++y)
            for (int x = 0; x < std::min(width, image_->width()); ++x) grown.setPixel(x, y, image_->pixel(x, y));
        *image_ = grown;
    }
    Changed();
}

void TBitmap::Assign(const TPersistent* Source) { assignAs(this, Source); }

void TBitmap::Assign(const TBitmap& source) {
    if (&source == this) return;
    source.releaseCanvas();
    releaseCanvas();
    *image_ = source.image_->copy();
    monochrome_ = source.monochrome_;
    Changed();
}

int TBitmap::Width() const { return image_->isNull() ? 0 : image_->width(); }
int TBitmap::Height() const { return image_->isNull() ? 0 : image_->height(); }
void TBitmap::SetWidth(int v) { resize(v, Height()); }
void TBitmap::SetHeight(int v) { resize(Width(), v); }
void TBitmap::SetSize(int width, int height) { resize(width, height); }
bool TBitmap::Empty() const { return Width() == 0 || Height() == 0; }

void TBitmap::SetMonochrome(bool v) {
    if (v == monochrome_) return;
    monochrome_ = v;
    if (v && !Empty()) {
        releaseCanvas();
        *image_ = blackAndWhite(*image_);
    }
    Changed();
}

TCanvas* TBitmap::Canvas() {
    if (!canvas_) {
        dc_ = std::make_unique<TDeviceContext>(image_.get(), bitmapCaps(*image_, monochrome_));
        canvas_ = std::make_unique<TCanvas>(dc_.get());
    }
    return canvas_.get();
}

void TBitmap::LoadFromFile(const std::string& fileName) { loadFromBytes(readFile(fileName)); }

void TBitmap::SaveToFile(const std::string& fileName) const { writeFile(fileName, saveToBytes()); }

void TBitmap::loadFromBytes(const std::string& bmpBytes) {
    QImage loaded;
    if (bmpBytes.size() < 2 || bmpBytes.compare(0, 2, "BM") != 0 ||
        !loaded.loadFromData(reinterpret_cast<const uchar*>(bmpBytes.data()), static_cast<int>(bmpBytes.size()), "BMP"))
        throw EInvalidGraphic("Bitmap image is not valid");
    fromImage(loaded);
}

void TBitmap::LoadFromStream(TStream* stream) {
    std::string bytes(static_cast<size_t>(std::max<int64_t>(0, stream->Size() - stream->Position())), '\0');
    if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    loadFromBytes(bytes);
}

void TBitmap::SaveToStream(TStream* stream) const {
    std::string bytes = saveToBytes();
    if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

std::string TBitmap::saveToBytes() const {
    if (Empty()) return std::string();
    releaseCanvas();
    return encodeBmp(*image_, monochrome_);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
    if (Empty() || !canvas) return;
    releaseCanvas();
    if (TDeviceContext* dc = canvas->Handle())
        dc->StretchBlt(r, *image_, Rect(0, 0, Width(), Height()), canvas->CopyMode(), monochrome_);
}

QImage TBitmap::toImage() const {
    releaseCanvas();
    return image_->copy();
}

void TBitmap::fromImage(const QImage& image) {
    releaseCanvas();
    QImage converted = image.convertToFormat(QImage::Format_RGB32);
    *image_ = monochrome_ ? blackAndWhite(converted) : converted;
    Changed();
}

QImage& TBitmap::Image() {
    releaseCanvas();
    return *image_;
}

// ---- icons

TIcon::TIcon() : image_(std::make_unique<QImage>()) {}
TIcon::~TIcon() = default;
int TIcon::Width() const { return image_->isNull() ? 0 : image_->width(); }
int TIcon::Height() const { return image_->isNull() ? 0 : image_->height(); }
bool TIcon::Empty() const { return image_->isNull(); }

void TIcon::LoadFromFile(const std::string& fileName) {
    std::string path = os::MapPath(fileName);
    if (!QFile::exists(QString::fromStdString(path)))
        throw EFOpenError("Cannot open file \"" + fileName + "\". No such file or directory");
    QImageReader reader(QString::fromStdString(path));
    // An icon file holds several sizes; the largest one is kept.
    QImage best;
    do {
        QImage frame = reader.read();
        if (!frame.isNull() && frame.width() * frame.height() > best.width() * best.height()) best = frame;
    } while (reader.jumpToNextImage());
    if (best.isNull()) throw EInvalidGraphic("Icon image is not valid");
    *image_ = best.convertToFormat(QImage::Format_ARGB32);
    Changed();
}

void TIcon::SaveToFile(const std::string& fileName) const {
    if (Empty()) throw EFCreateError("Cannot create file \"" + fileName + "\"");
    writeFile(fileName, iconFileBytes(*this));
}

void TIcon::Draw(TCanvas* canvas, const TRect& r) {
    if (Empty() || !canvas) return;
    // Icons keep their transparency: paint them over what is there.
    QImage scaled = image_->scaled(r.Width(), r.Height());
    if (TDeviceContext* dc = canvas->Handle()) {
        QImage under = dc->copyImage(r);
        if (under.isNull()) {
            under = QImage(r.Width(), r.Height(), QImage::Format_RGB32);
            under.fill(Qt::white);
        }
        QImage composed = under.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < composed.height() && y < scaled.height(); ++y)
            for (int x = 0; x < composed.width() && x < scaled.width(); ++x) {
                QRgb s = scaled.pixel(x, y);
                if (qAlpha(s) >= 128) composed.setPixel(x, y, s | 0xFF000000u);
            }
        dc->StretchBlt(r, composed, Rect(0, 0, composed.width(), composed.height()), cmSrcCopy);
    }
}

QImage TIcon::toImage() const { return image_->copy(); }

void TIcon::fromImage(const QImage& image) {
    *image_ = image.convertToFormat(QImage::Format_ARGB32);
    Changed();
}

// ---- pictures

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::changed() {
    if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> g) {
    graphic_ = std::move(g);
    if (graphic_) graphic_->OnChange = [this](TGraphic*) { changed(); };
    changed();
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(graphic_.get())) SetGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(graphic_.get());
}

TIcon* TPicture::Icon() {
    if (!dynamic_cast<TIcon*>(graphic_.get())) SetGraphic(std::make_unique<TIcon>());
    return static_cast<TIcon*>(graphic_.get());
}

int TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
int TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::LoadFromFile(const std::string& fileName) {
    std::string ext = os::ExtractFileExt(fileName);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".ico") {
        auto icon = std::make_unique<TIcon>();
        icon->LoadFromFile(fileName);
        SetGraphic(std::move(icon));
        return;
    }
    auto bitmap = std::make_unique<TBitmap>();
    if (ext == ".bmp") {
        bitmap->LoadFromFile(fileName);
    } else {
        std::string path = os::MapPath(fileName);
        if (!QFile::exists(QString::fromStdString(path)))
            throw EFOpenError("Cannot open file \"" + fileName + "\". No such file or directory");
        QImage image(QString::fromStdString(path));
        if (image.isNull()) throw EInvalidGraphic("Unknown picture file extension (" + ext + ")");
        bitmap->fromImage(image);
    }
    SetGraphic(std::move(bitmap));
}

void TPicture::SaveToFile(const std::string& fileName) const {
    if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::Assign(const TPersistent* Source) { assignAs(this, Source); }

void TPicture::Assign(const TPicture& source) {
    if (&source == this) return;
    if (auto* b = dynamic_cast<TBitmap*>(source.graphic_.get())) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(*b);
        SetGraphic(std::move(copy));
    } else if (auto* i = dynamic_cast<TIcon*>(source.graphic_.get())) {
        auto copy = std::make_unique<TIcon>();
        copy->fromImage(i->toImage());
        SetGraphic(std::move(copy));
    } else {
        SetGraphic(nullptr);
    }
}
