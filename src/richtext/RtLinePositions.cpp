// The cursor as flat indexes, line metrics and the vertical pass of TRtRTFTextIo.
#include <algorithm>
#include <cmath>
#include <vector>

#include "richtext/RtRtfIO.h"

namespace {

constexpr int defaultResolution = 96;
constexpr int defaultCellLineHeight = 16;

int pixels(int twips, int resolution) { return RtMulDiv(twips, resolution, rtTwipsPerInch); }

}  // namespace

// ---------------------------------------------------------------- cursor indexes

void TRtRTFTextIo::GetCursorIndex(int& CharIndex, int& LineIndex, int& ParIndex, int& ParCharIndex) {
    CharIndex = LineIndex = ParIndex = ParCharIndex = 0;
    for (TParagraph* p = FirstPar; p && p != CurPar; p = p->Next) {
        for (TLine* l = p->FirstLine; l; l = l->Next) {
            CharIndex += l->Length;
            ++LineIndex;
        }
        ++ParIndex;
    }
    if (!CurPar) return;
    for (TLine* l = CurPar->FirstLine; l && l != CurLine; l = l->Next) {
        ParCharIndex += l->Length;
        ++LineIndex;
    }
    ParCharIndex += CurPos;
    CharIndex += ParCharIndex;
}

void TRtRTFTextIo::SetCursorIndex(int CharIndex, int LineIndex, int ParIndex, int ParCharIndex) {
    TParagraph* foundPar = nullptr;
    TLine* foundLine = nullptr;
    int foundPos = 0;
    if (CharIndex != 0) {
        int start = 0;
        for (TParagraph* p = FirstPar; p && !foundPar; p = p->Next)
            for (TLine* l = p->FirstLine; l; l = l->Next) {
                bool last = !l->Next && !p->Next;
                if (CharIndex < start + l->Length || (last && CharIndex <= start + l->Length)) {
                    foundPar = p;
                    foundLine = l;
                    foundPos = CharIndex - start;
                    break;
                }
                start += l->Length;
            }
    } else if (LineIndex != 0) {
        int n = 0;
        for (TParagraph* p = FirstPar; p && !foundPar; p = p->Next)
            for (TLine* l = p->FirstLine; l; l = l->Next, ++n)
                if (n == LineIndex) {
                    foundPar = p;
                    foundLine = l;
                    break;
                }
    } else {
        TParagraph* p = FirstPar;
        for (int i = 0; p && i < ParIndex; ++i) p = p->Next;
        if (p && ParIndex >= 0) {
            int pos = std::max(0, ParCharIndex);
            TLine* l = p->FirstLine;
            while (l->Next && pos > l->Length) {
                pos -= l->Length;
                l = l->Next;
            }
            foundPar = p;
            foundLine = l;
            foundPos = std::min<int>(pos, l->Length);
        }
    }
    if (!foundPar) return;
    CurPar = foundPar;
    CurLine = foundLine;
    CurPos = std::clamp<int>(foundPos, 0, foundLine->Length);
}

// ---------------------------------------------------------------- metrics

bool TRtRTFTextIo::CalcLineMetrics(TParagraph* Par, TLine* Line) {
    if (!Par || !Line) return false;
    int height = 0, base = 0;
    if (MemoryFormat == fmPlainText || !Line->Attr) {
        height = LineHeight;
        base = LineBase;
    } else {
        for (int i = 0; i < Line->Length; ++i) {
            const TCharAttr& a = Line->Attr[i];
            if (Line->Text[i] == ' ' || (a.Special & spHidden)) continue;
            if (a.Height > height) {
                height = a.Height;
                base = a.Ascent;
            }
        }
        if (Line->Length == 0 && (Par->ParFlags & pfTableCell))
            height = base = DefaultHeight < 0 ? defaultCellLineHeight : DefaultHeight;
        if (height < 1) {
            height = LineHeight;
            base = LineBase;
        }
    }
    int resY = resolutionY();
    if (Par->LineSpacing) {
        int extra = pixels(Par->LineSpacing, resY);
        height = std::max(0, height + extra);
        base = std::max(0, base + extra / 2);
    }
    if (Line == Par->FirstLine && Par->SpaceBefore > 0) {
        height += pixels(Par->SpaceBefore, resY);
        base += pixels(Par->SpaceBefore, resY);
    }
    if (!Line->Next && Par->SpaceAfter > 0) height += pixels(Par->SpaceAfter, resY);
    height = std::clamp(height, 0, 0xFFFF);
    base = std::clamp(base, 0, 0xFFFF);
    bool changed = Line->Height != height;
    Line->Height = static_cast<uint16_t>(height);
    Line->Base = static_cast<uint16_t>(base);
    return changed;
}

