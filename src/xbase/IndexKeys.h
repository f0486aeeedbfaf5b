#pragma once
// What the glue reads from an index key expression: the fields it is built
// from, and how much of a key text a given number of those fields covers.
#include <functional>
#include <string>
#include <vector>

// The fields of a key that is one field or "+" joins of fields, each bare or
// in upper() ("upper(Last)+upper(First)"): their numbers in order. Empty for
// any other expression, which is then an expression key. FieldNumber gives
// 0 for a name that is no field.
std::vector<int> keyFieldsOf(const std::string& Expression, const std::function<int(const std::string&)>& FieldNumber);

// The part of a key text that the first FieldCount key fields fill, given
// their widths; the whole text when the count is 0 or covers every field.
std::string PartialKey(const std::string& Key, const std::vector<int>& FieldWidths, int FieldCount);

// The search text for "greater than": the key with its last character raised by one.
std::string nextKey(std::string Key);
