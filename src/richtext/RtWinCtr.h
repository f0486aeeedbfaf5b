#pragma once
// TRtCustomRtfEdit: the window that shows and edits one rich-text document.
// It owns the editing stack (a TRtRTFTextInput), its caret, a finder and a
// TStrings view of the text, and turns keys, mouse actions, scroll bars and
// the clipboard into calls on that stack. It keeps no text of its own.
//
// Promises: every change is asked of CanChange first and refused silently
// when it answers False; copying never asks CanChange and never marks the
// document modified; paste and cut change nothing where CanChange refuses.
// The document draws into the window's backing image at any time; the next
// paint shows it. Print restores the document's canvas, word wrap and
// layout options even when a page fails.
#include <cstdint>
#include <memory>
#include <string>

#include "richtext/RtCaret.h"
#include "richtext/RtDefs.h"
#include "richtext/RtFinder.h"
#include "richtext/RtRtfInp.h"
#include "ui/BackingImage.h"
#include "ui/Controls.h"

class TPrinter;
class TGraphic;

// The layout-options word: page breaks hidden, and no window yet.
constexpr uint32_t rtLayoutHidePageBreaks = poHidePageBreaks;
constexpr uint32_t rtLayoutNoWindow = poDetached;

// The private clipboard format of the set.
constexpr const char* rtClipboardFormatName = "Rich Text Format";

// Hyperlink stamps are at most this long.
constexpr int rtMaxStampLength = 254;
// The sizing corner of a selected embedded object, pixels.
constexpr int rtObjectSizingCorner = 10;
// Range of the window's and the outside scroll bars.
constexpr int rtScrollRange = 1000;

class TRtCustomRtfEdit : public TCustomControl {
public:
    explicit TRtCustomRtfEdit(TComponent* AOwner);
    ~TRtCustomRtfEdit() override;

    // The document and its editing stack.
    TRtRTFTextInput* RtfText() { return rtfText_.get(); }
    TRtRtfStrings* Lines() { return textStrings_.get(); }
    TRtTextFinder* Finder() { return finder_.get(); }
    TCaret* Caret() { return caret_.get(); }

    // ------------------------------------------------ properties
    virtual void SetReadOnly(bool Value);
    virtual bool GetReadOnly();
    bool ReadOnly() { return GetReadOnly(); }

    TCursor HyperLinkCursor() const { return hyperLinkCursor_; }
    void SetHyperLinkCursor(TCursor Value) { hyperLinkCursor_ = Value; }
    bool NoBlockMarking() const { return noBlockMarking_; }
    void SetNoBlockMarking(bool Value);
    bool Inserting() const;
    void SetInserting(bool Value);
    bool OneClickHyperlink() const { return oneClickHyperlink_; }
    void SetOneClickHyperlink(bool Value) { oneClickHyperlink_ = Value; }
    TRtMemoryFormat MemoryFormat() const;
    void SetMemoryFormat(TRtMemoryFormat Value);
    bool CaretDisabled() const { return caret_->Locked; }
    void SetCaretDisabled(bool Value) { caret_->SetLocked(Value); }
    bool WordWrap() const { return rtfText_->WordWrap; }
    virtual void SetWordWrap(bool Value);
    TRtLoadFormat SaveFormat() const { return rtfText_->SaveFormat; }
    void SetSaveFormat(TRtLoadFormat Value) { rtfText_->SaveFormat = Value; }
    TRtLoadFormat LoadFormat() const { return rtfText_->LoadFormat; }
    void SetLoadFormat(TRtLoadFormat Value) { rtfText_->LoadFormat = Value; }
    int Zooming() const { return rtfText_->Zoom; }
    // Below 1 stands for 100.
    void SetZooming(int Value);
    int Resizing() const { return rtfText_->FontScale; }
    void SetResizing(int Value);
    TProtectProp ProtectedProp() const { return rtfText_->Protection; }
    void SetProtectedProp(TProtectProp Value) { rtfText_->Protection = Value; }
    // True exactly when the layout-options word is below 128 (False before the window exists).
    bool ShowPageBreak() const { return rtfText_->PaintOptions < rtLayoutHidePageBreaks; }
    void SetShowPageBreak(bool Value);
    bool WriteBitmapAsDib() const { return rtfText_->WriteBitmapAsDib; }
    void SetWriteBitmapAsDib(bool Value) { rtfText_->WriteBitmapAsDib = Value; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle Value);
    bool WantTabs() const { return wantTabs_; }
    void SetWantTabs(bool Value) { wantTabs_ = Value; }
    uint8_t PrintOptions() const { return printOptions_; }
    void SetPrintOptions(uint8_t Value) { printOptions_ = Value; }
    void SetVisible(bool Value) override;
    // The window exists once the control has a parent.
    void SetParent(TWinControl* AParent) override;
    void SetEditColor(TColor Value);

    // The attributes at the caret as a font; a change of the returned font
    // is applied to the block or the caret.
    TFont* EditFont();
    TFont* DefaultFont() { return &defaultFont_; }

