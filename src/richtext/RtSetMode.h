#pragma once
// TRtSetModeControl: how a rich-text document tells the control around it
// that the caret moved or the formatting at the caret changed, and how that
// control reads the formatting at the caret. The notifications do nothing
// here; the rich-text control's subclass acts on them. The accessors only
// read the document.
#include <cstdint>
#include <string>

#include "base/Classes.h"

class TRtRTFTextIo;

class TRtSetModeControl : public TObject {
public:
    // The document whose cursor and current attribute are read.
    TRtRTFTextIo* Document = nullptr;

    virtual void ParagraphChanged() {}
    virtual void AttributesChanged() {}
    virtual void PositionChanged() {}

    // Twips; 0 without a cursor paragraph.
    int32_t GetIndentFirst() const;
    int32_t GetIndentLeft() const;
    int32_t GetIndentRight() const;
    // 0 left, 1 right, 2 centred, 3 justified.
    uint8_t GetAlignment() const;
    // The tab slot bits; 0 in a table cell, whose tab set holds its geometry.
    uint32_t GetTabs() const;
    // Style in the low byte, Special in the high byte.
    uint16_t GetStyle() const;
    uint8_t GetTextColor() const;
    uint8_t GetBackColor() const;
    // At most 31 characters; empty for a font index of 99 or more.
    std::string GetFontName() const;
    uint8_t GetFontSize() const;
};
