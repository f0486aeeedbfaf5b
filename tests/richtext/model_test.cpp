// The document model: primitive operations run in sequences, the document
// checked for soundness after every step.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "base/Exceptions.h"
#include "richtext/RtInvariants.h"
#include "richtext/RtProgress.h"
#include "richtext/RtTestDoc.h"

namespace {

using Step = std::function<void(TRtRTFText&)>;

struct Sequence {
    const char* name;
    const char* shape;
    std::vector<Step> steps;
    const char* expected;
};

void markCell(TRtRTFText& d, int par) { ParAt(d, par)->ParFlags |= pfTableCell; }

void protectChar(TRtRTFText& d, int par, int line, int pos) {
    d.Protection.Include(ppProtected);
    LineAt(d, par, line)->Attr[pos].Special |= spProtected;
}

TParagraph* chainOf(TRtRTFText& d, const std::string& first, const std::string& second) {
    TParagraph* a = nullptr;
    d.NewParagraph(a, 20);
    d.ReplaceInLine(a, a->FirstLine, nullptr, static_cast<int>(first.size()), first.data(), 0, 0);
    TParagraph* b = a;
    d.NewParagraph(b, 20);
    d.ReplaceInLine(b, b->FirstLine, nullptr, static_cast<int>(second.size()), second.data(), 0, 0);
    return a;
}

}  // namespace

