#pragma once
// A port's two diagnostic records and their text files: the trace (every
// character received by GetChar, "R", or sent by PutBlock, "T") and the
// dispatch log (reads, writes and trigger notifications with their times).
// The structures are the dispatcher's; it adds entries under the port's
// lock. The file writers produce the exact text layouts the files have
// always had.
#include <cstdint>
#include <string>
#include <vector>

namespace ser {

constexpr int kMaxTraceEntries = 32760;
constexpr int kMaxLogSize = 65520;

struct TTraceState {
    bool On = false;
    std::vector<uint8_t> Buffer;  // entries of two bytes: kind, data
    uint16_t Index = 0;           // next entry
    uint16_t Capacity = 0;        // entries
    bool Wrapped = false;
    bool exists() const { return Capacity != 0; }
};

// Log entry types and subtypes.
enum TLogType : uint8_t { ltNoEvent, ltDispatch, ltTrigger, ltError, ltThread };
enum TLogSubType : uint8_t {
    lsNone, lsReadCom, lsWriteCom, lsLineStatus, lsModemStatus, lsAvail,
    lsTimer, lsData, lsStatus, lsStart, lsExit, lsSleep, lsWake
};
constexpr int kLogHeaderSize = 10;  // Type u8, SubType u8, Time u32, Data u16, MoreLength u16

struct TLogState {
    bool On = false;
    std::vector<uint8_t> Buffer;  // a ring of whole entries
    uint16_t Head = 0;            // next byte written
    uint16_t Tail = 0;            // oldest entry
    uint32_t Free = 0;
    uint32_t Capacity = 0;
    std::vector<uint8_t> Scratch;  // as large as the larger driver queue
    bool exists() const { return Capacity != 0; }
};

// Tracing: 0 or a negative code. Init empties an existing buffer, or makes
// one of NumEntries (above 32760: ecBadArgument).
int initTrace(TTraceState& Trace, int NumEntries);
void clearTrace(TTraceState& Trace);
void freeTrace(TTraceState& Trace);
void addTraceEntry(TTraceState& Trace, char Kind, uint8_t Byte);
// The trace file's text, oldest entry first.
std::string traceText(const TTraceState& Trace, bool InHex);

int initLog(TLogState& Log, int Size, int ScratchSize);
void clearLog(TLogState& Log);
void freeLog(TLogState& Log);
// An entry that cannot fit the buffer at all is not stored; otherwise the
// oldest whole entries make room.
void addLogEntry(TLogState& Log, uint8_t Type, uint8_t SubType, uint32_t Time, uint16_t Data,
                 const uint8_t* More, uint16_t MoreLength);
std::string logText(const TLogState& Log, bool InHex);

// Writes Text to the file (through the path mapping), appending when asked
// and the file exists. 0, or the negated input/output result.
int writeDiagnosticFile(const std::string& FileName, bool Append, const std::string& Text);

// Write the trace (log) to its file and free it: an empty one writes
// nothing. 0, or the negated input/output result.
int writeTraceFile(TTraceState& Trace, const std::string& FileName, bool InHex, bool Append);
int writeLogFile(TLogState& Log, const std::string& FileName, bool InHex, bool Append);

}  // namespace ser
