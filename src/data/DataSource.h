#pragma once
// TDataSource connects a dataset to data-aware controls; TDataLink is what a
// control holds to follow the dataset: its state, its buffered records and
// every change.
#include <cstdint>
#include <functional>
#include <vector>

#include "data/Db.h"

using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* AOwner);
    // Detaches every link and leaves the dataset.
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    // A link's Edit puts a browsing dataset into edit only when set.
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool Value) { autoEdit_ = Value; }
    // The dataset's state, dsInactive while disabled or without dataset.
    TDataSetState State() const { return state_; }
    // Edit of the dataset when AutoEdit is set and it is browsing.
    void Edit();
    bool IsLinkedTo(TDataSet* ADataSet) const;

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;

    void DataEvent(TDataEvent Event, intptr_t Info);
    void notifyLinks(TDataEvent Event, intptr_t Info);
    void updateState();
    void setState(TDataSetState Value);
    void addLink(TDataLink* Link);
    void removeLink(TDataLink* Link);

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    bool autoEdit_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> dataLinks_;
    unsigned linkRemovals_ = 0;
};

class TDataLink : public TPersistent {
public:
    TDataLink() = default;
    // Leaves its data source.
    ~TDataLink() override;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const;
    // The data source is enabled and its dataset open.
    bool Active() const { return active_; }
    // The dataset is in edit or insert.
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    // Index of the dataset's active record within this link's window of buffers.
    int ActiveRecord() const;
    // Makes another buffered record the dataset's active one, for reading its
    // fields; no events, no cursor movement. Callers restore it.
    void SetActiveRecord(int Value);
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int Value);
    // Buffered records within this link's window.
    int RecordCount() const;
    // Puts the dataset into edit (through the data source's AutoEdit); true
    // when it is editing afterwards.
    bool Edit();
    // Writes the control's pending value into the record (calls UpdateData).
    void UpdateRecord();

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // Distance: how many records the window moved forward (negative: back).
    virtual void DataSetScrolled(int Distance) { (void)Distance; DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField* Field) { (void)Field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) { (void)Field; }
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;

    void DataEvent(TDataEvent Event, intptr_t Info);
    void updateRange();
    void setActive(bool Value);
    void setEditing(bool Value);

    TDataSource* dataSource_ = nullptr;
    int firstRecord_ = 0;
    int bufferCount_ = 1;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
};
