// Caller ID over a real pseudo-terminal standing for the modem's serial
// line: the main window's start, the lines the modem sends, the incoming-call
// windows they open on a real company's patients, and a port that cannot be
// used.
#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/IncomingCall.h"
#include "app/Preference.h"
#include "app/Settings.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "serial/SerPort.h"
#include "shell/CallerIDHookup.h"
#include "shell/CallerIDStart.h"
#include "shell/LogoMain.h"
#include "shell/Startup.h"
#include "support/CompanyFixture.h"
#include "support/PtyPair.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/Menus.h"
#include "ui/OffscreenRender.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr int ModemPort = 5;

// Runs the program's events until Done holds or the time is up.
bool runEventsUntil(const std::function<bool()>& Done, int TimeoutMs = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    while (!Done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void runEventsFor(int Ms) {
    runEventsUntil([] { return false; }, Ms);
}

class CallerIDTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        os::DeleteFile(Vo97Ini::File().FileName());
        registerShellParts();
        ASSERT_TRUE(pty.valid());
        pty.exportAs(ModemPort);
        CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf",
                                   {
                                       {{"ID", "1"}, {"NAME", "SMITH, JOHN"}, {"PHONE1", "(555)123-4567"}},
                                       {{"ID", "2"},
                                        {"NAME", "DOE, JANE"},
                                        {"PHONE1", "(555)000-1111"},
                                        {"PHONE2", "(555)123-9876 12"}},
                                   });
    }
    void TearDown() override {
        delete form;
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
        setCallerIDStart({});
    }

    // The main window's first activation with the company open and the
    // caller-ID port set to PortText.
    void start(const std::string& PortText) {
        Vo97Ini::File().Write(Vo97Ini::DataDirectory, company.DataDirectory());
        Vo97Ini::File().Write(Vo97Ini::CallerIDComPort, PortText);
        form = CreateForm<TLogoAppForm>(nullptr);
        form->OnDestroy = [this](TObject*) { form = nullptr; };
        std::optional<TDialogScript> quiet;
        if (!dialogScriptInstalled())
            quiet.emplace();
        form->FormActivate(form);
    }
    std::vector<TIncomingCallForm*> callWindows() const {
        std::vector<TIncomingCallForm*> windows;
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (auto* call = dynamic_cast<TIncomingCallForm*>(form->Components(i)))
                windows.push_back(call);
        return windows;
    }
    // Sends the modem's text and waits for the call windows to number Count.
    bool ring(const std::string& Text, size_t Count, size_t ChunkSize = 0) {
        pty.write(Text, ChunkSize, ChunkSize ? 30 : 0);
        return runEventsUntil([&] { return callWindows().size() == Count; });
    }

    PtyPair pty;
    TestCompany company;
    TLogoAppForm* form = nullptr;
};

TEST_F(CallerIDTest, TheModemIsAskedOnceForCallerIDWhateverTheActivations) {
    start(std::to_string(ModemPort));
    EXPECT_TRUE(form->SerComPort1->Open());
    EXPECT_EQ(form->SerComPort1->ComNumber(), ModemPort);
    EXPECT_EQ(pty.read(5), "ATSN\r");
    form->FormActivate(form);
    form->FormActivate(form);
    EXPECT_EQ(pty.read(1, 300), "") << "sent once per run";
    EXPECT_TRUE(callWindows().empty());
}

TEST_F(CallerIDTest, ACallOpensAWindowNamingItsPatient) {
    start(std::to_string(ModemPort));
    ASSERT_TRUE(ring("+1 5551234567 001\r", 1));
    TIncomingCallForm* call = callWindows()[0];
    EXPECT_EQ(call->Caption(), "Incoming Call");
    EXPECT_EQ(call->FormStyle(), fsStayOnTop);
    EXPECT_TRUE(call->Visible());
    EXPECT_EQ(call->PhoneNumberLabel->Caption(), "(555)123-4567");
    EXPECT_EQ(call->LineLabel->Caption(), "001");
    EXPECT_EQ(call->NameLabel->Caption(), "SMITH, JOHN");
    EXPECT_EQ(call->FoundPatientID(), 1);

    // Kept under the installation root, so QUENMARK_KEEP_ROOT keeps it for a look.
    const std::string file = os::InstallRoot() + "/incoming-call.png";
    renderToPng(call, file);
    QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(call->Width(), call->Height()));

    // Other lines open nothing and spoil no later line.
    pty.write("RING\r+1 555\rNAME=DOE JANE\r\x80\xFF\r");
    runEventsFor(300);
    EXPECT_EQ(callWindows().size(), 1u);

    // The second phone, with an extension after the number; a line in pieces.
    ASSERT_TRUE(ring("  +1 5551239876 002\r", 2, 4));
    EXPECT_EQ(callWindows()[1]->NameLabel->Caption(), "DOE, JANE");
    EXPECT_EQ(callWindows()[1]->LineLabel->Caption(), "002");

    // Two lines in one read; a number no patient has.
    ASSERT_TRUE(ring("DATE=0412\r+1 5559990000 003\r", 3));
    TIncomingCallForm* unknown = callWindows()[2];
    EXPECT_EQ(unknown->PhoneNumberLabel->Caption(), "(555)999-0000");
    EXPECT_EQ(unknown->NameLabel->Caption(), "");
    EXPECT_EQ(unknown->FoundPatientID(), 0);
}

