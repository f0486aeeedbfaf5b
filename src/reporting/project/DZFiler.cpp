#include "reporting/project/DZFiler.h"

#include <map>

#include "base/SysUtils.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/Extended80.h"
#include "reporting/RunFinally.h"

namespace {

constexpr std::uint8_t kComponentMarker = 0;
constexpr std::uint8_t kPropertiesMarker = 8;

constexpr std::uint8_t tagIdent = 0;
constexpr std::uint8_t tagInteger = 1;
constexpr std::uint8_t tagNegative = 2;
constexpr std::uint8_t tagInt32 = 3;
constexpr std::uint8_t tagChar = 4;
constexpr std::uint8_t tagFloat = 5;
constexpr std::uint8_t tagString = 6;
constexpr std::uint8_t tagSet = 7;
constexpr std::uint8_t tagObject = 8;
constexpr std::uint8_t tagComponentList = 9;
constexpr std::uint8_t tagPersistentList = 10;

constexpr std::int64_t kCompactIntegerMax = 268435455;
constexpr int kSetMembers = 32;
// Deeper nesting than any project holds is a damaged stream.
constexpr int kMaxDepth = 200;

struct TDuzuForwardRef {
    int Index = 0;
    TObject* Instance = nullptr;
    const TDuzuPropInfo* PropInfo = nullptr;  // nullptr: Instance is a component list
    const TDuzuProjectManager* Manager = nullptr;
};

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};

// Process-wide, as a data view's reader and the project reader share it.
std::multimap<std::string, TDuzuForwardRef, NoCase>& forwardRefs() {
    static std::multimap<std::string, TDuzuForwardRef, NoCase> refs;
    return refs;
}

const TDuzuProjectManager* managerOf(const TComponent* Component) {
    for (const TComponent* c = Component; c != nullptr; c = c->Owner())
        if (auto* manager = dynamic_cast<const TDuzuProjectManager*>(c)) return manager;
    return ProjectManager;
}

TComponent* findComponent(const TDuzuProjectManager* Manager, const std::string& Name, const TComponent* Owner) {
    return Manager != nullptr ? Manager->FindDuzuComponent(Name, Owner) : nullptr;
}

void patch(const TDuzuForwardRef& Ref, TComponent* Component) {
    if (Ref.PropInfo == nullptr) {
        auto* list = static_cast<TDuzuComponentList*>(Ref.Instance);
        if (Ref.Index >= 0 && Ref.Index < list->Count()) list->SetItems(Ref.Index, Component);
    } else {
        Ref.PropInfo->SetObject(Ref.Instance, Component);
    }
}

void addForwardRef(const std::string& Name, const TDuzuComponent* Parent, TDuzuForwardRef Ref) {
    std::string key = Name;
    if (key.find('.') == std::string::npos) key = (Parent != nullptr ? Parent->Name() : std::string()) + "." + key;
    forwardRefs().emplace(key, Ref);
}

std::string ordinalName(const TDuzuPropInfo& Prop, std::int64_t Ordinal) {
    if (Ordinal < 0 || Ordinal >= static_cast<std::int64_t>(Prop.Names.size()))
        RaiseDesignerError("Attempt to write invalid property value.");
    return Prop.Names[static_cast<std::size_t>(Ordinal)];
}

}  // namespace

// ---------------------------------------------------------------------------

void TDuzuFiler::DefinePropertyOverride(const std::string& Name, std::function<void(TDuzuReader*)> ReadProc,
                                        std::function<void(TDuzuWriter*)> WriteProc) {
    overrides_[UpperCase(Name)] = TPropertyOverride{Name, std::move(ReadProc), std::move(WriteProc)};
}

const TPropertyOverride* TDuzuFiler::findOverride(const std::string& Name) const {
    auto it = overrides_.find(UpperCase(Name));
    return it == overrides_.end() ? nullptr : &it->second;
}

void TDuzuFiler::collectOverrides(TObject* Instance) {
    overrides_.clear();
    if (auto* component = dynamic_cast<TDuzuComponent*>(Instance)) component->DefineOverrides(this);
}

// ---------------------------------------------------------------------------
// Writer

void TDuzuWriter::WriteComponent(TDuzuComponent* Component, bool WithChildren) {
    SetParentComponent(dynamic_cast<TDuzuComponent*>(Component->Owner()));
    TStreamHelper* out = TypedStream();
    out->WriteByte(kComponentMarker);
    out->WriteString(Component->ClassName());
    out->WriteString(Component->Name());
    WriteProperties(Component);
    if (!WithChildren) {
        out->WriteIndex(0);
        return;
    }
    int count = Component->GetChildCount();
    out->WriteIndex(static_cast<std::uint32_t>(count));
    for (int i = 0; i < count; ++i) WriteComponent(Component->GetChild(i), true);
}

