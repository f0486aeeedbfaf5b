// Loading, saving, the "Data" property and copying of TRtRTFTextIo.
#include "richtext/RtRtfIO.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "base/Exceptions.h"
#include "base/Streams.h"
#include "base/SysUtils.h"
#include "os/Paths.h"
#include "richtext/RtProgress.h"
#include "richtext/RtRtfReader.h"
#include "richtext/RtRtfWriter.h"
#include "richtext/RtTextWriter.h"
#include "ui/Graphics.h"
#include "ui/Metafile.h"

namespace {

// Plain text beyond this many bytes loads without attributes.
constexpr int64_t plainMemoryThreshold = 500000;
// Streams up to this size are read from a copy in memory.
constexpr int64_t memoryCopyLimit = 600000;
constexpr int copiedLineCapacity = 10;
constexpr int copyLineGrowth = 40;
constexpr char dataTerminator[4] = {0, 0, 0, 0};

// Switches progress reporting off for a scope.
class TProgressOff {
public:
    TProgressOff() : saved_(RtProgressEnabled) { RtProgressEnabled = false; }
    ~TProgressOff() { RtProgressEnabled = saved_; }

private:
    bool saved_;
};

bool isBlank(int c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == 8; }

// RTF leaves the stream at its "{": the blanks before it are not text.
TRtLoadFormat detectFormat(TStream* stream) {
    int64_t start = stream->Position();
    unsigned char c = 0;
    bool got = stream->Read(&c, 1) == 1;
    while (got && isBlank(c)) got = stream->Read(&c, 1) == 1;
    int64_t brace = stream->Position() - 1;
    TRtLoadFormat format = FormatANSI;
    if (got && c == '{') {
        char next[4] = {};
        if (stream->Read(next, 4) == 4 && next[0] == '\\' && next[1] == 'r' && next[2] == 't' && next[3] == 'f')
            format = FormatRTF;
    }
    stream->Seek(format == FormatRTF ? brace : start, soFromBeginning);
    return format;
}

// A new graphic of the same class as the object (or the graphic a picture holds), copied from it.
std::unique_ptr<TGraphic> copyGraphic(TObject* obj) {
    if (auto* picture = dynamic_cast<TPicture*>(obj)) obj = picture->Graphic();
    if (auto* bitmap = dynamic_cast<TBitmap*>(obj)) {
        auto copy = std::make_unique<TBitmap>();
        copy->Assign(*bitmap);
        return copy;
    }
    if (auto* metafile = dynamic_cast<TMetafile*>(obj)) {
        auto copy = std::make_unique<TMetafile>();
        copy->Assign(*metafile);
        return copy;
    }
    return nullptr;
}

const TObjectEntry* findEntry(const TRtRTFText* doc, uint16_t tag, uint16_t number) {
    if (!doc) return nullptr;
    for (const TObjectEntry& e : doc->Objects)
        if ((tag && e.Tag == tag) || (number && e.Number == number)) return &e;
    return nullptr;
}

const TStampEntry* findStamp(const TRtRTFText* doc, uint16_t number) {
    if (!doc) return nullptr;
    for (const TStampEntry& s : doc->Stamps)
        if (s.Number == number) return &s;
    return nullptr;
}

}  // namespace

TRtRTFTextIo::TRtRTFTextIo() { resetCursor(); }

TRtRTFTextIo::~TRtRTFTextIo() = default;

void TRtRTFTextIo::resetCursor() {
    BlockStartPar = BlockEndPar = nullptr;
    BlockStartLine = BlockEndLine = nullptr;
    BlockStartPos = BlockEndPos = 0;
    BlockReversed = false;
    CurPar = FirstPar;
    CurLine = FirstPar ? FirstPar->FirstLine : nullptr;
    CurPos = 0;
}

void TRtRTFTextIo::Clear() {
    TProgressOff quiet;
    resetCursor();
    TRtRTFText::Clear();
    resetCursor();
}

void TRtRTFTextIo::keepCursorInDocument() {
    auto holds = [this](const TParagraph* par, const TLine* line) {
        for (const TParagraph* p = FirstPar; p; p = p->Next)
            if (p == par)
                for (const TLine* l = p->FirstLine; l; l = l->Next)
                    if (l == line) return true;
        return false;
    };
    if (!holds(BlockStartPar, BlockStartLine) || !holds(BlockEndPar, BlockEndLine)) {
        BlockStartPar = BlockEndPar = nullptr;
        BlockStartLine = BlockEndLine = nullptr;
        BlockStartPos = BlockEndPos = 0;
    }
    if (holds(CurPar, CurLine)) {
        CurPos = std::clamp<int>(CurPos, 0, CurLine->Length);
        return;
    }
    CurPar = FirstPar;
    CurLine = FirstPar ? FirstPar->FirstLine : nullptr;
    CurPos = 0;
}

