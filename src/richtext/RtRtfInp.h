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

    // Empties the document; the block goes, the view returns to the top and
    // the cursor stands at the start with the current attribute read again.
    void Clear() override;
    // Places the cursor by flat indexes, then tells ModeControl.
    void SetCursorIndex(int CharIndex, int LineIndex, int ParIndex, int ParCharIndex) override;

    // Inserts the text at the cursor, character by character: 8 backspace,
    // 127 delete, 13 new paragraph, 9 in a table cell to the next cell,
    // anything else typed with the current attribute.
    virtual void InputText(const std::string& Text);
    void UpdateCurrentAttr();
    // Inserts an embedded object as one character at the cursor. Number
    // 65535 takes a new tag of the application's objects, another non-zero
    // Number is that tag, 0 makes the document own the object under a new
    // number; Number returns the key used. Raises "No object was defined"
    // for nil.
    void InsertObject(TObject* Object, int& Number);
    // Deletes Count characters at the cursor (at a paragraph's end the next
    // paragraph is joined); stops at a protected character.
    void DeleteChars(int Count);

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
    // The block by offset and length, given one after the other in either
    // order; the block is selected once both were given.
    void SetBlockStart(int Offset);
    void SetBlockLength(int Count);
    // Selects the character of the object whose first key (tag, FirstKey)
    // or second key (number) is Number; false when there is none.
    bool SelectObject(int Number, bool FirstKey);

private:
    // 0 nothing to repaint, 1 changed lines, 2 the cursor paragraph, 3 everything.
    int inputChar(char c);
    int typeChar(char c);
    int deleteAtCursor();
    int backspace();
    int newParagraph(bool PageBreak = false);
    int pageBreak();
    int rewrapCursorParagraph();
    void afterMove(bool Extend, bool Show);
    void beginMove(bool Extend);
    // The cursor line steps to the line before or after it, across paragraphs;
    // false at the document's first or last line, where it stays.
    bool toPrevLine();
    bool toNextLine();
    // A movement by Count steps may start: the cursor is not fixed and stands on a line.
    bool canMove(int Count) const;
    // Count steps between beginMove and afterMove; a step answering false ends the run.
    template <class Step>
    void moveBy(int Count, bool Extend, bool Show, Step step);
    // Count lines up or down, keeping the column while such moves follow one another.
    void moveLines(int Count, bool Extend, bool Show, bool (TRtRTFTextInput::*step)());
    bool zeroWidthAt(TLine* Line, int Pos) const;
    long long orderOf(TParagraph* Par, TLine* Line, int Pos) const;
    int offsetOf(TParagraph* Par, TLine* Line, int Pos) const;
    void placeAt(int Offset, TParagraph*& Par, TLine*& Line, int& Pos) const;
    void clearMarks();

    // SetBlockStart and SetBlockLength waiting for each other; -1 not given.
    int pendingStart_ = -1;
    int pendingLength_ = -1;
    // The column that up and down keep while they follow one another.
    int columnX_ = 0;
    bool columnKept_ = false;
};
