#pragma once
// The application object (title, help file, message loop, message boxes,
// hints, exception handling), the screen (cursor, forms, active form) and
// the hand-off through which other threads run calls on the main thread.
#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "ui/Forms.h"

// MessageBox flags and results.
constexpr int MB_OK = 0x0;
constexpr int MB_OKCANCEL = 0x1;
constexpr int MB_ABORTRETRYIGNORE = 0x2;
constexpr int MB_YESNOCANCEL = 0x3;
constexpr int MB_YESNO = 0x4;
constexpr int MB_RETRYCANCEL = 0x5;
constexpr int MB_ICONHAND = 0x10;
constexpr int MB_ICONERROR = MB_ICONHAND;
constexpr int MB_ICONSTOP = MB_ICONHAND;
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONEXCLAMATION = 0x30;
constexpr int MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr int MB_ICONASTERISK = 0x40;
constexpr int MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Makes sure a Qt application exists: attaches to the one there is, or
    // creates it (with the given command line).
    void Initialize(int argc = 0, char** argv = nullptr);

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& Value);
    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(const std::string& Value) { helpFile_ = Value; }
    // Full path of the running program.
    std::string ExeName() const;

    // The first form made through CreateForm; closing it ends Run.
    TForm* MainForm() const { return mainForm_; }
    // Creates a form owned by the application and fires its OnCreate.
    template <class T>
    void CreateForm(T*& Reference) {
        Initialize();
        Reference = new T(this);
        if (!mainForm_) mainForm_ = Reference;
        Reference->AfterConstruction();
    }

    // Shows the main form and runs the message loop until it closes or
    // Terminate is called; then frees the forms.
    void Run();
    // Runs the events waiting now. Raises the failure of a handler that
    // showed an unscripted dialog.
    void ProcessMessages();
    // ProcessMessages at most every 50 ms: long work keeps its windows alive
    // without paying for the event loop on every row.
    void ProcessMessagesNowAndThen();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Shows a message box (through the dialog responder) and returns the
    // button pressed (IDOK, IDYES, ...).
    int MessageBox(const std::string& Text, const std::string& Caption, int Flags = MB_OK);

    // The long hint of the control under the mouse or the highlighted menu
    // item; setting it fires OnHint.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& Value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool Value) { showHint_ = Value; }

    // Called inside a catch block: reports the exception being handled
    // (OnException, or a message box); EAbort is silent.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    // A failure caught by HandleException that must not be swallowed (an
    // unscripted dialog): raised again by the next ProcessMessages.
    void raisePendingFailure();

    void Minimize();
    void Restore();
    void BringToFront();

    TNotifyEvent OnHint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TExceptionEvent OnException;

private:
    friend class TForm;
    std::string title_;
    std::string helpFile_;
    std::string hint_;
    bool showHint_ = true;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    std::chrono::steady_clock::time_point lastMessages_{};
    bool stateWatched_ = false;
    std::exception_ptr pendingFailure_;
};

class TScreen : public TComponent {
public:
    TScreen();

    // crHourGlass and the other shapes apply to every window; crDefault
    // gives each control its own cursor back.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);

    int FormCount() const { return static_cast<int>(forms_.size()); }
    TForm* Forms(int Index) const { return forms_.at(Index); }
    // The form that is the active window, or the last one activated.
    TForm* ActiveForm() const;
    TWinControl* ActiveControl() const;

    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }

private:
    friend class TForm;
    void addForm(TForm* Form) { forms_.push_back(Form); }
    void removeForm(TForm* Form);
    std::vector<TForm*> forms_;
    TForm* lastActive_ = nullptr;
    TCursor cursor_ = crDefault;
};

extern TApplication* const Application;
extern TScreen* const Screen;

// Queues Call to run on the main thread when it next processes its events
// (from the main thread too, as a posted message would).
void queueOnMainThread(std::function<void()> Call);
// Runs Call on the main thread and waits for it up to TimeoutMs milliseconds
// (negative waits for ever). False when it did not finish in time; the call
// then still runs later.
bool sendToMainThread(std::function<void()> Call, int TimeoutMs);
