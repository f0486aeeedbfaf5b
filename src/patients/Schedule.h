#pragma once
// The appointment schedule: TScheduleDlg is a day planner over its own
// tables (the day notes of Calendar.dbf, the items of schedule.dbf, and the
// patients and personnel for the item dialog's drop-downs). A calendar picks
// the day; the window shows the day's note and the day's items in clock
// order (or by resource), adds, changes and deletes items through
// TScheduleItemDlg, and prints the day's note and the day's items by time or
// by resource.
//
// Promises:
// - The note typed for a day is stored on that day when the memo is left,
//   when the calendar moves to another day and when the window closes; the
//   "<Notes>" shown for a day whose note is empty is never stored.
// - schedule.dbf holds one sentinel record dated 01/01/2999, made under the
//   table's append lock when it is missing; the day scope never shows it.
// - A print by resource leaves the grid in the order it had.
// - The item dialog refuses a time that is no clock time (a blank time is
//   allowed).
#include <string>

#include "base/DateTime.h"
#include "ui/Forms.h"

class TBaseReport;
class TBitBtn;
class TDataSource;
class TDBEdit;
class TDBKingDlg;
class TDataSet;
class TKingCalendar;
class TKingNavigator;
class TKingPopup;
class TLabel;
class TMainMenu;
class TMemo;
class TMenuItem;
class TMonthBar;
class TPanel;
class TQmDBGrid;
class TQmDBLookupCombo;
class TQmTable;
class TReportSystem;
class TXbTable;
class TXbase;

class TScheduleDlg : public TForm {
public:
    explicit TScheduleDlg(TComponent* AOwner);
    ~TScheduleDlg() override;

    // ---- tables
    TXbTable* CalendarTable;
    TQmTable* ScheduleTable;
    TDataSource* ScheduleSource;
    TXbase* ScheduleXbase;
    TQmTable* PatientTable;
    TDataSource* PatientSource;
    TQmTable* ResourceTable;
    TDataSource* ResourceSource;

    // ---- controls
    TPanel* Panel1;
    TKingCalendar* KingCalendar1;
    TMonthBar* MonthBar1;
    TKingNavigator* KingNavigator1;
    TLabel* DayLabel;
    TMemo* DBMemo1;
    TPanel* Panel2;
    TBitBtn* NewBitBtn;
    TBitBtn* EditBitBtn;
    TBitBtn* DeleteBitBtn;
    TQmDBGrid* ScheduleDBGrid;

    TMainMenu* MainMenu1;
    TMenuItem* Print1;
    TMenuItem* Notes1;
    TMenuItem* Schedules1;
    TMenuItem* Time;
    TMenuItem* Resource;
    TMenuItem* Sort1;
    TMenuItem* SortSchedulebyTime1;
    TMenuItem* SortSchedulebyResource1;

    TReportSystem* ReportSystem1;  // the day note
    TReportSystem* ReportSystem2;  // the items by resource
    TReportSystem* ReportSystem3;  // the items by time

    // The day key in force ("yyyymmdd").
    const std::string& DayKey() const { return dayKey_; }

    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormResize(TObject* Sender);
    void KingCalendar1Change(TObject* Sender);
    void SetScheduleScope();
    void ScheduleTableAfterOpen(TDataSet* DataSet);
    void DBMemo1Enter(TObject* Sender);
    void DBMemo1Exit(TObject* Sender);
    void NewBitBtnClick(TObject* Sender);
    void EditBitBtnClick(TObject* Sender);
    void ScheduleDBGridDblClick(TObject* Sender);
    void DeleteBitBtnClick(TObject* Sender);
    void SortSchedulebyTime1Click(TObject* Sender);
    void SortSchedulebyResource1Click(TObject* Sender);
    void Notes1Click(TObject* Sender);
    void TimeClick(TObject* Sender);
    void ResourceClick(TObject* Sender);
    void Schedules1Click(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);
    void ReportSystem2BeforePrint(TObject* Sender);
    void ReportSystem2PrintHeader(TObject* Sender);
    void ReportSystem2Print(TObject* Sender);
    void ReportSystem3BeforePrint(TObject* Sender);
    void ReportSystem3PrintHeader(TObject* Sender);
    void ReportSystem3Print(TObject* Sender);
    void ReportSystem2NewPage(TObject* Sender);
    void ReportSystem2AfterPrint(TObject* Sender);

private:
    void buildControls();
    void buildMenu();
    void buildReports();
    void openTables();
    // Caption, note and scope of the calendar's day.
    void showDay();
    // Writes the note typed into the memo to its day's calendar record.
    void storeNote();
    bool showsPlaceholder() const;
    // The lists' common page header; ByTime picks the by-time columns.
    void printListHeader(TBaseReport* Report, bool ByTime);
    void startList(const char* IndexName);
    void ensureSentinel();
    // Whether the day's scope holds an item.
    bool dayHasItems();

    std::string dayKey_;
    std::string savedIndexName_;
    int pageNumber_ = 0;
    std::string previousResource_;
    // The day whose note the memo holds, and whether it was entered since shown.
    TDateTime noteDay_ = 0;
    bool noteEntered_ = false;
    bool created_ = false;
};

class TScheduleItemDlg : public TForm {
public:
    TScheduleItemDlg(TComponent* AOwner, TScheduleDlg* Schedule);

    TDBEdit* TimeDBEdit;
    TDBEdit* AllotDBEdit;
    TKingPopup* KingPopup1;
    TDBKingDlg* DateDBKingDlg;
    TQmDBLookupCombo* ResourceDBLookupCombo;
    TDBEdit* ResourceIDDBEdit;
    TQmDBLookupCombo* ClientDBLookupCombo;
    TDBEdit* ClientIDDBEdit;
    TDBEdit* NoteDBEdit;
    TBitBtn* BitBtn1;

    void ResourceDBLookupComboCloseUp(TObject* Sender, TQmTable* LookupTable, TDataSet* FillTable, bool Modified);
    void ClientDBLookupComboCloseUp(TObject* Sender, TQmTable* LookupTable, TDataSet* FillTable, bool Modified);
    void BitBtn1Click(TObject* Sender);
    // A time that is no clock time keeps the dialog open with a message.
    void FormCloseQuery(TObject* Sender, bool& CanClose);

    // A schedule time as the mask leaves it ("09:15A"): hours 1..12, minutes
    // 0..59, then A or P; a blank time counts as valid.
    static bool IsClockTime(const std::string& Time);

private:
    TScheduleDlg* schedule_;
};

// Registers the schedule window by name, as one window for the program.
void registerScheduleForms();
