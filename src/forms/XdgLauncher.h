// The program's desktop launcher: a file or URL goes to the desktop's open
// verb (xdg-open). The library installs it when it is loaded.
#pragma once

namespace ktrb {

void InstallXdgLauncher();
void RemoveXdgLauncher();

}  // namespace ktrb
