#pragma once
// TPrintRecallLabelsDlg ("Print Recalls"): the patients whose recall falls
// in a date range, printed as address labels on the 30-up sheet, as
// postcards four to a landscape sheet (the shop's return address, a message
// by the recall's reason, the patient's address), or as a listing with the
// patients' phones. Shown modally from the main menu.
//
// Promises:
// - The range combo fills both date boxes as the date-range reports do; a
//   typed date is taken when it is committed (Enter, Tab, leaving the box,
//   "&Print"), with a four- or two-digit year, and the selection and the
//   listing's heading use the same dates. A text that is no date raises the
//   conversion error on "&Print" and nothing prints.
// - Only recalls of the range with a patient print: never a cleared recall
//   (PatientID 0) nor the recall sentinel. A recall whose patient is missing
//   leaves its label blank, its postcard blank and its listing phones empty.
// - The shared recall table is put back open or closed as it was, and the
//   shared patient table on its order, scope and record, after every run.
// - The postcard settings dialog is created with this dialog, shown modally
//   before postcards print, and closed (so its settings are written) when
//   this dialog closes.
#include <string>

#include "ui/Forms.h"

class TBaseReport;
class TButton;
class TComboBox;
class TDetailShell;
class TKingDateDialog;
class TKingPopup;
class TLabel;
class TLabelShell;
class TPostcardSettingsForm;
class TRadioGroup;
class TReportShell;
class TReportSystem;

class TPrintRecallLabelsDlg : public TForm {
public:
    explicit TPrintRecallLabelsDlg(TComponent* AOwner);

    enum { LabelsIndex = 0, PostcardsIndex = 1, ListingIndex = 2 };

    TComboBox* DateRangeComboBox;
    TLabel* Label1;
    TLabel* Label2;
    TKingDateDialog* FromKingDateDialog;
    TKingDateDialog* ThruKingDateDialog;
    TKingPopup* FromKingPopup;
    TKingPopup* ThruKingPopup;
    TRadioGroup* PrintRadioGroup;
    TButton* PrintBtn;
    TReportSystem* ReportSystem1;
    TLabelShell* Labels;
    TLabelShell* Postcards;
    TReportShell* Listing;
    // Created with this dialog, owned by it.
    TPostcardSettingsForm* PostcardSettings = nullptr;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void DateRangeComboBoxChange(TObject* Sender);
    void FromKingDateDialogKeyPress(TObject* Sender, char& Key);
    void ThruKingDateDialogKeyPress(TObject* Sender, char& Key);
    void FromKingDateDialogExit(TObject* Sender);
    void ThruKingDateDialogExit(TObject* Sender);
    void PrintBtnClick(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);

    // Labels and postcards
    void LabelsReportBefore(TBaseReport* Report, TLabelShell* Shell);
    void LabelsLabelBefore(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void LabelsLabelPrint(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void PostcardsLabelPrint(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void LabelsLabelAfter(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void LabelsReportAfter(TBaseReport* Report, TLabelShell* Shell);
    // Listing
    void ListingReportBefore(TBaseReport* Report, TDetailShell* Shell);
    void ListingPageBefore(TBaseReport* Report, TDetailShell* Shell);
    void ListingPageHeader(TBaseReport* Report, TDetailShell* Shell);
    void ListingRowBefore(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ListingRowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ListingRowAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ListingDetailAfter(TBaseReport* Report, TDetailShell* Shell);
    void ListingGroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void ListingReportAfter(TBaseReport* Report, TDetailShell* Shell);

    // The postcard message of a recall reason with the settings' choices.
    std::string PostcardMessage(const std::string& Reason) const;

private:
    // A typed date committed when the user leaves the box: a bad date shows
    // its message.
    void commitDateOnExit(TKingDateDialog* Edit, TKingPopup* Popup);
    // Recalls of the range, patients by ID; what every shell starts with.
    void startRecalls(TBaseReport* Report);
    void endRecalls();
    // The patient of the current recall, looked up in the patient table.
    bool findPatient();
    // The return address lines, from the company's [Receipt] settings.
    void readReturnAddress();
    void printReturnAddress(TBaseReport& Report);

    std::string returnAddress_[5];
    // The dates of the run, as the boxes show them.
    std::string fromText_, thruText_;
    // The listing's page number, this dialog's own.
    int pageNumber_ = 0;
};
