#include "reporting/RSFiler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <iterator>
#include <type_traits>

#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "os/Paths.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/IconFile.h"

namespace {

constexpr std::size_t BufferSize = 16384;
constexpr std::int64_t PassThroughChunk = 4096;
constexpr std::size_t FontNameLength = 60;

const char* const CopyRectMessage = "CopyRect() not supported in file mode.";
const char* const NoStreamMessage = "StreamMode is smUser but Stream is nil";
const char* const OwnerMessage = "TReportFiler.Owner must be a TForm if no printers are defined.";
const char* const TooManyPagesMessage = "A report stream holds at most 32,767 pages.";

// Page numbers and the page count are signed words in the stream.
constexpr int MaxStreamPages = 32767;

// Bins, collate, duplex, copies, paper size, width and length stored when
// no printer is installed.
constexpr std::int16_t NoPrinterBin = 265;

float finiteSingle(double value) { return std::isfinite(value) ? static_cast<float>(value) : 0.0f; }

}  // namespace

TReportFiler::TReportFiler(TComponent* AOwner) : TBaseReport(AOwner) {}

TReportFiler::~TReportFiler() {
    unhookPenAndBrush();
    closeStream();
}

// ---------------------------------------------------------------- measuring canvas

TCanvas* TReportFiler::GetCanvas() {
    if (!NoPrinters()) return TBaseReport::GetCanvas();
    if (!screenCanvas_) {
        TDeviceCaps caps;
        caps.HorzRes = caps.PhysicalWidth = 816;
        caps.VertRes = caps.PhysicalHeight = 1056;
        screen_ = std::make_unique<TDeviceContext>(caps);
        screenCanvas_ = std::make_unique<TCanvas>(screen_.get());
    }
    return screenCanvas_.get();
}

// ---------------------------------------------------------------- buffered writing

bool TReportFiler::recording() const { return output_ && Printing() && !noOutput_ && !pageSkipped(); }

bool TReportFiler::drawing() {
    outputGuard();
    return recording();
}

std::int64_t TReportFiler::position() {
    return output_ ? output_->Position() + static_cast<std::int64_t>(bufferCount_) : 0;
}

void TReportFiler::write(const void* Data, std::size_t Count) {
    if (noOutput_ || !output_ || Count == 0) return;
    if (bufferCount_ + Count > BufferSize) flush();
    if (Count > BufferSize) {
        output_->WriteBuffer(Data, static_cast<std::int64_t>(Count));
        return;
    }
    std::memcpy(buffer_.data() + bufferCount_, Data, Count);
    bufferCount_ += Count;
}

void TReportFiler::flush() {
    if (!output_ || bufferCount_ == 0) return;
    output_->WriteBuffer(buffer_.data(), static_cast<std::int64_t>(bufferCount_));
    bufferCount_ = 0;
}

void TReportFiler::patch(std::int64_t Position, const void* Data, std::size_t Count) {
    if (!output_) return;
    flush();
    const std::int64_t back = output_->Position();
    output_->SetPosition(Position);
    output_->WriteBuffer(Data, static_cast<std::int64_t>(Count));
    output_->SetPosition(back);
}

void TReportFiler::writeWord(std::int16_t Value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(Value & 0xFF),
                                   static_cast<std::uint8_t>((static_cast<std::uint16_t>(Value) >> 8) & 0xFF)};
    write(bytes, 2);
}

