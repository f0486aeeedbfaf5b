#pragma once
// TAdvancedSearchForm: finds patients by any part of their name, street,
// phones or social security number through the full-text index Patient.ia.
// Search moves the shared patient table to the first patient whose key holds
// the upper-cased text literally; the button then reads "Next" and moves on
// to the following one, until no match is left: then the table goes back to
// its first record, the button reads "Search" and the text is selected.
// Deleted patient records the index still points to are never stopped on.
// The five read-only fields show the patient found, and the form leaves the
// table on it for its caller.
#include <string>

#include "ui/Forms.h"

class TBitBtn;
class TButton;
class TDBEdit;
class TEdit;
class TFts;
class TLabel;

class TAdvancedSearchForm : public TForm {
public:
    explicit TAdvancedSearchForm(TComponent* AOwner);

    TDBEdit* RecNameDBEdit;
    TDBEdit* AddrDBEdit;
    TDBEdit* Phone1DBEdit;
    TDBEdit* Phone2DBEdit;
    TDBEdit* SSNDBEdit;
    TEdit* SearchStringEdit;
    TButton* SearchButton;
    TBitBtn* BitBtn1;
    TFts* Fts1;

    void FormCreate(TObject* Sender);
    void FtsOpen();
    void SearchStringEditChange(TObject* Sender);
    void SearchButtonClick(TObject* Sender);
    void NextClick(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

private:
    // The index's next candidate, taken one ahead of the one shown.
    int nextCandidate();

    std::string searchText_;
    std::string keyBuffer_;
    int recNo_ = 0;
    int aheadRecNo_ = 0;
    bool haveAhead_ = false;
    bool searching_ = false;
};
