#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EventLoop.h"
#include "serial/SerDeviceLayer.h"
#include "serial/SerDispatch.h"
#include "serial/SerErrors.h"
#include "serial/SerTermiosLayer.h"
#include "support/PtyPair.h"

using namespace ser;

namespace {

// A dispatcher port on a pty pair, exported as COM5.
class DispatcherPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.valid());
        pty_.exportAs(5);
        installTermiosDeviceLayer();
        ASSERT_EQ(InitPort(handle_, dmWin32, "\\\\.\\COM5", 19200, 0, 8, 1, 4096, 1024, 0), 0);
    }
    void TearDown() override {
        if (handle_) DonePort(handle_);
    }

    std::string takeAll() {
        std::string got;
        unsigned char c;
        while (GetChar(handle_, c) == 0) got += static_cast<char>(c);
        return got;
    }

    PtyPair pty_;
    int handle_ = 0;
};

struct Note {
    std::string who;
    uint32_t msg, wParam;
    std::string taken;
};

}  // namespace

TEST(DeviceLayer, DefaultTableRefusesToOpen) {
    PtyPair pty;
    pty.exportAs(5);
    installDefaultDeviceLayer();
    int handle = 0;
    EXPECT_EQ(InitPort(handle, dmWin32, "\\\\.\\COM5", 19200, 0, 8, 1, 4096, 4096, 0), ecNullApi);
    TDeviceLayerTable t = defaultDeviceLayer();
    TDCB dcb;
    EXPECT_EQ(t.GetLine(3, dcb), ecNullApi);
    EXPECT_EQ(t.SetEventMask(3, 0), 0);
    installTermiosDeviceLayer();
    EXPECT_EQ(InitPort(handle, dmWin32, "\\\\.\\COM5", 19200, 0, 8, 1, 4096, 4096, 0), 0);
    DonePort(handle);
    EXPECT_EQ(InitPort(handle, dmWin32, "\\\\.\\COM6", 19200, 0, 8, 1, 4096, 4096, 0), ecFileNotFound)
        << "COM6 maps to a device that does not exist";
}

TEST(DeviceLayer, OldRateCodesReadBack) {
    struct Case {
        uint32_t code;
        int rate;
    } cases[] = {{0xFF10, 110}, {0xFF18, 19200}, {0xFF1B, 38400}, {0xFF27, 256000}, {0xFEFF, 115200},
                 {0xFF19, 0xFF19}, {4800, 4800}};
    for (const Case& c : cases) EXPECT_EQ(rateFromDCB(c.code), c.rate) << c.code;
}

TEST_F(DispatcherPort, LineSettingsRules) {
    int baud, parity, dataBits, stopBits;
    struct Case {
        int baudIn, stopIn, baudOut, stopOut;
    } cases[] = {{4800, 2, 4800, 2}, {0, 3, 4800, 2}, {9600, 0, 9600, 1}, {9600, 7, 9600, 2}};
    for (const Case& c : cases) {
        ASSERT_EQ(SetLine(handle_, c.baudIn, 5, 9, c.stopIn), 0);
        ASSERT_EQ(GetLine(handle_, baud, parity, dataBits, stopBits), 0);
        EXPECT_EQ(baud, c.baudOut);
        EXPECT_EQ(stopBits, c.stopOut);
    }
    EXPECT_EQ(SetLine(handle_, 12345, 5, 9, 3), ecBaudRate);
}

TEST_F(DispatcherPort, FlowControlRules) {
    struct Case {
        uint16_t full, resume, options;
        int result;
    } cases[] = {
        {3686, 409, 8, 0},          {3686, 409, 2 | 8, 0},       {409, 3686, 8, ecBadArgument},
        {5000, 409, 8, ecBadArgument}, {3686, 409, 1, ecNotSupported}, {3686, 409, 4, ecNotSupported},
    };
    for (const Case& c : cases) EXPECT_EQ(HWFlowEnable(handle_, c.full, c.resume, c.options), c.result);
    EXPECT_EQ(HWFlowDisable(handle_), 0);
    EXPECT_EQ(SWFlowEnable(handle_, 3686, 409, 3), 0);
    EXPECT_EQ(SWFlowDisable(handle_), 0);
    EXPECT_EQ(SetDTR(handle_, false), 0);
    EXPECT_EQ(SetRTS(handle_, true), 0);
    EXPECT_EQ(GetModemStatus(handle_), 0) << "a pty has no modem lines";
    EXPECT_EQ(SetLine(999, 0, 5, 9, 3), ecBadHandle);
}

