#include "richtext/RtRich.h"

#include <algorithm>

#include "base/Streams.h"
#include "richtext/RtHeader.h"
#include "richtext/RtRuler.h"
#include "richtext/RtStatus.h"
#include "richtext/RtTbar.h"
#include "ui/Dialogs.h"
#include "ui/ScrollBar.h"
#include "ui/StdCtrls.h"

namespace {

// The shared dialogs and the control they serve now.
struct SharedDialogs {
    std::unique_ptr<TFindDialog> find;
    std::unique_ptr<TReplaceDialog> replace;
};

SharedDialogs& sharedDialogs() {
    static SharedDialogs dialogs;
    return dialogs;
}

// Style icons of group 1 and the Style bit each stands for.
uint8_t styleBitOf(int num) {
    switch (num) {
    case 2: return stBold;
    case 3: return stItalic;
    case 4: return stUnderline;
    case 5: return stHyperlink;
    case 6: return stStrikeOut;
    case 7: return stSuperscript;
    case 8: return stSubscript;
    default: return 0;
    }
}

constexpr int iconNormal = 1, iconSuper = 7, iconSub = 8, iconHidden = 9, iconRtfCode = 19;
constexpr int iconCopy = 1, iconCut = 2, iconPaste = 3, iconSelAll = 4, iconHideSel = 5, iconFind = 6,
              iconReplace = 7, iconSpell = 8;
constexpr int iconOpen = 3, iconSave = 4, iconClose = 5;
constexpr int iconPrint = 1, iconPrintSetup = 2;

// The alignment icon numbers by paragraph alignment (left, right, centred, justified).
constexpr int alignIcon[] = {1, 2, 4, 3};
// Paragraph alignment by alignment icon number 1..4.
constexpr uint8_t alignOfIcon[] = {0, 0, 1, 3, 2};

}  // namespace

// ---------------------------------------------------------------- TRtRichTextSetMode

// A shared toolbar or ruler shows the control it serves now, not every control linked to it.
bool TRtRichTextSetMode::servesToolBar() const { return ToolBar && ToolBar->Editor() == Control; }

bool TRtRichTextSetMode::servesRuler() const { return Ruler && Ruler->Editor() == Control; }

void TRtRichTextSetMode::ParagraphChanged() {
    if (!Text || !Text->CurPar) return;
    TParagraph* p = Text->CurPar;
    TTextHeader& h = *Text->Header;
    h.Current.TabSet = (p->ParFlags & pfTableCell) ? 0 : p->TabSet;
    if (h.Current.IndentFirst != p->IndentFirst) {
        h.Current.IndentFirst = static_cast<uint16_t>(std::max(p->IndentFirst, 0));
        if (servesRuler()) Ruler->Invalidate();
    }
    if (servesToolBar() && !Text->LayoutLocked) ToolBar->SetIconDown({}, rtGroupAlign, alignIcon[p->Align & 3]);
    if (servesRuler()) Ruler->SetIndents(std::max(p->IndentFirst, 0), std::max(p->IndentLeft, 0), std::max(p->IndentRight, 0));
}

void TRtRichTextSetMode::AttributesChanged() {
    if (!Text || !servesToolBar() || Text->LayoutLocked) return;
    const TCharAttr& a = Text->CurAttr;
    struct Bit {
        bool special;
        uint8_t bit;
        int num;
    };
    const Bit bits[] = {{false, stBold, 2},      {false, stItalic, 3},   {false, stUnderline, 4},
                        {false, stHyperlink, 5}, {false, stStrikeOut, 6}, {false, stSuperscript, 7},
                        {false, stSubscript, 8}, {true, spHidden, 9},    {true, spRtfCode, 19}};
    bool any = false;
    for (const Bit& b : bits) {
        bool on = ((b.special ? a.Special : a.Style) & b.bit) != 0;
        any = any || on;
        if (on)
            ToolBar->SetIconDown({}, rtGroupStatus, b.num);
        else
            ToolBar->SetIconUp({}, rtGroupStatus, b.num);
    }
    if (any)
        ToolBar->SetIconUp({}, rtGroupStatus, iconNormal);
    else
        ToolBar->SetIconDown({}, rtGroupStatus, iconNormal);
    ToolBar->SetListValue(rtSelFontName, GetFontName(), 0);
    ToolBar->SetListValue(rtSelFontSize, {}, GetFontSize());
    ToolBar->SetListValue(rtSelTextColor, {}, GetTextColor());
    ToolBar->SetListValue(rtSelBackColor, {}, GetBackColor());
}

