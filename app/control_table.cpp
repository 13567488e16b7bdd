#include "control_table.h"

#include "string_table.h"

const std::array<SControlEntry, kControlRows> g_controlTable = {{
    {CMD_FORMAT_STATEMENT, IDS_STRIP_CAPTION, 1, 0, 0, 0},
    {CMD_NEW_FIELD, IDS_BUTTON_NEW, 1, 1, IDS_TIP_NEW, 16},
    {CMD_REMOVE_FIELD, IDS_BUTTON_REMOVE, 1, 1, IDS_TIP_REMOVE, 16},
    {CMD_CHANGE_VALUE, IDS_BUTTON_VALUE, 1, 1, IDS_TIP_VALUE, 16},
    {CMD_OK, IDS_BUTTON_OK, 1, 1, IDS_TIP_OK, 7},
    {CMD_CANCEL, IDS_BUTTON_CANCEL, 1, 1, IDS_TIP_CANCEL, 7},
    {CMD_HELP, IDS_BUTTON_HELP, 1, 1, IDS_TIP_HELP, 7},
    {CMD_SENTINEL, 0, 0, 0, 0, 0},
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
