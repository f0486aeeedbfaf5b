#pragma once
// TRtRTFText: the in-memory text of one rich-text document and the base of
// the document stack (load and save, layout and painting, editing add to it).
// A document is a doubly linked list of paragraphs, each a chain of lines;
// each line owns its character buffer and, in rich mode, one attribute
// record per character. The primitives here keep these promises, which
// RtInvariants.h checks: at least one paragraph, each with at least one
// line; every line zero-terminated with Length < Capacity <= 10000; attribute
// arrays present exactly in rich mode. Positions and indexes out of range do
// nothing; they never reach memory outside a buffer. Allocation failure
// raises; an operation that rebuilds lines makes the new chain before it
// unlinks the old one, so an exception loses no text.
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "base/Classes.h"
#include "richtext/RtDefs.h"
#include "richtext/RtHeader.h"
#include "richtext/RtRecords.h"

class TCanvas;
struct TRect;

// Paints a line or an embedded object in place of the layout layer, when a
// document has one (printing into another program's canvas, for instance).
class TRtLinePainter {
public:
    virtual ~TRtLinePainter() = default;
    virtual void PaintLine(TCanvas* Canvas, TParagraph* Par, TLine* Line, int X, int Y) = 0;
    virtual void PaintObject(TCanvas* Canvas, const TRect& Rect, TObject* Object) = 0;
};

class TRtRTFText : public TPersistent {
public:
    TRtRTFText();
    ~TRtRTFText() override;
    TRtRTFText(const TRtRTFText&) = delete;
    TRtRTFText& operator=(const TRtRTFText&) = delete;

    TRtMemoryFormat MemoryFormat = fmRichText;
    uint8_t Initialized = 1;
    // Re-entrancy guard; also blocks a change of memory format and Clear.
    uint8_t Busy = 0;
    TNotifyEvent OnChange;
    TProvideObjectEvent OnProvideObject;
    std::unique_ptr<TTextHeader> Header;
    TParagraph* FirstPar = nullptr;
    std::list<TObjectEntry> Objects;
    std::list<TStampEntry> Stamps;
    TCharAttr CurAttr;
    TCharAttr CursorAttr;
    int DefaultHeight = 16;
    int CharWidth[257];
    int LineHeight = 16;
    int LineBase = 14;
    bool InsertMode = true;
    // Options handed to the writer when saving.
    bool SaveNoInsertPoints = false;
    bool SaveNoAutomatic = false;
    bool WriteBitmapAsDib = false;
    TProtectedChangeEvent OnProtectedChange;
    TProtectProp Protection;
    bool ProtectionOff = false;

    // State kept here for the layout, painting and editing layers.
    bool ReadOnly = false;
    bool HideInsertpoints = false;   // insert points take no room
    bool HideAutomatic = false;      // automatic text takes no room
    bool EditHiddenText = false;     // typing with a hidden attribute inserts
    bool ShowZeroWidth = false;      // the cursor stops on zero-width characters
    bool LayoutLocked = false;       // no painting
    bool UpdateLocked = false;       // invalidation ignored
    int SkipPaint = 0;               // paints to skip, counted down by each
    TRtLinePainter* LinePainter = nullptr;

    // ---------------------------------------------------- virtual operations
    virtual void SetCharAttr(TLine* line, int index, const TCharAttr& attr);
    virtual void DoProtectedEvent(TParagraph* par, TLine* line, bool wholeParagraph, int index);
    virtual void SetCurrentAttr(const TCharAttr& attr);
    virtual void Clear();
    // Replaces the text of paragraph index (the last one when there are fewer).
    virtual void SetParText(int index, const std::string& text, const TCharAttr* attr);
    virtual int ReplaceText(TParagraph* par, TLine* line, const std::string& s, int pos, int count);

