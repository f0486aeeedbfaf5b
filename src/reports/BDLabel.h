#pragma once
// TBirthDayLabelsForm ("Birthday Labels"): address labels for every patient
// born on the month and day chosen in the calendar, in any year, on the
// 30-up address sheet. The first label of every sheet is the title
// "Birthday(s)  on  <month> <day>", which takes no patient, so a sheet holds
// 29 patients. A double click on a day or "&Print" runs it. Modeless; it
// frees itself when closed.
//
// Promises: with no patient born on the day only the title prints; the
// form's own patient table is open only during a run.
#include "ui/Forms.h"

class TBaseReport;
class TBitBtn;
class TDataSource;
class TKingCalendar;
class TLabel;
class TLabelShell;
class TMonthBar;
class TReportSystem;
class TTable;
class TXbase;

class TBirthDayLabelsForm : public TForm {
public:
    explicit TBirthDayLabelsForm(TComponent* AOwner);

    TLabel* Label1;
    TMonthBar* MonthBar1;
    TKingCalendar* KingCalendar1;
    TBitBtn* OKBitBtn1;
    TTable* Table1;
    TDataSource* DataSource1;
    TXbase* Xbase1;
    TLabelShell* LabelShell1;
    TReportSystem* ReportSystem1;

    void OKBitBtn1Click(TObject* Sender);
    void KingCalendar1DblClick(TObject* Sender);
    void ReportSystem1BeforePrint(TObject* Sender);
    void ReportSystem1AfterPrint(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    void LabelShell1ReportBefore(TBaseReport* Report, TLabelShell* Shell);
    void LabelShell1LabelPrint(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void LabelShell1LabelAfter(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void LabelShell1ReportAfter(TBaseReport* Report, TLabelShell* Shell);

private:
    void run();
    static bool isTitleLabel(const TLabelShell* Shell);
};
