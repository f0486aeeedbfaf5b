// The structural index file: tags, entries, cursors and seeks, bulk builds,
// sharing between opens and processes, and damaged files.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"
#include "xbengine/NsxCursor.h"
#include "xbengine/NsxFile.h"
#include "xbengine/NsxPage.h"

using namespace xb;

namespace {

NsxTagInfo tagInfo(const std::string& name, char type, int length, bool descending = false, bool unique = false) {
    NsxTagInfo info;
    info.name = name;
    info.keyExpression = "expr_" + name;
    info.keyType = type;
    info.keyLength = length;
    info.descending = descending;
    info.unique = unique;
    return info;
}

void addTag(NsxFile& file, const NsxTagInfo& info, const std::vector<std::pair<std::string, uint32_t>>& entries) {
    NsxKeyList keys(info);
    for (const auto& [key, recNo] : entries) keys.add(key, recNo);
    file.addTag(keys);
}

std::string pad(std::string text, size_t length) {
    text.resize(length, ' ');
    return text;
}

// Every (key, record) of a tag in cursor order.
std::vector<std::pair<std::string, uint32_t>> forward(NsxFile& file, const std::string& tag) {
    std::vector<std::pair<std::string, uint32_t>> result;
    NsxCursor cursor(file, tag);
    cursor.setUniqueView(false);
    for (bool on = cursor.first(); on; on = cursor.next()) result.emplace_back(cursor.key(), cursor.recNo());
    return result;
}

std::vector<std::pair<std::string, uint32_t>> backward(NsxFile& file, const std::string& tag) {
    std::vector<std::pair<std::string, uint32_t>> result;
    NsxCursor cursor(file, tag);
    cursor.setUniqueView(false);
    for (bool on = cursor.last(); on; on = cursor.prev()) result.emplace_back(cursor.key(), cursor.recNo());
    std::reverse(result.begin(), result.end());
    return result;
}

void patch(const std::string& path, uint64_t offset, const void* bytes, size_t size) {
    int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, bytes, size, off_t(offset)), ssize_t(size));
    ::close(fd);
}

uint32_t read32(const std::string& path, uint64_t offset) {
    uint8_t bytes[4] = {};
    int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_EQ(::pread(fd, bytes, 4, off_t(offset)), 4);
    ::close(fd);
    return nsxpage::get32(bytes);
}

}  // namespace

