#include "xbengine/ExprParser.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "xbengine/DateText.h"
#include "xbengine/ExprNumber.h"

namespace xb {

namespace {

enum class Tok {
    End, Number, String, Ident, LParen, RParen, Comma, Arrow,
    Plus, Minus, Star, Slash,
    Equal, ExactEqual, NotEqual, Less, Greater, LessEqual, GreaterEqual, Dollar,
    And, Or, Not, True, False,
};

struct Token {
    Tok kind = Tok::End;
    std::string text;  // identifier (upper case), string contents or number text
    int position = 0;
};

struct ParseFailure {
    ExprError code;
    std::string message;
    int position;
};

[[noreturn]] void Fail(ExprError code, std::string message, int position) {
    throw ParseFailure{code, std::move(message), position};
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token Next() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])))
            ++pos_;
        Token t;
        t.position = static_cast<int>(pos_);
        if (pos_ >= text_.size())
            return t;
        char c = text_[pos_];
        char next = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';

        if (IsDigit(c) || (c == '.' && IsDigit(next)))
            return Number(t);
        if (c == '"' || c == '\'')
            return String(t, c);
        if (IsIdentStart(c)) {
            size_t start = pos_;
            while (pos_ < text_.size() && IsIdentChar(text_[pos_]))
                ++pos_;
            t.kind = Tok::Ident;
            t.text = Upper(text_.substr(start, pos_ - start));
            return t;
        }
        if (c == '.')
            return DotWord(t);

        auto two = [&](Tok kind) { pos_ += 2; t.kind = kind; return t; };
        auto one = [&](Tok kind) { pos_ += 1; t.kind = kind; return t; };
        switch (c) {
        case '(': return one(Tok::LParen);
        case ')': return one(Tok::RParen);
        case ',': return one(Tok::Comma);
        case '+': return one(Tok::Plus);
        case '-': return next == '>' ? two(Tok::Arrow) : one(Tok::Minus);
        case '*': return one(Tok::Star);
        case '/': return one(Tok::Slash);
        case '$': return one(Tok::Dollar);
        case '#': return one(Tok::NotEqual);
        case '=': return next == '=' ? two(Tok::ExactEqual) : one(Tok::Equal);
        case '!': return next == '=' ? two(Tok::NotEqual) : one(Tok::Not);
        case '<':
            if (next == '>')
                return two(Tok::NotEqual);
            return next == '=' ? two(Tok::LessEqual) : one(Tok::Less);
        case '>': return next == '=' ? two(Tok::GreaterEqual) : one(Tok::Greater);
        default: break;
        }
        Fail(ExprError::Syntax, "Unexpected character '" + std::string(1, c) + "' at position " +
                                    std::to_string(pos_ + 1), t.position);
    }

private:
    Token Number(Token t) {
        size_t start = pos_;
        while (pos_ < text_.size() && IsDigit(text_[pos_]))
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            char after = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
            // "1.and." is the number 1 followed by .and.; "1.5" and "1." are numbers.
            if (IsDigit(after)) {
                ++pos_;
                while (pos_ < text_.size() && IsDigit(text_[pos_]))
                    ++pos_;
            } else if (!std::isalpha(static_cast<unsigned char>(after))) {
                ++pos_;
            }
        }
        t.kind = Tok::Number;
        t.text = std::string(text_.substr(start, pos_ - start));
        return t;
    }

    Token String(Token t, char quote) {
        size_t end = text_.find(quote, pos_ + 1);
        if (end == std::string_view::npos)
            Fail(ExprError::UnterminatedString,
                 "Unterminated string starting at position " + std::to_string(pos_ + 1), t.position);
        t.kind = Tok::String;
        t.text = std::string(text_.substr(pos_ + 1, end - pos_ - 1));
        pos_ = end + 1;
        return t;
    }

    Token DotWord(Token t) {
        // .AND. .OR. .NOT. .T. .F. .Y. .N., in any case.
        size_t end = text_.find('.', pos_ + 1);
        if (end != std::string_view::npos && end - pos_ <= 4) {
            std::string word = Upper(text_.substr(pos_ + 1, end - pos_ - 1));
            Tok kind = Tok::End;
            if (word == "AND") kind = Tok::And;
            else if (word == "OR") kind = Tok::Or;
            else if (word == "NOT") kind = Tok::Not;
            else if (word == "T" || word == "Y") kind = Tok::True;
            else if (word == "F" || word == "N") kind = Tok::False;
            if (kind != Tok::End) {
                pos_ = end + 1;
                t.kind = kind;
                return t;
            }
        }
        Fail(ExprError::Syntax, "Unexpected '.' at position " + std::to_string(pos_ + 1), t.position);
    }

    std::string_view text_;
    size_t pos_ = 0;
};

