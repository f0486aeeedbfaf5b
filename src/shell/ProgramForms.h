#pragma once
// Every window of the program that the main menu opens by class name: the
// patient, claim, payment, deposit, receipt and report forms of the folders
// below the shell, and the shell's own parts. The program calls this once
// before its start; a test of the whole program calls it the same way.
void registerProgramForms();
