#include "cli/CommandLine.h"

#include "bus/BusConstants.h"
#include "cli/Session.h"

#include <QRegularExpression>

namespace cliopt {

namespace {
// The units of the flow calculator's lists, in their order.
constexpr const char* kFlowUnits = "l/min|l/h|m3/min|m3/h";
} // namespace

const QList<Option>& table() {
    static const QList<Option> options = {
        {"h,help", nullptr, Value::None, "Hilfe anzeigen."},
        {"v,version", nullptr, Value::None, "Version anzeigen."},
        {"port", "N", Value::Port, "Port (COM-Nummer 1 bis 32767); bei program mehrfach möglich."},
        {"converter", "CODE", Value::Converter, "Pegelwandler 0, 6, 7 oder 66 (Vorgabe 0)."},
        {"address", "A", Value::Address, "Busadresse 0 bis 239; sonst wird sie wie im Fenster abgefragt."},
        {"library", "PFAD", Value::Text, "Ordner oder Datei der Bus-Bibliothek TRAXB32E; sonst wie das Fenster."},
        {"json", nullptr, Value::None, "Ergebnis maschinenlesbar auf stdout, ein JSON-Objekt je Ergebnis."},
        {"separator", "ZEICHEN", Value::Separator,
         "Dezimaltrenner für Ausgabe und Dateien: , oder . (Vorgabe: Gebietsschema)."},
        {"use-settings", nullptr, Value::None,
         "Einstellungen des Fensters lesen und schreiben (Port, Wandler, Ordner)."},
        {"trace", "DATEI", Value::Text, "Jeden Aufruf der Bus-Bibliothek als JSON-Zeile an DATEI anhängen."},
        {"model", "NAME", Value::Model, "Gerätetyp wie im Menü „Typ“, z. B. \"TRK 520 PID\" (siehe models)."},
        {"o,output", "DATEI", Value::Text,
         "read: Konfiguration in diese d20-Datei speichern; sheet: Konfigurationsblatt in diese PDF-Datei; "
         "flow: Ergebnis von --apply; history show: die gespeicherte d20-Datei; "
         "line init: der Anlagenplan; - ist stdout."},
        {"comment", "TEXT", Value::Text, "read -o: Kommentar der Datei."},
        {"verify", nullptr, Value::None, "program: Gerät danach zurücklesen und vergleichen."},
        {"from", "ADRESSE", Value::Address, "scan: erste abgefragte Adresse (Vorgabe 0)."},
        {"to", "ADRESSE", Value::Address, "set-address: neue Busadresse 0 bis 239; scan: letzte abgefragte Adresse (Vorgabe 239)."},
        {"name", "TEXT", Value::Text, "rename: neuer Gerätename, höchstens 16 Zeichen."},
        {"max", "X", Value::Text, "flow: Messbereich max. des Gebers."},
        {"unit", "EINHEIT", Value::Choice, "flow: Einheit des Messbereichs (Vorgabe l/min).", kFlowUnits},
        {"pulses", "P", Value::Text, "flow: Anzahl der Impulse."},
        {"per", "l|m3", Value::Choice, "flow: Impulse je l oder m3 (Vorgabe l).", "l|m3"},
        {"signal", "SIGNAL", Value::Choice, "flow: Ausgangssignal (Vorgabe ttl).", "ttl|npn|pnp"},
        {"display-unit", "EINHEIT", Value::Choice, "flow: Anzeigeeinheit (Vorgabe l/min).", kFlowUnits},
        {"decimals", "N", Value::Choice, "flow: Anzahl der Dezimalstellen (Vorgabe 0).", "0|1|2|3"},
        {"apply", "DATEI", Value::Text, "flow: Ergebnis in die Konfiguration dieser Datei übernehmen (mit -o)."},
        {"serial", "S", Value::Text, "history: die Einträge des Geräts mit dieser Seriennummer."},
        {"reason", "TEXT", Value::Text, "program: Grund der Änderung, wird im Gerätearchiv eingetragen."},
        {"no-record", nullptr, Value::None,
         "read, program, set-address, rename: nichts in das Gerätearchiv eintragen."},
        {"record", nullptr, Value::None,
         "sheet port:N: die letzte Programmierung des Geräts aus dem Gerätearchiv mit aufs Blatt "
         "(geänderte Felder, Prüfung, Grund, Zeilen für Datum, Name und Unterschrift)."},
        {"archive", "DATEI", Value::Text,
         "history, read, program, set-address, rename, sheet --record: diese Datei als Gerätearchiv (sonst TRKDVN_ARCHIVE, sonst im Datenordner des Benutzers)."},
        {"replace", nullptr, Value::None,
         "line program: Geräte mit neuer Seriennummer als Ersatz der fehlenden übernehmen."},
        {"interval", "S", Value::Text, "watch: Sekunden zwischen zwei Abfragen (Vorgabe 1; 0: so schnell der Bus erlaubt)."},
        {"count", "K", Value::Text, "watch: nach K Abfragen aufhören (sonst bis Strg+C)."},
        {"csv", "DATEI", Value::Text, "watch: die Messwerte zusätzlich in diese CSV-Datei schreiben."},
        {"yes", nullptr, Value::None,
         "Rückfragen des Befehls mit „Ja“ beantworten (sonst „Nein“ bzw. Abbrechen)."},
    };
    return options;
}

QStringList names(const Option& option) {
    return QString::fromLatin1(option.names).split(QLatin1Char(','));
}

QString key(const Option& option) {
    return names(option).last();
}

const Option* find(const QString& name) {
    for (const Option& o : table())
        if (names(o).contains(name)) return &o;
    return nullptr;
}

QString dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

QString spelled(const Option& option) {
    QStringList parts;
    for (const QString& n : names(option))
        parts.append(dashed(n));
    QString text = parts.join(QStringLiteral(", "));
    if (option.valueName) text += QLatin1Char(' ') + QString::fromUtf8(option.valueName);
    return text;
}

QStringList choiceList(const Option& option) {
    return option.choices ? QString::fromUtf8(option.choices).split(QLatin1Char('|')) : QStringList();
}

int choiceIndex(const Option& option, const QString& word) {
    return choiceList(option).indexOf(word.toLower());
}

QString helpText(const Option& option) {
    QString help = QString::fromUtf8(option.help);
    if (option.choices) help += QStringLiteral(" Werte: ") + choiceList(option).join(QStringLiteral(", ")) + u'.';
    return help;
}

const QStringList& common() {
    static const QStringList keys = {QStringLiteral("help"),      QStringLiteral("version"),
                                     QStringLiteral("library"),   QStringLiteral("json"),
                                     QStringLiteral("separator"), QStringLiteral("use-settings"),
                                     QStringLiteral("trace")};
    return keys;
}

std::optional<int> wholeNumber(const QString& text, int lowest, int highest) {
    static const QRegularExpression digits(QStringLiteral("^-?[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const qlonglong n = text.toLongLong(&ok);
    if (!ok || n < lowest || n > highest) return std::nullopt;
    return static_cast<int>(n);
}

std::optional<int> portNumber(const QString& text) {
    return wholeNumber(text, 1, 32767);
}

std::optional<int16_t> portSource(const QString& text, QString* error) {
    if (!text.startsWith(QLatin1String("port:"))) return std::nullopt;
    const std::optional<int> n = portNumber(text.mid(5));
    if (!n) {
        if (error) *error = QStringLiteral("„%1“: nach port: steht eine Portnummer von 1 bis 32767.").arg(text);
        return std::nullopt;
    }
    return static_cast<int16_t>(*n);
}

QString checkValue(const Option& option, const QString& text) {
    const QString name = QStringLiteral("--") + key(option);
    switch (option.value) {
    case Value::None:
    case Value::Text:
        return {};
    case Value::Port:
        if (portNumber(text)) return {};
        return QStringLiteral("Ungültiger Port „%1“ bei %2: eine Zahl von 1 bis 32767.").arg(text, name);
    case Value::Converter: {
        const std::optional<int> n = wholeNumber(text, 0, 66);
        if (n && (*n == 0 || *n == 6 || *n == 7 || *n == 66)) return {};
        return QStringLiteral("Ungültiger Wandler „%1“ bei %2: 0, 6, 7 oder 66.").arg(text, name);
    }
    case Value::Address:
        if (wholeNumber(text, 0, bus::kHighestAddress)) return {};
        return QStringLiteral("Ungültige Adresse „%1“ bei %2: eine Zahl von 0 bis 239.").arg(text, name);
    case Value::Separator:
        if (text == QLatin1String(",") || text == QLatin1String(".")) return {};
        return QStringLiteral("Ungültiger Dezimaltrenner „%1“ bei %2: , oder .").arg(text, name);
    case Value::Model:
        if (modelByName(text)) return {};
        return QStringLiteral("Unbekannter Gerätetyp „%1“ bei %2 („trkdvn-cli models“ zeigt alle).").arg(text, name);
    case Value::Choice:
        if (choiceIndex(option, text) >= 0) return {};
        return QStringLiteral("Ungültiger Wert „%1“ bei %2: %3.")
            .arg(text, name, choiceList(option).join(QStringLiteral(", ")));
    }
    return {};
}

} // namespace cliopt

QString CommandLine::keyOf(const QString& name) const {
    const cliopt::Option* o = cliopt::find(name);
    return o ? cliopt::key(*o) : name;
}

bool CommandLine::parse(const QStringList& arguments) {
    valuesByKey.clear();
    order.clear();
    positional.clear();
    error.clear();
    bool optionsEnded = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        if (optionsEnded || word == QLatin1String("-") || !word.startsWith(QLatin1Char('-'))) {
            positional.append(word);
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        // --name, --name=value, -o and, as before, a long name after one dash.
        QString name = word.mid(word.startsWith(QLatin1String("--")) ? 2 : 1);
        std::optional<QString> inlineValue;
        if (const int eq = name.indexOf(QLatin1Char('=')); eq > 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
        }
        const cliopt::Option* option = cliopt::find(name);
        if (!option) {
            error = QStringLiteral("Unbekannte Option „%1“.").arg(word);
            return false;
        }
        const QString k = cliopt::key(*option);
        QString value;
        if (option->valueName) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                error = QStringLiteral("Nach „%1“ fehlt der Wert %2.").arg(word, QString::fromUtf8(option->valueName));
                return false;
            }
            if (const QString reason = cliopt::checkValue(*option, value); !reason.isEmpty()) {
                error = reason;
                return false;
            }
        } else if (inlineValue) {
            error = QStringLiteral("„--%1“ nimmt keinen Wert.").arg(k);
            return false;
        }
        if (!order.contains(k)) order.append(k);
        valuesByKey[k].append(value);
    }
    return true;
}

bool CommandLine::isSet(const QString& name) const {
    return valuesByKey.contains(keyOf(name));
}

QString CommandLine::value(const QString& name) const {
    const QStringList list = valuesByKey.value(keyOf(name));
    return list.isEmpty() ? QString() : list.last();
}

QStringList CommandLine::values(const QString& name) const {
    return valuesByKey.value(keyOf(name));
}