void TReportFiler::writeLong(std::int32_t Value) {
    const auto v = static_cast<std::uint32_t>(Value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    write(bytes, 4);
}

void TReportFiler::writeSingle(double Value) {
    const float f = finiteSingle(Value);
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    writeLong(static_cast<std::int32_t>(bits));
}

void TReportFiler::writeString(const std::string& Value) {
    const std::size_t length = std::min(Value.size(), MaxStreamString);
    if (length < LongStringStart) {
        writeByte(static_cast<std::uint8_t>(length));
    } else {
        writeByte(static_cast<std::uint8_t>(0xC0 | (length >> 8)));
        writeByte(static_cast<std::uint8_t>(length & 0xFF));
    }
    write(Value.data(), length);
}

void TReportFiler::writeX(double UnitsX) { writeSingle((unitsToInch(UnitsX + OriginX())) * ScaleX() / 100.0); }

void TReportFiler::writeY(double UnitsY) { writeSingle((unitsToInch(UnitsY + OriginY())) * ScaleY() / 100.0); }

void TReportFiler::writePoint(double UnitsX, double UnitsY) {
    writeX(UnitsX);
    writeY(UnitsY);
}

void TReportFiler::writeRect(double X1, double Y1, double X2, double Y2) {
    writePoint(X1, Y1);
    writePoint(X2, Y2);
}

void TReportFiler::writeDeviceRect(const TRect& Rect) {
    writeRect(xDeviceToUnits(Rect.Left), yDeviceToUnits(Rect.Top), xDeviceToUnits(Rect.Right),
              yDeviceToUnits(Rect.Bottom));
}

void TReportFiler::writeGraphic(const TGraphic* Graphic) {
    std::uint8_t type = GraphicBitmap;
    std::string bytes;
    if (auto* bitmap = dynamic_cast<const TBitmap*>(Graphic)) {
        if (reuseGraphicPos_ == 0) bytes = bitmap->saveToBytes();
    } else if (auto* icon = dynamic_cast<const TIcon*>(Graphic)) {
        type = GraphicIcon;
        if (reuseGraphicPos_ == 0) bytes = iconFileBytes(*icon);
    } else {
        // Every other graphic goes as the bitmap of its pixels.
        if (reuseGraphicPos_ == 0) {
            TBitmap pixels;
            if (Graphic && !Graphic->Empty()) {
                pixels.SetSize(Graphic->Width(), Graphic->Height());
                const_cast<TGraphic*>(Graphic)->Draw(pixels.Canvas(), {0, 0, Graphic->Width(), Graphic->Height()});
            }
            bytes = pixels.saveToBytes();
        }
    }
    if (reuseGraphicPos_ > 0) {
        // A reference to a record of another kind is not a graphic the player may read.
        if (reuseGraphicType_ != type) {
            reuseGraphicPos_ = 0;
            RaiseReportError(throughMessageHook("ReuseGraphic: the slot holds another kind of graphic."));
        }
        writeByte(static_cast<std::uint8_t>(type + GraphicReference));
        writeLong(static_cast<std::int32_t>(reuseGraphicPos_));
        reuseGraphicPos_ = 0;
        return;
    }
    writeByte(type);
    lastGraphicType_ = type;
    lastGraphicPos_ = position();
    writeLong(static_cast<std::int32_t>(bytes.size()));
    write(bytes.data(), bytes.size());
}

void TReportFiler::writeRectRecord(std::uint8_t Code, double X1, double Y1, double X2, double Y2) {
    if (!drawing()) return;
    writeByte(Code);
    writeRect(X1, Y1, X2, Y2);
    afterDrawing();
}

void TReportFiler::writeEightSingles(std::uint8_t Code, const std::array<double, 8>& Values) {
    if (!drawing()) return;
    writeByte(Code);
    for (std::size_t i = 0; i < Values.size(); i += 2) writePoint(Values[i], Values[i + 1]);
    afterDrawing();
}

void TReportFiler::writePoints(std::uint8_t Code, const std::vector<std::pair<double, double>>& Points) {
    if (!drawing() || Points.empty()) return;
    const std::size_t count = std::min<std::size_t>(Points.size(), 32767);
    writeByte(Code);
    writeWord(static_cast<std::int16_t>(count - 1));
    for (std::size_t i = 0; i < count; ++i) writePoint(Points[i].first, Points[i].second);
    afterDrawing();
}

void TReportFiler::afterDrawing() { if (Application) Application->ProcessMessagesNowAndThen(); }

// ---------------------------------------------------------------- text

void TReportFiler::textRecord(std::uint8_t Code, const std::string& Text, double X, double Width, bool WithWidth) {
    writeByte(Code);
    writeSingle((unitsToInch(YPos() + OriginY())) * ScaleY() / 100.0);
    writeString(Text);
    writeSingle((X + unitsToInch(OriginX())) * ScaleX() / 100.0);
    if (WithWidth) writeSingle(Width);
}

namespace {

// Positioned text is spread over its measured width when it has blanks and
// holds neither a token nor format codes.
bool blockCandidate(const std::string& text) {
    return text.find(' ') != std::string::npos && text.find("\xFD$RSC") == std::string::npos &&
           text.find('\x01') == std::string::npos;
}

}  // namespace

void TReportFiler::PrintCenterInch(const std::string& Text, double X) {
    if (!drawing()) return;
    const double width = unitsToInch(TextWidth(Text));
    if (accuracyMethod_ == amPositioning && FontRotation() == 0 && blockCandidate(Text)) {
        textRecord(rcTextBlock, Text, X - width / 2, width, true);
    } else {
        textRecord(rcTextCenter, Text, X, 0, false);
    }
    SetXPos(inchToUnits(X + width / 2));
}

void TReportFiler::PrintLeftInch(const std::string& Text, double X) {
    if (!drawing()) return;
    const double width = unitsToInch(TextWidth(Text));
    if (accuracyMethod_ == amPositioning && FontRotation() == 0 && blockCandidate(Text)) {
        textRecord(rcTextBlock, Text, X, width, true);
    } else {
        textRecord(rcTextLeft, Text, X, 0, false);
    }
    SetXPos(inchToUnits(X + width));
}

void TReportFiler::PrintRightInch(const std::string& Text, double X) {
    if (!drawing()) return;
    if (accuracyMethod_ == amPositioning && FontRotation() == 0 && blockCandidate(Text)) {
        const double width = unitsToInch(TextWidth(Text));
        textRecord(rcTextBlock, Text, X - width, width, true);
    } else {
        textRecord(rcTextRight, Text, X, 0, false);
    }
    SetXPos(inchToUnits(X));
}

void TReportFiler::PrintBlockInch(const std::string& Text, double X, double Width) {
    if (!drawing()) return;
    textRecord(rcTextBlock, Text, X, Width, true);
    SetXPos(inchToUnits(X + Width));
}

// ---------------------------------------------------------------- state records

void TReportFiler::FontChanged(TObject* Sender) {
    TBaseReport::FontChanged(Sender);
    writeFontState();
}

template <class Written, class T>
bool TReportFiler::writeState(std::uint8_t Code, const T& Value, T& Cached) {
    if (Value == Cached && !forceState_) return false;
    writeByte(Code);
    if constexpr (std::is_same_v<Written, std::string>)
        writeString(Value);
    else if constexpr (std::is_floating_point_v<Written>)
        writeSingle(Value);
    else if constexpr (std::is_same_v<Written, std::int32_t>)
        writeLong(static_cast<std::int32_t>(Value));
    else
        writeByte(static_cast<std::uint8_t>(Value));
    Cached = Value;
    return true;
}

void TReportFiler::writeBrushState() {
    if (!recording()) return;
    const TBrush* brush = GetCanvas()->Brush();
    writeState<std::int32_t>(rcBrushColor, brush->Color(), cache_.BrushColor);
    writeState<std::uint8_t>(rcBrushStyle, brush->Style(), cache_.BrushStyle);
    if (brush->Bitmap() && !brush->Bitmap()->Empty()) {
        writeByte(rcBrushBitmap);
        writeByte(1);
        writeGraphic(brush->Bitmap());
        cache_.BitmapWritten = true;
    } else if (cache_.BitmapWritten || forceState_) {
        writeByte(rcBrushBitmap);
        writeByte(0);
        cache_.BitmapWritten = false;
    }
}

void TReportFiler::writeFontState() {
    if (!recording()) return;
    const TFontState font = GetFontState();
    TFontState& last = cache_.Font;
    bool sizeNeeded = forceState_ || font.Height != last.Height;
    // Name, pitch, character set and the four styles change the size record.
    const std::string name = font.Name.substr(0, FontNameLength);
    if (writeState<std::string>(rcFontName, name, last.Name)) sizeNeeded = true;
    writeState<std::int32_t>(rcFontColor, font.Color, last.Color);
    if (writeState<std::uint8_t>(rcFontPitch, font.Pitch, last.Pitch)) sizeNeeded = true;
    if (writeState<std::uint8_t>(rcFontCharSet, font.CharSet, last.CharSet)) sizeNeeded = true;
    if (writeState<std::uint8_t>(rcFontBold, font.Bold, last.Bold)) sizeNeeded = true;
    if (writeState<std::uint8_t>(rcFontItalic, font.Italic, last.Italic)) sizeNeeded = true;
    if (writeState<std::uint8_t>(rcFontUnderline, font.Underline, last.Underline)) sizeNeeded = true;
    if (writeState<std::uint8_t>(rcFontStrikeout, font.Strikeout, last.Strikeout)) sizeNeeded = true;
    writeState<std::uint8_t>(rcFontSuperscript, font.Superscript, last.Superscript);
    writeState<std::uint8_t>(rcFontSubscript, font.Subscript, last.Subscript);
    if (font.Rotation != last.Rotation || forceState_) {
        writeByte(rcFontRotation);
        writeWord(static_cast<std::int16_t>(((font.Rotation % 360) + 360) % 360));
        last.Rotation = font.Rotation;
    }
    writeState<std::uint8_t>(rcFontAlign, font.Align, last.Align);
    if (sizeNeeded) {
        writeByte(rcFontSize);
        writeSingle(font.Height);
        const bool wasQuiet = noOutput_;
        noOutput_ = true;
        const double sample = unitsToInch(TextWidth(FontWidthSample));
        noOutput_ = wasQuiet;
        writeSingle(sample);
        last.Height = font.Height;
    }
}

void TReportFiler::writePenState() {
    if (!recording()) return;
    const TPen* pen = GetCanvas()->Pen();
    writeState<std::int32_t>(rcPenColor, pen->Color(), cache_.PenColor);
    writeState<std::uint8_t>(rcPenMode, pen->Mode(), cache_.PenMode);
    writeState<std::uint8_t>(rcPenStyle, pen->Style(), cache_.PenStyle);
    writeState<double>(rcPenWidth, static_cast<double>(pen->Width()) / XDPI(), cache_.PenWidth);
}

void TReportFiler::writeRestriction(std::uint8_t Code) {
    outputGuard();
    if (!recording() || cache_.Restriction == Code) return;
    writeByte(Code);
    cache_.Restriction = Code;
}

void TReportFiler::AllowPreviewOnly() { writeRestriction(rcPreviewOnly); }
void TReportFiler::AllowPrinterOnly() { writeRestriction(rcPrinterOnly); }
void TReportFiler::AllowAll() { writeRestriction(rcAllDevices); }

void TReportFiler::UpdateLineHeight() {
    TBaseReport::UpdateLineHeight();
    if (!recording()) return;
    // Positions refresh the metrics at every line; only a change is recorded.
    const std::array<double, 3> metrics = {unitsToInch(YPos() - FontTop()), unitsToInch(FontDescent()),
                                           unitsToInch(LineHeight())};
    if (metrics == cache_.Metrics) return;
    cache_.Metrics = metrics;
    writeByte(rcFontMetrics);
    for (double value : metrics) writeSingle(value);
}

void TReportFiler::SetFrameMode(std::uint8_t Mode) {
    TBaseReport::SetFrameMode(Mode);
    if (!recording()) return;
    writeByte(rcFrameMode);
    writeByte(Mode);
}

void TReportFiler::SetBKColor(TColor Color) {
    TBaseReport::SetBKColor(Color);
    if (!recording()) return;
    writeByte(rcBKColor);
    writeLong(static_cast<std::int32_t>(GetBKColor()));
}

void TReportFiler::SetScaleX(double Value) {
    TBaseReport::SetScaleX(Value);
    if (!recording()) return;
    writeByte(rcScaleX);
    writeSingle(ScaleX());
}

void TReportFiler::SetScaleY(double Value) {
    TBaseReport::SetScaleY(Value);
    if (!recording()) return;
    writeByte(rcScaleY);
    writeSingle(ScaleY());
}

void TReportFiler::SetTextBKMode(TBKMode Value) {
    TBaseReport::SetTextBKMode(Value);
    if (!recording()) return;
    writeByte(rcTextBKMode);
    writeByte(static_cast<std::uint8_t>(Value));
}

void TReportFiler::SetOrientation(TOrientation Value) {
    TBaseReport::SetOrientation(Value);
    if (!recording() || Value == TOrientation::poDefault) return;
    writeByte(rcOrientation);
    writeByte(Value == TOrientation::poLandScape ? 1 : 0);
}

bool TReportFiler::SelectBin(const std::string& Name) {
    const bool selected = TBaseReport::SelectBin(Name);
    if (recording()) {
        writeByte(rcSelectBin);
        writeString(Name);
    }
    return selected;
}

// ---------------------------------------------------------------- drawing records

void TReportFiler::TabRectangle(double X1, double Y1, double X2, double Y2) { writeRectRecord(rcTabRectangle, X1, Y1, X2, Y2); }

void TReportFiler::Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    writeEightSingles(rcArc, {X1, Y1, X2, Y2, X3, Y3, X4, Y4});
}

