#include "app/NewCompany.h"

#include "app/DialogButtons.h"
#include "app/InstallLayout.h"
#include "app/ProgramBuild.h"
#include "app/Schemas.h"
#include "app/Settings.h"
#include "base/Exceptions.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/EngineGlue.h"
#include "xbase/Xbase.h"

namespace {

const char* const NoSpaces = "No spaces allowed in company filename.";
const char* const OnlyPlainCharacters = "Only letters, digits, _ and - are allowed in company filename.";
const char* const AlreadyExists = "Company already exists!";
const char* const NoDirectory = "The directory does not exist.";

bool PlainCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

}  // namespace

namespace NewCompany {

std::string nameProblem(const std::string& Name) {
    if (Name.find(' ') != std::string::npos)
        return NoSpaces;
    // Anything else would reach outside the Company and Data folders ("..",
    // "/") or make a name the file system or the settings files refuse.
    for (char c : Name)
        if (!PlainCharacter(c))
            return OnlyPlainCharacters;
    if (Name.size() > MaxNameLength)
        return OnlyPlainCharacters;
    return "";
}

}  // namespace NewCompany

TNewCompanyDlg::TNewCompanyDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName("NewCompanyDlg");
    frameDialog(this, "New Company");
    SetBounds(0, 0, 300, 140);

    Label1 = place<TLabel>(this, 24, 16, 200, 16, "Filename for New Company");
    CompanyFilenameEdit = place<TEdit>(this, 24, 36, 240, 21);
    CompanyFilenameEdit->SetMaxLength(NewCompany::MaxNameLength);
    CompanyFilenameEdit->SetHint("Enter the filename that you will use to select the new company.");
    CompanyFilenameEdit->SetShowHint(true);
    Label1->SetFocusControl(CompanyFilenameEdit);

    placeOKCancel(this, 64, 152, 72, OKBtn, CancelBtn, &TNewCompanyDlg::OKBtnClick, &TNewCompanyDlg::CancelBtnClick);

    // The accounts are written through the dataset classes.
    registerEngineGlue();
    Xbase1 = new TXbase(this);
    Table1 = new TTable(this);
    Table1->SetTableType(ttSXNSX);
    DataSource1 = new TDataSource(this);
    DataSource1->SetDataSet(Table1);

    OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
}

void TNewCompanyDlg::OKBtnClick(TObject*) {
    const std::string name = CompanyFilenameEdit->Text();
    if (name.empty()) {
        SetModalResult(mrCancel);
        return;
    }
    std::string problem = NewCompany::nameProblem(name);
    if (!problem.empty()) {
        ShowMessage(problem);
        CompanyFilenameEdit->SetFocus();
        return;
    }
    const std::string folder = InstallLayout::companyDataFolder(name);
    if (os::DirectoryExists(folder)) {
        ShowMessage(AlreadyExists);
        SetModalResult(mrCancel);
        return;
    }

    try {
        os::ForceDirectories(InstallLayout::companyFolder());
        TSettingsFile registry = CompanyRegistry::File(name);
        registry.Write(CompanyRegistry::CompanyFileName, name);
        registry.Write(CompanyRegistry::Build, ProgramBuild);
    } catch (const EIniFileException& e) {
        ShowMessage(e.Message());
        SetModalResult(mrCancel);
        return;
    }
    os::ForceDirectories(folder);
    Table1->SetDatabaseName(folder);
    CreateDataFiles(folder);
    SetModalResult(mrOk);
}

void TNewCompanyDlg::CancelBtnClick(TObject*) { SetModalResult(mrCancel); }

void TNewCompanyDlg::CreateDataFiles(const std::string& Folder) {
    if (!os::DirectoryExists(Folder)) {
        ShowMessage(NoDirectory);
        return;
    }
    // The tables are made in the folder by path; the current folder stays.
    using TCreate = bool (*)(TXbase*, const std::string&);
    const TCreate creates[] = {
        CreatePatient,  CreateSales,    CreateSalesDtl, CreatePymt,     CreatePymtDtl, CreatePersonne, CreateLedger,
        CreateItem,     CreateIns,      CreateInsDtl,   CreateInsComp,  CreateIncident, CreateDeposit, CreateDeposDtl,
        CreateCptCode,  CreateDiagCode, CreateLabRx,    CreateRecall,   CreateCalendar, CreateSchedule, CreatePattern,
    };
    for (TCreate create : creates)
        create(Xbase1, Folder);
    CreateAcct(Xbase1, Table1, Folder);
}
