#include "richtext/RtWinCtr.h"

#include <algorithm>
#include <vector>

#include "base/Streams.h"
#include "richtext/RtRtfReader.h"
#include "richtext/RtTextReader.h"
#include "ui/Application.h"
#include "ui/Forms.h"

namespace {

// WM_GETDLGCODE: arrows, all keys and characters, plus Tab when wanted.
constexpr int dlgcArrowsKeysChars = 133;
constexpr int dlgcTab = 2;

constexpr int selectAllEnd = 268435455;
// The character Ctrl+Enter types: the text starts a new page there.
constexpr char pageBreakChar = 12;

bool isBlankOrTab(char c) { return c == ' ' || c == '\t'; }

}  // namespace

TRtCustomRtfEdit::TRtCustomRtfEdit(TComponent* AOwner)
    : TCustomControl(AOwner),
      rtfText_(std::make_unique<TRtRTFTextInput>()),
      caret_(std::make_unique<TCaret>(this)),
      textStrings_(std::make_unique<TRtRtfStrings>()),
      finder_(std::make_unique<TRtTextFinder>()) {
    textStrings_->Text = rtfText_.get();
    // No window yet: the document keeps its model but lays out nothing.
    rtfText_->PaintOptions = rtLayoutNoWindow;
    rtfText_->SetCanvas(backing_.Canvas());
    rtfText_->Visible = true;
    rtfText_->OnCaretMoved = [this] { caretMoved(); };
    rtfText_->OnBlockChanged = [this] { SendEditState(); };
    rtfText_->OnHScrolled = [this] { UpdateHorzScrollBar(); };
    rtfText_->OnVScrolled = [this] { UpdateVertScrollBar(); };
    rtfText_->OnAfterPaint = [this](TObject*) {
        if (!painting_) Invalidate();
    };
    editFont_.OnChange = [this](TGraphicsObject*) { editFontChanged(); };
    defaultFont_.SetName("Arial");
    defaultFont_.SetHeight(-13);
    defaultFont_.SetColor(clBlack);
    SetCursor(crIBeam);
    SetParentColor(false);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(Left(), Top(), 100, 100);
}

TRtCustomRtfEdit::~TRtCustomRtfEdit() {
    detachEvents();
    textStrings_.reset();
    finder_.reset();
    caret_.reset();
    rtfText_.reset();
}

// ---------------------------------------------------------------- window

void TRtCustomRtfEdit::SetParent(TWinControl* AParent) {
    TCustomControl::SetParent(AParent);
    if (AParent && !windowCreated_) CreateWnd();
}

void TRtCustomRtfEdit::CreateWnd() {
    windowCreated_ = true;
    rtfText_->SetPaintOptions(showPageBreakFlag_ ? 0 : rtLayoutHidePageBreaks);
    rtfText_->SetCanvas(backing_.Canvas());
    Resize();
}

void TRtCustomRtfEdit::Resize() {
    TCustomControl::Resize();
    backing_.SetSize(ClientWidth(), ClientHeight());
    if (!windowCreated_) return;
    int inset = borderInset();
    rtfText_->TopOffset = 0;
    rtfText_->LeftOffset = 0;
    rtfText_->PaintLeft = inset;
    rtfText_->PaintTop = inset;
    rtfText_->WindowHeight = ClientHeight() - 2 * inset;
    rtfText_->SetWindowWidth(ClientWidth() - 2 * inset);
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    Invalidate();
}

void TRtCustomRtfEdit::Paint() {
    if (rtfText_->UpdateLocked) return;
    painting_ = true;
    if (rtfText_->SkipPaint > 0) {
        --rtfText_->SkipPaint;
    } else {
        endScrollTracking();
        if (Visible() && windowCreated_) rtfText_->Paint();
    }
    backing_.ShowOn(Canvas());
    if (borderInset()) {
        Canvas()->Brush()->SetColor(clWindowFrame);
        Canvas()->FrameRect(ClientRect());
    }
    painting_ = false;
}

int TRtCustomRtfEdit::borderInset() const { return borderStyle_ == bsSingle ? 1 : 0; }

void TRtCustomRtfEdit::invalidateUnlessLocked() {
    if (!rtfText_->UpdateLocked) Invalidate();
}

void TRtCustomRtfEdit::SetVisible(bool Value) {
    TCustomControl::SetVisible(Value);
    rtfText_->Visible = Value;
}

