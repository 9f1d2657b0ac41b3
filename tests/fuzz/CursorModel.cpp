#include "CursorModel.h"

#include <algorithm>

void CursorModel::open(int rows)
{
    m_rows = rows;
    m_recNo = rows > 0 ? 1 : 0;
    m_bof = true;
    m_eof = rows == 0;
}

bool CursorModel::set(int recNo, bool bof, bool eof)
{
    const bool changed = recNo != m_recNo || bof != m_bof || eof != m_eof;
    m_recNo = recNo;
    m_bof = bof;
    m_eof = eof;
    return changed;
}

bool CursorModel::first()
{
    if (m_rows == 0)
        return false;
    return set(1, true, false);
}

bool CursorModel::last()
{
    if (m_rows == 0)
        return false;
    return set(m_rows, false, true);
}

// One step of Next that is not blocked: onto the next row, or onto EOF when there is none.
void CursorModel::stepForward()
{
    if (m_recNo < m_rows)
        set(m_recNo + 1, false, false);
    else
        set(m_recNo, false, true);
}

void CursorModel::stepBack()
{
    if (m_recNo > 1)
        set(m_recNo - 1, false, false);
    else
        set(m_recNo, true, false);
}

bool CursorModel::next()
{
    if (m_eof)
        return false;
    const CursorModel before = *this;
    stepForward();
    return m_recNo != before.m_recNo || m_bof != before.m_bof || m_eof != before.m_eof;
}

bool CursorModel::prior()
{
    if (m_bof)
        return false;
    const CursorModel before = *this;
    stepBack();
    return m_recNo != before.m_recNo || m_bof != before.m_bof || m_eof != before.m_eof;
}

bool CursorModel::moveBy(int distance)
{
    if (distance == 0 || (distance > 0 && m_eof) || (distance < 0 && m_bof))
        return false;
    const CursorModel before = *this;
    // Single steps until the distance is used up or the cursor runs past an end; at most n + 1
    // steps are ever taken, whatever the distance.
    if (distance > 0) {
        for (long long i = 0; i < distance && !m_eof; ++i)
            stepForward();
    } else {
        for (long long i = 0; i > distance && !m_bof; --i)
            stepBack();
    }
    return m_recNo != before.m_recNo || m_bof != before.m_bof || m_eof != before.m_eof;
}

bool CursorModel::moveTo(int position)
{
    if (m_rows == 0)
        return false;
    const int target = std::clamp(position, 1, m_rows);
    if (target == m_recNo) {
        if (m_recNo == 1 && m_bof)
            return set(1, false, m_eof);
        return false;
    }
    return set(target, false, false);
}
