#pragma once
// The data of report projects: TDuzuDataView stands for one report data
// connection and reads its columns and rows over the data link; its children,
// the typed field classes, stand for the connection's columns and give each
// value as text or as a typed value. The unit also evaluates the expression
// texts of data-aware components.
//
// A view opens on first use (a field lookup, First, an expression) and stays
// open until the report's after-print pass closes it. A duplicate or missing
// connection shows its message and ends the report silently; a field whose
// type differs from the column's raises the datatype message; a failed
// request ends the report silently.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Currency.h"
#include "base/DateTime.h"
#include "reporting/project/DZClass.h"
#include "reporting/RSDefine.h"

class TDuzuDataView;
class TRSCustomConnection;

// The text of a name or value that cannot be resolved.
extern const char* const kInvalidText;

// Column and field names compared in one form: trimmed, without the "<" and
// ">" of markup.
std::string normalizeFieldName(const std::string& Name);

// One row record of the link: per column a value offset (negative: null) and
// a display-text offset (0: none), both from the start of the record.
class TDuzuDataRow {
public:
    explicit TDuzuDataRow(std::string Bytes) : bytes_(std::move(Bytes)) {}
    bool IsNull(int Slot) const;
    bool HasText(int Slot) const;
    std::string Text(int Slot) const;
    // The value's bytes: Width bytes, or for Width 0 a counted string.
    std::string Value(int Slot, int Width) const;

private:
    std::int32_t int32At(std::int64_t Offset) const;
    std::int32_t offset(int Slot, int Which) const;
    std::string counted(std::int32_t Offset) const;

    std::string bytes_;
};

class TDuzuDataField : public TDuzuComponent {
public:
    explicit TDuzuDataField(TComponent* AOwner);

    const std::string& FieldName() const { return fieldName_; }
    // Stored normalised; FullName follows while the two were equal.
    void SetFieldName(const std::string& Value);
    const std::string& FullName() const { return fullName_; }
    void SetFullName(const std::string& Value) { fullName_ = Value; }
    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& Value) { description_ = Value; }
    const std::string& NullText() const { return nullText_; }
    void SetNullText(const std::string& Value) { nullText_ = Value; }
    int Size() const { return size_; }
    void SetSize(int Value) { size_ = Value; }

    virtual TRSDataType DataType() const { return dtString; }
    TDuzuDataView* DataView() const;
    // The column slot given when the view opened; -1 while unmatched.
    int Slot() const { return slot_; }
    void SetSlot(int Value) { slot_ = Value; }

    bool IsNull() const;
    // NullText for a null value, else the field's own text.
    std::string AsString() const;
    int AsInteger() const;
    double AsFloat() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    TDateTime AsDate() const;
    TDateTime AsTime() const;
    bool AsBoolean() const;
    // The value's bytes as the link carries them (empty for a null).
    std::string NativeValue() const;

    bool AcceptParent(const TDuzuComponent* NewParent) const override;

protected:
    // The connection's display text, when it sent one.
    bool connectionText(std::string& Text) const;
    // Text of a non-null value.
    virtual std::string valueText() const;
    // The value as a number (string fields convert their text).
    virtual double numberValue() const;
    virtual TDateTime dateTimeValue() const;

private:
    std::string fieldName_, fullName_, description_, nullText_;
    int size_ = 10;
    int slot_ = -1;
};

class TDuzuStringField : public TDuzuDataField {
public:
    using TDuzuDataField::TDuzuDataField;
    TRSDataType DataType() const override { return dtString; }
};

class TDuzuBooleanField : public TDuzuDataField {
public:
    using TDuzuDataField::TDuzuDataField;
    TRSDataType DataType() const override { return dtBoolean; }
    const std::string& TextTrue() const { return textTrue_; }
    void SetTextTrue(const std::string& Value) { textTrue_ = Value; }
    const std::string& TextFalse() const { return textFalse_; }
    void SetTextFalse(const std::string& Value) { textFalse_ = Value; }

protected:
    std::string valueText() const override;
    double numberValue() const override;

private:
    std::string textTrue_, textFalse_;
};

