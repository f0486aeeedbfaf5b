#include "fts/Words.h"

#include <algorithm>
#include <array>

#include "base/SysUtils.h"

namespace fts {

namespace {

// Letters and digits of Windows-1252; everything else separates words.
constexpr bool isWordByte(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    switch (c) {
        case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
        case 0xAA: case 0xB5: case 0xBA:
            return true;
        default:
            return c >= 0xC0 && c != 0xD7 && c != 0xF7;
    }
}

constexpr std::array<bool, 256> wordBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = isWordByte(static_cast<unsigned char>(c));
    return table;
}();

// One upper-casing table taken from the class library, so the index and its
// callers agree on every byte.
const std::array<char, 256>& upperTable() {
    static const std::array<char, 256> table = [] {
        std::string all(256, '\0');
        for (int c = 0; c < 256; ++c) all[c] = static_cast<char>(c);
        const std::string upper = AnsiUpperCase(all);
        std::array<char, 256> t{};
        for (int c = 0; c < 256; ++c) t[c] = upper[c];
        return t;
    }();
    return table;
}

}  // namespace

std::string UpperText(std::string_view text) {
    const auto& table = upperTable();
    std::string out(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) out[i] = table[static_cast<unsigned char>(text[i])];
    return out;
}

namespace {

// Steps through the words of an upper-cased text, each cut to MaxWordLength.
class WordWalk {
public:
    explicit WordWalk(std::string_view upperText) : text_(upperText) {}

    bool next(std::string_view& word) {
        const size_t n = text_.size();
        while (at_ < n && !wordBytes[static_cast<unsigned char>(text_[at_])]) ++at_;
        const size_t start = at_;
        while (at_ < n && wordBytes[static_cast<unsigned char>(text_[at_])]) ++at_;
        if (at_ == start) return false;
        word = text_.substr(start, std::min(at_ - start, MaxWordLength));
        return true;
    }

private:
    std::string_view text_;
    size_t at_ = 0;
};

}  // namespace

std::vector<std::string_view> SplitWords(std::string_view upperText) {
    std::vector<std::string_view> words;
    words.reserve(16);  // a patient key has about as many; one allocation, not five
    WordWalk walk(upperText);
    for (std::string_view word; walk.next(word);) words.push_back(word);
    return words;
}

bool HasWords(std::string_view upperText) {
    std::string_view word;
    return WordWalk(upperText).next(word);
}

std::vector<std::string_view> DistinctWords(std::string_view upperText) {
    std::vector<std::string_view> words = SplitWords(upperText);
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

bool KeySatisfies(std::string_view key, std::string_view text) {
    const std::string upperKey = UpperText(key);
    const std::string upperText = UpperText(text);
    bool anyWord = false;
    WordWalk wanted(upperText);
    for (std::string_view word; wanted.next(word);) {
        anyWord = true;
        // Some key word must begin with it; keys are short, so a walk beats sorting.
        bool found = false;
        WordWalk keyWords(upperKey);
        for (std::string_view keyWord; !found && keyWords.next(keyWord);) found = keyWord.starts_with(word);
        if (!found) return false;
    }
    return anyWord;
}

}  // namespace fts
