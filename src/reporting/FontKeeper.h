#pragma once
// TFontKeeper: keeps a report's font across a measurement. The font state
// read when it is made is put back when it goes, also when the measurement
// raises; a failure to put it back is not raised from the destructor.
#include "base/Exceptions.h"
#include "reporting/RSBase.h"

class TFontKeeper {
public:
    explicit TFontKeeper(TBaseReport* Report) : report_(Report), saved_(Report->GetFontState()) {}
    ~TFontKeeper() {
        try {
            report_->SetFontState(saved_);
        } catch (const Exception&) {
        }
    }
    TFontKeeper(const TFontKeeper&) = delete;
    TFontKeeper& operator=(const TFontKeeper&) = delete;

private:
    TBaseReport* report_;
    TFontState saved_;
};
