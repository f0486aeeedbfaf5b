#pragma once
// The compiled form of an expression: a tree of typed nodes. Types and widths
// are settled when the tree is built, so evaluation does no checking. A node
// that makes text keeps it in its own buffer, and returns views into that
// buffer, into a child's text or into the record, so evaluating a record
// allocates nothing once the buffers have grown.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbengine/Expr.h"
#include "xbengine/Types.h"

namespace xb {

struct EvalContext {
    const RecordView& record;
    const Settings& settings;
};

class ExprNode {
public:
    ExprNode(ExprType type, int width, int decimals = 0) : type_(type), width_(width), decimals_(decimals) {}
    virtual ~ExprNode() = default;
    ExprNode(const ExprNode&) = delete;
    ExprNode& operator=(const ExprNode&) = delete;

    ExprType Type() const { return type_; }
    int Width() const { return width_; }
    int Decimals() const { return decimals_; }
    // Levels of nodes below and including this one.
    int Depth() const { return depth_; }

    // Each node answers the call of its own type.
    virtual std::string_view Text(const EvalContext&) { return {}; }
    virtual double Number(const EvalContext&) { return 0; }
    virtual long Day(const EvalContext&) { return 0; }  // day number, 0 blank
    virtual bool Logical(const EvalContext&) { return false; }

    // Constants let functions such as substr size their result at compile time.
    virtual bool IsConstant() const { return false; }
    // The field of a bare field reference, else null.
    virtual const FieldInfo* Field() const { return nullptr; }

protected:
    void SetDepthFrom(std::initializer_list<const ExprNode*> children);

private:
    ExprType type_;
    int width_;
    int decimals_;
    int depth_ = 1;
};

using NodePtr = std::unique_ptr<ExprNode>;

class ConstantNode : public ExprNode {
public:
    static NodePtr MakeText(std::string text);
    static NodePtr MakeNumber(double number, int decimals);
    static NodePtr MakeLogical(bool value);

    std::string_view Text(const EvalContext&) override { return text_; }
    double Number(const EvalContext&) override { return number_; }
    bool Logical(const EvalContext&) override { return logical_; }
    bool IsConstant() const override { return true; }
    double NumberValue() const { return number_; }

private:
    using ExprNode::ExprNode;
    std::string text_;
    double number_ = 0;
    bool logical_ = false;
};

// A field of the record, read from its bytes in the record buffer.
class FieldNode : public ExprNode {
public:
    static ExprType TypeOf(char fieldType);  // the letters C N F I D L
    static bool IsReadable(char fieldType);
    explicit FieldNode(const FieldInfo& field);

    std::string_view Text(const EvalContext& ctx) override;
    double Number(const EvalContext& ctx) override;
    long Day(const EvalContext& ctx) override;
    bool Logical(const EvalContext& ctx) override;
    const FieldInfo* Field() const override { return &field_; }

private:
    std::string_view Bytes(const EvalContext& ctx) const;
    FieldInfo field_;
};

// Unary minus of a number or .not. of a logical: the operand's type tells which.
class UnaryNode : public ExprNode {
public:
    explicit UnaryNode(NodePtr operand);
    double Number(const EvalContext& ctx) override { return -operand_->Number(ctx); }
    bool Logical(const EvalContext& ctx) override { return !operand_->Logical(ctx); }

private:
    NodePtr operand_;
};

enum class BinaryOp {
    Add, Subtract, Multiply, Divide,
    Equal, ExactEqual, NotEqual, Less, Greater, LessEqual, GreaterEqual, Contains,
    And, Or,
};

// Numbers with + - * /, dates plus or minus days, and the difference of two dates.
class ArithmeticNode : public ExprNode {
public:
    ArithmeticNode(BinaryOp op, ExprType type, int width, int decimals, NodePtr left, NodePtr right);
    double Number(const EvalContext& ctx) override;
    long Day(const EvalContext& ctx) override;

private:
    BinaryOp op_;
    NodePtr left_, right_;
};

// Text joined with +, or with - which moves the left side's trailing blanks
// to the end of the result.
class ConcatNode : public ExprNode {
public:
    ConcatNode(bool trimJoin, NodePtr left, NodePtr right);
    std::string_view Text(const EvalContext& ctx) override;

private:
    bool trimJoin_;
    NodePtr left_, right_;
    std::string buffer_;
};

class CompareNode : public ExprNode {
public:
    CompareNode(BinaryOp op, NodePtr left, NodePtr right);
    bool Logical(const EvalContext& ctx) override;

private:
    int Compare(const EvalContext& ctx);
    BinaryOp op_;
    NodePtr left_, right_;
};

// .and. and .or., evaluating the right side only when it decides the result.
class LogicalNode : public ExprNode {
public:
    LogicalNode(bool isAnd, NodePtr left, NodePtr right);
    bool Logical(const EvalContext& ctx) override;

private:
    bool isAnd_;
    NodePtr left_, right_;
};

class IifNode : public ExprNode {
public:
    IifNode(NodePtr condition, NodePtr whenTrue, NodePtr whenFalse, int width);
    std::string_view Text(const EvalContext& ctx) override { return Pick(ctx).Text(ctx); }
    double Number(const EvalContext& ctx) override { return Pick(ctx).Number(ctx); }
    long Day(const EvalContext& ctx) override { return Pick(ctx).Day(ctx); }
    bool Logical(const EvalContext& ctx) override { return Pick(ctx).Logical(ctx); }

private:
    ExprNode& Pick(const EvalContext& ctx) { return condition_->Logical(ctx) ? *whenTrue_ : *whenFalse_; }
    NodePtr condition_, whenTrue_, whenFalse_;
};

enum class Function {
    Upper, Dtos, Dtoc, Ctod, Str, Ltrim, Rtrim, Alltrim, Substr, Left, Right,
    Descend, Empty, Val, Deleted, Recno,
};

class FunctionNode : public ExprNode {
public:
    FunctionNode(Function function, ExprType type, int width, int decimals, std::vector<NodePtr> args);
    std::string_view Text(const EvalContext& ctx) override;
    double Number(const EvalContext& ctx) override;
    long Day(const EvalContext& ctx) override;
    bool Logical(const EvalContext& ctx) override;

private:
    int IntArg(size_t index, const EvalContext& ctx, int fallback);
    Function function_;
    std::vector<NodePtr> args_;
    std::string buffer_;
};

// Text helpers shared with the callers of the compiled form.
std::string_view TrimRight(std::string_view text);
std::string_view TrimLeft(std::string_view text);
// xBase comparison of text: with exact off the left side is cut to the
// length of the right (so "" matches everything); with exact on trailing
// blanks are ignored on both sides. Bytes compare unsigned.
int CompareText(std::string_view left, std::string_view right, bool exact);

}  // namespace xb