void TDuzuWriter::WriteProperties(TObject* Object) {
    TStreamHelper* out = TypedStream();
    out->WriteByte(kPropertiesMarker);
    collectOverrides(Object);
    auto overrides = std::move(overrides_);
    TObject* savedInstance = instance_;
    instance_ = Object;
    for (const TDuzuDefinedProp* defined : DuzuDefinedProps(Object)) {
        if (!defined->Write || (defined->HasData && !defined->HasData(Object))) continue;
        std::string bytes = defined->Write(Object);
        out->WriteString(defined->Name);
        out->WriteString(bytes);
    }
    bool isComponent = dynamic_cast<TComponent*>(Object) != nullptr;
    for (const TDuzuPropInfo* prop : DuzuPublishedProps(Object)) {
        if (isComponent && SameText(prop->Name, "Name")) continue;
        auto it = overrides.find(UpperCase(prop->Name));
        if (it != overrides.end() && it->second.WriteProc) {
            it->second.WriteProc(this);
            continue;
        }
        if (prop->IsStored(Object)) writeProperty(Object, *prop);
    }
    out->WriteString("");
    instance_ = savedInstance;
}

std::string TDuzuWriter::ComponentReference(const TComponent* Component) const {
    const TComponent* owner = Component->Owner();
    if (owner == ParentComponent() || dynamic_cast<const TDuzuProjectManager*>(owner) != nullptr ||
        owner == nullptr)
        return Component->Name();
    return owner->Name() + "." + Component->Name();
}

void TDuzuWriter::writeInteger(std::int64_t Value) {
    TStreamHelper* out = TypedStream();
    if (Value >= 0 && Value <= kCompactIntegerMax) {
        out->WriteByte(tagInteger);
        out->WriteIndex(static_cast<std::uint32_t>(Value));
    } else if (Value < 0 && -Value <= kCompactIntegerMax) {
        out->WriteByte(tagNegative);
        out->WriteIndex(static_cast<std::uint32_t>(-Value));
    } else {
        out->WriteByte(tagInt32);
        out->WriteInt32(static_cast<std::int32_t>(Value));
    }
}

void TDuzuWriter::writeProperty(TObject* Object, const TDuzuPropInfo& Prop) {
    if (!Prop.HasSetter()) return;
    TStreamHelper* out = TypedStream();
    switch (Prop.Kind) {
        case pkInteger: {
            std::int64_t value = Prop.GetOrd(Object);
            if (Prop.HasDefault && value == Prop.Default) return;
            out->WriteString(Prop.Name);
            writeInteger(value);
            return;
        }
        case pkChar: {
            std::int64_t value = Prop.GetOrd(Object);
            if (Prop.HasDefault && value == Prop.Default) return;
            out->WriteString(Prop.Name);
            out->WriteByte(tagChar);
            out->WriteByte(static_cast<std::uint8_t>(value));
            return;
        }
        case pkEnumeration: {
            std::int64_t value = Prop.GetOrd(Object);
            if (Prop.HasDefault && value == Prop.Default) return;
            std::string name = ordinalName(Prop, value);
            out->WriteString(Prop.Name);
            out->WriteByte(tagIdent);
            out->WriteString(name);
            return;
        }
        case pkFloat: {
            TExtended80 bytes = encodeExtended(Prop.GetFloat(Object));
            out->WriteString(Prop.Name);
            out->WriteByte(tagFloat);
            out->WriteBuf(bytes.data(), static_cast<std::int64_t>(bytes.size()));
            return;
        }
        case pkString: {
            std::string value = Prop.GetStr(Object);
            if (value.empty()) return;
            out->WriteString(Prop.Name);
            out->WriteByte(tagString);
            out->WriteString(value);
            return;
        }
        case pkSet: {
            std::int64_t value = Prop.GetOrd(Object);
            if (Prop.HasDefault && value == Prop.Default) return;
            out->WriteString(Prop.Name);
            out->WriteByte(tagSet);
            for (int i = 0; i < kSetMembers; ++i)
                if ((value >> i) & 1) out->WriteString(ordinalName(Prop, i));
            out->WriteString("");
            return;
        }
        case pkClass: break;
    }
    TObject* value = Prop.GetObject(Object);
    if (value == nullptr) return;
    out->WriteString(Prop.Name);
    if (auto* component = dynamic_cast<TComponent*>(value)) {
        out->WriteByte(tagIdent);
        out->WriteString(ComponentReference(component));
    } else if (auto* list = dynamic_cast<TDuzuComponentList*>(value)) {
        out->WriteByte(tagComponentList);
        for (int i = 0; i < list->Count(); ++i)
            if (list->Item(i) != nullptr) out->WriteString(ComponentReference(list->Item(i)));
        out->WriteString("");
    } else if (auto* items = dynamic_cast<TDuzuPersistentList*>(value)) {
        out->WriteByte(tagPersistentList);
        for (int i = 0; i < items->Count(); ++i) {
            if (items->Item(i) == nullptr) continue;
            out->WriteString(items->Item(i)->ClassName());
            WriteProperties(items->Item(i));
        }
        out->WriteString("");
    } else if (dynamic_cast<TPersistent*>(value) != nullptr) {
        WriteProperties(value);  // its 8 is the tag
    } else {
        RaiseDesignerError(throughMessageHook("Attempt to write invalid class type."));
    }
}

