#include "patients/AdvancedSearch.h"

#include "app/DataModule.h"
#include "app/Schemas.h"
#include "base/SysUtils.h"
#include "fts/Results.h"
#include "ui/DBCtrls.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/FTS32.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

constexpr int FtsVerifyMode = 2;
constexpr int FtsNoKeys = -13;
// The search text and a key are held as zero-terminated text in 256 bytes.
constexpr size_t FtsTextBufferSize = 256;

std::string clipped(std::string Text) {
    if (Text.size() > FtsTextBufferSize - 1)
        Text.resize(FtsTextBufferSize - 1);
    return Text;
}

TLabel* placeLabel(TWinControl* Parent, int Left, int Top, const std::string& Caption) {
    return place<TLabel>(Parent, Left, Top, 84, 16, Caption);
}

}  // namespace

TAdvancedSearchForm::TAdvancedSearchForm(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Advanced Search");
    SetClientWidth(392);
    SetClientHeight(244);
    Fts1 = new TFts(this);

    TDataSource* patients = DataModule1->PatientSource;
    int top = 12;
    auto field = [&](const char* Caption, const char* Field, int Width) {
        placeLabel(this, 12, top + 3, Caption);
        auto* edit = placeBound<TDBEdit>(this, 100, top, Width, 21, patients, Field);
        edit->SetReadOnly(true);
        edit->SetColor(clBtnFace);
        edit->SetTabStop(false);
        top += 28;
        return edit;
    };
    RecNameDBEdit = field("Indexed As", "RECNAME", 280);
    AddrDBEdit = field("Street", "ADDR", 280);
    Phone1DBEdit = field("Home Phone", "PHONE1", 120);
    Phone2DBEdit = field("Work Phone", "PHONE2", 120);
    SSNDBEdit = field("SSN", "SSN", 120);

    placeLabel(this, 12, top + 11, "Search for");
    SearchStringEdit = place<TEdit>(this, 100, top + 8, 196, 21);
    SearchButton = place<TButton>(this, 304, top + 6, 75, 25, "Search");
    SearchButton->SetDefault(true);
    BitBtn1 = place<TBitBtn>(this, 304, top + 40, 75, 25);
    BitBtn1->SetKind(bkOK);
    bindEvent(SearchStringEdit->OnChange, this, &TAdvancedSearchForm::SearchStringEditChange);
    bindEvent(SearchButton->OnClick, this, &TAdvancedSearchForm::SearchButtonClick);
    bindEvent(BitBtn1->OnClick, this, &TAdvancedSearchForm::BitBtn1Click);
    bindEvent(OnClose, this, &TAdvancedSearchForm::FormClose);
    SetActiveControl(SearchStringEdit);
    FormCreate(this);
}

void TAdvancedSearchForm::FormCreate(TObject*) { FtsOpen(); }

void TAdvancedSearchForm::FtsOpen() {
    const std::string path = Schemas::tableFileName(DataModule1->DataDirectory, "Patient.ia");
    if (openPatientFts(Fts1, path) != 0)
        ShowMessage(SFtsNotOpened);
}

void TAdvancedSearchForm::SearchStringEditChange(TObject*) { SearchButton->SetCaption("Search"); }

void TAdvancedSearchForm::SearchButtonClick(TObject* Sender) {
    if (SearchButton->Caption() == "Next") {
        NextClick(Sender);
        return;
    }
    Fts1->Close();
    haveAhead_ = false;
    FtsOpen();
    DataModule1->Xbase1->GoTop();
    searchText_ = clipped(UpperCase(SearchStringEdit->Text()));
    searching_ = true;
    const int result = Fts1->Set(searchText_);
    if (result == 1) {
        SearchButton->SetCaption("Next");
        if (SearchButton->CanFocus())
            SearchButton->SetFocus();
        NextClick(Sender);
    } else if (result == FtsNoKeys) {
        ShowMessage("No keys in IA index!");
    } else if (result == FtsErrBadArgument) {
        // Punctuation alone, or nothing: the index finds words only.
        ShowMessage("Nothing to search for");
    } else {
        ShowMessage("FTS Error: " + IntToStr(result));
    }
}

void TAdvancedSearchForm::NextClick(TObject*) {
    TXbase* engine = DataModule1->Xbase1;
    bool confirmed = false;
    recNo_ = 1;
    while (!confirmed && recNo_ >= 1) {
        recNo_ = nextCandidate();
        if (recNo_ < 1) {
            searching_ = false;
            engine->GoTop();
            SearchButton->SetCaption("Search");
            if (SearchStringEdit->CanFocus())
                SearchStringEdit->SetFocus();
            SearchStringEdit->SelectAll();
            break;
        }
        // The candidate after this one is taken from the index now, so that its
        // record is on its way from memory while this one is read and shown.
        aheadRecNo_ = Fts1->NextRec();
        haveAhead_ = true;
        if (aheadRecNo_ >= 1)
            engine->Prefetch(aheadRecNo_);
        engine->Go(recNo_);
        // A rebuild keeps deleted patients in the index so that key n stays on
        // record n; they are passed over, never shown as a match.
        if (engine->RecNo() != recNo_ || engine->RecordDeleted())
            continue;
        keyBuffer_ = clipped(patientFtsKey(engine));
        if (Fts1->Verify(keyBuffer_, searchText_, FtsVerifyMode) == 1)
            searching_ = false;
        confirmed = !searchText_.empty() && keyBuffer_.find(searchText_) != std::string::npos;
    }
}

int TAdvancedSearchForm::nextCandidate() {
    if (!haveAhead_)
        return Fts1->NextRec();
    haveAhead_ = false;
    return aheadRecNo_;
}

void TAdvancedSearchForm::BitBtn1Click(TObject*) { Close(); }

void TAdvancedSearchForm::FormClose(TObject*, TCloseAction&) {
    Fts1->Close();
    haveAhead_ = false;
}
