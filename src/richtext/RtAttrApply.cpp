#include "richtext/RtAttrApply.h"

#include <algorithm>
#include <functional>

namespace {

// Runs Change on the attribute of every character of the block, or of the
// caret's attribute when there is no block.
void eachMarkedAttr(TRtRTFTextInput& d, const std::function<void(TCharAttr&)>& Change) {
    if (d.ReadOnlyText || d.ReadOnly) return;
    Change(d.CurAttr);
    int start = 0, length = 0;
    if (d.GetBlockRange(start, length) && length > 0) {
        int offset = 0;
        for (TParagraph* p = d.FirstPar; p; p = p->Next)
            for (TLine* l = p->FirstLine; l; l = l->Next) {
                int from = std::max(start - offset, 0), to = std::min(start + length - offset, static_cast<int>(l->Length));
                if (l->Attr)
                    for (int i = from; i < to; ++i) Change(l->Attr[i]);
                if (from < to) p->Dirty |= dfAll;
                offset += l->Length;
            }
    }
    d.ReformatAll();
    d.UpdateCaret();
}

}  // namespace

void RtApplyAttr(TRtRTFTextInput& Document, const TCharAttr& Attr, uint32_t Mask) {
    eachMarkedAttr(Document, [&](TCharAttr& a) {
        if (Mask & rtAttrFont) a.Font = Attr.Font;
        if (Mask & rtAttrSize) a.Size = Attr.Size;
        if (Mask & rtAttrTextColor) a.Colors = static_cast<uint8_t>((a.Colors & 0xF0) | (Attr.Colors & 0x0F));
        if (Mask & rtAttrBackColor) a.Colors = static_cast<uint8_t>((a.Colors & 0x0F) | (Attr.Colors & 0xF0));
        if (Mask & rtAttrStyle) a.Style = static_cast<uint8_t>((Attr.Style & ~stBlockMarked) | (a.Style & stBlockMarked));
    });
}

void RtApplyStyle(TRtRTFTextInput& Document, uint8_t Bits, bool On) {
    eachMarkedAttr(Document, [&](TCharAttr& a) {
        if (Bits == 0)
            a.Style &= stBlockMarked;
        else if (On)
            a.Style |= Bits;
        else
            a.Style &= static_cast<uint8_t>(~Bits);
    });
}

void RtApplySpecial(TRtRTFTextInput& Document, uint8_t Bits, bool On) {
    eachMarkedAttr(Document, [&](TCharAttr& a) {
        if (On)
            a.Special |= Bits;
        else
            a.Special &= static_cast<uint8_t>(~Bits);
    });
}
