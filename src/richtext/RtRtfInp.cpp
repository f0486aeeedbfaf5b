// Typing, cursor movement and the block of TRtRTFTextInput.
#include "richtext/RtRtfInp.h"

#include <algorithm>

#include "base/Exceptions.h"
#include "richtext/RtChars.h"

namespace {

bool isWordChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u != ' ' && u != 8 && RtIsCharAlphaNumeric(u);
}

// Sets a flag for the life of a scope.
struct FlagScope {
    bool& flag;
    bool old;
    explicit FlagScope(bool& f) : flag(f), old(f) { flag = true; }
    ~FlagScope() { flag = old; }
};

}  // namespace

// ---------------------------------------------------------------- document

void TRtRTFTextInput::Clear() {
    TRtRTFTextPaint::Clear();
    clearMarks();
    BlockStartPar = BlockEndPar = nullptr;
    BlockStartLine = BlockEndLine = nullptr;
    BlockStartPos = BlockEndPos = 0;
    BlockReversed = false;
    Extending = false;
    pendingStart_ = pendingLength_ = -1;
    TopOffset = 0;
    CaretX = CaretY = 0;
    CurPar = FirstPar;
    CurLine = FirstPar ? FirstPar->FirstLine : nullptr;
    CurPos = 0;
    UpdateCurrentAttr();
}

void TRtRTFTextInput::SetCursorIndex(int CharIndex, int LineIndex, int ParIndex, int ParCharIndex) {
    TRtRTFTextPaint::SetCursorIndex(CharIndex, LineIndex, ParIndex, ParCharIndex);
    columnKept_ = false;
    notifyAttributesChanged();
    notifyCursorMoved();
}

// ---------------------------------------------------------------- typing

void TRtRTFTextInput::InputText(const std::string& Text) {
    if (ReadOnly || formatting_ || !FirstPar || !CurPar || !CurLine) return;
    columnKept_ = false;
    if (!ObjectInsert) CurAttr.Special &= static_cast<uint8_t>(~(spInsertPoint | spObject));
    int code = 0;
    {
        FlagScope edit(formatting_);
        for (char c : Text) {
            if (c == 0) break;
            int r = inputChar(c);
            if (r < 0) break;  // refused: the rest of the text is dropped
            code = std::max(code, r);
        }
        // Paragraphs the model marked (a join, a split) are laid out too.
        bool dirty = false;
        for (TParagraph* p = FirstPar; p && !dirty; p = p->Next) dirty = p->Dirty != 0;
        if (dirty) {
            formatting_ = false;
            MeasureAll();
            WrapDirty();
            formatting_ = true;
        }
    }
    UpdateLinePositions();
    UpdateCaretMetrics();
    if (Text.size() != 1 || !Visible) return;
    Repainting = true;
    if (OnBeforePaint) OnBeforePaint(this);
    if (code == 3) {
        Paint();
    } else if (code > 0) {
        for (TLine* l = CurPar->FirstLine; l; l = l->Next)
            if (code == 2 || (l->LineFlags & lfChanged)) PaintLine(CurPar, l);
    }
    ShowCursor();
    if (OnAfterPaint) OnAfterPaint(this);
    Repainting = false;
}

int TRtRTFTextInput::inputChar(char c) {
    switch (c) {
        case 8: return backspace();
        case 127: return DeleteBlock() ? 3 : deleteAtCursor();
        case 13: return newParagraph();
        case 12: return pageBreak();
        case 9:
            if (CurPar->ParFlags & pfTableCell) {
                if (CurPar->Next && (CurPar->Next->ParFlags & pfTableCell)) {
                    CurPar = CurPar->Next;
                    CurLine = CurPar->FirstLine;
                    CurPos = 0;
                }
                return 0;
            }
            return typeChar(c);
        default: return typeChar(c);
    }
}

int TRtRTFTextInput::rewrapCursorParagraph() {
    int change = 0;
    MeasureParagraph(CurPar);
    {
        FlagScope busy(wrapping_);
        WrapParagraph(CurPar, true, change);
    }
    CurPar->Dirty = 0;
    return change;
}

