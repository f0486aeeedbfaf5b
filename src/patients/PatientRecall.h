#pragma once
// The patient's recall list and the recall date dialog.
//
// TPatientRecallDlg lists the current patient's recalls (the recall table
// scoped on the "PatientID" tag to the patient's keys) in a read-only grid
// with New, Delete and Edit; Edit and Delete are enabled only while the
// scope holds a recall. Deleting clears a recall (PATIENTID 0, NAME and
// REASON empty, the date kept) so that the next new recall of any patient
// reuses the record. Closing posts what is pending, clears the scope and
// closes the table.
//
// TRecallDateDlg enters one recall: a date on the calendar and a reason. OK
// stores it (a new one in a cleared record when there is one, else appended)
// and gives the list back its scope; Cancel stores nothing.
#include <string>

#include "ui/Forms.h"

class TBitBtn;
class TButton;
class TComboBox;
class TKingCalendar;
class TKingNavigator;
class TLabel;
class TMonthBar;
class TQmDBGrid;

class TPatientRecallDlg : public TForm {
public:
    explicit TPatientRecallDlg(TComponent* AOwner);

    TQmDBGrid* RecallGrid;
    TButton* NewBtn;
    TButton* DeleteBtn;
    TButton* EditBtn;

    void FormCreate(TObject* Sender);
    void NewBtnClick(TObject* Sender);
    void EditBtnClick(TObject* Sender);
    void DeleteBtnClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

private:
    // Edit and Delete follow whether the patient's scope holds a recall.
    void enableRecallButtons();
};

class TRecallDateDlg : public TForm {
public:
    explicit TRecallDateDlg(TComponent* AOwner);

    TMonthBar* MonthBar1;
    TKingCalendar* KingCalendar1;
    TKingNavigator* KingNavigator1;
    TLabel* ReasonLabel;
    TComboBox* ReasonComboBox;
    TBitBtn* OKbtn;
    TBitBtn* CancelBtn;

    // "New" or "Edit", set by the opener.
    const std::string& Mode() const { return mode_; }
    void SetMode(const std::string& Value) { mode_ = Value; }

    void OKbtnClick(TObject* Sender);
    void CancelBtnClick(TObject* Sender);

private:
    std::string mode_ = "New";
};
