#include "SerTriggers.h"

#include <array>

#include "SerErrors.h"
#include "base/SysUtils.h"

namespace ser {

namespace {

// Windows-1252 upper case of every byte, made once.
uint8_t upperOf(uint8_t c) {
    static const auto table = [] {
        std::array<uint8_t, 256> t{};
        std::string all(256, '\0');
        for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
        std::string upper = AnsiUpperCase(all);
        for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(upper[i]);
        return t;
    }();
    return table[c];
}

}  // namespace

int AddDataTrigger(TTriggerSnapshot& Triggers, const std::string& Data, bool IgnoreCase) {
    if (Data.size() > kMaxTriggerText) return ecTriggerTooLong;
    if (Data.empty()) return ecBadArgument;
    int slot = -1;
    for (int i = 0; i < kMaxDataTriggers && slot < 0; ++i)
        if (Triggers.Data[i].Handle == 0) slot = i;
    int handle = 0;
    for (int h = 2; h <= kMaxTriggerHandles && handle == 0; ++h)
        if (Triggers.Handles[h].Kind == tkNone) handle = h;
    if (slot < 0 || handle == 0) return ecNoMoreTriggers;

    TDataTrigger& t = Triggers.Data[slot];
    t = TDataTrigger{};
    t.Handle = static_cast<uint16_t>(handle);
    t.Length = static_cast<uint16_t>(Data.size());
    t.IgnoreCase = IgnoreCase;
    std::string text = IgnoreCase ? AnsiUpperCase(Data) : Data;
    for (size_t i = 0; i < text.size(); ++i) t.Text[i] = static_cast<uint8_t>(text[i]);
    Triggers.Handles[handle] = {static_cast<uint16_t>(slot), tkData};
    return handle;
}

bool matchDataTrigger(TDataTrigger& T, uint8_t C) {
    if (T.IgnoreCase) C = upperOf(C);
    const int L = T.Length;
    bool matched = false, started = false, go = true;
    for (int k = 0; k < L; ++k) {
        if (go) {
            uint16_t m = T.State[k];
            if (T.Text[m] != C) {
                if (T.Text[0] == C) {
                    T.State[k] = 1;
                    started = true;
                } else {
                    T.State[k] = 0;
                }
            } else if (m == L - 1) {
                matched = true;
                for (uint16_t& s : T.State) s = 0;
            } else {
                T.State[k] = m + 1;
            }
        }
        if (T.State[k] == 1) started = true;
        if (k == L - 1)
            go = false;
        else if (started)
            go = T.State[k + 1] != 0;
        else
            go = T.State[k + 1] != 0 || T.Text[0] == C;
    }
    return matched;
}

bool timerExpired(const TTimerTrigger& Timer, uint32_t Now) {
    if (Now > Timer.Expiry) return true;
    if (Now < Timer.Start) return Now + 39045157u > Timer.Expiry;
    return false;
}

}  // namespace ser
