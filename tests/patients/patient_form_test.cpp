// The patient record form on the fixture company: opening makes the last
// exam current, the exam numbering, "Indexed as", storing with the full-text
// key, the modal Recall, one form following the shared cursor, a locked
// patient refused, and the pictures of every page.
#include <QApplication>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>

#include <stdexcept>

#include "PatientFormSupport.h"
#include "app/LookupList.h"
#include "app/LookupListMembers.h"
#include "controls/DBKing.h"
#include "controls/qmdblook.h"
#include "patients/ExamDlg.h"
#include "patients/LabelRowCol.h"
#include "patients/PatientNotes.h"
#include "support/ChildProcess.h"
#include "ui/ComCtrls.h"
#include "ui/DBCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Mask.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"

namespace {

// The data-aware edit of a column on the form.
TDBEdit* EditOf(TForm* Form, const std::string& Column) {
    for (int i = 0; i < Form->ComponentCount(); ++i)
        if (auto* edit = dynamic_cast<TDBEdit*>(Form->Components(i)); edit && edit->DataField() == Column)
            return edit;
    ADD_FAILURE() << "no edit of " << Column;
    return nullptr;
}

// A modal form answered by acting on it, then closed with OK.
TDialogAnswer Ok(std::function<void(TForm&)> Act) {
    TDialogAnswer answer;
    answer.Result = mrOk;
    answer.Act = std::move(Act);
    return answer;
}

// Presses and releases the mouse on a tab; true when the page changed.
bool ClickTab(TPatientInfoDlg* Form, int Index) {
    QTabBar* bar = static_cast<QTabWidget*>(Form->PageControl1->Handle())->tabBar();
    QPointF at = bar->tabRect(Index).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, bar->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    }
    return Form->PageControl1->ActivePageIndex() == Index;
}

TEST_F(PatientFormTest, PagesCaptionsAndButtonBarAreAsThePatientRecordHasThem) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption(), "DOE, JANE");
    std::vector<std::string> captions;
    for (int i = 0; i < form->PageControl1->PageCount(); ++i)
        captions.push_back(form->PageControl1->Pages(i)->Caption());
    EXPECT_EQ(captions, (std::vector<std::string>{"Patient Information", "Patient Insurance", "Insured", "Carrier",
                                                  "Other Insured", "Exam/Diagnosis/Rx"}));
    EXPECT_EQ(form->OKbtn->ModalResult(), mrOk);
    EXPECT_EQ(form->RecallBtn->ModalResult(), mrOk);
    EXPECT_FALSE(form->ApplyBtn->Enabled());
    for (TBitBtn* hidden : {form->CancelBtn, form->NewClaimBitBtn, form->HistoryBitBtn}) {
        EXPECT_FALSE(hidden->Visible());
        EXPECT_FALSE(hidden->Enabled());
    }
    EXPECT_EQ(form->PatientInformation1->Caption(), "Patient &Exam");
    EXPECT_EQ(form->ChartLabel1->Caption(), "Chart &Label");
    // Input limits where the form sets them, the column's width elsewhere.
    struct Limit {
        const char* Column;
        int MaxLength;
        bool Upper;
    };
    for (const Limit& l : {Limit{"INS_NAME", 27, false}, {"INS_PHONE", 13, false}, {"INS_STATE", 2, true},
                           {"CAR_CITY", 32, false}, {"OTH_POLICY", 15, false}, {"STATE", 2, true},
                           {"COND_STATE", 2, true}, {"DPD_TOT", 3, false}, {"NPD_L", 3, false}}) {
        TDBEdit* edit = EditOf(form, l.Column);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->MaxLength(), l.MaxLength) << l.Column;
        EXPECT_EQ(edit->CharCase() == ecUpperCase, l.Upper) << l.Column;
    }
    EXPECT_EQ(form->BillInsurDBCheckBox->ValueChecked(), "Y");
    EXPECT_EQ(form->BillInsurDBCheckBox->ValueUnchecked(), "N");
    EXPECT_EQ(form->AcptAssignDBCheckBox->ValueChecked(), "True");
    EXPECT_TRUE(form->BillInsurDBCheckBox->Checked());
    EXPECT_FALSE(form->HospitalizationGroupBox->Visible());
    // Every date edit drops down the form's one calendar pop-up.
    int dateEdits = 0;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* date = dynamic_cast<TDBKingDlg*>(form->Components(i))) {
            ++dateEdits;
            EXPECT_EQ(date->KingPopup(), form->KingPopup1) << date->DataField();
        }
    EXPECT_EQ(dateEdits, 12);
    form->Close();
}

