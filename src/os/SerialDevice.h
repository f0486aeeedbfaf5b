#pragma once
// A serial device over termios: opened by path for exclusive use (TIOCEXCL
// and a non-blocking flock, so a second open in this or another process
// fails), raw, CLOCAL|CREAD, non-blocking, waited on with poll. Line settings,
// flow control, modem lines, error counts, break and flush map onto termios
// and the tty ioctls. What a pseudo-terminal cannot do (modem lines, error
// counts, rates) succeeds without effect.
//
// Failures are the serial library's negative codes (see serialErrorCode),
// so the layers above never see errno.
#include <cstddef>
#include <cstdint>
#include <string>

struct termios;

namespace os {

// Codes for failures of the operating system, in the numbering the serial
// library's texts use (the negated Windows system error numbers).
constexpr int kSerialNoDevice = -2;          // no such device
constexpr int kSerialPathNotFound = -3;      // a folder of the path is missing
constexpr int kSerialTooManyFiles = -4;      // out of descriptors
constexpr int kSerialInUse = -5;             // another open holds the device
constexpr int kSerialNoMemory = -8;
constexpr int kSerialNotADevice = -20;       // the path is no terminal
constexpr int kSerialDeviceFailure = -31;    // the device stopped working
constexpr int kSerialPermissionDenied = -65; // no right to open the device
constexpr int kSerialInvalidArgument = -87;  // refused by the driver
constexpr int kSerialBadRate = -2002;        // a rate termios has no code for

// The library code for an errno value met while opening or using a device.
int serialErrorCode(int err);

// The device path of port COMn: the environment variable QUENMARK_COMn when
// set, else `configured` (the workstation's own setting) when not empty,
// else /dev/ttyS<n-1>.
std::string serialDevicePath(int comNumber, const std::string& configured);

enum class SerialParity { None, Odd, Even, Mark, Space };

struct SerialLine {
    int baud = 19200;
    SerialParity parity = SerialParity::None;
    int dataBits = 8;  // 5 to 8
    int stopBits = 1;  // 1 or 2
};

struct SerialFlow {
    bool rtsCts = false;     // RTS/CTS hardware handshake
    bool xonOutput = false;  // stop sending on XOFF
    bool xonInput = false;   // send XOFF when the input fills
    unsigned char xonChar = 17;
    unsigned char xoffChar = 19;
};

struct SerialModemLines {
    bool cts = false, dsr = false, ri = false, dcd = false;
};

// Running totals of line errors since the device was opened.
struct SerialErrorCounts {
    uint32_t overrun = 0, parity = 0, framing = 0, breaks = 0, bufferOverrun = 0;
};

// What a wait on the device saw.
enum class SerialWait { Readable, Writable, Woken, TimedOut, HungUp };

class SerialDevice {
public:
    SerialDevice() = default;
    ~SerialDevice() { close(); }
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // 0, or a negative code (the device stays closed).
    int open(const std::string& path);
    // Takes over a descriptor opened elsewhere; Close closes it.
    void adopt(int fd);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int handle() const { return fd_; }

    // 0 or a negative code. Rates termios has no code for give kSerialBadRate.
    int setLine(const SerialLine& line);
    SerialLine getLine() const;
    int setFlow(const SerialFlow& flow);
    SerialFlow getFlow() const;

    // Raise or lower a modem control line.
    int setDTR(bool on);
    int setRTS(bool on);
    SerialModemLines modemLines() const;
    SerialErrorCounts errorCounts() const;
    int setBreak(bool on);
    // Discards what the driver holds in that direction.
    int flushInput();
    int flushOutput();
    // Bytes waiting in the driver's input and output queues.
    int inQueue() const;
    int outQueue() const;

    // Bytes read or written (0 when none can move now), or a negative code.
    long read(void* buffer, size_t count);
    long write(const void* buffer, size_t count);

    // Waits up to timeoutMs (negative: for ever) until the device can be
    // read (or written, when forWrite) or wakeFd becomes readable (-1: none).
    // When watchDevice is false only wakeFd and the time count.
    SerialWait wait(bool forWrite, int wakeFd, int timeoutMs, bool watchDevice = true) const;

private:
    int fd_ = -1;
};

// The same on a bare descriptor (fd -1: only wakeFd and the time count).
SerialWait waitOnDescriptor(int fd, bool forWrite, int wakeFd, int timeoutMs);
// Non-blocking reads and writes on a bare descriptor: bytes moved (0 when
// none can move now), or a negative code.
long readFromDevice(int fd, void* buffer, size_t count);
long writeToDevice(int fd, const void* buffer, size_t count);
// Modem lines and error counts of a terminal descriptor; all clear when the
// device cannot tell (a pseudo-terminal).
SerialModemLines modemLinesOf(int fd);
SerialErrorCounts errorCountsOf(int fd);

// Line settings onto termios flags and back (the device applies them; a
// pseudo-terminal keeps only some).
int lineToTermios(const SerialLine& line, termios& tio);
SerialLine lineFromTermios(const termios& tio);

// A wake-up descriptor for threads that wait in SerialDevice::Wait.
class WakeEvent {
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void signal();
    // Clears any signals given so far.
    void reset();

private:
    int fd_ = -1;
};

}  // namespace os
