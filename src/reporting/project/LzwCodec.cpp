#include "reporting/project/LzwCodec.h"

#include <string>
#include <vector>

#include "reporting/project/DesignerUtils.h"

namespace {

constexpr int kPieceSize = 1024;
// The compressor hands its output on once a code leaves more than this.
constexpr int kCompressFlushAt = 1020;
constexpr std::uint16_t kNone = 0xFFFF;

const char* const kInvalidData = "Invalid compressed data.";

[[noreturn]] void invalidData() { RaiseDesignerError(throughMessageHook(kInvalidData)); }

void checkWidths(int DataBits, int MaxBits) {
    int first = DataBits + 1 == 2 ? 3 : DataBits + 1;
    if (DataBits < 1 || DataBits > 8 || MaxBits <= first || MaxBits > 16)
        RaiseDesignerError("Invalid LZW code widths.");
}

int firstWidth(int DataBits) { return DataBits + 1 == 2 ? 3 : DataBits + 1; }

void writeAll(const TLzwWriteFunc& Write, const std::uint8_t* data, int count) {
    if (count > 0 && Write(data, count) != count) throw EWriteError("Stream write error");
}

// ---------------------------------------------------------------------------
// Compressor: codes packed most significant bit first into 1024-byte pieces.

class Compressor {
public:
    Compressor(int dataBits, int maxBits, const TLzwReadFunc& read, const TLzwWriteFunc& write)
        : dataBits_(dataBits), maxBits_(maxBits), clear_(1u << dataBits), read_(read), write_(write),
          symbol_(std::size_t(1) << maxBits), child_(std::size_t(1) << maxBits),
          sibling_(std::size_t(1) << maxBits) {}

    void run() {
        reset();
        putCode(clear_);
        int symbol = nextSymbol();
        if (symbol < 0) {
            putCode(clear_ + 1);
            finish();
            return;
        }
        std::uint16_t prefix = static_cast<std::uint16_t>(symbol);
        while ((symbol = nextSymbol()) >= 0) {
            std::uint16_t found = findChild(prefix, static_cast<std::uint8_t>(symbol));
            if (found != kNone) {
                prefix = found;
                continue;
            }
            putCode(prefix);
            addEntry(prefix, static_cast<std::uint8_t>(symbol));
            prefix = static_cast<std::uint16_t>(symbol);
        }
        putCode(prefix);
        putCode(clear_ + 1);
        finish();
    }

private:
    void reset() {
        width_ = firstWidth(dataBits_);
        last_ = clear_ + 1;
        for (unsigned code = 0; code <= last_; ++code) {
            symbol_[code] = static_cast<std::uint8_t>(code);
            child_[code] = kNone;
            sibling_[code] = kNone;
        }
    }

    int nextSymbol() {
        if (inPos_ >= inCount_) {
            inCount_ = read_(in_, kPieceSize);
            inPos_ = 0;
            if (inCount_ <= 0) return -1;
        }
        return in_[inPos_++] & ((1 << dataBits_) - 1);
    }

    // The child list of a code is sorted by symbol; the walk stops at the
    // first larger symbol.
    std::uint16_t findChild(std::uint16_t prefix, std::uint8_t symbol) const {
        for (std::uint16_t c = child_[prefix]; c != kNone; c = sibling_[c]) {
            if (symbol_[c] == symbol) return c;
            if (symbol_[c] > symbol) break;
        }
        return kNone;
    }

    void addEntry(std::uint16_t prefix, std::uint8_t symbol) {
        unsigned code = last_ + 1;
        if (code == (1u << width_) - 1 && width_ == maxBits_) {
            putCode(clear_);
            reset();
            return;
        }
        if (code == (1u << width_) && width_ < maxBits_) ++width_;
        last_ = code;
        symbol_[code] = symbol;
        child_[code] = kNone;
        std::uint16_t* link = &child_[prefix];
        while (*link != kNone && symbol_[*link] < symbol) link = &sibling_[*link];
        sibling_[code] = *link;
        *link = static_cast<std::uint16_t>(code);
    }

