#pragma once
// Result codes of the full-text call set, and the failure the index's
// internals raise to carry one of them back to the call that was made.
#include <exception>

// Successful open, create or close.
constexpr int FtsOk = 0;
// FtsSet: the search is set up.
constexpr int FtsSearchReady = 1;
// Failures; every one is negative.
constexpr int FtsErrBadHandle = -1;      // no index is open under that handle
constexpr int FtsErrBadArgument = -2;    // missing text, or a text without words where words are needed
constexpr int FtsErrOutOfRange = -3;     // no key at that position
constexpr int FtsErrKeyTooLong = -4;     // longer than FtsMaxKeyLength
constexpr int FtsErrNoFile = -5;         // the file is missing or cannot be opened or made
constexpr int FtsErrDamaged = -6;        // not an index file, or a damaged or truncated one
constexpr int FtsErrLocked = -7;         // another user kept the file locked past the time-out
constexpr int FtsErrIo = -8;             // reading or writing the file failed
constexpr int FtsErrNoMemory = -9;
constexpr int FtsErrFull = -10;          // the index holds as many keys as it can
constexpr int FtsErrNoKeys = -13;        // FtsSet: the index holds no keys

namespace fts {

class Failure : public std::exception {
public:
    explicit Failure(int code) : code_(code) {}
    int code() const { return code_; }
    const char* what() const noexcept override { return "full-text index failure"; }

private:
    int code_;
};

}  // namespace fts