TEST(NsxSeek, CasesPerKeyType) {
    TempDir dir;
    auto file = NsxFile::Create(dir.file("seek.nsx"));
    addTag(*file, tagInfo("Name", 'C', 10),
           {{"SMITH", 4}, {"SMITHSON", 2}, {"JONES", 3}, {"SMITH", 1}, {"ADAMS", 5}});
    addTag(*file, tagInfo("Amount", 'N', 10),
           {{"        12", 1}, {"         1", 2}, {"       -3.5", 3}, {"       100", 4}, {"         2", 5}});
    addTag(*file, tagInfo("Day", 'D', 8), {{"20030115", 1}, {"20021231", 2}, {"20030201", 3}, {"        ", 4}});
    addTag(*file, tagInfo("NameDown", 'C', 10, true),
           {{"SMITH", 4}, {"SMITHSON", 2}, {"JONES", 3}, {"SMITH", 1}, {"ADAMS", 5}});
    addTag(*file, tagInfo("AmountDown", 'N', 10, true), {{"12", 1}, {"1", 2}, {"-3.5", 3}, {"100", 4}});

    struct Case {
        const char* tag;
        const char* text;
        bool exact;
        bool found;
        uint32_t recNo;  // 0: off the end
    };
    const Case cases[] = {
        {"Name", "SMITH", false, true, 1},       // prefix: lowest record of the first match
        {"Name", "SMITH", true, true, 1},        // exact: "SMITH" padded equals the key
        {"Name", "SMITHS", true, false, 2},      // exact miss: no key is "SMITHS    "
        {"Name", "SMITHS", false, true, 2},      // prefix of SMITHSON
        {"Name", "SMITHSONIAN", false, false, 0}, // longer than the key: cut to it, and no key is "SMITHSONIA"
        {"Name", "K", false, false, 1},          // miss stands on the next greater key
        {"Name", "Z", false, false, 0},
        {"Name", "", false, true, 5},            // empty prefix matches the first entry
        {"name", "ADAMS", false, true, 5},       // tag names ignore case
        {"Amount", "12", false, true, 1},
        {"Amount", "        12", false, true, 1},
        {"Amount", "12.00", true, true, 1},
        {"Amount", "1", false, true, 2},         // a number, not the prefix of 12 or 100
        {"Amount", "-3.5", false, true, 3},
        {"Amount", "50", false, false, 4},
        {"Amount", "1000", false, false, 0},
        {"Day", "200301", false, true, 1},
        {"Day", "20030201", true, true, 3},
        {"Day", "2002", false, true, 2},
        {"Day", "20030116", false, false, 3},
        {"Day", " ", false, true, 4},            // blank dates sort first
        {"NameDown", "SMITH", false, true, 2},   // descending: SMITHSON comes first
        {"NameDown", "SMITH ", false, true, 1},
        {"NameDown", "K", false, false, 3},      // next in descending order is JONES
        {"NameDown", "A", false, true, 5},
        {"NameDown", "0", false, false, 0},
        {"AmountDown", "12", false, true, 1},
        {"AmountDown", "50", false, false, 1},   // below 50 in descending order: 12
        {"AmountDown", "-4", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " '" + c.text + "'" + (c.exact ? " exact" : ""));
        NsxCursor cursor(*file, c.tag);
        EXPECT_EQ(cursor.seek(c.text, c.exact), c.found);
        EXPECT_EQ(cursor.eof(), c.recNo == 0);
        EXPECT_EQ(cursor.recNo(), c.recNo);
    }

    // The upper end of a scope: the last entry at or before the text.
    struct LastCase {
        const char* tag;
        const char* text;
        bool found;
        uint32_t recNo;  // 0: before the first
    };
    const LastCase lastCases[] = {
        {"Name", "SMITH", true, 2}, {"Name", "SMITH ", true, 4}, {"Name", "K", false, 3},
        {"Name", "A", true, 5},     {"Name", "0", false, 0},     {"Amount", "12", true, 1},
        {"Day", "2003", true, 3},
        {"NameDown", "SMITH", true, 4},
    };
    for (const LastCase& c : lastCases) {
        SCOPED_TRACE(std::string(c.tag) + " last '" + c.text + "'");
        NsxCursor cursor(*file, c.tag);
        EXPECT_EQ(cursor.seekLast(c.text), c.found);
        EXPECT_EQ(cursor.bof(), c.recNo == 0);
        EXPECT_EQ(cursor.recNo(), c.recNo);
    }
}

TEST(NsxOrder, DescendingAndNumericOrderWithTiesByRecord) {
    TempDir dir;
    auto file = NsxFile::Create(dir.file("order.nsx"));
    addTag(*file, tagInfo("Down", 'C', 3, true), {{"B", 7}, {"A", 1}, {"B", 2}, {"C", 9}});
    addTag(*file, tagInfo("Num", 'N', 8), {{"10", 1}, {"-2", 2}, {"0.5", 3}, {"-0", 4}, {"-10.25", 5}, {"2", 6}});
    using Entries = std::vector<std::pair<std::string, uint32_t>>;
    EXPECT_EQ(forward(*file, "Down"), (Entries{{"C  ", 9}, {"B  ", 2}, {"B  ", 7}, {"A  ", 1}}));
    EXPECT_EQ(backward(*file, "Down"), forward(*file, "Down"));
    EXPECT_EQ(forward(*file, "Num"),
              (Entries{{"-10.25", 5}, {"-2", 2}, {"0", 4}, {"0.5", 3}, {"2", 6}, {"10", 1}}));
}

