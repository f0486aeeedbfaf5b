#include "xbengine/AreaIndexes.h"

#include <strings.h>

#include <algorithm>
#include <cctype>

#include "os/Paths.h"

namespace xb {

namespace {

// Index changes of an append from another table are handed on in groups of
// this many records when the table is shared, so other users wait little.
constexpr int sharedBulkRecords = 256;

std::string ExtensionFor(int driver) { return driver == DriverNtx ? "NTX" : driver == DriverFox ? "CDX" : "NSX"; }

// base.EXT, the extension in lower case when the table's is.
std::string WithExtension(const std::string& path, const std::string& ext) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    std::string base = path;
    bool lower = false;
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        base = path.substr(0, dot);
        lower = dot + 1 < path.size() && std::islower(static_cast<unsigned char>(path[dot + 1]));
    }
    std::string e = ext;
    if (lower)
        for (char& c : e)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return base + "." + e;
}

bool DescribeKey(const Expression& key, NsxTagInfo& info) {
    switch (key.Type()) {
    case ExprType::Numeric: info.keyType = 'N'; info.keyLength = key.Width(); break;
    case ExprType::Date: info.keyType = 'D'; info.keyLength = 8; break;
    default: info.keyType = 'C'; info.keyLength = key.Width(); break;
    }
    return info.keyLength >= 1 && info.keyLength <= nsxMaxKeyLength;
}

void Report(const AreaIndexes::Gauge& gauge, int percent) {
    if (gauge)
        gauge(percent);
}

}  // namespace

AreaIndexes::AreaIndexes(WorkArea& area, const Settings& settings) : area_(area), settings_(settings) {}

// The area tells of its writes once there are tags to keep (or a lost file
// to mark), so that a table without index files reads no record back before
// writing it. (The hooks stay once set: a file may go out of use while a
// hook runs.)
void AreaIndexes::listen() {
    if ((files_.empty() && lost_.empty()) || area_.onRecordWritten)
        return;
    area_.onRecordWritten = [this](uint32_t recNo, const char* before, const char* after) {
        recordWritten(recNo, before, after);
    };
    area_.onZapped = [this] { zapped(); };
    area_.onWriting = [this] { beforeWrite(); };
    area_.onWriteFailed = [this] { intentKept_ = true; };
}

AreaIndexes::~AreaIndexes() {
    endBatches();
    area_.SetOrder(nullptr);
    area_.onRecordWritten = nullptr;
    area_.onZapped = nullptr;
    area_.onWriting = nullptr;
    area_.onWriteFailed = nullptr;
}

std::string AreaIndexes::StructuralPath(const std::string& tablePath, int driver) {
    if (driver == DriverNtx)
        return std::string();
    return os::MapPath(WithExtension(tablePath, ExtensionFor(driver)));
}

// ---- Files ---------------------------------------------------------------------

// In exclusive use nobody else changes the file, so its pages are worth
// keeping in memory: up to 64 MiB.
void AreaIndexes::sizeCache(NsxFile& file) const {
    file.setCacheCapacity(area_.mode() == OpenMode::Exclusive ? 16384 : 1024);
}

std::string AreaIndexes::resolvePath(const std::string& file) const {
    std::string name = file;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    // No name: the file named after the table (its structural index, but for NTX).
    if (name.empty())
        return os::MapPath(WithExtension(area_.path(), ExtensionFor(area_.driver())));
    if (os::ExtractFileExt(name).empty())
        name += "." + ExtensionFor(area_.driver());
    if (name.find_first_of("/\\:") == std::string::npos)
        name = os::ExtractFilePath(area_.path()) + name;
    return os::MapPath(name);
}

bool AreaIndexes::isStructural(const std::string& path) const {
    std::string structural = StructuralPath(area_.path(), area_.driver());
    return !structural.empty() && strcasecmp(structural.c_str(), path.c_str()) == 0;
}

AreaIndexes::File* AreaIndexes::findFile(const std::string& path) const {
    for (const auto& file : files_)
        if (strcasecmp(file->path.c_str(), path.c_str()) == 0)
            return file.get();
    return nullptr;
}