void TRtCustomRtfEdit::SetEditColor(TColor Value) {
    SetColor(Value);
    rtfText_->BackColor = Value;
    invalidateUnlessLocked();
}

void TRtCustomRtfEdit::DoEnter() {
    TCustomControl::DoEnter();
    caret_->SetFocused(true);
    if (rtfText_->CurPar) rtfText_->UpdateCaret();
    caret_->Show(true);
    refreshCaret();
    SendEditState();
}

void TRtCustomRtfEdit::DoExit() {
    caret_->Show(false);
    caret_->SetFocused(false);
    TCustomControl::DoExit();
}

bool TRtCustomRtfEdit::wantsKey(Word Key, TShiftState Shift) const {
    (void)Shift;
    int code = dlgcArrowsKeysChars | (wantTabs_ ? dlgcTab : 0);
    if (Key == VK_TAB) return (code & dlgcTab) != 0;
    return Key != VK_ESCAPE;
}

void TRtCustomRtfEdit::takeFocus() {
    if (Visible() && CanFocus() && !Focused()) SetFocus();
}

// ---------------------------------------------------------------- properties

void TRtCustomRtfEdit::SetReadOnly(bool Value) { rtfText_->ReadOnlyText = Value; }

bool TRtCustomRtfEdit::GetReadOnly() { return rtfText_->ReadOnlyText; }

void TRtCustomRtfEdit::SetNoBlockMarking(bool Value) {
    noBlockMarking_ = Value;
    rtfText_->NoBlockMarking = Value;
}

bool TRtCustomRtfEdit::Inserting() const { return rtfText_->InsertMode; }

void TRtCustomRtfEdit::SetInserting(bool Value) {
    rtfText_->InsertMode = Value;
    // Overwriting shows a block caret.
    caret_->SetCaretWidth(Value ? 1 : std::max(rtfText_->CaretWidth, 6));
}

TRtMemoryFormat TRtCustomRtfEdit::MemoryFormat() const {
    return rtfText_->Header->HasAttributes || rtfText_->MemoryFormat == fmRichText ? fmRichText : fmPlainText;
}

void TRtCustomRtfEdit::SetMemoryFormat(TRtMemoryFormat Value) { rtfText_->SetMemoryFormat(Value); }

void TRtCustomRtfEdit::SetWordWrap(bool Value) {
    rtfText_->SetWordWrap(Value);
    invalidateUnlessLocked();
}

void TRtCustomRtfEdit::SetZooming(int Value) {
    rtfText_->SetZoom(Value < 1 ? 100 : Value);
    invalidateUnlessLocked();
}

void TRtCustomRtfEdit::SetResizing(int Value) {
    rtfText_->SetFontScale(Value < 1 ? 100 : Value);
    invalidateUnlessLocked();
}

void TRtCustomRtfEdit::SetShowPageBreak(bool Value) {
    showPageBreakFlag_ = Value;
    uint32_t options = rtfText_->PaintOptions;
    rtfText_->SetPaintOptions(Value ? options & ~rtLayoutHidePageBreaks : options | rtLayoutHidePageBreaks);
    invalidateUnlessLocked();
}

void TRtCustomRtfEdit::SetBorderStyle(TBorderStyle Value) {
    borderStyle_ = Value;
    Resize();
}

void TRtCustomRtfEdit::SetScrollBars(TScrollStyle Value) {
    scrollBars_ = Value;
    if (Value == ssNone || Value == ssVertical) ShowScrollBar(sbHorizontal, false);
    if (Value == ssNone || Value == ssHorizontal) ShowScrollBar(sbVertical, false);
    UpdateHorzScrollBar();
    UpdateVertScrollBar();
}

// ---------------------------------------------------------------- Font view

TFont* TRtCustomRtfEdit::EditFont() {
    const TCharAttr& a = rtfText_->CurAttr;
    const TTextHeader& h = *rtfText_->Header;
    fillingEditFont_ = true;
    int colour = a.Colors & 0x0F;
    editFont_.SetColor(colour ? RGB(h.Palette[colour].Red, h.Palette[colour].Green, h.Palette[colour].Blue)
                              : clBlack);
    if (a.Font < rtFontsUsable && !h.FontName[a.Font].empty()) editFont_.SetName(h.FontName[a.Font]);
    if (a.Size) editFont_.SetSize(a.Size);
    TFontStyles style;
    if (a.Style & stBold) style.Include(fsBold);
    if (a.Style & stItalic) style.Include(fsItalic);
    if (a.Style & stUnderline) style.Include(fsUnderline);
    if (a.Style & stStrikeOut) style.Include(fsStrikeOut);
    editFont_.SetStyle(style);
    fillingEditFont_ = false;
    return &editFont_;
}

