#include "reports/StatementParts.h"

#include <cmath>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "ui/Graphics.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace Statement {

namespace {

constexpr TColor Grey = static_cast<TColor>(0xE8E8E8);
constexpr const char* RowPicture = "###,###,##0.00;;0";
constexpr const char* BoxPicture = "###,##0.00";
// Account 4 is Accounts Receivable.
const std::string ReceivableAccount = AppUtils::PadLeft("4", 10);
constexpr int PrintedRows = 10;

std::string text(TDataSet& Table, const char* Field) { return Trim(Table.FieldByName(Field)->AsString()); }

// "City, State Zip"; empty when all three are, so a missing address or
// settings file leaves an empty line rather than a lone comma.
std::string cityLine(const std::string& City, const std::string& State, const std::string& Zip) {
    if (City.empty() && State.empty() && Zip.empty()) return "";
    return City + ", " + State + " " + Zip;
}

TLines3 addressLines(TDataSet& Table, const char* Name, const char* Street, const char* City, const char* State,
                     const char* Zip) {
    return {text(Table, Name), text(Table, Street), cityLine(text(Table, City), text(Table, State), text(Table, Zip))};
}

}  // namespace

TLines5 Letterhead(const std::string& DataDirectory) {
    TLines5 lines;
    try {
        const TSettingsFile company = CompanyIni::File(DataDirectory);
        const auto read = [&](const TTextKey& Key) { return company.Read(Key); };
        lines = {read(CompanyIni::ReceiptName), read(CompanyIni::ReceiptAddress1), read(CompanyIni::ReceiptAddress2),
                 cityLine(read(CompanyIni::ReceiptCity), read(CompanyIni::ReceiptState),
                          read(CompanyIni::ReceiptZip)),
                 read(CompanyIni::ReceiptPhone)};
    } catch (const Exception&) {
        // A settings file that cannot be read leaves the letterhead empty.
        lines = {};
    }
    return lines;
}

TLines3 patientLines(TDataSet& Patient) { return addressLines(Patient, "NAME", "ADDR", "CITY", "STATE", "ZIP"); }

TLines3 billToLines(TDataSet& Patient) {
    if (text(Patient, "BILLNAME").empty()) return patientLines(Patient);
    return addressLines(Patient, "BILLNAME", "BILLADDR", "BILLCITY", "BILLSTATE", "BILLZIP");
}

std::string patientNumber(TDataSet& Patient) {
    TField* id = Patient.FieldByName("ID");
    if (id->IsNull() || text(Patient, "ID").empty()) return "";
    // Patients are numbered from 1; a blank number may read as 0.
    const long long number = std::llround(id->AsFloat());
    return number > 0 ? IntToStr(number) : "";
}

std::string accountNumber(const std::string& patientNumber) { return AppUtils::PadRight(patientNumber, 10); }

std::string statementDate() { return FormatDateTime("m/d/yyyy", Date()); }

TAgingTotals ageReceipts(TDataModule1& Module, const std::string& patientNumber) {
    TAgingTotals aging;
    TTable* sales = Module.SalesTable;
    sales->SetIndexName("PatID");
    if (patientNumber.empty()) return aging;
    // PATID is numeric: its key is the number right-aligned in 10 places.
    Module.SalesXbase->SetScope(AppUtils::PadLeft(patientNumber, 10), "");
    const TDateTime today = Date();
    for (sales->First(); !sales->Eof(); sales->Next())
        aging.add(sales->FieldByName("DUEDATE")->AsDateTime(), today, sales->FieldByName("BALANCE")->AsCurrency());
    Module.SalesXbase->SetScope("", "");
    return aging;
}

void TReceivableRows::start(const std::string& accountNumber) {
    rowCount_ = rowNumber_ = 0;
    balance_ = Currency(0);
    scoped_ = !Trim(accountNumber).empty();
    if (!scoped_) return;
    ledger_->SetIndexName("AcctNo");
    const std::string key = accountNumber + ReceivableAccount;
    engine_->SetScope(key + "19000101", key + "21000101");
    ledger_->First();
    rowCount_ = engine_->Count();
    ledger_->First();
}

bool TReceivableRows::done() { return !scoped_ || engine_->Eof(); }

void TReceivableRows::printRow(TBaseReport& Report) {
    if (done()) return;
    const Currency amount =
        ledger_->FieldByName("DEBIT")->AsCurrency() - ledger_->FieldByName("CREDIT")->AsCurrency();
    balance_ += amount;
    ++rowNumber_;
    if (rowNumber_ <= rowCount_ - PrintedRows) return;
    Report.SetFont("Arial", 10);
    Report.PrintTab(ledger_->FieldByName("DATE")->AsString());
    Report.PrintTab(text(*ledger_, "DESC") + " " + text(*ledger_, "POSTREF"));
    Report.PrintTab(DateRange::Money(RowPicture, amount));
    Report.PrintTab(DateRange::Money(RowPicture, balance_));
    Report.NewLine();
}

void TReceivableRows::next() {
    if (scoped_) ledger_->Next();
}

