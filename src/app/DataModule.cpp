#include "app/DataModule.h"

#include <filesystem>

#include "app/DataModuleFields.h"
#include "app/DocumentScope.h"
#include "app/IndexCheck.h"
#include "app/InstallLayout.h"
#include "app/MainFormLink.h"
#include "app/ProgramBuild.h"
#include "app/ScratchTables.h"
#include "app/Schemas.h"
#include "app/Settings.h"
#include "base/Exceptions.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "xbase/EngineGlue.h"
#include "xbase/FTS32.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

TDataModule1* DataModule1 = nullptr;

namespace {

constexpr const char* CompanyDatabase = "DODurodor";
constexpr const char* NoIndex = "";

// The exclusive probe must fail quietly; the program otherwise runs at level 2.
constexpr int QuietErrorLevel = 1;
constexpr int NormalErrorLevel = 2;

const char* const OpeningCaption = "Quenmark - Opening files ... Please wait.";
const char* const ClosedCaption = "Quenmark 97";
const char* const NotClosedProperlyWarning =
    "The files for this company were not previously closed properly.  You must rebuild the indexes now "
    "to insure data integrity!\r\rTo rebuild the indexes Click on the 'File' menu item and select "
    "'Rebuild Indexes' then click on the 'OK' button to start the rebuild.";

template <class Table, class Source>
void MakeTable(TDataModule1* Module, Table*& ATable, const char* TableName, Source*& ASource, const char* SourceName,
               TXbase*& Engine, const char* EngineName, const char* FileName, const char* Database,
               const char* IndexName) {
    ATable = new Table(Module);
    ATable->SetName(TableName);
    ATable->SetDatabaseName(Database);
    ATable->SetTableType(ttSXNSX);
    ATable->SetTableName(FileName);
    ATable->SetIndexName(IndexName);
    ASource = new Source(Module);
    ASource->SetName(SourceName);
    ASource->SetDataSet(ATable);
    Engine = new TXbase(Module);
    Engine->SetName(EngineName);
    Engine->SetDataSource(ASource);
}

void AddLines(TQmTable* Table, std::initializer_list<const char*> Lines) {
    for (const char* line : Lines)
        Table->ControlType()->Add(line);
}

// Reports a settings file that could not be written; what was being done goes on.
template <class Action>
void WithSettingsMessage(Action action) {
    try {
        action();
    } catch (const EIniFileException& e) {
        ShowMessage(e.Message());
    }
}

std::string ParentFolder(const std::string& Folder) {
    std::string folder = Folder;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    std::string parent = os::ExtractFilePath(folder);
    while (parent.size() > 1 && (parent.back() == '/' || parent.back() == '\\'))
        parent.pop_back();
    return parent;
}

// Names the tables whose index the open is about to rebuild.
std::string UnusableIndexNotice(const std::vector<std::string>& Tables) {
    std::string names;
    for (size_t i = 0; i < Tables.size(); ++i)
        names += (i == 0 ? "" : i + 1 == Tables.size() ? " and " : ", ") + Tables[i];
    return (Tables.size() == 1 ? "The index of " + names + " is" : "The indexes of " + names + " are") +
           " missing or damaged. The indexes will be rebuilt now.";
}

std::string WithoutTrailingSeparator(std::string Folder) {
    while (Folder.size() > 1 && (Folder.back() == '/' || Folder.back() == '\\'))
        Folder.pop_back();
    return Folder;
}

}  // namespace

TDataModule1::TDataModule1(TComponent* AOwner, TMainFormLink* MainForm) : TComponent(AOwner), mainForm_(MainForm) {
    SetName("DataModule1");
    registerEngineGlue();

    Database1 = new TDatabase(this);
    Database1->SetName("Database1");
    Database1->SetDatabaseName(CompanyDatabase);
    Database1->SetDriverName("STANDARD");
    Database1->Params().Add("path=");

    XbaseEnv1 = new TXbaseEnv(this);
    XbaseEnv1->SetName("XbaseEnv1");
    XbaseEnv1->SetCentury(true);
    XbaseEnv1->SetEpoch(1910);
    XbaseEnv1->SetDateFormat(dfAmerican);
    XbaseEnv1->SetLockTimeout(1130);
    XbaseEnv1->SetDeleted(true);

    Fts1 = new TFts(this);
    Fts1->SetName("Fts1");

    createTables();
    DataModuleFields::CreateFields(this);
    hookTableEvents();

    AddLines(InsDetailTable, {"CPTCODE;LookupCombo;CPTCodeDBLookupCombo"});
    AddLines(IncidentTable, {"DESC;LookupCombo;", "FIRSTEXAM;LookupCombo;IncidentDBLookupCombo", "ID;LookupCombo;"});
    AddLines(PersonnelTable, {"RECNAME;LookupCombo;qmDBLookupCombo2"});
    AddLines(Temp1Table, {"TAX;CheckBox;True;False"});
    AddLines(Temp3Table, {"TAX;CheckBox;True;False"});
    // The grid matches these to temp2's field names exactly, as the scratch table spells them.
    AddLines(Temp2Table, {"Tax;CheckBox;True;False", "Code;LookupCombo;ItemQmDBLookupCombo"});
    for (TQmTable* table : {PaymentTable, Temp5Table, DepositDtlTable, Temp6Table})
        AddLines(table, {"TAG;CheckBox;True;False"});
    createReportConnections();
}