TEST_F(CallerIDTest, EditOpensThePatientsRecordOverTheCallWindow) {
    start(std::to_string(ModemPort));
    ASSERT_TRUE(ring("+1 5559990000 001\r+1 5551239876 002\r", 2));
    TIncomingCallForm* unknown = callWindows()[0];
    TIncomingCallForm* known = callWindows()[1];

    unknown->BitBtn1->Click();
    EXPECT_EQ(unknown->ComponentCount(), known->ComponentCount()) << "an unknown caller: nothing opens";

    known->BitBtn1->Click();
    TForm* record = nullptr;
    for (int i = 0; i < known->ComponentCount(); ++i)
        if (auto* opened = dynamic_cast<TForm*>(known->Components(i)))
            record = opened;
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(formClassName(record), "TPatientInfoDlg");
    EXPECT_EQ(DataModule1->PatientTable->IndexName(), "ID");
    EXPECT_EQ(DataModule1->PatientTable->FieldByName("NAME")->AsString(), "DOE, JANE");

    known->BitBtn2->Click();
    Application->ProcessMessages();
    EXPECT_EQ(callWindows().size(), 1u) << "a closed call window is freed";
}

TEST_F(CallerIDTest, APortThatCannotBeUsedIsReportedAndLeftClosed) {
    struct Case {
        const char* PortText;
        const char* Message;  // nullptr: the serial layer's message
    };
    const Case cases[] = {
        {"abc", "'abc' is not a valid integer value."},
        {"2.5", "'2.5' is not a valid integer value."},
        {"99999", "'99999' is not a valid integer value."},
        {"7", nullptr},  // no device behind COM7
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.PortText);
        TForm mainForm(nullptr);
        auto* port = new TSerComPort(&mainForm);
        port->SetAutoOpen(false);
        TDialogScript script;
        script.Answer(mrOk);
        StartCallerID(&mainForm, port, c.PortText);
        ASSERT_EQ(script.Shown().size(), 1u);
        if (c.Message)
            EXPECT_EQ(script.Shown()[0].Text, c.Message);
        else
            EXPECT_FALSE(script.Shown()[0].Text.empty());
        EXPECT_FALSE(port->Open());
        EXPECT_EQ(pty.read(1, 100), "");
    }
}

TEST_F(CallerIDTest, AFailedStartIsReportedOnceInARun) {
    TDialogScript script;
    script.Answer(mrOk);
    start("COM5");
    form->FormActivate(form);
    form->FormActivate(form);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "'COM5' is not a valid integer value.");
    EXPECT_FALSE(form->SerComPort1->Open());
    pty.write("+1 5551234567 001\r");
    runEventsFor(200);
    EXPECT_TRUE(callWindows().empty());
}

TEST_F(CallerIDTest, TheStartRegistersThePreferencesDialogForTheFileMenu) {
    start("Not Installed");
    form->MenuItem("Preferences1")->Click();
    TPreferencesDlg* preferences = nullptr;
    for (int i = 0; i < form->ComponentCount(); ++i)
        if (auto* dlg = dynamic_cast<TPreferencesDlg*>(form->Components(i)))
            preferences = dlg;
    ASSERT_NE(preferences, nullptr);
    EXPECT_TRUE(preferences->Visible());
    EXPECT_FALSE(preferences->Modal());
    preferences->CancelBtn->Click();
}

TEST_F(CallerIDTest, NotInstalledLeavesThePortClosed) {
    start("Not Installed");
    EXPECT_FALSE(form->SerComPort1->Open());
    pty.write("+1 5551234567 001\r");
    runEventsFor(200);
    EXPECT_TRUE(callWindows().empty());
}

}  // namespace
