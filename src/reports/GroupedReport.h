#pragma once
// TGroupedReport<Base>: a list report of Table1's records grouped by a key
// the table's order keeps together (the stock reports by vendor, the sales
// by patient or personnel). Each group is headed on its first line; a blank
// key is headed by the blank label. Each record's amount adds to the
// group's subtotal, which stands in the "Total" column of the group's last
// line, and to the grand total that closes the report. Once a line ends
// below 9.5 inches, the next one starts a new page.
//
// A member lays out its page header and says what its key is, how a group
// is headed, what a line prints, how a group ends and how the grand total
// prints. Base is as for TShellReport.
#include <string>

#include "base/Currency.h"
#include "reports/ReportColumns.h"
#include "reports/ShellReport.h"

// The usual grand total of a grouped list: after a blank line, Caption's
// title at its stop, and Total at Amount's stop under a rule.
void printRuledTotal(TBaseReport& Report, const TReportColumn& Caption, const TReportColumn& Amount, Currency Total);

template <class Base>
class TGroupedReport : public TShellReport<Base> {
public:
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport<Base>::ReportShell1PageBefore;
    void ReportShell1BodyBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupBeforeFirst(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    using TShellReport<Base>::ReportShell1DetailAfter;
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    using TShellReport<Base>::ReportShell1PageAfter;

protected:
    // BlankLabel heads the group of a blank key; the rest is Base's and
    // the first table's, as for TShellReport.
    template <class... BaseArgs>
    TGroupedReport(TComponent* AOwner, TCompanyTable First, const char* BlankLabel, BaseArgs&&... Args)
        : TShellReport<Base>(AOwner, First, std::forward<BaseArgs>(Args)...), blankLabel_(BlankLabel) {
        this->PageEndY = 9.5;
    }

    // The current record's group key.
    virtual std::string groupKey() const = 0;
    // The group heading at the first stop (Shown: the key, or the blank
    // label for a blank one; Known: whether it is a real key).
    virtual void printGroupHeading(TBaseReport& Report, const std::string& Shown, bool Known) = 0;
    // The current record's cells after the key's stop; returns its amount.
    virtual Currency printRecord(TBaseReport& Report) = 0;
    // What closes a group (Last: no record follows) and the report.
    virtual void endGroup(TBaseReport& Report, bool Last) = 0;
    virtual void printGrandTotal(TBaseReport& Report, Currency Total) = 0;

private:
    std::string blankLabel_;
    std::string LastGroupKey;
    bool grouped_ = false;  // a group heading has printed
    Currency GroupSubtotal, GroupGrandTotal;
};
