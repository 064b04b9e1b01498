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
    m_steps.back().push_back({row, uint8_t(d.Direction), uint8_t(d.LeftImage), uint8_t(d.RightImage),
                              uint8_t(d.DirectImage)});
}

void DirectionUndo::End()
{
    m_open = false;
    if (!m_steps.empty() && m_steps.back().empty())
        m_steps.pop_back();
    size_t rows = 0;
    for (const auto &step : m_steps)
        rows += step.size();
    // The last step is always kept, however large.
    while (m_steps.size() > 1 && (m_steps.size() > MaxSteps || rows > MaxRows)) {
        rows -= m_steps.front().size();
        m_steps.erase(m_steps.begin());
    }
}

std::vector<Row *> DirectionUndo::Undo()
{
    std::vector<Row *> rows;
    if (m_steps.empty())
        return rows;
    const std::deque<Saved> step = std::move(m_steps.back());
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
