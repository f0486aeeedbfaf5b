#include "sales/DepositRecord.h"

#include "app/Cents.h"
#include "app/DataModule.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "data/Fields.h"
#include "reporting/RSBase.h"
#include "sales/DepositDocument.h"
#include "xbase/Qmtable.h"

namespace {

const char* const MoneyFormat = "###,##0.00";
const char* const Font = "Arial";

std::string money(Currency Value) { return FormatCurr(MoneyFormat, Value); }

std::string trimmed(const std::string& s) { return Trim(s); }

// Three stops: a left-aligned one at Pos, then two right after each other.
void setTabs(TBaseReport& R, double Pos, TPrintJustify First, TPrintJustify Second, double FirstWidth) {
    R.ClearTabs();
    R.SetTab(Pos, First, FirstWidth, 0.1, BOXLINENONE, 0);
    R.SetTab(NA, Second, 0.7, 0.1, BOXLINENONE, 0);
    R.SetTab(NA, pjRight, 0.9, 0.1, BOXLINENONE, 0);
}

}  // namespace

TDepositRecord depositRecordOf(TDataModule1& Module, const TDepositDocument& Document) {
    TDepositRecord record;
    TTable* temp5 = Module.Temp5Table;
    record.Date = temp5->FieldByName("Date")->AsDateTime();
    record.BatchNo = trimmed(temp5->FieldByName("BatchNo")->AsString());
    record.DepositID = Document.SelectedDepositID();
    record.Type = Document.DepositType();
    record.CurrencyAmount = Document.CurrencyTotal();
    record.Coins = Document.Coins();
    TTable* temp6 = Module.Temp6Table;
    for (temp6->First(); !temp6->Eof(); temp6->Next())
        record.Items.push_back({trimmed(temp6->FieldByName("Name")->AsString()),
                                trimmed(temp6->FieldByName("Number")->AsString()),
                                trimmed(temp6->FieldByName("Type")->AsString()),
                                Cents::read(temp6->FieldByName("Amount")), temp6->FieldByName("Tag")->AsBoolean()});
    temp6->First();

    TSettingsFile company = CompanyIni::File(Module.DataDirectory);
    record.BankAccountNo = company.Read(CompanyIni::BankAccountNo);
    record.ReceiptName = company.Read(CompanyIni::ReceiptName);
    record.ReceiptAddress1 = company.Read(CompanyIni::ReceiptAddress1);
    record.ReceiptAddress2 = company.Read(CompanyIni::ReceiptAddress2);
    record.ReceiptCity = company.Read(CompanyIni::ReceiptCity);
    record.ReceiptState = company.Read(CompanyIni::ReceiptState);
    record.ReceiptZip = company.Read(CompanyIni::ReceiptZip);
    record.ReceiptPhone = company.Read(CompanyIni::ReceiptPhone);
    return record;
}

void printDepositRecord(TBaseReport& R, const TDepositRecord& Record) {
    const bool charges = Record.Type == 1;
    // A charges deposit holds no currency or coins.
    const Currency currency = charges ? Currency() : Record.CurrencyAmount;
    const Currency coins = charges ? Currency() : Record.Coins;

    R.SetFont(Font, 12);
    R.SetBold(false);
    R.PrintXY(0.5, 0.7, FormatDateTime("m/d/yyyy", Record.Date));
    R.PrintXY(0.5, 1.0, "Acct: " + Record.BankAccountNo);
    R.SetFont(Font, 14);
    R.SetBold(true);
    R.PrintXY(2.2, 0.7, "Deposit Record");
    R.SetFont(Font, 12);
    R.SetBold(false);
    R.PrintXY(2.2, 0.9, Record.DepositID);
    R.MoveTo(0.5, 1.15);
    R.LineTo(3.75, 1.15);

    // The letterhead, centred under the heading; an empty line keeps its place.
    R.SetFont(Font, 10);
    R.SetBold(true);
    R.SetXPos(0.5);
    R.SetYPos(1.35);
    R.PrintCenter(Record.ReceiptName, 2.125);
    R.NewLine();
    R.SetBold(false);
    for (const std::string& line :
         {Record.ReceiptAddress1, Trim(Record.ReceiptAddress2),
          Record.ReceiptCity + ", " + Record.ReceiptState + " " + Record.ReceiptZip, Record.ReceiptPhone}) {
        R.PrintCenter(line, 2.125);
        R.NewLine();
    }
    R.SetFont(Font, 12);
    R.MoveTo(0.5, 2.1);
    R.LineTo(3.75, 2.1);

    setTabs(R, 0.8, pjLeft, pjRight, 1.3);
    R.SetBold(true);
    if (!charges) {
        R.PrintXY(0.5, 2.5, "Currency");
        R.PrintXY(0.5, 2.9, "Coins");
        R.PrintXY(0.5, 3.5, "Checks");
        R.SetYPos(2.5);
        R.Print("\t\t\t" + money(currency));
        // A new line starts the tab stops over, so the coins land in the third stop too.
        R.NewLine();
        R.SetYPos(2.9);
        R.Print("\t\t\t" + money(coins));
    } else {
        R.PrintXY(0.5, 2.5, "Batch# " + Record.BatchNo);
        R.PrintXY(0.5, 3.5, "Charges");
        R.NewLine();
    }

    R.SetFont(Font, 12);
    R.SetBold(false);
    R.SetColumns(2, 0.5);
    R.SetXPos(0.5);
    R.SetYPos(3.8);
    R.SetFont(Font, 10);
    setTabs(R, 0.5, pjLeft, pjLeft, 1.3);
    Currency listed;
    for (const TDepositRecord::TItem& item : Record.Items) {
        if (!item.Ticked || item.Type == "Cash")
            continue;
        R.PrintTab(item.Name);
        R.PrintTab(item.Number);
        R.PrintTab(money(item.Amount));
        R.NewLine();
        listed += item.Amount;
    }

    R.SetFont(Font, 12);
    R.SetBold(true);
    setTabs(R, 0.8, pjRight, pjRight, 1.3);
    R.NewLine();
    R.NewLine();
    R.PrintTab(charges ? "Total Charges" : "Total Checks");
    R.PrintTab("");
    R.PrintTab(money(listed));
    for (int i = 0; i < 3; ++i)
        R.NewLine();
    R.PrintTab("Total Deposit");
    R.PrintTab("");
    R.PrintTab(money(currency + coins + listed));
}
