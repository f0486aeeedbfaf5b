#include "app/PatientExport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "xbase/Qmtable.h"

namespace {

const char* const ExportFileName = "patient.sdf";
constexpr int PatientNumberWidth = 10;

// The export file; closed however the export ends. Every failed write
// raises EInOutError with the system's reason.
class TExportFile {
public:
    explicit TExportFile(const std::string& Path) : path_(Path), file_(std::fopen(Path.c_str(), "wb")) {
        if (!file_)
            fail();
    }
    ~TExportFile() {
        if (file_)
            std::fclose(file_);
    }
    void WriteLine(const std::string& Line) {
        std::string bytes = Line + "\r\n";
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
            fail();
    }
    // Everything reached the disk, or the reason why not.
    void Close() {
        FILE* file = file_;
        file_ = nullptr;
        if (std::fflush(file) != 0) {
            int error = errno;
            std::fclose(file);
            errno = error;
            fail();
        }
        if (std::fclose(file) != 0)
            fail();
    }

private:
    [[noreturn]] void fail() const {
        int error = errno;
        throw EInOutError("Cannot write " + path_ + ": " + std::strerror(error), error);
    }
    std::string path_;
    FILE* file_;
};

std::string Column(TDataSet* Table, const char* FieldName) {
    TField* field = Table->FieldByName(FieldName);
    return AppUtils::PadRight(AppUtils::FixedColumnText(field->AsString()), field->Size());
}

std::string AddressLine(TDataSet* Patients) {
    return Column(Patients, "RecName") +
           AppUtils::PadRight(Trim(Patients->FieldByName("ID")->AsString()), PatientNumberWidth) +
           Column(Patients, "Name") + Column(Patients, "Addr") + Column(Patients, "City") +
           Column(Patients, "State") + Column(Patients, "Zip");
}

// The progress bar in view for the export's duration.
class TProgressShown {
public:
    TProgressShown(TProgressBar* Bar, int Max) : bar_(Bar) {
        if (!bar_)
            return;
        bar_->SetColor(clWhite);
        bar_->SetMin(0);
        bar_->SetMax(Max);
        bar_->SetStep(1);
        bar_->SetPosition(0);
        bar_->Show();
    }
    ~TProgressShown() {
        if (bar_)
            bar_->Hide();
    }
    void StepIt() {
        if (!bar_)
            return;
        bar_->StepIt();
        // Painted now: nothing else may run while the patient table is walked.
        bar_->Update();
    }

private:
    TProgressBar* bar_;
};

}  // namespace

namespace PatientExport {

bool patientAddressesSDF(TDataModule1& Module, TProgressBar* Progress) {
    const std::string path =
        os::MapPath(os::IncludeTrailingPathDelimiter(Module.DataDirectory) + ExportFileName);
    TQmTable* patients = Module.PatientTable;
    // No company open: the dataset's own error, and no file.
    patients->CheckActive();
    try {
        TExportFile file(path);
        patients->SetIndexName("RecName");
        {
            TProgressShown shown(Progress, patients->RecordCount());
            for (patients->First(); !patients->Eof(); patients->Next()) {
                file.WriteLine(AddressLine(patients));
                shown.StepIt();
            }
        }
        file.Close();
    } catch (const EInOutError& e) {
        MessageDlg(e.Message(), mtError, {mbOK});
        return false;
    }
    ShowMessage("Patient addresses saved to " + path);
    return true;
}

}  // namespace PatientExport
