#include "richtext/RtRtfReader.h"

#include <algorithm>
#include <cstring>

#include "base/Exceptions.h"
#include "base/Streams.h"
#include "richtext/RtChars.h"
#include "richtext/RtHeader.h"
#include "richtext/RtProgress.h"
#include "richtext/RtRtfTxt.h"
#include "ui/BitmapBits.h"
#include "ui/Metafile.h"
#include "ui/Text1252.h"

namespace {

constexpr int firstLineCapacity = 60;
constexpr int followingLineCapacity = 200;
constexpr int lineReserve = 4;
constexpr int hexFlushSize = 1024;
constexpr int maxFontName = 255;
constexpr int maxFieldInstruction = 2048;
constexpr int maxUnicodeSkip = 255;
constexpr char rawEndMarker[] = "\\rtrtf0";
constexpr int rawEndLength = 7;
// A line feed inside a paragraph, as the word "line" hands it over.
constexpr int lineBreakCode = 1010;
// Colour-table entries kept for "\highlight"; a longer table is cut.
constexpr size_t maxColorTable = 4096;
// "\slN\slmult1": N in 240ths of a single line, which is about 1.15 times the font size.
constexpr int32_t singleLineSpacing = 240;
constexpr int32_t lineHeightPercent = 115;
constexpr int32_t twipsPerPoint = 20;
constexpr int32_t fallbackPointSize = 10;
// "\up" and "\dn" without a number move by half points; only the direction is kept.
constexpr int32_t shiftDefault = 6;

// Property numbers of the table.
enum Prop {
    pBold = 1, pItalic = 2, pUnderline = 3, pIndentLeft = 4, pIndentRight = 5, pIndentFirst = 6,
    pCols = 7, pPgnX = 8, pPgnY = 9, pPaperW = 10, pPaperH = 11, pMargL = 12, pMargR = 13, pMargT = 14,
    pMargB = 15, pPgnStart = 16, pSectionBreak = 17, pPageNumbers = 18, pFacing = 19, pLandscape = 20,
    pAlign = 21, pPard = 22, pPlain = 23, pPar = 25, pFont = 26, pFontSize = 27, pTextColor = 28,
    pBackColor = 29, pDoubleUnderline = 30, pShadow = 31, pTab = 32, pPage = 33, pBorder = 34,
    pBorderWidth = 35, pBorderSpace = 36, pBorderColor = 37, pRed = 38, pGreen = 39, pBlue = 40,
    pSpaceBefore = 41, pLineSpacing = 42, pSpaceAfter = 43, pStrike = 44, pRowDefaults = 45, pCellX = 46,
    pRow = 47, pCell = 48, pInTable = 49, pInsertPoint = 50, pAutomatic = 51, pHidden = 52,
    pNoSuperSub = 53, pSuper = 54, pSub = 55, pWBitmap = 56, pDIBitmap = 57, pWMetafile = 58,
    pPicW = 59, pPicH = 60, pPicWGoal = 61, pPicHGoal = 62, pBitsPixel = 63, pPlanes = 64,
    pWidthBytes = 65, pObjTag = 66, pObjWidth = 67, pObjHeight = 68, pRtfCode = 69, pFootnoteNumber = 70,
    pTabKind = 71, pRowGap = 72, pRowLeft = 73, pPicScaleX = 74, pPicScaleY = 75,
    // Interchange with other programs.
    pUnicode = 80, pUnicodeSkip = 81, pFontFamily = 82, pFontCharset = 83, pLineMultiple = 84, pUp = 85,
    pDown = 86, pHighlight = 87, pPageBreakBefore = 88, pDefaultFont = 89, pStyle = 90, pOtherStyle = 91,
};

enum Dest {
    dSkip = 2, dFontTable = 3, dColorTable = 4, dPicture = 5, dTitle = 6, dComment = 7, dSubject = 8,
    dFootnote = 9, dField = 10, dFieldInst = 11, dFieldResult = 12, dStyleSheet = 13,
};

enum Special { sBin = 1, sHex = 2, sSkipIfUnknown = 3 };

using Row = TRtRtfReader::TControlWord;
constexpr int32_t C = TRtRtfReader::actChar;
constexpr int32_t D = TRtRtfReader::actDest;
constexpr int32_t P = TRtRtfReader::actProp;
constexpr int32_t S = TRtRtfReader::actSpecial;

std::vector<Row> makeTable() {
    return {
        {"b", 1, false, P, pBold},
        {"i", 1, false, P, pItalic},
        {"ul", 1, false, P, pUnderline},
        {"uldb", 1, false, P, pDoubleUnderline},
        {"strike", 1, false, P, pStrike},
        {"super", 1, false, P, pSuper},
        {"sub", 1, false, P, pSub},
        {"nosupersub", 1, false, P, pNoSuperSub},
        {"v", 1, false, P, pHidden},
        {"shad", 1, false, P, pShadow},
        {"rtrtf", 1, false, P, pRtfCode},
        {"inspnt", 0, false, P, pInsertPoint},
        {"inaut", 1, false, P, pAutomatic},
        {"plain", 0, false, P, pPlain},
        {"f", 0, false, P, pFont},
        {"fs", 100, false, P, pFontSize},
        {"cf", 0, false, P, pTextColor},
        {"cb", 0, false, P, pBackColor},
        {"red", 0, false, P, pRed},
        {"green", 0, false, P, pGreen},
        {"blue", 0, false, P, pBlue},
        {"li", 0, false, P, pIndentLeft},
        {"ri", 0, false, P, pIndentRight},
        {"fi", 0, false, P, pIndentFirst},
        {"sb", 0, false, P, pSpaceBefore},
        {"sa", 0, false, P, pSpaceAfter},
        {"sl", 0, false, P, pLineSpacing},
        {"ql", 0, true, P, pAlign},
        {"qr", 1, true, P, pAlign},
        {"qc", 2, true, P, pAlign},
        {"qj", 3, true, P, pAlign},
        {"pard", 0, true, P, pPard},
        {"par", 0, false, P, pPar},
        {"page", 0, false, P, pPage},
        {"tx", 0, false, P, pTab},
        {"tqr", 1, false, P, pTabKind},
        {"tqc", 2, false, P, pTabKind},
        {"tqdec", 3, false, P, pTabKind},
        {"paperw", 12240, false, P, pPaperW},
        {"paperh", 15480, false, P, pPaperH},
        {"margl", 1800, false, P, pMargL},
        {"margr", 1800, false, P, pMargR},
        {"margt", 1440, false, P, pMargT},
        {"margb", 1440, false, P, pMargB},
        {"facingp", 1, true, P, pFacing},
        {"landscape", 1, true, P, pLandscape},
        {"trowd", 0, false, P, pRowDefaults},
        {"intbl", 0, false, P, pInTable},
        {"cellx", 0, false, P, pCellX},
        {"cell", 0, false, P, pCell},
        {"row", 0, false, P, pRow},
        {"trleft", 0, false, P, pRowLeft},
        {"trgaph", 0, false, P, pRowGap},
        {"box", 0, true, P, pBorder},
        {"brdrt", 1, true, P, pBorder},
        {"clbrdrt", 1, true, P, pBorder},
        {"brdrl", 2, true, P, pBorder},
        {"clbrdrl", 2, true, P, pBorder},
        {"brdrb", 3, true, P, pBorder},
        {"clbrdrb", 3, true, P, pBorder},
        {"brdrr", 4, true, P, pBorder},
        {"clbrdrr", 4, true, P, pBorder},
        {"brdrdb", 5, true, P, pBorder},
        {"brdrdot", 6, true, P, pBorder},
        {"brdrtablin", 9, true, P, pBorder},
        {"brdrw", 0, false, P, pBorderWidth},
        {"brsp", 0, false, P, pBorderSpace},
        {"brdrcf", 0, false, P, pBorderColor},
        {"wbitmap", 0, false, P, pWBitmap},
        {"dibitmap", 0, false, P, pDIBitmap},
        {"wmetafile", 0, false, P, pWMetafile},
        {"picw", 0, false, P, pPicW},
        {"pich", 0, false, P, pPicH},
        {"picwgoal", 0, false, P, pPicWGoal},
        {"pichgoal", 0, false, P, pPicHGoal},
        {"picscalex", 100, false, P, pPicScaleX},
        {"picscaley", 100, false, P, pPicScaleY},
        {"wbmbitspixel", 0, false, P, pBitsPixel},
        {"wbmplanes", 1, true, P, pPlanes},
        {"wbmwidthbytes", 0, false, P, pWidthBytes},
        {"rtobjtag", 0, false, P, pObjTag},
        {"rtobjw", 0, false, P, pObjWidth},
        {"rtobjh", 0, false, P, pObjHeight},
        {"rtfnnr", 0, false, P, pFootnoteNumber},
        {"cols", 1, false, P, pCols},
        {"pgnx", 0, false, P, pPgnX},
        {"pgny", 0, false, P, pPgnY},
        {"pgnstart", 1, true, P, pPgnStart},
        {"sbknone", 0, true, P, pSectionBreak},
        {"sbkcol", 1, true, P, pSectionBreak},
        {"sbkeven", 2, true, P, pSectionBreak},
        {"sbkodd", 3, true, P, pSectionBreak},
        {"sbkpage", 4, true, P, pSectionBreak},
        {"pgndec", 1, true, P, pPageNumbers},
        {"pgnucrm", 2, true, P, pPageNumbers},
        {"pgnlcrm", 3, true, P, pPageNumbers},
        {"pgnucltr", 4, true, P, pPageNumbers},
        {"pgnlcltr", 5, true, P, pPageNumbers},
        {"u", 0, false, P, pUnicode},
        {"uc", 1, false, P, pUnicodeSkip},
        {"fnil", 0x00, true, P, pFontFamily},
        {"froman", 0x10, true, P, pFontFamily},
        {"fswiss", 0x20, true, P, pFontFamily},
        {"fmodern", 0x30, true, P, pFontFamily},
        {"fscript", 0x40, true, P, pFontFamily},
        {"fdecor", 0x50, true, P, pFontFamily},
        {"fcharset", 0, false, P, pFontCharset},
        {"slmult", 0, false, P, pLineMultiple},
        {"up", shiftDefault, false, P, pUp},
        {"dn", shiftDefault, false, P, pDown},
        {"highlight", 0, false, P, pHighlight},
        {"chcbpat", 0, false, P, pHighlight},
        {"pagebb", 1, false, P, pPageBreakBefore},
        {"deff", 0, false, P, pDefaultFont},
        {"s", 0, false, P, pStyle},
        {"cs", 0, false, P, pOtherStyle},
        {"ds", 0, false, P, pOtherStyle},
        {"ts", 0, false, P, pOtherStyle},
        {"line", 0, false, C, lineBreakCode},
        {"tab", 0, false, C, '\t'},
        {"ldblquote", 0, false, C, '"'},
        {"rdblquote", 0, false, C, '"'},
        {"author", 0, false, D, dSkip},
        {"buptim", 0, false, D, dSkip},
        {"creatim", 0, false, D, dSkip},
        {"doccomm", 0, false, D, dSkip},
        {"footer", 0, false, D, dSkip},
        {"footerf", 0, false, D, dSkip},
        {"footerl", 0, false, D, dSkip},
        {"footerr", 0, false, D, dSkip},
        {"ftncn", 0, false, D, dSkip},
        {"ftnsep", 0, false, D, dSkip},
        {"ftnsepc", 0, false, D, dSkip},
        {"header", 0, false, D, dSkip},
        {"headerf", 0, false, D, dSkip},
        {"headerl", 0, false, D, dSkip},
        {"headerr", 0, false, D, dSkip},
        {"info", 0, false, D, dSkip},
        {"keywords", 0, false, D, dSkip},
        {"operator", 0, false, D, dSkip},
        {"printim", 0, false, D, dSkip},
        {"private1", 0, false, D, dSkip},
        {"revtim", 0, false, D, dSkip},
        {"rxe", 0, false, D, dSkip},
        {"stylesheet", 0, false, D, dStyleSheet},
        {"tc", 0, false, D, dSkip},
        {"fonttbl", 0, false, D, dFontTable},
        {"colortbl", 0, false, D, dColorTable},
        {"pict", 0, false, D, dPicture},
        {"title", 0, false, D, dTitle},
        {"comment", 0, false, D, dComment},
        {"subject", 0, false, D, dSubject},
        {"footnote", 0, false, D, dFootnote},
        {"field", 0, false, D, dField},
        {"fldinst", 0, false, D, dFieldInst},
        {"fldrslt", 0, false, D, dFieldResult},
        {"bin", 0, false, S, sBin},
        {"'", 0, false, S, sHex},
        {"*", 0, false, S, sSkipIfUnknown},
    };
}

int hexValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool setBit(uint8_t& bits, uint8_t bit, bool on) {
    bits = on ? static_cast<uint8_t>(bits | bit) : static_cast<uint8_t>(bits & ~bit);
    return on;
}

// The address of a HYPERLINK field instruction: its first quoted text, or its first word.
std::string hyperlinkAddress(const std::string& instruction) {
    size_t at = instruction.find_first_not_of(" \t");
    if (at == std::string::npos || instruction.compare(at, 9, "HYPERLINK") != 0) return std::string();
    at = instruction.find_first_not_of(" \t", at + 9);
    if (at == std::string::npos) return std::string();
    if (instruction[at] == '"') {
        size_t end = instruction.find('"', at + 1);
        return instruction.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    }
    size_t end = instruction.find_first_of(" \t", at);
    return instruction.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

}  // namespace

const std::vector<TRtRtfReader::TControlWord>& TRtRtfReader::ControlWords() {
    static const std::vector<TControlWord> table = makeTable();
    return table;
}

TRtRtfReader::TRtRtfReader() = default;
TRtRtfReader::~TRtRtfReader() = default;

int64_t TRtRtfReader::bytesLeft() {
    if (!Stream) return 0;
    return std::max<int64_t>(0, Stream->Size() - consumedPosition());
}

// ---------------------------------------------------------------- the byte loop

uint8_t TRtRtfReader::ReadDocument(TStream* AStream, TParagraph*& Par) {
    Result = rtReadOk;
    if (!Stream) SetStream(AStream);
    if (!Header || !Text) throw Exception("Wrong Arguments in\tTRtRTFReader");
    startPos_ = Stream ? consumedPosition() : 0;
    bool progressOpen = false;
    uint8_t r = rtReadOk;
    try {
        int64_t size = Stream ? std::max<int64_t>(0, Stream->Size() - startPos_) : 0;
        int step = BeginProgress(static_cast<int>(std::min<int64_t>(size, INT32_MAX)));
        progressOpen = true;
        if (!CurPar) {
            Text->NewParagraph(CurPar, firstLineCapacity);
            tabsSet_ = false;
            CurLine = CurPar->FirstLine;
            LinePos = 0;
        } else {
            tabsSet_ = true;
            CurLine = TRtRTFText::Get_LastLine(CurPar);
            LinePos = CurLine->Length;
        }
        ParChars = 0;
        firstHandled_ = CurPar;
        Par = CurPar;
        if (MarkAutomatic) CharProps.Special |= spAutomatic;
        depth_ = 0;
        tabKind_ = 0;
        groupOpened_ = false;
        haveNibble_ = false;
        int64_t reported = consumedPosition();
        for (;;) {
            int c = ReadChar();
            if (c < 0) {
                // The data ended inside a group: the document is cut short.
                if (depth_ > 0) r = rtReadTruncated;
                break;
            }
            if (consumedPosition() - startPos_ > MaxInput) {
                r = rtReadLimit;
                break;
            }
            if (consumedPosition() - reported > step) {
                reported = consumedPosition();
                ProgressStep(static_cast<int>(std::min<int64_t>(reported - startPos_, INT32_MAX)));
            }
            if (inState_ == risBin) {
                r = handleChar(c);
            } else if (rawMode_) {
                if (c == rawEndMarker[rawMatch_]) {
                    if (++rawMatch_ == rawEndLength) {
                        rawMode_ = false;
                        rawMatch_ = 0;
                        CharProps.Special &= static_cast<uint8_t>(~spRtfCode);
                        eatSpace_ = true;
                    }
                } else {
                    for (int i = 0; i < rawMatch_ && !r; ++i) r = handleChar(static_cast<unsigned char>(rawEndMarker[i]));
                    rawMatch_ = 0;
                    if (c == rawEndMarker[0]) rawMatch_ = 1;
                    else if (!r) r = handleChar(c);
                }
            } else if (inState_ == risHex) {
                int v = hexValue(c);
                if (v < 0) {
                    r = rtReadBadHex;
                } else if (++hexDigits_ == 1) {
                    hexValue_ = v;
                } else {
                    inState_ = risNorm;
                    hexDigits_ = 0;
                    r = handleChar(hexValue_ * 16 + v);
                }
            } else if (dest_ == rdsPicture && hexValue(c) >= 0) {
                pictureDigit(c);
            } else if (eatSpace_ && c == ' ') {
                eatSpace_ = false;
            } else {
                eatSpace_ = false;
                if (dest_ == rdsColorTable && c == ';') {
                    ++colorIndex_;
                    if (colorTable_.size() < maxColorTable) colorTable_.emplace_back();
                    if (colorIndex_ >= 0 && colorIndex_ < rtColorCount - 1 && !KeepHeader)
                        Header->Palette[colorIndex_] = TRtPaletteEntry{};
                }
                switch (c) {
                case 0: break;
                case '\t':
                case '\n':
                case '\r': break;
                case '{':
                    groupOpened_ = true;
                    r = pushState();
                    break;
                case '}':
                    if (dest_ == rdsPicture) finishPicture();
                    r = popState();
                    break;
                case '\\': r = parseControlWord(); break;
                default: r = handleChar(c); break;
                }
                if (c == 0) break;
            }
            if (r != rtReadOk) break;
            if (depth_ == 0 && groupOpened_) break;
        }
        Result = r;
        finishAfterLoop();
        EndProgress();
        SyncStream();
    } catch (...) {
        Result = rtReadTruncated;
        resetPicture();
        try {
            finishAfterLoop();
        } catch (...) {
        }
        if (progressOpen) EndProgress();
        SyncStream();
        throw;
    }
    return Result;
}

void TRtRtfReader::finishAfterLoop() {
    for (TParagraph* p = firstHandled_; p; p = p->Next) {
        p->Dirty |= dfAll;
        p->IndentFirst += p->IndentLeft;
    }
    if (CurPar) TrimLines();
    // "\par" closes a paragraph; in a whole document it opens no empty one after the last.
    if (WholeDocument && parEndedLast_ && CurPar && CurPar->Prev && currentParagraphEmpty() &&
        !CurPar->FirstLine->Next) {
        TParagraph* last = CurPar;
        CurPar = last->Prev;
        CurLine = TRtRTFText::Get_LastLine(CurPar);
        Text->RemoveLine(last, last->FirstLine);
    }
    firstHandled_ = nullptr;
}

// ---------------------------------------------------------------- control words

uint8_t TRtRtfReader::parseControlWord() {
    int c = ReadChar();
    if (c < 0) return rtReadTruncated;
    if (c < 'a' || c > 'z') return translate(std::string(1, static_cast<char>(c)), false, 0);
    std::string word;
    while (c >= 'a' && c <= 'z') {
        if (static_cast<int>(word.size()) < MaxWordLetters) word += static_cast<char>(c);
        c = ReadChar();
    }
    bool negative = false;
    if (c == '-') {
        negative = true;
        c = ReadChar();
        if (c < 0) return rtReadTruncated;
    }
    std::string digits;
    while (c >= '0' && c <= '9') {
        if (static_cast<int>(digits.size()) < MaxDigits) digits += static_cast<char>(c);
        c = ReadChar();
    }
    bool hasParam = !digits.empty();
    int32_t param = 0;
    if (hasParam) {
        long long v = std::stoll(digits);
        if (negative) v = -v;
        // A number beyond 32 bits cannot be a parameter.
        if (v > INT32_MAX || v < INT32_MIN) return rtReadTruncated;
        param = static_cast<int32_t>(v);
        lastParam_ = param;
    }
    if (c >= 0 && c != ' ') UnreadChar();
    return translate(word, hasParam, param);
}

uint8_t TRtRtfReader::translate(const std::string& word, bool hasParam, int32_t param) {
    if (word == "'") {
        inState_ = risHex;
        hexDigits_ = 0;
        return rtReadOk;
    }
    if (word == "{" || word == "}" || word == "\\") return handleChar(static_cast<unsigned char>(word[0]));
    // A backslash before a line end ends the paragraph.
    if (word == "\n" || word == "\r") {
        skipIfUnknown_ = false;
        return dest_ == rdsSkip ? rtReadOk : applyProperty(pPar, 0);
    }
    const TControlWord* row = nullptr;
    for (const TControlWord& w : ControlWords())
        if (word == w.Word) {
            row = &w;
            break;
        }
    if (!row) {
        if (skipIfUnknown_) dest_ = rdsSkip;
        skipIfUnknown_ = false;
        return rtReadOk;
    }
    skipIfUnknown_ = false;
    int32_t value = (row->UseDefault || !hasParam) ? row->Default : param;
    switch (row->Kind) {
    case actChar: return handleChar(row->Index);
    case actDest: return changeDest(row->Index);
    case actProp: return dest_ == rdsSkip ? rtReadOk : applyProperty(row->Index, value);
    case actSpecial: return special(row->Index, hasParam ? param : 0);
    default: return rtReadBadKind;
    }
}

uint8_t TRtRtfReader::special(int index, int32_t param) {
    if (index == sBin) {
        // The count never reaches beyond the data; the bytes are taken unparsed in every destination.
        binCount_ = static_cast<int32_t>(std::clamp<int64_t>(param, 0, bytesLeft()));
        inState_ = binCount_ > 0 ? risBin : risNorm;
        return rtReadOk;
    }
    if (dest_ == rdsSkip) return rtReadOk;
    switch (index) {
    case sHex:
        inState_ = risHex;
        hexDigits_ = 0;
        return rtReadOk;
    case sSkipIfUnknown: skipIfUnknown_ = true; return rtReadOk;
    default: return rtReadBadKind;
    }
}

// ---------------------------------------------------------------- groups

uint8_t TRtRtfReader::pushState() {
    if (depth_ >= MaxDepth) return rtReadLimit;
    saveStack_.push_back({CharProps, ParProps, dest_, inState_, tabsSet_, inRow_, unicodeSkip_});
    inState_ = risNorm;
    // A style without "\s" is style 0.
    if (dest_ == rdsStyleSheet) styleNumber_ = 0;
    ++depth_;
    return rtReadOk;
}

uint8_t TRtRtfReader::popState() {
    if (saveStack_.empty()) return rtReadUnbalanced;
    const TSavedState& s = saveStack_.back();
    bool empty = currentParagraphEmpty();
    // The text after the font table and the style sheet starts in the document's default font.
    bool defaultsRead = (dest_ == rdsFontTable || dest_ == rdsStyleSheet) && s.Dest == rdsNorm;
    // A box that was opened inside this group ends with its last paragraph.
    if (!(s.ParProps.TableFlags & tfBorder)) {
        TParagraph* last = empty ? CurPar->Prev : CurPar;
        if (last && (last->TableFlags & tfBorder)) last->TableFlags |= tfBoxEnds;
    }
    CharProps = s.CharProps;
    ParProps = s.ParProps;
    dest_ = s.Dest;
    inState_ = s.InState;
    tabsSet_ = s.TabsSet;
    inRow_ = s.InRow;
    unicodeSkip_ = s.UnicodeSkip;
    saveStack_.pop_back();
    if (defaultsRead) {
        CharProps.Font = defaultFont_;
        if (defaultSize_) CharProps.Size = defaultSize_;
    }
    if (cellBordersSet_) CurPar->TableFlags = 0;
    // A paragraph without text or formatting of its own yet takes the formatting in force again.
    if (empty && !parTouched_ && !inRow_ && !(CurPar->ParFlags & pfTableCell)) takeParProps(CurPar, false);
    skipFallback_ = 0;
    --depth_;
    if (inHyperlinkResult_ && depth_ < hyperlinkDepth_) finishHyperlink();
    return depth_ < 0 ? rtReadUnbalanced : rtReadOk;
}

bool TRtRtfReader::currentParagraphEmpty() const {
    return CurPar && CurLine == CurPar->FirstLine && LinePos == 0 && CurPar != firstHandled_;
}

// ---------------------------------------------------------------- destinations

uint8_t TRtRtfReader::changeDest(int index) {
    fieldCount_ = 0;
    if (dest_ == rdsSkip) return rtReadOk;
    switch (index) {
    case dFontTable: dest_ = rdsFontTable; break;
    case dColorTable:
        dest_ = rdsColorTable;
        colorIndex_ = 0;
        colorTable_.assign(1, TRtPaletteEntry{});
        break;
    case dPicture:
        resetPicture();
        picData_ = std::make_unique<TMemoryStream>();
        dest_ = rdsPicture;
        break;
    case dTitle: dest_ = Header->Title.empty() ? rdsTitle : rdsSkip; break;
    case dComment: dest_ = Header->Comment.empty() ? rdsComment : rdsSkip; break;
    case dSubject: dest_ = Header->Subject.empty() ? rdsSubject : rdsSkip; break;
    case dFootnote:
        if (CurLine) {
            char mark = LinePos > 0 ? CurLine->Text[LinePos - 1] : '?';
            curStamp_ = Text->AddStamp(static_cast<uint8_t>(mark), 1, std::string());
            dest_ = rdsFootnote;
            if (LinePos > 0 && CurLine->Attr) {
                TCharAttr& a = CurLine->Attr[LinePos - 1];
                a.Tag = curStamp_->Number;
                a.Special |= spFootnote;
                a.Style &= static_cast<uint8_t>(~stSuperscript);
            }
        } else {
            dest_ = rdsSkip;
        }
        break;
    case dField:
        if (CurLine) {
            dest_ = rdsField;
            fieldStandard_ = false;
            fieldLine_ = nullptr;
        }
        break;
    case dStyleSheet: dest_ = rdsStyleSheet; break;
    case dFieldInst:
        fieldStandard_ = true;
        fieldInst_.clear();
        dest_ = rdsFieldInst;
        break;
    case dFieldResult:
        dest_ = rdsNorm;
        hyperlink_ = hyperlinkAddress(fieldInst_);
        fieldInst_.clear();
        if (!hyperlink_.empty() && !inHyperlinkResult_) {
            inHyperlinkResult_ = true;
            hyperlinkDepth_ = depth_;
        }
        break;
    default: dest_ = rdsSkip; break;
    }
    return rtReadOk;
}

void TRtRtfReader::finishHyperlink() {
    inHyperlinkResult_ = false;
    hyperlinkDepth_ = -1;
    TCharAttr keep = CharProps;
    CharProps.Special |= spHidden;
    CharProps.Style &= static_cast<uint8_t>(~stHyperlink);
    for (char c : hyperlink_) storeChar(static_cast<unsigned char>(c));
    CharProps = keep;
    hyperlink_.clear();
}

// ---------------------------------------------------------------- characters

uint8_t TRtRtfReader::handleChar(int c) {
    if (inState_ == risBin) {
        if (--binCount_ <= 0) inState_ = risNorm;
        if (dest_ == rdsPicture) {
            pictureByte(static_cast<uint8_t>(c));
            return rtReadOk;
        }
    }
    if (skipFallback_ > 0) {
        --skipFallback_;
        return rtReadOk;
    }
    switch (dest_) {
    case rdsNorm: storeChar(c); break;
    case rdsSkip:
    case rdsStyleSheet:
    case rdsColorTable: break;
    case rdsFontTable:
        if (c == ';') {
            if (fontNumber_ >= 0 && fontNumber_ < rtFontsUsable) {
                int index = Header->AddFont(fontName_);
                fontMap_[fontNumber_] = index;
                if (RtSameTextIgnoringCase(Header->FontName[index].substr(0, rtFontNameMax),
                                           fontName_.substr(0, rtFontNameMax))) {
                    Header->FontFamily[index] = fontFamily_;
                    Header->FontCharset[index] = fontCharset_;
                }
                if (fontNumber_ == defaultFontNumber_) defaultFont_ = static_cast<uint8_t>(fontMap_[fontNumber_]);
            }
            fontNumber_ = 0;
            fontName_.clear();
            fontFamily_ = 0;
            fontCharset_ = 0;
        } else if (static_cast<int>(fontName_.size()) < maxFontName && c > 0 && c < 256) {
            fontName_ += static_cast<char>(c);
        }
        break;
    case rdsPicture:
        if (hexValue(c) >= 0) pictureDigit(c);
        break;
    case rdsTitle:
    case rdsComment:
    case rdsSubject: {
        std::string& s = dest_ == rdsTitle ? Header->Title : dest_ == rdsComment ? Header->Comment : Header->Subject;
        if (c > 0 && c < 256) s += static_cast<char>(c);
        else if (c == lineBreakCode) s += '\n';
        break;
    }
    case rdsFootnote:
        if (curStamp_ && c > 0 && c < 256) {
            if (curStamp_->Text.empty() && (c == curStamp_->Kind || c == ' ')) break;
            curStamp_->Text += static_cast<char>(c);
        }
        break;
    case rdsField:
        if (!fieldStandard_) fieldDigit(c);
        break;
    case rdsFieldInst:
        if (static_cast<int>(fieldInst_.size()) < maxFieldInstruction && c > 0 && c < 256)
            fieldInst_ += static_cast<char>(c);
        break;
    }
    return rtReadOk;
}

void TRtRtfReader::fieldDigit(int c) {
    if (fieldCount_++ == 0) {
        TCharAttr keep = CharProps;
        CharProps.Special |= spInsertPoint;
        storeChar(c);
        CharProps = keep;
        if (LinePos > 0 && CurLine->Attr) {
            fieldLine_ = CurLine;
            fieldPos_ = LinePos - 1;
            CurLine->Attr[fieldPos_].Tag = 0;
        }
        return;
    }
    if (!fieldLine_ || fieldPos_ >= fieldLine_->Length || !fieldLine_->Attr) return;
    if (c >= '0' && c <= '9') {
        uint16_t& tag = fieldLine_->Attr[fieldPos_].Tag;
        tag = static_cast<uint16_t>(tag * 10 + (c - '0'));
    } else {
        fieldLine_ = nullptr;
    }
}

void TRtRtfReader::storeChar(int c) {
    if (c == '\n' || c == '\r' || c <= 0) return;
    parEndedLast_ = false;
    if (c == lineBreakCode) c = '\n';
    if (c > 255) return;
    if (LinePos >= CurLine->Capacity - lineReserve) {
        if (CurLine->Capacity < rtMaxLineLength) {
            Text->GrowLine(CurLine, std::min(CurLine->Capacity * 2, rtMaxLineLength));
        } else {
            // A line never exceeds its cap: the paragraph goes on in a new line.
            Text->NewLine(CurLine, followingLineCapacity);
            LinePos = 0;
        }
    }
    TCharAttr attr = CharProps;
    if (MarkAutomatic) attr.Special |= spAutomatic;
    if (inHyperlinkResult_) attr.Style |= stHyperlink;
    if (c == rtObjectByTag) {
        attr.Special |= spObject;
        if (TObjectEntry* e = Text->AddObject(nullptr, objTag_)) {
            attr.Tag = e->Tag;
            e->WidthTw = objWidth_;
            e->HeightTw = objHeight_;
            e->ByReference = e->Tag != 0;
            e->Used = 1;
        }
    }
    appendToLine(static_cast<char>(c), attr);
}

void TRtRtfReader::unicodeChar(int32_t value) {
    if (value < -32768 || value > 65535) return;
    uint32_t codePoint = static_cast<uint32_t>(value < 0 ? value + 65536 : value);
    int byte = codePointTo1252(codePoint);
    // Without a Windows-1252 byte the fallback that follows is kept.
    if (byte <= 0) return;
    handleChar(byte);
    skipFallback_ = unicodeSkip_;
}

// ---------------------------------------------------------------- paragraphs

void TRtRtfReader::takeParProps(TParagraph* par, bool cell) {
    par->IndentLeft = ParProps.IndentLeft;
    par->IndentFirst = ParProps.IndentFirst;
    if (!inRow_) par->IndentRight = ParProps.IndentRight;
    par->SpaceBefore = ParProps.SpaceBefore;
    par->SpaceAfter = ParProps.SpaceAfter;
    par->LineSpacing = ParProps.LineSpacing;
    par->Align = ParProps.Align;
    if (!(par->ParFlags & pfTableCell)) par->TabSet = ParProps.TabSet;
    if (!cell) par->TableFlags = ParProps.TableFlags;
}

void TRtRtfReader::endParagraph(bool cell) {
    TParagraph* p = CurPar;
    bool closesCell = cell && inRow_;
    if (closesCell) {
        int width = 10;
        if (cellIndex_ < cellCount_ && cellRight_[cellIndex_] > 0 && rowWidth_ > 0)
            width = std::max(1, RtMulDiv(255, cellRight_[cellIndex_], rowWidth_) - cellStart_);
        int start = std::clamp(cellStart_, 0, 255);
        width = std::clamp(width, 1, 255);
        p->TableFlags = cellBorder_[std::min(cellIndex_, MaxCells)] | tfBoxEnds;
        p->TabSet = static_cast<uint32_t>(start) | (static_cast<uint32_t>(width) << 8);
        cellStart_ += width;
        p->IndentRight = std::max(0, Header->PageWidth - Header->MarginLeft - Header->MarginRight - rowWidth_);
        p->ParFlags |= pfTableCell | pfCellFollows;
        if (cellIndex_ > 0) p->ParFlags |= pfNotFirstCell;
        if (cellIndex_ <= MaxCells) ++cellIndex_;
    } else if (inRow_) {
        // A cell holds one paragraph: a paragraph end inside it is a space.
        storeChar(' ');
    }
    takeParProps(p, closesCell || (p->ParFlags & pfTableCell));
    TrimLines();
    Text->NewParagraph(CurPar, firstLineCapacity);
    CurPar->ParFlags = 0;
    CurLine = CurPar->FirstLine;
    LinePos = 0;
    ParChars = 0;
    takeParProps(CurPar, false);
    if (inRow_) CurPar->TableFlags = cellBorder_[std::min(cellIndex_, MaxCells)];
    tabsSet_ = false;
    parTouched_ = false;
    parEndedLast_ = !cell && !inRow_;
}

void TRtRtfReader::setMeasure(int32_t TParProps::*field, int32_t TParagraph::*target, int32_t value) {
    ParProps.*field = value;
    if (inText()) {
        CurPar->*target = value;
        parTouched_ = true;
    }
}

void TRtRtfReader::setTableFlags(uint32_t flags) {
    ParProps.TableFlags = flags;
    if (inText()) {
        CurPar->TableFlags = flags;
        parTouched_ = true;
    }
}

uint32_t& TRtRtfReader::borderTarget() {
    return inRow_ ? cellBorder_[std::clamp(borderCell_, 0, MaxCells)] : ParProps.TableFlags;
}

void TRtRtfReader::applyBorder(int which) {
    uint32_t add;
    switch (which) {
    case 0: add = tfAllSides | tfBorder; break;
    case 1: add = tfTop | tfBorder; break;
    case 2: add = tfLeft | tfBorder; break;
    case 3: add = tfBottom | tfBorder; break;
    case 4: add = tfRight | tfBorder; break;
    case 5: add = tfDouble | tfBorder; break;
    case 6: add = tfDotted | tfBorder; break;
    case 9: add = tfTableLines | tfBorder; break;
    default: add = tfBorder; break;
    }
    if (!inRow_) {
        setTableFlags(ParProps.TableFlags | add);
        return;
    }
    cellBordersSet_ = true;
    uint32_t& w = borderTarget();
    w |= add;
    constexpr uint32_t sides = tfTop | tfBottom | tfLeft | tfRight;
    if ((w & sides) == sides) w |= tfAllSides;
    w |= tfBoxEnds;
}

// ---------------------------------------------------------------- properties

uint8_t TRtRtfReader::applyProperty(int index, int32_t value) {
    if (dest_ == rdsStyleSheet) return styleProperty(index, value);
    TTextHeader& h = *Header;
    bool on = value != 0;
    switch (index) {
    case pBold: setBit(CharProps.Style, stBold, on); break;
    case pItalic: setBit(CharProps.Style, stItalic, on); break;
    case pUnderline: setBit(CharProps.Style, stUnderline, on); break;
    case pDoubleUnderline: setBit(CharProps.Style, stHyperlink, on); break;
    case pStrike: setBit(CharProps.Style, stStrikeOut, on); break;
    case pSuper:
        if (dest_ == rdsNorm) setBit(CharProps.Style, stSuperscript, on);
        break;
    case pSub: setBit(CharProps.Style, stSubscript, on); break;
    case pNoSuperSub: CharProps.Style &= static_cast<uint8_t>(~(stSuperscript | stSubscript)); break;
    case pUp:
    case pDown:
        // Raised or lowered text is superscript or subscript; 0 ends either.
        if (dest_ != rdsNorm) break;
        CharProps.Style &= static_cast<uint8_t>(~(stSuperscript | stSubscript));
        if (value > 0) CharProps.Style |= index == pUp ? stSuperscript : stSubscript;
        break;
    case pHighlight:
        CharProps.Colors = static_cast<uint8_t>((CharProps.Colors & 0x0F) | (nearestPaletteColor(value) << 4));
        break;
    case pHidden: setBit(CharProps.Special, spHidden, on); break;
    case pShadow: setBit(CharProps.Special, spProtected, on); break;
    case pRtfCode:
        setBit(CharProps.Special, spRtfCode, on);
        rawMode_ = on;
        rawMatch_ = 0;
        break;
    case pInsertPoint:
        if (setBit(CharProps.Special, spInsertPoint, on)) {
            CharProps.Special &= static_cast<uint8_t>(~spAutomatic);
            CharProps.Tag = static_cast<uint16_t>(value);
        } else {
            CharProps.Tag = 0;
        }
        break;
    case pAutomatic:
        if (setBit(CharProps.Special, spAutomatic, on)) CharProps.Special &= static_cast<uint8_t>(~spInsertPoint);
        break;
    case pPlain: CharProps = plainAttr(); break;
    case pFont:
        if (dest_ == rdsFontTable) fontNumber_ = value;
        else if (value >= 0 && value < rtFontsUsable) CharProps.Font = static_cast<uint8_t>(fontMap_[value]);
        break;
    case pFontSize: CharProps.Size = static_cast<uint8_t>(std::clamp(value / 2, 1, 255)); break;
    case pTextColor:
        if (value >= 0 && value < rtColorCount)
            CharProps.Colors = static_cast<uint8_t>((CharProps.Colors & 0xF0) | value);
        break;
    case pBackColor:
        if (value >= 0 && value < rtColorCount)
            CharProps.Colors = static_cast<uint8_t>((CharProps.Colors & 0x0F) | (value << 4));
        break;
    case pRed:
    case pGreen:
    case pBlue: {
        if (dest_ != rdsColorTable) break;
        uint8_t v = static_cast<uint8_t>(value & 0xFF);
        auto set = [&](TRtPaletteEntry& e) { (index == pRed ? e.Red : index == pGreen ? e.Green : e.Blue) = v; };
        if (colorIndex_ >= 0 && colorIndex_ < static_cast<int32_t>(colorTable_.size())) set(colorTable_[colorIndex_]);
        if (colorIndex_ >= 0 && colorIndex_ < rtColorCount - 1 && !KeepHeader) set(h.Palette[colorIndex_]);
        break;
    }
    case pIndentLeft:
        if (!inRow_) setMeasure(&TParProps::IndentLeft, &TParagraph::IndentLeft, std::max(0, value));
        break;
    case pIndentRight:
        if (!inRow_) setMeasure(&TParProps::IndentRight, &TParagraph::IndentRight, value);
        break;
    case pIndentFirst:
        if (!inRow_) setMeasure(&TParProps::IndentFirst, &TParagraph::IndentFirst, value);
        break;
    case pSpaceBefore: setMeasure(&TParProps::SpaceBefore, &TParagraph::SpaceBefore, std::max(0, value)); break;
    case pSpaceAfter: setMeasure(&TParProps::SpaceAfter, &TParagraph::SpaceAfter, std::max(0, value)); break;
    case pLineSpacing:
        lineSpacingWord_ = value;
        setMeasure(&TParProps::LineSpacing, &TParagraph::LineSpacing, std::max(0, value));
        break;
    case pLineMultiple: {
        if (value != 1) break;
        // The model adds to the single line what the multiple asks beyond it.
        int32_t points = CharProps.Size ? CharProps.Size : defaultSize_ ? defaultSize_ : fallbackPointSize;
        int32_t line = points * twipsPerPoint * lineHeightPercent / 100;
        int32_t extra = std::max(0, lineSpacingWord_ - singleLineSpacing);
        setMeasure(&TParProps::LineSpacing, &TParagraph::LineSpacing, RtMulDiv(extra, line, singleLineSpacing));
        break;
    }
    case pAlign:
        ParProps.Align = static_cast<uint8_t>(value);
        if (inText()) {
            CurPar->Align = ParProps.Align;
            parTouched_ = true;
        }
        break;
    case pPard: {
        if (inText() && CurPar->Prev && (CurPar->Prev->TableFlags & tfBorder) && CurPar != firstHandled_)
            CurPar->Prev->TableFlags |= tfBoxEnds;
        ParProps.TableFlags = 0;
        ParProps.Align = 0;
        ParProps.TabSet = 0;
        // Standard RTF: the paragraph defaults include indents and spacing.
        ParProps.IndentFirst = ParProps.IndentLeft = ParProps.IndentRight = 0;
        ParProps.SpaceBefore = ParProps.SpaceAfter = ParProps.LineSpacing = 0;
        lineSpacingWord_ = 0;
        inRow_ = false;
        cellBordersSet_ = false;
        if (inText()) takeParProps(CurPar, false);
        break;
    }
    case pPar:
        if (inText()) endParagraph(false);
        break;
    case pCell:
        if (inText()) endParagraph(true);
        break;
    case pPage:
    case pPageBreakBefore:
        if (inText()) CurPar->ParFlags |= pfPageBreak;
        break;
    case pTab:
        if (inRow_) break;
        if (!tabsSet_) {
            ParProps.TabSet = 0;
            if (inText()) CurPar->TabSet = 0;
            tabsSet_ = true;
        }
        if (uint32_t bit = h.AddTab(value, static_cast<TTabKind>(tabKind_))) {
            ParProps.TabSet |= bit;
            if (inText()) CurPar->TabSet |= bit;
        }
        if (inText()) parTouched_ = true;
        tabKind_ = 0;
        break;
    case pTabKind: tabKind_ = static_cast<uint8_t>(value >= 1 && value <= 3 ? value : 0); break;
    case pPaperW:
        if (!KeepHeader) h.PageWidth = value;
        break;
    case pPaperH:
        if (!KeepHeader) h.PageHeight = value;
        break;
    case pMargL:
        if (!KeepHeader) h.MarginLeft = value;
        break;
    case pMargR:
        if (!KeepHeader) h.MarginRight = value;
        break;
    case pMargT:
        if (!KeepHeader) h.MarginTop = value;
        break;
    case pMargB:
        if (!KeepHeader) h.MarginBottom = value;
        break;
    case pFacing:
        if (!KeepHeader) h.FacingPages = on;
        break;
    case pLandscape:
        if (!KeepHeader) h.Landscape = on;
        break;
    case pRowDefaults:
        if (!inText()) break;
        std::fill(std::begin(cellBorder_), std::end(cellBorder_), 0u);
        inRow_ = true;
        cellBordersSet_ = false;
        cellCount_ = cellIndex_ = borderCell_ = 0;
        cellStart_ = rowWidth_ = 0;
        rowLeft_ = 0;
        break;
    case pInTable:
        if (!inText()) break;
        setTableFlags(cellBorder_[std::min(cellIndex_, MaxCells)]);
        inRow_ = true;
        break;
    case pCellX:
        if (inText() && inRow_ && cellCount_ < MaxCells) {
            int32_t right = std::max(0, value - rowLeft_);
            cellRight_[cellCount_] = right;
            rowWidth_ = std::max(rowWidth_, right);
            ++cellCount_;
            borderCell_ = cellCount_;
        }
        break;
    case pRow:
        if (inText() && inRow_) {
            cellIndex_ = 0;
            cellStart_ = 0;
            if (CurPar->Prev && CurPar != firstHandled_)
                CurPar->Prev->ParFlags &= static_cast<uint8_t>(~pfCellFollows);
            CurPar->TableFlags &= 0xFFFF0000u;
            cellBordersSet_ = false;
        }
        break;
    case pRowLeft:
        if (!inRow_) break;
        rowLeft_ = value;
        setMeasure(&TParProps::IndentLeft, &TParagraph::IndentLeft, std::max(0, value));
        break;
    case pRowGap:
        if (inRow_) {
            uint32_t gap = static_cast<uint32_t>(std::clamp(value / 56, 0, 15)) << 28;
            for (uint32_t& w : cellBorder_) w = (w & 0x00FFFFFFu) | gap;
        }
        break;
    case pBorder: applyBorder(value); break;
    case pBorderWidth: {
        uint32_t width = static_cast<uint32_t>(std::clamp(value / 20, 0, 255)) << 16;
        if (inRow_) borderTarget() = (borderTarget() & 0xFF00FFFFu) | width;
        else setTableFlags((ParProps.TableFlags & 0xFF00FFFFu) | width);
        break;
    }
    case pBorderSpace: {
        uint32_t space = static_cast<uint32_t>(std::clamp(value / 56, 0, 15)) << 28;
        if (inRow_) borderTarget() = (borderTarget() & 0x0FFFFFFFu) | space;
        else setTableFlags((ParProps.TableFlags & 0x0FFFFFFFu) | space);
        break;
    }
    case pBorderColor: {
        uint32_t color = static_cast<uint32_t>(value & 0x0F) << 24;
        if (inRow_) borderTarget() = (borderTarget() & 0xF0FFFFFFu) | color;
        else setTableFlags((ParProps.TableFlags & 0xF0FFFFFFu) | color);
        break;
    }
    case pWBitmap:
    case pDIBitmap:
    case pWMetafile:
        picKind_ = index == pWBitmap ? 2 : index == pDIBitmap ? 1 : 0;
        picKindGiven_ = true;
        if (index == pWMetafile) {
            if (!picData_) picData_ = std::make_unique<TMemoryStream>();
            if (picData_->Size() == 0 && hexBuf_.empty()) {
                // Room for the placeable header, written when the picture ends.
                static const char room[TMetafile::PlaceableHeaderSize] = {};
                picData_->WriteBuffer(room, sizeof room);
            }
        }
        break;
    case pPicW: picW_ = value; break;
    case pPicH: picH_ = value; break;
    case pPicWGoal: picWGoal_ = value; break;
    case pPicHGoal: picHGoal_ = value; break;
    case pPicScaleX: picScaleX_ = value; break;
    case pPicScaleY: picScaleY_ = value; break;
    case pBitsPixel: bitsPixel_ = value; break;
    case pPlanes: planes_ = value; break;
    case pWidthBytes: widthBytes_ = value; break;
    case pObjTag: objTag_ = static_cast<uint16_t>(value); break;
    case pObjWidth: objWidth_ = value; break;
    case pObjHeight: objHeight_ = value; break;
    case pFootnoteNumber:
        if (curStamp_) curStamp_->Value = static_cast<uint32_t>(value);
        break;
    case pCols:
    case pPgnX:
    case pPgnY:
    case pPgnStart:
    case pSectionBreak:
    case pPageNumbers: break;
    case pUnicode: unicodeChar(value); break;
    case pUnicodeSkip: unicodeSkip_ = std::clamp(value, 0, maxUnicodeSkip); break;
    case pFontFamily:
        if (dest_ == rdsFontTable) fontFamily_ = value;
        break;
    case pFontCharset:
        if (dest_ == rdsFontTable) fontCharset_ = std::clamp(value, 0, 255);
        break;
    case pDefaultFont:
        if (value >= 0 && value < rtFontsUsable) defaultFontNumber_ = value;
        break;
    case pStyle:
    case pOtherStyle: break;
    default: return rtReadBadProperty;
    }
    return rtReadOk;
}

uint8_t TRtRtfReader::styleProperty(int index, int32_t value) {
    switch (index) {
    case pStyle: styleNumber_ = value; break;
    case pOtherStyle: styleNumber_ = -1; break;
    case pFont:
        if (styleNumber_ == 0 && value >= 0 && value < rtFontsUsable) defaultFont_ = static_cast<uint8_t>(fontMap_[value]);
        break;
    case pFontSize:
        if (styleNumber_ == 0) defaultSize_ = static_cast<uint8_t>(std::clamp(value / 2, 1, 255));
        break;
    default: break;  // the rest of a style is not kept
    }
    return rtReadOk;
}

TCharAttr TRtRtfReader::plainAttr() const {
    TCharAttr a;
    a.Font = defaultFont_;
    a.Size = defaultSize_;
    return a;
}

uint8_t TRtRtfReader::nearestPaletteColor(int32_t index) const {
    if (index <= 0 || index >= static_cast<int32_t>(colorTable_.size())) return 0;
    const TRtPaletteEntry& want = colorTable_[index];
    uint8_t best = 0;
    long bestDistance = -1;
    for (int i = 1; i < rtColorCount; ++i) {
        const TRtPaletteEntry& e = Header->Palette[i];
        long dr = e.Red - want.Red, dg = e.Green - want.Green, db = e.Blue - want.Blue;
        long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = static_cast<uint8_t>(i);
            bestDistance = distance;
        }
    }
    return best;
}

