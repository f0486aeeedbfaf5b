// The RTF reader on small snippets: what each stores, where it leaves the
// stream and the code it ends with; hostile input; pictures.
#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <string>

#include "RtfTestSupport.h"
#include "base/Streams.h"
#include "richtext/RtInvariants.h"
#include "richtext/RtRtfReader.h"
#include "ui/Metafile.h"

namespace {

using Check = std::function<void(TRtRTFTextIo&)>;

struct Snippet {
    const char* name;
    std::string rtf;
    std::string text;
    uint8_t result;
    int64_t position;  // -1: the whole input consumed
    Check check;
};

void runSnippets(const std::vector<Snippet>& cases) {
    for (const Snippet& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFTextIo doc;
        doc.LoadFormat = FormatRTF;
        TLoadOutcome out = LoadBytes(doc, c.rtf);
        ASSERT_EQ(RtCheckInvariants(doc), "");
        EXPECT_EQ(out.Result, c.result);
        EXPECT_EQ(out.Position, c.position < 0 ? static_cast<int64_t>(c.rtf.size()) : c.position);
        EXPECT_EQ(TextOf(doc), c.text);
        if (c.check) c.check(doc);
    }
}

TParagraph* par(TRtRTFTextIo& doc, int n) {
    TParagraph* p = doc.FirstPar;
    while (p && n-- > 0) p = p->Next;
    return p;
}

}  // namespace

