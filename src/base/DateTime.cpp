#include "base/DateTime.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <ctime>

#include "base/Exceptions.h"
#include "base/SysUtils.h"

namespace {

// Days from 0001-01-01 to 1899-12-30.
constexpr int DateDelta = 693594;
// Day numbers (days since 1899-12-30) of 0001-01-01 and 9999-12-31.
constexpr int FirstDay = 1 - DateDelta;
constexpr int LastDay = 2958465;

std::atomic<bool> clockFixed{false};
std::atomic<double> fixedNow{0.0};

int dayOfYearStart(int year, int month) {
    static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    return before[month - 1] + (month > 2 && IsLeapYear(year) ? 1 : 0);
}

// Splits a value into its calendar day and the milliseconds into that day.
// A time that rounds up to midnight belongs to the next day.
bool splitValue(TDateTime value, int& day, int& msOfDay) {
    if (!std::isfinite(value) || value < FirstDay - 1 || value > LastDay + 1) return false;
    double whole = std::trunc(value);
    long long ms = std::llround(std::fabs(value - whole) * MSecsPerDay);
    day = static_cast<int>(whole);
    if (ms >= MSecsPerDay) {
        ms = 0;
        ++day;
    }
    msOfDay = static_cast<int>(ms);
    return day >= FirstDay && day <= LastDay;
}

// A calendar day and a time of day as one value.
TDateTime combine(TDateTime day, TDateTime time) { return day >= 0 ? day + time : day - time; }

TDateTime timeOf(TDateTime value) { return std::fabs(value - std::trunc(value)); }

// ---------------------------------------------------------- formatting

bool startsWithNoCase(const std::string& s, size_t at, const char* word) {
    for (size_t k = 0; word[k]; ++k)
        if (at + k >= s.size() || std::tolower(static_cast<unsigned char>(s[at + k])) != word[k]) return false;
    return true;
}

// Whether an am/pm specifier follows, which puts hours on the 12-hour clock.
bool twelveHourAhead(const std::string& fmt, size_t from) {
    char quote = 0;
    for (size_t i = from; i < fmt.size(); ++i) {
        char ch = fmt[i];
        if (quote) {
            if (ch == quote) quote = 0;
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (startsWithNoCase(fmt, i, "am/pm") || startsWithNoCase(fmt, i, "a/p") ||
                   startsWithNoCase(fmt, i, "ampm")) {
            return true;
        }
    }
    return false;
}

std::string padded(int value, int width) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
    return s;
}

void appendFormatted(std::string& out, const std::string& fmt, TDateTime value, int depth) {
    if (depth > 2) return;  // a pattern that names itself must not loop
    int day = 0, ms = 0;
    int year = 0, month = 0, dom = 0, dow = 0;
    if (splitValue(value, day, ms)) {
        DecodeDate(day, year, month, dom);
        dow = DayOfWeek(day);
    }
    const int hour = ms / 3600000, minute = ms / 60000 % 60, second = ms / 1000 % 60, milli = ms % 1000;

    bool afterHour = false;
    size_t i = 0;
    const size_t n = fmt.size();
    while (i < n) {
        const char ch = fmt[i];
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        size_t count = 1;
        while (i + count < n && std::tolower(static_cast<unsigned char>(fmt[i + count])) == lower) ++count;
        bool hourToken = false;
        switch (lower) {
            case '"':
            case '\'': {
                size_t end = fmt.find(ch, i + 1);
                if (end == std::string::npos) end = n;
                out.append(fmt, i + 1, end - i - 1);
                i = end + 1;
                continue;
            }
            case 'c':
                appendFormatted(out, ShortDateFormat, value, depth + 1);
                if (ms != 0) {
                    out += ' ';
                    appendFormatted(out, LongTimeFormat, value, depth + 1);
                }
                count = 1;
                break;
            case 'd':
                if (count == 1) out += std::to_string(dom);
                else if (count == 2) out += padded(dom, 2);
                else if (count == 3) out += dow ? ShortDayNames[dow - 1] : "";
                else if (count == 4) out += dow ? LongDayNames[dow - 1] : "";
                else if (count == 5) appendFormatted(out, ShortDateFormat, value, depth + 1);
                else appendFormatted(out, LongDateFormat, value, depth + 1);
                break;
            case 'm':
                if (afterHour && count <= 2) out += count == 1 ? std::to_string(minute) : padded(minute, 2);
                else if (count == 1) out += std::to_string(month);
                else if (count == 2) out += padded(month, 2);
                else if (count == 3) out += month ? ShortMonthNames[month - 1] : "";
                else out += month ? LongMonthNames[month - 1] : "";
                break;
            case 'y':
                out += count <= 2 ? padded(year % 100, 2) : padded(year, 4);
                break;
            case 'h': {
                int h = hour;
                if (twelveHourAhead(fmt, i + count)) {
                    h %= 12;
                    if (h == 0) h = 12;
                }
                out += count == 1 ? std::to_string(h) : padded(h, 2);
                hourToken = true;
                break;
            }
            case 'n':
                out += count == 1 ? std::to_string(minute) : padded(minute, 2);
                break;
            case 's':
                out += count == 1 ? std::to_string(second) : padded(second, 2);
                break;
            case 'z':
                out += count == 1 ? std::to_string(milli) : padded(milli, 3);
                break;
            case 't':
                appendFormatted(out, count == 1 ? ShortTimeFormat : LongTimeFormat, value, depth + 1);
                break;
            case 'a':
                count = 1;
                if (startsWithNoCase(fmt, i, "am/pm")) {
                    out.append(fmt, hour < 12 ? i : i + 3, 2);
                    count = 5;
                } else if (startsWithNoCase(fmt, i, "a/p")) {
                    out += fmt[hour < 12 ? i : i + 2];
                    count = 3;
                } else if (startsWithNoCase(fmt, i, "ampm")) {
                    out += hour < 12 ? TimeAMString : TimePMString;
                    count = 4;
                } else {
                    out += ch;
                }
                break;
            case '/':
                out += DateSeparator;
                count = 1;
                break;
            case ':':
                out += TimeSeparator;
                count = 1;
                break;
            default:
                out += ch;
                count = 1;
                i += count;
                continue;  // literal text leaves the hour context alone
        }
        if (lower != '/' && lower != ':') afterHour = hourToken;
        i += count;
    }
}

// ------------------------------------------------------------- parsing

class Scanner {
public:
    explicit Scanner(const std::string& s) : s_(s) {}

