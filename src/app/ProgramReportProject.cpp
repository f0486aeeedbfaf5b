#include "app/ProgramReportProject.h"

namespace {
TDuzuProject* programProject = nullptr;
}

TDuzuProject* programReportProject() { return programProject; }
void setProgramReportProject(TDuzuProject* Project) { programProject = Project; }