TEST_F(PatientFormTest, OpeningMakesThePatientsLastExamCurrent) {
    open();
    struct Case {
        int Patient;
        int Incident;
        int Exams;
    };
    for (const Case& c : {Case{1, 7, 3}, {2, 5, 3}, {3, 0, 0}}) {
        SCOPED_TRACE(c.Patient);
        moveTo(c.Patient);
        TPatientInfoDlg* form = openForm();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(patients()->FieldByName("INCIDENT")->AsInteger(), c.Incident);
        EXPECT_EQ(examID(), c.Incident);
        EXPECT_EQ(module->IncidentXbase->Count(), c.Exams) << "the scope holds this patient's exams only";
        form->Close();
        Application->ProcessMessages();
    }
    // Stored, not only shown.
    EXPECT_EQ(column("Patient.dbf", "INCIDENT"), (std::vector<std::string>{"7", "5", "0"}));
}

TEST_F(PatientFormTest, ANewExamTakesTheNumberAfterTheLastAndBecomesCurrent) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf",
                               {{{"ID", "4"}, {"RECNAME", "FULL, EXAMS"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "Incident.dbf", {{{"ACCOUNT", "4"}, {"ID", "9999"}}});
    {
        TFts fts(nullptr);
        ASSERT_EQ(fts.Open(company.File("Patient.ia"), 20, 0), 0);
        ASSERT_EQ(fts.Add("FULL, EXAMS"), 4);
        fts.Close();
    }
    open();
    struct Case {
        int Patient;
        int NewExam;  // 0: refused
        const char* Message;
    };
    const Case cases[] = {
        {2, 6, nullptr},  // after 1, 2 and 5: gaps are kept
        {3, 1, nullptr},  // no exam yet
        {4, 0, "This patient has reached exam number 9999, the highest an exam can have; no new exam was created."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Patient);
        moveTo(c.Patient);
        TPatientInfoDlg* form = openForm();
        ASSERT_NE(form, nullptr);
        const size_t examsBefore = column("Incident.dbf", "ID").size();
        TDialogScript script;
        if (c.Message)
            script.Answer(mrOk);
        form->NewIncidentBitBtn->Click();
        if (c.Message) {
            ASSERT_EQ(script.Shown().size(), 1u);
            EXPECT_EQ(script.Shown()[0].Text, c.Message);
            EXPECT_EQ(column("Incident.dbf", "ID").size(), examsBefore);
        } else {
            EXPECT_EQ(examID(), c.NewExam);
            EXPECT_EQ(exams()->FieldByName("ACCOUNT")->AsInteger(), c.Patient);
            EXPECT_EQ(patients()->FieldByName("INCIDENT")->AsInteger(), c.NewExam);
            EXPECT_EQ(form->IncidentDBLookupCombo->Text(), std::to_string(c.NewExam));
        }
        form->Close();
        Application->ProcessMessages();
    }
    EXPECT_EQ(column("Patient.dbf", "INCIDENT"), (std::vector<std::string>{"0", "6", "1", "9999"}));
}

TEST_F(PatientFormTest, APatientWithoutAccountGetsNoExam) {
    open();
    moveTo(3);
    TPatientInfoDlg* form = openForm();
    patients()->FieldByName("ID")->SetAsFloat(0);
    const size_t examsBefore = column("Incident.dbf", "ID").size();
    TDialogScript script;
    script.Answer(mrOk);
    form->NewIncidentBitBtn->Click();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text,
              "You must assign a Patient Account Number before you can create a new incident.");
    EXPECT_EQ(column("Incident.dbf", "ID").size(), examsBefore);
    patients()->Cancel();
    form->Close();
}

