#include "app/RecordNumbers.h"

#include <cmath>

#include "data/DbTables.h"
#include "data/Fields.h"
#include "xbase/Xbase.h"

namespace RecordNumbers {

TDeletedShown::TDeletedShown(TXbase* Engine) : engine_(Engine), hidden_(Engine->hideDeleted(false)) {}

TDeletedShown::~TDeletedShown() { engine_->hideDeleted(hidden_); }

void lockForInsert(TXbase* Engine) {
    if (!Engine->lockAppend())
        throw EDBEngineError(DBIERR_LOCKED, SRecordLocked);
}

int64_t lastNumber(TTable* Table, TXbase* Engine, const std::string& NumberTag, const std::string& NumberField) {
    const std::string remembered = Table->IndexName();
    Table->SetIndexName(NumberTag);
    int64_t number = 0;
    bool lastIsDeleted = false;
    try {
        {
            TDeletedShown shown(Engine);
            Engine->GoBottom();
            if (!Table->IsEmpty()) {
                number = std::llround(Table->FieldByName(NumberField)->AsFloat());
                lastIsDeleted = Engine->RecordDeleted();
            }
        }
        // Hidden again, a deleted record is no place to stand.
        if (lastIsDeleted)
            Engine->GoBottom();
    } catch (...) {
        Table->SetIndexName(remembered);
        throw;
    }
    Table->SetIndexName(remembered);
    return number;
}

}  // namespace RecordNumbers
