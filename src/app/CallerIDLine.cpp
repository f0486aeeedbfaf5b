#include "app/CallerIDLine.h"

#include "base/SysUtils.h"

namespace {

constexpr size_t NumberLineLength = 13;  // "+1 5551234567"
constexpr size_t LineIndicatorLength = 3;

}  // namespace

std::optional<TIncomingCall> parseCallerIDLine(const std::string& Line) {
    const std::string line = Trim(Line);
    if (line.compare(0, 2, "+1") != 0 || line.size() < NumberLineLength)
        return std::nullopt;
    TIncomingCall call;
    call.Number = "(" + line.substr(3, 3) + ")" + line.substr(6, 3) + "-" + line.substr(9, 4);
    call.Line = line.substr(line.size() - LineIndicatorLength);
    return call;
}

void TCallerIDLineBuffer::append(char C) {
    // The carriage return ending the last line comes first in the next
    // reading; its line was ended by the trigger already.
    if (C == '\r' || dropping_)
        return;
    if (line_.size() >= MaxLength) {
        line_.clear();
        dropping_ = true;
        return;
    }
    line_ += C;
}

std::string TCallerIDLineBuffer::takeLine() {
    std::string line = std::move(line_);
    clear();
    return line;
}

void TCallerIDLineBuffer::clear() {
    line_.clear();
    dropping_ = false;
}
