#include "reporting/project/DZProj.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

#include "base/FlagScope.h"
#include "base/SysUtils.h"
#include "os/Paths.h"
#include "reporting/project/DZFiler.h"
#include "reporting/project/StreamHelper.h"
#include "ui/Dialogs.h"

std::function<void(const std::string& Text)> DuzuShowMessage = [](const std::string& Text) { ShowMessage(Text); };
std::function<TDuzuProjectItem*(TComponent* AOwner)> CreateDuzuDataView;

namespace {

const char kMagic[4] = {0x44, 0x55, 0x5A, 0x1A};

template <class T>
void eraseItem(std::vector<T*>& List, const TComponent* Item) {
    std::erase_if(List, [Item](T* entry) { return static_cast<const TComponent*>(entry) == Item; });
}

}  // namespace

void readBlockReportingErrors(TStreamHelper* Helper, const std::function<void()>& Body) {
    Helper->BeginReadBlock();
    int depth = Helper->BlockDepth();
    try {
        Body();
    } catch (const Exception& e) {
        // The rest of this block cannot be trusted; the next block can.
        while (Helper->BlockDepth() > depth) Helper->EndReadBlock();
        DuzuShowMessage(e.Message());
    }
    Helper->EndReadBlock();
}

// ---------------------------------------------------------------------------
// TDuzuProjectManager

TDuzuProjectManager::TDuzuProjectManager(TComponent* AOwner)
    : TDuzuProjectItem(AOwner),
      categories_(std::make_unique<TStringList>()),
      paramValues_(std::make_unique<TStringList>()) {}

TDuzuProjectManager::~TDuzuProjectManager() {
    Clear();
    FreeStringsObjects(paramValues_.get());
    if (ProjectManager == this) ProjectManager = nullptr;
}

void TDuzuProjectManager::SetUnitsFactor(double Value) {
    if (!(Value > 0)) return;
    unitsFactor_ = Value;
    if (FloatEqual(Value, 1.0))
        units_ = unInch;
    else if (FloatEqual(Value, 25.4))
        units_ = unMM;
    else if (FloatEqual(Value, 2.54))
        units_ = unCM;
    else if (FloatEqual(Value, 72.0))
        units_ = unPoint;
    else
        units_ = unUser;
}

void TDuzuProjectManager::Clear() {
    DeactivateReport();
    // Each item leaves the lists through Notification as it is freed.
    while (!dataObjectList_.empty()) delete dataObjectList_.back();
    while (!globalPageList_.empty()) delete globalPageList_.back();
    while (!reportList_.empty()) delete reportList_.back();
}

void TDuzuProjectManager::forget(TComponent* Item) {
    eraseItem(reportList_, Item);
    eraseItem(globalPageList_, Item);
    eraseItem(dataObjectList_, Item);
    if (static_cast<TComponent*>(activeReport_) == Item) activeReport_ = nullptr;
    if (static_cast<TComponent*>(loadingReport_) == Item) loadingReport_ = nullptr;
}

void TDuzuProjectManager::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuProjectItem::Notification(AComponent, Operation);
    if (Operation == opRemove) forget(AComponent);
}

void TDuzuProjectManager::Load() {
    TFlagScope busy(loading_);
    struct stat info {};
    std::string path = os::MapPath(fileName_);
    if (::stat(path.c_str(), &info) == 0) {
        if (info.st_size < 1) {
            New();
        } else {
            TFileStream file(fileName_, fmOpenRead | fmShareDenyWrite);
            LoadFromStream(&file);
            fileLoaded_ = true;
        }
    } else {
        New();
    }
}

void TDuzuProjectManager::New() {
    loading_ = true;
    Clear();
    fileName_ = "Project1.rav";
    NewReport();
    ClearModified();
    fileLoaded_ = false;
    loading_ = false;
}

TDuzuReport* TDuzuProjectManager::NewReport() {
    auto* report = new TDuzuReport(this);
    report->SetParent(this);
    report->SetName(GetUniqueName("Report", this, false));
    reportList_.push_back(report);
    ActivateReport(report);
    report->NewPage();
    report->SetFirstPage(dynamic_cast<TDuzuPage*>(report->GetChild(0)));
    return report;
}

