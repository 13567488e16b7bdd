#include "typed_sample.h"

#include <algorithm>
#include <optional>

#include "descriptor_kind.h"
#include "descriptor_list.h"
#include "exact_field.h"
#include "sample_render.h"

namespace {

// How the run time lays an item out under an edit that fits its type.
enum class TypedLayout { NONE, INTEGER, LOGICAL, CHARACTER };

// By the edit's family and the item's type: an integer under G as under I,
// a logical under G or L as under L, a character item under G or A as
// under A.
TypedLayout LayoutOf(DescriptorFamily family, ItemType type)
{
    struct SRule {
        DescriptorFamily family;
        ItemType type;
        TypedLayout layout;
    };
    constexpr SRule kRules[] = {
        {FAMILY_GENERAL, ItemType::INTEGER, TypedLayout::INTEGER},
        {FAMILY_GENERAL, ItemType::LOGICAL, TypedLayout::LOGICAL},
        {FAMILY_GENERAL, ItemType::CHARACTER, TypedLayout::CHARACTER},
        {FAMILY_LOGICAL, ItemType::LOGICAL, TypedLayout::LOGICAL},
        {FAMILY_CHARACTER, ItemType::CHARACTER, TypedLayout::CHARACTER},
    };
    for (const SRule& rule : kRules)
        if (rule.family == family && rule.type == type)
            return rule.layout;
    return TypedLayout::NONE;
}

// The default sample of the edit of kind nKind and width w, as the
// renderer makes it (I0 for an integer in G's minimal width).
std::string Rendered(DescriptorKind nKind, long long w, const SNumberModes& modes)
{
    SParsedDescriptor equivalent;
    equivalent.nKind = nKind;
    equivalent.bHasWidth = true;
    equivalent.nW = w;
    static const std::string kNoValue;
    std::string sample;
    if (!RenderSample({equivalent, kNoValue, modes, true, false, nullptr}, sample, nullptr))
        sample.clear();
    return sample;
}

}  // namespace

bool TypedPassSample(const SParsedDescriptor& parsed, const SItemType& item, const SNumberModes& modes,
                     std::string& sample)
{
    if (!parsed.IsValid() || !IsKind(parsed.nKind))
        return false;
    const TypedLayout layout = LayoutOf(FamilyOf(parsed.nKind), item.type);
    if (layout == TypedLayout::NONE || JudgeTransfer(parsed.nKind, item, false).verdict != TransferVerdict::FITS)
        return false;
    // G alone, G0, G0.d, L alone and A alone: the width the type takes.
    const bool bMinimal = IsWrittenAlone(parsed.nKind) || parsed.nW == 0;
    const long long w = std::min(parsed.nW, MAX_SAMPLE_LENGTH);
    switch (layout) {
    case TypedLayout::INTEGER: sample = Rendered(KIND_IW, bMinimal ? 0 : w, modes); break;
    case TypedLayout::LOGICAL: sample = Rendered(KIND_LW, bMinimal ? 1 : w, modes); break;
    default: {
        if (item.nLength < 0)
            return false;
        // A shorter item right-aligned in the field, a longer one's first w.
        const long long n = std::min(item.nLength, MAX_SAMPLE_LENGTH);
        sample = exact::RightAligned(exact::AlphabetRun(n), bMinimal ? n : w);
    }
    }
    return !sample.empty() || layout == TypedLayout::CHARACTER;
}

std::vector<std::vector<SItemType>> FirstRecordTypes(const SItemMatch& match, const std::vector<SIoItem>& items,
                                                     std::size_t nFields)
{
    std::vector<std::vector<SItemType>> types(nFields);
    std::vector<std::optional<long long>> records(nFields);
    for (const SItemEdit& edit : match.edits) {
        if (edit.nField >= nFields || edit.nItem >= items.size())
            continue;
        std::optional<long long>& record = records[edit.nField];
        if (!record)
            record = edit.nRecord;
        if (*record == edit.nRecord)
            types[edit.nField].push_back(items[edit.nItem].type);
    }
    return types;
}

namespace {

// Builds the typed samples field by field.
class CTypedSamples {
public:
    CTypedSamples(const CDescriptorList& list, const std::vector<std::vector<SItemType>>& types)
        : m_list(list), m_types(types), m_samples(static_cast<std::size_t>(list.size()))
    {
    }

    std::vector<std::optional<std::string>> Make()
    {
        long long nColumn = 0;  // where the record stands, as the samples shown lay it out
        for (int i = 0; i < m_list.size(); ++i) {
            const CDescriptor& d = m_list.At(i);
            const std::optional<std::string>& shown = m_samples[static_cast<std::size_t>(i)];
            if (!Custom(d))  // a value or a sample of the user's own is shown as it is
                Lay(i, nColumn);
            nColumn = EndsRecord(d.Kind()) ? 0
                                           : nColumn + (shown ? static_cast<long long>(shown->size()) : d.ShownWidth());
        }
        return std::move(m_samples);
    }

private:
    // A field given a value of its own, or whose sample the user typed.
    static bool Custom(const CDescriptor& d) { return !d.Value().empty() || !d.IsFromText(); }

    const std::vector<SItemType>& TypesOf(int i) const
    {
        static const std::vector<SItemType> kNone;
        return static_cast<std::size_t>(i) < m_types.size() ? m_types[static_cast<std::size_t>(i)] : kNone;
    }

