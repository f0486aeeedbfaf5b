#pragma once
// TRtStatusBarBasic: a status bar of typed items laid out side by side, with
// an optional progress gauge at its right end and an optional size grip.
// Items come from definition lines, one per item:
//   ["@"][ "$" ][ "%" ][width][kind name]["=" text]
// "@" framed, "$" sunken, "%" disabled look, the width in pixels (0: the
// text's width; below 10: 30), a kind name (stGauge .. stPathName, any case;
// anything else is stString) and the text after "=" (without "=", the whole
// line). At most 23 items. The rich-text control writes its status text,
// file name and format word into items by kind through SetItemText, and the
// bar calls the control's status-bar hook whenever its items are rebuilt.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "ui/Controls.h"

class TRtCustomRtfEdit;

enum TRtStatusKind : uint8_t {
    stGauge, stHelp, stIndex, stOutline, stStatus, stInsert, stCaps, stNum, stXPos, stYPos, stDate,
    stTime, stPage, stLine, stChanged, stFont, stStyle, stUnit, stTxtFmt, stName, stFileName,
    stPathName, stString
};

// TRtStatusItem flags.
constexpr uint8_t siFramed = 1;
constexpr uint8_t siSunken = 2;
constexpr uint8_t siDisabled = 4;
constexpr uint8_t siColorIsText = 8;
constexpr uint8_t siColorIsBackground = 16;

constexpr int rtStatusMaxItems = 23;
// The definition line of the automatic gauge item.
constexpr int rtStatusGaugeLine = -1;

struct TRtStatusItem {
    std::string Text;
    int Line = 0;
    uint8_t Kind = stString;
    int RequestedWidth = 0;
    int X = 0;
    int Width = 0;
    uint8_t Flags = 0;
    TColor Color = clBtnFace;
};

using TRtStatusItemClick = std::function<void(TObject* Sender, int Line, uint8_t Kind, const std::string& Text,
                                              int X, int Top, int Width, TMouseButton Button, TShiftState Shift)>;

class TRtStatusBarBasic : public TCustomControl {
public:
    explicit TRtStatusBarBasic(TComponent* AOwner);
    ~TRtStatusBarBasic() override;

    // The definition lines; a change rebuilds the items.
    TStrings* Lines() { return lines_.get(); }
    void SetLines(const TStrings& Value) { lines_->Assign(&Value); }
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const TRtStatusItem& Items(int Index) const { return items_.at(Index); }

    // The first item of that kind gets the text; false when none has it.
    bool SetItemText(uint8_t Kind, const std::string& Text);
    void SetEditor(TRtCustomRtfEdit* Control) { editor_ = Control; }
    TRtCustomRtfEdit* Editor() const { return editor_; }

    bool ShowGauge() const { return showGauge_; }
    void SetShowGauge(bool Value);
    int GaugeValue() const { return gaugeValue_; }
    void SetGaugeValue(int Value);
    int GaugeWidth() const { return gaugeWidth_; }
    void SetGaugeWidth(int Value);
    bool SizeGrip() const { return sizeGrip_; }
    void SetSizeGrip(bool Value);
    virtual void SetVertPlacement(int Value);
    // The bar registered as the set-wide one (the rich-text control clears it on removal).
    bool SetWide() const { return setWide_; }
    void SetSetWide(bool Value) { setWide_ = Value; }

    // The change event, then the control's status-bar hook, then the window update.
    void UpdateBar();
    virtual void AdjustHeight();
    virtual void LayoutItems();

    TRtStatusItemClick OnItemClick;
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void afterFontChange(bool FromParent) override;

    virtual void DrawGauge(int Min, int Max, const TRect& Rect);
    virtual void DrawSizeGrip();
    virtual void DrawItem(int Index);
    virtual void PaintItems();

private:
    void rebuildItems();
    void placeTextRow();
    int textHeight();

    std::unique_ptr<TStringList> lines_;
    std::vector<TRtStatusItem> items_;
    int textTop_ = 3;
    int textBottom_ = 3;
    TRect gaugeRect_;
    bool showGauge_ = false;
    int gaugeValue_ = 0;
    int gaugeWidth_ = 100;
    bool sizeGrip_ = false;
    int vertPlacement_ = 0;
    bool setWide_ = false;
    TRtCustomRtfEdit* editor_ = nullptr;
};
