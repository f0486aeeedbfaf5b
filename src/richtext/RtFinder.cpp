#include "richtext/RtFinder.h"

#include "richtext/RtChars.h"
#include "richtext/RtRtfTxt.h"
#include "ui/Controls.h"

TRtTextFinder::TRtTextFinder() : IsCancelPressed([] { return keyIsDown(VK_ESCAPE); }) {}

int TRtTextFinder::paragraphLength(const TParagraph* par) {
    int n = 0;
    for (const TLine* l = par->FirstLine; l; l = l->Next) n += l->Length;
    return n;
}

void TRtTextFinder::loadParagraph(const TParagraph* par) {
    chars_.clear();
    attrs_.clear();
    bool rich = true;
    for (const TLine* l = par->FirstLine; l; l = l->Next) rich = rich && l->Attr;
    for (const TLine* l = par->FirstLine; l; l = l->Next) {
        chars_.append(l->Text.get(), l->Length);
        if (rich) attrs_.insert(attrs_.end(), l->Attr.get(), l->Attr.get() + l->Length);
    }
}

TRtTextFinder::Walk TRtTextFinder::beginSearch(const std::string& S) {
    Pattern = S.substr(0, MaxPattern);
    Found = false;
    return {CurPar, ParStart, ParPos};
}

bool TRtTextFinder::IsDelimiter(char C) {
    unsigned char c = static_cast<unsigned char>(C);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '\'' || c >= 192) return false;
    return !(c == 138 || c == 140 || c == 154 || c == 156 || c == 159);
}

bool TRtTextFinder::CharMatches(char textChar, char patternChar, const TCharAttr* patternAttr,
                                const TCharAttr* textAttr) {
    if ((AttrMask || SpecialMask) && patternAttr && textAttr) {
        const TCharAttr& t = *textAttr;
        const TCharAttr& p = *patternAttr;
        auto tagOk = [&] { return SearchTag == 0 || t.Tag == SearchTag; };
        if ((SpecialMask & smObject) && !((t.Special & spObject) && tagOk())) return false;
        if ((SpecialMask & smInsertPoint) && !((t.Special & spInsertPoint) && tagOk())) return false;
        if ((AttrMask & amFontAndSize) && (t.Font != p.Font || t.Size != p.Size)) return false;
        if ((AttrMask & amBold) && !(t.Style & stBold)) return false;
        if ((AttrMask & amUnderline) && !(t.Style & stUnderline)) return false;
        if ((AttrMask & amItalic) && !(t.Style & stItalic)) return false;
        if ((AttrMask & amHyperlink) && !(t.Style & stHyperlink)) return false;
        if ((AttrMask & amFindTextColor) && (t.Colors & 0x0F) != (p.Colors & 0x0F)) return false;
        if ((AttrMask & amFindBackColor) && (t.Colors & 0xF0) != (p.Colors & 0xF0)) return false;
    }
    if (Wildcard && patternChar == Wildcard) return true;
    unsigned char a = static_cast<unsigned char>(textChar), b = static_cast<unsigned char>(patternChar);
    if (MatchCase != 1) {
        a = RtLowerChar(a);
        b = RtLowerChar(b);
    }
    return a == b;
}

bool TRtTextFinder::literalAt(const std::string& piece, int at) {
    if (at + static_cast<int>(piece.size()) > static_cast<int>(chars_.size())) return false;
    for (size_t k = 0; k < piece.size(); ++k)
        if (!CharMatches(chars_[at + k], piece[k], &SearchAttr, attrAt(at + static_cast<int>(k)))) return false;
    return true;
}

TRtTextFinder::Span TRtTextFinder::literalStep(const std::string& piece, int from) {
    int n = static_cast<int>(chars_.size());
    for (int s = from; s + static_cast<int>(piece.size()) <= n; ++s) {
        if (!attrs_.empty()) ReplaceAttr = attrs_[s];
        if (literalAt(piece, s)) return {s, s + static_cast<int>(piece.size())};
    }
    return {};
}

TRtTextFinder::Span TRtTextFinder::runStep(int from) {
    int n = static_cast<int>(chars_.size());
    bool word = SpanEnd == ' ';
    auto accepted = [&](int i) { return CharMatches(chars_[i], Wildcard, &SearchAttr, attrAt(i)); };
    int start = from;
    if (word) {
        while (start < n && IsDelimiter(chars_[start])) ++start;
    } else {
        while (start < n && !accepted(start)) ++start;
    }
    int end = start;
    while (end < n && accepted(end) && chars_[end] != SpanEnd && !(word && IsDelimiter(chars_[end]))) ++end;
    if (word) {
        int apostrophe = -1;
        for (int i = start; i < end; ++i)
            if (chars_[i] == '\'') apostrophe = i;
        if (apostrophe > start) end = apostrophe;
    }
    if (end <= start) return {};
    if (!attrs_.empty()) ReplaceAttr = attrs_[start];
    return {start, end};
}

