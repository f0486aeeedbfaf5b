#include "app/RecordLocks.h"

#include <algorithm>
#include <tuple>

#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "ui/Dialogs.h"
#include "xbase/Xbase.h"

const char* const TRecordLocks::LockedMessage = "Record locked by another user.";

TRecordLocks::~TRecordLocks() { releaseAll(); }

void TRecordLocks::want(TTable* Table, TXbase* Engine, int RecNo) {
    wanted_.push_back({Engine, UpperCase(Table->TableName()), RecNo});
}

bool TRecordLocks::lockAll() {
    std::sort(wanted_.begin(), wanted_.end(), [](const TRecord& a, const TRecord& b) {
        return std::tie(a.file, a.recNo) < std::tie(b.file, b.recNo);
    });
    for (const TRecord& r : wanted_) {
        if (!r.engine->lockRecord(r.recNo)) {
            releaseAll();
            ShowMessage(LockedMessage);
            return false;
        }
        held_.push_back(r);
    }
    wanted_.clear();
    return true;
}

bool TRecordLocks::reread(TXbase* Engine, int RecNo) {
    Engine->Go(RecNo);
    return Engine->RecNo() == RecNo && !Engine->RecordDeleted();
}

void TRecordLocks::releaseAll() {
    for (const TRecord& r : held_)
        r.engine->unlockRecord(r.recNo);
    held_.clear();
}
