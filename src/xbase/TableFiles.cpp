#include "xbase/TableFiles.h"

#include <fstream>

#include "base/SysUtils.h"
#include "os/Paths.h"

int DriverFromName(const char* Name) {
    if (!Name)
        return 0;
    static const char* const names[] = {"SXNTX", "SXFOX", "SXNSX"};
    for (int driver = 1; driver <= 3; ++driver)
        if (SameText(Name, names[driver - 1]))
            return driver;
    return 0;
}

std::string DriverName(int Driver) {
    switch (Driver) {
    case 1: return "SXNTX";
    case 2: return "SXFOX";
    case 3: return "SXNSX";
    default: return "";
    }
}

namespace {

bool CompanionExists(const std::string& Path, const char* Ext) {
    return os::FileExists(os::MapPath(os::ChangeFileExt(Path, Ext)));
}

}  // namespace

int ProbeDriver(const std::string& Path, bool ForDelete) {
    std::ifstream file(os::MapPath(Path), std::ios::binary);
    char first = 0;
    if (!file.get(first))
        return ForDelete ? 0 : 2;
    switch (static_cast<unsigned char>(first)) {
    case 0x03:
    case 0x06:
        if (CompanionExists(Path, ".CDX"))
            return 2;
        if (CompanionExists(Path, ".NSX"))
            return 3;
        if (ForDelete && CompanionExists(Path, ".MDX"))
            return 0;
        return 2;
    case 0x83:
    case 0x86: return 1;
    case 0xE5:
    case 0xE6: return 3;
    case 0xF5:
    case 0xF6: return 2;
    default: return ForDelete ? 0 : 2;
    }
}

std::string TableAlias(const std::string& FileName, const std::function<bool(const std::string&)>& AliasTaken) {
    std::string base = os::ExtractFileName(FileName);
    std::string ext = os::ExtractFileExt(base);
    base = base.substr(0, base.size() - ext.size()).substr(0, 8);
    std::string alias = base;
    for (char& c : alias)
        if (c == '~' || c == '-' || c == ' ')
            c = '_';
    for (int counter = 1; AliasTaken(alias); ++counter)
        alias = base + "_" + std::to_string(counter);
    return alias;
}

std::vector<std::string> TableFiles(const std::string& TablePath, int Driver) {
    static const char* const companions[4][2] = {
        {nullptr, nullptr}, {".DBT", nullptr}, {".FPT", ".CDX"}, {".SMT", ".NSX"}};
    if (Driver < 1 || Driver > 3)
        return {};
    std::vector<std::string> files{TablePath};
    for (const char* ext : companions[Driver])
        if (ext)
            files.push_back(os::ChangeFileExt(TablePath, ext));
    return files;
}

bool HasDirectory(const std::string& TableName) {
    return TableName.find_first_of("\\:") != std::string::npos || (!TableName.empty() && TableName[0] == '/');
}

std::string NormalizeDirectory(const std::string& Dir) {
    if (Dir.empty())
        return ".\\";
    char last = Dir.back();
    return last == ':' || last == '\\' || last == '/' ? Dir : Dir + "\\";
}
