#pragma once
// The engine's process state: work areas 1..255 (each empty, holding an open
// table, or holding a table definition being built), the selected area and
// the engine-wide settings.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "xbengine/AreaIndexes.h"
#include "xbengine/Types.h"
#include "xbengine/WorkArea.h"

namespace xb {

class Engine {
public:
    static constexpr int MaxAreas = 255;

    static Engine& Instance();

    Settings& settings() { return settings_; }

    // The open table of an area, or null.
    WorkArea* Area(int area) const;
    WorkArea* Current() const { return Area(selected_); }
    // The index files of an area's open table, or null.
    AreaIndexes* Indexes(int area) const;
    AreaIndexes* CurrentIndexes() const { return Indexes(selected_); }
    // Hears the progress of index builds (0..100); empty for none.
    const AreaIndexes::Gauge& GaugeHook() const { return gauge_; }
    void SetGaugeHook(AreaIndexes::Gauge gauge) { gauge_ = std::move(gauge); }
    int Selected() const { return selected_; }
    // Selects an area (1..255); returns the previously selected one.
    int Select(int area);
    bool InUse(int area) const;

    // Area whose alias matches without regard to case; 0 when none.
    int AreaOfAlias(const std::string& alias) const;
    std::string Alias(int area) const;
    // The table's file name without folder.
    std::string BaseName(int area) const;

    // Opens a table in the first free area and selects it; the area or 0 (also
    // when the alias is taken). An empty alias is the file name without folder
    // and extension, made unique with "_1", "_2"... when another area has it.
    int Use(const std::string& path, const std::string& alias, OpenMode mode, int driver);
    void Close(int area);
    void CloseAll();

    // Table definition: CreateNew reserves and selects an area, CreateField
    // adds a field to the selected area's definition, CreateExec writes the
    // table (never over an existing file) and opens it in that area.
    int CreateNew(const std::string& path, const std::string& alias, int driver, int fieldCount);
    bool CreateField(const std::string& name, char type, int width, int decimals);
    bool CreateExec();

private:
    struct Definition {
        std::string path;
        int driver = DriverNsx;
        std::vector<FieldInfo> fields;
        bool valid = true;
    };
    struct Slot {
        std::unique_ptr<WorkArea> table;
        std::unique_ptr<AreaIndexes> indexes;  // goes before the table it serves
        std::unique_ptr<Definition> definition;
        std::string alias;
        bool free() const { return !table && !definition; }
    };

    int freeArea() const;
    void clear(Slot& slot);
    void attachIndexes(Slot& slot);
    std::string aliasFor(const std::string& path, const std::string& alias) const;
    static std::string DefaultAlias(const std::string& path);

    Settings settings_;
    AreaIndexes::Gauge gauge_;
    std::array<Slot, MaxAreas + 1> slots_;  // slot 0 unused
    int selected_ = 1;
};

// Runs a movement of the selected area. When an index file fails under it,
// the area's index files are built again from the table (or put out of use
// when they cannot be) and the movement runs once more; should that fail
// too, it runs in record order.
template <class F>
auto GuardedMove(F&& move) -> decltype(move()) {
    Engine& engine = Engine::Instance();
    try {
        return move();
    } catch (const NsxError&) {
    }
    if (AreaIndexes* indexes = engine.CurrentIndexes())
        indexes->Recover(engine.GaugeHook());
    try {
        return move();
    } catch (const NsxError&) {
    }
    if (AreaIndexes* indexes = engine.CurrentIndexes())
        indexes->SetOrder(0);
    return move();
}

}  // namespace xb
