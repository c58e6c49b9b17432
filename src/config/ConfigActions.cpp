#include "config/ConfigActions.h"

ConfigActions::ConfigActions(MainWindowModel& model, ConfigEnvironment environment)
    : m(model), env(std::move(environment)) {}

void ConfigActions::repaintStatusBar() {
    ++m.StatusBar1.repaints;
    // A listener that let go of its handle is gone; one added while repainting hears the next.
    std::erase_if(statusBarListeners, [](const auto& l) { return l.expired(); });
    const auto listeners = statusBarListeners;
    for (const auto& listener : listeners)
        if (const auto repaint = listener.lock()) (*repaint)();
}

ConfigActions::Listening ConfigActions::onStatusBarRepaint(std::function<void()> repaint) {
    auto kept = std::make_shared<std::function<void()>>(std::move(repaint));
    statusBarListeners.push_back(kept);
    return kept;
}
