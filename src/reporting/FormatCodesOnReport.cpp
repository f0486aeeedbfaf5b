// The format-code routines that work on a report's font: applying runs,
// printing piece by piece, and measuring coded text.
#include <algorithm>

#include "base/SysUtils.h"
#include "reporting/FontKeeper.h"
#include "reporting/RSBase.h"
#include "reporting/ReportRounding.h"
#include "reporting/TextFormatCodes.h"

namespace {

// The largest point size a run may set; larger sizes are cut to it.
constexpr double MaxCodedSize = 1638;

void resetStyle(TFontState& font) {
    font.Bold = font.Italic = font.Underline = font.Strikeout = false;
    font.Color = clBlack;
    font.Pitch = fpDefault;
}

}  // namespace

void ApplyFontCodes(TBaseReport* Report, const std::string& Codes) {
    TFontState font = Report->GetFontState();
    const TCodedStyle style{font.Bold,      font.Italic,      font.Underline, font.Strikeout,
                            font.Subscript, font.Superscript, font.Name,      font.Pitch};
    forEachCode(Codes, [&font, &style](char letter, const std::string& value) {
        if (applyStyleCode(style, letter, value)) return true;
        switch (letter) {
            case 'Z': {
                double size;
                if (TryStrToFloat(value, size) && size > 0) {
                    font.Size = std::min(size, MaxCodedSize);
                    font.Height = font.Size / 72.0;
                }
                break;
            }
            case 'C': {
                int color;
                if (TryStrToInt(value, color)) font.Color = color & 0xFFFFFF;
                break;
            }
            case 'R': {
                TFontState fresh;
                fresh.Name = "Arial";
                fresh.Size = 12;
                fresh.Height = 1.0 / 6.0;
                font = fresh;
                break;
            }
            case 'r': resetStyle(font); break;
            default: break;
        }
        return true;
    });
    Report->SetFontState(font);
}

void PrintNextPiece(TBaseReport* Report, const std::string& Text, int& Index, std::string& Plain) {
    std::string codes;
    SplitText(Text, Index, Plain, codes);
    if (!codes.empty()) ApplyFontCodes(Report, codes);
}

int CodedTextWidth(TBaseReport* Report, const std::string& Text) {
    TFontKeeper keep(Report);
    int total = 0;
    int index = 1;
    const int end = static_cast<int>(Text.size());
    std::string plain;
    while (index <= end) {
        PrintNextPiece(Report, Text, index, plain);
        if (!plain.empty()) total += Report->textPixels(plain);
    }
    return total == 0 ? 1 : total;
}

int PlainTextWidth(TBaseReport* Report, const std::string& Text, int Start) {
    const int tab = roundToInt(Report->unitsToInch(Report->TabSpacing()) * Report->XDPI());
    int width = Start;
    std::size_t start = 0;
    for (std::size_t at = Text.find('\t'); at != std::string::npos; at = Text.find('\t', start)) {
        if (at > start) width += Report->textPixels(Text.substr(start, at - start));
        if (tab > 0) width = ((width - 1) / tab + 1) * tab;
        start = at + 1;
    }
    if (start < Text.size()) width += Report->textPixels(Text.substr(start));
    return width;
}

double CodedLineHeight(TBaseReport* Report, const std::string& Text) {
    TFontKeeper keep(Report);
    double tallest = Report->FontHeight();
    int index = 1;
    const int end = static_cast<int>(Text.size());
    std::string plain;
    while (index <= end) {
        PrintNextPiece(Report, Text, index, plain);
        tallest = std::max(tallest, Report->FontHeight());
    }
    return tallest;
}