AreaIndexes::File* AreaIndexes::addFile(std::unique_ptr<File> file) {
    File* added = file.get();
    lost_.erase(std::remove(lost_.begin(), lost_.end(), added->path), lost_.end());
    for (auto& tag : file->tags)
        tag->file = added;
    if (file->structural)
        files_.insert(files_.begin(), std::move(file));
    else
        files_.push_back(std::move(file));
    listen();
    return added;
}

void AreaIndexes::removeFile(File* file) {
    if (current_ && current_->file == file) {
        current_ = nullptr;
        installOrder();
    }
    files_.erase(std::remove_if(files_.begin(), files_.end(), [&](const auto& f) { return f.get() == file; }),
                 files_.end());
    listen();
}

std::unique_ptr<AreaIndexes::Tag> AreaIndexes::tagOf(const NsxTagInfo& info) {
    auto tag = std::make_unique<Tag>();
    tag->info = info;
    ExprStatus status;
    tag->key = Expression::Compile(info.keyExpression, area_.fields(), settings_, status);
    if (!tag->key)
        return nullptr;
    if (!info.condition.empty()) {
        tag->condition = Expression::Compile(info.condition, area_.fields(), settings_, status);
        if (!tag->condition || tag->condition->Type() != ExprType::Logical)
            return nullptr;
    }
    return tag;
}

std::unique_ptr<AreaIndexes::Tag> AreaIndexes::makeTag(const std::string& name, const std::string& expression,
                                                       const std::string& condition, bool unique, bool descending) {
    NsxTagInfo info;
    info.name = nsxTagName(name);
    info.keyExpression = expression;
    std::string cond = condition;
    if (cond.find_first_not_of(" \t") == std::string::npos)
        cond.clear();
    info.condition = cond;
    info.unique = unique;
    info.descending = descending;
    std::unique_ptr<Tag> tag = info.name.empty() ? nullptr : tagOf(info);
    if (!tag || !DescribeKey(*tag->key, tag->info)) {
        lastError_ = IndexErrorBadExpression;
        return nullptr;
    }
    return tag;
}

bool AreaIndexes::loadTags(File& file) {
    bool allCompiled = true;
    std::vector<std::unique_ptr<Tag>> tags;
    for (const NsxTagInfo& info : file.nsx->tags()) {
        std::unique_ptr<Tag> tag = tagOf(info);
        if (!tag) {
            allCompiled = false;  // no longer fits the table: left out of use
            continue;
        }
        tag->file = &file;
        // A tag that stays keeps its scope.
        for (const auto& old : file.tags)
            if (old->info.name == tag->info.name)
                tag->scope = old->scope;
        tags.push_back(std::move(tag));
    }
    const std::string currentName = current_ && current_->file == &file ? current_->info.name : std::string();
    file.tags = std::move(tags);
    if (!currentName.empty()) {
        current_ = nullptr;
        for (const auto& tag : file.tags)
            if (tag->info.name == currentName)
                current_ = tag.get();
    }
    if (!allCompiled)
        lastError_ = IndexErrorBadExpression;
    return allCompiled;
}

void AreaIndexes::buildTags(File& file, const std::vector<Tag*>& tags, const Gauge& gauge) {
    if (tags.empty())
        return;
    std::vector<NsxKeyList> lists;
    for (Tag* tag : tags)
        lists.emplace_back(tag->info);
    // Under the index's own update, so the writes of other users wait for
    // the new tags and then change them as they change the table.
    NsxUpdate update(*file.nsx);
    DbfFile& table = area_.table();
    const uint32_t count = table.recordCount();
    const uint32_t size = static_cast<uint32_t>(area_.recordSize());
    const uint32_t perBlock = std::max<uint32_t>(1, 256 * 1024 / size);
    std::vector<char> block(static_cast<size_t>(perBlock) * size);
    int reported = -1;
    for (uint32_t first = 1; first <= count;) {
        uint32_t got = table.readRecords(first, std::min(perBlock, count - first + 1), block.data());
        if (got == 0)
            break;
        for (uint32_t i = 0; i < got; ++i) {
            RecordView view{&area_.fields(), block.data() + static_cast<size_t>(i) * size, first + i};
            for (size_t t = 0; t < tags.size(); ++t) {
                if (tags[t]->condition && !tags[t]->condition->EvalLogical(view, settings_))
                    continue;
                lists[t].add(tags[t]->key->KeyText(view, settings_), view.recNo);
            }
        }
        first += got;
        int percent = static_cast<int>(50.0 * (first - 1) / count);
        if (percent != reported)
            Report(gauge, reported = percent);
    }
    for (size_t t = 0; t < tags.size(); ++t) {
        const int from = 50 + static_cast<int>(50 * t / tags.size());
        const int span = static_cast<int>(50 / tags.size());
        file.nsx->addTag(lists[t], [&](int percent) { Report(gauge, from + percent * span / 100); });
    }
    update.commit();
    Report(gauge, 100);
}

