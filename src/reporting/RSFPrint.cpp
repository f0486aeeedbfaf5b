#include "reporting/RSFPrint.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <fstream>

#include "base/SysUtils.h"
#include "os/Paths.h"
#include "reporting/ReportRounding.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

namespace {

const char* const UnexpectedCodeMessage = "Unexpected code found in report file.";
const char* const UnexpectedHeaderMessage = "Unexpected header code found in report file.";
const char* const NoPrintersMessage = "No printers are defined, aborting print job.";
const char* const NoStreamMessage = "StreamMode is smUser but Stream is nil";

// Coordinates beyond this many inches are taken as this many: no real page
// is near it, and device pixels stay far from overflowing.
constexpr double MaxCoordinate = 100000;
// Font heights are kept within this many inches.
constexpr double MaxFontHeight = 22;
// Pen widths are kept within this many device pixels.
constexpr int MaxPenPixels = 10000;
// A stream is read whole; larger ones are refused.
constexpr std::int64_t MaxStreamSize = std::int64_t{1} << 31;
// Width fitting never takes more steps than this.
constexpr int MaxFitSteps = 200;

std::string streamBytes(TStream* stream) {
    const std::int64_t size = stream->Size();
    if (size < 0 || size > MaxStreamSize) throw Exception("stream too large");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    stream->SetPosition(0);
    if (size > 0) bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, stream->Read(bytes.data(), size))));
    return bytes;
}

template <typename E>
E enumByte(std::uint8_t value, E last) {
    return static_cast<E>(std::min<int>(value, static_cast<int>(last)));
}

}  // namespace

TFilePrinter::TFilePrinter(TComponent* AOwner) : TCanvasReport(AOwner) {
    SetUnits(unInch);
    SetUnitsFactor(1.0);
    SetDirectLines(true);
}

TFilePrinter::~TFilePrinter() = default;

// ---------------------------------------------------------------- the input

bool TFilePrinter::openInput() {
    if (open_) return true;
    try {
        switch (streamMode_) {
            case smMemory: {
                TMemoryStream memory;
                memory.LoadFromFile(fileName_);
                data_ = streamBytes(&memory);
                break;
            }
            case smFile:
            case smTempFile: {
                TFileStream file(fileName_, fmOpenRead | fmShareDenyWrite);
                data_ = streamBytes(&file);
                break;
            }
            case smUser:
                if (!userStream_) RaiseReportError(throughMessageHook(NoStreamMessage));
                data_ = streamBytes(userStream_);
                break;
        }
    } catch (const Exception&) {
        data_.clear();
        MessageDlg(throughMessageHook(Format("Error initializing input stream \"%s\"", {fileName_})), mtError, {mbOK});
        return false;
    }
    pos_ = 0;
    open_ = true;
    return true;
}

void TFilePrinter::closeInput() {
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
    open_ = false;
}

int TFilePrinter::PageCount() {
    if (!open_) {
        if (!openInput()) return 0;
        readHeader();
    }
    return pageCount_;
}

// ---------------------------------------------------------------- checked reading

void TFilePrinter::badRecord() {
    setAborted(true);
    setPageSkipped(true);
    RaiseReportError(throughMessageHook(UnexpectedCodeMessage));
}

void TFilePrinter::need(std::size_t Count) {
    if (pos_ > data_.size() || Count > data_.size() - pos_) badRecord();
}

std::uint8_t TFilePrinter::readByte() {
    need(1);
    return static_cast<std::uint8_t>(data_[pos_++]);
}

