#pragma once
// The component model and the general-purpose containers of the class library:
// TObject, the class registry, TPersistent, TComponent with owners and free
// notifications, TList, TObjectList, TStrings and TStringList.
//
// Inside the component model ownership is by raw pointer, as in the class
// library: a component created with `new T(owner)` is freed by its owner.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

// ---------------------------------------------------------------------------
// TObject

class TObject {
public:
    virtual ~TObject() = default;
    // The class name of the object's most derived class, without namespace.
    std::string ClassName() const;
    // Case-insensitive comparison with the class name.
    bool ClassNameIs(const std::string& Name) const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// A small set of enumeration values, as the class library's set types.
template <class E>
class TSet {
public:
    TSet() = default;
    TSet(std::initializer_list<E> items) {
        for (E e : items) Include(e);
    }
    bool Contains(E e) const { return (bits_ & bit(e)) != 0; }
    void Include(E e) { bits_ |= bit(e); }
    void Exclude(E e) { bits_ &= ~bit(e); }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TSet&) const = default;

private:
    static uint64_t bit(E e) { return uint64_t(1) << static_cast<unsigned>(e); }
    uint64_t bits_ = 0;
};

// ---------------------------------------------------------------------------
// Class registry: lets a reader create an object from the class name it finds
// in a stream.

class TPersistent;
class TComponent;

class TPersistentClass {
public:
    using Factory = std::function<TPersistent*(TComponent* AOwner)>;
    TPersistentClass(std::string name, bool isComponent, Factory factory)
        : name_(std::move(name)), isComponent_(isComponent), factory_(std::move(factory)) {}

    const std::string& ClassName() const { return name_; }
    bool IsComponentClass() const { return isComponent_; }
    // A component class is created with AOwner (which then frees it); any
    // other class without one, and the caller frees it.
    TPersistent* Create(TComponent* AOwner = nullptr) const { return factory_(AOwner); }

private:
    std::string name_;
    bool isComponent_;
    Factory factory_;
};

namespace classes_detail {
void registerClass(const std::type_info& type, bool isComponent, TPersistentClass::Factory factory);
}

// Registers T under its class name. Registering the same class again is
// harmless; another class with the same name raises EFilerError.
template <class T>
void RegisterClass() {
    static_assert(std::is_base_of_v<TPersistent, T>, "only persistent classes can be registered");
    if constexpr (std::is_base_of_v<TComponent, T>) {
        classes_detail::registerClass(typeid(T), true,
                                      [](TComponent* owner) -> TPersistent* { return new T(owner); });
    } else {
        classes_detail::registerClass(typeid(T), false,
                                      [](TComponent*) -> TPersistent* { return new T(); });
    }
}

template <class... T>
void RegisterClasses() {
    (RegisterClass<T>(), ...);
}

// The registered class of that name (without regard to case), or nullptr.
const TPersistentClass* GetClass(const std::string& ClassName);
// As GetClass, but raises EClassNotFound "Class %s not found".
const TPersistentClass& FindClass(const std::string& ClassName);
void UnRegisterClass(const std::string& ClassName);

// ---------------------------------------------------------------------------
// TPersistent

class TPersistent : public TObject {
public:
    // Copies Source onto this object; by default asks Source to do it.
    virtual void Assign(const TPersistent* Source);

protected:
    // Copies this object onto Dest; the default refuses.
    virtual void AssignTo(TPersistent* Dest) const;
    // Raises EConvertError "Cannot assign a <source class> to a <this class>".
    [[noreturn]] void AssignError(const TPersistent* Source) const;
};

// ---------------------------------------------------------------------------
// TComponent

enum TOperation { opInsert, opRemove };
enum TComponentStateItem { csLoading, csReading, csDestroying, csDesigning };
using TComponentState = TSet<TComponentStateItem>;

