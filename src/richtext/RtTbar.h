#pragma once
// The formatting toolbar of the rich-text set. TRtCustomToolPanel is the face
// the rich-text control talks to (set icons down or up, enable them, show a
// list value); TRtToolBar builds itself a row of icons (speed buttons) and
// up to five lists (TRtTBCombo) from its sets, sends every click and choice
// to the linked control and shows what the control reports back.
//
// Icons are added in the order of the icon table when their member is in
// the toolbar's sets; a button's Tag is its record number + 10. The
// alignment icons (group 2) are exclusive, with Left down at the start;
// every other icon toggles on its own. Selection codes: 1..5 the lists
// (font name, size, text colour, background colour, style), 6 an icon went
// down, 7 it came up; 0 means handled.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "richtext/RtDefs.h"
#include "ui/ExtCtrls.h"
#include "ui/StdCtrls.h"

class TRtCustomRtfEdit;

enum TFontSelChoice { fsPrinterFonts, fsScreenFonts };

// The lists' Tags.
constexpr int rtListFontName = 1;
constexpr int rtListFontSize = 2;
constexpr int rtListTextColor = 3;
constexpr int rtListStyle = 4;
constexpr int rtListBackColor = 5;

// Icon groups.
constexpr int rtGroupStatus = 1;
constexpr int rtGroupAlign = 2;
constexpr int rtGroupEdit = 3;
constexpr int rtGroupFile = 4;
constexpr int rtGroupPrint = 5;
constexpr int rtGroupDatabase = 6;

constexpr int rtMaxIcons = 49;
constexpr int rtIconTagBase = 10;

// The combo box of the toolbar's lists.
class TRtTBCombo : public TComboBox {
public:
    explicit TRtTBCombo(TComponent* AOwner);
    // Fired on close-up when the text did not change.
    TNotifyEvent OnCloseUpSame;

protected:
    void DropDown() override;

private:
    std::string droppedText_;
    friend class TRtToolBar;
};

class TRtCustomToolPanel : public TPanel {
public:
    explicit TRtCustomToolPanel(TComponent* AOwner) : TPanel(AOwner) {}

    virtual void SetEditor(TRtCustomRtfEdit* Control) { (void)Control; }
    // Name empty: by group and number (number 0 matches any).
    virtual void SetIconDown(const std::string& Name, int Group, int Num) { (void)Name, (void)Group, (void)Num; }
    virtual void SetIconUp(const std::string& Name, int Group, int Num) { (void)Name, (void)Group, (void)Num; }
    // Returns the last previous Enabled.
    virtual bool EnableIcon(const std::string& Name, int Group, bool Enabled, int Num) {
        (void)Name, (void)Group, (void)Enabled, (void)Num;
        return false;
    }
    virtual void SetListValue(int Typ, const std::string& Str, int Num) { (void)Typ, (void)Str, (void)Num; }
    virtual void SetFontValues(TFont* Font, TColor Background) { (void)Font, (void)Background; }
    virtual TRtCustomRtfEdit* Editor() const { return nullptr; }
    // Points the colour lists at a document's colour table (nullptr: their own).
    virtual void SetColorTable(const TColor* Table) { (void)Table; }
};

class TRtToolBar : public TRtCustomToolPanel {
public:
    explicit TRtToolBar(TComponent* AOwner);
    ~TRtToolBar() override;

    struct TIconRecord {
        std::string Name;
        int Group = 0;
        int Num = 0;
        TSpeedButton* Button = nullptr;
    };

    void SetEditor(TRtCustomRtfEdit* Control) override { editor_ = Control; }
    TRtCustomRtfEdit* Editor() const override { return editor_; }
    void SetIconDown(const std::string& Name, int Group, int Num) override;
    void SetIconUp(const std::string& Name, int Group, int Num) override;
    bool EnableIcon(const std::string& Name, int Group, bool Enabled, int Num) override;
    void SetListValue(int Typ, const std::string& Str, int Num) override;
    void SetFontValues(TFont* Font, TColor Background) override;
    void SetColorTable(const TColor* Table) override;