    void putCode(unsigned code) {
        for (int bit = width_ - 1; bit >= 0; --bit) {
            if ((code >> bit) & 1u) partial_ |= static_cast<std::uint8_t>(1u << (freeBits_ - 1));
            if (--freeBits_ == 0) {
                out_[outCount_++] = partial_;
                partial_ = 0;
                freeBits_ = 8;
            }
        }
        if (outCount_ > kCompressFlushAt) flush();
    }

    void flush() {
        writeAll(write_, out_, outCount_);
        outCount_ = 0;
    }

    void finish() {
        if (freeBits_ < 8) {
            out_[outCount_++] = partial_;
            partial_ = 0;
            freeBits_ = 8;
        }
        flush();
    }

    int dataBits_, maxBits_;
    unsigned clear_;
    const TLzwReadFunc& read_;
    const TLzwWriteFunc& write_;
    std::vector<std::uint8_t> symbol_;
    std::vector<std::uint16_t> child_, sibling_;
    int width_ = 9;
    unsigned last_ = 0;
    std::uint8_t in_[kPieceSize] = {};
    int inCount_ = 0, inPos_ = 0;
    // A code may add up to two bytes past the flush mark before the flush.
    std::uint8_t out_[kPieceSize + 4] = {};
    int outCount_ = 0;
    std::uint8_t partial_ = 0;
    int freeBits_ = 8;
};

// ---------------------------------------------------------------------------
// Decompressor. The input is taken whole first: a block is in memory anyway,
// and the end code needs a look ahead (below).

class Decompressor {
public:
    Decompressor(int dataBits, int maxBits, const TLzwReadFunc& read, const TLzwWriteFunc& write,
                 std::int64_t limit)
        : dataBits_(dataBits), maxBits_(maxBits), clear_(1u << dataBits), read_(read), write_(write),
          limit_(limit), prefix_(std::size_t(1) << maxBits), symbol_(std::size_t(1) << maxBits),
          length_(std::size_t(1) << maxBits) {}

    void run() {
        std::uint8_t piece[kPieceSize];
        for (int n; (n = read_(piece, kPieceSize)) > 0;) input_.insert(input_.end(), piece, piece + n);
        reset();
        if (readCode() != clear_) invalidData();
        for (;;) {
            // One or more clears: the next code starts the dictionary afresh.
            unsigned code = readCode();
            while (code == clear_) {
                reset();
                code = readCode();
            }
            if (code == end_) break;
            if (code >= clear_) invalidData();
            putString(code, false);
            unsigned prev = code;
            for (;;) {
                code = readCode();
                if (code == clear_ || code == end_) break;
                std::uint8_t first;
                if (code == last_ + 1) {
                    putString(prev, true);
                    first = firstSymbol(prev);
                } else if (code <= last_) {
                    putString(code, false);
                    first = firstSymbol(code);
                } else {
                    invalidData();
                }
                addEntry(prev, first);
                prev = code;
            }
            if (code == end_) break;
            reset();
        }
        checkTail();
        writeAll(write_, out_, outCount_);
        outCount_ = 0;
    }

private:
    void reset() {
        width_ = firstWidth(dataBits_);
        widened_ = false;
        last_ = clear_ + 1;
        end_ = clear_ + 1;
        for (unsigned code = 0; code < clear_; ++code) {
            prefix_[code] = kNone;
            symbol_[code] = static_cast<std::uint8_t>(code);
            length_[code] = 1;
        }
    }

    void addEntry(unsigned prev, std::uint8_t first) {
        unsigned code = last_ + 1;
        widened_ = false;
        if (code == (1u << width_) - 1) {
            if (width_ == maxBits_) RaiseDesignerError(throughMessageHook("Hash Table overflow."));
            ++width_;
            widened_ = true;
        }
        last_ = code;
        prefix_[code] = static_cast<std::uint16_t>(prev);
        symbol_[code] = first;
        length_[code] = static_cast<std::uint16_t>(length_[prev] + 1);
    }

