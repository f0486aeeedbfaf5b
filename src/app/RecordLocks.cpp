#include "app/RecordLocks.h"

#include <algorithm>
#include <tuple>

#include "app/DocumentFields.h"
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

bool TRecordLocks::lockShown(TTable* Table, TXbase* Engine, const char* NumberField, const std::string& What,
                             const std::vector<TShown>& Shown, const std::string& Gone,
                             const TChangedCheck& Changed) {
    using DocumentFields::changedMeanwhile;
    if (!Gone.empty()) {
        ShowMessage(changedMeanwhile(What, Gone, "deleted"));
        return false;
    }
    for (const TShown& s : Shown)
        want(Table, Engine, s.recNo);
    if (!lockAll())
        return false;
    if (!Changed)
        return true;
    for (const TShown& s : Shown) {
        const bool gone = !reread(Engine, s.recNo) || DocumentFields::numberText(Table, NumberField) != s.number;
        const char* meanwhile = gone ? "deleted" : Changed(s);
        if (meanwhile) {
            ShowMessage(changedMeanwhile(What, s.number, meanwhile));
            return false;
        }
    }
    return true;
}

void TRecordLocks::releaseAll() {
    for (const TRecord& r : held_)
        r.engine->unlockRecord(r.recNo);
    held_.clear();
}
