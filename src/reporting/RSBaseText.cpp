// TBaseReport: the font state and its device fonts, line height, the text
// operations, text measurement, macros and named-value tokens.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reporting/ReportRounding.h"
#include "reporting/TextFormatCodes.h"

namespace {

// Tokens a stream player expands when it plays the page.
const std::string MacroToken = "\xFD$RSCM";
const std::string NamedValueTokenStart = "\xFD$RSCV";
const std::string TokenMark = "\xFD$RSC";
constexpr char NameStart = '\xFC';
constexpr char NameEnd = '\xFB';

// A macro whose text holds tokens again is expanded again; this bounds a
// text that expands to itself.
constexpr int MaxExpansionRounds = 1000;

constexpr std::size_t CanvasFontNameLength = 255;
constexpr std::size_t StateFontNameLength = 60;

constexpr double Pi = 3.14159265358979323846;

// No device font is made taller than this.
constexpr int MaxFontPixels = 32767;

}  // namespace

// ---------------------------------------------------------------- font properties

int TBaseReport::canvasHeightFor(double inches) const {
    int pixels = roundToInt(inches * ydpi_ * scaleY_ * zoomFactor_ * 0.0001);
    return std::clamp(pixels, 1, MaxFontPixels);
}

void TBaseReport::updateFont() { FontChanged(this); }

void TBaseReport::SetFontName(const std::string& Value) {
    canvasFont()->SetName(Value.substr(0, CanvasFontNameLength));
    updateFont();
}

void TBaseReport::SetFontColor(TColor Value) {
    canvasFont()->SetColor(Value);
    updateFont();
}

void TBaseReport::SetFontPitch(TFontPitch Value) {
    canvasFont()->SetPitch(Value);
    updateFont();
}

void TBaseReport::SetFontCharSet(TFontCharset Value) {
    font_.CharSet = Value;
    fontChanged_ = true;
    updateFont();
}

// The canvas font holds character heights (negative), as its Size does;
// FontChanged reads the magnitude.
void TBaseReport::SetFontSize(double Value) {
    canvasFont()->SetHeight(-canvasHeightFor(Value / 72.0));
    updateFont();
}

void TBaseReport::SetFontHeight(double Value) {
    canvasFont()->SetHeight(-canvasHeightFor(unitsToInch(Value)));
    updateFont();
}

namespace {

void setStyle(TFont* font, TFontStyle style, bool on) {
    TFontStyles styles = font->Style();
    if (on) styles.Include(style);
    else styles.Exclude(style);
    font->SetStyle(styles);
}

}  // namespace

void TBaseReport::SetBold(bool Value) {
    setStyle(canvasFont(), fsBold, Value);
    updateFont();
}

void TBaseReport::SetUnderline(bool Value) {
    setStyle(canvasFont(), fsUnderline, Value);
    updateFont();
}

void TBaseReport::SetItalic(bool Value) {
    setStyle(canvasFont(), fsItalic, Value);
    updateFont();
}

void TBaseReport::SetStrikeout(bool Value) {
    setStyle(canvasFont(), fsStrikeOut, Value);
    updateFont();
}

void TBaseReport::SetSuperscript(bool Value) {
    if (Value) font_.Subscript = false;
    font_.Superscript = Value;
    fontChanged_ = true;
    updateFont();
}

void TBaseReport::SetSubscript(bool Value) {
    if (Value) font_.Superscript = false;
    font_.Subscript = Value;
    fontChanged_ = true;
    updateFont();
}

void TBaseReport::SetFontRotation(int Value) {
    font_.Rotation = static_cast<std::int16_t>(Value % 360);
    fontChanged_ = true;
    updateFont();
}

void TBaseReport::SetFont(const std::string& Name, double Size) {
    if (!(Size > 0)) return;
    TFont* font = canvasFont();
    updateLock_ = true;
    font->SetName(Name.substr(0, CanvasFontNameLength));
    font->SetColor(clBlack);
    font->SetPitch(fpDefault);
    font_.CharSet = DEFAULT_CHARSET;
    SetFontSize(Size);
    font->SetStyle(TFontStyles());
    updateLock_ = false;
    font_.Superscript = font_.Subscript = false;
    font_.Rotation = 0;
    font_.Width = 0;
    font_.Align = FontAlignBaseline;
    fontChanged_ = true;
    FontChanged(this);
}