std::int16_t TFilePrinter::readWord() {
    need(2);
    const auto lo = static_cast<std::uint8_t>(data_[pos_]), hi = static_cast<std::uint8_t>(data_[pos_ + 1]);
    pos_ += 2;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

std::int32_t TFilePrinter::readLong() {
    need(4);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(data_[pos_ + static_cast<std::size_t>(i)]);
    pos_ += 4;
    return static_cast<std::int32_t>(v);
}

double TFilePrinter::readSingle() {
    const auto bits = static_cast<std::uint32_t>(readLong());
    float f;
    std::memcpy(&f, &bits, 4);
    if (!std::isfinite(f)) return 0;
    return std::clamp(static_cast<double>(f), -MaxCoordinate, MaxCoordinate);
}

std::string TFilePrinter::readRaw(std::size_t Count) {
    need(Count);
    std::string bytes = data_.substr(pos_, Count);
    pos_ += Count;
    return bytes;
}

std::string TFilePrinter::readString() {
    std::size_t length = readByte();
    if (version_ >= 2016 && length >= LongStringStart) length = (length << 8 | readByte()) - 0xC000;
    return readRaw(length);
}

std::string TFilePrinter::readText() {
    std::string text = readString();
    ExpandMacros(text);
    return text;
}

std::size_t TFilePrinter::readPosition() {
    const std::int32_t value = readLong();
    if (value < 0 || static_cast<std::size_t>(value) >= data_.size()) badRecord();
    return static_cast<std::size_t>(value);
}

void TFilePrinter::readRect(double& X1, double& Y1, double& X2, double& Y2) {
    X1 = readSingle();
    Y1 = readSingle();
    X2 = readSingle();
    Y2 = readSingle();
}

std::unique_ptr<TGraphic> TFilePrinter::readGraphic() {
    const std::uint8_t type = readByte();
    const std::uint8_t kind = type > GraphicReference ? static_cast<std::uint8_t>(type - GraphicReference) : type;
    if (kind != GraphicBitmap && kind != GraphicIcon) badRecord();
    std::string bytes;
    if (type > GraphicReference) {
        // A reference points back at the length field of an earlier copy.
        const std::size_t target = readPosition();
        if (target == 0 || target >= pos_) badRecord();
        const std::size_t back = pos_;
        // Only a full record of the same kind may be referred to.
        pos_ = target - 1;
        if (readByte() != kind) badRecord();
        const std::int32_t length = readLong();
        if (length < 0) badRecord();
        bytes = readRaw(static_cast<std::size_t>(length));
        pos_ = back;
    } else {
        const std::int32_t length = readLong();
        if (length < 0) badRecord();
        bytes = readRaw(static_cast<std::size_t>(length));
    }
    try {
        if (kind == GraphicBitmap) {
            auto bitmap = std::make_unique<TBitmap>();
            bitmap->loadFromBytes(bytes);
            return bitmap;
        }
        auto icon = std::make_unique<TIcon>();
        const std::string temp = os::TempFileName("RS");
        if (temp.empty()) badRecord();
        {
            std::ofstream out(temp, std::ios::binary);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        try {
            icon->LoadFromFile(temp);
        } catch (...) {
            os::DeleteFile(temp);
            throw;
        }
        os::DeleteFile(temp);
        return icon;
    } catch (const EDazedeVedodev&) {
        throw;
    } catch (const Exception&) {
        badRecord();
    }
}

std::unique_ptr<TBitmap> TFilePrinter::readBitmap() {
    std::unique_ptr<TGraphic> graphic = readGraphic();
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic.get())) {
        graphic.release();
        return std::unique_ptr<TBitmap>(bitmap);
    }
    auto bitmap = std::make_unique<TBitmap>();
    if (!graphic->Empty()) {
        bitmap->SetSize(graphic->Width(), graphic->Height());
        graphic->Draw(bitmap->Canvas(), {0, 0, graphic->Width(), graphic->Height()});
    }
    return bitmap;
}

// ---------------------------------------------------------------- header and pages