bool TRtRTFTextIo::IsEmpty() const {
    return FirstPar && !FirstPar->Next && FirstPar->FirstLine && !FirstPar->FirstLine->Next &&
           FirstPar->FirstLine->Length == 0;
}

void TRtRTFTextIo::recomputeTextArea() {
    TTextHeader& h = *Header;
    h.TextAreaPx = RtMulDiv(h.PageWidth - h.MarginLeft - h.MarginRight, h.ResX, rtTwipsPerInch);
    h.TextAreaHeightPx = RtMulDiv(h.PageHeight - h.MarginTop - h.MarginBottom, h.ResY, rtTwipsPerInch);
}

// ---------------------------------------------------------------- loading

void TRtRTFTextIo::ReadText(TStream* Stream, TRtTextReader* Reader) {
    LastResult = rtReadRunning;
    BeginProgress(100);
    struct TEnd {
        ~TEnd() { EndProgress(); }
    } endProgress;
    keepCursorInDocument();
    if (!Reader || !Stream || !Initialized || !CurPar || !CurLine) return;
    Reader->Owner = this;
    Reader->Text = this;
    Reader->ReadAttr = CurAttr;
    auto* rtf = dynamic_cast<TRtRtfReader*>(Reader);
    if (rtf) {
        rtf->Header = Header.get();
        rtf->CharProps = CurAttr;
        rtf->WholeDocument = IsEmpty();
    }
    if (IsEmpty()) {
        Header->Title.clear();
        Header->Subject.clear();
        Header->Comment.clear();
        Reader->CurPar = CurPar;
        TParagraph* first = nullptr;
        int64_t size = Stream->Size() - Stream->Position();
        if (!dynamic_cast<TMemoryStream*>(Stream) && size <= memoryCopyLimit) {
            int64_t start = Stream->Position();
            TMemoryStream copy;
            if (size > 0) copy.CopyFrom(Stream, size);
            copy.SetPosition(0);
            try {
                Reader->ReadDocument(&copy, first);
            } catch (...) {
                Stream->SetPosition(start + copy.Position());
                throw;
            }
            Stream->SetPosition(start + copy.Position());
        } else {
            Reader->ReadDocument(Stream, first);
        }
        recomputeTextArea();
        CurPar = FirstPar;
        CurLine = FirstPar->FirstLine;
        CurPos = 0;
    } else {
        Reader->CurPar = nullptr;
        TParagraph* chain = nullptr;
        try {
            Reader->ReadDocument(Stream, chain);
        } catch (...) {
            // The detached chain is freed; the document stays as it was.
            FreeParagraphs(chain);
            throw;
        }
        if (chain && !InsertParagraphs(CurPar, CurLine, chain, CurPos)) FreeParagraphs(chain);
    }
    ProgressStep(100);
    Changed();
}

TRtLoadFormat TRtRTFTextIo::LoadFromStream(TStream* Stream) {
    if (IoHook && IoHook->Load(this, Stream)) return LoadFormat;
    if (CustomReader) {
        try {
            ReadText(Stream, CustomReader);
            LastResult = CustomReader->Result;
        } catch (...) {
            LastResult = rtReadTruncated;
        }
        return LoadFormat;
    }
    if (!Stream) {
        LastResult = rtReadTruncated;
        return LoadFormat;
    }
    TRtLoadFormat format = LoadFormat;
    if (format != FormatRTF && format != FormatANSI) format = detectFormat(Stream);
    std::unique_ptr<TRtTextReader> reader;
    try {
        if (format == FormatANSI && Stream->Size() - Stream->Position() > plainMemoryThreshold)
            SetMemoryFormat(fmPlainText);
        if (format == FormatRTF) reader = std::make_unique<TRtRtfReader>();
        else reader = std::make_unique<TRtTextReader>();
        ReadText(Stream, reader.get());
        LastResult = reader->Result;
    } catch (...) {
        LastResult = rtReadTruncated;
    }
    return format;
}

void TRtRTFTextIo::LoadFromFile(const std::string& FileName) {
    Status = rtStatusFailed;
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    Header->LastLoadFormat = static_cast<uint8_t>(LoadFromStream(&stream));
    if (LastResult == rtReadOk) Status = rtStatusOk;
}

// ---------------------------------------------------------------- saving