    void skipBlanks() {
        while (i_ < s_.size() && s_[i_] == ' ') ++i_;
    }
    bool atEnd() {
        skipBlanks();
        return i_ >= s_.size();
    }
    // Up to four digits; `digits` tells how many were read.
    bool number(int& value, int& digits) {
        skipBlanks();
        value = 0;
        digits = 0;
        while (i_ < s_.size() && digits < 4 && std::isdigit(static_cast<unsigned char>(s_[i_]))) {
            value = value * 10 + (s_[i_++] - '0');
            ++digits;
        }
        return digits > 0;
    }
    bool number(int& value) {
        int digits;
        return number(value, digits);
    }
    bool character(char c) {
        skipBlanks();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool word(const std::string& w) {
        skipBlanks();
        if (w.empty() || i_ + w.size() > s_.size()) return false;
        for (size_t k = 0; k < w.size(); ++k)
            if (std::toupper(static_cast<unsigned char>(s_[i_ + k])) != std::toupper(static_cast<unsigned char>(w[k])))
                return false;
        i_ += w.size();
        return true;
    }

private:
    const std::string& s_;
    size_t i_ = 0;
};

int currentYear() {
    int y, m, d;
    DecodeDate(Now(), y, m, d);
    return y;
}

bool scanDate(Scanner& in, TDateTime& value) {
    enum { MDY, DMY, YMD } order = MDY;
    for (char c : ShortDateFormat) {
        char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (l == 'd') order = DMY;
        if (l == 'y') order = YMD;
        if (l == 'd' || l == 'm' || l == 'y') break;
    }
    int n1, n2, n3, firstDigits, lastDigits;
    if (!in.number(n1, firstDigits) || !in.character(DateSeparator) || !in.number(n2)) return false;
    int year, month, day;
    if (in.character(DateSeparator)) {
        if (!in.number(n3, lastDigits)) return false;
        int yearDigits;
        if (order == YMD) {
            year = n1, month = n2, day = n3, yearDigits = firstDigits;
        } else {
            year = n3, yearDigits = lastDigits;
            month = order == MDY ? n1 : n2;
            day = order == MDY ? n2 : n1;
        }
        if (yearDigits <= 2) year = ExpandTwoDigitYear(year);
    } else {
        year = currentYear();
        month = order == DMY ? n2 : n1;
        day = order == DMY ? n1 : n2;
    }
    return TryEncodeDate(year, month, day, value);
}

bool scanTime(Scanner& in, TDateTime& value) {
    int hour, minute, second = 0, milli = 0;
    if (!in.number(hour) || !in.character(TimeSeparator) || !in.number(minute)) return false;
    if (in.character(TimeSeparator)) {
        if (!in.number(second)) return false;
        if (in.character(DecimalSeparator) && !in.number(milli)) return false;
    }
    int half = -1;  // 0 before noon, 1 after
    if (in.word(TimeAMString) || in.word("AM")) half = 0;
    else if (in.word(TimePMString) || in.word("PM")) half = 1;
    if (half >= 0) {
        if (hour == 0 || hour > 12) return false;
        if (hour == 12) hour = 0;
        if (half == 1) hour += 12;
    }
    return TryEncodeTime(hour, minute, second, milli, value);
}

}  // namespace

int ExpandTwoDigitYear(int Year) {
    if (Year < 0 || Year > 99) return Year;
    int current = currentYear();
    if (TwoDigitYearCenturyWindow <= 0) return Year + current / 100 * 100;
    int first = current - TwoDigitYearCenturyWindow;
    Year += first / 100 * 100;
    if (Year < first) Year += 100;
    return Year;
}

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInAMonth(int Year, int Month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12) return 0;
    return Month == 2 && IsLeapYear(Year) ? 29 : days[Month - 1];
}

