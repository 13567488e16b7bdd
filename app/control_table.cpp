#include "control_table.h"
#include <algorithm>

#include "string_table.h"

const std::array<SControlEntry, kControlRows> g_controlTable = {{
    {CMD_FORMAT_STATEMENT, IDS_STRIP_CAPTION, 1, 0, 0},
    {CMD_NEW_FIELD, IDS_BUTTON_NEW, 1, 1, IDS_TIP_NEW},
    {CMD_REMOVE_FIELD, IDS_BUTTON_REMOVE, 1, 1, IDS_TIP_REMOVE},
    {CMD_CHANGE_VALUE, IDS_BUTTON_VALUE, 1, 1, IDS_TIP_VALUE},
    {CMD_OK, IDS_BUTTON_OK, 1, 1, IDS_TIP_OK},
    {CMD_CANCEL, IDS_BUTTON_CANCEL, 1, 1, IDS_TIP_CANCEL},
    {CMD_HELP, IDS_BUTTON_HELP, 1, 1, IDS_TIP_HELP},
    {CMD_SENTINEL, 0, 0, 0, 0},
}};

char GetHotKeyLetter(const char* pszCaption)
{
    if (pszCaption == nullptr)
        return 0;
    for (const char* p = pszCaption; *p != '\0'; ++p)
        if (*p == '&')
            return p[1];
    return 0;
}

int NextTabRow(int nRow, bool bBackwards)
{
    // Every row but the sentinel has a tab stop, so this ends within one lap.
    for (int nStep = 0; nStep < kControlRows; ++nStep) {
        nRow = bBackwards ? (nRow == 0 ? kSentinelRow : nRow - 1) : (nRow == kSentinelRow ? 0 : nRow + 1);
        if (g_controlTable[static_cast<std::size_t>(nRow)].bTabStop)
            return nRow;
    }
    return kStripRow;
}

namespace {

// Horizontal place of each button, in average character widths: measured
// from the left edge, or (bFromRight) from the right edge of the client area.
struct SButtonColumns {
    int nLeft;
    int nRight;
    bool bFromRight;
};

constexpr std::array<SButtonColumns, 6> kButtonColumns = {{
    {1, 17, false},   // New Field
    {18, 34, false},  // Remove Field
    {35, 51, false},  // Change Value
    {24, 17, true},   // OK
    {16, 9, true},    // Cancel
    {8, 1, true},     // Help
}};

constexpr int kStripMargin = 10;
constexpr int kStripBottom = 60;
constexpr int kMinimumWidthInChars = 76;

}  // namespace

SControlRect ControlRect(int nKind, const SLayoutMetrics& m)
{
    const int cw = m.nCharWidth;
    const int lh = m.nLineHeight;
    if (nKind == RECT_STRIP)
        return {kStripMargin, kStripMargin, m.nClientWidth - kStripMargin, kStripBottom};
    // The status line stands wholly below the strip's frame, whatever the
    // font: where the frame reaches lower than a line and a half under the
    // strip, the window grows by the difference.
    const int nBelowFrame = std::max(0, kStripMargin + m.nStripOverhang + lh / 4 - (3 * lh) / 2);
    if (nKind == RECT_MINIMUM_CLIENT)
        return {0, 0, kMinimumWidthInChars * cw,
                m.nStripClientHeight + 3 * lh + (7 * lh) / 4 + m.nStatusHeight + nBelowFrame};
    const int nBottom = m.nClientHeight - lh;
    const int nButtonTop = nBottom - (7 * lh) / 4;
    if (nKind == RECT_STATUS) {
        const int nStatusBottom = nButtonTop - lh / 2;
        return {kStripMargin, nStatusBottom - m.nStatusHeight, m.nClientWidth - kStripMargin, nStatusBottom};
    }
    if (nKind < RECT_FIRST_BUTTON || nKind > RECT_LAST_BUTTON)
        return {0, 0, 0, 0};
    const SButtonColumns& c = kButtonColumns[static_cast<std::size_t>(nKind - RECT_FIRST_BUTTON)];
    const int nBase = c.bFromRight ? m.nClientWidth : 0;
    const int nSign = c.bFromRight ? -1 : 1;
    return {nBase + nSign * c.nLeft * cw, nButtonTop, nBase + nSign * c.nRight * cw, nBottom};
}
