#include "support/ReportPages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "base/Streams.h"
#include "base/SysUtils.h"
#include "os/Paths.h"
#include "reporting/RSDevice.h"
#include "reporting/RSFPrint.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSPreview.h"
#include "reporting/RSSetFrm.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "ui/StdCtrls.h"

namespace {

// The stream player, recording what it would draw instead of drawing it.
class RecordingPlayer : public TFilePrinter {
public:
    explicit RecordingPlayer(ReportPages& Into) : TFilePrinter(nullptr), into_(Into) {}

    void PlayPage(int PageNum) override {
        page_ = PageNum;
        into_.PageCount = std::max(into_.PageCount, PageNum);
        TFilePrinter::PlayPage(PageNum);
    }
    void PrintLeftInch(const std::string& Text, double X) override { text(Text, X, X + TextWidth(Text)); }
    void PrintRightInch(const std::string& Text, double X) override { text(Text, X - TextWidth(Text), X); }
    void PrintCenterInch(const std::string& Text, double X) override {
        const double w = TextWidth(Text);
        text(Text, X - w / 2, X + w / 2);
    }
    void PrintBlockInch(const std::string& Text, double X, double Width) override { text(Text, X, X + Width); }
    // The clipping rectangle is not kept: the text is where it starts.
    void TextRect(const TRect&, double X, double Y, const std::string& Text) override {
        if (Text.empty()) return;
        into_.Items.push_back({page_, X, X + TextWidth(Text), Y, FontName(), Bold(), Italic(), FontSize(), Text});
    }
    void MoveTo(double X, double Y) override {
        penX_ = X;
        penY_ = Y;
    }
    void LineTo(double X, double Y) override {
        into_.Rules.push_back({page_, penX_, penY_, X, Y, false});
        MoveTo(X, Y);
    }
    void Rectangle(double X1, double Y1, double X2, double Y2) override { box(X1, Y1, X2, Y2); }
    void TabRectangle(double X1, double Y1, double X2, double Y2) override { box(X1, Y1, X2, Y2); }
    void FillRect(double X1, double Y1, double X2, double Y2) override { box(X1, Y1, X2, Y2); }

private:
    void text(const std::string& Text, double Left, double Right) {
        if (Text.empty()) return;  // an empty cell shows nothing
        into_.Items.push_back({page_, Left, Right, YPos(), FontName(), Bold(), Italic(), FontSize(), Text});
    }
    void box(double X1, double Y1, double X2, double Y2) { into_.Rules.push_back({page_, X1, Y1, X2, Y2, true}); }

    ReportPages& into_;
    int page_ = 0;
    double penX_ = 0, penY_ = 0;
};

std::string readFile(const std::string& Name) {
    std::ifstream in(Name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The bytes the preview window plays.
std::string previewBytes(TRSPreviewForm& Preview) {
    TFilePreview* player = Preview.FilePreview1;
    if (player->StreamMode() == smUser || player->StreamMode() == smMemory) {
        TStream* stream = player->Stream();
        if (stream) {
            const std::int64_t at = stream->Position();
            std::string bytes(static_cast<std::size_t>(stream->Size()), '\0');
            stream->SetPosition(0);
            stream->Read(bytes.data(), static_cast<std::int64_t>(bytes.size()));
            stream->SetPosition(at);
            return bytes;
        }
    }
    return readFile(player->FileName());
}

bool near(double A, double B) { return std::fabs(A - B) < 0.02; }

}  // namespace

std::vector<ReportTextItem> ReportPages::On(int Page) const {
    std::vector<ReportTextItem> items;
    for (const ReportTextItem& item : Items)
        if (Page == 0 || item.Page == Page) items.push_back(item);
    return items;
}

std::vector<std::string> ReportPages::LineAt(int Page, double Baseline) const {
    std::vector<ReportTextItem> items;
    for (const ReportTextItem& item : On(Page))
        if (std::abs(item.Baseline - Baseline) < 0.02) items.push_back(item);
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.Left < b.Left; });
    std::vector<std::string> texts;
    for (const ReportTextItem& item : items) texts.push_back(Trim(item.Text));
    return texts;
}

const ReportTextItem* ReportPages::Find(const std::string& Text) const {
    for (const ReportTextItem& item : Items)
        if (item.Text == Text) return &item;
    return nullptr;
}

