// quillmark-lsp: the language server, speaking the Language Server Protocol
// over standard input and output.
#include <cstring>
#include <iostream>

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
    std::ios::sync_with_stdio(false);
    CLanguageServer server(std::cout);
    return server.Run(std::cin);
}
