#include "ui/ComCtrls.h"

#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>

#include "ui/Application.h"
#include "ui/Devices.h"
#include "ui/GuardedCall.h"
#include "ui/Text1252.h"

// ---------------------------------------------------------------- TImageList

class TImageList::Store {
public:
    std::vector<QImage> images;
};

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner), store_(std::make_unique<Store>()) {}

TImageList::~TImageList() = default;

int TImageList::Count() const { return static_cast<int>(store_->images.size()); }

int TImageList::Add(TBitmap* Image, TBitmap* Mask) {
    if (!Image) return -1;
    QImage image = Image->toImage().convertToFormat(QImage::Format_ARGB32);
    if (Mask && !Mask->Empty()) {
        QImage mask = Mask->toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < std::min(image.height(), mask.height()); ++y)
            for (int x = 0; x < std::min(image.width(), mask.width()); ++x)
                if (qGray(mask.pixel(x, y)) > 127) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
    store_->images.push_back(image);
    if (OnChange) OnChange(this);
    return Count() - 1;
}

int TImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
    if (!Image) return -1;
    QImage image = Image->toImage().convertToFormat(QImage::Format_ARGB32);
    QRgb key = tColorToQColor(MaskColor).rgb() & 0xFFFFFF;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == key) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    store_->images.push_back(image);
    if (OnChange) OnChange(this);
    return Count() - 1;
}

void TImageList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid ImageList Index");
    store_->images.erase(store_->images.begin() + Index);
    if (OnChange) OnChange(this);
}

void TImageList::Clear() {
    store_->images.clear();
    if (OnChange) OnChange(this);
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index) {
    if (!Canvas || Index < 0 || Index >= Count()) return;
    const QImage& image = store_->images[Index];
    // Drawn over what is there: transparent pixels leave the canvas alone.
    TRect dest = Bounds(X, Y, image.width(), image.height());
    QImage under = Canvas->Handle()->copyImage(dest);
    if (under.isNull()) under = QImage(image.size(), QImage::Format_ARGB32);
    under = under.convertToFormat(QImage::Format_ARGB32);
    {
        QPainter p(&under);
        p.drawImage(0, 0, image);
    }
    Canvas->Handle()->StretchBlt(dest, under, Rect(0, 0, image.width(), image.height()), cmSrcCopy);
}

void TImageList::GetBitmap(int Index, TBitmap* Image) const {
    if (!Image || Index < 0 || Index >= Count()) return;
    QImage flat(store_->images[Index].size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter p(&flat);
    p.drawImage(0, 0, store_->images[Index]);
    p.end();
    Image->fromImage(flat);
}

QIcon TImageList::Icon(int Index) const {
    if (Index < 0 || Index >= Count()) return {};
    return QIcon(QPixmap::fromImage(store_->images[Index]));
}

// ---------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QWidget>()) {}

TTabSheet::~TTabSheet() {
    detachEvents();
    if (pageControl_) SetParent(nullptr);
}

void TTabSheet::SetParent(TWinControl* AParent) {
    if (pageControl_ && pageControl_ != AParent) {
        TControl::SetParent(nullptr);
        pageControl_ = nullptr;
    }
    pageControl_ = dynamic_cast<TPageControl*>(AParent);
    TControl::SetParent(AParent);
}

void TTabSheet::SetPageControl(TPageControl* Value) { SetParent(Value); }

void TTabSheet::SetVisible(bool Value) {
    // On a page control the active page is the one shown.
    if (!pageControl_) TWinControl::SetVisible(Value);
}

void TTabSheet::RealSetText(const std::string& Value) {
    caption_ = Value;
    if (pageControl_) pageControl_->updateTabs();
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    auto& pages = pageControl_->pages_;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int Value) {
    if (!pageControl_) return;
    TPageControl* pc = pageControl_;
    TTabSheet* active = pc->activePage_;
    auto& pages = pc->pages_;
    std::erase(pages, this);
    Value = std::clamp(Value, 0, static_cast<int>(pages.size()));
    pages.insert(pages.begin() + Value, this);
    pc->syncing_ = true;
    QTabWidget* tabs = pc->tabs();
    tabs->removeTab(tabs->indexOf(Handle()));
    tabs->insertTab(Value, Handle(), ToQString(caption_));
    pc->syncing_ = false;
    pc->updateTabs();
    if (active) pc->SetActivePage(active);
}

void TTabSheet::SetTabVisible(bool Value) {
    tabVisible_ = Value;
    if (pageControl_) {
        pageControl_->updateTabs();
        if (!Value && pageControl_->activePage_ == this)
            pageControl_->SetActivePage(pageControl_->FindNextPage(this, true, true));
    }
}

void TTabSheet::SetImageIndex(int Value) {
    imageIndex_ = Value;
    if (pageControl_) pageControl_->updateTabs();
}

int TTabSheet::TabIndex() const {
    if (!pageControl_ || !tabVisible_) return -1;
    int index = 0;
    for (TTabSheet* p : pageControl_->pages_) {
        if (p == this) return index;
        if (p->tabVisible_) ++index;
    }
    return -1;
}

// ---------------------------------------------------------------- TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QTabWidget>()) {
    SetTabStop(true);
    images_.OnClear = [this] {
        if (!ComponentState().Contains(csDestroying)) updateTabs();
    };
    tabs()->resize(289, 193);
    addEventSource(tabs()->tabBar());
    QObject::connect(tabs(), &QTabWidget::currentChanged, tabs(), [this](int index) {
        if (!syncing_) guardedCall(this, [&] { tabChosen(index); });
    });
}