bool AreaIndexes::rebuildFile(File& file, std::vector<std::unique_ptr<Tag>> tags, const Gauge& gauge) {
    file.batchOpen = false;
    // The new file is built from the table as it is now, so it owes nothing
    // to this area's mark, which it clears.
    file.intentOpen = false;
    file.nsx.reset();
    try {
        file.nsx = NsxFile::CreateForBuild(file.path);
        sizeCache(*file.nsx);
        std::vector<Tag*> build;
        for (auto& tag : tags) {
            tag->file = &file;
            build.push_back(tag.get());
        }
        buildTags(file, build, gauge);
        file.nsx->endUpdate();
        loadTags(file);
        lastError_ = IndexErrorRebuilt;
        return true;
    } catch (const NsxError&) {
        file.nsx.reset();
        lastError_ = IndexErrorUnusable;
        keepDescriptions(file.path, tags);
        markLost(file.path);
        return false;
    }
}

// A build cut short leaves the file without the tags it had not reached. The
// descriptions alone, over empty trees, take a few pages where the build
// freed many, and let the next open build every tag again.
void AreaIndexes::keepDescriptions(const std::string& path, const std::vector<std::unique_ptr<Tag>>& tags) {
    try {
        auto nsx = NsxFile::Create(path);
        for (const auto& tag : tags)
            nsx->addTag(NsxKeyList(tag->info));
    } catch (const NsxError&) {
        // Not even that fits: the file no longer names its tags.
    }
}

void AreaIndexes::markLost(const std::string& path) {
    if (std::find(lost_.begin(), lost_.end(), path) == lost_.end())
        lost_.push_back(path);
    NsxFile::MarkForRebuild(path);
    listen();
}

void AreaIndexes::remarkLost() {
    for (const std::string& path : lost_)
        NsxFile::MarkForRebuild(path);
}

std::unique_ptr<AreaIndexes::File> AreaIndexes::openFile(const std::string& path, const Gauge& gauge) {
    auto file = std::make_unique<File>();
    file->path = path;
    file->structural = isStructural(path);
    const bool readOnly = area_.mode() == OpenMode::ReadOnly;
    try {
        file->nsx = NsxFile::Open(path, readOnly);
        sizeCache(*file->nsx);
        loadTags(*file);
        return file;
    } catch (const NsxError&) {
        file->nsx.reset();
    }
    // Damaged: its tags are built again from the table, as far as their
    // descriptions can still be read.
    if (readOnly) {
        lastError_ = IndexErrorUnusable;
        return nullptr;
    }
    std::vector<std::unique_ptr<Tag>> tags;
    for (const NsxTagInfo& info : NsxFile::Salvage(path))
        if (auto tag = tagOf(info))
            tags.push_back(std::move(tag));
    if (!rebuildFile(*file, std::move(tags), gauge))
        return nullptr;
    return file;
}

bool AreaIndexes::rebuildKnownTags(File& file, const Gauge& gauge) {
    std::vector<std::unique_ptr<Tag>> tags;
    for (const auto& tag : file.tags)
        if (auto copy = tagOf(tag->info))
            tags.push_back(std::move(copy));
    if (area_.mode() == OpenMode::ReadOnly || !rebuildFile(file, std::move(tags), gauge)) {
        lastError_ = IndexErrorUnusable;
        removeFile(&file);
        return false;
    }
    return true;
}

