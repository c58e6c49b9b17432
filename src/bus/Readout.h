#pragma once

#include "bus/BusRun.h"

#include <initializer_list>
#include <optional>

namespace bus {

// `rgInput` position of the input kind code an instrument holds. The DVN 20 TB
// and instruments before firmware 23 hold the position itself.
int inputIndexFromDeviceCode(int32_t family, int32_t code, double version);

} // namespace bus

// `DVN20DatenEinlesen`: reads the attached instrument's configuration into the
// main window, field by field in the order a user would fill them, running each
// layout-driving field's action so the fields that follow exist.
class Readout : public BusRun {
  public:
    Readout(BusLibrary& library, ConfigActions& actions, Prompter& prompter, Clock& clock);

    // Runs the whole readout; returns the status reported in the status bar.
    int16_t DVN20DatenEinlesen();

    // What the run was reading when it failed after the instrument was identified: the
    // command, its parameter (command 248; -1 for none) and the field it was for (component
    // name; empty for the instrument's identity and version).
    struct Reading {
        int16_t command = 0;
        int parameter = -1;
        QString control;
        QString error; // "(Fehler n)" and the library's text
    };
    // Unset when the run succeeded or failed before (port, identification: they say so themselves).
    const std::optional<Reading>& failedRead() const { return failure; }

    // How an answer goes into its field.
    enum class Encoding {
        Index,          // item position of a list
        Raw16,          // low 16 bits, signed, through showRawValue
        Raw32,          // whole integer through showRawValue
        Fixed74,        // the value, 7 significant digits and 4 decimals
        Fixed42,        // the value, 4 significant digits and 2 decimals
        InputKind,      // `rgInput`, translated from the instrument's code
        FilterAndEdge,  // `neFilter` and `cbEdge` from one answer
        UnitMinusOne,   // `cbAnzeigeUnit` at code - 1
        UnitCode,       // `cbAnzeigeUnit` at code - 79 for the flow units, else code - 1
        OutputFunction, // `rgOutput`, remembering the instrument's code
    };
    // When an answer is taken and what it does to the running status.
    enum class Applied {
        Ok,          // taken on success
        OkOr38,      // also on -38, which then stays the status
        OkOr38Then0, // also on -38, which then counts as success
        OkThen38Is0, // taken on success; -38 counts as success
        OkOld38Is0,  // taken on success; -38 counts as success before firmware 23
    };
    enum class Then { Nothing, SetInput, SetSensor, ResistanceThenDp, SetOutput, ClampSetPoint, ClampBand };

    struct Step {
        int16_t command;
        int p = -1; // parameter of command 248
        Encoding encoding = Encoding::Index;
        ItemList MainWindowModel::*list = nullptr;
        NumericField MainWindowModel::*field = nullptr;
        Applied applied = Applied::Ok;
        Then then = Then::Nothing;
        bool always = false; // sent whatever the status
    };

  private:
    void readDisplayUnitExtra();
    void tableA();
    void tableB();
    // Runs the steps of one block; `output` is the output index the commands carry (-1: none).
    void run(std::initializer_list<Step> steps, int output);
    void runStep(const Step& step, int output);
    void apply(const Step& step);
    QString controlOf(const Step& step) const;
    void afterwards(Then then);
    void resistanceRule(int decimals);
    void report();
    void rememberSource();

    int32_t outputFunction = 0; // the instrument's code, 0 when not read
    bool outputsActive = false;
    Reading reading; // the exchange under way
    std::optional<Reading> failure;
};

namespace bus {

inline int16_t DVN20DatenEinlesen(BusLibrary& library, ConfigActions& actions, Prompter& prompter,
                                  Clock& clock) {
    return Readout(library, actions, prompter, clock).DVN20DatenEinlesen();
}

} // namespace bus
