// The data module's table events: which handler serves which table, and the
// numbering of new records in the nine numbered tables.
#include <algorithm>
#include <cmath>

#include "app/DataModule.h"
#include "app/ReceiptLog.h"
#include "app/RecordNumbers.h"
#include "app/Schemas.h"
#include "base/DateTime.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

constexpr const char* NewName = "<new>";

// Gives the new record the number after Last in Field and commits it, then
// lets the append lock go; a failure lets it go too.
void commitNextNumber(TTable* Table, TXbase* Engine, const char* Field, double& Last) {
    RecordNumbers::releasingOnFailure(Engine, [&] {
        Last += 1;
        Table->FieldByName(Field)->SetAsFloat(Last);
        Engine->Commit();
    });
    Engine->unlockAppend();
}

// Gives the new record of a table numbered at its post the number after
// Last and, when NameField is given, the new-record name there.
void giveNextID(TTable* Table, int& Last, const char* NameField = nullptr) {
    Table->FieldByName("ID")->SetAsInteger(++Last);
    if (NameField)
        Table->FieldByName(NameField)->SetAsString(NewName);
}

// Where the new record stands when the insert begins: the current record
// number and the record count.
void notePlace(TXbase* Engine, int& RecNo, int& RecCount) {
    RecNo = std::max(0, Engine->RecNo());
    RecCount = Engine->RecCount();
}

}  // namespace

void TDataModule1::hookTableEvents() {
    auto on = [this](void (TDataModule1::*Handler)(TDataSet*)) {
        return [this, Handler](TDataSet* DataSet) { (this->*Handler)(DataSet); };
    };
    using M = TDataModule1;

    // Numbered tables: patients, receipts, payments and deposits keep their
    // append lock to the commit in OnNewRecord, the others to the post.
    releaseAppendLockOn(PatientTable, Xbase1, false);
    releaseAppendLockOn(SalesTable, SalesXbase, false);
    releaseAppendLockOn(PaymentTable, PaymentXbase, false);
    releaseAppendLockOn(DepositTable, DepositXbase, false);
    releaseAppendLockOn(AccountTable, AccountXbase, true);
    releaseAppendLockOn(LedgerTable, LedgerXbase, true);
    releaseAppendLockOn(PersonnelTable, PersonnelXbase, true);
    releaseAppendLockOn(InsTable, InsXbase, true);
    releaseAppendLockOn(InsCompTable, InsCompXbase, true);

    PatientTable->AfterOpen = on(&M::PatientTableAfterOpen);
    PatientTable->BeforeInsert = on(&M::PatientTableBeforeInsert);
    PatientTable->AfterInsert = on(&M::PatientTableAfterInsert);
    PatientTable->BeforeEdit = on(&M::PatientTableBeforeEdit);
    PatientTable->BeforeDelete = on(&M::PatientTableBeforeDelete);
    PatientTable->OnNewRecord = on(&M::PatientTableNewRecord);

    InsTable->BeforeInsert = on(&M::InsTableBeforeInsert);
    InsTable->AfterInsert = on(&M::InsTableAfterInsert);
    InsTable->OnNewRecord = on(&M::InsTableNewRecord);
    InsTable->OnCalcFields = on(&M::InsTableCalcFields);

    InsDetailTable->AfterInsert = on(&M::InsDetailTableAfterInsert);
    if (TField* charge = InsDetailTable->FindField("CHARGE")) {
        charge->OnSetText = [this](TField* Sender, const std::string& Text) {
            InsDetailTableCHARGESetText(Sender, Text);
        };
        charge->OnChange = [this](TField* Sender) { InsDetailTableCHARGEChange(Sender); };
    }

    IncidentTable->AfterOpen = on(&M::IncidentTableAfterOpen);
    IncidentTable->AfterInsert = on(&M::IncidentTableAfterInsert);
    IncidentTable->BeforeEdit = on(&M::IncidentTableBeforeEdit);

    PersonnelTable->BeforeInsert = on(&M::PersonnelTableBeforeInsert);
    PersonnelTable->OnNewRecord = on(&M::PersonnelTableNewRecord);

    SalesTable->AfterOpen = on(&M::SalesTableAfterOpen);
    SalesTable->BeforeClose = on(&M::SalesTableBeforeClose);
    SalesTable->BeforeInsert = on(&M::SalesTableBeforeInsert);
    SalesTable->BeforeDelete = on(&M::SalesTableBeforeDelete);
    SalesTable->OnNewRecord = on(&M::SalesTableNewRecord);

    Temp1Table->AfterInsert = on(&M::Temp1TableAfterInsert);
    Temp2Table->AfterInsert = on(&M::Temp2TableAfterInsert);
    Temp1Source->OnDataChange = [this](TObject* Sender, TField* Field) { Temp1SourceDataChange(Sender, Field); };
    Temp2Source->OnDataChange = [this](TObject* Sender, TField* Field) { Temp2SourceDataChange(Sender, Field); };

    AccountTable->BeforeInsert = on(&M::AccountTableBeforeInsert);
    AccountTable->OnNewRecord = on(&M::AccountTableNewRecord);
    AccountTable->OnCalcFields = on(&M::AccountTableCalcFields);

    LedgerTable->BeforeInsert = on(&M::LedgerTableBeforeInsert);
    LedgerTable->OnNewRecord = on(&M::LedgerTableNewRecord);

    Temp3Table->OnCalcFields = on(&M::Temp3TableCalcFields);

    Temp4Table->BeforeInsert = on(&M::Temp4TableBeforeInsert);
    Temp4Table->AfterInsert = on(&M::Temp4TableAfterInsert);
    Temp4Table->BeforeEdit = on(&M::Temp4TableBeforeEdit);
    Temp4Table->AfterPost = on(&M::Temp4TableAfterPost);

    ItemTable->AfterInsert = on(&M::ItemTableAfterInsert);

    PaymentTable->BeforeInsert = on(&M::PaymentTableBeforeInsert);
    PaymentTable->OnNewRecord = on(&M::PaymentTableNewRecord);

    DepositTable->BeforeInsert = on(&M::DepositTableBeforeInsert);
    DepositTable->OnNewRecord = on(&M::DepositTableNewRecord);

    InsCompTable->BeforeInsert = on(&M::InsCompTableBeforeInsert);
    InsCompTable->OnNewRecord = on(&M::InsCompTableNewRecord);

    Temp6Table->AfterInsert = on(&M::Temp6TableAfterInsert);

    RecallTable->AfterOpen = on(&M::RecallTableAfterOpen);
}

