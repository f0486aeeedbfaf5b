#include "base/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/Exceptions.h"
#include "os/Locale.h"

std::string ShortDateFormat = os::ShortDateFormat();
std::string LongDateFormat = "dddd, mmmm d, yyyy";
std::string ShortTimeFormat = "h:mm AMPM";
std::string LongTimeFormat = "h:mm:ss AMPM";
char DateSeparator = os::DateSeparator();
char TimeSeparator = ':';
std::string TimeAMString = "AM";
std::string TimePMString = "PM";
char DecimalSeparator = '.';
char ThousandSeparator = ',';
std::string CurrencyString = "$";
int CurrencyFormat = 0;
int NegCurrFormat = 0;
int CurrencyDecimals = 2;
int TwoDigitYearCenturyWindow = 80;
std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
std::array<std::string, 12> LongMonthNames = {"January", "February", "March",     "April",
                                              "May",     "June",     "July",      "August",
                                              "September", "October", "November", "December"};
std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
std::array<std::string, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};

namespace {

// ---------------------------------------------------------------- decimals

void stripTrailingZeros(TFloatRec& r) {
    while (!r.Digits.empty() && r.Digits.back() == '0') r.Digits.pop_back();
    if (r.Digits.empty()) r.Exponent = 0;
}

// Keeps the first `keep` digits, rounding half away from zero on the next.
void roundAtDigit(TFloatRec& r, int keep) {
    if (keep >= static_cast<int>(r.Digits.size())) return;
    if (keep < 0) {
        r.Digits.clear();
        r.Exponent = 0;
        return;
    }
    bool up = r.Digits[keep] >= '5';
    r.Digits.resize(keep);
    if (up) {
        while (!r.Digits.empty() && r.Digits.back() == '9') r.Digits.pop_back();
        if (r.Digits.empty()) {
            r.Digits = "1";
            r.Exponent += 1;
            return;
        }
        r.Digits.back() += 1;
    }
    stripTrailingZeros(r);
}

void roundToDecimals(TFloatRec& r, int decimals) { roundAtDigit(r, r.Exponent + decimals); }

char digitAt(const TFloatRec& r, int i) {
    return i >= 0 && i < static_cast<int>(r.Digits.size()) ? r.Digits[i] : '0';
}

// The integer part's digits, without leading zeros ("" below one).
std::string integerDigits(const TFloatRec& r) {
    std::string s;
    for (int i = 0; i < r.Exponent; ++i) s += digitAt(r, i);
    return s;
}

std::string groupThousands(const std::string& digits) {
    std::string out;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        out += digits[i];
        int left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += ThousandSeparator;
    }
    return out;
}

// Fixed-point text of |r|, which must already be rounded to `decimals`.
std::string fixedText(const TFloatRec& r, int decimals, bool thousands) {
    std::string whole = integerDigits(r);
    if (whole.empty()) whole = "0";
    std::string s = thousands ? groupThousands(whole) : whole;
    if (decimals > 0) {
        s += DecimalSeparator;
        for (int i = 0; i < decimals; ++i) s += digitAt(r, r.Exponent + i);
    }
    return s;
}

std::string exponentText(int exponent, bool alwaysSign, int minDigits) {
    std::string digits = std::to_string(std::abs(exponent));
    if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
    if (exponent < 0) return "-" + digits;
    return alwaysSign ? "+" + digits : digits;
}

// General format of |r|: fixed unless the number is too large or too small.
std::string generalText(TFloatRec r, int precision, int expDigits) {
    roundAtDigit(r, precision);
    if (r.Digits.empty()) return "0";
    if (r.Exponent > precision || r.Exponent < -3) {
        std::string s(1, r.Digits[0]);
        if (r.Digits.size() > 1) s += DecimalSeparator + r.Digits.substr(1);
        return s + "E" + exponentText(r.Exponent - 1, false, expDigits);
    }
    std::string s = integerDigits(r);
    if (s.empty()) s = "0";
    int decimals = static_cast<int>(r.Digits.size()) - r.Exponent;
    if (decimals > 0) {
        s += DecimalSeparator;
        for (int i = 0; i < decimals; ++i) s += digitAt(r, r.Exponent + i);
    }
    return s;
}

