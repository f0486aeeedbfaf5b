// The typed stream of projects: compact integers, strings, blocks, the
// extended format, and the designer utilities.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/SysUtils.h"
#include "reporting/project/Extended80.h"
#include "reporting/project/StreamHelper.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(TMemoryStream& stream) {
    return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

TEST(StreamHelper, CompactIndexTakesOneToFourBytes) {
    struct Case {
        std::uint32_t value;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, {0x00}},
        {127, {0x7F}},
        {128, {0x80, 0x80}},
        {16383, {0xBF, 0xFF}},
        {16384, {0xC0, 0x40, 0x00}},
        {2097151, {0xDF, 0xFF, 0xFF}},
        {2097152, {0xE0, 0x20, 0x00, 0x00}},
        {536870911, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        TMemoryStream stream;
        TStreamHelper helper(&stream);
        helper.WriteIndex(c.value);
        EXPECT_EQ(bytesOf(stream), c.bytes) << c.value;
        stream.SetPosition(0);
        EXPECT_EQ(helper.ReadIndex(), c.value);
        EXPECT_TRUE(helper.Eof());
    }
    TMemoryStream stream;
    TStreamHelper helper(&stream);
    EXPECT_THROW(helper.WriteIndex(536870912), EDuzuException);
}

TEST(StreamHelper, StringsAreACompactLengthAndTheirBytes) {
    TMemoryStream stream;
    TStreamHelper helper(&stream);
    helper.WriteString("");
    helper.WriteString("Page\xE9");
    EXPECT_EQ(bytesOf(stream), (Bytes{0, 5, 'P', 'a', 'g', 'e', 0xE9}));
    stream.SetPosition(0);
    EXPECT_EQ(helper.ReadString(), "");
    EXPECT_EQ(helper.ReadString(), "Page\xE9");
}

TEST(StreamHelper, ReadsCheckWhatIsLeftBeforeTakingIt) {
    const Bytes cases[] = {
        {},                        // nothing at all
        {0x05, 'a', 'b'},          // a string longer than the stream
        {0xFF, 0xFF, 0xFF, 0x7F},  // a huge length
        {0xC0, 0x01},              // a compact cut short
    };
    for (const Bytes& input : cases) {
        TStringStream stream(std::string(input.begin(), input.end()));
        TStreamHelper helper(&stream);
        EXPECT_THROW(helper.ReadString(), EReadError) << input.size();
    }
}

TEST(StreamHelper, BlocksNestAndStoreTheirLength) {
    for (std::uint8_t method : {kCompressStored, kCompressLzw}) {
        TMemoryStream stream;
        TStreamHelper helper(&stream);
        helper.SetCompressMethod(method);
        helper.BeginWriteBlock();
        helper.WriteString("outer");
        helper.BeginWriteBlock();
        helper.WriteString(std::string(3000, 'z'));
        helper.EndWriteBlock();
        helper.WriteIndex(77);
        helper.EndWriteBlock();
        helper.WriteByte(0xAB);

        Bytes raw = bytesOf(stream);
        ASSERT_GT(raw.size(), 6u);
        EXPECT_EQ(raw[0], method);
        std::int32_t length = raw[1] | raw[2] << 8 | raw[3] << 16 | raw[4] << 24;
        EXPECT_EQ(static_cast<std::size_t>(length), raw.size() - 6);  // method, length and the final byte
        if (method == kCompressStored) EXPECT_EQ(raw[5], 5);           // the content as it stands

        stream.SetPosition(0);
        helper.BeginReadBlock();
        EXPECT_EQ(helper.ReadString(), "outer");
        helper.BeginReadBlock();
        EXPECT_EQ(helper.ReadString(), std::string(3000, 'z'));
        EXPECT_TRUE(helper.Eof());
        helper.EndReadBlock();
        EXPECT_EQ(helper.ReadIndex(), 77u);
        helper.EndReadBlock();
        EXPECT_EQ(helper.ReadByte(), 0xAB);
    }
}

