#include "xbase/Qmutils.h"

#include <cctype>

#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"

// ---- Tokens ----

std::string NextToken(const std::string& Text, char Separator, int& Position) {
    const int length = static_cast<int>(Text.size());
    if (Position == length + 1) {
        Position = -1;
        return std::string();
    }
    if (Position < 1 || Position > length) return std::string();
    size_t start = static_cast<size_t>(Position - 1);
    size_t found = Text.find(Separator, start);
    if (found == std::string::npos) {
        Position = -1;
        return Text.substr(start);
    }
    Position = static_cast<int>(found) + 2;
    return Text.substr(start, found - start);
}

void NextToken(const std::string& Text, char Separator, int& Position, std::string& Token) {
    Token = NextToken(Text, Separator, Position);
}

void SplitToStrings(const std::string& Text, char Separator, TStrings& List) {
    List.BeginUpdate();
    try {
        List.Clear();
        size_t start = 0;
        for (;;) {
            size_t found = Text.find(Separator, start);
            if (found == std::string::npos) {
                List.Add(Text.substr(start));
                break;
            }
            List.Add(Text.substr(start, found - start));
            start = found + 1;
        }
    } catch (...) {
        List.EndUpdate();
        throw;
    }
    List.EndUpdate();
}

void TrimTrailingSet(std::string& Text, const std::string& Chars) {
    size_t end = Text.size();
    while (end > 0 && Chars.find(Text[end - 1]) != std::string::npos) --end;
    Text.erase(end);
}

std::string BlankOutChar(const std::string& Text, char Ch) {
    std::string result = Text;
    for (char& c : result)
        if (c == Ch) c = ' ';
    return result;
}

// ---- Stacks ----

std::string TStackStr::Pop() {
    if (items_.empty()) return std::string();
    std::string top = std::move(items_.back());
    items_.pop_back();
    return top;
}

void* TStackPtr::Pop() {
    if (items_.empty()) return nullptr;
    void* top = items_.back();
    items_.pop_back();
    return top;
}

// ---- Checks of typed text ----

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits and at most maxPoints points after an optional leading minus, with
// at least one digit.
bool isNumberText(const std::string& text, int maxPoints) {
    size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    int digits = 0, points = 0;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i]))
            ++digits;
        else if (text[i] == '.' && points < maxPoints)
            ++points;
        else
            return false;
    }
    return digits > 0;
}

// Reads dates and times by the class library's rules without raising.
class TextScanner {
public:
    explicit TextScanner(const std::string& text) : text_(text) {}

    void skipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    bool atEnd() {
        skipBlanks();
        return pos_ == text_.size();
    }

    // Digits until the value reaches 1000.
    bool number(int& value) {
        skipBlanks();
        size_t start = pos_;
        value = 0;
        while (pos_ < text_.size() && isDigit(text_[pos_]) && value < 1000)
            value = value * 10 + (text_[pos_++] - '0');
        return pos_ > start;
    }

