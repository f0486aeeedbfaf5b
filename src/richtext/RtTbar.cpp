#include "richtext/RtTbar.h"

#include <algorithm>
#include <cstdlib>

#include "base/SysUtils.h"
#include "richtext/RtWinCtr.h"
#include "ui/Printers.h"

namespace {

struct IconDef {
    const char* Name;
    int Group, Num;
    // What the placeholder artwork shows.
    const char* Mark;
};

// In table order: the status icons, the action icons, the database icons, the edit icons.
const IconDef statusDefs[] = {
    {"RTI_NORMAL", 1, 1, "N"},    {"RTI_BOLD", 1, 2, "B"},     {"RTI_ITALIC", 1, 3, "I"},
    {"RTI_UNDER", 1, 4, "U"},     {"RTI_SUPER", 1, 7, "x^"},   {"RTI_SUB", 1, 8, "x_"},
    {"RTI_STRIKEOUT", 1, 6, "S"}, {"RTI_HYPERLINK", 1, 5, "@"}, {"RTI_HIDDEN", 1, 9, "H"},
    {"RTI_RTFCODE", 1, 19, "{}"}, {"RTI_LEFT", 2, 1, "<"},     {"RTI_CENTER", 2, 4, "="},
    {"RTI_JUSTIFIED", 2, 3, "#"}, {"RTI_RIGHT", 2, 2, ">"}};
const TRtTbIcon statusMembers[] = {SelNormal, SelBold,     SelItalic,  SelUnder, SelSuper,
                                   SelSub,    SelStrikeOut, SelHyperLink, SelHidden, SelRTFCode,
                                   SelLeft,   SelCenter,   SelBlock,   SelRight};
const IconDef actionDefs[] = {{"RTI_New", 4, 2, "N"},   {"RTI_OPEN", 4, 3, "O"},  {"RTI_SAVE", 4, 4, "S"},
                              {"RTI_CLOSE", 4, 5, "C"}, {"RTI_EXIT", 4, 1, "X"},  {"RTI_PRINT", 5, 1, "P"},
                              {"RTI_PRINTSETUP", 5, 2, "Ps"}};
const TRtTbIcon2 actionMembers[] = {SelNew, SelOpen, SelSave, SelClose, SelExit, SelPrint, SelPrintSetup};
const IconDef databaseDefs[] = {{"RTI_TOSTART", 6, 7, "|<"}, {"RTI_PREV", 6, 2, "<"},  {"RTI_NEXT", 6, 1, ">"},
                                {"RTI_TOEND", 6, 8, ">|"},   {"RTI_ADD", 6, 3, "+"},   {"RTI_DEL", 6, 4, "-"},
                                {"RTI_EDIT", 6, 5, "E"},     {"RTI_CANCEL", 6, 6, "x"}, {"RTI_POST", 6, 9, "v"}};
const TRtTbIcon3 databaseMembers[] = {SelToStart, SelPrev, SelNext, SelToEnd, SelAdd,
                                      SelDel,     SelEdit, SelCancel, SelPost};
const IconDef editDefs[] = {{"RTI_SelAll", 3, 4, "A"}, {"RTI_HideSel", 3, 5, "h"}, {"RTI_CUT", 3, 2, "Ct"},
                            {"RTI_COPY", 3, 1, "Cp"},  {"RTI_PASTE", 3, 3, "Pa"},  {"RTI_FIND", 3, 6, "F"},
                            {"RTI_REPLACE", 3, 7, "R"}, {"RTI_SPELL", 3, 8, "ab"}};
const TRtTbIcon4 editMembers[] = {SelSelAll, SelHideSel, SelCut, SelCopy, SelPaste, SelFind, SelReplace, SelSpellCheck};

const char* const hintNames[] = {
    "Normal", "Bold",   "Italic", "Under",  "Hyperlink", "StrikeOut", "Sub",   "Super", "Hidden", "RTFCode",
    "Left",   "Right",  "Justified", "Center", "Copy",   "Cut",       "Paste", "SelAll", "HideSel", "Find",
    "Replace", "Spell", "Exit",   "New",    "Open",      "Save",      "Close", "Print", "PrintSetup", "Next",
    "Prev",   "Add",    "Del",    "Edit",   "Cancel",    "ToStart",   "ToEnd", "Post"};

// The system's default palette (its first 15 entries, entry 0 black).
const TColor defaultPalette[16] = {clBlack,  clMaroon, clGreen, clOlive, clNavy,   clPurple, clTeal,  clGray,
                                   clSilver, clRed,    clLime,  clYellow, clBlue,  clFuchsia, clAqua, clWhite};

// Small placeholder artwork: the icon's mark in a square.
void drawGlyph(TBitmap& bitmap, const IconDef& def, int size) {
    bitmap.SetSize(size, size);
    TCanvas* c = bitmap.Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(TRect{0, 0, size, size});
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(-(size - 4));
    c->Font()->SetColor(def.Group == rtGroupDatabase ? clNavy : clBlack);
    TFontStyles style;
    std::string mark = def.Mark;
    if (std::string(def.Name) == "RTI_BOLD") style.Include(fsBold);
    if (std::string(def.Name) == "RTI_ITALIC") style.Include(fsItalic);
    if (std::string(def.Name) == "RTI_UNDER") style.Include(fsUnderline);
    if (std::string(def.Name) == "RTI_STRIKEOUT") style.Include(fsStrikeOut);
    c->Font()->SetStyle(style);
    c->Brush()->SetStyle(bsClear);
    if (def.Group == rtGroupAlign) {
        // Four lines placed as the alignment places text.
        c->Pen()->SetColor(clBlack);
        for (int i = 0; i < 4; ++i) {
            int y = 3 + i * (size - 6) / 3, w = (i % 2) ? size - 8 : size - 4, x = 2;
            if (def.Num == 2) x = size - 2 - w;
            if (def.Num == 4) x = (size - w) / 2;
            if (def.Num == 3) w = size - 4;
            c->MoveTo(x, y);
            c->LineTo(x + w, y);
        }
        return;
    }
    int w = c->TextWidth(mark), h = c->TextHeight(mark);
    c->TextOut((size - w) / 2, (size - h) / 2, mark);
}

// The 12 x 12 mark of a scalable (TrueType) face: a grey T and a black T below right of it.
void drawTrueTypeMark(TBitmap& bitmap) {
    bitmap.SetSize(12, 12);
    TCanvas* c = bitmap.Canvas();
    c->Brush()->SetColor(clWindow);
    c->FillRect(TRect{0, 0, 12, 12});
    auto tee = [c](int x, int y, TColor color) {
        c->Pen()->SetColor(color);
        c->MoveTo(x, y);
        c->LineTo(x + 7, y);
        c->MoveTo(x + 3, y);
        c->LineTo(x + 3, y + 8);
    };
    tee(0, 0, clGray);
    tee(3, 3, clBlack);
}

constexpr int trueTypeCacheSize = 256;

}  // namespace

