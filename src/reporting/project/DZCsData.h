#pragma once
// The data-aware and calculated components of report projects: the data
// text (a field or expression, optionally looked up in another view), the
// data memo (a field's plain or rich text, word-wrapped), the
// calculated text and total that accumulate a value for each row their
// controller announces, and the controller that starts them from a value.
#include <memory>
#include <string>

#include "reporting/project/DZCalc.h"
#include "reporting/project/DZCsRpt.h"
#include "reporting/project/DZCsStd.h"
#include "reporting/project/DZData.h"

class TDuzuDataView;

class TDuzuDataText : public TDuzuText, public TDuzuFieldLink {
public:
    explicit TDuzuDataText(TComponent* AOwner);
    TDuzuProjectItem* LookupDataView() const { return lookupDataView_; }
    void SetLookupDataView(TDuzuProjectItem* Value);
    const std::string& LookupField() const { return lookupField_; }
    void SetLookupField(const std::string& Value) { lookupField_ = Value; }
    const std::string& LookupDisplay() const { return lookupDisplay_; }
    void SetLookupDisplay(const std::string& Value) { lookupDisplay_ = Value; }
    const std::string& LookupInvalid() const { return lookupInvalid_; }
    void SetLookupInvalid(const std::string& Value) { lookupInvalid_ = Value; }

    std::string PrintText() override;

private:
    TComponentRef<TDuzuProjectItem> lookupDataView_{this};
    std::string lookupField_, lookupDisplay_, lookupInvalid_;
};

// A memo whose text is its field's text (or expression over its view);
// with ContainsRTF the text is rich text and prints in its fonts.
class TDuzuDataMemo : public TDuzuMemo, public TDuzuFieldLink {
public:
    explicit TDuzuDataMemo(TComponent* AOwner) : TDuzuMemo(AOwner), TDuzuFieldLink(this) {}
    bool ContainsRTF() const { return containsRTF_; }
    void SetContainsRTF(bool Value) { containsRTF_ = Value; }

protected:
    void LoadText(TMemoBuf& Buffer) override;
    TDuzuDataView* MergeView() const override;

private:
    bool containsRTF_ = false;
};

// One choice of a data-mirror section: the section whose contents print
// when the selector's text is DataValue (or, with IsDefault, when no
// choice matches).
class TDuzuDataMirror : public TPersistent {
public:
    const std::string& DataValue() const { return dataValue_; }
    void SetDataValue(const std::string& Value) { dataValue_ = Value; }
    bool IsDefault() const { return isDefault_; }
    void SetIsDefault(bool Value) { isDefault_ = Value; }
    TDuzuSection* SectionMirror() const { return sectionMirror_; }
    void SetSectionMirror(TDuzuSection* Value) { sectionMirror_ = Value; }

private:
    std::string dataValue_;
    bool isDefault_ = false;
    TDuzuSection* sectionMirror_ = nullptr;
};

// A section that prints, in its own place, the contents of the section its
// selector's text chooses among DataMirrors; a chosen data-mirror section
// chooses in turn. Without a choice it prints its own contents.
class TDuzuDataMirrorSection : public TDuzuSection, public TDuzuFieldLink {
public:
    explicit TDuzuDataMirrorSection(TComponent* AOwner);
    bool CompareCase() const { return compareCase_; }
    void SetCompareCase(bool Value) { compareCase_ = Value; }
    TDuzuPersistentList* DataMirrors() const { return dataMirrors_.get(); }
    void SetDataMirrors(TDuzuPersistentList* Value);

    // Adds a choice; the section owns it.
    TDuzuDataMirror* AddDataMirror(const std::string& DataValue, TDuzuSection* SectionMirror, bool IsDefault = false);
    // This section's own choice for the current row, or nullptr.
    TDuzuSection* SelectedMirror() const;
    // The section whose contents print, along the chain of choices.
    TDuzuSection* ChosenSection();
    void Print(TBaseReport* Engine) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool compareCase_ = false;
    std::unique_ptr<TDuzuPersistentList> dataMirrors_;
};

