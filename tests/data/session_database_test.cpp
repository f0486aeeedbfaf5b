// The session starts the engine once; databases name directories.
#include "DataFixture.h"

using SessionAndDatabase = DataTest;

TEST_F(SessionAndDatabase, NamedDatabaseGivesTablesTheirDirectory) {
    MakeNumbered("people.dbf", 2);
    TDatabase db(nullptr);
    db.SetDatabaseName("QMDATA");
    db.Params().SetValues("PATH", dir.path());
    TTable t(nullptr);
    t.SetDatabaseName("qmdata");  // names match without regard to case
    t.SetTableName("PEOPLE.DBF");  // file names too
    t.Open();
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(Session()->Active());
    EXPECT_EQ(t.Database(), &db);
    EXPECT_EQ(db.DataSetCount(), 1);
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(t.TableTypeName(), "SXFOX");

    // Closing the database closes its datasets first.
    db.Close();
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(db.DataSetCount(), 0);
    t.Open();
    EXPECT_TRUE(db.Connected());
}

TEST_F(SessionAndDatabase, DatabaseRefusals) {
    TDatabase db(nullptr);
    EXPECT_THROW(db.Open(), EDatabaseError);  // no name
    db.SetDatabaseName("SAME");
    db.Params().SetValues("PATH", dir.path());
    db.Open();
    EXPECT_THROW(db.SetDatabaseName("OTHER"), EDatabaseError);
    TDatabase twin(nullptr);
    twin.SetDatabaseName("same");
    try {
        twin.Open();
        FAIL() << "two open databases of one name";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Duplicate database name 'same'");
    }
}

TEST_F(SessionAndDatabase, SessionCloseStopsTheEngineAndClosesEverything) {
    MakeNumbered("a.dbf", 1);
    TTable* t = Table("a.dbf");
    t->Open();
    Session()->Close();
    EXPECT_FALSE(Session()->Active());
    EXPECT_FALSE(t->Active());
    // The engine closed its work areas.
    EXPECT_EQ(xb_WorkArea("A"), 0);
    t->Open();
    EXPECT_TRUE(Session()->Active());
}

TEST_F(SessionAndDatabase, TableTypesNameTheirDrivers) {
    TTable t(nullptr);
    struct Case {
        TTableType type;
        const char* name;
        const char* driver;
        bool dbase;
    } cases[] = {
        {ttDefault, "PATIENT.DBF", "SXFOX", true},   {ttDefault, "notes.txt", "ASCIIDRV", false},
        {ttDefault, "orders.db", "PARADOX", false},  {ttSXNSX, "PATIENT", "SXNSX", true},
        {ttSXNTX, "a.dbf", "SXNTX", true},           {ttDBase, "a", "DBASE", true},
    };
    for (const Case& c : cases) {
        t.SetTableType(c.type);
        t.SetTableName(c.name);
        EXPECT_EQ(t.TableTypeName(), c.driver) << c.name;
        EXPECT_EQ(t.IsDBaseTable(), c.dbase) << c.name;
    }
}