const char* TypeName(ExprType type) {
    switch (type) {
    case ExprType::Character: return "character";
    case ExprType::Numeric: return "numeric";
    case ExprType::Date: return "date";
    case ExprType::Logical: return "logical";
    }
    return "?";
}

struct FunctionSignature {
    const char* name;
    Function function;
    int minArgs;
    int maxArgs;
};

const FunctionSignature Functions[] = {
    {"UPPER", Function::Upper, 1, 1},     {"DTOS", Function::Dtos, 1, 1},
    {"DTOC", Function::Dtoc, 1, 1},       {"CTOD", Function::Ctod, 1, 1},
    {"STR", Function::Str, 1, 3},         {"LTRIM", Function::Ltrim, 1, 1},
    {"TRIM", Function::Rtrim, 1, 1},      {"RTRIM", Function::Rtrim, 1, 1},
    {"ALLTRIM", Function::Alltrim, 1, 1}, {"SUBSTR", Function::Substr, 2, 3},
    {"LEFT", Function::Left, 2, 2},       {"RIGHT", Function::Right, 2, 2},
    {"DESCEND", Function::Descend, 1, 1}, {"EMPTY", Function::Empty, 1, 1},
    {"VAL", Function::Val, 1, 1},         {"DELETED", Function::Deleted, 0, 0},
    {"RECNO", Function::Recno, 0, 0},
};

class Parser {
public:
    Parser(std::string_view text, const std::vector<FieldInfo>& fields, const Settings& settings)
        : lexer_(text), fields_(fields), settings_(settings) {
        Advance();
    }

    NodePtr ParseAll() {
        NodePtr node = ParseOr();
        if (token_.kind == Tok::RParen)
            Fail(ExprError::UnbalancedParens,
                 "Unbalanced ')' at position " + std::to_string(token_.position + 1), token_.position);
        if (token_.kind != Tok::End)
            Unexpected();
        return node;
    }

private:
    void Advance() { token_ = lexer_.Next(); }

    [[noreturn]] void Unexpected() {
        if (token_.kind == Tok::End)
            Fail(ExprError::Syntax, "Unexpected end of expression", token_.position);
        Fail(ExprError::Syntax, "Syntax error at position " + std::to_string(token_.position + 1),
             token_.position);
    }

    NodePtr Checked(NodePtr node, int position) {
        if (node->Depth() > MaxTreeDepth)
            Fail(ExprError::TooComplex, "Expression too complex", position);
        return node;
    }

    // Nesting guard for the recursive rules.
    struct Nest {
        explicit Nest(Parser& p) : parser(p) {
            if (++parser.nesting_ > MaxNesting)
                Fail(ExprError::TooComplex, "Expression nested too deeply", parser.token_.position);
        }
        ~Nest() { --parser.nesting_; }
        Parser& parser;
    };

    [[noreturn]] void Mismatch(const char* what, const ExprNode& left, const ExprNode& right, int position) {
        Fail(ExprError::TypeMismatch,
             std::string("Type mismatch: ") + TypeName(left.Type()) + " " + what + " " +
                 TypeName(right.Type()),
             position);
    }

    void Expect(const ExprNode& node, ExprType type, const char* what, int position) {
        if (node.Type() != type)
            Fail(ExprError::TypeMismatch,
                 std::string("Type mismatch: ") + what + " needs " + TypeName(type) + ", not " +
                     TypeName(node.Type()),
                 position);
    }

    NodePtr ParseOr() {
        NodePtr left = ParseAnd();
        while (token_.kind == Tok::Or) {
            int pos = token_.position;
            Advance();
            NodePtr right = ParseAnd();
            Expect(*left, ExprType::Logical, ".OR.", pos);
            Expect(*right, ExprType::Logical, ".OR.", pos);
            left = Checked(std::make_unique<LogicalNode>(false, std::move(left), std::move(right)), pos);
        }
        return left;
    }

