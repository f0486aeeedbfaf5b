// Kept apart from the project's definition, so that the build step that
// makes the embedded bytes does not need them itself.
#include "app/StoredProject.h"
#include "reporting/RSDuzu.h"

void LoadStoredProject(TDuzuProject& Project) {
    Project.SetProjectFile(kStoredProjectFile);
    Project.SetStoredProject(StoredProjectBytes(), StoredProjectDate());
}
