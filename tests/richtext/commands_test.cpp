// Attribute and paragraph commands, the selection API, page breaks,
// embedded objects and the notifications the control around a document
// hears, on documents laid out with the Liberation faces.
#include <gtest/gtest.h>

#include <QImage>

#include <functional>
#include <string>
#include <vector>

#include "RtTestPage.h"
#include "base/Exceptions.h"
#include "richtext/RtInvariants.h"
#include "richtext/RtProgress.h"
#include "support/PageImages.h"

namespace {

// Counts what the document told the control around it.
class TCountingMode : public TRtSetModeControl {
public:
    int paragraph = 0, attributes = 0, position = 0;
    void ParagraphChanged() override { ++paragraph; }
    void AttributesChanged() override { ++attributes; }
    void PositionChanged() override { ++position; }
    void reset() { paragraph = attributes = position = 0; }
};

// One mark per character: '+' when the style bit is set, '-' otherwise,
// paragraphs separated by '|'.
std::string styleMarks(TRtRTFText& d, uint8_t bit) {
    std::string s;
    for (TParagraph* p = d.FirstPar; p; p = p->Next) {
        if (p != d.FirstPar) s += '|';
        for (TLine* l = p->FirstLine; l; l = l->Next)
            for (int i = 0; i < l->Length; ++i) s += (l->Attr[i].Style & bit) ? '+' : '-';
    }
    return s;
}

std::string cursorText(TRtRTFTextIo& d) {
    int par = TRtRTFText::ParagraphNumber(d.FirstPar, d.CurPar), off = d.CurPos;
    for (TLine* l = d.CurPar->FirstLine; l && l != d.CurLine; l = l->Next) off += l->Length;
    return std::to_string(par) + ":" + std::to_string(off);
}

void makeRow(TRtRTFTextInput& d, int first, int count) {
    TParagraph* p = ParAt(d, first);
    for (int i = 0; i < count; ++i, p = p->Next) {
        p->ParFlags = pfTableCell | (i ? pfNotFirstCell : 0) | (i + 1 < count ? pfCellFollows : 0);
        p->TabSet = static_cast<uint32_t>(255 * i / count) | (static_cast<uint32_t>(255 / count) << 8);
    }
    d.ReformatAll();
}

std::string sound(TRtRTFTextInput& d) { return RtCheckInvariants(d, {{d.CurPar, d.CurLine, d.CurPos}}); }

}  // namespace

TEST(RtCommands, SetCharAttrTakesWhatTheMaskNames) {
    TCharAttr start;
    start.Font = 1;
    start.Size = 10;
    start.Colors = 0x21;
    start.Style = stBold | stSubscript;
    start.Special = spHidden | spRtfCode | spProtected;
    auto with = [](uint8_t font, uint8_t size, uint8_t colors, uint8_t style, uint8_t special) {
        TCharAttr a;
        a.Font = font, a.Size = size, a.Colors = colors, a.Style = style, a.Special = special;
        return a;
    };
    struct Case {
        const char* what;
        int mask;
        TCharAttr given, want;
    } cases[] = {
        {"font", amFont, with(3, 20, 0x55, stItalic, 0), with(3, 10, 0x21, stBold | stSubscript, 7)},
        {"size", amSize, with(3, 20, 0x55, stItalic, 0), with(1, 20, 0x21, stBold | stSubscript, 7)},
        {"text colour", amTextColor, with(0, 0, 0x5A, 0, 0), with(1, 10, 0x2A, stBold | stSubscript, 7)},
        {"background", amBackColor, with(0, 0, 0x5A, 0, 0), with(1, 10, 0x51, stBold | stSubscript, 7)},
        {"add", amAddStyle, with(0, 0, 0, stItalic, spInsertPoint),
         with(1, 10, 0x21, stBold | stItalic | stSubscript, 7 | spInsertPoint)},
        {"remove", amRemoveStyle, with(0, 0, 0, stBold, spHidden), with(1, 10, 0x21, stSubscript, 6)},
        {"normal", amNormal, with(0, 0, 0, stUnderline, 0), with(1, 10, 0x21, stUnderline, spProtected)},
        {"replace styles", amReplaceStyle, with(0, 0, 0, stItalic, 0), with(1, 10, 0x21, stItalic, 7)},
        {"raised removes lowered", amAddStyle, with(0, 0, 0, stSuperscript, 0),
         with(1, 10, 0x21, stBold | stSuperscript, 7)},
        {"a footnote mark removes lowered", amAddStyle, with(0, 0, 0, 0, spFootnote),
         with(1, 10, 0x21, stBold, 7 | spFootnote)},
    };
    Page page(96, 400, 200);
    page.build("a", "Arial", 10);
    page.doc.Header->AddFont("Times New Roman");
    page.doc.Header->AddFont("Courier New");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        page.doc.CurAttr = start;
        page.doc.SetCharAttr(nullptr, 0, c.mask, c.given);
        const TCharAttr& got = page.doc.CurAttr;
        EXPECT_EQ(got.Font, c.want.Font);
        EXPECT_EQ(got.Size, c.want.Size);
        EXPECT_EQ(got.Colors, c.want.Colors);
        EXPECT_EQ(got.Style, c.want.Style);
        EXPECT_EQ(got.Special, c.want.Special);
    }
}