TPageControl::~TPageControl() {
    detachEvents();
    while (!pages_.empty()) delete pages_.back();
}

QTabWidget* TPageControl::tabs() const { return static_cast<QTabWidget*>(Handle()); }

void TPageControl::insertChildWidget(TControl* AControl) {
    auto* sheet = dynamic_cast<TTabSheet*>(AControl);
    if (!sheet) {
        TWinControl::insertChildWidget(AControl);
        return;
    }
    sheet->pageControl_ = this;
    pages_.push_back(sheet);
    syncing_ = true;
    tabs()->addTab(sheet->Handle(), ToQString(sheet->caption_));
    syncing_ = false;
    updateTabs();
    if (!activePage_ && sheet->tabVisible_) SetActivePage(sheet);
}

void TPageControl::removeChildWidget(TControl* AControl) {
    auto* sheet = dynamic_cast<TTabSheet*>(AControl);
    if (!sheet) return;
    TTabSheet* next = activePage_ == sheet ? FindNextPage(sheet, true, true) : activePage_;
    if (next == sheet) next = nullptr;
    syncing_ = true;
    tabs()->removeTab(tabs()->indexOf(sheet->Handle()));
    syncing_ = false;
    std::erase(pages_, sheet);
    sheet->pageControl_ = nullptr;
    if (activePage_ == sheet) {
        activePage_ = nullptr;
        SetActivePage(next);
    }
}

void TPageControl::updateTabs() {
    syncing_ = true;
    for (int i = 0; i < PageCount(); ++i) {
        TTabSheet* p = pages_[i];
        int index = tabs()->indexOf(p->Handle());
        if (index < 0) continue;
        tabs()->setTabText(index, ToQString(p->caption_));
        tabs()->setTabVisible(index, p->tabVisible_);
        tabs()->setTabIcon(index, images_ ? images_->Icon(p->imageIndex_) : QIcon());
    }
    syncing_ = false;
}

int TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Value) {
    SetActivePage(Value >= 0 && Value < PageCount() ? pages_[Value] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->pageControl_ != this) return;
    if (Page) {
        syncing_ = true;
        tabs()->setCurrentWidget(Page->Handle());
        syncing_ = false;
    }
    showPage(Page);
}

void TPageControl::showPage(TTabSheet* Page) {
    if (Page == activePage_) return;
    TTabSheet* old = activePage_;
    activePage_ = Page;
    if (old && old->OnHide) old->OnHide(old);
    if (Page && Page->OnShow) Page->OnShow(Page);
}

TTabSheet* TPageControl::pageOfTab(int tabIndex) const {
    QWidget* widget = tabs()->widget(tabIndex);
    for (TTabSheet* p : pages_)
        if (p->Handle() == widget) return p;
    return nullptr;
}

// Tab presses are decided here, before the tab bar would switch: a refused
// change must leave the page and the focus where they were.
bool TPageControl::handleEvent(QWidget* source, QEvent* event) {
    QTabBar* bar = tabs()->tabBar();
    if (source == bar && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        int index = bar->tabAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && index >= 0 && bar->isTabEnabled(index)) {
            userSelects(pageOfTab(index));
            TWinControl::handleEvent(source, event);
            return true;
        }
    }
    return TWinControl::handleEvent(source, event);
}

