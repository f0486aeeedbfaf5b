#pragma once
// Grids on a shown form over real xBase tables in a temporary folder: a
// small NAME/CITY/AMOUNT list and a receipt-lines table with its ControlType
// lines, opened as the program opens them (TQmTable, TQmDataSource).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/DbTables.h"
#include "support/EngineTables.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/MessageBeep.h"
#include "xbase/EngineGlue.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

// NAME "N01".."N<count>", CITY alternating, AMOUNT i * 10.
inline std::vector<std::vector<std::string>> PeopleRows(int count) {
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= count; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "N%02d", i);
        rows.push_back({name, i % 2 ? "Boston" : "Salem", std::to_string(i * 10)});
    }
    return rows;
}

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        registerEngineGlue();
        xb_CloseAll();
        xb_SetDeleted(XB_ON);
        clearMessageBeeps();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 560, 320);
    }
    void TearDown() override {
        form.reset();
        Session()->Close();
        xb_SetDeleted(XB_OFF);
    }

    void makePeople(int count) {
        ASSERT_EQ(CreateTable(dir.file("people.dbf"), {{"NAME", "C", 20, 0}, {"CITY", "C", 15, 0}, {"AMOUNT", "N", 8, 2}}),
                  "");
        ASSERT_EQ(FillTable(dir.file("people.dbf"), PeopleRows(count)), "");
    }

    // The receipt lines: description, a taxable flag shown as a check box,
    // the kind picked from a combo, a memo of notes.
    void makeLines() {
        ASSERT_EQ(CreateTable(dir.file("lines.dbf"), {{"DESC", "C", 20, 0},
                                                     {"TAXABLE", "C", 1, 0},
                                                     {"KIND", "C", 8, 0},
                                                     {"AMOUNT", "N", 8, 2},
                                                     {"NOTES", "M", 10, 0}}),
                  "");
        ASSERT_EQ(FillTable(dir.file("lines.dbf"), {{"Frames", "Y", "Goods", "120.00", "Metal frame\r\nblack"},
                                                   {"Eye exam", "N", "Service", "65.00", ""},
                                                   {"Lenses", "Y", "Goods", "80.00", "Single vision"}}),
                  "");
    }

    TQmTable* openTable(const std::string& file) {
        auto* table = new TQmTable(form.get());
        table->SetDatabaseName(dir.path());
        table->SetTableName(file);
        table->SetTableType(ttSXNSX);
        return table;
    }

    TQmDataSource* sourceOf(TDataSet* table) {
        auto* source = new TQmDataSource(form.get());
        source->SetDataSet(table);
        return source;
    }

    void show() {
        form->Show();
        Application->ProcessMessages();
    }

    TempDir dir;
    std::unique_ptr<TForm> form;
};
