#include "ui/FormKit.h"

#include "ui/DBCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

TComponent* placementOwner(TWinControl* parent) {
    if (TForm* form = GetParentForm(parent)) return form;
    return parent;
}

void frameDialog(TForm* Form, const std::string& Caption) {
    Form->SetCaption(Caption);
    Form->SetBorderStyle(bsDialog);
    Form->SetPosition(poScreenCenter);
}

TBitBtn* TButtonColumn::operator()(const char* Name, const char* Caption) {
    auto* made = place<TBitBtn>(panel_, left_, top_, 88, 28, Caption);
    made->SetName(Name);
    top_ += 40;
    return made;
}

namespace FormLayout {

namespace {

constexpr int CaptionOffset = 3;
constexpr int CaptionHeight = 15;
constexpr int CheckBoxHeight = 17;

}  // namespace

TLabel* caption(TWinControl* Parent, int Left, int Top, const std::string& Text, TWinControl* Control) {
    auto* label = place<TLabel>(Parent, Left, Top + CaptionOffset, 0, CaptionHeight, Text);
    label->SetAutoSize(true);
    if (Control)
        label->SetFocusControl(Control);
    return label;
}

TDBEdit* edit(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
              int MaxLength) {
    auto* control = placeBound<TDBEdit>(Parent, Left, Top, Width, RowHeight, Source, Column);
    control->SetMaxLength(MaxLength);
    return control;
}

TDBEdit* upperEdit(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
                   int MaxLength) {
    TDBEdit* control = edit(Parent, Left, Top, Width, Source, Column, MaxLength);
    control->SetCharCase(ecUpperCase);
    return control;
}

TDBComboBox* list(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
                  std::initializer_list<const char*> Items) {
    auto* combo = placeBound<TDBComboBox>(Parent, Left, Top, Width, RowHeight, Source, Column);
    combo->SetStyle(csDropDownList);
    for (const char* item : Items)
        combo->Items()->Add(item);
    return combo;
}

TDBCheckBox* checkBox(TWinControl* Parent, int Left, int Top, int Width, const std::string& Caption,
                      TDataSource* Source, const std::string& Column, const std::string& Checked,
                      const std::string& Unchecked) {
    auto* box = placeBound<TDBCheckBox>(Parent, Left, Top, Width, CheckBoxHeight, Source, Column);
    box->SetCaption(Caption);
    box->SetValueChecked(Checked);
    box->SetValueUnchecked(Unchecked);
    return box;
}

void hint(TWinControl* Control, const std::string& Text) {
    Control->SetHint(Text);
    Control->SetShowHint(true);
}

}  // namespace FormLayout
