#pragma once
// TRtRTFTextPaint: the layer of the rich-text stack that turns the document
// into pixels. It takes the resolution from the canvas it is handed (times
// Zoom), measures every character through the canvas's device (GetCharWidth
// and GetTextMetrics, once per run of equal attributes), breaks paragraphs
// into display lines (word wrap, tabs, justification), maps positions to x
// and back, keeps the caret metrics and paints the lines with ExtTextOut and
// the per-character advances the layout used, so that screen, offscreen
// image and printed page show the same lines. Attribute and paragraph
// commands act on the block when there is one, else on the current
// attribute or the cursor paragraph.
//
// Promises: a re-wrap builds the new chain of lines before it frees the old
// one, so a failure leaves the old lines; the cursor and block ends always
// name a line of the document after a re-wrap; a resolution of 0 anywhere
// counts as 96.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "richtext/RtRtfIO.h"
#include "richtext/RtSetMode.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"

class TControl;

// PaintOptions bits.
constexpr uint32_t poNoClip = 1;
constexpr uint32_t poInert = 2;
constexpr uint32_t poKeepTextWidth = 4;
constexpr uint32_t poIgnoreZoom = 8;
constexpr uint32_t poCursorFixed = 16;
constexpr uint32_t poNoScroll = 32;
constexpr uint32_t poNoBackground = 64;
constexpr uint32_t poHidePageBreaks = 128;
constexpr uint32_t poShowHidden = 256;
constexpr uint32_t poDetached = 512;
constexpr uint32_t poIgnoreLeftOffset = 1024;
constexpr uint32_t poNoBlockMarks = 2048;
constexpr uint32_t poPaintOutside = 8192;
constexpr uint32_t poWhiteBackground = 16384;
constexpr uint32_t poTransparent = 32768;
constexpr uint32_t poSkipBelowWindow = 65536;
constexpr uint32_t poNeverFillText = 131072;
constexpr uint32_t poNoSideStrips = 262144;

// Line selection marks.
constexpr uint8_t lmNone = 0;
constexpr uint8_t lmInside = 2;
constexpr uint8_t lmPartly = 3;
constexpr uint8_t lmBlockEnd = 4;

// SetCharAttr masks: which parts of the given attribute a character takes.
constexpr int amFont = 1;
constexpr int amSize = 2;
constexpr int amTextColor = 4;
constexpr int amBackColor = 8;
constexpr int amAddStyle = 16;     // add the Style and Special bits
constexpr int amNormal = 32;       // clear the font styles, script, hidden and RTF code, then add
constexpr int amReplaceStyle = 64; // clear the font styles and script only, then add
constexpr int amRemoveStyle = 128; // remove the Style and Special bits

// Objects whose window rectangles one Paint records for hit tests.
constexpr int rtMaxObjectRects = 30;

// Where an embedded object was painted, in document pixels.
struct TRtObjectRect {
    int X = 0, Y = 0, Width = 0, Height = 0;
    TObject* Object = nullptr;
};

// The first object met inside the block while painting: its window
// rectangle and the two keys of its entry (tag, number).
struct TRtSelectedObject {
    TRect Rect;
    uint16_t Tag = 0;
    uint16_t Number = 0;
};

// Change codes of WrapParagraph.
constexpr int wcSame = 0;
constexpr int wcLinesDiffer = 1;
constexpr int wcLineHeight = 2;
constexpr int wcParagraphHeight = 3;

class TRtRTFTextPaint : public TRtRTFTextIo {
public:
    TRtRTFTextPaint();
    ~TRtRTFTextPaint() override;

    bool WordWrap = false;
    int WindowWidth = 0;
    int WindowWidthTw = 0;
    TTextMetric CharMetrics;
    int FontHeight = 16;
    int FontAscent = 13;
    uint32_t PaintOptions = poHidePageBreaks;
    int Zoom = 100;
    int FontScale = 100;
    bool ObjectInsert = false;
    TCanvas* Canvas = nullptr;
    TNotifyEvent OnBeforePaint, OnAfterPaint;
    std::function<void()> OnCaretMoved, OnHScrolled, OnVScrolled, OnBlockChanged;
    int TopOffset = 0;
    int LeftOffset = 0;
    int DocHeight = 0;
    int CaretX = 0, CaretHeight = 16, CaretY = 0;
    int CaretWidth = 1;
    bool Repainting = false;
    int PaintTop = 0, PaintLeft = 0;
    int WindowHeight = 0;
    TColor BackColor = clWindow;
    bool Visible = false;
    bool PaintLocked = false;
    bool NoBlockMarking = false;
    // Control that replaces the window size when the caret is kept in view.
    TControl* ViewObject = nullptr;
    // Told of caret, attribute and scroll changes: a moved cursor calls
    // ParagraphChanged and PositionChanged, a changed current attribute
    // AttributesChanged, a horizontal scroll PositionChanged.
    TRtSetModeControl* ModeControl = nullptr;
    TRtSelectedObject SelectedObject;
    TRtObjectRect ObjectRects[rtMaxObjectRects];
    int ObjectRectCount = 0;

    // ------------------------------------------------ resolution and view
    void SetCanvas(TCanvas* C);
    void UpdateResolution();
    void SetResolution(int XDpi, int YDpi);
    void SetZoom(int Percent);
    void SetFontScale(int Percent);
    void SetPaintOptions(uint32_t Options);
    void SetWindowWidth(int Pixels);
    void SetWordWrap(bool Value);