TEST_F(PatientFormTest, ANewPatientOpensInIndexedAsAndNoOtherPageCanBeChosen) {
    open();
    patients()->Append();  // the module numbers it and names it "<new>"
    TPatientInfoDlg* form = openForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption(), "<new>");
    EXPECT_EQ(form->ActiveControl(), form->RecordNameDBEdit);
    for (int page = 1; page < form->PageControl1->PageCount(); ++page)
        EXPECT_FALSE(ClickTab(form, page)) << page;
    EXPECT_EQ(form->PageControl1->ActivePage(), form->PatientTabSheet);

    TDialogScript script;
    script.Answer(mrOk);
    form->RecordNameDBEditExit(form);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "You must complete the \"Indexed As\" field with a valid patient name "
                                      "(lastname, firstname) to continue.");

    form->RecordNameDBEdit->SetText("NEWMAN, ALMA");
    EXPECT_TRUE(ClickTab(form, 5));
    form->OKbtn->Click();
    Application->ProcessMessages();
    EXPECT_EQ(column("Patient.dbf", "RECNAME").back(), "NEWMAN, ALMA");
}

TEST_F(PatientFormTest, IndexedAsLeftEmptyGetsTheOldNameBackStored) {
    open();
    moveTo(2);
    TPatientInfoDlg* form = openForm();
    form->RecordNameDBEditEnter(form);
    form->RecordNameDBEdit->SetText("   ");
    EXPECT_FALSE(ClickTab(form, 1));
    TDialogScript script;
    script.Answer(mrOk);
    form->RecordNameDBEditExit(form);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "\"Indexed As\" field cannot be empty!");
    EXPECT_EQ(form->RecordNameDBEdit->Text(), "ROE, RICHARD");
    EXPECT_EQ(patients()->State(), dsEdit);
    EXPECT_EQ(column("Patient.dbf", "RECNAME")[1], "ROE, RICHARD");
    EXPECT_TRUE(ClickTab(form, 1));
    form->Close();
}

TEST_F(PatientFormTest, OkStoresTheAddressAndTheFullTextKeyFollowsIt) {
    open();
    moveTo(1);
    ASSERT_EQ(fullTextMatches("ELM"), std::vector<int>{1});
    TPatientInfoDlg* form = openForm();
    EditOf(form, "ADDR")->SetText("77 Birch Road");
    // Lower-case states are stored in capitals; pastes past the limit are cut.
    form->StateDBEdit->SetText("ny");
    EditOf(form, "INS_NAME")->SetText(std::string(40, 'X'));
    form->OKbtn->Click();
    Application->ProcessMessages();
    EXPECT_TRUE(shownForms().empty());
    EXPECT_EQ(column("Patient.dbf", "ADDR")[0], "77 Birch Road");
    EXPECT_EQ(column("Patient.dbf", "STATE")[0], "NY");
    EXPECT_EQ(column("Patient.dbf", "INS_NAME")[0], std::string(27, 'X'));
    EXPECT_EQ(fullTextMatches("BIRCH"), std::vector<int>{1});
    EXPECT_TRUE(fullTextMatches("ELM").empty());
}

TEST_F(PatientFormTest, ADateThatDoesNotConvertKeepsTheFormOpenAndTheStoredDate) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    form->BirthDateDBKingDlg->SetText("13/45/1970");
    EXPECT_ANY_THROW(form->OKbtn->Click());
    Application->ProcessMessages();
    EXPECT_EQ(shownForms(), std::vector<TPatientInfoDlg*>{form});
    EXPECT_EQ(column("Patient.dbf", "BIRTHDATE")[0], "19700315");
    // A two-digit year lands in the hundred years that end 19 years from now.
    form->BirthDateDBKingDlg->SetText("03/15/75");
    form->OKbtn->Click();
    Application->ProcessMessages();
    EXPECT_EQ(column("Patient.dbf", "BIRTHDATE")[0], "19750315");
}

