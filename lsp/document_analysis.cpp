#include "document_analysis.h"

#include <algorithm>
#include <filesystem>

#include "file_uri.h"

const CDescriptorTable& TableOf(const SServerSettings& settings)
{
    return settings.bStrict ? StrictDescriptorTable() : DefaultDescriptorTable();
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
