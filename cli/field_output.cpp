#include "field_output.h"

#include <algorithm>
#include <cstdio>

namespace {

// Control characters would break the columns; they show as "~".
std::string Printable(const std::string& text)
{
    std::string s = text;
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '~';
    return s;
}

void PutAt(std::string& line, long long nColumn, const std::string& text)
{
    const std::size_t nAt = static_cast<std::size_t>(nColumn);
    if (line.size() < nAt + text.size())
        line.resize(nAt + text.size(), ' ');
    line.replace(nAt, text.size(), text);
}

// Ticks for every column, ":" every 5 and "|" every 10, then the tens
// labelled so that each label ends under its tick.
void WriteRuler(std::ostream& out, std::size_t nWidth)
{
    std::string ticks, labels;
    for (std::size_t c = 1; c <= nWidth; ++c)
        ticks += c % 10 == 0 ? '|' : (c % 5 == 0 ? ':' : '.');
    for (std::size_t c = 10; c <= nWidth; c += 10) {
        const std::string strLabel = std::to_string(c);
        PutAt(labels, static_cast<long long>(c - strLabel.size()), strLabel);
    }
    out << ticks << '\n';
    if (!labels.empty())
        out << labels << '\n';
}

// One output record: the texts, each above the start of its sample, spread
// over as many lines as they need not to overlap; the samples as printed;
// marks under invalid fields; the ruler.
void WriteRecord(std::ostream& out, const CDescriptorList& list, const std::vector<SFieldLayout>& layout,
                 int nFirst, int nEnd)
{
    std::vector<std::string> lanes;
    std::vector<long long> laneFree;  // first column each lane has free
    std::string strSamples, strMarks;
    for (int i = nFirst; i < nEnd; ++i) {
        const SFieldLayout& f = layout[static_cast<std::size_t>(i)];
        const std::string strText = Printable(list.At(i).Text());
        std::size_t nLane = 0;
        while (nLane < lanes.size() && laneFree[nLane] > f.nColumn)
            ++nLane;
        if (nLane == lanes.size()) {
            lanes.emplace_back();
            laneFree.push_back(0);
        }
        PutAt(lanes[nLane], f.nColumn, strText);
        laneFree[nLane] = f.nColumn + static_cast<long long>(strText.size()) + 1;
        strSamples += Printable(f.strRepeated);
        if (IsInvalidField(list.At(i)))
            PutAt(strMarks, f.nColumn, std::string(std::max<std::size_t>(1, f.strRepeated.size()), '^'));
    }
    for (const std::string& lane : lanes)
        out << lane << '\n';
    out << strSamples << '\n';
    if (!strMarks.empty())
        out << strMarks << "  <- invalid\n";
    WriteRuler(out, std::max<std::size_t>(strSamples.size(), 1));
}

void WriteFieldTable(std::ostream& out, const CDescriptorList& list, const std::vector<SFieldLayout>& layout)
{
    std::size_t nTextWidth = 4;
    for (int i = 0; i < list.size(); ++i)
        nTextWidth = std::min<std::size_t>(std::max(nTextWidth, list.At(i).Text().size()), 24);
    char szHead[64];
    std::snprintf(szHead, sizeof szHead, "%5s %5s  %-*s  %s", "field", "col", static_cast<int>(nTextWidth), "text",
                  "sample");
    out << szHead << '\n';
    for (int i = 0; i < list.size(); ++i) {
        const SFieldLayout& f = layout[static_cast<std::size_t>(i)];
        std::string strText = Printable(list.At(i).Text());
        strText.resize(std::max(strText.size(), nTextWidth), ' ');
        char szIndex[48];
        std::snprintf(szIndex, sizeof szIndex, "%5d %5lld  ", i, f.nColumn + 1);
        out << szIndex << strText << "  |" << Printable(f.strRepeated) << '|'
            << (IsInvalidField(list.At(i)) ? "  invalid" : "") << '\n';
    }
}

}  // namespace

bool IsInvalidField(const CDescriptor& d)
{
    return d.Kind() == KIND_NONE || d.Text() == INVALID_MARKER;
}

std::vector<SFieldLayout> LayOutFields(const CDescriptorList& list)
{
    std::vector<SFieldLayout> layout;
    layout.reserve(static_cast<std::size_t>(list.size()));
    int nRecord = 0;
    long long nColumn = 0;
    for (int i = 0; i < list.size(); ++i) {
        const CDescriptor& d = list.At(i);
        SFieldLayout f{nRecord, nColumn, std::string()};
        d.GetRepeatedSample(f.strRepeated);
        nColumn += static_cast<long long>(f.strRepeated.size());
        layout.push_back(std::move(f));
        if (EndsRecord(d.Kind())) {
            ++nRecord;
            nColumn = 0;
        }
    }
    return layout;
}

void WritePlain(std::ostream& out, const CDescriptorList& list)
{
    const std::vector<SFieldLayout> layout = LayOutFields(list);
    int nFirst = 0;
    for (int i = 0; i <= list.size(); ++i) {
        if (i < list.size() && (i == 0 || layout[static_cast<std::size_t>(i)].nRecord == layout[static_cast<std::size_t>(i - 1)].nRecord))
            continue;
        if (i > nFirst) {
            if (nFirst > 0)
                out << '\n';
            WriteRecord(out, list, layout, nFirst, i);
        }
        nFirst = i;
    }
    out << '\n';
    WriteFieldTable(out, list, layout);
}

std::string JsonString(const std::string& text)
{
    std::string s = "\"";
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': s += "\\\""; break;
        case '\\': s += "\\\\"; break;
        case '\n': s += "\\n"; break;
        case '\r': s += "\\r"; break;
        case '\t': s += "\\t"; break;
        case '\b': s += "\\b"; break;
        case '\f': s += "\\f"; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                char szEscape[8];
                std::snprintf(szEscape, sizeof szEscape, "\\u%04x", c);
                s += szEscape;
            } else {
                s += ch;
            }
        }
    }
    return s + "\"";
}

void WriteJson(std::ostream& out, const CDescriptorList& list, const std::vector<std::string>& messages,
               const JsonMembers& extra)
{
    const std::vector<SFieldLayout> layout = LayOutFields(list);
    out << "{\"fields\": [";
    for (int i = 0; i < list.size(); ++i) {
        const CDescriptor& d = list.At(i);
        const SFieldLayout& f = layout[static_cast<std::size_t>(i)];
        out << (i ? ",\n  " : "\n  ") << "{\"text\": " << JsonString(d.Text())
            << ", \"sample\": " << JsonString(d.Sample())
            << ", \"repeated_sample\": " << JsonString(f.strRepeated)
            << ", \"value\": " << JsonString(d.Value())
            << ", \"kind\": " << d.Kind()
            << ", \"repeat\": " << d.Repeat()
            << ", \"column\": " << f.nColumn
            << ", \"scale\": " << d.Scale()
            << ", \"plus\": " << (d.Plus() ? "true" : "false") << "}";
    }
    out << (list.size() ? "\n ]" : "]") << ",\n \"balanced\": " << (list.IsBalanced() ? "true" : "false")
        << ",\n \"messages\": [";
    for (std::size_t i = 0; i < messages.size(); ++i)
        out << (i ? ", " : "") << JsonString(messages[i]);
    out << "]";
    for (const std::string& member : extra)
        out << ",\n " << member;
    out << "}\n";
}
