#pragma once
// The report-project component model: every component of a project derives
// from TDuzuComponent. Components are owned (for freeing and name lookup) by
// their owner and hang in a parent/child tree of their own. This unit gives
// the containers, the project item, the page, the control with its geometry
// and anchors, the event object, the small lists, the traversals that run a
// report, and the process-wide ProjectManager and PrintEngine.
//
// Events hold a script but do nothing when run: there is no compiler.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/RSDefine.h"
#include "ui/Graphics.h"

class TBaseReport;
class TDuzuPage;
class TDuzuProjectItem;
class TDuzuProjectManager;
class TDuzuFiler;
class TStreamHelper;

// The project being run or loaded, and the report engine components print
// into while a report runs (nullptr otherwise).
extern TDuzuProjectManager* ProjectManager;
extern TBaseReport* PrintEngine;

// Registers the project classes with the class registry and their property
// metadata; safe to call more than once.
void DuzuRegisterClasses();

// DuzuState bits.
constexpr std::uint8_t dzsAcceptsChildren = 1;
constexpr std::uint8_t dzsReading = 4;

// ---------------------------------------------------------------------------
// A scripted event: its entry point in the item's compiled module. No item
// has a module, so running it does nothing.

class TDuzuEvent : public TPersistent {
public:
    const std::string& Header() const { return header_; }
    void SetHeader(const std::string& Value) { header_ = Value; }
    const std::string& Body() const { return body_; }
    void SetBody(const std::string& Value) { body_ = Value; }
    int Position() const { return position_; }
    void SetPosition(int Value) { position_ = Value; }
    TDuzuProjectItem* ModuleOwner() const { return moduleOwner_; }
    void SetModuleOwner(TDuzuProjectItem* Value) { moduleOwner_ = Value; }

    // Copies Header, Body and Position.
    void Assign(const TPersistent* Source) override;
    void Run() const {}

private:
    std::string header_, body_;
    int position_ = 0;
    TDuzuProjectItem* moduleOwner_ = nullptr;
};

class TDuzuSimpleEvent : public TDuzuEvent {
public:
    TComponent* Sender() const { return sender_; }
    void SetSender(TComponent* Value) { sender_ = Value; }

private:
    TComponent* sender_ = nullptr;
};

// The font of report components; its Height and Size are both streamed.
class TDuzuFont : public TFont {
public:
    std::int64_t styleBits() const;
    void setStyleBits(std::int64_t Bits);
};

// ---------------------------------------------------------------------------
// Lists.

// Items created by class name: a component class with the given owner, any
// other persistent class without one; an unknown name gives nullptr.
class TDuzuPersistentList : public TList {
public:
    ~TDuzuPersistentList() override;
    TPersistent* Item(int Index) const { return static_cast<TPersistent*>(Items(Index)); }
    static TPersistent* CreateItem(const std::string& ClassName, TComponent* AOwner);
    // Frees the items that have no owner, then empties the list.
    void Clear() override;
    // Empties the list, then adds through AddCopy a copy of each item of
    // class Item that Source holds; nothing when Source is this list.
    template <class Item, class AddCopy>
    void assignItems(const TDuzuPersistentList* Source, AddCopy&& Add) {
        if (Source == this) return;
        Clear();
        if (Source == nullptr) return;
        for (int i = 0; i < Source->Count(); ++i)
            if (auto* item = dynamic_cast<Item*>(Source->Item(i))) Add(*item);
    }
};

// Component references, streamed by name.
class TDuzuComponentList : public TList {
public:
    TComponent* Item(int Index) const { return static_cast<TComponent*>(Items(Index)); }
};

// A method record: the code and the object it runs on.
struct TDuzuMethod {
    void* Code = nullptr;
    void* Data = nullptr;
};

// Frees its records when destroyed.
class TDuzuMethodList : public TList {
public:
    ~TDuzuMethodList() override;
    TDuzuMethod* Item(int Index) const { return static_cast<TDuzuMethod*>(Items(Index)); }
};

// ---------------------------------------------------------------------------

class TDuzuComponent : public TComponent {
public:
    explicit TDuzuComponent(TComponent* AOwner);
    // Sends the delete notification, frees the children and leaves the parent.
    ~TDuzuComponent() override;

