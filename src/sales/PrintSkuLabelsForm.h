#pragma once
// TPrintSkuLabelsForm ("Inventory Labels"): prints the SKU label queue as
// shelf labels on Avery 5267 sheets (4 across, 20 down) or as a listing, and
// on request empties the queue. Opened without waiting from the main menu;
// it frees itself when closed.
//
// Promises:
// - "&Print" is enabled only while there is a queue: at opening, after
//   "Reset Labels", and when another window deleted the queue meanwhile
//   (Print then says so and disables itself).
// - Labels start at the slot (row - 1) x 4 + column the label dialog gives;
//   the slots before it stay empty. Each queued line prints one label; the
//   run stops after the last line.
// - The listing prints every queued line's seven columns under a page
//   header, starting a new page after a row below 10.5 in.
// - Printing never changes the queue; only "Reset Labels" deletes it.
#include <string>
#include <vector>

#include "ui/Forms.h"

class TBaseReport;
class TButton;
class TDetailShell;
class TLabelShell;
class TRadioGroup;
class TReportShell;
class TReportSystem;

class TPrintSkuLabelsForm : public TForm {
public:
    explicit TPrintSkuLabelsForm(TComponent* AOwner);

    TButton* PrintLabelsBtn;
    TButton* ResetLabelsBtn;
    TRadioGroup* PrintRadioGroup;
    TReportSystem* ReportSystem1;
    TLabelShell* LabelShell1;
    TReportShell* ReportShell1;

    void PrintLabelsBtnClick(TObject* Sender);
    void ResetLabelsBtnClick(TObject* Sender);
    void ReportSystem1Print(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // The slot (1-based) where the last labels run began printing.
    int StartSlot() const { return startSlot_; }

private:
    bool labelsChosen() const;
    // The queue's lines for a run; false (with a message) when it is gone.
    bool readQueue();

    // Labels
    void labelsBefore(TBaseReport* Report, TLabelShell* Shell);
    void labelsPageBefore(TBaseReport* Report, TLabelShell* Shell);
    void labelPrint(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    void labelAfter(TBaseReport* Report, TLabelShell* Shell, bool& Valid);
    // Listing
    void listingBefore(TBaseReport* Report, TDetailShell* Shell);
    void listingPageHeader(TBaseReport* Report, TDetailShell* Shell);
    void listingRowBefore(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void listingRowPrint(TBaseReport* Report, TDetailShell* Shell, bool& Valid);
    void listingGroupAfter(TBaseReport* Report, TDetailShell* Shell, bool& Valid);

    bool linesLeft() const { return next_ < lines_.size(); }

    std::vector<std::string> lines_;
    size_t next_ = 0;
    int slot_ = 0;
    int startSlot_ = 1;
    int page_ = 0;
};

// Registers TPrintSkuLabelsForm for the main menu.
void registerSkuLabelForms();
