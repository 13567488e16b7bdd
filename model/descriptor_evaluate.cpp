// Evaluation: keeps a descriptor's text and sample in agreement and passes
// the scale factor and the plus-sign mode on to the descriptors after it.
#include "descriptor.h"

#include <algorithm>
#include <climits>

#include "exact_sample.h"
#include "sample_render.h"
#include "string_table.h"

int CDescriptor::EvaluateFromText()
{
    m_bFromText = 1;
    return Evaluate();
}

int CDescriptor::Evaluate()
{
    // A descriptor that was a mode descriptor before this evaluation has
    // changed the modes of every later one too, even when it is no longer one.
    const bool bWasMode = IsModeKind(m_nGoodKind);
    if (!EvaluateSelf())
        return 0;
    if (m_pNext != nullptr) {
        const long long nColumn = EndsRecord(m_nKind) ? 0 : GetColumn() + ColumnWidth();
        EvaluateOnward(m_pNext, nColumn, bWasMode || IsModeKind(m_nKind), true, false);
    }
    return 1;
}

int CDescriptor::EvaluateSelf(long long column)
{
    Touch();
    m_modes = m_pPrev != nullptr ? m_pPrev->m_modes : SNumberModes();
    m_nPassColumn = column;
    int nResult = m_bFromText ? EvaluateTextToSample() : EvaluateSampleToText();
    m_nPassColumn = -1;
    return nResult;
}

// The record of the current text, read only when the text changed since it
// was read last.
const SParsedDescriptor& CDescriptor::ParsedText()
{
    if (!m_bParsed || m_strParsedText != m_strText) {
        m_parsed = ParseDescriptor(m_strText, *m_pTable);
        m_strParsedText = m_strText;
        m_bParsed = true;
    }
    return m_parsed;
}

int CDescriptor::EvaluateTextToSample()
{
    // The empty field stays empty while its text is blank; a text typed into
    // it makes it that descriptor.
    if (m_nGoodKind == KIND_EMPTY && m_strText.find_first_not_of(" \t\n\r\v\f") == std::string::npos) {
        m_strSample.clear();
        m_nRepeat = 1;
        m_nKind = KIND_EMPTY;
        RecordGood(m_goodParsed);
        return 1;
    }
    const SParsedDescriptor& parsed = ParsedText();
    // A record that is valid carries no refusal (and an empty one costs no copy).
    m_refusal = parsed.IsValid() ? SMessage() : parsed.refusal;
    if (!parsed.IsValid() || !Render(m_strSample, m_strValue, parsed, &m_refusal)) {
        m_strSample = INVALID_MARKER;
        m_nRepeat = 1;
        m_nKind = KIND_NONE;
        return 0;
    }
    m_nRepeat = static_cast<int>(parsed.nRepeat);
    m_nKind = parsed.nKind;
    m_refusal = SMessage();
    RecordGood(parsed);
    return 1;
}

int CDescriptor::EvaluateSampleToText()
{
    std::string strText;
    bool bOk = m_goodParsed.IsValid() && Derive(m_strSample, strText, m_goodParsed) != 0;
    m_refusal = bOk ? SMessage() : Message(IDS_WHY_NO_SUCH_SAMPLE, m_strGoodText);
    // The derived text must be a descriptor in its own right (a sample of
    // 1000 characters would derive I1000, wider than any may be).
    SParsedDescriptor derived;
    if (bOk) {
        derived = ParseDescriptor(strText, *m_pTable);
        m_refusal = derived.refusal;
        std::string strProbe;
        CDescriptor probe(*m_pTable);
        bOk = derived.IsValid() && probe.Render(strProbe, std::string(), derived, &m_refusal) != 0;
    }
    if (!bOk) {
        m_strText = INVALID_MARKER;
        return 0;
    }
    m_refusal = SMessage();
    m_nRepeat = static_cast<int>(m_goodParsed.nRepeat);
    m_nKind = m_goodParsed.nKind;
    m_strText = strText;
    m_parsed = derived;
    m_strParsedText = m_strText;
    m_bParsed = true;
    RecordGood(derived);
    return 1;
}

void CDescriptor::RecordGood(const SParsedDescriptor& parsed)
{
    m_strGoodText = m_strText;
    if (&parsed != &m_goodParsed)
        m_goodParsed = parsed;
    m_strGoodSample = m_strSample;
    m_nGoodKind = m_nKind;
    m_nGoodRepeat = m_nRepeat;
    m_goodModes = m_modes;
}

