#include "app/Preference.h"

#include <tuple>

#include "app/DataModule.h"
#include "app/DialogButtons.h"
#include "app/HelpFile.h"
#include "app/MultiLineSetting.h"
#include "app/Settings.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/Mask.h"
#include "ui/StdCtrls.h"

namespace {

const char* const PhoneMask = "!\\(999\\)999-9999;1; ";
const char* const ReceiptMessageHint = "Enter default Receipt Message here.";
const char* const FedIdTypes[] = {"SSN", "EIN"};

template <class T>
T* placeEdit(TWinControl* Parent, int Left, int Top, int Width, int MaxLength) {
    T* edit = place<T>(Parent, Left, Top, Width, 21);
    edit->SetMaxLength(MaxLength);
    return edit;
}

TMaskEdit* placePhone(TWinControl* Parent, int Left, int Top) {
    auto* edit = place<TMaskEdit>(Parent, Left, Top, 100, 21);
    edit->SetEditMask(PhoneMask);
    return edit;
}

void placeLabel(TWinControl* Parent, int Left, int Top, int Width, const std::string& Caption) {
    place<TLabel>(Parent, Left, Top + 3, Width, 16, Caption);
}

// The business name, address, city/state/zip and phone rows of a box, a row
// every 26 pixels from Top; a second address line, when asked for, sits 24
// under the first (none is placed otherwise).
std::tuple<TEdit*, TEdit*, TEdit*, TEdit*, TEdit*, TEdit*, TMaskEdit*> placeAddress(TWinControl* Box, int Top,
                                                                                   bool SecondLine) {
    placeLabel(Box, 12, Top, 96, "Business Name");
    TEdit* name = placeEdit<TEdit>(Box, 112, Top, 210, 27);
    Top += 26;
    placeLabel(Box, 12, Top, 96, "Address");
    TEdit* address = placeEdit<TEdit>(Box, 112, Top, 210, 27);
    TEdit* address2 = nullptr;
    if (SecondLine) {
        Top += 24;
        address2 = placeEdit<TEdit>(Box, 112, Top, 210, 27);
    }
    Top += 26;
    placeLabel(Box, 12, Top, 96, "City/State/Zip");
    TEdit* city = placeEdit<TEdit>(Box, 112, Top, 120, 13);
    TEdit* state = placeEdit<TEdit>(Box, 236, Top, 30, 2);
    TEdit* zip = placeEdit<TEdit>(Box, 270, Top, 84, 10);
    Top += 26;
    placeLabel(Box, 12, Top, 96, "Phone");
    return {name, address, address2, city, state, zip, placePhone(Box, 112, Top)};
}

TTabSheet* placeSheet(TForm* Form, TPageControl* Pages, const std::string& Caption) {
    auto* sheet = new TTabSheet(Form);
    sheet->SetCaption(Caption);
    sheet->SetPageControl(Pages);
    return sheet;
}

// The data folder of the open company, "" when none is open.
std::string OpenCompanyDirectory() {
    if (!DataModule1 || DataModule1->OpeningAbandoned)
        return "";
    return DataModule1->DataDirectory;
}

}  // namespace

TPreferencesDlg::TPreferencesDlg(TComponent* AOwner) : TForm(AOwner) {
    frameDialog(this, "Preferences");
    SetClientWidth(440);
    SetClientHeight(404);

    PageControl1 = place<TPageControl>(this, 8, 8, 424, 352);
    buildReceiptPage();
    buildInsurancePage();
    buildGeneralPage();
    PageControl1->SetActivePage(ReceiptSheet);

    placeOKCancel(this, 188, 272, 370, OKBtn, CancelBtn, &TPreferencesDlg::OKBtnClick,
                  &TPreferencesDlg::CancelBtnClick);
    HelpBtn = place<TButton>(this, 356, 370, 75, 25, "&Help");
    bindEvent(HelpBtn->OnClick, this, &TPreferencesDlg::HelpBtnClick);

    bindEvent(OnShow, this, &TPreferencesDlg::FormShow);
    OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
}

