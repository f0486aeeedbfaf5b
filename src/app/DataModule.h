#pragma once
// TDataModule1: the one shared data module. It owns the database connection
// "DODurodor" to the open company's data folder, the engine settings, one
// table, data source and engine component per company table and per scratch
// table, and the patients' full-text component. Forms bind to its sources
// and call its engine components; it opens a company (upgrading its tables
// and rebuilding its indexes when needed), switches to another and closes it.
//
// Opening a company leaves the current folder at the installation root and
// counts the workstation in the company's Company.ini [Data] OpenCount; closing
// counts it out again. The upgrade steps are in Upgrades.cpp.
//
// The tables' events number new records, give them their defaults, refuse to
// edit a patient or exam another workstation holds, keep the patients'
// full-text index and the sentinel records in place and log new receipts
// (TableEvents.cpp, PatientEvents.cpp, TableDefaults.cpp, ScratchEvents.cpp).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/Rebuild.h"
#include "base/Classes.h"
#include "base/Currency.h"

class TDatabase;
class TDataSet;
class TDataSource;
class TField;
class TFts;
class TMainFormLink;
class TQmDataSource;
class TQmTable;
class TRSCustomConnection;
class TRSDataSetConnection;
class TTable;
class TXbase;
class TXbaseEnv;

class TDataModule1 : public TComponent, public TCompanyFiles {
public:
    // MainForm hears what opening does to the main window; it may be null.
    TDataModule1(TComponent* AOwner, TMainFormLink* MainForm);
    // Clears DataModule1 when it is this module.
    ~TDataModule1() override;

    TDatabase* Database1;
    TXbaseEnv* XbaseEnv1;
    TFts* Fts1;

    TQmTable* PatientTable;      TQmDataSource* PatientSource;     TXbase* Xbase1;
    TQmTable* InsTable;          TQmDataSource* InsSource;         TXbase* InsXbase;
    TQmTable* CPTCodeTable;      TQmDataSource* CPTCodeSource;     TXbase* Xbase3;
    TQmTable* InsDetailTable;    TQmDataSource* InsDetailSource;   TXbase* InsDetailXbase;
    TQmTable* IncidentTable;     TQmDataSource* IncidentSource;    TXbase* IncidentXbase;
    TQmTable* PersonnelTable;    TQmDataSource* PersonnelSource;   TXbase* PersonnelXbase;
    TQmTable* SalesTable;        TQmDataSource* SalesSource;       TXbase* SalesXbase;
    TQmTable* SalesDetailTable;  TQmDataSource* SalesDetailSource; TXbase* SalesDetailXbase;
    TQmTable* Temp1Table;        TQmDataSource* Temp1Source;       TXbase* Temp1Xbase;
    TQmTable* Temp2Table;        TQmDataSource* Temp2Source;       TXbase* Temp2Xbase;
    TQmTable* AccountTable;      TQmDataSource* AccountSource;     TXbase* AccountXbase;
    TQmTable* LedgerTable;       TQmDataSource* LedgerSource;      TXbase* LedgerXbase;
    TQmTable* Temp3Table;        TQmDataSource* Temp3Source;       TXbase* Temp3Xbase;
    TQmTable* Temp4Table;        TQmDataSource* Temp4Source;       TXbase* Temp4Xbase;
    TQmTable* ItemTable;         TQmDataSource* ItemSource;        TXbase* ItemXbase;
    TQmTable* PaymentTable;      TQmDataSource* PaymentSource;     TXbase* PaymentXbase;
    TQmTable* PaymentDtlTable;   TQmDataSource* PaymentDtlSource;  TXbase* PaymentDtlXbase;
    TQmTable* Temp5Table;        TQmDataSource* Temp5Source;       TXbase* Temp5Xbase;
    TQmTable* DepositTable;      TQmDataSource* DepositSource;     TXbase* DepositXbase;
    TQmTable* DepositDtlTable;   TQmDataSource* DepositDtlSource;  TXbase* DepositDtlXbase;
    TQmTable* InsCompTable;      TQmDataSource* InsCompSource;     TXbase* InsCompXbase;
    TQmTable* Temp6Table;        TQmDataSource* Temp6Source;       TXbase* Temp6Xbase;
    TQmTable* DiagCodeTable;     TQmDataSource* DiagCodeSource;    TXbase* DiagCodeXbase;
    TQmTable* LabRxTable;        TQmDataSource* LabRxSource;       TXbase* LabRxXbase;
    TQmTable* RecallTable;       TDataSource* RecallDataSource;    TXbase* RecallXbase;
    TTable* CalendarTable;       TDataSource* CalendarSource;      TXbase* CalendarXbase;
    TTable* ScheduleTable;       TDataSource* ScheduleSource;      TXbase* ScheduleXbase;
    TTable* PatternTable;        TDataSource* PatternSource;       TXbase* PatternXbase;

