#include "xbase/FieldCodec.h"

#include <cmath>
#include <cstring>
#include <string>

#include "base/DateTime.h"
#include "base/SysUtils.h"

namespace {

struct TTypeMap {
    uint16_t Type, SubType, Len, Units1, Units2, PhysType, PhysLen;
};

// The mapping of one xBase field onto the class library's types.
TTypeMap MapType(const TGlueField& f) {
    const uint16_t w = static_cast<uint16_t>(f.Width);
    const uint16_t d = static_cast<uint16_t>(f.Decimals);
    switch (f.Letter) {
    case 'C': return {fldZSTRING, 0, static_cast<uint16_t>(w + 1), w, 0, fldDBCHAR, w};
    case 'V': return {fldZSTRING, 0, 255, 254, 0, fldDBMEMO, 255};
    case 'D': return {fldDATE, 0, 4, 1, 0, fldDBDATE, 8};
    case 'L': return {fldBOOL, 0, 2, 1, 0, fldDBBOOL, 1};
    case 'N':
        if (d == 0 && w < 5)
            return {fldINT16, 0, 2, 1, 0, fldDBNUM, w};
        return {fldFLOAT, 0, 8, w, d, fldDBNUM, w};
    // Memo fields hold text; the blob's bytes are never inspected to call
    // them binary.
    case 'M': return {fldBLOB, fldstMEMO, 0, 1, 0, fldDBMEMO, w};
    case 'G': return {fldBLOB, fldstDBSOLEOBJ, 0, 1, 0, fldDBOLEBLOB, w};
    case 'B':
    case 'P': return {fldBLOB, fldstTYPEDBINARY, 0, 1, 0, fldDBBINARY, w};
    default: return {fldINVALID, 0, 0, 0, 0, fldINVALID, 0};
    }
}

std::string FieldText(const TGlueField& f, const uint8_t* RecBuf) {
    return std::string(reinterpret_cast<const char*>(RecBuf) + f.Offset, static_cast<size_t>(f.Width));
}

void PutText(const TGlueField& f, uint8_t* RecBuf, const std::string& text, bool rightAligned) {
    std::string bytes(static_cast<size_t>(f.Width), ' ');
    size_t n = std::min(text.size(), bytes.size());
    if (rightAligned)
        bytes.replace(bytes.size() - n, n, text, 0, n);
    else
        bytes.replace(0, n, text, 0, n);
    std::memcpy(RecBuf + f.Offset, bytes.data(), bytes.size());
}

bool AllDigits(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return !s.empty();
}

// The fixed-point text of a float that fits the field, or "" when none does:
// a text too long loses decimals one at a time, unless it is longer than
// the width and all the decimals together.
std::string FloatText(double value, int width, int decimals) {
    if (!std::isfinite(value))
        return "";
    std::string text = FloatToStrF(value, ffFixed, width, decimals);
    if (static_cast<int>(text.size()) > width + decimals + 1)
        return "";
    int digits = decimals;
    while (static_cast<int>(text.size()) > width) {
        if (digits == 0)
            return "";
        text = FloatToStrF(value, ffFixed, width, --digits);
    }
    if (DecimalSeparator != '.')
        for (char& c : text)
            if (c == DecimalSeparator)
                c = '.';
    return text;
}

// "yyyymmdd" of a date, the year moved into the two-digit-year window when
// the engine shows two-digit years under an epoch other than 1900.
std::string DateText(TDateTime date, const TDateWindow& window) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    if (y == 0)
        return "";
    if (!window.FourDigitYears && window.Epoch != 1900) {
        if (y < window.Epoch)
            y += 100;
        else if (y > window.Epoch + 100)
            y -= 100;
    }
    if (y < 1 || y > 9999)
        return "";
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", y, m, d);
    return text;
}

template <class T>
T storedValue(const void* Src) {
    T value;
    std::memcpy(&value, Src, sizeof value);
    return value;
}

// Writes the text Make gives for the value at Src, right-aligned when
// Numeric: no value writes blanks, an empty text (a value that does not fit)
// is refused.
template <class Make>
DBIResult putValue(const TGlueField& Field, uint8_t* RecBuf, const void* Src, bool Numeric, Make make) {
    if (!Src) {
        PutText(Field, RecBuf, "", Numeric);
        return DBIERR_NONE;
    }
    const std::string text = make();
    if (text.empty())
        return DBIERR_FLDTOOWIDE;
    PutText(Field, RecBuf, text, Numeric);
    return DBIERR_NONE;
}

}  // namespace

