#include "field_layout.h"

std::vector<SFieldPlace> LayOutFields(const CDescriptorList& list, int nCount)
{
    return LayOutFields(list, {}, nCount);
}

std::vector<SFieldPlace> LayOutFields(const CDescriptorList& list, const std::vector<long long>& widths, int nCount)
{
    const int nEnd = nCount < 0 || nCount > list.size() ? list.size() : nCount;
    std::vector<SFieldPlace> places;
    places.reserve(static_cast<std::size_t>(nEnd));
    int nRecord = 0;
    long long nColumn = 0;
    for (int i = 0; i < nEnd; ++i) {
        const CDescriptor& d = list.At(i);
        const std::size_t n = static_cast<std::size_t>(i);
        const long long nWidth = n < widths.size() && widths[n] >= 0 ? widths[n] : d.ShownWidth();
        places.push_back({nRecord, nColumn, nWidth});
        nColumn += nWidth;
        if (EndsRecord(d.Kind())) {
            ++nRecord;
            nColumn = 0;
        }
    }
    return places;
}

RulerTick RulerTickAt(long long nColumn)
{
    if (nColumn % 10 == 0)
        return TICK_LONG;
    return nColumn % 5 == 0 ? TICK_MEDIUM : TICK_SHORT;
}

bool IsInvalidField(const CDescriptor& d)
{
    return d.Kind() == KIND_NONE || d.Text() == INVALID_MARKER;
}
