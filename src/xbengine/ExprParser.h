#pragma once
// Builds the compiled form of an expression from its text, checking names,
// argument counts and types as it goes.
#include <string_view>
#include <vector>

#include "xbengine/ExprNodes.h"

namespace xb {

// Limits that keep hostile or broken texts from exhausting the stack.
inline constexpr size_t MaxExpressionLength = 32 * 1024;
inline constexpr int MaxNesting = 64;     // parentheses, calls and prefix operators
inline constexpr int MaxTreeDepth = 256;  // levels of the compiled tree

// Null on failure, with status filled.
NodePtr ParseExpression(std::string_view text, const std::vector<FieldInfo>& fields,
                        const Settings& settings, ExprStatus& status);

}  // namespace xb