    // The owner when that owner is a page (a page's own Page is itself).
    TDuzuPage* Page() const;
    std::uint8_t DuzuState() const { return duzuState_; }
    void SetDuzuState(std::uint8_t Value) { duzuState_ = Value; }
    bool Reading() const { return (duzuState_ & dzsReading) != 0; }
    TDuzuComponent* Parent() const { return parent_; }
    bool Printable() const { return printable_; }
    bool Locked() const { return locked_; }
    void SetLocked(bool Value) { locked_ = Value; }
    bool DevLocked() const { return devLocked_; }
    void SetDevLocked(bool Value) { devLocked_ = Value; }
    TDuzuSimpleEvent* OnBeforePrint() const { return onBeforePrint_.get(); }
    void SetOnBeforePrint(TDuzuSimpleEvent* Value) { onBeforePrint_->Assign(Value); }
    TDuzuSimpleEvent* OnAfterPrint() const { return onAfterPrint_.get(); }
    void SetOnAfterPrint(TDuzuSimpleEvent* Value) { onAfterPrint_->Assign(Value); }

    virtual bool AcceptParent(const TDuzuComponent* NewParent) const;
    virtual bool AcceptChild(const TDuzuComponent* NewChild) const;
    virtual void DestroyChildren();
    virtual void SetParent(TDuzuComponent* Value);
    // Raises EDuzuClass "Class cannot accept children classes: "%s"".
    virtual void AddChild(TDuzuComponent* Child);
    virtual void RemoveChild(TDuzuComponent* Child);
    // nullptr for an index out of range.
    virtual TDuzuComponent* GetChild(int Index) const;
    virtual int GetChildCount() const;
    // Position among the parent's children, 0 when not found.
    virtual int GetChildIndex() const;
    virtual double PageLeft() const { return 0.0; }
    virtual double PageTop() const { return 0.0; }
    virtual double PageRight() const { return 0.0; }
    virtual double PageBottom() const { return 0.0; }
    // A component may declare property overrides here.
    virtual void DefineOverrides(TDuzuFiler* Filer) { (void)Filer; }
    virtual bool IsDone() const;
    virtual void DoBeforePrint();
    virtual void DoAfterPrint();
    virtual void PrepareRun();
    virtual void FinishRun();
    // How: 1 to the front, 2 one place back, 3 one place forward, else to
    // the end. Nothing in the base.
    virtual void MoveChild(TDuzuComponent* Child, int How);
    // Replaces references to OldComponent by NewComponent (nullptr deletes).
    virtual void ChangeReference(TDuzuComponent* OldComponent, TDuzuComponent* NewComponent);
    virtual void BeforeReport();
    virtual void ResetLayout();
    virtual void SaveLayout();
    virtual void RestoreLayout();
    virtual void SetPrintable() { printable_ = true; }
    virtual void ClearPrintable() { printable_ = false; }
    virtual bool IsPrintable() const { return printable_; }
    virtual void Print(TBaseReport* Engine);
    virtual void PrintSelf(TBaseReport* Engine) { (void)Engine; }
    virtual bool ParentAllows(int Value) const;

    void SetName(const std::string& NewName) override;

protected:
    // The child list of containers.
    void enableChildren() { duzuState_ |= dzsAcceptsChildren; }
    void listAddChild(TDuzuComponent* Child) { children_.push_back(Child); }
    void listRemoveChild(TDuzuComponent* Child);
    void listMoveChild(TDuzuComponent* Child, int How);
    TDuzuComponent* listChild(int Index) const;
    int listCount() const { return static_cast<int>(children_.size()); }

private:
    std::uint8_t duzuState_ = 0;
    TDuzuComponent* parent_ = nullptr;
    bool printable_ = true;
    bool locked_ = false;
    bool devLocked_ = false;
    std::unique_ptr<TDuzuSimpleEvent> onBeforePrint_;
    std::unique_ptr<TDuzuSimpleEvent> onAfterPrint_;
    std::vector<TDuzuComponent*> children_;
};

// A component or control that holds children: they live in its own list.
template <class Base>
class TDuzuContainer : public Base {
public:
    explicit TDuzuContainer(TComponent* AOwner) : Base(AOwner) { this->enableChildren(); }
    void AddChild(TDuzuComponent* Child) override { this->listAddChild(Child); }
    void RemoveChild(TDuzuComponent* Child) override { this->listRemoveChild(Child); }
    TDuzuComponent* GetChild(int Index) const override { return this->listChild(Index); }
    int GetChildCount() const override { return this->listCount(); }
    void MoveChild(TDuzuComponent* Child, int How) override { this->listMoveChild(Child, How); }
};