int TRtRTFTextInput::typeChar(char c) {
    bool deleted = DeleteBlock();
    CurPos = std::clamp<int>(CurPos, 0, CurLine->Length);
    if ((CurAttr.Special & spHidden) && !EditHiddenText && !ObjectInsert) return -1;
    int oldLeft = LeftOffset;
    if (!InsertChar(CurPar, CurLine, c, CurPos)) return -1;
    ++CurPos;
    int code = rewrapCursorParagraph();
    if (deleted || LeftOffset != oldLeft) code = 3;
    return code == 0 ? 1 : code;
}

int TRtRTFTextInput::deleteAtCursor() {
    CurPos = std::clamp<int>(CurPos, 0, CurLine->Length);
    bool join = CurPos >= CurLine->Length && !CurLine->Next;
    if (join && (!CurPar->Next || (CurPar->ParFlags & pfTableCell) || (CurPar->Next->ParFlags & pfTableCell)))
        return 0;  // nothing follows, or the next is a cell: cells are never joined
    if (!DeleteChar(CurPar, CurLine, CurPos)) return -1;
    int code = rewrapCursorParagraph();
    return join ? 3 : code;
}

int TRtRTFTextInput::backspace() {
    if (CurPos > 0) {
        --CurPos;
        return DeleteBlock() ? 3 : deleteAtCursor();
    }
    if (CurLine != CurPar->FirstLine) {
        CurLine = CurLine->Prev;
        CurPos = std::max(0, CurLine->Length - 1);
        if (CurLine->Length == 0) return 0;
        if (!DeleteChar(CurPar, CurLine, CurPos)) return -1;
        rewrapCursorParagraph();
        return 3;
    }
    TParagraph* prev = CurPar->Prev;
    if (!prev || (CurPar->ParFlags & pfTableCell) || (prev->ParFlags & pfTableCell)) return 0;
    clearMarks();
    BlockStartPar = BlockEndPar = nullptr;
    TLine* last = Get_LastLine(prev);
    int pos = last->Length;
    CurPar = prev;
    CurLine = last;
    CurPos = pos;
    if (!DeleteChar(prev, last, pos)) return -1;
    rewrapCursorParagraph();
    return 3;
}

int TRtRTFTextInput::pageBreak() {
    int offset = offsetOf(CurPar, CurLine, CurPos) - offsetOf(CurPar, CurPar->FirstLine, 0);
    if (offset == 0 && (CurPar->ParFlags & pfPageBreak)) {
        CurPar->ParFlags &= static_cast<uint8_t>(~pfPageBreak);
    } else if (offset > 0) {
        int code = newParagraph(true);
        if (code < 0) return code;
    } else {
        CurPar->ParFlags |= pfPageBreak;
    }
    // The page starts move; the whole window is painted.
    return 3;
}

int TRtRTFTextInput::newParagraph(bool PageBreak) {
    int code = DeleteBlock() ? 3 : 0;
    bool atDocStart = CurPar == FirstPar && CurLine == CurPar->FirstLine && CurPos == 0;
    if ((CurPar->ParFlags & pfTableCell) && !atDocStart) return std::max(code, typeChar('\n'));
    if (atDocStart) {
        TParagraph* fresh = nullptr;
        NewParagraph(fresh, 16);
        fresh->ParFlags = 0;
        fresh->Next = FirstPar;
        FirstPar->Prev = fresh;
        FirstPar = fresh;
        fresh->Dirty = dfAll;
        return 3;
    }
    if (!SplitParagraph(CurPar, CurLine, CurPos)) return -1;
    TParagraph* second = CurPar->Next;
    if (PageBreak) second->ParFlags |= pfPageBreak;
    else second->ParFlags &= static_cast<uint8_t>(~pfPageBreak);
    rewrapCursorParagraph();
    CurPar = second;
    CurLine = second->FirstLine;
    CurPos = 0;
    return 3;
}

