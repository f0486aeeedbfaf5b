#pragma once
// Nested progress reporting shared by reading, writing and formatting. Each
// level maps its own positions (bytes, characters, paragraphs) onto a part
// of the percentage range of the level around it, so a load that formats
// afterwards reports one rising percentage from 0 to 100.
#include <functional>

// Receives the percentage; set by the window that shows progress.
extern std::function<void(int Percent)> RtProgressEvent;
// While false nothing is reported and no level is kept.
extern bool RtProgressEnabled;

// Pushes a level for positions 0..Max; returns the step (positions per
// percent) after which the caller should report again.
int BeginProgress(int Max);
void ProgressStep(int Pos);
// The part (percent) of the remaining range that the next nested level may use.
void SetProgressShare(int Value);
void EndProgress();
void EndAllProgress();
// Levels open now.
int progressDepth();
