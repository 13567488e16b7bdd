// The statement being edited: its descriptors in statement order, linked to
// their neighbours, and the fields that say where the statement stands in
// its source file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "descriptor.h"
#include "message.h"

// A file's identity and state as it was read: which file (device and inode)
// and what it held (size, modification time to the nanosecond). A save
// checks them again just before it replaces the file.
struct SFileIdentity {
    bool bKnown = false;
    unsigned long long nDevice = 0;
    unsigned long long nInode = 0;
    long long nSize = 0;
    long long nModifiedNs = 0;  // nanoseconds since the epoch

    bool operator==(const SFileIdentity&) const = default;
};

class CDescriptorList {
public:
    CDescriptorList() = default;
    ~CDescriptorList() = default;
    CDescriptorList(const CDescriptorList&) = delete;
    CDescriptorList& operator=(const CDescriptorList&) = delete;

    // Replaces the whole list by the descriptors of a descriptor-list text
    // such as "(I5, 2X, F7.3)\n" and keeps what follows the list as the tail.
    // On failure reports "FORMAT parse failed in column N" and returns 0.
    int Split(const char* text);

    // Scans one parenthesised list starting at text and appends its
    // descriptors. 1 with *end at the list's closing parenthesis, or 0 with
    // *end at the position where the scan failed. Comments found between
    // descriptors are kept in m_arrComments.
    int ScanList(const char* text, const char** end);

    int InsertDescriptor(int index, const char* text);
    // Inserts the empty field: a field without text that prints nothing and
    // that the writer leaves out, so that an empty list "()" can be shown as
    // one field to start from. Always succeeds.
    void InsertEmptyField(int index);
    int RemoveDescriptor(int index);
    int GetText(int index, std::string& out) const;
    int SetText(int index, const char* text);
    int GetSample(int index, std::string& out) const;
    int GetRepeatedSample(int index, std::string& out) const;
    int SetSample(int index, const char* text);
    int GetTextLength(int index) const;
    int GetSampleLength(int index) const;
    int GetValue(int index, std::string& out) const;
    int SetValue(int index, const char* text);
    int IsBalanced() const;
    int IsChanged(int index) const;
    void ClearChanged(int index);
    int GetColumn(int index) const;
    void RevertToGood(int index);
    int EvaluateFromText(int index);
    int size() const { return static_cast<int>(m_arrDescriptors.size()); }

    // Removes every descriptor.
    void Clear() { m_arrDescriptors.clear(); }

    // Read access to one descriptor, for the view and the tests.
    const CDescriptor& At(int index) const { return *m_arrDescriptors[static_cast<std::size_t>(index)]; }

private:
    friend struct SDescriptorTestAccess;  // the tests' reference evaluation
    CDescriptor& Item(int index) { return *m_arrDescriptors[static_cast<std::size_t>(index)]; }
    // Puts a descriptor at index, linked to its neighbours; returns it.
    CDescriptor* LinkIn(int index, std::unique_ptr<CDescriptor> pNew);
    void Unlink(int index);
    int ScanGroupList(const char* text, const char** end, int nDepth);

    std::vector<std::unique_ptr<CDescriptor>> m_arrDescriptors;
    const char* m_pSplitText = nullptr;  // the text being split, while it is

public:
    // 1 when the last evaluation made through InsertDescriptor, SetText or
    // SetSample failed; cleared by RevertToGood.
    int m_bInvalid = 0;
    // The main window, owner of the messages the list raises.
    OwnerHandle m_hOwnerWnd = nullptr;

    // Where the statement stands in its source file (filled by the locator,
    // read by the writer).
    std::vector<int> m_arrLines;  // the source lines the statement occupies
    int m_nFirstLine = 0;         // the line at which the statement starts
    std::string m_strFileName;    // the source file as named on the command line
    std::string m_strHead;        // the statement text before the descriptor list
    std::string m_strTail;        // the text after the list's closing parenthesis
    int m_nParenBlanks = 0;       // blanks after the opening parenthesis
    int m_bFixedForm = 0;         // 1 for fixed source form
    char m_chDelimiter = 0;       // 'f' for FORMAT, else the constant's quote

    // What the writer checks and keeps: the source lines from the first line
    // to the statement's last, as they read when it was located (to notice a
    // file changed meanwhile), and the file's line end ("\n" or "\r\n").
    std::vector<std::string> m_arrOriginalLines;
    std::string m_strLineEnd = "\n";
    // The source file as it was when the statement was read.
    SFileIdentity m_fileIdentity;

    // Comments that stood between the descriptors (a "!" to the end of its
    // line): where the split text had them, and their text. The locator
    // turns them into the comment of each statement line, which the writer
    // puts back; "" for a line without one.
    struct SComment {
        std::size_t nOffset;
        std::string strText;
    };
    std::vector<SComment> m_arrComments;
    std::vector<std::string> m_arrLineComments;
};
