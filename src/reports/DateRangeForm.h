#pragma once
// TDateRangeForm: the window every date-range report shares: the range
// combo, the From and Thru date edits with their calendars (both opening
// under From), the OK button, and the key and combo handlers that keep the
// edits in "mm/dd/yyyy". A member adds its tables, runner and shell, and
// gives OK its work through runOnRange or runOnce. A second OK while a run is going on
// does nothing, and the form cannot be closed under its run.
#include <functional>
#include <string>

#include "base/DateTime.h"
#include "controls/KingDlg.h"
#include "controls/KingPop.h"
#include "reports/DateRows.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

class TReportSystem;
class TTable;
class TXbase;

class TDateRangeForm : public TForm, public TDateRowsPart {
public:
    TComboBox* DateRangeComboBox = nullptr;

    void DateRangeComboBoxChange(TObject* Sender);

protected:
    TDateRangeForm(TComponent* AOwner, const std::string& Caption);

    // Both edits to From and Thru, with their calendars.
    void showRange(TDateTime From, TDateTime Thru);
    // OK's first step: each edit parsed and rewritten "mm/dd/yyyy", From
    // first. The conversion error propagates, so nothing after it runs.
    void normaliseDates(TDateTime& From, TDateTime& Thru);
    // Runs Body unless a run is already going on.
    void runOnce(const std::function<void()>& Body);
    // OK's usual work: runOnce of Body on the normalised From and Thru.
    void runOnRange(const std::function<void(TDateTime From, TDateTime Thru)>& Body);
    // runOnRange for a report over a table on a date tag: Engine scoped to
    // the range, Table on its first record, then Runner run.
    void runScopedOnRange(TXbase* Engine, TTable* Table, TReportSystem* Runner);

private:
    bool running_ = false;
};
