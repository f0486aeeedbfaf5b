#include "data/FieldDefs.h"

const TFieldDef& TFieldDefs::Items(int Index) const {
    if (Index < 0 || Index >= Count()) DatabaseError(SFieldIndexError);
    return items_[Index];
}

TFieldDef& TFieldDefs::Add(const std::string& Name, TFieldType DataType, int Size, bool Required) {
    if (IndexOf(Name) >= 0) DatabaseErrorFmt(SDuplicateFieldName, {Name});
    items_.emplace_back(Name, DataType, Size, Required, Count() + 1);
    return items_.back();
}

int TFieldDefs::IndexOf(const std::string& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[i].Name(), Name)) return i;
    return -1;
}

const TFieldDef& TFieldDefs::Find(const std::string& Name) const {
    int i = IndexOf(Name);
    if (i < 0) DatabaseErrorFmt(SFieldNotFound, {Name});
    return items_[i];
}

const TIndexDef& TIndexDefs::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
    return items_[Index];
}

TIndexDef& TIndexDefs::Add(const std::string& Name, const std::string& Fields, TIndexOptions Options) {
    items_.emplace_back(Name, Fields, Options);
    return items_.back();
}

int TIndexDefs::IndexOf(const std::string& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[i].Name(), Name)) return i;
    return -1;
}

const TIndexDef& TIndexDefs::Find(const std::string& Name) const {
    int i = IndexOf(Name);
    if (i < 0) DatabaseErrorFmt(SIndexNotFound, {Name});
    return items_[i];
}
