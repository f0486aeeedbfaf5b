#pragma once
// xBase expressions: compiled once from their text against a table's fields,
// then evaluated over many records. Used for index keys and conditions,
// filters and the engine's evaluation calls.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbengine/ExprStatus.h"
#include "xbengine/Types.h"

namespace xb {

enum class ExprType : char { Character = 'C', Numeric = 'N', Date = 'D', Logical = 'L' };

class ExprNode;

// A compiled expression. Evaluation keeps scratch text inside the compiled
// form, so one Expression is evaluated by one thread at a time.
class Expression {
public:
    // Compiles text against the fields of a table. Settings are read for the
    // width of dtoc (8 or 10 characters). On failure returns null and fills status.
    static std::unique_ptr<Expression> Compile(std::string_view text,
                                               const std::vector<FieldInfo>& fields,
                                               const Settings& settings, ExprStatus& status);
    ~Expression();

    const std::string& Text() const { return text_; }
    ExprType Type() const;
    // Width of the result as key text: character results have a fixed width
    // worked out from the fields and functions; dates 8 (dtos); logicals 1;
    // numbers the width of their str text.
    int Width() const;
    int Decimals() const;
    // The field when the whole expression is one field reference ("id",
    // "Sales->date"), else null: numeric and date keys of a bare field are
    // compared as numbers and dates.
    const FieldInfo* BareField() const;

    // Values of the expression for one record. Each reads the result as its
    // own type: EvalString of a number is its str text, of a date "yyyymmdd",
    // of a logical ".T." or ".F."; EvalLogical of a non-logical is false;
    // EvalNumber of a date is its day number.
    std::string EvalString(const RecordView& record, const Settings& settings);
    double EvalNumber(const RecordView& record, const Settings& settings);
    bool EvalLogical(const RecordView& record, const Settings& settings);
    // Day number (see DateToJulian), 0 for a blank date.
    long EvalDate(const RecordView& record, const Settings& settings);

    // The key text of the record, always Width() bytes: character results
    // blank-padded or cut; dates as "yyyymmdd"; logicals "T" or "F"; numbers
    // as str(value, Width(), Decimals()).
    std::string KeyText(const RecordView& record, const Settings& settings);

private:
    Expression(std::string text, std::unique_ptr<ExprNode> root);

    std::string text_;
    std::unique_ptr<ExprNode> root_;
    bool isBareField_ = false;
    FieldInfo bareField_;
};

}  // namespace xb
