#pragma once
// Message dialogs, input queries and the common dialogs (open, save, print,
// printer setup, find, replace). Every one goes through the dialog
// responder, so tests answer them from a script.
#include <string>

#include "base/Classes.h"
#include "ui/DialogResponder.h"
#include "ui/Forms.h"

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The caption a message dialog of that type carries ("Warning", "Error",
// "Information", "Confirm"; the application title for mtCustom).
std::string MsgDlgCaption(TMsgDlgType DlgType);
// A button's caption as shown, without the "&" ("Yes", "No to All").
std::string MsgDlgButtonCaption(TMsgDlgBtn Button);
// The modal result a button gives (mbYes gives mrYes).
TModalResult MsgDlgButtonResult(TMsgDlgBtn Button);

// Shows the message with the buttons and returns the modal result of the
// one pressed.
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// The message with an OK button, captioned with the application title.
void ShowMessage(const std::string& Msg);
// Asks for a text; true (and Value set) when the user pressed OK.
bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value);
std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault);

// The message box behind MessageDlg, ShowMessage and Application->MessageBox.
int ShowMessageBox(TDialogKind Kind, const std::string& Caption, const std::string& Text, TMsgDlgType DlgType,
                   TMsgDlgButtons Buttons);

// ---------------------------------------------------------------- file dialogs

enum TOpenOption {
    ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
    ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
    ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
    ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* AOwner);
    ~TOpenDialog() override;

    // True when the user chose a file; FileName and Files hold the choice.
    // Unless ofNoChangeDir is set, the current folder becomes the file's.
    virtual bool Execute();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& Value) { title_ = Value; }
    // "Description|*.ext|Description|*.a;*.b"
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& Value) { filter_ = Value; }
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int Value) { filterIndex_ = Value; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& Value) { initialDir_ = Value; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& Value) { fileName_ = Value; }
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& Value) { defaultExt_ = Value; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions Value) { options_ = Value; }
    TStrings* Files() { return &files_; }

protected:
    TOpenDialog(TComponent* AOwner, TDialogKind Kind, std::string DefaultTitle);

private:
    TDialogAnswer showOnScreen() const;
    TDialogKind kind_;
    std::string defaultTitle_;
    std::string title_;
    std::string filter_;
    int filterIndex_ = 1;
    std::string initialDir_;
    std::string fileName_;
    std::string defaultExt_;
    TOpenOptions options_{ofHideReadOnly};
    TStringList files_;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* AOwner);
};

// ---------------------------------------------------------------- printing

enum TPrintRange { prAllPages, prSelection, prPageNums };
enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// Choose a printer (and, for the print dialog, pages and copies); the
// chosen printer becomes Printer()'s. A scripted answer may name the
// printer's device in Text (empty keeps the current one).
class TPrintDialog : public TComponent {
public:
    explicit TPrintDialog(TComponent* AOwner);
    bool Execute();

    int Copies() const { return copies_; }
    void SetCopies(int Value) { copies_ = Value; }
    int FromPage() const { return fromPage_; }
    void SetFromPage(int Value) { fromPage_ = Value; }
    int ToPage() const { return toPage_; }
    void SetToPage(int Value) { toPage_ = Value; }
    int MinPage() const { return minPage_; }
    void SetMinPage(int Value) { minPage_ = Value; }
    int MaxPage() const { return maxPage_; }
    void SetMaxPage(int Value) { maxPage_ = Value; }
    TPrintRange PrintRange() const { return printRange_; }
    void SetPrintRange(TPrintRange Value) { printRange_ = Value; }
    TPrintDialogOptions Options() const { return options_; }
    void SetOptions(TPrintDialogOptions Value) { options_ = Value; }
    // The device chosen by the last Execute that returned true.
    const std::string& PrinterName() const { return printerName_; }

private:
    int copies_ = 1;
    int fromPage_ = 0;
    int toPage_ = 0;
    int minPage_ = 0;
    int maxPage_ = 0;
    TPrintRange printRange_ = prAllPages;
    TPrintDialogOptions options_;
    std::string printerName_;
};

class TPrinterSetupDialog : public TComponent {
public:
    explicit TPrinterSetupDialog(TComponent* AOwner);
    bool Execute();
    const std::string& PrinterName() const { return printerName_; }

private:
    std::string printerName_;
};

// ---------------------------------------------------------------- find and replace

enum TFindOption {
    frDown, frFindNext, frHideMatchCase, frHideWholeWord, frHideUpDown, frMatchCase, frDisableMatchCase,
    frDisableUpDown, frDisableWholeWord, frReplace, frReplaceAll, frWholeWord, frShowHelp
};
using TFindOptions = TSet<TFindOption>;
// Bit of a find option in TDialogAnswer::Options.
constexpr unsigned findOptionBit(TFindOption Option) { return 1u << Option; }

// Modeless: Execute shows the dialog; each "Find Next" fires OnFind with
// FindText and Options set. A scripted answer with Result mrOk stands for
// one press of the button its Options name (frFindNext, frReplace,
// frReplaceAll).
class TFindDialog : public TComponent {
public:
    explicit TFindDialog(TComponent* AOwner);
    ~TFindDialog() override;
    bool Execute();
    void CloseDialog();

    const std::string& FindText() const { return findText_; }
    void SetFindText(const std::string& Value) { findText_ = Value; }
    TFindOptions Options() const { return options_; }
    void SetOptions(TFindOptions Value) { options_ = Value; }

    TNotifyEvent OnFind;
    TNotifyEvent OnClose;

protected:
    TFindDialog(TComponent* AOwner, TDialogKind Kind);
    virtual void Find();
    virtual void Replace() {}
    void applyAnswer(const TDialogAnswer& Answer);
    std::string replaceText_;

private:
    class Window;
    TDialogKind kind_;
    std::string findText_;
    TFindOptions options_{frDown};
    std::unique_ptr<Window> window_;
};

class TReplaceDialog : public TFindDialog {
public:
    explicit TReplaceDialog(TComponent* AOwner);
    const std::string& ReplaceText() const { return replaceText_; }
    void SetReplaceText(const std::string& Value) { replaceText_ = Value; }

    TNotifyEvent OnReplace;

protected:
    void Replace() override;
};
