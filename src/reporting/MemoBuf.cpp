#include "reporting/MemoBuf.h"

#include <algorithm>
#include <cmath>

#include "base/Streams.h"
#include "base/SysUtils.h"
#include "reporting/FontKeeper.h"
#include "reporting/RSBase.h"
#include "reporting/ReportRounding.h"

namespace {

const char* const NoReportMessage = "TMemoBuf.BaseReport not assigned.";
const char* const BadEdgesMessage = "TMemoBuf.PrintEnd must be greater than TMemoBuf.PrintStart";

// No word and no run of blanks is taken longer than this.
constexpr int MaxWordBytes = 65520;
// Lines set by their fonts are this much taller than the tallest font.
constexpr double FontLineFactor = 1.2;
constexpr double HeightTolerance = 0.001;
constexpr double MemoHeightLimit = 99999999.0;

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isWordEnd(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The font state of the tallest font a coded line selects.
TFontState tallestFont(TBaseReport* report, const std::string& line) {
    TFontKeeper keep(report);
    TFontState tallest = report->GetFontState();
    bool any = false;
    const int end = static_cast<int>(line.size());
    int index = 1;
    std::string plain;
    while (index <= end) {
        PrintNextPiece(report, line, index, plain);
        const TFontState font = report->GetFontState();
        if (!any || font.Height > tallest.Height) tallest = font;
        any = true;
    }
    return tallest;
}

}  // namespace

void TRSTFItem::AddRSTF(const std::string& NewCodes) {
    if (NewCodes.empty()) return;
    if (Codes.empty()) {
        Codes = NewCodes;
        return;
    }
    if (Codes.back() == FormatRunEnd) Codes.pop_back();
    std::string added = NewCodes;
    if (added.front() == FormatRunStart) added.front() = FormatCodeSeparator;
    Codes += added;
}

// ---------------------------------------------------------------- text

TMemoBuf::TMemoBuf() = default;

TMemoBuf::~TMemoBuf() = default;

void TMemoBuf::Clear() {
    buffer_.clear();
    buffer_.shrink_to_fit();
    items_.clear();
    Reset();
}

void TMemoBuf::Reset() {
    Pos = 0;
    NewParagraph = true;
    FirstWord = true;
}

void TMemoBuf::SetPos(int P) { Pos = std::clamp(P, 0, Size()); }

void TMemoBuf::restoreState(const State& s) {
    Pos = s.Pos;
    NewParagraph = s.NewParagraph;
    FirstWord = s.FirstWord;
}

void TMemoBuf::reserveFor(std::size_t size) {
    if (size <= buffer_.capacity()) return;
    const std::size_t step = BufferInc > 0 ? static_cast<std::size_t>(BufferInc) : 1;
    buffer_.reserve((size + step - 1) / step * step);
}

void TMemoBuf::SetText(const std::string& Value) {
    if (Value.empty()) {
        Clear();
        return;
    }
    SetData(Value.data(), static_cast<int>(Value.size()));
}

void TMemoBuf::SetRTF(const std::string& Value) {
    rtfPending_ = true;
    SetData(Value.data(), static_cast<int>(Value.size()));
}

void TMemoBuf::SetFromStream(TStream* Stream, std::int64_t Count) {
    if (!Stream) return;
    const std::int64_t left = std::max<std::int64_t>(Stream->Size() - Stream->Position(), 0);
    const std::int64_t size = Count <= 0 ? left : std::min(Count, left);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(Stream->Read(bytes.data(), size), 0)));
    SetData(bytes.data(), static_cast<int>(bytes.size()));
}

void TMemoBuf::SetData(const char* Buffer, int Count) {
    if (rtfPending_) {
        rtfPending_ = false;
        const std::string converted = RTFToCodes(std::string(Buffer, static_cast<std::size_t>(std::max(Count, 0))));
        SetData(converted.data(), static_cast<int>(converted.size()));
        return;
    }
    Clear();
    if (!Buffer || Count <= 0) return;
    const int visible = ParseCodes ? VisibleLength(Buffer, Count) : Count;
    reserveFor(static_cast<std::size_t>(visible));
    if (visible == Count) {
        buffer_.assign(Buffer, static_cast<std::size_t>(Count));
        return;
    }
    int i = 0;
    while (i < Count) {
        if (Buffer[i] != FormatRunStart) {
            const int start = i;
            while (i < Count && Buffer[i] != FormatRunStart) ++i;
            buffer_.append(Buffer + start, static_cast<std::size_t>(i - start));
            continue;
        }
        const int start = i;
        while (i < Count && Buffer[i] != FormatRunEnd) ++i;
        if (i < Count) ++i;  // the run's byte 4
        anchorCodes(Size(), std::string(Buffer + start, static_cast<std::size_t>(i - start)), false);
    }
}