void TPreferencesDlg::buildReceiptPage() {
    ReceiptSheet = placeSheet(this, PageControl1, "Receipt");
    TTabSheet* page = ReceiptSheet;

    placeLabel(page, 12, 12, 120, "Sales Tax Rate");
    SalesTaxRateEdit = placeEdit<TEdit>(page, 136, 12, 56, 6);
    placeLabel(page, 196, 12, 16, "%");
    placeLabel(page, 12, 40, 120, "Alternate Tax Rate");
    AltTaxRateEdit = placeEdit<TEdit>(page, 136, 40, 56, 6);
    placeLabel(page, 196, 40, 16, "%");

    placeLabel(page, 12, 68, 120, "Receipt Message");
    ReceiptMessageMemo = place<TMemo>(page, 136, 68, 264, 58);
    ReceiptMessageMemo->SetMaxLength(250);
    ReceiptMessageMemo->SetHint(ReceiptMessageHint);
    ReceiptMessageMemo->SetShowHint(true);

    placeLabel(page, 12, 134, 120, "Print");
    ReceiptCopiesEdit = place<TEdit>(page, 136, 134, 32, 21);
    placeLabel(page, 174, 134, 220, "Copy/Copies of each receipt.");

    ReceiptAddressBox = place<TGroupBox>(page, 8, 164, 400, 152, "Your business address at top of receipt");
    std::tie(ReceiptNameEdit, ReceiptAddress1Edit, ReceiptAddress2Edit, ReceiptCityEdit, ReceiptStateEdit,
             ReceiptZipEdit, ReceiptPhoneEdit) = placeAddress(ReceiptAddressBox, 22, true);
}

void TPreferencesDlg::buildInsurancePage() {
    InsuranceSheet = placeSheet(this, PageControl1, "Insurance");
    TTabSheet* page = InsuranceSheet;

    HCFABox = place<TGroupBox>(page, 8, 6, 400, 76, "HCFA-1500 Form Defaults");
    placeLabel(HCFABox, 12, 20, 140, "Place of Service Code");
    POSCodeEdit = placeEdit<TEdit>(HCFABox, 156, 20, 40, 3);
    placeLabel(HCFABox, 12, 46, 140, "HCFA-1500 X-Offset");
    XOffsetEdit = placeEdit<TEdit>(HCFABox, 156, 46, 50, 5);
    placeLabel(HCFABox, 226, 46, 60, "Y-Offset");
    YOffsetEdit = placeEdit<TEdit>(HCFABox, 290, 46, 50, 5);

    BillingBox = place<TGroupBox>(page, 8, 88, 400, 152, "Physician/Suppliers Billing Address and Information");
    std::tie(BillNameEdit, BillAddrsEdit, std::ignore, BillCityEdit, BillStateEdit, BillZipEdit, BillPhoneEdit) =
        placeAddress(BillingBox, 20, false);
    TGroupBox* box = BillingBox;
    placeLabel(box, 12, 124, 96, "PIN#");
    BillPinEdit = placeEdit<TEdit>(box, 112, 124, 100, 12);
    placeLabel(box, 226, 124, 40, "GRP#");
    BillGrpEdit = placeEdit<TEdit>(box, 270, 124, 114, 14);

    FedTaxBox = place<TGroupBox>(page, 8, 246, 400, 70, "Federal Tax ID");
    FedTaxIDEdit = placeEdit<TEdit>(FedTaxBox, 12, 30, 120, 12);
    FedIdTypeGroup = place<TRadioGroup>(FedTaxBox, 156, 14, 180, 46, "Type");
    FedIdTypeGroup->SetColumns(2);
    for (const char* type : FedIdTypes)
        FedIdTypeGroup->Items()->Add(type);
}

