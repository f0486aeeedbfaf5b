#pragma once
// What the caller-ID modem says, line by line. The characters received are
// collected until the carriage-return trigger ends the line; a line that,
// trimmed, begins with "+1" and holds at least the thirteen characters of
// "+1 5551234567" names a call: its number as "(555)123-4567" and the last
// three characters of the line as the line indicator. Every other line (other
// modems' "RING", "NAME=...", replies to commands, a short "+1" line) is no
// call.
#include <optional>
#include <string>

struct TIncomingCall {
    std::string Number;  // "(555)123-4567"
    std::string Line;    // the line indicator, "001"
};

std::optional<TIncomingCall> parseCallerIDLine(const std::string& Line);

// The characters received since the last line end. At most MaxLength of
// them: a longer run without a line end is garbage from the line and is
// dropped up to the next line end.
class TCallerIDLineBuffer {
public:
    static constexpr size_t MaxLength = 255;

    void append(char C);
    // The line collected, the buffer then empty.
    std::string takeLine();
    void clear();

private:
    std::string line_;
    bool dropping_ = false;
};
