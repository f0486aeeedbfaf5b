#include "RecordedStream.h"

#include <cstdint>

#include "reporting/RSShell.h"
#include "reporting/RSStreamCodes.h"

namespace {

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    bool ok() const { return ok_; }
    std::size_t pos() const { return pos_; }
    void seek(std::size_t pos) {
        if (pos > bytes_.size()) ok_ = false;
        pos_ = pos;
    }
    // A little-endian number of count bytes. REQUIRES: count <= 4.
    std::uint32_t take(int count) {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (pos_ >= bytes_.size()) {
                ok_ = false;
                return 0;
            }
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[pos_++])) << (8 * i);
        }
        return value;
    }
    void skip(std::size_t count) { seek(pos_ + count); }
    void skipString() {
        std::size_t length = take(1);
        if (length >= LongStringStart) length = ((length & 0x3F) << 8) | take(1);
        seek(pos_ + length);
    }

private:
    const std::string& bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

// Leaves the reader on the page count of the header; false when the
// stream does not start as the writer writes it.
bool readToPageCount(Reader& in) {
    if (in.take(1) != StreamHeaderZ || in.take(2) != static_cast<std::uint32_t>(ReportStreamVersion)) return false;
    in.skipString();  // title
    return in.ok();
}

}  // namespace

int HeaderPageCount(const std::string& bytes) {
    Reader in(bytes);
    if (!readToPageCount(in)) return -1;
    return static_cast<int>(in.take(2));
}

std::vector<std::size_t> PageStartRecords(const std::string& bytes) {
    Reader in(bytes);
    if (!readToPageCount(in)) return {};
    in.skip(2);              // page count
    in.skip(2 + 2);          // first and last page
    in.skip(6 * 4);          // page size and unprintable borders
    in.skip(1 + 2 + 1 + 1);  // orientation, bin, collate, duplex
    in.skip(2 + 2 + 2 + 2);  // copies, paper size, width, length
    in.skipString();         // device name
    std::vector<std::size_t> starts;
    std::size_t page = in.pos();
    while (in.ok() && page < bytes.size()) {
        in.seek(page);
        if (in.take(1) != rcPageStart) return {};
        starts.push_back(page);
        in.skip(4);  // previous page
        const std::size_t next = in.take(4);
        if (next == 0) break;
        if (next <= page) return {};
        page = next;
    }
    return in.ok() ? starts : std::vector<std::size_t>{};
}

void RecordedRun::run(TBaseShell& shell) {
    filer.OnPrint = [&shell](TObject* sender) { shell.Execute(dynamic_cast<TBaseReport*>(sender)); };
    filer.Execute();
}

std::string RecordedRun::bytes() const {
    TMemoryStream* memory = filer.MemoryStream();
    return std::string(memory->Memory(), static_cast<std::size_t>(memory->Size()));
}

std::size_t RecordedRun::pages() const { return PageStartRecords(bytes()).size(); }