void TRtRTFTextInput::InsertObject(TObject* Object, int& Number) {
    if (!Object) throw Exception("No object was defined");
    bool byTag = Number != 0;
    uint16_t tag = Number == TRtRTFText::rtNextFreeTag ? TRtRTFText::rtNextFreeTag : static_cast<uint16_t>(Number);
    TObjectEntry* entry = byTag ? AddObject(Object, tag) : AddObject(Object, 0);
    if (!entry) return;
    ObjectInsert = true;
    SetObjectSize(entry);
    Number = byTag ? entry->Tag : entry->Number;
    CurAttr.Tag = static_cast<uint16_t>(Number);
    CurAttr.Width = static_cast<uint16_t>(std::max(0, RtMulDiv(entry->WidthTw, resX(), rtTwipsPerInch)));
    CurAttr.Height = static_cast<uint16_t>(std::max(0, RtMulDiv(entry->HeightTw, resY(), rtTwipsPerInch)));
    CurAttr.Special = static_cast<uint8_t>((CurAttr.Special | spObject) & ~(spInsertPoint | spAutomatic));
    struct Done {
        TRtRTFTextInput& d;
        ~Done() {
            d.CurAttr.Tag = 0;
            d.CurAttr.Special &= static_cast<uint8_t>(~spObject);
            d.ObjectInsert = false;
        }
    } done{*this};
    InputText(std::string(1, byTag ? rtObjectByTag : rtObjectByNumber));
}

void TRtRTFTextInput::DeleteChars(int Count) {
    if (ReadOnly || formatting_ || !CurPar || !CurLine || Count < 1) return;
    bool joined = false;
    {
        FlagScope edit(formatting_);
        for (int i = 0; i < Count; ++i) {
            CurPos = std::clamp<int>(CurPos, 0, CurLine->Length);
            bool atEnd = CurPos >= CurLine->Length;
            if (atEnd && !CurLine->Next && (!CurPar->Next || (CurPar->ParFlags & pfTableCell) ||
                                            (CurPar->Next->ParFlags & pfTableCell)))
                break;  // nothing follows, or a cell: cells are never joined
            bool joins = atEnd && !CurLine->Next;
            if (!DeleteChar(CurPar, CurLine, CurPos)) break;
            joined = joined || joins;
        }
    }
    rewrapCursorParagraph();
    if (joined) {
        MeasureAll();
        WrapDirty();
    }
    UpdateLinePositions();
    UpdateCaretMetrics();
    if (OnCaretMoved) OnCaretMoved();
}

void TRtRTFTextInput::UpdateCurrentAttr() {
    if (MemoryFormat != fmRichText || !CurPar || !CurLine) return;
    bool differs = false;
    const TCharAttr* from = nullptr;
    if (CurLine->Attr && CurPos > 0 && CurPos <= CurLine->Length) from = &CurLine->Attr[CurPos - 1];
    else if (CurLine->Prev && CurLine->Prev->Attr && CurLine->Prev->Length)
        from = &CurLine->Prev->Attr[CurLine->Prev->Length - 1];
    else if (CurLine == CurPar->FirstLine && CurPar->Prev) {
        TLine* last = Get_LastLine(CurPar->Prev);
        if (last->Attr && last->Length) from = &last->Attr[last->Length - 1];
    }
    if (from) {
        constexpr uint8_t styleShown = stBold | stItalic | stUnderline | stHyperlink | stSuperscript | stSubscript;
        constexpr uint8_t specialShown = spHidden | spRtfCode;
        differs = from->Font != CurAttr.Font || from->Size != CurAttr.Size || from->Colors != CurAttr.Colors ||
                       (from->Style & styleShown) != (CurAttr.Style & styleShown) ||
                       (from->Special & specialShown) != (CurAttr.Special & specialShown);
        uint16_t w = CurAttr.Width, h = CurAttr.Height, a = CurAttr.Ascent;
        CurAttr = *from;
        CurAttr.Width = w;
        CurAttr.Height = h;
        CurAttr.Ascent = a;
    }
    if (Canvas) SelectAttr(&CurAttr);
    if (!ObjectInsert) {
        CurAttr.Special &= static_cast<uint8_t>(~(spFootnote | spInsertPoint | spAutomatic | spObject));
        CurAttr.Tag = 0;
    }
    if (differs) notifyAttributesChanged();
}

