#include "shell/LogoMain.h"

#include <vector>

#include "app/BalanceRebuild.h"
#include "app/ClearUtilities.h"
#include "app/DataModule.h"
#include "app/ProgramReportProject.h"
#include "app/FormOpener.h"
#include "app/HelpFile.h"
#include "app/InstallLayout.h"
#include "app/NewCompany.h"
#include "app/PatientExport.h"
#include "app/Rebuild.h"
#include "app/Settings.h"
#include "app/StoredProject.h"
#include "base/Exceptions.h"
#include "os/Paths.h"
#include "reporting/project/RSDuzu.h"
#include "serial/SerPort.h"
#include "shell/AboutBox.h"
#include "shell/CallerIDHookup.h"
#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/Menus.h"
#include "ui/PrintOutput.h"
#include "ui/StdCtrls.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

namespace {

const char* const DesignCaption = "Quenmark 2006";
const char* const OpeningCaption = "Opening files ...  Please wait.";
const char* const FirstStartQuestion =
    "Quenmark could not detect the last company used. If you are a new user and need to create a new company you "
    "can do so now by clicking the YES button below.  Otherwise click NO to select an existing company.\r\r"
    "Create new company?";
const char* const FormsStillOpen = "You must close all open forms before closing Quenmark. (";
const char* const CloseQuestion = "Close Quenmark ?";
// Refusals to close while windows are open, counted from 1: from the third
// attempt on the close goes ahead.
constexpr int CloseRefusalLimit = 3;

// The window, in pixels.
constexpr int FormClientWidth = 520;
constexpr int SpeedPanelHeight = 38;
constexpr int LogoHeight = 210;
constexpr int StatusBarHeight = 20;
const char* const PrintedToText = "Printed to ";
constexpr int SpeedButtonWidth = 80;
constexpr int SpeedButtonHeight = 30;

std::string ParentFolder(std::string Folder) {
    while (Folder.size() > 1 && (Folder.back() == '/' || Folder.back() == '\\'))
        Folder.pop_back();
    std::string parent = os::ExtractFilePath(Folder);
    while (parent.size() > 1 && (parent.back() == '/' || parent.back() == '\\'))
        parent.pop_back();
    return parent;
}

void Apply(TControl* Control, TItemState State) {
    if (State != isUnchanged)
        Control->SetEnabled(State == isEnabled);
}

void Apply(TMenuItem* Item, TItemState State) {
    if (State != isUnchanged)
        Item->SetEnabled(State == isEnabled);
}

// Draws the logo: a pair of spectacles over the program's name.
void DrawLogo(TBitmap* Logo, int Width, int Height) {
    Logo->SetSize(Width, Height);
    TCanvas* canvas = Logo->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(0, 0, Width, Height));

    const int centre = Width / 2;
    const int lensWidth = 84;
    const int lensHeight = 58;
    const int lensTop = 26;
    const int gap = 24;
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(clNavy);
    canvas->Pen()->SetWidth(5);
    canvas->Ellipse(centre - gap / 2 - lensWidth, lensTop, centre - gap / 2, lensTop + lensHeight);
    canvas->Ellipse(centre + gap / 2, lensTop, centre + gap / 2 + lensWidth, lensTop + lensHeight);
    canvas->Arc(centre - gap / 2 - 2, lensTop + 12, centre + gap / 2 + 2, lensTop + 40, centre + gap / 2 + 2,
                lensTop + 24, centre - gap / 2 - 2, lensTop + 24);
    canvas->MoveTo(centre - gap / 2 - lensWidth, lensTop + 18);
    canvas->LineTo(centre - gap / 2 - lensWidth - 40, lensTop + 8);
    canvas->MoveTo(centre + gap / 2 + lensWidth, lensTop + 18);
    canvas->LineTo(centre + gap / 2 + lensWidth + 40, lensTop + 8);

