#pragma once
// The patient fixture company opened by a data module as the program opens
// it, with the patient forms registered, and the helpers the patient form
// tests share: moving the shared patient cursor, opening the form by name
// as the lists do, reading the company's files apart from the module, and
// saving pictures (also into $QM_KEEP_PICTURES when set).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "patients/PatientInfo.h"
#include "support/CompanyFixture.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/OffscreenRender.h"
#include "xbase/FTS32.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

class PatientFormTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        CompanyFixture::AddPatientFixture(company.DataDirectory());
        registerPatientForms();
        module = std::make_unique<TDataModule1>(nullptr, nullptr);
        DataModule1 = module.get();
        holder = std::make_unique<TComponent>(nullptr);
    }
    void TearDown() override {
        holder.reset();
        Application->ProcessMessages();
        module.reset();
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
    }

    void open() { module->ChangeDataDirectory(company.DataDirectory()); }
    TQmTable* patients() const { return module->PatientTable; }
    TQmTable* exams() const { return module->IncidentTable; }
    std::string patientText(const char* Field) const { return patients()->FieldByName(Field)->AsString(); }
    int examID() const { return exams()->IsEmpty() ? 0 : exams()->FieldByName("ID")->AsInteger(); }

    // The shared cursor on the patient with this account, as the lists leave it.
    void moveTo(int ID) {
        patients()->SetIndexName("ID");
        ASSERT_TRUE(module->Xbase1->Seek(std::to_string(ID))) << ID;
    }
    TPatientInfoDlg* openForm(TOpenStyle Style = osShow) {
        return dynamic_cast<TPatientInfoDlg*>(
            OpenForm(holder.get(), {.ClassName = "TPatientInfoDlg", .Caption = "Edit", .Style = Style}));
    }
    // The patient forms in view.
    std::vector<TPatientInfoDlg*> shownForms() const {
        std::vector<TPatientInfoDlg*> forms;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* form = dynamic_cast<TPatientInfoDlg*>(Screen->Forms(i)); form && form->Visible())
                forms.push_back(form);
        return forms;
    }

    // A field of every record of a company file in record order, read
    // through a work area of its own.
    std::vector<std::string> column(const std::string& FileName, const std::string& Field) {
        std::vector<std::string> values;
        const int previous = xb_WorkArea(nullptr);
        const std::string path = company.File(FileName);
        const int area = xb_Use(path.c_str(), "PEEK", XB_SHARED, XB_DRIVER_NSX);
        EXPECT_NE(area, 0) << FileName;
        if (area != 0) {
            xb_SetOrder(XB_RECORD_ORDER);
            for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
                values.push_back(Trim(xb_GetTrimString(Field.c_str())));
            xb_Close();
        }
        if (previous != 0)
            xb_Select(previous);
        return values;
    }
    std::string fileBytes(const std::string& FileName) {
        std::ifstream in(company.File(FileName), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The record numbers Patient.ia finds for a word.
    std::vector<int> fullTextMatches(const std::string& Word) {
        TFts fts(nullptr);
        EXPECT_EQ(fts.Open(company.File("Patient.ia"), 20, 0), 0);
        std::vector<int> found;
        if (fts.Set(Word) == 1)
            for (int rec = fts.NextRec(); rec >= 1; rec = fts.NextRec())
                found.push_back(rec);
        fts.Close();
        return found;
    }

    void picture(TControl* Control, const std::string& Name) {
        renderToPng(Control, pictures.file(Name + ".png"));
        if (const char* keep = std::getenv("QM_KEEP_PICTURES"))
            renderToPng(Control, std::string(keep) + "/" + Name + ".png");
        EXPECT_TRUE(std::filesystem::file_size(pictures.file(Name + ".png")) > 0);
    }

    TestCompany company;
    TempDir pictures;
    std::unique_ptr<TDataModule1> module;
    std::unique_ptr<TComponent> holder;
};
