#include "xbengine/Expr.h"

#include "xbengine/DateText.h"
#include "xbengine/ExprNodes.h"
#include "xbengine/ExprNumber.h"
#include "xbengine/ExprParser.h"

namespace xb {

std::unique_ptr<Expression> Expression::Compile(std::string_view text, const std::vector<FieldInfo>& fields,
                                                const Settings& settings, ExprStatus& status) {
    NodePtr root = ParseExpression(text, fields, settings, status);
    if (!root)
        return nullptr;
    return std::unique_ptr<Expression>(new Expression(std::string(text), std::move(root)));
}

Expression::Expression(std::string text, std::unique_ptr<ExprNode> root)
    : text_(std::move(text)), root_(std::move(root)) {
    if (const FieldInfo* field = root_->Field()) {
        isBareField_ = true;
        bareField_ = *field;
    }
}

Expression::~Expression() = default;

ExprType Expression::Type() const { return root_->Type(); }
int Expression::Width() const { return root_->Width(); }
int Expression::Decimals() const { return root_->Decimals(); }
const FieldInfo* Expression::BareField() const { return isBareField_ ? &bareField_ : nullptr; }

std::string Expression::EvalString(const RecordView& record, const Settings& settings) {
    EvalContext ctx{record, settings};
    switch (root_->Type()) {
    case ExprType::Character: return std::string(root_->Text(ctx));
    case ExprType::Numeric: return NumberStr(root_->Number(ctx), Width(), Decimals());
    case ExprType::Date: return JulianToDate(root_->Day(ctx));
    case ExprType::Logical: return root_->Logical(ctx) ? ".T." : ".F.";
    }
    return {};
}

double Expression::EvalNumber(const RecordView& record, const Settings& settings) {
    EvalContext ctx{record, settings};
    if (root_->Type() == ExprType::Date)
        return static_cast<double>(root_->Day(ctx));
    return root_->Type() == ExprType::Numeric ? root_->Number(ctx) : 0;
}

bool Expression::EvalLogical(const RecordView& record, const Settings& settings) {
    EvalContext ctx{record, settings};
    return root_->Type() == ExprType::Logical && root_->Logical(ctx);
}

long Expression::EvalDate(const RecordView& record, const Settings& settings) {
    EvalContext ctx{record, settings};
    return root_->Type() == ExprType::Date ? root_->Day(ctx) : 0;
}

std::string Expression::KeyText(const RecordView& record, const Settings& settings) {
    EvalContext ctx{record, settings};
    switch (root_->Type()) {
    case ExprType::Character: {
        std::string key(root_->Text(ctx));
        key.resize(static_cast<size_t>(Width()), ' ');
        return key;
    }
    case ExprType::Numeric: return NumberStr(root_->Number(ctx), Width(), Decimals());
    case ExprType::Date: return JulianToDate(root_->Day(ctx));
    case ExprType::Logical: return root_->Logical(ctx) ? "T" : "F";
    }
    return {};
}

}  // namespace xb
