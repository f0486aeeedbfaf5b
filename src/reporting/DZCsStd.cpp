#include "reporting/DZCsStd.h"

#include <cmath>
#include <mutex>

#include "base/SysUtils.h"
#include "reporting/DZData.h"
#include "reporting/DesignerUtils.h"
#include "reporting/DuzuProperties.h"
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
    std::string text = DataTextExpression(initDataField_, dynamic_cast<TDuzuDataView*>(initDataView_));
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
    if (fontMirror_ != nullptr) fontMirror_->RemoveFreeNotification(this);
    fontMirror_ = Value;
    if (fontMirror_ != nullptr) fontMirror_->FreeNotification(this);
}

void TDuzuText::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuCustomText::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == fontMirror_) fontMirror_ = nullptr;
}

void TDuzuText::selectFont(TBaseReport* Engine) const {
    Engine->AssignFont(fontMirror_ != nullptr ? fontMirror_->Font() : font_.get());
    Engine->SetFontRotation(rotation_);
}

std::string TruncateToWidth(TBaseReport* Engine, const std::string& Text, double Width) {
    std::string text = Text;
    while (!text.empty() && FloatGreater(Engine->TextWidth(text), Width)) text.pop_back();
    return text;
}

void TDuzuText::PrintSelf(TBaseReport* Engine) {
    selectFont(Engine);
    Engine->SetFontTop(PageTop());
    std::string text = PrintText();
    if (truncate_) text = TruncateToWidth(Engine, text, Width());
    switch (fontJustify_) {
        case pjCenter: Engine->PrintCenter(text, PageLeft() + Width() / 2); break;
        case pjRight: Engine->PrintRight(text, PageRight()); break;
        case pjLeft:
        case pjBlock: Engine->PrintLeft(text, PageLeft()); break;
    }
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
    RegisterClasses<TDuzuFontMaster, TDuzuPageNumInit, TDuzuText, TDuzuSection>();
}

}  // namespace

void DuzuRegisterStandardClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterDataClasses();
        registerStandardClasses();
    });
}
