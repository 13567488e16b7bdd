// The main window's controls in tab order: the field strip, the six push
// buttons and a sentinel row. The static part (commands, captions, flags)
// is constant data; the window keeps the controls and hot-key letters.
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

// Kinds of GetControlRect: 1 to 7 are the controls (kind = command ID),
// 8 is the minimum client size, 9 the status line under the strip.
enum ControlRectKind : int {
    RECT_STRIP = 1,
    RECT_FIRST_BUTTON = 2,
    RECT_LAST_BUTTON = 7,
    RECT_MINIMUM_CLIENT = 8,
    RECT_STATUS = 9,
};

struct SControlEntry {
    int nCommandId;
    int nCaptionId;  // string-table ID of the caption; 0 for the sentinel
    int bTabStop;
    int bPushButton;
    int nTipId;  // string-table ID of the tooltip, which names the command's keys; 0 for none
};

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

// A rectangle in client coordinates, right and bottom exclusive.
struct SControlRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The layout metrics: client width and height, the fixed font's average
// character width and line height, the strip's client height and the
// status line's height.
struct SLayoutMetrics {
    int nClientWidth;
    int nClientHeight;
    int nCharWidth;
    int nLineHeight;
    int nStripClientHeight;
    int nStatusHeight;
    int nStripOverhang = 0;  // the strip's frame below its client area: borders, scroll bar
};

// Where control kind 1..7 goes, (kind 8) the minimum client size, or (kind
// 9) the status line. The status line stands right above the buttons, and
// the window is as much higher than without it as the line is high.
SControlRect ControlRect(int nKind, const SLayoutMetrics& metrics);
