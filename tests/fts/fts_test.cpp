// The full-text index call set on real files: positional keys, word-prefix
// search, sharing between handles and processes, and damaged files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "fts/Fts.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

std::vector<int> allMatches(int handle, const std::string& text) {
    std::vector<int> found;
    EXPECT_EQ(FtsSet(handle, text.c_str()), FtsSearchReady) << text;
    for (int rec = FtsNextRec(handle); rec >= 1; rec = FtsNextRec(handle)) found.push_back(rec);
    return found;
}

// An index made from keys, left open.
int createWith(const std::string& path, const std::vector<std::string>& keys) {
    int handle = -1;
    EXPECT_EQ(FtsCreate(path.c_str(), 20, 3, 1, 1, &handle), FtsOk);
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(FtsAdd(handle, keys[i].c_str()), int(i + 1));
    return handle;
}

int openIndex(const std::string& path) {
    int handle = -1;
    EXPECT_EQ(FtsOpen(path.c_str(), 20, 0, &handle), FtsOk);
    return handle;
}

// Patient keys as the program builds them: padded name, street, phones, SSN.
const std::vector<std::string> patients = {
    "SMITH, JOHN         12 MAIN ST          (555)123-4567 (555)987-6543 123-45-6789",
    "DOE, JANE           7 OAK AVE           (555)222-3333               987-65-4321",
    "SMITHSON, ANNA      12 ELM ST           (555)444-5555 (555)123-0000 555-12-3456",
    "O'BRIEN, PÉTER      99 MAIN STREET      (555)777-8888               111-22-3333",
    "WOLFESCHLEGELSTEINHAUSENBERGERDORFF, HUBERT 1 LONG RD",
};

class FtsFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("Patient.ia");
};

