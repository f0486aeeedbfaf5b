#pragma once
// The memo dialog: a modal form showing the whole memo of the current record
// in a data-aware multi-line editor, for editing (MemoEdit) or viewing
// (MemoView). OK posts a changed, writable memo; Ctrl+Enter is OK, Escape
// cancels, Enter and Tab stay in the text. Leaving a changed memo without OK
// asks "Changes have been made!  Are you sure you wish to cancel?"; Yes
// cancels the record's edit. A Post that fails keeps the dialog open with
// the text.
#include <string>

#include "data/DataSource.h"
#include "ui/DBCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

enum TQmMemoAttribute { mSizeable, mWordWrap, mGridShow, mViewOnly, mDisableDialog };
using TQmMemoAttributes = TSet<TQmMemoAttribute>;

inline const std::string SMemoCancelQuestion = "Changes have been made!  Are you sure you wish to cancel?";

class TMemoDialog : public TForm {
public:
    explicit TMemoDialog(TComponent* AOwner);

    TDBMemo* DBMemo;
    TBitBtn* OKBtn;
    TBitBtn* CancelBtn;

    // What MemoEdit and MemoView hand over before showing.
    void setRequest(const TRect& Bounds, TFont* Font, const std::string& Caption);

    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void ResizeControls(TObject* Sender);
    void FormShow(TObject* Sender);
    void DBMemoChange(TObject* Sender);
    void DBMemoKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void OKBtnClick(TObject* Sender);

private:
    bool okPressed_ = false;
    bool modified_ = false;
    bool shownOnce_ = false;
    TRect bounds_;
    TFont* font_ = nullptr;
    std::string caption_;
};

// Run the dialog over DataSource's DataField; true when it closed with OK.
bool MemoEdit(TForm* Owner, TDataSource* DataSource, const std::string& DataField, const TRect& Bounds, TFont* Font,
              const std::string& Caption, TQmMemoAttributes Attributes);
bool MemoView(TForm* Owner, TDataSource* DataSource, const std::string& DataField, const TRect& Bounds, TFont* Font,
              const std::string& Caption, TQmMemoAttributes Attributes);
