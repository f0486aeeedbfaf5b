#pragma once
// Pictures of windows without a screen: a form (or any control) rendered as
// it would show, for tests and for checking the program's look.
#include <string>

class QImage;
class TControl;

// The control as drawn now. A form that is not shown is laid out and shown
// off the screen for the moment it takes.
QImage renderControl(TControl* Control);
// Saves renderControl's picture as a PNG file; raises EFCreateError when
// the file cannot be written.
void renderToPng(TControl* Control, const std::string& FileName);
