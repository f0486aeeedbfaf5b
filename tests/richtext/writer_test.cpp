// The plain and RTF writers: golden output for small documents, results on
// failing streams, and LibreOffice reading what we write.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "base/Streams.h"
#include "richtext/RtRtfWriter.h"
#include "richtext/RtTextReader.h"
#include "RtfTestSupport.h"
#include "richtext/RtTestDoc.h"
#include "support/TempDir.h"

namespace {

// The three steps as a save runs them.
template <class Writer>
uint8_t save(TRtRTFText& doc, TStream& stream, Writer& writer) {
    writer.Text = &doc;
    writer.FromPar = doc.FirstPar;
    uint8_t r = writer.WriteHeader(&stream);
    if (!r) r = writer.WriteBody(&stream);
    if (!r) r = writer.WriteTrailer(&stream);
    return r;
}

std::string rtfOf(TRtRTFText& doc) {
    TStringStream stream;
    TRtRTFWriter writer;
    EXPECT_EQ(save(doc, stream, writer), rtWriteOk);
    return stream.DataString();
}

// What follows the header of the default page.
std::string bodyOf(TRtRTFText& doc) {
    std::string rtf = rtfOf(doc);
    const std::string page = "\\margb1440";
    size_t at = rtf.find(page);
    return at == std::string::npos ? rtf : rtf.substr(at + page.size());
}

void setRun(TRtRTFText& doc, int par, int from, int to, const std::function<void(TCharAttr&)>& change) {
    TLine* line = LineAt(doc, par, 0);
    for (int i = from; i < to; ++i) change(line->Attr[i]);
}

// A stream that takes only so many bytes.
class ShortStream : public TMemoryStream {
public:
    explicit ShortStream(int64_t room) : room_(room) {}
    int64_t Write(const void* buffer, int64_t count) override {
        int64_t n = std::min(count, room_);
        room_ -= n;
        return TMemoryStream::Write(buffer, n);
    }

private:
    int64_t room_;
};

}  // namespace

TEST(RtfWriter, HeaderDeclaresFontsColoursPageAndSummary) {
    TRtRTFText doc;
    BuildShape(doc, "x");
    doc.Header->AddFont("Courier {New}");
    doc.Header->FontFamily[1] = 0x31;
    doc.Header->Title = "T\xE9";
    doc.Header->Subject = "S";
    std::string rtf = rtfOf(doc);
    EXPECT_EQ(rtf.substr(0, rtf.find("\\red255")),
              "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
              "{\\f1\\fmodern\\fcharset0 Courier \\{New\\};}}{\\colortbl\\red0\\green0\\blue0;");
    EXPECT_NE(rtf.find("\\red192\\green192\\blue192;\\red128\\green128\\blue128;\\red0\\green0\\blue0;}"
                       "\\paperw12240\\paperh15840\\margl1880\\margr1880\\margt1440\\margb1440"
                       "{\\title T\\'e9}{\\subject S}{"),
              std::string::npos)
        << rtf;
}