TDataModule1::~TDataModule1() {
    if (DataModule1 == this)
        DataModule1 = nullptr;
    // The tables close after this body: their events must not call back
    // into the module then.
    Destroying();
    Temp1Source->OnDataChange = nullptr;
    Temp2Source->OnDataChange = nullptr;
}

void TDataModule1::createTables() {
    const char* company = CompanyDatabase;
    const char* scratch = ScratchTables::Folder;
    MakeTable(this, PatientTable, "PatientTable", PatientSource, "PatientSource", Xbase1, "Xbase1", "Patient.dbf",
              company, "ID");
    MakeTable(this, InsTable, "InsTable", InsSource, "InsSource", InsXbase, "InsXbase", "INS.DBF", company, NoIndex);
    MakeTable(this, CPTCodeTable, "CPTCodeTable", CPTCodeSource, "CPTCodeSource", Xbase3, "Xbase3", "CPTCode.dbf",
              company, "ID");
    MakeTable(this, InsDetailTable, "InsDetailTable", InsDetailSource, "InsDetailSource", InsDetailXbase,
              "InsDetailXbase", "INSDTL.DBF", company, "ID");
    MakeTable(this, IncidentTable, "IncidentTable", IncidentSource, "IncidentSource", IncidentXbase, "IncidentXbase",
              "Incident.dbf", company, "ID");
    MakeTable(this, PersonnelTable, "PersonnelTable", PersonnelSource, "PersonnelSource", PersonnelXbase,
              "PersonnelXbase", "PERSONNE.DBF", company, "ID");
    MakeTable(this, SalesTable, "SalesTable", SalesSource, "SalesSource", SalesXbase, "SalesXbase", "SALES.DBF",
              company, "RECEIPT");
    MakeTable(this, SalesDetailTable, "SalesDetailTable", SalesDetailSource, "SalesDetailSource", SalesDetailXbase,
              "SalesDetailXbase", "SALESDTL.DBF", company, "RECEIPT");
    MakeTable(this, Temp1Table, "Temp1Table", Temp1Source, "Temp1Source", Temp1Xbase, "Temp1Xbase", "TEMP1.DBF",
              scratch, NoIndex);
    MakeTable(this, Temp2Table, "Temp2Table", Temp2Source, "Temp2Source", Temp2Xbase, "Temp2Xbase", "TEMP2.DBF",
              scratch, NoIndex);
    MakeTable(this, AccountTable, "AccountTable", AccountSource, "AccountSource", AccountXbase, "AccountXbase",
              "ACCT.DBF", company, NoIndex);
    MakeTable(this, LedgerTable, "LedgerTable", LedgerSource, "LedgerSource", LedgerXbase, "LedgerXbase",
              "LEDGER.DBF", company, NoIndex);
    MakeTable(this, Temp3Table, "Temp3Table", Temp3Source, "Temp3Source", Temp3Xbase, "Temp3Xbase", "temp3.dbf",
              scratch, NoIndex);
    MakeTable(this, Temp4Table, "Temp4Table", Temp4Source, "Temp4Source", Temp4Xbase, "Temp4Xbase", "temp4.dbf",
              scratch, NoIndex);
    MakeTable(this, ItemTable, "ItemTable", ItemSource, "ItemSource", ItemXbase, "ItemXbase", "Item.dbf", company,
              "ID");
    MakeTable(this, PaymentTable, "PaymentTable", PaymentSource, "PaymentSource", PaymentXbase, "PaymentXbase",
              "Pymt.dbf", company, "ID");
    MakeTable(this, PaymentDtlTable, "PaymentDtlTable", PaymentDtlSource, "PaymentDtlSource", PaymentDtlXbase,
              "PaymentDtlXbase", "PymtDtl.dbf", company, "PAYMENTID");
    MakeTable(this, Temp5Table, "Temp5Table", Temp5Source, "Temp5Source", Temp5Xbase, "Temp5Xbase", "TEMP5.DBF",
              scratch, NoIndex);
    MakeTable(this, DepositTable, "DepositTable", DepositSource, "DepositSource", DepositXbase, "DepositXbase",
              "DEPOSIT.DBF", company, "ID");
    // Its index file has no tag "ID": the table shows in record order.
    MakeTable(this, DepositDtlTable, "DepositDtlTable", DepositDtlSource, "DepositDtlSource", DepositDtlXbase,
              "DepositDtlXbase", "deposdtl.dbf", company, "ID");
    MakeTable(this, InsCompTable, "InsCompTable", InsCompSource, "InsCompSource", InsCompXbase, "InsCompXbase",
              "INSCOMP.DBF", company, NoIndex);
    MakeTable(this, Temp6Table, "Temp6Table", Temp6Source, "Temp6Source", Temp6Xbase, "Temp6Xbase", "TEMP6.DBF",
              scratch, NoIndex);
    MakeTable(this, DiagCodeTable, "DiagCodeTable", DiagCodeSource, "DiagCodeSource", DiagCodeXbase,
              "DiagCodeXbase", "DIAGCODE.DBF", company, "ID");
    MakeTable(this, LabRxTable, "LabRxTable", LabRxSource, "LabRxSource", LabRxXbase, "LabRxXbase", "LABRX.DBF",
              company, "ID");
    MakeTable(this, RecallTable, "RecallTable", RecallDataSource, "RecallDataSource", RecallXbase, "RecallXbase",
              "RECALL.DBF", company, NoIndex);
    MakeTable(this, CalendarTable, "CalendarTable", CalendarSource, "CalendarSource", CalendarXbase, "CalendarXbase",
              "CALENDAR.DBF", company, NoIndex);
    MakeTable(this, ScheduleTable, "ScheduleTable", ScheduleSource, "ScheduleSource", ScheduleXbase, "ScheduleXbase",
              "schedule.dbf", company, NoIndex);
    MakeTable(this, PatternTable, "PatternTable", PatternSource, "PatternSource", PatternXbase, "PatternXbase",
              "pattern.dbf", company, NoIndex);
}