    bool character(char c) {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    // A word compared without case; an empty word never matches.
    bool word(const std::string& w) {
        skipBlanks();
        if (w.empty() || text_.size() - pos_ < w.size()) return false;
        if (!SameText(text_.substr(pos_, w.size()), w)) return false;
        pos_ += w.size();
        return true;
    }

private:
    const std::string& text_;
    size_t pos_ = 0;
};

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

DateOrder shortDateOrder() {
    for (char c : ShortDateFormat) {
        switch (std::toupper(static_cast<unsigned char>(c))) {
            case 'D': return DateOrder::DayMonthYear;
            case 'Y': return DateOrder::YearMonthDay;
            case 'M': return DateOrder::MonthDayYear;
        }
    }
    return DateOrder::MonthDayYear;
}

int currentYear() {
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    return year;
}

bool scanDate(TextScanner& in) {
    int n1, n2, n3;
    if (!in.number(n1) || !in.character(DateSeparator) || !in.number(n2)) return false;
    const bool threeParts = in.character(DateSeparator);
    if (threeParts && !in.number(n3)) return false;

    int year, month, day;
    const DateOrder order = shortDateOrder();
    if (!threeParts) {
        year = currentYear();
        if (order == DateOrder::DayMonthYear) {
            day = n1;
            month = n2;
        } else {
            month = n1;
            day = n2;
        }
    } else if (order == DateOrder::MonthDayYear) {
        month = n1, day = n2, year = n3;
    } else if (order == DateOrder::DayMonthYear) {
        day = n1, month = n2, year = n3;
    } else {
        year = n1, month = n2, day = n3;
    }
    if (threeParts) year = ExpandTwoDigitYear(year);
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInAMonth(year, month);
}

bool scanTime(TextScanner& in) {
    int hour, minute, second = 0;
    if (!in.number(hour) || !in.character(TimeSeparator) || !in.number(minute)) return false;
    if (in.character(TimeSeparator) && !in.number(second)) return false;
    int baseHour = -1;
    if (in.word(TimeAMString) || in.word("AM"))
        baseHour = 0;
    else if (in.word(TimePMString) || in.word("PM"))
        baseHour = 12;
    if (baseHour >= 0) {
        if (hour < 1 || hour > 12) return false;
        hour = hour % 12 + baseHour;
    }
    return hour < 24 && minute < 60 && second < 60;
}

}  // namespace

bool IsValidIntegerText(const std::string& Text) { return Text.empty() || isNumberText(Text, 0); }

bool IsValidFloatText(const std::string& Text) { return Text.empty() || isNumberText(Text, 1); }

bool IsValidDateText(const std::string& Text) {
    TextScanner in(Text);
    return scanDate(in) && in.atEnd();
}

bool IsValidDateTimeText(const std::string& Text) {
    TextScanner in(Text);
    if (!scanDate(in)) return false;
    return in.atEnd() || (scanTime(in) && in.atEnd());
}

// ---- Filter text ----

namespace {

const char* const fieldNotFound = "Field not found in Table. ";
const char* const invalidFilter = "Invalid filter text";

// Bound the recursion of parsing, writing and freeing a tree, whatever the
// text; a filter of a few condition lines stays far below them.
constexpr int maxNesting = 100;
constexpr int maxNodes = 4096;

enum class Tok { End, Name, Number, String, Operator, LeftParen, RightParen };

struct Token {
    Tok kind = Tok::End;
    std::string text;
};

class FilterLexer {
public:
    explicit FilterLexer(const std::string& text) : text_(text) {}

    Token next() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        if (pos_ >= text_.size()) return {Tok::End, ""};
        const char c = text_[pos_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return name();
        if (isDigit(c) || (c == '.' && pos_ + 1 < text_.size() && isDigit(text_[pos_ + 1]))) return number();
        if (c == '\'' || c == '"') return quoted(c);
        ++pos_;
        switch (c) {
            case '(': return {Tok::LeftParen, "("};
            case ')': return {Tok::RightParen, ")"};
            case '+': case '-': case '*': case '/': case '=': return {Tok::Operator, std::string(1, c)};
            case '<':
                if (pos_ < text_.size() && (text_[pos_] == '=' || text_[pos_] == '>'))
                    return {Tok::Operator, {c, text_[pos_++]}};
                return {Tok::Operator, "<"};
            case '>':
                if (pos_ < text_.size() && text_[pos_] == '=') return {Tok::Operator, {c, text_[pos_++]}};
                return {Tok::Operator, ">"};
        }
        throw EDatabaseError(invalidFilter);
    }

private:
    Token name() {
        size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            ++pos_;
        return {Tok::Name, text_.substr(start, pos_ - start)};
    }

    Token number() {
        size_t start = pos_;
        bool point = false;
        while (pos_ < text_.size() && (isDigit(text_[pos_]) || (text_[pos_] == '.' && !point))) {
            point = point || text_[pos_] == '.';
            ++pos_;
        }
        return {Tok::Number, text_.substr(start, pos_ - start)};
    }

