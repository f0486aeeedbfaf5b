#pragma once
// Loading and saving RTF in the rich-text tests.
#include <cstdint>
#include <string>

#include "richtext/RtRtfIO.h"

struct TLoadOutcome {
    uint8_t Result = 0;
    int64_t Position = 0;
};

// Loads the bytes into the document as a file load does (format detection,
// copy to memory); the stream's position afterwards.
TLoadOutcome LoadBytes(TRtRTFTextIo& doc, const std::string& bytes);
// The document saved as RTF.
std::string SaveRtf(TRtRTFTextIo& doc);
// The document's paragraphs as text: "|" between paragraphs.
std::string TextOf(const TRtRTFText& doc);
// The attribute of the n-th character of the document (paragraph ends not counted).
TCharAttr AttrAt(const TRtRTFText& doc, int n);