TEST(RtModel, PrimitiveSequencesKeepTheDocumentSound) {
    auto del = [](int par, int line, int pos) {
        return [=](TRtRTFText& d) { d.DeleteChar(ParAt(d, par), LineAt(d, par, line), pos); };
    };
    auto ins = [](int par, int line, char c, int pos) {
        return [=](TRtRTFText& d) { d.InsertChar(ParAt(d, par), LineAt(d, par, line), c, pos); };
    };
    const Sequence cases[] = {
        {"delete inside a line", "abc", {del(0, 0, 1)}, "ac"},
        {"delete at the end of the last line changes nothing", "ab|cd", {del(1, 0, 2)}, "ab|cd"},
        {"delete at a paragraph end joins the next", "ab|cd/ef", {del(0, 0, 2)}, "ab/cd/ef"},
        {"a table cell is never joined", "ab|cd", {[](auto& d) { markCell(d, 0); }, del(0, 0, 2)}, "ab|cd"},
        {"nor is the paragraph before a cell", "ab|cd", {[](auto& d) { markCell(d, 1); }, del(0, 0, 2)}, "ab|cd"},
        {"delete at a line end joins the next line without its first character", "ab/cd", {del(0, 0, 2)}, "abd"},
        {"a protected first character stays when lines join", "ab/cd",
         {[](auto& d) { protectChar(d, 0, 1, 0); }, del(0, 0, 2)}, "abcd"},
        {"a protected character is not deleted", "abc",
         {[](auto& d) { protectChar(d, 0, 0, 1); }, del(0, 0, 1)}, "abc"},
        {"positions out of range do nothing", "ab",
         {del(0, 0, -1), ins(0, 0, 'x', -5), [](auto& d) { d.SplitParagraph(ParAt(d, 0), nullptr, 1); },
          [](auto& d) { d.ReplaceInLine(ParAt(d, 0), LineAt(d, 0, 0), nullptr, 1, "z", 1, 9); }},
         "ab"},
        {"insert inside and after the end", "ac", {ins(0, 0, 'b', 1), ins(0, 0, 'd', 99)}, "abcd"},
        {"overwrite keeps the length inside and appends at the end", "abc",
         {[](auto& d) { d.InsertMode = false; }, ins(0, 0, 'X', 1), ins(0, 0, 'Y', 3)}, "aXcY"},
        {"split moves the rest and the following lines", "ab/cd/ef",
         {[](auto& d) { d.SplitParagraph(ParAt(d, 0), LineAt(d, 0, 1), 1); }}, "ab/c|d/ef"},
        {"text inserted on a line of its own", "abcd",
         {[](auto& d) { d.InsertTextAt(ParAt(d, 0), 2, nullptr, "XY"); }}, "ab/XY/cd"},
        {"range deleted across lines", "ab/cd/ef", {[](auto& d) { d.DeleteRange(ParAt(d, 0), 1, 4); }}, "a//f"},
        {"removing a paragraph's first line gives the rest to the one before", "ab|cd/ef",
         {[](auto& d) { d.RemoveLine(ParAt(d, 1), LineAt(d, 1, 0)); }}, "ab/ef"},
        {"the last line of the document is only emptied", "ab",
         {[](auto& d) { d.RemoveLine(ParAt(d, 0), LineAt(d, 0, 0)); }}, ""},
        {"paragraphs deleted by index", "ab|cd/ef|gh",
         {[](auto& d) { d.DeleteParagraph(1); }, [](auto& d) { d.DeleteParagraph(0); },
          [](auto& d) { d.DeleteParagraph(7); }},
         "gh"},
        {"paragraphs inserted by index; an empty document is reused", "",
         {[](auto& d) { d.InsertParagraph(3, "b", nullptr); }, [](auto& d) { d.InsertParagraph(0, "a", nullptr); },
          [](auto& d) { d.InsertParagraph(9, "c", nullptr); }},
         "a|b|c"},
        {"paragraph text set by index, the last for one too far", "ab/cd|ef",
         {[](auto& d) { d.SetParText(0, "x", nullptr); }, [](auto& d) { d.SetParText(8, "y", nullptr); }}, "x|y"},
        {"a chain of paragraphs inserted inside a line", "abcd",
         {[](auto& d) {
             TParagraph* par = ParAt(d, 0);
             TLine* line = par->FirstLine;
             int pos = 2;
             ASSERT_TRUE(d.InsertParagraphs(par, line, chainOf(d, "X", "Y"), pos));
             EXPECT_EQ(std::string(line->Text.get()), "cd");
             EXPECT_EQ(pos, 0);
         }},
         "ab/X|Y/cd"},
        {"no chain goes into a table cell", "ab",
         {[](auto& d) {
             markCell(d, 0);
             TParagraph* par = ParAt(d, 0);
             TLine* line = par->FirstLine;
             int pos = 1;
             TParagraph* chain = chainOf(d, "X", "Y");
             EXPECT_FALSE(d.InsertParagraphs(par, line, chain, pos));
             while (chain) {
                 TParagraph* next = chain->Next;
                 TRtRTFText::FreeParagraph(chain);
                 chain = next;
             }
         }},
         "ab"},
        {"clearing leaves one empty paragraph", "ab|cd", {[](auto& d) { d.Clear(); }}, ""},
        {"switching to plain and back", "ab|cd",
         {[](auto& d) { d.SetMemoryFormat(fmPlainText); }, del(0, 0, 0),
          [](auto& d) { d.SetMemoryFormat(fmRichText); }},
         "b|cd"},
    };
    for (const Sequence& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFText doc;
        BuildShape(doc, c.shape);
        ASSERT_EQ(RtCheckInvariants(doc), "");
        for (size_t i = 0; i < c.steps.size(); ++i) {
            c.steps[i](doc);
            ASSERT_EQ(RtCheckInvariants(doc), "") << "after step " << i;
        }
        EXPECT_EQ(ShapeOf(doc), c.expected);
    }
}

TEST(RtModel, DeleteAnswersFalseOnlyWhenProtectionRefuses) {
    TRtRTFText doc;
    BuildShape(doc, "abc");
    protectChar(doc, 0, 0, 1);
    std::string told;
    doc.OnProtectedChange = [&](TObject*, const std::string& text, uint16_t) { told = text; };
    EXPECT_FALSE(doc.DeleteChar(doc.FirstPar, doc.FirstPar->FirstLine, 1));
    EXPECT_EQ(told, "b");
    EXPECT_TRUE(doc.DeleteChar(doc.FirstPar, doc.FirstPar->FirstLine, 0));
    doc.ProtectionOff = true;
    EXPECT_TRUE(doc.DeleteChar(doc.FirstPar, doc.FirstPar->FirstLine, 0));
    EXPECT_EQ(ShapeOf(doc), "c");
}

