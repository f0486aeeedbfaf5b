// The schedule window's three printouts: the day's note, and the day's items
// listed by resource (a heading per resource) and by time (a thin gap before
// each new time), each list under a page header with the page number.
#include "base/DateTime.h"
#include "controls/Qmdbgrid.h"
#include "controls/TheKing.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "patients/Schedule.h"
#include "reporting/MemoBuf.h"
#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace {

constexpr const char* PreviewTitle = "Calendar Notes";
constexpr const char* ReportFont = "Arial";
constexpr const char* PrintTimeFormat = "m/d/yyyy h:mma/p";
constexpr const char* DayFormat = "mmmm d, yyyy";
constexpr double PageCentre = 4.25;
constexpr double PageBottom = 9.5;
constexpr double NoteWidth = 7.0;

struct TTabStop {
    double Pos;
    double Width;
};

const TTabStop ResourceStops[] = {{1.2, 0.5}, {1.8, 0.5}, {2.4, 2.4}, {4.9, 2.4}};
const char* const ResourceTitles[] = {"Time", "Allot", "Patient", "Note"};
const TTabStop TimeStops[] = {{0.5, 0.5}, {0.8, 0.5}, {1.4, 0.5}, {2.0, 1.5}, {3.6, 1.8}, {5.5, 2.4}};
const char* const TimeTitles[] = {"", "Time", "Allot", "Resource", "Patient", "Note"};

TBaseReport* reportOf(TObject* Sender) { return dynamic_cast<TBaseReport*>(Sender); }

// The print time at the top left.
void printTime(TBaseReport* Report) {
    Report->SetFont(ReportFont, 10);
    Report->PrintXY(0.3, 0.5, FormatDateTime(PrintTimeFormat, Now()));
}

// The title centred over the day.
void printHeading(TBaseReport* Report, const std::string& Title, TDateTime Day) {
    Report->SetFont(ReportFont, 20);
    Report->SetLineTop(0.25);
    Report->PrintCenter(Title, PageCentre);
    Report->SetBold(false);
    Report->NextLine();
    Report->SetFont(ReportFont, 12);
    Report->PrintCenter(FormatDateTime(DayFormat, Day), PageCentre);
}

template <size_t N>
void setStops(TBaseReport* Report, const TTabStop (&Stops)[N], bool Lines, bool FirstWithoutLine) {
    Report->ClearTabs();
    for (size_t i = 0; i < N; ++i) {
        const bool line = Lines && !(FirstWithoutLine && i == 0);
        Report->SetTab(Stops[i].Pos, pjLeft, Stops[i].Width, 0, line ? BOXLINEBOTTOM : 0, 0);
    }
}

std::string field(TDataSet* Items, const char* Name) { return Items->FieldByName(Name)->AsString(); }

// Prints a list of the day's items through Sender's report in the 10-point
// report font, with the grid held still while Items walks the table.
template <class Items>
void printItemList(TObject* Sender, TQmDBGrid* Grid, Items items) {
    TBaseReport* report = reportOf(Sender);
    if (!report)
        return;
    Grid->SetEnabled(false);
    report->SetFont(ReportFont, 10);
    items(report);
    Grid->SetEnabled(true);
}

}  // namespace

void TScheduleDlg::buildReports() {
    for (TReportSystem** system : {&ReportSystem1, &ReportSystem2, &ReportSystem3}) {
        *system = new TReportSystem(this);
        (*system)->SetTitlePreview(PreviewTitle);
    }
    bindEvent(ReportSystem1->OnPrint, this, &TScheduleDlg::ReportSystem1Print);
    bindEvent(ReportSystem2->OnBeforePrint, this, &TScheduleDlg::ReportSystem2BeforePrint);
    bindEvent(ReportSystem2->OnPrintHeader, this, &TScheduleDlg::ReportSystem2PrintHeader);
    bindEvent(ReportSystem2->OnPrint, this, &TScheduleDlg::ReportSystem2Print);
    bindEvent(ReportSystem3->OnBeforePrint, this, &TScheduleDlg::ReportSystem3BeforePrint);
    bindEvent(ReportSystem3->OnPrintHeader, this, &TScheduleDlg::ReportSystem3PrintHeader);
    bindEvent(ReportSystem3->OnPrint, this, &TScheduleDlg::ReportSystem3Print);
    for (TReportSystem* list : {ReportSystem2, ReportSystem3}) {
        bindEvent(list->OnNewPage, this, &TScheduleDlg::ReportSystem2NewPage);
        bindEvent(list->OnAfterPrint, this, &TScheduleDlg::ReportSystem2AfterPrint);
    }
}

void TScheduleDlg::Notes1Click(TObject*) {
    storeNote();
    ReportSystem1->Execute();
}

void TScheduleDlg::TimeClick(TObject*) { ReportSystem3->Execute(); }

