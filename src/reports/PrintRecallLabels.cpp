#include "reports/PrintRecallLabels.h"

#include "app/DataModule.h"
#include "app/DocumentFields.h"
#include "app/Settings.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "controls/KingDlg.h"
#include "controls/KingPop.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "reporting/MemoBuf.h"
#include "reporting/RSBase.h"
#include "reporting/RSLabel.h"
#include "reporting/RSShell.h"
#include "reporting/RSSystem.h"
#include "reports/DateRange.h"
#include "reports/DateRows.h"
#include "reports/MailingLabels.h"
#include "reports/PostcardSettings.h"
#include "reports/SharedTablePlace.h"
#include "reports/ShellReport.h"
#include "ui/Application.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

// Recalls with a patient: never a cleared recall (0) nor the sentinel.
constexpr const char* RecallFilter = "PatientId > 0 .and. PatientId < 9999999999";
constexpr double ListingPageEnd = 10.5;

// The listing's six columns: underlined, left-aligned cells for the
// headings; for the rows the same stops without lines, the patient number
// right-aligned.
void setListingTabs(TBaseReport& Report, bool Headings) {
    const std::uint8_t lines = Headings ? BOXLINEBOTTOM : BOXLINENONE;
    Report.ClearTabs();
    Report.SetTab(0.4, Headings ? pjLeft : pjRight, 0.5, 0, lines, 0);
    Report.SetTab(1.0, pjLeft, 1.4, 0, lines, 0);
    Report.SetTab(2.5, pjLeft, 0.9, 0, lines, 0);
    Report.SetTab(3.5, pjLeft, 1.9, 0, lines, 0);
    Report.SetTab(5.5, pjLeft, 1.3, 0, lines, 0);
    Report.SetTab(6.9, pjLeft, 1.3, 0, lines, 0);
}

std::string field(TDataSet& Table, const char* Name) { return Trim(Table.FieldByName(Name)->AsString()); }

}  // namespace

TPrintRecallLabelsDlg::TPrintRecallLabelsDlg(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Print Recalls");
    SetPosition(poScreenCenter);
    SetClientWidth(333);
    SetClientHeight(150);

    DateRangeComboBox = placeRangeComboBox(this, 8, "This Month");
    std::tie(Label1, Label2, FromKingDateDialog, ThruKingDateDialog, FromKingPopup, ThruKingPopup) =
        placeDateRows(this, {20, 52, 145, 40}, "FromKingPopup", "ThruKingPopup");
    // Each calendar opens under its own box.
    FromKingPopup->SetAlignSource(FromKingDateDialog);
    ThruKingPopup->SetAlignSource(ThruKingDateDialog);

    PrintRadioGroup = place<TRadioGroup>(this, 216, 4, 105, 95, "Print");
    for (const char* item : {"Labels", "Postcards", "Listing"})
        PrintRadioGroup->Items()->Add(item);
    PrintRadioGroup->SetItemIndex(LabelsIndex);
    PrintBtn = place<TButton>(this, 129, 114, 75, 25, "&Print");

    ReportSystem1 = makeMailingReportSystem(this);
    Labels = makeAddressLabels(this, ReportSystem1);
    Postcards = new TLabelShell(this);
    Postcards->SetEngine(ReportSystem1);
    Postcards->SetNumAcross(2);
    Postcards->SetNumDown(2);
    Postcards->SetLabelWidth(5.5);
    Postcards->SetLabelHeight(4.25);
    Postcards->SetSpacingWidth(5.5);
    Postcards->SetSpacingHeight(4.25);
    Postcards->SetSpacingLeft(0);
    Postcards->SetSpacingTop(0);
    Postcards->SetLabelShape(lsRect);
    Postcards->SetDrawExtents(true);
    Listing = new TReportShell(this);

    bindEvent(OnCreate, this, &TPrintRecallLabelsDlg::FormCreate);
    bindEvent(OnClose, this, &TPrintRecallLabelsDlg::FormClose);
    bindEvent(DateRangeComboBox->OnChange, this, &TPrintRecallLabelsDlg::DateRangeComboBoxChange);
    bindEvent(FromKingDateDialog->OnKeyPress, this, &TPrintRecallLabelsDlg::FromKingDateDialogKeyPress);
    bindEvent(ThruKingDateDialog->OnKeyPress, this, &TPrintRecallLabelsDlg::ThruKingDateDialogKeyPress);
    bindEvent(FromKingDateDialog->OnExit, this, &TPrintRecallLabelsDlg::FromKingDateDialogExit);
    bindEvent(ThruKingDateDialog->OnExit, this, &TPrintRecallLabelsDlg::ThruKingDateDialogExit);
    bindEvent(PrintBtn->OnClick, this, &TPrintRecallLabelsDlg::PrintBtnClick);
    bindRunnerHandlers(ReportSystem1, this);

    for (TLabelShell* shell : {Labels, Postcards}) {
        bindEvent(shell->OnReportBefore, this, &TPrintRecallLabelsDlg::LabelsReportBefore);
        bindEvent(shell->OnLabelBefore, this, &TPrintRecallLabelsDlg::LabelsLabelBefore);
        bindEvent(shell->OnLabelAfter, this, &TPrintRecallLabelsDlg::LabelsLabelAfter);
        bindEvent(shell->OnReportAfter, this, &TPrintRecallLabelsDlg::LabelsReportAfter);
    }
    bindEvent(Labels->OnLabelPrint, this, &TPrintRecallLabelsDlg::LabelsLabelPrint);
    bindEvent(Postcards->OnLabelPrint, this, &TPrintRecallLabelsDlg::PostcardsLabelPrint);
    bindEvent(Listing->OnReportBefore, this, &TPrintRecallLabelsDlg::ListingReportBefore);
    bindEvent(Listing->OnPageBefore, this, &TPrintRecallLabelsDlg::ListingPageBefore);
    bindEvent(Listing->OnPageHeader, this, &TPrintRecallLabelsDlg::ListingPageHeader);
    bindEvent(Listing->OnRowBefore, this, &TPrintRecallLabelsDlg::ListingRowBefore);
    bindEvent(Listing->OnRowPrint, this, &TPrintRecallLabelsDlg::ListingRowPrint);
    bindEvent(Listing->OnRowAfter, this, &TPrintRecallLabelsDlg::ListingRowAfter);
    bindEvent(Listing->OnDetailAfter, this, &TPrintRecallLabelsDlg::ListingDetailAfter);
    bindEvent(Listing->OnGroupAfter, this, &TPrintRecallLabelsDlg::ListingGroupAfter);
    bindEvent(Listing->OnReportAfter, this, &TPrintRecallLabelsDlg::ListingReportAfter);
}