void TRtRTFTextIo::prepareWriter(TRtTextWriter* Writer) {
    Writer->Text = this;
    Writer->PrevPar = nullptr;
    Writer->PrevLine = nullptr;
    Writer->SkipInsertPoints = SaveNoInsertPoints;
    Writer->SkipAutomatic = SaveNoAutomatic;
    Writer->WriteBitmapAsDib = WriteBitmapAsDib;
}

uint8_t TRtRTFTextIo::runWriter(TStream* Stream, TRtTextWriter* Writer) {
    uint8_t r = Writer->WriteHeader(Stream);
    if (!r) r = Writer->WriteBody(Stream);
    if (!r) r = Writer->WriteTrailer(Stream);
    return LastSaveResult = r;
}

uint8_t TRtRTFTextIo::WriteText(TStream* Stream, TRtTextWriter* Writer) {
    if (!Writer || !Initialized) return LastSaveResult = rtWriteFailed;
    prepareWriter(Writer);
    Writer->FromPar = FirstPar;
    Writer->ToPar = nullptr;
    Writer->FromLine = Writer->ToLine = nullptr;
    Writer->FromPos = Writer->ToPos = 0;
    return runWriter(Stream, Writer);
}

uint8_t TRtRTFTextIo::WriteBlock(TStream* Stream, TRtTextWriter* Writer) {
    if (!BlockStartPar || !BlockEndPar) return LastSaveResult = rtWriteOk;
    if (!Writer || !Initialized) return LastSaveResult = rtWriteFailed;
    prepareWriter(Writer);
    bool reversed = BlockReversed;
    Writer->FromPar = reversed ? BlockEndPar : BlockStartPar;
    Writer->FromLine = reversed ? BlockEndLine : BlockStartLine;
    Writer->FromPos = reversed ? BlockEndPos : BlockStartPos;
    Writer->ToPar = reversed ? BlockStartPar : BlockEndPar;
    Writer->ToLine = reversed ? BlockStartLine : BlockEndLine;
    Writer->ToPos = reversed ? BlockStartPos : BlockEndPos;
    return runWriter(Stream, Writer);
}

TRtLoadFormat TRtRTFTextIo::saveFormatToUse() const {
    if (SaveFormat == FormatRTF || SaveFormat == FormatANSI) return SaveFormat;
    if (Header->LastLoadFormat == FormatRTF || Header->LastLoadFormat == FormatANSI)
        return static_cast<TRtLoadFormat>(Header->LastLoadFormat);
    return Header->HasAttributes ? FormatRTF : FormatANSI;
}

TRtTextWriter* TRtRTFTextIo::saveWriter(std::unique_ptr<TRtTextWriter>& Made) const {
    if (CustomWriter) return CustomWriter;
    if (saveFormatToUse() == FormatRTF)
        Made = std::make_unique<TRtRTFWriter>();
    else
        Made = std::make_unique<TRtTextWriter>();
    return Made.get();
}

void TRtRTFTextIo::SaveToStream(TStream* Stream) {
    if (IoHook && IoHook->SaveDocument(this, Stream)) return;
    std::unique_ptr<TRtTextWriter> made;
    WriteText(Stream, saveWriter(made));
}

void TRtRTFTextIo::SaveBlockToStream(TStream* Stream) {
    if (IoHook && IoHook->SaveBlock(this, Stream)) return;
    std::unique_ptr<TRtTextWriter> made;
    WriteBlock(Stream, saveWriter(made));
}

void TRtRTFTextIo::SaveToFile(const std::string& FileName) {
    TRtLoadFormat saved = SaveFormat;
    Status = rtStatusFailed;
    if (AnsiUpperCase(FileName).find(".RTF") != std::string::npos) SaveFormat = FormatRTF;
    // Written beside the target and renamed over it, so the old file stays whole until the new one is.
    std::string temporary = FileName + ".~tmp";
    try {
        {
            TFileStream stream(temporary, fmCreate);
            LastSaveResult = rtWriteOk;
            SaveToStream(&stream);
        }
        if (LastSaveResult != rtWriteOk) throw EWriteError("Stream write error");
        if (std::rename(os::MapPath(temporary).c_str(), os::MapPath(FileName).c_str()) != 0)
            throw EFCreateError("Cannot create file \"" + FileName + "\"");
    } catch (...) {
        os::DeleteFile(temporary);
        SaveFormat = saved;
        throw;
    }
    SaveFormat = saved;
    Status = rtStatusOk;
}

// ---------------------------------------------------------------- the "Data" property

void TRtRTFTextIo::WriteData(TStream* Stream) {
    TRtRTFWriter writer;
    WriteText(Stream, &writer);
    Stream->WriteBuffer(dataTerminator, sizeof dataTerminator);
}

