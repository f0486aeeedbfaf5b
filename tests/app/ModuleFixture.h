#pragma once
// A data module on a test company of its own, for the tests of the table
// events: the module opens the company as the program does, and the helpers
// read the company's files straight through the engine, apart from the module.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/DataModule.h"
#include "data/DbTables.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "xbase/FTS32.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

class ModuleTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        module = std::make_unique<TDataModule1>(nullptr, nullptr);
        DataModule1 = module.get();
    }
    void TearDown() override {
        module.reset();
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
    }

    void open() { module->ChangeDataDirectory(company.DataDirectory()); }
    // "Patient.ia" with a key for each of the first Keys patient records, as
    // the index rebuild leaves it.
    void makeFullTextIndex(int Keys = 0) {
        TFts fts(nullptr);
        ASSERT_EQ(fts.CreateIndex(company.File("Patient.ia"), 20, 3, 1, 1), 0);
        for (int n = 1; n <= Keys; ++n)
            ASSERT_EQ(fts.Add("PATIENT" + std::to_string(n)), n);
        fts.Close();
    }

    // Opens a company table in a work area of its own (as another workstation
    // would), runs Body there and closes it again.
    template <class Body>
    void withTable(const std::string& FileName, Body body) {
        const int previous = xb_WorkArea(nullptr);
        const std::string path = company.File(FileName);
        const int area = xb_Use(path.c_str(), "PEEK", XB_SHARED, XB_DRIVER_NSX);
        ASSERT_NE(area, 0) << FileName;
        body();
        xb_Close();
        if (previous != 0)
            xb_Select(previous);
    }
    // The numeric field of every record in record order, deleted ones included.
    std::vector<long long> numbersOf(const std::string& FileName, const std::string& Field) {
        std::vector<long long> numbers;
        withTable(FileName, [&] {
            const int hidden = xb_SetDeleted(XB_OFF);
            xb_SetOrder(XB_RECORD_ORDER);
            for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
                numbers.push_back(std::atoll(xb_GetTrimString(Field.c_str())));
            xb_SetDeleted(hidden);
        });
        return numbers;
    }
    // True when another work area could take the table's append lock now.
    bool appendLockFree(const std::string& FileName) {
        bool taken = false;
        withTable(FileName, [&] {
            const int timeout = xb_SetLockTimeout(0);
            taken = xb_AppendLock() != 0;
            xb_AppendUnlock();
            xb_SetLockTimeout(timeout);
        });
        return taken;
    }

    TestCompany company;
    std::unique_ptr<TDataModule1> module;
};