// ---------------------------------------------------------------- cursor

void TRtRTFTextInput::beginMove(bool Extend) {
    if (Extend && !Extending) {
        SetBlockEnd(CurPar, CurLine, false, CurPos);
        Extending = true;
    } else if (!Extend) {
        Extending = false;
    }
}

void TRtRTFTextInput::afterMove(bool Extend, bool Show) {
    columnKept_ = false;
    UpdateCurrentAttr();
    if (Extend) SetBlockEnd(CurPar, CurLine, true, CurPos);
    if (Show) {
        ShowCursor();
    } else {
        UpdateCaretMetrics();
        if (OnCaretMoved) OnCaretMoved();
    }
    notifyCursorMoved();
}

bool TRtRTFTextInput::zeroWidthAt(TLine* Line, int Pos) const {
    return !ShowZeroWidth && Line->Attr && Pos >= 0 && Pos < Line->Length && Line->Attr[Pos].Width == 0;
}

bool TRtRTFTextInput::toPrevLine() {
    if (CurLine->Prev) {
        CurLine = CurLine->Prev;
    } else if (CurPar->Prev) {
        CurPar = CurPar->Prev;
        CurLine = Get_LastLine(CurPar);
    } else {
        return false;
    }
    return true;
}

bool TRtRTFTextInput::toNextLine() {
    if (CurLine->Next) {
        CurLine = CurLine->Next;
    } else if (CurPar->Next) {
        CurPar = CurPar->Next;
        CurLine = CurPar->FirstLine;
    } else {
        return false;
    }
    return true;
}

bool TRtRTFTextInput::canMove(int Count) const {
    return !(PaintOptions & poCursorFixed) && Count >= 1 && CurLine;
}

template <class Step>
void TRtRTFTextInput::moveBy(int Count, bool Extend, bool Show, Step step) {
    if (!canMove(Count)) return;
    beginMove(Extend);
    int steps = 0;
    while (steps < Count && step()) ++steps;
    afterMove(Extend, Show);
}

void TRtRTFTextInput::moveLines(int Count, bool Extend, bool Show, bool (TRtRTFTextInput::*step)()) {
    if (!canMove(Count)) return;
    beginMove(Extend);
    int x = columnKept_ ? columnX_ : CaretX;
    int steps = 0;
    while (steps < Count && (this->*step)()) ++steps;
    CurPos = XToChar(CurPar, CurLine, x);
    afterMove(Extend, Show);
    columnX_ = x;
    columnKept_ = true;
}

void TRtRTFTextInput::CursorUp(int Count, bool Extend, bool Show) {
    moveLines(Count, Extend, Show, &TRtRTFTextInput::toPrevLine);
}

void TRtRTFTextInput::CursorDown(int Count, bool Extend, bool Show) {
    moveLines(Count, Extend, Show, &TRtRTFTextInput::toNextLine);
}

void TRtRTFTextInput::CursorLeft(int Count, bool Extend, bool Show) {
    moveBy(Count, Extend, Show, [this] {
        if (CurPos > 0) {
            --CurPos;
            while (CurPos > 0 && zeroWidthAt(CurLine, CurPos)) --CurPos;
            return true;
        }
        if (!toPrevLine()) return false;
        CurPos = CurLine->Length;
        return true;
    });
}

void TRtRTFTextInput::CursorRight(int Count, bool Extend, bool Show) {
    moveBy(Count, Extend, Show, [this] {
        if (CurPos < CurLine->Length) {
            ++CurPos;
            while (CurPos < CurLine->Length && zeroWidthAt(CurLine, CurPos - 1)) ++CurPos;
            return true;
        }
        if (!toNextLine()) return false;
        CurPos = 0;
        return true;
    });
}