int DaysInMonth(TDateTime Value) {
    int y, m, d;
    DecodeDate(Value, y, m, d);
    return DaysInAMonth(y, m);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Value) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInAMonth(Year, Month))
        return false;
    int y = Year - 1;
    Value = y * 365 + y / 4 - y / 100 + y / 400 + dayOfYearStart(Year, Month) + Day - DateDelta;
    return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
    TDateTime v;
    if (!TryEncodeDate(Year, Month, Day, v)) throw EConvertError("Invalid argument to date encode");
    return v;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Value) {
    if (Hour < 0 || Hour >= 24 || Min < 0 || Min >= 60 || Sec < 0 || Sec >= 60 || MSec < 0 || MSec >= 1000)
        return false;
    Value = ((Hour * 60 + Min) * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
    TDateTime v;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, v)) throw EConvertError("Invalid argument to time encode");
    return v;
}

void DecodeDate(TDateTime Value, int& Year, int& Month, int& Day) {
    int day, ms;
    Year = Month = Day = 0;
    if (!splitValue(Value, day, ms)) return;
    int d = day + DateDelta - 1;  // days since 0001-01-01
    int n400 = d / 146097;
    d %= 146097;
    int n100 = std::min(d / 36524, 3);
    d -= n100 * 36524;
    int n4 = d / 1461;
    d %= 1461;
    int n1 = std::min(d / 365, 3);
    d -= n1 * 365;
    Year = n400 * 400 + n100 * 100 + n4 * 4 + n1 + 1;
    Month = 1;
    while (Month < 12 && d >= dayOfYearStart(Year, Month + 1)) ++Month;
    Day = d - dayOfYearStart(Year, Month) + 1;
}