void TReportFiler::Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    writeEightSingles(rcChord, {X1, Y1, X2, Y2, X3, Y3, X4, Y4});
}

void TReportFiler::Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    writeEightSingles(rcPie, {X1, Y1, X2, Y2, X3, Y3, X4, Y4});
}

void TReportFiler::BrushCopy(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap, double SX1, double SY1,
                             double SX2, double SY2, TColor Color) {
    if (!drawing()) return;
    writeByte(rcBrushCopy);
    writeGraphic(Bitmap);
    writeRect(X1, Y1, X2, Y2);
    writeRect(SX1, SY1, SX2, SY2);
    writeLong(static_cast<std::int32_t>(Color));
    afterDrawing();
}

// Raises "CopyRect() not supported in file mode.".
void TReportFiler::CopyRect(double, double, double, double, TCanvas*, double, double, double, double) {
    RaiseReportError(throughMessageHook(CopyRectMessage));
}

void TReportFiler::Draw(double X, double Y, TGraphic* Graphic) {
    if (!drawing()) return;
    writeByte(rcDraw);
    writeGraphic(Graphic);
    writePoint(X, Y);
    afterDrawing();
}

void TReportFiler::DrawFocusRect(double X1, double Y1, double X2, double Y2) { writeRectRecord(rcDrawFocusRect, X1, Y1, X2, Y2); }