TEST_F(DispatcherPort, OutputBeyondTheFreeSpaceIsRefused) {
    // The far end sends XOFF, so the device takes nothing and the ring keeps what it gets.
    ASSERT_EQ(SWFlowEnable(handle_, 900, 100, 1), 0);
    pty_.write("\x13");
    runEventsFor(100);
    std::string block(1024, 'o');
    ASSERT_EQ(PutBlock(handle_, block.data(), 1000), 0);
    runEventsFor(100);
    int free = outBuffFree(handle_);
    ASSERT_EQ(free, 24);
    EXPECT_EQ(PutBlock(handle_, block.data(), free + 1), ecOutputBufferTooSmall);
    EXPECT_FALSE(outBuffFull(handle_));
    EXPECT_EQ(PutBlock(handle_, block.data(), free), 0);
    EXPECT_TRUE(outBuffFull(handle_)) << "exactly the free space fills the ring";
    EXPECT_EQ(PutBlock(handle_, block.data(), 1), ecOutputBufferTooSmall);
    EXPECT_EQ(PutBlock(handle_, block.data(), 0), 0) << "an empty block is no failure";
    pty_.write("\x11");
    EXPECT_EQ(pty_.read(1024).size(), 1024u) << "XON lets the ring drain";
}

TEST_F(DispatcherPort, AvailThenDataAndPeekingHandlers) {
    std::vector<Note> notes;
    auto handler = [&](const std::string& who, int take) {
        return [&, who, take](uint32_t, uint32_t msg, uint32_t wParam, uint32_t) {
            Note n{who, msg, wParam, ""};
            unsigned char c;
            for (int i = 0; i < take && GetChar(handle_, c) == 0; ++i) n.taken += static_cast<char>(c);
            notes.push_back(n);
        };
    };
    ClearOption(handle_, poConsumeDuringNotify);  // peek mode, as the component sets it
    ASSERT_EQ(RegisterHandler(handle_, nullptr, handler("older", 3), 1, true), 0);
    ASSERT_EQ(RegisterHandler(handle_, nullptr, handler("newer", 5), 2, true), 0);
    int trigger = AddDataTrigger(handle_, "\r", false);
    ASSERT_GT(trigger, 0);
    SetTriggerLength(handle_, 1);
    pty_.write("abcdefg\r");
    ASSERT_TRUE(runEventsUntil([&] { return notes.size() >= 4; }));
    runEventsFor(50);
    ASSERT_EQ(notes.size(), 4u) << "the data notification follows an avail not wholly taken";
    EXPECT_EQ(notes[0].who, "newer") << "newest registration first";
    EXPECT_EQ(notes[0].msg, APW_TRIGGERAVAIL);
    EXPECT_EQ(notes[0].wParam, 7u);
    EXPECT_EQ(notes[0].taken, "abcde");
    EXPECT_EQ(notes[1].taken, "abc") << "each handler sees the same characters";
    EXPECT_EQ(notes[2].msg, APW_TRIGGERDATA);
    EXPECT_EQ(notes[2].wParam, static_cast<uint32_t>(trigger));
    EXPECT_EQ(notes[2].taken, "fg\r") << "the avail advanced the ring by 5 of its 7";
    EXPECT_EQ(notes[3].taken, "fg\r");
    EXPECT_EQ(InBuffUsed(handle_), 0);
}

TEST_F(DispatcherPort, NoAvailWithTriggerLengthZeroAndPassOnStops) {
    std::vector<Note> notes;
    auto record = [&](const std::string& who) {
        return [&, who](uint32_t, uint32_t msg, uint32_t wParam, uint32_t lParam) {
            notes.push_back({who, msg, wParam, std::to_string(lParam >> 16) + ":" + std::to_string(lParam & 0xFFFF)});
        };
    };
    RegisterHandler(handle_, nullptr, record("never"), 1, true);
    RegisterHandler(handle_, nullptr, record("only"), 2, false);
    int trigger = AddDataTrigger(handle_, "OK\r", false);
    pty_.write("AT\rO");
    runEventsFor(150);
    pty_.write("K\r");
    ASSERT_TRUE(runEventsUntil([&] { return !notes.empty(); }));
    runEventsFor(100);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].who, "only");
    EXPECT_EQ(notes[0].msg, APW_TRIGGERDATA);
    EXPECT_EQ(notes[0].wParam, static_cast<uint32_t>(trigger));
    EXPECT_EQ(notes[0].taken, std::to_string(handle_) + ":3") << "port handle and trigger length";
    EXPECT_EQ(takeAll(), "AT\rOK\r");
}

TEST_F(DispatcherPort, SnapshotCarriesTheTriggers) {
    int first = AddDataTrigger(handle_, "\r", false);
    SetTriggerLength(handle_, 4);
    TTriggerSnapshot snapshot;
    ASSERT_EQ(GetTriggers(handle_, snapshot), 0);
    ClearTriggers(handle_);
    EXPECT_EQ(AddDataTrigger(handle_, "x", false), first) << "cleared tables give the handle out again";
    ASSERT_EQ(SetTriggers(handle_, snapshot), 0);
    EXPECT_EQ(AddDataTrigger(handle_, "y", false), first + 1);
    TTriggerSnapshot back;
    GetTriggers(handle_, back);
    EXPECT_EQ(back.TriggerLength, 4);
    EXPECT_EQ(back.Handles[first].Kind, tkData);
}
