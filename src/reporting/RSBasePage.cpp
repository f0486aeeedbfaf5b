// TBaseReport: pens and brushes, the merging of straight lines, the
// destination filter, run and page control, page selection, page-event
// lists, the event dispatchers and the status text.
#include <algorithm>
#include <cmath>

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reporting/ReportRounding.h"
#include "ui/Application.h"
#include "ui/StdCtrls.h"

namespace {

// Lines closer than this count as one.
constexpr double LineTolerance = 0.0001;

std::uint8_t destinationBit(int kind) { return static_cast<std::uint8_t>(1u << kind); }

}  // namespace

// ---------------------------------------------------------------- pens and brushes

void TBaseReport::SetPen(TColor Color, TPenStyle Style, int Width, TPenMode Mode) {
    TPen* pen = GetCanvas()->Pen();
    pen->SetColor(Color);
    pen->SetMode(Mode);
    int width = Width;
    if (Width < 0) {
        const double factor = xdpi_ * scaleX_ * zoomFactor_ * 0.0001;
        width = Width >= -10000 ? roundToInt(-static_cast<double>(Width) * 0.01 * factor)
                                : roundToInt((-static_cast<double>(Width) - 10000) * 0.0001 * factor);
        if (width == 0) width = 1;
    }
    pen->SetWidth(width);
    pen->SetStyle(Style);
}

void TBaseReport::SetBrush(TColor Color, TBrushStyle Style, TBitmap* Bitmap) {
    TBrush* brush = GetCanvas()->Brush();
    brush->SetColor(Color);
    brush->SetStyle(Style);
    if (Bitmap) brush->SetBitmap(Bitmap);
}

void TBaseReport::SetBKColor(TColor Color) {
    outputGuard();
    if (TDeviceContext* dc = GetCanvas()->Handle()) dc->SetBkColor(ColorToRGB(Color));
}

TColor TBaseReport::GetBKColor() {
    outputGuard();
    TDeviceContext* dc = GetCanvas()->Handle();
    return dc ? dc->BkColor() : clWhite;
}

// ---------------------------------------------------------------- line merging

void TBaseReport::setPenPosition(double X, double Y) {
    penX_ = X + OriginX();
    penY_ = Y + OriginY();
}

bool TBaseReport::CheckLine(double X, double Y) {
    X += OriginX();
    Y += OriginY();
    bool merged = false;
    if (!directLines_) {
        if (X == penX_) {
            addSegment(verticalLines_, std::min(Y, penY_), std::max(Y, penY_), X);
            merged = true;
        } else if (Y == penY_) {
            addSegment(horizontalLines_, std::min(X, penX_), std::max(X, penX_), Y);
            merged = true;
        }
    }
    penX_ = X;
    penY_ = Y;
    return merged;
}

void TBaseReport::addSegment(LineList& List, double Lo, double Hi, double Pos) {
    const TPen* pen = GetCanvas()->Pen();
    const LineSegment fresh{Lo, Hi, Pos, pen->Color(), pen->Mode(), pen->Style(), pen->Width()};
    auto within = [](double v, const LineSegment& s) {
        return v >= s.Lo - LineTolerance && v <= s.Hi + LineTolerance;
    };
    LineSegment added = fresh;
    for (auto it = List.begin(); it != List.end();) {
        const LineSegment& stored = *it;
        const bool samePen = stored.Color == fresh.Color && stored.Mode == fresh.Mode &&
                             stored.Style == fresh.Style && stored.Width == fresh.Width;
        if (!samePen || std::fabs(stored.Pos - fresh.Pos) > LineTolerance) {
            ++it;
            continue;
        }
        const bool loIn = within(added.Lo, stored);
        const bool hiIn = within(added.Hi, stored);
        if (loIn && hiIn) return;
        if (loIn) {
            added.Lo = stored.Lo;
            it = List.erase(it);
        } else if (hiIn) {
            added.Hi = stored.Hi;
            it = List.erase(it);
        } else if (added.Lo < stored.Lo && added.Hi > stored.Hi) {
            it = List.erase(it);
        } else {
            ++it;
        }
    }
    List.push_front(added);
}

void TBaseReport::drawSegments(LineList& List, bool Vertical) {
    const bool wasDirect = directLines_;
    directLines_ = true;
    TPen* pen = GetCanvas()->Pen();
    for (const LineSegment& s : List) {
        pen->SetColor(s.Color);
        pen->SetMode(s.Mode);
        pen->SetStyle(s.Style);
        pen->SetWidth(s.Width);
        if (Vertical) {
            MoveTo(s.Pos - OriginX(), s.Lo - OriginY());
            LineTo(s.Pos - OriginX(), s.Hi - OriginY());
        } else {
            MoveTo(s.Lo - OriginX(), s.Pos - OriginY());
            LineTo(s.Hi - OriginX(), s.Pos - OriginY());
        }
    }
    List.clear();
    directLines_ = wasDirect;
}