void TMemoBuf::anchorCodes(int Position, const std::string& Codes, bool Replace) {
    auto at = std::find_if(items_.begin(), items_.end(),
                           [&](const std::unique_ptr<TRSTFItem>& item) { return item->Position >= Position; });
    if (at != items_.end() && (*at)->Position == Position) {
        if (Replace) (*at)->SetRSTF(Codes);
        else (*at)->AddRSTF(Codes);
        return;
    }
    items_.insert(at, std::make_unique<TRSTFItem>(Codes, Position));
}

TFormatState TMemoBuf::FormatAt(int Position) const {
    TFormatState state;
    for (const auto& item : items_) {
        if (item->Position > Position) break;
        ApplyCodes(state, item->Codes);
    }
    return state;
}

void TMemoBuf::Insert(int P, const std::string& Text) {
    if (Text.empty()) return;
    P = std::clamp(P, 0, Size());
    reserveFor(buffer_.size() + Text.size());
    buffer_.insert(static_cast<std::size_t>(P), Text);
    const int length = static_cast<int>(Text.size());
    for (auto& item : items_)
        if (item->Position >= P) item->Position += length;
}

void TMemoBuf::Delete(int P, int Count) {
    P = std::clamp(P, 0, Size());
    if (Count <= 0 || P >= Size()) return;
    const int end = std::min(P + Count, Size());
    if (!items_.empty()) {
        anchorCodes(end, CodesForState(FormatAt(end)), true);
        items_.erase(std::remove_if(items_.begin(), items_.end(),
                                    [&](const std::unique_ptr<TRSTFItem>& item) {
                                        return item->Position >= P && item->Position < end;
                                    }),
                     items_.end());
        for (auto& item : items_)
            if (item->Position >= end) item->Position -= end - P;
    }
    buffer_.erase(static_cast<std::size_t>(P), static_cast<std::size_t>(end - P));
    if (Pos > Size()) Pos = Size();
}