    Token quoted(char quote) {
        std::string value;
        for (++pos_; pos_ < text_.size(); ++pos_) {
            if (text_[pos_] != quote) {
                value += text_[pos_];
            } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
                value += quote;
                ++pos_;
            } else {
                ++pos_;
                return {Tok::String, value};
            }
        }
        throw EDatabaseError(invalidFilter);  // no closing quote
    }

    const std::string& text_;
    size_t pos_ = 0;
};

bool isComparison(const std::string& op) {
    return op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=";
}

class FilterParser {
public:
    FilterParser(const std::string& text, const std::vector<std::string>& fieldNames)
        : lexer_(text), fieldNames_(fieldNames) {
        advance();
    }

    std::unique_ptr<TNode> parse() {
        std::unique_ptr<TNode> root = orExpression();
        if (current_.kind != Tok::End || root->OperandType != otBoolean) throw EDatabaseError(invalidFilter);
        return root;
    }

private:
    void advance() { current_ = lexer_.next(); }

    bool atKeyword(const char* keyword) const {
        return current_.kind == Tok::Name && SameText(current_.text, keyword);
    }

    std::unique_ptr<TNode> makeNode(TNodeKind kind, TOperandType type, std::string text) {
        if (++nodeCount_ > maxNodes) throw EDatabaseError(invalidFilter);
        auto node = std::make_unique<TNode>();
        node->Kind = kind;
        node->OperandType = type;
        node->Text = std::move(text);
        return node;
    }

    std::unique_ptr<TNode> makeOperator(const std::string& op, std::unique_ptr<TNode> left,
                                        std::unique_ptr<TNode> right) {
        const bool logical = op == "AND" || op == "OR";
        const TOperandType l = left->OperandType, r = right->OperandType;
        TOperandType type;
        if (logical) {
            if (l != otBoolean || r != otBoolean) throw EDatabaseError(invalidFilter);
            type = otBoolean;
        } else if (l == otBoolean || r == otBoolean) {
            throw EDatabaseError(invalidFilter);
        } else if (isComparison(op)) {
            if (l != otUnknown && r != otUnknown && l != r) throw EDatabaseError(invalidFilter);
            type = otBoolean;
        } else if (op == "+") {
            if (l == otString || r == otString)
                type = otString;
            else
                type = (l == otNumber && r == otNumber) ? otNumber : otUnknown;
        } else {
            if (l == otString || r == otString) throw EDatabaseError(invalidFilter);
            type = otNumber;
        }
        auto node = makeNode(nkOperator, type, op);
        node->Left = std::move(left);
        node->Right = std::move(right);
        return node;
    }

    // The operands of one level joined left to right: Op names the operator
    // at the current token when it belongs to the level, "" otherwise.
    template <class Op>
    std::unique_ptr<TNode> chain(std::unique_ptr<TNode> (FilterParser::*next)(), Op op) {
        std::unique_ptr<TNode> left = (this->*next)();
        for (std::string name = op(); !name.empty(); name = op()) {
            advance();
            left = makeOperator(name, std::move(left), (this->*next)());
        }
        return left;
    }

    std::string keywordOperator(const char* Keyword) const { return atKeyword(Keyword) ? Keyword : ""; }

    // The current operator when it is First or Second, "" otherwise.
    std::string operatorAmong(const char* First, const char* Second) const {
        const bool among = current_.kind == Tok::Operator && (current_.text == First || current_.text == Second);
        return among ? current_.text : "";
    }

    std::unique_ptr<TNode> orExpression() {
        return chain(&FilterParser::andExpression, [this] { return keywordOperator("OR"); });
    }

    std::unique_ptr<TNode> andExpression() {
        return chain(&FilterParser::comparison, [this] { return keywordOperator("AND"); });
    }

    std::unique_ptr<TNode> comparison() {
        std::unique_ptr<TNode> left = sum();
        if (current_.kind == Tok::Operator && isComparison(current_.text)) {
            std::string op = current_.text;
            advance();
            left = makeOperator(op, std::move(left), sum());
        }
        return left;
    }

