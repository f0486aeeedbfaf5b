#include "ProjectTestComponents.h"

#include <mutex>

#include "base/SysUtils.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/RSBase.h"

void TTestText::PrintSelf(TBaseReport* Engine) {
    ++Prints;
    Engine->PrintLeft(text_, Left());
}

bool TTestPicky::AcceptParent(const TDuzuComponent* NewParent) const {
    return dynamic_cast<const TDuzuPage*>(NewParent) == nullptr;
}

void RegisterTestComponents() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterClasses();
        using namespace duzu_props;
        RegisterDuzuClassInfo({"TTestText", "TDuzuControl",
                               {string<TTestText>("Text", &TTestText::Text, &TTestText::SetText),
                                integer<TTestText>("Count", &TTestText::Count, &TTestText::SetCount, 0),
                                object<TTestText, TDuzuControl>("Link", &TTestText::Link, &TTestText::SetLink)},
                               {}});
        RegisterDuzuClassInfo({"TTestBand", "TDuzuContainerControl", {}, {}});
        RegisterDuzuClassInfo({"TTestPicky", "TTestText", {}, {}});
        RegisterClasses<TTestText, TTestBand, TTestPicky>();
    });
}

namespace {

std::string valueText(const TDuzuComponent* Object, const TDuzuPropInfo& Prop) {
    switch (Prop.Kind) {
        case pkFloat: return FloatToStr(Prop.GetFloat(Object));
        case pkString: return "'" + Prop.GetStr(Object) + "'";
        case pkClass: {
            TObject* value = Prop.GetObject(Object);
            if (value == nullptr) return "none";
            if (auto* c = dynamic_cast<TComponent*>(value))
                return (c->Owner() ? c->Owner()->Name() : std::string("?")) + "." + c->Name();
            if (auto* list = dynamic_cast<TDuzuComponentList*>(value)) {
                std::string text = "[";
                for (int i = 0; i < list->Count(); ++i)
                    text += (list->Item(i) ? list->Item(i)->Name() : std::string("none")) + " ";
                return text + "]";
            }
            if (auto* strings = dynamic_cast<TStrings*>(value)) return "{" + strings->CommaText() + "}";
            if (auto* event = dynamic_cast<TDuzuEvent*>(value)) return "event '" + event->Header() + "'";
            return value->ClassName();
        }
        default: return IntToStr(Prop.GetOrd(Object));
    }
}

void dump(const TDuzuComponent* Component, int Depth, std::string& Out) {
    Out += std::string(static_cast<std::size_t>(Depth) * 2, ' ') + Component->ClassName() + " " +
           Component->Name() + ":";
    for (const TDuzuPropInfo* p : DuzuPublishedProps(Component))
        if (p->Name != "Name") Out += " " + p->Name + "=" + valueText(Component, *p);
    Out += "\n";
    for (int i = 0; i < Component->GetChildCount(); ++i) dump(Component->GetChild(i), Depth + 1, Out);
}

}  // namespace

std::string DumpTree(const TDuzuComponent* Root) {
    std::string out;
    dump(Root, 0, out);
    return out;
}
