#include "xbengine/ExprNodes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "xbengine/DateText.h"
#include "xbengine/ExprNumber.h"

namespace xb {

std::string_view TrimRight(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return text.substr(0, end);
}

std::string_view TrimLeft(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && text[begin] == ' ')
        ++begin;
    return text.substr(begin);
}

int CompareText(std::string_view left, std::string_view right, bool exact) {
    if (exact) {
        left = TrimRight(left);
        right = TrimRight(right);
    } else if (left.size() > right.size()) {
        left = left.substr(0, right.size());
    }
    size_t common = std::min(left.size(), right.size());
    int c = common ? std::memcmp(left.data(), right.data(), common) : 0;
    if (c != 0)
        return c < 0 ? -1 : 1;
    if (left.size() == right.size())
        return 0;
    return left.size() < right.size() ? -1 : 1;
}

void ExprNode::SetDepthFrom(std::initializer_list<const ExprNode*> children) {
    for (const ExprNode* child : children)
        if (child)
            depth_ = std::max(depth_, child->Depth() + 1);
}

// ---- constants -----------------------------------------------------------

NodePtr ConstantNode::MakeText(std::string text) {
    int width = static_cast<int>(text.size());
    std::unique_ptr<ConstantNode> node(new ConstantNode(ExprType::Character, width));
    node->text_ = std::move(text);
    return node;
}

NodePtr ConstantNode::MakeNumber(double number, int decimals) {
    std::unique_ptr<ConstantNode> node(new ConstantNode(ExprType::Numeric, 10, decimals));
    node->number_ = number;
    return node;
}

NodePtr ConstantNode::MakeLogical(bool value) {
    std::unique_ptr<ConstantNode> node(new ConstantNode(ExprType::Logical, 1));
    node->logical_ = value;
    return node;
}

// ---- fields --------------------------------------------------------------

ExprType FieldNode::TypeOf(char fieldType) {
    switch (fieldType) {
    case 'N': case 'F': case 'I': return ExprType::Numeric;
    case 'D': return ExprType::Date;
    case 'L': return ExprType::Logical;
    default: return ExprType::Character;
    }
}

bool FieldNode::IsReadable(char fieldType) {
    return std::strchr("CNFIDL", fieldType) != nullptr && fieldType != '\0';
}

FieldNode::FieldNode(const FieldInfo& field)
    : ExprNode(TypeOf(field.type), field.type == 'D' ? 8 : field.width, field.decimals), field_(field) {}

std::string_view FieldNode::Bytes(const EvalContext& ctx) const {
    if (!ctx.record.buffer || field_.width <= 0 || field_.offset < 0)
        return {};
    return std::string_view(ctx.record.buffer + field_.offset, static_cast<size_t>(field_.width));
}

std::string_view FieldNode::Text(const EvalContext& ctx) { return Bytes(ctx); }

double FieldNode::Number(const EvalContext& ctx) {
    std::string_view bytes = Bytes(ctx);
    if (field_.type == 'I') {
        if (bytes.size() < 4)
            return 0;
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        uint32_t raw = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
        return static_cast<int32_t>(raw);
    }
    return NumberVal(bytes);
}

long FieldNode::Day(const EvalContext& ctx) { return DateToJulian(Bytes(ctx)); }