TEST_F(PatientFormTest, ApplyStoresWithoutClosingAndAKeyEnablesItAgain) {
    open();
    moveTo(3);
    TPatientInfoDlg* form = openForm();
    EditOf(form, "ADDR")->SetText("1 Quill Court");
    Word key = 'A';
    form->FormKeyUp(form, key, {});
    EXPECT_TRUE(form->ApplyBtn->Enabled());
    form->ApplyBtn->Click();
    EXPECT_FALSE(form->ApplyBtn->Enabled());
    EXPECT_TRUE(form->Visible());
    EXPECT_EQ(column("Patient.dbf", "ADDR")[2], "1 Quill Court");
    EXPECT_EQ(fullTextMatches("QUILL"), std::vector<int>{3});
    form->Close();
}

TEST_F(PatientFormTest, AMissingFullTextIndexIsReportedAndTheRecordStillStored) {
    open();
    moveTo(1);
    std::filesystem::remove(company.File("Patient.ia"));
    TPatientInfoDlg* form = openForm();
    EditOf(form, "ADDR")->SetText("5 Pine Way");
    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk);
    form->OKbtn->Click();
    Application->ProcessMessages();
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "IA Index did not open!");
    EXPECT_EQ(script.Shown()[1].Text, "Error adding IA key!");
    EXPECT_EQ(column("Patient.dbf", "ADDR")[0], "5 Pine Way");
}

TEST_F(PatientFormTest, RecallOnAModalFormClosesItAfterTheRecallList) {
    open();
    moveTo(1);
    TDialogScript script;
    std::string shownWhileModal;
    script.Answer([&](TForm& form) {
        auto& patient = dynamic_cast<TPatientInfoDlg&>(form);
        EditOf(&patient, "CITY")->SetText("Ogden");
        patient.RecallBtn->Click();
    });
    script.Answer(mrOk);  // the recall list
    openForm(osModal);
    Application->ProcessMessages();
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Caption, "Patient Recall - DOE, JANE");
    EXPECT_TRUE(shownForms().empty());
    EXPECT_EQ(column("Patient.dbf", "CITY")[0], "Ogden");

    // A modeless one stays open.
    TPatientInfoDlg* form = openForm();
    script.Answer(mrOk);
    form->RecallBtn->Click();
    Application->ProcessMessages();
    EXPECT_EQ(shownForms(), std::vector<TPatientInfoDlg*>{form});
    form->Close();
}

TEST_F(PatientFormTest, ExamAndPatientNotesAreDistinctMemos) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    TDialogScript script;
    script.Answer(Ok([](TForm& notes) {
                       EXPECT_EQ(notes.Caption(), "Patient Notes");
                       dynamic_cast<TPatientNotesDlg&>(notes).DBMemo1->Lines()->SetText("Prefers mornings");
                   }));
    form->NoteBtn->Click();
    exams()->Edit();
    script.Answer(Ok([](TForm& notes) {
                       EXPECT_EQ(notes.Caption(), "Exam Notes");
                       auto& memo = *dynamic_cast<TExamNotesDlg&>(notes).DBMemo1;
                       EXPECT_EQ(memo.MaxLength(), 4000);
                       memo.Lines()->SetText("Dilated both eyes");
                   }));
    form->BitBtn1->Click();
    form->OKbtn->Click();
    Application->ProcessMessages();
    patients()->Refresh();
    exams()->Refresh();
    EXPECT_EQ(patientText("NOTE"), "Prefers mornings\r\n");
    EXPECT_EQ(examID(), 7);
    EXPECT_EQ(exams()->FieldByName("NOTE")->AsString(), "Dilated both eyes\r\n");
    module->IncidentXbase->GoTop();
    EXPECT_EQ(exams()->FieldByName("NOTE")->AsString(), "") << "exam 1 has none";
}

