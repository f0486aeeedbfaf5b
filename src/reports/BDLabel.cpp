#include "reports/BDLabel.h"

#include "base/SysUtils.h"
#include "controls/KingTool.h"
#include "controls/TheKing.h"
#include "data/DbTables.h"
#include "reporting/RSBase.h"
#include "reporting/RSLabel.h"
#include "reporting/RSSystem.h"
#include "reports/MailingLabels.h"
#include "reports/ReportTables.h"
#include "reports/ShellReport.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Xbase.h"

TBirthDayLabelsForm::TBirthDayLabelsForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Birthday Labels");
    SetBorderStyle(bsSingle);
    SetPosition(poScreenCenter);
    SetShowHint(true);
    SetClientWidth(330);
    SetClientHeight(284);

    Label1 = place<TLabel>(this, 8, 8, 200, 13, "Select Month and Day");
    MonthBar1 = place<TMonthBar>(this, 8, 28, 314, 40);
    KingCalendar1 = place<TKingCalendar>(this, 8, 72, 314, 160);
    KingCalendar1->SetHint("DoubleClick on Day to print labels");
    KingCalendar1->SetStartingDay(0);
    TStringList names;
    for (const char* name : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}) names.Add(name);
    KingCalendar1->SetDowNames(names);
    KingCalendar1->SetCalendarDate(Date());
    KingCalendar1->layOut();
    MonthBar1->SetCalendarSource(KingCalendar1);
    OKBitBtn1 = place<TBitBtn>(this, 127, 246, 75, 25, "&Print");

    makeCompanyTable(this, Table1, DataSource1, Xbase1, "Patient.dbf", "BIRTHDAY");
    ReportSystem1 = new TReportSystem(this);
    ReportSystem1->SetName("ReportSystem1");
    presetMailingReportSystem(*ReportSystem1);
    LabelShell1 = new TLabelShell(this);
    LabelShell1->SetEngine(ReportSystem1);
    setAddressLabelSheet(*LabelShell1);

    bindEvent(OKBitBtn1->OnClick, this, &TBirthDayLabelsForm::OKBitBtn1Click);
    bindEvent(KingCalendar1->OnDblClick, this, &TBirthDayLabelsForm::KingCalendar1DblClick);
    bindRunnerHandlers(ReportSystem1, this);
    bindEvent(OnClose, this, &TBirthDayLabelsForm::FormClose);
    bindEvent(LabelShell1->OnReportBefore, this, &TBirthDayLabelsForm::LabelShell1ReportBefore);
    bindEvent(LabelShell1->OnLabelPrint, this, &TBirthDayLabelsForm::LabelShell1LabelPrint);
    bindEvent(LabelShell1->OnLabelAfter, this, &TBirthDayLabelsForm::LabelShell1LabelAfter);
    bindEvent(LabelShell1->OnReportAfter, this, &TBirthDayLabelsForm::LabelShell1ReportAfter);
}

void TBirthDayLabelsForm::OKBitBtn1Click(TObject*) { run(); }

void TBirthDayLabelsForm::KingCalendar1DblClick(TObject*) { run(); }

void TBirthDayLabelsForm::run() {
    try {
        ReportSystem1->Execute();
    } catch (...) {
        Table1->Close();
        throw;
    }
    Table1->Close();
}

void TBirthDayLabelsForm::ReportSystem1BeforePrint(TObject*) { Table1->Open(); }

void TBirthDayLabelsForm::ReportSystem1AfterPrint(TObject*) { Table1->Close(); }

void TBirthDayLabelsForm::ReportSystem1Print(TObject* Sender) {
    LabelShell1->Execute(dynamic_cast<TBaseReport*>(Sender));
}

void TBirthDayLabelsForm::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Action = caFree;
}

bool TBirthDayLabelsForm::isTitleLabel(const TLabelShell* Shell) { return Shell->LabelRow == 1 && Shell->LabelCol == 1; }

void TBirthDayLabelsForm::LabelShell1ReportBefore(TBaseReport* Report, TLabelShell*) {
    if (!Table1->Active()) Table1->Open();
    const std::string key = FormatDateTime("mm/dd", KingCalendar1->CalendarDate());
    Xbase1->SetScope(key, key);
    Table1->First();
    Report->SetFont("Arial", 10);
}

void TBirthDayLabelsForm::LabelShell1LabelPrint(TBaseReport* Report, TLabelShell* Shell, bool&) {
    if (isTitleLabel(Shell)) {
        Report->Print("Birthday(s)  on  " + FormatDateTime("mmmm d", KingCalendar1->CalendarDate()));
        Report->NewLine();
    } else if (!Table1->Eof()) {
        printAddressBlock(*Report, patientAddress(*Table1));
    }
}

void TBirthDayLabelsForm::LabelShell1LabelAfter(TBaseReport*, TLabelShell* Shell, bool& Valid) {
    // The title takes no patient; without a match it is the only label.
    if (!isTitleLabel(Shell)) Table1->Next();
    Valid = !Table1->Eof();
}

void TBirthDayLabelsForm::LabelShell1ReportAfter(TBaseReport*, TLabelShell*) { Xbase1->SetScope("", ""); }
