// Fuzz target for the RTF reader and the format-code routines: any bytes
// must convert without faults, and what the reader writes must split into
// runs and pieces that account for every byte.
//
// Built only with clang:
//   CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja
//   cmake --build build-fuzz --target report_rtf_fuzz
//   build-fuzz/tests/report_rtf_fuzz -runs=200000 -max_len=4096
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "reporting/TextFormatCodes.h"

namespace {

// Splits text piece by piece; the runs and pieces together are the text.
void splitWhole(const std::string& text) {
    int index = 1;
    std::string plain, codes, joined;
    while (index <= static_cast<int>(text.size())) {
        const int before = index;
        SplitText(text, index, plain, codes);
        if (index <= before) std::abort();
        joined += codes + plain;
        TFormatState state;
        ApplyCodes(state, codes);
        CodedJustify(codes, pjLeft);
    }
    if (joined != text) std::abort();
    if (VisibleLength(text) < 0) std::abort();
}

void walkCodes(const std::string& text) {
    int index = 0;
    char letter = 0;
    std::string value;
    do {
        const int before = index;
        NextCode(text, index, letter, value);
        if (letter != ' ' && index <= before) std::abort();
    } while (letter != ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string converted = RTFToCodes(input);
    splitWhole(converted);
    splitWhole(input);
    walkCodes(input);
    TFormatState state;
    ApplyCodes(state, input);
    const std::string rebuilt = CodesForState(state);
    TFormatState again;
    ApplyCodes(again, rebuilt);
    return 0;
}
