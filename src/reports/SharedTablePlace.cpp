#include "reports/SharedTablePlace.h"

#include "data/DbTables.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

TSharedTablePlace::TSharedTablePlace(TTable& Table, TXbase& Engine) : table_(Table), engine_(Engine) {
    wasActive_ = Table.Active();
    indexName_ = Table.IndexName();
    if (!wasActive_) return;
    Engine.GetScope(XB_SCOPE_LOW, low_);
    Engine.GetScope(XB_SCOPE_HIGH, high_);
    filter_ = Engine.Filter();
    // After Last the table reports its end while it stands on the last record.
    atRecord_ = !(Table.Bof() && Table.Eof());
    if (atRecord_) recNo_ = Engine.RecNo();
}

TSharedTablePlace::~TSharedTablePlace() {
    try {
        if (!wasActive_) {
            if (table_.Active()) {
                engine_.SetScope("", "");
                engine_.SetFilter("");
                table_.Close();
            }
            table_.SetIndexName(indexName_);
            return;
        }
        if (!table_.Active()) table_.Open();
        engine_.SetScope("", "");
        engine_.SetFilter(filter_);
        table_.SetIndexName(indexName_);
        if (!low_.empty() || !high_.empty()) engine_.SetScope(low_, high_);
        if (atRecord_) engine_.Go(recNo_);
    } catch (...) {
        // The run's own error, if any, is the one the user sees.
    }
}
