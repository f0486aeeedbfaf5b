#pragma once
// TSalesTaxReport ("Sales Tax Report"): for a date range, the taxable sales
// at each sales-tax rate with the tax due on them, the taxable and
// non-taxable totals, the total sales, and the tax actually charged on the
// receipts, for the shop's sales tax return. It prints one summary page
// without a shell: the figures are computed before printing starts.
//
// The first four rates met have lines of their own, in the order met (a
// rate of 0 included); further rates are summed on one "Other" line whose
// tax is the sum of each line's rate times its amount. Rates are compared
// to the millionth, the precision the receipts store. A receipt without
// lines counts for nothing, its tax included.
#include <array>
#include <cstdint>

#include "base/Currency.h"
#include "data/DbTables.h"
#include "reporting/RSSystem.h"
#include "reports/DateRangeForm.h"
#include "xbase/Xbase.h"

class TSalesTaxReport : public TDateRangeForm {
public:
    explicit TSalesTaxReport(TComponent* AOwner);

    TTable* Table1 = nullptr;
    TDataSource* DataSource1 = nullptr;
    TXbase* Xbase1 = nullptr;
    TTable* Table2 = nullptr;
    TDataSource* DataSource2 = nullptr;
    TXbase* Xbase2 = nullptr;
    TReportSystem* ReportSystem1 = nullptr;

    void FormCreate(TObject* Sender);
    // The closed form frees itself, as the family's other members do.
    void FormClose(TObject* Sender, TCloseAction& Action);
    void BitBtn1Click(TObject* Sender);
    void ReportSystem1BeforePrint(TObject* Sender);
    void ReportSystem1NewPage(TObject* Sender);
    void ReportSystem1PrintHeader(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);

    // Rate slots with a rate of their own.
    static constexpr int RateSlotCount = 4;

private:
    struct TRateSlot {
        bool Used = false;
        std::int64_t MicroRate = 0;  // the rate in millionths: 72500 is 7.25 %
        Currency Amount;
    };
    void addTaxedLine(std::int64_t MicroRate, Currency Amount);
    void setColumns(TBaseReport& Report, std::uint8_t BoxLines) const;

    std::array<TRateSlot, RateSlotCount> RateSlots;
    bool otherRatesUsed_ = false;
    Currency OtherRatesAmount, OtherRateTax;
    Currency TaxableSales, NonTaxableSales, TaxCharged, TotalSales;
};
