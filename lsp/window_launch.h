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

// One word of a Windows command line, quoted so that the C run time's
// reading gives it back whole: Windows hands a program one line, not a
// list of words, and a path such as "C:\Program Files\q.exe" or
// "C:\My Code\x.f90" would otherwise come apart at its spaces.
std::string QuotedArgument(const std::string& arg);