class TComponentLink;

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    // Tells those who asked for free notification, frees every owned
    // component and leaves the owner.
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    // Raises EListError "List index out of bounds (%d)" for a bad index.
    TComponent* Components(int Index) const;
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // Position among the owner's components, -1 without owner.
    int ComponentIndex() const;

    const std::string& Name() const { return name_; }
    // The name must be empty or an identifier, and unique (without regard
    // to case) among the owner's components: EComponentError otherwise.
    virtual void SetName(const std::string& NewName);
    int Tag() const { return tag_; }
    void SetTag(int Value) { tag_ = Value; }

    // The owned component of that name (without regard to case), or nullptr.
    TComponent* FindComponent(const std::string& AName) const;

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    // Asks AComponent to call Notification(AComponent, opRemove) on this
    // component when it is freed (both ways: each tells the other).
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    TComponentState ComponentState() const { return state_; }
    // Marks this component and everything it owns as being freed.
    void Destroying();
    void SetDesigning(bool Value, bool SetChildren = true);
    // Set by a reader around loading this component; Loaded clears csLoading.
    void SetLoading(bool Value);
    void SetReading(bool Value);

    // Told when a component is inserted into or removed from the owner
    // tree, or freed after FreeNotification. The default forgets a removed
    // component and passes the news to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Called once a reader has set every property.
    virtual void Loaded();

protected:
    virtual void ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName);

private:
    friend class TComponentLink;
    void dropFreeNotify(TComponent* AComponent);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::vector<TComponentLink*> links_;
    std::string name_;
    int tag_ = 0;
    TComponentState state_;
};

// A component's reference to another component it does not own. Pointing
// it asks the other for free notification (and tells the one held before
// that it is no longer wanted); when the other is freed or leaves the owner
// tree, the holder's Notification(opRemove) empties it and then runs
// OnClear. The holder's Notification overrides must pass the news on to
// TComponent::Notification, as they all do.
class TComponentLink {
public:
    TComponentLink(const TComponentLink&) = delete;
    TComponentLink& operator=(const TComponentLink&) = delete;

    std::function<void()> OnClear;

protected:
    explicit TComponentLink(TComponent* Holder);
    ~TComponentLink();
    // Target is Value seen as a component; Value is kept as given.
    void point(TComponent* Target, void* Value);
    void* value() const { return value_; }

private:
    friend class TComponent;
    void forget(TComponent* AComponent);

    TComponent* holder_;
    TComponent* target_ = nullptr;
    void* value_ = nullptr;
};

template <class T>
class TComponentRef : public TComponentLink {
public:
    explicit TComponentRef(TComponent* Holder) : TComponentLink(Holder) {}
    TComponentRef(TComponent* Holder, std::function<void()> Cleared) : TComponentLink(Holder) {
        OnClear = std::move(Cleared);
    }

    T* get() const { return static_cast<T*>(value()); }
    operator T*() const { return get(); }
    T* operator->() const { return get(); }
    void set(T* Value) { point(Value, Value); }
};

// True for a valid identifier: a letter or "_" first, then letters, digits or "_".
bool IsValidIdent(const std::string& Ident);

// ---------------------------------------------------------------------------
// TList: an ordered list of untyped references.

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
public:
    TList() = default;
    ~TList() override = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    void* Items(int Index) const;
    void SetItems(int Index, void* Item);
    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    // Removes the first occurrence; returns its former index or -1.
    int Remove(void* Item);
    int IndexOf(void* Item) const;
    virtual void Clear();
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    // Compare returns <0, 0 or >0 as the class library's sort functions do.
    void Sort(const TListSortCompare& Compare);

protected:
    // Told of every reference added to or deleted from the list.
    virtual void Notify(void* Ptr, TListNotification Action);
    [[noreturn]] static void Error(int Index);

private:
    void checkIndex(int Index) const;
    std::vector<void*> items_;
};

// A list of objects that frees them when they leave the list, as long as
// OwnsObjects is set (the default).
class TObjectList : public TList {
public:
    explicit TObjectList(bool AOwnsObjects = true) : ownsObjects_(AOwnsObjects) {}
    ~TObjectList() override;

    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool Value) { ownsObjects_ = Value; }

    TObject* Items(int Index) const { return static_cast<TObject*>(TList::Items(Index)); }
    void SetItems(int Index, TObject* AObject);
    int Add(TObject* AObject) { return TList::Add(AObject); }
    void Insert(int Index, TObject* AObject) { TList::Insert(Index, AObject); }
    int Remove(TObject* AObject) { return TList::Remove(AObject); }
    int IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }

