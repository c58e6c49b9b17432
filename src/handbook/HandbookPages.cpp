#include "handbook/HandbookPages.h"

#include "app/ExtendedWordsWindow.h"
#include "bus/BusConstants.h"
#include "bus/LibraryBinding.h"
#include "config/ConfigActions.h"
#include "config/MainWindowModel.h"
#include "config/ModelCatalogue.h"
#include "tools/FlowCalculatorWindow.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>

#include <memory>
#include <optional>

namespace handbook {

QString escape(const QString& text) {
    return text.toHtmlEscaped();
}

QString shownMessage(const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%\\d"));
    QString shown = text;
    shown.replace(placeholder, QStringLiteral("…"));
    return escape(shown).replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

// --- Statuses ---------------------------------------------------------------------------------

QMap<int, QString> libraryStatuses(const QString& libraryFolder) {
    QMap<int, QString> out;
    LibraryBinding library(QStringList{libraryFolder}, {BusLibrary::Entry::GetErrorMessageRet});
    if (!library.load()) return out;
    const QString unknown = library.GetErrorMessageRet(-32768);
    for (int status = -1; status >= -32768; --status) {
        const QString text = library.GetErrorMessageRet(static_cast<int16_t>(status));
        if (text != unknown) out.insert(status, text);
    }
    library.unload();
    return out;
}

QMap<int, QString> programStatuses() {
    QMap<int, QString> out;
    for (const bus::status::Named& s : bus::status::kAll)
        out.insert(s.code, QString::fromLatin1(s.name));
    return out;
}

// --- Message table ----------------------------------------------------------------------------

namespace {

QString cell(const QJsonObject& entry, const char* key) {
    return entry.value(QLatin1String(key)).toString();
}

QString row(const QString& id, const QString& text, const QString& where, const QString& cause,
            const QString& remedy) {
    return QStringLiteral("<tr id=\"%1\"><td>%2</td><td>%3</td><td>%4</td><td>%5</td></tr>\n")
        .arg(id, text, where, cause, remedy);
}

const QString kHead = QStringLiteral(
    "<table class=\"meldungen\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
    "<tr><th>Meldung</th><th>Wo</th><th>Ursache</th><th>Was tun</th></tr>\n");

} // namespace

QString messageTable(const MessageInputs& in, QStringList& problems) {
    // Every fragment the program shows belongs to exactly one explained message.
    QHash<QString, QList<const messagescan::Fragment*>> shown;
    for (const auto& f : in.fragments)
        shown[f.text].append(&f);

    QString html;
    QSet<QString> explained;
    const QJsonArray groups = in.explanations.value(QStringLiteral("meldungen")).toArray();
    int number = 0;
    int groupNumber = 0;
    for (const QJsonValue& g : groups) {
        const QJsonObject group = g.toObject();
        html += QStringLiteral("<h3 id=\"gruppe%1\">%2</h3>\n").arg(++groupNumber).arg(escape(cell(group, "gruppe"))) + kHead;
        for (const QJsonValue& e : group.value(QStringLiteral("eintraege")).toArray()) {
            const QJsonObject entry = e.toObject();
            QStringList parts;
            for (const QJsonValue& p : entry.value(QStringLiteral("teile")).toArray())
                parts.append(p.toString());
            QStringList captions;
            bool box = false;
            bool line = false;
            for (const QString& part : parts) {
                if (explained.contains(part)) problems.append(QStringLiteral("Meldung doppelt erklärt: %1").arg(part));
                explained.insert(part);
                const auto found = shown.value(part);
                if (found.isEmpty())
                    problems.append(QStringLiteral("Erklärung ohne Meldung im Programm: %1").arg(part));
                for (const auto* f : found) {
                    (f->statusLine ? line : box) = true;
                    if (!f->caption.isEmpty() && !captions.contains(f->caption)) captions.append(f->caption);
                }
            }
            if (cell(entry, "ursache").isEmpty() || cell(entry, "abhilfe").isEmpty())
                problems.append(QStringLiteral("Erklärung unvollständig: %1").arg(parts.value(0)));
            QStringList where;
            if (box)
                where.append(captions.isEmpty() ? QStringLiteral("Meldungsfenster")
                                                : QStringLiteral("Meldungsfenster „%1“").arg(captions.join(QStringLiteral("“, „"))));
            if (line) where.append(QStringLiteral("Statuszeile"));
            const QString text = entry.contains(QStringLiteral("text"))
                                     ? shownMessage(cell(entry, "text"))
                                     : QStringList([&] {
                                           QStringList s;
                                           for (const QString& p : parts) s.append(shownMessage(p));
                                           return s;
                                       }())
                                           .join(QStringLiteral(" …<br>"));
            html += row(QStringLiteral("m%1").arg(++number), text, escape(where.join(QStringLiteral(", "))),
                        cell(entry, "ursache"), cell(entry, "abhilfe"));
        }
        html += QStringLiteral("</table>\n");
    }
    for (auto it = shown.begin(); it != shown.end(); ++it) {
        if (!explained.contains(it.key()))
            problems.append(QStringLiteral("Meldung ohne Erklärung im Handbuch (%1): %2")
                                .arg(it.value().first()->where, it.key()));
    }

    // The statuses: the library's with its own text, then the program's own.
    const QJsonObject statuses = in.explanations.value(QStringLiteral("status")).toObject();
    auto statusRow = [&](int status, const QString& text) {
        const QJsonObject entry = statuses.value(QString::number(status)).toObject();
        if (entry.isEmpty()) {
            problems.append(QStringLiteral("Status ohne Erklärung im Handbuch: %1").arg(status));
            return QString();
        }
        return row(QStringLiteral("status%1").arg(status), QStringLiteral("(Fehler %1)%2").arg(status).arg(escape(text)),
                   QStringLiteral("Meldungsfenster „Fehler“, Statuszeile"), cell(entry, "ursache"),
                   cell(entry, "abhilfe"));
    };
    html += QStringLiteral("<h3 id=\"status\">Fehlernummern der Bus-Bibliothek</h3>\n") + kHead;
    for (auto it = in.library.begin(); it != in.library.end(); ++it)
        html += statusRow(it.key(), it.value());
    html += QStringLiteral("</table>\n<h3 id=\"programmstatus\">Fehlernummern des Programms</h3>\n") + kHead;
    for (auto it = in.program.begin(); it != in.program.end(); ++it) {
        if (in.library.contains(it.key())) continue; // already explained with the library's text
        const QJsonObject entry = statuses.value(QString::number(it.key())).toObject();
        html += statusRow(it.key(), entry.value(QStringLiteral("text")).toString(QStringLiteral(" Unbekannter Fehler")));
    }
    html += QStringLiteral("</table>\n");
    for (auto it = statuses.begin(); it != statuses.end(); ++it) {
        const int status = it.key().toInt();
        if (!in.library.contains(status) && !in.program.contains(status))
            problems.append(QStringLiteral("Erklärung für einen Status, den es nicht gibt: %1").arg(status));
    }
    return html;
}

// --- Ranges -------------------------------------------------------------------------------------

namespace {

struct Window {
    MainWindowModel m;
    RecordingPrompter prompter;
    std::unique_ptr<ConfigActions> a;

    explicit Window(QChar sep) {
        a = std::make_unique<ConfigActions>(
            m, ConfigEnvironment{&prompter, [sep] { return std::optional<QChar>(sep); }, [] { return QStringList{}; },
                                 QString(), {}});
        for (NumericField* f : m.numericFields())
            f->Seperator = QString(sep);
    }
    void type(NumericField& f, const char* text) {
        f.text = QString::fromLatin1(text);
        a->numericFieldExit();
    }
    QString limits(NumericField& f, const char* low, const char* high) {
        type(f, low);
        const QString from = f.text;
        type(f, high);
        return QStringLiteral("%1 … %2").arg(from, f.text);
    }
};

QString range(const NumericField& low, const NumericField& high) {
    return QStringLiteral("%1 … %2").arg(low.text, high.text);
}

// What one model shows for one input kind and sensor, cell by cell.
QStringList probe(ModelId model, int kind, int sensor, QChar sep, QString* sensorName) {
    Window w(sep);
    w.a->selectModel(model);
    w.m.rgInput.itemIndex = kind;
    w.a->rgInputClick();
    if (sensor >= 0) {
        w.m.rgSensor.itemIndex = sensor;
        w.a->rgSensorClick();
        *sensorName = w.m.rgSensor.items.value(sensor);
    }
    MainWindowModel& m = w.m;
    const bool temperature = kind == 2 || kind == 3;
    QStringList display;
    const QStringList dps = m.cpAnzeigeDp.visible ? m.cpAnzeigeDp.items : QStringList{QString()};
    for (int i = 0; i < dps.size(); ++i) {
        if (m.cpAnzeigeDp.visible) {
            m.cpAnzeigeDp.setItemIndex(i);
            w.a->cpAnzeigeDpChange();
        }
        QString shown;
        if (temperature) {
            shown = range(m.neAnzeigeLow, m.neAnzeigeHigh) + QStringLiteral(" °C");
            m.cbAnzeigeUnit.setItemIndex(1);
            w.a->numericFieldExit();
            shown += QStringLiteral(" (") + range(m.neAnzeigeLow, m.neAnzeigeHigh) + QStringLiteral(" °F)");
            m.cbAnzeigeUnit.setItemIndex(0);
            w.a->numericFieldExit();
        } else if (m.neAnzeigeHigh.visible) {
            w.type(m.neAnzeigeLow, "-99999");
            w.type(m.neAnzeigeHigh, "99999");
            shown = range(m.neAnzeigeLow, m.neAnzeigeHigh);
        } else if (kind == 5) {
            shown = range(m.neAnzeigeLow, m.neAnzeigeHigh) + QStringLiteral(" (fest)");
        }
        if (shown.isEmpty()) continue;
        display.append(dps[i].isEmpty() ? shown : QStringLiteral("%1: %2").arg(dps[i], shown));
    }
    QString measuring;
    if (m.neMessbereichHigh.visible) {
        if (m.neMessbereichLow.visible) {
            w.type(m.neMessbereichLow, "-99999");
            w.type(m.neMessbereichHigh, "99999");
            measuring = QStringLiteral("%1 … %2").arg(m.neMessbereichLow.text, m.neMessbereichHigh.text);
        } else {
            measuring = w.limits(m.neMessbereichHigh, "-99999", "99999");
        }
        if (kind == 4) measuring += QStringLiteral(" Hz");
    }
    const QString prescaler = m.neVorteiler.visible ? m.lVorteiler.caption + QStringLiteral(" ") +
                                                          w.limits(m.neVorteiler, "0", "99999")
                                                    : QString();
    QString filter;
    if (m.neFilter.visible) {
        filter = w.limits(m.neFilter, "0", "9");
    } else if (m.teFilter.visible) {
        m.teFilter.text = QStringLiteral("0");
        w.a->teFilterExit();
        const QString off = m.teFilter.text;
        m.teFilter.text = QStringLiteral("9");
        w.a->teFilterExit();
        filter = QStringLiteral("%1 oder bis %2").arg(off, m.teFilter.text);
    }
    QString units;
    if (m.cbAnzeigeUnit.visible && kind == 9) units = m.cbAnzeigeUnit.items.join(QStringLiteral(", "));
    return {display.join(QStringLiteral("<br>")), measuring, prescaler + (units.isEmpty() ? QString() : QStringLiteral("<br>Einheit ") + units), filter};
}

QString modelsText(const QStringList& models, const QStringList& offering) {
    if (models.size() == offering.size()) return QStringLiteral("alle");
    QStringList others;
    for (const QString& o : offering)
        if (!models.contains(o)) others.append(o);
    if (others.size() <= 2 && others.size() < models.size())
        return QStringLiteral("alle außer ") + others.join(QStringLiteral(", "));
    return models.join(QStringLiteral(", "));
}

} // namespace

QString rangeTables(QChar sep) {
    QString html;
    const QStringList kinds = catalogue::inputKinds();
    for (int kind = 0; kind < kinds.size(); ++kind) {
        // Sensors per kind as the window lists them (the first model that offers the kind).
        QStringList offering;
        for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e)
            if (kind < e->inputKindCount) offering.append(QString::fromUtf8(e->designation));
        Window first(sep);
        first.a->selectModel(ModelId::TRK520);
        first.m.rgInput.itemIndex = kind;
        first.a->rgInputClick();
        const int sensors = static_cast<int>(first.m.rgSensor.items.size());

        html += QStringLiteral("<h3 id=\"eingang%1\">%2</h3>\n").arg(kind).arg(escape(kinds[kind]));
        html += QStringLiteral("<table class=\"bereiche\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
                               "<tr><th>Sensor</th><th>Modelle</th><th>Anzeige (je Dezimalpunkt)</th>"
                               "<th>Messbereich</th><th>Vorteiler / Einheit</th><th>Filter</th></tr>\n");
        for (int s = sensors > 0 ? 0 : -1; s < std::max(sensors, 0); ++s) {
            // Models with the same cells share a row.
            QList<QPair<QStringList, QStringList>> rows;
            QString sensorName = QStringLiteral("—");
            for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
                if (kind >= e->inputKindCount) continue;
                const QStringList cells = probe(e->id, kind, s, sep, &sensorName);
                auto same = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.first == cells; });
                if (same == rows.end())
                    rows.append({cells, {QString::fromUtf8(e->designation)}});
                else
                    same->second.append(QString::fromUtf8(e->designation));
            }
            for (const auto& r : rows) {
                html += QStringLiteral("<tr><td>%1</td><td>%2</td>").arg(escape(sensorName), escape(modelsText(r.second, offering)));
                for (const QString& c : r.first)
                    html += QStringLiteral("<td>%1</td>").arg(c.isEmpty() ? QStringLiteral("—") : c);
                html += QStringLiteral("</tr>\n");
            }
        }
        html += QStringLiteral("</table>\n");
    }
    return html;
}

