// Fuzz target for the rich-text loader: any bytes, read as RTF or as plain
// text, must leave a sound document; what was read is written back as RTF,
// and that RTF must read again into a sound document.
//
// Built only with clang:
//   CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja
//   cmake --build build-fuzz --target rtf_fuzz
//   build-fuzz/tests/rtf_fuzz -runs=1000000 -max_len=8192 tests/richtext/fixtures
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/Streams.h"
#include "richtext/RtInvariants.h"
#include "richtext/RtProgress.h"
#include "richtext/RtRtfIO.h"

namespace {

void check(const TRtRTFTextIo& doc, const char* step) {
    std::string fault = RtCheckInvariants(doc, {{doc.CurPar, doc.CurLine, doc.CurPos}});
    if (fault.empty()) return;
    std::fprintf(stderr, "%s: %s\n", step, fault.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RtProgressEnabled = false;
    if (size == 0) return 0;
    // The first byte chooses: forced RTF, detection, or insertion into a document with text.
    uint8_t mode = data[0] % 3;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    TRtRTFTextIo doc;
    if (mode == 0) doc.LoadFormat = FormatRTF;
    if (mode == 2) {
        TStringStream start("{\\rtf1 one\\par two}");
        doc.LoadFromStream(&start);
        doc.LoadFormat = FormatRTF;
    }
    TStringStream in(bytes);
    doc.LoadFromStream(&in);
    check(doc, "load");
    doc.UpdateLinePositions();
    check(doc, "layout");

    TStringStream out;
    doc.SaveFormat = FormatRTF;
    doc.SaveToStream(&out);
    TRtRTFTextIo again;
    TStringStream back(out.DataString());
    again.LoadFromStream(&back);
    check(again, "reload");
    return 0;
}
