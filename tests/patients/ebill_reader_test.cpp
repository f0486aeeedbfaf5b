#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "patients/EBillLayout.h"
#include "patients/EBillReader.h"

namespace {

// count lines "<prefix> n" ended by `end`.
std::string numberedLines(int first, int count, const std::string& end, const std::string& prefix = "L") {
    std::string text;
    for (int n = first; n < first + count; ++n) text += prefix + std::to_string(n) + end;
    return text;
}

const TEBillColumn& column(const std::string& label) {
    for (const TEBillColumn& c : eBillColumns())
        if (c.LabelName == label) return c;
    throw std::runtime_error("no column " + label);
}

std::string labelOf(const TEBillPage& page, const std::string& label) {
    const auto& columns = eBillColumns();
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].LabelName == label) return page.Labels.at(i);
    throw std::runtime_error("no label " + label);
}

TEST(EBillLayoutTest, EveryLabelOnceWithItsPlaceOnTheForm) {
    const auto& columns = eBillColumns();
    EXPECT_EQ(columns.size(), 180u);
    std::set<std::string> names;
    for (const TEBillColumn& c : columns) {
        EXPECT_TRUE(names.insert(c.LabelName).second) << c.LabelName;
        EXPECT_GE(c.Line, 1);
        EXPECT_LE(c.Line, kEBillBlockLines);
    }
    struct Case {
        const char* label;
        int line, column, width;
    };
    for (const Case& c : std::vector<Case>{{"ClaimNoLabel", 1, 41, 17},
                                           {"CarrierLabel4", 7, 41, 40},
                                           {"CF7", 14, 52, 47},
                                           {"CF10d", 28, 32, 15},
                                           {"CF21b", 42, 3, 6},
                                           {"CF21c", 40, 31, 6},
                                           {"CF24A1From", 46, 2, 8},
                                           {"CF24K6", 56, 71, 10},
                                           {"CF33GRP", 63, 66, 14}}) {
        const TEBillColumn& found = column(c.label);
        EXPECT_EQ(found.Line, c.line) << c.label;
        EXPECT_EQ(found.Column, c.column) << c.label;
        EXPECT_EQ(found.Width, c.width) << c.label;
    }
}

TEST(EBillReaderTest, LabelsTakeTheirWidthFromTheirColumnOfTheirLine) {
    std::string block = "                                        Claim: 12345678901234567890\r\n";
    block += numberedLines(2, 8, "\r\n");
    block += " X      X" + std::string(42, ' ') + "ID-123\r\n";  // line 10
    block += numberedLines(11, 56, "\r\n");
    const TEBillPage page = readEBillPage(block, 1);
    ASSERT_EQ(page.Lines.size(), 66u);
    EXPECT_EQ(labelOf(page, "ClaimNoLabel"), "Claim: 1234567890");
    EXPECT_EQ(labelOf(page, "CF1Medicare"), "X");
    EXPECT_EQ(labelOf(page, "CF1Medicaid"), "X");
    EXPECT_EQ(labelOf(page, "CF1Champus"), " ");
    EXPECT_EQ(labelOf(page, "CF1A"), "ID-123");
    // Line 12 is "L12": shorter than every column but the first.
    EXPECT_EQ(labelOf(page, "CF2"), "2");
    EXPECT_EQ(labelOf(page, "CF4"), "");
}

TEST(EBillReaderTest, LinesEndAtCrLfLfOrCrAndBlocksAre66LinesLong) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::string crlf = numberedLines(1, 140, "\r\n");
    const std::vector<Case> cases = {
        {"CR LF", crlf},
        {"LF", numberedLines(1, 140, "\n")},
        {"CR", numberedLines(1, 140, "\r")},
        {"mixed", numberedLines(1, 50, "\r\n") + numberedLines(51, 50, "\r") + numberedLines(101, 40, "\n")},
        {"no end on the last line", crlf.substr(0, crlf.size() - 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(countEBillBlocks(eBillBytes(c.bytes)), 3);
        const TEBillPage first = readEBillPage(c.bytes, 1);
        ASSERT_EQ(first.Lines.size(), 66u);
        EXPECT_TRUE(first.MoreLines);
        EXPECT_EQ(first.Lines.back().substr(first.Lines.back().find('L')), "L66");
        const TEBillPage last = readEBillPage(c.bytes, 3);
        ASSERT_EQ(last.Lines.size(), 8u);  // a short last block
        EXPECT_EQ(last.Lines.front().substr(last.Lines.front().find('L')), "L133");
        EXPECT_FALSE(last.MoreLines);
        EXPECT_TRUE(readEBillPage(c.bytes, 4).Lines.empty());
    }
}

TEST(EBillReaderTest, UntrustedBytesPassThroughAndAreCutOnlyForDisplay) {
    // Trailing blanks go; NUL and high bytes stay.
    std::string nulAndHigh = std::string("A\0B\xE9\xFF  ", 7);
    const TEBillPage bytes = readEBillPage(nulAndHigh + "\r\nnext", 1);
    ASSERT_EQ(bytes.Lines.size(), 2u);
    EXPECT_EQ(bytes.Lines[0], std::string("A\0B\xE9\xFF", 5));

    // A line of megabytes is cut for display; the lines after it are whole.
    const std::string huge = "H" + std::string(3 * 1024 * 1024, 'x') + "\n";
    const TEBillPage cut = readEBillPage(huge + numberedLines(2, 70, "\n"), 1);
    ASSERT_EQ(cut.Lines.size(), 66u);
    EXPECT_EQ(cut.Lines[0].size(), kEBillShownLineMax);
    EXPECT_EQ(cut.Lines[1], "L2");
    EXPECT_TRUE(cut.MoreLines);
    // A CR LF split between two reads is one line end.
    const TEBillPage split = readEBillPage(std::string(64 * 1024 - 1, 'a') + "\r\nL2\r\n", 1);
    EXPECT_EQ(split.Lines, (std::vector<std::string>{std::string(kEBillShownLineMax, 'a'), "L2"}));

    // An empty file has no page; a file of one blank line has one.
    const TEBillPage empty = readEBillPage("", 1);
    EXPECT_TRUE(empty.FileEmpty);
    EXPECT_TRUE(empty.Lines.empty());
    EXPECT_EQ(empty.Labels.size(), eBillColumns().size());
    const TEBillPage blank = readEBillPage("\r\n", 1);
    EXPECT_FALSE(blank.FileEmpty);
    EXPECT_EQ(blank.Lines, std::vector<std::string>{""});
    EXPECT_FALSE(blank.MoreLines);
}

TEST(EBillReaderTest, AFirstPageOfAMillionLinesReadsLittleMoreThanItsBlock) {
    // A source of a million lines of 90 bytes that counts what it delivers.
    const std::string line = std::string(88, 'x') + "\r\n";
    const uint64_t total = uint64_t(line.size()) * 1000000;
    uint64_t delivered = 0;
    TEBillByteSource source = [&](char* buffer, size_t size) {
        size_t n = size_t(std::min<uint64_t>(size, total - delivered));
        for (size_t i = 0; i < n; ++i) buffer[i] = line[(delivered + i) % line.size()];
        delivered += n;
        return n;
    };
    const TEBillPage page = readEBillPage(source, 1);
    EXPECT_EQ(page.Lines.size(), 66u);
    EXPECT_TRUE(page.MoreLines);
    EXPECT_LE(delivered, 128u * 1024);
}

}  // namespace