void TReportFiler::Ellipse(double X1, double Y1, double X2, double Y2) { writeRectRecord(rcEllipse, X1, Y1, X2, Y2); }

void TReportFiler::FillRect(double X1, double Y1, double X2, double Y2) { writeRectRecord(rcFillRect, X1, Y1, X2, Y2); }

void TReportFiler::FloodFill(double X, double Y, TColor Color, TFillStyle Style) {
    if (!drawing()) return;
    writeByte(rcFloodFill);
    writePoint(X, Y);
    writeLong(static_cast<std::int32_t>(Color));
    writeLong(static_cast<std::int32_t>(Style));
    afterDrawing();
}

void TReportFiler::FrameRect(double X1, double Y1, double X2, double Y2) { writeRectRecord(rcFrameRect, X1, Y1, X2, Y2); }

void TReportFiler::MoveTo(double X, double Y) {
    outputGuard();
    setPenPosition(X, Y);
    if (DirectLines() && recording()) {
        writeByte(rcMoveTo);
        writePoint(X, Y);
    }
    penUnitsX_ = X;
    penUnitsY_ = Y;
}

void TReportFiler::LineTo(double X, double Y) {
    outputGuard();
    const bool direct = DirectLines();
    const bool merged = CheckLine(X, Y);
    if (recording() && !merged) {
        if (!direct) {
            writeByte(rcMoveTo);
            writePoint(penUnitsX_, penUnitsY_);
        }
        writeByte(rcLineTo);
        writePoint(X, Y);
        afterDrawing();
    }
    penUnitsX_ = X;
    penUnitsY_ = Y;
}

