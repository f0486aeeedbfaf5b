#include "data/FieldDefs.h"

namespace {

// The position of the definition named Name, in any case; -1 when none.
template <class Def>
int indexByName(const std::vector<Def>& Items, const std::string& Name) {
    for (int i = 0; i < static_cast<int>(Items.size()); ++i)
        if (SameText(Items[i].Name(), Name)) return i;
    return -1;
}

// The definition named Name; the NotFound error when there is none.
template <class Def>
const Def& findByName(const std::vector<Def>& Items, const std::string& Name, const std::string& NotFound) {
    int i = indexByName(Items, Name);
    if (i < 0) DatabaseErrorFmt(NotFound, {Name});
    return Items[i];
}

}  // namespace

const TFieldDef& TFieldDefs::Items(int Index) const {
    if (Index < 0 || Index >= Count()) DatabaseError(SFieldIndexError);
    return items_[Index];
}

TFieldDef& TFieldDefs::Add(const std::string& Name, TFieldType DataType, int Size, bool Required) {
    if (IndexOf(Name) >= 0) DatabaseErrorFmt(SDuplicateFieldName, {Name});
    items_.emplace_back(Name, DataType, Size, Required, Count() + 1);
    return items_.back();
}

int TFieldDefs::IndexOf(const std::string& Name) const { return indexByName(items_, Name); }

const TFieldDef& TFieldDefs::Find(const std::string& Name) const { return findByName(items_, Name, SFieldNotFound); }

const TIndexDef& TIndexDefs::Items(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", {Index}));
    return items_[Index];
}

TIndexDef& TIndexDefs::Add(const std::string& Name, const std::string& Fields, TIndexOptions Options) {
    items_.emplace_back(Name, Fields, Options);
    return items_.back();
}

int TIndexDefs::IndexOf(const std::string& Name) const { return indexByName(items_, Name); }

const TIndexDef& TIndexDefs::Find(const std::string& Name) const { return findByName(items_, Name, SIndexNotFound); }
