#include "reports/PostcardSettings.h"

#include "app/DataModule.h"
#include "app/MultiLineSetting.h"
#include "app/Settings.h"
#include "base/Exceptions.h"
#include "ui/Application.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

TPostcardSettingsForm::TPostcardSettingsForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption("Postcard Settings");
    SetPosition(poScreenCenter);
    SetClientWidth(392);
    SetClientHeight(372);

    PrintReturnAddressCheckBox = place<TCheckBox>(this, 16, 12, 200, 17, "Print Return Address");
    PrintMessageCheckBox = place<TCheckBox>(this, 16, 34, 200, 17, "Print Messages ");
    PrintOtherReasonCheckBox = place<TCheckBox>(this, 16, 56, 220, 17, "Print reason for Other Recall ");
    auto note = [this](int Top, const char* Caption, TLabel*& Label, TMemo*& Memo) {
        Label = place<TLabel>(this, 16, Top, 300, 13, Caption);
        Memo = place<TMemo>(this, 16, Top + 16, 360, 60);
        Memo->SetMaxLength(NoteLength);
        Memo->SetScrollBars(ssVertical);
    };
    note(84, "Spectacles Recall Message", SpectaclesLabel, SpectaclesNote);
    note(164, "Contact Lens Recall Message", ContactLensLabel, ContactLensNote);
    note(244, "Other Recall Message", OtherLabel, OtherNote);
    OKBtn = place<TButton>(this, 158, 334, 75, 25, "OK");
    OKBtn->SetDefault(true);

    bindEvent(OnCreate, this, &TPostcardSettingsForm::FormCreate);
    bindEvent(OnClose, this, &TPostcardSettingsForm::FormClose);
    bindEvent(PrintMessageCheckBox->OnClick, this, &TPostcardSettingsForm::PrintMessageCheckBoxClick);
    bindEvent(PrintOtherReasonCheckBox->OnClick, this, &TPostcardSettingsForm::PrintMessageCheckBoxClick);
    bindEvent(OKBtn->OnClick, this, &TPostcardSettingsForm::OKBtnClick);
}

std::string TPostcardSettingsForm::dataDirectory() { return DataModule1 ? DataModule1->DataDirectory : std::string(); }

void TPostcardSettingsForm::FormCreate(TObject*) {
    const std::string folder = dataDirectory();
    if (folder.empty()) {
        PrintMessageCheckBoxClick(this);
        return;
    }
    const TSettingsFile file = CompanyIni::File(folder);
    PrintReturnAddressCheckBox->SetChecked(file.Read(CompanyIni::PrintReturnAddress));
    PrintMessageCheckBox->SetChecked(file.Read(CompanyIni::PrintMessage));
    PrintOtherReasonCheckBox->SetChecked(file.Read(CompanyIni::PrintOtherReason));
    SpectaclesNote->SetText(MultiLineSetting::Read(file, CompanyIni::SpectaclesNote));
    ContactLensNote->SetText(MultiLineSetting::Read(file, CompanyIni::ContactLensNote));
    OtherNote->SetText(MultiLineSetting::Read(file, CompanyIni::OtherNote));
    // A check box left as it was raises no click.
    PrintMessageCheckBoxClick(this);
}

void TPostcardSettingsForm::PrintMessageCheckBoxClick(TObject*) {
    const bool messages = PrintMessageCheckBox->Checked();
    SpectaclesNote->SetEnabled(messages);
    ContactLensNote->SetEnabled(messages);
    OtherNote->SetEnabled(messages);
}

void TPostcardSettingsForm::OKBtnClick(TObject*) {
    if (Modal())
        SetModalResult(mrOk);
    else
        Close();
}

void TPostcardSettingsForm::FormClose(TObject*, TCloseAction&) { writeSettings(); }

void TPostcardSettingsForm::writeSettings() {
    const std::string folder = dataDirectory();
    if (folder.empty()) return;
    try {
        TSettingsFile file = CompanyIni::File(folder);
        file.Write(CompanyIni::PrintReturnAddress, PrintReturnAddressCheckBox->Checked());
        file.Write(CompanyIni::PrintMessage, PrintMessageCheckBox->Checked());
        file.Write(CompanyIni::PrintOtherReason, PrintOtherReasonCheckBox->Checked());
        MultiLineSetting::Write(file, CompanyIni::SpectaclesNote, SpectaclesNote->Text());
        MultiLineSetting::Write(file, CompanyIni::ContactLensNote, ContactLensNote->Text());
        MultiLineSetting::Write(file, CompanyIni::OtherNote, OtherNote->Text());
    } catch (const EIniFileException& e) {
        Application->ShowException(e);
    }
}
