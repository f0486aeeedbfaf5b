#include "reporting/project/RSConDS.h"

#include <cmath>

#include "data/Fields.h"
#include "reporting/project/DesignerUtils.h"

namespace {

// A graphic stream may begin with 16-bit 1, 16-bit 256 and its own length.
constexpr std::size_t kGraphicHeaderSize = 8;

std::string blobBytes(TDataSet* DataSet, TField* Field) {
    std::unique_ptr<TStream> stream = DataSet->CreateBlobStream(Field, bmRead);
    std::string bytes(static_cast<std::size_t>(stream->Size()), '\0');
    stream->SetPosition(0);
    if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    if (Field->DataType() == ftGraphic && bytes.size() >= kGraphicHeaderSize) {
        auto u8 = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])); };
        std::uint32_t length = u8(4) | u8(5) << 8 | u8(6) << 16 | u8(7) << 24;
        bool header = u8(0) == 1 && u8(1) == 0 && u8(2) == 0 && u8(3) == 1 && length == bytes.size() - kGraphicHeaderSize;
        if (header) bytes.erase(0, kGraphicHeaderSize);
    }
    return bytes;
}

Currency currencyOf(double Value) { return Currency::FromRaw(std::llround(Value * 10000.0)); }

}  // namespace

TRSDataType dataTypeOfField(TFieldType Type) {
    switch (Type) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc: return dtInteger;
        case ftBoolean: return dtBoolean;
        case ftFloat: return dtFloat;
        case ftCurrency: return dtCurrency;
        case ftBCD: return dtBCD;
        case ftDate: return dtDate;
        case ftTime: return dtTime;
        case ftDateTime: return dtDateTime;
        case ftBlob:
        case ftFmtMemo:
        case ftParadoxOle:
        case ftDBaseOle:
        case ftTypedBinary: return dtBlob;
        case ftMemo: return dtMemo;
        case ftGraphic: return dtGraphic;
        default: return dtString;
    }
}

TDataSet* TRSCustomDataSetConnection::dataSet() {
    TDataSet* result = GetDataSet();
    if (result == nullptr) RaiseReportError(throughMessageHook(Format("%s: no dataset to serve.", {Name()})));
    return result;
}

void TRSCustomDataSetConnection::DoGetCols() {
    TDataSet* data = dataSet();
    for (int i = 0; i < data->FieldCount(); ++i) {
        TField* field = data->Fields()[i];
        std::string longName = field->DisplayName() != field->FieldName() ? field->DisplayName() : std::string();
        WriteField(field->FieldName(), dataTypeOfField(field->DataType()), field->DisplayWidth(), longName, "");
    }
}

void TRSCustomDataSetConnection::DoGetRow() {
    TDataSet* data = dataSet();
    for (int i = 0; i < data->FieldCount(); ++i) {
        TField* field = data->Fields()[i];
        const std::vector<TDataConnectFieldDef>& defs = FieldDefs();
        bool listed = i < static_cast<int>(defs.size()) && defs[static_cast<std::size_t>(i)].Listed;
        if (!listed || field->IsNull()) {
            WriteNullData();
            continue;
        }
        std::string text = field->DisplayText();
        switch (field->DataType()) {
            case ftSmallint:
            case ftInteger:
            case ftWord:
            case ftAutoInc: WriteIntData(text, field->AsInteger()); break;
            case ftBoolean: WriteBoolData(text, field->AsBoolean()); break;
            case ftFloat: WriteFloatData(text, field->AsFloat()); break;
            case ftCurrency: WriteCurrData(text, currencyOf(field->AsFloat())); break;
            case ftBCD: WriteBCDData(text, currencyOf(field->AsFloat())); break;
            case ftDate:
            case ftTime:
            case ftDateTime: WriteDateTimeData(text, field->AsDateTime()); break;
            case ftBlob:
            case ftMemo:
            case ftGraphic:
            case ftFmtMemo:
            case ftParadoxOle:
            case ftDBaseOle:
            case ftTypedBinary: {
                std::string bytes = blobBytes(data, field);
                WriteBlobData(bytes.data(), static_cast<std::int32_t>(bytes.size()));
                break;
            }
            default: WriteStrData(text, field->AsString()); break;
        }
    }
}

void TRSCustomDataSetConnection::DoSetFilter() {
    std::string filter;
    while (ReadFilterItem()) {
        if (!filter.empty()) filter += " and ";
        filter += "[" + FilterName() + "] " + FilterOperator() + " '" + FilterValue() + "'";
    }
    TDataSet* data = dataSet();
    data->SetFilter(filter);
    data->SetFilterOptions({foNoPartialCompare});
    data->SetFiltered(!filter.empty());
}

void TRSCustomDataSetConnection::DoOpen() {
    TDataSet* data = dataSet();
    wasActive_ = data->Active();
    bookmark_ = wasActive_ ? data->GetBookmark() : TBookmark();
    data->DisableControls();
    savedFilter_ = data->Filter();
    savedFiltered_ = data->Filtered();
    savedFilterOptions_ = data->FilterOptions();
    if (!wasActive_) {
        data->Open();
        data->First();
    }
    saved_ = true;
}

void TRSCustomDataSetConnection::DoRestore() {
    if (!saved_) return;
    TDataSet* data = dataSet();
    data->SetActive(wasActive_);
    data->EnableControls();
    data->SetFilter(savedFilter_);
    data->SetFilterOptions(savedFilterOptions_);
    data->SetFiltered(savedFiltered_);
    if (wasActive_ && !bookmark_.empty()) {
        data->GotoBookmark(bookmark_);
        data->FreeBookmark(bookmark_);
    }
    saved_ = false;
}

TRSDataSetConnection::~TRSDataSetConnection() { SetDataSet(nullptr); }

void TRSDataSetConnection::SetDataSet(TDataSet* Value) {
    if (Value == dataSet_) return;
    dataSet_.set(Value);
}
