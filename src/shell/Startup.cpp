#include "shell/Startup.h"

#include "app/LookupListMembers.h"
#include "app/Preference.h"
#include "app/RebuildAccountBalances.h"
#include "os/InstanceGuard.h"
#include "sales/ItemInfoDlg.h"
#include "sales/PrintSkuLabelsForm.h"
#include "shell/AboutBox.h"
#include "shell/CallerIDStart.h"
#include "shell/LogoMain.h"
#include "ui/Application.h"

namespace {

const char* const InstanceGuardName = "SEM_zaRuzAvavGuard";
const char* const BalanceRebuildClass = "TRebuildAccountBalances";

void CreateRegisteredForm(const char* ClassName) {
    const TPersistentClass* registered = GetClass(ClassName);
    if (!registered)
        return;
    if (auto* form = dynamic_cast<TForm*>(registered->Create(Application)))
        form->AfterConstruction();
}

}  // namespace

void registerShellParts() {
    RegisterClass<TPreferencesDlg>();
    registerRebuildAccountBalances();
    registerLookupLists();
    registerItemForms();
    registerSkuLabelForms();
    hookUpCallerID();
}

int runQuenmark(int argc, char** argv) {
    // Held until the process ends; the system drops it however the process ends.
    static os::InstanceGuard guard(InstanceGuardName);
    if (!guard.Acquire())
        return 0;

    Application->Initialize(argc, argv);
    Application->SetTitle("Quenmark 2003");
    Application->SetHelpFile(".\\program\\QMHelp.HLP");
    registerShellParts();

    TLogoAppForm* mainForm = nullptr;
    Application->CreateForm(mainForm);
    Application->CreateForm(AboutBox);
    CreateRegisteredForm(BalanceRebuildClass);

    Application->Run();
    return 0;
}
