// The rich-text companions: the ruler driven by the mouse, the toolbar's
// build and its link to whichever control has the focus, and the status
// bar's definition lines.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "RtEditFixture.h"
#include "richtext/RtHeader.h"
#include "richtext/RtRuler.h"
#include "richtext/RtStatus.h"
#include "richtext/RtTbar.h"
#include "ui/ScrollBar.h"
#include "ui/StdCtrls.h"

namespace {

class RtCompanions : public RtEditFixture {
protected:
    TRtCustomRichText* addEditor(int x, int y, int w, int h) {
        auto* e = new TRtCustomRichText(form.get());
        e->SetParent(form.get());
        e->SetBounds(x, y, w, h);
        e->SetWordWrap(true);
        return e;
    }
    TRtRuler* addRuler(int y) {
        auto* r = new TRtRuler(form.get());
        r->SetParent(form.get());
        r->SetBounds(0, y, 500, 24);
        r->SetUnits(Inch);
        return r;
    }
    // The narrative form's toolbar.
    TRtToolBar* addNarrativeToolBar() {
        auto* bar = new TRtToolBar(form.get());
        bar->SetParent(form.get());
        bar->SetBounds(0, 0, 500, 31);
        bar->Setsel_ListBoxes({SelFontName, SelFontSize});
        bar->Setsel_StatusIcons({SelNormal, SelBold, SelItalic, SelUnder, SelLeft, SelRight, SelCenter});
        bar->Setsel_ActionIcons({SelPrint, SelPrintSetup});
        bar->Setsel_EditIcons({SelCopy, SelCut, SelPaste});
        return bar;
    }
};

int countSpeedButtons(TRtToolBar* bar) {
    int n = 0;
    for (int i = 0; i < bar->ControlCount(); ++i) n += dynamic_cast<TSpeedButton*>(bar->Controls(i)) ? 1 : 0;
    return n;
}

}  // namespace

TEST_F(RtCompanions, LowDragOnTheLeftMarkerMovesBothIndentsInGridSteps) {
    TRtRuler* ruler = addRuler(0);
    TRtCustomRichText* e = addEditor(0, 24, 500, 200);
    e->SetRtRuler(ruler);
    show();
    e->SetFocus();
    type(e, "An indented paragraph");
    TRect left = ruler->MarkerRect(rtMarkerLeft);
    int lowY = left.Bottom - 1;
    int x = (left.Left + left.Right) / 2;
    drag(ruler, x, lowY, x + 30, lowY);

    TParagraph* p = e->RtfText()->CurPar;
    EXPECT_GT(p->IndentLeft, 0);
    EXPECT_EQ(p->IndentLeft % 144, 0) << p->IndentLeft;
    EXPECT_EQ(p->IndentFirst, p->IndentLeft) << "the first-line marker came along";
    EXPECT_EQ(e->RtfText()->Header->Current.IndentLeft, p->IndentLeft);

    // A high grab moves the left indent alone.
    int before = p->IndentFirst;
    left = ruler->MarkerRect(rtMarkerLeft);
    int highY = left.Top + 1;
    x = (left.Left + left.Right) / 2;
    drag(ruler, x, highY, x + 30, highY);
    EXPECT_EQ(p->IndentFirst, before);
    EXPECT_GT(p->IndentLeft, before);
    EXPECT_EQ(p->IndentLeft % 144, 0);
}

TEST_F(RtCompanions, RightMarkerNeverCrossesTheLeftOne) {
    TRtRuler* ruler = addRuler(0);
    TRtCustomRichText* e = addEditor(0, 24, 500, 200);
    e->SetRtRuler(ruler);
    show();
    e->SetFocus();
    type(e, "text");
    TRect right = ruler->MarkerRect(rtMarkerRight);
    int y = (right.Top + right.Bottom) / 2;
    mouse(ruler, QEvent::MouseButtonPress, (right.Left + right.Right) / 2, y);
    int grabbed = e->RtfText()->Header->Current.IndentRight;
    mouse(ruler, QEvent::MouseMove, ruler->MarkerRect(rtMarkerLeft).Left - 20, y);
    mouse(ruler, QEvent::MouseButtonRelease, ruler->MarkerRect(rtMarkerLeft).Left - 20, y);
    EXPECT_EQ(e->RtfText()->Header->Current.IndentRight, grabbed);
    EXPECT_EQ(e->RtfText()->CurPar->IndentRight, grabbed);
    EXPECT_GE(ruler->MarkerRect(rtMarkerRight).Left, ruler->MarkerRect(rtMarkerLeft).Left);
}

