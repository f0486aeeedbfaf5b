// The rich-text edit window driven through the key and mouse model on a
// shown form: typing, the clipboard, read-only refusal, word selection,
// printing with a page break, and the picture of the whole narrative set.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <string>
#include <vector>

#include "RtEditFixture.h"
#include "RtfTestSupport.h"
#include "richtext/RtRuler.h"
#include "richtext/RtTbar.h"
#include "support/PageImages.h"
#include "support/ReferenceImages.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/Dialogs.h"
#include "ui/Printers.h"
#include "ui/ScrollBar.h"

namespace {

class RtEditWindow : public RtEditFixture {
protected:
    TRtCustomRichText* addEditor(int x, int y, int w, int h) {
        auto* e = new TRtCustomRichText(form.get());
        e->SetParent(form.get());
        e->SetBounds(x, y, w, h);
        e->SetWordWrap(true);
        return e;
    }
};

int parCount(TRtCustomRtfEdit* e) {
    int n = 0;
    for (TParagraph* p = e->RtfText()->FirstPar; p; p = p->Next) ++n;
    return n;
}

std::string clipboardRtf() { return Clipboard()->GetData(TRtCustomRtfEdit::RichTextFormat()); }

}  // namespace

TEST_F(RtEditWindow, CopiedSelectionIsRtfThenPlainTextAndPastesWithItsAttributes) {
    TRtCustomRichText* first = addEditor(8, 8, 300, 100);
    TRtCustomRichText* second = addEditor(8, 120, 300, 100);
    show();
    first->SetFocus();
    first->RtfText()->CurAttr.Style = stBold;
    type(first, "Hello");
    first->SendKey(VK_HOME);
    first->SendKey(VK_END, {ssShift});
    first->SetModified(false);
    Clipboard()->SetAsText("left over");
    first->SendKey(VK_INSERT, {ssCtrl});

    std::string rtf = clipboardRtf();
    EXPECT_EQ(rtf.rfind("{\\rtf", 0), 0u) << rtf;
    EXPECT_NE(rtf.find("Hello"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find('\0'), std::string::npos) << "no trailing zeros on this clipboard";
    EXPECT_EQ(Clipboard()->AsText(), "Hello");
    EXPECT_FALSE(first->Modified()) << "copying is no change";

    second->SetFocus();
    second->SendKey(VK_INSERT, {ssShift});
    EXPECT_EQ(second->RtfText()->GetParText(0), "Hello");
    TLine* line = second->RtfText()->FirstPar->FirstLine;
    ASSERT_TRUE(line->Attr);
    for (int i = 0; i < line->Length; ++i) EXPECT_TRUE(line->Attr[i].Style & stBold) << "character " << i;
    EXPECT_TRUE(second->Modified());
}

TEST_F(RtEditWindow, CopyWithoutSelectionLeavesTheClipboard) {
    TRtCustomRichText* e = addEditor(8, 8, 300, 100);
    show();
    e->SetFocus();
    type(e, "abc");
    Clipboard()->SetAsText("kept");
    e->SendChar(3);  // Ctrl+C
    EXPECT_EQ(Clipboard()->AsText(), "kept");
    EXPECT_FALSE(Clipboard()->HasFormat(TRtCustomRtfEdit::RichTextFormat()));
}

TEST_F(RtEditWindow, PastePrefersRichTextOverPlainText) {
    TRtCustomRichText* e = addEditor(8, 8, 300, 100);
    show();
    e->SetFocus();
    TClipboard* c = Clipboard();
    c->Open();
    c->Clear();
    c->SetData(TRtCustomRtfEdit::RichTextFormat(), "{\\rtf1\\ansi {\\i rich}\\par}");
    c->SetData(CF_TEXT, "plain");
    c->Close();
    e->SendChar(22);  // Ctrl+V
    EXPECT_EQ(e->RtfText()->GetParText(0), "rich");
}

TEST_F(RtEditWindow, ReadOnlyRefusesTypingPasteAndCutAndFiresNoChange) {
    TRtCustomRichText* e = addEditor(8, 8, 300, 100);
    show();
    e->SetFocus();
    type(e, "fixed");
    e->SelectAll();
    e->SetReadOnly(true);
    int changes = 0;
    e->OnChange = [&](TObject*) { ++changes; };
    e->SetModified(false);
    Clipboard()->SetAsText("pasted");

    type(e, "xyz");
    e->SendKey(VK_RETURN);
    e->SendKey(VK_BACK);
    e->SendChar(22);                   // Ctrl+V
    e->SendKey(VK_INSERT, {ssShift});  // paste
    e->SendChar(24);                   // Ctrl+X
    e->SendKey(VK_DELETE, {ssShift});  // cut
    e->SendKey(VK_DELETE);

    EXPECT_EQ(e->RtfText()->GetParText(0), "fixed");
    EXPECT_EQ(parCount(e), 1);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(e->Modified());
    EXPECT_EQ(Clipboard()->AsText(), "pasted") << "a refused cut puts nothing on the clipboard";
}

TEST_F(RtEditWindow, PropertyDefaultsAndTheirLimits) {
    auto* loose = new TRtCustomRichText(nullptr);
    EXPECT_FALSE(loose->ShowPageBreak()) << "no window yet";
    delete loose;
    TRtCustomRichText* e = addEditor(8, 8, 300, 100);
    EXPECT_TRUE(e->ShowPageBreak());
    e->SetShowPageBreak(false);
    EXPECT_FALSE(e->ShowPageBreak());
    EXPECT_EQ(e->RtfText()->PaintOptions & rtLayoutHidePageBreaks, rtLayoutHidePageBreaks);
    for (int value : {0, -5}) {
        e->SetZooming(value);
        e->SetResizing(value);
        EXPECT_EQ(e->Zooming(), 100);
        EXPECT_EQ(e->Resizing(), 100);
    }
    e->SetZooming(150);
    EXPECT_EQ(e->Zooming(), 150);
    EXPECT_TRUE(e->WantTabs());
    EXPECT_EQ(e->ScrollBars(), ssNone);
    EXPECT_EQ(e->BorderStyle(), bsSingle);
}

TEST_F(RtEditWindow, KeysMoveSelectAndEdit) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 120);
    show();
    e->SetFocus();
    type(e, "one two");
    e->SendKey(VK_LEFT, {ssCtrl});
    e->SendKey(VK_END, {ssShift});
    EXPECT_EQ(e->SelLength(), 3);
    e->SendKey(VK_DELETE);
    EXPECT_EQ(e->RtfText()->GetParText(0), "one ");
    e->SendKey(VK_TAB);
    e->SendKey(VK_TAB, {ssShift});  // no handler: nothing
    e->SendKey(VK_TAB, {ssAlt});
    EXPECT_EQ(e->RtfText()->GetParText(0), "one \t");
    int shiftTabs = 0;
    e->ShiftTabPressed = [&](TObject*) { ++shiftTabs; };
    e->SendKey(VK_TAB, {ssShift});
    EXPECT_EQ(shiftTabs, 1);
    e->SendKey(VK_RETURN);
    type(e, "x");
    EXPECT_EQ(parCount(e), 2);
    bool inserting = e->Inserting();
    e->SendKey(VK_INSERT);
    EXPECT_NE(e->Inserting(), inserting);
}

