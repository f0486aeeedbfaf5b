#pragma once
// The index files of one work area: the table's structural index, opened
// with the table, and any other index file opened or made for it. Their tags
// are the area's orders, numbered from 1 across the files (structural index
// first); order 0 is record order. Every record the area writes reaches every
// tag here, so each tag keeps the keys (and, for conditional tags, the
// records) that the table holds.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xbengine/Expr.h"
#include "xbengine/NsxFile.h"
#include "xbengine/TagOrder.h"
#include "xbengine/WorkArea.h"
#include "xbengine/XbCodes.h"

namespace xb {

// What went wrong with the area's indexes, for xb_IndexError.
enum IndexError {
    IndexErrorNone = XB_INDEX_OK,
    // An index file was damaged and has been built again from the table.
    IndexErrorRebuilt = XB_INDEX_REBUILT,
    // An index file could not be read or written; its tags are not in use.
    IndexErrorUnusable = XB_INDEX_UNUSABLE,
    // A key expression or condition does not compile (or has no usable key).
    IndexErrorBadExpression = XB_INDEX_BAD_EXPRESSION,
    // The table is open read-only, so no index can be written.
    IndexErrorReadOnly = XB_INDEX_READ_ONLY,
};

class AreaIndexes {
public:
    // Hears the progress of a tag being built, 0..100.
    using Gauge = std::function<void(int percent)>;

    AreaIndexes(WorkArea& area, const Settings& settings);
    ~AreaIndexes();
    AreaIndexes(const AreaIndexes&) = delete;
    AreaIndexes& operator=(const AreaIndexes&) = delete;

    // The structural index file of a table ("" for the NTX family, which has none).
    static std::string StructuralPath(const std::string& tablePath, int driver);

    // Opens the table's structural index when there is one; a damaged one is
    // built again from the table (reported through LastError).
    void OpenStructural(const Gauge& gauge);
    int LastError() const { return lastError_; }

    int TagCount() const;
    int Order() const;
    // Makes an order current, keeping the current record; an order that does
    // not exist means record order. Returns the previous order.
    int SetOrder(int order);
    // The order of a tag named without regard to case (cut to 10 characters); 0 when none.
    int OrderOfTag(std::string_view name) const;

    // About an order (0: the current one); empty or false when there is none.
    std::string TagName(int order) const;
    std::string IndexFileName(int order) const;  // without folder
    std::string KeyExpression(int order) const;
    std::string Condition(int order) const;
    bool Descending(int order) const;
    bool Unique(int order) const;
    // The fields the key expression reads, joined with "+" ("upper(RecName)" gives "RecName").
    std::string KeyFields(int order) const;
    // The current record's key in the current order.
    std::string KeyData();

    // Builds a tag (a tag of that name in the file is replaced) and makes it
    // the current order, standing on its first record. An empty file name is
    // the structural index; a name without folder lies beside the table.
    // option 1: unique. The new order, or 0 (see LastError).
    int IndexTag(const std::string& file, const std::string& tagName, const std::string& expression, int option,
                 bool descending, const std::string& condition, const Gauge& gauge);
    // Makes an index file anew holding one tag named after the file.
    int Index(const std::string& file, const std::string& expression, int option, bool descending,
              const std::string& condition, const Gauge& gauge);
    // Opens another index file and makes its first tag current; its order, or 0.
    int IndexOpen(const std::string& file);

    // The current order's scope; false when the area is in record order.
    bool SetScope(const std::string& low, const std::string& high);
    // 0: the low bound, 1: the high bound; "" when none.
    std::string Scope(int which) const;
    bool ScopeActive() const;