void TRtCustomRtfEdit::editFontChanged() {
    if (fillingEditFont_) return;
    TCharAttr a = rtfText_->CurAttr;
    int mask = 0;
    if (!editFont_.Name().empty()) {
        int index = FontIndex(editFont_.Name());
        if (index != a.Font) {
            a.Font = static_cast<uint8_t>(index);
            mask |= amFont;
        }
    }
    int size = editFont_.Size();
    a.Size = static_cast<uint8_t>(size >= 256 ? 255 : std::max(size, 1));
    mask |= amSize;
    uint8_t style = 0;
    TFontStyles fs = editFont_.Style();
    if (fs.Contains(fsBold)) style |= stBold;
    if (fs.Contains(fsItalic)) style |= stItalic;
    if (fs.Contains(fsUnderline)) style |= stUnderline;
    if (fs.Contains(fsStrikeOut)) style |= stStrikeOut;
    a.Style = style;
    TColor rgb = ColorToRGB(editFont_.Color());
    const TTextHeader& h = *rtfText_->Header;
    for (int i = 0; i < 15; ++i)
        if (RGB(h.Palette[i].Red, h.Palette[i].Green, h.Palette[i].Blue) == rgb) {
            a.Colors = static_cast<uint8_t>((a.Colors & 0xF0) | i);
            mask |= amTextColor;
            break;
        }
    // The font's styles replace those of the text; script and hidden stay.
    rtfText_->SetCurrentAttr(a, mask | amReplaceStyle);
    rtfText_->ReformatAll();
    invalidateUnlessLocked();
}

int TRtCustomRtfEdit::FontIndex(const std::string& Name) {
    return rtfText_->Header->AddFont(Name.substr(0, rtFontNameMax));
}

// ---------------------------------------------------------------- text

void TRtCustomRtfEdit::Clear() {
    rtfText_->Clear();
    editFont_.Assign(defaultFont_);
    rtfText_->ReformatAll();
    invalidateUnlessLocked();
}

void TRtCustomRtfEdit::SelectAll() {
    rtfText_->SelectRange(0, selectAllEnd);
    invalidateUnlessLocked();
}

void TRtCustomRtfEdit::InsertText(const std::string& p) {
    takeFocus();
    if (!CanChange()) return;
    bool was = rtfText_->InsertMode;
    rtfText_->InsertMode = true;
    rtfText_->InputText(p);
    rtfText_->InsertMode = was;
    Change();
    ReformatAll();
}

void TRtCustomRtfEdit::SetTextBuf(const std::string& p) {
    std::string text = p.substr(0, p.find('\0'));
    if (text.empty()) {
        Clear();
        return;
    }
    TRtLoadFormat saved = rtfText_->LoadFormat;
    if (CanChange()) {
        rtfText_->LoadFormat = AutomaticFormat;
        Clear();
        TMemoryStream stream;
        stream.Write(text.data(), static_cast<int>(text.size()));
        stream.SetPosition(0);
        rtfText_->LoadFromStream(&stream);
        rtfText_->ReformatAll();
    } else {
        rtfText_->Status = rtStatusRefused;
    }
    rtfText_->LoadFormat = saved;
    Change();
    invalidateUnlessLocked();
}

std::string TRtCustomRtfEdit::AsString() {
    std::string all = rtfText_->GetText();
    return all;
}

int TRtCustomRtfEdit::SelStart() {
    int start = 0, length = 0;
    rtfText_->GetBlockRange(start, length);
    return length > 0 ? start : 0;
}

int TRtCustomRtfEdit::SelLength() {
    int start = 0, length = 0;
    rtfText_->GetBlockRange(start, length);
    return length;
}

int TRtCustomRtfEdit::CaretIndex() {
    int ch = 0, line = 0, par = 0, parChar = 0;
    rtfText_->GetCursorIndex(ch, line, par, parChar);
    return ch;
}