class TDuzuContainerComponent : public TDuzuContainer<TDuzuComponent> {
public:
    using TDuzuContainer::TDuzuContainer;
};

// ---------------------------------------------------------------------------

class TDuzuProjectItem : public TDuzuContainerComponent {
public:
    explicit TDuzuProjectItem(TComponent* AOwner);

    const std::string& Description() const { return description_; }
    void SetDescription(const std::string& Value) { description_ = Value; }
    const std::string& FullName() const { return fullName_; }
    void SetFullName(const std::string& Value) { fullName_ = Value; }
    bool CompileNeeded() const { return compileNeeded_; }
    // True is passed on to every child project item.
    void SetCompileNeeded(bool Value);
    TStrings* Parameters() const { return parameters_.get(); }
    // Copies the lines with each "<" and ">" turned into "_".
    void SetParameters(const TStrings* Value);
    TStrings* PIVars() const { return piVars_.get(); }
    void SetPIVars(const TStrings* Value) { piVars_->Assign(Value); }
    bool Active() const { return active_; }
    void SetActive(bool Value) { active_ = Value; }
    // The compiled event module's bytes; always empty here.
    const std::string& Module() const { return module_; }
    void SetModule(const std::string& Value) { module_ = Value; }

    virtual void Activate() { active_ = true; }
    virtual void Deactivate() { active_ = false; }
    // No compiler is installed: only clears CompileNeeded.
    virtual void Compile() { compileNeeded_ = false; }
    // The item's body in the project stream.
    virtual void SaveToStreamHelper(TStreamHelper* Helper) { (void)Helper; }
    virtual void LoadFromStreamHelper(TStreamHelper* Helper) { (void)Helper; }

    // FullName follows a rename while it equals the old name.
    void SetName(const std::string& NewName) override;

private:
    std::string description_, fullName_, module_;
    bool compileNeeded_ = false;
    bool active_ = false;
    std::unique_ptr<TStringList> parameters_, piVars_;
};

enum TGotoMode { gmGotoDone, gmGotoNotDone, gmCallEach };

class TDuzuPage : public TDuzuProjectItem {
public:
    explicit TDuzuPage(TComponent* AOwner);

    int PaperSize() const { return paperSize_; }
    void SetPaperSize(int Value) { paperSize_ = Value; }
    double PageWidth() const { return pageWidth_; }
    // Values of at least 0.0001 are stored, make the paper custom (256) and
    // let the controls follow by their anchors. While the page is being read
    // only the value is stored, so a page reads back as it was written.
    void SetPageWidth(double Value);
    double PageHeight() const { return pageHeight_; }
    void SetPageHeight(double Value);
    TOrientation Orientation() const { return orientation_; }
    // To or from landscape swaps width and height (not while being read).
    void SetOrientation(TOrientation Value);
    int Bin() const { return bin_; }
    void SetBin(int Value) { bin_ = Value; }
    const std::string& BinCustom() const { return binCustom_; }
    void SetBinCustom(const std::string& Value) { binCustom_ = Value; }
    TGotoMode GotoMode() const { return gotoMode_; }
    void SetGotoMode(TGotoMode Value) { gotoMode_ = Value; }
    int GridLines() const { return gridLines_; }
    void SetGridLines(int Value) { gridLines_ = Value; }
    double GridSpacing() const { return gridSpacing_; }
    void SetGridSpacing(double Value) { gridSpacing_ = Value; }
    bool WasteFit() const { return wasteFit_; }
    void SetWasteFit(bool Value) { wasteFit_ = Value; }
    // The page belongs to the project itself.
    bool Global() const;
    TDuzuPage* GotoPage() const { return gotoPage_; }
    void SetGotoPage(TDuzuPage* Value) { gotoPage_.set(Value); }

    // Resets the layout, fits sticking-out controls into the printable area
    // when WasteFit is set, saves the layout and prints each child.
    void Print(TBaseReport* Engine) override;
    void SaveToStreamHelper(TStreamHelper* Helper) override;
    void LoadFromStreamHelper(TStreamHelper* Helper) override;
    // Takes the name (the source is left without one), Tag, PageWidth and PageHeight.
    void Assign(const TPersistent* Source) override;

private:
    void childrenFollowSize(double OldWidth, double OldHeight);