void TRtRTFTextInput::WordLeft(int Count, bool Extend, bool Show) {
    moveBy(Count, Extend, Show, [this] {
        if (CurPos == 0) {
            if (!toPrevLine()) return false;
            CurPos = CurLine->Length;
            return true;
        }
        const char* t = CurLine->Text.get();
        int p = CurPos - 1;
        while (p > 0 && !isWordChar(t[p])) --p;
        while (p > 0 && isWordChar(t[p - 1])) --p;
        if (p > 0 && t[p - 1] == 8) --p;
        CurPos = p;
        return true;
    });
}

void TRtRTFTextInput::WordRight(int Count, bool Extend, bool Show) {
    moveBy(Count, Extend, Show, [this] {
        if (CurPos >= CurLine->Length) {
            if (!toNextLine()) return false;
            CurPos = 0;
            return true;
        }
        const char* t = CurLine->Text.get();
        int p = CurPos;
        while (p < CurLine->Length && !isWordChar(t[p])) ++p;
        while (p < CurLine->Length && isWordChar(t[p])) ++p;
        CurPos = p;
        return true;
    });
}

void TRtRTFTextInput::MoveCursor(TRtCursorMove Kind, bool Extend) {
    if ((PaintOptions & poCursorFixed) || !CurLine) return;
    if (!Extend && HasBlock()) SetBlockEnd(CurPar, CurLine, false, CurPos);
    switch (Kind) {
        case cmLineStart:
        case cmLineEnd:
        case cmDocStart:
        case cmDocEnd:
            beginMove(Extend);
            if (Kind == cmLineStart) CurPos = 0, CaretX = 0;
            else if (Kind == cmLineEnd) CurPos = CurLine->Length;
            else if (Kind == cmDocStart) CurPar = FirstPar, CurLine = FirstPar->FirstLine, CurPos = 0;
            else {
                while (CurPar->Next) CurPar = CurPar->Next;
                CurLine = Get_LastLine(CurPar);
                CurPos = CurLine->Length;
            }
            afterMove(Extend, true);
            break;
        case cmPageUp:
        case cmPageDown: {
            int y = std::max(1, CaretY - TopOffset);
            if (Kind == cmPageUp) ScrollUp(WindowHeight);
            else ScrollDown(WindowHeight);
            ClickAt(0, y, true, Extend);
            break;
        }
        case cmLeft: CursorLeft(1, Extend, true); break;
        case cmRight: CursorRight(1, Extend, true); break;
        case cmUp: CursorUp(1, Extend, true); break;
        case cmDown: CursorDown(1, Extend, true); break;
        case cmWordLeft: WordLeft(1, Extend, true); break;
        case cmWordRight: WordRight(1, Extend, true); break;
    }
}

void TRtRTFTextInput::ClickAt(int X, int Y, bool Show, bool Extend) {
    if (PaintOptions & (poInert | poCursorFixed)) return;
    TParagraph* oldPar = CurPar;
    TLine* oldLine = CurLine;
    int oldPos = CurPos;
    TRtRTFTextPaint::ClickAt(X, Y, Show, Extend);
    columnKept_ = false;
    bool moved = CurPar != oldPar || CurLine != oldLine || CurPos != oldPos;
    if (Extend && moved) {
        if (!BlockStartPar) SetBlockEnd(oldPar, oldLine, false, oldPos);
        SetBlockEnd(CurPar, CurLine, true, CurPos);
    } else if (!Extend) {
        SetBlockEnd(CurPar, CurLine, false, CurPos);
    }
    UpdateCurrentAttr();
    notifyCursorMoved();
    if (Show) {
        ShowCursor();
    } else {
        UpdateCaretMetrics();
        if (OnCaretMoved) OnCaretMoved();
    }
}

