#include "source_lines.h"

#include <cctype>
#include <vector>

#include "statement_text.h"

namespace {

constexpr int kLabelLimit = 100000;  // labels have at most five digits
constexpr int kFirstNewLabel = 100;
constexpr int kNewLabelStep = 10;
constexpr std::size_t kLabelField = 5;  // fixed form: columns 1 to 5

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsPreprocessorLine(const std::string& raw, int bFixedForm)
{
    if (bFixedForm)
        return !raw.empty() && raw[0] == '#';
    const std::size_t nFirst = raw.find_first_not_of(" \t");
    return nFirst != std::string::npos && raw[nFirst] == '#';
}

DirectiveKind ClassifyDirective(const std::string& raw)
{
    std::size_t i = raw.find('#');
    if (i == std::string::npos)
        return DIRECTIVE_OTHER;
    i = raw.find_first_not_of(" \t", i + 1);
    std::string strWord;
    for (; i != std::string::npos && i < raw.size() && std::isalpha(static_cast<unsigned char>(raw[i])); ++i)
        strWord += static_cast<char>(std::tolower(static_cast<unsigned char>(raw[i])));
    if (strWord == "if" || strWord == "ifdef" || strWord == "ifndef")
        return DIRECTIVE_OPEN;
    if (strWord == "elif" || strWord == "else")
        return DIRECTIVE_BRANCH;
    if (strWord == "endif")
        return DIRECTIVE_CLOSE;
    if (strWord == "include")
        return DIRECTIVE_INCLUDE;
    return DIRECTIVE_OTHER;
}

int LineLabel(const std::string& raw, int bFixedForm)
{
    int nLabel = 0;
    int nDigits = 0;
    if (bFixedForm) {
        const std::string strField = SFixedLine(raw).image.substr(0, kLabelField);
        for (const char c : strField) {
            if (c == ' ')
                continue;
            if (!IsDigit(c))
                return 0;  // a comment line, a preprocessor line, or no label
            nLabel = nLabel * 10 + (c - '0');
            ++nDigits;
        }
        return nLabel;
    }
    std::size_t i = raw.find_first_not_of(" \t");
    for (; i != std::string::npos && i < raw.size() && IsDigit(raw[i]); ++i) {
        if (++nDigits > static_cast<int>(kLabelField))
            return 0;
        nLabel = nLabel * 10 + (raw[i] - '0');
    }
    return nLabel;
}

int FindFreeLabel(CLineReader& reader, int bFixedForm)
{
    // Only the candidates are remembered: one flag per multiple of 10.
    std::vector<bool> taken(kLabelLimit / kNewLabelStep, false);
    std::string raw;
    while (!reader.AtEnd()) {
        reader.ReadSourceLine(raw);
        const int nLabel = LineLabel(raw, bFixedForm);
        if (nLabel % kNewLabelStep == 0)
            taken[static_cast<std::size_t>(nLabel / kNewLabelStep)] = true;
    }
    for (int nLabel = kFirstNewLabel; nLabel < kLabelLimit; nLabel += kNewLabelStep)
        if (!taken[static_cast<std::size_t>(nLabel / kNewLabelStep)])
            return nLabel;
    return 0;
}

std::string NewStatementHead(int nLabel, int bFixedForm)
{
    std::string strLabel = std::to_string(nLabel);
    if (bFixedForm && strLabel.size() < kLabelField)
        strLabel.insert(0, kLabelField - strLabel.size(), ' ');
    return strLabel + " FORMAT";
}
