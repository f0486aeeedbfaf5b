#pragma once
// TExamDialog: "Exam & Rx", the exam's findings as plain edits over the
// current exam record (IncidentSource). Only the hidden "New &Claim" button
// of the patient record opens it; the program keeps one instance and makes
// a new one when that one is not in view.
#include "ui/Forms.h"

class TGroupBox;

class TExamDialog : public TForm {
public:
    explicit TExamDialog(TComponent* AOwner);
    ~TExamDialog() override;

    TGroupBox* GroupBox1;
};

// The one exam dialog, or nullptr.
extern TExamDialog* ExamDialog;

// Shows the exam dialog, made anew when there is none in view.
void showExamDialog();
