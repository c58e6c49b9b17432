#include "cli/Commands.h"
#include "cli/Output.h"

#include "app/ProgramVersion.h"

#include "ui/ProgramFonts.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

QString exitCodes() {
    QString text = QStringLiteral("Exit-Codes:\n");
    for (const exitcode::Meaning& m : exitcode::meanings())
        text += QStringLiteral("  %1  %2\n").arg(m.code).arg(QString::fromUtf8(m.text));
    return text;
}

void print(std::FILE* f, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

// "  --port N            Port (…)" for each option, aligned.
QString optionLines(const QList<const cliopt::Option*>& options) {
    QString text;
    for (const cliopt::Option* o : options) {
        text += QStringLiteral("  %1  %2\n").arg(cliopt::spelled(*o), -26).arg(cliopt::helpText(*o));
    }
    return text;
}

QString generalHelp() {
    QString text = QStringLiteral("trkdvn-cli – das Konfigurationsprogramm ohne Fenster\n\n"
                                  "Aufruf: trkdvn-cli BEFEHL [Optionen]\n\nBefehle:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n").arg(synopsis(c));
    text += QStringLiteral("\n„trkdvn-cli BEFEHL --help“ erklärt einen Befehl mit Beispiel.\n\nOptionen:\n");
    QList<const cliopt::Option*> all;
    for (const cliopt::Option& o : cliopt::table())
        all.append(&o);
    text += optionLines(all);
    text += QLatin1Char('\n') + exitCodes();
    return text;
}

QString commandHelp(const Command& c) {
    QList<const cliopt::Option*> own;
    for (const CommandOption& o : c.options)
        own.append(cliopt::find(QLatin1String(o.key)));
    QList<const cliopt::Option*> shared;
    for (const QString& key : cliopt::common())
        shared.append(cliopt::find(key));
    return QStringLiteral("Aufruf: trkdvn-cli %1\n\n%2\n\n%3Optionen aller Befehle:\n%4\nBeispiel:\n  %5\n\n%6")
        .arg(synopsis(c), QString::fromUtf8(c.description),
             own.isEmpty() ? QString() : QStringLiteral("Optionen:\n") + optionLines(own) + u'\n',
             optionLines(shared), QString::fromUtf8(c.example), exitCodes());
}

// Only `sheet` draws (the window's picture): it alone gets the widget toolkit, on the
// offscreen platform, so no command needs a display.
bool drawsSheet(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "sheet")) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::unique_ptr<QCoreApplication> application;
    if (drawsSheet(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // A private runtime folder where the session has none (ssh, cron), so drawing does not
        // start with the toolkit's warning about it. The toolkit looks into it only while it
        // starts: it is gone again before the command runs, so a run killed later leaves nothing.
        std::unique_ptr<QTemporaryDir> runtime;
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            runtime = std::make_unique<QTemporaryDir>();
            if (runtime->isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
        }
        application = std::make_unique<QApplication>(argc, argv);
        programfonts::applyToApplication();
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("trkdvn-cli"));

    CommandLine parser;
    QStringList words = QCoreApplication::arguments();
    words.removeFirst();
    const bool parsed = parser.parse(words);
    QStringList args = parser.positionalArguments();
    const Command* command = args.isEmpty() ? nullptr : findCommand(args.first());
    // A wrong call: the reason on stderr, and with --json one object on stdout as well.
    const auto refuse = [&parser](const QString& text) {
        print(stderr, text);
        cliout::heard(text.trimmed());
        return cliout::finish(exitcode::Usage, parser.isSet(QStringLiteral("json")));
    };
    if (!parsed)
        return refuse(parser.errorText() + QLatin1Char('\n') +
                      (command ? QStringLiteral("Aufruf: trkdvn-cli %1\n").arg(synopsis(*command))
                               : QStringLiteral("„trkdvn-cli --help“ zeigt alle Befehle und Optionen.\n")));
    if (parser.isSet(QStringLiteral("version"))) {
        print(stdout, programVersionLine(QStringLiteral("trkdvn-cli")));
        return exitcode::Ok;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, command ? commandHelp(*command) : generalHelp());
        return exitcode::Ok;
    }
    if (!command) {
        print(stderr, args.isEmpty() ? QStringLiteral("Kein Befehl angegeben.\n")
                                     : QStringLiteral("Unbekannter Befehl „%1“.\n").arg(args.first()));
        print(stderr, generalHelp());
        return exitcode::Usage;
    }
    if (const QString reason = misfit(*command, parser); !reason.isEmpty())
        return refuse(reason + QStringLiteral("\nAufruf: trkdvn-cli %1\n").arg(synopsis(*command)));
    args.removeFirst();

    // Every value was checked against the option table while parsing.
    Invocation in{parser, {}, args, parser.isSet(QStringLiteral("json")), {}, {}};
    for (const QString& value : parser.values(QStringLiteral("port")))
        in.ports.append(static_cast<int16_t>(value.toInt()));
    if (parser.isSet(QStringLiteral("converter")))
        in.common.converter = static_cast<int16_t>(parser.value(QStringLiteral("converter")).toInt());
    if (parser.isSet(QStringLiteral("address")))
        in.common.address = static_cast<int16_t>(parser.value(QStringLiteral("address")).toInt());
    if (parser.isSet(QStringLiteral("separator"))) in.common.separator = parser.value(QStringLiteral("separator")).at(0);
    in.common.library = parser.value(QStringLiteral("library"));
    in.common.trace = parser.value(QStringLiteral("trace"));
    in.common.useSettings = parser.isSet(QStringLiteral("use-settings"));
    in.common.yes = parser.isSet(QStringLiteral("yes"));
    in.common.reason = parser.value(QStringLiteral("reason"));
    return runCommand(*command, in);
}
