#include "richtext/RtRtfTxt.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/Exceptions.h"

namespace {

// Line capacities the primitives start or grow with.
constexpr int minLineCapacity = 8;
constexpr int clearedLineCapacity = 100;
constexpr int firstLineCapacity = 40;
constexpr int insertGrowth = 10;
constexpr int replaceGrowth = 6;
constexpr int joinGrowth = 30;
constexpr int splitGrowth = 30;
constexpr int insertedLineGrowth = 4;
// Most characters a line can hold beside its terminator.
constexpr int maxLineText = rtMaxLineLength - 1;

int capacityFor(int wanted) { return std::clamp(wanted, minLineCapacity, rtMaxLineLength); }

}  // namespace

// ---------------------------------------------------------------- creation

TRtRTFText::TRtRTFText() : Header(std::make_unique<TTextHeader>()) {
    Header->Inches = true;
    Header->HasAttributes = true;
    Header->OnTabsFull = [this](TObject*) { CollectTabs(); };
    // The default font is named from the start, so every run's font is declared.
    Header->FontName[0] = "Arial";
    CurAttr.Size = 10;
    std::fill(std::begin(CharWidth), std::end(CharWidth), 16);
    NewParagraph(FirstPar, firstLineCapacity);
}

TRtRTFText::~TRtRTFText() {
    freeAllParagraphs();
    Objects.clear();
    Stamps.clear();
}

void TRtRTFText::freeAllParagraphs() { FreeParagraphs(FirstPar); }

// ---------------------------------------------------------------- lines and paragraphs

TCharAttr TRtRTFText::attrWithMetrics(const TCharAttr& attr, char ch) const {
    TCharAttr a = attr;
    unsigned char c = ch == '\t' ? ' ' : static_cast<unsigned char>(ch);
    a.Width = static_cast<uint16_t>(CharWidth[c]);
    a.Height = static_cast<uint16_t>(LineHeight);
    a.Ascent = static_cast<uint16_t>(LineBase);
    return a;
}

std::unique_ptr<TLine> TRtRTFText::makeLine(int capacity) {
    capacity = capacityFor(capacity);
    if (capacity % 2) ++capacity;
    auto line = std::make_unique<TLine>();
    line->Text.reset(new char[capacity]());
    if (MemoryFormat == fmRichText) {
        line->Attr.reset(new TCharAttr[capacity]());
        line->Attr[0] = CurAttr;
    }
    line->Capacity = static_cast<uint16_t>(capacity);
    line->Height = static_cast<uint16_t>(DefaultHeight);
    return line;
}

void TRtRTFText::appendToLine(TLine* line, const char* text, const TCharAttr* attrs, int len) {
    if (len <= 0) return;
    if (line->Length + len >= line->Capacity) GrowLine(line, line->Length + len + insertedLineGrowth);
    std::memcpy(line->Text.get() + line->Length, text, len);
    if (line->Attr && attrs) MoveAttribs(line->Attr.get(), line->Length, attrs, len, 0);
    line->Length = static_cast<uint16_t>(line->Length + len);
    line->Text[line->Length] = 0;
}

void TRtRTFText::MoveAttribs(TCharAttr* dest, int destIndex, const TCharAttr* src, int count, int srcIndex) {
    if (!dest || !src || count <= 0) return;
    std::memmove(dest + destIndex, src + srcIndex, sizeof(TCharAttr) * count);
}

TCharAttr* TRtRTFText::AttribPtr(TCharAttr* base, int n) {
    if (!base) throw Exception("Error AttribPtr()");
    return base + n;
}

void TRtRTFText::NewParagraph(TParagraph*& par, int lineCapacity) {
    std::unique_ptr<TParagraph> fresh;
    try {
        fresh = std::make_unique<TParagraph>();
    } catch (const std::bad_alloc&) {
        throw Exception("Out of Memory in NewParagraph");
    }
    TLine* line = nullptr;
    NewLine(line, lineCapacity);
    fresh->FirstLine = line;
    if (par) {
        fresh->IndentFirst = par->IndentFirst;
        fresh->IndentLeft = par->IndentLeft;
        fresh->IndentRight = par->IndentRight;
        fresh->SpaceBefore = par->SpaceBefore;
        fresh->SpaceAfter = par->SpaceAfter;
        fresh->LineSpacing = par->LineSpacing;
        fresh->Align = par->Align;
        fresh->ParFlags = par->ParFlags;
        fresh->TabSet = par->TabSet;
        if (!(par->TableFlags & tfBoxEnds)) fresh->TableFlags = par->TableFlags;
        fresh->Prev = par;
        fresh->Next = par->Next;
        if (par->Next) par->Next->Prev = fresh.get();
        par->Next = fresh.get();
    }
    par = fresh.release();
}

