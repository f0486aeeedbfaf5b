// Broken and hostile expression texts: each gives an error code and a
// message, never a crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "xbengine/Expr.h"

namespace {

std::vector<xb::FieldInfo> Fields() {
    return {
        {"NAME", 'C', 10, 0, 1}, {"BAL", 'N', 10, 2, 11}, {"FLAG", 'L', 1, 0, 21},
        {"DUE", 'D', 8, 0, 22},  {"NOTE", 'M', 10, 0, 30},
    };
}

xb::ExprStatus CompileStatus(const std::string& text) {
    xb::ExprStatus status;
    auto expr = xb::Expression::Compile(text, Fields(), xb::Settings{}, status);
    EXPECT_EQ(expr == nullptr, !status.ok()) << text;
    return status;
}

TEST(ExpressionErrors, MalformedTextsGiveCodeAndMessage) {
    using E = xb::ExprError;
    struct Case {
        std::string text;
        E code;
    } cases[] = {
        {"", E::Empty},
        {"   ", E::Empty},
        {"(name", E::UnbalancedParens},
        {"((bal + 1)", E::UnbalancedParens},
        {"name)", E::UnbalancedParens},
        {"upper(name", E::UnbalancedParens},
        {"'abc", E::UnterminatedString},
        {"name = \"abc", E::UnterminatedString},
        {"nosuch", E::UnknownField},
        {"upper(nosuch)", E::UnknownField},
        {"foo(1)", E::UnknownFunction},
        {"note", E::UnsupportedField},
        {"str()", E::WrongArgumentCount},
        {"str(1, 2, 3, 4)", E::WrongArgumentCount},
        {"substr('a')", E::WrongArgumentCount},
        {"deleted(1)", E::WrongArgumentCount},
        {"iif(flag, 1)", E::WrongArgumentCount},
        {"1 + 'a'", E::TypeMismatch},
        {"name - 1", E::TypeMismatch},
        {"due + due", E::TypeMismatch},
        {"name .and. flag", E::TypeMismatch},
        {".not. bal", E::TypeMismatch},
        {"-name", E::TypeMismatch},
        {"bal = '1'", E::TypeMismatch},
        {"1 $ 'a'", E::TypeMismatch},
        {"upper(bal)", E::TypeMismatch},
        {"dtos(name)", E::TypeMismatch},
        {"iif(flag, 1, 'a')", E::TypeMismatch},
        {"iif(bal, 1, 2)", E::TypeMismatch},
        {"1 +", E::Syntax},
        {"1.and.", E::Syntax},
        {"name name", E::Syntax},
        {"a->", E::Syntax},
        {"@", E::Syntax},
        {".x. .and. flag", E::Syntax},
        {"upper(name,)", E::Syntax},
        {",", E::Syntax},
        {"()", E::Syntax},
    };
    for (const Case& c : cases) {
        xb::ExprStatus status = CompileStatus(c.text);
        EXPECT_EQ(status.code, c.code) << "'" << c.text << "': " << status.message;
        EXPECT_FALSE(status.message.empty()) << c.text;
    }
}

TEST(ExpressionErrors, MessagesNameWhatIsWrong) {
    EXPECT_NE(CompileStatus("upper(nosuch)").message.find("NOSUCH"), std::string::npos);
    EXPECT_NE(CompileStatus("foo(1)").message.find("FOO"), std::string::npos);
    xb::ExprStatus status = CompileStatus("bal + name");
    EXPECT_EQ(status.position, 4);
}

TEST(ExpressionErrors, HugeAndDeeplyNestedTextsAreRefused) {
    const int n = 100000;
    std::string sum = "bal";
    for (int i = 0; i < 5000; ++i)
        sum += "+1";
    std::string joined = "flag";
    for (int i = 0; i < 3000; ++i)
        joined += " .and. flag";
    const std::string texts[] = {
        std::string(n, '(') + "1" + std::string(n, ')'),
        std::string(n, '-') + "1",
        std::string(n, '!') + "flag",
        [&] { std::string s; for (int i = 0; i < 20000; ++i) s += "upper("; return s + "name"; }(),
        sum,
        joined,
        "'" + std::string(40000, 'x') + "'",
    };
    for (const std::string& text : texts)
        EXPECT_EQ(CompileStatus(text).code, xb::ExprError::TooComplex) << text.substr(0, 40);
    // Moderate nesting and long joins of conditions still compile.
    std::string nested = std::string(30, '(') + "bal" + std::string(30, ')') + " > 0";
    EXPECT_TRUE(CompileStatus(nested).ok());
    std::string filters = "flag";
    for (int i = 0; i < 100; ++i)
        filters += " .and. bal <> " + std::to_string(i);
    EXPECT_TRUE(CompileStatus(filters).ok());
}

}  // namespace
