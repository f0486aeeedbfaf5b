#pragma once
// Why an xBase expression was refused: the code and message a compile, a
// filter or an evaluation call leaves behind. Shared by the expression
// compiler and the public expression calls, without the compiler itself.
#include <string>

namespace xb {

enum class ExprError {
    None = 0,
    Empty,             // no text at all
    Syntax,            // unexpected character or token
    UnbalancedParens,  // a "(" without ")" or the reverse
    UnterminatedString,
    UnknownField,
    UnknownFunction,
    WrongArgumentCount,
    TypeMismatch,
    UnsupportedField,  // a memo or binary field, which has no value in the record
    TooComplex,        // nested too deeply or too long
    NoTable,           // a filter call with no table open in the selected area
};

// Outcome of a compile: a code and a message that can be shown to a user.
struct ExprStatus {
    ExprError code = ExprError::None;
    std::string message;
    int position = 0;  // 0-based offset in the text where the fault was found
    bool ok() const { return code == ExprError::None; }
};

}  // namespace xb