void AreaIndexes::repairFile(File& file, const Gauge& gauge) {
    if (rebuildKnownTags(file, gauge))
        installOrder();  // the order read the file that was replaced
}

bool AreaIndexes::unreadable(File& file) {
    try {
        file.nsx->tags();
        return false;
    } catch (const NsxError&) {
        return true;
    }
}

void AreaIndexes::OpenStructural(const Gauge& gauge) {
    std::string path = StructuralPath(area_.path(), area_.driver());
    if (path.empty() || !os::FileExists(path) || findFile(path))
        return;
    if (auto file = openFile(path, gauge))
        addFile(std::move(file));
}

void AreaIndexes::Recover(const Gauge& gauge) {
    endBatches();
    std::vector<File*> files;
    for (const auto& file : files_)
        files.push_back(file.get());
    for (File* file : files)
        repairFile(*file, gauge);
    installOrder();
}

// ---- Orders --------------------------------------------------------------------

int AreaIndexes::TagCount() const {
    int n = 0;
    for (const auto& file : files_)
        n += static_cast<int>(file->tags.size());
    return n;
}

AreaIndexes::Tag* AreaIndexes::tagAt(int order) const {
    if (order < 1)
        return nullptr;
    for (const auto& file : files_) {
        if (order <= static_cast<int>(file->tags.size()))
            return file->tags[order - 1].get();
        order -= static_cast<int>(file->tags.size());
    }
    return nullptr;
}

int AreaIndexes::orderOf(const Tag* tag) const {
    int n = 0;
    for (const auto& file : files_)
        for (const auto& t : file->tags) {
            ++n;
            if (t.get() == tag)
                return n;
        }
    return 0;
}

int AreaIndexes::Order() const { return orderOf(current_); }

bool AreaIndexes::orderFromCurrentTag() {
    try {
        auto order = std::make_unique<TagOrder>(*current_->file->nsx, current_->info.name, *current_->key,
                                                current_->info.unique, current_->scope, settings_,
                                                [this](uint32_t recNo) { return area_.RecordVisible(recNo); });
        // A failure here is handed to the caller of the movement, which
        // repairs the files outside the order.
        order->SetWriteCounter(&writes_);
        // A seek knows the record it lands on before the rest of its way
        // back: the record's bytes are on their way meanwhile.
        order->SetLandingHint([this](uint32_t recNo) { area_.PrefetchRecord(recNo); });
        order->SetBeforeRead([this] {
            if (!flushPending().empty())
                throw NsxError("An index file of " + area_.path() + " could not be written");
        });
        area_.SetOrder(std::move(order));
        return true;
    } catch (const NsxError&) {
        return false;
    }
}

void AreaIndexes::installOrder() {
    if (current_ && orderFromCurrentTag())
        return;
    // A file that cannot be read (a writer stopped between a table write and
    // its tags) is built again from the table, as under a movement: an order
    // silently given up would let a seek miss records that are there.
    if (current_ && unreadable(*current_->file) && rebuildKnownTags(*current_->file) && current_ &&
        orderFromCurrentTag())
        return;
    current_ = nullptr;  // another user dropped the tag: record order
    area_.SetOrder(nullptr);
}

int AreaIndexes::SetOrder(int order) {
    const int previous = Order();
    current_ = tagAt(order);
    installOrder();
    return previous;
}

int AreaIndexes::OrderOfTag(std::string_view name) const {
    std::string wanted = nsxTagName(name);
    while (!wanted.empty() && wanted.back() == ' ')
        wanted.pop_back();
    int n = 0;
    for (const auto& file : files_)
        for (const auto& tag : file->tags) {
            ++n;
            if (tag->info.name == wanted)
                return n;
        }
    return 0;
}

std::string AreaIndexes::TagName(int order) const {
    const Tag* tag = currentOrAt(order);
    return tag ? tag->info.name : std::string();
}

std::string AreaIndexes::IndexFileName(int order) const {
    const Tag* tag = currentOrAt(order);
    return tag ? os::ExtractFileName(tag->file->path) : std::string();
}

std::string AreaIndexes::KeyExpression(int order) const {
    const Tag* tag = currentOrAt(order);
    return tag ? tag->info.keyExpression : std::string();
}

