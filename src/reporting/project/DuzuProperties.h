#pragma once
// The property metadata of the report-project classes: for each class its
// published properties (name, kind, declared default, stored condition,
// enumeration or set member names, getter and setter), in declaration order
// with the inherited ones first, and its defined properties, whose values
// the class writes in a format of its own. The component streaming reads
// and writes objects through this layer only; objects are made by class
// name through the class library's registry.
//
// Defined properties of the class library's own classes hold our own format:
// a string list ("Strings") is a compact count, then compact-length strings.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Classes.h"

enum TDuzuPropKind { pkInteger, pkChar, pkEnumeration, pkFloat, pkString, pkSet, pkClass };

struct TDuzuPropInfo {
    std::string Name;
    TDuzuPropKind Kind = pkInteger;
    // Integers, characters, enumerations (ordinal) and sets (member bits) are
    // written only when they differ from a declared default.
    bool HasDefault = false;
    std::int64_t Default = 0;
    // Enumeration value names or set member names, by ordinal.
    std::vector<std::string> Names;
    // Empty: always stored.
    std::function<bool(const TObject*)> Stored;

    std::function<std::int64_t(const TObject*)> GetOrd;
    std::function<void(TObject*, std::int64_t)> SetOrd;
    std::function<double(const TObject*)> GetFloat;
    std::function<void(TObject*, double)> SetFloat;
    std::function<std::string(const TObject*)> GetStr;
    std::function<void(TObject*, const std::string&)> SetStr;
    std::function<TObject*(const TObject*)> GetObject;
    std::function<void(TObject*, TObject*)> SetObject;

    bool HasSetter() const;
    bool IsStored(const TObject* Instance) const { return !Stored || Stored(Instance); }
};

struct TDuzuDefinedProp {
    std::string Name;
    std::function<bool(const TObject*)> HasData;
    // The value's bytes, and reading them back.
    std::function<std::string(const TObject*)> Write;
    std::function<void(TObject*, const std::string&)> Read;
};

struct TDuzuClassInfo {
    std::string Name;
    std::string Parent;  // empty at the root
    std::vector<TDuzuPropInfo> Props;
    std::vector<TDuzuDefinedProp> Defined;
};

// Registers (or replaces) the metadata of a class.
void RegisterDuzuClassInfo(TDuzuClassInfo Info);
// The metadata registered under that class name (without regard to case).
const TDuzuClassInfo* FindDuzuClassInfo(const std::string& ClassName);

// The published properties of the object's class, inherited ones first.
std::vector<const TDuzuPropInfo*> DuzuPublishedProps(const TObject* Instance);
// The published property of that name (without regard to case), or nullptr.
const TDuzuPropInfo* DuzuFindProp(const TObject* Instance, const std::string& Name);
// The defined properties, inherited ones first.
std::vector<const TDuzuDefinedProp*> DuzuDefinedProps(const TObject* Instance);
// True when ClassName is Ancestor or derives from it, by the metadata.
bool DuzuInheritsFrom(const std::string& ClassName, const std::string& Ancestor);

// Copies every published property of Source onto Dest except those named in
// Except (without regard to case); object-valued properties are assigned
// (components by reference).
void DuzuCopyProps(const TObject* Source, TObject* Dest, const std::vector<std::string>& Except);

// ---- Declaring properties over getters and setters of a class C ----
namespace duzu_props {

template <class C, class G, class S>
TDuzuPropInfo ordinal(std::string Name, TDuzuPropKind Kind, G Get, S Set) {
    TDuzuPropInfo p;
    p.Name = std::move(Name);
    p.Kind = Kind;
    p.GetOrd = [Get](const TObject* o) {
        return static_cast<std::int64_t>((static_cast<const C*>(o)->*Get)());
    };
    if constexpr (!std::is_same_v<S, std::nullptr_t>) {
        p.SetOrd = [Set](TObject* o, std::int64_t v) {
            using Arg = std::decay_t<decltype((static_cast<const C*>(o)->*Get)())>;
            (static_cast<C*>(o)->*Set)(static_cast<Arg>(v));
        };
    }
    return p;
}

// An ordinal property with its enumeration or set names and declared default.
template <class C, class G, class S>
TDuzuPropInfo ordinalWithDefault(std::string Name, TDuzuPropKind Kind, G Get, S Set, std::vector<std::string> Names,
                                 std::int64_t Default) {
    TDuzuPropInfo p = ordinal<C>(std::move(Name), Kind, Get, Set);
    p.Names = std::move(Names);
    p.HasDefault = true;
    p.Default = Default;
    return p;
}

template <class C, class G, class S>
TDuzuPropInfo integer(std::string Name, G Get, S Set, std::int64_t Default) {
    return ordinalWithDefault<C>(std::move(Name), pkInteger, Get, Set, {}, Default);
}

// An integer without a declared default: always written.
template <class C, class G, class S>
TDuzuPropInfo integerNoDefault(std::string Name, G Get, S Set) {
    return ordinal<C>(std::move(Name), pkInteger, Get, Set);
}

template <class C, class G, class S>
TDuzuPropInfo boolean(std::string Name, G Get, S Set, bool Default) {
    return ordinalWithDefault<C>(std::move(Name), pkEnumeration, Get, Set, {"False", "True"}, Default ? 1 : 0);
}

template <class C, class G, class S>
TDuzuPropInfo enumeration(std::string Name, G Get, S Set, std::vector<std::string> Names, std::int64_t Default) {
    return ordinalWithDefault<C>(std::move(Name), pkEnumeration, Get, Set, std::move(Names), Default);
}

// A set: its value holds one bit a member, by the member's place in Names.
template <class C, class G, class S>
TDuzuPropInfo setMembers(std::string Name, G Get, S Set, std::vector<std::string> Names, std::int64_t Default) {
    return ordinalWithDefault<C>(std::move(Name), pkSet, Get, Set, std::move(Names), Default);
}

template <class C, class G, class S>
TDuzuPropInfo floating(std::string Name, G Get, S Set) {
    TDuzuPropInfo p;
    p.Name = std::move(Name);
    p.Kind = pkFloat;
    p.GetFloat = [Get](const TObject* o) { return static_cast<double>((static_cast<const C*>(o)->*Get)()); };
    p.SetFloat = [Set](TObject* o, double v) { (static_cast<C*>(o)->*Set)(v); };
    return p;
}

template <class C, class G, class S>
TDuzuPropInfo string(std::string Name, G Get, S Set) {
    TDuzuPropInfo p;
    p.Name = std::move(Name);
    p.Kind = pkString;
    p.GetStr = [Get](const TObject* o) { return std::string((static_cast<const C*>(o)->*Get)()); };
    p.SetStr = [Set](TObject* o, const std::string& v) { (static_cast<C*>(o)->*Set)(v); };
    return p;
}

// An object-valued property; Set receives the object (a component, a list
// or a persistent object) or nullptr.
template <class C, class T, class G, class S>
TDuzuPropInfo object(std::string Name, G Get, S Set) {
    TDuzuPropInfo p;
    p.Name = std::move(Name);
    p.Kind = pkClass;
    p.GetObject = [Get](const TObject* o) -> TObject* {
        return const_cast<std::remove_const_t<std::remove_pointer_t<decltype((static_cast<const C*>(o)->*Get)())>>*>(
            (static_cast<const C*>(o)->*Get)());
    };
    p.SetObject = [Set](TObject* o, TObject* v) { (static_cast<C*>(o)->*Set)(dynamic_cast<T*>(v)); };
    return p;
}

}  // namespace duzu_props