    TwpTbListboxen sel_ListBoxes() const { return listBoxes_; }
    void Setsel_ListBoxes(TwpTbListboxen Value);
    TwpTbIcons sel_StatusIcons() const { return statusIcons_; }
    void Setsel_StatusIcons(TwpTbIcons Value);
    TwpTbIcons2 sel_ActionIcons() const { return actionIcons_; }
    void Setsel_ActionIcons(TwpTbIcons2 Value);
    TwpTbIcons3 sel_DatabaseIcons() const { return databaseIcons_; }
    void Setsel_DatabaseIcons(TwpTbIcons3 Value);
    TwpTbIcons4 sel_EditIcons() const { return editIcons_; }
    void Setsel_EditIcons(TwpTbIcons4 Value);
    TFontSelChoice FontChoice() const { return fontChoice_; }
    void SetFontChoice(TFontSelChoice Value);
    int FontSizeFrom() const { return fontSizeFrom_; }
    int FontSizeTo() const { return fontSizeTo_; }
    // Both at once; both 0 gives 8..72.
    void SetFontSizes(int From, int To);
    bool ShowFont() const { return showFont_; }
    void SetShowFont(bool Value) { showFont_ = Value; }
    int WidthBetweenGroups() const { return widthBetweenGroups_; }
    void SetWidthBetweenGroups(int Value);
    // "RTI_Name=text" lines; empty lines are refilled with the defaults on reading.
    TStrings* Hints();
    // Enables or disables the buttons, keeping their states to give back.
    void SetEnabled(bool Value) override;
    // Enables or disables all five lists together.
    void SetListsEnabled(bool Value);
    TComponent* UpdateObject() const { return updateObject_; }
    void SetUpdateObject(TComponent* Value);
    const std::string& UpdateObjectName() const { return updateObjectName_; }
    void SetUpdateObjectName(const std::string& Value) { updateObjectName_ = Value; }
    // While loading, property changes do not rebuild.
    void BeginLoad() { loading_ = true; }
    void EndLoad();

    int IconCount() const { return static_cast<int>(icons_.size()); }
    const TIconRecord& Icon(int Index) const { return icons_.at(Index); }
    // The icon's button, by name (any case) or by group and number; nullptr when absent.
    TSpeedButton* FindIcon(const std::string& Name, int Group = 0, int Num = 0) const;
    // The list with that Tag, or nullptr.
    TRtTBCombo* List(int Tag) const;
    int ListCount() const;
    // The last focused control outside any toolbar (the focus goes back there).
    TWinControl* LastFocused() const { return lastFocused_; }
    void SetLastFocused(TWinControl* Value);

    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnChange;
    TRtSelectEvent OnSelection;
    TRtIconSelectEvent OnIconSelection;

protected:
    void Resize() override;

private:
    void build();
    void buildLists();
    void buildIcons();
    void layout();
    void listChosen(TRtTBCombo* List);
    void iconClicked(int Index);
    void returnFocus();
    void applyToUpdateObject(TRtSelNr Typ, const std::string& Str, int Num, int Group);
    TComponent* updateTarget() const;
    std::string hintFor(const std::string& Name);
    TRtTBCombo* makeList(int Tag);
    std::vector<TSpeedButton*> matching(const std::string& Name, int Group, int Num) const;
    // Whether the face is scalable; the answers for the first 256 entries are kept.
    bool isTrueType(int Index, const std::string& Face);

    TRtCustomRtfEdit* editor_ = nullptr;
    TwpTbListboxen listBoxes_;
    TwpTbIcons statusIcons_;
    TwpTbIcons2 actionIcons_;
    TwpTbIcons3 databaseIcons_;
    TwpTbIcons4 editIcons_;
    TFontSelChoice fontChoice_ = fsPrinterFonts;
    int fontSizeFrom_ = 8;
    int fontSizeTo_ = 72;
    bool showFont_ = false;
    int widthBetweenGroups_ = 0;
    std::unique_ptr<TStringList> hints_;
    std::vector<TIconRecord> icons_;
    std::vector<TRtTBCombo*> lists_;
    TColor colorTable_[16];
    const TColor* documentColors_ = nullptr;
    TComponentRef<TComponent> updateObject_{this};
    std::string updateObjectName_;
    TComponentRef<TWinControl> lastFocused_{this};
    bool loading_ = false;
    bool building_ = false;
    bool listsEnabled_ = false;
    std::vector<std::pair<TControl*, bool>> savedEnabled_;
    std::vector<int8_t> trueTypeCache_;
};
