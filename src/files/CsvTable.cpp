#include "files/CsvTable.h"

#include "config/Prompter.h"
#include "files/FileWriter.h"

namespace csvtable {

QString field(QString text) {
    if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return QLatin1Char('"') + text.replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
    return text;
}

QByteArray line(const QStringList& fields) {
    QStringList quoted;
    for (const QString& f : fields)
        quoted.append(field(f));
    return quoted.join(QLatin1Char(';')).toUtf8() + "\r\n";
}

QByteArray document(const QList<QStringList>& lines) {
    QByteArray out("\xEF\xBB\xBF");
    for (const QStringList& l : lines)
        out += line(l);
    return out;
}

} // namespace csvtable

void csvtable::saveAs(Prompter& prompter, const QString& folder, const QByteArray& csv) {
    const QString path =
        prompter.saveFileName(folder, QStringLiteral("CSV-Dateien (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty()) return;
    const filewriter::Result written = filewriter::replace(path, csv);
    if (!written.ok)
        prompter.show(QStringLiteral("Die Datei „%1“ wurde nicht gespeichert.\n%2").arg(path, written.reason),
                      QStringLiteral("Fehler"), Prompter::Icon::Error);
}