void TRtRichTextSetMode::PositionChanged() {
    if (!servesRuler() || !Control || !Text) return;
    Ruler->SetHeader(Text->Header.get());
    Ruler->SetXOffset(Text->LeftOffset);
    Ruler->SetLeftOffset(Control->Left() - Ruler->Left() + Text->PaintLeft + 1);
    Ruler->PlaceMarkers();
}

// ---------------------------------------------------------------- TRtCustomRichText

TRtCustomRichText::TRtCustomRichText(TComponent* AOwner)
    : TRtCustomRtfEdit(AOwner),
      ownFinder_(std::make_unique<TRtTextFinder>()),
      richFinder_(ownFinder_.get()),
      setMode_(std::make_unique<TRtRichTextSetMode>()) {
    setMode_->Document = RtfText();
    setMode_->Text = RtfText();
    setMode_->Control = this;
    RtfText()->ModeControl = setMode_.get();
    ruler_.OnClear = [this] { setMode_->Ruler = nullptr; };
    toolBar_.OnClear = [this] { setMode_->ToolBar = nullptr; };
    RtfText()->Header->AddFont("Arial");
    SetInserting(true);
}

TRtCustomRichText::~TRtCustomRichText() {
    Disconnect();
    RtfText()->ModeControl = nullptr;
    setMode_.reset();
}

// ---------------------------------------------------------------- companions

void TRtCustomRichText::bindRuler() {
    if (!ruler_) return;
    ruler_->SetEditor(this);
    ruler_->SetHeader(RtfText()->Header.get());
    setMode_->ParagraphChanged();
    setMode_->PositionChanged();
    ruler_->Invalidate();
}

void TRtCustomRichText::SetRtRuler(TRtRuler* Value) {
    setMode_->Ruler = Value;
    ruler_.set(Value);
    if (Value) bindRuler();
}

void TRtCustomRichText::SetRtToolBar(TRtCustomToolPanel* Value) {
    setMode_->ToolBar = Value;
    toolBar_.set(Value);
    if (Value) Value->SetEditor(this);
}

void TRtCustomRichText::SetStatusBar(TRtStatusBarBasic* Value) {
    statusBar_.set(Value);
    if (Value) {
        Value->SetEditor(this);
        StatusBarUpdate(Value);
    }
}

void TRtCustomRichText::SetStatusLabel(TLabel* Value) { statusLabel_.set(Value); }

void TRtCustomRichText::bindScrollBar(TComponentRef<TScrollBar>& Slot, TScrollBar* Value,
                                      void (TRtCustomRtfEdit::*scroll)(int, int)) {
    Slot.set(Value);
    if (!Value) return;
    Value->OnScroll = [this, scroll](TObject*, TScrollCode Code, int& Pos) { (this->*scroll)(Code, Pos); };
    Value->SetParams(0, 0, rtScrollRange);
}

void TRtCustomRichText::SetExternVerScrollBar(TScrollBar* Value) {
    bindScrollBar(externVer_, Value, &TRtCustomRtfEdit::VScrollMessage);
}

void TRtCustomRichText::SetExternHorScrollBar(TScrollBar* Value) {
    bindScrollBar(externHor_, Value, &TRtCustomRtfEdit::HScrollMessage);
}

void TRtCustomRichText::UpdateVertScrollBar() {
    TRtCustomRtfEdit::UpdateVertScrollBar();
    if (!externVer_) return;
    TRtRTFTextInput& t = *RtfText();
    int span = t.DocHeight - t.WindowHeight;
    externVer_->SetPosition(span > 0 ? std::clamp(t.TopOffset * rtScrollRange / span, 0, rtScrollRange) : 0);
}

