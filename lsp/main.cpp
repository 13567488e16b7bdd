// quillmark-lsp: the language server, speaking the Language Server Protocol
// over standard input and output.
#include <cstdio>
#include <cstring>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "language_server.h"
#include "quillmark_version.h"
#include "string_table.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "quillmark-lsp " << QUILLMARK_VERSION << "\n";
        return 0;
    }
    if (argc > 1) {
        const bool bHelp = argc == 2 && std::strcmp(argv[1], "--help") == 0;
        (bHelp ? std::cout : std::cerr) << LoadResourceString(IDS_LSP_USAGE);
        return bHelp ? 0 : 2;
    }
#ifdef _WIN32
    // The base protocol counts bytes: Windows would add a CR before each LF
    // written and take one away before each LF read, and end the input at
    // a Ctrl-Z.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    CLanguageServer server(std::cout);
    return server.Run(std::cin);
}
