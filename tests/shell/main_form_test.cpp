// The main window on real company folders: first start, menu states, the
// menu's windows, closing, caller ID and its picture.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/InstallLayout.h"
#include "app/NewCompany.h"
#include "app/RebuildAccountBalances.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "reporting/RSDevice.h"
#include "reporting/project/RSDuzu.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSPrinter.h"
#include "reporting/RSSetFrm.h"
#include "reports/EndOfDayRpt.h"
#include "serial/SerPort.h"
#include "shell/AboutBox.h"
#include "shell/CallerIDHookup.h"
#include "shell/LogoMain.h"
#include "shell/MainMenuItems.h"
#include "support/CompanyFixture.h"
#include "support/ScopedEnv.h"
#include "support/ScopedRoot.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/ComCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/ExtCtrls.h"
#include "ui/Menus.h"
#include "ui/OffscreenRender.h"
#include "ui/PrinterDrivers.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace fs = std::filesystem;

namespace {

TDialogAnswer Chosen(int Result, std::string File = "") {
    TDialogAnswer answer;
    answer.Result = Result;
    answer.Text = std::move(File);
    return answer;
}

std::vector<std::string> Texts(const TDialogScript& Script) {
    std::vector<std::string> shown;
    for (const TDialogRequest& request : Script.Shown())
        shown.push_back(request.Text);
    return shown;
}

class MainFormTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        // The menu's windows are stand-ins here, whatever another test of
        // this program registered before.
        for (const TMenuEntry& entry : MainMenuItems::Entries())
            if (entry.TargetClass)
                UnRegisterClass(entry.TargetClass);
        os::DeleteFile(Vo97Ini::File().FileName());
        setCallerIDStart({});
    }
    void TearDown() override {
        if (form) {
            delete form;
            form = nullptr;
        }
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
        setCallerIDStart({});
    }
    TLogoAppForm* make() {
        form = CreateForm<TLogoAppForm>(nullptr);
        form->OnDestroy = [this](TObject*) { form = nullptr; };
        return form;
    }
    // The main form's first activation with the company of Folder last used.
    TLogoAppForm* startWith(const std::string& Folder) {
        Vo97Ini::File().Write(Vo97Ini::DataDirectory, Folder);
        make();
        std::optional<TDialogScript> quiet;
        if (!dialogScriptInstalled())
            quiet.emplace();
        form->FormActivate(form);
        return form;
    }
    void click(const char* Item) { form->MenuItem(Item)->Click(); }
    std::vector<TForm*> ownedForms() const {
        std::vector<TForm*> forms;
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* f = dynamic_cast<TForm*>(form->Components(i)))
                forms.push_back(f);
        return forms;
    }

    TLogoAppForm* form = nullptr;
};

TEST_F(MainFormTest, CreationSetsTheOpeningCaptionAtTheTopAndLeavesTheButtonsOff) {
    make();
    EXPECT_EQ(form->Caption(), "Opening files ...  Please wait.");
    EXPECT_EQ(form->Top(), 1);
    EXPECT_EQ(form->BorderStyle(), bsSingle);
    EXPECT_FALSE(form->SpeedPanel->Enabled());
    EXPECT_FALSE(form->Gauge1->Visible());
    EXPECT_FALSE(form->ProgressBar1->Visible());
    EXPECT_EQ(form->SerComPort1->ComNumber(), 2);
    EXPECT_EQ(form->SerComPort1->Baud(), 4800);
    EXPECT_FALSE(form->SerComPort1->AutoOpen());

    Application->SetHint("Open a file");
    EXPECT_EQ(form->StatusBar1->SimpleText(), "Open a file");
}