// ---------------------------------------------------------------------------
// Reader

void TDuzuReader::enter() {
    if (++depth_ > kMaxDepth) {
        depth_ = 0;
        RaiseDesignerError("Project records nested too deeply.");
    }
}

void TDuzuReader::unreadable() const {
    RaiseDesignerError(throughMessageHook(Format("Error reading property \"%s\".", {propName_})));
}

void TDuzuReader::unknownClass(const std::string& ClassName) const {
    RaiseDesignerError(throughMessageHook(Format(
        "Unknown class \"%s\" found.  You will need to include the unit containing this component to your "
        "uses clause and call the DuzuRegister procedure in that unit (usually \"UnitName.DuzuRegister;\" in "
        "the DuzuProject.OnCreate event).",
        {ClassName})));
}

void TDuzuReader::ReadIntoComponent(TDuzuComponent* Root) {
    skipDepth_ = 0;
    depth_ = 0;
    TStreamHelper* in = TypedStream();
    Root->SetDuzuState(Root->DuzuState() | dzsReading);
    SetParentComponent(dynamic_cast<TDuzuComponent*>(Root->Owner()));
    try {
        if (in->ReadByte() != kComponentMarker) unreadable();
        std::string className = in->ReadString();
        std::string name = in->ReadString();
        if (SameText(className, Root->ClassName())) {
            Root->SetName(name);
            namedComponent(Root);
            if (in->ReadByte() != kPropertiesMarker) unreadable();
            ReadProperties(Root);
            std::uint32_t count = in->ReadIndex();
            in->CheckRemaining(count);
            for (std::uint32_t i = 0; i < count; ++i) ReadComponent(Root);
        } else if (GetClass(className) == nullptr || FindDuzuClassInfo(className) == nullptr) {
            // A damaged name would otherwise leave the block empty in silence.
            unknownClass(className);
        }
    } catch (...) {
        Root->SetDuzuState(Root->DuzuState() & ~dzsReading);
        throw;
    }
    Root->SetDuzuState(Root->DuzuState() & ~dzsReading);
}

void TDuzuReader::ReadComponent(TDuzuComponent* Parent) {
    enter();
    SetParentComponent(Parent);
    TStreamHelper* in = TypedStream();
    if (in->ReadByte() != kComponentMarker) unreadable();
    std::string className = in->ReadString();
    std::string name = in->ReadString();
    const TPersistentClass* cls = GetClass(className);
    if (cls == nullptr || !cls->IsComponentClass() || FindDuzuClassInfo(className) == nullptr)
        unknownClass(className);
    TPersistent* made = cls->Create(Parent);
    auto* object = dynamic_cast<TDuzuComponent*>(made);
    if (object == nullptr) {
        delete made;
        RaiseDesignerError(throughMessageHook(Format("Unknown class \"%s\" found.", {className})));
    }
    object->SetDuzuState(object->DuzuState() | dzsReading);
    bool accepted = object->AcceptParent(Parent) && Parent->AcceptChild(object);
    try {
        if (accepted) {
            object->SetParent(Parent);
            object->SetName(name);
            namedComponent(object);
        } else {
            ++skipDepth_;
        }
        if (in->ReadByte() != kPropertiesMarker) unreadable();
        ReadProperties(object);
        std::uint32_t count = in->ReadIndex();
        in->CheckRemaining(count);
        for (std::uint32_t i = 0; i < count; ++i) ReadComponent(object);
    } catch (...) {
        if (!accepted) {
            --skipDepth_;
            delete object;
        } else {
            object->SetDuzuState(object->DuzuState() & ~dzsReading);
        }
        leave();
        throw;
    }
    object->SetDuzuState(object->DuzuState() & ~dzsReading);
    if (!accepted) {
        --skipDepth_;
        delete object;
    }
    leave();
}

