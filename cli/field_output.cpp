#include "field_output.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "field_layout.h"

namespace {

std::string Printable(const std::string& text)
{
    std::string s = text;
    for (char& c : s)
        c = ShownChar(c);
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
    // The mark under a character is the one at the boundary after it.
    static constexpr char kMarks[] = {'.', ':', '|'};
    for (std::size_t c = 1; c <= nWidth; ++c)
        ticks += kMarks[RulerTickAt(static_cast<long long>(c))];
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
void WriteRecord(std::ostream& out, const CDescriptorList& list, const std::vector<SFieldPlace>& layout, int nFirst,
                 int nEnd)
{
    std::vector<std::string> lanes;
    std::vector<long long> laneFree;  // first column each lane has free
    std::string strSamples, strMarks;
    for (int i = nFirst; i < nEnd; ++i) {
        const SFieldPlace& f = layout[static_cast<std::size_t>(i)];
        const std::string strText = Printable(list.At(i).Text());
        std::string strRepeated;
        list.GetRepeatedSample(i, strRepeated);
        std::size_t nLane = 0;
        while (nLane < lanes.size() && laneFree[nLane] > f.nColumn)
            ++nLane;
        if (nLane == lanes.size()) {
            lanes.emplace_back();
            laneFree.push_back(0);
        }
        PutAt(lanes[nLane], f.nColumn, strText);
        laneFree[nLane] = f.nColumn + static_cast<long long>(strText.size()) + 1;
        strSamples += Printable(strRepeated);
        if (IsInvalidField(list.At(i)))
            PutAt(strMarks, f.nColumn, std::string(std::max<std::size_t>(1, strRepeated.size()), '^'));
    }
    for (const std::string& lane : lanes)
        out << lane << '\n';
    out << strSamples << '\n';
    if (!strMarks.empty())
        out << strMarks << "  <- invalid\n";
    WriteRuler(out, std::max<std::size_t>(strSamples.size(), 1));
}

void WriteFieldTable(std::ostream& out, const CDescriptorList& list, const std::vector<SFieldPlace>& layout)
{
    std::size_t nTextWidth = 4;
    for (int i = 0; i < list.size(); ++i)
        nTextWidth = std::min<std::size_t>(std::max(nTextWidth, list.At(i).Text().size()), 24);
    char szHead[64];
    std::snprintf(szHead, sizeof szHead, "%5s %5s  %-*s  %s", "field", "col", static_cast<int>(nTextWidth), "text",
                  "sample");
    out << szHead << '\n';
    for (int i = 0; i < list.size(); ++i) {
        const SFieldPlace& f = layout[static_cast<std::size_t>(i)];
        std::string strText = Printable(list.At(i).Text());
        std::string strRepeated;
        list.GetRepeatedSample(i, strRepeated);
        strText.resize(std::max(strText.size(), nTextWidth), ' ');
        char szIndex[48];
        std::snprintf(szIndex, sizeof szIndex, "%5d %5lld  ", i, f.nColumn + 1);
        out << szIndex << strText << "  |" << Printable(strRepeated) << '|'
            << (IsInvalidField(list.At(i)) ? "  invalid" : "") << '\n';
    }
}

}  // namespace

void WritePlain(std::ostream& out, const CDescriptorList& list)
{
    const std::vector<SFieldPlace> layout = LayOutFields(list);
    int nFirst = 0;
    for (int i = 0; i <= list.size(); ++i) {
        if (i < list.size() &&
            (i == 0 || layout[static_cast<std::size_t>(i)].nRecord == layout[static_cast<std::size_t>(i - 1)].nRecord))
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

JsonValue JsonText(const std::string& text)
{
    std::string strUtf8;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            strUtf8 += ch;
        } else {
            strUtf8 += static_cast<char>(0xc0 | (c >> 6));
            strUtf8 += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return strUtf8;
}

JsonValue FieldsJson(const CDescriptorList& list, const std::vector<std::string>& messages)
{
    const std::vector<SFieldPlace> layout = LayOutFields(list);
    JsonValue fields = JsonValue::array();
    for (int i = 0; i < list.size(); ++i) {
        const CDescriptor& d = list.At(i);
        std::string strRepeated;
        list.GetRepeatedSample(i, strRepeated);
        fields.push_back({{"text", JsonText(d.Text())},
                          {"sample", JsonText(d.Sample())},
                          {"repeated_sample", JsonText(strRepeated)},
                          {"value", JsonText(d.Value())},
                          {"kind", static_cast<int>(d.Kind())},
                          {"repeat", d.Repeat()},
                          {"column", layout[static_cast<std::size_t>(i)].nColumn},
                          {"scale", d.Scale()},
                          {"plus", static_cast<bool>(d.Plus())}});
    }
    JsonValue texts = JsonValue::array();
    for (const std::string& message : messages)
        texts.push_back(JsonText(message));
    return {{"fields", fields}, {"balanced", static_cast<bool>(list.IsBalanced())}, {"messages", texts}};
}

std::string JsonLine(const JsonValue& value)
{
    if (!value.is_object() && !value.is_array())
        return value.dump(-1, ' ', true);
    std::string strLine;
    for (auto it = value.begin(); it != value.end(); ++it) {
        strLine += strLine.empty() ? "" : ", ";
        if (value.is_object())
            strLine += JsonValue(it.key()).dump() + ": ";
        strLine += JsonLine(it.value());
    }
    return value.is_object() ? "{" + strLine + "}" : "[" + strLine + "]";
}

void WriteJson(std::ostream& out, const JsonValue& document)
{
    const char* pszBetween = "";
    out << "{";
    for (auto it = document.begin(); it != document.end(); ++it) {
        out << pszBetween << JsonValue(it.key()).dump() << ": ";
        pszBetween = ",\n ";
        if (it.key() != "fields" || it.value().empty()) {
            out << JsonLine(it.value());
            continue;
        }
        for (std::size_t i = 0; i < it.value().size(); ++i)
            out << (i ? ",\n  " : "[\n  ") << JsonLine(it.value()[i]);
        out << "\n ]";
    }
    out << "}\n";
}