TEST(RtModel, ProtectedEventReportsTheWholeField) {
    TRtRTFText doc;
    BuildShape(doc, "ab[field]cd");
    doc.Protection.Include(ppAutomatic);
    TLine* line = doc.FirstPar->FirstLine;
    for (int i = 2; i <= 8; ++i) {
        line->Attr[i].Special = spAutomatic;
        line->Attr[i].Tag = 7;
    }
    line->Attr[2].Special = spInsertPoint;  // an insert point joins the automatic text after it
    std::string told;
    uint16_t tag = 0;
    doc.OnProtectedChange = [&](TObject*, const std::string& text, uint16_t t) {
        told = text;
        tag = t;
    };
    EXPECT_FALSE(doc.InsertChar(doc.FirstPar, line, 'x', 5));
    EXPECT_EQ(told, "[field]");
    EXPECT_EQ(tag, 7);
}

TEST(RtModel, LinesGrowToTenThousandCharactersAndNoFurther) {
    TRtRTFText doc;
    TLine* line = doc.FirstPar->FirstLine;
    struct Case {
        int request, capacity;
    } cases[] = {{9999, 10000}, {10000, 10000}, {41, 42}};
    for (const Case& c : cases) {
        doc.GrowLine(line, c.request);
        EXPECT_EQ(line->Capacity, c.capacity) << c.request;
    }
    try {
        doc.GrowLine(line, 10001);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Line longer then 10000 character!");
    }
    std::string full(9999, 'x');
    doc.ReplaceInLine(doc.FirstPar, line, nullptr, 9999, full.data(), 0, 0);
    EXPECT_THROW(doc.InsertChar(doc.FirstPar, line, 'y', 0), Exception);
    EXPECT_EQ(RtCheckInvariants(doc), "") << "a refused insertion leaves the line sound";
    EXPECT_EQ(line->Length, 9999);
}

TEST(RtModel, ClearingNamesTheDefaultFontAndResetsAttributes) {
    TRtRTFText doc;
    doc.Header->FontName[0].clear();
    doc.CurAttr.Size = 0;
    doc.Clear();
    doc.Clear();
    EXPECT_EQ(doc.Header->FontName[0], "Arial");
    EXPECT_EQ(doc.CurAttr.Size, 10);
    ASSERT_EQ(doc.FirstPar->Next, nullptr);
    EXPECT_EQ(doc.FirstPar->FirstLine->Capacity, 100);
    EXPECT_EQ(doc.FirstPar->FirstLine->Next, nullptr);

    doc.CurAttr.Font = static_cast<uint8_t>(doc.Header->AddFont("Courier New"));
    doc.Clear();
    EXPECT_EQ(doc.Header->FontName[0], "Courier New") << "the current font becomes font 0";
    EXPECT_EQ(doc.CurAttr.Font, 0);
}

TEST(RtModel, PlainAndBackGivesEveryCharacterTheCurrentAttribute) {
    TRtRTFText doc;
    BuildShape(doc, "ab|c");
    LineAt(doc, 0, 0)->Attr[0].Style = stBold;
    doc.SetMemoryFormat(fmPlainText);
    EXPECT_FALSE(doc.Header->HasAttributes);
    doc.CurAttr.Colors = 3;
    doc.SetMemoryFormat(fmRichText);
    ASSERT_EQ(RtCheckInvariants(doc), "");
    for (TParagraph* p = doc.FirstPar; p; p = p->Next)
        for (int i = 0; i < p->FirstLine->Length; ++i) {
            EXPECT_EQ(p->FirstLine->Attr[i].Style, 0);
            EXPECT_EQ(p->FirstLine->Attr[i].Colors, 3);
        }
}

TEST(RtModel, TextOfTheDocumentAndOfAParagraph) {
    TRtRTFText doc;
    BuildShape(doc, "ab/cd|ef");
    EXPECT_EQ(doc.GetText(), "abcd\ref");
    EXPECT_EQ(doc.GetParText(0), "abcd");
    EXPECT_EQ(doc.GetParText(5), "");
    char buf[4];
    EXPECT_EQ(doc.GetText(buf, nullptr, sizeof buf), 3);
    EXPECT_STREQ(buf, "abc");
}

