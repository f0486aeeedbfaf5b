// The rich-text layout against Qt's QTextDocument, undo off on both sides,
// the same Liberation faces at the same pixel sizes and the same width (the
// default text width at 96 dpi), no painting.
//   rtf_load_layout  a seeded 1 MB RTF written by our writer, loaded and laid
//                    out in full; Qt gets the same content as HTML
//   rtf_typing       10,000 characters typed one at a time at page 50 of a
//                    100-page document (Enter every 500), the changed
//                    paragraph laid out and the caret rectangle asked for
//                    after each
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <memory>
#include <random>
#include <string>

#include "BenchSupport.h"
#include "base/Streams.h"
#include "richtext/RtRtfInp.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"

namespace {

const char* const kWords[] = {"optical", "frame", "lens", "the", "patient", "asked", "for", "a", "progressive",
                              "coating", "with", "anti-reflective", "finish", "and", "titanium", "hinges"};
constexpr int kTextWidth = 565;  // (12240 - 2 * 1880) twips at 96 dpi

std::string words(std::mt19937& rng, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += kWords[rng() % (sizeof(kWords) / sizeof(*kWords))];
    }
    return s;
}

std::string htmlEscaped(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else out += c;
    }
    return out;
}

// A measuring device of a 96-dpi screen and a canvas over it.
struct Screen {
    TDeviceCaps caps;
    TDeviceContext dc{caps};
    TCanvas canvas{&dc};
};

// The seeded document, its RTF and the same content as HTML.
struct LoadCase {
    std::string rtf, html;
};

LoadCase makeLoadCase() {
    std::mt19937 rng(1234);
    TRtRTFTextInput doc;
    int arial = doc.Header->AddFont("Arial"), times = doc.Header->AddFont("Times New Roman");
    const char* faces[] = {"Liberation Sans", "Liberation Serif"};
    std::string html = "<html><body>";
    TParagraph* par = doc.FirstPar;
    bool first = true;
    int rowCell = 0;
    while (true) {
        if (!first) doc.NewParagraph(par, 40);
        first = false;
        par->Align = static_cast<uint8_t>(rng() % 4);
        par->IndentLeft = static_cast<int>(rng() % 3) * 360;
        par->IndentFirst = par->IndentLeft;
        bool cell = rowCell > 0 || rng() % 12 == 0;
        if (cell) {
            par->ParFlags = static_cast<uint8_t>(pfTableCell | (rowCell ? pfNotFirstCell : 0) | (rowCell < 2 ? pfCellFollows : 0));
            par->TabSet = static_cast<uint32_t>(85 * rowCell) | (85u << 8);
            par->Align = 0;
            if (rowCell == 0) html += "<table width=\"100%\"><tr>";
            html += "<td>";
        } else {
            static const char* aligns[] = {"left", "right", "center", "justify"};
            html += std::string("<p align=\"") + aligns[par->Align] + "\" style=\"margin-left:" +
                    std::to_string(par->IndentLeft * 96 / 1440) + "px\">";
        }
        TLine* line = par->FirstLine;
        int runs = 1 + static_cast<int>(rng() % 4);
        for (int r = 0; r < runs; ++r) {
            TCharAttr a;
            bool serif = rng() % 2;
            a.Font = static_cast<uint8_t>(serif ? times : arial);
            a.Size = static_cast<uint8_t>(9 + rng() % 8);
            a.Style = static_cast<uint8_t>(rng() % 8 & (stBold | stItalic | stUnderline));
            a.Colors = static_cast<uint8_t>(rng() % 3 == 0 ? 1 + rng() % 12 : 0);
            std::string text = words(rng, 4 + static_cast<int>(rng() % 30)) + " ";
            doc.ReplaceInLine(par, line, &a, static_cast<int>(text.size()), text.data(), 0, line->Length);
            const TRtPaletteEntry& c = doc.Header->Palette[a.Colors & 15];
            char colour[8];
            std::snprintf(colour, sizeof colour, "#%02x%02x%02x", c.Red, c.Green, c.Blue);
            html += std::string("<span style=\"font-family:'") + faces[serif] + "'; font-size:" +
                    std::to_string(RtMulDiv(a.Size, 96, 72)) + "px; font-weight:" +
                    ((a.Style & stBold) ? "700" : "400") + "; font-style:" + ((a.Style & stItalic) ? "italic" : "normal") +
                    "; text-decoration:" + ((a.Style & stUnderline) ? "underline" : "none") + "; color:" + colour +
                    "\">" + htmlEscaped(text) + "</span>";
        }
        if (cell) {
            html += "</td>";
            rowCell = (rowCell + 1) % 3;
            if (rowCell == 0) html += "</tr></table>";
        } else {
            html += "</p>";
        }
        // Rough size check every 200 paragraphs; the final size is what the writer gives.
        static int count = 0;
        if (++count % 200 == 0 && rowCell == 0) {
            TStringStream probe;
            doc.SaveToStream(&probe);
            if (probe.DataString().size() >= 1000000) {
                html += "</body></html>";
                return {probe.DataString(), html};
            }
        }
    }
}