TEST(NsxEntries, RandomChangesMatchAModel) {
    TempDir dir;
    auto file = NsxFile::Create(dir.file("random.nsx"));
    file->setCacheCapacity(16);  // the tree outgrows the cache: pages are evicted and read back
    // Long keys give few entries per page, so the tree grows several levels.
    addTag(*file, tagInfo("Long", 'C', 200), {});
    std::set<std::pair<std::string, uint32_t>> model;
    std::mt19937 random(20260101);
    auto randomKey = [&] { return pad("K" + std::to_string(random() % 400), 200); };

    auto check = [&] {
        std::vector<std::pair<std::string, uint32_t>> expected(model.begin(), model.end());
        ASSERT_EQ(forward(*file, "Long"), expected);
        ASSERT_EQ(backward(*file, "Long"), expected);
    };
    for (int step = 0; step < 6000; ++step) {
        const bool grow = (step / 1500) % 2 == 0;  // grow, shrink, grow, shrink to exercise both ways
        if (grow ? random() % 4 != 0 : random() % 4 == 0) {
            auto entry = std::make_pair(randomKey(), uint32_t(random() % 50 + 1));
            EXPECT_EQ(file->insert("LONG", entry.first, entry.second), model.insert(entry).second);
        } else if (!model.empty()) {
            auto it = model.begin();
            std::advance(it, random() % model.size());
            EXPECT_TRUE(file->remove("long", it->first, it->second));
            EXPECT_FALSE(file->remove("long", it->first, it->second));
            model.erase(it);
        }
        if (step % 500 == 499) check();
    }
    // Seeks agree with the model's lower bound.
    NsxCursor cursor(*file, "Long");
    for (int i = 0; i < 200; ++i) {
        const std::string prefix = "K" + std::to_string(random() % 400);
        auto it = std::find_if(model.begin(), model.end(), [&](const auto& e) { return e.first >= prefix; });
        const bool found = it != model.end() && it->first.compare(0, prefix.size(), prefix) == 0;
        ASSERT_EQ(cursor.seek(prefix), found) << prefix;
        ASSERT_EQ(cursor.recNo(), it == model.end() ? 0u : it->second) << prefix;
    }
    while (!model.empty()) {
        EXPECT_TRUE(file->remove("Long", model.begin()->first, model.begin()->second));
        model.erase(model.begin());
    }
    check();
    EXPECT_FALSE(NsxCursor(*file, "Long").first());
}

TEST(NsxBuild, BulkBuildMatchesASortAndReportsProgress) {
    TempDir dir;
    auto file = NsxFile::Create(dir.file("bulk.nsx"));
    NsxTagInfo info = tagInfo("Bulk", 'C', 12);
    NsxKeyList keys(info);
    std::vector<std::pair<std::string, uint32_t>> expected;
    std::mt19937 random(7);
    for (uint32_t recNo = 1; recNo <= 100000; ++recNo) {
        std::string key = pad(std::to_string(random() % 30000), 12);
        keys.add(key, recNo);
        expected.emplace_back(key, recNo);
    }
    std::vector<int> progress;
    file->addTag(keys, [&](int percent) { progress.push_back(percent); });
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(forward(*file, "Bulk"), expected);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

    // The built tree takes changes like any other.
    EXPECT_TRUE(file->insert("Bulk", " ", 100001));
    EXPECT_TRUE(file->remove("Bulk", expected.back().first, expected.back().second));
    NsxCursor cursor(*file, "Bulk");
    EXPECT_TRUE(cursor.first());
    EXPECT_EQ(cursor.recNo(), 100001u);
    EXPECT_TRUE(cursor.last());
    EXPECT_EQ(cursor.recNo(), expected[expected.size() - 2].second);
}