TEST(RtCommands, SetCharAttrMeasuresTheCharacterAgain) {
    Page page(96, 400, 200);
    page.build("Wide", "Arial", 10);
    Page big(96, 400, 200);
    big.build("Wide", "Arial", 20);
    TLine* l = page.doc.FirstPar->FirstLine;
    TCharAttr size20;
    size20.Size = 20;
    page.doc.SetCharAttr(l, 0, amSize, size20);
    const TCharAttr& want = big.doc.FirstPar->FirstLine->Attr[0];
    EXPECT_EQ(l->Attr[0].Width, want.Width);
    EXPECT_EQ(l->Attr[0].Height, want.Height);
    EXPECT_EQ(l->Attr[0].Ascent, want.Ascent);
    EXPECT_GE(l->Height, want.Height) << "the line grows to the larger font";
    TCharAttr before = l->Attr[1];
    page.doc.SetCharAttr(l, 4, amSize, size20);
    page.doc.SetCharAttr(l, -1, amSize, size20);
    EXPECT_EQ(l->Attr[1], before) << "an index outside the line changes nothing";
    EXPECT_EQ(page.doc.CurAttr.Size, 10);
    TCharAttr hidden;
    hidden.Special = spHidden;
    page.doc.SetCharAttr(l, 2, amAddStyle, hidden);
    EXPECT_EQ(l->Attr[2].Width, 0) << "hidden text takes no room";
}

