#include "patients/Schedule.h"

#include <memory>

#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "base/SysUtils.h"
#include "controls/KingTool.h"
#include "controls/Qmdbgrid.h"
#include "controls/TheKing.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "patients/CalendarColumn.h"
#include "reporting/RSSystem.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbase/Xbtable.h"

namespace {

constexpr const char* DateTag = "Date";
constexpr const char* ResourceTag = "Resource";
constexpr const char* RecNameTag = "RecName";
constexpr const char* NotesPlaceholder = "<Notes>";
constexpr const char* SentinelKey = "29990101";
constexpr const char* TimeMask = "!90:00>L;1; ";
constexpr const char* AllotMask = "!90:00;1; ";
constexpr const char* DayCaptionFormat = "dddd, mmmm d, yyyy";
// The grid leaves this much of the window's height to the frame and menu.
constexpr int GridHeightAllowance = 60;

std::string dayKeyOf(TDateTime Day) { return FormatDateTime("yyyymmdd", Day); }

TQmTable* companyTable(TComponent* Owner, const char* FileName, TDataSource*& Source) {
    auto* table = new TQmTable(Owner);
    table->SetDatabaseName(DataModule1->Database1->DatabaseName());
    table->SetTableType(ttSXNSX);
    table->SetTableName(FileName);
    Source = new TDataSource(Owner);
    Source->SetDataSet(table);
    return table;
}

}  // namespace

TScheduleDlg::TScheduleDlg(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Schedule");
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 640, 560);

    CalendarTable = new TXbTable(this);
    CalendarTable->SetDatabaseName(DataModule1->Database1->DatabaseName());
    CalendarTable->SetTableType(ttSXNSX);
    CalendarTable->SetTableName("CALENDAR.DBF");
    ScheduleTable = companyTable(this, "schedule.dbf", ScheduleSource);
    ScheduleXbase = new TXbase(this);
    ScheduleXbase->SetDataSource(ScheduleSource);
    ScheduleTable->AfterOpen = [this](TDataSet* DataSet) { ScheduleTableAfterOpen(DataSet); };
    PatientTable = companyTable(this, "PATIENT.DBF", PatientSource);
    ResourceTable = companyTable(this, "PERSONNE.DBF", ResourceSource);

    buildControls();
    buildMenu();
    buildReports();
    bindEvent(OnActivate, this, &TScheduleDlg::FormActivate);
    bindEvent(OnClose, this, &TScheduleDlg::FormClose);
    bindEvent(OnResize, this, &TScheduleDlg::FormResize);
    FormCreate(this);
}

TScheduleDlg::~TScheduleDlg() = default;

void TScheduleDlg::buildControls() {
    Panel1 = place<TPanel>(this, 0, 0, ClientWidth(), 196);
    Panel1->SetAlign(alTop);
    auto [bar, calendar, navigator] = placeCalendarColumn(Panel1, 8, 8, 50, 264, 112);
    MonthBar1 = bar;
    KingCalendar1 = calendar;
    KingNavigator1 = navigator;
    bindEvent(KingCalendar1->OnChange, this, &TScheduleDlg::KingCalendar1Change);

    DayLabel = place<TLabel>(Panel1, 284, 8, 340, 20);
    DayLabel->Font()->SetSize(12);
    DayLabel->Font()->SetStyle({fsBold});
    DBMemo1 = place<TMemo>(Panel1, 284, 34, 340, 156);
    DBMemo1->SetScrollBars(ssVertical);
    DBMemo1->SetHint("This section is for notes and reminders for the selected date.");
    DBMemo1->SetShowHint(true);
    bindEvent(DBMemo1->OnEnter, this, &TScheduleDlg::DBMemo1Enter);
    bindEvent(DBMemo1->OnExit, this, &TScheduleDlg::DBMemo1Exit);

    Panel2 = place<TPanel>(this, 0, 196, ClientWidth(), 40);
    Panel2->SetAlign(alTop);
    NewBitBtn = place<TBitBtn>(Panel2, 8, 8, 90, 25, "New Item");
    EditBitBtn = place<TBitBtn>(Panel2, 106, 8, 90, 25, "Edit Item");
    DeleteBitBtn = place<TBitBtn>(Panel2, 204, 8, 90, 25, "Delete Item");
    bindEvent(NewBitBtn->OnClick, this, &TScheduleDlg::NewBitBtnClick);
    bindEvent(EditBitBtn->OnClick, this, &TScheduleDlg::EditBitBtnClick);
    bindEvent(DeleteBitBtn->OnClick, this, &TScheduleDlg::DeleteBitBtnClick);

    ScheduleDBGrid = place<TQmDBGrid>(this, 0, 236, ClientWidth(), 200);
    // Whole rows: the items change through the item dialog.
    ScheduleDBGrid->SetOptions({dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect,
                                dgAlwaysShowSelection});
    ScheduleDBGrid->SetReadOnly(true);
    for (const char* column : {"TIME\t7\tTime", "ALLOT\t6\tAllot", "RESOURCE\t22\tResource", "CLIENT\t22\tPatient",
                               "NOTE\t30\tNote"})
        ScheduleDBGrid->Selected()->Add(column);
    ScheduleDBGrid->SetDataSource(ScheduleSource);
    bindEvent(ScheduleDBGrid->OnDblClick, this, &TScheduleDlg::ScheduleDBGridDblClick);
}

