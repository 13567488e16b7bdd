#include "document_analysis.h"

#include <algorithm>
#include <filesystem>

#include "char_class.h"

const CDescriptorTable& TableOf(const SServerSettings& settings)
{
    return settings.bStrict ? StrictDescriptorTable() : DefaultDescriptorTable();
}

namespace {

int HexValue(char c)
{
    if (IsDigit(c))
        return c - '0';
    const char u = ToUpper(c);
    return u >= 'A' && u <= 'F' ? u - 'A' + 10 : -1;
}

}  // namespace

std::string PathOfUri(const std::string& strUri)
{
    static constexpr std::string_view kScheme = "file://";
    if (strUri.compare(0, kScheme.size(), kScheme) != 0)
        return std::string();
    std::string path;
    for (std::size_t i = kScheme.size(); i < strUri.size(); ++i) {
        if (strUri[i] == '%' && i + 2 < strUri.size() && HexValue(strUri[i + 1]) >= 0 && HexValue(strUri[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(strUri[i + 1]) * 16 + HexValue(strUri[i + 2]));
            i += 2;
        } else {
            path += strUri[i];
        }
    }
    return path;
}

std::string UriOfPath(const std::string& strPath)
{
    static constexpr std::string_view kKept = "/-._~";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : strPath) {
        const auto u = static_cast<unsigned char>(c);
        if (IsLetter(c) || IsDigit(c) || kKept.find(c) != std::string_view::npos) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[u >> 4];
            uri += kHex[u & 15];
        }
    }
    return uri;
}

SDocumentAnalysis AnalyseDocument(const CTextDocument& doc, const SServerSettings& settings, const ModuleTable& modules)
{
    SDocumentAnalysis analysis;
    analysis.nVersion = doc.Version();
    const std::string path = PathOfUri(doc.Uri());
    analysis.bFixedForm = IsFixedForm(path.empty() ? doc.Uri() : path, settings.form);
    CLineReader reader;
    reader.OpenLines(doc.Lines());
    IndexStatements(reader, analysis.bFixedForm, TableOf(settings), analysis.statements);
    SCheckOptions options;
    options.bFixedForm = analysis.bFixedForm;
    options.pModules = &modules;
    if (!path.empty())
        options.strIncludeFolder = std::filesystem::path(path).parent_path().string();
    reader.OpenLines(doc.Lines());
    analysis.check = CheckFile(reader, options);
    return analysis;
}

const SIndexedStatement* StatementAt(const SDocumentAnalysis& analysis, long long nLine)
{
    // The statements stand in the order of their lines and do not overlap.
    const auto& s = analysis.statements;
    auto it = std::upper_bound(s.begin(), s.end(), nLine,
                               [](long long n, const SIndexedStatement& st) { return n < st.nLine; });
    if (it == s.begin())
        return nullptr;
    --it;
    return nLine <= it->nLastLine ? &*it : nullptr;
}
