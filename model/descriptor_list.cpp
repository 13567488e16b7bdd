#include "descriptor_list.h"

int CDescriptorList::InsertDescriptor(int index, const char* text)
{
    auto pNew = std::make_unique<CDescriptor>(*m_pTable);
    pNew->SetText(text);

    // Alone first: a text that is no descriptor never enters the list.
    if (!pNew->Evaluate()) {
        m_bInvalid = 1;
        return 0;
    }

    CDescriptor* p = LinkIn(index, std::move(pNew));

    // Again with its neighbours: it inherits their modes and column, and the
    // descriptors after it that depend on it are brought up to date.
    if (p->Evaluate()) {
        m_bInvalid = 0;
        return 1;
    }
    // It may fail with what it inherits at its position; nothing after it was
    // re-evaluated, so taking it out restores the list exactly.
    m_bInvalid = 1;
    Unlink(index);
    m_arrDescriptors.erase(m_arrDescriptors.begin() + index);
    return 0;
}

void CDescriptorList::InsertEmptyField(int index)
{
    auto pNew = std::make_unique<CDescriptor>(*m_pTable);
    pNew->m_nGoodKind = KIND_EMPTY;
    LinkIn(index, std::move(pNew))->Evaluate();
}

void CDescriptorList::SetExact(bool bExact)
{
    m_bExact = bExact;
    for (auto& p : m_arrDescriptors)
        p->m_bExact = bExact;
    if (!m_arrDescriptors.empty())
        CDescriptor::EvaluateOnward(&Item(0), 0, true, true, false);
}

CDescriptor* CDescriptorList::LinkIn(int index, std::unique_ptr<CDescriptor> pNew)
{
    CDescriptor* p = pNew.get();
    p->m_bExact = m_bExact;
    if (index > 0) {
        p->m_pPrev = &Item(index - 1);
        p->m_pPrev->m_pNext = p;
    }
    if (index < size()) {
        p->m_pNext = &Item(index);
        p->m_pNext->m_pPrev = p;
    }
    m_arrDescriptors.insert(m_arrDescriptors.begin() + index, std::move(pNew));
    return p;
}

void CDescriptorList::Unlink(int index)
{
    CDescriptor& d = Item(index);
    if (d.m_pPrev != nullptr)
        d.m_pPrev->m_pNext = d.m_pNext;
    if (d.m_pNext != nullptr)
        d.m_pNext->m_pPrev = d.m_pPrev;
    d.m_pPrev = nullptr;
    d.m_pNext = nullptr;
}

int CDescriptorList::RemoveDescriptor(int index)
{
    return TakeDescriptor(index) != nullptr ? 1 : 0;
}

std::unique_ptr<CDescriptor> CDescriptorList::TakeDescriptor(int index)
{
    if (m_arrDescriptors.empty())
        return nullptr;
    Unlink(index);
    std::unique_ptr<CDescriptor> pTaken = std::move(m_arrDescriptors[static_cast<std::size_t>(index)]);
    m_arrDescriptors.erase(m_arrDescriptors.begin() + index);

    // The removed descriptor may have set modes or columns that later ones
    // used: evaluate every remaining one once, in order, each in its own
    // direction unless an evaluation before it makes it due from its text.
    if (!m_arrDescriptors.empty())
        CDescriptor::EvaluateOnward(m_arrDescriptors.front().get(), 0, false, false, true);
    return pTaken;
}

void CDescriptorList::PutDescriptor(int index, std::unique_ptr<CDescriptor> pDescriptor)
{
    LinkIn(index, std::move(pDescriptor));
    EvaluateAll();
}

SFieldContent CDescriptorList::Content(int index) const
{
    const CDescriptor& d = At(index);
    return SFieldContent{d.m_strText, d.m_strValue, d.m_nKind == KIND_EMPTY};
}

void CDescriptorList::SetContent(int index, const SFieldContent& content)
{
    CDescriptor& d = Item(index);
    d.m_strText = content.strText;
    d.m_strValue = content.strValue;
    // The empty field is known by its good kind while its text is blank.
    if (content.bEmptyField)
        d.m_nGoodKind = KIND_EMPTY;
    d.Touch();
    EvaluateAll();
}

void CDescriptorList::EvaluateAll()
{
    m_bInvalid = 0;
    if (!m_arrDescriptors.empty())
        CDescriptor::EvaluateOnward(&Item(0), 0, true, true, false);
}

int CDescriptorList::GetText(int index, std::string& out) const
{
    At(index).GetText(out);
    return 1;
}

int CDescriptorList::SetText(int index, const char* text)
{
    Item(index).SetText(text);
    return EvaluateChanged(index);
}

int CDescriptorList::EvaluateChanged(int index)
{
    const int nResult = Item(index).Evaluate();
    m_bInvalid = nResult ? 0 : 1;
    return nResult;
}

int CDescriptorList::GetSample(int index, std::string& out) const
{
    At(index).GetSample(out);
    return 1;
}

int CDescriptorList::GetRepeatedSample(int index, std::string& out) const
{
    At(index).GetRepeatedSample(out);
    return 1;
}

int CDescriptorList::SetSample(int index, const char* text)
{
    Item(index).SetSample(text);
    return EvaluateChanged(index);
}

int CDescriptorList::GetTextLength(int index) const
{
    return static_cast<int>(At(index).m_strText.size());
}

int CDescriptorList::GetSampleLength(int index) const
{
    return static_cast<int>(At(index).m_strSample.size());
}

int CDescriptorList::GetValue(int index, std::string& out) const
{
    At(index).GetValue(out);
    return 1;
}

int CDescriptorList::SetValue(int index, const char* text)
{
    return Item(index).SetValue(text);
}

int CDescriptorList::IsBalanced() const
{
    int nDepth = 0;
    for (const auto& pItem : m_arrDescriptors) {
        if (OpensGroup(pItem->m_nKind))
            ++nDepth;
        else if (pItem->m_nKind == KIND_CLOSE && --nDepth < 0)
            return 0;
    }
    return nDepth == 0 ? 1 : 0;
}

void CDescriptorList::RevertToGood(int index)
{
    Item(index).RevertToGood();
    m_bInvalid = 0;
    // The good sample may be one the user typed ("abc" for an X field that
    // became 3X); taken back, the field shows what its text prints.
    if (Item(index).Text() != INVALID_MARKER)
        EvaluateFromText(index);
}

int CDescriptorList::EvaluateFromText(int index)
{
    return Item(index).EvaluateFromText();
}
