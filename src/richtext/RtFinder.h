#pragma once
// TRtTextFinder: finds a pattern in a document, forwards or backwards, and
// replaces what it found. Positions are flat character offsets counted
// through the paragraphs without separators; a match never crosses a
// paragraph's end. Letters and their case come from the set's own
// Windows-1252 table. A wildcard character in the pattern stands for a run
// of characters: the pattern prefix*suffix matches from the prefix to the
// nearest following suffix, a lone wildcard matches one word when SpanEnd
// is a space.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "richtext/RtRecords.h"

class TRtRTFText;

// AttrMask conditions (the colour ones named apart from the layout's attribute masks).
constexpr uint8_t amFontAndSize = 1;
constexpr uint8_t amBold = 4;
constexpr uint8_t amUnderline = 8;
constexpr uint8_t amItalic = 16;
constexpr uint8_t amHyperlink = 32;
constexpr uint8_t amFindTextColor = 64;
constexpr uint8_t amFindBackColor = 128;
// SpecialMask conditions.
constexpr uint8_t smObject = 1;
constexpr uint8_t smInsertPoint = 2;

class TRtTextFinder : public TObject {
public:
    static constexpr int MaxPattern = 255;
    // Replace-all looks for Escape after this many replacements.
    static constexpr int CancelPollInterval = 30;

    TRtTextFinder();

    int FoundPos = 0;
    int FoundLen = 0;
    int ParStart = 0;
    bool Found = false;
    bool Backwards = false;
    std::string Pattern;
    std::string ReplaceText;
    TCharAttr ReplaceAttr;
    TRtRTFText* Text = nullptr;
    TParagraph* FirstPar = nullptr;
    uint8_t AttrMask = 0;
    uint8_t SpecialMask = 0;
    uint16_t SearchTag = 0;
    // 1 compares characters as they are; anything else without regard to case.
    uint8_t MatchCase = 0;
    char Wildcard = 0;
    char SpanEnd = 0;
    TCharAttr SearchAttr;
    TParagraph* CurPar = nullptr;
    int ParPos = 0;
    int ReplaceCount = 0;
    // Asked during replace-all whether the user cancels; Escape held down by default.
    std::function<bool()> IsCancelPressed;

    virtual int SetPosition(int Pos);
    virtual void SearchForward(const std::string& S);
    virtual void SearchBackward(const std::string& S);
    // textAttr and patternAttr may be nil (no attribute test).
    virtual bool CharMatches(char textChar, char patternChar, const TCharAttr* patternAttr,
                             const TCharAttr* textAttr);
    virtual bool IsDelimiter(char C);
    virtual bool FindNext(const std::string& S);
    virtual void ReplaceAll(const std::string& S, const std::string& Replacement);
    virtual bool FindPrev(const std::string& S);
    virtual void Clear();

    int GetFoundPos() const { return Found ? FoundPos : 0; }
    int GetFoundLen() const { return Found ? FoundLen : 0; }
    void ReplaceFound(const std::string& Replacement);
    void ResetPosition();
    void SetPos(int Pos) { SetPosition(Pos); }

private:
    struct Span {
        int Start = -1, End = -1;
        bool ok() const { return Start >= 0; }
    };
    // The paragraph searched now, flattened over its lines.
    std::string chars_;
    std::vector<TCharAttr> attrs_;

    void loadParagraph(const TParagraph* par);
    const TCharAttr* attrAt(int i) const { return attrs_.empty() ? nullptr : &attrs_[i]; }
    bool literalAt(const std::string& piece, int at);
    Span literalStep(const std::string& piece, int from);
    Span runStep(int from);
    Span matchFrom(int from);
    // Where a search walks from: a paragraph, its flat start and the offset in it.
    struct Walk {
        TParagraph* Par;
        int ParStart;
        int Pos;
    };
    // Takes the pattern and forgets the last match; the walk starts at the current place.
    Walk beginSearch(const std::string& S);
    // The match m in par (which starts at parStart) becomes the found place.
    void setFound(TParagraph* par, int parStart, Span m);
    static int paragraphLength(const TParagraph* par);
};
