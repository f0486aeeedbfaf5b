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
#include "reporting/RunFinally.h"

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
    std::string text = dataTextExpression(initDataField_, dynamic_cast<TDuzuDataView*>(initDataView_.get()));
    return static_cast<int>(std::trunc(StrToFloatDef(FilterNumber(text), 1)));
}

void TDuzuPageNumInit::PrintSelf(TBaseReport* Engine) {
    Engine->SetPageNumOffset(StartValue() - Engine->CurrentPage());
}

TDuzuCustomText::TDuzuCustomText(TComponent* AOwner) : TDuzuControl(AOwner), font_(arialFont()) {}

void TDuzuCustomText::SetFontMirror(TDuzuFontMaster* Value) {
    fontMirror_.set(Value);
}

TDuzuFont* TDuzuCustomText::printFont() const { return fontMirror_ != nullptr ? fontMirror_->Font() : font_.get(); }

void TDuzuText::selectFont(TBaseReport* Engine) const {
    Engine->AssignFont(printFont());
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
    if (Truncate()) text = truncateToWidth(Engine, text, Width());
    switch (FontJustify()) {
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
    withFinally([&] { for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->Print(Engine); },
                [&] {
                    placed_ = wasPlaced;
                    placedLeft_ = savedLeft;
                    placedTop_ = savedTop;
                });
}

// ---------------------------------------------------------------------------

TDuzuMemo::TDuzuMemo(TComponent* AOwner)
    : TDuzuCustomText(AOwner), mailMergeItems_(std::make_unique<TDuzuPersistentList>()) {}

void TDuzuMemo::SetMailMergeItems(TDuzuPersistentList* Value) {
    mailMergeItems_->assignItems<TDuzuMailMergeItem>(Value, [this](const TDuzuMailMergeItem& Item) {
        AddMailMergeItem(Item.SearchToken(), Item.ReplaceString(), Item.CaseMatters());
    });
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

void TDuzuMemo::LoadText(TMemoBuf& Buffer) { Buffer.SetText(Text()); }

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
    buffer.Justify = FontJustify();
    PrepareBuffer(buffer);
    if (buffer.Empty() || !FloatGreater(buffer.PrintEnd, buffer.PrintStart)) return;
    Engine->AssignFont(printFont());
    Engine->SetFontTop(PageTop());
    const double printed = Truncate() ? buffer.PrintHeight(Height(), false) : buffer.PrintLines(0, false);
    // What printed below the memo's own rectangle is claimed from its band.
    if (auto* band = dynamic_cast<TDuzuBand*>(Parent());
        band != nullptr && (expandParent_ || FloatGreater(printed, Height())))
        band->GrowTo(Top() + std::max(printed, Height()));
}

namespace {

using namespace duzu_props;

// The published properties of a text or memo class C: those TDuzuCustomText
// gives it and its own, in the alphabetical order the classes declare them.
template <class C>
std::vector<TDuzuPropInfo> customTextProps(std::vector<TDuzuPropInfo> Own) {
    std::vector<TDuzuPropInfo> props{
        integer<C>("Color", &C::Color, &C::SetColor, 0),
        object<C, TDuzuFont>("Font", &C::Font, &C::SetFont),
        enumeration<C>("FontJustify", &C::FontJustify, &C::SetFontJustify, {"pjCenter", "pjLeft", "pjRight", "pjBlock"},
                       pjLeft),
        object<C, TDuzuFontMaster>("FontMirror", &C::FontMirror, &C::SetFontMirror),
        string<C>("Text", &C::Text, &C::SetText),
        boolean<C>("Truncate", &C::Truncate, &C::SetTruncate, false)};
    for (auto& prop : Own) props.push_back(std::move(prop));
    std::stable_sort(props.begin(), props.end(),
                     [](const TDuzuPropInfo& A, const TDuzuPropInfo& B) { return A.Name < B.Name; });
    return props;
}

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
         customTextProps<TDuzuText>({integer<TDuzuText>("Rotation", &TDuzuText::Rotation, &TDuzuText::SetRotation, 0)}),
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
         customTextProps<TDuzuMemo>(
             {boolean<TDuzuMemo>("ExpandParent", &TDuzuMemo::ExpandParent, &TDuzuMemo::SetExpandParent, true),
              object<TDuzuMemo, TDuzuPersistentList>("MailMergeItems", &TDuzuMemo::MailMergeItems,
                                                     &TDuzuMemo::SetMailMergeItems)}),
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
