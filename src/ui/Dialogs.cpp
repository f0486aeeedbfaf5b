#include "ui/Dialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <unistd.h>

#include "os/Paths.h"
#include "ui/Application.h"
#include "ui/Devices.h"
#include "ui/Printers.h"
#include "ui/Text1252.h"

namespace {
const TMsgDlgBtn allButtons[] = {mbYes,   mbNo,  mbOK,      mbCancel,   mbAbort, mbRetry,
                                 mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp};

std::vector<std::string> captionsOf(TMsgDlgButtons buttons) {
    std::vector<std::string> captions;
    for (TMsgDlgBtn b : allButtons)
        if (buttons.Contains(b)) captions.push_back(MsgDlgButtonCaption(b));
    return captions;
}

int showMessageBoxOnScreen(const std::string& caption, const std::string& text, TMsgDlgType type,
                           TMsgDlgButtons buttons) {
    Application->Initialize();
    QMessageBox box;
    box.setWindowTitle(ToQString(caption));
    box.setText(ToQString(text));
    switch (type) {
    case mtWarning: box.setIcon(QMessageBox::Warning); break;
    case mtError: box.setIcon(QMessageBox::Critical); break;
    case mtInformation: box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: box.setIcon(QMessageBox::Question); break;
    case mtCustom: break;
    }
    std::vector<std::pair<QAbstractButton*, TMsgDlgBtn>> made;
    for (TMsgDlgBtn b : allButtons) {
        if (!buttons.Contains(b)) continue;
        std::string label = MsgDlgButtonCaption(b);
        QMessageBox::ButtonRole role = b == mbCancel || b == mbNo ? QMessageBox::RejectRole
                                       : b == mbHelp ? QMessageBox::HelpRole : QMessageBox::AcceptRole;
        made.emplace_back(box.addButton(ToQString(label), role), b);
    }
    box.exec();
    for (auto& [button, b] : made)
        if (box.clickedButton() == button) return MsgDlgButtonResult(b);
    return buttons.Contains(mbCancel) ? mrCancel : mrNone;
}

// "Text files|*.txt|All|*.*" as Qt's "Text files (*.txt);;All (*.*)".
QString qtFilter(const std::string& filter) {
    QStringList parts = ToQString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    return out.join(";;");
}
}  // namespace

std::string MsgDlgCaption(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
    }
    return Application->Title();
}

std::string MsgDlgButtonCaption(TMsgDlgBtn Button) {
    switch (Button) {
    case mbYes: return "Yes";
    case mbNo: return "No";
    case mbOK: return "OK";
    case mbCancel: return "Cancel";
    case mbAbort: return "Abort";
    case mbRetry: return "Retry";
    case mbIgnore: return "Ignore";
    case mbAll: return "All";
    case mbNoToAll: return "No to All";
    case mbYesToAll: return "Yes to All";
    case mbHelp: return "Help";
    }
    return {};
}

TModalResult MsgDlgButtonResult(TMsgDlgBtn Button) {
    switch (Button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbHelp: return mrNone;
    }
    return mrNone;
}

int ShowMessageBox(TDialogKind Kind, const std::string& Caption, const std::string& Text, TMsgDlgType DlgType,
                   TMsgDlgButtons Buttons) {
    if (Buttons.Empty()) Buttons = {mbOK};
    TDialogRequest request;
    request.Kind = Kind;
    request.Caption = Caption;
    request.Text = Text;
    request.Buttons = captionsOf(Buttons);
    TDialogAnswer answer = RunDialog(request, [&] {
        TDialogAnswer a;
        a.Result = showMessageBoxOnScreen(Caption, Text, DlgType, Buttons);
        return a;
    });
    // A scripted press of a button the box does not have is a fault of the
    // script, not an answer.
    bool offered = false;
    for (TMsgDlgBtn b : allButtons)
        if (Buttons.Contains(b) && MsgDlgButtonResult(b) == answer.Result) offered = true;
    if (!offered)
        throw EUnscriptedDialog("The answer " + std::to_string(answer.Result) + " is not a button of \"" + Text + "\"");
    return answer.Result;
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int) {
    return ShowMessageBox(TDialogKind::MessageDlg, MsgDlgCaption(DlgType), Msg, DlgType, Buttons);
}

