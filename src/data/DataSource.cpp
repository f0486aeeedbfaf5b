#include "data/DataSource.h"

#include <algorithm>

#include "base/FlagScope.h"
#include "data/DataSet.h"

namespace {
bool isEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert; }
}  // namespace

// ---------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource() {
    Destroying();
    for (TDataLink* link : std::vector<TDataLink*>(dataLinks_)) link->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
    if (Value == dataSet_) return;
    if (dataSet_) dataSet_->removeDataSource(this);
    dataSet_ = Value;
    if (dataSet_) dataSet_->addDataSource(this);
    updateState();
}

void TDataSource::SetEnabled(bool Value) {
    enabled_ = Value;
    updateState();
}

void TDataSource::Edit() {
    if (autoEdit_ && state_ == dsBrowse) dataSet_->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* ADataSet) const { return dataSet_ == ADataSet; }

void TDataSource::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deUpdateState) {
        updateState();
        return;
    }
    if (state_ == dsInactive) return;
    notifyLinks(Event, Info);
    switch (Event) {
        case deFieldChange:
            if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(Info));
            break;
        case deRecordChange:
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange:
            if (OnDataChange) OnDataChange(this, nullptr);
            break;
        case deUpdateRecord:
            if (OnUpdateData) OnUpdateData(this);
            break;
        default: break;
    }
}

void TDataSource::notifyLinks(TDataEvent Event, intptr_t Info) {
    // A handler may remove links; only those still present are told. The
    // links are few and events many: they are copied onto the stack, and
    // looked for only once a handler has removed one.
    constexpr size_t onStack = 16;
    TDataLink* local[onStack];
    std::vector<TDataLink*> many;
    TDataLink** links = local;
    const size_t count = dataLinks_.size();
    if (count > onStack) {
        many = dataLinks_;
        links = many.data();
    } else {
        std::copy(dataLinks_.begin(), dataLinks_.end(), local);
    }
    const unsigned removals = linkRemovals_;
    for (size_t i = 0; i < count; ++i)
        if (linkRemovals_ == removals || std::find(dataLinks_.begin(), dataLinks_.end(), links[i]) != dataLinks_.end())
            links[i]->DataEvent(Event, Info);
}

void TDataSource::updateState() {
    setState(enabled_ && dataSet_ ? dataSet_->State() : dsInactive);
}

void TDataSource::setState(TDataSetState Value) {
    if (state_ == Value) return;
    TDataSetState prior = state_;
    state_ = Value;
    notifyLinks(deUpdateState, 0);
    if (ComponentState().Contains(csDestroying)) return;
    if (OnStateChange) OnStateChange(this);
    if (prior == dsInactive && OnDataChange) OnDataChange(this, nullptr);
}

void TDataSource::addLink(TDataLink* Link) {
    dataLinks_.push_back(Link);
    Link->dataSource_ = this;
    if (dataSet_) dataSet_->updateBufferCount();
    Link->setActive(state_ != dsInactive);
    Link->setEditing(isEditMode(state_));
}

void TDataSource::removeLink(TDataLink* Link) {
    ++linkRemovals_;
    Link->dataSource_ = nullptr;
    dataLinks_.erase(std::remove(dataLinks_.begin(), dataLinks_.end(), Link), dataLinks_.end());
    Link->setActive(false);
    Link->setEditing(false);
    if (dataSet_) dataSet_->updateBufferCount();
}

// ---------------------------------------------------------------------------
// TDataLink

TDataLink::~TDataLink() {
    if (dataSource_) dataSource_->removeLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
    if (Value == dataSource_) return;
    if (dataSource_) dataSource_->removeLink(this);
    if (Value) Value->addLink(this);
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool Value) {
    if (readOnly_ == Value) return;
    readOnly_ = Value;
    setEditing(!readOnly_ && dataSource_ && isEditMode(dataSource_->State()));
}

int TDataLink::ActiveRecord() const {
    if (!active_ || dataSource_->State() == dsSetKey) return 0;
    return DataSet()->activeRecord_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int Value) {
    if (active_) DataSet()->activeRecord_ = Value + firstRecord_;
}

void TDataLink::SetBufferCount(int Value) {
    if (Value < 1) Value = 1;
    if (bufferCount_ == Value) return;
    bufferCount_ = Value;
    if (active_) {
        DataSet()->updateBufferCount();
        updateRange();
    }
}

int TDataLink::RecordCount() const {
    if (!active_) return 0;
    return std::clamp(DataSet()->recordCount_ - firstRecord_, 0, bufferCount_);
}

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    TFlagScope busy(updating_);
    UpdateData();
}

void TDataLink::updateRange() {
    TDataSet* ds = DataSet();
    int active = ds->activeRecord_;
    int min = std::max(0, active - bufferCount_ + 1);
    int max = std::min(std::max(0, ds->bufferCount_ - bufferCount_), active);
    if (firstRecord_ < min) firstRecord_ = min;
    if (firstRecord_ > max) firstRecord_ = max;
}

void TDataLink::setActive(bool Value) {
    if (active_ == Value) return;
    active_ = Value;
    if (Value)
        updateRange();
    else
        firstRecord_ = 0;
    ActiveChanged();
}

void TDataLink::setEditing(bool Value) {
    if (Value && readOnly_) Value = false;
    if (editing_ == Value) return;
    editing_ = Value;
    EditingChanged();
}

void TDataLink::DataEvent(TDataEvent Event, intptr_t Info) {
    if (Event == deUpdateState) {
        TDataSetState state = dataSource_->State();
        setActive(state != dsInactive);
        setEditing(isEditMode(state));
        return;
    }
    if (!active_) return;
    switch (Event) {
        case deFieldChange:
        case deRecordChange:
            if (!updating_) RecordChanged(reinterpret_cast<TField*>(Info));
            break;
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange: {
            int first = firstRecord_;
            if (dataSource_->State() != dsSetKey) updateRange();
            if (Event == deDataSetChange)
                DataSetChanged();
            else if (Event == deDataSetScroll)
                DataSetScrolled(static_cast<int>(Info) + firstRecord_ - first);
            else
                LayoutChanged();
            break;
        }
        case deUpdateRecord: UpdateRecord(); break;
        case deCheckBrowseMode: CheckBrowseMode(); break;
        case deFocusControl: FocusControl(reinterpret_cast<TField*>(Info)); break;
        default: break;
    }
}
