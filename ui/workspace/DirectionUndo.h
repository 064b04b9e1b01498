#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct Row;
struct RowRecord;

// The directions rows had before each of the last changes made to them (a click, a key, a
// menu command over many rows), so that the last change can be taken back. Holds row
// addresses: cleared whenever the rows are rebuilt. Interface thread only.
class DirectionUndo {
public:
    // A change of several rows is one step.
    void Begin();
    // Before row's direction changes (a row noted twice in a step gets its first direction back).
    void Note(Row *row);
    void End();
    bool CanUndo() const { return !m_steps.empty(); }
    // Puts the last step's rows back; returns them (the caller repaints), none when empty.
    std::vector<Row *> Undo();
    void Clear() { m_steps.clear(); }

private:
    struct Saved {
        Row *Node;
        int32_t Direction, LeftImage, RightImage, DirectImage;
    };
    static constexpr size_t MaxSteps = 50;
    std::vector<std::vector<Saved>> m_steps;
    bool m_open = false;
};