    // Many records are about to be written (an append from another table):
    // index changes are grouped until EndBulk.
    void BeginBulk();
    void EndBulk();
    // Hands every pending index change to the disk.
    bool Commit();
    // After an index file failed under a movement: builds the files again
    // (or, when that is impossible, puts them out of use).
    void Recover(const Gauge& gauge);

private:
    struct File;
    struct Tag {
        File* file = nullptr;
        NsxTagInfo info;
        std::unique_ptr<Expression> key;
        std::unique_ptr<Expression> condition;
        TagScope scope;
    };
    struct File {
        std::string path;
        bool structural = false;
        std::unique_ptr<NsxFile> nsx;
        std::vector<std::unique_ptr<Tag>> tags;
        bool batchOpen = false;   // an update spans records until the batch ends
        int batchRecords = 0;
        bool intentOpen = false;  // the file is marked: the table changed ahead of its tags
    };

    Tag* tagAt(int order) const;
    Tag* currentOrAt(int order) const { return order == 0 ? current_ : tagAt(order); }
    int orderOf(const Tag* tag) const;
    void installOrder();
    std::string resolvePath(const std::string& file) const;
    void sizeCache(NsxFile& file) const;
    bool isStructural(const std::string& path) const;
    File* findFile(const std::string& path) const;
    File* addFile(std::unique_ptr<File> file);
    void listen();
    void removeFile(File* file);

    std::unique_ptr<Tag> makeTag(const std::string& name, const std::string& expression, const std::string& condition,
                                 bool unique, bool descending);
    std::unique_ptr<Tag> tagOf(const NsxTagInfo& info);
    bool loadTags(File& file);
    // Reads the table once and builds the given tags into the file.
    void buildTags(File& file, const std::vector<Tag*>& tags, const Gauge& gauge);
    // Opens (or, when damaged, builds again) an existing index file.
    std::unique_ptr<File> openFile(const std::string& path, const Gauge& gauge);
    bool rebuildFile(File& file, std::vector<std::unique_ptr<Tag>> tags, const Gauge& gauge);
    void repairFile(File& file, const Gauge& gauge = {});
    void keepDescriptions(const std::string& path, const std::vector<std::unique_ptr<Tag>>& tags);
    // An index file whose tags could not be written goes out of use here and
    // is marked on disk for every opener to build again (NsxFile::MarkForRebuild).
    void markLost(const std::string& path);
    // This area's writes do not reach a lost file's tags: each one marks it
    // again, since another user may have built it meanwhile.
    void remarkLost();
    int finishBuild(File* file, const std::string& tagName, std::unique_ptr<Tag> tag, const Gauge& gauge);

    // Marks every file before the table changes; the marks are cleared once
    // the tags hold what the table holds (at once in shared use, at the end
    // of a batch in exclusive use), so that a writer dying in between leaves
    // a mark the next open finds.
    void beforeWrite();
    void endIntents();
    void recordWritten(uint32_t recNo, const char* before, const char* after);
    // Changes one record's keys in every tag; the files that failed.
    std::vector<File*> writeKeys(uint32_t recNo, const char* before, const char* after);
    // Hands a held-back new record to the tags; the files that failed.
    std::vector<File*> flushPending();
    void repair(std::vector<File*> failed);
    // Whether the file holds the tags this area knows, as it knows them.
    bool sameTags(File& file);
    void zapped();
    bool batching() const;
    void endBatches();

    WorkArea& area_;
    const Settings& settings_;
    std::vector<std::unique_ptr<File>> files_;
    Tag* current_ = nullptr;
    bool bulk_ = false;
    bool tagsReloaded_ = false;
    // A table write failed part-way: the marks stay until the files close,
    // so that the next open builds the tags again.
    bool intentKept_ = false;
    uint64_t writes_ = 0;  // records this area wrote
    // In exclusive use a new record's keys wait for its first write (or the
    // next read of a tag), so that a record appended blank and then filled
    // in is added once.
    struct PendingAppend {
        uint32_t recNo = 0;
        std::vector<char> record;
    } pending_;
    int lastError_ = IndexErrorNone;
    // Index files that went out of use because they could not be written.
    std::vector<std::string> lost_;
};

}  // namespace xb
