#include "app/FormOpener.h"

#include <strings.h>

#include <memory>
#include <set>

#include "base/Exceptions.h"
#include "ui/Application.h"
#include "ui/FormKit.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"

namespace {

struct TCaseBlindLess {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::set<std::string, TCaseBlindLess>& SingleInstanceClasses() {
    static std::set<std::string, TCaseBlindLess> classes;
    return classes;
}

bool SameClass(const TForm* Form, const std::string& ClassName) {
    return strcasecmp(formClassName(Form).c_str(), ClassName.c_str()) == 0;
}

bool Going(const TForm* Form) { return Form->ComponentState().Contains(csDestroying); }

// The open window of the class anywhere in the program, shown or hidden.
TForm* OpenInstance(const std::string& ClassName) {
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TForm* form = Screen->Forms(i);
        if (SameClass(form, ClassName) && !Going(form))
            return form;
    }
    return nullptr;
}

// A shown window of the class that Owner owns.
TForm* VisibleOwned(TComponent* Owner, const std::string& ClassName) {
    if (!Owner)
        return nullptr;
    for (int i = 0; i < Owner->ComponentCount(); ++i) {
        auto* form = dynamic_cast<TForm*>(Owner->Components(i));
        if (form && form->Visible() && SameClass(form, ClassName) && !Going(form))
            return form;
    }
    return nullptr;
}

// Windows are known by component name (the close check names them): the
// class name without its "T", numbered when the owner has one of that name.
void NameAfterClass(TForm* Form, const std::string& ClassName) {
    if (!Form->Name().empty())
        return;
    std::string base = ClassName.size() > 1 && (ClassName[0] == 'T' || ClassName[0] == 't') ? ClassName.substr(1)
                                                                                            : ClassName;
    if (!IsValidIdent(base))
        return;
    TComponent* owner = Form->Owner();
    std::string name = base;
    for (int n = 1; owner && owner->FindComponent(name); ++n)
        name = base + "_" + std::to_string(n);
    Form->SetName(name);
}

TForm* CreateRegistered(const TPersistentClass& Class, TComponent* Owner) {
    std::unique_ptr<TPersistent> made(Class.Create(Owner));
    auto* form = dynamic_cast<TForm*>(made.get());
    if (!form)
        throw EInvalidOperation("Class " + Class.ClassName() + " is not a form");
    made.release();
    return form;
}

}  // namespace

void registerSingleInstance(const std::string& ClassName) { SingleInstanceClasses().insert(ClassName); }

bool isSingleInstance(const std::string& ClassName) { return SingleInstanceClasses().count(ClassName) != 0; }

std::string formClassName(const TForm* Form) {
    if (auto* placeholder = dynamic_cast<const TPlaceholderForm*>(Form))
        return placeholder->TargetClassName();
    return Form->ClassName();
}

TForm* OpenForm(TComponent* Owner, const TFormTarget& Target) {
    TForm* open = isSingleInstance(Target.ClassName) ? OpenInstance(Target.ClassName) : nullptr;
    if (!open && Target.ReuseVisible)
        open = VisibleOwned(Owner, Target.ClassName);
    if (open) {
        open->Show();
        return open;
    }

    TForm* form = nullptr;
    bool standIn = false;
    if (const TPersistentClass* registered = GetClass(Target.ClassName)) {
        form = CreateRegistered(*registered, Owner);
        NameAfterClass(form, registered->ClassName());
    } else {
        form = new TPlaceholderForm(Owner, Target.ClassName, Target.Caption);
        NameAfterClass(form, Target.ClassName);
        standIn = true;
    }
    form->AfterConstruction();

    // A placeholder has nothing to do on its own: it stays in view.
    TOpenStyle style = Target.Style;
    if (standIn && style != osModal)
        style = osShow;
    switch (style) {
    case osShow:
        form->Show();
        break;
    case osModal:
        form->ShowModal();
        break;
    case osHidden:
        form->Hide();
        break;
    case osHiddenClosed:
        form->Hide();
        form->Close();
        break;
    }
    return form;
}

TPlaceholderForm::TPlaceholderForm(TComponent* AOwner, const std::string& TargetClassName,
                                   const std::string& Caption)
    : TForm(AOwner), targetClassName_(TargetClassName) {
    SetCaption(stripHotkey(Caption));
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    SetBounds(0, 0, 300, 110);
    MessageLabel = place<TLabel>(this, 24, 20, 252, 16, "This window is not available yet.");
    OKBtn = place<TButton>(this, 112, 48, 75, 25, "OK");
    OKBtn->SetDefault(true);
    OKBtn->SetCancel(true);
    OKBtn->SetModalResult(mrOk);
    OKBtn->OnClick = [this](TObject*) {
        if (!Modal())
            Close();
    };
    OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
}
