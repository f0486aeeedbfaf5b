#pragma once
// The field classes: one object per column of a dataset, converting between
// the record buffer's native values and the program's types and text.
//
// Native values handed to and from the dataset (GetData/SetData): string
// fields a null-terminated text of Size()+1 bytes; smallint and Boolean
// fields 16 bits (Boolean 1/0); integer fields 32 bits; date fields a 32-bit
// day count (the date + DateDelta); float and currency fields a double.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"
#include "base/Streams.h"
#include "data/Db.h"
#include "data/Variant.h"

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const std::string& Text)>;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

class TField : public TComponent {
public:
    explicit TField(TComponent* AOwner);
    // Leaves its dataset's field list.
    ~TField() override;

    TDataSet* DataSet() const { return dataSet_; }
    // Adds the field to the dataset's field list (removes it from the old
    // one). Raises on an open dataset.
    void SetDataSet(TDataSet* Value);
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& Value);
    // Engine field number from 1; 0 for calculated fields and before binding.
    int FieldNo() const { return fieldNo_; }
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind Value);
    bool Calculated() const { return fieldKind_ == fkCalculated; }
    void SetCalculated(bool Value) { SetFieldKind(Value ? fkCalculated : fkData); }
    TFieldType DataType() const { return dataType_; }
    int Size() const { return size_; }
    void SetSize(int Value);
    // Bytes of the native value.
    virtual int DataSize() const { return 0; }
    virtual bool IsBlob() const { return false; }

    std::string DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const std::string& Value);
    std::string DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : defaultWidth(); }
    void SetDisplayWidth(int Value);
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& Value) { editMask_ = Value; }
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    bool Required() const { return required_; }
    void SetRequired(bool Value) { required_ = Value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }
    // Position in the dataset's field list.
    int Index() const;
    void SetIndex(int Value);
    // Not read-only, a data field, and the dataset can be modified.
    bool CanModify() const;

    bool IsNull() const;
    void Clear() { SetData(nullptr); }

    std::string AsString() const { return GetAsString(); }
    void SetAsString(const std::string& Value) { SetAsStringValue(Value); }
    int AsInteger() const { return GetAsInteger(); }
    void SetAsInteger(int Value) { SetAsIntegerValue(Value); }
    double AsFloat() const { return GetAsFloat(); }
    void SetAsFloat(double Value) { SetAsFloatValue(Value); }
    Currency AsCurrency() const { return GetAsCurrency(); }
    void SetAsCurrency(Currency Value) { SetAsCurrencyValue(Value); }
    bool AsBoolean() const { return GetAsBoolean(); }
    void SetAsBoolean(bool Value) { SetAsBooleanValue(Value); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    void SetAsDateTime(TDateTime Value) { SetAsDateTimeValue(Value); }

    // The value as a variant (null when the field is null); setting a null clears it.
    Variant Value() const { return GetAsVariant(); }
    void SetValue(const Variant& Value);

    // The text for editing; setting it goes through OnSetText when assigned.
    std::string Text() const;
    void SetText(const std::string& Value);
    std::string DisplayText() const;
    std::string EditText() const { return Text(); }
    void SetEditText(const std::string& Value) { SetText(Value); }

    // The native value of the dataset's current record buffer; false when
    // the value is blank (null). SetData(nullptr) writes a blank.
    bool GetData(void* Buffer) const;
    void SetData(const void* Buffer);

    // Whether the character may be typed into the field.
    virtual bool IsValidChar(char Ch) const;

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    void SetDataType(TFieldType Value) { dataType_ = Value; }
    virtual int defaultWidth() const { return 10; }

    virtual std::string GetAsString() const;
    virtual void SetAsStringValue(const std::string& Value);
    virtual int GetAsInteger() const;
    virtual void SetAsIntegerValue(int Value);
    virtual double GetAsFloat() const;
    virtual void SetAsFloatValue(double Value);
    virtual Currency GetAsCurrency() const { return Currency(GetAsFloat()); }
    virtual void SetAsCurrencyValue(Currency Value) { SetAsFloatValue(Value.ToDouble()); }
    virtual bool GetAsBoolean() const;
    virtual void SetAsBooleanValue(bool Value);
    virtual TDateTime GetAsDateTime() const;
    virtual void SetAsDateTimeValue(TDateTime Value);
    virtual Variant GetAsVariant() const;
    // The text shown (DisplayText true) or edited.
    virtual void GetText(std::string& Text, bool DisplayText) const;
    virtual void SetTextValue(const std::string& Value) { SetAsStringValue(Value); }
    virtual bool isNullValue() const;

    [[noreturn]] void AccessError(const std::string& TypeName) const;
    [[noreturn]] void RangeError(double Value, double Min, double Max) const;

private:
    friend class TDataSet;
    friend class TBlobStream;
    void changed();

    TDataSet* dataSet_ = nullptr;
    std::string fieldName_;
    int fieldNo_ = 0;
    int offset_ = 0;  // of a calculated field's value in the calculated area
    TFieldKind fieldKind_ = fkData;
    TFieldType dataType_ = ftUnknown;
    int size_ = 0;
    std::string displayLabel_;
    int displayWidth_ = 0;
    std::string editMask_;
    bool visible_ = true;
    bool required_ = false;
    bool readOnly_ = false;
};

class TStringField : public TField {
public:
    explicit TStringField(TComponent* AOwner);
    int DataSize() const override { return Size() + 1; }

protected:
    int defaultWidth() const override { return Size(); }
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int Value) override { SetAsStringValue(IntToStr(Value)); }
    double GetAsFloat() const override;
    void SetAsFloatValue(double Value) override { SetAsStringValue(FloatToStr(Value)); }
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool Value) override { SetAsStringValue(Value ? "T" : "F"); }
    TDateTime GetAsDateTime() const override { return StrToDateTime(GetAsString()); }
    void SetAsDateTimeValue(TDateTime Value) override { SetAsStringValue(DateTimeToStr(Value)); }
    Variant GetAsVariant() const override;
};

