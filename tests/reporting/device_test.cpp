// The report printer device: its printer list and selection, the settings
// record and when changes reach the page, contexts and the canvas across
// them, the print job, and the device without printers.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Streams.h"
#include "reporting/project/DZProj.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSFiler.h"
#include "reporting/RSPrinter.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/Dialogs.h"

namespace {

constexpr int StandInDpi = 300;

// A printer beside the PDF printer with what the PDF printer lacks: copies,
// duplex, collation and several bins. Its jobs go to the PDF printer.
class StandInPrinter : public TPrinterDriver {
public:
    explicit StandInPrinter(TSize minExtent = {500, 0}, TSize maxExtent = {3000, 4000})
        : TPrinterDriver("Label Writer", "LBLDRV", "USB001"), minExtent_(minExtent), maxExtent_(maxExtent) {}

    TDevMode DefaultDevMode() const override {
        TDevMode dm;
        dm.DeviceName = Device();
        dm.Fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_DEFAULTSOURCE |
                    DM_DUPLEX | DM_COLLATE;
        return dm;
    }
    std::vector<TPaperInfo> Papers() const override {
        return {{DMPAPER_LETTER, "Letter", 2159, 2794}, {DMPAPER_A4, "A4", 2100, 2970}, {DMPAPER_USER, "Custom", 0, 0}};
    }
    std::vector<TBinInfo> Bins() const override {
        return {{1, "Upper Tray"}, {4, "Manual Feed"}, {DMBIN_AUTO, "Automatically Select"}};
    }
    TSize MinExtent() const override { return minExtent_; }
    TSize MaxExtent() const override { return maxExtent_; }
    int MaxCopies() const override { return 99; }
    TDeviceCaps CapsFor(const TDevMode* devMode) const override {
        const TDevMode dm = devMode ? *devMode : DefaultDevMode();
        const TSize paper = paperSizeFor(dm);
        TDeviceCaps caps;
        caps.Technology = DT_RASPRINTER;
        caps.LogPixelsX = caps.LogPixelsY = StandInDpi;
        caps.PhysicalWidth = static_cast<int>(std::lround(paper.cx / 254.0 * StandInDpi));
        caps.PhysicalHeight = static_cast<int>(std::lround(paper.cy / 254.0 * StandInDpi));
        caps.PhysicalOffsetX = caps.PhysicalOffsetY = StandInDpi / 4;
        caps.HorzRes = caps.PhysicalWidth - StandInDpi / 2;
        caps.VertRes = caps.PhysicalHeight - StandInDpi / 2;
        return caps;
    }
    std::unique_ptr<TPrinterContext> CreateDC(const TDevMode* devMode) const override {
        return pdfPrinter()->CreateDC(devMode);
    }

private:
    TSize minExtent_, maxExtent_;
};

const StandInPrinter& standIn() {
    static const StandInPrinter printer;
    return printer;
}

// The stand-in first, the PDF printer last, as on a machine with one printer.
TRSDevice twoPrinters(const std::string& defaultDevice = "Label Writer") {
    return TRSDevice({&standIn(), pdfPrinter()}, defaultDevice);
}

std::string raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const EDazedeVedodev& e) {
        return e.what();
    }
    return "";
}

const std::string NotPrinting = "Invalid method call.  Device is not printing.";
const std::string AlreadyPrinting = "Invalid method call.  Device already printing.";

}  // namespace

TEST(ReportDevice, ListsDeviceOnPortWithThePdfPrinterLast) {
    TRSDevice& global = *GlobalReportDevice();
    EXPECT_EQ(&global, GlobalReportDevice());
    TStringList* printers = global.Printers();
    ASSERT_GE(printers->Count(), 1);
    EXPECT_EQ(printers->Strings(printers->Count() - 1), "PDF on FILE:");
    const auto* pdf = static_cast<const TRSDeviceItem*>(printers->Objects(printers->Count() - 1));
    EXPECT_EQ(pdf->Device, "PDF");
    EXPECT_EQ(pdf->Driver, "Quenmark PDF");
    EXPECT_EQ(pdf->Port, "FILE:");
    TDazedeVedodev report(nullptr);
    EXPECT_EQ(report.Device(), GlobalReportDevice());

    TRSDevice device = twoPrinters();
    EXPECT_EQ(device.Printers()->Text(), "Label Writer on USB001\r\nPDF on FILE:\r\n");
}

