#pragma once
// Every message box and dialog of the program passes through RunDialog. A
// TDialogScript installed by a test answers them in order and records what
// was shown, so no test ever waits on a window; a dialog that finds the
// script empty raises EUnscriptedDialog instead of blocking.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Exceptions.h"

class TForm;

QM_DECLARE_EXCEPTION(EUnscriptedDialog, Exception)

enum class TDialogKind {
    MessageBox,
    MessageDlg,
    ShowMessage,
    InputQuery,
    OpenDialog,
    SaveDialog,
    PrintDialog,
    PrinterSetupDialog,
    FindDialog,
    ReplaceDialog,
    ModalForm,
};

// What a dialog puts in front of the user.
struct TDialogRequest {
    TDialogKind Kind = TDialogKind::MessageBox;
    std::string Caption;
    std::string Text;                  // message or prompt
    std::vector<std::string> Buttons;  // button captions as shown, "&" removed
    std::string Value;                 // default input, initial file name or search text
    std::string InitialDir;
    std::string Filter;
    TForm* Form = nullptr;             // the form of a ShowModal
};

// What the user did.
struct TDialogAnswer {
    int Result = 0;           // modal result (mrOk, mrYes, ...) or message box id
    std::string Text;         // typed value, chosen file, text to find
    std::string ReplaceText;  // replace dialog
    unsigned Options = 0;     // find options chosen (frDown, frMatchCase, ...)
    // For a modal form: runs while the form is shown, as the user would act
    // on it (fill edits, click buttons). The form closes with its own
    // ModalResult, or with Result when the action left it unset.
    std::function<void(TForm&)> Act;
};

// Shows a dialog: answered by the installed script, or on screen by onScreen.
TDialogAnswer RunDialog(const TDialogRequest& request,
                        const std::function<TDialogAnswer()>& onScreen);

// With a script installed: records the request and returns its next answer
// (raising EUnscriptedDialog when none is left). Without one: nothing.
std::optional<TDialogAnswer> ScriptedAnswer(const TDialogRequest& request);

bool dialogScriptInstalled();
// True when no one can see a window (the offscreen platform) or no one sits
// at the run (QUENMARK_NO_USER set, as tests do): a modal dialog without a
// script then raises EUnscriptedDialog instead of waiting.
bool noUserToAnswer();
// The scripted answer; nothing when a user will answer on the screen.
// Raises EUnscriptedDialog when there is no script entry and no user.
std::optional<TDialogAnswer> answerWithoutUser(const TDialogRequest& request);

// Installs itself for its lifetime; one at a time.
class TDialogScript {
public:
    TDialogScript();
    ~TDialogScript();
    TDialogScript(const TDialogScript&) = delete;
    TDialogScript& operator=(const TDialogScript&) = delete;

    TDialogScript& Answer(TDialogAnswer answer);
    TDialogScript& Answer(int result);
    TDialogScript& Answer(int result, std::string text);
    // A modal form answered by acting on it.
    TDialogScript& Answer(std::function<void(TForm&)> act);
    // Answers every request left over once the listed answers are used up.
    TDialogScript& AnswerRest(std::function<TDialogAnswer(const TDialogRequest&)> answer);

    const std::vector<TDialogRequest>& Shown() const { return shown_; }
    size_t Unanswered() const { return answers_.size() - next_; }

private:
    friend std::optional<TDialogAnswer> ScriptedAnswer(const TDialogRequest&);
    std::vector<TDialogAnswer> answers_;
    std::function<TDialogAnswer(const TDialogRequest&)> rest_;
    size_t next_ = 0;
    std::vector<TDialogRequest> shown_;
};
