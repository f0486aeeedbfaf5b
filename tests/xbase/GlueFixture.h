#pragma once
// A glue over real tables in a temporary folder: tables are made with the
// engine's create calls, opened through the glue, and everything is closed
// and the engine's settings put back after each test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/EngineTables.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "xbase/EngineGlue.h"
#include "xbengine/XbEngine.h"

class GlueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngine();
        ASSERT_EQ(glue.OpenDatabase("", "", dbiREADWRITE, dbiOPENSHARED, nullptr, 0, nullptr, dir.path().c_str(), db),
                  DBIERR_NONE);
    }
    void TearDown() override {
        glue.EngineExit();
        ResetEngine();
    }
    static void ResetEngine() {
        xb_CloseAll();
        xb_SetDeleted(XB_OFF);
        xb_SetCentury(XB_OFF);
        xb_SetEpoch(1900);
        xb_SetLockTimeout(1000);
    }

    // Makes a table in the folder (closed again afterwards).
    void MakeTable(const std::string& name, const std::vector<FieldSpec>& fields, int driver = XB_DRIVER_NSX) {
        ASSERT_EQ(CreateTable(dir.file(name), fields, driver), "");
    }

    // Appends records through the engine: each row gives the text of every field in order.
    void Fill(const std::string& name, const std::vector<std::vector<std::string>>& rows) {
        ASSERT_EQ(FillTable(dir.file(name), rows), "");
    }

    hDBICur Open(const std::string& name, const char* driver = "SXNSX", DBIShareMode share = dbiOPENSHARED) {
        hDBICur cursor = 0;
        EXPECT_EQ(glue.OpenTable(db, name.c_str(), driver, nullptr, nullptr, 0, dbiREADWRITE, share, xltFIELD, false,
                                 nullptr, cursor),
                  DBIERR_NONE);
        return cursor;
    }

    std::vector<uint8_t> Buffer(hDBICur cursor) {
        CURProps props;
        EXPECT_EQ(glue.GetCursorProps(cursor, &props), DBIERR_NONE);
        return std::vector<uint8_t>(std::max(props.iRecSize, props.iRecBufSize), 0);
    }

    // The text of a field as stored in a record buffer.
    std::string Stored(hDBICur cursor, const std::vector<uint8_t>& rec, uint16_t field) {
        TDbiWorkArea* area = glue.OpenWorkArea(cursor);
        const TGlueField* f = area->Field(field);
        return std::string(reinterpret_cast<const char*>(rec.data()) + f->Offset, static_cast<size_t>(f->Width));
    }

    std::string StringField(hDBICur cursor, const std::vector<uint8_t>& rec, uint16_t field) {
        char text[256] = {};
        bool blank = false;
        EXPECT_EQ(glue.GetField(cursor, field, rec.data(), text, blank), DBIERR_NONE);
        return text;
    }

    uint32_t RecNoOf(hDBICur cursor) {
        uint8_t mark[4];
        EXPECT_EQ(glue.GetBookMark(cursor, mark), DBIERR_NONE);
        uint32_t n;
        std::memcpy(&n, mark, 4);
        return n;
    }

    TempDir dir;
    TEngineGlue glue;
    hDBIDb db = 0;
};
