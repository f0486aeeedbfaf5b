#pragma once
// The common controls: page control with tab sheets, status bar, progress
// bar, tree view, and the image list they draw icons from.
#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"

class QTabWidget;
class QLabel;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
class QIcon;

// ---------------------------------------------------------------- TImageList

class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* AOwner);
    ~TImageList() override;

    int Width() const { return width_; }
    void SetWidth(int Value) { width_ = Value; }
    int Height() const { return height_; }
    void SetHeight(int Value) { height_ = Value; }
    int Count() const;

    // Adds the image; the mask's white pixels (or, for AddMasked, the pixels
    // of MaskColor) become transparent. Returns the new index.
    int Add(TBitmap* Image, TBitmap* Mask);
    int AddMasked(TBitmap* Image, TColor MaskColor);
    void Delete(int Index);
    void Clear();
    void Draw(TCanvas* Canvas, int X, int Y, int Index);
    // Copies image Index into Image.
    void GetBitmap(int Index, TBitmap* Image) const;
    // For the controls that show these images.
    QIcon Icon(int Index) const;

    TNotifyEvent OnChange;

private:
    class Store;
    std::unique_ptr<Store> store_;
    int width_ = 16;
    int height_ = 16;
};

// ---------------------------------------------------------------- page control

class TPageControl;

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* AOwner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* Value);
    int PageIndex() const;
    void SetPageIndex(int Value);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    // Position among the visible tabs, -1 when hidden.
    int TabIndex() const;

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    void SetParent(TWinControl* AParent) override;
    void SetVisible(bool Value) override;

protected:
    std::string RealGetText() const override { return caption_; }
    void RealSetText(const std::string& Value) override;

private:
    friend class TPageControl;
    std::string caption_;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
    int imageIndex_ = -1;
};

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* AOwner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int Index) const { return pages_.at(Index); }
    // Changing the page by code fires neither OnChanging nor OnChange.
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int Value);
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const;
    void SelectNextPage(bool GoForward);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* Value);

    // The user picked a tab: OnChanging may refuse, then OnChange follows.
    std::function<void(TObject* Sender, bool& AllowChange)> OnChanging;
    TNotifyEvent OnChange;

protected:
    QTabWidget* tabs() const;
    void insertChildWidget(TControl* AControl) override;
    void removeChildWidget(TControl* AControl) override;
    virtual bool CanChange();
    virtual void Change();
    bool handleEvent(QWidget* source, QEvent* event) override;
    void KeyDown(Word& Key, TShiftState Shift) override;

private:
    friend class TTabSheet;
    void updateTabs();
    TTabSheet* pageOfTab(int tabIndex) const;
    void tabChosen(int tabIndex);
    void userSelects(TTabSheet* Page);
    void showPage(TTabSheet* Page);
    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    TComponentRef<TImageList> images_{this};
    bool syncing_ = false;
};

// ---------------------------------------------------------------- status bar

class TStatusBar;

class TStatusPanel {
public:
    const std::string& Text() const { return text_; }
    void SetText(const std::string& Value);
    int Width() const { return width_; }
    void SetWidth(int Value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);

private:
    friend class TStatusBar;
    explicit TStatusPanel(TStatusBar* owner) : owner_(owner) {}
    TStatusBar* owner_;
    std::string text_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
};

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* AOwner);
    ~TStatusBar() override;

    // One panel across the bar showing SimpleText.
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool Value);
    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& Value);

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    TStatusPanel* Panels(int Index) const { return panels_.at(Index).get(); }
    TStatusPanel* AddPanel();
    void ClearPanels();

protected:
    void Resize() override;

private:
    friend class TStatusPanel;
    void layoutPanels();
    bool simplePanel_ = false;
    std::string simpleText_;
    std::vector<std::unique_ptr<TStatusPanel>> panels_;
    std::vector<QLabel*> labels_;
    QLabel* simpleLabel_;
};

// ---------------------------------------------------------------- progress bar

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* AOwner);

    int Min() const { return min_; }
    void SetMin(int Value);
    int Max() const { return max_; }
    void SetMax(int Value);
    int Position() const { return position_; }
    void SetPosition(int Value);
    int Step() const { return step_; }
    void SetStep(int Value) { step_ = Value; }
    void StepIt();
    void StepBy(int Delta);