void TRtRTFText::NewLine(TLine*& line, int capacity) {
    TLine* fresh = makeLine(capacity).release();
    if (line) {
        fresh->Prev = line;
        fresh->Next = line->Next;
        if (line->Next) line->Next->Prev = fresh;
        line->Next = fresh;
    }
    line = fresh;
}

void TRtRTFText::GrowLine(TLine* line, int capacity) {
    if (!line) return;
    if (capacity > rtMaxLineLength) throw Exception("Line longer then 10000 character!");
    capacity = std::max(capacity, 2);
    if (capacity % 2) ++capacity;
    std::unique_ptr<char[]> text(new char[capacity]());
    std::unique_ptr<TCharAttr[]> attr;
    if (line->Attr) attr.reset(new TCharAttr[capacity]());
    int keep = std::min<int>(line->Length, capacity - 1);
    std::memcpy(text.get(), line->Text.get(), keep);
    if (attr) MoveAttribs(attr.get(), 0, line->Attr.get(), std::min<int>(line->Capacity, capacity), 0);
    line->Text = std::move(text);
    if (attr) line->Attr = std::move(attr);
    line->Capacity = static_cast<uint16_t>(capacity);
    line->Length = static_cast<uint16_t>(keep);
}

void TRtRTFText::FreeLine(TLine*& line) {
    delete line;
    line = nullptr;
}

void TRtRTFText::FreeParagraph(TParagraph*& par) {
    if (!par) return;
    TLine* line = par->FirstLine;
    while (line) {
        TLine* next = line->Next;
        FreeLine(line);
        line = next;
    }
    delete par;
    par = nullptr;
}

void TRtRTFText::FreeParagraphs(TParagraph*& par) {
    while (par) {
        TParagraph* next = par->Next;
        par->Next = nullptr;
        FreeParagraph(par);
        par = next;
        if (par) par->Prev = nullptr;
    }
}

void TRtRTFText::RemoveLine(TParagraph* par, TLine* line) {
    if (!par || !line) return;
    if (line != par->FirstLine) {
        line->Prev->Next = line->Next;
        if (line->Next) line->Next->Prev = line->Prev;
        FreeLine(line);
        return;
    }
    if (par->Prev) {
        TParagraph* prev = par->Prev;
        TLine* rest = line->Next;
        if (rest) {
            TLine* last = Get_LastLine(prev);
            last->Next = rest;
            rest->Prev = last;
            markDirty(prev);
        }
        line->Next = nullptr;
        par->FirstLine = line;
        prev->Next = par->Next;
        if (par->Next) par->Next->Prev = prev;
        par->Next = par->Prev = nullptr;
        FreeParagraph(par);
        return;
    }
    // The document's first paragraph.
    if (line->Next) {
        par->FirstLine = line->Next;
        par->FirstLine->Prev = nullptr;
        FreeLine(line);
    } else if (par->Next) {
        FirstPar = par->Next;
        FirstPar->Prev = nullptr;
        par->Next = nullptr;
        FreeParagraph(par);
    } else {
        line->Length = 0;
        line->Text[0] = 0;
    }
    if (FirstPar) markDirty(FirstPar);
}

TLine* TRtRTFText::Get_LastLine(const TParagraph* par) {
    TLine* line = par ? par->FirstLine : nullptr;
    if (!line) throw Exception("l=nil in Get_LastLine");
    while (line->Next) line = line->Next;
    return line;
}

int TRtRTFText::ParagraphNumber(const TParagraph* first, const TParagraph* par) {
    int n = 0;
    for (const TParagraph* p = first; p; p = p->Next, ++n)
        if (p == par) return n;
    return -1;
}

void TRtRTFText::Changed() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- attributes

void TRtRTFText::SetCharAttr(TLine* line, int index, const TCharAttr& attr) {
    if (!line || !line->Attr || index < 0 || index >= line->Capacity) return;
    line->Attr[index] = attrWithMetrics(attr, line->Text[index]);
}