std::string currencyText(const std::string& number, bool negative) {
    const std::string& c = CurrencyString;
    if (!negative) {
        switch (CurrencyFormat) {
            case 1: return number + c;
            case 2: return c + " " + number;
            case 3: return number + " " + c;
            default: return c + number;
        }
    }
    switch (NegCurrFormat) {
        case 1: return "-" + c + number;
        case 2: return c + "-" + number;
        case 3: return c + number + "-";
        case 4: return "(" + number + c + ")";
        case 5: return "-" + number + c;
        case 6: return number + "-" + c;
        case 7: return number + c + "-";
        case 8: return "-" + number + " " + c;
        case 9: return "-" + c + " " + number;
        case 10: return number + " " + c + "-";
        case 11: return c + " " + number + "-";
        case 12: return c + " -" + number;
        case 13: return number + "- " + c;
        case 14: return "(" + c + " " + number + ")";
        case 15: return "(" + number + " " + c + ")";
        default: return "(" + c + number + ")";
    }
}

// ---------------------------------------------------------- FormatFloat

std::vector<std::string> splitSections(const std::string& format) {
    std::vector<std::string> sections(1);
    char quote = 0;
    for (char ch : format) {
        if (quote) {
            if (ch == quote) quote = 0;
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == ';') {
            if (sections.size() == 3) break;
            sections.emplace_back();
            continue;
        }
        sections.back() += ch;
    }
    return sections;
}

// One section of a FormatFloat pattern, read into its parts.
struct Picture {
    enum Kind { Literal, IntDigit, Point, FracDigit, Exponent };
    struct Item {
        Kind kind;
        std::string text = {};  // Literal text; for Exponent the "E" as written
        int index = 0;     // IntDigit / FracDigit: which placeholder
        bool plus = false; // Exponent: "E+" rather than "E-"
        int width = 0;     // Exponent: minimum digits
    };
    std::vector<Item> items;
    int intCount = 0;     // placeholders before the point
    int intRequired = 0;  // from the first '0' before the point
    int fracCount = 0;
    int fracRequired = 0;  // up to the last '0' after the point
    bool thousands = false;
    bool scientific = false;
};

Picture readPicture(const std::string& section) {
    Picture p;
    bool afterPoint = false;
    bool seenIntZero = false;
    size_t n = section.size();
    auto literal = [&](const std::string& text) {
        if (!p.items.empty() && p.items.back().kind == Picture::Literal)
            p.items.back().text += text;
        else
            p.items.push_back({Picture::Literal, text});
    };
    for (size_t i = 0; i < n; ++i) {
        char ch = section[i];
        if (ch == '"' || ch == '\'') {
            size_t end = section.find(ch, i + 1);
            if (end == std::string::npos) end = n;
            literal(section.substr(i + 1, end - i - 1));
            i = end;
        } else if ((ch == '0' || ch == '#') && !p.scientific) {
            if (!afterPoint) {
                if (ch == '0') seenIntZero = true;
                if (seenIntZero) ++p.intRequired;
                p.items.push_back({Picture::IntDigit, "", p.intCount++});
            } else {
                if (ch == '0') p.fracRequired = p.fracCount + 1;
                p.items.push_back({Picture::FracDigit, "", p.fracCount++});
            }
        } else if (ch == '.' && !afterPoint && !p.scientific) {
            afterPoint = true;
            p.items.push_back({Picture::Point});
        } else if (ch == ',' && !p.scientific) {
            p.thousands = true;
        } else if ((ch == 'E' || ch == 'e') && i + 1 < n && (section[i + 1] == '+' || section[i + 1] == '-') &&
                   !p.scientific) {
            Picture::Item item{Picture::Exponent, std::string(1, ch)};
            item.plus = section[i + 1] == '+';
            i += 2;
            while (i < n && section[i] == '0' && item.width < 4) {
                ++item.width;
                ++i;
            }
            --i;
            p.scientific = true;
            p.items.push_back(item);
        } else {
            literal(std::string(1, ch));
        }
    }
    if (p.scientific) p.thousands = false;
    return p;
}

