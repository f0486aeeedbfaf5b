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
    ASSERT_TRUE(pty.valid());
    SerialDevice first, second;
    ASSERT_EQ(first.open(pty.devicePath()), 0);
    EXPECT_EQ(second.open(pty.devicePath()), kSerialInUse) << "second open in this process";
    ChildProcess child([&](ChildProcess&) {
        SerialDevice other;
        if (other.open(pty.devicePath()) != kSerialInUse) throw 1;
    });
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.Wait(), 0) << "second open in another process";
    first.close();
    EXPECT_EQ(second.open(pty.devicePath()), 0) << "free again after close";
}

TEST(SerialDevice, OpenFailuresMapToLibraryCodes) {
    TempDir dir;
    std::string plain = dir.file("plain.txt");
    FILE* f = fopen(plain.c_str(), "w");
    fclose(f);
    SerialDevice device;
    EXPECT_EQ(device.open("/dev/no-such-serial-device"), kSerialNoDevice);
    EXPECT_EQ(device.open(dir.file("missing/dir/tty")), kSerialNoDevice);
    EXPECT_EQ(device.open(plain), kSerialNotADevice);
    struct Case {
        int err, code;
    } cases[] = {{ENOENT, -2}, {ENODEV, -2}, {ENXIO, -2}, {EBUSY, -5}, {EWOULDBLOCK, -5},
                 {ENOMEM, -8}, {EACCES, -65}, {EPERM, -65}, {EMFILE, -4}, {EIO, -31}};
    for (const Case& c : cases) EXPECT_EQ(serialErrorCode(c.err), c.code) << c.err;
}

TEST(SerialDevice, NoPermissionIsNotInUse) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    PtyPair pty;
    ASSERT_EQ(chmod(pty.devicePath().c_str(), 0), 0);
    SerialDevice device;
    EXPECT_EQ(device.open(pty.devicePath()), kSerialPermissionDenied);
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
        ASSERT_EQ(lineToTermios(c.line, tio), 0);
        SerialLine back = lineFromTermios(tio);
        EXPECT_EQ(back.baud, c.line.baud);
        EXPECT_EQ(back.parity, c.line.parity);
        EXPECT_EQ(back.dataBits, c.line.dataBits);
        EXPECT_EQ(back.stopBits, c.line.stopBits);
    }
    // A pseudo-terminal keeps the rate; it takes the rest without complaint.
    PtyPair pty;
    SerialDevice device;
    ASSERT_EQ(device.open(pty.devicePath()), 0);
    ASSERT_EQ(device.setLine({115200, SerialParity::Mark, 7, 2}), 0);
    EXPECT_EQ(device.getLine().baud, 115200);
    EXPECT_EQ(device.setLine({12345, SerialParity::None, 8, 1}), kSerialBadRate);
    SerialFlow flow;
    flow.rtsCts = true;
    flow.xonOutput = true;
    ASSERT_EQ(device.setFlow(flow), 0);
    EXPECT_TRUE(device.getFlow().rtsCts);
    EXPECT_TRUE(device.getFlow().xonOutput);
    EXPECT_FALSE(device.getFlow().xonInput);
}

TEST(SerialDevice, WhatAPtyCannotDoSucceedsQuietly) {
    PtyPair pty;
    SerialDevice device;
    ASSERT_EQ(device.open(pty.devicePath()), 0);
    EXPECT_EQ(device.setDTR(false), 0);
    EXPECT_EQ(device.setRTS(true), 0);
    EXPECT_EQ(device.setBreak(true), 0);
    EXPECT_EQ(device.setBreak(false), 0);
    SerialErrorCounts counts = device.errorCounts();
    EXPECT_EQ(counts.overrun + counts.parity + counts.framing + counts.breaks, 0u);
}

TEST(SerialDevice, EveryByteValuePassesBothWays) {
    PtyPair pty;
    SerialDevice device;
    ASSERT_EQ(device.open(pty.devicePath()), 0);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    ASSERT_EQ(device.write(all.data(), all.size()), 256);
    EXPECT_EQ(pty.read(256), all);
    pty.write(all);
    std::string got;
    while (got.size() < 256 && device.wait(false, -1, 2000) == SerialWait::Readable) {
        char buffer[512];
        long n = device.read(buffer, sizeof buffer);
        if (n > 0) got.append(buffer, n);
    }
    EXPECT_EQ(got, all);
}

TEST(SerialDevice, HangUpIsSeenAndWakeEventsWake) {
    PtyPair pty;
    SerialDevice device;
    ASSERT_EQ(device.open(pty.devicePath()), 0);
    WakeEvent wake;
    EXPECT_EQ(device.wait(false, wake.fd(), 20), SerialWait::TimedOut);
    wake.signal();
    EXPECT_EQ(device.wait(false, wake.fd(), 1000), SerialWait::Woken);
    wake.reset();
    pty.hangUp();
    // The line reports the hang-up, or reads fail from now on.
    SerialWait seen = device.wait(false, wake.fd(), 1000);
    char c;
    EXPECT_TRUE(seen == SerialWait::HungUp || (seen == SerialWait::Readable && device.read(&c, 1) < 0));
}

TEST(SerialDevicePath, EnvironmentThenSettingThenDefault) {
    unsetenv("QUENMARK_COM7");
    EXPECT_EQ(serialDevicePath(7, ""), "/dev/ttyS6");
    EXPECT_EQ(serialDevicePath(7, "/dev/ttyUSB0"), "/dev/ttyUSB0");
    setenv("QUENMARK_COM7", "/dev/pts/99", 1);
    EXPECT_EQ(serialDevicePath(7, "/dev/ttyUSB0"), "/dev/pts/99");
    unsetenv("QUENMARK_COM7");
}