void TBaseReport::AssignFont(const TFont* Font) {
    TFont* font = canvasFont();
    updateLock_ = true;
    font->SetName(Font->Name());
    font->SetColor(Font->Color());
    font->SetPitch(Font->Pitch());
    font_.CharSet = DEFAULT_CHARSET;
    SetFontSize(Font->Size());
    font->SetStyle(Font->Style());
    updateLock_ = false;
    font_.Superscript = font_.Subscript = false;
    font_.Rotation = 0;
    fontChanged_ = true;
    FontChanged(this);
}

void TBaseReport::SetFontState(const TFontState& State) {
    TFont* font = canvasFont();
    updateLock_ = true;
    font->SetName(State.Name);
    font->SetColor(State.Color);
    font->SetPitch(State.Pitch);
    font_.CharSet = State.CharSet;
    SetFontHeight(inchToUnits(State.Height));
    TFontStyles styles;
    if (State.Bold) styles.Include(fsBold);
    if (State.Italic) styles.Include(fsItalic);
    if (State.Underline) styles.Include(fsUnderline);
    if (State.Strikeout) styles.Include(fsStrikeOut);
    font->SetStyle(styles);
    updateLock_ = false;
    font_.Subscript = State.Subscript;
    font_.Superscript = State.Superscript;
    font_.Rotation = State.Rotation;
    font_.Align = State.Align;
    // The canvas holds whole pixels: the state keeps its exact size.
    font_.Height = State.Height;
    font_.Size = State.Size;
    fontChanged_ = true;
    FontChanged(this);
}

bool TBaseReport::PushFont() {
    if (inLeftPrint_) return true;
    fontStack_.push_back(font_);
    return true;
}

bool TBaseReport::PopFont() {
    if (inLeftPrint_) return true;
    if (fontStack_.empty()) return false;
    TFontState state = fontStack_.back();
    fontStack_.pop_back();
    SetFontState(state);
    return true;
}

bool TBaseReport::SaveFont(int N) {
    if (N < 1 || N > 10) return false;
    savedFonts_[N - 1] = font_;
    return true;
}

bool TBaseReport::RestoreFont(int N) {
    if (N < 1 || N > 10 || savedFonts_[N - 1].Name.empty()) return false;
    SetFontState(savedFonts_[N - 1]);
    return true;
}

void TBaseReport::FontChanged(TObject* /*Sender*/) {
    TFont* font = canvasFont();
    if (savedFontHandler_) savedFontHandler_(font);
    if (updateLock_) return;
    const std::string name = font->Name().substr(0, StateFontNameLength);
    if (name != font_.Name) {
        font_.Name = name;
        fontChanged_ = true;
    }
    if (font->Color() != font_.Color) {
        font_.Color = font->Color();
        fontChanged_ = true;
    }
    if (font->Pitch() != font_.Pitch) {
        font_.Pitch = font->Pitch();
        fontChanged_ = true;
    }
    const int height = std::abs(font->Height());
    if (height != canvasHeightFor(font_.Height)) {
        font_.Height = height * 10000.0 / (ydpi_ * scaleY_ * zoomFactor_);
        font_.Size = font_.Height * 72;
        fontChanged_ = true;
    }
    auto styleFlag = [&](TFontStyle style, bool& flag) {
        bool on = font->Style().Contains(style);
        if (on != flag) {
            flag = on;
            fontChanged_ = true;
        }
    };
    styleFlag(fsBold, font_.Bold);
    styleFlag(fsItalic, font_.Italic);
    styleFlag(fsUnderline, font_.Underline);
    styleFlag(fsStrikeOut, font_.Strikeout);
}

void TBaseReport::HookFont() {
    TFont* font = canvasFont();
    if (!fontHooked_) savedFontHandler_ = font->OnChange;
    font->OnChange = [this](TGraphicsObject* sender) { FontChanged(sender); };
    fontHooked_ = true;
    updateLock_ = false;
}

void TBaseReport::UnhookFont() {
    if (!fontHooked_) return;
    canvasFont()->OnChange = savedFontHandler_;
    savedFontHandler_ = nullptr;
    fontHooked_ = false;
}

