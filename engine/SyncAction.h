#pragma once
#include <cstdint>

// Mark of a listed file against its side's state tree.
enum StateMark : int32_t {
    smNotRecorded = 0,
    smUnchanged = 1,
    smChanged = 2,
};

// Action of a compared file. 2 and 3 travel right to left, 1 and 4 left to right.
enum SyncAction : int32_t {
    saSame = 0,
    saLeftOnly = 1,
    saRightOnly = 2,
    saUpdateLeft = 3,
    saUpdateRight = 4,
};

inline bool TravelsToLeft(int32_t action) { return action == saRightOnly || action == saUpdateLeft; }
inline bool TravelsToRight(int32_t action) { return action == saLeftOnly || action == saUpdateRight; }