    std::uint8_t firstSymbol(unsigned code) const {
        while (prefix_[code] != kNone) code = prefix_[code];
        return symbol_[code];
    }

    // The string of a code; repeat adds its own first symbol once more.
    void putString(unsigned code, bool repeat) {
        unsigned length = length_[code];
        buffer_.resize(length + 1);
        unsigned at = length;
        for (unsigned c = code;; c = prefix_[c]) {
            buffer_[--at] = symbol_[c];
            if (prefix_[c] == kNone) break;
        }
        if (repeat) buffer_[length++] = buffer_[0];
        for (unsigned i = 0; i < length; ++i) {
            out_[outCount_++] = buffer_[i];
            if (outCount_ == kPieceSize) {
                writeAll(write_, out_, outCount_);
                outCount_ = 0;
            }
        }
        produced_ += length;
        if (limit_ > 0 && produced_ > limit_) invalidData();
    }

    std::size_t totalBits() const { return input_.size() * 8; }

    unsigned peekBits(std::size_t at, int count) const {
        unsigned value = 0;
        for (int i = 0; i < count; ++i, ++at)
            value = (value << 1) | ((input_[at / 8] >> (7 - at % 8)) & 1u);
        return value;
    }

    // Only zero bits from the position to the end of the last byte.
    bool onlyPaddingFrom(std::size_t at) const {
        return totalBits() - at < 8 && peekBits(at, static_cast<int>(totalBits() - at)) == 0;
    }

    unsigned readCode() {
        // The compressor widens one entry later than the reader: when its
        // last entry was 2^w - 1, the end code follows at the old width.
        if (widened_) {
            int old = width_ - 1;
            if (bitPos_ + static_cast<std::size_t>(old) <= totalBits() && peekBits(bitPos_, old) == end_ &&
                onlyPaddingFrom(bitPos_ + static_cast<std::size_t>(old))) {
                bitPos_ += static_cast<std::size_t>(old);
                return end_;
            }
        }
        if (bitPos_ + static_cast<std::size_t>(width_) > totalBits()) invalidData();  // ends before the end code
        unsigned code = peekBits(bitPos_, width_);
        bitPos_ += static_cast<std::size_t>(width_);
        return code;
    }

    // After the end code: zero padding and nothing more.
    void checkTail() const {
        if (!onlyPaddingFrom(bitPos_)) invalidData();
    }

    int dataBits_, maxBits_;
    unsigned clear_;
    const TLzwReadFunc& read_;
    const TLzwWriteFunc& write_;
    std::int64_t limit_;
    std::int64_t produced_ = 0;
    std::vector<std::uint16_t> prefix_;
    std::vector<std::uint8_t> symbol_;
    std::vector<std::uint16_t> length_;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> input_;
    std::size_t bitPos_ = 0;
    int width_ = 9;
    bool widened_ = false;
    unsigned last_ = 0, end_ = 0;
    std::uint8_t out_[kPieceSize] = {};
    int outCount_ = 0;
};

}  // namespace

void LzwCompress(int DataBits, int MaxBits, const TLzwReadFunc& Read, const TLzwWriteFunc& Write) {
    checkWidths(DataBits, MaxBits);
    Compressor(DataBits, MaxBits, Read, Write).run();
}

void LzwDecompress(int DataBits, int MaxBits, const TLzwReadFunc& Read, const TLzwWriteFunc& Write) {
    lzwDecompressLimited(DataBits, MaxBits, Read, Write, 0);
}

void lzwDecompressLimited(int DataBits, int MaxBits, const TLzwReadFunc& Read, const TLzwWriteFunc& Write,
                          std::int64_t Limit) {
    checkWidths(DataBits, MaxBits);
    Decompressor(DataBits, MaxBits, Read, Write, Limit).run();
}