void TDuzuProjectManager::AddDataObject(TDuzuProjectItem* Item) {
    Item->SetParent(this);
    dataObjectList_.push_back(Item);
}

void TDuzuProjectManager::DeleteItem(TDuzuProjectItem* Item) {
    bool ownPageRemoved = false;
    if (auto* report = dynamic_cast<TDuzuReport*>(Item)) {
        if (reportList_.size() == 1 && reportList_[0] == report) {
            NewReport();
        } else if (report == activeReport_) {
            auto it = std::find(reportList_.begin(), reportList_.end(), report);
            std::size_t index = static_cast<std::size_t>(it - reportList_.begin());
            std::size_t next = index == 0 ? 1 : index - 1;
            if (next < reportList_.size()) ActivateReport(reportList_[next]);
        }
        if (report == activeReport_) DeactivateReport();
        eraseItem(reportList_, report);
    } else if (auto* page = dynamic_cast<TDuzuPage*>(Item)) {
        if (activeReport_ != nullptr) activeReport_->RemovePageRef(page);
        if (page->Global())
            eraseItem(globalPageList_, page);
        else
            ownPageRemoved = true;
    } else {
        eraseItem(dataObjectList_, Item);
    }
    ChangeReference(Item, nullptr);
    delete Item;
    if (ownPageRemoved && activeReport_ != nullptr && activeReport_->GetChildCount() == 0) activeReport_->NewPage();
}

void TDuzuProjectManager::ActivateReport(TDuzuReport* Report) {
    DeactivateReport();
    activeReport_ = Report;
    if (Report == nullptr) return;
    Report->Activate();
    currentReportName_ = Report->Name();
}

void TDuzuProjectManager::DeactivateReport() {
    if (activeReport_ != nullptr) activeReport_->Deactivate();
    activeReport_ = nullptr;
}

namespace {

// A component of that name owned by Owner or, below it, by its components.
TComponent* findOwnedDeep(const TComponent* Owner, const std::string& Name) {
    if (TComponent* found = Owner->FindComponent(Name)) return found;
    for (int i = 0; i < Owner->ComponentCount(); ++i)
        if (TComponent* found = findOwnedDeep(Owner->Components(i), Name)) return found;
    return nullptr;
}

// The page Component lies on (components may be owned by their parents), or
// Component itself when it lies on none.
const TComponent* pageOrSelf(const TComponent* Component) {
    for (const TComponent* c = Component; c != nullptr; c = c->Owner())
        if (dynamic_cast<const TDuzuPage*>(c) != nullptr) return c;
    return Component;
}

}  // namespace

TComponent* TDuzuProjectManager::FindDuzuComponent(const std::string& Name, const TComponent* DefaultOwner) const {
    const TComponent* owner = DefaultOwner != nullptr ? DefaultOwner : this;
    std::string componentName = Name;
    std::size_t dot = Name.find('.');
    if (dot != std::string::npos) {
        std::string ownerName = Name.substr(0, dot);
        componentName = Name.substr(dot + 1);
        owner = nullptr;
        // The active report's pages first, then the one being read, then
        // the others: references are resolved while no report is active yet.
        std::vector<const TDuzuReport*> reports{activeReport_, loadingReport_};
        reports.insert(reports.end(), reportList_.begin(), reportList_.end());
        for (const TDuzuReport* report : reports) {
            if (report == nullptr) continue;
            for (int i = 0; i < report->GetChildCount() && owner == nullptr; ++i) {
                auto* page = dynamic_cast<TDuzuPage*>(report->GetChild(i));
                if (page != nullptr && SameText(page->Name(), ownerName)) owner = page;
            }
        }
        for (int i = 0; i < GetChildCount() && owner == nullptr; ++i)
            if (SameText(GetChild(i)->Name(), ownerName)) owner = GetChild(i);
        // A reference kept while reading names the component's parent.
        if (owner == nullptr) owner = findOwnedDeep(this, ownerName);
        if (owner == nullptr) return nullptr;
    }
    if (componentName.empty()) return nullptr;
    if (TComponent* found = owner->FindComponent(componentName)) return found;
    if (TComponent* found = findOwnedDeep(pageOrSelf(owner), componentName)) return found;
    return FindComponent(componentName);
}

