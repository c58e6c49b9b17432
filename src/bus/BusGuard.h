#pragma once

#include <functional>

// Who has the bus. A run of the main window or a tool takes it by setting the guard; the live
// value window polls only while the guard is free, and holds its port between polls only until
// a run takes the bus: the guard tells it to let go of the port before the run opens one.
//
// Everything that uses the bus runs on the window's thread, and a poll never hands control to
// the event loop, so a run always starts after the poll in flight has ended; a run hands control
// to the event loop between its calls, when the live window finds the guard set and waits.
class BusGuard {
  public:
    BusGuard& operator=(bool taken) {
        if (taken && !on && letGo) letGo();
        on = taken;
        return *this;
    }
    operator bool() const { return on; }
    // Called when a run takes the bus: whoever holds the port between its polls closes it.
    std::function<void()> letGo;

  private:
    bool on = false;
};
