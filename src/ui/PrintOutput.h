#pragma once
// Where printed files go and who is told about them. The print folder is
// $QUENMARK_PRINT_DIR, else the "Quenmark" folder in the desktop's documents
// folder. A job of the PDF printer that names no file gets a new file there,
// named from the caption of the window that printed and the time
// ("Receipt 12 2026-12-11 14-30-05.pdf"); an existing file is never
// overwritten (" (2)", " (3)" ... are added). A file named for a job (the
// File destination) is written as named, a bare name into the print folder.
// Every finished job that wrote a file is announced through the printed hook.
#include <functional>
#include <string>

// The print folder; not created here.
std::string printFolder();

// A new, empty file in the print folder (made when missing) for a job
// printed from a window with this caption; "" when none can be made.
std::string newPrintFile(const std::string& Caption);

// The file a job named Name writes: a bare name in the print folder (made
// when missing), any other path mapped as the program's paths are.
std::string printFilePath(const std::string& Name);

// Called with the file's path after every job that wrote a file; the main
// window shows it. Empty clears it.
using TPrintedHook = std::function<void(const std::string& File)>;
void setPrintedHook(TPrintedHook Hook);
void announcePrinted(const std::string& File);
