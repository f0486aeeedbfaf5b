#include "reports/ReportForms.h"

#include "base/Classes.h"
#include "reports/SalesByDay.h"
#include "reports/SalesByDaySummary.h"
#include "reports/PaymentsByDay.h"
#include "reports/TransactionByDate.h"

void RegisterReportForms() { RegisterClasses<TSalesByDayReport, TSalesByDaySummaryReport, TTransactionByDateReport,
                    TPaymentsByDayReport>(); }
