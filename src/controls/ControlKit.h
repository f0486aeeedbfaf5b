#pragma once
// The form-building kit for this folder's controls, beside src/ui/FormKit.h:
// one line places a date edit or a lookup combo bound to a field, at the
// row height of the form kit's layout vocabulary.
#include <string>
#include <vector>

class TDataSource;
class TDBKingDlg;
class TQmDBLookupCombo;
class TQmTable;
class TWinControl;

// A date edit of Column, in the date edit's width.
TDBKingDlg* placeDateEdit(TWinControl* Parent, int Left, int Top, TDataSource* Source, const std::string& Column);

// A lookup combo of Column that looks values up in LookupTable by
// LookupField and lists Columns ("FIELD\twidth\tTitle") in its drop-down.
// Without a Source the combo is left unbound.
TQmDBLookupCombo* placeLookupCombo(TWinControl* Parent, int Left, int Top, int Width, TQmTable* LookupTable,
                                   const std::string& LookupField, const std::vector<const char*>& Columns,
                                   TDataSource* Source = nullptr, const std::string& Column = "");