// The arrow keys on the tabs, likewise.
void TPageControl::KeyDown(Word& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    if ((Key == VK_LEFT || Key == VK_RIGHT) && Shift.Empty() && tabs()->tabBar()->hasFocus()) {
        SelectNextPage(Key == VK_RIGHT);
        Key = 0;
    }
}

// Any other way Qt switches pages (a wheel over the tabs) is asked after the
// fact; a refusal puts the old page back.
void TPageControl::tabChosen(int tabIndex) {
    TTabSheet* page = pageOfTab(tabIndex);
    if (!page || page == activePage_) return;
    if (!CanChange()) {
        syncing_ = true;
        if (activePage_) tabs()->setCurrentWidget(activePage_->Handle());
        syncing_ = false;
        return;
    }
    showPage(page);
    Change();
}

void TPageControl::userSelects(TTabSheet* Page) {
    if (Page && Page != activePage_ && CanChange()) {
        SetActivePage(Page);
        Change();
    }
}

bool TPageControl::CanChange() {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TPageControl::Change() {
    if (OnChange) OnChange(this);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const {
    if (pages_.empty()) return nullptr;
    int count = PageCount();
    auto it = std::find(pages_.begin(), pages_.end(), CurPage);
    int start = it == pages_.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - pages_.begin());
    int i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        if (!CheckTabVisible || pages_[i]->tabVisible_) return pages_[i];
    } while (i != start);
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward) {
    userSelects(FindNextPage(activePage_, GoForward, true));
}

void TPageControl::SetImages(TImageList* Value) {
    images_.set(Value);
    updateTabs();
}

// ---------------------------------------------------------------- TStatusBar

void TStatusPanel::SetText(const std::string& Value) {
    text_ = Value;
    owner_->layoutPanels();
}

void TStatusPanel::SetWidth(int Value) {
    width_ = Value;
    owner_->layoutPanels();
}

void TStatusPanel::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    owner_->layoutPanels();
}

TStatusBar::TStatusBar(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QWidget>()) {
    simpleLabel_ = new QLabel(Handle());
    simpleLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
    layoutPanels();
}

TStatusBar::~TStatusBar() { detachEvents(); }

void TStatusBar::Resize() {
    layoutPanels();
    TWinControl::Resize();
}

void TStatusBar::SetSimplePanel(bool Value) {
    simplePanel_ = Value;
    layoutPanels();
}

void TStatusBar::SetSimpleText(const std::string& Value) {
    simpleText_ = Value;
    simpleLabel_->setText(ToQString(Value));
}

TStatusPanel* TStatusBar::AddPanel() {
    panels_.push_back(std::unique_ptr<TStatusPanel>(new TStatusPanel(this)));
    layoutPanels();
    return panels_.back().get();
}

void TStatusBar::ClearPanels() {
    panels_.clear();
    layoutPanels();
}

void TStatusBar::layoutPanels() {
    while (labels_.size() > panels_.size()) {
        delete labels_.back();
        labels_.pop_back();
    }
    while (labels_.size() < panels_.size()) {
        auto* label = new QLabel(Handle());
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        labels_.push_back(label);
    }
    int h = Height(), x = 0;
    simpleLabel_->setGeometry(0, 2, Width(), std::max(h - 2, 0));
    simpleLabel_->setVisible(simplePanel_);
    for (size_t i = 0; i < panels_.size(); ++i) {
        TStatusPanel* p = panels_[i].get();
        QLabel* label = labels_[i];
        int w = i + 1 == panels_.size() ? std::max(Width() - x, 0) : p->width_;
        label->setGeometry(x, 2, w, std::max(h - 2, 0));
        label->setText(ToQString(p->text_));
        label->setAlignment((p->alignment_ == taRightJustify ? Qt::AlignRight
                             : p->alignment_ == taCenter   ? Qt::AlignHCenter
                                                           : Qt::AlignLeft) |
                            Qt::AlignVCenter);
        label->setVisible(!simplePanel_);
        x += w + 2;
    }
}