long long CDescriptor::ColumnWidth() const
{
    return static_cast<long long>(m_strSample.size()) * Passes();
}

// After a successful evaluation, every later ")" and T descriptor depends on
// what stands before it (the group's contents, the print column), and after a
// mode descriptor every later descriptor depends on the modes; each of those
// is evaluated again from its text, and each such evaluation would in turn
// re-evaluate the ones after it. One forward pass does the same work: each
// descriptor is evaluated at most once, after everything before it is final,
// so the result equals the recursive re-evaluation at linear cost.
//
// bDependents: an evaluation before pFirst succeeded, so ")" and T are due.
// bAll: a mode descriptor before pFirst changed, so every descriptor is due.
// bEveryOne: evaluate the others too, in their own direction.
void CDescriptor::EvaluateOnward(CDescriptor* pFirst, long long nColumn, bool bAll, bool bDependents, bool bEveryOne)
{
    for (CDescriptor* r = pFirst; r != nullptr; r = r->m_pNext) {
        const bool bDue = bAll || (bDependents && (r->m_nKind == KIND_CLOSE || r->m_nKind == KIND_T));
        if (bDue)
            r->m_bFromText = 1;
        if (bDue || bEveryOne) {
            const bool bWasMode = IsModeKind(r->m_nGoodKind);
            if (r->EvaluateSelf(nColumn)) {
                bDependents = true;
                bAll = bAll || bWasMode || IsModeKind(r->m_nKind);
            }
        }
        nColumn = EndsRecord(r->m_nKind) ? 0 : nColumn + r->ColumnWidth();
    }
}

// ---------------------------------------------------------------------------
// Rendering: the descriptor hands its inputs to the renderers, and itself
// shows what depends on its neighbours (Tn, a group's ")") and the modes.

namespace {

// The strict table's largest repeat count of a group.
constexpr int kMaxGroupRepeat = 99;

// A descriptor wider than the longest sample is shown as if it were that
// wide, so that a width of two thousand million builds no sample of
// gigabytes (the repeated samples are cut to the same length). A width above
// what an int holds stays beyond every table's limit.
// parsed itself when it is not that wide (no copy on every keystroke), else
// its copy in clamped.
const SParsedDescriptor& WithinSampleLength(const SParsedDescriptor& parsed, SParsedDescriptor& clamped)
{
    const auto tooWide = [](long long n) { return n > MAX_SAMPLE_LENGTH && n <= INT_MAX; };
    if (!tooWide(parsed.nW) && !tooWide(parsed.nD) && !tooWide(parsed.nE) && !tooWide(parsed.nCount))
        return parsed;
    clamped = parsed;
    for (long long* pNumber : {&clamped.nW, &clamped.nD, &clamped.nE, &clamped.nCount})
        if (tooWide(*pNumber))
            *pNumber = MAX_SAMPLE_LENGTH;
    return clamped;
}

// The modes after a mode descriptor: those before it, with what it sets.
void SetMode(SNumberModes& modes, const SParsedDescriptor& parsed)
{
    switch (parsed.nKind) {
    case KIND_P: modes.nScale = static_cast<int>(parsed.nCount); break;
    case KIND_SP:
    case KIND_SS:
    case KIND_S: modes.nPlus = parsed.nKind == KIND_SP ? 1 : 0; break;
    case KIND_DC:
    case KIND_DP: modes.nComma = parsed.nKind == KIND_DC ? 1 : 0; break;
    default: modes.nRound = RoundingOfText(std::string("R") + parsed.chRounding); break;
    }
}

}  // namespace

int CDescriptor::Render(std::string& sample, const std::string& value, const SParsedDescriptor& parsed, SMessage* pWhy)
{
    const DescriptorKind kind = parsed.nKind;
    if (!IsKind(kind) || kind == KIND_EMPTY)
        return 0;
    if (kind == KIND_T)
        return RenderTab(sample, parsed, pWhy);
    if (kind == KIND_CLOSE)
        return RenderGroupClose(sample, pWhy);
    if (IsModeKind(kind)) {
        SetMode(m_modes, parsed);
        sample.clear();
        return 1;
    }
    return RenderField(sample, value, parsed, pWhy);
}

