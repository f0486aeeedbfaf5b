#include "reports/SalesTax.h"

#include <cmath>

#include "app/AppUtils.h"
#include "base/Classes.h"
#include "base/SysUtils.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReceiptLineScan.h"
#include "reports/ReportTables.h"
#include "reports/ShellReport.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* AmountPicture = "###,###,##0.00;;0";

// The tax on Amount at a rate in millionths, to the nearest ten-thousandth
// of a unit, halves away from zero.
Currency taxAt(std::int64_t MicroRate, Currency Amount) {
    const __int128 product = static_cast<__int128>(Amount.Raw()) * MicroRate;
    const __int128 half = product < 0 ? -500000 : 500000;
    return Currency::FromRaw(static_cast<std::int64_t>((product + half) / 1000000));
}

}  // namespace

TSalesTaxReport::TSalesTaxReport(TComponent* AOwner) : TDateRangeForm(AOwner, "Sales Tax Report") {
    makeCompanyTable(this, Table1, DataSource1, Xbase1, "SALES.DBF", "DATE");
    makeCompanyTable(this, Table2, DataSource2, Xbase2, "SALESDTL.DBF", "RECEIPT");
    ReportSystem1 = new TReportSystem(this);
    ReportSystem1->SetName("ReportSystem1");
    DateRange::presetReportSystem(*ReportSystem1);
    ReportSystem1->SystemFiler()->SetStatusFormat("Compiling Report... Please Wait");
    TStringList compiling;
    compiling.Add("Compiling");
    ReportSystem1->SystemPrinter()->SetStatusText(&compiling);

    bindEvent(OnCreate, this, &TSalesTaxReport::FormCreate);
    bindEvent(OnClose, this, &TSalesTaxReport::FormClose);
    bindEvent(BitBtn1->OnClick, this, &TSalesTaxReport::BitBtn1Click);
    bindRunnerHandlers(ReportSystem1, this);
}

void TSalesTaxReport::FormCreate(TObject*) {
    Table1->Open();
    Table2->Open();
    DateRangeComboBoxChange(this);
    // This month, while the combo still says "Today".
    const TDateTime today = Date();
    showRange(AppUtils::FirstDayOfMonth(today), AppUtils::LastDayOfMonth(today));
}

void TSalesTaxReport::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Table2->Close();
    Action = caFree;
}

void TSalesTaxReport::BitBtn1Click(TObject*) { runScopedOnRange(Xbase1, Table1, ReportSystem1); }

void TSalesTaxReport::addTaxedLine(std::int64_t MicroRate, Currency Amount) {
    TaxableSales += Amount;
    for (TRateSlot& slot : RateSlots)
        if (slot.Used && slot.MicroRate == MicroRate) {
            slot.Amount += Amount;
            return;
        }
    for (TRateSlot& slot : RateSlots)
        if (!slot.Used) {
            slot = {true, MicroRate, Amount};
            return;
        }
    otherRatesUsed_ = true;
    OtherRatesAmount += Amount;
    OtherRateTax += taxAt(MicroRate, Amount);
}

void TSalesTaxReport::ReportSystem1BeforePrint(TObject* Sender) {
    auto* report = dynamic_cast<TBaseReport*>(Sender);
    RateSlots = {};
    otherRatesUsed_ = false;
    OtherRatesAmount = OtherRateTax = TaxableSales = NonTaxableSales = TaxCharged = TotalSales = Currency(0);
    for (Table1->First(); !Table1->Eof(); Table1->Next()) {
        if (report) report->FormatStatusText();
        const std::string receipt = receiptText(Table1->FieldByName("RECEIPT")->AsFloat());
        if (!Xbase2->Seek(AppUtils::PadLeft(receipt, 10)) || !Xbase2->Found()) continue;
        TaxCharged += Table1->FieldByName("SALESTAX")->AsCurrency();
        // The field holds six decimals; compared as whole millionths, equal
        // rates always meet in one slot.
        const auto microRate = static_cast<std::int64_t>(std::llround(Table1->FieldByName("TAXRATE")->AsFloat() * 1e6));
        for (; !Table2->Eof() && receiptText(Table2->FieldByName("RECEIPT")->AsFloat()) == receipt; Table2->Next()) {
            const Currency amount = Table2->FieldByName("AMOUNT")->AsCurrency();
            if (Table2->FieldByName("TAXED")->AsBoolean())
                addTaxedLine(microRate, amount);
            else
                NonTaxableSales += amount;
        }
    }
}

