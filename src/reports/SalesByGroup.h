#pragma once
// TSalesByGroupReport: the receipts of a date range grouped by who they
// belong to, the base of Sales by Patient and Sales by Personnel. The range
// is an xBase filter on the receipts (their index is the group's, not the
// date); each group's subtotal stands in the "Total" column of its last
// receipt line. A blank key is grouped under "<no id>".
#include <string>

#include "base/Currency.h"
#include "data/DbTables.h"
#include "reports/DateRangeForm.h"
#include "reports/ShellReport.h"
#include "xbase/Xbase.h"

class TSalesByGroupReport : public TShellReport<TDateRangeForm> {
public:
    void BitBtn1Click(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);
    void ReportShell1ReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1BodyBefore(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupBeforeFirst(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupHeader(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1RowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1RowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1DetailAfter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1GroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ReportShell1BodyFooter(TBaseReport* Report, TDetailShell* Shell);
    void ReportShell1PageAfter(TBaseReport* Report, TDetailShell* Shell);

protected:
    // Title is the caption and the printed title; IndexName and KeyField
    // give the group; KeyTitle heads the key column.
    TSalesByGroupReport(TComponent* AOwner, const std::string& Title, const char* IndexName,
                        const char* KeyField, const char* KeyTitle);

    // The group heading (Shown: the key, or "<no id>" for a blank one, then
    // Known: whether it is a real key), and what ends a group and the report.
    virtual void printGroupHeading(TBaseReport& Report, const std::string& Shown, bool Known) = 0;
    // Last: no receipt follows.
    virtual void endGroup(TBaseReport& Report, bool Last) = 0;
    virtual void printGrandTotal(TBaseReport& Report, Currency Total) = 0;

    // Set for a page that holds the grand total alone, without the page header.
    bool totalPage_ = false;

private:
    std::string recordKey() const;

    std::string title_, keyField_, keyTitle_;
    int PageNumber = 0;
    std::string LastGroupKey;
    bool grouped_ = false;
    Currency GroupSubtotal, GroupGrandTotal;
};
