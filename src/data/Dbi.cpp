#include "data/Dbi.h"

namespace {
TDbiEngine* registeredEngine = nullptr;
}

void SetDbiEngine(TDbiEngine* Engine) { registeredEngine = Engine; }

TDbiEngine* DbiEngine() { return registeredEngine; }
