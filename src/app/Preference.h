#pragma once
// TPreferencesDlg: the company's settings (Company.ini of the open company:
// tax rates, receipt text and address, insurance billing, bank account) and
// this workstation's (VO97.ini: cash drawer, lab-order offset) on three
// pages. Not modal; closing frees it.
//
// Showing reads every key with its default. OK writes every key as typed,
// company keys first, then the workstation's, and closes; the two tax rates
// and the two form offsets must read as decimal numbers and the copies as a
// whole number (blank is allowed), otherwise the conversion message is shown,
// the field is focused and nothing is written. A settings file that cannot
// be written is reported and the dialog stays open. Cancel writes nothing.
//
// With no company open the company keys show their defaults and are not
// written.
#include <string>

#include "ui/Forms.h"

class TButton;
class TCheckBox;
class TComboBox;
class TCustomEdit;
class TEdit;
class TGroupBox;
class TLabel;
class TMaskEdit;
class TMemo;
class TPageControl;
class TRadioGroup;
class TTabSheet;

class TPreferencesDlg : public TForm {
public:
    explicit TPreferencesDlg(TComponent* AOwner);

    TPageControl* PageControl1;

    TTabSheet* ReceiptSheet;
    TEdit* SalesTaxRateEdit;
    TEdit* AltTaxRateEdit;
    TMemo* ReceiptMessageMemo;
    TEdit* ReceiptCopiesEdit;
    TGroupBox* ReceiptAddressBox;
    TEdit* ReceiptNameEdit;
    TEdit* ReceiptAddress1Edit;
    TEdit* ReceiptAddress2Edit;
    TEdit* ReceiptCityEdit;
    TEdit* ReceiptStateEdit;
    TEdit* ReceiptZipEdit;
    TMaskEdit* ReceiptPhoneEdit;

    TTabSheet* InsuranceSheet;
    TGroupBox* HCFABox;
    TEdit* POSCodeEdit;
    TEdit* XOffsetEdit;
    TEdit* YOffsetEdit;
    TGroupBox* BillingBox;
    TEdit* BillNameEdit;
    TEdit* BillAddrsEdit;
    TEdit* BillCityEdit;
    TEdit* BillStateEdit;
    TEdit* BillZipEdit;
    TMaskEdit* BillPhoneEdit;
    TEdit* BillPinEdit;
    TEdit* BillGrpEdit;
    TGroupBox* FedTaxBox;
    TEdit* FedTaxIDEdit;
    TRadioGroup* FedIdTypeGroup;

    TTabSheet* GeneralSheet;
    TEdit* BankAccountNoEdit;
    TGroupBox* CashDrawerBox;
    TComboBox* CashDrawerPortCombo;
    TEdit* CashDrawerControlCodeEdit;
    TCheckBox* PrntOffsetCheck;

    TButton* OKBtn;
    TButton* CancelBtn;
    TButton* HelpBtn;

    void FormShow(TObject* Sender);
    void OKBtnClick(TObject* Sender);
    void CancelBtnClick(TObject* Sender);
    void HelpBtnClick(TObject* Sender);

private:
    void buildReceiptPage();
    void buildInsurancePage();
    void buildGeneralPage();
    // The numbers other code reads back must convert; the first that does
    // not is reported and focused. False then.
    bool numbersValid();
    void writeCompanyKeys(const std::string& DataDirectory);
    void writeWorkstationKeys();
};