// Fields whose value may be formatted by DisplayFormat.
class TDuzuFormattedField : public TDuzuDataField {
public:
    using TDuzuDataField::TDuzuDataField;
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& Value) { displayFormat_ = Value; }

protected:
    std::string valueText() const override;
    // The value formatted with DisplayFormat, and its default text.
    virtual std::string formatted() const = 0;
    virtual std::string defaultText() const = 0;

private:
    std::string displayFormat_;
};

class TDuzuIntegerField : public TDuzuFormattedField {
public:
    using TDuzuFormattedField::TDuzuFormattedField;
    TRSDataType DataType() const override { return dtInteger; }

protected:
    double numberValue() const override;
    std::string formatted() const override;
    std::string defaultText() const override;
};

class TDuzuFloatField : public TDuzuFormattedField {
public:
    using TDuzuFormattedField::TDuzuFormattedField;
    TRSDataType DataType() const override { return dtFloat; }

protected:
    double numberValue() const override;
    std::string formatted() const override;
    std::string defaultText() const override;
};

class TDuzuCurrencyField : public TDuzuFormattedField {
public:
    using TDuzuFormattedField::TDuzuFormattedField;
    TRSDataType DataType() const override { return dtCurrency; }

protected:
    double numberValue() const override;
    std::string formatted() const override;
    std::string defaultText() const override;
};

class TDuzuBCDField : public TDuzuCurrencyField {
public:
    using TDuzuCurrencyField::TDuzuCurrencyField;
    TRSDataType DataType() const override { return dtBCD; }
};

class TDuzuDateTimeField : public TDuzuFormattedField {
public:
    using TDuzuFormattedField::TDuzuFormattedField;
    TRSDataType DataType() const override { return dtDateTime; }

protected:
    double numberValue() const override { return dateTimeValue(); }
    TDateTime dateTimeValue() const override;
    std::string formatted() const override;
    std::string defaultText() const override;
};

class TDuzuDateField : public TDuzuDateTimeField {
public:
    using TDuzuDateTimeField::TDuzuDateTimeField;
    TRSDataType DataType() const override { return dtDate; }

protected:
    std::string defaultText() const override;
};

class TDuzuTimeField : public TDuzuDateTimeField {
public:
    using TDuzuDateTimeField::TDuzuDateTimeField;
    TRSDataType DataType() const override { return dtTime; }

protected:
    std::string defaultText() const override;
};

class TDuzuBlobField : public TDuzuDataField {
public:
    using TDuzuDataField::TDuzuDataField;
    TRSDataType DataType() const override { return dtBlob; }

protected:
    std::string valueText() const override;
};

class TDuzuMemoField : public TDuzuBlobField {
public:
    using TDuzuBlobField::TDuzuBlobField;
    TRSDataType DataType() const override { return dtMemo; }
};

class TDuzuGraphicField : public TDuzuBlobField {
public:
    using TDuzuBlobField::TDuzuBlobField;
    TRSDataType DataType() const override { return dtGraphic; }
};

// A filter triple: column, operator, value.
struct TDuzuFilterItem {
    std::string Column, Operator, Value;
};

class TDuzuDataView : public TDuzuProjectItem {
public:
    explicit TDuzuDataView(TComponent* AOwner);
    ~TDuzuDataView() override;

    const std::string& ConnectionName() const { return connectionName_; }
    void SetConnectionName(const std::string& Value) { connectionName_ = Value; }

    bool IsActive() const { return active_; }
    // Opens on the connection: duplicate check, open, column list, fields
    // matched to columns. Nothing when already open.
    void Open();
    // Forgets the connection, the columns, the row and any look-ahead.
    void Close();
    void First();
    void Next();
    bool Eof() const { return eof_; }
    const TDuzuDataRow* CurrentRow() const { return currentRow_.get(); }
    // The field of a column: a leading "<view name>." is stripped; names
    // compare without regard to case. Opens the view first.
    TDuzuDataField* FindField(const std::string& Name);
    // The column names as the connection announced them.
    std::vector<std::string> ColumnNames() const;

