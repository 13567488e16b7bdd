// One edit descriptor of the statement: its text, its sample and the modes
// it inherits, kept in agreement by evaluation in either direction.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "descriptor_kind.h"
#include "descriptor_parser.h"
#include "descriptor_table.h"
#include "exact_sample.h"
#include "format_scanner.h"

using CStringArray = std::vector<std::string>;

class CDescriptorList;

class CDescriptor {
public:
    // A new descriptor has empty strings, evaluates from its text with the
    // given table and is not linked; the list creates and owns the ones of
    // the statement.
    explicit CDescriptor(const CDescriptorTable& table = DefaultDescriptorTable());
    virtual ~CDescriptor() = default;
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;

    void SetText(const char* text);
    void GetText(std::string& out) const { out = m_strText; }
    void SetSample(const char* text);
    void GetSample(std::string& out) const { out = m_strSample; }
    void GetRepeatedSample(std::string& out) const;
    int SetValue(const char* text);
    void GetValue(std::string& out) const { out = m_strValue; }
    void RevertToGood();
    int GetColumn() const;
    int NeedsComma() const;
    // The text as a statement holds it: without the white space around it,
    // which the splitter does not take into a text either (the blanks a
    // Hollerith constant ends with are its characters and stay).
    std::string StatementText() const;

    // A number that grows with every change of the descriptor (every setter
    // and every evaluation); unique across all descriptors, so that a view
    // can tell whether what it shows of one is still current.
    unsigned long long Revision() const { return m_nRevision; }

    // A number given when the descriptor is made and never changed, unique
    // across all descriptors: whoever noted it can find the same descriptor
    // again after fields were inserted, removed or retyped around it.
    unsigned long long Identity() const { return m_nIdentity; }

    // Evaluates in the current direction and brings the later descriptors
    // that depend on this one up to date. 1 on success, 0 on failure.
    int Evaluate();
    int EvaluateFromText();

    // Evaluates this descriptor alone, without touching the ones after it.
    // `column`, when not negative, is the print column before it, already
    // known to the caller (saves walking back for tab descriptors).
    int EvaluateSelf(long long column = -1);

    // Writes the sample one pass of the parsed descriptor prints, with the
    // value (empty: the default sample) and the modes in force; 0 when its
    // numbers are impossible, with why in *pWhy when it is given. Whether a
    // descriptor is valid never depends on the value: a value it cannot
    // print shows as asterisks.
    int Render(std::string& sample, const std::string& value, const SParsedDescriptor& parsed,
               SMessage* pWhy = nullptr);

    // Writes a descriptor text of the same kind as the parsed good text that
    // prints `sample`; 0 when there is none.
    int Derive(const std::string& sample, std::string& text, const SParsedDescriptor& good) const;

    // Read access for the list's callers and the tests.
    const std::string& Text() const { return m_strText; }
    const std::string& Sample() const { return m_strSample; }
    const std::string& Value() const { return m_strValue; }
    const std::string& GoodText() const { return m_strGoodText; }
    const std::string& GoodSample() const { return m_strGoodSample; }
    const CDescriptor* Prev() const { return m_pPrev; }
    const CDescriptor* Next() const { return m_pNext; }
    int IsFromText() const { return m_bFromText; }
    int Repeat() const { return m_nRepeat; }
    // How many times the sample is printed: the repeat count, at least once.
    int Passes() const { return m_nRepeat > 1 ? m_nRepeat : 1; }
    // How many characters the repeated sample shows: the sample times its
    // passes, cut to MAX_SAMPLE_LENGTH.
    long long ShownWidth() const;
    // The modes in force: the sign, the scale factor, the decimal symbol and
    // the rounding (which only the exact samples use).
    const SNumberModes& Modes() const { return m_modes; }
    int Scale() const { return static_cast<int>(m_modes.nScale); }
    int Plus() const { return m_modes.nPlus; }
    int Kind() const { return m_nKind; }
    int GoodKind() const { return m_nGoodKind; }
    // The record of the last text that evaluated.
    const SParsedDescriptor& GoodParsed() const { return m_goodParsed; }
    // Why the last evaluation failed, as the parser, the renderer or the
    // deriver refused it (string ID 0 after a success).
    const SMessage& Refusal() const { return m_refusal; }

private:
    friend class CDescriptorList;
    friend struct SDescriptorTestAccess;  // the tests' reference evaluation