TEST_F(RtCompanions, ClickingAnEmptyPlaceAddsALeftTabAndAgainMakesItRight) {
    TRtRuler* ruler = addRuler(0);
    TRtCustomRichText* e = addEditor(0, 24, 500, 200);
    e->SetRtRuler(ruler);
    show();
    e->SetFocus();
    type(e, "a\tb");
    TTextHeader& h = *e->RtfText()->Header;
    int x = ruler->LeftOffset() + 150, y = ruler->Height() / 2;
    auto tabsOfParagraph = [&] {
        std::vector<TTabKind> kinds;
        uint32_t set = e->RtfText()->CurPar->TabSet;
        for (int slot = 0; slot < rtTabsUsable; ++slot)
            if ((set >> slot) & 1u) kinds.push_back(h.TabKind[slot]);
        return kinds;
    };
    click(ruler, x, y);
    EXPECT_EQ(tabsOfParagraph(), std::vector<TTabKind>{tkLeft});
    click(ruler, x, y);
    EXPECT_EQ(tabsOfParagraph(), std::vector<TTabKind>{tkRight});
    EXPECT_EQ(h.Current.TabSet, e->RtfText()->CurPar->TabSet);
}

TEST_F(RtCompanions, CentimetreUnitAt96DpiIs38Pixels) {
    TRtRuler* ruler = addRuler(0);
    ruler->SetUnits(Centimeter);
    EXPECT_EQ(ruler->UnitPixels(), 38);
    ruler->SetUnits(Inch);
    EXPECT_EQ(ruler->UnitPixels(), 96);
}

TEST_F(RtCompanions, NarrativeToolbarBuildsTwoListsAndTwelveButtons) {
    TRtToolBar* bar = addNarrativeToolBar();
    EXPECT_EQ(bar->ListCount(), 2);
    EXPECT_EQ(countSpeedButtons(bar), 12);
    ASSERT_TRUE(bar->List(rtListFontSize));
    EXPECT_EQ(bar->List(rtListFontSize)->Items()->Strings(0), " 8");
    EXPECT_EQ(bar->List(rtListFontSize)->Items()->Strings(bar->List(rtListFontSize)->Items()->Count() - 1), " 72");
    EXPECT_EQ(bar->FindIcon("RTI_BOLD")->Tag(), 2 + rtIconTagBase);
    EXPECT_EQ(bar->FindIcon("RTI_BOLD")->Hint(), "Bold");
    EXPECT_TRUE(bar->FindIcon("RTI_LEFT")->Down());
    std::set<int> tags;
    for (int i = 0; i < bar->IconCount(); ++i) tags.insert(bar->Icon(i).Button->Tag());
    EXPECT_EQ(tags.size(), 12u);

    // Removing every member frees the buttons; adding one back makes it again.
    bar->Setsel_StatusIcons({});
    bar->Setsel_ActionIcons({});
    bar->Setsel_EditIcons({});
    EXPECT_EQ(countSpeedButtons(bar), 0);
    bar->Setsel_StatusIcons({SelItalic});
    EXPECT_EQ(countSpeedButtons(bar), 1);
    EXPECT_EQ(bar->FindIcon("RTI_ITALIC")->Hint(), "Italic");
}

TEST_F(RtCompanions, ToolbarRowsWrapAndAnAlignedToolbarGrows) {
    TRtToolBar* bar = addNarrativeToolBar();
    bar->SetAlign(alTop);
    form->SetBounds(0, 0, 160, 200);
    show();
    bar->Setsel_EditIcons({SelCopy, SelCut, SelPaste, SelFind});
    EXPECT_GT(bar->Height(), 31);
    int lowest = 0;
    for (int i = 0; i < bar->ControlCount(); ++i) lowest = std::max(lowest, bar->Controls(i)->Top());
    EXPECT_GT(lowest, 8) << "more than one row";
}