void TBaseReport::FlushLines() {
    if (verticalLines_.empty() && horizontalLines_.empty()) return;
    TPen saved;
    saved.Assign(*GetCanvas()->Pen());
    drawSegments(verticalLines_, true);
    drawSegments(horizontalLines_, false);
    GetCanvas()->Pen()->Assign(saved);
}

void TBaseReport::DiscardLines() {
    verticalLines_.clear();
    horizontalLines_.clear();
}

// ---------------------------------------------------------------- destinations

void TBaseReport::AllowPreviewOnly() {
    destinations_ &= static_cast<std::uint8_t>(~destinationBit(DestPrinter));
    destinations_ |= destinationBit(DestPreview);
}

void TBaseReport::AllowPrinterOnly() {
    destinations_ &= static_cast<std::uint8_t>(~destinationBit(DestPreview));
    destinations_ |= destinationBit(DestPrinter);
}

void TBaseReport::AllowAll() { destinations_ |= destinationBit(DestPrinter) | destinationBit(DestPreview); }

bool TBaseReport::OutputSuppressed() {
    const std::uint8_t destination = Destination();
    return pageSkipped_ || destination > 7 || (destinations_ & destinationBit(destination)) == 0;
}

// ---------------------------------------------------------------- run and pages

void TBaseReport::Execute() {
    Start();
    runPrintEvents();
}

void TBaseReport::runPrintEvents() {
    try {
        if (OnPrint) {
            DoPrint();
        } else if (OnPrintPage) {
            while (DoPrintPage() && !Aborted()) NewPage();
        } else {
            DoPrint();
        }
    } catch (...) {
        Finish();
        throw;
    }
    Finish();
}

