#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
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
    // Directions and image indices are small numbers: a byte each.
    struct Saved {
        Row *Node;
        uint8_t Direction, LeftImage, RightImage, DirectImage;
    };
    static constexpr size_t MaxSteps = 50;
    // Fifty changes of 100,000 rows would hold 80 MB: older steps go first beyond 16 MB.
    static constexpr size_t MaxRows = 1'000'000;
    // A step over 100,000 rows grows in blocks: a vector's regrowth copies it and touches
    // twice the memory, which costs more than the change itself.
    std::vector<std::deque<Saved>> m_steps;
    bool m_open = false;
};
