#pragma once
// TRtRtfReader: reads Rich Text Format into a document, appending after a
// given paragraph. A table-driven state machine: a byte loop for groups,
// control words with signed parameters, control symbols, "\'hh" escapes,
// "\bin" data and picture hex; a table of control words naming one of four
// kinds of action; a stack of saved states, one per open group; ten
// destinations deciding what ordinary characters mean. Words not in the
// table are ignored, and a "\*" group whose first word is unknown is skipped.
//
// The input is untrusted. Reading stops at the first fault and keeps what was
// read; the fault's code is left in Result (see the codes below). Groups
// nested deeper than 1000 and input over 64 MiB stop with code 3; a picture
// over 32 MiB is dropped and reading goes on. Reading ends right after the
// "}" that closes the outermost group; the stream then stands just after it.
// After every read each paragraph read is dirty and its IndentFirst
// absolute (the first line's left edge).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "richtext/RtHeader.h"
#include "richtext/RtTextReader.h"

class TMemoryStream;
class TTextHeader;

// Result codes of an RTF read, besides those of TRtTextReader.
constexpr uint8_t rtReadUnbalanced = 1;    // more "}" than "{"
constexpr uint8_t rtReadLimit = 3;         // nesting or input size limit exceeded
constexpr uint8_t rtReadBadHex = 4;        // a "\'" escape without two hex digits
constexpr uint8_t rtReadBadKind = 5;       // a table row or special action of an unknown kind
constexpr uint8_t rtReadBadProperty = 6;   // an unknown property or input state
constexpr uint8_t rtReadTruncated = 7;     // end of data inside a word or a group, or an exception

class TRtRtfReader : public TRtTextReader {
public:
    enum TDestination : uint8_t {
        rdsNorm,
        rdsSkip,
        rdsFontTable,
        rdsColorTable,
        rdsPicture,
        rdsTitle,
        rdsComment,
        rdsSubject,
        rdsFootnote,
        rdsField,
        // Interchange with other programs: a field's instruction, and its result.
        rdsFieldInst,
        // The style sheet: the default font and size come from style 0.
        rdsStyleSheet,
    };
    enum TInState : uint8_t { risNorm, risBin, risHex };
    enum TActionKind : int32_t { actChar = 1, actDest = 2, actProp = 3, actSpecial = 4 };

    struct TControlWord {
        const char* Word;
        int32_t Default;
        bool UseDefault;
        int32_t Kind;
        int32_t Index;
    };

    // The paragraph formatting in force; TabSet is the tab bit set being built.
    struct TParProps {
        int32_t IndentFirst = 0, IndentLeft = 0, IndentRight = 0;
        int32_t SpaceBefore = 0, SpaceAfter = 0, LineSpacing = 0;
        uint8_t Align = 0;
        uint8_t ParFlags = 0;
        uint32_t TableFlags = 0;
        uint32_t TabSet = 0;
    };

    static constexpr int MaxDepth = 1000;
    static constexpr int64_t MaxInput = 64LL * 1024 * 1024;
    static constexpr int64_t MaxPicture = 32LL * 1024 * 1024;
    static constexpr int MaxCells = 50;
    static constexpr int MaxWordLetters = 29;
    static constexpr int MaxDigits = 19;

    TRtRtfReader();
    ~TRtRtfReader() override;

    // The whole control-word table, searched from the first row.
    static const std::vector<TControlWord>& ControlWords();

    // Reads the stream; Par: in, the paragraph to append after (nil: a
    // detached first paragraph is made); out, the first paragraph that
    // received text. Returns Result. Raises "Wrong Arguments in" + tab +
    // "TRtRTFReader" without Header or Text; any other exception leaves 7 in
    // Result and goes on.
    uint8_t ReadDocument(TStream* AStream, TParagraph*& Par) override;

    TTextHeader* Header = nullptr;
    TCharAttr CharProps;
    TParProps ParProps;
    // The page size, margins and colour table of the header stay as they are.
    bool KeepHeader = false;
    // A whole document is read: a "\par" with nothing after it ends the last
    // paragraph rather than opening an empty one. A pasted piece keeps it, as
    // the paragraph end it copied.
    bool WholeDocument = false;

private:
    struct TSavedState {
        TCharAttr CharProps;
        TParProps ParProps;
        TDestination Dest;
        TInState InState;
        bool TabsSet;
        bool InRow;
        int UnicodeSkip;
    };