void TRtCustomRichText::UpdateHorzScrollBar() {
    TRtCustomRtfEdit::UpdateHorzScrollBar();
    if (!externHor_) return;
    TRtRTFTextInput& t = *RtfText();
    int span = t.Header->TextWidthPx - t.WindowWidth;
    externHor_->SetPosition(span > 0 ? std::clamp(-t.LeftOffset * rtScrollRange / span, 0, rtScrollRange) : 0);
}

void TRtCustomRichText::Connect() {
    bindRuler();
    if (statusBar_) {
        statusBar_->SetEditor(this);
        StatusBarUpdate(statusBar_);
    }
    if (toolBar_) {
        toolBar_->SetEditor(this);
        const TTextHeader& h = *RtfText()->Header;
        for (int i = 0; i < 16; ++i) colorTable_[i] = RGB(h.Palette[i].Red, h.Palette[i].Green, h.Palette[i].Blue);
        toolBar_->SetColorTable(colorTable_);
    }
    setMode_->ParagraphChanged();
    setMode_->AttributesChanged();
    SharedDialogs& d = sharedDialogs();
    if (d.find) d.find->OnFind = [this](TObject* s) { FindHandler(s); };
    if (d.replace) {
        d.replace->OnFind = [this](TObject* s) { FindHandler(s); };
        d.replace->OnReplace = [this](TObject* s) { ReplaceHandler(s); };
    }
}

void TRtCustomRichText::Disconnect() {
    if (ruler_ && ruler_->Editor() == this) {
        ruler_->SetEditor(nullptr);
        ruler_->SetHeader(nullptr);
    }
    if (statusBar_ && statusBar_->Editor() == this) statusBar_->SetEditor(nullptr);
    if (toolBar_ && toolBar_->Editor() == this) {
        toolBar_->SetEditor(nullptr);
        toolBar_->SetColorTable(nullptr);
    }
    SharedDialogs& d = sharedDialogs();
    if (d.find) d.find->OnFind = nullptr;
    if (d.replace) {
        d.replace->OnFind = nullptr;
        d.replace->OnReplace = nullptr;
    }
}

void TRtCustomRichText::DoEnter() {
    TRtCustomRtfEdit::DoEnter();
    // The class library tells no one which control became active, so the
    // control that takes the focus tells its toolbar where to send it back.
    if (auto* bar = dynamic_cast<TRtToolBar*>(toolBar_.get())) bar->SetLastFocused(this);
    Connect();
}

void TRtCustomRichText::Resize() {
    TRtCustomRtfEdit::Resize();
    if (ruler_ && ruler_->Editor() == this) setMode_->PositionChanged();
}

void TRtCustomRichText::SetWordWrap(bool Value) {
    TRtCustomRtfEdit::SetWordWrap(Value);
    if (ruler_) ruler_->Invalidate();
}

void TRtCustomRichText::DoEditState(TObject* Sender, bool selection_marked, bool clipboard_not_empty) {
    TRtCustomRtfEdit::DoEditState(Sender, selection_marked, clipboard_not_empty);
    setMode_->SelectionPresent = selection_marked;
    if (!toolBar_ || toolBar_->Editor() != this) return;
    toolBar_->EnableIcon({}, rtGroupEdit, Clipboard()->HasFormat(CF_TEXT), iconPaste);
    for (int num : {iconCut, iconHideSel, iconCopy}) toolBar_->EnableIcon({}, rtGroupEdit, selection_marked, num);
    if (selection_marked)
        toolBar_->SetIconDown({}, rtGroupEdit, iconHideSel);
    else
        toolBar_->SetIconUp({}, rtGroupEdit, iconHideSel);
}

// ---------------------------------------------------------------- status

void TRtCustomRichText::setPanel(uint8_t Kind, const std::string& Text) {
    if (statusBar_) statusBar_->SetItemText(Kind, Text);
}

void TRtCustomRichText::StatusBarUpdate(TObject*) {
    bool plain = RtfText()->MemoryFormat == fmPlainText;
    setPanel(rtPanelFormat, RtMessage(plain ? rtmModePlain : rtmModeRich));
    setPanel(rtPanelStatus, RtMessage(rtmReady));
    setPanel(rtPanelFileName, fileName_.empty() ? " " : fileName_);
}

