#include "check_output.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

#include "format_items.h"
#include "quillmark_version.h"
#include "source_file.h"

#if defined(_WIN32)
#include <io.h>
#define QUILLMARK_ISATTY _isatty
#else
#include <unistd.h>
#define QUILLMARK_ISATTY isatty
#endif

namespace {

constexpr const char* kSarifLevels[] = {"error", "warning", "note"};

const char* RuleId(CheckRule rule)
{
    return kCheckRuleIds[static_cast<std::size_t>(rule)];
}

// Runs work(i) for i from 0 to nCount on every core; each index once.
template <typename Work>
void OnEveryCore(std::size_t nCount, Work work)
{
    const std::size_t nThreads = std::max(1u, std::thread::hardware_concurrency());
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < std::min(nThreads, nCount); ++t)
        threads.emplace_back([&]() {
            for (std::size_t i = next++; i < nCount; i = next++)
                work(i);
        });
    for (std::thread& thread : threads)
        thread.join();
}

// A progress line on standard error, for a run past a second.
class CProgress {
public:
    CProgress(bool bShown, std::size_t nTotal) : m_bShown(bShown), m_nTotal(nTotal) {}
    ~CProgress()
    {
        if (m_bWritten)
            std::cerr << "\r\033[K" << std::flush;
    }
    void Done()
    {
        const std::size_t nDone = ++m_nDone;
        if (!m_bShown || std::chrono::steady_clock::now() - m_start < std::chrono::seconds(1))
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        std::cerr << "\rquillmark-text: checked " << nDone << " of " << m_nTotal << " files" << std::flush;
        m_bWritten = true;
    }

private:
    bool m_bShown;
    std::size_t m_nTotal;
    std::atomic<std::size_t> m_nDone{0};
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::mutex m_mutex;
    bool m_bWritten = false;
};

JsonValue PlaceJson(const SCheckPlace& place)
{
    if (place.nLine == 0)
        return JsonValue(nullptr);
    return {{"line", place.nLine}, {"column", place.nColumn}};
}

JsonValue FindingJson(const SCheckFinding& finding)
{
    JsonValue value = {{"rule", RuleId(finding.rule)},
                       {"severity", SeverityWord(finding.severity)},
                       {"message", JsonText(FindingText(finding))},
                       {"line", finding.place.nLine},
                       {"column", finding.place.nColumn},
                       {"field", PlaceJson(finding.field)},
                       {"related", PlaceJson(finding.related)}};
    if (finding.nItem > 0)
        value["items"] = {finding.nItem, std::max(finding.nItem, finding.nLastItem)};
    return value;
}

JsonValue SarifLocation(const std::string& file, const SCheckPlace& place)
{
    return {{"physicalLocation",
             {{"artifactLocation", {{"uri", JsonText(file)}}},
              {"region", {{"startLine", place.nLine}, {"startColumn", std::max(1LL, place.nColumn)}}}}}};
}

JsonValue SarifRules()
{
    JsonValue rules = JsonValue::array();
    for (std::size_t i = 0; i < std::size(kCheckRuleIds); ++i) {
        rules.push_back({{"id", kCheckRuleIds[i]}, {"shortDescription", {{"text", kCheckRuleIds[i]}}}});
    }
    return rules;
}

JsonValue UseJson(const SStatementUse& shown)
{
    constexpr const char* kNoItemWords[] = {nullptr, "list-ended", "colon"};
    const SFormatUseReport& use = shown.report;
    JsonValue fields = JsonValue::array();
    for (std::size_t i = 0; i < use.fields.size(); ++i) {
        const SFieldItems& field = use.fields[i];
        const SFieldUse* pShown = i < shown.fields.size() ? &shown.fields[i] : nullptr;
        JsonValue items = JsonValue::array();
        for (const std::string& item : field.items)
            items.push_back(JsonText(item));
        const char* pszNoItem = kNoItemWords[static_cast<std::size_t>(field.noItem)];
        fields.push_back({{"field", JsonText(field.strField)},
                          {"line", field.place.nLine},
                          {"column", field.place.nColumn},
                          {"items", items},
                          {"reused", field.bReused},
                          {"no_item", pszNoItem != nullptr ? JsonValue(pszNoItem) : JsonValue(nullptr)},
                          {"sample", pShown != nullptr ? JsonText(pShown->strSample) : JsonValue(nullptr)},
                          {"typed_sample", pShown != nullptr && pShown->bTypedSample}});
    }
    JsonValue findings = JsonValue::array();
    for (const SCheckFinding& finding : use.findings)
        findings.push_back(FindingJson(finding));
    return {{"line", use.place.nLine},
            {"column", use.place.nColumn},
            {"statement", JsonText(use.strStatement)},
            {"status", JsonText(shown.strStatus)},
            {"input", use.bInput},
            {"checked", use.bChecked},
            {"records", use.nRecords >= 0 ? JsonValue(use.nRecords) : JsonValue(nullptr)},
            {"fields", fields},
            {"findings", findings}};
}

SCheckedFile CheckOne(const std::string& file, const SCliOptions& options, const ModuleTable& modules)
{
    SCheckedFile checked;
    checked.strFile = file;
    checked.check = CheckFileWith(file, options.nSourceForm, options.strStandard, modules);
    return checked;
}

}  // namespace