void TScheduleDlg::buildMenu() {
    MainMenu1 = new TMainMenu(this);
    auto item = [this](TMenuItem* Parent, const char* Caption, void (TScheduleDlg::*Handler)(TObject*)) {
        auto* entry = new TMenuItem(this);
        entry->SetCaption(Caption);
        if (Handler)
            bindEvent(entry->OnClick, this, Handler);
        Parent->Add(entry);
        return entry;
    };
    Print1 = item(MainMenu1->Items(), "&Print", nullptr);
    Notes1 = item(Print1, "&Notes", &TScheduleDlg::Notes1Click);
    Schedules1 = item(Print1, "&Schedules", &TScheduleDlg::Schedules1Click);
    Time = item(Schedules1, "by &Time", &TScheduleDlg::TimeClick);
    Resource = item(Schedules1, "by &Resource", &TScheduleDlg::ResourceClick);
    Sort1 = item(MainMenu1->Items(), "Sort", nullptr);
    SortSchedulebyTime1 = item(Sort1, "Sort Schedule by &Time", &TScheduleDlg::SortSchedulebyTime1Click);
    SortSchedulebyResource1 = item(Sort1, "Sort Schedule by Resource", &TScheduleDlg::SortSchedulebyResource1Click);
    SetMenu(MainMenu1);
}

// ---------------------------------------------------------------- opening and closing

void TScheduleDlg::FormCreate(TObject*) {
    openTables();
    created_ = true;
    showDay();
}

void TScheduleDlg::openTables() {
    for (TQmTable* table : {PatientTable, ResourceTable}) {
        table->SetIndexName(RecNameTag);
        table->Open();
        table->First();
    }
    CalendarTable->SetIndexName(DateTag);
    CalendarTable->Open();
    CalendarTable->First();
    ScheduleTable->SetIndexName(DateTag);
    ScheduleTable->Open();
    ScheduleTable->First();
}

void TScheduleDlg::ScheduleTableAfterOpen(TDataSet*) {
    ScheduleTable->FieldByName("TIME")->SetEditMask(TimeMask);
    ScheduleTable->FieldByName("ALLOT")->SetEditMask(AllotMask);
    ensureSentinel();
}

void TScheduleDlg::ensureSentinel() {
    const std::string index = ScheduleTable->IndexName();
    if (index != DateTag)
        ScheduleTable->SetIndexName(DateTag);
    // The sentinel's key begins with its date, whatever its blank time keys as.
    if (!ScheduleXbase->Seek(SentinelKey) && ScheduleXbase->lockAppend()) {
        // Another workstation may have made it while this one waited for the lock.
        if (!ScheduleXbase->Seek(SentinelKey)) {
            ScheduleTable->Append();
            ScheduleTable->FieldByName("DATE")->SetAsDateTime(EncodeDate(2999, 1, 1));
            ScheduleXbase->Commit();
        }
        ScheduleXbase->unlockAppend();
    }
    if (index != DateTag)
        ScheduleTable->SetIndexName(index);
}

void TScheduleDlg::FormActivate(TObject*) {
    if (KingCalendar1->CanFocus())
        KingCalendar1->SetFocus();
    // Coming back to the window shows the day anew only when it is another
    // day: an item in edit and a note being typed stay as they are.
    if (dayKeyOf(KingCalendar1->CalendarDate()) != dayKey_)
        showDay();
}

void TScheduleDlg::FormClose(TObject*, TCloseAction& Action) {
    storeNote();
    if (ScheduleTable->Active())
        ScheduleTable->CheckBrowseMode();
    ScheduleXbase->SetScope("", "");
    for (TDataSet* table : std::initializer_list<TDataSet*>{ScheduleTable, CalendarTable, PatientTable, ResourceTable})
        table->Close();
    Action = caFree;
}

void TScheduleDlg::FormResize(TObject*) {
    const int height = Height() - Panel1->Height() - Panel2->Height() - GridHeightAllowance;
    ScheduleDBGrid->SetBounds(0, Panel2->Top() + Panel2->Height(), ClientWidth(), std::max(height, 0));
}

// ---------------------------------------------------------------- the day

void TScheduleDlg::KingCalendar1Change(TObject*) {
    if (created_)
        showDay();
}