TEST(RtCommands, SetCurrentAttrChangesTheBlockAndTheCurrentAttribute) {
    struct Case {
        const char* what;
        std::string shape;
        int start, length;
        bool reversed;
        std::string marks;
    } cases[] = {
        {"inside one line", "Frames and lenses", 7, 3, false, "-------+++-------"},
        {"reversed block", "Frames and lenses", 7, 3, true, "-------+++-------"},
        {"across paragraphs", "ab|cd|ef", 1, 4, false, "-+|++|+-"},
        {"reversed across paragraphs", "ab|cd|ef", 1, 4, true, "-+|++|+-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Page page(96, 400, 200);
        page.build(c.shape, "Arial", 10);
        TCountingMode mode;
        page.doc.ModeControl = &mode;
        page.doc.SelectRange(c.start, c.length);
        if (c.reversed) {
            std::swap(page.doc.BlockStartPar, page.doc.BlockEndPar);
            std::swap(page.doc.BlockStartLine, page.doc.BlockEndLine);
            std::swap(page.doc.BlockStartPos, page.doc.BlockEndPos);
        }
        int plainWidth = page.doc.FirstPar->FirstLine->Attr[0].Width;
        TCharAttr bold;
        bold.Style = stBold;
        page.doc.SetCurrentAttr(bold, amAddStyle);
        EXPECT_EQ(styleMarks(page.doc, stBold), c.marks);
        EXPECT_TRUE(page.doc.CurAttr.Style & stBold) << "typing continues bold";
        EXPECT_EQ(page.doc.FirstPar->FirstLine->Attr[0].Width, plainWidth);
        EXPECT_GT(mode.attributes, 0);
        EXPECT_GT(mode.paragraph, 0);
        EXPECT_EQ(sound(page.doc), "");
    }
    // Without a block only the current attribute changes, and typing uses it.
    Page page(96, 400, 200);
    page.build("ab", "Arial", 10);
    page.doc.SetCursorIndex(0, 0, 0, 2);
    TCharAttr italic;
    italic.Style = stItalic;
    page.doc.SetCurrentAttr(italic, amAddStyle);
    page.doc.InputText("c");
    EXPECT_EQ(styleMarks(page.doc, stItalic), "--+");
}

TEST(RtCommands, SetBlockStyleAddsRemovesAndMakesNormal) {
    Page page(96, 400, 200);
    page.build("abcdef", "Arial", 10, stBold | stUnderline);
    page.doc.SelectRange(1, 3);
    page.doc.SetBlockStyle(stItalic, true);
    EXPECT_EQ(styleMarks(page.doc, stItalic), "-+++--");
    page.doc.SetBlockStyle(stBold, false);
    EXPECT_EQ(styleMarks(page.doc, stBold), "+---++");
    page.doc.SetBlockStyle(0, true);
    EXPECT_EQ(styleMarks(page.doc, stUnderline | stItalic | stBold), "+---++");
    // The Special bits ride in the high byte: hidden text shrinks to nothing.
    page.doc.SetBlockStyle(spHidden << 8, true);
    TLine* l = page.doc.FirstPar->FirstLine;
    for (int i = 1; i < 4; ++i) EXPECT_EQ(l->Attr[i].Width, 0) << i;
    EXPECT_GT(l->Attr[0].Width, 0);
    EXPECT_EQ(sound(page.doc), "");
}

TEST(RtCommands, SetTabsLeavesTableCellsTheirGeometry) {
    Page page(96, 600, 300);
    page.build("a\tb|c\td|cell one|cell two|e\tf", "Arial", 10);
    makeRow(page.doc, 2, 2);
    uint32_t cellGeometry = ParAt(page.doc, 3)->TabSet;
    uint32_t inch = page.doc.Header->AddTab(1440, tkLeft), two = page.doc.Header->AddTab(2880, tkLeft);
    page.doc.SelectRange(0, 20);
    page.doc.SetTabs(inch | two, false);
    EXPECT_EQ(ParAt(page.doc, 0)->TabSet, inch | two);
    EXPECT_EQ(ParAt(page.doc, 1)->TabSet, inch | two);
    EXPECT_EQ(ParAt(page.doc, 3)->TabSet, cellGeometry);
    EXPECT_EQ(ParAt(page.doc, 4)->TabSet, 0u) << "outside the block";
    TParagraph* first = page.doc.FirstPar;
    EXPECT_EQ(page.doc.CharToX(first, first->FirstLine, 2), 96) << "re-wrapped with the new stop";
    EXPECT_EQ(page.doc.Header->Current.TabSet, 0u) << "the cursor ends in a cell, which has no tab set";
    // Without a block only the cursor paragraph changes; the ruler shows its set.
    page.doc.SelectRange(0, 0);
    page.doc.SetCursorIndex(0, 0, 1, 0);
    page.doc.SetTabs(inch, true);
    EXPECT_EQ(ParAt(page.doc, 1)->TabSet, two);
    EXPECT_EQ(ParAt(page.doc, 0)->TabSet, inch | two);
    EXPECT_EQ(page.doc.Header->Current.TabSet, two);
}

TEST(RtCommands, SetIndentsGoesToEveryCellOfTheRow) {
    Page page(96, 600, 300);
    page.build("before|left|middle|right|after", "Arial", 10);
    makeRow(page.doc, 1, 3);
    page.doc.SetCursorIndex(0, 0, 2, 1);
    page.doc.SetIndents(720, 360, 240, true);
    for (int i = 1; i <= 3; ++i) {
        TParagraph* cell = ParAt(page.doc, i);
        EXPECT_EQ(cell->IndentFirst, 360) << i;
        EXPECT_EQ(cell->IndentLeft, 360) << i;
        EXPECT_EQ(cell->IndentRight, 240) << i;
    }
    for (int i : {0, 4}) EXPECT_EQ(ParAt(page.doc, i)->IndentLeft, 0) << "outside the row";
    // Only a first-line value: the row still moves as one.
    page.doc.SetIndents(1440, -1000, 65000, true);
    EXPECT_EQ(ParAt(page.doc, 1)->IndentFirst, 1440);
    EXPECT_EQ(ParAt(page.doc, 3)->IndentLeft, 1440);
    EXPECT_EQ(ParAt(page.doc, 3)->IndentRight, 240);
    EXPECT_EQ(page.doc.LeftEdge(ParAt(page.doc, 1), ParAt(page.doc, 1)->FirstLine), 96 + 1);
    EXPECT_EQ(sound(page.doc), "");
}

TEST(RtCommands, AlignmentOfTheBlockAndReplacedTextAreLaidOutAtOnce) {
    Page page(96, 600, 300);
    page.build("one|two|three", "Arial", 10);
    page.doc.SelectRange(1, 4);
    page.doc.SetAlignment(1);
    std::vector<int> aligns;
    for (TParagraph* p = page.doc.FirstPar; p; p = p->Next) aligns.push_back(p->Align);
    EXPECT_EQ(aligns, (std::vector<int>{1, 1, 0}));
    TParagraph* two = ParAt(page.doc, 1);
    EXPECT_EQ(page.doc.CharToX(two, two->FirstLine, 3), page.doc.Header->TextWidthPx) << "right-aligned";

    // A replacement that needs more lines is wrapped and moves what follows.
    std::string longer;
    for (int i = 0; i < 30; ++i) longer += "lenses ";
    TParagraph* three = ParAt(page.doc, 2);
    int threeY = three->FirstLine->Y;
    page.doc.ReplaceText(two, two->FirstLine, longer, 0, 3);
    EXPECT_GT(page.lines(1).size(), 1u);
    EXPECT_GT(three->FirstLine->Y, threeY);
    EXPECT_EQ(sound(page.doc), "");
}

TEST(RtCommands, PageBreakCharacter) {
    struct Case {
        const char* what;
        int par, offset;
        uint8_t flagsBefore;
        std::string text, cursor;
        std::vector<bool> breaks;
    } cases[] = {
        {"inside a paragraph splits it", 0, 1, 0, "a|bc|de", "1:0", {false, true, false}},
        {"at a paragraph start marks it", 1, 0, 0, "abc|de", "1:0", {false, true}},
        {"again at the start clears it", 1, 0, pfPageBreak, "abc|de", "1:0", {false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Page page(96, 400, 300);
        page.build("abc|de", "Arial", 10);
        ParAt(page.doc, c.par)->ParFlags |= c.flagsBefore;
        page.doc.SetCursorIndex(0, 0, c.par, c.offset);
        page.doc.InputText("\f");
        EXPECT_EQ(ShapeOf(page.doc), c.text);
        EXPECT_EQ(cursorText(page.doc), c.cursor);
        std::vector<bool> breaks;
        for (TParagraph* p = page.doc.FirstPar; p; p = p->Next) breaks.push_back(p->ParFlags & pfPageBreak);
        EXPECT_EQ(breaks, c.breaks);
        EXPECT_EQ(sound(page.doc), "");
    }
}

TEST(RtCommands, SelectionApi) {
    Page page(96, 400, 300);
    page.build("abc|def|ghi", "Arial", 10);
    int start = 0, length = 0;
    // Start and length in either order select once both were given.
    page.doc.SetBlockStart(2);
    EXPECT_FALSE(page.doc.GetBlockRange(start, length));
    page.doc.SetBlockLength(3);
    ASSERT_TRUE(page.doc.GetBlockRange(start, length));
    EXPECT_EQ(start, 2);
    EXPECT_EQ(length, 3);
    page.doc.SetBlockLength(4);
    page.doc.SetBlockStart(1);
    ASSERT_TRUE(page.doc.GetBlockRange(start, length));
    EXPECT_EQ(start, 1);
    EXPECT_EQ(length, 4);

    struct Case {
        const char* what;
        int par, offset, count;
        std::string text;
    } deletes[] = {
        {"inside a line", 0, 1, 1, "ac|def|ghi"},
        {"across a paragraph end", 0, 3, 2, "abcef|ghi"},
        {"more than there is", 2, 1, 10, "abc|def|g"},
    };
    for (const Case& c : deletes) {
        SCOPED_TRACE(c.what);
        Page p(96, 400, 300);
        p.build("abc|def|ghi", "Arial", 10);
        p.doc.SetCursorIndex(0, 0, c.par, c.offset);
        p.doc.DeleteChars(c.count);
        EXPECT_EQ(ShapeOf(p.doc), c.text);
        EXPECT_EQ(sound(p.doc), "");
    }
    // Cells are never joined by deleting.
    Page cells(96, 400, 300);
    cells.build("ab|cd", "Arial", 10);
    makeRow(cells.doc, 0, 2);
    cells.doc.SetCursorIndex(0, 0, 0, 1);
    cells.doc.DeleteChars(5);
    EXPECT_EQ(ShapeOf(cells.doc), "a|cd");
}

TEST(RtCommands, ClearAndSetCursorIndexResetAndTell) {
    Page page(96, 300, 80);
    std::string shape;
    for (int i = 0; i < 20; ++i) shape += (i ? "|" : "") + std::string("paragraph ") + std::to_string(i);
    page.build(shape, "Arial", 10);
    TCountingMode mode;
    page.doc.ModeControl = &mode;
    page.doc.Visible = true;
    page.doc.SetCursorIndex(0, 0, 3, 4);
    EXPECT_EQ(cursorText(page.doc), "3:4");
    EXPECT_GT(mode.attributes, 0);
    EXPECT_GT(mode.paragraph, 0);
    page.doc.SelectRange(5, 30);
    page.doc.VScroll(7, 0);
    ASSERT_GT(page.doc.TopOffset, 0);
    page.doc.Clear();
    int start, length;
    EXPECT_FALSE(page.doc.GetBlockRange(start, length));
    EXPECT_EQ(page.doc.BlockStartPar, nullptr);
    EXPECT_EQ(page.doc.TopOffset, 0);
    EXPECT_EQ(page.doc.CaretX, 0);
    EXPECT_EQ(page.doc.CaretY, 0);
    EXPECT_EQ(page.doc.CurPar, page.doc.FirstPar);
    EXPECT_EQ(page.doc.CurLine, page.doc.FirstPar->FirstLine);
    EXPECT_EQ(page.doc.CurPos, 0);
    EXPECT_EQ(sound(page.doc), "");
}

TEST(RtCommands, ModeControlHearsMovesClicksScrollsButNotWhenInert) {
    struct Case {
        const char* what;
        std::function<void(TRtRTFTextInput&)> act;
        bool paragraph, position;
    } cases[] = {
        {"cursor right", [](TRtRTFTextInput& d) { d.CursorRight(1, false, false); }, true, true},
        {"line end", [](TRtRTFTextInput& d) { d.MoveCursor(cmLineEnd, false); }, true, true},
        {"click", [](TRtRTFTextInput& d) { d.ClickAt(30, 3, true, false); }, true, true},
        {"view right", [](TRtRTFTextInput& d) { d.HScroll(1, 0); }, false, true},
    };
    for (bool inert : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (inert ? " inert" : ""));
            Page page(96, 200, 100);
            page.build("Frames and lenses for the patient", "Arial", 10);
            page.doc.Visible = true;
            TCountingMode mode;
            page.doc.ModeControl = &mode;
            if (inert) page.doc.PaintOptions |= poInert;
            c.act(page.doc);
            EXPECT_EQ(mode.paragraph > 0, c.paragraph && !inert);
            EXPECT_EQ(mode.position > 0, c.position && !inert);
        }
    }
    // Moving onto text of another look tells the attribute change.
    Page page(96, 400, 100);
    page.build("ab", "Arial", 10);
    TCharAttr bold;
    bold.Style = stBold;
    page.doc.SetCharAttr(page.doc.FirstPar->FirstLine, 1, amAddStyle, bold);
    TCountingMode mode;
    page.doc.ModeControl = &mode;
    page.doc.SetCursorIndex(0, 0, 0, 1);
    mode.reset();
    page.doc.CursorRight(1, false, false);
    EXPECT_EQ(mode.attributes, 1);
    page.doc.CursorRight(1, false, false);
    EXPECT_EQ(mode.attributes, 1) << "the same look again is not told";
}

TEST(RtCommands, LongDocumentsReportFormattingProgress) {
    for (int paragraphs : {150, 40}) {
        SCOPED_TRACE(paragraphs);
        Page page(96, 400, 300);
        std::string shape;
        for (int i = 0; i < paragraphs; ++i) shape += (i ? "|" : "") + std::string("line ") + std::to_string(i);
        page.build(shape, "Arial", 10);
        std::vector<int> seen;
        RtProgressEvent = [&](int percent) { seen.push_back(percent); };
        page.doc.ReformatAll();
        RtProgressEvent = nullptr;
        if (paragraphs <= 100) {
            EXPECT_TRUE(seen.empty());
            continue;
        }
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), 0) << "the last report clears the bar";
        std::vector<int> rising(seen.begin(), seen.end() - 1);
        EXPECT_TRUE(std::is_sorted(rising.begin(), rising.end()));
        EXPECT_NE(std::find(rising.begin(), rising.end(), 50), rising.end()) << "measuring is the first half";
        EXPECT_EQ(rising.back(), 100);
        EXPECT_EQ(progressDepth(), 0);
    }
}

