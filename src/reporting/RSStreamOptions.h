#pragma once
// TReportStreamOptions: where a report stream lives, as the stream writer,
// the stream player and the runner's stream options all name it: a file, a
// memory stream, the caller's stream or a temporary file (StreamMode), the
// file's name, and the caller's stream for smUser, which is never freed
// here.
#include <string>

#include "reporting/RSDefine.h"

class TStream;

class TReportStreamOptions {
public:
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& Value) { fileName_ = Value; }
    TStreamMode StreamMode() const { return streamMode_; }
    void SetStreamMode(TStreamMode Value) { streamMode_ = Value; }
    TStream* Stream() const { return userStream_; }
    void SetStream(TStream* Value) { userStream_ = Value; }

protected:
    std::string fileName_;
    TStreamMode streamMode_ = smMemory;
    TStream* userStream_ = nullptr;
};