TEST(NsxUnique, FirstEntryOfEachKeyShows) {
    TempDir dir;
    auto file = NsxFile::Create(dir.file("unique.nsx"));
    addTag(*file, tagInfo("Cat", 'C', 4, false, true),
           {{"FR", 5}, {"LE", 2}, {"FR", 3}, {"CO", 9}, {"LE", 1}, {"LE", 8}});
    auto visible = [&](bool backwards) {
        std::vector<uint32_t> records;
        NsxCursor cursor(*file, "Cat");
        EXPECT_TRUE(cursor.uniqueView());
        for (bool on = backwards ? cursor.last() : cursor.first(); on; on = backwards ? cursor.prev() : cursor.next())
            records.push_back(cursor.recNo());
        if (backwards) std::reverse(records.begin(), records.end());
        return records;
    };
    EXPECT_EQ(visible(false), (std::vector<uint32_t>{9, 3, 1}));
    EXPECT_EQ(visible(true), (std::vector<uint32_t>{9, 3, 1}));

    // When the first record of a key leaves, the next one of that key shows.
    file->replace("Cat", "LE", "ZZ", 1);
    file->remove("Cat", "FR", 3);
    EXPECT_EQ(visible(false), (std::vector<uint32_t>{9, 5, 2, 1}));
    EXPECT_EQ(visible(true), (std::vector<uint32_t>{9, 5, 2, 1}));
    NsxCursor cursor(*file, "Cat");
    EXPECT_TRUE(cursor.seekLast("LE"));
    EXPECT_EQ(cursor.recNo(), 2u);
    cursor.setUniqueView(false);
    EXPECT_TRUE(cursor.next());
    EXPECT_EQ(cursor.recNo(), 8u);
}

TEST(NsxFileTags, ReopenKeepsTagsAndEntries) {
    TempDir dir;
    const std::string path = dir.file("Patient.nsx");
    {
        auto file = NsxFile::Create(path);
        NsxTagInfo info = tagInfo("OpenBalance", 'C', 30);
        info.keyExpression = "upper(RecName)";
        info.condition = "(Balance <> 0.0)";
        addTag(*file, info, {{"SMITH", 1}, {"ADAMS", 2}});
        addTag(*file, tagInfo("ID", 'N', 10, true, true), {{"5", 1}, {"7", 2}});
        addTag(*file, tagInfo("Gone", 'D', 8), {{"20030101", 1}});
        EXPECT_TRUE(file->dropTag("gone"));
        EXPECT_FALSE(file->dropTag("gone"));
        file->insert("openbalanc", "JONES", 3);
        file->flush();
    }
    auto file = NsxFile::Open(path);
    const std::vector<NsxTagInfo> tags = file->tags();
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].name, "OPENBALANC");
    EXPECT_EQ(tags[0].keyExpression, "upper(RecName)");
    EXPECT_EQ(tags[0].condition, "(Balance <> 0.0)");
    EXPECT_EQ(tags[0].keyLength, 30);
    EXPECT_FALSE(tags[0].unique || tags[0].descending);
    EXPECT_EQ(tags[1].name, "ID");
    EXPECT_EQ(tags[1].keyType, 'N');
    EXPECT_TRUE(tags[1].unique && tags[1].descending);
    EXPECT_TRUE(file->hasTag("OpenBalance"));
    EXPECT_FALSE(file->hasTag("Gone"));
    EXPECT_THROW(NsxCursor(*file, "Gone"), NsxError);
    using Entries = std::vector<std::pair<std::string, uint32_t>>;
    EXPECT_EQ(forward(*file, "OpenBalance"),
              (Entries{{pad("ADAMS", 30), 2}, {pad("JONES", 30), 3}, {pad("SMITH", 30), 1}}));
    EXPECT_EQ(forward(*file, "id"), (Entries{{"7", 2}, {"5", 1}}));

    // Replacing a tag reuses the pages the old one freed.
    NsxTagInfo big = tagInfo("Big", 'C', 100);
    std::vector<std::pair<std::string, uint32_t>> entries;
    for (uint32_t i = 1; i <= 3000; ++i) entries.emplace_back(std::to_string(i), i);
    addTag(*file, big, entries);
    addTag(*file, big, entries);
    const uint32_t pagesAfterReplace = read32(path, nsxpage::hdrPageCount);
    for (int round = 0; round < 3; ++round) addTag(*file, big, entries);
    EXPECT_EQ(read32(path, nsxpage::hdrPageCount), pagesAfterReplace);
    EXPECT_EQ(forward(*file, "Big").size(), entries.size());
}

