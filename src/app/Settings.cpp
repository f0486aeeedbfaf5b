#include "app/Settings.h"

#include "app/InstallLayout.h"

namespace Vo97Ini {

TSettingsFile File() { return TSettingsFile("VO97.ini"); }

}  // namespace Vo97Ini

namespace CompanyIni {

TSettingsFile File(const std::string& DataDirectory) {
    return TSettingsFile(InstallLayout::companySettingsFileName(DataDirectory));
}

int CountOpening(const std::string& DataDirectory) {
    return File(DataDirectory).Update(OpenCount, [](int Old) { return Old < 0 ? 1 : Old + 1; });
}

void countClosing(const std::string& DataDirectory) {
    File(DataDirectory).Update(OpenCount, [](int Old) { return Old > 0 ? Old - 1 : 0; });
}

}  // namespace CompanyIni

namespace CompanyRegistry {

TSettingsFile File(const std::string& CompanyName) {
    return TSettingsFile(InstallLayout::companyRegistryFileName(CompanyName));
}

}  // namespace CompanyRegistry