// ---------------------------------------------------------------- TProgressBar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QProgressBar>()) {
    bar()->setTextVisible(false);
    bar()->setRange(min_, max_);
    bar()->setValue(position_);
    bar()->resize(150, 16);
}

QProgressBar* TProgressBar::bar() const { return static_cast<QProgressBar*>(Handle()); }

void TProgressBar::SetMin(int Value) {
    min_ = Value;
    bar()->setRange(min_, std::max(min_, max_));
    SetPosition(position_);
}

void TProgressBar::SetMax(int Value) {
    max_ = Value;
    bar()->setRange(min_, std::max(min_, max_));
    SetPosition(position_);
}

void TProgressBar::SetPosition(int Value) {
    position_ = std::clamp(Value, min_, std::max(min_, max_));
    bar()->setValue(position_);
}

// Past the end the bar starts again from Min, as the platform's bar does.
void TProgressBar::StepIt() {
    int next = position_ + step_;
    if (next > max_) next = min_ + (next - max_) - 1;
    SetPosition(next);
}

void TProgressBar::StepBy(int Delta) { SetPosition(position_ + Delta); }

// ---------------------------------------------------------------- TTreeNode

TTreeNode::TTreeNode(TTreeView* tree, TTreeNode* parent) : tree_(tree), parent_(parent), item_(new QTreeWidgetItem) {
    item_->setData(0, Qt::UserRole, QVariant::fromValue<void*>(this));
}

TTreeNode::~TTreeNode() {
    children_.clear();
    if (tree_->selected_ == this) tree_->selected_ = nullptr;
    delete item_;
}

void TTreeNode::SetText(const std::string& Value) {
    text_ = Value;
    item_->setText(0, ToQString(Value));
}

void TTreeNode::SetImageIndex(int Value) {
    imageIndex_ = Value;
    updateIcon();
}

void TTreeNode::SetSelectedIndex(int Value) {
    selectedIndex_ = Value;
    updateIcon();
}

void TTreeNode::updateIcon() {
    TImageList* images = tree_->images_;
    if (!images || imageIndex_ < 0) {
        item_->setIcon(0, QIcon());
        return;
    }
    QIcon icon = images->Icon(imageIndex_);
    if (selectedIndex_ >= 0 && selectedIndex_ != imageIndex_) {
        QIcon selected = images->Icon(selectedIndex_);
        QSize size(images->Width(), images->Height());
        icon.addPixmap(selected.pixmap(size), QIcon::Selected);
    }
    item_->setIcon(0, icon);
}

int TTreeNode::Index() const {
    auto& siblings = tree_->nodes_->siblingsOf(parent_);
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return static_cast<int>(i);
    return -1;
}

int TTreeNode::Level() const {
    int level = 0;
    for (TTreeNode* p = parent_; p; p = p->parent_) ++level;
    return level;
}

TTreeNode* TTreeNode::GetNextSibling() const {
    auto& siblings = tree_->nodes_->siblingsOf(parent_);
    int i = Index();
    return i + 1 < static_cast<int>(siblings.size()) ? siblings[i + 1].get() : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    int i = Index();
    return i > 0 ? tree_->nodes_->siblingsOf(parent_)[i - 1].get() : nullptr;
}

int TTreeNode::AbsoluteIndex() const {
    for (int i = 0; i < tree_->nodes_->Count(); ++i)
        if (tree_->nodes_->Item(i) == this) return i;
    return -1;
}

bool TTreeNode::Expanded() const { return item_->isExpanded(); }
void TTreeNode::SetExpanded(bool Value) { item_->setExpanded(Value); }

void TTreeNode::Expand(bool Recurse) {
    SetExpanded(true);
    if (Recurse)
        for (auto& c : children_) c->Expand(true);
}

void TTreeNode::Collapse(bool Recurse) {
    SetExpanded(false);
    if (Recurse)
        for (auto& c : children_) c->Collapse(true);
}

bool TTreeNode::Selected() const { return tree_->selected_ == this; }

void TTreeNode::SetSelected(bool Value) {
    if (Value)
        tree_->SetSelected(this);
    else if (Selected())
        tree_->SetSelected(nullptr);
}

void TTreeNode::MakeVisible() { tree_->tree()->scrollToItem(item_); }

void TTreeNode::Delete() { tree_->nodes_->Delete(this); }

void TTreeNode::DeleteChildren() {
    while (!children_.empty()) tree_->nodes_->Delete(children_.back().get());
}