    // Report data connections serving tables to the stored report project.
    TRSDataSetConnection* ItemRSDataSet;
    TRSDataSetConnection* PaymentRSDataset;
    TRSDataSetConnection* PaymentDtlRSDataset;
    TRSDataSetConnection* InsRSDataSet;
    TRSCustomConnection* RSCustomConnection1;

    // ---- Module state ----
    // The open company's data folder, without a trailing separator; empty
    // until a company is opened.
    std::string DataDirectory;
    // The last numbers used by the numbered tables.
    double LastPatientID = 0;
    double LastSalesID = 0;
    double LastPaymentID = 0;
    double LastDepositID = 0;
    int LastAccountID = 0;
    int LastLedgerID = 0;
    int LastPersonnelID = 0;
    int LastInsID = 0;
    int LastInsCompID = 0;
    // Record number and record count of Patient.dbf and SALES.DBF at the last insert.
    int PatientRecNo = 0;
    int PatientRecCount = 0;
    int SalesRecNo = 0;
    int SalesRecCount = 0;
    // Set when an upgrade was refused or failed: the company stays closed.
    bool OpeningAbandoned = false;
    // Rows the payment and deposit grids may hold; 0 = no limit.
    int Temp4RowLimit = 0;
    int Temp6RowLimit = 0;
    // The Company.ini [Data] last numbers as read at activation or written at close.
    double IniLastPatientID = 0;
    double IniLastSalesID = 0;
    double IniLastPaymentID = 0;
    double IniLastDepositID = 0;
    // The receipt on screen has unsaved changes: raised by every data change
    // of temp1 and temp2, cleared by the receipt form.
    bool ReceiptChanged = false;
    // The payments form's running total of the amounts applied to receipts
    // with a positive balance, and the applied amount of the temp4 row being
    // edited as it was before the edit; both in 1/10000 units.
    int64_t TotalDistribution = 0;
    int64_t PreviousPayment = 0;
    // The CHARGE of a claim service row before its last typed change, and the
    // claim dialog's recompute of the claim's charges, run after every change
    // of a CHARGE (set by the claim side; nothing runs while it is empty).
    Currency PreviousCharge;
    std::function<void()> CalcCharges;

    // ---- Opening and closing a company ----
    // Switches to the company whose data folder is Folder; a folder that does
    // not exist is ignored and the open company stays.
    void ChangeDataDirectory(const std::string& Folder);
    // Opens the company of DataDirectory: build check and upgrades, the
    // OpenCount check, every table's index checked against the catalogue
    // (a missing or damaged one is named and the indexes rebuilt), then the tables.
    void OpenFiles() override;
    // Opens the 19 company tables kept open, each on its first record; a
    // table that cannot be opened (within IndexCheck::TableWaitMs while it
    // is held) is reported and the main form asked to close.
    void OpenTables();
    // Closes the company's tables and counts this workstation out.
    void CloseFiles() override;
    std::string DataFolder() const override { return DataDirectory; }

