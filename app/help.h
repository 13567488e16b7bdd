// Help: the help file, found beside the program, and the three requests the
// program makes of the help viewer (show a keyword's topic, show a context,
// quit).
#pragma once

#include <string>

#include "message.h"

// The requests, numbered as the help viewers of the program's first
// platform numbered them.
enum HelpCommand : int {
    HELP_CONTEXT = 0x0001,  // data: the context number, in decimal
    HELP_QUIT = 0x0002,     // data: none
    HELP_KEY = 0x0101,      // data: the keyword
};

// The help file of a program at strProgramPath: KELDRANO.HLP (string 20 and
// the extension "HLP") in help/ one level above the program's folder (the
// build tree), else in share/quillmark/ one level above it (an installed
// tree: PREFIX/bin and PREFIX/share/quillmark), else beside the program.
// Empty when none is a regular file.
std::string FindHelpFile(const std::string& strProgramPath);

// Where the requests go: the program's is a help viewer process of its own
// (help_link.h).
class IHelpViewer {
public:
    virtual ~IHelpViewer() = default;
    // Shows the topic that command and data name in the help file.
    virtual void Show(OwnerHandle owner, const std::string& strFile, int nCommand, const std::string& strData) = 0;
    // Closes the viewer this run opened, if it is open.
    virtual void Quit() = 0;
};

// Makes a help request of the viewer. HELP_QUIT only closes it; the others
// look for the help file beside this program and report string 19 among
// the messages, owned by `owner`, when there is none.
void ShowHelp(IHelpViewer& viewer, const CMessages& messages, OwnerHandle owner, int nCommand,
              const std::string& strData = std::string());