std::string renderPicture(const Picture& p, TFloatRec value) {
    std::string intText;   // digits for the integer placeholders
    std::string fracText;  // digits for the fraction placeholders
    int exponent = 0;
    if (p.scientific) {
        int intPlaces = std::max(p.intCount, 1);
        roundAtDigit(value, intPlaces + p.fracCount);
        for (int i = 0; i < intPlaces; ++i) intText += digitAt(value, i);
        for (int i = 0; i < p.fracCount; ++i) fracText += digitAt(value, intPlaces + i);
        exponent = value.Digits.empty() ? 0 : value.Exponent - intPlaces;
    } else {
        roundToDecimals(value, p.fracCount);
        intText = integerDigits(value);
        if (static_cast<int>(intText.size()) < p.intRequired)
            intText.insert(0, p.intRequired - intText.size(), '0');
        for (int i = 0; i < p.fracCount; ++i) fracText += digitAt(value, value.Exponent + i);
    }
    while (static_cast<int>(fracText.size()) > p.fracRequired && fracText.back() == '0') fracText.pop_back();

    const int len = static_cast<int>(intText.size());
    std::string out;
    auto emitIntDigit = [&](int fromRight) {
        out += intText[len - 1 - fromRight];
        if (p.thousands && fromRight > 0 && fromRight % 3 == 0) out += ThousandSeparator;
    };
    bool intWritten = false;
    for (const Picture::Item& item : p.items) {
        switch (item.kind) {
            case Picture::Literal:
                out += item.text;
                break;
            case Picture::IntDigit: {
                int fromRight = p.intCount - 1 - item.index;
                if (item.index == 0)  // digits beyond the placeholders go first
                    for (int k = len - 1; k > fromRight; --k) emitIntDigit(k);
                if (fromRight < len) emitIntDigit(fromRight);
                intWritten = true;
                break;
            }
            case Picture::Point:
                if (!intWritten) {
                    for (int k = len - 1; k >= 0; --k) emitIntDigit(k);
                    intWritten = true;
                }
                if (!fracText.empty()) out += DecimalSeparator;
                break;
            case Picture::FracDigit:
                if (item.index < static_cast<int>(fracText.size())) out += fracText[item.index];
                break;
            case Picture::Exponent:
                out += item.text + exponentText(exponent, item.plus, item.width);
                break;
        }
    }
    return out;
}

bool isZeroAt(TFloatRec r, const Picture& p) {
    if (p.scientific) roundAtDigit(r, std::max(p.intCount, 1) + p.fracCount);
    else roundToDecimals(r, p.fracCount);
    return r.Digits.empty();
}

// ---------------------------------------------------------------- Format

[[noreturn]] void invalidFormat(const std::string& fmt) {
    throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
}

bool isIntegerArg(const TVarRec& a) { return a.VType == TVarRec::vtInteger || a.VType == TVarRec::vtInt64; }

// The unsigned bits of an integer argument, at the argument's own width.
uint64_t unsignedBits(const TVarRec& a) {
    if (a.VType == TVarRec::vtInteger) return static_cast<uint32_t>(a.VInt64);
    return static_cast<uint64_t>(a.VInt64);
}

