#pragma once
// What both date edits share: the small calendar button inside the edit's
// right edge, the edit's minimum height, and finding the form's pop-up;
// TCalendarEdit puts all of it into an edit class.
//
// Promises: the button is 21 x 17 with its calendar glyph, sits at the
// edit's right edge over its full height, and the edit's text stops 2
// pixels short of it; an edit lower than its minimum height is raised to it.
#include <string>

#include "controls/KingPop.h"
#include "ui/StdCtrls.h"

constexpr int CalendarButtonWidth = 21;
constexpr int CalendarButtonHeight = 17;

// A calendar button made a child of Edit.
TSpeedButton* makeCalendarButton(TCustomEdit* Edit);
// Font height + (the smaller of the system font's height and the font's
// height) div 4 + 4 x the border height + 2.
int minimumEditHeight(TFont& Font);
// (the smaller of the system font's height and the font's height) div 4.
int editTextMargin(TFont& Font);
// The height Edit takes for a requested height: at least its minimum.
int allowedEditHeight(TCustomEdit* Edit, int Height);
// Puts the button at the edit's right edge and keeps the text clear of it.
void placeCalendarButton(TCustomEdit* Edit, TSpeedButton* Button);
// The first TKingPopup among Owner's components, or nullptr.
TKingPopup* firstPopupOf(TComponent* Owner);

// An edit class TBase (a TCustomEdit constructed from its owner) with the
// calendar button, 113 pixels wide, bound to a TKingPopup. The button runs
// ButtonClick; the pop-up forgets the edit when it is freed.
template <class TBase>
class TCalendarEdit : public TBase {
public:
    TKingPopup* KingPopup() const { return kingPopup_; }
    void SetKingPopup(TKingPopup* Value) {
        if (Value != kingPopup_) kingPopup_.set(Value);
    }
    const std::string& About() const { return about_; }
    void SetAbout(const std::string& Value) { about_ = Value; }
    TSpeedButton* calendarButton() const { return button_; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override {
        TBase::SetBounds(ALeft, ATop, AWidth, allowedEditHeight(this, AHeight));
        if (button_) placeCalendarButton(this, button_);
    }
    // Without a pop-up yet, takes the owner's first one.
    void Loaded() override {
        TBase::Loaded();
        if (!kingPopup_) bindFirstPopup(this->Owner());
    }

    virtual void ButtonClick() = 0;

protected:
    explicit TCalendarEdit(TComponent* AOwner) : TBase(AOwner) {
        button_ = makeCalendarButton(this);
        button_->OnClick = [this](TObject*) { ButtonClick(); };
        SetBounds(this->Left(), this->Top(), 113, this->Height());
    }

    // Binds to Owner's first TKingPopup; the edit becomes its AlignSource
    // when it has none.
    void bindFirstPopup(TComponent* Owner) {
        SetKingPopup(firstPopupOf(Owner));
        if (kingPopup_ && !kingPopup_->AlignSource()) kingPopup_->SetAlignSource(this);
    }

    void Resize() override {
        if (this->Height() < allowedEditHeight(this, this->Height()))
            this->SetHeight(allowedEditHeight(this, this->Height()));
        else if (button_)
            placeCalendarButton(this, button_);
        TBase::Resize();
    }

    TComponentRef<TKingPopup> kingPopup_{this};

private:
    TSpeedButton* button_ = nullptr;
    std::string about_;
};