// ---------------------------------------------------------------- the dialog

void TPrintRecallLabelsDlg::FormCreate(TObject*) {
    DateRangeComboBoxChange(this);
    readReturnAddress();
    PostcardSettings = CreateForm<TPostcardSettingsForm>(this);
}

void TPrintRecallLabelsDlg::FormClose(TObject*, TCloseAction& Action) {
    if (PostcardSettings) PostcardSettings->Close();
    Action = caFree;
}

void TPrintRecallLabelsDlg::readReturnAddress() {
    for (std::string& line : returnAddress_) line.clear();
    if (!DataModule1 || DataModule1->DataDirectory.empty()) return;
    const TSettingsFile file = CompanyIni::File(DataModule1->DataDirectory);
    returnAddress_[0] = file.Read(CompanyIni::ReceiptName);
    returnAddress_[1] = file.Read(CompanyIni::ReceiptAddress1);
    returnAddress_[2] = file.Read(CompanyIni::ReceiptAddress2);
    returnAddress_[3] = file.Read(CompanyIni::ReceiptCity) + ", " + file.Read(CompanyIni::ReceiptState) + " " +
                        file.Read(CompanyIni::ReceiptZip);
    returnAddress_[4] = file.Read(CompanyIni::ReceiptPhone);
}

void TPrintRecallLabelsDlg::DateRangeComboBoxChange(TObject*) {
    const auto [from, thru] = DateRange::forChoice(DateRangeComboBox->Text(), Date());
    showDateRange(*FromKingDateDialog, *ThruKingDateDialog, from, thru);
}

void TPrintRecallLabelsDlg::commitDateOnExit(TKingDateDialog* Edit, TKingPopup* Popup) {
    try {
        Edit->commitTypedDate(Popup);
    } catch (const EConvertError& e) {
        // The text stays for the user to mend; "&Print" refuses it again.
        Application->ShowException(e);
    }
}

void TPrintRecallLabelsDlg::FromKingDateDialogKeyPress(TObject*, char& Key) {
    FromKingDateDialog->commitTypedDateOnKey(Key, FromKingPopup);
}

void TPrintRecallLabelsDlg::ThruKingDateDialogKeyPress(TObject*, char& Key) {
    ThruKingDateDialog->commitTypedDateOnKey(Key, ThruKingPopup);
}

void TPrintRecallLabelsDlg::FromKingDateDialogExit(TObject*) { commitDateOnExit(FromKingDateDialog, FromKingPopup); }

void TPrintRecallLabelsDlg::ThruKingDateDialogExit(TObject*) { commitDateOnExit(ThruKingDateDialog, ThruKingPopup); }

