#include "ui/Application.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QScreen>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "os/Paths.h"
#include "ui/Dialogs.h"
#include "ui/DialogResponder.h"
#include "ui/Text1252.h"

// Both live as long as the process: forms may outlive main's locals, and the
// Qt application must outlive every widget.
TApplication* const Application = new TApplication;
TScreen* const Screen = new TScreen;

namespace {
int qtArgc = 1;
char qtProgramName[] = "quenmark";
char* qtArgvDefault[] = {qtProgramName, nullptr};
}  // namespace

void EnsureQtApplication() { Application->Initialize(); }

// ---------------------------------------------------------------- TApplication

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() = default;

void TApplication::Initialize(int argc, char** argv) {
    if (!QCoreApplication::instance()) {
        static int storedArgc = argc > 0 ? argc : qtArgc;
        static char** storedArgv = argc > 0 ? argv : qtArgvDefault;
        new QApplication(storedArgc, storedArgv);  // lives until the process ends
    }
    if (!stateWatched_) {
        stateWatched_ = true;
        if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QObject::connect(gui, &QGuiApplication::applicationStateChanged, gui, [this](Qt::ApplicationState s) {
                try {
                    if (s == Qt::ApplicationActive && OnActivate) OnActivate(this);
                    if (s == Qt::ApplicationInactive && OnDeactivate) OnDeactivate(this);
                } catch (...) {
                    HandleException(this);
                }
            });
        }
    }
}

void TApplication::SetTitle(const std::string& Value) {
    title_ = Value;
    if (QCoreApplication::instance()) QGuiApplication::setApplicationDisplayName(ToQString(Value));
}

std::string TApplication::ExeName() const { return os::ProgramFolder() + "/" + os::ExtractFileName(
    QCoreApplication::instance() ? fromQString(QCoreApplication::applicationFilePath()) : std::string("quenmark")); }

void TApplication::Run() {
    Initialize();
    terminated_ = false;
    if (mainForm_ && !mainForm_->Visible()) mainForm_->Show();
    QEventLoop loop;
    while (!terminated_ && mainForm_) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
        raisePendingFailure();
    }
    // The forms go while Qt is still there.
    mainForm_ = nullptr;
    DestroyComponents();
}

void TApplication::ProcessMessages() {
    Initialize();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    raisePendingFailure();
}

void TApplication::ProcessMessagesNowAndThen() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastMessages_ < std::chrono::milliseconds(50)) return;
    lastMessages_ = now;
    ProcessMessages();
}

void TApplication::Terminate() {
    terminated_ = true;
    if (QCoreApplication::instance()) QCoreApplication::instance()->exit(0);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, int Flags) {
    TMsgDlgType type = mtCustom;
    switch (Flags & 0xF0) {
    case MB_ICONHAND: type = mtError; break;
    case MB_ICONQUESTION: type = mtConfirmation; break;
    case MB_ICONEXCLAMATION: type = mtWarning; break;
    case MB_ICONASTERISK: type = mtInformation; break;
    default: break;
    }
    TMsgDlgButtons buttons;
    switch (Flags & 0xF) {
    case MB_OKCANCEL: buttons = {mbOK, mbCancel}; break;
    case MB_ABORTRETRYIGNORE: buttons = {mbAbort, mbRetry, mbIgnore}; break;
    case MB_YESNOCANCEL: buttons = {mbYes, mbNo, mbCancel}; break;
    case MB_YESNO: buttons = {mbYes, mbNo}; break;
    case MB_RETRYCANCEL: buttons = {mbRetry, mbCancel}; break;
    default: buttons = {mbOK}; break;
    }
    return ShowMessageBox(TDialogKind::MessageBox, Caption.empty() ? title_ : Caption, Text, type, buttons);
}

void TApplication::SetHint(const std::string& Value) {
    if (Value == hint_) return;
    hint_ = Value;
    if (OnHint) OnHint(this);
}