    int EvaluateTextToSample();
    // The simplified layouts' derivation, and the exact mode's, which reads
    // the compiler's characters and checks that the descriptor prints the
    // sample's own value exactly as typed.
    int DeriveSimplified(const std::string& sample, std::string& text, const SParsedDescriptor& good) const;
    int DeriveExact(const std::string& sample, std::string& text, const SParsedDescriptor& good) const;
    int EvaluateSampleToText();
    // Takes the text, sample, kind, repeat count, modes and record just
    // evaluated as the good state that RevertToGood brings back.
    void RecordGood(const SParsedDescriptor& parsed);
    void Touch();
    const SParsedDescriptor& ParsedText();
    long long ColumnWidth() const;
    static void EvaluateOnward(CDescriptor* pFirst, long long nColumn, bool bAll, bool bDependents, bool bEveryOne);
    long long PrintColumn() const;
    int RenderGroupClose(std::string& sample, SMessage* pWhy) const;
    int RenderTab(std::string& sample, const SParsedDescriptor& parsed, SMessage* pWhy) const;
    int RenderField(std::string& sample, const std::string& value, const SParsedDescriptor& parsed, SMessage* pWhy);

    std::string m_strText;
    std::string m_strSample;
    std::string m_strValue;
    std::string m_strGoodText;
    std::string m_strGoodSample;
    CDescriptor* m_pPrev = nullptr;
    CDescriptor* m_pNext = nullptr;
    int m_bFromText = 1;
    unsigned long long m_nRevision = 0;
    unsigned long long m_nIdentity = 0;
    int m_nRepeat = 1;
    int m_nKind = KIND_NONE;
    // The modes in force, inherited from the descriptor before.
    SNumberModes m_modes;
    // The samples are what gfortran prints (the exact mode) rather than the
    // simplified layouts.
    bool m_bExact = false;

    // What the last successful evaluation left, for RevertToGood: besides the
    // good text and sample, the kind, the repeat count and the modes.
    int m_nGoodKind = KIND_NONE;
    int m_nGoodRepeat = 1;
    SNumberModes m_goodModes;

    // The table the descriptor is read with.
    const CDescriptorTable* m_pTable;
    // The text read last and its record: a text read once is not read again
    // while it stays the same. The good text's record beside it.
    std::string m_strParsedText;
    bool m_bParsed = false;
    SParsedDescriptor m_parsed;
    SParsedDescriptor m_goodParsed;

    // The latest reading of the value (or default value) the exact sample
    // showed, kept so that laying the sample out again reads nothing again;
    // made by the first exact sample.
    std::unique_ptr<SRealReading> m_pReading;

    // Why the last evaluation failed; empty after a success.
    SMessage m_refusal;

    // The print column handed in by EvaluateSelf, or -1 to walk back for it.
    long long m_nPassColumn = -1;
};

// The marker that stands in the sample, or the text, of a descriptor whose
// evaluation failed.
inline constexpr const char* INVALID_MARKER = "??????";

// The longest sample one descriptor may have. A group's closing parenthesis
// shows all its extra passes, which multiply with the nesting; a group that
// would print more than this in one record is taken as invalid under the
// strict table, and shown cut to this length under the default table, whose
// repeat counts go up to 2147483647. A descriptor's repeated sample is cut to
// this length too, so memory stays bounded whatever the counts.
inline constexpr long long MAX_SAMPLE_LENGTH = 1 << 20;
