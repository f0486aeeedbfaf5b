// The buffered plain-text reader on real streams.
#include <gtest/gtest.h>

#include <string>

#include "base/Exceptions.h"
#include "base/Streams.h"
#include "richtext/RtInvariants.h"
#include "richtext/RtTestDoc.h"
#include "richtext/RtTextReader.h"

namespace {

// Loads the bytes into an empty document as the load does: at its paragraph.
uint8_t loadPlain(TRtRTFText& doc, TStream& stream) {
    TRtTextReader reader;
    reader.Owner = &doc;
    reader.Text = &doc;
    reader.CurPar = doc.FirstPar;
    TParagraph* first = nullptr;
    return reader.ReadDocument(&stream, first);
}

}  // namespace

TEST(RtTextReader, PlainBytesBecomeParagraphs) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string shape;
        int64_t streamPos;
    } cases[] = {
        {"empty stream", "", "", 0},
        {"CR ends a paragraph, LF is ignored", "one\r\ntwo", "one|two", 8},
        {"NUL ends the text and stays the last byte read", std::string("ab\0cd", 5), "ab", 3},
        {"control and high bytes are text", "a\x1A\xFF\tb", "a\x1A\xFF\tb", 5},
        {"a line feed alone starts nothing", "a\nb\r", "ab|", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFText doc;
        doc.Clear();
        TStringStream stream(c.bytes);
        EXPECT_EQ(loadPlain(doc, stream), rtReadOk);
        ASSERT_EQ(RtCheckInvariants(doc), "");
        std::string text = doc.GetText();
        std::string expected = c.shape;
        for (char& ch : expected)
            if (ch == '|') ch = '\r';
        EXPECT_EQ(text, expected);
        EXPECT_EQ(stream.Position(), c.streamPos);
    }
}

TEST(RtTextReader, LongLinesAreCutAndTheTextKept) {
    struct Case {
        int length;
    } cases[] = {{500}, {2 * 1024 * 1024}};
    for (const Case& c : cases) {
        std::string bytes;
        for (int i = 0; i < c.length; ++i) bytes += static_cast<char>('a' + i % 26);
        TRtRTFText doc;
        doc.Clear();
        TStringStream stream(bytes);
        EXPECT_EQ(loadPlain(doc, stream), rtReadOk);
        ASSERT_EQ(RtCheckInvariants(doc), "");
        ASSERT_EQ(doc.FirstPar->Next, nullptr) << "one paragraph";
        int lines = 0;
        for (TLine* l = doc.FirstPar->FirstLine; l; l = l->Next, ++lines) EXPECT_LE(l->Length, 200);
        EXPECT_GT(lines, 1);
        EXPECT_EQ(doc.GetText(), bytes);
    }
}

TEST(RtTextReader, UnreadGivesTheSameByteBackAcrossARefill) {
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i % 251);
    TStringStream stream(bytes);
    TRtTextReader reader;
    reader.SetStream(&stream);
    for (int i = 0; i < 1025; ++i) reader.ReadChar();
    reader.UnreadChar();
    EXPECT_EQ(reader.ReadChar(), static_cast<unsigned char>(bytes[1024]));
    reader.UnreadChar();
    reader.UnreadChar();  // before the start of the second buffer
    EXPECT_EQ(reader.ReadChar(), static_cast<unsigned char>(bytes[1023]));
    EXPECT_EQ(reader.ReadChar(), static_cast<unsigned char>(bytes[1024]));
    reader.SyncStream();
    EXPECT_EQ(stream.Position(), 1025) << "right after the last byte consumed";
    reader.UnreadChar();
    EXPECT_EQ(reader.ReadChar(), static_cast<unsigned char>(bytes[1024]));
}

TEST(RtTextReader, HexPairsAndMissingArguments) {
    struct Case {
        const char* pair;
        int value;
    } cases[] = {{"e9", 233}, {"E9", 233}, {"0f", 15}, {"zz", 0}, {"7x", 112}};
    for (const Case& c : cases) EXPECT_EQ(TRtTextReader::HexPairToByte(c.pair), c.value) << c.pair;

    TRtTextReader reader;
    TStringStream stream("x");
    TParagraph* par = nullptr;
    try {
        reader.ReadDocument(&stream, par);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Wrong Arguments");
    }
}

TEST(RtTextReader, WithoutAParagraphItBuildsADetachedChain) {
    TRtRTFText doc;
    TRtTextReader reader;
    reader.Owner = &doc;
    reader.Text = &doc;
    TStringStream stream("a\rb");
    TParagraph* first = nullptr;
    EXPECT_EQ(reader.ReadDocument(&stream, first), rtReadOk);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, doc.FirstPar);
    TParagraph* par = doc.FirstPar;
    TLine* line = par->FirstLine;
    int pos = 0;
    ASSERT_TRUE(doc.InsertParagraphs(par, line, first, pos));
    EXPECT_EQ(RtCheckInvariants(doc), "");
    EXPECT_EQ(ShapeOf(doc), "/a|b/") << "the empty line at the insertion point stays";
}
