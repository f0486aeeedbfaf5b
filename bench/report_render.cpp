// One code-driven report of 1,000 Letter pages (a bold title and the date,
// a shaded heading row in boxes, 50 detail lines in five tab columns with
// right-aligned amounts, a rule and "Page n of 1000") against the same
// pages drawn with QPainter straight onto the device:
//   report_stream      ours records the run into a memory stream; the peer
//                      records each page into a QPicture
//   report_pdf         ours prints the run through the PDF printer; the peer
//                      paints the pages onto a QPdfWriter
//   report_stream_pdf  ours plays a recorded stream to the PDF printer; the
//                      peer replays its QPictures onto a QPdfWriter
// Both PDFs are checked: 1,000 pages and a detail row found in the text.
#include <QApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSFiler.h"
#include "reporting/RSPrinter.h"
#include "ui/Application.h"
#include "ui/PrinterDrivers.h"

namespace {

constexpr int kPages = 1000;
constexpr int kLines = 50;
constexpr int kDpi = 600;  // the PDF printer's resolution
const char* const kTitle = "Quenmark Optical - Daily Receipts";
const char* const kDate = "December 10, 2026";
const char* const kHeadings[] = {"Receipt", "Patient", "Date", "Paid", "Balance"};
// Tab columns: left edge and width in inches; the last two are right-aligned.
const double kTabLeft[] = {0.5, 2.0, 4.5, 5.7, 6.7};
const double kTabWidth[] = {1.5, 2.5, 1.2, 1.0, 1.3};
constexpr double kTabMargin = 0.05;
constexpr double kHeadingTop = 1.1;
constexpr double kDetailTop = 1.6;
constexpr double kLineHeight = 1.0 / 6.0;
constexpr double kRuleY = 10.1;
constexpr double kFooterY = 10.5;

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "report_render: %s\n", why.c_str());
    std::exit(1);
}

std::string Cell(int page, int line, int column) {
    const int receipt = (page - 1) * kLines + line + 1;
    char text[48];
    switch (column) {
        case 0: std::snprintf(text, sizeof text, "R%07d", receipt); break;
        case 1: std::snprintf(text, sizeof text, "PATIENT %06d", receipt % 99991); break;
        case 2: std::snprintf(text, sizeof text, "12/%02d/2026", 1 + receipt % 28); break;
        case 3: std::snprintf(text, sizeof text, "%d.%02d", receipt % 900, receipt % 100); break;
        default: std::snprintf(text, sizeof text, "%d.%02d", receipt % 300, (receipt * 7) % 100); break;
    }
    return text;
}

std::string Footer(int page) { return "Page " + std::to_string(page) + " of " + std::to_string(kPages); }

// ---------------------------------------------------------------- ours

void PrintReport(TBaseReport& r) {
    for (int page = 1; page <= kPages; ++page) {
        if (page > 1) r.NewPage();
        r.SetFont("Arial", 14);
        r.SetBold(true);
        r.PrintXY(0.5, 0.75, kTitle);
        r.SetBold(false);
        r.SetFont("Arial", 10);
        r.PrintRight(kDate, 8.0);
        r.ClearTabs();
        for (int c = 0; c < 5; ++c)
            r.SetTab(kTabLeft[c], c < 3 ? pjLeft : pjRight, kTabWidth[c], kTabMargin * 100, BOXLINEALL, 15);
        r.SetLineTop(kHeadingTop);
        for (const char* heading : kHeadings) r.PrintTab(heading);
        r.ClearTabs();
        for (int c = 0; c < 5; ++c)
            r.SetTab(kTabLeft[c], c < 3 ? pjLeft : pjRight, kTabWidth[c], kTabMargin * 100, BOXLINENONE, 0);
        r.SetLineTop(kDetailTop);
        for (int line = 0; line < kLines; ++line) {
            for (int c = 0; c < 5; ++c) r.PrintTab(Cell(page, line, c));
            r.NewLine();
        }
        r.SetPen(clBlack, psSolid, -1, pmCopy);
        r.MoveTo(0.5, kRuleY);
        r.LineTo(8.0, kRuleY);
        r.SetYPos(kFooterY);
        r.PrintCenter(Footer(page), 4.25);
    }
}

