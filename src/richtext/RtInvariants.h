#pragma once
// The promises every document keeps, checked from outside: tests and fuzz
// targets call RtCheckInvariants after each operation.
#include <initializer_list>
#include <string>

#include "richtext/RtRtfTxt.h"

// A place in a document (the cursor, a block end). Par nil: no such place.
struct TRtTextPlace {
    const TParagraph* Par = nullptr;
    const TLine* Line = nullptr;
    int Pos = 0;
};

// Empty when the document is sound; otherwise what is wrong with it.
// Checks: at least one paragraph, each with at least one line; the links
// both ways; Length < Capacity <= 10000 and a zero at Length; attribute
// arrays exactly in rich mode; each given place on a line of the document
// with 0 <= Pos <= Length.
std::string RtCheckInvariants(const TRtRTFText& text, std::initializer_list<TRtTextPlace> places = {});