void TScheduleDlg::ResourceClick(TObject*) { ReportSystem2->Execute(); }

void TScheduleDlg::ReportSystem1Print(TObject* Sender) {
    TBaseReport* report = reportOf(Sender);
    if (!report)
        return;
    const TDateTime day = KingCalendar1->CalendarDate();
    printTime(report);
    printHeading(report, PreviewTitle, day);
    report->SetOriginX(report->OriginX() + 0.5);
    report->SetOriginY(2);
    report->SetFont(ReportFont, 10);
    report->SetBKColor(clWhite);
    TMemoBuf memo;
    memo.SetText(DBMemo1->Text());
    memo.PrintStart = 0;
    memo.PrintEnd = NoteWidth;
    report->GotoXY(0, 0.25);
    report->PrintMemo(&memo, 0, false);
}

// ---------------------------------------------------------------- the lists

void TScheduleDlg::startList(const char* IndexName) {
    ScheduleDBGrid->SetVisible(false);
    savedIndexName_ = ScheduleTable->IndexName();
    ScheduleTable->SetIndexName(IndexName);
    SetScheduleScope();
    // The runner starts the first page as it starts every page, through OnNewPage.
    pageNumber_ = 0;
}

void TScheduleDlg::ReportSystem2BeforePrint(TObject*) { startList("Resource"); }

void TScheduleDlg::ReportSystem3BeforePrint(TObject*) { startList("Date"); }

void TScheduleDlg::ReportSystem2NewPage(TObject*) { ++pageNumber_; }

void TScheduleDlg::ReportSystem2AfterPrint(TObject*) {
    ScheduleDBGrid->SetVisible(true);
    ScheduleTable->SetIndexName(savedIndexName_);
    SetScheduleScope();
}

void TScheduleDlg::printListHeader(TBaseReport* Report, bool ByTime) {
    const TDateTime day = KingCalendar1->CalendarDate();
    printTime(Report);
    Report->PrintXY(7.2, 0.5, "Page " + IntToStr(pageNumber_));
    printHeading(Report, "Schedule", day);
    Report->NextLine();
    if (ByTime)
        setStops(Report, TimeStops, true, true);
    else
        setStops(Report, ResourceStops, true, false);
    Report->GotoXY(0, 1.5);
    if (ByTime) {
        for (const char* title : TimeTitles) Report->PrintTab(title);
        setStops(Report, TimeStops, false, false);
    } else {
        for (const char* title : ResourceTitles) Report->PrintTab(title);
        setStops(Report, ResourceStops, false, false);
    }
    Report->GotoXY(0, 1.75);
    Report->SetFont(ReportFont, 9);
}

void TScheduleDlg::ReportSystem2PrintHeader(TObject* Sender) {
    if (TBaseReport* report = reportOf(Sender))
        printListHeader(report, false);
}

void TScheduleDlg::ReportSystem3PrintHeader(TObject* Sender) {
    if (TBaseReport* report = reportOf(Sender))
        printListHeader(report, true);
}

void TScheduleDlg::ReportSystem2Print(TObject* Sender) {
    printItemList(Sender, ScheduleDBGrid, [&](TBaseReport* report) {
        previousResource_.clear();
        bool first = true;
        for (ScheduleTable->First(); !ScheduleTable->Eof(); ScheduleTable->Next()) {
            const std::string resource = field(ScheduleTable, "RESOURCE");
            bool heading = false;
            if (first || resource != previousResource_) {
                report->SetFont(ReportFont, 12);
                report->SetBold(true);
                report->NextLine();
                report->PrintLeft(resource, 0);
                report->NextLine();
                report->SetBold(false);
                report->SetFont(ReportFont, 10);
                previousResource_ = resource;
                heading = true;
                first = false;
            }
            if (!heading && report->YPos() > PageBottom)
                report->NewPage();
            for (const char* name : {"TIME", "ALLOT", "CLIENT", "NOTE"}) report->PrintTab(field(ScheduleTable, name));
            report->NextLine();
        }
    });
}

void TScheduleDlg::ReportSystem3Print(TObject* Sender) {
    printItemList(Sender, ScheduleDBGrid, [&](TBaseReport* report) {
        std::string previousTime = "00:000";
        for (ScheduleTable->First(); !ScheduleTable->Eof(); ScheduleTable->Next()) {
            // A new page only for an item still to print, so none is left blank.
            if (report->YPos() > PageBottom)
                report->NewPage();
            const std::string time = field(ScheduleTable, "TIME");
            if (time != previousTime) {
                report->SetFont(ReportFont, 6);
                report->NextLine();
                previousTime = time;
                report->SetFont(ReportFont, 10);
            }
            report->PrintTab("");
            for (const char* name : {"TIME", "ALLOT", "RESOURCE", "CLIENT", "NOTE"})
                report->PrintTab(field(ScheduleTable, name));
            report->NextLine();
        }
    });
}
