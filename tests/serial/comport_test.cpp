#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "EventLoop.h"
#include "serial/SerExcept.h"
#include "serial/SerPort.h"
#include "support/ChildProcess.h"
#include "support/PtyPair.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "os/SerialDevice.h"

#include <QThread>

namespace {

bool onMainThread() { return QCoreApplication::instance()->thread() == QThread::currentThread(); }

// A port as the forms place it (COM2, 4800 baud, no automatic open) on a pty.
class ComPort : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.valid());
        pty_.exportAs(2);
        port_ = std::make_unique<TSerComPort>(nullptr);
        port_->SetComNumber(2);
        port_->SetBaud(4800);
        port_->SetAutoOpen(false);
    }

    PtyPair pty_;
    std::unique_ptr<TSerComPort> port_;
};

int entriesIn(const char* folder) {
    int count = 0;
    if (DIR* d = opendir(folder)) {
        while (readdir(d)) ++count;
        closedir(d);
    }
    return count;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

TEST_F(ComPort, ConstructorValues) {
    TSerComPort fresh(nullptr);
    EXPECT_EQ(fresh.DeviceLayer(), dlWin32);
    EXPECT_EQ(fresh.ComNumber(), 0);
    EXPECT_EQ(fresh.Baud(), 19200);
    EXPECT_EQ(fresh.Parity(), pNone);
    EXPECT_EQ(fresh.DataBits(), 8);
    EXPECT_EQ(fresh.StopBits(), 1);
    EXPECT_EQ(fresh.InSize(), 4096);
    EXPECT_EQ(fresh.OutSize(), 4096);
    EXPECT_TRUE(fresh.AutoOpen());
    EXPECT_EQ(fresh.DispatcherMode(), dWin32);
    EXPECT_FALSE(fresh.Open());
    EXPECT_TRUE(fresh.DTR() && fresh.RTS());
    EXPECT_TRUE(fresh.HWFlowOptions().Empty());
    EXPECT_EQ(fresh.SWFlowOptions(), swfNone);
    EXPECT_EQ(fresh.XOnChar(), 17);
    EXPECT_EQ(fresh.XOffChar(), 19);
    EXPECT_EQ(fresh.Tracing(), tlOff);
    EXPECT_EQ(fresh.TraceSize(), 10000);
    EXPECT_EQ(fresh.TraceName(), "SERIAL.TRC");
    EXPECT_EQ(fresh.LogName(), "SERIAL.LOG");
    EXPECT_TRUE(fresh.TraceHex() && fresh.LogHex() && fresh.UseMSRShadow() && fresh.UseEventWord());
    EXPECT_EQ(fresh.TriggerLength(), 1);
    EXPECT_EQ(fresh.CommNotificationLevel(), 10);
    EXPECT_EQ(fresh.TapiMode(), tmAuto);
}

// Caller ID: the program sends "ATSN\r"; the modem's line comes in two
// pieces; avail counts add up to the text, GetChar collects it, then one
// data event, all on the main thread.
TEST_F(ComPort, CallerIdExchange) {
    std::string collected;
    int availTotal = 0, dataEvents = 0;
    bool allOnMainThread = true;
    port_->OnTriggerAvail = [&](TObject*, uint16_t Count) {
        allOnMainThread = allOnMainThread && onMainThread();
        availTotal += Count;
        for (int i = 0; i < Count; ++i) collected += port_->GetChar();
    };
    port_->OnTriggerData = [&](TObject*, uint16_t) {
        allOnMainThread = allOnMainThread && onMainThread();
        ++dataEvents;
    };
    port_->SetOpen(true);
    ASSERT_TRUE(port_->Open());
    uint16_t trigger = port_->AddDataTrigger("\r", false);
    EXPECT_GT(trigger, 1);
    port_->PutString("ATSN\r");
    EXPECT_EQ(pty_.read(5), "ATSN\r");
    EXPECT_EQ(pty_.read(1, 100), "") << "nothing more than the command";
    pty_.write("+1 5551234567 001\r", 7, 60);
    ASSERT_TRUE(runEventsUntil([&] { return dataEvents > 0; }));
    runEventsFor(100);
    EXPECT_EQ(availTotal, 17);
    EXPECT_EQ(collected, "+1 5551234567 001");
    EXPECT_EQ(dataEvents, 1);
    EXPECT_TRUE(allOnMainThread);
}

TEST_F(ComPort, CashDrawerBytesArriveByteForByte) {
    port_->SetOpen(true);
    const std::string code{27, 112, 0, 25, static_cast<char>(250)};
    port_->PutString(code);
    EXPECT_EQ(pty_.read(5), code);
}

TEST_F(ComPort, EveryByteValueReadsBackUnchanged) {
    port_->SetOpen(true);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    pty_.write(all);
    std::string got;
    runEventsUntil([&] {
        while (got.size() < 256 && ser::InBuffUsed(port_->portHandle()) > 0) got += port_->GetChar();
        return got.size() == 256;
    });
    EXPECT_EQ(got, all);
}

TEST_F(ComPort, OpenFailures) {
    struct Case {
        std::function<void(TSerComPort&)> arrange;
        const char* className;
    } cases[] = {
        {[](TSerComPort& p) { p.SetComNumber(0); }, "ENoPortSelected"},
        {[](TSerComPort& p) { p.SetComNumber(9); }, "EBadId"},  // COM9: /dev/ttyS8 does not exist
        {[](TSerComPort& p) { p.SetDeviceLayer(dlNone); }, "ENullApi"},
    };
    setenv("QUENMARK_COM9", "/dev/no-such-serial-device", 1);
    for (const Case& c : cases) {
        TSerComPort port(nullptr);
        port.SetComNumber(2);
        c.arrange(port);
        try {
            port.SetOpen(true);
            ADD_FAILURE() << c.className << " not raised";
        } catch (const ESerialException& e) {
            EXPECT_STREQ(e.ClassName(), c.className);
        }
        EXPECT_FALSE(port.Open());
        EXPECT_FALSE(port.PortActive());
    }
    unsetenv("QUENMARK_COM9");
}

TEST_F(ComPort, ABusyDeviceIsAlreadyOpen) {
    port_->SetOpen(true);
    TSerComPort second(nullptr);
    second.SetComNumber(2);
    EXPECT_THROW(second.SetOpen(true), EAlreadyOpen);
    EXPECT_FALSE(second.Open());
    port_->SetOpen(false);
    ChildProcess child([&](ChildProcess& self) {
        os::SerialDevice device;
        if (device.open(pty_.devicePath()) != 0) throw 1;
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(child.Receive());
    EXPECT_THROW(port_->SetOpen(true), EAlreadyOpen) << "held by another process";
    child.Send();
    EXPECT_EQ(child.Wait(), 0);
    port_->SetOpen(true);
    EXPECT_TRUE(port_->Open());
}

TEST_F(ComPort, UseOfAClosedPort) {
    EXPECT_THROW(port_->PutString("x"), EBadHandle);
    EXPECT_FALSE(port_->Open());
    port_->SetAutoOpen(true);
    port_->PutString("x");
    EXPECT_TRUE(port_->Open()) << "AutoOpen opens on first use";
    EXPECT_EQ(pty_.read(1), "x");
}

TEST_F(ComPort, BadInputRaises) {
    port_->SetOpen(true);
    EXPECT_THROW(port_->AddDataTrigger(std::string(22, 'x'), false), ETriggerTooLong);
    for (int i = 0; i < 20; ++i) port_->AddDataTrigger("\r", false);
    EXPECT_THROW(port_->AddDataTrigger("\r", false), ENoMoreTriggers);
    EXPECT_THROW(port_->PutString(std::string(4097, 'x')), EOutputBufferTooSmall);
    EXPECT_THROW(port_->GetChar(), EBufferIsEmpty);
    EXPECT_TRUE(port_->Open());
}

TEST_F(ComPort, OpenWhileLoadingWaitsForLoaded) {
    port_->SetLoading(true);
    port_->SetOpen(true);
    EXPECT_FALSE(port_->PortActive());
    port_->Loaded();
    EXPECT_TRUE(port_->PortActive());
    EXPECT_TRUE(port_->Open());
}

TEST_F(ComPort, FlowThresholdsAndClosedStates) {
    port_->SetHWFlowOptions({hwfRequireCTS});
    EXPECT_EQ(port_->BufferFull(), 3686);
    EXPECT_EQ(port_->BufferResume(), 409);
    port_->SetBufferResume(5000);
    EXPECT_EQ(port_->BufferResume(), 368);
    port_->SetTracing(tlDump);
    EXPECT_EQ(port_->Tracing(), tlOff);
    port_->SetTracing(tlOn);
    EXPECT_EQ(port_->Tracing(), tlOn);
    port_->SetOpen(true);
    port_->SetTracing(tlPause);
    EXPECT_EQ(port_->Tracing(), tlPause);
    port_->StartTracing();
    EXPECT_EQ(port_->Tracing(), tlOn);
    EXPECT_THROW(port_->SetHWFlowOptions({hwfUseDTR}), ENotSupported) << "termios has no DTR handshake";
}

TEST_F(ComPort, TriggerHandlesSurviveAComNumberChange) {
    PtyPair other;
    other.exportAs(3);
    std::vector<uint16_t> fired;
    port_->OnTriggerData = [&](TObject*, uint16_t Handle) { fired.push_back(Handle); };
    port_->SetOpen(true);
    uint16_t handle = port_->AddDataTrigger("OK", false);
    port_->SetComNumber(3);
    ASSERT_TRUE(port_->Open());
    other.write("xOKy");
    ASSERT_TRUE(runEventsUntil([&] { return !fired.empty(); }));
    EXPECT_EQ(fired, std::vector<uint16_t>{handle});
}

TEST_F(ComPort, TraceAndLogAreWrittenAtClose) {
    TempDir dir;
    port_->SetTraceName(dir.file("serial.trc"));
    port_->SetLogName(dir.file("serial.log"));
    port_->SetTracing(tlOn);
    port_->SetLogging(tlOn);
    port_->OnTriggerAvail = [&](TObject*, uint16_t Count) {
        for (int i = 0; i < Count; ++i) port_->GetChar();
    };
    port_->SetOpen(true);
    port_->PutString("AT\r");
    EXPECT_EQ(pty_.read(3), "AT\r");
    pty_.write("OK");
    ASSERT_TRUE(runEventsUntil([&] { return ser::InBuffUsed(port_->portHandle()) == 0; }));
    runEventsFor(50);
    port_->SetOpen(false);
    EXPECT_EQ(fileText(dir.file("serial.trc")), "Transmit: AT[0D]\r\nReceive: OK\r\n");
    std::string log = std::regex_replace(fileText(dir.file("serial.log")), std::regex("\\d{8}  "), "TTTTTTTT  ");
    EXPECT_NE(log.find("Time      Type      SubType       Data  OtherData\r\n"
                       "----      ----      -------       ----  ---------\r\n"
                       "TTTTTTTT  dispatch  writecom      0003  AT[0D]\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("TTTTTTTT  dispatch  readcom       0002  OK\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("TTTTTTTT  trigger   avail         0002  \r\n"), std::string::npos) << log;
    EXPECT_EQ(port_->Tracing(), tlOff);

    // A trace that cannot be written is reported once the port is closed.
    port_->SetTraceName(dir.file("no/such/folder/serial.trc"));
    port_->SetTracing(tlOn);
    port_->SetOpen(true);
    port_->PutString("x");
    EXPECT_THROW(port_->SetOpen(false), EInOutError);
    EXPECT_FALSE(port_->PortActive());
    TSerComPort again(nullptr);
    again.SetComNumber(2);
    again.SetOpen(true);
    EXPECT_TRUE(again.Open()) << "the device was released";
}

// The main thread is busy while the far end writes more than the ring holds;
// every line still arrives whole and in order.
TEST_F(ComPort, LinesArriveWholeAndInOrderWhileTheMainThreadIsBusy) {
    std::vector<std::string> lines;
    std::string current;
    port_->OnTriggerAvail = [&](TObject*, uint16_t Count) {
        for (int i = 0; i < Count; ++i) current += port_->GetChar();
    };
    port_->OnTriggerData = [&](TObject*, uint16_t) {
        current += port_->GetChar();  // the "\r" itself
        lines.push_back(current);
        current.clear();
    };
    port_->SetOpen(true);
    port_->AddDataTrigger("\r", false);
    std::string all;
    std::vector<std::string> expected;
    for (int i = 0; i < 400; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "line %04d of the far end, some text to fill it\r", i);
        expected.push_back(line);
        all += line;
    }
    std::thread writer([&] { pty_.write(all, 500, 2); });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // busy
    ASSERT_TRUE(runEventsUntil([&] { return lines.size() >= expected.size(); }, 10000));
    writer.join();
    EXPECT_EQ(lines, expected);
}

// A burst several times what one pass reads before other work of the main
// thread gets its turn: every line arrives whole and in order, and work
// queued meanwhile runs before the end.
TEST_F(ComPort, ABurstBeyondOnePassArrivesWholeAndLetsOtherWorkRun) {
    std::vector<std::string> lines;
    std::string current;
    size_t linesWhenOtherWorkRan = 0;
    port_->OnTriggerAvail = [&](TObject*, uint16_t Count) {
        for (int i = 0; i < Count; ++i) current += port_->GetChar();
    };
    port_->OnTriggerData = [&](TObject*, uint16_t) {
        current += port_->GetChar();
        lines.push_back(current);
        current.clear();
        if (lines.size() == 100) queueOnMainThread([&] { linesWhenOtherWorkRan = lines.size(); });
    };
    port_->SetOpen(true);
    port_->AddDataTrigger("\r", false);
    std::string all;
    std::vector<std::string> expected;
    for (int i = 0; i < 6000; ++i) {  // 480,000 bytes
        std::string line = "burst line " + std::to_string(i) + " ";
        line.resize(79, '.');
        expected.push_back(line + '\r');
        all += expected.back();
    }
    std::thread writer([&] { pty_.write(all); });
    ASSERT_TRUE(runEventsUntil([&] { return lines.size() >= expected.size(); }, 20000));
    writer.join();
    EXPECT_EQ(lines, expected);
    EXPECT_GE(linesWhenOtherWorkRan, 100u);
    EXPECT_LT(linesWhenOtherWorkRan, expected.size()) << "queued work waited for the whole burst";
    auto start = std::chrono::steady_clock::now();
    port_->SetOpen(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(ComPort, OpenCloseCyclesLeaveNoThreadOrDescriptor) {
    port_->SetOpen(true);
    port_->AddDataTrigger("\r", false);
    port_->SetOpen(false);
    runEventsFor(50);
    const int threads = entriesIn("/proc/self/task"), descriptors = entriesIn("/proc/self/fd");
    for (int i = 0; i < 100; ++i) {
        port_->SetOpen(true);
        if (i % 2) pty_.write("x\r");  // now and then with a notification on its way
        port_->SetOpen(false);
    }
    runEventsFor(50);
    EXPECT_EQ(entriesIn("/proc/self/task"), threads);
    EXPECT_EQ(entriesIn("/proc/self/fd"), descriptors);
}

TEST_F(ComPort, ClosingWithANotificationWaitingReturnsAtOnce) {
    int events = 0;
    port_->OnTriggerData = [&](TObject*, uint16_t) { ++events; };
    port_->SetOpen(true);
    port_->AddDataTrigger("\r", false);
    pty_.write("x\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the hand-off waits for the main thread
    auto start = std::chrono::steady_clock::now();
    port_->SetOpen(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    runEventsFor(100);
    EXPECT_EQ(events, 0) << "a notification after the close does nothing";
}

TEST_F(ComPort, AHungUpFarEndStopsPollingAndCloseStillWorks) {
    port_->SetOpen(true);
    pty_.hangUp();
    runEventsFor(100);
    double before = cpuSeconds();
    runEventsFor(500);
    EXPECT_LT(cpuSeconds() - before, 0.25) << "no busy loop after the hang-up";
    port_->SetOpen(false);
    EXPECT_FALSE(port_->PortActive());
}

TEST_F(ComPort, AHandlersExceptionIsShownByTheApplication) {
    TDialogScript script;
    script.Answer(IDOK);
    port_->OnTriggerData = [](TObject*, uint16_t) { throw Exception("handler failed"); };
    port_->SetOpen(true);
    port_->AddDataTrigger("\r", false);
    pty_.write("\r");
    ASSERT_TRUE(runEventsUntil([&] { return !script.Shown().empty(); }));
    EXPECT_EQ(script.Shown()[0].Text, "handler failed.");
    EXPECT_TRUE(port_->Open());
}

TEST_F(ComPort, AHandlerMayCloseThePort) {
    int events = 0;
    port_->OnTrigger = [&](TObject*, uint16_t, uint16_t, uint16_t) { ++events; };
    port_->OnTriggerData = [&](TObject*, uint16_t) { port_->SetOpen(false); };
    port_->SetOpen(true);
    port_->AddDataTrigger("\r", false);
    pty_.write("a\rb\rc\r");
    ASSERT_TRUE(runEventsUntil([&] { return !port_->PortActive(); }));
    runEventsFor(100);
    EXPECT_EQ(events, 2) << "the avail and the data of the first line, nothing after the close";
    port_->SetOpen(true);
    EXPECT_TRUE(port_->Open());
}

TEST_F(ComPort, HooksHearOpenAndCloseLastAddedFirst) {
    std::vector<std::string> heard;
    for (uint32_t data : {1u, 2u})
        port_->addPortHook(nullptr, [&](uint32_t Data, TObject*, bool Opening) {
            heard.push_back(std::to_string(Data) + (Opening ? " open" : " close"));
        }, data);
    port_->OnPortOpen = [&](TObject*) { heard.push_back("OnPortOpen"); };
    port_->SetOpen(true);
    port_->SetOpen(false);
    EXPECT_EQ(heard, (std::vector<std::string>{"2 open", "1 open", "OnPortOpen", "2 close", "1 close"}));
}

TEST_F(ComPort, AssignCopiesTheSettingsButNotTheOpenState) {
    port_->SetTraceName("X.TRC");
    port_->SetTriggerLength(4);
    port_->SetOpen(true);
    TSerComPort copy(nullptr);
    copy.Assign(port_.get());
    EXPECT_EQ(copy.ComNumber(), 2);
    EXPECT_EQ(copy.Baud(), 4800);
    EXPECT_EQ(copy.TraceName(), "X.TRC");
    EXPECT_EQ(copy.TriggerLength(), 4);
    EXPECT_FALSE(copy.Open());
    TComponent other(nullptr);
    copy.Assign(&other);  // any other source is ignored
    EXPECT_EQ(copy.Baud(), 4800);
}