TEST(RtModel, ObjectsAreFoundOrAddedAndSweptWhenUnused) {
    TRtRTFText doc;
    auto* owned = new TObject;
    TObjectEntry* byNumber = doc.AddObject(owned, 0);
    ASSERT_NE(byNumber, nullptr);
    EXPECT_EQ(byNumber->Number, 1);
    TObject kept;
    TObjectEntry* byTag = doc.AddObject(&kept, 5);
    EXPECT_EQ(byTag->Tag, 5);
    EXPECT_EQ(doc.AddObject(nullptr, 5), byTag) << "found by tag";
    EXPECT_EQ(doc.AddObject(nullptr, 0, 1), byNumber) << "found by number";
    EXPECT_EQ(doc.AddObject(&kept, TRtRTFText::rtNextFreeTag)->Tag, 2000);
    EXPECT_EQ(doc.AddObject(&kept, TRtRTFText::rtNextFreeTag)->Tag, 2001);
    EXPECT_EQ(doc.AddObject(nullptr, 77), nullptr) << "nobody provides it";
    TObject provided;
    doc.OnProvideObject = [&](uint16_t, TObject*& obj) { obj = &provided; };
    EXPECT_EQ(doc.AddObject(nullptr, 77)->Obj, &provided);

    doc.SetObjectSize(byTag);
    EXPECT_EQ(byTag->WidthTw, 32) << "an object of unknown size";
    doc.UnmarkObjects();
    byTag->Used = 1;
    doc.FreeUnmarkedObjects();
    ASSERT_EQ(doc.Objects.size(), 1u);
    EXPECT_EQ(doc.Objects.front().Tag, 5);

    EXPECT_EQ(doc.AddStamp('*', 0, "note")->Number, 1);
    EXPECT_EQ(doc.AddStamp('*', 2, "two")->Number, 2);
    EXPECT_EQ(doc.FindStamp(2)->Text, "two");
    doc.Clear();
    EXPECT_TRUE(doc.Objects.empty());
    EXPECT_TRUE(doc.Stamps.empty());
}

TEST(RtModel, TabCollectorFreesSlotsNoParagraphUses) {
    TRtRTFText doc;
    BuildShape(doc, "a|b");
    for (int i = 0; i < rtTabsUsable; ++i) doc.Header->AddTab(100 * (i + 1), tkLeft);
    ParAt(doc, 0)->TabSet = 1u << 3;
    ParAt(doc, 1)->TabSet = 1u << 9;
    EXPECT_EQ(doc.Header->AddTab(9000, tkRight), 1u) << "slot 0 was free for the asking";
    EXPECT_EQ(doc.Header->TabPosTw[3], 400);
    EXPECT_EQ(doc.Header->TabPosTw[9], 1000);
    EXPECT_EQ(doc.Header->TabPosTw[4], 0);
}

TEST(RtModel, InvalidateSpecialMarksOnlyParagraphsWithSuchCharacters) {
    TRtRTFText doc;
    BuildShape(doc, "ab|cd");
    for (TParagraph* p = doc.FirstPar; p; p = p->Next) p->Dirty = 0;
    LineAt(doc, 1, 0)->Attr[1].Special = spInsertPoint;
    EXPECT_FALSE(doc.InvalidateSpecial(spHidden));
    EXPECT_TRUE(doc.InvalidateSpecial(spInsertPoint));
    EXPECT_EQ(ParAt(doc, 0)->Dirty, 0);
    EXPECT_EQ(ParAt(doc, 1)->Dirty, dfAll);
}

TEST(RtProgress, NestedLevelsShareTheRangeOfTheirParent) {
    std::vector<int> reported;
    RtProgressEvent = [&](int percent) { reported.push_back(percent); };
    EXPECT_EQ(BeginProgress(200), 2) << "two positions a percent";
    ProgressStep(1);  // less than a step: nothing
    ProgressStep(100);
    SetProgressShare(50);
    EXPECT_EQ(BeginProgress(10), 1);
    ProgressStep(10);
    EndProgress();
    EndProgress();
    RtProgressEvent = nullptr;
    EXPECT_EQ(reported, (std::vector<int>{50, 75, 75, 100, 0}));
    EXPECT_EQ(progressDepth(), 0);
}
