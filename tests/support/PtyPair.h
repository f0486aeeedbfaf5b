#pragma once
// A pseudo-terminal pair standing for a serial line: the program opens the
// device end (devicePath, or COMn after exportAs(n)) as its serial port;
// the test plays the far end (a modem, a cash drawer) on the other side,
// which is raw, so bytes 0-255 pass unchanged.
#include <string>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool valid() const { return far_ >= 0; }
    const std::string& devicePath() const { return devicePath_; }
    // Makes COMn open this pair's device (QUENMARK_COMn), until destruction.
    void exportAs(int comNumber);

    // Writes all of Data from the far end, in chunks of ChunkSize bytes
    // with PauseMs milliseconds between them (0: one write).
    void write(const std::string& Data, size_t ChunkSize = 0, int PauseMs = 0);
    // Reads from the far end until Count bytes came or TimeoutMs passed.
    std::string read(size_t Count, int TimeoutMs = 2000);
    // Hangs up the far end: the device end sees the line go away.
    void hangUp();

private:
    int far_ = -1;
    int holder_ = -1;  // keeps the device end alive before the program opens it
    std::string devicePath_;
    std::string exported_;
};
