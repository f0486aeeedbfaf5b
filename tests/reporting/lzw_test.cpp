// The LZW codec of project blocks: exact bytes, round trips through clears
// and long runs, pieces handed to the writer, and corrupt input refused.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "reporting/project/DesignerUtils.h"
#include "reporting/project/LzwCodec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TLzwReadFunc readFrom(const Bytes& input, std::size_t& at) {
    return [&input, &at](std::uint8_t* buffer, int count) {
        int n = static_cast<int>(std::min<std::size_t>(count, input.size() - at));
        std::copy_n(input.begin() + static_cast<long>(at), n, buffer);
        at += static_cast<std::size_t>(n);
        return n;
    };
}

Bytes compress(const Bytes& input) {
    Bytes out;
    std::size_t at = 0;
    LzwCompress(8, 13, readFrom(input, at), [&out](const std::uint8_t* b, int n) {
        out.insert(out.end(), b, b + n);
        return n;
    });
    return out;
}

Bytes decompress(const Bytes& input, std::vector<int>* pieces = nullptr) {
    Bytes out;
    std::size_t at = 0;
    LzwDecompress(8, 13, readFrom(input, at), [&](const std::uint8_t* b, int n) {
        out.insert(out.end(), b, b + n);
        if (pieces) pieces->push_back(n);
        return n;
    });
    return out;
}

// Codes packed most significant bit first, the last byte completed with zeros.
Bytes pack(const std::vector<std::pair<unsigned, int>>& codes) {
    Bytes out;
    int used = 8;
    for (auto [code, width] : codes) {
        for (int bit = width - 1; bit >= 0; --bit) {
            if (used == 8) {
                out.push_back(0);
                used = 0;
            }
            if ((code >> bit) & 1) out.back() |= static_cast<std::uint8_t>(0x80 >> used);
            ++used;
        }
    }
    return out;
}

// The code widths a reader expects, walked over a compressed stream: returns
// the codes read, so a test can see where clears fall.
std::vector<std::pair<unsigned, int>> walkCodes(const Bytes& stream) {
    std::vector<std::pair<unsigned, int>> codes;
    std::size_t bit = 0;
    auto read = [&](int width) {
        unsigned code = 0;
        for (int i = 0; i < width; ++i, ++bit)
            code = (code << 1) | ((stream[bit / 8] >> (7 - bit % 8)) & 1u);
        return code;
    };
    int width = 9;
    unsigned last = 257;
    bool afterClear = false;
    for (;;) {
        unsigned code = read(width);
        codes.emplace_back(code, width);
        if (code == 257) break;
        if (code == 256) {
            width = 9;
            last = 257;
            afterClear = true;
            continue;
        }
        if (afterClear) {
            afterClear = false;
            continue;
        }
        if (++last == (1u << width) - 1) ++width;
    }
    return codes;
}

Bytes randomBytes(std::size_t size, unsigned seed, int alphabet = 256) {
    std::mt19937 gen(seed);
    Bytes out(size);
    for (auto& b : out) b = static_cast<std::uint8_t>(gen() % static_cast<unsigned>(alphabet));
    return out;
}

TEST(LzwCodec, CompressesToTheExactCodeStream) {
    struct Case {
        std::string input;
        Bytes expected;
    };
    const Case cases[] = {
        {"abc", {0x80, 0x18, 0x4C, 0x46, 0x38, 0x08}},
        {"", {0x80, 0x40, 0x40}},  // clear and end only
    };
    for (const Case& c : cases) EXPECT_EQ(compress(Bytes(c.input.begin(), c.input.end())), c.expected) << c.input;
}

TEST(LzwCodec, RoundTripsRandomDataRunsAndFullDictionaries) {
    const Bytes cases[] = {
        {},
        {42},
        randomBytes(1024, 1),
        randomBytes(100000, 2),         // fills the dictionary many times
        randomBytes(300000, 3, 4),      // long matches from a small alphabet
        Bytes(200000, 'x'),             // the code one past the last assigned, over and over
        [] { Bytes b; for (int i = 0; i < 255; ++i) b.push_back(static_cast<std::uint8_t>(i)); return b; }(),
        // (the last entry made is 511: the end code follows at nine bits, one
        // entry before the reader's own widening)
        [] { Bytes b; for (int i = 0; i < 70000; ++i) b.push_back(static_cast<std::uint8_t>(i * 7 % 251)); return b; }(),
    };
    for (const Bytes& input : cases) EXPECT_EQ(decompress(compress(input)), input) << input.size();
}

TEST(LzwCodec, ClearsInsteadOfAssigningTheLastCodeAndRestartsAtNineBits) {
    Bytes stream = compress(randomBytes(60000, 4));
    auto codes = walkCodes(stream);
    ASSERT_GT(codes.size(), 9000u);
    EXPECT_EQ(codes.front(), std::make_pair(256u, 9));
    // The first dictionary runs from 258 to 8190: the clear follows code
    // number 8190 - 258 + 1 after the leading clear and first symbol.
    std::size_t clearAt = 0;
    for (std::size_t i = 1; i < codes.size() && clearAt == 0; ++i)
        if (codes[i].first == 256) clearAt = i;
    ASSERT_NE(clearAt, 0u);
    EXPECT_EQ(clearAt, 1u + (8190 - 258 + 1) + 1);
    EXPECT_EQ(codes[clearAt].second, 13);
    EXPECT_EQ(codes[clearAt + 1].second, 9);
}

TEST(LzwCodec, HandsOutputToTheWriterInPiecesOf1024) {
    std::vector<int> pieces;
    decompress(compress(randomBytes(1024, 5)), &pieces);
    EXPECT_EQ(pieces, std::vector<int>{1024});
    pieces.clear();
    decompress(compress(randomBytes(2500, 6)), &pieces);
    EXPECT_EQ(pieces, (std::vector<int>{1024, 1024, 452}));
}

TEST(LzwCodec, RefusesCorruptInput) {
    Bytes abc = compress({'a', 'b', 'c'});
    Bytes withTrailer = abc;
    withTrailer.push_back(0);
    Bytes badPadding = abc;
    badPadding.back() |= 1;
    struct Case {
        const char* what;
        Bytes input;
    };
    const Case cases[] = {
        {"empty input", {}},
        {"no leading clear", pack({{97, 9}, {257, 9}})},
        {"a code past the next free one", pack({{256, 9}, {97, 9}, {300, 9}, {257, 9}})},
        {"a dictionary code right after a clear", pack({{256, 9}, {258, 9}, {257, 9}})},
        {"truncated before the end code", Bytes(abc.begin(), abc.end() - 2)},
        {"bytes after the end code", withTrailer},
        {"non-zero padding", badPadding},
    };
    for (const Case& c : cases) EXPECT_THROW(decompress(c.input), EDuzuException) << c.what;
}

TEST(LzwCodec, ADictionaryPastThirteenBitsRaisesHashTableOverflow) {
    // Literals only and never a clear: the reader's dictionary must overflow.
    std::vector<std::pair<unsigned, int>> codes{{256, 9}, {97, 9}};
    int width = 9;
    unsigned last = 257;
    for (;;) {
        codes.emplace_back(97, width);
        if (++last == (1u << width) - 1) {
            if (width == 13) break;
            ++width;
        }
    }
    codes.emplace_back(257, 13);
    try {
        decompress(pack(codes));
        FAIL() << "no overflow";
    } catch (const EDuzuException& e) {
        EXPECT_EQ(e.Message(), "Hash Table overflow.");
    }
}

}  // namespace
