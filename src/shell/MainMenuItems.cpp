#include "shell/MainMenuItems.h"

#include <cstring>

#include "shell/LogoMain.h"

namespace {

using F = TLogoAppForm;

// Items marked hidden are not shown; disabled ones are greyed. Every menu of
// the bar starts disabled until the menu state enables it.
const TMenuEntry Menu[] = {
    {.Depth = 0, .Name = "FileMenu", .Caption = "&File", .Enabled = false},
    {.Depth = 1, .Name = "FileNewItem", .Caption = "&New Company", .Handler = &F::FileNewItemClick},
    {.Depth = 1, .Name = "FileOpenItem", .Caption = "&Open Company...", .Handler = &F::FileOpenItemClick,
     .Hint = "Open a file"},
    {.Depth = 1, .Name = "PrinterSetupItem", .Caption = "&Printer Setup", .Handler = &F::PrinterSetupItemClick},
    {.Depth = 1, .Name = "RebuildIndexes1", .Caption = "&Rebuild Indexes", .Handler = &F::RebuildIndexes1Click},
    {.Depth = 1, .Name = "Preferences1", .Caption = "Pre&ferences", .TargetClass = "TPreferencesDlg"},
    {.Depth = 1, .Name = "FileExitItem", .Caption = "E&xit", .Handler = &F::FileExit, .Hint = "Exit application",
     .ShortCut = "Alt+X"},

    {.Depth = 0, .Name = "ActivitiesMenu", .Caption = "&Activities", .Enabled = false},
    {.Depth = 1, .Name = "CreateReceipt1", .Caption = "Edit &Receipt", .TargetClass = "TReceiptForm",
     .ReuseVisible = true},
    {.Depth = 1, .Name = "ReceivePayments1", .Caption = "&Payments/Refunds", .TargetClass = "TPaymentForm",
     .Style = osModal},
    {.Depth = 1, .Name = "MakeDeposits1", .Caption = "Make &Deposits", .TargetClass = "TDepositForm"},
    {.Depth = 1, .Name = "PrintStatements1", .Caption = "Print &Statements"},
    {.Depth = 2, .Name = "CarryOutStatement1", .Caption = "&Carry-Out Statement",
     .TargetClass = "TCarryOutStatementLookupList"},
    {.Depth = 2, .Name = "MonthlyStatements1", .Caption = "&Monthly Statements",
     .TargetClass = "TStatementMonthlyReport", .Style = osHidden},
    {.Depth = 1, .Name = "ViewCapturedEBillClaims1", .Caption = "&View Captured E-Bill Claims",
     .TargetClass = "TEbillViewer", .Style = osModal},
    {.Depth = 1, .Name = "DailyReconciliation1", .Caption = "&End of Day Report", .TargetClass = "TEndOfDayReportDlg"},
    {.Depth = 1, .Name = "Schedules1", .Caption = "&Scheduling", .TargetClass = "TScheduleDlg", .ReuseVisible = true},
    {.Depth = 1, .Name = "PrintLabels1", .Caption = "Print &Labels/Postcards"},
    {.Depth = 2, .Name = "BirthdayLabels1", .Caption = "&Birthday Labels", .TargetClass = "TBirthDayLabelsForm"},
    {.Depth = 2, .Name = "RecallLables1", .Caption = "&Recall Labels/Postcards", .TargetClass = "TPrintRecallLabelsDlg",
     .Style = osModal},
    {.Depth = 2, .Name = "InventoryLabels1", .Caption = "&Inventory Labels", .TargetClass = "TPrintSkuLabelsForm"},
    {.Depth = 2, .Name = "PatientLabels1", .Caption = "&Patient Labels"},
    {.Depth = 3, .Name = "PrintPatientLabels", .Caption = "&Print Labels", .TargetClass = "TPrintPatientLabelsDlg",
     .Style = osModal},
    {.Depth = 3, .Name = "PatientAddressesSDF", .Caption = "&Output to SDF File (patient.sdf)",
     .Handler = &F::PatientAddressesSDFClick},

    {.Depth = 0, .Name = "ListsMenu", .Caption = "&Lists", .Enabled = false},
    {.Depth = 1, .Name = "PatientsMenuItem", .Caption = "&Patients", .TargetClass = "TLookupList"},
    {.Depth = 1, .Name = "Items1", .Caption = "I&tems", .TargetClass = "TItemLookupList"},
    {.Depth = 1, .Name = "Personnel1", .Caption = "P&ersonnel", .TargetClass = "TPersonnelLookupList"},
    {.Depth = 1, .Name = "AccountCodes1", .Caption = "Chart of &Accounts", .TargetClass = "TAccountLookupList",
     .Visible = false, .Enabled = false},
    {.Depth = 1, .Name = "InsuranceClaimsMenuItem", .Caption = "&Insurance Claims", .TargetClass = "TClaimLookupList"},
    {.Depth = 1, .Name = "InsuraceCompanies1", .Caption = "I&nsurance Companies", .TargetClass = "TInsCompLookupList"},
    {.Depth = 1, .Name = "DiagnosisCodes1", .Caption = "&Diagnosis Codes", .TargetClass = "TDiagCodeLookupList"},
    {.Depth = 1, .Name = "CPTCodes1", .Caption = "&CPT Codes", .TargetClass = "TCPTCodeLookupList"},
    {.Depth = 1, .Name = "Patterns1", .Caption = "P&atterns", .TargetClass = "TPatternLookupList"},

    {.Depth = 0, .Name = "ReportsMenu", .Caption = "&Reports", .Enabled = false},
    {.Depth = 1, .Name = "Sales1", .Caption = "&Sales"},
    {.Depth = 2, .Name = "byDateReceipt1", .Caption = "by Date - Detail", .TargetClass = "TSalesByDayReport"},
    {.Depth = 2, .Name = "byDateSummary1", .Caption = "by Date - Summary", .TargetClass = "TSalesByDaySummaryReport"},
    {.Depth = 2, .Name = "byItemDetail1", .Caption = "by Item &Detail", .TargetClass = "TSalesByItemReport"},
    {.Depth = 2, .Name = "byProcedure1", .Caption = "by &Item Summary", .TargetClass = "TSalesByItemSummaryReport"},
    {.Depth = 2, .Name = "byPatientDetail1", .Caption = "by Patient Det&ail", .TargetClass = "TSalesByPatient"},
    {.Depth = 2, .Name = "byPersonnelDetail", .Caption = "by Personnel D&etail", .TargetClass = "TSalesByPersonnel"},
    {.Depth = 2, .Name = "byPatientSummary1", .Caption = "by &Patient Summary", .Visible = false},
    {.Depth = 2, .Name = "byDoctorSummary1", .Caption = "by &Doctor Summary", .Visible = false},
    {.Depth = 1, .Name = "Payments2", .Caption = "&Payments"},
    {.Depth = 2, .Name = "ByDate1", .Caption = "by Date", .TargetClass = "TPaymentsByDayReport"},
    {.Depth = 1, .Name = "Transactions1", .Caption = "&Transactions"},
    {.Depth = 2, .Name = "byDateDetail", .Caption = "by &Date Detail", .TargetClass = "TTransactionByDateReport"},
    {.Depth = 1, .Name = "AccountsReceivables1", .Caption = "Accounts &Receivables"},
    {.Depth = 2, .Name = "AgingDetail1", .Caption = "Aging &Detail", .TargetClass = "TARReportForm",
     .Style = osHiddenClosed},
    {.Depth = 1, .Name = "Items2", .Caption = "&Items"},
    {.Depth = 2, .Name = "AllItems", .Caption = "&All Items", .Handler = &F::AllItemsClick},
    {.Depth = 2, .Name = "ControlItems", .Caption = "&Controlled Items", .TargetClass = "TControlItemReport"},
    {.Depth = 2, .Name = "Reorder1", .Caption = "&Reorder", .TargetClass = "TReorder", .Style = osHiddenClosed},
    {.Depth = 1, .Name = "OtherReports1", .Caption = "&Other Reports"},
    {.Depth = 2, .Name = "SalesTax1", .Caption = "&Sales Tax", .TargetClass = "TSalesTaxReport"},
    {.Depth = 2, .Name = "TrialBalance1", .Caption = "&Trial Balance", .TargetClass = "TTrialBalanceForm",
     .Style = osHiddenClosed},

    {.Depth = 0, .Name = "UtilitiesMenu", .Caption = "&Utilities", .Enabled = false},
    {.Depth = 1, .Name = "Clear1", .Caption = "&Clear", .Visible = false},
    {.Depth = 2, .Name = "Receipts1", .Caption = "&Receipt Records", .Handler = &F::Receipts1Click, .Enabled = false},
    {.Depth = 2, .Name = "Payments1", .Caption = "P&ayments", .Handler = &F::Payments1Click},
    {.Depth = 2, .Name = "Deposits1", .Caption = "&Deposits", .Handler = &F::Deposits1Click},
    {.Depth = 2, .Name = "ClearAll1", .Caption = "Clear &All", .Handler = &F::ClearAll1Click, .Enabled = false},
    {.Depth = 1, .Name = "RebuildAccountBalances", .Caption = "Rebuild Account Balances",
     .Handler = &F::RebuildAccountBalancesClick},

    {.Depth = 0, .Name = "HelpMenu", .Caption = "&Help", .Enabled = false},
    {.Depth = 1, .Name = "Contents1", .Caption = "&Contents", .Handler = &F::Contents1Click},
    {.Depth = 1, .Name = "About1", .Caption = "&About Quenmark", .Handler = &F::About},
};

const TSpeedButtonEntry Buttons[] = {
    {"ReceiptSpeedButton", "Receipt", "Edit Receipt", "CreateReceipt1", true},
    {"PatientSpeedButton", "Patients", "Patient Information", "PatientsMenuItem", true},
    {"PaymentSpeedButton", "Payments", "Payments/Refunds", "ReceivePayments1", false},
    {"ClaimSpeedButton", "Claims", "Insurance Claims", "InsuranceClaimsMenuItem", false},
    {"ItemSpeedButton", "Items", "Items", "Items1", false},
    {"ScheduleSpeedButton", "Schedule", "Scheduling", "Schedules1", true},
};

}  // namespace

namespace MainMenuItems {

std::span<const TMenuEntry> Entries() { return Menu; }

std::span<const TSpeedButtonEntry> SpeedButtons() { return Buttons; }

const TMenuEntry* Find(const char* Name) {
    for (const TMenuEntry& entry : Menu)
        if (std::strcmp(entry.Name, Name) == 0)
            return &entry;
    return nullptr;
}

//                                  File       Printer    Rebuild    Prefs      work menus   Help       buttons
const TMenuState EnableMainMenu{isEnabled, isEnabled, isEnabled, isEnabled, isEnabled, isEnabled, isEnabled};
const TMenuState DisableMainMenu{isDisabled, isUnchanged, isUnchanged, isUnchanged,
                                 isDisabled, isDisabled,  isDisabled};
const TMenuState EnableFilesOnlyMenu{isEnabled, isDisabled, isDisabled, isDisabled,
                                     isUnchanged, isEnabled, isUnchanged};

}  // namespace MainMenuItems
