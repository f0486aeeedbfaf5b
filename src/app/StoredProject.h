#pragma once
// The program's stored report project. defineStoredProject builds its data
// views and its two reports, "Pmt_Report" (payments by date) and
// "Items_All_Report" (every item), with the project classes; a build step
// saves it through the project writer and the program embeds the bytes with
// a fixed date, so every build gives the same bytes. loadStoredProject hands
// the embedded copy to a project component.
#include <string>

#include "base/DateTime.h"

class TDuzuProject;
class TDuzuProjectManager;

// The project file the main form's project component names.
extern const char* const kStoredProjectFile;
// The date the embedded copy carries (the disk file wins only when newer).
TDateTime storedProjectDate();

void defineStoredProject(TDuzuProjectManager& Project);

// The embedded project stream (made at build time).
const std::string& storedProjectBytes();
// ProjectFile and the stored copy of the program's project.
void loadStoredProject(TDuzuProject& Project);
