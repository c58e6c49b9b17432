#pragma once

#include "config/MainWindowModel.h"

#include <QString>

#include <deque>
#include <functional>
#include <optional>

// The main window's configurations as the user went through them, for "Rückgängig"
// and "Wiederholen". A step holds the whole window state before it; going back puts
// that state into the window again, except what belongs to the program rather than to
// the configuration (see `carryProgramState`). Nothing here touches an instrument or a
// file.
class UndoHistory {
public:
    static constexpr int kDefaultLimit = 100;

    explicit UndoHistory(int limit = kDefaultLimit);

    // Starts over from `model`: nothing to undo or redo.
    void reset(const MainWindowModel& model);

    // Records the change since the last recorded state as one step of the given kind;
    // false (and no step) when the configuration is the same. A new step ends the redo
    // list; beyond the limit the oldest step is dropped.
    bool record(const MainWindowModel& model, const QString& kind);

    bool canUndo() const { return !undoSteps.empty(); }
    bool canRedo() const { return !redoSteps.empty(); }
    int undoCount() const { return static_cast<int>(undoSteps.size()); }
    int limit() const { return maxSteps; }

    // Puts the configuration before the last step into `model` and returns the step's
    // kind; nullopt when there is none. Call `record` first so that unrecorded changes
    // count as a step of their own. `settle` runs on the restored window before it
    // becomes the current state, for rules that follow the program state kept.
    std::optional<QString> undo(MainWindowModel& model, const std::function<void()>& settle = {});
    std::optional<QString> redo(MainWindowModel& model, const std::function<void()>& settle = {});

    // Equal as configurations: what `carryProgramState` leaves alone is not compared.
    static bool sameConfiguration(const MainWindowModel& a, const MainWindowModel& b);
    // Copies into `to` everything of `from` that belongs to the program, the bus or the
    // instrument last talked to rather than to the configuration.
    static void carryProgramState(MainWindowModel& to, const MainWindowModel& from);
    // `live` takes the configuration of `saved` and keeps its own program state.
    static void restore(MainWindowModel& live, const MainWindowModel& saved);

private:
    struct Step {
        MainWindowModel state; // the other side of the step
        QString kind;
    };

    std::optional<QString> move(std::deque<Step>& from, std::deque<Step>& to, MainWindowModel& model,
                                const std::function<void()>& settle);

    int maxSteps;
    MainWindowModel current; // the state after the last step
    std::deque<Step> undoSteps;
    std::deque<Step> redoSteps;
};