// ---------------------------------------------------------------- TTreeNodes

std::vector<std::unique_ptr<TTreeNode>>& TTreeNodes::siblingsOf(TTreeNode* parent) {
    return parent ? parent->children_ : roots_;
}

int TTreeNodes::Count() const {
    int count = 0;
    std::vector<const TTreeNode*> pending;
    for (auto& r : roots_) pending.push_back(r.get());
    while (!pending.empty()) {
        const TTreeNode* n = pending.back();
        pending.pop_back();
        ++count;
        for (auto& c : n->children_) pending.push_back(c.get());
    }
    return count;
}

TTreeNode* TTreeNodes::Item(int Index) const {
    int position = 0;
    std::function<TTreeNode*(const std::vector<std::unique_ptr<TTreeNode>>&)> walk =
        [&](const std::vector<std::unique_ptr<TTreeNode>>& nodes) -> TTreeNode* {
        for (auto& n : nodes) {
            if (position++ == Index) return n.get();
            if (TTreeNode* found = walk(n->children_)) return found;
        }
        return nullptr;
    };
    TTreeNode* node = walk(roots_);
    if (!node) throw EListError("Tree view index out of range");
    return node;
}

TTreeNode* TTreeNodes::GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }

TTreeNode* TTreeNodes::insertAt(TTreeNode* parent, int index, const std::string& S, void* Ptr) {
    auto& siblings = siblingsOf(parent);
    index = std::clamp(index, 0, static_cast<int>(siblings.size()));
    auto node = std::unique_ptr<TTreeNode>(new TTreeNode(tree_, parent));
    TTreeNode* raw = node.get();
    raw->text_ = S;
    raw->data_ = Ptr;
    raw->item_->setText(0, ToQString(S));
    siblings.insert(siblings.begin() + index, std::move(node));
    if (parent)
        parent->item_->insertChild(index, raw->item_);
    else
        tree_->tree()->insertTopLevelItem(index, raw->item_);
    return raw;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) { return AddObject(Sibling, S, nullptr); }

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
    TTreeNode* parent = Sibling ? Sibling->parent_ : nullptr;
    return insertAt(parent, static_cast<int>(siblingsOf(parent).size()), S, Ptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) { return AddChildObject(Parent, S, nullptr); }

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr) {
    return insertAt(Parent, static_cast<int>(siblingsOf(Parent).size()), S, Ptr);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S) {
    if (!Sibling) return Add(nullptr, S);
    return insertAt(Sibling->parent_, Sibling->Index(), S, nullptr);
}

void TTreeNodes::Delete(TTreeNode* Node) {
    if (!Node) return;
    auto& siblings = siblingsOf(Node->parent_);
    auto it = std::find_if(siblings.begin(), siblings.end(), [Node](auto& p) { return p.get() == Node; });
    if (it == siblings.end()) return;
    TTreeNode* before = tree_->selected_;
    std::unique_ptr<TTreeNode> doomed = std::move(*it);
    siblings.erase(it);
    {
        QSignalBlocker block(tree_->tree());
        doomed.reset();
    }
    if (before && !tree_->selected_) {
        // The selection moved to the node the tree shows as current.
        tree_->selected_ = tree_->nodeOf(tree_->tree()->currentItem());
        if (tree_->selected_) tree_->selected_->item_->setSelected(true);
        if (tree_->OnChange) tree_->OnChange(tree_, tree_->selected_);
    }
}

void TTreeNodes::Clear() {
    QSignalBlocker block(tree_->tree());
    bool hadSelection = tree_->selected_ != nullptr;
    while (!roots_.empty()) {
        std::unique_ptr<TTreeNode> doomed = std::move(roots_.back());
        roots_.pop_back();
    }
    tree_->selected_ = nullptr;
    if (hadSelection && tree_->OnChange) tree_->OnChange(tree_, nullptr);
}

void TTreeNodes::BeginUpdate() {
    if (updateCount_++ == 0) tree_->tree()->setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) tree_->tree()->setUpdatesEnabled(true);
}

// ---------------------------------------------------------------- TTreeView

