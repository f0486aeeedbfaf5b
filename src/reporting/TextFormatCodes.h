#pragma once
// Text-format code runs embedded in report text, and the RTF reader that
// produces them.
//
// A run is byte 1, a code, { byte 2, code }, byte 4; byte 3 is ignored inside
// a code's value. A code is one letter and its value (B I U K S P: "1" on,
// anything else off; N name; Z size in points; C colour; H pitch D/F/V;
// J justification C/L/R/B; F L G first, left and right indent in inches;
// R reset to the default; r reset the style only). Text outside runs is
// visible; a run takes no room.
//
// Every routine takes any byte string safely: a run without its byte 4 runs
// to the end of the text, unknown letters and unreadable values are ignored.
// Text indexes of NextCode, SplitText and PrintNextPiece are 1-based, as the
// memo buffer counts them; 0 is taken as 1.
#include <cstdint>
#include <string>

#include "reporting/RSDefine.h"
#include "ui/Graphics.h"

class TBaseReport;
class TStream;

constexpr char FormatRunStart = '\x01';
constexpr char FormatCodeSeparator = '\x02';
constexpr char FormatIgnored = '\x03';
constexpr char FormatRunEnd = '\x04';

// Font names in runs keep at most this many bytes.
constexpr std::size_t FormatNameLength = 40;

// The format a sequence of runs builds up; a fresh state is the default.
struct TFormatState {
    std::string Name = "Arial";
    double Size = 12;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool Subscript = false;
    bool Superscript = false;
    TFontPitch Pitch = fpDefault;
    std::int32_t Color = 0;  // RGB, red in the low byte
    TPrintJustify Justify = pjLeft;
    double FirstIndent = 0;  // inches, added to LeftIndent on a paragraph's first line
    double LeftIndent = 0;
    double RightIndent = 0;
    bool operator==(const TFormatState&) const = default;
};

// From Index, the next code: Letter and its Value; Index ends on the byte
// that ends the value. At the end of the text Letter is a blank.
void NextCode(const std::string& Text, int& Index, char& Letter, std::string& Value);
// Visit(Letter, Value) for each code of the runs in Codes, in order, until
// they end or Visit returns false.
template <class Visitor>
void forEachCode(const std::string& Codes, Visitor Visit) {
    int index = 1;
    char letter;
    std::string value;
    for (;;) {
        NextCode(Codes, index, letter, value);
        if (letter == ' ' || !Visit(letter, value)) return;
    }
}
// The fields of a format state or a report font that the style codes set.
struct TCodedStyle {
    bool& Bold;
    bool& Italic;
    bool& Underline;
    bool& StrikeOut;
    bool& Subscript;
    bool& Superscript;
    std::string& Name;
    TFontPitch& Pitch;
};
// Applies a style code (B I U K S P N H) to Style; false for any other
// letter.
bool applyStyleCode(const TCodedStyle& Style, char Letter, const std::string& Value);
// From Index, the runs in front of the next visible piece (whole, byte 1
// through byte 4) into Codes and that piece into Plain; Index ends after it.
void SplitText(const std::string& Text, int& Index, std::string& Plain, std::string& Codes);
// The number of bytes outside runs.
int VisibleLength(const std::string& Text);
int VisibleLength(const char* Buffer, int Count);

void DefaultFormat(TFormatState& State);
// Every code of the runs in Codes, in order.
void ApplyCodes(TFormatState& State, const std::string& Codes);
// Opens a run with Code, or appends Code to the open run.
void AddCode(std::string& Codes, const std::string& Code);
// Appends a code for each field in which New differs from Old, in the order
// F L G N Z B I U K S P C J (pitch is never written); returns Codes.
const std::string& CodesForChange(std::string& Codes, const TFormatState& New, const TFormatState& Old);
// A whole run that rebuilds State from any starting point.
std::string CodesForState(const TFormatState& State);
// The justification the runs set: R gives pjLeft, the first J decides.
TPrintJustify CodedJustify(const std::string& Codes, TPrintJustify Default);

// Converts Count bytes of RTF into plain text with runs, written to Stream.
// Byte 0 ends the input as its end does.
void RTFToCodes(const char* Buffer, int Count, TStream* Stream);
std::string RTFToCodes(const std::string& Rtf);

// ---- on a report (REQUIRES: the report is printing)

// Applies the font codes of a run to the report's current font.
void ApplyFontCodes(TBaseReport* Report, const std::string& Codes);
// SplitText, then the font codes of the runs met.
void PrintNextPiece(TBaseReport* Report, const std::string& Text, int& Index, std::string& Plain);
// Device pixels of a text with runs, each piece in the font its runs set;
// the report's font is kept. At least 1.
int CodedTextWidth(TBaseReport* Report, const std::string& Text);
// Start plus the device pixels of a text without runs; a TAB moves to the
// next multiple of the report's tab spacing.
int PlainTextWidth(TBaseReport* Report, const std::string& Text, int Start);
// The largest font height (units) among the fonts the runs select.
double CodedLineHeight(TBaseReport* Report, const std::string& Text);
