#include "reporting/project/DuzuProperties.h"

#include <map>

#include "base/SysUtils.h"

namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return CompareText(a, b) < 0; }
};

std::map<std::string, TDuzuClassInfo, NoCase>& registry() {
    static std::map<std::string, TDuzuClassInfo, NoCase> infos;
    return infos;
}

// The chain of metadata from the root class down to ClassName.
std::vector<const TDuzuClassInfo*> chain(const std::string& ClassName) {
    std::vector<const TDuzuClassInfo*> result;
    std::string name = ClassName;
    for (int guard = 0; !name.empty() && guard < 64; ++guard) {
        const TDuzuClassInfo* info = FindDuzuClassInfo(name);
        if (info == nullptr) break;
        result.insert(result.begin(), info);
        name = info->Parent;
    }
    return result;
}

}  // namespace

bool TDuzuPropInfo::HasSetter() const {
    switch (Kind) {
        case pkFloat: return static_cast<bool>(SetFloat);
        case pkString: return static_cast<bool>(SetStr);
        case pkClass: return static_cast<bool>(SetObject);
        default: return static_cast<bool>(SetOrd);
    }
}

void RegisterDuzuClassInfo(TDuzuClassInfo Info) {
    std::string name = Info.Name;
    registry()[name] = std::move(Info);
}

const TDuzuClassInfo* FindDuzuClassInfo(const std::string& ClassName) {
    auto it = registry().find(ClassName);
    return it == registry().end() ? nullptr : &it->second;
}

std::vector<const TDuzuPropInfo*> DuzuPublishedProps(const TObject* Instance) {
    std::vector<const TDuzuPropInfo*> result;
    for (const TDuzuClassInfo* info : chain(Instance->ClassName()))
        for (const TDuzuPropInfo& p : info->Props) result.push_back(&p);
    return result;
}

const TDuzuPropInfo* DuzuFindProp(const TObject* Instance, const std::string& Name) {
    for (const TDuzuPropInfo* p : DuzuPublishedProps(Instance))
        if (SameText(p->Name, Name)) return p;
    return nullptr;
}

std::vector<const TDuzuDefinedProp*> DuzuDefinedProps(const TObject* Instance) {
    std::vector<const TDuzuDefinedProp*> result;
    for (const TDuzuClassInfo* info : chain(Instance->ClassName()))
        for (const TDuzuDefinedProp& d : info->Defined) result.push_back(&d);
    return result;
}

bool DuzuInheritsFrom(const std::string& ClassName, const std::string& Ancestor) {
    for (const TDuzuClassInfo* info : chain(ClassName))
        if (SameText(info->Name, Ancestor)) return true;
    return false;
}

void DuzuCopyProps(const TObject* Source, TObject* Dest, const std::vector<std::string>& Except) {
    for (const TDuzuPropInfo* p : DuzuPublishedProps(Source)) {
        bool skipped = false;
        for (const std::string& name : Except) skipped = skipped || SameText(name, p->Name);
        if (skipped || !p->HasSetter() || DuzuFindProp(Dest, p->Name) != p) continue;
        switch (p->Kind) {
            case pkFloat: p->SetFloat(Dest, p->GetFloat(Source)); break;
            case pkString: p->SetStr(Dest, p->GetStr(Source)); break;
            case pkClass: {
                TObject* value = p->GetObject(Source);
                TObject* target = p->GetObject(Dest);
                auto* persistent = dynamic_cast<TPersistent*>(value);
                auto* targetPersistent = dynamic_cast<TPersistent*>(target);
                if (dynamic_cast<TComponent*>(value) == nullptr && persistent != nullptr &&
                    targetPersistent != nullptr) {
                    targetPersistent->Assign(persistent);
                } else {
                    p->SetObject(Dest, value);
                }
                break;
            }
            default: p->SetOrd(Dest, p->GetOrd(Source)); break;
        }
    }
}