    // ------------------------------------------------ formatting
    void ReformatAll();
    void MeasureAll();
    void MeasureParagraph(TParagraph* Par);
    void WrapDirty();
    // Change receives wcSame..wcParagraphHeight when Compare is set.
    void WrapParagraph(TParagraph* Par, bool Compare, int& Change);
    void FormatChanged();
    void UpdateLinePositions() override;
    // The model's replacement, then the paragraph measured and re-wrapped
    // (outside a wrapping pass): its lines are new afterwards, so only the
    // cursor and the block keep pointing into them. Nothing while a
    // formatting pass runs.
    int ReplaceText(TParagraph* Par, TLine* Line, const std::string& S, int Pos, int Count) override;

    // ------------------------------------------------ geometry
    int LeftEdge(TParagraph* Par, TLine* Line) const;
    int RightIndentPixels(TParagraph* Par) const;
    int AvailableWidth(TParagraph* Par, TLine* Line) const;
    int LineTextWidth(TLine* Line) const;
    int LineStartX(TParagraph* Par, TLine* Line) const;
    int TabPosition(TParagraph* Par, TLine* Line, int X, int Index);
    int CharToX(TParagraph* Par, TLine* Line, int Index);
    int XToChar(TParagraph* Par, TLine* Line, int X);
    // X < 0: no x given.
    void FindLineAt(int X, int Y, TParagraph*& Par, TLine*& Line) const;
    TColor ColorOf(int Index) const;
    // Left and right inner edges of a bordered paragraph's box, pixels.
    int BoxLeft(TParagraph* Par) const;
    int BoxRight(TParagraph* Par) const;
    void UpdateCaretMetrics();

    // ------------------------------------------------ fonts
    void ApplyAttr(const TCharAttr* Attr);
    void SelectAttr(const TCharAttr* Attr);

    // ------------------------------------------------ attribute commands
    using TRtRTFText::SetCharAttr;
    using TRtRTFText::SetCurrentAttr;
    // Changes the parts of one character's attribute that Mask names (am*)
    // and measures it again; Line nil (or without attributes) changes the
    // current attribute. An index outside the line does nothing.
    virtual void SetCharAttr(TLine* Line, int Index, int Mask, const TCharAttr& Attr);
    // The same change for every character of the block, and always for the
    // current attribute, so typing continues with it.
    virtual void SetCurrentAttr(const TCharAttr& Attr, int Mask);
    // Style: the Style bits in the low byte, the Special bits in the high
    // byte; 0 makes the text normal. On adds the bits, off removes them.
    void SetBlockStyle(int Style, bool On);

    // ------------------------------------------------ paragraph commands
    // Of the block's paragraphs, or of the cursor paragraph without a block.
    void SetIndents(int First, int Left, int Right, bool Reformat);
    void SetAlignment(int Value);
    // Clear: the tab slot bits are taken out of the paragraphs' tab sets,
    // else added. Table cells keep theirs.
    void SetTabs(uint32_t Bits, bool Clear);

    // ------------------------------------------------ painting
    virtual void Repaint();
    void Paint();
    void PaintRect(int X, int Y, int Width, int Height);
    void PaintLine(TParagraph* Par, TLine* Line);
    // Paints one embedded object standing in Rect's bottom-left corner.
    void PaintObject(const TRect& Rect, int Width, int Height, TObject* Object);

    // ------------------------------------------------ scrolling and caret
    void ScrollUp(int Dy);
    void ScrollDown(int Dy);
    void ScrollViewLeft(int Dx);
    void ScrollViewRight(int Dx);
    // Scroll-bar codes 0..7 (line, page, thumb track and position, top or left, end).
    void VScroll(int Code, int Pos);
    void HScroll(int Code, int Pos);
    void ShowCursor();
    void UpdateCaret();
    // Moves the cursor to the character under a window point.
    virtual void ClickAt(int X, int Y, bool Show, bool Extend);

    // The pixel advances of a line's characters as layout placed them (tabs
    // resolved, stretched spaces); the painter draws with these.
    std::vector<int> LineAdvances(TParagraph* Par, TLine* Line);

private:
    int deviceDpi(int index) const;
    bool detached() const { return (PaintOptions & poDetached) != 0; }
    int charWidthOf(TLine* Line, int i) const;
    int borderSpacingTw(TParagraph* Par) const;
    int measureFollowing(TParagraph* Par, TLine* Line, int Index, int Limit, bool ThisLineOnly, char Stop);
    void remeasureLine(TParagraph* Par, TLine* Line);
    bool zeroWidth(const TCharAttr& a) const;
    void paintBorders(TParagraph* Par, TLine* Line, int y);
    // The paragraphs a paragraph command acts on: the block's, else the cursor's.
    std::vector<TParagraph*> commandParagraphs() const;
    // Moves the window's pixels and paints the band uncovered.
    void scrollPixels(int dx, int dy);
    void paintRun(TLine* Line, TCharAttr a, int from, int to, int& x, int y, const std::vector<int>& adv);

    // The measures of each font met, so a run of a known font asks the
    // device nothing.
    struct FontMeasures {
        int Widths[256];
        TTextMetric Metrics;
    };
    std::map<std::string, FontMeasures> fontCache_;

protected:
    // The header's resolution; 96 while it is not known.
    int resX() const { return Header->ResX > 0 ? Header->ResX : 96; }
    int resY() const { return Header->ResY > 0 ? Header->ResY : 96; }
    // The block's ends in document order; false without a spanning block.
    bool orderedBlock(TParagraph*& FromPar, TLine*& FromLine, int& FromPos, TParagraph*& ToPar, TLine*& ToLine,
                      int& ToPos) const;
    // The ModeControl notifications; none while inert.
    void notifyCursorMoved();
    void notifyAttributesChanged();
    void notifyOffsetChanged();

    // Guards against re-entrant passes (the model's change notification
    // arrives in the middle of an edit).
    bool formatting_ = false;
    bool measuring_ = false;
    bool wrapping_ = false;
    bool painting_ = false;
};