void TDataModule1::releaseAppendLockOn(TTable* Table, TXbase* Engine, bool AtPost) {
    auto release = [Engine](TDataSet*) { Engine->unlockAppend(); };
    Table->AfterCancel = release;
    Table->BeforeClose = release;
    if (AtPost)
        Table->AfterPost = release;
}

// ---------------------------------------------------------------------------
// Capture and assignment

int64_t TDataModule1::captureNumber(TTable* Table, TXbase* Engine, const char* NumberTag, const char* NumberField) {
    RecordNumbers::lockForInsert(Engine);
    int64_t last = 0;
    RecordNumbers::releasingOnFailure(Engine,
                                      [&] { last = RecordNumbers::lastNumber(Table, Engine, NumberTag, NumberField); });
    return last;
}

int TDataModule1::captureID(TTable* Table, TXbase* Engine) {
    return static_cast<int>(captureNumber(Table, Engine, "ID", "ID"));
}

void TDataModule1::commitAndEdit(TTable* Table, TXbase* Engine) {
    Engine->Commit();
    Table->Edit();
}

void TDataModule1::PatientTableBeforeInsert(TDataSet*) {
    LastPatientID = static_cast<double>(captureNumber(PatientTable, Xbase1, "ID", "ID"));
    notePlace(Xbase1, PatientRecNo, PatientRecCount);
}

void TDataModule1::PatientTableNewRecord(TDataSet*) {
    std::string ftsFailure;
    RecordNumbers::releasingOnFailure(Xbase1, [&] {
        LastPatientID += 1;
        PatientTable->FieldByName("ID")->SetAsFloat(LastPatientID);
        PatientTable->FieldByName("RECNAME")->SetAsString(NewName);
        for (const char* flag : {"BILLINSUR", "ACPTASSIGN", "PATSIGONFI", "PAT_EMPLYD", "INSSIGONFI"})
            PatientTable->FieldByName(flag)->SetAsBoolean(false);
        commitAndEdit(PatientTable, Xbase1);
        // Key n belongs to record n: it is added before another workstation
        // may append the next patient.
        ftsFailure = addPatientFtsKey();
        addFirstExam();
        PatientTable->FieldByName("INCIDENT")->SetAsInteger(1);
        Xbase1->Commit();
    });
    Xbase1->unlockAppend();
    // Shown once the lock is let go, so a message waiting for OK never holds
    // up another workstation's new patient.
    if (!ftsFailure.empty())
        ShowMessage(ftsFailure);
    PatientTable->Edit();
}