std::string formatArgs(const std::string& fmt, const TVarRec* args, size_t count) {
    std::string out;
    size_t next = 0;
    const size_t n = fmt.size();
    auto argAt = [&](size_t index) -> const TVarRec& {
        if (index >= count) throw EConvertError("No argument for format '" + fmt + "'");
        return args[index];
    };
    // A run of digits, or "*" taking an integer argument; -1 when neither.
    // Kept to a sane size so a stray argument cannot ask for gigabytes.
    auto readNumber = [&](size_t& i) -> int64_t {
        if (i < n && fmt[i] == '*') {
            ++i;
            const TVarRec& a = argAt(next++);
            if (!isIntegerArg(a)) invalidFormat(fmt);
            return std::clamp<int64_t>(a.VInt64, -1, 1000000);
        }
        if (i >= n || fmt[i] < '0' || fmt[i] > '9') return -1;
        int64_t v = 0;
        while (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
            v = std::min<int64_t>(v * 10 + (fmt[i] - '0'), 1000000);
            ++i;
        }
        return v;
    };

    for (size_t i = 0; i < n; ++i) {
        if (fmt[i] != '%') {
            out += fmt[i];
            continue;
        }
        ++i;
        if (i < n && fmt[i] == '%') {
            out += '%';
            continue;
        }
        int64_t number = readNumber(i);
        if (i < n && fmt[i] == ':') {
            next = static_cast<size_t>(std::max<int64_t>(number, 0));
            ++i;
            number = -1;
        }
        bool left = false;
        if (number < 0 && i < n && fmt[i] == '-') {
            left = true;
            ++i;
        }
        int64_t width = number >= 0 ? number : readNumber(i);
        int64_t precision = -1;
        if (i < n && fmt[i] == '.') {
            ++i;
            precision = readNumber(i);
            if (precision < 0) precision = 0;
        }
        if (i >= n) invalidFormat(fmt);
        char type = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i])));
        const TVarRec& a = argAt(next++);

        auto decimalOf = [&]() -> TFloatRec {
            if (a.VType == TVarRec::vtExtended) return FloatToDecimal(a.VExtended, 15);
            if (a.VType == TVarRec::vtCurrency) return CurrToDecimal(a.VCurrency);
            invalidFormat(fmt);
        };
        auto special = [&](std::string& text) {
            if (a.VType != TVarRec::vtExtended || std::isfinite(a.VExtended)) return false;
            text = std::isnan(a.VExtended) ? "NAN" : a.VExtended < 0 ? "-INF" : "INF";
            return true;
        };
        auto withMinDigits = [&](std::string digits, bool negative) {
            if (precision > static_cast<int64_t>(digits.size())) digits.insert(0, precision - digits.size(), '0');
            return negative ? "-" + digits : digits;
        };
        int prec = static_cast<int>(std::min<int64_t>(precision, 18));

        std::string text;
        switch (type) {
            case 'd': {
                if (!isIntegerArg(a)) invalidFormat(fmt);
                uint64_t magnitude = a.VInt64 < 0 ? 0 - static_cast<uint64_t>(a.VInt64) : a.VInt64;
                text = withMinDigits(std::to_string(magnitude), a.VInt64 < 0);
                break;
            }
            case 'u':
                if (!isIntegerArg(a)) invalidFormat(fmt);
                text = withMinDigits(std::to_string(unsignedBits(a)), false);
                break;
            case 'x':
                if (!isIntegerArg(a)) invalidFormat(fmt);
                text = IntToHexBits(unsignedBits(a), precision < 0 ? 0 : static_cast<int>(std::min<int64_t>(precision, 16)));
                break;
            case 'p':
                if (a.VType != TVarRec::vtPointer) invalidFormat(fmt);
                text = IntToHexBits(reinterpret_cast<uintptr_t>(a.VPointer), sizeof(void*) * 2);
                break;
            case 's':
                if (a.VType == TVarRec::vtString) text = a.VString;
                else if (a.VType == TVarRec::vtChar) text = std::string(1, a.VChar);
                else invalidFormat(fmt);
                if (precision >= 0 && static_cast<size_t>(precision) < text.size()) text.resize(precision);
                break;
            case 'e':
            case 'g':
                // The precision counts significant digits.
                if (!special(text))
                    text = FloatRecToStrF(decimalOf(), type == 'e' ? ffExponent : ffGeneral, prec < 0 ? 15 : prec, 3);
                break;
            case 'f':
            case 'n':
            case 'm':
                // The precision counts decimals.
                if (!special(text))
                    text = FloatRecToStrF(decimalOf(), type == 'f' ? ffFixed : type == 'n' ? ffNumber : ffCurrency, 18,
                                          prec >= 0 ? prec : type == 'm' ? CurrencyDecimals : 2);
                break;
            default:
                invalidFormat(fmt);
        }
        if (width > static_cast<int64_t>(text.size())) {
            std::string pad(width - text.size(), ' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}

[[noreturn]] void invalidInteger(const std::string& s) {
    throw EConvertError("'" + s + "' is not a valid integer value");
}

[[noreturn]] void invalidFloat(const std::string& s) {
    throw EConvertError("'" + s + "' is not a valid floating point value");
}

unsigned char upperAnsi(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
        case 0x9A: return 0x8A;  // s with caron
        case 0x9C: return 0x8C;  // oe
        case 0x9E: return 0x8E;  // z with caron
        case 0xFF: return 0x9F;  // y with diaeresis
        default: return c;
    }
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

}  // namespace

// ------------------------------------------------------------ public API

TFloatRec FloatToDecimal(double Value, int Precision) {
    TFloatRec r;
    if (Value == 0 || !std::isfinite(Value)) return r;
    r.Negative = Value < 0;
    // The shortest digits that read back as the value: when they are no more
    // than Precision (at most 15), the exact value rounds to them, since a
    // double lies closer to them than half a step of 15 digits.
    if (Precision <= 15) {
        char shortest[32];
        const auto end = std::to_chars(shortest, shortest + sizeof shortest - 1, std::fabs(Value),
                                       std::chars_format::scientific).ptr;
        *end = '\0';
        const char* e = std::strchr(shortest, 'e');
        std::string digits;
        for (const char* p = shortest; p < e; ++p)
            if (*p != '.') digits += *p;
        if (static_cast<int>(digits.size()) <= Precision) {
            r.Digits = std::move(digits);
            r.Exponent = std::atoi(e + 1) + 1;
            stripTrailingZeros(r);
            return r;
        }
    }
    // std::to_chars gives the same correctly rounded digits as printf's
    // "%.39e" without its multi-precision arithmetic, which grids and lists
    // pay for on every number they show. 40 significant digits are plenty to
    // round a double correctly to 15.
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf - 1, std::fabs(Value), std::chars_format::scientific, 39);
    *written.ptr = '\0';
    const char* e = std::strchr(buf, 'e');
    for (const char* p = buf; p < e; ++p)
        if (*p != '.') r.Digits += *p;
    r.Exponent = std::atoi(e + 1) + 1;
    stripTrailingZeros(r);
    roundAtDigit(r, Precision);
    return r;
}

