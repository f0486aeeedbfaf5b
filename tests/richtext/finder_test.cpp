// The text finder: case, words, wildcards, direction, attributes and replacing.
#include <gtest/gtest.h>

#include "richtext/RtFinder.h"
#include "richtext/RtInvariants.h"
#include "richtext/RtTestDoc.h"

namespace {

struct FindCase {
    const char* name;
    const char* shape;
    std::string pattern;
    uint8_t matchCase;
    char wildcard;
    char spanEnd;
    bool backwards;
    int pos, len;  // len 0: not found
};

}  // namespace

TEST(RtTextFinder, FindsByTable) {
    const FindCase cases[] = {
        {"case folded finds the capitalised word first", "The cat saw the dog", "the", 0, 0, 0, false, 0, 3},
        {"case kept finds the later one", "The cat saw the dog", "the", 1, 0, 0, false, 12, 3},
        {"Windows-1252 letters fold", "x \xC9T\xC9", "\xE9t\xE9", 0, 0, 0, false, 2, 3},
        {"a lone wildcard is the next word", "  ...The cat", "*", 0, '*', ' ', false, 5, 3},
        {"a word ends before its last apostrophe", "John's book", "*", 0, '*', ' ', false, 0, 4},
        {"prefix*suffix spans to the nearest suffix", "cot saw the dog and the log", "s*g", 0, '*', 0, false, 4, 11},
        {"prefix and a word run", "a catalogue", "cat*", 0, '*', ' ', false, 2, 9},
        {"backwards finds the last one", "the cat, the dog", "the", 0, 0, 0, true, 9, 3},
        {"a match spans the lines of a paragraph", "ab/cd", "bc", 0, 0, 0, false, 1, 2},
        {"but never a paragraph end", "ab|cd", "bc", 0, 0, 0, false, 0, 0},
        {"later paragraphs count from the document's start", "ab|cd|xbc", "bc", 0, 0, 0, false, 5, 2},
        {"backwards into an earlier paragraph", "bc|xy|zz", "bc", 0, 0, 0, true, 0, 2},
        {"the pattern is cut to 255 characters", "", std::string(300, 'x'), 0, 0, 0, false, 1, 255},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.name);
        TRtRTFText doc;
        BuildShape(doc, *c.shape ? c.shape : ("-" + std::string(255, 'x')).c_str());
        TRtTextFinder finder;
        finder.Text = &doc;
        finder.Clear();
        finder.MatchCase = c.matchCase;
        finder.Wildcard = c.wildcard;
        finder.SpanEnd = c.spanEnd;
        bool found;
        if (c.backwards) {
            finder.SetPosition(1000);
            found = finder.FindPrev(c.pattern);
        } else {
            found = finder.FindNext(c.pattern);
        }
        EXPECT_EQ(found, c.len > 0);
        EXPECT_EQ(finder.GetFoundPos(), c.pos);
        EXPECT_EQ(finder.GetFoundLen(), c.len);
    }
}

TEST(RtTextFinder, RepeatedSearchesWalkThroughEveryMatch) {
    TRtRTFText doc;
    BuildShape(doc, "an apple and a banana|a");
    TRtTextFinder finder;
    finder.Text = &doc;
    finder.Clear();
    std::vector<int> forward, backward;
    while (finder.FindNext("an")) forward.push_back(finder.GetFoundPos());
    EXPECT_EQ(forward, (std::vector<int>{0, 9, 16, 18}));
    finder.SetPosition(22);
    while (finder.FindPrev("an")) backward.push_back(finder.GetFoundPos());
    EXPECT_EQ(backward, (std::vector<int>{18, 16, 9, 0}));
}

TEST(RtTextFinder, AttributeConditionsNarrowTheMatch) {
    TRtRTFText doc;
    BuildShape(doc, "word word word");
    TLine* line = doc.FirstPar->FirstLine;
    for (int i = 5; i < 9; ++i) line->Attr[i].Style = stBold;
    for (int i = 10; i < 14; ++i) line->Attr[i].Colors = 4;
    struct Case {
        uint8_t mask;
        uint8_t colors;
        int pos;
    } cases[] = {{0, 0, 0}, {amBold, 0, 5}, {amFindTextColor, 4, 10}};
    for (const Case& c : cases) {
        TRtTextFinder finder;
        finder.Text = &doc;
        finder.Clear();
        finder.AttrMask = c.mask;
        finder.SearchAttr.Colors = c.colors;
        EXPECT_TRUE(finder.FindNext("word"));
        EXPECT_EQ(finder.GetFoundPos(), c.pos) << int(c.mask);
    }
}

TEST(RtTextFinder, ReplaceFoundKeepsTheFormattingOfTheMatch) {
    TRtRTFText doc;
    BuildShape(doc, "say hello");
    TLine* line = doc.FirstPar->FirstLine;
    for (int i = 4; i < 9; ++i) line->Attr[i].Style = stItalic;
    TRtTextFinder finder;
    finder.Text = &doc;
    finder.Clear();
    ASSERT_TRUE(finder.FindNext("hello"));
    finder.ReplaceFound("goodbye");
    EXPECT_EQ(RtCheckInvariants(doc), "");
    EXPECT_EQ(doc.GetText(), "say goodbye");
    EXPECT_EQ(finder.GetFoundLen(), 7);
    TCharAttr attrs[12];
    doc.GetText(nullptr, attrs, 12);
    EXPECT_EQ(attrs[4].Style, stItalic);
    EXPECT_EQ(attrs[10].Style, stItalic);
}

TEST(RtTextFinder, ReplaceAllEndsWhenTheReplacementHoldsThePattern) {
    TRtRTFText doc;
    BuildShape(doc, "banana|a cab");
    TRtTextFinder finder;
    finder.Text = &doc;
    finder.Clear();
    finder.ReplaceAll("a", "aa");
    EXPECT_EQ(RtCheckInvariants(doc), "");
    EXPECT_EQ(doc.GetText(), "baanaanaa\raa caab");
    EXPECT_EQ(finder.ReplaceCount, 5);
}

TEST(RtTextFinder, EscapeStopsReplaceAllAfterThirtyReplacements) {
    TRtRTFText doc;
    BuildShape(doc, std::string(50, 'a'));
    TRtTextFinder finder;
    finder.Text = &doc;
    finder.Clear();
    int polls = 0;
    finder.IsCancelPressed = [&] { return ++polls == 1; };
    finder.ReplaceAll("a", "b");
    EXPECT_EQ(finder.ReplaceCount, 30);
    EXPECT_EQ(doc.GetText(), std::string(30, 'b') + std::string(20, 'a'));
}
