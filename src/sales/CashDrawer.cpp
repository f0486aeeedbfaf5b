#include "sales/CashDrawer.h"

#include <cmath>
#include <limits>

#include "app/Settings.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "serial/SerPort.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

namespace {

constexpr size_t GroupWidth = 3;
constexpr int LargestByte = 255;

bool allDigits(const std::string& s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace

namespace CashDrawer {

std::optional<uint16_t> portNumber(const std::string& PortText) {
    if (PortText == Vo97Ini::NoCashDrawer)
        return std::nullopt;
    int number = 0;
    if (!TryStrToInt(PortText, number) || number < 1 || number > std::numeric_limits<uint16_t>::max()) {
        ShowMessage("The setting CashDrawerPort ('" + PortText +
                    "') is not a port number; the cash drawer is off.");
        return std::nullopt;
    }
    return static_cast<uint16_t>(number);
}

std::optional<std::string> controlString(const std::string& ControlCode) {
    const size_t groups = static_cast<size_t>(std::lround(static_cast<double>(ControlCode.size()) / GroupWidth));
    std::string bytes;
    for (size_t i = 0; i < groups; ++i) {
        const std::string group = ControlCode.substr(i * GroupWidth, GroupWidth);
        if (!allDigits(group) || std::stoi(group) > LargestByte) {
            ShowMessage("The cash drawer control code '" + ControlCode +
                        "' is not a run of three-digit byte values from 000 to 255; nothing was sent.");
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(std::stoi(group)));
    }
    return bytes;
}

}  // namespace CashDrawer

TCashDrawer::~TCashDrawer() { Close(); }

bool TCashDrawer::Open(const std::string& PortText, const std::string& ControlCode) {
    controlCode_ = ControlCode;
    const auto number = CashDrawer::portNumber(PortText);
    if (!number)
        return false;
    try {
        port_->SetComNumber(*number);
        port_->SetOpen(true);
    } catch (const Exception& e) {
        Close();
        Application->ShowException(e);
        return false;
    }
    return true;
}

bool TCashDrawer::Available() const { return port_->Open(); }

bool TCashDrawer::Kick() {
    if (!Available())
        return false;
    const auto bytes = CashDrawer::controlString(controlCode_);
    if (!bytes)
        return false;
    if (!bytes->empty())
        port_->PutString(*bytes);
    return true;
}

void TCashDrawer::Close() {
    if (!port_->Open())
        return;
    try {
        port_->SetOpen(false);
    } catch (const Exception&) {
        // The drawer is given up either way.
    }
}
