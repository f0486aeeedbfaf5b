// The rich-text definitions: the message table, the caret and the document
// header's fonts, colours, tab slots and page.
#include <gtest/gtest.h>

#include <memory>

#include "richtext/RtCaret.h"
#include "richtext/RtDefs.h"
#include "richtext/RtHeader.h"
#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

TEST(RtMessages, OneGlobalLanguagePicksTheColumn) {
    EXPECT_EQ(RtMessage(rtmReady), "Ready");
    RtToolLanguage = trtGerman;
    EXPECT_EQ(RtMessage(rtmReady), "Bereit");
    EXPECT_EQ(RtMessage(rtmClearTabs), "Tabulatoren l\xF6schen?");
    RtToolLanguage = trtEnglish;
    EXPECT_EQ(RtMessage(rtmModePlain), "plain");
    EXPECT_EQ(RtMessageIn(rtmModeRich, trtGerman), "FMT");
}

TEST(TextHeader, FontTableCutsFoldsCaseAndAnswersTheDefaultWhenFull) {
    TTextHeader h;
    h.FontName[0] = "Arial";
    for (int i = 1; i <= 3; ++i) h.AddFont("Font" + std::to_string(i));
    const std::string longName(40, 'N');
    struct Case {
        std::string name;
        int index;
    } cases[] = {
        {"FONT3", 3},                        // case differs only
        {"\xC9l\xE9gant", 4},                 // new, with accented letters
        {"\xE9L\xC9GANT", 4},                 // Windows-1252 letters fold too
        {longName, 5},                       // stored cut to 31
        {longName.substr(0, 31) + "xyz", 5},  // compared on its first 31
    };
    for (const Case& c : cases) EXPECT_EQ(h.AddFont(c.name), c.index) << c.name;
    EXPECT_EQ(h.FontName[5].size(), 31u);
    for (int i = 6; i < rtFontsUsable; ++i) h.AddFont("F" + std::to_string(i));
    EXPECT_EQ(h.AddFont("One Too Many"), 0) << "a full table answers the default font";
    EXPECT_TRUE(h.FontName[99].empty());
}

TEST(TextHeader, TabSlotsFindSnapAndOverflow) {
    TTextHeader h;
    h.ResX = h.ResY = 96;
    uint32_t bit = h.AddTab(1440, tkLeft);
    EXPECT_EQ(bit, 1u);
    EXPECT_EQ(h.TabPosPx[0], 96);
    struct Case {
        int pos;
        TTabKind kind;
        uint32_t mask;
        int slot;
    } finds[] = {
        {1440, tkLeft, 1, 0},
        {1450, tkAll, 1, 0},   // snapped to the tenth-inch grid
        {1440, tkRight, 1, -1},
        {1440, tkLeft, 2, -1},  // not in the mask
        {1600, tkAll, 1, -1},
    };
    for (const Case& c : finds) EXPECT_EQ(h.FindTab(c.pos, c.kind, c.mask), c.slot) << c.pos;
    EXPECT_EQ(h.AddTab(1450, tkAll), 1u) << "the existing tab at 1440";
    EXPECT_EQ(h.AddTab(0, tkLeft), 0u);

    for (int i = 1; i < rtTabsUsable; ++i) EXPECT_NE(h.AddTab(2000 + i * 200, tkRight), 0u);
    EXPECT_EQ(h.AddTab(9999, tkLeft), 0u) << "every slot in use and no handler";
    h.OnTabsFull = [&](TObject*) { h.TabPosTw[7] = 0; };
    EXPECT_EQ(h.AddTab(9999, tkAll), 1u << 7);
    EXPECT_EQ(h.TabKind[7], tkLeft) << "tkAll takes the default kind";
}

TEST(TextHeader, SnapsToTenthsOfAnInchOrToCentimetreSteps) {
    TTextHeader h;
    struct Case {
        bool inches;
        int res, tw, snapped;
    } cases[] = {
        {true, 96, 1450, 1440}, {true, 96, 1520, 1584}, {false, 96, 1450, 1410},
        {false, 96, 1490, 1551}, {true, 0, 1450, 1450},  // no resolution yet: unchanged
    };
    for (const Case& c : cases) {
        h.Inches = c.inches;
        h.ResX = c.res;
        EXPECT_EQ(h.SnapToGrid(c.tw), c.snapped) << c.tw;
    }
}

TEST(TextHeader, ResetKeepsFontZeroAndAssignKeepsTabSlots) {
    TTextHeader h;
    h.FontName[0] = "Times New Roman";
    h.AddFont("Courier New");
    h.PageWidth = 100;
    h.Palette[1] = {1, 2, 3, 0};
    h.Reset();
    EXPECT_EQ(h.FontName[0], "Times New Roman");
    EXPECT_TRUE(h.FontName[1].empty());
    EXPECT_EQ(h.PageWidth, 12240);
    EXPECT_EQ(h.PageHeight, 15840);
    EXPECT_EQ(h.MarginLeft, 1880);
    EXPECT_EQ(h.MarginRight, 1880);
    EXPECT_EQ(h.MarginTop, 1440);
    EXPECT_EQ(h.MarginBottom, 1440);
    const uint8_t rgb[rtColorCount][3] = {{0, 0, 0},     {255, 0, 0},     {0, 128, 0},     {0, 0, 255},
                                           {255, 255, 0}, {255, 0, 255},   {128, 0, 128},   {128, 0, 0},
                                           {0, 255, 0},   {0, 255, 255},   {0, 128, 128},   {0, 0, 128},
                                           {255, 255, 255}, {192, 192, 192}, {128, 128, 128}, {0, 0, 0}};
    for (int i = 0; i < rtColorCount; ++i) {
        EXPECT_EQ(h.Palette[i].Red, rgb[i][0]) << i;
        EXPECT_EQ(h.Palette[i].Green, rgb[i][1]) << i;
        EXPECT_EQ(h.Palette[i].Blue, rgb[i][2]) << i;
    }

    TTextHeader source;
    source.TabPosTw[5] = 720;
    source.TabKind[5] = tkDecimal;
    source.FontName[0] = "Arial";
    source.AddFont("Courier New");
    source.FontFamily[1] = 0x31;
    source.Landscape = true;
    TTextHeader copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.TabPosTw[5], 720) << "paragraphs name slots by bit";
    EXPECT_EQ(copy.TabKind[5], tkDecimal);
    EXPECT_EQ(copy.FontName[1], "Courier New");
    EXPECT_EQ(copy.FontFamily[1], 0x31);
    EXPECT_TRUE(copy.Landscape);
}

TEST(Caret, FollowsFocusLockAndMinimumSizes) {
    Application->Initialize();
    auto form = std::make_unique<TForm>(nullptr);
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    form->Show();
    TCaret caret(edit);
    caret.Show(true);
    EXPECT_FALSE(caretVisible()) << "not focused";
    caret.SetFocused(true);
    caret.Show(true);
    EXPECT_TRUE(caretVisible());
    caret.SetPosSize(10, 20, 3, 2);
    EXPECT_EQ(caret.CaretHeight, 4);
    EXPECT_TRUE(caretVisible());
    EXPECT_EQ(GetCaretPos().X, 10);
    caret.SetLocked(true);
    EXPECT_FALSE(caretVisible());
    caret.Show(true);
    EXPECT_FALSE(caretVisible()) << "a locked caret stays away";
    caret.SetLocked(false);
    caret.Show(true);
    EXPECT_TRUE(caretVisible());
    caret.Show(false);
    EXPECT_FALSE(caretVisible());
}
