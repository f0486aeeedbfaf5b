// Events of the patient, exam and recall tables: the patients' full-text
// keys, a new patient's first exam, the record-lock test before an edit, and
// the clean-up and sentinel records when the tables open.
#include <cmath>
#include <string>

#include "app/DataModule.h"
#include "app/LookupListActions.h"
#include "app/Schemas.h"
#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "ui/Dialogs.h"
#include "xbase/FTS32.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

const char* const KeyNotDeleted = "Error deleting IA key!";

// The exam sentinel sorts last in the tag "ID" (account, then exam number).
constexpr const char* SentinelAccount = "9999999999";
constexpr const char* SentinelExam = "9999";
// The recall sentinel sorts last in the tag "PatientID" (patient, then date).
constexpr const char* SentinelPatient = "9999999999";
constexpr const char* SentinelRecallKey = "29990101";

// Another workstation holds the record the engine component stands on:
// the message, and the edit is abandoned without a further error.
void refuseLockedRecord(TXbase* Engine) {
    if (Engine->Locked(Engine->RecNo())) {
        ShowMessage(SRecordLockedByOther);
        Abort();
    }
}

// Appends the sentinel record, filled by Fill, unless Key finds it in the
// engine's current tag; a new one is committed and left in edit state.
template <class Fill>
void appendSentinelUnlessFound(TTable* Table, TXbase* Engine, const std::string& Key, Fill fill) {
    if (Engine->Seek(Key))
        return;
    Table->Append();
    fill();
    Engine->Commit();
    Table->Edit();
}

}  // namespace

template <class Step>
void TDataModule1::underAppendLock(TXbase* Engine, Step step) {
    // Another workstation appending past the lock time-out: the clean-up is
    // left to the next opening rather than done under its feet.
    if (!Engine->lockAppend())
        return;
    try {
        step();
    } catch (...) {
        Engine->unlockAppend();
        throw;
    }
    Engine->unlockAppend();
}

std::string TDataModule1::ftsPath() const { return Schemas::tableFileName(DataDirectory, "Patient.ia"); }

// ---------------------------------------------------------------------------
// A new patient

std::string TDataModule1::addPatientFtsKey() {
    if (openPatientFts(Fts1, ftsPath()) != 0) {
        Fts1->Close();
        return SFtsNotOpened;
    }
    const bool added = Fts1->Add(patientFtsKey(Xbase1)) >= 0;
    Fts1->Close();
    return added ? "" : SFtsKeyNotAdded;
}

void TDataModule1::addFirstExam() {
    IncidentTable->Append();
    IncidentTable->FieldByName("ID")->SetAsInteger(1);
    IncidentTable->FieldByName("ACCOUNT")->SetAsFloat(LastPatientID);
    IncidentXbase->Commit();
}

// ---------------------------------------------------------------------------
// Locks and deleting

void TDataModule1::PatientTableBeforeEdit(TDataSet*) { refuseLockedRecord(Xbase1); }

void TDataModule1::IncidentTableBeforeEdit(TDataSet*) { refuseLockedRecord(IncidentXbase); }

void TDataModule1::PatientTableBeforeDelete(TDataSet*) {
    if (openPatientFts(Fts1, ftsPath()) != 0) {
        Fts1->Close();
        ShowMessage(SFtsNotOpened);
        return;
    }
    const bool deleted = Fts1->Delete(Xbase1->RecNo()) >= 0;
    Fts1->Close();
    if (!deleted)
        ShowMessage(KeyNotDeleted);
}

// ---------------------------------------------------------------------------
// Cleaning on open

void TDataModule1::deleteLeadingZeroIDs(TTable* Table) {
    Table->First();
    while (!Table->IsEmpty() && !Table->Eof() && Table->FieldByName("ID")->AsFloat() == 0) {
        Table->Delete();
        Table->First();
    }
}

void TDataModule1::PatientTableAfterOpen(TDataSet*) {
    if (PatientTable->IsEmpty())
        return;
    PatientTable->SetIndexName("ID");
    underAppendLock(Xbase1, [&] { deleteLeadingZeroIDs(PatientTable); });
    PatientTable->Last();
    if (!PatientTable->IsEmpty())
        LastPatientID = std::round(PatientTable->FieldByName("ID")->AsFloat());
    PatientTable->First();
}

void TDataModule1::IncidentTableAfterOpen(TDataSet*) {
    if (!os::FileExists(Schemas::tableFileName(DataDirectory, "Incident.nsx")))
        return;
    IncidentTable->SetIndexName("ID");
    underAppendLock(IncidentXbase, [&] {
        if (!IncidentTable->IsEmpty())
            deleteLeadingZeroIDs(IncidentTable);
        appendSentinelUnlessFound(IncidentTable, IncidentXbase, std::string(SentinelAccount) + SentinelExam, [&] {
            IncidentTable->FieldByName("ACCOUNT")->SetAsString(SentinelAccount);
            IncidentTable->FieldByName("ID")->SetAsString(SentinelExam);
        });
    });
}

void TDataModule1::RecallTableAfterOpen(TDataSet*) {
    if (!os::FileExists(Schemas::tableFileName(DataDirectory, "Recall.nsx")))
        return;
    RecallTable->SetIndexName("PatientID");
    underAppendLock(RecallXbase, [&] {
        appendSentinelUnlessFound(RecallTable, RecallXbase, std::string(SentinelPatient) + SentinelRecallKey, [&] {
            RecallTable->FieldByName("PATIENTID")->SetAsString(SentinelPatient);
            RecallTable->FieldByName("DATE")->SetAsDateTime(EncodeDate(2999, 1, 1));
        });
    });
}