std::string TDuzuProjectManager::GetUniqueName(const std::string& BaseName, const TComponent* AOwner,
                                               bool TryBaseFirst) const {
    const TComponent* owner = AOwner != nullptr ? AOwner : this;
    std::string base = BaseName;
    if (TryBaseFirst) {
        std::string rest = BaseName;
        std::string first;
        char delimiter = 0;
        GetToken(rest, "|", delimiter, first);
        if (owner->FindComponent(first) == nullptr) return first;
        if (delimiter != 0) base = rest;
    }
    std::string name;
    for (int n = 1; n <= 9999; ++n) {
        name = base + IntToStr(n);
        if (owner->FindComponent(name) == nullptr) break;
    }
    return name;
}

void TDuzuProjectManager::SetParamValue(const std::string& Name, const std::string& Value) {
    for (int i = 0; i < paramValues_->Count(); ++i) {
        if (!SameText(paramValues_->Strings(i), Name)) continue;
        static_cast<TRSStringObject*>(paramValues_->Objects(i))->Value = Value;
        return;
    }
    paramValues_->AddObject(Name, new TRSStringObject(Value));
}

std::string TDuzuProjectManager::GetParamValue(const std::string& Name) const {
    for (int i = 0; i < paramValues_->Count(); ++i)
        if (SameText(paramValues_->Strings(i), Name))
            return static_cast<TRSStringObject*>(paramValues_->Objects(i))->Value;
    return "";
}