void TScheduleDlg::showDay() {
    const TDateTime day = KingCalendar1->CalendarDate();
    // The note typed for the day left behind goes to that day.
    storeNote();
    DayLabel->SetCaption(FormatDateTime(DayCaptionFormat, day));
    noteDay_ = day;
    noteEntered_ = false;
    if (CalendarTable->Seek(dayKeyOf(day))) {
        const std::string note = CalendarTable->FieldByName("NOTE")->AsString();
        if (note.empty()) {
            DBMemo1->SetText(NotesPlaceholder);
            DBMemo1->Font()->SetColor(clInactiveCaption);
        } else {
            DBMemo1->SetText(note);
            DBMemo1->Font()->SetColor(clWindowText);
        }
    } else {
        DBMemo1->SetText("");
        DBMemo1->Font()->SetColor(clWindowText);
    }
    DBMemo1->SetModified(false);
    SetScheduleScope();
}

void TScheduleDlg::SetScheduleScope() {
    dayKey_ = dayKeyOf(KingCalendar1->CalendarDate());
    if (dayKey_ == SentinelKey) {
        // The sentinel keys a blank right after its date (no time, no
        // resource); the day shows only the keys with something there.
        ScheduleXbase->SetScope(dayKey_ + "!", dayKey_ + "~");
        return;
    }
    // Low alone: the keys that begin with the day.
    ScheduleXbase->SetScope(dayKey_, "");
}

bool TScheduleDlg::showsPlaceholder() const {
    return DBMemo1->Text() == NotesPlaceholder && DBMemo1->Font()->Color() == clInactiveCaption;
}

void TScheduleDlg::DBMemo1Enter(TObject*) {
    if (noteEntered_)
        return;
    DBMemo1->Font()->SetColor(clWindowText);
    const bool hasRecord = CalendarTable->Seek(dayKeyOf(noteDay_));
    if (!hasRecord) {
        CalendarTable->Append();
        CalendarTable->FieldByName("DATE")->SetAsDateTime(noteDay_);
        CalendarTable->Post();
    } else if (DBMemo1->Text() == NotesPlaceholder) {
        DBMemo1->SetText("");
    }
    noteEntered_ = true;
}

void TScheduleDlg::DBMemo1Exit(TObject*) { storeNote(); }

void TScheduleDlg::storeNote() {
    if (!noteEntered_ || !CalendarTable->Active())
        return;
    noteEntered_ = false;
    if (showsPlaceholder())
        return;
    if (!CalendarTable->Seek(dayKeyOf(noteDay_)))
        return;
    const std::string text = DBMemo1->Text();
    if (CalendarTable->FieldByName("NOTE")->AsString() == text)
        return;
    CalendarTable->Edit();
    CalendarTable->FieldByName("NOTE")->SetAsString(text);
    CalendarTable->Post();
}

// ---------------------------------------------------------------- items

bool TScheduleDlg::dayHasItems() { return ScheduleXbase->Count() > 0; }

void TScheduleDlg::NewBitBtnClick(TObject*) {
    ScheduleTable->Insert();
    ScheduleTable->FieldByName("DATE")->SetAsDateTime(KingCalendar1->CalendarDate());
    ScheduleXbase->Commit();
    ScheduleTable->Refresh();
    // The dialog's controls edit the record in place.
    ScheduleTable->Edit();
    std::unique_ptr<TScheduleItemDlg> dialog(new TScheduleItemDlg(this, this));
    dialog->ShowModal();
    ScheduleTable->CheckBrowseMode();
    ScheduleTable->Refresh();
}

void TScheduleDlg::EditBitBtnClick(TObject* Sender) {
    if (!dayHasItems()) {
        NewBitBtnClick(Sender);
        return;
    }
    {
        ScheduleTable->Edit();
        std::unique_ptr<TScheduleItemDlg> dialog(new TScheduleItemDlg(this, this));
        dialog->ShowModal();
    }
    ScheduleTable->CheckBrowseMode();
    showDay();
    ScheduleTable->Refresh();
}

void TScheduleDlg::ScheduleDBGridDblClick(TObject* Sender) { EditBitBtnClick(Sender); }

void TScheduleDlg::DeleteBitBtnClick(TObject*) {
    if (!dayHasItems())
        return;
    ScheduleTable->Delete();
    if (ScheduleTable->Eof())
        ScheduleTable->First();
    ScheduleDBGrid->Repaint();
}

void TScheduleDlg::SortSchedulebyTime1Click(TObject*) {
    ScheduleTable->SetIndexName(DateTag);
    SetScheduleScope();
}

void TScheduleDlg::SortSchedulebyResource1Click(TObject*) {
    ScheduleTable->SetIndexName(ResourceTag);
    SetScheduleScope();
}

void TScheduleDlg::Schedules1Click(TObject*) {}

void registerScheduleForms() {
    RegisterClass<TScheduleDlg>();
    registerSingleInstance("TScheduleDlg");
}
