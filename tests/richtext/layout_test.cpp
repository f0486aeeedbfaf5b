// Layout and painting of rich text measured with the Liberation faces at
// real resolutions on image devices.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>

#include <functional>

#include <string>
#include <vector>

#include "richtext/RtInvariants.h"
#include "richtext/RtRtfInp.h"
#include "richtext/RtTestDoc.h"
#include "RtTestPage.h"
#include "support/PageImages.h"
#include "support/ReferenceImages.h"
#include "support/TempDir.h"
#include "ui/PrinterDrivers.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"

namespace {

const char* const loremWords[] = {"optical", "frame", "lens", "the", "patient", "asked", "for", "a",
                                  "progressive", "coating", "with", "anti-reflective", "finish", "and",
                                  "titanium", "hinges", "delivered", "on", "Tuesday", "morning"};

std::string generatedText(int words, unsigned seed) {
    std::string s;
    for (int i = 0; i < words; ++i) {
        seed = seed * 1103515245u + 12345u;
        if (i) s += ' ';
        s += loremWords[(seed >> 16) % (sizeof(loremWords) / sizeof(*loremWords))];
    }
    return s;
}

std::string trimmedRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    return s;
}

// The advance of a text as layout adds it: whole pixels per character.
int advanceSum(const HFONT& f, const std::string& text) {
    int w = 0;
    for (char c : text) w += f->CharWidth(static_cast<unsigned char>(c));
    return w;
}

HFONT fontAt(const std::string& face, int points, int dpi) {
    TLogFont lf;
    lf.FaceName = face;
    lf.Height = -RtMulDiv(points, dpi, 72);
    return CreateFontIndirect(lf);
}

}  // namespace