void TApplication::HandleException(TObject* Sender) {
    std::exception_ptr current = std::current_exception();
    if (!current) return;
    try {
        std::rethrow_exception(current);
    } catch (const EAbort&) {
    } catch (const EUnscriptedDialog&) {
        if (!pendingFailure_) pendingFailure_ = current;
    } catch (const Exception& e) {
        try {
            if (OnException)
                OnException(Sender, e);
            else
                ShowException(e);
        } catch (const EUnscriptedDialog&) {
            if (!pendingFailure_) pendingFailure_ = std::current_exception();
        }
    } catch (const std::exception& e) {
        try {
            ShowException(Exception(e.what()));
        } catch (const EUnscriptedDialog&) {
            if (!pendingFailure_) pendingFailure_ = std::current_exception();
        }
    }
}

void TApplication::ShowException(const Exception& E) {
    std::string message = E.Message();
    if (!message.empty() && message.back() > '.') message += '.';
    MessageBox(message, title_, MB_OK | MB_ICONSTOP);
}

void TApplication::raisePendingFailure() {
    if (pendingFailure_) {
        std::exception_ptr failure = pendingFailure_;
        pendingFailure_ = nullptr;
        std::rethrow_exception(failure);
    }
}

void TApplication::Minimize() {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Visible()) Screen->Forms(i)->SetWindowState(wsMinimized);
}

void TApplication::Restore() {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->WindowState() == wsMinimized) Screen->Forms(i)->SetWindowState(wsNormal);
}

void TApplication::BringToFront() {
    if (TForm* form = Screen->ActiveForm() ? Screen->ActiveForm() : mainForm_) form->BringToFront();
}

// ---------------------------------------------------------------- TScreen

TScreen::TScreen() : TComponent(nullptr) {}

void TScreen::SetCursor(TCursor Value) {
    if (Value == cursor_) return;
    cursor_ = Value;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    if (Value == crDefault) return;
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (Value) {
    case crHourGlass: case crSQLWait: shape = Qt::WaitCursor; break;
    case crAppStart: shape = Qt::BusyCursor; break;
    case crIBeam: shape = Qt::IBeamCursor; break;
    case crCross: shape = Qt::CrossCursor; break;
    case crHandPoint: shape = Qt::PointingHandCursor; break;
    case crNo: case crNoDrop: shape = Qt::ForbiddenCursor; break;
    case crNone: shape = Qt::BlankCursor; break;
    default: break;
    }
    QGuiApplication::setOverrideCursor(QCursor(shape));
}

void TScreen::removeForm(TForm* Form) {
    std::erase(forms_, Form);
    if (lastActive_ == Form) lastActive_ = nullptr;
}

TForm* TScreen::ActiveForm() const {
    if (QCoreApplication::instance())
        if (QWidget* active = QApplication::activeWindow())
            for (TForm* f : forms_)
                if (f->Handle() == active) return f;
    return lastActive_;
}

TWinControl* TScreen::ActiveControl() const {
    TForm* form = ActiveForm();
    return form ? form->ActiveControl() : nullptr;
}

int TScreen::Width() const {
    QScreen* s = QCoreApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const {
    QScreen* s = QCoreApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().height() : 768;
}

// ---------------------------------------------------------------- main thread

namespace {
bool onMainThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}
}  // namespace

void queueOnMainThread(std::function<void()> Call) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        Call();
        return;
    }
    QMetaObject::invokeMethod(app, [call = std::move(Call)] {
        try {
            call();
        } catch (...) {
            Application->HandleException(Application);
        }
    }, Qt::QueuedConnection);
}

bool sendToMainThread(std::function<void()> Call, int TimeoutMs) {
    if (onMainThread()) {
        Call();
        return true;
    }
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };
    auto shared = std::make_shared<Shared>();
    queueOnMainThread([shared, call = std::move(Call)] {
        try {
            call();
        } catch (...) {
            std::lock_guard lock(shared->mutex);
            shared->finished = true;
            shared->done.notify_all();
            throw;
        }
        std::lock_guard lock(shared->mutex);
        shared->finished = true;
        shared->done.notify_all();
    });
    std::unique_lock lock(shared->mutex);
    if (TimeoutMs < 0) {
        shared->done.wait(lock, [&] { return shared->finished; });
        return true;
    }
    return shared->done.wait_for(lock, std::chrono::milliseconds(TimeoutMs), [&] { return shared->finished; });
}