TEST_F(PatientFormTest, TheFormFollowsTheCursorToAnotherPatient) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    EditOf(form, "ADDR")->SetText("8 Cedar Close");
    moveTo(2);  // a list behind the form moves the shared cursor
    Application->ProcessMessages();
    ASSERT_EQ(shownForms(), std::vector<TPatientInfoDlg*>{form});
    EXPECT_EQ(form->Caption(), "ROE, RICHARD");
    EXPECT_EQ(examID(), 5);
    EXPECT_EQ(module->IncidentXbase->Count(), 3);
    EXPECT_EQ(patients()->State(), dsEdit);
    // The patient it showed is stored with its key.
    EXPECT_EQ(column("Patient.dbf", "ADDR")[0], "8 Cedar Close");
    EXPECT_EQ(fullTextMatches("CEDAR"), std::vector<int>{1});

    form->NewIncidentBitBtn->Click();
    EXPECT_EQ(examID(), 6);
    EXPECT_EQ(exams()->FieldByName("ACCOUNT")->AsInteger(), 2);
    form->Close();
    Application->ProcessMessages();
    EXPECT_EQ(column("Patient.dbf", "INCIDENT"), (std::vector<std::string>{"7", "6", "0"}));
}

TEST_F(PatientFormTest, OneFormAtATimeAndAModalOpeningClosesTheModelessOne) {
    open();
    moveTo(1);
    TPatientInfoDlg* first = openForm();
    openForm();
    Application->ProcessMessages();
    EXPECT_EQ(shownForms(), std::vector<TPatientInfoDlg*>{first});

    EditOf(first, "CITY")->SetText("Dover");
    TDialogScript script;
    bool firstGone = false;
    script.Answer(Ok([&](TForm& modal) {
                       Application->ProcessMessages();
                       firstGone = shownForms() ==
                                   std::vector<TPatientInfoDlg*>{dynamic_cast<TPatientInfoDlg*>(&modal)};
                   }));
    openForm(osModal);
    Application->ProcessMessages();
    EXPECT_TRUE(firstGone);
    EXPECT_TRUE(shownForms().empty());
    EXPECT_EQ(column("Patient.dbf", "CITY")[0], "Dover");
}

TEST_F(PatientFormTest, APatientLockedByAnotherWorkstationIsNotOpened) {
    const std::string path = company.File("Patient.dbf");
    ChildProcess other([&](ChildProcess& self) {
        if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0 || !xb_Rlock(2))
            throw std::runtime_error("cannot hold the record");
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(other.Receive());
    open();
    moveTo(2);
    const std::string before = fileBytes("Patient.dbf");
    TDialogScript script;
    script.Answer(mrOk);
    openForm();
    Application->ProcessMessages();
    other.Send();
    EXPECT_EQ(other.Wait(), 0);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "This record currently locked by another user!");
    EXPECT_TRUE(shownForms().empty());
    EXPECT_EQ(fileBytes("Patient.dbf"), before);
}

TEST_F(PatientFormTest, MovingOntoALockedPatientClosesTheFormWithoutWriting) {
    const std::string path = company.File("Patient.dbf");
    ChildProcess other([&](ChildProcess& self) {
        if (xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0 || !xb_Rlock(2))
            throw std::runtime_error("cannot hold the record");
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(other.Receive());
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    ASSERT_NE(form, nullptr);
    EditOf(form, "CITY")->SetText("Salem");
    TDialogScript script;
    script.Answer(mrOk);
    moveTo(2);
    Application->ProcessMessages();
    Application->ProcessMessages();
    other.Send();
    EXPECT_EQ(other.Wait(), 0);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "This record currently locked by another user!");
    EXPECT_TRUE(shownForms().empty());
    EXPECT_EQ(column("Patient.dbf", "CITY")[0], "Salem") << "the patient it showed is stored";
    EXPECT_EQ(column("Patient.dbf", "INCIDENT")[1], "0") << "nothing written to the locked one";
}

TEST_F(PatientFormTest, TheOtherInsuredGroupFollowsOtherIns) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    EXPECT_FALSE(form->OtherInsuredGroupBox->Enabled());
    patients()->FieldByName("OTHER_INS")->SetAsBoolean(true);
    EXPECT_EQ(form->OtherPlanDBRadioGroup->Value(), "True");
    EXPECT_TRUE(form->OtherInsuredGroupBox->Enabled());
    moveTo(2);
    Application->ProcessMessages();
    EXPECT_TRUE(form->OtherInsuredGroupBox->Enabled()) << "Richard Roe has another plan";
    form->Close();
}

