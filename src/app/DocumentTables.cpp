#include "app/DocumentTables.h"

#include "app/IndexCatalog.h"
#include "app/IndexCheck.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "ui/Dialogs.h"

namespace {

// The table's file as the catalogue spells it ("Ledger.dbf", not "LEDGER.DBF").
std::string ShownName(const TTable* Table) {
    const std::string name = os::ExtractFileName(Table->TableName());
    const TIndexedTable* catalogued = IndexCatalog::findTable(name);
    return catalogued ? catalogued->FileName : name;
}

}  // namespace

namespace DocumentTables {

bool Ready(const std::vector<TTable*>& Tables, const std::string& Outcome) {
    for (TTable* table : Tables) {
        const std::string name = ShownName(table);
        if (!table->Active()) {
            MessageDlg(name + " is not open. " + Outcome + "\r\rOpen the company again, then try once more.",
                       mtError, {mbOK});
            return false;
        }
        if (!IndexCheck::TagsInUse(table)) {
            MessageDlg("The index of " + name + " cannot be used. " + Outcome +
                           "\r\rRebuild the indexes (File / Rebuild Indexes), then try once more.",
                       mtError, {mbOK});
            return false;
        }
    }
    return true;
}

}  // namespace DocumentTables