std::string AreaIndexes::Condition(int order) const {
    const Tag* tag = currentOrAt(order);
    return tag ? tag->info.condition : std::string();
}

bool AreaIndexes::Descending(int order) const {
    const Tag* tag = currentOrAt(order);
    return tag && tag->info.descending;
}

bool AreaIndexes::Unique(int order) const {
    const Tag* tag = currentOrAt(order);
    return tag && tag->info.unique;
}

std::string AreaIndexes::KeyFields(int order) const {
    const Tag* tag = currentOrAt(order);
    if (!tag)
        return std::string();
    const std::string& text = tag->info.keyExpression;
    std::string fields;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '"' || c == '\'') {  // a quoted text names no field
            size_t end = text.find(c, i + 1);
            i = end == std::string::npos ? text.size() : end + 1;
            continue;
        }
        if (c == '.') {  // .and., .T. and the like
            size_t end = text.find('.', i + 1);
            i = end == std::string::npos ? text.size() : end + 1;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(c)) && c != '_') {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
            ++end;
        std::string word = text.substr(i, end - i);
        size_t after = text.find_first_not_of(' ', end);
        bool call = after != std::string::npos && text[after] == '(';
        if (!call && area_.FieldIndex(word) >= 0)
            fields += (fields.empty() ? "" : "+") + word;
        i = end;
    }
    return fields;
}

std::string AreaIndexes::KeyData() {
    if (!current_ || area_.Eof())
        return std::string();
    return current_->key->KeyText(area_.view(), settings_);
}

// ---- Building ------------------------------------------------------------------

int AreaIndexes::finishBuild(File* file, const std::string& tagName, std::unique_ptr<Tag> tag, const Gauge& gauge) {
    tag->file = file;
    buildTags(*file, {tag.get()}, gauge);
    loadTags(*file);
    current_ = nullptr;
    for (const auto& t : file->tags)
        if (t->info.name == nsxTagName(tagName))
            current_ = t.get();
    installOrder();
    area_.GoTop();
    return Order();
}

int AreaIndexes::IndexTag(const std::string& file, const std::string& tagName, const std::string& expression,
                          int option, bool descending, const std::string& condition, const Gauge& gauge) {
    lastError_ = IndexErrorNone;
    if (area_.mode() == OpenMode::ReadOnly) {
        lastError_ = IndexErrorReadOnly;
        return 0;
    }
    endBatches();
    const std::string path = resolvePath(file);
    std::string name = tagName;
    if (name.find_first_not_of(' ') == std::string::npos)
        name = os::ChangeFileExt(os::ExtractFileName(path), "");
    std::unique_ptr<Tag> tag = makeTag(name, expression, condition, (option & 1) != 0, descending);
    if (!tag)
        return 0;
    File* target = findFile(path);
    try {
        if (!target) {
            std::unique_ptr<File> opened;
            if (os::FileExists(path)) {
                opened = openFile(path, gauge);
            } else {
                opened = std::make_unique<File>();
                opened->path = path;
                opened->structural = isStructural(path);
                opened->nsx = NsxFile::Create(path);
                sizeCache(*opened->nsx);
            }
            if (!opened) {
                lastError_ = IndexErrorUnusable;
                return 0;
            }
            target = addFile(std::move(opened));
        }
        const std::string builtName = tag->info.name;
        return finishBuild(target, builtName, std::move(tag), gauge);
    } catch (const NsxError&) {
        lastError_ = IndexErrorUnusable;
        if (target)
            repairFile(*target);
        return 0;
    }
}

int AreaIndexes::Index(const std::string& file, const std::string& expression, int option, bool descending,
                       const std::string& condition, const Gauge& gauge) {
    lastError_ = IndexErrorNone;
    if (area_.mode() == OpenMode::ReadOnly) {
        lastError_ = IndexErrorReadOnly;
        return 0;
    }
    endBatches();
    const std::string path = resolvePath(file);
    std::string name = os::ChangeFileExt(os::ExtractFileName(path), "");
    std::unique_ptr<Tag> tag = makeTag(name, expression, condition, (option & 1) != 0, descending);
    if (!tag)
        return 0;
    if (File* old = findFile(path))
        removeFile(old);
    auto made = std::make_unique<File>();
    made->path = path;
    made->structural = isStructural(path);
    try {
        made->nsx = NsxFile::Create(path);
        sizeCache(*made->nsx);
        File* target = addFile(std::move(made));
        const std::string builtName = tag->info.name;
        return finishBuild(target, builtName, std::move(tag), gauge);
    } catch (const NsxError&) {
        lastError_ = IndexErrorUnusable;
        if (File* broken = findFile(path))
            removeFile(broken);
        return 0;
    }
}