void ShowMessage(const std::string& Msg) {
    ShowMessageBox(TDialogKind::ShowMessage, Application->Title(), Msg, mtCustom, {mbOK});
}

bool InputQuery(const std::string& ACaption, const std::string& APrompt, std::string& Value) {
    TDialogRequest request;
    request.Kind = TDialogKind::InputQuery;
    request.Caption = ACaption;
    request.Text = APrompt;
    request.Value = Value;
    request.Buttons = {"OK", "Cancel"};
    TDialogAnswer answer = RunDialog(request, [&] {
        Application->Initialize();
        bool ok = false;
        QString text = QInputDialog::getText(nullptr, ToQString(ACaption), ToQString(APrompt), QLineEdit::Normal,
                                             ToQString(Value), &ok);
        TDialogAnswer a;
        a.Result = ok ? mrOk : mrCancel;
        a.Text = fromQString(text);
        return a;
    });
    if (answer.Result != mrOk) return false;
    Value = answer.Text;
    return true;
}

std::string InputBox(const std::string& ACaption, const std::string& APrompt, const std::string& ADefault) {
    std::string value = ADefault;
    InputQuery(ACaption, APrompt, value);
    return value;
}

// ---------------------------------------------------------------- file dialogs

TOpenDialog::TOpenDialog(TComponent* AOwner) : TOpenDialog(AOwner, TDialogKind::OpenDialog, "Open") {}

TOpenDialog::TOpenDialog(TComponent* AOwner, TDialogKind Kind, std::string DefaultTitle)
    : TComponent(AOwner), kind_(Kind), defaultTitle_(std::move(DefaultTitle)) {}

TOpenDialog::~TOpenDialog() = default;

