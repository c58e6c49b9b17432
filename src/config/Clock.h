#pragma once

// Waiting and timers go through this seam so tests advance time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleep(int milliseconds) = 0;
};

// Records requested pauses instead of waiting.
class ManualClock : public Clock {
public:
    void sleep(int milliseconds) override {
        slept += milliseconds;
        ++sleeps;
    }
    int slept = 0;
    int sleeps = 0;
};