// ---------------------------------------------------------------- pictures

void TRtRtfReader::resetPicture() {
    picData_.reset();
    hexBuf_.clear();
    picWGoal_ = picHGoal_ = picW_ = picH_ = picScaleX_ = picScaleY_ = 0;
    picKind_ = 0;
    picKindGiven_ = false;
    picTooLarge_ = false;
    haveNibble_ = false;
    bitsPixel_ = planes_ = widthBytes_ = 0;
}

void TRtRtfReader::pictureDigit(int c) {
    if (!haveNibble_) {
        nibble1_ = static_cast<char>(c);
        haveNibble_ = true;
        return;
    }
    haveNibble_ = false;
    pictureByte(static_cast<uint8_t>(hexValue(nibble1_) * 16 + hexValue(c)));
}

void TRtRtfReader::pictureByte(uint8_t b) {
    if (picTooLarge_ || !picData_) return;
    hexBuf_ += static_cast<char>(b);
    if (static_cast<int>(hexBuf_.size()) < hexFlushSize) return;
    if (picData_->Size() + static_cast<int64_t>(hexBuf_.size()) > MaxPicture) {
        // Too large to keep: dropped, and the reading goes on.
        picTooLarge_ = true;
        picData_->SetSize(0);
        hexBuf_.clear();
        return;
    }
    picData_->WriteBuffer(hexBuf_.data(), static_cast<int64_t>(hexBuf_.size()));
    hexBuf_.clear();
}

