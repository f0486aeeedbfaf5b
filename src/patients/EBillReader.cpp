#include "patients/EBillReader.h"

#include <algorithm>
#include <cstring>

#include "patients/EBillLayout.h"

namespace {

constexpr size_t kChunk = 64 * 1024;

void cutTrailingBlanks(std::string& line) {
    size_t keep = line.find_last_not_of(' ');
    line.resize(keep == std::string::npos ? 0 : keep + 1);
}

}  // namespace

TEBillLineScanner::TEBillLineScanner(TEBillByteSource Source) : source_(std::move(Source)), buffer_(kChunk) {}

bool TEBillLineScanner::fill() {
    if (exhausted_) return false;
    pos_ = 0;
    end_ = source_(buffer_.data(), buffer_.size());
    if (end_ == 0) exhausted_ = true;
    return end_ != 0;
}

bool TEBillLineScanner::atEnd() { return pos_ == end_ && !fill(); }

bool TEBillLineScanner::nextLine(std::string* Text, size_t Keep) {
    if (atEnd()) return false;
    if (Text) Text->clear();
    for (;;) {
        if (pos_ == end_ && !fill()) return true;  // a last line without its end
        const char* begin = buffer_.data() + pos_;
        const size_t available = end_ - pos_;
        size_t length = 0;
        while (length < available && begin[length] != '\r' && begin[length] != '\n') ++length;
        if (Text && Text->size() < Keep) Text->append(begin, std::min(length, Keep - Text->size()));
        pos_ += length;
        consumed_ += length;
        if (length == available) continue;
        const char ending = buffer_[pos_];
        ++pos_;
        ++consumed_;
        if (ending == '\r' && (pos_ < end_ || fill()) && buffer_[pos_] == '\n') {
            ++pos_;
            ++consumed_;
        }
        return true;
    }
}

TEBillByteSource eBillBytes(std::string_view Bytes) {
    return [Bytes, at = size_t(0)](char* Buffer, size_t Size) mutable {
        size_t n = std::min(Size, Bytes.size() - at);
        if (n) std::memcpy(Buffer, Bytes.data() + at, n);
        at += n;
        return n;
    };
}

std::string eBillLabelText(const std::vector<std::string>& Lines, const TEBillColumn& Column) {
    const size_t index = size_t(Column.Line - 1);
    if (index >= Lines.size()) return {};
    const std::string& line = Lines[index];
    if (line.size() < size_t(Column.Column)) return {};
    return line.substr(size_t(Column.Column - 1), size_t(Column.Width));
}

TEBillPage readEBillPage(const TEBillByteSource& Source, int PageNo) {
    TEBillPage page;
    TEBillLineScanner scanner(Source);
    page.FileEmpty = scanner.atEnd();
    if (!page.FileEmpty && PageNo >= 1) {
        const int64_t first = (int64_t(PageNo) - 1) * kEBillBlockLines + 1;
        const int64_t last = first + kEBillBlockLines - 1;
        std::string line;
        for (int64_t number = 1; number <= last; ++number) {
            const bool inBlock = number >= first;
            if (!scanner.nextLine(inBlock ? &line : nullptr, kEBillShownLineMax)) break;
            if (inBlock) {
                cutTrailingBlanks(line);
                page.Lines.push_back(line);
            }
        }
        if (!page.Lines.empty()) page.MoreLines = !scanner.atEnd();
    }
    for (const TEBillColumn& column : eBillColumns()) page.Labels.push_back(eBillLabelText(page.Lines, column));
    return page;
}

TEBillPage readEBillPage(std::string_view Bytes, int PageNo) { return readEBillPage(eBillBytes(Bytes), PageNo); }

int countEBillBlocks(const TEBillByteSource& Source) {
    TEBillLineScanner scanner(Source);
    int64_t lines = 0;
    while (scanner.nextLine(nullptr, 0)) ++lines;
    return int((lines + kEBillBlockLines - 1) / kEBillBlockLines);
}
