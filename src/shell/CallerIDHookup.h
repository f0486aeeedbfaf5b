#pragma once
// Where caller ID meets the main window. The caller-ID unit fills the start
// hook at the program's start-up; the main form calls it once per run, at
// the first activation that finds VO97.ini [Configuration] CallerIDComPort
// set to a port, with its serial-port component and the key's text. The hook
// opens the port, hears its lines and reports a port it cannot use.
#include <functional>
#include <string>

class TForm;
class TSerComPort;

using TCallerIDStart = std::function<void(TForm* MainForm, TSerComPort* Port, const std::string& PortText)>;

// Empty until caller ID is hooked up: the port then stays closed.
void setCallerIDStart(TCallerIDStart Start);
const TCallerIDStart& callerIDStart();