TEST_F(RtEditWindow, ControlCharactersFromKeysOrPastedTextNeverBecomeText) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 120);
    show();
    e->SetFocus();
    type(e, "Hello world");
    e->SendKey(VK_HOME, {ssShift});
    // Ctrl+A, Ctrl+B, Ctrl+L, Escape, Ctrl+Backspace and two more Ctrl keys.
    for (char key : {'\x01', '\x02', '\x0c', '\x1b', '\x7f', '\x1c', '\x1f'}) e->SendChar(key);
    EXPECT_EQ(TextOf(*e->RtfText()), "Hello world");
    EXPECT_EQ(e->SelLength(), 11) << "the selection stays";
    EXPECT_NE(SaveRtf(*e->RtfText()).find("Hello world"), std::string::npos);
    // Backspace and Enter still edit.
    e->SendKey(VK_END);
    e->SendChar('\b');
    e->SendChar('\r');
    type(e, "x");
    EXPECT_EQ(TextOf(*e->RtfText()), "Hello worl|x");
    // Pasted plain text keeps its tabs and line ends only.
    Clipboard()->SetAsText("a\x01" "b\x02" "c\x08" "d\x0c" "e\x1b" "f\x7f" "g\th\r\ni");
    e->SendChar(22);  // Ctrl+V
    EXPECT_EQ(TextOf(*e->RtfText()), "Hello worl|xabcdefg\th|i");
}