    bool Modified() const { return modified_; }
    void SetModified(bool Value) { modified_ = Value; }
    bool WindowCreated() const { return windowCreated_; }
    bool Tracking() const { return tracking_; }
    bool ObjectResizeArmed() const { return objectResizeArmed_; }
    bool ScrollTracking() const { return scrollTracking_; }

    // ------------------------------------------------ text
    void Clear();
    void SelectAll();
    void InsertText(const std::string& p);
    void SetTextBuf(const std::string& p);
    std::string AsString();
    void SetAsString(const std::string& Value) { SetTextBuf(Value); }
    int SelStart();
    int SelLength();
    int CaretIndex();
    void SetCaretIndex(int Value);
    void InsertGraphic(TGraphic* obj);
    void ReformatAll();
    int FontIndex(const std::string& Name);

    // ------------------------------------------------ edit operations
    virtual bool CanChange();
    virtual void Change();
    virtual void DeleteSelection();
    virtual void HideSelection();
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();
    // Paints the page (1-based) of the document laid out for print on Canvas.
    virtual void PrintPage(TCanvas* Canvas, int PageNumber);
    // Prints the document on the class library's printer.
    void Print();

    // The clipboard formats the window reads and writes.
    static TClipboardFormat RichTextFormat();

    // ------------------------------------------------ events
    TNotifyEvent OnChange;
    TNotifyEvent CtrlTabPressed;
    TNotifyEvent ShiftTabPressed;
    TEditStateEvent EditStateEvent;
    THyperLinkEvent HyperLinkEvent;
    TRtPrintEvent PrintHeader;
    TRtPrintEvent PrintFooter;
    TProtectedChangeEvent& OnProtectedChange() { return rtfText_->OnProtectedChange; }
    TProvideObjectEvent& ProvideObjectEvent() { return rtfText_->OnProvideObject; }

    // Scroll messages (code 0..8, thumb position 0..1000), as the window
    // scroll bars and the outside ones send them.
    void HScrollMessage(int Code, int Pos);
    void VScrollMessage(int Code, int Pos);

    // ------------------------------------------------ companions' hooks
    // Filled by the rich-text control; empty here.
    virtual void RulerChanged(TObject* Sender, TRtSelNr& Typ, int group, int num, bool changing);
    virtual void ToolbarIcon(TObject* Sender, TRtSelNr& Typ, const std::string& str, int group, int num,
                             int index);
    virtual void ToolbarList(TObject* Sender, TRtSelNr& Typ, const std::string& str, int num);
    virtual void RulerClicked(TObject* Sender, bool IsSet, uint32_t Bit);
    virtual void StatusBarUpdate(TObject* Sender);

    // Tells DoEditState the selection and clipboard state now.
    void SendEditState();

protected:
    virtual void CreateWnd();
    virtual void DoEditState(TObject* Sender, bool selection_marked, bool clipboard_not_empty);
    virtual void UpdateHorzScrollBar();
    virtual void UpdateVertScrollBar();
    // The caret moved or the block changed: the document's notifications.
    virtual void caretMoved();

    void Paint() override;
    void Resize() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Scroll(TScrollBarKind Kind, TScrollCode Code, int Pos) override;
    bool wantsKey(Word Key, TShiftState Shift) const override;

    // The border's width inside the client area (bsSingle draws one).
    int borderInset() const;
    // True while the window paints (no companion or caret is touched then).
    bool painting() const;
    // Focus rule of the clipboard, mouse and insert paths.
    void takeFocus();
    void refreshCaret();
    void invalidateUnlessLocked();

private:
    // True when the click was on a hyperlink (or an object took it).
    bool clickTest(int X, int Y);
    // The embedded object painted under a window point, or nullptr.
    TObjectEntry* objectAt(int X, int Y);
    // The entry of the object the last paint showed selected, or nullptr.
    TObjectEntry* selectedObject();
    void selectWordAt();
    void editFontChanged();
    void endScrollTracking();
    bool hyperlinkAt(int X, int Y);
    std::string copyAs(TRtLoadFormat Format);
    void readAtCaret(const std::string& Bytes, bool Rich);

    std::unique_ptr<TRtRTFTextInput> rtfText_;
    std::unique_ptr<TCaret> caret_;
    std::unique_ptr<TRtRtfStrings> textStrings_;
    std::unique_ptr<TRtTextFinder> finder_;
    TBackingImage backing_;
    TFont editFont_;
    TFont defaultFont_;
    bool fillingEditFont_ = false;

    bool scrollTracking_ = false;
    bool horzHidePending_ = false;
    TCursor hyperLinkCursor_ = crDefault;
    bool noBlockMarking_ = false;
    bool oneClickHyperlink_ = false;
    TMouseButton lastButton_ = mbLeft;
    bool tracking_ = false;
    bool objectResizeArmed_ = false;
    bool hyperCursorShown_ = false;
    TCursor savedCursor_ = crDefault;
    bool modified_ = false;
    bool windowCreated_ = false;
    TBorderStyle borderStyle_ = bsSingle;
    TScrollStyle scrollBars_ = ssNone;
    bool wantTabs_ = true;
    uint8_t printOptions_ = 0;
    bool showPageBreakFlag_ = true;
    bool painting_ = false;
};