    canvas->Font()->SetName("Times New Roman");
    canvas->Font()->SetSize(34);
    canvas->Font()->SetStyle({fsBold, fsItalic});
    canvas->Font()->SetColor(clNavy);
    const std::string name = "Quenmark";
    canvas->TextOut(centre - canvas->TextWidth(name) / 2, lensTop + lensHeight + 24, name);
}

// Runs a clear of the Utilities > Clear menu when a company is open.
void clearOpenCompany(void (*Clear)(TDataModule1& Module)) {
    if (DataModule1)
        Clear(*DataModule1);
}

}  // namespace

TLogoAppForm::TLogoAppForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("LogoAppForm");
    TForm::SetCaption(DesignCaption);
    SetBorderStyle(bsSingle);
    SetBorderIcons({biSystemMenu, biMinimize});
    SetClientWidth(FormClientWidth);
    SetClientHeight(SpeedPanelHeight + LogoHeight + StatusBarHeight);

    buildMenu();
    buildSpeedButtons();
    buildLogo();

    // Shown by the long operations that use them.
    Gauge1 = place<TGauge>(this, 16, SpeedPanelHeight + LogoHeight - 28, FormClientWidth - 32, 20);
    Gauge1->SetName("Gauge1");
    Gauge1->Hide();
    ProgressBar1 = place<TProgressBar>(this, 16, SpeedPanelHeight + LogoHeight - 28, FormClientWidth - 32, 20);
    ProgressBar1->SetName("ProgressBar1");
    ProgressBar1->Hide();

    StatusBar1 = place<TStatusBar>(this, 0, 0, FormClientWidth, StatusBarHeight);
    StatusBar1->SetName("StatusBar1");
    StatusBar1->SetAlign(alBottom);
    StatusBar1->SetSimplePanel(true);
    // Every file a print wrote is named where the user looks for it.
    setPrintedHook([this](const std::string& File) { SetStatusText(PrintedToText + File); });

    DuzuProject1 = new TDuzuProject(this);
    DuzuProject1->SetName("DuzuProject1");
    loadStoredProject(*DuzuProject1);
    // No engine: a report of the project previews on a runner of its own.
    setProgramReportProject(DuzuProject1);

    SerComPort1 = new TSerComPort(this);
    SerComPort1->SetName("SerComPort1");
    SerComPort1->SetComNumber(2);
    SerComPort1->SetBaud(4800);
    SerComPort1->SetAutoOpen(false);

    Xbase1 = new TXbase(this);
    Xbase1->SetName("Xbase1");
    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    PrinterSetupDialog1 = new TPrinterSetupDialog(this);
    PrinterSetupDialog1->SetName("PrinterSetupDialog1");

    bindEvent(OnCreate, this, &TLogoAppForm::FormCreate);
    bindEvent(OnActivate, this, &TLogoAppForm::FormActivate);
    bindEvent(OnCloseQuery, this, &TLogoAppForm::FormCloseQuery);
    bindEvent(OnClose, this, &TLogoAppForm::FormClose);
}

TLogoAppForm::~TLogoAppForm() {
    if (programReportProject() == DuzuProject1) setProgramReportProject(nullptr);
    // The application outlives this window: its events must not reach it.
    Application->OnHint = nullptr;
    Application->OnActivate = nullptr;
    Application->OnDeactivate = nullptr;
    setPrintedHook(nullptr);
}

void TLogoAppForm::buildMenu() {
    MainMenu1 = new TMainMenu(this);
    MainMenu1->SetName("MainMenu1");
    std::vector<TMenuItem*> parents{MainMenu1->Items()};
    for (const TMenuEntry& entry : MainMenuItems::Entries()) {
        auto* item = new TMenuItem(this);
        item->SetName(entry.Name);
        item->SetCaption(entry.Caption);
        item->SetHint(entry.Hint);
        item->SetShortCut(TextToShortCut(entry.ShortCut));
        item->SetVisible(entry.Visible);
        item->SetEnabled(entry.Enabled);
        if (entry.Handler) {
            bindEvent(item->OnClick, this, entry.Handler);
        } else if (entry.TargetClass) {
            item->OnClick = [this, &entry](TObject*) { openTarget(entry, false); };
        }
        parents.resize(entry.Depth + 1);
        parents[entry.Depth]->Add(item);
        parents.push_back(item);
    }
}