TEST(RtPaint, TopMarginAboveTheFirstLineIsFilled) {
    Page page(96, 300, 120);
    page.build("Frames", "Arial", 10);
    page.doc.PaintTop = 30;
    page.doc.Visible = true;
    page.canvas.Brush()->SetColor(clRed);
    page.canvas.FillRect(TRect{0, 0, 300, 120});
    page.doc.Paint();
    const QImage& img = page.device.Image();
    QColor above(img.pixel(150, 10)), below(img.pixel(150, 110));
    TColor back = ColorToRGB(clWindow);
    EXPECT_EQ(RGB(above.red(), above.green(), above.blue()), back);
    EXPECT_EQ(RGB(below.red(), below.green(), below.blue()), back);
}

TEST(RtObjects, InsertedPicturesArePaintedRecordedAndSelected) {
    Page page(96, 400, 200);
    page.build("ab", "Arial", 12);
    page.doc.Visible = true;
    try {
        int n = 0;
        page.doc.InsertObject(nullptr, n);
        ADD_FAILURE() << "a nil object is refused";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "No object was defined");
    }
    EXPECT_EQ(ShapeOf(page.doc), "ab");

    TBitmap picture(40, 30);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(TRect{0, 0, 40, 30});
    page.doc.SetCursorIndex(0, 0, 0, 1);
    int tag = 65535;
    page.doc.InsertObject(&picture, tag);
    EXPECT_GE(tag, 2000) << "a new tag of the application's objects";
    // A document-owned object without a graphic: a frame with its diagonals.
    int number = 0;
    page.doc.InsertObject(new TObject, number);
    EXPECT_EQ(number, 1);
    TObjectEntry* frameEntry = page.doc.FindObject(0, static_cast<uint16_t>(number));
    ASSERT_TRUE(frameEntry);
    frameEntry->WidthTw = 24 * 15;
    frameEntry->HeightTw = 20 * 15;
    page.doc.ReformatAll();
    EXPECT_EQ(ShapeOf(page.doc), std::string("a\x01\x02") + "b");
    EXPECT_EQ(page.doc.CurAttr.Tag, 0);
    EXPECT_FALSE(page.doc.CurAttr.Special & spObject) << "typing after an object is plain text";
    EXPECT_FALSE(page.doc.ObjectInsert);
    TLine* l = page.doc.FirstPar->FirstLine;
    EXPECT_EQ(l->Attr[1].Width, 40);
    EXPECT_EQ(l->Attr[1].Ascent, 30);
    EXPECT_EQ(l->Attr[1].Tag, tag);
    EXPECT_EQ(l->Attr[2].Tag, number);
    EXPECT_GE(l->Height, 30);
    EXPECT_EQ(sound(page.doc), "");

    ASSERT_TRUE(page.doc.SelectObject(number, false));
    page.doc.Paint();
    const QImage& img = page.device.Image();
    KeepPicture(img, "richtext_objects");
    ASSERT_EQ(page.doc.ObjectRectCount, 2);
    const TRtObjectRect& r = page.doc.ObjectRects[0];
    EXPECT_EQ(r.Object, &picture);
    EXPECT_EQ(r.X, page.doc.CharToX(page.doc.FirstPar, l, 1));
    EXPECT_EQ(r.Y + r.Height, l->Y + l->Base);
    QColor mid(img.pixel(r.X + 20, r.Y + 15));
    EXPECT_EQ(RGB(mid.red(), mid.green(), mid.blue()), RGB(255, 0, 0)) << "the picture is drawn in its cell";
    const TRtObjectRect& f = page.doc.ObjectRects[1];
    EXPECT_TRUE(IsInk(img.pixel(f.X, f.Y + f.Height / 2))) << "frame";
    EXPECT_TRUE(IsInk(img.pixel(f.X + f.Width / 2, f.Y + f.Height / 2))) << "diagonals cross in the middle";
    EXPECT_EQ(page.doc.SelectedObject.Number, number);
    EXPECT_EQ(page.doc.SelectedObject.Tag, 0);
    EXPECT_EQ(page.doc.SelectedObject.Rect.Left, f.X);

    // Objects recorded stay in document pixels while the view scrolls.
    page.doc.LeftOffset = -10;
    page.doc.Paint();
    EXPECT_EQ(page.doc.ObjectRects[0].X, r.X);
    EXPECT_FALSE(page.doc.SelectObject(999, true));
}