void TRtCustomRtfEdit::SetCaretIndex(int Value) {
    rtfText_->SetCursorIndex(Value, 0, 0, 0);
    ReformatAll();
}

void TRtCustomRtfEdit::ReformatAll() {
    rtfText_->ReformatAll();
    rtfText_->UpdateCaret();
    invalidateUnlessLocked();
}

void TRtCustomRtfEdit::InsertGraphic(TGraphic* obj) {
    if (!obj || !CanChange()) return;
    auto* picture = dynamic_cast<TPicture*>(obj);
    TGraphic* graphic = picture ? picture->Graphic() : obj;
    auto* bitmap = dynamic_cast<TBitmap*>(graphic);
    if (!bitmap) return;
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(bitmap);
    // The document owns the copy under a number of its own.
    int number = 0;
    rtfText_->InsertObject(copy.get(), number);
    copy.release();
    ReformatAll();
}

// ---------------------------------------------------------------- edits

bool TRtCustomRtfEdit::CanChange() {
    endScrollTracking();
    if (GetReadOnly() || rtfText_->ReadOnly) return false;
    modified_ = true;
    return true;
}

void TRtCustomRtfEdit::Change() {
    if (OnChange) OnChange(this);
}

void TRtCustomRtfEdit::DeleteSelection() {
    rtfText_->DeleteBlock();
    ReformatAll();
}

void TRtCustomRtfEdit::HideSelection() {
    if (!rtfText_->HasBlock()) return;
    rtfText_->SetBlockEnd(rtfText_->CurPar, rtfText_->CurLine, false, rtfText_->CurPos);
    rtfText_->BlockStartPar = nullptr;
    rtfText_->BlockStartLine = nullptr;
    rtfText_->Repaint();
}

// ---------------------------------------------------------------- clipboard

TClipboardFormat TRtCustomRtfEdit::RichTextFormat() { return RegisterClipboardFormat(rtClipboardFormatName); }

std::string TRtCustomRtfEdit::copyAs(TRtLoadFormat Format) {
    rtfText_->SaveFormat = Format;
    TMemoryStream stream;
    rtfText_->SaveBlockToStream(&stream);
    std::string bytes(static_cast<size_t>(stream.Size()), '\0');
    stream.SetPosition(0);
    if (!bytes.empty()) stream.Read(bytes.data(), static_cast<int>(bytes.size()));
    // The clipboard of this platform carries lengths, so the Windows block's trailing zeros stay off.
    return bytes.substr(0, bytes.find('\0'));
}

void TRtCustomRtfEdit::CopyToClipboard() {
    if (!rtfText_->HasBlock() || SelLength() == 0) return;
    TRtLoadFormat saved = rtfText_->SaveFormat;
    std::string rtf, text;
    try {
        rtf = copyAs(FormatRTF);
        text = copyAs(FormatANSI);
    } catch (...) {
        rtfText_->SaveFormat = saved;
        throw;
    }
    rtfText_->SaveFormat = saved;
    TClipboard* clipboard = Clipboard();
    clipboard->Open();
    clipboard->Clear();
    clipboard->SetData(RichTextFormat(), rtf);
    clipboard->SetData(CF_TEXT, text);
    clipboard->Close();
    SendEditState();
}

void TRtCustomRtfEdit::CutToClipboard() {
    if (!rtfText_->HasBlock() || SelLength() == 0) return;
    if (GetReadOnly() || !CanChange()) return;
    CopyToClipboard();
    rtfText_->DeleteBlock();
    ReformatAll();
}

void TRtCustomRtfEdit::readAtCaret(const std::string& Bytes, bool Rich) {
    std::string bytes = Bytes.substr(0, Bytes.find('\0'));
    // Plain text keeps its tabs and line ends; other control codes would
    // become object codes, page breaks or stray bytes.
    if (!Rich)
        std::erase_if(bytes, [](char c) { return !isTextByte(static_cast<unsigned char>(c)) && c != '\r' && c != '\n'; });
    TMemoryStream stream;
    stream.Write(bytes.data(), static_cast<int>(bytes.size()));
    char zero = 0;
    stream.Write(&zero, 1);
    stream.SetPosition(0);
    if (rtfText_->HasBlock()) rtfText_->DeleteBlock();
    if (Rich) {
        TRtRtfReader reader;
        rtfText_->ReadText(&stream, &reader);
    } else {
        TRtTextReader reader;
        rtfText_->ReadText(&stream, &reader);
    }
    ReformatAll();
}