// ---------------------------------------------------------------- TRtTBCombo

TRtTBCombo::TRtTBCombo(TComponent* AOwner) : TComboBox(AOwner) {
    OnCloseUp = [this](TObject*) {
        if (Text() == droppedText_ && OnCloseUpSame) OnCloseUpSame(this);
    };
}

void TRtTBCombo::DropDown() {
    droppedText_ = Text();
    TComboBox::DropDown();
}

// ---------------------------------------------------------------- TRtToolBar

TRtToolBar::TRtToolBar(TComponent* AOwner) : TRtCustomToolPanel(AOwner), hints_(std::make_unique<TStringList>()) {
    std::copy(std::begin(defaultPalette), std::end(defaultPalette), colorTable_);
    SetBounds(Left(), Top(), 300, 31);
    SetBevelOuter(bvRaised);
    SetBevelInner(bvNone);
    SetBevelWidth(1);
    Hints();
    build();
}

TRtToolBar::~TRtToolBar() { detachEvents(); }

TStrings* TRtToolBar::Hints() {
    if (hints_->Count() == 0)
        for (const char* name : hintNames) hints_->Add(std::string("RTI_") + name + "=" + name);
    return hints_.get();
}

std::string TRtToolBar::hintFor(const std::string& Name) {
    TStrings* hints = Hints();
    for (int i = 0; i < hints->Count(); ++i) {
        const std::string& line = hints->Strings(i);
        size_t eq = line.find('=');
        if (eq != std::string::npos && SameText(line.substr(0, eq), Name)) return line.substr(eq + 1);
    }
    return {};
}

