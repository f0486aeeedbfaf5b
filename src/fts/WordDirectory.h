#pragma once
// The sorted word directory: a B+tree of words, each leaf entry holding the
// word's posting list (first and last block, number of positions). Words
// stay once entered, with an empty list when no key holds them any more;
// a new index starts clean.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "fts/PageFile.h"
#include "fts/Words.h"

namespace fts {

struct PostingList {
    uint32_t head = 0;
    uint32_t tail = 0;
    uint32_t count = 0;
};

// Where a word's entry is; valid until the next word is entered.
struct WordSlot {
    uint32_t page = 0;
    uint32_t index = 0;
};

class WordDirectory {
public:
    explicit WordDirectory(PageFile& file) : file_(file) {}

    bool Find(std::string_view word, WordSlot& slot);
    // The word's slot, entered with an empty list when missing.
    WordSlot FindOrInsert(std::string_view word);
    PostingList Get(WordSlot slot);
    void Put(WordSlot slot, const PostingList& list);
    // The word's list as the current write left it, kept in memory: a bulk
    // of adds touches the same words again and again. Missing words are
    // entered when create is set, else the result is null. Set changed on
    // the result after changing its list; the pointer holds until the next
    // call.
    struct ListRef {
        PostingList* list;
        bool* changed;
    };
    ListRef WorkingList(std::string_view word, bool create);
    // Writes the changed working lists to their leaves.
    void WriteBack();
    // Forgets the working lists (after their changes were abandoned).
    void ForgetWorkingLists();

    // Calls visit with the list of every word that begins with prefix.
    void ForEachWithPrefix(std::string_view prefix, const std::function<void(const PostingList&)>& visit);

private:
    struct PathStep {
        uint32_t page;
        uint32_t child;
    };
    // The leaf where word belongs, the inner pages passed on the way, and
    // the first entry of the leaf not below word.
    uint32_t descend(std::string_view word, std::vector<PathStep>* path, uint32_t& index, bool& found);
    void insertInParent(std::vector<PathStep>& path, const uint8_t* separator, uint32_t right);

    struct CachedList {
        uint8_t length = 0;  // 0: free
        char word[MaxWordLength];
        bool changed = false;
        PostingList list;
    };
    CachedList* cacheSlot(std::string_view word);
    void growCache();

    PageFile& file_;
    std::vector<CachedList> cache_;  // open addressing, a power of two long
    size_t cached_ = 0;
    uint64_t cacheGeneration_ = 0;
};

}  // namespace fts
