#include "app/Settings.h"

#include "app/InstallLayout.h"

namespace Vo97Ini {

TSettingsFile File() { return TSettingsFile("VO97.ini"); }

}  // namespace Vo97Ini

namespace CompanyIni {

TSettingsFile File(const std::string& DataDirectory) {
    return TSettingsFile(InstallLayout::CompanySettingsFileName(DataDirectory));
}

}  // namespace CompanyIni

namespace CompanyRegistry {

TSettingsFile File(const std::string& CompanyName) {
    return TSettingsFile(InstallLayout::CompanyRegistryFileName(CompanyName));
}

}  // namespace CompanyRegistry
