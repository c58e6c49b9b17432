#pragma once

#include "cli/Session.h"

#include "cli/CommandLine.h"

#include <QStringList>

#include <memory>

// Exit codes of every command.
namespace exitcode {
constexpr int Ok = 0;
constexpr int BusFailure = 1;  // the instrument or the bus reported a failure
constexpr int Usage = 2;       // wrong usage
constexpr int FileError = 3;   // a file could not be read or written
constexpr int Differences = 4; // verification or comparison found differences
constexpr int NotRecorded = 5; // the work was done, but entries are missing from the archive
constexpr int Interrupted = 130; // stopped by the user (Ctrl+C, SIGTERM, SIGHUP)

struct Meaning {
    int code;
    const char* text; // German
};
// Every exit code with what it means, for the help, the manual page and the handbook.
const QList<Meaning>& meanings();
} // namespace exitcode

// What a command gets: the parsed line, the common options and its own arguments.
struct Invocation {
    const CommandLine& parser;
    CommonOptions common;
    QStringList args; // positional arguments after the command's name
    bool json = false;
    QList<int16_t> ports;
    // The archive the command writes to, kept until the command has ended.
    std::shared_ptr<InstrumentRecord> ownRecord;
};

// An option a command takes besides the common ones.
struct CommandOption {
    const char* key;
    bool required = false;     // --port is also given by --use-settings (the stored port)
    const char* needs = nullptr; // another option without which this one means nothing
    bool repeatable = false;
};

struct Command {
    const char* name;
    const char* arguments;   // the positional words, as the synopsis shows them ("DATEI.d20")
    int argumentCount;       // how many of them; -1: the command checks them itself
    const char* description; // German, as the program speaks
    const char* example;
    int (*run)(Invocation&);
    QList<CommandOption> options;
};

const QList<Command>& commands();
const Command* findCommand(const QString& name);

// Runs the command on a command line that fits it (see misfit).
int runCommand(const Command& command, Invocation& in);

// "read --port N [--model NAME] …": the command with its arguments and options.
QString synopsis(const Command& command);
// Why the command line does not fit the command (an option that does not belong,
// a missing one, one without the option it needs, one given twice, a wrong number
// of arguments); empty when it fits.
QString misfit(const Command& command, const CommandLine& line);

