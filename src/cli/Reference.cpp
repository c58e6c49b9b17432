#include "cli/Reference.h"

#include "cli/Commands.h"
#include "cli/CommandLine.h"
#include "files/D20Format.h"

namespace clireference {

namespace {

struct Entry {
    const char* name;
    const char* text;
};

const QList<Entry>& environment() {
    static const QList<Entry> list = {
        {"TRAXBUS_SIM", "Datei der simulierten Geräte; sonst $XDG_CONFIG_HOME/Halvora/traxbus-sim.json "
                        "(~/.config/Halvora/traxbus-sim.json). Fehlt sie, wird sie mit den Vorgabegeräten "
                        "angelegt."},
        {"TRAXBUS_TRACE", "Die Bus-Bibliothek hängt jeden ihrer Aufrufe als JSON-Zeile an diese Datei an."},
        {"TRAXBUS_WIRETIME", "off: die simulierten Geräte antworten ohne die Laufzeit der Leitung."},
    };
    return list;
}

const QList<Entry>& files() {
    static const QList<Entry> list = {
        {"~/.config/Halvora/Trk_Dvn_Konfigurationsprogramm.ini",
         "Einstellungen des Fensters; trkdvn-cli liest und schreibt sie nur mit --use-settings."},
        {"~/.config/Halvora/traxbus-sim.json", "Die simulierten Geräte (siehe TRAXBUS_SIM)."},
        {"/usr/lib/<Architektur>/trkdvn/TRAXB32E.so", "Die Bus-Bibliothek, wenn --library nichts anderes sagt."},
    };
    return list;
}

const QList<Entry>& examples() {
    static const QList<Entry> list = {
        {"trkdvn-cli identify --port 1", "Welches Gerät antwortet an COM1?"},
        {"trkdvn-cli read --port 1 -o kessel1.d20 --comment \"Abnahme 12/2026\"",
         "Konfiguration lesen und als d20-Datei speichern."},
        {"trkdvn-cli program kessel1.d20 --port 1 --port 3 --verify",
         "Zwei Geräte programmieren und jedes zurücklesen."},
        {"trkdvn-cli diff kessel1.d20 port:1", "Datei und Gerät vergleichen (Exit 4 bei Abweichungen)."},
        {"trkdvn-cli show kessel1.d20 --json", "Eine Datei maschinenlesbar ausgeben."},
    };
    return list;
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The terminal help's line breaks are for 100 columns; pages flow their text.
QString flowed(const char* utf8) {
    return text(utf8).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString roff(QString t) {
    t.replace(QLatin1Char('\\'), QStringLiteral("\\e")).replace(QLatin1Char('-'), QStringLiteral("\\-"));
    if (t.startsWith(QLatin1Char('.')) || t.startsWith(QLatin1Char('\''))) t.prepend(QStringLiteral("\\&"));
    return t;
}

QString html(QString t) {
    return t.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
        .replace(QLatin1Char('<'), QStringLiteral("&lt;"))
        .replace(QLatin1Char('>'), QStringLiteral("&gt;"));
}

QString commandsTaking(const cliopt::Option& o) {
    const QString key = cliopt::key(o);
    if (cliopt::common().contains(key)) return QStringLiteral("alle");
    QStringList names;
    for (const Command& c : commands())
        for (const CommandOption& co : c.options)
            if (key == QLatin1String(co.key)) names.append(QLatin1String(c.name));
    return names.join(QStringLiteral(", "));
}

} // namespace

QString manPage() {
    QString p;
    const auto line = [&p](const QString& l) { p += l + u'\n'; };
    line(QStringLiteral(".TH TRKDVN\\-CLI 1 \"%1\" \"trkdvn %2\" \"Benutzerbefehle\"")
             .arg(QStringLiteral("Dezember 2026"), roff(d20::kProgramVersion)));
    line(QStringLiteral(".SH NAME"));
    line(QStringLiteral("trkdvn\\-cli \\- das TRK/DVN Konfigurationsprogramm ohne Fenster"));
    line(QStringLiteral(".SH ÜBERSICHT"));
    for (const Command& c : commands()) {
        line(QStringLiteral(".B trkdvn\\-cli"));
        line(roff(synopsis(c)));
        line(QStringLiteral(".br"));
    }
    line(QStringLiteral(".B trkdvn\\-cli"));
    line(QStringLiteral(".RB [ \\-\\-help | \\-\\-version ]"));
    line(QStringLiteral(".SH BESCHREIBUNG"));
    line(QStringLiteral(".B trkdvn\\-cli"));
    line(roff(QStringLiteral("führt von der Kommandozeile aus, was das Fenster von")));
    line(QStringLiteral(".BR trkdvn (1)"));
    line(roff(QStringLiteral(
        "mit einem Gerät oder einer d20-Datei tut: dieselben Befehlsfolgen, dieselben Dateien, dieselben "
        "Meldungen (jede Meldung des Fensters erscheint auf stderr). Eine Anzeige wird nicht gebraucht. "
        "Die Einstellungen des Fensters werden nur mit --use-settings gelesen und geschrieben.")));
    line(QStringLiteral(".SH BEFEHLE"));
    for (const Command& c : commands()) {
        line(QStringLiteral(".TP"));
        line(QStringLiteral(".B ") + roff(synopsis(c)));
        line(roff(flowed(c.description)));
        line(QStringLiteral(".br"));
        line(QStringLiteral("Beispiel: ") + roff(text(c.example)));
    }
    line(QStringLiteral(".SH OPTIONEN"));
    for (const cliopt::Option& o : cliopt::table()) {
        line(QStringLiteral(".TP"));
        line(QStringLiteral(".B ") + roff(cliopt::spelled(o)));
        line(roff(cliopt::helpText(o)) + QStringLiteral(" (Befehle: ") + roff(commandsTaking(o)) + u')');
    }
    line(QStringLiteral(".SH EXIT\\-STATUS"));
    for (const exitcode::Meaning& m : exitcode::meanings()) {
        line(QStringLiteral(".TP"));
        line(QStringLiteral(".B %1").arg(m.code));
        line(roff(text(m.text)) + u'.');
    }
    line(QStringLiteral(".SH UMGEBUNG"));
    for (const Entry& e : environment()) {
        line(QStringLiteral(".TP"));
        line(QStringLiteral(".B ") + roff(text(e.name)));
        line(roff(text(e.text)));
    }
    line(QStringLiteral(".SH DATEIEN"));
    for (const Entry& e : files()) {
        line(QStringLiteral(".TP"));
        line(QStringLiteral(".I ") + roff(text(e.name)));
        line(roff(text(e.text)));
    }
    line(QStringLiteral(".SH BEISPIELE"));
    for (const Entry& e : examples()) {
        line(QStringLiteral(".TP"));
        line(QStringLiteral(".B ") + roff(text(e.name)));
        line(roff(text(e.text)));
    }
    line(QStringLiteral(".SH \"SIEHE AUCH\""));
    line(QStringLiteral(".BR trkdvn (1)"));
    return p;
}

QString bashCompletion() {
    QStringList commandNames;
    QString perCommand;
    for (const Command& c : commands()) {
        commandNames.append(QLatin1String(c.name));
        QStringList own;
        for (const CommandOption& o : c.options)
            for (const QString& n : cliopt::names(*cliopt::find(QLatin1String(o.key))))
                own.append(cliopt::dashed(n));
        perCommand += QStringLiteral("        %1) own=\"%2\" ;;\n").arg(QLatin1String(c.name), own.join(u' '));
    }
    QStringList commonNames;
    for (const QString& key : cliopt::common())
        for (const QString& n : cliopt::names(*cliopt::find(key)))
            commonNames.append(cliopt::dashed(n));
    QString values;
    for (const cliopt::Option& o : cliopt::table()) {
        QString words;
        if (o.choices) words = cliopt::choiceList(o).join(u' ');
        if (o.value == cliopt::Value::Converter) words = QStringLiteral("0 6 7 66");
        if (o.value == cliopt::Value::Separator) words = QStringLiteral(", .");
        QStringList spelled;
        for (const QString& n : cliopt::names(o))
            spelled.append(cliopt::dashed(n));
        if (!words.isEmpty())
            values += QStringLiteral("        %1) COMPREPLY=($(compgen -W \"%2\" -- \"$cur\")); return ;;\n")
                          .arg(spelled.join(u'|'), words);
        else if (cliopt::key(o) == QLatin1String("model"))
            values += QStringLiteral("        --model) local IFS=$'\\n'; COMPREPLY=($(compgen -W \"$(trkdvn-cli "
                                     "models 2>/dev/null)\" -- \"$cur\")); return ;;\n");
        else if (o.valueName)
            values += QStringLiteral("        %1) COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n")
                          .arg(spelled.join(u'|'));
    }
    return QStringLiteral(
               "# bash completion for trkdvn-cli: commands, options and their values\n"
               "_trkdvn_cli() {\n"
               "    local cur prev command own word\n"
               "    cur=\"${COMP_WORDS[COMP_CWORD]}\"\n"
               "    prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
               "    case \"$prev\" in\n%1"
               "    esac\n"
               "    for word in \"${COMP_WORDS[@]:1:COMP_CWORD-1}\"; do\n"
               "        case \"$word\" in -*) ;; *) command=\"$word\"; break ;; esac\n"
               "    done\n"
               "    if [ -z \"$command\" ]; then\n"
               "        COMPREPLY=($(compgen -W \"%2 %3\" -- \"$cur\"))\n"
               "        return\n"
               "    fi\n"
               "    case \"$command\" in\n%4"
               "        *) own=\"\" ;;\n"
               "    esac\n"
               "    if [[ \"$cur\" == -* ]]; then\n"
               "        COMPREPLY=($(compgen -W \"$own %3\" -- \"$cur\"))\n"
               "    else\n"
               "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
               "    fi\n"
               "}\n"
               "complete -F _trkdvn_cli trkdvn-cli\n")
        .arg(values, commandNames.join(u' '), commonNames.join(u' '), perCommand);
}

QString handbookHtml() {
    QString h = QStringLiteral("<h3>Befehle</h3>\n<table>\n<tr><th>Aufruf</th><th>Was er tut</th></tr>\n");
    for (const Command& c : commands())
        h += QStringLiteral("<tr id=\"cli-%4\"><td><code>trkdvn-cli %1</code></td><td>%2<br>Beispiel: <code>%3</code></td></tr>\n")
                 .arg(html(synopsis(c)), html(flowed(c.description)), html(text(c.example)), QLatin1String(c.name));
    h += QStringLiteral("</table>\n<h3>Optionen</h3>\n<table>\n<tr><th>Option</th><th>Bedeutung</th><th>Befehle</th></tr>\n");
    for (const cliopt::Option& o : cliopt::table())
        h += QStringLiteral("<tr><td><code>%1</code></td><td>%2</td><td>%3</td></tr>\n")
                 .arg(html(cliopt::spelled(o)), html(cliopt::helpText(o)), html(commandsTaking(o)));
    h += QStringLiteral("</table>\n<h3>Exit-Codes</h3>\n<table>\n<tr><th>Code</th><th>Bedeutung</th></tr>\n");
    for (const exitcode::Meaning& m : exitcode::meanings())
        h += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n").arg(m.code).arg(html(text(m.text)));
    h += QStringLiteral("</table>\n<h3>Umgebungsvariablen</h3>\n<table>\n<tr><th>Variable</th><th>Bedeutung</th></tr>\n");
    for (const Entry& e : environment())
        h += QStringLiteral("<tr><td><code>%1</code></td><td>%2</td></tr>\n").arg(html(text(e.name)), html(text(e.text)));
    h += QStringLiteral("</table>\n");
    return h;
}

} // namespace clireference
