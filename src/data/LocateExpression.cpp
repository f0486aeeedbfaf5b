#include "data/LocateExpression.h"

#include "base/SysUtils.h"

std::string xBaseQuoted(const std::string& Text) {
    std::string result;
    std::string run;
    auto flush = [&] {
        if (run.empty()) return;
        if (!result.empty()) result += "+";
        result += "'" + run + "'";
        run.clear();
    };
    for (char c : Text) {
        if (c != '\'') {
            run += c;
            continue;
        }
        flush();
        if (!result.empty()) result += "+";
        result += "\"'\"";
    }
    flush();
    return result.empty() ? "''" : result;
}

namespace {
std::string numberText(double value) {
    std::string text = FloatToStrF(value, ffGeneral, 15, 0);
    if (DecimalSeparator != '.') text = StringReplace(text, std::string(1, DecimalSeparator), ".", rfReplaceAll);
    return text;
}

std::string condition(const TField* field, const Variant& value, bool caseInsensitive, bool partialKey) {
    const std::string& name = field->FieldName();
    if (value.IsNull()) return "EMPTY(" + name + ")";
    switch (field->DataType()) {
        case ftString: {
            std::string text = value.AsString();
            std::string left;
            if (partialKey) {
                left = "LEFT(" + name + "," + IntToStr(static_cast<int64_t>(text.size())) + ")";
            } else {
                text = TrimRight(text);
                left = "RTRIM(" + name + ")";
            }
            if (caseInsensitive) return "UPPER(" + left + ")==UPPER(" + xBaseQuoted(text) + ")";
            return left + "==" + xBaseQuoted(text);
        }
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftFloat:
        case ftCurrency:
        case ftBCD: return name + "=" + numberText(value.AsFloat());
        case ftDate:
        case ftDateTime:
            return "DTOS(" + name + ")=='" + FormatDateTime("yyyymmdd", value.AsDateTime()) + "'";
        case ftBoolean: return value.AsBoolean() ? name : ".NOT." + name;
        default: DatabaseErrorFmt(SFieldAccessError, {field->DisplayName(), "Variant"});
    }
}
}  // namespace

std::string xBaseLocateExpression(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                                  bool CaseInsensitive, bool PartialKey) {
    if (Fields.size() != Values.size() || Fields.empty()) DatabaseError("Invalid variant type conversion");
    std::string expression;
    for (size_t i = 0; i < Fields.size(); ++i) {
        if (!expression.empty()) expression += " .and. ";
        expression += condition(Fields[i], Values[i], CaseInsensitive, PartialKey);
    }
    return expression;
}