void TRtRTFText::SetCurrentAttr(const TCharAttr& attr) { CurAttr = attr; }

void TRtRTFText::SetMemoryFormat(TRtMemoryFormat format) {
    if (Busy) return;
    if (format == fmRichText) {
        if (Header->HasAttributes) return;
        // Every array is made before any line takes one.
        std::vector<std::unique_ptr<TCharAttr[]>> arrays;
        for (TParagraph* p = FirstPar; p; p = p->Next)
            for (TLine* l = p->FirstLine; l; l = l->Next) arrays.emplace_back(new TCharAttr[l->Capacity]());
        size_t i = 0;
        for (TParagraph* p = FirstPar; p; p = p->Next) {
            for (TLine* l = p->FirstLine; l; l = l->Next) {
                l->Attr = std::move(arrays[i++]);
                for (int k = 0; k < l->Capacity; ++k) l->Attr[k] = attrWithMetrics(CurAttr, l->Text[k]);
                l->Height = CurAttr.Height ? CurAttr.Height : static_cast<uint16_t>(LineHeight);
                l->Base = CurAttr.Ascent ? CurAttr.Ascent : static_cast<uint16_t>(LineBase);
            }
            markDirty(p);
        }
    } else {
        if (!Header->HasAttributes && MemoryFormat == fmPlainText) return;
        for (TParagraph* p = FirstPar; p; p = p->Next)
            for (TLine* l = p->FirstLine; l; l = l->Next) {
                l->Attr.reset();
                l->Height = static_cast<uint16_t>(LineHeight);
                l->Base = static_cast<uint16_t>(LineBase);
            }
    }
    MemoryFormat = format;
    Header->HasAttributes = format == fmRichText;
    Changed();
}

// ---------------------------------------------------------------- editing one line

int TRtRTFText::ReplaceInLine(TParagraph* par, TLine* line, const TCharAttr* attr, int newCount,
                              const char* text, int oldCount, int pos) {
    if (!line || pos < 0 || pos > line->Length) return 0;
    oldCount = std::clamp(oldCount, 0, line->Length - pos);
    newCount = text ? std::max(newCount, 0) : 0;
    int delta = newCount - oldCount;
    int newLength = line->Length + delta;
    if (newLength > maxLineText) throw Exception("Line longer then 10000 character!");
    TCharAttr fill = CurAttr;
    if (attr) fill = *attr;
    else if (line->Attr) fill = line->Attr[pos < line->Length ? pos : std::max(pos - 1, 0)];
    if (newLength >= line->Capacity) GrowLine(line, std::min(line->Length + delta + replaceGrowth, rtMaxLineLength));
    int tail = line->Length - pos - oldCount;
    char* t = line->Text.get();
    std::memmove(t + pos + newCount, t + pos + oldCount, tail);
    if (line->Attr) MoveAttribs(line->Attr.get(), pos + newCount, line->Attr.get(), tail, pos + oldCount);
    std::memcpy(t + pos, text ? text : "", newCount);
    if (line->Attr)
        for (int i = 0; i < newCount; ++i) line->Attr[pos + i] = attrWithMetrics(fill, text[i]);
    line->Length = static_cast<uint16_t>(newLength);
    t[newLength] = 0;
    if (par) markDirty(par);
    return delta;
}

int TRtRTFText::ReplaceText(TParagraph* par, TLine* line, const std::string& s, int pos, int count) {
    return ReplaceInLine(par, line, nullptr, static_cast<int>(s.size()), s.data(), count, pos);
}

bool TRtRTFText::InsertChar(TParagraph* par, TLine* line, char ch, int pos) {
    if (!par || !line || pos < 0) return false;
    if (IsProtected(par, line, pos)) return false;
    pos = std::min<int>(pos, line->Length);
    bool grows = InsertMode || pos >= line->Length;
    if (grows && line->Length + 1 > maxLineText) throw Exception("Line longer then 10000 character!");
    if (grows && line->Capacity - line->Length < 4)
        GrowLine(line, std::min(line->Length + insertGrowth, rtMaxLineLength));
    char* t = line->Text.get();
    if (grows) {
        int tail = line->Length - pos;
        std::memmove(t + pos + 1, t + pos, tail);
        if (line->Attr) MoveAttribs(line->Attr.get(), pos + 1, line->Attr.get(), tail, pos);
        line->Length = static_cast<uint16_t>(line->Length + 1);
        t[line->Length] = 0;
    }
    t[pos] = ch;
    SetCharAttr(line, pos, CurAttr);
    line->LineFlags |= lfChanged;
    markDirty(par);
    return true;
}

