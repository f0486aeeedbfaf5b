#include "app/ProgramReportProject.h"

namespace {
TDuzuProject* programProject = nullptr;
}

TDuzuProject* ProgramReportProject() { return programProject; }
void SetProgramReportProject(TDuzuProject* Project) { programProject = Project; }