    // The samples of field i's pass nPass through its repeat count, for
    // its elements of that pass, appended to out; whether any is typed.
    // *pEnded: the elements ran out within the pass.
    bool Field(int i, long long nPass, std::string& out, bool* pEnded = nullptr)
    {
        const CDescriptor& d = m_list.At(i);
        const std::vector<SItemType>& types = TypesOf(i);
        const auto nFrom = static_cast<std::size_t>(
            std::min<long long>(nPass * d.Passes(), static_cast<long long>(types.size())));
        const std::size_t nTo = std::min(types.size(), nFrom + static_cast<std::size_t>(d.Passes()));
        bool bTyped = false;
        std::string piece;
        for (std::size_t k = nFrom; k < nTo && static_cast<long long>(out.size()) < MAX_SAMPLE_LENGTH; ++k) {
            const bool bThis = !Custom(d) && TypedPassSample(d.GoodParsed(), types[k], d.Modes(), piece);
            out += bThis ? piece : d.Sample();
            bTyped = bTyped || bThis;
        }
        if (static_cast<long long>(out.size()) > MAX_SAMPLE_LENGTH)
            out.resize(static_cast<std::size_t>(MAX_SAMPLE_LENGTH));
        if (pEnded != nullptr)
            *pEnded = nTo - nFrom < static_cast<std::size_t>(d.Passes());
        return bTyped;
    }

    // Field i's sample where its items or the samples before it change it.
    void Lay(int i, long long nColumn)
    {
        const CDescriptor& d = m_list.At(i);
        std::string sample;
        if (IsDataFamily(FamilyOf(d.Kind())) && Field(i, 0, sample))
            m_samples[static_cast<std::size_t>(i)] = std::move(sample);
        else if (d.Kind() == KIND_CLOSE)
            GroupClose(i);
        else if (d.Kind() == KIND_T)
            Tab(d, nColumn, m_samples[static_cast<std::size_t>(i)]);
    }

    // Tn: blanks up to column n from where the samples before it end, where
    // a typed sample moved that place.
    static void Tab(const CDescriptor& d, long long nColumn, std::optional<std::string>& shown)
    {
        const long long nTo = std::min(d.GoodParsed().nCount, MAX_SAMPLE_LENGTH);
        const auto nBlanks = static_cast<std::size_t>(std::max(nTo - nColumn, 0LL));
        if (nBlanks != d.Sample().size())
            shown = std::string(nBlanks, ' ');
    }

    // The ")" of a repeated group: its later passes, each field of the
    // group itself with its elements of that pass, the rest (a nested
    // group's fields and ")", constants, blanks) as they are shown, up to
    // the field where the elements run out.
    void GroupClose(int nClose)
    {
        const int nOpen = Opener(nClose);
        if (nOpen < 0 || m_list.At(nOpen).Kind() == KIND_OPEN_ANY || m_list.At(nOpen).Repeat() <= 1)
            return;
        std::string out;
        // A group with a typed field shows its later passes as the elements go.
        bool bTyped = false;
        for (int k = nOpen + 1; k < nClose; ++k)
            bTyped = bTyped || m_samples[static_cast<std::size_t>(k)].has_value();
        bool bEnded = false;
        // (a pass that shows nothing is the same each time: the later ones go)
        for (long long nPass = 1, nBefore = -1;
             nPass < m_list.At(nOpen).Repeat() && !bEnded && nBefore < static_cast<long long>(out.size()) &&
             static_cast<long long>(out.size()) < MAX_SAMPLE_LENGTH;
             ++nPass) {
            nBefore = static_cast<long long>(out.size());
            for (int m = nOpen; m < nClose && !bEnded && static_cast<long long>(out.size()) < MAX_SAMPLE_LENGTH;
                 m = Past(m)) {
                if (IsDataFamily(FamilyOf(m_list.At(m).Kind())) && !TypesOf(m).empty())
                    bTyped = Field(m, nPass, out, &bEnded) || bTyped;
                else
                    out += Shown(m);
            }
        }
        if (bTyped)
            m_samples[static_cast<std::size_t>(nClose)] = out.substr(0, static_cast<std::size_t>(MAX_SAMPLE_LENGTH));
    }

    // What field m shows: its typed sample, else its repeated one; a
    // nested group whole, from its opener to its ")".
    std::string Shown(int m) const
    {
        std::string text;
        const int nPast = Past(m);
        for (int k = m; k < nPast; ++k) {
            const std::optional<std::string>& typed = m_samples[static_cast<std::size_t>(k)];
            std::string repeated;
            if (!typed)
                m_list.GetRepeatedSample(k, repeated);
            text += typed ? *typed : repeated;
        }
        return text;
    }

    // The field after m at m's depth: past a nested group's ")".
    int Past(int m) const
    {
        if (!OpensGroup(m_list.At(m).Kind()) || m == m_nOpen)
            return m + 1;
        for (int k = m + 1, nDepth = 1; k < m_list.size(); ++k) {
            if (OpensGroup(m_list.At(k).Kind()))
                ++nDepth;
            else if (m_list.At(k).Kind() == KIND_CLOSE && --nDepth == 0)
                return k + 1;
        }
        return m_list.size();
    }

    int Opener(int nClose)
    {
        for (int k = nClose - 1, nDepth = 1; k >= 0; --k) {
            if (m_list.At(k).Kind() == KIND_CLOSE)
                ++nDepth;
            else if (OpensGroup(m_list.At(k).Kind()) && --nDepth == 0)
                return m_nOpen = k;
        }
        return -1;
    }

    const CDescriptorList& m_list;
    const std::vector<std::vector<SItemType>>& m_types;
    std::vector<std::optional<std::string>> m_samples;
    int m_nOpen = -1;  // the group whose ")" is being made
};

}  // namespace

std::vector<std::optional<std::string>> TypedSamples(const CDescriptorList& list,
                                                     const std::vector<std::vector<SItemType>>& types)
{
    return CTypedSamples(list, types).Make();
}
