#pragma once
// TEbillViewer, "E-Bill Claims Captured": pages through the claims waiting in
// the open company's capture file EBill.dat, one claim per page, each shown
// on a facsimile of the HCFA-1500 form, and removes one claim or all of them.
// Opened modally from the main menu by its class name; frees itself when
// closed. Without a capture file it opens on page 0 with every button
// disabled.
#include <string>
#include <vector>

#include "ui/Forms.h"

class TButton;
class TLabel;
class TMemo;
class TPanel;
class THcfaFacsimile;

class TEbillViewer : public TForm {
public:
    explicit TEbillViewer(TComponent* AOwner);

    TScrollBox* ScrollBox1;
    THcfaFacsimile* Facsimile;
    // One label per capture-file column, named after its form box
    // ("ClaimNoLabel", "CF1Medicare", "CF24A1From", ...).
    std::vector<TLabel*> DataLabels;
    // The shown block's lines, trailing blanks removed.
    TPanel* BufferPanel;
    TMemo* Memo1;
    TPanel* ButtonPanel;
    TLabel* PageLabel;
    TButton* DeleteBtn;
    TButton* PreviousBtn;
    TButton* NextBtn;
    TButton* ClearButton;

    // The claim block shown, 1 for the first; 0 when the file holds none.
    int PageNo = 0;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    // Reads block PageNo into the buffer and the labels and sets the buttons.
    void DisplayHCFAForm();
    void NextBtnClick(TObject* Sender);
    void PreviousBtnClick(TObject* Sender);
    void DeleteBtnClick(TObject* Sender);
    void ClearButtonClick(TObject* Sender);

    // The data label of that name, or nullptr.
    TLabel* DataLabel(const std::string& Name) const;

private:
    // The open company's data folder, taken when the viewer opens.
    std::string dataFolder_;
};

// Makes the viewer known to the class registry, for the main menu.
void registerEbillViewer();