TEST_F(MainFormTest, TheMenuTreeKeepsItsCaptionsHiddenItemsAndShortcut) {
    make();
    std::vector<std::string> bar;
    TMenuItem* items = form->MainMenu1->Items();
    for (int i = 0; i < items->Count(); ++i) {
        bar.push_back(items->Items(i)->Caption());
        EXPECT_FALSE(items->Items(i)->Enabled()) << "every menu starts disabled";
    }
    EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Activities", "&Lists", "&Reports", "&Utilities", "&Help"}));

    TMenuItem* exit = form->MenuItem("FileExitItem");
    EXPECT_EQ(exit->Caption(), "E&xit");
    EXPECT_EQ(exit->Hint(), "Exit application");
    EXPECT_EQ(exit->ShortCut(), TextToShortCut("Alt+X"));
    EXPECT_EQ(form->MenuItem("FileOpenItem")->Hint(), "Open a file");

    struct Item {
        const char* name;
        const char* path;  // captions from the bar down
        bool visible;
        bool enabled;
    } cases[] = {
        {"AccountCodes1", "&Lists/Chart of &Accounts", false, false},
        {"Clear1", "&Utilities/&Clear", false, true},
        {"Receipts1", "&Utilities/&Clear/&Receipt Records", true, false},
        {"Payments1", "&Utilities/&Clear/P&ayments", true, true},
        {"ClearAll1", "&Utilities/&Clear/Clear &All", true, false},
        {"byPatientSummary1", "&Reports/&Sales/by &Patient Summary", false, true},
        {"PatientAddressesSDF",
         "&Activities/Print &Labels/Postcards/&Patient Labels/&Output to SDF File (patient.sdf)", true, true},
        {"AgingDetail1", "&Reports/Accounts &Receivables/Aging &Detail", true, true},
        {"About1", "&Help/&About Quenmark", true, true},
    };
    for (const Item& c : cases) {
        SCOPED_TRACE(c.name);
        TMenuItem* item = form->MenuItem(c.name);
        ASSERT_NE(item, nullptr);
        std::string path = item->Caption();
        for (TMenuItem* up = item->Parent(); up && up != items; up = up->Parent())
            path = up->Caption() + "/" + path;
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(item->Visible(), c.visible);
        EXPECT_EQ(item->Enabled(), c.enabled);
    }
}

TEST_F(MainFormTest, TheThreeMenuStatesFollowTheirTable) {
    make();
    enum { Off, On, Keep };
    struct Case {
        const char* operation;
        bool startOn;
        int file, printer, rebuild, preferences, work, help, buttons;
    } cases[] = {
        {"EnableMainMenu", false, On, On, On, On, On, On, On},
        {"DisableMainMenu", true, Off, Keep, Keep, Keep, Off, Off, Off},
        {"DisableMainMenu", false, Off, Keep, Keep, Keep, Off, Off, Off},
        {"EnableFilesOnlyMenu", true, On, Off, Off, Off, Keep, On, Keep},
        {"EnableFilesOnlyMenu", false, On, Off, Off, Off, Keep, On, Keep},
    };
    const char* workMenus[] = {"ActivitiesMenu", "ListsMenu", "ReportsMenu", "UtilitiesMenu"};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.operation) + (c.startOn ? " from on" : " from off"));
        for (const char* name :
             {"FileMenu", "PrinterSetupItem", "RebuildIndexes1", "Preferences1", "HelpMenu", "ActivitiesMenu",
              "ListsMenu", "ReportsMenu", "UtilitiesMenu"})
            form->MenuItem(name)->SetEnabled(c.startOn);
        form->SpeedPanel->SetEnabled(c.startOn);

        const std::string op = c.operation;
        if (op == "EnableMainMenu")
            form->EnableMainMenu();
        else if (op == "DisableMainMenu")
            form->DisableMainMenu();
        else
            form->EnableFilesOnlyMenu();

        auto expected = [&](int State) { return State == Keep ? c.startOn : State == On; };
        EXPECT_EQ(form->MenuItem("FileMenu")->Enabled(), expected(c.file));
        EXPECT_EQ(form->MenuItem("PrinterSetupItem")->Enabled(), expected(c.printer));
        EXPECT_EQ(form->MenuItem("RebuildIndexes1")->Enabled(), expected(c.rebuild));
        EXPECT_EQ(form->MenuItem("Preferences1")->Enabled(), expected(c.preferences));
        for (const char* menu : workMenus)
            EXPECT_EQ(form->MenuItem(menu)->Enabled(), expected(c.work)) << menu;
        EXPECT_EQ(form->MenuItem("HelpMenu")->Enabled(), expected(c.help));
        EXPECT_EQ(form->SpeedPanel->Enabled(), expected(c.buttons));
    }
}