TEST(ReportDevice, defaultPrinter) {
    struct Case {
        const char* defaultDevice;
        int index;
    };
    for (const Case& c : {Case{"Label Writer", 0}, Case{"label writer", 0}, Case{"PDF", 1}, Case{"", 1},
                          Case{"Missing Printer", 1}}) {
        TRSDevice device = twoPrinters(c.defaultDevice);
        EXPECT_EQ(device.PrinterIndex(), c.index) << c.defaultDevice;
        EXPECT_EQ(device.Device(), c.index == 0 ? "Label Writer" : "PDF");
    }
}

TEST(ReportDevice, SelectionByName) {
    struct Case {
        const char* name;
        bool exact;
        int selected;  // -1: no match
    };
    const Case cases[] = {
        {"Label Writer on USB001", true, 0}, {"label writer on usb001", true, -1}, {"Label Writer on USB002", true, -1},
        {"Label Writer", true, 0},           {"Label", true, -1},                  {"PDF on FILE:", true, 1},
        {"PDF", true, 1},                    {"writer", false, 0},                 {"ON FILE", false, 1},
        {"usb001", false, 0},                {"Laser", false, -1},
    };
    for (const Case& c : cases) {
        TRSDevice device = twoPrinters("PDF");
        device.SetPrinterIndex(c.selected == 0 ? 1 : 0);  // start on the other one
        const int before = device.PrinterIndex();
        EXPECT_EQ(device.SelectPrinter(c.name, c.exact), c.selected >= 0) << c.name;
        EXPECT_EQ(device.PrinterIndex(), c.selected >= 0 ? c.selected : before) << c.name;
    }
    // The report tries the exact name first, then any part of it.
    TRSDevice device = twoPrinters("PDF");
    TDazedeVedodev report(nullptr);
    report.SetDevice(&device);
    EXPECT_TRUE(report.SelectPrinter("label"));
    EXPECT_EQ(report.DeviceName(), "Label Writer");
    EXPECT_FALSE(report.SelectPrinter("Laser"));
    EXPECT_EQ(report.DeviceName(), "Label Writer");
}

TEST(ReportDevice, IndexChangesOutsideTheListDoNothing) {
    TRSDevice device = twoPrinters();
    device.SetPrinterIndex(1);
    device.SetPrinterIndex(2);
    EXPECT_EQ(device.PrinterIndex(), 1);
    device.SetPrinterIndex(-1);
    EXPECT_EQ(device.PrinterIndex(), 0);
}

TEST(ReportDevice, Copies) {
    struct Case {
        bool pdf;
        int value, copies;
    };
    const Case cases[] = {{false, 2, 2}, {false, 99, 99}, {false, 100, 1}, {false, 0, 1},
                          {false, -3, 1}, {true, 2, 1},   {true, 1, 1}};
    for (const Case& c : cases) {
        TRSDevice device = twoPrinters(c.pdf ? "PDF" : "Label Writer");
        EXPECT_EQ(device.MaxCopies(), c.pdf ? 1 : 99);
        device.SetCopies(c.value);
        EXPECT_EQ(device.Copies(), c.copies) << c.value;
        EXPECT_EQ(device.DevModeChanged(), c.copies != 1) << c.value;
        EXPECT_EQ((device.DevMode()->Fields & DM_COPIES) != 0, !c.pdf) << c.value;
    }
}

