// The program's string table: every text it shows or logs, loaded by ID.
#pragma once

// IDs of the strings the code refers to by name. The table also holds texts
// that are only loaded by number (the option captions, the titles).
enum StringId : int {
    IDS_CAPTION = 1,
    IDS_CANNOT_OPEN_FILE = 2,
    IDS_LINE_NOT_FOUND = 3,
    IDS_PARSE_FAILED = 5,
    IDS_SAVE_FAILED_EXIT = 6,
    IDS_NO_TEMP_NAME = 7,
    IDS_FILE_CHANGED = 8,
    IDS_NEW_STRING = 9,
    IDS_NEW_CHARACTER = 10,
    IDS_NEW_LOGICAL = 11,
    IDS_NEW_INTEGER = 12,
    IDS_NEW_FIXED = 13,
    IDS_NEW_SCIENTIFIC = 14,
    IDS_INVALID_DESCRIPTOR = 16,
    IDS_CANNOT_DELETE = 17,
    IDS_ILLEGAL_VALUE = 18,
    IDS_NO_HELP_FILE = 19,
    IDS_HELP_BASE_NAME = 20,
    IDS_LINE_NOT_NUMBER = 21,
    IDS_LAST_DESCRIPTOR = 22,
    IDS_UNBALANCED = 23,
    IDS_READ_ONLY = 24,
    IDS_CANNOT_WRITE = 25,
    IDS_OPTION_STRING = 26,
    IDS_OPTION_CHARACTER = 27,
    IDS_OPTION_LOGICAL = 28,
    IDS_OPTION_INTEGER = 29,
    IDS_OPTION_FIXED = 30,
    IDS_OPTION_SCIENTIFIC = 31,
    IDS_NO_LIST = 32,
    IDS_INVALID_LIST = 33,
    IDS_FORMAT_COLUMN = 34,
    IDS_TITLE = 35,
    IDS_TITLE_LINE = 36,
    IDS_STRIP_CAPTION = 37,
    IDS_BUTTON_NEW = 38,
    IDS_BUTTON_REMOVE = 39,
    IDS_BUTTON_VALUE = 40,
    IDS_BUTTON_OK = 41,
    IDS_BUTTON_CANCEL = 42,
    IDS_BUTTON_HELP = 43,
    IDS_SAVE_FILTER = 44,
    IDS_SAVE_FILTER_FREE = 45,
    IDS_SAVE_FILTER_FIXED = 46,
};

// The text of string `id`, or nullptr when the table has no such string.
const char* LoadResourceString(int id);
