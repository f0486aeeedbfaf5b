#pragma once
// The trigger tables of a dispatcher port and the matcher of data triggers.
// Data triggers fire when their text has arrived; status and timer triggers
// are scanned and kept like them (nothing in the program adds one). The
// whole set is what a port component keeps across a close (the snapshot).
#include <cstdint>
#include <string>

namespace ser {

constexpr int kMaxDataTriggers = 20;
constexpr int kMaxStatusTriggers = 10;
constexpr int kMaxTimerTriggers = 10;
constexpr int kMaxTriggerHandles = 41;  // handles 2 to 41; 1 is never given out
constexpr int kMaxTriggerText = 21;

enum TTriggerKind : uint8_t { tkNone = 0, tkTimer = 2, tkData = 3, tkStatus = 4 };
// Kinds of status triggers.
enum TStatusKind : uint16_t { stModem = 1, stLineError = 2, stOutBuffFree = 3, stOutBuffUsed = 4, stOutSent = 5 };

struct TTriggerHandleEntry {
    uint16_t Index = 0;
    uint8_t Kind = tkNone;
};

struct TDataTrigger {
    uint16_t Handle = 0;  // 0: free slot
    uint16_t Length = 0;
    uint16_t State[kMaxTriggerText + 1] = {};
    bool Matched = false;
    bool IgnoreCase = false;
    uint8_t Text[kMaxTriggerText] = {};  // upper-cased when IgnoreCase
};

struct TStatusTrigger {
    uint16_t Handle = 0;
    uint16_t Kind = 0;
    bool Active = false;
    uint16_t Value = 0;  // kind 1: low byte the expected states, high byte the mask
};

struct TTimerTrigger {
    uint16_t Handle = 0;
    uint32_t Start = 0, Expiry = 0;  // in ticks of 55 ms
    uint32_t Interval = 0;
    bool Active = false;
};

struct TTriggerSnapshot {
    uint16_t TriggerLength = 0;
    TTriggerHandleEntry Handles[kMaxTriggerHandles + 1];  // index 1..41
    TTimerTrigger Timers[kMaxTimerTriggers];
    TDataTrigger Data[kMaxDataTriggers];
    TStatusTrigger Status[kMaxStatusTriggers];
};

// Adds a data trigger: its handle, or ecNoMoreTriggers / ecTriggerTooLong
// (ecBadArgument for an empty text).
int AddDataTrigger(TTriggerSnapshot& Triggers, const std::string& Data, bool IgnoreCase);

// Feeds one character to a data trigger's matcher; true when its text has
// now arrived. Partial matches are kept between calls, so a text split
// across two reads still matches, and after a match the same character may
// start the next candidate.
bool matchDataTrigger(TDataTrigger& Trigger, uint8_t C);

// Whether a timer of ticks (55 ms) has expired at Now, the tick counter
// having possibly wrapped since it started.
bool timerExpired(const TTimerTrigger& Timer, uint32_t Now);

}  // namespace ser