void TDuzuReader::ReadProperties(TObject* Object) {
    enter();
    TStreamHelper* in = TypedStream();
    collectOverrides(Object);
    auto overrides = std::move(overrides_);
    for (;;) {
        propName_ = in->ReadString();
        if (propName_.empty()) break;
        propHandled_ = false;
        if (propName_ != "Left" && propName_ != "Top") {
            for (const TDuzuDefinedProp* defined : DuzuDefinedProps(Object)) {
                if (!SameText(defined->Name, propName_) || !defined->Read) continue;
                std::string bytes = in->ReadString();
                if (skipDepth_ == 0) defined->Read(Object, bytes);
                propHandled_ = true;
                break;
            }
        }
        if (propHandled_) continue;
        auto it = overrides.find(UpperCase(propName_));
        if (it != overrides.end() && it->second.ReadProc) {
            it->second.ReadProc(this);
            continue;
        }
        const TDuzuPropInfo* prop = DuzuFindProp(Object, propName_);
        if (prop == nullptr) {
            skipping([&] { readValue(Object, nullptr); });
        } else {
            readValue(Object, prop);
        }
    }
    leave();
}

void TDuzuReader::readValue(TObject* Object, const TDuzuPropInfo* Prop) {
    TStreamHelper* in = TypedStream();
    std::uint8_t tag = in->ReadByte();
    if (Prop == nullptr) {
        skipValue(tag);
        return;
    }
    bool apply = skipDepth_ == 0 && Prop->HasSetter();
    switch (Prop->Kind) {
        case pkInteger: {
            std::int64_t value;
            if (tag == tagInteger)
                value = in->ReadIndex();
            else if (tag == tagNegative)
                value = -static_cast<std::int64_t>(in->ReadIndex());
            else if (tag == tagInt32)
                value = in->ReadInt32();
            else
                unreadable();
            if (apply) Prop->SetOrd(Object, value);
            return;
        }
        case pkChar: {
            if (tag != tagChar) unreadable();
            std::uint8_t value = in->ReadByte();
            if (apply) Prop->SetOrd(Object, value);
            return;
        }
        case pkEnumeration: {
            if (tag != tagIdent) unreadable();
            std::string name = in->ReadString();
            std::int64_t ordinal = -1;
            for (std::size_t i = 0; i < Prop->Names.size(); ++i)
                if (SameText(Prop->Names[i], name)) ordinal = static_cast<std::int64_t>(i);
            if (ordinal < 0) unreadable();
            if (apply) Prop->SetOrd(Object, ordinal);
            return;
        }
        case pkFloat: {
            if (tag != tagFloat) unreadable();
            TExtended80 bytes;
            in->ReadBuf(bytes.data(), static_cast<std::int64_t>(bytes.size()));
            if (apply) Prop->SetFloat(Object, decodeExtended(bytes));
            return;
        }
        case pkString: {
            if (tag != tagString) unreadable();
            std::string value = in->ReadString();
            if (apply) Prop->SetStr(Object, value);
            return;
        }
        case pkSet: {
            if (tag != tagSet) unreadable();
            std::int64_t bits = 0;
            for (std::string name = in->ReadString(); !name.empty(); name = in->ReadString()) {
                bool known = false;
                for (std::size_t i = 0; i < Prop->Names.size() && i < kSetMembers; ++i) {
                    if (!SameText(Prop->Names[i], name)) continue;
                    bits |= std::int64_t(1) << i;
                    known = true;
                }
                if (!known) unreadable();
            }
            if (apply) Prop->SetOrd(Object, bits);
            return;
        }
        case pkClass: readClassValue(Object, Prop, tag); return;
    }
}

