// Loading and saving documents: format detection, files, insertion, the
// "Data" property, copying, cursor indexes, the vertical pass, the string
// view and the attribute accessor.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "RtfDocGenerator.h"
#include "RtfTestSupport.h"
#include "base/Exceptions.h"
#include "base/Streams.h"
#include "richtext/RtInvariants.h"
#include "richtext/RtRtfReader.h"
#include "richtext/RtSetMode.h"
#include "support/TempDir.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(RtfLoad, FormatIsDetectedFromTheFirstBytes) {
    struct Case {
        const char* name;
        std::string bytes;
        TRtLoadFormat format;
        std::string text;
    } cases[] = {
        {"blanks, line ends, tabs and backspaces before the group", " \r\n\t\b{\\rtf1 a}", FormatRTF, "a"},
        {"a blank between brace and backslash", "{ \\rtf1 a}", FormatANSI, "{ \\rtf1 a}"},
        {"another letter in place of t", "{\\rxf1 a}", FormatANSI, "{\\rxf1 a}"},
        {"plain text", "one\r\ntwo", FormatANSI, "one|two"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFTextIo doc;
        TStringStream stream(c.bytes);
        EXPECT_EQ(doc.LoadFromStream(&stream), c.format);
        EXPECT_EQ(TextOf(doc), c.text);
    }
}

TEST(RtfLoad, LargePlainTextLoadsWithoutAttributes) {
    TRtRTFTextIo doc;
    std::string bytes(500001, 'x');
    TStringStream stream(bytes);
    EXPECT_EQ(doc.LoadFromStream(&stream), FormatANSI);
    EXPECT_EQ(doc.MemoryFormat, fmPlainText);
    EXPECT_EQ(RtCheckInvariants(doc), "");
    EXPECT_EQ(TextOf(doc), bytes);
}

TEST(RtfLoad, InsertingIntoTextKeepsTheTitleAndTheRest) {
    TRtRTFTextIo doc;
    LoadBytes(doc, "{\\rtf1 {\\title Kept}before after}");
    doc.CurPos = 7;
    TLoadOutcome out = LoadBytes(doc, "{\\rtf1 {\\title New}{\\b mid}\\par x}");
    EXPECT_EQ(out.Result, rtReadOk);
    EXPECT_EQ(doc.Header->Title, "Kept");
    EXPECT_EQ(TextOf(doc), "before mid|xafter");
    EXPECT_EQ(RtCheckInvariants(doc, {{doc.CurPar, doc.CurLine, doc.CurPos}}), "");
    EXPECT_TRUE(AttrAt(doc, 7).Style & stBold);
}

TEST(RtfLoad, AStopCodeReachesLastResultAndKeepsWhatWasRead) {
    TRtRTFTextIo doc;
    TLoadOutcome out = LoadBytes(doc, "{\\rtf1 read\\par kept\\'xx lost}");
    EXPECT_EQ(out.Result, rtReadBadHex);
    EXPECT_EQ(TextOf(doc), "read|kept");
}

TEST(RtfSave, FormatFollowsTheNameTheSettingAndTheDocument) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string file;
        TRtLoadFormat saveFormat;
        bool rich;
        bool rtf;
    } cases[] = {
        {"extension", "a.rtf", AutomaticFormat, false, true},
        {"before a further extension, any case", "x.Rtf.bak", AutomaticFormat, false, true},
        {"no name hint, rich document", "b.txt", AutomaticFormat, true, true},
        {"no name hint, plain document", "c.txt", AutomaticFormat, false, false},
        {"the setting wins over the document", "d.txt", FormatANSI, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFTextIo doc;
        LoadBytes(doc, "{\\rtf1 {\\b hello}}");
        doc.Header->LastLoadFormat = AutomaticFormat;
        doc.Header->HasAttributes = c.rich;
        doc.SaveFormat = c.saveFormat;
        doc.SaveToFile(dir.file(c.file));
        EXPECT_EQ(doc.Status, rtStatusOk);
        EXPECT_EQ(doc.SaveFormat, c.saveFormat);
        std::string saved = readFile(dir.file(c.file));
        EXPECT_EQ(saved.rfind("{\\rtf", 0) == 0, c.rtf) << saved;
        if (!c.rtf) {
            EXPECT_EQ(saved, "hello");
        }
    }
}

TEST(RtfSave, AFailedSaveLeavesTheOldFileWhole) {
    struct Case {
        const char* name;
        bool readOnlyFolder;
    } cases[] = {{"read-only folder", true}, {"the file beside the target cannot be made", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.readOnlyFolder && geteuid() == 0) {
            std::cout << "read-only folder not tried: permissions do not bind this user\n";
            continue;
        }
        TempDir dir;
        std::string folder = dir.file("locked");
        mkdir(folder.c_str(), 0755);
        std::string target = folder + "/memo.rtf";
        writeFile(target, "old contents");
        if (c.readOnlyFolder) chmod(folder.c_str(), 0555);
        else mkdir((target + ".~tmp").c_str(), 0755);
        TRtRTFTextIo doc;
        LoadBytes(doc, "{\\rtf1 new}");
        EXPECT_THROW(doc.SaveToFile(target), EStreamError);
        EXPECT_NE(doc.Status, rtStatusOk);
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(readFile(target), "old contents");
    }
}

