#pragma once
// Dataset tests run on real tables in a temporary folder, through the engine
// glue registered as the dataset classes' engine. Tables are made with the
// engine's own create calls; every test ends with the session closed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/DbTables.h"
#include "support/EngineTables.h"
#include "support/TempDir.h"
#include "xbase/EngineGlue.h"
#include "xbengine/XbEngine.h"

class DataTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerEngineGlue();
        xb_CloseAll();
        // As the program runs: deleted records hidden, short lock waits.
        xb_SetDeleted(XB_ON);
        xb_SetLockTimeout(50);
    }
    void TearDown() override {
        tables_.clear();
        Session()->Close();
        xb_SetDeleted(XB_OFF);
    }

    void MakeTable(const std::string& name, const std::vector<FieldSpec>& fields) {
        ASSERT_EQ(CreateTable(dir.file(name), fields), "");
    }

    // Appends rows through the engine; each row gives every field's text in order.
    void Fill(const std::string& name, const std::vector<std::vector<std::string>>& rows) {
        ASSERT_EQ(FillTable(dir.file(name), rows), "");
    }

    // A table of "ID" N(6) and "NAME" C(10) with count rows: ID i, NAME "Name<i>".
    void MakeNumbered(const std::string& name, int count) {
        MakeTable(name, {{"ID", "N", 6, 0}, {"NAME", "C", 10, 0}});
        std::vector<std::vector<std::string>> rows;
        for (int i = 1; i <= count; ++i) rows.push_back({std::to_string(i), "Name" + std::to_string(i)});
        Fill(name, rows);
    }

    // A closed table on a file of the folder, freed with the test.
    TTable* Table(const std::string& name) {
        tables_.push_back(std::make_unique<TTable>(nullptr));
        TTable* t = tables_.back().get();
        t->SetDatabaseName(dir.path());
        t->SetTableName(name);
        t->SetTableType(ttSXNSX);
        return t;
    }

    // The ID values of the records from here to the end.
    static std::vector<int> IdsToEnd(TDataSet* ds) {
        std::vector<int> ids;
        while (!ds->Eof()) {
            ids.push_back(ds->FieldByName("ID")->AsInteger());
            ds->Next();
        }
        return ids;
    }

    TempDir dir;

private:
    std::vector<std::unique_ptr<TTable>> tables_;
};