void TRtRTFTextIo::ReadData(TStream* Stream) {
    Clear();
    TRtRtfReader reader;
    try {
        reader.Owner = this;
        reader.Text = this;
        reader.Header = Header.get();
        reader.CharProps = CurAttr;
        reader.CurPar = CurPar;
        TParagraph* first = nullptr;
        reader.ReadDocument(Stream, first);
    } catch (...) {
        Clear();
        throw;
    }
    resetCursor();
    for (TParagraph* p = FirstPar; p; p = p->Next) p->Dirty |= dfAll;
    Changed();
}

// ---------------------------------------------------------------- copying

void TRtRTFTextIo::Assign(const TPersistent* Source) {
    auto* source = dynamic_cast<const TRtRTFTextIo*>(Source);
    if (!source) {
        TRtRTFText::Assign(Source);
        return;
    }
    if (source == this) return;
    TProgressOff quiet;
    Clear();
    Header->Assign(source->Header.get());
    CopyParagraphs(source->FirstPar, source);
    resetCursor();
    Changed();
}

void TRtRTFTextIo::CopyParagraphs(const TParagraph* FirstSourcePar, const TRtRTFText* Source) {
    if (!FirstSourcePar) return;
    TParagraph* par = FirstPar;
    while (par->Next) par = par->Next;
    CurPar = par;
    CurLine = Get_LastLine(par);
    CurPos = CurLine->Length;
    if ((CurLine->Length > 0 || par->FirstLine->Next) && !(par->ParFlags & pfTableCell)) {
        NewParagraph(par, copiedLineCapacity);
        par->ParFlags &= static_cast<uint8_t>(~pfPageBreak);
    }
    for (const TParagraph* sp = FirstSourcePar; sp; sp = sp->Next) {
        TLine* line = Get_LastLine(par);
        for (const TLine* sl = sp->FirstLine; sl; sl = sl->Next) {
            for (int i = 0; i < sl->Length; ++i) {
                char ch = sl->Text[i];
                TCharAttr attr = sl->Attr ? sl->Attr[i] : CurAttr;
                if (attr.Special & spFootnote) {
                    if (const TStampEntry* s = findStamp(Source, attr.Tag))
                        attr.Tag = AddStamp(s->Kind, s->Value, s->Text)->Number;
                } else if ((attr.Special & spObject) && (ch == rtObjectByTag || ch == rtObjectByNumber)) {
                    const TObjectEntry* e = ch == rtObjectByTag ? findEntry(Source, attr.Tag, 0)
                                                                : findEntry(Source, 0, attr.Tag);
                    if (e) {
                        if (auto graphic = copyGraphic(e->Obj)) {
                            TObjectEntry* added = AddObject(graphic.release(), 0);
                            added->WidthTw = e->WidthTw;
                            added->HeightTw = e->HeightTw;
                            added->Used = 1;
                            ch = rtObjectByNumber;
                            attr.Tag = added->Number;
                        } else if (e->Tag && e->Obj) {
                            if (TObjectEntry* added = AddObject(e->Obj, e->Tag)) {
                                added->WidthTw = e->WidthTw;
                                added->HeightTw = e->HeightTw;
                                added->ByReference = e->ByReference;
                                added->Used = 1;
                            }
                        }
                    }
                }
                if (line->Length + 2 >= line->Capacity) {
                    if (line->Capacity < rtMaxLineLength) {
                        GrowLine(line, std::min(line->Capacity + copyLineGrowth + line->Capacity / 2, rtMaxLineLength));
                    } else {
                        // A long paragraph goes on in a new line; the layout breaks it again.
                        NewLine(line, copiedLineCapacity);
                    }
                }
                appendToLine(line, &ch, &attr, 1);
            }
        }
        bool cell = (sp->ParFlags & pfTableCell) != 0;
        par->IndentFirst = sp->IndentFirst;
        par->IndentLeft = sp->IndentLeft;
        par->IndentRight = sp->IndentRight;
        par->SpaceBefore = sp->SpaceBefore;
        par->SpaceAfter = cell ? 0 : sp->SpaceAfter;
        par->LineSpacing = sp->LineSpacing;
        par->Align = sp->Align;
        par->TabSet = sp->TabSet;
        par->ParFlags = static_cast<uint8_t>(sp->ParFlags | (par->ParFlags & pfPageBreak));
        par->TableFlags = sp->TableFlags;
        par->Dirty |= dfAll;
        if (sp->Next) {
            NewParagraph(par, copiedLineCapacity);
            par->ParFlags &= static_cast<uint8_t>(~pfPageBreak);
        }
    }
}
