// The whole-document operations of TRtRTFText: clearing, paragraphs by
// index, text access, protection and the tab collector.
#include <algorithm>
#include <vector>

#include "richtext/RtRtfTxt.h"

namespace {

constexpr int clearedLineCapacity = 100;
constexpr int maxLineText = rtMaxLineLength - 1;
constexpr int textLineGrowth = 4;
// Most characters a protection event reports.
constexpr int maxProtectedText = 254;

TParagraph* paragraphAt(TParagraph* first, int index) {
    if (index < 0) return nullptr;
    TParagraph* p = first;
    for (; p && index > 0; --index) p = p->Next;
    return p;
}

TParagraph* lastParagraph(TParagraph* first) {
    TParagraph* p = first;
    while (p && p->Next) p = p->Next;
    return p;
}

bool isEmptyDocument(const TParagraph* first) {
    return first && !first->Next && !first->FirstLine->Next && first->FirstLine->Length == 0;
}

// Insert points and automatic text are one protected field.
bool sameField(uint8_t a, uint8_t b) {
    constexpr uint8_t field = spInsertPoint | spAutomatic;
    return a == b || ((a & field) && (b & field) && (a & ~field) == (b & ~field));
}

}  // namespace

void TRtRTFText::Clear() {
    if (Busy) return;
    // The new paragraph exists before the old ones go.
    TParagraph* fresh = nullptr;
    TCharAttr keep = CurAttr;
    NewParagraph(fresh, clearedLineCapacity);
    freeAllParagraphs();
    if (keep.Font < rtFontsUsable && keep.Font != 0 && !Header->FontName[keep.Font].empty()) {
        Header->FontName[0] = Header->FontName[keep.Font];
        Header->FontFamily[0] = Header->FontFamily[keep.Font];
        Header->FontCharset[0] = Header->FontCharset[keep.Font];
    }
    CurAttr.Font = 0;
    if (CurAttr.Size == 0) CurAttr.Size = 10;
    if (Header->FontName[0].empty()) Header->FontName[0] = "Arial";
    Header->Reset();
    UnmarkObjects();
    FreeUnmarkedObjects();
    ClearStamps();
    Header->HasAttributes = MemoryFormat == fmRichText;
    if (fresh->FirstLine->Attr) fresh->FirstLine->Attr[0] = CurAttr;
    FirstPar = fresh;
    markDirty(FirstPar);
    Changed();
}

void TRtRTFText::SetParText(int index, const std::string& text, const TCharAttr* attr) {
    TParagraph* par = paragraphAt(FirstPar, index);
    if (!par) par = lastParagraph(FirstPar);
    if (!par) return;
    TCharAttr a = attr ? *attr : CurAttr;
    // The new lines are made before the old ones go.
    std::vector<std::unique_ptr<TLine>> fresh;
    size_t from = 0;
    do {
        int n = static_cast<int>(std::min<size_t>(text.size() - from, maxLineText - textLineGrowth));
        auto line = makeLine(n + textLineGrowth);
        std::vector<TCharAttr> attrs;
        if (line->Attr) {
            line->Attr[0] = a;
            for (int i = 0; i < n; ++i) attrs.push_back(attrWithMetrics(a, text[from + i]));
        }
        appendToLine(line.get(), text.data() + from, attrs.empty() ? nullptr : attrs.data(), n);
        fresh.push_back(std::move(line));
        from += n;
    } while (from < text.size());
    TLine* old = par->FirstLine;
    TLine* prev = nullptr;
    for (auto& l : fresh) {
        TLine* n = l.release();
        n->Prev = prev;
        if (prev) prev->Next = n;
        else par->FirstLine = n;
        prev = n;
    }
    while (old) {
        TLine* next = old->Next;
        FreeLine(old);
        old = next;
    }
    markDirty(par);
    Changed();
}

void TRtRTFText::InsertParagraph(int index, const std::string& text, const TCharAttr* attr) {
    int target = index;
    if (isEmptyDocument(FirstPar)) {
        target = 0;
    } else if (index == 0) {
        TParagraph* fresh = nullptr;
        NewParagraph(fresh, clearedLineCapacity);
        fresh->Next = FirstPar;
        if (FirstPar) FirstPar->Prev = fresh;
        FirstPar = fresh;
        target = 0;
    } else {
        TParagraph* after = paragraphAt(FirstPar, index);
        if (!after) after = lastParagraph(FirstPar);
        NewParagraph(after, clearedLineCapacity);
        target = ParagraphNumber(FirstPar, after);
    }
    SetParText(target, text, attr);
}

void TRtRTFText::DeleteParagraph(int index) {
    TParagraph* par = paragraphAt(FirstPar, index);
    if (!par) return;
    while (par->FirstLine->Next) RemoveLine(par, Get_LastLine(par));
    RemoveLine(par, par->FirstLine);
    Changed();
}