TEST_F(RtCompanions, SharedToolbarFollowsTheFocusedControl) {
    TRtToolBar* bar = addNarrativeToolBar();
    TRtCustomRichText* plain = addEditor(0, 40, 240, 150);
    TRtCustomRichText* bold = addEditor(250, 40, 240, 150);
    plain->SetRtToolBar(bar);
    bold->SetRtToolBar(bar);
    show();
    bold->SetFocus();
    bold->RtfText()->CurAttr.Style = stBold;
    type(bold, "strong");
    plain->SetFocus();
    type(plain, "quiet");
    EXPECT_EQ(bar->Editor(), plain);
    EXPECT_FALSE(bar->FindIcon("RTI_BOLD")->Down());
    EXPECT_TRUE(bar->FindIcon("RTI_NORMAL")->Down());
    bold->SetFocus();
    EXPECT_EQ(bar->Editor(), bold);
    EXPECT_TRUE(bar->FindIcon("RTI_BOLD")->Down());
    EXPECT_FALSE(bar->FindIcon("RTI_NORMAL")->Down());
}

TEST_F(RtCompanions, FreedCompanionsAreDroppedAndTheEditorGoesOn) {
    TRtToolBar* bar = addNarrativeToolBar();
    TRtRuler* ruler = addRuler(32);
    TRtCustomRichText* e = addEditor(0, 60, 480, 200);
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    auto* scroll = new TScrollBar(form.get());
    scroll->SetParent(form.get());
    e->SetRtToolBar(bar);
    e->SetRtRuler(ruler);
    e->SetStatusLabel(label);
    e->SetExternVerScrollBar(scroll);
    show();
    e->SetFocus();
    type(e, "before");
    EXPECT_EQ(bar->LastFocused(), e);

    delete bar;
    delete ruler;
    delete label;
    delete scroll;
    EXPECT_EQ(e->RtToolBar(), nullptr);
    EXPECT_EQ(e->RtRuler(), nullptr);
    EXPECT_EQ(e->StatusLabel(), nullptr);
    EXPECT_EQ(e->ExternVerScrollBar(), nullptr);
    // Typing and a new paragraph update the ruler and toolbar when there are
    // any; with both gone they must not be reached.
    type(e, " after");
    e->SendChar('\r');
    type(e, "next line");
    Application->ProcessMessages();

    // The other way round: the toolbar forgets a focused control that goes.
    TRtToolBar* second = addNarrativeToolBar();
    TRtCustomRichText* other = addEditor(0, 270, 480, 60);
    other->SetRtToolBar(second);
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(second->LastFocused(), other);
    delete other;
    EXPECT_EQ(second->LastFocused(), nullptr);
}

TEST_F(RtCompanions, BoldFromTheToolbarSetsAndClearsTheSelection) {
    TRtToolBar* bar = addNarrativeToolBar();
    TRtCustomRichText* e = addEditor(0, 40, 480, 150);
    e->SetRtToolBar(bar);
    show();
    e->SetFocus();
    type(e, "make bold");
    e->SendKey(VK_LEFT, {ssCtrl, ssShift});
    TSpeedButton* boldIcon = bar->FindIcon("RTI_BOLD");
    click(boldIcon, 4, 4);
    TLine* line = e->RtfText()->FirstPar->FirstLine;
    EXPECT_FALSE(line->Attr[0].Style & stBold);
    EXPECT_TRUE(line->Attr[5].Style & stBold);
    EXPECT_TRUE(line->Attr[8].Style & stBold);
    EXPECT_TRUE(e->Modified());
    click(boldIcon, 4, 4);
    line = e->RtfText()->FirstPar->FirstLine;  // a re-wrap makes new lines
    EXPECT_FALSE(line->Attr[5].Style & stBold);
}