void TDuzuProjectManager::SetModified(bool Value) {
    if (Value && !modified_ && !loading_ && fileLoaded_) {
        struct stat info {};
        std::string path = os::MapPath(fileName_);
        if (::stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            DuzuShowMessage(throughMessageHook(
                "The report project file you are modifying is marked read only.  You will be prompted for another "
                "file name when saving."));
    }
    modified_ = Value;
}

void TDuzuProjectManager::LoadFromStream(TStream* Stream) {
    TStreamHelper helper(Stream);
    LoadFromStreamHelper(&helper);
}

void TDuzuProjectManager::SaveToStream(TStream* Stream) {
    TStreamHelper helper(Stream);
    SaveToStreamHelper(&helper);
}

void TDuzuProjectManager::SaveToStreamHelper(TStreamHelper* Helper) {
    Helper->WriteBuf(kMagic, sizeof kMagic);
    fileVersion_ = kProjectVersion;
    Helper->WriteInt32(fileVersion_);
    Helper->WriteByte(0);
    Helper->WriteString(currentReportName_);
    TDuzuWriter(Helper).WriteComponent(this, false);
    auto writeItem = [Helper](std::uint8_t Kind, TDuzuProjectItem* Item) {
        Helper->WriteByte(Kind);
        Helper->WriteString(Item->Name());
        Helper->BeginWriteBlock();
        Item->SaveToStreamHelper(Helper);
        Helper->EndWriteBlock();
    };
    for (TDuzuProjectItem* view : dataObjectList_) writeItem(kItemDataView, view);
    for (TDuzuPage* page : globalPageList_) writeItem(kItemGlobalPage, page);
    for (TDuzuReport* report : reportList_) writeItem(kItemReport, report);
    ClearModified();
}

void TDuzuProjectManager::readBlock(TStreamHelper* Helper, const std::function<void()>& Body) {
    readBlockReportingErrors(Helper, Body);
}

void TDuzuProjectManager::readItem(TStreamHelper* Helper, std::uint8_t Kind, const std::string& Name) {
    TDuzuProjectItem* item;
    if (Kind == kItemDataView) {
        item = CreateDuzuDataView ? CreateDuzuDataView(this) : nullptr;
        if (item == nullptr) {
            Helper->BeginReadBlock();
            Helper->EndReadBlock();
            DuzuShowMessage(throughMessageHook(Format("Unknown class \"%s\" found.", {"TDuzuDataView"})));
            return;
        }
        dataObjectList_.push_back(item);
    } else if (Kind == kItemGlobalPage) {
        auto* page = new TDuzuPage(this);
        globalPageList_.push_back(page);
        item = page;
    } else {
        auto* report = new TDuzuReport(this);
        reportList_.push_back(report);
        loadingReport_ = report;
        item = report;
    }
    item->SetParent(this);
    if (!Name.empty()) item->SetName(Name);
    readBlock(Helper, [&] { item->LoadFromStreamHelper(Helper); });
    loadingReport_ = nullptr;
}

void TDuzuProjectManager::LoadFromStreamHelper(TStreamHelper* Helper) {
    char magic[4];
    Helper->ReadBuf(magic, sizeof magic);
    if (std::memcmp(magic, kMagic, sizeof magic) != 0)
        RaiseDesignerError(throughMessageHook("Invalid Project Format"));
    fileVersion_ = Helper->ReadInt32();
    if (Helper->ReadByte() != 0) RaiseDesignerError(throughMessageHook("Invalid Project Header Code"));
    discardForwardRefs();
    try {
        if (fileVersion_ >= kProjectVersionReportName) currentReportName_ = Helper->ReadString();
        if (fileVersion_ >= kProjectVersionSettings) TDuzuReader(Helper).ReadIntoComponent(this);
        while (!Helper->Eof()) {
            std::uint8_t kind = Helper->ReadByte();
            std::string name = Helper->ReadString();
            readItem(Helper, kind, name);
        }
    } catch (...) {
        // Objects named in open references may not survive the failure.
        discardForwardRefs();
        throw;
    }
    ResolveForwardRefs();
    TDuzuReport* current = nullptr;
    for (TDuzuReport* report : std::vector<TDuzuReport*>(reportList_)) {
        report->ResolvePageRefs();
        if (report->Name() == currentReportName_) current = report;
    }
    if (current == nullptr && !reportList_.empty()) current = reportList_.front();
    if (current != nullptr) ActivateReport(current);
    ResolveForwardRefs();
    ClearModified();
}

// ---------------------------------------------------------------------------
// TDuzuReport

TDuzuReport::TDuzuReport(TComponent* AOwner) : TDuzuProjectItem(AOwner) {}

TDuzuReport::~TDuzuReport() = default;

TDuzuProjectManager* TDuzuReport::manager() const { return dynamic_cast<TDuzuProjectManager*>(Owner()); }

void TDuzuReport::SetFirstPage(TDuzuPage* Value) {
    firstPage_.set(Value);
}

void TDuzuReport::SetPageList(TDuzuComponentList* Value) {
    if (Value == nullptr || Value->Count() == 0) {
        pageList_.reset();
        return;
    }
    if (!pageList_) pageList_ = std::make_unique<TDuzuComponentList>();
    CopyList(Value, pageList_.get());
    for (int i = 0; i < pageList_->Count(); ++i)
        if (pageList_->Item(i) != nullptr) pageList_->Item(i)->FreeNotification(this);
}

void TDuzuReport::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuProjectItem::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (pageList_) {
        for (int i = pageList_->Count() - 1; i >= 0; --i)
            if (pageList_->Item(i) == AComponent) pageList_->Delete(i);
    }
    eraseItem(pageRefs_, AComponent);
}

TDuzuPage* TDuzuReport::NewPage() {
    auto* page = new TDuzuPage(this);
    page->SetParent(this);
    TDuzuProjectManager* owner = manager();
    std::string name;
    for (int n = 1; n <= 9999; ++n) {
        name = "Page" + IntToStr(n);
        if (FindComponent(name) == nullptr) break;
    }
    if (owner != nullptr) name = owner->GetUniqueName("Page", this, false);
    page->SetName(name);
    AddPageRef(page);
    if (owner != nullptr) owner->SetModified(true);
    return page;
}

void TDuzuReport::AddPageRef(TDuzuPage* Page) {
    if (Page == nullptr) return;
    pageRefs_.push_back(Page);
    Page->FreeNotification(this);
    if (Active()) Page->Activate();
}

void TDuzuReport::RemovePageRef(TDuzuPage* Page) {
    eraseItem(pageRefs_, Page);
    if (Page != nullptr) Page->Deactivate();
}

void TDuzuReport::Activate() {
    if (Active()) return;
    TDuzuProjectItem::Activate();
    for (int i = 0; i < GetChildCount(); ++i)
        if (auto* item = dynamic_cast<TDuzuProjectItem*>(GetChild(i))) item->Activate();
    for (TDuzuPage* page : pageRefs_)
        if (page->Global()) page->Activate();
    ResolveForwardRefs();
}