TEST(ReportDevice, DuplexCollateOrientationAndBins) {
    TRSDevice device = twoPrinters();
    EXPECT_TRUE(device.CanDuplex());
    struct DuplexCase {
        int value, stored, read;
    };
    for (const DuplexCase& c : {DuplexCase{1, DMDUP_VERTICAL, 1}, DuplexCase{2, DMDUP_HORIZONTAL, 2},
                                DuplexCase{3, DMDUP_HORIZONTAL, 2}, DuplexCase{0, DMDUP_SIMPLEX, 0}}) {
        device.SetDuplex(c.value);
        EXPECT_EQ(device.DevMode()->Duplex, c.stored) << c.value;
        EXPECT_EQ(device.Duplex(), c.read) << c.value;
    }
    device.SetCollate(true);
    EXPECT_TRUE(device.Collate());
    EXPECT_EQ(device.DevMode()->Collate, 1);

    device.SetOrientation(TOrientation::poDefault);
    EXPECT_EQ(device.Orientation(), TOrientation::poPortrait);
    EXPECT_EQ(device.PageWidth(), 2400);
    device.SetOrientation(TOrientation::poLandScape);
    EXPECT_TRUE(device.DevModeChanged());
    EXPECT_TRUE((device.DevMode()->Fields & DM_ORIENTATION) != 0);
    EXPECT_EQ(device.PageWidth(), 3150);  // applied to the information context
    EXPECT_EQ(device.PageHeight(), 2400);
    EXPECT_FALSE(device.DevModeChanged());

    EXPECT_EQ(device.Bins()->Text(), "Upper Tray\r\nManual Feed\r\nAutomatically Select\r\n");
    EXPECT_FALSE(device.SelectBin("manual", true));
    EXPECT_TRUE(device.SelectBin("manual", false));
    EXPECT_EQ(device.DevMode()->DefaultSource, 4);
    EXPECT_TRUE(device.SelectBin("Upper Tray", true));
    EXPECT_EQ(device.DevMode()->DefaultSource, 1);
    EXPECT_FALSE(device.SelectBin("Envelope", false));

    TRSDevice pdf = twoPrinters("PDF");
    EXPECT_FALSE(pdf.CanDuplex());
    pdf.SetDuplex(1);
    pdf.SetCollate(true);
    EXPECT_EQ(pdf.Duplex(), 0);
    EXPECT_FALSE(pdf.Collate());
    EXPECT_FALSE(pdf.DevModeChanged());
}

TEST(ReportDevice, PaperSizes) {
    struct Case {
        TSize minExtent, maxExtent;
        int paper, width, length;
        bool accepted;
    };
    const TSize noLimit{-1, -1};
    const Case cases[] = {
        {{500, 0}, {3000, 4000}, DMPAPER_A4, 0, 0, true},
        {{500, 0}, {3000, 4000}, DMPAPER_LETTER, 0, 0, false},  // already Letter
        {{500, 0}, {3000, 4000}, DMPAPER_LEGAL, 0, 0, false},   // not a paper of the printer
        {{500, 0}, {3000, 4000}, 0, 1000, 1500, true},
        {{500, 0}, {3000, 4000}, 0, 500, 500, true},            // a length limit of 0 is the width's
        {{500, 0}, {3000, 4000}, 0, 499, 1500, false},
        {{500, 0}, {3000, 4000}, 0, 1000, 4001, false},
        {noLimit, noLimit, 0, 1, 32767, true},
        {noLimit, noLimit, 0, 1, 32768, false},
    };
    for (const Case& c : cases) {
        const StandInPrinter printer(c.minExtent, c.maxExtent);
        TRSDevice device({&printer}, "");
        EXPECT_EQ(device.SetPaperSize(c.paper, c.width, c.length), c.accepted)
            << c.paper << " " << c.width << "x" << c.length;
        if (c.accepted && c.width != 0) {
            EXPECT_EQ(device.DevMode()->PaperSize, DMPAPER_USER);
            EXPECT_EQ(device.DevMode()->PaperWidth, c.width);
            EXPECT_EQ(device.DevMode()->PaperLength, c.length);
        }
    }
    TRSDevice pdf = twoPrinters("PDF");
    EXPECT_TRUE(pdf.SupportsPaper(DMPAPER_A4));
    EXPECT_FALSE(pdf.SupportsPaper(DMPAPER_USER + 1));
    EXPECT_EQ(pdf.Papers()->Strings(0), "Letter");
}

