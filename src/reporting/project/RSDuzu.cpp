#include "reporting/project/RSDuzu.h"

#include <sys/stat.h>

#include <cctype>
#include <ctime>

#include "base/Streams.h"
#include "base/SysUtils.h"
#include "os/Paths.h"
#include "reporting/project/DZClass.h"
#include "reporting/project/DZCsData.h"
#include "reporting/project/DZCsDraw.h"
#include "reporting/project/DZCsImage.h"
#include "reporting/project/DZCsRpt.h"
#include "reporting/project/DZCsStd.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/RSBase.h"
#include "ui/Dialogs.h"

namespace {

constexpr double kUnixEpochDate = 25569.0;  // 1 January 1970 as a TDateTime

bool onWindowsDrive(const std::string& Path) {
    return Path.size() >= 3 && std::isalpha(static_cast<unsigned char>(Path[0])) && Path[1] == ':' &&
           (Path[2] == '\\' || Path[2] == '/');
}

}  // namespace

TDateTime DuzuFileDate(const std::string& Path) {
    struct stat info {};
    if (Path.empty() || ::stat(Path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
    std::time_t seconds = info.st_mtime;
    std::tm local{};
    localtime_r(&seconds, &local);
    return kUnixEpochDate + (static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff)) / 86400.0;
}

void DuzuRegisterAllClasses() {
    DuzuRegisterClasses();
    DuzuRegisterDataClasses();
    DuzuRegisterStandardClasses();
    DuzuRegisterDrawClasses();
    DuzuRegisterImageClasses();
    DuzuRegisterBandClasses();
    DuzuRegisterDataAwareClasses();
}

TDuzuProject::TDuzuProject(TComponent* AOwner)
    : TRSComponent(AOwner),
      root_(std::make_unique<TDuzuContainerControl>(nullptr)),
      manager_(std::make_unique<TDuzuProjectManager>(nullptr)) {
    manager_->SetName("DuzuProject");
    ::ProjectManager = manager_.get();
    DuzuRegisterAllClasses();
}

TDuzuProject::~TDuzuProject() {
    DoDestroy();
    if (::ProjectManager == manager_.get()) ::ProjectManager = nullptr;
}

void TDuzuProject::Loaded() {
    TRSComponent::Loaded();
    DoCreate();
}

void TDuzuProject::SetEngine(TRSComponent* Value) {
    engine_.set(Value);
}

void TDuzuProject::SetProjectFile(const std::string& Value) {
    projectFile_ = Value;
    if (!Value.empty() && Value.find('.') == std::string::npos) projectFile_ += ".duz";
}

void TDuzuProject::SetStoredProject(const std::string& Bytes, TDateTime Date) {
    stored_ = std::make_unique<std::string>(Bytes);
    storedDate_ = Date;
}

std::string TDuzuProject::ExpandedProjectFile() const {
    if (projectFile_.empty()) return "";
    if (onWindowsDrive(projectFile_))
        return os::IncludeTrailingPathDelimiter(os::ProgramFolder()) + os::ExtractFileName(projectFile_);
    std::string path = os::MapPath(projectFile_);
    if (!path.empty() && path[0] != '/') path = os::IncludeTrailingPathDelimiter(os::MapPath(".")) + path;
    return path;
}

void TDuzuProject::loadDesignerLibrary() {
    std::string file = dllFile_.empty() ? "DUZU.DLL" : dllFile_;
    // No designer library exists for this program.
    RaiseReportError(throughMessageHook("Error loading") + " " + file);
}

void TDuzuProject::Open() {
    if (opened_) return;
    DoBeforeOpen();
    ::ProjectManager = manager_.get();
    if (loadDesigner_) loadDesignerLibrary();
    std::string path = ExpandedProjectFile();
    TDateTime diskDate = DuzuFileDate(path);
    bool useDisk = stored_ == nullptr;
    if (!useDisk && diskDate > storedDate_) {
        std::string question = "The report project stored in the executable is older than the disk file\r\"" + path +
                               "\"\rDo you want to use the file on disk?";
        useDisk = MessageDlg(question, mtWarning, TMsgDlgButtons{mbYes, mbNo}) == mrYes;
    }
    try {
        if (useDisk) {
            if (projectFile_.empty() || !os::FileExists(path))
                RaiseDesignerError("The following reporting project does not exist:\r\"" + path + "\"");
            manager_->SetFileName(path);
            manager_->Load();
        } else {
            TStringStream bytes(*stored_);
            bytes.SetPosition(0);
            manager_->LoadFromStream(&bytes);
        }
    } catch (...) {
        manager_->Clear();
        throw;
    }
    opened_ = true;
    DoAfterOpen();
}

void TDuzuProject::Close() {
    if (opened_) {
        DoBeforeClose();
        ::ProjectManager = manager_.get();
    }
    manager_->Clear();
    opened_ = false;
    DoAfterClose();
}

bool TDuzuProject::SelectReport(const std::string& ReportName, bool FullName) {
    Open();
    for (TDuzuReport* report : manager_->ReportList()) {
        bool match = FullName ? SameText(report->FullName(), ReportName) : SameText(report->Name(), ReportName);
        if (!match) continue;
        manager_->ActivateReport(report);
        return true;
    }
    return false;
}

void TDuzuProject::ExecuteReport(const std::string& ReportName) {
    Open();
    if (!SelectReport(ReportName, false)) return;
    TDuzuReport* report = manager_->ActiveReport();
    report->PrepareRun();
    try {
        report->Execute(engine_);
    } catch (...) {
        report->FinishRun();
        throw;
    }
    report->FinishRun();
}

void TDuzuProject::SetParam(const std::string& Name, const std::string& Value) {
    manager_->SetParamValue(Name, Value);
}
