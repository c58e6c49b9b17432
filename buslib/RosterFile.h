#pragma once

#include "Roster.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace traxbus {

// Where the roster lives and how it is read and written. Failures come back as a status and a
// German text naming the file and the problem.
class RosterFile {
  public:
    // TRAXBUS_SIM, else $XDG_CONFIG_HOME/Halvora/traxbus-sim.json (XDG default ~/.config).
    static std::string defaultPath();

    explicit RosterFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    // Reads the roster; a missing file is created with the default roster first. When only
    // the creation fails, roster holds the default roster and problem says why.
    int16_t load(Roster& roster, std::string& problem) const;

    // One change of the roster: under the roster's lock the file is read afresh (the default
    // roster when it is missing), change applied to it and the result written back, so two
    // processes changing different instruments keep each other's changes. change returns false
    // when it found nothing to write.
    using Change = std::function<bool(Roster&)>;
    int16_t update(const Change& change, std::string& problem) const;

  private:
    int16_t read(Roster& roster, std::string& problem) const;
    // Replaces the file in one step (temporary file + rename), so a reader never sees half of it.
    int16_t replace(const std::filesystem::path& target, const Roster& roster, std::string& problem) const;

    std::string path_;
};

} // namespace traxbus
