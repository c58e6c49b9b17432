#pragma once

// Ctrl+C, SIGTERM and SIGHUP (a closed terminal) for trkdvn-cli.
//
// A command that only reads ends at once with exit 130. While a command changes
// instruments (`Deferred`), the first signal only asks it to stop: the instrument being
// written is finished (its whole write sequence, the take-over restart and the read-back),
// no further one is started, and the command names what was done before it exits 130.
// A second signal ends the process at once; the archive's journal then names the
// instrument as half programmed at the next contact.
namespace stoprequest {

// Installs the handlers for the rest of the process.
void install();
// True once a signal asked the command to stop.
bool requested();

// While one lives, a signal asks instead of ending the process.
class Deferred {
  public:
    Deferred();
    ~Deferred();
    Deferred(const Deferred&) = delete;
    Deferred& operator=(const Deferred&) = delete;
};

} // namespace stoprequest
