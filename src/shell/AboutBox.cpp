#include "shell/AboutBox.h"

#include <string>

#include "app/ProgramBuild.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(TComponent* AOwner) : TForm(AOwner) {
    SetName("AboutBox");
    SetCaption("About");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetBounds(0, 0, 300, 190);

    Panel1 = place<TPanel>(this, 8, 8, 276, 110);
    Panel1->SetBevelOuter(bvLowered);
    ProductName = place<TLabel>(Panel1, 16, 16);
    ProductName->Font()->SetSize(14);
    ProductName->Font()->SetStyle({fsBold});
    ProductName->SetCaption("Quenmark 2003");
    Version = place<TLabel>(Panel1, 16, 56, 60, 16, "Build");
    BuildLabel = place<TLabel>(Panel1, 80, 56, 80, 16, std::to_string(ProgramBuild));

    OKButton = place<TButton>(this, 112, 128, 75, 25, "OK");
    OKButton->SetDefault(true);
    OKButton->SetCancel(true);
    OKButton->SetModalResult(mrOk);
}

TAboutBox::~TAboutBox() {
    if (AboutBox == this)
        AboutBox = nullptr;
}
