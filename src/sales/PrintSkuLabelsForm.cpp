#include "sales/PrintSkuLabelsForm.h"

#include "base/Classes.h"
#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "patients/LabelRowCol.h"
#include "reporting/RSBase.h"
#include "reporting/RSLabel.h"
#include "reporting/RSShell.h"
#include "reporting/RSSystem.h"
#include "sales/SkuLabelPrint.h"
#include "sales/SkuLabelQueue.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

namespace {

constexpr int LabelsIndex = 0;
constexpr int ListingIndex = 1;
constexpr int LabelsAcross = 4;

// Avery 5267: 4 x 20 return-address labels.
void setSheet(TLabelShell* Shell) {
    Shell->SetNumAcross(LabelsAcross);
    Shell->SetNumDown(20);
    Shell->SetLabelWidth(1.75);
    Shell->SetLabelHeight(0.5);
    Shell->SetSpacingLeft(0.281);
    Shell->SetSpacingTop(0.5);
    Shell->SetSpacingWidth(2.063);
    Shell->SetSpacingHeight(0.5);
    Shell->SetLabelBrand(lbAV5267);
    Shell->SetBorder(0.2);
    Shell->SetDrawExtents(true);
}

}  // namespace

TPrintSkuLabelsForm::TPrintSkuLabelsForm(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Inventory Labels");
    SetBounds(0, 0, 300, 160);

    PrintRadioGroup = place<TRadioGroup>(this, 16, 12, 129, 89, "Print");
    PrintRadioGroup->Items()->Add("Labels");
    PrintRadioGroup->Items()->Add("Listing");
    PrintRadioGroup->SetItemIndex(LabelsIndex);
    PrintLabelsBtn = place<TButton>(this, 168, 20, 105, 25, "&Print");
    ResetLabelsBtn = place<TButton>(this, 168, 60, 105, 25, "Reset Labels");
    ResetLabelsBtn->SetHint("Clears label file for next batch of labels.");
    ResetLabelsBtn->SetShowHint(true);

    ReportSystem1 = new TReportSystem(this);
    LabelShell1 = new TLabelShell(this);
    LabelShell1->SetEngine(ReportSystem1);
    setSheet(LabelShell1);
    ReportShell1 = new TReportShell(this);
    ReportShell1->SetEngine(ReportSystem1);

    bindEvent(PrintLabelsBtn->OnClick, this, &TPrintSkuLabelsForm::PrintLabelsBtnClick);
    bindEvent(ResetLabelsBtn->OnClick, this, &TPrintSkuLabelsForm::ResetLabelsBtnClick);
    bindEvent(ReportSystem1->OnPrint, this, &TPrintSkuLabelsForm::ReportSystem1Print);
    bindEvent(OnClose, this, &TPrintSkuLabelsForm::FormClose);
    bindEvent(LabelShell1->OnReportBefore, this, &TPrintSkuLabelsForm::labelsBefore);
    bindEvent(LabelShell1->OnPageBefore, this, &TPrintSkuLabelsForm::labelsPageBefore);
    bindEvent(LabelShell1->OnLabelPrint, this, &TPrintSkuLabelsForm::labelPrint);
    bindEvent(LabelShell1->OnLabelAfter, this, &TPrintSkuLabelsForm::labelAfter);
    bindEvent(ReportShell1->OnReportBefore, this, &TPrintSkuLabelsForm::listingBefore);
    bindEvent(ReportShell1->OnPageHeader, this, &TPrintSkuLabelsForm::listingPageHeader);
    bindEvent(ReportShell1->OnRowBefore, this, &TPrintSkuLabelsForm::listingRowBefore);
    bindEvent(ReportShell1->OnRowPrint, this, &TPrintSkuLabelsForm::listingRowPrint);
    bindEvent(ReportShell1->OnGroupAfter, this, &TPrintSkuLabelsForm::listingGroupAfter);

    PrintLabelsBtn->SetEnabled(SkuLabelQueue::Exists());
}