TEST_F(PatientFormTest, DiagnosisCaptionsAndTheAccidentState) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    exams()->Edit();
    exams()->FieldByName("DIAG2")->SetAsString("367.4");
    module->DiagCodeTable->SetIndexName("ID");
    module->DiagCodeXbase->Seek("367.4");
    form->DiagnosisChange(1);
    EXPECT_EQ(form->DiagnosisLabels[1]->Caption(), "Presbyopia");
    exams()->FieldByName("DIAG2")->SetAsString("");
    form->DiagnosisChange(1);
    EXPECT_EQ(form->DiagnosisLabels[1]->Caption(), "");

    // Starts enabled, whatever the record holds.
    EXPECT_TRUE(form->CondStateDBEdit->Enabled());
    form->CondAutoAccidentDBCheckBox->SetChecked(false);
    form->CondAutoAccidentDBCheckBoxMouseUp(form, mbLeft, {}, 0, 0);
    EXPECT_FALSE(form->CondStateDBEdit->Enabled());
    char key = ' ';
    form->CondAutoAccidentDBCheckBoxKeyPress(form, key);  // about to become checked
    EXPECT_TRUE(form->CondStateDBEdit->Enabled());
    form->Close();
}

TEST_F(PatientFormTest, AnAccountReadingZeroCancelsThePendingChanges) {
    open();
    moveTo(3);
    TPatientInfoDlg* form = openForm();
    EditOf(form, "ADDR")->SetText("2 Gone Street");
    patients()->FieldByName("ID")->SetAsFloat(0);
    TDialogScript script;
    script.Answer(mrOk);
    form->AccountDBEditExit(form);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Account Number cannot be empty");
    EXPECT_EQ(patients()->State(), dsBrowse);
    EXPECT_EQ(patientText("ID"), "3");
    form->Close();
    Application->ProcessMessages();
    EXPECT_EQ(column("Patient.dbf", "ADDR")[2], "9 Raven Lane");
}

TEST_F(PatientFormTest, AChangedExamIsPostedBeforeTheSelectorDropsDown) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    exams()->Edit();
    exams()->FieldByName("COMPLAINT")->SetAsString("Itchy eyes");
    form->IncidentDBLookupComboDropDown(form);
    EXPECT_EQ(exams()->State(), dsBrowse);
    EXPECT_EQ(column("Incident.dbf", "COMPLAINT")[2], "Itchy eyes");
    form->Close();
}

TEST_F(PatientFormTest, ChoosingAnotherExamMakesItCurrent) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    form->PageControl1->SetActivePage(form->IncidentTabSheet);
    form->IncidentDBLookupCombo->SetFocus();
    exams()->Edit();
    exams()->FieldByName("COMPLAINT")->SetAsString("Annual exam, dilated");
    form->IncidentDBLookupCombo->SendKey(VK_DOWN, {ssAlt});
    ASSERT_TRUE(form->IncidentDBLookupCombo->DroppedDown());
    EXPECT_EQ(column("Incident.dbf", "COMPLAINT")[2], "Annual exam, dilated") << "posted before dropping down";
    form->IncidentDBLookupCombo->SendKey(VK_UP);
    form->IncidentDBLookupCombo->SendKey(VK_RETURN);
    EXPECT_EQ(patients()->FieldByName("INCIDENT")->AsInteger(), 2);
    EXPECT_EQ(examID(), 2);
    EXPECT_EQ(EditOf(form, "COMPLAINT")->Text(), "Headaches");
    form->Close();
    Application->ProcessMessages();
    EXPECT_EQ(column("Patient.dbf", "INCIDENT")[0], "2");
}