private:
    QProgressBar* bar() const;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int step_ = 10;
};

// ---------------------------------------------------------------- tree view

class TTreeView;
class TTreeNodes;

class TTreeNode {
public:
    ~TTreeNode();

    const std::string& Text() const { return text_; }
    void SetText(const std::string& Value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int Value);
    void* Data() const { return data_; }
    void SetData(void* Value) { data_ = Value; }

    TTreeNode* Parent() const { return parent_; }
    int Count() const { return static_cast<int>(children_.size()); }
    TTreeNode* Item(int Index) const { return children_.at(Index).get(); }
    // Position among its siblings.
    int Index() const;
    // Depth: 0 for a top-level node.
    int Level() const;
    bool HasChildren() const { return !children_.empty(); }
    TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // Position in the whole tree, counted depth first.
    int AbsoluteIndex() const;

    bool Expanded() const;
    void SetExpanded(bool Value);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    bool Selected() const;
    void SetSelected(bool Value);
    void MakeVisible();
    // Removes and frees this node with its children.
    void Delete();
    void DeleteChildren();

    TTreeView* TreeView() const { return tree_; }

private:
    friend class TTreeNodes;
    friend class TTreeView;
    TTreeNode(TTreeView* tree, TTreeNode* parent);
    void updateIcon();
    TTreeView* tree_;
    TTreeNode* parent_;
    std::vector<std::unique_ptr<TTreeNode>> children_;
    QTreeWidgetItem* item_;
    std::string text_;
    int imageIndex_ = -1;
    int selectedIndex_ = -1;
    void* data_ = nullptr;
};

class TTreeNodes {
public:
    int Count() const;
    // Depth-first position.
    TTreeNode* Item(int Index) const;
    TTreeNode* GetFirstNode() const;
    // A node after the last sibling of Sibling (top level when nullptr).
    TTreeNode* Add(TTreeNode* Sibling, const std::string& S);
    TTreeNode* AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr);
    TTreeNode* AddChild(TTreeNode* Parent, const std::string& S);
    TTreeNode* AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr);
    TTreeNode* Insert(TTreeNode* Sibling, const std::string& S);
    void Delete(TTreeNode* Node);
    void Clear();
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TTreeView;
    friend class TTreeNode;
    explicit TTreeNodes(TTreeView* tree) : tree_(tree) {}
    TTreeNode* insertAt(TTreeNode* parent, int index, const std::string& S, void* Ptr);
    std::vector<std::unique_ptr<TTreeNode>>& siblingsOf(TTreeNode* parent);
    TTreeView* tree_;
    std::vector<std::unique_ptr<TTreeNode>> roots_;
    int updateCount_ = 0;
};

using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;

class TTreeView : public TWinControl {
public:
    explicit TTreeView(TComponent* AOwner);
    ~TTreeView() override;

    TTreeNodes* Items() { return nodes_.get(); }
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* Node);
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }
    bool ShowRoot() const { return showRoot_; }
    void SetShowRoot(bool Value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool Value) { hideSelection_ = Value; }
    void FullExpand();
    void FullCollapse();
    // Sorts each level by text, without regard to case.
    void AlphaSort();
    TTreeNode* GetNodeAt(int X, int Y) const;

    TTVChangingEvent OnChanging;
    TTVChangedEvent OnChange;
    TTVChangedEvent OnExpanded;
    TTVChangedEvent OnCollapsed;

protected:
    QTreeWidget* tree() const;

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    TTreeNode* nodeOf(QTreeWidgetItem* item) const;
    void refreshIcons(std::vector<std::unique_ptr<TTreeNode>>& nodes);
    std::unique_ptr<TTreeNodes> nodes_;
    TComponentRef<TImageList> images_{this};
    bool readOnly_ = false;
    bool showRoot_ = true;
    bool hideSelection_ = true;
    bool changingSelection_ = false;
    TTreeNode* selected_ = nullptr;
};