void TFilePrinter::readHeader() {
    const std::size_t back = pos_;
    pos_ = 0;
    if (data_.empty()) RaiseReportError(throughMessageHook(UnexpectedHeaderMessage));
    const std::uint8_t code = readByte();
    if (code == StreamHeaderQ) version_ = 1101;
    else if (code == StreamHeaderY) version_ = 2009;
    else if (code == StreamHeaderZ) version_ = readWord();
    else RaiseReportError(throughMessageHook(UnexpectedHeaderMessage));
    if (version_ >= 2010) SetTitle(readString());
    pageCount_ = std::max<int>(0, readWord());
    readWord();
    readWord();
    filePageWidth_ = readSingle();
    filePageHeight_ = readSingle();
    for (int i = 0; i < 4; ++i) readSingle();
    const std::uint8_t orientation = readByte();
    int bin = 0, collate = 0, duplex = 0;
    if (version_ >= 2000) {
        bin = readWord();
        collate = readByte();
        duplex = readByte();
    }
    const int copies = readWord();
    const int paperSize = readWord();
    const int paperWidth = readWord();
    const int paperLength = readWord();
    const std::string printer = readString();
    if (!NoPrinters()) {
        SetOrientation(orientation ? TOrientation::poLandScape : TOrientation::poPortrait);
        if (!keepPrinterSettings_) {
            // The bin by its number, when this printer lists that number.
            if (const std::string binName = Device()->BinName(bin); !binName.empty())
                Device()->SelectBin(binName, true);
            Device()->SetCollate(collate != 0);
            Device()->SetDuplex(std::clamp(duplex, 0, 2));
            if (copies > 0) SetCopies(std::min(copies, MaxCopies()));
        }
        if (paperSize > 0) Device()->SetPaperSize(paperSize, std::max(paperWidth, 0), std::max(paperLength, 0));
        if (!printer.empty()) SelectPrinter(printer);
    }
    firstPagePos_ = pos_;
    if (back > 0) pos_ = back;
}

bool TFilePrinter::SeekPage(int PageNum) {
    if (!open_) badRecord();
    auto land = [this](std::size_t at) {
        pos_ = at;
        if (readByte() != rcPageStart) badRecord();
        const std::int32_t prev = readLong();
        const std::int32_t next = readLong();
        readWord();
        if (version_ >= 2000) {
            const double width = readSingle();
            const double height = readSingle();
            if (width > 0 && height > 0) {
                filePageWidth_ = width;
                filePageHeight_ = height;
            }
        } else {
            readByte();
        }
        // Previous links run backward and next links forward, so no chain loops.
        if (prev < 0 || static_cast<std::size_t>(prev) >= at) badRecord();
        if (next < 0 || (next != 0 && (static_cast<std::size_t>(next) <= at ||
                                       static_cast<std::size_t>(next) >= data_.size())))
            badRecord();
        curPagePos_ = at;
        prevPagePos_ = static_cast<std::size_t>(prev);
        nextPagePos_ = static_cast<std::size_t>(next);
    };
    if (curPage_ == 0) {
        land(firstPagePos_);
        curPage_ = 1;
    }
    while (PageNum > curPage_ && nextPagePos_ != 0) {
        land(nextPagePos_);
        ++curPage_;
    }
    while (PageNum < curPage_ && curPage_ > 1 && prevPagePos_ != 0) {
        land(prevPagePos_);
        --curPage_;
    }
    land(curPagePos_);
    return PageNum == curPage_;
}

void TFilePrinter::resetPageLinks() {
    curPage_ = 0;
    prevPagePos_ = curPagePos_ = 0;
    nextPagePos_ = firstPagePos_;
}

void TFilePrinter::releaseBrushBitmap() {
    brushBitmap_.reset();
    try {
        GetCanvas()->Brush()->SetBitmap(nullptr);
    } catch (const Exception&) {
    }
}

