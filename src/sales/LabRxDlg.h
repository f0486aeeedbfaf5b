#pragma once
// The two lab order windows over the current receipt line (temp2):
// "Spectacles Rx" and "Contact Lens Rx". Each edits the line's order fields
// in place and prints the order for the lab.
//
// OK posts the line with its order kind ("S" or "C") when the window
// changed it, otherwise drops the pending edit. Cancel, Escape and the close
// box drop the pending edit, the copy from the exam made on opening
// included, so the line and its order kind stay as they were.
#include <string>

#include "ui/Forms.h"

class TBitBtn;
class TDataModule1;
class TDBComboBox;
class TDBEdit;
class TDBKingDlg;
class TDBMemo;
class TGroupBox;
class TKingPopup;
class TLabel;
class TPanel;
class TReportSystem;

// The notes of a lab order hold at most this many characters.
inline constexpr int LabRxNotesLimit = 500;

// What the two order windows share: the buttons, the notes memo, the
// closing rules and the report system of the printed order.
class TLabRxOrderDlg : public TForm {
public:
    // OrderKind: "S" or "C", written to the line's TYPE on OK.
    TLabRxOrderDlg(TComponent* AOwner, TDataModule1& Module, std::string OrderKind);

    TPanel* ButtonPanel;
    TBitBtn* OkBitBtn;
    TBitBtn* CancelBitBtn;
    TBitBtn* PrintBitBtn;
    TKingPopup* KingPopup1;
    TDBMemo* NotesDBMemo;
    TReportSystem* ReportSystem1;

    void OkBitBtnClick(TObject* Sender);
    void CancelBitBtnClick(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void PrintBitBtnClick(TObject* Sender);
    virtual void ReportSystem1Print(TObject* Sender) = 0;

    // Whether OK posted a change of the line.
    bool LineChanged() const { return lineChanged_; }

protected:
    // Places the notes memo at Top over the full width, and the button panel.
    void placeNotesAndButtons(int Top, int Width);
    TDataModule1& module_;

private:
    std::string orderKind_;
    bool lineChanged_ = false;
};

// "Spectacles Rx": the spectacle Rx, date expected, reading, pupillary
// distances, frame, lens material and options of a spectacle lens line.
class TLabRxSpectaclesDlg : public TLabRxOrderDlg {
public:
    TLabRxSpectaclesDlg(TComponent* AOwner, TDataModule1& Module);

    TGroupBox* RxGroupBox;
    TGroupBox* ExpectedGroupBox;
    TDBKingDlg* ExpectedDBKingDlg;
    TGroupBox* ReadingGroupBox;
    TGroupBox* PDGroupBox;
    TGroupBox* FrameGroupBox;
    TLabel* LensMatlLabel;
    TDBComboBox* LensMatlDBComboBox;
    TGroupBox* OptionsGroupBox;
    TDBEdit* TintDBEdit;

    void ReportSystem1Print(TObject* Sender) override;
};

// "Contact Lens Rx": the contact-lens Rx, the lens, its options.
class TLabRxContactLensDlg : public TLabRxOrderDlg {
public:
    TLabRxContactLensDlg(TComponent* AOwner, TDataModule1& Module);

    TGroupBox* RxGroupBox;
    TGroupBox* LensGroupBox;
    TDBKingDlg* ExpectedDBKingDlg;
    TGroupBox* OptionsGroupBox;

    void ReportSystem1Print(TObject* Sender) override;
};