// ---------------------------------------------------------------- the block

long long TRtRTFTextInput::orderOf(TParagraph* Par, TLine* Line, int Pos) const {
    long long n = 0;
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next, ++n)
            if (p == Par && l == Line) return n * 65536 + Pos;
    return -1;
}

int TRtRTFTextInput::offsetOf(TParagraph* Par, TLine* Line, int Pos) const {
    int off = 0;
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) {
            if (p == Par && l == Line) return off + Pos;
            off += l->Length;
        }
    return -1;
}

void TRtRTFTextInput::placeAt(int Offset, TParagraph*& Par, TLine*& Line, int& Pos) const {
    int start = 0;
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) {
            Par = p;
            Line = l;
            Pos = std::clamp(Offset - start, 0, static_cast<int>(l->Length));
            if (Offset <= start + l->Length) return;
            start += l->Length;
        }
}

void TRtRTFTextInput::clearMarks() {
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) l->Mark = lmNone;
}

void TRtRTFTextInput::SetBlockEnd(TParagraph* Par, TLine* Line, bool Extend, int Pos) {
    if (NoBlockMarking || !Par || !Line) return;
    Pos = std::clamp<int>(Pos, 0, Line->Length);
    if (!Extend || !BlockStartPar) {
        if (HasBlock()) {
            clearMarks();
            BlockEndPar = nullptr;
            BlockEndLine = nullptr;
            Paint();
        }
        BlockStartPar = Par;
        BlockStartLine = Line;
        BlockStartPos = Pos;
        BlockEndPar = nullptr;
        BlockEndLine = nullptr;
        BlockEndPos = 0;
        BlockReversed = false;
        if (OnBlockChanged) OnBlockChanged();
        return;
    }
    if (BlockEndPar == Par && BlockEndLine == Line && BlockEndPos == Pos) return;
    // The moving end snaps to the edge of a cell other than the anchor's.
    if ((Par->ParFlags & pfTableCell) && Par != BlockStartPar) {
        bool before = orderOf(Par, Line, Pos) < orderOf(BlockStartPar, BlockStartLine, BlockStartPos);
        Line = before ? Par->FirstLine : Get_LastLine(Par);
        Pos = before ? 0 : Line->Length;
    }
    BlockEndPar = Par;
    BlockEndLine = Line;
    BlockEndPos = Pos;
    long long a = orderOf(BlockStartPar, BlockStartLine, BlockStartPos), b = orderOf(Par, Line, Pos);
    BlockReversed = b < a;
    long long lo = std::min(a, b) / 65536, hi = std::max(a, b) / 65536;
    long long n = 0;
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next, ++n) {
            uint8_t mark = a == b ? lmNone : (n == lo || n == hi) ? lmBlockEnd : (n > lo && n < hi) ? lmPartly : lmNone;
            if (mark != l->Mark) {
                l->Mark = mark;
                if (Visible) PaintLine(p, l);
            }
        }
    if (OnBlockChanged) OnBlockChanged();
}