TFloatRec CurrToDecimal(Currency Value) {
    TFloatRec r;
    int64_t raw = Value.Raw();
    if (raw == 0) return r;
    r.Negative = raw < 0;
    uint64_t magnitude = raw < 0 ? 0 - static_cast<uint64_t>(raw) : raw;
    r.Digits = std::to_string(magnitude);
    r.Exponent = static_cast<int>(r.Digits.size()) - 4;
    stripTrailingZeros(r);
    return r;
}

std::string FloatRecToStrF(const TFloatRec& Value, TFloatFormat Format, int Precision, int Digits) {
    Precision = std::clamp(Precision, 1, 19);
    TFloatRec r = Value;
    switch (Format) {
        case ffExponent: {
            roundAtDigit(r, Precision);
            std::string s(1, digitAt(r, 0));
            if (Precision > 1) {
                s += DecimalSeparator;
                for (int i = 1; i < Precision; ++i) s += digitAt(r, i);
            }
            int exponent = r.Digits.empty() ? 0 : r.Exponent - 1;
            s += "E" + exponentText(exponent, true, std::clamp(Digits, 0, 4));
            return (r.Negative && !r.Digits.empty() ? "-" : "") + s;
        }
        case ffFixed:
        case ffNumber:
        case ffCurrency: {
            Digits = std::clamp(Digits, 0, 18);
            roundAtDigit(r, Precision);
            if (r.Exponent > Precision && Format != ffCurrency) {
                std::string s = generalText(r, Precision, 0);
                return (r.Negative && !r.Digits.empty() ? "-" : "") + s;
            }
            roundToDecimals(r, Digits);
            bool negative = r.Negative && !r.Digits.empty();
            std::string s = fixedText(r, Digits, Format != ffFixed);
            if (Format == ffCurrency) return currencyText(s, negative);
            return (negative ? "-" : "") + s;
        }
        case ffGeneral:
        default: {
            std::string s = generalText(r, Precision, std::clamp(Digits, 0, 4));
            roundAtDigit(r, Precision);
            return (r.Negative && !r.Digits.empty() ? "-" : "") + s;
        }
    }
}

