#pragma once
// TReceiptForm, "Receipt": the point of sale. One receipt at a time, edited
// in the scratch header (temp1) and lines (temp2) of the data module: the
// patient and exam, the date, employee and terms, and a grid of line items
// whose amounts, tax and totals follow every change. The money core
// (TReceiptDocument) builds the scratch tables, opens, saves and deletes
// the receipt; this window keeps the totals on screen with the same cents
// rule, so what it shows is what is stored and posted.
//
// The program has one receipt window: it is registered by class name as a
// single-instance form, so "Edit Receipt" reaches the same window, and
// other windows open a stored receipt in it through showReceipt. The window opens on a new receipt; nothing of the lines can
// be entered before a patient is chosen, and the patient of a stored
// receipt cannot be changed.
#include <memory>
#include <string>

#include "sales/ReceiptDocument.h"
#include "sales/ReceiptTotals.h"
#include "ui/Forms.h"

class TBitBtn;
class TDataModule1;
class TDataSet;
class TDBCheckBox;
class TDBEdit;
class TDBKingDlg;
class TKingPopup;
class TLabel;
class TMemo;
class TPanel;
class TQmDBGrid;
class TQmDBLookupCombo;
class TQmTable;
class TReportSystem;

class TReceiptForm : public TForm {
public:
    explicit TReceiptForm(TComponent* AOwner);
    ~TReceiptForm() override;

    // ---- header (temp1)
    TDBEdit* AccountDBEdit;
    TBitBtn* AccountBitBtn;
    TDBEdit* NameDBEdit;
    TDBEdit* AddressDBEdit;
    TDBEdit* CityDBEdit;
    TDBEdit* StateDBEdit;
    TDBEdit* ZipDBEdit;
    TDBEdit* ReceiptDBEdit;
    TKingPopup* KingPopup1;
    TDBKingDlg* DateDBKingDlg;
    TQmDBLookupCombo* EmployeeLookupCombo;
    TDBEdit* TermsDBEdit;
    TQmDBLookupCombo* IncidentDBLookupCombo;
    TDBCheckBox* BillInsuranceCheckBox;
    // ---- lines (temp2)
    TQmDBGrid* LineItemDBGrid;
    TQmDBLookupCombo* ItemQmDBLookupCombo;
    TMemo* ReceiptMessageMemo;
    // ---- totals
    TPanel* Panel1;
    TLabel* SubTotalLabel;
    TLabel* TaxLabel2;
    TLabel* TaxLabel;
    TLabel* TotalLabel;
    // ---- buttons
    TBitBtn* NewBitBtn;
    TBitBtn* OpenBitBtn;
    TBitBtn* SaveBitBtn;
    TBitBtn* CancelBitBtn;
    TBitBtn* DeleteBtn;
    TBitBtn* LabRxBitBtn;
    TBitBtn* InsClaimBitBtn;
    TBitBtn* SalesTaxRateBitBtn;
    TBitBtn* PaymentBitBtn;
    TBitBtn* PrintBitBtn;
    // Hidden and disabled: removes the current line ("Delete Item").
    TBitBtn* DeleteItemBtn;
    // Prints the receipt: to the printer by default, after the setup window.
    TReportSystem* ReportSystem1;

    // ---- the receipt
    // Shows a new, empty receipt dated today.
    void CreateNewReceipt();
    // Loads the stored receipt Receipt (any text naming its number). A text
    // that is no number is refused (false, with a message); a number not
    // stored opens an empty receipt under the default rate.
    bool OpenReceipt(const std::string& Receipt);
    // Stores the receipt on screen; false when it was refused or failed.
    bool SaveReceipt();
    // With unsaved changes, asks "Changes have been made to this receipt..."
    // and saves on Yes. False when the user wanted the receipt saved and the
    // save was refused or failed: the receipt then stays on screen.
    bool askToSave();