void TRtCustomRichText::ShowStatus(const std::string& Text) {
    std::string text = Text.empty() ? RtMessage(rtmReady) : Text;
    if (statusLabel_) {
        statusLabel_->SetCaption(text);
        statusLabel_->Repaint();
    }
    setPanel(rtPanelStatus, text);
}

void TRtCustomRichText::SetLanguage(TRtToolLanguage Value) {
    RtToolLanguage = Value;
    StatusBarUpdate(this);
    ShowStatus();
}

// ---------------------------------------------------------------- toolbar

void TRtCustomRichText::styleIcon(TRtSelNr& Typ, int num) {
    bool down = Typ == rtSelIconDown;
    TRtRTFTextInput& t = *RtfText();
    if (num == iconNormal) {
        if (down && CanChange()) {
            t.SetBlockStyle(0, true);
            Change();
        }
    } else if (num == iconHidden || num == iconRtfCode) {
        if (CanChange()) {
            t.SetBlockStyle((num == iconHidden ? spHidden : spRtfCode) << 8, down);
            Change();
        }
    } else if (uint8_t bit = styleBitOf(num)) {
        if (down && num == iconSuper && toolBar_) toolBar_->SetIconUp({}, rtGroupStatus, iconSub);
        if (down && num == iconSub && toolBar_) toolBar_->SetIconUp({}, rtGroupStatus, iconSuper);
        if (CanChange()) {
            if (down && num == iconSuper) t.SetBlockStyle(stSubscript, false);
            if (down && num == iconSub) t.SetBlockStyle(stSuperscript, false);
            t.SetBlockStyle(bit, down);
            Change();
        }
    } else {
        return;
    }
    t.ReformatAll();
    Typ = rtSelHandled;
    setMode_->AttributesChanged();
    Invalidate();
}

void TRtCustomRichText::ToolbarIcon(TObject*, TRtSelNr& Typ, const std::string&, int group, int num, int) {
    if (Typ != rtSelIconDown && Typ != rtSelIconUp) return;
    bool down = Typ == rtSelIconDown;
    auto releaseIcon = [&] {
        if (toolBar_) toolBar_->SetIconUp({}, group, num);
    };
    switch (group) {
    case rtGroupStatus:
        styleIcon(Typ, num);
        return;
    case rtGroupAlign:
        if (down && num >= 1 && num <= 4 && CanChange()) {
            RtfText()->SetAlignment(alignOfIcon[num]);
            Change();
        }
        Typ = rtSelHandled;
        Invalidate();
        return;
    case rtGroupEdit:
        switch (num) {
        case iconCopy: CopyToClipboard(); break;
        case iconCut: CutToClipboard(); Change(); break;
        case iconPaste: PasteFromClipboard(); Change(); break;
        case iconSelAll: SelectAll(); break;
        case iconHideSel: RtfText()->SelectRange(0, 0); RtfText()->Repaint(); break;
        case iconFind: ShowFindDialog(); break;
        case iconReplace: if (!ReadOnly()) ShowReplaceDialog(); break;
        case iconSpell: if (!ReadOnly() && StartSpellCheck) StartSpellCheck(this); break;
        default: return;
        }
        if (num != iconSelAll && num != iconHideSel) releaseIcon();
        Typ = rtSelHandled;
        return;
    case rtGroupFile:
        switch (num) {
        case iconOpen: Open(); break;
        case iconSave: SaveAs(); break;
        case iconClose:
            Save();
            if (Status() == rtStatusOk) New();
            break;
        default: return;
        }
        releaseIcon();
        Typ = rtSelHandled;
        return;
    case rtGroupPrint:
        if (num == iconPrint) Print();
        else if (num == iconPrintSetup) PrinterSetup();
        else return;
        releaseIcon();
        Typ = rtSelHandled;
        return;
    default:
        return;
    }
}