void TReportFiler::Polygon(const std::vector<std::pair<double, double>>& Points) { writePoints(rcPolygon, Points); }

void TReportFiler::Polyline(const std::vector<std::pair<double, double>>& Points) { writePoints(rcPolyline, Points); }

void TReportFiler::PrintBitmap(double X, double Y, double ScaleX, double ScaleY, TBitmap* Bitmap) {
    if (!drawing()) return;
    writeByte(rcImageMode);
    writeByte(ImageMode());
    writeByte(rcPrintBitmap);
    writeGraphic(Bitmap);
    writePoint(X, Y);
    writeSingle(ScaleX);
    writeSingle(ScaleY);
    afterDrawing();
}

void TReportFiler::PrintBitmapRect(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap) {
    if (!drawing()) return;
    writeByte(rcImageMode);
    writeByte(ImageMode());
    writeByte(rcPrintBitmapRect);
    writeGraphic(Bitmap);
    writeRect(X1, Y1, X2, Y2);
    afterDrawing();
}

void TReportFiler::PrintImageRect(double X1, double Y1, double X2, double Y2, TStream* ImageStream,
                                  const std::string& ImageType) {
    if (!drawing()) return;
    std::string data;
    if (ImageStream) {
        const std::int64_t left = std::max<std::int64_t>(0, ImageStream->Size() - ImageStream->Position());
        data.resize(static_cast<std::size_t>(left));
        if (left > 0) data.resize(static_cast<std::size_t>(ImageStream->Read(data.data(), left)));
    }
    writeByte(rcImageMode);
    writeByte(ImageMode());
    writeByte(rcPrintImageRect);
    writeLong(static_cast<std::int32_t>(data.size()));
    write(data.data(), data.size());
    writeString(ImageType);
    writeRect(X1, Y1, X2, Y2);
    afterDrawing();
}

void TReportFiler::Rectangle(double X1, double Y1, double X2, double Y2) { writeRectRecord(rcRectangle, X1, Y1, X2, Y2); }

void TReportFiler::RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
    if (!drawing()) return;
    writeByte(rcRoundRect);
    writeRect(X1, Y1, X2, Y2);
    writeSingle(unitsToInch(X3));
    writeSingle(unitsToInch(Y3));
    afterDrawing();
}

void TReportFiler::StretchDraw(double X1, double Y1, double X2, double Y2, TGraphic* Graphic) {
    if (!drawing()) return;
    writeByte(rcStretchDraw);
    writeGraphic(Graphic);
    writeRect(X1, Y1, X2, Y2);
    afterDrawing();
}

void TReportFiler::TextRect(const TRect& Rect, double X, double Y, const std::string& Text) {
    if (!drawing()) return;
    writeByte(rcTextRect);
    writeDeviceRect(Rect);
    writePoint(X, Y);
    writeString(Text);
    afterDrawing();
}

void TReportFiler::PrintData(const std::string& Value) {
    if (!drawing()) return;
    writeByte(rcPassThrough);
    writeString(Value);
}

