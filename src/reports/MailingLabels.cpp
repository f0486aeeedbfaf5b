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

void setAddressLabelSheet(TLabelShell& Shell) {
    // The stock brings the geometry and the rounded outline.
    Shell.SetLabelBrand(lbAV5260);
    Shell.SetBorder(0.2);
    Shell.SetDrawExtents(true);
}

void presetMailingReportSystem(TReportSystem& Runner) {
    Runner.SetTitleSetup("Report Setup");
    Runner.SetTitleStatus("Report Status");
    Runner.SetTitlePreview("Report Preview");
    Runner.SystemFiler()->SetStatusFormat("Generating page %p");
    Runner.SystemPreview()->SetMarginPercent(1.0);
    Runner.SystemPreview()->SetShadowDepth(2);
    Runner.SystemPreview()->SetZoomFactor(70);
    TSystemPrinter* printer = Runner.SystemPrinter();
    printer->SetScaleX(100);
    printer->SetScaleY(100);
    printer->SetStatusFormat("Printing page %p");
    printer->SetTitle("DazedeVedodev Report");
    printer->SetUnitsFactor(1.0);
}
