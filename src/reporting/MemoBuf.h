#pragma once
// Memo buffers: free text printed word-wrapped between two horizontal
// positions of a report page, a line at a time, so that a print handler
// can fill a column, stop when the section is full and go on on the next
// page.
//
// TBaseMemoBuf is what the report engine drives (TBaseReport::PrintMemo
// and MemoLines). TMemoBuf holds the visible text apart from its embedded
// format codes, each code run anchored to the text position it applies
// from, and puts the codes back into every line it hands out, so a line
// prints in the fonts, justification and indents in force where it starts.
// Lines break at blanks, TABs and line ends (CR LF, a lone CR or a lone
// LF end a paragraph); a word wider than the column is split, at least one
// character per line. Positions are 0-based and clamped to the text.
//
// Printing without a report raises "TMemoBuf.BaseReport not assigned.";
// with PrintEnd not right of PrintStart it raises "TMemoBuf.PrintEnd must
// be greater than TMemoBuf.PrintStart".
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "reporting/RSDefine.h"
#include "reporting/TextFormatCodes.h"

class TBaseReport;
class TStream;

class TBaseMemoBuf : public TObject {
public:
    // The report that measures and prints; set by the engine.
    TBaseReport* BaseReport = nullptr;
    // End every printed line with a full new line.
    bool HardLineEnds = false;
    // Justification of lines without a J code.
    TPrintJustify Justify = pjLeft;
    // Keep the blanks at the start of a wrapped line.
    bool KeepSpaces = false;
    // Left and right edge of the memo column, report units.
    double PrintStart = 0;
    double PrintEnd = 0;

    // The next wrapped line, with its format codes.
    virtual std::string GetLine(bool& EndOfParagraph) = 0;
    // Lines left from the current position; nothing is consumed.
    virtual int MemoLinesLeft() = 0;
    // Prints Lines lines (0: all that remain); returns the height printed.
    virtual double PrintLines(int Lines, bool PrintTabs) = 0;
};

// A format-code run (byte 1 ... byte 4) and the text position it applies from.
class TRSTFItem : public TObject {
public:
    TRSTFItem(std::string Codes, int Position) : Codes(std::move(Codes)), Position(Position) {}
    // Merges another run into this one: byte 1, "B1", byte 4 merged with
    // byte 1, "I1", byte 4 gives byte 1, "B1", byte 2, "I1", byte 4.
    void AddRSTF(const std::string& NewCodes);
    void SetRSTF(const std::string& NewCodes) { Codes = NewCodes; }
    std::string Codes;
    int Position;
};

class TMemoBuf : public TBaseMemoBuf {
public:
    TMemoBuf();
    ~TMemoBuf() override;

    // Growth step of the storage.
    int BufferInc = 256;
    // Next byte to print.
    int Pos = 0;
    // The next line starts a paragraph; the next word starts a line.
    bool NewParagraph = true;
    bool FirstWord = true;
    // Height budget while PrintHeight runs (report units).
    double HeightLeft = 0;
    // Leave the last printed line open.
    bool NoFinalLine = false;
    // Lift format codes out of assigned text.
    bool ParseCodes = true;

    // ---- the text
    int Size() const { return static_cast<int>(buffer_.size()); }
    // The whole visible text.
    std::string GetText() const { return buffer_; }
    // "" clears the buffer.
    void SetText(const std::string& Value);
    // Assigns rich text, converted to plain text with format codes.
    void SetRTF(const std::string& Value);
    void SetData(const char* Buffer, int Count);
    // From the stream's position: Count bytes, or to its end when Count is 0.
    void SetFromStream(TStream* Stream, std::int64_t Count);
    void Clear();
    // Rewinds to the start of the text.
    void Reset();
    void SetPos(int P);
    // No text left to print.
    bool Empty() const { return buffer_.empty() || Pos >= Size(); }
    // Code items move with the text after P.
    void Insert(int P, const std::string& Text);
    // The text after the gap keeps its format.
    void Delete(int P, int Count);
    // The first hit from the start of the text; a hit moves Pos onto it,
    // a miss leaves Pos where it was.
    bool Search(const std::string& Text, bool CaseMatters);
    // The next hit after Pos.
    bool SearchNext();
    // Each hit keeps the format in force where it starts.
    void ReplaceAll(const std::string& SearchText, const std::string& ReplaceText, bool CaseMatters);

    // ---- format codes
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const TRSTFItem* Item(int Index) const { return items_[static_cast<std::size_t>(Index)].get(); }
    // The format in force at a text position.
    TFormatState FormatAt(int Position) const;

    // ---- printing
    std::string GetLine(bool& EndOfParagraph) override;
    int MemoLinesLeft() override;
    double PrintLines(int Lines, bool PrintTabs) override;
    // Prints what fits into Height (report units); returns the height printed.
    double PrintHeight(double Height, bool PrintTabs);
    // Height of the remaining text, at most Limit.
    double MemoHeightMax(double Limit);
    double MemoHeight();

private:
    struct State {
        int Pos;
        bool NewParagraph, FirstWord;
    };
    State saveState() const { return {Pos, NewParagraph, FirstWord}; }
    void restoreState(const State& s);
    void checkReport() const;
    void reserveFor(std::size_t size);
    // Anchors a run at Position: merged into an item there, or replacing
    // its run when Replace is set.
    void anchorCodes(int Position, const std::string& Codes, bool Replace);
    // The next word from Pos; Start receives where its bytes begin.
    std::string nextWord(int& Start);
    // The text from..to with the runs of the items inside it.
    std::string withCodes(int From, int To) const;
    int measure(const std::string& Line) const;
    int availableWidth() const;
    // 1.2 times the largest font height of a coded line (units).
    double codedLineHeight(const std::string& Line) const;
    bool lineHeightsByFont() const;
    int findFrom(int Start) const;

    std::string buffer_;
    std::vector<std::unique_ptr<TRSTFItem>> items_;
    bool rtfPending_ = false;
    // The indents of the line GetLine built last (inches).
    double leftIndent_ = 0;
    double rightIndent_ = 0;
    std::string searchText_;
    bool searchCase_ = false;
};

// The memo buffer the data-aware report components fill from a field.
class TDBMemoBuf : public TMemoBuf {};
