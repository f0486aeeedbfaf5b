#pragma once
// TSalesByItemReport ("Sales by Item - Detail"): what was sold in a date
// range, grouped by item type and, inside each type, by category, one line
// per receipt line, with category and type subtotals and the total. The
// "Sold by" choice limits it to one salesperson's receipts.
//
// Before each run the receipt lines of the chosen dates are copied into a
// scratch table of the form's own in the temp folder, ordered on item type,
// category and item number; the report walks that table. The table is
// removed when the form closes. When it cannot be made, the form says so
// and nothing runs. The run state (last type and category, sums) belongs
// to the form and starts afresh on every run.
//
// TSalesByItemSummaryReport (SalesByItemSummary.h) prints one line per item
// from the same table; it changes only the caption, the columns and the row.
#include <string>

#include "base/Currency.h"
#include "data/DbTables.h"
#include "reports/ReceiptTablesForm.h"
#include "reports/ReportColumns.h"
#include "xbase/Xbase.h"

class TSalesByItemReport : public TReceiptTablesForm {
public:
    explicit TSalesByItemReport(TComponent* AOwner);
    ~TSalesByItemReport() override;

    TTable* ReportTable = nullptr;
    TDataSource* ReportSource = nullptr;
    TXbase* ReportXbase = nullptr;
    TLabel* Label3 = nullptr;
    TComboBox* SoldByComboBox = nullptr;

    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void BitBtn1Click(TObject* Sender);
    // Builds and fills the scratch table; false (after its message) when it
    // could not be made.
    bool CreateReportTable();
    using TShellReport::ReportSystem1Print;
    void ReportSystem1AfterPrint(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageBefore;
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1BodyBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupBeforeFirst(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    using TShellReport::ReportShell1DetailAfter;
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport::ReportShell1PageAfter;
    void ReportShell1ReportAfter(TBaseReport* Report, TDetailShell* Shell);

    // The scratch table's file.
    const std::string& ScratchFileName() const { return scratchFile_; }

protected:
    TSalesByItemReport(TComponent* AOwner, const std::string& Caption);

    virtual std::span<const TReportColumn> columns() const;
    // The line of the current scratch record (the summary: of its item);
    // the line's amount, added to the sums.
    virtual Currency printItemLine(TBaseReport& Report);

    // The scratch record's fields, trailing blanks removed.
    std::string scratchText(const char* FieldName) const;
    // The cells of a line: a quantity, a price, and a line amount, which
    // ends eight blanks short of its column's edge.
    static std::string qtyCell(Currency Qty);
    static std::string priceCell(Currency Price);
    static std::string amountCell(Currency Amount);

private:
    void fillReportTable();
    // The closing subtotal lines of the category and of the type.
    void printCategorySubtotal(TBaseReport& Report);
    void printTypeSubtotal(TBaseReport& Report);
    void printSubtotal(TBaseReport& Report, const std::string& Caption, const std::string& Amount);
    void removeScratchTable();

    std::string title_;
    std::string scratchFile_, scratchIndex_;
    // Run state, reset by every run.
    bool grouped_ = false;  // a group header has printed
    std::string LastItemType, LastCategory;
    Currency LastLineAmount, TypeSubtotal, CategorySubtotal, ItemGrandTotal;
};