    NodePtr ParseAnd() {
        NodePtr left = ParseNot();
        while (token_.kind == Tok::And) {
            int pos = token_.position;
            Advance();
            NodePtr right = ParseNot();
            Expect(*left, ExprType::Logical, ".AND.", pos);
            Expect(*right, ExprType::Logical, ".AND.", pos);
            left = Checked(std::make_unique<LogicalNode>(true, std::move(left), std::move(right)), pos);
        }
        return left;
    }

    NodePtr ParseNot() {
        if (token_.kind != Tok::Not)
            return ParseRelation();
        Nest nest(*this);
        int pos = token_.position;
        Advance();
        NodePtr operand = ParseNot();
        Expect(*operand, ExprType::Logical, ".NOT.", pos);
        return Checked(std::make_unique<UnaryNode>(std::move(operand)), pos);
    }

    static bool RelationOp(Tok kind, BinaryOp& op) {
        switch (kind) {
        case Tok::Equal: op = BinaryOp::Equal; return true;
        case Tok::ExactEqual: op = BinaryOp::ExactEqual; return true;
        case Tok::NotEqual: op = BinaryOp::NotEqual; return true;
        case Tok::Less: op = BinaryOp::Less; return true;
        case Tok::Greater: op = BinaryOp::Greater; return true;
        case Tok::LessEqual: op = BinaryOp::LessEqual; return true;
        case Tok::GreaterEqual: op = BinaryOp::GreaterEqual; return true;
        case Tok::Dollar: op = BinaryOp::Contains; return true;
        default: return false;
        }
    }

    NodePtr ParseRelation() {
        NodePtr left = ParseAdditive();
        BinaryOp op;
        while (RelationOp(token_.kind, op)) {
            int pos = token_.position;
            Advance();
            NodePtr right = ParseAdditive();
            if (left->Type() != right->Type())
                Mismatch("compared with", *left, *right, pos);
            if (op == BinaryOp::Contains)
                Expect(*left, ExprType::Character, "$", pos);
            left = Checked(std::make_unique<CompareNode>(op, std::move(left), std::move(right)), pos);
        }
        return left;
    }

    NodePtr ParseAdditive() {
        NodePtr left = ParseMultiplicative();
        while (token_.kind == Tok::Plus || token_.kind == Tok::Minus) {
            bool plus = token_.kind == Tok::Plus;
            int pos = token_.position;
            Advance();
            NodePtr right = ParseMultiplicative();
            left = Checked(MakeAdditive(plus, std::move(left), std::move(right), pos), pos);
        }
        return left;
    }

    NodePtr MakeAdditive(bool plus, NodePtr left, NodePtr right, int pos) {
        ExprType a = left->Type(), b = right->Type();
        BinaryOp op = plus ? BinaryOp::Add : BinaryOp::Subtract;
        using T = ExprType;
        if (a == T::Character && b == T::Character)
            return std::make_unique<ConcatNode>(!plus, std::move(left), std::move(right));
        if (a == T::Numeric && b == T::Numeric) {
            int decimals = std::max(left->Decimals(), right->Decimals());
            return std::make_unique<ArithmeticNode>(op, T::Numeric, 19, decimals, std::move(left),
                                                    std::move(right));
        }
        if ((a == T::Date && b == T::Numeric) || (plus && a == T::Numeric && b == T::Date))
            return std::make_unique<ArithmeticNode>(op, T::Date, 8, 0, std::move(left), std::move(right));
        if (!plus && a == T::Date && b == T::Date)
            return std::make_unique<ArithmeticNode>(op, T::Numeric, 10, 0, std::move(left),
                                                    std::move(right));
        Mismatch(plus ? "+" : "-", *left, *right, pos);
    }

    NodePtr ParseMultiplicative() {
        NodePtr left = ParseUnary();
        while (token_.kind == Tok::Star || token_.kind == Tok::Slash) {
            BinaryOp op = token_.kind == Tok::Star ? BinaryOp::Multiply : BinaryOp::Divide;
            int pos = token_.position;
            Advance();
            NodePtr right = ParseUnary();
            if (left->Type() != ExprType::Numeric || right->Type() != ExprType::Numeric)
                Mismatch(op == BinaryOp::Multiply ? "*" : "/", *left, *right, pos);
            int decimals = op == BinaryOp::Multiply
                               ? std::min(15, left->Decimals() + right->Decimals())
                               : std::max(left->Decimals(), right->Decimals());
            left = Checked(std::make_unique<ArithmeticNode>(op, ExprType::Numeric, 19, decimals,
                                                            std::move(left), std::move(right)),
                           pos);
        }
        return left;
    }