void TDataModule1::SalesTableBeforeInsert(TDataSet*) {
    LastSalesID = static_cast<double>(captureNumber(SalesTable, SalesXbase, "Receipt", "RECEIPT"));
    notePlace(SalesXbase, SalesRecNo, SalesRecCount);
}

void TDataModule1::SalesTableNewRecord(TDataSet*) {
    commitNextNumber(SalesTable, SalesXbase, "RECEIPT", LastSalesID);
    // Logged once the receipt is in the file: a log that cannot be written
    // is reported and the receipt keeps its number.
    if (!ReceiptLog::Append(DataDirectory, ReceiptLog::Line(Now(), SalesRecNo, SalesRecCount)))
        ShowMessage("Unable to write to " + Schemas::tableFileName(DataDirectory, ReceiptLog::FileName));
    SalesTable->Edit();
}

void TDataModule1::SalesTableAfterOpen(TDataSet*) {
    LastSalesID = static_cast<double>(RecordNumbers::lastNumber(SalesTable, SalesXbase, "Receipt", "RECEIPT"));
    SalesTable->First();
}

void TDataModule1::SalesTableBeforeClose(TDataSet*) {
    LastSalesID = static_cast<double>(RecordNumbers::lastNumber(SalesTable, SalesXbase, "Receipt", "RECEIPT"));
    SalesTable->First();
    SalesXbase->unlockAppend();
}

void TDataModule1::SalesTableBeforeDelete(TDataSet*) {}

void TDataModule1::PaymentTableBeforeInsert(TDataSet*) {
    LastPaymentID = static_cast<double>(captureNumber(PaymentTable, PaymentXbase, "ID", "ID"));
}

void TDataModule1::PaymentTableNewRecord(TDataSet*) {
    commitNextNumber(PaymentTable, PaymentXbase, "ID", LastPaymentID);
    PaymentTable->Edit();
}

void TDataModule1::DepositTableBeforeInsert(TDataSet*) {
    LastDepositID = static_cast<double>(captureNumber(DepositTable, DepositXbase, "ID", "ID"));
}

void TDataModule1::DepositTableNewRecord(TDataSet*) {
    commitNextNumber(DepositTable, DepositXbase, "ID", LastDepositID);
    DepositTable->Edit();
}

// The next five keep the append lock until their new record is posted.

void TDataModule1::AccountTableBeforeInsert(TDataSet*) { LastAccountID = captureID(AccountTable, AccountXbase); }

void TDataModule1::AccountTableNewRecord(TDataSet*) { giveNextID(AccountTable, LastAccountID, "NAME"); }

void TDataModule1::LedgerTableBeforeInsert(TDataSet*) { LastLedgerID = captureID(LedgerTable, LedgerXbase); }

void TDataModule1::LedgerTableNewRecord(TDataSet*) { giveNextID(LedgerTable, LastLedgerID); }

void TDataModule1::PersonnelTableBeforeInsert(TDataSet*) {
    LastPersonnelID = captureID(PersonnelTable, PersonnelXbase);
}

void TDataModule1::PersonnelTableNewRecord(TDataSet*) { giveNextID(PersonnelTable, LastPersonnelID, "RECNAME"); }

// For claims and carriers an empty table gives 0 (the capture reads a
// record only when there is one, deleted ones included).
void TDataModule1::InsTableBeforeInsert(TDataSet*) { LastInsID = captureID(InsTable, InsXbase); }

void TDataModule1::InsTableNewRecord(TDataSet*) {
    giveNextID(InsTable, LastInsID, "PAT_NAME");
    InsTable->FieldByName("DATE")->SetAsDateTime(Date());
}

void TDataModule1::InsCompTableBeforeInsert(TDataSet*) { LastInsCompID = captureID(InsCompTable, InsCompXbase); }

void TDataModule1::InsCompTableNewRecord(TDataSet*) { giveNextID(InsCompTable, LastInsCompID, "NAME"); }