TEST(RtfReader, EdgeCases) {
    const std::string longWord(40, 'a');
    runSnippets({
        {"reading stops after the outermost group", "{\\rtf1 ab}cd", "ab", 0, 10, nullptr},
        {"an upper-case letter is a symbol, the letters after it text", "{\\rtf1 \\Bold x}", "old x", 0, -1,
         nullptr},
        {"b0 clears bold, b and b5 set it", "{\\rtf1 \\b a\\b0 b\\b5 c}", "abc", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_TRUE(AttrAt(d, 0).Style & stBold);
             EXPECT_FALSE(AttrAt(d, 1).Style & stBold);
             EXPECT_TRUE(AttrAt(d, 2).Style & stBold);
         }},
        {"fs without a parameter is 50 points", "{\\rtf1 \\fs x\\fs21 y}", "xy", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_EQ(AttrAt(d, 0).Size, 50);
             EXPECT_EQ(AttrAt(d, 1).Size, 10);
         }},
        {"a starred group of an unknown word is dropped", "{\\rtf1 a{\\*\\foo b}c}", "ac", 0, -1, nullptr},
        {"the same group without the star keeps its text", "{\\rtf1 a{\\foo b}c}", "abc", 0, -1, nullptr},
        {"a hex escape stores its byte", "{\\rtf1 caf\\'e9}", "caf\xE9", 0, -1, nullptr},
        {"a bad hex escape ends the read with 4, what was read stays", "{\\rtf1 ab\\'zq cd}", "ab", 4, 12,
         nullptr},
        {"a second title is skipped", "{\\rtf1 {\\title One}{\\title Two}x}", "x", 0, -1,
         [](TRtRTFTextIo& d) { EXPECT_EQ(d.Header->Title, "One"); }},
        {"pard resets the left indent", "{\\rtf1 \\li720\\pard x}", "x", 0, -1,
         [](TRtRTFTextIo& d) { EXPECT_EQ(d.FirstPar->IndentLeft, 0); }},
        {"raw code runs to the end marker, the marker is not stored", "{\\rtf1 \\rtrtf1 {\\b}\\\\x\\rtrtf0 z}",
         "{\\b}\\\\xz", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_TRUE(AttrAt(d, 0).Special & spRtfCode);
             EXPECT_TRUE(AttrAt(d, 6).Special & spRtfCode);
             EXPECT_FALSE(AttrAt(d, 7).Special & spRtfCode);
         }},
        {"par inside a table row stores a space and starts a paragraph",
         "{\\rtf1 \\trowd\\cellx1000\\intbl a\\par b\\cell\\row}", "a |b|", 0, -1,
         [](TRtRTFTextIo& d) { EXPECT_TRUE(par(d, 1)->ParFlags & pfTableCell); }},
        {"a word of more than 29 letters is cut and its letters are not text", "{\\rtf1 \\" + longWord + " z}",
         "z", 0, -1, nullptr},
        {"fonts numbered 99 or more are ignored",
         "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f99 Bad;}{\\f1 Courier;}}\\f1 a\\f99 b}", "ab", 0, -1,
         [](TRtRTFTextIo& d) {
             int courier = AttrAt(d, 0).Font;
             EXPECT_EQ(d.Header->FontName[courier], "Courier");
             EXPECT_EQ(AttrAt(d, 1).Font, courier);
             for (const std::string& name : d.Header->FontName) EXPECT_NE(name, "Bad");
         }},
        {"colour entries after the fifteenth are ignored",
         "{\\rtf1{\\colortbl\\red1;\\red2;\\red3;\\red4;\\red5;\\red6;\\red7;\\red8;\\red9;\\red10;\\red11;\\red12;"
         "\\red13;\\red14;\\red15;\\red16;\\red17;}\\cf15 a\\cf16 b}",
         "ab", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_EQ(d.Header->Palette[0].Red, 1);
             EXPECT_EQ(d.Header->Palette[14].Red, 15);
             EXPECT_NE(d.Header->Palette[15].Red, 16);
             EXPECT_EQ(AttrAt(d, 0).Colors & 0x0F, 15);
             EXPECT_EQ(AttrAt(d, 1).Colors & 0x0F, 15);
         }},
        {"line and tab are characters of the paragraph", "{\\rtf1 a\\line b\\tab c}", "a\nb\tc", 0, -1, nullptr},
        {"quotes are straight", "{\\rtf1 \\ldblquote x\\rdblquote}", "\"x\"", 0, -1, nullptr},
        {"a backslash before a line end ends the paragraph", "{\\rtf1 a\\\r\nb}", "a|b", 0, -1, nullptr},
        {"escaped braces and backslash are text", "{\\rtf1 \\{\\}\\\\}", "{}\\", 0, -1, nullptr},
        {"cell borders before each cellx go to that cell",
         "{\\rtf1 \\trowd\\trgaph112\\clbrdrt\\brdrw40\\cellx2000\\clbrdrb\\brdrcf3\\cellx4000\\intbl a\\cell "
         "b\\cell\\row}",
         "a|b|", 0, -1,
         [](TRtRTFTextIo& d) {
             TParagraph* a = par(d, 0);
             TParagraph* b = par(d, 1);
             EXPECT_EQ(a->TableFlags, tfBorder | tfBoxEnds | tfTop | (2u << 16) | (2u << 28));
             EXPECT_EQ(b->TableFlags, tfBorder | tfBoxEnds | tfBottom | (3u << 24) | (2u << 28));
             EXPECT_EQ(CellStart(a), 0);
             EXPECT_EQ(CellWidth(a), 128);
             EXPECT_EQ(CellStart(b), 128);
             EXPECT_EQ(CellWidth(b), 127);
             EXPECT_EQ(a->ParFlags, pfTableCell | pfCellFollows);
             EXPECT_EQ(b->ParFlags, pfTableCell | pfNotFirstCell);
             EXPECT_EQ(par(d, 2)->TableFlags, 0u);
         }},
        {"paragraph borders after a bordered table survive",
         "{\\rtf1 \\trowd\\clbrdrt\\brdrw20\\cellx2000\\cellx4000\\intbl a\\cell b\\cell\\row\\pard\\brdrb "
         "c\\par d}",
         "a|b|c|d", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_TRUE(par(d, 2)->TableFlags & tfBottom);
             EXPECT_FALSE(par(d, 2)->ParFlags & pfTableCell);
         }},
        {"a footnote becomes a stamp anchored at its mark", "{\\rtf1 x{\\super 1{\\*\\footnote 1 the note}}y}",
         "x1y", 0, -1,
         [](TRtRTFTextIo& d) {
             TCharAttr mark = AttrAt(d, 1);
             ASSERT_TRUE(mark.Special & spFootnote);
             EXPECT_FALSE(mark.Style & stSuperscript);
             TStampEntry* s = d.FindStamp(mark.Tag);
             ASSERT_NE(s, nullptr);
             EXPECT_EQ(s->Text, "the note");
             EXPECT_EQ(s->Kind, '1');
         }},
        {"a field of the set is an insert point with its number", "{\\rtf1 {\\field X12}}", "X", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_TRUE(AttrAt(d, 0).Special & spInsertPoint);
             EXPECT_EQ(AttrAt(d, 0).Tag, 12);
         }},
        {"a HYPERLINK field is text in the hyperlink style and its hidden address",
         "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://x.org/\"}{\\fldrslt {\\ul link}}} after}",
         "linkhttp://x.org/ after", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_TRUE(AttrAt(d, 0).Style & stHyperlink);
             EXPECT_FALSE(AttrAt(d, 0).Special & spHidden);
             EXPECT_TRUE(AttrAt(d, 4).Special & spHidden);
             EXPECT_FALSE(AttrAt(d, 4).Style & stHyperlink);
             EXPECT_FALSE(AttrAt(d, 18).Special & spHidden);
         }},
        {"another field's result is ordinary text", "{\\rtf1 {\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}}", "3", 0,
         -1, [](TRtRTFTextIo& d) { EXPECT_EQ(AttrAt(d, 0).Special, 0); }},
        {"u stores the Windows-1252 byte and skips the fallback", "{\\rtf1 \\u8364?x\\u1234?y\\u-4064 z}",
         "\x80x?yz", 0, -1, nullptr},
        {"uc sets how many fallback characters follow", "{\\rtf1 \\uc2\\u233\\'3f\\'3f c}", "\xE9 c", 0, -1,
         nullptr},
        {"bin bytes are not parsed", "{\\rtf1 a{\\*\\foo\\bin3 }{}}b}", "ab", 0, -1, nullptr},
        {"pard resets indents and spacing", "{\\rtf1 \\li720\\sb100 a\\par\\pard b}", "a|b", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_EQ(par(d, 0)->IndentLeft, 720);
             EXPECT_EQ(par(d, 0)->SpaceBefore, 100);
             EXPECT_EQ(par(d, 1)->IndentLeft, 0);
             EXPECT_EQ(par(d, 1)->SpaceBefore, 0);
         }},
        {"first-line indents become absolute", "{\\rtf1 \\li720\\fi-360 a}", "a", 0, -1,
         [](TRtRTFTextIo& d) { EXPECT_EQ(d.FirstPar->IndentFirst, 360); }},
        {"tabs and their kinds", "{\\rtf1 \\tx720\\tqr\\tx1440\\tqc\\tx2160\\tqdec\\tx2880 a}", "a", 0, -1,
         [](TRtRTFTextIo& d) {
             const TTextHeader& h = *d.Header;
             uint32_t set = d.FirstPar->TabSet;
             int found = 0;
             for (int i = 0; i < rtTabsUsable; ++i) {
                 if (!(set & (1u << i))) continue;
                 ++found;
                 TTabKind expected = h.TabPosTw[i] == 720    ? tkLeft
                                     : h.TabPosTw[i] == 1440 ? tkRight
                                     : h.TabPosTw[i] == 2160 ? tkCenter
                                                             : tkDecimal;
                 EXPECT_EQ(h.TabKind[i], expected) << h.TabPosTw[i];
             }
             EXPECT_EQ(found, 4);
         }},
        {"page words set the header", "{\\rtf1 \\paperw11906\\paperh16838\\margl1000\\margr900\\margt800\\margb700 x}",
         "x", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_EQ(d.Header->PageWidth, 11906);
             EXPECT_EQ(d.Header->PageHeight, 16838);
             EXPECT_EQ(d.Header->MarginLeft, 1000);
             EXPECT_EQ(d.Header->MarginRight, 900);
             EXPECT_EQ(d.Header->MarginTop, 800);
             EXPECT_EQ(d.Header->MarginBottom, 700);
         }},
        {"more } than { ends with 1", "}{\\rtf1 x}", "", 1, 1, nullptr},
        {"a } after the outermost group stays unread", "{\\rtf1 a}}", "a", 0, 9, nullptr},
        {"a cut stream inside a control word ends with 7", "{\\rtf1 ab\\", "ab", 7, -1, nullptr},
        {"a stream ending inside a group is not a success", "{\\rtf1 ab\\par cd", "ab|cd", 7, -1, nullptr},
    });
}

