#pragma once
// A position in one tag of an index file, moving in the tag's order
// (descending tags included). The cursor remembers its entry, not only its
// place in the pages, so after any change to the file, by this process or
// another, it finds its way back by (key, record number) and moves on from
// there.
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "xbengine/NsxFile.h"
#include "xbengine/NsxTree.h"

namespace xb {

class NsxCursor {
public:
    // Throws NsxError when the file has no such tag. The cursor starts
    // before the first entry; it shows only the first entry of each key when
    // the tag is unique (see setUniqueView).
    NsxCursor(NsxFile& file, std::string_view tagName);

    const std::string& tagName() const { return tagName_; }
    // The tag's key type ('C', 'N' or 'D') as of the last move.
    char keyType() const { return codec_.keyType(); }

    // Each is true when the cursor stands on an entry afterwards.
    bool first();
    bool last();
    // From before the first entry, next goes to the first; from after the
    // last, prev goes to the last. Moving past either end leaves the cursor
    // off that end.
    bool next();
    bool prev();

    // Stands on the first entry whose key, compared over the search text's
    // length, is at or after the text in the tag's order (exact: the text
    // padded to the key length). Numeric tags read the text as a number.
    // True when that entry's key matches; false with the cursor on the next
    // greater key, or off the end.
    bool seek(std::string_view text, bool exact = false);
    // Stands on the last entry whose key, compared in the same way, is at or
    // before the text (the upper end of a scope). True when it matches.
    bool seekLast(std::string_view text, bool exact = false);
    // Stands on the entry (keyText, recNo), or the next one after where it
    // would be. True when the entry itself is there.
    bool position(std::string_view keyText, uint32_t recNo);

    bool onEntry() const { return where_ == Where::On; }
    bool bof() const { return where_ == Where::Bof; }
    bool eof() const { return where_ == Where::Eof; }
    // The current entry's key text (numbers as the shortest text that reads
    // back the same) and record number; empty and 0 off the entries.
    std::string key() const;
    uint32_t recNo() const;
    // Whether the cursor stands on the entry (keyText, recNo).
    bool isAt(std::string_view keyText, uint32_t recNo) const;
    // The current key against a search text compared as seek compares it:
    // below zero when the key comes first in the tag's order. Off the
    // entries the cursor compares after every text.
    int compareKey(std::string_view text, bool exact) const;

    // Told of the record number of the entry a seek lands on, before the
    // seek has finished its checks (a hint: the seek may still move on).
    void setLandingHint(std::function<void(uint32_t recNo)> hint) { landingHint_ = std::move(hint); }

    // Whether only the first entry (lowest record number) of each key shows.
    bool uniqueView() const { return uniqueView_; }
    void setUniqueView(bool on) { uniqueView_ = on; }

private:
    enum class Where { Bof, On, Eof };
    // An entry's bytes, held without an allocation or a string's upkeep:
    // every move copies one.
    class EntryBytes {
    public:
        const uint8_t* data() const { return bytes_; }
        size_t size() const { return size_; }
        void assign(const uint8_t* bytes, size_t size) {
            std::memcpy(bytes_, bytes, size);
            size_ = size;
        }
        void clear() { size_ = 0; }

    private:
        uint8_t bytes_[nsxMaxKeyLength + 4];
        size_t size_ = 0;
    };

    template <class F>
    bool move(F&& find);
    // The scratch entry takes the path's entry when onEntry.
    Where land(NsxTree& tree, const NsxTree::Path& path, bool onEntry, Where otherwise, const NsxKeyCodec& codec);
    Where land(const uint8_t* entry, const NsxKeyCodec& codec);
    void firstOfKey(NsxTree& tree, NsxTree::Path& path, const NsxKeyCodec& codec) const;
    bool pathValid() const;
    // The tag's state in the file, looked up again only when the file's
    // state has changed since.
    const NsxFile::TagState& tag();

    NsxFile& file_;
    std::string tagName_;
    NsxKeyCodec codec_;
    bool uniqueView_;
    std::function<void(uint32_t)> landingHint_;
    Where where_ = Where::Bof;
    EntryBytes entry_;  // stored key and record number
    NsxTree::Path path_;
    uint64_t pathVersion_ = 0;
    const NsxFile::TagState* tag_ = nullptr;
    uint64_t tagVersion_ = 0;
    EntryBytes scratchEntry_;
    NsxTree::Path scratchPath_;
    // The last seek's text and its bytes, so that comparing the entry found
    // with the same text again needs no second encoding.
    std::string searchText_;
    bool searchExact_ = false;
    size_t searchSize_ = 0;
    uint8_t searchBytes_[nsxMaxKeyLength];
};

}  // namespace xb
