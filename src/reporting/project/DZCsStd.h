#pragma once
// The standard components of report projects: texts printed in their font
// and justification (cut to their width when Truncate is set), memos
// word-wrapped in their rectangle after their mail-merge replacements, the
// font master that texts and memos mirror, the page-number initialiser, and
// the section that prints its children as one block.
#include <memory>
#include <string>

#include "reporting/project/DZClass.h"
#include "reporting/MemoBuf.h"

class TDuzuDataView;

class TDuzuFontMaster : public TDuzuComponent {
public:
    explicit TDuzuFontMaster(TComponent* AOwner);
    TDuzuFont* Font() const { return font_.get(); }
    void SetFont(TDuzuFont* Value) { font_->Assign(Value); }

private:
    std::unique_ptr<TDuzuFont> font_;
};

// Sets the engine's relative page offset so that the current page counts as
// the start value: the number in InitDataField's expression over
// InitDataView when a field is named (1 when there is none), else InitValue.
class TDuzuPageNumInit : public TDuzuComponent {
public:
    using TDuzuComponent::TDuzuComponent;
    int InitValue() const { return initValue_; }
    void SetInitValue(int Value) { initValue_ = Value; }
    TDuzuProjectItem* InitDataView() const { return initDataView_; }
    void SetInitDataView(TDuzuProjectItem* Value) { initDataView_.set(Value); }
    const std::string& InitDataField() const { return initDataField_; }
    void SetInitDataField(const std::string& Value) { initDataField_ = Value; }

    int StartValue() const;
    void PrintSelf(TBaseReport* Engine) override;

private:
    int initValue_ = 1;
    TComponentRef<TDuzuProjectItem> initDataView_{this};
    std::string initDataField_;
};

// What texts and memos share: their colour, font (their own, or the font
// master they mirror), justification, text and truncation.
class TDuzuCustomText : public TDuzuControl {
public:
    explicit TDuzuCustomText(TComponent* AOwner);

    TColor Color() const { return color_; }
    void SetColor(TColor Value) { color_ = Value; }
    TDuzuFont* Font() const { return font_.get(); }
    void SetFont(TDuzuFont* Value) { font_->Assign(Value); }
    TPrintJustify FontJustify() const { return fontJustify_; }
    void SetFontJustify(TPrintJustify Value) { fontJustify_ = Value; }
    TDuzuFontMaster* FontMirror() const { return fontMirror_; }
    void SetFontMirror(TDuzuFontMaster* Value);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& Value) { text_ = Value; }
    bool Truncate() const { return truncate_; }
    void SetTruncate(bool Value) { truncate_ = Value; }


protected:
    // The font that prints: the mirrored master's, else the own one.
    TDuzuFont* printFont() const;

private:
    TColor color_ = 0;
    std::unique_ptr<TDuzuFont> font_;
    TPrintJustify fontJustify_ = pjLeft;
    TComponentRef<TDuzuFontMaster> fontMirror_{this};
    std::string text_;
    bool truncate_ = false;
};

class TDuzuText : public TDuzuCustomText {
public:
    using TDuzuCustomText::TDuzuCustomText;

    int Rotation() const { return rotation_; }
    void SetRotation(int Value) { rotation_ = Value; }

    // The text to print; data-aware texts compute theirs.
    virtual std::string PrintText() { return Text(); }
    void PrintSelf(TBaseReport* Engine) override;

protected:
    // Selects the mirrored or own font with the rotation.
    void selectFont(TBaseReport* Engine) const;

private:
    int rotation_ = 0;
};

// One mail-merge replacement of a memo: every SearchToken in the text
// becomes the text of ReplaceString read as a data-text expression.
class TDuzuMailMergeItem : public TPersistent {
public:
    const std::string& SearchToken() const { return searchToken_; }
    void SetSearchToken(const std::string& Value) { searchToken_ = Value; }
    const std::string& ReplaceString() const { return replaceString_; }
    void SetReplaceString(const std::string& Value) { replaceString_ = Value; }
    bool CaseMatters() const { return caseMatters_; }
    void SetCaseMatters(bool Value) { caseMatters_ = Value; }

private:
    std::string searchToken_, replaceString_;
    bool caseMatters_ = false;
};

// Free text printed word-wrapped between its left and right edge from its
// top. With Truncate it prints only what fits in Height; otherwise all of
// it, and the band it sits in grows to hold what it printed (a memo never
// shrinks its band).
class TDuzuMemo : public TDuzuCustomText {
public:
    explicit TDuzuMemo(TComponent* AOwner);

    bool ExpandParent() const { return expandParent_; }
    void SetExpandParent(bool Value) { expandParent_ = Value; }
    TDuzuPersistentList* MailMergeItems() const { return mailMergeItems_.get(); }
    void SetMailMergeItems(TDuzuPersistentList* Value);

    // Adds a replacement; the memo owns it.
    TDuzuMailMergeItem* AddMailMergeItem(const std::string& SearchToken, const std::string& ReplaceString,
                                         bool CaseMatters = false);
    // The buffer as it prints: the text loaded, the replacements made.
    void PrepareBuffer(TMemoBuf& Buffer);
    void PrintSelf(TBaseReport* Engine) override;

protected:
    // Puts the memo's text into the buffer; data memos load their field.
    virtual void LoadText(TMemoBuf& Buffer);
    // The view mail-merge expressions read their fields from by default.
    virtual TDuzuDataView* MergeView() const { return nullptr; }

private:
    bool expandParent_ = true;
    std::unique_ptr<TDuzuPersistentList> mailMergeItems_;
};

// Text cut to what fits in Width in the engine's current font.
std::string truncateToWidth(TBaseReport* Engine, const std::string& Text, double Width);

class TDuzuSection : public TDuzuContainerControl {
public:
    using TDuzuContainerControl::TDuzuContainerControl;
    bool WasteFit() const { return wasteFit_; }
    void SetWasteFit(bool Value) { wasteFit_ = Value; }

    // Prints the children as if the section stood at Left, Top of the page:
    // how a data-mirror section prints the contents it borrows.
    void PrintContentsAt(TBaseReport* Engine, double Left, double Top);
    double PageLeft() const override;
    double PageTop() const override;

private:
    bool wasteFit_ = false;
    bool placed_ = false;
    double placedLeft_ = 0, placedTop_ = 0;
};

// Registers the font master, page-number initialiser, text, memo and section.
void DuzuRegisterStandardClasses();
