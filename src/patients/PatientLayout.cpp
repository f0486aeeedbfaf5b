#include "patients/PatientLayout.h"

#include "controls/DBKing.h"
#include "ui/DBCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

namespace PatientLayout {

namespace {

constexpr int CaptionOffset = 3;
constexpr int CaptionHeight = 15;
constexpr int DateWidth = 96;

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

TDBKingDlg* dateEdit(TWinControl* Parent, int Left, int Top, TDataSource* Source, const std::string& Column) {
    return placeBound<TDBKingDlg>(Parent, Left, Top, DateWidth, RowHeight, Source, Column);
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
    auto* box = placeBound<TDBCheckBox>(Parent, Left, Top, Width, 17, Source, Column);
    box->SetCaption(Caption);
    box->SetValueChecked(Checked);
    box->SetValueUnchecked(Unchecked);
    return box;
}

void hint(TWinControl* Control, const std::string& Text) {
    Control->SetHint(Text);
    Control->SetShowHint(true);
}

}  // namespace PatientLayout
