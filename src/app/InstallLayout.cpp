#include "app/InstallLayout.h"

#include "os/Paths.h"

namespace InstallLayout {

std::string CompanyFolder() { return os::IncludeTrailingPathDelimiter(os::InstallRoot()) + "Company"; }

std::string DataFolder() { return os::IncludeTrailingPathDelimiter(os::InstallRoot()) + "Data"; }

std::string CompanyRegistryFileName(const std::string& CompanyName) {
    return os::IncludeTrailingPathDelimiter(CompanyFolder()) + CompanyName + ".ini";
}

std::string CompanyDataFolder(const std::string& CompanyName) {
    return os::IncludeTrailingPathDelimiter(DataFolder()) + CompanyName;
}

std::string CompanySettingsFileName(const std::string& DataDirectory) {
    return os::IncludeTrailingPathDelimiter(DataDirectory) + "Company.ini";
}

std::string CompanyNameOfDataFolder(const std::string& DataDirectory) {
    std::string folder = DataDirectory;
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return os::ExtractFileName(folder);
}

}  // namespace InstallLayout