TEST_F(MainFormTest, FirstStartCreatesACompanyThenOpensIt) {
    ScopedRoot root;
    make();
    TDialogScript script;
    script.Answer(mrYes)
        .Answer([](TForm& Dialog) {
            auto& newCompany = dynamic_cast<TNewCompanyDlg&>(Dialog);
            newCompany.CompanyFilenameEdit->SetText("Smith2");
            newCompany.OKBtn->Click();
        })
        .Answer(mrOk, root.path() + "/Company/Smith2.ini");
    form->FormActivate(form);

    ASSERT_EQ(script.Shown().size(), 3u) << "no question about the indexes";
    EXPECT_EQ(script.Shown()[0].Text,
              "Quenmark could not detect the last company used. If you are a new user and need to create a new "
              "company you can do so now by clicking the YES button below.  Otherwise click NO to select an "
              "existing company.\r\rCreate new company?");
    EXPECT_EQ(script.Shown()[0].Caption, "Information");
    EXPECT_EQ(script.Shown()[1].Caption, "New Company");
    EXPECT_EQ(script.Shown()[2].Kind, TDialogKind::OpenDialog);
    EXPECT_EQ(script.Shown()[2].Caption, "Select Company");
    EXPECT_EQ(script.Shown()[2].Filter, "Company Files|*.ini");
    EXPECT_EQ(script.Shown()[2].InitialDir, root.path() + "/Company");

    const std::string data = root.path() + "/Data/Smith2";
    EXPECT_EQ(form->Caption(), data);
    EXPECT_EQ(DataModule1->DataDirectory, data);
    EXPECT_TRUE(DataModule1->PatientTable->Active());
    EXPECT_EQ(DataModule1->AccountTable->RecordCount(), 8);
    EXPECT_TRUE(os::FileExists(data + "/Patient.nsx")) << "indexes built at the first opening";
    EXPECT_TRUE(form->MenuItem("ActivitiesMenu")->Enabled());
    EXPECT_TRUE(form->SpeedPanel->Enabled());
    EXPECT_EQ(Vo97Ini::File().Read(Vo97Ini::DataDirectory), data);
}

TEST_F(MainFormTest, FirstStartAnsweredNoGoesStraightToOpenCompanyAndACancelLeavesTheTablesClosed) {
    make();
    TDialogScript script;
    script.Answer(mrNo).Answer(mrCancel);
    form->FormActivate(form);
    EXPECT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Kind, TDialogKind::OpenDialog);
    EXPECT_FALSE(DataModule1->PatientTable->Active());
    EXPECT_TRUE(form->MenuItem("FileMenu")->Enabled()) << "the menu is enabled all the same";
    EXPECT_TRUE(form->MenuItem("ActivitiesMenu")->Enabled());
}

TEST_F(MainFormTest, ALastCompanyThatNoLongerExistsIsIgnoredWithoutAQuestion) {
    TDialogScript script;  // nothing asked
    startWith(os::InstallRoot() + "/Data/Gone");
    EXPECT_TRUE(DataModule1->DataDirectory.empty());
    EXPECT_FALSE(DataModule1->PatientTable->Active());
    EXPECT_TRUE(form->MenuItem("ReportsMenu")->Enabled());
    EXPECT_TRUE(script.Shown().empty());
}

