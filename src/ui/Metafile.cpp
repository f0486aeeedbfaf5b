#include "ui/Metafile.h"

#include <QImage>
#include <fstream>
#include <iterator>

#include "base/Exceptions.h"
#include "base/Streams.h"
#include "os/Paths.h"
#include "ui/BitmapBits.h"

namespace {

constexpr unsigned unitsPerInch = 2540;
constexpr unsigned wmfHeaderWords = 9;
constexpr unsigned recordStretchDib = 0x0F43;
constexpr unsigned recordDibStretchBlt = 0x0B41;
constexpr unsigned recordEnd = 0x0000;
// Bytes before the bitmap in the two records: size, function, then the parameters.
constexpr size_t stretchDibPrefix = 6 + 4 + 2 + 16;
constexpr size_t dibStretchBltPrefix = 6 + 4 + 16;
// Size drawn for a metafile that gives none.
constexpr int defaultSide = 32;

unsigned get16(const std::string& s, size_t at) {
    return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}

unsigned get32(const std::string& s, size_t at) { return get16(s, at) | (get16(s, at + 2) << 16); }

void put16(std::string& s, size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

bool hasPlaceableHeader(const std::string& s) {
    return s.size() >= static_cast<size_t>(TMetafile::PlaceableHeaderSize) && get32(s, 0) == TMetafile::PlaceableKey;
}

}  // namespace

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::Assign(const TPersistent* Source) {
    if (auto* m = dynamic_cast<const TMetafile*>(Source)) Assign(*m);
    else TGraphic::Assign(Source);
}

void TMetafile::Assign(const TMetafile& source) {
    if (&source == this) return;
    bytes_ = source.bytes_;
    width_ = source.width_;
    height_ = source.height_;
    findBitmapRecord();
    Changed();
}

void TMetafile::SetWidth(int v) {
    width_ = v;
    Changed();
}

void TMetafile::SetHeight(int v) {
    height_ = v;
    Changed();
}

void TMetafile::LoadFromFile(const std::string& fileName) {
    std::ifstream in(os::MapPath(fileName), std::ios::binary);
    if (!in) throw EFOpenError("Cannot open file \"" + fileName + "\". No such file or directory");
    loadFromBytes(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

void TMetafile::SaveToFile(const std::string& fileName) const {
    std::ofstream out(os::MapPath(fileName), std::ios::binary | std::ios::trunc);
    if (!out) throw EFCreateError("Cannot create file \"" + fileName + "\". Permission denied");
    out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
    if (!out) throw EWriteError("Stream write error");
}

void TMetafile::LoadFromStream(TStream* stream) {
    std::string bytes(static_cast<size_t>(std::max<int64_t>(0, stream->Size() - stream->Position())), '\0');
    if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    loadFromBytes(bytes);
}

void TMetafile::SaveToStream(TStream* stream) const {
    if (!bytes_.empty()) stream->WriteBuffer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
}

void TMetafile::loadFromBytes(const std::string& bytes) {
    bytes_ = bytes;
    if (hasPlaceableHeader(bytes_)) {
        width_ = static_cast<int16_t>(get16(bytes_, 10)) - static_cast<int16_t>(get16(bytes_, 6));
        height_ = static_cast<int16_t>(get16(bytes_, 12)) - static_cast<int16_t>(get16(bytes_, 8));
    }
    findBitmapRecord();
    Changed();
}

std::string TMetafile::windowsMetafileBytes() const {
    if (!hasPlaceableHeader(bytes_)) return bytes_;
    return bytes_.substr(PlaceableHeaderSize);
}

void TMetafile::writePlaceableHeader(std::string& s, int width, int height) {
    if (s.size() < static_cast<size_t>(PlaceableHeaderSize)) return;
    put16(s, 0, PlaceableKey & 0xFFFF);
    put16(s, 2, PlaceableKey >> 16);
    put16(s, 6, 0);
    put16(s, 8, 0);
    put16(s, 10, static_cast<unsigned>(width) & 0xFFFF);
    put16(s, 12, static_cast<unsigned>(height) & 0xFFFF);
    put16(s, 14, unitsPerInch);
    unsigned checksum = 0;
    for (size_t i = 0; i < 10; ++i) checksum ^= get16(s, 2 * i);
    put16(s, 20, checksum);
}

void TMetafile::findBitmapRecord() {
    bitmap_.reset();
    size_t start = hasPlaceableHeader(bytes_) ? PlaceableHeaderSize : 0;
    if (bytes_.size() < start + 2 * wmfHeaderWords) return;
    size_t at = start + 2 * static_cast<size_t>(get16(bytes_, start + 2));
    while (at + 6 <= bytes_.size()) {
        size_t size = 2 * static_cast<size_t>(get32(bytes_, at));
        unsigned function = get16(bytes_, at + 4);
        if (function == recordEnd || size < 6 || size > bytes_.size() - at) return;
        size_t prefix = 0;
        if (function == recordStretchDib) prefix = stretchDibPrefix;
        else if (function == recordDibStretchBlt && size != 2 * ((recordDibStretchBlt >> 8) + 3))
            prefix = dibStretchBltPrefix;
        if (prefix && size > prefix) {
            auto bitmap = std::make_unique<TBitmap>();
            if (loadPackedDib(*bitmap, bytes_.substr(at + prefix, size - prefix))) {
                bitmap_ = std::move(bitmap);
                return;
            }
        }
        at += size;
    }
}

const TBitmap* TMetafile::recordBitmap() const { return bitmap_.get(); }

void TMetafile::Draw(TCanvas* canvas, const TRect& r) {
    if (!canvas) return;
    if (bitmap_) {
        bitmap_->Draw(canvas, r);
        return;
    }
    // The missing-graphic frame: a grey box crossed from corner to corner.
    canvas->Pen()->SetColor(clGray);
    canvas->Brush()->SetColor(clWhite);
    drawCrossedFrame(canvas, r);
}

QImage TMetafile::toImage() const {
    int w = width_ > 0 ? width_ : defaultSide;
    int h = height_ > 0 ? height_ : defaultSide;
    if (static_cast<long long>(w) * h > MaxBitmapPixels) w = h = defaultSide;
    TBitmap canvasBitmap(w, h);
    const_cast<TMetafile*>(this)->Draw(canvasBitmap.Canvas(), Rect(0, 0, w, h));
    return canvasBitmap.toImage();
}
