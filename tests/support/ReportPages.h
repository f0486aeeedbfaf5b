#pragma once
// The pages of a report run read back as text items, rules and rectangles,
// for the tests of the report forms. The report's stream is decoded by the
// stream player itself: each text item is what the player would print (its
// macros expanded), where it would print it, in inches from the paper's edge.
//
// Capture runs a report on the user's path: Start presses OK (or opens the
// form that runs at creation), the setup window is answered with Preview,
// and the stream is taken from the preview window, which is then closed.
// PrintToPdf answers the setup window with a file on the PDF printer.
//
// Cells lays one printed line onto the report's tab stops: a left stop takes
// the item whose left edge is at the stop, a right stop the item whose right
// edge is at the stop's right end. An item that belongs to no stop, or that
// reaches beyond the printable width, fails the calling test.
#include <functional>
#include <string>
#include <vector>

class TRSPreviewForm;

struct ReportTextItem {
    int Page = 0;  // 1 first
    double Left = 0, Right = 0, Baseline = 0;
    std::string Font;
    bool Bold = false, Italic = false;
    double Size = 0;
    std::string Text;
};

struct ReportRule {
    int Page = 0;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    bool Rectangle = false;
};

struct ReportPages {
    int PageCount = 0;
    std::vector<ReportTextItem> Items;  // in stream order
    std::vector<ReportRule> Rules;

    // Items of a page, or of every page with 0.
    std::vector<ReportTextItem> On(int Page) const;
    // The first item with exactly this text; nullptr when none.
    const ReportTextItem* Find(const std::string& Text) const;
    // The last item with exactly this text; nullptr when none.
    const ReportTextItem* FindLast(const std::string& Text) const;
    // Every text, one page after another, as "text" lines.
    std::vector<std::string> Texts(int Page = 0) const;
    // The texts printed on one baseline of a page, left to right, trimmed.
    std::vector<std::string> LineAt(int Page, double Baseline) const;
};

// Decodes a report stream.
ReportPages DecodeReportStream(const std::string& Bytes);

// The stream of the report that Start runs, taken from its preview window;
// the run must reach the preview exactly once. Setup, when given, is called
// with the setup window before it is answered.
ReportPages CaptureReport(const std::function<void()>& Start);

// The stream a preview window plays, for a test that answers its own dialogs.
std::string PreviewStreamBytes(TRSPreviewForm& Preview);

// The report that Start runs, printed to PdfFile on the PDF printer through
// the setup window's file destination; a PNG of page 1 is written beside it.
void PrintReportToPdf(const std::function<void()>& Start, const std::string& PdfFile);
// A file for printed output under the installation root's "reports"
// folder (kept after the run with QUENMARK_KEEP_ROOT).
std::string ReportOutputFile(const std::string& Name);
// pdftotext -layout of the file.
std::string PdfText(const std::string& PdfFile);

// A tab stop as the report sets it: Pos and Width in inches, Right for a
// right-justified stop.
struct ReportStop {
    double Pos = 0;
    double Width = 0;
    bool Right = false;
};

// The lines whose baseline lies in (FromY, ThruY] on the page (0: every
// page, pages in order), each as one string per stop ("" where the stop is
// empty). PrintableRight is the rightmost edge text may reach.
std::vector<std::vector<std::string>> Cells(const ReportPages& Pages, const std::vector<ReportStop>& Stops,
                                            double FromY, double ThruY, int Page = 0,
                                            double PrintableRight = 8.25);