TEST_F(RtEditWindow, DoubleClickSelectsAWordUpToSpacesAndTabs) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 120);
    show();
    e->SetFocus();
    type(e, "alpha beta\tgamma");
    TRtRTFTextInput* t = e->RtfText();
    TLine* line = t->FirstPar->FirstLine;
    int x = t->CharToX(t->FirstPar, line, 7) + t->PaintLeft + t->LeftOffset;
    int y = line->Y + line->Height / 2 - t->TopOffset + t->PaintTop;
    doubleClick(e, x, y);
    EXPECT_EQ(e->SelStart(), 6);
    EXPECT_EQ(e->SelLength(), 4);

    e->HideSelection();
    e->SetNoBlockMarking(true);
    click(e, 2, y);
    doubleClick(e, x, y);
    EXPECT_EQ(e->SelLength(), 0);
}

TEST_F(RtEditWindow, HyperlinkClickReportsTextStampAndLineWithoutMovingTheCaret) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 120);
    show();
    e->SetFocus();
    type(e, "see sitehttp://x more");
    TRtRTFTextInput* t = e->RtfText();
    // "site" is the link, "http://x" its hidden stamp.
    TLine* marked = t->FirstPar->FirstLine;
    for (int i = 4; i < 8; ++i) marked->Attr[i].Style |= stHyperlink;
    for (int i = 8; i < 16; ++i) marked->Attr[i].Special |= spHidden;
    t->FirstPar->Dirty |= dfAll;
    e->ReformatAll();
    std::string text, stamp;
    int32_t lineNumber = -1;
    e->HyperLinkEvent = [&](TObject*, const std::string& tx, const std::string& st, int32_t n) {
        text = tx;
        stamp = st;
        lineNumber = n;
    };
    e->SetOneClickHyperlink(true);
    e->SetCaretIndex(0);
    TLine* line = t->FirstPar->FirstLine;
    int x = t->CharToX(t->FirstPar, line, 5) + t->PaintLeft + t->LeftOffset + 1;
    click(e, x, line->Y + line->Height / 2 + t->PaintTop);
    EXPECT_EQ(text, "site");
    EXPECT_EQ(stamp, "http://x");
    EXPECT_EQ(lineNumber, 0);
    EXPECT_EQ(e->CaretIndex(), 0);
}

TEST_F(RtEditWindow, CtrlEnterBreakPrintsTwoPagesWithAHeaderEach) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 160);
    show();
    e->SetFocus();
    type(e, "Page one");
    e->SendKey(VK_RETURN, {ssCtrl});
    type(e, "Page two");
    EXPECT_EQ(e->RtfText()->GetParText(0), "Page one");
    EXPECT_EQ(e->RtfText()->GetParText(1), "Page two");

    TempDir dir;
    TPrinter* printer = Printer();
    printer->SetPrinterIndex(printer->Printers()->Count() - 1);  // the PDF printer
    printer->SetOutputFile(dir.file("narrative.pdf"));
    std::vector<int> headers, footers;
    std::vector<int32_t> headerLines;
    e->PrintHeader = [&](TObject*, TCanvas* c, int x, int y, int w, int h, int page, int32_t line) {
        headers.push_back(page);
        headerLines.push_back(line);
        c->TextOut(x, y + h / 2, "Header " + std::to_string(page));
        (void)w;
    };
    e->PrintFooter = [&](TObject*, TCanvas*, int, int, int, int, int page, int32_t) { footers.push_back(page); };
    bool wrapBefore = e->WordWrap();
    e->Print();
    printer->SetOutputFile("");

    EXPECT_EQ(PdfPageCount(dir.file("narrative.pdf")), 2);
    EXPECT_EQ(headers, (std::vector<int>{1, 2}));
    EXPECT_EQ(headerLines, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(footers, (std::vector<int>{1, 2}));
    EXPECT_EQ(e->WordWrap(), wrapBefore);
    QImage page2 = RenderPdfPage(dir.file("narrative.pdf"), 2, 72);
    ASSERT_FALSE(page2.isNull());
    EXPECT_FALSE(InkBounds(page2).IsEmpty()) << "page two carries text";
    KeepPicture(page2, "rtedit_print_page2");
}

