// The quenmark program: every window registered by class name, then the
// shell's start.
#include "shell/ProgramForms.h"
#include "shell/Startup.h"

int main(int argc, char** argv) {
    registerProgramForms();
    return runQuenmark(argc, argv);
}
