#pragma once
// The notes dialogs of the patient record: TPatientNotesDlg holds the
// patient's free notes (the patient table's memo "Note", at most 1000
// characters), TExamNotesDlg the current exam's (the exam table's memo
// "Note", at most 4000). Both are modal; OK closes them, and what was typed
// stays in the record's edit for the patient form to store.
#include <string>

#include "ui/Forms.h"

class TBitBtn;
class TDataSource;
class TDBMemo;

class TPatientNotesDlg : public TForm {
public:
    explicit TPatientNotesDlg(TComponent* AOwner);

    TDBMemo* DBMemo1;
    TBitBtn* OKBtn;

protected:
    // The memo over Source's column "Note", holding at most MaxLength characters.
    TPatientNotesDlg(TComponent* AOwner, const std::string& Caption, TDataSource* Source, int MaxLength);
};

class TExamNotesDlg : public TPatientNotesDlg {
public:
    explicit TExamNotesDlg(TComponent* AOwner);
};