TEST_F(RtEditWindow, NarrativeSetLooksAsItsReference) {
    form->SetBounds(0, 0, 520, 300);
    auto* bar = new TRtToolBar(form.get());
    bar->SetParent(form.get());
    bar->SetAlign(alTop);
    bar->Setsel_ListBoxes({SelFontName, SelFontSize});
    bar->Setsel_StatusIcons({SelNormal, SelBold, SelItalic, SelUnder, SelLeft, SelRight, SelCenter});
    bar->Setsel_ActionIcons({SelPrint, SelPrintSetup});
    bar->Setsel_EditIcons({SelCopy, SelCut, SelPaste});
    auto* ruler = new TRtRuler(form.get());
    ruler->SetParent(form.get());
    ruler->SetBounds(0, bar->Height(), 520, 22);
    ruler->SetUnits(Inch);
    TRtCustomRichText* e = addEditor(0, bar->Height() + 22, 520, 300 - bar->Height() - 22);
    e->SetRtRuler(ruler);
    e->SetRtToolBar(bar);
    show();
    e->SetFocus();
    e->SetTextBuf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 Exam narrative for {\\b Smith}.\\par}");
    e->SendKey(VK_END, {ssCtrl});
    e->SendKey(VK_RETURN);
    type(e, "Lenses:");
    e->SendKey(VK_TAB);
    type(e, "progressive with coating");
    e->SendKey(VK_LEFT, {ssCtrl});
    e->SendKey(VK_LEFT, {ssCtrl});
    e->SendKey(VK_RIGHT, {ssCtrl, ssShift});
    TSpeedButton* bold = bar->FindIcon("RTI_BOLD");
    ASSERT_TRUE(bold);
    click(bold, 4, 4);
    EXPECT_TRUE(bold->Down());
    std::string boldText;
    for (TParagraph* p = e->RtfText()->FirstPar->Next; p; p = p->Next)
        for (TLine* line = p->FirstLine; line; line = line->Next)
            for (int i = 0; i < line->Length; ++i)
                if (line->Attr[i].Style & stBold) boldText += line->Text[i];
    EXPECT_EQ(boldText, "with");

    QImage image = picture(form.get(), "rtedit_narrative_set");
    std::string why;
    EXPECT_TRUE(MatchesReference(image, std::string(RT_REFERENCE_DIR) + "/narrative_set.png", &why)) << why;
}

TEST_F(RtEditWindow, PrintRestoresTheDocumentWhenAHeaderFails) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 160);
    show();
    e->SetFocus();
    type(e, "Some text to print");
    uint32_t options = e->RtfText()->PaintOptions;
    int width = e->RtfText()->WindowWidth;
    TCanvas* canvas = e->RtfText()->Canvas;
    TempDir dir;
    TPrinter* printer = Printer();
    printer->SetPrinterIndex(printer->Printers()->Count() - 1);
    printer->SetOutputFile(dir.file("failed.pdf"));
    e->PrintHeader = [](TObject*, TCanvas*, int, int, int, int, int, int32_t) {
        throw Exception("header failed");
    };
    EXPECT_THROW(e->Print(), Exception);
    printer->SetOutputFile("");
    EXPECT_FALSE(printer->Printing());
    EXPECT_TRUE(e->WordWrap());
    EXPECT_EQ(e->RtfText()->PaintOptions, options);
    EXPECT_EQ(e->RtfText()->WindowWidth, width);
    EXPECT_EQ(e->RtfText()->Canvas, canvas);
    EXPECT_EQ(e->RtfText()->GetParText(0), "Some text to print");
}

TEST_F(RtEditWindow, FindWithAWildcardSelectsTheMatchAndReplaceAllChangesEveryOne) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 160);
    show();
    e->SetFocus();
    type(e, "red lens, red frame");
    e->SendKey(VK_HOME);
    TDialogScript script;
    TDialogAnswer find;
    find.Result = mrOk;
    find.Text = "l*s";
    find.Options = findOptionBit(frFindNext) | findOptionBit(frDown);
    script.Answer(find);
    e->ShowFindDialog();
    EXPECT_EQ(e->SelStart(), 4);
    EXPECT_EQ(e->SelLength(), 4);
    EXPECT_EQ(e->CaretIndex(), 8);

    TDialogAnswer replaceAll;
    replaceAll.Result = mrOk;
    replaceAll.Text = "red";
    replaceAll.ReplaceText = "blue";
    replaceAll.Options = findOptionBit(frReplaceAll);
    script.Answer(replaceAll);
    e->ShowReplaceDialog();
    EXPECT_EQ(e->RtfText()->GetParText(0), "blue lens, blue frame");
    EXPECT_TRUE(e->Modified());
}