TEST(NsxUpdates, GroupedChangesAndFailures) {
    TempDir dir;
    const std::string path = dir.file("update.nsx");
    auto file = NsxFile::Create(path);
    addTag(*file, tagInfo("Good", 'C', 4), {{"B", 2}});
    std::vector<std::pair<std::string, uint32_t>> many;
    for (uint32_t i = 1; i <= 200; ++i) many.emplace_back(std::to_string(i), i);
    addTag(*file, tagInfo("Bad", 'C', 100), many);

    // A cursor goes on from its entry after its own file's changes.
    NsxCursor cursor(*file, "Good");
    ASSERT_TRUE(cursor.first());
    file->insert("Good", "C", 3);
    file->insert("Good", "A", 1);
    EXPECT_TRUE(cursor.next());
    EXPECT_EQ(cursor.recNo(), 3u);

    // An unknown tag name changes nothing, and the update goes on.
    {
        NsxUpdate update(*file);
        file->insert("Good", "D", 4);
        EXPECT_THROW(file->insert("Nowhere", "X", 9), NsxError);
        file->insert("Good", "E", 5);
        update.commit();
    }
    EXPECT_EQ(forward(*file, "Good").size(), 5u);

    // A part that fails on a damaged tree drops the whole update, and its
    // end says so. A tag built in it into freed pages leaves them free.
    addTag(*file, tagInfo("Spare", 'C', 100), many);
    file->dropTag("Spare");
    const uint32_t badTag = read32(path, nsxpage::hdrDirectory + nsxpage::dirEntrySize + nsxpage::dirNameSize);
    const uint32_t badRoot = read32(path, uint64_t(badTag) * NsxFile::pageSize + nsxpage::tagRoot);
    const uint8_t wrongType = nsxpage::typeFree;
    patch(path, uint64_t(badRoot) * NsxFile::pageSize, &wrongType, 1);
    file->beginUpdate();
    file->insert("Good", "F", 6);
    addTag(*file, tagInfo("Fresh", 'C', 100), many);
    EXPECT_THROW(file->insert("Bad", "X", 9), NsxError);
    EXPECT_THROW(file->endUpdate(), NsxError);
    EXPECT_EQ(forward(*file, "Good").size(), 5u);
    EXPECT_FALSE(file->hasTag("Fresh"));
    // The file is still sound where it was: its free pages serve a new tag.
    EXPECT_TRUE(file->insert("Good", "F", 6));
    EXPECT_EQ(forward(*file, "Good").size(), 6u);
    addTag(*file, tagInfo("Fresh", 'C', 100), many);
    EXPECT_EQ(forward(*file, "Fresh").size(), many.size());
}

TEST(NsxSharing, SecondOpenSeesChangesThroughTheCounter) {
    TempDir dir;
    const std::string path = dir.file("shared.nsx");
    auto writer = NsxFile::Create(path);
    addTag(*writer, tagInfo("Name", 'C', 8), {{"B", 2}, {"D", 4}});
    auto reader = NsxFile::Open(path, true);
    NsxCursor cursor(*reader, "Name");
    EXPECT_TRUE(cursor.seek("B"));
    EXPECT_FALSE(cursor.seek("C"));

    const uint64_t before = writer->changeCounter();
    writer->insert("Name", "C", 3);
    EXPECT_GT(reader->changeCounter(), before);
    EXPECT_TRUE(cursor.seek("C"));
    EXPECT_EQ(cursor.recNo(), 3u);

    // A cursor goes on from its entry after another open's changes, even
    // when that entry is gone.
    writer->beginUpdate();
    writer->remove("Name", "C", 3);
    writer->insert("Name", "CC", 5);
    writer->insert("Name", "A", 1);
    writer->endUpdate();
    EXPECT_TRUE(cursor.next());
    EXPECT_EQ(cursor.recNo(), 5u);
    EXPECT_TRUE(cursor.prev());
    EXPECT_EQ(cursor.recNo(), 2u);

    // A tag added by another open appears; the new file of Create is seen too.
    addTag(*writer, tagInfo("Extra", 'N', 5), {{"1", 1}});
    EXPECT_TRUE(reader->hasTag("Extra"));
    auto recreated = NsxFile::Create(path);
    EXPECT_TRUE(reader->tags().empty());
    EXPECT_THROW(cursor.first(), NsxError);
}