// ---------------------------------------------------------------- the peer

QFont PeerFont(double points, bool bold) {
    QFont font("Arial");
    font.setPixelSize(static_cast<int>(points / 72.0 * kDpi + 0.5));
    font.setBold(bold);
    return font;
}

// One page at kDpi device pixels per inch.
void PaintPage(QPainter& p, int page) {
    auto px = [](double inches) { return inches * kDpi; };
    const QFont title = PeerFont(14, true), body = PeerFont(10, false);
    p.setFont(title);
    p.drawText(QPointF(px(0.5), px(0.75)), kTitle);
    p.setFont(body);
    const QFontMetricsF metrics(body, p.device());
    p.drawText(QPointF(px(8.0) - metrics.horizontalAdvance(kDate), px(0.75)), kDate);
    const double ascent = metrics.ascent();
    const QColor shade(217, 217, 217);
    p.setPen(QPen(Qt::black, 1));
    for (int c = 0; c < 5; ++c) {
        const QRectF box(px(kTabLeft[c]), px(kHeadingTop), px(kTabWidth[c]), px(kLineHeight));
        p.fillRect(box, shade);
        p.drawRect(box);
        const double baseline = px(kHeadingTop) + ascent;
        if (c < 3) {
            p.drawText(QPointF(px(kTabLeft[c] + kTabMargin), baseline), kHeadings[c]);
        } else {
            const double right = px(kTabLeft[c] + kTabWidth[c] - kTabMargin);
            p.drawText(QPointF(right - metrics.horizontalAdvance(kHeadings[c]), baseline), kHeadings[c]);
        }
    }
    for (int line = 0; line < kLines; ++line) {
        const double baseline = px(kDetailTop + line * kLineHeight) + ascent;
        for (int c = 0; c < 5; ++c) {
            const QString text = QString::fromStdString(Cell(page, line, c));
            if (c < 3) {
                p.drawText(QPointF(px(kTabLeft[c] + kTabMargin), baseline), text);
            } else {
                const double right = px(kTabLeft[c] + kTabWidth[c] - kTabMargin);
                p.drawText(QPointF(right - metrics.horizontalAdvance(text), baseline), text);
            }
        }
    }
    p.drawLine(QPointF(px(0.5), px(kRuleY)), QPointF(px(8.0), px(kRuleY)));
    const QString footer = QString::fromStdString(Footer(page));
    p.drawText(QPointF(px(4.25) - metrics.horizontalAdvance(footer) / 2, px(kFooterY)), footer);
}

std::unique_ptr<QPdfWriter> PeerWriter(const std::string& file) {
    auto writer = std::make_unique<QPdfWriter>(QString::fromStdString(file));
    writer->setResolution(kDpi);
    writer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    return writer;
}

std::vector<QPicture> PeerRecord() {
    std::vector<QPicture> pictures(kPages);
    for (int page = 1; page <= kPages; ++page) {
        QPainter p(&pictures[static_cast<std::size_t>(page - 1)]);
        PaintPage(p, page);
    }
    return pictures;
}

// ---------------------------------------------------------------- shared

struct Sides {
    ScratchFolder folder;
    std::unique_ptr<TRSDevice> device;
    std::string stream;             // one recorded run, for the playing case
    std::vector<QPicture> pictures;  // the peer's recorded pages
};
Sides* sides = nullptr;

std::string RecordStream() {
    TReportFiler filer(nullptr);
    filer.SetDevice(sides->device.get());
    filer.OnPrint = [&](TObject*) { PrintReport(filer); };
    filer.Execute();
    TMemoryStream* memory = filer.MemoryStream();
    return std::string(memory->Memory(), static_cast<std::size_t>(memory->Size()));
}