    // ---------------------------------------------------- static operations
    // Moves count records; nothing when a pointer is nil or count <= 0.
    static void MoveAttribs(TCharAttr* dest, int destIndex, const TCharAttr* src, int count, int srcIndex);
    // Address of record n. REQUIRES: n lies within the array.
    static TCharAttr* AttribPtr(TCharAttr* base, int n);
    // A new paragraph with one line, linked after par (inheriting its
    // properties) when par is not nil; par is set to it.
    void NewParagraph(TParagraph*& par, int lineCapacity);
    // A new empty line linked after line (or alone); line is set to it.
    void NewLine(TLine*& line, int capacity);
    void GrowLine(TLine* line, int capacity);
    // Frees a line that is linked nowhere.
    static void FreeLine(TLine*& line);
    // Frees a paragraph that is linked nowhere, with its lines.
    static void FreeParagraph(TParagraph*& par);
    // Frees a chain of paragraphs linked nowhere else, first to last; par
    // ends as nullptr.
    static void FreeParagraphs(TParagraph*& par);
    void RemoveLine(TParagraph* par, TLine* line);
    void Changed();
    void SetMemoryFormat(TRtMemoryFormat format);
    // Replaces oldCount characters at pos by newCount of text; returns the
    // change in length. attr nil: the new characters take the attribute at pos.
    int ReplaceInLine(TParagraph* par, TLine* line, const TCharAttr* attr, int newCount, const char* text,
                      int oldCount, int pos);
    bool InsertChar(TParagraph* par, TLine* line, char ch, int pos);
    // False when protection refuses the deletion.
    bool DeleteChar(TParagraph* par, TLine* line, int pos);
    bool SplitParagraph(TParagraph* par, TLine* line, int pos);
    // Inserts text at pos (counted through the paragraph's lines) on a line
    // of its own; attr nil takes CursorAttr.
    void InsertTextAt(TParagraph* par, int pos, const TCharAttr* attr, const std::string& text);
    void DeleteRange(TParagraph* par, int pos, int count);
    // Inserts a detached chain of paragraphs at (par, line, pos); the three
    // then name the chain's last paragraph, its last line and 0.
    bool InsertParagraphs(TParagraph*& par, TLine*& line, TParagraph* chain, int& pos);
    static int ParagraphNumber(const TParagraph* first, const TParagraph* par);
    static TLine* Get_LastLine(const TParagraph* par);
    std::string GetParText(int index) const;
    void InsertParagraph(int index, const std::string& text, const TCharAttr* attr);
    void DeleteParagraph(int index);
    // Copies the document, paragraphs separated by CR, into buf and attrBuf
    // (either may be nil), at most max - 1 characters; buf is terminated.
    int GetText(char* buf, TCharAttr* attrBuf, int max) const;
    // The whole document as GetText gives it.
    std::string GetText() const;
    bool InvalidateSpecial(uint8_t flags);
    TStampEntry* AddStamp(uint8_t kind, uint32_t value, const std::string& text);
    void ClearStamps();
    TStampEntry* FindStamp(uint16_t number);
    // Finds the entry with this tag or number, or adds one. A tag of 65535
    // takes the next free tag from 2000 on. Without an object the
    // application is asked for it; nil when there is none.
    TObjectEntry* AddObject(TObject* obj, uint16_t tag, uint16_t number = 0);
    void UnmarkObjects();
    void FreeUnmarkedObjects();
    TObjectEntry* FindObject(uint16_t tag, uint16_t number);
    void SetObjectSize(TObjectEntry* entry);
    bool IsProtected(TParagraph* par, TLine* line, int pos);

    // The tab collector the header calls when its slots are full.
    void CollectTabs();

    static constexpr uint16_t rtNextFreeTag = 65535;
    static constexpr uint16_t rtFirstFreeTag = 2000;

protected:
    void markDirty(TParagraph* par) { par->Dirty |= dfAll; }
    TCharAttr attrWithMetrics(const TCharAttr& attr, char ch) const;
    // A line holding len characters of text with the given attributes
    // (attrs nil: attr for all), not linked anywhere.
    std::unique_ptr<TLine> makeLine(int capacity);
    void appendToLine(TLine* line, const char* text, const TCharAttr* attrs, int len);

private:
    void freeAllParagraphs();
    bool joinNextLine(TParagraph* par, TLine* line);
    void joinNextParagraph(TParagraph* par);
    TLine* lineAt(TParagraph* par, int& pos);
    void splitLineAt(TParagraph* par, TLine* line, int pos, int extra);
    uint16_t nextObjectNumber() const;
    uint16_t nextFreeTag() const;
};