void TLogoAppForm::buildSpeedButtons() {
    SpeedPanel = place<TPanel>(this, 0, 0, FormClientWidth, SpeedPanelHeight);
    SpeedPanel->SetName("SpeedPanel");
    SpeedPanel->SetAlign(alTop);
    SpeedPanel->SetEnabled(false);

    TSpeedButton** fields[] = {&ReceiptSpeedButton, &PatientSpeedButton, &PaymentSpeedButton,
                               &ClaimSpeedButton,   &ItemSpeedButton,    &ScheduleSpeedButton};
    int left = 4;
    int index = 0;
    for (const TSpeedButtonEntry& entry : MainMenuItems::SpeedButtons()) {
        auto* button = place<TSpeedButton>(SpeedPanel, left, 4, SpeedButtonWidth, SpeedButtonHeight, entry.Caption);
        button->SetName(entry.Name);
        button->SetHint(entry.Hint);
        button->SetShowHint(true);
        const TMenuEntry* item = MainMenuItems::Find(entry.MenuItem);
        button->OnClick = [this, item, &entry](TObject*) { openTarget(*item, entry.ReuseVisible); };
        *fields[index++] = button;
        left += SpeedButtonWidth + 4;
    }
}

void TLogoAppForm::buildLogo() {
    LogoImage = place<TImage>(this, 0, SpeedPanelHeight, FormClientWidth, LogoHeight);
    LogoImage->SetName("LogoImage");
    DrawLogo(LogoImage->Picture()->Bitmap(), FormClientWidth, LogoHeight);
}

TMenuItem* TLogoAppForm::MenuItem(const std::string& Name) const {
    return dynamic_cast<TMenuItem*>(FindComponent(Name));
}

// ---------------------------------------------------------------------------
// Life of the window

void TLogoAppForm::FormCreate(TObject*) {
    Xbase1->SysProp(XB_SP_SET_1009, XB_OFF);
    Application->OnHint = [this](TObject* Sender) { ShowHint(Sender); };
    Application->OnActivate = [](TObject*) {};
    Application->OnDeactivate = [](TObject*) {};
    SetTop(1);
    TForm::SetCaption(OpeningCaption);
    closeRefusals_ = 1;
}

void TLogoAppForm::ShowHint(TObject*) { StatusBar1->SetSimpleText(Application->Hint()); }

void TLogoAppForm::FormActivate(TObject*) {
    const std::string dataDirectory = Vo97Ini::File().Read(Vo97Ini::DataDirectory);
    if (!DataModule1) {
        DataModule1 = new TDataModule1(this, this);
        if (!dataDirectory.empty()) {
            DataModule1->ChangeDataDirectory(dataDirectory);
        } else {
            if (MessageDlg(FirstStartQuestion, mtInformation, {mbYes, mbNo}) == mrYes)
                FileNewItemClick(this);
            else
                FileOpenItemClick(this);
        }
    }
    followOpening();
    startCallerID();
    readLastNumbers();
}

void TLogoAppForm::startCallerID() {
    if (callerIDStarted_)
        return;
    const std::string port = Vo97Ini::File().Read(Vo97Ini::CallerIDComPort);
    if (port == Vo97Ini::NotInstalled)
        return;
    // Once per run, whatever the start makes of the port.
    callerIDStarted_ = true;
    if (const TCallerIDStart& start = callerIDStart())
        start(this, SerComPort1, port);
}

bool TLogoAppForm::companyOpen() const {
    return DataModule1 && !DataModule1->DataDirectory.empty() && !DataModule1->OpeningAbandoned;
}

