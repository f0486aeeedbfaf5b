#pragma once
// TAboutBox: the "About" window, shown modally from Help > About Quenmark.
// Its BuildLabel shows the program's data build.
#include "ui/Forms.h"

class TButton;
class TLabel;
class TPanel;

class TAboutBox : public TForm {
public:
    explicit TAboutBox(TComponent* AOwner);
    // Clears AboutBox when it is this one.
    ~TAboutBox() override;

    TPanel* Panel1;
    TLabel* ProductName;
    TLabel* Version;
    TLabel* BuildLabel;
    TButton* OKButton;
};

// The about box made at start-up; nullptr until then.
extern TAboutBox* AboutBox;
