#include "shell/ProgramForms.h"

#include "patients/ClaimDialog.h"
#include "patients/EbillViewer.h"
#include "patients/PatientInfo.h"
#include "reports/ReportForms.h"
#include "sales/DepositForm.h"
#include "sales/PaymentForm.h"
#include "sales/ReceiptForm.h"
#include "shell/Startup.h"

void registerProgramForms() {
    registerEbillViewer();
    registerPatientForms();
    registerClaimForms();
    registerPaymentForm();
    registerDepositForm();
    registerReceiptForm();
    registerReportForms();
    registerShellParts();
}
