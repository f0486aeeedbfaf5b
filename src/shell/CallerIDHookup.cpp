#include "shell/CallerIDHookup.h"

namespace {

TCallerIDStart& Hook() {
    static TCallerIDStart hook;
    return hook;
}

}  // namespace

void setCallerIDStart(TCallerIDStart Start) { Hook() = std::move(Start); }

const TCallerIDStart& callerIDStart() { return Hook(); }