void TFilePrinter::PlayPage(int PageNum) {
    if (!SeekPage(PageNum)) badRecord();
    FormatStatusText();
    for (;;) {
        const std::uint8_t code = readByte();
        if (code == rcPageEnd) break;
        playRecord(code);
    }
    if (pendingOrientation_ != 2) {
        SetOrientation(pendingOrientation_ ? TOrientation::poLandScape : TOrientation::poPortrait);
        pendingOrientation_ = 2;
    }
}

// ---------------------------------------------------------------- records

void TFilePrinter::setPenWidthInches(double Width) {
    const int pixels = roundToInt(std::fabs(Width) * XDPI() * ScaleX() * ZoomFactor() / 10000.0);
    GetCanvas()->Pen()->SetWidth(std::clamp(pixels, 0, MaxPenPixels));
}

void TFilePrinter::fitFontWidth(double Height, double SampleWidth) {
    double measured = TextWidth(FontWidthSample);
    const double pixelsPerInch = YDPI() * ZoomFactor() / 100.0;
    double height = Height;
    // Widths are whole device pixels, stored as singles: half a pixel is no difference.
    const double slack = 0.5 / (XDPI() * ZoomFactor() / 100.0);
    for (int step = 0; step < MaxFitSteps && measured > SampleWidth + slack; ++step) {
        const double lower = (height * pixelsPerInch - 1.1) / pixelsPerInch;
        if (lower <= 0) break;
        SetFontHeight(lower);
        const double narrower = TextWidth(FontWidthSample);
        if (narrower >= measured) {
            SetFontHeight(Height);
            break;
        }
        height = lower;
        measured = narrower;
    }
}

std::string TFilePrinter::readValueBlock(std::size_t Depth) {
    const std::size_t block = pos_;
    const std::uint8_t n = readByte();
    const std::uint8_t k = readByte();
    if (n > NamedValueBlockSize) badRecord();
    const std::string bytes = readRaw(n);
    if (k < NamedValueLink) return bytes.substr(0, std::min<std::size_t>(k, n));
    if (n < 4) badRecord();
    std::uint32_t link = 0;
    for (int i = 3; i >= 0; --i) link = (link << 8) | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
    // A placeholder never resolved links to nothing: an empty value.
    if (link == 0) return {};
    // Links point back at earlier blocks, so following them ends.
    if (link >= block || Depth > data_.size()) badRecord();
    const std::size_t back = pos_;
    pos_ = link;
    std::string value = readValueBlock(Depth + 1);
    pos_ = back;
    return value;
}

void TFilePrinter::readNamedValue() {
    const std::string name = readString();
    SetNamedValue(name, readValueBlock(0));
}

void TFilePrinter::readBrushBitmap() {
    brushBitmap_ = readBitmap();
    GetCanvas()->Brush()->SetBitmap(brushBitmap_.get());
}

void TFilePrinter::readFontRecord() {
    const std::string name = readString().substr(0, 60);
    const TColor color = static_cast<TColor>(readLong());
    const TFontPitch pitch = enumByte(readByte(), fpFixed);
    if (version_ > 2017) SetFontCharSet(readByte());
    const double height = std::clamp(readSingle(), 0.0, MaxFontHeight);
    const bool bold = readByte(), italic = readByte(), underline = readByte(), strikeout = readByte();
    SetFontName(name);
    SetFontColor(color);
    SetFontPitch(pitch);
    if (height > 0) SetFontSize(height * 72);
    SetBold(bold);
    SetItalic(italic);
    SetUnderline(underline);
    SetStrikeout(strikeout);
    if (version_ >= 2000) SetFontRotation(readWord());
}