// Words other word processors write: raised and lowered text, highlighting,
// line spacing as a multiple, page breaks before, the default font and size,
// the last paragraph mark and table cells after an indented paragraph.
TEST(RtfReader, WordsOfOtherWordProcessors) {
    // A table of 17 colours: the 16th (a yellow the palette has no room
    // for) is nearest to the palette's 3rd.
    std::string colours = "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue0;";
    for (int i = 3; i < 16; ++i) colours += "\\red0\\green0\\blue" + std::to_string(i * 10) + ";";
    colours += "\\red250\\green240\\blue20;}";
    runSnippets({
        {"up and dn raise and lower, 0 ends either", "{\\rtf1 a{\\up6 b}\\dn4 c\\dn0 d\\up e}", "abcde", 0, -1,
         [](TRtRTFTextIo& d) {
             const uint8_t expected[] = {0, stSuperscript, stSubscript, 0, stSuperscript};
             for (int i = 0; i < 5; ++i)
                 EXPECT_EQ(AttrAt(d, i).Style & (stSuperscript | stSubscript), expected[i]) << i;
         }},
        {"highlight and chcbpat take the nearest palette colour, 0 none",
         "{\\rtf1" + colours + "\\highlight16 a\\highlight0 b\\chcbpat16 c\\chcbpat0 d}", "abcd", 0, -1,
         [](TRtRTFTextIo& d) {
             const int expected[] = {2, 0, 2, 0};
             for (int i = 0; i < 4; ++i) EXPECT_EQ(AttrAt(d, i).Colors >> 4, expected[i]) << i;
         }},
        {"slmult1 makes sl a multiple of the line; sl alone stays as written",
         "{\\rtf1 \\fs24\\sl276\\slmult1 a\\par\\pard\\sl360 b\\par\\pard\\sl240\\slmult1 c}", "a|b|c", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_EQ(par(d, 0)->LineSpacing, 41);  // 0.15 of 12 points x 1.15
             EXPECT_EQ(par(d, 1)->LineSpacing, 360);
             EXPECT_EQ(par(d, 2)->LineSpacing, 0);
         }},
        {"pagebb breaks before its own paragraph", "{\\rtf1 a\\par\\pagebb b\\par\\pard c}", "a|b|c", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_FALSE(par(d, 0)->ParFlags & pfPageBreak);
             EXPECT_TRUE(par(d, 1)->ParFlags & pfPageBreak);
             EXPECT_FALSE(par(d, 2)->ParFlags & pfPageBreak);
         }},
        {"deff and style 0 give the font and size of text and of plain",
         "{\\rtf1\\deff1{\\fonttbl{\\f0 Arial;}{\\f1 Liberation Serif;}}"
         "{\\stylesheet{\\s0\\fs24 Normal;}{\\s1\\f0\\fs40 Heading;}{\\*\\cs2\\fs8 Small;}}a\\f0\\fs16 b\\plain c}",
         "abc", 0, -1,
         [](TRtRTFTextIo& d) {
             const char* fonts[] = {"Liberation Serif", "Arial", "Liberation Serif"};
             const int sizes[] = {12, 8, 12};
             for (int i = 0; i < 3; ++i) {
                 EXPECT_EQ(d.Header->FontName[AttrAt(d, i).Font], fonts[i]) << i;
                 EXPECT_EQ(AttrAt(d, i).Size, sizes[i]) << i;
             }
         }},
        {"the last paragraph mark opens no paragraph", "{\\rtf1 a\\par b\\par }", "a|b", 0, -1, nullptr},
        {"an empty paragraph before the last mark stays", "{\\rtf1 a\\par\\par }", "a|", 0, -1, nullptr},
        {"cellx counts from the row's left, not from the indent before the row",
         "{\\rtf1 \\li709 a\\par\\trowd\\cellx3000\\cellx6000\\pard\\intbl x\\cell y\\cell\\row\\pard z}",
         "a|x|y|z", 0, -1,
         [](TRtRTFTextIo& d) {
             EXPECT_EQ(CellWidth(par(d, 1)), 128);
             EXPECT_EQ(CellWidth(par(d, 2)), 127);
         }},
    });
}

