#pragma once
// Small documents for the rich-text tests, written as text: "|" separates
// paragraphs and "/" the lines of one paragraph ("ab/cd|ef").
#include <string>

#include "richtext/RtRtfTxt.h"

// Replaces the document's content by the shape, with CurAttr on every character.
void BuildShape(TRtRTFText& doc, const std::string& shape);
// The document's content in the same notation.
std::string ShapeOf(const TRtRTFText& doc);
TParagraph* ParAt(TRtRTFText& doc, int index);
TLine* LineAt(TRtRTFText& doc, int par, int line);
