#include "handbook/MenuOverview.h"

#include "config/ControlTable.h"
#include "config/MainWindowModel.h"

#include <QSet>

namespace handbook {

namespace {

const QString kArrow = QStringLiteral(" › ");
// The popup opens on the sensor group; the handbook says where.
const QString kPopupPlace = QStringLiteral("Gruppe „Sens“, rechte Maustaste");

} // namespace

QString shownCaption(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i; // "&x" shows x, "&&" shows "&"
        out += caption[i];
    }
    return out;
}

QString shownKeys(const QString& portable) {
    QString out = portable;
    out.replace(QStringLiteral("Ctrl+"), QStringLiteral("Strg+"));
    out.replace(QStringLiteral("Shift+"), QStringLiteral("Umschalt+"));
    return out;
}

QList<MenuRow> menuRows() {
    MainWindowModel model;
    QList<MenuRow> rows;
    QString menu;
    for (const MenuSpec& s : controltable::menus()) {
        if (!s.get) {
            // The models: one row for all of them, described with their menu.
            rows.append({QStringLiteral("%1.Modelle").arg(rows.isEmpty() ? QString() : rows.last().name), menu,
                         QStringLiteral("(ein Modell)"), QString(), false});
            continue;
        }
        const MenuItem& item = s.get(model);
        if (s.place == MenuSpec::Bar) {
            menu = shownCaption(item.caption);
            rows.append({QLatin1String(s.name), menu, menu, QString(), true});
        } else {
            rows.append({QLatin1String(s.name), s.place == MenuSpec::Popup ? kPopupPlace : menu,
                         shownCaption(item.caption), shownKeys(item.shortcut), false});
        }
    }
    return rows;
}

QString menuPath(const QString& name, QStringList& problems) {
    for (const MenuRow& row : menuRows()) {
        if (row.name != name) continue;
        return row.bar ? row.caption : row.menu + kArrow + row.caption;
    }
    problems.append(QStringLiteral("Menüpunkt gibt es nicht: %1").arg(name));
    return name;
}

QString menuOverview(const QJsonObject& descriptions, QStringList& problems) {
    QString html = QStringLiteral("<table class=\"menues\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
                                  "<tr><th width=\"34%\">Menüpunkt</th><th width=\"8%\">Taste</th><th>Was er tut</th></tr>\n");
    QSet<QString> described;
    for (const MenuRow& row : menuRows()) {
        const QString text = descriptions.value(row.name).toString();
        described.insert(row.name);
        if (text.trimmed().isEmpty())
            problems.append(QStringLiteral("Menüpunkt ohne Beschreibung im Handbuch (Manual/menues.json): %1 „%2“")
                                .arg(row.name, row.caption));
        if (row.bar) {
            html += QStringLiteral("<tr id=\"menue-%1\"><td colspan=\"3\"><b>%2</b> – %3</td></tr>\n")
                        .arg(row.name, row.caption.toHtmlEscaped(), text);
        } else {
            html += QStringLiteral("<tr id=\"menue-%1\"><td><span class=\"menue\">%2</span></td><td>%3</td><td>%4</td></tr>\n")
                        .arg(row.name, (row.menu + kArrow + row.caption).toHtmlEscaped(), row.keys.toHtmlEscaped(), text);
        }
    }
    for (auto it = descriptions.begin(); it != descriptions.end(); ++it)
        if (!described.contains(it.key()) && !it.key().startsWith(u'#'))
            problems.append(QStringLiteral("Beschreibung für einen Menüpunkt, den es nicht gibt: %1").arg(it.key()));
    return html + QStringLiteral("</table>\n");
}

} // namespace handbook