void TRtToolBar::Setsel_ListBoxes(TwpTbListboxen Value) {
    listBoxes_ = Value;
    build();
}
void TRtToolBar::Setsel_StatusIcons(TwpTbIcons Value) {
    statusIcons_ = Value;
    build();
}
void TRtToolBar::Setsel_ActionIcons(TwpTbIcons2 Value) {
    actionIcons_ = Value;
    build();
}
void TRtToolBar::Setsel_DatabaseIcons(TwpTbIcons3 Value) {
    databaseIcons_ = Value;
    build();
}
void TRtToolBar::Setsel_EditIcons(TwpTbIcons4 Value) {
    editIcons_ = Value;
    build();
}
void TRtToolBar::SetFontChoice(TFontSelChoice Value) {
    fontChoice_ = Value;
    build();
}
void TRtToolBar::SetFontSizes(int From, int To) {
    if (From == 0 && To == 0) From = 8, To = 72;
    fontSizeFrom_ = From;
    fontSizeTo_ = To;
    build();
}
void TRtToolBar::SetWidthBetweenGroups(int Value) {
    widthBetweenGroups_ = Value;
    layout();
}

void TRtToolBar::EndLoad() {
    loading_ = false;
    build();
}

void TRtToolBar::SetUpdateObject(TComponent* Value) {
    updateObject_.set(Value);
}

void TRtToolBar::SetLastFocused(TWinControl* Value) {
    if (lastFocused_ != Value) lastFocused_.set(Value);
}

void TRtToolBar::Notification(TComponent* AComponent, TOperation Operation) {
    TRtCustomToolPanel::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == editor_) editor_ = nullptr;
}

// ---------------------------------------------------------------- building

TRtTBCombo* TRtToolBar::List(int Tag) const {
    for (TRtTBCombo* l : lists_)
        if (l->Tag() == Tag) return l;
    return nullptr;
}

int TRtToolBar::ListCount() const { return static_cast<int>(lists_.size()); }

bool TRtToolBar::isTrueType(int Index, const std::string& Face) {
    if (Index < trueTypeCacheSize && Index < static_cast<int>(trueTypeCache_.size()) && trueTypeCache_[Index] >= 0)
        return trueTypeCache_[Index] == 1;
    TLogFont lf;
    lf.FaceName = Face;
    lf.Height = 10;
    lf.Weight = FW_NORMAL;
    bool answer = (CreateFontIndirect(lf)->Metrics().PitchAndFamily & TMPF_TRUETYPE) != 0;
    if (Index < trueTypeCacheSize) {
        if (static_cast<int>(trueTypeCache_.size()) <= Index) trueTypeCache_.resize(Index + 1, -1);
        trueTypeCache_[Index] = answer ? 1 : 0;
    }
    return answer;
}

TRtTBCombo* TRtToolBar::makeList(int Tag) {
    auto* list = new TRtTBCombo(this);
    list->SetParent(this);
    list->SetTag(Tag);
    list->SetTabStop(false);
    list->SetTop(4);
    list->OnChange = [this](TObject*) {
        if (OnChange) OnChange(this);
    };
    list->OnCloseUpSame = [this](TObject*) {
        returnFocus();
        if (OnExit) OnExit(this);
    };
    list->OnClick = [this, list](TObject*) { listChosen(list); };
    lists_.push_back(list);
    return list;
}

void TRtToolBar::buildLists() {
    const std::pair<TRtTbListbox, int> kinds[] = {{SelFontName, rtListFontName},
                                                  {SelFontSize, rtListFontSize},
                                                  {SelFontColor, rtListTextColor},
                                                  {SelBackgroundColor, rtListBackColor},
                                                  {SelStyle, rtListStyle}};
    for (auto [member, tag] : kinds) {
        TRtTBCombo* list = List(tag);
        if (!listBoxes_.Contains(member)) {
            if (list) {
                std::erase(lists_, list);
                delete list;
            }
            continue;
        }
        if (list) continue;
        list = makeList(tag);
        switch (tag) {
        case rtListFontName: {
            list->SetText(Font()->Name());
            list->SetMaxLength(rtFontNameMax);
            list->SetSorted(true);
            // The printer's fonts; the PDF printer is always there, so there always is a list.
            list->Items()->Assign(Printer()->Fonts());
            int width = 0;
            TBitmap mark;
            drawTrueTypeMark(mark);
            for (int i = 0; i < list->Items()->Count(); ++i) {
                width = std::max(width, Canvas()->TextWidth(list->Items()->Strings(i)));
                if (isTrueType(i, list->Items()->Strings(i))) list->SetItemImage(i, mark);
            }
            list->SetWidth(width + 24 + 16);
            break;
        }
        case rtListFontSize:
            list->SetName("FontSize");
            for (int s = std::max(fontSizeFrom_, 1); s <= fontSizeTo_; ++s) list->Items()->Add(" " + std::to_string(s));
            list->SetItemIndex(0);
            list->SetWidth(48);
            break;
        case rtListTextColor:
        case rtListBackColor:
            for (int i = 0; i < 16; ++i) {
                list->Items()->Add(std::to_string(i));
                // Item 0 of the background list means "none": the window's colour.
                TColor color = (i == 0 && tag != rtListTextColor) ? clWindow : colorTable_[i];
                TBitmap swatch(12, 12);
                swatch.Canvas()->Brush()->SetColor(color);
                swatch.Canvas()->FillRect(TRect{0, 0, 12, 12});
                swatch.Canvas()->Brush()->SetColor(clGray);
                swatch.Canvas()->FrameRect(TRect{0, 0, 12, 12});
                list->SetItemImage(i, swatch);
            }
            list->SetWidth(60);
            break;
        default:
            list->SetWidth(80);
            break;
        }
    }
}

