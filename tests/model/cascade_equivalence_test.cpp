// The forward pass that brings later descriptors up to date after an edit
// must leave exactly the state that recursive re-evaluation leaves: after a
// successful evaluation each later ")" and T descriptor (every later one,
// after a mode descriptor) is evaluated again, and each of those
// evaluations re-evaluates what follows it in turn. The recursive form lives
// here as the reference; it costs about 2^n evaluations for n groups or
// mode descriptors, so the generated lists stay short.
#include <gtest/gtest.h>

#include <random>

#include "model_helpers.h"

struct SDescriptorTestAccess {
    static int Evaluate(CDescriptor& d)
    {
        const bool bWasMode = IsModeKind(d.m_nGoodKind);
        if (!d.EvaluateSelf())
            return 0;
        const bool bAll = bWasMode || IsModeKind(d.m_nKind);
        for (CDescriptor* r = d.m_pNext; r != nullptr; r = r->m_pNext) {
            if (bAll || r->m_nKind == KIND_CLOSE || r->m_nKind == KIND_T) {
                r->m_bFromText = 1;
                Evaluate(*r);
            }
        }
        return 1;
    }

    static int SetText(CDescriptorList& list, int i, const char* text)
    {
        CDescriptor& d = list.Item(i);
        d.SetText(text);
        const int result = Evaluate(d);
        list.m_bInvalid = !result;
        return result;
    }

    static int SetSample(CDescriptorList& list, int i, const char* text)
    {
        CDescriptor& d = list.Item(i);
        d.SetSample(text);
        const int result = Evaluate(d);
        list.m_bInvalid = !result;
        return result;
    }

    static int EvaluateFromText(CDescriptorList& list, int i)
    {
        list.Item(i).m_bFromText = 1;
        return Evaluate(list.Item(i));
    }

    static int SetValue(CDescriptorList& list, int i, const char* text)
    {
        CDescriptor& d = list.Item(i);
        const std::string strOld = d.m_strValue;
        d.m_strValue = text;
        d.Touch();
        if (EvaluateFromText(list, i))
            return 1;
        d.m_strValue = strOld;
        EvaluateFromText(list, i);
        return 0;
    }

    static int Insert(CDescriptorList& list, int index, const char* text)
    {
        auto pNew = std::make_unique<CDescriptor>();
        CDescriptor* p = pNew.get();
        p->SetText(text);
        if (!Evaluate(*p)) {
            list.m_bInvalid = 1;
            return 0;
        }
        if (index > 0) {
            p->m_pPrev = &list.Item(index - 1);
            p->m_pPrev->m_pNext = p;
        }
        if (index < list.size()) {
            p->m_pNext = &list.Item(index);
            p->m_pNext->m_pPrev = p;
        }
        list.m_arrDescriptors.insert(list.m_arrDescriptors.begin() + index, std::move(pNew));
        if (Evaluate(*p)) {
            list.m_bInvalid = 0;
            return 1;
        }
        list.m_bInvalid = 1;
        list.Unlink(index);
        list.m_arrDescriptors.erase(list.m_arrDescriptors.begin() + index);
        return 0;
    }

    // Every remaining descriptor evaluated in order, each with its cascade.
    static int Remove(CDescriptorList& list, int index)
    {
        if (list.size() == 0)
            return 0;
        list.Unlink(index);
        list.m_arrDescriptors.erase(list.m_arrDescriptors.begin() + index);
        for (int i = 0; i < list.size(); ++i)
            Evaluate(list.Item(i));
        return 1;
    }

    // Everything a descriptor holds, for comparison.
    static std::string State(const CDescriptor& d)
    {
        return d.m_strText + "|" + d.m_strSample + "|" + d.m_strValue + "|" + d.m_strGoodText + "|" +
               d.m_strGoodSample + "|" + std::to_string(d.m_bFromText) + "|" + std::to_string(d.m_nRepeat) + "|" +
               std::to_string(d.m_modes.nScale) + "|" + std::to_string(d.m_modes.nPlus) + "|" +
               std::to_string(d.m_nKind) + "|" + std::to_string(d.m_nGoodKind) + "|" + std::to_string(d.m_nGoodRepeat) +
               "|" + std::to_string(d.m_goodModes.nScale) + "|" + std::to_string(d.m_goodModes.nPlus) + "|" +
               std::to_string(d.m_modes.nComma) + std::to_string(d.m_goodModes.nComma) + "|" +
               std::to_string(d.m_modes.nRound) + std::to_string(d.m_goodModes.nRound);
    }
};

