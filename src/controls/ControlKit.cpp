#include "controls/ControlKit.h"

#include "controls/DBKing.h"
#include "controls/qmdblook.h"
#include "ui/FormKit.h"

namespace {

constexpr int DateWidth = 96;

}  // namespace

TDBKingDlg* placeDateEdit(TWinControl* Parent, int Left, int Top, TDataSource* Source, const std::string& Column) {
    return placeBound<TDBKingDlg>(Parent, Left, Top, DateWidth, FormLayout::RowHeight, Source, Column);
}

TQmDBLookupCombo* placeLookupCombo(TWinControl* Parent, int Left, int Top, int Width, TQmTable* LookupTable,
                                   const std::string& LookupField, const std::vector<const char*>& Columns,
                                   TDataSource* Source, const std::string& Column) {
    auto* combo = place<TQmDBLookupCombo>(Parent, Left, Top, Width, FormLayout::RowHeight);
    combo->SetLookupTable(LookupTable);
    combo->SetLookupField(LookupField);
    for (const char* line : Columns)
        combo->Selected()->Add(line);
    if (Source) {
        combo->SetDataSource(Source);
        combo->SetDataField(Column);
    }
    return combo;
}
