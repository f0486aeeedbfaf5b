// The report preview in its window: a recorded two-page report shown at
// 100 % gives the page the PDF printer prints, rulers and zoom limits, the
// records meant for one destination only, page moves and typed entries.
#include <gtest/gtest.h>

#include <QImage>

#include "reporting/RSBars.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSFiler.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSPreview.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"

namespace {

constexpr int ScreenDpi = 96;

using Body = std::function<void(TBaseReport&)>;

// The body recorded into a memory stream, measured on the PDF printer.
std::string record(TRSDevice& device, const Body& body) {
    TReportFiler filer(nullptr);
    filer.SetDevice(&device);
    filer.OnPrint = [&](TObject*) { body(filer); };
    filer.Execute();
    TMemoryStream* memory = filer.MemoryStream();
    return std::string(memory->Memory(), static_cast<std::size_t>(memory->Size()));
}

// Text, a filled box, lines and a framed box on page 1; text on page 2.
void twoPages(TBaseReport& r) {
    r.SetFont("Arial", 14);
    r.PrintXY(1, 1, "Quenmark Optical");
    r.SetFont("Arial", 10);
    r.PrintXY(1, 1.5, "Frames and lenses 125.00");
    r.SetPen(clBlack, psClear, 1, pmCopy);
    r.SetBrush(clBlack, bsSolid, nullptr);
    r.Rectangle(1, 2, 4, 3);
    r.SetPen(clBlack, psSolid, -2, pmCopy);
    r.MoveTo(1, 4);
    r.LineTo(7, 4);
    r.MoveTo(5, 5);
    r.LineTo(5, 8);
    r.SetBrush(clWhite, bsClear, nullptr);
    r.Rectangle(1.5, 5, 4, 6.5);
    r.NewPage();
    r.SetFont("Arial", 14);
    r.PrintXY(1, 1, "Page two");
}

// A preview window over recorded bytes, shown (its preview started).
class PreviewWindow {
public:
    PreviewWindow(const std::string& bytes, const std::function<void(TFilePreview&)>& setUp = {})
        : input_(bytes), form_(CreateForm<TRSPreviewForm>(nullptr)) {
        TFilePreview* preview = form_->FilePreview1;
        preview->SetStreamMode(smUser);
        preview->SetStream(&input_);
        form_->FilePrinter1->SetStreamMode(smUser);
        form_->FilePrinter1->SetStream(&input_);
        preview->SetZoomFactor(100);
        if (setUp) setUp(*preview);
        form_->Show();
    }
    ~PreviewWindow() {
        form_->Close();
        delete form_;
    }
    TRSPreviewForm* operator->() const { return form_; }
    TFilePreview* preview() const { return form_->FilePreview1; }
    QImage page() const { return preview()->PageBitmap()->toImage().convertToFormat(QImage::Format_RGB32); }

private:
    TStringStream input_;
    TRSPreviewForm* form_;
};

QImage printedPage(TRSDevice& device, const std::string& bytes, const TempDir& dir, int page) {
    TStringStream input(bytes);
    TFilePrinter player(nullptr);
    player.SetDevice(&device);
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    player.SetOutputFileName(dir.file("printed.pdf"));
    player.Execute();
    return RenderPdfPage(dir.file("printed.pdf"), page, ScreenDpi);
}

bool anyInk(const QImage& image, const TRect& area) { return !InkBounds(image, area).IsEmpty(); }

}  // namespace

