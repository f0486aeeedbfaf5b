#include "base/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <numeric>
#include <typeindex>
#include <unordered_map>

#include "base/Exceptions.h"
#include "base/Streams.h"

namespace {

// Upper case of a Windows-1252 byte, letters with accents included.
unsigned char upper1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    switch (c) {
        case 0x9A: return 0x8A;  // s caron
        case 0x9C: return 0x8C;  // oe
        case 0x9E: return 0x8E;  // z caron
        case 0xFF: return 0x9F;  // y diaeresis
        default: return c;
    }
}

std::string upperText(const std::string& s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(upper1252(static_cast<unsigned char>(c)));
    return r;
}

int compareText(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = upper1252(static_cast<unsigned char>(a[i]));
        unsigned char y = upper1252(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

bool sameText(const std::string& a, const std::string& b) { return compareText(a, b) == 0; }

// Case-sensitive order as the Windows locale gives it: letters compare
// alphabetically first, and of two words differing only in case the one in
// lower case comes first ("apple" < "Apple" < "banana").
int compareStr(const std::string& a, const std::string& b) {
    if (int c = compareText(a, b)) return c;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        // Same letter, different case: the one that upper-cases to itself is upper.
        bool xUpper = upper1252(x) == x;
        return xUpper ? 1 : -1;
    }
    return 0;
}

std::string fmtIndexError(int index) {
    return "List index out of bounds (" + std::to_string(index) + ")";
}

}  // namespace

// ---------------------------------------------------------------------------
// TObject

namespace {

std::string demangledName(const std::type_info& type) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> raw(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                               std::free);
    std::string name = (status == 0 && raw) ? raw.get() : type.name();
    if (name.find('<') == std::string::npos) {
        size_t colon = name.rfind("::");
        if (colon != std::string::npos) name.erase(0, colon + 2);
    }
    return name;
}

std::string classNameOf(const std::type_info& type) {
    static std::mutex mutex;
    static std::unordered_map<std::type_index, std::string> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(type);
    if (it == cache.end()) it = cache.emplace(type, demangledName(type)).first;
    return it->second;
}

}  // namespace

std::string TObject::ClassName() const { return classNameOf(typeid(*this)); }

bool TObject::ClassNameIs(const std::string& Name) const { return sameText(ClassName(), Name); }

// ---------------------------------------------------------------------------
// Class registry

namespace {

struct RegisteredClass {
    std::type_index type;
    TPersistentClass info;
};

struct ClassRegistry {
    std::mutex mutex;
    std::map<std::string, std::unique_ptr<RegisteredClass>> byUpperName;
};

ClassRegistry& registry() {
    static ClassRegistry instance;
    return instance;
}

}  // namespace

void classes_detail::registerClass(const std::type_info& type, bool isComponent,
                                   TPersistentClass::Factory factory) {
    std::string name = classNameOf(type);
    ClassRegistry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    auto& slot = reg.byUpperName[upperText(name)];
    if (slot) {
        if (slot->type == std::type_index(type)) return;
        throw EFilerError("A class named " + name + " already exists");
    }
    slot = std::make_unique<RegisteredClass>(
        RegisteredClass{std::type_index(type), TPersistentClass(name, isComponent, std::move(factory))});
}

const TPersistentClass* GetClass(const std::string& ClassName) {
    ClassRegistry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    auto it = reg.byUpperName.find(upperText(ClassName));
    return it == reg.byUpperName.end() ? nullptr : &it->second->info;
}

const TPersistentClass& FindClass(const std::string& ClassName) {
    const TPersistentClass* found = GetClass(ClassName);
    if (!found) throw EClassNotFound("Class " + ClassName + " not found");
    return *found;
}

void UnRegisterClass(const std::string& ClassName) {
    ClassRegistry& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    reg.byUpperName.erase(upperText(ClassName));
}

// ---------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(const TPersistent* Source) {
    if (!Source) AssignError(nullptr);
    Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) const { Dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* Source) const {
    std::string sourceName = Source ? Source->ClassName() : "nil";
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

// ---------------------------------------------------------------------------
// TComponent

bool IsValidIdent(const std::string& Ident) {
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (Ident.empty() || !alpha(Ident[0])) return false;
    return std::all_of(Ident.begin() + 1, Ident.end(), [&](char c) { return alpha(c) || digit(c); });
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Each one told drops its reference to us (and we ours to it), whatever
    // its Notification does.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        other->dropFreeNotify(this);
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount()) throw EListError(fmtIndexError(Index));
    return components_[Index];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    auto& siblings = owner_->components_;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    return it == siblings.end() ? -1 : static_cast<int>(it - siblings.begin());
}

