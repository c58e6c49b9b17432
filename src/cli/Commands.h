#pragma once

#include "cli/Session.h"

#include <QCommandLineParser>
#include <QStringList>

// Exit codes of every command.
namespace exitcode {
constexpr int Ok = 0;
constexpr int BusFailure = 1;  // the instrument or the bus reported a failure
constexpr int Usage = 2;       // wrong usage
constexpr int FileError = 3;   // a file could not be read or written
constexpr int Differences = 4; // verification or comparison found differences
} // namespace exitcode

// What a command gets: the parsed line, the common options and its own arguments.
struct Invocation {
    QCommandLineParser& parser;
    CommonOptions common;
    QStringList args; // positional arguments after the command's name
    bool json = false;
    QList<int16_t> ports;
};

struct Command {
    const char* name;
    const char* synopsis;
    const char* description; // German, as the program speaks
    const char* example;
    int (*run)(Invocation&);
};

const QList<Command>& commands();
const Command* findCommand(const QString& name);
// Runs a command; a call trace or stdout that cannot be written ends it with exit 3.
int runCommand(const Command& command, Invocation& in);
