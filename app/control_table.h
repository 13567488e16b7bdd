// The main window's controls in tab order: the field strip, the six push
// buttons and a sentinel row. The static part (commands, captions, flags,
// the buttons' narrowest widths) is constant data; the window keeps the
// controls and hot-key letters and lays them out with Qt's layouts.
#pragma once

#include <array>

// Command IDs: each control's ID is the command it stands for.
enum CommandId : int {
    CMD_FORMAT_STATEMENT = 1,
    CMD_NEW_FIELD = 2,
    CMD_REMOVE_FIELD = 3,
    CMD_CHANGE_VALUE = 4,
    CMD_OK = 5,
    CMD_CANCEL = 6,
    CMD_HELP = 7,
    CMD_SENTINEL = 8,
};

struct SControlEntry {
    int nCommandId;
    int nCaptionId;  // string-table ID of the caption; 0 for the sentinel
    int bTabStop;
    int bPushButton;
    int nTipId;            // string-table ID of the tooltip, which names the command's keys; 0 for none
    int nMinWidthInChars;  // a button's narrowest width, in the fixed font's average characters
};

// The window's margin around its controls, and its narrowest width.
constexpr int kFrameMargin = 10;
constexpr int kMinimumWidthInChars = 76;

constexpr int kControlRows = 8;  // rows 0..7, row 7 the sentinel
constexpr int kStripRow = 0;
constexpr int kOkRow = 4;
constexpr int kSentinelRow = 7;

extern const std::array<SControlEntry, kControlRows> g_controlTable;

// The character after the first '&' of the caption; 0 when there is none
// or the '&' ends the caption.
char GetHotKeyLetter(const char* pszCaption);

// The next row with a tab stop after (or, backwards, before) nRow, wrapping
// from the sentinel to the first row and from the first row to the sentinel.
int NextTabRow(int nRow, bool bBackwards);
