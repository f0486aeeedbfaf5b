#include "fts/FtsIndex.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "fts/Results.h"
#include "fts/Words.h"

namespace fts {

FtsIndex::FtsIndex(std::unique_ptr<PageFile> file)
    : file_(std::move(file)), keys_(*file_), words_(*file_), postings_(*file_) {}

std::unique_ptr<FtsIndex> FtsIndex::Open(const std::string& path) {
    return std::unique_ptr<FtsIndex>(new FtsIndex(PageFile::Open(path)));
}

std::unique_ptr<FtsIndex> FtsIndex::Create(const std::string& path) {
    return std::unique_ptr<FtsIndex>(new FtsIndex(PageFile::Create(path)));
}

template <class Change>
int FtsIndex::write(Change change) {
    if (failed_) return failed_;
    file_->BeginWrite();  // raises before anything is changed
    try {
        return change();
    } catch (const Failure& f) {
        failed_ = f.code();
    } catch (const std::bad_alloc&) {
        failed_ = FtsErrNoMemory;
    }
    file_->Abandon();
    words_.ForgetWorkingLists();
    return failed_;
}

int FtsIndex::checkRange(int position) {
    if (position < 1 || static_cast<uint32_t>(position) > file_->header().positionCount) return FtsErrOutOfRange;
    return FtsOk;
}

void FtsIndex::changeWord(std::string_view word, uint32_t position, bool add) {
    WordDirectory::ListRef working = words_.WorkingList(word, add);
    if (!working.list) return;
    if (add) postings_.Insert(*working.list, position);
    else postings_.Remove(*working.list, position);
    *working.changed = true;
}

void FtsIndex::addWords(uint32_t position, std::string_view key) {
    const std::string upper = UpperText(key);
    for (std::string_view word : DistinctWords(upper)) changeWord(word, position, true);
}

void FtsIndex::removeWords(uint32_t position, std::string_view key) {
    const std::string upper = UpperText(key);
    for (std::string_view word : DistinctWords(upper)) changeWord(word, position, false);
}

int FtsIndex::Add(const char* key) {
    if (!key) return FtsErrBadArgument;
    const std::string_view text(key, strnlen(key, FtsMaxKeyLengthBytes + 1));
    if (text.size() > FtsMaxKeyLengthBytes) return FtsErrKeyTooLong;
    return write([&] {
        const uint32_t position = keys_.Append(text);
        addWords(position, text);
        return static_cast<int>(position);
    });
}

int FtsIndex::Delete(int position) {
    if (position < 1) return FtsErrOutOfRange;
    return write([&] {
        if (checkRange(position) != FtsOk) return FtsErrOutOfRange;
        const uint32_t at = static_cast<uint32_t>(position);
        if (keys_.Live(at)) {
            removeWords(at, keys_.Key(at));
            keys_.SetLive(at, false);
        }
        return position;
    });
}

int FtsIndex::Replace(const char* key, int position) {
    if (!key) return FtsErrBadArgument;
    const std::string_view text(key, strnlen(key, FtsMaxKeyLengthBytes + 1));
    if (text.size() > FtsMaxKeyLengthBytes) return FtsErrKeyTooLong;
    if (position < 1) return FtsErrOutOfRange;
    return write([&] {
        if (checkRange(position) != FtsOk) return FtsErrOutOfRange;
        const uint32_t at = static_cast<uint32_t>(position);
        const std::string newUpper = UpperText(text);
        const std::vector<std::string_view> newWords = DistinctWords(newUpper);
        if (keys_.Live(at)) {
            // Only the words that differ are touched.
            const std::string oldUpper = UpperText(keys_.Key(at));
            const std::vector<std::string_view> oldWords = DistinctWords(oldUpper);
            std::vector<std::string_view> gone, come;
            std::set_difference(oldWords.begin(), oldWords.end(), newWords.begin(), newWords.end(),
                                std::back_inserter(gone));
            std::set_difference(newWords.begin(), newWords.end(), oldWords.begin(), oldWords.end(),
                                std::back_inserter(come));
            for (std::string_view word : gone) changeWord(word, at, false);
            for (std::string_view word : come) changeWord(word, at, true);
        } else {
            // A deleted position given a key again is live once more.
            for (std::string_view word : newWords) changeWord(word, at, true);
            keys_.SetLive(at, true);
        }
        keys_.SetKey(at, text);
        return position;
    });
}

std::vector<uint32_t> FtsIndex::positionsWithPrefix(std::string_view prefix) {
    std::vector<PostingList> lists;
    words_.ForEachWithPrefix(prefix, [&](const PostingList& list) {
        if (list.count > 0) lists.push_back(list);
    });
    std::vector<uint32_t> positions;
    if (lists.size() == 1) {
        postings_.Collect(lists[0], positions);
        return positions;
    }
    if (lists.empty()) return positions;
    // Several words: merge through a bitmap of the positions.
    const uint32_t limit = file_->header().positionCount;
    std::vector<uint64_t> bits(limit / 64 + 1, 0);
    std::vector<uint32_t> one;
    for (const PostingList& list : lists) {
        one.clear();
        postings_.Collect(list, one);
        for (uint32_t p : one) bits[p >> 6] |= uint64_t(1) << (p & 63);
    }
    for (size_t w = 0; w < bits.size(); ++w) {
        for (uint64_t word = bits[w]; word != 0; word &= word - 1)
            positions.push_back(static_cast<uint32_t>(w * 64 + __builtin_ctzll(word)));
    }
    return positions;
}

std::vector<uint32_t> FtsIndex::search(std::string_view upperText) {
    std::vector<uint32_t> result;
    bool first = true;
    for (std::string_view word : DistinctWords(upperText)) {
        std::vector<uint32_t> found = positionsWithPrefix(word);
        if (first) {
            result = std::move(found);
            first = false;
        } else {
            std::vector<uint32_t> both;
            std::set_intersection(result.begin(), result.end(), found.begin(), found.end(),
                                  std::back_inserter(both));
            result = std::move(both);
        }
        if (result.empty()) break;
    }
    return result;
}

int FtsIndex::Set(const char* text) {
    if (failed_) return failed_;
    matches_.clear();
    nextMatch_ = 0;
    if (!text) return FtsErrBadArgument;
    PageFile::ReadScope scope(*file_);
    if (file_->Writing()) words_.WriteBack();
    if (file_->header().liveCount == 0) return FtsErrNoKeys;
    const std::string upper = UpperText(text);
    if (SplitWords(upper).empty()) return FtsErrBadArgument;
    matches_ = search(upper);
    return FtsSearchReady;
}

int FtsIndex::NextRec() {
    if (nextMatch_ >= matches_.size()) return 0;
    return static_cast<int>(matches_[nextMatch_++]);
}

int FtsIndex::NumRecs() {
    if (failed_) return failed_;
    PageFile::ReadScope scope(*file_);
    return static_cast<int>(file_->header().liveCount);
}

int FtsIndex::Close() {
    if (failed_) {
        file_->Abandon();
        words_.ForgetWorkingLists();
        return failed_;
    }
    if (file_->Writing()) words_.WriteBack();
    file_->Commit();
    return FtsOk;
}

}  // namespace fts