const ReportTextItem* ReportPages::FindLast(const std::string& Text) const {
    for (auto it = Items.rbegin(); it != Items.rend(); ++it)
        if (it->Text == Text) return &*it;
    return nullptr;
}

std::vector<std::string> ReportPages::Texts(int Page) const {
    std::vector<std::string> texts;
    for (const ReportTextItem& item : On(Page))
        texts.push_back(item.Text);
    return texts;
}

ReportPages DecodeReportStream(const std::string& Bytes) {
    ReportPages pages;
    TempDir dir;
    TStringStream input(Bytes);
    RecordingPlayer player(pages);
    player.SetDevice(GlobalReportDevice());
    player.SetStreamMode(smUser);
    player.SetStream(&input);
    player.SetOutputFileName(dir.file("decoded.pdf"));
    player.Execute();
    return pages;
}

std::string PreviewStreamBytes(TRSPreviewForm& Preview) { return previewBytes(Preview); }

ReportPages CaptureReport(const std::function<void()>& Start) {
    std::vector<std::string> captured;
    TDialogScript script;
    script.Answer([](TForm& f) {
        auto& setup = dynamic_cast<TRSSetupForm&>(f);
        setup.PreviewRB->SetChecked(true);
        setup.OKBB->Click();
    });
    script.Answer([&](TForm& f) {
        auto& preview = dynamic_cast<TRSPreviewForm&>(f);
        captured.push_back(previewBytes(preview));
        preview.SBDone->Click();
    });
    Start();
    EXPECT_EQ(script.Unanswered(), 0u) << "the report did not reach its preview";
    if (captured.size() != 1) return {};
    return DecodeReportStream(captured.front());
}

void PrintReportToPdf(const std::function<void()>& Start, const std::string& PdfFile) {
    EXPECT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    TDialogScript script;
    script.Answer([&](TForm& f) {
        auto& setup = dynamic_cast<TRSSetupForm&>(f);
        setup.FileRB->SetChecked(true);
        setup.FileNameED->SetText(PdfFile);
        setup.OKBB->Click();
    });
    Start();
    EXPECT_EQ(script.Unanswered(), 0u);
    EXPECT_TRUE(os::FileExists(PdfFile)) << PdfFile;
    const QImage first = RenderPdfPage(PdfFile, 1, 100);
    EXPECT_FALSE(first.isNull());
    std::string png = PdfFile;
    png.replace(png.size() - 4, 4, ".png");
    first.save(QString::fromStdString(png));
}

std::string ReportOutputFile(const std::string& Name) {
    const char* root = std::getenv("QUENMARK_ROOT");
    const std::string folder = std::string(root ? root : ".") + "/reports";
    os::ForceDirectories(folder);
    return folder + "/" + Name;
}

std::string PdfText(const std::string& PdfFile) { return RunTool("pdftotext", {"-layout", PdfFile, "-"}); }

std::vector<std::vector<std::string>> Cells(const ReportPages& Pages, const std::vector<ReportStop>& Stops,
                                            double FromY, double ThruY, int Page, double PrintableRight) {
    // Lines by page, then baseline.
    std::map<std::pair<int, long>, std::vector<const ReportTextItem*>> lines;
    for (const ReportTextItem& item : Pages.Items) {
        if (Page != 0 && item.Page != Page) continue;
        if (item.Baseline <= FromY || item.Baseline > ThruY) continue;
        lines[{item.Page, std::lround(item.Baseline * 100)}].push_back(&item);
    }
    std::vector<std::vector<std::string>> rows;
    for (const auto& [where, items] : lines) {
        std::vector<std::string> row(Stops.size());
        for (const ReportTextItem* item : items) {
            EXPECT_LE(item->Right, PrintableRight + 0.01)
                << "\"" << item->Text << "\" reaches beyond the printable width on page " << where.first;
            bool placed = false;
            for (std::size_t i = 0; i < Stops.size() && !placed; ++i) {
                const ReportStop& stop = Stops[i];
                if (stop.Right ? near(item->Right, stop.Pos + stop.Width) : near(item->Left, stop.Pos)) {
                    row[i] += item->Text;
                    placed = true;
                }
            }
            EXPECT_TRUE(placed) << "\"" << item->Text << "\" at " << item->Left << "-" << item->Right
                                << " is in no tab stop (page " << where.first << ", baseline "
                                << item->Baseline << ")";
        }
        rows.push_back(row);
    }
    return rows;
}