    // ---- lines and totals
    // Recomputes the current line's amount and counts it in the totals.
    void CalcCost();
    // Shows the totals and the rate.
    void DisplayTotals();
    // Empties the grid cell that has the focus.
    void ClearField();

    // ---- handlers
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void NewBitBtnClick(TObject* Sender);
    void OpenBitBtnClick(TObject* Sender);
    void SaveBitBtnClick(TObject* Sender);
    void CancelBitBtnClick(TObject* Sender);
    void AccountBitBtnClick(TObject* Sender);
    void AccountDBEditChange(TObject* Sender);
    void IncidentDBLookupComboEnter(TObject* Sender);
    void IncidentDBLookupComboExit(TObject* Sender);
    void ItemQmDBLookupComboClick(TObject* Sender);
    void ItemQmDBLookupComboDropDown(TObject* Sender);
    void ItemQmDBLookupComboCloseUp(TObject* Sender, TQmTable* LookupTable, TDataSet* FillTable, bool Modified);
    void ItemQmDBLookupComboExit(TObject* Sender);
    void ItemQmDBLookupComboMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void LineItemDBGridKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
    void LineItemDBGridKeyPress(TObject* Sender, char& Key);
    void LineItemDBGridKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
    void LineItemDBGridDblClick(TObject* Sender);
    void LineItemDBGridColExit(TObject* Sender);
    void ReceiptDBEditKeyPress(TObject* Sender, char& Key);
    void DeleteBitBtnClick(TObject* Sender);
    void DeleteBtnClick(TObject* Sender);
    void PaymentBitBtnClick(TObject* Sender);
    void InsClaimBitBtnClick(TObject* Sender);
    // Fills a new claim (NewClaim) or rewrites the one the claim table stands
    // on from the receipt on screen (ReceiptClaim.cpp).
    void CreateClaim(TObject* Sender, bool NewClaim);
    void LabRxBitBtnClick(TObject* Sender);
    void SalesTaxRateBitBtnClick(TObject* Sender);
    void PrintBitBtnClick(TObject* Sender);
    // Prints the receipt on the report Sender.
    void ReportSystem1Print(TObject* Sender);

    // ---- state
    bool NewReceiptFlag() const { return document_->NewReceiptFlag(); }
    Cents::TaxRate ReceiptTaxRate() const { return totals_.Rate(); }
    Cents::TaxRate DefaultTaxRate() const { return defaultTaxRate_; }
    const TReceiptTotals& Totals() const { return totals_; }
    const LedgerPostings::TReceiptFigures& Posted() const { return document_->Posted(); }
    const std::string& DefaultReceiptMessage() const { return defaultReceiptMessage_; }
    TReceiptDocument& Document() { return *document_; }

private:
    void buildHeader();
    void buildLines();
    void buildTotalsAndButtons();
    void buildReportSystem();
    // The receipt's rate becomes Rate, on screen and for the save.
    void setRate(Cents::TaxRate Rate);
    // Counts every line of temp2 afresh (after opening); ends on the last line.
    void countAllLines();
    // The current line's record number once posted, 0 while it is new.
    int currentLine() const;
    // The field of the grid's current column is Name.
    bool inColumn(const char* Name) const;
    // The choice of an item code in the line's code cell.
    void fillLineFromItem(const std::string& Code);
    // The sales table holds the receipt numbered Number.
    bool storedReceipt(const std::string& Number) const;

    TDataModule1& module_;
    std::unique_ptr<TReceiptDocument> document_;
    TReceiptTotals totals_;
    Cents::TaxRate defaultTaxRate_;
    std::string defaultReceiptMessage_;
};

// Makes the receipt window known to the class registry as the program's one
// receipt window.
void registerReceiptForm();

// Shows the program's receipt window (making it when there is none) owned
// by Owner and opens the stored receipt Receipt in it.
TReceiptForm* showReceipt(TComponent* Owner, const std::string& Receipt);