bool FieldNode::Logical(const EvalContext& ctx) {
    std::string_view bytes = Bytes(ctx);
    if (bytes.empty())
        return false;
    char c = bytes[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

// ---- operators -----------------------------------------------------------

UnaryNode::UnaryNode(NodePtr operand)
    : ExprNode(operand->Type(), operand->Width(), operand->Decimals()), operand_(std::move(operand)) {
    SetDepthFrom({operand_.get()});
}

ArithmeticNode::ArithmeticNode(BinaryOp op, ExprType type, int width, int decimals, NodePtr left,
                               NodePtr right)
    : ExprNode(type, width, decimals), op_(op), left_(std::move(left)), right_(std::move(right)) {
    SetDepthFrom({left_.get(), right_.get()});
}

double ArithmeticNode::Number(const EvalContext& ctx) {
    if (left_->Type() == ExprType::Date) {  // date - date: days between
        long a = left_->Day(ctx), b = right_->Day(ctx);
        return static_cast<double>(a - b);
    }
    double a = left_->Number(ctx);
    double b = right_->Number(ctx);
    switch (op_) {
    case BinaryOp::Add: return a + b;
    case BinaryOp::Subtract: return a - b;
    case BinaryOp::Multiply: return a * b;
    case BinaryOp::Divide: return b == 0 ? 0 : a / b;  // no value for x/0: zero, never a fault
    default: return 0;
    }
}

long ArithmeticNode::Day(const EvalContext& ctx) {
    // date + n, n + date, date - n. A blank date stays blank.
    bool dateOnLeft = left_->Type() == ExprType::Date;
    long day = dateOnLeft ? left_->Day(ctx) : right_->Day(ctx);
    if (day == 0)
        return 0;
    double n = dateOnLeft ? right_->Number(ctx) : left_->Number(ctx);
    if (!(n > -1e7 && n < 1e7))  // beyond any calendar date, or not a number
        return 0;
    long days = static_cast<long>(std::floor(n));
    long result = op_ == BinaryOp::Subtract ? day - days : day + days;
    return DateToJulian(JulianToDate(result)) == result ? result : 0;
}

ConcatNode::ConcatNode(bool trimJoin, NodePtr left, NodePtr right)
    : ExprNode(ExprType::Character, left->Width() + right->Width()),
      trimJoin_(trimJoin), left_(std::move(left)), right_(std::move(right)) {
    SetDepthFrom({left_.get(), right_.get()});
}

std::string_view ConcatNode::Text(const EvalContext& ctx) {
    std::string_view a = left_->Text(ctx);
    std::string_view b = right_->Text(ctx);
    buffer_.clear();
    if (trimJoin_) {
        std::string_view kept = TrimRight(a);
        buffer_.append(kept).append(b).append(a.size() - kept.size(), ' ');
    } else {
        buffer_.append(a).append(b);
    }
    return buffer_;
}

CompareNode::CompareNode(BinaryOp op, NodePtr left, NodePtr right)
    : ExprNode(ExprType::Logical, 1), op_(op), left_(std::move(left)), right_(std::move(right)) {
    SetDepthFrom({left_.get(), right_.get()});
}

int CompareNode::Compare(const EvalContext& ctx) {
    switch (left_->Type()) {
    case ExprType::Character: {
        std::string_view a = left_->Text(ctx);
        std::string_view b = right_->Text(ctx);
        return CompareText(a, b, ctx.settings.exact);
    }
    case ExprType::Numeric: {
        double a = left_->Number(ctx), b = right_->Number(ctx);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case ExprType::Date: {
        long a = left_->Day(ctx), b = right_->Day(ctx);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    case ExprType::Logical: {
        int a = left_->Logical(ctx), b = right_->Logical(ctx);
        return a - b;
    }
    }
    return 0;
}

bool CompareNode::Logical(const EvalContext& ctx) {
    if (op_ == BinaryOp::Contains) {
        std::string_view needle = left_->Text(ctx);
        std::string_view haystack = right_->Text(ctx);
        return !needle.empty() && haystack.find(needle) != std::string_view::npos;
    }
    if (op_ == BinaryOp::ExactEqual && left_->Type() == ExprType::Character) {
        std::string_view a = left_->Text(ctx);
        std::string_view b = right_->Text(ctx);
        return a == b;
    }
    int c = Compare(ctx);
    switch (op_) {
    case BinaryOp::Equal:
    case BinaryOp::ExactEqual: return c == 0;
    case BinaryOp::NotEqual: return c != 0;
    case BinaryOp::Less: return c < 0;
    case BinaryOp::Greater: return c > 0;
    case BinaryOp::LessEqual: return c <= 0;
    case BinaryOp::GreaterEqual: return c >= 0;
    default: return false;
    }
}

LogicalNode::LogicalNode(bool isAnd, NodePtr left, NodePtr right)
    : ExprNode(ExprType::Logical, 1), isAnd_(isAnd), left_(std::move(left)), right_(std::move(right)) {
    SetDepthFrom({left_.get(), right_.get()});
}

bool LogicalNode::Logical(const EvalContext& ctx) {
    bool a = left_->Logical(ctx);
    if (isAnd_ ? !a : a)
        return a;
    return right_->Logical(ctx);
}

IifNode::IifNode(NodePtr condition, NodePtr whenTrue, NodePtr whenFalse, int width)
    : ExprNode(whenTrue->Type(), width, std::max(whenTrue->Decimals(), whenFalse->Decimals())),
      condition_(std::move(condition)), whenTrue_(std::move(whenTrue)), whenFalse_(std::move(whenFalse)) {
    SetDepthFrom({condition_.get(), whenTrue_.get(), whenFalse_.get()});
}

// ---- functions -----------------------------------------------------------

FunctionNode::FunctionNode(Function function, ExprType type, int width, int decimals,
                           std::vector<NodePtr> args)
    : ExprNode(type, width, decimals), function_(function), args_(std::move(args)) {
    for (const NodePtr& arg : args_)
        SetDepthFrom({arg.get()});
}

int FunctionNode::IntArg(size_t index, const EvalContext& ctx, int fallback) {
    if (index >= args_.size())
        return fallback;
    double n = args_[index]->Number(ctx);
    // Keep the value where an int and the text sizes it drives stay sane.
    if (!(n > -1e6))
        return -1000000;
    if (!(n < 1e6))
        return 1000000;
    return static_cast<int>(n);
}

std::string_view FunctionNode::Text(const EvalContext& ctx) {
    switch (function_) {
    case Function::Upper: {
        // ASCII letters only, as the program upper-cases the texts it seeks with.
        std::string_view s = args_[0]->Text(ctx);
        buffer_.assign(s);
        for (char& c : buffer_)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return buffer_;
    }
    case Function::Dtos:
        buffer_ = JulianToDate(args_[0]->Day(ctx));
        return buffer_;
    case Function::Dtoc:
        buffer_ = DateToText(JulianToDate(args_[0]->Day(ctx)), ctx.settings);
        return buffer_;
    case Function::Str: {
        int width = IntArg(1, ctx, 10);
        int decimals = IntArg(2, ctx, 0);
        width = std::clamp(width, 1, 255);
        buffer_ = NumberStr(args_[0]->Number(ctx), width, decimals);
        return buffer_;
    }
    case Function::Ltrim: return TrimLeft(args_[0]->Text(ctx));
    case Function::Rtrim: return TrimRight(args_[0]->Text(ctx));
    case Function::Alltrim: return TrimLeft(TrimRight(args_[0]->Text(ctx)));
    case Function::Substr: {
        std::string_view s = args_[0]->Text(ctx);
        long size = static_cast<long>(s.size());
        long start = IntArg(1, ctx, 1);
        if (start < 0)
            start = std::max(1L, size + start + 1);  // counted from the end
        if (start == 0)
            start = 1;
        if (start > size)
            return {};
        long count = args_.size() > 2 ? IntArg(2, ctx, 0) : size - start + 1;
        if (count <= 0)
            return {};
        return s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
    }
    case Function::Left: {
        std::string_view s = args_[0]->Text(ctx);
        int n = IntArg(1, ctx, 0);
        return n <= 0 ? std::string_view() : s.substr(0, static_cast<size_t>(n));
    }
    case Function::Right: {
        std::string_view s = args_[0]->Text(ctx);
        int n = IntArg(1, ctx, 0);
        if (n <= 0)
            return {};
        size_t count = std::min(s.size(), static_cast<size_t>(n));
        return s.substr(s.size() - count);
    }
    case Function::Descend: {
        // Each byte complemented, so the byte-wise order of keys reverses.
        std::string_view s = args_[0]->Text(ctx);
        buffer_.assign(s);
        for (char& c : buffer_)
            c = static_cast<char>(255 - static_cast<unsigned char>(c));
        return buffer_;
    }
    default: return {};
    }
}

double FunctionNode::Number(const EvalContext& ctx) {
    switch (function_) {
    case Function::Val: return NumberVal(args_[0]->Text(ctx));
    case Function::Recno: return ctx.record.recNo;
    case Function::Descend:
        // Numbers negate; dates become the negated day number, so the latest
        // date comes first and a blank date (0) last.
        return args_[0]->Type() == ExprType::Date ? -static_cast<double>(args_[0]->Day(ctx))
                                                  : -args_[0]->Number(ctx);
    default: return 0;
    }
}

long FunctionNode::Day(const EvalContext& ctx) {
    if (function_ == Function::Ctod)
        return DateToJulian(TextToDate(args_[0]->Text(ctx), ctx.settings));
    return 0;
}

bool FunctionNode::Logical(const EvalContext& ctx) {
    switch (function_) {
    case Function::Empty: {
        ExprNode& arg = *args_[0];
        switch (arg.Type()) {
        case ExprType::Character:
            return arg.Text(ctx).find_first_not_of(" \t\r\n") == std::string_view::npos;
        case ExprType::Numeric: return arg.Number(ctx) == 0;
        case ExprType::Date: return arg.Day(ctx) == 0;
        case ExprType::Logical: return !arg.Logical(ctx);
        }
        return false;
    }
    case Function::Deleted: return ctx.record.buffer && ctx.record.buffer[0] == '*';
    case Function::Descend: return !args_[0]->Logical(ctx);
    default: return false;
    }
}

}  // namespace xb
