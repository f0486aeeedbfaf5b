// Opening windows by class name: registered classes, single-instance
// classes, reuse of a visible window, and the placeholder.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/FormOpener.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/StdCtrls.h"

namespace {

class TOpenerProbeForm : public TForm {
public:
    explicit TOpenerProbeForm(TComponent* AOwner) : TForm(AOwner) {
        OnCreate = [this](TObject*) { created = true; };
        OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
    }
    bool created = false;
};

class TOpenerSingleForm : public TForm {
public:
    explicit TOpenerSingleForm(TComponent* AOwner) : TForm(AOwner) {}
};

class FormOpenerTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterClass<TOpenerProbeForm>();
        RegisterClass<TOpenerSingleForm>();
        registerSingleInstance("TOpenerSingleForm");
    }
    void SetUp() override {
        Application->Initialize();
        owner = std::make_unique<TComponent>(nullptr);
    }
    void TearDown() override {
        owner.reset();
        Application->ProcessMessages();
    }
    static TFormTarget target(const char* ClassName, TOpenStyle Style = osShow, bool Reuse = false) {
        TFormTarget t;
        t.ClassName = ClassName;
        t.Caption = "Edit &Receipt";
        t.Style = Style;
        t.ReuseVisible = Reuse;
        return t;
    }
    std::unique_ptr<TComponent> owner;
};

TEST_F(FormOpenerTest, ARegisteredClassIsCreatedWithTheOwnerNamedAfterItsClassAndShown) {
    TForm* first = OpenForm(owner.get(), target("TOpenerProbeForm"));
    TForm* second = OpenForm(owner.get(), target("topenerprobeform"));
    ASSERT_NE(first, second);
    EXPECT_TRUE(dynamic_cast<TOpenerProbeForm*>(first)->created);
    EXPECT_EQ(first->Owner(), owner.get());
    EXPECT_EQ(first->Name(), "OpenerProbeForm");
    EXPECT_EQ(second->Name(), "OpenerProbeForm_1");
    EXPECT_TRUE(first->Visible());
}

TEST_F(FormOpenerTest, ReuseShowsAVisibleWindowOfTheOwnerAgainButNeverAHiddenOne) {
    TForm* first = OpenForm(owner.get(), target("TOpenerProbeForm", osShow, true));
    EXPECT_EQ(OpenForm(owner.get(), target("TOpenerProbeForm", osShow, true)), first);
    first->Hide();
    TForm* next = OpenForm(owner.get(), target("TOpenerProbeForm", osShow, true));
    EXPECT_NE(next, first);
    // Another owner's window is not reused.
    TComponent other(nullptr);
    EXPECT_NE(OpenForm(&other, target("TOpenerProbeForm", osShow, true)), next);
}

TEST_F(FormOpenerTest, ASingleInstanceClassBringsItsOpenWindowForwardWhoeverOwnsIt) {
    TForm* first = OpenForm(owner.get(), target("TOpenerSingleForm"));
    first->Hide();
    TComponent other(nullptr);
    EXPECT_EQ(OpenForm(&other, target("TOpenerSingleForm")), first);
    EXPECT_TRUE(first->Visible());
    EXPECT_TRUE(isSingleInstance("topenersingleform"));
    EXPECT_FALSE(isSingleInstance("TOpenerProbeForm"));
}

TEST_F(FormOpenerTest, HiddenAndClosedAtOnceLeavesNoWindow) {
    TForm* form = OpenForm(owner.get(), target("TOpenerProbeForm", osHiddenClosed));
    EXPECT_FALSE(form->Visible());
    Application->ProcessMessages();
    EXPECT_EQ(owner->ComponentCount(), 0) << "it freed itself when closed";
}

TEST_F(FormOpenerTest, AnUnregisteredClassGetsAPlaceholderCaptionedLikeTheItem) {
    TForm* form = OpenForm(owner.get(), target("TNotBuiltYetForm"));
    auto* placeholder = dynamic_cast<TPlaceholderForm*>(form);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->Caption(), "Edit Receipt");
    EXPECT_EQ(placeholder->MessageLabel->Caption(), "This window is not available yet.");
    EXPECT_EQ(placeholder->Name(), "NotBuiltYetForm");
    EXPECT_EQ(formClassName(placeholder), "TNotBuiltYetForm");
    EXPECT_TRUE(placeholder->Visible());
    // The reuse rules hold for it as for the window it stands for.
    EXPECT_EQ(OpenForm(owner.get(), target("TNotBuiltYetForm", osShow, true)), form);
    // Work done out of sight would leave nothing to see: it stays in view.
    TForm* hidden = OpenForm(owner.get(), target("TNotBuiltYetReport", osHiddenClosed));
    EXPECT_TRUE(hidden->Visible());

    placeholder->OKBtn->Click();
    Application->ProcessMessages();
    EXPECT_EQ(owner->FindComponent("NotBuiltYetForm"), nullptr) << "it frees itself when closed";
}

TEST_F(FormOpenerTest, AModalTargetGetsAModalPlaceholder) {
    TDialogScript script;
    script.Answer([](TForm& Form) {
        EXPECT_TRUE(Form.Modal());
        dynamic_cast<TPlaceholderForm&>(Form).OKBtn->Click();
    });
    OpenForm(owner.get(), target("TNotBuiltYetDialog", osModal));
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Kind, TDialogKind::ModalForm);
    EXPECT_EQ(script.Shown()[0].Caption, "Edit Receipt");
    Application->ProcessMessages();
    EXPECT_EQ(owner->ComponentCount(), 0);
}

}  // namespace
