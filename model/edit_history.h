// The window's Undo and Redo: the field commands (field_commands.h) made
// through a history that records each edit as one step, so that Undo takes
// the steps back one by one to the list the history started from, and Redo
// makes them again. A new edit after an Undo drops the steps that Redo would
// have made.
//
// A step holds only what it changed, never a copy of the list: typing and
// Change Value hold the field's content before and after (its text, its
// value of its own, whether it is the empty field); New Field and Remove
// Field hold the field's position, and the descriptor itself while it is out
// of the list, so that it comes back with its identity and the writer's
// "keep layout" finds it again. A keystroke costs what typing cost before,
// plus a comparison of the field's index. Undo and Redo evaluate every
// descriptor again (one pass over the list).
//
// Typing is one step per visit to a field: from the first key typed into a
// field's text or sample until the field is left (for another field or row,
// a button or a command). A field holds one short descriptor or sample, and
// what one types there is one change ("I5 becomes I8"), so undoing it whole
// is what users of editors expect of Ctrl+Z after a run of typing; a step per
// character would make them press it once for every key, and moving to
// another field ends the run as moving the caret away does in a text editor.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "descriptor_list.h"
#include "field_commands.h"
#include "result.h"

// Where a step took effect: the field it touched and the row that shows the
// change (the row typed into; the sample for Change Value; the text for New
// and Remove Field). nIndex is -1 when nothing was done.
struct SEditPlace {
    int nIndex = -1;
    FieldRow row = ROW_TEXT;
};

class CEditHistory {
public:
    // A history of the edits of list, which must outlive it; the list as it
    // is now is the state without changes.
    explicit CEditHistory(CDescriptorList& list) : m_list(list) {}
    CEditHistory(const CEditHistory&) = delete;
    CEditHistory& operator=(const CEditHistory&) = delete;

    // The field commands, recorded. Refused commands record nothing.
    int Type(int index, FieldRow row, const char* text);
    int Leave(int index, FieldRow row);
    CResult Insert(int index, const char* text);
    CResult Remove(int index);
    CResult ChangeValue(int index, const char* text);

    // Undo first leaves the field being typed in (as Leave): when leaving
    // takes that typing back to where the visit began (an edit that never
    // evaluated), that was the undo; otherwise the last step is taken back.
    // Redo first ends the typing the same way; typing that changed the field
    // is a new edit, which leaves nothing to redo. Both return where the step
    // took effect, nIndex -1 when there was nothing to do.
    SEditPlace Undo();
    SEditPlace Redo();
    bool CanUndo() const { return TypingChanged() || m_nPosition > 0; }
    bool CanRedo() const { return !TypingChanged() && m_nPosition < m_steps.size(); }

    // Whether the list differs from where the history started: a step done
    // and not undone, or typing in progress that changed its field.
    bool IsChanged() const { return m_nPosition != 0 || TypingChanged(); }

    // The steps recorded (the done ones, then those Redo would make again).
    std::size_t StepCount() const { return m_steps.size(); }

private:
    enum StepKind : int {
        STEP_CONTENT = 0,  // typing or Change Value: before and after
        STEP_INSERT = 1,   // New Field
        STEP_REMOVE = 2,   // Remove Field
    };
    struct SStep {
        StepKind nKind = STEP_CONTENT;
        SEditPlace place;
        SFieldContent before;
        SFieldContent after;
        std::unique_ptr<CDescriptor> pHeld;  // an inserted or removed descriptor while it is out of the list
    };

    bool TypingChanged() const;
    void EndTyping();
    void Push(SStep step);
    // Makes a step (bForward) or takes it back; returns where it took effect.
    SEditPlace Apply(SStep& step, bool bForward);

    CDescriptorList& m_list;
    std::vector<SStep> m_steps;
    std::size_t m_nPosition = 0;  // steps 0 .. m_nPosition − 1 are done
    // The visit being typed in: its field, row and content when it began.
    int m_nTypingIndex = -1;
    FieldRow m_typingRow = ROW_TEXT;
    SFieldContent m_typingBefore;
};
