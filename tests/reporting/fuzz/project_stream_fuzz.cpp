// Fuzz target for the project reader: any bytes load into a project or
// raise one of the runtime's errors, leave no open reference behind, and a
// project that loaded is written and read back again.
//
// Built only with clang:
//   CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja
//   cmake --build build-fuzz --target project_stream_fuzz
//   build-fuzz/tests/project_stream_fuzz -runs=300000 -max_len=4096
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/Streams.h"
#include "reporting/project/DZFiler.h"
#include "reporting/project/DZProj.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        DuzuShowMessage = [](const std::string&) {};
        return true;
    }();
    (void)quiet;

    TDuzuProjectManager project(nullptr);
    TStringStream input(std::string(reinterpret_cast<const char*>(data), size));
    bool loaded = true;
    try {
        project.LoadFromStream(&input);
    } catch (const Exception&) {
        loaded = false;
    }
    if (hasForwardRefs()) std::abort();
    if (!loaded) return 0;

    TStringStream written;
    project.SaveToStream(&written);
    TDuzuProjectManager again(nullptr);
    TStringStream reread(written.DataString());
    again.LoadFromStream(&reread);
    if (again.ReportList().size() != project.ReportList().size()) std::abort();
    return 0;
}
