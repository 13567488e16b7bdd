// Starting the Quillmark window on a statement of a file, as an editor's
// plug-in does: the program runs on its own, the server does not wait for
// it, and the editor reloads the file when the window has rewritten it.
#pragma once

#include <string>
#include <vector>

// Starts program with args, detached from the server (no zombie is left
// when it ends); false, with errno's reason in strWhy, when it could not
// be started.
bool StartDetached(const std::string& strProgram, const std::vector<std::string>& args, std::string& strWhy);
