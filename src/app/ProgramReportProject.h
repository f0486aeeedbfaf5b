#pragma once
// The program's report project: the main form's project component, handed
// to the report forms that run its reports (payments by date). The shell
// sets it when the main form is made and clears it when the form goes;
// nullptr while there is none.
class TDuzuProject;

TDuzuProject* programReportProject();
void setProgramReportProject(TDuzuProject* Project);
