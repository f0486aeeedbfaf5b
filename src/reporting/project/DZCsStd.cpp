#include "reporting/project/DZCsStd.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "base/SysUtils.h"
#include "reporting/project/DZCsRpt.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/RSBase.h"

namespace {

// New texts start in Arial.
std::unique_ptr<TDuzuFont> arialFont() {
    auto font = std::make_unique<TDuzuFont>();
    font->SetName("Arial");
    font->SetSize(10);
    return font;
}

}  // namespace

TDuzuFontMaster::TDuzuFontMaster(TComponent* AOwner) : TDuzuComponent(AOwner), font_(arialFont()) {}

int TDuzuPageNumInit::StartValue() const {
    if (initDataField_.empty()) return initValue_;
    std::string text = dataTextExpression(initDataField_, dynamic_cast<TDuzuDataView*>(initDataView_));
    return static_cast<int>(std::trunc(StrToFloatDef(FilterNumber(text), 1)));
}

void TDuzuPageNumInit::PrintSelf(TBaseReport* Engine) {
    Engine->SetPageNumOffset(StartValue() - Engine->CurrentPage());
}

void TDuzuPageNumInit::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == initDataView_) initDataView_ = nullptr;
}

TDuzuText::TDuzuText(TComponent* AOwner) : TDuzuCustomText(AOwner), font_(arialFont()) {}

void TDuzuText::SetFontMirror(TDuzuFontMaster* Value) {
    setReference(this, fontMirror_, Value);
}

void TDuzuText::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuCustomText::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == fontMirror_) fontMirror_ = nullptr;
}

void TDuzuText::selectFont(TBaseReport* Engine) const {
    Engine->AssignFont(fontMirror_ != nullptr ? fontMirror_->Font() : font_.get());
    Engine->SetFontRotation(rotation_);
}

std::string truncateToWidth(TBaseReport* Engine, const std::string& Text, double Width) {
    std::string text = Text;
    while (!text.empty() && FloatGreater(Engine->TextWidth(text), Width)) text.pop_back();
    return text;
}

void TDuzuText::PrintSelf(TBaseReport* Engine) {
    selectFont(Engine);
    Engine->SetFontTop(PageTop());
    std::string text = PrintText();
    if (truncate_) text = truncateToWidth(Engine, text, Width());
    switch (fontJustify_) {
        case pjCenter: Engine->PrintCenter(text, PageLeft() + Width() / 2); break;
        case pjRight: Engine->PrintRight(text, PageRight()); break;
        case pjLeft:
        case pjBlock: Engine->PrintLeft(text, PageLeft()); break;
    }
}

double TDuzuSection::PageLeft() const { return placed_ ? placedLeft_ : TDuzuContainerControl::PageLeft(); }

double TDuzuSection::PageTop() const { return placed_ ? placedTop_ : TDuzuContainerControl::PageTop(); }

void TDuzuSection::PrintContentsAt(TBaseReport* Engine, double Left, double Top) {
    const bool wasPlaced = placed_;
    const double savedLeft = placedLeft_, savedTop = placedTop_;
    placed_ = true;
    placedLeft_ = Left;
    placedTop_ = Top;
    try {
        for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->Print(Engine);
    } catch (...) {
        placed_ = wasPlaced;
        placedLeft_ = savedLeft;
        placedTop_ = savedTop;
        throw;
    }
    placed_ = wasPlaced;
    placedLeft_ = savedLeft;
    placedTop_ = savedTop;
}

// ---------------------------------------------------------------------------

TDuzuMemo::TDuzuMemo(TComponent* AOwner)
    : TDuzuCustomText(AOwner), font_(arialFont()), mailMergeItems_(std::make_unique<TDuzuPersistentList>()) {}

void TDuzuMemo::SetFontMirror(TDuzuFontMaster* Value) {
    setReference(this, fontMirror_, Value);
}

void TDuzuMemo::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuCustomText::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == fontMirror_) fontMirror_ = nullptr;
}

void TDuzuMemo::SetMailMergeItems(TDuzuPersistentList* Value) {
    if (Value == mailMergeItems_.get()) return;
    mailMergeItems_->Clear();
    if (Value == nullptr) return;
    for (int i = 0; i < Value->Count(); ++i)
        if (auto* item = dynamic_cast<TDuzuMailMergeItem*>(Value->Item(i)))
            AddMailMergeItem(item->SearchToken(), item->ReplaceString(), item->CaseMatters());
}

TDuzuMailMergeItem* TDuzuMemo::AddMailMergeItem(const std::string& SearchToken, const std::string& ReplaceString,
                                                bool CaseMatters) {
    auto* item = new TDuzuMailMergeItem();
    item->SetSearchToken(SearchToken);
    item->SetReplaceString(ReplaceString);
    item->SetCaseMatters(CaseMatters);
    mailMergeItems_->Add(item);
    return item;
}

void TDuzuMemo::LoadText(TMemoBuf& Buffer) { Buffer.SetText(text_); }

void TDuzuMemo::PrepareBuffer(TMemoBuf& Buffer) {
    LoadText(Buffer);
    for (int i = 0; i < mailMergeItems_->Count(); ++i) {
        auto* item = dynamic_cast<TDuzuMailMergeItem*>(mailMergeItems_->Item(i));
        if (item == nullptr || item->SearchToken().empty()) continue;
        Buffer.ReplaceAll(item->SearchToken(), dataTextExpression(item->ReplaceString(), MergeView()),
                          item->CaseMatters());
    }
    Buffer.Reset();
}