void drawScissors(TBitmap& Picture) {
    Picture.SetSize(128, 128);
    TCanvas* canvas = Picture.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(0, 0, 128, 128));
    canvas->Pen()->SetColor(clBlack);
    // Two blades crossing at the pivot, each a long narrow wedge.
    canvas->Brush()->SetColor(clBlack);
    canvas->Pen()->SetWidth(1);
    canvas->Polygon({TPoint{38, 50}, TPoint{124, 84}, TPoint{122, 90}, TPoint{34, 60}});
    canvas->Polygon({TPoint{34, 68}, TPoint{122, 38}, TPoint{124, 44}, TPoint{38, 78}});
    // The finger rings.
    canvas->Brush()->SetColor(clWhite);
    canvas->Pen()->SetWidth(8);
    canvas->Ellipse(6, 18, 42, 54);
    canvas->Ellipse(6, 74, 42, 110);
    // The pivot screw.
    canvas->Pen()->SetWidth(1);
    canvas->Ellipse(70, 58, 82, 70);
}

void greyRect(TBaseReport& Report, double X1, double Y1, double X2, double Y2) {
    Report.SetPen(clBlack, psSolid, 1, pmCopy);
    Report.SetBrush(Grey, bsSolid, nullptr);
    Report.Rectangle(X1, Y1, X2, Y2);
}

void whiteRect(TBaseReport& Report, double X1, double Y1, double X2, double Y2) {
    Report.SetPen(clBlack, psSolid, 1, pmCopy);
    Report.SetBrush(clWhite, bsSolid, nullptr);
    Report.Rectangle(X1, Y1, X2, Y2);
}

void verticalLine(TBaseReport& Report, double X, double Y1, double Y2) {
    Report.MoveTo(X, Y1);
    Report.LineTo(X, Y2);
}

void dateAccountBox(TBaseReport& Report, double Top, const std::string& Date, const std::string& Account) {
    greyRect(Report, 6.3, Top, 8, Top + 0.15);
    whiteRect(Report, 6.3, Top + 0.15, 8, Top + 0.4);
    verticalLine(Report, 7.05, Top, Top + 0.4);
    Report.SetFont("Arial", 8);
    Report.PrintXY(6.55, Top + 0.1, "Date");
    Report.PrintXY(7.1, Top + 0.1, "Account Number");
    Report.SetFont("Arial", 10);
    Report.PrintXY(6.35, Top + 0.35, Date);
    Report.PrintXY(7.1, Top + 0.35, Account);
}

void transactionTable(TBaseReport& Report, double Top) {
    greyRect(Report, 0.5, Top, 8, Top + 0.35);
    whiteRect(Report, 0.5, Top + 0.35, 8, Top + 2.8);
    for (double x : {1.5, 6.0, 7.0})
        verticalLine(Report, x, Top, Top + 2.8);
    Report.SetFont("Arial", 12);
    Report.PrintXY(0.8, Top + 0.2, "Date");
    Report.PrintXY(3.35, Top + 0.2, "Description");
    Report.PrintXY(6.2, Top + 0.2, "Amount");
    Report.PrintXY(7.2, Top + 0.2, "Balance");
}

void transactionStops(TBaseReport& Report) {
    Report.ClearTabs();
    Report.SetTab(0.58, pjLeft, 1.4, 0, 0, 0);
    Report.SetTab(2.0, pjLeft, 3.5, 0, 0, 0);
    Report.SetTab(6.05, pjRight, 0.9, 0, 0, 0);
    Report.SetTab(7.05, pjRight, 0.9, 0, 0, 0);
}

void agingBoxes(TBaseReport& Report, double Top, const TAgingTotals& Aging) {
    greyRect(Report, 0.5, Top, 8, Top + 0.4);
    greyRect(Report, 0.5, Top, 2, Top + 0.8);
    whiteRect(Report, 2, Top + 0.4, 8, Top + 0.8);
    for (double x : {3.0, 4.0, 5.0, 6.0, 7.0})
        verticalLine(Report, x, Top, Top + 0.8);
    Report.SetFont("Arial", 10);
    Report.SetYPos(Top + 0.17);
    Report.PrintCenter("1-30 Days", 3.5);
    Report.PrintCenter("31-60 Days", 4.5);
    Report.PrintCenter("61-90 Days", 5.5);
    Report.PrintCenter("Over 90 Days", 6.5);
    Report.SetYPos(Top + 0.34);
    Report.PrintCenter("Current", 2.5);
    for (double x : {3.5, 4.5, 5.5, 6.5})
        Report.PrintCenter("Past Due", x);
    Report.PrintCenter("Total Due", 7.5);
    Report.SetYPos(Top + 0.6);
    const AgingBucket buckets[] = {AgingBucket::Current, AgingBucket::Days1To30, AgingBucket::Days31To60,
                                   AgingBucket::Days61To90, AgingBucket::Over90};
    double x = 2.5;
    for (AgingBucket bucket : buckets) {
        Report.PrintCenter(DateRange::Money(BoxPicture, Aging[bucket]), x);
        x += 1.0;
    }
    Report.PrintCenter(DateRange::Money(BoxPicture, Aging.Total()), 7.5);
}

}  // namespace Statement
