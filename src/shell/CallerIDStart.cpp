#include "shell/CallerIDStart.h"

#include <limits>

#include "app/CallerID.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "serial/SerPort.h"
#include "shell/CallerIDHookup.h"
#include "ui/Application.h"
#include "ui/FormKit.h"
#include "ui/Forms.h"

namespace {

const char* const LineEnd = "\r";
const char* const CallerIDCommand = "ATSN\r";

// The port number of the text; raises the conversion error when it is none.
uint16_t portNumber(const std::string& PortText) {
    const int number = StrToInt(PortText);
    if (number < 0 || number > std::numeric_limits<uint16_t>::max())
        throw EConvertError("'" + PortText + "' is not a valid integer value");
    return static_cast<uint16_t>(number);
}

}  // namespace

void StartCallerID(TForm* MainForm, TSerComPort* Port, const std::string& PortText) {
    try {
        Port->SetComNumber(portNumber(PortText));
        Port->SetOpen(true);
        auto* lines = new TCallerIDLines(MainForm, Port);
        bindEvent(Port->OnTriggerAvail, lines, &TCallerIDLines::SerComPort1TriggerAvail);
        bindEvent(Port->OnTriggerData, lines, &TCallerIDLines::SerComPort1TriggerData);
        lines->TriggerHandle = Port->AddDataTrigger(LineEnd, false);
        lines->clearLine();
        Port->PutString(CallerIDCommand);
    } catch (const Exception& e) {
        if (Port->Open()) {
            try {
                Port->SetOpen(false);
            } catch (const Exception&) {
                // The port is given up either way.
            }
        }
        Port->OnTriggerAvail = nullptr;
        Port->OnTriggerData = nullptr;
        Application->ShowException(e);
    }
}

void hookUpCallerID() { setCallerIDStart(StartCallerID); }
