#pragma once
// The program's start: one running copy per installation, the application's
// title and help file, the windows made at start (the main window, the about
// box and, once its class is registered, the account-balance rebuild), then
// the message loop until the main window closes.
//
// Forms of the higher folders are registered by the caller before this runs.

// What the start does for the shell's own parts: the preferences dialog
// registered by class name, caller ID's start put into the main window's
// hook.
void registerShellParts();

// The process's exit status. A second copy ends at once, before any window,
// with status 0.
int runQuenmark(int argc, char** argv);
