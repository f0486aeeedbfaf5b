// The class registry entries and the property metadata of the project
// classes, in the order their properties are streamed (inherited first).
#include <mutex>

#include "reporting/project/DZClass.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/project/StreamHelper.h"

namespace {

using namespace duzu_props;

const std::vector<std::string> kOrientationNames = {"poPortrait", "poLandScape", "poDefault"};

// A string list's own value: a compact count, then compact-length strings.
std::string writeStrings(const TObject* Object) {
    auto* list = static_cast<const TStrings*>(Object);
    TMemoryStream bytes;
    TStreamHelper out(&bytes);
    out.WriteIndex(static_cast<std::uint32_t>(list->Count()));
    for (int i = 0; i < list->Count(); ++i) out.WriteString(list->Strings(i));
    return std::string(bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
}

void readStrings(TObject* Object, const std::string& Bytes) {
    auto* list = static_cast<TStrings*>(Object);
    TStringStream source(Bytes);
    TStreamHelper in(&source);
    std::uint32_t count = in.ReadIndex();
    in.CheckRemaining(count);
    list->BeginUpdate();
    list->Clear();
    for (std::uint32_t i = 0; i < count; ++i) list->Add(in.ReadString());
    list->EndUpdate();
}

void registerLibraryClasses() {
    RegisterDuzuClassInfo({"TComponent", "",
                           {string<TComponent>("Name", &TComponent::Name, &TComponent::SetName),
                            integer<TComponent>("Tag", &TComponent::Tag, &TComponent::SetTag, 0)},
                           {}});
    TDuzuDefinedProp strings{"Strings", [](const TObject* o) { return static_cast<const TStrings*>(o)->Count() > 0; },
                             writeStrings, readStrings};
    RegisterDuzuClassInfo({"TStrings", "", {}, {strings}});
    RegisterDuzuClassInfo({"TStringList", "TStrings", {}, {}});
}

void registerFont() {
    TDuzuPropInfo style = setMembers<TDuzuFont>("Style", &TDuzuFont::styleBits, &TDuzuFont::setStyleBits,
                                                {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, 0);
    RegisterDuzuClassInfo(
        {"TDuzuFont", "",
         {integer<TFont>("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET),
          integer<TFont>("Color", &TFont::Color, &TFont::SetColor, clWindowText),
          integerNoDefault<TFont>("Height", &TFont::Height, &TFont::SetHeight),
          string<TFont>("Name", &TFont::Name, &TFont::SetName),
          enumeration<TFont>("Pitch", &TFont::Pitch, &TFont::SetPitch, {"fpDefault", "fpVariable", "fpFixed"},
                             fpDefault),
          integerNoDefault<TFont>("Size", &TFont::Size, &TFont::SetSize), style},
         {}});
}

void registerModelClasses() {
    RegisterDuzuClassInfo({"TDuzuEvent", "",
                           {string<TDuzuEvent>("Header", &TDuzuEvent::Header, &TDuzuEvent::SetHeader),
                            string<TDuzuEvent>("Body", &TDuzuEvent::Body, &TDuzuEvent::SetBody),
                            integer<TDuzuEvent>("Position", &TDuzuEvent::Position, &TDuzuEvent::SetPosition, 0),
                            object<TDuzuEvent, TDuzuProjectItem>("ModuleOwner", &TDuzuEvent::ModuleOwner,
                                                                 &TDuzuEvent::SetModuleOwner)},
                           {}});
    RegisterDuzuClassInfo({"TDuzuSimpleEvent", "TDuzuEvent",
                           {object<TDuzuSimpleEvent, TComponent>("Sender", &TDuzuSimpleEvent::Sender,
                                                                 &TDuzuSimpleEvent::SetSender)},
                           {}});
    RegisterDuzuClassInfo(
        {"TDuzuComponent", "TComponent",
         {boolean<TDuzuComponent>("Locked", &TDuzuComponent::Locked, &TDuzuComponent::SetLocked, false),
          boolean<TDuzuComponent>("DevLocked", &TDuzuComponent::DevLocked, &TDuzuComponent::SetDevLocked, false),
          object<TDuzuComponent, TDuzuSimpleEvent>("OnBeforePrint", &TDuzuComponent::OnBeforePrint,
                                                   &TDuzuComponent::SetOnBeforePrint),
          object<TDuzuComponent, TDuzuSimpleEvent>("OnAfterPrint", &TDuzuComponent::OnAfterPrint,
                                                   &TDuzuComponent::SetOnAfterPrint)},
         {}});
    RegisterDuzuClassInfo({"TDuzuContainerComponent", "TDuzuComponent", {}, {}});

    TDuzuPropInfo active =
        boolean<TDuzuProjectItem>("Active", &TDuzuProjectItem::Active, &TDuzuProjectItem::SetActive, false);
    // Activation is the run's state, set again when the project is loaded.
    active.Stored = [](const TObject*) { return false; };
    TDuzuDefinedProp module{
        "Module", [](const TObject* o) { return !static_cast<const TDuzuProjectItem*>(o)->Module().empty(); },
        [](const TObject* o) { return static_cast<const TDuzuProjectItem*>(o)->Module(); },
        // No module compiler is installed: the bytes are dropped.
        [](TObject*, const std::string&) {}};
    RegisterDuzuClassInfo(
        {"TDuzuProjectItem", "TDuzuContainerComponent",
         {string<TDuzuProjectItem>("Description", &TDuzuProjectItem::Description, &TDuzuProjectItem::SetDescription),
          string<TDuzuProjectItem>("FullName", &TDuzuProjectItem::FullName, &TDuzuProjectItem::SetFullName),
          boolean<TDuzuProjectItem>("CompileNeeded", &TDuzuProjectItem::CompileNeeded,
                                    &TDuzuProjectItem::SetCompileNeeded, false),
          object<TDuzuProjectItem, TStrings>("Parameters", &TDuzuProjectItem::Parameters,
                                             &TDuzuProjectItem::SetParameters),
          object<TDuzuProjectItem, TStrings>("PIVars", &TDuzuProjectItem::PIVars, &TDuzuProjectItem::SetPIVars),
          active},
         {module}});

    RegisterDuzuClassInfo(
        {"TDuzuPage", "TDuzuProjectItem",
         {integer<TDuzuPage>("PaperSize", &TDuzuPage::PaperSize, &TDuzuPage::SetPaperSize, -1),
          floating<TDuzuPage>("PageWidth", &TDuzuPage::PageWidth, &TDuzuPage::SetPageWidth),
          floating<TDuzuPage>("PageHeight", &TDuzuPage::PageHeight, &TDuzuPage::SetPageHeight),
          enumeration<TDuzuPage>("Orientation", &TDuzuPage::Orientation, &TDuzuPage::SetOrientation,
                                 kOrientationNames, static_cast<int>(TOrientation::poDefault)),
          integer<TDuzuPage>("Bin", &TDuzuPage::Bin, &TDuzuPage::SetBin, -1),
          string<TDuzuPage>("BinCustom", &TDuzuPage::BinCustom, &TDuzuPage::SetBinCustom),
          enumeration<TDuzuPage>("GotoMode", &TDuzuPage::GotoMode, &TDuzuPage::SetGotoMode,
                                 {"gmGotoDone", "gmGotoNotDone", "gmCallEach"}, gmGotoDone),
          integer<TDuzuPage>("GridLines", &TDuzuPage::GridLines, &TDuzuPage::SetGridLines, 5),
          floating<TDuzuPage>("GridSpacing", &TDuzuPage::GridSpacing, &TDuzuPage::SetGridSpacing),
          boolean<TDuzuPage>("WasteFit", &TDuzuPage::WasteFit, &TDuzuPage::SetWasteFit, false)},
         {}});

    RegisterDuzuClassInfo(
        {"TDuzuControl", "TDuzuComponent",
         {floating<TDuzuControl>("Left", &TDuzuControl::Left, &TDuzuControl::SetLeft),
          floating<TDuzuControl>("Top", &TDuzuControl::Top, &TDuzuControl::SetTop),
          floating<TDuzuControl>("Width", &TDuzuControl::Width, &TDuzuControl::SetWidth),
          floating<TDuzuControl>("Height", &TDuzuControl::Height, &TDuzuControl::SetHeight),
          enumeration<TDuzuControl>("DisplayOn", &TDuzuControl::DisplayOn, &TDuzuControl::SetDisplayOn,
                                    {"doParent", "doAll", "doPreviewOnly", "doPrinterOnly"}, doParent),
          integer<TDuzuControl>("Anchor", &TDuzuControl::Anchor, &TDuzuControl::SetAnchor, 0),
          object<TDuzuControl, TDuzuControl>("Mirror", &TDuzuControl::Mirror, &TDuzuControl::SetMirror)},
         {}});
    RegisterDuzuClassInfo({"TDuzuContainerControl", "TDuzuControl", {}, {}});
}

void registerProjectClasses() {
    TDuzuPropInfo units = enumeration<TDuzuProjectManager>("Units", &TDuzuProjectManager::Units,
                                                           &TDuzuProjectManager::SetUnits,
                                                           {"unInch", "unMM", "unCM", "unPoint", "unUser"}, unInch);
    units.Stored = [](const TObject*) { return false; };  // follows UnitsFactor
    RegisterDuzuClassInfo(
        {"TDuzuProjectManager", "TDuzuProjectItem",
         {object<TDuzuProjectManager, TStrings>("Categories", &TDuzuProjectManager::Categories,
                                                &TDuzuProjectManager::SetCategories),
          units,
          floating<TDuzuProjectManager>("UnitsFactor", &TDuzuProjectManager::UnitsFactor,
                                        &TDuzuProjectManager::SetUnitsFactor)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuReport", "TDuzuProjectItem",
         {boolean<TDuzuReport>("AlwaysGenerate", &TDuzuReport::AlwaysGenerate, &TDuzuReport::SetAlwaysGenerate,
                               false),
          string<TDuzuReport>("Category", &TDuzuReport::Category, &TDuzuReport::SetCategory),
          integer<TDuzuReport>("Copies", &TDuzuReport::Copies, &TDuzuReport::SetCopies, 0),
          object<TDuzuReport, TDuzuPage>("FirstPage", &TDuzuReport::FirstPage, &TDuzuReport::SetFirstPage),
          object<TDuzuReport, TDuzuComponentList>("PageList", &TDuzuReport::PageList, &TDuzuReport::SetPageList),
          enumeration<TDuzuReport>("Collate", &TDuzuReport::Collate, &TDuzuReport::SetCollate,
                                   {"pcFalse", "pcTrue", "pcDefault"}, pcDefault),
          enumeration<TDuzuReport>("Duplex", &TDuzuReport::Duplex, &TDuzuReport::SetDuplex,
                                   {"pdSimplex", "pdHorizontal", "pdVertical", "pdDefault"}, pdDefault),
          integer<TDuzuReport>("MaxPages", &TDuzuReport::MaxPages, &TDuzuReport::SetMaxPages, 0),
          string<TDuzuReport>("Printer", &TDuzuReport::Printer, &TDuzuReport::SetPrinter),
          enumeration<TDuzuReport>("Resolution", &TDuzuReport::Resolution, &TDuzuReport::SetResolution,
                                   {"prDraft", "prLow", "prMedium", "prHigh", "prDefault"}, prDefault)},
         {}});
}

}  // namespace

void DuzuRegisterClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        registerLibraryClasses();
        registerFont();
        registerModelClasses();
        registerProjectClasses();
        RegisterClasses<TStringList, TDuzuFont, TDuzuSimpleEvent, TDuzuPage, TDuzuReport, TDuzuProjectManager>();
    });
}