void TRtToolBar::buildIcons() {
    std::vector<const IconDef*> wanted;
    for (size_t i = 0; i < std::size(statusDefs); ++i)
        if (statusIcons_.Contains(statusMembers[i])) wanted.push_back(&statusDefs[i]);
    for (size_t i = 0; i < std::size(actionDefs); ++i)
        if (actionIcons_.Contains(actionMembers[i])) wanted.push_back(&actionDefs[i]);
    for (size_t i = 0; i < std::size(databaseDefs); ++i)
        if (databaseIcons_.Contains(databaseMembers[i])) wanted.push_back(&databaseDefs[i]);
    for (size_t i = 0; i < std::size(editDefs); ++i)
        if (editIcons_.Contains(editMembers[i])) wanted.push_back(&editDefs[i]);
    if (wanted.size() > rtMaxIcons) wanted.resize(rtMaxIcons);

    int size = std::abs(Font()->Height()) + 9;
    // Buttons beyond the new count go; the others are set up again from the table.
    while (icons_.size() > wanted.size()) {
        delete icons_.back().Button;
        icons_.pop_back();
    }
    icons_.resize(wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i) {
        TIconRecord& rec = icons_[i];
        const IconDef& def = *wanted[i];
        rec.Name = def.Name;
        rec.Group = def.Group;
        rec.Num = def.Num;
        if (!rec.Button) {
            rec.Button = new TSpeedButton(this);
            rec.Button->SetParent(this);
            int index = static_cast<int>(i);
            rec.Button->OnClick = [this, index](TObject*) { iconClicked(index); };
        }
        TSpeedButton* b = rec.Button;
        int number = static_cast<int>(i) + 1;
        b->SetTag(number + rtIconTagBase);
        if (def.Group == rtGroupAlign) {
            b->SetAllowAllUp(false);
            b->SetGroupIndex(rtGroupAlign);
            if (def.Num == 1) b->SetDown(true);
        } else {
            b->SetGroupIndex(number + 78);
            b->SetAllowAllUp(true);
        }
        b->SetBounds(b->Left(), b->Top(), size, size);
        TBitmap glyph;
        drawGlyph(glyph, def, size - 6);
        b->SetGlyph(glyph);
        std::string hint = hintFor(def.Name);
        b->SetHint(hint);
        b->SetShowHint(!hint.empty());
    }
}

void TRtToolBar::build() {
    if (loading_ || building_ || !Enabled()) return;
    building_ = true;
    buildLists();
    buildIcons();
    building_ = false;
    layout();
}

void TRtToolBar::Resize() {
    TRtCustomToolPanel::Resize();
    layout();
}

void TRtToolBar::layout() {
    if (building_) return;
    int margin = BevelWidth() + (BevelOuter() != bvNone ? BevelWidth() : 1);
    int x = margin + 2, y = margin + 2, rowHeight = 0;
    int lastGroupIndex = -1;
    bool anyButton = false;
    std::vector<TControl*> children;
    for (TRtTBCombo* l : lists_) children.push_back(l);
    for (TIconRecord& r : icons_) children.push_back(r.Button);
    for (TControl* c : children) {
        if (auto* b = dynamic_cast<TSpeedButton*>(c)) {
            if (anyButton && b->GroupIndex() != lastGroupIndex) x += widthBetweenGroups_;
            lastGroupIndex = b->GroupIndex();
            anyButton = true;
        }
        if (x + c->Width() > Width() - margin && x > 4) {
            x = margin + 2;
            y += rowHeight + 4;
            rowHeight = 0;
        }
        c->SetBounds(x, y, c->Width(), c->Height());
        x += c->Width() + 2;
        rowHeight = std::max(rowHeight, c->Height());
    }
    int bottom = y + rowHeight + margin + 2;
    if ((Align() == alTop || Align() == alBottom) && !children.empty() && bottom != Height()) SetHeight(bottom);
    Invalidate();
}