void TDuzuReport::Deactivate() {
    if (!Active()) return;
    TDuzuProjectItem::Deactivate();
    for (TDuzuPage* page : pageRefs_) page->Deactivate();
}

void TDuzuReport::ChangeReference(TDuzuComponent* OldComponent, TDuzuComponent* NewComponent) {
    TDuzuProjectItem::ChangeReference(OldComponent, NewComponent);
    if (firstPage_ != nullptr && static_cast<TDuzuComponent*>(firstPage_) == OldComponent)
        SetFirstPage(dynamic_cast<TDuzuPage*>(NewComponent));
    if (!pageList_) return;
    for (int i = pageList_->Count() - 1; i >= 0; --i) {
        if (pageList_->Item(i) != OldComponent) continue;
        if (NewComponent == nullptr)
            pageList_->Delete(i);
        else
            pageList_->SetItems(i, NewComponent);
    }
}

void TDuzuReport::SaveToStreamHelper(TStreamHelper* Helper) {
    Helper->WriteString(reportText_);
    Helper->WriteIndex(static_cast<std::uint32_t>(GetChildCount()));
    for (int i = 0; i < GetChildCount(); ++i) {
        Helper->WriteByte(kOwnPageKind);
        Helper->WriteString(GetChild(i)->Name());
    }
    Helper->WriteIndex(static_cast<std::uint32_t>(pageRefs_.size()));
    for (TDuzuPage* page : pageRefs_) Helper->WriteString(page->Name());
    TDuzuWriter(Helper).WriteComponent(this, false);
    for (int i = 0; i < GetChildCount(); ++i) {
        Helper->BeginWriteBlock();
        static_cast<TDuzuProjectItem*>(GetChild(i))->SaveToStreamHelper(Helper);
        Helper->EndWriteBlock();
    }
}

void TDuzuReport::LoadFromStreamHelper(TStreamHelper* Helper) {
    TDuzuProjectManager* owner = manager();
    if (owner == nullptr || owner->FileVersion() >= kProjectVersionReportName) reportText_ = Helper->ReadString();
    pageRefNames_ = std::make_unique<TStringList>();
    std::uint32_t pages = Helper->ReadIndex();
    Helper->CheckRemaining(pages);
    for (std::uint32_t i = 0; i < pages; ++i) {
        if (Helper->ReadByte() != kOwnPageKind) throw EDuzuClass("TDuzuProjectItem class not found");
        auto* page = new TDuzuPage(this);
        page->SetParent(this);
        page->SetName(Helper->ReadString());
    }
    std::uint32_t refs = Helper->ReadIndex();
    Helper->CheckRemaining(refs);
    for (std::uint32_t i = 0; i < refs; ++i) pageRefNames_->Add(Helper->ReadString());
    for (int i = 0; i < GetChildCount(); ++i)
        if (pageRefNames_->IndexOf(GetChild(i)->Name()) < 0) pageRefNames_->Add(GetChild(i)->Name());
    TDuzuReader(Helper).ReadIntoComponent(this);
    for (int i = 0; i < GetChildCount(); ++i) {
        auto* page = static_cast<TDuzuPage*>(GetChild(i));
        readBlockReportingErrors(Helper, [&] { page->LoadFromStreamHelper(Helper); });
    }
}

void TDuzuReport::ResolvePageRefs() {
    if (!pageRefNames_) return;
    TDuzuProjectManager* owner = manager();
    for (int i = 0; i < pageRefNames_->Count(); ++i) {
        TComponent* found = owner != nullptr ? owner->FindDuzuComponent(pageRefNames_->Strings(i), this)
                                             : FindComponent(pageRefNames_->Strings(i));
        if (auto* page = dynamic_cast<TDuzuPage*>(found)) AddPageRef(page);
    }
    pageRefNames_.reset();
}

// ---------------------------------------------------------------------------
// Pages read and write their whole component tree.

void TDuzuPage::SaveToStreamHelper(TStreamHelper* Helper) { TDuzuWriter(Helper).WriteComponent(this, true); }

void TDuzuPage::LoadFromStreamHelper(TStreamHelper* Helper) { TDuzuReader(Helper).ReadIntoComponent(this); }
