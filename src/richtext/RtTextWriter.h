#pragma once
// TRtTextWriter: walks a range of a document and sends it to a stream as
// plain text, one CRLF after each paragraph but the last, nothing after the
// text. Its steps are virtual so that the RTF writer can replace them. A
// save calls WriteHeader, WriteBody and WriteTrailer in turn, each only when
// the one before returned 0. A stream that takes fewer bytes than offered
// ends the step with 7.
#include <cstdint>
#include <string>

#include "base/Classes.h"
#include "richtext/RtRecords.h"

class TStream;
class TRtRTFText;

// Result codes of a writing step.
constexpr uint8_t rtWriteOk = 0;
constexpr uint8_t rtWriteNoMemory = 2;
constexpr uint8_t rtWriteFailed = 7;
constexpr uint8_t rtWriteNothing = 8;

class TRtTextWriter : public TObject {
public:
    TStream* Stream = nullptr;
    TParagraph* PrevPar = nullptr;
    TLine* PrevLine = nullptr;
    TParagraph* CurPar = nullptr;
    TLine* CurLine = nullptr;
    int CharsDone = 0, CharsTotal = 0;
    const char* CharPtr = nullptr;
    const TCharAttr* AttrPtr = nullptr;
    uint8_t Result = rtWriteOk;
    TRtRTFText* Text = nullptr;
    // The range: FromPar/FromLine/FromPos up to ToPar/ToLine/ToPos (ToPar nil:
    // to the end; FromLine nil: the first line of FromPar; ToLine nil: the
    // whole of ToPar).
    TParagraph* FromPar = nullptr;
    TParagraph* ToPar = nullptr;
    TLine* FromLine = nullptr;
    TLine* ToLine = nullptr;
    int FromPos = 0, ToPos = 0;
    bool SkipInsertPoints = false;
    bool SkipAutomatic = false;
    bool WriteBitmapAsDib = false;

    // Start of a run of equally formatted characters (AttrPtr).
    virtual uint8_t WriteAttr();
    // Count characters from CharPtr.
    virtual uint8_t WriteChars(int Count);
    // The characters of CurLine from From up to (not including) To.
    virtual uint8_t WriteLineRange(int From, int To);
    virtual uint8_t WriteLineBreak();
    virtual uint8_t WriteParEnd();
    virtual uint8_t WriteParStart();
    virtual uint8_t WriteObject(uint16_t Tag, uint16_t Number);
    virtual uint8_t WriteFootnote(uint16_t Tag);
    virtual uint8_t WriteHeader(TStream* AStream);
    virtual uint8_t WriteBody(TStream* AStream);
    virtual uint8_t WriteTrailer(TStream* AStream);

protected:
    // Writes the bytes; false (and Result 7) when the stream took fewer.
    bool put(const char* data, int count);
    bool put(const std::string& s) { return put(s.data(), static_cast<int>(s.size())); }
    uint8_t fail(uint8_t code) { return Result = code; }
};
