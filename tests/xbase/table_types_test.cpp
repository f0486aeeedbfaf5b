// The table types of the dataset classes reach the glue as driver names, and
// the table opens with that driver's family.
#include <gtest/gtest.h>

#include "data/DbTables.h"
#include "support/TempDir.h"
#include "xbase/EngineGlue.h"
#include "xbengine/XbEngine.h"

namespace {

TEST(TableTypes, EachTypeOpensWithItsDriver) {
    registerEngineGlue();
    TempDir dir;
    std::string path = dir.file("PATIENT.DBF");
    ASSERT_NE(xb_CreateNew(path.c_str(), "", XB_DRIVER_NSX, 1), 0);
    xb_CreateField("NAME", "C", 10, 0);
    ASSERT_NE(xb_CreateExec(), 0);
    xb_Close();

    struct Case {
        TTableType type;
        const char* tableName;
        const char* driver;
    } cases[] = {
        {ttDefault, "PATIENT.DBF", "SXFOX"},
        {ttDefault, "patient.dbf", "SXFOX"},
        {ttSXNSX, "PATIENT.DBF", "SXNSX"},
        {ttSXNSX, "PATIENT", "SXNSX"},
        {ttSXNTX, "PATIENT.DBF", "SXNTX"},
        {ttSXFOX, "PATIENT.DBF", "SXFOX"},
    };
    for (const Case& c : cases) {
        TTable table(nullptr);
        table.SetDatabaseName(dir.path());
        table.SetTableName(c.tableName);
        table.SetTableType(c.type);
        table.Open();
        EXPECT_EQ(table.CursorProps().szTableType, c.driver) << c.tableName << " " << c.type;
        table.Close();
    }
    Session()->Close();
}

}  // namespace
