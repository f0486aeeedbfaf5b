#include "reporting/TextFormatCodes.h"

#include "base/SysUtils.h"

namespace {

bool isCodeEnd(char c) { return c == FormatCodeSeparator || c == FormatRunEnd; }

std::string flagCode(char letter, bool on) { return std::string(1, letter) + (on ? "1" : "0"); }

void resetStyle(TFormatState& state) {
    const TFormatState fresh;
    state.Bold = fresh.Bold;
    state.Italic = fresh.Italic;
    state.Underline = fresh.Underline;
    state.StrikeOut = fresh.StrikeOut;
    state.Subscript = fresh.Subscript;
    state.Superscript = fresh.Superscript;
    state.Pitch = fresh.Pitch;
    state.Color = fresh.Color;
}

void readNumber(const std::string& value, double& target) {
    double number;
    if (TryStrToFloat(value, number)) target = number;
}

const char* justifyCode(TPrintJustify justify) {
    switch (justify) {
        case pjCenter: return "JC";
        case pjRight: return "JR";
        case pjBlock: return "JB";
        case pjLeft: break;
    }
    return "JL";
}

bool readJustify(const std::string& value, TPrintJustify& justify) {
    switch (value.empty() ? '\0' : value[0]) {
        case 'C': justify = pjCenter; return true;
        case 'L': justify = pjLeft; return true;
        case 'R': justify = pjRight; return true;
        case 'B': justify = pjBlock; return true;
        default: return false;
    }
}

}  // namespace

bool applyStyleCode(const TCodedStyle& Style, char Letter, const std::string& Value) {
    const bool on = Value == "1";
    switch (Letter) {
        case 'B': Style.Bold = on; break;
        case 'I': Style.Italic = on; break;
        case 'U': Style.Underline = on; break;
        case 'K': Style.StrikeOut = on; break;
        case 'S': Style.Subscript = on; break;
        case 'P': Style.Superscript = on; break;
        case 'N': Style.Name = Value.substr(0, FormatNameLength); break;
        case 'H':
            if (!Value.empty() && Value[0] == 'D') Style.Pitch = fpDefault;
            if (!Value.empty() && Value[0] == 'F') Style.Pitch = fpFixed;
            if (!Value.empty() && Value[0] == 'V') Style.Pitch = fpVariable;
            break;
        default: return false;
    }
    return true;
}

void NextCode(const std::string& Text, int& Index, char& Letter, std::string& Value) {
    const int n = static_cast<int>(Text.size());
    int i = Index < 1 ? 1 : Index;
    Value.clear();
    while (i <= n && Text[i - 1] != FormatRunStart && Text[i - 1] != FormatCodeSeparator) ++i;
    if (i >= n) {  // no delimiter, or one with nothing after it
        Letter = ' ';
        Index = n + 1;
        return;
    }
    ++i;
    Letter = Text[i - 1];
    if (isCodeEnd(Letter)) {  // an empty code: no letter, Index on its end
        Letter = '\0';
        Index = i;
        return;
    }
    ++i;
    while (i <= n && !isCodeEnd(Text[i - 1])) {
        if (Text[i - 1] != FormatIgnored) Value += Text[i - 1];
        ++i;
    }
    Index = i;
}

void SplitText(const std::string& Text, int& Index, std::string& Plain, std::string& Codes) {
    const std::size_t n = Text.size();
    std::size_t i = Index < 1 ? 0 : static_cast<std::size_t>(Index - 1);
    Plain.clear();
    Codes.clear();
    while (i < n && Text[i] == FormatRunStart) {
        std::size_t end = Text.find(FormatRunEnd, i);
        end = end == std::string::npos ? n : end + 1;
        Codes.append(Text, i, end - i);
        i = end;
    }
    std::size_t next = i < n ? Text.find(FormatRunStart, i) : n;
    if (next == std::string::npos) next = n;
    Plain.assign(Text, i < n ? i : n, next > i ? next - i : 0);
    Index = static_cast<int>(next) + 1;
}

int VisibleLength(const char* Buffer, int Count) {
    int visible = 0;
    bool inRun = false;
    for (int i = 0; i < Count; ++i) {
        char c = Buffer[i];
        if (inRun) {
            inRun = c != FormatRunEnd;
        } else if (c == FormatRunStart) {
            inRun = true;
        } else {
            ++visible;
        }
    }
    return visible;
}

int VisibleLength(const std::string& Text) { return VisibleLength(Text.data(), static_cast<int>(Text.size())); }

void DefaultFormat(TFormatState& State) { State = TFormatState(); }

void ApplyCodes(TFormatState& State, const std::string& Codes) {
    const TCodedStyle style{State.Bold,      State.Italic,      State.Underline, State.StrikeOut,
                            State.Subscript, State.Superscript, State.Name,      State.Pitch};
    forEachCode(Codes, [&State, &style](char letter, const std::string& value) {
        if (applyStyleCode(style, letter, value)) return true;
        switch (letter) {
            case 'Z': readNumber(value, State.Size); break;
            case 'C': {
                int color;
                if (TryStrToInt(value, color)) State.Color = color;
                break;
            }
            case 'J': readJustify(value, State.Justify); break;
            case 'F': readNumber(value, State.FirstIndent); break;
            case 'L': readNumber(value, State.LeftIndent); break;
            case 'G': readNumber(value, State.RightIndent); break;
            case 'R': DefaultFormat(State); break;
            case 'r': resetStyle(State); break;
            default: break;
        }
        return true;
    });
}

void AddCode(std::string& Codes, const std::string& Code) {
    Codes += Codes.empty() ? FormatRunStart : FormatCodeSeparator;
    Codes += Code;
}

const std::string& CodesForChange(std::string& Codes, const TFormatState& New, const TFormatState& Old) {
    auto number = [&](char letter, double a, double b) {
        if (a != b) AddCode(Codes, letter + FloatToStr(a));
    };
    auto flag = [&](char letter, bool a, bool b) {
        if (a != b) AddCode(Codes, flagCode(letter, a));
    };
    number('F', New.FirstIndent, Old.FirstIndent);
    number('L', New.LeftIndent, Old.LeftIndent);
    number('G', New.RightIndent, Old.RightIndent);
    if (New.Name != Old.Name) AddCode(Codes, "N" + New.Name);
    number('Z', New.Size, Old.Size);
    flag('B', New.Bold, Old.Bold);
    flag('I', New.Italic, Old.Italic);
    flag('U', New.Underline, Old.Underline);
    flag('K', New.StrikeOut, Old.StrikeOut);
    flag('S', New.Subscript, Old.Subscript);
    flag('P', New.Superscript, Old.Superscript);
    if (New.Color != Old.Color) AddCode(Codes, "C" + IntToStr(New.Color));
    if (New.Justify != Old.Justify) AddCode(Codes, justifyCode(New.Justify));
    return Codes;
}

std::string CodesForState(const TFormatState& State) {
    std::string codes;
    AddCode(codes, "R");
    CodesForChange(codes, State, TFormatState());
    codes += FormatRunEnd;
    return codes;
}

TPrintJustify CodedJustify(const std::string& Codes, TPrintJustify Default) {
    TPrintJustify result = Default;
    forEachCode(Codes, [&result](char letter, const std::string& value) {
        if (letter == 'R') result = pjLeft;
        return !(letter == 'J' && readJustify(value, result));
    });
    return result;
}
