#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/TempDir.h"
#include "xbase/FTS32.h"

namespace {

class FtsComponentTest : public testing::Test {
protected:
    std::string Index(const std::string& name) { return dir.file(name); }
    TempDir dir;
};

TEST_F(FtsComponentTest, EachComponentKeepsItsOwnIndex) {
    TFts patients(nullptr);
    TFts others(nullptr);
    ASSERT_EQ(patients.CreateIndex(Index("Patient.ia"), 20, 3, 1, 1), 0);
    ASSERT_EQ(others.CreateIndex(Index("Other.ia"), 20, 3, 1, 1), 0);
    EXPECT_NE(patients.Handle(), others.Handle());
    EXPECT_EQ(patients.Add("SMITH, JOHN"), 1);
    EXPECT_EQ(others.Add("JONES, ANN"), 1);
    EXPECT_EQ(patients.Add("JONES, BOB"), 2);

    ASSERT_EQ(patients.Set("JONES"), 1);
    EXPECT_EQ(patients.NextRec(), 2);
    EXPECT_LT(patients.NextRec(), 1);
    ASSERT_EQ(others.Set("JONES"), 1);
    EXPECT_EQ(others.NextRec(), 1);
    EXPECT_EQ(patients.Close(), 0);
    EXPECT_EQ(patients.Close(), 0) << "closing twice is harmless";
}

TEST_F(FtsComponentTest, ReplaceAndDeleteReachTheFileOnClose) {
    TFts writer(nullptr);
    ASSERT_EQ(writer.CreateIndex(Index("Patient.ia"), 20, 3, 1, 1), 0);
    writer.Add("ADAMS 1 ELM ST");
    writer.Add("BAKER 2 OAK AVE");
    writer.Add("COLE 3 PINE RD");
    EXPECT_EQ(writer.Replace("ADAMS 9 MAPLE DR", 1), 1);
    EXPECT_EQ(writer.Delete(2), 2);
    writer.Close();

    TFts reader(nullptr);
    ASSERT_EQ(reader.Open(Index("Patient.ia"), 20, 0), 0);
    EXPECT_EQ(reader.NumRecs(), 2);
    struct Search {
        const char* Text;
        int RecNo;  // 0: none
    };
    const Search searches[] = {{"MAPLE", 1}, {"ELM", 0}, {"BAKER", 0}, {"PINE", 3}};
    for (const Search& s : searches) {
        ASSERT_EQ(reader.Set(s.Text), 1) << s.Text;
        EXPECT_EQ(std::max(reader.NextRec(), 0), s.RecNo) << s.Text;
    }
    EXPECT_EQ(reader.Verify("ADAMS 9 MAPLE DR", "MAPLE", 2), 1);
    EXPECT_EQ(reader.Verify("ADAMS 9 MAPLE DR", "OAK", 2), 0);
}

TEST_F(FtsComponentTest, MissingIndexIsNoHandle) {
    TFts fts(nullptr);
    EXPECT_NE(fts.Open(Index("Missing.ia"), 20, 0), 0);
    EXPECT_EQ(fts.Handle(), 0);
    EXPECT_LT(fts.Add("ANYTHING"), 0);
}

}  // namespace