TTreeView::TTreeView(TComponent* AOwner) : TWinControl(AOwner, NewWidget<QTreeWidget>()), nodes_(new TTreeNodes(this)) {
    SetTabStop(true);
    images_.OnClear = [this] {
        if (nodes_ && !ComponentState().Contains(csDestroying)) refreshIcons(nodes_->roots_);
    };
    SetColor(clWindow);
    tree()->setHeaderHidden(true);
    tree()->setColumnCount(1);
    tree()->resize(121, 97);
    addEventSource(tree()->viewport());
    QObject::connect(tree(), &QTreeWidget::currentItemChanged, tree(),
                     [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                         if (changingSelection_) return;
                         guardedCall(this, [&] {
                             TTreeNode* node = nodeOf(current);
                             if (node == selected_) return;
                             bool allow = true;
                             if (OnChanging) OnChanging(this, node, allow);
                             if (!allow) {
                                 changingSelection_ = true;
                                 tree()->setCurrentItem(previous);
                                 changingSelection_ = false;
                                 return;
                             }
                             selected_ = node;
                             if (OnChange) OnChange(this, node);
                         });
                     });
    QObject::connect(tree(), &QTreeWidget::itemExpanded, tree(), [this](QTreeWidgetItem* item) {
        guardedCall(this, [&] {
            if (OnExpanded) OnExpanded(this, nodeOf(item));
        });
    });
    QObject::connect(tree(), &QTreeWidget::itemCollapsed, tree(), [this](QTreeWidgetItem* item) {
        guardedCall(this, [&] {
            if (OnCollapsed) OnCollapsed(this, nodeOf(item));
        });
    });
}

TTreeView::~TTreeView() {
    detachEvents();
    tree()->blockSignals(true);
    nodes_.reset();
}

QTreeWidget* TTreeView::tree() const { return static_cast<QTreeWidget*>(Handle()); }

TTreeNode* TTreeView::nodeOf(QTreeWidgetItem* item) const {
    return item ? static_cast<TTreeNode*>(item->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

TTreeNode* TTreeView::Selected() const { return selected_; }

void TTreeView::SetSelected(TTreeNode* Node) {
    if (Node) {
        tree()->setCurrentItem(Node->item_);
    } else {
        tree()->setCurrentItem(nullptr);
    }
}

void TTreeView::SetImages(TImageList* Value) {
    images_.set(Value);
    if (Value) {
        tree()->setIconSize(QSize(Value->Width(), Value->Height()));
    }
    refreshIcons(nodes_->roots_);
}

void TTreeView::refreshIcons(std::vector<std::unique_ptr<TTreeNode>>& nodes) {
    for (auto& n : nodes) {
        n->updateIcon();
        refreshIcons(n->children_);
    }
}

void TTreeView::SetShowRoot(bool Value) {
    showRoot_ = Value;
    tree()->setRootIsDecorated(Value);
}

void TTreeView::FullExpand() { tree()->expandAll(); }
void TTreeView::FullCollapse() { tree()->collapseAll(); }

void TTreeView::AlphaSort() {
    std::function<void(std::vector<std::unique_ptr<TTreeNode>>&, TTreeNode*)> sortLevel =
        [&](std::vector<std::unique_ptr<TTreeNode>>& nodes, TTreeNode* parent) {
            std::stable_sort(nodes.begin(), nodes.end(), [](auto& a, auto& b) {
                return QString::compare(ToQString(a->text_), ToQString(b->text_), Qt::CaseInsensitive) < 0;
            });
            for (size_t i = 0; i < nodes.size(); ++i) {
                QTreeWidgetItem* item = nodes[i]->item_;
                bool expanded = item->isExpanded();
                if (parent) {
                    parent->item_->removeChild(item);
                    parent->item_->insertChild(static_cast<int>(i), item);
                } else {
                    tree()->takeTopLevelItem(tree()->indexOfTopLevelItem(item));
                    tree()->insertTopLevelItem(static_cast<int>(i), item);
                }
                item->setExpanded(expanded);
                sortLevel(nodes[i]->children_, nodes[i].get());
            }
        };
    changingSelection_ = true;
    sortLevel(nodes_->roots_, nullptr);
    if (selected_) tree()->setCurrentItem(selected_->item_);
    changingSelection_ = false;
}

TTreeNode* TTreeView::GetNodeAt(int X, int Y) const {
    QPoint p = tree()->viewport()->mapFrom(tree(), QPoint(X, Y));
    return nodeOf(tree()->itemAt(p));
}
