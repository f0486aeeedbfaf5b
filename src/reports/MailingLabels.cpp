#include "reports/MailingLabels.h"

#include "base/SysUtils.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "reporting/RSBase.h"
#include "reporting/RSLabel.h"
#include "reporting/RSSystem.h"

TPostalAddress patientAddress(TDataSet& Patients) {
    auto field = [&Patients](const char* Name) { return Trim(Patients.FieldByName(Name)->AsString()); };
    return {field("NAME"), field("ADDR"), field("CITY"), field("STATE"), field("ZIP")};
}

std::string CityLine(const TPostalAddress& Address) {
    std::string line = Address.City;
    if (!Address.State.empty()) line += ", " + Address.State;
    if (!Address.Zip.empty()) line += "  " + Address.Zip;
    return line;
}

void printAddressBlock(TBaseReport& Report, const TPostalAddress& Address, bool AtTabStop) {
    auto line = [&Report, AtTabStop](const std::string& Text) {
        if (AtTabStop)
            Report.PrintTab(Text);
        else
            Report.Print(Text);
        Report.NewLine();
    };
    line(Address.Name);
    if (!Address.Addr.empty()) line(Address.Addr);
    line(CityLine(Address));
}

TLabelShell* makeAddressLabels(TComponent* Form, TReportSystem* Runner) {
    auto* shell = new TLabelShell(Form);
    shell->SetEngine(Runner);
    // The stock brings the geometry and the rounded outline.
    shell->SetLabelBrand(lbAV5260);
    shell->SetBorder(0.2);
    shell->SetDrawExtents(true);
    return shell;
}

TReportSystem* makeMailingReportSystem(TComponent* Form) {
    auto* runner = new TReportSystem(Form);
    runner->SetName("ReportSystem1");
    runner->SetTitleSetup("Report Setup");
    runner->SetTitleStatus("Report Status");
    runner->SetTitlePreview("Report Preview");
    runner->SystemFiler()->SetStatusFormat("Generating page %p");
    runner->SystemPreview()->SetMarginPercent(1.0);
    runner->SystemPreview()->SetShadowDepth(2);
    runner->SystemPreview()->SetZoomFactor(70);
    TSystemPrinter* printer = runner->SystemPrinter();
    printer->SetScaleX(100);
    printer->SetScaleY(100);
    printer->SetStatusFormat("Printing page %p");
    printer->SetTitle("DazedeVedodev Report");
    printer->SetUnitsFactor(1.0);
    return runner;
}