    std::unique_ptr<TNode> sum() {
        return chain(&FilterParser::product, [this] { return operatorAmong("+", "-"); });
    }

    std::unique_ptr<TNode> product() {
        return chain(&FilterParser::operand, [this] { return operatorAmong("*", "/"); });
    }

    std::unique_ptr<TNode> operand() {
        Token token = current_;
        switch (token.kind) {
            case Tok::LeftParen: {
                if (++nesting_ > maxNesting) throw EDatabaseError(invalidFilter);
                advance();
                std::unique_ptr<TNode> inner = orExpression();
                if (current_.kind != Tok::RightParen) throw EDatabaseError(invalidFilter);
                advance();
                --nesting_;
                return inner;
            }
            case Tok::Number:
                advance();
                return makeNode(nkConstant, otNumber, token.text);
            case Tok::String:
                advance();
                return makeNode(nkConstant, otString, token.text);
            case Tok::Operator:
                // A negative number.
                if (token.text == "-") {
                    advance();
                    if (current_.kind != Tok::Number) throw EDatabaseError(invalidFilter);
                    Token digits = current_;
                    advance();
                    return makeNode(nkConstant, otNumber, "-" + digits.text);
                }
                break;
            case Tok::Name:
                if (SameText(token.text, "AND") || SameText(token.text, "OR")) break;
                advance();
                return makeNode(nkField, otUnknown, tableFieldName(token.text));
            default:
                break;
        }
        throw EDatabaseError(invalidFilter);
    }

    const std::string& tableFieldName(const std::string& name) const {
        for (const std::string& field : fieldNames_)
            if (SameText(field, name)) return field;
        throw EDatabaseError(fieldNotFound);
    }

    FilterLexer lexer_;
    const std::vector<std::string>& fieldNames_;
    Token current_;
    int nesting_ = 0;
    int nodeCount_ = 0;
};

void putLittleEndian(std::vector<uint8_t>& bytes, size_t at, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

class FilterWriter {
public:
    std::vector<uint8_t> write(const TNode& root) {
        collect(root);
        const size_t nodesStart = 4, textsStart = nodesStart + nodes_.size() * nodeSize;
        std::vector<uint8_t> bytes(textsStart + texts_.size());
        putLittleEndian(bytes, 0, nodes_.size(), 4);
        for (size_t i = 0; i < nodes_.size(); ++i) {
            const Entry& e = nodes_[i];
            const size_t at = nodesStart + i * nodeSize;
            bytes[at] = e.node->Kind;
            bytes[at + 1] = e.node->OperandType;
            putLittleEndian(bytes, at + 2, e.left, 2);
            putLittleEndian(bytes, at + 4, e.right, 2);
            putLittleEndian(bytes, at + 6, e.textOffset, 4);
            putLittleEndian(bytes, at + 10, e.node->Text.size(), 4);
        }
        std::copy(texts_.begin(), texts_.end(), bytes.begin() + textsStart);
        return bytes;
    }

private:
    static constexpr size_t nodeSize = 14;
    static constexpr uint16_t none = 0xFFFF;

    struct Entry {
        const TNode* node;
        uint16_t left, right;
        size_t textOffset;
    };

    // Children first, so every index a node refers to is already written.
    uint16_t collect(const TNode& node) {
        uint16_t left = node.Left ? collect(*node.Left) : none;
        uint16_t right = node.Right ? collect(*node.Right) : none;
        nodes_.push_back({&node, left, right, texts_.size()});
        texts_ += node.Text;
        return static_cast<uint16_t>(nodes_.size() - 1);
    }

    std::vector<Entry> nodes_;
    std::string texts_;
};

}  // namespace

TFilterBuffer ParseFilterText(const std::string& Text, const std::vector<std::string>& FieldNames) {
    TFilterBuffer result;
    result.Root = FilterParser(Text, FieldNames).parse();
    result.Bytes = FilterWriter().write(*result.Root);
    return result;
}