TDialogAnswer TOpenDialog::showOnScreen() const {
    Application->Initialize();
    QString caption = ToQString(title_.empty() ? defaultTitle_ : title_);
    QString folder = ToQString(os::MapPath(initialDir_.empty() ? "." : initialDir_));
    if (!fileName_.empty()) folder += "/" + ToQString(os::ExtractFileName(fileName_));
    QFileDialog dialog(nullptr, caption, folder, qtFilter(filter_));
    dialog.setAcceptMode(kind_ == TDialogKind::SaveDialog ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (kind_ == TDialogKind::OpenDialog)
        dialog.setFileMode(options_.Contains(ofAllowMultiSelect) ? QFileDialog::ExistingFiles
                           : options_.Contains(ofFileMustExist) ? QFileDialog::ExistingFile
                                                                : QFileDialog::AnyFile);
    if (!options_.Contains(ofOverwritePrompt)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QStringList filters = dialog.nameFilters();
    if (filterIndex_ >= 1 && filterIndex_ <= filters.size()) dialog.selectNameFilter(filters[filterIndex_ - 1]);
    TDialogAnswer answer;
    answer.Result = dialog.exec() == QDialog::Accepted ? mrOk : mrCancel;
    QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty()) answer.Text = fromQString(chosen.join('\n'));
    return answer;
}

bool TOpenDialog::Execute() {
    TDialogRequest request;
    request.Kind = kind_;
    request.Caption = title_.empty() ? defaultTitle_ : title_;
    request.Value = fileName_;
    request.InitialDir = initialDir_;
    request.Filter = filter_;
    request.Buttons = {kind_ == TDialogKind::SaveDialog ? "Save" : "Open", "Cancel"};
    TDialogAnswer answer = RunDialog(request, [this] { return showOnScreen(); });
    if (answer.Result != mrOk) return false;
    // Several files come one a line.
    files_.Clear();
    std::string rest = answer.Text;
    for (size_t nl; (nl = rest.find('\n')) != std::string::npos; rest.erase(0, nl + 1))
        files_.Add(rest.substr(0, nl));
    files_.Add(rest);
    for (int i = 0; i < files_.Count(); ++i) {
        std::string name = files_.Strings(i);
        if (!defaultExt_.empty() && os::ExtractFileExt(name).empty()) files_.SetStrings(i, name + "." + defaultExt_);
    }
    fileName_ = files_.Strings(0);
    if (!options_.Contains(ofNoChangeDir)) {
        std::string folder = os::ExtractFilePath(os::MapPath(fileName_));
        if (!folder.empty() && chdir(folder.c_str()) != 0) {
            // The folder of a chosen file exists; a failure leaves the current one.
        }
    }
    return true;
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner, TDialogKind::SaveDialog, "Save As") {}

// ---------------------------------------------------------------- printing

namespace {
std::string choosePrinterOnScreen(const std::string& caption, bool& ok) {
    Application->Initialize();
    QStringList names;
    for (const TPrinterDriver* p : installedPrinters()) names << ToQString(p->Device());
    int current = std::max(Printer()->PrinterIndex(), 0);
    QString chosen = QInputDialog::getItem(nullptr, ToQString(caption), "Printer:", names, current, false, &ok);
    return fromQString(chosen);
}

// The printer a scripted or on-screen answer names (the current one when
// none) becomes the printer object's printer.
std::string choosePrinter(const TDialogAnswer& answer) {
    if (answer.Text.empty()) {
        const auto& list = installedPrinters();
        int index = Printer()->PrinterIndex();
        return index >= 0 && index < static_cast<int>(list.size()) ? list[index]->Device() : std::string();
    }
    const auto& list = installedPrinters();
    for (size_t i = 0; i < list.size(); ++i)
        if (QString::compare(ToQString(list[i]->Device()), ToQString(answer.Text), Qt::CaseInsensitive) == 0) {
            Printer()->SetPrinterIndex(static_cast<int>(i));
            return list[i]->Device();
        }
    throw EPrinter("Printer selected is not valid");
}

// Asks for a printer under Caption; on OK the chosen printer becomes the
// printer object's and its name goes into PrinterName.
bool askForPrinter(TDialogKind Kind, const std::string& Caption, std::string& PrinterName) {
    TDialogRequest request;
    request.Kind = Kind;
    request.Caption = Caption;
    request.Buttons = {"OK", "Cancel"};
    TDialogAnswer answer = RunDialog(request, [&] {
        bool ok = false;
        TDialogAnswer a;
        a.Text = choosePrinterOnScreen(Caption, ok);
        a.Result = ok ? mrOk : mrCancel;
        return a;
    });
    if (answer.Result != mrOk) return false;
    PrinterName = choosePrinter(answer);
    return true;
}
}  // namespace

TPrintDialog::TPrintDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TPrintDialog::Execute() {
    if (!askForPrinter(TDialogKind::PrintDialog, "Print", printerName_)) return false;
    Printer()->SetCopies(copies_);
    return true;
}

TPrinterSetupDialog::TPrinterSetupDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TPrinterSetupDialog::Execute() { return askForPrinter(TDialogKind::PrinterSetupDialog, "Print Setup", printerName_); }

// ---------------------------------------------------------------- find and replace

// The modeless window of a find or replace dialog.
class TFindDialog::Window : public QDialog {
public:
    Window(TFindDialog* owner, bool replace) : owner_(owner) {
        setWindowTitle(replace ? "Replace" : "Find");
        auto* layout = new QVBoxLayout(this);
        auto* findRow = new QHBoxLayout;
        findRow->addWidget(new QLabel("Find what:"));
        findEdit_ = new QLineEdit;
        findRow->addWidget(findEdit_);
        layout->addLayout(findRow);
        if (replace) {
            auto* replaceRow = new QHBoxLayout;
            replaceRow->addWidget(new QLabel("Replace with:"));
            replaceEdit_ = new QLineEdit;
            replaceRow->addWidget(replaceEdit_);
            layout->addLayout(replaceRow);
        }
        wholeWord_ = new QCheckBox("Match &whole word only");
        matchCase_ = new QCheckBox("Match &case");
        layout->addWidget(wholeWord_);
        layout->addWidget(matchCase_);
        auto* direction = new QHBoxLayout;
        up_ = new QRadioButton("&Up");
        down_ = new QRadioButton("&Down");
        direction->addWidget(up_);
        direction->addWidget(down_);
        if (!replace) layout->addLayout(direction);
        auto* buttons = new QHBoxLayout;
        addButton(buttons, "&Find Next", frFindNext);
        if (replace) {
            addButton(buttons, "&Replace", frReplace);
            addButton(buttons, "Replace &All", frReplaceAll);
        }
        auto* cancel = new QPushButton("Cancel");
        buttons->addWidget(cancel);
        connect(cancel, &QPushButton::clicked, this, &QDialog::close);
        layout->addLayout(buttons);
    }

    void load() {
        findEdit_->setText(ToQString(owner_->FindText()));
        if (replaceEdit_) replaceEdit_->setText(ToQString(owner_->replaceText_));
        TFindOptions o = owner_->Options();
        wholeWord_->setChecked(o.Contains(frWholeWord));
        matchCase_->setChecked(o.Contains(frMatchCase));
        (o.Contains(frDown) ? down_ : up_)->setChecked(true);
        wholeWord_->setVisible(!o.Contains(frHideWholeWord));
        matchCase_->setVisible(!o.Contains(frHideMatchCase));
        wholeWord_->setEnabled(!o.Contains(frDisableWholeWord));
        matchCase_->setEnabled(!o.Contains(frDisableMatchCase));
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        QDialog::closeEvent(e);
        try {
            if (owner_->OnClose) owner_->OnClose(owner_);
        } catch (...) {
            Application->HandleException(owner_);
        }
    }

private:
    void addButton(QHBoxLayout* row, const char* caption, TFindOption action) {
        auto* b = new QPushButton(caption);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, action] {
            TDialogAnswer a;
            a.Result = mrOk;
            a.Text = fromQString(findEdit_->text());
            if (replaceEdit_) a.ReplaceText = fromQString(replaceEdit_->text());
            a.Options = findOptionBit(action);
            if (wholeWord_->isChecked()) a.Options |= findOptionBit(frWholeWord);
            if (matchCase_->isChecked()) a.Options |= findOptionBit(frMatchCase);
            if (down_->isChecked()) a.Options |= findOptionBit(frDown);
            try {
                owner_->applyAnswer(a);
            } catch (...) {
                Application->HandleException(owner_);
            }
        });
    }

    TFindDialog* owner_;
    QLineEdit* findEdit_ = nullptr;
    QLineEdit* replaceEdit_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
};

