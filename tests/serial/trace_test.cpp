#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "serial/SerTrace.h"
#include "support/TempDir.h"

using namespace ser;

namespace {

TTraceState traceOf(int capacity, const std::vector<std::pair<char, uint8_t>>& entries) {
    TTraceState t;
    EXPECT_EQ(initTrace(t, capacity), 0);
    for (auto [kind, byte] : entries) addTraceEntry(t, kind, byte);
    return t;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(Trace, TextOfEntries) {
    struct Case {
        int capacity;
        std::vector<std::pair<char, uint8_t>> entries;
        bool inHex;
        std::string expected;
    } cases[] = {
        {10, {{'T', 'A'}, {'T', 13}, {'R', 'B'}}, true, "Transmit: A[0D]\r\nReceive: B\r\n"},
        {10, {{'T', 'A'}, {'T', 13}, {'R', 'B'}}, false, "Transmit: A[13]\r\nReceive: B\r\n"},
        {10, {{'R', ' '}, {'R', 200}, {'R', 7}}, false, "Receive:  [200][7]\r\n"},
        {10, {{'R', ' '}, {'R', 200}}, true, "Receive: [20][C8]\r\n"},
        // Wrapped: written from the oldest entry.
        {3, {{'T', '1'}, {'T', '2'}, {'R', '3'}, {'R', '4'}}, true, "Transmit: 2\r\nReceive: 34\r\n"},
        {5, {{'X', 'q'}}, true, "Special-X: q\r\n"},
        {5, {}, true, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(traceText(traceOf(c.capacity, c.entries), c.inHex), c.expected);
}

TEST(Trace, LinesBreakWhenTheColumnReaches79) {
    std::vector<std::pair<char, uint8_t>> entries(80, {'R', 'x'});
    std::string text = traceText(traceOf(100, entries), true);
    EXPECT_EQ(text, "Receive: " + std::string(78, 'x') + "\r\n" + std::string(2, 'x') + "\r\n");
    entries.assign(20, {'T', 0});
    text = traceText(traceOf(100, entries), true);
    std::string first;
    for (int i = 0; i < 19; ++i) first += "[00]";
    EXPECT_EQ(text, "Transmit: " + first + "\r\n[00]\r\n");
}

TEST(Trace, SizeLimitAndFile) {
    TTraceState t;
    EXPECT_EQ(initTrace(t, kMaxTraceEntries + 1), -1002);
    TempDir dir;
    t = traceOf(4, {{'T', 'A'}});
    EXPECT_EQ(writeTraceFile(t, dir.file("serial.trc"), true, false), 0);
    t = traceOf(4, {{'R', 'B'}});
    EXPECT_EQ(writeTraceFile(t, dir.file("serial.trc"), true, true), 0);
    EXPECT_EQ(fileText(dir.file("serial.trc")), "Transmit: A\r\nReceive: B\r\n");
    EXPECT_FALSE(t.exists()) << "writing frees the trace";
    t = traceOf(4, {});
    EXPECT_EQ(writeTraceFile(t, dir.file("empty.trc"), true, false), 0);
    EXPECT_FALSE(std::ifstream(dir.file("empty.trc")).good()) << "an empty trace writes no file";
    t = traceOf(4, {{'T', 'A'}});
    EXPECT_EQ(writeTraceFile(t, dir.file("no/such/folder/x.trc"), true, false), -3);
}

TEST(DispatchLog, TextOfEntries) {
    TLogState log;
    ASSERT_EQ(initLog(log, 1000, 100), 0);
    const uint8_t read[] = {'+', '1', 13};
    addLogEntry(log, ltDispatch, lsReadCom, 12, 3, read, 3);
    addLogEntry(log, ltTrigger, lsAvail, 13, 2, nullptr, 0);
    addLogEntry(log, ltTrigger, lsData, 13, 2, nullptr, 0);
    addLogEntry(log, ltDispatch, lsModemStatus, 70000, 0x31, nullptr, 0);
    EXPECT_EQ(logText(log, true),
              "Time      Type      SubType       Data  OtherData\r\n"
              "----      ----      -------       ----  ---------\r\n"
              "00000012  dispatch  readcom       0003  +1[0D]\r\n"
              "00000013  trigger   avail         0002  \r\n"
              "00000013  trigger   data          0002  \r\n"
              "00070000  dispatch  modem status  0031  \r\n"
              "                                        DCTS CTS DSR \r\n");
}

TEST(DispatchLog, LongDataContinuesIndented) {
    TLogState log;
    ASSERT_EQ(initLog(log, 1000, 100), 0);
    std::vector<uint8_t> data(40, 'z');
    addLogEntry(log, ltDispatch, lsWriteCom, 1, 40, data.data(), 40);
    std::string text = logText(log, false);
    EXPECT_NE(text.find("0028  " + std::string(38, 'z') + "\r\n" + std::string(40, ' ') + "zz\r\n"),
              std::string::npos)
        << text;
}

TEST(DispatchLog, OldEntriesMakeRoomWholeAndOversizedOnesAreDropped) {
    TLogState log;
    ASSERT_EQ(initLog(log, 45, 10), 0);  // room for four empty entries and a bit
    for (uint16_t i = 1; i <= 6; ++i) addLogEntry(log, ltTrigger, lsData, i, i, nullptr, 0);
    std::string text = logText(log, true);
    EXPECT_EQ(text.find("00000001"), std::string::npos);
    EXPECT_EQ(text.find("00000002"), std::string::npos);
    EXPECT_NE(text.find("00000003  trigger   data          0003"), std::string::npos);
    EXPECT_NE(text.find("00000006  trigger   data          0006"), std::string::npos);
    std::vector<uint8_t> big(40, 'b');
    addLogEntry(log, ltDispatch, lsReadCom, 7, 40, big.data(), 40);
    EXPECT_EQ(logText(log, true), text) << "an entry larger than the buffer is not stored";
    uint8_t three[] = {'a', 'b', 'c'};
    addLogEntry(log, ltDispatch, lsReadCom, 8, 3, three, 3);
    text = logText(log, true);
    EXPECT_NE(text.find("00000008  dispatch  readcom       0003  abc"), std::string::npos) << text;
    EXPECT_EQ(text.find("00000003"), std::string::npos) << text;
    EXPECT_NE(text.find("00000004"), std::string::npos) << text;
}
