#pragma once
// Conversions between a field's stored bytes and text values.
#include <cstdint>
#include <string>
#include <string_view>

#include "xbengine/Types.h"

namespace xb {

// Text left-aligned in width bytes, blank padded or cut.
std::string PadField(std::string_view text, int width);

// A number as right-aligned text of the field's width with its decimals.
// When it does not fit, fewer decimals are tried; false when even the whole
// part does not fit.
bool FormatNumber(double value, int width, int decimals, std::string* out);

// The leading number of a text (blanks allowed around it); false when there is none.
bool ParseNumber(std::string_view text, double* value);

// A field's value as text: character fields right-trimmed, numbers trimmed,
// dates "yyyymmdd" (blank when empty), logicals "T" or "F", binary integers
// and doubles as decimal text. Memo fields give their stored pointer.
std::string FieldValueText(const FieldInfo& field, const char* bytes);

// The stored bytes (field width) for a value given as text in the form
// FieldValueText returns. False when the text does not fit the field.
bool FieldBytesFromText(const FieldInfo& field, std::string_view text, std::string* bytes);

// True for fields whose bytes point into the memo file.
bool IsMemoField(const FieldInfo& field);

// The first memo block a memo field's bytes point to; 0 for none or for
// bytes that are no block number.
uint32_t MemoBlock(const FieldInfo& field, const char* bytes);

// True for the letters a logical field stores for true.
bool IsTrueLetter(char c);

}  // namespace xb