// One process rewrites the file in updates while this one reads it: every
// read sees a whole state, never a half-written one.
TEST(NsxSharing, ReaderInAnotherProcessNeverSeesAHalfUpdate) {
    TempDir dir;
    const std::string path = dir.file("busy.nsx");
    {
        auto file = NsxFile::Create(path);
        std::vector<std::pair<std::string, uint32_t>> base;
        for (uint32_t i = 1; i <= 50; ++i) base.emplace_back("M", i);
        addTag(*file, tagInfo("Key", 'C', 120), base);
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int status = 0;
        try {
            auto file = NsxFile::Open(path);
            for (int round = 0; round < 300; ++round) {
                NsxUpdate update(*file);
                for (uint32_t i = 0; i < 20; ++i) {
                    const std::string key = (i % 2 ? "A" : "Z") + std::to_string(round * 20 + i);
                    file->insert("Key", key, 1000 + i);
                    if (round > 0) file->remove("Key", (i % 2 ? "A" : "Z") + std::to_string((round - 1) * 20 + i), 1000 + i);
                }
                update.commit();
            }
        } catch (...) {
            status = 1;
        }
        _exit(status);
    }
    auto file = NsxFile::Open(path, true);
    int waitStatus = 0;
    bool consistent = true;
    for (;;) {
        const bool done = waitpid(child, &waitStatus, WNOHANG) == child;
        // A walk may span several states, but each step sees a whole one:
        // the 50 "M" entries never change, and the walk never goes back.
        const auto entries = forward(*file, "Key");
        const auto middle = std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.first[0] == 'M'; });
        consistent = consistent && middle == 50 &&
                     std::adjacent_find(entries.begin(), entries.end(), std::greater_equal<>()) == entries.end();
        NsxCursor cursor(*file, "Key");
        consistent = consistent && cursor.seek("M") && cursor.recNo() == 1;
        consistent = consistent && cursor.seekLast("M") && cursor.recNo() == 50;
        if (done) break;
    }
    EXPECT_TRUE(consistent);
    ASSERT_TRUE(WIFEXITED(waitStatus));
    EXPECT_EQ(WEXITSTATUS(waitStatus), 0);
    EXPECT_EQ(forward(*file, "Key").size(), 50u + 20u);
}