// ---------------------------------------------------------------- icons and lists shown

std::vector<TSpeedButton*> TRtToolBar::matching(const std::string& Name, int Group, int Num) const {
    std::vector<TSpeedButton*> found;
    for (const TIconRecord& r : icons_) {
        bool hit = Name.empty() ? (r.Group == Group && (Num == 0 || r.Num == Num)) : SameText(r.Name, Name);
        if (hit) found.push_back(r.Button);
    }
    return found;
}

TSpeedButton* TRtToolBar::FindIcon(const std::string& Name, int Group, int Num) const {
    std::vector<TSpeedButton*> found = matching(Name, Group, Num);
    return found.empty() ? nullptr : found.front();
}

void TRtToolBar::SetIconDown(const std::string& Name, int Group, int Num) {
    for (TSpeedButton* b : matching(Name, Group, Num)) b->SetDown(true);
}

void TRtToolBar::SetIconUp(const std::string& Name, int Group, int Num) {
    for (TSpeedButton* b : matching(Name, Group, Num)) b->SetDown(false);
}

bool TRtToolBar::EnableIcon(const std::string& Name, int Group, bool Enabled, int Num) {
    bool previous = false;
    for (TSpeedButton* b : matching(Name, Group, Num)) {
        previous = b->Enabled();
        b->SetEnabled(Enabled);
    }
    return previous;
}

void TRtToolBar::SetListValue(int Typ, const std::string& Str, int Num) {
    TRtTBCombo* list = nullptr;
    switch (Typ) {
    case rtSelFontName:
        if ((list = List(rtListFontName)) && !SameText(list->Text(), Str)) {
            int found = -1;
            for (int i = 0; i < list->Items()->Count() && found < 0; ++i)
                if (SameText(list->Items()->Strings(i), Str)) found = i;
            // A face the device lists under another name ("Arial" drawn with its
            // metric twin) still shows its own name.
            if (found >= 0)
                list->SetItemIndex(found);
            else if (!Str.empty())
                list->SetText(Str);
        }
        break;
    case rtSelFontSize:
        if (Num >= 7 && (list = List(rtListFontSize))) {
            int i = list->Items()->IndexOf(" " + std::to_string(Num));
            if (i >= 0) list->SetItemIndex(i);
        }
        break;
    case rtSelTextColor:
    case rtSelBackColor:
        if (Num < 15 && (list = List(Typ == rtSelTextColor ? rtListTextColor : rtListBackColor)))
            list->SetItemIndex(Num);
        break;
    default:
        break;
    }
}

void TRtToolBar::SetFontValues(TFont* Font, TColor Background) {
    if (!Font) return;
    const TColor* table = documentColors_ ? documentColors_ : colorTable_;
    auto indexOf = [&](TColor c) {
        TColor rgb = ColorToRGB(c);
        for (int i = 0; i < 15; ++i)
            if (ColorToRGB(table[i]) == rgb) return i;
        return -1;
    };
    SetListValue(rtSelFontName, Font->Name(), 0);
    SetListValue(rtSelFontSize, {}, Font->Size());
    if (int i = indexOf(Font->Color()); i >= 0) SetListValue(rtSelTextColor, {}, i);
    if (Background != 0) SetListValue(rtSelBackColor, {}, ColorToRGB(Background) == clWhite ? 0 : std::max(indexOf(Background), 0));
}

void TRtToolBar::SetColorTable(const TColor* Table) { documentColors_ = Table; }

// ---------------------------------------------------------------- enabling