TEST(StreamHelper, RefusesUnknownMethodsAndBadBlockLengths) {
    struct Case {
        Bytes input;
        std::string message;  // empty: a read error
    };
    const Case cases[] = {
        {{7, 0, 0, 0, 0}, "Unknown compression method 7"},
        {{0, 10, 0, 0, 0, 1, 2}, ""},              // longer than the stream
        {{0, 0xFF, 0xFF, 0xFF, 0xFF}, ""},         // negative
        {{2, 3, 0, 0, 0, 0x12, 0x34, 0x56}, "Invalid compressed data."},
    };
    for (const Case& c : cases) {
        TStringStream stream(std::string(c.input.begin(), c.input.end()));
        TStreamHelper helper(&stream);
        try {
            helper.BeginReadBlock();
            ADD_FAILURE() << "read";
        } catch (const EReadError&) {
            EXPECT_EQ(c.message, "");
        } catch (const EDuzuException& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(Extended80, CodesDoublesExactly) {
    struct Case {
        double value;
        TExtended80 bytes;
    };
    const Case cases[] = {
        {1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
        {-2.5, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}},
        {8.5, {0, 0, 0, 0, 0, 0, 0, 0x88, 0x02, 0x40}},
        {0.0, {}},
        {std::numeric_limits<double>::quiet_NaN(), {}},
        {std::numeric_limits<double>::infinity(), {}},
    };
    for (const Case& c : cases) EXPECT_EQ(encodeExtended(c.value), c.bytes) << c.value;
    for (double v : {0.1, -1e300, 1e-310, 25.4, 1.0 / 3.0, 0.1 / 25.4})
        EXPECT_EQ(decodeExtended(encodeExtended(v)), v) << v;
    TExtended80 beyond = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};  // 2^16384
    EXPECT_EQ(decodeExtended(beyond), 0.0);
}

TEST(DesignerUtils, FloatsCompareWithATolerance) {
    EXPECT_TRUE(FloatEqual(1.0, 1.0001));
    EXPECT_FALSE(FloatLess(1.0, 1.00005));
    EXPECT_TRUE(FloatLess(1.0, 1.0002));
    EXPECT_TRUE(FloatGreater(1.0002, 1.0));
    EXPECT_TRUE(FloatNotLess(1.0, 1.00005));
    EXPECT_EQ(FloatMin(2, -1), -1);
    EXPECT_EQ(FloatMax(2, -1), 2);
}

TEST(DesignerUtils, MarkupTexts) {
    EXPECT_EQ(MarkupIdent("Net Sales"), "<Net Sales>");
    EXPECT_EQ(MarkupIdent("Net_Sales2"), "Net_Sales2");
    EXPECT_EQ(MarkupIdent("<x y>"), "<x y>");
    EXPECT_EQ(StripMarkup("<Net Sales>.Total"), "Net Sales.Total");
    EXPECT_EQ(FilterNumber("x-5.5.1"), "-5.51");

    std::string text = " <a|b> | rest | more ";
    char delimiter = 0;
    std::string token;
    GetToken(text, "|", delimiter, token);
    EXPECT_EQ(token, "<a|b>");
    EXPECT_EQ(delimiter, '|');
    EXPECT_EQ(text, "rest | more");
    GetToken(text, ",", delimiter, token);
    EXPECT_EQ(delimiter, 0);
    EXPECT_EQ(token, "rest | more");
    EXPECT_EQ(text, "");

    text = "'it''s' + x";
    std::string value;
    GetQuoted(text, '\'', value);
    EXPECT_EQ(value, "it's");
    EXPECT_EQ(text, "+ x");
}

TEST(DesignerUtils, ConversionsFallBackToTheirDefault) {
    EXPECT_EQ(StrToFloatDef("2.5", 7), 2.5);
    EXPECT_EQ(StrToFloatDef("two", 7), 7);
    EXPECT_EQ(StrToCurrDef("1.23456", Currency(0)).Raw(), 12346);
    EXPECT_EQ(StrToCurrDef("?", Currency(3)), Currency(3));
    EXPECT_EQ(StrToDateTimeDef("no date", 5.0), 5.0);
}

TEST(DesignerUtils, StackListGivesNothingWhenEmpty) {
    TDuzuStackList stack;
    int a = 1, b = 2;
    EXPECT_TRUE(stack.IsEmpty());
    EXPECT_EQ(stack.Pop(), nullptr);
    stack.Push(&a);
    stack.Push(&b);
    EXPECT_EQ(stack.Peek(), &b);
    EXPECT_EQ(stack.Pop(), &b);
    EXPECT_EQ(stack.Pop(), &a);
    EXPECT_EQ(stack.Peek(), nullptr);
}

}  // namespace
