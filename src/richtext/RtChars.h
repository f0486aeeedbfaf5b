#pragma once
// Letter case of Windows-1252 bytes, from the set's own table: the C locale
// and the machine's locale never decide what a letter or its case is.
#include <string>

// The lower-case byte of c (c itself when it has none).
unsigned char RtLowerChar(unsigned char c);
// Whether a and b are equal without regard to case.
bool RtSameTextIgnoringCase(const std::string& a, const std::string& b);
// Whether c is a letter or digit of Windows-1252 (what word moves step over).
bool RtIsCharAlphaNumeric(unsigned char c);