void TRtToolBar::SetEnabled(bool Value) {
    if (Value == Enabled()) return;
    if (!Value) {
        savedEnabled_.clear();
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (dynamic_cast<TSpeedButton*>(c) || dynamic_cast<TButton*>(c)) {
                savedEnabled_.emplace_back(c, c->Enabled());
                c->SetEnabled(false);
            } else if (auto* l = dynamic_cast<TRtTBCombo*>(c); l && l->Tag() != rtListTextColor && l->Tag() != rtListBackColor) {
                l->Font()->SetColor(clBtnShadow);
            }
        }
        TRtCustomToolPanel::SetEnabled(false);
        // The lists stay usable while the toolbar is off.
        for (TRtTBCombo* l : lists_) l->SetEnabled(true);
    } else {
        TRtCustomToolPanel::SetEnabled(true);
        for (auto& [c, was] : savedEnabled_) c->SetEnabled(was);
        savedEnabled_.clear();
        for (TRtTBCombo* l : lists_) l->Font()->SetColor(clWindowText);
    }
}

void TRtToolBar::SetListsEnabled(bool Value) {
    listsEnabled_ = Value;
    for (TRtTBCombo* l : lists_) l->SetEnabled(Value);
}

// ---------------------------------------------------------------- choices

void TRtToolBar::returnFocus() {
    TWinControl* target = lastFocused_ ? lastFocused_ : editor_;
    if (editor_ && target && target->CanFocus()) target->SetFocus();
}

TComponent* TRtToolBar::updateTarget() const {
    if (!updateObjectName_.empty() && Owner())
        if (TComponent* c = Owner()->FindComponent(updateObjectName_)) return c;
    return updateObject_;
}

void TRtToolBar::listChosen(TRtTBCombo* List) {
    TRtSelNr typ = rtSelHandled;
    std::string str;
    int num = 0;
    switch (List->Tag()) {
    case rtListFontName:
        typ = rtSelFontName;
        str = List->Text();
        break;
    case rtListFontSize:
        typ = rtSelFontSize;
        num = StrToIntDef(Trim(List->Text()), 0);
        break;
    case rtListTextColor:
        typ = rtSelTextColor;
        num = StrToIntDef(List->Text(), 0);
        break;
    case rtListBackColor:
        typ = rtSelBackColor;
        num = StrToIntDef(List->Text(), 0);
        break;
    case rtListStyle:
        typ = rtSelStyle;
        str = List->Text();
        num = List->ItemIndex();
        break;
    default:
        return;
    }
    applyToUpdateObject(typ, str, num, 0);
    if (OnSelection) OnSelection(this, typ, str, num);
    if (editor_ && typ != rtSelHandled) {
        returnFocus();
        editor_->ToolbarList(this, typ, str, num);
    }
}

void TRtToolBar::iconClicked(int Index) {
    if (Index < 0 || Index >= IconCount()) return;
    const TIconRecord& r = icons_[Index];
    TRtSelNr typ = r.Button->Down() ? rtSelIconDown : rtSelIconUp;
    std::string name = r.Name;
    int group = r.Group, num = r.Num;
    applyToUpdateObject(typ, name, num, group);
    if (OnIconSelection) OnIconSelection(this, typ, name, group, num, Index);
    if (editor_ && typ != rtSelHandled) {
        returnFocus();
        editor_->ToolbarIcon(this, typ, name, group, num, Index);
    }
}

void TRtToolBar::applyToUpdateObject(TRtSelNr Typ, const std::string& Str, int Num, int Group) {
    auto* control = dynamic_cast<TControl*>(updateTarget());
    if (!control || !(dynamic_cast<TMemo*>(control) || dynamic_cast<TEdit*>(control) ||
                      dynamic_cast<TLabel*>(control) || dynamic_cast<TPanel*>(control)))
        return;
    TFont* font = control->Font();
    switch (Typ) {
    case rtSelFontName:
        font->SetName(Str);
        break;
    case rtSelFontSize:
        if (Num > 0) font->SetSize(Num);
        break;
    case rtSelTextColor:
        if (Num >= 0 && Num < 16) font->SetColor(colorTable_[Num]);
        break;
    case rtSelBackColor:
        if (Num >= 0 && Num < 16) control->SetColor(colorTable_[Num]);
        break;
    case rtSelIconDown:
    case rtSelIconUp:
        if (Group == rtGroupStatus) {
            TFontStyles style = font->Style();
            TFontStyle which;
            switch (Num) {
            case 2: which = fsBold; break;
            case 3: which = fsItalic; break;
            case 4: which = fsUnderline; break;
            case 6: which = fsStrikeOut; break;
            default: return;
            }
            if (Typ == rtSelIconDown)
                style.Include(which);
            else
                style.Exclude(which);
            font->SetStyle(style);
        }
        break;
    default:
        break;
    }
}
