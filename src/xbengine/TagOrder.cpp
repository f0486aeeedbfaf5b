#include "xbengine/TagOrder.h"

namespace xb {

TagOrder::TagOrder(NsxFile& file, const std::string& tagName, Expression& key, bool unique, const TagScope& scope,
                   const Settings& settings, RecordTest visible)
    : cursor_(file, tagName),
      key_(key),
      unique_(unique),
      scope_(scope),
      settings_(settings),
      visible_(std::move(visible)) {
    // Unique keys are shown by this order itself, record visibility included.
    cursor_.setUniqueView(false);
}

bool TagOrder::belowScope() const { return scope_.hasLow && cursor_.compareKey(scope_.low, false) < 0; }

bool TagOrder::aboveScope() const { return scope_.hasHigh && cursor_.compareKey(scope_.high, false) > 0; }

uint32_t TagOrder::landForward() {
    if (cursor_.onEntry() && belowScope())
        cursor_.seek(scope_.low, false);
    // Every walk forward starts on the first entry of a key, so the first
    // visible entry met is the first visible record of its key.
    for (;;) {
        if (!cursor_.onEntry() || aboveScope())
            return 0;
        if (!unique_ || visible_(cursor_.recNo()))
            return cursor_.recNo();
        cursor_.next();
    }
}

void TagOrder::toPreviousKey(const std::string& keyText) {
    cursor_.seek(keyText, true);
    cursor_.setUniqueView(true);
    cursor_.prev();
    cursor_.setUniqueView(false);
}

uint32_t TagOrder::landBackward() {
    if (cursor_.onEntry() && aboveScope())
        cursor_.seekLast(scope_.high, false);
    for (;;) {
        if (!cursor_.onEntry() || belowScope())
            return 0;
        if (!unique_)
            return cursor_.recNo();
        const std::string keyText = cursor_.key();
        for (cursor_.seek(keyText, true); cursor_.onEntry() && cursor_.compareKey(keyText, true) == 0;
             cursor_.next())
            if (visible_(cursor_.recNo()))
                return cursor_.recNo();
        toPreviousKey(keyText);
    }
}

bool TagOrder::sync(const RecordView& current, std::string& keyText) {
    if (writes_ && *writes_ == seenWrites_ && cursor_.onEntry() && cursor_.recNo() == current.recNo) {
        if (unique_)
            keyText = cursor_.key();
        return true;
    }
    keyText = key_.KeyText(current, settings_);
    if (cursor_.isAt(keyText, current.recNo))
        return true;
    return cursor_.position(keyText, current.recNo);
}

uint32_t TagOrder::First() {
    ready();
    if (scope_.hasLow)
        cursor_.seek(scope_.low, false);
    else
        cursor_.first();
    return done(landForward());
}

uint32_t TagOrder::Last() {
    ready();
    if (scope_.hasHigh)
        cursor_.seekLast(scope_.high, false);
    else
        cursor_.last();
    return done(landBackward());
}

uint32_t TagOrder::Next(const RecordView& current) {
    ready();
    std::string keyText;
    const bool on = sync(current, keyText);
    if (unique_) {
        // Past every other record of the current key.
        if (cursor_.onEntry() && cursor_.compareKey(keyText, true) == 0) {
            cursor_.setUniqueView(true);
            cursor_.next();
            cursor_.setUniqueView(false);
        }
    } else if (on) {
        cursor_.next();
    }
    return done(landForward());
}

uint32_t TagOrder::Prior(const RecordView& current) {
    ready();
    std::string keyText;
    sync(current, keyText);
    // The cursor stands on the current entry or just after where it would be.
    if (unique_ && cursor_.onEntry() && cursor_.compareKey(keyText, true) == 0)
        toPreviousKey(keyText);
    else
        cursor_.prev();
    return done(landBackward());
}

uint32_t TagOrder::SeekFirst(std::string_view text, bool exact) {
    ready();
    cursor_.seek(text, exact);
    return done(landForward());
}

bool TagOrder::KeyMatches(const RecordView& record, std::string_view text, bool exact) {
    ready();
    std::string_view own;
    if (!(ownKeyText(record, &own) && cursor_.isAt(own, record.recNo))) {
        const std::string keyText = key_.KeyText(record, settings_);
        if (!cursor_.isAt(keyText, record.recNo) && !cursor_.position(keyText, record.recNo))
            return false;  // the record is not in the tag
    }
    return cursor_.compareKey(text, exact) == 0;
}

namespace {

// Whether the text of an N field with the given decimals is as the table
// writes it: blanks, an optional minus, digits, and the decimals after a
// point (none without decimals), fifteen digits at most. Such a text is the
// key text's number itself: both read as the same double, and its key text
// prints that double back to the same digits, within the field's width.
bool plainNumberText(std::string_view text, int decimals) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && text[i] == '-')
        ++i;
    size_t digits = 0, whole = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        ++whole;
    digits = whole;
    if (decimals > 0) {
        if (i == text.size() || text[i] != '.')
            return false;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            ++digits;
        if (digits - whole != static_cast<size_t>(decimals))
            return false;
    }
    return i == text.size() && whole > 0 && digits <= 15;
}

}  // namespace

bool TagOrder::ownKeyText(const RecordView& record, std::string_view* text) const {
    const FieldInfo* field = key_.BareField();
    if (!field || !record.buffer || field->offset < 0 || field->width <= 0)
        return false;
    *text = std::string_view(record.buffer + field->offset, static_cast<size_t>(field->width));
    if (field->type == 'C')
        return cursor_.keyType() == 'C';
    if (field->type == 'N')
        return cursor_.keyType() == 'N' && plainNumberText(*text, field->decimals);
    return false;
}

bool TagOrder::CountEntries(uint32_t* count) {
    ready();
    if (unique_)
        return false;
    uint32_t n = 0;
    for (uint32_t rec = First(); rec != 0; rec = landForward()) {
        ++n;
        cursor_.next();
    }
    *count = n;
    return true;
}

bool TagOrder::EntryPosition(const RecordView& current, uint32_t* position) {
    ready();
    if (unique_)
        return false;
    const std::string keyText = key_.KeyText(current, settings_);
    uint32_t n = 0;
    for (uint32_t rec = First(); rec != 0; rec = landForward()) {
        ++n;
        if (cursor_.isAt(keyText, current.recNo)) {
            *position = n;
            return true;
        }
        cursor_.next();
    }
    *position = 0;
    return true;
}

}  // namespace xb