void TDuzuMemo::PrintSelf(TBaseReport* Engine) {
    TMemoBuf buffer;
    buffer.BaseReport = Engine;
    buffer.PrintStart = PageLeft();
    buffer.PrintEnd = PageRight();
    buffer.Justify = fontJustify_;
    PrepareBuffer(buffer);
    if (buffer.Empty() || !FloatGreater(buffer.PrintEnd, buffer.PrintStart)) return;
    Engine->AssignFont(fontMirror_ != nullptr ? fontMirror_->Font() : font_.get());
    Engine->SetFontTop(PageTop());
    const double printed = truncate_ ? buffer.PrintHeight(Height(), false) : buffer.PrintLines(0, false);
    // What printed below the memo's own rectangle is claimed from its band.
    if (auto* band = dynamic_cast<TDuzuBand*>(Parent());
        band != nullptr && (expandParent_ || FloatGreater(printed, Height())))
        band->GrowTo(Top() + std::max(printed, Height()));
}

namespace {

using namespace duzu_props;

void registerStandardClasses() {
    RegisterDuzuClassInfo({"TDuzuFontMaster", "TDuzuComponent",
                           {object<TDuzuFontMaster, TDuzuFont>("Font", &TDuzuFontMaster::Font,
                                                              &TDuzuFontMaster::SetFont)},
                           {}});
    RegisterDuzuClassInfo(
        {"TDuzuPageNumInit", "TDuzuComponent",
         {integer<TDuzuPageNumInit>("InitValue", &TDuzuPageNumInit::InitValue, &TDuzuPageNumInit::SetInitValue, 1),
          object<TDuzuPageNumInit, TDuzuProjectItem>("InitDataView", &TDuzuPageNumInit::InitDataView,
                                                     &TDuzuPageNumInit::SetInitDataView),
          string<TDuzuPageNumInit>("InitDataField", &TDuzuPageNumInit::InitDataField,
                                   &TDuzuPageNumInit::SetInitDataField)},
         {}});
    RegisterDuzuClassInfo({"TDuzuCustomText", "TDuzuControl", {}, {}});
    RegisterDuzuClassInfo(
        {"TDuzuText", "TDuzuCustomText",
         {integer<TDuzuText>("Color", &TDuzuText::Color, &TDuzuText::SetColor, 0),
          object<TDuzuText, TDuzuFont>("Font", &TDuzuText::Font, &TDuzuText::SetFont),
          enumeration<TDuzuText>("FontJustify", &TDuzuText::FontJustify, &TDuzuText::SetFontJustify,
                                 {"pjCenter", "pjLeft", "pjRight", "pjBlock"}, pjLeft),
          object<TDuzuText, TDuzuFontMaster>("FontMirror", &TDuzuText::FontMirror, &TDuzuText::SetFontMirror),
          integer<TDuzuText>("Rotation", &TDuzuText::Rotation, &TDuzuText::SetRotation, 0),
          string<TDuzuText>("Text", &TDuzuText::Text, &TDuzuText::SetText),
          boolean<TDuzuText>("Truncate", &TDuzuText::Truncate, &TDuzuText::SetTruncate, false)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuSection", "TDuzuContainerControl",
         {boolean<TDuzuSection>("WasteFit", &TDuzuSection::WasteFit, &TDuzuSection::SetWasteFit, false)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuMailMergeItem", "",
         {string<TDuzuMailMergeItem>("SearchToken", &TDuzuMailMergeItem::SearchToken,
                                     &TDuzuMailMergeItem::SetSearchToken),
          string<TDuzuMailMergeItem>("ReplaceString", &TDuzuMailMergeItem::ReplaceString,
                                     &TDuzuMailMergeItem::SetReplaceString),
          boolean<TDuzuMailMergeItem>("CaseMatters", &TDuzuMailMergeItem::CaseMatters,
                                      &TDuzuMailMergeItem::SetCaseMatters, false)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuMemo", "TDuzuCustomText",
         {integer<TDuzuMemo>("Color", &TDuzuMemo::Color, &TDuzuMemo::SetColor, 0),
          boolean<TDuzuMemo>("ExpandParent", &TDuzuMemo::ExpandParent, &TDuzuMemo::SetExpandParent, true),
          object<TDuzuMemo, TDuzuFont>("Font", &TDuzuMemo::Font, &TDuzuMemo::SetFont),
          enumeration<TDuzuMemo>("FontJustify", &TDuzuMemo::FontJustify, &TDuzuMemo::SetFontJustify,
                                 {"pjCenter", "pjLeft", "pjRight", "pjBlock"}, pjLeft),
          object<TDuzuMemo, TDuzuFontMaster>("FontMirror", &TDuzuMemo::FontMirror, &TDuzuMemo::SetFontMirror),
          object<TDuzuMemo, TDuzuPersistentList>("MailMergeItems", &TDuzuMemo::MailMergeItems,
                                                 &TDuzuMemo::SetMailMergeItems),
          string<TDuzuMemo>("Text", &TDuzuMemo::Text, &TDuzuMemo::SetText),
          boolean<TDuzuMemo>("Truncate", &TDuzuMemo::Truncate, &TDuzuMemo::SetTruncate, false)},
         {}});
    RegisterClasses<TDuzuFontMaster, TDuzuPageNumInit, TDuzuText, TDuzuSection, TDuzuMailMergeItem, TDuzuMemo>();
}

}  // namespace

void DuzuRegisterStandardClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterDataClasses();
        registerStandardClasses();
    });
}
