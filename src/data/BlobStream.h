#pragma once
// A stream over a blob or memo field of a dataset's current record. Reading
// works in every open state; writing needs edit or insert and belongs to the
// record being edited until it is posted (cancel drops it).
#include <cstdint>

#include "base/Streams.h"
#include "data/Fields.h"

class TDBDataSet;

class TBlobStream : public TStream {
public:
    // bmWrite starts with an empty value. Raises "Dataset not in edit or
    // insert mode" when writing outside edit or insert.
    TBlobStream(TField* Field, TBlobStreamMode Mode);
    // Tells the dataset of the change when anything was written.
    ~TBlobStream() override;
    TBlobStream(const TBlobStream&) = delete;
    TBlobStream& operator=(const TBlobStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, uint16_t origin) override;
    int64_t Size() override;
    void SetSize(int64_t newSize) override;
    // Empties the value.
    void Truncate();

private:
    uint16_t fieldNo() const { return static_cast<uint16_t>(field_->FieldNo()); }

    TField* field_;
    TDBDataSet* dataSet_;
    uint8_t* recBuf_;
    TBlobStreamMode mode_;
    int64_t position_ = 0;
    bool modified_ = false;
};
