#pragma once
// One open full-text index: the positions and their keys, the word
// directory and the posting lists, and the matches of the last search.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fts/KeyTable.h"
#include "fts/PageFile.h"
#include "fts/PostingLists.h"
#include "fts/WordDirectory.h"

namespace fts {

class FtsIndex {
public:
    // Both raise Failure.
    static std::unique_ptr<FtsIndex> Open(const std::string& path);
    static std::unique_ptr<FtsIndex> Create(const std::string& path);

    // Each returns a result code of the call set (Results.h).
    int Add(const char* key);
    int Delete(int position);
    int Replace(const char* key, int position);
    int Set(const char* text);
    int NextRec();
    int NumRecs();
    int Close();

private:
    explicit FtsIndex(std::unique_ptr<PageFile> file);
    // Runs a change as part of the handle's write; a failure part-way
    // leaves the handle refusing everything but Close, since its positions
    // could no longer be trusted.
    template <class Change>
    int write(Change change);
    void addWords(uint32_t position, std::string_view key);
    void removeWords(uint32_t position, std::string_view key);
    void changeWord(std::string_view word, uint32_t position, bool add);
    std::vector<uint32_t> positionsWithPrefix(std::string_view prefix);
    std::vector<uint32_t> search(std::string_view text);
    int checkRange(int position);

    std::unique_ptr<PageFile> file_;
    KeyTable keys_;
    WordDirectory words_;
    PostingLists postings_;
    std::vector<uint32_t> matches_;
    size_t nextMatch_ = 0;
    int failed_ = 0;
};

}  // namespace fts
