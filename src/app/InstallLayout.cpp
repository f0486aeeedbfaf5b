#include "app/InstallLayout.h"

#include "os/Paths.h"

namespace InstallLayout {

std::string companyFolder() { return os::IncludeTrailingPathDelimiter(os::InstallRoot()) + "Company"; }

std::string DataFolder() { return os::IncludeTrailingPathDelimiter(os::InstallRoot()) + "Data"; }

std::string companyRegistryFileName(const std::string& CompanyName) {
    return os::IncludeTrailingPathDelimiter(companyFolder()) + CompanyName + ".ini";
}

std::string companyDataFolder(const std::string& CompanyName) {
    return os::IncludeTrailingPathDelimiter(DataFolder()) + CompanyName;
}

std::string companySettingsFileName(const std::string& DataDirectory) {
    return os::IncludeTrailingPathDelimiter(DataDirectory) + "Company.ini";
}

std::string companyNameOfDataFolder(const std::string& DataDirectory) {
    std::string folder = DataDirectory;
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return os::ExtractFileName(folder);
}

}  // namespace InstallLayout