void TComponent::SetName(const std::string& NewName) {
    if (name_ == NewName) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (owner_)
        owner_->ValidateRename(this, name_, NewName);
    else
        ValidateRename(nullptr, name_, NewName);
    name_ = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName) {
    if (AComponent && !sameText(CurName, NewName)) {
        TComponent* existing = FindComponent(NewName);
        if (existing && existing != AComponent)
            throw EComponentError("A component named " + NewName + " already exists");
    }
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : components_)
        if (sameText(c->name_, AName)) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (AComponent->owner_ == this) return;
    ValidateRename(AComponent, "", AComponent->name_);
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    components_.push_back(AComponent);
    AComponent->owner_ = this;
    if (state_.Contains(csDesigning)) AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    auto it = std::find(components_.begin(), components_.end(), AComponent);
    if (it == components_.end()) return;
    Notification(AComponent, opRemove);
    // The notification may have changed the list; look again.
    it = std::find(components_.begin(), components_.end(), AComponent);
    if (it != components_.end()) components_.erase(it);
    AComponent->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    // Freed last first; each leaves the list through RemoveComponent, so the
    // components still alive hear of it and drop their references.
    while (!components_.empty()) {
        TComponent* last = components_.back();
        delete last;
    }
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) != freeNotifies_.end()) return;
    freeNotifies_.push_back(AComponent);
    AComponent->FreeNotification(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    dropFreeNotify(AComponent);
    AComponent->dropFreeNotify(this);
}

void TComponent::dropFreeNotify(TComponent* AComponent) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent),
                        freeNotifies_.end());
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
    if (Value)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
    if (SetChildren)
        for (TComponent* c : components_) c->SetDesigning(Value, true);
}

void TComponent::SetLoading(bool Value) {
    if (Value)
        state_.Include(csLoading);
    else
        state_.Exclude(csLoading);
}

void TComponent::SetReading(bool Value) {
    if (Value)
        state_.Include(csReading);
    else
        state_.Exclude(csReading);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) {
        RemoveFreeNotification(AComponent);
        // By index: an OnClear may add or drop references.
        for (size_t i = 0; i < links_.size(); ++i) links_[i]->forget(AComponent);
    }
    // Walk a copy: a handler may free or add components.
    std::vector<TComponent*> children(components_);
    for (TComponent* c : children) {
        if (std::find(components_.begin(), components_.end(), c) == components_.end()) continue;
        c->Notification(AComponent, Operation);
    }
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

// ---------------------------------------------------------------------------
// TComponentLink

TComponentLink::TComponentLink(TComponent* Holder) : holder_(Holder) { Holder->links_.push_back(this); }

TComponentLink::~TComponentLink() { std::erase(holder_->links_, this); }

void TComponentLink::point(TComponent* Target, void* Value) {
    if (target_) target_->RemoveFreeNotification(holder_);
    target_ = Target;
    value_ = Value;
    if (Target) Target->FreeNotification(holder_);
}

void TComponentLink::forget(TComponent* AComponent) {
    if (AComponent != target_) return;
    target_ = nullptr;
    value_ = nullptr;
    if (OnClear) OnClear();
}

// ---------------------------------------------------------------------------
// TList

void TList::Error(int Index) { throw EListError(fmtIndexError(Index)); }

void TList::checkIndex(int Index) const {
    if (Index < 0 || Index >= Count()) Error(Index);
}

void* TList::Items(int Index) const {
    checkIndex(Index);
    return items_[Index];
}

void TList::SetItems(int Index, void* Item) {
    checkIndex(Index);
    void* old = items_[Index];
    if (old == Item) return;
    items_[Index] = Item;
    if (old) Notify(old, lnDeleted);
    if (Item) Notify(Item, lnAdded);
}

int TList::Add(void* Item) {
    items_.push_back(Item);
    if (Item) Notify(Item, lnAdded);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count()) Error(Index);
    items_.insert(items_.begin() + Index, Item);
    if (Item) Notify(Item, lnAdded);
}

void TList::Delete(int Index) {
    checkIndex(Index);
    void* old = items_[Index];
    items_.erase(items_.begin() + Index);
    if (old) Notify(old, lnDeleted);
}

int TList::Remove(void* Item) {
    int index = IndexOf(Item);
    if (index >= 0) Delete(index);
    return index;
}

