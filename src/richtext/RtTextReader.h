#pragma once
// TRtTextReader: reads bytes from a stream through its own 1024-byte buffer
// and builds paragraphs and lines of a document from them. Used directly it
// loads plain text: CR ends a paragraph, LF is ignored, a NUL byte ends the
// text, every other byte is stored. Long runs are cut into lines of about
// 200 characters. After a read the stream stands right after the last byte
// consumed, so data that follows the text (a memo's zero terminator and what
// lies beyond it) stays unread. The RTF reader descends from it.
#include <cstdint>

#include "base/Classes.h"
#include "richtext/RtRecords.h"

class TStream;
class TRtRTFText;

// Result codes of a read.
constexpr uint8_t rtReadOk = 0;
constexpr uint8_t rtReadParagraphFailed = 2;
constexpr uint8_t rtReadStoreFailed = 7;

class TRtTextReader : public TObject {
public:
    static constexpr int BufferSize = 1024;

    TRtTextReader();

    TStream* Stream = nullptr;
    TLine* CurLine = nullptr;
    int LinePos = 0;
    int ParChars = 0;
    uint8_t Result = rtReadOk;
    uint8_t Buffer[BufferSize] = {};
    int BufCount = 0;
    int BufPos = 0;
    int64_t BufStart = 0;
    TCharAttr ReadAttr;
    TObject* Owner = nullptr;
    TRtRTFText* Text = nullptr;
    // Paragraph being filled; nil makes a detached paragraph to start a chain.
    TParagraph* CurPar = nullptr;
    char EscapeChar = '\\';
    bool MarkAutomatic = false;

    virtual void HandleEscape(unsigned char C);
    // One character; true stops the reading loop.
    virtual bool ProcessChar(unsigned char C);
    virtual void AddChar(unsigned char C);
    virtual void SetStream(TStream* AStream);
    // Reads the whole stream; Par is the first paragraph filled. Raises
    // "Wrong Arguments" without Owner or Text.
    virtual uint8_t ReadDocument(TStream* AStream, TParagraph*& Par);

    // The next byte 0..255, or -1 at the end of the stream.
    int ReadChar();
    // Gives the last byte read back to the next ReadChar.
    void UnreadChar();
    // Puts the stream right after the last consumed byte and empties the buffer.
    void SyncStream();
    void EndParagraph();
    // Cuts every line of the current paragraph down to its text.
    void TrimLines();
    // The byte of two hexadecimal digits at P (any other character counts as 0).
    static uint8_t HexPairToByte(const char* P);

protected:
    int64_t consumedPosition() const { return BufStart + BufPos; }
    // Stores C with Attr at LinePos and moves past it. REQUIRES: CurLine has room
    // for it and its terminator.
    void appendToLine(char C, const TCharAttr& Attr);
};