TEST(NsxDamage, DamagedFilesAreReportedNotFollowed) {
    TempDir dir;
    const std::string good = dir.file("good.nsx");
    {
        auto file = NsxFile::Create(good);
        std::vector<std::pair<std::string, uint32_t>> entries;
        for (uint32_t i = 1; i <= 500; ++i) entries.emplace_back(std::to_string(i), i);
        addTag(*file, tagInfo("Tag", 'C', 100), entries);  // a branch root over leaves
    }
    using namespace nsxpage;
    const uint32_t tagPage = read32(good, hdrDirectory + dirNameSize);
    const uint32_t root = read32(good, uint64_t(tagPage) * NsxFile::pageSize + tagRoot);
    const uint64_t rootAt = uint64_t(root) * NsxFile::pageSize;
    const uint64_t firstChildAt = rootAt + nodeEntries + 104;  // after the first branch entry's 104 bytes of key and record

    struct Case {
        const char* what;
        uint64_t offset;
        std::vector<uint8_t> bytes;
    };
    auto u32 = [](uint32_t v) {
        std::vector<uint8_t> b(4);
        put32(b.data(), v);
        return b;
    };
    const Case cases[] = {
        {"bad magic", 0, {'X'}},
        {"page count beyond the file", hdrPageCount, u32(100000)},
        {"free list outside", hdrFreeHead, u32(100000)},
        {"tag page outside", hdrDirectory + dirNameSize, u32(100000)},
        {"tag page pointing at the header page", hdrDirectory + dirNameSize, u32(0)},
        {"interrupted update (odd counter)", hdrCounter, {0x05}},
        {"child pointing back at the root", firstChildAt, u32(root)},
        {"child outside the file", firstChildAt, u32(100000)},
        {"entry count beyond the page", rootAt + nodeCount, {0xFF, 0xFF}},
        {"root of another type", rootAt, {typeFree}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bad.nsx");
        std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing);
        patch(path, c.offset, c.bytes.data(), c.bytes.size());
        EXPECT_THROW(
            {
                auto file = NsxFile::Open(path);
                NsxCursor cursor(*file, "Tag");
                for (bool on = cursor.first(); on; on = cursor.next()) {
                }
                for (bool on = cursor.last(); on; on = cursor.prev()) {
                }
                file->insert("Tag", "x", 1);
            },
            NsxError);
    }

    const std::string shortFile = dir.file("short.nsx");
    std::filesystem::copy_file(good, shortFile);
    std::filesystem::resize_file(shortFile, 100);
    EXPECT_THROW(NsxFile::Open(shortFile), NsxError);
    EXPECT_THROW(NsxFile::Open(dir.file("missing.nsx")), NsxError);
    // A damaged file can always be made anew.
    auto remade = NsxFile::Create(dir.file("bad.nsx"));
    EXPECT_TRUE(remade->tags().empty());
}

// Random bytes written over random places, page headers most of all: every
// use of the file ends, either with a result or with NsxError.
TEST(NsxDamage, RandomCorruptionNeverCrashesOrLoops) {
    TempDir dir;
    const std::string good = dir.file("good.nsx");
    constexpr size_t entryCount = 600;
    {
        auto file = NsxFile::Create(good);
        std::vector<std::pair<std::string, uint32_t>> entries;
        for (uint32_t i = 1; i <= entryCount; ++i) entries.emplace_back(std::to_string(i * 7919 % 1000), i);
        addTag(*file, tagInfo("Tag", 'C', 60), entries);
        addTag(*file, tagInfo("Num", 'N', 10, true), entries);
        for (uint32_t i = 1; i <= 200; ++i) file->remove("Tag", entries[i * 2].first, entries[i * 2].second);
    }
    const uint64_t fileSize = std::filesystem::file_size(good);
    std::mt19937 random(99);
    const std::string path = dir.file("bad.nsx");
    for (int round = 0; round < 120; ++round) {
        std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing);
        for (int hit = 0; hit < 3; ++hit) {
            const uint64_t page = random() % (fileSize / NsxFile::pageSize);
            const uint64_t within = random() % 2 ? random() % 24 : random() % NsxFile::pageSize;
            const uint8_t value = uint8_t(random() % 4 == 0 ? random() % 8 : random());
            patch(path, page * NsxFile::pageSize + within, &value, 1);
        }
        try {
            auto file = NsxFile::Open(path);
            for (const NsxTagInfo& tag : file->tags()) {
                NsxCursor cursor(*file, tag.name);
                cursor.setUniqueView(round % 2 == 0);
                // Even a damaged count cannot make a two-level tree hold this many.
                const size_t bound = 100 * entryCount;
                size_t steps = 0;
                for (bool on = cursor.first(); on && steps <= bound; on = cursor.next()) ++steps;
                ASSERT_LE(steps, bound) << "a walk went in circles";
                steps = 0;
                for (bool on = cursor.last(); on && steps <= bound; on = cursor.prev()) ++steps;
                ASSERT_LE(steps, bound) << "a walk went in circles";
                cursor.seek("5");
                cursor.seekLast("5");
                file->insert(tag.name, "42", 9999);
                file->remove(tag.name, "42", 9999);
                file->remove(tag.name, "7", 1);
            }
            file->dropTag("Num");
        } catch (const NsxError&) {
        }
    }
}