TEST(RtMulDiv, RoundsHalvesAwayFromZeroAndReportsDivisionByZero) {
    struct Case {
        int a, b, c, want;
    } cases[] = {
        {5, 1, 2, 3},  {-5, 1, 2, -3}, {7, 2, 3, 5},   {10, 2, 3, 7}, {1, 1, 0, -1},
        {5, -1, 2, -3}, {2000000000, 3, 4, 1500000000}, {2147483647, 2147483647, 2147483647, 2147483647},
    };
    for (const Case& c : cases) EXPECT_EQ(RtMulDiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
}

TEST(RtLayout, DefaultTextWidthAndResolutionComeFromTheDevice) {
    Page page(96);
    EXPECT_EQ(page.doc.Header->ResX, 96);
    EXPECT_EQ(page.doc.Header->TextWidthPx, RtMulDiv(12240 - 2 * 1880, 96, 1440));
    Page printer(600, 5100, 6600);
    EXPECT_EQ(printer.doc.Header->ResX, 600);
}

TEST(RtLayout, PinnedBreaksForTimesAndArial) {
    const std::string text = generatedText(60, 7);
    struct Case {
        const char* face;
        int size;
        std::vector<int> lengths;
        int height;
    } cases[] = {
        {"Times New Roman", 12, {}, 0},
        {"Arial", 10, {}, 0},
    };
    for (Case& c : cases) {
        Page page;
        page.build(text, c.face, c.size);
        std::vector<int> got;
        for (TLine* l = page.doc.FirstPar->FirstLine; l; l = l->Next) got.push_back(l->Length);
        HFONT f = fontAt(c.face, c.size, 96);
        int height = f->Metrics().Height + f->Metrics().ExternalLeading;
        EXPECT_EQ(page.doc.FirstPar->FirstLine->Height, height) << c.face;
        std::string joined;
        for (const std::string& l : page.lines()) joined += l;
        EXPECT_EQ(joined, text) << c.face;
        c.lengths = got;
        c.height = height;
    }
    // The faces are metric-compatible with the Windows ones, so the breaks are known.
    EXPECT_EQ(cases[0].height, 18);
    EXPECT_EQ(cases[1].height, 15);
    EXPECT_EQ(cases[0].lengths, (std::vector<int>{82, 91, 80, 88, 77}));
    EXPECT_EQ(cases[1].lengths, (std::vector<int>{98, 97, 94, 94, 35}));
}

TEST(RtLayout, EveryLineFitsAndTheNextWordWouldNot) {
    for (auto [face, size] : {std::pair{"Times New Roman", 12}, std::pair{"Arial", 10}, std::pair{"Arial", 17}}) {
        Page page;
        std::string shape;
        for (int p = 0; p < 6; ++p) shape += (p ? "|" : "") + generatedText(40 + 17 * p, 100 + p);
        page.build(shape, face, size);
        HFONT f = fontAt(face, size, 96);
        for (int p = 0; p < 6; ++p) {
            TParagraph* par = ParAt(page.doc, p);
            std::vector<std::string> lines = page.lines(p);
            for (size_t i = 0; i < lines.size(); ++i) {
                int avail = page.doc.AvailableWidth(par, i ? par->FirstLine->Next : par->FirstLine);
                EXPECT_LE(advanceSum(f, trimmedRight(lines[i])), avail) << face << " par " << p << " line " << i;
                if (i + 1 < lines.size()) {
                    std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
                    EXPECT_GT(advanceSum(f, lines[i] + next), avail) << face << " par " << p << " line " << i;
                }
            }
        }
        EXPECT_EQ(RtCheckInvariants(page.doc), "");
    }
}

TEST(RtLayout, OverlongWordIsCutAndNoLineIsEmpty) {
    Page page;
    page.build(std::string(300, 'W'), "Arial", 10);
    std::vector<std::string> lines = page.lines();
    ASSERT_GT(lines.size(), 1u);
    for (const std::string& l : lines) EXPECT_FALSE(l.empty());
    EXPECT_EQ(RtCheckInvariants(page.doc), "");
}

TEST(RtLayout, MeasuresTable) {
    // Justification: three stretchable spaces share the slack of the line.
    {
        Page page;
        std::string text = generatedText(80, 3);
        page.build(text, "Arial", 10);
        TParagraph* par = page.doc.FirstPar;
        par->Align = 3;
        page.doc.ReformatAll();
        TLine* first = par->FirstLine;
        ASSERT_TRUE(first->Next);
        int avail = page.doc.AvailableWidth(par, first);
        std::vector<int> adv = page.doc.LineAdvances(par, first);
        int drawn = 0;
        for (int i = 0; i < first->Length - 1; ++i) drawn += adv[i];  // the break space stays outside
        EXPECT_GE(drawn, avail - 6 - first->SpaceWidth) << "a justified line reaches the right edge less the slack";
        EXPECT_LE(drawn, avail);
        TLine* last = TRtRTFText::Get_LastLine(par);
        EXPECT_EQ(last->SpaceWidth, 0) << "the last line is not stretched";
    }
    // Zoom 50 halves the measures; a zoom below 1 is ignored.
    {
        Page page;
        page.build("Spectacle frames", "Arial", 10);
        page.doc.FirstPar->IndentFirst = 1440;
        page.doc.ReformatAll();
        TLine* l = page.doc.FirstPar->FirstLine;
        int fullWidth = page.doc.Header->TextWidthPx, fullEdge = page.doc.LeftEdge(page.doc.FirstPar, l);
        int fullText = page.doc.CharToX(page.doc.FirstPar, l, 16) - fullEdge;
        page.doc.SetZoom(50);
        l = page.doc.FirstPar->FirstLine;
        EXPECT_EQ(page.doc.Header->TextWidthPx, RtMulDiv(fullWidth, 1, 2));
        EXPECT_EQ(page.doc.LeftEdge(page.doc.FirstPar, l) - 1, (fullEdge - 1) / 2);
        // Glyphs at half the pixel size round differently, but stay near half.
        int halfText = page.doc.CharToX(page.doc.FirstPar, l, 16) - page.doc.LeftEdge(page.doc.FirstPar, l);
        EXPECT_NEAR(halfText, fullText / 2, fullText / 8);
        page.doc.SetZoom(0);
        EXPECT_EQ(page.doc.Zoom, 50);
    }
    // Superscript of 10 points measures as 7 (two thirds, rounded).
    {
        Page sup, plain;
        sup.build("Wide", "Arial", 10, stSuperscript);
        plain.build("Wide", "Arial", 7);
        EXPECT_EQ(sup.doc.FirstPar->FirstLine->Attr[0].Width, plain.doc.FirstPar->FirstLine->Attr[0].Width);
    }
    // A tab past the last stop goes to the next centimetre (or third of an inch).
    {
        Page page;
        page.doc.Header->Inches = false;
        page.build("a\tb", "Arial", 10);
        page.doc.ReformatAll();
        TParagraph* par = page.doc.FirstPar;
        int d = RtMulDiv(96, 100, 254);
        int bx = page.doc.CharToX(par, par->FirstLine, 2);
        int ax = page.doc.CharToX(par, par->FirstLine, 1);
        EXPECT_EQ(bx, ax + d - ax % d);
    }
    // A left tab stop at one inch.
    {
        Page page;
        page.build("a\tb", "Arial", 10);
        uint32_t bit = page.doc.Header->AddTab(1440, tkLeft);
        page.doc.FirstPar->TabSet = bit;
        page.doc.ReformatAll();
        EXPECT_EQ(page.doc.CharToX(page.doc.FirstPar, page.doc.FirstPar->FirstLine, 2), 96);
    }
    // XToChar: right of a character's middle is after it.
    {
        Page page;
        page.build("MMM", "Arial", 10);
        TParagraph* par = page.doc.FirstPar;
        TLine* l = par->FirstLine;
        int x0 = page.doc.CharToX(par, l, 0), w = l->Attr[0].Width;
        EXPECT_EQ(page.doc.XToChar(par, l, x0 + w / 2 - 1), 0);
        EXPECT_EQ(page.doc.XToChar(par, l, x0 + w / 2 + 1), 1);
        EXPECT_EQ(page.doc.XToChar(par, l, 10000), 3);
    }
    // An empty cell line is as high as DefaultHeight.
    {
        Page page;
        page.build("|", "Arial", 10);
        TParagraph* a = page.doc.FirstPar;
        TParagraph* b = a->Next;
        a->ParFlags = pfTableCell | pfCellFollows;
        a->TabSet = 0 | (127 << 8);
        b->ParFlags = pfTableCell | pfNotFirstCell;
        b->TabSet = 127 | (128 << 8);
        page.doc.ReformatAll();
        EXPECT_EQ(a->FirstLine->Height, page.doc.DefaultHeight);
    }
}

TEST(RtLayout, RewrapKeepsCursorAndBlockOnExistingLines) {
    Page page;
    page.build(generatedText(50, 9), "Times New Roman", 12);
    TLine* second = page.doc.FirstPar->FirstLine->Next;
    ASSERT_TRUE(second);
    page.doc.CurLine = second;
    page.doc.CurPos = 3;
    int before = second->Prev->Length + 3;
    page.doc.SetIndents(720, 720, 65000, true);
    EXPECT_EQ(RtCheckInvariants(page.doc, {{page.doc.CurPar, page.doc.CurLine, page.doc.CurPos}}), "");
    int off = page.doc.CurPos;
    for (TLine* l = page.doc.FirstPar->FirstLine; l != page.doc.CurLine; l = l->Next) off += l->Length;
    EXPECT_EQ(off, before);
    EXPECT_EQ(page.doc.FirstPar->IndentRight, 0) << "65000 leaves the right indent";
}

TEST(RtPaint, HighlightUnderlineAndMissingGraphic) {
    Page page(96, 400, 200);
    page.doc.Header->SetTextWidthPx(380);
    page.build("Lens order for Mrs Smith", "Arial", 14, stUnderline);
    page.doc.Visible = true;
    TParagraph* par = page.doc.FirstPar;
    page.doc.BlockStartPar = page.doc.BlockEndPar = par;
    page.doc.BlockStartLine = page.doc.BlockEndLine = par->FirstLine;
    page.doc.BlockStartPos = 0;
    page.doc.BlockEndPos = 4;
    page.doc.Paint();
    const QImage& img = page.device.Image();
    KeepPicture(img, "richtext_paint");
    TLine* l = par->FirstLine;
    int x0 = page.doc.CharToX(par, l, 0), x4 = page.doc.CharToX(par, l, 4);
    // Inside the block the background is the highlight colour.
    TColor hi = ColorToRGB(clHighlight);
    QColor probe(img.pixel((x0 + x4) / 2, l->Y + 1));
    EXPECT_EQ((probe.red() << 0) | (probe.green() << 8) | (probe.blue() << 16), static_cast<int>(hi));
    // Right of the text the page is the window colour.
    EXPECT_FALSE(IsInk(img.pixel(390, l->Y + 2)));
    // The underline: the first row under the base line that is ink across the
    // unmarked text. It stays there when spacing makes the line taller.
    // A new layout may give the paragraph new lines.
    auto underlineRow = [&](const QImage& image) {
        TLine* line = par->FirstLine;
        int x8 = page.doc.CharToX(par, line, 8), x10 = page.doc.CharToX(par, line, 10);
        for (int y = line->Y + line->Base + 1; y < line->Y + line->Height; ++y) {
            bool across = true;
            for (int x = x8; x < x10; ++x) across = across && IsInk(image.pixel(x, y));
            if (across) return y - (line->Y + line->Base);
        }
        return -1;
    };
    const int plain = underlineRow(img);
    EXPECT_GE(plain, 1);
    EXPECT_LE(plain, 4);
    struct Spacing {
        int after, line;
    } spacings[] = {{600, 0}, {0, 276}, {600, 276}};
    for (const Spacing& s : spacings) {
        SCOPED_TRACE(std::to_string(s.after) + " after, " + std::to_string(s.line) + " line spacing");
        par->SpaceAfter = s.after;
        par->LineSpacing = s.line;
        page.doc.ReformatAll();
        page.doc.Paint();
        EXPECT_EQ(underlineRow(page.device.Image()), plain);
    }
}

namespace {

// A page of mixed paragraphs: left, centred, right, justified, tabs, a
// coloured bold word, a raised word, a hyperlink and a missing picture.
void buildMixedPage(Page& page) {
    std::string body = generatedText(70, 21);
    page.build("Order summary|" + body + "|Centred caption line|Right-aligned date 12.03.2026|" + body +
                   "|Item\tQty\tPrice|Lenses\t2\t180.00",
               "Times New Roman", 12);
    TRtRTFTextPaint& d = page.doc;
    ParAt(d, 0)->FirstLine->Attr[0].Size = 18;
    for (int i = 0; i < ParAt(d, 0)->FirstLine->Length; ++i) {
        TCharAttr& a = ParAt(d, 0)->FirstLine->Attr[i];
        a.Size = 18;
        a.Style = stBold;
        a.Font = static_cast<uint8_t>(d.Header->AddFont("Arial"));
    }
    ParAt(d, 1)->IndentFirst = 720;
    ParAt(d, 2)->Align = 2;
    ParAt(d, 3)->Align = 1;
    ParAt(d, 4)->Align = 3;
    TLine* l = ParAt(d, 1)->FirstLine;
    for (int i = 8; i < 14; ++i) {
        l->Attr[i].Style = stBold;
        l->Attr[i].Colors = 0x4C;  // colour 12 on colour 4
    }
    for (int i = 20; i < 26; ++i) l->Attr[i].Style = stSuperscript;
    for (int i = 30; i < 40; ++i) l->Attr[i].Style = stHyperlink;
    uint32_t bits = d.Header->AddTab(2880, tkLeft) | d.Header->AddTab(5040, tkRight);
    ParAt(d, 5)->TabSet = ParAt(d, 6)->TabSet = bits;
    d.ReformatAll();
}

}  // namespace

TEST(RtPaint, MixedPageLooksAsLaidOut) {
    Page page;
    buildMixedPage(page);
    page.doc.Visible = true;
    page.doc.Paint();
    const QImage& img = page.device.Image();
    KeepPicture(img, "richtext_page");
    // Each line's ink lies within its line box, from its start x.
    for (TParagraph* p = page.doc.FirstPar; p; p = p->Next)
        for (TLine* l = p->FirstLine; l; l = l->Next) {
            TRect box{0, l->Y, 816, l->Y + l->Height};
            TRect ink = InkBounds(img, box);
            if (ink.Right <= ink.Left) continue;
            EXPECT_GE(ink.Left, page.doc.LineStartX(p, l) - 1) << std::string(l->Text.get(), l->Length);
            EXPECT_LE(ink.Right, page.doc.Header->TextWidthPx + 2) << std::string(l->Text.get(), l->Length);
        }
    // The right tab puts the price's end at the stop.
    TParagraph* row = ParAt(page.doc, 6);
    EXPECT_EQ(page.doc.CharToX(row, row->FirstLine, row->FirstLine->Length), 5040 * 96 / 1440);
    EXPECT_EQ(RtCheckInvariants(page.doc), "");
}

TEST(RtScroll, MovedPixelsMatchAFreshPaint) {
    struct Case {
        const char* what;
        std::function<void(TRtRTFTextPaint&)> act;
    } cases[] = {
        {"line down", [](TRtRTFTextPaint& d) { d.VScroll(1, 0); }},
        {"down 50 then up 20", [](TRtRTFTextPaint& d) { d.ScrollDown(50); d.ScrollUp(20); }},
        {"view right", [](TRtRTFTextPaint& d) { d.HScroll(1, 0); }},
    };
    for (const Case& c : cases) {
        Page scrolled(96, 300, 160), fresh(96, 300, 160);
        for (Page* p : {&scrolled, &fresh}) {
            buildMixedPage(*p);
            p->doc.Visible = true;
            p->doc.Paint();
        }
        c.act(scrolled.doc);
        fresh.doc.TopOffset = scrolled.doc.TopOffset;
        fresh.doc.LeftOffset = scrolled.doc.LeftOffset;
        fresh.doc.Paint();
        EXPECT_NE(scrolled.doc.TopOffset + scrolled.doc.LeftOffset, 0) << c.what;
        std::string why;
        EXPECT_TRUE(SameInk(scrolled.device.Image(), fresh.device.Image(), 0, &why)) << c.what << ": " << why;
    }
}

TEST(RtScroll, OffsetsAreClampedAndLongJumpsSnap) {
    Page page(96, 300, 160);
    buildMixedPage(page);
    TRtRTFTextPaint& d = page.doc;
    d.Visible = true;
    d.ScrollUp(40);
    EXPECT_EQ(d.TopOffset, 0);
    d.ScrollViewLeft(40);
    EXPECT_EQ(d.LeftOffset, 0);
    d.HScroll(7, 0);
    EXPECT_EQ(d.LeftOffset, d.WindowWidth - d.Header->TextWidthPx) << "the right end stays in the window";
    d.VScroll(7, 0);
    EXPECT_EQ(d.TopOffset, d.DocHeight - d.WindowHeight);
    int end = d.TopOffset;
    d.VScroll(1, 0);
    EXPECT_EQ(d.TopOffset, end) << "line down at the end does nothing";
    // A jump longer than the window lands on the start of the line found
    // there, or two thirds of a window above a paragraph's last line.
    for (int jump : {d.WindowHeight + 7, d.WindowHeight + 60, d.WindowHeight + 100}) {
        d.VScroll(6, 0);
        TParagraph* par;
        TLine* line;
        d.FindLineAt(-1, jump, par, line);
        d.ScrollDown(jump);
        int want = line->Next ? line->Y : std::max(0, line->Y - 2 * (d.WindowHeight / 3));
        EXPECT_EQ(d.TopOffset, want) << jump;
    }
}

TEST(RtScroll, ClickPlacesTheCursorByTheMiddleRule) {
    Page page(96, 400, 200);
    page.build("Frames and lenses", "Arial", 12);
    TRtRTFTextPaint& d = page.doc;
    TParagraph* par = d.FirstPar;
    TLine* l = par->FirstLine;
    int x2 = d.CharToX(par, l, 2), w = l->Attr[2].Width;
    d.ClickAt(x2 + w / 2 + 1, l->Y + 2, true, false);
    EXPECT_EQ(d.CurPos, 3);
    d.ClickAt(x2 + w / 2 - 1, l->Y + 2, true, false);
    EXPECT_EQ(d.CurPos, 2);
    EXPECT_EQ(d.CaretX, x2);
}

TEST(RtPaint, PrintedPageMatchesThePageDrawnOnAnImage) {
    const TPrinterDriver* pdf = pdfPrinter();
    TDeviceCaps caps = pdf->CapsFor(nullptr);
    ASSERT_EQ(caps.LogPixelsX, 600);
    // The text block of the page, placed at the margins.
    auto setUp = [&](TRtRTFTextPaint& d, TCanvas& canvas, Page& source) {
        SCOPED_TRACE("set-up");
        d.SetCanvas(&canvas);
        d.Header->Assign(source.doc.Header.get());
        d.CopyParagraphs(source.doc.FirstPar, &source.doc);
        ASSERT_EQ(d.GetParText(0), source.doc.GetParText(0));
        d.WindowWidth = caps.HorzRes;
        d.WindowHeight = caps.VertRes;
        d.PaintLeft = RtMulDiv(d.Header->MarginLeft, 600, 1440) - caps.PhysicalOffsetX;
        d.PaintTop = RtMulDiv(d.Header->MarginTop, 600, 1440) - caps.PhysicalOffsetY;
        d.PaintOptions |= poNoSideStrips | poTransparent;
        d.ReformatAll();
        d.Visible = true;
    };
    Page source;
    buildMixedPage(source);

    TImageDevice image(caps);
    TCanvas imageCanvas(&image);
    TRtRTFTextPaint onImage;
    setUp(onImage, imageCanvas, source);
    onImage.Paint();

    TempDir dir;
    std::unique_ptr<TPrinterContext> dc = pdf->CreateDC(nullptr);
    ASSERT_GT(dc->StartDoc({"rich text", dir.file("page.pdf")}), 0);
    dc->StartPage();
    TCanvas printerCanvas(dc.get());
    TRtRTFTextPaint printed;
    setUp(printed, printerCanvas, source);
    printed.Paint();
    dc->EndPage();
    dc->EndDoc();
    QImageReader::setAllocationLimit(0);  // a letter page at 600 dpi is larger than the default limit
    QImage pdfPage = RenderPdfPage(dir.file("page.pdf"), 1, 600);
    ASSERT_FALSE(pdfPage.isNull());
    const QImage& drawn = image.Image();
    KeepPicture(drawn.scaledToWidth(850), "richtext_600dpi_image");
    KeepPicture(pdfPage.scaledToWidth(850), "richtext_600dpi_pdf");

    TParagraph* pp = printed.FirstPar;
    for (TParagraph* ip = onImage.FirstPar; ip; ip = ip->Next, pp = pp->Next) {
        ASSERT_TRUE(pp);
        TLine* pl = pp->FirstLine;
        for (TLine* il = ip->FirstLine; il; il = il->Next, pl = pl->Next) {
            ASSERT_TRUE(pl);
            std::string text(il->Text.get(), il->Length);
            ASSERT_EQ(text, std::string(pl->Text.get(), pl->Length)) << "same line breaks";
            // The image device's origin is the paper's; so is the PDF page's.
            TRect band{0, il->Y + onImage.PaintTop + caps.PhysicalOffsetY + 2, drawn.width(),
                       il->Y + il->Height + onImage.PaintTop + caps.PhysicalOffsetY - 2};
            TRect a = InkBounds(drawn, band), b = InkBounds(pdfPage, band);
            EXPECT_TRUE(WithinPixels(a, b, 2)) << text << ": " << RectText(a) << " vs " << RectText(b);
        }
    }
}

namespace {

std::string parTexts(TRtRTFText& d) {
    std::string s;
    for (TParagraph* p = d.FirstPar; p; p = p->Next) {
        if (p != d.FirstPar) s += '|';
        for (TLine* l = p->FirstLine; l; l = l->Next) s.append(l->Text.get(), l->Length);
    }
    return s;
}

// The cursor as "paragraph:offset within it".
std::string cursorText(TRtRTFTextIo& d) {
    int par = TRtRTFText::ParagraphNumber(d.FirstPar, d.CurPar), off = d.CurPos;
    for (TLine* l = d.CurPar->FirstLine; l && l != d.CurLine; l = l->Next) off += l->Length;
    return std::to_string(par) + ":" + std::to_string(off);
}

void putCursor(TRtRTFTextInput& d, int par, int off) {
    d.SetCursorIndex(0, 0, par, off);
    d.UpdateCaretMetrics();
}

void makeCells(TRtRTFTextInput& d, int count) {
    TParagraph* p = d.FirstPar;
    for (int i = 0; i < count; ++i, p = p->Next) {
        p->ParFlags = pfTableCell | (i ? pfNotFirstCell : 0) | (i + 1 < count ? pfCellFollows : 0);
        p->TabSet = static_cast<uint32_t>(255 * i / count) | (static_cast<uint32_t>(255 / count) << 8);
    }
    d.ReformatAll();
}

}  // namespace

TEST(RtInput, ScriptsKeepTheDocumentSound) {
    using Step = std::function<void(TRtRTFTextInput&)>;
    auto type = [](std::string s) { return Step([s](TRtRTFTextInput& d) { d.InputText(s); }); };
    auto at = [](int par, int off) { return Step([=](TRtRTFTextInput& d) { putCursor(d, par, off); }); };
    using Move = void (TRtRTFTextInput::*)(int, bool, bool);
    auto go = [](Move move, int count) { return Step([=](TRtRTFTextInput& d) { (d.*move)(count, false, false); }); };
    const Move left = &TRtRTFTextInput::CursorLeft, right = &TRtRTFTextInput::CursorRight;
    const Move up = &TRtRTFTextInput::CursorUp, down = &TRtRTFTextInput::CursorDown;
    const Move wordLeft = &TRtRTFTextInput::WordLeft, wordRight = &TRtRTFTextInput::WordRight;
    struct Case {
        const char* what;
        std::string shape;
        int cells;
        std::vector<Step> steps;
        std::string text, cursor;
    } cases[] = {
        {"backspace at the start", "abc|def", 0, {at(0, 0), type("\b")}, "abc|def", "0:0"},
        {"backspace joins paragraphs", "abc|def", 0, {at(1, 0), type("\b")}, "abcdef", "0:3"},
        {"backspace in a line", "abc|def", 0, {at(1, 2), type("\b")}, "abc|df", "1:1"},
        {"delete at the end joins", "abc|def", 0, {at(0, 3), type("\x7f")}, "abcdef", "0:3"},
        {"enter at the start", "abc|def", 0, {at(0, 0), type("\r")}, "|abc|def", "1:0"},
        {"enter splits", "abc|def", 0, {at(0, 1), type("\r")}, "a|bc|def", "1:0"},
        {"typing over a block", "abc|def", 0,
         {at(0, 0), [](TRtRTFTextInput& d) { d.SelectRange(1, 2); }, type("X")}, "aX|def", "0:2"},
        {"block across paragraphs", "abc|def|ghi", 0,
         {[](TRtRTFTextInput& d) { d.SelectRange(1, 5); }, type("\x7f")}, "a|ghi", "0:1"},
        {"tab in a cell", "ab|cd", 2, {at(0, 1), type("\t")}, "ab|cd", "1:0"},
        {"tab in the last cell", "ab|cd", 2, {at(1, 1), type("\t")}, "ab|cd", "1:1"},
        {"enter in a cell breaks the line", "ab|cd", 2, {at(1, 1), type("\r")}, "ab|c\nd", "1:2"},
        {"cells are cleared, never joined", "ab|cd", 2,
         {[](TRtRTFTextInput& d) { d.SelectRange(0, 4); }, type("\x7f")}, "|", "0:0"},
        {"word right ends after the word", "frame lenses coating", 0,
         {at(0, 8), [](TRtRTFTextInput& d) { d.WordRight(1, false, false); }}, "frame lenses coating", "0:12"},
        {"word left lands on the first letter", "frame lenses coating", 0,
         {at(0, 8), [](TRtRTFTextInput& d) { d.WordLeft(1, false, false); }}, "frame lenses coating", "0:6"},
        {"word moves know accented letters", "caf\xe9 cr\xe8me", 0,
         {at(0, 0), [](TRtRTFTextInput& d) { d.WordRight(1, false, false); }}, "caf\xe9 cr\xe8me", "0:4"},
        {"left at a paragraph's start ends the one before", "abc|def", 0, {at(1, 0), go(left, 1)}, "abc|def", "0:3"},
        {"right at a paragraph's end starts the next", "abc|def", 0, {at(0, 3), go(right, 1)}, "abc|def", "1:0"},
        {"left counts across paragraphs", "ab|cd", 0, {at(1, 1), go(left, 3)}, "ab|cd", "0:1"},
        {"left stops at the document's start", "ab|cd", 0, {at(0, 1), go(left, 5)}, "ab|cd", "0:0"},
        {"right stops at the document's end", "ab|cd", 0, {at(1, 0), go(right, 9)}, "ab|cd", "1:2"},
        {"word left at a paragraph's start ends the one before", "frame lenses|coating", 0,
         {at(1, 0), go(wordLeft, 1)}, "frame lenses|coating", "0:12"},
        {"word right at a paragraph's end starts the next", "frame|lenses", 0, {at(0, 5), go(wordRight, 1)},
         "frame|lenses", "1:0"},
        {"word left stops at the document's start", "frame lenses", 0, {at(0, 8), go(wordLeft, 5)}, "frame lenses",
         "0:0"},
        {"word right stops at the document's end", "frame|lenses", 0, {at(0, 2), go(wordRight, 9)}, "frame|lenses",
         "1:6"},
        {"up stops at the first line", "abc|abc", 0, {at(1, 2), go(up, 4)}, "abc|abc", "0:2"},
        {"down stops at the last line", "abc|abc", 0, {at(0, 1), go(down, 4)}, "abc|abc", "1:1"},
        {"down keeps the column through a short line", "abcdef|ab|abcdef", 0,
         {at(0, 5), go(down, 1), go(down, 1)}, "abcdef|ab|abcdef", "2:5"},
        {"a move sideways forgets the kept column", "abcdef|ab|abcdef", 0,
         {at(0, 5), go(down, 1), go(left, 1), go(down, 1)}, "abcdef|ab|abcdef", "2:1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Page page(96, 400, 300);
        page.build(c.shape, "Arial", 10);
        if (c.cells) makeCells(page.doc, c.cells);
        for (const Step& step : c.steps) {
            step(page.doc);
            ASSERT_EQ(RtCheckInvariants(page.doc, {{page.doc.CurPar, page.doc.CurLine, page.doc.CurPos}}), "");
        }
        EXPECT_EQ(parTexts(page.doc), c.text);
        EXPECT_EQ(cursorText(page.doc), c.cursor);
    }
}

TEST(RtInput, TypingWrapsAndTheCursorFollows) {
    Page page(96, 400, 300);
    page.build("", "Times New Roman", 12);
    std::string typed = generatedText(40, 5);
    for (char ch : typed) {
        page.doc.InputText(std::string(1, ch));
        ASSERT_EQ(RtCheckInvariants(page.doc, {{page.doc.CurPar, page.doc.CurLine, page.doc.CurPos}}), "");
    }
    EXPECT_EQ(parTexts(page.doc), typed);
    EXPECT_GT(page.lines().size(), 1u);
    EXPECT_EQ(cursorText(page.doc), "0:" + std::to_string(typed.size()));
}

TEST(RtInput, ShiftDownThenShiftUpLeavesNoMarks) {
    Page page(96, 400, 300);
    page.build(generatedText(60, 4), "Arial", 10);
    page.doc.Visible = true;
    putCursor(page.doc, 0, 5);
    page.doc.CursorDown(1, true, false);
    int start, length;
    ASSERT_TRUE(page.doc.GetBlockRange(start, length));
    EXPECT_GT(length, 0);
    page.doc.CursorUp(1, true, false);
    page.doc.GetBlockRange(start, length);
    EXPECT_EQ(length, 0);
    page.doc.Paint();
    for (TLine* l = page.doc.FirstPar->FirstLine; l; l = l->Next) EXPECT_EQ(l->Mark, lmNone);
    const QImage& img = page.device.Image();
    TColor hi = ColorToRGB(clHighlight);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 400; ++x) {
            QColor c(img.pixel(x, y));
            ASSERT_NE(RGB(c.red(), c.green(), c.blue()), hi) << x << "," << y;
        }
}

TEST(RtPaint, PagesMatchTheirReferencePictures) {
    struct Case {
        const char* name;
        std::function<void(Page&)> make;
    } cases[] = {
        {"mixed_page", [](Page& p) { buildMixedPage(p); }},
        {"zoomed_justified",
         [](Page& p) {
             p.build(generatedText(90, 31) + "|" + generatedText(40, 32), "Arial", 11);
             p.doc.FirstPar->Align = 3;
             p.doc.FirstPar->IndentLeft = 1440;
             p.doc.FirstPar->IndentRight = 720;
             p.doc.FirstPar->Next->Align = 2;
             p.doc.SetZoom(150);
         }},
        {"cells_block_pagebreak",
         [](Page& p) {
             p.build("Right eye|Left eye|" + generatedText(30, 41) + "|After the break", "Times New Roman", 12);
             makeCells(p.doc, 2);
             ParAt(p.doc, 3)->ParFlags |= pfPageBreak;
             ParAt(p.doc, 2)->ParFlags |= pfPageBreak;
             p.doc.ReformatAll();
             p.doc.SelectRange(20, 40);
         }},
    };
    for (const Case& c : cases) {
        Page page(96, 600, 400);
        c.make(page);
        page.doc.Visible = true;
        page.doc.Paint();
        KeepPicture(page.device.Image(), std::string("richtext_") + c.name);
        std::string why;
        EXPECT_TRUE(MatchesReference(page.device.Image(), std::string(RT_REFERENCE_DIR) + "/" + c.name + ".png", &why))
            << c.name << ": " << why;
    }
}

TEST(RtPaint, BorderedParagraphsOfOneBoxShareNoMiddleLine) {
    Page page(96, 400, 200);
    page.doc.Header->SetTextWidthPx(380);
    page.build("First boxed|Second boxed|Outside", "Arial", 10);
    ParAt(page.doc, 0)->TableFlags = tfBorder | tfAllSides;
    ParAt(page.doc, 1)->TableFlags = tfBorder | tfAllSides | tfBoxEnds;
    page.doc.ReformatAll();
    page.doc.Visible = true;
    page.doc.Paint();
    const QImage& img = page.device.Image();
    KeepPicture(img, "richtext_borders");
    TLine* a = ParAt(page.doc, 0)->FirstLine;
    TLine* b = ParAt(page.doc, 1)->FirstLine;
    TLine* c = ParAt(page.doc, 2)->FirstLine;
    int mid = 300;  // right of the text, inside the box
    EXPECT_TRUE(IsInk(img.pixel(mid, a->Y))) << "top of the box";
    EXPECT_TRUE(IsInk(img.pixel(mid, b->Y + b->Height - 1))) << "bottom of the box";
    for (int y = a->Y + 1; y < b->Y + b->Height - 1; ++y) EXPECT_FALSE(IsInk(img.pixel(mid, y))) << y;
    EXPECT_TRUE(IsInk(img.pixel(page.doc.BoxLeft(ParAt(page.doc, 0)), b->Y + 3))) << "left side";
    for (int y = c->Y; y < c->Y + c->Height; ++y) EXPECT_FALSE(IsInk(img.pixel(mid, y))) << "outside the box";
}