bool TRtRTFTextInput::DeleteBlock() {
    if (!HasBlock()) return false;
    TParagraph *fp = BlockStartPar, *lp = BlockEndPar;
    TLine *fl = BlockStartLine, *ll = BlockEndLine;
    int fpos = BlockStartPos, lpos = BlockEndPos;
    if (orderOf(lp, ll, lpos) < orderOf(fp, fl, fpos)) {
        std::swap(fp, lp);
        std::swap(fl, ll);
        std::swap(fpos, lpos);
    }
    clearMarks();
    BlockStartPar = BlockEndPar = nullptr;
    BlockStartLine = BlockEndLine = nullptr;
    BlockReversed = false;
    Extending = false;
    if (fp == lp && fl == ll && fpos == lpos) return false;
    auto parOffset = [](TParagraph* p, TLine* line, int pos) {
        int off = 0;
        for (TLine* l = p->FirstLine; l && l != line; l = l->Next) off += l->Length;
        return off + pos;
    };
    auto parLength = [](TParagraph* p) {
        int n = 0;
        for (TLine* l = p->FirstLine; l; l = l->Next) n += l->Length;
        return n;
    };
    int from = parOffset(fp, fl, fpos);
    if (fp == lp) {
        DeleteRange(fp, from, parOffset(lp, ll, lpos) - from);
    } else {
        int to = parOffset(lp, ll, lpos);
        bool cells = (fp->ParFlags & pfTableCell) || (lp->ParFlags & pfTableCell);
        DeleteRange(fp, from, parLength(fp) - from);
        // Whole paragraphs between the ends go; cells are only emptied.
        for (TParagraph* p = fp->Next; p && p != lp;) {
            TParagraph* next = p->Next;
            if (p->ParFlags & pfTableCell || cells) {
                DeleteRange(p, 0, parLength(p));
            } else {
                p->Prev->Next = p->Next;
                if (p->Next) p->Next->Prev = p->Prev;
                FreeParagraph(p);
            }
            p = next;
        }
        DeleteRange(lp, 0, to);
        if (!cells && lp->Prev == fp) {
            TLine* last = Get_LastLine(fp);
            DeleteChar(fp, last, last->Length);  // joins the remainders
        }
    }
    // The cursor stands at the block's first position, found again by offset.
    CurPar = fp;
    CurLine = fp->FirstLine;
    CurPos = 0;
    {
        int off = from;
        TLine* l = fp->FirstLine;
        while (l->Next && off > l->Length) {
            off -= l->Length;
            l = l->Next;
        }
        CurLine = l;
        CurPos = std::clamp(off, 0, static_cast<int>(l->Length));
    }
    fp->Dirty |= dfAll;
    bool was = formatting_;
    formatting_ = false;
    MeasureAll();
    WrapDirty();
    formatting_ = was;
    if (OnCaretMoved) OnCaretMoved();
    if (OnBlockChanged) OnBlockChanged();
    return true;
}

bool TRtRTFTextInput::GetBlockRange(int& Start, int& Length) {
    Start = Length = 0;
    if (!HasBlock()) return false;
    int a = offsetOf(BlockStartPar, BlockStartLine, BlockStartPos), b = offsetOf(BlockEndPar, BlockEndLine, BlockEndPos);
    Start = std::min(a, b);
    Length = std::abs(b - a);
    return true;
}

void TRtRTFTextInput::SelectRange(int Start, int Length) {
    TParagraph* p;
    TLine* l;
    int pos;
    placeAt(Start, p, l, pos);
    SetBlockEnd(p, l, false, pos);
    if (Length < 1) {
        BlockStartPar = nullptr;
        BlockStartLine = nullptr;
        return;
    }
    placeAt(Start + Length, p, l, pos);
    SetBlockEnd(p, l, true, pos);
    CurPar = p;
    CurLine = l;
    CurPos = pos;
}

void TRtRTFTextInput::SetBlockStart(int Offset) {
    pendingStart_ = std::max(0, Offset);
    if (pendingLength_ < 0) return;
    SelectRange(pendingStart_, pendingLength_);
    pendingStart_ = pendingLength_ = -1;
}

void TRtRTFTextInput::SetBlockLength(int Count) {
    pendingLength_ = Count;
    if (pendingStart_ < 0) return;
    SelectRange(pendingStart_, pendingLength_);
    pendingStart_ = pendingLength_ = -1;
}

bool TRtRTFTextInput::SelectObject(int Number, bool FirstKey) {
    char code = FirstKey ? rtObjectByTag : rtObjectByNumber;
    int offset = 0;
    for (TParagraph* p = FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; offset += l->Length, l = l->Next) {
            if (!l->Attr) continue;
            for (int i = 0; i < l->Length; ++i)
                if (l->Text[i] == code && (l->Attr[i].Special & spObject) && l->Attr[i].Tag == Number) {
                    SelectRange(offset + i, 1);
                    return true;
                }
        }
    return false;
}
