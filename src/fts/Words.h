#pragma once
// How the full-text index sees text: upper-cased Windows-1252, split into
// words on blanks and punctuation. Keys and search texts go through the same
// rules, so a search text that occurs literally in a key from the start of a
// word always finds that key.
#include <string>
#include <string_view>
#include <vector>

namespace fts {

// Words longer than this are cut to it, in keys and in search texts alike.
constexpr size_t MaxWordLength = 27;

// Upper-cases with the accented letters of Windows-1252.
std::string UpperText(std::string_view text);

// The words of an upper-cased text in order of appearance, each cut to
// MaxWordLength. The views point into upperText.
std::vector<std::string_view> SplitWords(std::string_view upperText);

// Whether an upper-cased text holds a word at all.
bool HasWords(std::string_view upperText);

// The same words, sorted, each once.
std::vector<std::string_view> DistinctWords(std::string_view upperText);

// True when every word of text begins some word of key (any case).
// A text without words is satisfied by nothing.
bool KeySatisfies(std::string_view key, std::string_view text);

}  // namespace fts
