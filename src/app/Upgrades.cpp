#include "app/Upgrades.h"

#include <array>
#include <string>

#include "app/DataModule.h"
#include "app/ProgramBuild.h"
#include "app/Schemas.h"
#include "base/Exceptions.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "ui/Dialogs.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr TUpgradeStep AllSteps[] = {
    {"1002", &TDataModule1::UpgradeToBuild1002},
    {"1008", &TDataModule1::UpgradeToBuild1008},
    {"1009", &TDataModule1::UpgradeToBuild1009},
    {"1010", &TDataModule1::UpgradeToBuild1010},
    {"1015", &TDataModule1::UpgradeToBuild1015},
    {"1021", &TDataModule1::UpgradeToBuild1021},
    {"1024", &TDataModule1::UpgradeToBuild1024},
    {"Item", &TDataModule1::UpgradeItemDataStructure},
    {"LabRx", &TDataModule1::UpgradeLabRxDataStructure},
    {"Patient", &TDataModule1::UpgradePatientDataStructure},
    {"InsDtl", &TDataModule1::UpgradeInsDtlDataStructure},
};

// The steps from the named one to the last.
constexpr std::span<const TUpgradeStep> From(int First) { return std::span<const TUpgradeStep>(AllSteps).subspan(First); }

constexpr int From1002 = 0, From1008 = 1, From1009 = 2, From1010 = 3, From1015 = 4, From1021 = 5, From1024 = 6,
              FromItem = 7;

const TBuildBand BuildBands[] = {
    {1002, true, From(From1002)},
    {1005, true, From(From1008)},
    {1008, true, From(From1008)},
    {1009, true, From(From1009)},
    {1010, true, From(From1010)},
    {1015, true, From(From1015)},
    {1021, true, From(From1021)},
    {1024, true, From(From1024)},
    {1034, true, From(FromItem)},
    {1072, true, From(FromItem)},
    {ProgramBuild, false, {}},
};

const char* const UpgradeQuestion =
    "The Database needs to be updated. A backup must be completed before continuing or you will risk the "
    "possibility of data being lost.\r\rPress OK to proceed with update.\r\rPress Abort if you want to cancel "
    "and do a backup.";

const TTableSchema& Layout(const char* FileName) { return *Schemas::findTable(FileName); }

// Records of a table that an append-from carries (deleted ones are hidden);
// -1 when the table cannot be read.
int VisibleRecords(const std::string& Path) {
    int previous = xb_Select(0);
    int count = -1;
    if (xb_Use(Path.c_str(), "UPGRADEDFROM", XB_READONLY, XB_DRIVER_NSX) != 0) {
        count = xb_Count();
        xb_Close();
    }
    xb_Select(previous);
    return count;
}

std::string MemoOf(const std::string& Path) { return os::ChangeFileExt(Path, ".smt"); }
std::string IndexOf(const std::string& Path) { return os::ChangeFileExt(Path, ".nsx"); }

// The index of the open table is left alone while its records are carried over.
class TNaturalOrder {
public:
    explicit TNaturalOrder(TTable* Table) : table_(Table), indexName_(Table->IndexName()) { table_->SetIndexName(""); }
    ~TNaturalOrder() {
        table_->Close();
        table_->SetIndexName(indexName_);
    }

private:
    TTable* table_;
    std::string indexName_;
};

}  // namespace

namespace Upgrades {

const TBuildBand* bandOf(int Build) {
    for (const TBuildBand& band : BuildBands)
        if (Build < band.Below)
            return &band;
    return nullptr;
}

}  // namespace Upgrades

bool TDataModule1::UpgradeFromBuild(int Build) {
    const TBuildBand* band = Upgrades::bandOf(Build);
    if (!band)
        return true;
    if (band->Asks && MessageDlg(UpgradeQuestion, mtWarning, {mbOK, mbAbort}) != mrOk)
        return stepFailed();
    for (const TUpgradeStep& step : band->Steps)
        if (!(this->*step.Run)())
            return stepFailed();
    rebuildIndexes();
    stampBuild();
    return true;
}

bool TDataModule1::stepFailed() {
    OpeningAbandoned = true;
    return false;
}

bool TDataModule1::confirmBackupOverwrite(const std::string& TablePath, const std::string& BackupPath) {
    std::string question = "A backup copy of " + TablePath + " exists called " + BackupPath +
                           "\r\rPress OK if you want to overwrite this file otherwise press Abort to cancel the update.";
    return MessageDlg(question, mtWarning, {mbOK, mbAbort}) == mrOk || stepFailed();
}

