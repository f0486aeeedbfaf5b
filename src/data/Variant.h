#pragma once
// A field value of any type, as the class library's Variant carries it for
// Value, Locate and Lookup: null, a Boolean, an integer, a float, an amount,
// a date or a text; or an array of such values (what a Lookup of several
// result fields returns).
#include <string>
#include <variant>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"

class Variant {
public:
    enum Type { varNull, varBoolean, varInteger, varDouble, varCurrency, varDate, varString, varArray };

    Variant() = default;
    Variant(bool Value) : value_(Value) {}
    Variant(int Value) : value_(Value) {}
    Variant(double Value) : value_(Value) {}
    Variant(Currency Value) : value_(Value) {}
    Variant(const char* Value) : value_(std::string(Value ? Value : "")) {}
    Variant(std::string Value) : value_(std::move(Value)) {}
    static Variant FromDate(TDateTime Value);
    static Variant Array(std::vector<Variant> Items);

    Type VarType() const { return static_cast<Type>(value_.index()); }
    bool IsNull() const { return VarType() == varNull; }
    bool IsArray() const { return VarType() == varArray; }

    // The items of an array (none for other values); Item raises
    // EConvertError for an index outside them.
    int ArrayCount() const;
    const Variant& Item(int Index) const;

    // Conversions as the class library makes them; a null reads as "", 0 or
    // false; an array raises EConvertError.
    std::string AsString() const;
    double AsFloat() const;
    int AsInteger() const;
    bool AsBoolean() const;
    Currency AsCurrency() const { return Currency(AsFloat()); }
    TDateTime AsDateTime() const;

    bool operator==(const Variant& Other) const = default;

private:
    struct Date {
        TDateTime value;
        bool operator==(const Date&) const = default;
    };
    std::variant<std::monostate, bool, int, double, Currency, Date, std::string, std::vector<Variant>> value_;
};