void TRtCustomRtfEdit::PasteFromClipboard() {
    if (GetReadOnly() || !CanChange()) return;
    TClipboard* clipboard = Clipboard();
    if (clipboard->HasFormat(RichTextFormat())) {
        readAtCaret(clipboard->GetData(RichTextFormat()), true);
    } else if (clipboard->HasFormat(CF_TEXT)) {
        readAtCaret(clipboard->GetData(CF_TEXT), false);
    } else if (clipboard->HasPicture()) {
        TBitmap picture;
        clipboard->GetPicture(picture);
        if (!picture.Empty()) InsertGraphic(&picture);
    }
    Invalidate();
}

void TRtCustomRtfEdit::SendEditState() {
    TClipboard* clipboard = Clipboard();
    bool notEmpty = clipboard->HasFormat(CF_TEXT) || clipboard->HasFormat(RichTextFormat());
    DoEditState(this, rtfText_->HasBlock() && SelLength() > 0, notEmpty);
}

void TRtCustomRtfEdit::DoEditState(TObject* Sender, bool selection_marked, bool clipboard_not_empty) {
    if (EditStateEvent) EditStateEvent(Sender, selection_marked, clipboard_not_empty);
}

// ---------------------------------------------------------------- caret

void TRtCustomRtfEdit::caretMoved() { refreshCaret(); }

bool TRtCustomRtfEdit::painting() const { return painting_; }

void TRtCustomRtfEdit::refreshCaret() {
    // The caret is a window of its own; none is made or moved in the middle of a paint.
    if (!windowCreated_ || painting_) return;
    TRtRTFTextInput& t = *rtfText_;
    int x = t.CaretX + t.LeftOffset + t.PaintLeft;
    int y = t.CaretY - t.TopOffset + t.PaintTop;
    if (x > 0 && x < Width() && y > -t.CaretHeight && y < Height())
        caret_->SetPosSize(x, y, caret_->CaretWidth, t.CaretHeight);
    else
        caret_->SetPosSize(-10, 0, caret_->CaretWidth, t.CaretHeight);
}

// ---------------------------------------------------------------- keys

void TRtCustomRtfEdit::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || !Visible()) return;
    TRtRTFTextInput& t = *rtfText_;
    bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl), alt = Shift.Contains(ssAlt);
    switch (Key) {
    case VK_TAB:
        if (shift && !ctrl && !alt) {
            if (ShiftTabPressed) ShiftTabPressed(this);
        } else if (ctrl && !shift && !alt && CtrlTabPressed) {
            CtrlTabPressed(this);
        } else if (!shift && !ctrl && !alt) {
            if (CanChange()) {
                t.InputText("\t");
                Change();
            }
        }
        Key = 0;
        break;
    case VK_RETURN:
        if (ctrl) {
            if (CanChange()) {
                t.InputText(std::string(1, pageBreakChar));
                Change();
            }
            Key = 0;
        }
        break;
    case VK_PRIOR:
    case VK_NEXT:
        if (ctrl)
            t.VScroll(Key == VK_PRIOR ? scPageUp : scPageDown, 0);
        else
            t.MoveCursor(Key == VK_PRIOR ? cmPageUp : cmPageDown, shift);
        break;
    case VK_HOME:
    case VK_END:
        if (ctrl)
            t.MoveCursor(Key == VK_HOME ? cmDocStart : cmDocEnd, shift);
        else
            t.MoveCursor(Key == VK_HOME ? cmLineStart : cmLineEnd, shift);
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (!shift) HideSelection();
        if (Key == VK_LEFT)
            ctrl ? t.WordLeft(1, shift, true) : t.CursorLeft(1, shift, true);
        else
            ctrl ? t.WordRight(1, shift, true) : t.CursorRight(1, shift, true);
        break;
    case VK_UP:
    case VK_DOWN:
        if (!shift) HideSelection();
        Key == VK_UP ? t.CursorUp(1, shift, true) : t.CursorDown(1, shift, true);
        break;
    case VK_INSERT:
        if (ctrl) {
            CopyToClipboard();
        } else if (shift) {
            if (CanChange()) {
                PasteFromClipboard();
                Change();
            }
        } else {
            SetInserting(!Inserting());
        }
        break;
    case VK_DELETE:
        if (shift || ctrl) {
            if (CanChange()) {
                CutToClipboard();
                Change();
            }
        } else if (CanChange()) {
            t.InputText(std::string(1, '\x7f'));
            Change();
        }
        break;
    default:
        break;
    }
    refreshCaret();
}