std::exception_ptr TBaseReport::endLastPage() {
    if (Aborted()) return nullptr;
    try {
        DoPrintFooter();
        CallReportEvents(ReportEventPageEnd);
    } catch (const EAbort&) {
        // aborted while the last page closed: the run ends as aborted
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

void TBaseReport::closeRun(const std::function<void()>& CloseOutput) {
    DiscardLines();
    FreeFontCache();
    UnhookFont();
    CloseOutput();
    const bool wasPrinting = Printing();
    setPrinting(false);
    if (wasPrinting) DoAfterPrint();
}

void TBaseReport::NewPage() {
    outputGuard();
    ++currentPage_;
    FormatStatusText();
    pageSkipped_ = !(PageSelected(currentPage_) && !aborted_);
    originX_ = originY_ = 0;
    resetTabState();
    SetMarginBottom(marginBottom_);
    SetMarginRight(marginRight_);
    ResetSection();
    if (columns_ > 1) DoNewColumn();
    Home();
}

void TBaseReport::AbortPage() {
    outputGuard();
    if (pageSkipped_) return;
    pageSkipped_ = true;
    --currentPage_;
}

void TBaseReport::Abort() {
    aborted_ = true;
    pageSkipped_ = true;
}

void TBaseReport::ResetPrintState() {
    SetBrush(clBlack, bsClear, nullptr);
    SetPen(clBlack, psSolid, 1, pmCopy);
    originX_ = originY_ = 0;
    ClearColumns();
    ClearTabs();
    ResetSection();
    Home();
}

// "R" orders the pages and is no page item; items that are not numbers are
// ignored; a selection without page items selects every page.
bool TBaseReport::PageSelected(int PageNum) const {
    if (pageSelection_.empty()) return PageNum >= firstPage_ && PageNum <= lastPage_;
    bool anyItem = false;
    bool result = false;
    std::string item;
    bool hasRangeStart = false;
    std::string rangeStart;
    auto number = [](const std::string& text, int& value) { return TryStrToInt(Trim(text), value); };
    auto endItem = [&]() {
        const std::string word = UpperCase(Trim(item));
        int start = 1;
        bool rangeOk = !hasRangeStart || Trim(rangeStart).empty() || number(rangeStart, start);
        int last;
        if (hasRangeStart && word.empty()) {
            if (rangeOk) {
                anyItem = true;
                result = PageNum >= start;
            }
        } else if (word == "E" || word == "EVEN") {
            anyItem = true;
            result = PageNum % 2 == 0;
        } else if (word == "O" || word == "ODD") {
            anyItem = true;
            result = PageNum % 2 != 0;
        } else if (word == "A" || word == "ALL") {
            anyItem = true;
            result = true;
        } else if (!word.empty() && word != "R" && number(word, last) && rangeOk) {
            anyItem = true;
            result = hasRangeStart ? PageNum >= start && PageNum <= last : PageNum == last;
        }
        item.clear();
        rangeStart.clear();
        hasRangeStart = false;
    };
    for (char c : pageSelection_) {
        if (c == ',') {
            endItem();
            if (result) return true;
        } else if (c == '-' && !hasRangeStart) {
            rangeStart = item;
            hasRangeStart = true;
            item.clear();
        } else {
            item += c;
        }
    }
    endItem();
    return result || !anyItem;
}

// ---------------------------------------------------------------- page events

void TBaseReport::AddReportEvent(int Kind, TReportEventMethod Method) {
    auto& list = Kind == ReportEventPageBegin ? pageBeginEvents_ : pageEndEvents_;
    if (Kind != ReportEventPageBegin && Kind != ReportEventPageEnd) return;
    list.insert(list.begin(), std::move(Method));
}

void TBaseReport::RemoveReportEvent(int Kind, const TReportEventMethod& Method) {
    auto& list = Kind == ReportEventPageBegin ? pageBeginEvents_ : pageEndEvents_;
    auto it = std::find_if(list.begin(), list.end(), [&](const TReportEventMethod& m) {
        return m.Object == Method.Object && m.Name == Method.Name;
    });
    if (it != list.end()) list.erase(it);
}

void TBaseReport::CallReportEvents(int Kind) {
    // A copy: a method may add or remove entries while the list runs.
    const auto list = Kind == ReportEventPageBegin ? pageBeginEvents_ : pageEndEvents_;
    for (const TReportEventMethod& method : list)
        if (method.Call) method.Call(this);
}

// ---------------------------------------------------------------- dispatchers

void TBaseReport::DoPrint() {
    if (OnPrint) OnPrint(this);
}

bool TBaseReport::DoPrintPage() { return OnPrintPage ? OnPrintPage(this, currentPage_) : false; }

void TBaseReport::DoBeforePrint() {
    if (OnBeforePrint) OnBeforePrint(this);
}

void TBaseReport::DoAfterPrint() {
    if (OnAfterPrint) OnAfterPrint(this);
}

void TBaseReport::DoNewPage() {
    if (OnNewPage) OnNewPage(this);
}

void TBaseReport::DoNewColumn() {
    if (OnNewColumn) OnNewColumn(this);
}

void TBaseReport::DoPrintHeader() {
    if (OnPrintHeader) OnPrintHeader(this);
}

void TBaseReport::DoPrintFooter() {
    if (OnPrintFooter) OnPrintFooter(this);
}

void TBaseReport::DoEndOfSection() {
    if (OnEndOfSection) OnEndOfSection(this);
}

// ---------------------------------------------------------------- status text

std::string TBaseReport::StatusFormatText() const {
    auto* self = const_cast<TBaseReport*>(this);  // the device names are read through the device
    std::string text = statusFormat_;
    std::size_t at = text.find('%');
    while (at != std::string::npos && at + 1 < text.size()) {
        const char code = text[at + 1];
        std::string value;
        switch (std::toupper(static_cast<unsigned char>(code))) {
            case '%': value = "%"; break;
            case '0': case '1': case '2': case '3': case '4':
            case '5': case '6': case '7': case '8': case '9': {
                const int line = code - '0';
                if (line < statusText_->Count()) value = statusText_->Strings(line);
                break;
            }
            case 'C': value = IntToStr(currentCopy_); break;
            case 'D': value = self->DeviceName(); break;
            case 'F': value = IntToStr(firstPage_); break;
            case 'L': value = IntToStr(lastPage_); break;
            case 'N': value = "\r"; break;
            case 'P': value = IntToStr(currentPage_); break;
            case 'R': value = self->DriverName(); break;
            case 'S': value = IntToStr(totalCopies_); break;
            case 'T': value = self->Port(); break;
            default:
                value = std::string("<ERROR-%") + static_cast<char>(std::toupper(static_cast<unsigned char>(code))) + ">";
                break;
        }
        text.replace(at, 2, value);
        at = text.find('%', at + value.size());
    }
    return text;
}

void TBaseReport::FormatStatusText() {
    if (!statusLabel_) return;
    statusLabel_->SetCaption(StatusFormatText());
    if (Application) Application->ProcessMessagesNowAndThen();
}