int TMemoBuf::findFrom(int Start) const {
    const int length = static_cast<int>(searchText_.size());
    if (length == 0 || Start < 0) return -1;
    const std::string haystack = searchCase_ ? buffer_ : UpperCase(buffer_);
    const std::string needle = searchCase_ ? searchText_ : UpperCase(searchText_);
    const std::size_t at = haystack.find(needle, static_cast<std::size_t>(Start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

bool TMemoBuf::Search(const std::string& Text, bool CaseMatters) {
    searchText_ = Text;
    searchCase_ = CaseMatters;
    const int hit = findFrom(0);
    if (hit < 0) return false;
    Pos = hit;
    return true;
}

bool TMemoBuf::SearchNext() {
    const int hit = findFrom(Pos + 1);
    if (hit < 0) return false;
    Pos = hit;
    return true;
}

void TMemoBuf::ReplaceAll(const std::string& SearchText, const std::string& ReplaceText, bool CaseMatters) {
    searchText_ = SearchText;
    searchCase_ = CaseMatters;
    const int oldPos = Pos;
    const int length = static_cast<int>(SearchText.size());
    for (int hit = findFrom(0); hit >= 0; hit = findFrom(hit + static_cast<int>(ReplaceText.size()))) {
        const bool formatted = !items_.empty();
        const TFormatState format = FormatAt(hit);
        Delete(hit, length);
        Insert(hit, ReplaceText);
        if (formatted) anchorCodes(hit, CodesForState(format), true);
    }
    Pos = std::min(oldPos, Size());
}

// ---------------------------------------------------------------- lines

void TMemoBuf::checkReport() const {
    if (!BaseReport) RaiseReportError(throughMessageHook(NoReportMessage));
    if (PrintEnd <= PrintStart) RaiseReportError(throughMessageHook(BadEdgesMessage));
}

std::string TMemoBuf::nextWord(int& Start) {
    Start = Pos;
    const int size = Size();
    if (Pos >= size) return {};
    int at = Pos;
    while (at < size && at - Pos < MaxWordBytes && isBlank(buffer_[static_cast<std::size_t>(at)])) ++at;
    if (at >= size) {  // blanks at the end of the text print nothing
        Pos = size;
        return {};
    }
    if (FirstWord && !NewParagraph && !KeepSpaces) Start = at;
    FirstWord = false;
    NewParagraph = false;
    if (at < size && (buffer_[static_cast<std::size_t>(at)] == '\r' || buffer_[static_cast<std::size_t>(at)] == '\n')) {
        if (buffer_[static_cast<std::size_t>(at)] == '\r' && at + 1 < size && buffer_[static_cast<std::size_t>(at) + 1] == '\n')
            ++at;
        Pos = at + 1;
        NewParagraph = true;
        Start = at;
        return "\r";
    }
    const int wordStart = at;
    while (at < size && at - wordStart < MaxWordBytes && !isWordEnd(buffer_[static_cast<std::size_t>(at)])) ++at;
    Pos = at;
    return buffer_.substr(static_cast<std::size_t>(Start), static_cast<std::size_t>(at - Start));
}

std::string TMemoBuf::withCodes(int From, int To) const {
    std::string text;
    auto item = items_.begin();
    while (item != items_.end() && (*item)->Position <= From) ++item;
    for (int i = From; i < To; ++i) {
        for (; item != items_.end() && (*item)->Position == i; ++item) text += (*item)->Codes;
        text += buffer_[static_cast<std::size_t>(i)];
    }
    return text;
}

int TMemoBuf::measure(const std::string& Line) const {
    if (!items_.empty()) return CodedTextWidth(BaseReport, Line);
    return PlainTextWidth(BaseReport, Line, 0);
}

int TMemoBuf::availableWidth() const {
    return BaseReport->xUnitsToDevice(PrintEnd) - BaseReport->xUnitsToDevice(PrintStart) + 1;
}

std::string TMemoBuf::GetLine(bool& EndOfParagraph) {
    checkReport();
    EndOfParagraph = false;
    FirstWord = true;
    const bool startsParagraph = NewParagraph;
    int width = availableWidth();
    std::string prefix;
    std::string line;
    int lineStart = -1;
    leftIndent_ = rightIndent_ = 0;
    for (;;) {
        const State before = saveState();
        int start;
        const std::string word = nextWord(start);
        if (lineStart < 0) {
            lineStart = start;
            if (!items_.empty()) {
                const TFormatState format = FormatAt(start);
                prefix = CodesForState(format);
                leftIndent_ = format.LeftIndent + (startsParagraph ? format.FirstIndent : 0);
                rightIndent_ = format.RightIndent;
                const int indent = roundToInt((leftIndent_ + rightIndent_) * BaseReport->XDPI());
                if (indent != 0) width = std::max(width - indent, std::min(width, BaseReport->XDPI()));
            }
        }
        if (word.empty() || word == "\r") {
            EndOfParagraph = true;
            break;
        }
        const std::string candidate = withCodes(lineStart, Pos);
        if (measure(prefix + candidate) <= width) {
            line = candidate;
            continue;
        }
        const int wordEnd = Pos;
        restoreState(before);
        if (!line.empty()) break;
        // One word wider than the column: as many characters as fit, at
        // least one, so that printing always advances.
        int end = lineStart + 1;
        while (end < wordEnd && measure(prefix + withCodes(lineStart, end + 1)) <= width) ++end;
        line = withCodes(lineStart, end);
        Pos = end;
        FirstWord = false;
        NewParagraph = false;
        break;
    }
    return prefix + line;
}

int TMemoBuf::MemoLinesLeft() {
    checkReport();
    const State saved = saveState();
    TFontKeeper keep(BaseReport);
    int count = 0;
    bool endOfParagraph;
    while (Pos < Size()) {
        GetLine(endOfParagraph);
        ++count;
    }
    restoreState(saved);
    return count;
}

bool TMemoBuf::lineHeightsByFont() const {
    return !items_.empty() && BaseReport->LineHeightMethod() == lhmFont;
}

double TMemoBuf::codedLineHeight(const std::string& Line) const {
    return FontLineFactor * BaseReport->inchToUnits(tallestFont(BaseReport, Line).Height);
}

double TMemoBuf::PrintLines(int Lines, bool PrintTabs) {
    if (Lines < 0) return 0;
    checkReport();
    TBaseReport* report = BaseReport;
    std::string tabText;
    if (PrintTabs)
        for (int n = 1; report->GetTab(n); ++n) tabText += '\t';
    double total = 0;
    int printed = 0;
    while (Pos < Size() && (Lines == 0 || printed < Lines)) {
        const State before = saveState();
        bool endOfParagraph;
        std::string line;
        {
            TFontKeeper keep(report);
            line = GetLine(endOfParagraph);
        }
        if (lineHeightsByFont()) {
            const TFontState tallest = tallestFont(report, line);
            const double height = FontLineFactor * report->inchToUnits(tallest.Height);
            if (HeightLeft > 0) {
                HeightLeft -= height;
                if (HeightLeft < -HeightTolerance) {
                    restoreState(before);
                    break;
                }
            }
            // The line below sits by its own tallest font.
            report->SetFontState(tallest);
            if (printed > 0) report->NewLine();
            total += height;
        } else {
            if (printed > 0) report->NewLine();
            total += report->LineHeight();
        }
        if (PrintTabs) report->PrintTabbedText(tabText);
        TPrintJustify justify = Justify;
        if (!items_.empty()) {
            justify = CodedJustify(line, Justify);
            Justify = justify == pjBlock ? pjLeft : justify;
        }
        if (endOfParagraph && justify == pjBlock) justify = pjLeft;
        const double left = report->unitsToInch(PrintStart + (report->ColumnNum() - 1) * report->ColumnWidth());
        const double width = report->unitsToInch(PrintEnd - PrintStart) - leftIndent_ - rightIndent_;
        report->PrintJustify(line, justify, left + leftIndent_, 0, width);
        ++printed;
    }
    if (printed > 0 && !NoFinalLine) report->NewLine();
    return total;
}

double TMemoBuf::PrintHeight(double Height, bool PrintTabs) {
    checkReport();
    if (lineHeightsByFont()) {
        HeightLeft = Height;
        double printed = 0;
        try {
            printed = PrintLines(0, PrintTabs);
        } catch (...) {
            HeightLeft = 0;
            throw;
        }
        HeightLeft = 0;
        return printed;
    }
    const double lineHeight = BaseReport->LineHeight();
    if (!(lineHeight > 0)) return 0;
    const int lines = truncToInt(Height / lineHeight + 0.00001);
    // No whole line fits: nothing, not "all that remain".
    if (lines <= 0) return 0;
    return PrintLines(lines, PrintTabs);
}

double TMemoBuf::MemoHeightMax(double Limit) {
    checkReport();
    if (lineHeightsByFont()) {
        const State saved = saveState();
        double sum = 0;
        bool endOfParagraph;
        while (Pos < Size()) {
            std::string line;
            {
                TFontKeeper keep(BaseReport);
                line = GetLine(endOfParagraph);
            }
            const double height = codedLineHeight(line);
            if (sum + height > Limit) break;
            sum += height;
        }
        restoreState(saved);
        return sum;
    }
    const double lineHeight = BaseReport->LineHeight();
    const double height = MemoLinesLeft() * lineHeight;
    if (height > Limit && lineHeight > 0) return std::floor(Limit / lineHeight) * lineHeight;
    return height;
}

double TMemoBuf::MemoHeight() { return MemoHeightMax(MemoHeightLimit); }

// ---------------------------------------------------------------- the report's side

int TBaseReport::MemoLines(TBaseMemoBuf* MemoBuf) {
    MemoBuf->BaseReport = this;
    return MemoBuf->MemoLinesLeft();
}

void TBaseReport::PrintMemo(TBaseMemoBuf* MemoBuf, int Lines, bool PrintTabs) {
    MemoBuf->BaseReport = this;
    MemoBuf->PrintLines(Lines, PrintTabs);
}
