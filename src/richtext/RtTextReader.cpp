#include "richtext/RtTextReader.h"

#include <algorithm>

#include "base/Exceptions.h"
#include "base/Streams.h"
#include "richtext/RtProgress.h"
#include "richtext/RtRtfTxt.h"

namespace {

constexpr int firstLineCapacity = 60;
constexpr int followingLineCapacity = 200;
// A line is full when fewer places than this are left.
constexpr int lineReserve = 4;
constexpr int trimReserve = 2;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

}  // namespace

TRtTextReader::TRtTextReader() = default;

void TRtTextReader::SetStream(TStream* AStream) {
    Stream = AStream;
    BufCount = 0;
    BufPos = 0;
    BufStart = Stream ? Stream->Position() : 0;
}

int TRtTextReader::ReadChar() {
    if (BufPos < BufCount) return Buffer[BufPos++];
    if (!Stream) return -1;
    BufStart = Stream->Position();
    int64_t n = Stream->Read(Buffer, BufferSize);
    BufCount = n > 0 ? static_cast<int>(n) : 0;
    BufPos = 0;
    if (BufCount == 0) return -1;
    BufPos = 1;
    return Buffer[0];
}

void TRtTextReader::UnreadChar() {
    if (BufPos > 0) {
        --BufPos;
        return;
    }
    // Nothing buffered to step back into: the byte before the buffer's
    // start is read again from the stream.
    if (!Stream || consumedPosition() < 1) return;
    int64_t back = consumedPosition() - 1;
    Stream->Seek(back, soFromBeginning);
    BufStart = back;
    BufCount = 0;
    BufPos = 0;
}

void TRtTextReader::SyncStream() {
    if (!Stream) return;
    if (BufCount > 0 || BufPos > 0) Stream->Seek(consumedPosition(), soFromBeginning);
    BufCount = 0;
    BufPos = 0;
    BufStart = Stream->Position();
}

uint8_t TRtTextReader::HexPairToByte(const char* P) {
    return static_cast<uint8_t>(hexDigit(P[0]) * 16 + hexDigit(P[1]));
}

void TRtTextReader::HandleEscape(unsigned char C) { AddChar(C); }

bool TRtTextReader::ProcessChar(unsigned char C) {
    try {
        if (C == '\r') EndParagraph();
        else if (C == static_cast<unsigned char>(EscapeChar)) HandleEscape(C);
        else if (C != '\n') AddChar(C);
    } catch (...) {
        if (Result == rtReadOk) Result = rtReadStoreFailed;
        throw;
    }
    return false;
}

void TRtTextReader::AddChar(unsigned char C) {
    if (C == '\r' || C == '\n' || C == 0) return;
    try {
        if (CurLine->Capacity - lineReserve < LinePos) {
            Text->NewLine(CurLine, followingLineCapacity);
            CurPar->Dirty |= dfAll;
            LinePos = 0;
        }
        appendToLine(static_cast<char>(C), ReadAttr);
    } catch (...) {
        Result = rtReadStoreFailed;
        throw;
    }
}

void TRtTextReader::appendToLine(char C, const TCharAttr& Attr) {
    CurLine->Text[LinePos] = C;
    if (CurLine->Attr) CurLine->Attr[LinePos] = Attr;
    ++LinePos;
    ++ParChars;
    CurLine->Text[LinePos] = 0;
    CurLine->Length = static_cast<uint16_t>(LinePos);
}

void TRtTextReader::TrimLines() {
    if (!CurPar) return;
    for (TLine* l = CurPar->FirstLine; l; l = l->Next)
        if (l->Length + trimReserve < l->Capacity) Text->GrowLine(l, l->Length + trimReserve);
}

void TRtTextReader::EndParagraph() {
    try {
        TrimLines();
        Text->NewParagraph(CurPar, firstLineCapacity);
        CurPar->Dirty |= dfAll;
        CurLine = CurPar->FirstLine;
        LinePos = 0;
        ParChars = 0;
    } catch (...) {
        Result = rtReadParagraphFailed;
        throw;
    }
}

uint8_t TRtTextReader::ReadDocument(TStream* AStream, TParagraph*& Par) {
    Result = rtReadOk;
    if (!Owner || !Text) throw Exception("Wrong Arguments");
    if (!Stream) SetStream(AStream);
    if (MarkAutomatic) ReadAttr.Special |= spAutomatic;
    bool progressOpen = false;
    try {
        if (!CurPar) {
            Text->NewParagraph(CurPar, firstLineCapacity);
            CurLine = CurPar->FirstLine;
            LinePos = 0;
        } else {
            CurLine = TRtRTFText::Get_LastLine(CurPar);
            LinePos = CurLine->Length;
        }
        ParChars = 0;
        Par = CurPar;
        CurPar->Dirty |= dfAll;
        int64_t size = Stream ? Stream->Size() : 0;
        int step = BeginProgress(static_cast<int>(std::min<int64_t>(size, INT32_MAX)));
        progressOpen = true;
        int64_t reported = consumedPosition();
        for (;;) {
            int c = ReadChar();
            if (c <= 0) break;
            if (ProcessChar(static_cast<unsigned char>(c))) break;
            if (consumedPosition() - reported > step) {
                reported = consumedPosition();
                ProgressStep(static_cast<int>(std::min<int64_t>(reported, INT32_MAX)));
            }
        }
        SyncStream();
        EndProgress();
    } catch (...) {
        if (Result == rtReadOk) Result = rtReadParagraphFailed;
        SyncStream();
        if (progressOpen) EndProgress();
        throw;
    }
    return Result;
}
