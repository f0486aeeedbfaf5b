#include "app/LookupList.h"

#include <strings.h>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/LookupListActions.h"
#include "base/SysUtils.h"
#include "controls/Qmdbgrid.h"
#include "data/DbTables.h"
#include "ui/Application.h"
#include "ui/DBCtrls.h"
#include "ui/FormKit.h"
#include "ui/HourGlass.h"
#include "ui/MessageBeep.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmqbe.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbase/Xbtable.h"

namespace {

bool sameText(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

std::string TrimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

TLookupListForm::TLookupListForm(TComponent* AOwner, const TListDescriptor& Descriptor)
    : TForm(AOwner), descriptor_(Descriptor) {
    SetCaption(descriptor_.Caption);
    SetBounds(0, 0, 460, 330);
    SetPosition(poScreenCenter);

    Edit1 = place<TEdit>(this, 8, 8, 249, 21);
    Edit1->SetCharCase(ecUpperCase);
    Edit1->SetHint("Incremental Search Field");
    Edit1->SetShowHint(true);
    SortComboBox = place<TComboBox>(this, 264, 8, 180, 21);
    SortComboBox->SetStyle(csDropDown);
    SortComboBox->SetHint("Change Sort Order");
    SortComboBox->SetShowHint(true);
    SortComboBox->SetTabStop(false);
    for (const TSortChoice& choice : descriptor_.Sorts)
        SortComboBox->Items()->Add(choice.Text);

    TDataSource* source = DataModule1 && descriptor_.Source ? descriptor_.Source(*DataModule1) : nullptr;
    const TQmDBGridOptions options{dgTitles,  dgIndicator,          dgColumnResize,  dgColLines,   dgRowLines,
                                   dgTabs,    dgRowSelect,          dgAlwaysShowSelection, dgConfirmDelete,
                                   dgCancelOnExit};
    if (descriptor_.Grid == TListGrid::PlainGrid) {
        DBGrid1 = place<TDBGrid>(this, 8, 36, 436, 216);
        DBGrid1->SetOptions(options);
        DBGrid1->SetDataSource(source);
    } else {
        TQmDBGrid* grid = place<TQmDBGrid>(this, 8, 36, 436, 216);
        grid->SetOptions(options);
        for (const std::string& line : descriptor_.Columns)
            grid->Selected()->Add(line);
        grid->SetDataSource(source);
        (descriptor_.Grid == TListGrid::AccountGrid ? AccountDBGrid : qmDBGrid1) = grid;
    }
    Grid()->SetName(DBGrid1 ? "DBGrid1" : AccountDBGrid ? "AccountDBGrid" : "qmDBGrid1");

    // The buttons in a row under the grid; a hidden button leaves no gap.
    int left = 8;
    auto button = [&](const char* Name, const std::string& Caption, TButtonShown Shown) {
        auto* made = place<TButton>(this, left, 264, 80, 25, Caption);
        made->SetName(Name);
        made->SetVisible(Shown.Visible);
        made->SetEnabled(Shown.Enabled);
        if (Shown.Visible)
            left += 88;
        return made;
    };
    const bool printList = descriptor_.PrintButton;
    NewButton = button("NewButton", "&New", descriptor_.NewButton);
    EditButton = button("EditButton", "&Edit", descriptor_.EditButton);
    DeleteButton = button("DeleteButton", "&Delete", descriptor_.DeleteButton);
    if (descriptor_.Select)
        SelectButton = button("SelectButton", "&Select", {});
    if (descriptor_.AdvancedButton && !printList)
        AdvancedSearchButton = button("AdvancedSearchButton", "&Advanced", {});
    if (printList)
        BitBtn1 = button("BitBtn1", "&Print", {});

    bindEvent(Edit1->OnChange, this, &TLookupListForm::Edit1Change);
    bindEvent(Edit1->OnKeyPress, this, &TLookupListForm::Edit1KeyPress);
    bindEvent(SortComboBox->OnChange, this, &TLookupListForm::SortComboBoxChange);
    bindEvent(SortComboBox->OnKeyPress, this, &TLookupListForm::SortComboBoxKeyPress);
    bindEvent(Grid()->OnDblClick, this, &TLookupListForm::qmDBGrid1DblClick);
    bindEvent(Grid()->OnKeyDown, this, &TLookupListForm::qmDBGrid1KeyDown);
    bindEvent(NewButton->OnClick, this, &TLookupListForm::NewButtonClick);
    bindEvent(EditButton->OnClick, this, &TLookupListForm::EditButtonClick);
    bindEvent(DeleteButton->OnClick, this, &TLookupListForm::DeleteButtonClick);
    if (SelectButton)
        bindEvent(SelectButton->OnClick, this, &TLookupListForm::SelectButtonClick);
    if (AdvancedSearchButton)
        bindEvent(AdvancedSearchButton->OnClick, this, &TLookupListForm::AdvancedSearchButtonClick);
    if (BitBtn1)
        bindEvent(BitBtn1->OnClick, this, &TLookupListForm::BitBtn1Click);
    bindEvent(OnCreate, this, &TLookupListForm::FormCreate);
    bindEvent(OnShow, this, &TLookupListForm::FormShow);
    bindEvent(OnActivate, this, &TLookupListForm::FormActivate);
    bindEvent(OnClose, this, &TLookupListForm::FormClose);
}

TLookupListForm::~TLookupListForm() = default;

TTable* TLookupListForm::Table() const {
    return DataModule1 && descriptor_.Table ? descriptor_.Table(*DataModule1) : nullptr;
}

TXbase* TLookupListForm::Engine() const {
    return DataModule1 && descriptor_.Engine ? descriptor_.Engine(*DataModule1) : nullptr;
}

TCustomGrid* TLookupListForm::Grid() const {
    if (DBGrid1)
        return DBGrid1;
    return AccountDBGrid ? AccountDBGrid : qmDBGrid1;
}

bool TLookupListForm::empty() const {
    TTable* table = Table();
    return !table || !table->Active() || table->IsEmpty();
}

void TLookupListForm::setOrder(const std::string& Tag, bool Last) {
    TTable* table = Table();
    if (!table || !table->Active())
        return;
    table->SetIndexName(Tag);
    if (Last)
        table->Last();
    else
        table->First();
}

void TLookupListForm::FormCreate(TObject*) {
    if (descriptor_.SalesDetailView && DataModule1) {
        SalesDetailView = new TXbTable(this);
        SalesDetailView->SetDatabaseName(DataModule1->DataDirectory);
        SalesDetailView->SetTableName("SALESDTL.DBF");
        // With its index file, or the tag "ItemNo" is not there to seek on.
        SalesDetailView->SetTableType(ttSXNSX);
        SalesDetailView->SetReadOnly(true);
        SalesDetailView->SetIndexName("ItemNo");
        SalesDetailView->Open();
    }
    if (descriptor_.Start) {
        descriptor_.Start(*this);
    } else if (!descriptor_.StartTag.empty()) {
        setOrder(descriptor_.StartTag, descriptor_.StartLast);
    }
    const std::string text = descriptor_.StartSortText.empty() && !descriptor_.Sorts.empty()
                                 ? descriptor_.Sorts.front().Text
                                 : descriptor_.StartSortText;
    if (SortComboBox->Text().empty())
        SortComboBox->SetText(text);
    if (!descriptor_.RepairBlankField.empty())
        repairBlankFirst();
}

// A blank key sorts first; it gets the name new records carry.
void TLookupListForm::repairBlankFirst() {
    TTable* table = Table();
    if (empty())
        return;
    table->First();
    TField* field = table->FieldByName(descriptor_.RepairBlankField);
    if (!TrimBlanks(field->AsString()).empty())
        return;
    table->Edit();
    field->SetAsString("<new>");
    if (TXbase* engine = Engine())
        engine->Commit();
    else
        table->Post();
    table->First();
}

void TLookupListForm::FormShow(TObject*) {
    if (descriptor_.LastWhenShown && !empty())
        Table()->Last();
}

void TLookupListForm::FormActivate(TObject*) {
    TTable* table = Table();
    switch (descriptor_.Activation) {
    case TListActivation::Nothing:
        return;
    case TListActivation::AccountsToName:
        setOrder("Name", false);
        break;
    case TListActivation::PatientsToName:
        if (table && table->Active())
            table->SetIndexName("RecName");
        [[fallthrough]];
    case TListActivation::Refresh:
        if (table && table->Active())
            table->Refresh();
        break;
    case TListActivation::RefreshPatients:
        if (DataModule1 && DataModule1->PatientTable->Active())
            DataModule1->PatientTable->Refresh();
        break;
    }
    Grid()->Invalidate();
}

void TLookupListForm::FormClose(TObject*, TCloseAction& Action) {
    if (descriptor_.Closing)
        descriptor_.Closing(*this);
    if (SalesDetailView)
        SalesDetailView->Close();
    Action = caFree;
}

void TLookupListForm::Edit1Change(TObject*) {
    TXbase* engine = Engine();
    TTable* table = Table();
    if (!engine || !table || !table->Active())
        return;
    const std::string tag = table->IndexName();
    std::string key = TrimBlanks(Edit1->Text());
    if (descriptor_.PaddedIdSearch)
        key = sameText(tag, "ID") ? AppUtils::PadLeft(key, 10) : Edit1->Text();
    const bool found = engine->Seek(key);
    const bool beepHere = descriptor_.BeepTag.empty() || sameText(tag, descriptor_.BeepTag);
    if (!found && beepHere)
        MessageBeep(0);
}

void TLookupListForm::Edit1KeyPress(TObject*, char& Key) {
    if (Key == VK_RETURN) {
        Key = 0;
        act(descriptor_.EnterInEdit);
    }
}

void TLookupListForm::chooseSort(const std::string& Text) {
    if (descriptor_.Sort) {
        descriptor_.Sort(*this, Text);
    } else {
        for (const TSortChoice& choice : descriptor_.Sorts)
            if (Upper(choice.Text) == Upper(Text)) {
                setOrder(choice.Tag, choice.Last);
                break;
            }
    }
    if (descriptor_.SortClearsSearch) {
        Edit1->SetText("");
        if (Edit1->CanFocus())
            Edit1->SetFocus();
    }
}

void TLookupListForm::SortComboBoxChange(TObject*) { chooseSort(SortComboBox->Text()); }

void TLookupListForm::SortComboBoxKeyPress(TObject*, char& Key) {
    const char letter = char(Key >= 'a' && Key <= 'z' ? Key - 'a' + 'A' : Key);
    for (const TSortChoice& choice : descriptor_.Sorts)
        if (choice.Key != 0 && choice.Key == letter) {
            Key = 0;
            SortComboBox->SetText(choice.Text);
            chooseSort(choice.Text);
            return;
        }
}

void TLookupListForm::qmDBGrid1DblClick(TObject*) { act(descriptor_.DoubleClick); }

void TLookupListForm::qmDBGrid1KeyDown(TObject*, Word& Key, TShiftState) {
    if (Key == VK_RETURN)
        act(descriptor_.EnterInGrid);
}

void TLookupListForm::act(TListAction Action) {
    switch (Action) {
    case TListAction::Nothing:
        break;
    case TListAction::Info:
        ShowInfo();
        break;
    case TListAction::Select:
        SelectButtonClick(this);
        break;
    case TListAction::Print:
        printStatement();
        break;
    }
}

void TLookupListForm::NewButtonClick(TObject*) {
    if (descriptor_.New != TListNew::None)
        newListRecord(*this);
}

void TLookupListForm::EditButtonClick(TObject*) { ShowInfo(); }

void TLookupListForm::DeleteButtonClick(TObject*) {
    if (descriptor_.Delete != TListDelete::None && !empty())
        deleteListRecord(*this);
}

void TLookupListForm::SelectButtonClick(TObject*) {
    if (descriptor_.Select && !empty())
        descriptor_.Select(*this);
}

void TLookupListForm::AdvancedSearchButtonClick(TObject*) {
    OpenForm(this, {.ClassName = "TAdvancedSearchForm", .Caption = "Advanced Search", .Style = osModal});
}

void TLookupListForm::BitBtn1Click(TObject*) { printStatement(); }

void TLookupListForm::printStatement() {
    if (empty())
        return;
    OpenForm(this, {.ClassName = "TStatementWalkoutReport", .Caption = "Statement", .Style = osHidden});
}

void TLookupListForm::ShowInfo() {
    if (descriptor_.InfoClass.empty() || empty())
        return;
    {
        THourGlass hourGlass;
        OpenForm(Owner(), {.ClassName = descriptor_.InfoClass,
                           .Caption = descriptor_.Caption,
                           .Style = descriptor_.InfoModal ? osModal : osShow});
        if (descriptor_.InfoBackToName) {
            if (TTable* table = Table(); table && table->Active())
                table->SetIndexName("RecName");
            SortComboBox->SetText("Name");
        }
    }
    if (descriptor_.InfoModal && !empty()) {
        if (SelectButton && SelectButton->CanFocus())
            SelectButton->SetFocus();
        if (TrimBlanks(Table()->FieldByName("RecName")->AsString()) != "<new>")
            SelectButtonClick(this);
    }
}
