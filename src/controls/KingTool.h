#pragma once
// The two button bars that steer a month calendar: TKingNavigator (previous
// year, previous month, today, next month, next year) and TMonthBar (one
// button per month). Both lay their buttons side by side, adjacent buttons
// sharing one border pixel, can be tabbed into and worked with Left, Right
// and Space, and follow their calendar's date through a change listener.
//
// Promises:
// - The visible buttons tile the bar's width exactly: of n buttons,
//   (W - 1) mod n are one pixel wider than the others. A bar that is not
//   aligned takes the width its buttons fill without spare pixels.
// - A bar is bound to its CalendarSource (at construction the owner's first
//   calendar): it listens from the moment the source is set and stops
//   listening when re-bound or freed; a calendar freed first unbinds it.
// - The focused button of a focused bar carries a focus rectangle inset 3
//   pixels (1 pixel further right and down while the button is held).
#include <functional>
#include <string>
#include <vector>

#include "controls/TheKing.h"
#include "ui/Controls.h"

class TKingBasePanel;

// One button of a calendar bar: a speed button that knows its index and
// paints the bar's focus mark. Its face (glyph or caption) is the bar's.
class TKingBarButton : public TGraphicControl {
public:
    TKingBarButton(TKingBasePanel* Bar, int Index);

    int Index() const { return index_; }
    // Held down by the mouse now.
    bool Pressed() const { return pressed_ && inside_; }
    // Tells the bar first, then fires OnClick.
    void Click() override;
    void SetCaption(const std::string& Value);

protected:
    void Paint() override;
    // Draws the glyph or caption centred in R.
    virtual void paintFace(TCanvas* Canvas, const TRect& R) = 0;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

    TKingBasePanel* bar_;

private:
    int index_;
    bool pressed_ = false;
    bool inside_ = false;
};

// The common part of both bars: buttons, layout, keyboard, focus mark and
// the binding to a calendar.
class TKingBasePanel : public TCustomControl {
public:
    explicit TKingBasePanel(TComponent* AOwner);
    ~TKingBasePanel() override;

    TKingCalendar* CalendarSource() const { return calendar_; }
    // Binds to Value (nullptr unbinds): listens to its changes from now on.
    virtual void SetCalendarSource(TKingCalendar* Value);
    const std::string& About() const { return about_; }
    void SetAbout(const std::string& Value) { about_ = Value; }
    // The bar's and its buttons' hints.
    void SetShowHint(bool Value);

    int buttonCount() const { return static_cast<int>(buttons_.size()); }
    TKingBarButton* button(int Index) const { return buttons_.at(Index); }
    // The button Left, Right and Space work on.
    int focusedButton() const { return focused_; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;

    // A button was pressed (mouse) or clicked.
    void buttonMouseDown(int Index);
    virtual void buttonClick(int Index) = 0;

    static constexpr int MinButtonWidth = 20;
    static constexpr int MinButtonHeight = 18;

protected:
    // Made by the derived constructor, in index order.
    void addButton(TKingBarButton* Button);
    // Shows the buttons whose flags are set and lays out again.
    void showButtons(const std::vector<bool>& Visible);
    // The calendar's date changed (or a calendar was bound).
    virtual void calendarChanged() = 0;
    // Moves the focus mark; the old and new buttons repaint.
    void setFocusedButton(int Index);
    void layOutButtons();

    void KeyDown(Word& Key, TShiftState Shift) override;
    bool wantsKey(Word Key, TShiftState Shift) const override;
    void DoEnter() override;
    void DoExit() override;
    void Resize() override;
    void Paint() override;
    bool loading() const { return ComponentState().Contains(csLoading); }

private:
    void listen();
    void stopListening();
    // The bounds the buttons fill for a requested size; places the buttons.
    void arrange(int& W, int& H);

    std::vector<TKingBarButton*> buttons_;
    // A calendar that is going takes its listeners with it.
    TComponentRef<TKingCalendar> calendar_{this, [this] { listener_ = 0; }};
    int listener_ = 0;
    int focused_ = 0;
    bool arranging_ = false;
    std::string about_;
};

// ---------------------------------------------------------------- TKingNavigator

enum TCalcBtn { nbPrevYear, nbPrevMonth, nbToday, nbNextMonth, nbNextYear };
using TCalcBtnSet = TSet<TCalcBtn>;
using eCalcClick = std::function<void(TObject* Sender, TCalcBtn Button)>;

class TKingButton : public TKingBarButton {
public:
    TKingButton(TKingBasePanel* Bar, TCalcBtn Kind);
    TCalcBtn Kind() const { return static_cast<TCalcBtn>(Index()); }

protected:
    void paintFace(TCanvas* Canvas, const TRect& R) override;
};

class TKingNavigator : public TKingBasePanel {
public:
    explicit TKingNavigator(TComponent* AOwner);

    TCalcBtnSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TCalcBtnSet Value);
    TColor Highlight() const { return highlight_; }
    void SetHighlight(TColor Value);
    bool CaptionInToday() const { return captionInToday_; }
    void SetCaptionInToday(bool Value);
    const std::string& TodayText() const { return todayText_; }
    void SetTodayText(const std::string& Value);
    TKingButton* Buttons(TCalcBtn Button) const { return static_cast<TKingButton*>(button(Button)); }

    // Fired after every button click, also without a calendar.
    eCalcClick OnClick;

    void buttonClick(int Index) override;

protected:
    void calendarChanged() override;

private:
    void updateToday();

    TCalcBtnSet visibleButtons_{nbPrevYear, nbPrevMonth, nbToday, nbNextMonth, nbNextYear};
    TColor highlight_ = clBlue;
    bool captionInToday_ = false;
    std::string todayText_ = "Today";
};

// ---------------------------------------------------------------- TMonthBar

enum TMonthBtn { nbJan, nbFeb, nbMar, nbApr, nbMay, nbJun, nbJul, nbAug, nbSep, nbOct, nbNov, nbDec };
using TMonthBtnSet = TSet<TMonthBtn>;

class TMonthButton : public TKingBarButton {
public:
    TMonthButton(TKingBasePanel* Bar, int Index);

protected:
    void paintFace(TCanvas* Canvas, const TRect& R) override;
};

class TMonthBar : public TKingBasePanel {
public:
    explicit TMonthBar(TComponent* AOwner);

    TMonthBtnSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TMonthBtnSet Value);
    TColor Highlight() const { return highlight_; }
    void SetHighlight(TColor Value);
    TMonthButton* Buttons(TMonthBtn Button) const { return static_cast<TMonthButton*>(button(Button)); }
    // The month marked (0 January .. 11 December).
    int markedMonth() const { return focusedButton(); }

    void buttonClick(int Index) override;

protected:
    void calendarChanged() override;

private:
    // Marks the month and colours its button alone in Highlight.
    void mark(int Index);

    TMonthBtnSet visibleButtons_;
    TColor highlight_ = clBlue;
};