void TDuzuReader::readClassValue(TObject* Object, const TDuzuPropInfo* Prop, std::uint8_t Tag) {
    TStreamHelper* in = TypedStream();
    bool apply = skipDepth_ == 0 && Prop->HasSetter();
    const TDuzuProjectManager* manager = managerOf(ParentComponent());
    switch (Tag) {
        case tagIdent: {
            std::string name = in->ReadString();
            if (!apply) return;
            TComponent* found = findComponent(manager, name, ParentComponent());
            if (found != nullptr) {
                Prop->SetObject(Object, found);  // a component of another class sets none
            } else {
                addForwardRef(name, ParentComponent(), {0, Object, Prop, manager});
            }
            return;
        }
        case tagInteger: {
            std::uint32_t value = in->ReadIndex();
            if (value != 0) unreadable();
            if (apply) Prop->SetObject(Object, nullptr);
            return;
        }
        case tagObject: {
            TObject* current = Prop->GetObject(Object);
            if (current == nullptr || dynamic_cast<TPersistent*>(current) == nullptr ||
                dynamic_cast<TComponent*>(current) != nullptr) {
                skipValue(Tag);
                return;
            }
            ReadProperties(current);
            return;
        }
        case tagComponentList: {
            TDuzuComponentList list;
            std::vector<std::pair<int, std::string>> missing;
            for (std::string name = in->ReadString(); !name.empty(); name = in->ReadString()) {
                if (!apply) continue;
                TComponent* found = findComponent(manager, name, ParentComponent());
                if (found == nullptr) missing.emplace_back(list.Count(), name);
                list.Add(found);
            }
            if (!apply) return;
            Prop->SetObject(Object, &list);
            // The setter copies the list: open references patch the copy.
            auto* kept = dynamic_cast<TDuzuComponentList*>(Prop->GetObject(Object));
            if (kept == nullptr) return;
            for (auto& [index, name] : missing) addForwardRef(name, ParentComponent(), {index, kept, nullptr, manager});
            return;
        }
        case tagPersistentList: {
            auto* items = dynamic_cast<TDuzuPersistentList*>(Prop->GetObject(Object));
            if (items == nullptr || !apply) {
                skipValue(Tag);
                return;
            }
            items->Clear();
            auto* owner = dynamic_cast<TComponent*>(Object);
            for (std::string className = in->ReadString(); !className.empty(); className = in->ReadString()) {
                if (in->ReadByte() != kPropertiesMarker) unreadable();
                TPersistent* item = FindDuzuClassInfo(className) ? TDuzuPersistentList::CreateItem(className, owner)
                                                                 : nullptr;
                if (item == nullptr) unreadable();
                items->Add(item);
                ReadProperties(item);
            }
            return;
        }
        default: unreadable();
    }
}

void TDuzuReader::skipping(const std::function<void()>& Body) {
    ++skipDepth_;
    withFinally(Body, [this] { --skipDepth_; });
}

// A value of a property the object does not have: read and dropped.
void TDuzuReader::skipValue(std::uint8_t Tag) {
    TStreamHelper* in = TypedStream();
    switch (Tag) {
        case tagIdent:
        case tagString: in->ReadString(); return;
        case tagInteger:
        case tagNegative: in->ReadIndex(); return;
        case tagInt32: in->ReadInt32(); return;
        case tagChar: in->ReadByte(); return;
        case tagFloat: {
            TExtended80 bytes;
            in->ReadBuf(bytes.data(), static_cast<std::int64_t>(bytes.size()));
            return;
        }
        case tagSet:
        case tagComponentList:
            while (!in->ReadString().empty()) {
            }
            return;
        case tagObject: {
            TPersistent nothing;
            skipping([&] { ReadProperties(&nothing); });
            return;
        }
        case tagPersistentList:
            skipping([&] {
                while (!in->ReadString().empty()) {
                    if (in->ReadByte() != kPropertiesMarker) unreadable();
                    TPersistent nothing;
                    ReadProperties(&nothing);
                }
            });
            return;
        default: unreadable();
    }
}

void TDuzuReader::namedComponent(TDuzuComponent* Component) {
    const TComponent* owner = Component->Owner();
    std::string key = (owner != nullptr ? owner->Name() : std::string()) + "." + Component->Name();
    auto& refs = forwardRefs();
    auto range = refs.equal_range(key);
    for (auto it = range.first; it != range.second;) {
        patch(it->second, Component);
        it = refs.erase(it);
    }
}

void ResolveForwardRefs() {
    auto refs = std::move(forwardRefs());
    forwardRefs().clear();
    for (auto& [key, ref] : refs) {
        TComponent* found = findComponent(ref.Manager, key, nullptr);
        if (found != nullptr) patch(ref, found);
    }
}

void discardForwardRefs() { forwardRefs().clear(); }

bool hasForwardRefs() { return !forwardRefs().empty(); }