void TRtCustomRichText::ToolbarList(TObject*, TRtSelNr& Typ, const std::string& str, int num) {
    if (ReadOnly() || !CanChange()) {
        RtfText()->Status = rtStatusRefused;
        return;
    }
    TCharAttr a = RtfText()->CurAttr;
    int mask = 0;
    switch (Typ) {
    case rtSelFontName:
        a.Font = static_cast<uint8_t>(RtfText()->Header->AddFont(str.substr(0, 255)));
        mask = amFont;
        break;
    case rtSelFontSize:
        a.Size = static_cast<uint8_t>(std::clamp(num, 1, 255));
        mask = amSize;
        break;
    case rtSelTextColor:
        a.Colors = static_cast<uint8_t>((a.Colors & 0xF0) | (num & 0x0F));
        mask = amTextColor;
        break;
    case rtSelBackColor:
        a.Colors = static_cast<uint8_t>((a.Colors & 0x0F) | ((num & 0x0F) << 4));
        mask = amBackColor;
        break;
    default:
        return;
    }
    RtfText()->SetCurrentAttr(a, mask);
    RtfText()->ReformatAll();
    Typ = rtSelHandled;
    Change();
    Invalidate();
}

// ---------------------------------------------------------------- ruler

void TRtCustomRichText::RulerChanged(TObject*, TRtSelNr& Typ, int, int, bool changing) {
    TRtRTFTextInput& t = *RtfText();
    if (Focused() && t.CurPar) {
        bool inCell = (t.CurPar->ParFlags & pfTableCell) != 0;
        if (!(changing && inCell) && CanChange()) {
            const TRtRulerArea& c = t.Header->Current;
            t.SetIndents(c.IndentFirst, c.IndentLeft, c.IndentRight, true);
            if (!changing) Change();
            Invalidate();
            Typ = rtSelHandled;
        }
    }
    t.ReformatAll();
    t.UpdateCaret();
}

void TRtCustomRichText::setTabBit(bool IsSet, uint32_t Bit) {
    TRtRTFTextInput& t = *RtfText();
    if (!t.CurPar) return;
    t.SetTabs(Bit, IsSet);
    t.Header->Current.TabSet = (t.CurPar->ParFlags & pfTableCell) ? 0 : t.CurPar->TabSet;
}

void TRtCustomRichText::RulerClicked(TObject*, bool IsSet, uint32_t Bit) {
    if (Focused() && CanChange()) {
        setTabBit(IsSet, Bit);
        Change();
    }
    ReformatAll();
    if (ruler_) ruler_->Invalidate();
}

// ---------------------------------------------------------------- files

void TRtCustomRichText::LoadFromStream(TStream* Stream) {
    RtfText()->LoadFromStream(Stream);
    ReformatAll();
}

void TRtCustomRichText::SaveToStream(TStream* Stream) { RtfText()->SaveToStream(Stream); }

void TRtCustomRichText::SaveSelectionToStream(TStream* Stream) {
    if (RtfText()->HasBlock() && SelLength() > 0)
        RtfText()->SaveBlockToStream(Stream);
    else
        ShowStatus(RtMessage(rtmNoSelection));
}

void TRtCustomRichText::SaveToFile(const std::string& FileName) {
    RtfText()->Status = rtStatusOk;
    try {
        RtfText()->SaveToFile(FileName);
    } catch (const Exception&) {
        if (RtfText()->Status == rtStatusOk) RtfText()->Status = rtStatusFailed;
        throw;
    }
    if (RtfText()->Status == rtStatusOk) fileName_ = FileName;
}

void TRtCustomRichText::LoadFromFile(const std::string& FileName) {
    RtfText()->Status = rtStatusOk;
    Clear();
    RtfText()->LoadFromFile(FileName);
    ReformatAll();
    if (RtfText()->Status == rtStatusOk) fileName_ = FileName;
}

void TRtCustomRichText::New() {
    Clear();
    fileName_.clear();
    setPanel(rtPanelFileName, " ");
}

void TRtCustomRichText::Open() {
    TOpenDialog dialog(nullptr);
    dialog.SetFilter(RtMessage(rtmFileFilter));
    if (!dialog.Execute()) {
        RtfText()->Status = rtStatusCancelled;
        return;
    }
    LoadFromFile(dialog.FileName());
    setPanel(rtPanelFileName, fileName_.empty() ? " " : fileName_);
}

