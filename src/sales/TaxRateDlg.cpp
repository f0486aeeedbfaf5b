#include "sales/TaxRateDlg.h"

#include "base/SysUtils.h"
#include "sales/ReceiptSettings.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

TSalesTaxRateDlg::TSalesTaxRateDlg(TComponent* AOwner, Cents::TaxRate Rate, std::string DataDirectory)
    : TForm(AOwner), rate_(Rate), dataDirectory_(std::move(DataDirectory)) {
    SetName("SalesTaxRateDlg");
    frameDialog(this, "Sales Tax Rate");
    SetClientWidth(330);
    SetClientHeight(172);

    Label1 = place<TLabel>(this, 16, 12, 300, 16, "You can change the sales tax rate for the current receipt here.");
    Label2 = place<TLabel>(this, 16, 47, 90, 16, "Sales Tax Rate");
    TaxRateComboBox = place<TComboBox>(this, 112, 44, 90, 21);
    Label3 = place<TLabel>(this, 208, 47, 16, 16, "%");
    Label4 = place<TLabel>(this, 16, 80, 300, 16, "This affects the current receipt only.");
    Label5 = place<TLabel>(this, 16, 100, 300, 16, "To change the default sales tax rate(s) go to File/Preferences.");
    OKBitBtn = place<TBitBtn>(this, 127, 134, 75, 25, "OK");
    OKBitBtn->SetDefault(true);
    bindEvent(OKBitBtn->OnClick, this, &TSalesTaxRateDlg::OKBitBtnClick);

    bindEvent(OnCreate, this, &TSalesTaxRateDlg::FormCreate);
    bindEvent(OnCloseQuery, this, &TSalesTaxRateDlg::FormCloseQuery);
    bindEvent(OnClose, this, &TSalesTaxRateDlg::FormClose);
}

void TSalesTaxRateDlg::FormCreate(TObject*) {
    TaxRateComboBox->Items()->Add(ReceiptSettings::salesTaxRateText(dataDirectory_));
    TaxRateComboBox->Items()->Add(ReceiptSettings::altTaxRateText(dataDirectory_));
    TaxRateComboBox->SetText(FloatToStr(static_cast<double>(rate_.Millionths) / 10000.0));
}

void TSalesTaxRateDlg::OKBitBtnClick(TObject*) { Close(); }

void TSalesTaxRateDlg::FormCloseQuery(TObject*, bool& CanClose) {
    const std::string text = TaxRateComboBox->Text();
    double percent = 0;
    if (!TryStrToFloat(text, percent)) {
        ShowMessage("'" + text + "' is not a valid floating point value");
        CanClose = false;
    } else if (!Cents::TaxRate::fromPercentText(text)) {
        // The receipt keeps its rate to six decimals of the fraction.
        ShowMessage("'" + text + "' is not a rate in percent with at most four decimals.");
        CanClose = false;
    }
}

void TSalesTaxRateDlg::FormClose(TObject*, TCloseAction& Action) {
    if (auto rate = Cents::TaxRate::fromPercentText(TaxRateComboBox->Text()))
        rate_ = *rate;
    Action = caHide;
}