void TPrintRecallLabelsDlg::PrintBtnClick(TObject*) {
    FromKingDateDialog->commitTypedDate(FromKingPopup);
    ThruKingDateDialog->commitTypedDate(ThruKingPopup);
    fromText_ = FromKingDateDialog->Text();
    thruText_ = ThruKingDateDialog->Text();
    if (!DataModule1) return;
    const bool postcards = PrintRadioGroup->ItemIndex() == PostcardsIndex;
    ReportSystem1->SystemPreview()->SetZoomFactor(postcards ? 40 : 70);
    ReportSystem1->SystemPrinter()->SetOrientation(postcards ? TOrientation::poLandScape
                                                             : TOrientation::poPortrait);
    if (postcards) PostcardSettings->ShowModal();

    TTable& recalls = *DataModule1->RecallTable;
    TTable& patients = *DataModule1->PatientTable;
    TSharedTablePlace recallPlace(recalls, *DataModule1->RecallXbase);
    TSharedTablePlace patientPlace(patients, *DataModule1->Xbase1);
    const TControlsQuiet quiet(&patients);
    ReportSystem1->Execute();
}

void TPrintRecallLabelsDlg::ReportSystem1Print(TObject* Sender) {
    auto* report = dynamic_cast<TBaseReport*>(Sender);
    switch (PrintRadioGroup->ItemIndex()) {
    case PostcardsIndex: Postcards->Execute(report); break;
    case ListingIndex: Listing->Execute(report); break;
    default: Labels->Execute(report); break;
    }
}

// ---------------------------------------------------------------- the recalls

void TPrintRecallLabelsDlg::startRecalls(TBaseReport* Report) {
    TTable& recalls = *DataModule1->RecallTable;
    TXbase& recallEngine = *DataModule1->RecallXbase;
    if (!recalls.Active()) recalls.Open();
    // Opening leaves the table editing its sentinel; a pending edit is posted.
    recalls.CheckBrowseMode();
    recalls.SetIndexName("date");
    recallEngine.SetScope("", "");
    recallEngine.SetFilter(RecallFilter);
    recallEngine.SetScope(DateRange::Key(FromKingPopup->PopupDate()), DateRange::Key(ThruKingPopup->PopupDate()));
    recalls.First();
    TTable& patients = *DataModule1->PatientTable;
    DataModule1->Xbase1->SetScope("", "");
    DataModule1->Xbase1->SetFilter("");
    patients.SetIndexName("id");
    Report->SetFont("Arial", 10);
}

void TPrintRecallLabelsDlg::endRecalls() {
    TTable& recalls = *DataModule1->RecallTable;
    DataModule1->RecallXbase->SetScope("", "");
    DataModule1->RecallXbase->SetFilter("");
    recalls.Close();
}

bool TPrintRecallLabelsDlg::findPatient() {
    const std::string id = field(*DataModule1->RecallTable, "PATIENTID");
    return DataModule1->Xbase1->Seek(id) && DataModule1->Xbase1->Found();
}

// ---------------------------------------------------------------- labels and postcards

void TPrintRecallLabelsDlg::LabelsReportBefore(TBaseReport* Report, TLabelShell*) { startRecalls(Report); }

void TPrintRecallLabelsDlg::LabelsLabelBefore(TBaseReport*, TLabelShell*, bool& Valid) {
    Valid = !DataModule1->RecallTable->Eof();
}

void TPrintRecallLabelsDlg::LabelsLabelPrint(TBaseReport* Report, TLabelShell*, bool&) {
    if (findPatient()) printAddressBlock(*Report, patientAddress(*DataModule1->PatientTable));
}

void TPrintRecallLabelsDlg::LabelsLabelAfter(TBaseReport*, TLabelShell*, bool& Valid) {
    DataModule1->RecallTable->Next();
    Valid = !DataModule1->RecallTable->Eof();
}

void TPrintRecallLabelsDlg::LabelsReportAfter(TBaseReport*, TLabelShell*) { endRecalls(); }

std::string TPrintRecallLabelsDlg::PostcardMessage(const std::string& Reason) const {
    if (!PostcardSettings->PrintMessageCheckBox->Checked()) return {};
    const std::string kind = UpperCase(Trim(Reason));
    if (kind == "SPECTACLES EXAM") return PostcardSettings->SpectaclesNote->Text();
    if (kind == "CONTACT LENS EXAM") return PostcardSettings->ContactLensNote->Text();
    std::string message = PostcardSettings->OtherNote->Text();
    if (PostcardSettings->PrintOtherReasonCheckBox->Checked()) message += "\r\rReason for recall: " + Trim(Reason);
    return message;
}