TRtTextFinder::Span TRtTextFinder::matchFrom(int from) {
    size_t cut = Wildcard ? Pattern.find(Wildcard) : std::string::npos;
    if (cut == std::string::npos) return Pattern.empty() ? Span{} : literalStep(Pattern, from);
    std::string prefix = Pattern.substr(0, cut);
    std::string suffix = Pattern.substr(cut + 1, MaxPattern);
    if (prefix.empty() && suffix.empty()) return runStep(from);
    int n = static_cast<int>(chars_.size());
    for (int s = from; s <= n; ++s) {
        Span head = prefix.empty() ? runStep(s) : literalStep(prefix, s);
        if (!head.ok()) return {};
        TCharAttr headAttr = ReplaceAttr;
        Span tail = suffix.empty() ? runStep(head.End) : literalStep(suffix, head.End);
        ReplaceAttr = headAttr;
        if (tail.ok()) return {head.Start, tail.End};
        s = head.Start;  // retried one character further on
    }
    return {};
}

void TRtTextFinder::setFound(TParagraph* par, int parStart, Span m) {
    CurPar = par;
    ParStart = parStart;
    ParPos = m.Start;
    FoundPos = parStart + m.Start;
    FoundLen = m.End - m.Start;
    Found = true;
}

void TRtTextFinder::SearchForward(const std::string& S) {
    for (auto [par, parStart, pos] = beginSearch(S); par;) {
        loadParagraph(par);
        if (pos <= static_cast<int>(chars_.size())) {
            Span m = matchFrom(pos);
            if (m.ok()) return setFound(par, parStart, m);
        }
        parStart += static_cast<int>(chars_.size());
        pos = 0;
        par = par->Next;
    }
}

void TRtTextFinder::SearchBackward(const std::string& S) {
    for (auto [par, parStart, pos] = beginSearch(S); par;) {
        loadParagraph(par);
        for (int s = std::min<int>(pos, static_cast<int>(chars_.size()) - 1); s >= 0; --s) {
            Span m = matchFrom(s);
            if (m.ok() && m.Start == s) return setFound(par, parStart, m);
        }
        par = par->Prev;
        if (par) {
            parStart -= paragraphLength(par);
            pos = paragraphLength(par);
        }
    }
}

bool TRtTextFinder::FindNext(const std::string& S) {
    if (!CurPar || S.empty()) return false;
    ParPos += GetFoundLen();
    Found = false;
    Backwards = false;
    SearchForward(S);
    return Found;
}

bool TRtTextFinder::FindPrev(const std::string& S) {
    if (!CurPar || S.empty()) return false;
    --ParPos;
    Found = false;
    Backwards = true;
    if (ParPos < 0) {
        // Continue at the end of the previous paragraph.
        if (!CurPar->Prev) {
            ParPos = 0;
            return false;
        }
        CurPar = CurPar->Prev;
        int len = paragraphLength(CurPar);
        ParStart -= len;
        ParPos = len;
    }
    SearchBackward(S);
    return Found;
}

void TRtTextFinder::ReplaceFound(const std::string& Replacement) {
    if (!Found || !Text || !CurPar) return;
    int local = FoundPos - ParStart;
    bool rich = Text->MemoryFormat == fmRichText;
    Text->DeleteRange(CurPar, local, FoundLen);
    Text->InsertTextAt(CurPar, local, rich ? &ReplaceAttr : nullptr, Replacement);
    FoundLen = static_cast<int>(Replacement.size());
    ReplaceText = Replacement;
}

void TRtTextFinder::ReplaceAll(const std::string& S, const std::string& Replacement) {
    if (!CurPar || S.empty()) return;
    ParPos += GetFoundLen();
    ReplaceCount = 0;
    for (;;) {
        SearchForward(S);
        if (!Found) break;
        ReplaceFound(Replacement);
        ParPos += FoundLen;
        ++ReplaceCount;
        if (ReplaceCount % CancelPollInterval == 0 && IsCancelPressed && IsCancelPressed()) break;
    }
}

int TRtTextFinder::SetPosition(int Pos) {
    Found = false;
    FoundPos = Pos;
    FoundLen = 0;
    if (Text) FirstPar = Text->FirstPar;
    CurPar = FirstPar;
    ParStart = 0;
    if (!CurPar) return 0;
    Pos = std::max(Pos, 0);
    int len = paragraphLength(CurPar);
    while (Pos > ParStart + len && CurPar->Next) {
        ParStart += len;
        CurPar = CurPar->Next;
        len = paragraphLength(CurPar);
    }
    ParPos = std::min(Pos - ParStart, len);
    return ParStart;
}

void TRtTextFinder::ResetPosition() {
    Found = false;
    FoundPos = 0;
    FoundLen = 0;
    FirstPar = Text ? Text->FirstPar : nullptr;
    CurPar = FirstPar;
    ParStart = 0;
    ParPos = 0;
}

void TRtTextFinder::Clear() {
    AttrMask = 0;
    SpecialMask = 0;
    SearchTag = 0;
    MatchCase = 0;
    Wildcard = 0;
    SpanEnd = 0;
    SearchAttr = {};
    ReplaceAttr = {};
    ReplaceText.clear();
    ResetPosition();
}
