#pragma once
// TRtRuler: the horizontal ruler above a rich-text control. It draws a scale
// in centimetres or inches aligned with the text, the tab stops of the
// current paragraph and three indent markers (first line, left, right), lets
// the user drag the markers (snapped to the grid, never crossing) and click
// tab stops in and out, and reports each change to the bound control
// (selection code 9) and to its own events. Its data lives in the document
// header: the current paragraph's indents and tab set, the tab slots, the
// text width and the resolution. Without a header it draws its frame and
// scale only and ignores the mouse.
#include <cstdint>
#include <functional>

#include "richtext/RtDefs.h"
#include "ui/Controls.h"
#include "ui/ExtCtrls.h"

class TTextHeader;
class TRtCustomRtfEdit;

enum PTRtRulerUnit { Centimeter, Inch };

// SetIndents: leave this indent as it is. (Apart from the layout's own sentinel.)
constexpr int rtRulerKeepIndent = -9999;

// Marker numbers, as the ruler reports them in its events' group.
constexpr int rtMarkerNone = 0;
constexpr int rtMarkerRight = 1;
constexpr int rtMarkerLeft = 2;
constexpr int rtMarkerFirst = 3;
// The num its events carry.
constexpr int rtRulerEventNum = 10;

using TRtRulerSelectEvent = std::function<void(TObject* Sender, TRtSelNr& Typ, int& group, int& num, bool changing)>;

class TRtRuler : public TCustomControl {
public:
    explicit TRtRuler(TComponent* AOwner);
    ~TRtRuler() override;

    void SetEditor(TRtCustomRtfEdit* Control) { editor_ = Control; }
    TRtCustomRtfEdit* Editor() const { return editor_; }
    TTextHeader* Header() const { return header_; }
    void SetHeader(TTextHeader* Value);
    int LeftOffset() const { return leftOffset_; }
    void SetLeftOffset(int Value);
    int XOffset() const { return xOffset_; }
    void SetXOffset(int Value);
    void ResetIndents();
    // Twips; rtRulerKeepIndent leaves an indent unchanged.
    void SetIndents(int First, int Left, int Right);
    PTRtRulerUnit Units() const { return units_; }
    void SetUnits(PTRtRulerUnit Value);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut Value);
    TTabKind NewTabKind() const { return newTabKind_; }
    void SetNewTabKind(TTabKind Value) { newTabKind_ = Value; }
    bool ShowAllTabs() const { return showAllTabs_; }
    void SetShowAllTabs(bool Value);
    // Places the markers again from the header (after the text's width changed).
    void PlaceMarkers();

    // The marker's centre x, pixels (rtMarkerRight .. rtMarkerFirst).
    TRect MarkerRect(int Marker) const;
    int MarkerSize() const { return markerSize_; }
    // Pixels per inch used for the scale: the header's, else the screen's.
    int PixelsPerInch() const;
    // Pixels of one scale unit.
    int UnitPixels() const;

    TRtRulerSelectEvent OnSelection;
    TRtRulerSelectEvent WhileSelection;
    // A tab click: IsSet tells whether the tab is in the current paragraph's set.
    std::function<void(TObject* Sender, bool IsSet, uint32_t Bit)> OnRulerClick;

protected:
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    struct Marker {
        int X = 0, Top = 0, W = 4, H = 4;
    };
    bool updateMarkers();
    void sizeMarkers();
    void moveMarkerTo(int X);
    void tabClick(int X);
    void report(TRtRulerSelectEvent& Event, bool changing, bool toHook);
    int toPixels(int Twips) const;
    int toTwips(int Pixels) const;
    bool hit(int Index, int X, int Y) const;
    void paintTab(int X, TTabKind Kind, bool Current);
    void paintMarkers();

    TRtCustomRtfEdit* editor_ = nullptr;
    TTextHeader* header_ = nullptr;
    int leftOffset_ = 0;
    int xOffset_ = 0;
    Marker markers_[4];
    int markerSize_ = 4;
    int halfSize_ = 3;
    int dragged_ = rtMarkerNone;
    int dragStartX_ = 0;
    bool dragging_ = false;
    bool leftTakesFirst_ = false;
    TCursor savedCursor_ = crDefault;
    bool cursorChanged_ = false;
    bool showAllTabs_ = false;
    PTRtRulerUnit units_ = Centimeter;
    TBevelCut bevelInner_ = bvRaised;
    TBevelCut bevelOuter_ = bvNone;
    TTabKind newTabKind_ = tkAll;
};