bool TRtRTFText::DeleteChar(TParagraph* par, TLine* line, int pos) {
    if (!par || !line || pos < 0) return false;
    if (IsProtected(par, line, pos)) return false;
    if (pos < line->Length) {
        ReplaceInLine(par, line, nullptr, 0, nullptr, 1, pos);
        return true;
    }
    if (line->Next) return joinNextLine(par, line);
    if (!(par->ParFlags & pfTableCell) && par->Next && !(par->Next->ParFlags & pfTableCell))
        joinNextParagraph(par);
    return true;
}

bool TRtRTFText::joinNextLine(TParagraph* par, TLine* line) {
    TLine* next = line->Next;
    bool kept = next->Length > 0 && IsProtected(par, next, 0);
    bool dropFirst = next->Length > 0 && !kept;
    int from = dropFirst ? 1 : 0;
    int moved = next->Length - from;
    if (line->Length + moved > maxLineText) {
        // Too long to join: delete only the character that follows.
        if (dropFirst) ReplaceInLine(par, next, nullptr, 0, nullptr, 1, 0);
        return !kept;
    }
    if (line->Length + moved + replaceGrowth > line->Capacity)
        GrowLine(line, std::min(line->Length + moved + joinGrowth, rtMaxLineLength));
    appendToLine(line, next->Text.get() + from, next->Attr ? next->Attr.get() + from : nullptr, moved);
    line->Next = next->Next;
    if (next->Next) next->Next->Prev = line;
    FreeLine(next);
    markDirty(par);
    return !kept;
}

void TRtRTFText::joinNextParagraph(TParagraph* par) {
    TParagraph* next = par->Next;
    TLine* last = Get_LastLine(par);
    last->Next = next->FirstLine;
    next->FirstLine->Prev = last;
    next->FirstLine = nullptr;
    par->Next = next->Next;
    if (next->Next) next->Next->Prev = par;
    next->Next = next->Prev = nullptr;
    FreeParagraph(next);
    markDirty(par);
}

// ---------------------------------------------------------------- paragraphs

TLine* TRtRTFText::lineAt(TParagraph* par, int& pos) {
    TLine* line = par->FirstLine;
    while (line->Next && pos > line->Length) {
        pos -= line->Length;
        line = line->Next;
    }
    pos = std::min<int>(pos, line->Length);
    return line;
}

bool TRtRTFText::SplitParagraph(TParagraph* par, TLine* line, int pos) {
    if (!par || !line || pos < 0) return false;
    if (IsProtected(par, line, pos)) return false;
    pos = std::min<int>(pos, line->Length);
    int rest = line->Length - pos;
    // The new paragraph is complete before anything moves.
    TParagraph* fresh = par;
    std::unique_ptr<TLine> first = makeLine(rest + splitGrowth);
    appendToLine(first.get(), line->Text.get() + pos, line->Attr ? line->Attr.get() + pos : nullptr, rest);
    if (rest == 0 && line->Attr && first->Attr) first->Attr[0] = line->Attr[pos > 0 ? pos - 1 : 0];
    NewParagraph(fresh, minLineCapacity);
    TLine* placeholder = fresh->FirstLine;
    FreeLine(placeholder);
    fresh->FirstLine = first.release();
    fresh->FirstLine->Next = line->Next;
    if (line->Next) line->Next->Prev = fresh->FirstLine;
    line->Next = nullptr;
    line->Length = static_cast<uint16_t>(pos);
    line->Text[pos] = 0;
    markDirty(par);
    markDirty(fresh);
    return true;
}

void TRtRTFText::splitLineAt(TParagraph* par, TLine* line, int pos, int extra) {
    int rest = line->Length - pos;
    if (rest <= 0) return;
    std::unique_ptr<TLine> tail = makeLine(rest + extra);
    appendToLine(tail.get(), line->Text.get() + pos, line->Attr ? line->Attr.get() + pos : nullptr, rest);
    TLine* t = tail.release();
    t->Prev = line;
    t->Next = line->Next;
    if (line->Next) line->Next->Prev = t;
    line->Next = t;
    line->Length = static_cast<uint16_t>(pos);
    line->Text[pos] = 0;
    markDirty(par);
}

