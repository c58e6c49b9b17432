#pragma once

#include "Roster.h"

#include <stdexcept>
#include <string>

namespace traxbus {

// A roster file that cannot be used; what() says in German where and why.
class RosterError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The roster file's JSON layout (buslib/README.md). Every value is checked: the file is
// edited by hand.
class RosterJson {
  public:
    static Roster parse(const std::string& text); // throws RosterError
    static std::string serialize(const Roster& roster);
};

} // namespace traxbus
