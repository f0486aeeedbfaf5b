#include "richtext/RtSetMode.h"

#include "richtext/RtRtfIO.h"

namespace {

const TParagraph* cursorParagraph(const TRtRTFTextIo* doc) { return doc ? doc->CurPar : nullptr; }

// A setting of the cursor's paragraph, 0 without one.
template <class T>
T cursorSetting(const TRtRTFTextIo* doc, T TParagraph::*field) {
    const TParagraph* p = cursorParagraph(doc);
    return p ? p->*field : T{};
}

}  // namespace

int32_t TRtSetModeControl::GetIndentFirst() const { return cursorSetting(Document, &TParagraph::IndentFirst); }

int32_t TRtSetModeControl::GetIndentLeft() const { return cursorSetting(Document, &TParagraph::IndentLeft); }

int32_t TRtSetModeControl::GetIndentRight() const { return cursorSetting(Document, &TParagraph::IndentRight); }

uint8_t TRtSetModeControl::GetAlignment() const { return cursorSetting(Document, &TParagraph::Align); }

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
