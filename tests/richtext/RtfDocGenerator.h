#pragma once
// Seeded documents for the RTF round trips: runs of every attribute, tabs,
// bordered paragraphs, table rows of 2-4 cells, hidden text, raw RTF code,
// insert points, automatic text, footnotes, application objects and
// pictures. Every document is one the reader gives back unchanged: the
// forms the writer cannot tell apart (a one-cell row, adjacent code runs of
// different formatting, a superscript footnote mark) are not generated.
#include <cstdint>
#include <string>

#include "richtext/RtRtfIO.h"

struct TGeneratorOptions {
    bool Tables = true;
    bool Pictures = true;
    bool SetSpecials = true;  // hidden text, raw code, insert points, automatic text, footnotes, objects
    bool ControlChars = true;  // bytes below 32 other than tab, 127, and blanks in a row
    bool PageBreaks = true;
    bool TabsAndBorders = true;
    bool AllColors = true;     // false: text colours 0-7 only, no background colours
};

// Fills an empty document from the seed.
void GenerateDocument(TRtRTFTextIo& doc, uint32_t seed, const TGeneratorOptions& options = {});
// The object the application hands out for a tag; one for all tags.
TObject* ApplicationObject();
// A Windows metafile (without placeable header) of one StretchDIB record
// holding a 2x1 bitmap, red then blue.
std::string MetafileWithBitmap();
// Empty when the two documents hold the same text, attributes, paragraph
// properties, tabs, header, stamps and objects; otherwise the first difference.
std::string CompareDocuments(const TRtRTFText& expected, const TRtRTFText& actual);
