#pragma once
// The platform's warning beep. Every beep is also counted, so tests can tell
// that a control refused a key or found nothing.
#include <vector>

// Sounds the beep of the given kind (0 the default beep, or an MB_ICON code).
void MessageBeep(unsigned Type);

// The kinds beeped since the last clearMessageBeeps, in order.
const std::vector<unsigned>& messageBeepsHeard();
void clearMessageBeeps();
