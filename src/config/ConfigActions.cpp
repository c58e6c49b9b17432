#include "config/ConfigActions.h"

ConfigActions::ConfigActions(MainWindowModel& model, ConfigEnvironment environment)
    : m(model), env(std::move(environment)) {}

void ConfigActions::repaintStatusBar() {
    ++m.StatusBar1.repaints;
    if (env.repaintStatusBar)
        env.repaintStatusBar();
}
