#pragma once

#include "bus/BusRun.h"

namespace bus {

// Input kind code to write for an `rgInput` position; -1 when the instrument
// cannot measure that kind (flow on the older TRK 520, any unknown position).
int deviceCodeFromInputIndex(int32_t family, int position, double version);

} // namespace bus

// `DVN20DatenProgrammieren`: writes the configuration shown in the main window
// into the attached instrument in a fixed order, restarting it where a setting
// needs it, and always ends with the take-over command.
class Programming : public BusRun {
  public:
    Programming(BusLibrary& library, ConfigActions& actions, Prompter& prompter, Clock& clock);

    // Runs the whole programming; returns the status reported in the status bar.
    int16_t DVN20DatenProgrammieren();

    // Asked once the instrument proved to be the selected model, before anything is written;
    // false ends the run as the user's "Nein" (nothing sent). Unset: nothing is asked.
    std::function<bool()> beforeWriting;

  private:
    // False when `beforeWriting` declined.
    bool confirmWriting();
    bool writeExtendedWords();
    // False when the user declines to switch off what the instrument was last read with.
    bool confirmSwitchingOff();
    bool writeInputKind();
    void tableE();
    void tableF();
    void outputBlocks();
    void analogAndControllerBlocks();
    void writeDisplayUnitExtra();
    void report();
    void takeOver();

    // Command 248 writing parameter p, only while the status is ok.
    void put(int p, int32_t integer);
    // A command carrying a number and an output index, only while the status is ok.
    void putNumber(int16_t command, int32_t output, double value);
    // Command 53 (firmware 23) or parameter p (older) with a list position.
    void putPreferredState(int oldParameter, int32_t output, int position);
    void restart(int limit = bus::kPollLimit);
    int32_t filterOrEdge() const;

    int32_t unitOffset = 1;
    int32_t outputFunction = 0;
};

namespace bus {

inline int16_t DVN20DatenProgrammieren(BusLibrary& library, ConfigActions& actions, Prompter& prompter,
                                       Clock& clock) {
    return Programming(library, actions, prompter, clock).DVN20DatenProgrammieren();
}

} // namespace bus
