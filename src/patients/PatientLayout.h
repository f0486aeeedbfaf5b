#pragma once
// Placing the captioned data-aware controls of the patient record's pages:
// a caption with the control it names, bound to one column of a source.
// Heights, the caption's offset and the input limits are the same on every
// page, so a page's code reads as its list of columns.
#include <initializer_list>
#include <string>

class TDataSource;
class TDBCheckBox;
class TDBComboBox;
class TDBEdit;
class TDBKingDlg;
class TLabel;
class TWinControl;

namespace PatientLayout {

constexpr int RowHeight = 21;

// A caption at (Left, Top + 3) naming the control placed beside it.
TLabel* caption(TWinControl* Parent, int Left, int Top, const std::string& Text, TWinControl* Control = nullptr);
// An edit of Column; MaxLength 0 takes the column's width.
TDBEdit* edit(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
              int MaxLength = 0);
// The same, typed in capitals (state codes).
TDBEdit* upperEdit(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
                   int MaxLength = 0);
TDBKingDlg* dateEdit(TWinControl* Parent, int Left, int Top, TDataSource* Source, const std::string& Column);
// A drop-down list allowing only Items.
TDBComboBox* list(TWinControl* Parent, int Left, int Top, int Width, TDataSource* Source, const std::string& Column,
                  std::initializer_list<const char*> Items);
// A check box storing Checked / Unchecked ("True"/"False" unless given).
TDBCheckBox* checkBox(TWinControl* Parent, int Left, int Top, int Width, const std::string& Caption,
                      TDataSource* Source, const std::string& Column, const std::string& Checked = "True",
                      const std::string& Unchecked = "False");
// A hint shown over the control.
void hint(TWinControl* Control, const std::string& Text);

}  // namespace PatientLayout