// BufSize 0: from the stream's position to its end; copied 4,096 bytes at a
// time.
void TReportFiler::PrintDataStream(TStream* Stream, std::int64_t BufSize) {
    if (!drawing() || !Stream) return;
    std::int64_t count = BufSize > 0 ? BufSize : Stream->Size() - Stream->Position();
    count = std::clamp<std::int64_t>(count, 0, INT32_MAX);
    writeByte(rcPassThroughData);
    writeLong(static_cast<std::int32_t>(count));
    std::vector<char> chunk(PassThroughChunk);
    while (count > 0) {
        const std::int64_t piece = std::min(count, PassThroughChunk);
        const std::int64_t got = Stream->Read(chunk.data(), piece);
        // A source that ends early is filled with zeros, so the length holds.
        if (got < piece) std::fill(chunk.begin() + std::max<std::int64_t>(got, 0), chunk.begin() + piece, '\0');
        write(chunk.data(), static_cast<std::size_t>(piece));
        count -= piece;
    }
}

// ---------------------------------------------------------------- graphic slots

void TReportFiler::slotGuard(int Index, const char* Message) const {
    if (Index < 1 || Index > GraphicSlotCount) RaiseReportError(throughMessageHook(Message + IntToStr(GraphicSlotCount)));
}

void TReportFiler::UnregisterGraphic(int Index) {
    slotGuard(Index, "UnregisterGraphic: Index must be between 1 and ");
    slots_[static_cast<std::size_t>(Index - 1)] = 0;
}

void TReportFiler::RegisterGraphic(int Index) {
    slotGuard(Index, "RegisterGraphic: Index must be between 1 and ");
    slots_[static_cast<std::size_t>(Index - 1)] = lastGraphicPos_;
    slotTypes_[static_cast<std::size_t>(Index - 1)] = lastGraphicType_;
}

void TReportFiler::ReuseGraphic(int Index) {
    slotGuard(Index, "ReuseGraphic: Index must be between 1 and ");
    reuseGraphicPos_ = slots_[static_cast<std::size_t>(Index - 1)];
    reuseGraphicType_ = slotTypes_[static_cast<std::size_t>(Index - 1)];
}

// ---------------------------------------------------------------- named values

void TReportFiler::writeValueBlock(std::uint8_t K, const std::string& Data, std::uint8_t Size) {
    writeByte(Size);
    writeByte(K);
    std::string bytes = Data.substr(0, Size);
    bytes.resize(Size, '\0');
    write(bytes.data(), bytes.size());
}

