#pragma once
// The program's three kinds of settings files and every key they hold, each
// with its default. A value is read from the file at each use:
//     CompanyIni::File(dataDirectory).ReadFloat(CompanyIni::SalesTaxRate)
#include <string>
#include <string_view>

#include "app/SettingsFile.h"

// VO97.ini: the workstation's settings, in the Windows folder.
namespace Vo97Ini {

inline constexpr std::string_view NotInstalled = "Not Installed";
inline constexpr std::string_view NoCashDrawer = "No Cash Drawer";

// Full path of the last opened company's data folder.
inline constexpr TTextKey DataDirectory{"Configuration", "DataDirectory", ""};
// Serial port number of the caller-ID modem, or NotInstalled.
inline constexpr TTextKey CallerIDComPort{"Configuration", "CallerIDComPort", NotInstalled};
inline constexpr TTextKey CashDrawerPort{"Configuration", "CashDrawerPort", NoCashDrawer};
inline constexpr TTextKey CashDrawerControlCode{"Configuration", "CashDrawerControlCode", ""};
// Shifts printed lab orders to the right half of the page.
inline constexpr TBoolKey PrntOffset{"LabRx", "PrntOffset", false};

TSettingsFile File();

}  // namespace Vo97Ini

// Company.ini: one company's settings, in its data folder, shared by every
// workstation that opens the company.
namespace CompanyIni {

// Percent and inch values kept as decimal text, saved as typed.
inline constexpr TTextKey SalesTaxRate{"Configuration", "SalesTaxRate", "0.0"};
inline constexpr TTextKey AltTaxRate{"Configuration", "AltTaxRate", "0.0"};
inline constexpr TTextKey HCFA1500XOffset{"Configuration", "HCFA1500XOffset", "0.0"};
inline constexpr TTextKey HCFA1500YOffset{"Configuration", "HCFA1500YOffset", "0.0"};

inline constexpr TTextKey BankAccountNo{"Company", "BankAccountNo", ""};

inline constexpr TTextKey POSCode{"Insurance", "POSCode", ""};
inline constexpr TTextKey BillName{"Insurance", "BillName", ""};
inline constexpr TTextKey BillAddrs{"Insurance", "BillAddrs", ""};
inline constexpr TTextKey BillCity{"Insurance", "BillCity", ""};
inline constexpr TTextKey BillState{"Insurance", "BillState", ""};
inline constexpr TTextKey BillZip{"Insurance", "BillZip", ""};
inline constexpr TTextKey BillPhone{"Insurance", "BillPhone", ""};
inline constexpr TTextKey BillPin{"Insurance", "BillPin", ""};
inline constexpr TTextKey BillGrp{"Insurance", "BillGrp", ""};
inline constexpr TTextKey FedTaxID{"Insurance", "FedTaxID", ""};
// "EIN" or "SSN".
inline constexpr TTextKey FedIdType{"Insurance", "FedIdType", ""};

// The business's name and address printed on forms.
inline constexpr TTextKey ReceiptName{"Receipt", "ReceiptName", ""};
inline constexpr TTextKey ReceiptAddress1{"Receipt", "ReceiptAddress1", ""};
inline constexpr TTextKey ReceiptAddress2{"Receipt", "ReceiptAddress2", ""};
inline constexpr TTextKey ReceiptCity{"Receipt", "ReceiptCity", ""};
inline constexpr TTextKey ReceiptState{"Receipt", "ReceiptState", ""};
inline constexpr TTextKey ReceiptZip{"Receipt", "ReceiptZip", ""};
inline constexpr TTextKey ReceiptPhone{"Receipt", "ReceiptPhone", ""};
inline constexpr TTextKey ReceiptMessage{"Receipt", "ReceiptMessage", ""};
// Integer kept as text, saved as typed.
inline constexpr TTextKey ReceiptCopies{"Receipt", "ReceiptCopies", "1"};

// Sessions that have the company open.
inline constexpr TIntegerKey OpenCount{"Data", "OpenCount", 0};
// Numbers kept as text.
inline constexpr TTextKey LastPatientID{"Data", "LastPatientID", "0"};
inline constexpr TTextKey LastSalesID{"Data", "LastSalesID", "0"};
inline constexpr TTextKey LastPaymentID{"Data", "LastPaymentID", "0"};
inline constexpr TTextKey LastDepositID{"Data", "LastDepositID", "0"};

inline constexpr TTextKey SpectaclesNote{"Postcards", "SpectaclesNote", ""};
inline constexpr TTextKey ContactLensNote{"Postcards", "ContactLensNote", ""};
inline constexpr TTextKey OtherNote{"Postcards", "OtherNote", ""};
inline constexpr TBoolKey PrintMessage{"Postcards", "PrintMessage", true};
inline constexpr TBoolKey PrintReturnAddress{"Postcards", "PrintReturnAddress", true};
inline constexpr TBoolKey PrintOtherReason{"Postcards", "PrintOtherReason", true};

// The Company.ini of the company whose data folder is DataDirectory.
TSettingsFile File(const std::string& DataDirectory);

// A workstation opening the company: OpenCount + 1 under the file's lock; the
// count found before.
int CountOpening(const std::string& DataDirectory);
// A workstation closing it: OpenCount - 1 under the file's lock, never below 0.
void countClosing(const std::string& DataDirectory);

}  // namespace CompanyIni

// The company registry file "<name>.ini" in the Company folder: its existence
// makes the company appear in the "Open Company" dialog.
namespace CompanyRegistry {

// The company name as entered.
inline constexpr TTextKey CompanyFileName{"Configuration", "CompanyFileName", ""};
// The data build of the company; a company without one counts as build 1001.
inline constexpr TIntegerKey Build{"Version", "Build", 1001};

// The registry file of the named company under the installation root.
TSettingsFile File(const std::string& CompanyName);

}  // namespace CompanyRegistry