    // ---- Upgrades by build (Upgrades.cpp) ----
    // Runs the steps the company's build needs, after the upgrade question,
    // then rebuilds the indexes and stamps the program's build. False, with
    // OpeningAbandoned set, when the user refused or a step failed: nothing
    // after that step ran and the build is not stamped.
    bool UpgradeFromBuild(int Build);
    // Each step rebuilds its tables in the current layout, carrying their
    // records over; false (OpeningAbandoned set) when cancelled or failed,
    // with the table left as it was.
    bool UpgradeToBuild1002();
    bool UpgradeToBuild1008();
    bool UpgradeToBuild1009();
    bool UpgradeToBuild1010();
    bool UpgradeToBuild1015();
    bool UpgradeToBuild1021();
    bool UpgradeToBuild1024();
    bool UpgradeItemDataStructure();
    bool UpgradePatientDataStructure();
    bool UpgradeLabRxDataStructure();
    bool UpgradeInsDtlDataStructure();

    // ---- Table events ----
    // Numbering (TableEvents.cpp): BeforeInsert takes the table's append lock
    // and reads the last number; OnNewRecord gives the new record the next
    // one. The lock is held until the new record is in the file with its
    // number: the commit in OnNewRecord for patients, receipts, payments and
    // deposits, the post for the others. Cancel, close and failures let it go.
    void PatientTableBeforeInsert(TDataSet* DataSet);
    void PatientTableNewRecord(TDataSet* DataSet);
    void SalesTableBeforeInsert(TDataSet* DataSet);
    void SalesTableNewRecord(TDataSet* DataSet);
    void PaymentTableBeforeInsert(TDataSet* DataSet);
    void PaymentTableNewRecord(TDataSet* DataSet);
    void DepositTableBeforeInsert(TDataSet* DataSet);
    void DepositTableNewRecord(TDataSet* DataSet);
    void AccountTableBeforeInsert(TDataSet* DataSet);
    void AccountTableNewRecord(TDataSet* DataSet);
    void LedgerTableBeforeInsert(TDataSet* DataSet);
    void LedgerTableNewRecord(TDataSet* DataSet);
    void PersonnelTableBeforeInsert(TDataSet* DataSet);
    void PersonnelTableNewRecord(TDataSet* DataSet);
    void InsTableBeforeInsert(TDataSet* DataSet);
    void InsTableNewRecord(TDataSet* DataSet);
    void InsCompTableBeforeInsert(TDataSet* DataSet);
    void InsCompTableNewRecord(TDataSet* DataSet);
    // The receipt table's last number follows its opening and closing too.
    void SalesTableAfterOpen(TDataSet* DataSet);
    void SalesTableBeforeClose(TDataSet* DataSet);
    void SalesTableBeforeDelete(TDataSet* DataSet);

    // Patients, exams and recalls (PatientEvents.cpp): the full-text key of a
    // patient, the record-lock test before editing, the clean-up and the
    // sentinels on opening.
    void PatientTableAfterOpen(TDataSet* DataSet);
    void PatientTableBeforeEdit(TDataSet* DataSet);
    void PatientTableBeforeDelete(TDataSet* DataSet);
    void IncidentTableAfterOpen(TDataSet* DataSet);
    void IncidentTableBeforeEdit(TDataSet* DataSet);
    void RecallTableAfterOpen(TDataSet* DataSet);

    // Defaults of new records and calculated fields (TableDefaults.cpp).
    void PatientTableAfterInsert(TDataSet* DataSet);
    void IncidentTableAfterInsert(TDataSet* DataSet);
    void InsTableAfterInsert(TDataSet* DataSet);
    void ItemTableAfterInsert(TDataSet* DataSet);
    void InsDetailTableAfterInsert(TDataSet* DataSet);
    void AccountTableCalcFields(TDataSet* DataSet);
    void InsTableCalcFields(TDataSet* DataSet);
    void Temp3TableCalcFields(TDataSet* DataSet);

