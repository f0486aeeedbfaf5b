#include "app/IndexCheck.h"

#include <chrono>
#include <thread>

#include "app/IndexCatalog.h"
#include "app/Schemas.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr auto RetryPause = std::chrono::milliseconds(50);

// Selects a work area for its lifetime and puts the previous selection back.
class TAreaSelected {
public:
    explicit TAreaSelected(int Area) : previous_(xb_Select(Area)) {}
    ~TAreaSelected() {
        if (previous_ > 0 && *xb_Alias(previous_) != '\0')
            xb_Select(previous_);
    }
    TAreaSelected(const TAreaSelected&) = delete;
    TAreaSelected& operator=(const TAreaSelected&) = delete;

private:
    int previous_;
};

// The selected area holds every tag of the table in use.
bool SelectedAreaHasTags(const TIndexedTable& Table) {
    if (xb_IndexError() == XB_INDEX_UNUSABLE)
        return false;
    for (const TIndexTagDef& tag : Table.Tags)
        if (xb_TagArea(tag.TagName) == 0)
            return false;
    return true;
}

// Opens the table shared as the program does, so that the engine builds a
// damaged index file again on the way; whether its tags are then all there.
// True also when the table cannot be opened: that is reported elsewhere.
bool IndexUsable(const std::string& TablePath, const TIndexedTable& Table) {
    const int previous = xb_WorkArea(nullptr);
    int area = 0;
    if (!IndexCheck::WithinTableWait([&] {
            area = xb_Use(TablePath.c_str(), "INDEXCHECK", XB_SHARED, XB_DRIVER_NSX);
            return area != 0;
        }))
        return true;
    const bool usable = SelectedAreaHasTags(Table);
    xb_Close();
    if (previous > 0 && *xb_Alias(previous) != '\0')
        xb_Select(previous);
    return usable;
}

}  // namespace

namespace IndexCheck {

bool WithinTableWait(const std::function<bool()>& Open) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TableWaitMs);
    while (!Open()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(RetryPause);
    }
    return true;
}

std::vector<std::string> UnusableIndexes(const std::string& DataDirectory) {
    const std::string folder = os::MapPath(DataDirectory);
    std::vector<std::string> unusable;
    for (const TIndexedTable& table : IndexCatalog::Tables()) {
        const std::string tablePath = os::MapPath(Schemas::tableFileName(folder, table.FileName));
        if (!os::FileExists(tablePath))
            continue;
        const std::string indexPath = os::MapPath(os::ChangeFileExt(tablePath, ".nsx"));
        if (!os::FileExists(indexPath) || !IndexUsable(tablePath, table))
            unusable.push_back(table.FileName);
    }
    return unusable;
}

bool TagsInUse(TTable* Table) {
    const TIndexedTable* table = IndexCatalog::findTable(os::ExtractFileName(Table->TableName()));
    if (!table)
        return true;
    if (!Table->Active() || Table->Handle() == 0)
        return false;
    TAreaSelected selected(static_cast<int>(Table->Handle()));
    return SelectedAreaHasTags(*table);
}

}  // namespace IndexCheck
