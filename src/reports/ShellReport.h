#pragma once
// TShellReport<Base>: the base of a report form that prints through a
// runner and a report shell. It owns what every such form places the same
// way: the first company table (Table1 with DataSource1 and Xbase1), the
// runner ReportSystem1 with the family's preset, and ReportShell1 printing
// on it. Base is the window the form is (TForm, or TDateRangeForm for the
// date-range family); its constructor arguments follow the table's.
//
// A form names its handlers after the event they serve (FormCreate,
// ReportSystem1Print, ReportShell1RowPrint) and calls bindReportHandlers(this)
// at the end of its constructor: every handler of that name is bound to its
// event, so no bindEvent line can be forgotten. bindRunnerHandlers does the
// same for a form with a runner and no shell, bindFormHandlers for the
// form's own events of a member whose base binds the rest. The base holds
// the handlers most forms share; a form takes one with a public
// using-declaration (`using TShellReport::ReportSystem1Print;`), and only
// then is it bound.
#include <string>
#include <utility>

#include "data/DbTables.h"
#include "reporting/RSBase.h"
#include "reporting/RSShell.h"
#include "reporting/RSSystem.h"
#include "reports/DateRange.h"
#include "reports/ReportTables.h"
#include "ui/FormKit.h"
#include "ui/Forms.h"
#include "xbase/Xbase.h"

// A company table by its file and index tag.
struct TCompanyTable {
    const char* FileName;
    const char* IndexName;
};