std::string FormatFloatRec(const std::string& Format, const TFloatRec& Value) {
    if (Format.empty()) return FloatRecToStrF(Value, ffGeneral, 15, 0);
    std::vector<std::string> sections = splitSections(Format);
    auto present = [&](size_t i) { return i < sections.size() && !sections[i].empty(); };

    Picture positive = readPicture(sections[0]);
    Picture used = positive;
    bool ownNegative = Value.Negative && present(1);
    if (ownNegative) used = readPicture(sections[1]);

    if (Value.Digits.empty() || isZeroAt(Value, used)) {
        TFloatRec zero;
        if (present(2)) return renderPicture(readPicture(sections[2]), zero);
        return renderPicture(positive, zero);
    }
    if (ownNegative) return renderPicture(used, Value);
    std::string s = renderPicture(positive, Value);
    return Value.Negative ? "-" + s : s;
}

std::string FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits) {
    if (std::isnan(Value)) return "NAN";
    if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
    return FloatRecToStrF(FloatToDecimal(Value, std::min(Precision, 15)), Format, Precision, Digits);
}

std::string FloatToStr(double Value) { return FloatToStrF(Value, ffGeneral, 15, 0); }

std::string FormatFloat(const std::string& Format, double Value) {
    if (std::isnan(Value)) return "NAN";
    if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
    return FormatFloatRec(Format, FloatToDecimal(Value, 15));
}

std::string CurrToStrF(Currency Value, TFloatFormat Format, int Digits) {
    return FloatRecToStrF(CurrToDecimal(Value), Format, 19, Digits);
}

std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args) {
    return formatArgs(Fmt, Args.begin(), Args.size());
}

std::string Format(const std::string& Fmt, const std::vector<TVarRec>& Args) {
    return formatArgs(Fmt, Args.data(), Args.size());
}

std::string IntToStr(int64_t Value) { return std::to_string(Value); }

std::string IntToHexBits(uint64_t Value, int Digits) {
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    do {
        s.insert(s.begin(), hex[Value & 15]);
        Value >>= 4;
    } while (Value != 0);
    if (static_cast<int>(s.size()) < Digits) s.insert(0, Digits - s.size(), '0');
    return s;
}

