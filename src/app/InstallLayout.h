#pragma once
// Where a company's files live under the installation root: its registry file
// "<root>/Company/<name>.ini", which the "Open Company" dialog lists, and its
// data folder "<root>/Data/<name>", holding its tables and Company.ini.
#include <string>

namespace InstallLayout {

std::string companyFolder();
std::string DataFolder();
std::string companyRegistryFileName(const std::string& CompanyName);
std::string companyDataFolder(const std::string& CompanyName);
// The company's own settings file inside its data folder.
std::string companySettingsFileName(const std::string& DataDirectory);
// The company name is the data folder's last component ("" for an empty path).
std::string companyNameOfDataFolder(const std::string& DataDirectory);

}  // namespace InstallLayout
