#include "edit_history.h"

#include <algorithm>
#include <utility>

int CEditHistory::Type(int index, FieldRow row, const char* text)
{
    if (!IsFieldIndex(m_list, index))
        return 0;
    if (m_nTypingIndex != index || m_typingRow != row) {
        EndTyping();
        m_nTypingIndex = index;
        m_typingRow = row;
        m_typingBefore = m_list.Content(index);
    }
    return TypeIntoField(m_list, index, row, text);
}

int CEditHistory::Leave(int index, FieldRow row)
{
    if (!IsFieldIndex(m_list, index))
        return 0;
    const int bTakenBack = LeaveField(m_list, index, row);
    if (m_nTypingIndex >= 0 && IsFieldIndex(m_list, m_nTypingIndex)) {
        SStep step;
        step.place = {m_nTypingIndex, m_typingRow};
        step.before = std::move(m_typingBefore);
        step.after = m_list.Content(m_nTypingIndex);
        if (!(step.after == step.before))
            Push(std::move(step));
    }
    m_nTypingIndex = -1;
    return bTakenBack;
}

void CEditHistory::EndTyping()
{
    if (m_nTypingIndex >= 0)
        Leave(m_nTypingIndex, m_typingRow);
}

bool CEditHistory::TypingChanged() const
{
    return m_nTypingIndex >= 0 && IsFieldIndex(m_list, m_nTypingIndex) &&
           (m_list.m_bInvalid != 0 || !(m_list.Content(m_nTypingIndex) == m_typingBefore));
}

CResult CEditHistory::Insert(int index, const char* text)
{
    EndTyping();
    CResult result = InsertField(m_list, index, text);
    if (result.Ok()) {
        SStep step;
        step.nKind = STEP_INSERT;
        step.place = {index, ROW_TEXT};
        Push(std::move(step));
    }
    return result;
}

CResult CEditHistory::Remove(int index)
{
    EndTyping();
    SStep step;
    step.nKind = STEP_REMOVE;
    step.place = {index, ROW_TEXT};
    CResult result = RemoveField(m_list, index, &step.pHeld);
    if (result.Ok())
        Push(std::move(step));
    return result;
}

CResult CEditHistory::ChangeValue(int index, const char* text)
{
    EndTyping();
    if (!IsFieldIndex(m_list, index))
        return ChangeFieldValue(m_list, index, text);
    SStep step;
    step.place = {index, ROW_SAMPLE};
    step.before = m_list.Content(index);
    CResult result = ChangeFieldValue(m_list, index, text);
    step.after = m_list.Content(index);
    if (result.Ok() && !(step.after == step.before))
        Push(std::move(step));
    return result;
}

void CEditHistory::Push(SStep step)
{
    // A new edit: what Redo would have made again is gone.
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_nPosition), m_steps.end());
    m_steps.push_back(std::move(step));
    m_nPosition = m_steps.size();
}

SEditPlace CEditHistory::Undo()
{
    const bool bTyped = TypingChanged();
    const SEditPlace typed{m_nTypingIndex, m_typingRow};
    const std::size_t nDone = m_nPosition;
    EndTyping();
    if (bTyped && m_nPosition == nDone)
        return typed;  // leaving took the typing back
    if (m_nPosition == 0)
        return SEditPlace{};
    --m_nPosition;
    return Apply(m_steps[m_nPosition], false);
}

SEditPlace CEditHistory::Redo()
{
    EndTyping();
    if (m_nPosition >= m_steps.size())
        return SEditPlace{};
    ++m_nPosition;
    return Apply(m_steps[m_nPosition - 1], true);
}

SEditPlace CEditHistory::Apply(SStep& step, bool bForward)
{
    const int index = step.place.nIndex;
    if (step.nKind == STEP_CONTENT) {
        m_list.SetContent(index, bForward ? step.after : step.before);
        return step.place;
    }
    // New Field made forward and Remove Field taken back put the descriptor
    // in; the other two take it out, and the field after it is current then.
    const bool bPutIn = (step.nKind == STEP_INSERT) == bForward;
    if (bPutIn) {
        m_list.PutDescriptor(index, std::move(step.pHeld));
        return step.place;
    }
    step.pHeld = m_list.TakeDescriptor(index);
    m_list.EvaluateAll();
    return SEditPlace{std::min(index, m_list.size() - 1), step.place.row};
}
