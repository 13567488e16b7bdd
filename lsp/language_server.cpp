#include "language_server.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <utility>

#include "file_uri.h"
#include "lsp_features.h"
#include "message_stream.h"
#include "quillmark_version.h"
#include "result.h"
#include "string_table.h"

using nlohmann::json;

namespace {

// JSON-RPC's and the protocol's error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;
constexpr int kRequestFailed = -32803;

constexpr int kSyncIncremental = 2;

// A number the protocol gives as an integer. A float (1e300) is no
// parameter the server takes: converting one past a long long's range is
// undefined; an unsigned integer past it stands at its largest.
long long IntegerOf(const json& j)
{
    if (j.is_number_unsigned())
        return static_cast<long long>(std::min<std::uint64_t>(j.get<std::uint64_t>(), LLONG_MAX));
    return j.get_ref<const json::number_integer_t&>();  // anything else throws: a bad parameter
}

// A member that is an integer, or nDefault when it is not there.
long long IntegerOr(const json& object, const char* pszKey, long long nDefault)
{
    return object.contains(pszKey) ? IntegerOf(object.at(pszKey)) : nDefault;
}

STextPosition PositionOf(const json& position)
{
    return {IntegerOf(position.at("line")), IntegerOf(position.at("character"))};
}

// The settings a client's JSON gives; those it leaves out keep their value.
void ReadSettings(const json& j, SServerSettings& settings)
{
    if (!j.is_object())
        return;
    static const std::map<std::string, SourceForm> kForms = {
        {"fixed", SOURCE_FORM_FIXED}, {"free", SOURCE_FORM_FREE}, {"suffix", SOURCE_FORM_BY_SUFFIX}};
    if (j.contains("strictTable") && j["strictTable"].is_boolean())
        settings.bStrict = j["strictTable"].get<bool>();
    if (j.contains("exactSamples") && j["exactSamples"].is_boolean())
        settings.bExact = j["exactSamples"].get<bool>();
    if (j.contains("windowPath") && j["windowPath"].is_string())
        settings.strWindow = j["windowPath"].get<std::string>();
    if (j.contains("sourceForm") && j["sourceForm"].is_string()) {
        const auto it = kForms.find(j["sourceForm"].get<std::string>());
        if (it != kForms.end())
            settings.form = it->second;
    }
}

}  // namespace

CLanguageServer::CLanguageServer(std::ostream& out, Starter starter) : m_out(out), m_starter(std::move(starter))
{
}

const std::vector<CLanguageServer::SMethod>& CLanguageServer::Methods()
{
    static const std::vector<SMethod> kMethods = {
        {"initialize", &CLanguageServer::Initialize, true},
        {"initialized", &CLanguageServer::Nothing, false},
        {"shutdown", &CLanguageServer::Shutdown, true},
        {"exit", &CLanguageServer::Exit, false},
        {"textDocument/didOpen", &CLanguageServer::DidOpen, false},
        {"textDocument/didChange", &CLanguageServer::DidChange, false},
        {"textDocument/didClose", &CLanguageServer::DidClose, false},
        {"textDocument/didSave", &CLanguageServer::Nothing, false},
        {"workspace/didChangeConfiguration", &CLanguageServer::DidChangeConfiguration, false},
        {"textDocument/hover", &CLanguageServer::Hover, true},
        {"textDocument/definition", &CLanguageServer::Definition, true},
        {"textDocument/references", &CLanguageServer::References, true},
        {"textDocument/documentSymbol", &CLanguageServer::DocumentSymbol, true},
        {"textDocument/codeAction", &CLanguageServer::CodeAction, true},
        {"workspace/executeCommand", &CLanguageServer::ExecuteCommand, true},
    };
    return kMethods;
}

int CLanguageServer::Run(std::istream& in)
{
    std::string body;
    while (!m_bExited) {
        const MessageRead read = ReadMessage(in, body);
        if (read == MessageRead::END)
            break;
        if (read == MessageRead::BAD_HEADER)
            ReceiveBadHeader();
        else
            Receive(body);
    }
    return ExitCode();
}

void CLanguageServer::ReceiveBadHeader()
{
    ReplyError(nullptr, kParseError, MessageText(Message(IDS_LSP_BAD_HEADER)));
}

void CLanguageServer::Receive(const std::string& body)
{
    const json message = json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        ReplyError(nullptr, kParseError, MessageText(Message(IDS_LSP_NOT_JSON, body.substr(0, 80))));
        return;
    }
    Dispatch(message);
}