void TLogoAppForm::readLastNumbers() {
    if (!companyOpen())
        return;
    const TSettingsFile ini = CompanyIni::File(DataModule1->DataDirectory);
    auto read = [&](const TTextKey& Key, double& Copy) {
        try {
            Copy = ini.ReadFloat(Key);
        } catch (const EConvertError&) {
            // Not a number: the copy stays; it numbers nothing.
        }
    };
    read(CompanyIni::LastPatientID, DataModule1->IniLastPatientID);
    read(CompanyIni::LastSalesID, DataModule1->IniLastSalesID);
    read(CompanyIni::LastPaymentID, DataModule1->IniLastPaymentID);
    read(CompanyIni::LastDepositID, DataModule1->IniLastDepositID);
}

void TLogoAppForm::writeLastNumbers() {
    TDataModule1& module = *DataModule1;
    try {
        TSettingsFile ini = CompanyIni::File(module.DataDirectory);
        ini.WriteFloat(CompanyIni::LastPatientID, module.LastPatientID);
        ini.WriteFloat(CompanyIni::LastSalesID, module.LastSalesID);
        ini.WriteFloat(CompanyIni::LastPaymentID, module.LastPaymentID);
        ini.WriteFloat(CompanyIni::LastDepositID, module.LastDepositID);
    } catch (const EIniFileException& e) {
        ShowMessage(e.Message());
        return;
    }
    module.IniLastPatientID = module.LastPatientID;
    module.IniLastSalesID = module.LastSalesID;
    module.IniLastPaymentID = module.LastPaymentID;
    module.IniLastDepositID = module.LastDepositID;
}

std::string TLogoAppForm::FormOpen() {
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* form = dynamic_cast<TForm*>(Components(i)))
            return form->Name();
    return "";
}

void TLogoAppForm::CloseOpenForms() {
    std::vector<TForm*> forms;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* form = dynamic_cast<TForm*>(Components(i)))
            forms.push_back(form);
    for (TForm* form : forms)
        form->Close();
}

void TLogoAppForm::FormCloseQuery(TObject*, bool& CanClose) {
    const std::string open = FormOpen();
    if (open.empty())
        return;
    ShowMessage(FormsStillOpen + open + "}");
    if (closeRefusals_ < CloseRefusalLimit) {
        ++closeRefusals_;
        CanClose = false;
    }
}

void TLogoAppForm::FormClose(TObject*, TCloseAction& Action) {
    // Decided before the company's files are closed.
    const bool keepNumbers = companyOpen();
    if (MessageDlg(CloseQuestion, mtConfirmation, {mbYes, mbNo}) == mrYes) {
        CloseOpenForms();
        if (DataModule1)
            DataModule1->CloseFiles();
        Application->ProcessMessages();
        Action = caFree;
    } else {
        Action = caNone;
    }
    // No company open: there is no Company.ini to keep them in.
    if (keepNumbers)
        writeLastNumbers();
}

// ---------------------------------------------------------------------------
// Menu states

void TLogoAppForm::applyMenuState(const TMenuState& State) {
    Apply(MenuItem(MainMenuItems::FileMenu), State.FileMenu);
    Apply(MenuItem(MainMenuItems::PrinterSetupItem), State.PrinterSetup);
    Apply(MenuItem(MainMenuItems::RebuildIndexesItem), State.RebuildIndexes);
    Apply(MenuItem(MainMenuItems::PreferencesItem), State.Preferences);
    for (const char* menu : MainMenuItems::WorkMenus)
        Apply(MenuItem(menu), State.WorkMenus);
    Apply(MenuItem(MainMenuItems::HelpMenu), State.HelpMenu);
    Apply(SpeedPanel, State.SpeedButtons);
}

void TLogoAppForm::EnableMainMenu() { applyMenuState(MainMenuItems::EnableMainMenu); }

void TLogoAppForm::DisableMainMenu() { applyMenuState(MainMenuItems::DisableMainMenu); }

void TLogoAppForm::ShowProgress(bool Visible, int Percent) {
    Gauge1->SetProgress(Percent);
    Gauge1->SetVisible(Visible);
}

void TLogoAppForm::SetStatusText(const std::string& Value) { StatusBar1->SetSimpleText(Value); }