    NodePtr ParseUnary() {
        if (token_.kind != Tok::Minus && token_.kind != Tok::Plus)
            return ParsePrimary();
        Nest nest(*this);
        bool minus = token_.kind == Tok::Minus;
        int pos = token_.position;
        Advance();
        NodePtr operand = ParseUnary();
        Expect(*operand, ExprType::Numeric, minus ? "unary -" : "unary +", pos);
        if (!minus)
            return operand;
        return Checked(std::make_unique<UnaryNode>(std::move(operand)), pos);
    }

    NodePtr ParsePrimary() {
        Token t = token_;
        switch (t.kind) {
        case Tok::Number: {
            Advance();
            size_t point = t.text.find('.');
            int decimals = point == std::string::npos ? 0 : static_cast<int>(t.text.size() - point - 1);
            return ConstantNode::MakeNumber(NumberVal(t.text), decimals);
        }
        case Tok::String:
            Advance();
            return ConstantNode::MakeText(t.text);
        case Tok::True:
        case Tok::False:
            Advance();
            return ConstantNode::MakeLogical(t.kind == Tok::True);
        case Tok::LParen: {
            Nest nest(*this);
            Advance();
            NodePtr inner = ParseOr();
            if (token_.kind != Tok::RParen) {
                if (token_.kind == Tok::End)
                    Fail(ExprError::UnbalancedParens, "Missing ')' for '(' at position " +
                                                          std::to_string(t.position + 1),
                         t.position);
                Unexpected();
            }
            Advance();
            return inner;
        }
        case Tok::Ident:
            Advance();
            if (token_.kind == Tok::LParen)
                return ParseCall(t);
            if (token_.kind == Tok::Arrow) {  // alias->field: the alias is not needed
                Advance();
                if (token_.kind != Tok::Ident)
                    Unexpected();
                t = token_;
                Advance();
            }
            return FieldReference(t);
        case Tok::RParen:
            Fail(ExprError::Syntax, "Missing value before ')' at position " + std::to_string(t.position + 1),
                 t.position);
        default:
            Unexpected();
        }
    }

    NodePtr FieldReference(const Token& t) {
        for (const FieldInfo& field : fields_) {
            if (Upper(field.name) != t.text)
                continue;
            if (!FieldNode::IsReadable(field.type))
                Fail(ExprError::UnsupportedField,
                     "Field " + t.text + " of type " + std::string(1, field.type) +
                         " cannot be used in an expression",
                     t.position);
            return std::make_unique<FieldNode>(field);
        }
        Fail(ExprError::UnknownField, "Unknown field: " + t.text, t.position);
    }

    NodePtr ParseCall(const Token& name) {
        const FunctionSignature* signature = nullptr;
        for (const FunctionSignature& f : Functions)
            if (name.text == f.name)
                signature = &f;
        bool isIif = name.text == "IIF";
        if (!signature && !isIif)
            Fail(ExprError::UnknownFunction, "Unknown function: " + name.text, name.position);

        Nest nest(*this);
        Advance();  // "("
        std::vector<NodePtr> args;
        if (token_.kind != Tok::RParen) {
            for (;;) {
                args.push_back(ParseOr());
                if (token_.kind != Tok::Comma)
                    break;
                Advance();
            }
        }
        if (token_.kind != Tok::RParen) {
            if (token_.kind == Tok::End)
                Fail(ExprError::UnbalancedParens,
                     "Missing ')' after the arguments of " + name.text, name.position);
            Unexpected();
        }
        Advance();
        int count = static_cast<int>(args.size());
        if (isIif)
            return Checked(MakeIif(std::move(args), name.position), name.position);
        if (count < signature->minArgs || count > signature->maxArgs)
            Fail(ExprError::WrongArgumentCount, "Wrong number of arguments for " + name.text,
                 name.position);
        return Checked(MakeCall(*signature, std::move(args), name.position), name.position);
    }

    NodePtr MakeIif(std::vector<NodePtr> args, int pos) {
        if (args.size() != 3)
            Fail(ExprError::WrongArgumentCount, "Wrong number of arguments for IIF", pos);
        Expect(*args[0], ExprType::Logical, "IIF", pos);
        if (args[1]->Type() != args[2]->Type())
            Mismatch("or", *args[1], *args[2], pos);
        int width = std::max(args[1]->Width(), args[2]->Width());
        return std::make_unique<IifNode>(std::move(args[0]), std::move(args[1]), std::move(args[2]), width);
    }