// ---------------------------------------------------------------- the vertical pass

int TRtRTFTextIo::resolutionY() const { return Header->ResY > 0 ? Header->ResY : defaultResolution; }

int TRtRTFTextIo::cellHeightPx(TParagraph* p) {
    int h = 0;
    for (TLine* l = p->FirstLine; l; l = l->Next) h += l->Height;
    return h;
}

void TRtRTFTextIo::UpdateLinePositions() {
    if (LayoutLocked) return;
    LayoutPending = false;
    const TTextHeader& h = *Header;
    // Without a resolution every line would start a page.
    int resY = resolutionY();
    long long pageHeight = static_cast<long long>(h.PageHeight - h.MarginTop - h.MarginBottom) * resY / rtTwipsPerInch;
    if (UsePageScale) pageHeight = std::llround(static_cast<double>(pageHeight) * PageScale);
    long long y = 0, pageStart = 0;

    // Row flags that do not describe a whole row are taken away.
    for (TParagraph* p = FirstPar; p; p = p->Next) {
        uint8_t& f = p->ParFlags;
        auto drop = [&](uint8_t bits) {
            f &= static_cast<uint8_t>(~bits);
            p->SpaceAfter = 0;
        };
        if ((f & pfCellFollows) && !(p->Next && (p->Next->ParFlags & pfNotFirstCell)))
            drop(pfCellFollows | pfTableCell);
        if ((f & pfNotFirstCell) && !(p->Prev && (p->Prev->ParFlags & pfCellFollows)))
            drop(pfNotFirstCell | pfTableCell);
        if ((f & (pfNotFirstCell | pfCellFollows)) && !(f & pfTableCell)) drop(pfNotFirstCell | pfCellFollows);
        if ((f & pfTableCell) && !(f & (pfNotFirstCell | pfCellFollows))) drop(pfTableCell);
        if (f & pfTableCell) p->SpaceAfter = 0;
    }

    TParagraph* p = FirstPar;
    while (p) {
        if (p->ParFlags & pfPageBreak) pageStart = y;
        if (!(p->ParFlags & pfTableCell)) {
            long long lineY = y;
            for (TLine* l = p->FirstLine; l; l = l->Next) {
                l->Y = static_cast<int32_t>(lineY);
                l->LineFlags &= static_cast<uint8_t>(~lfPageBreakAfter);
                if (lineY - pageStart > pageHeight) {
                    l->LineFlags |= lfPageBreakAfter;
                    pageStart = lineY;
                }
                lineY += l->Height;
            }
            y = lineY;
            p = p->Next;
            continue;
        }
        // One table row: its cells stand side by side and end at the same y.
        std::vector<TParagraph*> cells;
        for (TParagraph* c = p; c && (c->ParFlags & pfTableCell); c = c->Next) {
            cells.push_back(c);
            if (!(c->ParFlags & pfCellFollows)) break;
        }
        std::vector<int> own(cells.size());
        int rowHeight = 0;
        for (size_t i = 0; i < cells.size(); ++i) {
            TParagraph* c = cells[i];
            long long lineY = y;
            for (TLine* l = c->FirstLine; l; l = l->Next) {
                if (!l->Next) CalcLineMetrics(c, l);
                l->Y = static_cast<int32_t>(lineY);
                l->LineFlags &= static_cast<uint8_t>(~lfPageBreakAfter);
                lineY += l->Height;
            }
            own[i] = cellHeightPx(c);
            rowHeight = std::max(rowHeight, own[i]);
        }
        TParagraph* lastCell = cells.back();
        if (lastCell->SpaceBefore > 0) rowHeight += pixels(lastCell->SpaceBefore, resY);
        TLine* firstLine = cells.front()->FirstLine;
        if (firstLine->Y + rowHeight - pageStart > pageHeight) {
            firstLine->LineFlags |= lfPageBreakAfter;
            pageStart = firstLine->Y;
        }
        y += rowHeight;
        for (size_t i = 0; i < cells.size(); ++i) {
            TParagraph* c = cells[i];
            c->SpaceAfter = RtMulDiv(std::max(0, rowHeight - own[i]), rtTwipsPerInch, resY);
            CalcLineMetrics(c, Get_LastLine(c));
        }
        p = lastCell->Next;
    }
}