void TPrintRecallLabelsDlg::printReturnAddress(TBaseReport& Report) {
    Report.SetFont("Arial", 10);
    Report.SetBold(true);
    Report.GotoXY(0, 0.4);
    Report.NewLine();
    Report.PrintCenter(returnAddress_[0], 1.5);
    Report.NewLine();
    Report.SetBold(false);
    for (int line = 1; line < 5; ++line) {
        Report.PrintCenter(returnAddress_[line], 1.5);
        Report.NewLine();
    }
}

void TPrintRecallLabelsDlg::PostcardsLabelPrint(TBaseReport* Report, TLabelShell*, bool&) {
    if (!findPatient()) return;
    TBaseReport& r = *Report;
    if (PostcardSettings->PrintReturnAddressCheckBox->Checked()) printReturnAddress(r);

    TMemoBuf memo;
    memo.BaseReport = Report;
    memo.PrintStart = 0.4;
    memo.PrintEnd = 2.4;
    memo.SetText(PostcardMessage(field(*DataModule1->RecallTable, "REASON")));
    r.SetFont("Arial", 10);
    r.GotoXY(0, 1.6);
    if (!memo.Empty()) r.PrintMemo(&memo, 0, false);

    r.ClearTabs();
    r.SetTab(2.7, pjLeft, 2.3, 0, BOXLINENONE, 0);
    r.GotoXY(0, 2.75);
    r.SetFont("Arial", 12);
    printAddressBlock(r, patientAddress(*DataModule1->PatientTable), true);
    r.ClearTabs();
}

// ---------------------------------------------------------------- listing

void TPrintRecallLabelsDlg::ListingReportBefore(TBaseReport* Report, TDetailShell*) {
    startRecalls(Report);
    pageNumber_ = 0;
    Report->SetOriginX(0);
    Report->SetOriginY(0);
}

void TPrintRecallLabelsDlg::ListingPageBefore(TBaseReport* Report, TDetailShell*) {
    Report->SetFont("Arial", 10);
    ++pageNumber_;
}

void TPrintRecallLabelsDlg::ListingPageHeader(TBaseReport* Report, TDetailShell*) {
    TBaseReport& r = *Report;
    r.SetFont("Arial", 10);
    r.SetLineTop(0.25);
    r.ClearTabs();
    r.SetTab(0.5, pjLeft, 1.5, 0, BOXLINENONE, 0);
    r.SetTab(6.5, pjRight, 1.5, 0, BOXLINENONE, 0);
    r.PrintTab(FormatDateTime("m/d/yyyy h:nna/p", Now()));
    r.PrintTab("Page " + std::to_string(pageNumber_));
    r.SetFont("Arial", 20);
    r.SetLineTop(0.25);
    r.PrintCenter("Patient Recall", 4.25);
    r.NewLine();
    r.SetFont("Arial", 12);
    r.PrintCenter(FormatDateTime("mmmm d, yyyy", StrToDate(fromText_)) + " thru " +
                      FormatDateTime("mmmm d, yyyy", StrToDate(thruText_)),
                  4.25);
    r.SetFont("Arial", 10);
    r.SetLineTop(1.5);
    setListingTabs(r, true);
    for (const char* heading : {"Patient ID", "Name", "Recall", "Reason", "Phone Home", "Phone Work"})
        r.PrintTab(heading);
    setListingTabs(r, false);
    r.SetLineTop(1.75);
}

void TPrintRecallLabelsDlg::ListingRowBefore(TBaseReport*, TDetailShell*, bool& Valid) {
    Valid = !DataModule1->RecallTable->Eof();
}

void TPrintRecallLabelsDlg::ListingRowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    TTable& recalls = *DataModule1->RecallTable;
    Report->PrintTab(field(recalls, "PATIENTID"));
    Report->PrintTab(field(recalls, "NAME"));
    Report->PrintTab(recalls.FieldByName("DATE")->AsString());
    Report->PrintTab(field(recalls, "REASON"));
    const bool found = findPatient();
    Report->PrintTab(found ? field(*DataModule1->PatientTable, "PHONE1") : std::string());
    Report->PrintTab(found ? field(*DataModule1->PatientTable, "PHONE2") : std::string());
    Report->NewLine();
}

void TPrintRecallLabelsDlg::ListingRowAfter(TBaseReport*, TDetailShell*, bool& Valid) {
    DataModule1->RecallTable->Next();
    Valid = !DataModule1->RecallTable->Eof();
}

void TPrintRecallLabelsDlg::ListingDetailAfter(TBaseReport* Report, TDetailShell*) {
    if (Report->YPos() > ListingPageEnd) Report->NewPage();
}

void TPrintRecallLabelsDlg::ListingGroupAfter(TBaseReport*, TDetailShell*, bool& Valid) {
    Valid = !DataModule1->RecallTable->Eof();
}

void TPrintRecallLabelsDlg::ListingReportAfter(TBaseReport*, TDetailShell*) { endRecalls(); }