    uint8_t parseControlWord();
    uint8_t translate(const std::string& word, bool hasParam, int32_t param);
    uint8_t handleChar(int c);
    uint8_t changeDest(int index);
    uint8_t applyProperty(int index, int32_t value);
    uint8_t special(int index, int32_t param);
    uint8_t pushState();
    uint8_t popState();
    void storeChar(int c);
    void endParagraph(bool cell);
    void finishPicture();
    void resetPicture();
    void pictureByte(uint8_t b);
    void pictureDigit(int c);
    void applyBorder(int which);
    uint32_t& borderTarget();
    // A paragraph property: in the text, to ParProps and the current paragraph; elsewhere to ParProps only.
    void setMeasure(int32_t TParProps::*field, int32_t TParagraph::*target, int32_t value);
    void setTableFlags(uint32_t flags);
    bool inText() const { return dest_ == rdsNorm || dest_ == rdsField; }
    void takeParProps(TParagraph* par, bool cell);
    bool currentParagraphEmpty() const;
    void fieldDigit(int c);
    void unicodeChar(int32_t value);
    void finishHyperlink();
    void finishAfterLoop();
    // The character attribute "\plain" gives: the document's default font and size.
    TCharAttr plainAttr() const;
    // The palette entry (1-15) nearest to a colour of the document's colour table.
    uint8_t nearestPaletteColor(int32_t index) const;
    uint8_t styleProperty(int index, int32_t value);
    int64_t bytesLeft();

    TParagraph* firstHandled_ = nullptr;
    int depth_ = 0;
    bool groupOpened_ = false;
    bool skipIfUnknown_ = false;
    int32_t binCount_ = 0;
    int32_t lastParam_ = 0;
    TDestination dest_ = rdsNorm;
    TInState inState_ = risNorm;
    int hexValue_ = 0;
    int hexDigits_ = 0;
    int32_t fontNumber_ = 0;
    std::string fontName_;
    int fontFamily_ = 0;
    int fontCharset_ = 0;
    int32_t fontMap_[99] = {};
    // "\deff": the font number of the default font; style 0's size in points (0: none given).
    int32_t defaultFontNumber_ = 0;
    uint8_t defaultFont_ = 0, defaultSize_ = 0;
    // The style being defined in the style sheet (-1: not a paragraph style).
    int32_t styleNumber_ = 0;
    // Every entry of the colour table, also those the palette has no room for.
    std::vector<TRtPaletteEntry> colorTable_;
    // The last "\sl", which a following "\slmult1" turns into a multiple of the line.
    int32_t lineSpacingWord_ = 0;
    // "\trleft" of the row being read: "\cellx" counts from the margin, cells from the row's left.
    int32_t rowLeft_ = 0;
    // The last thing read was a "\par".
    bool parEndedLast_ = false;
    std::vector<TSavedState> saveStack_;
    bool tabsSet_ = false;
    int32_t colorIndex_ = 0;
    int32_t cellRight_[MaxCells] = {};
    uint32_t cellBorder_[MaxCells + 1] = {};
    bool inRow_ = false;
    bool cellBordersSet_ = false;
    int cellCount_ = 0, cellIndex_ = 0, borderCell_ = 0;
    int cellStart_ = 0, rowWidth_ = 0;
    int32_t picWGoal_ = 0, picHGoal_ = 0, picW_ = 0, picH_ = 0, picScaleX_ = 0, picScaleY_ = 0;
    std::unique_ptr<TMemoryStream> picData_;
    std::string hexBuf_;
    uint8_t picKind_ = 0;
    bool picKindGiven_ = false;
    bool picTooLarge_ = false;
    char nibble1_ = 0;
    bool haveNibble_ = false;
    int32_t bitsPixel_ = 0, planes_ = 0, widthBytes_ = 0;
    int32_t objWidth_ = 0, objHeight_ = 0;
    uint16_t objTag_ = 0;
    bool rawMode_ = false;
    int rawMatch_ = 0;
    TStampEntry* curStamp_ = nullptr;
    uint8_t tabKind_ = 0;
    int32_t fieldCount_ = 0;
    // The insert point whose Tag the field's digits build (line and position).
    TLine* fieldLine_ = nullptr;
    int fieldPos_ = -1;
    bool fieldStandard_ = false;
    bool eatSpace_ = false;
    // A paragraph property word has been applied to the current paragraph.
    bool parTouched_ = false;
    // "\uc": fallback characters after a "\u" to drop; the count still to drop.
    int unicodeSkip_ = 1;
    int skipFallback_ = 0;
    // A HYPERLINK field: its address, and whether its result is being read.
    std::string fieldInst_;
    std::string hyperlink_;
    bool inHyperlinkResult_ = false;
    int hyperlinkDepth_ = -1;
    int64_t startPos_ = 0;
};
