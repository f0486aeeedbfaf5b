#pragma once
// Character formatting applied for the rich-text controls: chosen fields of
// an attribute record, style bits or special bits put on every character of
// the block, and on the attribute the next typed character takes. Every call
// ends in a re-format; nothing changes while the document is read-only.
#include <cstdint>

#include "richtext/RtRtfInp.h"

// Which fields of the attribute record a change takes.
constexpr uint32_t rtAttrFont = 1;
constexpr uint32_t rtAttrSize = 2;
constexpr uint32_t rtAttrTextColor = 4;
constexpr uint32_t rtAttrBackColor = 8;
constexpr uint32_t rtAttrStyle = 16;

void RtApplyAttr(TRtRTFTextInput& Document, const TCharAttr& Attr, uint32_t Mask);
// Sets (On) or clears the Style bits; an empty Bits with On replaces all
// style bits with none.
void RtApplyStyle(TRtRTFTextInput& Document, uint8_t Bits, bool On);
// The same for the Special bits (hidden text, RTF code).
void RtApplySpecial(TRtRTFTextInput& Document, uint8_t Bits, bool On);