// Tn: blanks from the print column up to column n.
int CDescriptor::RenderTab(std::string& sample, const SParsedDescriptor& parsed, SMessage* pWhy) const
{
    const long long nMax = MaxFieldNumber(m_pTable->ExtendedForms());
    if (parsed.nCount > nMax) {
        if (pWhy != nullptr)
            *pWhy = Message(IDS_WHY_ABOVE_LIMIT, parsed.nCount, nMax);
        return 0;
    }
    sample.assign(static_cast<std::size_t>(std::max(std::min(parsed.nCount, MAX_SAMPLE_LENGTH) - PrintColumn(), 0LL)),
                  ' ');
    return 1;
}

// The sample of a descriptor that prints, from the renderers.
int CDescriptor::RenderField(std::string& sample, const std::string& value, const SParsedDescriptor& parsed,
                             SMessage* pWhy)
{
    SParsedDescriptor clamped;
    if (m_bExact && m_pReading == nullptr)
        m_pReading = std::make_unique<SRealReading>();
    const SSampleInput in{WithinSampleLength(parsed, clamped), value,    m_modes,
                          m_pTable->ExtendedForms(),           m_bExact, m_pReading.get()};
    return RenderSample(in, sample, pWhy);
}

// A group's ")" shows the group's extra passes: one pass is what the
// descriptors from the opener up to here print, written c - 1 times for an
// opener with repeat count c. An unlimited group, *(, repeats as long as data
// remain: its ")" shows no extra passes.
int CDescriptor::RenderGroupClose(std::string& sample, SMessage* pWhy) const
{
    sample.clear();
    const CDescriptor* pOpen = m_pPrev;
    for (int nDepth = 1; pOpen != nullptr; pOpen = pOpen->m_pPrev) {
        if (pOpen->m_nKind == KIND_CLOSE)
            ++nDepth;
        else if (OpensGroup(pOpen->m_nKind) && --nDepth == 0)
            break;
    }
    if (pOpen == nullptr) {
        sample = INVALID_MARKER;
        return 1;
    }
    const long long c = pOpen->m_nRepeat;
    if (c <= 1 || pOpen->m_nKind == KIND_OPEN_ANY)
        return 1;
    const bool bCut = m_pTable->ExtendedForms();
    if (!bCut && c > kMaxGroupRepeat) {
        if (pWhy != nullptr)
            *pWhy = Message(IDS_WHY_GROUP_REPEAT, kMaxGroupRepeat);
        return 0;
    }

    // The length of one pass (each part is at most MAX_SAMPLE_LENGTH, so the
    // sum stops growing soon after the limit without overflowing).
    long long nPass = 0;
    for (const CDescriptor* p = pOpen; p != this && nPass <= MAX_SAMPLE_LENGTH; p = p->m_pNext)
        nPass += p->ShownWidth();
    if (nPass == 0)
        return 1;
    const long long nTotal = nPass > MAX_SAMPLE_LENGTH ? nPass : nPass * (c - 1);
    if (nTotal > MAX_SAMPLE_LENGTH && !bCut) {
        if (pWhy != nullptr)
            *pWhy = Message(IDS_WHY_GROUP_LENGTH, MAX_SAMPLE_LENGTH);
        return 0;
    }
    // Only what is shown is built: one pass, itself cut to the limit.
    const long long nShown = std::min(nTotal, MAX_SAMPLE_LENGTH);
    std::string strPass;
    strPass.reserve(static_cast<std::size_t>(nShown));
    for (const CDescriptor* p = pOpen; p != this && static_cast<long long>(strPass.size()) < nShown; p = p->m_pNext) {
        // Its repeated sample (GetRepeatedSample), appended in place.
        const std::string& strSample = p->m_strSample;
        const std::size_t nWidth = static_cast<std::size_t>(p->ShownWidth());
        for (std::size_t n = 0; n < nWidth && !strSample.empty(); n += strSample.size())
            strPass.append(strSample, 0, nWidth - n);
    }
    if (static_cast<long long>(strPass.size()) > nShown)
        strPass.resize(static_cast<std::size_t>(nShown));
    nPass = static_cast<long long>(strPass.size());
    sample.reserve(static_cast<std::size_t>(nShown));
    while (static_cast<long long>(sample.size()) + nPass <= nShown)
        sample += strPass;
    sample.append(strPass, 0, static_cast<std::size_t>(nShown - static_cast<long long>(sample.size())));
    return 1;
}
