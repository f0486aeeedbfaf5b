// Fuzz target for the expression compiler and evaluator: any text must either
// compile or give an error status, and a compiled expression must evaluate on
// any record without faults.
//
// Built only with clang:
//   CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja
//   cmake --build build-fuzz --target expr_fuzz
//   build-fuzz/tests/expr_fuzz -max_total_time=60 -max_len=4096
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xbengine/DateText.h"
#include "xbengine/Expr.h"

namespace {

const std::vector<xb::FieldInfo>& Fields() {
    static const std::vector<xb::FieldInfo> fields = {
        {"NAME", 'C', 10, 0, 1}, {"BAL", 'N', 10, 2, 11}, {"FLAG", 'L', 1, 0, 21},
        {"DUE", 'D', 8, 0, 22},  {"CODE", 'C', 4, 0, 30}, {"NOTE", 'M', 10, 0, 34},
    };
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // Records: a plausible one, and one of whatever bytes the input starts with.
    std::string plausible = " Smith          12.50T20030704ab  0000000000";
    std::string raw(44, ' ');
    for (size_t i = 0; i < raw.size() && i < size; ++i)
        raw[i] = static_cast<char>(data[i]);

    xb::Settings settings;
    settings.century = size % 2 == 0;
    settings.exact = size % 3 == 0;
    settings.dateFormat = static_cast<int>(size % 7);
    settings.epoch = 1900 + static_cast<int>(size % 150);

    xb::TextToDate(text, settings);

    xb::ExprStatus status;
    auto expr = xb::Expression::Compile(text, Fields(), settings, status);
    if (!expr) {
        if (status.ok() || status.message.empty())
            __builtin_trap();
        return 0;
    }
    for (const std::string* buffer : {&plausible, &raw}) {
        xb::RecordView view{&Fields(), buffer->data(), 3};
        std::string key = expr->KeyText(view, settings);
        if (static_cast<int>(key.size()) != expr->Width())
            __builtin_trap();
        expr->EvalString(view, settings);
        expr->EvalNumber(view, settings);
        expr->EvalLogical(view, settings);
        expr->EvalDate(view, settings);
    }
    return 0;
}
