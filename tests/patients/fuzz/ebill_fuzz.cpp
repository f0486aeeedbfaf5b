// Feeds arbitrary bytes to the capture-file reader as EBill.dat. After every
// input: no crash or overrun, every label text at most its width, and the
// blocks the reader sees are the complete and partial 66-line runs of the
// lines a plain count of line ends finds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "patients/EBillLayout.h"
#include "patients/EBillReader.h"

namespace {

// Lines ended by CR LF, LF or CR, and a last line without an end.
int64_t countLines(std::string_view bytes) {
    int64_t lines = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        if (bytes[i] == '\r' || bytes[i] == '\n') ++lines;
    }
    const char last = bytes.empty() ? '\n' : bytes.back();
    if (last != '\r' && last != '\n') ++lines;
    return lines;
}

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int64_t lines = countLines(bytes);
    const int blocks = countEBillBlocks(eBillBytes(bytes));
    check(blocks == (lines + kEBillBlockLines - 1) / kEBillBlockLines);

    const auto& columns = eBillColumns();
    for (int pageNo = 0; pageNo <= blocks + 1; ++pageNo) {
        const TEBillPage page = readEBillPage(bytes, pageNo);
        check(page.FileEmpty == bytes.empty());
        check(page.Labels.size() == columns.size());
        for (size_t i = 0; i < columns.size(); ++i) check(page.Labels[i].size() <= size_t(columns[i].Width));
        const bool shown = pageNo >= 1 && pageNo <= blocks;
        check(page.Lines.empty() != shown);
        if (!shown) continue;
        const int64_t expected = pageNo < blocks ? kEBillBlockLines : lines - int64_t(blocks - 1) * kEBillBlockLines;
        check(int64_t(page.Lines.size()) == expected);
        check(page.MoreLines == (pageNo < blocks));
        for (const std::string& line : page.Lines) check(line.size() <= kEBillShownLineMax);
    }
    return 0;
}
