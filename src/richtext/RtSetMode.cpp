#include "richtext/RtSetMode.h"

#include "richtext/RtRtfIO.h"

namespace {

const TParagraph* cursorParagraph(const TRtRTFTextIo* doc) { return doc ? doc->CurPar : nullptr; }

}  // namespace

int32_t TRtSetModeControl::GetIndentFirst() const {
    const TParagraph* p = cursorParagraph(Document);
    return p ? p->IndentFirst : 0;
}

int32_t TRtSetModeControl::GetIndentLeft() const {
    const TParagraph* p = cursorParagraph(Document);
    return p ? p->IndentLeft : 0;
}

int32_t TRtSetModeControl::GetIndentRight() const {
    const TParagraph* p = cursorParagraph(Document);
    return p ? p->IndentRight : 0;
}

uint8_t TRtSetModeControl::GetAlignment() const {
    const TParagraph* p = cursorParagraph(Document);
    return p ? p->Align : 0;
}

uint32_t TRtSetModeControl::GetTabs() const {
    const TParagraph* p = cursorParagraph(Document);
    return p && !(p->ParFlags & pfTableCell) ? p->TabSet : 0;
}

uint16_t TRtSetModeControl::GetStyle() const {
    if (!Document) return 0;
    return static_cast<uint16_t>(Document->CurAttr.Style | (Document->CurAttr.Special << 8));
}

uint8_t TRtSetModeControl::GetTextColor() const { return Document ? Document->CurAttr.Colors & 0x0F : 0; }

uint8_t TRtSetModeControl::GetBackColor() const { return Document ? Document->CurAttr.Colors >> 4 : 0; }

std::string TRtSetModeControl::GetFontName() const {
    if (!Document || Document->CurAttr.Font >= rtFontsUsable) return std::string();
    return Document->Header->FontName[Document->CurAttr.Font].substr(0, rtFontNameMax);
}

uint8_t TRtSetModeControl::GetFontSize() const { return Document ? Document->CurAttr.Size : 0; }
