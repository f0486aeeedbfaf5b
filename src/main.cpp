// The quenmark program. Until the application shell exists it opens an empty
// main window.
#include "ui/Application.h"
#include "ui/Forms.h"

int main(int argc, char** argv) {
    Application->Initialize(argc, argv);
    Application->SetTitle("Quenmark 2003");
    TForm* mainForm = nullptr;
    Application->CreateForm(mainForm);
    mainForm->SetCaption("Quenmark 2003");
    mainForm->SetBounds(0, 0, 800, 600);
    Application->Run();
    return 0;
}