void CLanguageServer::Dispatch(const json& message)
{
    const bool bRequest = message.is_object() && message.contains("id");
    const json id = bRequest ? message["id"] : json();
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
        if (!message.is_object() || !message.contains("result"))  // a response to a request of ours is let be
            ReplyError(id, kInvalidRequest, MessageText(Message(IDS_LSP_NOT_JSON, message.dump().substr(0, 80))));
        return;
    }
    const std::string method = message["method"].get<std::string>();
    const auto& methods = Methods();
    const auto it = std::find_if(methods.begin(), methods.end(), [&](const SMethod& m) { return method == m.pszName; });
    if (it == methods.end()) {
        if (bRequest)
            ReplyError(id, kMethodNotFound, MessageText(Message(IDS_LSP_NO_METHOD, method)));
        return;  // a notification the server does not know ($/cancelRequest ...) is let be
    }
    if (!m_bInitialized && method != "initialize" && method != "exit") {
        if (bRequest)
            ReplyError(id, kServerNotInitialized, MessageText(Message(IDS_LSP_NOT_INITIALIZED)));
        return;
    }
    if (m_bShutDown && method != "exit") {
        if (bRequest)
            ReplyError(id, kInvalidRequest, MessageText(Message(IDS_LSP_SHUT_DOWN)));
        return;
    }
    try {
        json result = it->handler(*this, message.value("params", json::object()));
        if (bRequest)
            Reply(id, std::move(result));
    } catch (const json::exception&) {
        if (bRequest)
            ReplyError(id, kInvalidParams, MessageText(Message(IDS_LSP_BAD_PARAMS, method)));
    } catch (const SRequestFailed& failed) {
        if (bRequest)
            ReplyError(id, kRequestFailed, failed.text);
    }
}

namespace {

// A message out. A source file's bytes that are not UTF-8 (a comment in
// Latin-1) go out as U+FFFD rather than stopping the answer.
void Send(std::ostream& out, const json& message)
{
    WriteMessage(out, message.dump(-1, ' ', false, json::error_handler_t::replace));
}

}  // namespace

