#include "ui/PrintOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "base/DateTime.h"
#include "os/Paths.h"
#include "ui/Text1252.h"

namespace {

const char* const PrintDirVariable = "QUENMARK_PRINT_DIR";
const char* const DocumentsSubfolder = "/Quenmark";
const char* const StampFormat = "yyyy-mm-dd hh-nn-ss";
// A name taken this many times over in one second is not worth more tries.
constexpr int MaxNameTries = 1000;

TPrintedHook& printedHook() {
    static TPrintedHook hook;
    return hook;
}

// The caption as a file name (UTF-8): characters other programs stumble
// over become "_", trailing blanks and dots go.
std::string fileNameOf(const std::string& Caption) {
    QString name = ToQString(Caption);
    for (QChar& c : name)
        if (c.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    while (!name.isEmpty() && (name.back() == QLatin1Char(' ') || name.back() == QLatin1Char('.')))
        name.chop(1);
    return name.isEmpty() ? std::string("Print") : name.toStdString();
}

// Makes Path when no file has it; false when it exists or cannot be made.
bool claim(const std::string& Path) {
    const int fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool isBareName(const std::string& Name) {
    return os::ExtractFileName(Name) == Name && Name.find(':') == std::string::npos;
}

}  // namespace

std::string printFolder() {
    if (const char* folder = std::getenv(PrintDirVariable); folder && *folder)
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString() + DocumentsSubfolder;
}

std::string newPrintFile(const std::string& Caption) {
    const std::string folder = printFolder();
    if (!os::ForceDirectories(folder))
        return "";
    const std::string stem = folder + "/" + fileNameOf(Caption) + " " + FormatDateTime(StampFormat, Now());
    for (int n = 1; n <= MaxNameTries; ++n) {
        const std::string path = stem + (n == 1 ? std::string() : " (" + std::to_string(n) + ")") + ".pdf";
        if (claim(path))
            return path;
        if (errno != EEXIST)
            return "";
    }
    return "";
}

std::string printFilePath(const std::string& Name) {
    if (!isBareName(Name))
        return os::MapPath(Name);
    const std::string folder = printFolder();
    os::ForceDirectories(folder);
    return folder + "/" + Name;
}

void setPrintedHook(TPrintedHook Hook) { printedHook() = std::move(Hook); }

void announcePrinted(const std::string& File) {
    if (printedHook())
        printedHook()(File);
}
