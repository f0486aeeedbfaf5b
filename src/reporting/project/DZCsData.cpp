#include "reporting/project/DZCsData.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/DuzuProperties.h"

namespace {

const char* const kCalcNewData = "CalcNewData";
const char* const kCalcInitData = "CalcInitData";

// The number in an expression's text (0 when there is none).
double expressionNumber(const std::string& Expression, TDuzuDataView* View) {
    if (View != nullptr) {
        TDuzuDataField* field = View->FindField(Expression);
        if (field != nullptr) return field->AsFloat();
    }
    return StrToFloatDef(FilterNumber(dataTextExpression(Expression, View)), 0);
}

std::string numberText(double Value, const std::string& Format, TDuzuDisplayType Type) {
    if (Type == dtDateTimeFmt) return Format.empty() ? DateTimeToStr(Value) : FormatDateTime(Format, Value);
    return Format.empty() ? FloatToStr(Value) : FormatFloat(Format, Value);
}

}  // namespace

namespace {

double operandValue(const TDuzuCalcOp::Operand& Source) {
    double value = Source.Value;
    if (Source.CalcVar != nullptr)
        value = Source.CalcVar->Value();
    else if (!Source.DataField.empty())
        value = expressionNumber(Source.DataField, dynamic_cast<TDuzuDataView*>(Source.DataView));
    return applyCalcFunction(Source.Function, value);
}

void handOn(const std::string& DestParam, const std::string& DestPIVar, const std::string& Text) {
    if (DuzuTrialRunning()) return;  // a layout only being tried hands on nothing
    if (ProjectManager == nullptr) return;
    if (!DestParam.empty()) ProjectManager->SetParamValue(DestParam, Text);
    if (!DestPIVar.empty() && ProjectManager->ActiveReport() != nullptr)
        ProjectManager->ActiveReport()->PIVars()->SetValues(DestPIVar, Text);
}

}  // namespace

// ---------------------------------------------------------------------------

TDuzuDataText::TDuzuDataText(TComponent* AOwner) : TDuzuText(AOwner), TDuzuFieldLink(this) { SetTruncate(true); }

void TDuzuDataText::SetLookupDataView(TDuzuProjectItem* Value) { lookupDataView_.set(Value); }

std::string TDuzuDataText::PrintText() {
    auto* lookup = dynamic_cast<TDuzuDataView*>(lookupDataView_.get());
    if (lookup == nullptr || lookupField_.empty() || lookupDisplay_.empty()) return fieldText();
    if (lookup == fieldView()) {
        TDuzuDataField* display = lookup->FindField(lookupDisplay_);
        return display != nullptr ? display->AsString() : lookupInvalid_;
    }
    std::string value = fieldText();
    return lookup->LookupText(lookupField_, value, lookupDisplay_, lookupInvalid_);
}

// ---------------------------------------------------------------------------

TDuzuDataView* TDuzuDataMemo::MergeView() const { return fieldView(); }

void TDuzuDataMemo::LoadText(TMemoBuf& Buffer) {
    std::string text = fieldText();
    if (containsRTF_)
        Buffer.SetRTF(text);
    else
        Buffer.SetText(text);
}

// ---------------------------------------------------------------------------

TDuzuDataMirrorSection::TDuzuDataMirrorSection(TComponent* AOwner)
    : TDuzuSection(AOwner), TDuzuFieldLink(this), dataMirrors_(std::make_unique<TDuzuPersistentList>()) {}

void TDuzuDataMirrorSection::SetDataMirrors(TDuzuPersistentList* Value) {
    dataMirrors_->assignItems<TDuzuDataMirror>(Value, [this](const TDuzuDataMirror& Mirror) {
        AddDataMirror(Mirror.DataValue(), Mirror.SectionMirror(), Mirror.IsDefault());
    });
}

TDuzuDataMirror* TDuzuDataMirrorSection::AddDataMirror(const std::string& DataValue, TDuzuSection* SectionMirror,
                                                       bool IsDefault) {
    auto* mirror = new TDuzuDataMirror();
    mirror->SetDataValue(DataValue);
    mirror->SetSectionMirror(SectionMirror);
    mirror->SetIsDefault(IsDefault);
    if (SectionMirror != nullptr) SectionMirror->FreeNotification(this);
    dataMirrors_->Add(mirror);
    return mirror;
}

void TDuzuDataMirrorSection::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuSection::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    for (int i = 0; i < dataMirrors_->Count(); ++i)
        if (auto* mirror = dynamic_cast<TDuzuDataMirror*>(dataMirrors_->Item(i));
            mirror != nullptr && mirror->SectionMirror() == AComponent)
            mirror->SetSectionMirror(nullptr);
}