TEST(RtfReader, APastedPieceKeepsItsLastParagraphMark) {
    TRtRTFTextIo doc;
    LoadBytes(doc, "{\\rtf1 xy}");
    doc.SetCursorIndex(1, -1, -1, -1);
    TStringStream piece("{\\rtf1 a\\par }");
    TRtRtfReader reader;
    doc.ReadText(&piece, &reader);
    EXPECT_EQ(TextOf(doc), "xa|y");
}

TEST(RtfReader, HostileInputEndsSafely) {
    std::string nested(5000, '{');
    std::string longParagraph = "{\\rtf1 ";
    for (int i = 0; i < 2 * 1024 * 1024; ++i) longParagraph += static_cast<char>('a' + i % 26);
    longParagraph += "}";
    struct Case {
        const char* name;
        std::string rtf;
        uint8_t result;
        std::string textStart;
    } cases[] = {
        {"5000 nested groups", "{\\rtf1 a" + nested, rtReadLimit, "a"},
        {"negative bin", "{\\rtf1 a\\bin-5 b}", 0, "ab"},
        {"bin beyond the data", "{\\rtf1 a\\bin99999999 bc}", 7, "abc}"},
        {"huge font size", "{\\rtf1 \\fs99999 a}", 0, "a"},
        {"bad hex digits", "{\\rtf1 a\\'zz}", rtReadBadHex, "a"},
        {"extra closing braces", "}}}", rtReadUnbalanced, ""},
        {"unicode out of range", "{\\rtf1 \\u-70000?x}", 0, "?x"},
        {"a 2 MB paragraph", longParagraph, 0, "abcdefghij"},
        {"cut inside a control word", "{\\rtf1 \\pa", 7, ""},
        {"cut after a minus", "{\\rtf1 \\li-", 7, ""},
        {"a number beyond 32 bits", "{\\rtf1 a\\li99999999999 b}", 7, "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFTextIo doc;
        doc.LoadFormat = FormatRTF;
        TLoadOutcome out = LoadBytes(doc, c.rtf);
        ASSERT_EQ(RtCheckInvariants(doc), "");
        EXPECT_EQ(out.Result, c.result);
        std::string text = TextOf(doc);
        EXPECT_EQ(text.substr(0, c.textStart.size()), c.textStart);
        if (std::string(c.name) == "huge font size") {
            EXPECT_EQ(AttrAt(doc, 0).Size, 255);
        }
        if (c.rtf == longParagraph) {
            EXPECT_EQ(text, longParagraph.substr(7, longParagraph.size() - 8));
        }
    }
}

namespace {

std::string hexOf(const std::string& bytes, bool upper = false) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& s, unsigned v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// A packed 2x1 DIB of 24 bits: a red and a blue pixel.
std::string twoPixelDib() {
    std::string s;
    put32(s, 40);
    put32(s, 2);
    put32(s, 1);
    put16(s, 1);
    put16(s, 24);
    put32(s, 0);
    put32(s, 8);
    put32(s, 0);
    put32(s, 0);
    put32(s, 0);
    put32(s, 0);
    s += std::string("\x00\x00\xFF\xFF\x00\x00\x00\x00", 8);
    return s;
}

// A Windows metafile (no placeable header) of one StretchDIB record holding the DIB.
std::string metafileWithBitmap() {
    std::string dib = twoPixelDib();
    std::string record;
    put32(record, static_cast<unsigned>((6 + 22 + dib.size()) / 2));
    put16(record, 0x0F43);
    put32(record, 0x00CC0020);
    put16(record, 0);
    for (int i = 0; i < 8; ++i) put16(record, 0);
    record += dib;
    std::string end;
    put32(end, 3);
    put16(end, 0);
    std::string header;
    put16(header, 1);
    put16(header, 9);
    put16(header, 0x300);
    put32(header, static_cast<unsigned>((18 + record.size() + end.size()) / 2));
    put16(header, 0);
    put32(header, static_cast<unsigned>(record.size() / 2));
    put16(header, 0);
    return header + record + end;
}

template <class Graphic>
Graphic* pictureOf(TRtRTFTextIo& doc) {
    TCharAttr a = AttrAt(doc, 0);
    if (!(a.Special & spObject)) return nullptr;
    TObjectEntry* e = doc.FindObject(0, a.Tag);
    return e ? dynamic_cast<Graphic*>(e->Obj) : nullptr;
}

}  // namespace

TEST(RtfReader, PicturesBecomeGraphics) {
    // Device-dependent bits of 24 bits, rows padded to 16 bits: red, blue.
    std::string ddb("\x00\x00\xFF\xFF\x00\x00", 6);
    std::string wmf = metafileWithBitmap();
    struct Case {
        const char* name;
        std::string rtf;
        bool stored;
        std::function<void(TRtRTFTextIo&)> check;
    } cases[] = {
        {"device-dependent bitmap",
         "{\\rtf1 {\\pict\\wbitmap0\\wbmbitspixel24\\wbmplanes1\\wbmwidthbytes6\\picw2\\pich1\\picwgoal300"
         "\\pichgoal150 " + hexOf(ddb) + "}}",
         true,
         [](TRtRTFTextIo& d) {
             TBitmap* b = pictureOf<TBitmap>(d);
             ASSERT_NE(b, nullptr);
             QImage image = b->toImage();
             EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
             EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 255));
             TObjectEntry* e = d.FindObject(0, AttrAt(d, 0).Tag);
             EXPECT_EQ(e->WidthTw, 300);
             EXPECT_EQ(e->HeightTw, 150);
         }},
        {"upper-case hex digits count",
         "{\\rtf1 {\\pict\\wbitmap0\\wbmbitspixel24\\wbmwidthbytes6\\picw2\\pich1 " + hexOf(ddb, true) + "}}", true,
         [](TRtRTFTextIo& d) {
             TBitmap* b = pictureOf<TBitmap>(d);
             ASSERT_NE(b, nullptr);
             EXPECT_EQ(b->toImage().pixel(0, 0), qRgb(255, 0, 0));
         }},
        {"device-independent bitmap, scaled goal",
         "{\\rtf1 {\\pict\\dibitmap0\\picw2\\pich1\\picwgoal300\\pichgoal150\\picscalex50 " + hexOf(twoPixelDib()) +
             "}}",
         true,
         [](TRtRTFTextIo& d) {
             TBitmap* b = pictureOf<TBitmap>(d);
             ASSERT_NE(b, nullptr);
             EXPECT_EQ(b->toImage().pixel(1, 0), qRgb(0, 0, 255));
             EXPECT_EQ(d.FindObject(0, AttrAt(d, 0).Tag)->WidthTw, 150);
         }},
        {"metafile keeps its bytes behind a placeable header",
         "{\\rtf1 {\\pict\\wmetafile8\\picw2\\pich1\\picwgoal300\\pichgoal150\r\n" + hexOf(wmf) + "}}", true,
         [wmf](TRtRTFTextIo& d) {
             TMetafile* m = pictureOf<TMetafile>(d);
             ASSERT_NE(m, nullptr);
             EXPECT_EQ(m->windowsMetafileBytes(), wmf);
             EXPECT_EQ(m->Width(), 2);
             ASSERT_NE(m->recordBitmap(), nullptr);
             EXPECT_EQ(m->recordBitmap()->Width(), 2);
             const std::string& bytes = m->bytes();
             EXPECT_EQ(bytes.substr(0, 4), std::string("\xD7\xCD\xC6\x9A", 4));
             unsigned sum = 0;
             for (int i = 0; i < 10; ++i)
                 sum ^= static_cast<unsigned char>(bytes[2 * i]) | (static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
             EXPECT_EQ(sum, static_cast<unsigned char>(bytes[20]) | (static_cast<unsigned>(static_cast<unsigned char>(bytes[21])) << 8));
         }},
        {"another program's picture form is skipped, its metafile read",
         "{\\rtf1 {\\*\\shppict{\\pict\\pngblip 89504e47}}{\\nonshppict{\\pict\\wmetafile8\\picw2\\pich1 " +
             hexOf(wmf) + "}}}",
         true, [](TRtRTFTextIo& d) { EXPECT_NE(pictureOf<TMetafile>(d), nullptr); }},
        {"bitmap bits shorter than their rows are refused",
         "{\\rtf1 {\\pict\\wbitmap0\\wbmbitspixel24\\wbmwidthbytes6\\picw2\\pich5 " + hexOf(ddb) + "}x}", false,
         nullptr},
        {"a picture of no known kind stores nothing", "{\\rtf1 {\\pict\\pngblip 89504e470d0a}x}", false, nullptr},
        {"a picture over 32 MiB is dropped and reading goes on",
         "{\\rtf1 {\\pict\\wbitmap0\\wbmbitspixel8\\wbmwidthbytes16384\\picw4096\\pich2049\\bin" +
             std::to_string(16384 * 2049) + " " + std::string(16384 * 2049, 'z') + "}x}",
         false, [](TRtRTFTextIo& d) { EXPECT_EQ(TextOf(d), "x"); }},
        {"binary picture data", "{\\rtf1 {\\pict\\wbitmap0\\wbmbitspixel24\\wbmwidthbytes6\\picw2\\pich1\\bin6 " + ddb +
             "}}",
         true, [](TRtRTFTextIo& d) { EXPECT_EQ(pictureOf<TBitmap>(d)->toImage().pixel(1, 0), qRgb(0, 0, 255)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFTextIo doc;
        TLoadOutcome out = LoadBytes(doc, c.rtf);
        ASSERT_EQ(RtCheckInvariants(doc), "");
        EXPECT_EQ(out.Result, 0);
        EXPECT_EQ(TextOf(doc)[0] == rtObjectByNumber, c.stored);
        if (c.check) c.check(doc);
    }
}