// Binds each ReportSystem1... handler Form declares to the runner's event of
// the same name.
template <class Form>
void bindRunnerHandlers(TReportSystem* Runner, Form* form) {
#define QM_BIND_RUNNER(Event) \
    if constexpr (requires { &Form::ReportSystem1##Event; }) bindEvent(Runner->On##Event, form, &Form::ReportSystem1##Event)
    QM_BIND_RUNNER(Print);
    QM_BIND_RUNNER(BeforePrint);
    QM_BIND_RUNNER(AfterPrint);
    QM_BIND_RUNNER(NewPage);
    QM_BIND_RUNNER(NewColumn);
    QM_BIND_RUNNER(PrintHeader);
    QM_BIND_RUNNER(PrintFooter);
    QM_BIND_RUNNER(EndOfSection);
    QM_BIND_RUNNER(PreviewSetup);
    QM_BIND_RUNNER(PreviewShow);
#undef QM_BIND_RUNNER
}

// Binds each ReportShell1... handler Form declares to the shell's event of
// the same name.
template <class Form>
void bindShellHandlers(TReportShell* Shell, Form* form) {
#define QM_BIND_SHELL(Event) \
    if constexpr (requires { &Form::ReportShell1##Event; }) bindEvent(Shell->On##Event, form, &Form::ReportShell1##Event)
    QM_BIND_SHELL(ReportBefore);
    QM_BIND_SHELL(ReportHeader);
    QM_BIND_SHELL(PageBefore);
    QM_BIND_SHELL(PageHeader);
    QM_BIND_SHELL(BodyBefore);
    QM_BIND_SHELL(BodyHeader);
    QM_BIND_SHELL(GroupBeforeFirst);
    QM_BIND_SHELL(GroupBefore);
    QM_BIND_SHELL(GroupHeader);
    QM_BIND_SHELL(DetailBefore);
    QM_BIND_SHELL(RowBefore);
    QM_BIND_SHELL(RowPrint);
    QM_BIND_SHELL(RowAfter);
    QM_BIND_SHELL(DetailAfter);
    QM_BIND_SHELL(GroupFooter);
    QM_BIND_SHELL(GroupAfter);
    QM_BIND_SHELL(GroupAfterLast);
    QM_BIND_SHELL(BodyFooter);
    QM_BIND_SHELL(BodyAfter);
    QM_BIND_SHELL(PageFooter);
    QM_BIND_SHELL(PageAfter);
    QM_BIND_SHELL(ReportFooter);
    QM_BIND_SHELL(ReportAfter);
#undef QM_BIND_SHELL
}

// Binds each Form... handler Form declares to the form's event of the same
// name.
template <class Form>
void bindFormHandlers(Form* form) {
    if constexpr (requires { &Form::FormCreate; }) bindEvent(form->OnCreate, form, &Form::FormCreate);
    if constexpr (requires { &Form::FormActivate; }) bindEvent(form->OnActivate, form, &Form::FormActivate);
    if constexpr (requires { &Form::FormClose; }) bindEvent(form->OnClose, form, &Form::FormClose);
}

template <class Base>
class TShellReport : public Base {
public:
    TTable* Table1 = nullptr;
    TDataSource* DataSource1 = nullptr;
    TXbase* Xbase1 = nullptr;
    TReportSystem* ReportSystem1 = nullptr;
    TReportShell* ReportShell1 = nullptr;

protected:
    template <class... BaseArgs>
    TShellReport(TComponent* AOwner, TCompanyTable First, BaseArgs&&... Args)
        : Base(AOwner, std::forward<BaseArgs>(Args)...) {
        companyTable(Table1, DataSource1, Xbase1, First);
        ReportSystem1 = new TReportSystem(this);
        ReportSystem1->SetName("ReportSystem1");
        DateRange::presetReportSystem(*ReportSystem1);
        ReportShell1 = new TReportShell(this);
        ReportShell1->SetName("ReportShell1");
        ReportShell1->SetEngine(ReportSystem1);
    }

    // The run's page number, counted by the stock ReportShell1PageBefore.
    int PageNumber = 0;
    // Where the page's last line ends (inches).
    double PageEndY = 10.0;

    // The stock handlers. A closed form closes the first table and frees
    // itself. The first table is open only while the runner prints; the
    // runner's print runs the shell on the printing report; a page is
    // counted and starts in Arial 10; a line feed ends it; a row moves
    // Table1 on and the shell goes on while records remain; a detail ending
    // below PageEndY starts a new page.
    void FormClose(TObject*, TCloseAction& Action) {
        Table1->Close();
        Action = caFree;
    }
    void ReportSystem1BeforePrint(TObject*) { Table1->Open(); }
    void ReportSystem1AfterPrint(TObject*) { Table1->Close(); }
    void ReportSystem1Print(TObject* Sender) { ReportShell1->Execute(dynamic_cast<TBaseReport*>(Sender)); }
    void ReportShell1PageBefore(TBaseReport* Report, TDetailShell*) {
        ++PageNumber;
        Report->SetFont("Arial", 10);
    }
    void ReportShell1PageAfter(TBaseReport* Report, TDetailShell*) { Report->NextLine(); }
    void ReportShell1RowAfter(TBaseReport*, TDetailShell*, bool& Valid) {
        if (!Table1->Eof()) Table1->Next();
        Valid = !Table1->Eof();
    }
    void ReportShell1DetailAfter(TBaseReport* Report, TDetailShell*) { breakPageBelowEnd(*Report); }

    // A run's first pages step: no page counted yet, the origin at the
    // page's corner.
    void startPages(TBaseReport& Report) {
        PageNumber = 0;
        Report.SetOriginX(0);
        Report.SetOriginY(0);
    }

    // A new page once the line ends below PageEndY.
    void breakPageBelowEnd(TBaseReport& Report) {
        if (Report.YPos() > PageEndY) Report.NewPage();
    }

    // A further company table, owned by the form.
    void companyTable(TTable*& Table, TDataSource*& Source, TXbase*& Engine, TCompanyTable Which) {
        makeCompanyTable(this, Table, Source, Engine, Which.FileName, Which.IndexName);
    }

    // REQUIRES: form is this form, as its most derived class knows it.
    template <class Form>
    void bindReportHandlers(Form* form) {
        bindFormHandlers(form);
        bindRunnerHandlers(ReportSystem1, form);
        bindShellHandlers(ReportShell1, form);
    }
};
