#pragma once
// Caller ID's side of the main window's serial port: the characters the
// modem sends are collected into lines, and each line that names a call
// opens an incoming-call window owned by the main window (several calls,
// several windows). Owned by the main window; the port's events run on the
// main thread, as the serial component delivers them.
#include <cstdint>

#include "app/CallerIDLine.h"
#include "base/Classes.h"

class TSerComPort;

class TCallerIDLines : public TComponent {
public:
    // MainForm owns this and the call windows; Port is its serial port.
    TCallerIDLines(TComponent* MainForm, TSerComPort* Port);

    // The handle of the port's carriage-return trigger.
    uint16_t TriggerHandle = 0;

    // Clears the line buffer (at the start).
    void clearLine() { buffer_.clear(); }

    // Reads the Count characters available into the line buffer.
    void SerComPort1TriggerAvail(TObject* CP, uint16_t Count);
    // The line has ended: a call opens its window; the buffer is cleared.
    void SerComPort1TriggerData(TObject* CP, uint16_t TriggerHandle);

private:
    TSerComPort* port_;
    TCallerIDLineBuffer buffer_;
};
