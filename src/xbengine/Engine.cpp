#include "xbengine/Engine.h"

#include <strings.h>

#include <cctype>

namespace xb {

Engine& Engine::Instance() {
    static Engine engine;
    return engine;
}

WorkArea* Engine::Area(int area) const {
    if (area < 1 || area > MaxAreas)
        return nullptr;
    return slots_[area].table.get();
}

AreaIndexes* Engine::Indexes(int area) const {
    if (area < 1 || area > MaxAreas)
        return nullptr;
    return slots_[area].indexes.get();
}

void Engine::clear(Slot& slot) {
    slot.indexes.reset();
    slot = Slot();
}

void Engine::attachIndexes(Slot& slot) {
    slot.indexes = std::make_unique<AreaIndexes>(*slot.table, settings_);
    slot.indexes->OpenStructural(gauge_);
}

int Engine::Select(int area) {
    int previous = selected_;
    if (area >= 1 && area <= MaxAreas)
        selected_ = area;
    return previous;
}

bool Engine::InUse(int area) const { return Area(area) != nullptr; }

int Engine::AreaOfAlias(const std::string& alias) const {
    if (alias.empty())
        return 0;
    for (int i = 1; i <= MaxAreas; ++i)
        if (!slots_[i].free() && strcasecmp(slots_[i].alias.c_str(), alias.c_str()) == 0)
            return i;
    return 0;
}

std::string Engine::Alias(int area) const {
    if (area < 1 || area > MaxAreas || slots_[area].free())
        return std::string();
    return slots_[area].alias;
}

std::string Engine::BaseName(int area) const {
    WorkArea* table = Area(area);
    if (!table)
        return std::string();
    const std::string& path = table->path();
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Engine::DefaultAlias(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

int Engine::freeArea() const {
    for (int i = 1; i <= MaxAreas; ++i)
        if (slots_[i].free())
            return i;
    return 0;
}

std::string Engine::aliasFor(const std::string& path, const std::string& alias) const {
    if (!alias.empty())
        return AreaOfAlias(alias) == 0 ? alias : std::string();
    // A name of the engine's own choosing is made unique.
    std::string base = DefaultAlias(path);
    std::string name = base;
    for (int n = 1; AreaOfAlias(name) != 0; ++n)
        name = base + "_" + std::to_string(n);
    return name;
}

int Engine::Use(const std::string& path, const std::string& alias, OpenMode mode, int driver) {
    std::string name = aliasFor(path, alias);
    int area = freeArea();
    if (area == 0 || name.empty())
        return 0;
    DbfStatus status;
    std::unique_ptr<WorkArea> table = WorkArea::Open(path, mode, driver, settings_, &status);
    if (!table)
        return 0;
    slots_[area].table = std::move(table);
    slots_[area].alias = name;
    attachIndexes(slots_[area]);
    selected_ = area;
    return area;
}

void Engine::Close(int area) {
    if (area < 1 || area > MaxAreas)
        return;
    clear(slots_[area]);
}

void Engine::CloseAll() {
    for (int i = 1; i <= MaxAreas; ++i)
        clear(slots_[i]);
}

int Engine::CreateNew(const std::string& path, const std::string& alias, int driver, int fieldCount) {
    std::string name = aliasFor(path, alias);
    int area = freeArea();
    if (area == 0 || name.empty() || path.empty())
        return 0;
    auto definition = std::make_unique<Definition>();
    definition->path = path;
    definition->driver = driver;
    if (fieldCount > 0)
        definition->fields.reserve(static_cast<size_t>(fieldCount));
    slots_[area].definition = std::move(definition);
    slots_[area].alias = name;
    selected_ = area;
    return area;
}

bool Engine::CreateField(const std::string& name, char type, int width, int decimals) {
    Definition* definition = slots_[selected_].definition.get();
    if (!definition)
        return false;
    std::vector<FieldInfo> one{FieldInfo{name, type, width, decimals, 0}};
    // A field that cannot be written spoils the whole definition, so that a
    // table is never made with a field missing.
    if (!DbfFile::PrepareLayout(one)) {
        definition->valid = false;
        return false;
    }
    definition->fields.push_back(one.front());
    return true;
}

bool Engine::CreateExec() {
    Slot& slot = slots_[selected_];
    if (!slot.definition)
        return false;
    std::unique_ptr<Definition> definition = std::move(slot.definition);
    bool created = definition->valid && WorkArea::Create(definition->path, definition->fields,
                                                         definition->driver, settings_);
    DbfStatus status;
    if (created)
        slot.table = WorkArea::Open(definition->path, OpenMode::Shared, definition->driver, settings_, &status);
    if (!slot.table) {
        clear(slot);
        return false;
    }
    attachIndexes(slot);
    return true;
}

}  // namespace xb
