#pragma once
// Reading the capture file EBill.dat back: the lines of one claim block and
// the texts of the viewer's labels. The file is other software's to edit,
// so its bytes are taken as untrusted: a line ends at CR LF, LF or CR; NUL
// and high bytes pass through as they are; a last block may be short; a
// line of any length is read, and only its first kEBillShownLineMax bytes
// are kept for display. Reading stops as soon as the block is read and the
// next byte is known, so a long file costs only the lines up to the block.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TEBillColumn;

// The bytes of a line kept for display (the widest label ends at column 98).
constexpr size_t kEBillShownLineMax = 1024;

// Fills Buffer with up to Size bytes and returns how many; 0 at the end.
using TEBillByteSource = std::function<size_t(char* Buffer, size_t Size)>;

// Splits a byte source into lines.
class TEBillLineScanner {
public:
    explicit TEBillLineScanner(TEBillByteSource Source);

    // Reads the next line with its end. Its first Keep bytes (without the
    // end) go into Text when Text is given. False when no line is left.
    bool nextLine(std::string* Text, size_t Keep);
    // True when no byte is left.
    bool atEnd();
    // Bytes consumed so far: the offset just after the last line read.
    uint64_t offset() const { return consumed_; }

private:
    bool fill();
    TEBillByteSource source_;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t end_ = 0;
    uint64_t consumed_ = 0;
    bool exhausted_ = false;
};

// What the viewer shows of one block.
struct TEBillPage {
    // The file has no byte at all.
    bool FileEmpty = true;
    // The block's lines, trailing blanks removed; fewer than 66 for a short
    // last block, none when the file has no such block.
    std::vector<std::string> Lines;
    // A line follows the block's last line.
    bool MoreLines = false;
    // One text per entry of eBillColumns(): Width characters from Column of
    // the entry's line, empty when the line is missing or shorter.
    std::vector<std::string> Labels;
};

// Reads block PageNo (1 for the first) from the file's bytes.
TEBillPage readEBillPage(const TEBillByteSource& Source, int PageNo);
TEBillPage readEBillPage(std::string_view Bytes, int PageNo);

// A label's text from a block's lines.
std::string eBillLabelText(const std::vector<std::string>& Lines, const TEBillColumn& Column);

// Blocks in the file, the short last one included; reads the whole file.
int countEBillBlocks(const TEBillByteSource& Source);

// A byte source over bytes held in memory.
TEBillByteSource eBillBytes(std::string_view Bytes);
