#include "ui/DialogResponder.h"

#include <QGuiApplication>

#include <cstdlib>

namespace {
TDialogScript* installed = nullptr;

const char* KindName(TDialogKind kind) {
    switch (kind) {
    case TDialogKind::MessageBox: return "message box";
    case TDialogKind::MessageDlg: return "message dialog";
    case TDialogKind::ShowMessage: return "message";
    case TDialogKind::InputQuery: return "input query";
    case TDialogKind::OpenDialog: return "open dialog";
    case TDialogKind::SaveDialog: return "save dialog";
    case TDialogKind::PrintDialog: return "print dialog";
    case TDialogKind::PrinterSetupDialog: return "printer setup dialog";
    case TDialogKind::FindDialog: return "find dialog";
    case TDialogKind::ReplaceDialog: return "replace dialog";
    case TDialogKind::ModalForm: return "modal form";
    }
    return "dialog";
}
}  // namespace

TDialogScript::TDialogScript() {
    if (installed)
        throw Exception("A dialog script is already installed");
    installed = this;
}

TDialogScript::~TDialogScript() {
    if (installed == this)
        installed = nullptr;
}

TDialogScript& TDialogScript::Answer(TDialogAnswer answer) {
    answers_.push_back(std::move(answer));
    return *this;
}

TDialogScript& TDialogScript::Answer(int result) {
    TDialogAnswer answer;
    answer.Result = result;
    return Answer(std::move(answer));
}

TDialogScript& TDialogScript::Answer(int result, std::string text) {
    TDialogAnswer answer;
    answer.Result = result;
    answer.Text = std::move(text);
    return Answer(std::move(answer));
}

TDialogScript& TDialogScript::Answer(std::function<void(TForm&)> act) {
    TDialogAnswer answer;
    answer.Act = std::move(act);
    return Answer(std::move(answer));
}

TDialogScript& TDialogScript::AnswerRest(std::function<TDialogAnswer(const TDialogRequest&)> answer) {
    rest_ = std::move(answer);
    return *this;
}

bool dialogScriptInstalled() { return installed != nullptr; }

std::optional<TDialogAnswer> ScriptedAnswer(const TDialogRequest& request) {
    if (!installed)
        return std::nullopt;
    installed->shown_.push_back(request);
    if (installed->next_ >= installed->answers_.size() && installed->rest_)
        return installed->rest_(request);
    if (installed->next_ >= installed->answers_.size())
        throw EUnscriptedDialog(std::string("No scripted answer for the ") + KindName(request.Kind) +
                                " \"" + request.Caption + "\": " + request.Text);
    return installed->answers_[installed->next_++];
}

bool noUserToAnswer() {
    if (const char* noUser = std::getenv("QUENMARK_NO_USER"); noUser && *noUser) return true;
    return QGuiApplication::platformName() == "offscreen";
}

std::optional<TDialogAnswer> answerWithoutUser(const TDialogRequest& request) {
    if (auto answer = ScriptedAnswer(request))
        return answer;
    // A window nobody can see would wait for ever.
    if (noUserToAnswer())
        throw EUnscriptedDialog(std::string("No screen to show the ") + KindName(request.Kind) + " \"" +
                                request.Caption + "\": " + request.Text);
    return std::nullopt;
}

TDialogAnswer RunDialog(const TDialogRequest& request,
                        const std::function<TDialogAnswer()>& onScreen) {
    if (auto answer = answerWithoutUser(request))
        return *answer;
    return onScreen();
}
