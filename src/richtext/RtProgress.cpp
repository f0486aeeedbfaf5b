#include "richtext/RtProgress.h"

#include <algorithm>
#include <cmath>
#include <vector>

std::function<void(int Percent)> RtProgressEvent;
bool RtProgressEnabled = true;

namespace {

struct ProgressLevel {
    int Current = 0;
    int End = 100;
    int Share = 100;
    int Max = 0;
    int LastPos = 0;
    double Scale = 0;
    int Step = 1;
};

std::vector<ProgressLevel>& levels() {
    static std::vector<ProgressLevel> stack;
    return stack;
}

void report(int percent) {
    if (RtProgressEvent) RtProgressEvent(percent);
}

}  // namespace

int BeginProgress(int Max) {
    if (!RtProgressEnabled) return 1;
    auto& stack = levels();
    ProgressLevel level;
    if (!stack.empty()) {
        const ProgressLevel& parent = stack.back();
        level.Current = parent.Current;
        level.End = parent.End;
        if (parent.Share > 0 && parent.Share < 100)
            level.End = parent.Current + (parent.End - parent.Current) * parent.Share / 100;
    }
    level.Max = Max;
    if (Max > 0) {
        level.Scale = static_cast<double>(level.End - level.Current) / Max;
        level.Step = level.Scale > 0 ? std::max(1, static_cast<int>(std::lround(1.0 / level.Scale))) : Max;
    }
    stack.push_back(level);
    return level.Step;
}

void ProgressStep(int Pos) {
    auto& stack = levels();
    if (!RtProgressEnabled || stack.empty()) return;
    ProgressLevel& level = stack.back();
    int advance = Pos - level.LastPos;
    if (advance < level.Step || level.Current >= level.End) return;
    int next = std::min(level.End, level.Current + static_cast<int>(std::lround(advance * level.Scale)));
    if (next != level.Current) {
        level.Current = next;
        report(next);
    }
    level.LastPos = Pos;
}

void SetProgressShare(int Value) {
    auto& stack = levels();
    if (!RtProgressEnabled || stack.empty()) return;
    stack.back().Share = Value;
}

void EndProgress() {
    auto& stack = levels();
    if (!RtProgressEnabled || stack.empty()) return;
    int end = stack.back().End;
    stack.pop_back();
    report(end);
    if (stack.empty()) report(0);
}

void EndAllProgress() {
    auto& stack = levels();
    if (!RtProgressEnabled || stack.empty()) return;
    stack.clear();
    report(0);
}

int progressDepth() { return static_cast<int>(levels().size()); }