TEST(Preview, ThePageAt100PercentIsThePagePrintedToPdf) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, twoPages);
    TempDir dir;
    const QImage printed = printedPage(device, bytes, dir, 1);
    ASSERT_FALSE(printed.isNull());

    PreviewWindow window(bytes);
    const QImage shown = window.page();
    KeepPicture(shown, "preview-page1");
    KeepPicture(printed, "preview-page1-pdf");
    ASSERT_EQ(shown.width(), printed.width());
    ASSERT_EQ(shown.height(), printed.height());

    // Shapes match edge by edge within a pixel. Text is measured by each
    // device at its own resolution, so a line of text is compared at the
    // edges it is anchored at: left and bottom within a pixel, and its top
    // within two (the glyphs' heights are rounded to whole pixels).
    struct Region {
        const char* what;
        TRect area;
        bool wholeBox;
    };
    const Region regions[] = {
        {"title", {60, 60, 700, 110}, false},
        {"line of text", {60, 125, 700, 160}, false},
        {"filled box", {60, 180, 700, 320}, true},
        {"horizontal line", {60, 370, 700, 400}, true},
        {"vertical line", {440, 470, 520, 800}, true},
    };
    for (const Region& r : regions) {
        const TRect p = InkBounds(printed, r.area), d = InkBounds(shown, r.area);
        ASSERT_FALSE(p.IsEmpty() || d.IsEmpty()) << r.what;
        const std::string both = std::string(r.what) + ": " + RectText(p) + " printed, " + RectText(d) + " shown";
        if (r.wholeBox) {
            EXPECT_TRUE(WithinPixels(p, d, 1)) << both;
        } else {
            EXPECT_NEAR(p.Left, d.Left, 1) << both;
            EXPECT_NEAR(p.Top, d.Top, 2) << both;
            EXPECT_NEAR(p.Bottom, d.Bottom, 1) << both;
        }
    }
    const TRect framedPrinted = InkBounds(printed, Rect(100, 450, 420, 660));
    const TRect framedShown = InkBounds(shown, Rect(100, 450, 420, 660));
    EXPECT_NEAR(framedPrinted.Left, framedShown.Left, 1);
    EXPECT_NEAR(framedPrinted.Top, framedShown.Top, 1);
    // The outline is the page's edge.
    EXPECT_TRUE(IsInk(shown.pixel(0, 500)));
    EXPECT_TRUE(IsInk(shown.pixel(shown.width() - 1, 500)));

    EXPECT_EQ(window->PageLabel->Caption(), "Page 1 of 2");
    EXPECT_EQ(window->PageEdit->Text(), "1");
    EXPECT_EQ(window->ZoomEdit->Text(), "100.0");
    const std::string picture = dir.file("preview-window.png");
    renderToPng(window.operator->(), picture);
    const QImage whole(QString::fromStdString(picture));
    EXPECT_FALSE(whole.isNull());
    KeepPicture(whole, "preview-window");
}

TEST(Preview, InchRulersTickEvery12PixelsAndLabelEvery96At96Dpi) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, twoPages);
    PreviewWindow window(bytes, [](TFilePreview& p) { p.SetRulerType(TRulerType::rtBothIn); });
    const QImage shown = window.page();
    KeepPicture(shown, "preview-rulers");
    ASSERT_EQ(shown.width(), 816 + 20);
    ASSERT_EQ(shown.height(), 1056 + 20);

    // Every tick reaches 5 pixels up from the ruler's bottom edge.
    const int row = 20 - 1 - 3;
    for (int x = 20 + 12; x < 20 + 816 - 1; x += 12) {
        EXPECT_TRUE(IsInk(shown.pixel(x, row))) << "tick at " << x;
        EXPECT_FALSE(IsInk(shown.pixel(x + 6, row - 6))) << "between ticks at " << x + 6;
    }
    const int column = 20 - 1 - 3;
    for (int y = 20 + 12; y < 20 + 1056 - 1; y += 12) EXPECT_TRUE(IsInk(shown.pixel(column, y))) << "tick at " << y;
    // Inch numbers stand just left of every 8th tick.
    for (int inch = 1; inch <= 8; ++inch) {
        const int tick = 20 + 96 * inch;
        const TRect label = InkBounds(shown, Rect(tick - 12, 0, tick, 12));
        EXPECT_FALSE(label.IsEmpty()) << "label " << inch;
        EXPECT_LE(label.Right, tick) << "label " << inch;
    }
    // The page itself starts past both rulers: its outline.
    EXPECT_TRUE(IsInk(shown.pixel(20, 500)));
    EXPECT_TRUE(IsInk(shown.pixel(500, 20)));
    // The corner square is silver, the rulers pale yellow.
    EXPECT_EQ(shown.pixel(5, 5) & 0xFFFFFF, 0xC0C0C0u);
    EXPECT_EQ(shown.pixel(26, 3) & 0xFFFFFF, 0xFFFF80u);
}

