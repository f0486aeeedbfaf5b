#pragma once
// The one data-binding core of the data-aware controls: a control shows one
// field of a dataset's current record and writes what the user changed back
// into it.
//
// TFieldDataLink ties a control to its field. TFieldBinding<TBase> puts such
// a link into a control class and gives it the DataSource, DataField and
// Field properties (and ReadOnly, the link's read-only flag, unless the
// control only shows the field). A data-aware control then states only what
// is its own, by overriding three hooks:
//   dataChange()     the record or the field changed: show Field()'s value
//                    (Field() is nullptr when unbound or inactive);
//   editingChange()  editing started or stopped: let the user type or not
//                    (dataLink_.Editing() says which);
//   updateData()     the record wants the control's value: write it into
//                    Field() (called only while a field is bound and the
//                    control called dataLink_.Modified()).
// Before changing the value on the user's behalf the control calls
// dataLink_.Edit() (false: the change is refused) and then
// dataLink_.Modified(); when it is left, updateRecordOnExit() writes the value.
//
// The hooks run only after construction; a control freed detaches from its
// link before its own members go, so no hook runs during destruction.
#include <functional>
#include <string>
#include <utility>

#include "data/DataSet.h"
#include "data/DataSource.h"
#include "ui/Controls.h"

// Ties a control to one field: tells it when the field's value changes,
// when editing starts or stops and when the record wants the control's value.
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;

    // The control the link serves (named in its error messages, focused by
    // the dataset's FocusControl).
    TComponent* Control() const { return control_; }
    void SetControl(TComponent* Value) { control_ = Value; }
    // The bound field; nullptr while inactive or without a field name.
    TField* Field() const { return field_; }
    const std::string& FieldName() const { return fieldName_; }
    // Raises "<control>: Field 'X' not found" for a name the open dataset lacks.
    void SetFieldName(const std::string& Value);

    // The dataset edits and the field may be changed through this link.
    bool Editing() const { return editing_; }
    // Not read-only, and the field can be modified.
    bool CanModify() const;
    // Puts the dataset into edit when the field can be modified; true when
    // the link is editing afterwards.
    bool Edit();
    // The control's value differs from the field's: it is written on update.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // Shows the field's value again, dropping what the control holds.
    void Reset() { RecordChanged(nullptr); }

    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField* Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    void setField(TField* Value);
    void setEditing(bool Value);
    void updateField();

    TComponent* control_ = nullptr;
    TField* field_ = nullptr;
    std::string fieldName_;
    bool editing_ = false;
    bool modified_ = false;
};

// ---------------------------------------------------------------- helpers

// Keys that change an edit's text: backspace, Ctrl+V, Ctrl+X and printable characters.
bool changesText(char Key);
// Key presses that change an edit's text: Delete and Shift+Insert (paste).
bool deletesOrPastes(Word Key, TShiftState Shift);
// A printable character the bound field cannot hold beeps and becomes 0.
void refuseInvalidChar(const TFieldDataLink& Link, char& Key);
// A key typed into a bound edit: one that changes the text puts the link in
// edit (the key becomes 0 when it cannot); Escape shows the field's value
// again. True for Escape, which the edit finishes (it selects all).
bool editFieldOnKey(TFieldDataLink& Link, char& Key);
// Writes the link's pending value when Control is left; on failure Refused
// runs (an edit selects its text for retyping), the control keeps the focus
// and the error goes on.
void updateRecordOnExit(TWinControl* Control, TFieldDataLink& Link, const std::function<void()>& Refused = {});

// Puts the dataset into edit for a change the user already made on the
// screen; when the link refuses (or the edit fails), Undo shows the stored
// value again. True when the link is editing.
template <class F>
bool editOrUndo(TFieldDataLink& Link, F Undo) {
    bool editing = false;
    try {
        editing = Link.Edit();
    } catch (...) {
        Undo();
        throw;
    }
    if (!editing) Undo();
    return editing;
}

// What a memo control over Link's field shows when the record changes: a
// memo field is loaded (Load) when AutoDisplay is set or while a loaded memo
// is being edited, otherwise stands as "(its label)"; any other field shows
// its edit text while Focused and changeable, its display text otherwise.
struct TMemoFieldView {
    bool Load = false;
    // When not loading: the text to show, and whether it is the field's value.
    std::string Text;
    bool Loaded = false;
};
TMemoFieldView memoFieldView(const TFieldDataLink& Link, bool AutoDisplay, bool MemoLoaded, bool Focused);

// Runs Work with DataSet's controls disabled (none when DataSet is nullptr);
// they are enabled again however Work ends.
template <class F>
void withControlsDisabled(TDataSet* DataSet, F Work) {
    if (DataSet) DataSet->DisableControls();
    try {
        Work();
    } catch (...) {
        if (DataSet) DataSet->EnableControls();
        throw;
    }
    if (DataSet) DataSet->EnableControls();
}

// ---------------------------------------------------------------- TFieldBinding

// fuEdit: the control may change the field and has ReadOnly; fuShow: it
// only shows the field.
enum TFieldUse { fuEdit, fuShow };

// A control class TBase (constructed from its owner) bound to one field.
template <class TBase, TFieldUse Use = fuEdit>
class TFieldBinding : public TBase {
public:
    TDataSource* DataSource() const { return dataLink_.DataSource(); }
    void SetDataSource(TDataSource* Value) { dataLink_.SetDataSource(Value); }
    const std::string& DataField() const { return dataLink_.FieldName(); }
    // Raises "<control>: Field 'X' not found" for a name the open dataset lacks.
    void SetDataField(const std::string& Value) { dataLink_.SetFieldName(Value); }
    TField* Field() const { return dataLink_.Field(); }
    // The link's read-only flag: the control refuses to change the field.
    // Templates, so that they never override a virtual of the same name in
    // TBase (a constrained function may not); a control whose base has one
    // overrides it itself.
    template <TFieldUse U = Use>
        requires(U == fuEdit)
    bool ReadOnly() const {
        return dataLink_.ReadOnly();
    }
    template <TFieldUse U = Use>
        requires(U == fuEdit)
    void SetReadOnly(bool Value) {
        dataLink_.SetReadOnly(Value);
    }

protected:
    explicit TFieldBinding(TComponent* AOwner) : TBase(AOwner) {
        dataLink_.SetControl(this);
        dataLink_.OnDataChange = [this](TObject*) { dataChange(); };
        dataLink_.OnEditingChange = [this](TObject*) { editingChange(); };
        dataLink_.OnUpdateData = [this](TObject*) { updateData(); };
    }
    ~TFieldBinding() override {
        dataLink_.OnDataChange = nullptr;
        dataLink_.OnEditingChange = nullptr;
        dataLink_.OnUpdateData = nullptr;
        dataLink_.OnActiveChange = nullptr;
        dataLink_.SetDataSource(nullptr);
    }

    virtual void dataChange() {}
    virtual void editingChange() {}
    virtual void updateData() {}

    TFieldDataLink dataLink_;
};