void TRtCustomRtfEdit::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    switch (Key) {
    case 0:
        return;
    case 3:  // Ctrl+C: copying changes nothing, so it needs no permission
        CopyToClipboard();
        break;
    case 22:  // Ctrl+V: nothing lands where it cannot be stored
        if (CanChange()) {
            PasteFromClipboard();
            Change();
        }
        break;
    case 24:  // Ctrl+X
        if (CanChange()) {
            CutToClipboard();
            ReformatAll();
            Change();
        }
        break;
    case 9:
    case 10:
        break;
    default:
        // Ctrl+letter and Escape arrive as control codes: of those only Enter
        // and Backspace edit the text.
        if (!isTextByte(static_cast<unsigned char>(Key)) && Key != '\b' && Key != '\r') break;
        if (CanChange()) {
            rtfText_->CurAttr.Special &= static_cast<uint8_t>(~spHidden);
            rtfText_->InputText(std::string(1, Key));
            Change();
        }
        break;
    }
    refreshCaret();
}

// ---------------------------------------------------------------- mouse

bool TRtCustomRtfEdit::hyperlinkAt(int X, int Y) {
    TRtRTFTextInput& t = *rtfText_;
    TParagraph* par = nullptr;
    TLine* line = nullptr;
    int x = X - t.LeftOffset - t.PaintLeft, y = Y + t.TopOffset - t.PaintTop;
    t.FindLineAt(x, y, par, line);
    if (!line || !line->Attr || y < line->Y || y > line->Y + line->Height) return false;
    int i = t.XToChar(par, line, x);
    if (i >= line->Length) return false;
    return (line->Attr[i].Style & stHyperlink) != 0;
}

TObjectEntry* TRtCustomRtfEdit::objectAt(int X, int Y) {
    TRtRTFTextInput& t = *rtfText_;
    int x = X - t.LeftOffset - t.PaintLeft, y = Y + t.TopOffset - t.PaintTop;
    for (int i = 0; i < t.ObjectRectCount; ++i) {
        const TRtObjectRect& r = t.ObjectRects[i];
        if (x < r.X || x >= r.X + r.Width || y < r.Y || y >= r.Y + r.Height) continue;
        for (TObjectEntry& e : t.Objects)
            if (e.Obj == r.Object) return &e;
    }
    return nullptr;
}

TObjectEntry* TRtCustomRtfEdit::selectedObject() {
    TRtRTFTextInput& t = *rtfText_;
    const TRtSelectedObject& s = t.SelectedObject;
    if (!s.Tag && !s.Number) return nullptr;
    return t.FindObject(s.Tag, s.Number);
}

bool TRtCustomRtfEdit::clickTest(int X, int Y) {
    TRtRTFTextInput& t = *rtfText_;
    // Embedded objects first: a hit selects the object and ends the test.
    if (TObjectEntry* hit = objectAt(X, Y)) {
        if (hit->Number)
            t.SelectObject(hit->Number, false);
        else
            t.SelectObject(hit->Tag, true);
        t.Repaint();
        Invalidate();
        return true;
    }
    TParagraph* par = nullptr;
    TLine* line = nullptr;
    int x = X - t.LeftOffset - t.PaintLeft, y = Y + t.TopOffset - t.PaintTop;
    t.FindLineAt(x, y, par, line);
    if (!line || y < line->Y || y > line->Y + line->Height) return false;
    int i = std::min<int>(t.XToChar(par, line, x), line->Length);
    if (line->Attr && i < line->Length && (line->Attr[i].Style & stHyperlink)) {
        // Back to the run's first character, across the end of earlier lines.
        TLine* l = line;
        while (true) {
            if (i > 0 && (l->Attr[i - 1].Style & stHyperlink)) {
                --i;
            } else if (i == 0 && l->Prev && l->Prev->Length && l->Prev->Attr &&
                       (l->Prev->Attr[l->Prev->Length - 1].Style & stHyperlink)) {
                l = l->Prev;
                i = l->Length - 1;
            } else {
                break;
            }
        }
        std::string text, stamp;
        while (l) {
            if (i >= l->Length) {
                l = l->Next;
                i = 0;
                continue;
            }
            const TCharAttr& a = l->Attr[i];
            if (text.size() && (a.Special & spHidden)) {
                if (static_cast<int>(stamp.size()) >= rtMaxStampLength) break;
                stamp += l->Text[i];
            } else if ((a.Style & stHyperlink) && stamp.empty()) {
                text += l->Text[i];
            } else {
                break;
            }
            ++i;
        }
        int32_t lineNumber = 0;
        for (TParagraph* p = t.FirstPar; p; p = p->Next)
            for (TLine* m = p->FirstLine; m; m = m->Next) {
                if (m == line) goto counted;
                ++lineNumber;
            }
    counted:
        if (HyperLinkEvent) HyperLinkEvent(this, text, stamp, lineNumber);
        return true;
    }
    if (!noBlockMarking_ && !oneClickHyperlink_) {
        t.ClickAt(X, Y, true, false);
        selectWordAt();
    }
    return false;
}