void PrintOursToPdf(const std::string& file) {
    TDazedeVedodev report(nullptr);
    report.SetDevice(sides->device.get());
    report.SetOutputFileName(file);
    report.OnPrint = [&](TObject*) { PrintReport(report); };
    report.Execute();
}

void PlayOursToPdf(const std::string& file) {
    TStringStream input(sides->stream);
    TFilePrinter player(nullptr);
    player.SetDevice(sides->device.get());
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    player.SetOutputFileName(file);
    player.Execute();
}

void PaintPeerToPdf(const std::string& file) {
    auto writer = PeerWriter(file);
    QPainter p(writer.get());
    for (int page = 1; page <= kPages; ++page) {
        if (page > 1) writer->newPage();
        PaintPage(p, page);
    }
}

void ReplayPeerToPdf(const std::string& file) {
    auto writer = PeerWriter(file);
    QPainter p(writer.get());
    for (int page = 1; page <= kPages; ++page) {
        if (page > 1) writer->newPage();
        const QPicture& picture = sides->pictures[static_cast<std::size_t>(page - 1)];
        // A picture plays scaled from its own resolution to the device's; its
        // drawing is already in device pixels, so the scale is taken back.
        p.save();
        p.scale(double(picture.logicalDpiX()) / kDpi, double(picture.logicalDpiY()) / kDpi);
        p.drawPicture(0, 0, picture);
        p.restore();
    }
}

std::string Tool(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

void CheckPdf(const std::string& file, const char* who) {
    const std::string info = Tool("pdfinfo '" + file + "' 2>/dev/null");
    if (info.find("Pages:") == std::string::npos ||
        std::atoi(info.c_str() + info.find("Pages:") + 6) != kPages)
        Fail(std::string(who) + ": the PDF does not have 1000 pages");
    const std::string text = Tool("pdftotext -f 7 -l 7 '" + file + "' - 2>/dev/null");
    if (text.find(Cell(7, 12, 0)) == std::string::npos || text.find(Footer(7)) == std::string::npos)
        Fail(std::string(who) + ": a sample row is missing from the PDF");
}

// ---------------------------------------------------------------- cases

void OurStream(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(RecordStream());
}

void PeerStream(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(PeerRecord());
}

void OurPdf(benchmark::State& state) {
    const std::string file = sides->folder.file("ours.pdf");
    for (auto _ : state) PrintOursToPdf(file);
    CheckPdf(file, "report_pdf/ours");
}

void PeerPdf(benchmark::State& state) {
    const std::string file = sides->folder.file("peer.pdf");
    for (auto _ : state) PaintPeerToPdf(file);
    CheckPdf(file, "report_pdf/peer");
}

void OurStreamPdf(benchmark::State& state) {
    const std::string file = sides->folder.file("ours-played.pdf");
    for (auto _ : state) PlayOursToPdf(file);
    CheckPdf(file, "report_stream_pdf/ours");
}

void PeerStreamPdf(benchmark::State& state) {
    const std::string file = sides->folder.file("peer-played.pdf");
    for (auto _ : state) ReplayPeerToPdf(file);
    CheckPdf(file, "report_stream_pdf/peer");
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    Application->Initialize();
    sides = new Sides;
    sides->device = std::make_unique<TRSDevice>(std::vector<const TPrinterDriver*>{pdfPrinter()}, "PDF");
    sides->stream = RecordStream();
    sides->pictures = PeerRecord();

    auto add = [](const char* name, void (*fn)(benchmark::State&)) {
        benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
    };
    add("report_stream/ours", OurStream);
    add("report_stream/peer", PeerStream);
    add("report_pdf/ours", OurPdf);
    add("report_pdf/peer", PeerPdf);
    add("report_stream_pdf/ours", OurStreamPdf);
    add("report_stream_pdf/peer", PeerStreamPdf);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* name : {"report_stream", "report_pdf", "report_stream_pdf"}) reporter.PrintRatio(name, "peer");

    delete sides;
    return 0;
}
