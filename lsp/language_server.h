// The language server: reads each message the client sends and writes its
// answers and notifications, one document store and one analysis of each
// open document's latest version.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "document_analysis.h"
#include "text_document.h"
#include "window_launch.h"

// A request the server took but could not carry out, with why.
struct SRequestFailed {
    std::string text;
};

class CLanguageServer {
public:
    // What starts the window: a program, its words, why it could not (as
    // StartDetached).
    using Starter = std::function<bool(const std::string&, const std::vector<std::string>&, std::string&)>;

    explicit CLanguageServer(std::ostream& out, Starter starter = StartDetached);

    // Takes one message's content (the base protocol's body).
    void Receive(const std::string& body);
    // Answers a header part the base protocol could not read.
    void ReceiveBadHeader();
    // Reads and takes messages until exit or the input's end; the process's
    // exit code: 0 after shutdown and exit, 1 otherwise.
    int Run(std::istream& in);

    bool Exited() const { return m_bExited; }
    int ExitCode() const { return m_bShutDown ? 0 : 1; }

private:
    struct SOpenDocument {
        CTextDocument doc;
        SDocumentAnalysis analysis;
    };
    using Handler = std::function<nlohmann::json(CLanguageServer&, const nlohmann::json&)>;
    struct SMethod {
        const char* pszName;
        Handler handler;
        bool bRequest;  // answered; a notification is not
    };
    static const std::vector<SMethod>& Methods();

    void Dispatch(const nlohmann::json& message);
    void Reply(const nlohmann::json& id, nlohmann::json result);
    void ReplyError(const nlohmann::json& id, int nCode, const std::string& text);
    void Notify(const char* pszMethod, nlohmann::json params);

    nlohmann::json Initialize(const nlohmann::json& params);
    nlohmann::json Shutdown(const nlohmann::json& params);
    nlohmann::json Exit(const nlohmann::json& params);
    nlohmann::json Nothing(const nlohmann::json& params);
    nlohmann::json DidOpen(const nlohmann::json& params);
    nlohmann::json DidChange(const nlohmann::json& params);
    nlohmann::json DidClose(const nlohmann::json& params);
    nlohmann::json DidChangeConfiguration(const nlohmann::json& params);
    nlohmann::json Hover(const nlohmann::json& params);
    nlohmann::json Definition(const nlohmann::json& params);
    nlohmann::json References(const nlohmann::json& params);
    nlohmann::json DocumentSymbol(const nlohmann::json& params);
    nlohmann::json CodeAction(const nlohmann::json& params);
    nlohmann::json ExecuteCommand(const nlohmann::json& params);

    SOpenDocument* DocumentOf(const nlohmann::json& params);
    // The open document a positional request names, its position read first
    // (bad whether the document is open or not); nullptr when it is not open.
    SOpenDocument* DocumentAt(const nlohmann::json& params, STextPosition& pos);
    void Analyse(SOpenDocument& open);
    const ModuleTable& ModulesOf(const std::string& strUri);

    std::ostream& m_out;
    Starter m_starter;
    bool m_bInitialized = false;
    bool m_bShutDown = false;
    bool m_bExited = false;
    PositionEncoding m_encoding = PositionEncoding::UTF16;
    SServerSettings m_settings;
    std::map<std::string, std::unique_ptr<SOpenDocument>> m_documents;
    std::map<std::string, ModuleTable> m_modules;  // by folder
};
