#include "reporting/project/DZClass.h"

#include <algorithm>
#include <cmath>

#include "base/SysUtils.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/RSBase.h"

TDuzuProjectManager* ProjectManager = nullptr;
TBaseReport* PrintEngine = nullptr;
TDuzuComponent* PrintingRegion = nullptr;

// ---------------------------------------------------------------------------
// Events and lists

void TDuzuEvent::Assign(const TPersistent* Source) {
    if (Source == nullptr) {
        header_.clear();
        body_.clear();
        position_ = 0;
        return;
    }
    auto* event = dynamic_cast<const TDuzuEvent*>(Source);
    if (event == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    header_ = event->header_;
    body_ = event->body_;
    position_ = event->position_;
}

std::int64_t TDuzuFont::styleBits() const {
    std::int64_t bits = 0;
    for (TFontStyle style : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        if (Style().Contains(style)) bits |= std::int64_t(1) << style;
    return bits;
}

void TDuzuFont::setStyleBits(std::int64_t Bits) {
    TFontStyles styles;
    for (TFontStyle style : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
        if ((Bits >> style) & 1) styles.Include(style);
    SetStyle(styles);
}

TDuzuPersistentList::~TDuzuPersistentList() { TDuzuPersistentList::Clear(); }

TPersistent* TDuzuPersistentList::CreateItem(const std::string& ClassName, TComponent* AOwner) {
    const TPersistentClass* cls = GetClass(ClassName);
    if (cls == nullptr) return nullptr;
    return cls->IsComponentClass() ? cls->Create(AOwner) : cls->Create(nullptr);
}

void TDuzuPersistentList::Clear() {
    for (int i = 0; i < Count(); ++i) {
        auto* item = static_cast<TPersistent*>(Items(i));
        auto* component = dynamic_cast<TComponent*>(item);
        if (component == nullptr || component->Owner() == nullptr) delete item;
    }
    TList::Clear();
}

TDuzuMethodList::~TDuzuMethodList() {
    for (int i = 0; i < Count(); ++i) delete Item(i);
}

// ---------------------------------------------------------------------------
// TDuzuComponent

TDuzuComponent::TDuzuComponent(TComponent* AOwner)
    : TComponent(AOwner),
      onBeforePrint_(std::make_unique<TDuzuSimpleEvent>()),
      onAfterPrint_(std::make_unique<TDuzuSimpleEvent>()) {
    DuzuRegisterClasses();
}

TDuzuComponent::~TDuzuComponent() {
    DestroyChildren();
    if (parent_ != nullptr) parent_->RemoveChild(this);
    parent_ = nullptr;
}

TDuzuPage* TDuzuComponent::Page() const {
    if (auto* self = dynamic_cast<const TDuzuPage*>(this)) return const_cast<TDuzuPage*>(self);
    return dynamic_cast<TDuzuPage*>(Owner());
}

bool TDuzuComponent::AcceptParent(const TDuzuComponent*) const { return true; }

bool TDuzuComponent::AcceptChild(const TDuzuComponent*) const { return (duzuState_ & dzsAcceptsChildren) != 0; }

void TDuzuComponent::DestroyChildren() {
    // Through the list itself: this also runs while the object is being
    // destroyed, when the container overrides are gone.
    while (!children_.empty()) {
        TDuzuComponent* last = children_.back();
        children_.pop_back();
        last->parent_ = nullptr;
        delete last;
    }
}

void TDuzuComponent::SetParent(TDuzuComponent* Value) {
    if (Value == parent_) return;
    if (parent_ != nullptr) parent_->RemoveChild(this);
    parent_ = nullptr;
    if (Value != nullptr) {
        Value->AddChild(this);
        parent_ = Value;
    }
}

void TDuzuComponent::AddChild(TDuzuComponent*) {
    throw EDuzuClass(throughMessageHook(Format("Class cannot accept children classes: \"%s\"", {ClassName()})));
}

void TDuzuComponent::RemoveChild(TDuzuComponent* Child) { listRemoveChild(Child); }

TDuzuComponent* TDuzuComponent::GetChild(int) const { return nullptr; }

int TDuzuComponent::GetChildCount() const { return 0; }

int TDuzuComponent::GetChildIndex() const {
    if (parent_ == nullptr) return 0;
    for (int i = 0; i < parent_->GetChildCount(); ++i)
        if (parent_->GetChild(i) == this) return i;
    return 0;
}

bool TDuzuComponent::IsDone() const {
    for (int i = 0; i < GetChildCount(); ++i)
        if (!GetChild(i)->IsDone()) return false;
    return true;
}

void TDuzuComponent::DoBeforePrint() {
    onBeforePrint_->Run();
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->DoBeforePrint();
}

void TDuzuComponent::DoAfterPrint() {
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->DoAfterPrint();
    onAfterPrint_->Run();
}

void TDuzuComponent::PrepareRun() {
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->PrepareRun();
}

void TDuzuComponent::FinishRun() {
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->FinishRun();
}

void TDuzuComponent::MoveChild(TDuzuComponent*, int) {}

void TDuzuComponent::ChangeReference(TDuzuComponent* OldComponent, TDuzuComponent* NewComponent) {
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->ChangeReference(OldComponent, NewComponent);
}

void TDuzuComponent::BeforeReport() {
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->BeforeReport();
}

void TDuzuComponent::ResetLayout() {
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->ResetLayout();
}

void TDuzuComponent::SaveLayout() {
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->SaveLayout();
}

void TDuzuComponent::RestoreLayout() {
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->RestoreLayout();
}

void TDuzuComponent::Print(TBaseReport* Engine) {
    if (IsPrintable()) PrintSelf(Engine);
    for (int i = 0; i < GetChildCount(); ++i) GetChild(i)->Print(Engine);
}

bool TDuzuComponent::ParentAllows(int Value) const { return parent_ == nullptr || parent_->ParentAllows(Value); }

void TDuzuComponent::SetName(const std::string& NewName) { TComponent::SetName(NewName); }

void TDuzuComponent::listRemoveChild(TDuzuComponent* Child) {
    auto it = std::find(children_.begin(), children_.end(), Child);
    if (it != children_.end()) children_.erase(it);
}

void TDuzuComponent::listMoveChild(TDuzuComponent* Child, int How) {
    auto it = std::find(children_.begin(), children_.end(), Child);
    if (it == children_.end()) return;
    int from = static_cast<int>(it - children_.begin());
    int last = static_cast<int>(children_.size()) - 1;
    int to;
    switch (How) {
        case 1: to = 0; break;
        case 2: to = from - 1; break;
        case 3: to = from + 1; break;
        default: to = last; break;
    }
    if (to < 0 || to > last || to == from) return;
    children_.erase(children_.begin() + from);
    children_.insert(children_.begin() + to, Child);
}

TDuzuComponent* TDuzuComponent::listChild(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(children_.size())) return nullptr;
    return children_[Index];
}

// ---------------------------------------------------------------------------
// TDuzuProjectItem

TDuzuProjectItem::TDuzuProjectItem(TComponent* AOwner)
    : TDuzuContainerComponent(AOwner),
      parameters_(std::make_unique<TStringList>()),
      piVars_(std::make_unique<TStringList>()) {}

void TDuzuProjectItem::SetCompileNeeded(bool Value) {
    compileNeeded_ = Value;
    if (!Value) return;
    for (int i = 0; i < GetChildCount(); ++i)
        if (auto* item = dynamic_cast<TDuzuProjectItem*>(GetChild(i))) item->SetCompileNeeded(true);
}

void TDuzuProjectItem::SetParameters(const TStrings* Value) {
    parameters_->Clear();
    if (Value == nullptr) return;
    for (int i = 0; i < Value->Count(); ++i) {
        std::string line = Value->Strings(i);
        std::replace(line.begin(), line.end(), '<', '_');
        std::replace(line.begin(), line.end(), '>', '_');
        parameters_->Add(line);
    }
}

void TDuzuProjectItem::SetName(const std::string& NewName) {
    std::string old = Name();
    TDuzuComponent::SetName(NewName);
    if (fullName_ == old) fullName_ = NewName;
}

// ---------------------------------------------------------------------------
// TDuzuPage

TDuzuPage::TDuzuPage(TComponent* AOwner) : TDuzuProjectItem(AOwner) {
    double factor = ProjectManager != nullptr ? ProjectManager->UnitsFactor() : 1.0;
    if (auto* manager = dynamic_cast<TDuzuProjectManager*>(AOwner)) factor = manager->UnitsFactor();
    if (auto* report = dynamic_cast<TDuzuProjectItem*>(AOwner))
        if (auto* manager = dynamic_cast<TDuzuProjectManager*>(report->Owner())) factor = manager->UnitsFactor();
    gridSpacing_ = 0.1 / factor;
}

bool TDuzuPage::Global() const { return dynamic_cast<TDuzuProjectManager*>(Owner()) != nullptr; }

void TDuzuPage::SetPageWidth(double Value) {
    if (Value < kDuzuFloatTolerance) return;
    double old = pageWidth_;
    pageWidth_ = Value;
    if (Reading()) return;
    paperSize_ = 256;
    childrenFollowSize(old, pageHeight_);
}

void TDuzuPage::SetPageHeight(double Value) {
    if (Value < kDuzuFloatTolerance) return;
    double old = pageHeight_;
    pageHeight_ = Value;
    if (Reading()) return;
    paperSize_ = 256;
    childrenFollowSize(pageWidth_, old);
}

void TDuzuPage::SetOrientation(TOrientation Value) {
    if (Value == orientation_) return;
    bool swap = Value == TOrientation::poLandScape || orientation_ == TOrientation::poLandScape;
    orientation_ = Value;
    if (swap && !Reading()) std::swap(pageWidth_, pageHeight_);
}

void TDuzuPage::childrenFollowSize(double OldWidth, double OldHeight) {
    double dw = pageWidth_ - OldWidth;
    double dh = pageHeight_ - OldHeight;
    for (int i = 0; i < GetChildCount(); ++i) {
        auto* control = dynamic_cast<TDuzuControl*>(GetChild(i));
        if (control == nullptr) continue;
        if (control->HorizAnchor() == kAnchorFarEdge) control->SetLeft(control->Left() + dw);
        if (control->VertAnchor() == kAnchorFarEdge) control->SetTop(control->Top() + dh);
    }
}

void TDuzuPage::Print(TBaseReport* Engine) {
    if (!IsPrintable()) return;
    ResetLayout();
    if (wasteFit_) {
        const double edge = 0.01;
        TDuzuRect area = MakeRect(Engine->LeftWaste() + edge, Engine->TopWaste() + edge,
                                  pageWidth_ - (Engine->RightWaste() + edge),
                                  pageHeight_ - (Engine->BottomWaste() + edge));
        for (int i = 0; i < GetChildCount(); ++i) {
            auto* control = dynamic_cast<TDuzuControl*>(GetChild(i));
            if (control == nullptr) continue;
            TDuzuRect r = MakeRect(control->Left(), control->Top(), control->Right(), control->Bottom());
            bool out = FloatLess(r.Left, area.Left) || FloatLess(r.Top, area.Top) ||
                       FloatGreater(r.Right, area.Right) || FloatGreater(r.Bottom, area.Bottom);
            if (!out) continue;
            control->SetBounds(MakeRect(FloatMax(r.Left, area.Left), FloatMax(r.Top, area.Top),
                                        FloatMin(r.Right, area.Right), FloatMin(r.Bottom, area.Bottom)));
        }
    }
    SaveLayout();
    for (int i = 0; i < GetChildCount(); ++i) {
        Engine->AllowAll();
        GetChild(i)->Print(Engine);
    }
}

void TDuzuPage::Assign(const TPersistent* Source) {
    auto* page = dynamic_cast<const TDuzuPage*>(Source);
    if (page == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    auto* source = const_cast<TDuzuPage*>(page);
    std::string name = source->Name();
    source->SetName("");
    SetName(name);
    SetTag(source->Tag());
    pageWidth_ = source->pageWidth_;
    pageHeight_ = source->pageHeight_;
}

// ---------------------------------------------------------------------------
// TDuzuControl

TDuzuControl::TDuzuControl(TComponent* AOwner) : TDuzuComponent(AOwner) {}

TDuzuControl::~TDuzuControl() {
    if (mirror_ != nullptr) mirror_->RemoveMirror(this);
    for (TDuzuControl* c : std::vector<TDuzuControl*>(mirroredBy_)) c->mirror_ = nullptr;
    mirroredBy_.clear();
}

void TDuzuControl::SetLeft(double Value) {
    if (std::fabs(Value - left_) <= kDuzuFloatTolerance) return;
    left_ = Value;
    positionChanged();
}

void TDuzuControl::SetTop(double Value) {
    if (std::fabs(Value - top_) <= kDuzuFloatTolerance) return;
    top_ = Value;
    positionChanged();
}

void TDuzuControl::SetWidth(double Value) {
    double delta = Value - width_;
    if (delta == 0) return;
    if (!Reading()) {
        AnchorAdjustAll(delta, 0);
        if (HorizAnchor() == kAnchorFarEdge) left_ -= delta;
    }
    width_ = Value;
    positionChanged();
}

void TDuzuControl::SetHeight(double Value) {
    double delta = Value - height_;
    if (delta == 0) return;
    if (!Reading()) {
        AnchorAdjustAll(0, delta);
        if (VertAnchor() == kAnchorFarEdge) top_ -= delta;
    }
    height_ = Value;
    positionChanged();
}

void TDuzuControl::SetBounds(const TDuzuRect& Bounds) {
    holdChanges_ = true;
    left_ = Bounds.Left;
    top_ = Bounds.Top;
    width_ = Bounds.Right - Bounds.Left;
    height_ = Bounds.Bottom - Bounds.Top;
    holdChanges_ = false;
    positionChanged();
}

void TDuzuControl::positionChanged() {
    if (holdChanges_) return;
    Changed();
    for (int i = 0; i < GetChildCount(); ++i)
        if (auto* child = dynamic_cast<TDuzuControl*>(GetChild(i))) child->Changed();
    copyToMirrors();
}

void TDuzuControl::copyToMirrors() {
    for (TDuzuControl* c : mirroredBy_)
        DuzuCopyProps(this, c, {"Name", "DevLocked", "Locked", "Mirror", "Top", "Left"});
}

void TDuzuControl::SetMirror(TDuzuControl* Value) {
    if (Value == mirror_ || Value == this) return;
    if (Value != nullptr && !DuzuInheritsFrom(ClassName(), Value->ClassName()) &&
        !DuzuInheritsFrom(Value->ClassName(), ClassName()))
        return;
    if (mirror_ != nullptr) {
        mirror_->RemoveMirror(this);
        mirror_->RemoveFreeNotification(this);
    }
    mirror_ = Value;
    if (mirror_ != nullptr) {
        mirror_->FreeNotification(this);
        mirror_->AddMirror(this);
    }
}

void TDuzuControl::AddMirror(TDuzuControl* Control) {
    if (std::find(mirroredBy_.begin(), mirroredBy_.end(), Control) == mirroredBy_.end())
        mirroredBy_.push_back(Control);
    if (!Reading() && !Control->Reading())
        DuzuCopyProps(this, Control, {"Name", "DevLocked", "Locked", "Mirror", "Top", "Left"});
}

void TDuzuControl::RemoveMirror(TDuzuControl* Control) {
    auto it = std::find(mirroredBy_.begin(), mirroredBy_.end(), Control);
    if (it != mirroredBy_.end()) mirroredBy_.erase(it);
}

void TDuzuControl::AnchorAdjust(TDuzuControl* Child, double DeltaWidth, double DeltaHeight) {
    if (Child->HorizAnchor() == kAnchorFarEdge && DeltaWidth != 0) Child->SetLeft(Child->Left() + DeltaWidth);
    if (Child->VertAnchor() == kAnchorFarEdge && DeltaHeight != 0) Child->SetTop(Child->Top() + DeltaHeight);
}

void TDuzuControl::AnchorAdjustAll(double DeltaWidth, double DeltaHeight) {
    for (int i = 0; i < GetChildCount(); ++i)
        if (auto* child = dynamic_cast<TDuzuControl*>(GetChild(i))) AnchorAdjust(child, DeltaWidth, DeltaHeight);
}

double TDuzuControl::PageLeft() const {
    return left_ + offsetX_ + (Parent() != nullptr ? Parent()->PageLeft() : 0.0);
}

double TDuzuControl::PageTop() const {
    return top_ + offsetY_ + (Parent() != nullptr ? Parent()->PageTop() : 0.0);
}

bool TDuzuControl::IsDone() const {
    if (!TDuzuComponent::IsDone()) return false;
    return mirror_ == nullptr || mirror_->IsDone();
}

void TDuzuControl::PrepareRun() {
    TDuzuComponent::PrepareRun();
    if (mirror_ != nullptr)
        for (int i = 0; i < mirror_->GetChildCount(); ++i) mirror_->GetChild(i)->PrepareRun();
}

void TDuzuControl::FinishRun() {
    TDuzuComponent::FinishRun();
    if (mirror_ != nullptr)
        for (int i = 0; i < mirror_->GetChildCount(); ++i) mirror_->GetChild(i)->FinishRun();
}

void TDuzuControl::BeforeReport() {
    design_ = geometry();
    TDuzuComponent::BeforeReport();
}

void TDuzuControl::ResetLayout() {
    setGeometry(design_);
    TDuzuComponent::ResetLayout();
}

void TDuzuControl::SaveLayout() {
    saved_ = geometry();
    TDuzuComponent::SaveLayout();
}

void TDuzuControl::RestoreLayout() {
    setGeometry(saved_);
    TDuzuComponent::RestoreLayout();
}

void TDuzuControl::setGeometry(const Geometry& G) {
    SetBounds(MakeRect(G.Left, G.Top, G.Left + G.Width, G.Top + G.Height));
}

bool TDuzuControl::IsPrintable() const {
    if (!Printable()) return false;
    if (PrintingRegion != nullptr && Parent() == PrintingRegion) return VertAnchor() == kAnchorRegionPrint;
    return true;
}

void TDuzuControl::selectOutputs(TBaseReport* Engine) const {
    switch (displayOn_) {
        case doAll: Engine->AllowAll(); break;
        case doPreviewOnly: Engine->AllowPreviewOnly(); break;
        case doPrinterOnly: Engine->AllowPrinterOnly(); break;
        case doParent: break;
    }
}

void TDuzuControl::Print(TBaseReport* Engine) {
    if (!IsPrintable()) return;
    selectOutputs(Engine);
    PrintSelf(Engine);
    if (mirror_ != nullptr && mirror_->GetChildCount() > 0) {
        mirror_->SetOutputOffset(PageLeft() - mirror_->PageLeft(), PageTop() - mirror_->PageTop());
        for (int i = 0; i < mirror_->GetChildCount(); ++i) mirror_->GetChild(i)->Print(Engine);
        mirror_->SetOutputOffset(0, 0);
    }
    for (int i = 0; i < GetChildCount(); ++i) {
        GetChild(i)->Print(Engine);
        selectOutputs(Engine);
    }
}

void TDuzuControl::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == mirror_) mirror_ = nullptr;
    std::erase_if(mirroredBy_, [AComponent](TDuzuControl* c) { return static_cast<TComponent*>(c) == AComponent; });
}