void describeField(const TGlueField& Field, uint16_t FieldNo, FLDDesc& Logical, FLDDesc& Physical) {
    TTypeMap map = MapType(Field);
    Logical = FLDDesc{};
    Logical.iFldNum = FieldNo;
    std::strncpy(Logical.szName, Field.Name.c_str(), sizeof Logical.szName - 1);
    Logical.iFldType = map.Type;
    Logical.iSubType = map.SubType;
    Logical.iUnits1 = static_cast<int16_t>(map.Units1);
    Logical.iUnits2 = static_cast<int16_t>(map.Units2);
    Logical.iOffset = static_cast<uint16_t>(Field.Offset);
    Logical.iLen = map.Len;
    Physical = Logical;
    Physical.iFldType = map.PhysType;
    Physical.iLen = map.PhysLen;
    Physical.iUnits1 = static_cast<int16_t>(map.PhysLen);
    Physical.iUnits2 = static_cast<int16_t>(Field.Letter == 'N' ? Field.Decimals : 0);
}

bool readFieldValue(const TGlueField& Field, uint16_t LogicalType, const uint8_t* RecBuf, void* Dest) {
    if (LogicalType == fldZSTRING) {
        // Straight from the record, the most frequent read: no copy of the text on the way.
        return TDbiEngine::ReadStoredText(reinterpret_cast<const char*>(RecBuf) + Field.Offset,
                                          static_cast<size_t>(Field.Width), Dest);
    }
    std::string text = FieldText(Field, RecBuf);
    if (text.find_first_not_of(' ') == std::string::npos)
        return true;
    switch (LogicalType) {
    case fldDATE: {
        TDateTime date;
        if (text.size() < 8 || !AllDigits(text.substr(0, 8)))
            return true;
        int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(4, 2)), day = std::stoi(text.substr(6, 2));
        if (!TryEncodeDate(year, month, day, date))
            return true;
        if (Dest) {
            int32_t days = static_cast<int32_t>(date) + DateDelta;
            std::memcpy(Dest, &days, sizeof days);
        }
        return false;
    }
    case fldBOOL: {
        if (Dest) {
            int16_t value = text[0] == 'T' ? 1 : 0;
            std::memcpy(Dest, &value, sizeof value);
        }
        return false;
    }
    case fldINT16: {
        int value;
        if (!TryStrToInt(Trim(text), value))
            return true;
        if (Dest) {
            int16_t small = static_cast<int16_t>(value);
            std::memcpy(Dest, &small, sizeof small);
        }
        return false;
    }
    case fldFLOAT: {
        if (DecimalSeparator != '.')
            for (char& c : text)
                if (c == '.')
                    c = DecimalSeparator;
        double value;
        if (!TryStrToFloat(text, value))
            return true;
        if (Dest)
            std::memcpy(Dest, &value, sizeof value);
        return false;
    }
    default: return false;
    }
}

DBIResult writeFieldValue(const TGlueField& Field, uint16_t LogicalType, uint8_t* RecBuf, const void* Src,
                          const TDateWindow& Window) {
    switch (LogicalType) {
    case fldZSTRING:
        PutText(Field, RecBuf, Src ? static_cast<const char*>(Src) : "", false);
        return DBIERR_NONE;
    case fldDATE:
        return putValue(Field, RecBuf, Src, false, [&] {
            return DateText(static_cast<TDateTime>(storedValue<int32_t>(Src) - DateDelta), Window);
        });
    case fldBOOL: {
        int16_t value = 0;
        if (Src)
            std::memcpy(&value, Src, sizeof value);
        PutText(Field, RecBuf, value != 0 ? "T" : "F", false);
        return DBIERR_NONE;
    }
    case fldINT16:
        return putValue(Field, RecBuf, Src, true, [&] {
            const std::string text = std::to_string(storedValue<int16_t>(Src));
            return static_cast<int>(text.size()) > Field.Width ? std::string() : text;
        });
    case fldFLOAT: {
        double value = 0;
        if (Src)
            std::memcpy(&value, Src, sizeof value);
        std::string text = FloatText(value, Field.Width, Field.Decimals);
        if (text.empty())
            return DBIERR_FLDTOOWIDE;
        PutText(Field, RecBuf, text, true);
        return DBIERR_NONE;
    }
    default: return DBIERR_NONE;
    }
}
