// The quenmark program. The forms of the folders above the application
// shell register here, before the shell starts, as they are built.
#include "patients/ClaimDialog.h"
#include "patients/EbillViewer.h"
#include "patients/PatientInfo.h"
#include "reports/ReportForms.h"
#include "sales/DepositForm.h"
#include "sales/PaymentForm.h"
#include "sales/ReceiptForm.h"
#include "shell/Startup.h"

int main(int argc, char** argv) {
    RegisterEbillViewer();
    RegisterPatientForms();
    RegisterClaimForms();
    RegisterPaymentForm();
    RegisterDepositForm();
    RegisterReceiptForm();
    RegisterReportForms();
    return RunQuenmark(argc, argv);
}