TEST(ReportDevice, ContextsKeepTheCanvasAttributes) {
    TempDir dir;
    TRSDevice device = twoPrinters("PDF");
    EXPECT_EQ(device.DeviceState(), 0);
    TCanvas* canvas = device.Canvas();
    EXPECT_EQ(device.DeviceState(), 1);
    canvas->Pen()->SetWidth(5);
    canvas->Brush()->SetColor(clRed);
    canvas->Font()->SetName("Courier New");
    device.SetOutputFile(dir.file("job.pdf"));
    device.BeginDoc();
    EXPECT_EQ(device.DeviceState(), 2);
    EXPECT_EQ(canvas->Handle(), device.Handle());
    EXPECT_EQ(canvas->Pen()->Width(), 5);
    EXPECT_EQ(canvas->Brush()->Color(), clRed);
    EXPECT_EQ(canvas->Font()->Name(), "Courier New");
    EXPECT_EQ(canvas->Font()->PixelsPerInch(), 600);
    device.NewPage(true);
    canvas->TextOut(600, 600, "Job");
    device.EndDoc();
    EXPECT_EQ(device.DeviceState(), 0);
    EXPECT_EQ(device.LastOutputFile(), dir.file("job.pdf"));
    EXPECT_EQ(PdfPageCount(dir.file("job.pdf")), 1);
    EXPECT_EQ(canvas->Pen()->Width(), 5);
}

TEST(ReportDevice, JobRulesAndMessages) {
    TempDir dir;
    TRSDevice device = twoPrinters("PDF");
    EXPECT_EQ(raised([&] { device.NewPage(true); }), NotPrinting);
    EXPECT_EQ(raised([&] { device.EndDoc(); }), NotPrinting);
    EXPECT_EQ(raised([&] { device.Abort(); }), NotPrinting);
    device.SetOutputFile(dir.file("rules.pdf"));
    device.BeginDoc();
    EXPECT_EQ(raised([&] { device.BeginDoc(); }), AlreadyPrinting);
    EXPECT_EQ(raised([&] { device.SetPrinterIndex(0); }), AlreadyPrinting);
    EXPECT_EQ(raised([&] { device.SelectPrinter("Label", false); }), AlreadyPrinting);
    EXPECT_EQ(raised([&] { device.SetCopies(2); }), AlreadyPrinting);
    EXPECT_EQ(raised([&] { device.SetOutputFile("other.pdf"); }), AlreadyPrinting);
    // Suppressed pages open no device page: the job has one page.
    device.NewPage(false);
    device.NewPage(true);
    device.Canvas()->TextOut(600, 600, "Only page");
    device.NewPage(false);
    device.EndDoc();
    EXPECT_EQ(PdfPageCount(dir.file("rules.pdf")), 1);

    // Abort with a page open ends the page and leaves no file.
    device.SetOutputFile(dir.file("aborted.pdf"));
    device.BeginDoc();
    device.NewPage(true);
    device.Canvas()->TextOut(600, 600, "Aborted");
    device.Abort();
    EXPECT_FALSE(device.Printing());
    EXPECT_FALSE(device.Aborted());
    EXPECT_FALSE(std::filesystem::exists(dir.file("aborted.pdf")));
    EXPECT_EQ(device.LastOutputFile(), "");
}

TEST(ReportDevice, WithoutPrinters) {
    TRSDevice device({}, "");
    EXPECT_FALSE(device.HasPrinters());
    device.SetPrinterIndex(-1);
    EXPECT_EQ(device.PrinterIndex(), -2);
    EXPECT_EQ(device.Handle(), nullptr);
    EXPECT_EQ(device.Canvas(), nullptr);
    EXPECT_EQ(device.DevMode(), nullptr);
    EXPECT_EQ(device.MaxCopies(), 1);
    device.SetCopies(3);
    device.SetOrientation(TOrientation::poLandScape);
    EXPECT_EQ(device.Orientation(), TOrientation::poPortrait);
    EXPECT_FALSE(device.SetPaperSize(DMPAPER_A4, 0, 0));
    EXPECT_FALSE(device.SelectBin("Tray", false));
    EXPECT_FALSE(device.SelectPrinter("PDF", false));
    EXPECT_EQ(device.Bins()->Count(), 0);

    TDazedeVedodev report(nullptr);
    report.SetDevice(&device);
    EXPECT_TRUE(report.NoPrinters());
    EXPECT_EQ(report.XDPI(), 96);
    EXPECT_DOUBLE_EQ(report.PageWidth(), 8.5);
    EXPECT_DOUBLE_EQ(report.PageHeight(), 11);
}