bool TryStrToInt(const std::string& S, int& Value) {
    size_t i = 0, n = S.size();
    while (i < n && S[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (S[i] == '-' || S[i] == '+')) negative = S[i++] == '-';
    int base = 10;
    if (i < n && S[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n) return false;
    int64_t v = 0;
    for (; i < n; ++i) {
        char c = S[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > static_cast<int64_t>(UINT32_MAX) + 1) return false;
    }
    if (base == 16 && !negative && v <= UINT32_MAX) {
        Value = static_cast<int>(static_cast<uint32_t>(v));  // "$FFFFFFFF" is -1
        return true;
    }
    if (negative) v = -v;
    if (v < INT_MIN || v > INT_MAX) return false;
    Value = static_cast<int>(v);
    return true;
}

int StrToInt(const std::string& S) {
    int v;
    if (!TryStrToInt(S, v)) invalidInteger(S);
    return v;
}

int StrToIntDef(const std::string& S, int Default) {
    int v;
    return TryStrToInt(S, v) ? v : Default;
}

bool TryStrToFloat(const std::string& S, double& Value) {
    size_t i = 0, n = S.size();
    while (i < n && S[i] == ' ') ++i;
    while (n > i && S[n - 1] == ' ') --n;
    std::string text;  // rebuilt in C notation for strtod
    if (i < n && (S[i] == '-' || S[i] == '+')) text += S[i++];
    bool digits = false, point = false;
    uint64_t mantissa = 0;
    int digitCount = 0, fractionDigits = 0;
    for (; i < n && S[i] != 'e' && S[i] != 'E'; ++i) {
        char c = S[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            text += c;
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
            ++digitCount;
            if (point) ++fractionDigits;
        } else if (c == DecimalSeparator && !point) {
            point = true;
            text += '.';
        } else {
            return false;
        }
    }
    if (!digits) return false;
    if (i == n && digitCount <= 15) {
        // A plain decimal of up to 15 digits (every amount a table holds) is
        // an exact integer over an exact power of ten, and the division
        // rounds as strtod does.
        static constexpr double powersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double v = static_cast<double>(mantissa) / powersOfTen[fractionDigits];
        Value = !text.empty() && text[0] == '-' ? -v : v;
        return true;
    }
    if (i < n) {
        text += 'e';
        ++i;
        if (i < n && (S[i] == '-' || S[i] == '+')) text += S[i++];
        if (i >= n) return false;
        for (; i < n; ++i) {
            if (S[i] < '0' || S[i] > '9') return false;
            text += S[i];
        }
    }
    errno = 0;
    double v = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(v)) return false;
    Value = v;
    return true;
}

double StrToFloat(const std::string& S) {
    double v;
    if (!TryStrToFloat(S, v)) invalidFloat(S);
    return v;
}

std::string TrimLeft(const std::string& S) {
    size_t i = 0;
    while (i < S.size() && static_cast<unsigned char>(S[i]) <= ' ') ++i;
    return S.substr(i);
}

std::string TrimRight(const std::string& S) {
    size_t n = S.size();
    while (n > 0 && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
    return S.substr(0, n);
}

std::string Trim(const std::string& S) { return TrimLeft(TrimRight(S)); }

std::string UpperCase(std::string S) {
    for (char& c : S) c = upperAscii(c);
    return S;
}

std::string LowerCase(const std::string& S) {
    std::string r = S;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

std::string AnsiUpperCase(const std::string& S) {
    std::string r = S;
    for (char& c : r) c = static_cast<char>(upperAnsi(static_cast<unsigned char>(c)));
    return r;
}

int CompareText(const std::string& S1, const std::string& S2) {
    size_t n = std::min(S1.size(), S2.size());
    for (size_t i = 0; i < n; ++i) {
        int a = static_cast<unsigned char>(upperAscii(S1[i]));
        int b = static_cast<unsigned char>(upperAscii(S2[i]));
        if (a != b) return a - b;
    }
    return static_cast<int>(S1.size()) - static_cast<int>(S2.size());
}

bool SameText(const std::string& S1, const std::string& S2) { return CompareText(S1, S2) == 0; }

int Pos(const std::string& SubStr, const std::string& S) {
    if (SubStr.empty()) return 0;
    size_t at = S.find(SubStr);
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

std::string StringReplace(const std::string& S, const std::string& OldPattern, const std::string& NewPattern,
                          TReplaceFlags Flags) {
    if (OldPattern.empty()) return S;
    bool ignoreCase = Flags & rfIgnoreCase;
    const std::string haystack = ignoreCase ? AnsiUpperCase(S) : S;
    const std::string needle = ignoreCase ? AnsiUpperCase(OldPattern) : OldPattern;
    std::string out;
    size_t from = 0;
    while (true) {
        size_t at = haystack.find(needle, from);
        if (at == std::string::npos) break;
        out.append(S, from, at - from);
        out += NewPattern;
        from = at + needle.size();
        if (!(Flags & rfReplaceAll)) break;
    }
    out.append(S, from, std::string::npos);
    return out;
}

std::string QuotedStr(const std::string& S) {
    std::string out = "'";
    for (char c : S) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}