TEST_F(RtEditWindow, SaveAsKeepsTheNameAndCancelKeepsTheDocument) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 160);
    show();
    e->SetFocus();
    type(e, "to keep");
    TempDir dir;
    TDialogScript script;
    script.Answer(mrCancel);
    e->Save();
    EXPECT_EQ(e->Status(), rtStatusCancelled);
    EXPECT_EQ(e->FileName(), "");
    EXPECT_TRUE(e->Modified());
    script.Answer(mrOk, dir.file("note.rtf"));
    e->Save();
    EXPECT_EQ(e->Status(), rtStatusOk);
    EXPECT_EQ(e->FileName(), dir.file("note.rtf"));
    EXPECT_FALSE(e->Modified());
    EXPECT_EQ(script.Shown().back().Filter, RtMessage(rtmFileFilter));

    e->New();
    EXPECT_EQ(e->RtfText()->GetParText(0), "");
    script.Answer(mrOk, dir.file("note.rtf"));
    e->Open();
    EXPECT_EQ(e->RtfText()->GetParText(0), "to keep");
    EXPECT_EQ(e->FileName(), dir.file("note.rtf"));
}

TEST_F(RtEditWindow, AnObjectIsSelectedByDoubleClickAndResizedFromItsCorner) {
    TRtCustomRichText* e = addEditor(8, 8, 400, 200);
    show();
    e->SetFocus();
    type(e, "x ");
    TBitmap picture(40, 30);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(TRect{0, 0, 40, 30});
    e->InsertGraphic(&picture);
    Application->ProcessMessages();
    TRtRTFTextInput* t = e->RtfText();
    ASSERT_EQ(t->ObjectRectCount, 1);
    TRtObjectRect r = t->ObjectRects[0];
    int x = r.X + t->PaintLeft + t->LeftOffset + r.Width / 2, y = r.Y - t->TopOffset + t->PaintTop + r.Height / 2;
    doubleClick(e, x, y);
    EXPECT_EQ(e->SelLength(), 1);
    Application->ProcessMessages();
    TRect box = t->SelectedObject.Rect;
    ASSERT_GT(box.Width(), 0) << "painted as selected";

    mouse(e, QEvent::MouseMove, box.Right - 3, box.Bottom - 3);
    EXPECT_TRUE(e->ObjectResizeArmed());
    EXPECT_EQ(e->Cursor(), crSizeNWSE);
    mouse(e, QEvent::MouseButtonPress, box.Right - 3, box.Bottom - 3);
    mouse(e, QEvent::MouseMove, box.Right + 20, box.Bottom + 10);
    mouse(e, QEvent::MouseButtonRelease, box.Right + 20, box.Bottom + 10);
    const TObjectEntry& entry = t->Objects.front();
    EXPECT_EQ(entry.WidthTw, (box.Width() + 20) * 1440 / 96);
    EXPECT_EQ(entry.HeightTw, (box.Height() + 10) * 1440 / 96);
    EXPECT_FALSE(e->ObjectResizeArmed());
}

TEST_F(RtEditWindow, AnOutsideScrollBarScrollsTheTextAndFollowsIt) {
    TRtCustomRichText* e = addEditor(8, 8, 300, 80);
    auto* bar = new TScrollBar(form.get());
    bar->SetParent(form.get());
    bar->SetKind(sbVertical);
    bar->SetBounds(310, 8, 16, 80);
    e->SetExternVerScrollBar(bar);
    EXPECT_EQ(bar->Max(), 1000);
    show();
    e->SetFocus();
    for (int i = 0; i < 30; ++i) {
        type(e, "line " + std::to_string(i));
        e->SendKey(VK_RETURN);
    }
    TRtRTFTextInput* t = e->RtfText();
    ASSERT_GT(t->DocHeight, t->WindowHeight);
    EXPECT_GT(t->TopOffset, 0);
    EXPECT_EQ(bar->Position(), std::min(t->TopOffset * 1000 / (t->DocHeight - t->WindowHeight), 1000))
        << "follows the caret's scroll";
    bar->Scroll(scPosition, 0);
    EXPECT_EQ(t->TopOffset, 0);
    EXPECT_EQ(bar->Position(), 0);
}