void TPreferencesDlg::buildGeneralPage() {
    GeneralSheet = placeSheet(this, PageControl1, "General");
    TTabSheet* page = GeneralSheet;

    placeLabel(page, 12, 12, 140, "Bank Account Number");
    BankAccountNoEdit = placeEdit<TEdit>(page, 156, 12, 210, 27);

    CashDrawerBox = place<TGroupBox>(page, 8, 44, 400, 82, "Cash Drawer");
    placeLabel(CashDrawerBox, 12, 22, 96, "Com Port");
    CashDrawerPortCombo = place<TComboBox>(CashDrawerBox, 112, 22, 140, 21);
    for (std::string_view port : {Vo97Ini::NoCashDrawer, std::string_view("1"), std::string_view("2")})
        CashDrawerPortCombo->Items()->Add(std::string(port));
    placeLabel(CashDrawerBox, 12, 50, 96, "Control Code");
    CashDrawerControlCodeEdit = place<TEdit>(CashDrawerBox, 112, 50, 140, 21);

    PrntOffsetCheck = place<TCheckBox>(page, 12, 138, 220, 17, "Offset LabRx Printout");
}

void TPreferencesDlg::FormShow(TObject*) {
    const std::string dataDirectory = OpenCompanyDirectory();
    const bool noCompany = dataDirectory.empty();
    const TSettingsFile company = CompanyIni::File(dataDirectory);
    // No company: its keys show their defaults.
    auto read = [&](const TTextKey& Key) { return noCompany ? std::string(Key.Default) : company.Read(Key); };
    auto show = [&](TWinControl* Control, const TTextKey& Key) { Control->SetText(read(Key)); };
    show(SalesTaxRateEdit, CompanyIni::SalesTaxRate);
    show(AltTaxRateEdit, CompanyIni::AltTaxRate);
    ReceiptMessageMemo->SetText(noCompany ? "" : MultiLineSetting::Read(company, CompanyIni::ReceiptMessage));
    show(ReceiptCopiesEdit, CompanyIni::ReceiptCopies);
    show(ReceiptNameEdit, CompanyIni::ReceiptName);
    show(ReceiptAddress1Edit, CompanyIni::ReceiptAddress1);
    show(ReceiptAddress2Edit, CompanyIni::ReceiptAddress2);
    show(ReceiptCityEdit, CompanyIni::ReceiptCity);
    show(ReceiptStateEdit, CompanyIni::ReceiptState);
    show(ReceiptZipEdit, CompanyIni::ReceiptZip);
    show(ReceiptPhoneEdit, CompanyIni::ReceiptPhone);
    show(POSCodeEdit, CompanyIni::POSCode);
    show(XOffsetEdit, CompanyIni::HCFA1500XOffset);
    show(YOffsetEdit, CompanyIni::HCFA1500YOffset);
    show(BillNameEdit, CompanyIni::BillName);
    show(BillAddrsEdit, CompanyIni::BillAddrs);
    show(BillCityEdit, CompanyIni::BillCity);
    show(BillStateEdit, CompanyIni::BillState);
    show(BillZipEdit, CompanyIni::BillZip);
    show(BillPhoneEdit, CompanyIni::BillPhone);
    show(BillPinEdit, CompanyIni::BillPin);
    show(BillGrpEdit, CompanyIni::BillGrp);
    show(FedTaxIDEdit, CompanyIni::FedTaxID);
    const std::string idType = read(CompanyIni::FedIdType);
    FedIdTypeGroup->SetItemIndex(idType == FedIdTypes[0] ? 0 : idType == FedIdTypes[1] ? 1 : -1);
    show(BankAccountNoEdit, CompanyIni::BankAccountNo);

    const TSettingsFile workstation = Vo97Ini::File();
    CashDrawerPortCombo->SetText(workstation.Read(Vo97Ini::CashDrawerPort));
    CashDrawerControlCodeEdit->SetText(workstation.Read(Vo97Ini::CashDrawerControlCode));
    PrntOffsetCheck->SetChecked(workstation.Read(Vo97Ini::PrntOffset));
}