void TRtRTFText::InsertTextAt(TParagraph* par, int pos, const TCharAttr* attr, const std::string& text) {
    if (!par || pos < 0 || text.empty()) return;
    TLine* line = lineAt(par, pos);
    TCharAttr a = attr ? *attr : CursorAttr;
    // The new lines are made before the line is split.
    std::vector<std::unique_ptr<TLine>> fresh;
    for (size_t from = 0; from < text.size(); from += maxLineText - insertedLineGrowth) {
        int n = static_cast<int>(std::min<size_t>(text.size() - from, maxLineText - insertedLineGrowth));
        auto l = makeLine(n + insertedLineGrowth);
        std::vector<TCharAttr> attrs;
        if (l->Attr)
            for (int i = 0; i < n; ++i) attrs.push_back(attrWithMetrics(a, text[from + i]));
        appendToLine(l.get(), text.data() + from, attrs.empty() ? nullptr : attrs.data(), n);
        fresh.push_back(std::move(l));
    }
    splitLineAt(par, line, pos, splitGrowth);
    TLine* after = line;
    for (auto& l : fresh) {
        TLine* n = l.release();
        n->Prev = after;
        n->Next = after->Next;
        if (after->Next) after->Next->Prev = n;
        after->Next = n;
        after = n;
    }
    markDirty(par);
}

void TRtRTFText::DeleteRange(TParagraph* par, int pos, int count) {
    if (!par || pos < 0 || count <= 0) return;
    TLine* line = lineAt(par, pos);
    // A position at a line's end belongs to the next line's start.
    while (pos >= line->Length && line->Next) {
        pos = 0;
        line = line->Next;
    }
    if (line->Attr && pos < line->Length) CursorAttr = line->Attr[pos];
    while (line && count > 0) {
        int n = std::min(count, line->Length - pos);
        if (n > 0) ReplaceInLine(par, line, nullptr, 0, nullptr, n, pos);
        count -= n;
        line = line->Next;
        pos = 0;
    }
    markDirty(par);
}

bool TRtRTFText::InsertParagraphs(TParagraph*& par, TLine*& line, TParagraph* chain, int& pos) {
    if (!chain) return false;
    TParagraph* chainLast = chain;
    while (chainLast->Next) chainLast = chainLast->Next;
    if (!FirstPar) {
        FirstPar = chain;
        chain->Prev = nullptr;
        par = chainLast;
        line = Get_LastLine(chainLast);
        pos = 0;
        return true;
    }
    if (!par || !line || (par->ParFlags & pfTableCell)) return false;
    pos = std::clamp<int>(pos, 0, line->Length);
    int rest = line->Length - pos;
    std::unique_ptr<TLine> restLine = makeLine(rest + splitGrowth);
    appendToLine(restLine.get(), line->Text.get() + pos, line->Attr ? line->Attr.get() + pos : nullptr, rest);
    // Nothing below allocates.
    TLine* r = restLine.release();
    TLine* oldNext = line->Next;
    line->Length = static_cast<uint16_t>(pos);
    line->Text[pos] = 0;
    // The rest of the line and the lines after it close the chain's last paragraph.
    TLine* chainLastLine = Get_LastLine(chainLast);
    chainLastLine->Next = r;
    r->Prev = chainLastLine;
    r->Next = oldNext;
    if (oldNext) oldNext->Prev = r;
    // The chain's first paragraph gives its lines to par.
    line->Next = chain->FirstLine;
    chain->FirstLine->Prev = line;
    chain->FirstLine = nullptr;
    TParagraph* others = chain->Next;
    TParagraph* target = par;
    if (others) {
        chainLast->Next = par->Next;
        if (par->Next) par->Next->Prev = chainLast;
        par->Next = others;
        others->Prev = par;
        target = chainLast;
    }
    chain->Next = chain->Prev = nullptr;
    FreeParagraph(chain);
    for (TParagraph* p = par; p; p = p->Next) {
        markDirty(p);
        if (p == target) break;
    }
    par = target;
    line = r;
    pos = 0;
    return true;
}
