#pragma once
// TQmDBLookupComboDlg: a lookup combo whose button shows three dots and
// opens the lookup dialog instead of the drop-down list. OK writes the
// picked record's key into the data field as the combo does; OnCloseUp
// hears True after OK and False after Cancel (and after OK on an empty
// table, which picks nothing).
#include <string>

#include "controls/qmdblook.h"
#include "controls/qmidlg.h"

class TQmDBLookupComboDlg : public TQmDBCustomLookupCombo {
public:
    explicit TQmDBLookupComboDlg(TComponent* AOwner);

    TQmDBGridOptions GridOptions() const { return gridOptions_; }
    void SetGridOptions(TQmDBGridOptions Value) { gridOptions_ = Value; }
    TColor GridColor() const { return gridColor_; }
    void SetGridColor(TColor Value) { gridColor_ = Value; }
    TAlignment GridTitleAlignment() const { return gridTitleAlignment_; }
    void SetGridTitleAlignment(TAlignment Value) { gridTitleAlignment_ = Value; }
    TQmDBLookupDlgOptions Options() const { return options_; }
    void SetOptions(TQmDBLookupDlgOptions Value) { options_ = Value; }
    // The dialog's caption.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value) { caption_ = Value; }
    // 0: the screen's width (height) less a margin.
    int MaxWidth() const { return maxWidth_; }
    void SetMaxWidth(int Value) { maxWidth_ = Value; }
    int MaxHeight() const { return maxHeight_; }
    void SetMaxHeight(int Value) { maxHeight_ = Value; }
    const std::string& UserButton1Caption() const { return userButton1Caption_; }
    void SetUserButton1Caption(const std::string& Value) { userButton1Caption_ = Value; }
    const std::string& UserButton2Caption() const { return userButton2Caption_; }
    void SetUserButton2Caption(const std::string& Value) { userButton2Caption_ = Value; }

    TQmUserButtonEvent OnUserButton1Click;
    TQmUserButtonEvent OnUserButton2Click;
    TQmOnInitDialogEvent OnInitDialog;

    void DropDown() override;
    void DrawButton(TCanvas* Canvas, const TRect& Rect, bool& DefaultPaint, TControlState State,
                    bool Pressed) override;
    TBitmap* GetGlyph() override;

private:
    bool runDialog();

    TQmDBGridOptions gridOptions_{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                  dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete};
    TColor gridColor_ = clWhite;
    TAlignment gridTitleAlignment_ = taLeftJustify;
    TQmDBLookupDlgOptions options_{opShowOKCancel, opShowSearchBy};
    std::string caption_ = "Lookup";
    int maxWidth_ = 0;
    int maxHeight_ = 209;
    std::string userButton1Caption_;
    std::string userButton2Caption_;
};
