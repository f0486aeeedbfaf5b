#pragma once
// What opening a company does to the main window, as the data module sees
// it: the caption, the two menu states and the request to close. The shell's
// main form implements it; src/app never includes the shell.
#include <string>

class TMainFormLink {
public:
    virtual ~TMainFormLink() = default;
    virtual void SetCaption(const std::string& Value) = 0;
    // Every menu and speed button off.
    virtual void DisableMainMenu() = 0;
    // Only the File and Help menus usable: no company is open.
    virtual void EnableFilesOnlyMenu() = 0;
    // Starts the main form's close sequence (a table could not be opened).
    virtual void Close() = 0;
    // A long run over the books shows its progress in the main window's
    // gauge and status bar and keeps the window disabled meanwhile. A main
    // window without them ignores these.
    virtual void ShowProgress(bool /*Visible*/, int /*Percent*/) {}
    virtual void SetStatusText(const std::string& /*Value*/) {}
    virtual void EnableMainWindow(bool /*Value*/) {}
};