TEST(Preview, ZoomIsKeptWithin10And200) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, twoPages);
    PreviewWindow window(bytes);
    TFilePreview* preview = window.preview();
    struct Case {
        double from;
        double to;
        void (*change)(TFilePreview&, double);
        double expected;
    } cases[] = {
        {100, 5, [](TFilePreview& p, double v) { p.SetZoomFactor(v); }, 10},
        {100, 250, [](TFilePreview& p, double v) { p.SetZoomFactor(v); }, 200},
        {100, 0, [](TFilePreview& p, double v) { p.SetZoomFactor(v); }, 10},
        {15, 0, [](TFilePreview& p, double) { p.ZoomOut(); }, 10},
        {195, 0, [](TFilePreview& p, double) { p.ZoomIn(); }, 200},
        {100, 0, [](TFilePreview& p, double) { p.ZoomIn(); }, 110},
    };
    for (const Case& c : cases) {
        preview->SetZoomFactor(c.from);
        c.change(*preview, c.to);
        EXPECT_DOUBLE_EQ(preview->ZoomFactor(), c.expected) << c.from << " -> " << c.to;
    }
    preview->SetZoomFactor(50);
    EXPECT_EQ(window->ZoomEdit->Text(), "50.0");
    EXPECT_EQ(preview->PageBitmap()->Width(), 408);

    // The fits fill the scroll box: the whole page in both directions, the
    // page width across.
    preview->SetZoomFactor(-1);
    const int boxWidth = window->ScrollBox1->ClientWidth(), boxHeight = window->ScrollBox1->ClientHeight();
    EXPECT_LE(preview->PageBitmap()->Width(), boxWidth);
    EXPECT_LE(preview->PageBitmap()->Height(), boxHeight);
    EXPECT_GE(preview->PageBitmap()->Height(), boxHeight - 10);
    preview->SetZoomFactor(-2);
    EXPECT_LE(preview->PageBitmap()->Width(), boxWidth);
    EXPECT_GE(preview->PageBitmap()->Width(), boxWidth - 30);
}

TEST(Preview, ABarCodeReadsOnScreenWithItsBarsAsWideAsOnPaper) {
    TRSDevice device({pdfPrinter()}, "PDF");
    constexpr double module = 0.02, left = 1, top = 1, height = 0.8;
    std::vector<std::pair<double, double>> bars;  // the bars' left and right edges, in inches
    const std::string bytes = record(device, [&](TBaseReport& r) {
        r.SetFont("Arial", 10);
        TRSBarsUPC upc(&r);
        upc.BarWidth = module;
        upc.BarHeight = height;
        upc.SetXPosition(left);
        upc.YPos = top;
        upc.SetText("03600029145");
        upc.OnDrawBar = [&](double x1, double, double x2, double) { bars.push_back({x1, x2}); };
        upc.Print();
        upc.OnDrawBar = nullptr;
        upc.Print();
    });
    ASSERT_EQ(bars.size(), 30u);
    PreviewWindow window(bytes);

    TempDir dir;
    const QImage at100 = window.page();
    KeepPicture(at100, "preview-upc-100");
    ASSERT_TRUE(at100.save(QString::fromStdString(dir.file("preview.png"))));
    EXPECT_EQ(RunTool("zbarimg", {"-q", "-Supca.enable=1", dir.file("preview.png")}), "UPC-A:036000291452\n");

    for (int zoom = 100; zoom <= 200; zoom += 25) {
        SCOPED_TRACE(std::to_string(zoom) + " %");
        window.preview()->SetZoomFactor(zoom);
        const QImage shown = window.page();
        const double pixelsPerInch = ScreenDpi * zoom / 100.0;
        // The dark runs along a row through the bars (the page's frame left
        // out), against the bars on paper.
        const int y = static_cast<int>((top + height / 3) * pixelsPerInch);
        const int from = static_cast<int>((left - 0.1) * pixelsPerInch);
        const int to = static_cast<int>((left + 95 * module + 0.1) * pixelsPerInch);
        std::vector<std::pair<int, int>> runs;
        for (int x = from; x < to; ++x) {
            bool dark = qGray(shown.pixel(x, y)) < 128;
            if (dark && (runs.empty() || runs.back().second != x)) runs.push_back({x, x + 1});
            else if (dark) runs.back().second = x + 1;
        }
        ASSERT_EQ(runs.size(), bars.size());
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const double paper = (bars[i].second - bars[i].first) * pixelsPerInch;
            EXPECT_NEAR(runs[i].second - runs[i].first, paper, 1.0) << "bar " << i;
            EXPECT_NEAR(runs[i].first, bars[i].first * pixelsPerInch, 1.0) << "bar " << i;
        }
    }
}