std::vector<TTable*> TDataModule1::companyTables() const {
    return {PatientTable,    SalesTable,      SalesDetailTable, InsTable,     InsDetailTable, CPTCodeTable,
            DiagCodeTable,   IncidentTable,   PersonnelTable,   AccountTable, LedgerTable,    ItemTable,
            PaymentTable,    PaymentDtlTable, DepositTable,     DepositDtlTable, InsCompTable, LabRxTable,
            RecallTable,     PatternTable};
}

// ---------------------------------------------------------------------------
// Switching, opening and closing

void TDataModule1::ChangeDataDirectory(const std::string& Folder) {
    if (!os::DirectoryExists(Folder))
        return;
    CloseFiles();
    Application->ProcessMessages();
    Database1->Close();
    std::string folder = WithoutTrailingSeparator(Folder);
    Database1->Params().Clear();
    Database1->Params().Add("path=" + folder);
    Database1->Open();
    Application->ProcessMessages();
    DataDirectory = folder;
    OpenFiles();
}

void TDataModule1::OpenFiles() {
    OpeningAbandoned = false;
    if (mainForm_)
        mainForm_->SetCaption(OpeningCaption);

    // Company paths come from the installation root, which is also where
    // the process stands once a company is open.
    std::filesystem::current_path(os::InstallRoot());
    // Documents a stopped workstation left half written go before anything reads the tables.
    TDocumentScope::OpenCompany(DataDirectory);

    int build = companyBuild();
    if (build < ProgramBuild)
        UpgradeFromBuild(build);

    if (OpeningAbandoned) {
        if (mainForm_) {
            mainForm_->DisableMainMenu();
            mainForm_->EnableFilesOnlyMenu();
            mainForm_->SetCaption(ClosedCaption);
        }
        return;
    }

    os::ForceDirectories(os::MapPath(ScratchTables::Folder));

    countOpening(probeExclusive());

    if (const auto unusable = IndexCheck::UnusableIndexes(DataDirectory); !unusable.empty()) {
        // A new company has no index file yet: its first indexes are built quietly.
        if (!os::ListFiles(os::MapPath(DataDirectory), "*.nsx").empty())
            MessageDlg(UnusableIndexNotice(unusable), mtWarning, {mbOK});
        rebuildIndexes();
        // The rebuild closed the company, counting this workstation out; it
        // holds the company again from here on.
        if (!counted_)
            countOpening(false);
    }
    OpenTables();

    WithSettingsMessage([&] { Vo97Ini::File().Write(Vo97Ini::DataDirectory, DataDirectory); });
    if (mainForm_)
        mainForm_->SetCaption(DataDirectory);
}

