#pragma once
// The component streaming of report projects: TDuzuWriter writes a
// component record (0, class name, name, property record, child count,
// children) and TDuzuReader reads one back, creating objects by class name.
// A property record is 8, entries (a name, then a value), and an empty name;
// defined properties come first with a compact length and their own bytes,
// then published ones with a type tag:
//   0 identifier (enumeration value or component reference), 1 integer
//   0..268,435,455, 2 negative integer (its magnitude), 3 int32, 4 character,
//   5 80-bit float, 6 string, 7 set (names, then ""), 8 embedded object
//   (its property record), 9 component list (references, then ""),
//   10 persistent list (class name and property record per item, then "").
// A component reference is "Name" when the component's owner is the owner of
// the component being written or the project manager, else "Owner.Name".
// References not yet found are resolved when the component gets its name and
// at ResolveForwardRefs.
//
// The reader treats its input as untrusted: an unregistered class, a value
// whose tag does not fit its property, or records nested too deeply raise
// EDuzuException; counts and lengths are checked against the bytes left.
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "reporting/project/DZClass.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/project/StreamHelper.h"

class TDuzuReader;
class TDuzuWriter;

// A property the component reads and writes itself.
struct TPropertyOverride {
    std::string Name;
    std::function<void(TDuzuReader* Reader)> ReadProc;
    std::function<void(TDuzuWriter* Writer)> WriteProc;
};

class TDuzuFiler : public TObject {
public:
    explicit TDuzuFiler(TStreamHelper* TypedStream) : typedStream_(TypedStream) {}
    TStreamHelper* TypedStream() const { return typedStream_; }
    TDuzuComponent* ParentComponent() const { return parentComponent_; }
    void SetParentComponent(TDuzuComponent* Value) { parentComponent_ = Value; }
    virtual bool IsReader() const { return false; }

    // Called from a component's DefineOverrides.
    void DefinePropertyOverride(const std::string& Name, std::function<void(TDuzuReader*)> ReadProc,
                                std::function<void(TDuzuWriter*)> WriteProc);

protected:
    const TPropertyOverride* findOverride(const std::string& Name) const;
    void collectOverrides(TObject* Instance);

    std::map<std::string, TPropertyOverride> overrides_;  // upper-case name

private:
    TStreamHelper* typedStream_;
    TDuzuComponent* parentComponent_ = nullptr;
};

class TDuzuWriter : public TDuzuFiler {
public:
    using TDuzuFiler::TDuzuFiler;
    TObject* Instance() const { return instance_; }

    void WriteComponent(TDuzuComponent* Component, bool WithChildren);
    void WriteProperties(TObject* Object);
    // The reference text of a component, as seen from ParentComponent.
    std::string ComponentReference(const TComponent* Component) const;

private:
    void writeProperty(TObject* Object, const TDuzuPropInfo& Prop);
    void writeInteger(std::int64_t Value);

    TObject* instance_ = nullptr;
};

class TDuzuReader : public TDuzuFiler {
public:
    using TDuzuFiler::TDuzuFiler;
    bool IsReader() const override { return true; }
    bool PropHandled() const { return propHandled_; }
    const std::string& PropName() const { return propName_; }
    int SkipDepth() const { return skipDepth_; }

    void ReadIntoComponent(TDuzuComponent* Root);
    void ReadComponent(TDuzuComponent* Parent);
    // The marker byte has been read by the caller.
    void ReadProperties(TObject* Object);

private:
    void readValue(TObject* Object, const TDuzuPropInfo* Prop);
    void readClassValue(TObject* Object, const TDuzuPropInfo* Prop, std::uint8_t Tag);
    void skipValue(std::uint8_t Tag);
    // Runs Body with the values it reads dropped, not applied.
    void skipping(const std::function<void()>& Body);
    void namedComponent(TDuzuComponent* Component);
    [[noreturn]] void unreadable() const;
    [[noreturn]] void unknownClass(const std::string& ClassName) const;
    // Raises past the deepest nesting a project may hold.
    void enter();
    void leave() { --depth_; }

    bool propHandled_ = false;
    std::string propName_;
    int skipDepth_ = 0;
    int depth_ = 0;
};

// Patches every reference still open after a whole project (or a report's
// activation); those that cannot be found stay empty.
void ResolveForwardRefs();
// Forgets every open reference, as after a load that failed.
void discardForwardRefs();
bool hasForwardRefs();
