#pragma once
// TRtRTFTextInput: the editing layer of the rich-text stack. It turns typed
// characters, cursor keys and clicks into changes of the text, the cursor
// and the block (selection), each followed by a re-wrap of the paragraph
// touched and the least repainting that shows it.
//
// Promises: after every step the cursor names an existing line of the
// document with 0 <= CurPos <= Length; a refused insertion (protected text,
// hidden current attribute) ends the input silently; table cells are never
// joined by deleting.
#include <string>

#include "richtext/RtRtfPA.h"

// MoveCursor kinds.
enum TRtCursorMove {
    cmLineStart, cmLineEnd, cmPageUp, cmPageDown, cmDocStart, cmDocEnd,
    cmLeft, cmRight, cmUp, cmDown, cmWordLeft, cmWordRight
};

class TRtRTFTextInput : public TRtRTFTextPaint {
public:
    bool Extending = false;

    // Inserts the text at the cursor, character by character: 8 backspace,
    // 127 delete, 13 new paragraph, 9 in a table cell to the next cell,
    // anything else typed with the current attribute.
    virtual void InputText(const std::string& Text);
    void UpdateCurrentAttr();

    void MoveCursor(TRtCursorMove Kind, bool Extend);
    void CursorLeft(int Count, bool Extend, bool Show);
    void CursorRight(int Count, bool Extend, bool Show);
    void CursorUp(int Count, bool Extend, bool Show);
    void CursorDown(int Count, bool Extend, bool Show);
    void WordLeft(int Count, bool Extend, bool Show);
    void WordRight(int Count, bool Extend, bool Show);
    void ClickAt(int X, int Y, bool Show, bool Extend) override;

    void SetBlockEnd(TParagraph* Par, TLine* Line, bool Extend, int Pos);
    bool DeleteBlock();
    bool HasBlock() const { return BlockStartPar && BlockEndPar; }
    // The block as absolute offset and length; false without one.
    bool GetBlockRange(int& Start, int& Length);
    // Length below 1 removes the block.
    void SelectRange(int Start, int Length);

private:
    // 0 nothing to repaint, 1 changed lines, 2 the cursor paragraph, 3 everything.
    int inputChar(char c);
    int typeChar(char c);
    int deleteAtCursor();
    int backspace();
    int newParagraph();
    int rewrapCursorParagraph();
    void afterMove(bool Extend, bool Show);
    void beginMove(bool Extend);
    bool zeroWidthAt(TLine* Line, int Pos) const;
    long long orderOf(TParagraph* Par, TLine* Line, int Pos) const;
    int offsetOf(TParagraph* Par, TLine* Line, int Pos) const;
    void placeAt(int Offset, TParagraph*& Par, TLine*& Line, int& Pos) const;
    void clearMarks();

    // The column that up and down keep while they follow one another.
    int columnX_ = 0;
    bool columnKept_ = false;
};
