#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "os/SerialDevice.h"
#include "support/ChildProcess.h"
#include "support/PtyPair.h"
#include "support/TempDir.h"

using namespace os;

TEST(SerialDevice, OpensForExclusiveUse) {
    PtyPair pty;
    ASSERT_TRUE(pty.Valid());
    SerialDevice first, second;
    ASSERT_EQ(first.Open(pty.DevicePath()), 0);
    EXPECT_EQ(second.Open(pty.DevicePath()), kSerialInUse) << "second open in this process";
    ChildProcess child([&](ChildProcess&) {
        SerialDevice other;
        if (other.Open(pty.DevicePath()) != kSerialInUse) throw 1;
    });
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.Wait(), 0) << "second open in another process";
    first.Close();
    EXPECT_EQ(second.Open(pty.DevicePath()), 0) << "free again after close";
}

TEST(SerialDevice, OpenFailuresMapToLibraryCodes) {
    TempDir dir;
    std::string plain = dir.file("plain.txt");
    FILE* f = fopen(plain.c_str(), "w");
    fclose(f);
    SerialDevice device;
    EXPECT_EQ(device.Open("/dev/no-such-serial-device"), kSerialNoDevice);
    EXPECT_EQ(device.Open(dir.file("missing/dir/tty")), kSerialNoDevice);
    EXPECT_EQ(device.Open(plain), kSerialNotADevice);
    struct Case {
        int err, code;
    } cases[] = {{ENOENT, -2}, {ENODEV, -2}, {ENXIO, -2}, {EBUSY, -5}, {EWOULDBLOCK, -5},
                 {ENOMEM, -8}, {EACCES, -65}, {EPERM, -65}, {EMFILE, -4}, {EIO, -31}};
    for (const Case& c : cases) EXPECT_EQ(SerialErrorCode(c.err), c.code) << c.err;
}

TEST(SerialDevice, NoPermissionIsNotInUse) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    PtyPair pty;
    ASSERT_EQ(chmod(pty.DevicePath().c_str(), 0), 0);
    SerialDevice device;
    EXPECT_EQ(device.Open(pty.DevicePath()), kSerialPermissionDenied);
}

TEST(SerialDevice, LineSettingsRoundTrip) {
    struct Case {
        SerialLine line;
    } cases[] = {
        {{4800, SerialParity::None, 8, 1}},
        {{115200, SerialParity::Mark, 7, 2}},
        {{9600, SerialParity::Space, 8, 1}},
        {{19200, SerialParity::Odd, 6, 2}},
        {{2400, SerialParity::Even, 5, 1}},
    };
    for (const Case& c : cases) {
        termios tio{};
        ASSERT_EQ(LineToTermios(c.line, tio), 0);
        SerialLine back = LineFromTermios(tio);
        EXPECT_EQ(back.baud, c.line.baud);
        EXPECT_EQ(back.parity, c.line.parity);
        EXPECT_EQ(back.dataBits, c.line.dataBits);
        EXPECT_EQ(back.stopBits, c.line.stopBits);
    }
    // A pseudo-terminal keeps the rate; it takes the rest without complaint.
    PtyPair pty;
    SerialDevice device;
    ASSERT_EQ(device.Open(pty.DevicePath()), 0);
    ASSERT_EQ(device.SetLine({115200, SerialParity::Mark, 7, 2}), 0);
    EXPECT_EQ(device.GetLine().baud, 115200);
    EXPECT_EQ(device.SetLine({12345, SerialParity::None, 8, 1}), kSerialBadRate);
    SerialFlow flow;
    flow.rtsCts = true;
    flow.xonOutput = true;
    ASSERT_EQ(device.SetFlow(flow), 0);
    EXPECT_TRUE(device.GetFlow().rtsCts);
    EXPECT_TRUE(device.GetFlow().xonOutput);
    EXPECT_FALSE(device.GetFlow().xonInput);
}

TEST(SerialDevice, WhatAPtyCannotDoSucceedsQuietly) {
    PtyPair pty;
    SerialDevice device;
    ASSERT_EQ(device.Open(pty.DevicePath()), 0);
    EXPECT_EQ(device.SetDTR(false), 0);
    EXPECT_EQ(device.SetRTS(true), 0);
    EXPECT_EQ(device.SetBreak(true), 0);
    EXPECT_EQ(device.SetBreak(false), 0);
    SerialErrorCounts counts = device.ErrorCounts();
    EXPECT_EQ(counts.overrun + counts.parity + counts.framing + counts.breaks, 0u);
}

TEST(SerialDevice, EveryByteValuePassesBothWays) {
    PtyPair pty;
    SerialDevice device;
    ASSERT_EQ(device.Open(pty.DevicePath()), 0);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    ASSERT_EQ(device.Write(all.data(), all.size()), 256);
    EXPECT_EQ(pty.Read(256), all);
    pty.Write(all);
    std::string got;
    while (got.size() < 256 && device.Wait(false, -1, 2000) == SerialWait::Readable) {
        char buffer[512];
        long n = device.Read(buffer, sizeof buffer);
        if (n > 0) got.append(buffer, n);
    }
    EXPECT_EQ(got, all);
}

TEST(SerialDevice, HangUpIsSeenAndWakeEventsWake) {
    PtyPair pty;
    SerialDevice device;
    ASSERT_EQ(device.Open(pty.DevicePath()), 0);
    WakeEvent wake;
    EXPECT_EQ(device.Wait(false, wake.Fd(), 20), SerialWait::TimedOut);
    wake.Signal();
    EXPECT_EQ(device.Wait(false, wake.Fd(), 1000), SerialWait::Woken);
    wake.Reset();
    pty.HangUp();
    // The line reports the hang-up, or reads fail from now on.
    SerialWait seen = device.Wait(false, wake.Fd(), 1000);
    char c;
    EXPECT_TRUE(seen == SerialWait::HungUp || (seen == SerialWait::Readable && device.Read(&c, 1) < 0));
}

TEST(SerialDevicePath, EnvironmentThenSettingThenDefault) {
    unsetenv("QUENMARK_COM7");
    EXPECT_EQ(SerialDevicePath(7, ""), "/dev/ttyS6");
    EXPECT_EQ(SerialDevicePath(7, "/dev/ttyUSB0"), "/dev/ttyUSB0");
    setenv("QUENMARK_COM7", "/dev/pts/99", 1);
    EXPECT_EQ(SerialDevicePath(7, "/dev/ttyUSB0"), "/dev/pts/99");
    unsetenv("QUENMARK_COM7");
}