TEST(Preview, PrinterOnlyRecordsAreLeftOutAndPreviewOnlyRecordsShown) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, [](TBaseReport& r) {
        r.SetFont("Arial", 14);
        r.PrintXY(1, 1, "Everywhere");
        r.AllowPrinterOnly();
        r.PrintXY(1, 2, "Printer only");
        r.AllowPreviewOnly();
        r.PrintXY(1, 3, "Preview only");
        r.AllowAll();
        r.PrintXY(1, 4, "Everywhere again");
    });
    TempDir dir;
    const QImage printed = printedPage(device, bytes, dir, 1);
    PreviewWindow window(bytes);
    const QImage shown = window.page();
    auto line = [](double inches) {
        const int base = static_cast<int>(inches * ScreenDpi);
        return Rect(ScreenDpi / 2, base - 20, 600, base + 6);
    };
    EXPECT_TRUE(anyInk(shown, line(1)));
    EXPECT_FALSE(anyInk(shown, line(2)));
    EXPECT_TRUE(anyInk(shown, line(3)));
    EXPECT_TRUE(anyInk(shown, line(4)));
    EXPECT_TRUE(anyInk(printed, line(1)));
    EXPECT_TRUE(anyInk(printed, line(2)));
    EXPECT_FALSE(anyInk(printed, line(3)));
    EXPECT_TRUE(anyInk(printed, line(4)));
}

TEST(Preview, PagesMoveWithinTheReport) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, [](TBaseReport& r) {
        for (int page = 1; page <= 3; ++page) {
            if (page > 1) r.NewPage();
            r.PrintXY(1, 1, "Page " + std::to_string(page));
        }
    });
    PreviewWindow window(bytes);
    TFilePreview* preview = window.preview();
    int changes = 0;
    const TNotifyEvent shown = preview->OnPageChange;
    preview->OnPageChange = [&](TObject* sender) {
        ++changes;
        shown(sender);
    };
    preview->NextPage();
    preview->NextPage();
    EXPECT_EQ(preview->CurrentPage(), 3);
    EXPECT_EQ(window->PageLabel->Caption(), "Page 3 of 3");
    preview->NextPage();
    EXPECT_EQ(preview->CurrentPage(), 3);
    EXPECT_EQ(changes, 2);

    preview->SetPageInc(2);
    preview->PlayPage(2);
    preview->PrevPage();
    EXPECT_EQ(preview->CurrentPage(), 1);

    // Typed entries: a page past the end shows the last page; text that is
    // not a number is ignored; the current page again draws nothing.
    struct Entry {
        std::string text;
        int page;
    } entries[] = {{"2", 2}, {"99", 3}, {"abc", 3}, {"-4", 1}};
    for (const Entry& e : entries) {
        window->PageEdit->SetText(e.text);
        window->PageEditExit(nullptr);
        EXPECT_EQ(preview->CurrentPage(), e.page) << e.text;
        EXPECT_EQ(window->PageEdit->Text(), std::to_string(e.page)) << e.text;
    }
    const int before = changes;
    window->PageEdit->SetText("1");
    window->PageEditExit(nullptr);
    EXPECT_EQ(changes, before);

    window->ZoomEdit->SetText("seventy");
    window->ZoomEditExit(nullptr);
    EXPECT_DOUBLE_EQ(preview->ZoomFactor(), 100);
    EXPECT_EQ(window->ZoomEdit->Text(), "100.0");
    window->ZoomEdit->SetText("75");
    char enter = '\r';
    window->ZoomEditKeyPress(nullptr, enter);
    EXPECT_DOUBLE_EQ(preview->ZoomFactor(), 75);
}

TEST(Preview, KeysScrollThePage) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, twoPages);
    PreviewWindow window(bytes, [](TFilePreview& p) { p.SetZoomFactor(200); });
    TControlScrollBar* vertical = window->ScrollBox1->VertScrollBar();
    TControlScrollBar* horizontal = window->ScrollBox1->HorzScrollBar();
    Word key = VK_END;
    window->FormKeyDown(nullptr, key, TShiftState{ssCtrl});
    EXPECT_EQ(key, 0);
    EXPECT_GT(vertical->Position(), 0);
    const int bottom = vertical->Position();
    key = VK_DOWN;
    window->FormKeyDown(nullptr, key, TShiftState{});
    EXPECT_EQ(vertical->Position(), bottom);
    key = VK_HOME;
    window->FormKeyDown(nullptr, key, TShiftState{});
    EXPECT_EQ(vertical->Position(), 0);

    key = VK_RIGHT;
    window->FormKeyDown(nullptr, key, TShiftState{ssShift, ssCtrl});
    EXPECT_EQ(horizontal->Position(), window->ScrollBox1->Width());
    key = VK_RIGHT;
    window->FormKeyDown(nullptr, key, TShiftState{});
    EXPECT_EQ(key, VK_RIGHT);  // plain Right stays with the entries
    EXPECT_EQ(horizontal->Position(), window->ScrollBox1->Width());
}

