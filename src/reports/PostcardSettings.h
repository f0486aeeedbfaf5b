#pragma once
// TPostcardSettingsForm ("Postcard Settings"): the recall postcards' options
// kept in the company's Company.ini [Postcards]: whether to print the return
// address, the recall messages and, after the other message, the recall's
// reason; and the three messages (spectacles, contact lens, other), each of
// at most 250 characters. The recall dialog creates it with itself and shows
// it modally before printing postcards.
//
// Promises: the three message boxes are enabled exactly while "Print
// Messages " is ticked; every close writes all six keys, the messages with
// their line breaks coded so a value stays on one line; a file that cannot
// be written shows its message once and the form still closes; with no
// company open nothing is read or written.
#include <string>

#include "ui/Forms.h"

class TButton;
class TCheckBox;
class TLabel;
class TMemo;

class TPostcardSettingsForm : public TForm {
public:
    explicit TPostcardSettingsForm(TComponent* AOwner);

    static constexpr int NoteLength = 250;

    TCheckBox* PrintReturnAddressCheckBox;
    TCheckBox* PrintMessageCheckBox;
    TCheckBox* PrintOtherReasonCheckBox;
    TLabel* SpectaclesLabel;
    TLabel* ContactLensLabel;
    TLabel* OtherLabel;
    TMemo* SpectaclesNote;
    TMemo* ContactLensNote;
    TMemo* OtherNote;
    TButton* OKBtn;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void PrintMessageCheckBoxClick(TObject* Sender);
    void OKBtnClick(TObject* Sender);

private:
    // The company's data folder; empty with no company open.
    static std::string dataDirectory();
    void writeSettings();
};
