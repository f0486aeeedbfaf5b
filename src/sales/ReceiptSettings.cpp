#include "sales/ReceiptSettings.h"

#include "app/MultiLineSetting.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "ui/Dialogs.h"

namespace {

void reportUnreadable(const TTextKey& Key, const std::string& Text, const std::string& Used) {
    ShowMessage("Company.ini [" + std::string(Key.Section) + "] " + std::string(Key.Ident) + " \"" + Text +
                "\" is not a number; " + Used + " is used.");
}

std::string rateText(const std::string& DataDirectory, const TTextKey& Key) {
    const std::string text = CompanyIni::File(DataDirectory).Read(Key);
    if (Cents::TaxRate::fromPercentText(text))
        return text;
    reportUnreadable(Key, text, "0");
    return "0";
}

}  // namespace

namespace ReceiptSettings {

std::string salesTaxRateText(const std::string& DataDirectory) {
    return rateText(DataDirectory, CompanyIni::SalesTaxRate);
}

std::string altTaxRateText(const std::string& DataDirectory) { return rateText(DataDirectory, CompanyIni::AltTaxRate); }

Cents::TaxRate SalesTaxRate(const std::string& DataDirectory) {
    return *Cents::TaxRate::fromPercentText(salesTaxRateText(DataDirectory));
}

Cents::TaxRate AltTaxRate(const std::string& DataDirectory) {
    return *Cents::TaxRate::fromPercentText(altTaxRateText(DataDirectory));
}

int ReceiptCopies(const std::string& DataDirectory) {
    const std::string text = CompanyIni::File(DataDirectory).Read(CompanyIni::ReceiptCopies);
    int copies = 0;
    if (TryStrToInt(text, copies) && copies >= 1)
        return copies;
    reportUnreadable(CompanyIni::ReceiptCopies, text, "1 copy");
    return 1;
}

std::string ReceiptMessage(const std::string& DataDirectory) {
    return MultiLineSetting::Read(CompanyIni::File(DataDirectory), CompanyIni::ReceiptMessage);
}

TLetterhead Letterhead(const std::string& DataDirectory) {
    const TSettingsFile file = CompanyIni::File(DataDirectory);
    return {file.Read(CompanyIni::ReceiptName), file.Read(CompanyIni::ReceiptAddress1),
            file.Read(CompanyIni::ReceiptAddress2),
            file.Read(CompanyIni::ReceiptCity) + ", " + file.Read(CompanyIni::ReceiptState) + " " +
                file.Read(CompanyIni::ReceiptZip),
            file.Read(CompanyIni::ReceiptPhone)};
}

}  // namespace ReceiptSettings