    // The value of a constant numeric argument, for sizing results.
    static bool ConstantInt(const std::vector<NodePtr>& args, size_t index, long& value) {
        if (index >= args.size() || !args[index]->IsConstant())
            return false;
        double n = static_cast<const ConstantNode&>(*args[index]).NumberValue();
        value = n > 1e6 ? 1000000 : (n < -1e6 ? -1000000 : static_cast<long>(n));
        return true;
    }

    NodePtr MakeCall(const FunctionSignature& signature, std::vector<NodePtr> args, int pos) {
        using T = ExprType;
        auto need = [&](size_t index, T type) {
            Expect(*args[index], type, signature.name, pos);
        };
        auto make = [&](T type, int width, int decimals = 0) -> NodePtr {
            return std::make_unique<FunctionNode>(signature.function, type, width, decimals, std::move(args));
        };
        switch (signature.function) {
        case Function::Upper:
        case Function::Ltrim:
        case Function::Rtrim:
        case Function::Alltrim:
            need(0, T::Character);
            return make(T::Character, args[0]->Width());
        case Function::Dtos:
            need(0, T::Date);
            return make(T::Character, 8);
        case Function::Dtoc:
            need(0, T::Date);
            return make(T::Character, DateTextWidth(settings_));
        case Function::Ctod:
            need(0, T::Character);
            return make(T::Date, 8);
        case Function::Str: {
            for (size_t i = 0; i < args.size(); ++i)
                need(i, T::Numeric);
            long width = 10, decimals = 0;
            if (args.size() > 1 && !ConstantInt(args, 1, width))
                width = 10;
            if (args.size() > 2 && !ConstantInt(args, 2, decimals))
                decimals = 0;
            return make(T::Character, static_cast<int>(std::clamp(width, 1L, 255L)),
                        static_cast<int>(std::clamp(decimals, 0L, 15L)));
        }
        case Function::Substr: {
            need(0, T::Character);
            for (size_t i = 1; i < args.size(); ++i)
                need(i, T::Numeric);
            long size = args[0]->Width(), start = 1, count = 0;
            int width = static_cast<int>(size);
            if (ConstantInt(args, 1, start)) {
                if (start < 0)
                    start = std::max(1L, size + start + 1);
                if (start == 0)
                    start = 1;
                long rest = std::max(0L, size - start + 1);
                width = static_cast<int>(rest);
                if (args.size() > 2)
                    width = ConstantInt(args, 2, count) ? static_cast<int>(std::clamp(count, 0L, rest))
                                                        : static_cast<int>(rest);
            }
            return make(T::Character, width);
        }
        case Function::Left:
        case Function::Right: {
            need(0, T::Character);
            need(1, T::Numeric);
            long n = 0;
            int width = args[0]->Width();
            if (ConstantInt(args, 1, n))
                width = static_cast<int>(std::clamp(n, 0L, static_cast<long>(width)));
            return make(T::Character, width);
        }
        case Function::Descend: {
            T type = args[0]->Type();
            if (type == T::Date)
                return make(T::Numeric, 10);
            return make(type, args[0]->Width(), args[0]->Decimals());
        }
        case Function::Empty:
            return make(T::Logical, 1);
        case Function::Val:
            need(0, T::Character);
            return make(T::Numeric, 10);
        case Function::Deleted:
            return make(T::Logical, 1);
        case Function::Recno:
            return make(T::Numeric, 10);
        }
        Fail(ExprError::UnknownFunction, std::string("Unknown function: ") + signature.name, pos);
    }

    Lexer lexer_;
    Token token_;
    const std::vector<FieldInfo>& fields_;
    const Settings& settings_;
    int nesting_ = 0;
};

}  // namespace

NodePtr ParseExpression(std::string_view text, const std::vector<FieldInfo>& fields,
                        const Settings& settings, ExprStatus& status) {
    status = ExprStatus{};
    if (text.size() > MaxExpressionLength) {
        status = {ExprError::TooComplex, "Expression too long", 0};
        return nullptr;
    }
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        status = {ExprError::Empty, "Expression is empty", 0};
        return nullptr;
    }
    try {
        Parser parser(text, fields, settings);
        return parser.ParseAll();
    } catch (const ParseFailure& failure) {
        status = {failure.code, failure.message, failure.position};
        return nullptr;
    }
}

}  // namespace xb