int RunItems(const SCliOptions& options)
{
    // A file checked alone may USE the modules of the files beside it.
    bool bRead = true;
    const SFormatItems found = FormatItemsInFile(options.strFile, options.nSourceForm, options.strStandard,
                                                 options.nLine, options.nColumn, &bRead);
    if (!bRead) {
        std::cerr << "quillmark-text: " << options.strFile << ": cannot be read\n";
        return 1;
    }
    if (options.bJson) {
        JsonValue list = JsonValue::array();
        for (const SStatementUse& use : found.uses)
            list.push_back(UseJson(use));
        std::cout << JsonValue({{"file", JsonText(options.strFile)}, {"uses", list}}).dump(2) << '\n';
    } else {
        std::cout << UsesText(options.strFile, found);
    }
    if (found.uses.empty())
        std::cerr << "quillmark-text: " << options.strFile << ':' << options.nLine
                  << ": no I/O statement uses a format here\n";
    std::cout.flush();
    return found.uses.empty() ? 1 : 0;
}

std::vector<SCheckedFile> CheckFiles(const std::vector<std::string>& files, const SCliOptions& options, bool bProgress,
                                     bool bKeepUses)
{
    // The modules of every file first, each file's in a table of its own.
    std::vector<ModuleTable> defined(files.size());
    OnEveryCore(files.size(), [&](std::size_t i) {
        CLineReader reader;
        if (reader.Open(files[i]))
            ReadModules(reader, IsFixedForm(files[i], options.nSourceForm), defined[i]);
    });
    ModuleTable modules;
    for (ModuleTable& table : defined)
        modules.merge(table);
    std::vector<SCheckedFile> checked(files.size());
    CProgress progress(bProgress, files.size());
    OnEveryCore(files.size(), [&](std::size_t i) {
        checked[i] = CheckOne(files[i], options, modules);
        // Over many files only the findings are written: each file's
        // fields and items go now, so that memory does not grow with the
        // number of files.
        if (!bKeepUses)
            checked[i].check.uses = std::vector<SFormatUseReport>();
        progress.Done();
    });
    return checked;
}

void WriteGcc(std::ostream& out, const std::vector<SCheckedFile>& files)
{
    for (const SCheckedFile& file : files)
        for (const SCheckFinding& finding : file.check.findings)
            out << file.strFile << ':' << finding.place.nLine << ':' << finding.place.nColumn << ": "
                << SeverityWord(finding.severity) << ": " << FindingText(finding) << '\n';
}

JsonValue CheckJson(const std::vector<SCheckedFile>& files)
{
    JsonValue list = JsonValue::array();
    for (const SCheckedFile& file : files) {
        JsonValue findings = JsonValue::array();
        for (const SCheckFinding& finding : file.check.findings)
            findings.push_back(FindingJson(finding));
        list.push_back({{"file", JsonText(file.strFile)}, {"read", file.check.bRead}, {"findings", findings}});
    }
    return {{"files", list}};
}

JsonValue CheckSarif(const std::vector<SCheckedFile>& files)
{
    JsonValue results = JsonValue::array();
    for (const SCheckedFile& file : files)
        for (const SCheckFinding& finding : file.check.findings) {
            JsonValue result = {{"ruleId", RuleId(finding.rule)},
                                {"level", kSarifLevels[static_cast<std::size_t>(finding.severity)]},
                                {"message", {{"text", JsonText(FindingText(finding))}}},
                                {"locations", {SarifLocation(file.strFile, finding.place)}}};
            if (finding.related.nLine != 0)
                result["relatedLocations"] = {SarifLocation(file.strFile, finding.related)};
            results.push_back(result);
        }
    const JsonValue driver = {{"name", "quillmark-text"}, {"version", QUILLMARK_VERSION}, {"rules", SarifRules()}};
    return {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
            {"version", "2.1.0"},
            {"runs", {{{"tool", {{"driver", driver}}}, {"results", results}}}}};
}

int RunCheck(const SCliOptions& options)
{
    std::vector<std::string> unreadable;
    const std::vector<std::string> files = FortranFilesUnder(options.checkPaths, unreadable);
    for (const std::string& path : unreadable)
        std::cerr << "quillmark-text: " << path << ": no such file or folder\n";
    const std::vector<SCheckedFile> checked = CheckFiles(files, options, QUILLMARK_ISATTY(2) != 0, false);
    bool bFindings = !unreadable.empty();
    for (const SCheckedFile& file : checked) {
        if (!file.check.bRead)
            std::cerr << "quillmark-text: " << file.strFile << ": cannot be read\n";
        bFindings = bFindings || !file.check.bRead || !file.check.findings.empty();
    }
    if (options.strDiagnostics == "json")
        std::cout << CheckJson(checked).dump(2) << '\n';
    else if (options.strDiagnostics == "sarif")
        std::cout << CheckSarif(checked).dump(2) << '\n';
    else
        WriteGcc(std::cout, checked);
    std::cout.flush();
    return bFindings ? 1 : 0;
}
