// Built with the embedded bytes (not into the app library), so that the
// build step that makes them does not need them itself.
#include "app/StoredProject.h"
#include "reporting/project/RSDuzu.h"

void loadStoredProject(TDuzuProject& Project) {
    Project.SetProjectFile(kStoredProjectFile);
    Project.SetStoredProject(storedProjectBytes(), storedProjectDate());
}