// What calculated texts and totals share: the value source, the
// subscriptions to a controller and an initializer, and the accumulation.
class TDuzuCalcCore : public TDuzuCalcListener, public TDuzuFieldLink {
public:
    explicit TDuzuCalcCore(TComponent* Self) : TDuzuFieldLink(Self), controller_(Self), initializer_(Self) {}
    ~TDuzuCalcCore() override;

    TDuzuCalcType CalcType() const { return total_.CalcType; }
    void SetCalcType(TDuzuCalcType Value) { total_.CalcType = Value; }
    bool CountBlanks() const { return total_.CountBlanks; }
    void SetCountBlanks(bool Value) { total_.CountBlanks = Value; }
    bool RunningTotal() const { return runningTotal_; }
    void SetRunningTotal(bool Value) { runningTotal_ = Value; }
    TDuzuComponent* Controller() const { return controller_; }
    void SetController(TDuzuComponent* Value);
    TDuzuComponent* Initializer() const { return initializer_; }
    void SetInitializer(TDuzuComponent* Value);
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& Value) { displayFormat_ = Value; }
    TDuzuDisplayType DisplayType() const { return displayType_; }
    void SetDisplayType(TDuzuDisplayType Value) { displayType_ = Value; }

    double Value() const { return total_.Result(); }
    std::string ValueText() const;
    // The source's value for the current row.
    double SourceValue() const;
    void CalcNotify(const std::string& Event, bool HasValue, double Value) override;
    void Reset() { total_.Reset(); }

private:
    TDuzuCalcAccumulator total_;
    bool runningTotal_ = false;
    TComponentRef<TDuzuComponent> controller_;
    TComponentRef<TDuzuComponent> initializer_;
    std::string displayFormat_;
    TDuzuDisplayType displayType_ = dtNumberFmt;
};

class TDuzuCalcText : public TDuzuText, public TDuzuCalcCore {
public:
    explicit TDuzuCalcText(TComponent* AOwner) : TDuzuText(AOwner), TDuzuCalcCore(this) {}
    // The result in DisplayFormat; the total starts again after printing
    // unless RunningTotal is set.
    std::string PrintText() override { return ValueText(); }
    void PrintSelf(TBaseReport* Engine) override;
    void BeforeReport() override;
};

class TDuzuCalcVariable : public TDuzuComponent {
public:
    using TDuzuComponent::TDuzuComponent;
    virtual double Value() const = 0;
};

class TDuzuCalcTotal : public TDuzuCalcVariable, public TDuzuCalcCore {
public:
    explicit TDuzuCalcTotal(TComponent* AOwner) : TDuzuCalcVariable(AOwner), TDuzuCalcCore(this) {}
    const std::string& DestParam() const { return destParam_; }
    void SetDestParam(const std::string& Value) { destParam_ = Value; }
    const std::string& DestPIVar() const { return destPIVar_; }
    void SetDestPIVar(const std::string& Value) { destPIVar_ = Value; }
    double Value() const override { return TDuzuCalcCore::Value(); }
    // Also hands the result text to DestParam and DestPIVar.
    void CalcNotify(const std::string& Event, bool HasValue, double Value) override;
    void BeforeReport() override;

private:
    std::string destParam_, destPIVar_;
};

// One operation on two operands, each a calculation's value, a field's
// number or a constant, with a function applied to each and to the result;
// the result's text also goes to DestParam and DestPIVar when they are named.
class TDuzuCalcOp : public TDuzuCalcVariable {
public:
    struct Operand {
        TDuzuCalcVariable* CalcVar = nullptr;
        TDuzuProjectItem* DataView = nullptr;
        std::string DataField;
        double Value = 0;
        TDuzuCalcFunction Function = cfNone;
    };
    using TDuzuCalcVariable::TDuzuCalcVariable;