TFindDialog::TFindDialog(TComponent* AOwner) : TFindDialog(AOwner, TDialogKind::FindDialog) {}

TFindDialog::TFindDialog(TComponent* AOwner, TDialogKind Kind) : TComponent(AOwner), kind_(Kind) {}

TFindDialog::~TFindDialog() = default;

bool TFindDialog::Execute() {
    TDialogRequest request;
    request.Kind = kind_;
    request.Caption = kind_ == TDialogKind::ReplaceDialog ? "Replace" : "Find";
    request.Value = findText_;
    request.Buttons = {"Find Next", "Cancel"};
    if (kind_ == TDialogKind::ReplaceDialog) request.Buttons = {"Find Next", "Replace", "Replace All", "Cancel"};
    if (auto answer = ScriptedAnswer(request)) {
        if (answer->Result == mrOk) applyAnswer(*answer);
        return true;
    }
    Application->Initialize();
    if (!window_) window_ = std::make_unique<Window>(this, kind_ == TDialogKind::ReplaceDialog);
    window_->load();
    window_->show();
    window_->raise();
    window_->activateWindow();
    return true;
}

void TFindDialog::CloseDialog() {
    if (window_) window_->close();
}

void TFindDialog::applyAnswer(const TDialogAnswer& Answer) {
    findText_ = Answer.Text;
    replaceText_ = Answer.ReplaceText;
    TFindOptions kept;
    for (TFindOption o : {frHideMatchCase, frHideWholeWord, frHideUpDown, frDisableMatchCase, frDisableUpDown,
                          frDisableWholeWord, frShowHelp})
        if (options_.Contains(o)) kept.Include(o);
    for (int bit = 0; bit <= frShowHelp; ++bit)
        if (Answer.Options & (1u << bit)) kept.Include(static_cast<TFindOption>(bit));
    if (!kept.Contains(frReplace) && !kept.Contains(frReplaceAll)) kept.Include(frFindNext);
    options_ = kept;
    if (options_.Contains(frReplace) || options_.Contains(frReplaceAll))
        Replace();
    else
        Find();
}

void TFindDialog::Find() {
    if (OnFind) OnFind(this);
}

TReplaceDialog::TReplaceDialog(TComponent* AOwner) : TFindDialog(AOwner, TDialogKind::ReplaceDialog) {}

void TReplaceDialog::Replace() {
    if (OnReplace) OnReplace(this);
}