void TSalesTaxReport::ReportSystem1NewPage(TObject* Sender) {
    if (auto* report = dynamic_cast<TBaseReport*>(Sender)) report->SetFont("Arial", 10);
}

void TSalesTaxReport::setColumns(TBaseReport& Report, std::uint8_t BoxLines) const {
    Report.ClearTabs();
    Report.SetTab(1.7, pjLeft, 2.4, 0, 0, 0);
    Report.SetTab(3.7, pjRight, 1.5, 0, BoxLines, 0);
    Report.SetTab(5.3, pjRight, 1.5, 0, BoxLines, 0);
}

void TSalesTaxReport::ReportSystem1PrintHeader(TObject* Sender) {
    auto* report = dynamic_cast<TBaseReport*>(Sender);
    if (!report) return;
    const std::string from = FormatDateTime("mmmm d, yyyy", StrToDate(FromKingDateDialog->Text()));
    const std::string thru = FormatDateTime("mmmm d, yyyy", StrToDate(ThruKingDateDialog->Text()));
    report->SetFont("Arial", 10);
    report->PrintXY(0.3, 0.5, FormatDateTime("m/d/yyyy h:nna/p", Now()));
    report->SetFont("Arial", 20);
    report->SetFontTop(0.25);
    report->PrintCenter("Sales Tax Report", 4.25);
    report->NextLine();
    report->SetFont("Arial", 12);
    report->PrintCenter(from + " thru " + thru, 4.25);
    setColumns(*report, 0);
    report->SetBold(true);
    report->GotoXY(0, 2.0);
    report->PrintTab("");
    report->PrintTab("Sales");
    report->PrintTab("Tax");
    report->SetBold(false);
    report->GotoXY(0, 2.35);
}

void TSalesTaxReport::ReportSystem1Print(TObject* Sender) {
    auto* report = dynamic_cast<TBaseReport*>(Sender);
    if (!report) return;
    auto money = [](Currency Value) { return DateRange::Money(AmountPicture, Value); };
    auto line = [&](const std::string& Caption, Currency Sales, Currency Tax) {
        report->PrintTab(Caption);
        report->PrintTab(money(Sales));
        report->PrintTab(money(Tax));
        report->NextLine();
    };
    report->SetOriginX(0);
    report->SetOriginY(0);
    int count = 0;
    Currency taxTotal;
    report->NextLine();
    for (const TRateSlot& slot : RateSlots) {
        if (!slot.Used) continue;
        ++count;
        const Currency tax = taxAt(slot.MicroRate, slot.Amount);
        taxTotal += tax;
        line(FormatFloat("Sales Taxed at ##0.####%", static_cast<double>(slot.MicroRate) / 10000.0), slot.Amount,
             tax);
    }
    if (otherRatesUsed_) {
        ++count;
        taxTotal += OtherRateTax;
        line("Sales at Other Tax Rates", OtherRatesAmount, OtherRateTax);
    }
    report->NextLine();
    setColumns(*report, BOXLINETOP);
    report->PrintTab(count > 1 ? "Total Taxable Sales" : "Taxable Sales");
    report->PrintTab(money(TaxableSales));
    report->PrintTab(money(taxTotal));
    setColumns(*report, 0);
    report->NextLine();
    report->NextLine();
    report->PrintTab("Non-Taxable Sales");
    report->PrintTab(money(NonTaxableSales));
    report->NextLine();
    report->NextLine();
    TotalSales = TaxableSales + NonTaxableSales;
    report->PrintTab("Total Sales");
    report->PrintTab(money(TotalSales));
    report->NextLine();
    report->GotoXY(0, 5.1);
    report->PrintTab("Sales Tax Charged on Receipts");
    report->PrintTab("");
    report->PrintTab(money(TaxCharged));
    report->NextLine();
}
