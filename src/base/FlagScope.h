#pragma once
// TFlagScope: a re-entry or busy flag held set for the lifetime of one
// object, so that the flag is cleared however the work under it ends.
class TFlagScope {
public:
    explicit TFlagScope(bool& Flag) : flag_(Flag) { flag_ = true; }
    ~TFlagScope() { flag_ = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
};