void TRtRtfReader::finishPicture() {
    if (!picData_ || picTooLarge_ || !picKindGiven_) {
        resetPicture();
        return;
    }
    if (!hexBuf_.empty()) picData_->WriteBuffer(hexBuf_.data(), static_cast<int64_t>(hexBuf_.size()));
    hexBuf_.clear();
    std::string data(static_cast<size_t>(picData_->Size()), '\0');
    if (!data.empty()) std::memcpy(data.data(), picData_->Memory(), data.size());
    TObjectEntry* entry = nullptr;
    if (picKind_ == 2 || picKind_ == 1) {
        auto bitmap = std::make_unique<TBitmap>();
        bool ok = picKind_ == 2 ? loadDeviceBits(*bitmap, {picW_, picH_, planes_, bitsPixel_, widthBytes_, data})
                                : loadPackedDib(*bitmap, data);
        if (ok) entry = Text->AddObject(bitmap.release(), 0);
    } else if (data.size() >= static_cast<size_t>(TMetafile::PlaceableHeaderSize)) {
        TMetafile::writePlaceableHeader(data, picW_, picH_);
        auto metafile = std::make_unique<TMetafile>();
        metafile->loadFromBytes(data);
        metafile->SetWidth(picW_);
        metafile->SetHeight(picH_);
        entry = Text->AddObject(metafile.release(), 0);
    }
    if (entry) {
        entry->WidthTw = picScaleX_ ? RtMulDiv(picWGoal_, picScaleX_, 100) : picWGoal_;
        entry->HeightTw = picScaleY_ ? RtMulDiv(picHGoal_, picScaleY_, 100) : picHGoal_;
        entry->Used = 1;
        TCharAttr keep = CharProps;
        CharProps.Special |= spObject;
        CharProps.Tag = entry->Number;
        storeChar(rtObjectByNumber);
        CharProps.Special = keep.Special;
        CharProps.Tag = keep.Tag;
    }
    resetPicture();
}