    TDuzuCalcOperator Operator() const { return operator_; }
    void SetOperator(TDuzuCalcOperator Value) { operator_ = Value; }
    TDuzuCalcVariable* Src1CalcVar() const { return src1_.CalcVar; }
    void SetSrc1CalcVar(TDuzuCalcVariable* Value) { src1_.CalcVar = Value; }
    TDuzuProjectItem* Src1DataView() const { return src1_.DataView; }
    void SetSrc1DataView(TDuzuProjectItem* Value) { src1_.DataView = Value; }
    const std::string& Src1DataField() const { return src1_.DataField; }
    void SetSrc1DataField(const std::string& Value) { src1_.DataField = Value; }
    double Src1Value() const { return src1_.Value; }
    void SetSrc1Value(double Value) { src1_.Value = Value; }
    TDuzuCalcFunction Src1Function() const { return src1_.Function; }
    void SetSrc1Function(TDuzuCalcFunction Value) { src1_.Function = Value; }
    TDuzuCalcVariable* Src2CalcVar() const { return src2_.CalcVar; }
    void SetSrc2CalcVar(TDuzuCalcVariable* Value) { src2_.CalcVar = Value; }
    TDuzuProjectItem* Src2DataView() const { return src2_.DataView; }
    void SetSrc2DataView(TDuzuProjectItem* Value) { src2_.DataView = Value; }
    const std::string& Src2DataField() const { return src2_.DataField; }
    void SetSrc2DataField(const std::string& Value) { src2_.DataField = Value; }
    double Src2Value() const { return src2_.Value; }
    void SetSrc2Value(double Value) { src2_.Value = Value; }
    TDuzuCalcFunction Src2Function() const { return src2_.Function; }
    void SetSrc2Function(TDuzuCalcFunction Value) { src2_.Function = Value; }
    TDuzuCalcFunction ResultFunction() const { return resultFunction_; }
    void SetResultFunction(TDuzuCalcFunction Value) { resultFunction_ = Value; }
    const std::string& DestParam() const { return destParam_; }
    void SetDestParam(const std::string& Value) { destParam_ = Value; }
    const std::string& DestPIVar() const { return destPIVar_; }
    void SetDestPIVar(const std::string& Value) { destPIVar_ = Value; }
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& Value) { displayFormat_ = Value; }
    TDuzuDisplayType DisplayType() const { return displayType_; }
    void SetDisplayType(TDuzuDisplayType Value) { displayType_ = Value; }

    // Works the operation out and hands its text on.
    double Value() const override;
    void PrintSelf(TBaseReport* Engine) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TDuzuCalcOperator operator_ = coAdd;
    Operand src1_, src2_;
    TDuzuCalcFunction resultFunction_ = cfNone;
    std::string destParam_, destPIVar_, displayFormat_;
    TDuzuDisplayType displayType_ = dtNumberFmt;
};

// Starts the calculations that subscribe to it from InitCalcVar's value,
// else InitDataField's, else InitValue, whenever it prints.
class TDuzuCalcController : public TDuzuComponent, public TDuzuCalcPublisher {
public:
    using TDuzuComponent::TDuzuComponent;
    TDuzuCalcVariable* InitCalcVar() const { return initCalcVar_; }
    void SetInitCalcVar(TDuzuCalcVariable* Value) { initCalcVar_.set(Value); }
    const std::string& InitDataField() const { return initDataField_; }
    void SetInitDataField(const std::string& Value) { initDataField_ = Value; }
    double InitValue() const { return initValue_; }
    void SetInitValue(double Value) { initValue_ = Value; }

    double StartValue() const;
    void PrintSelf(TBaseReport* Engine) override;

private:
    TComponentRef<TDuzuCalcVariable> initCalcVar_{this};
    std::string initDataField_;
    double initValue_ = 0;
};

void DuzuRegisterDataAwareClasses();