bool TPreferencesDlg::numbersValid() {
    struct TNumberField {
        TTabSheet* Page;
        TCustomEdit* Edit;
        bool Whole;
    };
    const TNumberField fields[] = {
        {ReceiptSheet, SalesTaxRateEdit, false}, {ReceiptSheet, AltTaxRateEdit, false},
        {ReceiptSheet, ReceiptCopiesEdit, true}, {InsuranceSheet, XOffsetEdit, false},
        {InsuranceSheet, YOffsetEdit, false},
    };
    for (const TNumberField& field : fields) {
        const std::string text = field.Edit->Text();
        // Blank reads back as the key's default.
        if (Trim(text).empty())
            continue;
        try {
            if (field.Whole)
                StrToInt(text);
            else
                StrToFloat(text);
        } catch (const EConvertError& e) {
            Application->ShowException(e);
            PageControl1->SetActivePage(field.Page);
            if (field.Edit->CanFocus())
                field.Edit->SetFocus();
            return false;
        }
    }
    return true;
}

void TPreferencesDlg::writeCompanyKeys(const std::string& DataDirectory) {
    TSettingsFile company = CompanyIni::File(DataDirectory);
    auto write = [&](const TTextKey& Key, TWinControl* Control) { company.Write(Key, Control->Text()); };
    write(CompanyIni::SalesTaxRate, SalesTaxRateEdit);
    write(CompanyIni::AltTaxRate, AltTaxRateEdit);
    MultiLineSetting::Write(company, CompanyIni::ReceiptMessage, ReceiptMessageMemo->Text());
    write(CompanyIni::ReceiptCopies, ReceiptCopiesEdit);
    write(CompanyIni::ReceiptName, ReceiptNameEdit);
    write(CompanyIni::ReceiptAddress1, ReceiptAddress1Edit);
    write(CompanyIni::ReceiptAddress2, ReceiptAddress2Edit);
    write(CompanyIni::ReceiptCity, ReceiptCityEdit);
    write(CompanyIni::ReceiptState, ReceiptStateEdit);
    write(CompanyIni::ReceiptZip, ReceiptZipEdit);
    write(CompanyIni::ReceiptPhone, ReceiptPhoneEdit);
    write(CompanyIni::POSCode, POSCodeEdit);
    write(CompanyIni::HCFA1500XOffset, XOffsetEdit);
    write(CompanyIni::HCFA1500YOffset, YOffsetEdit);
    write(CompanyIni::BillName, BillNameEdit);
    write(CompanyIni::BillAddrs, BillAddrsEdit);
    write(CompanyIni::BillCity, BillCityEdit);
    write(CompanyIni::BillState, BillStateEdit);
    write(CompanyIni::BillZip, BillZipEdit);
    write(CompanyIni::BillPhone, BillPhoneEdit);
    write(CompanyIni::BillPin, BillPinEdit);
    write(CompanyIni::BillGrp, BillGrpEdit);
    write(CompanyIni::FedTaxID, FedTaxIDEdit);
    // No type chosen: the stored one stays.
    if (FedIdTypeGroup->ItemIndex() >= 0)
        company.Write(CompanyIni::FedIdType, FedIdTypes[FedIdTypeGroup->ItemIndex()]);
    write(CompanyIni::BankAccountNo, BankAccountNoEdit);
}

void TPreferencesDlg::writeWorkstationKeys() {
    TSettingsFile workstation = Vo97Ini::File();
    workstation.Write(Vo97Ini::CashDrawerPort, CashDrawerPortCombo->Text());
    workstation.Write(Vo97Ini::CashDrawerControlCode, CashDrawerControlCodeEdit->Text());
    workstation.Write(Vo97Ini::PrntOffset, PrntOffsetCheck->Checked());
}

void TPreferencesDlg::OKBtnClick(TObject*) {
    if (!numbersValid())
        return;
    try {
        const std::string dataDirectory = OpenCompanyDirectory();
        if (!dataDirectory.empty())
            writeCompanyKeys(dataDirectory);
        writeWorkstationKeys();
    } catch (const EIniFileException& e) {
        ShowMessage(e.Message());
        return;
    }
    Close();
}

void TPreferencesDlg::CancelBtnClick(TObject*) { Close(); }

void TPreferencesDlg::HelpBtnClick(TObject*) { HelpFile::showContents(); }