void TRtCustomRtfEdit::selectWordAt() {
    TRtRTFTextInput& t = *rtfText_;
    TLine* l = t.CurLine;
    if (!l) return;
    int from = std::min<int>(t.CurPos, l->Length), to = from;
    while (from > 0 && !isBlankOrTab(l->Text[from - 1])) --from;
    while (to < l->Length && !isBlankOrTab(l->Text[to])) ++to;
    t.SetBlockEnd(t.CurPar, l, false, from);
    t.SetBlockEnd(t.CurPar, l, true, to);
    t.CurPos = to;
    t.UpdateCaret();
    t.Repaint();
}

void TRtCustomRtfEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (!rtfText_->FirstPar) return;
    takeFocus();
    if (!tracking_ && (Shift.Contains(ssDouble) || oneClickHyperlink_)) {
        if (clickTest(X, Y)) return;
        if (Shift.Contains(ssDouble)) {
            tracking_ = false;
            return;
        }
    }
    lastButton_ = Button;
    if (objectResizeArmed_) {
        tracking_ = true;
        SetMouseCapture(true);
        return;
    }
    rtfText_->ClickAt(X, Y, true, Shift.Contains(ssShift));
    tracking_ = true;
    SetMouseCapture(true);
    refreshCaret();
}

void TRtCustomRtfEdit::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    endScrollTracking();
    TRtRTFTextInput& t = *rtfText_;
    if (objectResizeArmed_ && tracking_) {
        if (TObjectEntry* e = selectedObject()) {
            const TRect& r = t.SelectedObject.Rect;
            int w = std::max(X - r.Left, 2), h = std::max(Y - r.Top, 2);
            int ppi = Screen->PixelsPerInch();
            e->WidthTw = w * rtTwipsPerInch / ppi;
            e->HeightTw = h * rtTwipsPerInch / ppi;
            for (TParagraph* p = t.FirstPar; p; p = p->Next) p->Dirty |= dfAll;
            ReformatAll();
        }
        return;
    }
    if (!tracking_) {
        TObjectEntry* selected = selectedObject();
        const TRect& r = t.SelectedObject.Rect;
        bool inCorner = selected && X > r.Right - rtObjectSizingCorner && X < r.Right + 1 &&
                        Y > r.Bottom - rtObjectSizingCorner && Y < r.Bottom + 1;
        if (inCorner) {
            if (Cursor() != crSizeNWSE) savedCursor_ = Cursor();
            SetCursor(crSizeNWSE);
            objectResizeArmed_ = true;
            return;
        }
        // Armed state stays only while the mouse is in the corner.
        if (objectResizeArmed_) {
            objectResizeArmed_ = false;
            SetCursor(savedCursor_);
        }
    }
    if (tracking_) t.ClickAt(X, Y, true, true);
    if (hyperLinkCursor_ != crDefault) {
        if (hyperlinkAt(X, Y)) {
            if (!hyperCursorShown_) {
                savedCursor_ = Cursor();
                hyperCursorShown_ = true;
            }
            SetCursor(hyperLinkCursor_);
        } else if (hyperCursorShown_) {
            hyperCursorShown_ = false;
            SetCursor(savedCursor_);
        }
    }
    if (!hyperCursorShown_) SetCursor(crIBeam);
    refreshCaret();
}

void TRtCustomRtfEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    bool was = tracking_;
    tracking_ = false;
    if (was && !Shift.Contains(ssShift) && !objectResizeArmed_) rtfText_->ClickAt(X, Y, true, true);
    if (objectResizeArmed_) {
        objectResizeArmed_ = false;
        SetCursor(savedCursor_);
    }
    refreshCaret();
    SetMouseCapture(false);
}

// ---------------------------------------------------------------- scrolling

void TRtCustomRtfEdit::endScrollTracking() {
    if (!scrollTracking_) return;
    scrollTracking_ = false;
    if (horzHidePending_) {
        horzHidePending_ = false;
        SetScrollRange(sbHorizontal, 0, 0);
        ShowScrollBar(sbHorizontal, false);
    }
}

void TRtCustomRtfEdit::UpdateHorzScrollBar() {
    if (!windowCreated_ || (scrollBars_ != ssHorizontal && scrollBars_ != ssBoth)) return;
    TRtRTFTextInput& t = *rtfText_;
    int docWidth = t.Header->TextWidthPx, visible = t.WindowWidth;
    if (!t.WordWrap && docWidth >= visible && ClientWidth() <= docWidth) {
        SetScrollRange(sbHorizontal, 0, rtScrollRange);
        ShowScrollBar(sbHorizontal, true);
        SetScrollPos(sbHorizontal, docWidth == visible ? 0 : -t.LeftOffset * rtScrollRange / (docWidth - visible));
    } else if (scrollTracking_) {
        horzHidePending_ = true;
    } else {
        SetScrollRange(sbHorizontal, 0, 0);
        ShowScrollBar(sbHorizontal, false);
    }
}

void TRtCustomRtfEdit::UpdateVertScrollBar() {
    if (!windowCreated_ || (scrollBars_ != ssVertical && scrollBars_ != ssBoth)) return;
    TRtRTFTextInput& t = *rtfText_;
    int docHeight = t.DocHeight, visible = t.WindowHeight;
    if (docHeight < visible) {
        if (t.TopOffset > 0) {
            t.TopOffset = 0;
            t.ReformatAll();
        }
        SetScrollRange(sbVertical, 0, 0);
        ShowScrollBar(sbVertical, false);
        return;
    }
    SetScrollRange(sbVertical, 0, rtScrollRange);
    ShowScrollBar(sbVertical, true);
    SetScrollPos(sbVertical, docHeight == visible ? 0 : t.TopOffset * rtScrollRange / (docHeight - visible));
}

void TRtCustomRtfEdit::HScrollMessage(int Code, int Pos) {
    if (Code < 0 || Code > scEndScroll) return;
    scrollTracking_ = true;
    TRtRTFTextInput& t = *rtfText_;
    t.HScroll(Code, (Pos & 0xFFFF) * (t.Header->TextWidthPx - t.WindowWidth) / rtScrollRange);
    refreshCaret();
}

void TRtCustomRtfEdit::VScrollMessage(int Code, int Pos) {
    if (Code < 0 || Code > scEndScroll) return;
    scrollTracking_ = true;
    TRtRTFTextInput& t = *rtfText_;
    t.VScroll(Code, (t.DocHeight - t.WindowHeight) * (Pos & 0xFFFF) / rtScrollRange);
    refreshCaret();
}

void TRtCustomRtfEdit::Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) {
    TCustomControl::Scroll(Kind, Code, Pos);
    if (Kind == sbHorizontal)
        HScrollMessage(Code, Pos);
    else
        VScrollMessage(Code, Pos);
}

// ---------------------------------------------------------------- hooks

void TRtCustomRtfEdit::RulerChanged(TObject*, TRtSelNr&, int, int, bool) {}
void TRtCustomRtfEdit::ToolbarIcon(TObject*, TRtSelNr&, const std::string&, int, int, int) {}
void TRtCustomRtfEdit::ToolbarList(TObject*, TRtSelNr&, const std::string&, int) {}
void TRtCustomRtfEdit::RulerClicked(TObject*, bool, uint32_t) {}
void TRtCustomRtfEdit::StatusBarUpdate(TObject*) {}