int AreaIndexes::IndexOpen(const std::string& file) {
    lastError_ = IndexErrorNone;
    endBatches();  // a file built again on opening reads every record as stored
    const std::string path = resolvePath(file);
    File* target = findFile(path);
    if (!target) {
        if (!os::FileExists(path))
            return 0;
        std::unique_ptr<File> opened = openFile(path, {});
        if (!opened)
            return 0;
        target = addFile(std::move(opened));
    }
    if (target->tags.empty())
        return 0;
    current_ = target->tags.front().get();
    installOrder();
    return Order();
}

// ---- Scopes --------------------------------------------------------------------

bool AreaIndexes::SetScope(const std::string& low, const std::string& high) {
    if (!current_)
        return false;
    TagScope& scope = current_->scope;
    scope = TagScope{};
    if (low.empty() && high.empty())
        return true;
    // A low bound alone is the records whose key begins with it.
    scope.hasLow = !low.empty();
    scope.low = low;
    scope.hasHigh = true;
    scope.high = high.empty() ? low : high;
    return true;
}

std::string AreaIndexes::Scope(int which) const {
    if (!current_)
        return std::string();
    const TagScope& scope = current_->scope;
    if (which == XB_SCOPE_LOW)
        return scope.hasLow ? scope.low : std::string();
    return scope.hasHigh ? scope.high : std::string();
}

bool AreaIndexes::ScopeActive() const { return current_ && current_->scope.active(); }

// ---- Upkeep --------------------------------------------------------------------

bool AreaIndexes::batching() const { return bulk_ || area_.mode() == OpenMode::Exclusive; }

void AreaIndexes::repair(std::vector<File*> failed) {
    std::sort(failed.begin(), failed.end());
    failed.erase(std::unique(failed.begin(), failed.end()), failed.end());
    for (File* file : failed)
        repairFile(*file);
}

void AreaIndexes::endBatches() {
    std::vector<File*> failed = flushPending();
    for (const auto& file : files_) {
        if (!file->batchOpen)
            continue;
        file->batchOpen = false;
        file->batchRecords = 0;
        try {
            file->nsx->endUpdate();
        } catch (const NsxError&) {
            failed.push_back(file.get());
        }
    }
    repair(std::move(failed));
    // Appends the table holds back reach it before the marks go: should
    // they fail, the tags hold records the table lost.
    if (!area_.table().writeHeldBack())
        intentKept_ = true;
    endIntents();
}

void AreaIndexes::beforeWrite() {
    for (const auto& file : files_) {
        if (file->intentOpen || file->tags.empty() || !file->nsx || file->nsx->readOnly())
            continue;
        try {
            file->nsx->beginIntent();
            file->intentOpen = true;
        } catch (const NsxError&) {
            // No writer's slot free (hundreds of opens): the write goes on unmarked.
        }
    }
}

void AreaIndexes::endIntents() {
    if (intentKept_ || pending_.recNo != 0)
        return;
    for (const auto& file : files_) {
        if (!file->intentOpen || file->batchOpen)
            continue;
        file->intentOpen = false;
        if (file->nsx)
            file->nsx->endIntent();
    }
}

std::vector<AreaIndexes::File*> AreaIndexes::flushPending() {
    if (pending_.recNo == 0)
        return {};
    PendingAppend pending = std::move(pending_);
    pending_ = PendingAppend{};
    return writeKeys(pending.recNo, nullptr, pending.record.data());
}