TEST(RtfWriter, GoldenBodies) {
    struct Case {
        const char* name;
        const char* shape;
        std::function<void(TRtRTFText&)> setup;
        std::string body;
    } cases[] = {
        {"one paragraph ends with its text and the closing braces", "Hello", nullptr,
         "{\\plain\\f0\\fs20\\cf0 Hello}\r\n}"},
        {"a size of 100 points", "Big", [](auto& d) { setRun(d, 0, 0, 3, [](auto& a) { a.Size = 100; }); },
         "{\\plain\\f0\\fs200\\cf0 Big}\r\n}"},
        {"braces, backslashes, tabs and high bytes are escaped", "a{b}\\\t\xE9\x01", nullptr,
         "{\\plain\\f0\\fs20\\cf0 a\\{b\\}\\\\\\tab \\'e9}\r\n}"},
        {"raw RTF code then text", "\\b Xy",
         [](auto& d) { setRun(d, 0, 0, 4, [](auto& a) { a.Special |= spRtfCode; }); },
         "{\\plain\\f0\\fs20\\cf0\\rtrtf1 \\b X\\rtrtf0\\plain\\f0\\fs20\\cf0 y}\r\n}"},
        {"styles, colours, hidden text and insert points", "abcd",
         [](auto& d) {
             setRun(d, 0, 0, 1, [](auto& a) { a.Style = stBold | stItalic; a.Colors = 0x21; });
             setRun(d, 0, 1, 2, [](auto& a) { a.Special = spHidden; });
             setRun(d, 0, 2, 3, [](auto& a) { a.Special = spInsertPoint; a.Tag = 4; });
         },
         "{\\plain\\f0\\fs20\\cf1\\cb2\\b\\i a\\plain\\f0\\fs20\\cf0\\v b\\plain\\f0\\fs20\\cf0\\inspnt4 c"
         "\\plain\\f0\\fs20\\cf0 d}\r\n}"},
        {"equal indents are written once", "a|b|c",
         [](auto& d) {
             for (TParagraph* p = d.FirstPar; p; p = p->Next) {
                 p->IndentLeft = 720;
                 p->IndentFirst = 1080;
             }
             ParAt(d, 2)->Align = 2;
         },
         "{\\li720\\fi360\\ri0 \\plain\\f0\\fs20\\cf0 a\\par\n\r\\plain\\f0\\fs20\\cf0 b\\par\n\r"
         "\\qc \\plain\\f0\\fs20\\cf0 c}\r\n}"},
        {"hidden text ends before its paragraph mark", "ab|c",
         [](auto& d) { setRun(d, 0, 1, 2, [](auto& a) { a.Special = spHidden; }); },
         "{\\plain\\f0\\fs20\\cf0 a\\plain\\f0\\fs20\\cf0\\v b\\plain\\par\n\r\\plain\\f0\\fs20\\cf0 c}\r\n}"},
        {"superscript ends before its paragraph mark", "ab|c",
         [](auto& d) { setRun(d, 0, 1, 2, [](auto& a) { a.Style = stSuperscript; }); },
         "{\\plain\\f0\\fs20\\cf0 a\\plain\\f0\\fs20\\cf0\\super b\\nosupersub \\par\n\r\\plain\\f0\\fs20\\cf0 c}\r\n}"},
        {"an empty last paragraph has a mark of its own", "a|",
         nullptr, "{\\plain\\f0\\fs20\\cf0 a\\par\n\r\\par}\r\n}"},
        {"tabs open a group that ends when they change", "a|b|c",
         [](auto& d) {
             uint32_t right = d.Header->AddTab(2880, tkRight);
             ParAt(d, 0)->TabSet = right | d.Header->AddTab(720, tkLeft);
             ParAt(d, 1)->TabSet = ParAt(d, 0)->TabSet;
         },
         "{{\\tqr\\tx2880\\tx720 \\plain\\f0\\fs20\\cf0 a\\par\n\r\\plain\\f0\\fs20\\cf0 b\\par\n\r}"
         "\\plain\\f0\\fs20\\cf0 c}\r\n}"},
        {"a bordered box of two paragraphs", "a|b|c",
         [](auto& d) {
             ParAt(d, 0)->TableFlags = tfBorder | tfAllSides | (1u << 16);
             ParAt(d, 1)->TableFlags = tfBorder | tfAllSides | tfBoxEnds | (1u << 16);
         },
         "{{\\box\\brdrs\\brdrw20 \\plain\\f0\\fs20\\cf0 a\\par\n\r\\plain\\f0\\fs20\\cf0 b\\par\n\r}"
         "\\plain\\f0\\fs20\\cf0 c}\r\n}"},
        {"a row of three cells", "A|B|C",
         [](auto& d) {
             const uint8_t flags[] = {pfTableCell | pfCellFollows, pfTableCell | pfNotFirstCell | pfCellFollows,
                                      pfTableCell | pfNotFirstCell};
             for (int i = 0; i < 3; ++i) {
                 TParagraph* p = ParAt(d, i);
                 p->ParFlags = flags[i];
                 p->TabSet = static_cast<uint32_t>(i * 85) | (85u << 8);
                 p->TableFlags = tfBorder | tfAllSides | (1u << 16);
             }
         },
         "{{\\pard\\trowd\\trgaph0\\trleft0"
         "\\clbrdrt\\brdrs\\brdrw20\\clbrdrb\\brdrs\\brdrw20\\clbrdrl\\brdrs\\brdrw20\\clbrdrr\\brdrs\\brdrw20\\cellx2826"
         "\\clbrdrt\\brdrs\\brdrw20\\clbrdrb\\brdrs\\brdrw20\\clbrdrl\\brdrs\\brdrw20\\clbrdrr\\brdrs\\brdrw20\\cellx5653"
         "\\clbrdrt\\brdrs\\brdrw20\\clbrdrb\\brdrs\\brdrw20\\clbrdrl\\brdrs\\brdrw20\\clbrdrr\\brdrs\\brdrw20\\cellx8480"
         "\\intbl \\sb0\\sl\\sa0 \\plain\\f0\\fs20\\cf0 A\\cell\n\r"
         "\\intbl \\sb0\\sl\\sa0 \\plain\\f0\\fs20\\cf0 B\\cell\n\r"
         "\\intbl \\sb0\\sl\\sa0 \\plain\\f0\\fs20\\cf0 C\\cell\\row\n\r}}\r\n}"},
        {"footnotes use the default font", "a*",
         [](auto& d) {
             TStampEntry* s = d.AddStamp('1', 0, "see {here}");
             setRun(d, 0, 1, 2, [&](auto& a) { a.Special = spFootnote; a.Tag = s->Number; });
         },
         "{\\plain\\f0\\fs20\\cf0 a\\plain\\f0\\fs20\\cf0 {\\cs16\\super 1{\\*\\footnote \\pard\\plain "
         "\\s15\\widctlpar \\f0\\fs20\\lang1031 {\\cs16\\super 1} see \\{here\\}}}}\r\n}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFText doc;
        BuildShape(doc, c.shape);
        if (c.setup) c.setup(doc);
        EXPECT_EQ(bodyOf(doc), c.body);
    }
}

TEST(RtfWriter, ParagraphsReadBackAsWritten) {
    // The last paragraph mark of a text closes its paragraph; an empty last
    // paragraph is written with a mark of its own.
    for (const char* shape : {"a", "a|", "a||", "|", "a|b", "|b|"}) {
        SCOPED_TRACE(shape);
        TRtRTFTextIo doc;
        BuildShape(doc, shape);
        TRtRTFTextIo back;
        ASSERT_EQ(LoadBytes(back, SaveRtf(doc)).Result, rtReadOk);
        EXPECT_EQ(TextOf(back), shape);
    }
}

TEST(TextWriter, PlainTextHasCrLfBetweenParagraphsAndNothingAfter) {
    TRtRTFText doc;
    BuildShape(doc, "ab/cd|e\xE9|");
    TStringStream stream;
    TRtTextWriter writer;
    EXPECT_EQ(save(doc, stream, writer), rtWriteOk);
    EXPECT_EQ(stream.DataString(), "abcd\r\ne\xE9\r\n");
}

TEST(TextWriter, ResultCodes) {
    TRtRTFText doc;
    BuildShape(doc, "some text|more text");
    TRtRTFWriter rtf;
    rtf.Text = &doc;
    TMemoryStream sink;
    EXPECT_EQ(rtf.WriteBody(&sink), rtWriteNothing) << "no range";
    const int64_t rtfSize = static_cast<int64_t>(rtfOf(doc).size());
    for (int64_t room : {int64_t(0), int64_t(10), rtfSize / 2, rtfSize - 2, rtfSize - 1}) {
        ShortStream stream(room);
        TRtRTFWriter writer;
        EXPECT_EQ(save(doc, stream, writer), rtWriteFailed) << room;
    }
    for (int64_t room : {0, 5, 19}) {
        ShortStream stream(room);
        TRtTextWriter writer;
        EXPECT_EQ(save(doc, stream, writer), rtWriteFailed) << room;
    }
}

TEST(RtfWriter, LibreOfficeReadsTheSampleDocument) {
    if (std::system("command -v soffice > /dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice Writer is not installed";
    TRtRTFText doc;
    BuildShape(doc, "Sample heading|Name\tValue|Inside a box|A|B|C|Visible secret text");
    doc.Header->AddFont("Times New Roman");
    doc.Header->FontFamily[1] = 0x10;
    setRun(doc, 0, 0, 14, [](auto& a) { a.Font = 1; a.Size = 16; a.Style = stBold; a.Colors = 1; });
    ParAt(doc, 1)->TabSet = doc.Header->AddTab(2880, tkRight);
    ParAt(doc, 2)->TableFlags = tfBorder | tfAllSides | tfBoxEnds | (1u << 16) | (3u << 24);
    for (int i = 3; i < 6; ++i) {
        TParagraph* p = ParAt(doc, i);
        p->ParFlags = pfTableCell | (i > 3 ? pfNotFirstCell : 0) | (i < 5 ? pfCellFollows : 0);
        p->TabSet = static_cast<uint32_t>((i - 3) * 85) | (85u << 8);
        p->TableFlags = tfBorder | tfAllSides | (1u << 16);
    }
    setRun(doc, 6, 7, 14, [](auto& a) { a.Special = spHidden; });

    TempDir dir;
    const std::string rtfName = dir.path() + "/sample.rtf";
    {
        TFileStream out(rtfName, fmCreate);
        TRtRTFWriter writer;
        ASSERT_EQ(save(doc, out, writer), rtWriteOk);
    }
    auto convert = [&](const std::string& format, const std::string& extension) {
        std::string command = "cd '" + dir.path() + "' && HOME='" + dir.path() + "' soffice --headless --convert-to " +
                              format + " --outdir '" + dir.path() + "' '" + rtfName + "' > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << format;
        std::ifstream in(dir.path() + "/sample." + extension, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    };
    std::string text = convert("txt:Text", "txt");
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    // The text filter exports hidden text too; the flat document below shows it hidden.
    EXPECT_EQ(text, "Sample heading\nName\tValue\nInside a box\nA\nB\nC\nVisible secret text\n");

    std::string flat = convert("fodt", "fodt");
    const char* const expectedPieces[] = {
        R"(fo:color="#ff0000" loext:opacity="100%" style:font-name="Times New Roman" fo:font-size="16pt" )"
        R"(fo:font-weight="bold")",
        R"(<style:tab-stop style:position="2in" style:type="right"/>)",
        R"(fo:border="0.99pt solid #0000ff")",
        R"(text:display="none")",
        R"(fo:page-width="8.5in" fo:page-height="11in")",
    };
    for (const char* piece : expectedPieces) EXPECT_NE(flat.find(piece), std::string::npos) << piece;
    size_t row = flat.find("<table:table-row");
    ASSERT_NE(row, std::string::npos) << "a table row";
    std::string cells = flat.substr(row, flat.find("</table:table-row>", row) - row);
    for (const char* cell : {">A<", ">B<", ">C<"}) EXPECT_NE(cells.find(cell), std::string::npos) << cell;
}
