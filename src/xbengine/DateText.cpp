#include "xbengine/DateText.h"

#include <cctype>

#include "os/Locale.h"

namespace xb {

namespace {

// Order of the day, month and year parts and the separator of a date format.
struct DateLayout {
    char order[3];
    char separator;
};

DateLayout SystemLayout() {
    DateLayout layout{{'m', 'd', 'y'}, '/'};
    std::string pattern = os::ShortDateFormat();
    int parts = 0;
    char last = 0;
    for (char c : pattern) {
        char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower == 'd' || lower == 'm' || lower == 'y') {
            if (lower != last && parts < 3)
                layout.order[parts++] = lower;
            last = lower;
        } else if (c != ' ' && c != '\'' && c != '"') {
            layout.separator = c;
            last = 0;
        }
    }
    bool complete = parts == 3 && layout.order[0] != layout.order[1] &&
                    layout.order[1] != layout.order[2] && layout.order[0] != layout.order[2];
    if (!complete)
        layout = {{'m', 'd', 'y'}, '/'};
    return layout;
}

DateLayout LayoutOf(const Settings& settings) {
    switch (settings.dateFormat) {
    case 1: return {{'y', 'm', 'd'}, '.'};
    case 2:
    case 3: return {{'d', 'm', 'y'}, '/'};
    case 4: return {{'d', 'm', 'y'}, '.'};
    case 5:
    case 6: return {{'d', 'm', 'y'}, '-'};
    case 99: return SystemLayout();
    default: return {{'m', 'd', 'y'}, '/'};
    }
}

void AppendDigits(std::string& out, int value, int digits) {
    std::string text(digits, '0');
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out += text;
}

bool ReadDigits(std::string_view text, int& value) {
    if (text.empty())
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
    static const int daysIn[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = daysIn[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= last;
}

long DateToJulian(int year, int month, int day) {
    if (!IsValidDate(year, month, day))
        return 0;
    // Gregorian calendar to julian day number.
    long a = (14 - month) / 12;
    long y = year + 4800 - a;
    long m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

long DateToJulian(std::string_view yyyymmdd) {
    int year, month, day;
    if (yyyymmdd.size() != 8 || !ReadDigits(yyyymmdd.substr(0, 4), year) ||
        !ReadDigits(yyyymmdd.substr(4, 2), month) || !ReadDigits(yyyymmdd.substr(6, 2), day))
        return 0;
    return DateToJulian(year, month, day);
}

std::string JulianToDate(long julian) {
    static const long first = DateToJulian(1, 1, 1);
    static const long last = DateToJulian(9999, 12, 31);
    if (julian < first || julian > last)
        return std::string(BlankDate);
    long a = julian + 32044;
    long b = (4 * a + 3) / 146097;
    long c = a - 146097 * b / 4;
    long d = (4 * c + 3) / 1461;
    long e = c - 1461 * d / 4;
    long m = (5 * e + 2) / 153;
    int day = static_cast<int>(e - (153 * m + 2) / 5 + 1);
    int month = static_cast<int>(m + 3 - 12 * (m / 10));
    int year = static_cast<int>(100 * b + d - 4800 + m / 10);
    std::string out;
    AppendDigits(out, year, 4);
    AppendDigits(out, month, 2);
    AppendDigits(out, day, 2);
    return out;
}

int ExpandYear(int twoDigitYear, int epoch) {
    int year = epoch / 100 * 100 + twoDigitYear;
    if (year < epoch)
        year += 100;
    return year;
}

std::string DatePattern(const Settings& settings) {
    DateLayout layout = LayoutOf(settings);
    std::string out;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            out += layout.separator;
        char part = layout.order[i];
        out += part == 'y' ? (settings.century ? "yyyy" : "yy") : std::string(2, part);
    }
    return out;
}

int DateTextWidth(const Settings& settings) { return settings.century ? 10 : 8; }

std::string DateToText(std::string_view yyyymmdd, const Settings& settings) {
    DateLayout layout = LayoutOf(settings);
    int yearDigits = settings.century ? 4 : 2;
    int year = 0, month = 0, day = 0;
    bool valid = yyyymmdd.size() == 8 && ReadDigits(yyyymmdd.substr(0, 4), year) &&
                 ReadDigits(yyyymmdd.substr(4, 2), month) &&
                 ReadDigits(yyyymmdd.substr(6, 2), day) && IsValidDate(year, month, day);
    std::string out;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            out += layout.separator;
        char part = layout.order[i];
        int digits = part == 'y' ? yearDigits : 2;
        if (!valid)
            out.append(digits, ' ');
        else if (part == 'y')
            AppendDigits(out, settings.century ? year : year % 100, digits);
        else
            AppendDigits(out, part == 'm' ? month : day, 2);
    }
    return out;
}

std::string TextToDate(std::string_view text, const Settings& settings) {
    DateLayout layout = LayoutOf(settings);
    // Three groups of digits, each pair separated by one character that is
    // not a digit; blanks around the whole text are ignored.
    size_t begin = 0, end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    std::string_view body = text.substr(begin, end - begin);
    std::string_view groups[3];
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        size_t start = pos;
        while (pos < body.size() && body[pos] >= '0' && body[pos] <= '9')
            ++pos;
        groups[i] = body.substr(start, pos - start);
        if (groups[i].empty())
            return std::string(BlankDate);
        if (i < 2) {
            if (pos >= body.size())
                return std::string(BlankDate);
            ++pos;  // the separator
        }
    }
    if (pos != body.size())
        return std::string(BlankDate);

    int year = 0, month = 0, day = 0;
    bool yearWritten = false;
    for (int i = 0; i < 3; ++i) {
        int value = 0;
        char part = layout.order[i];
        size_t limit = part == 'y' ? 4 : 2;
        if (groups[i].size() > limit || !ReadDigits(groups[i], value))
            return std::string(BlankDate);
        if (part == 'y') {
            year = value;
            yearWritten = groups[i].size() > 2;
        } else if (part == 'm') {
            month = value;
        } else {
            day = value;
        }
    }
    if (!yearWritten)
        year = ExpandYear(year, settings.epoch);
    if (!IsValidDate(year, month, day))
        return std::string(BlankDate);
    std::string out;
    AppendDigits(out, year, 4);
    AppendDigits(out, month, 2);
    AppendDigits(out, day, 2);
    return out;
}

}  // namespace xb