// ---------------------------------------------------------------- device fonts

bool TBaseReport::fontMatches(const TFontState& cached) const {
    return cached.Name == font_.Name && cached.Pitch == font_.Pitch && cached.Height == font_.Height &&
           cached.Bold == font_.Bold && cached.Underline == font_.Underline && cached.Italic == font_.Italic &&
           cached.Strikeout == font_.Strikeout && cached.Rotation == font_.Rotation &&
           cached.Subscript == font_.Subscript && cached.Superscript == font_.Superscript &&
           cached.CharSet == font_.CharSet;
}

void TBaseReport::selectFont() {
    if (fontChanged_) {
        currentFont_.reset();
        fontChanged_ = false;
    }
    if (!currentFont_) {
        for (auto it = fontCache_.begin(); it != fontCache_.end(); ++it) {
            if (!fontMatches(it->State)) continue;
            currentFont_ = it->Handle;
            font_.Ascent = it->State.Ascent;
            font_.Descent = it->State.Descent;
            font_.TopOffset = it->State.TopOffset;
            fontCache_.splice(fontCache_.begin(), fontCache_, it);
            break;
        }
    }
    if (!currentFont_) {
        const bool script = font_.Superscript || font_.Subscript;
        const double pixelsPerInch = ydpi_ * scaleY_ * zoomFactor_ * 0.0001;
        TLogFont logFont;
        int height = roundToInt((script ? ScriptHeightFactor : 1.0) * font_.Height * pixelsPerInch);
        logFont.Height = -std::clamp(height, 1, MaxFontPixels);
        logFont.Width = std::clamp(roundToInt(xdpi_ * font_.Width * scaleX_ * zoomFactor_ * 0.0001), 0, MaxFontPixels);
        logFont.Escapement = font_.Rotation * 10;
        logFont.Orientation = 0;
        logFont.Weight = font_.Bold ? FW_BOLD : FW_NORMAL;
        logFont.Italic = font_.Italic;
        logFont.Underline = font_.Underline;
        logFont.StrikeOut = font_.Strikeout;
        logFont.CharSet = font_.CharSet;
        logFont.PitchAndFamily = font_.Pitch == fpVariable ? VARIABLE_PITCH
                                 : font_.Pitch == fpFixed  ? FIXED_PITCH
                                                           : DEFAULT_PITCH;
        logFont.FaceName = font_.Name;
        currentFont_ = CreateFontIndirect(logFont);
        const TTextMetric metrics = currentFont_->Metrics();
        const double share = script ? 0.5 : 1.0;
        font_.Ascent = metrics.Ascent / pixelsPerInch * share;
        font_.Descent = metrics.Descent / pixelsPerInch * share;
        font_.TopOffset = metrics.InternalLeading / pixelsPerInch * share;
        fontCache_.push_front({font_, currentFont_});
    }
    TDeviceContext* dc = GetCanvas()->Handle();
    if (!dc) return;
    if (!fontSelected_) {
        displacedFont_ = dc->SelectFont(currentFont_);
        fontSelected_ = true;
    } else {
        dc->SelectFont(currentFont_);
    }
    TColor color = ColorToRGB(font_.Color);
    if (Destination() == DestPrinter && dc->GetDeviceCaps(NUMCOLORS) == 2 && color != clWhite) color = clBlack;
    dc->SetTextColor(color);
}

void TBaseReport::releaseFont() {
    if (!fontSelected_) return;
    fontSelected_ = false;
    TCanvas* canvas = GetCanvas();
    TDeviceContext* dc = canvas->Handle();
    if (!dc) return;
    dc->SelectFont(displacedFont_);
    displacedFont_.reset();
    dc->SetTextColor(ColorToRGB(canvas->Font()->Color()));
}

void TBaseReport::FreeFontCache() {
    if (fontSelected_) {
        try { releaseFont(); } catch (const Exception&) {}
    }
    fontCache_.clear();
    currentFont_.reset();
    fontChanged_ = true;
}

