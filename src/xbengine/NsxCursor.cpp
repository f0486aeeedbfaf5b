#include "xbengine/NsxCursor.h"

#include <cstring>

namespace xb {

NsxCursor::NsxCursor(NsxFile& file, std::string_view tagName)
    : file_(file),
      tagName_(nsxTagName(tagName)),
      codec_(file.reading([&] { return file.tagState(tagName).codec; })),
      uniqueView_(file.tag(tagName).unique) {}

// Runs a search against a consistent state of the file and takes its
// result. The search works in scratch space, since it may run again when
// another process wrote meanwhile.
template <class F>
bool NsxCursor::move(F&& find) {
    searchSize_ = 0;  // a seek sets it again, with the codec it moved by
    const Where where = file_.reading([&] {
        const NsxFile::TagState& state = tag();
        NsxTree tree(file_, state);
        return find(tree, state.codec);
    });
    codec_ = tag().codec;
    where_ = where;
    if (where == Where::On) {
        entry_.assign(scratchEntry_.data(), scratchEntry_.size());
        path_.swap(scratchPath_);
    } else {
        entry_.clear();
        path_.clear();
    }
    pathVersion_ = file_.stateVersion();
    return where == Where::On;
}

NsxCursor::Where NsxCursor::land(NsxTree& tree, const NsxTree::Path& path, bool onEntry, Where otherwise,
                                 const NsxKeyCodec& codec) {
    if (!onEntry) return otherwise;
    return land(tree.entry(path), codec);
}

NsxCursor::Where NsxCursor::land(const uint8_t* entry, const NsxKeyCodec& codec) {
    scratchEntry_.assign(entry, size_t(codec.entryBytes()));
    return Where::On;
}

// Moves a path to the first entry of its key.
void NsxCursor::firstOfKey(NsxTree& tree, NsxTree::Path& path, const NsxKeyCodec& codec) const {
    uint8_t key[nsxMaxKeyLength];
    std::memcpy(key, tree.entry(path), codec.keyBytes());
    // The key is in the tree, so only a damaged tree can miss it.
    if (!tree.lowerBound({key, size_t(codec.keyBytes()), false}, path))
        file_.damaged("its entries are out of order");
}

const NsxFile::TagState& NsxCursor::tag() {
    if (!tag_ || tagVersion_ != file_.stateVersion()) {
        tag_ = &file_.tagState(tagName_);
        tagVersion_ = file_.stateVersion();
    }
    return *tag_;
}

bool NsxCursor::pathValid() const {
    return where_ == Where::On && pathVersion_ == file_.stateVersion() && !path_.empty();
}

bool NsxCursor::first() {
    return move([&](NsxTree& tree, const NsxKeyCodec& codec) {
        NsxTree::Path& path = scratchPath_;
        bool on = tree.first(path);
        return land(tree, path, on, Where::Eof, codec);
    });
}

bool NsxCursor::last() {
    return move([&](NsxTree& tree, const NsxKeyCodec& codec) {
        NsxTree::Path& path = scratchPath_;
        bool on = tree.last(path);
        if (on && uniqueView_) firstOfKey(tree, path, codec);
        return land(tree, path, on, Where::Bof, codec);
    });
}

bool NsxCursor::next() {
    if (where_ == Where::Eof) return false;
    if (where_ == Where::Bof) return first();
    return move([&](NsxTree& tree, const NsxKeyCodec& codec) {
        NsxTree::Path& path = scratchPath_;
        path = path_;
        bool on;
        if (entry_.size() != size_t(codec.entryBytes()))
            on = tree.first(path);  // the tag was rebuilt with another key layout
        else if (uniqueView_)
            on = tree.lowerBound({entry_.data(), size_t(codec.keyBytes()), true}, path);
        else if (pathValid())
            on = tree.next(path);
        else
            on = tree.lowerBound({entry_.data(), entry_.size(), true}, path);
        return land(tree, path, on, Where::Eof, codec);
    });
}

bool NsxCursor::prev() {
    if (where_ == Where::Bof) return false;
    if (where_ == Where::Eof) return last();
    return move([&](NsxTree& tree, const NsxKeyCodec& codec) {
        NsxTree::Path& path = scratchPath_;
        path = path_;
        bool on;
        if (entry_.size() != size_t(codec.entryBytes())) {
            on = tree.last(path);
        } else if (uniqueView_ || !pathValid()) {
            // Step back from the first entry of this key (unique) or from
            // where this entry is or would be.
            const size_t size = uniqueView_ ? size_t(codec.keyBytes()) : entry_.size();
            on = tree.lowerBound({entry_.data(), size, false}, path) ? tree.prev(path) : tree.last(path);
        } else {
            on = tree.prev(path);
        }
        if (on && uniqueView_) firstOfKey(tree, path, codec);
        // Searches in a damaged tree may land anywhere; stepping back must
        // go back, or a walk could go in circles.
        const size_t compared = uniqueView_ ? size_t(codec.keyBytes()) : entry_.size();
        if (on && entry_.size() == size_t(codec.entryBytes()) &&
            std::memcmp(tree.entry(path), entry_.data(), compared) >= 0)
            file_.damaged("its entries are out of order");
        return land(tree, path, on, Where::Bof, codec);
    });
}

bool NsxCursor::seek(std::string_view text, bool exact) {
    bool matched = false;
    move([&](NsxTree& tree, const NsxKeyCodec& codec) {
        uint8_t wanted[nsxMaxKeyLength];
        const size_t size = codec.encodeSearch(text, exact, wanted);
        NsxTree::Path& path = scratchPath_;
        std::memcpy(searchBytes_, wanted, size);
        searchSize_ = size;
        if (!tree.lowerBound({wanted, size, false}, path)) return Where::Eof;
        const uint8_t* entry = tree.entry(path);
        if (landingHint_) landingHint_(nsxGetRecNo(entry + codec.keyBytes()));
        matched = std::memcmp(entry, wanted, size) == 0;
        return land(entry, codec);
    });
    searchText_.assign(text);
    searchExact_ = exact;
    return matched;
}

bool NsxCursor::seekLast(std::string_view text, bool exact) {
    bool matched = false;
    move([&](NsxTree& tree, const NsxKeyCodec& codec) {
        uint8_t wanted[nsxMaxKeyLength];
        const size_t size = codec.encodeSearch(text, exact, wanted);
        NsxTree::Path& path = scratchPath_;
        bool on = tree.lowerBound({wanted, size, true}, path) ? tree.prev(path) : tree.last(path);
        matched = on && std::memcmp(tree.entry(path), wanted, size) == 0;
        if (on && uniqueView_) firstOfKey(tree, path, codec);
        return land(tree, path, on, Where::Bof, codec);
    });
    return matched;
}

bool NsxCursor::position(std::string_view keyText, uint32_t recNo) {
    bool matched = false;
    move([&](NsxTree& tree, const NsxKeyCodec& codec) {
        uint8_t wanted[nsxMaxKeyLength + 4];
        codec.encodeKey(keyText, wanted);
        nsxPutRecNo(wanted + codec.keyBytes(), recNo);
        const size_t size = codec.entryBytes();
        NsxTree::Path& path = scratchPath_;
        bool on = tree.lowerBound({wanted, size, false}, path);
        matched = on && std::memcmp(tree.entry(path), wanted, size) == 0;
        return land(tree, path, on, Where::Eof, codec);
    });
    return matched;
}

std::string NsxCursor::key() const {
    if (where_ != Where::On) return {};
    return codec_.decodeKey(entry_.data());
}

bool NsxCursor::isAt(std::string_view keyText, uint32_t recNo) const {
    if (where_ != Where::On || entry_.size() != size_t(codec_.entryBytes())) return false;
    uint8_t wanted[nsxMaxKeyLength + 4];
    codec_.encodeKey(keyText, wanted);
    nsxPutRecNo(wanted + codec_.keyBytes(), recNo);
    return std::memcmp(entry_.data(), wanted, codec_.entryBytes()) == 0;
}

int NsxCursor::compareKey(std::string_view text, bool exact) const {
    if (where_ != Where::On || entry_.size() != size_t(codec_.entryBytes())) return 1;
    if (searchSize_ > 0 && exact == searchExact_ && text == searchText_)
        return std::memcmp(entry_.data(), searchBytes_, searchSize_);
    uint8_t wanted[nsxMaxKeyLength];
    const size_t size = codec_.encodeSearch(text, exact, wanted);
    return std::memcmp(entry_.data(), wanted, size);
}

uint32_t NsxCursor::recNo() const {
    if (where_ != Where::On) return 0;
    return nsxGetRecNo(entry_.data() + codec_.keyBytes());
}

}  // namespace xb
