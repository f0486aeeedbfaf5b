#pragma once
// The start of caller ID, which the main window runs once per run of the
// program (CallerIDHookup.h): the port number from the settings' text, the
// port opened, the carriage-return trigger added, the line buffer cleared and
// "ATSN\r" sent to the modem. A port text that is not a whole number, or a
// port that will not open, is reported and leaves the port closed: caller
// ID stays off for the run.
#include <string>

class TForm;
class TSerComPort;

void StartCallerID(TForm* MainForm, TSerComPort* Port, const std::string& PortText);

// Fills the main window's start hook with StartCallerID.
void hookUpCallerID();