bool TPrintSkuLabelsForm::labelsChosen() const { return PrintRadioGroup->ItemIndex() != ListingIndex; }

bool TPrintSkuLabelsForm::readQueue() {
    lines_.clear();
    next_ = 0;
    if (!SkuLabelQueue::Exists()) {
        PrintLabelsBtn->SetEnabled(false);
        MessageDlg("There are no labels to print: the label file was cleared.", mtInformation, {mbOK});
        return false;
    }
    try {
        lines_ = SkuLabelQueue::readLines();
    } catch (const EInOutError& e) {
        Application->ShowException(e);
        return false;
    }
    if (lines_.size() > static_cast<size_t>(SkuLabelQueue::MaxLabelsPerRun)) {
        MessageDlg("The label file holds " + FormatFloat("#,##0", static_cast<double>(lines_.size())) +
                       " labels; one run prints at most " +
                       FormatFloat("#,##0", SkuLabelQueue::MaxLabelsPerRun) +
                       ". Reset Labels and queue them again in smaller batches.",
                   mtError, {mbOK});
        lines_.clear();
        return false;
    }
    return true;
}

void TPrintSkuLabelsForm::PrintLabelsBtnClick(TObject*) {
    if (!readQueue())
        return;
    if (labelsChosen()) {
        if (!askLabelStart(this, LabelShell1->NumDown(), LabelShell1->NumAcross()))
            return;
        startSlot_ = firstLabelSlot(LabelStartRow, LabelStartColumn, LabelsAcross);
    }
    ReportSystem1->Execute();
}

void TPrintSkuLabelsForm::ResetLabelsBtnClick(TObject*) {
    SkuLabelQueue::Reset();
    PrintLabelsBtn->SetEnabled(false);
}

void TPrintSkuLabelsForm::ReportSystem1Print(TObject* Sender) {
    auto* report = dynamic_cast<TBaseReport*>(Sender);
    if (labelsChosen())
        LabelShell1->Execute(report);
    else
        ReportShell1->Execute(report);
}

void TPrintSkuLabelsForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

// ---------------------------------------------------------------- labels

void TPrintSkuLabelsForm::labelsBefore(TBaseReport*, TLabelShell*) {
    slot_ = 0;
    next_ = 0;
}

void TPrintSkuLabelsForm::labelsPageBefore(TBaseReport* Report, TLabelShell*) { Report->SetFont("Arial", 8); }

void TPrintSkuLabelsForm::labelPrint(TBaseReport* Report, TLabelShell*, bool&) {
    ++slot_;
    // Labels already used on the first sheet stay empty.
    if (slot_ < startSlot_ || !linesLeft())
        return;
    SkuLabelPrint::PrintLabel(Report, lines_[next_++]);
}

void TPrintSkuLabelsForm::labelAfter(TBaseReport*, TLabelShell*, bool& Valid) { Valid = linesLeft(); }

// ---------------------------------------------------------------- listing

void TPrintSkuLabelsForm::listingBefore(TBaseReport*, TDetailShell*) {
    next_ = 0;
    page_ = 0;
}

void TPrintSkuLabelsForm::listingPageHeader(TBaseReport* Report, TDetailShell*) {
    SkuLabelPrint::printListingHeader(Report, ++page_, Now());
    SkuLabelPrint::startListingBody(Report);
}

void TPrintSkuLabelsForm::listingRowBefore(TBaseReport*, TDetailShell*, bool& Valid) { Valid = linesLeft(); }

void TPrintSkuLabelsForm::listingRowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    SkuLabelPrint::printListingRow(Report, lines_[next_++]);
}

void TPrintSkuLabelsForm::listingGroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    Valid = linesLeft();
    if (Valid && Report->YPos() > SkuLabelPrint::ListingPageEnd)
        Report->NewPage();
}

void registerSkuLabelForms() { RegisterClass<TPrintSkuLabelsForm>(); }