    // The scratch tables of the receipt, payments and deposit forms and the
    // claim's service-row charge (ScratchEvents.cpp).
    void Temp1TableAfterInsert(TDataSet* DataSet);
    void Temp2TableAfterInsert(TDataSet* DataSet);
    void Temp1SourceDataChange(TObject* Sender, TField* Field);
    void Temp2SourceDataChange(TObject* Sender, TField* Field);
    void Temp4TableBeforeInsert(TDataSet* DataSet);
    void Temp4TableAfterInsert(TDataSet* DataSet);
    void Temp4TableBeforeEdit(TDataSet* DataSet);
    void Temp4TableAfterPost(TDataSet* DataSet);
    void Temp6TableAfterInsert(TDataSet* DataSet);
    void InsDetailTableCHARGESetText(TField* Sender, const std::string& Text);
    void InsDetailTableCHARGEChange(TField* Sender);

    TMainFormLink* MainForm() const { return mainForm_; }
    void SetMainForm(TMainFormLink* Value) { mainForm_ = Value; }

private:
    void createTables();
    void createFields();
    void createReportConnections();
    // The company's build from its registry file under the installation
    // root, or under the root above VO97.ini's DataDirectory when that reads 1001.
    int companyBuild() const;
    // True when no other workstation has the company open.
    bool probeExclusive();
    void countOpening(bool WarnWhenSole);
    // True when the table is open afterwards.
    bool tryOpen(TTable* Table);
    bool tableFileExists(TTable* Table) const;
    void rebuildIndexes();
    void stampBuild();
    // The module's tables that make up an open company, in opening order.
    std::vector<TTable*> companyTables() const;

    // Table events.
    // Sets every table's, source's and field's handlers.
    void hookTableEvents();
    // Lets a numbered table's append lock go when its insert is cancelled or
    // the table closes, and, with AtPost, when its new record is posted.
    void releaseAppendLockOn(TTable* Table, TXbase* Engine, bool AtPost);
    // The first steps of every numbered insert: the append lock, then the
    // last number of the number tag.
    int64_t captureNumber(TTable* Table, TXbase* Engine, const char* NumberTag, const char* NumberField);
    // The same for the tables numbered in an integer ID under the tag "ID".
    int captureID(TTable* Table, TXbase* Engine);
    // Commits the new record and puts the table back into edit state.
    void commitAndEdit(TTable* Table, TXbase* Engine);
    // The full-text key and the first exam of the new patient, added under
    // the patient table's append lock.
    // The full-text failure to show once the lock is let go; "" when none.
    std::string addPatientFtsKey();
    void addFirstExam();
    // Deletes the leading records whose ID is 0 in the table's current order.
    void deleteLeadingZeroIDs(TTable* Table);
    // Runs Step with the table's append lock held, when it can be had.
    template <class Step>
    void underAppendLock(TXbase* Engine, Step step);
    std::string ftsPath() const;

    // Upgrade helpers (Upgrades.cpp).
    // Renames the company table to BackupName (with its memo file), creates
    // it anew in Layout through Engine and appends the backup's records
    // through Table; a table that does not exist is created empty. On any
    // failure the table is put back as it was.
    bool upgradeTable(TTable* Table, TXbase* Engine, const char* FileName, const std::string& BackupName);
    // Asks before an old backup is overwritten; false (flag set) on Abort.
    bool confirmBackupOverwrite(const std::string& TablePath, const std::string& BackupPath);
    // Sets OpeningAbandoned; false.
    bool stepFailed();

    TMainFormLink* mainForm_;
    // This workstation is counted in the open company's OpenCount.
    bool counted_ = false;
};

// The program's data module; set by whoever creates it.
extern TDataModule1* DataModule1;
