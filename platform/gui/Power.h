#pragma once

// Turning the computer off after a run. The real layer asks the system; tests give a
// recorder, never the real thing.
class Power {
public:
    virtual ~Power() = default;
    // Powers the machine off without asking anyone. Fails silently when not allowed.
    virtual void shutDown() = 0;
};