// --- Models and extended bits --------------------------------------------------------------------

QString modelTable() {
    auto yes = [](bool b) { return b ? QStringLiteral("ja") : QStringLiteral("—"); };
    auto outputs = [](OutputList l) {
        const QStringList items = catalogue::outputItems(l);
        return items.isEmpty() ? QStringLiteral("keine") : items.mid(1).join(QStringLiteral(", "));
    };
    QString html = QStringLiteral(
        "<table class=\"modelle\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
        "<tr><th>Modell (Typ)</th><th>Familie</th><th>Analogausgang</th><th>PID-Regler</th>"
        "<th>Ausgangsfunktionen</th><th>Eingänge</th></tr>\n");
    for (const ModelEntry* e = catalogue::begin(); e != catalogue::end(); ++e) {
        const QString family = e->family == kFamilyDvn20 ? QStringLiteral("DVN 20 TB (Anzeige mit Schaltausgängen)")
                               : e->family == kFamilyDvn500 ? QStringLiteral("DVN 500 (Anzeige)")
                                                            : QStringLiteral("TRK 520 (Regler)");
        QString analog = QString::fromUtf8(e->analogCaption);
        if (analog.isEmpty()) analog = QStringLiteral("—");
        const bool menu = e->id != ModelId::TRK520PIDXAO && e->id != ModelId::TRK520PIDXAOV;
        html += QStringLiteral("<tr><td>%1%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td><td>%7</td></tr>\n")
                    .arg(escape(QString::fromUtf8(e->designation)),
                         menu ? QString() : QStringLiteral("<br><small>(nicht im Menü, nur aus Datei oder Einstellung)</small>"),
                         family, escape(analog) + (e->hasContinuousOutput && !analog.contains(QLatin1String("Stetigausgang"))
                                               ? QStringLiteral(" (Stetigausgang)")
                                               : QString()),
                         yes(e->hasPidController), escape(outputs(e->outputList)),
                         e->inputKindCount == 10 ? QStringLiteral("alle 10") : QStringLiteral("9 (ohne Durchflussmessung)"));
    }
    return html + QStringLiteral("</table>\n");
}

