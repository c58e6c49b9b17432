#pragma once

#include "ConfigFixture.h"
#include "config/NumberFormat.h"

// The clicks a user makes in the main window, in the order the window asks for them.
namespace steps {

inline void chooseInput(ConfigFixture& f, int kind, int sensor = -1) {
    f.model.rgInput.itemIndex = kind;
    f.actions.rgInputClick();
    if (sensor >= 0) {
        f.model.rgSensor.itemIndex = sensor;
        f.actions.rgSensorClick();
    }
}

inline void chooseOutput(ConfigFixture& f, int position) {
    f.model.rgOutput.itemIndex = position;
    f.actions.rgOutputClick();
}

inline void chooseController(ConfigFixture& f, int index) {
    f.model.rgReglerFunktion.itemIndex = index;
    f.actions.rgReglerFunktionClick();
}

// Model, input kind and sensor, then the output function at list position `position`.
inline void configure(ConfigFixture& f, ModelId model, int kind, int sensor, int position) {
    f.actions.selectModel(model);
    chooseInput(f, kind, sensor);
    chooseOutput(f, position);
}

inline double value(const ConfigFixture& f, const NumericField& field) {
    return NumberFormat::parseNumber(field.text, f.sep());
}

} // namespace steps