bool TDataModule1::upgradeTable(TTable* Table, TXbase* Engine, const char* FileName, const std::string& BackupName) {
    const std::string folder = os::IncludeTrailingPathDelimiter(DataDirectory);
    const std::string tablePath = folder + FileName;
    const std::string backupPath = folder + BackupName + ".dbf";
    const TTableSchema& layout = Layout(FileName);

    if (os::FileExists(backupPath)) {
        if (!confirmBackupOverwrite(tablePath, backupPath))
            return false;
        os::DeleteFile(backupPath);
        os::DeleteFile(MemoOf(backupPath));
    }
    Table->Close();
    // The old tags would describe records that are no longer where they were.
    os::DeleteFile(IndexOf(tablePath));

    if (!os::FileExists(tablePath))
        return Schemas::CreateTable(Engine, layout, tablePath) || stepFailed();

    const bool hadMemo = os::FileExists(MemoOf(tablePath));
    if (!os::RenameFile(tablePath, backupPath))
        return stepFailed();
    if (hadMemo && !os::RenameFile(MemoOf(tablePath), MemoOf(backupPath))) {
        os::RenameFile(backupPath, tablePath);
        return stepFailed();
    }
    auto putBack = [&] {
        Table->Close();
        for (const std::string& made : {tablePath, MemoOf(tablePath), IndexOf(tablePath)})
            os::DeleteFile(made);
        os::RenameFile(backupPath, tablePath);
        if (hadMemo)
            os::RenameFile(MemoOf(backupPath), MemoOf(tablePath));
        return stepFailed();
    };

    if (!Schemas::CreateTable(Engine, layout, tablePath))
        return putBack();
    const int expected = VisibleRecords(backupPath);
    if (expected < 0)
        return putBack();
    int carried = -1;
    try {
        TNaturalOrder natural(Table);
        Table->Open();
        Engine->AppendFrom(backupPath, XB_DRIVER_NSX, "");
        carried = Engine->RecCount();
    } catch (const Exception&) {
        carried = -1;
    }
    if (carried < expected)
        return putBack();
    return true;
}

bool TDataModule1::UpgradeToBuild1002() { return upgradeTable(RecallTable, RecallXbase, "Recall.dbf", "OldRecall"); }

bool TDataModule1::UpgradeToBuild1008() { return upgradeTable(LedgerTable, LedgerXbase, "Ledger.dbf", "OldLedger"); }

// Calendar and schedule are new in this build; a company that has them already keeps their records.
bool TDataModule1::UpgradeToBuild1009() {
    return upgradeTable(CalendarTable, CalendarXbase, "Calendar.dbf", "OldCalendar") &&
           upgradeTable(ScheduleTable, ScheduleXbase, "Schedule.dbf", "OldSchedule");
}

bool TDataModule1::UpgradeToBuild1010() {
    return upgradeTable(SalesDetailTable, SalesDetailXbase, "SalesDtl.dbf", "OldSalesDtl");
}

bool TDataModule1::UpgradeToBuild1015() {
    return upgradeTable(SalesTable, SalesXbase, "Sales.dbf", "OldSales") &&
           upgradeTable(PatternTable, PatternXbase, "Pattern.dbf", "OldPattern");
}

bool TDataModule1::UpgradeToBuild1021() {
    return upgradeTable(IncidentTable, IncidentXbase, "Incident.dbf", "oldIncident");
}

bool TDataModule1::UpgradeToBuild1024() {
    return upgradeTable(DepositDtlTable, DepositDtlXbase, "DeposDtl.dbf", "oldDeposDtl");
}

bool TDataModule1::UpgradeItemDataStructure() { return upgradeTable(ItemTable, ItemXbase, "Item.dbf", "OldItem"); }

bool TDataModule1::UpgradeLabRxDataStructure() {
    return upgradeTable(LabRxTable, LabRxXbase, "LabRx.dbf", "OldLabRx");
}

bool TDataModule1::UpgradePatientDataStructure() {
    return upgradeTable(PatientTable, Xbase1, "Patient.dbf", "oldPatient");
}

bool TDataModule1::UpgradeInsDtlDataStructure() {
    return upgradeTable(InsDetailTable, InsDetailXbase, "InsDtl.dbf", "OldInsDtl");
}