QString extendedBitTables() {
    ExtendedWordsWindow window;
    window.FormActivate();
    QString html;
    for (int w = 0; w < ExtendedWordsWindow::kWordCount; ++w) {
        const auto& panel = window.panels[static_cast<size_t>(w)];
        html += QStringLiteral("<h3>%1</h3>\n<table class=\"bits\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
                               "<tr><th>Bit</th><th>Wert</th><th>Bedeutung</th><th>Erklärung</th></tr>\n")
                    .arg(escape(panel.label.caption));
        for (int b = 0; b < 8; ++b) {
            const auto& bit = panel.bits[static_cast<size_t>(b)];
            const QString caption = bit.visible ? QStringLiteral("<b>%1</b>").arg(escape(bit.caption))
                                                : QStringLiteral("<i>nicht belegt</i>");
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                        .arg(b)
                        .arg(1 << b)
                        .arg(caption, escape(bit.hint).replace(QLatin1Char('\n'), QStringLiteral("<br>")));
        }
        html += QStringLiteral("</table>\n");
    }
    return html;
}

// --- Flow calculator -----------------------------------------------------------------------------

QString flowExample(const QStringList& args, QChar sep, QStringList& problems) {
    if (args.size() != 7) {
        problems.append(QStringLiteral("durchfluss braucht sieben Angaben: %1").arg(args.join(u' ')));
        return {};
    }
    Window main(sep);
    main.a->selectModel(ModelId::DVN500);
    FlowCalculatorWindow w(*main.a, main.prompter, sep);
    w.FormCreate();
    auto pick = [&](ComboBox& list, const QString& item, auto change) {
        const int index = static_cast<int>(list.items.indexOf(item));
        if (index < 0) problems.append(QStringLiteral("durchfluss: „%1“ steht nicht in der Liste").arg(item));
        list.setItemIndex(index);
        (w.*change)(index);
    };
    w.eMax.text = QString(args[0]).replace(QLatin1Char(','), sep);
    w.eMaxChange(w.eMax.text);
    pick(w.cbEinheit, args[1], &FlowCalculatorWindow::cbEinheitChange);
    w.eImpulszahl.text = QString(args[2]).replace(QLatin1Char(','), sep);
    w.eImpulszahlChange(w.eImpulszahl.text);
    pick(w.cbImpulsePro, args[3], &FlowCalculatorWindow::cbImpulseProChange);
    const auto signal = std::find_if(w.cbAusgangssignal.items.begin(), w.cbAusgangssignal.items.end(),
                                     [&](const QString& item) { return item.startsWith(args[4]); });
    pick(w.cbAusgangssignal, signal == w.cbAusgangssignal.items.end() ? args[4] : *signal,
         &FlowCalculatorWindow::cbAusgangssignalChange);
    pick(w.cbAnzeigeeinheit, args[5], &FlowCalculatorWindow::cbAnzeigeeinheitChange);
    pick(w.cbDp, args[6], &FlowCalculatorWindow::cbDpChange);
    w.bEinstellwerte_zeigenClick();
    if (!main.prompter.shown.isEmpty())
        problems.append(QStringLiteral("durchfluss %1: %2").arg(args.join(u' '), main.prompter.texts().join(u' ')));
    const auto calc = FlowCalculatorWindow::calculate(
        w.eMax.text.replace(sep, QLatin1Char('.')).toFloat(), w.cbEinheit.itemIndex,
        w.eImpulszahl.text.replace(sep, QLatin1Char('.')).toFloat() * (w.cbImpulsePro.itemIndex == 1 ? 0.001f : 1.0f),
        w.cbAnzeigeeinheit.itemIndex);
    QString html = QStringLiteral("<table class=\"einstellwerte\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
                                  "<tr><th>Einstellwert</th><th>Wert</th></tr>\n");
    for (auto* r : w.rows())
        if (r->value.visible && r->name.visible)
            html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>\n").arg(escape(r->name.caption), escape(r->value.caption));
    html += QStringLiteral("</table>\n<p class=\"rechnung\">Geberfrequenz bei Endwert f = %1 Hz, aufgerundet "
                           "F = %2 Hz; Endwert in der Anzeigeeinheit V = %3; Anzeige bei F: D = V · F / f = %4.</p>\n")
                .arg(QString::number(calc.f, 'f', 3).replace(QLatin1Char('.'), sep))
                .arg(calc.F)
                .arg(QString::number(calc.V, 'f', 3).replace(QLatin1Char('.'), sep))
                .arg(QString::number(calc.D, 'f', 3).replace(QLatin1Char('.'), sep));
    return html;
}

// --- Markers ----------------------------------------------------------------------------------------

QString expandMarkers(const QString& page, const std::function<QString(const QString&, const QString&)>& generate) {
    static const QRegularExpression marker(QStringLiteral(R"(<!--@(\w+)\s*(.*?)-->)"),
                                           QRegularExpression::DotMatchesEverythingOption);
    QString out;
    qsizetype last = 0;
    for (auto it = marker.globalMatch(page); it.hasNext();) {
        const auto match = it.next();
        out += page.mid(last, match.capturedStart() - last);
        out += generate(match.captured(1), match.captured(2).trimmed());
        last = match.capturedEnd();
    }
    return out + page.mid(last);
}

} // namespace handbook