void TBaseReport::UpdateLineHeight() {
    if (!printing_) return;
    if (fontChanged_) {
        selectFont();
        releaseFont();
    }
    ascent_ = font_.Ascent;
    descent_ = font_.Descent;
    topOffset_ = font_.TopOffset;
    switch (lineHeightMethod_) {
        case lhmLinesPerInch: lineHeight_ = 1.0 / linesPerInch_; break;
        case lhmFont: lineHeight_ = font_.Size / 60.0; break;
        case lhmUser: break;
    }
}

// ---------------------------------------------------------------- measuring

TSize TBaseReport::GetTextExtent(const std::string& Text) {
    if (Text.empty()) return {0, 0};
    TCanvas* canvas = GetCanvas();
    TDeviceContext* dc = canvas->Handle();
    if (dc) return dc->GetTextExtentPoint(Text);
    return canvas->TextExtent(Text);
}

double TBaseReport::TextWidth(const std::string& Text) {
    outputGuard();
    int pixels = 1;
    if (Text.find(FormatRunStart) != std::string::npos) {
        pixels = CodedTextWidth(this, Text);
    } else if (!Text.empty()) {
        pixels = textPixels(Text);
    }
    return inchToUnits(static_cast<double>(pixels) / xdpi_ * 10000.0 / (scaleX_ * zoomFactor_));
}

int TBaseReport::textPixels(const std::string& Text) {
    if (Text.empty()) return 1;
    selectFont();
    int pixels = currentFont_->TextWidth(Text);
    releaseFont();
    return pixels == 0 ? 1 : pixels;
}

void TBaseReport::AdvancePos(double Width) {
    const double w = unitsToInch(Width);
    if (font_.Rotation == 0) {
        xPos_ += w * 10000.0 / (scaleX_ * zoomFactor_);
        return;
    }
    const double angle = font_.Rotation * Pi / 180.0;
    xPos_ += std::cos(angle) * w * 10000.0 / (scaleX_ * zoomFactor_);
    yPos_ -= std::sin(angle) * w * 10000.0 / (scaleY_ * zoomFactor_);
}

// ---------------------------------------------------------------- text output

void TBaseReport::PrintJustify(const std::string& Text, TPrintJustify Justify, double X, double Margin,
                               double Width) {
    outputGuard();
    switch (Justify) {
        case pjCenter: PrintCenterInch(Text, X + Width * 0.5); break;
        case pjLeft: printLeftWithTabs(Text, X, Margin); break;
        case pjRight: PrintRightInch(Text, X + Width - Margin); break;
        case pjBlock: PrintBlockInch(Text, X + Margin, Width - 2 * Margin); break;
    }
}

void TBaseReport::printLeftWithTabs(const std::string& Text, double X, double Margin) {
    struct LeftPrintFlag {
        bool& flag;
        explicit LeftPrintFlag(bool& f) : flag(f) { flag = true; }
        ~LeftPrintFlag() { flag = false; }
    } inLeftPrint(inLeftPrint_);
    double pos = X + Margin;
    const double spacing = unitsToInch(tabSpacing_);
    std::size_t start = 0;
    for (std::size_t tab = Text.find('\t'); tab != std::string::npos; tab = Text.find('\t', start)) {
        if (tab > start) {
            PrintLeftInch(Text.substr(start, tab - start), pos);
            pos = xPos_;
        }
        if (spacing > 0) pos = X + (truncToInt((pos - X + 0.001) / spacing) + 1) * spacing;
        start = tab + 1;
    }
    PrintLeftInch(Text.substr(start), pos);
}

void TBaseReport::PrintCenter(const std::string& Text, double X) { PrintJustify(Text, pjCenter, unitsToInch(X), 0, 0); }

void TBaseReport::PrintLeft(const std::string& Text, double X) { PrintJustify(Text, pjLeft, unitsToInch(X), 0, 0); }

void TBaseReport::PrintRight(const std::string& Text, double X) { PrintJustify(Text, pjRight, unitsToInch(X), 0, 0); }

void TBaseReport::PrintXY(double X, double Y, const std::string& Text) {
    SetYPos(Y);
    PrintLeft(Text, X);
}

void TBaseReport::printTabPiece(const std::string& Text) {
    if (tabPending_ && tabs_ && currentTab_ >= 0) {
        const TTab stop = (*tabs_)[currentTab_];
        PrintJustify(Text, stop.Justify, stop.Pos + (columnNum_ - 1) * columnWidth_, stop.Margin, stop.Width);
        tabPending_ = false;
        return;
    }
    PrintJustify(Text, pjLeft, xPos_, 0, 0);
}

