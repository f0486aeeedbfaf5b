#include "app/ProgramReportProject.h"

namespace {
TDuzuProject* programProject = nullptr;
}

TDuzuProject* ProgramReportProject() { return programProject; }
void setProgramReportProject(TDuzuProject* Project) { programProject = Project; }