int TList::IndexOf(void* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Clear() {
    while (!items_.empty()) Delete(Count() - 1);
}

void TList::Exchange(int Index1, int Index2) {
    checkIndex(Index1);
    checkIndex(Index2);
    std::swap(items_[Index1], items_[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    checkIndex(CurIndex);
    checkIndex(NewIndex);
    void* item = items_[CurIndex];
    items_.erase(items_.begin() + CurIndex);
    items_.insert(items_.begin() + NewIndex, item);
}

void TList::Sort(const TListSortCompare& Compare) {
    std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

void TList::Notify(void*, TListNotification) {}

TObjectList::~TObjectList() { Clear(); }

void TObjectList::SetItems(int Index, TObject* AObject) { TList::SetItems(Index, AObject); }

void TObjectList::Notify(void* Ptr, TListNotification Action) {
    if (ownsObjects_ && Action == lnDeleted) delete static_cast<TObject*>(Ptr);
    TList::Notify(Ptr, Action);
}

// ---------------------------------------------------------------------------
// TStrings

void TStrings::Error(const std::string& Message) { throw EStringListError(Message); }

void TStrings::IndexError(int Index) { Error(fmtIndexError(Index)); }

int TStrings::Add(const std::string& S) {
    int index = GetCount();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
    int index = Add(S);
    PutObject(index, AObject);
    return index;
}

void TStrings::AddStrings(const TStrings& Strings) {
    BeginUpdate();
    try {
        int count = Strings.Count();  // fixed first, so adding a list to itself ends
        for (int i = 0; i < count; ++i) AddObject(Strings.Get(i), Strings.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
    Insert(Index, S);
    PutObject(Index, AObject);
}

int TStrings::IndexOf(const std::string& S) const {
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (CompareStrings(Get(i), S) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
    for (int i = 0, n = GetCount(); i < n; ++i) {
        std::string s = Get(i);
        size_t eq = s.find('=');
        if (eq != std::string::npos && CompareStrings(s.substr(0, eq), Name) == 0) return i;
    }
    return -1;
}

std::string TStrings::Names(int Index) const {
    std::string s = Get(Index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStrings::ValueFromIndex(int Index) const {
    std::string s = Get(Index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

std::string TStrings::Values(const std::string& Name) const {
    int index = IndexOfName(Name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
    int index = IndexOfName(Name);
    if (!Value.empty()) {
        if (index < 0) index = Add("");
        Put(index, Name + "=" + Value);
    } else if (index >= 0) {
        Delete(index);
    }
}

std::string TStrings::DelimitedText() const { return joinDelimited(delimiter_, quoteChar_); }

void TStrings::SetDelimitedText(const std::string& Value) { splitDelimited(Value, delimiter_, quoteChar_); }

std::string TStrings::CommaText() const { return joinDelimited(',', '"'); }

void TStrings::SetCommaText(const std::string& Value) { splitDelimited(Value, ',', '"'); }

std::string TStrings::joinDelimited(char delimiter, char quoteChar) const {
    int count = GetCount();
    if (count == 1 && Get(0).empty()) return std::string(2, quoteChar);
    std::string result;
    for (int i = 0; i < count; ++i) {
        std::string s = Get(i);
        bool quote = std::any_of(s.begin(), s.end(), [&](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == quoteChar || c == delimiter;
        });
        if (quote) {
            std::string q(1, quoteChar);
            for (char c : s) {
                if (c == quoteChar) q += quoteChar;
                q += c;
            }
            q += quoteChar;
            s = q;
        }
        if (i > 0) result += delimiter;
        result += s;
    }
    return result;
}

void TStrings::splitDelimited(const std::string& Value, char delimiter, char quoteChar) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    BeginUpdate();
    try {
        Clear();
        size_t p = 0, n = Value.size();
        while (p < n && blank(Value[p])) ++p;
        while (p < n) {
            std::string s;
            if (Value[p] == quoteChar) {
                // Quoted item: a doubled quote stands for one; an item whose
                // closing quote is missing runs to the end.
                ++p;
                while (p < n) {
                    if (Value[p] == quoteChar) {
                        if (p + 1 < n && Value[p + 1] == quoteChar) {
                            s += quoteChar;
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    s += Value[p++];
                }
            } else {
                size_t start = p;
                while (p < n && !blank(Value[p]) && Value[p] != delimiter) ++p;
                s = Value.substr(start, p - start);
            }
            Add(s);
            while (p < n && blank(Value[p])) ++p;
            if (p < n && Value[p] == delimiter) {
                if (p + 1 == n) Add("");
                do ++p;
                while (p < n && blank(Value[p]));
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::Text() const {
    std::string result;
    for (int i = 0, n = GetCount(); i < n; ++i) {
        result += Get(i);
        result += "\r\n";
    }
    return result;
}

void TStrings::SetText(const std::string& Value) {
    BeginUpdate();
    try {
        Clear();
        size_t p = 0, n = Value.size();
        while (p < n) {
            size_t start = p;
            while (p < n && Value[p] != '\r' && Value[p] != '\n') ++p;
            Add(Value.substr(start, p - start));
            if (p < n && Value[p] == '\r') ++p;
            if (p < n && Value[p] == '\n') ++p;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::LoadFromStream(TStream* Stream) {
    int64_t size = Stream->Size() - Stream->Position();
    std::string content(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
    Stream->ReadBuffer(content.data(), static_cast<int64_t>(content.size()));
    SetText(content);
}

void TStrings::SaveToStream(TStream* Stream) const {
    std::string content = Text();
    Stream->WriteBuffer(content.data(), static_cast<int64_t>(content.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::SaveToFile(const std::string& FileName) const {
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TStrings::Assign(const TPersistent* Source) {
    if (auto source = dynamic_cast<const TStrings*>(Source)) {
        if (source == this) return;
        BeginUpdate();
        try {
            Clear();
            AddStrings(*source);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

void TStrings::BeginUpdate() {
    if (updateCount_ == 0) SetUpdateState(true);
    ++updateCount_;
}

void TStrings::EndUpdate() {
    if (updateCount_ == 0) return;
    --updateCount_;
    if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Put(int Index, const std::string& S) {
    TObject* object = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, object);
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
    return compareText(S1, S2);
}

// ---------------------------------------------------------------------------
// TStringList

void TStringList::checkIndex(int Index) const {
    if (Index < 0 || Index >= GetCount()) IndexError(Index);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool Updating) {
    if (Updating)
        Changing();
    else
        Changed();
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject) {
    int index = GetCount();
    if (sorted_ && Find(S, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) Error("String list does not allow duplicates");
    }
    insertItem(index, S, AObject);
    return index;
}

void TStringList::insertItem(int Index, const std::string& S, TObject* AObject) {
    Changing();
    items_.insert(items_.begin() + Index, Item{S, AObject});
    Changed();
}

void TStringList::Insert(int Index, const std::string& S) {
    if (sorted_) Error("Operation not allowed on sorted list");
    if (Index < 0 || Index > GetCount()) IndexError(Index);
    insertItem(Index, S, nullptr);
}

void TStringList::Clear() {
    if (items_.empty()) return;
    Changing();
    items_.clear();
    Changed();
}

void TStringList::Delete(int Index) {
    checkIndex(Index);
    Changing();
    items_.erase(items_.begin() + Index);
    Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
    checkIndex(Index1);
    checkIndex(Index2);
    Changing();
    std::swap(items_[Index1], items_[Index2]);
    Changed();
}

int TStringList::IndexOf(const std::string& S) const {
    if (!sorted_) return TStrings::IndexOf(S);
    int index;
    return Find(S, index) ? index : -1;
}

bool TStringList::Find(const std::string& S, int& Index) const {
    // Lower bound: with duplicates this is the first of the equal strings.
    int low = 0, high = GetCount();
    while (low < high) {
        int mid = (low + high) / 2;
        if (CompareStrings(items_[mid].text, S) < 0)
            low = mid + 1;
        else
            high = mid;
    }
    Index = low;
    return low < GetCount() && CompareStrings(items_[low].text, S) == 0;
}

void TStringList::sortItems(const TStringListSortCompare& Compare) {
    // Compare reads the list by index, so the list stays as it is while the
    // order is worked out, and is rearranged once at the end.
    std::vector<int> order(items_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order) sorted.push_back(std::move(items_[i]));
    items_ = std::move(sorted);
}

void TStringList::Sort() {
    CustomSort([](TStringList* list, int a, int b) {
        return list->CompareStrings(list->items_[a].text, list->items_[b].text);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
    if (sorted_ || GetCount() < 2) return;
    Changing();
    sortItems(Compare);
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (sorted_ == Value) return;
    if (Value) Sort();
    sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (caseSensitive_ == Value) return;
    caseSensitive_ = Value;
    if (sorted_) {
        // The order depends on the comparison, so a sorted list is sorted again.
        sorted_ = false;
        Sort();
        sorted_ = true;
    }
}

std::string TStringList::Get(int Index) const {
    checkIndex(Index);
    return items_[Index].text;
}

int TStringList::GetCount() const { return static_cast<int>(items_.size()); }

void TStringList::Put(int Index, const std::string& S) {
    if (sorted_) Error("Operation not allowed on sorted list");
    checkIndex(Index);
    Changing();
    items_[Index].text = S;
    Changed();
}

TObject* TStringList::GetObject(int Index) const {
    checkIndex(Index);
    return items_[Index].object;
}

void TStringList::PutObject(int Index, TObject* AObject) {
    checkIndex(Index);
    Changing();
    items_[Index].object = AObject;
    Changed();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
    return caseSensitive_ ? compareStr(S1, S2) : compareText(S1, S2);
}