void TLogoAppForm::EnableMainWindow(bool Value) { SetEnabled(Value); }

void TLogoAppForm::EnableFilesOnlyMenu() { applyMenuState(MainMenuItems::EnableFilesOnlyMenu); }

void TLogoAppForm::SetCaption(const std::string& Value) { TForm::SetCaption(Value); }

void TLogoAppForm::Close() { TForm::Close(); }

// ---------------------------------------------------------------------------
// Menu handlers

TForm* TLogoAppForm::openTarget(const TMenuEntry& Entry, bool ReuseVisible) {
    TFormTarget target;
    target.ClassName = Entry.TargetClass;
    target.Caption = Entry.Caption;
    target.Style = Entry.Style;
    target.ReuseVisible = Entry.ReuseVisible || ReuseVisible;
    return OpenForm(this, target);
}

void TLogoAppForm::FileNewItemClick(TObject* Sender) {
    auto* dialog = new TNewCompanyDlg(this);
    dialog->ShowModal();
    FileOpenItemClick(Sender);
}

void TLogoAppForm::FileOpenItemClick(TObject*) {
    OpenDialog1->SetTitle("Select Company");
    OpenDialog1->SetFilter("Company Files|*.ini");
    OpenDialog1->SetOptions({ofHideReadOnly, ofFileMustExist, ofNoChangeDir});
    OpenDialog1->SetInitialDir(InstallLayout::companyFolder());
    if (!OpenDialog1->Execute())
        return;
    const std::string file = OpenDialog1->FileName();
    const std::string fileName = os::ExtractFileName(file);
    const std::string company = fileName.substr(0, fileName.find('.'));
    // A file named ".ini" names no company; its folder would be Data itself.
    if (company.empty() || !DataModule1)
        return;
    DataModule1->ChangeDataDirectory(ParentFolder(os::ExtractFilePath(file)) + "/Data/" + company);
    // At once: the window may not be activated again after the dialog.
    followOpening();
}

void TLogoAppForm::followOpening() {
    if (DataModule1->OpeningAbandoned)
        EnableFilesOnlyMenu();
    else
        EnableMainMenu();
}

void TLogoAppForm::PrinterSetupItemClick(TObject*) { PrinterSetupDialog1->Execute(); }

void TLogoAppForm::RebuildIndexes1Click(TObject*) {
    if (DataModule1)
        new TRebuildDlg(this, DataModule1);  // shows itself, frees itself when closed
}

void TLogoAppForm::FileExit(TObject*) { Close(); }

void TLogoAppForm::PatientAddressesSDFClick(TObject*) {
    if (DataModule1)
        PatientExport::patientAddressesSDF(*DataModule1, ProgressBar1);
}

void TLogoAppForm::AllItemsClick(TObject*) {
    DuzuProject1->Open();
    DuzuProject1->ExecuteReport("Items_All_Report");
    DuzuProject1->Close();
}

void TLogoAppForm::Receipts1Click(TObject*) { clearOpenCompany(ClearUtilities::ClearReceipts); }

void TLogoAppForm::Payments1Click(TObject*) { clearOpenCompany(ClearUtilities::ClearPayments); }

void TLogoAppForm::Deposits1Click(TObject*) { clearOpenCompany(ClearUtilities::ClearDeposits); }

void TLogoAppForm::ClearAll1Click(TObject*) { clearOpenCompany(ClearUtilities::clearAll); }

void TLogoAppForm::RebuildAccountBalancesClick(TObject*) {
    TFormTarget target;
    target.ClassName = "TRebuildAccountBalances";
    target.Caption = "Rebuild Account Balances";
    if (auto* rebuild = dynamic_cast<TBalanceRebuild*>(OpenForm(this, target)))
        rebuild->Rebuild();
}

void TLogoAppForm::Contents1Click(TObject*) { HelpFile::showContents(); }

void TLogoAppForm::About(TObject*) {
    if (AboutBox) {
        AboutBox->ShowModal();
        return;
    }
    TAboutBox box(nullptr);
    box.ShowModal();
}
