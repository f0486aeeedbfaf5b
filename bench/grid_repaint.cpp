// The data grid's repaint against Qt's table view, both offscreen at
// 800 x 600 over one 100,000-record table of five columns. Each side reads
// the records it shows from the table through the engine when it paints
// them (no cache filled before timing): ours through the dataset's record
// window, the peer's model through its own work area, record by record.
//   grid_page_100k  one repaint after paging down by a screenful
//   grid_jump_100k  one repaint after a jump to a random record
#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "BenchSupport.h"
#include "controls/Qmdbgrid.h"
#include "data/DbTables.h"
#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/Text1252.h"
#include "xbase/EngineGlue.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
const char* const kFields[] = {"NAME", "CITY", "STATE", "AMOUNT", "CODE"};

[[noreturn]] void Fail(const char* why) {
    std::fprintf(stderr, "grid_repaint: %s\n", why);
    std::exit(1);
}

void MakeTable(const std::string& path) {
    if (!xb_CreateNew(path.c_str(), "", XB_DRIVER_NSX, 5)) Fail("create refused");
    xb_CreateField("NAME", "C", 20, 0);
    xb_CreateField("CITY", "C", 15, 0);
    xb_CreateField("STATE", "C", 2, 0);
    xb_CreateField("AMOUNT", "N", 10, 2);
    xb_CreateField("CODE", "C", 8, 0);
    if (!xb_CreateExec()) Fail("create failed");
    xb_Close();
    if (!xb_Use(path.c_str(), "FILLING", XB_EXCLUSIVE, XB_DRIVER_NSX)) Fail("open for filling failed");
    char text[32];
    for (int i = 1; i <= kRecords; ++i) {
        if (xb_AppendEx() != XB_APPEND_DONE) Fail("append refused");
        std::snprintf(text, sizeof text, "PATIENT %06d", i);
        xb_Replace("NAME", XB_REPLACE_TEXT, text);
        xb_Replace("CITY", XB_REPLACE_TEXT, i % 3 ? "Springfield" : "Shelbyville");
        xb_Replace("STATE", XB_REPLACE_TEXT, i % 2 ? "MA" : "NH");
        std::snprintf(text, sizeof text, "%d.%02d", i % 5000, i % 100);
        xb_Replace("AMOUNT", XB_REPLACE_TEXT, text);
        std::snprintf(text, sizeof text, "C%07d", i);
        xb_Replace("CODE", XB_REPLACE_TEXT, text);
    }
    xb_Commit();
    xb_Close();
}

// The peer's model: each cell read from the engine when the view asks.
class EngineModel : public QAbstractTableModel {
public:
    explicit EngineModel(const std::string& path) {
        area_ = xb_Use(path.c_str(), "PEER", XB_SHARED, XB_DRIVER_NSX);
        if (!area_) Fail("peer open failed");
    }
    int rowCount(const QModelIndex&) const override { return kRecords; }
    int columnCount(const QModelIndex&) const override { return 5; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        xb_Select(area_);
        xb_Go(index.row() + 1);
        return ToQString(xb_GetTrimString(kFields[index.column()]));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
        return QString(kFields[section]);
    }

private:
    int area_ = 0;
};

struct Sides {
    std::unique_ptr<TForm> form;
    TQmTable* table = nullptr;
    TQmDBGrid* grid = nullptr;
    std::unique_ptr<EngineModel> model;
    std::unique_ptr<QTableView> view;
    int page = 0;
};
Sides* sides = nullptr;

void Build(const ScratchFolder& folder) {
    sides = new Sides;
    sides->form = std::make_unique<TForm>(nullptr);
    sides->form->SetBounds(0, 0, kWidth, kHeight);
    sides->table = new TQmTable(sides->form.get());
    sides->table->SetDatabaseName(folder.file(""));
    sides->table->SetTableName("people.dbf");
    sides->table->SetTableType(ttSXNSX);
    auto* source = new TQmDataSource(sides->form.get());
    source->SetDataSet(sides->table);
    sides->grid = new TQmDBGrid(sides->form.get());
    sides->grid->SetParent(sides->form.get());
    sides->grid->SetAlign(alClient);
    sides->grid->SetDataSource(source);
    sides->table->Open();
    sides->form->Show();
    sides->page = sides->grid->VisibleRowCount();

    sides->model = std::make_unique<EngineModel>(folder.file("people.dbf"));
    sides->view = std::make_unique<QTableView>();
    QTableView* view = sides->view.get();
    view->setModel(sides->model.get());
    view->setFont(sides->grid->Handle()->font());
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(sides->grid->DefaultRowHeight());
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < 5; ++c) view->setColumnWidth(c, sides->grid->ColWidths(c + 1));
    // Beside the grid, so that a run on a display shows both sides.
    view->setGeometry(kWidth, 0, kWidth, kHeight);
    view->show();
    QApplication::processEvents();
}

void OurPage(benchmark::State& state) {
    sides->table->First();
    for (auto _ : state) {
        if (sides->table->Eof()) sides->table->First();
        sides->table->MoveBy(sides->page);
        sides->grid->Repaint();
    }
}

void PeerPage(benchmark::State& state) {
    QScrollBar* bar = sides->view->verticalScrollBar();
    bar->setValue(0);
    for (auto _ : state) {
        if (bar->value() >= bar->maximum()) bar->setValue(0);
        bar->setValue(bar->value() + sides->page);
        sides->view->viewport()->repaint();
    }
}

TBookmark BookmarkOf(int recNo) {
    TBookmark mark = sides->table->GetBookmark();
    uint32_t n = static_cast<uint32_t>(recNo);
    std::memcpy(mark.data(), &n, std::min(mark.size(), sizeof n));
    return mark;
}

void OurJump(benchmark::State& state) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(1, kRecords);
    for (auto _ : state) {
        sides->table->GotoBookmark(BookmarkOf(pick(random)));
        sides->grid->Repaint();
    }
}

void PeerJump(benchmark::State& state) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(1, kRecords);
    QScrollBar* bar = sides->view->verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(pick(random) - 1);
        sides->view->viewport()->repaint();
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless a platform is named (to look at both sides on a display).
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    Application->Initialize();
    registerEngineGlue();
    ScratchFolder folder;
    MakeTable(folder.file("people.dbf"));
    Build(folder);

    benchmark::RegisterBenchmark("grid_page_100k/ours", OurPage)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("grid_page_100k/peer", PeerPage)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("grid_jump_100k/ours", OurJump)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("grid_jump_100k/peer", PeerJump)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* name : {"grid_page_100k", "grid_jump_100k"}) reporter.PrintRatio(name, "peer");

    delete sides;
    Session()->Close();
    xb_CloseAll();
    return 0;
}