void TRtCustomRichText::SaveAs() {
    TSaveDialog dialog(nullptr);
    dialog.SetFilter(RtMessage(rtmFileFilter));
    dialog.SetFileName(fileName_);
    if (!dialog.Execute()) {
        RtfText()->Status = rtStatusCancelled;
        return;
    }
    SaveToFile(dialog.FileName());
    if (Status() == rtStatusOk) SetModified(false);
    setPanel(rtPanelFileName, fileName_.empty() ? " " : fileName_);
}

void TRtCustomRichText::Save() {
    if (fileName_.empty()) {
        SaveAs();
        return;
    }
    SaveToFile(fileName_);
    if (Status() == rtStatusOk) SetModified(false);
}

void TRtCustomRichText::PrinterSetup() {
    TPrinterSetupDialog dialog(nullptr);
    dialog.Execute();
}

// ---------------------------------------------------------------- find and replace

TFindDialog* TRtCustomRichText::FindDialog() {
    SharedDialogs& d = sharedDialogs();
    if (!d.find) {
        d.find = std::make_unique<TFindDialog>(nullptr);
        d.find->SetOptions(TFindOptions{frDown, frHideWholeWord, frDisableWholeWord});
    }
    return d.find.get();
}

TReplaceDialog* TRtCustomRichText::ReplaceDialog() {
    SharedDialogs& d = sharedDialogs();
    if (!d.replace) {
        d.replace = std::make_unique<TReplaceDialog>(nullptr);
        d.replace->SetOptions(TFindOptions{frHideWholeWord, frDisableWholeWord});
    }
    return d.replace.get();
}

void TRtCustomRichText::ShowFindDialog() {
    if (sharedDialogs().replace) sharedDialogs().replace->CloseDialog();
    TFindDialog* d = FindDialog();
    d->OnFind = [this](TObject* s) { FindHandler(s); };
    d->Execute();
}

void TRtCustomRichText::ShowReplaceDialog() {
    if (sharedDialogs().find) sharedDialogs().find->CloseDialog();
    TReplaceDialog* d = ReplaceDialog();
    d->OnFind = [this](TObject* s) { FindHandler(s); };
    d->OnReplace = [this](TObject* s) { ReplaceHandler(s); };
    d->Execute();
}

void TRtCustomRichText::selectFound(bool Forward) {
    TRtTextFinder& f = *richFinder_;
    if (!f.Found) return;
    RtfText()->SelectRange(f.FoundPos, f.FoundLen);
    RtfText()->SetCursorIndex(Forward ? f.FoundPos + f.FoundLen : f.FoundPos, 0, 0, 0);
    RtfText()->UpdateCaret();
    RtfText()->ShowCursor();
    Invalidate();
}

void TRtCustomRichText::FindHandler(TObject* Sender) {
    auto* dialog = dynamic_cast<TFindDialog*>(Sender);
    if (!dialog) return;
    TRtTextFinder& f = *richFinder_;
    f.Text = RtfText();
    f.Wildcard = '*';
    f.SetPosition(CaretIndex());
    f.MatchCase = dialog->Options().Contains(frMatchCase) ? 1 : 0;
    bool forward = dialog->Options().Contains(frDown) || dynamic_cast<TReplaceDialog*>(dialog);
    if (forward)
        f.FindNext(dialog->FindText());
    else
        f.FindPrev(dialog->FindText());
    selectFound(forward);
}

void TRtCustomRichText::ReplaceHandler(TObject* Sender) {
    auto* dialog = dynamic_cast<TReplaceDialog*>(Sender);
    if (!dialog || !CanChange()) return;
    TRtTextFinder& f = *richFinder_;
    f.Text = RtfText();
    f.Wildcard = '*';
    f.MatchCase = dialog->Options().Contains(frMatchCase) ? 1 : 0;
    f.ReplaceText = dialog->ReplaceText();
    if (dialog->Options().Contains(frReplaceAll)) {
        f.SetPosition(0);
        f.ReplaceAll(dialog->FindText(), dialog->ReplaceText());
    } else {
        f.SetPosition(SelLength() > 0 ? SelStart() : CaretIndex());
        if (f.FindNext(dialog->FindText())) f.ReplaceFound(dialog->ReplaceText());
    }
    RtfText()->keepCursorInDocument();
    ReformatAll();
    Change();
}