void TBaseReport::PrintTabbedText(const std::string& Text) {
    outputGuard();
    std::size_t start = 0;
    for (std::size_t tab = Text.find('\t'); tab != std::string::npos; tab = Text.find('\t', start)) {
        if (tab > start) printTabPiece(Text.substr(start, tab - start));
        Tab();
        start = tab + 1;
    }
    printTabPiece(Text.substr(start));
}

void TBaseReport::PrintLn(const std::string& Text) {
    PrintTabbedText(Text);
    NewLine();
}

// A stop without a box has no width to fit into: its text prints whole.
void TBaseReport::PrintTab(const std::string& Text) {
    Tab();
    std::string fitted = Text;
    const TTab* stop = GetTab(0);
    if (stop && stop->Width > 0 && Text.find(TokenMark) == std::string::npos) {
        const double width = TabWidth(0);
        while (!fitted.empty() && TextWidth(fitted) > width) fitted.pop_back();
    }
    PrintTabbedText(fitted);
}

// ---------------------------------------------------------------- macros

std::string TBaseReport::Macro(int ID) {
    if (Destination() == DestStream && ID != 12) {
        std::string digits = IntToStr(ID);
        if (digits.size() < 2) digits = "0" + digits;
        return MacroToken + digits;
    }
    switch (ID) {
        case 0: return FormatDateTime("ddddd", startDateTime_);
        case 1: return FormatDateTime("dddddd", startDateTime_);
        case 2: return FormatDateTime("mm/dd/yy", startDateTime_);
        case 3: return FormatDateTime("dd/mm/yy", startDateTime_);
        case 4: return FormatDateTime("t", startDateTime_);
        case 5: return FormatDateTime("tt", startDateTime_);
        case 6: return FormatDateTime("hh:nn ampm", startDateTime_);
        case 7: return FormatDateTime("hh:nn", startDateTime_);
        case 8: return IntToStr(firstPage_);
        case 9: return IntToStr(lastPage_);
        case 10: return IntToStr(totalPages_);
        case 11: return IntToStr(currentPage_);
        case 12: return IntToStr(currentPage_ + pageNumOffset_);
        case 13: return DeviceName();
        case 14: return DriverName();
        case 15: return Port();
        default: break;
    }
    if (ID >= 16 && ID <= 35 && ID - 16 < macroData_->Count()) return macroData_->Strings(ID - 16);
    return {};
}

// A macro token whose ID is not a number leaves the text as it is.
void TBaseReport::ExpandMacros(std::string& Text) {
    for (int round = 0; round < MaxExpansionRounds; ++round) {
        bool found = false;
        std::size_t macro = Text.find(MacroToken);
        if (macro != std::string::npos) {
            const std::size_t idAt = macro + MacroToken.size();
            int id;
            if (idAt + 2 > Text.size() || !std::isdigit(static_cast<unsigned char>(Text[idAt])) ||
                !std::isdigit(static_cast<unsigned char>(Text[idAt + 1])) ||
                !TryStrToInt(Text.substr(idAt, 2), id))
                return;
            Text.replace(macro, MacroToken.size() + 2, Macro(id));
            found = true;
        }
        std::size_t named = Text.find(NamedValueTokenStart);
        if (named != std::string::npos) {
            std::size_t end = named + NamedValueTokenStart.size();
            std::string name;
            if (end < Text.size() && Text[end] == NameStart) {
                std::size_t close = Text.find(NameEnd, end + 1);
                name = Text.substr(end + 1, close == std::string::npos ? std::string::npos : close - end - 1);
                end = close == std::string::npos ? Text.size() : close + 1;
            }
            Text.replace(named, end - named, NamedValue(name));
            found = true;
        }
        if (!found) return;
    }
}

std::string TBaseReport::NamedValueToken(const std::string& /*Name*/) { return {}; }

void TBaseReport::SetNamedValue(const std::string& /*Name*/, const std::string& /*Value*/) {}

std::string TBaseReport::NamedValue(const std::string& Name) { return Name; }
