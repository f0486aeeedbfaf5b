// The cash drawer: the control code's bytes, the port setting, and the
// payment window's drawer over a real pseudo-terminal.
#include <chrono>
#include <thread>

#include "MoneyFixture.h"

#include "app/Settings.h"
#include "os/SerialDevice.h"
#include "sales/CashDrawer.h"
#include "sales/PaymentForm.h"
#include "serial/SerPort.h"
#include "support/PtyPair.h"
#include "ui/StdCtrls.h"

namespace {

constexpr int DrawerPort = 2;

TEST(CashDrawerCode, GroupsOfThreeDigitsBecomeBytes) {
    struct Case {
        const char* code;
        std::optional<std::string> bytes;
    };
    const Case cases[] = {
        {"027112000025250", std::string("\x1B\x70\x00\x19\xFA", 5)},
        {"", std::string()},
        {"0271", std::string("\x1B")},        // 4/3 rounds to one group
        {"02711", std::string("\x1B\x0B")},  // 5/3 rounds to two; the short last group is read as it is
        {"255000", std::string("\xFF\x00", 2)},
        {"256", std::nullopt},
        {"02a112", std::nullopt},
        {"-01", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        TDialogScript script;
        if (!c.bytes)
            script.Answer(mrOk);
        EXPECT_EQ(CashDrawer::controlString(c.code), c.bytes);
        EXPECT_EQ(script.Unanswered(), 0u);
        if (!c.bytes) {
            ASSERT_EQ(script.Shown().size(), 1u);
            EXPECT_NE(script.Shown()[0].Text.find(std::string("'") + c.code + "'"), std::string::npos);
        }
    }
}

TEST(CashDrawerPort, OnlyAWholeNumberNamesAPort) {
    TDialogScript script;
    EXPECT_EQ(CashDrawer::portNumber("No Cash Drawer"), std::nullopt);
    EXPECT_EQ(CashDrawer::portNumber("2"), std::optional<uint16_t>(2));
    EXPECT_TRUE(script.Shown().empty());
    script.Answer(mrOk);
    EXPECT_EQ(CashDrawer::portNumber("COM2"), std::nullopt);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_NE(script.Shown()[0].Text.find("CashDrawerPort"), std::string::npos);
}

class DrawerFormTest : public MoneyTest {
protected:
    void setDrawer(const std::string& Port, const std::string& Code) {
        TSettingsFile workstation = Vo97Ini::File();
        workstation.Write(Vo97Ini::CashDrawerPort, Port);
        workstation.Write(Vo97Ini::CashDrawerControlCode, Code);
    }
    void TearDown() override {
        setDrawer(std::string(Vo97Ini::NoCashDrawer), "");
        MoneyTest::TearDown();
    }
    // Runs the program's events until the form is gone (Release frees it later).
    void runEventsFor(int Ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
        while (std::chrono::steady_clock::now() < end) {
            Application->ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

TEST_F(DrawerFormTest, ThePortOpensOnceAtCreationAndClosesWithTheWindow) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    pty.exportAs(DrawerPort);
    setDrawer(std::to_string(DrawerPort), "027112000025250");

    auto* form = new TPaymentForm(nullptr);
    ASSERT_TRUE(form->SerComPort1->Open());
    EXPECT_EQ(form->SerComPort1->ComNumber(), DrawerPort);
    EXPECT_TRUE(form->CashDrawerBtn->Enabled());
    int opens = 0, closes = 0;
    form->SerComPort1->OnPortOpen = [&](TObject*) { ++opens; };
    form->SerComPort1->OnPortClose = [&](TObject*) { ++closes; };

    const std::string kick("\x1B\x70\x00\x19\xFA", 5);
    for (int press = 0; press < 3; ++press) {
        form->CashDrawerBtn->Click();
        EXPECT_EQ(pty.read(kick.size()), kick) << "press " << press + 1;
    }
    // The reset the window makes after a save keeps the port.
    form->FormCreate();
    EXPECT_TRUE(form->SerComPort1->Open());
    EXPECT_EQ(opens, 0);
    os::SerialDevice other;
    EXPECT_NE(other.open(pty.devicePath()), 0) << "the window holds the drawer's port";

    {
        TDialogScript script;
        script.Answer(mrYes);
        form->Close();
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, "Close the payment window?");
    }
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(opens, 0);
    runEventsFor(50);
    // The device is free again: nobody holds it.
    os::SerialDevice device;
    EXPECT_EQ(device.open(pty.devicePath()), 0);
}

TEST_F(DrawerFormTest, APortThatFailsToOpenIsReportedOnceAndTheButtonIsOff) {
    setenv("QUENMARK_COM9", "/dev/no-such-serial-device", 1);
    setDrawer("9", "027");
    TDialogScript script;
    script.Answer(mrOk);
    {
        TPaymentForm form(nullptr);
        EXPECT_FALSE(form.SerComPort1->Open());
        EXPECT_FALSE(form.CashDrawerBtn->Enabled());
        EXPECT_EQ(script.Shown().size(), 1u);
        form.CashDrawerBtnClick(&form);
        EXPECT_EQ(script.Shown().size(), 1u);
    }
    unsetenv("QUENMARK_COM9");

    // Neither "No Cash Drawer" nor a number: no drawer, one message.
    setDrawer("COM1", "027");
    script.Answer(mrOk);
    TPaymentForm form(nullptr);
    EXPECT_FALSE(form.CashDrawerBtn->Enabled());
    EXPECT_EQ(script.Shown().size(), 2u);
}

}  // namespace
