#pragma once
// TRtRTFTextIo: a rich-text document that moves in and out. It adds to the
// document model the cursor and the block (selection), loading from and
// saving to streams and files in RTF or plain text, saving only the block,
// the "Data" form property (the RTF and four zero bytes), copying another
// document, converting the cursor to and from flat indexes, and the vertical
// pass that gives every line its y position and marks page starts.
// Loading never raises: LastResult holds the reader's code, and whatever was
// read before a fault stays in the document. A file is saved through a
// temporary file beside it, so a failed save leaves the old file whole.
//
// TRtRtfStrings: the paragraphs of one document as a TStrings; its stream
// save is always plain text.
#include <cstdint>
#include <memory>
#include <string>

#include "base/Classes.h"
#include "richtext/RtRtfTxt.h"

class TStream;
class TRtTextReader;
class TRtTextWriter;

// LastResult while a read is running.
constexpr uint8_t rtReadRunning = 8;

// Status codes read by the rich-text control.
constexpr uint8_t rtStatusOk = 0;
constexpr uint8_t rtStatusFailed = 7;
constexpr uint8_t rtStatusCancelled = 9;
constexpr uint8_t rtStatusRefused = 11;

class TRtRTFTextIo;

// Lets an application take over saving and loading; each answers true when
// it has done the work itself.
class TRtIoHook {
public:
    virtual ~TRtIoHook() = default;
    virtual bool SaveDocument(TRtRTFTextIo* Document, TStream* Stream) = 0;
    virtual bool SaveBlock(TRtRTFTextIo* Document, TStream* Stream) = 0;
    virtual bool Load(TRtRTFTextIo* Document, TStream* Stream) = 0;
};

class TRtRTFTextIo : public TRtRTFText {
public:
    TRtRTFTextIo();
    ~TRtRTFTextIo() override;

    bool LayoutPending = false;
    uint8_t LastResult = 0;
    bool ReadOnlyText = false;
    TRtLoadFormat SaveFormat = AutomaticFormat;
    TRtLoadFormat LoadFormat = AutomaticFormat;
    TRtTextWriter* CustomWriter = nullptr;
    TRtTextReader* CustomReader = nullptr;
    TRtIoHook* IoHook = nullptr;
    TParagraph* BlockStartPar = nullptr;
    TParagraph* BlockEndPar = nullptr;
    TLine* BlockStartLine = nullptr;
    TLine* BlockEndLine = nullptr;
    int BlockStartPos = 0;
    int BlockEndPos = 0;
    bool BlockReversed = false;
    TParagraph* CurPar = nullptr;
    TLine* CurLine = nullptr;
    int CurPos = 0;
    double PageScale = 1.0;
    bool UsePageScale = false;
    // 0 success, 9 a dialog was cancelled, 11 an edit was refused, 7 a file failed.
    uint8_t Status = rtStatusOk;

    void Assign(const TPersistent* Source) override;
    void Clear() override;

    virtual void ReadData(TStream* Stream);
    virtual void WriteData(TStream* Stream);
    virtual uint8_t WriteText(TStream* Stream, TRtTextWriter* Writer);
    virtual uint8_t WriteBlock(TStream* Stream, TRtTextWriter* Writer);
    virtual void ReadText(TStream* Stream, TRtTextReader* Reader);
    virtual TRtLoadFormat LoadFromStream(TStream* Stream);
    virtual void SaveToStream(TStream* Stream);
    virtual void SaveBlockToStream(TStream* Stream);
    // RTF when the upper-cased name holds ".RTF" anywhere; raises the stream
    // errors, and EWriteError when the writer fails, with Status 7.
    virtual void SaveToFile(const std::string& FileName);
    virtual void LoadFromFile(const std::string& FileName);
    virtual void GetCursorIndex(int& CharIndex, int& LineIndex, int& ParIndex, int& ParCharIndex);
    virtual void SetCursorIndex(int CharIndex, int LineIndex, int ParIndex, int ParCharIndex);
    virtual void UpdateLinePositions();

    // True when the line's height changed.
    bool CalcLineMetrics(TParagraph* Par, TLine* Line);
    // One paragraph, one line, no text: the "Data" property is then not stored.
    bool IsEmpty() const;
    bool DataStored() const { return !IsEmpty(); }
    // Appends copies of the source's paragraphs from FirstSourcePar on, with
    // their footnote stamps and pictures.
    void CopyParagraphs(const TParagraph* FirstSourcePar, const TRtRTFText* Source);

    // Puts the cursor at the start of the document when it no longer names
    // a line of it (after paragraphs were replaced or deleted by index), and
    // drops a block whose ends are gone.
    void keepCursorInDocument();

    // The result of the last save's writer.
    uint8_t LastSaveResult = 0;

private:
    void resetCursor();
    void recomputeTextArea();
    void prepareWriter(TRtTextWriter* Writer);
    uint8_t runWriter(TStream* Stream, TRtTextWriter* Writer);
    TRtLoadFormat saveFormatToUse() const;
    // The custom writer when set, otherwise a new writer of that format,
    // held in Made.
    TRtTextWriter* saveWriter(std::unique_ptr<TRtTextWriter>& Made) const;
    int resolutionY() const;
    int cellHeightPx(TParagraph* p);
};

class TRtRtfStrings : public TStrings {
public:
    TRtRTFTextIo* Text = nullptr;

    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const std::string& S) override;
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) const override;

protected:
    std::string Get(int Index) const override;
    int GetCount() const override;
    void Put(int Index, const std::string& S) override;
    void SetUpdateState(bool Updating) override;
};