// Base of the numeric fields: right-aligned, with display and edit formats.
class TNumericField : public TField {
public:
    using TField::TField;
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& Value);
    const std::string& EditFormat() const { return editFormat_; }
    void SetEditFormat(const std::string& Value);

private:
    std::string displayFormat_;
    std::string editFormat_;
};

class TIntegerField : public TNumericField {
public:
    explicit TIntegerField(TComponent* AOwner);
    int DataSize() const override { return 4; }
    int MinValue() const { return minValue_; }
    void SetMinValue(int Value) { minValue_ = Value; }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int Value) { maxValue_ = Value; }
    bool IsValidChar(char Ch) const override;

protected:
    TIntegerField(TComponent* AOwner, int Min, int Max);
    int defaultWidth() const override { return 11; }
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int Value) override;
    double GetAsFloat() const override { return GetAsInteger(); }
    void SetAsFloatValue(double Value) override;
    void GetText(std::string& Text, bool DisplayText) const override;
    Variant GetAsVariant() const override;
    // Reads or writes the native value in the field's own width.
    virtual bool getValue(int& Value) const;
    virtual void putValue(int Value);

private:
    int minValue_ = 0;
    int maxValue_ = 0;
    int naturalMin_;
    int naturalMax_;
};

class TSmallintField : public TIntegerField {
public:
    explicit TSmallintField(TComponent* AOwner);
    int DataSize() const override { return 2; }

protected:
    int defaultWidth() const override { return 6; }
    bool getValue(int& Value) const override;
    void putValue(int Value) override;
};

class TFloatField : public TNumericField {
public:
    explicit TFloatField(TComponent* AOwner);
    int DataSize() const override { return 8; }
    // The "Currency" property: show the value as money.
    bool IsCurrency() const { return currency_; }
    void SetCurrency(bool Value);
    int Precision() const { return precision_; }
    void SetPrecision(int Value);
    double MinValue() const { return minValue_; }
    void SetMinValue(double Value) { minValue_ = Value; }
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double Value) { maxValue_ = Value; }
    bool IsValidChar(char Ch) const override;

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    int GetAsInteger() const override;
    void SetAsIntegerValue(int Value) override { SetAsFloatValue(Value); }
    double GetAsFloat() const override;
    void SetAsFloatValue(double Value) override;
    void GetText(std::string& Text, bool DisplayText) const override;
    Variant GetAsVariant() const override;

private:
    bool currency_ = false;
    int precision_ = 15;
    double minValue_ = 0;
    double maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
public:
    explicit TCurrencyField(TComponent* AOwner);
};

class TBooleanField : public TField {
public:
    explicit TBooleanField(TComponent* AOwner);
    int DataSize() const override { return 2; }
    // "True;False": the texts of the two values.
    std::string DisplayValues() const { return displayValues_; }
    void SetDisplayValues(const std::string& Value);

protected:
    int defaultWidth() const override;
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    bool GetAsBoolean() const override;
    void SetAsBooleanValue(bool Value) override;
    Variant GetAsVariant() const override;

private:
    std::string displayValues_ = "True;False";
    std::string trueText_ = "True";
    std::string falseText_ = "False";
};

class TDateField : public TField {
public:
    explicit TDateField(TComponent* AOwner);
    int DataSize() const override { return 4; }
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& Value);

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    double GetAsFloat() const override { return GetAsDateTime(); }
    void SetAsFloatValue(double Value) override { SetAsDateTimeValue(Value); }
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeValue(TDateTime Value) override;
    void GetText(std::string& Text, bool DisplayText) const override;
    Variant GetAsVariant() const override;

private:
    std::string displayFormat_;
};

// Binary large objects and memos: read and written whole through the
// dataset's blob streams.
class TBlobField : public TField {
public:
    explicit TBlobField(TComponent* AOwner);
    bool IsBlob() const override { return true; }
    TFieldType BlobType() const { return DataType(); }
    void SetBlobType(TFieldType Value) { SetDataType(Value); }

    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream) const;
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;

protected:
    std::string GetAsString() const override;
    void SetAsStringValue(const std::string& Value) override;
    void GetText(std::string& Text, bool DisplayText) const override;
    bool isNullValue() const override;
    Variant GetAsVariant() const override;
    // "(BLOB)", or "(blob)" when empty.
    virtual std::string classDesc(bool Empty) const { return Empty ? "(blob)" : "(BLOB)"; }
};

class TMemoField : public TBlobField {
public:
    explicit TMemoField(TComponent* AOwner);

protected:
    std::string classDesc(bool Empty) const override { return Empty ? "(memo)" : "(MEMO)"; }
};

// The field list of a dataset; it does not own the fields.
class TFields {
public:
    int Count() const { return static_cast<int>(list_.size()); }
    // Raises "Field index out of range" for a bad index.
    TField* Fields(int Index) const;
    TField* operator[](int Index) const { return Fields(Index); }
    // Without regard to case; nullptr when absent.
    TField* FindField(const std::string& FieldName) const;
    TField* FieldByNumber(int FieldNo) const;
    int IndexOf(const TField* Field) const;
    void Add(TField* Field);
    void Remove(TField* Field);
    void Move(int CurIndex, int NewIndex);

private:
    std::vector<TField*> list_;
};

// The field class for a field type; nullptr for types without one.
TField* createFieldOfType(TFieldType Type, TComponent* AOwner);