std::string TRtRTFText::GetParText(int index) const {
    const TParagraph* par = paragraphAt(FirstPar, index);
    std::string s;
    if (!par) return s;
    for (const TLine* l = par->FirstLine; l; l = l->Next) s.append(l->Text.get(), l->Length);
    return s;
}

int TRtRTFText::GetText(char* buf, TCharAttr* attrBuf, int max) const {
    bool limited = buf || attrBuf;
    if (limited && max < 1) return 0;
    int n = 0;
    TCharAttr last = CurAttr;
    auto put = [&](char c, const TCharAttr& a) {
        if (limited && n >= max - 1) return false;
        if (buf) buf[n] = c;
        if (attrBuf) attrBuf[n] = a;
        ++n;
        return true;
    };
    for (const TParagraph* p = FirstPar; p; p = p->Next) {
        if (p != FirstPar && !put('\r', last)) break;
        bool full = false;
        for (const TLine* l = p->FirstLine; l && !full; l = l->Next)
            for (int i = 0; i < l->Length; ++i) {
                if (l->Attr) last = l->Attr[i];
                if (!put(l->Text[i], last)) {
                    full = true;
                    break;
                }
            }
        if (full) break;
    }
    if (buf) buf[n] = 0;
    return n;
}

std::string TRtRTFText::GetText() const {
    std::string s(GetText(nullptr, nullptr, 0), '\0');
    if (!s.empty()) GetText(s.data(), nullptr, static_cast<int>(s.size()) + 1);
    return s;
}

bool TRtRTFText::InvalidateSpecial(uint8_t flags) {
    if (!Header->HasAttributes || Busy) return false;
    uint8_t wanted = flags & (spInsertPoint | spAutomatic | spHidden | spObject);
    bool found = false;
    for (TParagraph* p = FirstPar; p; p = p->Next) {
        bool hit = false;
        for (TLine* l = p->FirstLine; l && !hit && l->Attr; l = l->Next)
            for (int i = 0; i < l->Length && !hit; ++i) hit = (l->Attr[i].Special & wanted) != 0;
        if (hit) {
            markDirty(p);
            found = true;
        }
    }
    return found;
}

bool TRtRTFText::IsProtected(TParagraph* par, TLine* line, int pos) {
    if (!par || !line) return false;
    if ((par->ParFlags & pfProtected) && Protection.Contains(ppParProtected) && !ProtectionOff) {
        DoProtectedEvent(par, line, true, 0);
        return true;
    }
    if (!line->Attr || pos < 0 || pos >= line->Length || ProtectionOff) return false;
    const TCharAttr& a = line->Attr[pos];
    bool refused = (Protection.Contains(ppProtected) && (a.Special & spProtected)) ||
                   (Protection.Contains(ppIsInsertpoint) && (a.Special & spInsertPoint) && !InsertMode) ||
                   (Protection.Contains(ppAutomatic) && (a.Special & spAutomatic)) ||
                   (Protection.Contains(ppHidden) && (a.Special & spHidden)) ||
                   (Protection.Contains(ppIsInvisible) && a.Width == 0);
    if (refused) DoProtectedEvent(par, line, false, pos);
    return refused;
}

void TRtRTFText::DoProtectedEvent(TParagraph* par, TLine* line, bool wholeParagraph, int index) {
    if (!OnProtectedChange || !par || !line) return;
    if (wholeParagraph) {
        const TLine* first = par->FirstLine;
        OnProtectedChange(this, std::string(first->Text.get(), first->Length), 0);
        return;
    }
    if (!line->Attr || index < 0 || index >= line->Length) return;
    int start = index;
    while (start > 0 && sameField(line->Attr[start - 1].Special, line->Attr[start].Special)) --start;
    int end = start;
    while (end < line->Length && end - start < maxProtectedText &&
           sameField(line->Attr[end].Special, line->Attr[start].Special))
        ++end;
    const TCharAttr& first = line->Attr[start];
    uint16_t tag = (first.Special & (spInsertPoint | spAutomatic)) ? first.Tag : 0;
    OnProtectedChange(this, std::string(line->Text.get() + start, end - start), tag);
}

void TRtRTFText::CollectTabs() {
    uint32_t inUse = 0;
    for (int i = 0; i < rtTabsUsable; ++i)
        if (Header->TabPosPx[i] != 0 || Header->TabPosTw[i] != 0) inUse |= uint32_t(1) << i;
    uint32_t referred = 0;
    for (TParagraph* p = FirstPar; p; p = p->Next) {
        if (p->ParFlags & pfTableCell) continue;
        referred |= p->TabSet;
        if ((referred & inUse) == inUse) return;
    }
    for (int i = 0; i < rtTabsUsable; ++i)
        if ((inUse & (uint32_t(1) << i)) && !(referred & (uint32_t(1) << i))) {
            Header->TabPosTw[i] = 0;
            Header->TabPosPx[i] = 0;
            Header->TabKind[i] = tkLeft;
        }
}