    void SetFilter(const std::vector<TDuzuFilterItem>& Items);
    void SetSort(const std::vector<std::string>& Columns);
    // The sort text split at "+" is sent as a sort; each detail column (of a
    // "+"-separated list) is filtered equal to the master field of the same
    // place, "(invalid)" when the master has no such field. Then First.
    void LinkTo(TDuzuDataView* Master, const std::string& SortText, const std::string& DetailKeys,
                const std::string& MasterKeys);
    // The text of Field in the first row where Column equals Value, or
    // Fallback when there is none; the filter is cleared afterwards.
    std::string LookupText(const std::string& Column, const std::string& Value, const std::string& Field,
                           const std::string& Fallback);

    // Look-ahead: rows read between SaveState and RestoreState are read
    // again from memory after RestoreState, not requested again.
    void SaveState();
    void RestoreState();
    bool Saving() const { return saving_; }
    // A look-ahead that nests: outside a look-ahead it is SaveState and
    // RestoreState; inside one (a band being tried before it prints) it
    // returns to its own place in the rows read ahead.
    struct TLookAheadMark {
        bool Outer = false;
        std::size_t ReplayAt = 0;
        bool Eof = true;
        std::shared_ptr<TDuzuDataRow> Row;
    };
    TLookAheadMark BeginLookAhead();
    void EndLookAhead(const TLookAheadMark& Mark);
    // Whether the row after the current one is the end of data.
    bool Peek();
    // Skips Count rows; true while data remains.
    bool Skip(int Count);

    void SetName(const std::string& NewName) override;
    bool AcceptChild(const TDuzuComponent* NewChild) const override;
    void DoAfterPrint() override;
    void SaveToStreamHelper(TStreamHelper* Helper) override;
    void LoadFromStreamHelper(TStreamHelper* Helper) override;

private:
    struct Entry {
        enum Kind { kRow, kFirst, kEnd } State;
        std::shared_ptr<TDuzuDataRow> Row;
    };
    void fetch(std::int32_t Kind);
    void request(std::int32_t Kind);
    void abortReport();
    void readColumns();
    bool replay();

    std::string connectionName_;
    TRSCustomConnection* connection_ = nullptr;
    bool active_ = false;
    bool eof_ = true;
    std::vector<std::pair<std::string, TDuzuDataField*>> columns_;
    std::shared_ptr<TDuzuDataRow> currentRow_;
    std::vector<Entry> chain_;
    std::size_t replayAt_ = 0;
    bool saving_ = false;
    bool savedEof_ = false;
};

// The data view of that name in the current project, or nullptr.
TDuzuDataView* findDataView(const std::string& Name);

// The text of an expression of data-aware components: items joined by "+"
// (directly) or "&" (one blank between two non-empty parts); quoted
// literals; View.Field, REPORT.<variable>, PIVAR.<name>, PARAM.<name>, or a
// bare field of DefaultView. What cannot be resolved is "(invalid)".
std::string dataTextExpression(const std::string& Expression, TDuzuDataView* DefaultView);

// The data view and the field (or expression) a data-aware component reads,
// as its published properties DataView and DataField; the view is
// forgotten when it is freed.
class TDuzuFieldLink {
public:
    TDuzuProjectItem* DataView() const { return dataView_; }
    void SetDataView(TDuzuProjectItem* Value) { dataView_.set(Value); }
    const std::string& DataField() const { return dataField_; }
    void SetDataField(const std::string& Value) { dataField_ = Value; }

protected:
    // Self is the component that holds the link and is told of frees.
    explicit TDuzuFieldLink(TComponent* Self) : dataView_(Self) {}

    // The DataView as a data view; nullptr for none or another item.
    TDuzuDataView* fieldView() const { return dynamic_cast<TDuzuDataView*>(dataView_.get()); }
    // The text of DataField read as an expression over the view.
    std::string fieldText() const { return dataTextExpression(dataField_, fieldView()); }

private:
    TComponentRef<TDuzuProjectItem> dataView_;
    std::string dataField_;
};

// The report variables in the order of the engine's macro IDs.
const std::vector<std::string>& reportVariableNames();

// Registers the view and the twelve field classes and the data-view hook of
// the project reader; safe to call more than once.
void DuzuRegisterDataClasses();