void AreaIndexes::recordWritten(uint32_t recNo, const char* before, const char* after) {
    ++writes_;
    remarkLost();
    if (area_.mode() == OpenMode::Exclusive && !files_.empty()) {
        if (!before) {
            repair(flushPending());
            pending_.recNo = recNo;
            pending_.record.assign(after, after + area_.recordSize());
            return;
        }
        if (recNo == pending_.recNo) {
            pending_.record.assign(after, after + area_.recordSize());
            return;
        }
    }
    std::vector<File*> failed = flushPending();
    std::vector<File*> more = writeKeys(recNo, before, after);
    failed.insert(failed.end(), more.begin(), more.end());
    repair(std::move(failed));
    if (tagsReloaded_) {
        tagsReloaded_ = false;
        installOrder();  // the order read a tag description that was replaced
    }
    endIntents();
}

bool AreaIndexes::sameTags(File& file) {
    const std::vector<NsxTagInfo> stored = file.nsx->tags();
    if (stored.size() != file.tags.size())
        return false;
    for (size_t i = 0; i < stored.size(); ++i) {
        const NsxTagInfo& mine = file.tags[i]->info;
        if (stored[i].name != mine.name || stored[i].keyExpression != mine.keyExpression ||
            stored[i].condition != mine.condition || stored[i].unique != mine.unique ||
            stored[i].descending != mine.descending)
            return false;
    }
    return true;
}

std::vector<AreaIndexes::File*> AreaIndexes::writeKeys(uint32_t recNo, const char* before, const char* after) {
    const RecordView beforeView{&area_.fields(), before, recNo};
    const RecordView afterView{&area_.fields(), after, recNo};
    std::vector<File*> failed;
    for (const auto& file : files_) {
        if (file->tags.empty() || !file->nsx || file->nsx->readOnly())
            continue;
        try {
            if (batching() && !file->batchOpen) {
                file->nsx->beginUpdate();
                file->batchOpen = true;
            }
            // All tags of one record change together for other users.
            NsxUpdate update(*file->nsx);
            if (area_.table().shared() && !sameTags(*file)) {
                // Another user built or dropped a tag: its keys are kept too.
                loadTags(*file);
                tagsReloaded_ = true;
            }
            for (const auto& tag : file->tags) {
                const bool wasIn = before && (!tag->condition || tag->condition->EvalLogical(beforeView, settings_));
                const bool isIn = !tag->condition || tag->condition->EvalLogical(afterView, settings_);
                const std::string oldKey = wasIn ? tag->key->KeyText(beforeView, settings_) : std::string();
                const std::string newKey = isIn ? tag->key->KeyText(afterView, settings_) : std::string();
                if (wasIn && isIn) {
                    if (oldKey != newKey)
                        file->nsx->replace(tag->info.name, oldKey, newKey, recNo);
                } else if (wasIn) {
                    file->nsx->remove(tag->info.name, oldKey, recNo);
                } else if (isIn) {
                    file->nsx->insert(tag->info.name, newKey, recNo);
                }
            }
            update.commit();
            if (file->batchOpen && area_.table().shared() && ++file->batchRecords >= sharedBulkRecords) {
                file->batchRecords = 0;
                file->nsx->endUpdate();
                file->nsx->beginUpdate();
            }
        } catch (const NsxError&) {
            failed.push_back(file.get());
        }
    }
    return failed;
}

void AreaIndexes::zapped() {
    remarkLost();
    pending_ = PendingAppend{};  // its record is gone
    endBatches();
    std::vector<File*> failed;
    for (const auto& file : files_) {
        try {
            for (const auto& tag : file->tags)
                file->nsx->addTag(NsxKeyList(tag->info));
        } catch (const NsxError&) {
            failed.push_back(file.get());
        }
    }
    repair(std::move(failed));
    installOrder();
    endIntents();
}

void AreaIndexes::BeginBulk() { bulk_ = true; }

void AreaIndexes::EndBulk() {
    bulk_ = false;
    if (area_.mode() != OpenMode::Exclusive)
        endBatches();
}

bool AreaIndexes::Commit() {
    endBatches();
    bool ok = true;
    for (const auto& file : files_) {
        try {
            if (file->nsx)
                file->nsx->flush();
        } catch (const NsxError&) {
            ok = false;
        }
    }
    return ok;
}

}  // namespace xb
