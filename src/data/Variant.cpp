#include "data/Variant.h"

#include <cmath>

#include "base/Exceptions.h"
#include "base/SysUtils.h"

namespace {

[[noreturn]] void InvalidConversion() { throw EConvertError("Invalid variant type conversion"); }

}  // namespace

Variant Variant::FromDate(TDateTime Value) {
    Variant v;
    v.value_ = Date{Value};
    return v;
}

Variant Variant::Array(std::vector<Variant> Items) {
    Variant v;
    v.value_ = std::move(Items);
    return v;
}

int Variant::ArrayCount() const {
    return IsArray() ? static_cast<int>(std::get<std::vector<Variant>>(value_).size()) : 0;
}

const Variant& Variant::Item(int Index) const {
    if (Index < 0 || Index >= ArrayCount()) throw EConvertError("Variant or safe array index out of bounds");
    return std::get<std::vector<Variant>>(value_)[static_cast<size_t>(Index)];
}

std::string Variant::AsString() const {
    switch (VarType()) {
        case varNull: return {};
        case varBoolean: return std::get<bool>(value_) ? "True" : "False";
        case varInteger: return IntToStr(std::get<int>(value_));
        case varDouble: return FloatToStr(std::get<double>(value_));
        case varCurrency: return CurrToStr(std::get<Currency>(value_));
        case varDate: return DateTimeToStr(std::get<Date>(value_).value);
        case varString: return std::get<std::string>(value_);
        case varArray: InvalidConversion();
    }
    return {};
}

double Variant::AsFloat() const {
    switch (VarType()) {
        case varNull: return 0;
        case varBoolean: return std::get<bool>(value_) ? -1 : 0;
        case varInteger: return std::get<int>(value_);
        case varDouble: return std::get<double>(value_);
        case varCurrency: return std::get<Currency>(value_).ToDouble();
        case varDate: return std::get<Date>(value_).value;
        case varString: return StrToFloat(std::get<std::string>(value_));
        case varArray: InvalidConversion();
    }
    return 0;
}

int Variant::AsInteger() const {
    if (VarType() == varString) return StrToInt(std::get<std::string>(value_));
    return static_cast<int>(std::lround(AsFloat()));
}

bool Variant::AsBoolean() const {
    if (VarType() == varString) {
        const std::string& s = std::get<std::string>(value_);
        if (SameText(s, "True")) return true;
        if (SameText(s, "False")) return false;
        return StrToFloat(s) != 0;
    }
    return AsFloat() != 0;
}

TDateTime Variant::AsDateTime() const {
    if (VarType() == varString) return StrToDateTime(std::get<std::string>(value_));
    return AsFloat();
}
