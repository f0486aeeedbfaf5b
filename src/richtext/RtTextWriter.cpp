#include "richtext/RtTextWriter.h"

#include <algorithm>
#include <new>

#include "base/Streams.h"
#include "richtext/RtProgress.h"
#include "richtext/RtRtfTxt.h"

bool TRtTextWriter::put(const char* data, int count) {
    if (count <= 0) return true;
    if (!Stream || Stream->Write(data, count) < count) {
        Result = rtWriteFailed;
        return false;
    }
    return true;
}

uint8_t TRtTextWriter::WriteAttr() { return rtWriteOk; }

uint8_t TRtTextWriter::WriteChars(int Count) {
    if (!CharPtr || Count <= 0) return rtWriteOk;
    return put(CharPtr, Count) ? rtWriteOk : rtWriteFailed;
}

uint8_t TRtTextWriter::WriteLineBreak() { return rtWriteOk; }

uint8_t TRtTextWriter::WriteParEnd() { return put("\r\n", 2) ? rtWriteOk : rtWriteFailed; }

uint8_t TRtTextWriter::WriteParStart() { return rtWriteOk; }

uint8_t TRtTextWriter::WriteObject(uint16_t, uint16_t) { return rtWriteOk; }

uint8_t TRtTextWriter::WriteFootnote(uint16_t) { return rtWriteOk; }

uint8_t TRtTextWriter::WriteHeader(TStream* AStream) {
    Stream = AStream;
    return Result = rtWriteOk;
}

// Plain text ends with its last character: no terminator goes to the file.
uint8_t TRtTextWriter::WriteTrailer(TStream* AStream) {
    Stream = AStream;
    return Result = rtWriteOk;
}

uint8_t TRtTextWriter::WriteLineRange(int From, int To) {
    From = std::clamp<int>(From, 0, CurLine->Length);
    To = std::clamp<int>(To, From, CurLine->Length);
    const char* text = CurLine->Text.get();
    if (!CurLine->Attr || !Text->Header->HasAttributes) {
        CharPtr = text + From;
        AttrPtr = nullptr;
        return WriteChars(To - From);
    }
    const TCharAttr* attr = CurLine->Attr.get();
    auto sameRun = [](const TCharAttr& a, const TCharAttr& b) {
        constexpr uint8_t styleBits = static_cast<uint8_t>(~stBlockMarked);
        return a.Font == b.Font && a.Size == b.Size && (a.Style & styleBits) == (b.Style & styleBits) &&
               a.Special == b.Special && a.Colors == b.Colors;
    };
    int i = From;
    while (i < To) {
        const TCharAttr& a = attr[i];
        bool single = (a.Special & (spObject | spInsertPoint | spFootnote)) != 0;
        int end = i + 1;
        if (!single)
            while (end < To && !(attr[end].Special & (spObject | spInsertPoint | spFootnote)) &&
                   sameRun(attr[end], a))
                ++end;
        bool skip = (SkipInsertPoints && (a.Special & spInsertPoint)) || (SkipAutomatic && (a.Special & spAutomatic));
        if (!skip) {
            CharPtr = text + i;
            AttrPtr = &a;
            uint8_t r = WriteAttr();
            if (!r && (a.Special & spFootnote)) {
                r = WriteFootnote(a.Tag);
            } else if (!r) {
                if (a.Special & spObject) {
                    if (text[i] == rtObjectByTag) r = WriteObject(a.Tag, 0);
                    else if (text[i] == rtObjectByNumber) r = WriteObject(0, a.Tag);
                }
                CharPtr = text + i;
                if (!r) r = WriteChars(end - i);
            }
            if (r) return Result = r;
        }
        CharsDone += end - i;
        i = end;
    }
    return rtWriteOk;
}

uint8_t TRtTextWriter::WriteBody(TStream* AStream) {
    Stream = AStream;
    Result = rtWriteOk;
    if (!FromPar || !Text) return Result = rtWriteNothing;
    try {
        CharsTotal = 0;
        for (TParagraph* p = FromPar; p; p = p->Next) {
            for (TLine* l = p->FirstLine; l; l = l->Next) CharsTotal += l->Length;
            if (p == ToPar) break;
        }
        CharsDone = 0;
        BeginProgress(CharsTotal);
        CurPar = FromPar;
        CurLine = FromLine ? FromLine : FromPar->FirstLine;
        bool firstLine = true;
        bool done = false;
        uint8_t r = rtWriteOk;
        while (CurPar && !done && !r) {
            r = WriteParStart();
            for (TLine* l = CurLine; l && !r; l = l->Next) {
                CurLine = l;
                int from = firstLine ? FromPos : 0;
                int to = (ToLine && l == ToLine) ? ToPos : l->Length;
                firstLine = false;
                r = WriteLineRange(from, to);
                if (ToLine && l == ToLine) {
                    done = true;
                    break;
                }
                if (!r && l->Next) r = WriteLineBreak();
                PrevLine = l;
            }
            if (r) break;
            bool last = done || CurPar == ToPar || !CurPar->Next;
            bool cell = (CurPar->ParFlags & pfTableCell) != 0;
            if (cell || !last) r = WriteParEnd();
            ProgressStep(CharsDone);
            if (last) break;
            PrevPar = CurPar;
            CurPar = CurPar->Next;
            CurLine = CurPar->FirstLine;
        }
        EndProgress();
        return Result = r;
    } catch (const std::bad_alloc&) {
        EndProgress();
        return Result = rtWriteNoMemory;
    }
}