TDuzuSection* TDuzuDataMirrorSection::SelectedMirror() const {
    const std::string text = fieldText();
    TDuzuDataMirror* fallback = nullptr;
    for (int i = 0; i < dataMirrors_->Count(); ++i) {
        auto* mirror = dynamic_cast<TDuzuDataMirror*>(dataMirrors_->Item(i));
        if (mirror == nullptr) continue;
        if (mirror->IsDefault() && fallback == nullptr) fallback = mirror;
        if (compareCase_ ? mirror->DataValue() == text : SameText(mirror->DataValue(), text))
            return mirror->SectionMirror();
    }
    return fallback != nullptr ? fallback->SectionMirror() : nullptr;
}

TDuzuSection* TDuzuDataMirrorSection::ChosenSection() {
    TDuzuSection* chosen = this;
    std::vector<TDuzuSection*> seen{this};
    while (auto* mirrorSection = dynamic_cast<TDuzuDataMirrorSection*>(chosen)) {
        TDuzuSection* next = mirrorSection->SelectedMirror();
        // A chain that comes back on itself stops where it was.
        if (next == nullptr || std::find(seen.begin(), seen.end(), next) != seen.end()) break;
        seen.push_back(next);
        chosen = next;
    }
    return chosen;
}

void TDuzuDataMirrorSection::Print(TBaseReport* Engine) {
    TDuzuSection* chosen = ChosenSection();
    if (chosen == this) {
        TDuzuSection::Print(Engine);
        return;
    }
    if (IsPrintable()) PrintSelf(Engine);
    chosen->PrintContentsAt(Engine, PageLeft(), PageTop());
}

// ---------------------------------------------------------------------------

TDuzuCalcCore::~TDuzuCalcCore() {
    if (auto* publisher = dynamic_cast<TDuzuCalcPublisher*>(controller_.get())) publisher->Unsubscribe(kCalcNewData, this);
    if (auto* publisher = dynamic_cast<TDuzuCalcPublisher*>(initializer_.get()))
        publisher->Unsubscribe(kCalcInitData, this);
}

void TDuzuCalcCore::SetController(TDuzuComponent* Value) {
    if (auto* publisher = dynamic_cast<TDuzuCalcPublisher*>(controller_.get())) publisher->Unsubscribe(kCalcNewData, this);
    controller_.set(Value);
    if (auto* publisher = dynamic_cast<TDuzuCalcPublisher*>(controller_.get())) publisher->Subscribe(kCalcNewData, this);
}

void TDuzuCalcCore::SetInitializer(TDuzuComponent* Value) {
    if (auto* publisher = dynamic_cast<TDuzuCalcPublisher*>(initializer_.get()))
        publisher->Unsubscribe(kCalcInitData, this);
    initializer_.set(Value);
    if (auto* publisher = dynamic_cast<TDuzuCalcPublisher*>(initializer_.get())) publisher->Subscribe(kCalcInitData, this);
}

double TDuzuCalcCore::SourceValue() const { return expressionNumber(DataField(), fieldView()); }

std::string TDuzuCalcCore::ValueText() const { return numberText(Value(), displayFormat_, displayType_); }

void TDuzuCalcCore::CalcNotify(const std::string& Event, bool HasValue, double Value) {
    if (Event == kCalcNewData)
        total_.Add(SourceValue());
    else if (Event == kCalcInitData)
        total_.Init(HasValue ? Value : 0);
}

void TDuzuCalcText::PrintSelf(TBaseReport* Engine) {
    TDuzuText::PrintSelf(Engine);
    // A trial prints the value without using it up.
    if (!RunningTotal() && !DuzuTrialRunning()) Reset();
}

void TDuzuCalcText::BeforeReport() {
    TDuzuText::BeforeReport();
    Reset();
}

void TDuzuCalcTotal::CalcNotify(const std::string& Event, bool HasValue, double Value) {
    TDuzuCalcCore::CalcNotify(Event, HasValue, Value);
    handOn(destParam_, destPIVar_, ValueText());
}

void TDuzuCalcTotal::BeforeReport() {
    TDuzuCalcVariable::BeforeReport();
    Reset();
}

double TDuzuCalcOp::Value() const {
    double result = applyCalcOperator(operator_, operandValue(src1_), operandValue(src2_));
    return applyCalcFunction(resultFunction_, result);
}

void TDuzuCalcOp::PrintSelf(TBaseReport* Engine) {
    (void)Engine;
    handOn(destParam_, destPIVar_, numberText(Value(), displayFormat_, displayType_));
}

void TDuzuCalcOp::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuCalcVariable::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    for (Operand* source : {&src1_, &src2_}) {
        if (AComponent == source->CalcVar) source->CalcVar = nullptr;
        if (AComponent == source->DataView) source->DataView = nullptr;
    }
}