TEST(RtfSave, FilesLoadBackAndRememberTheirFormat) {
    TempDir dir;
    TRtRTFTextIo doc;
    GenerateDocument(doc, 7, {true, false, false});
    doc.SaveToFile(dir.file("doc.rtf"));
    TRtRTFTextIo back;
    back.LoadFromFile(dir.file("doc.rtf"));
    EXPECT_EQ(back.Status, rtStatusOk);
    EXPECT_EQ(back.Header->LastLoadFormat, FormatRTF);
    EXPECT_EQ(CompareDocuments(doc, back), "");
}

TEST(RtfData, EmptyIsNotStoredAndStoredEndsWithFourZeros) {
    TRtRTFTextIo doc;
    EXPECT_FALSE(doc.DataStored());
    LoadBytes(doc, "{\\rtf1 {\\i memo} text}");
    ASSERT_TRUE(doc.DataStored());
    TStringStream data;
    doc.WriteData(&data);
    const std::string& bytes = data.DataString();
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));
    EXPECT_EQ(bytes.rfind("{\\rtf1", 0), 0u);

    TRtRTFTextIo back;
    TStringStream in(bytes);
    back.ReadData(&in);
    EXPECT_EQ(TextOf(back), "memo text");
    EXPECT_TRUE(AttrAt(back, 0).Style & stItalic);
    EXPECT_EQ(CompareDocuments(doc, back), "");
}

TEST(RtfCopy, AssignCopiesTextStampsAndPictures) {
    TRtRTFTextIo source;
    source.OnProvideObject = [](uint16_t, TObject*& obj) { obj = ApplicationObject(); };
    for (uint32_t seed : {3u, 11u, 29u, 40u}) {
        SCOPED_TRACE(seed);
        GenerateDocument(source, seed);
        // The header's copy leaves the summary behind, and a copied cell's spacing after is 0.
        source.Header->Title = source.Header->Subject = source.Header->Comment = "";
        for (TParagraph* p = source.FirstPar; p; p = p->Next)
            if (p->ParFlags & pfTableCell) p->SpaceAfter = 0;
        TRtRTFTextIo copy;
        copy.Assign(&source);
        ASSERT_EQ(RtCheckInvariants(copy), "");
        EXPECT_EQ(CompareDocuments(source, copy), "");
        for (const TObjectEntry& e : copy.Objects)
            if (e.Number) {
                EXPECT_NE(e.Obj, source.FindObject(0, e.Number)->Obj) << "a copy, not the same graphic";
            }
    }
}

TEST(RtfCopy, ALongParagraphContinuesOnNewLines) {
    TRtRTFTextIo source;
    std::string text(25000, 'q');
    source.SetParText(0, text, nullptr);
    TRtRTFTextIo copy;
    copy.Assign(&source);
    ASSERT_EQ(RtCheckInvariants(copy), "");
    EXPECT_EQ(TextOf(copy), text);
}

TEST(RtfCursor, IndexesGoBothWays) {
    TRtRTFTextIo doc;
    LoadBytes(doc, "{\\rtf1 abc\\par de\\par fghi}");
    struct Case {
        int charIndex, lineIndex, parIndex, parCharIndex;
        int par, pos;
    } cases[] = {
        {4, 0, 0, 0, 1, 1},  // flat index
        {0, 2, 0, 0, 2, 0},  // line number
        {0, 0, 2, 3, 2, 3},  // paragraph and offset
        {0, 0, 1, 99, 1, 2}, // offset cut to the line
    };
    for (const Case& c : cases) {
        doc.SetCursorIndex(c.charIndex, c.lineIndex, c.parIndex, c.parCharIndex);
        EXPECT_EQ(TRtRTFText::ParagraphNumber(doc.FirstPar, doc.CurPar), c.par);
        EXPECT_EQ(doc.CurPos, c.pos);
        int ci, li, pi, pci;
        doc.GetCursorIndex(ci, li, pi, pci);
        EXPECT_EQ(pi, c.par);
        EXPECT_EQ(pci, c.pos);
        EXPECT_EQ(li, c.par);
    }
}