    int paperSize_ = -1;
    double pageWidth_ = 8.5;
    double pageHeight_ = 11.0;
    TOrientation orientation_ = TOrientation::poDefault;
    int bin_ = -1;
    std::string binCustom_;
    TGotoMode gotoMode_ = gmGotoDone;
    int gridLines_ = 5;
    double gridSpacing_ = 0.1;
    bool wasteFit_ = false;
    TComponentRef<TDuzuPage> gotoPage_{this};
};

// ---------------------------------------------------------------------------

enum TDisplayOn { doParent, doAll, doPreviewOnly, doPrinterOnly };
// High 4 bits the vertical anchor, low 4 bits the horizontal one; 1 keeps
// the distance to the parent's far edge.
using TDuzuAnchor = std::uint8_t;
constexpr int kAnchorFarEdge = 1;
constexpr int kAnchorRegionPrint = 3;

class TDuzuControl : public TDuzuComponent {
public:
    explicit TDuzuControl(TComponent* AOwner);
    ~TDuzuControl() override;

    virtual double Left() const { return left_; }
    // A change of more than 0.0001 is stored and passed to the mirroring controls.
    virtual void SetLeft(double Value);
    virtual double Top() const { return top_; }
    virtual void SetTop(double Value);
    virtual double Width() const { return width_; }
    // The children follow by their anchors; a horizontal anchor of 1 keeps
    // this control's right edge.
    virtual void SetWidth(double Value);
    virtual double Height() const { return height_; }
    virtual void SetHeight(double Value);
    double Right() const { return left_ + width_; }
    double Bottom() const { return top_ + height_; }
    // Left, top, right, bottom; change notifications held back while it runs.
    void SetBounds(const TDuzuRect& Bounds);
    TDisplayOn DisplayOn() const { return displayOn_; }
    void SetDisplayOn(TDisplayOn Value) { displayOn_ = Value; }
    TDuzuAnchor Anchor() const { return anchor_; }
    void SetAnchor(TDuzuAnchor Value) { anchor_ = Value; }
    int VertAnchor() const { return anchor_ >> 4; }
    int HorizAnchor() const { return anchor_ & 15; }
    TDuzuControl* Mirror() const { return mirror_; }
    // A control of an incompatible class (neither derived from the other) is ignored.
    void SetMirror(TDuzuControl* Value);
    void SetOutputOffset(double X, double Y) { offsetX_ = X; offsetY_ = Y; }

    // Mirror registration: this control copies its properties onto each
    // control that mirrors it.
    virtual void AddMirror(TDuzuControl* Control);
    virtual void RemoveMirror(TDuzuControl* Control);
    // Adjusts one child control to a size change of this control.
    virtual void AnchorAdjust(TDuzuControl* Child, double DeltaWidth, double DeltaHeight);
    virtual void AnchorAdjustAll(double DeltaWidth, double DeltaHeight);
    // Told after Left, Top, Width or Height changed; nothing in the base.
    virtual void Changed() {}

    double PageLeft() const override;
    double PageTop() const override;
    double PageRight() const override { return PageLeft() + width_; }
    double PageBottom() const override { return PageTop() + height_; }
    bool IsDone() const override;
    void PrepareRun() override;
    void FinishRun() override;
    void BeforeReport() override;
    void ResetLayout() override;
    void SaveLayout() override;
    void RestoreLayout() override;
    bool IsPrintable() const override;
    void Print(TBaseReport* Engine) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void selectOutputs(TBaseReport* Engine) const;

private:
    struct Geometry {
        double Left = 0, Top = 0, Width = 0, Height = 0;
    };
    Geometry geometry() const { return {left_, top_, width_, height_}; }
    void setGeometry(const Geometry& G);
    void positionChanged();
    void copyToMirrors();

    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    double offsetX_ = 0, offsetY_ = 0;
    Geometry design_, saved_;
    TDisplayOn displayOn_ = doParent;
    TDuzuAnchor anchor_ = 0;
    TDuzuControl* mirror_ = nullptr;
    std::vector<TDuzuControl*> mirroredBy_;
    bool holdChanges_ = false;
};

class TDuzuContainerControl : public TDuzuContainer<TDuzuControl> {
public:
    using TDuzuContainer::TDuzuContainer;
};

// A region of the next units sets this while it prints its direct children.
extern TDuzuComponent* PrintingRegion;
