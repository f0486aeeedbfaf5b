#include "app/HelpFile.h"

#include "os/Paths.h"
#include "os/ProcessStart.h"
#include "ui/Dialogs.h"

namespace {

const char* const HtmlHelp = "QMHelp.html";
const char* const PdfHelp = "QMHelp.pdf";
const char* const Viewer = "xdg-open";

std::string InProgramFolder(const char* Name) {
    return os::MapPath(os::IncludeTrailingPathDelimiter(os::InstallRoot()) + "program/" + Name);
}

}  // namespace

namespace HelpFile {

std::string helpFileName() {
    for (const char* name : {HtmlHelp, PdfHelp}) {
        std::string path = InProgramFolder(name);
        if (os::FileExists(path))
            return path;
    }
    return "";
}

bool showContents() {
    std::string path = helpFileName();
    // The path is one argument however many blanks or quotes it holds.
    if (!path.empty() && os::StartProgram(Viewer, {path}))
        return true;
    MessageDlg(std::string("Failed to execute ") + (path.empty() ? HtmlHelp : os::ExtractFileName(path)), mtError,
               {mbOK});
    return false;
}

}  // namespace HelpFile
