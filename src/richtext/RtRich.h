#pragma once
// TRtCustomRichText: the edit window joined to its companions, a formatting
// toolbar, a ruler, a status bar (or a plain label). It keeps them in step
// with the caret through TRtRichTextSetMode, carries out their commands
// (attribute and alignment icons, font lists, file, print, clipboard, find,
// replace), keeps the current file name and switches the language of the
// set's messages. One toolbar, ruler and status bar serve whichever rich-text
// control has the focus: focusing a control connects them to it.
//
// Status codes of the document decide the outcome of file commands: 0 done,
// 9 a dialog was cancelled, 11 an edit was refused. Every dialog goes
// through the class library's dialog functions.
#include <cstdint>
#include <memory>
#include <string>

#include "richtext/RtSetMode.h"
#include "richtext/RtWinCtr.h"

class TRtRuler;
class TRtStatusBarBasic;
class TRtCustomToolPanel;
class TLabel;
class TScrollBar;
class TFindDialog;
class TReplaceDialog;
class TRtCustomRichText;

// The status-bar panels (item kinds) the control fills.
constexpr uint8_t rtPanelStatus = 4;
constexpr uint8_t rtPanelFormat = 18;
constexpr uint8_t rtPanelFileName = 20;

class TRtRichTextSetMode : public TRtSetModeControl {
public:
    TRtRTFTextInput* Text = nullptr;
    TRtCustomToolPanel* ToolBar = nullptr;
    TRtRuler* Ruler = nullptr;
    TRtCustomRichText* Control = nullptr;
    bool SelectionPresent = false;

    void ParagraphChanged() override;
    void AttributesChanged() override;
    void PositionChanged() override;

private:
    bool servesToolBar() const;
    bool servesRuler() const;
};

class TRtCustomRichText : public TRtCustomRtfEdit {
public:
    explicit TRtCustomRichText(TComponent* AOwner);
    ~TRtCustomRichText() override;

    // ------------------------------------------------ companions
    TRtRuler* RtRuler() const { return ruler_; }
    void SetRtRuler(TRtRuler* Value);
    TRtCustomToolPanel* RtToolBar() const { return toolBar_; }
    void SetRtToolBar(TRtCustomToolPanel* Value);
    TRtStatusBarBasic* StatusBar() const { return statusBar_; }
    void SetStatusBar(TRtStatusBarBasic* Value);
    TLabel* StatusLabel() const { return statusLabel_; }
    void SetStatusLabel(TLabel* Value);
    // Outside scroll bars (range 0..1000) that scroll the text as the window's own would.
    TScrollBar* ExternVerScrollBar() const { return externVer_; }
    void SetExternVerScrollBar(TScrollBar* Value);
    TScrollBar* ExternHorScrollBar() const { return externHor_; }
    void SetExternHorScrollBar(TScrollBar* Value);
    TRtTextFinder* RichFinder() const { return richFinder_; }
    TRtRichTextSetMode* SetMode() { return setMode_.get(); }

    virtual void Connect();
    virtual void Disconnect();

    // ------------------------------------------------ files
    const std::string& FileName() const { return fileName_; }
    const std::string& TemplateName() const { return templateName_; }
    void SetTemplateName(const std::string& Value) { templateName_ = Value; }
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToStream(TStream* Stream);
    virtual void SaveSelectionToStream(TStream* Stream);
    virtual void SaveToFile(const std::string& FileName);
    virtual void LoadFromFile(const std::string& FileName);
    void New();
    void Open();
    void SaveAs();
    void Save();
    void PrinterSetup();

    // ------------------------------------------------ find and replace
    void ShowFindDialog();
    void ShowReplaceDialog();
    // The handlers the shared dialogs call for the focused control.
    void FindHandler(TObject* Sender);
    void ReplaceHandler(TObject* Sender);

    // ------------------------------------------------ status
    // Empty text: "Ready" in the current language.
    void ShowStatus(const std::string& Text = {});
    TRtToolLanguage Language() const { return RtToolLanguage; }
    void SetLanguage(TRtToolLanguage Value);
    uint8_t Status() { return RtfText()->Status; }

    TNotifyEvent StartSpellCheck;

    // ------------------------------------------------ hooks of the edit window
    void RulerChanged(TObject* Sender, TRtSelNr& Typ, int group, int num, bool changing) override;
    void ToolbarIcon(TObject* Sender, TRtSelNr& Typ, const std::string& str, int group, int num,
                     int index) override;
    void ToolbarList(TObject* Sender, TRtSelNr& Typ, const std::string& str, int num) override;
    void RulerClicked(TObject* Sender, bool IsSet, uint32_t Bit) override;
    void StatusBarUpdate(TObject* Sender) override;
    void SetWordWrap(bool Value) override;


    // The shared find and replace dialogs (made on first use).
    static TFindDialog* FindDialog();
    static TReplaceDialog* ReplaceDialog();

protected:
    void UpdateHorzScrollBar() override;
    void UpdateVertScrollBar() override;
    void Resize() override;
    void DoEnter() override;
    void DoEditState(TObject* Sender, bool selection_marked, bool clipboard_not_empty) override;

private:
    void bindRuler();
    // Puts Value in Slot as an outside scroll bar whose moves call scroll.
    void bindScrollBar(TComponentRef<TScrollBar>& Slot, TScrollBar* Value, void (TRtCustomRtfEdit::*scroll)(int, int));
    void setPanel(uint8_t Kind, const std::string& Text);
    void styleIcon(TRtSelNr& Typ, int num);
    void setTabBit(bool IsSet, uint32_t Bit);
    void selectFound(bool Forward);

    std::unique_ptr<TRtTextFinder> ownFinder_;
    TRtTextFinder* richFinder_ = nullptr;
    std::unique_ptr<TRtRichTextSetMode> setMode_;
    std::string fileName_;
    std::string templateName_;
    TComponentRef<TRtRuler> ruler_{this};
    TComponentRef<TRtStatusBarBasic> statusBar_{this};
    TComponentRef<TRtCustomToolPanel> toolBar_{this};
    TComponentRef<TLabel> statusLabel_{this};
    TComponentRef<TScrollBar> externVer_{this};
    TComponentRef<TScrollBar> externHor_{this};
    TColor colorTable_[16] = {};
};