TEST(RtfLayout, RowsEndTogetherAndPagesBreak) {
    TRtRTFTextIo doc;
    doc.Header->ResY = 0;
    LoadBytes(doc,
              "{\\rtf1 \\paperh2880\\margt0\\margb0 one\\par\\trowd\\cellx2000\\cellx4000\\intbl a\\cell b\\line "
              "c\\line d\\cell\\row\\pard two\\par three\\par four\\par five\\par six\\par seven}");
    for (TParagraph* p = doc.FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) l->Height = 20;
    doc.UpdateLinePositions();
    TParagraph* a = doc.FirstPar->Next;
    TParagraph* b = a->Next;
    auto bottom = [&](TParagraph* p) {
        TLine* last = TRtRTFText::Get_LastLine(p);
        return last->Y + last->Height;
    };
    EXPECT_EQ(a->FirstLine->Y, b->FirstLine->Y);
    EXPECT_EQ(bottom(a), bottom(b));
    // A page of two inches at 96 pixels per inch, the zero resolution's stand-in.
    int breaks = 0;
    for (TParagraph* p = doc.FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next)
            if (l->LineFlags & lfPageBreakAfter) {
                ++breaks;
                EXPECT_GT(l->Y, 192);
            }
    EXPECT_EQ(breaks, 0) << "eight short paragraphs fit on one page of 192 pixels";
}

TEST(RtfLayout, LineMetricsTakeTallestVisibleCharacterAndSpacing) {
    TRtRTFTextIo doc;
    doc.Header->ResY = 1440;
    LoadBytes(doc, "{\\rtf1 \\sb10\\sa20\\sl30 a b}");
    TLine* line = doc.FirstPar->FirstLine;
    line->Attr[0].Height = 12;
    line->Attr[0].Ascent = 9;
    line->Attr[1].Height = 50;  // a space does not count
    line->Attr[2].Height = 14;
    line->Attr[2].Ascent = 11;
    EXPECT_TRUE(doc.CalcLineMetrics(doc.FirstPar, line));
    EXPECT_EQ(line->Height, 14 + 30 + 10 + 20);
    EXPECT_EQ(line->Base, 11 + 15 + 10);
}

TEST(RtfStrings, ParagraphsAsLinesAndPlainTextOut) {
    TRtRTFTextIo doc;
    LoadBytes(doc, "{\\rtf1 {\\b one}\\par two}");
    TRtRtfStrings lines;
    lines.Text = &doc;
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Strings(1), "two");
    lines.Insert(1, "mid");
    lines.SetStrings(0, "first");
    EXPECT_EQ(TextOf(doc), "first|two|mid") << "an index other than 0 inserts after that paragraph";
    lines.Delete(1);
    EXPECT_EQ(TextOf(doc), "first|mid");
    TStringStream out;
    lines.SaveToStream(&out);
    EXPECT_EQ(out.DataString(), "first\r\nmid");
    TStringStream in("{\\rtf1 x\\par y}");
    doc.LoadFormat = FormatANSI;
    lines.LoadFromStream(&in);
    EXPECT_EQ(doc.LoadFormat, FormatANSI);
    EXPECT_EQ(lines.Count(), 3);
}

TEST(RtfSetMode, AccessorsReadTheCursorParagraphAndAttribute) {
    TRtRTFTextIo doc;
    LoadBytes(doc, "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}\\li300\\fi100\\ri50\\qc\\tx720 a\\par"
                   "\\pard\\trowd\\cellx2000\\cellx4000\\intbl b\\cell c\\cell\\row}");
    TRtSetModeControl mode;
    EXPECT_EQ(mode.GetIndentLeft(), 0) << "no document";
    mode.Document = &doc;
    mode.ParagraphChanged();
    mode.AttributesChanged();
    mode.PositionChanged();
    EXPECT_EQ(mode.GetIndentFirst(), 400);
    EXPECT_EQ(mode.GetIndentLeft(), 300);
    EXPECT_EQ(mode.GetIndentRight(), 50);
    EXPECT_EQ(mode.GetAlignment(), 2);
    EXPECT_NE(mode.GetTabs(), 0u);
    doc.CurPar = doc.FirstPar->Next;
    doc.CurLine = doc.CurPar->FirstLine;
    EXPECT_NE(doc.CurPar->TabSet, 0u);
    EXPECT_EQ(mode.GetTabs(), 0u) << "a cell's tab set is its geometry";
    doc.CurAttr = {};
    doc.CurAttr.Style = stBold;
    doc.CurAttr.Special = spHidden;
    doc.CurAttr.Colors = 0x53;
    doc.CurAttr.Size = 14;
    doc.CurAttr.Font = 1;
    EXPECT_EQ(mode.GetStyle(), stBold | (spHidden << 8));
    EXPECT_EQ(mode.GetTextColor(), 3);
    EXPECT_EQ(mode.GetBackColor(), 5);
    EXPECT_EQ(mode.GetFontSize(), 14);
    EXPECT_EQ(mode.GetFontName(), "Courier New");
    doc.CurAttr.Font = 99;
    EXPECT_EQ(mode.GetFontName(), "");
}