protected:
    void Notify(void* Ptr, TListNotification Action) override;

private:
    bool ownsObjects_;
};

// ---------------------------------------------------------------------------
// TStrings: the abstract list of strings, each with an optional object.

class TStream;

class TStrings : public TPersistent {
public:
    int Count() const { return GetCount(); }
    std::string Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const std::string& S) { Put(Index, S); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

    virtual int Add(const std::string& S);
    virtual int AddObject(const std::string& S, TObject* AObject);
    void AddStrings(const TStrings& Strings);
    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Insert(int Index, const std::string& S) = 0;
    void InsertObject(int Index, const std::string& S, TObject* AObject);
    virtual int IndexOf(const std::string& S) const;
    int IndexOfName(const std::string& Name) const;

    // "Name=Value" lines: Names(i) is the text before the first "=" (empty
    // without one), Values(Name) the text after it of the first line with
    // that name. Setting a value of "" deletes the line.
    std::string Names(int Index) const;
    std::string Values(const std::string& Name) const;
    void SetValues(const std::string& Name, const std::string& Value);
    std::string ValueFromIndex(int Index) const;

    // Items separated by Delimiter; an item holding a blank, a control
    // character, the quote character or the delimiter is quoted. Reading
    // splits on the delimiter and on unquoted blanks.
    std::string DelimitedText() const;
    void SetDelimitedText(const std::string& Value);
    char Delimiter() const { return delimiter_; }
    void SetDelimiter(char Value) { delimiter_ = Value; }
    char QuoteChar() const { return quoteChar_; }
    void SetQuoteChar(char Value) { quoteChar_ = Value; }
    // DelimitedText with "," and '"'.
    std::string CommaText() const;
    void SetCommaText(const std::string& Value);

    // Every line followed by CR LF, as files of the Windows era hold them.
    // Setting splits on CR LF, CR or LF.
    std::string Text() const;
    void SetText(const std::string& Value);

    // Load replaces the lines with the text from the stream's position to
    // its end; Save writes Text at the stream's position.
    virtual void LoadFromStream(TStream* Stream);
    virtual void SaveToStream(TStream* Stream) const;
    // Through TFileStream, so the name goes through the Windows path mapping
    // and failures raise EFOpenError / EFCreateError.
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;

    void Assign(const TPersistent* Source) override;
    // Change events are held back between the outermost BeginUpdate and EndUpdate.
    void BeginUpdate();
    void EndUpdate();

protected:
    virtual std::string Get(int Index) const = 0;
    virtual int GetCount() const = 0;
    virtual void Put(int Index, const std::string& S);
    virtual TObject* GetObject(int Index) const;
    virtual void PutObject(int Index, TObject* AObject);
    virtual void SetUpdateState(bool Updating);
    virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
    int UpdateCount() const { return updateCount_; }
    [[noreturn]] static void Error(const std::string& Message);
    [[noreturn]] static void IndexError(int Index);

private:
    std::string joinDelimited(char delimiter, char quoteChar) const;
    void splitDelimited(const std::string& Value, char delimiter, char quoteChar);

    int updateCount_ = 0;
    char delimiter_ = ',';
    char quoteChar_ = '"';
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
public:
    int Add(const std::string& S) override;
    int AddObject(const std::string& S, TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    // Raises EStringListError on a sorted list.
    void Insert(int Index, const std::string& S) override;
    int IndexOf(const std::string& S) const override;
    void Exchange(int Index1, int Index2);

    // Binary search of a sorted list: true when S is present; Index is its
    // position, or where it would go.
    bool Find(const std::string& S, int& Index) const;
    void Sort();
    // Sorts an unsorted list with Compare (<0, 0, >0 on the two indexes).
    virtual void CustomSort(const TStringListSortCompare& Compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    std::string Get(int Index) const override;
    int GetCount() const override;
    void Put(int Index, const std::string& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const std::string& S1, const std::string& S2) const override;
    virtual void Changed();
    virtual void Changing();

private:
    struct Item {
        std::string text;
        TObject* object = nullptr;
    };
    void insertItem(int Index, const std::string& S, TObject* AObject);
    void checkIndex(int Index) const;
    void sortItems(const TStringListSortCompare& Compare);

    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};