TEST(ReportDevice, PrintSetupDialog) {
    {
        TRSDevice device = twoPrinters();
        TDialogScript script;
        script.Answer(mrOk, "PDF");
        EXPECT_TRUE(device.PrinterSetupDialog());
        EXPECT_EQ(device.Device(), "PDF");
        EXPECT_EQ(script.Shown().at(0).Kind, TDialogKind::PrinterSetupDialog);
    }
    {
        TRSDevice device = twoPrinters();
        device.SetCopies(5);
        TDialogScript script;
        script.Answer(mrCancel);
        EXPECT_FALSE(device.PrinterSetupDialog());
        EXPECT_EQ(device.Device(), "Label Writer");
        EXPECT_EQ(device.Copies(), 5);
    }
    {
        // A printer the device does not list.
        TRSDevice device({&standIn()}, "");
        TDialogScript script;
        script.Answer(mrOk, "PDF");
        EXPECT_EQ(raised([&] { device.PrinterSetupDialog(); }), "Invalid Printer - PDF on FILE: (Quenmark PDF)");
        EXPECT_EQ(device.Device(), "Label Writer");
    }
}

// A stream recorded on a printer with manual feed, collation and two-sided
// printing sets them on the printer that plays it, unless that keeps its own;
// a project page asks for its bin by number.
TEST(ReportDevice, AStreamsBinCollateAndDuplexApplyUnlessThePlayerKeepsItsSettings) {
    std::string bytes;
    {
        TRSDevice recording = twoPrinters();
        ASSERT_TRUE(recording.SelectBin("Manual Feed", true));
        recording.SetCollate(true);
        recording.SetDuplex(2);
        TReportFiler filer(nullptr);
        filer.SetDevice(&recording);
        filer.OnPrint = [&](TObject*) { filer.PrintXY(1, 1, "Settings"); };
        filer.Execute();
        bytes.assign(filer.MemoryStream()->Memory(), static_cast<std::size_t>(filer.MemoryStream()->Size()));
    }
    for (bool keep : {false, true}) {
        TempDir dir;
        TRSDevice device = twoPrinters();
        const int defaultBin = device.DevMode()->DefaultSource;
        ASSERT_NE(defaultBin, 4);
        ASSERT_FALSE(device.Collate());
        ASSERT_EQ(device.Duplex(), 0);
        TStringStream input(bytes);
        TFilePrinter player(nullptr);
        player.SetDevice(&device);
        player.SetStreamMode(smUser);
        player.SetStream(&input);
        player.SetKeepPrinterSettings(keep);
        player.SetOutputFileName(dir.file("settings.pdf"));
        player.Execute();
        EXPECT_EQ(PdfPageCount(dir.file("settings.pdf")), 1);
        EXPECT_EQ(device.DevMode()->DefaultSource, keep ? defaultBin : 4) << keep;
        EXPECT_EQ(device.Collate(), !keep) << keep;
        EXPECT_EQ(device.Duplex(), keep ? 0 : 2) << keep;
    }

    TRSDevice device = twoPrinters();
    EXPECT_EQ(device.BinName(4), "Manual Feed");
    EXPECT_EQ(device.BinName(3), "");
    TDuzuProjectManager project(nullptr);
    TDuzuReport* report = project.NewReport();
    static_cast<TDuzuPage*>(report->GetChild(0))->SetBin(4);
    TempDir dir;
    TDazedeVedodev engine(nullptr);
    engine.SetDevice(&device);
    engine.SetOutputFileName(dir.file("bin.pdf"));
    report->Execute(&engine);
    EXPECT_EQ(device.DevMode()->DefaultSource, 4);
}
