#pragma once
// TLogoAppForm: the program's main window. A small fixed window with the
// only menu, the speed buttons (usable once a company is open), the logo, a
// gauge and a progress bar that long operations show, and a status bar that
// shows the hint of whatever the mouse is on.
//
// At its first activation it creates the data module and opens the last
// company, or, at a first start, offers to create one and lets the user pick
// a company. Every activation sets the menu state, starts caller ID (once
// per run) and reads the company's last numbers. It refuses to close while
// windows it owns are open, then asks, closes the company and keeps the last
// numbers. Every window a menu item or button opens is owned by it.
#include <string>

#include "app/MainFormLink.h"
#include "shell/MainMenuItems.h"
#include "ui/Forms.h"

class TDuzuProject;
class TGauge;
class TImage;
class TMainMenu;
class TMenuItem;
class TOpenDialog;
class TPanel;
class TPrinterSetupDialog;
class TProgressBar;
class TSerComPort;
class TSpeedButton;
class TStatusBar;
class TXbase;

class TLogoAppForm : public TForm, public TMainFormLink {
public:
    explicit TLogoAppForm(TComponent* AOwner);
    ~TLogoAppForm() override;

    TMainMenu* MainMenu1;
    TPanel* SpeedPanel;
    TSpeedButton* ReceiptSpeedButton;
    TSpeedButton* PatientSpeedButton;
    TSpeedButton* PaymentSpeedButton;
    TSpeedButton* ClaimSpeedButton;
    TSpeedButton* ItemSpeedButton;
    TSpeedButton* ScheduleSpeedButton;
    TImage* LogoImage;
    TGauge* Gauge1;
    TProgressBar* ProgressBar1;
    TStatusBar* StatusBar1;
    TSerComPort* SerComPort1;
    TXbase* Xbase1;
    TOpenDialog* OpenDialog1;
    TPrinterSetupDialog* PrinterSetupDialog1;
    // The program's stored report project, and the report its reports print
    // into (straight to the printer until a report runner with a preview exists).
    TDuzuProject* DuzuProject1;

    // ---- Life of the window ----
    void FormCreate(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);
    // The application's hint, in the status bar.
    void ShowHint(TObject* Sender);
    // The component name of the first window this form owns, shown or
    // hidden; "" when there is none.
    std::string FormOpen();
    // Asks every window this form owns to close.
    void CloseOpenForms();

    // ---- Menu states ----
    void EnableMainMenu();
    void DisableMainMenu() override;
    void EnableFilesOnlyMenu() override;
    // The caption, as the data module sets it while opening a company.
    void SetCaption(const std::string& Value) override;
    void Close() override;
    void ShowProgress(bool Visible, int Percent) override;
    void SetStatusText(const std::string& Value) override;
    void EnableMainWindow(bool Value) override;

    // ---- Menu handlers ----
    void FileNewItemClick(TObject* Sender);
    void FileOpenItemClick(TObject* Sender);
    void PrinterSetupItemClick(TObject* Sender);
    void RebuildIndexes1Click(TObject* Sender);
    void FileExit(TObject* Sender);
    void PatientAddressesSDFClick(TObject* Sender);
    void AllItemsClick(TObject* Sender);
    void Receipts1Click(TObject* Sender);
    void Payments1Click(TObject* Sender);
    void Deposits1Click(TObject* Sender);
    void ClearAll1Click(TObject* Sender);
    void RebuildAccountBalancesClick(TObject* Sender);
    void Contents1Click(TObject* Sender);
    void About(TObject* Sender);

    // The menu item of that component name (see MainMenuItems.cpp).
    TMenuItem* MenuItem(const std::string& Name) const;

private:
    void buildMenu();
    void buildSpeedButtons();
    void buildLogo();
    void applyMenuState(const TMenuState& State);
    // Opens the window of a menu entry (or of a button that acts as one).
    TForm* openTarget(const TMenuEntry& Entry, bool ReuseVisible);
    // The menu state that follows an opening: files only when it was abandoned.
    void followOpening();
    void startCallerID();
    void readLastNumbers();
    void writeLastNumbers();
    bool companyOpen() const;

    // Closing is refused while windows are open until this reaches 3.
    int closeRefusals_ = 1;
    bool callerIDStarted_ = false;
};
