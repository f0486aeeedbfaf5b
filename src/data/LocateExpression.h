#pragma once
// The xBase expression text a locate hands the engine: one condition per key
// field, joined with .and., each value quoted so that no value text can break
// the expression.
#include <string>
#include <vector>

#include "data/Fields.h"
#include "data/Variant.h"

// A text literal of the engine's expressions: 'O'+"'"+'Brien' for O'Brien.
std::string xBaseQuoted(const std::string& Text);

// Conditions per field type: strings compare after trailing blanks are cut
// (with PartialKey: the field's first characters), both sides upper-cased
// when CaseInsensitive; numbers compare as numbers, dates as dtos text,
// logicals as themselves; a null value asks for an empty field. Raises for
// fields the engine cannot compare (blobs) and for a count mismatch.
std::string xBaseLocateExpression(const std::vector<TField*>& Fields, const std::vector<Variant>& Values,
                                  bool CaseInsensitive, bool PartialKey);