TEST_F(FtsFile, SearchMatchesEveryWordAsAPrefix) {
    int h = createWith(path, patients);
    ASSERT_EQ(FtsClose(h), FtsOk);
    h = openIndex(path);
    struct Case {
        const char* text;
        std::vector<int> expected;
    } cases[] = {
        {"SMITH", {1, 3}},               // SMITHSON begins with SMITH
        {"smith, john", {1}},            // upper-cased before matching
        {"JOHN SMITH", {1}},             // word order does not matter
        {"SMI JO", {1}},
        {"MAIN ST", {1, 4}},             // ST begins STREET
        {"12 MAIN", {1}},
        {"(555)123", {1, 3}},            // phone parts
        {"4567", {1}},
        {"987-65-4321", {2}},            // SSN
        {"555", {1, 2, 3, 4}},
        {"O'BRIEN", {4}},
        {"péter", {4}},                  // Windows-1252 letters upper-cased too
        {"wolfeschlegelsteinhausenbergerdorff", {5}},  // long words are cut alike
        {"WOLFESCHLEGELSTEINHAUSENBERGERXXXX", {5}},   // so only their start counts
        {"WOLFESCHLEGELSTEINHAUSENB", {5}},
        {"MITH", {}},                    // words match from their start only
        {"SMITH DOE", {}},
        {"NOBODY", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(allMatches(h, c.text), c.expected) << c.text;
    EXPECT_EQ(FtsNextRec(h), 0);  // stays exhausted
    EXPECT_EQ(FtsClose(h), FtsOk);
}

TEST_F(FtsFile, BadInputGivesFailureResults) {
    int h = createWith(path, {"ALPHA BETA", "GAMMA"});
    const std::string tooLong(FtsMaxKeyLength + 1, 'X');
    struct Case {
        const char* what;
        int result;
        int expected;
    } cases[] = {
        {"set without text", FtsSet(h, nullptr), FtsErrBadArgument},
        {"set empty text", FtsSet(h, ""), FtsErrBadArgument},
        {"set only punctuation", FtsSet(h, " ,.-() "), FtsErrBadArgument},
        {"add without key", FtsAdd(h, nullptr), FtsErrBadArgument},
        {"add too long", FtsAdd(h, tooLong.c_str()), FtsErrKeyTooLong},
        {"replace too long", FtsReplace(h, tooLong.c_str(), 1), FtsErrKeyTooLong},
        {"delete zero", FtsDelete(h, 0), FtsErrOutOfRange},
        {"delete negative", FtsDelete(h, -5), FtsErrOutOfRange},
        {"delete past end", FtsDelete(h, 3), FtsErrOutOfRange},
        {"replace past end", FtsReplace(h, "X", 3), FtsErrOutOfRange},
        {"verify empty text", FtsVerify(h, "ALPHA", "", 3), FtsErrBadArgument},
        {"verify without key", FtsVerify(h, nullptr, "ALPHA", 3), FtsErrBadArgument},
        {"unknown handle", FtsAdd(h + 1000, "X"), FtsErrBadHandle},
        {"unknown handle set", FtsSet(-1, "X"), FtsErrBadHandle},
        {"unknown handle next", FtsNextRec(h + 1000), FtsErrBadHandle},
        {"unknown handle close", FtsClose(h + 1000), FtsErrBadHandle},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
    // None of them disturbed the index.
    EXPECT_EQ(FtsAdd(h, "DELTA"), 3);
    EXPECT_EQ(FtsNumRecs(h), 3);
    EXPECT_EQ(FtsClose(h), FtsOk);
    EXPECT_EQ(FtsClose(h), FtsErrBadHandle);  // a closed handle is gone

    int out = 7;
    EXPECT_EQ(FtsOpen(nullptr, 20, 0, &out), FtsErrBadArgument);
    EXPECT_EQ(FtsOpen(path.c_str(), 20, 0, nullptr), FtsErrBadArgument);
    EXPECT_EQ(FtsCreate(dir.file("no/such/folder/x.ia").c_str(), 20, 3, 1, 1, &out), FtsErrNoFile);
}

TEST_F(FtsFile, NoKeysAndBlankKeys) {
    int h = createWith(path, {});
    EXPECT_EQ(FtsSet(h, "ANY"), FtsErrNoKeys);
    EXPECT_EQ(FtsNumRecs(h), 0);
    // A blank key still takes its position, so later keys keep their numbers.
    EXPECT_EQ(FtsAdd(h, ""), 1);
    EXPECT_EQ(FtsAdd(h, "      "), 2);
    EXPECT_EQ(FtsAdd(h, "CARTER"), 3);
    EXPECT_EQ(allMatches(h, "CARTER"), std::vector<int>{3});
    EXPECT_EQ(FtsDelete(h, 3), 3);
    EXPECT_EQ(FtsDelete(h, 1), 1);
    EXPECT_EQ(FtsDelete(h, 2), 2);
    EXPECT_EQ(FtsSet(h, "CARTER"), FtsErrNoKeys);  // only deleted keys left
    EXPECT_EQ(FtsClose(h), FtsOk);
}

TEST_F(FtsFile, DeletedPositionsKeepTheNumbering) {
    int h = createWith(path, {"ADAMS ONE", "BAKER TWO", "ADAMS THREE", "CLARK FOUR", "ADAMS FIVE"});
    EXPECT_EQ(FtsDelete(h, 2), 2);
    EXPECT_EQ(FtsDelete(h, 3), 3);
    EXPECT_EQ(FtsDelete(h, 3), 3);  // again: no change, no failure
    EXPECT_EQ(FtsAdd(h, "ADAMS SIX"), 6);
    EXPECT_EQ(FtsNumRecs(h), 4);
    ASSERT_EQ(FtsClose(h), FtsOk);

    h = openIndex(path);
    EXPECT_EQ(allMatches(h, "ADAMS"), (std::vector<int>{1, 5, 6}));
    EXPECT_EQ(allMatches(h, "BAKER"), std::vector<int>{});
    EXPECT_EQ(allMatches(h, "FOUR"), std::vector<int>{4});
    EXPECT_EQ(FtsNumRecs(h), 4);
    EXPECT_EQ(FtsClose(h), FtsOk);
}

TEST_F(FtsFile, ReplaceChangesWhichWordsMatch) {
    int h = createWith(path, patients);
    ASSERT_EQ(FtsClose(h), FtsOk);
    // A patient moves: saved through its own open, as the record form does.
    h = openIndex(path);
    const std::string moved = "SMITH, JOHN         400 HARBOR WAY      (555)123-4567 (555)987-6543 123-45-6789";
    EXPECT_EQ(FtsReplace(h, moved.c_str(), 1), 1);
    ASSERT_EQ(FtsClose(h), FtsOk);

    h = openIndex(path);
    EXPECT_EQ(allMatches(h, "HARBOR WAY"), std::vector<int>{1});
    EXPECT_EQ(allMatches(h, "12 MAIN"), std::vector<int>{});
    EXPECT_EQ(allMatches(h, "MAIN"), std::vector<int>{4});
    EXPECT_EQ(allMatches(h, "SMITH JOHN 4567"), std::vector<int>{1});  // unchanged words still match
    // A deleted position given a key again is found again.
    EXPECT_EQ(FtsDelete(h, 2), 2);
    EXPECT_EQ(allMatches(h, "DOE"), std::vector<int>{});
    EXPECT_EQ(FtsReplace(h, "DOE, JANE 1 NEW RD", 2), 2);
    EXPECT_EQ(allMatches(h, "DOE"), std::vector<int>{2});
    EXPECT_EQ(allMatches(h, "OAK"), std::vector<int>{});
    // A longer key than before is kept whole.
    const std::string longer = moved + " ADDITIONAL WORDS MAKING THIS KEY LONGER THAN IT WAS";
    EXPECT_EQ(FtsReplace(h, longer.c_str(), 1), 1);
    EXPECT_EQ(FtsNumRecs(h), int(patients.size()));
    ASSERT_EQ(FtsClose(h), FtsOk);
    h = openIndex(path);
    EXPECT_EQ(allMatches(h, "ADDITIONAL HARBOR"), std::vector<int>{1});
    EXPECT_EQ(allMatches(h, "DOE NEW"), std::vector<int>{2});
    EXPECT_EQ(FtsClose(h), FtsOk);
}

TEST_F(FtsFile, VerifyChecksTheKeyAgainstTheText) {
    int h = createWith(path, {});
    struct Case {
        const char* key;
        const char* text;
        int expected;
    } cases[] = {
        {"SMITH, JOHN", "SMITH", 1},
        {"SMITH, JOHN", "john smi", 1},
        {"SMITH, JOHN", "SMITH JOHNNY", 0},
        {"SMITH, JOHN", "MITH", 0},
        {"(555)123-4567", "123-4567", 1},
        {"", "X", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(FtsVerify(h, c.key, c.text, 3), c.expected) << c.key << " / " << c.text;
    EXPECT_EQ(FtsClose(h), FtsOk);
}

// The rebuild: every record added in record order, the deleted ones deleted
// right after their add, over an index that held other keys before.
TEST_F(FtsFile, RebuildKeepsKeyNAtRecordN) {
    int old = createWith(path, {"STALE KEY", "STALE OTHER"});
    ASSERT_EQ(FtsClose(old), FtsOk);

    const bool deleted[] = {true, false, true, true, false, false};
    int h = -1;
    ASSERT_EQ(FtsCreate(path.c_str(), 20, 3, 1, 1, &h), FtsOk);
    for (int rec = 1; rec <= 6; ++rec) {
        const std::string key = "PATIENT REC" + std::to_string(rec);
        ASSERT_EQ(FtsAdd(h, key.c_str()), rec);
        if (deleted[rec - 1]) {
            ASSERT_EQ(FtsDelete(h, rec), rec);
        }
    }
    ASSERT_EQ(FtsClose(h), FtsOk);

    h = openIndex(path);
    EXPECT_EQ(allMatches(h, "PATIENT"), (std::vector<int>{2, 5, 6}));
    for (int rec = 1; rec <= 6; ++rec) {
        const std::vector<int> expected = deleted[rec - 1] ? std::vector<int>{} : std::vector<int>{rec};
        EXPECT_EQ(allMatches(h, "REC" + std::to_string(rec)), expected);
    }
    EXPECT_EQ(allMatches(h, "STALE"), std::vector<int>{});
    EXPECT_EQ(FtsNumRecs(h), 3);
    EXPECT_EQ(FtsClose(h), FtsOk);
}

TEST_F(FtsFile, HandlesAreIndependent) {
    const std::string other = dir.file("Other.ia");
    int a = createWith(path, {"ALPHA"});
    int b = createWith(other, {"BRAVO", "ALPHA"});
    EXPECT_NE(a, b);
    EXPECT_EQ(allMatches(a, "ALPHA"), std::vector<int>{1});
    EXPECT_EQ(allMatches(b, "ALPHA"), std::vector<int>{2});
    ASSERT_EQ(FtsClose(a), FtsOk);
    ASSERT_EQ(FtsClose(b), FtsOk);

    // Two handles on one file: a search stays on its own handle, and changes
    // show in the other handle's next search once their writer has closed.
    int reader = openIndex(path);
    int writer = openIndex(path);
    EXPECT_EQ(FtsSet(reader, "ALPHA"), FtsSearchReady);
    EXPECT_EQ(FtsAdd(writer, "ALPHA TWO"), 2);
    EXPECT_EQ(allMatches(writer, "ALPHA"), (std::vector<int>{1, 2}));
    EXPECT_EQ(FtsNextRec(reader), 1);  // the reader's search was not disturbed
    EXPECT_EQ(FtsNextRec(reader), 0);
    EXPECT_EQ(allMatches(reader, "ALPHA"), std::vector<int>{1});  // not yet written
    ASSERT_EQ(FtsClose(writer), FtsOk);
    EXPECT_EQ(allMatches(reader, "ALPHA"), (std::vector<int>{1, 2}));
    EXPECT_EQ(FtsNumRecs(reader), 2);
    EXPECT_EQ(FtsClose(reader), FtsOk);
}

TEST_F(FtsFile, ChangesFromAnotherProcess) {
    int h = createWith(path, {"FIRST KEY"});
    ASSERT_EQ(FtsClose(h), FtsOk);
    int reader = openIndex(path);

    // A writer that dies before closing leaves the file as it was.
    {
        ChildProcess child([&](ChildProcess& self) {
            int w = -1;
            if (FtsOpen(path.c_str(), 20, 0, &w) != FtsOk || FtsAdd(w, "LOST KEY") != 2) _exit(1);
            self.Send();
            self.Receive();
        });
        ASSERT_TRUE(child.Started());
        ASSERT_TRUE(child.Receive());
        EXPECT_EQ(allMatches(reader, "KEY"), std::vector<int>{1});  // not blocked by the writer
        child.KillHard();
        child.Wait();
    }
    EXPECT_EQ(allMatches(reader, "LOST"), std::vector<int>{});

    ChildProcess child([&](ChildProcess&) {
        int w = -1;
        if (FtsOpen(path.c_str(), 20, 0, &w) != FtsOk || FtsAdd(w, "SECOND KEY") != 2 ||
            FtsReplace(w, "FIRST CHANGED", 1) != 1 || FtsClose(w) != FtsOk)
            _exit(1);
    });
    ASSERT_TRUE(child.Started());
    ASSERT_EQ(child.Wait(), 0);
    EXPECT_EQ(allMatches(reader, "KEY"), std::vector<int>{2});
    EXPECT_EQ(allMatches(reader, "CHANGED"), std::vector<int>{1});
    EXPECT_EQ(FtsClose(reader), FtsOk);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST_F(FtsFile, MissingOrDamagedFileFailsToOpenAndARebuildMendsIt) {
    int h = createWith(path, patients);
    ASSERT_EQ(FtsClose(h), FtsOk);
    const std::string good = readFile(path);
    ASSERT_GT(good.size(), 4096u);

    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty file", ""},
        {"not an index", "This is a text file, not an index.\n"},
        {"truncated to a few bytes", good.substr(0, 100)},
        {"truncated mid-way", good.substr(0, good.size() / 2 + 10)},
        {"last page cut off", good.substr(0, good.size() - 4096)},
        {"header byte changed", [&] { std::string b = good; b[41] ^= 0x40; return b; }()},
        {"grown by garbage", good + std::string(4096, '\xAB')},
    };
    for (const Case& c : cases) {
        writeFile(path, c.bytes);
        int out = -1;
        EXPECT_NE(FtsOpen(path.c_str(), 20, 0, &out), FtsOk) << c.what;
    }
    int out = -1;
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(FtsOpen(path.c_str(), 20, 0, &out), FtsErrNoFile);

    // The rebuild makes the file anew.
    writeFile(path, good.substr(0, 100));
    h = createWith(path, {"MENDED"});
    ASSERT_EQ(FtsClose(h), FtsOk);
    h = openIndex(path);
    EXPECT_EQ(allMatches(h, "MENDED"), std::vector<int>{1});
    EXPECT_EQ(FtsClose(h), FtsOk);
}

// Whatever page is damaged, the calls that reach it fail; none crashes.
TEST_F(FtsFile, DamageInsideAnyPageIsReportedByTheCallsThatMeetIt) {
    int h = createWith(path, patients);
    ASSERT_EQ(FtsClose(h), FtsOk);
    const std::string good = readFile(path);
    const size_t pages = good.size() / 4096;
    for (size_t page = 1; page < pages; ++page) {
        std::string bad = good;
        bad[page * 4096 + 2000] ^= 0x5A;
        writeFile(path, bad);
        h = openIndex(path);
        bool failed = false;
        for (const char* text : {"SMITH", "DOE", "ANNA", "O", "5", "1", "9"}) failed |= FtsSet(h, text) < 0;
        for (int rec = 1; rec <= int(patients.size()); ++rec)
            failed |= FtsReplace(h, (patients[rec - 1] + " X").c_str(), rec) < 0;
        failed |= FtsClose(h) < 0;
        EXPECT_TRUE(failed) << "page " << page;
    }
}

// Many keys over a large vocabulary, checked against a plain model of the
// matching rule, across directory and posting block splits, replaces and
// deletes in the middle, and a reopen.
TEST_F(FtsFile, AgreesWithAPlainModelOverManyKeys) {
    std::mt19937 random(20240611);
    auto makeWord = [&] {
        std::string w;
        const int length = 2 + int(random() % 6);
        for (int i = 0; i < length; ++i) w += char('A' + random() % 26);
        return w;
    };
    std::vector<std::string> vocabulary;
    for (int i = 0; i < 40000; ++i) vocabulary.push_back(makeWord());
    auto makeKey = [&](int rec) {
        std::string key = rec % 2 == 0 ? "COMMON" : "";
        for (int i = 0; i < 6; ++i) key += " " + vocabulary[random() % vocabulary.size()];
        return key;
    };
    std::vector<std::string> model;  // key per position; "" once deleted
    int h = -1;
    ASSERT_EQ(FtsCreate(path.c_str(), 20, 3, 1, 1, &h), FtsOk);
    for (int rec = 1; rec <= 4000; ++rec) {
        model.push_back(makeKey(rec));
        ASSERT_EQ(FtsAdd(h, model.back().c_str()), rec);
    }
    ASSERT_EQ(FtsClose(h), FtsOk);

    h = openIndex(path);
    for (int i = 0; i < 600; ++i) {
        const int rec = 1 + int(random() % model.size());
        if (i % 4 == 0) {
            ASSERT_EQ(FtsDelete(h, rec), rec);
            model[rec - 1].clear();
        } else {
            // Odd records gain COMMON, so it goes into the middle of full blocks.
            model[rec - 1] = "COMMON" + makeKey(rec);
            ASSERT_EQ(FtsReplace(h, model[rec - 1].c_str(), rec), rec);
        }
    }
    // Emptying the last blocks of the lists, then adding after them.
    for (int rec = int(model.size()); rec > int(model.size()) - 300; --rec) {
        ASSERT_EQ(FtsDelete(h, rec), rec);
        model[rec - 1].clear();
    }
    for (int i = 0; i < 200; ++i) {
        model.push_back(makeKey(int(model.size()) + 1));
        ASSERT_EQ(FtsAdd(h, model.back().c_str()), int(model.size()));
    }
    auto expected = [&](const std::string& text) {
        std::vector<std::string> wanted;
        size_t i = 0;
        while (i < text.size()) {
            size_t j = text.find(' ', i);
            if (j == std::string::npos) j = text.size();
            if (j > i) wanted.push_back(text.substr(i, j - i));
            i = j + 1;
        }
        std::vector<int> recs;
        for (size_t rec = 0; rec < model.size(); ++rec) {
            const std::string key = " " + model[rec];
            bool all = !model[rec].empty();
            for (const std::string& w : wanted) all = all && key.find(" " + w) != std::string::npos;
            if (all) recs.push_back(int(rec + 1));
        }
        return recs;
    };
    std::vector<std::string> queries = {"COMMON", "A", "Q", "ZZ", "COMMON B"};
    for (int i = 0; i < 40; ++i) {
        const std::string& w = vocabulary[random() % vocabulary.size()];
        queries.push_back(w);
        queries.push_back(w.substr(0, 2));
        queries.push_back("COMMON " + w.substr(0, 1));
    }
    int live = 0;
    for (const std::string& key : model) live += !key.empty();
    auto checkAll = [&](const char* when) {
        for (const std::string& q : queries) EXPECT_EQ(allMatches(h, q), expected(q)) << q << ", " << when;
        EXPECT_EQ(FtsNumRecs(h), live) << when;
    };
    checkAll("before the changes are written");
    // More changes after a search on the writing handle are kept too.
    if (model[0].empty()) ++live;
    model[0] = "COMMON ZZTOP";
    ASSERT_EQ(FtsReplace(h, model[0].c_str(), 1), 1);
    ASSERT_EQ(FtsClose(h), FtsOk);
    h = openIndex(path);
    checkAll("after a reopen");
    EXPECT_EQ(FtsClose(h), FtsOk);
}

}  // namespace