namespace {

const char* const kTexts[] = {"I5",    "3I2",    "F7.3", "E12.4", "A",     "A3",         "'ab'",     "2Hxy", "X",
                              "3X",    "T10",    "T3",   "TL2",   "TR2",   "SP",         "SS",       "S",    "2P",
                              "-1P",   "0P",     "(",    "2(",    "3(",    ")",          ")",        "/",    "2/",
                              ":",     "BN",     "L2",   "B4.2",  "Z4",    "G10.3",      "D",        "Q5",   "F7.",
                              "100I5", "T1000",  "2((",  "SPX",   "DC",    "DP",         "RU",       "*(",   "I0",
                              "F0.2",  "EX12.3", "G0",   "0E5.1", "\"a\"", "DT'x'(1,2)", "1000000(", "E0.3"};
const char* const kSamples[] = {"12", "1.5", "1.5E+03", "  ", "abc", "", "0042", "It's", "x", "1.5D+00", "0X1.8P+1"};
const char* const kValues[] = {"", "42", "1.5", "-2.5", "abc", ".T.", "ff", "1E3"};

template <typename T, std::size_t N>
const char* Pick(std::mt19937& rng, T (&items)[N])
{
    return items[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

void ExpectSameState(const CDescriptorList& a, const CDescriptorList& b, const std::string& strStep)
{
    ASSERT_EQ(a.size(), b.size()) << strStep;
    EXPECT_EQ(a.m_bInvalid, b.m_bInvalid) << strStep;
    for (int i = 0; i < a.size(); ++i) {
        EXPECT_EQ(SDescriptorTestAccess::State(a.At(i)), SDescriptorTestAccess::State(b.At(i)))
            << strStep << ", field " << i;
        EXPECT_EQ(a.At(i).Prev() == nullptr, i == 0) << strStep;
        if (i > 0) {
            EXPECT_EQ(a.At(i).Prev(), &a.At(i - 1)) << strStep;
        }
    }
}

TEST(CascadeEquivalence, TheForwardPassLeavesWhatRecursiveReevaluationLeaves)
{
    using Access = SDescriptorTestAccess;
    int nOperations = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(seed);
        CDescriptorList fast, reference;
        const int nLength = std::uniform_int_distribution<int>(1, 14)(rng);
        for (int i = 0; i < nLength; ++i) {
            const char* text = Pick(rng, kTexts);
            ASSERT_EQ(fast.InsertDescriptor(fast.size(), text), Access::Insert(reference, reference.size(), text));
        }
        ExpectSameState(fast, reference, "seed " + std::to_string(seed) + " built");
        for (int step = 0; step < 30 && fast.size() > 0; ++step, ++nOperations) {
            const int i = std::uniform_int_distribution<int>(0, fast.size() - 1)(rng);
            const int op = std::uniform_int_distribution<int>(0, 6)(rng);
            std::string strStep = "seed " + std::to_string(seed) + " step " + std::to_string(step) + " op " +
                                  std::to_string(op) + " at " + std::to_string(i);
            int a = 0, b = 0;
            switch (op) {
            case 0: {
                const char* text = Pick(rng, kTexts);
                strStep += std::string(" text ") + text;
                a = fast.SetText(i, text);
                b = Access::SetText(reference, i, text);
                break;
            }
            case 1: {
                const char* text = Pick(rng, kSamples);
                a = fast.SetSample(i, text);
                b = Access::SetSample(reference, i, text);
                break;
            }
            case 2: {
                const char* text = Pick(rng, kValues);
                a = fast.SetValue(i, text);
                b = Access::SetValue(reference, i, text);
                break;
            }
            case 3: {
                const char* text = Pick(rng, kTexts);
                const int at = std::uniform_int_distribution<int>(0, fast.size())(rng);
                strStep += std::string(" insert ") + text;
                a = fast.InsertDescriptor(at, text);
                b = Access::Insert(reference, at, text);
                break;
            }
            case 4:
                if (fast.size() > 1) {
                    a = fast.RemoveDescriptor(i);
                    b = Access::Remove(reference, i);
                }
                break;
            case 5:
                fast.RevertToGood(i);
                reference.RevertToGood(i);
                break;
            default:
                a = fast.EvaluateFromText(i);
                b = Access::EvaluateFromText(reference, i);
                break;
            }
            ASSERT_EQ(a, b) << strStep;
            ExpectSameState(fast, reference, strStep);
            if (::testing::Test::HasFailure())
                return;
        }
    }
    EXPECT_GT(nOperations, 10000);
}

}  // namespace
