#include "ui/workspace/DirectionUndo.h"

#include "engine/Row.h"

void DirectionUndo::Begin()
{
    m_steps.emplace_back();
    m_open = true;
}

void DirectionUndo::Note(Row *row)
{
    if (!m_open)
        return;
    const RowRecord &d = row->Data;
    m_steps.back().push_back({row, d.Direction, d.LeftImage, d.RightImage, d.DirectImage});
}

void DirectionUndo::End()
{
    m_open = false;
    if (!m_steps.empty() && m_steps.back().empty())
        m_steps.pop_back();
    if (m_steps.size() > MaxSteps)
        m_steps.erase(m_steps.begin());
}

std::vector<Row *> DirectionUndo::Undo()
{
    std::vector<Row *> rows;
    if (m_steps.empty())
        return rows;
    const std::vector<Saved> step = std::move(m_steps.back());
    m_steps.pop_back();
    // Backwards, so a row noted twice ends with its oldest direction.
    for (auto it = step.rbegin(); it != step.rend(); ++it) {
        RowRecord &d = it->Node->Data;
        d.Direction = it->Direction;
        d.LeftImage = it->LeftImage;
        d.RightImage = it->RightImage;
        d.DirectImage = it->DirectImage;
        rows.push_back(it->Node);
    }
    return rows;
}