TEST_F(MainFormTest, OpenCompanyTakesTheDataFolderBesideTheChosenFilesFolder) {
    TestCompany smith("Smith");
    TestCompany jones("Jones");
    startWith(jones.DataDirectory());
    ASSERT_EQ(DataModule1->DataDirectory, jones.DataDirectory());

    TempDir elsewhere;
    fs::create_directories(elsewhere.file("Company"));
    struct Case {
        const char* what;
        TDialogAnswer answer;
        std::string opened;
    } cases[] = {
        {"cancelled", Chosen(mrCancel), jones.DataDirectory()},
        {"a file outside the Company folder", Chosen(mrOk, elsewhere.file("Company/Smith.ini")), jones.DataDirectory()},
        {"a file that names no company", Chosen(mrOk, os::InstallRoot() + "/Company/.ini"), jones.DataDirectory()},
        {"Smith.ini", Chosen(mrOk, os::InstallRoot() + "/Company/Smith.ini"), os::InstallRoot() + "/Data/Smith"},
        {"the name runs up to the first dot", Chosen(mrOk, os::InstallRoot() + "/Company/Jones.old.ini"),
         os::InstallRoot() + "/Data/Jones"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDialogScript script;
        script.Answer(c.answer);
        click("FileOpenItem");
        EXPECT_EQ(DataModule1->DataDirectory, c.opened);
        EXPECT_TRUE(DataModule1->PatientTable->Active());
    }
}

TEST_F(MainFormTest, ClosingIsRefusedTwiceWhileAWindowIsOpenAndNoStillKeepsTheLastNumbers) {
    TestCompany company;
    startWith(company.DataDirectory());
    click("CreateReceipt1");
    DataModule1->LastPatientID = 125;
    DataModule1->LastSalesID = 7;
    const std::string refusal = "You must close all open forms before closing Quenmark. (ReceiptForm}";
    bool destroyed = false;
    form->OnDestroy = [&](TObject*) {
        destroyed = true;
        form = nullptr;
    };

    for (int attempt = 1; attempt <= 2; ++attempt) {
        TDialogScript script;
        script.Answer(mrOk);
        form->Close();
        EXPECT_EQ(Texts(script), std::vector<std::string>{refusal}) << "attempt " << attempt;
    }
    {
        TDialogScript script;
        script.Answer(mrOk).Answer(mrNo);
        form->Close();
        EXPECT_EQ(Texts(script), (std::vector<std::string>{refusal, "Close Quenmark ?"}));
        EXPECT_EQ(script.Shown()[1].Caption, "Confirm");
    }
    Application->ProcessMessages();
    ASSERT_FALSE(destroyed);
    const TSettingsFile ini = CompanyIni::File(company.DataDirectory());
    EXPECT_EQ(ini.Read(CompanyIni::LastPatientID), "125");
    EXPECT_EQ(ini.Read(CompanyIni::LastSalesID), "7");
    EXPECT_EQ(DataModule1->IniLastPatientID, 125);
    EXPECT_EQ(ini.Read(CompanyIni::OpenCount), 1);

    DataModule1->LastPatientID = 126;
    TDialogScript script;
    script.Answer(mrOk).Answer(mrYes);
    form->Close();
    Application->ProcessMessages();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(ini.Read(CompanyIni::LastPatientID), "126");
    EXPECT_EQ(ini.Read(CompanyIni::OpenCount), 0) << "the company was closed";
}

TEST_F(MainFormTest, WithNoCompanyOpenClosingWritesNoCompanySettings) {
    TDialogScript script;
    startWith(os::InstallRoot() + "/Data/Gone");
    script.Answer(mrNo);
    form->Close();
    EXPECT_EQ(Texts(script), std::vector<std::string>{"Close Quenmark ?"});
    EXPECT_TRUE(os::ListFiles(os::InstallRoot(), "Company.ini").empty());
    EXPECT_FALSE(fs::exists("/Company.ini"));
}

TEST_F(MainFormTest, WindowsAreReusedWhereTheMenuSaysSo) {
    TestCompany company;
    startWith(company.DataDirectory());

    click("CreateReceipt1");
    click("CreateReceipt1");
    form->ReceiptSpeedButton->Click();
    click("Schedules1");
    form->ScheduleSpeedButton->Click();
    form->PatientSpeedButton->Click();
    form->PatientSpeedButton->Click();
    click("PatientsMenuItem");
    std::vector<std::string> classes;
    for (TForm* f : ownedForms())
        classes.push_back(formClassName(f));
    EXPECT_EQ(classes, (std::vector<std::string>{"TReceiptForm", "TScheduleDlg", "TLookupList", "TLookupList"}));
    EXPECT_EQ(ownedForms()[0]->Caption(), "Edit Receipt");

    // A window the user closed is made anew.
    ownedForms()[0]->Close();
    Application->ProcessMessages();
    click("CreateReceipt1");
    EXPECT_EQ(formClassName(ownedForms().back()), "TReceiptForm");
}

TEST_F(MainFormTest, ReceivePaymentsOpensThePaymentWindowModally) {
    TestCompany company;
    startWith(company.DataDirectory());
    TDialogScript script;
    script.Answer(mrOk);
    click("ReceivePayments1");
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Kind, TDialogKind::ModalForm);
    EXPECT_EQ(script.Shown()[0].Caption, "Payments/Refunds");
}