TEST_F(RtCompanions, SuperscriptReleasesSubscript) {
    auto* bar = new TRtToolBar(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(0, 0, 500, 31);
    bar->Setsel_StatusIcons({SelSuper, SelSub});
    TRtCustomRichText* e = addEditor(0, 40, 480, 150);
    e->SetRtToolBar(bar);
    show();
    e->SetFocus();
    TSpeedButton* sub = bar->FindIcon("RTI_SUB");
    TSpeedButton* super = bar->FindIcon("RTI_SUPER");
    click(sub, 4, 4);
    EXPECT_TRUE(sub->Down());
    EXPECT_TRUE(e->RtfText()->CurAttr.Style & stSubscript);
    click(super, 4, 4);
    EXPECT_TRUE(super->Down());
    EXPECT_FALSE(sub->Down());
    EXPECT_TRUE(e->RtfText()->CurAttr.Style & stSuperscript);
    EXPECT_FALSE(e->RtfText()->CurAttr.Style & stSubscript);
}

TEST_F(RtCompanions, FontSizeListChangesTheSelectionAndFollowsTheCaret) {
    TRtToolBar* bar = addNarrativeToolBar();
    TRtCustomRichText* e = addEditor(0, 40, 480, 150);
    e->SetRtToolBar(bar);
    show();
    e->SetFocus();
    type(e, "sized");
    e->SelectAll();
    TRtTBCombo* sizes = bar->List(rtListFontSize);
    sizes->SetItemIndex(sizes->Items()->IndexOf(" 14"));
    sizes->Click();
    EXPECT_EQ(e->RtfText()->FirstPar->FirstLine->Attr[0].Size, 14);
    e->SendKey(VK_HOME);
    EXPECT_EQ(sizes->Text(), " 14");
    // A size below 7 leaves the list.
    bar->SetListValue(rtSelFontSize, {}, 6);
    EXPECT_EQ(sizes->Text(), " 14");
}

TEST_F(RtCompanions, ReadOnlyControlRefusesAListChoiceWithStatus11) {
    TRtToolBar* bar = addNarrativeToolBar();
    TRtCustomRichText* e = addEditor(0, 40, 480, 150);
    e->SetRtToolBar(bar);
    show();
    e->SetFocus();
    type(e, "kept");
    e->SelectAll();
    e->SetReadOnly(true);
    TRtTBCombo* sizes = bar->List(rtListFontSize);
    sizes->SetItemIndex(sizes->Items()->IndexOf(" 20"));
    sizes->Click();
    EXPECT_EQ(e->Status(), rtStatusRefused);
    EXPECT_NE(e->RtfText()->FirstPar->FirstLine->Attr[0].Size, 20);
}

TEST(RtStatusBar, DefinitionLinesMakeTypedItems) {
    struct Case {
        std::string line;
        uint8_t kind;
        uint8_t flags;
        int width;  // 0: not checked
        std::string text;
    };
    const std::vector<Case> cases = {
        {"@$120stStatus=Ready", stStatus, siFramed | siSunken, 120, "Ready"},
        {"Hello", stString, 0, 0, "Hello"},
        {"%40stfilename=", stFileName, siDisabled, 40, ""},
        {"$5stTxtFmt=FMT", stTxtFmt, siSunken, 30, "FMT"},
        {"@stPathName", stPathName, siFramed, 0, "@stPathName"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TRtStatusBarBasic bar(nullptr);
        bar.SetBounds(0, 0, 600, 20);
        bar.Lines()->Add(c.line);
        ASSERT_EQ(bar.ItemCount(), 1);
        const TRtStatusItem& item = bar.Items(0);
        EXPECT_EQ(item.Kind, c.kind);
        EXPECT_EQ(item.Flags, c.flags);
        if (c.width) EXPECT_EQ(item.RequestedWidth, c.width);
        EXPECT_EQ(item.Text, c.text);
    }
}

TEST(RtStatusBar, AtMost23ItemsAndTheLastOneStretches) {
    TRtStatusBarBasic bar(nullptr);
    bar.SetBounds(0, 0, 600, 20);
    for (int i = 0; i < 24; ++i) bar.Lines()->Add("20stString=" + std::to_string(i));
    EXPECT_EQ(bar.ItemCount(), 23);

    TRtStatusBarBasic wide(nullptr);
    wide.SetBounds(0, 0, 600, 20);
    wide.Lines()->Add("100stStatus=a");
    wide.Lines()->Add("50stFileName=b");
    EXPECT_EQ(wide.Items(0).X, 2);
    EXPECT_EQ(wide.Items(0).Width, 100);
    EXPECT_EQ(wide.Items(1).X, 104);
    EXPECT_EQ(wide.Items(1).X + wide.Items(1).Width, 598);

    TRtStatusBarBasic narrow(nullptr);
    narrow.SetBounds(0, 0, 100, 20);
    narrow.Lines()->Add("100stStatus=a");
    narrow.Lines()->Add("100stFileName=b");
    EXPECT_LT(narrow.Items(0).Width, 100) << "squeezed";
    EXPECT_EQ(narrow.Items(1).X + narrow.Items(1).Width, 98);
}

TEST_F(RtCompanions, StatusBarShowsTheControlsPanelsAndReportsClicks) {
    auto* bar = new TRtStatusBarBasic(form.get());
    bar->SetParent(form.get());
    bar->Lines()->Add("@$80stStatus");
    bar->Lines()->Add("$40stTxtFmt");
    bar->Lines()->Add("$stFileName= ");
    TRtCustomRichText* e = addEditor(0, 0, 480, 150);
    e->SetStatusBar(bar);
    show();
    e->SetFocus();
    EXPECT_EQ(bar->Items(0).Text, "Ready");
    EXPECT_EQ(bar->Items(1).Text, "rich");
    EXPECT_TRUE(bar->SetItemText(stFileName, "notes.rtf"));
    EXPECT_FALSE(bar->SetItemText(stTime, "x")) << "no item of that kind";
    e->SetLanguage(trtGerman);
    EXPECT_EQ(bar->Items(0).Text, "Bereit");
    e->SetLanguage(trtEnglish);
    uint8_t clicked = 255;
    bar->OnItemClick = [&](TObject*, int, uint8_t kind, const std::string&, int, int, int, TMouseButton, TShiftState) {
        clicked = kind;
    };
    click(bar, bar->Items(1).X + 5, bar->Height() / 2);
    EXPECT_EQ(clicked, stTxtFmt);
    bar->SetShowGauge(true);
    EXPECT_EQ(bar->Items(bar->ItemCount() - 1).Kind, stGauge);
    EXPECT_EQ(bar->Items(bar->ItemCount() - 1).X + bar->Items(bar->ItemCount() - 1).Width, bar->Width() - 2);
    picture(bar, "rtedit_status_bar");
}

TEST_F(RtCompanions, FullToolbarShowsEveryListAndIcon) {
    auto* bar = new TRtToolBar(form.get());
    bar->SetParent(form.get());
    bar->SetAlign(alTop);
    bar->Setsel_ListBoxes({SelFontName, SelFontSize, SelFontColor, SelBackgroundColor, SelStyle});
    bar->Setsel_StatusIcons({SelNormal, SelBold, SelItalic, SelUnder, SelHyperLink, SelStrikeOut, SelSuper, SelSub,
                             SelLeft, SelHidden, SelRTFCode, SelRight, SelBlock, SelCenter});
    bar->Setsel_ActionIcons({SelExit, SelNew, SelOpen, SelSave, SelClose, SelPrint, SelPrintSetup});
    bar->Setsel_DatabaseIcons({SelToStart, SelNext, SelPrev, SelToEnd, SelEdit, SelAdd, SelDel, SelCancel, SelPost});
    bar->Setsel_EditIcons({SelCopy, SelCut, SelPaste, SelSelAll, SelHideSel, SelFind, SelReplace, SelSpellCheck});
    show();
    EXPECT_EQ(bar->ListCount(), 5);
    EXPECT_EQ(bar->IconCount(), 38);
    TRtTBCombo* colors = bar->List(rtListTextColor);
    ASSERT_TRUE(colors);
    EXPECT_EQ(colors->Items()->Count(), 16);
    EXPECT_GT(bar->Height(), 31) << "the rows wrapped";
    picture(bar, "rtedit_full_toolbar");
}
