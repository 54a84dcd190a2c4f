#ifndef SHGS_PLATFORM_POSIX_VIEWER_H_
#define SHGS_PLATFORM_POSIX_VIEWER_H_

#include <string>
#include <vector>

namespace shgs {

// Shows the report "fileName", as the operator typed it, and waits until
// the viewer ends: in the editor that VISUAL or EDITOR names, found along
// PATH as a shell would find it, else with "desktopOpener" (a full path)
// when there is a desktop; failing those, says on standard error where the
// report is. The file name is the viewer's last argument, never parsed.
void viewReport(const std::string& fileName, const std::string& desktopOpener);

// Appends to "*words" the words of an editor setting such as "code --wait"
// or "'/opt/my editor/ed' -n", split as a shell splits words: blanks between
// them, single quotes, double quotes and backslashes; nothing is expanded.
// False when a quote is left open.
bool editorWords(const std::string& setting, std::vector<std::string>* words);

}  // namespace shgs

#endif  // SHGS_PLATFORM_POSIX_VIEWER_H_
