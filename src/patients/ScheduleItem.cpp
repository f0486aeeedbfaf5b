// The schedule item dialog: one item of the schedule window's table, its
// time, time to allot, date, resource, patient and note.
#include <cctype>
#include <cmath>

#include "controls/DBKing.h"
#include "controls/ControlKit.h"
#include "controls/KingPop.h"
#include "controls/qmdblook.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "patients/Schedule.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace {

constexpr int TimeLength = 6;
constexpr int AllotLength = 5;
constexpr int NoteLength = 35;
constexpr int RowHeight = 21;
constexpr const char* NotAClockTime = "The time must be a clock time, for example 09:15A.";

TDBEdit* readOnlyID(TWinControl* Parent, int Left, int Top, TDataSource* Source, const char* Field) {
    FormLayout::caption(Parent, Left, Top, "ID");
    auto* edit = placeBound<TDBEdit>(Parent, Left + 22, Top, 80, RowHeight, Source, Field);
    edit->SetReadOnly(true);
    edit->SetColor(clBtnFace);
    edit->SetTabStop(false);
    return edit;
}

TQmDBLookupCombo* lookup(TWinControl* Parent, int Top, TQmTable* Table, TDataSource* Source, const char* Field) {
    return placeLookupCombo(Parent, 104, Top, 220, Table, "RECNAME", {"RECNAME\t30\tName", "ID\t10\tID"}, Source,
                            Field);
}

bool twoDigits(const std::string& Text, int& Value) {
    const char high = Text[0] == ' ' ? '0' : Text[0];
    if (!std::isdigit(static_cast<unsigned char>(high)) || !std::isdigit(static_cast<unsigned char>(Text[1])))
        return false;
    Value = (high - '0') * 10 + (Text[1] - '0');
    return true;
}

// Puts the ID of the record chosen in Chosen into the item's Field.
void takeChosenID(TQmTable* Items, TQmTable* Chosen, const char* Field) {
    Items->Edit();
    Items->FieldByName(Field)->SetAsFloat(Chosen->FieldByName("ID")->AsFloat());
}

}  // namespace

TScheduleItemDlg::TScheduleItemDlg(TComponent* AOwner, TScheduleDlg* Schedule)
    : TForm(AOwner), schedule_(Schedule) {
    frameDialog(this, "Edit Schedule Item");
    SetClientWidth(440);
    SetClientHeight(236);
    TDataSource* items = schedule_->ScheduleSource;

    FormLayout::caption(this, 12, 12, "Time");
    TimeDBEdit = placeBound<TDBEdit>(this, 104, 12, 70, RowHeight, items, "TIME");
    TimeDBEdit->SetMaxLength(TimeLength);
    TimeDBEdit->SetHint("Time format example:  09:15A");
    TimeDBEdit->SetShowHint(true);
    FormLayout::caption(this, 190, 12, "Time to Allot");
    AllotDBEdit = placeBound<TDBEdit>(this, 280, 12, 60, RowHeight, items, "ALLOT");
    AllotDBEdit->SetMaxLength(AllotLength);
    AllotDBEdit->SetHint("Time to Allot format example:   00:15   is 15 minutes.");
    AllotDBEdit->SetShowHint(true);

    FormLayout::caption(this, 12, 44, "Date");
    KingPopup1 = new TKingPopup(this);
    DateDBKingDlg = placeBound<TDBKingDlg>(this, 104, 44, 100, RowHeight, items, "DATE");
    DateDBKingDlg->SetTabStop(false);

    FormLayout::caption(this, 12, 76, "Resource");
    ResourceDBLookupCombo = lookup(this, 76, schedule_->ResourceTable, items, "RESOURCE");
    ResourceIDDBEdit = readOnlyID(this, 332, 76, items, "RESOURCEID");
    ResourceDBLookupCombo->OnCloseUp = [this](TObject* Sender, TQmTable* Table, TDataSet* Fill, bool Modified) {
        ResourceDBLookupComboCloseUp(Sender, Table, Fill, Modified);
    };
    FormLayout::caption(this, 12, 108, "Patient");
    ClientDBLookupCombo = lookup(this, 108, schedule_->PatientTable, items, "CLIENT");
    ClientIDDBEdit = readOnlyID(this, 332, 108, items, "CLIENT_ID");
    ClientDBLookupCombo->OnCloseUp = [this](TObject* Sender, TQmTable* Table, TDataSet* Fill, bool Modified) {
        ClientDBLookupComboCloseUp(Sender, Table, Fill, Modified);
    };

    FormLayout::caption(this, 12, 140, "Note");
    NoteDBEdit = placeBound<TDBEdit>(this, 104, 140, 320, RowHeight, items, "NOTE");
    NoteDBEdit->SetMaxLength(NoteLength);

    BitBtn1 = place<TBitBtn>(this, (ClientWidth() - 75) / 2, 192, 75, 25, "OK");
    BitBtn1->SetDefault(true);
    bindEvent(BitBtn1->OnClick, this, &TScheduleItemDlg::BitBtn1Click);
    SetActiveControl(TimeDBEdit);
    bindEvent(OnCloseQuery, this, &TScheduleItemDlg::FormCloseQuery);
}

void TScheduleItemDlg::ResourceDBLookupComboCloseUp(TObject*, TQmTable*, TDataSet*, bool Modified) {
    if (Modified)
        takeChosenID(schedule_->ScheduleTable, schedule_->ResourceTable, "RESOURCEID");
}

void TScheduleItemDlg::ClientDBLookupComboCloseUp(TObject*, TQmTable*, TDataSet*, bool Modified) {
    if (Modified)
        takeChosenID(schedule_->ScheduleTable, schedule_->PatientTable, "CLIENT_ID");
}

bool TScheduleItemDlg::IsClockTime(const std::string& Time) {
    if (Trim(Time).empty() || Trim(Time) == ":")
        return true;
    if (Time.size() != TimeLength || Time[2] != ':')
        return false;
    int hours = 0, minutes = 0;
    if (!twoDigits(Time.substr(0, 2), hours) || !twoDigits(Time.substr(3, 2), minutes))
        return false;
    const char half = static_cast<char>(std::toupper(static_cast<unsigned char>(Time[5])));
    return hours >= 1 && hours <= 12 && minutes <= 59 && (half == 'A' || half == 'P');
}

void TScheduleItemDlg::BitBtn1Click(TObject* Sender) {
    bool canClose = true;
    FormCloseQuery(Sender, canClose);
    if (canClose)
        SetModalResult(mrOk);
}

void TScheduleItemDlg::FormCloseQuery(TObject*, bool& CanClose) {
    // What is typed reaches the record first, so a refused time stays to be corrected.
    TDataSet* items = schedule_->ScheduleTable;
    if (items->State() == dsEdit || items->State() == dsInsert)
        items->UpdateRecord();
    if (IsClockTime(items->FieldByName("TIME")->AsString()))
        return;
    CanClose = false;
    ShowMessage(NotAClockTime);
    if (TimeDBEdit->CanFocus())
        TimeDBEdit->SetFocus();
}
