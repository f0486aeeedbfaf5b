#include "app/ClearUtilities.h"

#include <string>

#include "app/DataModule.h"
#include "base/Exceptions.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

const char* const NotExclusive = "Could not open Table(s) exclusively!";

// A refused exclusive open is reported by our own message only.
constexpr int QuietErrorLevel = 1;

// Back to the shared use the rest of the program expects.
void ReopenShared(TTable* Table) {
    Table->Close();
    Table->SetExclusive(false);
    Table->Open();
    Table->First();
}

// Only a table of the open company is cleared: with none open the table's
// name would find whatever file of that name lies in the current folder.
void ClearTable(TDataModule1& Module, TTable* Table, TXbase* Engine) {
    Table->CheckActive();
    Table->Close();
    Table->SetExclusive(true);
    bool exclusive = false;
    int level = Module.XbaseEnv1->ErrorLevel(QuietErrorLevel);
    try {
        Table->Open();
        exclusive = true;
    } catch (const Exception&) {
        // Another workstation has it open.
    }
    Module.XbaseEnv1->ErrorLevel(level);
    if (exclusive) {
        try {
            Engine->Zap();
        } catch (...) {
            ReopenShared(Table);
            throw;
        }
    } else {
        MessageDlg(NotExclusive, mtWarning, {mbOK});
    }
    ReopenShared(Table);
}

// Walked in record order: a tag over the balance (such as the open-balance
// tag) would drop each record from the walk as it is zeroed.
void ZeroBalances(TTable* Table) {
    Table->CheckActive();
    const std::string tag = Table->IndexName();
    Table->SetIndexName("");
    try {
        for (Table->First(); !Table->Eof(); Table->Next()) {
            Table->Edit();
            Table->FieldByName("Balance")->SetAsFloat(0.0);
            Table->Post();
        }
    } catch (...) {
        Table->SetIndexName(tag);
        throw;
    }
    Table->SetIndexName(tag);
    Table->First();
}

}  // namespace

namespace ClearUtilities {

void ClearReceipts(TDataModule1& Module) {
    ClearTable(Module, Module.SalesTable, Module.SalesXbase);
    ClearTable(Module, Module.SalesDetailTable, Module.SalesDetailXbase);
}

void ClearPayments(TDataModule1& Module) { ClearTable(Module, Module.PaymentTable, Module.PaymentXbase); }

void ClearDeposits(TDataModule1& Module) {
    ClearTable(Module, Module.DepositTable, Module.DepositXbase);
    ClearTable(Module, Module.DepositDtlTable, Module.DepositDtlXbase);
}

void ClearLedger(TDataModule1& Module) { ClearTable(Module, Module.LedgerTable, Module.LedgerXbase); }

void ClearPatientBalances(TDataModule1& Module) { ZeroBalances(Module.PatientTable); }

void ClearChartofAccounts(TDataModule1& Module) { ZeroBalances(Module.AccountTable); }

void clearAll(TDataModule1& Module) {
    ClearPatientBalances(Module);
    ClearChartofAccounts(Module);
    ClearReceipts(Module);
    ClearLedger(Module);
    ClearPayments(Module);
    ClearDeposits(Module);
}

}  // namespace ClearUtilities
