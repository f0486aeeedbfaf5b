// Image components of report projects: the size MatchSide gives a graphic,
// where the graphic comes from (a data field's bytes or the file it names,
// FileLink, the graphic stored in the project), the crossed frame when
// there is none, a null field that prints nothing, metafiles printed as
// their frame, stored graphics through the project writer and reader, and a
// report with images printed to PDF.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "RecordingReport.h"
#include "base/Streams.h"
#include "reporting/project/DZCsImage.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DZFiler.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/RSCon.h"
#include "reporting/RSDevice.h"
#include "reporting/project/RSDuzu.h"
#include "reporting/RSSystem.h"
#include "reporting/project/StreamHelper.h"
#include "support/PageImages.h"
#include "support/TempDir.h"
#include "ui/Metafile.h"

namespace {

// A recording engine that also records what is drawn stretched: its
// rectangle and the graphic's size as "WxH".
class ImageReport : public TRecordingReport {
public:
    using TRecordingReport::TRecordingReport;
    void StretchDraw(double X1, double Y1, double X2, double Y2, TGraphic* Graphic) override {
        Output.push_back({"stretch", X1, Y1, X2, Y2,
                          std::to_string(Graphic->Width()) + "x" + std::to_string(Graphic->Height())});
    }
};

// One drawing call as text, lengths to 0.001 inch.
std::string callText(const Drawn& d) {
    char text[160];
    std::snprintf(text, sizeof text, "%s %.3f,%.3f-%.3f,%.3f%s%s", d.Op.c_str(), d.X1, d.Y1, d.X2, d.Y2,
                  d.Text.empty() ? "" : " ", d.Text.c_str());
    return text;
}

// What an image prints; lines from their left (then top) end, in order,
// since the engine gathers lines and sends them in an order of its own.
std::vector<std::string> printed(TDuzuBaseImage& Image) {
    TestDevice device;
    ImageReport report(&device);
    report.Run([&](TRecordingReport& r) { Image.Print(&r); });
    std::vector<std::string> calls;
    for (Drawn d : report.Output) {
        if (d.Op == "line" && std::make_pair(d.X2, d.Y2) < std::make_pair(d.X1, d.Y1)) {
            std::swap(d.X1, d.X2);
            std::swap(d.Y1, d.Y2);
        }
        calls.push_back(callText(d));
    }
    std::sort(calls.begin(), calls.end());
    return calls;
}

// The frame of a rectangle and its two diagonals.
std::vector<std::string> frame(double L, double T, double R, double B) {
    auto line = [](double x1, double y1, double x2, double y2) { return callText({"line", x1, y1, x2, y2}); };
    std::vector<std::string> lines = {line(L, T, R, T), line(R, T, R, B), line(L, B, R, B),
                                      line(L, T, L, B), line(L, T, R, B), line(L, B, R, T)};
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> stretched(double L, double T, double R, double B, const std::string& Size) {
    return {callText({"stretch", L, T, R, B, Size})};
}

// A placed bitmap component of 3 x 3 inches at (1, 1).
template <class Image>
void place(Image& image) {
    image.SetBounds(MakeRect(1, 1, 4, 4));
}

std::unique_ptr<TBitmap> solidBitmap(int Width, int Height, TColor Color) {
    auto bitmap = std::make_unique<TBitmap>(Width, Height);
    bitmap->Canvas()->Brush()->SetColor(Color);
    bitmap->Canvas()->FillRect({0, 0, Width, Height});
    return bitmap;
}

// A metafile without records whose placeable box is Width x Height inches.
std::unique_ptr<TMetafile> metafileOf(double Width, double Height) {
    std::string bytes(TMetafile::PlaceableHeaderSize + 18, '\0');
    TMetafile::writePlaceableHeader(bytes, static_cast<int>(Width * 2540), static_cast<int>(Height * 2540));
    auto metafile = std::make_unique<TMetafile>();
    metafile->loadFromBytes(bytes);
    return metafile;
}

void writeFile(const std::string& Name, const std::string& Bytes) {
    TFileStream file(Name, fmCreate);
    file.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
}

TEST(DuzuImage, MatchSideSizesTheGraphic) {
    struct Case {
        TMatchSide Side;
        double GraphicWidth, GraphicHeight, Width, Height;
    } cases[] = {
        {msWidth, 2, 1, 3, 1.5},  {msHeight, 2, 1, 6, 3},  {msBoth, 2, 1, 3, 3},
        {msInside, 2, 1, 3, 1.5}, {msInside, 1, 2, 1.5, 3}, {msWidth, 0, 1, 3, 3},  // no size: as set
    };
    for (const Case& c : cases) {
        TDuzuImageSize size = matchSideSize(c.Side, 3, 3, c.GraphicWidth, c.GraphicHeight);
        EXPECT_DOUBLE_EQ(size.Width, c.Width) << c.Side << " " << c.GraphicWidth;
        EXPECT_DOUBLE_EQ(size.Height, c.Height) << c.Side << " " << c.GraphicWidth;
    }
}

TEST(DuzuImage, TheGraphicComesFromTheFileLinkOrTheProjectElseAFramePrints) {
    TempDir dir;
    solidBitmap(10, 20, clBlack)->SaveToFile(dir.file("tall.bmp"));
    auto wide = solidBitmap(20, 10, clBlack);

    TDuzuBitmap image(nullptr);
    place(image);
    EXPECT_EQ(printed(image), frame(1, 1, 4, 4));  // nothing to show

    image.SetImage(wide.get());
    EXPECT_EQ(printed(image), stretched(1, 1, 4, 2.5, "20x10"));
    image.SetMatchSide(msHeight);
    EXPECT_EQ(printed(image), stretched(1, 1, 7, 4, "20x10"));

    image.SetFileLink(dir.file("tall.bmp"));  // before the stored graphic
    EXPECT_EQ(printed(image), stretched(1, 1, 2.5, 4, "10x20"));
    image.SetFileLink(dir.file("missing.bmp"));
    EXPECT_EQ(printed(image), frame(1, 1, 4, 4));
    writeFile(dir.file("broken.bmp"), "BM not a bitmap");
    image.SetFileLink(dir.file("broken.bmp"));
    EXPECT_EQ(printed(image), frame(1, 1, 4, 4));
}

TEST(DuzuImage, AMetafilePrintsAsTheFrameOfItsSize) {
    TDuzuMetaFile image(nullptr);
    place(image);
    EXPECT_EQ(printed(image), frame(1, 1, 4, 4));
    auto metafile = metafileOf(2, 1);
    image.SetImage(metafile.get());
    ASSERT_FALSE(image.Image()->Empty());
    EXPECT_EQ(printed(image), frame(1, 1, 4, 2.5));
}

// Rows of PHOTO (a graphic) and FILE (a file name), either null when empty.
class PhotosConnection {
public:
    explicit PhotosConnection(std::vector<std::pair<std::string, std::string>> rows)
        : connection(nullptr), rows_(std::move(rows)) {
        connection.SetName("Photos");
        connection.OnFirst = [this](TRSCustomConnection*) { row_ = 0; };
        connection.OnNext = [this](TRSCustomConnection*) { ++row_; };
        connection.OnEOF = [this](TRSCustomConnection*, bool& eof) { eof = row_ >= rows_.size(); };
        connection.OnGetCols = [](TRSCustomConnection* c) {
            c->WriteField("PHOTO", dtGraphic, 10, "", "");
            c->WriteField("FILE", dtString, 80, "", "");
        };
        connection.OnGetRow = [this](TRSCustomConnection* c) {
            const auto& [photo, file] = rows_[row_];
            if (photo.empty())
                c->WriteNullData();
            else
                c->WriteBlobData(photo.data(), static_cast<std::int32_t>(photo.size()));
            if (file.empty())
                c->WriteNullData();
            else
                c->WriteStrData(file, file);
        };
    }
    TRSCustomConnection connection;

private:
    std::vector<std::pair<std::string, std::string>> rows_;
    std::size_t row_ = 0;
};

TEST(DuzuImage, ADataFieldGivesTheBytesOrTheFileNameAndANullPrintsNothing) {
    DuzuRegisterAllClasses();
    TempDir dir;
    solidBitmap(10, 20, clBlack)->SaveToFile(dir.file("tall.bmp"));
    PhotosConnection photos({{solidBitmap(20, 10, clBlack)->saveToBytes(), dir.file("tall.bmp")},
                             {"", dir.file("missing.bmp")},
                             {"no bitmap", ""}});
    TDuzuProjectManager project(nullptr);
    TDuzuProjectManager* saved = ProjectManager;
    ProjectManager = &project;
    auto* view = new TDuzuDataView(&project);
    view->SetName("PhotoView");
    view->SetConnectionName("Photos");
    project.AddDataObject(view);
    auto* photo = new TDuzuGraphicField(&project);
    photo->SetName("PhotoViewPHOTO");
    photo->SetFieldName("PHOTO");
    photo->SetParent(view);
    auto* file = new TDuzuStringField(&project);
    file->SetName("PhotoViewFILE");
    file->SetFieldName("FILE");
    file->SetParent(view);

    TDuzuBitmap fromBytes(nullptr), fromFile(nullptr);
    for (TDuzuBitmap* image : {&fromBytes, &fromFile}) {
        place(*image);
        image->SetDataView(view);
        image->SetFileLink(dir.file("tall.bmp"));  // the field comes first
    }
    fromBytes.SetDataField("PHOTO");
    fromFile.SetDataField("FILE");

    view->First();
    EXPECT_EQ(printed(fromBytes), stretched(1, 1, 4, 2.5, "20x10"));
    EXPECT_EQ(printed(fromFile), stretched(1, 1, 4, 7, "10x20"));
    view->Next();
    EXPECT_TRUE(printed(fromBytes).empty());
    EXPECT_EQ(printed(fromFile), frame(1, 1, 4, 4));
    view->Next();
    EXPECT_EQ(printed(fromBytes), frame(1, 1, 4, 4));
    EXPECT_TRUE(printed(fromFile).empty());
    view->Close();
    ProjectManager = saved;
}

TEST(DuzuImage, StoredGraphicsGoThroughTheProjectWriterAndReader) {
    DuzuRegisterAllClasses();
    TBitmap checks(4, 2);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 2; ++y) checks.Canvas()->SetPixels(x, y, (x + y) % 2 ? clWhite : clRed);
    auto metafile = metafileOf(2, 1);

    TMemoryStream stream;
    {
        TDuzuProjectManager project(nullptr);
        TDuzuPage* page = project.NewReport()->FirstPage();
        auto* bitmap = new TDuzuBitmap(page);
        bitmap->SetName("Bitmap1");
        bitmap->SetParent(page);
        bitmap->SetImage(&checks);
        bitmap->SetMatchSide(msInside);
        auto* meta = new TDuzuMetaFile(page);
        meta->SetName("MetaFile1");
        meta->SetParent(page);
        meta->SetImage(metafile.get());
        auto* empty = new TDuzuBitmap(page);
        empty->SetName("Bitmap2");
        empty->SetParent(page);
        project.SaveToStream(&stream);
    }
    stream.SetPosition(0);
    TDuzuProjectManager loaded(nullptr);
    loaded.LoadFromStream(&stream);
    ASSERT_EQ(loaded.ReportList().size(), 1u);
    TDuzuPage* page = loaded.ReportList()[0]->FirstPage();
    ASSERT_NE(page, nullptr);
    auto* bitmap = dynamic_cast<TDuzuBitmap*>(loaded.FindDuzuComponent("Bitmap1", page));
    auto* meta = dynamic_cast<TDuzuMetaFile*>(loaded.FindDuzuComponent("MetaFile1", page));
    auto* empty = dynamic_cast<TDuzuBitmap*>(loaded.FindDuzuComponent("Bitmap2", page));
    ASSERT_TRUE(bitmap && meta && empty);
    EXPECT_EQ(bitmap->MatchSide(), msInside);
    EXPECT_EQ(static_cast<TBitmap*>(bitmap->Image())->saveToBytes(), checks.saveToBytes());
    EXPECT_EQ(static_cast<TMetafile*>(meta->Image())->bytes(), metafile->bytes());
    EXPECT_TRUE(empty->Image()->Empty());

    // Bytes that are no bitmap make the stored graphic unreadable.
    TStringStream bytes("");
    TStreamHelper out(&bytes);
    out.WriteString("Data");
    out.WriteString("BM not a bitmap");
    out.WriteString("");
    bytes.SetPosition(0);
    TStreamHelper in(&bytes);
    TDuzuReader reader(&in);
    TBitmap target;
    EXPECT_THROW(reader.ReadProperties(&target), EDuzuException);
}

TEST(DuzuImage, AReportWithImagesPrintsToPdf) {
    DuzuRegisterAllClasses();
    TempDir dir;
    ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    TDuzuProjectManager project(nullptr);
    TDuzuReport* report = project.NewReport();
    TDuzuPage* page = report->FirstPage();
    auto black = solidBitmap(40, 20, clBlack);
    auto* bitmap = new TDuzuBitmap(page);
    bitmap->SetName("Bitmap1");
    bitmap->SetParent(page);
    bitmap->SetBounds(MakeRect(1, 1, 3, 3));
    bitmap->SetImage(black.get());  // 2 x 1 inches under msWidth
    auto* missing = new TDuzuBitmap(page);
    missing->SetName("Bitmap2");
    missing->SetParent(page);
    missing->SetBounds(MakeRect(4, 1, 6, 2));

    TReportSystem runner(nullptr);
    runner.SetSystemSetups({});
    runner.SetDefaultDest(rdFile);
    runner.SetOutputFileName(dir.file("images.pdf"));
    TDuzuProjectManager* saved = ProjectManager;
    ProjectManager = &project;
    report->Execute(&runner);
    ProjectManager = saved;

    const int dpi = 50;
    QImage picture = RenderPdfPage(dir.file("images.pdf"), 1, dpi);
    ASSERT_FALSE(picture.isNull());
    KeepPicture(picture, "project_images");
    // The bitmap fills 2 x 1 inches at (1, 1).
    EXPECT_TRUE(WithinPixels(InkBounds(picture, {0, 0, 3 * dpi + 25, picture.height()}),
                             {dpi, dpi, 3 * dpi, 2 * dpi}, 2))
        << RectText(InkBounds(picture, {0, 0, 3 * dpi + 25, picture.height()}));
    TRect inside{dpi + 5, dpi + 5, 3 * dpi - 5, 2 * dpi - 5};
    EXPECT_EQ(InkBounds(picture, inside).Width(), inside.Width());
    // The empty one is its frame with both diagonals, drawn with a hairline:
    // the diagonals cross at its centre and pass nowhere else on the line
    // straight down from the top's middle.
    const TRect framed{4 * dpi, dpi, 6 * dpi, 2 * dpi};
    const int faint = 230;
    EXPECT_TRUE(WithinPixels(InkBounds(picture, {4 * dpi - 10, 0, picture.width(), picture.height()}, faint), framed,
                             2));
    const int cx = 5 * dpi, cy = dpi + dpi / 2;
    EXPECT_FALSE(InkBounds(picture, {cx - 2, cy - 2, cx + 3, cy + 3}, faint).IsEmpty());
    EXPECT_TRUE(InkBounds(picture, {cx - 2, dpi + 4, cx + 3, cy - 5}, faint).IsEmpty());
}

}  // namespace