TEST(Preview, MonochromeAndShadowExcludeEachOther) {
    TFilePreview preview(nullptr);
    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk);
    preview.SetShadowDepth(4);
    preview.SetMonochrome(true);
    EXPECT_FALSE(preview.Monochrome());
    preview.SetShadowDepth(0);
    preview.SetMonochrome(true);
    preview.SetShadowDepth(3);
    EXPECT_EQ(preview.ShadowDepth(), 0);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[0].Text, "Monochrome not allowed while shadows are in effect.\rChange ShadowDepth to 0 first");
    EXPECT_EQ(script.Shown()[1].Text, "Shadows not allowed while monochrome in effect.\rChange Monochrome to false first");
}

TEST(Preview, AMonochromePageIsBlackAndWhite) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, twoPages);
    PreviewWindow window(bytes, [](TFilePreview& p) { p.SetMonochrome(true); });
    EXPECT_TRUE(window.preview()->PageBitmap()->Monochrome());
    const QImage shown = window.page();
    EXPECT_TRUE(anyInk(shown, Rect(96, 2 * 96, 4 * 96, 3 * 96)));
}

TEST(Preview, StartWithoutAScrollBoxRaises) {
    TFilePreview preview(nullptr);
    EXPECT_THROW(preview.Start(), EDazedeVedodev);
}

TEST(Preview, AMarginSurroundsThePageOnEverySide) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, twoPages);
    PreviewWindow window(bytes, [](TFilePreview& p) { p.SetMarginPercent(1); });
    const int margin = 8;  // 1 % of 816 pixels
    EXPECT_EQ(window.preview()->PageImage()->Left(), margin);
    EXPECT_EQ(window.preview()->PageImage()->Top(), margin);
    EXPECT_EQ(window->ScrollBox1->HorzScrollBar()->Range(), 816 + 2 * margin);
    EXPECT_EQ(window->ScrollBox1->VertScrollBar()->Range(), 1056 + 2 * margin);
}

TEST(Preview, AShadowFallsRightAndBelowThePage) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, twoPages);
    PreviewWindow window(bytes, [](TFilePreview& p) {
        p.SetZoomFactor(50);
        p.SetShadowDepth(6);
    });
    const QImage shown = window.page();
    KeepPicture(shown, "preview-shadow");
    ASSERT_EQ(shown.width(), 408 + 6);
    ASSERT_EQ(shown.height(), 528 + 6);
    const int right = shown.width() - 1, bottom = shown.height() - 1;
    EXPECT_TRUE(IsInk(shown.pixel(right, 300)));
    EXPECT_TRUE(IsInk(shown.pixel(200, bottom)));
    EXPECT_TRUE(IsInk(shown.pixel(right, bottom)));
    // The corners beside the shadow show the scroll box behind the page.
    EXPECT_FALSE(IsInk(shown.pixel(right, 2)));
    EXPECT_FALSE(IsInk(shown.pixel(2, bottom)));
    EXPECT_FALSE(IsInk(shown.pixel(300, 300)));
}

TEST(Preview, ALandscapePageIsShownWide) {
    TRSDevice device({pdfPrinter()}, "PDF");
    const std::string bytes = record(device, [](TBaseReport& r) {
        r.PrintXY(1, 1, "Portrait");
        r.SetOrientation(TOrientation::poLandScape);
        r.NewPage();
        r.PrintXY(1, 1, "Landscape");
    });
    // The page's orientation reaches the preview's printer device.
    PreviewWindow window(bytes, [&](TFilePreview& p) { p.SetDevice(&device); });
    EXPECT_EQ(window.preview()->PageBitmap()->Width(), 816);
    window.preview()->NextPage();
    EXPECT_EQ(window.preview()->PageBitmap()->Width(), 1056);
    EXPECT_EQ(window.preview()->PageBitmap()->Height(), 816);
    window.preview()->PrevPage();
    EXPECT_EQ(window.preview()->PageBitmap()->Width(), 816);
}
