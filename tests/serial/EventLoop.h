#pragma once
// Runs the main thread's events until a condition holds or time runs out,
// as the message loop would while the program waits for a serial line.
#include <chrono>
#include <functional>
#include <thread>

#include <QCoreApplication>

inline bool runEventsUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the events that arrive within the next milliseconds.
inline void runEventsFor(int ms) {
    runEventsUntil([] { return false; }, ms);
}