int TDataModule1::companyBuild() const {
    const std::string company = InstallLayout::companyNameOfDataFolder(DataDirectory);
    int build = CompanyRegistry::File(company).Read(CompanyRegistry::Build);
    if (build != CompanyRegistry::Build.Default)
        return build;
    // The installation may have moved: look beside the last company used.
    std::string lastUsed = Vo97Ini::File().Read(Vo97Ini::DataDirectory);
    if (lastUsed.empty())
        return build;
    std::string root = ParentFolder(ParentFolder(lastUsed));
    std::string registry = os::IncludeTrailingPathDelimiter(root) + "Company/" + company + ".ini";
    return TSettingsFile(registry).Read(CompanyRegistry::Build);
}

bool TDataModule1::probeExclusive() {
    XbaseEnv1->ErrorLevel(QuietErrorLevel);
    bool sole = false;
    PatientTable->SetExclusive(true);
    try {
        PatientTable->Open();
        sole = true;
    } catch (const Exception&) {
        // Another workstation has the company open: no error.
    }
    PatientTable->Close();
    PatientTable->SetExclusive(false);
    XbaseEnv1->ErrorLevel(NormalErrorLevel);
    return sole;
}

void TDataModule1::countOpening(bool WarnWhenSole) {
    WithSettingsMessage([&] {
        int before = CompanyIni::CountOpening(DataDirectory);
        counted_ = true;
        if (WarnWhenSole && before != 0)
            MessageDlg(NotClosedProperlyWarning, mtWarning, {mbOK});
    });
}

void TDataModule1::rebuildIndexes() {
    auto* dialog = new TRebuildDlg(nullptr, this);
    dialog->RebuildFiles(this, false);
}

void TDataModule1::stampBuild() {
    WithSettingsMessage([&] {
        CompanyRegistry::File(InstallLayout::companyNameOfDataFolder(DataDirectory))
            .Write(CompanyRegistry::Build, ProgramBuild);
    });
}

void TDataModule1::OpenTables() {
    Application->ProcessMessages();
    for (TTable* table : companyTables())
        table->SetExclusive(false);

    // The name each table is reported by when it cannot be opened.
    const std::pair<TTable*, const char*> opened[] = {
        {PatientTable, "Patient.dbf"},   {SalesTable, "Sales.dbf"},       {SalesDetailTable, "SalesDtl.dbf"},
        {InsTable, "Ins.dbf"},           {InsDetailTable, "InsDtl.dbf"},  {CPTCodeTable, "CptCode.dbf"},
        {DiagCodeTable, "DiagCode.dbf"}, {IncidentTable, "Incident.dbf"}, {PersonnelTable, "Personne.dbf"},
        {AccountTable, "Acct.dbf"},      {LedgerTable, "Ledger.dbf"},     {ItemTable, "Item.dbf"},
        {PaymentTable, "Pymt.dbf"},      {PaymentDtlTable, "PymtDtl.dbf"}, {DepositTable, "Deposit.dbf"},
        {DepositDtlTable, "DeposDtl.dbf"}, {InsCompTable, "InsComp.dbf"}, {LabRxTable, "LabRx.dbf"},
        {PatternTable, "Pattern.dbf"},
    };
    for (const auto& [table, name] : opened) {
        // Another workstation opening the company at this moment holds a
        // table for a moment (its exclusive probe): it is waited for.
        IndexCheck::WithinTableWait([&] { return tryOpen(table) || !tableFileExists(table); });
        if (!table->Active()) {
            MessageDlg(std::string("Could not open ") + name, mtWarning, {mbOK});
            if (mainForm_)
                mainForm_->Close();
        }
    }
    for (const auto& [table, name] : opened)
        if (table->Active())
            table->First();
}

bool TDataModule1::tryOpen(TTable* Table) {
    try {
        Table->Open();
    } catch (const Exception&) {
    }
    return Table->Active();
}

bool TDataModule1::tableFileExists(TTable* Table) const {
    return os::FileExists(os::MapPath(Schemas::tableFileName(DataDirectory, Table->TableName())));
}

void TDataModule1::CloseFiles() {
    if (counted_) {
        counted_ = false;
        WithSettingsMessage([&] { CompanyIni::countClosing(DataDirectory); });
    }
    for (TTable* table : companyTables())
        table->Close();
    TDocumentScope::CloseCompany();
    Application->ProcessMessages();
}
