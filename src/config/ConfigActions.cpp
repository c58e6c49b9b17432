#include "config/ConfigActions.h"

ConfigActions::ConfigActions(MainWindowModel& model, ConfigEnvironment environment)
    : m(model), env(std::move(environment)) {}