std::unique_ptr<LoadCase> loadCase;

void OurLoadLayout(benchmark::State& state) {
    Screen screen;
    for (auto _ : state) {
        TRtRTFTextInput doc;
        doc.SaveFormat = FormatRTF;
        TStringStream in(loadCase->rtf);
        doc.LoadFromStream(&in);
        doc.SetCanvas(&screen.canvas);  // a new resolution lays the document out
        if (doc.DocHeight == 0) doc.ReformatAll();
        if (doc.DocHeight < 100000) {
            state.SkipWithError("the document was not laid out in full");
            break;
        }
        benchmark::DoNotOptimize(doc.DocHeight);
    }
}

void PeerLoadLayout(benchmark::State& state) {
    const QString html = QString::fromUtf8(loadCase->html.c_str());
    for (auto _ : state) {
        QTextDocument doc;
        doc.setUndoRedoEnabled(false);
        doc.setHtml(html);
        doc.setTextWidth(kTextWidth);
        benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
    }
}

// 100 pages of plain paragraphs.
std::string typingText() {
    std::mt19937 rng(99);
    std::string s;
    for (int p = 0; p < 900; ++p) {
        if (p) s += '\r';
        s += words(rng, 60);
    }
    return s;
}

constexpr int kTyped = 10000;
constexpr int kEnterEvery = 500;

void OurTyping(benchmark::State& state) {
    Screen screen;
    std::string text = typingText();
    for (auto _ : state) {
        state.PauseTiming();
        TRtRTFTextInput doc;
        doc.CurAttr.Font = static_cast<uint8_t>(doc.Header->AddFont("Times New Roman"));
        doc.CurAttr.Size = 12;
        doc.SetCanvas(&screen.canvas);
        TStringStream in(text);
        doc.LoadFormat = FormatANSI;
        doc.LoadFromStream(&in);
        doc.ReformatAll();
        TParagraph* p = doc.FirstPar;
        for (int i = 0; i < 450 && p->Next; ++i) p = p->Next;
        doc.CurPar = p;
        doc.CurLine = p->FirstLine;
        doc.CurPos = 0;
        state.ResumeTiming();
        for (int i = 0; i < kTyped; ++i) {
            doc.InputText(i % kEnterEvery == kEnterEvery - 1 ? "\r" : std::string(1, "abcdefgh "[i % 9]));
            benchmark::DoNotOptimize(doc.CaretX + doc.CaretY + doc.CaretHeight);
        }
    }
}

void PeerTyping(benchmark::State& state) {
    QString text = QString::fromLatin1(typingText().c_str());
    text.replace('\r', '\n');
    QFont font("Liberation Serif");
    font.setPixelSize(16);
    for (auto _ : state) {
        state.PauseTiming();
        QTextDocument doc;
        doc.setUndoRedoEnabled(false);
        doc.setDefaultFont(font);
        doc.setPlainText(text);
        doc.setTextWidth(kTextWidth);
        doc.documentLayout()->documentSize();
        QTextCursor cursor(doc.findBlockByNumber(450));
        state.ResumeTiming();
        for (int i = 0; i < kTyped; ++i) {
            if (i % kEnterEvery == kEnterEvery - 1) cursor.insertBlock();
            else cursor.insertText(QString(QChar("abcdefgh "[i % 9])));
            QTextBlock block = cursor.block();
            doc.documentLayout()->blockBoundingRect(block);
            QTextLine line = block.layout()->lineForTextPosition(cursor.positionInBlock());
            benchmark::DoNotOptimize(line.isValid() ? line.rect() : QRectF());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    loadCase = std::make_unique<LoadCase>(makeLoadCase());
    benchmark::RegisterBenchmark("rtf_load_layout/ours", OurLoadLayout)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("rtf_load_layout/qt", PeerLoadLayout)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("rtf_typing/ours", OurTyping)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::RegisterBenchmark("rtf_typing/qt", PeerTyping)->Unit(benchmark::kMillisecond)->Iterations(1);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* name : {"rtf_load_layout", "rtf_typing"}) reporter.PrintRatio(name, "qt");
    loadCase.reset();
    return 0;
}
