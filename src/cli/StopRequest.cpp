#include "cli/StopRequest.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kStoppedByUser = 130; // exitcode::Interrupted

volatile std::sig_atomic_t stopAsked = 0;
volatile std::sig_atomic_t deferring = 0;

void say(const char* text) {
    // Only what a signal handler may call.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
}

void onSignal(int number) {
    if (!deferring) {
        say("\nAbgebrochen.\n");
        ::_exit(kStoppedByUser);
    }
    if (stopAsked) {
        // The second one: at once, as the user insists.
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    stopAsked = 1;
    say("\nAbbruch angefordert: was gerade am Gerät geschieht, wird zu Ende gebracht, nichts Weiteres "
        "begonnen. Ein zweites Strg+C bricht sofort ab.\n");
}

} // namespace

namespace stoprequest {

void install() {
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted waits go on: a bus exchange is never cut short by the request.
    action.sa_flags = SA_RESTART;
    for (int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

bool requested() {
    return stopAsked != 0;
}

Deferred::Deferred() {
    deferring = 1;
}

Deferred::~Deferred() {
    deferring = 0;
}

} // namespace stoprequest