TEST_F(PatientFormTest, TheCarrierListCopiesTheCompanyIntoThePatient) {
    CompanyFixture::AppendRows(company.DataDirectory(), "InsComp.dbf",
                               {{{"ID", "1"}, {"NAME", "Blue Lake Mutual"}, {"ADDR", "1 Shore Drive"},
                                 {"ADDR2", "Suite 5"}, {"CITY", "Madison"}, {"STATE", "WI"}, {"ZIP", "53703"},
                                 {"PHONE", "(608)555-0150"}}});
    open();
    registerLookupLists();
    moveTo(2);
    TPatientInfoDlg* form = openForm();
    form->BitBtn3->Click();
    TLookupListForm* list = nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->ClassName() == "TInsCompSelect2" && Screen->Forms(i)->Visible())
            list = dynamic_cast<TLookupListForm*>(Screen->Forms(i));
    ASSERT_NE(list, nullptr) << "shown without waiting";
    list->SelectButtonClick(list);
    EXPECT_EQ(shownForms(), std::vector<TPatientInfoDlg*>{form});
    struct Copied {
        const char* Column;
        const char* Value;
    };
    for (const Copied& c : {Copied{"CAR_NAME", "Blue Lake Mutual"}, {"CAR_ADDR1", "1 Shore Drive"},
                            {"CAR_ADDR2", "Suite 5"}, {"CAR_CITY", "Madison"}, {"CAR_STATE", "WI"},
                            {"CAR_ZIP", "53703"}, {"CAR_PHONE", "(608)555-0150"}})
        EXPECT_EQ(patientText(c.Column), c.Value) << c.Column;
    form->OKbtn->Click();
    Application->ProcessMessages();
    EXPECT_EQ(column("Patient.dbf", "CAR_NAME")[1], "Blue Lake Mutual");
}

TEST_F(PatientFormTest, PageDownAndUpScrollTheExamPage) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    form->PageControl1->SetActivePage(form->IncidentTabSheet);
    Application->ProcessMessages();
    Word key = VK_NEXT;
    form->FormKeyDown(form, key, {});
    EXPECT_EQ(form->ExamScrollBox->VertScrollBar()->Position(), 242);
    key = VK_PRIOR;
    form->FormKeyDown(form, key, {});
    EXPECT_EQ(form->ExamScrollBox->VertScrollBar()->Position(), 0);
    form->Close();
}

TEST_F(PatientFormTest, TheLabelsDialogReadsAStartOnTheSheetOrNone) {
    open();
    // A sheet 20 labels down and 4 across.
    struct Case {
        const char* row;
        const char* column;
        bool started;
        int startRow, startColumn;
    };
    const Case cases[] = {{"3 ", "2 ", true, 3, 2}, {"  ", "0 ", true, 1, 1}, {"20", "4 ", true, 20, 4}};
    for (const Case& c : cases) {
        TDialogScript script;
        script.Answer([&](TForm& dialog) {
            auto& labels = dynamic_cast<TLabelRowColDlg&>(dialog);
            EXPECT_EQ(labels.Caption(), "Labels");
            EXPECT_EQ(labels.RowEdit->EditMask(), "99;1; ");
            EXPECT_EQ(labels.RowEdit->Text(), "1 ");
            labels.RowEdit->SetText(c.row);
            labels.ColumnEdit->SetText(c.column);
            labels.OKBtn->Click();
        });
        EXPECT_EQ(askLabelStart(holder.get(), 20, 4), c.started) << c.row << "," << c.column;
        EXPECT_EQ(LabelStartRow, c.startRow) << c.row;
        EXPECT_EQ(LabelStartColumn, c.startColumn) << c.column;
    }

    // Beyond the sheet: refused with a message, the dialog stays for another try.
    {
        TDialogScript script;
        script.Answer([](TForm& dialog) {
            auto& labels = dynamic_cast<TLabelRowColDlg&>(dialog);
            for (const char* row : {"99", "21"}) {
                labels.RowEdit->SetText(row);
                labels.OKBtn->Click();
                EXPECT_EQ(labels.ModalResult(), mrNone) << row;
            }
            labels.RowEdit->SetText("2 ");
            labels.ColumnEdit->SetText("5 ");
            labels.OKBtn->Click();
            EXPECT_EQ(labels.ModalResult(), mrNone);
            labels.ColumnEdit->SetText("4 ");
            labels.OKBtn->Click();
        });
        script.Answer(mrOk).Answer(mrOk).Answer(mrOk);
        EXPECT_TRUE(askLabelStart(holder.get(), 20, 4));
        EXPECT_EQ(LabelStartRow, 2);
        EXPECT_EQ(LabelStartColumn, 4);
        ASSERT_EQ(script.Shown().size(), 4u);
        EXPECT_EQ(script.Shown()[1].Text,
                  "The sheet has 20 rows of 4 labels: start at a row from 1 to 20 and a column from 1 to 4.");
    }

    // Closed without OK: no start, nothing to print.
    TDialogScript closed;
    closed.Answer(mrCancel);
    EXPECT_FALSE(askLabelStart(holder.get(), 20, 4));
}

