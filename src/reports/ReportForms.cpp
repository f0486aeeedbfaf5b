#include "reports/ReportForms.h"

#include "base/Classes.h"
#include "reports/SalesByDay.h"
#include "reports/SalesByDaySummary.h"
#include "reports/PaymentsByDay.h"
#include "reports/TransactionByDate.h"
#include "reports/ReorderReport.h"
#include "reports/SalesByPatient.h"
#include "reports/SalesByPersonnel.h"
#include "reports/ControlItemRpt.h"
#include "reports/SalesByItem.h"
#include "reports/SalesByItemSummary.h"
#include "reports/SalesTax.h"
#include "reports/PrintPatientLabels.h"
#include "reports/BDLabel.h"
#include "reports/PrintRecallLabels.h"
#include "reports/TrialBalance.h"
#include "reports/ARReport.h"
#include "reports/EndOfDayRpt.h"
#include "reports/StatementMonthly.h"
#include "reports/StatementWalkout.h"

void registerReportForms() {
    RegisterClass<TSalesByDayReport>();
    RegisterClass<TSalesByDaySummaryReport>();
    RegisterClass<TTransactionByDateReport>();
    RegisterClass<TPaymentsByDayReport>();
    RegisterClass<TReorder>();
    RegisterClass<TControlItemReport>();
    RegisterClass<TSalesByPatient>();
    RegisterClass<TSalesByPersonnel>();
    RegisterClass<TSalesByItemReport>();
    RegisterClass<TSalesByItemSummaryReport>();
    RegisterClass<TSalesTaxReport>();
    RegisterClass<TPrintPatientLabelsDlg>();
    RegisterClass<TBirthDayLabelsForm>();
    RegisterClass<TPrintRecallLabelsDlg>();
    RegisterClass<TTrialBalanceForm>();
    RegisterClass<TARReportForm>();
    RegisterClass<TEndOfDayReportDlg>();
    RegisterClass<TStatementMonthlyReport>();
    RegisterClass<TStatementWalkoutReport>();
}
