#pragma once
// A work area's order along one index tag: its entries in key order, kept
// within the tag's scope; a unique tag shows, for each key, the first of its
// records that the area can show, so that a hidden or changed record leaves
// its place to the next record with the key.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "xbengine/Expr.h"
#include "xbengine/NsxCursor.h"
#include "xbengine/RecordOrder.h"

namespace xb {

// The key range a tag's order is held to; both ends inclusive and compared
// over each bound's own length, in the tag's order.
struct TagScope {
    bool hasLow = false;
    bool hasHigh = false;
    std::string low;
    std::string high;
    bool active() const { return hasLow || hasHigh; }
};

class TagOrder : public RecordOrder {
public:
    // Whether the area shows a record (deleted setting, filter).
    using RecordTest = std::function<bool(uint32_t recNo)>;

    // Throws NsxError when the file has no such tag.
    TagOrder(NsxFile& file, const std::string& tagName, Expression& key, bool unique, const TagScope& scope,
             const Settings& settings, RecordTest visible);

    uint32_t First() override;
    uint32_t Last() override;
    uint32_t Next(const RecordView& current) override;
    uint32_t Prior(const RecordView& current) override;

    bool CanSeek() const override { return true; }
    uint32_t SeekFirst(std::string_view text, bool exact) override;
    bool KeyMatches(const RecordView& record, std::string_view text, bool exact) override;
    bool CountEntries(uint32_t* count) override;
    bool EntryPosition(const RecordView& current, uint32_t* position) override;

    // Called before the order reads its tag, so that index changes held
    // back by this process reach it first.
    void SetBeforeRead(std::function<void()> beforeRead) { beforeRead_ = std::move(beforeRead); }
    // A count of the records this area wrote. While it stays and the cursor
    // stands on the current record's entry, the order moves on from there
    // without working out the record's key again.
    void SetWriteCounter(const uint64_t* writes) { writes_ = writes; }
    // Told of the record a seek lands on as soon as the tag gives it.
    void SetLandingHint(std::function<void(uint32_t recNo)> hint) { cursor_.setLandingHint(std::move(hint)); }

private:
    // Puts the cursor on the current record's entry; false when the record
    // has none (the cursor then stands where it would be).
    bool sync(const RecordView& current, std::string& keyText);
    void ready() {
        if (beforeRead_)
            beforeRead_();
    }
    // Remembers the write count the cursor's position goes with.
    uint32_t done(uint32_t recNo) {
        seenWrites_ = writes_ ? *writes_ : 0;
        return recNo;
    }
    // The record's key text without working it out, where the key is a
    // bare field whose own bytes give the same stored key: a C field, or an
    // N field holding a number as the table writes it. False otherwise.
    bool ownKeyText(const RecordView& record, std::string_view* text) const;
    bool belowScope() const;
    bool aboveScope() const;
    // From an entry reached going forward: the record to show, 0 past the end.
    uint32_t landForward();
    // From an entry reached going backward.
    uint32_t landBackward();
    // Moves to the first entry of the key before the cursor's.
    void toPreviousKey(const std::string& keyText);

    NsxCursor cursor_;
    Expression& key_;
    bool unique_;
    const TagScope& scope_;
    const Settings& settings_;
    RecordTest visible_;
    std::function<void()> beforeRead_;
    const uint64_t* writes_ = nullptr;
    uint64_t seenWrites_ = 0;
};

}  // namespace xb