void DecodeTime(TDateTime Value, int& Hour, int& Min, int& Sec, int& MSec) {
    int day, ms;
    if (!splitValue(Value, day, ms)) ms = 0;
    Hour = ms / 3600000;
    Min = ms / 60000 % 60;
    Sec = ms / 1000 % 60;
    MSec = ms % 1000;
}

int DayOfWeek(TDateTime Value) {
    int day, ms;
    if (!splitValue(Value, day, ms)) return 0;
    return (day + DateDelta) % 7 + 1;
}

TDateTime IncMonth(TDateTime Value, int NumberOfMonths) {
    int y, m, d;
    DecodeDate(Value, y, m, d);
    if (y == 0) throw EConvertError("Invalid argument to date encode");
    int months = y * 12 + (m - 1) + NumberOfMonths;
    int year = months / 12, month = months % 12 + 1;
    if (months < 0) year = -1;  // before year 1: refused by EncodeDate
    d = std::min(d, DaysInAMonth(year, month));
    return combine(EncodeDate(year, month, d), timeOf(Value));
}

TDateTime Now() {
    if (clockFixed.load()) return fixedNow.load();
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local;
    localtime_r(&ts.tv_sec, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), static_cast<int>(ts.tv_nsec / 1000000));
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() { return timeOf(Now()); }

void setFixedNow(TDateTime Value) {
    fixedNow.store(Value);
    clockFixed.store(true);
}

void clearFixedNow() { clockFixed.store(false); }

std::string FormatDateTime(const std::string& Format, TDateTime Value) {
    std::string out;
    appendFormatted(out, Format, Value, 0);
    return out;
}

std::string DateToStr(TDateTime Value) { return FormatDateTime("ddddd", Value); }

std::string TimeToStr(TDateTime Value) { return FormatDateTime("tt", Value); }

std::string DateTimeToStr(TDateTime Value) { return FormatDateTime("c", Value); }

namespace {

// Value is set only when the whole of S scans.
bool scanWhole(const std::string& S, TDateTime& Value, bool (*Scan)(Scanner&, TDateTime&)) {
    Scanner in(S);
    TDateTime v;
    if (!Scan(in, v) || !in.atEnd()) return false;
    Value = v;
    return true;
}

// The value S gives, or EConvertError naming What it is not.
TDateTime converted(const std::string& S, bool (*TryConvert)(const std::string&, TDateTime&), const char* What) {
    TDateTime v;
    if (!TryConvert(S, v)) throw EConvertError("'" + S + "' is not a valid " + What);
    return v;
}

}  // namespace

bool TryStrToDate(const std::string& S, TDateTime& Value) { return scanWhole(S, Value, scanDate); }

TDateTime StrToDate(const std::string& S) { return converted(S, TryStrToDate, "date"); }

TDateTime StrToDateDef(const std::string& S, TDateTime Default) {
    TDateTime v;
    return TryStrToDate(S, v) ? v : Default;
}

bool TryStrToTime(const std::string& S, TDateTime& Value) { return scanWhole(S, Value, scanTime); }

TDateTime StrToTime(const std::string& S) { return converted(S, TryStrToTime, "time"); }

bool TryStrToDateTime(const std::string& S, TDateTime& Value) {
    Scanner in(S);
    TDateTime date, time = 0;
    if (!scanDate(in, date)) return false;
    if (!in.atEnd() && (!scanTime(in, time) || !in.atEnd())) return false;
    Value = combine(date, time);
    return true;
}

TDateTime StrToDateTime(const std::string& S) { return converted(S, TryStrToDateTime, "date and time"); }
