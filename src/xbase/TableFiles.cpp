#include "xbase/TableFiles.h"

#include <fstream>

#include "base/SysUtils.h"
#include "os/Paths.h"

int DriverFromName(const char* Name) {
    if (!Name)
        return UnknownDriver;
    for (int driver : {XB_DRIVER_NTX, XB_DRIVER_FOX, XB_DRIVER_NSX})
        if (SameText(Name, DriverName(driver)))
            return driver;
    return UnknownDriver;
}

std::string DriverName(int Driver) {
    switch (Driver) {
    case XB_DRIVER_NTX: return "SXNTX";
    case XB_DRIVER_FOX: return "SXFOX";
    case XB_DRIVER_NSX: return "SXNSX";
    default: return "";
    }
}

namespace {

bool CompanionExists(const std::string& Path, const char* Ext) {
    return os::FileExists(os::MapPath(os::ChangeFileExt(Path, Ext)));
}

}  // namespace

int probeDriver(const std::string& Path, bool ForDelete) {
    std::ifstream file(os::MapPath(Path), std::ios::binary);
    char first = 0;
    const int unknown = ForDelete ? UnknownDriver : XB_DRIVER_FOX;
    if (!file.get(first))
        return unknown;
    switch (static_cast<unsigned char>(first)) {
    case 0x03:
    case 0x06:
        if (CompanionExists(Path, ".CDX"))
            return XB_DRIVER_FOX;
        if (CompanionExists(Path, ".NSX"))
            return XB_DRIVER_NSX;
        if (ForDelete && CompanionExists(Path, ".MDX"))
            return UnknownDriver;
        return XB_DRIVER_FOX;
    case 0x83:
    case 0x86: return XB_DRIVER_NTX;
    case 0xE5:
    case 0xE6: return XB_DRIVER_NSX;
    case 0xF5:
    case 0xF6: return XB_DRIVER_FOX;
    default: return unknown;
    }
}

std::string tableAlias(const std::string& FileName, const std::function<bool(const std::string&)>& AliasTaken) {
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

std::vector<std::string> tableFiles(const std::string& TablePath, int Driver) {
    std::vector<const char*> companions;
    switch (Driver) {
    case XB_DRIVER_NTX: companions = {".DBT"}; break;
    case XB_DRIVER_FOX: companions = {".FPT", ".CDX"}; break;
    case XB_DRIVER_NSX: companions = {".SMT", ".NSX"}; break;
    default: return {};
    }
    std::vector<std::string> files{TablePath};
    for (const char* ext : companions)
        files.push_back(os::ChangeFileExt(TablePath, ext));
    return files;
}

bool hasDirectory(const std::string& TableName) {
    return TableName.find_first_of("\\:") != std::string::npos || (!TableName.empty() && TableName[0] == '/');
}

std::string normalizeDirectory(const std::string& Dir) {
    if (Dir.empty())
        return ".\\";
    char last = Dir.back();
    return last == ':' || last == '\\' || last == '/' ? Dir : Dir + "\\";
}
