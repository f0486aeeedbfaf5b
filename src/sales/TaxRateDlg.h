#pragma once
// TSalesTaxRateDlg, "Sales Tax Rate": changes the tax rate of the receipt
// on screen only. An editable combo offers the company's two rates
// (SalesTaxRate, AltTaxRate, in percent as stored) and shows the receipt's
// rate; closing the dialog, whichever way, takes the text as the new rate.
// A text that is no number keeps the dialog open with the class library's
// conversion message, and the rate stays as it was.
#include <string>

#include "app/Cents.h"
#include "ui/Forms.h"

class TBitBtn;
class TComboBox;
class TLabel;

class TSalesTaxRateDlg : public TForm {
public:
    // Rate: the receipt's rate shown at first; DataDirectory: the company
    // whose settings fill the list.
    TSalesTaxRateDlg(TComponent* AOwner, Cents::TaxRate Rate, std::string DataDirectory);

    TLabel* Label1;
    TLabel* Label2;
    TComboBox* TaxRateComboBox;
    TLabel* Label3;
    TLabel* Label4;
    TLabel* Label5;
    TBitBtn* OKBitBtn;

    void FormCreate(TObject* Sender);
    void OKBitBtnClick(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // The receipt's rate: as given, or as typed once the dialog closed.
    Cents::TaxRate ReceiptTaxRate() const { return rate_; }

private:
    Cents::TaxRate rate_;
    std::string dataDirectory_;
};
