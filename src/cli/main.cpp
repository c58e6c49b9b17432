#include "cli/Commands.h"

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

const char* const kExitCodes = "Exit-Codes:\n"
                               "  0  Erfolg\n"
                               "  1  das Gerät oder der Bus hat einen Fehler gemeldet\n"
                               "  2  falscher Aufruf\n"
                               "  3  Dateifehler\n"
                               "  4  Prüfung oder Vergleich hat Abweichungen gefunden\n";

void print(std::FILE* f, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

QString generalHelp(const QCommandLineParser& parser) {
    QString text = QStringLiteral("trkdvn-cli – das Konfigurationsprogramm ohne Fenster\n\n"
                                  "Aufruf: trkdvn-cli BEFEHL [Optionen]\n\nBefehle:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n").arg(QString::fromUtf8(c.synopsis));
    text += QStringLiteral("\n„trkdvn-cli BEFEHL --help“ erklärt einen Befehl mit Beispiel.\n\n");
    QString options = parser.helpText();
    options = options.mid(options.indexOf(QStringLiteral("Options:")));
    text += options.replace(QStringLiteral("Options:"), QStringLiteral("Optionen:"))
                .replace(QStringLiteral("Arguments:"), QStringLiteral("Argumente:"));
    text += QLatin1Char('\n') + QString::fromUtf8(kExitCodes);
    return text;
}

QString commandHelp(const Command& c) {
    return QStringLiteral("Aufruf: trkdvn-cli %1\n\n%2\n\nBeispiel:\n  %3\n\n%4")
        .arg(QString::fromUtf8(c.synopsis), QString::fromUtf8(c.description), QString::fromUtf8(c.example),
             QString::fromUtf8(kExitCodes));
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
    // Outlives the application: a private runtime folder where the session has none (ssh, cron),
    // so drawing does not start with the toolkit's warning about it.
    std::unique_ptr<QTemporaryDir> runtime;
    std::unique_ptr<QCoreApplication> application;
    if (drawsSheet(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
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

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const auto opt = [&parser](const QStringList& names, const char* help, const char* value = nullptr) {
        parser.addOption(value ? QCommandLineOption(names, QString::fromUtf8(help), QString::fromUtf8(value))
                               : QCommandLineOption(names, QString::fromUtf8(help)));
    };
    opt({QStringLiteral("h"), QStringLiteral("help")}, "Hilfe anzeigen.");
    opt({QStringLiteral("v"), QStringLiteral("version")}, "Version anzeigen.");
    opt({QStringLiteral("port")}, "Port (COM-Nummer); bei program mehrfach möglich.", "N");
    opt({QStringLiteral("converter")}, "Pegelwandler 0, 6, 7 oder 66 (Vorgabe 0).", "CODE");
    opt({QStringLiteral("address")}, "Busadresse; sonst wird sie wie im Fenster abgefragt.", "A");
    opt({QStringLiteral("library")}, "Ordner oder Datei der Bus-Bibliothek TRAXB32E; sonst wie das Fenster.",
        "PFAD");
    opt({QStringLiteral("json")}, "Ergebnis maschinenlesbar auf stdout, ein JSON-Objekt je Ergebnis.");
    opt({QStringLiteral("separator")},
        "Dezimaltrenner für Ausgabe und Dateien: , oder . (Vorgabe: Gebietsschema).", "ZEICHEN");
    opt({QStringLiteral("use-settings")},
        "Einstellungen des Fensters lesen und schreiben (Port, Wandler, Ordner).");
    opt({QStringLiteral("trace")}, "Jeden Aufruf der Bus-Bibliothek als JSON-Zeile an DATEI anhängen.",
        "DATEI");
    opt({QStringLiteral("model")}, "Gerätetyp wie im Menü „Typ“, z. B. \"TRK 520 PID\".", "NAME");
    opt({QStringLiteral("o"), QStringLiteral("output")},
        "read: Konfiguration in diese d20-Datei speichern; sheet: Konfigurationsblatt in diese PDF-Datei.",
        "DATEI");
    opt({QStringLiteral("comment")}, "read -o: Kommentar der Datei.", "TEXT");
    opt({QStringLiteral("verify")}, "program: Gerät danach zurücklesen und vergleichen.");
    opt({QStringLiteral("to")}, "set-address: neue Busadresse.", "ADRESSE");
    opt({QStringLiteral("name")}, "rename: neuer Gerätename.", "TEXT");
    opt({QStringLiteral("max")}, "flow: Messbereich max. des Gebers.", "X");
    opt({QStringLiteral("unit")}, "flow: Einheit des Messbereichs (l/min, l/h, m3/min, m3/h).", "EINHEIT");
    opt({QStringLiteral("pulses")}, "flow: Anzahl der Impulse.", "P");
    opt({QStringLiteral("per")}, "flow: Impulse je l oder m3.", "l|m3");
    opt({QStringLiteral("signal")}, "flow: Ausgangssignal ttl, npn oder pnp.", "SIGNAL");
    opt({QStringLiteral("display-unit")}, "flow: Anzeigeeinheit.", "EINHEIT");
    opt({QStringLiteral("decimals")}, "flow: Anzahl der Dezimalstellen 0 bis 3.", "N");
    opt({QStringLiteral("apply")}, "flow: Ergebnis in die Konfiguration dieser Datei übernehmen (mit -o).",
        "DATEI");
    opt({QStringLiteral("yes")}, "Rückfragen mit „Ja“ beantworten (sonst: „Nein“ bzw. Abbrechen).");
    parser.addPositionalArgument(
        QStringLiteral("befehl"),
        QStringLiteral("ports, identify, read, show, program, diff, sheet, set-address, rename, flow"));

    if (!parser.parse(QCoreApplication::arguments())) {
        print(stderr, parser.errorText() + QLatin1Char('\n'));
        return exitcode::Usage;
    }
    QStringList args = parser.positionalArguments();
    const Command* command = args.isEmpty() ? nullptr : findCommand(args.first());
    if (parser.isSet(QStringLiteral("version"))) {
        print(stdout, programVersionLine(QStringLiteral("trkdvn-cli")));
        return exitcode::Ok;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, command ? commandHelp(*command) : generalHelp(parser));
        return exitcode::Ok;
    }
    if (!command) {
        print(stderr, args.isEmpty() ? QStringLiteral("Kein Befehl angegeben.\n")
                                     : QStringLiteral("Unbekannter Befehl „%1“.\n").arg(args.first()));
        print(stderr, generalHelp(parser));
        return exitcode::Usage;
    }
    args.removeFirst();

    Invocation in{parser, {}, args, parser.isSet(QStringLiteral("json")), {}};
    for (const QString& value : parser.values(QStringLiteral("port"))) {
        bool ok = false;
        const int port = value.toInt(&ok);
        if (!ok || port < 1 || port > 32767) {
            print(stderr, QStringLiteral("Ungültiger Port „%1“.\n").arg(value));
            return exitcode::Usage;
        }
        in.ports.append(static_cast<int16_t>(port));
    }
    if (parser.isSet(QStringLiteral("converter"))) {
        const int code = parser.value(QStringLiteral("converter")).toInt();
        if (code != 0 && code != 6 && code != 7 && code != 66) {
            print(stderr, QStringLiteral("Ungültiger Wandler „%1“ (0, 6, 7 oder 66).\n")
                              .arg(parser.value(QStringLiteral("converter"))));
            return exitcode::Usage;
        }
        in.common.converter = static_cast<int16_t>(code);
    }
    if (parser.isSet(QStringLiteral("address"))) {
        bool ok = false;
        const int address = parser.value(QStringLiteral("address")).toInt(&ok);
        if (!ok || address < 0 || address > 239) {
            print(stderr, QStringLiteral("Ungültige Adresse „%1“ (0 bis 239).\n")
                              .arg(parser.value(QStringLiteral("address"))));
            return exitcode::Usage;
        }
        in.common.address = static_cast<int16_t>(address);
    }
    if (parser.isSet(QStringLiteral("separator"))) {
        const QString sep = parser.value(QStringLiteral("separator"));
        if (sep != QLatin1String(",") && sep != QLatin1String(".")) {
            print(stderr, QStringLiteral("Ungültiger Dezimaltrenner „%1“ (, oder .).\n").arg(sep));
            return exitcode::Usage;
        }
        in.common.separator = sep.at(0);
    }
    in.common.library = parser.value(QStringLiteral("library"));
    in.common.trace = parser.value(QStringLiteral("trace"));
    in.common.useSettings = parser.isSet(QStringLiteral("use-settings"));
    return runCommand(*command, in);
}
