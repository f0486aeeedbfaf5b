#pragma once
// The program's help: the help file under the installation root's "program"
// folder, "QMHelp.html", or "QMHelp.pdf" when there is no HTML file, opened
// in the desktop's viewer through xdg-open. The menu's Help > Contents and
// the preferences dialog's Help button call it.
#include <string>

namespace HelpFile {

// The help file to open: the HTML file when it exists, else the PDF file
// when that exists, else "" (none).
std::string helpFileName();
// Starts the viewer on the help file without waiting for it. When there is
// no help file, or the viewer cannot be started, an error box says "Failed
// to execute " and the file's name; false then.
bool showContents();

}  // namespace HelpFile