void TFilePrinter::playRecord(std::uint8_t Code) {
    double x1, y1, x2, y2;
    switch (Code) {
        case rcArc:
        case rcChord:
        case rcPie: {
            double v[8];
            for (double& value : v) value = readSingle();
            if (Code == rcArc) Arc(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            else if (Code == rcChord) Chord(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            else Pie(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
            break;
        }
        case rcBrushCopy: {
            std::unique_ptr<TBitmap> bitmap = readBitmap();
            double s1, s2, s3, s4;
            readRect(x1, y1, x2, y2);
            readRect(s1, s2, s3, s4);
            const TColor color = static_cast<TColor>(readLong());
            BrushCopy(x1, y1, x2, y2, bitmap.get(), s1, s2, s3, s4, color);
            break;
        }
        case rcDraw: {
            std::unique_ptr<TGraphic> graphic = readGraphic();
            x1 = readSingle();
            y1 = readSingle();
            Draw(x1, y1, graphic.get());
            break;
        }
        case rcDrawFocusRect:
        case rcEllipse:
        case rcFillRect:
        case rcFrameRect:
        case rcRectangle:
        case rcTabRectangle:
            readRect(x1, y1, x2, y2);
            if (Code == rcDrawFocusRect) DrawFocusRect(x1, y1, x2, y2);
            else if (Code == rcEllipse) Ellipse(x1, y1, x2, y2);
            else if (Code == rcFillRect) FillRect(x1, y1, x2, y2);
            else if (Code == rcFrameRect) FrameRect(x1, y1, x2, y2);
            else if (Code == rcRectangle) Rectangle(x1, y1, x2, y2);
            else TabRectangle(x1, y1, x2, y2);
            break;
        case rcFloodFill: {
            x1 = readSingle();
            y1 = readSingle();
            const TColor color = static_cast<TColor>(readLong());
            const std::int32_t style = readLong();
            FloodFill(x1, y1, color, style == 1 ? fsBorder : fsSurface);
            break;
        }
        case rcLineTo:
        case rcMoveTo:
            x1 = readSingle();
            y1 = readSingle();
            if (Code == rcLineTo) LineTo(x1, y1);
            else MoveTo(x1, y1);
            break;
        case rcPolygon:
        case rcPolyline: {
            const std::int16_t h = readWord();
            if (h < 0) badRecord();
            const std::size_t count = static_cast<std::size_t>(h) + 1;
            need(count * 8);
            std::vector<std::pair<double, double>> points(count);
            for (auto& point : points) {
                point.first = readSingle();
                point.second = readSingle();
            }
            if (Code == rcPolygon) Polygon(points);
            else Polyline(points);
            break;
        }
        case rcPrintBitmap: {
            std::unique_ptr<TBitmap> bitmap = readBitmap();
            x1 = readSingle();
            y1 = readSingle();
            const double sx = readSingle(), sy = readSingle();
            PrintBitmap(x1, y1, sx, sy, bitmap.get());
            break;
        }
        case rcPrintBitmapRect: {
            std::unique_ptr<TBitmap> bitmap = readBitmap();
            readRect(x1, y1, x2, y2);
            PrintBitmapRect(x1, y1, x2, y2, bitmap.get());
            break;
        }
        case rcRoundRect: {
            readRect(x1, y1, x2, y2);
            const double cx = readSingle(), cy = readSingle();
            RoundRect(x1, y1, x2, y2, cx, cy);
            break;
        }
        case rcStretchDraw: {
            std::unique_ptr<TGraphic> graphic = readGraphic();
            readRect(x1, y1, x2, y2);
            StretchDraw(x1, y1, x2, y2, graphic.get());
            break;
        }
        case rcTextRect: {
            readRect(x1, y1, x2, y2);
            const double x = readSingle(), y = readSingle();
            TextRect(CreateRect(x1, y1, x2, y2), x, y, readText());
            break;
        }
        case rcTextCenter:
        case rcTextLeft:
        case rcTextRight: {
            const double y = readSingle();
            const std::string text = readText();
            const double x = readSingle();
            SetYPos(y);
            if (Code == rcTextCenter) PrintCenterInch(text, x);
            else if (Code == rcTextLeft) PrintLeftInch(text, x);
            else PrintRightInch(text, x);
            break;
        }
        case rcTextBlockOld:
        case rcTextBlock: {
            const double y = readSingle();
            const std::string text = readText();
            const double x = readSingle();
            const double width = readSingle();
            SetYPos(y);
            PrintBlockInch(text, x, width);
            break;
        }
        case rcTextBKMode: SetTextBKMode(readByte() ? bkOpaque : bkTransparent); break;
        case rcBKColor: SetBKColor(static_cast<TColor>(readLong())); break;
        // Coordinates arrive with the recorded scale applied; it is not applied twice.
        case rcScaleX:
        case rcScaleY: readSingle(); break;
        case rcPassThrough: PrintData(readString()); break;
        case rcPassThroughData: {
            const std::int32_t length = readLong();
            if (length < 0) badRecord();
            TStringStream bytes(readRaw(static_cast<std::size_t>(length)));
            PrintDataStream(&bytes, length);
            break;
        }
        case rcImageMode: SetImageMode(readByte()); break;
        case rcFrameMode: SetFrameMode(std::min<std::uint8_t>(readByte(), 2)); break;
        case rcPrintImageRect: {
            const std::int32_t length = readLong();
            if (length < 0) badRecord();
            TStringStream image(readRaw(static_cast<std::size_t>(length)));
            const std::string type = readString();
            readRect(x1, y1, x2, y2);
            PrintImageRect(x1, y1, x2, y2, &image, type);
            break;
        }
        case rcNamedValue: readNamedValue(); break;
        case rcBrush: {
            TBrush* brush = GetCanvas()->Brush();
            brush->SetColor(static_cast<TColor>(readLong()));
            brush->SetStyle(enumByte(readByte(), bsDiagCross));
            if (readByte()) readBrushBitmap();
            break;
        }
        case rcBrushColor: GetCanvas()->Brush()->SetColor(static_cast<TColor>(readLong())); break;
        case rcBrushStyle: GetCanvas()->Brush()->SetStyle(enumByte(readByte(), bsDiagCross)); break;
        case rcBrushBitmap:
            if (readByte()) readBrushBitmap();
            break;
        case rcFont: readFontRecord(); break;
        case rcFontName: SetFontName(readString().substr(0, 60)); break;
        case rcFontColor: SetFontColor(static_cast<TColor>(readLong())); break;
        case rcFontPitch: SetFontPitch(enumByte(readByte(), fpFixed)); break;
        case rcFontSize: {
            const double height = std::clamp(readSingle(), 0.0, MaxFontHeight);
            if (height > 0) SetFontHeight(height);
            if (version_ >= 2000) {
                const double sample = readSingle();
                if (height > 0 && sample > 0) fitFontWidth(height, sample);
            }
            break;
        }
        case rcFontBold: SetBold(readByte() != 0); break;
        case rcFontUnderline: SetUnderline(readByte() != 0); break;
        case rcFontItalic: SetItalic(readByte() != 0); break;
        case rcFontStrikeout: SetStrikeout(readByte() != 0); break;
        case rcFontSuperscript: SetSuperscript(readByte() != 0); break;
        case rcFontSubscript: SetSubscript(readByte() != 0); break;
        case rcFontRotation: SetFontRotation(readWord()); break;
        case rcFontAlign: SetFontAlign(std::min<std::uint8_t>(readByte(), FontAlignBottom)); break;
        case rcFontCharSet: SetFontCharSet(readByte()); break;
        case rcPen: {
            TPen* pen = GetCanvas()->Pen();
            pen->SetColor(static_cast<TColor>(readLong()));
            pen->SetMode(enumByte(readByte(), pmNotXor));
            pen->SetStyle(enumByte(readByte(), psInsideFrame));
            setPenWidthInches(readSingle());
            break;
        }
        case rcPenColor: GetCanvas()->Pen()->SetColor(static_cast<TColor>(readLong())); break;
        case rcPenMode: GetCanvas()->Pen()->SetMode(enumByte(readByte(), pmNotXor)); break;
        case rcPenStyle: GetCanvas()->Pen()->SetStyle(enumByte(readByte(), psInsideFrame)); break;
        case rcPenWidth: setPenWidthInches(readSingle()); break;
        case rcFontMetrics:
            for (int i = 0; i < 3; ++i) readSingle();
            break;
        case rcPreviewOnly: AllowPreviewOnly(); break;
        case rcPrinterOnly: AllowPrinterOnly(); break;
        case rcAllDevices: AllowAll(); break;
        case rcOrientation: pendingOrientation_ = readByte() ? 1 : 0; break;
        case rcSelectBin: SelectBin(readString()); break;
        default: badRecord();
    }
}

// ---------------------------------------------------------------- named values

std::string TFilePrinter::NamedValue(const std::string& Name) {
    for (const auto& [name, value] : namedValues_)
        if (SameText(name, Name)) return value;
    return {};
}

void TFilePrinter::SetNamedValue(const std::string& Name, const std::string& Value) {
    for (auto& [name, value] : namedValues_) {
        if (SameText(name, Name)) {
            value = Value;
            return;
        }
    }
    namedValues_.emplace_back(Name, Value);
}

// ---------------------------------------------------------------- the run

void TFilePrinter::Start() { ExecuteCustom(0, 0, 0); }

void TFilePrinter::Execute() { ExecuteCustom(0, 0, 0); }

void TFilePrinter::ExecuteCustom(int NewFirstPage, int NewLastPage, int NewCopies) {
    runJob(NewFirstPage, NewLastPage, NewCopies, 1);
}

void TFilePrinter::ExecuteCopies(int Count) { runJob(0, 0, 0, std::max(Count, 1)); }

void TFilePrinter::runJob(int NewFirstPage, int NewLastPage, int NewCopies, int Repeats) {
    if (NoPrinters()) {
        MessageDlg(throughMessageHook(NoPrintersMessage), mtError, {mbOK});
        return;
    }
    idleGuard();
    setStartDateTime(Now());
    pendingOrientation_ = 2;
    if (!openInput()) return;
    TReportDevice* device = Device();
    std::exception_ptr failure;
    try {
        readHeader();
        if (NewCopies > 0) SetCopies(std::min(NewCopies, MaxCopies()));
        setCurrentPage(0);
        resetPageLinks();
        namedValues_.clear();
        SetTotalPages(pageCount_);
        marginRefresh();
        device->SetTitle(Title());
        device->setJobCaption(jobCaption());
        setPrinting(true);
        setAborted(false);
        // The file belongs to this job only: the shared device keeps no other report's.
        device->SetOutputFile(OutputFileName());
        device->BeginDoc();
        HookFont();
        SetFontState(GetFontState());
        ResetPrintState();
        SetDirectLines(true);
        const int first = NewFirstPage > 0 ? NewFirstPage : 1;
        const int last = NewLastPage > 0 && NewLastPage < pageCount_ ? NewLastPage : pageCount_;
        const bool reverse = UpperCase(PageSelection()).find('R') != std::string::npos;
        for (int copy = 1; copy <= Repeats && !Aborted(); ++copy) {
            if (Repeats > 1) SetCurrentCopy(copy);
            for (int i = first; i <= last; ++i) {
                const int page = reverse ? last - (i - first) : i;
                const bool skipped = !PageSelected(page) || Aborted();
                setPageSkipped(skipped);
                device->NewPage(!skipped);
                devicePageChanged();
                if (Application) Application->ProcessMessagesNowAndThen();
                PlayPage(page);
                setCurrentPage(page);
                if (Application) Application->ProcessMessagesNowAndThen();
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    releaseBrushBitmap();
    FreeFontCache();
    UnhookFont();
    if (device->Printing()) device->EndDoc();
    closeInput();
    setPrinting(false);
    if (failure) std::rethrow_exception(failure);
}