namespace {

std::string linkBytes(std::int64_t position) {
    const auto v = static_cast<std::uint32_t>(position);
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

}  // namespace

std::string TReportFiler::NamedValueToken(const std::string& Name) {
    if (recording()) {
        auto it = std::find_if(namedValues_.begin(), namedValues_.end(),
                               [&](const NamedEntry& e) { return SameText(e.Name, Name); });
        if (it == namedValues_.end() || it->Position < 0) {
            const std::int64_t link = it == namedValues_.end() ? 0 : -it->Position;
            writeByte(rcNamedValue);
            writeString(Name);
            const std::int64_t block = position();
            writeValueBlock(NamedValuePending, linkBytes(link), NamedValueBlockSize);
            if (it == namedValues_.end()) namedValues_.push_back({Name, block});
            else it->Position = block;
        }
    }
    return std::string("\xFD$RSCV\xFC") + Name + "\xFB";
}

void TReportFiler::SetNamedValue(const std::string& Name, const std::string& Value) {
    if (!recording()) return;
    const std::string text = Value.substr(0, NamedValueBlockSize);
    auto it = std::find_if(namedValues_.begin(), namedValues_.end(),
                           [&](const NamedEntry& e) { return SameText(e.Name, Name); });
    if (it != namedValues_.end() && it->Position > 0) {
        std::string filled(1, static_cast<char>(text.size()));
        filled += text;
        filled.resize(1 + NamedValueBlockSize, '\0');
        patch(it->Position + 1, filled.data(), filled.size());
        it->Position = -it->Position;
        return;
    }
    writeByte(rcNamedValue);
    writeString(Name);
    const std::int64_t block = position();
    writeValueBlock(static_cast<std::uint8_t>(text.size()), text, static_cast<std::uint8_t>(text.size()));
    if (it == namedValues_.end()) namedValues_.push_back({Name, -block});
    else it->Position = -block;
}

// ---------------------------------------------------------------- run

bool TReportFiler::openStream() {
    try {
        switch (streamMode_) {
            case smMemory:
                memory_ = std::make_unique<TMemoryStream>();
                output_ = memory_.get();
                break;
            case smFile:
                file_ = std::make_unique<TFileStream>(fileName_, fmCreate);
                output_ = file_.get();
                break;
            case smUser:
                if (!userStream_) RaiseReportError(throughMessageHook(NoStreamMessage));
                userStream_->SetPosition(0);
                output_ = userStream_;
                break;
            case smTempFile: {
                const std::string name = os::TempFileName("RS");
                if (name.empty()) throw Exception("no temporary file");
                fileName_ = name;
                file_ = std::make_unique<TFileStream>(fileName_, fmCreate);
                output_ = file_.get();
                break;
            }
        }
        return true;
    } catch (const Exception&) {
        closeStream();
        MessageDlg(throughMessageHook(Format("Error initializing stream \"%s\"", {fileName_})), mtError, {mbOK});
        return false;
    }
}

void TReportFiler::closeStream() {
    file_.reset();
    output_ = nullptr;
    buffer_.clear();
    buffer_.shrink_to_fit();
    bufferCount_ = 0;
}

void TReportFiler::writeHeader() {
    writeByte(StreamHeaderZ);
    writeWord(ReportStreamVersion);
    writeString(Title());
    pageCountPos_ = position();
    writeWord(0);
    writeWord(static_cast<std::int16_t>(FirstPage()));
    writeWord(static_cast<std::int16_t>(std::min(LastPage(), 32767)));
    writeSingle(unitsToInch(PageWidth()));
    writeSingle(unitsToInch(PageHeight()));
    writeSingle(unitsToInch(LeftWaste()));
    writeSingle(unitsToInch(RightWaste()));
    writeSingle(unitsToInch(TopWaste()));
    writeSingle(unitsToInch(BottomWaste()));
    writeByte(Orientation() == TOrientation::poLandScape ? 1 : 0);
    const TDevMode* mode = NoPrinters() ? nullptr : DevMode();
    if (!mode) {
        writeWord(NoPrinterBin);
        writeByte(0);
        writeByte(0);
        writeWord(1);
        writeWord(1);
        writeWord(0);
        writeWord(0);
        writeString("");
        return;
    }
    writeWord(static_cast<std::int16_t>(mode->DefaultSource));
    writeByte(mode->Collate ? 1 : 0);
    writeByte(static_cast<std::uint8_t>(Duplex()));
    writeWord(static_cast<std::int16_t>(mode->Copies));
    writeWord(static_cast<std::int16_t>(mode->PaperSize));
    writeWord(static_cast<std::int16_t>(mode->PaperWidth));
    writeWord(static_cast<std::int16_t>(mode->PaperLength));
    writeString(DeviceName());
}

void TReportFiler::pageStart() {
    if (noOutput_ || pageSkipped() || !output_) return;
    flush();
    const std::int64_t start = position();
    writeByte(rcPageStart);
    writeLong(static_cast<std::int32_t>(pageStartPos_));
    previousPageStart_ = pageStartPos_;
    pageStartPos_ = start;
    flush();
    nextLinkPos_ = start + 5;
    writeLong(0);
    writeWord(static_cast<std::int16_t>(nextPageNumber_));
    noOutput_ = true;
    const double width = unitsToInch(PageWidth()), height = unitsToInch(PageHeight());
    noOutput_ = false;
    writeSingle(width);
    writeSingle(height);
    forceState_ = true;
    writeBrushState();
    writeFontState();
    writePenState();
    forceState_ = false;
    writeByte(rcScaleX);
    writeSingle(ScaleX());
    writeByte(rcScaleY);
    writeSingle(ScaleY());
    writeByte(rcTextBKMode);
    writeByte(static_cast<std::uint8_t>(TextBKMode()));
    writeByte(rcBKColor);
    writeLong(static_cast<std::int32_t>(GetBKColor()));
    for (const NamedEntry& entry : namedValues_) {
        writeByte(rcNamedValue);
        writeString(entry.Name);
        writeValueBlock(NamedValueLink, linkBytes(std::llabs(entry.Position)), 4);
    }
}

void TReportFiler::pageEnd(bool IsLastPage) {
    if (noOutput_ || !output_) return;
    if (!pageSkipped()) writeByte(rcPageEnd);
    if (nextLinkPos_ > 0) {
        flush();
        const std::string link = linkBytes(IsLastPage ? 0 : output_->Position());
        patch(nextLinkPos_, link.data(), link.size());
    }
}

void TReportFiler::hookPenAndBrush() {
    if (penBrushHooked_) return;
    TCanvas* canvas = GetCanvas();
    savedBrushHandler_ = canvas->Brush()->OnChange;
    savedPenHandler_ = canvas->Pen()->OnChange;
    canvas->Brush()->OnChange = [this](TGraphicsObject* sender) {
        if (savedBrushHandler_) savedBrushHandler_(sender);
        writeBrushState();
    };
    canvas->Pen()->OnChange = [this](TGraphicsObject* sender) {
        if (savedPenHandler_) savedPenHandler_(sender);
        writePenState();
    };
    penBrushHooked_ = true;
}

void TReportFiler::unhookPenAndBrush() {
    if (!penBrushHooked_) return;
    penBrushHooked_ = false;
    try {
        TCanvas* canvas = GetCanvas();
        canvas->Brush()->OnChange = savedBrushHandler_;
        canvas->Pen()->OnChange = savedPenHandler_;
    } catch (const Exception&) {
    }
    savedBrushHandler_ = nullptr;
    savedPenHandler_ = nullptr;
}

void TReportFiler::Execute() {
    Start();
    if (Printing()) runPrintEvents();
}

void TReportFiler::Start() {
    idleGuard();
    setStartDateTime(Now());
    cache_ = StateCache();
    cache_.Font.Name.clear();
    cache_.Restriction = rcAllDevices;
    closeStream();
    setCurrentPage(0);
    nextPageNumber_ = 0;
    pageStartPos_ = previousPageStart_ = nextLinkPos_ = pageCountPos_ = 0;
    pagesWritten_ = 0;
    namedValues_.clear();
    slots_.fill(0);
    lastGraphicPos_ = reuseGraphicPos_ = 0;
    setAborted(false);
    DoBeforePrint();
    if (NoPrinters() && !dynamic_cast<TForm*>(Owner())) RaiseReportError(throughMessageHook(OwnerMessage));
    if (!openStream()) return;
    buffer_.assign(BufferSize, '\0');
    bufferCount_ = 0;
    try {
        marginRefresh();
        setPrinting(true);
        writeHeader();
        noOutput_ = true;
        HookFont();
        SetFontState(GetFontState());
        const bool keepTabs = PushTabs();
        ResetPrintState();
        if (keepTabs) PopTabs();
        hookPenAndBrush();
        TBaseReport::NewPage();
        if (!pageSkipped()) {
            ++pagesWritten_;
            ++nextPageNumber_;
        }
        noOutput_ = false;
        pageStart();
        if (!Aborted()) {
            CallReportEvents(ReportEventPageBegin);
            DoNewPage();
            if (!Aborted()) DoPrintHeader();
        }
    } catch (...) {
        noOutput_ = false;
        endRun();
        throw;
    }
}

void TReportFiler::NewPage() {
    if (pagesWritten_ >= MaxStreamPages && PageSelected(CurrentPage() + 1) && !Aborted())
        RaiseReportError(throughMessageHook(TooManyPagesMessage));
    DoPrintFooter();
    CallReportEvents(ReportEventPageEnd);
    pageEnd(false);
    noOutput_ = true;
    TBaseReport::NewPage();
    if (!NoPrinters()) Device()->UpdateDevMode(false);
    noOutput_ = false;
    if (!pageSkipped()) {
        ++pagesWritten_;
        ++nextPageNumber_;
    }
    pageStart();
    CallReportEvents(ReportEventPageBegin);
    DoNewPage();
    DoPrintHeader();
}

void TReportFiler::AbortPage() {
    const bool written = !pageSkipped() && output_ && !noOutput_;
    TBaseReport::AbortPage();
    if (!written) return;
    // The page's bytes go; the previous page's next link is patched again
    // when the next page starts or the run ends.
    bufferCount_ = 0;
    const std::int64_t cut = pageStartPos_;
    output_->SetSize(cut);
    output_->SetPosition(cut);
    // Nothing may point into the bytes that are gone: later pages write there.
    std::erase_if(namedValues_, [cut](const NamedEntry& e) { return std::llabs(e.Position) >= cut; });
    for (std::int64_t& slot : slots_)
        if (slot >= cut) slot = 0;
    if (lastGraphicPos_ >= cut) lastGraphicPos_ = 0;
    if (reuseGraphicPos_ >= cut) reuseGraphicPos_ = 0;
    nextLinkPos_ = previousPageStart_ > 0 ? previousPageStart_ + 5 : 0;
    pageStartPos_ = previousPageStart_;
    --pagesWritten_;
    --nextPageNumber_;
}

void TReportFiler::Finish() {
    if (!Printing()) return;
    std::exception_ptr failure = endLastPage();
    try {
        pageEnd(true);
        if (output_) {
            const std::int16_t count = static_cast<std::int16_t>(pagesWritten_);
            const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(count & 0xFF),
                                           static_cast<std::uint8_t>((count >> 8) & 0xFF)};
            patch(pageCountPos_, bytes, 2);
            flush();
        }
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    endRun();
    if (failure) std::rethrow_exception(failure);
}

void TReportFiler::endRun() {
    unhookPenAndBrush();
    closeRun([this] {
        if (streamMode_ == smMemory && memory_ && !fileName_.empty()) {
            try {
                memory_->SaveToFile(fileName_);
            } catch (const Exception&) {
                MessageDlg(throughMessageHook(Format("Error initializing stream \"%s\"", {fileName_})), mtError,
                           {mbOK});
            }
        }
        closeStream();
    });
}