void CLanguageServer::Reply(const json& id, json result)
{
    Send(m_out, {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void CLanguageServer::ReplyError(const json& id, int nCode, const std::string& text)
{
    Send(m_out, {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", nCode}, {"message", text}}}});
}

void CLanguageServer::Notify(const char* pszMethod, json params)
{
    Send(m_out, {{"jsonrpc", "2.0"}, {"method", pszMethod}, {"params", std::move(params)}});
}

json CLanguageServer::Initialize(const json& params)
{
    m_bInitialized = true;
    const json encodings = params.value("capabilities", json::object())
                               .value("general", json::object())
                               .value("positionEncodings", json::array());
    const bool bUtf8 = encodings.is_array() &&
                       std::find(encodings.begin(), encodings.end(), "utf-8") != encodings.end();
    m_encoding = bUtf8 ? PositionEncoding::UTF8 : PositionEncoding::UTF16;
    ReadSettings(params.value("initializationOptions", json::object()), m_settings);
    const json capabilities = {
        {"positionEncoding", bUtf8 ? "utf-8" : "utf-16"},
        {"textDocumentSync", {{"openClose", true}, {"change", kSyncIncremental}}},
        {"hoverProvider", true},
        {"definitionProvider", true},
        {"referencesProvider", true},
        {"documentSymbolProvider", true},
        {"codeActionProvider", true},
        {"executeCommandProvider", {{"commands", {kEditFormatCommand}}}},
    };
    return {{"capabilities", capabilities},
            {"serverInfo", {{"name", "quillmark-lsp"}, {"version", QUILLMARK_VERSION}}}};
}

json CLanguageServer::Shutdown(const json&)
{
    m_bShutDown = true;
    return nullptr;
}

json CLanguageServer::Exit(const json&)
{
    m_bExited = true;
    return nullptr;
}

json CLanguageServer::Nothing(const json&)
{
    return nullptr;
}

const ModuleTable& CLanguageServer::ModulesOf(const std::string& strUri)
{
    const std::string path = PathOfUri(strUri);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    auto it = m_modules.find(folder);
    if (it == m_modules.end())
        it = m_modules.emplace(folder, path.empty() ? ModuleTable() : ModulesBeside(path, m_settings.form)).first;
    return it->second;
}

void CLanguageServer::Analyse(SOpenDocument& open)
{
    open.analysis = AnalyseDocument(open.doc, m_settings, ModulesOf(open.doc.Uri()));
    const SFeatureInput in{open.doc, open.analysis, m_settings, m_encoding};
    Notify("textDocument/publishDiagnostics",
           {{"uri", open.doc.Uri()}, {"version", open.doc.Version()}, {"diagnostics", Diagnostics(in)}});
}

CLanguageServer::SOpenDocument* CLanguageServer::DocumentOf(const json& params)
{
    const auto it = m_documents.find(params.at("textDocument").at("uri").get<std::string>());
    return it == m_documents.end() ? nullptr : it->second.get();
}

CLanguageServer::SOpenDocument* CLanguageServer::DocumentAt(const json& params, STextPosition& pos)
{
    pos = PositionOf(params.at("position"));
    return DocumentOf(params);
}

json CLanguageServer::DidOpen(const json& params)
{
    const json& item = params.at("textDocument");
    const std::string uri = item.at("uri").get<std::string>();
    auto open = std::make_unique<SOpenDocument>(
        SOpenDocument{CTextDocument(uri, IntegerOr(item, "version", 0), item.at("text").get<std::string>()), {}});
    Analyse(*open);
    m_documents[uri] = std::move(open);
    return nullptr;
}

json CLanguageServer::DidChange(const json& params)
{
    SOpenDocument* pOpen = DocumentOf(params);
    if (pOpen == nullptr)
        return nullptr;
    const long long nHad = pOpen->doc.Version();
    const long long nVersion = IntegerOr(params.at("textDocument"), "version", nHad < LLONG_MAX ? nHad + 1 : nHad);
    for (const json& change : params.at("contentChanges")) {
        const std::string text = change.at("text").get<std::string>();
        if (!change.contains("range")) {
            pOpen->doc.Replace(nVersion, text);
            continue;
        }
        const json& range = change.at("range");
        pOpen->doc.Change(nVersion, PositionOf(range.at("start")), PositionOf(range.at("end")), text, m_encoding);
    }
    Analyse(*pOpen);
    return nullptr;
}

json CLanguageServer::DidClose(const json& params)
{
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (m_documents.erase(uri) != 0)
        Notify("textDocument/publishDiagnostics", {{"uri", uri}, {"diagnostics", json::array()}});
    return nullptr;
}

json CLanguageServer::DidChangeConfiguration(const json& params)
{
    const json settings = params.value("settings", json::object());
    ReadSettings(settings.is_object() ? settings.value("quillmark", json::object()) : json::object(), m_settings);
    m_modules.clear();  // the source form reads them differently
    for (auto& [uri, open] : m_documents)
        Analyse(*open);
    return nullptr;
}

json CLanguageServer::Hover(const json& params)
{
    STextPosition pos;
    const SOpenDocument* pOpen = DocumentAt(params, pos);
    return pOpen == nullptr ? json(nullptr) : HoverAt({pOpen->doc, pOpen->analysis, m_settings, m_encoding}, pos);
}

json CLanguageServer::Definition(const json& params)
{
    STextPosition pos;
    const SOpenDocument* pOpen = DocumentAt(params, pos);
    return pOpen == nullptr ? json(nullptr) : DefinitionAt({pOpen->doc, pOpen->analysis, m_settings, m_encoding}, pos);
}

json CLanguageServer::References(const json& params)
{
    STextPosition pos;
    const SOpenDocument* pOpen = DocumentAt(params, pos);
    if (pOpen == nullptr)
        return json::array();
    const bool bDeclaration = params.value("context", json::object()).value("includeDeclaration", false);
    return ReferencesAt({pOpen->doc, pOpen->analysis, m_settings, m_encoding}, pos, bDeclaration);
}

json CLanguageServer::DocumentSymbol(const json& params)
{
    SOpenDocument* pOpen = DocumentOf(params);
    if (pOpen == nullptr)
        return json::array();
    return DocumentSymbols({pOpen->doc, pOpen->analysis, m_settings, m_encoding});
}

json CLanguageServer::CodeAction(const json& params)
{
    SOpenDocument* pOpen = DocumentOf(params);
    if (pOpen == nullptr)
        return json::array();
    return CodeActionsAt({pOpen->doc, pOpen->analysis, m_settings, m_encoding},
                         PositionOf(params.at("range").at("start")));
}

namespace {

// Whether the document holds what its file holds (line ends aside). Only a
// regular file is read: a device or a pipe may never end.
bool IsSaved(const CTextDocument& doc, const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream text;
    text << file.rdbuf();
    return SplitLines(text.str()) == doc.Lines();
}

}  // namespace

json CLanguageServer::ExecuteCommand(const json& params)
{
    const std::string command = params.at("command").get<std::string>();
    if (command != kEditFormatCommand)
        throw SRequestFailed{MessageText(Message(IDS_LSP_NO_METHOD, command))};
    const json& args = params.at("arguments");
    const std::string uri = args.at(0).get<std::string>();
    const std::string path = PathOfUri(uri);
    const auto it = m_documents.find(uri);
    if (path.empty() || (it != m_documents.end() && !IsSaved(it->second->doc, path)))
        throw SRequestFailed{MessageText(Message(IDS_LSP_NOT_SAVED, path.empty() ? uri : path))};
    std::string why;
    const std::vector<std::string> words = {path, std::to_string(IntegerOf(args.at(1))),
                                            std::to_string(IntegerOf(args.at(2)))};
    if (!m_starter(m_settings.strWindow, words, why))
        throw SRequestFailed{MessageText(Message(IDS_LSP_CANNOT_START, m_settings.strWindow, why))};
    return nullptr;
}