TEST_F(MainFormTest, AllItemsRunsTheStoredProjectsItemsReportOnARunnerOfItsOwn) {
    TestCompany company;
    CompanyFixture::AppendRows(company.DataDirectory(), "Item.dbf",
                               {{{"ID", "FR200"}, {"DESC", "Round metal"}, {"SELL", "2469"}}});
    startWith(company.DataDirectory());
    ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    EXPECT_EQ(form->DuzuProject1->Engine(), nullptr);
    TempDir dir;
    const std::string out = dir.file("items.pdf");
    std::string pageLabel;
    TDialogScript script;
    // The runner's setup window offers the preview first; Done closes it.
    script.Answer([](TForm& f) {
        auto& setup = dynamic_cast<TRSSetupForm&>(f);
        EXPECT_TRUE(setup.PreviewRB->Checked());
        setup.OKBB->Click();
    });
    script.Answer([&](TForm& f) {
        auto& preview = dynamic_cast<TRSPreviewForm&>(f);
        pageLabel = preview.PageLabel->Caption();
        if (const char* folder = std::getenv("QM_TEST_PICTURES"); folder && *folder)
            renderToPng(&preview, std::string(folder) + "/all-items-preview.png");
        preview.SBDone->Click();
    });
    click("AllItems");
    EXPECT_EQ(pageLabel, "Page 1 of 1");
    EXPECT_FALSE(form->DuzuProject1->IsOpen());
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].Caption, "Report Preview");

    // The same run chosen to a file prints the items.
    script.Answer([&](TForm& f) {
        auto& setup = dynamic_cast<TRSSetupForm&>(f);
        setup.FileRB->SetChecked(true);
        setup.FileNameED->SetText(out);
        setup.OKBB->Click();
    });
    click("AllItems");
    EXPECT_FALSE(form->DuzuProject1->IsOpen());
    std::string text;
    if (FILE* pipe = ::popen(("pdftotext '" + out + "' -").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        ::pclose(pipe);
    }
    for (const char* expected : {"All Items", "FR200", "Round metal", "2,469.00", "Items: 1"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

TEST_F(MainFormTest, AGoodOpenCompanyEnablesTheMenuAtOnceWithoutAnotherActivation) {
    TestCompany company("Smith");
    startWith(os::InstallRoot() + "/Data/Gone");
    form->EnableFilesOnlyMenu();  // as an upgrade refused at the last opening leaves it
    ASSERT_FALSE(form->MenuItem("Preferences1")->Enabled());

    TDialogScript script;
    script.Answer(mrOk, os::InstallRoot() + "/Company/Smith.ini");
    click("FileOpenItem");
    ASSERT_EQ(DataModule1->DataDirectory, company.DataDirectory());
    EXPECT_TRUE(form->MenuItem("Preferences1")->Enabled());
    EXPECT_TRUE(form->MenuItem("RebuildIndexes1")->Enabled());
    EXPECT_TRUE(form->SpeedPanel->Enabled());
}

TEST_F(MainFormTest, CallerIDStartsOnceAtTheFirstActivationThatFindsAPort) {
    TestCompany company;
    std::vector<std::string> starts;
    setCallerIDStart([&](TForm* MainForm, TSerComPort* Port, const std::string& PortText) {
        EXPECT_EQ(MainForm, form);
        EXPECT_EQ(Port, form->SerComPort1);
        starts.push_back(PortText);
    });
    startWith(company.DataDirectory());
    EXPECT_TRUE(starts.empty()) << "no port configured";
    Vo97Ini::File().Write(Vo97Ini::CallerIDComPort, "3");
    form->FormActivate(form);
    form->FormActivate(form);
    EXPECT_EQ(starts, std::vector<std::string>{"3"});
}

TEST_F(MainFormTest, EveryActivationReadsTheLastNumbers) {
    TestCompany company;
    startWith(company.DataDirectory());
    TSettingsFile ini = CompanyIni::File(company.DataDirectory());
    ini.Write(CompanyIni::LastPatientID, "125");
    ini.Write(CompanyIni::LastDepositID, "9");
    form->FormActivate(form);
    EXPECT_EQ(DataModule1->IniLastPatientID, 125);
    EXPECT_EQ(DataModule1->IniLastDepositID, 9);
    EXPECT_EQ(DataModule1->IniLastSalesID, 0);
}

TEST_F(MainFormTest, ThePatientExportRunsFromTheMenu) {
    TestCompany company;
    CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf", {{{"ID", "125"}, {"RECNAME", "SMITH, JOHN"}}});
    startWith(company.DataDirectory());
    TDialogScript script;
    script.Answer(mrOk);
    click("PatientAddressesSDF");
    EXPECT_EQ(Texts(script),
              std::vector<std::string>{"Patient addresses saved to " + os::MapPath(company.File("patient.sdf"))});
    EXPECT_FALSE(form->ProgressBar1->Visible());
}

TEST_F(MainFormTest, EndOfDayPrintsANewFileInThePrintFolderAndTheStatusBarNamesIt) {
    TempDir prints;
    ScopedEnv folder("QUENMARK_PRINT_DIR", prints.file("Quenmark prints"));
    TestCompany company;
    startWith(company.DataDirectory());
    ASSERT_TRUE(GlobalReportDevice()->SelectPrinter("PDF", false));
    RegisterClass<TEndOfDayReportDlg>();
    click("DailyReconciliation1");
    auto* endOfDay = dynamic_cast<TEndOfDayReportDlg*>(ownedForms().back());
    ASSERT_NE(endOfDay, nullptr);
    setFixedNow(EncodeDate(2026, 12, 11) + EncodeTime(17, 45, 0, 0));
    endOfDay->PrintBtn->Click();
    endOfDay->PrintBtn->Click();
    clearFixedNow();
    const std::string file = prints.file("Quenmark prints/End of Day Report 2026-12-11 17-45-00");
    EXPECT_TRUE(fs::exists(file + ".pdf"));
    EXPECT_TRUE(fs::exists(file + " (2).pdf")) << "the second print keeps the first";
    EXPECT_EQ(form->StatusBar1->SimpleText(), "Printed to " + file + " (2).pdf");
    endOfDay->Close();
    Application->ProcessMessages();
}

TEST_F(MainFormTest, TheMainWindowWithACompanyOpenIsPainted) {
    TestCompany company;
    startWith(company.DataDirectory());
    EXPECT_EQ(form->Caption(), company.DataDirectory());
    EXPECT_TRUE(form->SpeedPanel->Enabled());

    // Kept under the installation root, so QUENMARK_KEEP_ROOT keeps it for a look.
    const std::string file = os::InstallRoot() + "/main-window.png";
    renderToPng(form, file);
    QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(form->Width(), form->Height()));
    const int menuHeight = form->Height() - form->ClientHeight();
    ASSERT_GT(menuHeight, 0) << "a menu bar above the client area";
    // The logo's navy strokes in the white logo area.
    bool navy = false;
    for (int y = menuHeight + form->LogoImage->Top(); y < menuHeight + form->LogoImage->Top() + 150 && !navy; ++y)
        for (int x = 0; x < image.width() && !navy; ++x)
            navy = image.pixelColor(x, y) == QColor(0, 0, 128);
    EXPECT_TRUE(navy);
}

TEST_F(MainFormTest, TheSmallWindowsArePainted) {
    TNewCompanyDlg newCompany(nullptr);
    newCompany.CompanyFilenameEdit->SetText("Smith2");
    TAboutBox about(nullptr);
    TPlaceholderForm placeholder(nullptr, "TReceiptForm", "Edit &Receipt");
    const std::pair<TForm*, const char*> windows[] = {
        {&newCompany, "new-company.png"}, {&about, "about.png"}, {&placeholder, "placeholder.png"}};
    for (const auto& [window, name] : windows) {
        SCOPED_TRACE(name);
        const std::string file = os::InstallRoot() + "/" + name;
        renderToPng(window, file);
        QImage image(QString::fromStdString(file));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(window->Width(), window->Height()));
    }
    EXPECT_EQ(about.BuildLabel->Caption(), "1084");
}

}  // namespace
