#pragma once
// The cash drawer of the payment window: a serial port, named in VO97.ini
// [Configuration] CashDrawerPort ("No Cash Drawer" when there is none), that
// opens the drawer when it receives the control string of
// CashDrawerControlCode. The code is written as three-digit decimal byte
// values one after another ("027112000025250" is bytes 27, 112, 0, 25, 250).
//
// The port is opened once, when the drawer is set up, and stays open until
// closed, however often the drawer is opened; a port that fails to open is
// reported once and the drawer stays off.
#include <cstdint>
#include <optional>
#include <string>

class TSerComPort;

namespace CashDrawer {

// The port number of a CashDrawerPort text; nothing for "No Cash Drawer",
// and nothing, after one message naming the key, for a text that is not a
// whole port number.
std::optional<uint16_t> portNumber(const std::string& PortText);

// The bytes a control code stands for. The group count is the text's length
// divided by 3, rounded to the nearest whole number; an empty code is no
// bytes. Nothing, after a message naming the code, when a group is not all
// digits or is above 255.
std::optional<std::string> controlString(const std::string& ControlCode);

}  // namespace CashDrawer

// The drawer over a port component that its form owns.
class TCashDrawer {
public:
    explicit TCashDrawer(TSerComPort* Port) : port_(Port) {}
    // Closes the port when it is still open.
    ~TCashDrawer();
    TCashDrawer(const TCashDrawer&) = delete;
    TCashDrawer& operator=(const TCashDrawer&) = delete;

    // Sets the port up from the settings texts and opens it. False, the
    // drawer off, when there is no drawer or the port could not be opened.
    bool Open(const std::string& PortText, const std::string& ControlCode);
    // The port is open and the drawer can be kicked.
    bool Available() const;
    // Sends the control string (nothing for an empty code). False when the
    // drawer is off or the code is refused.
    bool Kick();
    // Closes the port; the drawer is off until opened again.
    void Close();

private:
    TSerComPort* port_;
    std::string controlCode_;
};
