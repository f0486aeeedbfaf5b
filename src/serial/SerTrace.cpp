#include "SerTrace.h"

#include <cerrno>
#include <cstdio>

#include "SerErrors.h"
#include "os/Paths.h"

namespace ser {

int initTrace(TTraceState& Trace, int NumEntries) {
    if (Trace.exists()) {
        clearTrace(Trace);
        Trace.On = true;
        return 0;
    }
    if (NumEntries > kMaxTraceEntries || NumEntries <= 0) return ecBadArgument;
    Trace.Buffer.assign(static_cast<size_t>(NumEntries) * 2, 0);
    Trace.Capacity = static_cast<uint16_t>(NumEntries);
    clearTrace(Trace);
    Trace.On = true;
    return 0;
}

void clearTrace(TTraceState& Trace) {
    Trace.Index = 0;
    Trace.Wrapped = false;
}

void freeTrace(TTraceState& Trace) { Trace = TTraceState{}; }

void addTraceEntry(TTraceState& Trace, char Kind, uint8_t Byte) {
    if (!Trace.On || !Trace.exists()) return;
    Trace.Buffer[Trace.Index * 2] = static_cast<uint8_t>(Kind);
    Trace.Buffer[Trace.Index * 2 + 1] = Byte;
    if (++Trace.Index >= Trace.Capacity) {
        Trace.Index = 0;
        Trace.Wrapped = true;
    }
}

namespace {

// A data byte as the files show it: printable as itself, else bracketed in
// hexadecimal (InHex) or decimal. With InHex a blank is bracketed too.
std::string byteText(uint8_t b, bool InHex) {
    if (b >= (InHex ? '!' : ' ') && b <= '~') return std::string(1, static_cast<char>(b));
    char text[8];
    std::snprintf(text, sizeof text, InHex ? "[%02X]" : "[%d]", b);
    return text;
}

}  // namespace

std::string traceText(const TTraceState& Trace, bool InHex) {
    std::string out;
    if (!Trace.exists()) return out;
    int count = Trace.Wrapped ? Trace.Capacity : Trace.Index;
    int first = Trace.Wrapped ? Trace.Index : 0;
    int column = 0;
    int previous = -1;
    for (int n = 0; n < count; ++n) {
        int at = (first + n) % Trace.Capacity;
        char kind = static_cast<char>(Trace.Buffer[at * 2]);
        if (kind != previous) {
            if (previous != -1) out += "\r\n";
            column = 0;
            if (kind == 'R')
                out += "Receive: ";
            else if (kind == 'T')
                out += "Transmit: ";
            else
                out += std::string("Special-") + kind + ": ";
            previous = kind;
        }
        std::string text = byteText(Trace.Buffer[at * 2 + 1], InHex);
        int width = static_cast<int>(text.size());
        column += width;
        if (column >= 79) {
            out += "\r\n";
            column = width;
        }
        out += text;
    }
    if (count > 0) out += "\r\n";
    return out;
}

int initLog(TLogState& Log, int Size, int ScratchSize) {
    if (Log.exists()) {
        clearLog(Log);
        Log.On = true;
        return 0;
    }
    if (Size <= 0 || Size > kMaxLogSize) return ecBadArgument;
    Log.Buffer.assign(static_cast<size_t>(Size), 0);
    Log.Scratch.assign(static_cast<size_t>(ScratchSize), 0);
    Log.Capacity = static_cast<uint32_t>(Size);
    clearLog(Log);
    Log.On = true;
    return 0;
}

void clearLog(TLogState& Log) {
    Log.Head = Log.Tail = 0;
    Log.Free = Log.Capacity;
}

void freeLog(TLogState& Log) { Log = TLogState{}; }

namespace {

void putByte(TLogState& Log, uint8_t b) {
    Log.Buffer[Log.Head] = b;
    Log.Head = static_cast<uint16_t>((Log.Head + 1) % Log.Capacity);
    --Log.Free;
}

uint8_t byteAt(const TLogState& Log, uint32_t position) { return Log.Buffer[position % Log.Capacity]; }

uint32_t wordAt(const TLogState& Log, uint32_t position, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | byteAt(Log, position + i);
    return value;
}

uint32_t entrySize(const TLogState& Log, uint32_t position) {
    return kLogHeaderSize + wordAt(Log, position + 8, 2);
}

}  // namespace

void addLogEntry(TLogState& Log, uint8_t Type, uint8_t SubType, uint32_t Time, uint16_t Data,
                 const uint8_t* More, uint16_t MoreLength) {
    if (!Log.On || !Log.exists()) return;
    uint32_t needed = kLogHeaderSize + MoreLength;
    if (needed > Log.Capacity) return;
    while (Log.Free < needed) {
        uint32_t size = entrySize(Log, Log.Tail);
        Log.Tail = static_cast<uint16_t>((Log.Tail + size) % Log.Capacity);
        Log.Free += size;
    }
    uint8_t header[kLogHeaderSize] = {
        Type, SubType,
        static_cast<uint8_t>(Time), static_cast<uint8_t>(Time >> 8),
        static_cast<uint8_t>(Time >> 16), static_cast<uint8_t>(Time >> 24),
        static_cast<uint8_t>(Data), static_cast<uint8_t>(Data >> 8),
        static_cast<uint8_t>(MoreLength), static_cast<uint8_t>(MoreLength >> 8),
    };
    for (uint8_t b : header) putByte(Log, b);
    for (uint16_t i = 0; i < MoreLength; ++i) putByte(Log, More[i]);
}

namespace {

const char* const kTypeNames[] = {"no event", "dispatch", "trigger", "error", "thread"};
const char* const kSubTypeNames[] = {"",      "readcom", "writecom", "line status", "modem status",
                                     "avail", "timer",   "data",     "status",      "start",
                                     "exit",  "sleep",   "wake"};
const char* const kModemBitNames[] = {"DCTS ", "DDSR ", "TERI ", "DDCD ", "CTS ", "DSR ", "RI ", "DCD "};

std::string padded(const char* text, size_t width) {
    std::string s = text;
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

const std::string kIndent(40, ' ');

}  // namespace

std::string logText(const TLogState& Log, bool InHex) {
    std::string out;
    if (!Log.exists()) return out;
    out += "Time      Type      SubType       Data  OtherData\r\n";
    out += "----      ----      -------       ----  ---------\r\n";
    uint32_t used = Log.Capacity - Log.Free;
    uint32_t position = Log.Tail;
    while (used > 0) {
        uint8_t type = byteAt(Log, position);
        uint8_t subType = byteAt(Log, position + 1);
        uint32_t time = wordAt(Log, position + 2, 4);
        uint16_t data = static_cast<uint16_t>(wordAt(Log, position + 6, 2));
        uint16_t more = static_cast<uint16_t>(wordAt(Log, position + 8, 2));
        char head[64];
        std::snprintf(head, sizeof head, "%08u  %s  %s  %04X  ", time,
                      padded(type < 5 ? kTypeNames[type] : "", 8).c_str(),
                      padded(subType < 13 ? kSubTypeNames[subType] : "", 12).c_str(), data);
        out += head;
        int column = 40;
        for (uint16_t i = 0; i < more; ++i) {
            std::string text = byteText(byteAt(Log, position + kLogHeaderSize + i), InHex);
            int width = static_cast<int>(text.size());
            if (column + width > 78) {
                out += "\r\n" + kIndent;
                column = 40;
            }
            out += text;
            column += width;
        }
        out += "\r\n";
        if (subType == lsModemStatus) {
            out += kIndent;
            for (int bit = 0; bit < 8; ++bit)
                if (data & (1 << bit)) out += kModemBitNames[bit];
            out += "\r\n";
        }
        uint32_t size = kLogHeaderSize + more;
        position = (position + size) % Log.Capacity;
        used -= size;
    }
    return out;
}

namespace {

// The input/output result a file operation reports for an errno value.
int ioResult(int err) {
    switch (err) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EISDIR: return 5;
    case EROFS: return 150;
    default: return 101;  // disk write error
    }
}

}  // namespace

int writeDiagnosticFile(const std::string& FileName, bool Append, const std::string& Text) {
    std::string path = os::MapPath(FileName);
    bool append = Append && os::FileExists(path);
    std::FILE* file = std::fopen(path.c_str(), append ? "ab" : "wb");
    if (!file) {
        int err = errno;
        // As on Windows: a missing folder is "path not found", not "file not found".
        if (err == ENOENT && !os::DirectoryExists(os::ExtractFilePath(path).empty() ? "." : os::ExtractFilePath(path)))
            err = ENOTDIR;
        return -ioResult(err);
    }
    std::setvbuf(file, nullptr, _IOFBF, 512);
    bool written = std::fwrite(Text.data(), 1, Text.size(), file) == Text.size();
    int err = written ? 0 : errno;
    if (std::fclose(file) != 0 && written) err = errno ? errno : EIO;
    return written && err == 0 ? 0 : -ioResult(err);
}

int writeTraceFile(TTraceState& Trace, const std::string& FileName, bool InHex, bool Append) {
    std::string text = traceText(Trace, InHex);
    freeTrace(Trace);
    return text.empty() ? 0 : writeDiagnosticFile(FileName, Append, text);
}

int writeLogFile(TLogState& Log, const std::string& FileName, bool InHex, bool Append) {
    bool empty = Log.Free == Log.Capacity;
    std::string text = empty ? std::string() : logText(Log, InHex);
    freeLog(Log);
    return text.empty() ? 0 : writeDiagnosticFile(FileName, Append, text);
}

}  // namespace ser