double TDuzuCalcController::StartValue() const {
    if (initCalcVar_ != nullptr) return initCalcVar_->Value();
    if (!initDataField_.empty()) return expressionNumber(initDataField_, nullptr);
    return initValue_;
}

void TDuzuCalcController::PrintSelf(TBaseReport* Engine) {
    (void)Engine;
    double value = StartValue();
    Fire(kCalcNewData, true, value);
    Fire(kCalcInitData, true, value);
}

// ---------------------------------------------------------------------------

namespace {

using namespace duzu_props;

template <class C>
std::vector<TDuzuPropInfo> calcProps() {
    return {enumeration<C>("CalcType", &C::CalcType, &C::SetCalcType, {"ctCount", "ctSum", "ctMin", "ctMax", "ctAverage"},
                           ctSum),
            object<C, TDuzuComponent>("Controller", &C::Controller, &C::SetController),
            object<C, TDuzuComponent>("Initializer", &C::Initializer, &C::SetInitializer),
            boolean<C>("CountBlanks", &C::CountBlanks, &C::SetCountBlanks, true),
            boolean<C>("RunningTotal", &C::RunningTotal, &C::SetRunningTotal, false),
            object<C, TDuzuProjectItem>("DataView", &C::DataView, &C::SetDataView),
            string<C>("DataField", &C::DataField, &C::SetDataField),
            string<C>("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat),
            enumeration<C>("DisplayType", &C::DisplayType, &C::SetDisplayType, {"dtNumberFmt", "dtDateTimeFmt"},
                           dtNumberFmt)};
}

void registerDataAwareClasses() {
    TDuzuPropInfo truncate = boolean<TDuzuDataText>("Truncate", &TDuzuDataText::Truncate, &TDuzuDataText::SetTruncate,
                                                    true);
    RegisterDuzuClassInfo(
        {"TDuzuDataText", "TDuzuText",
         {object<TDuzuDataText, TDuzuProjectItem>("DataView", &TDuzuDataText::DataView, &TDuzuDataText::SetDataView),
          string<TDuzuDataText>("DataField", &TDuzuDataText::DataField, &TDuzuDataText::SetDataField),
          object<TDuzuDataText, TDuzuProjectItem>("LookupDataView", &TDuzuDataText::LookupDataView,
                                                  &TDuzuDataText::SetLookupDataView),
          string<TDuzuDataText>("LookupField", &TDuzuDataText::LookupField, &TDuzuDataText::SetLookupField),
          string<TDuzuDataText>("LookupDisplay", &TDuzuDataText::LookupDisplay, &TDuzuDataText::SetLookupDisplay),
          string<TDuzuDataText>("LookupInvalid", &TDuzuDataText::LookupInvalid, &TDuzuDataText::SetLookupInvalid),
          truncate},
         {}});
    RegisterDuzuClassInfo({"TDuzuCalcText", "TDuzuText", calcProps<TDuzuCalcText>(), {}});
    RegisterDuzuClassInfo({"TDuzuCalcVariable", "TDuzuComponent", {}, {}});
    std::vector<TDuzuPropInfo> totalProps = calcProps<TDuzuCalcTotal>();
    totalProps.push_back(string<TDuzuCalcTotal>("DestParam", &TDuzuCalcTotal::DestParam, &TDuzuCalcTotal::SetDestParam));
    totalProps.push_back(string<TDuzuCalcTotal>("DestPIVar", &TDuzuCalcTotal::DestPIVar, &TDuzuCalcTotal::SetDestPIVar));
    RegisterDuzuClassInfo({"TDuzuCalcTotal", "TDuzuCalcVariable", totalProps, {}});
    RegisterDuzuClassInfo(
        {"TDuzuCalcController", "TDuzuComponent",
         {object<TDuzuCalcController, TDuzuCalcVariable>("InitCalcVar", &TDuzuCalcController::InitCalcVar,
                                                         &TDuzuCalcController::SetInitCalcVar),
          string<TDuzuCalcController>("InitDataField", &TDuzuCalcController::InitDataField,
                                      &TDuzuCalcController::SetInitDataField),
          floating<TDuzuCalcController>("InitValue", &TDuzuCalcController::InitValue,
                                        &TDuzuCalcController::SetInitValue)},
         {}});
    const std::vector<std::string> functions = {
        "cfNone", "cfTrunc", "cfFrac", "cfRound", "cfNeg", "cfAbs", "cfSin", "cfCos", "cfArcTan",
        "cfSqr", "cfSqrt", "cfInc", "cfDec", "cfRandom", "cfRound1", "cfRound2", "cfRound3", "cfRound4",
        "cfRound5", "cfSecsToTime", "cfMinsToTime", "cfHoursToTime", "cfTimeToSecs", "cfTimeToMins",
        "cfTimeToHours", "cfPercent"};
    using Op = TDuzuCalcOp;
    RegisterDuzuClassInfo(
        {"TDuzuCalcOp", "TDuzuCalcVariable",
         {enumeration<Op>("Operator", &Op::Operator, &Op::SetOperator,
                          {"coAdd", "coSub", "coMul", "coDiv", "coMod", "coExp", "coGreater", "coLesser",
                           "coAverage"},
                          coAdd),
          object<Op, TDuzuCalcVariable>("Src1CalcVar", &Op::Src1CalcVar, &Op::SetSrc1CalcVar),
          object<Op, TDuzuProjectItem>("Src1DataView", &Op::Src1DataView, &Op::SetSrc1DataView),
          string<Op>("Src1DataField", &Op::Src1DataField, &Op::SetSrc1DataField),
          floating<Op>("Src1Value", &Op::Src1Value, &Op::SetSrc1Value),
          enumeration<Op>("Src1Function", &Op::Src1Function, &Op::SetSrc1Function, functions, cfNone),
          object<Op, TDuzuCalcVariable>("Src2CalcVar", &Op::Src2CalcVar, &Op::SetSrc2CalcVar),
          object<Op, TDuzuProjectItem>("Src2DataView", &Op::Src2DataView, &Op::SetSrc2DataView),
          string<Op>("Src2DataField", &Op::Src2DataField, &Op::SetSrc2DataField),
          floating<Op>("Src2Value", &Op::Src2Value, &Op::SetSrc2Value),
          enumeration<Op>("Src2Function", &Op::Src2Function, &Op::SetSrc2Function, functions, cfNone),
          enumeration<Op>("ResultFunction", &Op::ResultFunction, &Op::SetResultFunction, functions, cfNone),
          string<Op>("DestParam", &Op::DestParam, &Op::SetDestParam),
          string<Op>("DestPIVar", &Op::DestPIVar, &Op::SetDestPIVar),
          string<Op>("DisplayFormat", &Op::DisplayFormat, &Op::SetDisplayFormat),
          enumeration<Op>("DisplayType", &Op::DisplayType, &Op::SetDisplayType, {"dtNumberFmt", "dtDateTimeFmt"},
                          dtNumberFmt)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuDataMemo", "TDuzuMemo",
         {object<TDuzuDataMemo, TDuzuProjectItem>("DataView", &TDuzuDataMemo::DataView, &TDuzuDataMemo::SetDataView),
          string<TDuzuDataMemo>("DataField", &TDuzuDataMemo::DataField, &TDuzuDataMemo::SetDataField),
          boolean<TDuzuDataMemo>("ContainsRTF", &TDuzuDataMemo::ContainsRTF, &TDuzuDataMemo::SetContainsRTF,
                                 false)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuDataMirror", "",
         {string<TDuzuDataMirror>("DataValue", &TDuzuDataMirror::DataValue, &TDuzuDataMirror::SetDataValue),
          boolean<TDuzuDataMirror>("IsDefault", &TDuzuDataMirror::IsDefault, &TDuzuDataMirror::SetIsDefault, false),
          object<TDuzuDataMirror, TDuzuSection>("SectionMirror", &TDuzuDataMirror::SectionMirror,
                                                &TDuzuDataMirror::SetSectionMirror)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuDataMirrorSection", "TDuzuSection",
         {object<TDuzuDataMirrorSection, TDuzuProjectItem>("DataView", &TDuzuDataMirrorSection::DataView,
                                                           &TDuzuDataMirrorSection::SetDataView),
          string<TDuzuDataMirrorSection>("DataField", &TDuzuDataMirrorSection::DataField,
                                         &TDuzuDataMirrorSection::SetDataField),
          boolean<TDuzuDataMirrorSection>("CompareCase", &TDuzuDataMirrorSection::CompareCase,
                                          &TDuzuDataMirrorSection::SetCompareCase, false),
          object<TDuzuDataMirrorSection, TDuzuPersistentList>("DataMirrors", &TDuzuDataMirrorSection::DataMirrors,
                                                              &TDuzuDataMirrorSection::SetDataMirrors)},
         {}});
    RegisterClasses<TDuzuDataMirror, TDuzuDataMirrorSection, TDuzuDataMemo, TDuzuDataText, TDuzuCalcText, TDuzuCalcTotal, TDuzuCalcController, TDuzuCalcOp>();
}

}  // namespace

void DuzuRegisterDataAwareClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterStandardClasses();
        DuzuRegisterBandClasses();
        registerDataAwareClasses();
    });
}