TEST_F(PatientFormTest, TheExamDialogIsOneInstanceBoundToTheExam) {
    open();
    moveTo(1);
    showExamDialog();
    ASSERT_NE(ExamDialog, nullptr);
    TExamDialog* dialog = ExamDialog;
    EXPECT_EQ(dialog->Caption(), "Exam & Rx");
    int edits = 0;
    for (int i = 0; i < dialog->ComponentCount(); ++i)
        if (auto* edit = dynamic_cast<TDBEdit*>(dialog->Components(i))) {
            ++edits;
            EXPECT_EQ(edit->DataSource(), module->IncidentSource);
        }
    EXPECT_EQ(edits, 35);
    EXPECT_EQ(EditOf(dialog, "COMPLAINT")->Text(), "Blurred vision");
    showExamDialog();
    EXPECT_EQ(ExamDialog, dialog) << "in view: the same one";
    picture(dialog, "exam_dialog");
    dialog->Close();
    showExamDialog();
    EXPECT_NE(ExamDialog, nullptr);
    ExamDialog->Release();
    ExamDialog = nullptr;
    Application->ProcessMessages();
}

TEST_F(PatientFormTest, ThePatientsListOpensThisFormNotThePlaceholder) {
    open();
    registerLookupLists();
    auto* list = dynamic_cast<TLookupListForm*>(OpenForm(holder.get(), {.ClassName = "TLookupList", .Caption = "Patients"}));
    ASSERT_NE(list, nullptr);
    list->setOrder("ID", false);
    list->Table()->Next();  // "ROE, RICHARD"
    list->EditButtonClick(list);
    const std::vector<TPatientInfoDlg*> shown = shownForms();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]->Caption(), "ROE, RICHARD");
    EXPECT_EQ(examID(), 5);
    list->Table()->Prior();  // the list, back in name order, moves on: the form follows
    Application->ProcessMessages();
    EXPECT_EQ(shown[0]->Caption(), "POE, EDGAR");
    EXPECT_EQ(examID(), 0);
    shown[0]->Close();
    list->Close();
}

TEST_F(PatientFormTest, PicturesOfEveryPageAndDialog) {
    open();
    moveTo(1);
    TPatientInfoDlg* form = openForm();
    const char* names[] = {"patient", "insurance", "insured", "carrier", "other_insured", "exam_top"};
    for (int page = 0; page < 6; ++page) {
        form->PageControl1->SetActivePageIndex(page);
        Application->ProcessMessages();
        picture(form, std::string("patient_form_") + names[page]);
    }
    EXPECT_FALSE(form->AgeLabel->Caption().empty());
    form->ExamScrollBox->VertScrollBar()->SetPosition(430);
    Application->ProcessMessages();
    picture(form, "patient_form_exam_middle");
    form->ExamScrollBox->VertScrollBar()->SetPosition(form->ExamScrollBox->VertScrollBar()->Range());
    Application->ProcessMessages();
    picture(form, "patient_form_exam_bottom");

    TDialogScript script;
    script.Answer(Ok([&](TForm& notes) { picture(&notes, "patient_notes"); }));
    form->NoteBtn->Click();
    script.Answer(Ok([&](TForm& notes) { picture(&notes, "exam_notes"); }));
    form->BitBtn1->Click();
    script.Answer(Ok([&](TForm& labels) { picture(&labels, "labels_dialog"); }));
    askLabelStart(form, 15, 2);
    form->Close();
}

}  // namespace
